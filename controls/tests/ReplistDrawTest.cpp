// TReportListView painting: headers and sort arrows, the look of data cells by their state, check
// marks, masked and shortened texts, the empty message and the inter-row marker.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "GoldenImage.h"
#include "NTabEdTesting.h"
#include "Qelta_replist.h"
#include "ReplistViewTesting.h"
#include "ScrollBarTesting.h"

using namespace qelta;
using namespace qelta::testing;

namespace {

struct ListDrawn : ViewOnForm {
  std::unique_ptr<TBitmap> picture;
  void Grab() {
    view->Invalidate();
    picture = user.Grab(view);
  }
  TColor At(int x, int y) const { return picture->Canvas()->Pixels(x, y) & 0xFFFFFF; }
  TColor AtCell(int c, int r, int dx, int dy) const {
    const TRect cell = CellOf(c, r);
    return At(cell.Left + dx, cell.Top + dy);
  }
  /// Width of a text in the view's font.
  int TextWidth(const String& s) const {
    TBitmap b(1, 1);
    b.Canvas()->Font()->Assign(view->Font());
    return b.Canvas()->TextWidth(s);
  }
};

constexpr TColor kShaded = 0xF0EFE8, kNormal = 0xFFFFFF;

}  // namespace

TEST_F(ListDrawn, RowsAreShadedInGroupsOfThePattern) {
  view->SetNrRows(9);
  struct Case {
    int pattern;
    const char* shaded;  // rows 1..9
  };
  const Case cases[] = {{1, "101010101"}, {2, "110011001"}, {3, "111000111"}, {0, "000000000"}};
  for (const Case& c : cases) {
    view->SetRowColPattern(c.pattern);
    Grab();
    std::string got;
    for (int r = 1; r <= 9; ++r)
      got += AtCell(3, r, 50, 20) == kShaded ? '1' : AtCell(3, r, 50, 20) == kNormal ? '0' : '?';
    EXPECT_EQ(got, c.shaded) << c.pattern;
  }
}

TEST_F(ListDrawn, HighlightWinsOverSelectionAndDisabledRowsShowNeither) {
  view->SetRowSelect(2, true);
  view->SetRowSelect(3, true);
  view->SetHighLightRow(3);
  view->SetRowSelect(4, true);
  view->SetRowEnabled(4, false);
  view->SetHighLightColumn(2);
  view->SetColSelect(1, true);
  Grab();
  EXPECT_EQ(AtCell(3, 2, 50, 20), view->ColorSelectedRow());
  EXPECT_EQ(AtCell(3, 3, 50, 20), view->ColorHigh());
  EXPECT_EQ(AtCell(3, 4, 50, 20), view->ColorDisabledBkgd());
  EXPECT_EQ(AtCell(2, 4, 50, 20), view->ColorDisabledBkgd());  // the highlighted column neither
  EXPECT_EQ(AtCell(2, 5, 50, 20), view->ColorHigh());
  EXPECT_EQ(AtCell(1, 2, 50, 20), view->ColorSelectedBoth());
  EXPECT_EQ(AtCell(1, 5, 50, 20), view->ColorSelectedCol());
  EXPECT_TRUE(HasColor(*picture, CellOf(1, 4), view->ColorDisabledText()));
}

TEST_F(ListDrawn, CheckBoxesShowTheirTickAndRadioButtonsTheirDot) {
  view->SetCheckedCol(4, true);
  view->SetElemChecked(4, 1, true);
  view->SetColCheckMode(2, cmRadio);
  view->SetElemChecked(2, 3, true);
  Grab();
  const TColor shadow = ColorToRGB(clBtnShadow), text = view->ColorText();
  EXPECT_EQ(AtCell(4, 1, 4, 4), shadow);  // the box's corner
  EXPECT_EQ(AtCell(4, 1, 14, 14), shadow);
  EXPECT_EQ(AtCell(4, 1, 6, 8), text);   // the tick's first stroke
  EXPECT_EQ(AtCell(4, 1, 12, 8), text);  // and its second
  EXPECT_NE(AtCell(4, 2, 6, 8), text);   // unchecked: the box only
  EXPECT_EQ(AtCell(4, 2, 4, 4), shadow);
  EXPECT_EQ(AtCell(2, 3, 9, 9), text);  // the dot
  EXPECT_EQ(AtCell(2, 3, 8, 7), text);
  EXPECT_NE(AtCell(2, 1, 9, 9), text);
  view->SetCheckMarksReadOnly(true);
  Grab();
  EXPECT_NE(AtCell(4, 2, 4, 4), shadow);  // no frame, the tick stays
  EXPECT_EQ(AtCell(4, 1, 6, 8), text);
}

TEST_F(ListDrawn, EmptyCheckCellsShowABoxOnlyWithShowEmptyCheckBoxes) {
  view->SetCheckedCol(4, true);
  view->SetElemChecked(4, 2, true);  // "X" without text
  view->SetElemChecked(4, 6, false);
  view->SetElem(4, 6, "");
  Grab();
  EXPECT_EQ(AtCell(4, 2, 6, 8), view->ColorText());
  view->SetShowEmptyCheckBoxes(false);
  Grab();
  EXPECT_NE(AtCell(4, 2, 6, 8), view->ColorText());
  EXPECT_NE(AtCell(4, 2, 4, 4), ColorToRGB(clBtnShadow));
}

TEST_F(ListDrawn, PasswordCheckColumnsKeepTheirCheckState) {
  // A password check column masked the text before reading the check state from its first character,
  // so every cell showed as checked.
  view->SetCheckedCol(4, true);
  view->SetElemChecked(4, 1, true);
  view->SetColumnIsPwd(4, true);
  Grab();
  EXPECT_EQ(AtCell(4, 1, 6, 8), view->ColorText());
  EXPECT_NE(AtCell(4, 3, 6, 8), view->ColorText());
  const TRect cell = CellOf(4, 6);  // an empty cell shows the mask too
  const TRect text = Rect(cell.Left + 20, cell.Top + 2, cell.Right - 5, cell.Bottom);
  EXPECT_EQ(InkBox(*picture, text, kNormal),
            ExpectedInk(view->Font(), {}, view->ColorText(), kNormal, text, 0, -1, u"******"));
}

TEST_F(ListDrawn, PasswordColumnsShowStarsWhateverTheText) {
  view->SetColumnIsPwd(2, true);
  Grab();
  for (int r : {1, 2}) {
    const TRect cell = CellOf(2, r);
    const TRect text = Rect(cell.Left + 4, cell.Top + 2, cell.Right - 5, cell.Bottom);
    const TColor back = r == 1 ? kShaded : kNormal;
    EXPECT_EQ(InkBox(*picture, text, back),
              ExpectedInk(view->Font(), {}, view->ColorText(), back, text, 0, -1, u"******"));
  }
}

TEST_F(ListDrawn, LongTextsAreShortenedWithDotsAtTheEndOrBehindTheFirstCharacter) {
  view->SetColWidths(2, 60);
  view->SetElem(2, 1, "Mountain spring water");
  view->SetColAlignment(3, taRightJustify);
  view->SetColWidths(3, 60);
  view->SetElem(3, 1, "Xabcdefghijklmnopqrstuvw");
  Grab();
  const TRect left = CellOf(2, 1), right = CellOf(3, 1);
  const TRect lt = Rect(left.Left + 4, left.Top + 2, left.Right - 5, left.Bottom);
  const TRect rt = Rect(right.Left + 4, right.Top + 2, right.Right - 5, right.Bottom);
  // n = round(length * (60 - 9) / width - 4) of the text without its first character
  auto kept = [&](const String& s) {
    return std::max(1, int(std::nearbyint(double(s.size()) * 51 / TextWidth(s.substr(1)) - 4)));
  };
  const String l = u"Mountain spring water", r = u"Xabcdefghijklmnopqrstuvw";
  const String ls = l.substr(0, size_t(kept(l))) + u"...";
  const String rs = u"X..." + r.substr(r.size() - size_t(kept(r)));
  EXPECT_EQ(InkBox(*picture, lt, kShaded), ExpectedInk(view->Font(), {}, view->ColorText(), kShaded, lt, 0, -1, ls));
  const int x = rt.Width() - TextWidth(rs);
  EXPECT_EQ(InkBox(*picture, rt, kShaded), ExpectedInk(view->Font(), {}, view->ColorText(), kShaded, rt, x, -1, rs));
}

TEST_F(ListDrawn, SortArrowsPointUpAscendingAndDownDescending) {
  view->SetColWidths(2, 120);
  for (bool ascending : {true, false}) {
    view->Sort(2, -1, ascending);
    Grab();
    const TRect cell = CellOf(2, -1);
    const int h = [&] {
      TBitmap b(1, 1);
      b.Canvas()->Font()->Assign(view->Font());
      return b.Canvas()->TextHeight(u"Site");
    }();
    const int a = cell.Left + 4 + TextWidth(u"Site") + 10, c = cell.Top + 2 + h / 2;
    if (ascending) {
      EXPECT_EQ(At(a, c + 3), 0xFFFFFF);  // the white base below
      EXPECT_EQ(At(a - 2, c + 3), 0xFFFFFF);
      EXPECT_EQ(At(a - 2, c), 0x808080);  // the grey left side
    } else {
      EXPECT_EQ(At(a, c - 3), 0x808080);  // the grey base above
      EXPECT_EQ(At(a + 2, c), 0xFFFFFF);  // the white right side
    }
  }
}

TEST_F(ListDrawn, TheEmptyListShowsItsMessage) {
  view->SetEmptyMessage(u"no samples");
  view->SetColorEmptyMsg(0x0000C0);
  view->SetNrRows(0);
  Grab();
  const int y0 = view->RowHeights(0) + 1;
  const TRect below = Rect(0, y0, view->Width(), view->Height());
  EXPECT_TRUE(HasColor(*picture, below, 0x0000C0));
  const TRect ink = InkBox(*picture, below, ColorToRGB(view->Color()));
  const int w = TextWidth(u"no samples");
  EXPECT_NEAR(ink.Left, (view->Width() - w) / 2, 2);
  view->SetNrRows(1);
  view->RemoveRow(1);  // removing the only row empties the view too
  Grab();
  EXPECT_TRUE(HasColor(*picture, below, 0x0000C0));
}

TEST_F(ListDrawn, TheMarkerLiesOnTheUpperBorderOfItsRow) {
  view->SetInterRowIndicatorPos(7);  // below the last of six rows
  Grab();
  const TRect last = CellOf(1, 6);
  EXPECT_EQ(At(30, last.Bottom), 0x0000FF);
  EXPECT_EQ(At(30, last.Bottom - 1), 0x0000FF);  // three pixels wide
  EXPECT_EQ(At(30, last.Bottom + 1), 0x0000FF);
  view->SetInterRowIndicatorPos(2);
  Grab();
  EXPECT_EQ(At(30, CellOf(1, 2).Top - 1), 0x0000FF);
  EXPECT_NE(At(30, last.Bottom), 0x0000FF);
  view->SetInterRowIndicatorPos(0);
  Grab();
  EXPECT_FALSE(HasColor(*picture, Rect(0, 0, view->Width(), view->Height()), 0x0000FF));
}

TEST_F(ListDrawn, TheScrollBarMovesTheRowsUnderTheHeaderAndTheMarkerWithThemAsAKeyWould) {
  view->SetNrRows(40);
  view->SetInterRowIndicatorPos(9);
  Grab();
  const int before = CellOf(1, 9).Top - 1;
  ASSERT_EQ(At(30, before), 0x0000FF);
  const TPoint down = PartCentre(view, true, TScrollPart::LineForward);
  user.Click(view, down.X, down.Y);
  user.Click(view, down.X, down.Y);
  EXPECT_EQ(view->TopRow(), 3);
  Grab();
  const int after = CellOf(1, 9).Top - 1;
  EXPECT_EQ(after, before - 2 * 25);
  EXPECT_EQ(At(30, after), 0x0000FF);
  EXPECT_NE(At(30, before), 0x0000FF);
  EXPECT_NE(At(view->ClientWidth() + 8, after), 0x0000FF);  // the marker runs under the bar, not over it
  EXPECT_EQ(At(55, 10), ColorToRGB(view->ColorColumnHd()));  // the header row stays on top
  // The same two rows by the keys leave the same picture, the current row and its colours apart.
  const auto byBar = std::move(picture);
  view->SetTopRow(1);
  view->SetFocus();
  for (int i = 0; i < 10; ++i) user.PressKey(VK_DOWN);  // nine rows show: row 11 at the bottom
  EXPECT_EQ(view->TopRow(), 3);
  Grab();
  EXPECT_EQ(At(30, after), 0x0000FF);
  for (int x = 0; x < view->Width(); ++x)  // the header bar alike, the bar's arrow included
    ASSERT_EQ(At(x, 10), byBar->Canvas()->Pixels(x, 10) & 0xFFFFFF) << x;
}

TEST_F(ListDrawn, ColumnNamesWithALineFeedShowTwoLines) {
  view->SetColumnHeadersHeight(40);
  view->SetColName(2, "Site\nname");
  Grab();
  const TRect cell = CellOf(2, -1);
  const TRect text = Rect(cell.Left + 4, cell.Top + 2, cell.Right - 5, cell.Bottom - 2);
  const TRect ink = InkBox(*picture, text, ColorToRGB(clBtnFace));
  TBitmap b(1, 1);
  b.Canvas()->Font()->Assign(view->Font());
  EXPECT_GT(ink.Height(), b.Canvas()->TextHeight(u"S"));
}

TEST_F(ListDrawn, TheHostMayChangeTheLookOfACell) {
  view->OnBeforeRenderCell = [](TObject*, int c, int r, TColor&, TColor& brush, TColor& font, TFontStyles&,
                                String& text) {
    if (c == 3 && r == 2) {
      brush = 0x00FFFF;
      font = 0xFF0000;
      text = u"n/a";
    }
  };
  Grab();
  EXPECT_EQ(AtCell(3, 2, 50, 20), 0x00FFFF);
  EXPECT_TRUE(HasColor(*picture, CellOf(3, 2), 0xFF0000));
  view->SetEnabled(false);
  Grab();
  EXPECT_TRUE(HasColor(*picture, CellOf(1, 1), ColorToRGB(clInactiveCaption)));
}

TEST_F(ListDrawn, TheInheritedDrawingGetsTheTextRectangle) {
  std::vector<TRect> rects;
  view->OnDrawCell = [&](TObject*, int c, int r, const TRect& rect, TGridDrawState) {
    if (c == 1 && r == 2) rects.push_back(rect);
  };
  view->Invalidate();
  user.Process();
  ASSERT_FALSE(rects.empty());
  const TRect cell = view->CellRect(1, 2);
  EXPECT_EQ(rects.back(), Rect(cell.Left + 4, cell.Top + 2, cell.Right - 5, cell.Bottom));
}

TEST_F(ListDrawn, AListWithEverythingMatchesItsGolden) {
  view->SetBounds(10, 10, 330, 250);
  view->SetCommonHeaderVisible(true);
  view->SetCommonHeaderHeight(36);
  view->SetCommonHeader(u"Water survey\nspring 2024");
  view->SetColWidths(1, 50);
  view->SetColWidths(2, 70);
  view->SetColWidths(3, 60);
  view->SetColWidths(4, 90);
  view->SetColAlignment(3, taRightJustify);
  view->SetElem(3, 4, "6.1 (after the rain)");
  view->SetElem(2, 6, "brook near the old mill");
  view->SetCheckedCol(4, true);
  view->SetElemChecked(4, 1, true);
  view->SetElemChecked(4, 3, true);
  view->SetColCheckMode(1, cmRadio);
  view->SetElemChecked(1, 2, true);
  view->Sort(2, -1, false);
  view->SetRowSelect(3, true);
  view->SetHighLightRow(5);
  view->SetRowEnabled(6, false);
  view->SetRowColPattern(2);
  view->SetInterRowIndicatorPos(7);
  Grab();
  std::vector<TRect> boxes;
  for (int g = 0; g < view->RowCount(); ++g)
    for (int c = 0; c < view->ColCount(); ++c) {
      const TRect r = view->CellRect(c, g);
      if (r.Right > r.Left)
        boxes.push_back(Rect(r.Left + (g >= 2 && (c == 0 || c == 3) ? 20 : 2), r.Top + 1, r.Right - 3, r.Bottom - 1));
    }
  boxes.push_back(Rect(2, 2, 300, 35));
  EXPECT_GOLDEN(*picture, "replist-full", boxes);
}
