// Qelta_statis: the critical-value tables, the outlier tests, the Kolmogorov-Smirnov and Lilliefors
// normality tests with their p-values and quantiles, and the Wilcoxon signed-rank quantile.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "Assertions.h"
#include "Qelta_statis.h"
#include "Qelta_statis_internal.h"
#include "Qelta_vector.h"
#include "StatTestKit.h"

using namespace qelta;
using qelta::test::Load;
using qelta::test::TSampler;
using qelta::test::Values;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Normal scores Phi^-1((i - 3/8) / (n + 1/4)): a sample as normal as n values can look.
std::vector<double> NormalScores(int n) {
  std::vector<double> x;
  for (int i = 1; i <= n; ++i) x.push_back(nDistriQuantile((i - 0.375) / (n + 0.25)));
  return x;
}

// [SECTION] critical-value tables

// The signed-rank table recomputed independently: subsets of {1..n} counted by sum in 128-bit
// integers (at most 2^100), the entry the largest t with 2 P(T <= t) <= level, compared exactly as
// 2000 count <= (1000 level) 2^n.
TEST(StatisTables, WilcoxonTableIsTheExactDistribution) {
  __extension__ typedef unsigned __int128 u128;
  const int thousandths[5] = {100, 50, 20, 10, 1};
  for (int n = 7; n <= 100; ++n) {
    const int top = n * (n + 1) / 2;
    std::vector<u128> count(static_cast<std::size_t>(top) + 1, 0);
    count[0] = 1;
    for (int k = 1; k <= n; ++k)
      for (int s = top; s >= k; --s) count[static_cast<std::size_t>(s)] += count[static_cast<std::size_t>(s - k)];
    for (int level = 0; level < 5; ++level) {
      int best = 0;
      u128 cumulative = 0;
      for (int t = 0; t <= top; ++t) {
        cumulative += count[static_cast<std::size_t>(t)];
        if (2000 * cumulative > static_cast<u128>(thousandths[level]) << n) break;
        best = t;
      }
      EXPECT_EQ(num_detail::WilcoxonTable[static_cast<std::size_t>(n - 7)][static_cast<std::size_t>(level)], best)
          << "n " << n << " level " << level;
    }
  }
}

TEST(StatisTables, WilcoxonTableHoldsThePublishedRows) {
  const struct {
    int n;
    int row[5];
  } published[] = {{8, {5, 3, 1, 0, 0}},
                   {9, {8, 5, 3, 1, 0}},
                   {10, {10, 8, 5, 3, 0}},
                   {11, {13, 10, 7, 5, 0}},
                   {100, {2045, 1955, 1850, 1779, 1578}}};
  for (const auto& p : published)
    for (int j = 0; j < 5; ++j)
      EXPECT_EQ(num_detail::WilcoxonTable[static_cast<std::size_t>(p.n - 7)][static_cast<std::size_t>(j)], p.row[j]) << p.n;
  EXPECT_EQ(num_detail::WilcoxonLevels, (num_detail::TWilcoxonLevels{0.1, 0.05, 0.02, 0.01, 0.001}));
}

// Rows 1 and 2 of the published KS table are exact: 1 - a/2 and 1 - sqrt(a/2), to three decimals.
TEST(StatisTables, KolmogorovSmirnovRowsOneAndTwoFollowTheirClosedForms) {
  const TSignifLevel levels[5] = {Dot20, Dot15, Dot10, Dot05, Dot01};
  const double alpha[5] = {0.20, 0.15, 0.10, 0.05, 0.01};
  for (int j = 0; j < 5; ++j) {
    EXPECT_EQ(num_detail::KSTable[0][static_cast<std::size_t>(j)], alpha[j]);
    EXPECT_NEAR(KolmogSmir1SampleTestStat(1, levels[j]), 1 - alpha[j] / 2, 0.0005);
    EXPECT_NEAR(KolmogSmir1SampleTestStat(2, levels[j]), 1 - std::sqrt(alpha[j] / 2), 0.0005);
  }
}

TEST(StatisTables, TellingRowsOfDeanDixonAndKolmogorovSmirnov) {
  const struct {
    int n;
    double row[9];
  } dixon[] = {{3, {0.999, 0.998, 0.994, 0.988, 0.976, 0.941, 0.886, 0.782, 0.501}},
               {10, {0.713, 0.683, 0.637, 0.597, 0.551, 0.477, 0.409, 0.325, 0.174}},
               {14, {0.732, 0.708, 0.672, 0.640, 0.603, 0.546, 0.491, 0.422, 0.287}},
               {100, {0.387, 0.368, 0.341, 0.317, 0.292, 0.253, 0.219, 0.179, 0.111}}};
  for (const auto& d : dixon)
    for (int j = 0; j < 9; ++j)
      EXPECT_EQ(DeanDixonCriticalValues(d.n, static_cast<TSignifLevelEx>(j)), d.row[j]) << d.n;
  EXPECT_EQ(DeanDixonCriticalValues(5, Dot050), 0.643);
  const double ks20[5] = {0.231, 0.246, 0.264, 0.294, 0.356};
  for (int j = 0; j < 5; ++j) EXPECT_EQ(KolmogSmir1SampleTestStat(20, static_cast<TSignifLevel>(j)), ks20[j]);
}

// [SECTION] edge cases

TEST(StatisTests, InvalidArgumentsAnswerMinusOne) {
  EXPECT_EQ(DeanDixonCriticalValues(2, Dot050), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(101, Dot001), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(10, static_cast<TSignifLevelEx>(9)), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(2, 0.05, true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(10, 0, true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(10, 1, false), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(10, kNaN, false), -1.0);
  EXPECT_EQ(KolmogSmir1SampleTestStat(0, Dot05), -1.0);
  EXPECT_EQ(KolmogSmir1SampleTestStat(10, static_cast<TSignifLevel>(5)), -1.0);
  EXPECT_NEAR(KolmogSmir1SampleTestStat(100, Dot05), 0.1358, 1e-15);
  EXPECT_EQ(LillieforsPValue(5, 0.3), -1.0);
  EXPECT_EQ(LillieforsPValue(10, kNaN), -1.0);
  EXPECT_EQ(LillieforsQuantile(0, 0.05), -1.0);
  EXPECT_EQ(LillieforsQuantile(10, 1.0), -1.0);
  EXPECT_EQ(KSQuantile(0, Dot05), -1.0);
  EXPECT_EQ(KSQuantile(10, static_cast<TSignifLevel>(7)), -1.0);
  EXPECT_EQ(PerformKSNormalityTest(nullptr, false), -1.0);
  EXPECT_EQ(PerformLillieforsTest(nullptr, true), -1.0);
}

TEST(StatisTests, OutlierTestsRefuseWithTheirMessages) {
  TVector v(nullptr);
  double test = 0;
  Load(v, {1, 2});
  EXPECT_THROW_MSG(DeanDixonTest(&v, Dot050, test), EQeltaStatisError,
                   "DeanDixonTest: number of data points is too low");
  EXPECT_THROW_MSG(DeanDixonTest(nullptr, Dot050, test), EQeltaStatisError,
                   "DeanDixonTest: number of data points is too low");
  Load(v, std::vector<double>(101, 1.0));
  EXPECT_THROW_MSG(DeanDixonTest(&v, Dot050, test), EQeltaStatisError,
                   "DeanDixonTest: number of data points is too high");
  Load(v, {1, 2, 3, 4});
  EXPECT_THROW_MSG(DeanDixonTest(&v, static_cast<TSignifLevelEx>(12), test), EQeltaStatisError,
                   "DeanDixonTest: invalid level of significance");
  for (double alpha : {0.0, 1.0, -0.1, kNaN})
    EXPECT_THROW_MSG(GrubbsTest(&v, alpha, test), EQeltaStatisError, "GrubbsTest: invalid level of significance");
  Load(v, {1, 2, 3});
  EXPECT_THROW_MSG(GrubbsTest(&v, 0.05, test), EQeltaStatisError, "GrubbsTest: number of data points is too low");
  EXPECT_THROW_MSG(GrubbsTest(nullptr, 0.05, test), EQeltaStatisError, "GrubbsTest: number of data points is too low");
}

// [SECTION] outlier tests

TEST(StatisOutliers, DeanDixonRatiosOfEachSampleSize) {
  const struct {
    std::vector<double> data;
    TSignifLevelEx level;
    double test;
    int index;
  } cases[] = {
      {{1, 2, 3, 4, 50}, Dot050, 46.0 / 49, 5},                         // r10 high: (50 - 4) / (50 - 1) > 0.643
      {{1, 2, 3, 4, 5}, Dot050, 0.25, 0},                               // r10, nothing stands out
      {{12, 0, 7, 5, 6}, Dot500, 5.0 / 12, 2},                          // equal ratios: the low side, index of 0
      {{3, 3, 3, 3, 3}, Dot500, 0.0, 0},                                // zero span: both ratios 0
      {{1, 2, 3, 4, 5, 6, 7, 8, 20}, Dot050, 12.0 / 18, 9},             // r11 high: (20 - 8) / (20 - 2)
      {{-30, 1, 2, 3, 4, 5, 6, 7, 8}, Dot050, 31.0 / 37, 1},            // r11 low: (1 + 30) / (7 + 30)
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 30}, Dot050, 21.0 / 29, 12},  // r21 high: (30 - 9) / (30 - 1)
      {{5, 5, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, -40}, Dot010, 42.0 / 56, 20},  // r22 low
  };
  for (const auto& c : cases) {
    TVector v(nullptr);
    Load(v, c.data);
    double test = -1;
    EXPECT_EQ(DeanDixonTest(&v, c.level, test), c.index) << c.data.size();
    EXPECT_NEAR(test, c.test, 1e-15) << c.data.size();
    EXPECT_EQ(Values(v), c.data);  // the data stay as they were
  }
}

TEST(StatisOutliers, GrubbsCriticalValuesMatchThePublishedTable) {
  // Two-sided alpha = 0.05 (published Grubbs table, three decimals).
  const struct {
    int n;
    double g;
  } table[] = {{3, 1.155}, {5, 1.715}, {10, 2.290}, {20, 2.709}, {30, 2.908}, {100, 3.384}};
  for (const auto& t : table) EXPECT_NEAR(GrubbsCriticalValues(t.n, 0.05, true), t.g, 0.001) << t.n;
  EXPECT_GT(GrubbsCriticalValues(20, 0.05, true), GrubbsCriticalValues(20, 0.05, false));
}

// The t quantile of 1 - 5e-10 with 998 degrees of freedom stopped within 1e-8 of p, not of its tail, and
// gave 5.998. The exact t is 6.16854948950 (50-digit arithmetic), hence 6.05421687; an independent
// library's t quantile gives 6.054.
TEST(StatisOutliers, GrubbsCriticalValueOfASmallLevelComesFromTheUpperTail) {
  EXPECT_NEAR(GrubbsCriticalValues(1000, 1e-6, true), 6.05421687, 1e-7);
}

TEST(StatisOutliers, GrubbsOnEqualValuesAnswersZero) {
  TVector v(nullptr);
  Load(v, {4, 4, 4, 4, 4, 4});
  double test = -1;
  EXPECT_EQ(GrubbsTest(&v, 0.05, test), 0);
  EXPECT_EQ(test, 0.0);
}

// Normal scores hold no outlier for any n; the same sample with one value moved far out on either
// side (at several places) is caught by both tests, which name that element.
TEST(StatisOutliers, FindPlantedOutliersAndLeaveCleanSamplesAlone) {
  for (int n = 4; n <= 100; ++n) {
    const std::vector<double> clean = NormalScores(n);
    TVector v(nullptr);
    Load(v, clean);
    double test = 0;
    EXPECT_EQ(DeanDixonTest(&v, Dot050, test), 0) << n;
    EXPECT_EQ(GrubbsTest(&v, 0.05, test), 0) << n;
    for (int place : {1, n / 2 + 1, n}) {
      for (double side : {-1.0, 1.0}) {
        std::vector<double> dirty = clean;
        dirty[static_cast<std::size_t>(place - 1)] = side * 100;
        Load(v, dirty);
        EXPECT_EQ(DeanDixonTest(&v, Dot050, test), place) << n << " " << place << " " << side;
        EXPECT_EQ(GrubbsTest(&v, 0.05, test), place) << n << " " << place << " " << side;
      }
    }
  }
}

// [SECTION] Kolmogorov-Smirnov and Lilliefors statistics

TEST(StatisNormality, KolmogorovSmirnovSortsInPlaceAndTakesBothSteps) {
  TVector v(nullptr);
  Load(v, {1, -1});
  const double F1 = nDistriIntegral(1);
  EXPECT_NEAR(PerformKSNormalityTest(&v, false), F1 - 0.5, 1e-15);  // |1/2 - F(-1)| = |1/2 - F(1)|
  EXPECT_EQ(Values(v), (std::vector<double>{-1, 1}));
  Load(v, {0});
  EXPECT_EQ(PerformKSNormalityTest(&v, false), 0.5);
  // DataIsSorted: the data are taken as they stand.
  Load(v, {2, 0.5, -0.5});
  const double asGiven = PerformKSNormalityTest(&v, true);
  EXPECT_EQ(Values(v), (std::vector<double>{2, 0.5, -0.5}));
  EXPECT_NEAR(asGiven, nDistriIntegral(2), 1e-15);  // i = 1: |0 - F(2)|
}

TEST(StatisNormality, LillieforsStandardisesInPlace) {
  TVector v(nullptr), copy(nullptr);
  Load(v, {5, 1, 3, 2, 4});
  const double D = PerformLillieforsTest(&v, false);
  double mean = 0, var = 0;
  v.MeanVar(1, 5, mean, var);
  EXPECT_NEAR(mean, 0, 1e-15);
  EXPECT_NEAR(var, 1, 1e-15);
  const std::vector<double> x = Values(v);
  EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
  Load(copy, x);
  EXPECT_EQ(D, PerformKSNormalityTest(&copy, true));
}

// [SECTION] Kolmogorov's distribution

// Closed forms of P(D_n < D): n! (2D - 1/n)^n for 1/(2n) <= D <= 1/n, and 1 - 2 (1 - D)^n for
// 1 - 1/n <= D <= 1 (n >= 2).
TEST(StatisNormality, KSPValueEqualsTheClosedFormsInTheExactRegion) {
  for (int n : {1, 2, 3, 5, 8, 13, 30, 99, 150, 500}) {
    for (double f : {0.5, 0.6, 0.75, 0.9, 1.0}) {
      const double D = f / n;
      const double P = std::exp(std::lgamma(n + 1.0) + n * std::log(2 * D - 1.0 / n));
      EXPECT_NEAR(1 - KSPValue(n, D), f == 0.5 ? 0.0 : P, 1e-12) << n << " " << D;
    }
    if (n < 2) continue;
    for (double f : {0.0, 0.3, 0.7, 0.95}) {
      const double D = 1 - (1 - f) / n;
      if (n * D * D > 7.24) continue;  // beyond the exact region
      EXPECT_NEAR(KSPValue(n, D), 2 * std::pow(1 - D, n), 1e-12) << n << " " << D;
    }
  }
}

TEST(StatisNormality, KSPValueIsContinuousAndMonotone) {
  for (int n : {5, 40, 99, 100, 101, 400}) {
    double previous = 1;
    for (double D = 0.01; D < 1; D += 0.01) {
      const double p = KSPValue(n, D);
      EXPECT_LE(p, previous + 1e-4) << n << " " << D;
      EXPECT_GE(p, 0.0);
      EXPECT_LE(p, 1.0);
      previous = p;
    }
  }
  // Across the switch of n = 99 at d = 7.24 and of n = 100 at d = 3.76, the branches meet closely.
  EXPECT_NEAR(KSPValue(99, std::sqrt(7.24 / 99) - 1e-9), KSPValue(99, std::sqrt(7.24 / 99) + 1e-9), 2e-6);
  EXPECT_NEAR(KSPValue(100, std::sqrt(3.76 / 100) - 1e-9), KSPValue(100, std::sqrt(3.76 / 100) + 1e-9), 2e-4);
}

// Regression: Trunc(n D) + 1 sized the matrix negatively for D below -1/n, and nothing bounded it.
TEST(StatisNormality, KSPValueOutsideItsDomain) {
  EXPECT_EQ(KSPValue(10, -0.5), 1.0);
  EXPECT_EQ(KSPValue(10, 0), 1.0);
  EXPECT_EQ(KSPValue(10, -1e300), 1.0);
  EXPECT_EQ(KSPValue(10, 1), 0.0);
  EXPECT_EQ(KSPValue(3, 7.5), 0.0);
  EXPECT_EQ(KSPValue(0, 0.3), -1.0);
  EXPECT_EQ(KSPValue(-4, 0.3), -1.0);
  EXPECT_EQ(KSPValue(10, kNaN), -1.0);
  EXPECT_EQ(KSPValue(INT_MAX, 1e-300), 1.0);
  EXPECT_NEAR(KSPValue(INT_MAX, 40.0 / INT_MAX), 1.0, 1e-12);  // no loop over n: Stirling's n!/n^n
}

// Above n = 10^5, n!/n^n comes from Stirling's series; across the switch P(D_n < D) moves smoothly.
TEST(StatisNormality, KSPValueAcrossTheFactorialSwitch) {
  const double D = 0.00095, below = 1 - KSPValue(100000, D), above = 1 - KSPValue(100001, D);
  EXPECT_GT(below, 0.0);
  EXPECT_NEAR_REL(above, below, 2e-3);
}

// Beyond KSExactMaxOrder Kolmogorov's limit stands in: 1 - K(1) = 0.26999967 (K(1) = 0.73000033),
// which large samples approach.
TEST(StatisNormality, KSPValueUsesTheLimitSeriesForLargeMatrices) {
  EXPECT_NEAR(KSPValue(100000000, 1e-4), 0.26999967, 1e-7);
  EXPECT_NEAR(KSPValue(100000000, 0.5e-4), 0.9639452, 1e-6);       // 1 - K(0.5)
  EXPECT_NEAR(KSPValue(2000, 1 / std::sqrt(2000.0)), 0.27, 0.01);  // exact, near the limit
  const int n = 10000;
  const double D = 1.3 / std::sqrt(static_cast<double>(n));  // 2 k - 1 > 199: the limit
  EXPECT_GT(2 * std::trunc(n * D) + 1, KSExactMaxOrder);
  EXPECT_NEAR(KSPValue(n, D), 0.0681, 0.001);
}

TEST(StatisNormality, KSQuantileInvertsKSPValue) {
  const TSignifLevel levels[5] = {Dot20, Dot15, Dot10, Dot05, Dot01};
  const double alpha[5] = {0.20, 0.15, 0.10, 0.05, 0.01};
  for (int n : {1, 2, 3, 7, 20, 21, 50, 99, 100, 250}) {
    for (int j = 0; j < 5; ++j) {
      const double q = KSQuantile(n, levels[j]);
      EXPECT_NEAR(KSPValue(n, q), alpha[j], 1e-4) << n << " " << alpha[j];
    }
  }
  EXPECT_NEAR(KSQuantile(20, Dot01), 0.3524, 0.0005);  // the exact value beside the table's 0.356
  EXPECT_NEAR(KSPValue(INT_MAX, KSQuantile(INT_MAX, Dot05)), 0.05, 1e-4);  // through the limit series
}

TEST(StatisNormality, LillieforsQuantileAndPValueAgreeWithinAFactorTwo) {
  for (int n : {6, 8, 10, 15, 20, 30, 50, 100, 200, 1000}) {
    for (double alpha : {0.01, 0.02, 0.05, 0.1, 0.15, 0.2}) {
      const double p = LillieforsPValue(n, LillieforsQuantile(n, alpha));
      EXPECT_GT(p, alpha / 2) << n << " " << alpha;
      EXPECT_LT(p, alpha * 2) << n << " " << alpha;
    }
  }
  EXPECT_NEAR(LillieforsQuantile(20, 0.05), 0.190, 0.005);  // Lilliefors' table
  EXPECT_EQ(LillieforsPValue(20, 0.01), 1.0);               // e > 0
}

// [SECTION] Wilcoxon signed-rank quantile

TEST(StatisWilcoxon, EdgesOfTheArguments) {
  EXPECT_EQ(WilcoxonSRQuantile(7, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(1000001, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.0004, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.21, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, kNaN, true), -1);
  EXPECT_GE(WilcoxonSRQuantile(20, 0.0005, true), 0);
  EXPECT_GE(WilcoxonSRQuantile(20, 0.2, true), 0);
}

// For n = 8 the parabola runs through the three points, so the table's values come back; a
// one-sided alpha is the two-sided 2 alpha.
TEST(StatisWilcoxon, ParabolaThroughTheTableRow) {
  EXPECT_EQ(WilcoxonSRQuantile(8, 0.1, true), 5);
  EXPECT_EQ(WilcoxonSRQuantile(8, 0.05, true), 3);
  EXPECT_EQ(WilcoxonSRQuantile(8, 0.02, true), 1);
  EXPECT_EQ(WilcoxonSRQuantile(8, 0.025, false), 3);
  for (int n = 9; n <= 100; ++n) {
    const auto& row = num_detail::WilcoxonTable[static_cast<std::size_t>(n - 7)];
    for (int j = 0; j < 4; ++j) {  // at the levels the least-squares parabola stays near the table
      const double level = num_detail::WilcoxonLevels[static_cast<std::size_t>(j)];
      EXPECT_NEAR(static_cast<double>(WilcoxonSRQuantile(n, level, true)), row[static_cast<std::size_t>(j)],
                  1 + 0.01 * row[static_cast<std::size_t>(j)])
          << n << " " << level;
      EXPECT_EQ(WilcoxonSRQuantile(n, level / 2, false), WilcoxonSRQuantile(n, level, true));
    }
  }
}

// Above n = 100 the normal approximation; regression: above n = 92,680 the value leaves the
// Integer range (n (n + 1) / 4 alone), so the result is 64-bit.
TEST(StatisWilcoxon, NormalApproximationAboveOneHundred) {
  for (int n : {101, 200, 5000, 1000000}) {
    const double nn = n, z = -nDistriQuantile(0.025);
    const double expected = nn * (nn + 1) / 4 - z * std::sqrt(nn * (nn + 1) * (2 * nn + 1) / 24);
    EXPECT_NEAR(static_cast<double>(WilcoxonSRQuantile(n, 0.05, true)), expected, 0.5) << n;
  }
  EXPECT_EQ(WilcoxonSRQuantile(200, 0.05, true), 8444);
  EXPECT_GT(WilcoxonSRQuantile(1000000, 0.05, true), int64_t{INT_MAX});
}

}  // namespace
