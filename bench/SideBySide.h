#pragma once
// Shared by the bench programs that time Qelta and an anchor in the same iteration: the reported time
// is Qelta's (manual time), the counters give the anchor's time and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>

#include <chrono>

namespace qelta::bench {

/// Wall time of one call, in seconds.
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

/// Runs every iteration of the state with Qelta's call and the anchor's, then reports.
template <typename Ours, typename Anchor>
void RunSideBySide(benchmark::State& state, Ours&& ours, Anchor&& anchor) {
  TSideBySide t;
  for (auto _ : state) {
    const double s = Seconds(ours);
    t.anchor += Seconds(anchor);
    t.ours += s;
    state.SetIterationTime(s);
  }
  t.Report(state);
}

}  // namespace qelta::bench
