#pragma once
// Timing of a benchmark beside its anchor: both sides run in every iteration on the same data; the
// iteration time is Qelta's, the counters give the anchor's time (anchor_s) and the ratio.

#include <benchmark/benchmark.h>

#include <chrono>

namespace qelta::bench {

/// Wall time of fn in seconds.
template <typename Fn>
double Seconds(Fn&& fn) {
  const auto t0 = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

/// Qelta's and the anchor's accumulated times.
struct TSideBySide {
  double ours = 0, anchor = 0;
  void Report(benchmark::State& state) {
    state.counters["anchor_s"] = benchmark::Counter(anchor, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = anchor > 0 ? ours / anchor : 0;
  }
};

/// The usual loop: prepare (untimed), ours (timed, the iteration time), anchor (timed); then the
/// counters. Answers the totals.
template <typename Prepare, typename Ours, typename Anchor>
TSideBySide RunSideBySide(benchmark::State& state, Prepare&& prepare, Ours&& ours, Anchor&& anchor) {
  TSideBySide t;
  for (auto _ : state) {
    prepare();
    const double o = Seconds(ours);
    t.anchor += Seconds(anchor);
    t.ours += o;
    state.SetIterationTime(o);
  }
  t.Report(state);
  return t;
}

}  // namespace qelta::bench
