// Number text: the platform's Str and FloatToStrF beside std::to_chars on the same 10^6 doubles.
// Each iteration converts the whole set; compare the times of a pair (same form, same digits) to
// read the cost of exact tie-away rounding and of building a String.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "SysUtils.h"

namespace {

using qelta::Extended;

// 10^6 doubles, mantissas in [1, 10) times powers of ten from 1e-8 to 1e8, both signs; fixed seed.
const std::vector<double>& Values() {
  static const std::vector<double> values = [] {
    std::mt19937_64 gen(20240601);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> power(-8, 8);
    std::vector<double> v(1'000'000);
    for (double& x : v) x = (gen() & 1 ? -1 : 1) * mantissa(gen) * std::pow(10.0, power(gen));
    return v;
  }();
  return values;
}

template <typename Convert>
void RunAll(benchmark::State& state, Convert convert) {
  const auto& values = Values();
  for (auto _ : state) {
    for (double x : values) convert(x);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(values.size()));
}

void ToChars(double x, std::chars_format fmt, int precision) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, fmt, precision);
  benchmark::DoNotOptimize(r.ptr);
  benchmark::ClobberMemory();
}

// Fixed form, two decimals.
void BM_ToCharsFixed2(benchmark::State& s) {
  RunAll(s, [](double x) { ToChars(x, std::chars_format::fixed, 2); });
}
void BM_StrFixed2(benchmark::State& s) {
  RunAll(s, [](double x) { benchmark::DoNotOptimize(qelta::Str(x, 0, 2)); });
}
void BM_FloatToStrFFixed2(benchmark::State& s) {
  RunAll(s, [](double x) { benchmark::DoNotOptimize(qelta::FloatToStrF(x, qelta::ffFixed, 15, 2)); });
}

// Exponent form, ten significant digits (Str width 18).
void BM_ToCharsScientific10(benchmark::State& s) {
  RunAll(s, [](double x) { ToChars(x, std::chars_format::scientific, 9); });
}
void BM_StrExponent10(benchmark::State& s) {
  RunAll(s, [](double x) { benchmark::DoNotOptimize(qelta::Str(x, 18)); });
}

// General form, fifteen significant digits.
void BM_ToCharsGeneral15(benchmark::State& s) {
  RunAll(s, [](double x) { ToChars(x, std::chars_format::general, 15); });
}
void BM_FloatToStr(benchmark::State& s) {
  RunAll(s, [](double x) { benchmark::DoNotOptimize(qelta::FloatToStr(x)); });
}

// Extended input that a double cannot hold: the long double path.
void BM_StrExtendedFixed2(benchmark::State& s) {
  RunAll(s, [](double x) { benchmark::DoNotOptimize(qelta::Str(static_cast<Extended>(x) / 3, 0, 2)); });
}

}  // namespace

BENCHMARK(BM_ToCharsFixed2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrFixed2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloatToStrFFixed2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToCharsScientific10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrExponent10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToCharsGeneral15)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloatToStr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrExtendedFixed2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
