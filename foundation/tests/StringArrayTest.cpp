// String array: pool, cells, rows, sorting, finding; a randomised model test.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "HeapPeak.h"
#include "Qelta_dstruct.h"
#include "TextFiles.h"

namespace qelta {
// Looks at what the interface does not show: cell words and the filling of the pages.
struct TStringArrayProbe {
  static uint32_t CellWord(const TStringArray& a, int col, int row) { return a.Word(col, a.FSortIx[size_t(row)]); }
  static int FirstFree(const TStringArray& a, int page) { return a.FFirstFree[size_t(page - 1)]; }
};
}  // namespace qelta

using namespace qelta;

namespace {

using Probe = TStringArrayProbe;

// Table of rows given as texts of columns 1.., in view order.
void Put(TStringArray& a, const std::vector<std::vector<AnsiString>>& rows) {
  a.Resize(int(rows[0].size()), int(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) a.SetString(int(c) + 1, int(r) + 1, rows[r][c]);
}

std::vector<AnsiString> Column(const TStringArray& a, int col) {
  std::vector<AnsiString> v;
  for (int r = 1; r <= a.NrOfRows(); ++r) v.push_back(a.GetString(col, r));
  return v;
}

// [SECTION] creation, cells and pool

TEST(TStringArray, NewTableHasOneColumnOneRowOnePage) {
  TStringArray a(nullptr);
  EXPECT_EQ(a.NrOfColumns(), 1);
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.AllocRowsBy(), 10);
  EXPECT_EQ(a.NumBuffers(), 1);
  EXPECT_EQ(a.GetSortOrder(1), 1);
  EXPECT_EQ(a.GetString(1, 1), "");
  EXPECT_EQ(Probe::FirstFree(a, 1), 1);
}

TEST(TStringArray, OutsideTheTableReadsEmptyAndWritesNothing) {
  TStringArray a(nullptr);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  const std::pair<int, int> cells[] = {{-1, 1}, {2, 1}, {1, 0}, {1, 2}};
  for (auto [c, r] : cells) {
    a.SetString(c, r, "x");
    EXPECT_EQ(a.GetString(c, r), "");
  }
  for (int i : {-1, 0, 2}) {
    a.SetRowAttrib(i, 5);
    a.SetColAttrib(i, 5);
    EXPECT_EQ(a.GetRowAttrib(i), 0);
    EXPECT_EQ(a.GetColAttrib(i), 0);
    EXPECT_EQ(a.GetSortOrder(i), -1);
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Probe::FirstFree(a, 1), 1);
}

TEST(TStringArray, LongTextsAreCutTo255) {
  TStringArray a(nullptr);
  a.SetString(1, 1, std::string(300, 'q'));
  EXPECT_EQ(a.GetString(1, 1), std::string(255, 'q'));
  const std::string bytes("\x00\x80\xFF<&\"", 6);
  a.SetString(0, 1, bytes);
  EXPECT_EQ(a.GetString(0, 1), bytes);
}

TEST(TStringArray, PageHolds127TextsOf255Characters) {
  TStringArray a(nullptr);
  a.Resize(1, 128);
  for (int r = 1; r <= 127; ++r) a.SetString(1, r, std::string(255, char('a' + r % 26)));
  EXPECT_EQ(a.NumBuffers(), 1);
  EXPECT_EQ(Probe::FirstFree(a, 1), 1 + 127 * 256);
  a.SetString(1, 128, std::string(255, 'z'));
  EXPECT_EQ(a.NumBuffers(), 2);
  EXPECT_EQ(Probe::CellWord(a, 1, 128), (2u << 16) | 1u);
  // A short text still fits into the room left on page 1.
  a.SetString(0, 1, "short");
  EXPECT_EQ(Probe::CellWord(a, 0, 1) >> 16, 1u);
  EXPECT_EQ(a.GetString(1, 100), std::string(255, char('a' + 100 % 26)));
}

TEST(TStringArray, TextsGoToTheFirstPageWithRoomAsAPlainScanFindsIt) {
  // Every new text lands where a scan of the pages from the first finds room for it: the tree over
  // the pages, the last page kept apart from it, and garbage collection in between keep that order.
  std::mt19937 gen(132);
  TStringArray a(nullptr);
  a.Resize(3, 3000);
  std::vector<int> firstFree{1};  // the model: first free offset per page
  for (int step = 0; step < 12000; ++step) {
    const int col = 1 + int(gen() % 3), row = 1 + int(gen() % 3000);
    const std::string text(gen() % 4 ? gen() % 40 : gen() % 256, 'x');
    const uint32_t before = Probe::CellWord(a, col, row);
    const bool inPlace = before != 0 && a.GetString(col, row).size() >= text.size();
    a.SetString(col, row, text);
    if (step % 5000 == 4999) {
      a.GarbageCollection();
      for (size_t p = 0; p < firstFree.size(); ++p) firstFree[p] = Probe::FirstFree(a, int(p) + 1);
      continue;
    }
    if (inPlace || (before == 0 && text.empty())) continue;
    size_t page = 0;
    while (page < firstFree.size() && int(text.size()) >= TStringArray::PageSize - firstFree[page]) ++page;
    if (page == firstFree.size()) firstFree.push_back(1);
    ASSERT_EQ(Probe::CellWord(a, col, row), uint32_t(page + 1) << 16 | uint32_t(firstFree[page])) << "step " << step;
    firstFree[page] += int(text.size()) + 1;
  }
  EXPECT_EQ(a.NumBuffers(), int(firstFree.size()));
}

TEST(TStringArray, ShorterTextKeepsTheCellWordLongerMovesIt) {
  TStringArray a(nullptr);
  a.SetString(1, 1, "hello");
  const uint32_t w = Probe::CellWord(a, 1, 1);
  a.SetString(1, 1, "hey");
  EXPECT_EQ(Probe::CellWord(a, 1, 1), w);
  a.SetString(1, 1, "hell");  // longer than the stored length byte (3)
  EXPECT_NE(Probe::CellWord(a, 1, 1), w);
  EXPECT_EQ(a.GetString(1, 1), "hell");
  a.SetString(1, 1, "");
  EXPECT_NE(Probe::CellWord(a, 1, 1), 0u);
  EXPECT_EQ(a.GetString(1, 1), "");
}

TEST(TStringArray, EmptyTextIntoEmptyCellTakesNoPlace) {
  TStringArray a(nullptr);
  a.SetString(1, 1, "");
  EXPECT_EQ(Probe::CellWord(a, 1, 1), 0u);
  EXPECT_EQ(Probe::FirstFree(a, 1), 1);
}

TEST(TStringArray, GarbageCollectionPacksPagesAndKeepsTexts) {
  TStringArray a(nullptr);
  a.Resize(2, 300);
  for (int r = 1; r <= 300; ++r) {
    a.SetString(0, r, "row " + std::to_string(r));
    a.SetString(1, r, std::string(200, char('A' + r % 26)));
    a.SetString(1, r, std::string(201, char('a' + r % 26)));  // abandons the first place
    a.SetString(2, r, "x");
  }
  const int pages = a.NumBuffers();
  a.GarbageCollection();
  EXPECT_EQ(a.NumBuffers(), pages);
  int used = 0;
  for (int p = 1; p <= pages; ++p) used += Probe::FirstFree(a, p) - 1;
  int live = 0;
  for (int c = 0; c <= 2; ++c)
    for (int r = 1; r <= 300; ++r) live += int(a.GetString(c, r).size()) + 1;
  EXPECT_EQ(used, live);
  for (int r = 1; r <= 300; ++r) {
    EXPECT_EQ(a.GetString(0, r), "row " + std::to_string(r));
    EXPECT_EQ(a.GetString(1, r), std::string(201, char('a' + r % 26)));
  }
}

TEST(TStringArray, ClearEmptiesEverythingWithoutEvent) {
  TStringArray a(nullptr);
  a.Resize(2, 200);
  a.Fill(std::string(250, 'x'));
  a.SetRowAttrib(3, 7);
  a.SetColAttrib(2, 9);
  a.Sort(1, 0, false);
  ASSERT_GT(a.NumBuffers(), 1);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.Clear();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(a.NumBuffers(), 1);
  EXPECT_EQ(a.NrOfRows(), 200);
  EXPECT_TRUE(a.ColumnEmpty(0));
  EXPECT_EQ(a.GetRowAttrib(3), 0);
  EXPECT_EQ(a.GetColAttrib(2), 0);
  EXPECT_EQ(a.GetSortOrder(5), 5);
}

TEST(TStringArray, FillWritesEveryCellAndFiresOnce) {
  TStringArray a(nullptr);
  a.Resize(2, 3);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.Fill("ab");
  EXPECT_EQ(changes, 1);
  for (int c = 0; c <= 2; ++c)
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(a.GetString(c, r), "ab");
  a.Fill("");
  EXPECT_TRUE(a.ColumnEmpty(1));
}

TEST(TStringArray, GetAsNumber) {
  TStringArray a(nullptr);
  a.Resize(1, 6);
  const char* texts[] = {" 3,5 ", "", "  ", "-2.25e2", "1,000", "12abc"};
  for (int r = 0; r < 6; ++r) a.SetString(1, r + 1, texts[r]);
  EXPECT_EQ(a.GetAsNumber(1, 1), 3.5L);
  EXPECT_EQ(a.GetAsNumber(1, 2), 0.0L);
  EXPECT_EQ(a.GetAsNumber(1, 3), 0.0L);
  EXPECT_EQ(a.GetAsNumber(1, 4), -225.0L);
  EXPECT_EQ(a.GetAsNumber(1, 5), 1.0L);
  EXPECT_THROW_MSG(a.GetAsNumber(1, 6), EQeltaDStructError,
                   "Class TStringArray: invalid numeric string: [1,6]: 12abc");
  EXPECT_EQ(a.GetAsNumber(5, 5), 0.0L);
}

TEST(TStringArray, EmptyColumnsAndRowsAllowBlanks) {
  TStringArray a(nullptr);
  Put(a, {{"  ", ""}, {"", " "}});
  a.SetString(0, 1, "header");
  EXPECT_TRUE(a.ColumnEmpty(1));
  EXPECT_FALSE(a.ColumnEmpty(0));
  EXPECT_TRUE(a.RowEmpty(1));  // column 0 does not count
  a.SetString(2, 2, " x");
  EXPECT_FALSE(a.RowEmpty(2));
  EXPECT_FALSE(a.ColumnEmpty(2));
}

// [SECTION] size and rows

TEST(TStringArray, ResizeKeepsCellsAndResetsTheSortIndex) {
  TStringArray a(nullptr);
  Put(a, {{"c", "1"}, {"a", "2"}, {"b", "3"}});
  a.SetString(0, 1, "h1");
  a.Sort(1, 0, true);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(a.Resize(2, 3));
  EXPECT_FALSE(a.Resize(0, 3));
  EXPECT_FALSE(a.Resize(2, -1));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(a.GetString(1, 1), "a");
  EXPECT_TRUE(a.Resize(3, 2));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"c", "a"}));
  EXPECT_EQ(a.GetString(0, 1), "h1");
  EXPECT_EQ(a.GetString(3, 1), "");
  EXPECT_TRUE(a.Resize(3, 40));
  EXPECT_EQ(a.GetString(1, 3), "");  // the row dropped before comes back empty
  EXPECT_EQ(a.AddRow(), 41);
}

TEST(TStringArray, ResizeBeyondTheAddressableRowsKeepsTheTable) {
  TStringArray a(nullptr);
  Put(a, {{"b"}, {"a"}});
  a.Sort(1, 0, true);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(a.Resize(3, 2147483647));
  EXPECT_EQ(changes, 1);  // reported like every other size change
  EXPECT_EQ(a.NrOfColumns(), 1);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"a", "b"}));
}

TEST(TStringArray, ShrinkAndGrowEmptiesDroppedRowsAndAttributes) {
  TStringArray a(nullptr);
  a.Resize(1, 5);
  a.SetString(1, 5, "five");
  a.SetRowAttrib(5, 3);
  a.SetColAttrib(1, 4);
  a.Resize(2, 4);
  a.Resize(2, 5);
  EXPECT_EQ(a.GetString(1, 5), "");
  EXPECT_EQ(a.GetRowAttrib(5), 0);
  EXPECT_EQ(a.GetColAttrib(1), 4);
  a.Resize(1, 5);
  a.Resize(2, 5);
  EXPECT_EQ(a.GetColAttrib(2), 0);
}

// A step below 1 was stored as it came and broke the row allocation.
TEST(TStringArray, AllocRowsByBelowOneIsStoredAsOne) {
  for (int n : {0, -3}) {
    TStringArray a(nullptr);
    a.SetAllocRowsBy(n);
    EXPECT_EQ(a.AllocRowsBy(), 1);
    EXPECT_TRUE(a.Resize(2, 25));
    a.SetString(2, 25, "last");
    EXPECT_EQ(a.GetString(2, 25), "last");
  }
}

TEST(TStringArray, RemoveRowOfSingleRowEmptiesIt) {
  TStringArray a(nullptr);
  a.SetString(0, 1, "x");
  a.SetString(1, 1, "y");
  a.SetRowAttrib(1, 8);
  a.RemoveRow(1);
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_TRUE(a.RowEmpty(1));
  EXPECT_EQ(a.GetString(0, 1), "");
  EXPECT_EQ(a.GetRowAttrib(1), 0);
}

TEST(TStringArray, InsertRemoveCopyOutsideDoNothing) {
  TStringArray a(nullptr);
  Put(a, {{"a"}, {"b"}});
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.InsertRow(0);
  a.InsertRow(3);
  a.RemoveRow(3);
  a.CopyRow(1, 3);
  a.CopyRow(0, 1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"a", "b"}));
}

// In a sorted table InsertRow and RemoveRow shifted physical rows by view position, so the
// rows around the change swapped places in the view.
TEST(TStringArray, InsertAndRemoveKeepTheViewOrderOfASortedTable) {
  TStringArray a(nullptr);
  Put(a, {{"d"}, {"b"}, {"a"}, {"c"}});
  a.SetRowAttrib(2, 2);  // row "b"
  a.Sort(1, 0, true);    // view a b c d, physical 3 2 4 1
  a.InsertRow(2);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"a", "", "b", "c", "d"}));
  EXPECT_EQ(a.GetRowAttrib(3), 2);
  EXPECT_EQ(a.GetRowAttrib(2), 0);
  EXPECT_EQ(a.GetSortOrder(2), 2);  // the slot of the displaced row "b"
  a.SetString(1, 2, "new");
  a.RemoveRow(4);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"a", "new", "b", "d"}));
  a.CommitSorting();
  a.UnSort();
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"a", "new", "b", "d"}));
}

// Copying the cell words would tie two cells to one text: writing one in place changed both.
TEST(TStringArray, CopiedCellsAreIndependent) {
  TStringArray a(nullptr);
  Put(a, {{"alpha"}, {"beta"}});
  a.SetString(0, 1, "zero");
  a.SetRowAttrib(1, 6);
  a.CopyRow(1, 2);
  EXPECT_EQ(a.GetString(0, 2), "zero");
  EXPECT_EQ(a.GetRowAttrib(2), 6);
  a.SetString(1, 2, "al");  // shorter: written in place
  EXPECT_EQ(a.GetString(1, 1), "alpha");
}

TEST(TStringArray, ColumnZeroSurvivesEveryReorganisation) {
  TStringArray a(nullptr);
  Put(a, {{"b"}, {"a"}, {"c"}});
  for (int r = 1; r <= 3; ++r) a.SetString(0, r, "h" + a.GetString(1, r));
  a.Resize(2, 3);
  a.Sort(1, 0, true);
  a.CommitSorting();
  a.CopyRow(1, 3);
  a.GarbageCollection();
  EXPECT_EQ(Column(a, 0), (std::vector<AnsiString>{"ha", "hb", "ha"}));
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"a", "b", "a"}));
}

// [SECTION] sorting

TEST(TStringArray, SortWithSecondaryColumn) {
  TStringArray a(nullptr);
  Put(a, {{"b", "2"}, {"a", "9"}, {"b", "1"}});
  a.Sort(1, 2, true);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"a", "b", "b"}));
  EXPECT_EQ(Column(a, 2), (std::vector<AnsiString>{"9", "1", "2"}));
  EXPECT_EQ(a.GetSortOrder(1), 2);
  EXPECT_EQ(a.GetSortOrder(2), 3);
  EXPECT_EQ(a.GetSortOrder(3), 1);
  a.Sort(1, 2, false);
  EXPECT_EQ(Column(a, 2), (std::vector<AnsiString>{"2", "1", "9"}));
}

TEST(TStringArray, SortIgnoresCaseOfAToZOnly) {
  struct Case {
    std::vector<AnsiString> in, sorted;
  };
  const Case cases[] = {
      {{"Zeta", "alpha"}, {"alpha", "Zeta"}},
      {{"b", "A", "_"}, {"_", "A", "b"}},           // '_' (5F) before 'A', compared as 'a' (61)
      {{"\xE9", "\xC9", "e"}, {"e", "\xC9", "\xE9"}},  // accented letters by code
      {{"ab", "a", "AB "}, {"a", "ab", "AB "}},
  };
  for (const Case& c : cases) {
    TStringArray a(nullptr);
    a.Resize(1, int(c.in.size()));
    for (size_t r = 0; r < c.in.size(); ++r) a.SetString(1, int(r) + 1, c.in[r]);
    a.Sort(1, 0, true);
    EXPECT_EQ(Column(a, 1), c.sorted);
  }
}

TEST(TStringArray, WritingAfterSortGoesThroughTheView) {
  TStringArray a(nullptr);
  Put(a, {{"b"}, {"a"}});
  a.Sort(1, -1, true);
  a.SetString(1, 1, "first");
  a.SetRowAttrib(1, 4);
  a.UnSort();
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"b", "first"}));
  EXPECT_EQ(a.GetRowAttrib(2), 4);
}

TEST(TStringArray, CommitSortingMakesTheOrderPhysical) {
  TStringArray a(nullptr);
  Put(a, {{"c", "3"}, {"a", "1"}, {"b", "2"}});
  a.SetRowAttrib(1, 30);
  a.Sort(1, 0, true);
  a.CommitSorting();
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(a.GetSortOrder(r), r);
  EXPECT_EQ(Column(a, 2), (std::vector<AnsiString>{"1", "2", "3"}));
  EXPECT_EQ(a.GetRowAttrib(3), 30);
}

TEST(TStringArray, SortKeysComeFromTheHook) {
  TStringArray a(nullptr);
  Put(a, {{"10"}, {"9"}, {"100"}});
  int calls = 0;
  a.OnBeforeSortExchange = [&](TObject* sender, const String& in, String& out) {
    EXPECT_EQ(sender, &a);
    EXPECT_EQ(out, in);
    ++calls;
    out = String(5 - in.size(), u'0') + in;  // numbers as fixed-width keys
  };
  a.Sort(1, 0, true);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"9", "10", "100"}));
  EXPECT_EQ(calls, 3);
}

// Gap-1 passes beyond the first one pushed the reported share above 100.
TEST(TStringArray, SortReportsProgressUpToHundred) {
  std::mt19937 rng(8);
  for (int n : {0, 1, 2, 3, 50, 997}) {
    TStringArray a(nullptr);
    a.Resize(1, std::max(n, 1));
    for (int r = 1; r <= n; ++r) a.SetString(1, r, std::to_string(rng() % 97));
    std::vector<int> seen;
    int changes = 0;
    a.OnPercentDone = [&](TObject*, int pct) { seen.push_back(pct); };
    a.OnChange = [&](TObject*) { ++changes; };
    a.Sort(1, 0, n % 2 == 0);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_LE(*std::max_element(seen.begin(), seen.end()), 100);
    EXPECT_EQ(changes, n > 1 ? 1 : 0);
  }
}

TEST(TStringArray, SortOnAColumnOutsideLeavesTheOrder) {
  TStringArray a(nullptr);
  Put(a, {{"b"}, {"a"}});
  a.Sort(7, 0, true);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"b", "a"}));
}

TEST(TStringArray, SetSortOrderChecksBothIndices) {
  TStringArray a(nullptr);
  Put(a, {{"a"}, {"b"}});
  a.SetSortOrder(1, 3);
  a.SetSortOrder(0, 1);
  EXPECT_EQ(a.GetSortOrder(1), 1);
  a.SetSortOrder(1, 2);
  a.SetSortOrder(2, 1);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"b", "a"}));
}

// Regression: a sort-key handler that added rows made the key list overflow, and a progress handler
// that shrank the table had the sorted index written beyond it. Such a handler now ends the sort.
TEST(TStringArray, AHandlerThatResizesTheTableEndsTheSort) {
  TStringArray a(nullptr);
  Put(a, {{"e"}, {"d"}, {"c"}, {"b"}, {"a"}});
  a.OnBeforeSortExchange = [&a](TObject*, const String& in, String& out) {
    out = in;
    if (a.NrOfRows() < 40) a.AddRow();
  };
  int changes = 0;
  std::vector<int> percents;
  a.OnChange = [&changes](TObject*) { ++changes; };
  a.OnPercentDone = [&percents](TObject*, int p) { percents.push_back(p); };
  a.Sort(1, 0, true);
  EXPECT_EQ(a.NrOfRows(), 10);       // one row added per key of the five rows
  EXPECT_EQ(changes, 5);              // the additions only: the ended sort fires no OnChange
  EXPECT_EQ(a.GetString(1, 1), "e");  // and left the order
  EXPECT_EQ(percents, (std::vector<int>{0, 100}));

  TStringArray b(nullptr);
  b.Resize(1, 30);
  b.OnPercentDone = [&b](TObject*, int p) {
    if (p > 0 && p < 100) b.Resize(3, 2);
  };
  b.Sort(1, 0, true);
  EXPECT_EQ(b.NrOfRows(), 2);
  EXPECT_EQ(b.GetSortOrder(2), 2);
}

// Regression: entries set one by one can repeat a row. RemoveRow then moved memory by a negative
// count (entries beyond the table after an InsertRow), and CommitSorting made two cells share one
// text, so writing one changed the other. A repeated entry now takes the next unshown row first.
TEST(TStringArray, RowOperationsCompleteARepeatingSortIndex) {
  TStringArray a(nullptr);
  Put(a, {{"a"}, {"b"}, {"c"}});
  a.SetSortOrder(1, 3);
  a.SetSortOrder(2, 3);
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"c", "c", "c"}));  // read as the index says
  a.InsertRow(2);  // index 3 3 3 -> 3 1 2, then the new row at view 2
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"c", "", "a", "b"}));
  a.SetSortOrder(1, 2);
  a.SetSortOrder(4, 2);
  a.RemoveRow(3);
  a.RemoveRow(3);
  EXPECT_EQ(a.NrOfRows(), 2);

  Put(a, {{"a"}, {"b"}, {"c"}});
  a.SetSortOrder(1, 3);
  a.SetSortOrder(3, 3);  // 3 2 3 -> 3 2 1
  a.CommitSorting();
  a.SetString(1, 1, "x");
  EXPECT_EQ(Column(a, 1), (std::vector<AnsiString>{"x", "b", "a"}));
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(a.GetSortOrder(r), r);
}

// [SECTION] finding

TEST(TStringArray, FindCellSearchesRowByRowWithinClampedBounds) {
  TStringArray a(nullptr);
  Put(a, {{"xx", "Abc"}, {"abc", "zz"}, {"ab", "abc"}});
  a.SetString(0, 3, "abc");
  struct Case {
    const char* find;
    bool matchCase, exact;
    int colLow, colHigh, rowLow, rowHigh;
    bool found;
    int col, row;
  };
  const Case cases[] = {
      {"bc", false, false, -1, -1, -1, -1, true, 2, 1},
      {"ABC", true, false, -1, -1, -1, -1, false, 0, 0},
      {"ABC", false, false, -1, -1, -1, -1, true, 2, 1},
      {"abc", false, true, -1, 2, 2, 3, true, 1, 2},    // one column bound -1: all columns
      {"abc", false, true, 2, 0, 3, -1, true, 2, 1},    // one row bound -1: clamped to 1
      {"abc", false, true, 9, 1, 99, 3, true, 2, 3},    // bounds clamped and ordered
      {"abc", true, true, 0, 0, -1, -1, true, 0, 3},
      {"", false, false, -1, -1, -1, -1, false, 0, 0},  // the empty text never matches a part
      {"", false, true, 1, 2, 1, 3, false, 0, 0},
      {"q", false, false, -1, -1, -1, -1, false, 0, 0},
  };
  for (const Case& c : cases) {
    int col = 0, row = 0;
    const bool found = c.exact ? a.FindCellExact(c.find, c.matchCase, c.colLow, c.colHigh, c.rowLow, c.rowHigh, col, row)
                               : a.FindCell(c.find, c.matchCase, c.colLow, c.colHigh, c.rowLow, c.rowHigh, col, row);
    EXPECT_EQ(found, c.found) << c.find;
    EXPECT_EQ(col, c.col) << c.find;
    EXPECT_EQ(row, c.row) << c.find;
  }
}

TEST(TStringArray, FindCellExactMatchesAnEmptyCell) {
  TStringArray a(nullptr);
  Put(a, {{"a", ""}});
  int col = 0, row = 0;
  EXPECT_TRUE(a.FindCellExact("", true, 1, 2, -1, -1, col, row));
  EXPECT_EQ(col, 2);
}

// The classic search loop never ended on some ranges of two rows; it now loops while lo < hi
// and compares the last row left.
TEST(TStringArray, FindCellInSortedColumn) {
  struct Case {
    std::vector<AnsiString> column;
    bool ascending;
    const char* find;
    bool matchCase;
    int rowLow, rowHigh;
    bool found;
    int row;
  };
  const Case cases[] = {
      {{"a", "b", "b", "c"}, true, "b", true, -1, -1, true, 2},
      {{"a"}, true, "a", true, -1, -1, true, 1},
      {{"a"}, true, "b", true, -1, -1, false, 0},
      {{"a", "b"}, true, "b", true, -1, -1, true, 2},
      {{"a", "b"}, true, "c", true, -1, -1, false, 0},
      {{"a", "b"}, true, "0", true, -1, -1, false, 0},
      {{"c", "b", "b", "a"}, false, "b", true, -1, -1, true, 2},
      {{"c", "b", "a"}, false, "a", true, -1, -1, true, 3},
      {{"a", "B", "b", "b", "c"}, true, "B", false, -1, -1, true, 2},
      {{"a", "B", "b", "b", "c"}, true, "b", true, -1, -1, true, 3},
      {{"b", "b", "b", "b", "c"}, true, "b", true, 3, 5, true, 1},  // moves up to row 1
      {{"a", "c", "e", "g", "i", "k"}, true, "i", true, 6, 2, true, 5},
  };
  for (const Case& c : cases) {
    TStringArray a(nullptr);
    a.Resize(1, int(c.column.size()));
    for (size_t r = 0; r < c.column.size(); ++r) a.SetString(1, int(r) + 1, c.column[r]);
    int row = 0;
    EXPECT_EQ(a.FindCellInSortedColumn(c.find, c.matchCase, 1, c.rowLow, c.rowHigh, c.ascending, row), c.found)
        << c.find;
    if (c.found) {
      EXPECT_EQ(row, c.row) << c.find;
    }
  }
}

// [SECTION] randomised model test

struct TModelRow {
  std::vector<AnsiString> cells;
  uint8_t attr = 0;
};

// Reference: physical rows, the view as a list of physical rows, column attributes.
struct TModel {
  int cols = 1;
  std::vector<TModelRow> rows{TModelRow{{"", ""}}};
  std::vector<int> view{1};
  std::vector<uint8_t> colAttr{0};

  int NRows() const { return int(rows.size()); }
  TModelRow& At(int viewRow) { return rows[size_t(view[size_t(viewRow - 1)] - 1)]; }
  const AnsiString& Cell(int c, int viewRow) const { return rows[size_t(view[size_t(viewRow - 1)] - 1)].cells[size_t(c)]; }
  void Identity() {
    view.resize(rows.size());
    for (size_t i = 0; i < view.size(); ++i) view[i] = int(i) + 1;
  }
};

AnsiString Lower(AnsiString s) {
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
  return s;
}

AnsiString RandomText(std::mt19937& rng) {
  static const char alphabet[] = {'a', 'b', 'A', 'B', 'z', 'Z', ' ', '_', '1', '\xC9', '\xE9'};
  const unsigned kind = rng() % 10;
  const size_t len = kind < 2 ? 0 : kind < 7 ? rng() % 4 + 1 : rng() % 300;
  AnsiString s;
  for (size_t i = 0; i < len; ++i) s += alphabet[rng() % sizeof alphabet];
  return s;
}

void ExpectSame(const TStringArray& a, const TModel& m, int step) {
  ASSERT_EQ(a.NrOfColumns(), m.cols) << step;
  ASSERT_EQ(a.NrOfRows(), m.NRows()) << step;
  for (int r = 1; r <= m.NRows(); ++r) {
    ASSERT_EQ(a.GetSortOrder(r), m.view[size_t(r - 1)]) << step;
    ASSERT_EQ(a.GetRowAttrib(r), m.rows[size_t(m.view[size_t(r - 1)] - 1)].attr) << step;
    for (int c = 0; c <= m.cols; ++c) ASSERT_EQ(a.GetString(c, r), m.Cell(c, r)) << step << " cell " << c << "," << r;
  }
  for (int c = 1; c <= m.cols; ++c) ASSERT_EQ(a.GetColAttrib(c), m.colAttr[size_t(c - 1)]) << step;
}

// Checks that the table's new view is a permutation sorted by the keys, then adopts it.
void CheckAndAdoptSort(const TStringArray& a, TModel& m, int col, int colSec, bool ascending) {
  auto key = [&](int phys, int c) {
    return c >= 0 && c <= m.cols ? Lower(m.rows[size_t(phys - 1)].cells[size_t(c)]) : AnsiString();
  };
  std::vector<int> view(size_t(m.NRows()));
  for (int r = 1; r <= m.NRows(); ++r) view[size_t(r - 1)] = a.GetSortOrder(r);
  std::vector<int> sorted = view;
  std::sort(sorted.begin(), sorted.end());
  std::vector<int> before = m.view;
  std::sort(before.begin(), before.end());
  ASSERT_EQ(sorted, before);
  for (size_t i = 0; i + 1 < view.size(); ++i) {
    int cmp = key(view[i], col).compare(key(view[i + 1], col));
    if (cmp == 0 && colSec >= 1) cmp = key(view[i], colSec).compare(key(view[i + 1], colSec));
    ASSERT_TRUE(ascending ? cmp <= 0 : cmp >= 0) << "view " << i;
  }
  m.view = view;
}

void ModelFind(const TModel& m, const AnsiString& find, bool matchCase, bool exact, int c1, int c2, int r1, int r2,
               bool& found, int& col, int& row) {
  const AnsiString needle = matchCase ? find : Lower(find);
  found = false;
  if (!exact && needle.empty()) return;
  for (int r = r1; r <= r2; ++r)
    for (int c = c1; c <= c2; ++c) {
      const AnsiString t = matchCase ? m.Cell(c, r) : Lower(m.Cell(c, r));
      if (exact ? t == needle : t.find(needle) != AnsiString::npos) {
        found = true;
        col = c;
        row = r;
        return;
      }
    }
}

void ApplyRandomStep(TStringArray& a, TModel& m, std::mt19937& rng) {
  const int n = m.NRows();
  auto anyRow = [&] { return int(rng() % unsigned(n)) + 1; };
  switch (rng() % 17) {
    case 0: case 1: case 2: {  // set
      const int c = int(rng() % unsigned(m.cols + 1)), r = anyRow();
      const AnsiString t = RandomText(rng);
      a.SetString(c, r, t);
      m.At(r).cells[size_t(c)] = t.substr(0, 255);
      break;
    }
    case 3: {  // insert
      const int r = anyRow(), p = m.view[size_t(r - 1)];
      a.InsertRow(r);
      m.rows.insert(m.rows.begin() + (p - 1), TModelRow{std::vector<AnsiString>(size_t(m.cols) + 1)});
      for (int& v : m.view)
        if (v >= p) ++v;
      m.view.insert(m.view.begin() + (r - 1), p);
      break;
    }
    case 4: {  // remove
      const int r = anyRow(), p = m.view[size_t(r - 1)];
      a.RemoveRow(r);
      if (n == 1) {
        m.rows[0] = TModelRow{std::vector<AnsiString>(size_t(m.cols) + 1)};
        break;
      }
      m.rows.erase(m.rows.begin() + (p - 1));
      m.view.erase(m.view.begin() + (r - 1));
      for (int& v : m.view)
        if (v > p) --v;
      break;
    }
    case 5: {  // copy
      const int s = anyRow(), t = anyRow();
      a.CopyRow(s, t);
      m.At(t) = m.At(s);
      break;
    }
    case 6: {  // sort
      const int col = int(rng() % unsigned(m.cols + 2)), colSec = int(rng() % unsigned(m.cols + 2)) - 1;
      const bool asc = rng() % 2 == 0;
      a.Sort(col, colSec, asc);
      CheckAndAdoptSort(a, m, col, colSec, asc);
      break;
    }
    case 7: a.UnSort(); m.Identity(); break;
    case 8: {  // commit
      a.CommitSorting();
      std::vector<TModelRow> rows;
      for (int v : m.view) rows.push_back(m.rows[size_t(v - 1)]);
      m.rows = rows;
      m.Identity();
      break;
    }
    case 9: {  // resize
      const int nc = int(rng() % 4) + 1, nr = rng() % 4 == 0 ? int(rng() % 30) + 1 : n + 1;
      a.Resize(nc, nr);
      if (nc == m.cols && nr == n) break;  // unchanged, the sort index stays
      m.rows.resize(size_t(nr), TModelRow{std::vector<AnsiString>(size_t(m.cols) + 1)});
      for (TModelRow& row : m.rows) row.cells.resize(size_t(nc) + 1);
      m.colAttr.resize(size_t(nc), 0);
      m.cols = nc;
      m.Identity();
      break;
    }
    case 10: a.GarbageCollection(); break;
    case 11: {  // attributes
      const int r = anyRow(), c = int(rng() % unsigned(m.cols)) + 1;
      const uint8_t b = uint8_t(rng());
      a.SetRowAttrib(r, b);
      m.At(r).attr = b;
      a.SetColAttrib(c, uint8_t(b + 1));
      m.colAttr[size_t(c - 1)] = uint8_t(b + 1);
      break;
    }
    case 12: case 13: {  // find
      const bool exact = rng() % 2 == 0, matchCase = rng() % 2 == 0;
      AnsiString find = m.Cell(int(rng() % unsigned(m.cols + 1)), anyRow());
      if (!exact) find = find.substr(rng() % (find.size() + 1), rng() % 3);
      int c1 = int(rng() % unsigned(m.cols + 1)), c2 = int(rng() % unsigned(m.cols + 1)), r1 = anyRow(), r2 = anyRow();
      int col = -5, row = -5, mcol = -5, mrow = -5;
      bool mfound = false;
      const bool found = exact ? a.FindCellExact(find, matchCase, c1, c2, r1, r2, col, row)
                               : a.FindCell(find, matchCase, c1, c2, r1, r2, col, row);
      ModelFind(m, find, matchCase, exact, std::min(c1, c2), std::max(c1, c2), std::min(r1, r2), std::max(r1, r2),
                mfound, mcol, mrow);
      ASSERT_EQ(found, mfound) << find;
      ASSERT_EQ(col, mcol);
      ASSERT_EQ(row, mrow);
      break;
    }
    case 14: {  // binary find in a freshly sorted column
      const int col = int(rng() % unsigned(m.cols + 1));
      const bool asc = rng() % 2 == 0;
      a.Sort(col, 0, asc);
      CheckAndAdoptSort(a, m, col, 0, asc);
      const AnsiString find = rng() % 4 == 0 ? RandomText(rng) : m.Cell(col, anyRow());
      int first = 0;
      for (int r = 1; r <= n && first == 0; ++r)
        if (Lower(m.Cell(col, r)) == Lower(find.substr(0, 255))) first = r;
      int row = 0;
      ASSERT_EQ(a.FindCellInSortedColumn(find.substr(0, 255), false, col, -1, -1, asc, row), first > 0) << find;
      if (first > 0) {
        ASSERT_EQ(row, first);
      }
      break;
    }
    case 15: {  // fill
      const AnsiString t = RandomText(rng);
      a.Fill(t);
      for (TModelRow& row : m.rows) {
        std::fill(row.cells.begin(), row.cells.end(), t.substr(0, 255));
        if (t.empty()) row.attr = 0;
      }
      if (t.empty()) {
        std::fill(m.colAttr.begin(), m.colAttr.end(), uint8_t(0));
        m.Identity();
      }
      break;
    }
    default: {  // add
      ASSERT_EQ(a.AddRow(), n + 1);
      m.rows.push_back(TModelRow{std::vector<AnsiString>(size_t(m.cols) + 1)});
      m.Identity();
    }
  }
}

TEST(TStringArray, AgreesWithAReferenceModel) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    std::mt19937 rng(seed);
    TStringArray a(nullptr);
    a.SetAllocRowsBy(int(seed) * 3);
    TModel m;
    int pages = 0;
    for (int step = 0; step < 3000; ++step) {
      ApplyRandomStep(a, m, rng);
      if (HasFatalFailure()) return;
      ExpectSame(a, m, step);
      if (HasFatalFailure()) return;
      pages = std::max(pages, a.NumBuffers());
    }
    EXPECT_GE(pages, 2) << "the steps should have filled more than one page";
  }
}

// [SECTION] XML element

using qelta::test::TempDir;

std::vector<std::vector<AnsiString>> Cells(const TStringArray& a) {
  std::vector<std::vector<AnsiString>> v;
  for (int r = 1; r <= a.NrOfRows(); ++r) {
    v.emplace_back();
    for (int c = 0; c <= a.NrOfColumns(); ++c) v.back().push_back(a.GetString(c, r));
    v.back().push_back(AnsiString(1, char(a.GetRowAttrib(r))));
  }
  return v;
}

TEST(TStringArray, WritesTheDocumentedElement) {
  TempDir dir;
  TStringArray a(nullptr);
  Put(a, {{"b", ""}, {"a<&>", "x\"y"}});
  a.SetString(0, 1, "h\t\x80");
  a.SetRowAttrib(1, 7);
  a.SetColAttrib(2, 200);
  a.Sort(1, 0, true);
  TextFile f;
  AssignFile(f, dir / "t.xml");
  Rewrite(f);
  a.WriteToOpenXMLFile(f, false, u"List");
  CloseFile(f);
  EXPECT_EQ(dir.Get("t.xml"),
            "\r\n"
            "<!-- TStringArray / Qeltakit -->\r\n"
            "<stringarray sig=\"Qeltakit\" vers=\"1.0\" id=\"List\">\r\n"
            "  <dims cols=2 rows=2 />\r\n"
            "  <colattrib col=2 val=200 />\r\n"
            "  <cell col=1 row=1>a&lt;&amp;&gt;</cell>\r\n"
            "  <cell col=2 row=1>x&quot;y</cell>\r\n"
            "  <rowattrib row=2 val=7 />\r\n"
            "  <cell col=0 row=2>h&#9;&#8364;</cell>\r\n"
            "  <cell col=1 row=2>b</cell>\r\n"
            "</stringarray>\r\n");
}

TEST(TStringArray, XmlRoundTripKeepsTheView) {
  TempDir dir;
  std::mt19937 rng(21);
  TStringArray a(nullptr);
  a.Resize(4, 150);
  for (int r = 1; r <= 150; ++r) {
    for (int c = 0; c <= 4; ++c) a.SetString(c, r, RandomText(rng));
    a.SetRowAttrib(r, uint8_t(rng()));
  }
  std::string every;
  for (int b = 1; b < 256; ++b) every += char(b);
  a.SetString(3, 7, every.substr(0, 255));
  a.SetString(2, 8, std::string(" \0 ", 3));
  a.SetColAttrib(1, 1);
  a.SetColAttrib(4, 255);
  a.Sort(2, 1, false);
  ASSERT_TRUE(a.SaveAsXMLFile(dir / "a.xml", u"Data \"set\" <1>"));
  TStringArray b(nullptr);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(b.LoadFromXMLFile(dir / "a.xml", u"data \"SET\" <1>"));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.NrOfColumns(), 4);
  EXPECT_EQ(Cells(b), Cells(a));
  EXPECT_EQ(b.GetColAttrib(1), 1);
  EXPECT_EQ(b.GetColAttrib(4), 255);
  for (int r = 1; r <= b.NrOfRows(); ++r) EXPECT_EQ(b.GetSortOrder(r), r);
}

TEST(TStringArray, ReadsTheElementWithTheWantedId) {
  TempDir dir;
  TextFile f;
  AssignFile(f, dir / "two.xml");
  Rewrite(f);
  for (const char* name : {"first", "second"}) {
    TStringArray a(nullptr);
    a.SetString(1, 1, name);
    a.WriteToOpenXMLFile(f, std::string(name) == "first", Utf8ToString(name));
  }
  CloseFile(f);
  struct Case {
    const char16_t* id;
    bool found;
    const char* text;
  };
  const Case cases[] = {{u"", true, "first"}, {u"SECOND", true, "second"}, {u"third", false, "old"}};
  for (const Case& c : cases) {
    TStringArray b(nullptr);
    b.SetString(1, 1, "old");
    EXPECT_EQ(b.LoadFromXMLFile(dir / "two.xml", c.id), c.found);
    EXPECT_EQ(b.GetString(1, 1), c.text);
  }
  // Two elements read one after the other from one open file.
  TStringArray b(nullptr);
  Reset(f);
  ASSERT_TRUE(b.ReadFromOpenXMLFile(f, u""));
  ASSERT_TRUE(b.ReadFromOpenXMLFile(f, u""));
  EXPECT_EQ(b.GetString(1, 1), "second");
  EXPECT_FALSE(b.ReadFromOpenXMLFile(f, u""));
  CloseFile(f);
}

TEST(TStringArray, MalformedOrHostileElementsLeaveTheTableUnchanged) {
  const std::string head = "<stringarray sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\r\n";
  const std::string cases[] = {
      "",
      "<stringarray sig=\"Other\" id=\"\">\r\n  <dims cols=1 rows=1 />\r\n</stringarray>\r\n",
      head + "  <cell col=1 row=1>x</cell>\r\n</stringarray>\r\n",  // no dims first
      head + "</stringarray>\r\n",
      head + "  <dims cols=0 rows=1 />\r\n</stringarray>\r\n",
      head + "  <dims cols=1 rows=x />\r\n</stringarray>\r\n",
      head + "  <dims cols=65535 rows=2000000000 />\r\n</stringarray>\r\n",
      head + "  <dims cols=65536 rows=1 />\r\n</stringarray>\r\n",
      head + "  <dims cols=1 rows=1 />\r\n  <dims cols=1 rows=1 />\r\n</stringarray>\r\n",
      head + "  <dims cols=1 rows=1 />\r\n  <cell col=1 row=>x</cell>\r\n</stringarray>\r\n",
      head + "  <dims cols=1 rows=1 />\r\n  <cell col=1 row=1>x</cell>\r\n",  // no closing tag
      head + "  <dims cols=1 rows=1 />\r\n  <cell col=1 row=1>x",
  };
  TempDir dir;
  for (const std::string& bytes : cases) {
    dir.Put("bad.xml", bytes);
    TStringArray a(nullptr);
    a.SetString(1, 1, "keep");
    EXPECT_FALSE(a.LoadFromXMLFile(dir / "bad.xml", u"")) << bytes;
    EXPECT_EQ(a.NrOfRows(), 1);
    EXPECT_EQ(a.GetString(1, 1), "keep");
  }
}

// Regression: a 132-byte file declaring 134,217,728 rows made the reader reserve 1.7 GB before any
// cell. The table is built when the element closes, and its storage may exceed what the element's text
// can fill by a small allowance only; within it the declared size stands, trailing empty rows included.
TEST(TStringArray, WhatAFileMakesTheReaderReserveFollowsWhatItHolds) {
  const std::string head = "<stringarray sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\r\n";
  TempDir dir;
  dir.Put("huge.xml", head + "  <dims cols=1 rows=134217728 />\r\n  <cell col=1 row=1>x</cell>\r\n</stringarray>\r\n");
  TStringArray a(nullptr);
  a.SetString(1, 1, "keep");
  EXPECT_FALSE(a.LoadFromXMLFile(dir / "huge.xml", u""));
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.GetString(1, 1), "keep");
  dir.Put("tall.xml", head + "  <dims cols=3 rows=100000 />\r\n  <cell col=2 row=7>x</cell>\r\n</stringarray>\r\n");
  ASSERT_TRUE(a.LoadFromXMLFile(dir / "tall.xml", u""));
  EXPECT_EQ(a.NrOfColumns(), 3);
  EXPECT_EQ(a.NrOfRows(), 100000);
  EXPECT_EQ(a.GetString(2, 7), "x");
}

// Regression: within the old bound of 2^24 unlisted cells, a 131-byte element declaring 400 x 10,000
// cells still made the reader reserve 16 MB. The table's storage is bounded by what the element's text
// can fill now, plus a small allowance.
TEST(TStringArray, ADeclaredTableNeedsTextThatCanFillIt) {
  const std::string text = "<stringarray sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\r\n  <dims cols=400 rows=10000 />\r\n"
                           "  <cell col=400 row=10000>x</cell>\r\n</stringarray>\r\n";
  TempDir dir;
  dir.Put("wide.xml", text);
  TStringArray a(nullptr);
  a.SetString(1, 1, "keep");
  bool loaded = true;
  const int64_t peak = test::HeapPeakOf([&] { loaded = a.LoadFromXMLFile(dir / "wide.xml", u""); });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(a.GetString(1, 1), "keep");
  EXPECT_LE(peak, test::ReaderPeakBound(text.size()));
}

// Regression: the writer leaves empty cells out and the reader refuses an element declaring more storage
// than its text can fill, so a large sparse table saved fine and then did not load. Such a table now gets
// empty cells written from the ends of its rows, as few as the reader needs; a small one is written as before.
TEST(TStringArray, ASparseTableComesBackAsSaved) {
  struct Case {
    int Cols, Rows;
    bool Padded;  // empty cells are written
  };
  for (const Case& c : {Case{3, 10, false}, Case{400, 10000, true}, Case{5000, 300, true}, Case{1, 2000000, true}}) {
    SCOPED_TRACE(std::to_string(c.Cols) + " x " + std::to_string(c.Rows));
    TempDir dir;
    TStringArray a(nullptr);
    ASSERT_TRUE(a.Resize(c.Cols, c.Rows));
    a.SetString(1, 1, "first");
    a.SetString(c.Cols, c.Rows / 2 + 1, "middle");
    ASSERT_TRUE(a.SaveAsXMLFile(dir / "a.xml", u""));
    const std::string file = dir.Get("a.xml");
    EXPECT_EQ(file.find("></cell>") != std::string::npos, c.Padded);
    TStringArray b(nullptr);
    ASSERT_TRUE(b.LoadFromXMLFile(dir / "a.xml", u""));
    EXPECT_EQ(b.NrOfColumns(), c.Cols);
    EXPECT_EQ(b.NrOfRows(), c.Rows);
    EXPECT_EQ(b.GetString(1, 1), "first");
    EXPECT_EQ(b.GetString(c.Cols, c.Rows / 2 + 1), "middle");
    EXPECT_EQ(b.GetString(c.Cols, c.Rows), "");
    // As few as needed: listing every empty cell would take 30 bytes a cell, this not a tenth of that.
    if (c.Padded) {
      EXPECT_LT(file.size(), size_t(c.Cols + 1) * size_t(c.Rows) * 3);
    }
  }
}

TEST(TStringArray, ReaderSkipsWhatLiesOutsideAndCutsLongTexts) {
  TempDir dir;
  dir.Put("odd.xml",
          "<stringarray sig=\"Qeltakit\" id=\"\">\n  <dims cols=1 rows=2 />\n  <cell col=2 row=1>out</cell>\n"
          "  <cell col=1 row=3>out</cell>\n  <rowattrib row=1 val=300 />\n  <colattrib col=1 val=4 />\n"
          "  <remark>skip</remark>\n  <cell col=1 row=2>" + std::string(300, 'w') + "</cell>\n</stringarray>");
  TStringArray a(nullptr);
  ASSERT_TRUE(a.LoadFromXMLFile(dir / "odd.xml", u""));
  EXPECT_EQ(a.NrOfRows(), 2);
  EXPECT_EQ(a.GetString(1, 1), "");
  EXPECT_EQ(a.GetRowAttrib(1), 0);
  EXPECT_EQ(a.GetColAttrib(1), 4);
  EXPECT_EQ(a.GetString(1, 2), std::string(255, 'w'));
}

TEST(TStringArray, FileFailuresAnswerFalse) {
  TempDir dir;
  TStringArray a(nullptr);
  EXPECT_FALSE(a.LoadFromXMLFile(dir / "missing.xml", u""));
  EXPECT_FALSE(a.SaveAsXMLFile(dir / "no/such/dir.xml", u""));
}

}  // namespace
