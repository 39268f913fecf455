#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "Assertions.h"
#include "Qelta_univconst.h"

using namespace qelta;

namespace {

// Each constant against an independent long double computation (libm, 64-bit mantissa).
struct ConstCase {
  const char* name;
  Extended value;
  Extended reference;
};

const Extended kPi = std::acos(-1.0L);

const ConstCase kConstants[] = {
    {"uc_e", uc_e, std::exp(1.0L)},
    {"uc_etom1", uc_etom1, std::exp(-1.0L)},
    {"uc_lg2", uc_lg2, std::log10(2.0L)},
    {"uc_lg5", uc_lg5, std::log10(5.0L)},
    {"uc_lge", uc_lge, std::log10(std::exp(1.0L))},
    {"uc_lgPi", uc_lgPi, std::log10(kPi)},
    {"uc_ln10", uc_ln10, std::log(10.0L)},
    {"uc_ln2", uc_ln2, std::log(2.0L)},
    {"uc_lnPi", uc_lnPi, std::log(kPi)},
    {"uc_PiH", uc_PiH, kPi / 2},
    {"uc_PiSqr", uc_PiSqr, kPi * kPi},
    {"uc_Pitom1", uc_Pitom1, 1 / kPi},
    {"uc_sqrt2", uc_sqrt2, std::sqrt(2.0L)},
    {"uc_sqrt2pi", uc_sqrt2pi, std::sqrt(2 * kPi)},
    {"uc_sqrt2pitom1", uc_sqrt2pitom1, 1 / std::sqrt(2 * kPi)},
    {"uc_GoldenR", uc_GoldenR, (1 + std::sqrt(5.0L)) / 2},
};

TEST(UnivConst, MathConstantsAgreeWithLongDoubleComputations) {
  for (const ConstCase& c : kConstants) {
    SCOPED_TRACE(c.name);
    EXPECT_LE(std::fabs(c.value - c.reference), 8 * LDBL_EPSILON * std::fabs(c.reference));
  }
}

TEST(UnivConst, MathConstantsCarryMoreThanDoublePrecision) {
  // Written as Extended literals, not as rounded doubles: sqrt(2 pi) differs from its double.
  EXPECT_NE(uc_sqrt2pi, static_cast<Extended>(static_cast<double>(uc_sqrt2pi)));
  EXPECT_EQ(static_cast<double>(uc_sqrt2pi), 2.5066282746310007);
  EXPECT_LE(std::fabs(uc_sqrt2 * uc_sqrt2 - 2), 2 * LDBL_EPSILON);
}

TEST(UnivConst, LimitsMatchTheFloatingPointTypes) {
  EXPECT_EQ(uc_MinExtended, std::numeric_limits<Extended>::denorm_min());
  EXPECT_GT(uc_MinExtended, 0.0L);
  EXPECT_EQ(uc_MinExtended / 2, 0.0L);
  EXPECT_EQ(uc_MinDouble, std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(uc_MinSingle, std::numeric_limits<float>::denorm_min());
  EXPECT_EQ(uc_MaxExtended, 1.1e4932L);
  EXPECT_EQ(uc_MaxReal, 1.7e38L);
}

TEST(UnivConst, MaxDoubleSurvivesAStoreInADouble) {
  // The "no value" mark must compare equal after a round trip through a Double field.
  const double stored = static_cast<double>(uc_MaxDouble);
  EXPECT_EQ(static_cast<Extended>(stored), uc_MaxDouble);
  EXPECT_EQ(stored, 1.7e308);
  EXPECT_EQ(static_cast<float>(uc_MaxSingle), 3.4e38F);
}

TEST(UnivConst, LogLimitsAreTheLogsOfTheLimits) {
  EXPECT_NEAR_REL(static_cast<double>(uc_lnMaxDouble), std::log(1.7e308), 1e-15);
  EXPECT_NEAR_REL(static_cast<double>(uc_lnMaxSingle), std::log(3.4e38), 1e-15);
  EXPECT_NEAR_REL(static_cast<double>(uc_lnMaxExtended), static_cast<double>(std::log(1.1e4932L)), 1e-15);
}

TEST(UnivConst, LnFactorialEnds) {
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], std::log(2.0));
  EXPECT_NEAR_REL(uc_LnFactorial[1000], 5912.128178488163, 1e-9);
}

TEST(UnivConst, LnFactorialAgreesWithLogGammaEverywhere) {
  for (int n = 2; n <= uc_LnFactorialMax; ++n) {
    SCOPED_TRACE(n);
    EXPECT_NEAR_REL(uc_LnFactorial[n], static_cast<double>(std::lgamma(n + 1.0L)), 1e-15);
    EXPECT_NEAR_REL(uc_LnFactorial[n] - uc_LnFactorial[n - 1], std::log(static_cast<double>(n)), 1e-12);
  }
}

}  // namespace
