// Qelta_statis: the two-sample t tests and the Mann-Whitney U test on samples worked by hand, the
// Shapiro-Wilk test, the kernel density estimate and the comment of a PLS model file.
#include <gsl/gsl_cdf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_statis.h"
#include "Qelta_vector.h"
#include "StatTestKit.h"

using namespace qelta;
using qelta::test::Load;
using qelta::test::TempDir;
using qelta::test::TSampler;
using qelta::test::Values;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// P(Z <= z) for the standard normal, from the C library.
double Phi(double z) { return 0.5 * std::erfc(-z / std::numbers::sqrt2); }

// [SECTION] t tests

// x = 1..5, y = 2, 4, .., 10 by hand: paired differences -1..-5 (mean -3, variance 2.5); means 3 and
// 6, variances 2.5 and 10; pooled variance 6.25; Welch df = 2.5^2 / (0.5^2 / 4 + 2^2 / 4).
TEST(StatisTTest, WorkedByHand) {
  TVector x(nullptr), y(nullptr);
  Load(x, {1, 2, 3, 4, 5});
  Load(y, {2, 4, 6, 8, 10});
  const struct {
    TtTestVersion version;
    double t, df;
  } cases[] = {{ttPaired, -3 / std::sqrt(0.5), 4},
               {ttHomoScedastic, -3 / std::sqrt(2.5), 8},
               {ttHeteroScedastic, -3 / std::sqrt(2.5), 6.25 / (0.0625 + 1)}};
  for (const auto& c : cases) {
    double t = 0, df = 0, p = 0;
    Perform2SampleTTest(&x, &y, c.version, true, t, df, p);
    EXPECT_NEAR(t, c.t, 1e-14) << c.version;
    EXPECT_NEAR(df, c.df, 1e-14) << c.version;
    EXPECT_NEAR_REL(p, 2 * gsl_cdf_tdist_P(-std::fabs(c.t), c.df), 1e-7);
    double t1 = 0, df1 = 0, p1 = 0;
    Perform2SampleTTest(&x, &y, c.version, false, t1, df1, p1);
    EXPECT_NEAR_REL(p1, p / 2, 1e-15);
    EXPECT_EQ(Perform2SampleTTest(&x, &y, c.version, true), p);
    EXPECT_EQ(Values(x), (std::vector<double>{1, 2, 3, 4, 5}));
  }
}

TEST(StatisTTest, DegenerateSamples) {
  TVector x(nullptr), y(nullptr);
  double t = 1, df = 0, p = 0;
  Load(x, {1, 1, 1});
  Load(y, {1, 1, 1});
  for (TtTestVersion v : {ttPaired, ttHomoScedastic, ttHeteroScedastic}) {
    Perform2SampleTTest(&x, &y, v, true, t, df, p);
    EXPECT_EQ(t, 0.0);
    EXPECT_EQ(p, 1.0);
  }
  Load(y, {2, 2, 2});
  Perform2SampleTTest(&x, &y, ttHeteroScedastic, true, t, df, p);
  EXPECT_EQ(t, -HUGE_VAL);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(df, 4.0);
  Load(y, {1, 2, kNaN});
  Perform2SampleTTest(&x, &y, ttHomoScedastic, true, t, df, p);
  EXPECT_TRUE(std::isnan(p));
}

TEST(StatisTTest, RefusalsWithTheirMessages) {
  TVector x(nullptr), y(nullptr);
  double t = 0, df = 0, p = 0;
  Load(x, {1, 2, 3});
  Load(y, {4});
  EXPECT_THROW_MSG(Perform2SampleTTest(&x, &y, ttHomoScedastic, true, t, df, p), EQeltaStatisError,
                   "Perform2SampleTTest: number of data points is too low");
  EXPECT_THROW_MSG(Perform2SampleTTest(nullptr, &x, ttHomoScedastic, true), EQeltaStatisError,
                   "Perform2SampleTTest: number of data points is too low");
  Load(y, {4, 5});
  EXPECT_THROW_MSG(Perform2SampleTTest(&x, &y, ttPaired, true, t, df, p), EQeltaStatisError,
                   "Perform2SampleTTest: paired samples differ in size");
  EXPECT_THROW_MSG(Perform2SampleTTest(&x, &y, static_cast<TtTestVersion>(3), true), EQeltaStatisError,
                   "Perform2SampleTTest: invalid test version");
}

// [SECTION] Mann-Whitney U test

// No ties: x = 1, 3, 5 against y = 2, 4, 6, 8 has U = 0 + 1 + 2 = 3 pairs with x > y. Of the
// C(7, 3) = 35 orderings, 1 + 1 + 2 + 3 = 7 have U <= 3 (partitions of u into at most 3 parts of at
// most 4), so the smaller tail is 7/35.
TEST(StatisUTest, ExactWithoutTies) {
  TVector x(nullptr), y(nullptr);
  Load(x, {5, 1, 3});
  Load(y, {8, 2, 6, 4});
  double U = 0;
  EXPECT_NEAR(PerformMannWhitneyUTest(&x, &y, false, U), 0.2, 1e-12);
  EXPECT_EQ(U, 3.0);
  EXPECT_NEAR(PerformMannWhitneyUTest(&x, &y, true, U), 0.4, 1e-12);
  EXPECT_NEAR(PerformMannWhitneyUTest(&y, &x, true, U), 0.4, 1e-12);
  EXPECT_EQ(U, 9.0);      // the other way round: 12 - 3
  Load(x, {10, 11, 12});  // every x above every y: U = 12, P(U' >= 12) = 1/35
  EXPECT_NEAR(PerformMannWhitneyUTest(&x, &y, false, U), 1.0 / 35, 1e-12);
  EXPECT_EQ(U, 12.0);
}

// Ties: x = 1, 2, 2, 3 and y = 2, 3, 4, 5 pool to ranks 1, 3, 3, 3, 5.5, 5.5, 7, 8 (x: 1, 3, 3,
// 5.5), R1 = 12.5, U = 12.5 - 10 = 2.5. Tied groups of 3 and 2: sum (t^3 - t) = 30; N = 8,
// variance 16/12 (9 - 30/56), z = (|2.5 - 8| - 1/2) / sd.
TEST(StatisUTest, NormalApproximationWithTies) {
  TVector x(nullptr), y(nullptr);
  Load(x, {3, 2, 1, 2});
  Load(y, {5, 4, 3, 2});
  double U = 0;
  const double sd = std::sqrt(16.0 / 12 * (9 - 30.0 / 56)), z = 5 / sd;
  EXPECT_NEAR(PerformMannWhitneyUTest(&x, &y, false, U), Phi(-z), 1e-9);
  EXPECT_EQ(U, 2.5);
  EXPECT_NEAR(PerformMannWhitneyUTest(&x, &y, true, U), 2 * Phi(-z), 1e-9);
  Load(x, {7, 7});
  Load(y, {7, 7, 7});  // all tied: no evidence at all
  EXPECT_EQ(PerformMannWhitneyUTest(&x, &y, true, U), 1.0);
  EXPECT_EQ(U, 3.0);
  EXPECT_THROW_MSG(PerformMannWhitneyUTest(nullptr, &y, true, U), EQeltaStatisError,
                   "PerformMannWhitneyUTest: number of data points is too low");
}

// [SECTION] Shapiro-Wilk test

// n = 3 by hand: a = (-sqrt(1/2), 0, sqrt(1/2)); for 0, 1, 10: W = (10 sqrt(1/2))^2 / 60.667 and the
// exact p = 6/pi (asin sqrt W - pi/3).
TEST(StatisShapiroWilk, ThreeValuesByHand) {
  TVector v(nullptr);
  Load(v, {10, 0, 1});
  double W = 0, P = 0;
  ShapiroWilkTest(&v, 3, W, P);
  const double expectedW = 50 / (200.0 / 3 - 6);  // sum of squares: 101 - 121/3 = 60.667
  EXPECT_NEAR(W, expectedW, 1e-12);
  EXPECT_NEAR(P, 6 / std::numbers::pi * (std::asin(std::sqrt(expectedW)) - std::numbers::pi / 3), 1e-12);
  EXPECT_EQ(Values(v), (std::vector<double>{10, 0, 1}));
  Load(v, {1, 2, 3});
  ShapiroWilkTest(&v, 3, W, P);
  EXPECT_NEAR(W, 1, 1e-15);
  EXPECT_NEAR(P, 1, 1e-7);
}

// Shapiro and Wilk's own example, the weights of eleven men: W = 0.79 in their paper (their
// tabulated coefficients); Royston's coefficients give W = 0.7888 and p = 0.0067.
TEST(StatisShapiroWilk, PublishedExample) {
  TVector v(nullptr);
  Load(v, {148, 154, 158, 160, 161, 162, 166, 170, 182, 195, 236});
  double W = 0, P = 0;
  ShapiroWilkTest(&v, 11, W, P);
  EXPECT_NEAR(W, 0.7888, 1e-4);
  EXPECT_NEAR(P, 0.0067, 1e-4);
}

TEST(StatisShapiroWilk, KeepsNormalSamplesAtTheNominalRateAndRejectsExponentialOnes) {
  TSampler s(20240611);
  int normalRejected = 0, exponentialRejected = 0;
  const int samples = 400;
  for (int k = 0; k < samples; ++k) {
    TVector v(nullptr);
    double W = 0, P = 0;
    Load(v, s.Normals(30));
    ShapiroWilkTest(&v, 30, W, P);
    EXPECT_GT(W, 0.0);
    EXPECT_LE(W, 1.0);
    normalRejected += P < 0.05;
    Load(v, s.Exponentials(50));
    ShapiroWilkTest(&v, 50, W, P);
    EXPECT_GT(W, 0.0);
    EXPECT_LE(W, 1.0);
    exponentialRejected += P < 0.05;
  }
  EXPECT_GE(normalRejected, samples * 2 / 100);
  EXPECT_LE(normalRejected, samples * 9 / 100);
  EXPECT_GE(exponentialRejected, samples * 95 / 100);
}

TEST(StatisShapiroWilk, WStaysInItsRangeForEverySize) {
  TSampler s(7);
  for (int n : {3, 4, 5, 6, 7, 11, 12, 20, 100, 1000, 5000}) {
    for (int k = 0; k < 3; ++k) {
      TVector v(nullptr);
      double W = 0, P = 0;
      Load(v, k == 0   ? s.Normals(n)
              : k == 1 ? s.Exponentials(n)
                       : s.Sample(n, [](TSampler& t) { return t.Uniform(); }));
      ShapiroWilkTest(&v, n, W, P);
      EXPECT_GT(W, 0.0) << n;
      EXPECT_LE(W, 1.0) << n;
      EXPECT_GE(P, 0.0) << n;
      EXPECT_LE(P, 1.0) << n;
    }
  }
}

TEST(StatisShapiroWilk, PValueRisesWithW) {
  for (int n : {4, 7, 11, 12, 50, 1000, 5000}) {
    double previous = 0;
    for (double W = 0.5; W <= 1.0; W += 0.01) {
      const double p = ShapiroWilkIntegral(W, n, n);
      EXPECT_GE(p, previous) << n << " " << W;
      previous = p;
    }
  }
  EXPECT_EQ(ShapiroWilkIntegral(1.0, 50, 50), 1.0);
}

TEST(StatisShapiroWilk, CensoredSamples) {
  TSampler s(99);
  TVector v(nullptr);
  Load(v, s.Normals(60));
  double W = 0, P = 0;
  ShapiroWilkTest(&v, 45, W, P);
  EXPECT_GT(W, 0.0);
  EXPECT_LE(W, 1.0);
  EXPECT_GT(P, 0.0);
  EXPECT_LE(P, 1.0);
  EXPECT_EQ(ShapiroWilkIntegral(W, 60, 45), P);
}

TEST(StatisShapiroWilk, RefusalsWithTheirMessages) {
  TVector v(nullptr);
  double W = 0, P = 0;
  Load(v, {1, 2});
  EXPECT_THROW_MSG(ShapiroWilkTest(&v, 2, W, P), EQeltaStatisError,
                   "ShapiroWilkTest: number of data points is too low");
  Load(v, std::vector<double>(5001, 1.0));
  EXPECT_THROW_MSG(ShapiroWilkTest(&v, 5001, W, P), EQeltaStatisError,
                   "ShapiroWilkTest: number of data points is too high");
  Load(v, {1, 2, 3, 4, 5});
  for (int n1 : {2, 6, 4})  // too few, more than n, censored below n = 20
    EXPECT_THROW_MSG(ShapiroWilkTest(&v, n1, W, P), EQeltaStatisError,
                     "ShapiroWilkTest: invalid number of uncensored data points");
  Load(v, std::vector<double>(40, 1.0));
  EXPECT_THROW_MSG(ShapiroWilkTest(&v, 7, W, P), EQeltaStatisError,  // more than 80 % censored
                   "ShapiroWilkTest: invalid number of uncensored data points");
  EXPECT_THROW_MSG(ShapiroWilkTest(&v, 40, W, P), EQeltaStatisError, "ShapiroWilkTest: all data points are equal");
  for (double w : {0.0, -0.1, 1.01, kNaN}) EXPECT_EQ(ShapiroWilkIntegral(w, 20, 20), -1.0);
  EXPECT_EQ(ShapiroWilkIntegral(0.9, 2, 2), -1.0);
  EXPECT_EQ(ShapiroWilkIntegral(0.9, 5001, 5001), -1.0);
}

// [SECTION] kernel density estimate

/// The density of the kernels (x_i, w_i) at x.
double Direct(const std::vector<double>& x, const std::vector<double>& w, double at) {
  double s = 0;
  for (std::size_t i = 0; i < x.size(); ++i) s += nDistriDensity((at - x[i]) / w[i]) / w[i];
  return s / static_cast<double>(x.size());
}

// The gap rule: radius 1.5 around 0, 1, 2, 10: gaps (0, 1) for 0; (0, 1), (1, 2) for 1 (mean 1);
// (1, 2) for 2; none for 10 (the radius). Three equal values: gaps summing to 0 give radius / 2.
TEST(StatisDensity, KernelWidthsFollowTheGapsWithinTheRadius) {
  const struct {
    std::vector<double> data;
    double radius, factor;
    std::vector<double> widths;  // of the sorted data
  } cases[] = {{{10, 2, 0, 1}, 1.5, 1, {1, 1, 1, 1.5}},
               {{10, 2, 0, 1}, 1.5, 3, {3, 3, 3, 4.5}},
               {{5, 5, 5}, 1, 1, {0.5, 0.5, 0.5}},
               {{0, 4, 8}, 0, 2, {2, 2, 2}},         // a radius of 0: no gaps, the width factor alone
               {{0, 4, 8}, -1, 2, {2, 2, 2}},        // a negative radius likewise
               {{0, 1, 5}, 10, 0, {2.5, 2.5, 2.5}},  // a width factor of 0 is 1
               {{0, 3, 4, 5, 20}, 2.5, 1, {2.5, 1, 1, 1, 2.5}}};
  for (const auto& c : cases) {
    TVector data(nullptr), density(nullptr);
    Load(data, c.data);
    int lo = 0, hi = 0;
    EstimateProbDensity(&data, &density, -2, 22, c.factor, c.radius, 240, lo, hi);
    const std::vector<double> sorted = Values(data);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    ASSERT_EQ(density.NrOfElem(), 241);
    int expectLo = 1, expectHi = 1;
    std::vector<double> expected;
    for (int f = 0; f <= 240; ++f) expected.push_back(Direct(sorted, c.widths, -2 + 24.0 * f / 240));
    for (int f = 1; f <= 241; ++f) {
      EXPECT_NEAR_REL(density.GetVal(f), expected[static_cast<std::size_t>(f - 1)], 1e-12);
      if (expected[static_cast<std::size_t>(f - 1)] < expected[static_cast<std::size_t>(expectLo - 1)]) expectLo = f;
      if (expected[static_cast<std::size_t>(f - 1)] > expected[static_cast<std::size_t>(expectHi - 1)]) expectHi = f;
    }
    EXPECT_EQ(lo, expectLo);
    EXPECT_EQ(hi, expectHi);
  }
}

TEST(StatisDensity, IntegratesToOneOverAWideGrid) {
  TSampler s(3);
  for (int n : {1, 20, 2000}) {
    TVector data(nullptr), density(nullptr);
    Load(data, s.Normals(n));
    int lo = 0, hi = 0;
    EstimateProbDensity(&data, &density, -12, 12, 4, 0.5, 10000, lo, hi);
    double integral = 0;
    for (int f = 1; f <= 10001; ++f) integral += density.GetVal(f) * (f == 1 || f == 10001 ? 0.5 : 1.0);
    EXPECT_NEAR(integral * 24 / 10000, 1.0, 1e-3) << n;
    EXPECT_GT(density.GetVal(hi), 0.0);
  }
}

// Regression: the percentage ran over n + NumPoints and ended above 100.
TEST(StatisDensity, FeedbackCountsValuesAndPoints) {
  TVector data(nullptr), density(nullptr);
  Load(data, {3, 1, 2});
  std::vector<int> counts;
  std::vector<double> percents;
  int lo = 0, hi = 0;
  EstimateProbDensity(&data, &density, 0, 4, 1, 1, 5, lo, hi, [&](TObject* sender, int count, double percent) {
    EXPECT_EQ(sender, nullptr);
    counts.push_back(count);
    percents.push_back(percent);
  });
  ASSERT_EQ(counts.size(), 3u + 11u);  // 5 points are 10, so 11 evaluation points
  for (std::size_t i = 0; i < counts.size(); ++i) EXPECT_EQ(counts[i], static_cast<int>(i + 1));
  EXPECT_DOUBLE_EQ(percents.front(), 100.0 / 14);
  EXPECT_EQ(percents.back(), 100.0);
  EXPECT_EQ(density.NrOfElem(), 11);
}

TEST(StatisDensity, EdgeArguments) {
  TVector data(nullptr), density(nullptr);
  Load(data, {1, 2, 3});
  int lo = -1, hi = -1;
  EstimateProbDensity(nullptr, &density, 0, 4, 1, 1, 50, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
  EstimateProbDensity(&data, nullptr, 0, 4, 1, 1, 50, lo, hi);
  EXPECT_EQ(lo, 0);
  EstimateProbDensity(&data, &density, 0, 4, 1, 1, 20000, lo, hi);
  EXPECT_EQ(density.NrOfElem(), 10001);
  EstimateProbDensity(&data, &density, 4, 0, 1, 1, 40, lo, hi);  // a reversed grid runs downwards
  EXPECT_NEAR_REL(density.GetVal(1), Direct({1, 2, 3}, {1, 1, 1}, 4), 1e-12);
  EXPECT_NEAR_REL(density.GetVal(41), Direct({1, 2, 3}, {1, 1, 1}, 0), 1e-12);
  EstimateProbDensity(&data, &density, 2, 2, 1, 1, 10, lo, hi);  // one point, eleven times
  EXPECT_NEAR_REL(density.GetVal(11), Direct({1, 2, 3}, {1, 1, 1}, 2), 1e-12);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 1);
  Load(data, {1, kNaN, 3});
  EstimateProbDensity(&data, &density, 0, 4, 1, 1, 10, lo, hi);  // no crash, no hang
  EXPECT_EQ(density.NrOfElem(), 11);
}

// [SECTION] PLS model comment

TEST(StatisPLSComment, ReadsTheFirstLine) {
  TempDir dir;
  const struct {
    std::string bytes;
    std::string comment;
  } cases[] = {{"model of run 7\r\n3 4\r\n", "model of run 7"},
               {"lf only\nnext", "lf only"},
               {"cr only\rnext", "cr only"},
               {"no line end", "no line end"},
               {"", ""},
               {"\r\nsecond", ""},
               {"caf\xe9", "caf\xc3\xa9"}};  // Windows-1252
  for (const auto& c : cases) {
    dir.Put("model.pls", c.bytes);
    String comment = u"old";
    EXPECT_TRUE(LoadPLSModelComment(dir / "model.pls", comment));
    EXPECT_EQ(StringToUtf8(comment), c.comment);
  }
  String comment = u"old";
  EXPECT_FALSE(LoadPLSModelComment(dir / "missing.pls", comment));
  EXPECT_EQ(comment, u"");
  EXPECT_FALSE(LoadPLSModelComment(Utf8ToString(dir.Native()), comment));  // a directory
  EXPECT_FALSE(LoadPLSModelComment(u"", comment));
}

}  // namespace
