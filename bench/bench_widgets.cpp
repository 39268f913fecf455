// Widgets: a string grid filling the headless desktop (1280 x 1024) painted through the message loop,
// beside the same cells drawn by plain FillRect and TextRect calls on a bitmap; 10^4 keystrokes typed
// into an edit through the scripted user (digits and Backspace, each processed and painted), beside
// the same text changes drawn by plain FillRect and TextRect calls.

#include <benchmark/benchmark.h>

#include "Edits.h"
#include "Grids.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

constexpr int kCols = 20, kRows = 60;

String CellText(int c, int r) { return IntToStr(r) + u"." + IntToStr(c) + u" mg"; }

void BM_GridPaint_vs_TextRect(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, DesktopWidth, DesktopHeight);
  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetAlign(alClient);
  grid->SetColCount(kCols);
  grid->SetRowCount(kRows);
  for (int c = 0; c < kCols; ++c)
    for (int r = 0; r < kRows; ++r) grid->SetCells(c, r, CellText(c, r));
  user.Show(&form);
  TBitmap plain(DesktopWidth, DesktopHeight);
  TCanvas* canvas = plain.Canvas();
  qelta::bench::RunSideBySide(
      state,
      [&] {
        grid->Invalidate();
        grid->Update();
      },
      [&] {
        canvas->Brush()->SetColor(clWindow);
        canvas->FillRect(Rect(0, 0, DesktopWidth, DesktopHeight));
        for (int r = 0; r < kRows; ++r)
          for (int c = 0; c < kCols; ++c) {
            const TRect cell = Bounds(c * 65, r * 25, 64, 24);
            if (cell.Left >= DesktopWidth || cell.Top >= DesktopHeight) continue;
            canvas->Brush()->SetColor(c == 0 || r == 0 ? clBtnFace : clWindow);
            canvas->FillRect(cell);
            canvas->TextRect(cell, cell.Left + 2, cell.Top + 2, CellText(c, r));
          }
      });
}
BENCHMARK(BM_GridPaint_vs_TextRect)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_EditKeystrokes_vs_TextRect(benchmark::State& state) {
  constexpr int kKeys = 10000;
  TScriptedUser user;
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(10, 10, 200, 21);
  user.Show(&form);
  edit->SetFocus();
  TBitmap plain(200, 21);
  TCanvas* canvas = plain.Canvas();
  auto key = [](int i) { return i % 16 < 8 ? static_cast<Word>(VK_0 + i % 8) : VK_BACK; };
  String text;
  qelta::bench::SideBySide(
      state, kKeys, [&](int i) { user.PressKey(key(i)); },
      [&](int i) {
        if (key(i) == VK_BACK) text.pop_back();
        else text += static_cast<Char>(key(i));
        canvas->Brush()->SetColor(clWindow);
        canvas->FillRect(Rect(0, 0, 200, 21));
        canvas->TextRect(Rect(3, 3, 197, 18), 3, 4, text);
      });
  if (edit->Text() != text) state.SkipWithError("the edit holds another text");
}
BENCHMARK(BM_EditKeystrokes_vs_TextRect)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
