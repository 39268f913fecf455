// Complex numbers of Qelta_complex.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "Assertions.h"
#include "Qelta_complex.h"

using namespace qelta;

namespace {

constexpr Extended kPiL = std::numbers::pi_v<long double>;

bool Near(const TComplex& a, const TComplex& b, Extended tol) {
  return std::fabs(a.re - b.re) <= tol && std::fabs(a.im - b.im) <= tol;
}

// [SECTION] arithmetic

TEST(Complex, ArithmeticReferenceValues) {
  const TComplex a = Cpx(1, 2), b = Cpx(3, 4);
  const struct {
    TComplex got, expected;
  } cases[] = {
      {CpxAdd(a, b), {4, 6}},    {CpxSub(a, b), {-2, -2}}, {CpxMult(a, b), {-5, 10}},
      {CpxDiv(a, b), {0.44L, 0.08L}}, {CpxConj(a), {1, -2}}, {CpxNeg(a), {-1, -2}},
      {Cpx(7, -3), {7, -3}},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Near(c.got, c.expected, 1e-18L))
        << static_cast<double>(c.got.re) << " " << static_cast<double>(c.got.im);
  }
  EXPECT_EQ(CpxAbs(b), 5);
  EXPECT_EQ(CpxAbsSqr(b), 25);
  EXPECT_TRUE(CpxIsEqual(COMPLEX_0, Cpx(0, 0)));
  EXPECT_TRUE(CpxIsEqual(COMPLEX_1, Cpx(1, 0)));
}

TEST(Complex, DivisionUndoesMultiplication) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(-100, 100);
  for (int i = 0; i < 1000; ++i) {
    const TComplex a = Cpx(u(rng), u(rng)), b = Cpx(u(rng), u(rng));
    const TComplex back = CpxDiv(CpxMult(a, b), b);
    ASSERT_TRUE(Near(back, a, 1e-15L * (1 + CpxAbs(a))));
  }
}

// Division by (0, 0) gave a silent NaN where the classic system stopped with its floating-point
// error; it is checked and raised as EMathError.
TEST(Complex, DivisionByZeroRaisesTheMathError) {
  EXPECT_THROW_MSG(CpxDiv(Cpx(1, 2), COMPLEX_0), EMathError, "CpxDiv: division by zero");
  EXPECT_THROW_MSG(CpxDiv(COMPLEX_0, Cpx(-0.0L, 0)), EMathError, "CpxDiv: division by zero");
}

// |b|^2 underflowed to 0 (or overflowed) for tiny (huge) divisors and the quotient became NaN.
TEST(Complex, DivisionByTinyOrHugeValuesStaysFinite) {
  const struct {
    TComplex a, b, q;
  } cases[] = {{Cpx(2e-4000L, 4e-4000L), Cpx(1e-4000L, 0), Cpx(2, 4)},
               {Cpx(1, 0), Cpx(0, 1e-3000L), Cpx(0, -1e3000L)},
               {Cpx(1e3000L, 1e3000L), Cpx(1e3000L, -1e3000L), Cpx(0, 1)},
               {COMPLEX_0, Cpx(1e-4000L, 0), COMPLEX_0}};
  for (const auto& c : cases) {
    const TComplex q = CpxDiv(c.a, c.b);
    EXPECT_NEAR(static_cast<double>(q.re / (CpxAbs(c.q) + 1)), static_cast<double>(c.q.re / (CpxAbs(c.q) + 1)), 1e-15);
    EXPECT_NEAR(static_cast<double>(q.im / (CpxAbs(c.q) + 1)), static_cast<double>(c.q.im / (CpxAbs(c.q) + 1)), 1e-15);
  }
}

// [SECTION] comparisons

TEST(Complex, NearComparisonsUseTheTolerance) {
  EXPECT_EQ(CpxNearZero, 1e-15L);  // set by the start-up
  EXPECT_TRUE(CpxIsNearEqual(Cpx(1, 0), Cpx(1 + 1e-16L, 0)));
  EXPECT_FALSE(CpxIsNearEqual(Cpx(0, 0), Cpx(CpxNearZero, 0)));  // strict
  EXPECT_FALSE(CpxIsNearEqual(Cpx(0, 0), Cpx(0, -2e-15L)));
  const TComplex tiny = Cpx(1e-16L, -1e-16L);
  EXPECT_TRUE(CpxIsZero(tiny));
  EXPECT_FALSE(CpxIsEqual(tiny, COMPLEX_0));
  EXPECT_FALSE(CpxIsZero(Cpx(0, 1e-14L)));
  const Extended saved = CpxNearZero;
  CpxNearZero = 0;  // only exact zeros count now
  EXPECT_TRUE(CpxIsZero(COMPLEX_0));
  EXPECT_FALSE(CpxIsZero(tiny));
  CpxNearZero = saved;
}

// [SECTION] polar form

TEST(Complex, PolarConversionRoundTrips) {
  const TComplexPolar p = ConvertRectToPolar(Cpx(0, -2));
  EXPECT_EQ(p.r, 2);
  EXPECT_NEAR(static_cast<double>(p.phi), static_cast<double>(-kPiL / 2), 1e-18);
  EXPECT_TRUE(Near(ConvertPolarToRect(p), Cpx(0, -2), 1e-18L));
  EXPECT_NEAR(static_cast<double>(ConvertRectToPolar(Cpx(-1, 0)).phi), static_cast<double>(kPiL), 1e-18);
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> u(-10, 10);
  for (int i = 0; i < 1000; ++i) {
    const TComplex c = Cpx(u(rng), u(rng));
    const TComplexPolar q = ConvertRectToPolar(c);
    ASSERT_TRUE(q.phi >= -kPiL && q.phi <= kPiL);
    ASSERT_TRUE(Near(ConvertPolarToRect(q), c, 1e-17L));
  }
}

TEST(Complex, RecordsHaveTheirFixedLayout) {
  EXPECT_EQ(sizeof(TComplex), 32u);
  EXPECT_EQ(offsetof(TComplex, re), 0u);
  EXPECT_EQ(offsetof(TComplex, im), 16u);
  EXPECT_EQ(offsetof(TComplexPolar, phi), 16u);
}

}  // namespace
