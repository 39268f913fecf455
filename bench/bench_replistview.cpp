// Report list view: painting a view of 40 rows x 20 columns beside a string grid of the same size
// painting the same texts; AutoColWidth over 10^5 cells beside summing TextWidth over the same texts;
// a header-click sort of 10^5 rows beside the data's TRLData::Sort alone.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "Encoding.h"
#include "Forms.h"
#include "Grids.h"
#include "Qelta_replist.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

constexpr int kPaintCols = 20, kPaintRows = 40;

std::string Cell(int c, int r) { return "v" + std::to_string((int64_t{c} * 7919 + int64_t{r} * 104729) % 100000); }

void FillView(TReportListView* v, int cols, int rows) {
  v->SetSuppressPaint(true);
  v->SetNrCols(cols);
  v->SetNrRows(rows);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c) v->SetElem(c, r, Cell(c, r));
  v->SetSuppressPaint(false);
}

void BM_Paint_vs_StringGrid(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr), anchorForm(nullptr);
  const int width = kPaintCols * 65, height = (kPaintRows + 1) * 25 + 2;
  form.SetBounds(0, 0, width, height);
  anchorForm.SetBounds(0, 0, width, height);
  auto* view = new TReportListView(&form);
  view->SetParent(&form);
  view->SetAlign(alClient);
  FillView(view, kPaintCols, kPaintRows);
  view->SetCheckedCol(3, true);
  auto* grid = new TStringGrid(&anchorForm);
  grid->SetParent(&anchorForm);
  grid->SetAlign(alClient);
  grid->SetColCount(kPaintCols);
  grid->SetRowCount(kPaintRows + 1);
  grid->SetFixedCols(0);
  for (int r = 1; r <= kPaintRows; ++r)
    for (int c = 1; c <= kPaintCols; ++c) grid->SetCells(c - 1, r, AnsiToString(Cell(c, r)));
  user.Show(&form);
  user.Show(&anchorForm);
  qelta::bench::RunSideBySide(
      state,
      [&] {
        view->Invalidate();
        view->Update();
      },
      [&] {
        grid->Invalidate();
        grid->Update();
      });
}
BENCHMARK(BM_Paint_vs_StringGrid)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_AutoColWidth_vs_TextWidth(benchmark::State& state) {
  constexpr int kRows = 100000;
  TReportListView view(nullptr);
  FillView(&view, 2, kRows);
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(view.Font());
  std::vector<String> texts;
  for (int r = 1; r <= kRows; ++r) texts.push_back(AnsiToString(Cell(2, r)));
  int widest = 0;
  qelta::bench::RunSideBySide(
      state, [&] { view.AutoColWidth(2, true, 0); },
      [&] {
        int w = 0;
        for (const String& t : texts) w = std::max(w, probe.Canvas()->TextWidth(t));
        widest = w + 9;
      });
  benchmark::DoNotOptimize(widest);
}
BENCHMARK(BM_AutoColWidth_vs_TextWidth)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_HeaderClickSort_vs_DataSort(benchmark::State& state) {
  constexpr int kRows = 100000;
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* view = new TReportListView(&form);
  view->SetParent(&form);
  view->SetAlign(alClient);
  FillView(view, 3, kRows);
  TRLData data(nullptr);
  data.SetNrCols(3);
  data.SetNrRows(kRows);
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= 3; ++c) data.SetElem(c, r, Cell(c, r));
  user.Show(&form);
  const TRect header = view->CellRect(1, 0);
  bool ascending = true;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        user.Advance(1000);  // never a double click
        user.Click(view, header.Left + header.Width() / 2, header.Top + 5);
      },
      [&] {
        ascending = !ascending;
        data.Sort(2, -1, ascending);
      });
}
BENCHMARK(BM_HeaderClickSort_vs_DataSort)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

}  // namespace

BENCHMARK_MAIN();
