// Qelta_matrix: statistics over a sub-range of TMatrix and TIntMatrix (the shared members of
// num_detail::TMatrixT), and the histogram, correlation, standardisation and mean-centring of TMatrix.
// The rules (moments, order statistics, histogram bins, correlation) are those of every container
// (Qelta_stats_internal.h); this file feeds them the cells of a range.
//
// A sparse TIntMatrix feeds its stored triples inside the range and then the unstored cells as one
// run of zeros, so its moments cost O(stored triples) however large the range is.
//
// Deliberate deviations from the classic behaviour, each a mended fault:
//  - MeanVar, the skewness worker, Correlate and the standardisations take centred sums about the
//    mean instead of sum of squares - sum^2 / n (which lost every digit for data with a large common
//    offset and turned negative on constant data, so the standard deviation became NaN).
//  - Quartiles and Percentile answer the largest cell where the position reaches n (the classic
//    guard answered v(n - 1), the upper quartile of two values below their median).
//  - The empty range (a dimension of 0) touches no storage and answers mean 0, variance 1.0,
//    quartiles false, percentile, moments and means 0.
//  - Histogram clamps its range to the existing cells (no phantom zeros from outside the matrix)
//    and counts the values beyond the last bin as overflow; bad bins answer false.

#include <cmath>

#include "Qelta_matrix.h"
#include "Qelta_stats_internal.h"
#include "Qelta_vecmat_internal.h"

namespace qelta::num_detail {

// [SECTION] the range and its visitor

template <typename M, typename T, typename V>
template <typename Fn>
bool TMatrixT<M, T, V>::VisitRange(int LowCol, int LowRow, int HighCol, int HighRow, Fn&& fn) const {
  if (!ValidRange(LowCol, LowRow, HighCol, HighRow)) return false;
  const int lc = LowCol, lr = LowRow, hc = HighCol, hr = HighRow;
  const int64_t n = (int64_t{hc} - lc + 1) * (int64_t{hr} - lr + 1);
  if constexpr (std::is_same_v<M, TIntMatrix>) {
    // As M, not TIntMatrix: the private triples are then reached by this base's instantiation for the integer
    // matrix, which that class befriends, rather than by the template as a whole, which it does not.
    const M& m = Self();
    if (m.FIsSparse) {
      fn(
          [&m, lc, lr, hc, hr, n](auto& acc) {
            int64_t stored = 0;
            for (int i = 0; i < m.FSparseNumElem; ++i) {
              const TSpMatElemInt& e = m.SpMat[static_cast<std::size_t>(i)];
              if (e.colidx < lc || e.colidx > hc || e.rowidx < lr || e.rowidx > hr) continue;
              acc.Repeat(static_cast<double>(e.value), 1);
              ++stored;
            }
            acc.Repeat(0.0, n - stored);
          },
          n, false);
      return true;
    }
  }
  fn(
      [this, lc, lr, hc, hr](auto& acc) {
        for (int c = lc; c <= hc; ++c) acc.Run(Mat.Col(c) + (lr - 1), int64_t{hr} - lr + 1);
      },
      n, true);
  return true;
}

// [SECTION] means and moments

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::MeanVar(int LowCol, int LowRow, int HighCol, int HighRow, double& Mean,
                                double& Variance) const {
  Mean = 0;
  Variance = 1.0;
  VisitRange(LowCol, LowRow, HighCol, HighRow,
             [&](auto visit, int64_t, bool) { MeanVarRule(CentredMoments(visit, 2), Mean, Variance); });
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SkewKurtIntern(int LowCol, int LowRow, int HighCol, int HighRow, double& Skewness,
                                       double& Kurtosis, int64_t& count) const {
  Skewness = 0;
  Kurtosis = 0;
  count = 0;
  VisitRange(LowCol, LowRow, HighCol, HighRow, [&](auto visit, int64_t n, bool) {
    const TMoments m = CentredMoments(visit, 4);
    count = n;
    Skewness = m.D3;  // the raw sums stay below two cells or for a zero deviation
    Kurtosis = m.D4;
    StandardMoments(m, Skewness, Kurtosis);
  });
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SkewKurt(int LowCol, int LowRow, int HighCol, int HighRow, double& Skewness,
                                 double& Kurtosis) const {
  int64_t count = 0;
  SkewKurtIntern(LowCol, LowRow, HighCol, HighRow, Skewness, Kurtosis, count);
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SkewKurtSample(int LowCol, int LowRow, int HighCol, int HighRow, double& Skewness,
                                       double& Kurtosis) const {
  int64_t count = 0;
  SkewKurtIntern(LowCol, LowRow, HighCol, HighRow, Skewness, Kurtosis, count);
  if (count < 4) {
    Skewness = 0;
    Kurtosis = 0;
    return;
  }
  SampleCorrection(count, Skewness, Kurtosis);
}

template <typename M, typename T, typename V>
double TMatrixT<M, T, V>::GeometricMean(int LowCol, int LowRow, int HighCol, int HighRow) const {
  double g = 0;
  VisitRange(LowCol, LowRow, HighCol, HighRow, [&](auto visit, int64_t, bool dense) {
    if (dense) g = GeometricMeanRule<EQeltaMatrixError>(*this, visit);
  });
  return g;
}

template <typename M, typename T, typename V>
double TMatrixT<M, T, V>::HarmonicMean(int LowCol, int LowRow, int HighCol, int HighRow) const {
  double h = 0;
  VisitRange(LowCol, LowRow, HighCol, HighRow, [&](auto visit, int64_t, bool dense) {
    if (dense) h = HarmonicMeanRule<EQeltaMatrixError>(*this, visit);
  });
  return h;
}

// [SECTION] order statistics

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::Quartiles(int LowCol, int LowRow, int HighCol, int HighRow, double& Q1, double& Q2,
                                  double& Q3) const {
  Q1 = Q2 = Q3 = 0;
  bool result = false;
  VisitRange(LowCol, LowRow, HighCol, HighRow, [&](auto visit, int64_t n, bool dense) {
    if (!dense) return;
    std::vector<double> work = WorkArray<EQeltaMatrixError>(*this, visit, n);
    result = QuartilesRule(work, Q1, Q2, Q3);
  });
  return result;
}

template <typename M, typename T, typename V>
double TMatrixT<M, T, V>::Percentile(double prob, int LowCol, int LowRow, int HighCol, int HighRow) const {
  double p = 0;
  VisitRange(LowCol, LowRow, HighCol, HighRow, [&](auto visit, int64_t n, bool dense) {
    if (!dense) return;
    std::vector<double> work = WorkArray<EQeltaMatrixError>(*this, visit, n);
    p = PercentileRule(work, prob);
  });
  return p;
}

#define QELTA_MATRIX_STATS(M, T, V)                                                                              \
  template void TMatrixT<M, T, V>::MeanVar(int, int, int, int, double&, double&) const;                        \
  template void TMatrixT<M, T, V>::SkewKurt(int, int, int, int, double&, double&) const;                       \
  template void TMatrixT<M, T, V>::SkewKurtSample(int, int, int, int, double&, double&) const;                 \
  template void TMatrixT<M, T, V>::SkewKurtIntern(int, int, int, int, double&, double&, int64_t&) const;       \
  template double TMatrixT<M, T, V>::GeometricMean(int, int, int, int) const;                                  \
  template double TMatrixT<M, T, V>::HarmonicMean(int, int, int, int) const;                                   \
  template bool TMatrixT<M, T, V>::Quartiles(int, int, int, int, double&, double&, double&) const;             \
  template double TMatrixT<M, T, V>::Percentile(double, int, int, int, int) const;
QELTA_MATRIX_STATS(TMatrix, double, TVector)
QELTA_MATRIX_STATS(TIntMatrix, int32_t, TIntVector)
#undef QELTA_MATRIX_STATS

}  // namespace qelta::num_detail

namespace qelta {

// [SECTION] TMatrix only

bool TMatrix::Histogram(int LoX, int LoY, int HiX, int HiY, double FirstBin, double LastBin, double BinWidth,
                        TIntVector* Histo, int& Underflow, int& Overflow, int& MaxCnt) const {
  // Each bound clamped to the cells, never exchanged: a reversed range counts nothing.
  const bool cells = FNCol > 0 && FNRow > 0;
  const int lc = cells ? num_detail::ClampInt(LoX, 1, FNCol) : 1, hc = cells ? num_detail::ClampInt(HiX, 1, FNCol) : 0;
  const int lr = cells ? num_detail::ClampInt(LoY, 1, FNRow) : 1, hr = cells ? num_detail::ClampInt(HiY, 1, FNRow) : 0;
  return num_detail::CountHistogram(
      [this, lc, lr, hc, hr](auto& acc) {
        for (int c = lc; c <= hc && lr <= hr; ++c) acc.Run(Mat.Col(c) + (lr - 1), int64_t{hr} - lr + 1);
      },
      FirstBin, LastBin, BinWidth, Histo, Underflow, Overflow, MaxCnt);
}

double TMatrix::Correlate(const TMatrix* OtherMat) const {
  if (OtherMat == nullptr) return 0.0;
  if (OtherMat->FNCol != FNCol || OtherMat->FNRow != FNRow)
    throw EQeltaMatrixError(num_detail::ComponentText(*this, u"matrices do not match"));
  if (FNCol == 0 || FNRow == 0) return 0.0;
  // Equal dimensions give equal column-major blocks: cell k of one pairs with cell k of the other.
  const double* x = Mat.Data();
  const double* y = OtherMat->Mat.Data();
  const int64_t n = int64_t{FNCol} * FNRow;
  return num_detail::CorrelationRule([x, y, n](auto& acc) {
    for (int64_t k = 0; k < n; ++k) acc.Pair(x[k], y[k]);
  });
}

namespace {

// Mean and variance of one column (byColumn) or row of the dense cells by the MeanVar rule.
void LineMeanVar(const num_detail::TDenseStore<double>& m, bool byColumn, int line, int nc, int nr, double& mean,
                 double& var) {
  const num_detail::TMoments mo = num_detail::CentredMoments(
      [&](auto& acc) {
        if (byColumn) {
          acc.Run(m.Col(line), nr);
        } else {
          for (int c = 1; c <= nc; ++c) acc.Repeat(m.At(c, line), 1);
        }
      },
      2);
  num_detail::MeanVarRule(mo, mean, var);
}

}  // namespace

void TMatrix::TransformLines(bool byColumn, bool scale, TVector* Means, TVector* StdDevs) {
  const int lines = byColumn ? FNCol : FNRow;
  const int length = byColumn ? FNRow : FNCol;
  for (int i = 1; i <= lines; ++i) {
    double mean = 0, var = 0;
    LineMeanVar(Mat, byColumn, i, FNCol, FNRow, mean, var);
    const double sd = std::sqrt(var);
    const bool shift = !scale || var > 0;
    const double divisor = scale && var > 0 ? sd : 1.0;
    for (int k = 1; k <= length && shift; ++k) {
      double& x = byColumn ? Mat.At(i, k) : Mat.At(k, i);
      x = (x - mean) / divisor;
    }
    if (Means != nullptr) Means->SetVal(i, mean);
    if (StdDevs != nullptr) StdDevs->SetVal(i, sd);
  }
  Changed();
}

void TMatrix::StandardizeColumns(TVector* Means, TVector* StdDevs) { TransformLines(true, true, Means, StdDevs); }

void TMatrix::StandardizeRows(TVector* Means, TVector* StdDevs) { TransformLines(false, true, Means, StdDevs); }

void TMatrix::MeanCenterColumns(TVector* Means) { TransformLines(true, false, Means, nullptr); }

void TMatrix::MeanCenterRows(TVector* Means) { TransformLines(false, false, Means, nullptr); }

}  // namespace qelta
