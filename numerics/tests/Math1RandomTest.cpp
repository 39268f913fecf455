// Random numbers of Qelta_math1 and the numerics' start-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "Assertions.h"
#include "Qelta_math1.h"
#include "Random.h"

using namespace qelta;

namespace {

// Leaves GRandom without a spare value, whatever earlier tests did.
void DropSpare() {
  const uint32_t before = RandSeed;
  GRandom();
  if (RandSeed != before) GRandom();  // a fresh pair was drawn: take its spare too
}

// [SECTION] reference sequences

// Both tables were computed by a separate script straight from the formulas (LongRand: the three
// congruential generators and the seeding rule; GRandom: the platform's generator
// seed * 134775813 + 1 mod 2^32 and the polar method), not from this implementation.
TEST(LongRand, FollowsThePinnedSequenceOfASeed) {
  const struct {
    int seed;
    double values[5];
  } cases[] = {
      {12345, {0.9918772283555497, 0.7858948414495446, 0.2971496983237336, 0.022311373137547275, 0.03840736820922208}},
      {-4711, {0.9295748745156822, 0.4420890680520436, 0.012888634654504294, 0.9159959010173322, 0.0992113045973877}},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(LongRand(c.seed), c.values[0]) << c.seed;
    for (int i = 1; i < 5; ++i) EXPECT_DOUBLE_EQ(LongRand(0), c.values[i]) << c.seed << " #" << i;
  }
}

TEST(GRandom, FollowsThePinnedSequenceOfASeed) {
  const double expected[] = {0.40712675358728834,  -0.8680801780042923, -0.6748655758426462,
                             -0.6268814514893536, 1.0989779931485495,  0.6672664005756074};
  DropSpare();
  RandSeed = 5807;
  for (double e : expected) EXPECT_DOUBLE_EQ(GRandom(), e);
}

// [SECTION] properties

TEST(LongRand, RepeatsForTheSameSeedAndStaysBelowOne) {
  const double first = LongRand(77);
  const double second = LongRand(0);
  EXPECT_EQ(LongRand(77), first);
  EXPECT_EQ(LongRand(0), second);
  double lo = 1, hi = 0, sum = 0;
  constexpr int kDraws = 100000;
  for (int i = 0; i < kDraws; ++i) {
    const double r = LongRand(0);
    ASSERT_TRUE(r >= 0 && r < 1) << r;
    lo = std::min(lo, r);
    hi = std::max(hi, r);
    sum += r;
  }
  EXPECT_LT(lo, 1e-3);
  EXPECT_GT(hi, 1 - 1e-3);
  EXPECT_NEAR(sum / kDraws, 0.5, 0.005);
}

// A seed that is a multiple of 990923 set all three states to 0, and 0 x multiplier stays 0:
// LongRand returned 0 for ever after.
TEST(LongRand, DoesNotLockUpAtZeroForMultiplesOfTheModulus) {
  for (int seed : {990923, -990923, 2 * 990923, 2167 * 990923}) {
    LongRand(seed);
    bool allZero = true;
    for (int i = 0; i < 10; ++i) allZero = allZero && LongRand(0) == 0;
    EXPECT_FALSE(allZero) << seed;
  }
  EXPECT_DOUBLE_EQ(LongRand(990923), 0.0030939668188116583);  // states (1, 1, 1), pinned as above
}

TEST(BRandom, DrawsOnceBelowOneAndNeverFromOneUp) {
  RandSeed = 99;
  EXPECT_TRUE(BRandom(1));
  EXPECT_TRUE(BRandom(2));
  EXPECT_EQ(RandSeed, 99u);  // no draw
  int hits = 0;
  for (int i = 0; i < 1000; ++i) {
    EXPECT_FALSE(BRandom(0));
    hits += BRandom(0.25) ? 1 : 0;
  }
  EXPECT_NE(RandSeed, 99u);
  EXPECT_NEAR(hits, 250, 60);
}

TEST(CRandom, HasTheMedianAtTheLocationAndQuartilesAtOneScale) {
  RandSeed = 3;
  int below = 0, within = 0;
  constexpr int kDraws = 20000;
  for (int i = 0; i < kDraws; ++i) {
    const double c = CRandom(2, 10);
    below += c < 10 ? 1 : 0;
    within += std::fabs(c - 10) < 2 ? 1 : 0;
  }
  EXPECT_NEAR(below, kDraws / 2, kDraws / 50);
  EXPECT_NEAR(within, kDraws / 2, kDraws / 50);  // P(|X - b| < a) = 1/2 for Cauchy
}

// The polar method drew again only for s >= 1; a pair with s = 0 would give ln 0 and NaN. With
// the platform's generator two successive draws of exactly 0.5 cannot occur, so this checks that
// the variates stay finite and normal over a long run.
TEST(GRandom, GivesFiniteStandardNormalValuesInPairs) {
  RandSeed = 12;
  double sum = 0, sumSq = 0;
  constexpr int kDraws = 100000;
  for (int i = 0; i < kDraws; ++i) {
    const double g = GRandom();
    ASSERT_TRUE(std::isfinite(g));
    sum += g;
    sumSq += g * g;
  }
  EXPECT_NEAR(sum / kDraws, 0, 0.02);
  EXPECT_NEAR(sumSq / kDraws, 1, 0.02);
}

TEST(GRandom, SecondCallOfAPairDrawsNothing) {
  DropSpare();
  const uint32_t before = RandSeed;
  GRandom();
  const uint32_t afterFirst = RandSeed;
  GRandom();
  EXPECT_NE(afterFirst, before);
  EXPECT_EQ(RandSeed, afterFirst);
}

// [SECTION] start-up

// The start-up took three draws of the platform's generator for LongRand's states x, y, z. In a
// fresh process nothing has drawn since, so stepping the generator back three times recovers the
// draws (134775813 x 3645876429 = 1 mod 2^32), from which the first LongRand value follows.
int CheckLongRandStartState() {
  uint32_t seed = RandSeed;
  int64_t state[3] = {};
  for (int i = 2; i >= 0; --i) {
    state[i] = static_cast<int64_t>(std::nearbyint(seed / 4294967296.0 * 990000.0));
    if (state[i] == 0) state[i] = 1;
    seed = (seed - 1u) * 3645876429u;
  }
  const double r = static_cast<double>(state[0] * 1187 % 1001003) / 1001003 +
                   static_cast<double>(state[1] * 983 % 990923) / 990923 +
                   static_cast<double>(state[2] * 1283 % 1400423) / 1400423;
  return LongRand(0) == r - std::floor(r) ? 0 : 1;
}

TEST(NumericsStartUpDeathTest, SeedsLongRandFromThePlatformsRandom) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-runs the program: a fresh start-up
  EXPECT_EXIT(std::exit(CheckLongRandStartState()), ::testing::ExitedWithCode(0), "");
}

TEST(NumericsStartUp, ClearsTheSharedFeedbackAndAbortAndRunsOnce) {
  EXPECT_FALSE(MathFeedBackProc);
  EXPECT_FALSE(AbortMathProc);
  AbortMathProc = true;
  MathFeedBackProc = [](int) {};
  num_detail::InitMath1();  // already ran at load: must not touch the globals again
  EXPECT_TRUE(AbortMathProc);
  EXPECT_TRUE(MathFeedBackProc);
  AbortMathProc = false;
  MathFeedBackProc = nullptr;
}

}  // namespace
