#pragma once
// Side-by-side timing of the benchmarks that run Qelta and an anchor on the same data in one
// iteration: Qelta's time is the iteration time (UseManualTime), the anchor's time and the ratio
// Qelta / anchor become counters.

#include <benchmark/benchmark.h>

#include <chrono>

namespace qelta::bench {

/// Wall-clock seconds that fn takes.
template <typename Fn>
double Seconds(Fn&& fn) {
  const auto t0 = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

/// Records Qelta's time as the iteration time and keeps the anchor's for the counters.
struct TSideBySide {
  double ours = 0, anchor = 0;
  void Report(benchmark::State& state) {
    state.counters["anchor_s"] = benchmark::Counter(anchor, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = anchor > 0 ? ours / anchor : 0;
  }
};

}  // namespace qelta::bench
