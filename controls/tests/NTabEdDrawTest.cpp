// TNTabEd: number texts, the cells drawn by state, scale and marks, the headings and the corner,
// and what a user types into the in-place editor.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Assertions.h"
#include "NTabEdTesting.h"
#include "Qelta_ntabed.h"

using namespace qelta;
using namespace qelta::testing;

// [SECTION] unit routines

TEST(FormatWithPrecision, ChoosesFixedOrExponentFormByTheDecimalsRange) {
  struct Case {
    double value;
    int decimals;
    const char16_t* text;
  };
  const Case cases[] = {
      {2345678.5, 3, u" 2.3E+06"},   {99999.999, 3, u"99999.999"}, {100000, 3, u" 1.0E+05"},
      {0.05, 1, u" 5.0E-02"},        {0.1, 1, u"0.1"},             {9999999.9, 1, u"9999999.9"},
      {0.000001, 6, u"0.000001"},   {0.0000001, 6, u" 1.0E-07"},   {999999999, 0, u"999999999"},
      {-12.5, 2, u"-12.50"},        {1.5, -1, u" 1.5E+00"},       {1.5, 9, u" 1.5E+00"},
      {1.5, 10, u" 1.5E+00"},        {0.5, 8, u"0.50000000"},      {-0.05, 1, u"-5.0E-02"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatWithPrecision(1, c.decimals, c.value), c.text) << c.value;
  for (int d = 0; d <= 8; ++d) EXPECT_EQ(FormatWithPrecision(1, d, 0), d == 0 ? u"0" : u"0." + String(d, u'0'));
  for (int d : {-1, 9, 10}) EXPECT_EQ(FormatWithPrecision(1, d, 0), u" 0.0E+00") << d;
  EXPECT_EQ(FormatWithPrecision(8, 2, 1.5), u"    1.50");  // right-aligned in the width
  EXPECT_EQ(FormatWithPrecision(4, -1, 1.5), u" 1.500E+00");  // four more digits in a wider field
}

TEST(ShrinkRect, MovesEachSideInOnlyWhenTheRectIsLargeEnough) {
  struct Case {
    TRect in;
    int margin;
    TRect out;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, 1, {1, 1, 9, 9}},
      {{0, 0, 10, 1}, 2, {2, 0, 8, 1}},   // too low to shrink vertically: 1 is not above 2 div 2
      {{0, 0, 1, 10}, 1, {1, 1, 0, 9}},   // 1 is above 1 div 2
      {{5, 5, 5, 5}, 3, {5, 5, 5, 5}},
  };
  for (const Case& c : cases) {
    TRect r = c.in;
    ShrinkRect(r, c.margin);
    EXPECT_EQ(r, c.out);
  }
}

// [SECTION] drawing

namespace {

struct Drawn : EditorOnForm {
  void SetUp() override {
    EditorOnForm::SetUp();
    ed->Redimension(3, 5);
    ed->SetColAttVis(true);
    ed->Data->SetMScaleType(2, stNominal);
  }
  /// Ink of a data cell as drawn, against the expectation of `text` in the style and colour.
  void ExpectCell(int col, int row, const String& text, TColor color = 0x002000, TFontStyles style = {},
                  TColor back = clWindow) {
    auto picture = user.Grab(ed);
    const TRect area = DataRect(col, row);
    EXPECT_EQ(InkBox(*picture, area, back), ExpectedInk(ed->Font(), style, color, back, area, 2, 1, text))
        << StringToUtf8(text);
    if (!text.empty()) {
      EXPECT_TRUE(HasColor(*picture, area, color)) << StringToUtf8(text);
    }
  }
  /// A heading's area: the fixed cell less its 1-pixel border and 2 pixels at the right.
  TRect HeadingArea(int ACol, int ARow) const {
    TRect r = ed->CellRect(ACol, ARow);
    ShrinkRect(r, 1);
    r.Right -= 2;
    return r;
  }
  void ExpectHeading(int ACol, int ARow, int dy, const String& text, TColor color, TFontStyles style) {
    auto picture = user.Grab(ed);
    const TRect area = HeadingArea(ACol, ARow);
    EXPECT_EQ(InkBox(*picture, area, clBtnFace),
              ExpectedInk(ed->Font(), style, color, clBtnFace, area, 2, dy, text))
        << StringToUtf8(text);
    EXPECT_TRUE(HasColor(*picture, area, color)) << StringToUtf8(text);
  }
};

}  // namespace

TEST_F(Drawn, CellsShowTheirStateLabelOrNumber) {
  ed->Data->SetNominalID(2, 3, "red");
  ed->Data->SetMScaleType(3, stOrdinal);
  ed->SetElem(1, 2, 1.25);
  ed->SetCellState(1, 3, csEmpty);
  ed->SetCellState(1, 4, csNotANumber);
  ed->SetElem(2, 2, 3);
  ed->SetElem(2, 3, 30);
  ed->SetElem(3, 3, 30);
  ed->SetElem(2, 4, 2);  // a label slot without text
  ExpectCell(1, 2, u"1.250");
  ExpectCell(1, 3, u"");
  ExpectCell(1, 4, u"-nan-");
  ExpectCell(2, 2, u"red");
  ExpectCell(2, 3, u"Nominal:30");
  ExpectCell(3, 3, u"Ordinal:30");
  ExpectCell(2, 4, u"Nominal:2");
  ed->SetDecPlaces(1, 0);
  ExpectCell(1, 2, u"1");
}

TEST_F(Drawn, MarksColourTheTextAndMakeItBold) {
  ed->SetElem(1, 2, 1);
  ed->SetElem(1, 3, 2);
  ed->SetElem(1, 4, 11);
  ed->SetElemMarkedA(1, 2, true);
  ed->SetElemMarkedB(1, 3, true);
  ed->SetCellState(1, 4, csMarkA | csMarkB);
  ExpectCell(1, 2, u"1.000", 0x0000FF, {fsBold});
  ExpectCell(1, 3, u"2.000", 0xFF0000, {fsBold});
  ExpectCell(1, 4, u"11.000", 0xCC00BB, {fsBold});
  ed->SetBoldMarks(false);
  ed->SetColorMarkedBoth(clTeal);
  ExpectCell(1, 4, u"11.000", clTeal);
}

TEST_F(Drawn, SelectedCellsUseTheRangeColours) {
  ed->SetElem(3, 2, 14);
  ed->SetElem(1, 2, 1);
  ed->SetSelection({ed->ColOffset() + 2, ed->RowOffset() + 2, ed->ColOffset() + 3, ed->RowOffset() + 3});
  ExpectCell(3, 2, u"14.000", 0x80552C, {}, 0xF8E8E0);
  ExpectCell(2, 3, u"Nominal:0", 0x80552C, {}, 0xF8E8E0);
  ExpectCell(1, 2, u"1.000");
}

TEST_F(Drawn, CurrentHeadingsAreBoldInTheSelectedColourAndTheCornerShowsTheCell) {
  ed->SetColName(2, u"Mass");
  ed->SetColName(1, u"Time");
  ed->SetRowName(5, u"Run");
  ed->SetColAttrib(2, 17);
  ed->SetCol(ed->ColOffset() + 2);
  ed->SetRow(ed->RowOffset() + 5);
  ExpectHeading(ed->ColOffset() + 2, 0, 1, u"Mass", 0x404040, {fsBold});
  ExpectHeading(ed->ColOffset() + 1, 0, 1, u"Time", 0x002000, {});
  ExpectHeading(ed->ColOffset() + 2, 1, 1, u"17", 0x404040, {fsBold});
  ExpectHeading(0, ed->RowOffset() + 5, 0, u"Run", 0x404040, {fsBold});
  ExpectHeading(1, ed->RowOffset() + 5, 1, u"0", 0x404040, {fsBold});
  ExpectHeading(0, 1, 1, u"Attribute", 0x002000, {});
  ExpectHeading(1, 0, 1, u"Attrib", 0x002000, {});
  auto picture = user.Grab(ed);
  TRect corner = ed->CellRect(0, 0);
  ShrinkRect(corner, 1);  // inside the grid's bevel
  EXPECT_EQ(InkBox(*picture, corner, clWindow),
            ExpectedInk(ed->Font(), {}, 0x002000, clWindow, corner, 2, 1, u"2:5"));
  ed->SetBoldSelHeads(false);
  ed->SetColorSelected(clMaroon);
  ExpectHeading(ed->ColOffset() + 2, 0, 1, u"Mass", clMaroon, {});
}

TEST_F(Drawn, OnBeforeRenderCellChangesTextColoursAndStyle) {
  std::vector<std::string> seen;
  ed->OnBeforeRenderCell = [&](TObject* sender, int col, int row, String& text, TColor& fg, TColor& bg,
                               TFontStyles& style) {
    EXPECT_EQ(sender, ed);
    if (col != 3 || row != 4) return;
    seen.push_back(StringToUtf8(text));
    text = u"W!";
    fg = clRed;
    bg = clYellow;
    style = {fsBold};
  };
  ed->SetElem(3, 4, 2);
  ExpectCell(3, 4, u"W!", clRed, {fsBold}, clYellow);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "2.000");
}

// [SECTION] editing

namespace {

struct Typed : EditorOnForm {
  void SetUp() override {
    EditorOnForm::SetUp();
    ed->Data->SetMScaleType(2, stNominal);
    ed->Data->SetNominalID(2, 1, "red");
    ed->Data->SetNominalID(2, 3, "Blue");
    ed->Data->SetNominalID(2, 4, "green");
    ed->SetElem(1, 2, 4.5);
    ed->SetElem(2, 2, 3);
    AllowEditing();
    ed->SetFocus();
  }
};

}  // namespace

TEST_F(Typed, TextsReachTheTableByTheColumnsScale) {
  // Regression: a digit string beyond 32 bits in a nominal column raised out of the edit, and an
  // interval column took "inf", "nan" and "1e400" as values.
  struct Case {
    int col;
    const char16_t* text;
    double value;
    uint8_t state;
  };
  const Case cases[] = {
      {1, u"1,5", 1.5, 0},
      {1, u" 2.5 ", 2.5, 0},
      {1, u"-3e2", -300, 0},
      {1, u"abc", 4.5, csNotANumber},
      {1, u"1e400", 4.5, csNotANumber},  // beyond the doubles
      {1, u"inf", 4.5, csNotANumber},
      {1, u"nan", 4.5, csNotANumber},
      {1, u"$10", 4.5, csNotANumber},
      {1, u"0x10", 4.5, csNotANumber},
      {2, u"GREEN", 4, 0},
      {2, u"blue", 3, 0},
      {2, u"7", 7, 0},
      {2, u"-2", -2, 0},
      {2, u"x7", 3, csNotANumber},
      {2, u"99999999999", 3, csNotANumber},  // beyond 32 bits
      {2, u"1.5", 3, csNotANumber},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.text));
    ed->SetElem(1, 2, 4.5);
    ed->SetElem(2, 2, 3);
    ed->SetCellState(c.col, 2, 0);
    TypeInto(c.col, 2, c.text);
    EXPECT_EQ(ed->GetElem(c.col, 2), c.value);
    EXPECT_EQ(ed->GetCellState(c.col, 2), c.state);
  }
}

TEST_F(Typed, AnEntryClearsTheMarksAndFiresOnChangeAsOftenAsTheTable) {
  ed->SetCellState(1, 3, csMarkA | csNotANumber);
  log.Hook(*ed);
  TypeInto(1, 3, u"8");
  EXPECT_EQ(ed->GetCellState(1, 3), 0);
  EXPECT_EQ(ed->GetElem(1, 3), 8.0);
  EXPECT_EQ(log.Take(), "Change, Change");
}

TEST_F(Typed, AValidEntryShowsTheNumberAndABadOneShowsNan) {
  // Regression: the value was written (its hook repainting and telling the host at once) before
  // the state, so a valid entry still showed "-nan-" (also to the host's OnChange) and a refused one
  // the old number.
  ed->SetCellState(1, 3, csNotANumber);
  std::vector<int> statesSeen;  // by the host, when the table tells of the new value
  ed->OnChange = [&](TObject*) { statesSeen.push_back(ed->GetCellState(1, 3)); };
  TypeInto(1, 3, u"6");
  EXPECT_EQ(statesSeen, (std::vector<int>{0, 0}));
  auto picture = user.Grab(ed);
  const TRect area = DataRect(1, 3);
  EXPECT_EQ(InkBox(*picture, area, clWindow), ExpectedInk(ed->Font(), {}, 0x002000, clWindow, area, 2, 1, u"6.000"));
  TypeInto(1, 2, u"oops");
  picture = user.Grab(ed);
  const TRect bad = DataRect(1, 2);
  EXPECT_EQ(InkBox(*picture, bad, clWindow), ExpectedInk(ed->Font(), {}, 0x002000, clWindow, bad, 2, 1, u"-nan-"));
}

TEST_F(Typed, VisitingACellWithTheEditorCommitsNothing) {
  // Regression: leaving the editor committed its text, so an empty, "-nan-" or marked cell became a
  // plain 0.000 when the user merely passed through it.
  const uint8_t states[] = {csEmpty, csNotANumber, csMarkA, csMarkB | csEmpty};
  for (uint8_t s : states) {
    ed->SetCellState(3, 2, s);
    ClickData(3, 2);
    user.PressKey(VK_F2);
    ASSERT_TRUE(ed->EditorMode());
    user.PressKey(VK_DOWN);  // to another cell
    ClickData(3, 2);
    user.PressKey(VK_F2);
    user.PressKey(VK_RETURN);
    ClickData(3, 2);
    user.PressKey(VK_F2);
    user.TypeText(u"5");
    user.PressKey(VK_ESCAPE);
    EXPECT_EQ(ed->GetCellState(3, 2), s);
    EXPECT_EQ(ed->GetElem(3, 2), 0.0);
    AllowEditing();
  }
}

TEST_F(Typed, EnterAdvancesDownOrRight) {
  TypeInto(1, 1, u"1");
  EXPECT_EQ(ed->Col() - ed->ColOffset(), 1);
  EXPECT_EQ(ed->Row() - ed->RowOffset(), 2);
  ed->SetAutoAdvanceDir(orHoriz);
  TypeInto(1, 3, u"2");
  EXPECT_EQ(ed->Col() - ed->ColOffset(), 2);
  EXPECT_EQ(ed->Row() - ed->RowOffset(), 3);
  ed->SetAutoAdvance(false);
  TypeInto(1, 4, u"3");
  EXPECT_EQ(ed->Col() - ed->ColOffset(), 1);
  EXPECT_EQ(ed->Row() - ed->RowOffset(), 4);
  EXPECT_EQ(ed->GetElem(1, 4), 3.0);
}

TEST_F(Typed, ASwallowedKeyDoesNotMoveTheCurrentCell) {
  // Regression: the cell advanced whenever the key was #0 after the grid's handling, so a host
  // OnKeyPress that swallowed a letter moved the current cell.
  ed->OnKeyPress = [](TObject*, Char& key) {
    if (key == u'q') key = 0;
  };
  ClickData(2, 2);
  user.TypeText(u"q");
  EXPECT_EQ(ed->Row() - ed->RowOffset(), 2);
  EXPECT_EQ(ed->Col() - ed->ColOffset(), 2);
}

TEST_F(Typed, EscEndsEditingUntilTheHostAllowsItAgain) {
  ClickData(1, 2);
  user.TypeText(u"9");
  ASSERT_TRUE(ed->EditorMode());
  user.PressKey(VK_ESCAPE);
  EXPECT_FALSE(ed->EditorMode());
  EXPECT_FALSE(ed->Options().Contains(goEditing));
  EXPECT_EQ(ed->GetElem(1, 2), 4.5);
  user.TypeText(u"7");
  EXPECT_FALSE(ed->EditorMode());
}

TEST_F(Typed, ReadOnlyEndsEditing) {
  ClickData(1, 2);
  user.TypeText(u"2");
  ed->SetDataReadOnly(true);
  EXPECT_FALSE(ed->EditorMode());
  EXPECT_FALSE(ed->Options().Contains(goEditing));
  EXPECT_EQ(ed->GetElem(1, 2), 2.0);  // what was typed is kept
  ed->SetDataReadOnly(false);
  EXPECT_TRUE(ed->Options().Contains(goEditing));
}

TEST_F(Typed, TheEditorStartsWithTheLabelOrNumberWhateverTheState) {
  std::vector<std::string> asked;
  ed->OnGetEditText = [&](TObject*, int ACol, int ARow, String& value) {
    asked.push_back(std::to_string(ACol) + "," + std::to_string(ARow) + "=" + StringToUtf8(value));
  };
  ed->SetCellState(1, 2, csNotANumber);
  ClickData(1, 2);
  user.PressKey(VK_F2);
  EXPECT_EQ(ed->InplaceEditor()->Text(), u"4.500");
  user.PressKey(VK_ESCAPE);
  AllowEditing();
  ClickData(2, 2);
  user.PressKey(VK_F2);
  EXPECT_EQ(ed->InplaceEditor()->Text(), u"Blue");
  EXPECT_EQ(asked, (std::vector<std::string>{"2,2=4.500", "3,2=Blue"}));
}

TEST_F(Typed, OnSetEditTextFollowsTheCommit) {
  std::vector<std::string> told;
  ed->OnSetEditText = [&](TObject*, int ACol, int ARow, const String& value) {
    told.push_back(std::to_string(ACol) + "," + std::to_string(ARow) + "=" + StringToUtf8(value) + " " +
                   std::to_string(ed->GetElem(ACol - 1, ARow)));
  };
  TypeInto(1, 3, u"12");
  EXPECT_EQ(told, (std::vector<std::string>{"2,3=12 12.000000"}));
}

TEST_F(Typed, ThePickListHoldsTheLabelsInOrder) {
  ed->SetDropdownCount(5);
  ClickData(2, 2);
  user.PressKey(VK_F2);
  auto* editor = dynamic_cast<TInplaceEditList*>(ed->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->EditStyle(), esPickList);
  EXPECT_EQ(editor->DropDownRows(), 5);
  user.PressKey(VK_DOWN, {ssAlt});
  ASSERT_TRUE(editor->ListVisible());
  ASSERT_EQ(editor->PickList()->Count(), 3);
  EXPECT_EQ(editor->PickList()->Strings(0), u"red");
  EXPECT_EQ(editor->PickList()->Strings(1), u"Blue");
  EXPECT_EQ(editor->PickList()->Strings(2), u"green");
  user.ClickPopupEntry(u"green");
  EXPECT_EQ(ed->GetElem(2, 2), 4.0);
  user.PressKey(VK_ESCAPE);
  AllowEditing();
  ClickData(1, 2);
  user.PressKey(VK_F2);
  EXPECT_EQ(dynamic_cast<TInplaceEditList*>(ed->InplaceEditor())->EditStyle(), esSimple);
  ed->SetDropdownCount(9);
  EXPECT_EQ(editor->DropDownRows(), 9);
}

TEST_F(Typed, TheBlankColumnOfAnEmptyTableIsNeverEdited) {
  ed->Redimension(0, 2);
  ed->SetCol(ed->ColOffset() + 1);
  ed->SetRow(ed->RowOffset() + 1);
  user.PressKey(VK_F2);
  user.TypeText(u"5");
  EXPECT_FALSE(ed->EditorMode());
  EXPECT_EQ(ed->NrOfColumns(), 0);
}

// [SECTION] keys, wheel and font

TEST_F(Drawn, TheWheelAndTheKeysMoveTheCellAndTheCornerFollows) {
  ed->SetFocus();
  ed->SetCol(ed->ColOffset() + 3);
  ed->SetRow(ed->RowOffset() + 1);
  const TRect cell = DataRect(3, 1);
  user.Wheel(ed, cell.Left + 5, cell.Top + 5, -WHEEL_DELTA);
  user.PressKey(VK_DOWN);
  EXPECT_EQ(ed->Row() - ed->RowOffset(), 3);
  auto picture = user.Grab(ed);
  TRect corner = ed->CellRect(0, 0);
  ShrinkRect(corner, 1);
  EXPECT_EQ(InkBox(*picture, corner, clWindow),
            ExpectedInk(ed->Font(), {}, 0x002000, clWindow, corner, 2, 1, u"3:3"));
  EXPECT_NE(ed->Perform(WM_GETDLGCODE) & DLGC_WANTTAB, 0);  // Tab reaches the grid
}

TEST_F(Drawn, AChangedFontIsTakenByTheCanvasAndTheRowFits) {
  const int before = ed->AutoRowHeight(1, 0);
  ed->Font()->SetSize(ed->Font()->Size() * 2);
  EXPECT_EQ(ed->Canvas()->Font()->Size(), ed->Font()->Size());
  EXPECT_GT(ed->AutoRowHeight(1, 0), before);
}

TEST_F(Typed, AStructureChangeCommitsTheOpenEditorToItsOwnCell) {
  // Regression: the editor stayed open over its grid cell while the rows moved under it, so its text
  // went into whatever row came to stand there.
  ClickData(1, 2);
  user.TypeText(u"5");
  ASSERT_TRUE(ed->EditorMode());
  ed->InsertRow(1);
  EXPECT_FALSE(ed->EditorMode());
  EXPECT_EQ(ed->GetElem(1, 3), 5.0);  // the row it was typed for, one further down now
  EXPECT_EQ(ed->GetElem(1, 2), 0.0);
  user.PressKey(VK_RETURN);
  EXPECT_EQ(ed->GetElem(1, 2), 0.0);
}

TEST_F(Typed, ValuesBeyondEveryRangeAreShownAndEditedWithoutHarm) {
  ed->SetElem(1, 3, std::nan(""));
  ed->SetElem(2, 3, 1e300);
  ed->SetElem(2, 4, -std::numeric_limits<double>::infinity());
  ed->AutoColWidth(1, true, 0);
  ed->AutoColWidth(2, true, 0);
  user.Grab(ed);
  ClickData(2, 3);
  user.PressKey(VK_F2);
  EXPECT_EQ(ed->InplaceEditor()->Text(), u"9223372036854775807");  // the nearest integer the cell can name
  user.PressKey(VK_ESCAPE);
  EXPECT_EQ(ed->GetElem(2, 3), 1e300);
}
