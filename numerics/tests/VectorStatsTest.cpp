// Statistics over element ranges of TVector and TIntVector.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Assertions.h"
#include "Qelta_vector.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::ElementsOf;
using qelta::test::FillVector;
using qelta::test::TEventLog;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct TQuartileCase {
  std::initializer_list<double> Values;
  double Q1, Q2, Q3;
};

}  // namespace

// --- range rule -----------------------------------------------------------------------------------

// The statistics clamp and order their bounds but read (0, 0) as 1..1, unlike MakeValidElemRange.
TEST(TVectorStats, RangeZeroZeroIsTheFirstElementAndBoundsAreClampedAndOrdered) {
  TVector v(nullptr);
  FillVector(v, {4.0, 8, 15, 16, 23});
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 4);
  EXPECT_EQ(var, 1.0);
  EXPECT_EQ(v.Sum(0, 0), 4);
  EXPECT_EQ(v.Sum(5, 2), 62);
  EXPECT_EQ(v.Sum(-3, 99), 66);
  int lo = 0, hi = 0;
  v.MakeValidElemRange(lo, hi);
  EXPECT_EQ(hi, 5) << "the container rule still means the whole vector";
  TIntVector iv(nullptr);
  FillVector(iv, {7, 1, 9});
  EXPECT_EQ(iv.Sum(0, 0), 7);
  EXPECT_EQ(iv.Mode(0, 0), 7);
}

// --- means and variance ---------------------------------------------------------------------------

TEST(TVectorStats, MeanVarKeepsTheVarianceOneRuleBelowThreeElements) {
  struct Case {
    std::initializer_list<double> Values;
    double Mean, Variance;
  };
  const Case cases[] = {
      {{4}, 4, 1.0},
      {{1, 3}, 2, 1.0},
      {{1, 2, 3}, 2, 1.0},
      {{2, 4, 4, 4, 5, 5, 7, 9}, 5, 32.0 / 7},
  };
  for (const Case& c : cases) {
    TVector v(nullptr);
    FillVector(v, c.Values);
    double mean = 0, var = 0;
    v.MeanVar(1, v.NrOfElem(), mean, var);
    EXPECT_EQ(mean, c.Mean);
    EXPECT_DOUBLE_EQ(var, c.Variance);
  }
}

// Regression: the one-pass variance (sum of squares - sum^2 / n) / (n - 1) turned negative for
// [0.1, 0.1, 0.1] (so the standard deviation was NaN) and gave -32768 for values near 1e10.
TEST(TVectorStats, VarianceIsExactForConstantAndOffsetData) {
  struct Case {
    std::initializer_list<double> Values;
    double Mean, Variance;
  };
  const Case cases[] = {
      {{0.1, 0.1, 0.1}, 0.1, 0.0},
      {{1e10 + 1, 1e10 + 2, 1e10 + 3}, 1e10 + 2, 1.0},
      {{-7.25, -7.25, -7.25, -7.25}, -7.25, 0.0},
      {{1e15 + 2, 1e15 + 4, 1e15 + 6, 1e15 + 8}, 1e15 + 5, 20.0 / 3},
  };
  for (const Case& c : cases) {
    TVector v(nullptr);
    FillVector(v, c.Values);
    double mean = 0, var = -1;
    v.MeanVar(1, v.NrOfElem(), mean, var);
    EXPECT_EQ(mean, c.Mean);
    EXPECT_EQ(var, c.Variance);
    double skew = 1, kurt = 1;
    v.SkewKurt(1, v.NrOfElem(), skew, kurt);
    if (c.Variance == 0) {
      EXPECT_EQ(skew, 0.0) << "no NaN from a zero deviation";
    }
  }
  TIntVector iv(nullptr);
  FillVector(iv, {2147483647, 2147483647, 2147483647});
  double mean = 0, var = -1;
  iv.MeanVar(1, 3, mean, var);
  EXPECT_EQ(mean, 2147483647.0) << "integer sums are taken in doubles";
  EXPECT_EQ(var, 0.0);
}

TEST(TVectorStats, GeometricAndHarmonicMeansAndTheirRefusals) {
  TVector v(nullptr);
  v.SetName(u"V");
  FillVector(v, {1.0, 2, 4});
  EXPECT_DOUBLE_EQ(v.GeometricMean(1, 3), 2);
  EXPECT_DOUBLE_EQ(v.HarmonicMean(1, 3), 3 / 1.75);
  FillVector(v, {0.0, 4});
  EXPECT_EQ(v.GeometricMean(1, 2), 0);
  EXPECT_THROW_MSG(v.HarmonicMean(1, 2), EQeltaVectorError,
                   "Component \"V\": negative or zero argument passed to HarmonicMean");
  FillVector(v, {0.0, -1, 4});
  EXPECT_THROW_MSG(v.GeometricMean(1, 3), EQeltaVectorError,
                   "Component \"V\": negative argument passed to GeometricMean");
  EXPECT_EQ(v.GeometricMean(1, 1), 0) << "the negative lies outside the range";
  TIntVector iv(nullptr);
  iv.SetName(u"I");
  FillVector(iv, {2, 8});
  EXPECT_DOUBLE_EQ(iv.GeometricMean(1, 2), 4);
  FillVector(iv, {-2, 8});
  EXPECT_THROW_MSG(iv.HarmonicMean(1, 2), EQeltaVectorError,
                   "Component \"I\": negative or zero argument passed to HarmonicMean");
}

// --- skewness and kurtosis ------------------------------------------------------------------------

TEST(TVectorStats, SkewKurtNeedsFourElementsAndCorrectsTheSampleForm) {
  TVector v(nullptr);
  FillVector(v, {1.0, 2, 3});
  double s = 9, k = 9;
  int n = 0;
  v.SkewKurtIntern(1, 3, n, s, k);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(k, 0);
  v.SkewKurtSample(1, 3, s, k);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(k, 0);
  // [1, 2, 3, 10]: mean 4, deviations -3 -2 -1 6, s^2 = 50 / 3.
  FillVector(v, {1.0, 2, 3, 10});
  v.SkewKurt(1, 4, s, k);
  const double sd = std::sqrt(50.0 / 3);
  EXPECT_DOUBLE_EQ(s, (-27 - 8 - 1 + 216) / 4.0 / (sd * sd * sd));
  EXPECT_DOUBLE_EQ(k, (81 + 16 + 1 + 1296) / 4.0 / (sd * sd * sd * sd) - 3);
  const double g = s, kk = k;
  v.SkewKurtSample(1, 4, s, k);
  EXPECT_DOUBLE_EQ(s, 16 * g / 6);
  EXPECT_DOUBLE_EQ(k, (kk + 3) * 16 * 5 / 6 - 3 * 9 / 2.0);
}

// --- order statistics -----------------------------------------------------------------------------

TEST(TVectorStats, QuartilesInterpolateAtQuarterPositions) {
  const TQuartileCase cases[] = {
      {{1, 2, 3, 4, 5, 6, 7}, 2, 4, 6},
      {{4, 3, 2, 1}, 1.25, 2.5, 3.75},
      {{5}, 5, 5, 5},
      // Regression: the guard for a position at n answered v(n - 1), so Q3 of two values was the
      // smaller one, below the median.
      {{9, 5}, 5, 7, 9},
      {{1, 2, 3}, 1, 2, 3},
  };
  for (const TQuartileCase& c : cases) {
    TVector v(nullptr);
    FillVector(v, c.Values);
    double q1 = 0, q2 = 0, q3 = 0;
    EXPECT_TRUE(v.Quartiles(1, v.NrOfElem(), q1, q2, q3));
    EXPECT_EQ(q1, c.Q1);
    EXPECT_EQ(q2, c.Q2);
    EXPECT_EQ(q3, c.Q3);
  }
}

TEST(TVectorStats, PercentileClampsProbAndAnswersTheLargestFromPositionN) {
  TVector v(nullptr);
  FillVector(v, {3.0, 1, 2});
  struct Case {
    double Prob, Value;
  };
  const Case cases[] = {{100, 3}, {150, 3}, {-5, 1}, {0, 1}, {50, 2}, {62.5, 2.5}, {99, 3}, {30, 1.2}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(v.Percentile(c.Prob, 1, 3), c.Value) << c.Prob;
  EXPECT_TRUE(std::isnan(v.Percentile(kNaN, 1, 3)));
  EXPECT_EQ(v.Percentile(40, 2, 2), 1) << "one element";
  TIntVector iv(nullptr);
  FillVector(iv, {10, 40, 20, 30});
  EXPECT_DOUBLE_EQ(iv.Percentile(50, 0, 0), 10) << "(0, 0) is the first element";
  EXPECT_DOUBLE_EQ(iv.Percentile(50, 1, 4), 25);
}

TEST(TVectorStats, NaNElementsRankAboveEveryNumber) {
  TVector v(nullptr);
  FillVector(v, {kNaN, 4, 1, kNaN, 3, 2});
  double q1 = 0, q2 = 0, q3 = 0;
  v.Quartiles(1, 6, q1, q2, q3);
  EXPECT_EQ(q1, 1.75);
  EXPECT_EQ(q2, 3.5);
  EXPECT_TRUE(std::isnan(q3));
  double mn = 0, mx = 0;
  v.MinMax(1, 6, mn, mx);
  EXPECT_EQ(mn, 1);
  EXPECT_EQ(mx, 4);
  FillVector(v, {kNaN});
  v.MinMax(1, 1, mn, mx);
  EXPECT_EQ(mn, 1.7e308);
  EXPECT_EQ(mx, -1.7e308);
}

TEST(TVectorStats, ModeIsTheSmallestOfTheMostFrequentValues) {
  struct Case {
    std::initializer_list<double> Values;
    double Mode;
  };
  const Case cases[] = {{{3, 1, 3, 2, 2}, 2}, {{5, 4, 9}, 4}, {{7, 7, 1, 1, 1}, 1}, {{2.5}, 2.5}};
  for (const Case& c : cases) {
    TVector v(nullptr);
    FillVector(v, c.Values);
    EXPECT_EQ(v.Mode(1, v.NrOfElem()), c.Mode);
  }
  TIntVector iv(nullptr);
  FillVector(iv, {-4, 8, 8, -4, 8});
  EXPECT_EQ(iv.Mode(1, 5), 8);
}

// --- extremes -------------------------------------------------------------------------------------

// Regression: the extremes started from 1.7e308 and -1.7e308 (integers: +-2147483647), which a
// range of larger values never replaced and which -2147483648 never reached.
TEST(TVectorStats, MinMaxStartsFromTheFirstElementOfTheRange) {
  TVector v(nullptr);
  FillVector(v, {1.75e308, 1.78e308, 1.72e308});
  double mn = 0, mx = 0;
  v.MinMax(1, 3, mn, mx);
  EXPECT_EQ(mn, 1.72e308);
  EXPECT_EQ(mx, 1.78e308);
  TIntVector iv(nullptr);
  FillVector(iv, {-2147483647 - 1});
  int32_t imn = 0, imx = 0;
  iv.MinMax(1, 1, imn, imx);
  EXPECT_EQ(imn, -2147483647 - 1);
  EXPECT_EQ(imx, -2147483647 - 1);
  FillVector(iv, {3, 9, -2});
  iv.MinMax(3, 2, imn, imx);
  EXPECT_EQ(imn, -2);
  EXPECT_EQ(imx, 9);
}

// --- histogram ------------------------------------------------------------------------------------

TEST(TVectorStats, HistogramCountsBinsUnderflowAndOverflow) {
  TVector v(nullptr);
  FillVector(v, {0.5, 9.9, 11, -0.1, 0.0, 10.5, 9.9});
  TIntVector h(nullptr);
  int under = -1, over = -1, most = -1;
  ASSERT_TRUE(v.Histogram(1, 7, 0, 10, 1, &h, under, over, most));
  ASSERT_EQ(h.NrOfElem(), 10);
  EXPECT_EQ(ElementsOf(h), (std::vector<int32_t>{2, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  EXPECT_EQ(under, 1);
  // Regression: 10.5 lies beyond bin 10 but below LastBin + BinWidth; it was counted nowhere.
  EXPECT_EQ(over, 2);
  EXPECT_EQ(most, 2);
  EXPECT_FALSE(v.Histogram(1, 7, 0, 501, 1, &h, under, over, most));
  EXPECT_EQ(h.NrOfElem(), 10) << "a refused request changes nothing";
  EXPECT_TRUE(v.Histogram(1, 7, 0, 500, 1, &h, under, over, most));
  EXPECT_EQ(h.NrOfElem(), 500);
}

// Regression: the histogram read its range with GetVal unclamped, so indices outside the vector
// counted as phantom zeros; bin widths of 0 or below divided by zero or counted backwards.
TEST(TVectorStats, HistogramCountsOnlyExistingElementsAndRefusesBadBins) {
  TVector v(nullptr);
  FillVector(v, {5.0, 5, 5});
  TIntVector h(nullptr);
  int under = 0, over = 0, most = 0;
  ASSERT_TRUE(v.Histogram(-2, 9, 0, 10, 2, &h, under, over, most));
  EXPECT_EQ(ElementsOf(h), (std::vector<int32_t>{0, 0, 3, 0, 0}));
  ASSERT_TRUE(v.Histogram(3, 1, 0, 10, 2, &h, under, over, most));
  EXPECT_EQ(ElementsOf(h), (std::vector<int32_t>(5, 0))) << "a reversed range stays empty";
  EXPECT_EQ(most, 0);
  const double inf = std::numeric_limits<double>::infinity();
  const double bad[][3] = {{0, 10, 0}, {0, 10, -1}, {0, 10, kNaN}, {0, inf, 1}, {kNaN, 10, 1}, {0, 10, inf}};
  h.Fill(7);
  for (const auto& b : bad) {
    EXPECT_FALSE(v.Histogram(1, 3, b[0], b[1], b[2], &h, under, over, most)) << b[0] << " " << b[1] << " " << b[2];
    EXPECT_EQ(ElementsOf(h), (std::vector<int32_t>(5, 7)));
  }
  EXPECT_FALSE(v.Histogram(1, 3, 0, 10, 1, nullptr, under, over, most));
}

// --- in-place transformations ---------------------------------------------------------------------

TEST(TVectorStats, StandardizeAndMeanCenterTransformWithoutEvent) {
  TVector v(nullptr);
  TEventLog log;
  FillVector(v, {2.0, 4, 4, 4, 5, 5, 7, 9});
  log.Hook(v);
  double mean = 0, sd = 0;
  v.Standardize(mean, sd);
  EXPECT_EQ(mean, 5);
  EXPECT_DOUBLE_EQ(sd, std::sqrt(32.0 / 7));
  EXPECT_DOUBLE_EQ(v.GetVal(1), -3 / sd);
  double m2 = 9, v2 = 9;
  v.MeanVar(1, 8, m2, v2);
  EXPECT_NEAR(m2, 0, 1e-15);
  EXPECT_NEAR(v2, 1, 1e-15);
  EXPECT_EQ(log.Changes, 0);
  TVector w(nullptr);
  FillVector(w, {7.0, 9});
  TEventLog wlog;
  wlog.Hook(w);
  EXPECT_EQ(w.MeanCenter(), 8);
  EXPECT_EQ(ElementsOf(w), (std::vector<double>{-1, 1}));
  EXPECT_EQ(wlog.Changes, 0);
}

TEST(TVectorStats, StandardizeLeavesAConstantVectorAndShiftsShortOnes) {
  TVector v(nullptr);
  FillVector(v, {0.1, 0.1, 0.1});
  double mean = 0, sd = -1;
  v.Standardize(mean, sd);
  EXPECT_EQ(sd, 0.0) << "not NaN";
  EXPECT_EQ(ElementsOf(v), (std::vector<double>{0.1, 0.1, 0.1}));
  FillVector(v, {3.0, 5});
  v.Standardize(mean, sd);
  EXPECT_EQ(sd, 1.0) << "two elements have variance 1.0 by the MeanVar rule";
  EXPECT_EQ(ElementsOf(v), (std::vector<double>{-1, 1}));
}
