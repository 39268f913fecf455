// TRLData, the report list's data: columns, check cells, rows, defaults, sorting and copying.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Qelta_replist.h"

namespace {

using namespace qelta;

// A table of the given raw cells (rows of columns 1..n), with no check modes.
std::unique_ptr<TRLData> Table(const std::vector<std::vector<std::string>>& rows) {
  auto d = std::make_unique<TRLData>(nullptr);
  d->SetNrCols(int(rows.empty() ? 1 : rows[0].size()));
  d->SetNrRows(int(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) d->SetElem(int(c) + 1, int(r) + 1, rows[r][c]);
  return d;
}

std::vector<std::string> Column(const TRLData& d, int c) {
  std::vector<std::string> v;
  for (int r = 1; r <= d.NrOfRows(); ++r) v.push_back(d.GetElem(c, r));
  return v;
}

std::vector<std::string> RawColumn(const TRLData& d, int c) {
  std::vector<std::string> v;
  for (int r = 1; r <= d.NrOfRows(); ++r) v.push_back(d.Strings->GetString(c, r));
  return v;
}

using Texts = std::vector<std::string>;

TEST(RLData, StartsWithOneNamedColumnAndNoRows) {
  TRLData d(nullptr);
  EXPECT_EQ(d.NrOfColumns(), 1);
  EXPECT_EQ(d.NrOfRows(), 0);
  EXPECT_EQ(d.GetColName(1), "C-1");
  EXPECT_EQ(d.GetColumnFormat(1), "");
  EXPECT_EQ(d.GetColCheckMode(1), cmNone);
  EXPECT_EQ(d.CommonHeader(), u"Qelta Report Listview");
  EXPECT_EQ(d.LastSortColumn(), -1);
  EXPECT_TRUE(d.LastSortOrder());
  EXPECT_EQ(d.Strings->NrOfColumns(), 1);
  EXPECT_EQ(d.Strings->NrOfRows(), 1);
  EXPECT_EQ(d.Strings->AllocRowsBy(), 10);
}

TEST(RLData, ColumnsGrowWithNewNamesKeepTheirMetadataAndNeverDropBelowOne) {
  TRLData d(nullptr);
  d.SetNrCols(2);
  d.SetColName(1, "Mass");
  d.SetColumnFormat(2, "[i][60]5");
  d.SetColCheckMode(2, cmBox);
  d.SetNrCols(4);
  EXPECT_EQ(d.GetColName(1), "Mass");
  EXPECT_EQ(d.GetColName(2), "C-2");
  EXPECT_EQ(d.GetColName(3), "C-3");
  EXPECT_EQ(d.GetColName(4), "C-4");
  EXPECT_EQ(d.GetColumnFormat(2), "[i][60]5");
  EXPECT_EQ(d.GetColCheckMode(2), cmBox);
  EXPECT_EQ(d.GetColCheckMode(4), cmNone);
  d.SetNrCols(0);
  EXPECT_EQ(d.NrOfColumns(), 1);
  EXPECT_EQ(d.GetColName(1), "Mass");
  EXPECT_EQ(d.Strings->NrOfColumns(), 1);
}

TEST(RLData, NamesAndFormatsAreCutAndIgnoredOutsideTheColumns) {
  TRLData d(nullptr);
  d.SetNrCols(2);
  d.SetColName(1, std::string(70, 'n'));
  d.SetColumnFormat(1, std::string(100, 'f'));
  EXPECT_EQ(d.GetColName(1), std::string(50, 'n'));
  EXPECT_EQ(d.GetColumnFormat(1), std::string(80, 'f'));
  for (int c : {0, 3, -1}) {
    d.SetColName(c, "x");
    d.SetColumnFormat(c, "x");
    d.SetColCheckMode(c, cmBox);
    EXPECT_EQ(d.GetColName(c), "");
    EXPECT_EQ(d.GetColumnFormat(c), "");
    EXPECT_EQ(d.GetColCheckMode(c), cmNone);
  }
}

TEST(RLData, ColumnIndexIgnoresCaseAndSearchesFromTheRight) {
  TRLData d(nullptr);
  d.SetNrCols(3);
  d.SetColName(1, "Alpha");
  d.SetColName(2, "alphabet");
  EXPECT_EQ(d.ColumnIndex("c-3", false), 3);
  EXPECT_EQ(d.ColumnIndex("ALPHA", false), 1);
  EXPECT_EQ(d.ColumnIndex("alpha", true), 2);
  EXPECT_EQ(d.ColumnIndex("bet", true), 2);
  EXPECT_EQ(d.ColumnIndex("bet", false), -1);
  EXPECT_EQ(d.ColumnIndex("gamma", true), -1);
}

TEST(RLData, CheckModeSwitchesKeepEveryText) {
  auto d = Table({{"a"}, {""}, {"b"}, {"X"}});
  d->SetColCheckMode(1, cmBox);
  EXPECT_EQ(RawColumn(*d, 1), (Texts{" a", "", " b", " X"}));
  EXPECT_EQ(Column(*d, 1), (Texts{"a", "", "b", "X"}));
  EXPECT_EQ(d->CountCheckedElemsInCol(1), 0);
  d->SetElemChecked(1, 1, true);
  d->SetElemChecked(1, 3, true);
  d->SetColCheckMode(1, cmRadio);  // from boxes to radio buttons: all unchecked
  EXPECT_EQ(d->CountCheckedElemsInCol(1), 0);
  d->SetElemChecked(1, 2, true);
  d->SetColCheckMode(1, cmBox);  // back to boxes: states stay
  EXPECT_EQ(d->FirstCheckedElemInCol(1), 2);
  for (TCheckMode m : {cmNone, cmRadio, cmNone, cmBox, cmRadio, cmBox, cmNone}) {
    d->SetColCheckMode(1, m);
    EXPECT_EQ(Column(*d, 1), (Texts{"a", "", "b", "X"})) << int(m);
  }
  EXPECT_EQ(RawColumn(*d, 1), (Texts{"a", "", "b", "X"}));
}

TEST(RLData, CheckModeChangesFireNoChangeEventAndConvertRowsKeptBeyondTheCount) {
  auto d = Table({{"a"}, {"b"}, {"c"}});
  int changes = 0;
  d->Strings->OnChange = [&](TObject*) { ++changes; };
  d->SetNrRows(0);
  d->SetColCheckMode(1, cmBox);
  d->SetNrRows(3);
  changes = 0;
  d->SetColCheckMode(1, cmNone);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(d->Strings->OnChange);
  EXPECT_EQ(Column(*d, 1), (Texts{"a", "b", "c"}));
}

TEST(RLData, CheckCellsHideTheirStateCharacter) {
  auto d = Table({{"one", "1"}, {"", "2"}});
  d->SetCheckedCol(1, true);
  EXPECT_TRUE(d->GetCheckedCol(1));
  d->SetElemChecked(1, 2, true);  // an empty cell becomes the single check character
  EXPECT_EQ(d->Strings->GetString(1, 2), "X");
  EXPECT_EQ(d->GetElem(1, 2), "");
  d->SetElem(1, 2, "two");  // the state stays in front
  EXPECT_EQ(d->Strings->GetString(1, 2), "Xtwo");
  d->SetElem(1, 1, std::string(300, 'z'));
  EXPECT_EQ(d->Strings->GetString(1, 1).size(), 255u);
  d->Strings->SetString(1, 1, "?odd");  // any first character but a blank reads as checked
  EXPECT_TRUE(d->GetElemChecked(1, 1));
  EXPECT_EQ(d->CountCheckedElemsInRow(1), 1);
  EXPECT_FALSE(d->GetElemChecked(2, 1));  // a plain column has no state
  d->SetElemChecked(2, 1, true);
  EXPECT_EQ(d->GetElem(2, 1), "1");
}

TEST(RLData, RadioColumnsKeepOneCheckAndIgnoreTheBoxOperations) {
  auto d = Table({{"a"}, {"b"}, {"c"}});
  d->SetColCheckMode(1, cmRadio);
  d->SetElemChecked(1, 1, true);
  d->SetElemChecked(1, 3, true);
  EXPECT_EQ(d->CountCheckedElemsInCol(1), 1);
  EXPECT_EQ(d->FirstCheckedElemInCol(1), 3);
  d->SetAllCheckmarksOfCol(1, true);
  d->InvertAllCheckmarksOfCol(1);
  EXPECT_EQ(RawColumn(*d, 1), (Texts{" a", " b", "Xc"}));
  d->SetElemChecked(1, 3, false);
  EXPECT_EQ(d->CountCheckedElemsInCol(1), 0);
  EXPECT_EQ(d->FirstCheckedElemInCol(1), 0);
  d->SetAllCheckmarksOfColIntern(1, true);
  EXPECT_EQ(d->CountCheckedElemsInCol(1), 3);
}

TEST(RLData, BoxColumnsSetAndInvertAllMarks) {
  auto d = Table({{"a"}, {""}, {"c"}, {"d"}});
  d->SetColCheckMode(1, cmBox);
  d->Strings->SetString(1, 4, "xd");  // a lower-case mark counts as checked, and is not "X"
  d->InvertAllCheckmarksOfCol(1);
  EXPECT_EQ(RawColumn(*d, 1), (Texts{"Xa", "X", "Xc", "Xd"}));
  d->InvertAllCheckmarksOfCol(1);
  EXPECT_EQ(RawColumn(*d, 1), (Texts{" a", " ", " c", " d"}));
  d->SetAllCheckmarksOfCol(1, true);
  EXPECT_EQ(d->CountCheckedElemsInCol(1), 4);
  d->SetAllCheckmarksOfCol(1, false);
  EXPECT_EQ(d->CountCheckedElemsInCol(1), 0);
  EXPECT_EQ(Column(*d, 1), (Texts{"a", "", "c", "d"}));
}

TEST(RLData, FillKeepsTheCheckStates) {
  auto d = Table({{"a", "p"}, {"", "q"}, {"c", "r"}});
  d->SetColCheckMode(1, cmBox);
  d->SetElemChecked(1, 1, true);
  int changes = 0;
  d->Strings->OnChange = [&](TObject*) { ++changes; };
  d->Fill("x");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(RawColumn(*d, 1), (Texts{"Xx", " x", " x"}));
  EXPECT_EQ(Column(*d, 2), (Texts{"x", "x", "x"}));
}

// Column indices outside 0..NrOfColumns indexed the mode array out of bounds; they read as an empty plain cell
// and are never written.
TEST(RLData, ColumnsOutsideTheTableReadEmptyAndAreNeverWritten) {
  auto d = Table({{"a", "b"}});
  d->SetColCheckMode(2, cmBox);
  for (int c : {-5, -1, 3, 1000}) {
    d->SetElem(c, 1, "zz");
    d->SetElemChecked(c, 1, true);
    d->SetAllCheckmarksOfCol(c, true);
    d->SetAllCheckmarksOfColIntern(c, true);
    d->InvertAllCheckmarksOfCol(c);
    EXPECT_EQ(d->GetElem(c, 1), "");
    EXPECT_FALSE(d->GetElemChecked(c, 1));
    EXPECT_EQ(d->FirstCheckedElemInCol(c), 0);
    EXPECT_EQ(d->CountCheckedElemsInCol(c), 0);
    EXPECT_EQ(d->GetAsNumber(c, 1), 0);
  }
  for (int r : {0, 2, -1}) {
    d->SetElem(1, r, "zz");
    EXPECT_EQ(d->GetElem(1, r), "");
  }
  EXPECT_EQ(RawColumn(*d, 1), (Texts{"a"}));
  EXPECT_EQ(RawColumn(*d, 2), (Texts{" b"}));
  EXPECT_EQ(d->Strings->NrOfColumns(), 2);
}

TEST(RLData, ColumnZeroIsHiddenPlainAndTravelsWithTheRow) {
  auto d = Table({{"a"}, {"b"}, {"c"}});
  d->SetElem(0, 1, "key-a");
  d->SetElem(0, 3, "key-c");
  d->SetElemChecked(0, 1, true);
  EXPECT_EQ(d->GetElem(0, 1), "key-a");
  d->Strings->SetRowAttrib(3, 0x80);
  d->CopyRow(3, 2);
  EXPECT_EQ(d->GetElem(0, 2), "key-c");
  EXPECT_EQ(d->Strings->GetRowAttrib(2), 0x80);
  d->RemoveRow(1);
  EXPECT_EQ(d->NrOfRows(), 2);
  EXPECT_EQ(Column(*d, 0), (Texts{"key-c", "key-c"}));
  d->CopyRow(1, 5);  // outside: nothing
  EXPECT_EQ(d->NrOfRows(), 2);
}

TEST(RLData, RemovingTheOnlyRowEmptiesItAndLeavesNoRows) {
  auto d = Table({{"a", "b"}});
  d->SetElem(0, 1, "hidden");
  d->RemoveRow(1);
  EXPECT_EQ(d->NrOfRows(), 0);
  EXPECT_EQ(d->Strings->NrOfRows(), 1);
  for (int c = 0; c <= 2; ++c) EXPECT_EQ(d->Strings->GetString(c, 1), "");
  d->RemoveRow(1);
  EXPECT_EQ(d->NrOfRows(), 0);
}

TEST(RLData, ZeroRowsKeepTheStoredRowsForLater) {
  auto d = Table({{"r1"}, {"r2"}, {"r3"}, {"r4"}, {"r5"}});
  d->SetNrRows(0);
  EXPECT_EQ(d->NrOfRows(), 0);
  EXPECT_EQ(d->Strings->NrOfRows(), 5);
  EXPECT_EQ(d->GetElem(1, 1), "");
  d->SetNrRows(3);
  EXPECT_EQ(Column(*d, 1), (Texts{"r1", "r2", "r3"}));
  d->SetNrRows(-4);
  EXPECT_EQ(d->NrOfRows(), 0);
}

TEST(RLData, RemoveRowWorksInViewOrder) {
  auto d = Table({{"c"}, {"a"}, {"b"}});
  d->Sort(1, 1, true);
  d->RemoveRow(1);  // "a"
  EXPECT_EQ(Column(*d, 1), (Texts{"b", "c"}));
  EXPECT_EQ(d->Strings->GetSortOrder(1), 1);  // committed: physical order is the view order
}

// Removes empty rows one by one from the last, as the single-row operation does; the reference for the one
// pass.
void RemoveEmptyRowsOneByOne(TRLData& d) {
  for (int r = d.NrOfRows(); r >= 1; --r) {
    bool empty = true;
    for (int c = 0; c <= d.NrOfColumns(); ++c) empty = empty && d.GetElem(c, r).empty();
    if (empty) d.RemoveRow(r);
  }
}

struct TRowSnapshot {
  std::vector<Texts> Cells;
  std::vector<int> Attribs;
  bool operator==(const TRowSnapshot&) const = default;
};

TRowSnapshot Snapshot(const TRLData& d) {
  TRowSnapshot s;
  for (int r = 1; r <= d.NrOfRows(); ++r) {
    Texts row;
    for (int c = 0; c <= d.NrOfColumns(); ++c) row.push_back(d.Strings->GetString(c, r));
    s.Cells.push_back(row);
    s.Attribs.push_back(d.Strings->GetRowAttrib(r));
  }
  return s;
}

TEST(RLData, RemoveEmptyRowsInOnePassMatchesRemovingOneByOne) {
  // sorted, with attributes, hidden texts and check cells whose only content is their state
  auto make = [] {
    auto d = Table({{"e", ""}, {"", ""}, {"b", "1"}, {"", ""}, {"a", ""}, {"", ""}, {"d", "2"}, {"", ""}});
    d->SetElem(0, 4, "hidden keeps row 4");
    d->SetColCheckMode(2, cmBox);
    d->SetElemChecked(2, 6, true);  // "X" alone reads as empty text
    for (int r = 1; r <= 8; ++r) d->Strings->SetRowAttrib(r, uint8_t(r * 3));
    d->Sort(1, 2, false);
    return d;
  };
  auto one = make(), ref = make();
  one->RemoveEmptyRows();
  RemoveEmptyRowsOneByOne(*ref);
  EXPECT_EQ(one->NrOfRows(), 5);
  EXPECT_EQ(Snapshot(*one), Snapshot(*ref));
  EXPECT_EQ(Column(*one, 1), (Texts{"e", "d", "b", "a", ""}));

  auto empty = Table({{""}, {""}, {""}});
  empty->SetColCheckMode(1, cmBox);
  empty->SetAllCheckmarksOfCol(1, true);
  empty->Strings->SetRowAttrib(1, 0x40);
  auto emptyRef = Table({{""}, {""}, {""}});
  emptyRef->SetColCheckMode(1, cmBox);
  emptyRef->SetAllCheckmarksOfCol(1, true);
  emptyRef->Strings->SetRowAttrib(1, 0x40);
  empty->RemoveEmptyRows();
  RemoveEmptyRowsOneByOne(*emptyRef);
  EXPECT_EQ(empty->NrOfRows(), 0);
  EXPECT_EQ(empty->Strings->GetString(1, 1), emptyRef->Strings->GetString(1, 1));
  EXPECT_EQ(empty->Strings->GetRowAttrib(1), emptyRef->Strings->GetRowAttrib(1));
}

struct TDefaultCase {
  const char* Format;
  int Row;
  const char* Expected;
};

TEST(RLData, CellDefaultsFollowTheColumnFormat) {
  const TDefaultCase cases[] = {
      {"[i][60]rix3", 7, "007"},
      {"[i][60]rix3", 1234, "1234"},  // no digits dropped
      {"[i][60]RIX1", 42, "42"},
      {"[i][60]rix", 5, "5"},
      {"[e][60]rix2", 3, "3.00"},
      {"[f]rix1", 12, "12.0"},
      {"[h][60]rix2", 255, "FF"},
      {"[h][60]rix2", 4096, "1000"},
      {"[h]rix4", 10, "000A"},
      {"[i][60]42", 9, "42"},
      {"[f][]-1.5", 9, "-1.5"},
      {"[l][80]red|green|blue", 1, "red"},
      {"[c:5][80]only", 1, "only"},
      {"[c]", 1, ""},
      {"[dyyyy-MM-dd][90]2020-01-02", 1, "2020-01-02"},
      {"[s][100]hello", 1, "hello"},
      {"[#i][60]rix3", 7, ""},  // read-only columns get no default, not even the row number
      {"[#s]text", 1, ""},
      {"[irix3", 7, ""},  // the closing bracket is missing
      {"plain", 1, ""},
      {"[q][60]x", 1, ""},
      {"", 1, ""},
  };
  TRLData d(nullptr);
  d.SetNrRows(5);
  for (const TDefaultCase& c : cases) {
    d.SetColumnFormat(1, c.Format);
    EXPECT_EQ(d.GetCellDefaultValue(1, c.Row), c.Expected) << c.Format;
  }
  EXPECT_EQ(d.GetCellDefaultValue(2, 1), "");
}

// "rix" kept the last n digits only, so row 1234 got the default of row 234.
TEST(RLData, RowNumberDefaultsNeverDropDigits) {
  TRLData d(nullptr);
  d.SetColumnFormat(1, "[i][60]rix3");
  EXPECT_NE(d.GetCellDefaultValue(1, 1234), d.GetCellDefaultValue(1, 234));
  d.SetColumnFormat(1, "[h][60]rix1");
  EXPECT_EQ(d.GetCellDefaultValue(1, 0x12345), "12345");
  d.SetColumnFormat(1, "[i][60]rix999");  // at most 255 digits
  EXPECT_EQ(d.GetCellDefaultValue(1, 7).size(), 255u);
}

TEST(RLData, PasswordDefaultsAreFreshInventions) {
  TRLData d(nullptr);
  d.SetColumnFormat(1, "[s][60]$pwd$8");
  auto letters = [](const std::string& s) { return std::count_if(s.begin(), s.end(), ::isalpha); };
  EXPECT_EQ(letters(d.GetCellDefaultValue(1, 1)), 8);
  d.SetColumnFormat(1, "[s][60]$PWD$12");
  EXPECT_EQ(letters(d.GetCellDefaultValue(1, 1)), 12);
}

TEST(RLData, SortsByRawTextAndCallsTheSortKeyHook) {
  auto d = Table({{"b", "2"}, {"A", "1"}, {"c", "3"}});
  d->Sort(1, 2, true);
  EXPECT_EQ(Column(*d, 1), (Texts{"A", "b", "c"}));
  EXPECT_EQ(d->LastSortColumn(), 1);
  d->OnBeforeSortExchange = [](TObject* Sender, const String& In, String& Out) {
    EXPECT_NE(dynamic_cast<TRLData*>(Sender), nullptr);
    Out = u"k" + String(1, Char(u'9' - (In.empty() ? 0 : In[0] - u'0')));  // descending by column 2
  };
  d->Sort(2, 2, true);
  EXPECT_EQ(Column(*d, 1), (Texts{"c", "b", "A"}));
  d->UnSort();
  EXPECT_EQ(d->LastSortColumn(), -1);
  EXPECT_EQ(Column(*d, 1), (Texts{"b", "A", "c"}));

  d->SetColCheckMode(2, cmBox);  // check columns sort by their state first
  d->OnBeforeSortExchange = nullptr;
  d->SetElemChecked(2, 3, true);
  d->Sort(2, 1, false);
  EXPECT_EQ(Column(*d, 1), (Texts{"c", "b", "A"}));
}

TEST(RLData, AssignCopiesEverythingInThePhysicalLayout) {
  auto a = Table({{"b", "x"}, {"a", "y"}, {"c", "z"}});
  a->SetName(u"source");
  a->SetElem(0, 2, "hidden");
  a->SetColName(1, "Name");
  a->SetColumnFormat(2, "[l]x|y|z");
  a->SetColCheckMode(2, cmRadio);
  a->SetElemChecked(2, 3, true);
  a->Strings->SetRowAttrib(1, 0x80);
  a->Strings->SetColAttrib(2, 0x40);
  a->Strings->SetAllocRowsBy(7);
  a->SetComment(u"remark");
  a->SetCommonHeader(u"head");
  a->SetDataID(u"id-1");
  a->Sort(1, 1, false);
  TRLData b(nullptr);
  b.SetNrCols(5);
  b.SetNrRows(9);
  b.Assign(a.get());
  EXPECT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.NrOfRows(), 3);
  EXPECT_EQ(Snapshot(b), Snapshot(*a));
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(b.Strings->GetSortOrder(r), a->Strings->GetSortOrder(r));
  EXPECT_EQ(b.GetColName(1), "Name");
  EXPECT_EQ(b.GetColumnFormat(2), "[l]x|y|z");
  EXPECT_EQ(b.GetColCheckMode(2), cmRadio);
  EXPECT_EQ(b.Strings->GetColAttrib(2), 0x40);
  EXPECT_EQ(b.Strings->AllocRowsBy(), 7);
  EXPECT_EQ(b.Comment(), u"remark");
  EXPECT_EQ(b.CommonHeader(), u"head");
  EXPECT_EQ(b.DataID(), u"id-1");
  EXPECT_EQ(b.LastSortColumn(), 1);
  EXPECT_FALSE(b.LastSortOrder());
  EXPECT_EQ(b.Name(), u"");
  b.UnSort();
  EXPECT_EQ(Column(b, 0), (Texts{"", "hidden", ""}));

  TStringArray other(nullptr);
  EXPECT_THROW(b.Assign(&other), EConvertError);
}

// Assign replaced the store without hooking its sort-key event, so the host's sort keys were ignored after it.
TEST(RLData, AssignKeepsTheSortKeyHookWorking) {
  auto a = Table({{"1"}, {"2"}, {"3"}});
  int calls = 0;
  a->OnBeforeSortExchange = [&calls](TObject*, const String& In, String& Out) {
    ++calls;
    Out = String(1, Char(u'a' + (u'9' - In[0])));  // reverses the order
  };
  TRLData b(nullptr);
  b.Assign(a.get());
  b.Sort(1, 1, true);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(Column(b, 1), (Texts{"3", "2", "1"}));
  TStringArray* store = b.Strings;
  b.Assign(a.get());
  EXPECT_EQ(b.Strings, store);
}

TEST(RLData, ClearEmptiesCellsAndMetadataButKeepsTheSize) {
  auto d = Table({{"a", "b"}, {"c", "d"}});
  d->SetColName(1, "N");
  d->SetColumnFormat(1, "[i]");
  d->SetColCheckMode(2, cmBox);
  d->Clear();
  EXPECT_EQ(d->NrOfColumns(), 2);
  EXPECT_EQ(d->NrOfRows(), 2);
  EXPECT_EQ(d->GetColName(1), "C-1");
  EXPECT_EQ(d->GetColumnFormat(1), "");
  EXPECT_EQ(d->GetColCheckMode(2), cmNone);
  EXPECT_EQ(Column(*d, 1), (Texts{"", ""}));
}

TEST(RLData, NumbersComeFromTheRawTextAndTheStoreErrorPasses) {
  auto d = Table({{"1,5"}, {"abc"}});
  EXPECT_EQ(d->GetAsNumber(1, 1), 1.5L);
  EXPECT_THROW(d->GetAsNumber(1, 2), EQeltaDStructError);
}

TEST(RLData, ErrorsNameTheComponent) {
  TRLData d(nullptr);
  d.SetName(u"grid");
  EXPECT_THROW_MSG(d.SetNrRows(INT32_MAX), EQeltaRLDataError, "Component \"grid\": not enough memory on heap");
  EXPECT_EQ(d.NrOfRows(), 0);
}

}  // namespace
