// Grids: defaults, layout, drawing order and states, keys, mouse, column sizing and in-place editing.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Grids.h"
#include "SampleControls.h"
#include "ScrollBarTesting.h"
#include "Testing.h"

using namespace qelta;
using qelta::testing::BarShown;
using qelta::testing::PartCentre;
using qelta::testing::PartRect;
using qelta::testing::ScrollBarOf;
using qelta::testing::TScrollPart;
using sample::PixelOf;
using platform_detail::kScrollRepeatDelay;
using platform_detail::kScrollRepeatInterval;

namespace {

std::string StateText(TGridDrawState s) {
  std::string out;
  if (s.Contains(gdFixed)) out += "F";
  if (s.Contains(gdSelected)) out += "S";
  if (s.Contains(gdFocused)) out += "C";
  return out.empty() ? "-" : out;
}

/// A string grid that logs what it is asked to do.
class TLogGrid : public TStringGrid {
 public:
  explicit TLogGrid(TComponent* owner) : TStringGrid(owner) {}
  std::vector<std::string> drawn;  // "col,row:state" in drawing order
  std::vector<std::string> edits;  // SetEditText calls
  int paints = 0;
  TEditStyle style = esSimple;
  std::vector<String> pickList;
  using TStringGrid::InvalidateCell;

 protected:
  void Paint() override {
    ++paints;
    drawn.clear();
    TStringGrid::Paint();
  }
  void DrawCell(int c, int r, const TRect& rect, TGridDrawState state) override {
    drawn.push_back(std::to_string(c) + "," + std::to_string(r) + ":" + StateText(state));
    TStringGrid::DrawCell(c, r, rect, state);
  }
  void SetEditText(int c, int r, const String& value) override {
    edits.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + sample::Narrow(value));
    TStringGrid::SetEditText(c, r, value);
  }
  TEditStyle GetEditStyle(int, int) override { return style; }
  std::unique_ptr<TInplaceEdit> CreateEditor() override {
    auto editor = std::make_unique<TInplaceEditList>(nullptr);
    editor->OnGetPickListItems = [this](int, int, TStrings* items) {
      for (const String& s : pickList) items->Add(s);
    };
    return editor;
  }
};

struct GridFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TLogGrid* grid = new TLogGrid(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 500, 400);
    grid->SetParent(form.get());
    grid->SetBounds(10, 10, 400, 200);
    user.Show(form.get());
  }
  /// Centre of a cell, client coordinates.
  TPoint At(int c, int r) const {
    const TRect rect = grid->CellRect(c, r);
    return Point((rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2);
  }
  void ClickCell(int c, int r, TShiftState shift = {}) {
    user.Advance(1000);  // never a double click
    user.Click(grid, At(c, r).X, At(c, r).Y, mbLeft, shift);
  }
};

}  // namespace

TEST(TCustomGrid, DefaultsAndFixedCounts) {
  TStringGrid grid(nullptr);
  EXPECT_EQ(grid.ColCount(), 5);
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.FixedCols(), 1);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.DefaultColWidth(), 64);
  EXPECT_EQ(grid.DefaultRowHeight(), 24);
  EXPECT_EQ(grid.GridLineWidth(), 1);
  EXPECT_EQ(grid.ColWidths(4), 64);
  EXPECT_EQ(grid.RowHeights(4), 24);
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.TopRow(), 1);
  EXPECT_EQ(grid.LeftCol(), 1);
  EXPECT_TRUE(grid.DefaultDrawing());
  EXPECT_EQ(grid.ScrollBars(), ssBoth);
  EXPECT_EQ(grid.Options(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect}));
  EXPECT_THROW_MSG(grid.SetFixedCols(5), EInvalidGridOperation, "Fixed column count must be less than column count");
  EXPECT_THROW_MSG(grid.SetFixedRows(7), EInvalidGridOperation, "Fixed row count must be less than row count");
  EXPECT_THROW_MSG(grid.SetFixedRows(-1), EInvalidGridOperation, "Grid index out of range");
  grid.SetFixedCols(3);
  grid.SetColCount(2);  // shrinking the count lowers the fixed count
  EXPECT_EQ(grid.FixedCols(), 1);
  EXPECT_EQ(grid.Col(), 1);
  grid.SetRowCount(0);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_THROW_MSG(grid.SetCol(2), EInvalidGridOperation, "Grid index out of range");
  grid.SetColCount(4);
  EXPECT_EQ(grid.ColWidths(3), 64);
  grid.SetDefaultColWidth(30);  // a new default resets every column
  grid.SetColWidths(2, 99);
  grid.SetDefaultColWidth(31);
  EXPECT_EQ(grid.ColWidths(2), 31);
  EXPECT_EQ(grid.ColWidths(9), 0);
}

TEST_F(GridFixture, AnUnchangedWidthRepaintsNothing) {
  user.Process();
  const int paints = grid->paints;
  grid->SetColWidths(2, 64);
  grid->SetRowHeights(2, 24);
  user.Process();
  EXPECT_EQ(grid->paints, paints);
  grid->SetColWidths(2, 70);
  user.Process();
  EXPECT_EQ(grid->paints, paints + 1);
}

TEST_F(GridFixture, CellRectsAndMouseCoordsAtTheBorders) {
  // Columns 64 wide with a line after each: column 0 is x 0..63, its line x 64, column 1 x 65..128 ...
  EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 64, 24));
  EXPECT_EQ(grid->CellRect(2, 1), Rect(130, 25, 194, 49));
  struct Case {
    int x, y, col, row;
  };
  const Case cases[] = {{0, 0, 0, 0},    {63, 23, 0, 0},  {64, 24, 0, 0},  {65, 25, 1, 1},
                        {129, 49, 1, 1}, {130, 50, 2, 2}, {324, 0, 4, 0},  {325, 0, -1, 0},
                        {-1, 5, -1, 0},  {5, 124, 0, 4},  {5, 125, 0, -1}, {399, 199, -1, -1}};
  for (const Case& k : cases) {
    const TGridCoord c = grid->MouseCoord(k.x, k.y);
    EXPECT_EQ(c.X, k.col) << k.x << "," << k.y;
    EXPECT_EQ(c.Y, k.row) << k.x << "," << k.y;
  }
  grid->SetColWidths(1, -1);  // hidden: no space, no line
  EXPECT_EQ(grid->CellRect(1, 1), TRect{});
  EXPECT_EQ(grid->CellRect(2, 1).Left, 65);
  grid->SetColCount(20);
  EXPECT_EQ(grid->CellRect(7, 1).Left, 65 + 5 * 65);  // partly beyond the client: still a rectangle
  EXPECT_EQ(grid->CellRect(8, 1), TRect{});           // starts beyond it
  grid->SetLeftCol(5);
  EXPECT_EQ(grid->CellRect(3, 1), TRect{});  // scrolled away
  EXPECT_EQ(grid->CellRect(5, 1).Left, 65);
  EXPECT_EQ(grid->MouseCoord(70, 30).X, 5);
  grid->SetGridLineWidth(0);
  grid->SetOptions({});
  EXPECT_EQ(grid->CellRect(5, 1), Rect(64, 24, 128, 48));
}

TEST_F(GridFixture, HugeSizesStayInRange) {
  grid->SetColWidths(1, INT32_MAX);
  grid->SetRowHeights(1, INT32_MAX);
  EXPECT_EQ(grid->ColWidths(1), 1 << 24);
  EXPECT_EQ(grid->CellRect(1, 1), Rect(65, 25, 65 + (1 << 24), 25 + (1 << 24)));
  EXPECT_EQ(grid->CellRect(2, 1), TRect{});
  EXPECT_EQ(grid->MouseCoord(300, 30).X, 1);
  grid->SetGridLineWidth(INT32_MAX);
  EXPECT_EQ(grid->GridLineWidth(), 1 << 24);
  EXPECT_EQ(grid->MouseCoord(300, 300), (TGridCoord{0, 0}));  // on the lines after cell (0, 0)
  grid->Invalidate();
  user.Process();
  user.PressKey(VK_END);
}

TEST_F(GridFixture, PaintDrawsEveryVisibleCellRowByRowWithTheStatesOfTheOptions) {
  grid->SetColCount(3);
  grid->SetRowCount(3);
  struct Case {
    TGridOptions options;
    bool focused;
    std::vector<std::string> drawn;
  };
  const TGridOptions lines{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine};
  const std::vector<Case> cases = {
      {lines, true, {"0,0:F", "1,0:F", "2,0:F", "0,1:F", "1,1:C", "2,1:-", "0,2:F", "1,2:-", "2,2:-"}},
      {lines, false, {"0,0:F", "1,0:F", "2,0:F", "0,1:F", "1,1:S", "2,1:-", "0,2:F", "1,2:-", "2,2:-"}},
      {lines | TGridOptions{goDrawFocusSelected},
       true,
       {"0,0:F", "1,0:F", "2,0:F", "0,1:F", "1,1:SC", "2,1:-", "0,2:F", "1,2:-", "2,2:-"}},
      {lines | TGridOptions{goRowSelect},
       true,
       {"0,0:F", "1,0:F", "2,0:F", "0,1:F", "1,1:SC", "2,1:S", "0,2:F", "1,2:-", "2,2:-"}},
  };
  for (const Case& k : cases) {
    grid->SetOptions(k.options);
    if (k.focused)
      grid->SetFocus();
    else
      form->SetActiveControl(nullptr);
    grid->Invalidate();
    user.Process();
    EXPECT_EQ(grid->drawn, k.drawn);
  }
}

TEST_F(GridFixture, TheSelectionCoversTheAnchorAndTheCurrentCellAndTakesAnyRectangle) {
  grid->SetOptions(grid->Options() | TGridOptions{goDrawFocusSelected});
  grid->SetFocus();
  ClickCell(1, 1);
  ClickCell(3, 2, {ssShift});
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(grid->Col(), 3);
  user.Advance(1000);
  user.Drag(grid, At(2, 3).X, At(2, 3).Y, At(1, 1).X, At(1, 1).Y);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 3}));
  grid->SetSelection({6, 9, 6, 9});  // outside the cells: taken as it is
  EXPECT_EQ(grid->Selection(), (TGridRect{6, 9, 6, 9}));
  EXPECT_EQ(grid->Row(), 9);
  grid->SetSelection({0, 0, 0, 0});
  EXPECT_EQ(grid->Col(), 0);
  grid->SetOptions(grid->Options() - TGridOptions{goRangeSelect});
  ClickCell(1, 1);
  ClickCell(3, 2, {ssShift});
  EXPECT_EQ(grid->Selection(), (TGridRect{3, 2, 3, 2}));
}

TEST_F(GridFixture, ARightPressMovesNeitherTheCurrentCellNorTheSelection) {
  // A context menu opened by the right button acts on the selection the user made before.
  ClickCell(1, 1);
  ClickCell(3, 2, {ssShift});
  user.Advance(1000);
  user.Click(grid, At(2, 3).X, At(2, 3).Y, mbRight);
  user.Advance(1000);
  user.Click(grid, At(1, 1).X, At(1, 1).Y, mbRight, {ssShift});
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 2);
}

TEST_F(GridFixture, KeysMoveTheCurrentCell) {
  grid->SetRowCount(30);
  grid->SetFocus();
  struct Case {
    Word key;
    TShiftState shift;
    int col, row;
  };
  const Case cases[] = {
      {VK_RIGHT, {}, 2, 1}, {VK_DOWN, {}, 2, 2},  {VK_END, {}, 4, 2},        {VK_HOME, {}, 1, 2},
      {VK_LEFT, {}, 1, 2},  {VK_UP, {}, 1, 1},    {VK_UP, {}, 1, 1},         {VK_NEXT, {}, 1, 8},
      {VK_NEXT, {}, 1, 15}, {VK_PRIOR, {}, 1, 8}, {VK_END, {ssCtrl}, 4, 29}, {VK_HOME, {ssCtrl}, 1, 1},
      {VK_TAB, {}, 1, 1},  // without goTabs Tab is no key of the grid
  };
  for (const Case& k : cases) {
    user.PressKey(k.key, k.shift);
    EXPECT_EQ(grid->Col(), k.col) << k.key;
    EXPECT_EQ(grid->Row(), k.row) << k.key;
  }
  EXPECT_EQ(grid->VisibleRowCount(), 7);  // (200 - 25) / 25
  user.PressKey(VK_END, {ssCtrl});
  EXPECT_EQ(grid->TopRow(), 23);  // the last row shown at the bottom
  grid->SetOptions(grid->Options() | TGridOptions{goTabs});
  grid->SetFocus();
  grid->MoveColRow(4, 1, true, true);
  user.PressKey(VK_TAB);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 2);
  user.PressKey(VK_TAB, {ssShift});
  EXPECT_EQ(grid->Col(), 4);
  EXPECT_EQ(grid->Row(), 1);
  user.PressKey(VK_DOWN, {ssShift});
  EXPECT_EQ(grid->Selection(), (TGridRect{4, 1, 4, 2}));
}

TEST_F(GridFixture, SelectCellMayRefuseAndTheWheelMovesARow) {
  grid->OnSelectCell = [](TObject*, int c, int, bool& can) { can = c != 3; };
  grid->SetFocus();
  ClickCell(3, 2);
  EXPECT_EQ(grid->Col(), 1);
  ClickCell(2, 2);
  user.Wheel(grid, 50, 50, -WHEEL_DELTA);
  EXPECT_EQ(grid->Row(), 3);
  user.Wheel(grid, 50, 50, WHEEL_DELTA);
  user.Wheel(grid, 50, 50, WHEEL_DELTA);
  user.Wheel(grid, 50, 50, WHEEL_DELTA);
  EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridFixture, AColumnIsSizedByDraggingItsBorderInAFixedRow) {
  grid->SetOptions(grid->Options() | TGridOptions{goColSizing});
  user.Drag(grid, 128, 10, 160, 10);  // column 1 ends at x 128
  EXPECT_EQ(grid->ColWidths(1), 160 - 65);
  user.Advance(1000);
  user.Drag(grid, 100, 10, 140, 10);  // inside the header cell, away from a border: no sizing
  EXPECT_EQ(grid->ColWidths(1), 95);
  grid->SetOptions(grid->Options() - TGridOptions{goColSizing});
  user.Advance(1000);
  user.Drag(grid, 160, 10, 190, 10);
  EXPECT_EQ(grid->ColWidths(1), 95);
}

TEST_F(GridFixture, TheEditorCommitsOnceOnEnterAndEscRestores) {
  // Regression: the classic grid gave SetEditText every keystroke, so a host parsed "1e" half typed.
  grid->SetOptions(grid->Options() | TGridOptions{goEditing});
  grid->SetCells(1, 1, u"old");
  grid->SetFocus();
  user.PressKey(VK_F2);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(grid->InplaceEditor()->Text(), u"old");
  user.TypeText(u"1e5");
  EXPECT_TRUE(grid->edits.empty());
  user.PressKey(VK_RETURN);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->edits, std::vector<std::string>{"1,1=1e5"});
  EXPECT_TRUE(grid->Focused());
  user.PressKey(VK_RETURN);  // Enter shows the editor again
  EXPECT_TRUE(grid->EditorMode());
  user.TypeText(u"zzz");
  user.PressKey(VK_ESCAPE);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 1), u"1e5");
  EXPECT_EQ(grid->edits.size(), 1u);
  user.PressKey(VK_F2);
  user.PressKey(VK_RETURN);  // unchanged: nothing to commit
  EXPECT_EQ(grid->edits.size(), 1u);
}

TEST_F(GridFixture, ACharacterOpensTheEditorAndMovingCommits) {
  grid->SetOptions(grid->Options() | TGridOptions{goEditing});
  grid->SetCells(2, 1, u"xyz");
  grid->SetFocus();
  user.TypeText(u"42");
  EXPECT_EQ(grid->InplaceEditor()->Text(), u"42");
  user.PressKey(VK_DOWN);  // another cell
  EXPECT_EQ(grid->edits, std::vector<std::string>{"1,1=42"});
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_FALSE(grid->EditorMode());
  ClickCell(2, 1);
  ClickCell(2, 1);  // a press on the current cell shows the editor
  ASSERT_TRUE(grid->EditorMode());
  user.PressKey(VK_END);
  user.TypeText(u"!");
  ClickCell(3, 3);  // a press on another cell commits
  EXPECT_EQ(grid->edits.back(), "2,1=xyz!");
  ClickCell(3, 3);
  user.TypeText(u"q");
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 300, 50, 20);
  user.Click(other, 5, 5);  // the focus leaves the grid: commits
  EXPECT_EQ(grid->edits.back(), "3,3=q");
  EXPECT_EQ(grid->Cells(3, 3), u"q");
}

TEST_F(GridFixture, AnEditorShownInCodeTakesTheFocusOnlyFromItsGrid) {
  grid->SetOptions(grid->Options() | TGridOptions{goEditing});
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 300, 50, 20);
  other->SetFocus();
  grid->SetEditorMode(true);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_TRUE(other->Focused());
  grid->InplaceEditor()->SetText(u"set");
  grid->SetEditorMode(false);
  EXPECT_EQ(grid->edits, std::vector<std::string>{"1,1=set"});
}

TEST_F(GridFixture, KeysTypedIntoTheEditorReachTheGridsKeyPressFirst) {
  grid->SetOptions(grid->Options() | TGridOptions{goEditing});
  std::u16string seen;
  grid->OnKeyPress = [&](TObject*, Char& key) {
    seen += key;
    if (key == u'-') key = 0;
  };
  grid->SetFocus();
  user.PressKey(VK_F2);
  user.TypeText(u"a-b");
  EXPECT_EQ(seen, u"a-b");
  EXPECT_EQ(grid->InplaceEditor()->Text(), u"ab");
}

TEST_F(GridFixture, TheEditorShowsUnderRowSelect) {
  // Regression: the classic grid showed no editor under goRowSelect, so a row list could not edit in place.
  grid->SetOptions(grid->Options() | TGridOptions{goEditing, goRowSelect});
  grid->SetFocus();
  ClickCell(2, 2);
  user.PressKey(VK_F2);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(2, 2));
  user.TypeText(u"row");
  user.PressKey(VK_RETURN);
  EXPECT_EQ(grid->Cells(2, 2), u"row");
}

TEST_F(GridFixture, APickListSetsTheCellAtOnce) {
  grid->SetOptions(grid->Options() | TGridOptions{goEditing});
  grid->style = esPickList;
  grid->pickList = {u"alpha", u"beta", u"gamma"};
  grid->SetFocus();
  user.PressKey(VK_F2);
  auto* editor = dynamic_cast<TInplaceEditList*>(grid->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->EditStyle(), esPickList);
  user.PressKey(VK_DOWN, {ssAlt});
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->PickList()->Count(), 3);
  user.ClickPopupEntry(u"beta");
  EXPECT_EQ(grid->edits, std::vector<std::string>{"1,1=beta"});
  EXPECT_TRUE(grid->EditorMode());
  user.PressKey(VK_RETURN);  // nothing changed since: no second commit
  EXPECT_EQ(grid->edits.size(), 1u);
  user.PressKey(VK_F2);
  user.Click(editor, editor->Width() - 4, 5);  // the button
  ASSERT_TRUE(editor->ListVisible());
  user.PressKey(VK_DOWN);
  user.PressKey(VK_RETURN);
  EXPECT_EQ(grid->edits.back(), "1,1=gamma");
  EXPECT_TRUE(grid->EditorMode());  // Enter chose in the list; the editor stays
}

TEST_F(GridFixture, APickListClosedFromOutsideTheProgramLeavesTheCell) {
  grid->SetOptions(grid->Options() | TGridOptions{goEditing});
  grid->style = esPickList;
  grid->pickList = {u"alpha", u"beta"};
  grid->SetFocus();
  user.PressKey(VK_F2);
  auto* editor = dynamic_cast<TInplaceEditList*>(grid->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  for (bool click : {true, false}) {
    user.PressKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(editor->ListVisible());
    if (click) user.ClickOutside();
    else user.SwitchToOtherProgram();
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_TRUE(grid->edits.empty());
    EXPECT_TRUE(grid->EditorMode());
  }
}

TEST_F(GridFixture, WithoutDefaultDrawingTheClientIsErasedInColorOnly) {
  grid->SetDefaultDrawing(false);
  grid->SetColor(clYellow);
  grid->SetCells(1, 1, u"W");
  auto picture = user.Grab(grid);
  EXPECT_EQ(PixelOf(picture.get(), 5, 5), clYellow);  // a fixed cell, not filled in FixedColor
  EXPECT_EQ(PixelOf(picture.get(), 64, 5), clBlack);  // the fixed line is drawn
  grid->SetDefaultDrawing(true);
  picture = user.Grab(grid);
  EXPECT_EQ(PixelOf(picture.get(), 0, 5), ColorToRGB(clBtnHighlight));  // the fixed cell's bevel
  EXPECT_EQ(PixelOf(picture.get(), 10, 10), ColorToRGB(clBtnFace));
}

// --- scroll bars ---------------------------------------------------------------------------------

TEST_F(GridFixture, ScrollBarsShowOnlyForWhatDoesNotFitAndTakeTheirRoomFromTheClient) {
  // The grid is 400 x 200; cells are 64 x 24 with a line after each (65 x 25 a cell).
  struct Case {
    int cols, rows;
    TScrollStyle style;
    bool vertical, horizontal;
  };
  const Case cases[] = {
      {5, 5, ssBoth, false, false},    {5, 30, ssBoth, true, false},     {20, 5, ssBoth, false, true},
      {20, 30, ssBoth, true, true},    {20, 30, ssVertical, true, false}, {20, 30, ssHorizontal, false, true},
      {20, 30, ssNone, false, false},
      {20, 8, ssBoth, true, true},  // 8 rows fill 200 pixels, not the 184 the horizontal bar leaves
      {6, 30, ssBoth, true, true},  // 6 columns fill 400 pixels, not the 384 the vertical bar leaves
  };
  for (const Case& k : cases) {
    grid->SetScrollBars(k.style);
    grid->SetColCount(k.cols);
    grid->SetRowCount(k.rows);
    const std::string what = std::to_string(k.cols) + "x" + std::to_string(k.rows) + " style " + std::to_string(k.style);
    EXPECT_EQ(BarShown(grid, true), k.vertical) << what;
    EXPECT_EQ(BarShown(grid, false), k.horizontal) << what;
    EXPECT_EQ(grid->ClientWidth(), k.vertical ? 384 : 400) << what;
    EXPECT_EQ(grid->ClientHeight(), k.horizontal ? 184 : 200) << what;
    EXPECT_EQ(grid->VisibleRowCount(), std::min(k.rows - 1, k.horizontal ? 6 : 7)) << what;  // (184 - 25) / 25
  }
}

TEST_F(GridFixture, AGridScrolledAwayKeepsItsBarUntilTheUserScrollsBack) {
  grid->SetRowCount(12);
  grid->SetTopRow(5);
  grid->SetBounds(10, 10, 400, 380);  // now every row would fit from the first one
  ASSERT_TRUE(BarShown(grid, true));
  for (int i = 0; i < 4; ++i) {
    const TPoint up = PartCentre(grid, true, TScrollPart::LineBack);
    user.Click(grid, up.X, up.Y);
  }
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_FALSE(BarShown(grid, true));
  EXPECT_EQ(grid->ClientWidth(), 400);
}

TEST_F(GridFixture, ArrowsStepALineRepeatedWhileHeldOverThemAndLeaveTheCurrentCell) {
  grid->SetRowCount(30);
  std::vector<int> tops;
  grid->OnTopLeftChanged = [&](TObject*) { tops.push_back(grid->TopRow()); };
  int presses = 0;
  grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
  const TPoint down = PartCentre(grid, true, TScrollPart::LineForward);
  user.Press(grid, down.X, down.Y);
  EXPECT_EQ(grid->TopRow(), 2);  // the press steps at once
  user.Advance(kScrollRepeatDelay - 1);
  EXPECT_EQ(grid->TopRow(), 2);
  user.Advance(1);
  EXPECT_EQ(grid->TopRow(), 3);
  user.Advance(kScrollRepeatInterval);
  EXPECT_EQ(grid->TopRow(), 4);
  const TPoint off = PartCentre(grid, true, TScrollPart::Thumb);
  user.MoveTo(grid, off.X, off.Y);  // held, but no longer over the arrow: no steps
  user.Advance(5 * kScrollRepeatInterval);
  EXPECT_EQ(grid->TopRow(), 4);
  user.MoveTo(grid, down.X, down.Y);
  user.Advance(kScrollRepeatInterval);
  EXPECT_EQ(grid->TopRow(), 5);
  user.Release(grid, down.X, down.Y);
  user.Advance(1000);
  EXPECT_EQ(grid->TopRow(), 5);
  EXPECT_EQ(tops, (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(ScrollBarOf(grid, true)->Info().Position, 4);
  EXPECT_EQ(grid->Row(), 1);  // a scroll bar scrolls; the current cell stays
  EXPECT_EQ(presses, 0);      // the grid's own mouse handling never saw the bar's presses
  const TPoint up = PartCentre(grid, true, TScrollPart::LineBack);
  user.Click(grid, up.X, up.Y);
  EXPECT_EQ(grid->TopRow(), 4);
  user.FailTimers(true);  // no timer to be had: a held arrow still steps once
  user.Press(grid, up.X, up.Y);
  user.Advance(1000);
  user.Release(grid, up.X, up.Y);
  user.FailTimers(false);
  EXPECT_EQ(grid->TopRow(), 3);
}

TEST_F(GridFixture, TheTrackPagesTowardsThePointerUntilTheThumbReachesItAndLooksHeld) {
  grid->SetRowCount(100);
  const TRect track = PartRect(grid, true, TScrollPart::PageForward);
  const TPoint at = Point((track.Left + track.Right) / 2, track.Bottom - 30);
  user.Press(grid, at.X, at.Y);
  EXPECT_EQ(grid->TopRow(), 1 + grid->VisibleRowCount());
  auto picture = user.Grab(grid);
  EXPECT_EQ(PixelOf(picture.get(), at.X - 1, at.Y), ColorToRGB(clBtnShadow));  // the dark checkerboard
  EXPECT_EQ(PixelOf(picture.get(), at.X, at.Y), ColorToRGB(cl3DDkShadow));
  user.Advance(5000);
  const int stopped = grid->TopRow();
  EXPECT_GT(stopped, 8);
  EXPECT_LT(stopped, 94);  // not to the end: only as far as the pointer
  EXPECT_EQ(ScrollBarOf(grid, true)->Layout().PartAt(Point(8, at.Y)), TScrollPart::Thumb);
  user.Release(grid, at.X, at.Y);
  const TPoint back = PartCentre(grid, true, TScrollPart::PageBack);
  user.Click(grid, back.X, back.Y);
  EXPECT_EQ(grid->TopRow(), stopped - grid->VisibleRowCount());
}

TEST_F(GridFixture, DraggingTheThumbScrollsAtTheReleaseOrWhileItMovesUnderThumbTracking) {
  grid->SetColCount(40);
  grid->SetRowCount(1001);
  for (bool tracking : {false, true}) {
    grid->SetTopRow(1);
    grid->SetOptions(tracking ? grid->Options() | TGridOptions{goThumbTracking}
                              : grid->Options() - TGridOptions{goThumbTracking});
    const TPoint thumb = PartCentre(grid, true, TScrollPart::Thumb);
    const TPoint middle = qelta::testing::TrackCentre(grid, true);
    user.Press(grid, thumb.X, thumb.Y);
    user.MoveTo(grid, middle.X, (thumb.Y + middle.Y) / 2);
    user.MoveTo(grid, middle.X, middle.Y);
    EXPECT_EQ(grid->TopRow() > 400, tracking) << tracking;  // without tracking only the thumb moved so far
    EXPECT_EQ(ScrollBarOf(grid, true)->Layout().PartAt(Point(8, middle.Y)), TScrollPart::Thumb);
    user.Release(grid, middle.X, middle.Y);
    EXPECT_NEAR(grid->TopRow(), 500, 6) << tracking;  // a pixel of the track is six rows
  }
  const TPoint thumb = PartCentre(grid, false, TScrollPart::Thumb);
  const TRect track = PartRect(grid, false, TScrollPart::PageForward);
  user.Drag(grid, thumb.X, thumb.Y, track.Right + 50, thumb.Y);  // beyond the end: the last column shows
  EXPECT_EQ(grid->LeftCol(), 36);  // columns 36..39 take 65..324 of the 384 pixels; one more would not fit
  EXPECT_EQ(ScrollBarOf(grid, false)->Info().Position, ScrollBarOf(grid, false)->Info().Max);
}

TEST_F(GridFixture, TheEditorOfACellUnderTheScrollBarStopsAtTheClientEdge) {
  grid->SetRowCount(30);
  grid->SetColWidths(4, 400);  // wider than the client: shown from x 65, past the vertical bar at 384
  grid->SetOptions(grid->Options() | TGridOptions{goEditing});
  grid->SetFocus();
  grid->MoveColRow(4, 1, true, true);
  user.PressKey(VK_F2);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), Rect(65, 25, 384, 49));
  const TPoint arrow = PartCentre(grid, true, TScrollPart::LineBack);
  auto picture = user.Grab(grid);
  EXPECT_EQ(PixelOf(picture.get(), arrow.X, arrow.Y - 1), ColorToRGB(clBtnText));  // the arrow glyph shows
}
