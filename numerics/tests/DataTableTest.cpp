// TDataTable: the model: creation, values and events, size, insertion and removal, states, names,
// scales and nominal labels.

#include <gtest/gtest.h>
#include <algorithm>

#include <limits>
#include <string>

#include "Assertions.h"
#include "DataTableTestKit.h"
#include "Qelta_datatable.h"

namespace qelta {
namespace {

using test::Fill;
using test::TTableLog;

TEST(TDataTable, ANewTableIsOneByOneWithDefaults) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.GetColName(1), "C-1");
  EXPECT_EQ(t.GetRowName(1), "R-1");
  EXPECT_EQ(t.GetElem(1, 1), 0.0);
  EXPECT_EQ(t.GetCellState(1, 1), 0);
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  EXPECT_TRUE(t.Comment().empty());
  ASSERT_NE(t.NumericData, nullptr);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 1);
  EXPECT_EQ(t.NumericData->NrOfRows(), 1);
}

TEST(TDataTable, SetElemFiresOnChangeTwiceWhileHookedAndOnceWithout) {
  TDataTable t(nullptr);
  TTableLog log;
  log.Hook(t);
  t.SetElem(1, 1, 5);
  EXPECT_EQ(log.Take(), "Change, Change");
  t.SetElem(2, 1, 5);  // outside
  EXPECT_EQ(log.Take(), "");
  t.NumericData->OnChange = nullptr;
  t.SetElem(1, 1, 6);
  EXPECT_EQ(log.Take(), "Change");
  EXPECT_EQ(t.GetElem(1, 1), 6.0);
}

TEST(TDataTable, ResizeKeepsTheOverlapAndFiresOnlyOnResize) {
  TDataTable t(nullptr);
  t.SetElem(1, 1, 7);
  t.SetCellState(1, 1, 0x42);
  t.SetColName(1, "first");
  TTableLog log;
  log.Hook(t);
  t.Resize(3, 2);
  EXPECT_EQ(log.Take(), "Resize 1 1 3 2");
  EXPECT_EQ(t.GetElem(1, 1), 7.0);
  EXPECT_EQ(t.GetCellState(1, 1), 0x42);
  EXPECT_EQ(t.GetColName(1), "first");
  EXPECT_EQ(t.GetColName(2), "C-2");
  EXPECT_EQ(t.GetColName(3), "C-3");
  EXPECT_EQ(t.GetRowName(2), "R-2");
  EXPECT_EQ(t.GetMScaleType(3), stInterval);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 3);
  t.Resize(3, 2);
  EXPECT_EQ(log.Take(), "");
  t.SetNrCols(4);
  EXPECT_EQ(log.Take(), "Resize 3 2 4 2");
  t.SetNrRows(1);
  EXPECT_EQ(log.Take(), "Resize 4 2 4 1");
}

TEST(TDataTable, RegrownColumnsAndRowsGetDefaultNames) {
  TDataTable t(nullptr);
  t.Resize(3, 3);
  t.SetColName(3, "x");
  t.SetRowName(3, "y");
  t.SetRowAttrib(3, 9);
  t.Resize(2, 2);
  t.Resize(3, 3);
  EXPECT_EQ(t.GetColName(3), "C-3");
  EXPECT_EQ(t.GetRowName(3), "R-3");
  EXPECT_EQ(t.GetRowAttrib(3), 0);
}

TEST(TDataTable, NegativeCountsBecomeZeroAndEveryArrayFollows) {
  TDataTable t(nullptr);
  TTableLog log;
  log.Hook(t);
  t.Resize(-3, 2);
  EXPECT_EQ(log.Take(), "Resize 1 1 0 2");
  EXPECT_EQ(t.NrOfColumns(), 0);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 0);
  EXPECT_EQ(t.GetColName(1), "");
  EXPECT_EQ(t.GetRowName(2), "R-2");
  t.SetElem(1, 1, 3);  // no cell: ignored
  EXPECT_EQ(t.CountValidCells(0, 0, 0, 0), 0);
  t.SetNrRows(-1);
  EXPECT_EQ(t.NrOfRows(), 0);
}

// A failed Resize used to leave the matrix hook detached and the arrays half-sized.
TEST(TDataTable, AFailedResizeChangesNothingAndKeepsTheHook) {
  TDataTable t(nullptr);
  t.SetName(u"T");
  Fill(t, {{1, 2}});
  TTableLog log;
  log.Hook(t);
  const int big = std::numeric_limits<int>::max();
  EXPECT_THROW_MSG(t.Resize(big, big), EQeltaDataTableError, "Component \"T\": not enough memory on heap");
  EXPECT_EQ(log.Take(), "");
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.GetColName(2), "C-2");
  t.SetElem(2, 1, 5);
  EXPECT_EQ(log.Take(), "Change, Change");
}

// The hook keeps the arrays in step when the matrix is resized from outside (cells without states
// otherwise, and statistics reading past the states).
TEST(TDataTable, AMatrixResizedFromOutsideResizesTheTable) {
  TDataTable t(nullptr);
  TTableLog log;
  log.Hook(t);
  t.NumericData->Resize(3, 4);
  EXPECT_EQ(log.Take(), "Resize 1 1 3 4, Change");
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.GetRowName(4), "R-4");
  t.NumericData->Transpose();
  EXPECT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), 12);
}

TEST(TDataTable, InsertRowMovesThroughTheSetters) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2}, {3, 4}});
  t.SetCellState(2, 2, csEmpty);
  t.SetRowAttrib(1, 5);
  t.SetRowAttrib(2, 6);
  TTableLog log;
  log.Hook(t);
  t.InsertRow(1);
  EXPECT_EQ(log.Take(),
            "Resize 2 2 2 3, "
            "Attrib, Names, Change, Change, Change, Change, States, "           // row 3 <- row 2
            "Attrib, Names, Change, Change, Change, Change, States, "           // row 2 <- row 1
            "Attrib, Names, Change, Change, Change, Change, Setup");            // row 1 emptied
  EXPECT_EQ(t.GetElem(1, 2), 1.0);
  EXPECT_EQ(t.GetElem(2, 3), 4.0);
  EXPECT_EQ(t.GetElem(1, 1), 0.0);
  EXPECT_EQ(t.GetCellState(2, 3), csEmpty);
  EXPECT_EQ(t.GetCellState(2, 2), 0);
  EXPECT_EQ(t.GetRowName(1), "");
  EXPECT_EQ(t.GetRowName(3), "R-2");
  EXPECT_EQ(t.GetRowAttrib(3), 6);
  t.InsertRow(5);  // beyond NrOfRows + 1
  EXPECT_EQ(log.Take(), "");
}

TEST(TDataTable, RemoveRowMovesWithTheHookDetached) {
  TDataTable t(nullptr);
  Fill(t, {{1}, {2}, {3}});
  TTableLog log;
  log.Hook(t);
  t.RemoveRow(1);
  EXPECT_EQ(log.Take(), "Attrib, Names, Change, Attrib, Names, Change, Resize 1 3 1 2, Setup");
  EXPECT_EQ(t.GetElem(1, 1), 2.0);
  EXPECT_EQ(t.GetRowName(2), "R-3");
  t.SetElem(1, 1, 9);  // the hook is back
  EXPECT_EQ(log.Take(), "Change, Change");
  TDataTable one(nullptr);
  log.Hook(one);
  one.RemoveRow(1);  // never the last row
  EXPECT_EQ(log.Take(), "");
}

TEST(TDataTable, InsertAndRemoveColumnCarryScalesAndLabels) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2, 3}});
  t.SetMScaleType(1, stNominal);
  t.AddNominalID(1, "low");
  t.SetMScaleType(2, stRatio);
  t.SetColName(2, "two");
  t.InsertColumn(1);
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  EXPECT_EQ(t.GetColName(1), "");
  EXPECT_EQ(t.GetMScaleType(2), stNominal);
  EXPECT_EQ(t.GetNominalID(2, 1), "low");
  EXPECT_EQ(t.GetMScaleType(3), stRatio);
  EXPECT_EQ(t.GetColName(3), "two");
  EXPECT_EQ(t.GetElem(4, 1), 3.0);
  // Removing column 2 moves column 3 (ratio, no labels) onto it: the scale moves, the labels stay.
  t.RemoveColumn(2);
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.GetMScaleType(2), stRatio);
  EXPECT_EQ(t.GetNominalID(2, 1), "");  // not a nominal column any more
  t.SetMScaleType(2, stNominal);
  EXPECT_EQ(t.GetNominalID(2, 1), "low");
}

TEST(TDataTable, ClearKeepsTheSizeAndFiresInOrder) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2}, {3, 4}});
  t.SetColName(1, "a");
  t.SetCellState(1, 1, csMarkA);
  t.SetMScaleType(2, stOrdinal);
  t.SetFComment(u"note");
  TTableLog log;
  log.Hook(t);
  t.Clear();
  EXPECT_EQ(log.Take(), "Change, Names, Attrib, States, Setup");
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.GetColName(1), "C-1");
  EXPECT_EQ(t.GetCellState(1, 1), 0);
  EXPECT_EQ(t.GetMScaleType(2), stInterval);
  EXPECT_EQ(t.GetElem(2, 2), 0.0);
  EXPECT_TRUE(t.Comment().empty());
}

TEST(TDataTable, CellStatesAndTheirEvents) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  TTableLog log;
  log.Hook(t);
  t.SetCellState(1, 1, 0);  // unchanged
  EXPECT_EQ(log.Take(), "");
  t.SetIsEmpty(1, 1, true);
  EXPECT_EQ(log.Take(), "States, Change");
  EXPECT_TRUE(t.GetIsEmpty(1, 1));
  EXPECT_FALSE(t.GetIsNumber(1, 1));
  t.SetIsImputed(1, 2, true);
  EXPECT_TRUE(t.GetIsImputed(1, 2));
  EXPECT_TRUE(t.GetIsNumber(1, 2));
  log.Take();
  t.SetIsEmpty(5, 5, true);  // outside: only OnChange
  EXPECT_EQ(log.Take(), "Change");
  struct TCase {
    uint8_t in, out;
  };
  for (const TCase& c : {TCase{0x41, 0x81}, TCase{0xC0, 0xC0}, TCase{0x80, 0x40}, TCase{0x3F, 0x3F}}) {
    t.SetCellState(2, 2, c.in);
    t.ExchangeMarkings();
    EXPECT_EQ(t.GetCellState(2, 2), c.out) << int(c.in);
  }
  t.SetAllCellStates(0xC1);
  t.UnmarkAllCells();
  EXPECT_EQ(t.GetCellState(2, 1), 0x01);
  t.InvertCellStates(0x03);
  EXPECT_EQ(t.GetCellState(2, 1), 0x02);
  log.Take();
  t.InvertCellStates(0);
  EXPECT_EQ(log.Take(), "States");
  t.SetCellState(2, 1, csMarkB);
  EXPECT_TRUE(t.IfRowHasCellState(1, csMarkB));
  EXPECT_FALSE(t.IfRowHasCellState(2, csMarkB));
  EXPECT_TRUE(t.IfColHasCellState(2, 0xC0));
  EXPECT_FALSE(t.IfColHasCellState(3, 0xFF));
  EXPECT_EQ(t.CountMarkedCellsInColumn(1, csEmpty), 2);
  EXPECT_EQ(t.CountMarkedCellsInRow(1, 0xFF), 2);
  EXPECT_EQ(t.CountMarkedCellsInRow(0, 0xFF), 0);
}

TEST(TDataTable, MaskCellStatesEqualsSettingEachStateOfTheBlock) {
  // Blocks inside, across and beyond the table, reversed and empty; set, clear, toggle and replace:
  // the states equal those of SetCellState cell by cell, and OnChangeCellState fires once when a
  // state changed, never when none did.
  struct TCase {
    int lc, lr, hc, hr;
    uint8_t andMask, xorMask;
  };
  const TCase cases[] = {{2, 3, 4, 6, 0xBF, 0x40}, {0, 0, 9, 9, 0x7F, 0x00}, {3, 1, 3, 7, 0xFF, 0x02},
                         {-5, 6, 2, 40, 0x00, 0x21}, {4, 2, 1, 5, 0xFF, 0x80}, {6, 1, 8, 3, 0x00, 0x00},
                         {1, 1, 5, 7, 0xFF, 0x00}};
  TDataTable bulk(nullptr), plain(nullptr);
  for (TDataTable* t : {&bulk, &plain}) {
    t->Resize(5, 7);
    for (int c = 1; c <= 5; ++c)
      for (int r = 1; r <= 7; ++r) t->SetCellState(c, r, static_cast<uint8_t>(c * 37 + r * 11));
  }
  int events = 0;
  bulk.OnChangeCellState = [&](TObject*) { ++events; };
  for (const TCase& k : cases) {
    bool changed = false;
    for (int c = std::max(k.lc, 1); c <= std::min(k.hc, 5); ++c)
      for (int r = std::max(k.lr, 1); r <= std::min(k.hr, 7); ++r) {
        const uint8_t s = plain.GetCellState(c, r), v = static_cast<uint8_t>((s & k.andMask) ^ k.xorMask);
        changed = changed || v != s;
        plain.SetCellState(c, r, v);
      }
    events = 0;
    EXPECT_EQ(bulk.MaskCellStates(k.lc, k.lr, k.hc, k.hr, k.andMask, k.xorMask), changed) << k.lc << "," << k.lr;
    EXPECT_EQ(events, changed ? 1 : 0) << k.lc << "," << k.lr;
    for (int c = 1; c <= 5; ++c)
      for (int r = 1; r <= 7; ++r) ASSERT_EQ(bulk.GetCellState(c, r), plain.GetCellState(c, r)) << c << "," << r;
  }
}

TEST(TDataTable, NamesAreCutAndFoundIgnoringBlanksAndCase) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  TTableLog log;
  log.Hook(t);
  t.SetColName(1, std::string(60, 'n'));
  EXPECT_EQ(log.Take(), "Names");
  EXPECT_EQ(t.GetColName(1), std::string(50, 'n'));
  t.SetColName(4, "x");  // outside
  EXPECT_EQ(log.Take(), "");
  EXPECT_EQ(t.FindColIndex(" c-2 "), 2);
  EXPECT_EQ(t.FindColIndex("C-4"), 0);
  EXPECT_EQ(t.FindColIndex(std::string(50, 'N') + "tail"), 1);  // cut to 50 first
  EXPECT_EQ(t.FindRowIndex("r-2"), 2);
  t.SetRowAttrib(2, 200);
  EXPECT_EQ(log.Take(), "Attrib");
  EXPECT_EQ(t.GetRowAttrib(2), 200);
  EXPECT_EQ(t.GetColAttrib(9), 0);
  t.SetFComment(u"two\r\nlines\t!");
  EXPECT_EQ(log.Take(), "Setup");
  EXPECT_EQ(t.Comment(), u"twolines!");
  int lo = 5, hi = 2;
  t.MakeValidColRange(lo, hi);
  EXPECT_EQ(std::pair(lo, hi), std::pair(2, 3));
  lo = hi = 0;
  t.MakeValidRowRange(lo, hi);
  EXPECT_EQ(std::pair(lo, hi), std::pair(1, 2));
}

TEST(TDataTable, NominalCellsReadRoundedOrdinalsAndTheirLabels) {
  TDataTable t(nullptr);
  t.Resize(1, 4);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 3, "three");
  t.SetElem(1, 1, 2.6);
  t.SetElem(1, 2, 30);
  t.SetElem(1, 3, 2.5);
  t.SetElem(1, 4, 3.5);
  EXPECT_EQ(t.GetElem(1, 1), 3.0);
  EXPECT_EQ(t.GetElemNominal(1, 1), "three");
  EXPECT_EQ(t.GetElemNominal(1, 2), "30");
  EXPECT_EQ(t.GetElem(1, 3), 2.0);  // halves to even
  EXPECT_EQ(t.GetElem(1, 4), 4.0);
  EXPECT_EQ(t.NumericData->GetVal(1, 1), 2.6);  // stored as given
  t.SetMScaleType(1, stInterval);
  EXPECT_EQ(t.GetElem(1, 1), 2.6);
  EXPECT_EQ(t.GetElemNominal(1, 1), "");
  EXPECT_EQ(t.GetNominalID(1, 3), "");
}

TEST(TDataTable, SetElemNominalStoresNewLabelsInFreeSlots) {
  TDataTable t(nullptr);
  t.SetName(u"T");
  t.Resize(1, 3);
  t.SetMScaleType(1, stOrdinal);
  TTableLog log;
  log.Hook(t);
  t.SetElemNominal(1, 1, "Red");
  EXPECT_EQ(log.Take(), "Change, Change");
  t.SetElemNominal(1, 2, "green");
  t.SetElemNominal(1, 3, "RED");  // found ignoring case
  EXPECT_EQ(t.GetElem(1, 1), 1.0);
  EXPECT_EQ(t.GetElem(1, 2), 2.0);
  EXPECT_EQ(t.GetElem(1, 3), 1.0);
  EXPECT_EQ(t.GetNominalID(1, 1), "Red");
  EXPECT_EQ(t.GetElemNominal(1, 3), "Red");
  t.SetElemNominal(1, 3, "a label longer than ten");
  EXPECT_EQ(t.GetElemNominal(1, 3), "a label lo");
  for (int k = 4; k <= 25; ++k) t.AddNominalID(1, "L" + std::to_string(k));
  log.Take();
  EXPECT_THROW_MSG(t.SetElemNominal(1, 2, "one more"), EQeltaDataTableError,
                   "Component \"T\": number of available nominal values exceeded");
  EXPECT_EQ(t.GetElem(1, 2), 2.0);
  EXPECT_EQ(log.Take(), "");
}

// An empty label used to land in a free slot that stayed free, so a later label silently
// relabelled the cell; AddNominalID("") handed out that index as well.
TEST(TDataTable, AnEmptyLabelChangesNothing) {
  TDataTable t(nullptr);
  t.Resize(1, 2);
  t.SetMScaleType(1, stNominal);
  t.SetElemNominal(1, 1, "a");
  t.SetElem(1, 2, 7);
  TTableLog log;
  log.Hook(t);
  t.SetElemNominal(1, 2, "");
  EXPECT_EQ(t.GetElem(1, 2), 7.0);
  EXPECT_EQ(log.Take(), "");
  EXPECT_EQ(t.AddNominalID(1, ""), 0);
  EXPECT_EQ(t.AddNominalID(1, "b"), 2);
  EXPECT_EQ(t.GetElemNominal(1, 1), "a");
}

TEST(TDataTable, AddNominalIDReusesAddsOrRefuses) {
  TDataTable t(nullptr);
  t.Resize(2, 1);
  t.SetMScaleType(1, stOrdinal);
  TTableLog log;
  log.Hook(t);
  EXPECT_EQ(t.AddNominalID(1, "Banana"), 1);
  EXPECT_EQ(log.Take(), "Setup");
  EXPECT_EQ(t.GetMScaleType(1), stNominal);
  EXPECT_EQ(t.AddNominalID(1, "BANANA"), 1);  // differs only in case
  EXPECT_EQ(log.Take(), "");
  EXPECT_EQ(t.AddNominalID(2, "x"), 1);  // an interval column becomes nominal
  EXPECT_EQ(t.GetMScaleType(2), stNominal);
  for (int k = 2; k <= 25; ++k) EXPECT_EQ(t.AddNominalID(1, "v" + std::to_string(k)), k);
  log.Take();
  EXPECT_EQ(t.AddNominalID(1, "full"), 0);  // all 25 slots taken: refused
  EXPECT_EQ(log.Take(), "");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "full", true), 0);
  EXPECT_EQ(t.AddNominalID(3, "x"), 0);
  EXPECT_EQ(t.ListOfCategorialVars(), (TIntArray{1, 2}));
}

TEST(TDataTable, OrdinalOfNominalIDComparesByteForByteOrFoldingAToZ) {
  TDataTable t(nullptr);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 4, "Apfel\xC4");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "apfel\xC4", true), 4);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "apfel\xC4", false), 0);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "APFEL\xE4", true), 0);  // only A-Z fold
  EXPECT_EQ(t.OrdinalOfNominalID(1, "", true), 0);
  t.SetNominalID(1, 5, "0123456789");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "0123456789abc", false), 5);  // cut to 10 first
  TTableLog log;
  log.Hook(t);
  t.SetMScaleType(1, stRatio);
  t.SetNominalID(1, 6, "kept?");  // not stored in a numeric column, but reported
  EXPECT_EQ(log.Take(), "Setup, Setup");
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.GetNominalID(1, 6), "");
  EXPECT_EQ(t.GetNominalID(1, 4), "Apfel\xC4");
  t.SetNominalID(1, 4, "");
  EXPECT_EQ(t.GetNominalID(1, 4), "");
  t.SetNominalID(1, 26, "x");  // outside 1..25: nothing
  t.ClearNominalIDs(1);
  EXPECT_EQ(t.GetNominalID(1, 5), "");
}

}  // namespace
}  // namespace qelta
