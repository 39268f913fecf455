// Small controls of settings panels, each beside the plain canvas calls it comes down to: a
// transparent on/off button painted over its parent (mask ANDed, bitmap ORed) beside one Draw of a
// bitmap of its size; the mark selector's palette beside 52 DrawMarkOnCanvas calls on a bare bitmap;
// the open list of 47 colours painted (DrawItem per item) beside the same Rectangle and TextRect calls; a
// 255-band gradient of 1920 x 1080 pixels beside 255 FillRect calls.

#include <benchmark/benchmark.h>

#include "Forms.h"
#include "Qelta_Colsel.h"
#include "Qelta_gradfl.h"
#include "Qelta_marksel.h"
#include "Qelta_onoffbut.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

class TBenchOnOff : public TOnOffBut {
 public:
  using TOnOffBut::Paint;
  using TOnOffBut::TOnOffBut;
};

void BM_OnOffTransparentPaint_vs_Draw(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* b = new TBenchOnOff(&form);
  b->SetParent(&form);
  b->SetBounds(10, 10, 160, 80);
  b->SetButtonStyle(oobsTrafficLPed);
  b->SetLeftText(u"walk");
  b->SetRightText(u"wait");
  b->Font()->SetQuality(fqNonAntialiased);
  b->SetTransparent(true);
  user.Show(&form);
  TBitmap picture(160, 80), target(160, 80);
  qelta::bench::RunSideBySide(
      state, [&] { b->Paint(); }, [&] { target.Canvas()->Draw(0, 0, &picture); });
}
BENCHMARK(BM_OnOffTransparentPaint_vs_Draw)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_MarkSelPaint_vs_DrawMarkOnCanvas(benchmark::State& state) {
  TMarkSel sel(nullptr);
  sel.SetNrOfRows(7);
  TBitmap ours(236, 178), bare(236, 178);
  TCanvas* c = bare.Canvas();
  qelta::bench::RunSideBySide(
      state, [&] { sel.DrawMarks(ours); },
      [&] {
        for (int m = 0; m < kMarkSelMarks; ++m) DrawMarkOnCanvas(c, uint8_t(m), 16 + 29 * (m % 8), 16 + 25 * (m / 8));
      });
}
BENCHMARK(BM_MarkSelPaint_vs_DrawMarkOnCanvas)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_ColSelList_vs_RectangleTextRect(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 900);
  auto* sel = new TColSel(&form);
  sel->SetParent(&form);
  sel->SetBounds(0, 0, 200, 0);
  sel->LoadStandardPalette();
  sel->SetDropDownCount(47);
  user.Show(&form);
  user.Click(sel, 100, 5);  // on the text: the list opens
  TPopupWindow* list = user.OpenPopup();
  const int h = sel->ItemHeight();
  TBitmap plain(200, 47 * h);
  TCanvas* c = plain.Canvas();
  qelta::bench::RunSideBySide(
      state,
      [&] {
        list->Invalidate();
        list->Update();
      },
      [&] {
        for (int i = 0; i < 47; ++i) {
          const TRect r = Rect(0, i * h, 200, (i + 1) * h);
          c->Brush()->SetColor(sel->GetArrayColor(i + 1));
          c->Rectangle(r.Left + 3, r.Top + 2, r.Left + 33, r.Bottom - 2);
          c->Brush()->SetColor(clWindow);
          c->TextRect(Rect(33, r.Top, 200, r.Bottom), 36, r.Top + 1, sel->GetArrayColorName(i + 1));
        }
      });
}
BENCHMARK(BM_ColSelList_vs_RectangleTextRect)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_GradFill255_vs_FillRect(benchmark::State& state) {
  TGradFill g(nullptr);
  g.SetNrColors(255);
  g.SetColorFirst(clNavy);
  g.SetColorLast(clYellow);
  TBitmap ours(1920, 1080), plain(1920, 1080);
  TCanvas* c = plain.Canvas();
  qelta::bench::RunSideBySide(
      state, [&] { g.DrawGradient(ours); },
      [&] {
        for (int k = 0; k < 255; ++k) {
          c->Brush()->SetColor(TColor(k * 0x010101));
          c->FillRect(Rect(0, k * 1080 / 255, 1920, (k + 1) * 1080 / 255));
        }
      });
}
BENCHMARK(BM_GradFill255_vs_FillRect)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace
