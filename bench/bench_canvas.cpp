// Canvas speed: many short lines, large shape fills, text output, bitmaps drawn onto a canvas.

#include <benchmark/benchmark.h>

#include "Graphics.h"

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

}  // namespace
