// The numeric input control TNumIO2: its picture (box, bevels, spin buttons, gauge, caret,
// selection, disabled looks) pixel by pixel and as golden pictures, and its mouse (caret and
// selection, spin buttons with and without pivots, click and drag on the gauge) driven by the
// scripted user.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_NumIO.h"
#include "Testing.h"

using namespace qelta;

namespace {

constexpr TColor kGrey = 0x808080, kSilver = 0xC0C0C0, kWhite = 0xFFFFFF, kBlack = 0;

struct NumIO2PaintFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TNumIO2* nio = new TNumIO2(form.get());
  int changes = 0, gaugeChanges = 0;
  double lastGauge = 0;

  void SetUp() override {
    form->SetBounds(0, 0, 240, 80);
    nio->SetName(u"Num");
    nio->SetParent(form.get());
    nio->SetBounds(0, 0, 160, 28);
    nio->OnChange = [this](TObject*) { ++changes; };
    nio->OnGaugeChange = [this](TObject*, TShiftState, double v) { ++gaugeChanges, lastGauge = v; };
    user.Show(form.get());
  }

  TColor At(int x, int y) { return user.Grab(nio)->Canvas()->Pixels(x, y); }
  // The button's left edge x0 = LeftSpace + TextBoxWidth + ButSpace.
  int X0() const { return nio->LeftSpace() + nio->TextBoxWidth() + nio->ButSpace(); }
};

}  // namespace

// --- the picture ---------------------------------------------------------------------------------

// The box from LS = 35 to LS + TBW + 2 = 117 over H = 28, s = 24: outline at x = 35, the top-left
// bevel at x = 36 and y = 1, the bottom-right one at x = 117 and y = 27.
TEST_F(NumIO2PaintFixture, TheBoxBevelInEachFrameStyleAndColourScheme) {
  struct Case {
    TFrameStyle style;
    TColorScheme scheme;
    TColor outline, topLeft, bottomRight;
  };
  const TColor sysGrey = ColorToRGB(clBtnShadow), sysWhite = ColorToRGB(clBtnHighlight);
  const Case cases[] = {
      {fsLowered, csBWG, kGrey, kBlack, kWhite},       {fsRaised, csBWG, kGrey, kWhite, kBlack},
      {fsEmbossed, csBWG, kWhite, kGrey, kGrey},       {fsEngraved, csBWG, kGrey, kWhite, kWhite},
      {fsLowered, csSystem, sysGrey, kBlack, sysWhite}, {fsEmbossed, csSystem, sysWhite, sysGrey, sysGrey},
  };
  nio->SetText(u"");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.style) << " " << int(c.scheme));
    nio->SetColorScheme(c.scheme);
    nio->SetFrameStyle(c.style);
    const std::unique_ptr<TBitmap> p = user.Grab(nio);
    TCanvas* k = p->Canvas();
    EXPECT_EQ(k->Pixels(35, 10), c.outline);
    EXPECT_EQ(k->Pixels(60, 0), c.outline);
    EXPECT_EQ(k->Pixels(36, 10), c.topLeft);
    EXPECT_EQ(k->Pixels(60, 1), c.topLeft);
    EXPECT_EQ(k->Pixels(36, 26), c.outline);  // the bevel's top-left line ends above s + 1 = 25
    EXPECT_EQ(k->Pixels(60, 27), c.bottomRight);
    EXPECT_EQ(k->Pixels(117, 10), c.bottomRight);
    EXPECT_EQ(k->Pixels(60, 10), kWhite);  // the box
    EXPECT_EQ(k->Pixels(118, 10), ColorToRGB(clBtnFace));
  }
  nio->SetFrameStyle(fsSimple);
  EXPECT_EQ(At(35, 10), ColorToRGB(clBtnShadow));  // the grey line of csSystem, over the whole height
  EXPECT_EQ(At(60, 27), ColorToRGB(clBtnShadow));
  nio->SetFrameStyle(fsNone);
  EXPECT_EQ(At(35, 10), kWhite);  // the pen takes the box colour
  nio->SetEnabled(false);
  EXPECT_EQ(At(35, 10), kSilver);
  EXPECT_EQ(At(60, 10), kSilver);
}

TEST_F(NumIO2PaintFixture, AValueOutOfRangeShowsTheWarningColours) {
  nio->SetText(u"");
  nio->SetRangeLow(10);
  nio->SetText(u"5");
  EXPECT_EQ(At(60, 4), 0x88FFF0);  // $6088FFF0 as stored: the canvas takes its colour bytes
  nio->SetFrameStyle(fsNone);
  EXPECT_EQ(At(35, 10), 0x88FFF0);
  nio->SetText(u"50");
  EXPECT_EQ(At(35, 10), kWhite);
}

// x0 = 118, bh = 14, cx = 127: rectangle 118..136 x 0..25, divider at y = 13, white lines inside,
// black lines at y = 27 and x = 137, arrows of 2, 4 and 6 pixels around cx.
TEST_F(NumIO2PaintFixture, SpinButtonsWithBevelAndArrows) {
  nio->SetButVisible(true);
  ASSERT_EQ(X0(), 118);
  struct Pixel {
    int x, y;
    TColor c;
  };
  const Pixel pixels[] = {
      {118, 5, kGrey},    {136, 5, kGrey},    {120, 0, kGrey},    {120, 26, kGrey},   {122, 13, kGrey},
      {119, 5, kWhite},   {125, 1, kWhite},   {119, 20, kWhite},  {125, 14, kWhite},  {119, 27, kBlack},
      {137, 5, kBlack},   {130, 27, kBlack},  {127, 6, kBlack},   {128, 6, kBlack},   {126, 6, kSilver},
      {129, 6, kSilver},  {126, 7, kBlack},   {129, 7, kBlack},   {125, 8, kBlack},   {130, 8, kBlack},
      {131, 8, kSilver},  {127, 21, kBlack},  {126, 20, kBlack},  {125, 19, kBlack},  {130, 19, kBlack},
      {124, 19, kSilver}, {127, 22, kSilver}, {131, 19, kSilver},
  };
  auto p = user.Grab(nio);
  for (const Pixel& q : pixels) EXPECT_EQ(p->Canvas()->Pixels(q.x, q.y), q.c) << q.x << ", " << q.y;
  nio->SetBut3D(false);
  p = user.Grab(nio);
  EXPECT_EQ(p->Canvas()->Pixels(119, 5), kSilver);
  EXPECT_EQ(p->Canvas()->Pixels(137, 5), ColorToRGB(clBtnFace));
  nio->SetEnabled(false);
  p = user.Grab(nio);
  EXPECT_EQ(p->Canvas()->Pixels(127, 6), kGrey);
  EXPECT_EQ(p->Canvas()->Pixels(125, 19), kGrey);
}

// Gauge zone g = 12: y1 = 19, y2 = 27, from x = 35 to 117; box up to H - g - 1 = 15.
TEST_F(NumIO2PaintFixture, TheGaugeBarFrameAndBevel) {
  nio->SetGaugeVisible(true);
  nio->SetNioValue(500);
  auto p = user.Grab(nio);
  TCanvas* k = p->Canvas();
  EXPECT_EQ(k->Pixels(50, 22), 0x800000);  // bar up to 35 + Round(82 * 0.5) = 76
  EXPECT_EQ(k->Pixels(75, 22), 0x800000);
  EXPECT_EQ(k->Pixels(76, 22), kSilver);
  EXPECT_EQ(k->Pixels(35, 22), kGrey);  // outline
  EXPECT_EQ(k->Pixels(50, 19), kGrey);
  EXPECT_EQ(k->Pixels(36, 22), kBlack);  // lowered: black top-left, white bottom-right
  EXPECT_EQ(k->Pixels(50, 20), kBlack);
  EXPECT_EQ(k->Pixels(50, 27), kWhite);
  EXPECT_EQ(k->Pixels(117, 22), kWhite);
  EXPECT_EQ(k->Pixels(35, 14), kGrey);  // the box ends higher
  EXPECT_EQ(k->Pixels(60, 15), kWhite);  // its bottom-right bevel at s + 3 = 15
  nio->SetGaugeFrameStyle(fsSimple);
  nio->SetGaugeColorFrame(0x0000FF);
  EXPECT_EQ(At(35, 22), 0x0000FF);
  EXPECT_EQ(At(36, 22), 0x800000);
  nio->SetGaugeFrameStyle(fsNone);
  EXPECT_EQ(At(35, 22), 0x800000);
  EXPECT_EQ(At(100, 19), kSilver);
  // Equal ends show a full bar; a value below the range an empty one.
  nio->SetRangeHigh(0);
  EXPECT_EQ(At(116, 22), 0x800000);
  nio->SetRangeHigh(1000);
  nio->SetRangeLow(600);
  EXPECT_EQ(At(36, 22), kSilver);
  nio->SetEnabled(false);
  nio->SetRangeLow(0);
  EXPECT_EQ(At(50, 22), kGrey);
}

TEST_F(NumIO2PaintFixture, CaretLineAndInvertedSelection) {
  nio->SetText(u"123");
  nio->SetSelBegin(3);  // caret at the end
  const int x = nio->CharPosToXCoords(3) - 1;
  EXPECT_EQ(At(x, 3), kBlack);
  EXPECT_EQ(At(x, 24), kBlack);
  EXPECT_EQ(At(x, 25), kWhite);
  EXPECT_EQ(At(x, 2), kWhite);
  user.Advance(500);  // not focused: the caret goes
  EXPECT_EQ(At(x, 3), kWhite);
  nio->SetSelBegin(1);
  nio->SetSelEnd(3);
  const int x1 = nio->CharPosToXCoords(1), x2 = nio->CharPosToXCoords(3);
  EXPECT_EQ(At((x1 + x2) / 2, 4), kWhite);  // hidden while not focused
  nio->SetHideSelection(false);
  EXPECT_EQ(At(x1, 4), kBlack);
  EXPECT_EQ(At(x2 - 1, 4), kBlack);
  EXPECT_EQ(At(x2, 4), kWhite);
  EXPECT_EQ(At(x1 - 1, 4), kWhite);
  EXPECT_EQ(At(x1, 3), kBlack);
  EXPECT_EQ(At(x1, 2), kWhite);
  nio->SetHideSelection(true);
  nio->SetFocus();
  EXPECT_EQ(At(x1, 4), kBlack);
}

// Regression: a number wider than its box was clipped on both sides, so a binary 250 in the default
// box showed only leading zeros (and a cut glyph at each edge). It shows its tail of whole
// characters, right-justified; a "…" stands before it when the rest holds more than zeros.
TEST_F(NumIO2PaintFixture, ANumberWiderThanItsBoxShowsItsLastWholeCharactersAndMarksACut) {
  struct Case {
    const char* name;
    TInFormat format;
    int boxWidth;
    double value;
    bool marked;
  };
  const Case cases[] = {
      {"binary 250", itBin, 80, 250, false},          {"binary 2^30", itBin, 80, 1 << 30, true},
      {"binary -1", itBin, 80, -1, true},             {"hexadecimal 255, narrow box", itHex, 40, 255, false},
      {"fixed point, narrow box", itFixPoint, 30, 250, true}, {"float", itFloat, 80, -1234567890.5, true},
  };
  auto* reference = new TNumIO2(form.get());  // the tail alone, right-justified
  reference->SetParent(form.get());
  reference->SetBounds(0, 40, 160, 28);
  reference->SetAlignment(taRightJustify);
  for (TNumIO2* n : {nio, reference}) n->SetRangeLow(-1e10), n->SetRangeHigh(1e10);  // no warning colours
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(nio->Font());
  const auto width = [&probe](const String& t) { return probe.Canvas()->TextWidth(t); };
  for (const Case& c : cases) {
    nio->SetTextBoxWidth(c.boxWidth);
    nio->SetInputFormat(c.format);
    nio->SetNioValue(c.value);
    const String text = nio->Text();
    const int room = c.boxWidth - 5 - (c.marked ? width(u"\u2026") : 0);
    ASSERT_GT(width(text), c.boxWidth - 5) << c.name << ": the number fits";
    std::size_t k = 0;
    while (width(text.substr(k)) > room) ++k;
    reference->SetTextBoxWidth(c.boxWidth);
    reference->SetInputFormat(c.format);
    reference->SetText(text.substr(k));
    ASSERT_EQ(reference->Text(), text.substr(k)) << c.name;
    user.Advance(500);  // both carets hidden
    const std::unique_ptr<TBitmap> shown = user.Grab(nio), expected = user.Grab(reference);
    const int ls = nio->LeftSpace(), tailX = ls + c.boxWidth - 2 - width(text.substr(k));
    int differing = 0, markInk = 0;
    for (int y = 2; y < 25; ++y) {
      for (int x = tailX; x < ls + c.boxWidth - 1; ++x)
        differing += shown->Canvas()->Pixels(x, y) != expected->Canvas()->Pixels(x, y);
      for (int x = ls + 3; x < tailX; ++x) markInk += shown->Canvas()->Pixels(x, y) != kWhite;
    }
    EXPECT_EQ(differing, 0) << c.name;
    EXPECT_EQ(markInk > 0, c.marked) << c.name;
    // The caret at the end of the text stands in the box, behind the tail.
    const int end = nio->CharPosToXCoords(static_cast<int>(text.size()));
    EXPECT_GT(end, tailX) << c.name;
    EXPECT_LT(end, ls + c.boxWidth) << c.name;
  }
}

TEST_F(NumIO2PaintFixture, ADisabledControlEngravesItsTextsAndGreysItsNumber) {
  nio->Font()->SetSize(14);  // strokes wide enough to hold fully covered pixels
  nio->Font()->SetStyle(TFontStyles{fsBold});
  nio->SetLeftText(u"HI");
  nio->SetRightText(u"HI");
  nio->SetNioValue(12);
  nio->SetEnabled(false);
  user.Advance(500);  // the caret goes (not focused)
  auto p = user.Grab(nio);
  auto colours = [&](int l, int r) {
    std::vector<TColor> seen;
    for (int y = 0; y < 28; ++y)
      for (int x = l; x < r; ++x) seen.push_back(p->Canvas()->Pixels(x, y));
    return seen;
  };
  auto has = [](const std::vector<TColor>& v, TColor c) { return std::find(v.begin(), v.end(), c) != v.end(); };
  for (auto [l, r] : {std::pair{0, 35}, std::pair{118, 160}}) {
    const std::vector<TColor> seen = colours(l, r);
    EXPECT_TRUE(has(seen, kWhite)) << l;
    EXPECT_TRUE(has(seen, kGrey)) << l;
    EXPECT_FALSE(has(seen, kBlack)) << l;
  }
  std::vector<TColor> box;
  for (int y = 3; y < 24; ++y)
    for (int x = 38; x < 114; ++x) box.push_back(p->Canvas()->Pixels(x, y));
  EXPECT_TRUE(has(box, kGrey));
  EXPECT_FALSE(has(box, kBlack));
  EXPECT_FALSE(has(box, kWhite));
}

TEST_F(NumIO2PaintFixture, AutoSizeTakesTheTextHeightPlusSixBelowTheMinimum) {
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(nio->Font());
  const int h = probe.Canvas()->TextHeight(u"E0") + 6;
  nio->SetAutoSize(true);
  EXPECT_EQ(nio->Height(), h);
  nio->Font()->SetSize(4);
  nio->SetLeftText(u"x");
  probe.Canvas()->Font()->SetSize(4);
  EXPECT_EQ(nio->Height(), probe.Canvas()->TextHeight(u"E0") + 6);
  EXPECT_LT(nio->Height(), 18);
}

// --- golden pictures -----------------------------------------------------------------------------

namespace {

// Text areas of a 200 x 40 control with LS 50, TBW 80 and buttons: left text, number, right text.
std::vector<TRect> TextAreas(const TNumIO2& n, int g) {
  const int ls = n.LeftSpace(), tbw = n.TextBoxWidth(), end = ls + tbw + n.ButWidth() + n.ButSpace();
  return {Rect(0, 0, ls, 40 - g), Rect(ls + 2, 2, ls + tbw, 40 - g - 3), Rect(end + 2, 0, 200, 40 - g)};
}

}  // namespace

TEST_F(NumIO2PaintFixture, GoldenPicturesEnabledAndDisabled) {
  nio->SetBounds(0, 0, 200, 40);
  nio->SetLeftSpace(50);
  nio->SetLeftText(u"Volt");
  nio->SetRightText(u"mV");
  nio->SetButVisible(true);
  nio->SetButHeight(24);
  nio->SetGaugeVisible(true);
  nio->SetGaugeLeftMargin(50);
  nio->SetInputFormat(itFixPoint);
  nio->SetNioValue(250);
  user.Advance(500);  // caret hidden
  EXPECT_GOLDEN(*user.Grab(nio), "numio2-enabled", TextAreas(*nio, 12));
  nio->SetFrameStyle(fsRaised);
  nio->SetGaugeFrameStyle(fsEngraved);
  nio->SetColorScheme(csSystem);
  nio->SetEnabled(false);
  EXPECT_GOLDEN(*user.Grab(nio), "numio2-disabled", TextAreas(*nio, 12));
}

// --- mouse ---------------------------------------------------------------------------------------

TEST_F(NumIO2PaintFixture, SpinButtonsStepByTheIncrementWithinTheRange) {
  nio->SetButVisible(true);
  nio->SetButIncrem(2.5);
  nio->SetNioValue(5);
  user.Click(nio, X0() + 5, 5);
  EXPECT_DOUBLE_EQ(nio->GetNioValue(), 7.5);
  user.Click(nio, X0() + 5, 20);
  user.Click(nio, X0() + 5, 20);
  user.Click(nio, X0() + 5, 20);
  EXPECT_DOUBLE_EQ(nio->GetNioValue(), 0);  // clamped at RangeLow
  EXPECT_EQ(changes, 4);
  user.Click(nio, X0(), 5);  // the left edge is not a button
  user.Click(nio, X0() + 5, 28);
  EXPECT_EQ(changes, 4);
}

TEST_F(NumIO2PaintFixture, SpinButtonsWalkThePivots) {
  nio->SetButVisible(true);
  nio->ButtonPivots = {0, 10, 20};
  struct Case {
    double from;
    bool up;
    double to;
  };
  const Case cases[] = {
      {10, true, 20},  {10, false, 0},  {12, false, 10}, {12, true, 20}, {20, true, 20},
      {0, false, 0},   {5, true, 10},   {5, false, 0},   // a tie goes to the lower pivot
      {10.005, false, 0}, {-50, true, 0}, {100, false, 20},
  };
  for (const Case& c : cases) {
    nio->SetNioValue(c.from);
    nio->SetRangeLow(-100);
    user.Click(nio, X0() + 5, c.up ? 14 : 15);
    EXPECT_DOUBLE_EQ(nio->GetNioValue(), c.to) << c.from << (c.up ? " up" : " down");
  }
  EXPECT_EQ(changes, int(std::size(cases)));
  nio->SetRangeHigh(15);  // pivots are not clamped to the range
  nio->SetNioValue(10);
  user.Click(nio, X0() + 5, 5);
  EXPECT_DOUBLE_EQ(nio->GetNioValue(), 20);
}

TEST_F(NumIO2PaintFixture, AClickOnTheGaugeSetsTheValueButChangesOnlyAtMouseUp) {
  nio->SetGaugeVisible(true);
  user.Press(nio, 35 + 41, 22);
  EXPECT_DOUBLE_EQ(nio->GetNioValue(), 500);
  EXPECT_EQ(changes, 0);
  user.Release(nio, 35 + 41, 22);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(gaugeChanges, 0);
  user.Click(nio, 34, 22);  // left of the bar: nothing
  EXPECT_DOUBLE_EQ(nio->GetNioValue(), 500);
  EXPECT_EQ(changes, 1);
}

TEST_F(NumIO2PaintFixture, ADragOnTheGaugeReportsEveryMoveAndOneChange) {
  nio->SetGaugeVisible(true);
  user.Drag(nio, 40, 22, 117, 22, mbLeft, 4);
  EXPECT_EQ(gaugeChanges, 4);
  EXPECT_DOUBLE_EQ(lastGauge, 1000);
  EXPECT_DOUBLE_EQ(nio->GetNioValue(), 1000);
  EXPECT_EQ(changes, 1);
  user.Drag(nio, 60, 22, 118, 22, mbLeft, 1);  // one pixel beyond the bar still counts, clamped
  EXPECT_EQ(gaugeChanges, 5);
  EXPECT_DOUBLE_EQ(lastGauge, 1000);
  user.Drag(nio, 60, 22, 119, 22, mbLeft, 1);  // two pixels beyond do not
  EXPECT_EQ(gaugeChanges, 5);
  nio->ButtonPivots = {1, 2, 4, 8};
  user.Drag(nio, 60, 22, 35 + 41, 22, mbLeft, 1);
  EXPECT_DOUBLE_EQ(lastGauge, 4);  // (4 - 1) * 0.5 = 1.5 rounds to 2
  nio->ButtonPivots = {7};
  user.Drag(nio, 60, 22, 50, 22, mbLeft, 1);
  EXPECT_DOUBLE_EQ(lastGauge, 7);
}

TEST_F(NumIO2PaintFixture, TheMousePlacesTheCaretAndSelects) {
  nio->SetText(u"1234");
  EXPECT_EQ(nio->XCoordsToCharPos(0), 0);
  EXPECT_EQ(nio->XCoordsToCharPos(36), 0);
  user.Click(nio, 112, 10);  // right of the text: the end
  EXPECT_EQ(nio->CaretPos(), 4);
  EXPECT_EQ(nio->SelBegin(), 4);
  EXPECT_EQ(nio->SelEnd(), 4);
  user.Drag(nio, nio->CharPosToXCoords(1), 10, nio->CharPosToXCoords(3), 10, mbLeft, 2);
  EXPECT_EQ(nio->SelBegin(), 1);
  EXPECT_EQ(nio->SelEnd(), 3);
  user.Drag(nio, nio->CharPosToXCoords(3), 10, nio->CharPosToXCoords(1), 10, mbLeft, 2);
  EXPECT_EQ(nio->SelBegin(), 1);
  EXPECT_EQ(nio->SelEnd(), 3);
  for (TAlignment a : {taLeftJustify, taRightJustify, taCenter}) {
    nio->SetAlignment(a);
    for (int pos = 0; pos <= 4; ++pos) EXPECT_EQ(nio->XCoordsToCharPos(nio->CharPosToXCoords(pos)), pos) << a;
  }
}

// Regression: the mean character width w div length was 0 for a text narrower in pixels than in
// characters, and a click divided by zero.
TEST_F(NumIO2PaintFixture, AClickInATextNarrowerThanItsLengthDoesNotDivideByZero) {
  nio->Font()->SetHeight(-1);
  nio->SetText(u"1.1");  // at one pixel per em the point has no width
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(nio->Font());
  ASSERT_LT(probe.Canvas()->TextWidth(nio->Text()), 3);
  user.Click(nio, 80, 10);
  EXPECT_GE(nio->CaretPos(), 0);
  EXPECT_LE(nio->CaretPos(), 3);
}
