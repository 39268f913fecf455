// Differential tests of the special functions and the t, chi-squared and F families against GSL
// (linked to the test executable only), over grids of arguments. The tolerances are those of the
// methods: ln gamma about 2e-10 absolute, which leaves the incomplete functions within 1e-9 relative
// (their series and continued fractions stop at a relative change of 1e-12; at 1e-8 they were up to
// a few 1e-8 off where the terms shrink slowly, large a). The t distribution keeps an absolute floor:
// GSL's own far tail is 8e-7 off at t = -31, df = 100, where ours matches 50-digit values. Quantiles
// are checked through GSL's distribution function at ours (GSL's own quantiles are less accurate in
// places: its t quantile at p = 1e-9, df = 1 misses p by 5e-8).
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_randist.h>
#include <gsl/gsl_sf_gamma.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Qelta_statis.h"

using namespace qelta;

namespace {

// GSL answers underflows through its error handler; the grids reach them on purpose.
struct TGslQuiet {
  gsl_error_handler_t* saved = gsl_set_error_handler_off();
  ~TGslQuiet() { gsl_set_error_handler(saved); }
};

/// |ours - ref| <= abs + rel |ref|.
::testing::AssertionResult Close(double ours, double ref, double abs, double rel) {
  if (std::fabs(ours - ref) <= abs + rel * std::fabs(ref)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "ours " << ours << " GSL " << ref << " differ by " << ours - ref;
}

std::vector<double> Geometric(double from, double to, double factor) {
  std::vector<double> v;
  for (double x = from; x < to; x *= factor) v.push_back(x);
  return v;
}

TEST(StatisGsl, LnGammaOverFifteenDecades) {
  for (double x : Geometric(1e-6, 1e9, 1.37)) EXPECT_TRUE(Close(LnGamma(x), gsl_sf_lngamma(x), 2.5e-10, 1e-15)) << x;
}

TEST(StatisGsl, IncompleteGammaOverAGrid) {
  TGslQuiet quiet;
  for (double a : Geometric(0.05, 500, 1.6))
    for (double x : Geometric(1e-3, 3000, 1.45)) {
      EXPECT_TRUE(Close(IncompleteGamma(x, a), gsl_sf_gamma_inc_P(a, x), 1e-300, 1e-9)) << "a=" << a << " x=" << x;
      EXPECT_NEAR(Erf(std::sqrt(x)), gsl_sf_gamma_inc_P(0.5, x), 1e-8);
    }
}

TEST(StatisGsl, IncompleteBetaOverAGrid) {
  TGslQuiet quiet;
  for (double a : Geometric(0.1, 2000, 1.9))
    for (double b : Geometric(0.1, 2000, 1.9))
      for (double x = 0.0005; x < 1; x += 0.0437)
        EXPECT_TRUE(Close(IncompleteBeta(x, a, b), gsl_sf_beta_inc(a, b, x), 1e-300, 1e-9))
            << "a=" << a << " b=" << b << " x=" << x;
}

TEST(StatisGsl, NormalFamily) {
  TGslQuiet quiet;
  for (double x = -38; x <= 9; x += 0.173) {
    EXPECT_TRUE(Close(nDistriIntegral(x), gsl_cdf_ugaussian_P(x), 1e-300, 1e-9)) << x;
    EXPECT_TRUE(Close(nDistriDensity(x), gsl_ran_ugaussian_pdf(x), 0, 1e-12)) << x;  // GSL rounds x^2 in double
  }
  for (double p : Geometric(1e-300, 0.999, 1.9)) EXPECT_TRUE(Close(gsl_cdf_ugaussian_P(nDistriQuantile(p)), p, 0, 3e-8)) << p;
}

const int kDegrees[] = {1, 2, 3, 5, 8, 13, 30, 100, 1000};

TEST(StatisGsl, StudentsT) {
  TGslQuiet quiet;
  for (int df : kDegrees) {
    for (double t = -60; t <= 60; t += 0.731) {
      EXPECT_TRUE(Close(tDistriIntegral(t, df), gsl_cdf_tdist_P(t, df), 1e-10, 1e-8)) << df << " " << t;
      EXPECT_TRUE(Close(tDistriDensity(t, df), gsl_ran_tdist_pdf(t, df), 0, 2e-9)) << df << " " << t;
    }
    for (double p : {1e-9, 1e-4, 0.01, 0.05, 0.4, 0.6, 0.95, 0.99, 0.9999})
      EXPECT_TRUE(Close(gsl_cdf_tdist_P(tDistriQuantile(p, df), df), p, 0, 5e-8)) << df << " " << p;
  }
}

TEST(StatisGsl, ChiSquared) {
  TGslQuiet quiet;
  for (int df : kDegrees) {
    for (double x : Geometric(1e-4, 5000, 1.3)) {
      EXPECT_TRUE(Close(chi2DistriIntegral(x, df), gsl_cdf_chisq_P(x, df), 1e-300, 1e-9)) << df << " " << x;
      EXPECT_TRUE(Close(Chi2DistriDensity(x, df), gsl_ran_chisq_pdf(x, df), 1e-300, 2e-9)) << df << " " << x;
    }
    for (double p : {1e-9, 1e-4, 0.01, 0.05, 0.4, 0.6, 0.95, 0.99, 0.9999})
      EXPECT_TRUE(Close(gsl_cdf_chisq_P(chi2DistriQuantile(p, df), df), p, 0, 5e-8)) << df << " " << p;
  }
}

TEST(StatisGsl, FisherSnedecorF) {
  TGslQuiet quiet;
  for (int df1 : kDegrees)
    for (int df2 : {1, 4, 9, 40, 300}) {
      for (double x : Geometric(1e-3, 2000, 1.5)) {
        EXPECT_TRUE(Close(FDistriIntegral(x, df1, df2), gsl_cdf_fdist_P(x, df1, df2), 1e-300, 1e-9))
            << df1 << " " << df2 << " " << x;
        EXPECT_TRUE(Close(FDistriDensity(x, df1, df2), gsl_ran_fdist_pdf(x, df1, df2), 1e-300, 2e-9))
            << df1 << " " << df2 << " " << x;
      }
      for (double p : {1e-6, 0.01, 0.05, 0.5, 0.95, 0.99})
        EXPECT_TRUE(Close(gsl_cdf_fdist_P(FDistriQuantile(p, df1, df2), df1, df2), p, 0, 5e-8))
            << df1 << " " << df2 << " " << p;
    }
}

TEST(StatisGsl, WeibullAndHypergeometric) {
  for (double x : {0.1, 0.7, 1.0, 2.5, 9.0})
    for (double shape : {0.5, 1.0, 2.0, 3.7})
      EXPECT_TRUE(Close(WeibullDensity(x, shape, 1.8), gsl_ran_weibull_pdf(x, 1.8, shape), 0, 1e-12));
  for (int k = 0; k <= 12; ++k)  // 40 of 100 are successes, a sample of 12
    EXPECT_TRUE(Close(HyperGeoDistriDensity(0.4, 100, 12, k), gsl_ran_hypergeometric_pdf(k, 40, 60, 12), 1e-16, 2e-9))
        << k;
}

}  // namespace
