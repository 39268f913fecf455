// Number text of Qelta_stringl beside the standard library: strff against std::to_chars and
// ScanFPNum against std::from_chars, on pools of 2^17 values with up to 15 significant digits (strff over
// the whole range its forms are used for, ScanFPNum over 1e-6..1e9).
// Each iteration converts the whole pool with Qelta's routine, then with the standard one (side by
// side, 76 iterations: about 10^7 conversions each); reported are
//   qelta_ns  nanoseconds per number of the Qelta routine,
//   std_ns    nanoseconds per number of the standard routine,
//   ratio     qelta_ns / std_ns.
// The qelta side also builds a String.

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "Qelta_qeltabase.h"
#include "Qelta_stringl.h"
#include "SideBySide.h"

namespace {

using qelta::String;

constexpr std::size_t kPool = 1 << 17;

// Doubles with up to 15 significant digits, magnitudes 1e-6..1e9, both signs; fixed seed.
const std::vector<double>& Values() {
  static const std::vector<double> values = [] {
    std::mt19937_64 gen(5807);
    std::uniform_int_distribution<int64_t> mantissa(-999999999999999, 999999999999999);
    std::uniform_int_distribution<int> scale(6, 21);
    std::vector<double> v(kPool);
    for (double& x : v) x = static_cast<double>(mantissa(gen)) / std::pow(10.0, scale(gen));
    return v;
  }();
  return values;
}

// Doubles near 15-digit decimals, magnitudes log-uniform over 10^lo..10^hi, both signs; fixed seed. Made by
// two multiplications, so most need 16 or 17 digits to read back, as computed values do.
std::vector<double> SpreadValues(int lo, int hi) {
  std::mt19937_64 gen(6113);
  std::uniform_int_distribution<int64_t> mantissa(-999999999999999, 999999999999999);
  std::uniform_int_distribution<int> decade(lo, hi - 1);
  std::vector<double> v(kPool);
  for (double& x : v) x = static_cast<double>(mantissa(gen)) * 1e-15 * std::pow(10.0, decade(gen));
  return v;
}

// The values as 15-digit texts, once as std::string and once as String.
struct TTexts {
  std::vector<std::string> narrow;
  std::vector<String> wide;
};

const TTexts& Texts() {
  static const TTexts texts = [] {
    TTexts t;
    for (double x : Values()) {
      char buf[64];
      const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
      t.narrow.emplace_back(buf, r.ptr);
      t.wide.emplace_back(t.narrow.back().begin(), t.narrow.back().end());
    }
    return t;
  }();
  return texts;
}

template <typename Qelta, typename Std>
void RunPair(benchmark::State& state, Qelta qelta, Std standard) {
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    const double q = qelta::bench::Seconds([&] {
      for (std::size_t i = 0; i < kPool; ++i) qelta(i);
    });
    t.Add(state, q, qelta::bench::Seconds([&] {
            for (std::size_t i = 0; i < kPool; ++i) standard(i);
          }));
  }
  t.Report(state);
  const double n = static_cast<double>(state.iterations()) * static_cast<double>(kPool);
  state.counters["qelta_ns"] = t.ours / n * 1e9;
  state.counters["std_ns"] = t.anchor / n * 1e9;
  state.SetItemsProcessed(static_cast<int64_t>(2 * n));
}

void ToChars(double x, std::chars_format fmt, int precision) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, fmt, precision);
  benchmark::DoNotOptimize(r.ptr);
}

// strff fixed form, six decimals, beside to_chars fixed with six decimals; |x| over 1e-10..1e20.
void BM_StrffFixed6(benchmark::State& state) {
  static const std::vector<double> v = SpreadValues(-10, 20);
  RunPair(
      state, [&](std::size_t i) { benchmark::DoNotOptimize(qelta::strff(v[i], 1, 6)); },
      [&](std::size_t i) { ToChars(v[i], std::chars_format::fixed, 6); });
}

// strff two-digit exponent form with 15 significant digits, beside to_chars scientific; |x| over
// 1e-300..1e300.
void BM_StrffExponent15(benchmark::State& state) {
  static const std::vector<double> v = SpreadValues(-300, 300);
  RunPair(
      state, [&](std::size_t i) { benchmark::DoNotOptimize(qelta::strff(v[i], 21, -2)); },
      [&](std::size_t i) { ToChars(v[i], std::chars_format::scientific, 14); });
}

// The same where the two-digit exponent form shows digits (|x| over 1e-99..1e99), not stars.
void BM_StrffExponent15Shown(benchmark::State& state) {
  static const std::vector<double> v = SpreadValues(-99, 99);
  RunPair(
      state, [&](std::size_t i) { benchmark::DoNotOptimize(qelta::strff(v[i], 21, -2)); },
      [&](std::size_t i) { ToChars(v[i], std::chars_format::scientific, 14); });
}

// Doubles with |x| over 1e10..1e20, both signs, fixed seed: even places hold 15-digit decimals (m x 10^j with
// a 15-digit m), odd places full-precision values (10^u for a uniform u, which need 16 or 17 digits).
const std::vector<double>& LargeValues() {
  static const std::vector<double> values = [] {
    std::mt19937_64 gen(7331);
    std::uniform_int_distribution<int64_t> mantissa(100000000000000, 999999999999999);
    std::uniform_int_distribution<int> decade(10, 19);
    std::uniform_real_distribution<double> power(10, 20);
    std::vector<double> v(kPool);
    for (std::size_t i = 0; i < kPool; ++i) {
      const int j = decade(gen) - 14;
      const double m = static_cast<double>(mantissa(gen));
      const double decimal = j >= 0 ? m * std::pow(10.0, j) : m / std::pow(10.0, -j);
      const double x = i % 2 == 0 ? decimal : std::pow(10.0, power(gen));
      v[i] = gen() % 2 == 0 ? x : -x;
    }
    return v;
  }();
  return values;
}

// strff two-digit exponent form with 15 significant digits over |x| in 1e10..1e20 beside to_chars scientific
// with precision 14: both give the same 15 significant digits.
void BM_StrffExponent15Large(benchmark::State& state) {
  const std::vector<double>& v = LargeValues();
  RunPair(
      state, [&](std::size_t i) { benchmark::DoNotOptimize(qelta::strff(v[i], 21, -2)); },
      [&](std::size_t i) { ToChars(v[i], std::chars_format::scientific, 14); });
}

// ScanFPNum of 15-digit texts beside from_chars on the same texts.
void BM_ScanFPNum(benchmark::State& state) {
  const auto& t = Texts();
  RunPair(
      state,
      [&](std::size_t i) {
        int pos = 1;
        benchmark::DoNotOptimize(qelta::ScanFPNum(t.wide[i], true, 1, pos));
      },
      [&](std::size_t i) {
        double x = 0;
        const std::string& s = t.narrow[i];
        benchmark::DoNotOptimize(std::from_chars(s.data(), s.data() + s.size(), x).ptr);
        benchmark::DoNotOptimize(x);
      });
}

}  // namespace

BENCHMARK(BM_StrffFixed6)->UseManualTime()->Iterations(76)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrffExponent15)->UseManualTime()->Iterations(76)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrffExponent15Shown)->UseManualTime()->Iterations(76)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrffExponent15Large)->UseManualTime()->Iterations(76)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFPNum)->UseManualTime()->Iterations(76)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
