// Axis scale: a 400 x 400 scale rendered (through its bitmap, and transparently) beside the same
// strokes and texts drawn straight onto a canvas; the tick generators on 10^5 random linear and
// logarithmic ranges beside a plain loop making the same kind of list by the classic rule.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "ClassicTicks.h"
#include "Graphics.h"
#include "Qelta_Scale.h"
#include "SideBySide.h"

namespace {

constexpr int kRenders = 1000;

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

// 10^3 renders of the scale per iteration (through its bitmap, or transparently) beside the same
// strokes drawn directly, alternating.
void RenderScale(benchmark::State& state, bool transparent) {
  qelta::TBitmap host(400, 400), anchor(400, 400);
  qelta::TScale scale(nullptr);
  scale.SetIsHelper(true);
  scale.SetTransparent(transparent);
  scale.UseForeignCanvas(host.Canvas(), 0, 0);
  qelta::bench::SideBySide(state, kRenders, [&](int) { scale.ForcePaint(); }, [&](int) { SameStrokes(anchor.Canvas()); });
  state.SetItemsProcessed(int64_t(state.iterations()) * kRenders);
}

void BM_ScaleRender_Bitmap_VsStrokes(benchmark::State& state) { RenderScale(state, false); }
BENCHMARK(BM_ScaleRender_Bitmap_VsStrokes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScaleRender_Transparent_VsStrokes(benchmark::State& state) { RenderScale(state, true); }
BENCHMARK(BM_ScaleRender_Transparent_VsStrokes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

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

// Anchor: the same kind of list by a plain loop: the classic rule (bench/ClassicTicks.h), short ticks
// then the long ones, each long tick labelled by std::to_chars (six significant digits) widened to
// UTF-16 (at most MaxTicks of each); logarithmic ranges get 1..9 x 10^k with the decades labelled.
struct TPlainTick {
  double value;
  bool labelled;
  std::u16string label;
};

std::u16string Label(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  return std::u16string(buf, r.ptr);
}

std::vector<TPlainTick> PlainTicks(const qelta::TScaleTickRequest& s) {
  std::vector<TPlainTick> ticks;
  const double lo = std::min(s.RangeLow, s.RangeHigh), hi = std::max(s.RangeLow, s.RangeHigh);
  if (s.Logarithmic) {
    for (int k = int(std::floor(std::log10(lo))); k <= int(std::ceil(std::log10(hi))); ++k)
      for (int m = 1; m <= 9; ++m)
        if (const double v = m * std::pow(10.0, k); v >= lo && v <= hi)
          ticks.push_back({v, m == 1, m == 1 ? Label(v) : std::u16string()});
    return ticks;
  }
  long double first = 0, distance = 0;
  uint16_t sub = 0;
  qelta::bench::ClassicScalePars(s.MinTicks, lo, hi, first, distance, sub);
  const long double step = distance / sub;
  long double v = first - distance;
  for (int i = 0; v <= hi && i < s.MaxTicks; ++i, v += step)
    if (v >= lo) ticks.push_back({double(v), false, {}});
  v = first;
  for (int i = 0; v <= hi && i < s.MaxTicks; ++i, v += distance) ticks.push_back({double(v), true, Label(double(v))});
  return ticks;
}

// 10^5 random linear or logarithmic ranges per iteration.
void MakeTicks(benchmark::State& state, bool log) {
  const std::vector<qelta::TScaleTickRequest> specs = RandomSpecs(log);
  qelta::bench::RunSideBySide(
      state, [&] { for (const qelta::TScaleTickRequest& s : specs) benchmark::DoNotOptimize(qelta::MakeScaleTicks(s)); },
      [&] { for (const qelta::TScaleTickRequest& s : specs) benchmark::DoNotOptimize(PlainTicks(s)); });
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(specs.size()));
}

void BM_MakeScaleTicks_Linear_vs_Plain(benchmark::State& state) { MakeTicks(state, false); }
BENCHMARK(BM_MakeScaleTicks_Linear_vs_Plain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MakeScaleTicks_Log_vs_Plain(benchmark::State& state) { MakeTicks(state, true); }
BENCHMARK(BM_MakeScaleTicks_Log_vs_Plain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
