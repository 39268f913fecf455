// Report list data at 10^5 rows x 10 columns: Sort with and without a sort-key hook beside std::sort of the same
// keys, RemoveEmptyRows on a half-empty table beside std::remove_if, a tab-separated clipboard copy beside
// joining std::strings, and CheckIfValidReplist over a 100 MB stream without a match beside reading it in 64 KB
// blocks. Both sides of each pair are timed in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Clipbrd.h"
#include "Qelta_replist.h"
#include "BenchTexts.h"
#include "SideBySide.h"
#include "Streams.h"

namespace {

using qelta::String;
using qelta::TRLData;

constexpr int kRows = 100000;
constexpr int kCols = 10;

using qelta::bench::TGen;

// The cells, rows of kCols; with halfEmpty every second row stays empty.
std::vector<std::string> Cells(bool halfEmpty) {
  TGen g{7};
  std::vector<std::string> cells(size_t(kRows) * kCols);
  for (int r = 0; r < kRows; ++r)
    if (!halfEmpty || r % 2 == 0)
      for (int c = 0; c < kCols; ++c) cells[size_t(r) * kCols + size_t(c)] = g.Text(4, 20);
  return cells;
}

std::unique_ptr<TRLData> Table(const std::vector<std::string>& cells) {
  auto d = std::make_unique<TRLData>(nullptr);
  d->SetNrCols(kCols);
  d->SetNrRows(kRows);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) d->SetElem(c + 1, r + 1, cells[size_t(r) * kCols + size_t(c)]);
  return d;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return uint8_t(c >= 'A' && c <= 'Z' ? c + 32 : c); };
    return lower(x) < lower(y);
  });
}

// The host's sort key: the text read backwards.
std::string Reversed(const std::string& s) { return std::string(s.rbegin(), s.rend()); }

void BM_RLData_Sort(benchmark::State& state) {
  const bool hook = state.range(0) != 0;
  const std::vector<std::string> cells = Cells(false);
  auto d = Table(cells);
  if (hook)
    d->OnBeforeSortExchange = [](qelta::TObject*, const String& In, String& Out) { Out.assign(In.rbegin(), In.rend()); };
  std::vector<int> order(kRows);
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    d->UnSort();
    const double ours = qelta::bench::Seconds([&] { d->Sort(3, 4, true); });
    const double anchor = qelta::bench::Seconds([&] {
      std::vector<std::string> keys(static_cast<size_t>(kRows));  // the keys, once per row, as the store takes them
      for (int r = 0; r < kRows; ++r) {
        const std::string& k = cells[size_t(r) * kCols + 2];
        keys[size_t(r)] = hook ? Reversed(k) : k;
      }
      for (int r = 0; r < kRows; ++r) order[size_t(r)] = r;
      std::sort(order.begin(), order.end(), [&](int x, int y) {
        if (LessIgnoringCase(keys[size_t(x)], keys[size_t(y)])) return true;
        if (LessIgnoringCase(keys[size_t(y)], keys[size_t(x)])) return false;
        return LessIgnoringCase(cells[size_t(x) * kCols + 3], cells[size_t(y) * kCols + 3]);
      });
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
}
BENCHMARK(BM_RLData_Sort)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RLData_RemoveEmptyRows(benchmark::State& state) {
  const std::vector<std::string> cells = Cells(true);
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    auto d = Table(cells);
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(kRows));
    for (int r = 0; r < kRows; ++r)
      rows[size_t(r)].assign(cells.begin() + r * kCols, cells.begin() + (r + 1) * kCols);
    const double ours = qelta::bench::Seconds([&] { d->RemoveEmptyRows(); });
    const double anchor = qelta::bench::Seconds([&] {
      rows.erase(std::remove_if(rows.begin(), rows.end(),
                                [](const std::vector<std::string>& row) {
                                  return std::all_of(row.begin(), row.end(), [](const std::string& s) { return s.empty(); });
                                }),
                 rows.end());
    });
    if (d->NrOfRows() != int(rows.size())) state.SkipWithError("different row counts");
    t.Add(state, ours, anchor);
  }
  t.Report(state);
}
BENCHMARK(BM_RLData_RemoveEmptyRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RLData_CopyToClipBoard(benchmark::State& state) {
  const std::vector<std::string> cells = Cells(false);
  auto d = Table(cells);
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    const double ours = qelta::bench::Seconds([&] { d->CopyToClipBoard(1, 1, kCols, kRows, true, true); });
    std::string joined;
    const double anchor = qelta::bench::Seconds([&] {
      for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
          if (c > 0) joined += '\t';
          joined += cells[size_t(r) * kCols + size_t(c)];
        }
        joined += '\n';
      }
    });
    benchmark::DoNotOptimize(joined.data());
    t.Add(state, ours, anchor);
  }
  t.Report(state);
}
BENCHMARK(BM_RLData_CopyToClipBoard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CheckIfValidReplist(benchmark::State& state) {
  // 100 MB of XML-like lines, none of them opening a replist block
  qelta::TMemoryStream s;
  {
    std::string text;
    TGen g{3};
    while (text.size() < 100u * 1000 * 1000)
      text += "  <cell col=\"" + std::to_string(g.Next() % 10) + "\" row=\"7\">" + g.Text(4, 20) + "</cell>\r\n";
    s.Write(text.data(), int64_t(text.size()));
  }
  std::vector<char> block(65536);
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    s.SetPosition(0);
    bool found = true;
    const double ours = qelta::bench::Seconds([&] { found = qelta::CheckIfValidReplist(s, u"data"); });
    if (found) state.SkipWithError("unexpected match");
    s.SetPosition(0);
    int64_t total = 0;
    const double anchor = qelta::bench::Seconds([&] {
      for (int64_t n = s.Read(block.data(), 65536); n > 0; n = s.Read(block.data(), 65536)) total += n;
    });
    benchmark::DoNotOptimize(total);
    t.Add(state, ours, anchor);
  }
  t.Report(state);
}
BENCHMARK(BM_CheckIfValidReplist)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
