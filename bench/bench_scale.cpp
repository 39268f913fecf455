// Axis scale: a 400 x 400 scale rendered 10^4 times (through its bitmap, and transparently), beside
// the same strokes and texts drawn straight onto a canvas; the render through the bitmap side by side
// with those strokes (ours, the anchor and the ratio); the tick generators on 10^5 random linear and
// logarithmic ranges.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "Graphics.h"
#include "Qelta_Scale.h"
#include "SideBySide.h"

namespace {

constexpr int kRenders = 10000;

void RenderScale(benchmark::State& state, bool transparent) {
  qelta::TBitmap host(400, 400);
  qelta::TScale scale(nullptr);
  scale.SetIsHelper(true);
  scale.SetTransparent(transparent);
  scale.UseForeignCanvas(host.Canvas(), 0, 0);
  for (auto _ : state) scale.ForcePaint();
  state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_ScaleRender_Bitmap(benchmark::State& state) { RenderScale(state, false); }
BENCHMARK(BM_ScaleRender_Bitmap)->Unit(benchmark::kMicrosecond)->Iterations(kRenders);

void BM_ScaleRender_Transparent(benchmark::State& state) { RenderScale(state, true); }
BENCHMARK(BM_ScaleRender_Transparent)->Unit(benchmark::kMicrosecond)->Iterations(kRenders);

// Anchor: the 27 tick marks, the base line and the six labels of the same scale, drawn directly.
void SameStrokes(qelta::TCanvas* c) {
  const char16_t* labels[] = {u"0", u"20", u"40", u"60", u"80", u"100"};
  for (int i = 0; i <= 20; ++i) {
    const int x = 20 + (359 * i + 10) / 20;
    c->MoveTo(x, 379);
    c->LineTo(x, i % 4 == 0 ? 372 : 375);
  }
  for (int i = 0; i <= 5; ++i) {
    const int x = 20 + (359 * i + 2) / 5;
    c->MoveTo(x, 379);
    c->LineTo(x, 372);
    c->TextOut(x - 6, 359, labels[i]);
  }
  c->MoveTo(20, 379);
  c->LineTo(380, 379);
}

void BM_CanvasSameStrokes(benchmark::State& state) {
  qelta::TBitmap host(400, 400);
  for (auto _ : state) SameStrokes(host.Canvas());
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_CanvasSameStrokes)->Unit(benchmark::kMicrosecond)->Iterations(kRenders);

// The render through the bitmap beside the same strokes drawn directly, alternating.
void BM_ScaleRender_Bitmap_VsStrokes(benchmark::State& state) {
  qelta::TBitmap host(400, 400), anchor(400, 400);
  qelta::TScale scale(nullptr);
  scale.SetIsHelper(true);
  scale.UseForeignCanvas(host.Canvas(), 0, 0);
  qelta::bench::RunSideBySide(state, [&] { scale.ForcePaint(); }, [&] { SameStrokes(anchor.Canvas()); });
}
BENCHMARK(BM_ScaleRender_Bitmap_VsStrokes)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(kRenders);

std::vector<qelta::TScaleTickRequest> RandomSpecs(bool log) {
  std::vector<qelta::TScaleTickRequest> specs(100000);
  std::mt19937_64 gen(log ? 8 : 7);
  std::uniform_real_distribution<double> expo(-12, 12), unit(-1, 1), decades(0, 6);
  for (qelta::TScaleTickRequest& s : specs) {
    const double scale = std::pow(10.0, expo(gen));
    s.RangeLow = log ? scale : unit(gen) * scale;
    s.RangeHigh = log ? scale * std::pow(10.0, decades(gen)) : s.RangeLow + unit(gen) * scale;
    s.MinTicks = 2 + static_cast<int>(gen() % 9);
    s.Logarithmic = log;
    s.MaxTicks = qelta::ScaleTickLimit(359);
  }
  return specs;
}

void MakeTicks(benchmark::State& state, bool log) {
  const std::vector<qelta::TScaleTickRequest> specs = RandomSpecs(log);
  for (auto _ : state)
    for (const qelta::TScaleTickRequest& s : specs) benchmark::DoNotOptimize(qelta::MakeScaleTicks(s));
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(specs.size()));
}

void BM_MakeScaleTicks_Linear(benchmark::State& state) { MakeTicks(state, false); }
BENCHMARK(BM_MakeScaleTicks_Linear)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MakeScaleTicks_Log(benchmark::State& state) { MakeTicks(state, true); }
BENCHMARK(BM_MakeScaleTicks_Log)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
