// TRandGen: the table and its setters, the shapes, the pinned draw order of seeded runs, and draws
// that follow the table's piecewise-linear density (chi-squared tests of 10^6 draws).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "Assertions.h"
#include "Qelta_statis.h"
#include "Random.h"

using namespace qelta;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// The platform's generator as its contract states it: seed * 134775813 + 1, Random(n) the high
/// word of seed * n, Random() seed / 2^32.
struct TReferenceLcg {
  uint32_t seed;
  uint32_t Step() { return seed = seed * 134775813u + 1u; }
  int Below(int n) { return static_cast<int>((uint64_t{Step()} * static_cast<uint32_t>(n)) >> 32); }
  double Unit() { return Step() / 4294967296.0; }
};

std::vector<double> Table(const TRandGen& g) {
  std::vector<double> t;
  for (int i = 1; i <= g.Resolution(); ++i) t.push_back(g.GetProbability(i));
  return t;
}

// [SECTION] the table

TEST(TRandGen, DefaultsAndTheResolution) {
  TRandGen g(nullptr);
  EXPECT_EQ(g.LowBorder(), 0.0);
  EXPECT_EQ(g.HighBorder(), 0.0);
  EXPECT_EQ(g.Resolution(), 500);
  EXPECT_EQ(Table(g), std::vector<double>(500, 1.0));
  const struct {
    int asked, stored;
  } resolutions[] = {{5, 10}, {9000, 4000}, {-3, 10}, {10, 10}, {4000, 4000}, {777, 777}};
  for (const auto& r : resolutions) {
    g.SetProbability(3, 0.25);
    g.SetResolution(r.asked);
    EXPECT_EQ(g.Resolution(), r.stored);
    EXPECT_EQ(Table(g), std::vector<double>(static_cast<std::size_t>(r.stored), 1.0));
  }
  g.SetProbability(5, 0.5);
  g.SetResolution(777);  // the present resolution resets the table too
  EXPECT_EQ(g.GetProbability(5), 1.0);
}

TEST(TRandGen, ProbabilitiesAreClampedAndBinsOutsideIgnored) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  const struct {
    int bin;
    double value, stored;
  } cases[] = {{1, 1.7, 1.0}, {2, -0.2, 0.0}, {3, 0.3, 0.3}, {4, kNaN, 0.0}, {10, 0.9, 0.9}};
  for (const auto& c : cases) {
    g.SetProbability(c.bin, c.value);
    EXPECT_EQ(g.GetProbability(c.bin), c.stored) << c.bin;
  }
  g.SetProbability(0, 0.5);
  g.SetProbability(11, 0.5);
  EXPECT_EQ(Table(g), (std::vector<double>{1, 0, 0.3, 0, 1, 1, 1, 1, 1, 0.9}));
  EXPECT_EQ(g.GetProbability(0), 0.0);
  EXPECT_EQ(g.GetProbability(11), 0.0);
}

TEST(TRandGen, LambdaAndItsBin) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  g.SetLowBorder(2);
  g.SetHighBorder(7);
  const struct {
    int bin;
    double lambda;
  } starts[] = {{-1, 2}, {0, 2}, {1, 2}, {2, 2.5}, {10, 6.5}, {11, 7}, {50, 7}};
  for (const auto& s : starts) EXPECT_EQ(g.GetLambda(s.bin), s.lambda) << s.bin;
  const struct {
    double lambda;
    int bin;
  } bins[] = {{1.99, 0}, {2, 1}, {2.49, 1}, {2.5, 2}, {6.99, 10}, {7, 11}, {7.01, 11}};
  for (const auto& b : bins) EXPECT_EQ(g.IndexOfLambda(b.lambda), b.bin) << b.lambda;
  // Regression: equal borders divided 0 by 0; LowBorder's bin is 1.
  g.SetHighBorder(2);
  EXPECT_EQ(g.IndexOfLambda(2), 1);
  EXPECT_EQ(g.IndexOfLambda(1), 0);
  EXPECT_EQ(g.IndexOfLambda(3), 11);
}

TEST(TRandGen, StandardizeAndNormalize) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  for (int i = 1; i <= 10; ++i) g.SetProbability(i, i / 20.0);  // maximum 0.5
  EXPECT_TRUE(g.Standardize());
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(g.GetProbability(i), i / 10.0);
  for (int i = 1; i <= 10; ++i) g.SetProbability(i, 0);
  EXPECT_FALSE(g.Standardize());
  EXPECT_EQ(Table(g), std::vector<double>(10, 0.0));
  for (int i = 1; i <= 10; ++i) g.SetProbability(i, 0.2 + i / 50.0);  // 0.22 .. 0.4
  g.Normalize();
  EXPECT_EQ(g.GetProbability(1), 0.0);
  EXPECT_EQ(g.GetProbability(10), 1.0);
  EXPECT_NEAR(g.GetProbability(4), 1.0 / 3, 1e-15);
  g.UniformDistri();
  g.Normalize();  // all equal: nothing
  EXPECT_EQ(Table(g), std::vector<double>(10, 1.0));
}

TEST(TRandGen, ShapesWriteTheDensitiesAtTheBinStarts) {
  TRandGen g(nullptr);
  g.SetResolution(20);
  g.SetLowBorder(-2);
  g.SetHighBorder(3);
  g.NormalDistri(0.5, 0.8);
  for (int i = 1; i <= 20; ++i) {
    const double x = g.GetLambda(i);
    EXPECT_NEAR(g.GetProbability(i), std::exp(-(x - 0.5) * (x - 0.5) / (2 * 0.64)), 1e-15) << i;
  }
  g.tDistri(3);
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(g.GetProbability(i), tDistriDensity(g.GetLambda(i), 3));
  g.Chi2Distri(4);
  for (int i = 1; i <= 20; ++i) {
    const double x = g.GetLambda(i);
    EXPECT_EQ(g.GetProbability(i), x < 0 ? 0.0 : Chi2DistriDensity(x, 4));
  }
  g.FDistri(3, 7);
  for (int i = 1; i <= 20; ++i) {
    const double x = g.GetLambda(i);
    EXPECT_EQ(g.GetProbability(i), x <= 0 ? 0.0 : FDistriDensity(x, 3, 7));
  }
  g.WeibullDistri(1.5, 2.0);  // eta the scale, beta the shape
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(g.GetProbability(i), WeibullDensity(g.GetLambda(i), 2.0, 1.5));
}

// [SECTION] drawing

// Per try: bin a = Random(Resolution), r = Random(), and u = Random() only below a height of 1;
// the height interpolates between bins a + 1 and a + 2 (the last bin falls to 0).
TEST(TRandGen, SeededDrawsFollowThePinnedOrder) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  g.SetLowBorder(-1);
  g.SetHighBorder(4);
  const std::vector<double> P = {0.1, 0.5, 1.0, 0.8, 0.3, 0.0, 0.6, 0.9, 0.2, 1.0};
  for (int i = 1; i <= 10; ++i) g.SetProbability(i, P[static_cast<std::size_t>(i - 1)]);
  RandSeed = 12345;
  TReferenceLcg ref{12345};
  for (int k = 0; k < 200; ++k) {
    int a = 0;
    double r = 0;
    for (;;) {
      a = ref.Below(10);
      r = ref.Unit();
      const double pa = P[static_cast<std::size_t>(a)];
      const double h = a == 9 ? pa * (1 - r) : pa + r * (P[static_cast<std::size_t>(a) + 1] - pa);
      if (h >= 1 || h > ref.Unit()) break;
    }
    EXPECT_EQ(g.GetRandNum(), -1 + (a + r) * 5 / 10) << k;
    EXPECT_EQ(RandSeed, ref.seed) << k;
  }
  RandSeed = 12345;  // the first three, pinned
  EXPECT_EQ(g.GetRandNum(), 0.64467720955144614);
  EXPECT_EQ(g.GetRandNum(), 1.8168375149834901);
  EXPECT_EQ(g.GetRandNum(), 1.0396574904443696);
}

// An all-zero table rejects every candidate: 100001 tries of three draws each, then the last one.
TEST(TRandGen, AllZeroTableEndsAfterTheLastTry) {
  TRandGen g(nullptr);
  g.SetResolution(50);
  g.SetLowBorder(10);
  g.SetHighBorder(20);
  for (int i = 1; i <= 50; ++i) g.SetProbability(i, 0);
  RandSeed = 99;
  TReferenceLcg ref{99};
  for (int k = 0; k < 3 * 100001; ++k) ref.Step();
  const double x = g.GetRandNum();
  EXPECT_EQ(RandSeed, ref.seed);
  EXPECT_GE(x, 10.0);
  EXPECT_LT(x, 20.0);
}

/// Chi-squared test of n draws against the table's piecewise-linear density, bin by bin (bins with
/// fewer than 5 expected draws are pooled with their neighbours); answers the p-value.
double ChiSquaredPValue(TRandGen& g, int n) {
  const int R = g.Resolution();
  std::vector<double> mass(static_cast<std::size_t>(R));
  double total = 0;
  for (int a = 1; a <= R; ++a) {
    const double next = a < R ? g.GetProbability(a + 1) : 0.0;
    total += mass[static_cast<std::size_t>(a - 1)] = (g.GetProbability(a) + next) / 2;
  }
  std::vector<double> observed(static_cast<std::size_t>(R), 0.0);
  const double low = g.LowBorder(), width = (g.HighBorder() - low) / R;
  for (int k = 0; k < n; ++k) {
    const int bin = static_cast<int>(std::floor((g.GetRandNum() - low) / width));
    observed[static_cast<std::size_t>(std::clamp(bin, 0, R - 1))] += 1;
  }
  double chi2 = 0, expectedRun = 0, observedRun = 0;
  int cells = 0;
  for (int a = 0; a < R; ++a) {
    expectedRun += mass[static_cast<std::size_t>(a)] / total * n;
    observedRun += observed[static_cast<std::size_t>(a)];
    if (expectedRun < 5 && a < R - 1) continue;
    chi2 += (observedRun - expectedRun) * (observedRun - expectedRun) / expectedRun;
    ++cells;
    expectedRun = observedRun = 0;
  }
  return 1 - chi2DistriIntegral(chi2, cells - 1);
}

TEST(TRandGen, DrawsFollowTheTableDensity) {
  TRandGen g(nullptr);
  RandSeed = 2024;
  g.SetResolution(200);
  g.SetLowBorder(-4);
  g.SetHighBorder(4);
  g.NormalDistri(0, 1);
  g.Standardize();
  EXPECT_GT(ChiSquaredPValue(g, 1000000), 1e-3);
  g.SetLowBorder(2);
  g.SetHighBorder(5);
  g.UniformDistri();
  EXPECT_GT(ChiSquaredPValue(g, 1000000), 1e-3);
  g.SetLowBorder(0);
  g.SetHighBorder(4);
  g.WeibullDistri(1.5, 2.0);
  g.Standardize();
  EXPECT_GT(ChiSquaredPValue(g, 1000000), 1e-3);
}

}  // namespace
