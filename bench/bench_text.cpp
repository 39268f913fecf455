// Text rendering: drawing short labels into a large buffer and measuring many short strings, which is
// what axis labels and table cells do; both lean on the glyph and size caches. Beside Cairo drawing and
// measuring the same text in the same family and em size (its own FreeType glyph cache, antialiased as
// ours, the label horizontal or turned by a quarter).

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "Encoding.h"
#include "FontEngine.h"
#include "SideBySide.h"

namespace {

using qelta::String;
using namespace qelta::platform_detail;

constexpr int kSide = 1000;
constexpr int kLabels = 10000;
constexpr int kMeasures = 100000;

FontKey LabelFont() {
  FontKey key;
  key.Name = u"Arial";
  key.Height = -13;
  return key;
}

// A kSide x kSide white buffer for ours and a Cairo surface of the same size in the resolved family.
struct TTargets {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(static_cast<std::size_t>(kSide) * kSide, 0xFFFFFFFFu);
  PixelTarget target;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSide, kSide);
  cairo_t* cr = cairo_create(surface);
  TTargets() {
    target.Pixels = pixels.data();
    target.Width = target.Height = target.Stride = target.ClipRight = target.ClipBottom = kSide;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, qelta::StringToUtf8(ResolveFontFamily(LabelFont().Name)).c_str(), CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, -LabelFont().Height);
    cairo_set_source_rgb(cr, 0x40 / 255.0, 0x30 / 255.0, 0x20 / 255.0);
  }
  ~TTargets() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  TTargets(const TTargets&) = delete;
  TTargets& operator=(const TTargets&) = delete;
};

// 10^4 labels at scattered positions per iteration, horizontal or turned by `angle` tenths of a degree.
void DrawLabels(benchmark::State& state, int angle) {
  TTargets t;
  const FontKey key = LabelFont();
  const String label = u"Label 1.25e-3";
  const std::string utf8 = qelta::StringToUtf8(label);
  cairo_font_extents_t font;
  cairo_font_extents(t.cr, &font);
  const auto x = [](int i) { return double((unsigned(i) * 37u) % 900u); };
  const auto y = [](int i) { return 50.0 + (unsigned(i) * 53u) % 900u; };
  qelta::bench::SideBySide(
      state, kLabels, [&](int i) { DrawText(t.target, key, label, x(i), y(i), angle, 0x00203040, false, false); },
      [&](int i) {
        cairo_save(t.cr);
        cairo_translate(t.cr, x(i), y(i));
        cairo_rotate(t.cr, -angle * M_PI / 1800);
        cairo_move_to(t.cr, 0, font.ascent);
        cairo_show_text(t.cr, utf8.c_str());
        cairo_restore(t.cr);
      });
  cairo_surface_flush(t.surface);
  benchmark::DoNotOptimize(t.pixels.data());
  state.SetItemsProcessed(state.iterations() * kLabels);
}

void BM_DrawText_vs_Cairo(benchmark::State& state) { DrawLabels(state, 0); }
void BM_DrawTextRotated_vs_Cairo(benchmark::State& state) { DrawLabels(state, 900); }

// 10^5 measurements per iteration cycling through a few dozen short strings.
void BM_TextAdvance_vs_CairoExtents(benchmark::State& state) {
  TTargets t;
  std::array<String, 32> texts;
  std::array<std::string, 32> utf8;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    texts[k] = u"Value " + String(1, static_cast<char16_t>(u'A' + k));
    utf8[k] = qelta::StringToUtf8(texts[k]);
  }
  const FontKey key = LabelFont();
  qelta::bench::SideBySide(
      state, kMeasures, [&](int i) { benchmark::DoNotOptimize(TextAdvance(key, texts[std::size_t(i) % texts.size()])); },
      [&](int i) {
        cairo_text_extents_t e;
        cairo_text_extents(t.cr, utf8[std::size_t(i) % utf8.size()].c_str(), &e);
        benchmark::DoNotOptimize(e.x_advance);
      });
  state.SetItemsProcessed(state.iterations() * kMeasures);
}

}  // namespace

BENCHMARK(BM_DrawText_vs_Cairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawTextRotated_vs_Cairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextAdvance_vs_CairoExtents)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
