// Scroll bars: the layout of arrows, track and thumb, the way back from a thumb's place to a position,
// and the look of the bars on grids and memos (golden picture).

#include <gtest/gtest.h>

#include <climits>

#include "Assertions.h"
#include "Edits.h"
#include "GoldenImage.h"
#include "Grids.h"
#include "ScrollBarTesting.h"

using namespace qelta;
using namespace qelta::platform_detail;
using qelta::testing::PartCentre;

namespace {

TEST(TScrollBarLayout, ArrowsTrackAndThumbFollowTheRangeAndTheBarsLength) {
  struct Case {
    TRect bar;
    bool vertical;
    TScrollInfo info;
    TRect back, forward, thumb;
  };
  const TRect v200 = Rect(0, 0, 16, 200);
  const Case cases[] = {
      // 168 pixels of track show 10 of 100 positions: a thumb of 17, at the top, the middle, the end
      {v200, true, {90, 10, 0}, Rect(0, 0, 16, 16), Rect(0, 184, 16, 200), Rect(0, 16, 16, 33)},
      {v200, true, {90, 10, 45}, Rect(0, 0, 16, 16), Rect(0, 184, 16, 200), Rect(0, 92, 16, 109)},
      {v200, true, {90, 10, 90}, Rect(0, 0, 16, 16), Rect(0, 184, 16, 200), Rect(0, 167, 16, 184)},
      {v200, true, {90, 10, 500}, Rect(0, 0, 16, 16), Rect(0, 184, 16, 200), Rect(0, 167, 16, 184)},
      // 10 of 10,000 rows: the shortest thumb
      {v200, true, {9990, 10, 0}, Rect(0, 0, 16, 16), Rect(0, 184, 16, 200), Rect(0, 16, 16, 24)},
      // nothing to scroll: no thumb
      {v200, true, {0, 10, 0}, Rect(0, 0, 16, 16), Rect(0, 184, 16, 200), TRect{}},
      // a bar shorter than two arrows halves them and has no track
      {Rect(0, 0, 16, 20), true, {5, 1, 2}, Rect(0, 0, 16, 10), Rect(0, 10, 16, 20), TRect{}},
      // horizontal, half the range in view, at the end
      {Rect(0, 0, 100, 16), false, {1, 1, 1}, Rect(0, 0, 16, 16), Rect(84, 0, 100, 16), Rect(50, 0, 84, 16)},
      // the largest ranges multiply without overflow
      {v200, true, {INT_MAX, INT_MAX, INT_MAX}, Rect(0, 0, 16, 16), Rect(0, 184, 16, 200), Rect(0, 100, 16, 184)},
  };
  for (const Case& k : cases) {
    const TScrollBarLayout l = LayoutScrollBar(k.bar, k.vertical, k.info);
    EXPECT_EQ(l.LineBack, k.back) << k.info.Max << "/" << k.info.Position;
    EXPECT_EQ(l.LineForward, k.forward) << k.info.Max << "/" << k.info.Position;
    if (k.thumb.Right > k.thumb.Left) {
      EXPECT_EQ(l.Thumb, k.thumb) << k.info.Max << "/" << k.info.Position;
    } else {
      EXPECT_LE(l.Thumb.Bottom - l.Thumb.Top, 0) << k.info.Max << "/" << k.info.Position;
    }
  }
}

TEST(TScrollBarLayout, AThumbPlacedForAPositionLeadsBackToItAndEveryPartIsFoundByItsPoints) {
  const TScrollInfo base{20, 5, 0};
  for (int pos = 0; pos <= base.Max; ++pos) {
    const TScrollInfo info{base.Max, base.Page, pos};
    const TScrollBarLayout l = LayoutScrollBar(Rect(0, 0, 16, 200), true, info);
    EXPECT_EQ(ThumbPosition(l, info, l.Thumb.Top), pos);
    struct Probe {
      TRect r;
      TScrollPart part;
    };
    const Probe probes[] = {{l.LineBack, TScrollPart::LineBack},   {l.LineForward, TScrollPart::LineForward},
                            {l.Thumb, TScrollPart::Thumb},         {l.PageBack(), TScrollPart::PageBack},
                            {l.PageForward(), TScrollPart::PageForward}};
    for (const Probe& p : probes) {
      if (p.r.Bottom <= p.r.Top) continue;
      EXPECT_EQ(l.PartAt(Point(8, (p.r.Top + p.r.Bottom) / 2)), p.part) << pos;
    }
    EXPECT_EQ(l.PartAt(Point(16, 100)), TScrollPart::None);
  }
  // A thumb dragged beyond either end of the track stops at the range's ends.
  const TScrollBarLayout l = LayoutScrollBar(Rect(0, 0, 16, 200), true, base);
  EXPECT_EQ(ThumbPosition(l, base, -500), 0);
  EXPECT_EQ(ThumbPosition(l, base, 5000), 20);
}

TEST(ScrollTarget, StepsStopAtTheEndsAndAViewBeyondTheLastPlaceOnlyComesBack) {
  using S = TScrollStep;
  struct Case {
    TScrollStep step;
    int position, first, expected;
  };
  // Positions 1..40 (origin 1, last 40), a line of 3, a page of 10.
  const Case cases[] = {
      {S::LineBack, 0, 20, 17},    {S::LineForward, 0, 20, 23},  {S::PageBack, 0, 20, 10},
      {S::PageForward, 0, 20, 30}, {S::LineBack, 0, 2, 1},       {S::PageForward, 0, 35, 40},
      {S::Track, 14, 20, 15},      {S::Position, 99, 20, 40},    {S::Position, -5, 20, 1},
      {S::LineForward, 0, 45, 45}, {S::PageBack, 0, 45, 35},  // scrolled beyond the last place by code
  };
  for (const Case& k : cases)
    EXPECT_EQ(ScrollTarget(k.step, k.position, k.first, 1, 40, 3, 10), k.expected)
        << static_cast<int>(k.step) << " from " << k.first;
}

// Grids with both bars (scrolled into the middle), with the down arrow held, disabled, and a memo with
// both bars.
TEST(ScrollBarLooks, GridsAndAMemoMatchTheirGolden) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 470, 330);
  form.SetColor(clBtnFace);
  auto grid = [&](int x, int y, int cols, int rows) {
    auto* g = new TStringGrid(&form);
    g->SetParent(&form);
    g->SetBounds(x, y, 140, 130);
    g->SetColCount(cols);
    g->SetRowCount(rows);
    g->SetDefaultColWidth(40);
    g->SetDefaultRowHeight(18);
    return g;
  };
  TStringGrid* both = grid(10, 10, 12, 40);
  both->SetTopRow(20);
  both->SetLeftCol(5);
  TStringGrid* held = grid(160, 10, 3, 40);
  TStringGrid* disabled = grid(310, 10, 12, 40);
  disabled->SetEnabled(false);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->SetBounds(10, 160, 200, 120);
  memo->SetScrollBars(ssBoth);
  for (int i = 1; i <= 12; ++i) memo->Lines()->Add(u"Line " + IntToStr(i) + u" of a comment longer than the memo is wide");
  user.Show(&form);
  const TPoint arrow = PartCentre(held, true, TScrollPart::LineForward);
  user.Press(held, arrow.X, arrow.Y);
  auto picture = user.Grab(&form);
  const TPoint origin = memo->ClientOrigin();
  const TRect text = Rect(origin.X + 3, origin.Y + 3, origin.X + memo->ClientWidth() - 3, origin.Y + memo->ClientHeight() - 3);
  EXPECT_GOLDEN(*picture, "scrollbars", {text});
  user.Release(held, arrow.X, arrow.Y);
}

}  // namespace
