// TReportListView: structure and layout, selection and enabling, rows and sorting, what a user does
// with the mouse and the keys, in-place editing and the filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Assertions.h"
#include "Qelta_replist.h"
#include "ReplistViewTesting.h"
#include "Streams.h"

using namespace qelta;
using namespace qelta::testing;

// [SECTION] structure and layout

TEST(ReportListView, StartsWithFiveColumnsOfFourRowsUnderOneHeaderLine) {
  TReportListView v(nullptr);
  EXPECT_EQ(v.NrOfColumns(), 5);
  EXPECT_EQ(v.NrOfRows(), 4);
  EXPECT_EQ(v.ColCount(), 5);
  EXPECT_EQ(v.RowCount(), 5);
  EXPECT_EQ(v.FixedRows(), 1);
  EXPECT_EQ(v.FixedCols(), 0);
  EXPECT_EQ(v.CountHeadRows(), 1);
  EXPECT_TRUE(v.ColumnHeadersVisible());
  EXPECT_FALSE(v.CommonHeaderVisible());
  EXPECT_EQ(v.Options(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goColSizing, goRowSelect, goThumbTracking}));
  EXPECT_EQ(v.TopRow(), 1);
  EXPECT_EQ(v.LeftCol(), 1);
  EXPECT_EQ(v.RowSelectMode(), 1);
  EXPECT_EQ(v.ColorSelectedRow(), 0x94BAED);
  EXPECT_EQ(v.ColorBkgdShaded(), 0xF0EFE8);
  EXPECT_EQ(v.InterRowIndicatorWidth(), 3);
  EXPECT_FALSE(v.SuppressPaint());
  EXPECT_TRUE(v.DoubleBuffered());
}

TEST(ReportListView, HeaderLinesSetTheFixedRowsAndKeepOneRowMoreThanTheData) {
  TReportListView v(nullptr);
  v.SetCommonHeaderVisible(true);
  EXPECT_EQ(v.FixedRows(), 2);
  EXPECT_EQ(v.RowCount(), 6);
  v.SetCommonHeaderVisible(false);
  v.SetColumnHeadersVisible(false);
  EXPECT_EQ(v.FixedRows(), 0);
  EXPECT_EQ(v.RowCount(), 4);
  v.SetNrRows(0);
  EXPECT_EQ(v.RowCount(), 1);  // no data, no header: still one grid row
  v.SetCommonHeaderVisible(true);
  v.SetColumnHeadersVisible(true);
  EXPECT_EQ(v.RowCount(), 3);
  EXPECT_EQ(v.FixedRows(), 2);
}

TEST(ReportListView, HeaderHeightsAreClampedAndGoToTheHeaderRows) {
  TReportListView v(nullptr);
  v.SetCommonHeaderHeight(3);
  EXPECT_EQ(v.CommonHeaderHeight(), 8);
  v.SetCommonHeaderHeight(500);
  EXPECT_EQ(v.CommonHeaderHeight(), 127);
  v.SetColumnHeadersHeight(33);
  EXPECT_EQ(v.RowHeights(0), 33);
  EXPECT_EQ(v.RowHeights(1), 24);
  v.SetCommonHeaderVisible(true);
  EXPECT_EQ(v.RowHeights(0), 127);
  EXPECT_EQ(v.RowHeights(1), 33);
}

TEST(ReportListView, ColumnHeaderRowGetsItsHeightAboveASingleDataRow) {
  // The column-header row kept the default height with both header lines over one data row: the height
  // was applied only from two data rows on.
  TReportListView v(nullptr);
  v.SetNrRows(1);
  v.SetCommonHeaderVisible(true);
  v.SetColumnHeadersHeight(31);
  EXPECT_EQ(v.RowHeights(1), 31);
  v.SetNrRows(0);
  v.SetColumnHeadersHeight(29);
  EXPECT_EQ(v.RowHeights(1), 29);
}

TEST(ReportListView, NewColumnsTakeTheWidthOfTheOldLastColumn) {
  TReportListView v(nullptr);
  v.SetNrCols(3);
  v.SetColWidths(3, 90);
  v.SetColAlignment(2, taRightJustify);
  v.SetNrCols(5);
  EXPECT_EQ(v.GetColWidths(4), 90);
  EXPECT_EQ(v.GetColWidths(5), 90);
  EXPECT_EQ(v.GetColWidths(0), 0);
  EXPECT_EQ(v.GetColAlignment(2), taRightJustify);
  EXPECT_EQ(v.GetColAlignment(5), taLeftJustify);
  EXPECT_FALSE(v.GetColumnEditable(5));
  v.SetNrCols(0);
  EXPECT_EQ(v.NrOfColumns(), 1);
  EXPECT_EQ(v.ColCount(), 1);
}

TEST(ReportListView, WidthsFitTheClientAndTheTexts) {
  TReportListView v(nullptr);
  v.SetBounds(0, 0, 200, 100);
  v.SetNrCols(3);
  for (int c = 1; c <= 3; ++c) v.SetColWidths(c, 120);
  v.ExpandColWidth(2, 0);
  EXPECT_EQ(v.GetColWidths(2), 16);  // the others already fill the client
  v.SetColWidths(1, 20);
  v.SetColWidths(3, 20);
  v.ExpandColWidth(2, 10);
  ASSERT_EQ(v.ClientWidth(), 200 - 16);  // the rows overflow 100 pixels: the vertical scroll bar takes 16
  EXPECT_EQ(v.GetColWidths(2), 200 - 16 - 10 - 40);
  v.SetNrRows(2);
  v.SetElem(1, 1, "a much longer text than fifty pixels");
  v.AutoColWidth(1, true, 0, 50);
  EXPECT_EQ(v.GetColWidths(1), 50);
  EXPECT_EQ(v.DetermineMaxColWidth(2, false), 9);  // empty column, no header
  v.AutoColWidth(2, false, 0);
  EXPECT_EQ(v.GetColWidths(2), 9);
  EXPECT_EQ(v.DetermineMaxColWidth(0, true), 9);
  EXPECT_EQ(v.DetermineMaxColWidth(4, true), 9);
}

TEST(ReportListView, CheckColumnsMeasureWithoutTheirCheckCharacterPlusTheBox) {
  TReportListView v(nullptr);
  v.SetNrCols(2);
  v.SetNrRows(1);
  v.SetElem(1, 1, "Wide text");
  v.SetElem(2, 1, "Wide text");
  v.SetCheckedCol(2, true);
  EXPECT_EQ(v.DetermineMaxColWidth(2, false), v.DetermineMaxColWidth(1, false) + 16);
}

TEST(ReportListView, TopRowAndLeftColCountInDataNumbers) {
  TReportListView v(nullptr);
  v.SetNrRows(40);
  v.SetCommonHeaderVisible(true);
  v.SetTopRow(10);
  EXPECT_EQ(v.TopRow(), 10);
  EXPECT_EQ(v.TCustomGrid::TopRow(), 11);
  v.SetTopRow(-5);
  EXPECT_EQ(v.TopRow(), 1);
  v.SetNrRows(0);
  v.SetTopRow(3);  // no rows: the first row after the headers
  EXPECT_EQ(v.TCustomGrid::TopRow(), 2);
  v.SetLeftCol(9);
  EXPECT_EQ(v.LeftCol(), 5);
  v.SetLeftCol(0);
  EXPECT_EQ(v.LeftCol(), 1);
}

TEST(ReportListView, FixedFirstColumnTakesEffectFromTwoColumnsOn) {
  TReportListView v(nullptr);
  v.SetFixedFirstColumn(true);
  EXPECT_EQ(v.FixedCols(), 1);
  v.SetNrCols(1);  // a fixed count equal to the count would be refused by the grid
  EXPECT_EQ(v.FixedCols(), 0);
  EXPECT_TRUE(v.FixedFirstColumn());
  v.SetNrCols(3);
  EXPECT_EQ(v.FixedCols(), 1);
  v.SetLeftCol(1);
  EXPECT_EQ(v.LeftCol(), 2);
}

TEST(ReportListView, SelectionAcceptsTheOriginAndThePlaceBehindTheCells) {
  TReportListView v(nullptr);
  v.SetNrRows(3);
  v.SetRowSelectMode(0);
  EXPECT_EQ(v.Col(), 6);  // outside the cells
  EXPECT_EQ(v.Row(), 4);
  v.SetSelection(TGridRect{0, 0, 0, 0});
  EXPECT_EQ(v.Row(), 0);
}

TEST(ReportListView, SecondarySortColumnAcceptsOnlyMinusOneThroughTheColumnCount) {
  TReportListView v(nullptr);
  v.SetSecondarySortColumn(3);
  EXPECT_EQ(v.SecondarySortColumn(), 3);
  v.SetSecondarySortColumn(6);
  v.SetSecondarySortColumn(-2);
  EXPECT_EQ(v.SecondarySortColumn(), 3);
}

// [SECTION] notification

TEST_F(ViewOnForm, SettersRepaintAndNotifyAsTheyShould) {
  const int paints = view->Paints;
  view->SetColorHigh(0x123456);
  EXPECT_EQ(log.Take(), "Setup");
  view->SetColName(2, "Place");
  EXPECT_EQ(log.Take(), "Change");
  view->SetColName(9, "x");
  view->SetColumnEditable(2, true);
  EXPECT_EQ(log.Take(), "");
  view->SetElem(1, 1, "T-1");  // through the store's hook
  EXPECT_EQ(log.Take(), "Change");
  view->SetEmptyMessage(u"none");
  view->SetEmptyMessage(u"none");
  EXPECT_EQ(log.Take(), "Setup");
  EXPECT_EQ(view->Paints, paints + 4);
}

TEST_F(ViewOnForm, BulkOperationsRepaintOnceAndNotifyOnce) {
  struct Bulk {
    const char* name;
    std::function<void(TReportListView*)> run;
    const char* events;
  };
  const Bulk cases[] = {
      {"SelectAllRows", [](TReportListView* v) { v->SelectAllRows(); }, "Selected"},
      {"DeselectAllRows", [](TReportListView* v) { v->DeselectAllRows(); }, "Selected"},
      {"DisableAllRows", [](TReportListView* v) { v->DisableAllRows(); }, "Selected"},
      {"EnableAllRows", [](TReportListView* v) { v->EnableAllRows(); }, "Selected"},
      {"SelectAllColumns", [](TReportListView* v) { v->SelectAllColumns(); }, "Selected"},
      {"SetRowSelectMode", [](TReportListView* v) { v->SetRowSelectMode(1); }, "Selected"},
      {"Fill", [](TReportListView* v) { v->Fill("x"); }, "Change"},
      {"SetAllCheckmarksOfCol", [](TReportListView* v) { v->SetAllCheckmarksOfCol(4, true); }, "Change"},
  };
  view->SetCheckedCol(4, true);
  log.Take();
  for (const Bulk& b : cases) {
    const int paints = view->Paints;
    b.run(view);
    EXPECT_EQ(view->Paints, paints + 1) << b.name;
    EXPECT_EQ(log.Take(), b.events) << b.name;
  }
}

TEST_F(ViewOnForm, AssignCopiesSettingsDataAndFlagsAndStaysHooked) {
  view->SetCommonHeaderVisible(true);
  view->SetColAlignment(3, taRightJustify);
  view->SetColumnIsPwd(4, true);
  view->SetHighLightRow(2);
  view->Sort(2, -1, true);
  TReportListView copy(nullptr);
  copy.Assign(view);
  EXPECT_EQ(copy.NrOfColumns(), 4);
  EXPECT_EQ(copy.NrOfRows(), 6);
  EXPECT_EQ(copy.RowCount(), 8);
  EXPECT_EQ(copy.FixedRows(), 2);
  EXPECT_EQ(copy.GetColAlignment(3), taRightJustify);
  EXPECT_TRUE(copy.GetColumnIsPwd(4));
  EXPECT_EQ(copy.HighLightRow(), 2);
  EXPECT_EQ(copy.GetElem(2, 1), "brook");
  EXPECT_EQ(copy.LastSortColumn(), 2);
  // The copy's store still reports to the copy.
  int changes = 0;
  copy.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &copy);
    ++changes;
  };
  copy.SetElem(1, 1, "new");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(view->GetElem(1, 1), "S-6");
}

// [SECTION] selection and rows

TEST_F(ViewOnForm, SelectionAndEnablingAreAttributeBits) {
  view->SetRowSelect(2, true);
  view->SetRowSelect(5, true);
  view->SetRowSelect(9, true);
  EXPECT_EQ(log.Take(), "Selected, Selected");
  EXPECT_EQ(view->FirstSelectedRow(), 2);
  EXPECT_EQ(view->NumSelectedRows(), 2);
  view->SetRowEnabled(5, false);
  EXPECT_TRUE(view->GetRowSelect(5));
  EXPECT_FALSE(view->GetRowEnabled(5));
  EXPECT_EQ(view->Data()->Strings->GetRowAttrib(5), 0xC0);
  EXPECT_EQ(view->NumEnabledRows(), 5);
  EXPECT_FALSE(view->GetRowEnabled(0));
  view->SetColSelect(3, true);
  EXPECT_EQ(view->FirstSelectedColumn(), 3);
  EXPECT_EQ(view->NumSelectedColumns(), 1);
  view->SetRowSelectMode(2);
  EXPECT_EQ(SelectedRows(), "2,5");  // mode 2 keeps the selection
  view->SetRowSelectMode(0);
  EXPECT_EQ(SelectedRows(), "");
  EXPECT_FALSE(view->GetRowEnabled(5));  // only the selection bit goes
}

TEST_F(ViewOnForm, CenterScrollAndSelectPutsTheRowInTheMiddle) {
  view->SetNrRows(60);
  view->CenterScrollAndSelect(30);
  EXPECT_EQ(SelectedRows(), "30");
  EXPECT_EQ(view->TopRow(), 30 - view->VisibleRowCount() / 2);
  EXPECT_EQ(view->Row(), 30);
}

TEST_F(ViewOnForm, RowsAreInsertedAppendedAndRemoved) {
  view->Sort(1, -1, false);
  EXPECT_EQ(view->InsertRow(0), 0);
  EXPECT_EQ(view->NrOfRows(), 6);
  EXPECT_EQ(view->LastSortColumn(), -1);
  EXPECT_EQ(view->InsertRow(2), 2);
  EXPECT_EQ(Column(1), "S-6,,S-5,S-4,S-3,S-2,S-1");
  EXPECT_EQ(view->RowCount(), 8);
  EXPECT_EQ(view->InsertRow(view->NrOfRows() + 5), 8);
  EXPECT_EQ(view->NrOfRows(), 8);
  EXPECT_EQ(view->AddRow(), 9);
  view->RemoveEmptyRows();
  EXPECT_EQ(Column(1), "S-6,S-5,S-4,S-3,S-2,S-1");
  view->RemoveRow(1);
  EXPECT_EQ(Column(1), "S-5,S-4,S-3,S-2,S-1");
  for (int i = 0; i < 5; ++i) view->RemoveRow(1);
  EXPECT_EQ(view->NrOfRows(), 0);
  EXPECT_EQ(view->RowCount(), 2);
  view->Clear();
  EXPECT_EQ(view->GetColName(1), "C-1");
}

// [SECTION] mouse

TEST_F(ViewOnForm, HeaderClicksSortOnlyAwayFromTheBorders) {
  const TRect header = CellOf(2, -1);
  ClickAt(2, -1, 3, 8);
  EXPECT_EQ(view->LastSortColumn(), -1);
  ClickAt(2, -1, header.Width() - 3, 8);
  EXPECT_EQ(view->LastSortColumn(), -1);
  ClickAt(2, -1, 5, 8);
  EXPECT_EQ(view->LastSortColumn(), 2);
  EXPECT_FALSE(view->LastSortOrder());  // the first click sorts descending
  EXPECT_EQ(Column(2), "well,spring,river,pond,lake,brook");
  view->SetSortEnabled(false);
  ClickAt(3, -1, 20, 8);
  EXPECT_EQ(view->LastSortColumn(), 2);
}

TEST_F(ViewOnForm, TwoHeaderClicksSortBothWaysAndKeepTheSelectedRecord) {
  Click(1, 3);  // S-3, well
  EXPECT_EQ(SelectedRows(), "3");
  ClickAt(2, -1, 20, 8);
  EXPECT_EQ(Column(2), "well,spring,river,pond,lake,brook");
  EXPECT_EQ(view->GetElem(1, view->Row() - 0), "S-3");
  ClickAt(2, -1, 20, 8);
  EXPECT_TRUE(view->LastSortOrder());
  EXPECT_EQ(Column(2), "brook,lake,pond,river,spring,well");
  EXPECT_EQ(view->GetElem(1, view->Row()), "S-3");
  EXPECT_EQ(view->GetElem(1, view->FirstSelectedRow()), "S-3");
  ClickAt(3, -1, 20, 8);  // one toggle for all columns: now descending again
  EXPECT_FALSE(view->LastSortOrder());
}

TEST_F(ViewOnForm, ModeTwoSelectsRangesWithShiftAndTogglesWithCtrl) {
  view->SetRowSelectMode(2);
  Click(1, 2);
  Click(1, 5, {ssShift});
  EXPECT_EQ(SelectedRows(), "2,3,4,5");
  Click(1, 3, {ssCtrl});
  EXPECT_EQ(SelectedRows(), "2,4,5");
  Click(1, 6);
  EXPECT_EQ(SelectedRows(), "6");
  view->SetUseCtrlForMultiSel(false);
  Click(1, 1);
  EXPECT_EQ(SelectedRows(), "1,6");
  log.Take();
  Click(1, 4, {ssShift});  // from the anchor 1 down to 4
  EXPECT_EQ(SelectedRows(), "1,2,3,4,6");
  EXPECT_EQ(log.Take(), "Selected");
}

TEST_F(ViewOnForm, ShiftRangesCopyOnlyTheSelectionBit) {
  // A Shift range copied the anchor row's whole attribute byte, so a Shift-click enabled or disabled
  // the rows of the range along with selecting them.
  view->SetRowSelectMode(2);
  Click(1, 2);
  view->SetRowEnabled(2, false);
  view->Data()->Strings->SetRowAttrib(3, 0x05);  // bits of the host's own stay too
  Click(1, 4, {ssShift});
  EXPECT_EQ(SelectedRows(), "2,3,4");
  EXPECT_TRUE(view->GetRowEnabled(3));
  EXPECT_TRUE(view->GetRowEnabled(4));
  EXPECT_EQ(view->Data()->Strings->GetRowAttrib(3), 0x85);
}

TEST_F(ViewOnForm, ReleasingRightOfTheGridDeselectsInModeTwo) {
  view->SetRowSelectMode(2);
  view->SetDefaultColWidth(40);
  Click(1, 2);
  user.Advance(1000);
  const TRect cell = CellOf(1, 2);
  user.Press(view, cell.Left + 5, cell.Top + 5);
  user.Release(view, 390, cell.Top + 5);
  EXPECT_EQ(SelectedRows(), "");
}

TEST_F(ViewOnForm, CheckBoxClicksToggleWithBothEvents) {
  view->SetCheckedCol(4, true);
  std::string events;
  view->OnBeforeCheckedChange = [&](TObject*, bool& state, int c, int r) {
    events += "before " + std::to_string(state) + " " + std::to_string(c) + "," + std::to_string(r) + "; ";
  };
  view->OnCheckedChange = [&](TObject*, bool& state, int c, int r) {
    events += "after " + std::to_string(state) + " " + std::to_string(c) + "," + std::to_string(r);
  };
  ClickAt(4, 3, 8, 8);
  EXPECT_TRUE(view->GetElemChecked(4, 3));
  EXPECT_EQ(events, "before 1 4,3; after 0 4,3");
  EXPECT_EQ(view->GetElem(4, 3), "iron");
  ClickAt(4, 3, 18, 8);  // 18 pixels right of the cell's edge: no toggle
  EXPECT_TRUE(view->GetElemChecked(4, 3));
  view->OnBeforeCheckedChange = [](TObject*, bool& state, int, int) { state = true; };  // the host vetoes
  ClickAt(4, 3, 8, 8);
  EXPECT_TRUE(view->GetElemChecked(4, 3));
  view->SetCheckMarksReadOnly(true);
  view->OnBeforeCheckedChange = nullptr;
  ClickAt(4, 1, 8, 8);
  EXPECT_FALSE(view->GetElemChecked(4, 1));
  view->SetCheckMarksReadOnly(false);
  view->SetRowEnabled(1, false);
  ClickAt(4, 1, 8, 8);
  EXPECT_FALSE(view->GetElemChecked(4, 1));
  view->SetShowEmptyCheckBoxes(false);  // an empty cell shows no box to click
  ClickAt(4, 2, 8, 8);
  EXPECT_FALSE(view->GetElemChecked(4, 2));
}

TEST_F(ViewOnForm, RadioClicksAlwaysEndChecked) {
  view->SetColCheckMode(2, cmRadio);
  ClickAt(2, 4, 8, 8);
  ClickAt(2, 2, 8, 8);
  EXPECT_EQ(view->FirstCheckedElemInCol(2), 2);
  EXPECT_EQ(view->CountCheckedElemsInCol(2), 1);
  ClickAt(2, 2, 8, 8);  // a click on the checked one leaves it checked
  EXPECT_EQ(view->FirstCheckedElemInCol(2), 2);
  EXPECT_EQ(view->CountCheckedElemsInCol(2), 1);
}

TEST_F(ViewOnForm, DoubleClickOnAHeaderBorderFitsTheColumnLeftOfIt) {
  int dblClicks = 0;
  view->OnDblClick = [&](TObject*) { ++dblClicks; };
  view->SetElem(2, 4, "a spring far up in the hills");
  user.Advance(1000);
  const TRect h2 = CellOf(2, -1), h3 = CellOf(3, -1);
  user.DoubleClick(view, h2.Right - 2, 8);  // the right border of column 2
  EXPECT_EQ(view->GetColWidths(2), view->DetermineMaxColWidth(2, true));
  EXPECT_EQ(dblClicks, 0);
  user.Advance(1000);
  view->SetElem(1, 1, "S-1 taken at noon by the river");
  user.DoubleClick(view, CellOf(2, -1).Left + 2, 8);  // the left border of column 2 fits column 1
  EXPECT_EQ(view->GetColWidths(1), view->DetermineMaxColWidth(1, true));
  EXPECT_GT(view->GetColWidths(1), 100);
  (void)h3;
  user.Advance(1000);
  const TRect cell = CellOf(1, 2);
  user.DoubleClick(view, cell.Left + 10, cell.Top + 5);
  EXPECT_EQ(dblClicks, 1);
}

TEST_F(ViewOnForm, MouseCellNumbersHeadersAndDataRows) {
  view->SetCommonHeaderVisible(true);
  const TRect data = CellOf(3, 2), head = CellOf(3, -1);
  EXPECT_EQ(view->MouseCell(data.Left + 2, data.Top + 2), (TGridCoord{3, 2}));
  EXPECT_EQ(view->MouseCell(head.Left + 2, head.Top + 2), (TGridCoord{3, -1}));
  EXPECT_EQ(view->MouseCell(head.Left + 2, 3), (TGridCoord{3, -2}));
  EXPECT_EQ(view->MouseCell(399, 259), (TGridCoord{0, 0}));
}

// [SECTION] keys and in-place editing

TEST_F(ViewOnForm, NavigationKeysSelectTheCurrentRow) {
  Click(1, 2);
  log.Take();
  user.PressKey(VK_DOWN);
  EXPECT_EQ(SelectedRows(), "3");
  EXPECT_EQ(log.Take(), "Selected");
  user.PressKey(VK_END);
  EXPECT_EQ(SelectedRows(), "6");
  view->SetRowSelectMode(0);
  user.PressKey(VK_HOME);
  EXPECT_EQ(SelectedRows(), "1");  // in every mode
}

TEST_F(ViewOnForm, EditableColumnsEditInPlaceAndEnterAdvances) {
  view->SetColumnEditable(4, true);
  view->SetCheckedCol(4, true);
  view->SetElemChecked(4, 1, true);
  view->SetAutoAdvance(true);
  std::string edits;
  view->OnSetEditText = [&](TObject*, int ACol, int ARow, const String& Value) {
    edits += std::to_string(ACol) + "," + std::to_string(ARow) + "=" + StringToUtf8(Value);
  };
  ClickAt(4, 1, 40, 8);
  ClickAt(4, 1, 40, 8);  // a press on the current cell shows the editor
  ASSERT_TRUE(view->EditorMode());
  EXPECT_EQ(view->InplaceEditor()->Text(), u"clear");
  user.TypeText(u"murky");
  user.PressKey(VK_RETURN);
  EXPECT_EQ(view->GetElem(4, 1), "murky");
  EXPECT_TRUE(view->GetElemChecked(4, 1));  // the check state stays
  EXPECT_EQ(edits, "3,1=murky");
  EXPECT_EQ(view->Row(), 2);  // AutoAdvance: on to the next row
  EXPECT_FALSE(view->EditorMode());
}

TEST_F(ViewOnForm, TypingIntoAnEditableCellDoesNotAdvance) {
  // With AutoAdvance, the character that opened the in-place editor moved the current cell down: the
  // cell kept that one character and the rest went into the next row.
  view->SetColumnEditable(2, true);
  view->SetAutoAdvance(true);
  Click(2, 3);
  user.TypeText(u"dam");
  EXPECT_EQ(view->Row(), 3);
  user.PressKey(VK_RETURN);
  EXPECT_EQ(view->GetElem(2, 3), "dam");
  EXPECT_EQ(view->Row(), 4);
  EXPECT_EQ(view->GetElem(2, 4), "spring");
}

TEST_F(ViewOnForm, NotEditableColumnsAndDisabledRowsDoNotEdit) {
  view->SetColumnEditable(2, true);
  view->SetRowEnabled(3, false);
  Click(2, 3);
  Click(2, 3);
  EXPECT_FALSE(view->EditorMode());
  Click(1, 2);
  Click(1, 2);
  EXPECT_FALSE(view->EditorMode());
  Click(2, 2);
  Click(2, 2);
  EXPECT_TRUE(view->EditorMode());
}

// [SECTION] filter

TEST_F(ViewOnForm, FilterSelectsMatchesAndMovesThemToTheTopInOrder) {
  const int cols[] = {2, 4};
  EXPECT_EQ(view->FilterAndSort(u"R", cols, true, fmSimple, 0, true), 4);
  EXPECT_EQ(Column(1), "S-1,S-3,S-4,S-6,S-2,S-5");  // river clear, well iron, spring cold, brook
  EXPECT_EQ(SelectedRows(), "1,2,3,4");
  EXPECT_EQ(view->FilterAndSort(u"R", cols, false, fmSimple, 0, true), 0);
  EXPECT_EQ(view->FilterAndSort(u"o l", {}, false, fmBoolean, 1, false), 1);  // both words in one cell: cold
  EXPECT_EQ(Column(1), "S-4,S-6,S-5,S-3,S-2,S-1");
  EXPECT_EQ(view->FilterAndSort(u"^s", cols, false, fmGrep, 2, true), 1);
  EXPECT_EQ(view->GetElem(2, 1), "spring");
}

TEST_F(ViewOnForm, FilterHookSetsOrCombinesTheResult) {
  view->OnBeforeFilter = [](TObject*, int Row, bool& Found, TLogicOp& op) {
    if (Row == 2) Found = true;  // (true, OR) takes the row
    if (Row == 1) op = loAND;    // (false, AND) drops it
  };
  const int cols[] = {1};
  EXPECT_EQ(view->FilterAndSort(u"S-1", cols, false, fmSimple, 1, true), 1);
  EXPECT_EQ(view->GetElem(1, 1), "S-2");
  EXPECT_EQ(SelectedRows(), "1");
}

// [SECTION] text exchange and the data's hooks

TEST_F(ViewOnForm, ReadersFitTheGridAndTheHooksReportTheView) {
  view->SetCheckedCol(4, true);
  log.Take();
  TMemoryStream stream;
  view->WriteToXMLStream(stream, true, u"samples");
  EXPECT_EQ(log.Take(), "Setup");
  TReportListView other(nullptr);
  TViewLog otherLog;
  otherLog.Hook(other);
  stream.SetPosition(0);
  EXPECT_GT(other.ReadFromXMLStream(stream, u"samples"), 0);
  EXPECT_EQ(other.NrOfColumns(), 4);
  EXPECT_EQ(other.NrOfRows(), 6);
  EXPECT_EQ(other.ColCount(), 4);
  EXPECT_EQ(other.RowCount(), 7);
  EXPECT_EQ(other.GetColCheckMode(4), cmBox);
  EXPECT_EQ(other.GetElem(2, 5), "pond");
  EXPECT_NE(otherLog.Take().find("Setup"), std::string::npos);
  std::vector<TObject*> senders;
  other.OnBeforeSortExchange = [&](TObject* s, const String& in, String& out) {
    senders.push_back(s);
    out = in;
  };
  other.OnPercentDone = [&](TObject* s, int) { senders.push_back(s); };
  other.Sort(2, -1, true);
  ASSERT_FALSE(senders.empty());
  for (TObject* s : senders) EXPECT_EQ(s, &other);
  EXPECT_EQ(other.GetElem(2, 1), "brook");
}
