#pragma once
// Times our code and its anchor alternately in every iteration of one benchmark: the reported time
// is ours (register the benchmark with UseManualTime), the counters give the anchor's time and the
// ratio ours / anchor.

#include <benchmark/benchmark.h>

#include <chrono>

namespace qelta::bench {

/// Seconds taken by n calls of work(i).
template <class Work>
double SecondsFor(int n, Work& work) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) work(i);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// n calls of ours, then n calls of anchor, per iteration.
template <class Ours, class Anchor>
void SideBySide(benchmark::State& state, int n, Ours ours, Anchor anchor) {
  double oursSeconds = 0, anchorSeconds = 0;
  for (auto _ : state) {
    const double t = SecondsFor(n, ours);
    anchorSeconds += SecondsFor(n, anchor);
    oursSeconds += t;
    state.SetIterationTime(t);
  }
  state.counters["anchor_s"] = benchmark::Counter(anchorSeconds, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = anchorSeconds > 0 ? oursSeconds / anchorSeconds : 0;
}

}  // namespace qelta::bench
