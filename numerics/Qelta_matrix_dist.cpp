// Qelta_matrix: TMatrix.CalcDistMat, the distances between the rows of a data matrix.
//
// Two paths with the same numbers. When DMat has an OnChange handler or the mode asks the
// OnCalcDistance handler, the pairs are visited in the documented order (cell (i, i), then for
// every j > i the cells (i, j) and (j, i)) and written through SetVal. Otherwise DMat is filled
// column by column: column i holds the distances of row i to every row, accumulated feature by
// feature over the contiguous columns of the data, which vectorises and writes DMat in memory
// order. Each distance is symmetric in its two rows bit for bit (the same terms in the same order),
// so both paths store the same values.
// Decision on an open point: Jaccard and Dice of two all-zero rows (0 / 0) give 1, the
// coefficient of two identical rows.

#include <cmath>

#include "Qelta_linalg_internal.h"
#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {
namespace {

/// Distance from its three sums: s = sum x y, a = sum x^2, b = sum y^2.
double Coefficient(TDistMode mode, double s, double a, double b) {
  if (a == 0.0 && b == 0.0) return 1.0;
  return mode == dmJaccard ? s / (a + b - s) : 2.0 * s / (a + b);
}

bool IsCoefficient(TDistMode mode) { return mode == dmJaccard || mode == dmDice; }

/// Distance of rows i and j (0-based) of the column-major block x (n rows, f features).
double PairDistance(TDistMode mode, const double* x, int n, int f, int i, int j) {
  double acc = 0.0, a = 0.0, b = 0.0;
  for (int k = 0; k < f; ++k) {
    const double xi = x[i + static_cast<int64_t>(k) * n], xj = x[j + static_cast<int64_t>(k) * n];
    if (IsCoefficient(mode)) {
      acc += xi * xj;
      a += xi * xi;
      b += xj * xj;
    } else if (mode == dmManhattan) {
      acc += std::fabs(xi - xj);
    } else {
      acc += (xi - xj) * (xi - xj);
    }
  }
  if (IsCoefficient(mode)) return Coefficient(mode, acc, a, b);
  return mode == dmEuclid ? std::sqrt(acc) : acc;
}

/// Column i of the distance matrix: the distances of row i to all n rows into out (out[i] := 0).
void DistanceColumn(TDistMode mode, const double* x, const std::vector<double>& sq, int n, int f, int i,
                    double* out) {
  std::fill(out, out + n, 0.0);
  for (int k = 0; k < f; ++k) {
    const double* col = x + static_cast<int64_t>(k) * n;
    const double xi = col[i];
    if (IsCoefficient(mode))
      for (int j = 0; j < n; ++j) out[j] += xi * col[j];
    else if (mode == dmManhattan)
      for (int j = 0; j < n; ++j) out[j] += std::fabs(xi - col[j]);
    else
      for (int j = 0; j < n; ++j) out[j] += (xi - col[j]) * (xi - col[j]);
  }
  if (IsCoefficient(mode))
    for (int j = 0; j < n; ++j) out[j] = Coefficient(mode, out[j], sq[static_cast<std::size_t>(i)], sq[static_cast<std::size_t>(j)]);
  else if (mode == dmEuclid)
    for (int j = 0; j < n; ++j) out[j] = std::sqrt(out[j]);
  out[i] = 0.0;
}

}  // namespace

int TMatrix::CalcDistMat(TDistMode Mode, TMatrix* DMat) {
  if (DMat == nullptr) return -1;
  int result = 0;
  if (DMat->NrOfColumns() != DMat->NrOfRows()) result = -1;
  if (DMat->NrOfColumns() != FNRow) result = -2;
  if (result != 0) return result;
  const int n = FNRow, f = FNCol;
  std::vector<double> x, sq;  // x: the cells, read first (DMat may be this matrix)
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] {
    x = num_detail::TMatrixAccess::Cells(*this);
    sq.assign(static_cast<std::size_t>(n), 0.0);
  });
  const bool measured = Mode < dmUserDef;  // else 0, or the handler's answer for dmUserDef
  if (DMat->OnChange || !measured) {
    for (int i = 1; i <= n; ++i) {
      num_detail::TMatrixAccess::Put(*DMat, i, i, 0.0);
      for (int j = i + 1; j <= n; ++j) {
        double d = 0.0;
        if (measured)
          d = PairDistance(Mode, x.data(), n, f, i - 1, j - 1);
        else if (Mode == dmUserDef && OnCalcDistance)
          OnCalcDistance(this, i, j, d);
        num_detail::TMatrixAccess::Put(*DMat, i, j, d);
        num_detail::TMatrixAccess::Put(*DMat, j, i, d);
      }
    }
    return 0;
  }
  for (int k = 0; k < f; ++k)
    for (int j = 0; j < n; ++j) sq[static_cast<std::size_t>(j)] += x[j + static_cast<int64_t>(k) * n] * x[j + static_cast<int64_t>(k) * n];
  for (int i = 0; i < n; ++i) DistanceColumn(Mode, x.data(), sq, n, f, i, num_detail::TMatrixAccess::Column(*DMat, i + 1));
  return 0;
}

}  // namespace qelta
