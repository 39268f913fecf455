// TDataTable: sorting, exchanging, mirroring, the long form, fingerprints, copying and borrowing.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "DataTableTestKit.h"
#include "Qelta_datatable.h"

namespace qelta {
namespace {

using test::Fill;
using test::TTableLog;

// [SECTION] a reference model of a table

/// Everything a table holds, read through its public interface.
struct TModel {
  int NC = 0, NR = 0;
  std::vector<std::string> ColName, RowName, Label;  // Label: first two labels of the column
  std::vector<int> ColAtt, RowAtt, Scale;
  std::vector<std::vector<double>> V;   // [c][r]
  std::vector<std::vector<int>> S;      // [c][r]
  bool operator==(const TModel&) const = default;
};

TModel Snapshot(const TDataTable& t) {
  TModel m;
  m.NC = t.NrOfColumns();
  m.NR = t.NrOfRows();
  for (int c = 1; c <= m.NC; ++c) {
    m.ColName.push_back(t.GetColName(c));
    m.ColAtt.push_back(t.GetColAttrib(c));
    m.Scale.push_back(t.GetMScaleType(c));
    m.Label.push_back(t.GetNominalID(c, 1) + "|" + t.GetNominalID(c, 2));
    m.V.emplace_back();
    m.S.emplace_back();
    for (int r = 1; r <= m.NR; ++r) {
      m.V.back().push_back(t.NumericData->GetVal(c, r));
      m.S.back().push_back(t.GetCellState(c, r));
    }
  }
  for (int r = 1; r <= m.NR; ++r) {
    m.RowName.push_back(t.GetRowName(r));
    m.RowAtt.push_back(t.GetRowAttrib(r));
  }
  return m;
}

void SwapModelRows(TModel& m, int a, int b, const std::vector<int>& cols, bool headers) {
  for (int c : cols) {
    std::swap(m.V[c - 1][a - 1], m.V[c - 1][b - 1]);
    std::swap(m.S[c - 1][a - 1], m.S[c - 1][b - 1]);
  }
  if (headers) {
    std::swap(m.RowName[a - 1], m.RowName[b - 1]);
    std::swap(m.RowAtt[a - 1], m.RowAtt[b - 1]);
  }
}

void SwapModelCols(TModel& m, int a, int b, const std::vector<int>& rows, bool headers) {
  for (int r : rows) {
    std::swap(m.V[a - 1][r - 1], m.V[b - 1][r - 1]);
    std::swap(m.S[a - 1][r - 1], m.S[b - 1][r - 1]);
  }
  if (headers) {
    std::swap(m.ColName[a - 1], m.ColName[b - 1]);
    std::swap(m.ColAtt[a - 1], m.ColAtt[b - 1]);
    std::swap(m.Scale[a - 1], m.Scale[b - 1]);
    std::swap(m.Label[a - 1], m.Label[b - 1]);
  }
}

/// The exchanges of the comb sort over positions lo..hi of keys (1-based; swapped along):
/// exchange(a, b) says whether positions a < b are out of order.
std::vector<std::pair<int, int>> CombExchanges(int lo, int hi, const std::function<bool(int, int)>& outOfOrder,
                                               const std::function<void(int, int)>& swap) {
  std::vector<std::pair<int, int>> out;
  int64_t gap = int64_t{hi} - lo;
  if (gap <= 0) return out;
  bool swapped = false;
  do {
    gap = static_cast<int64_t>(static_cast<long double>(gap) / 1.3L);
    if (gap < 1) gap = 1;
    swapped = false;
    for (int64_t i = lo; i + gap <= hi; ++i) {
      const int a = static_cast<int>(i), b = static_cast<int>(i + gap);
      if (!outOfOrder(a, b)) continue;
      swap(a, b);
      out.emplace_back(a, b);
      swapped = true;
    }
  } while (gap > 1 || swapped);
  return out;
}

void ValidRange(int count, int& lo, int& hi) {
  if (lo == 0 && hi == 0) {
    lo = 1;
    hi = count;
    return;
  }
  lo = std::min(std::max(lo, 1), count);
  hi = std::min(std::max(hi, 1), count);
  if (hi < lo) std::swap(lo, hi);
}

bool BytesLess(const std::string& a, const std::string& b, bool ignoreCase) {
  auto fold = [ignoreCase](unsigned char c) { return ignoreCase && c >= 'A' && c <= 'Z' ? c + 32 : c; };
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]);
  return a.size() < b.size();
}

/// A random table: values with ties, states, names of mixed case and bytes above 127, attributes
/// with ties, scales with labels.
void RandomTable(TDataTable& t, std::mt19937& rng) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  t.Resize(2 + pick(5), 2 + pick(8));
  static const char* kNames[] = {"apple", "Banana", "banana", "cherry", "\xC4pfel", "Zed", "a", ""};
  static const uint8_t kStates[] = {0, 0, 0, 1, 2, 0x40, 0x20, 0x83};
  for (int c = 1; c <= t.NrOfColumns(); ++c) {
    t.SetColName(c, std::string(kNames[pick(8)]) + std::to_string(pick(3)));
    t.SetColAttrib(c, static_cast<uint8_t>(pick(4)));
    t.SetMScaleType(c, static_cast<TMScaleType>(pick(5)));
    t.SetNominalID(c, 1, "L" + std::to_string(c));
    for (int r = 1; r <= t.NrOfRows(); ++r) {
      t.NumericData->SetVal(c, r, pick(5) - 1.5);
      t.SetCellState(c, r, kStates[pick(8)]);
    }
  }
  for (int r = 1; r <= t.NrOfRows(); ++r) {
    t.SetRowName(r, std::string(kNames[pick(8)]) + std::to_string(pick(3)));
    t.SetRowAttrib(r, static_cast<uint8_t>(pick(4)));
  }
}

// [SECTION] sorting

TEST(TDataTableSort, SortRowsMovesStatesAndWithHeadersNamesAndAttributes) {
  for (bool headers : {false, true}) {
    TDataTable t(nullptr);
    Fill(t, {{3, 30}, {1, 10}, {2, 20}});
    t.SetCellState(2, 1, csEmpty);
    t.SetRowAttrib(1, 7);
    TTableLog log;
    log.Hook(t);
    TObject* sender = nullptr;
    auto exchange = t.OnSortExchange;
    t.OnSortExchange = [&](TObject* s, uint8_t w, int a, int b, int f, int l) {
      sender = s;
      exchange(s, w, a, b, f, l);
    };
    t.SortRows(1, true, 0, 0, 0, 0, headers);
    EXPECT_EQ(sender, &t);
    EXPECT_EQ(t.GetElem(2, 3), 30.0);
    EXPECT_EQ(t.GetCellState(2, 3), csEmpty);
    EXPECT_EQ(t.GetRowName(3), headers ? "R-1" : "R-3");
    EXPECT_EQ(t.GetRowAttrib(3), headers ? 7 : 0);
    EXPECT_EQ(log.Events.front(), "Exchange 2 1 2 1 2");
    EXPECT_EQ(log.Events.back(), headers ? "Attrib" : "Change");
  }
}

// The matrix moves a key column outside LowCol..HighCol with its rows; its states used to stay
// behind, so empty and not-a-number flags landed on other values.
TEST(TDataTableSort, TheKeyColumnsStatesMoveWithItsValues) {
  TDataTable t(nullptr);
  Fill(t, {{1, 4}, {2, 3}, {3, 2}, {4, 1}});
  t.SetCellState(2, 1, csEmpty);
  t.SortRows(2, true, 1, 0, 1, 0, false);
  EXPECT_EQ(t.NumericData->GetVal(2, 4), 4.0);
  EXPECT_EQ(t.GetCellState(2, 4), csEmpty);
  EXPECT_EQ(t.GetCellState(2, 1), 0);
  // A sort of NumericData itself moves only the states of the range, as it always did.
  t.NumericData->SortRows(2, true, 1, 0, 1, 0);
  EXPECT_EQ(t.GetCellState(2, 4), csEmpty);
  t.NumericData->SortRows(2, false, 1, 0, 1, 0);
  EXPECT_EQ(t.NumericData->GetVal(2, 1), 4.0);
  EXPECT_EQ(t.GetCellState(2, 1), 0);
}

TEST(TDataTableSort, NameSortsCompareBytesOrFoldAToZ) {
  TDataTable t(nullptr);
  t.Resize(1, 2);
  t.SetRowName(1, "Banana");
  t.SetRowName(2, "apple");
  t.SortRowNames(true, true, 0, 0, 0, 0);
  EXPECT_EQ(t.GetRowName(1), "apple");
  t.SortRowNames(true, false, 0, 0, 0, 0);
  EXPECT_EQ(t.GetRowName(1), "Banana");
  t.SetRowName(2, "\xE9t\xE9");  // above 127: after every ASCII name
  t.SortRowNames(true, 0, 0, 0, 0);
  EXPECT_EQ(t.GetRowName(2), "\xE9t\xE9");
}

TEST(TDataTableSort, ANameSortOfRowsReportsEveryExchangeWithTheColumnRange) {
  TDataTable t(nullptr);
  t.Resize(4, 5);
  for (int r = 1; r <= 5; ++r) t.SetRowName(r, std::string(1, static_cast<char>('e' - r)));
  TTableLog log;
  log.Hook(t);
  t.SortRowNames(true, 2, 1, 3, 5);
  std::vector<std::string> exchanges;
  for (const std::string& e : log.Events)
    if (e.rfind("Exchange", 0) == 0) exchanges.push_back(e);
  ASSERT_GE(exchanges.size(), 2u);
  EXPECT_EQ(exchanges[0], "Exchange 2 1 4 2 3");
  for (const std::string& e : exchanges) EXPECT_EQ(e.substr(e.size() - 4), " 2 3");
  // Each exchange writes two values in each of the two columns through SetVal with the hook attached.
  EXPECT_EQ(log.Count("Change"), 4 * static_cast<int>(exchanges.size()) + 1);
  EXPECT_EQ(log.Events[log.Events.size() - 2], "Change");
  EXPECT_EQ(log.Events.back(), "Names");
  EXPECT_EQ(t.GetRowName(1), "`");
  log.Take();
  t.SortRowNames(true, 0, 3, 0, 3);  // one row: nothing, no event
  EXPECT_EQ(log.Take(), "");
}

TEST(TDataTableSort, EverySortAgreesWithAReferenceModel) {
  std::mt19937 rng(5807);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int trial = 0; trial < 600; ++trial) {
    TDataTable t(nullptr);
    RandomTable(t, rng);
    const int kind = trial % 6;  // rows by value, cols by value, row names, col names, row attributes, col attributes
    const bool asc = pick(2) == 0, headers = pick(2) == 0, ignoreCase = pick(2) == 0;
    int lc = pick(3) == 0 ? 0 : pick(t.NrOfColumns() + 2), hc = lc == 0 ? 0 : pick(t.NrOfColumns() + 2);
    int lr = pick(3) == 0 ? 0 : pick(t.NrOfRows() + 2), hr = lr == 0 ? 0 : pick(t.NrOfRows() + 2);
    const int keyCol = 1 + pick(t.NrOfColumns()), keyRow = 1 + pick(t.NrOfRows());
    TModel m = Snapshot(t);
    int vlc = lc, vhc = hc, vlr = lr, vhr = hr;
    ValidRange(m.NC, vlc, vhc);
    ValidRange(m.NR, vlr, vhr);
    std::vector<int> cols, rows;
    for (int c = vlc; c <= vhc; ++c) cols.push_back(c);
    for (int r = vlr; r <= vhr; ++r) rows.push_back(r);
    const bool byRows = kind % 2 == 0;
    if (kind == 0 && (keyCol < vlc || keyCol > vhc)) cols.push_back(keyCol);
    if (kind == 1 && (keyRow < vlr || keyRow > vhr)) rows.push_back(keyRow);
    const bool moveHeaders = kind >= 2 || headers;
    std::function<bool(int, int)> outOfOrder;
    auto order = [asc](bool less_ab, bool less_ba) { return asc ? less_ba : less_ab; };
    switch (kind) {
      case 0: outOfOrder = [&](int a, int b) { double x = m.V[keyCol - 1][a - 1], y = m.V[keyCol - 1][b - 1]; return order(x < y, y < x); }; break;
      case 1: outOfOrder = [&](int a, int b) { double x = m.V[a - 1][keyRow - 1], y = m.V[b - 1][keyRow - 1]; return order(x < y, y < x); }; break;
      case 2: outOfOrder = [&](int a, int b) { return order(BytesLess(m.RowName[a - 1], m.RowName[b - 1], ignoreCase), BytesLess(m.RowName[b - 1], m.RowName[a - 1], ignoreCase)); }; break;
      case 3: outOfOrder = [&](int a, int b) { return order(BytesLess(m.ColName[a - 1], m.ColName[b - 1], ignoreCase), BytesLess(m.ColName[b - 1], m.ColName[a - 1], ignoreCase)); }; break;
      case 4: outOfOrder = [&](int a, int b) { return order(m.RowAtt[a - 1] < m.RowAtt[b - 1], m.RowAtt[b - 1] < m.RowAtt[a - 1]); }; break;
      default: outOfOrder = [&](int a, int b) { return order(m.ColAtt[a - 1] < m.ColAtt[b - 1], m.ColAtt[b - 1] < m.ColAtt[a - 1]); }; break;
    }
    const auto expected = byRows ? CombExchanges(vlr, vhr, outOfOrder, [&](int a, int b) { SwapModelRows(m, a, b, cols, moveHeaders); })
                                 : CombExchanges(vlc, vhc, outOfOrder, [&](int a, int b) { SwapModelCols(m, a, b, rows, moveHeaders); });
    // Three rounds: nobody watches the exchanges (the sort may then run on a permutation); only an
    // OnSortExchange handler listens (a sort by values may still run on a permutation and report as
    // it goes); an OnChange handler watches the cells as well (every exchange is carried out on the
    // spot, the plain way). All three give the same result and the same exchanges.
    const int round = (trial / 6) % 3;
    const bool watched = round != 0;
    std::vector<std::string> reported;
    if (watched)
      t.OnSortExchange = [&](TObject*, uint8_t w, int a, int b, int f, int l) {
        reported.push_back(std::to_string(w) + ":" + std::to_string(a) + "," + std::to_string(b) + " " +
                           std::to_string(f) + ".." + std::to_string(l));
      };
    if (round == 2) t.OnChange = [](TObject*) {};
    switch (kind) {
      case 0: t.SortRows(keyCol, asc, lc, lr, hc, hr, headers); break;
      case 1: t.SortCols(keyRow, asc, lc, lr, hc, hr, headers); break;
      case 2: t.SortRowNames(asc, ignoreCase, lc, lr, hc, hr); break;
      case 3: t.SortColNames(asc, ignoreCase, lc, lr, hc, hr); break;
      case 4: t.SortRowAttributes(asc, lc, lr, hc, hr); break;
      default: t.SortColAttributes(asc, lc, lr, hc, hr); break;
    }
    std::vector<std::string> want;
    for (auto [a, b] : expected)
      want.push_back(byRows ? "2:" + std::to_string(a) + "," + std::to_string(b) + " " + std::to_string(vlc) + ".." + std::to_string(vhc)
                            : "1:" + std::to_string(a) + "," + std::to_string(b) + " " + std::to_string(vlr) + ".." + std::to_string(vhr));
    if (watched) {
      ASSERT_EQ(reported, want) << "trial " << trial << " kind " << kind;
    }
    ASSERT_TRUE(Snapshot(t) == m) << "trial " << trial << " kind " << kind;
  }
}

// [SECTION] exchanging and mirroring

TEST(TDataTableRearrange, ExchangeColumnsMovesEverythingAndFiresInOrder) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2}, {3, 4}});
  t.SetCellState(1, 1, csNotANumber);
  t.SetMScaleType(2, stOrdinal);
  t.SetColAttrib(1, 3);
  TTableLog log;
  log.Hook(t);
  t.ExchangeColumns(1, 2);
  EXPECT_EQ(log.Take(), "Attrib, Attrib, Names, Names, States, States, Change, States, Attrib, Names, Setup");
  EXPECT_EQ(t.GetElem(1, 2), 4.0);
  EXPECT_EQ(t.GetCellState(2, 1), csNotANumber);
  EXPECT_EQ(t.GetColName(1), "C-2");
  EXPECT_EQ(t.GetMScaleType(1), stOrdinal);
  EXPECT_EQ(t.GetColAttrib(2), 3);
  t.SetElem(1, 1, 0);  // the hook is back
  EXPECT_EQ(log.Take(), "Change, Change");
}

// Indices outside the table used to reach the arrays unchecked.
TEST(TDataTableRearrange, ExchangesWithAnIndexOutsideDoNothing) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2}, {3, 4}});
  TTableLog log;
  log.Hook(t);
  const TModel before = Snapshot(t);
  t.ExchangeColumns(0, 2);
  t.ExchangeColumns(1, 3);
  t.ExchangeRows(2, 3);
  t.ExchangeRows(-1, 1);
  EXPECT_EQ(log.Take(), "");
  EXPECT_TRUE(Snapshot(t) == before);
}

TEST(TDataTableRearrange, MirrorsReverseAndFireTheFiveEventsOnceMore) {
  TDataTable t(nullptr);
  TTableLog log;
  log.Hook(t);
  t.MirrorRows();  // one row: nothing moves, the events still fire
  EXPECT_EQ(log.Take(), "Change, States, Attrib, Names, Setup");
  Fill(t, {{1, 2, 3}, {4, 5, 6}});
  t.SetMScaleType(1, stRatio);
  t.MirrorColumns();
  EXPECT_EQ(t.GetElem(1, 2), 6.0);
  EXPECT_EQ(t.GetColName(3), "C-1");
  EXPECT_EQ(t.GetMScaleType(3), stRatio);
  t.MirrorRows();
  EXPECT_EQ(t.GetElem(1, 1), 6.0);
  EXPECT_EQ(t.GetRowName(1), "R-2");
}

// [SECTION] the long form

TEST(TDataTableSerialize, ColumnHeadsBecomeAVariable) {
  TDataTable t(nullptr);
  Fill(t, {{1, 4}, {2, 5}, {3, 6}});
  t.SetColName(1, "alpha");
  t.SetColName(2, "beta");
  t.SetCellState(1, 1, csEmpty);  // lands in the data column; the "(column)" cell stays a number
  t.SetCellState(2, 3, csMarkA);
  t.SetRowAttrib(2, 9);
  TTableLog log;
  log.Hook(t);
  t.Serialize(true);
  EXPECT_EQ(log.Count("Change"), 1);
  EXPECT_EQ(log.Events.back(), "Change");
  ASSERT_EQ(t.NrOfColumns(), 2);
  ASSERT_EQ(t.NrOfRows(), 6);
  for (int r = 1; r <= 6; ++r) {
    EXPECT_EQ(t.GetElem(1, r), r <= 3 ? 1.0 : 2.0);
    EXPECT_EQ(t.GetElem(2, r), static_cast<double>(r));
    EXPECT_EQ(t.GetRowName(r), "R-" + std::to_string((r - 1) % 3 + 1));
    EXPECT_EQ(t.GetCellState(1, r), 0);  // used to keep the first column's old states
  }
  EXPECT_EQ(t.GetColName(1), "(column)");
  EXPECT_EQ(t.GetColName(2), "(data)");
  EXPECT_EQ(t.GetMScaleType(1), stNominal);
  EXPECT_EQ(t.GetNominalID(1, 1), "1:alpha");
  EXPECT_EQ(t.GetNominalID(1, 2), "2:beta");
  EXPECT_EQ(t.GetElemNominal(1, 5), "2:beta");
  EXPECT_EQ(t.GetMScaleType(2), stInterval);
}

TEST(TDataTableSerialize, TheDataColumnTakesTheHighestLevel) {
  struct TCase {
    TMScaleType a, b, want;
  };
  for (const TCase& c : {TCase{stNominal, stOrdinal, stOrdinal}, TCase{stNominal, stNominal, stNominal},
                         TCase{stUnknown, stUnknown, stNominal}, TCase{stRatio, stOrdinal, stRatio}}) {
    TDataTable t(nullptr);
    Fill(t, {{1, 2}});
    t.SetMScaleType(1, c.a);
    t.SetMScaleType(2, c.b);
    t.Serialize(false);
    EXPECT_EQ(t.NrOfColumns(), 1);
    EXPECT_EQ(t.NrOfRows(), 2);
    EXPECT_EQ(t.GetColName(1), "(data)");
    EXPECT_EQ(t.GetMScaleType(1), c.want);
  }
}

// [SECTION] fingerprints

/// Lane-wise CRC-32 with zlib: lane k gets the bytes fed to register k, in order.
std::string ZlibEightLanes(const std::vector<std::vector<uint8_t>>& lanes) {
  std::string out;
  for (const auto& lane : lanes) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08lX", crc32(0L, lane.data(), static_cast<uInt>(lane.size())));
    out += buf;
  }
  return out;
}

void FeedLanes(std::vector<std::vector<uint8_t>>& lanes, const std::string& bytes) {
  for (std::size_t p = 1; p <= bytes.size(); ++p) lanes[p % 8].push_back(static_cast<uint8_t>(bytes[p - 1]));
}

TEST(TDataTableFingerprint, BothFingerprintsAreEightZlibLanes) {
  std::mt19937 rng(11);
  TDataTable t(nullptr);
  RandomTable(t, rng);
  t.SetFComment(U8("Kommentar mit \xC3\xBC und \xE2\x82\xAC"));
  std::vector<std::vector<uint8_t>> lanes(8), states(8);
  std::string comment;
  for (Char c : t.Comment()) comment.push_back(static_cast<char>(c & 0xFF));
  FeedLanes(lanes, comment);
  std::string colAtt, rowAtt, scales;
  for (int c = 1; c <= t.NrOfColumns(); ++c) FeedLanes(lanes, t.GetColName(c));
  for (int c = 1; c <= t.NrOfColumns(); ++c) colAtt.push_back(static_cast<char>(t.GetColAttrib(c)));
  FeedLanes(lanes, colAtt);
  for (int r = 1; r <= t.NrOfRows(); ++r) FeedLanes(lanes, t.GetRowName(r));
  for (int r = 1; r <= t.NrOfRows(); ++r) rowAtt.push_back(static_cast<char>(t.GetRowAttrib(r)));
  FeedLanes(lanes, rowAtt);
  for (int c = 1; c <= t.NrOfColumns(); ++c) scales.push_back(static_cast<char>(t.GetMScaleType(c)));
  FeedLanes(lanes, scales);
  for (int c = 1; c <= t.NrOfColumns(); ++c) {
    const TMScaleType keep = t.GetMScaleType(c);
    t.OnChangeSetup = nullptr;
    t.SetMScaleType(c, stNominal);  // GetNominalID reads labels of categorial columns only
    for (int k = 1; k <= 25; ++k) FeedLanes(lanes, t.GetNominalID(c, k));
    t.SetMScaleType(c, keep);
  }
  EXPECT_EQ(StringToUtf8(t.CRCofNamesAndAttributes()), ZlibEightLanes(lanes));
  for (int c = 1; c <= t.NrOfColumns(); ++c) {
    std::string column;
    for (int r = 1; r <= t.NrOfRows(); ++r) column.push_back(static_cast<char>(t.GetCellState(c, r)));
    FeedLanes(states, column);
  }
  EXPECT_EQ(StringToUtf8(t.CRCofCellStates()), ZlibEightLanes(states));
}

TEST(TDataTableFingerprint, StatesDecideTheStateFingerprintValuesDoNot) {
  TDataTable a(nullptr), b(nullptr);
  Fill(a, {{1, 2}, {3, 4}});
  Fill(b, {{5, 6}, {7, 8}});
  EXPECT_EQ(a.CRCofCellStates(), b.CRCofCellStates());
  EXPECT_EQ(a.CRCofNamesAndAttributes(), b.CRCofNamesAndAttributes());
  b.SetCellState(2, 2, csMarkB);
  EXPECT_NE(a.CRCofCellStates(), b.CRCofCellStates());
  b.SetRowAttrib(1, 1);
  EXPECT_NE(a.CRCofNamesAndAttributes(), b.CRCofNamesAndAttributes());
  EXPECT_EQ(a.CRCofCellStates().size(), 64u);
}

// [SECTION] copying

TEST(TDataTableCopy, CopyContentsFromCopiesEverythingAndFiresAtTheEnd) {
  std::mt19937 rng(3);
  TDataTable src(nullptr), dst(nullptr);
  RandomTable(src, rng);
  src.SetFComment(u"copied");
  dst.Resize(src.NrOfColumns(), src.NrOfRows());
  dst.SetCellState(1, 1, src.GetCellState(1, 1) ^ 0x10);  // one state changes in step 6
  TTableLog log;
  log.Hook(dst);
  dst.CopyContentsFrom(&src);
  const std::string size = std::to_string(src.NrOfColumns()) + " " + std::to_string(src.NrOfRows());
  EXPECT_EQ(log.Events.back(), "Resize " + size + " " + size);
  const std::vector<std::string> tail(log.Events.end() - 6, log.Events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"Change", "States", "Setup", "Names", "Attrib", "Resize " + size + " " + size}));
  EXPECT_EQ(log.Count("Change"), 1);
  EXPECT_EQ(dst.Comment(), u"copied");
  EXPECT_EQ(dst.CRCofNamesAndAttributes(), src.CRCofNamesAndAttributes());
  EXPECT_EQ(dst.CRCofCellStates(), src.CRCofCellStates());
  for (int c = 1; c <= src.NrOfColumns(); ++c)
    for (int r = 1; r <= src.NrOfRows(); ++r) EXPECT_EQ(dst.GetElem(c, r), src.GetElem(c, r));
  log.Take();
  dst.CopyContentsFrom(nullptr);
  dst.CopyContentsFrom(&dst);
  EXPECT_EQ(log.Take(), "");
}

TEST(TDataTableCopy, CellStatesCopyOnlyBetweenTablesOfOneSize) {
  TDataTable a(nullptr), b(nullptr);
  a.Resize(2, 3);
  b.Resize(3, 2);
  a.SetCellState(2, 3, csMarkA);
  EXPECT_FALSE(b.CopyCellStatesFrom(&a));
  EXPECT_EQ(b.CountMarkedCellsInColumn(1, 0xFF) + b.CountMarkedCellsInColumn(2, 0xFF), 0);
  b.Resize(2, 3);
  TTableLog log;
  log.Hook(b);
  EXPECT_TRUE(b.CopyCellStatesFrom(&a));
  EXPECT_EQ(log.Take(), "States");
  EXPECT_EQ(b.GetCellState(2, 3), csMarkA);
  EXPECT_FALSE(b.CopyCellStatesFrom(nullptr));
}

// [SECTION] borrowing a matrix

TEST(TDataTableBorrow, TheTableWorksOnTheCallersMatrix) {
  TMatrix m(nullptr);
  m.Resize(3, 2);
  m.SetVal(3, 2, 8);
  TDataTable t(nullptr);
  t.SetMScaleType(1, stNominal);
  TTableLog log;
  log.Hook(t);
  t.AssignAnotherDataMatrix(&m);
  EXPECT_EQ(log.Take(), "Resize 1 1 3 2, Resize 1 1 3 2, Change, Setup, Names, Attrib, States");
  EXPECT_EQ(t.NumericData, &m);
  EXPECT_EQ(t.GetElem(3, 2), 8.0);
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  m.SetVal(1, 1, 2);  // reaches the table
  EXPECT_EQ(log.Take(), "Change");
  t.AssignAnotherDataMatrix(&m);  // the matrix in use
  t.AssignAnotherDataMatrix(nullptr);
  EXPECT_EQ(log.Take(), "");
}

// Taking a second matrix used to resize the first caller's matrix and leave it hooked.
TEST(TDataTableBorrow, ASecondMatrixLeavesTheFirstUnhookedAndUnchanged) {
  TMatrix first(nullptr), second(nullptr);
  first.Resize(2, 2);
  second.Resize(4, 1);
  auto t = std::make_unique<TDataTable>(nullptr);
  t->AssignAnotherDataMatrix(&first);
  t->AssignAnotherDataMatrix(&second);
  EXPECT_EQ(first.NrOfColumns(), 2);
  EXPECT_EQ(first.NrOfRows(), 2);
  EXPECT_FALSE(first.OnChange);
  EXPECT_FALSE(first.OnSortExchange);
  EXPECT_EQ(t->NrOfColumns(), 4);
  t.reset();
  EXPECT_FALSE(second.OnChange);  // unhooked when the table goes
  second.SetVal(1, 1, 1);        // no dangling handler
}

TEST(TDataTableBorrow, TheTableFallsBackToOwnZerosWhenTheMatrixIsDestroyed) {
  TDataTable t(nullptr);
  {
    TMatrix m(nullptr);
    m.Resize(2, 3);
    m.Fill(5);
    t.AssignAnotherDataMatrix(&m);
    t.SetCellState(2, 3, csEmpty);
  }
  ASSERT_NE(t.NumericData, nullptr);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 2);
  EXPECT_EQ(t.NumericData->NrOfRows(), 3);
  EXPECT_EQ(t.GetElem(1, 1), 0.0);
  EXPECT_EQ(t.GetCellState(2, 3), csEmpty);
  TTableLog log;
  log.Hook(t);
  t.SetElem(1, 1, 4);
  EXPECT_EQ(log.Take(), "Change, Change");
}

// [SECTION] handlers that change the table

/// Every operation with a handler that shrinks the table on its third call: nothing may touch a
/// cell that is gone (the sanitizer build checks), and the table stays consistent.
TEST(TDataTableReentry, HandlersShrinkingTheTableMidwayAreHarmless) {
  const std::vector<std::function<void(TDataTable&)>> ops = {
      [](TDataTable& t) { t.InsertRow(1); },
      [](TDataTable& t) { t.InsertColumn(2); },
      [](TDataTable& t) { t.RemoveRow(1); },
      [](TDataTable& t) { t.RemoveColumn(1); },
      [](TDataTable& t) { t.FillMarkedCells(0, csMarkA); },
      [](TDataTable& t) { t.SortRows(1, false, 0, 0, 0, 0, true); },
      [](TDataTable& t) { t.SortCols(1, false, 0, 0, 0, 0, true); },
      [](TDataTable& t) { t.SortRowNames(false, 0, 0, 0, 0); },
      [](TDataTable& t) { t.SortColNames(false, 0, 0, 0, 0); },
      [](TDataTable& t) { t.SortRowAttributes(false, 0, 0, 0, 0); },
      [](TDataTable& t) { t.MirrorRows(); },
      [](TDataTable& t) { t.MirrorColumns(); },
      [](TDataTable& t) { t.Serialize(true); },
      [](TDataTable& t) { t.StandardizeNumCellColumns(nullptr, nullptr); },
      [](TDataTable& t) { t.MeanCenterNumCellRows(nullptr); },
      [](TDataTable& t) {
        TDataTable other(nullptr);
        other.Resize(5, 5);
        t.CopyContentsFrom(&other);
      },
  };
  for (int which = 0; which < 3; ++which)
    for (std::size_t k = 0; k < ops.size(); ++k) {
      TDataTable t(nullptr);
      Fill(t, {{3, 2, 1}, {6, 5, 4}, {9, 8, 7}});
      for (int i = 1; i <= 3; ++i) {
        t.SetRowName(i, std::string(1, static_cast<char>('a' + i)));
        t.SetColName(i, std::string(1, static_cast<char>('a' + i)));
        t.SetRowAttrib(i, static_cast<uint8_t>(i));
      }
      t.SetAllCellStates(csMarkA);
      int calls = 0;
      auto shrink = [&](TObject*) {
        if (++calls == 3) t.Resize(1, 1);
      };
      if (which == 0) t.OnChange = shrink;
      if (which == 1) t.OnChangeCellState = shrink;
      if (which == 2) t.OnSortExchange = [&](TObject* s, uint8_t, int, int, int, int) { shrink(s); };
      ops[k](t);
      EXPECT_EQ(t.NrOfColumns(), t.NumericData->NrOfColumns()) << k;
      EXPECT_EQ(t.NrOfRows(), t.NumericData->NrOfRows()) << k;
    }
}

}  // namespace
}  // namespace qelta
