// Table editor clipboard and marks, month calendar painting:
//  - Copy of 10^5 cells in full precision, beside std::to_chars writing the same values into one text;
//  - Paste of 10^5 kept cells (values and states), beside a loop copying the same values and states
//    between plain arrays;
//  - Extract of the 10^4 and the 10^5 numbers of such a text from the clipboard, beside
//    std::from_chars reading the same tokens into an array;
//  - marking 10^5 and 10^6 cells by the menu (one paint), beside a loop setting the same bit in a
//    byte array; the same marking without a window (the states alone);
//  - the calendar painted 20 times with 10^4 holidays of the host, beside the calendar with none of
//    the host's (the built-in ones and the movable feasts in both).

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Clipbrd.h"
#include "DateUtils.h"
#include "Encoding.h"
#include "Forms.h"
#include "Qelta_MiniCal.h"
#include "Qelta_ntabed.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

constexpr int kCols = 100, kRows = 1000;  // 10^5 cells

double Value(int c, int r) { return std::sin(c * 0.37 + r * 0.011) * std::pow(10.0, c % 7 - 2); }

void FillEditor(TNTabEd& ed, int cols, int rows) {
  ed.SetSuppressPaint(true);
  ed.Redimension(cols, rows);
  for (int c = 1; c <= cols; ++c)
    for (int r = 1; r <= rows; ++r) ed.SetElem(c, r, Value(c, r));
  ed.SetSuppressPaint(false);
}

void SelectAll(TNTabEd& ed) { ed.PopupMenuClickSelAll(&ed); }

/// The anchor's text of the values: what Copy writes, by std::to_chars.
std::string AnchorText() {
  std::string text;
  char buffer[40];
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 1; c <= kCols; ++c) {
      text += c == 1 ? ' ' : '\t';
      text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, Value(c, r), std::chars_format::scientific, 13).ptr);
    }
    text += "\r\n";
  }
  return text;
}

void BM_Copy_vs_ToChars(benchmark::State& state) {
  TNTabEd ed(nullptr);
  FillEditor(ed, kCols, kRows);
  SelectAll(ed);
  std::string text;
  qelta::bench::RunSideBySide(
      state, [&] { ed.PopupMenuClickCopy(&ed); }, [&] { text = AnchorText(); });
  benchmark::DoNotOptimize(text);
}
BENCHMARK(BM_Copy_vs_ToChars)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Paste_vs_ArrayCopy(benchmark::State& state) {
  TNTabEd ed(nullptr);
  FillEditor(ed, kCols, kRows);
  SelectAll(ed);
  ed.PopupMenuClickCopy(&ed);
  std::vector<double> from(kCols * kRows), to(from.size());
  std::vector<uint8_t> fromStates(from.size()), toStates(from.size());
  for (std::size_t i = 0; i < from.size(); ++i) from[i] = Value(static_cast<int>(i % kCols) + 1, static_cast<int>(i / kCols) + 1);
  qelta::bench::RunSideBySide(
      state,
      [&] {
        ed.SetSelection({1 + ed.ColOffset(), 1 + ed.RowOffset(), 1 + ed.ColOffset(), 1 + ed.RowOffset()});
        ed.PopupMenuClickPaste(&ed);
      },
      [&] {
        for (std::size_t i = 0; i < from.size(); ++i) {
          to[i] = from[i];
          toStates[i] = fromStates[i];
        }
        benchmark::DoNotOptimize(to.data());
        benchmark::DoNotOptimize(toStates.data());
      });
}
BENCHMARK(BM_Paste_vs_ArrayCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Extract_vs_FromChars(benchmark::State& state) {
  const int cols = static_cast<int>(state.range(0));  // 10^3 rows of them
  TNTabEd ed(nullptr);
  FillEditor(ed, cols, kRows);
  SelectAll(ed);
  ed.PopupMenuClickCopy(&ed);  // the clipboard holds the numbers in full precision
  const std::string text = StringToUtf8(Clipboard()->AsText());
  std::vector<double> values(static_cast<std::size_t>(cols) * kRows);
  qelta::bench::RunSideBySide(
      state,
      [&] {
        ed.SetSelection({1 + ed.ColOffset(), 1 + ed.RowOffset(), 1 + ed.ColOffset(), 1 + ed.RowOffset()});
        ed.PopupMenuClickExtClip(&ed);
      },
      [&] {
        std::size_t n = 0;
        const char* p = text.data();
        const char* end = p + text.size();
        while (p < end) {
          while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
          if (p == end) break;
          if (*p == '+') ++p;
          double x = 0;
          p = std::from_chars(p, end, x).ptr;
          if (n < values.size()) values[n++] = x;
        }
        benchmark::DoNotOptimize(values.data());
      });
}
BENCHMARK(BM_Extract_vs_FromChars)
    ->ArgName("columns")
    ->Arg(10)   // 10^4 numbers
    ->Arg(100)  // 10^5
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Marks every cell of the editor with A and takes it away again, by the menu, then runs after(),
// beside a loop setting and clearing the same bit in a byte array of the table's size.
void MarkSideBySide(benchmark::State& state, TNTabEd& ed, const std::function<void()>& after) {
  std::vector<uint8_t> states(static_cast<std::size_t>(ed.NrOfColumns()) * ed.NrOfRows());
  bool on = true;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        if (on)
          ed.PopupMenuClickMarkAAll(&ed);
        else
          ed.PopupMenuClickUnMarkAAll(&ed);
        after();
      },
      [&] {
        for (uint8_t& s : states) s = on ? s | csMarkA : s & ~csMarkA;
        benchmark::DoNotOptimize(states.data());
        on = !on;
      });
}

/// An editor of 1000 columns and the benchmark's rows (10^5 or 10^6 cells).
void SizeForMarks(TNTabEd& ed, const benchmark::State& state) {
  ed.SetSuppressPaint(true);
  ed.Redimension(1000, static_cast<int>(state.range(0)));
  ed.SetSuppressPaint(false);
}

void MarkSizes(benchmark::internal::Benchmark* b) {
  b->ArgName("rows")->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
}

void BM_MarkMillion_vs_ByteLoop(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 800, 600);
  auto* ed = new TNTabEd(&form);
  ed->SetParent(&form);
  ed->SetAlign(alClient);
  SizeForMarks(*ed, state);
  user.Show(&form);
  MarkSideBySide(state, *ed, [&] { user.Process(); });  // the one paint
}
BENCHMARK(BM_MarkMillion_vs_ByteLoop)->Apply(MarkSizes);

// The same marking on an editor without a window: the states alone, no paint.
void BM_MarkStatesOnly_vs_ByteLoop(benchmark::State& state) {
  TNTabEd ed(nullptr);
  SizeForMarks(ed, state);
  MarkSideBySide(state, ed, [] {});
}
BENCHMARK(BM_MarkStatesOnly_vs_ByteLoop)->Apply(MarkSizes);

void BM_CalendarPaint_10k_Holidays_vs_None(benchmark::State& state) {
  TScriptedUser user(EncodeDate(2024, 5, 8) + 0.5);
  TForm form(nullptr), anchorForm(nullptr);
  form.SetBounds(0, 0, 320, 200);
  anchorForm.SetBounds(0, 0, 320, 200);
  auto* cal = new TMiniCal(&form);
  cal->SetParent(&form);
  auto* plain = new TMiniCal(&anchorForm);
  plain->SetParent(&anchorForm);
  for (int i = 0; i < 10000; ++i) cal->AddHoliday(1 + i % 28, 1 + i % 12, 1990 + i % 50, u"Holiday");
  user.Show(&form);
  user.Show(&anchorForm);
  qelta::bench::RunSideBySide(
      state, [&] { for (int i = 0; i < 20; ++i) cal->Repaint(); },
      [&] { for (int i = 0; i < 20; ++i) plain->Repaint(); });
}
BENCHMARK(BM_CalendarPaint_10k_Holidays_vs_None)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
