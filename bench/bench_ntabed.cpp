// Table editor: a 1920 x 1080 view of a 10^4 x 50 table painted and scrolled top to bottom page by
// page (with and without OptimizeRowHeight), beside a string grid of the same size painting the same
// texts; AutoColWidth over 10^4 rows, beside std::to_chars formatting the same values and measuring
// each text; 10^5 committed texts (parsed, stored with their state, notified), beside std::from_chars
// reading the same texts into an array.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Forms.h"
#include "Grids.h"
#include "Qelta_ntabed.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

constexpr int kCols = 50, kRows = 10000, kWidth = 1920, kHeight = 1080;

double Value(int c, int r) { return std::sin(c * 0.37 + r * 0.011) * std::pow(10.0, c % 7 - 2); }

/// The editor with its commit hook open to the benchmark.
class TBenchEditor : public TNTabEd {
 public:
  using TNTabEd::TNTabEd;
  using TNTabEd::SetEditText;
};

/// A form of the viewport's size holding one control that fills it.
template <class T>
T* OnForm(TForm& form) {
  form.SetBounds(0, 0, kWidth, kHeight);
  auto* control = new T(&form);
  control->SetParent(&form);
  control->SetAlign(alClient);
  return control;
}

void FillEditor(TNTabEd* ed) {
  ed->SetSuppressPaint(true);
  ed->Redimension(kCols, kRows);
  for (int c = 1; c <= kCols; ++c)
    for (int r = 1; r <= kRows; ++r) ed->SetElem(c, r, Value(c, r));
  ed->SetSuppressPaint(false);
}

/// Scrolls from the top to the bottom by pages, each page painted at once.
template <class Grid, class SetTop>
void Sweep(Grid* grid, int firstRow, int rows, SetTop setTop) {
  setTop(firstRow);
  const int page = std::max(grid->VisibleRowCount(), 1);
  for (int r = firstRow; r <= rows; r += page) {
    setTop(r);
    grid->Invalidate();
    grid->Update();
  }
}

void BM_PaintScroll_vs_StringGrid(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr), anchorForm(nullptr);
  auto* ed = OnForm<TNTabEd>(form);
  FillEditor(ed);
  ed->SetOptRowHeight(state.range(0) != 0);
  auto* grid = OnForm<TStringGrid>(anchorForm);
  grid->SetColCount(kCols + 2);
  grid->SetRowCount(kRows + 1);
  grid->SetFixedCols(2);
  for (int c = 1; c <= kCols; ++c)
    for (int r = 1; r <= kRows; ++r) grid->SetCells(c + 1, r, FormatWithPrecision(1, 3, Value(c, r)));
  user.Show(&form);
  user.Show(&anchorForm);
  qelta::bench::RunSideBySide(
      state, [&] { Sweep(ed, 1, kRows, [&](int r) { ed->SetTopRow(r); }); },
      [&] { Sweep(grid, 1, kRows, [&](int r) { grid->SetTopRow(r); }); });
}
BENCHMARK(BM_PaintScroll_vs_StringGrid)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AutoColWidth_vs_ToChars(benchmark::State& state) {
  TNTabEd ed(nullptr);
  FillEditor(&ed);
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(ed.Font());
  int width = 0;
  qelta::bench::RunSideBySide(
      state, [&] { benchmark::DoNotOptimize(ed.AutoColWidth(7, true, 0)); },
      [&] {
        char buffer[40];
        int a = 0;
        for (int r = 1; r <= kRows; ++r) {
          const auto end = std::to_chars(buffer, buffer + sizeof buffer, Value(7, r), std::chars_format::fixed, 3).ptr;
          a = std::max(a, probe.Canvas()->TextWidth(AnsiToString(std::string(buffer, end))));
        }
        width = a + 8;
      });
  benchmark::DoNotOptimize(width);
}
BENCHMARK(BM_AutoColWidth_vs_ToChars)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Commits_vs_FromChars(benchmark::State& state) {
  constexpr int kCommits = 100000;
  TBenchEditor ed(nullptr);
  ed.Redimension(kCols, kRows / 5);
  std::vector<std::string> texts;
  for (int i = 0; i < kCommits; ++i) texts.push_back(std::to_string(Value(i % kCols + 1, i / kCols)));
  std::vector<String> wide;
  for (const std::string& t : texts) wide.push_back(AnsiToString(t));
  std::vector<double> values(kCommits);
  std::vector<uint8_t> states(kCommits);
  qelta::bench::SideBySide(
      state, kCommits,
      [&](int i) { ed.SetEditText(i % kCols + 1 + ed.ColOffset(), i / kCols + 1 + ed.RowOffset(), wide[i]); },
      [&](int i) {
        const std::string& t = texts[i];
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), values[i]);
        states[i] = ec == std::errc() && end == t.data() + t.size() ? 0 : 1;
      });
  if (ed.GetElem(1, 1) != values[0]) state.SkipWithError("the editor holds another value");
}
BENCHMARK(BM_Commits_vs_FromChars)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
