// Numerics: the tick rule on 10^6 random ranges beside its classic form as a plain loop; SortArray of
// 10^7 and 10^6 doubles beside std::sort on the same data (each iteration sorts fresh copies, the copies
// not timed), in the process's instructions and with the portable pass alone.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "ClassicTicks.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_math1.h"
#include "SideBySide.h"

namespace {

struct TRange {
  qelta::Extended Low, High;
  int NTicks;
};

const std::vector<TRange>& Ranges() {
  static const std::vector<TRange> ranges = [] {
    std::vector<TRange> v(1000000);
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> expo(-15, 15), unit(-1, 1);
    for (TRange& r : v) {
      const double scale = std::pow(10.0, expo(gen));
      r.Low = unit(gen) * scale;
      r.High = r.Low + unit(gen) * scale;
      r.NTicks = 1 + static_cast<int>(gen() % 20);
    }
    return v;
  }();
  return ranges;
}

const std::vector<double>& Unsorted() {
  static const std::vector<double> data = [] {
    std::vector<double> v(10000000);
    std::mt19937_64 gen(6);
    std::uniform_real_distribution<double> u(-1e9, 1e9);
    for (double& x : v) x = u(gen);
    return v;
  }();
  return data;
}

// Beside the classic form of the rule (bench/ClassicTicks.h) in the same long doubles.
void BM_CalcScalePars_vs_Classic(benchmark::State& state) {
  const auto& ranges = Ranges();
  const auto run = [&](auto rule) {
    for (const TRange& r : ranges) {
      qelta::Extended first = 0, distance = 0;
      uint16_t sub = 0;
      rule(r.NTicks, r.Low, r.High, first, distance, sub);
      benchmark::DoNotOptimize(first);
      benchmark::DoNotOptimize(distance);
    }
  };
  qelta::bench::RunSideBySide(state, [&] { run(qelta::CalcScalePars); }, [&] { run(qelta::bench::ClassicScalePars); });
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(ranges.size()));
}
BENCHMARK(BM_CalcScalePars_vs_Classic)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Each iteration sorts a fresh copy of the first n values with both (the copies are not timed).
void SortSideBySide(benchmark::State& state, std::size_t n, int level) {
  const int saved = qelta::num_detail::SetKernelLevel(level);
  const std::vector<double> source(Unsorted().begin(), Unsorted().begin() + static_cast<std::ptrdiff_t>(n));
  std::vector<double> ours, anchor;
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    ours = source, anchor = source;
    const double o = qelta::bench::Seconds([&] { qelta::SortArray(ours, static_cast<int>(ours.size()) - 1, true); });
    t.Add(state, o, qelta::bench::Seconds([&] { std::sort(anchor.begin(), anchor.end()); }));
  }
  t.Report(state);
  qelta::num_detail::SetKernelLevel(saved);
  if (ours != anchor) state.SkipWithError("the orders differ");
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

void BM_SortArray1e7_SideBySide(benchmark::State& state) { SortSideBySide(state, 10000000, 2); }
BENCHMARK(BM_SortArray1e7_SideBySide)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_SortArray1e6_SideBySide(benchmark::State& state) { SortSideBySide(state, 1000000, 2); }
BENCHMARK(BM_SortArray1e6_SideBySide)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_SortArray1e6_PortablePass(benchmark::State& state) { SortSideBySide(state, 1000000, 0); }
BENCHMARK(BM_SortArray1e6_PortablePass)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
