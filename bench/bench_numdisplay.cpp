// Numeric controls and displays: 10^4 repaints of a shown TNumIO2 (buttons and gauge, SetNioValue)
// and of a shown TNumLab (SetValue), each a full Paint into a fresh off-screen bitmap copied onto the
// form, beside the bare work of such a paint: a bitmap of the same size filled, the number written
// with TextOut and the bitmap copied. The seven-segment display's cache rebuild (21 glyphs composed
// on the 312 x 432 master with flood fills and scaled with HALFTONE) beside one HALFTONE scaling of
// the master to a glyph, and its caption paint (copies of cached glyphs) beside a fill and copy of
// its size.

#include <benchmark/benchmark.h>

#include <memory>

#include "Forms.h"
#include "Qelta_NumIO.h"
#include "Qelta_NumLab.h"
#include "Qelta_sevenseg.h"
#include "SideBySide.h"
#include "SysUtils.h"
#include "Testing.h"

namespace {

using namespace qelta;

constexpr int kPaints = 10000;

// A bitmap of w x h filled, the text written, and copied onto target.
void BarePaint(TBitmap& target, int w, int h, const String& text) {
  TBitmap b(w, h);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(Rect(0, 0, w, h));
  c->TextOut(40, 6, text);
  target.Canvas()->CopyRect(Rect(0, 0, w, h), c, Rect(0, 0, w, h));
}

void NumIO2Paint(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 240, 60);
  auto* n = new TNumIO2(&form);
  n->SetParent(&form);
  n->SetBounds(10, 10, 200, 40);
  n->SetButVisible(true);
  n->SetGaugeVisible(true);
  user.Show(&form);
  TBitmap target(240, 60);
  qelta::bench::SideBySide(
      state, kPaints, [&](int i) { n->SetNioValue(i % 1000); },
      [&](int i) { BarePaint(target, 200, 40, FloatToStrF(i % 1000, ffFixed, 15, 2)); });
}
BENCHMARK(NumIO2Paint)->Name("TNumIO2 paint x 10^4 / fill + TextOut + copy")->UseManualTime()->Iterations(5);

void NumLabPaint(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 240, 60);
  auto* lab = new TNumLab(&form);
  lab->SetParent(&form);
  lab->SetBounds(10, 10, 160, 28);
  lab->SetLeftText(u"U");
  user.Show(&form);
  TBitmap target(240, 60);
  qelta::bench::SideBySide(
      state, kPaints, [&](int i) { lab->SetValue(i + 0.25); },
      [&](int i) { BarePaint(target, 160, 28, FloatToStrF(i + 0.25, ffFixed, 15, 2)); });
}
BENCHMARK(NumLabPaint)->Name("TNumLab paint x 10^4 / fill + TextOut + copy")->UseManualTime()->Iterations(5);

void SevenSegCache(benchmark::State& state) {
  TSevenSeg seg(nullptr);
  TBitmap master(312, 432), glyph(48, 60);
  master.Canvas()->Brush()->SetColor(0x0000FF);
  master.Canvas()->FillRect(Rect(0, 0, 312, 432));
  glyph.Canvas()->SetStretchMode(HALFTONE);
  qelta::bench::RunSideBySide(
      state, [&] { seg.CreateImageCache(); },
      [&] { glyph.Canvas()->CopyRect(Rect(0, 0, 48, 60), master.Canvas(), Rect(0, 0, 312, 432)); });
}
BENCHMARK(SevenSegCache)->Name("TSevenSeg cache rebuild / one HALFTONE scaling of the master")->UseManualTime()->Iterations(20);

void SevenSegPaint(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 240, 100);
  auto* seg = new TSevenSeg(&form);
  seg->SetParent(&form);
  user.Show(&form);
  TBitmap target(240, 100);
  const String captions[] = {u"8.8.8.8.", u"12.5"};
  qelta::bench::SideBySide(
      state, kPaints, [&](int i) { seg->SetCaption(captions[i % 2]); },
      [&](int i) { BarePaint(target, 216, 76, captions[i % 2]); });
}
BENCHMARK(SevenSegPaint)->Name("TSevenSeg caption paint x 10^4 / fill + TextOut + copy")->UseManualTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
