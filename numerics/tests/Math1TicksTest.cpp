// Tick rule, 1-2-5 rounding, integer floor/ceiling and degree steps of Qelta_math1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "Assertions.h"
#include "Qelta_math1.h"

using namespace qelta;

namespace {

// [SECTION] CalcScalePars: reference cases

struct TTickCase {
  int n;
  Extended lo, hi;
  Extended first, distance;
  uint16_t subTicks;
};

// Worked by hand from the rule: raw step |hi - lo| / n, largest 1-2-5 x 10^k below it (the raw
// step itself at a power of ten), first multiple not before lo by more than 0.1 % of a distance.
const TTickCase kTickCases[] = {
    {3, 0, 100, 0, 20, 4},                    // raw 33.3
    {5, 0, 10, 0, 1, 5},                      // raw exactly 2 goes down to 1
    {5, 10, 0, 10, -1, 5},                    // descending
    {5, 0.5L, 10.5L, 1, 1, 5},                // first tick after a non-multiple start
    {10, 0, 1, 0, 0.1L, 5},                   // raw step a power of ten
    {4, 0, 1, 0, 0.2L, 4},                    // raw 0.25
    {3, -7.3L, 12.9L, -5, 5, 5},              // raw 6.73
    {5, 2.0000001L, 12.5L, 2, 2, 4},          // 2 lies within 0.1 % of a step before the start
    {10, 0, 9.9999999L, 0, 0.5L, 5},          // a hair below a power of ten is not snapped
    {10, 0, 50, 0, 2, 4},                     // raw exactly 5 goes down to 2
    {2, -1e-7L, 1e-7L, -1e-7L, 1e-7L, 5},     // raw step a power of ten below 1
    {4, 1e12L, 0, 1e12L, -2e11L, 4},          // descending, large
    {0, 0, 5, 0, 1, 5},                       // N = 0: one unit, 5 sub-intervals up to 10
    {0, 0, 10, 0, 1, 5},                      //
    {0, 0, 50, 0, 1, 1},                      // longer than 10: 1 sub-interval
    {0, 3.5L, -20, 3, -1, 1},                 // N = 0 descending
    {-3, 0, 50, 0, 1, 1},                     // N < 0 counts as 0
    {7, 3.5L, 3.5L, 3.5L, 0, 1},              // equal ends
};

TEST(CalcScalePars, GivesTheWorkedReferenceCases) {
  for (const TTickCase& c : kTickCases) {
    SCOPED_TRACE(::testing::Message() << "n=" << c.n << " lo=" << static_cast<double>(c.lo)
                                      << " hi=" << static_cast<double>(c.hi));
    Extended first = -99;
    Extended distance = -99;
    uint16_t sub = 99;
    CalcScalePars(c.n, c.lo, c.hi, first, distance, sub);
    EXPECT_EQ(distance, c.distance);  // exact: m x 10^k is rounded once
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(sub, c.subTicks);
  }
}

// The first tick used to be a sum of steps that could end as -0, shown as "-0" by labels.
TEST(CalcScalePars, FirstTickZeroIsPositiveZero) {
  Extended first = 0, distance = 0;
  uint16_t sub = 0;
  CalcScalePars(3, 0, 100, first, distance, sub);
  EXPECT_FALSE(std::signbit(first));
  CalcScalePars(5, 10, -0.0L, first, distance, sub);
  EXPECT_EQ(first, 10);
}

// Non-finite ends used to run the logarithm and the stepping loop on Inf and NaN.
TEST(CalcScalePars, TreatsNonFiniteEndsLikeEqualEnds) {
  const Extended inf = std::numeric_limits<Extended>::infinity();
  const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
  const struct {
    Extended lo, hi, first;
  } cases[] = {{0, inf, 0}, {-inf, 5, 5}, {nan, 2, 2}, {nan, nan, 0}, {-inf, inf, 0},
               {-1e4932L, 1e4932L, -1e4932L}};  // the span overflows
  for (const auto& c : cases) {
    Extended first = -1, distance = -1;
    uint16_t sub = 0;
    CalcScalePars(5, c.lo, c.hi, first, distance, sub);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(distance, 0);
    EXPECT_EQ(sub, 1);
  }
}

// [SECTION] CalcScalePars: properties over random ranges

bool OnSeries(Extended d) {
  const Extended m = d / std::pow(10.0L, std::floor(std::log10(d) + 1e-12L));
  return std::fabs(m - 1) < 1e-12L || std::fabs(m - 2) < 1e-12L || std::fabs(m - 5) < 1e-12L;
}

TEST(CalcScalePars, HoldsItsRuleOnRandomRanges) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> expo(-12, 12), unit(-1, 1);
  for (int i = 0; i < 20000; ++i) {
    const Extended scale = std::pow(10.0L, expo(rng));
    const Extended lo = unit(rng) * scale;
    const Extended hi = lo + unit(rng) * scale;
    const int n = 1 + static_cast<int>(rng() % 20);
    Extended first = 0, d = 0;
    uint16_t sub = 0;
    CalcScalePars(n, lo, hi, first, d, sub);
    if (lo == hi) continue;
    const Extended raw = std::fabs(hi - lo) / n;
    ASSERT_EQ(d > 0, hi > lo);
    ASSERT_TRUE(OnSeries(std::fabs(d))) << static_cast<double>(d);
    ASSERT_LE(std::fabs(d), raw * (1 + 1e-9L));  // at least n intervals
    ASSERT_GT(std::fabs(d) * 2.5L, raw * (1 - 1e-9L));  // and the largest such step
    ASSERT_EQ(sub, OnSeries(std::fabs(d) / 2) && !OnSeries(std::fabs(d) / 5) ? 4 : 5);
    const Extended early = (lo - first) / d;  // in units of d, in the direction of the range
    ASSERT_LE(early, 0.001L + 1e-9L);
    ASSERT_GT(early + 1, 0.001L - 1e-9L);
    ASSERT_NEAR(static_cast<double>(first / d), std::nearbyint(static_cast<double>(first / d)), 1e-6);
  }
}

// The first tick used to be found by adding the distance until it reached the start of the range;
// on ranges a few ulps wide far from zero the sum rounded back to the same value and the loop
// never ended. A caller stepping first + i x distance must also come to an end.
TEST(CalcScalePars, EndsOnUlpWideRanges) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> expo(-4000, 4000);
  for (int i = 0; i < 20000; ++i) {
    const Extended lo = (rng() % 2 ? 1 : -1) * std::pow(10.0L, expo(rng));
    Extended hi = lo;
    const int ulps = 1 + static_cast<int>(rng() % 5);
    const Extended toward = rng() % 2 ? std::numeric_limits<Extended>::infinity() : -lo * 2;
    for (int k = 0; k < ulps; ++k) hi = std::nextafter(hi, toward);
    const int n = 1 + static_cast<int>(rng() % 50);
    Extended first = 0, d = 0;
    uint16_t sub = 0;
    CalcScalePars(n, lo, hi, first, d, sub);
    ASSERT_TRUE(std::isfinite(first) && std::isfinite(d) && d != 0);
    ASSERT_EQ(d > 0, hi > lo);
    const int cap = 6 * n + 10;
    int ticks = 0;
    while (ticks < cap && (first + ticks * d - hi) / d <= 0.001L) ++ticks;
    ASSERT_LT(ticks, cap) << "lo=" << static_cast<double>(lo) << " n=" << n;
  }
}

// [SECTION] 1-2-5 rounding

struct TSeriesCase {
  double (*f)(double);
  double x, expected;
};

const TSeriesCase kSeriesCases[] = {
    {Round125, 0, 0},         {Round125, 1.49, 1},      {Round125, 1.5, 2},     {Round125, 2.99, 2},
    {Round125, 3, 5},         {Round125, 7.99, 5},      {Round125, 8, 10},      {Round125, -0.04, -0.05},
    {Round125, 1000, 1000},   {Round125, 8e-5, 1e-4},   {Round125, 3e-7, 5e-7}, {Round125, -15, -20},
    {RoundPos125, 2.01, 5},   {RoundPos125, -2.01, -2}, {RoundPos125, 0, 0},    {RoundPos125, 20, 20},
    {RoundPos125, 5.5, 10},   {RoundPos125, 0.3, 0.5},  {RoundPos125, -0.3, -0.2},
    {RoundNeg125, 2.01, 2},   {RoundNeg125, -2.01, -5}, {RoundNeg125, 0, 0},    {RoundNeg125, 1e-5, 1e-5},
    {RoundNeg125, 9.99, 5},   {RoundNeg125, -0.3, -0.5}, {RoundNeg125, 1000, 1000},
};

TEST(Round125, GivesTheReferenceCases) {
  for (const TSeriesCase& c : kSeriesCases) {
    EXPECT_EQ(c.f(c.x), c.expected) << "x=" << c.x;
  }
}

// Computing the mantissa as 10^(lg x - floor(lg x)) put values on the series or on a threshold on
// the wrong side: Round125(8) gave 5 and RoundPos125(20) gave 50.
TEST(Round125, MapsTheSeriesToItselfAndThresholdsUpwards) {
  for (int k = -20; k <= 20; ++k) {
    for (const char* m : {"1", "2", "5"}) {
      const double x = std::strtod((std::string(m) + "e" + std::to_string(k)).c_str(), nullptr);
      SCOPED_TRACE(x);
      EXPECT_EQ(Round125(x), x);
      EXPECT_EQ(RoundPos125(x), x);
      EXPECT_EQ(RoundNeg125(x), x);
      EXPECT_EQ(Round125(-x), -x);
      EXPECT_EQ(RoundPos125(-x), -x);
      EXPECT_EQ(RoundNeg125(-x), -x);
    }
    const auto at = [k](const char* m) {
      return std::strtod((std::string(m) + "e" + std::to_string(k)).c_str(), nullptr);
    };
    EXPECT_EQ(Round125(at("1.5")), at("2"));
    EXPECT_EQ(Round125(at("3")), at("5"));
    EXPECT_EQ(Round125(at("8")), at("10"));
  }
}

// Regression: RoundPos125(2.000000000001) gave 2, below its argument (likewise RoundNeg125, near
// every series point within 1e-12 relative). The result is never on the wrong side of x; only a value
// within a few ulps of a series value counts as that value.
TEST(Round125, DirectedRoundingIsNeverOnTheWrongSide) {
  const struct {
    double (*f)(double);
    double x, expected;
  } cases[] = {
      {RoundPos125, 2.000000000001, 5},      {RoundPos125, 1.0000000000001, 2},
      {RoundPos125, 5.0000000000005, 10},    {RoundPos125, -1.9999999999999, -1},
      {RoundPos125, 2e-7 * (1 + 1e-13), 5e-7}, {RoundNeg125, 1.9999999999999, 1},
      {RoundNeg125, 9.999999999999, 5},      {RoundNeg125, -2.000000000001, -5},
      {RoundPos125, std::nextafter(2.0, 3.0), 2},   // a few ulps: the series value itself
      {RoundNeg125, std::nextafter(5.0, 0.0), 5},
      {RoundPos125, std::nextafter(std::nextafter(std::nextafter(1e-30, 1.0), 1.0), 1.0), 1e-30},
      {RoundPos125, 5e-324, 5e-324},         {RoundNeg125, 1.5e308, 1e308},
      {RoundPos125, 1.5e308, std::numeric_limits<double>::infinity()},
  };
  for (const auto& c : cases) EXPECT_EQ(c.f(c.x), c.expected) << c.x;
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> expo(-300, 300);
  for (int i = 0; i < 20000; ++i) {
    double x = (rng() % 2 ? 1 : -1) * std::pow(10.0, expo(rng));
    if (i % 2) x = std::nextafter(RoundPos125(x), rng() % 2 ? 0.0 : 1e308) * (1 + (rng() % 64) * 1e-16);
    const double up = RoundPos125(x), down = RoundNeg125(x);
    const double tol = 4 * (std::nextafter(std::fabs(x), HUGE_VAL) - std::fabs(x));
    ASSERT_GE(up, x - tol) << x;
    ASSERT_LE(down, x + tol) << x;
    if (up < x) {
      ASSERT_EQ(up, down) << x;  // only the snap to a series value stays below
    }
  }
}

TEST(Round125, DirectedRoundingBracketsItsArgument) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> expo(-300, 300);
  for (int i = 0; i < 20000; ++i) {
    const double x = (rng() % 2 ? 1 : -1) * std::pow(10.0, expo(rng));
    const double up = RoundPos125(x), down = RoundNeg125(x), near = Round125(x);
    ASSERT_GE(up, x * (1 - 1e-12 * (x > 0 ? 1 : -1)));
    ASSERT_LE(down, x * (1 + 1e-12 * (x > 0 ? 1 : -1)));
    ASSERT_EQ(Round125(near), near);
    ASSERT_EQ(RoundPos125(up), up);
    ASSERT_EQ(RoundNeg125(down), down);
  }
}

TEST(Round125, PassesNonFiniteValuesThrough) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Round125(inf), inf);
  EXPECT_EQ(RoundNeg125(-inf), -inf);
  EXPECT_TRUE(std::isnan(RoundPos125(std::nan(""))));
  EXPECT_EQ(Round125(4.9e-324), 4.9e-324);  // the smallest denormal is 5e-324
}

// [SECTION] IntPos and IntNeg

TEST(IntPosIntNeg, AreCeilingAndFloorWithClamping) {
  const double nan = std::nan("");
  const struct {
    double x;
    int ceil, floor;
  } cases[] = {{2.5, 3, 2},   {-2.5, -2, -3}, {3, 3, 3},       {-3, -3, -3},      {0.1, 1, 0},
               {-0.1, 0, -1}, {3.5, 4, 3},    {nan, 0, 0},     {1e300, INT32_MAX, INT32_MAX},
               {-1e300, INT32_MIN, INT32_MIN}};
  for (const auto& c : cases) {
    EXPECT_EQ(IntPos(c.x), c.ceil) << c.x;
    EXPECT_EQ(IntNeg(c.x), c.floor) << c.x;
  }
}

// [SECTION] RoundDegrees

TEST(RoundDegrees, RoundsToTheStepTable) {
  const struct {
    int d, m, s;
    bool up;
    int ed, em, es;
  } cases[] = {
      {0, 0, 0, true, 0, 0, 0},    {0, 0, 0, false, 0, 0, 0},    {-1, 5, 5, true, 0, 0, 0},
      {5, -1, 0, false, 0, 0, 0},  {7, 30, 0, true, 10, 0, 0},   {7, 30, 0, false, 5, 0, 0},
      {0, 45, 0, true, 1, 0, 0},   {0, 45, 0, false, 0, 30, 0},  {400, 0, 0, true, 360, 0, 0},
      {400, 0, 0, false, 360, 0, 0}, {90, 0, 0, true, 90, 0, 0}, {4, 0, 0, true, 5, 0, 0},
      {0, 70, 0, true, 1, 0, 0},   {0, 1, 0, false, 0, 1, 0},    {0, 7, 20, true, 0, 10, 0},
      {0, 0, 40, true, 0, 1, 0},   {0, 0, 40, false, 0, 0, 30},  {0, 0, 7, true, 0, 0, 10},
      {0, 0, 1, false, 0, 0, 1},   {1, 59, 59, true, 2, 0, 0},
  };
  for (const auto& c : cases) {
    int d = c.d, m = c.m, s = c.s;
    RoundDegrees(d, m, s, c.up);
    EXPECT_EQ(d, c.ed) << c.d << " " << c.m << " " << c.s << " up=" << c.up;
    EXPECT_EQ(m, c.em) << c.d << " " << c.m << " " << c.s << " up=" << c.up;
    EXPECT_EQ(s, c.es) << c.d << " " << c.m << " " << c.s << " up=" << c.up;
  }
}

}  // namespace
