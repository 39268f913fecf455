// TNTabEd: the start, the hooks on the table, suppression, size and structure, bands, decimals,
// sorting and other tables.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "NTabEdTesting.h"
#include "Qelta_ntabed.h"

using namespace qelta;
using namespace qelta::testing;

namespace {

/// The editor without a window (nothing paints), with its events logged.
struct Editor : ::testing::Test {
  std::unique_ptr<TNTabEd> ed = std::make_unique<TNTabEd>(nullptr);
  TEventLog log;
  void SetUp() override { log.Hook(*ed); }
  std::vector<int> Decimals() const {
    std::vector<int> out;
    for (int c = 1; c <= ed->NrOfColumns(); ++c) out.push_back(ed->GetDecPlaces(c));
    return out;
  }
  std::vector<int> DataWidths() const {
    std::vector<int> out;
    for (int c = 1; c <= ed->NrOfColumns(); ++c) out.push_back(ed->ColWidths(c));
    return out;
  }
  std::vector<int> GridHeights() const {
    std::vector<int> out;
    for (int r = 0; r < ed->RowCount(); ++r) out.push_back(ed->RowHeights(r));
    return out;
  }
};

bool NoHooks(const TDataTable& t) { return !t.OnChange && !t.OnChangeSetup && !t.OnResize && !t.OnSortExchange; }

}  // namespace

// [SECTION] the start

TEST_F(Editor, StartsWithThreeColumnsFourRowsThreeDecimalsAndTheAttributeColumn) {
  // The grid's own 5 x 5 cells less the fixed ones give the table's size.
  EXPECT_EQ(ed->NrOfColumns(), 3);
  EXPECT_EQ(ed->NrOfRows(), 4);
  EXPECT_EQ(ed->ColCount(), 5);
  EXPECT_EQ(ed->RowCount(), 5);
  EXPECT_EQ(ed->FixedCols(), 2);
  EXPECT_EQ(ed->FixedRows(), 1);
  EXPECT_TRUE(ed->AttribRowVisible());
  EXPECT_FALSE(ed->AttribColVisible());
  EXPECT_EQ(Decimals(), (std::vector<int>{3, 3, 3}));
  EXPECT_EQ(ed->ColWidths(0), 80);
  EXPECT_EQ(ed->ColWidths(-1), 32);
  EXPECT_EQ(ed->GetColName(3), u"C-3");
  EXPECT_EQ(ed->GetRowName(4), u"R-4");
  EXPECT_EQ(ed->NumWidth(), 1);
  EXPECT_EQ(ed->NomEditDropDownCount(), 8);
  EXPECT_TRUE(ed->AutoAdvance());
  EXPECT_EQ(ed->AutoAdvanceDir(), orVert);
  EXPECT_FALSE(ed->Options().Contains(goEditing));
  EXPECT_EQ(ed->ColorNormal(), 0x002000);
  EXPECT_EQ(ed->ColorMarkedBoth(), 0xCC00BB);
  EXPECT_EQ(ed->ColorRangeSelBG(), 0xF8E8E0);
  EXPECT_EQ(ed->PopupDMask(), 2147483647);
  EXPECT_EQ(ed->GetElem(3, 4), 0.0);
  EXPECT_EQ(log.Take(), "");
}

// [SECTION] size and structure

struct GrowthRoute {
  const char* name;
  std::function<void(TNTabEd&)> grow;  // from 3 to 5 columns and 4 to 6 rows
};

TEST_F(Editor, EveryRouteOfGrowthGivesNewColumnsTheLastOnesWidthAndDecimals) {
  const GrowthRoute routes[] = {
      {"SetNrCols/SetNrRows", [](TNTabEd& e) { e.SetNrCols(5), e.SetNrRows(6); }},
      {"Redimension", [](TNTabEd& e) { e.Redimension(5, 6); }},
      {"the table's Resize", [](TNTabEd& e) { e.Data->Resize(5, 6); }},
      {"InsertColumn at the end", [](TNTabEd& e) { e.InsertColumn(4), e.InsertColumn(5), e.InsertRow(5), e.InsertRow(6); }},
  };
  for (const GrowthRoute& route : routes) {
    SCOPED_TRACE(route.name);
    ed = std::make_unique<TNTabEd>(nullptr);
    ed->SetDecPlaces(2, 0);
    ed->SetDecPlaces(3, 6);
    ed->SetColWidths(3, 99);
    ed->SetRowHeight(4, 31);
    route.grow(*ed);
    EXPECT_EQ(ed->NrOfColumns(), 5);
    EXPECT_EQ(ed->NrOfRows(), 6);
    EXPECT_EQ(ed->ColCount(), 7);
    EXPECT_EQ(ed->RowCount(), 7);
    EXPECT_EQ(Decimals(), (std::vector<int>{3, 0, 6, 6, 6}));
    EXPECT_EQ(DataWidths(), (std::vector<int>{64, 64, 99, 99, 99}));
    EXPECT_EQ(GridHeights(), (std::vector<int>{24, 24, 24, 24, 31, 31, 31}));
  }
}

TEST_F(Editor, ShrinkingAndGrowingAgainReadsNoDecimalsBeyondTheColumns) {
  // Regression: the decimals were sized to the column count and read at [OldColumns], one past the
  // end, at every resize (and for the last column when drawing).
  ed->SetDecPlaces(3, 7);
  ed->Data->Resize(2, 4);
  ed->Data->Resize(4, 4);
  EXPECT_EQ(Decimals(), (std::vector<int>{3, 3, 3, 3}));
  ed->SetDecPlaces(4, 1);
  ed->Data->Resize(0, 4);  // no column left: the grid keeps one blank column
  EXPECT_EQ(ed->ColCount(), 3);
  EXPECT_EQ(ed->GetDecPlaces(1), 0);
  ed->Data->Resize(2, 4);
  EXPECT_EQ(Decimals(), (std::vector<int>{3, 3}));  // nothing to inherit: the default
}

TEST_F(Editor, RemoveNeverTakesTheLastRowOrColumn) {
  ed->Redimension(2, 2);
  ed->RemoveColumn(3);
  ed->RemoveRow(0);
  EXPECT_EQ(ed->NrOfColumns(), 2);
  EXPECT_EQ(ed->NrOfRows(), 2);
  ed->RemoveColumn(1);
  ed->RemoveRow(2);
  ed->RemoveColumn(1);
  ed->RemoveRow(1);
  EXPECT_EQ(ed->NrOfColumns(), 1);
  EXPECT_EQ(ed->NrOfRows(), 1);
  EXPECT_EQ(ed->ColCount(), 3);
  EXPECT_EQ(ed->RowCount(), 2);
}

TEST_F(Editor, InsertOutsideTheRangeDoesNothing) {
  ed->InsertColumn(0);
  ed->InsertColumn(5);
  ed->InsertRow(6);
  EXPECT_EQ(ed->NrOfColumns(), 3);
  EXPECT_EQ(ed->NrOfRows(), 4);
}

TEST_F(Editor, DecimalsAndWidthsStayWithGridPositionsOnInsertRemoveAndMirror) {
  ed->SetDecPlaces(1, 1);
  ed->SetDecPlaces(3, 5);
  ed->SetColName(1, u"first");
  ed->InsertColumn(1);
  EXPECT_EQ(ed->GetColName(2), u"first");
  EXPECT_EQ(Decimals(), (std::vector<int>{1, 3, 5, 5}));
  ed->RemoveColumn(1);
  EXPECT_EQ(Decimals(), (std::vector<int>{1, 3, 5}));
  ed->MirrorColumns();
  EXPECT_EQ(ed->GetColName(3), u"first");
  EXPECT_EQ(Decimals(), (std::vector<int>{1, 3, 5}));
}

TEST_F(Editor, ATableWithoutColumnsOrRowsKeepsOneBlankGridColumnAndRow) {
  ed->Redimension(0, 0);
  EXPECT_EQ(ed->NrOfColumns(), 0);
  EXPECT_EQ(ed->NrOfRows(), 0);
  EXPECT_EQ(ed->ColCount(), 3);
  EXPECT_EQ(ed->RowCount(), 2);
  ed->SetRowAttVis(false);
  ed->SetColAttVis(true);
  EXPECT_EQ(ed->ColCount(), 2);
  EXPECT_EQ(ed->RowCount(), 3);
  ed->Redimension(2, 1);
  EXPECT_EQ(ed->ColCount(), 3);
  EXPECT_EQ(ed->RowCount(), 3);
  EXPECT_EQ(Decimals(), (std::vector<int>{3, 3}));
}

TEST_F(Editor, ClearKeepsTheSizeAndSetsDefaultsEverywhere) {
  ed->SetElem(2, 2, 7);
  ed->SetColName(1, u"x");
  ed->SetDecPlaces(2, 8);
  ed->SetComment(u"note");
  ed->Clear();
  EXPECT_EQ(ed->GetElem(2, 2), 0.0);
  EXPECT_EQ(ed->GetColName(1), u"C-1");
  EXPECT_EQ(ed->GetRowName(3), u"R-3");
  EXPECT_EQ(ed->Comment(), u"");
  EXPECT_EQ(Decimals(), (std::vector<int>{3, 3, 3}));
}

// [SECTION] events and suppression

TEST_F(Editor, EachOperationFiresItsEvent) {
  // Regression (SetNrCols): the size change was told while the editor's own suppression still held,
  // so OnChangeSetup never fired for it.
  struct Case {
    const char* name;
    std::function<void(TNTabEd&)> act;
    const char* events;
  };
  const Case cases[] = {
      {"SetElem", [](TNTabEd& e) { e.SetElem(1, 1, 2); }, "Change, Change"},  // the table fires twice
      {"SetColName", [](TNTabEd& e) { e.SetColName(1, u"a"); }, "Heading"},
      {"SetRowName outside", [](TNTabEd& e) { e.SetRowName(5, u"a"); }, ""},
      {"SetColAttrib", [](TNTabEd& e) { e.SetColAttrib(2, 7); }, "Attrib"},
      {"SetDecPlaces", [](TNTabEd& e) { e.SetDecPlaces(1, 2); }, "Layout"},
      {"SetDecPlaces outside", [](TNTabEd& e) { e.SetDecPlaces(4, 2); }, ""},
      {"SetColWidths", [](TNTabEd& e) { e.SetColWidths(7, 20); }, "Layout"},
      {"SetNumWidth 0", [](TNTabEd& e) { e.SetNumWidth(0); }, "Layout"},
      {"SetElemMarkedA outside", [](TNTabEd& e) { e.SetElemMarkedA(9, 9, true); }, "States"},
      {"SetIsEmpty", [](TNTabEd& e) { e.SetIsEmpty(1, 1, true); }, "States"},
      {"SetComment", [](TNTabEd& e) { e.SetComment(u"a\tb"); }, "Setup, Change"},  // the table's, then ours
      {"SetNrCols", [](TNTabEd& e) { e.SetNrCols(4); }, "Setup"},
      {"Redimension", [](TNTabEd& e) { e.Redimension(4, 5); }, "Setup"},
      {"InsertColumn", [](TNTabEd& e) { e.InsertColumn(2); }, ""},
      {"SetRowAttVis", [](TNTabEd& e) { e.SetRowAttVis(false); }, "Layout"},
      {"SetBoldMarks unchanged", [](TNTabEd& e) { e.SetBoldMarks(true); }, ""},
      {"SetColorMarkedA", [](TNTabEd& e) { e.SetColorMarkedA(clLime); }, "Layout"},
      {"MarkAllElemsB", [](TNTabEd& e) { e.MarkAllElemsB(); }, "States"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ed = std::make_unique<TNTabEd>(nullptr);
    log.Hook(*ed);
    c.act(*ed);
    EXPECT_EQ(log.Take(), c.events);
  }
}

TEST_F(Editor, EveryEventOfTheTablesInsertAndRemoveIsPassedOnWithTheGridInStep) {
  // The editor passes on each of the table's events, as many as the table fires, and at each of
  // them the grid is in step with the table (an insert resizes first, a remove moves first).
  struct Case {
    const char* name;
    std::function<void(TDataTable&)> act;
  };
  const Case cases[] = {
      {"InsertColumn", [](TDataTable& t) { t.InsertColumn(2); }},
      {"RemoveColumn", [](TDataTable& t) { t.RemoveColumn(1); }},
      {"InsertRow", [](TDataTable& t) { t.InsertRow(5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDataTable twin(nullptr);
    twin.Resize(3, 4);
    int changes = 0, setups = 0;
    twin.OnChange = [&](TObject*) { ++changes; };
    twin.OnChangeSetup = [&](TObject*) { ++setups; };
    c.act(twin);
    ed = std::make_unique<TNTabEd>(nullptr);
    int editorChanges = 0, editorSetups = 0, outOfStep = 0;
    auto inStep = [&] {
      outOfStep += ed->ColCount() != ed->NrOfColumns() + 2 || ed->RowCount() != ed->NrOfRows() + 1;
    };
    ed->OnChange = [&](TObject*) { ++editorChanges, inStep(); };
    ed->OnChangeSetup = [&](TObject*) { ++editorSetups, inStep(); };
    c.act(*ed->Data);
    EXPECT_EQ(editorChanges, changes);
    EXPECT_EQ(editorSetups, setups);
    EXPECT_GT(editorSetups, 0);
    EXPECT_EQ(outOfStep, 0);
  }
}

TEST_F(Editor, SetCommentDropsControlCharacters) {
  ed->SetComment(u"a\tb\r\nc");
  EXPECT_EQ(ed->Comment(), u"abc");
}

TEST_F(Editor, FillMarkedCellsWritesMarkedCellsAndKeepsTheHostsSuppression) {
  // Regression: the values changed without any OnChange, and a SuppressPaint the host held was
  // cleared on the way out.
  ed->SetElemMarkedA(1, 2, true);
  ed->SetElemMarkedB(3, 3, true);
  log.Take();
  EXPECT_EQ(ed->FillMarkedCells(5, csMarkA | csMarkB), 2);
  EXPECT_EQ(ed->GetElem(1, 2), 5.0);
  EXPECT_EQ(ed->GetElem(3, 3), 5.0);
  EXPECT_EQ(ed->GetElem(2, 2), 0.0);
  EXPECT_EQ(log.Take(), "Change");
  ed->SetSuppressPaint(true);
  EXPECT_EQ(ed->FillMarkedCells(6, csMarkA), 1);
  EXPECT_TRUE(ed->SuppressPaint());  // the host's hold survives
  EXPECT_EQ(log.Take(), "");
}

TEST_F(Editor, MarksCountAndTellWhereTheyAre) {
  ed->SetElemMarkedA(2, 3, true);
  ed->SetElemMarkedB(2, 3, true);
  ed->SetElemMarkedB(3, 1, true);
  EXPECT_EQ(ed->NrOfMarkedDataA(), 1);
  EXPECT_EQ(ed->NrOfMarkedDataB(), 2);
  EXPECT_TRUE(ed->IfRowMarked(3));
  EXPECT_FALSE(ed->IfRowMarked(2));
  EXPECT_FALSE(ed->IfRowMarked(5));
  EXPECT_TRUE(ed->IfColumnMarked(3));
  EXPECT_FALSE(ed->IfColumnMarked(1));
  EXPECT_TRUE(ed->IfAnyMarked());
  ed->ExchangeMarkings();
  EXPECT_EQ(ed->NrOfMarkedDataA(), 2);
  ed->UnMarkAllElems();
  EXPECT_FALSE(ed->IfAnyMarked());
  ed->MarkAllElemsA();
  EXPECT_EQ(ed->NrOfMarkedDataA(), 12);
  ed->InvertCellStates(csMarkA | csEmpty);
  EXPECT_EQ(ed->NrOfMarkedDataA(), 0);
  EXPECT_TRUE(ed->GetIsEmpty(3, 4));
  EXPECT_FALSE(ed->GetIsNumber(3, 4));
}

TEST_F(Editor, DecimalsAreClampedToMinusOneThroughTen) {
  const std::pair<int, int> cases[] = {{-5, -1}, {-1, -1}, {0, 0}, {8, 8}, {10, 10}, {12, 10}};
  for (auto [set, stored] : cases) {
    ed->SetDecPlaces(2, set);
    EXPECT_EQ(ed->GetDecPlaces(2), stored) << set;
  }
  EXPECT_EQ(ed->GetDecPlaces(0), 0);
  EXPECT_EQ(ed->GetDecPlaces(4), 0);
}

TEST_F(Editor, NamesAreCutToFiftyCharacters) {
  ed->SetRowName(1, String(60, u'n'));
  EXPECT_EQ(ed->GetRowName(1), String(50, u'n'));
  EXPECT_EQ(ed->GetColName(0), u"");
  EXPECT_EQ(ed->GetColAttrib(4), 0);
}

TEST_F(Editor, LeftColAndTopRowAreDataNumbersClampedToTheTable) {
  ed->Redimension(30, 40);
  ed->SetLeftCol(0);
  EXPECT_EQ(ed->LeftCol(), 1);
  ed->SetTopRow(-3);
  EXPECT_EQ(ed->TopRow(), 1);
  ed->SetTopRow(10);
  EXPECT_EQ(ed->TopRow(), 10);
  ed->SetColAttVis(true);
  ed->SetTopRow(10);
  EXPECT_EQ(ed->TopRow(), 10);
  EXPECT_EQ(ed->TCustomGrid::TopRow(), 11);
  ed->SetLeftCol(99);
  EXPECT_EQ(ed->TCustomGrid::LeftCol(), 31);
}

// [SECTION] bands

TEST_F(Editor, TogglingTheBandsKeepsEveryWidthAndHeightAlsoWithOneDataColumn) {
  // Regression: showing the attribute column set the fixed count to 2 before the count grew; with
  // one data column the grid refused it.
  for (int columns : {3, 1}) {
    SCOPED_TRACE(columns);
    ed = std::make_unique<TNTabEd>(nullptr);
    ed->Redimension(columns, 1);
    for (int c = 1; c <= columns; ++c) ed->SetColWidths(c, 40 + c);
    ed->SetColWidths(-1, 25);
    ed->SetRowHeight(1, 33);
    const std::vector<int> widths = DataWidths();
    ed->SetRowAttVis(false);
    EXPECT_EQ(ed->FixedCols(), 1);
    EXPECT_EQ(ed->ColCount(), columns + 1);
    EXPECT_EQ(ed->ColWidths(-1), 0);
    EXPECT_EQ(DataWidths(), widths);
    ed->SetRowAttVis(true);
    EXPECT_EQ(ed->FixedCols(), 2);
    EXPECT_EQ(ed->ColWidths(-1), 25);
    EXPECT_EQ(DataWidths(), widths);
    ed->SetColAttVis(true);
    EXPECT_EQ(ed->FixedRows(), 2);
    EXPECT_EQ(GridHeights(), (std::vector<int>{24, 24, 33}));
    ed->SetColAttVis(false);
    EXPECT_EQ(ed->FixedRows(), 1);
    EXPECT_EQ(GridHeights(), (std::vector<int>{24, 33}));
  }
}

TEST_F(Editor, TheAttributeColumnKeepsItsWidthWhileHidden) {
  ed->SetRowAttVis(false);
  ed->SetColWidths(-1, 50);  // only while shown
  ed->SetRowAttVis(true);
  EXPECT_EQ(ed->ColWidths(-1), 32);
  ed->SetDefColWidth(70);
  EXPECT_EQ(DataWidths(), (std::vector<int>{70, 70, 70}));
  EXPECT_EQ(ed->ColWidths(0), 80);
  EXPECT_EQ(ed->ColWidths(-1), 32);
}

// [SECTION] fitting rows and columns

TEST_F(Editor, AutoColWidthFitsTheWidestTextOfTheColumn) {
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(ed->Font());
  auto width = [&](const String& s) { return probe.Canvas()->TextWidth(s); };
  ed->SetColName(2, u"a rather long column name");
  ed->SetElem(2, 3, 123456.5);
  ed->SetDecPlaces(2, 1);
  EXPECT_EQ(ed->AutoColWidth(2, true, 4), width(u"a rather long column name") + 12);
  EXPECT_EQ(ed->AutoColWidth(2, false, 0), width(u"123456.5") + 8);
  EXPECT_EQ(ed->ColWidths(2), width(u"123456.5") + 8);
  EXPECT_EQ(ed->AutoColWidth(-1, true, 0), width(u"Attrib") + 8);
  EXPECT_EQ(ed->AutoColWidth(0, false, 0), width(u"999:9999") + 8);
  EXPECT_EQ(ed->AutoColWidth(9, false, -20), 4);
  const int h = ed->AutoRowHeight(2, 3);
  EXPECT_EQ(h, std::max(probe.Canvas()->TextHeight(u"9") + 5, 8));
  EXPECT_EQ(ed->RowHeights(2), h);
}

// [SECTION] sorting

TEST_F(Editor, ASortWithHeadersMovesTheDecimalsAndOneWithoutKeepsThem) {
  for (int c = 1; c <= 3; ++c) {
    ed->SetElem(c, 1, 4 - c);  // 3, 2, 1
    ed->SetDecPlaces(c, c);
  }
  ed->SortCols(1, true, 0, 0, 0, 0, false);
  EXPECT_EQ(ed->GetElem(1, 1), 1.0);
  EXPECT_EQ(Decimals(), (std::vector<int>{1, 2, 3}));
  ed->SortCols(1, false, 0, 0, 0, 0, true);
  EXPECT_EQ(ed->GetElem(1, 1), 3.0);
  EXPECT_EQ(Decimals(), (std::vector<int>{3, 2, 1}));
  ed->SetColName(1, u"c");
  ed->SetColName(2, u"a");
  ed->SetColName(3, u"b");
  log.Take();
  ed->SortColNames(true, 0, 0, 0, 0);
  EXPECT_EQ(ed->GetColName(1), u"a");
  EXPECT_EQ(Decimals(), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(log.Take(), "Change, Heading");
  // The sort flag goes back to its rest value: the table's own exchanges move nothing.
  ed->Data->SortCols(1, true, 0, 0, 0, 0, true);
  EXPECT_EQ(Decimals(), (std::vector<int>{2, 1, 3}));
}

TEST_F(Editor, FindsNamesThroughTheTable) {
  ed->SetRowName(3, u"Probe");
  EXPECT_EQ(ed->FindRowIndex(u"Probe"), 3);
  EXPECT_EQ(ed->FindColIndex(u"C-2"), 2);
  EXPECT_EQ(ed->FindColIndex(u"none"), 0);
}

// [SECTION] other tables

TEST_F(Editor, AnAssignedTableIsShownHookedAndFittedAndNilOrItselfChangesNothing) {
  TDataTable t(nullptr);
  t.Resize(6, 2);
  t.SetElem(6, 2, 9);
  ed->SetDecPlaces(3, 5);
  log.Take();
  ed->AssignAnotherDataMatrix(nullptr);
  EXPECT_EQ(log.Take(), "");
  ed->AssignAnotherDataMatrix(&t);
  EXPECT_EQ(ed->Data, &t);
  EXPECT_EQ(ed->ColCount(), 8);
  EXPECT_EQ(ed->RowCount(), 3);
  EXPECT_EQ(Decimals(), (std::vector<int>{3, 3, 5, 5, 5, 5}));
  EXPECT_EQ(ed->GetElem(6, 2), 9.0);
  EXPECT_EQ(log.Take(), "Setup");
  ed->AssignAnotherDataMatrix(&t);
  EXPECT_EQ(log.Take(), "");
  t.SetElem(1, 1, 2);
  EXPECT_EQ(log.Take(), "Change, Change");
  t.Resize(7, 3);
  EXPECT_EQ(ed->ColCount(), 9);
  TDataTable other(nullptr);
  ed->AssignAnotherDataMatrix(&other);
  EXPECT_TRUE(NoHooks(t));  // the previous one is let go
  EXPECT_EQ(ed->ColCount(), 3);
}

TEST_F(Editor, DestroyingTheEditorLeavesAnAssignedTableAliveWithoutAnyOfItsHooks) {
  // Regression: only OnChange and OnChangeSetup were cleared; a later resize or sort of the table
  // called the freed editor through OnResize and OnSortExchange.
  TDataTable t(nullptr);
  t.Resize(3, 3);
  ed->AssignAnotherDataMatrix(&t);
  int hostCalls = 0;
  t.OnChangeSetup = [&](TObject*) { ++hostCalls; };  // the host's own hook stays
  ed.reset();
  EXPECT_FALSE(t.OnChange);
  EXPECT_FALSE(t.OnResize);
  EXPECT_FALSE(t.OnSortExchange);
  ASSERT_TRUE(t.OnChangeSetup);
  t.Resize(5, 5);
  t.SetElem(1, 1, 3);
  t.SetElem(2, 1, 1);
  t.SortCols(1, false, 0, 0, 0, 0, true);
  t.InsertColumn(1);
  EXPECT_EQ(t.GetElem(2, 1), 3.0);
  EXPECT_EQ(t.GetElem(3, 1), 1.0);
  EXPECT_GT(hostCalls, 0);
}

TEST_F(Editor, AnAssignedTableFreedFirstGivesWayToAnOwnZeroTableOfItsSize) {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(4, 2);
  t->SetElem(1, 1, 8);
  ed->AssignAnotherDataMatrix(t.get());
  t.reset();
  ASSERT_NE(ed->Data, nullptr);
  EXPECT_EQ(ed->NrOfColumns(), 4);
  EXPECT_EQ(ed->NrOfRows(), 2);
  EXPECT_EQ(ed->GetElem(1, 1), 0.0);
  ed->SetNrCols(5);  // the own table is hooked
  EXPECT_EQ(ed->ColCount(), 7);
}

TEST_F(Editor, ContentsAndStatesComeFromAnotherTable) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetElem(2, 2, 4);
  t.SetColName(1, "ext");
  t.SetCellState(1, 2, csMarkB);
  EXPECT_FALSE(ed->CopyCellStatesFrom(&t));  // another size
  EXPECT_FALSE(ed->GetElemMarkedB(1, 2));
  log.Take();
  ed->CopyContentsFrom(&t);
  EXPECT_EQ(ed->ColCount(), 4);
  EXPECT_EQ(ed->GetElem(2, 2), 4.0);
  EXPECT_EQ(ed->GetColName(1), u"ext");
  EXPECT_EQ(log.Take(), "Change");
  ed->SetCellState(1, 2, 0);
  EXPECT_TRUE(ed->CopyCellStatesFrom(&t));
  EXPECT_TRUE(ed->GetElemMarkedB(1, 2));
  EXPECT_EQ(log.Take(), "States, States");
}

// [SECTION] on a form: painting

TEST_F(EditorOnForm, UnderSuppressPaintNothingFiresAndClearingItPaintsOnce) {
  log.Hook(*ed);
  user.Process();
  const int before = ed->Paints;
  ed->SetSuppressPaint(true);
  ed->SetElem(1, 1, 5);
  ed->SetColName(2, u"quiet");
  ed->SetDecPlaces(1, 1);
  ed->SetElemMarkedA(2, 2, true);
  ed->Redimension(5, 5);
  ed->Data->SetColAttrib(1, 3);
  ed->SetSuppressPaint(true);
  EXPECT_EQ(ed->Paints, before);
  EXPECT_EQ(log.Take(), "");
  ed->SetSuppressPaint(false);
  EXPECT_EQ(ed->Paints, before + 1);
  EXPECT_EQ(log.Take(), "");
}

TEST_F(EditorOnForm, ATableChangePaintsAtOnce) {
  user.Process();
  const int before = ed->Paints;
  ed->SetElem(2, 2, 1.5);
  EXPECT_GT(ed->Paints, before);
}

TEST_F(EditorOnForm, OptimizeRowHeightFitsEveryRowOnPaint) {
  ed->SetColAttVis(true);
  ed->SetOptRowHeight(true);
  user.Process();
  const int h = ed->Canvas()->TextHeight(u"9") + 5;
  for (int r = 0; r < ed->RowCount(); ++r) EXPECT_EQ(ed->RowHeights(r), std::max(h, 8)) << r;
}
