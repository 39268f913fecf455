// A pan by the scripted user over a chart of 10^5 items: one press, a move that takes the anchors,
// 100 moves that each pan the range and repaint, one release (the goal is under 30 ms per move).
// The anchor is the chart's own Paint of the same picture, called 100 times: the ratio shows what
// the mouse adds to the paint (range forcing, event, message routing).

#include <benchmark/benchmark.h>

#include <cmath>

#include "Forms.h"
#include "Qelta_rchart.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;
using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

constexpr int kItems = 100000, kMoves = 100;

class TBenchChart : public TRChart {
 public:
  explicit TBenchChart(TComponent* AOwner) : TRChart(AOwner) {}
  void PaintNow() { Paint(); }
};

void Pan(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 800, 600);
  auto* chart = new TBenchChart(&form);
  chart->SetParent(&form);
  chart->SetBounds(0, 0, 800, 600);
  chart->SetAllocSize(kItems);
  chart->MoveTo(0, 0);
  for (int i = 1; i < kItems; ++i) chart->DrawTo(i, std::sin(i * 0.001) * 100 + (i % 17));
  chart->SetRange(1, 0, -120, kItems, 120);
  chart->SetMouseAction(maPan);
  user.Show(&form);
  TSideBySide t;
  for (auto _ : state) {
    user.Press(chart, 400, 300);
    user.MoveTo(chart, 401, 300);
    const double ours = Seconds([&] {
      for (int m = 1; m <= kMoves; ++m) user.MoveTo(chart, 401 - m, 300 + m % 3);
    });
    user.Release(chart, 301, 301);
    const double anchor = Seconds([&] {
      for (int m = 1; m <= kMoves; ++m) chart->PaintNow();
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
  state.counters["ms_per_move"] = benchmark::Counter(t.ours * 1000 / kMoves, benchmark::Counter::kAvgIterations);
}
BENCHMARK(Pan)
    ->Name("RChart_Pan/100_moves/1e5_items/800x600")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
