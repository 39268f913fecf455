// Canvas speed: many short lines, large shape fills, text output, bitmaps drawn onto a canvas; and
// side by side with Cairo (antialiasing off, one path per shape as the canvas takes one call per
// shape): filled and outlined rectangles and ellipses of 1..100 pixels, lines of about 100 pixels.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>

#include "Graphics.h"
#include "SideBySide.h"

using namespace qelta;

namespace {

void BM_ShortLines(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  for (auto _ : state) {
    uint32_t seed = 1;
    for (int i = 0; i < 1000000; ++i) {
      seed = seed * 134775813u + 1u;
      const int x = int(seed >> 8) % 1990, y = int(seed >> 16) % 1990;
      c->MoveTo(x, y);
      c->LineTo(x + int(seed & 7), y + int((seed >> 3) & 7));
    }
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_ShortLines)->Unit(benchmark::kMillisecond);

void BM_RectangleFill(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clRed);
  for (auto _ : state) c->Rectangle(0, 0, 2000, 2000);
}
BENCHMARK(BM_RectangleFill)->Unit(benchmark::kMillisecond);

void BM_EllipseFill(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clBlue);
  for (auto _ : state) c->Ellipse(0, 0, 2000, 2000);
}
BENCHMARK(BM_EllipseFill)->Unit(benchmark::kMillisecond);

void BM_WidePolyline(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Pen()->SetWidth(5);
  std::vector<TPoint> pts;
  for (int i = 0; i < 1000; ++i) pts.push_back({i * 2, 1000 + int(900 * ((i * 37) % 100) / 100.0) - 450});
  for (auto _ : state) c->Polyline(pts);
}
BENCHMARK(BM_WidePolyline)->Unit(benchmark::kMillisecond);

void BM_TextOut(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Brush()->SetStyle(bsClear);
  for (auto _ : state) {
    for (int i = 0; i < 100000; ++i) c->TextOut((i * 13) % 1900, (i * 7) % 1980, u"1.2345e+03");
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_TextOut)->Unit(benchmark::kMillisecond);

void BM_HalftoneShrink(benchmark::State& state) {
  TBitmap src(312, 432), dst(54, 60);
  dst.Canvas()->SetStretchMode(HALFTONE);
  for (auto _ : state) dst.Canvas()->StretchDraw(Rect(0, 0, 54, 60), &src);
}
BENCHMARK(BM_HalftoneShrink)->Unit(benchmark::kMicrosecond);

// Draw clips before it copies: a 400,000 x 60 bitmap on a 420 x 420 canvas costs what its visible
// 420 x 60 part costs (the anchor below); it used to copy the whole source first (0.38 s).
void BM_DrawHugeBitmapClipped(benchmark::State& state) {
  TBitmap src(400000, 60), dst(420, 420);
  for (auto _ : state) dst.Canvas()->Draw(0, 0, &src);
}
BENCHMARK(BM_DrawHugeBitmapClipped)->Unit(benchmark::kMicrosecond);

void BM_DrawVisiblePartAlone(benchmark::State& state) {
  TBitmap src(420, 60), dst(420, 420);
  for (auto _ : state) dst.Canvas()->Draw(0, 0, &src);
}
BENCHMARK(BM_DrawVisiblePartAlone)->Unit(benchmark::kMicrosecond);

// [SECTION] side by side with Cairo

constexpr int kSide = 640;
constexpr int kShapes = 20000;

// A 2000 x 2000 Cairo surface with antialiasing off and a one-pixel line.
struct TCairo {
  cairo_surface_t* Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSide, kSide);
  cairo_t* C = cairo_create(Surface);
  TCairo() {
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
  TCairo cairo;
  qelta::bench::SideBySide(
      state, kShapes,
      [&](int i) {
        const TShape s = ShapeAt(i);
        c->Rectangle(s.X, s.Y, s.X + s.W, s.Y + s.H);
      },
      [&](int i) {  // the fill inside the outline, the outline through the pixel centres
        const TShape s = ShapeAt(i);
        cairo_rectangle(cairo.C, s.X + 1, s.Y + 1, s.W - 2, s.H - 2);
        cairo_set_source_rgb(cairo.C, 1, 0, 0);
        cairo_fill(cairo.C);
        cairo_rectangle(cairo.C, s.X + 0.5, s.Y + 0.5, s.W - 1, s.H - 1);
        cairo_set_source_rgb(cairo.C, 0, 0, 0);
        cairo_stroke(cairo.C);
      });
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_Rectangles_VsCairo)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_Ellipses_VsCairo(benchmark::State& state) {
  TBitmap b(kSide, kSide);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clBlue);
  TCairo cairo;
  qelta::bench::SideBySide(
      state, kShapes,
      [&](int i) {
        const TShape s = ShapeAt(i);
        c->Ellipse(s.X, s.Y, s.X + s.W, s.Y + s.H);
      },
      [&](int i) {
        const TShape s = ShapeAt(i);
        cairo_save(cairo.C);
        cairo_translate(cairo.C, s.X + s.W / 2.0, s.Y + s.H / 2.0);
        cairo_scale(cairo.C, std::max(s.W - 1, 1) / 2.0, std::max(s.H - 1, 1) / 2.0);
        cairo_arc(cairo.C, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cairo.C);
        cairo_set_source_rgb(cairo.C, 0, 0, 1);
        cairo_fill_preserve(cairo.C);
        cairo_set_source_rgb(cairo.C, 0, 0, 0);
        cairo_stroke(cairo.C);
      });
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_Ellipses_VsCairo)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_Lines100_VsCairo(benchmark::State& state) {
  TBitmap b(kSide, kSide);
  TCanvas* c = b.Canvas();
  TCairo cairo;
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
BENCHMARK(BM_Lines100_VsCairo)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
