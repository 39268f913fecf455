// Qelta_datatable: statistics of TDataTable over ranges of cells, respecting the cell states and the
// columns' scales, and the in-place standardisation, mean-centring and filling.
//
// The cells of a range reach the shared rules of the numerics (Qelta_stats_internal.h) through one
// visitor: column by column, the cells a selection takes are fed as runs of the stored values (the
// states and the column-major storage are read directly), or one by one where nominal and ordinal
// values are rounded. So every statistic here obeys the rules of the vectors and matrices: the
// variance about a shift, clamped at 0 (1.0 below three cells); quartiles and percentiles by the
// interpolation at (n + 1) p, the largest value where the position reaches n.
// Deliberate deviations, each a mended fault:
//  - The variance is no longer the one-pass (sum of squares - sum^2 / n) / (n - 1), which went
//    negative on constant cells and lost every digit for values with a large common offset.
//  - MinMaxOf... start from the first used cell: the classic seeds 1.7e38 / -1.7e38 gave a wrong
//    minimum when every value lay above 1.7e38; those seeds remain the answer for no usable cell.
//  - Quartiles and percentiles where the position reaches n answer the largest value (the classic
//    guard answered v(n - 1), the upper quartile of two values below their median).
//  - The geometric and harmonic means of no values answer 0.

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "Qelta_datatable.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_stats_internal.h"
#include "Qelta_univconst.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

// [SECTION] selections and the cell visitor

/// Which cells of a range a statistic takes: always number cells (neither csNotANumber nor csEmpty);
/// of stInterval / stRatio columns only unless AnyScale; with UseMask only those whose state AND
/// Mask AND $FC is not 0; Round rounds the values of nominal and ordinal columns.
struct TDataTable::TSelect {
  bool AnyScale = false;
  bool UseMask = false;
  uint8_t Mask = 0;
  bool Round = false;
  bool Takes(uint8_t s) const { return (s & (csNotANumber | csEmpty)) == 0 && (!UseMask || (s & Mask & 0xFC) != 0); }
};

namespace {

bool NumericScale(TMScaleType t) { return t == stInterval || t == stRatio; }

/// Counts the values fed.
struct TCounter {
  int64_t N = 0;
  void Run(const double*, int64_t n) { N += n; }
};

/// Plain sum in feeding order, with the count.
struct TPlainSum {
  int64_t N = 0;
  double Sum = 0;
  void Run(const double* p, int64_t n) {
    for (int64_t i = 0; i < n; ++i) Sum += p[i];
    N += n;
  }
};

/// Extremes (NaN passed over) with the count of every value fed.
struct TCountedExtremes : num_detail::TExtremes<double> {
  int64_t N = 0;
  void Run(const double* p, int64_t n) {
    N += n;
    num_detail::TExtremes<double>::Run(p, n);
  }
};

int ClampCount(int64_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

}  // namespace

int TDataTable::UsableCols() const { return std::min(FNrOfCols, NumericData->NrOfColumns()); }

int TDataTable::UsableRows() const { return std::min(FNrOfRows, NumericData->NrOfRows()); }

template <typename Acc>
void TDataTable::VisitCells(const TSelect& sel, int lc, int lr, int hc, int hr, Acc& acc) const {
  MakeValidColRange(lc, hc);
  MakeValidRowRange(lr, hr);
  hc = std::min(hc, UsableCols());
  hr = std::min(hr, UsableRows());
  if (lc < 1 || lr < 1) return;  // a dimension of 0
  const double* data = num_detail::TMatrixAccess::Data(*NumericData);
  const int64_t stride = num_detail::TMatrixAccess::Stride(*NumericData);
  for (int c = lc; c <= hc; ++c) {
    const TMScaleType t = FVType[static_cast<std::size_t>(c - 1)].MScaleType;
    if (!sel.AnyScale && !NumericScale(t)) continue;
    const double* col = data + (c - 1) * stride - 1;  // col[r] is row r
    const uint8_t* st = StatesOf(c) - 1;
    if (sel.Round && !NumericScale(t) && t != stUnknown) {
      for (int r = lr; r <= hr; ++r)
        if (sel.Takes(st[r])) {
          const double v = std::nearbyint(col[r]);
          acc.Run(&v, 1);
        }
      continue;
    }
    int from = 0;  // first row of the current run, 0 for none
    for (int r = lr; r <= hr; ++r) {
      if (sel.Takes(st[r])) {
        if (from == 0) from = r;
      } else if (from != 0) {
        acc.Run(col + from, r - from);
        from = 0;
      }
    }
    if (from != 0) acc.Run(col + from, int64_t{hr} - from + 1);
  }
}

int64_t TDataTable::CountCells(const TSelect& sel, int lc, int lr, int hc, int hr) const {
  TCounter count;
  VisitCells(sel, lc, lr, hc, hr, count);
  return count.N;
}

// [SECTION] counts and sums

int TDataTable::CountNumCells(int LowCol, int LowRow, int HighCol, int HighRow) const {
  return ClampCount(CountCells(TSelect{}, LowCol, LowRow, HighCol, HighRow));
}

int TDataTable::CountValidCells(int LowCol, int LowRow, int HighCol, int HighRow) const {
  TSelect any;
  any.AnyScale = true;
  return ClampCount(CountCells(any, LowCol, LowRow, HighCol, HighRow));
}

namespace {

/// Cells of a valid range whose state has a bit of mask.
int64_t CountStates(const std::vector<uint8_t>& states, int rows, int lc, int lr, int hc, int hr, uint8_t mask) {
  int64_t n = 0;
  for (int c = std::max(lc, 1); c <= hc; ++c) {
    const uint8_t* column = states.data() + static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(rows);
    for (int r = std::max(lr, 1); r <= hr; ++r) n += (column[r - 1] & mask) != 0;
  }
  return n;
}

}  // namespace

int TDataTable::CountEmptyCells(int LowCol, int LowRow, int HighCol, int HighRow) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  return ClampCount(CountStates(FCState, FNrOfRows, LowCol, LowRow, HighCol, HighRow, csEmpty));
}

int TDataTable::CountImputedCells(int LowCol, int LowRow, int HighCol, int HighRow) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  return ClampCount(CountStates(FCState, FNrOfRows, LowCol, LowRow, HighCol, HighRow, csImputed));
}

TDataTable::TSelect TDataTable::Marked(uint8_t CellState) {
  TSelect sel;
  sel.UseMask = true;
  sel.Mask = CellState;
  return sel;
}

double TDataTable::SumOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, int& NumData) const {
  TPlainSum sum;
  VisitCells(TSelect{}, LowCol, LowRow, HighCol, HighRow, sum);
  NumData = ClampCount(sum.N);
  return sum.Sum;
}

double TDataTable::SumOfMarkedCells(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t CellState,
                                    int& NumData) const {
  TPlainSum sum;
  VisitCells(Marked(CellState), LowCol, LowRow, HighCol, HighRow, sum);
  NumData = ClampCount(sum.N);
  return sum.Sum;
}

// [SECTION] means, variances, extremes

int TDataTable::MeanVarOf(const TSelect& sel, int lc, int lr, int hc, int hr, double& Mean, double& Variance) const {
  const num_detail::TMoments m = num_detail::CentredMoments([&](auto& acc) { VisitCells(sel, lc, lr, hc, hr, acc); }, 2);
  num_detail::MeanVarRule(m, Mean, Variance);
  return ClampCount(m.N);
}

int TDataTable::MeanVarOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Mean,
                                  double& Variance) const {
  return MeanVarOf(TSelect{}, LowCol, LowRow, HighCol, HighRow, Mean, Variance);
}

int TDataTable::MeanVarOfMarkedCells(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t CellState,
                                     double& Mean, double& Variance) const {
  return MeanVarOf(Marked(CellState), LowCol, LowRow, HighCol, HighRow, Mean, Variance);
}

namespace {

int GiveExtremes(const TCountedExtremes& e, double& Minimum, double& Maximum) {
  Minimum = static_cast<double>(uc_MaxReal);
  Maximum = -static_cast<double>(uc_MaxReal);
  e.Give(Minimum, Maximum);
  return ClampCount(e.N);
}

}  // namespace

int TDataTable::MinMaxOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Minimum,
                                 double& Maximum) const {
  TCountedExtremes e;
  VisitCells(TSelect{}, LowCol, LowRow, HighCol, HighRow, e);
  return GiveExtremes(e, Minimum, Maximum);
}

int TDataTable::MinMaxOfMarkedCells(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t CellState,
                                    double& Minimum, double& Maximum) const {
  TSelect sel = Marked(CellState);
  sel.AnyScale = true;
  TCountedExtremes e;
  VisitCells(sel, LowCol, LowRow, HighCol, HighRow, e);
  return GiveExtremes(e, Minimum, Maximum);
}

int TDataTable::MinMaxOfValidCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Minimum,
                                   double& Maximum) const {
  TSelect sel;
  sel.AnyScale = true;
  sel.Round = true;
  TCountedExtremes e;
  VisitCells(sel, LowCol, LowRow, HighCol, HighRow, e);
  return GiveExtremes(e, Minimum, Maximum);
}

double TDataTable::GeometricMeanOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, int& NumData) const {
  int64_t positive = 0;
  NumData = 0;
  const double g = num_detail::GeometricMeanRule<EQeltaMatrixError>(
      *this, [&](auto& acc) { VisitCells(TSelect{}, LowCol, LowRow, HighCol, HighRow, acc); }, &positive);
  NumData = ClampCount(positive);
  return g;
}

double TDataTable::HarmonicMeanOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, int& NumData) const {
  int64_t count = 0;
  NumData = 0;
  const double h = num_detail::HarmonicMeanRule<EQeltaMatrixError>(
      *this, [&](auto& acc) { VisitCells(TSelect{}, LowCol, LowRow, HighCol, HighRow, acc); }, &count);
  NumData = ClampCount(count);
  return h;
}

// [SECTION] quartiles and percentiles

bool TDataTable::QuartilesOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Q1, double& Q2,
                                     double& Q3, int& NumData) const {
  const TSelect sel;
  const int64_t n = CountCells(sel, LowCol, LowRow, HighCol, HighRow);
  std::vector<double> work = num_detail::WorkArray<EQeltaDataTableError>(
      *this, [&](auto& acc) { VisitCells(sel, LowCol, LowRow, HighCol, HighRow, acc); }, n);
  num_detail::QuartilesRule(work, Q1, Q2, Q3);
  NumData = ClampCount(n);
  return true;
}

double TDataTable::PercentileOf(const TSelect& sel, double prob, int lc, int lr, int hc, int hr, int& NumData) const {
  const int64_t n = CountCells(sel, lc, lr, hc, hr);
  std::vector<double> work =
      num_detail::WorkArray<EQeltaMatrixError>(*this, [&](auto& acc) { VisitCells(sel, lc, lr, hc, hr, acc); }, n);
  NumData = ClampCount(n);
  return num_detail::PercentileRule(work, prob);
}

double TDataTable::PercentileOfNumCells(double prob, int LowCol, int LowRow, int HighCol, int HighRow,
                                        int& NumData) const {
  return PercentileOf(TSelect{}, prob, LowCol, LowRow, HighCol, HighRow, NumData);
}

double TDataTable::PercentileOfMarkedCells(double prob, int LowCol, int LowRow, int HighCol, int HighRow,
                                           uint8_t CellState, int& NumData) const {
  return PercentileOf(Marked(CellState), prob, LowCol, LowRow, HighCol, HighRow, NumData);
}

// [SECTION] scales, attributes, dichotomies

TMScaleType TDataTable::FindHighestMLevel(int FirstCol, int LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = stNominal;
  for (int c = std::max(FirstCol, 1); c <= LastCol; ++c) level = std::max(level, GetMScaleType(c));
  return level;
}

TMScaleType TDataTable::FindLowestMLevel(int FirstCol, int LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = stRatio;
  for (int c = std::max(FirstCol, 1); c <= LastCol; ++c) level = std::min(level, GetMScaleType(c));
  return level;
}

namespace {

int DistinctBytes(const std::vector<uint8_t>& bytes) {
  std::array<bool, 256> seen{};
  for (uint8_t b : bytes) seen[b] = true;
  return static_cast<int>(std::count(seen.begin(), seen.end(), true));
}

}  // namespace

int TDataTable::RowAttribLevels() const { return DistinctBytes(FRowAtt); }

int TDataTable::ColAttribLevels() const { return DistinctBytes(FColAtt); }

bool TDataTable::CheckDichotomousColumn(int col, double& v1, double& v2) const {
  v1 = v2 = 0;
  if (FNrOfRows < 2 || !ColInside(col)) return false;
  v1 = NumericData->GetVal(col, 1);
  int r = 2;
  while (r <= FNrOfRows && NumericData->GetVal(col, r) == v1) ++r;
  if (r > FNrOfRows) return false;
  v2 = NumericData->GetVal(col, r);
  for (; r <= FNrOfRows; ++r) {
    const double v = NumericData->GetVal(col, r);
    if (v != v1 && v != v2) return false;
  }
  return true;
}

// [SECTION] writing statistics back

int TDataTable::FillMarkedCells(double Value, uint8_t StateMask) {
  int count = 0;
  for (int c = 1; c <= FNrOfCols; ++c)
    for (int r = 1; r <= FNrOfRows; ++r)
      if ((StatesOf(c)[r - 1] & StateMask) != 0) {
        WriteCell(c, r, Value);
        ++count;
      }
  if (count > 0) ChangedData();
  return count;
}

void TDataTable::TransformColumns(bool scale, TVector* Means, TVector* StdDevs) {
  bool any = false;
  for (int c = 1; c <= FNrOfCols; ++c) {
    if (!NumericScale(GetMScaleType(c))) continue;
    double mean = 0, variance = 0;
    MeanVarOfNumCells(c, 0, c, 0, mean, variance);
    const double sd = std::sqrt(variance);
    if (!scale || variance > 0) {
      any = true;
      for (int r = 1; r <= FNrOfRows; ++r) {
        if (!GetIsNumber(c, r) || !NumericScale(GetMScaleType(c))) continue;
        const double v = NumericData->GetVal(c, r) - mean;
        WriteCell(c, r, scale ? v / sd : v);
      }
    }
    if (Means != nullptr) Means->SetVal(c, mean);
    if (StdDevs != nullptr) StdDevs->SetVal(c, sd);
  }
  if (any) ChangedData();
}

void TDataTable::TransformRows(bool scale, TVector* Means, TVector* StdDevs, const char16_t* refusal) {
  if (!ListOfCategorialVars().empty()) throw EQeltaDataTableError(refusal);
  for (int r = 1; r <= FNrOfRows; ++r) {
    double mean = 0, variance = 0;
    MeanVarOfNumCells(0, r, 0, r, mean, variance);
    const double sd = std::sqrt(variance);
    if (!scale || variance > 0)
      for (int c = 1; c <= FNrOfCols; ++c) {
        if (!GetIsNumber(c, r)) continue;
        const double v = NumericData->GetVal(c, r) - mean;
        WriteCell(c, r, scale ? v / sd : v);
      }
    if (Means != nullptr) Means->SetVal(r, mean);
    if (StdDevs != nullptr) StdDevs->SetVal(r, sd);
  }
  ChangedData();
}

void TDataTable::StandardizeNumCellColumns(TVector* Means, TVector* StdDevs) { TransformColumns(true, Means, StdDevs); }

void TDataTable::StandardizeNumCellRows(TVector* Means, TVector* StdDevs) {
  TransformRows(true, Means, StdDevs, u"standardization of rows is not possible with nominal or ordinal variables");
}

void TDataTable::MeanCenterNumCellColumns(TVector* Means) { TransformColumns(false, Means, nullptr); }

void TDataTable::MeanCenterNumCellRows(TVector* Means) {
  TransformRows(false, Means, nullptr, u"mean centering of rows is not possible with nominal or ordinal variables");
}

}  // namespace qelta
