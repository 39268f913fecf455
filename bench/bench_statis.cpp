// Distributions and special functions beside GSL doing the same job: 10^6 calls each of
// nDistriQuantile (gsl_cdf_ugaussian_Pinv), IncompleteBeta (gsl_sf_beta_inc) and LnGamma
// (gsl_sf_lngamma) on the same arguments, and 2 10^4 calls each of the searched quantiles
// tDistriQuantile, chi2DistriQuantile and FDistriQuantile (gsl_cdf_tdist_Pinv, gsl_cdf_chisq_Pinv,
// gsl_cdf_fdist_Pinv) with 1 to 300 degrees of freedom. Each benchmark times both sides per iteration; the reported
// time is Qelta's, the counters give the anchor's time and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_sf_gamma.h>

#include <cmath>
#include <iterator>
#include <random>
#include <vector>

#include "Qelta_statis.h"
#include "SideBySide.h"

namespace {

using qelta::bench::SideBySide;

constexpr int kCalls = 1000000;
constexpr int kSearchCalls = 20000;  ///< the searched quantiles cost some 40 distribution values each

std::vector<double> Uniform(double lo, double hi, unsigned seed, int n = kCalls) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> u(lo, hi);
  std::vector<double> v(static_cast<std::size_t>(n));
  for (double& x : v) x = u(gen);
  return v;
}

/// p spread over the whole range: a third in the tail decades 1e-16..0.1, the rest uniform.
std::vector<double> Probabilities(unsigned seed, int n = kCalls) {
  std::vector<double> p = Uniform(0, 1, seed, n);
  for (std::size_t i = 0; i < p.size(); i += 3) p[i] = std::pow(10.0, -1 - 15 * p[i]);
  return p;
}

void BM_nDistriQuantile(benchmark::State& state) {
  const std::vector<double> p = Probabilities(1);
  double s = 0;
  SideBySide(
      state, kCalls, [&](int i) { s += qelta::nDistriQuantile(p[static_cast<std::size_t>(i)]); },
      [&](int i) { s += gsl_cdf_ugaussian_Pinv(p[static_cast<std::size_t>(i)]); });
  benchmark::DoNotOptimize(s);
}

void BM_IncompleteBeta(benchmark::State& state) {
  gsl_set_error_handler_off();
  const std::vector<double> x = Uniform(0, 1, 2), a = Uniform(0.5, 60, 3), b = Uniform(0.5, 60, 4);
  double s = 0;
  SideBySide(
      state, kCalls,
      [&](int i) {
        const std::size_t k = static_cast<std::size_t>(i);
        s += qelta::IncompleteBeta(x[k], a[k], b[k]);
      },
      [&](int i) {
        const std::size_t k = static_cast<std::size_t>(i);
        s += gsl_sf_beta_inc(a[k], b[k], x[k]);
      });
  benchmark::DoNotOptimize(s);
}

void BM_LnGamma(benchmark::State& state) {
  const std::vector<double> x = Uniform(0.01, 200, 5);
  double s = 0;
  SideBySide(
      state, kCalls, [&](int i) { s += qelta::LnGamma(x[static_cast<std::size_t>(i)]); },
      [&](int i) { s += gsl_sf_lngamma(x[static_cast<std::size_t>(i)]); });
  benchmark::DoNotOptimize(s);
}

constexpr int kDegrees[] = {1, 2, 5, 10, 30, 100, 300};
int DegreesOf(int i) { return kDegrees[static_cast<std::size_t>(i) % std::size(kDegrees)]; }

void BM_tDistriQuantile(benchmark::State& state) {
  gsl_set_error_handler_off();
  const std::vector<double> p = Probabilities(6, kSearchCalls);
  double s = 0;
  SideBySide(
      state, kSearchCalls, [&](int i) { s += qelta::tDistriQuantile(p[static_cast<std::size_t>(i)], DegreesOf(i)); },
      [&](int i) { s += gsl_cdf_tdist_Pinv(p[static_cast<std::size_t>(i)], DegreesOf(i)); });
  benchmark::DoNotOptimize(s);
}

void BM_chi2DistriQuantile(benchmark::State& state) {
  gsl_set_error_handler_off();
  const std::vector<double> p = Probabilities(7, kSearchCalls);
  double s = 0;
  SideBySide(
      state, kSearchCalls, [&](int i) { s += qelta::chi2DistriQuantile(p[static_cast<std::size_t>(i)], DegreesOf(i)); },
      [&](int i) { s += gsl_cdf_chisq_Pinv(p[static_cast<std::size_t>(i)], DegreesOf(i)); });
  benchmark::DoNotOptimize(s);
}

void BM_FDistriQuantile(benchmark::State& state) {
  gsl_set_error_handler_off();
  const std::vector<double> p = Probabilities(8, kSearchCalls);
  double s = 0;
  SideBySide(
      state, kSearchCalls,
      [&](int i) { s += qelta::FDistriQuantile(p[static_cast<std::size_t>(i)], DegreesOf(i), DegreesOf(i / 7 + 3)); },
      [&](int i) { s += gsl_cdf_fdist_Pinv(p[static_cast<std::size_t>(i)], DegreesOf(i), DegreesOf(i / 7 + 3)); });
  benchmark::DoNotOptimize(s);
}

}  // namespace

BENCHMARK(BM_nDistriQuantile)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IncompleteBeta)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LnGamma)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_tDistriQuantile)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_chi2DistriQuantile)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FDistriQuantile)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
