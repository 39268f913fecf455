#pragma once
// Timing both sides of a benchmark in one run: every iteration times Qelta's call and the anchor's (one
// interleaved repetition). Qelta's time is the iteration time (use it with UseManualTime); the
// counters hold the medians of both sides and of the per-iteration ratios Qelta / anchor, so a burst of
// load elsewhere on the machine moves one repetition, not the figure. scripts/bench-report.py reads
//   ours_s, anchor_s   median seconds per iteration of each side,
//   ratio              median of ours / anchor over the iterations,
//   ratio_lo, ratio_hi the smallest and the largest of those ratios (the spread).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace qelta::bench {

/// Seconds that fn takes.
template <typename Fn>
double Seconds(Fn&& fn) {
  const auto t0 = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

/// Seconds(fn) compiled once however many places call it (both orders of RunSideBySide time the same code).
template <typename Fn>
[[gnu::noinline]] double SecondsOf(Fn& fn) {
  return Seconds(fn);
}

/// The median of the values (the mean of the middle two for an even count); 0 for none.
inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  if (v.size() % 2 == 1) return *mid;
  return (*mid + *std::max_element(v.begin(), mid)) / 2;
}

/// Both sides of every iteration, and their sums.
struct TSideBySide {
  double ours = 0, anchor = 0;
  std::vector<double> oursEach, anchorEach;
  /// Adds one iteration and reports Qelta's part as its time.
  void Add(benchmark::State& state, double o, double a) {
    ours += o;
    anchor += a;
    oursEach.push_back(o);
    anchorEach.push_back(a);
    state.SetIterationTime(o);
  }
  /// The counters above; from the sums alone where the iterations were not added one by one.
  void Report(benchmark::State& state) const {
    if (oursEach.empty()) {
      const double n = std::max(1.0, static_cast<double>(state.iterations()));
      state.counters["ours_s"] = ours / n;
      state.counters["anchor_s"] = anchor / n;
      state.counters["ratio"] = anchor > 0 ? ours / anchor : 0;
      return;
    }
    std::vector<double> ratios;
    for (std::size_t i = 0; i < oursEach.size(); ++i)
      if (anchorEach[i] > 0) ratios.push_back(oursEach[i] / anchorEach[i]);
    state.counters["ours_s"] = Median(oursEach);
    state.counters["anchor_s"] = Median(anchorEach);
    state.counters["ratio"] = Median(ratios);
    if (ratios.empty()) return;
    state.counters["ratio_lo"] = *std::min_element(ratios.begin(), ratios.end());
    state.counters["ratio_hi"] = *std::max_element(ratios.begin(), ratios.end());
  }
};

/// Runs every iteration of the state with Qelta's call and the anchor's, then reports. The side that
/// goes first alternates, so neither always finds the caches warmed by the other.
template <typename Ours, typename Anchor>
void RunSideBySide(benchmark::State& state, Ours&& ours, Anchor&& anchor) {
  TSideBySide t;
  for (auto _ : state) {
    double o = 0, a = 0;
    if (t.oursEach.size() % 2 == 0) {
      o = SecondsOf(ours);
      a = SecondsOf(anchor);
    } else {
      a = SecondsOf(anchor);
      o = SecondsOf(ours);
    }
    t.Add(state, o, a);
  }
  t.Report(state);
}

/// n calls of ours(i), then n calls of anchor(i), per iteration.
template <class Ours, class Anchor>
void SideBySide(benchmark::State& state, int n, Ours ours, Anchor anchor) {
  RunSideBySide(
      state, [&] { for (int i = 0; i < n; ++i) ours(i); }, [&] { for (int i = 0; i < n; ++i) anchor(i); });
}

}  // namespace qelta::bench
