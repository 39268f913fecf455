// Canvas speed side by side with Cairo (antialiasing off, one path per shape as the canvas takes one call
// per shape): many short lines, large shape fills, a wide polyline, text output, a halftone shrink;
// filled and outlined rectangles and ellipses of 1..100 pixels, lines of about 100 pixels; and a huge
// bitmap drawn clipped beside a plain loop copying its visible pixels.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Encoding.h"
#include "FontEngine.h"
#include "Graphics.h"
#include "SideBySide.h"

using namespace qelta;

namespace {

// A side x side Cairo surface with antialiasing off and a one-pixel line.
struct TCairo {
  cairo_surface_t* Surface;
  cairo_t* C;
  explicit TCairo(int side)
      : Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side)), C(cairo_create(Surface)) {
    cairo_set_antialias(C, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(C, 1.0);
  }
  ~TCairo() {
    cairo_destroy(C);
    cairo_surface_destroy(Surface);
  }
  TCairo(const TCairo&) = delete;
  TCairo& operator=(const TCairo&) = delete;
};

// The fill inside the outline, the outline through the pixel centres, as Rectangle and Ellipse draw them.
void CairoRectangle(cairo_t* c, double x, double y, double w, double h) {
  cairo_rectangle(c, x + 1, y + 1, w - 2, h - 2);
  cairo_set_source_rgb(c, 1, 0, 0);
  cairo_fill(c);
  cairo_rectangle(c, x + 0.5, y + 0.5, w - 1, h - 1);
  cairo_set_source_rgb(c, 0, 0, 0);
  cairo_stroke(c);
}

void CairoEllipse(cairo_t* c, double x, double y, double w, double h) {
  cairo_save(c);
  cairo_translate(c, x + w / 2.0, y + h / 2.0);
  cairo_scale(c, std::max(w - 1, 1.0) / 2.0, std::max(h - 1, 1.0) / 2.0);
  cairo_arc(c, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(c);
  cairo_set_source_rgb(c, 0, 0, 1);
  cairo_fill_preserve(c);
  cairo_set_source_rgb(c, 0, 0, 0);
  cairo_stroke(c);
}

constexpr int kShortLines = 1000000;

void BM_ShortLines_VsCairo(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  TCairo cairo(2000);
  cairo_set_source_rgb(cairo.C, 0, 0, 0);
  const auto line = [](uint32_t& seed, int& x, int& y, int& dx, int& dy) {
    seed = seed * 134775813u + 1u;
    x = int(seed >> 8) % 1990, y = int(seed >> 16) % 1990, dx = int(seed & 7), dy = int((seed >> 3) & 7);
  };
  qelta::bench::RunSideBySide(
      state,
      [&] {
        uint32_t seed = 1;
        for (int i = 0, x, y, dx, dy; i < kShortLines; ++i) {
          line(seed, x, y, dx, dy);
          c->MoveTo(x, y);
          c->LineTo(x + dx, y + dy);
        }
      },
      [&] {
        uint32_t seed = 1;
        for (int i = 0, x, y, dx, dy; i < kShortLines; ++i) {
          line(seed, x, y, dx, dy);
          cairo_move_to(cairo.C, x + 0.5, y + 0.5);
          cairo_line_to(cairo.C, x + dx + 0.5, y + dy + 0.5);
          cairo_stroke(cairo.C);
        }
      });
  state.SetItemsProcessed(state.iterations() * kShortLines);
}
BENCHMARK(BM_ShortLines_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// One 2000 x 2000 shape per call, ten calls per iteration.
template <typename Ours, typename Anchor>
void LargeShape(benchmark::State& state, TColor brush, Ours ours, Anchor anchor) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(brush);
  TCairo cairo(2000);
  qelta::bench::SideBySide(state, 10, [&](int) { ours(c); }, [&](int) { anchor(cairo.C); });
}

void BM_RectangleFill_VsCairo(benchmark::State& state) {
  LargeShape(
      state, clRed, [](TCanvas* c) { c->Rectangle(0, 0, 2000, 2000); },
      [](cairo_t* c) { CairoRectangle(c, 0, 0, 2000, 2000); });
}
BENCHMARK(BM_RectangleFill_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_EllipseFill_VsCairo(benchmark::State& state) {
  LargeShape(
      state, clBlue, [](TCanvas* c) { c->Ellipse(0, 0, 2000, 2000); }, [](cairo_t* c) { CairoEllipse(c, 0, 0, 2000, 2000); });
}
BENCHMARK(BM_EllipseFill_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// A 1000-point zigzag, pen width 5 (round joins and ends), ten per iteration.
void BM_WidePolyline_VsCairo(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Pen()->SetWidth(5);
  std::vector<TPoint> pts;
  for (int i = 0; i < 1000; ++i) pts.push_back({i * 2, 1000 + int(900 * ((i * 37) % 100) / 100.0) - 450});
  TCairo cairo(2000);
  cairo_set_line_width(cairo.C, 5);
  cairo_set_line_join(cairo.C, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cairo.C, CAIRO_LINE_CAP_ROUND);
  cairo_set_source_rgb(cairo.C, 0, 0, 0);
  qelta::bench::SideBySide(
      state, 10, [&](int) { c->Polyline(pts); },
      [&](int) {
        cairo_move_to(cairo.C, pts[0].X + 0.5, pts[0].Y + 0.5);
        for (const TPoint& p : pts) cairo_line_to(cairo.C, p.X + 0.5, p.Y + 0.5);
        cairo_stroke(cairo.C);
      });
}
BENCHMARK(BM_WidePolyline_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// 10^5 numbers in the canvas's default font, beside Cairo in the family it resolves to, same em size.
void BM_TextOut_VsCairo(benchmark::State& state) {
  constexpr int kTexts = 100000;
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Brush()->SetStyle(bsClear);
  TCairo cairo(2000);
  cairo_set_antialias(cairo.C, CAIRO_ANTIALIAS_DEFAULT);
  cairo_select_font_face(cairo.C, StringToUtf8(platform_detail::ResolveFontFamily(c->Font()->Name())).c_str(),
                         CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cairo.C, std::abs(c->Font()->Height()));
  cairo_set_source_rgb(cairo.C, 0, 0, 0);
  cairo_font_extents_t font;
  cairo_font_extents(cairo.C, &font);
  qelta::bench::SideBySide(
      state, kTexts, [&](int i) { c->TextOut((i * 13) % 1900, (i * 7) % 1980, u"1.2345e+03"); },
      [&](int i) {
        cairo_move_to(cairo.C, (i * 13) % 1900, (i * 7) % 1980 + font.ascent);
        cairo_show_text(cairo.C, "1.2345e+03");
      });
  state.SetItemsProcessed(state.iterations() * kTexts);
}
BENCHMARK(BM_TextOut_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// A 312 x 432 picture averaged down to 54 x 60, 100 times per iteration, beside Cairo's box filter
// (CAIRO_FILTER_GOOD) scaling the same surface.
void BM_HalftoneShrink_VsCairo(benchmark::State& state) {
  TBitmap src(312, 432), dst(54, 60);
  dst.Canvas()->SetStretchMode(HALFTONE);
  cairo_surface_t* from = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 312, 432);
  TCairo to(60);
  qelta::bench::SideBySide(
      state, 100, [&](int) { dst.Canvas()->StretchDraw(Rect(0, 0, 54, 60), &src); },
      [&](int) {
        cairo_save(to.C);
        cairo_scale(to.C, 54.0 / 312, 60.0 / 432);
        cairo_set_source_surface(to.C, from, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(to.C), CAIRO_FILTER_GOOD);
        cairo_paint(to.C);
        cairo_restore(to.C);
      });
  cairo_surface_destroy(from);
}
BENCHMARK(BM_HalftoneShrink_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Draw clips before it copies: a 400,000 x 60 bitmap on a 420 x 420 canvas costs what copying its
// visible 420 x 60 part costs (it used to copy the whole source first, 0.38 s); 100 draws per iteration
// beside a plain loop copying the same visible pixels row by row.
void BM_DrawHugeBitmapClipped_VsRowCopy(benchmark::State& state) {
  TBitmap src(400000, 60), dst(420, 420), plain(420, 420);
  qelta::bench::SideBySide(
      state, 100, [&](int) { dst.Canvas()->Draw(0, 0, &src); },
      [&](int) {
        for (int r = 0; r < 60; ++r) std::copy_n(src.ScanLine(r), 420, plain.ScanLine(r));
        benchmark::ClobberMemory();
      });
}
BENCHMARK(BM_DrawHugeBitmapClipped_VsRowCopy)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// [SECTION] many small shapes

constexpr int kSide = 640;
constexpr int kShapes = 20000;

// Shape i: position and size 1..100 from a fixed sequence.
struct TShape {
  int X, Y, W, H;
};
TShape ShapeAt(int i) {
  const uint32_t h = uint32_t(i) * 2654435761u;
  return {int(h % (kSide - 100)), int((h >> 11) % (kSide - 100)), 1 + int(h % 100), 1 + int((h >> 7) % 100)};
}

void BM_Rectangles_VsCairo(benchmark::State& state) {
  TBitmap b(kSide, kSide);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clRed);
  TCairo cairo(kSide);
  qelta::bench::SideBySide(
      state, kShapes,
      [&](int i) {
        const TShape s = ShapeAt(i);
        c->Rectangle(s.X, s.Y, s.X + s.W, s.Y + s.H);
      },
      [&](int i) {
        const TShape s = ShapeAt(i);
        CairoRectangle(cairo.C, s.X, s.Y, s.W, s.H);
      });
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_Rectangles_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_Ellipses_VsCairo(benchmark::State& state) {
  TBitmap b(kSide, kSide);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clBlue);
  TCairo cairo(kSide);
  qelta::bench::SideBySide(
      state, kShapes,
      [&](int i) {
        const TShape s = ShapeAt(i);
        c->Ellipse(s.X, s.Y, s.X + s.W, s.Y + s.H);
      },
      [&](int i) {
        const TShape s = ShapeAt(i);
        CairoEllipse(cairo.C, s.X, s.Y, s.W, s.H);
      });
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_Ellipses_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_Lines100_VsCairo(benchmark::State& state) {
  TBitmap b(kSide, kSide);
  TCanvas* c = b.Canvas();
  TCairo cairo(kSide);
  cairo_set_source_rgb(cairo.C, 0, 0, 0);
  auto line = [](int i, int& x0, int& y0, int& x1, int& y1) {  // about 100 pixels in every direction
    const uint32_t h = uint32_t(i) * 2654435761u;
    const double a = (h % 3600) * M_PI / 1800;
    x0 = 100 + int(h % (kSide - 200)), y0 = 100 + int((h >> 12) % (kSide - 200));
    x1 = x0 + int(std::lround(100 * std::cos(a))), y1 = y0 + int(std::lround(100 * std::sin(a)));
  };
  qelta::bench::SideBySide(
      state, kShapes,
      [&](int i) {
        int x0, y0, x1, y1;
        line(i, x0, y0, x1, y1);
        c->MoveTo(x0, y0);
        c->LineTo(x1, y1);
      },
      [&](int i) {
        int x0, y0, x1, y1;
        line(i, x0, y0, x1, y1);
        cairo_move_to(cairo.C, x0 + 0.5, y0 + 0.5);
        cairo_line_to(cairo.C, x1 + 0.5, y1 + 0.5);
        cairo_stroke(cairo.C);
      });
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_Lines100_VsCairo)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
