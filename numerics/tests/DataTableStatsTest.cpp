// TDataTable: statistics over ranges, respecting states and scales, against plain computations over
// explicit lists of the usable cells; the in-place transformations; CalcCovar with pairwise deletion.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "Assertions.h"
#include "DataTableTestKit.h"
#include "Qelta_datatable.h"

namespace qelta {
namespace {

using test::Fill;
using test::TTableLog;

// [SECTION] plain computations

struct TPlain {
  std::vector<double> v;
  double Sum() const {
    double s = 0;
    for (double x : v) s += x;
    return s;
  }
  double Mean() const { return v.empty() ? 0.0 : static_cast<double>(static_cast<long double>(Sum()) / v.size()); }
  /// Two passes in extended precision; 1.0 below three values.
  double Variance() const {
    if (v.size() < 3) return 1.0;
    long double m = 0, q = 0;
    for (double x : v) m += x;
    m /= v.size();
    for (double x : v) q += (x - m) * (x - m);
    return static_cast<double>(q / (v.size() - 1));
  }
  /// Interpolation at pos of the sorted values; v(1) below 1, v(n) from n on.
  double At(double pos) const {
    std::vector<double> s = v;
    std::sort(s.begin(), s.end());
    const int64_t n = static_cast<int64_t>(s.size());
    const int64_t k = static_cast<int64_t>(pos);
    if (k < 1) return s.front();
    if (k >= n) return s.back();
    return s[k - 1] + (s[k] - s[k - 1]) * (pos - static_cast<double>(k));
  }
};

/// The cells of a range whose column and state pass, values as stored (rounded when asked).
TPlain Cells(const TDataTable& t, int lc, int lr, int hc, int hr, const std::function<bool(int, uint8_t)>& takes,
             bool round = false) {
  t.MakeValidColRange(lc, hc);
  t.MakeValidRowRange(lr, hr);
  TPlain p;
  for (int c = lc; c <= hc; ++c)
    for (int r = lr; r <= hr; ++r)
      if (takes(c, t.GetCellState(c, r))) {
        const double v = t.NumericData->GetVal(c, r);
        const TMScaleType s = t.GetMScaleType(c);
        p.v.push_back(round && (s == stNominal || s == stOrdinal) ? std::nearbyint(v) : v);
      }
  return p;
}

bool IsNumber(uint8_t s) { return (s & 3) == 0; }

std::function<bool(int, uint8_t)> NumericOf(const TDataTable& t, int mask = -1) {
  return [&t, mask](int c, uint8_t s) {
    const TMScaleType k = t.GetMScaleType(c);
    return (k == stInterval || k == stRatio) && IsNumber(s) && (mask < 0 || (s & mask & 0xFC) != 0);
  };
}

/// Columns: interval with a large offset, ratio, nominal, unknown, interval; states of every kind.
void MixedTable(TDataTable& t) {
  t.SetName(u"T");
  Fill(t, {{1e9 + 1, 4, 2.6, 7, -3},
           {1e9 + 2, 8, 1.4, 8, 0},
           {1e9 + 4, 1, 3.5, 9, 5},
           {1e9 + 8, 2, 2.5, 1, 2},
           {1e9 + 16, 6, 1, 2, 2},
           {1e9 + 32, 3, 2, 3, 1}});
  t.SetMScaleType(2, stRatio);
  t.SetMScaleType(3, stNominal);
  t.SetMScaleType(4, stUnknown);
  const uint8_t states[6][5] = {{0, 0x40, 0, 0x41, 0x02},
                                {0x01, 0x20, 0x40, 0, 0x80},
                                {0x40, 0x03, 0, 0x40, 0},
                                {0, 0, 0x02, 0, 0x41},
                                {0x20, 0x80, 0, 0x01, 0x40},
                                {0, 0xC0, 0x40, 0, 0}};
  for (int r = 1; r <= 6; ++r)
    for (int c = 1; c <= 5; ++c) t.SetCellState(c, r, states[r - 1][c - 1]);
}

struct TRange {
  int lc, lr, hc, hr;
};
const TRange kRanges[] = {{0, 0, 0, 0}, {2, 2, 5, 5}, {5, 6, 1, 1}, {1, 1, 1, 6}, {-3, 0, 9, 99}, {3, 1, 4, 6}};

// [SECTION] counts, sums, moments, extremes, order statistics

TEST(TDataTableStats, EveryStatisticEqualsAPlainComputationOverTheUsableCells) {
  TDataTable t(nullptr);
  MixedTable(t);
  for (const TRange& g : kRanges) {
    SCOPED_TRACE(testing::Message() << g.lc << "," << g.lr << " " << g.hc << "," << g.hr);
    const TPlain num = Cells(t, g.lc, g.lr, g.hc, g.hr, NumericOf(t));
    const TPlain marked = Cells(t, g.lc, g.lr, g.hc, g.hr, NumericOf(t, 0x40));
    const TPlain valid = Cells(t, g.lc, g.lr, g.hc, g.hr, [](int, uint8_t s) { return IsNumber(s); }, true);
    const TPlain markedAny =
        Cells(t, g.lc, g.lr, g.hc, g.hr, [](int, uint8_t s) { return IsNumber(s) && (s & 0x80) != 0; });
    EXPECT_EQ(t.CountNumCells(g.lc, g.lr, g.hc, g.hr), static_cast<int>(num.v.size()));
    EXPECT_EQ(t.CountValidCells(g.lc, g.lr, g.hc, g.hr), static_cast<int>(valid.v.size()));
    EXPECT_EQ(t.CountEmptyCells(g.lc, g.lr, g.hc, g.hr),
              static_cast<int>(Cells(t, g.lc, g.lr, g.hc, g.hr, [](int, uint8_t s) { return (s & 2) != 0; }).v.size()));
    EXPECT_EQ(t.CountImputedCells(g.lc, g.lr, g.hc, g.hr),
              static_cast<int>(Cells(t, g.lc, g.lr, g.hc, g.hr, [](int, uint8_t s) { return (s & 0x20) != 0; }).v.size()));
    int n = -1;
    EXPECT_EQ(t.SumOfNumCells(g.lc, g.lr, g.hc, g.hr, n), num.Sum());
    EXPECT_EQ(n, static_cast<int>(num.v.size()));
    EXPECT_EQ(t.SumOfMarkedCells(g.lc, g.lr, g.hc, g.hr, 0x41, n), marked.Sum());
    EXPECT_EQ(n, static_cast<int>(marked.v.size()));
    double mean = -1, var = -1;
    EXPECT_EQ(t.MeanVarOfNumCells(g.lc, g.lr, g.hc, g.hr, mean, var), static_cast<int>(num.v.size()));
    EXPECT_NEAR_REL(mean, num.Mean(), 1e-15);
    EXPECT_NEAR_REL(var, num.Variance(), 1e-12);
    EXPECT_EQ(t.MeanVarOfMarkedCells(g.lc, g.lr, g.hc, g.hr, 0x40, mean, var), static_cast<int>(marked.v.size()));
    EXPECT_NEAR_REL(mean, marked.Mean(), 1e-15);
    EXPECT_NEAR_REL(var, marked.Variance(), 1e-12);
    double lo = 0, hi = 0;
    const auto lowest = [](const TPlain& p) { return p.v.empty() ? 1.7e38 : *std::min_element(p.v.begin(), p.v.end()); };
    const auto highest = [](const TPlain& p) { return p.v.empty() ? -1.7e38 : *std::max_element(p.v.begin(), p.v.end()); };
    EXPECT_EQ(t.MinMaxOfNumCells(g.lc, g.lr, g.hc, g.hr, lo, hi), static_cast<int>(num.v.size()));
    EXPECT_EQ(std::pair(lo, hi), std::pair(lowest(num), highest(num)));
    EXPECT_EQ(t.MinMaxOfValidCells(g.lc, g.lr, g.hc, g.hr, lo, hi), static_cast<int>(valid.v.size()));
    EXPECT_EQ(std::pair(lo, hi), std::pair(lowest(valid), highest(valid)));
    EXPECT_EQ(t.MinMaxOfMarkedCells(g.lc, g.lr, g.hc, g.hr, 0x80, lo, hi), static_cast<int>(markedAny.v.size()));
    EXPECT_EQ(std::pair(lo, hi), std::pair(lowest(markedAny), highest(markedAny)));
    double q1 = -1, q2 = -1, q3 = -1;
    EXPECT_TRUE(t.QuartilesOfNumCells(g.lc, g.lr, g.hc, g.hr, q1, q2, q3, n));
    EXPECT_EQ(n, static_cast<int>(num.v.size()));
    if (num.v.empty()) {
      EXPECT_EQ(std::tuple(q1, q2, q3), std::tuple(0.0, 0.0, 0.0));
    } else {
      const double n1 = num.v.size() + 1.0;
      EXPECT_EQ(std::tuple(q1, q2, q3), std::tuple(num.At(n1 * 0.25), num.At(n1 * 0.5), num.At(n1 * 0.75)));
      for (double p : {0.0, 10.0, 37.5, 90.0, 99.9})
        EXPECT_EQ(t.PercentileOfNumCells(p, g.lc, g.lr, g.hc, g.hr, n), num.v.size() == 1 ? num.v[0] : num.At(p * n1 / 100));
      EXPECT_EQ(t.PercentileOfNumCells(100, g.lc, g.lr, g.hc, g.hr, n), highest(num));
      EXPECT_EQ(t.PercentileOfNumCells(250, g.lc, g.lr, g.hc, g.hr, n), highest(num));
    }
    if (!marked.v.empty()) {
      EXPECT_EQ(t.PercentileOfMarkedCells(50, g.lc, g.lr, g.hc, g.hr, 0x40, n),
                marked.v.size() == 1 ? marked.v[0] : marked.At(0.5 * (marked.v.size() + 1.0)));
    }
  }
}

TEST(TDataTableStats, EdgeCasesOfTheCellClasses) {
  TDataTable t(nullptr);
  Fill(t, {{1, 10}, {2, 20}, {3, 30}});
  t.SetMScaleType(2, stNominal);
  t.SetCellState(1, 3, 0x20 | 0x40);  // imputed and marked: still a number
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), 3);
  EXPECT_EQ(t.CountValidCells(0, 0, 0, 0), 6);
  double mean = 0, var = 0;
  EXPECT_EQ(t.MeanVarOfNumCells(1, 1, 1, 2, mean, var), 2);
  EXPECT_EQ(var, 1.0);  // two cells
  int n = -1;
  EXPECT_EQ(t.SumOfMarkedCells(0, 0, 0, 0, 0x03, n), 0.0);
  EXPECT_EQ(n, 0);
  double lo = 0, hi = 0;
  EXPECT_EQ(t.MinMaxOfNumCells(2, 1, 2, 3, lo, hi), 0);
  EXPECT_EQ(std::pair(lo, hi), std::pair(1.7e38, -1.7e38));
}

// The extremes used to start at +-1.7e38, so cells all above 1.7e38 gave that as the minimum.
TEST(TDataTableStats, ExtremesStartFromTheFirstUsedCell) {
  TDataTable t(nullptr);
  Fill(t, {{1e300}, {2e300}, {-1e300}});
  t.SetCellState(1, 3, csEmpty);
  double lo = 0, hi = 0;
  EXPECT_EQ(t.MinMaxOfNumCells(0, 0, 0, 0, lo, hi), 2);
  EXPECT_EQ(std::pair(lo, hi), std::pair(1e300, 2e300));
}

// The one-pass variance went negative on constant cells and lost every digit under a large offset.
TEST(TDataTableStats, TheVarianceIsTakenAboutAShift) {
  TDataTable t(nullptr);
  Fill(t, {{0.1, 1e10 + 1}, {0.1, 1e10 + 2}, {0.1, 1e10 + 3}});
  double mean = 0, var = -1;
  t.MeanVarOfNumCells(1, 0, 1, 0, mean, var);
  EXPECT_EQ(var, 0.0);
  t.MeanVarOfNumCells(2, 0, 2, 0, mean, var);
  EXPECT_EQ(var, 1.0);
  EXPECT_EQ(mean, 1e10 + 2);
}

// The classic guard answered v(n - 1) where the position reached n: the upper quartile of two
// values was the smaller one, below the median.
TEST(TDataTableStats, QuartilesAndPercentilesAnswerTheLargestWhereThePositionReachesN) {
  TDataTable t(nullptr);
  Fill(t, {{4}, {9}});
  double q1 = 0, q2 = 0, q3 = 0;
  int n = 0;
  t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n);
  EXPECT_EQ(std::tuple(q1, q2, q3, n), std::tuple(4.0, 6.5, 9.0, 2));
  EXPECT_EQ(t.PercentileOfNumCells(70, 0, 0, 0, 0, n), 9.0);
  t.SetCellState(1, 2, csEmpty);
  t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n);
  EXPECT_EQ(std::tuple(q1, q2, q3, n), std::tuple(4.0, 4.0, 4.0, 1));
  t.SetCellState(1, 1, csNotANumber);
  EXPECT_TRUE(t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_EQ(std::tuple(q1, q2, q3, n), std::tuple(0.0, 0.0, 0.0, 0));
  EXPECT_EQ(t.PercentileOfNumCells(50, 0, 0, 0, 0, n), 0.0);
}

TEST(TDataTableStats, GeometricAndHarmonicMeans) {
  TDataTable t(nullptr);
  t.SetName(u"T");
  Fill(t, {{1, 2}, {4, 0}, {16, 8}});
  int n = -1;
  EXPECT_NEAR_REL(t.GeometricMeanOfNumCells(1, 0, 1, 0, n), 4.0, 1e-15);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(t.GeometricMeanOfNumCells(2, 0, 2, 0, n), 0.0);  // a zero
  EXPECT_EQ(n, 2);
  EXPECT_NEAR_REL(t.HarmonicMeanOfNumCells(1, 0, 1, 0, n), 3.0 / (1 + 0.25 + 1.0 / 16), 1e-15);
  EXPECT_EQ(n, 3);
  EXPECT_THROW_MSG(t.HarmonicMeanOfNumCells(2, 0, 2, 0, n), EQeltaMatrixError,
                   "Component \"T\": negative or zero argument passed to HarmonicMean");
  t.SetElem(2, 1, -2);
  EXPECT_THROW_MSG(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), EQeltaMatrixError,
                   "Component \"T\": negative argument passed to GeometricMean");
  t.SetAllCellStates(csEmpty);  // nothing usable: 0
  EXPECT_EQ(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 0.0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(t.HarmonicMeanOfNumCells(0, 0, 0, 0, n), 0.0);
  EXPECT_EQ(n, 0);
}

TEST(TDataTableStats, LevelsAttributesAndDichotomies) {
  TDataTable t(nullptr);
  Fill(t, {{0, 1, 5}, {1, 1, 6}, {0, 1, 7}, {1, 1, 5}});
  for (int c = 1; c <= 3; ++c) t.SetMScaleType(c, stUnknown);
  EXPECT_EQ(t.FindHighestMLevel(0, 0), stNominal);
  t.SetMScaleType(2, stOrdinal);
  t.SetMScaleType(3, stRatio);
  EXPECT_EQ(t.FindHighestMLevel(1, 2), stOrdinal);
  EXPECT_EQ(t.FindLowestMLevel(2, 3), stOrdinal);
  EXPECT_EQ(t.FindLowestMLevel(0, 0), stUnknown);
  t.SetRowAttrib(2, 4);
  t.SetRowAttrib(3, 4);
  EXPECT_EQ(t.RowAttribLevels(), 2);
  EXPECT_EQ(t.ColAttribLevels(), 1);
  double v1 = -1, v2 = -1;
  EXPECT_TRUE(t.CheckDichotomousColumn(1, v1, v2));
  EXPECT_EQ(std::pair(v1, v2), std::pair(0.0, 1.0));
  EXPECT_FALSE(t.CheckDichotomousColumn(2, v1, v2));  // one value only
  EXPECT_FALSE(t.CheckDichotomousColumn(3, v1, v2));  // three values
  EXPECT_FALSE(t.CheckDichotomousColumn(4, v1, v2));
  EXPECT_EQ(std::pair(v1, v2), std::pair(0.0, 0.0));
}

// [SECTION] writing back

TEST(TDataTableStats, FillMarkedCellsWritesEveryMatchingCell) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2}, {3, 4}});
  t.SetMScaleType(2, stNominal);
  t.SetCellState(1, 1, csMarkA | csEmpty);
  t.SetCellState(2, 2, csMarkA);
  TTableLog log;
  log.Hook(t);
  EXPECT_EQ(t.FillMarkedCells(9, csMarkA), 2);
  EXPECT_EQ(log.Take(), "Change, Change, Change");  // one per cell through the hook, then the end
  EXPECT_EQ(t.GetElem(1, 1), 9.0);
  EXPECT_EQ(t.GetElem(2, 2), 9.0);
  EXPECT_EQ(t.FillMarkedCells(9, csMarkB), 0);
  EXPECT_EQ(log.Take(), "");
}

TEST(TDataTableStats, StandardizingAndCentringColumns) {
  TDataTable t(nullptr);
  Fill(t, {{1, 5, 2, 7}, {2, 5, 2, 7}, {3, 5, 9, 7}, {6, 5, 9, 7}});
  t.SetMScaleType(3, stNominal);
  t.SetCellState(1, 4, csNotANumber);
  TVector means(nullptr), sds(nullptr);
  means.Resize(4);
  sds.Resize(4);
  sds.SetVal(3, -1);
  TTableLog log;
  log.Hook(t);
  t.StandardizeNumCellColumns(&means, &sds);
  EXPECT_EQ(log.Events.back(), "Change");
  EXPECT_EQ(t.GetElem(1, 1), -1.0);
  EXPECT_EQ(t.GetElem(1, 3), 1.0);
  EXPECT_EQ(t.GetElem(1, 4), 6.0);  // not a number: untouched
  EXPECT_EQ(t.GetElem(2, 1), 5.0);  // constant: variance 0, unchanged
  EXPECT_EQ(t.GetElem(3, 3), 9.0);  // nominal: untouched
  EXPECT_EQ(means.GetVal(1), 2.0);
  EXPECT_EQ(sds.GetVal(1), 1.0);
  EXPECT_EQ(sds.GetVal(2), 0.0);
  EXPECT_EQ(sds.GetVal(3), -1.0);
  t.MeanCenterNumCellColumns(&means);
  EXPECT_EQ(t.GetElem(2, 2), 0.0);
  EXPECT_EQ(t.GetElem(4, 1), 0.0);
}

TEST(TDataTableStats, RowsRefuseNominalColumnsAndTransformNumberCells) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2, 3}, {4, 4, 4}});
  t.SetMScaleType(2, stOrdinal);
  EXPECT_THROW_MSG(t.StandardizeNumCellRows(nullptr, nullptr), EQeltaDataTableError,
                   "standardization of rows is not possible with nominal or ordinal variables");
  EXPECT_THROW_MSG(t.MeanCenterNumCellRows(nullptr), EQeltaDataTableError,
                   "mean centering of rows is not possible with nominal or ordinal variables");
  EXPECT_EQ(t.GetElem(1, 1), 1.0);
  t.SetMScaleType(2, stUnknown);  // its number cells are transformed, but not counted in the mean
  TVector means(nullptr);
  means.Resize(2);
  t.MeanCenterNumCellRows(&means);
  EXPECT_EQ(means.GetVal(1), 2.0);
  EXPECT_EQ(t.GetElem(1, 1), -1.0);
  EXPECT_EQ(t.GetElem(2, 1), 0.0);
  EXPECT_EQ(t.GetElem(3, 2), 0.0);
  Fill(t, {{1, 2, 3}});
  t.StandardizeNumCellRows(nullptr, nullptr);  // two numeric cells: variance 1.0
  EXPECT_EQ(t.GetElem(1, 1), -1.0);
  EXPECT_EQ(t.GetElem(3, 1), 1.0);
}

// [SECTION] CalcCovar

/// e(i, j) computed plainly over the rows where both cells are number cells; scale: the size of the
/// terms summed (what the rounding of a double sum is relative to).
double PlainCovar(const TDataTable& t, int c1, int c2, int lr, int hr, int mode, double mean1, double mean2,
                  double& scale) {
  std::vector<double> x, y;
  for (int r = lr; r <= hr; ++r)
    if (t.GetIsNumber(c1, r) && t.GetIsNumber(c2, r)) {
      x.push_back(t.GetElem(c1, r));
      y.push_back(t.GetElem(c2, r));
    }
  const long double m = x.size();
  long double mx = 0, my = 0, sxy = 0, sxx = 0, syy = 0, raw = 0, dd = 0, cov = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    mx += x[k];
    my += y[k];
  }
  if (m > 0) {
    mx /= m;
    my /= m;
  }
  scale = 1;
  for (std::size_t k = 0; k < x.size(); ++k) {
    if (mode == 0) scale += std::fabs(x[k] * y[k]);
    if (mode == 1) scale += std::fabs((x[k] - mean1) * (y[k] - mean2));
    if (mode == 4) scale += (x[k] - y[k]) * (x[k] - y[k]);
    sxy += (x[k] - mx) * (y[k] - my);
    sxx += (x[k] - mx) * (x[k] - mx);
    syy += (y[k] - my) * (y[k] - my);
    raw += static_cast<long double>(x[k]) * y[k];
    dd += (static_cast<long double>(x[k]) - y[k]) * (static_cast<long double>(x[k]) - y[k]);
    cov += (x[k] - static_cast<long double>(mean1)) * (y[k] - static_cast<long double>(mean2));
  }
  switch (mode) {
    case 0: return m > 1 ? static_cast<double>(raw / (m - 1)) : 0.0;
    case 1: return m > 1 ? static_cast<double>(cov / (m - 1)) : 0.0;
    case 2:
    case 3: {
      if (m <= 2 || sxx <= 0 || syy <= 0) return 0.0;
      const double r = static_cast<double>(sxy / std::sqrt(sxx * syy));
      return mode == 2 ? r : r * r;
    }
    case 4: return m > 1 ? static_cast<double>(dd / (m - 1)) : 0.0;
    default: return 0.0;
  }
}

/// A random table of nc columns: complete columns, columns with missing cells, a nominal one and
/// one with a large offset.
void CovarTable(TDataTable& t, int nc, int nr, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> g;
  t.Resize(nc, nr);
  for (int c = 1; c <= nc; ++c)
    for (int r = 1; r <= nr; ++r) {
      t.SetElem(c, r, g(rng) + (c % 7 == 3 ? 1e8 : 0) + 0.3 * t.GetElem(1, r));
      if (c % 5 == 2 && rng() % 4 == 0) t.SetCellState(c, r, rng() % 2 ? csEmpty : csNotANumber);
    }
  t.SetMScaleType(std::min(4, nc), stNominal);
}

TEST(TDataTableCovar, EveryModeEqualsAPlainPairwiseComputation) {
  for (const auto& [nc, nr, lo, hi] : {std::tuple(6, 30, 1, 6), std::tuple(70, 25, 3, 70), std::tuple(5, 8, 2, 4)}) {
    TDataTable t(nullptr);
    CovarTable(t, nc, nr, static_cast<unsigned>(nc * 31 + nr));
    for (int mode = 0; mode <= 5; ++mode) {
      TMatrix cov(nullptr);
      const int n = hi - lo + 1;
      cov.Resize(n + 1, n);  // larger than needed is fine
      cov.Fill(-7);
      ASSERT_TRUE(t.CalcCovar(&cov, lo, hi, 0, nr, mode));
      for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
          double m1 = 0, m2 = 0, v = 0;
          t.MeanVarOfNumCells(lo + i - 1, 0, lo + i - 1, nr, m1, v);
          t.MeanVarOfNumCells(lo + j - 1, 0, lo + j - 1, nr, m2, v);
          double scale = 1;
          const double plain = PlainCovar(t, lo + i - 1, lo + j - 1, 1, nr, mode, m1, m2, scale);
          const double want = (i == j && (mode == 2 || mode == 3)) ? 1.0 : plain;
          ASSERT_NEAR(cov.GetVal(j, i), want, 1e-13 * scale) << mode << " " << i << "," << j;
          ASSERT_EQ(cov.GetVal(j, i), cov.GetVal(i, j));
        }
      EXPECT_EQ(cov.GetVal(n + 1, 1), -7.0);
    }
  }
}

TEST(TDataTableCovar, LinearColumnsCorrelateFullyAndLargeOffsetsStayWithinOne) {
  TDataTable t(nullptr);
  t.Resize(4, 50);
  for (int r = 1; r <= 50; ++r) {
    t.SetElem(1, r, r);
    t.SetElem(2, r, -3.0 * r + 2);
    t.SetElem(3, r, 1e9 + 0.1 * std::sin(r));
    t.SetElem(4, r, 1e9 + 0.1 * std::sin(r));
  }
  TMatrix cov(nullptr);
  cov.Resize(4, 4);
  ASSERT_TRUE(t.CalcCovar(&cov, 1, 4, 1, 50, 2));
  EXPECT_NEAR(cov.GetVal(1, 2), -1.0, 1e-15);
  EXPECT_EQ(cov.GetVal(1, 1), 1.0);
  EXPECT_NEAR(cov.GetVal(3, 4), 1.0, 1e-12);
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) EXPECT_LE(std::fabs(cov.GetVal(i, j)), 1.0);
}

TEST(TDataTableCovar, PairwiseDeletionAndBoundsOutsideTheTable) {
  TDataTable t(nullptr);
  Fill(t, {{1, 1, 1, 2}, {2, 2, 3, 4}, {3, 3, 5, 7}, {4, 4, 100, 8}});
  t.SetCellState(3, 4, csEmpty);  // the pair (3, 4) loses row 4; the pair (3, 3) too
  TMatrix cov(nullptr);
  cov.Resize(3, 3);
  ASSERT_TRUE(t.CalcCovar(&cov, 3, 5, 1, 9, 0));  // column 5 and rows 5..9 lie outside
  EXPECT_EQ(cov.GetVal(1, 2), (1 * 2 + 3 * 4 + 5 * 7) / 2.0);
  EXPECT_EQ(cov.GetVal(1, 1), (1 + 9 + 25) / 2.0);
  EXPECT_EQ(cov.GetVal(3, 3), 0.0);  // no numbers: m = 0
  Fill(t, {{1, 2}, {3, 4}});
  t.SetCellState(1, 2, csNotANumber);
  for (int mode : {0, 1, 4}) {
    ASSERT_TRUE(t.CalcCovar(&cov, 1, 2, 0, 2, mode));
    EXPECT_EQ(cov.GetVal(1, 2), 0.0) << mode;  // m = 1
  }
}

TEST(TDataTableCovar, ATooSmallMatrixOrAnAbortAnswersFalse) {
  TDataTable t(nullptr);
  CovarTable(t, 40, 20, 9);
  TMatrix cov(nullptr);
  cov.Resize(39, 40);
  cov.Fill(-7);
  EXPECT_FALSE(t.CalcCovar(&cov, 1, 40, 0, 0, 1));
  EXPECT_EQ(cov.GetVal(1, 1), -7.0);
  EXPECT_FALSE(t.CalcCovar(nullptr, 1, 2, 0, 0, 1));
  cov.Resize(40, 40);
  int steps = 0;
  MathFeedBackProc = [&](int) {
    if (++steps == 40 + 5) AbortMathProc = true;  // during the fifth result row
  };
  EXPECT_FALSE(t.CalcCovar(&cov, 1, 40, 0, 0, 2));
  MathFeedBackProc = nullptr;
  EXPECT_EQ(steps, 45);
  EXPECT_NE(cov.GetVal(5, 5), -7.0);  // the row that was running is finished
  EXPECT_EQ(cov.GetVal(6, 6), -7.0);
  AbortMathProc = false;
  steps = 0;
  MathFeedBackProc = [&](int) { ++steps; };
  EXPECT_TRUE(t.CalcCovar(&cov, 1, 40, 0, 0, 0));
  EXPECT_EQ(steps, 40);  // mode 0: no column means
  MathFeedBackProc = nullptr;
}

}  // namespace
}  // namespace qelta
