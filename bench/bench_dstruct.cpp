// Container speed: the string array at report-list scale (10^6 rows x 5 columns of 10-40
// characters: fill beside a std::vector<std::string>, sort on a column beside std::sort of the same
// keys, 10^5 binary finds beside std::lower_bound, garbage collection after rewriting half of the
// cells beside copying the live texts into one fresh buffer) and the bit field on 10^8 bits
// (count and combine beside plain std::popcount and word loops); the associative array reading
// 10^5 and 10^6 entries from XML beside a plain parse into std::unordered_map. Every row times both
// sides in each iteration (bench/SideBySide.h); counters give bytes per cell.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Qelta_dstruct.h"
#include "BenchTexts.h"
#include "SideBySide.h"
#include "Streams.h"

namespace {

using qelta::TBitFld;
using qelta::TStringArray;

constexpr int kRows = 1000000;
constexpr int kCols = 5;
constexpr int kFinds = 100000;
constexpr int kBits = 100000000;

using qelta::bench::TGen;

// The texts of all cells, made once and laid out in fill order, so that the fill measures
// the table and not the text generator or cache misses in a text pool.
struct TTexts {
  std::string blob;
  std::vector<uint32_t> start;  // cell k is blob[start[k] .. start[k + 1])
  std::string_view Cell(size_t k) const { return std::string_view(blob).substr(start[k], start[k + 1] - start[k]); }
};

const TTexts& Texts() {
  static const TTexts texts = [] {
    TTexts t;
    TGen g{1};
    const size_t cells = size_t(kRows) * kCols;
    t.start.reserve(cells + 1);
    for (size_t k = 0; k < cells; ++k) {
      t.start.push_back(uint32_t(t.blob.size()));
      t.blob += g.Text(10, 31);
    }
    t.start.push_back(uint32_t(t.blob.size()));
    return t;
  }();
  return texts;
}

// Fills every data cell; shift moves along the texts (the same shift gives the same table).
void FillTable(TStringArray& a, size_t shift, int rowStep = 1) {
  const TTexts& t = Texts();
  const size_t cells = size_t(kRows) * kCols;
  a.Resize(kCols, kRows);
  for (int r = 1; r <= kRows; r += rowStep)
    for (int c = 1; c <= kCols; ++c) a.SetString(c, r, t.Cell((size_t(r - 1) * kCols + size_t(c - 1) + shift) % cells));
}

double LiveBytes(const TStringArray& a) {
  double bytes = 0;
  for (int r = 1; r <= a.NrOfRows(); ++r)
    for (int c = 0; c <= a.NrOfColumns(); ++c) bytes += double(a.GetString(c, r).size()) + 1;
  return bytes;
}

void CellCounters(benchmark::State& state, const TStringArray& a) {
  const double cells = double(kRows) * kCols;
  state.counters["pool_bytes_per_cell"] = double(a.NumBuffers()) * TStringArray::PageSize / cells;
  state.counters["text_bytes_per_cell"] = LiveBytes(a) / cells;
}

TStringArray& SharedTable() {
  static const std::unique_ptr<TStringArray> table = [] {
    auto a = std::make_unique<TStringArray>(nullptr);
    FillTable(*a, 0);
    return a;
  }();
  return *table;
}

// [SECTION] string array

// Side by side with what a user would write instead: a std::vector<std::string> of the same cells
// (rows of five), filled with the same texts; sorted through a row index by column 2 with std::sort
// and a comparator that ignores the case of A-Z as TStringArray.Sort does.
std::vector<std::string> FillVector() {
  const TTexts& t = Texts();
  std::vector<std::string> cells(size_t(kRows) * kCols);
  for (size_t k = 0; k < cells.size(); ++k) cells[k].assign(t.Cell(k));
  return cells;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return uint8_t(c >= 'A' && c <= 'Z' ? c + 32 : c); };
    return lower(x) < lower(y);
  });
}

void BM_StringArray_FillSideBySide(benchmark::State& state) {
  Texts();
  std::unique_ptr<TStringArray> a;
  std::vector<std::string> v;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        a = std::make_unique<TStringArray>(nullptr);
        FillTable(*a, 0);
      },
      [&] { v = FillVector(); });
  CellCounters(state, *a);
  state.SetItemsProcessed(int64_t(state.iterations()) * kRows * kCols);
}
BENCHMARK(BM_StringArray_FillSideBySide)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StringArray_SortSideBySide(benchmark::State& state) {
  TStringArray& a = SharedTable();
  const std::vector<std::string> cells = FillVector();
  std::vector<int> order(kRows);
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    a.UnSort();
    for (int r = 0; r < kRows; ++r) order[size_t(r)] = r;
    const double ours = qelta::bench::Seconds([&] { a.Sort(2, 0, true); });
    t.Add(state, ours, qelta::bench::Seconds([&] {
      std::sort(order.begin(), order.end(),
                [&](int x, int y) { return LessIgnoringCase(cells[size_t(x) * kCols + 1], cells[size_t(y) * kCols + 1]); });
    }));
  }
  t.Report(state);
  state.SetItemsProcessed(int64_t(state.iterations()) * kRows);
}
BENCHMARK(BM_StringArray_SortSideBySide)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// 10^5 finds in the sorted column beside std::lower_bound in a sorted vector of the same lower-cased texts.
void BM_StringArray_BinaryFind_vs_LowerBound(benchmark::State& state) {
  TStringArray& a = SharedTable();
  a.Sort(3, 0, true);
  std::vector<std::string> keys;
  for (int r = 1; r <= kRows; ++r) keys.push_back(std::string(Texts().Cell(size_t(r - 1) * kCols + 2)));
  for (auto& k : keys)
    for (char& c : k) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
  std::sort(keys.begin(), keys.end());
  TGen g{7};
  std::vector<std::string> wanted(kFinds), lowered(kFinds);
  for (int i = 0; i < kFinds; ++i) {
    const uint64_t r = g.Next() % kRows;
    wanted[size_t(i)] = a.GetString(3, int(r) + 1);
    lowered[size_t(i)] = keys[r];
  }
  int found = 0, foundStd = 0;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        found = 0;
        for (const auto& w : wanted) {
          int row = 0;
          found += a.FindCellInSortedColumn(w, false, 3, -1, -1, true, row) ? 1 : 0;
        }
      },
      [&] {
        foundStd = 0;
        for (const auto& w : lowered) foundStd += std::lower_bound(keys.begin(), keys.end(), w) != keys.end() ? 1 : 0;
      });
  state.counters["found"] = found;
  if (found != foundStd) state.SkipWithError("the two searches found different numbers of cells");
  state.SetItemsProcessed(int64_t(state.iterations()) * kFinds);
}
BENCHMARK(BM_StringArray_BinaryFind_vs_LowerBound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Compacting the pages after every other row was rewritten, beside a plain loop copying the same live
// texts into one fresh buffer (with their offsets). The filling is not timed.
void BM_StringArray_GarbageCollection(benchmark::State& state) {
  std::unique_ptr<TStringArray> a;
  std::vector<std::string> live;
  std::string blob;
  std::vector<uint32_t> start;
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    a = std::make_unique<TStringArray>(nullptr);
    FillTable(*a, 0);
    FillTable(*a, 4711, 2);  // rewrites every other row
    if (live.empty()) {
      for (int r = 1; r <= a->NrOfRows(); ++r)
        for (int c = 0; c <= a->NrOfColumns(); ++c) live.push_back(a->GetString(c, r));
    }
    state.counters["pages_before"] = a->NumBuffers();
    const double ours = qelta::bench::Seconds([&] { a->GarbageCollection(); });
    t.Add(state, ours, qelta::bench::Seconds([&] {
      std::string fresh;
      std::vector<uint32_t> at;
      at.reserve(live.size());
      for (const std::string& s : live) {
        at.push_back(uint32_t(fresh.size()));
        fresh.append(s).push_back('\0');
      }
      blob.swap(fresh);
      start.swap(at);
    }));
  }
  t.Report(state);
  CellCounters(state, *a);
}
BENCHMARK(BM_StringArray_GarbageCollection)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// [SECTION] bit field

struct TBitData {
  TBitFld a{nullptr}, b{nullptr};
  std::vector<uint64_t> wa, wb;  // the same bits as plain words (anchor)
};

TBitData& Bits() {
  static const std::unique_ptr<TBitData> data = [] {
    auto d = std::make_unique<TBitData>();
    d->a.SetSize(kBits - 1);
    d->b.SetSize(kBits - 1);
    d->wa.assign(kBits / 64 + 1, 0);
    d->wb.assign(kBits / 64 + 1, 0);
    TGen g{11};
    for (int i = 0; i < kBits; ++i) {
      const uint64_t r = g.Next();
      if (r & 1) {
        d->a.SetBit(i, true);
        d->wa[size_t(i) / 64] |= uint64_t(1) << (i % 64);
      }
      if (r & 2) {
        d->b.SetBit(i, true);
        d->wb[size_t(i) / 64] |= uint64_t(1) << (i % 64);
      }
    }
    return d;
  }();
  return *data;
}

void SetBitBytes(benchmark::State& state) { state.SetBytesProcessed(int64_t(state.iterations()) * (kBits / 8)); }

void BM_BitFld_Count_vs_Popcount(benchmark::State& state) {
  const TBitData& d = Bits();
  int64_t ours = 0, plain = 0;
  qelta::bench::RunSideBySide(
      state, [&] { ours = d.a.CountTrueBits(); },
      [&] {
        plain = 0;
        for (uint64_t w : d.wa) plain += std::popcount(w);
        benchmark::DoNotOptimize(plain);
      });
  if (ours != plain) state.SkipWithError("the counts differ");
  SetBitBytes(state);
}
BENCHMARK(BM_BitFld_Count_vs_Popcount)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_BitFld_CombineXor_vs_Words(benchmark::State& state) {
  TBitData& d = Bits();
  qelta::bench::RunSideBySide(
      state,
      [&] {
        d.a.CombineWith(&d.b, qelta::loXOR);
        benchmark::ClobberMemory();
      },
      [&] {
        for (size_t i = 0; i < d.wa.size(); ++i) d.wa[i] ^= d.wb[i];
        benchmark::ClobberMemory();
      });
  SetBitBytes(state);
}
BENCHMARK(BM_BitFld_CombineXor_vs_Words)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The associative array reading n entries (10^5 and 10^6) from its XML element in a memory stream (every
// entry added through Add, which searches the keys first) beside a plain parse of the same bytes into
// std::unordered_map: each entry's key text up to its quote widened to 16 bits, the integer between '>' and
// '<' converted by from_chars, then emplaced.
std::string AssocXml(int n) {
  std::string xml = "<assocarray sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\r\n";
  for (int i = 0; i < n; ++i)
    xml += "  <entry key=\"key" + std::to_string(i) + "\" type=\"integer\">" + std::to_string(i) + "</entry>\r\n";
  return xml + "</assocarray>\r\n";
}

std::size_t PlainAssocParse(std::string_view xml) {
  std::unordered_map<std::u16string, int> m;
  constexpr std::string_view kKey = "<entry key=\"";
  for (std::size_t at = xml.find(kKey); at != std::string_view::npos; at = xml.find(kKey, at)) {
    const std::size_t from = at + kKey.size(), quote = xml.find('"', from);
    const std::size_t value = xml.find('>', quote) + 1, end = xml.find('<', value);
    int v = 0;
    std::from_chars(xml.data() + value, xml.data() + end, v);
    m.emplace(std::u16string(xml.begin() + long(from), xml.begin() + long(quote)), v);
    at = end;
  }
  return m.size();
}

void BM_AssocArray_ReadXml(benchmark::State& state) {
  const int n = int(state.range(0));
  const std::string xml = AssocXml(n);
  qelta::TMemoryStream s;
  s.Write(xml.data(), int64_t(xml.size()));
  qelta::bench::RunSideBySide(
      state,
      [&] {
        s.SetPosition(0);
        qelta::TAssocArray a(nullptr);
        if (!a.ReadFromXMLStream(s, u"") || a.NumEntries() != n) state.SkipWithError("entries not read");
      },
      [&] {
        if (PlainAssocParse(xml) != std::size_t(n)) state.SkipWithError("entries not parsed");
      });
}
BENCHMARK(BM_AssocArray_ReadXml)->Arg(100000)->Arg(1000000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
