// Random numbers of a tabulated distribution, the kernel density estimate and the Kolmogorov p-value,
// each beside an anchor doing the same job:
//  - TRandGen.GetRandNum, 10^7 draws at Resolution 4000 from a normal, chi-squared and Weibull table,
//    beside GSL's gsl_ran_discrete (Walker's alias method, mt19937) on the same table: a bin by its
//    mass (P(a) + P(a + 1)) / 2, then a uniform position in it. Counters: draws per second of both
//    sides and our acceptance rate (the mean height of the table, whose maximum is 1).
//  - EstimateProbDensity of 10^5 normal values at 10^4 points (width factors 20 and 100, radius 0.5)
//    beside a plain fixed-bandwidth Gaussian kernel estimate of the same values (sorted copy,
//    Silverman's bandwidth, kernels cut at 8.5 bandwidths, found by binary search, std::exp).
//  - KSPValue for n = 99 just below its switch at n D^2 = 7.24 (exact: a 55 x 55 matrix to the 99th
//    power) beside the same routine just above it (the one-exp approximation): 1000 calls each, so the
//    time in milliseconds reads as microseconds per call.

#include <benchmark/benchmark.h>
#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "Qelta_statis.h"
#include "Qelta_vector.h"
#include "Random.h"
#include "SideBySide.h"

namespace {

using qelta::bench::RunSideBySide;
using qelta::bench::SideBySide;

// [SECTION] TRandGen beside gsl_ran_discrete

enum TShape { shNormal, shChi2, shWeibull };

/// A standardised table of 4000 bins for the shape.
void Shape(qelta::TRandGen& g, TShape shape) {
  g.SetResolution(4000);
  switch (shape) {
    case shNormal:
      g.SetLowBorder(-5);
      g.SetHighBorder(5);
      g.NormalDistri(0, 1);
      break;
    case shChi2:
      g.SetLowBorder(0);
      g.SetHighBorder(30);
      g.Chi2Distri(5);
      break;
    case shWeibull:
      g.SetLowBorder(0);
      g.SetHighBorder(5);
      g.WeibullDistri(1.5, 2.0);
      break;
  }
  g.Standardize();
}

void BM_RandGen(benchmark::State& state) {
  constexpr int kDraws = 10000000;
  qelta::TRandGen g(nullptr);
  Shape(g, static_cast<TShape>(state.range(0)));
  const int R = g.Resolution();
  std::vector<double> mass(static_cast<std::size_t>(R));
  double total = 0;
  for (int a = 1; a <= R; ++a)
    total += mass[static_cast<std::size_t>(a - 1)] = (g.GetProbability(a) + (a < R ? g.GetProbability(a + 1) : 0)) / 2;
  gsl_ran_discrete_t* table = gsl_ran_discrete_preproc(mass.size(), mass.data());
  gsl_rng* rng = gsl_rng_alloc(gsl_rng_mt19937);
  const double low = g.LowBorder(), width = (g.HighBorder() - low) / R;
  double s = 0;
  qelta::RandSeed = 1;
  RunSideBySide(
      state,
      [&] {
        for (int i = 0; i < kDraws; ++i) s += g.GetRandNum();
      },
      [&] {
        for (int i = 0; i < kDraws; ++i)
          s += low + (static_cast<double>(gsl_ran_discrete(rng, table)) + gsl_rng_uniform(rng)) * width;
      });
  benchmark::DoNotOptimize(s);
  state.counters["acceptance"] = total / R;
  state.counters["draws_per_s"] = benchmark::Counter(kDraws, benchmark::Counter::kIsIterationInvariantRate);
  gsl_rng_free(rng);
  gsl_ran_discrete_free(table);
}

// [SECTION] kernel density estimate beside a plain fixed-bandwidth estimate

/// Gaussian kernel estimate with Silverman's bandwidth h = 1.06 s n^(-1/5) at points + 1 grid points,
/// each kernel cut at 8.5 h (exp(-36): below the last digit of the sum).
std::vector<double> PlainDensity(std::vector<double> x, double low, double high, int points) {
  std::sort(x.begin(), x.end());
  const double n = static_cast<double>(x.size());
  double mean = 0, ss = 0;
  for (double v : x) mean += v / n;
  for (double v : x) ss += (v - mean) * (v - mean);
  const double h = 1.06 * std::sqrt(ss / (n - 1)) * std::pow(n, -0.2), reach = 8.5 * h;
  std::vector<double> density(static_cast<std::size_t>(points) + 1);
  for (int f = 0; f <= points; ++f) {
    const double at = low + (high - low) * f / points;
    double sum = 0;
    for (auto it = std::lower_bound(x.begin(), x.end(), at - reach); it != x.end() && *it < at + reach; ++it)
      sum += std::exp(-0.5 * (at - *it) * (at - *it) / (h * h));
    density[static_cast<std::size_t>(f)] = sum / (n * h * std::sqrt(2 * std::numbers::pi));
  }
  return density;
}

void BM_EstimateProbDensity(benchmark::State& state) {
  const int n = 100000, points = 10000;
  std::mt19937_64 gen(5);
  std::normal_distribution<double> normal;
  std::vector<double> data(static_cast<std::size_t>(n));
  for (double& v : data) v = normal(gen);
  qelta::TVector values(nullptr), density(nullptr);
  values.Resize(n);
  double s = 0;
  RunSideBySide(
      state,
      [&] {
        for (int i = 1; i <= n; ++i) values.SetVal(i, data[static_cast<std::size_t>(i - 1)]);
        int lo = 0, hi = 0;
        qelta::EstimateProbDensity(&values, &density, -5, 5, static_cast<double>(state.range(0)), 0.5, points, lo, hi);
        s += density.GetVal(hi);
      },
      [&] { s += PlainDensity(data, -5, 5, points)[static_cast<std::size_t>(points / 2)]; });
  benchmark::DoNotOptimize(s);
}

// [SECTION] KSPValue around its switch

void BM_KSPValueNearSwitch(benchmark::State& state) {
  constexpr int kCalls = 1000, n = 99;  // so the time in milliseconds is the microseconds per call
  const double edge = std::sqrt(7.24 / n);
  double s = 0;
  SideBySide(
      state, kCalls, [&](int i) { s += qelta::KSPValue(n, edge * (1 - 1e-7 * (i + 1))); },
      [&](int i) { s += qelta::KSPValue(n, edge * (1 + 1e-7 * (i + 1))); });
  benchmark::DoNotOptimize(s);
}

}  // namespace

BENCHMARK(BM_RandGen)
    ->Arg(shNormal)
    ->Arg(shChi2)
    ->Arg(shWeibull)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EstimateProbDensity)->Arg(20)->Arg(100)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KSPValueNearSwitch)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
