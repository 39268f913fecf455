// Number text: the platform's Str, FloatToStrF and FloatToStr beside std::to_chars in the same form with
// the same digits, on the same 10^6 doubles; the ratio is the cost of exact tie-away rounding and of
// building a String.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "SideBySide.h"
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

// Each iteration converts the whole set with ours, then with the anchor.
template <typename Ours, typename Anchor>
void RunPair(benchmark::State& state, Ours ours, Anchor anchor) {
  const auto& values = Values();
  qelta::bench::RunSideBySide(
      state, [&] { for (double x : values) ours(x); }, [&] { for (double x : values) anchor(x); });
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(values.size()));
}

template <typename T>
void ToChars(T x, std::chars_format fmt, int precision) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, fmt, precision);
  benchmark::DoNotOptimize(r.ptr);
  benchmark::ClobberMemory();
}

// Fixed form, two decimals.
void BM_StrFixed2_vs_ToChars(benchmark::State& s) {
  RunPair(
      s, [](double x) { benchmark::DoNotOptimize(qelta::Str(x, 0, 2)); },
      [](double x) { ToChars(x, std::chars_format::fixed, 2); });
}
void BM_FloatToStrFFixed2_vs_ToChars(benchmark::State& s) {
  RunPair(
      s, [](double x) { benchmark::DoNotOptimize(qelta::FloatToStrF(x, qelta::ffFixed, 15, 2)); },
      [](double x) { ToChars(x, std::chars_format::fixed, 2); });
}

// Exponent form, ten significant digits (Str width 18).
void BM_StrExponent10_vs_ToChars(benchmark::State& s) {
  RunPair(
      s, [](double x) { benchmark::DoNotOptimize(qelta::Str(x, 18)); },
      [](double x) { ToChars(x, std::chars_format::scientific, 9); });
}

// General form, fifteen significant digits.
void BM_FloatToStr_vs_ToChars(benchmark::State& s) {
  RunPair(
      s, [](double x) { benchmark::DoNotOptimize(qelta::FloatToStr(x)); },
      [](double x) { ToChars(x, std::chars_format::general, 15); });
}

// Extended input that a double cannot hold: the long double path, beside to_chars of the long double.
void BM_StrExtendedFixed2_vs_ToChars(benchmark::State& s) {
  RunPair(
      s, [](double x) { benchmark::DoNotOptimize(qelta::Str(static_cast<Extended>(x) / 3, 0, 2)); },
      [](double x) { ToChars(static_cast<Extended>(x) / 3, std::chars_format::fixed, 2); });
}

}  // namespace

BENCHMARK(BM_StrFixed2_vs_ToChars)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloatToStrFFixed2_vs_ToChars)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrExponent10_vs_ToChars)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloatToStr_vs_ToChars)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrExtendedFixed2_vs_ToChars)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
