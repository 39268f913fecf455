// Colour scale and gauge: 10^6 ValueToColor calls beside the same look-up written inline over a plain
// array; 10^5 ColorToValue calls beside the literal nearest-colour scan (RGBColorDistance over the
// 1000 palette entries); 10^3 and 10^4 gauge paints beside as many paints of its helper scale alone
// into a bitmap of the same size (the part of the picture the gauge builds on).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Qelta_ColorScale.h"
#include "Qelta_Gauge.h"
#include "Random.h"
#include "SideBySide.h"

namespace {

std::vector<double> Values(int n) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = -12 + 24.0 * i / n;
  return v;
}

void BM_ValueToColor_vs_InlineLookup(benchmark::State& state) {
  constexpr int kCalls = 1000000;
  qelta::TColorScale scale(nullptr);
  const std::vector<double> values = Values(kCalls);
  std::vector<qelta::TColor> palette(1000);
  for (int i = 0; i < 1000; ++i) palette[i] = scale.ColorArray()->GetColorElem(i + 1);
  int64_t sum = 0;
  qelta::bench::SideBySide(
      state, kCalls, [&](int i) { sum += scale.ValueToColor(values[i]); },
      [&](int i) {
        const double x = std::nearbyint((values[i] + 10) * 1000 / 20);
        sum += palette[static_cast<std::size_t>(std::clamp(x, 1.0, 1000.0)) - 1];
      });
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ValueToColor_vs_InlineLookup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ColorToValue_vs_DistanceScan(benchmark::State& state) {
  constexpr int kCalls = 100000;
  qelta::TColorScale scale(nullptr);
  std::vector<qelta::TColor> palette(1000), colours(kCalls);
  for (int i = 0; i < 1000; ++i) palette[i] = scale.ColorArray()->GetColorElem(i + 1);
  qelta::RandSeed = 26;
  for (qelta::TColor& c : colours) c = qelta::RandomColor();
  double sum = 0;
  qelta::bench::SideBySide(
      state, kCalls, [&](int i) { sum += scale.ColorToValue(colours[i]); },
      [&](int i) {
        double best = 1.0;
        int index = 1;
        for (int k = 0; k < 1000; ++k) {
          const double d = qelta::RGBColorDistance(palette[k], colours[i]);
          if (d < best) best = d, index = k + 1;
        }
        sum += -10 + index / 1000.0 * 20;
      });
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ColorToValue_vs_DistanceScan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

class TBenchGauge : public qelta::TScaleGauge {
 public:
  using TScaleGauge::Paint;
  using TScaleGauge::TScaleGauge;
};

void BM_GaugePaint_vs_ItsScale(benchmark::State& state) {
  const int paints = static_cast<int>(state.range(0));
  TBenchGauge gauge(nullptr);  // 300 x 75, vertical gradient, triangle index
  gauge.SetValue(3.5);
  qelta::TBitmap host(300, 75);
  qelta::TScale scale(nullptr);
  scale.SetIsHelper(true);
  scale.SetTransparent(true);
  scale.SetBounds(0, 0, 300, 75);
  scale.SetRange(-10, 10);
  scale.SetMarginLeft(20);  // as the gauge lays its scale out
  scale.SetMarginRight(10);
  scale.SetMarginTop(10);
  scale.SetMarginBottom(30);
  scale.UseForeignCanvas(host.Canvas(), 0, 0);
  qelta::bench::SideBySide(
      state, paints, [&gauge](int) { gauge.Paint(); }, [&scale](int) { scale.ForcePaint(); });
}
BENCHMARK(BM_GaugePaint_vs_ItsScale)
    ->ArgName("paints")
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
