// The gradient fill: band colours, band places, the colour pair, grid lines and the look; the paint
// of the small controls without their off-screen bitmap.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Assertions.h"
#include "GoldenImage.h"
#include "Math.h"
#include "Qelta_gradfl.h"
#include "Qelta_marksel.h"
#include "Qelta_onoffbut.h"

using namespace qelta;

namespace {

TColor Grey(int v) { return RGB(v, v, v); }

std::unique_ptr<TBitmap> Drawn(const TGradFill& g, int W, int H) {
  auto b = std::make_unique<TBitmap>(W, H);
  g.DrawGradient(*b);
  return b;
}

}  // namespace

TEST(GradientBandColor, FollowsTheBandRules) {
  const struct {
    TGradType type;
    int k, N;
    TColor first, last, expect;
  } cases[] = {
      {gtHoriz, 0, 1, clRed, clBlue, clRed},
      {gtMidBandVert, 0, 1, clRed, clBlue, clRed},
      {gtHoriz, 0, 2, clBlack, clWhite, clBlack},
      {gtHoriz, 1, 2, clBlack, clWhite, Grey(128)},  // MulDiv(1, 255, 2) = 128
      {gtVert, 3, 4, clBlack, clWhite, Grey(191)},   // one step short of the last colour
      {gtHoriz, 1, 2, clWhite, clBlack, Grey(127)},  // falling: 255 + MulDiv(1, -255, 2) = 255 - 128
      {gtMidBandVert, 0, 5, clBlack, clWhite, Grey(0)},
      {gtMidBandVert, 1, 5, clBlack, clWhite, Grey(128)},
      {gtMidBandVert, 2, 5, clBlack, clWhite, clWhite},
      {gtMidBandVert, 3, 5, clBlack, clWhite, Grey(128)},
      {gtMidBandVert, 4, 5, clBlack, clWhite, Grey(0)},
      {gtMidBandHoriz, 1, 4, clBlack, clWhite, Grey(128)},  // even N: 0, 1/2, 1, 0
      {gtMidBandHoriz, 2, 4, clBlack, clWhite, clWhite},
      {gtMidBandHoriz, 3, 4, clBlack, clWhite, Grey(0)},
      {gtHoriz, 1, 2, clBtnFace, clBlack, Grey(96)},  // system colours as RGB
      {gtHoriz, 1, 3, RGB(10, 200, 30), RGB(250, 20, 90), RGB(90, 140, 50)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GradientBandColor(c.type, c.k, c.N, c.first, c.last), c.expect)
        << int(c.type) << " band " << c.k << " of " << c.N;
}

TEST(TGradFill, BandsCoverTheAreaWithoutGaps) {
  TGradFill g(nullptr);
  g.SetColorFirst(clBlack);
  g.SetColorLast(clWhite);
  g.SetNrColors(7);
  for (TGradType t : {gtHoriz, gtVert}) {
    g.SetFillType(t);
    const auto b = Drawn(g, 50, 30);
    const int extent = t == gtHoriz ? 30 : 50;
    for (int p = 0; p < extent; ++p) {
      int k = 0;
      while (MulDiv(k + 1, extent, 7) <= p) ++k;
      const TColor expect = GradientBandColor(t, k, 7, clBlack, clWhite);
      EXPECT_EQ(t == gtHoriz ? b->Canvas()->Pixels(25, p) : b->Canvas()->Pixels(p, 15), expect) << int(t) << " " << p;
    }
  }
}

TEST(TGradFill, OneBandFillsWithTheFirstColourAndTwoSplitAtTheMiddle) {
  TGradFill g(nullptr);
  g.SetNrColors(1);
  for (TGradType t : {gtHoriz, gtVert, gtMidBandHoriz, gtMidBandVert}) {
    g.SetFillType(t);
    const auto b = Drawn(g, 20, 20);
    EXPECT_EQ(b->Canvas()->Pixels(0, 0), clMaroon);
    EXPECT_EQ(b->Canvas()->Pixels(19, 19), clMaroon);
  }
  g.SetFillType(gtHoriz);
  g.SetNrColors(2);
  g.SetColorFirst(clBlack);
  g.SetColorLast(clWhite);
  const auto b = Drawn(g, 10, 10);
  EXPECT_EQ(b->Canvas()->Pixels(5, 4), clBlack);
  EXPECT_EQ(b->Canvas()->Pixels(5, 5), Grey(128));
}

TEST(TGradFill, KeepsItsRangeAndItsColourPairThroughFlipping) {
  TGradFill g(nullptr);
  EXPECT_EQ(g.Width(), 121);
  EXPECT_EQ(g.NrColors(), 16);
  g.SetNrColors(0);
  EXPECT_EQ(g.NrColors(), 1);
  g.SetNrColors(1000);
  EXPECT_EQ(g.NrColors(), 255);
  g.SetColorFlipped(true);
  EXPECT_EQ(g.ColorFirst(), clYellow);
  EXPECT_EQ(g.ColorLast(), clMaroon);
  g.SetColorFirst(clRed);
  g.SetColorFlipped(false);
  EXPECT_EQ(g.ColorFirst(), clMaroon);
  EXPECT_EQ(g.ColorLast(), clRed);
  g.SetColorFlipped(true);
  g.SetColorFlipped(false);
  EXPECT_EQ(g.ColorFirst(), clMaroon);
  EXPECT_EQ(g.ColorLast(), clRed);
  g.SetColorLast(clLime);
  g.SetColorFlipped(true);
  EXPECT_EQ(g.ColorFirst(), clLime);
}

TEST(TGradFill, GridLinesLieOnTheBandBordersOfEachDirection) {
  TGradFill g(nullptr);
  g.SetNrColors(4);
  g.SetColorFirst(clWhite);
  g.SetColorLast(clWhite);
  g.SetGridColor(clRed);
  const struct {
    TGridMode mode;
    bool horizontal, vertical;
  } cases[] = {{gmNone, false, false}, {gmHoriz, true, false}, {gmVert, false, true}, {gmBoth, true, true}};
  for (TGradType t : {gtHoriz, gtVert})
    for (const auto& c : cases) {
      g.SetFillType(t);
      g.SetGridMode(c.mode);
      const auto b = Drawn(g, 41, 21);  // borders at y = 5, 11, 16 and x = 10, 21, 31
      EXPECT_EQ(b->Canvas()->Pixels(3, 11) == clRed, c.horizontal) << int(c.mode);
      EXPECT_EQ(b->Canvas()->Pixels(21, 3) == clRed, c.vertical) << int(c.mode);
      EXPECT_EQ(b->Canvas()->Pixels(3, 12), clWhite);
      EXPECT_EQ(b->Canvas()->Pixels(40, 20), clWhite);  // no line at the far edges
    }
}

TEST(TGradFill, DrawsEachTypeAndGridMode) {
  constexpr int kW = 90, kH = 70;
  TBitmap all(4 * kW, 4 * kH);
  TGradFill g(nullptr);
  g.SetNrColors(5);
  g.SetFrameStyle(fsRaised);
  g.SetColorFirst(clNavy);
  g.SetColorLast(RGB(255, 200, 40));
  for (int t = gtHoriz; t <= gtMidBandVert; ++t)
    for (int m = gmNone; m <= gmBoth; ++m) {
      g.SetFillType(TGradType(t));
      g.SetGridMode(TGridMode(m));
      const auto one = Drawn(g, kW - 4, kH - 4);
      all.Canvas()->Draw(m * kW + 2, t * kH + 2, one.get());
    }
  EXPECT_GOLDEN(all, "gradfill-types");
}

namespace {
template <class T>
class TPainting : public T {
 public:
  using T::Paint;
  using T::T;
};
}  // namespace

// Regression: a control too large for its off-screen bitmap (over 2^28 pixels) raised out of Paint;
// it paints nothing instead.
TEST(SmallControls, PaintNothingWhenTheirBitmapCannotBeHad) {
  TPainting<TGradFill> g(nullptr);
  TPainting<TMarkSel> m(nullptr);
  TPainting<TOnOffBut> b(nullptr);
  int paints = 0;
  g.OnPaint = [&](TObject*) { ++paints; };
  m.OnPaint = [&](TObject*) { ++paints; };
  g.SetBounds(0, 0, 30000, 30000);
  m.SetBounds(0, 0, 30000, 30000);
  b.SetBounds(0, 0, 30000, 30000);
  EXPECT_NO_THROW(g.Paint());
  EXPECT_NO_THROW(m.Paint());
  EXPECT_NO_THROW(b.Paint());
  EXPECT_EQ(paints, 0);
}
