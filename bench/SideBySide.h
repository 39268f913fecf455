#pragma once
// Timing both sides of a benchmark in one run: Qelta's time is the iteration time (use it with
// UseManualTime), the anchor's time and the ratio Qelta / anchor go into the counters.

#include <benchmark/benchmark.h>

#include <chrono>

namespace qelta::bench {

/// Seconds that fn takes.
template <typename Fn>
double Seconds(Fn&& fn) {
  const auto t0 = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

/// Sums of both sides over the iterations.
struct TSideBySide {
  double ours = 0, anchor = 0;
  /// Adds one iteration and reports Qelta's part as its time.
  void Add(benchmark::State& state, double o, double a) {
    ours += o;
    anchor += a;
    state.SetIterationTime(o);
  }
  /// anchor_s: the anchor's seconds per iteration; ratio: Qelta / anchor.
  void Report(benchmark::State& state) const {
    state.counters["anchor_s"] = benchmark::Counter(anchor, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = anchor > 0 ? ours / anchor : 0;
  }
};

/// Runs every iteration of the state with Qelta's call and the anchor's, then reports.
template <typename Ours, typename Anchor>
void RunSideBySide(benchmark::State& state, Ours&& ours, Anchor&& anchor) {
  TSideBySide t;
  for (auto _ : state) t.Add(state, Seconds(ours), Seconds(anchor));
  t.Report(state);
}

/// n calls of ours(i), then n calls of anchor(i), per iteration.
template <class Ours, class Anchor>
void SideBySide(benchmark::State& state, int n, Ours ours, Anchor anchor) {
  RunSideBySide(
      state, [&] { for (int i = 0; i < n; ++i) ours(i); }, [&] { for (int i = 0; i < n; ++i) anchor(i); });
}

}  // namespace qelta::bench
