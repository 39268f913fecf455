// Palette look-up speed: TColorArray::ColorToIndex of 10^6 colours against 1000 palette entries,
// beside the anchor that scans the palette with RGBColorDistance (one square root per entry), the
// literal form of the nearest-colour rule. Both give the same indices; the figure is colours per
// second.

#include <benchmark/benchmark.h>

#include <vector>

#include "Qelta_qeltacolors.h"
#include "Random.h"

namespace {

constexpr int kColours = 1000000;
constexpr int kPalette = 1000;

const std::vector<qelta::TColor>& Colours() {
  static const std::vector<qelta::TColor> colours = [] {
    qelta::RandSeed = 42;
    std::vector<qelta::TColor> v(kColours);
    for (qelta::TColor& c : v) c = qelta::RandomColor();
    return v;
  }();
  return colours;
}

qelta::TColorArray& Palette() {
  static qelta::TColorArray palette(nullptr);  // the rainbow of a new palette, 1000 entries
  return palette;
}

void BM_ColorToIndex(benchmark::State& state) {
  const auto& colours = Colours();
  const auto& palette = Palette();
  for (auto _ : state) {
    int64_t sum = 0;
    double d = 0;
    for (qelta::TColor c : colours) sum += palette.ColorToIndex(c, d);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kColours);
}

void BM_DistanceScanAnchor(benchmark::State& state) {
  const auto& colours = Colours();
  std::vector<qelta::TColor> entries(kPalette);
  for (int i = 0; i < kPalette; ++i) entries[i] = Palette().GetColorElem(i + 1);
  for (auto _ : state) {
    int64_t sum = 0;
    for (qelta::TColor c : colours) {
      double best = 1.0;
      int index = 1;
      for (int i = 0; i < kPalette; ++i) {
        const double d = qelta::RGBColorDistance(entries[i], c);
        if (d < best) best = d, index = i + 1;
      }
      sum += index;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kColours);
}

BENCHMARK(BM_ColorToIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistanceScanAnchor)->Unit(benchmark::kMillisecond);

}  // namespace
