#include <gtest/gtest.h>

#include "Types.h"

using namespace qelta;

namespace {
enum TFlag : uint8_t { fA, fB, fC, fD };
using TFlags = Set<TFlag>;
}  // namespace

TEST(Set, IncludeExcludeAndContains) {
  TFlags s;
  EXPECT_TRUE(s.Empty());
  s.Include(fB).Include(fD);
  EXPECT_FALSE(s.Contains(fA));
  EXPECT_TRUE(s.Contains(fB));
  EXPECT_TRUE(s.Contains(fD));
  EXPECT_EQ(s.Count(), 2u);
  s.Exclude(fB).Exclude(fC);
  EXPECT_EQ(s, TFlags({fD}));
}

TEST(Set, UnionIntersectionDifference) {
  const TFlags ab{fA, fB}, bc{fB, fC};
  EXPECT_EQ(ab | bc, TFlags({fA, fB, fC}));
  EXPECT_EQ(ab & bc, TFlags({fB}));
  EXPECT_EQ(ab - bc, TFlags({fA}));
  TFlags s = ab;
  s |= bc;
  s -= TFlags{fA};
  s &= TFlags{fC, fD};
  EXPECT_EQ(s, TFlags({fC}));
  EXPECT_NE(ab, bc);
}

TEST(Set, OrdinalBeyondCapacityIsIgnored) {
  Set<TFlag, 2> small;
  small.Include(fA).Include(fC);  // fC = 2 does not fit in two bits
  EXPECT_TRUE(small.Contains(fA));
  EXPECT_FALSE(small.Contains(fC));
  EXPECT_EQ(small.Count(), 1u);
}
