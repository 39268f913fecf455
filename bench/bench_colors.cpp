// Palette look-up speed: TColorArray::ColorToIndex of 2 x 10^5 colours against 1000 palette entries,
// beside the anchor that scans the palette with RGBColorDistance (one square root per entry), the
// literal form of the nearest-colour rule. Both give the same indices; the figure is colours per
// second.

#include <benchmark/benchmark.h>

#include <vector>

#include "Qelta_qeltacolors.h"
#include "Random.h"
#include "SideBySide.h"

namespace {

constexpr int kColours = 200000;
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

// Each iteration maps all colours with ColorToIndex, then with the distance scan.
void BM_ColorToIndex_vs_DistanceScan(benchmark::State& state) {
  const auto& colours = Colours();
  const auto& palette = Palette();
  std::vector<qelta::TColor> entries(kPalette);
  for (int i = 0; i < kPalette; ++i) entries[i] = palette.GetColorElem(i + 1);
  int64_t ours = 0, anchor = 0;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        ours = 0;
        double d = 0;
        for (qelta::TColor c : colours) ours += palette.ColorToIndex(c, d);
      },
      [&] {
        anchor = 0;
        for (qelta::TColor c : colours) {
          double best = 1.0;
          int index = 1;
          for (int i = 0; i < kPalette; ++i) {
            const double d = qelta::RGBColorDistance(entries[i], c);
            if (d < best) best = d, index = i + 1;
          }
          anchor += index;
        }
      });
  if (ours != anchor) state.SkipWithError("the two look-ups found different indices");
  state.SetItemsProcessed(int64_t(state.iterations()) * kColours);
}
BENCHMARK(BM_ColorToIndex_vs_DistanceScan)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
