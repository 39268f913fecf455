// The chart's transforms and extents, and its ranges: SetRange and its checks, confinement, the
// zoom ring, the isometric rule, equal ranges, joined layers and auto-range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Assertions.h"
#include "Qelta_univconst.h"
#include "RChartTesting.h"

using namespace qelta;
using qelta::testing::RangesOf;
using qelta::testing::TRanges;
using qelta::testing::TTestChart;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A chart whose layer 1 data area is 100 columns (50..150) by 200 rows (20..220).
struct TSizedChart : TTestChart {
  TSizedChart() {
    SetLRim(50);
    SetRRim(20);
    SetTRim(20);
    SetBRim(40);
    SetBounds(0, 0, 170, 260);
  }
};

TPoint Pixel(const TCustomRChart& c, int layer, double x, double y) {
  int px = 0, py = 0;
  c.R2M(layer, x, y, px, py);
  return Point(px, py);
}

}  // namespace

// --- transforms --------------------------------------------------------------------------------

TEST(RChartTransform, LinearAxesPutTheRangeOnTheDataArea) {
  TSizedChart c;
  c.SetRange(1, 0, 0, 10, 10);
  EXPECT_EQ(Pixel(c, 1, 0, 0), Point(50, 220));
  EXPECT_EQ(Pixel(c, 1, 10, 10), Point(150, 20));
  EXPECT_EQ(Pixel(c, 1, 5, 5), Point(100, 120));
  double x = 0, y = 0;
  c.M2R(1, 100, 120, x, y);
  EXPECT_DOUBLE_EQ(x, 5);
  EXPECT_DOUBLE_EQ(y, 5);
  c.SetRange(1, 10, 10, 0, 0);  // high below low: mirrored
  EXPECT_EQ(Pixel(c, 1, 0, 0), Point(150, 20));
}

TEST(RChartTransform, LogarithmicAxesMapDecadesEvenly) {
  TSizedChart c;
  c.SetRange(1, 1, 1, 100, 100);
  c.Scale1Y()->SetLogarithmic(true);
  c.Scale1X()->SetLogarithmic(true);
  EXPECT_EQ(Pixel(c, 1, 10, 10), Point(100, 20 + 100));
  double x = 0, y = 0;
  c.M2R(1, 100, 120, x, y);
  EXPECT_NEAR_REL(x, 10, 1e-12);
  EXPECT_NEAR_REL(y, 10, 1e-12);
  // Values a logarithmic axis cannot show go to the low edge, by direction.
  EXPECT_EQ(Pixel(c, 1, 0, -5), Point(0, 260));
  c.SetRange(1, 100, 100, 1, 1);
  EXPECT_EQ(Pixel(c, 1, 1e-100, 0), Point(170, 0));
}

TEST(RChartTransform, PixelsAreClampedAndRoundedHalfToEven) {
  TSizedChart c;
  c.SetRange(1, 0, 0, 100, 200);  // one unit per pixel
  EXPECT_EQ(Pixel(c, 1, 0.5, 0), Point(50, 220));
  EXPECT_EQ(Pixel(c, 1, 1.5, 0), Point(52, 220));
  EXPECT_EQ(Pixel(c, 1, 1e300, -1e300), Point(2147483647, 2147483647));
  EXPECT_EQ(Pixel(c, 1, -kInf, kInf), Point(-2147483647, -2147483647));
  EXPECT_EQ(Pixel(c, 1, std::nan(""), 0).X, 0);
  // Layers outside the chart are clamped into it.
  EXPECT_EQ(Pixel(c, 0, 10, 10), Pixel(c, 1, 10, 10));
  EXPECT_EQ(Pixel(c, 7, 0.5, 0.5), Pixel(c, 2, 0.5, 0.5));
}

TEST(RChartTransform, M2RClampsItsLayerLikeR2M) {
  // Regression: M2R indexed the coefficient tables with any layer.
  TSizedChart c;
  c.SetRange(1, 0, 0, 10, 10);
  c.SetRange(2, 0, 0, 1, 1);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0, x9 = 0, y9 = 0;
  c.M2R(0, 100, 120, x0, y0);
  c.M2R(1, 100, 120, x1, y1);
  c.M2R(9, 100, 120, x9, y9);
  EXPECT_EQ(x0, x1);
  EXPECT_EQ(y0, y1);
  EXPECT_DOUBLE_EQ(x9, 0.5);
}

TEST(RChartTransform, ZeroOrNonFiniteSpansGiveAnAxisOfNoSize) {
  // Regression: the division by a zero span gave infinite or NaN pixels.
  TTestChart c;
  for (double big : {1e20, 1e300}) {
    c.Scale1X()->SetMinRange(1e-10);
    TScaleProps* x = c.Scale1X();
    x->SetRangeHigh(big);
    x->SetRangeLow(big);  // within MinRange of RangeHigh: big + MinRange = big
    EXPECT_EQ(x->RangeLow(), x->RangeHigh()) << big;
    EXPECT_EQ(c.Kx(1), 0) << big;
    EXPECT_EQ(Pixel(c, 1, big, 0).X, 140) << big;
    double rx = 0, ry = 0;
    c.M2R(1, 3, 3, rx, ry);
    EXPECT_EQ(rx, big) << big;
  }
}

TEST(RChartTransform, AdjustScalingRaisesForALogarithmicAxisWithoutAPositiveRange) {
  TTestChart c;
  c.SetRange(1, 1, 1, 10, 10);
  c.Scale2Y()->SetLogarithmic(true);  // layer 2's y is 0..1
  EXPECT_THROW_MSG(c.AdjustScaling(), EQeltaRChartError, "Logarithmic axis must not be negative.");
  EXPECT_EQ(c.Kx(2), 210);  // the axes before it were rebuilt
  c.SetRange(2, 1, 1, 10, 10);
  c.AdjustScaling();
  EXPECT_LT(c.Ky(2), 0);
}

// --- extents -----------------------------------------------------------------------------------

TEST(RChartExtents, LLCalcExtentsAppliesMarginAndMinimumRange) {
  struct Case {
    const char* name;
    double margin, minRange;
    double minX, maxX;
  };
  const Case cases[] = {{"span 0..100, margin 10", 10, 0, -10, 110}, {"span 0..100, no margin", 0, 0, 0, 100}};
  for (const Case& k : cases) {
    TTestChart c;
    c.MarkAt(0, 0, 0);
    c.MarkAt(100, 100, 0);
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    c.LLCalcExtents(1, k.margin, k.minRange, minX, minY, maxX, maxY);
    EXPECT_DOUBLE_EQ(minX, k.minX) << k.name;
    EXPECT_DOUBLE_EQ(maxX, k.maxX) << k.name;
    EXPECT_DOUBLE_EQ(minY, k.minX) << k.name;
  }
  TTestChart c;
  c.MarkAt(50, 50, 0);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  c.LLCalcExtents(1, 0, 10, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{45, 45, 55, 55}));
  c.LLCalcExtents(2, 10, 10, minX, minY, maxX, maxY);  // no item on layer 2
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{0, 0, 0, 0}));
}

TEST(RChartExtents, ExtentsCountSecondPointsAndEllipseAxesButNoPixelOffsets) {
  TTestChart c;
  c.Line(0, 0, 4, 5);
  c.Ellipse(10, 10, 2, 3);
  c.RectangleRelPix(100, 100, 5, 5);
  c.MoveToRelPix(-100, -100);
  c.Text(1, 1, 10, u"t", 500, 500, taCenter);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  c.LLCalcExtents(1, 0, 0, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{0, 0, 12, 13}));
}

TEST(RChartExtents, ALayerOfPixelRelativeItemsCountsAsEmpty) {
  // Regression: the extents stayed at +-uc_MaxDouble and the margin made them infinite.
  TTestChart c;
  c.MoveToRelPix(3, 3);
  c.RectangleRelPix(1, 1, 2, 2);
  double minX = 1, minY = 1, maxX = 1, maxY = 1;
  c.LLCalcExtents(1, 10, 0, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{0, 0, 0, 0}));
  c.AutoRange(1, 10);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{-1, -1, 1, 1}));
}

TEST(RChartExtents, TheMinimumRangeWidensNegativeDataToo) {
  // Regression: taken from the signed centre, the minimum range never widened negative data.
  TTestChart c;
  c.MarkAt(-50, -50, 0);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  c.LLCalcExtents(1, 0, 10, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{-55, -55, -45, -45}));
}

TEST(RChartExtents, LogarithmicMarginsFollowTheRatio) {
  TTestChart c;
  c.SetRange(1, 1, 1, 1000, 1000);
  c.Scale1X()->SetLogarithmic(true);
  c.MarkAt(10, 10, 0);
  c.MarkAt(1000, 1000, 0);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  c.LLCalcExtents(1, 50, 0, minX, minY, maxX, maxY);
  EXPECT_NEAR_REL(minX, 1, 1e-12);  // half the ratio 100 on both sides: x 10 / 10, 1000 x 10
  EXPECT_NEAR_REL(maxX, 10000, 1e-12);
  EXPECT_DOUBLE_EQ(minY, 10 - 495);  // y is linear
}

TEST(RChartExtents, NoLogarithmicMarginOnNonPositiveExtents) {
  // Regression: with a maximum <= 0 the margin took the logarithm of a non-positive number.
  TTestChart c;
  c.Scale1X()->SetLogarithmic(true);  // made at run time: accepted on 0..1
  c.MarkAt(-8, 0, 0);
  c.MarkAt(-2, 0, 0);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  c.LLCalcExtents(1, 10, 0, minX, minY, maxX, maxY);
  EXPECT_EQ(minX, -8);
  EXPECT_EQ(maxX, -2);
}

TEST(RChartExtents, FindMinMaxCountsOnlyPointsStrictlyInsideTheWindow) {
  TTestChart c;
  c.MarkAt(0, 5, 0);  // on the left bound
  c.MarkAt(3, 4, 0);
  c.Line(1, 1, 8, 9);
  c.SetActiveLayer(2);
  c.MarkAt(2, 2, 0);
  c.MoveToRelPix(5, 5);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  c.FindMinMax(1, 0, 0, 10, 10, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{1, 1, 8, 9}));
  c.FindMinMax(0, 0, 0, 10, 10, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{1, 1, 8, 9}));
  c.FindMinMax(2, 0, 0, 10, 10, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{2, 2, 2, 2}));
  c.FindMinMax(1, 20, 20, 30, 30, minX, minY, maxX, maxY);
  EXPECT_EQ((TRanges{minX, minY, maxX, maxY}), (TRanges{uc_MaxDouble, uc_MaxDouble, -uc_MaxDouble, -uc_MaxDouble}));
}

// --- SetRange and its checks -------------------------------------------------------------------

TEST(RChartRange, EmptySpansAreWidened) {
  TTestChart c;
  c.SetRange(1, 5, 0, 5, 10);
  const TRanges r = RangesOf(c, 1);
  EXPECT_NEAR(r.xLo, 5 - 0.5e-10, 1e-15);
  EXPECT_NEAR(r.xHi, 5 + 0.5e-10, 1e-15);
  EXPECT_EQ(r.yHi, 10);
  c.Scale1X()->SetMinRange(2);
  c.SetRange(1, 5, 0, 5, 10);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{4, 0, 6, 10}));
  c.SetRange(2, 1, 1, 1000, 1000);
  c.Scale2X()->SetLogarithmic(true);
  c.SetRange(2, 5, 1, 5, 10);
  EXPECT_DOUBLE_EQ(RangesOf(c, 2).xLo, 5 / 1.1);
  EXPECT_DOUBLE_EQ(RangesOf(c, 2).xHi, 5 * 1.1);
}

TEST(RChartRange, AnEmptySpanWidenedByMinRangeIsNotDroppedByRounding) {
  // Regression: x +- MinRange/2 came out a hair narrower than MinRange, so the widened span was
  // refused and the axis kept its old range.
  for (double x : {5.0, 10.0, 0.1, 123.456, 1e5}) {
    TTestChart c;
    c.SetRange(1, x, 0, x, 1);
    const TRanges r = RangesOf(c, 1);
    EXPECT_LT(r.xLo, x) << x;
    EXPECT_GT(r.xHi, x) << x;
  }
}

TEST(RChartRange, RequestsBelowMinRangeOrNotFiniteKeepTheAxis) {
  // Regression: an infinite request passed the span test and was stored.
  struct Case {
    const char* name;
    double xLo, xHi;
  };
  const Case cases[] = {{"narrower than MinRange", 3, 3.5},
                        {"infinite high end", 0, kInf},
                        {"infinite low end", -kInf, 1},
                        {"NaN", std::nan(""), 1}};
  for (const Case& k : cases) {
    TTestChart c;
    c.Scale1X()->SetMinRange(1);
    c.SetRange(1, k.xLo, 2, k.xHi, 8);
    EXPECT_EQ(RangesOf(c, 1), (TRanges{0, 2, 1, 8})) << k.name;  // y is still stored
  }
  TTestChart c;
  c.SetRange(1, 1e30, 0, 1e30, 1);  // 1e30 +- MinRange/2 is 1e30: nothing to widen
  EXPECT_EQ(RangesOf(c, 1).xHi, 1);
}

TEST(RChartRange, LogarithmicAxesStoreOnlyPositiveBoundsAndNeverAnEmptySpan) {
  TTestChart c;
  c.SetRange(1, 1, 1, 10, 10);
  c.Scale1Y()->SetLogarithmic(true);
  c.SetRange(1, 1, -3, 10, 100);
  EXPECT_EQ(RangesOf(c, 1).yLo, 1);
  EXPECT_EQ(RangesOf(c, 1).yHi, 100);
  // Regression: stored one by one the bounds ended equal (10 and, kept, 10) and the axis broke.
  c.SetRange(1, 1, 100, 10, -5);
  EXPECT_EQ(RangesOf(c, 1).yLo, 1);
  EXPECT_EQ(RangesOf(c, 1).yHi, 100);
  EXPECT_LT(c.Ky(1), 0);
}

TEST(RChartRange, LayersOutsideTheChartAreIgnored) {
  // Regression: the range operations indexed the per-layer tables with any layer.
  TTestChart c;
  c.MarkAt(5, 5, 0);
  for (int layer : {-1, 3, 100}) {
    c.SetRange(layer, 3, 3, 4, 4);
    c.ForceRange(layer, 3, 3, 4, 4, true, false);
    c.AutoRange(layer, 10);
    c.AutoRangeXOnly(layer, 10);
    c.AutoRangeYOnly(layer, 10);
    c.SetRangeIntern(layer, 3, 3, 4, 4, true, false);
    EXPECT_FALSE(c.ForceRngIntern(layer, 3, 3, 4, 4, true, false));
  }
  EXPECT_EQ(RangesOf(c, 1), (TRanges{0, 0, 1, 1}));
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Right, 0);  // nothing pushed
  c.SetRange(0, 3, 3, 4, 4);  // 0 is every layer
  EXPECT_EQ(RangesOf(c, 2), (TRanges{3, 3, 4, 4}));
}

TEST(RChartRange, ConfinementShiftsPannedWindowsAndClipsOthers) {
  struct Case {
    TMouseActMode action;
    double lo, hi, keptLo, keptHi;
  };
  const Case cases[] = {{maPan, 90, 120, 70, 100},     {maZoomWind, 90, 120, 90, 100}, {maPanHoriz, -10, 20, 0, 30},
                        {maPanVert, -10, 20, 0, 20},   {maPan, 50, 60, 50, 60},        {maPan, -50, 150, -100, 100}};
  for (const Case& k : cases) {
    TTestChart c;
    c.ConfineZoomRange(0, 0, 100, 100);
    c.SetMouseAction(k.action);
    c.ForceRange(1, k.lo, 0, k.hi, 10, false, true);
    EXPECT_EQ(RangesOf(c, 1).xLo, k.keptLo) << k.action << " " << k.lo;
    EXPECT_EQ(RangesOf(c, 1).xHi, k.keptHi) << k.action << " " << k.lo;
    c.ForceRange(1, k.lo, 0, k.hi, 10, false, false);  // unconfined
    EXPECT_EQ(RangesOf(c, 1).xLo, k.lo);
  }
  TTestChart c;
  c.ConfineZoomRange(0, 0, 0, 0);  // four zeros: no confinement
  c.ForceRange(1, -50, 0, 50, 1, false, true);
  EXPECT_EQ(RangesOf(c, 1).xLo, -50);
}

// --- zoom ring ---------------------------------------------------------------------------------

TEST(RChartRange, TheRingKeepsTheSixteenNewestEntries) {
  TTestChart c;
  for (int i = 1; i <= 17; ++i) c.SetRange(1, i, 0, i + 1, 1);  // 17 pushes after the first entry
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Left, 17);
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Left, 16);
  EXPECT_EQ(c.GetZoomStackEntry(1, -15).Left, 2);  // the creation entry and the first push are gone
  const TRectDouble e = c.GetZoomStackEntry(1, 0);
  EXPECT_EQ((TRanges{e.Left, e.Bottom, e.Right, e.Top}), (TRanges{17, 0, 18, 1}));
  for (int bad : {1, -16}) {
    const TRectDouble z = c.GetZoomStackEntry(1, bad);
    EXPECT_EQ((TRanges{z.Left, z.Bottom, z.Right, z.Top}), (TRanges{0, 0, 0, 0})) << bad;
  }
  EXPECT_EQ(c.GetZoomStackEntry(0, 0).Left, 0);
  EXPECT_EQ(c.GetZoomStackEntry(3, 0).Left, 0);
}

TEST(RChartRange, ZoomHistoryReturnsToAnEntryWithoutPushing) {
  TTestChart c;
  c.SetRange(1, 10, 10, 20, 20);
  c.SetRange(1, 30, 30, 40, 40);
  c.ZoomHistory(-1);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{10, 10, 20, 20}));
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Left, 30);  // nothing pushed
  c.ZoomHistory(-2);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{0, 0, 1, 1}));
  c.ZoomHistory(1);
  c.ZoomHistory(-16);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{0, 0, 1, 1}));
}

TEST(RChartRange, ZoomHistoryOnAnEmptyEntryKeepsTheRangesAndStillPaints) {
  TTestChart c;
  c.SetRange(1, 10, 10, 20, 20);
  c.EnablePainting();
  c.ZoomHistory(-9);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{10, 10, 20, 20}));
  EXPECT_EQ(c.Paints, 1);
  c.ZoomHistory(3);  // outside: nothing at all
  EXPECT_EQ(c.Paints, 1);
}

TEST(RChartRange, ClearZoomHistoryLeavesThePresentRangesAsTheOnlyEntry) {
  TTestChart c;
  c.SetRange(1, 10, 10, 20, 20);
  c.SetRange(1, 30, 30, 40, 40);
  c.ClearZoomHistory();
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Left, 30);
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Left, 0);
  EXPECT_EQ(c.GetZoomStackEntry(2, 0).Right, 1);
}

// --- joined layers -----------------------------------------------------------------------------

TEST(RChartRange, AJoinedLayerFollowsItsMasterAndIgnoresDirectRequests) {
  TTestChart c;
  c.JointLayers()->SetL02xControlledBy(1);
  c.SetRange(1, 10, 0, 20, 1);
  EXPECT_EQ(RangesOf(c, 2).xLo, 10);
  EXPECT_EQ(RangesOf(c, 2).xHi, 20);
  c.SetRange(2, 50, 5, 60, 6);  // x is moved only through layer 1
  EXPECT_EQ(RangesOf(c, 2), (TRanges{10, 5, 20, 6}));
  c.Scale1X()->SetRangeHigh(30);  // a settings change is forced through the join as well
  EXPECT_EQ(RangesOf(c, 2).xHi, 30);
}

TEST(RChartRange, RefreshingJoinedLayersPushesTheRingOnceOrNotAtAll) {
  // Regression: every refresh of a joined layer pushed the ring, so a pan (which asks for no push)
  // or ZoomHistory pushed entries and the ring walked away under the host.
  TTestChart c;
  c.JointLayers()->SetL02xControlledBy(1);
  c.SetRange(1, 10, 0, 20, 1);
  c.SetRange(1, 30, 0, 40, 1);
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Left, 10);  // one push per SetRange
  c.ForceRange(1, 35, 0, 45, 1, false, false);   // a pan step
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Left, 30);
  c.ZoomHistory(-1);
  EXPECT_EQ(RangesOf(c, 1).xLo, 10);
  EXPECT_EQ(RangesOf(c, 2).xLo, 10);
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Left, 30);
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Left, 10);
}

// --- isometric rule and equal ranges -----------------------------------------------------------

TEST(RChartRange, IsometricModeGivesYTheSpanOfXAtThePixelAspect) {
  TTestChart c;  // data area 211 x 141 pixels
  c.SetRange(1, 0, 10, 211, 20);
  c.SetIsometric(true);
  TRanges r = RangesOf(c, 1);
  EXPECT_DOUBLE_EQ(r.yHi - r.yLo, 141);
  EXPECT_DOUBLE_EQ((r.yHi + r.yLo) / 2, 15);
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Bottom, r.yLo);  // pushed
  c.SetRange(1, 0, 0, 422, 0);
  r = RangesOf(c, 1);
  EXPECT_DOUBLE_EQ(r.yHi - r.yLo, 282);
  c.SetIsometric(false);  // off only stores the flag
  EXPECT_EQ(RangesOf(c, 1), r);
  EXPECT_FALSE(c.Isometric());
}

TEST(RChartRange, SetEqualRangeGivesTheLayersTheUnionOfTheirRanges) {
  struct Case {
    const char* name;
    void (TCustomRChart::*set)(const TLayerSet&);
    TRanges one, two;
  };
  const Case cases[] = {{"both", &TCustomRChart::SetEqualRange, {-5, 0, 10, 20}, {-5, 0, 10, 20}},
                        {"x only", &TCustomRChart::SetEqualRangeXOnly, {-5, 0, 10, 1}, {-5, 2, 10, 20}},
                        {"y only", &TCustomRChart::SetEqualRangeYOnly, {0, 0, 10, 20}, {-5, 0, 5, 20}}};
  for (const Case& k : cases) {
    TTestChart c;
    c.SetRange(1, 0, 0, 10, 1);
    c.SetRange(2, -5, 2, 5, 20);
    (c.*k.set)(TLayerSet{1, 2});
    EXPECT_EQ(RangesOf(c, 1), k.one) << k.name;
    EXPECT_EQ(RangesOf(c, 2), k.two) << k.name;
    (c.*k.set)(TLayerSet{});  // an empty set does nothing
    EXPECT_EQ(RangesOf(c, 1), k.one) << k.name;
  }
}

// --- auto-range --------------------------------------------------------------------------------

TEST(RChartRange, AutoRangeFitsTheRangesToTheItems) {
  TTestChart c;
  c.MarkAt(0, 10, 0);
  c.MarkAt(100, 30, 0);
  c.AutoRange(1, 10);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{-10, 8, 110, 32}));
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Left, -10);  // pushed
  c.AutoRange(2, 10);  // no items: -1..1
  EXPECT_EQ(RangesOf(c, 2), (TRanges{-1, -1, 1, 1}));
}

TEST(RChartRange, TheMinimumRangeAppliesOnTheOneLayerPathAndOnlyWithAMarginOnTheOther) {
  TTestChart a, b, d;
  for (TTestChart* c : {&a, &b, &d}) c->MarkAt(50, 50, 0);
  a.AutoRange(1, 0, 50);
  EXPECT_EQ(RangesOf(a, 1), (TRanges{25, 25, 75, 75}));
  b.AutoRange(0, 0, 50);
  EXPECT_EQ(RangesOf(b, 1), (TRanges{49, 49, 51, 51}));
  d.AutoRange(0, 1, 50);
  EXPECT_NEAR(RangesOf(d, 1).xLo, 49 - 0.02 - 25, 1e-9);  // margin 1 % of the span, then 50 % of |centre|
  EXPECT_NEAR(RangesOf(d, 1).yHi, 51 + 0.02 + 25, 1e-9);
}

TEST(RChartRange, IsometricAutoRangeSetsYOnlyOnTheOneLayerPath) {
  TTestChart a, b;
  for (TTestChart* c : {&a, &b}) {
    c->SetIsometric(true);
    c->MarkAt(0, 0, 0);
    c->MarkAt(211, 10, 0);
  }
  a.AutoRange(1, 0);
  EXPECT_DOUBLE_EQ(RangesOf(a, 1).yHi - RangesOf(a, 1).yLo, 141);
  b.AutoRange(0, 0);
  EXPECT_EQ(RangesOf(b, 1), (TRanges{0, 0, 211, 10}));
  EXPECT_TRUE(b.Isometric());
}

TEST(RChartRange, OneAxisAutoRangeOnOneLayerSwitchesIsometricModeOff) {
  TTestChart c;
  c.MarkAt(2, 3, 0);
  c.MarkAt(4, 9, 0);
  c.SetRange(1, 0, 0, 1, 1);
  c.SetIsometric(true);
  c.AutoRangeXOnly(0, 0);
  EXPECT_TRUE(c.Isometric());
  EXPECT_EQ(RangesOf(c, 1).xLo, 2);
  const TRanges before = RangesOf(c, 1);
  c.AutoRangeXOnly(1, 0);
  EXPECT_FALSE(c.Isometric());
  EXPECT_EQ(RangesOf(c, 1).yLo, before.yLo);
  c.AutoRangeYOnly(1, 0);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{2, 3, 4, 9}));
}

TEST(RChartRange, AllLayerAutoRangeFeedsJoinedLayersIntoTheirMasters) {
  TTestChart c;
  c.MarkAt(0, 0, 0);
  c.MarkAt(10, 10, 0);
  c.SetActiveLayer(2);
  c.MarkAt(20, 100, 0);
  c.MarkAt(30, 200, 0);
  c.JointLayers()->SetL02xControlledBy(1);
  c.AutoRange(0, 0);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{0, 0, 30, 10}));
  EXPECT_EQ(RangesOf(c, 2), (TRanges{0, 100, 30, 200}));
  c.SetLayerVisib(2, false);  // an invisible layer feeds nothing
  c.AutoRange(0, 0);
  EXPECT_EQ(RangesOf(c, 1).xHi, 10);
  EXPECT_EQ(RangesOf(c, 2).xHi, 10);
}

TEST(RChartRange, AllLayerAutoRangeSkipsJoinedLayersWithoutItems) {
  // Regression: an empty joined layer fed the point (0, 0) into its master.
  TTestChart c;
  c.MarkAt(5, 5, 0);
  c.MarkAt(10, 10, 0);
  c.JointLayers()->SetL02xControlledBy(1);
  c.JointLayers()->SetL02yControlledBy(1);
  c.AutoRange(0, 0);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{5, 5, 10, 10}));
  EXPECT_EQ(RangesOf(c, 2), (TRanges{5, 5, 10, 10}));
  // ... and an empty master takes its follower's extents alone.
  TTestChart d;
  d.SetActiveLayer(2);
  d.MarkAt(5, 5, 0);
  d.MarkAt(10, 10, 0);
  d.JointLayers()->SetL02xControlledBy(1);
  d.AutoRange(0, 0);
  EXPECT_EQ(RangesOf(d, 1).xLo, 5);
}

TEST(RChartRange, AllLayerAutoRangeLeavesOutTheMarginOfNonPositiveLogExtents) {
  // Regression: the logarithmic margin divided by or took the logarithm of a non-positive bound.
  TTestChart c;
  c.Scale1X()->SetLogarithmic(true);  // made at run time: accepted on 0..1
  c.MarkAt(0, 0, 0);
  c.MarkAt(100, 100, 0);
  c.AutoRange(0, 10);
  const TRanges r = RangesOf(c, 1);
  EXPECT_TRUE(std::isfinite(r.xLo) && std::isfinite(r.xHi));
  EXPECT_EQ(r.xHi, 100);  // no margin on x; the 0 bound cannot be stored on the log axis
  EXPECT_EQ(r.yLo, -10);
  EXPECT_EQ(r.yHi, 110);
}

TEST(RChartRange, AllLayerAutoRangeIsConfinedAndPushesNothing) {
  TTestChart c;
  c.MarkAt(-50, 0, 0);
  c.MarkAt(150, 1, 0);
  c.ConfineZoomRange(0, -10, 100, 10);
  c.AutoRange(0, 0);
  EXPECT_EQ(RangesOf(c, 1).xLo, 0);
  EXPECT_EQ(RangesOf(c, 1).xHi, 100);
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Left, 0);  // still only the creation entry
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Right, 1);
}
