#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "Assertions.h"
#include "Math.h"

using namespace qelta;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
}  // namespace

TEST(Math, IntegerRoundingTable) {
  const struct { Extended x; int64_t round, trunc, ceil, floor; } table[] = {
      {0.5, 0, 0, 1, 0},      {1.5, 2, 1, 2, 1},    {2.5, 2, 2, 3, 2},     {3.5, 4, 3, 4, 3},
      {-0.5, 0, 0, 0, -1},    {-1.5, -2, -1, -1, -2}, {-2.5, -2, -2, -2, -3}, {2.4999999, 2, 2, 3, 2},
      {-7.0, -7, -7, -7, -7}, {1e18, 1000000000000000000, 1000000000000000000, 1000000000000000000,
                               1000000000000000000},
  };
  for (const auto& t : table) {
    EXPECT_EQ(Round(t.x), t.round) << static_cast<double>(t.x);
    EXPECT_EQ(Trunc(t.x), t.trunc) << static_cast<double>(t.x);
    EXPECT_EQ(Ceil(t.x), t.ceil) << static_cast<double>(t.x);
    EXPECT_EQ(Floor(t.x), t.floor) << static_cast<double>(t.x);
  }
}

TEST(Math, IntegerRoundingClampsWhatDoesNotFit) {
  // Converting these straight to an integer is undefined behaviour.
  const struct { Extended x; int64_t expected; } table[] = {
      {kNaN, 0}, {-kNaN, 0}, {kInf, kMax64}, {-kInf, kMin64}, {1e19, kMax64}, {-1e19, kMin64},
      {9223372036854775808.0L, kMax64}, {-9223372036854775808.0L, kMin64}, {9223372036854775807.0L, kMax64},
  };
  for (const auto& t : table) {
    EXPECT_EQ(Round(t.x), t.expected);
    EXPECT_EQ(Trunc(t.x), t.expected);
    EXPECT_EQ(Ceil(t.x), t.expected);
    EXPECT_EQ(Floor(t.x), t.expected);
  }
}

TEST(Math, IntAndFracSplitTowardZero) {
  EXPECT_EQ(Int(2.75L), 2.0L);
  EXPECT_EQ(Frac(2.75L), 0.75L);
  EXPECT_EQ(Int(-2.75L), -2.0L);
  EXPECT_EQ(Frac(-2.75L), -0.75L);
  EXPECT_TRUE(std::isinf(Int(kInf)));
  EXPECT_TRUE(std::isnan(Frac(kInf)));
}

TEST(Math, SimpleRoundToRoundsHalfAwayFromZero) {
  const struct { double value; int digits; double expected; } table[] = {
      {1.235, -2, 1.24},  {-1.235, -2, -1.24}, {2.5, 0, 3.0},    {-2.5, 0, -3.0},  {0.5, 0, 1.0},
      {1234.5, 2, 1200.0}, {1250.0, 2, 1300.0}, {-1250, 2, -1300}, {0.0, -2, 0.0},  {7.0, -3, 7.0},
      {12.3456, -3, 12.346},
  };
  for (const auto& t : table)
    EXPECT_NEAR_REL(static_cast<double>(SimpleRoundTo(t.value, t.digits)), t.expected, 1e-15) << t.value;
  EXPECT_NEAR_REL(static_cast<double>(SimpleRoundTo(3.14159)), 3.14, 1e-15);  // default: two decimals
}

TEST(Math, SimpleRoundToKeepsValuesBeyondTheIntegerRange) {
  // An integer truncation clamped the scaled value at 2^63 and answered about 9.2e16 for 1e30.
  EXPECT_NEAR_REL(static_cast<double>(SimpleRoundTo(1e30, -2)), 1e30, 1e-15);
  EXPECT_NEAR_REL(static_cast<double>(SimpleRoundTo(-1e300, 0)), -1e300, 1e-15);
  EXPECT_TRUE(std::isnan(SimpleRoundTo(kNaN)));
  EXPECT_EQ(SimpleRoundTo(kInf, 0), kInf);
}

TEST(Math, PowerFollowsTheClassicRules) {
  const struct { Extended base, exponent, expected; } table[] = {
      {0, 0, 1}, {2, 10, 1024}, {-2, 3, -8}, {-2, -2, 0.25}, {4, 0.5, 2}, {kNaN, 0, 1}, {0, 3, 0},
  };
  for (const auto& t : table) EXPECT_EQ(Power(t.base, t.exponent), t.expected);
  EXPECT_TRUE(std::isnan(Power(-8, 1.0L / 3)));
  EXPECT_EQ(Power(0, -1), kInf);
}

TEST(Math, IntPowerSquaresAndInverts) {
  const struct { Extended base; int exponent; Extended expected; } table[] = {
      {10, 0, 1}, {10, 3, 1000}, {10, -2, 1.0L / 100}, {-3, 3, -27}, {2, 63, 9223372036854775808.0L},
      {2, -16382, std::numeric_limits<Extended>::min()}, {1, -2147483647 - 1, 1}, {-1, -2147483647 - 1, 1},
  };
  for (const auto& t : table) EXPECT_EQ(IntPower(t.base, t.exponent), t.expected) << t.exponent;
  EXPECT_EQ(IntPower(0, -1), kInf);
}

TEST(Math, SignMinMax) {
  EXPECT_EQ(Sign(-0.1), -1);
  EXPECT_EQ(Sign(0.0), 0);
  EXPECT_EQ(Sign(-0.0), 0);
  EXPECT_EQ(Sign(kNaN), 0);
  EXPECT_EQ(Sign(int64_t{5}), 1);
  EXPECT_EQ(Sign(-5), -1);
  EXPECT_EQ(Min(3, -4), -4);
  EXPECT_EQ(Max(int64_t{3}, int64_t{-4}), 3);
  EXPECT_EQ(Min(1.5, 2.5), 1.5);
  EXPECT_EQ(Max(1.5, 2.5), 2.5);
  EXPECT_TRUE(IsNan(Min(1.0, kNaN)));
  EXPECT_TRUE(IsInfinite(-kInf));
  EXPECT_FALSE(IsInfinite(kNaN));
}

TEST(Math, ExtendedImagesOfKnownValues) {
  // Reference: the x87 double-extended layout (sign, 15-bit exponent biased by 16383, 64-bit mantissa).
  using Image = std::array<uint8_t, 10>;
  const struct { Extended value; Image bytes; } table[] = {
      {1.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
      {-2.5L, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}},
      {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {-0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}},
      {kInf, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
      {-kInf, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}},
      {std::numeric_limits<Extended>::denorm_min(), {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {std::numeric_limits<Extended>::max(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F}},
      {std::numeric_limits<Extended>::min(), {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00}},
  };
  for (const auto& t : table) {
    Image out{};
    ExtendedToBytes(t.value, out.data());
    EXPECT_EQ(out, t.bytes) << static_cast<double>(t.value);
    const Extended back = BytesToExtended(t.bytes.data());
    EXPECT_EQ(back, t.value);
    EXPECT_EQ(std::signbit(back), std::signbit(t.value));
  }
}

TEST(Math, ExtendedImageRoundTripsExactly) {
  const Extended lowest = std::numeric_limits<Extended>::denorm_min();
  const Extended values[] = {1.0L / 3, -1e-300L, 123456789.123456789L, 1e4000L, -1e-4940L, lowest * 12345,
                             std::numeric_limits<Extended>::min() / 2, std::nextafter(1.0L, 2.0L), M_PIl};
  for (Extended v : values) {
    for (Extended x = v; std::isfinite(x) && x != 0; x *= -1.0e37L) {
      uint8_t image[10];
      ExtendedToBytes(x, image);
      EXPECT_EQ(BytesToExtended(image), x) << static_cast<double>(x);
    }
  }
}

TEST(Math, ExtendedImageOfNaNAndRejectedEncodings) {
  uint8_t image[10];
  ExtendedToBytes(kNaN, image);
  EXPECT_TRUE(std::isnan(BytesToExtended(image)));
  EXPECT_EQ(image[9] & 0x7F, 0x7F);
  // Unnormal (integer bit clear with a non-zero exponent), pseudo-infinity and pseudo-NaN read as NaN.
  const uint8_t unnormal[10] = {0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F};
  const uint8_t pseudoInf[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x7F};
  const uint8_t pseudoNaN[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x7F};
  for (const uint8_t* bad : {unnormal, pseudoInf, pseudoNaN}) EXPECT_TRUE(std::isnan(BytesToExtended(bad)));
}

TEST(Math, MulDivRoundsTheExactProductHalfAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  };
  const Case cases[] = {
      {5, 1, 2, 3},       {-5, 1, 2, -3},        {5, -1, 2, -3},           {-5, -1, 2, 3},
      {1, 1, 3, 0},       {2, 1, 3, 1},          {-1, 1, 2, -1},           {100, 96, 72, 133},
      {-11, 72, 96, -8},  {INT32_MAX, 2, 2, INT32_MAX},                    {INT32_MIN, 3, 3, INT32_MIN},
      {7, 3, 0, -1},      {INT32_MAX, INT32_MAX, 1, -1},                   {INT32_MIN, -1, 1, -1},
  };
  for (const Case& k : cases) EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.expected) << k.a << " * " << k.b << " / " << k.c;
}
