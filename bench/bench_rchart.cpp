// Chart item list beside plain containers doing the same job: DrawTo appends (10^5 and 10^6, to show
// that appending stays linear with the default AllocSize of 1000) beside std::vector::push_back of
// the same records; 10^4 x (RemoveFirstItem + DrawTo) on 10^5 items beside std::deque pop_front +
// push_back keeping a count per kind as the chart does; FindNearestItemScreen and MarkItemsInWindow over 10^6 items beside plain loops over a
// vector of the same records (the nearest search with the same linear pixel mapping, rounding half
// to even). Each benchmark times both sides per iteration; the reported time is Qelta's, the
// counters give the anchor's time, the ratio Qelta / anchor and Qelta's nanoseconds per item.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <random>
#include <vector>

#include "Qelta_rchart.h"
#include "SideBySide.h"

namespace {

using qelta::TCustomRChart;
using qelta::TrcChartItem;
using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

// The anchor's time and the ratio, and Qelta's nanoseconds per item.
void Report(benchmark::State& state, const TSideBySide& t, double items) {
  t.Report(state);
  state.counters["ns_per_item"] = t.ours / static_cast<double>(state.iterations()) / items * 1e9;
}

// The record DrawTo appends with the default drawing state.
TrcChartItem LineToRecord(double x, double y) {
  TrcChartItem it;
  it.ItemKind = qelta::tkLineto;
  it.Layer = 1;
  it.Color = qelta::clBlack;
  it.FillColor = qelta::clSilver;
  it.LWid = 1;
  it.x = x;
  it.y = y;
  return it;
}

void BM_DrawToAppend(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TCustomRChart chart(nullptr);
  TSideBySide t;
  int round = 0;
  for (auto _ : state) {
    chart.ClearGraf();
    std::vector<TrcChartItem> plain;
    const auto runOurs = [&] { return Seconds([&] { for (int i = 0; i < n; ++i) chart.DrawTo(i, i & 1023); }); };
    const auto runAnchor = [&] {
      return Seconds([&] { for (int i = 0; i < n; ++i) plain.push_back(LineToRecord(i, i & 1023)); });
    };
    // The side that runs first pays for fresh pages from the system: alternate the order.
    double ours = 0, anchor = 0;
    if (++round % 2 != 0) {
      ours = runOurs();
      anchor = runAnchor();
    } else {
      anchor = runAnchor();
      ours = runOurs();
    }
    benchmark::DoNotOptimize(plain.data());
    t.Add(state, ours, anchor);
  }
  Report(state, t, n);
}
BENCHMARK(BM_DrawToAppend)->Arg(100000)->Arg(1000000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_RemoveFirstAndAppend(benchmark::State& state) {
  constexpr int kItems = 100000, kRounds = 10000;
  TCustomRChart chart(nullptr);
  std::deque<TrcChartItem> plain;
  std::array<int, qelta::TrcItemCount> counts{};
  for (int i = 0; i < kItems; ++i) {
    chart.DrawTo(i, i);
    plain.push_back(LineToRecord(i, i));
  }
  TSideBySide t;
  for (auto _ : state) {  // the lists stay at 10^5 items from one iteration to the next
    const double ours = Seconds([&] {
      for (int i = 0; i < kRounds; ++i) {
        chart.RemoveFirstItem();
        chart.DrawTo(i, i);
      }
    });
    const double anchor = Seconds([&] {  // keeping a count per kind, as the chart does
      for (int i = 0; i < kRounds; ++i) {
        --counts[plain.front().ItemKind];
        plain.pop_front();
        plain.push_back(LineToRecord(i, i));
        ++counts[plain.back().ItemKind];
      }
    });
    benchmark::DoNotOptimize(plain.back());
    benchmark::DoNotOptimize(counts);
    t.Add(state, ours, anchor);
  }
  Report(state, t, kRounds);
}
BENCHMARK(BM_RemoveFirstAndAppend)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

// 10^6 marks at random positions in 0..1000 on a chart whose layer 1 spans 0..1000.
struct TMarks {
  TCustomRChart chart{nullptr};
  std::vector<TrcChartItem> plain;
  TMarks() {
    chart.SetRange(1, 0, 0, 1000, 1000);
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> u(0, 1000);
    plain.reserve(1000000);
    for (int i = 0; i < 1000000; ++i) {
      const double x = u(gen), y = u(gen);
      chart.MarkAt(x, y, static_cast<uint8_t>(i % 52));
      plain.push_back(chart.GetChartItem(i));
    }
  }
};

TMarks& Marks() {
  static TMarks marks;
  return marks;
}

void BM_FindNearestItemScreen(benchmark::State& state) {
  TMarks& m = Marks();
  // The pixel mapping of the anchor: the chart's data area, as a plain linear map.
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  m.chart.R2M(1, 0, 0, x0, y0);
  m.chart.R2M(1, 1000, 1000, x1, y1);
  const double kx = (x1 - x0) / 1000.0, ky = (y1 - y0) / 1000.0;
  TSideBySide t;
  for (auto _ : state) {
    double dist = 0;
    int found = 0, plainFound = -1;
    const double ours = Seconds([&] { found = m.chart.FindNearestItemScreen(500.3, 499.7, qelta::tkMarkAt, 255, dist); });
    const double anchor = Seconds([&] {
      const double px = std::nearbyint(kx * 500.3 + x0), py = std::nearbyint(ky * 499.7 + y0);
      double best = std::numeric_limits<double>::max();
      for (size_t i = 0; i < m.plain.size(); ++i) {
        const TrcChartItem& it = m.plain[i];
        if (it.ItemKind != qelta::tkMarkAt) continue;
        const double dx = std::nearbyint(kx * it.x + x0) - px, dy = std::nearbyint(ky * it.y + y0) - py;
        if (dx * dx + dy * dy < best) {
          best = dx * dx + dy * dy;
          plainFound = static_cast<int>(i);
        }
      }
    });
    benchmark::DoNotOptimize(found + plainFound);
    t.Add(state, ours, anchor);
  }
  Report(state, t, 1e6);
}
BENCHMARK(BM_FindNearestItemScreen)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_MarkItemsInWindow(benchmark::State& state) {
  TMarks& m = Marks();
  TSideBySide t;
  uint8_t cls = 1;
  for (auto _ : state) {
    int ours_n = 0, plain_n = 0;
    cls = static_cast<uint8_t>(cls % 200 + 1);
    const double ours = Seconds([&] { ours_n = m.chart.MarkItemsInWindow(250, 250, 750, 750, qelta::tkMarkAt, cls); });
    const double anchor = Seconds([&] {
      for (TrcChartItem& it : m.plain) {
        if (it.ItemKind != qelta::tkMarkAt || it.x < 250 || it.x > 750 || it.y < 250 || it.y > 750) continue;
        it.ItemClass = cls;
        ++plain_n;
      }
    });
    benchmark::DoNotOptimize(ours_n + plain_n);
    t.Add(state, ours, anchor);
  }
  Report(state, t, 1e6);
}
BENCHMARK(BM_MarkItemsInWindow)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
