// Qelta_matrix: the linear algebra of TMatrix (arithmetic, products, LU, determinant, inverse,
// norms). The distance matrix is in Qelta_matrix_dist.cpp, the kernels in Qelta_linalg_kernels.cpp.
//
// Every operation copies its operands into private column-major blocks, computes there and writes
// the result back once per cell (TMatrixAccess::Store: through SetVal when the result has an
// OnChange handler). Reorganised for speed, with the same pivots, thresholds and outcomes:
//  - Products run as cache-blocked block products (Gemm).
//  - The Crout decomposition is blocked: 64 columns at a time are decomposed left-looking (each
//    column updated by the columns of its block before its pivot is chosen), then the rows to the
//    right are solved and the rest of the matrix updated by one block product. Every pivot is
//    chosen on the fully updated column by the same figure of merit, scale(i) |a(i, j)| compared
//    with ">=" from 0 (the last of equal rows wins); rows are exchanged in all columns.
//  - Invert solves all unit vectors at once: L^-1 column block by column block (its zeros above
//    the diagonal skipped), then U^-1 L^-1 by a blocked back substitution, then the columns
//    exchanged back in reverse pivot order; 2 n^3 operations like the classic inverse.
// Deliberate deviations, each a mended fault: a product whose result is one of its operands gives
// the true product; Invert leaves the matrix unchanged when it answers False (the in-place factors
// were useless without the pivots); a matrix holding an infinity or a NaN, factors that overflow and
// an inverse that overflows answer False (they answered True with a NaN determinant or inverse),
// MatU then the copy, MatL zeros, Invert's matrix unchanged and Determinant 0; the determinant
// multiplies the diagonal in extended precision, so a product whose partial values leave the double
// range still comes out when the result fits, and so does the Frobenius norm's sum of squares; every
// routine raises EQeltaMatrixError "... not enough memory on heap" when its private blocks do not fit.

#include <cmath>

#include "Qelta_linalg_internal.h"
#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

namespace num_detail {

std::vector<double> TMatrixAccess::Cells(const TMatrix& m) {
  const int nc = m.FNCol, nr = m.FNRow;
  std::vector<double> cells(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr));
  for (int c = 1; c <= nc; ++c) std::copy_n(m.Mat.Col(c), nr, cells.data() + static_cast<std::size_t>(c - 1) * nr);
  return cells;
}

void TMatrixAccess::Store(TMatrix& m, const double* block, int nc, int nr, int64_t ld) {
  nc = std::min(nc, m.FNCol);
  nr = std::min(nr, m.FNRow);
  for (int c = 1; c <= nc; ++c) {
    const double* src = block + (c - 1) * ld;
    if (m.OnChange)
      for (int r = 1; r <= nr; ++r) m.SetVal(c, r, src[r - 1]);
    else
      std::copy_n(src, nr, m.Mat.Col(c));
  }
}

}  // namespace num_detail

using num_detail::TMatrixAccess;

namespace {

/// fn() for the matrix m; an exhausted heap raises EQeltaMatrixError "... not enough memory on heap".
template <typename Fn>
auto Guarded(const TMatrix& m, Fn&& fn) -> decltype(fn()) {
  decltype(fn()) result{};
  num_detail::GuardAlloc<EQeltaMatrixError>(m, u"not enough memory on heap", [&] { result = fn(); });
  return result;
}

/// Sign of the row permutation of the last LUdecomposition (+1 / -1); Determinant reads it.
int LUPermSign = 1;

constexpr double kTinyPivot = 1e-100;
constexpr int kLUBlock = 64;

enum TLUOutcome { luOk, luZeroRow, luTinyPivot, luNonFinite };

/// True when none of the count values is infinite or NaN.
bool AllFinite(const double* a, int64_t count) {
  for (int64_t i = 0; i < count; ++i)
    if (!std::isfinite(a[i])) return false;
  return true;
}

/// Implicit row scaling: scale[i] := 1 / largest |a(i, k)|; false for a row without a non-zero cell.
bool RowScales(int n, const double* a, std::vector<double>& scale) {
  std::vector<double> big(static_cast<std::size_t>(n), 0.0);
  for (int c = 0; c < n; ++c) {
    const double* col = a + static_cast<int64_t>(c) * n;
    for (int r = 0; r < n; ++r) big[r] = std::max(big[r], std::fabs(col[r]));
  }
  scale.resize(static_cast<std::size_t>(n));
  for (int r = 0; r < n; ++r) {
    if (!(big[r] > 0.0)) return false;
    scale[r] = 1.0 / big[r];
  }
  return true;
}

/// Column j of a Crout block that starts at column j0: updated by the block's earlier columns,
/// pivoted (rows exchanged in all n columns), its tiny pivot replaced, scaled below the diagonal.
/// Answers false when the pivot had to be replaced.
bool CroutColumn(int n, double* a, int j0, int j, std::vector<double>& scale, int& pivot, int& sign) {
  double* colj = a + static_cast<int64_t>(j) * n;
  for (int k = j0; k < j; ++k) {  // rows above the diagonal: forward substitution inside the block
    if (k + 1 < j && colj[k] != 0.0) num_detail::Axpy(j - k - 1, -colj[k], a + (k + 1) + static_cast<int64_t>(k) * n, colj + k + 1);
  }
  for (int k = j0; k < j; ++k) num_detail::Axpy(n - j, -colj[k], a + j + static_cast<int64_t>(k) * n, colj + j);
  double best = 0.0;
  int p = j;
  for (int i = j; i < n; ++i) {
    const double figure = scale[i] * std::fabs(colj[i]);
    if (figure >= best) {
      best = figure;
      p = i;
    }
  }
  if (p != j) {
    for (int c = 0; c < n; ++c) std::swap(a[p + static_cast<int64_t>(c) * n], a[j + static_cast<int64_t>(c) * n]);
    sign = -sign;
    scale[p] = scale[j];
  }
  pivot = p;
  bool fine = true;
  if (std::fabs(colj[j]) < kTinyPivot) {
    fine = false;
    colj[j] = kTinyPivot;
  }
  const double d = colj[j];
  for (int i = j + 1; i < n; ++i) colj[i] /= d;
  return fine;
}

/// Crout decomposition in place on a (n x n, leading dimension n): L below the diagonal (unit
/// diagonal implied), U on and above; piv[j] the row exchanged with j (0-based). A matrix holding an
/// infinity or a NaN, or factors that overflow, give luNonFinite: their factors hold no answer.
TLUOutcome CroutLU(int n, double* a, std::vector<int>& piv, int& sign) {
  sign = 1;
  const int64_t cells = static_cast<int64_t>(n) * n;
  if (!AllFinite(a, cells)) return luNonFinite;
  std::vector<double> scale;
  if (!RowScales(n, a, scale)) return luZeroRow;
  piv.assign(static_cast<std::size_t>(n), 0);
  bool fine = true;
  for (int j0 = 0; j0 < n; j0 += kLUBlock) {
    const int j1 = std::min(n, j0 + kLUBlock);
    for (int j = j0; j < j1; ++j) fine = CroutColumn(n, a, j0, j, scale, piv[j], sign) && fine;
    const int rest = n - j1;
    if (rest == 0) continue;
    double* a12 = a + j0 + static_cast<int64_t>(j1) * n;
    num_detail::TrsmLowerUnit(j1 - j0, rest, a + j0 + static_cast<int64_t>(j0) * n, n, a12, n);
    num_detail::Gemm(false, rest, rest, j1 - j0, -1.0, a + j1 + static_cast<int64_t>(j0) * n, n, a12, n, 1.0,
                 a + j1 + static_cast<int64_t>(j1) * n, n);
  }
  if (!fine) return luTinyPivot;
  return AllFinite(a, cells) ? luOk : luNonFinite;
}

/// The inverse from the factors: L^-1 by column blocks, then U^-1 L^-1, then the columns put back.
std::vector<double> InverseFromLU(int n, const double* lu, const std::vector<int>& piv) {
  std::vector<double> x(static_cast<std::size_t>(n) * n, 0.0);
  for (int c0 = 0; c0 < n; c0 += kLUBlock) {
    const int cb = std::min(kLUBlock, n - c0);
    double* block = x.data() + c0 + static_cast<int64_t>(c0) * n;
    for (int c = 0; c < cb; ++c) block[c + static_cast<int64_t>(c) * n] = 1.0;
    num_detail::TrsmLowerUnit(n - c0, cb, lu + c0 + static_cast<int64_t>(c0) * n, n, block, n);
  }
  num_detail::TrsmUpper(n, n, lu, n, x.data(), n);
  for (int j = n - 1; j >= 0; --j)
    if (piv[j] != j) std::swap_ranges(x.data() + static_cast<int64_t>(j) * n, x.data() + static_cast<int64_t>(j + 1) * n,
                                      x.data() + static_cast<int64_t>(piv[j]) * n);
  return x;
}

/// res := op(a) b (m x n, inner dimension k) written through the element writers.
void StoreProduct(bool transA, const TMatrix& a, const TMatrix& b, TMatrix& res, int m, int n, int k) {
  std::vector<double> c(static_cast<std::size_t>(m) * static_cast<std::size_t>(n));  // res may be a or b
  num_detail::Gemm(transA, m, n, k, 1.0, TMatrixAccess::Data(a), TMatrixAccess::Stride(a), TMatrixAccess::Data(b),
               TMatrixAccess::Stride(b), 0.0, c.data(), m);
  TMatrixAccess::Store(res, c.data(), n, m, m);
}

/// LUdecomposition of a square matrix into assigned MatL and MatU.
bool Decompose(const TMatrix& self, TMatrix* MatL, TMatrix* MatU) {
  LUPermSign = 1;
  const int n = self.NrOfColumns();
  std::vector<double> a = TMatrixAccess::Cells(self);  // self may be MatL or MatU
  MatL->Resize(n, n);
  MatL->Fill(0.0);
  MatU->Resize(n, n);  // MatU := a copy, as Clone does it
  TMatrixAccess::Store(*MatU, a.data(), n, n, n);
  MatU->Changed();
  std::vector<int> piv;
  const TLUOutcome outcome = CroutLU(n, a.data(), piv, LUPermSign);
  if (outcome == luZeroRow || outcome == luNonFinite) return false;
  if (outcome == luTinyPivot) {
    TMatrixAccess::Store(*MatU, a.data(), n, n, n);
    return false;
  }
  for (int c = 1; c <= n; ++c) {
    double* col = a.data() + static_cast<int64_t>(c - 1) * n;
    TMatrixAccess::Put(*MatL, c, c, 1.0);
    for (int r = c + 1; r <= n; ++r) {
      TMatrixAccess::Put(*MatL, c, r, col[r - 1]);
      col[r - 1] = 0.0;
    }
  }
  TMatrixAccess::Store(*MatU, a.data(), n, n, n);
  return true;
}

}  // namespace

// [SECTION] arithmetic

void TMatrix::SMult(double Scalar) {
  for (int c = 1; c <= FNCol; ++c)
    for (double* p = Mat.Col(c); p != Mat.Col(c) + FNRow; ++p) *p *= Scalar;
  Changed();
}

void TMatrix::SAdd(double Scalar) {
  for (int c = 1; c <= FNCol; ++c)
    for (double* p = Mat.Col(c); p != Mat.Col(c) + FNRow; ++p) *p += Scalar;
  Changed();
}

bool TMatrix::Add(const TMatrix* MatB) {
  if (MatB == nullptr || MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  for (int c = 1; c <= FNCol; ++c) num_detail::Axpy(FNRow, 1.0, MatB->Mat.Col(c), Mat.Col(c));
  Changed();
  return true;
}

bool TMatrix::Subtract(const TMatrix* MatB) {
  if (MatB == nullptr || MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  for (int c = 1; c <= FNCol; ++c) {
    const double* b = MatB->Mat.Col(c);
    double* a = Mat.Col(c);
    for (int r = 0; r < FNRow; ++r) a[r] -= b[r];
  }
  Changed();
  return true;
}

// [SECTION] products

bool TMatrix::Multiply(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr) return false;
  if (FNCol != MatB->FNRow || MatRes->FNCol != MatB->FNCol || MatRes->FNRow != FNRow) return false;
  Guarded(*this, [&] { return StoreProduct(false, *this, *MatB, *MatRes, FNRow, MatB->FNCol, FNCol), true; });
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr) return false;
  if (FNRow != MatB->FNRow || MatRes->FNCol != MatB->FNCol || MatRes->FNRow != FNCol) return false;
  Guarded(*this, [&] { return StoreProduct(true, *this, *MatB, *MatRes, FNCol, MatB->FNCol, FNRow), true; });
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TVector* VecB, TVector* VecRes) {
  if (!num_detail::TransposeTimesVector<double>(FNCol, FNRow, [this](int i, int j) { return Mat.At(i, j); }, VecB, VecRes))
    return false;
  Changed();
  return true;
}

// [SECTION] decomposition, determinant, inverse

bool TMatrix::LUdecomposition(TMatrix* MatL, TMatrix* MatU) const {
  if (FNCol != FNRow || MatL == nullptr || MatU == nullptr) return false;
  return Guarded(*this, [&] { return Decompose(*this, MatL, MatU); });
}

double TMatrix::Determinant() const {
  if (FNCol != FNRow) return 0.0;
  return Guarded(*this, [&] {
    const int n = FNCol;
    std::vector<double> a = TMatrixAccess::Cells(*this);
    std::vector<int> piv;
    LUPermSign = 1;
    if (CroutLU(n, a.data(), piv, LUPermSign) != luOk) return 0.0;
    Extended det = LUPermSign;
    for (int i = 0; i < n; ++i) det *= a[i + static_cast<int64_t>(i) * n];
    return static_cast<double>(det);
  });
}

bool TMatrix::Invert() {
  if (FNCol != FNRow || FNCol < 1) return false;
  const int n = FNCol;
  bool fine = false;
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] {
    std::vector<double> a = TMatrixAccess::Cells(*this);
    std::vector<int> piv;
    int sign = 1;
    fine = CroutLU(n, a.data(), piv, sign) == luOk;
    if (!fine) return;
    const std::vector<double> x = InverseFromLU(n, a.data(), piv);
    fine = AllFinite(x.data(), static_cast<int64_t>(n) * n);  // an inverse beyond the double range
    if (!fine) return;
    for (int c = 1; c <= n; ++c) std::copy_n(x.data() + static_cast<int64_t>(c - 1) * n, n, Mat.Col(c));
  });
  Changed();
  return fine;
}

// [SECTION] norms

double TMatrix::Norm(TNormType nt) const {
  switch (nt) {
    case ntColwise: {
      double best = 0.0;
      for (int c = 1; c <= FNCol; ++c) {
        double sum = 0.0;
        for (const double* p = Mat.Col(c); p != Mat.Col(c) + FNRow; ++p) sum += std::fabs(*p);
        best = std::max(best, sum);
      }
      return best;
    }
    case ntRowwise: {
      std::vector<double> sums(static_cast<std::size_t>(FNRow), 0.0);
      for (int c = 1; c <= FNCol; ++c)
        for (int r = 0; r < FNRow; ++r) sums[static_cast<std::size_t>(r)] += std::fabs(Mat.Col(c)[r]);
      double best = 0.0;
      for (double s : sums) best = std::max(best, s);
      return best;
    }
    case ntSpectral:
      return Guarded(*this, [&] {
        const int m = FNRow, n = FNCol, rows = std::max(m, n);
        std::vector<double> a(static_cast<std::size_t>(rows) * n, 0.0), w(static_cast<std::size_t>(n));
        for (int c = 1; c <= n; ++c) std::copy_n(Mat.Col(c), m, a.data() + static_cast<int64_t>(c - 1) * rows);
        if (!num_detail::SvdKernel(rows, n, a.data(), nullptr, w.data(), false))
          throw EQeltaMatrixError(u"near singular covariance matrix");
        double best = 0.0;
        for (double v : w) best = std::max(best, v);
        return best;
      });
    case ntFrobenius: {
      Extended sum = 0;
      for (int c = 1; c <= FNCol; ++c)
        for (const double* p = Mat.Col(c); p != Mat.Col(c) + FNRow; ++p) sum += static_cast<Extended>(*p) * *p;
      return static_cast<double>(std::sqrt(sum));
    }
  }
  return 0.0;
}

}  // namespace qelta
