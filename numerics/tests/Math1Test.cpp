// Arithmetic, elementary functions, angles and bit helpers of Qelta_math1.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Qelta_math1.h"

using namespace qelta;

namespace {

constexpr double kPi = std::numbers::pi;

// [SECTION] arithmetic

TEST(Signum, CountsZeroAsPositive) {
  EXPECT_EQ(Signum(0.0), 1);
  EXPECT_EQ(Signum(-0.0), 1);
  EXPECT_EQ(Signum(2.5), 1);
  EXPECT_EQ(Signum(-1e-300), -1);
}

TEST(WithinBounds, AcceptsBoundsInEitherOrder) {
  EXPECT_TRUE(WithinBounds(2, 1, 3));
  EXPECT_TRUE(WithinBounds(2, 3, 1));
  EXPECT_TRUE(WithinBounds(3, 3, 1));
  EXPECT_FALSE(WithinBounds(0.5, 3, 1));
  EXPECT_FALSE(WithinBounds(std::nan(""), 0, 1));
}

TEST(EuclideanDistance, IsTheSegmentLength) {
  EXPECT_EQ(EuclideanDistance(1, 2, 4, 6), 5);
  EXPECT_EQ(EuclideanDistance(-1, -1, -1, -1), 0);
}

TEST(Polynomial, EvaluatesUpToTheOrderAndRefusesOthers) {
  const std::vector<double> c = {1, 2, 3};
  EXPECT_EQ(Polynomial(c, 2, 2), 17);  // 1 + 2*2 + 3*4
  EXPECT_EQ(Polynomial(c, 1, 2), 5);
  EXPECT_EQ(Polynomial(c, 0, 99), 1);
  EXPECT_THROW_MSG(Polynomial(c, 3, 1), EQeltaMath1Error, "Polynomial: invalid order of polynomial");
  EXPECT_THROW_MSG(Polynomial(c, -1, 1), EQeltaMath1Error, "Polynomial: invalid order of polynomial");
  EXPECT_THROW_MSG(Polynomial({}, 0, 1), EQeltaError, "Polynomial: invalid order of polynomial");
}

TEST(InterpolZofXYRect, HitsTheCornersAndTheMean) {
  const double z1 = 1, z2 = 2, z3 = 4, z4 = 8;
  EXPECT_EQ(InterpolZofXYRect(z1, z2, z3, z4, 0, 0), z1);
  EXPECT_EQ(InterpolZofXYRect(z1, z2, z3, z4, 0, 1), z2);
  EXPECT_EQ(InterpolZofXYRect(z1, z2, z3, z4, 1, 0), z3);
  EXPECT_EQ(InterpolZofXYRect(z1, z2, z3, z4, 1, 1), z4);
  EXPECT_EQ(InterpolZofXYRect(z1, z2, z3, z4, 0.5, 0.5), 3.75);
}

TEST(Factorial, CoversZeroToThousandAndRefusesTheRest) {
  EXPECT_EQ(Factorial(0), 1);
  EXPECT_EQ(Factorial(1), 1);
  EXPECT_EQ(Factorial(5), 120);
  EXPECT_EQ(Factorial(20), 2432902008176640000.0L);  // exact in 64 mantissa bits
  // 1000! = 4.0238726007709377354...e2567 (its leading digits are a standard table value).
  EXPECT_NEAR(static_cast<double>(Factorial(1000) / 4.0238726007709377354e2567L), 1.0, 1e-14);
  EXPECT_THROW_MSG(Factorial(1001), EQeltaMath1Error, "Factorial: argument too big");
  EXPECT_THROW_MSG(Factorial(-1), EQeltaMath1Error, "Factorial: negative argument");
}

// |INT_MIN| overflowed in the magnitude; 0 and +-1 were reported prime because trial division
// found no divisor.
TEST(IsPrime, DecidesByTheMagnitude) {
  const struct {
    int n;
    bool prime;
  } cases[] = {{2, true},     {3, true},    {97, true},   {2147483647, true}, {-7, true},
               {0, false},    {1, false},   {-1, false},  {4, false},         {9, false},
               {INT_MIN, false}, {2147483646, false}, {1000003 * 2, false}};
  for (const auto& c : cases) EXPECT_EQ(IsPrime(c.n), c.prime) << c.n;
}

// Trial division up to the smaller operand took seconds for large coprime values; |INT_MIN|
// overflowed.
TEST(CancelFraction, ReducesByTheGreatestCommonDivisor) {
  const struct {
    int n, d, en, ed;
  } cases[] = {{6, 4, 3, 2},
               {-6, 4, -3, 2},
               {6, -4, 3, -2},
               {-6, -4, -3, -2},
               {0, 5, 0, 5},
               {5, 0, 5, 0},
               {7, 7, 1, 1},
               {INT_MIN, 2, INT_MIN / 2, 1},
               {INT_MIN, INT_MIN, -1, -1},
               {2147483647, 2147483646, 2147483647, 2147483646},
               {2147483646, 1073741823, 2, 1}};
  for (const auto& c : cases) {
    int n = c.n, d = c.d;
    CancelFraction(n, d);
    EXPECT_EQ(n, c.en) << c.n << "/" << c.d;
    EXPECT_EQ(d, c.ed) << c.n << "/" << c.d;
  }
}

// [SECTION] elementary functions

TEST(Logarithms, AreExactAtPowersAndRaiseOnNonPositiveArguments) {
  for (int k = -300; k <= 300; ++k) {
    const double x = std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
    ASSERT_EQ(lg(x), k) << x;
  }
  EXPECT_EQ(ld(8), 3);
  EXPECT_EQ(ld(0.125), -3);
  EXPECT_NEAR(lg(2), 0.30102999566398120, 1e-16);
  for (double bad : {0.0, -0.0, -1.0}) {
    EXPECT_THROW_MSG(lg(bad), EMathError, "logarithm: invalid argument");
    EXPECT_THROW_MSG(ld(bad), EMathError, "logarithm: invalid argument");
  }
}

TEST(Hyperbolic, MatchReferenceValues) {
  // sinh 1 = (e - 1/e)/2, cosh 1 = (e + 1/e)/2, tanh 0.5: 17-digit values from the series.
  EXPECT_NEAR_REL(qelta::sinh(1), 1.1752011936438014, 1e-15);
  EXPECT_NEAR_REL(qelta::cosh(1), 1.5430806348152437, 1e-15);
  EXPECT_NEAR_REL(tgh(0.5), 0.46211715726000974, 1e-15);
  EXPECT_NEAR_REL(qelta::sinh(-3), -10.017874927409903, 1e-15);
  EXPECT_EQ(tgh(1000), 1);
  EXPECT_EQ(tgh(-1000), -1);
}

// The one-exponential forms (e^x - e^-x)/2 and 1 - 2/(e^2x + 1) cancelled for small x.
TEST(Hyperbolic, KeepSmallArguments) {
  for (double x : {1e-20, -1e-10, 1e-5}) {
    EXPECT_NEAR_REL(qelta::sinh(x), x * (1 + x * x / 6), 1e-15);
    EXPECT_NEAR_REL(tgh(x), x * (1 - x * x / 3), 1e-15);
  }
}

TEST(Tangents, AreQuotientsAndRaiseOnAZeroDenominator) {
  EXPECT_NEAR(tg(kPi / 4), 1, 1e-15);
  EXPECT_NEAR(cot(kPi / 4), 1, 1e-15);
  EXPECT_NEAR(tg(-kPi / 3), -std::sqrt(3.0), 1e-14);
  EXPECT_THROW_MSG(cot(0), EMathError, "cotangens overflow");
  EXPECT_THROW_MSG(cot(-0.0), EMathError, "cotangens overflow");
}

// [SECTION] angles and geometry

TEST(CanonicalAngle, FoldsIntoTheHalfOpenTurn) {
  const struct {
    double x, deg;
  } cases[] = {{540, 180}, {-190, 170}, {360, 0},   {720, 0},    {181, -179},
               {-180, -180}, {725, 5},  {-725, -5}, {179.5, 179.5}, {-360, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(CanonicalAngleDegrees(c.x), c.deg) << c.x;
    EXPECT_NEAR(CanonicalAngleRadians(c.x * kPi / 180), c.deg * kPi / 180, 1e-12) << c.x;
  }
  EXPECT_TRUE(std::isnan(CanonicalAngleDegrees(std::nan(""))));
}

TEST(AngleToXAxis, CoversAllQuadrantsAndTheAxes) {
  const struct {
    double dx, dy, angle;
  } cases[] = {{1, 0, 0},           {0, 1, kPi / 2},  {-1, 0, kPi},          {0, -1, 3 * kPi / 2},
               {1, -1, 7 * kPi / 4}, {-1, 1, 3 * kPi / 4}, {-1, -1, 5 * kPi / 4}, {1, 1, kPi / 4},
               {0, 0, 3 * kPi / 2}, {1, -0.0, 0}};
  for (const auto& c : cases) {
    const double a = AngleToXAxis(c.dx, c.dy);
    EXPECT_NEAR(a, c.angle, 1e-15) << c.dx << "," << c.dy;
    EXPECT_FALSE(std::signbit(a));
  }
}

TEST(DistFromRect, MeasuresToEdgesInTheBandsAndToCornersElsewhere) {
  const struct {
    int x, y, dist;
  } cases[] = {{10, 15, 0}, {15, 15, 0}, {20, 20, 0}, {5, 15, 5},  {15, 30, 10},
               {15, 2, 8},  {5, 5, 7},   {23, 24, 5}, {26, 12, 6}, {INT32_MIN, INT32_MIN, INT32_MAX}};
  for (const auto& c : cases) {
    EXPECT_EQ(DistFromRect(Point(c.x, c.y), Rect(10, 10, 20, 20)), c.dist) << c.x << "," << c.y;
    EXPECT_EQ(DistFromRect(Point(c.x, c.y), Rect(20, 20, 10, 10)), c.dist) << "reversed " << c.x << "," << c.y;
  }
}

// [SECTION] bits and bytes

TEST(Bits, PowerOfTwoAndBitCodes) {
  EXPECT_TRUE(CheckPowerOfTwo(0));
  EXPECT_TRUE(CheckPowerOfTwo(1));
  EXPECT_TRUE(CheckPowerOfTwo(64));
  EXPECT_TRUE(CheckPowerOfTwo(0x80000000u));
  EXPECT_FALSE(CheckPowerOfTwo(3));
  EXPECT_FALSE(CheckPowerOfTwo(0xFFFFFFFFu));
  EXPECT_EQ(DecodeBit(0), 1);
  EXPECT_EQ(DecodeBit(7), 128);
  EXPECT_EQ(DecodeBit(8), 0);
  EXPECT_EQ(DecodeBit(-1), 0);
  EXPECT_EQ(DecodeLong(31), 0x80000000u);
  EXPECT_EQ(DecodeLong(32), 0u);
  EXPECT_EQ(DecodeLong(-1), 0u);
  EXPECT_EQ(EncodeLong(0), 31);
  EXPECT_EQ(EncodeLong(1), 0);
  EXPECT_EQ(EncodeLong(40), 3);
  EXPECT_EQ(EncodeLong(0x80000000u), 31);
  EXPECT_EQ(CountBits(0), 0);
  EXPECT_EQ(CountBits(0xFF), 8);
  EXPECT_EQ(CountBits(0xA5), 4);
  EXPECT_EQ(GrayCode(3), 2);
  EXPECT_EQ(GrayCode(0xFFFF), 0x8000);
}

TEST(Bits, ReversalIsAnInvolutionThatMirrorsEachBit) {
  EXPECT_EQ(BitReversal(1), 128);
  EXPECT_EQ(BitReversal(0xF0), 0x0F);
  EXPECT_EQ(BitReversal(0x12), 0x48);
  for (int b = 0; b < 256; ++b) {
    const auto r = BitReversal(static_cast<uint8_t>(b));
    ASSERT_EQ(BitReversal(r), b);
    for (int i = 0; i < 8; ++i) ASSERT_EQ((b >> i) & 1, (r >> (7 - i)) & 1);
  }
}

TEST(ConvertEndian, ReversesTheBytes) {
  EXPECT_EQ(ConvertEndian(uint16_t{0x1234}), 0x3412);
  EXPECT_EQ(ConvertEndian(int32_t{0x12345678}), 0x78563412);
  EXPECT_EQ(ConvertEndian(int32_t{-2}), static_cast<int32_t>(0xFEFFFFFFu));
  const double d = ConvertEndian(1.0);  // 3FF0000000000000 -> 000000000000F03F
  uint64_t bits = 0;
  std::memcpy(&bits, &d, 8);
  EXPECT_EQ(bits, 0xF03Full);
  EXPECT_EQ(ConvertEndian(ConvertEndian(-123.456)), -123.456);
  EXPECT_EQ(ConvertEndian(ConvertEndian(2.5f)), 2.5f);
}

TEST(ExChange, SwapsVariablesAndMemory) {
  int a = 1, b = 2;
  ExChange(a, b);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
  String s = u"left", t = u"right";
  ExChange(s, t);
  EXPECT_EQ(s, u"right");
  EXPECT_EQ(t, u"left");
  Extended x = 1.5L, y = -2;
  ExChange(x, y);
  EXPECT_EQ(x, -2);
  char m1[] = "abcd", m2[] = "wxyz";
  ExChange(m1, m2, 3);
  EXPECT_STREQ(m1, "wxyd");
  EXPECT_STREQ(m2, "abcz");
  ExChange(m1, nullptr, 3);  // a missing area is left alone
  EXPECT_STREQ(m1, "wxyd");
}

}  // namespace
