// Qelta_math2: the public forms of the singular value decomposition and the regressions on data
// matrices: multiple linear regression, ridge regression on raw and on standardised columns, and
// partial least squares by SIMPLS.
//
// MultiLinReg solves the design [X 1] by SvdLeastSquares; the standard errors are sigma * sqrt of the
// diagonal of (A^T A)^-1 (the SD of SvdLeastSquares) with sigma^2 = RSS / (n - k - 1).
// Ridge: with centred columns the intercept drops out of the penalty; min |y_c - X_c b|^2 + lambda
// |b|^2 is the least-squares solution of the augmented system [X_c; sqrt(lambda) I] b = [y_c; 0]
// (A. E. Hoerl, R. W. Kennard, Technometrics 12 (1970) 55-67), solved by SvdLeastSquares; the
// intercept is mean(y) - mean(X) b.
// SIMPLS (S. de Jong, Chemometr. Intell. Lab. Syst. 18 (1993) 251-263): S = X0^T Y0; per component
// the dominant right singular vector q of S (SvdDecompose), r = S q, t = X0 r normalised (r with
// it), p = X0^T t, the Y loading Y0^T t, u = Y0 (Y0^T t) orthogonalised against the earlier t, v = p
// orthogonalised against the earlier v and normalised, S := S - v (v^T S). B = R Q^T, scaled back
// to the raw columns. Standard deviations are sample ones (n - 1); a constant column keeps scale 1.

#include <algorithm>
#include <cmath>
#include <vector>

#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"

namespace qelta {

namespace {

using E = Extended;
using num_detail::TMatrixAccess;

/// Column c (0-based) of a column-major block with `rows` rows.
double* Col(std::vector<double>& block, int rows, int c) { return block.data() + static_cast<int64_t>(c) * rows; }
const double* Col(const std::vector<double>& block, int rows, int c) {
  return block.data() + static_cast<int64_t>(c) * rows;
}

/// Means and sample standard deviations (1 for a constant column or fewer than 2 rows) of the
/// columns of a block.
void ColumnMoments(const std::vector<double>& block, int rows, int cols, std::vector<double>& mean,
                   std::vector<double>& sd) {
  mean.assign(static_cast<std::size_t>(cols), 0.0);
  sd.assign(static_cast<std::size_t>(cols), 1.0);
  for (int c = 0; c < cols; ++c) {
    const double* v = Col(block, rows, c);
    E s = 0;
    for (int i = 0; i < rows; ++i) s += v[i];
    const E m = rows > 0 ? s / rows : 0;
    E q = 0;
    for (int i = 0; i < rows; ++i) q += (v[i] - m) * (v[i] - m);
    mean[static_cast<std::size_t>(c)] = static_cast<double>(m);
    const double dev = rows > 1 ? static_cast<double>(std::sqrt(q / (rows - 1))) : 0.0;
    if (dev > 0) sd[static_cast<std::size_t>(c)] = dev;
  }
}

std::vector<double> Values(const TVector& v, int count) {
  std::vector<double> out(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) out[static_cast<std::size_t>(i - 1)] = v.GetVal(i);
  return out;
}

void Store(TVector* v, const std::vector<double>& values) {
  if (v == nullptr) return;
  v->Resize(std::max<int>(static_cast<int>(values.size()), 1));
  for (std::size_t i = 0; i < values.size(); ++i) v->SetVal(static_cast<int>(i) + 1, values[i]);
}

/// Block (rows x cols, column-major) into a TMatrix of cols columns and rows rows.
void Store(TMatrix* m, const std::vector<double>& block, int rows, int cols) {
  if (m == nullptr) return;
  m->Resize(cols, rows);
  TMatrixAccess::Store(*m, block.data(), cols, rows, rows);
}

bool ValidRegression(const TMatrix* X, const TVector* y, const TVector* Coeffs) {
  return X != nullptr && y != nullptr && Coeffs != nullptr && X->NrOfRows() >= 1 && X->NrOfColumns() >= 1 &&
         y->NrOfElem() == X->NrOfRows();
}

/// The ridge coefficients of the columns (x - centre) / scale against y - mean(y).
bool RidgeCoefficients(const std::vector<double>& x, int n, int k, const std::vector<double>& centre,
                       const std::vector<double>& scale, const std::vector<double>& y, double ymean, double lambda,
                       std::vector<double>& beta, bool& Singular) {
  const int rows = n + k;
  TMatrix design(nullptr);
  design.Resize(k, rows);
  TVector rhs(nullptr), solution(nullptr);
  rhs.Resize(rows);
  solution.Resize(k);
  const double root = std::sqrt(lambda);
  for (int c = 0; c < k; ++c) {
    double* d = TMatrixAccess::Column(design, c + 1);
    const double* v = Col(x, n, c);
    for (int i = 0; i < n; ++i) d[i] = (v[i] - centre[static_cast<std::size_t>(c)]) / scale[static_cast<std::size_t>(c)];
    d[n + c] = root;
  }
  for (int i = 0; i < n; ++i) rhs.SetVal(i + 1, y[static_cast<std::size_t>(i)] - ymean);
  if (!SvdLeastSquares(&design, &rhs, &solution, Singular, nullptr)) return false;
  beta = Values(solution, k);
  return true;
}

/// A ridge fit on columns scaled by `scale`: b for the raw columns, then the intercept.
bool RidgeFit(const TMatrix& X, const TVector& y, double Lambda, bool standardise, std::vector<double>& raw,
              std::vector<double>& stdCoeffs, std::vector<double>& mean, std::vector<double>& sd,
              std::vector<double>& fitted, bool& Singular) {
  const int n = X.NrOfRows(), k = X.NrOfColumns();
  const std::vector<double> x = TMatrixAccess::Cells(X);
  std::vector<double> yv = Values(y, n);
  ColumnMoments(x, n, k, mean, sd);
  std::vector<double> ym, ysd;
  ColumnMoments(yv, n, 1, ym, ysd);
  const std::vector<double> scale = standardise ? sd : std::vector<double>(static_cast<std::size_t>(k), 1.0);
  if (!RidgeCoefficients(x, n, k, mean, scale, yv, ym[0], Lambda, stdCoeffs, Singular)) return false;
  raw.assign(static_cast<std::size_t>(k) + 1, 0.0);
  E intercept = ym[0];
  for (int c = 0; c < k; ++c) {
    raw[static_cast<std::size_t>(c)] = stdCoeffs[static_cast<std::size_t>(c)] / scale[static_cast<std::size_t>(c)];
    intercept -= static_cast<E>(raw[static_cast<std::size_t>(c)]) * mean[static_cast<std::size_t>(c)];
  }
  raw[static_cast<std::size_t>(k)] = static_cast<double>(intercept);
  fitted.assign(static_cast<std::size_t>(n), 0.0);
  for (int i = 0; i < n; ++i) {
    E f = intercept;
    for (int c = 0; c < k; ++c) f += static_cast<E>(raw[static_cast<std::size_t>(c)]) * Col(x, n, c)[i];
    fitted[static_cast<std::size_t>(i)] = static_cast<double>(f);
  }
  if (!standardise) sd.assign(static_cast<std::size_t>(k), 1.0);
  return true;
}

}  // namespace

// [SECTION] public forms of the decomposition

bool SingValDecomp(TMatrix* A, TMatrix* V, TVector* W) {
  if (A == nullptr || V == nullptr || W == nullptr) return false;
  const int n = A->NrOfColumns();
  V->Resize(n, n);
  W->Resize(std::max(n, 1));
  return SvdDecompose(A, V, W);
}

bool SingValEquSolve(const TMatrix* U, const TMatrix* V, const TVector* W, const TVector* B, TVector* X) {
  if (U == nullptr || V == nullptr || W == nullptr || B == nullptr || X == nullptr) return false;
  X->Resize(std::max(U->NrOfColumns(), 1));
  return SvdBackSubstitute(U, V, W, nullptr, X, B);
}

// [SECTION] multiple linear and ridge regression

bool MultiLinReg(const TMatrix* X, const TVector* y, TVector* Coeffs, TVector* StdErrors, bool& Singular) {
  Singular = false;
  if (!ValidRegression(X, y, Coeffs)) return false;
  return num_detail::GuardMemory(u"MultiLinReg", [&] {
    const int n = X->NrOfRows(), k = X->NrOfColumns();
    TMatrix design(nullptr);
    design.Clone(X);
    design.Resize(k + 1, n);
    std::fill_n(TMatrixAccess::Column(design, k + 1), n, 1.0);
    TVector rhs(nullptr), solution(nullptr), sd(nullptr);
    rhs.Clone(y);
    solution.Resize(k + 1);
    sd.Resize(k + 1);
    if (!SvdLeastSquares(&design, &rhs, &solution, Singular, &sd)) return false;
    E rss = 0;
    for (int i = 1; i <= n; ++i) {
      E f = solution.GetVal(k + 1);
      for (int c = 1; c <= k; ++c) f += static_cast<E>(solution.GetVal(c)) * X->GetVal(c, i);
      rss += (y->GetVal(i) - f) * (y->GetVal(i) - f);
    }
    const int dof = n - k - 1;
    const double sigma = dof > 0 ? static_cast<double>(std::sqrt(rss / dof)) : 0.0;
    std::vector<double> errors(static_cast<std::size_t>(k) + 1);
    for (int c = 1; c <= k + 1; ++c) errors[static_cast<std::size_t>(c - 1)] = sigma * sd.GetVal(c);
    Store(Coeffs, Values(solution, k + 1));
    Store(StdErrors, errors);
    return true;
  });
}

bool RidgeReg(const TMatrix* X, const TVector* y, double Lambda, TVector* Coeffs, TVector* Fitted, bool& Singular) {
  Singular = false;
  if (!ValidRegression(X, y, Coeffs) || !(Lambda >= 0)) return false;
  return num_detail::GuardMemory(u"RidgeReg", [&] {
    std::vector<double> raw, stdCoeffs, mean, sd, fitted;
    if (!RidgeFit(*X, *y, Lambda, false, raw, stdCoeffs, mean, sd, fitted, Singular)) return false;
    Store(Coeffs, raw);
    Store(Fitted, fitted);
    return true;
  });
}

bool RidgeRegStd(const TMatrix* X, const TVector* y, double Lambda, TVector* Coeffs, TVector* StdCoeffs,
                 TVector* Means, TVector* StdDevs, bool& Singular) {
  Singular = false;
  if (!ValidRegression(X, y, Coeffs) || !(Lambda >= 0)) return false;
  return num_detail::GuardMemory(u"RidgeRegStd", [&] {
    std::vector<double> raw, stdCoeffs, mean, sd, fitted;
    if (!RidgeFit(*X, *y, Lambda, true, raw, stdCoeffs, mean, sd, fitted, Singular)) return false;
    Store(Coeffs, raw);
    Store(StdCoeffs, stdCoeffs);
    Store(Means, mean);
    Store(StdDevs, sd);
    return true;
  });
}

// [SECTION] SIMPLS

namespace {

/// The working state of SIMPLS on centred (scaled) blocks X0 (n x p) and Y0 (n x q).
class TSimpls {
 public:
  TSimpls(std::vector<double> x0, std::vector<double> y0, int n, int p, int q)
      : X0(std::move(x0)), Y0(std::move(y0)), N(n), P(p), Q(q), S(static_cast<std::size_t>(p) * q) {
    for (int j = 0; j < q; ++j)
      for (int i = 0; i < p; ++i) S[i + static_cast<std::size_t>(j) * p] = static_cast<double>(DotCols(X0, i, Y0, j));
  }

  /// Extracts one more component; false when S or the score vanished (no further component).
  bool Next() {
    std::vector<double> qv;
    if (!DominantDirection(qv)) return false;
    std::vector<double> r(static_cast<std::size_t>(P)), t(static_cast<std::size_t>(N), 0.0);
    for (int i = 0; i < P; ++i) {
      E s = 0;
      for (int j = 0; j < Q; ++j) s += static_cast<E>(S[i + static_cast<std::size_t>(j) * P]) * qv[static_cast<std::size_t>(j)];
      r[static_cast<std::size_t>(i)] = static_cast<double>(s);
    }
    for (int i = 0; i < P; ++i)
      for (int row = 0; row < N; ++row) t[static_cast<std::size_t>(row)] += Col(X0, N, i)[row] * r[static_cast<std::size_t>(i)];
    const double normt = Norm(t);
    if (!(normt > 0)) return false;
    for (double& v : t) v /= normt;
    for (double& v : r) v /= normt;
    std::vector<double> pl = Project(X0, P, t), ql = Project(Y0, Q, t), u(static_cast<std::size_t>(N), 0.0);
    for (int j = 0; j < Q; ++j)
      for (int row = 0; row < N; ++row) u[static_cast<std::size_t>(row)] += Col(Y0, N, j)[row] * ql[static_cast<std::size_t>(j)];
    std::vector<double> v = pl;
    Orthogonalise(v, Vs);
    Orthogonalise(u, Ts);
    const double normv = Norm(v);
    if (normv > 0)
      for (double& e : v) e /= normv;
    for (int j = 0; j < Q; ++j) {  // S := S - v (v^T S)
      E s = 0;
      for (int i = 0; i < P; ++i) s += static_cast<E>(v[static_cast<std::size_t>(i)]) * S[i + static_cast<std::size_t>(j) * P];
      for (int i = 0; i < P; ++i) S[i + static_cast<std::size_t>(j) * P] -= v[static_cast<std::size_t>(i)] * static_cast<double>(s);
    }
    Rs.push_back(r);
    Ts.push_back(t);
    Ps.push_back(pl);
    Qs.push_back(ql);
    Us.push_back(u);
    Vs.push_back(v);
    return true;
  }

  std::vector<std::vector<double>> Rs, Ts, Ps, Qs, Us, Vs;  ///< one vector per component

 private:
  static E DotCols(const std::vector<double>& a, int ca, const std::vector<double>& b, int cb, int n) {
    E s = 0;
    for (int i = 0; i < n; ++i) s += static_cast<E>(a[static_cast<std::size_t>(ca) * n + i]) * b[static_cast<std::size_t>(cb) * n + i];
    return s;
  }
  E DotCols(const std::vector<double>& a, int ca, const std::vector<double>& b, int cb) const {
    return DotCols(a, ca, b, cb, N);
  }
  static double Norm(const std::vector<double>& v) {
    E s = 0;
    for (double e : v) s += static_cast<E>(e) * e;
    return static_cast<double>(std::sqrt(s));
  }
  /// block^T t (cols elements).
  std::vector<double> Project(const std::vector<double>& block, int cols, const std::vector<double>& t) const {
    std::vector<double> out(static_cast<std::size_t>(cols));
    for (int c = 0; c < cols; ++c) {
      E s = 0;
      for (int row = 0; row < N; ++row) s += static_cast<E>(Col(block, N, c)[row]) * t[static_cast<std::size_t>(row)];
      out[static_cast<std::size_t>(c)] = static_cast<double>(s);
    }
    return out;
  }
  /// v := v - B (B^T v) for the orthonormal vectors in B.
  static void Orthogonalise(std::vector<double>& v, const std::vector<std::vector<double>>& basis) {
    for (const std::vector<double>& b : basis) {
      E s = 0;
      for (std::size_t i = 0; i < v.size(); ++i) s += static_cast<E>(b[i]) * v[i];
      for (std::size_t i = 0; i < v.size(); ++i) v[i] -= b[i] * static_cast<double>(s);
    }
  }
  /// The right singular vector of S with the largest singular value; false when S is 0.
  bool DominantDirection(std::vector<double>& qv) const {
    TMatrix s(nullptr), v(nullptr);
    TVector w(nullptr);
    s.Resize(Q, P);
    TMatrixAccess::Store(s, S.data(), Q, P, P);
    if (!SingValDecomp(&s, &v, &w)) return false;
    int best = 1;
    for (int j = 2; j <= Q; ++j)
      if (w.GetVal(j) > w.GetVal(best)) best = j;
    if (!(w.GetVal(best) > 0)) return false;
    qv.resize(static_cast<std::size_t>(Q));
    for (int j = 1; j <= Q; ++j) qv[static_cast<std::size_t>(j - 1)] = v.GetVal(best, j);
    return true;
  }

  std::vector<double> X0, Y0;
  int N, P, Q;
  std::vector<double> S;  ///< p x q, column-major
};

/// Vectors of one length as the columns of a block.
std::vector<double> AsBlock(const std::vector<std::vector<double>>& columns, int rows) {
  std::vector<double> block;
  block.reserve(columns.size() * static_cast<std::size_t>(rows));
  for (const std::vector<double>& c : columns) block.insert(block.end(), c.begin(), c.end());
  return block;
}

/// Centres (and scales) the columns of a block in place; answers their means and scales.
void Standardise(std::vector<double>& block, int rows, int cols, bool scale, std::vector<double>& mean,
                 std::vector<double>& sd) {
  ColumnMoments(block, rows, cols, mean, sd);
  if (!scale) sd.assign(static_cast<std::size_t>(cols), 1.0);
  for (int c = 0; c < cols; ++c)
    for (int i = 0; i < rows; ++i)
      Col(block, rows, c)[i] = (Col(block, rows, c)[i] - mean[static_cast<std::size_t>(c)]) / sd[static_cast<std::size_t>(c)];
}

}  // namespace

bool SimPLS(const TMatrix* X, const TMatrix* Y, int NumComp, bool Scale, TMatrix* Weights, TMatrix* XScores,
            TMatrix* XLoadings, TMatrix* YLoadings, TMatrix* YScores, TMatrix* Coeffs, TVector* Intercepts) {
  if (X == nullptr || Y == nullptr || Weights == nullptr || XScores == nullptr || XLoadings == nullptr ||
      YLoadings == nullptr || YScores == nullptr || Coeffs == nullptr || Intercepts == nullptr)
    return false;
  const int n = X->NrOfRows(), p = X->NrOfColumns(), q = Y->NrOfColumns();
  if (NumComp < 1 || n < 2 || p < 1 || q < 1 || Y->NrOfRows() != n) return false;
  return num_detail::GuardMemory(u"SimPLS", [&] {
    std::vector<double> x0 = TMatrixAccess::Cells(*X), y0 = TMatrixAccess::Cells(*Y), mx, sx, my, sy;
    Standardise(x0, n, p, Scale, mx, sx);
    Standardise(y0, n, q, Scale, my, sy);
    TSimpls pls(std::move(x0), std::move(y0), n, p, q);
    for (int a = 0; a < std::min(NumComp, p) && pls.Next(); ++a) {
    }
    const int a = static_cast<int>(pls.Rs.size());
    Store(Weights, AsBlock(pls.Rs, p), p, a);
    Store(XScores, AsBlock(pls.Ts, n), n, a);
    Store(XLoadings, AsBlock(pls.Ps, p), p, a);
    Store(YLoadings, AsBlock(pls.Qs, q), q, a);
    Store(YScores, AsBlock(pls.Us, n), n, a);
    std::vector<double> b(static_cast<std::size_t>(p) * q, 0.0), intercepts(static_cast<std::size_t>(q));
    for (int j = 0; j < q; ++j) {
      E icpt = my[static_cast<std::size_t>(j)];
      for (int i = 0; i < p; ++i) {
        E s = 0;  // (R Q^T)(i, j) on the standardised columns
        for (int c = 0; c < a; ++c) s += static_cast<E>(pls.Rs[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)]) *
                                         pls.Qs[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
        const E raw = s * sy[static_cast<std::size_t>(j)] / sx[static_cast<std::size_t>(i)];
        b[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * p] = static_cast<double>(raw);
        icpt -= raw * mx[static_cast<std::size_t>(i)];
      }
      intercepts[static_cast<std::size_t>(j)] = static_cast<double>(icpt);
    }
    Store(Coeffs, b, p, q);
    Store(Intercepts, intercepts);
    return true;
  });
}

}  // namespace qelta
