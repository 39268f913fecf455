// The mark selector: layout of the visible marks, the nearest mark, setters, highlight and clicks.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_marksel.h"
#include "Testing.h"

using namespace qelta;

namespace {

TMarkVisibility AllVisible() {
  TMarkVisibility v;
  v.fill(true);
  return v;
}

struct MarkSelForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TMarkSel* sel = new TMarkSel(form.get());
  std::vector<std::string> log;

  void SetUp() override {
    form->SetBounds(40, 40, 300, 260);
    sel->SetParent(form.get());
    sel->SetBounds(10, 10, 236, 178);
    sel->OnMarkClick = [this](TObject*, int x, int y, int m) { Log("click", x, y, m); };
    sel->OnMarkDblClick = [this](TObject*, int x, int y, int m) { Log("dbl", x, y, m); };
    user.Show(form.get());
  }
  void Log(const char* what, int x, int y, int m) {
    log.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(m));
  }
  // The point of mark m in the default layout (all visible).
  static TPoint At(int m) { return MarkSelLayout(236, 178, 8, 6, AllVisible()).Coords[m]; }
  TColor PixelAt(int x, int y) { return user.Grab(sel)->Canvas()->Pixels(x, y); }
};

}  // namespace

// [SECTION] layout

TEST(TMarkSelLayout, PlacesTheVisibleMarksRowByRowBelowTheGridToo) {
  const TMarkSelLayout l = MarkSelLayout(236, 178, 8, 6, AllVisible());
  EXPECT_EQ(l.DistHorz, 29);
  EXPECT_EQ(l.DistVert, 29);
  const struct {
    int mark, x, y;
  } cases[] = {{0, 14, 14}, {1, 43, 14}, {7, 217, 14}, {8, 14, 43}, {47, 217, 159}, {48, 14, 188}, {51, 101, 188}};
  for (const auto& c : cases) EXPECT_EQ(l.Coords[c.mark], Point(c.x, c.y)) << c.mark;
}

TEST(TMarkSelLayout, HidingAMarkMovesTheLaterOnesOneCellBack) {
  TMarkVisibility v = AllVisible();
  const TMarkSelLayout before = MarkSelLayout(236, 178, 8, 6, v);
  v[5] = false;
  const TMarkSelLayout after = MarkSelLayout(236, 178, 8, 6, v);
  for (int m = 6; m < kMarkSelMarks; ++m) EXPECT_EQ(after.Coords[m], before.Coords[m - 1]) << m;
  EXPECT_EQ(after.Coords[4], before.Coords[4]);
}

TEST(TMarkSelLayout, TheNearestVisibleMarkWinsAndTheLowestOnATie) {
  TMarkVisibility v = AllVisible();
  const TMarkSelLayout l = MarkSelLayout(236, 178, 8, 6, v);
  const struct {
    int x, y, mark;
  } cases[] = {{14, 14, 0},   {28, 14, 0},    {29, 14, 1},    {-500, -500, 0},
               {1000, 14, 7}, {101, 300, 51}, {215, 170, 47}, {43, 43, 9}};
  for (const auto& c : cases) EXPECT_EQ(NearestMark(l, v, c.x, c.y), c.mark) << c.x << "," << c.y;
  for (int m = 1; m < kMarkSelMarks; ++m) v[m] = false;
  const TMarkSelLayout alone = MarkSelLayout(236, 178, 8, 6, v);
  EXPECT_EQ(NearestMark(alone, v, 200, 150), 0);
  v[0] = false;
  EXPECT_EQ(NearestMark(alone, v, 200, 150), 0);  // none visible
}

// [SECTION] setters

TEST(TMarkSel, KeepsItsRangesAndMarkZero) {
  TMarkSel s(nullptr);
  EXPECT_EQ(s.Width(), 236);
  EXPECT_EQ(s.Height(), 178);
  EXPECT_EQ(s.Selected(), -1);
  const struct { int value, cols; } cols[] = {{0, 8}, {52, 8}, {51, 51}, {1, 1}, {-3, 1}};
  for (const auto& c : cols) {
    s.SetNrOfColumns(c.value);
    EXPECT_EQ(s.NrOfColumns(), c.cols) << c.value;
  }
  s.SetNrOfRows(0);
  EXPECT_EQ(s.NrOfRows(), 6);
  s.SetSelected(52);
  EXPECT_EQ(s.Selected(), -1);
  s.SetSelected(51);
  EXPECT_EQ(s.Selected(), 51);
  s.SetSelected(-1);
  EXPECT_EQ(s.Selected(), -1);
  s.SetVis(0, false);
  EXPECT_TRUE(s.GetVis(0));
  s.SetVis(5, false);
  EXPECT_FALSE(s.GetVis(5));
  s.SetVis(52, false);
  s.HideAllMarks();
  EXPECT_TRUE(s.GetVis(0));
  EXPECT_FALSE(s.GetVis(51));
  s.SetVis(0, true);
  EXPECT_TRUE(s.GetVis(60));  // positions outside read mark 0
  EXPECT_TRUE(s.GetVis(-1));
  s.ShowAllMarks();
  EXPECT_TRUE(s.GetVis(5));
}

// [SECTION] pictures

TEST(TMarkSel, DrawsThePaletteWithASelectedMark) {
  TMarkSel s(nullptr);
  s.SetSelected(10);
  TBitmap bmp(236, 178);
  s.DrawMarks(bmp);
  EXPECT_GOLDEN(bmp, "marksel-default");
}

TEST(TMarkSel, ADisabledPaletteDrawsGreyOnSilver) {
  TMarkSel s(nullptr);
  s.SetSelected(3);
  s.SetVis(20, false);
  s.SetEnabled(false);
  TBitmap bmp(236, 178);
  s.DrawMarks(bmp);
  EXPECT_EQ(bmp.Canvas()->Pixels(120, 90), ColorToRGB(clSilver));
  EXPECT_GOLDEN(bmp, "marksel-disabled");
}

// [SECTION] mouse

TEST_F(MarkSelForm, HoverMovesTheHighlightAndAClickSelectsAndFires) {
  const TPoint m12 = At(12), m13 = At(13);
  user.MoveTo(sel, m12.X, m12.Y);
  EXPECT_EQ(PixelAt(m12.X - 8, m12.Y - 8), ColorToRGB(clRed));
  user.MoveTo(sel, m13.X + 2, m13.Y);
  EXPECT_EQ(PixelAt(m12.X - 8, m12.Y - 8), ColorToRGB(clBtnFace));
  EXPECT_EQ(PixelAt(m13.X - 8, m13.Y - 8), ColorToRGB(clRed));
  user.Click(sel, m13.X + 2, m13.Y);
  EXPECT_EQ(sel->Selected(), 13);
  EXPECT_EQ(log, (std::vector<std::string>{"click " + std::to_string(m13.X + 2) + ",43 13"}));
  EXPECT_EQ(PixelAt(m13.X - 8, m13.Y - 8), ColorToRGB(clRed));  // the selection is highlighted
  user.MoveTo(sel, m12.X, m12.Y);
  EXPECT_EQ(PixelAt(m13.X - 8, m13.Y - 8), ColorToRGB(clWhite));  // back to the selected look
}

// The platform delivers down, up, double click, up: two clicks and one double click.
TEST_F(MarkSelForm, ADoubleClickFiresTwoClicksAndOneDoubleClick) {
  const TPoint p = At(30);
  user.DoubleClick(sel, p.X, p.Y);
  EXPECT_EQ(sel->Selected(), 30);
  const std::string at = std::to_string(p.X) + "," + std::to_string(p.Y) + " 30";
  EXPECT_EQ(log, (std::vector<std::string>{"click " + at, "dbl " + at, "click " + at}));
}

TEST_F(MarkSelForm, WithOnlyMarkZeroAnyClickSelectsItAndNoClickPassesMinusOne) {
  sel->HideAllMarks();
  user.Click(sel, 200, 150);
  EXPECT_EQ(sel->Selected(), 0);
  sel->SetSelected(-1);
  sel->Perform(WM_LBUTTONUP, 0, MakeMouseLParam(-1, -1));
  EXPECT_EQ(sel->Selected(), -1);
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(MarkSelForm, ADisabledSelectorGetsNoMouseButHiLiteDrawsInTheEnabledColours) {
  sel->SetEnabled(false);
  const TPoint p = At(9);
  user.Click(sel, p.X, p.Y);
  EXPECT_EQ(sel->Selected(), -1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(PixelAt(p.X - 8, p.Y - 8), ColorToRGB(clSilver));
  sel->HiLite(9);
  EXPECT_EQ(PixelAt(p.X - 8, p.Y - 8), ColorToRGB(clRed));
}

// Regression: hiding the highlighted mark left FLastHiLite on it, and the next move redrew the
// hidden mark's symbol into the cell that another mark now holds.
TEST_F(MarkSelForm, HidingTheHighlightedMarkLeavesNoTraceOnTheNextMove) {
  const TPoint p5 = At(5), p20 = At(20);
  user.MoveTo(sel, p5.X, p5.Y);
  sel->SetVis(5, false);
  user.MoveTo(sel, p20.X, p20.Y);  // mark 21 is there now
  const std::unique_ptr<TBitmap> shown = user.Grab(sel);
  TBitmap fresh(236, 178);
  sel->DrawMarks(fresh);
  int differing = 0;
  for (int y = 0; y < p5.Y + 16; ++y)
    for (int x = p5.X - 16; x < p5.X + 16; ++x)
      differing += shown->Canvas()->Pixels(x, y) != fresh.Canvas()->Pixels(x, y);
  EXPECT_EQ(differing, 0);
}
