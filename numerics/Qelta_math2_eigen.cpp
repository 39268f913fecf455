// Qelta_math2: covariance-type matrices, the cyclic Jacobi eigen decomposition and principal
// components.
//
// CalcCovar copies the selected block (variables in columns) once; rows of the range that lie
// outside the data matrix are zero objects and enter the sums by their count, not by storage.
// Cross products and centred cross products are one block product (Gemm of the transposed block
// with itself); mode 4 sums (x_i - x_j)^2 directly, which cancels nothing.
// CalcEigVec: C. G. J. Jacobi's method in its cyclic form with the thresholds of Rutishauser
// (Handbook for Automatic Computation II, contribution II/1): threshold 0.2 sm / n^2 in the first
// three sweeps, then off-diagonal elements below the roundoff of both diagonal values are zeroed
// from the fifth sweep on. The symmetric matrix is kept whole in a private block, so a rotation
// turns two contiguous columns (and writes them back into the two rows); the eigenvectors are
// columns of a private block and go to the storage in its layout at the end. Scalars and the
// two roundoff tests are extended, the rotations double.
// Deliberate deviations, each a mended fault:
//  - CalcCovar takes the variances in two passes (the one-pass form made sqrt(var_i var_j) NaN and
//    correlations exceed 1) and keeps correlations within -1..1; one object row (m = 1, division
//    by m - 1 = 0) answers False with the result untouched.
//  - A Jacobi pass that finds sm = 0 converges even when it is the 100th.

#include <algorithm>
#include <cmath>

#include "Qelta_linalg_internal.h"
#include "Qelta_math1_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"

namespace qelta {
namespace {

using num_detail::StepProcStat;

// [SECTION] eigen storage (one set for the process)

struct TEigenStore {
  int Size = 0;
  bool Held = false;
  std::vector<double> Values;   ///< value i at i - 1
  std::vector<double> Vectors;  ///< component j of vector i at (i - 1) + (j - 1) * Size
} Eigen;

// [SECTION] covariance

/// The selected block of a covariance computation: nv columns of the rows that exist, and the
/// number of further (zero) objects.
struct TCovData {
  int Vars = 0;
  int64_t Objects = 0;  ///< m
  int Present = 0;      ///< rows read from the matrix
  int64_t Zeros = 0;    ///< m - Present
  std::vector<double> X;  ///< Present x Vars, column-major
};

TCovData SelectBlock(const TMatrix& data, int LoC, int nv, int LoR, int HiR) {
  TCovData d;
  d.Vars = nv;
  d.Objects = std::max<int64_t>(0, int64_t{HiR} - LoR + 1);
  const int64_t r0 = std::max<int64_t>(LoR, 1), r1 = std::min<int64_t>(HiR, data.NrOfRows());
  d.Present = static_cast<int>(std::max<int64_t>(0, r1 - r0 + 1));
  d.Zeros = d.Objects - d.Present;
  d.X.assign(static_cast<std::size_t>(d.Present) * nv, 0.0);
  for (int v = 0; v < nv; ++v) {
    const int64_t c = int64_t{LoC} + v;
    if (c < 1 || c > data.NrOfColumns()) continue;
    for (int r = 0; r < d.Present; ++r)
      d.X[static_cast<std::size_t>(r) + static_cast<std::size_t>(v) * d.Present] =
          data.GetVal(static_cast<int>(c), static_cast<int>(r0 + r));
  }
  return d;
}

/// Means of the variables (extended sums over all m objects), then the block centred on them.
std::vector<double> CentreBlock(TCovData& d) {
  std::vector<double> mean(static_cast<std::size_t>(d.Vars));
  for (int v = 0; v < d.Vars; ++v) {
    double* col = d.X.data() + static_cast<int64_t>(v) * d.Present;
    Extended sum = 0;
    for (int r = 0; r < d.Present; ++r) sum += col[r];
    mean[static_cast<std::size_t>(v)] = static_cast<double>(sum / static_cast<Extended>(d.Objects));
    for (int r = 0; r < d.Present; ++r) col[r] -= mean[static_cast<std::size_t>(v)];
  }
  return mean;
}

/// The nv x nv table of the mode (column-major), before the division by m - 1 for modes 0, 1, 4.
std::vector<double> CovarianceTable(TCovData& d, int Mode) {
  const int nv = d.Vars;
  std::vector<double> g(static_cast<std::size_t>(nv) * nv, 0.0);
  if (d.Objects < 1 || Mode < 0 || Mode > 4) return g;
  const double div = static_cast<double>(d.Objects - 1);
  if (Mode == 4) {
    for (int i = 0; i < nv; ++i)
      for (int j = 0; j < i; ++j) {
        const double* xi = d.X.data() + static_cast<int64_t>(i) * d.Present;
        const double* xj = d.X.data() + static_cast<int64_t>(j) * d.Present;
        double s = 0.0;
        for (int r = 0; r < d.Present; ++r) s += (xi[r] - xj[r]) * (xi[r] - xj[r]);
        g[i + static_cast<std::size_t>(j) * nv] = g[j + static_cast<std::size_t>(i) * nv] = s / div;
      }
    return g;
  }
  const std::vector<double> mean = Mode == 0 ? std::vector<double>(static_cast<std::size_t>(nv), 0.0) : CentreBlock(d);
  num_detail::Gemm(true, nv, nv, d.Present, 1.0, d.X.data(), d.Present, d.X.data(), d.Present, 0.0, g.data(), nv);
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i < nv; ++i) {
      double& cell = g[i + static_cast<std::size_t>(j) * nv];
      cell = (cell + static_cast<double>(d.Zeros) * mean[static_cast<std::size_t>(i)] * mean[static_cast<std::size_t>(j)]) / div;
    }
  if (Mode == 1 || Mode == 0) return g;
  std::vector<double> var(static_cast<std::size_t>(nv));
  for (int i = 0; i < nv; ++i) var[static_cast<std::size_t>(i)] = g[i + static_cast<std::size_t>(i) * nv];
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i < nv; ++i) {
      double root = std::sqrt(var[static_cast<std::size_t>(i)] * var[static_cast<std::size_t>(j)]);
      if (root == 0.0) root = 1e-38;
      double& cell = g[i + static_cast<std::size_t>(j) * nv];
      cell = std::clamp(cell / root, -1.0, 1.0);
      if (Mode == 3) cell *= cell;
    }
  return g;
}

// [SECTION] Jacobi

class TJacobi {
 public:
  explicit TJacobi(const TMatrix& mat) : FN(mat.NrOfColumns()), FA(Square(FN)), FV(Square(FN)), FB(FN), FD(FN), FZ(FN) {
    for (int q = 0; q < FN; ++q) {
      for (int p = 0; p <= q; ++p) At(p, q) = At(q, p) = mat.GetVal(q + 1, p + 1);  // a(p, q): row p, column q
      FV[q + static_cast<std::size_t>(q) * FN] = 1.0;
      FB[q] = FD[q] = At(q, q);
    }
  }

  /// Passes until convergence, the pass limit or an abort; true when converged.
  bool Run(int maxPasses) {
    for (int pass = 1; pass <= maxPasses && !AbortMathProc; ++pass) {
      StepProcStat();
      const Extended sm = OffDiagonalSum();
      if (sm == 0) return true;
      Sweep(pass, sm);
    }
    return false;
  }

  /// Eigenvalues, eigenvectors in the storage layout, and the upper triangle back into mat.
  void Deliver(TEigenStore& store, TMatrix& mat) const {
    for (int i = 0; i < FN; ++i) {
      store.Values[static_cast<std::size_t>(i)] = FD[i];
      for (int j = 0; j < FN; ++j)
        store.Vectors[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * FN] = FV[j + static_cast<std::size_t>(i) * FN];
    }
    for (int q = 1; q < FN; ++q)
      for (int p = 0; p < q; ++p) num_detail::TMatrixAccess::Put(mat, q + 1, p + 1, At(p, q));
  }

 private:
  static std::vector<double> Square(int n) { return std::vector<double>(static_cast<std::size_t>(n) * n, 0.0); }
  double& At(int r, int c) { return FA[r + static_cast<std::size_t>(c) * FN]; }
  double At(int r, int c) const { return FA[r + static_cast<std::size_t>(c) * FN]; }
  double* Col(std::vector<double>& m, int c) { return m.data() + static_cast<std::size_t>(c) * FN; }

  Extended OffDiagonalSum() const {
    Extended sm = 0;
    for (int q = 1; q < FN; ++q)
      for (int p = 0; p < q; ++p) sm += std::fabs(At(p, q));
    return sm;
  }

  void Sweep(int sweep, Extended sm) {
    const Extended threshold = sweep < 4 ? 0.2L * sm / (static_cast<Extended>(FN) * FN) : 0;
    for (int p = 0; p < FN - 1 && !AbortMathProc; ++p)
      for (int q = p + 1; q < FN && !AbortMathProc; ++q) {
        Pair(sweep, threshold, p, q);
        StepProcStat();
      }
    for (int i = 0; i < FN; ++i) {
      FB[i] += FZ[i];
      FD[i] = FB[i];
      FZ[i] = 0.0;
    }
  }

  void Pair(int sweep, Extended threshold, int p, int q) {
    const Extended apq = At(p, q), g = 200 * std::fabs(apq);
    const Extended dp = std::fabs(static_cast<Extended>(FD[p])), dq = std::fabs(static_cast<Extended>(FD[q]));
    if (sweep > 4 && dp + g == dp && dq + g == dq) {
      At(p, q) = At(q, p) = 0.0;
      return;
    }
    if (!(std::fabs(apq) > threshold)) return;
    Extended h = static_cast<Extended>(FD[q]) - FD[p], t;
    if (std::fabs(h) + g == std::fabs(h)) {
      t = apq / h;
    } else {
      const Extended theta = h / apq / 2;
      t = 1 / (std::fabs(theta) + std::sqrt(theta * theta + 1));
      if (theta < 0) t = -t;
    }
    const Extended c = 1 / std::sqrt(t * t + 1), s = t * c, tau = s / (1 + c);
    h = t * apq;
    FZ[p] = static_cast<double>(FZ[p] - h);
    FZ[q] = static_cast<double>(FZ[q] + h);
    FD[p] = static_cast<double>(FD[p] - h);
    FD[q] = static_cast<double>(FD[q] + h);
    At(p, q) = At(q, p) = 0.0;
    Rotate(p, q, static_cast<double>(s), static_cast<double>(tau));
  }

  /// Rows and columns p, q of the symmetric block (their crossing excluded), and eigenvectors p, q.
  void Rotate(int p, int q, double s, double tau) {
    double* cp = Col(FA, p);
    double* cq = Col(FA, q);
    num_detail::JacobiRotate(p, cp, cq, s, tau);
    num_detail::JacobiRotate(q - p - 1, cp + p + 1, cq + p + 1, s, tau);
    num_detail::JacobiRotate(FN - q - 1, cp + q + 1, cq + q + 1, s, tau);
    for (int k = 0; k < FN; ++k) {
      if (k == p || k == q) continue;
      At(p, k) = cp[k];
      At(q, k) = cq[k];
    }
    num_detail::JacobiRotate(FN, Col(FV, p), Col(FV, q), s, tau);
  }

  const int FN;
  std::vector<double> FA, FV;
  std::vector<double> FB, FD, FZ;
};

}  // namespace

// [SECTION] covariance

bool CalcCovar(const TMatrix* DataMat, TMatrix* CovMat, int LoC, int HiC, int LoR, int HiR, int Mode) {
  AbortMathProc = false;
  if (DataMat == nullptr || CovMat == nullptr) return false;
  const int64_t nv64 = int64_t{HiC} - LoC + 1;
  if (nv64 > CovMat->NrOfColumns() || nv64 > CovMat->NrOfRows()) return false;
  if (int64_t{HiR} - LoR + 1 == 1) return false;
  const int nv = static_cast<int>(std::max<int64_t>(nv64, 0));
  const std::vector<double> table = num_detail::GuardMemory(u"CalcCovar", [&] {
    TCovData data = SelectBlock(*DataMat, LoC, nv, LoR, HiR);
    if (Mode > 0)
      for (int64_t r = 0; r < data.Objects; ++r) StepProcStat();
    return CovarianceTable(data, Mode);
  });
  for (int i = 1; i <= nv && !AbortMathProc; ++i) {
    for (int j = 1; j <= i; ++j) {
      const double v = table[static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(j - 1) * nv];
      num_detail::TMatrixAccess::Put(*CovMat, j, i, v);
      num_detail::TMatrixAccess::Put(*CovMat, i, j, v);
    }
    if (Mode == 2) num_detail::TMatrixAccess::Put(*CovMat, i, i, 1.0);
    StepProcStat();
  }
  return !AbortMathProc;
}

// [SECTION] eigenvalues and eigenvectors

bool CalcEigVec(TMatrix* Mat) { return num_detail::CalcEigVecWithin(Mat, 100); }

bool num_detail::CalcEigVecWithin(TMatrix* Mat, int MaxPasses) {
  if (Mat == nullptr || Mat->NrOfColumns() > 10000) return false;
  const int n = Mat->NrOfColumns();
  return GuardMemory(u"CalcEigVec", [&] {
    RemoveEigenMatrix();
    Eigen.Size = n;
    Eigen.Values.assign(static_cast<std::size_t>(n), 0.0);
    Eigen.Vectors.assign(static_cast<std::size_t>(n) * n, 0.0);
    Eigen.Held = true;
    AbortMathProc = false;
    TJacobi jacobi(*Mat);
    const bool converged = jacobi.Run(MaxPasses);
    jacobi.Deliver(Eigen, *Mat);
    return converged && !AbortMathProc;
  });
}

double GetEigenResult(int i, int j) {
  if (!Eigen.Held || i < 1 || i > Eigen.Size || j < 0 || j > Eigen.Size) return 0.0;
  if (j == 0) return Eigen.Values[static_cast<std::size_t>(i - 1)];
  return Eigen.Vectors[static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(j - 1) * Eigen.Size];
}

int GetEigenSize() { return Eigen.Size; }

void RemoveEigenMatrix() {
  Eigen.Held = false;
  std::vector<double>().swap(Eigen.Values);
  std::vector<double>().swap(Eigen.Vectors);
}

// [SECTION] principal components

namespace {

/// Divides the stored eigenvalues by the sum of their absolute values (when it is not 0).
void ScaleEigenvalues() {
  Extended sum = 0;
  for (double v : Eigen.Values) sum += std::fabs(v);
  if (sum != 0)
    for (double& v : Eigen.Values) v = static_cast<double>(v / sum);
}

/// Sorts the stored eigenvalues falling with their vectors: position i takes the largest value
/// above 0 of positions i..n (the first of equals); nothing moves once none is above 0.
void SortEigenvalues() {
  const int n = Eigen.Size;
  for (int i = 0; i < n; ++i) {
    int best = -1;
    double bestValue = 0.0;
    for (int k = i; k < n; ++k)
      if (Eigen.Values[static_cast<std::size_t>(k)] > bestValue) {
        best = k;
        bestValue = Eigen.Values[static_cast<std::size_t>(k)];
      }
    if (best <= i) continue;
    std::swap(Eigen.Values[static_cast<std::size_t>(i)], Eigen.Values[static_cast<std::size_t>(best)]);
    for (int j = 0; j < n; ++j)
      std::swap(Eigen.Vectors[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * n],
                Eigen.Vectors[static_cast<std::size_t>(best) + static_cast<std::size_t>(j) * n]);
  }
}

}  // namespace

bool CalcPrincComp(const TMatrix* DataMat, int LoC, int HiC, int LoR, int HiR, int Mode, bool ScaleEV) {
  if (DataMat == nullptr) return false;
  const int64_t nv64 = int64_t{HiC} - LoC + 1;
  if (nv64 > 10000) return false;  // more than CalcEigVec takes
  const int nv = static_cast<int>(std::max<int64_t>(nv64, 0));
  TMatrix cov(nullptr);
  cov.Resize(nv, nv);
  if (!CalcCovar(DataMat, &cov, LoC, HiC, LoR, HiR, Mode) || !CalcEigVec(&cov)) return false;
  if (ScaleEV) ScaleEigenvalues();
  SortEigenvalues();
  return true;
}

}  // namespace qelta
