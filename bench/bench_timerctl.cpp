// Controls on timers and pictures, each beside the plain calls it comes down to: a 1,000-character
// dot-matrix label of 400 x 68 pixels (dot sizes 1 and 3) beside the same background and dots by
// FillRect/SetPixels on a bare bitmap; building the glyphs of a rasterised font beside the 224
// FillRect and TextOut calls it draws; a 2,000-pixel gradient bar beside the same coloured lines; a
// grid of 12 thumbnails of a 4000 x 3000 picture (and of one with a tenth of its pixels) that the
// host lends, beside the same 12 StretchDraw calls; 10^5 ticks of a held repeat button beside as
// many ticks of a bare TTimer.

#include <benchmark/benchmark.h>

#include <vector>

#include "Encoding.h"
#include "Forms.h"
#include "Qelta_ProgBar.h"
#include "Qelta_RasterLab.h"
#include "Qelta_Thumbnails.h"
#include "Qelta_repsbut.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

class TBenchRasterLab : public TRasterLab {
 public:
  using TRasterLab::Paint;
  using TRasterLab::TRasterLab;
};

class TBenchProgBar : public TProgBar {
 public:
  using TProgBar::Paint;
  using TProgBar::TProgBar;
};

class TBenchThumbs : public TThumbnails {
 public:
  using TThumbnails::Paint;
  using TThumbnails::TThumbnails;
};

String LongText() {
  String s;
  for (int i = 0; i < 1000; ++i) s += Char(u'!' + i % 90);
  return s;
}

void BM_RasterLabPaint_vs_Dots(benchmark::State& state) {
  const int ds = static_cast<int>(state.range(0));
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 420, 80);
  auto* lab = new TBenchRasterLab(&form);
  lab->SetParent(&form);
  lab->SetBounds(0, 0, 400, 68);
  lab->SetDotSize(ds);
  lab->SetText(LongText());
  user.Show(&form);
  // The dots that show: the same text drawn once into a probe, read back as dot rectangles.
  TBitmap probe(400, 68), bare(400, 68);
  probe.Canvas()->Brush()->SetColor(clBlack);
  probe.Canvas()->FillRect(Rect(0, 0, 400, 68));
  PaintString(probe.Canvas(), lab->CharMatrix(), 1, 1, LongText(), ds, 1, clLime, clBlack, rdbmOff, true);
  std::vector<TPoint> dots;
  for (int y = 0; y < 68; ++y)
    for (int x = 0; x < 400; ++x)
      if (probe.Canvas()->Pixels(x, y) == clLime && (ds == 1 || ((x - 1) % (ds + 1) == 0 && (y - 1) % (ds + 1) == 0)))
        dots.push_back(Point(x, y));
  TCanvas* c = bare.Canvas();
  qelta::bench::RunSideBySide(
      state, [&] { lab->Paint(); },
      [&] {
        c->Brush()->SetColor(0x404040);
        c->FillRect(Rect(0, 0, 400, 68));
        c->Brush()->SetColor(clLime);
        for (TPoint p : dots)
          if (ds == 1)
            c->SetPixels(p.X, p.Y, clLime);
          else
            c->FillRect(Rect(p.X, p.Y, p.X + ds, p.Y + ds));
      });
}
BENCHMARK(BM_RasterLabPaint_vs_Dots)->Arg(1)->Arg(3)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_CreateBitFont_vs_TextOut(benchmark::State& state) {
  TFont font;
  font.SetName(u"DejaVu Sans");
  font.SetHeight(-16);
  TBitmap bare(65, 65);
  TCanvas* c = bare.Canvas();
  c->Font()->Assign(&font);
  c->Font()->SetQuality(fqNonAntialiased);
  qelta::bench::RunSideBySide(
      state, [&] { benchmark::DoNotOptimize(TRasterLab::CreateBitFont(&font)); },
      [&] {
        for (int code = 32; code < 256; ++code) {
          c->Brush()->SetColor(clWhite);
          c->FillRect(Rect(0, 0, 65, 65));
          c->TextOut(0, 0, String(1, AnsiCharToChar(static_cast<unsigned char>(code))));
        }
      });
}
BENCHMARK(BM_CreateBitFont_vs_TextOut)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_ProgBarGradient_vs_Lines(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 2020, 40);
  auto* bar = new TBenchProgBar(&form);
  bar->SetParent(&form);
  bar->SetBounds(0, 0, 2008, 28);
  bar->SetValue(100);
  bar->SetShowColorGradient(true);
  bar->SetTextVisible(false);
  user.Show(&form);
  TBitmap bare(2008, 28);
  TCanvas* c = bare.Canvas();
  qelta::bench::RunSideBySide(
      state, [&] { bar->Paint(); },
      [&] {
        for (int k = 0; k < 2000; ++k) {
          c->Pen()->SetColor(bar->GetBarColorElem(k * 1023 / 2000));
          c->MoveTo(4 + k, 4);
          c->LineTo(4 + k, 24);
        }
      });
}
BENCHMARK(BM_ProgBarGradient_vs_Lines)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Thumbnails12_vs_StretchDraw(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 440, 420);
  auto* th = new TBenchThumbs(&form);
  th->SetParent(&form);
  th->SetBounds(0, 0, 426, 400);  // 3 columns, 4 rows
  const int w = static_cast<int>(state.range(0)), h = w * 3 / 4;
  TBitmap image(w, h);
  image.Canvas()->Brush()->SetColor(0x3080C0);
  image.Canvas()->Ellipse(0, 0, w, h);
  th->OnImageRequest = [&](TObject*, int, TImageRequestProcessing& how, int&, TThumbBuffer& buffer) {
    how = irpShowSlide;
    buffer.Lend(&image);  // the host's picture, drawn as it is
  };
  user.Show(&form);
  TBitmap bare(426, 400);
  TCanvas* c = bare.Canvas();
  c->SetStretchMode(COLORONCOLOR);
  qelta::bench::RunSideBySide(
      state, [&] { th->Paint(); },
      [&] {
        for (int i = 0; i < 12; ++i) c->StretchDraw(Bounds(17 + i % 3 * 136, 27 + i / 3 * 136, 120, 90), &image);
      });
}
BENCHMARK(BM_Thumbnails12_vs_StretchDraw)
    ->ArgName("picturewidth")
    ->Arg(4000)
    ->Arg(1265)  // a tenth of the pixels
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_RepeatTicks_vs_TTimer(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 100, 60);
  auto* but = new TRepSpeedButton(&form);
  but->SetParent(&form);
  but->SetStartClickInterval(10);
  but->SetRepeatClickInterval(10);
  int64_t ticks = 0;
  but->OnRepeatClick = [&](TObject*) { ++ticks; };
  TTimer timer(nullptr);
  timer.SetEnabled(false);
  timer.SetInterval(10);
  timer.OnTimer = [&](TObject*) { ++ticks; };
  user.Show(&form);
  qelta::bench::RunSideBySide(
      state,
      [&] {
        user.Press(but, 5, 5);
        user.Advance(1000000);  // 10^5 ticks
        user.Release(but, 5, 5);
      },
      [&] {
        timer.SetEnabled(true);
        user.Advance(1000000);
        timer.SetEnabled(false);
      });
  benchmark::DoNotOptimize(ticks);
}
BENCHMARK(BM_RepeatTicks_vs_TTimer)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
