// Qelta_statis: the edge cases of the distributions and special functions, the mended faults, the
// quantiles as inverses of the distribution functions and against exact values, and the U
// distribution against enumeration.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <iomanip>
#include <limits>
#include <utility>
#include <vector>

#include "Assertions.h"
#include "Qelta_statis.h"
#include "Qelta_statis_internal.h"
#include "StatLargeDfRefs.h"
#include "StatQuantileRefs.h"

using namespace qelta;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// [SECTION] edge cases

TEST(Statis, NormalEdgeCases) {
  EXPECT_NEAR(nDistriQuantile(0.975), 1.959964, 1e-6);
  EXPECT_NEAR_REL(nDistriIntegral(nDistriQuantile(0.975)), 0.975, 1e-8);
  EXPECT_EQ(nDistriQuantile(0), 0.0);
  EXPECT_EQ(nDistriQuantile(1), 0.0);
  EXPECT_EQ(nDistriIntegral(0), 0.5);
  EXPECT_NEAR(nDistriDensity(0), 0.3989422804014327, 1e-16);
  EXPECT_EQ(nDistriIntegral(-kInf), 0.0);
  EXPECT_EQ(nDistriIntegral(kInf), 1.0);
  for (double x : {0.1, 0.5, 1.0, 2.5, 4.0}) EXPECT_EQ(Erf(-x), -Erf(x)) << x;
  EXPECT_NEAR(Erf(1), 0.8427007929497149, 1e-9);
  EXPECT_NEAR(ErfApprox(1), 0.8427007929497149, 1.2e-7);
  EXPECT_NEAR(ErfApprox(-0.5), -0.5204998778130465, 1.2e-7);
}

TEST(Statis, SpecialFunctionEdgeCases) {
  EXPECT_NEAR(LnGamma(1), 0.0, 1e-10);
  EXPECT_NEAR(LnGamma(2), 0.0, 1e-10);
  EXPECT_EQ(LnGamma(0), 0.0);
  EXPECT_EQ(LnGamma(-3.5), 0.0);
  EXPECT_EQ(LnGamma(kNaN), 0.0);
  EXPECT_NEAR(LnGamma(0.5), 0.5723649429247001, 1e-10);  // ln sqrt(pi)
  EXPECT_EQ(IncompleteGamma(0, 2), 0.0);
  EXPECT_EQ(IncompleteGamma(1, 0), 0.0);
  EXPECT_EQ(IncompleteGamma(kInf, 2), 1.0);
  EXPECT_NEAR(IncompleteGamma(1, 1), 1 - std::exp(-1.0), 1e-9);
  EXPECT_EQ(IncompleteBeta(-0.1, 2, 3), 0.0);
  EXPECT_EQ(IncompleteBeta(1.1, 2, 3), 1.0);
  EXPECT_EQ(IncompleteBeta(0, 2, 3), 0.0);
  EXPECT_EQ(IncompleteBeta(1, 2, 3), 1.0);
  EXPECT_NEAR(IncompleteBeta(0.5, 2, 2), 0.5, 1e-10);
  EXPECT_NEAR(IncompleteBeta(0.3, 1, 1), 0.3, 1e-10);
  EXPECT_EQ(LnBeta(-1, 2), 0.0);
  EXPECT_NEAR(LnBeta(2, 3), std::log(1.0 / 12), 1e-9);
  EXPECT_EQ(BinomCoeff(5, 2), 10);
  EXPECT_EQ(BinomCoeff(2, 5), 0);
  EXPECT_EQ(BinomCoeff(-1, 0), 0);
  EXPECT_EQ(BinomCoeff(5, -1), 0);
  EXPECT_EQ(BinomCoeff(0, 0), 1);
  EXPECT_NEAR(LnBinomCoeff(5, 2), std::log(10.0), 1e-9);
  EXPECT_EQ(LnBinomCoeff(2, 5), -1.0);
  EXPECT_EQ(LnBinomCoeff(-2, 1), -1.0);
}

TEST(Statis, FurtherRoutineEdgeCases) {
  EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 10, 11, 1), EQeltaStatisError,
                   "HyperGeoDistriDensity: nsample must not be greater than npop");
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 10, 5, 6), 0.0);
  EXPECT_THROW_MSG(HyperGeoDistriDensity(1.5, 0, 11, 1), EQeltaStatisError,
                   "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  EXPECT_THROW_MSG(HyperGeoDistriDensity(kNaN, 10, 5, 1), EQeltaStatisError,
                   "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 0, 11, 1), EQeltaStatisError,
                   "HyperGeoDistriDensity: npop must be greater than 0");
  EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 10, 0, 1), EQeltaStatisError,
                   "HyperGeoDistriDensity: nsample must not be less than 1");
  // 5 of 10 are successes; 2 of a sample of 4: C(5,2) C(5,2) / C(10,4) = 100 / 210.
  EXPECT_NEAR(HyperGeoDistriDensity(0.5, 10, 4, 2), 100.0 / 210, 1e-9);
  double sum = 0;
  for (int k = 0; k <= 4; ++k) sum += HyperGeoDistriDensity(0.5, 10, 4, k);
  EXPECT_NEAR(sum, 1.0, 1e-9);

  EXPECT_THROW_MSG(FisherTransform(1), EQeltaStatisError, "FisherTransform: argument out of range");
  EXPECT_THROW_MSG(FisherTransform(-1), EQeltaStatisError, "FisherTransform: argument out of range");
  EXPECT_EQ(FisherTransform(0), 0.0);
  EXPECT_NEAR(FisherTransformInv(FisherTransform(0.75)), 0.75, 1e-15);

  EXPECT_EQ(CalcFishQ(1, 1, 0, 0), 0.0);
  EXPECT_NEAR(CalcFishQ(0, 1, 0, 0), 1000000.0, 1e-6);
  EXPECT_NEAR(CalcFishQ(1, 3, 1, 1), 2.0, 1e-15);

  EXPECT_NEAR(ConfidenceInterval(0.05, 2, 16), 1.959964 * 2 / 4, 1e-6);
  EXPECT_EQ(WeibullDensity(0, 2, 1), 0.0);
  EXPECT_EQ(WeibullDensity(1, 2, 0), 0.0);
  EXPECT_NEAR(WeibullDensity(1, 1, 2), 0.5 * std::exp(-0.5), 1e-15);  // shape 1: exponential
  EXPECT_NEAR(WeibullDensity(1.5, 2, 1), 2 * 1.5 * std::exp(-2.25), 1e-15);
}

// [SECTION] mended faults

// nDistriQuantile searched until |F(m) - p| / p < 1e-8, which the lower tail (1 - P) / 2 could not
// reach below p of about 1e-9: the call never returned. It ends now and keeps its accuracy.
TEST(Statis, NormalQuantileOfTinyProbabilitiesEnds) {
  for (double p : {1e-9, 1e-12, 1e-20, 1e-100, 1e-300, 4e-320}) {
    const double x = nDistriQuantile(p);
    EXPECT_LT(x, -5.9) << p;
    if (p > 1e-300) {
      EXPECT_NEAR_REL(nDistriIntegral(x), p, 1e-8) << p;
    }
  }
  EXPECT_NEAR(nDistriQuantile(1e-20), -9.262340089798408, 1e-8);
  EXPECT_EQ(nDistriQuantile(kNaN), 0.0);
  EXPECT_EQ(nDistriQuantile(-0.5), 0.0);
  // the lower tail keeps its relative accuracy: Q(1/2, 450) / 2 = P(Z <= -30)
  EXPECT_NEAR_REL(nDistriIntegral(-30), 4.906713927148187e-198, 1e-8);
}

// C(34, 17) = 2333606220 does not fit an Integer: it wrapped instead of refusing.
TEST(Statis, BinomCoeffIsExactAndRefusesResultsBeyondInteger) {
  EXPECT_EQ(BinomCoeff(33, 16), 1166803110);
  EXPECT_EQ(BinomCoeff(30, 15), 155117520);
  EXPECT_EQ(BinomCoeff(INT_MAX, 1), INT_MAX);
  EXPECT_EQ(BinomCoeff(INT_MAX, INT_MAX - 1), INT_MAX);
  EXPECT_EQ(BinomCoeff(65536, 2), 2147450880);
  EXPECT_THROW_MSG(BinomCoeff(34, 17), EQeltaStatisError, "BinomCoeff: result too large");
  EXPECT_THROW_MSG(BinomCoeff(65537, 2), EQeltaStatisError, "BinomCoeff: result too large");
  // exact where the rounded ln gamma form drifts: every C(n, k) up to n = 33 against Pascal's rule
  std::vector<int64_t> row{1};
  for (int n = 1; n <= 33; ++n) {
    std::vector<int64_t> next(static_cast<std::size_t>(n) + 1, 1);
    for (int k = 1; k < n; ++k) next[k] = row[k - 1] + row[k];
    row = next;
    for (int k = 0; k <= n; ++k) ASSERT_EQ(BinomCoeff(n, k), row[k]) << n << " " << k;
  }
}

// (e^2z - 1) / (e^2z + 1) is Inf / Inf = NaN above z = 354.
TEST(Statis, FisherTransformInvIsFiniteForLargeArguments) {
  EXPECT_EQ(FisherTransformInv(400), 1.0);
  EXPECT_EQ(FisherTransformInv(-1000), -1.0);
  EXPECT_NEAR(FisherTransformInv(0.5), std::tanh(0.5), 1e-16);
}

// A shape of 0 or less gave negative or zero "densities", n = 0 a division by sqrt 0.
TEST(Statis, InvalidShapeAndSampleSizeAnswerZero) {
  EXPECT_EQ(WeibullDensity(1, -2, 1), 0.0);
  EXPECT_EQ(WeibullDensity(1, 0, 1), 0.0);
  EXPECT_EQ(ConfidenceInterval(0.05, 1, 0), 0.0);
}

// [SECTION] the t, chi-squared and F families

TEST(Statis, InvalidArgumentsOfTheFamiliesAnswerZero) {
  EXPECT_EQ(tDistriDensity(1, 0), 0.0);
  EXPECT_EQ(tDistriIntegral(1, 0), 0.0);
  EXPECT_EQ(tDistriQuantile(0.5, 0), 0.0);
  EXPECT_EQ(tDistriIntegral(kNaN, 3), 0.0);
  EXPECT_EQ(tDistriQuantile(1, 3), 0.0);
  EXPECT_EQ(Chi2DistriDensity(-1, 3), 0.0);
  EXPECT_EQ(chi2DistriIntegral(-1, 3), 0.0);
  EXPECT_EQ(chi2DistriQuantile(0, 3), 0.0);
  EXPECT_EQ(chi2DistriQuantile(0.5, -1), 0.0);
  EXPECT_EQ(FDistriDensity(-1, 3, 4), 0.0);
  EXPECT_EQ(FDistriIntegral(1, 0, 4), 0.0);
  EXPECT_EQ(FDistriQuantile(kNaN, 3, 4), 0.0);
  // boundary values
  EXPECT_EQ(tDistriIntegral(0, 7), 0.5);
  EXPECT_EQ(tDistriIntegral(kInf, 7), 1.0);
  EXPECT_EQ(Chi2DistriDensity(0, 2), 0.5);
  EXPECT_EQ(Chi2DistriDensity(0, 3), 0.0);
  EXPECT_EQ(FDistriDensity(0, 2, 5), 1.0);
  EXPECT_EQ(FDistriIntegral(kInf, 2, 5), 1.0);
  EXPECT_NEAR(tDistriIntegral(1, 1), 0.75, 1e-9);  // Cauchy
  EXPECT_NEAR(chi2DistriIntegral(2, 2), 1 - std::exp(-1.0), 1e-9);
}

struct TFamily {
  const char* name;
  std::function<double(double)> cdf;
  std::function<double(double)> quantile;
};

std::vector<TFamily> Families() {
  std::vector<TFamily> f;
  f.push_back({"normal", nDistriIntegral, nDistriQuantile});
  for (int df : {1, 2, 3, 10, 57, 400}) {
    f.push_back({"t", [df](double x) { return tDistriIntegral(x, df); }, [df](double p) { return tDistriQuantile(p, df); }});
    f.push_back({"chi2", [df](double x) { return chi2DistriIntegral(x, df); },
                 [df](double p) { return chi2DistriQuantile(p, df); }});
    for (int df2 : {1, 4, 30})
      f.push_back({"F", [df, df2](double x) { return FDistriIntegral(x, df, df2); },
                   [df, df2](double p) { return FDistriQuantile(p, df, df2); }});
  }
  return f;
}

TEST(Statis, QuantilesInvertTheDistributionFunctions) {
  for (const TFamily& f : Families())
    for (double p : {1e-12, 1e-6, 0.001, 0.025, 0.3, 0.5, 0.77, 0.95, 0.999}) {
      const double x = f.quantile(p);
      EXPECT_NEAR_REL(f.cdf(x), p, 1.01e-8) << f.name << " p=" << p;
    }
}

// The densities integrate to the distribution functions (Simpson's rule between two points).
TEST(Statis, DensitiesAreTheDerivativesOfTheDistributionFunctions) {
  struct Pair {
    std::function<double(double)> pdf, cdf;
    double a, b;
  };
  const Pair pairs[] = {
      {nDistriDensity, nDistriIntegral, -1.3, 0.4},
      {[](double t) { return tDistriDensity(t, 4); }, [](double t) { return tDistriIntegral(t, 4); }, -2, 1.5},
      {[](double x) { return Chi2DistriDensity(x, 5); }, [](double x) { return chi2DistriIntegral(x, 5); }, 1, 6},
      {[](double x) { return FDistriDensity(x, 3, 8); }, [](double x) { return FDistriIntegral(x, 3, 8); }, 0.5, 2.5},
  };
  for (const Pair& p : pairs) {
    const int n = 2000;
    const double h = (p.b - p.a) / n;
    double s = p.pdf(p.a) + p.pdf(p.b);
    for (int i = 1; i < n; ++i) s += (i % 2 ? 4 : 2) * p.pdf(p.a + i * h);
    EXPECT_NEAR(s * h / 3, p.cdf(p.b) - p.cdf(p.a), 2e-8);
  }
}

// [SECTION] quantiles against exact values
// The references (StatQuantileRefs.h) come from 50-digit arithmetic: for each p, a double, the exact
// quantile X of its smaller tail (p, or 1 - p exactly above 1/2) and the rate |d ln tail / dx| there,
// so that |y - X| Rate is the relative miss of the tail by a result y.

using test::QuantileRefs;
using test::TQuantileRef;

double QuantileOf(const TQuantileRef& r) {
  switch (r.Family) {
    case 'n': return nDistriQuantile(r.P);
    case 't': return tDistriQuantile(r.P, r.Df1);
    case 'c': return chi2DistriQuantile(r.P, r.Df1);
    default: return FDistriQuantile(r.P, r.Df1, r.Df2);
  }
}

double LowerTailOf(const TQuantileRef& r, double x) {
  switch (r.Family) {
    case 'n': return nDistriIntegral(x);
    case 't': return tDistriIntegral(x, r.Df1);
    case 'c': return chi2DistriIntegral(x, r.Df1);
    default: return FDistriIntegral(x, r.Df1, r.Df2);
  }
}

/// The reference of one call.
const TQuantileRef& RefOf(char family, int df1, int df2, double p) {
  for (const TQuantileRef& r : QuantileRefs)
    if (r.Family == family && r.Df1 == df1 && r.Df2 == df2 && r.P == p) return r;
  ADD_FAILURE() << "no reference " << family << " " << df1 << " " << df2 << " " << p;
  return QuantileRefs[0];
}

/// y within 1e-8 of the smaller tail of r, relative.
::testing::AssertionResult HitsTail(const TQuantileRef& r, double y) {
  const double miss = std::fabs(y - r.X) * r.Rate;
  if (miss <= 1e-8) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::setprecision(17) << r.Family << "(" << r.Df1 << ", " << r.Df2
                                       << ") at p = " << r.P << ": " << y << " for " << r.X
                                       << " misses the tail by " << miss;
}

TEST(StatisQuantiles, HoldTheirSmallerTailTo1e8FromPOf1e15To1Minus1e15) {
  for (const TQuantileRef& r : QuantileRefs) EXPECT_TRUE(HitsTail(r, QuantileOf(r)));
}

// Above p = 1/2 the searches stopped once |F(x) - p| < 1e-8 p, which every x with F(x) within 1e-8
// of 1 meets: each answered the first such point of its bracket.
TEST(StatisQuantiles, UpperQuantilesAreSearchedInTheUpperTail) {
  const struct {
    const char* call;
    char family;
    int df1, df2;
    double p;
  } cases[] = {
      {"chi2DistriQuantile(1 - 1e-10, 3), was 67", 'c', 3, 0, 1 - 1e-10},
      {"tDistriQuantile(1 - 1e-8, 5), was 58.61", 't', 5, 0, 1 - 1e-8},
      {"FDistriQuantile(1 - 1e-8, 5, 10), was 176.5", 'F', 5, 10, 1 - 1e-8},
      {"nDistriQuantile(1 - 1e-12), was 7.03405", 'n', 0, 0, 1 - 1e-12},
  };
  for (const auto& c : cases) {
    const TQuantileRef& r = RefOf(c.family, c.df1, c.df2, c.p);
    EXPECT_TRUE(HitsTail(r, QuantileOf(r))) << c.call;
  }
}

// The median came out as the first point within 1e-8 of 1/2: nDistriQuantile(0.5) was -5.6e-9.
TEST(StatisQuantiles, MedianOfTheSymmetricDistributionsIsZero) {
  EXPECT_EQ(nDistriQuantile(0.5), 0.0);
  for (int df : {1, 2, 7, 1000}) EXPECT_EQ(tDistriQuantile(0.5, df), 0.0) << df;
}

// nDistriQuantile is a rational approximation with one Halley step; the bisection it replaced stays
// as its plain twin. Both hit the smaller tail within 1e-8, so they lie within 1.1e-8 / rate of each
// other, the rate |d ln P / dx| being at least max(|x|, 0.79) below the median.
TEST(StatisQuantiles, NormalFormulaAgreesWithTheSearch) {
  std::vector<double> ps;
  for (double p = 1e-300; p < 0.5; p *= 1.37) ps.push_back(p);
  for (double p = 0.001; p < 0.5; p += 0.0173) ps.push_back(p);
  for (double p : {0.075, 0.0749999999, 0.0750000001, 0.4999999, 0.49999999999}) ps.push_back(p);
  for (double p : ps) {
    const double x = nDistriQuantile(p), y = num_detail::NormalQuantileBySearch(p);
    EXPECT_LE(std::fabs(x - y) * std::max(std::fabs(y), 0.79), 1.1e-8) << p;
    EXPECT_NEAR_REL(nDistriIntegral(x), p, 1e-8) << p;
    EXPECT_EQ(nDistriQuantile(1 - p), -nDistriQuantile(1 - (1 - p))) << p;
    EXPECT_EQ(num_detail::NormalQuantileBySearch(1 - p), -num_detail::NormalQuantileBySearch(1 - (1 - p))) << p;
  }
  // a subnormal p, where the tail function (and so the search) keeps only a few digits; 50-digit value
  EXPECT_NEAR(nDistriQuantile(4e-320), -38.23290803593184, 1e-12);
  EXPECT_EQ(num_detail::NormalQuantileBySearch(0.5), 0.0);
  EXPECT_EQ(num_detail::NormalQuantileBySearch(1.0), 0.0);
}

// The lower tails at the exact quantiles, within 1e-9. The series and continued fractions stopped at
// a relative change of 1e-8, which left errors of up to 4e-8 where the terms shrink slowly
// (chi-squared with 1000 degrees of freedom near its median); and P(T <= t) with |t| small took
// I_z(df/2, 1/2) at z = df / (df + t^2) rounded next to 1 (6.6e-8 off at t = -2.5e-7, 1000 degrees).
TEST(StatisQuantiles, LowerTailsAtTheExactQuantilesHoldTo1e9) {
  for (const TQuantileRef& r : QuantileRefs)
    if (r.P <= 0.5) {
      EXPECT_NEAR_REL(LowerTailOf(r, r.X), r.P, 1e-9) << r.Family << "(" << r.Df1 << ", " << r.Df2 << ") " << r.X;
    }
}

// [SECTION] chi-squared with many degrees of freedom
// References: StatLargeDfRefs.h, both tails from the series of P at 40 digits or more.

using test::Chi2TailRefs;
using test::FTailRefs;
using test::MedianQuantileRefs;

/// The smaller tail of chi-squared at x: P(X <= x) at or below 1/2, else P(X > x).
double SmallerTail(const num_detail::TGammaTails& t) { return static_cast<double>(std::min(t.P, t.Q)); }

// The upper continued fraction stopped after 99 steps, which above a few thousand degrees of freedom is
// far from converged: chi2DistriIntegral(100002, 100000) was 0.500128812 for 0.502378805, below its
// value at 100001.99 (0.502369885), and chi2DistriQuantile(0.5, 1000000) 1000112.06 for 999999.333.
TEST(StatisLargeDf, Chi2TailsHoldTheirSmallerTailTo1e12) {
  for (const test::TChi2TailRef& r : Chi2TailRefs) {
    const num_detail::TGammaTails t = num_detail::Chi2Tails(r.X, r.Df);
    const double want = std::min(r.P, r.Q);
    EXPECT_NEAR_REL(SmallerTail(t), want, 1e-12) << r.Df << " " << r.X;
    EXPECT_NEAR_REL(chi2DistriIntegral(r.X, r.Df), r.P, r.P <= 0.5 ? 1e-12 : 2.3e-16) << r.Df << " " << r.X;
  }
}

// P rises and Q falls across the body and both tails, and next to x = df, where the two continued
// fractions meet, and x = df + 2, where the series and the 99-step fraction met.
TEST(StatisLargeDf, Chi2TailsAreMonotone) {
  for (int df : {1000, 10000, 100000, 1000000, 10000000}) {
    const double sd = std::sqrt(2.0 * df);
    std::vector<double> xs;
    for (int k = -200; k <= 200; ++k) xs.push_back(df + k * sd / 5);
    for (double at : {df + 0.0, df + 2.0})
      for (int k = -20; k <= 20; ++k) xs.push_back(at + k * 1e-9 * df);
    std::sort(xs.begin(), xs.end());
    num_detail::TGammaTails last{0, 1};
    for (double x : xs) {
      if (!(x > 0)) continue;
      const num_detail::TGammaTails t = num_detail::Chi2Tails(x, df);
      EXPECT_GE(static_cast<double>(t.P), static_cast<double>(last.P)) << df << " " << x;
      EXPECT_LE(static_cast<double>(t.Q), static_cast<double>(last.Q)) << df << " " << x;
      last = t;
    }
  }
}

TEST(StatisLargeDf, Chi2QuantilesHitTheSmallerTail) {
  for (int df : {1000, 100000, 10000000})
    for (double p : {1e-300, 1e-10, 0.3, 0.9, 1 - 1e-12}) {
      const num_detail::TGammaTails t = num_detail::Chi2Tails(chi2DistriQuantile(p, df), df);
      EXPECT_NEAR_REL(p <= 0.5 ? static_cast<double>(t.P) : static_cast<double>(t.Q), p <= 0.5 ? p : 1 - p, 1e-8)
          << df << " " << p;
    }
}

// The beta fraction stopped after 100 steps, which with both degrees of freedom large is far from
// converged: FDistriIntegral(1, 10^6, 10^6) was 0.483 for 1/2, and next to the median of F(10^5, 10^6)
// the integral missed by 1e-5.
TEST(StatisLargeDf, FTailsHoldTheirSmallerTailTo1e12) {
  for (const test::TFTailRef& r : FTailRefs) {
    const num_detail::TGammaTails t = num_detail::FTails(r.X, r.Df1, r.Df2);
    EXPECT_NEAR_REL(SmallerTail(t), std::min(r.P, r.Q), 1e-12) << r.Df1 << " " << r.Df2 << " " << r.X;
    EXPECT_NEAR_REL(FDistriIntegral(r.X, r.Df1, r.Df2), r.P, r.P <= 0.5 ? 1e-12 : 1e-15)
        << r.Df1 << " " << r.Df2 << " " << r.X;
  }
}

// P rises and Q falls across the body and next to the point where the fraction changes sides.
TEST(StatisLargeDf, FTailsAreMonotone) {
  const std::pair<int, int> pairs[] = {{20000, 20000}, {1000000, 1000000}, {10000000, 10000000}, {20000, 1000000}, {1000000, 20000}};
  for (const auto& pair : pairs) {
    const int df1 = pair.first, df2 = pair.second;  // named, not bound: a lambda takes them
    const double a = df1 / 2.0, b = df2 / 2.0, mean = a / (a + b), sd = std::sqrt(a * b / (a + b) / (a + b) / (a + b + 1));
    const auto xOf = [&](double z) { return z * df2 / ((1 - z) * df1); };
    std::vector<double> xs;
    for (int k = -200; k <= 200; ++k) xs.push_back(xOf(mean + k * sd / 50));
    const double turn = xOf((a + 1) / (a + b + 2));
    for (int k = -20; k <= 20; ++k) xs.push_back(turn * (1 + k * 1e-12));
    std::sort(xs.begin(), xs.end());
    num_detail::TGammaTails last{0, 1};
    for (double x : xs) {
      const num_detail::TGammaTails t = num_detail::FTails(x, df1, df2);
      EXPECT_GE(static_cast<double>(t.P), static_cast<double>(last.P)) << df1 << " " << df2 << " " << x;
      EXPECT_LE(static_cast<double>(t.Q), static_cast<double>(last.Q)) << df1 << " " << df2 << " " << x;
      last = t;
    }
  }
}

TEST(StatisLargeDf, FQuantilesHitTheSmallerTail) {
  for (const auto& [df1, df2] : {std::pair{20000, 20000}, std::pair{1000000, 1000000}, std::pair{100000, 10000000}})
    for (double p : {1e-300, 1e-10, 0.3, 0.5, 0.9, 1 - 1e-12}) {
      const num_detail::TGammaTails t = num_detail::FTails(FDistriQuantile(p, df1, df2), df1, df2);
      EXPECT_NEAR_REL(p <= 0.5 ? static_cast<double>(t.P) : static_cast<double>(t.Q), p <= 0.5 ? p : 1 - p, 1e-8)
          << df1 << " " << df2 << " " << p;
    }
}

// [SECTION] quantiles next to the median
// The searches stopped once the tail missed by less than 1e-9 relative, which next to p = 1/2 leaves x
// itself poor: tDistriQuantile(0.499, 500) was -0.00250788331 for -0.00250788454 (4.9e-7 relative).

/// How far from the exact quantile X a result may lie: t 1e-10 relative or 1e-13, whichever is larger;
/// chi-squared and F 1e-9 relative.
double XTolerance(const TQuantileRef& r) {
  return r.Family == 't' ? std::max(1e-10 * std::fabs(r.X), 1e-13) : 1e-9 * std::fabs(r.X);
}

TEST(StatisQuantiles, NextToTheMedianXHoldsItsTolerance) {
  for (const TQuantileRef& r : MedianQuantileRefs) {
    const double y = QuantileOf(r);
    EXPECT_LE(std::fabs(y - r.X), XTolerance(r)) << std::setprecision(17) << r.Family << "(" << r.Df1 << ", "
                                                  << r.Df2 << ") at p = " << r.P << ": " << y << " for " << r.X;
    EXPECT_TRUE(HitsTail(r, y));
  }
}

// [SECTION] Mann-Whitney U distribution

// P(U = u) by listing every choice of the n1 positions of sample 1 among n1 + n2 ranks.
std::vector<double> Enumerated(int n1, int n2) {
  const int n = n1 + n2;
  std::vector<double> counts(static_cast<std::size_t>(n1) * n2 + 1, 0.0);
  double total = 0;
  for (unsigned mask = 0; mask < (1u << n); ++mask) {
    if (__builtin_popcount(mask) != n1) continue;
    int u = 0, below = 0;  // below: sample-2 values below the current rank
    for (int r = 0; r < n; ++r) {
      if (mask & (1u << r)) u += below;
      else ++below;
    }
    counts[static_cast<std::size_t>(u)] += 1;
    total += 1;
  }
  for (double& c : counts) c /= total;
  return counts;
}

TEST(Statis, UDistributionMatchesEnumerationForSmallSizes) {
  for (auto [n1, n2] : {std::pair{1, 1}, {1, 5}, {2, 3}, {4, 4}, {3, 7}, {6, 5}, {7, 7}}) {
    const std::vector<double> want = Enumerated(n1, n2);
    double cum = 0;
    for (int u = 0; u <= n1 * n2; ++u) {
      cum += want[static_cast<std::size_t>(u)];
      EXPECT_NEAR(UDistriDensity(n1, n2, u), want[static_cast<std::size_t>(u)], 1e-15) << n1 << "x" << n2 << " u=" << u;
      EXPECT_NEAR(UDistriIntegral(n1, n2, u), cum, 1e-14);
      EXPECT_EQ(UDistriDensity(n2, n1, u), UDistriDensity(n1, n2, u));
    }
  }
}

TEST(Statis, UDistributionSumsToOneAndQuantileIsTheLargestUBelowP) {
  for (auto [n1, n2] : {std::pair{3, 9}, {20, 25}, {50, 50}, {10, 300}, {60, 60}}) {
    const int top = n1 * n2;
    double sum = 0;
    for (int u = 0; u <= top; ++u) sum += UDistriDensity(n1, n2, u);
    EXPECT_NEAR(sum, 1.0, 1e-12) << n1 << "x" << n2;
    for (double p : {0.001, 0.025, 0.05, 0.5, 0.9}) {
      const double q = UDistriQuantile(n1, n2, p);
      ASSERT_GE(q, -1);
      if (q >= 0) {
        EXPECT_LE(UDistriIntegral(n1, n2, static_cast<int>(q)), p);
      }
      EXPECT_GT(UDistriIntegral(n1, n2, static_cast<int>(q) + 1), p) << n1 << "x" << n2 << " p=" << p;
    }
    // a quantile at an attained probability is that u
    EXPECT_EQ(UDistriQuantile(n1, n2, UDistriIntegral(n1, n2, top / 3)), top / 3);
  }
  // sizes 50 x 50 are counted exactly; 10 x 300 uses the normal approximation
  EXPECT_LE(50 * 50, UDistriExactLimit);
  EXPECT_NEAR(UDistriIntegral(10, 300, 1000), nDistriIntegral((1000.5 - 1500) / std::sqrt(3000.0 * 311 / 12)), 1e-15);
}

TEST(Statis, UDistributionEdgeCases) {
  EXPECT_EQ(UDistriDensity(0, 5, 0), 0.0);
  EXPECT_EQ(UDistriDensity(3, 4, -1), 0.0);
  EXPECT_EQ(UDistriDensity(3, 4, 13), 0.0);
  EXPECT_EQ(UDistriIntegral(3, 4, -1), 0.0);
  EXPECT_EQ(UDistriIntegral(3, 4, 12), 1.0);
  EXPECT_EQ(UDistriIntegral(-3, 4, 2), 0.0);
  EXPECT_EQ(UDistriQuantile(3, 4, 0.0), -1.0);
  EXPECT_EQ(UDistriQuantile(3, 4, 1.0 / 35), 0.0);  // P(U = 0) = 1 / C(7, 3)
  EXPECT_EQ(UDistriQuantile(3, 4, 0.5 / 35), -1.0);
  EXPECT_EQ(UDistriQuantile(3, 4, 1.0), 12.0);
  EXPECT_EQ(UDistriQuantile(3, 4, kNaN), -1.0);
  EXPECT_EQ(UDistriQuantile(0, 4, 0.5), -1.0);
}

}  // namespace
