// Text rendering: drawing short labels into a large buffer and measuring many short strings,
// which is what axis labels and table cells do; both lean on the glyph and size caches.

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "FontEngine.h"

namespace {

using qelta::String;
using namespace qelta::platform_detail;

constexpr int kSide = 1000;

FontKey LabelFont() {
  FontKey key;
  key.Name = u"Arial";
  key.Height = -13;
  return key;
}

// 10^5 labels at scattered positions, horizontal or turned by `angle` tenths of a degree.
void DrawLabels(benchmark::State& state, int angle) {
  std::vector<uint32_t> pixels(static_cast<std::size_t>(kSide) * kSide, 0xFFFFFFFFu);
  PixelTarget target;
  target.Pixels = pixels.data();
  target.Width = target.Height = target.Stride = target.ClipRight = target.ClipBottom = kSide;
  const FontKey key = LabelFont();
  unsigned i = 0;
  for (auto _ : state) {
    const double x = (i * 37u) % 900u, y = 50 + (i * 53u) % 900u;
    DrawText(target, key, u"Label 1.25e-3", x, y, angle, 0x00203040, false, false);
    ++i;
  }
  benchmark::DoNotOptimize(pixels.data());
  state.SetItemsProcessed(state.iterations());
}

void BM_DrawText(benchmark::State& state) { DrawLabels(state, 0); }
void BM_DrawTextRotated(benchmark::State& state) { DrawLabels(state, 900); }

// 10^6 measurements cycling through a few dozen short strings.
void BM_TextAdvance(benchmark::State& state) {
  std::array<String, 32> texts;
  for (std::size_t k = 0; k < texts.size(); ++k) texts[k] = u"Value " + String(1, static_cast<char16_t>(u'A' + k));
  const FontKey key = LabelFont();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(TextAdvance(key, texts[i++ % texts.size()]));
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_DrawText)->Iterations(100000);
BENCHMARK(BM_DrawTextRotated)->Iterations(100000);
BENCHMARK(BM_TextAdvance)->Iterations(1000000);
