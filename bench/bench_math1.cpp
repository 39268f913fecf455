// Numerics: the tick rule on 10^6 random ranges, and the comb sort of 10^7 doubles beside
// std::sort on the same data. Each iteration of the sort benchmarks copies the unsorted data
// first (the copy is paused out of the timing), so both sort the same random array.
// SortArray of 10^6 doubles side by side with std::sort (ours, the anchor and the ratio), in the
// process's instructions and with the portable pass alone.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

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

void BM_CalcScalePars(benchmark::State& state) {
  const auto& ranges = Ranges();
  for (auto _ : state) {
    for (const TRange& r : ranges) {
      qelta::Extended first = 0, distance = 0;
      uint16_t sub = 0;
      qelta::CalcScalePars(r.NTicks, r.Low, r.High, first, distance, sub);
      benchmark::DoNotOptimize(first);
      benchmark::DoNotOptimize(distance);
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(ranges.size()));
}
BENCHMARK(BM_CalcScalePars)->Unit(benchmark::kMillisecond);

template <typename Sort>
void RunSort(benchmark::State& state, Sort sort) {
  const auto& source = Unsorted();
  std::vector<double> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = source;
    state.ResumeTiming();
    sort(work);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(source.size()));
}

void BM_SortArray_CombSort(benchmark::State& state) {
  RunSort(state, [](std::vector<double>& v) { qelta::SortArray(v, static_cast<int>(v.size()) - 1, true); });
}
BENCHMARK(BM_SortArray_CombSort)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StdSort(benchmark::State& state) {
  RunSort(state, [](std::vector<double>& v) { std::sort(v.begin(), v.end()); });
}
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond)->Iterations(3);

// 10^6 doubles: each iteration sorts a fresh copy with both (the copies are not timed).
void SortSideBySide(benchmark::State& state, int level) {
  const int saved = qelta::num_detail::SetKernelLevel(level);
  const std::vector<double> source(Unsorted().begin(), Unsorted().begin() + 1000000);
  std::vector<double> ours, anchor;
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    ours = source, anchor = source;
    t.Add(state, qelta::bench::Seconds([&] { qelta::SortArray(ours, static_cast<int>(ours.size()) - 1, true); }),
          qelta::bench::Seconds([&] { std::sort(anchor.begin(), anchor.end()); }));
  }
  t.Report(state);
  qelta::num_detail::SetKernelLevel(saved);
  if (ours != anchor) state.SkipWithError("the orders differ");
}

void BM_SortArray1e6_SideBySide(benchmark::State& state) { SortSideBySide(state, 2); }
BENCHMARK(BM_SortArray1e6_SideBySide)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_SortArray1e6_PortablePass(benchmark::State& state) { SortSideBySide(state, 0); }
BENCHMARK(BM_SortArray1e6_PortablePass)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
