// The Smith chart: a new chart, the conversions between impedance and reflection coefficient, the
// grid's arcs and labels at pinned pixels, the detail levels, the range writers and the colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "Forms.h"
#include "Qelta_rchart.h"
#include "Qelta_univconst.h"
#include "RChartTesting.h"
#include "Testing.h"

using namespace qelta;
using qelta::testing::RangesOf;
using qelta::testing::TraceOf;
using qelta::testing::TRanges;

namespace {

class TTestSmith : public TSmithChart {
 public:
  TTestSmith() : TSmithChart(nullptr) {}
  int Paints = 0;
  void EnablePainting() {
    SetSuppressPaint(false);
    Paints = 0;
  }
  using TCustomRChart::GrafBmp;
  using TSmithChart::InitGraf;
  void CallPaint() { Paint(); }

 protected:
  void Paint() override {
    if (PaintAllowed()) ++Paints;
    TSmithChart::Paint();
  }
};

// A data area of w x 300 pixels showing -1..1 across (so the unit circle is w pixels wide) and,
// isometric, -1..1 up for w = 300: reflection coefficient (gr, gi) on data pixel
// (150 (gr + 1), 150 (1 - gi)).
void Diagram(TTestSmith& s, int w) {
  s.SetBounds(0, 0, 50 + 20 + w, 20 + 40 + 300);
  s.SetRange(-1, -1, 1, 1);
}

// The texts the grid writes, in order.
std::vector<std::string> GridTexts(TTestSmith& s) {
  TCanvas* canvas = s.GrafBmp()->Canvas();
  std::vector<std::string> texts;
  for (const TCanvasTraceRecord& r : TraceOf(canvas, [&] { s.InitGraf(canvas, 0, 0); }).Find("TextOut"))
    texts.push_back(StringToUtf8(r.Text));
  return texts;
}

}  // namespace

TEST(SmithChart, ANewChartShowsMinus12To12IsometricWithoutScales) {
  TTestSmith s;
  EXPECT_EQ(RangesOf(s, 1), (TRanges{-1.2, -1.2, 1.2, 1.2}));
  EXPECT_EQ(s.RangeXLow(), -1.2);
  EXPECT_EQ(s.RangeYHigh(), 1.2);
  EXPECT_TRUE(s.Isometric());
  EXPECT_EQ(s.GridStyle(), gsPoints);
  EXPECT_EQ(s.GridDx(), 0);
  EXPECT_EQ(s.GridDy(), 0);
  EXPECT_EQ(s.GridColorLight(), TColor(0xDBDBDB));
  EXPECT_EQ(s.GridColorDark(), TColor(0xA7A7A7));
  EXPECT_EQ(s.DiagramColor(), TColor(0xF8E8E8));
  for (int l = 1; l <= MaxChartLayers; ++l) {
    EXPECT_FALSE(s.GetScalePropsX(l)->Visible());
    EXPECT_FALSE(s.GetScalePropsY(l)->Visible());
  }
  EXPECT_EQ(s.MarginLeft(), 50);
  EXPECT_EQ(s.MarginBottom(), 40);
  EXPECT_TRUE(s.SuppressPaint());
  EXPECT_EQ(s.GetZoomStackEntry(1, 0).Left, -1.2);
  EXPECT_EQ(s.GetZoomStackEntry(1, -1).Left, 0) << "one ring entry: the chart's own ranges";
}

TEST(SmithChart, OnAShownFormItPaintsOnceItsWindowExists) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 400);
  auto* s = new TSmithChart(&form);
  s->SetParent(&form);
  s->SetBounds(0, 0, 400, 400);
  int paints = 0;
  s->OnDataRendered = [&](TObject*, TCanvas*, int, int) { ++paints; };
  s->MarkAt(0, 0, 1);
  EXPECT_EQ(paints, 0);
  user.Show(&form);
  EXPECT_EQ(paints, 1);
  auto shot = user.Grab(s);
  int diagram = 0;
  for (int y = 0; y < shot->Height(); ++y)
    for (int x = 0; x < shot->Width(); ++x) diagram += shot->Canvas()->Pixels(x, y) == TColor(0xF8E8E8);
  EXPECT_GT(diagram, 20000);
}

// --- conversions ----------------------------------------------------------------------------------

struct ImpedanceCase {
  double r, x, gr, gi;
};

TEST(SmithChart, ImpedancesAndReflectionCoefficientsConvertBothWays) {
  const ImpedanceCase cases[] = {
      {1, 0, 0, 0},       {0, 1, 0, 1},     {0, -1, 0, -1},     {0, 0, -1, 0},
      {2, 0, 1.0 / 3, 0}, {1, 1, 0.2, 0.4}, {1, -1, 0.2, -0.4}, {0.5, 2, 0.52, 0.64},
  };  // g = (z - 1)/(z + 1) by hand
  for (const ImpedanceCase& c : cases) {
    EXPECT_NEAR(TSmithChart::CalcReflectionReal(c.r, c.x), c.gr, 1e-15) << c.r << " " << c.x;
    EXPECT_NEAR(TSmithChart::CalcReflectionImag(c.r, c.x), c.gi, 1e-15) << c.r << " " << c.x;
    if (c.gr == 1) continue;
    EXPECT_NEAR(TSmithChart::CalcResistance(c.gr, c.gi), c.r, 1e-14) << c.r << " " << c.x;
    EXPECT_NEAR(TSmithChart::CalcReactance(c.gr, c.gi), c.x, 1e-14) << c.r << " " << c.x;
  }
  EXPECT_EQ(TSmithChart::CalcResistance(1, 0), static_cast<double>(uc_MaxReal));
  EXPECT_EQ(TSmithChart::CalcReactance(1, 0), static_cast<double>(uc_MaxReal));
}

TEST(SmithChart, ConversionsRoundTripOverAGridOfImpedances) {
  for (double r = 0; r <= 20; r += 0.37)
    for (double x = -20; x <= 20; x += 0.53) {
      const double gr = TSmithChart::CalcReflectionReal(r, x), gi = TSmithChart::CalcReflectionImag(r, x);
      EXPECT_LE(gr * gr + gi * gi, 1 + 1e-12);
      EXPECT_NEAR(TSmithChart::CalcResistance(gr, gi), r, 1e-9 * (1 + r * r + x * x));
      EXPECT_NEAR(TSmithChart::CalcReactance(gr, gi), x, 1e-9 * (1 + r * r + x * x));
    }
}

// --- the grid -------------------------------------------------------------------------------------

TEST(SmithChart, TheGridArcsRunFromTheRayPointsMappedThroughTheChart) {
  TTestSmith s;
  Diagram(s, 300);
  TCanvas* canvas = s.GrafBmp()->Canvas();
  const TCanvasTrace t = TraceOf(canvas, [&] { s.InitGraf(canvas, 0, 0); });
  const std::vector<TCanvasTraceRecord> ellipse = t.Find("Ellipse"), arcs = t.Find("Arc");
  ASSERT_EQ(ellipse.size(), 1u);
  EXPECT_EQ(ellipse[0].Args, (std::vector<int64_t>{0, 300, 300, 0}));  // the unit circle
  ASSERT_EQ(arcs.size(), 20u + 38u);
  // r = 0: the unit circle again, its rays on the same pixel (the whole circle).
  EXPECT_EQ(arcs[0].Args, (std::vector<int64_t>{0, 300, 300, 0, 0, 150, 0, 150}));
  // r = 1: centre 0.5, radius 0.5, the gap of 0.395 rad on either side of g = 1.
  EXPECT_EQ(arcs[10].Args, (std::vector<int64_t>{150, 225, 300, 75, 294, 121, 294, 179}));
  // x = +1 and -1: circles of centre (1, +-1) from the unit circle to the ray towards g = 1.
  const int k10 = 20 + 2 * 9;
  EXPECT_EQ(arcs[k10].Args, (std::vector<int64_t>{150, 150, 450, -150, 150, 0, 300, 150}));
  EXPECT_EQ(arcs[k10 + 1].Args, (std::vector<int64_t>{150, 450, 450, 150, 300, 150, 150, 300}));
  // Drawn: z = 1 + j (g = 0.2 + 0.4j) lies on both the r = 1 circle and the x = 1 arc.
  EXPECT_EQ(canvas->Pixels(180, 90), s.GridColorDark());
  EXPECT_EQ(canvas->Pixels(75, 150), s.GridColorDark());  // the real axis
  EXPECT_EQ(canvas->Pixels(5, 5), s.ChartColor());        // outside the unit circle
}

// Regression: grid points were kept to +-30000 pixels like item pixels, so the circles of a
// zoomed-in diagram were drawn as other, smaller ellipses.
TEST(SmithChart, AZoomedInGridKeepsItsCirclesBeyondThirtyThousandPixels) {
  TTestSmith s;
  Diagram(s, 300);
  s.SetRange(-0.001, -0.001, 0.001, 0.001);  // 150000 pixels per unit
  TCanvas* canvas = s.GrafBmp()->Canvas();
  const TCanvasTrace t = TraceOf(canvas, [&] { s.InitGraf(canvas, 0, 0); });
  ASSERT_EQ(t.Count("Ellipse"), 1);
  EXPECT_EQ(t.Find("Ellipse")[0].Args, (std::vector<int64_t>{-149850, 150150, 150150, -149850}));
  EXPECT_EQ(t.Find("Arc")[10].Args[2], 150150);           // r = 1 reaches g = 1
  EXPECT_EQ(canvas->Pixels(150, 60), s.GridColorDark());  // r = 1 passes through g = 0
}

TEST(SmithChart, LabelsSitOnTheRealAxisAndTenPixelsOutsideTheUnitCircle) {
  TTestSmith s;
  Diagram(s, 300);
  TCanvas* canvas = s.GrafBmp()->Canvas();
  const TCanvasTrace t = TraceOf(canvas, [&] { s.InitGraf(canvas, 0, 0); });
  canvas->SetFont(s.Font());
  const auto at = [&](const char16_t* text, int x, int y) {
    return std::vector<int64_t>{x - canvas->TextWidth(text) / 2, y - canvas->TextHeight(text) / 2};
  };
  std::vector<TCanvasTraceRecord> texts = t.Find("TextOut");
  const auto find = [&](const char16_t* text, size_t from) {
    for (size_t i = from; i < texts.size(); ++i)
      if (texts[i].Text == text) return texts[i].Args;
    return std::vector<int64_t>{};
  };
  EXPECT_EQ(find(u"0.5", 0), at(u"0.5", 54, 22));  // (-0.6, 0.8), 6 left and 8 up
  EXPECT_EQ(find(u"-0.5", 0), at(u"-0.5", 54, 278));
  EXPECT_EQ(find(u"1", 0), at(u"1", 150, -10));  // straight up from the centre's column
  EXPECT_EQ(find(u"-1", 0), at(u"-1", 150, 310));
  const size_t resistance = texts.size() - 7;  // the resistance labels come last
  EXPECT_EQ(texts[resistance].Text, u"0");
  EXPECT_EQ(find(u"0", resistance), at(u"0", 0, 150));
  EXPECT_EQ(find(u"1", resistance), at(u"1", 150, 150));
  EXPECT_EQ(find(u"0.5", resistance), at(u"0.5", 100, 150));
}

TEST(SmithChart, ALabelOnTheCentresRowMovesTenPixelsSideways) {
  TTestSmith s;
  s.SetBounds(0, 0, 370, 360);
  s.SetRange(-100, -100, 100, 100);  // the unit circle is 3 pixels wide: x = +-10 meets it on the centre's row
  TCanvas* canvas = s.GrafBmp()->Canvas();
  const TCanvasTrace t = TraceOf(canvas, [&] { s.InitGraf(canvas, 0, 0); });
  canvas->SetFont(s.Font());
  int cx = 0, cy = 0, mx = 0, my = 0;
  s.R2M(0, 0, cx, cy);
  s.R2M(0.99 / 1.01, 0.2 / 1.01, mx, my);
  ASSERT_EQ(my, cy);
  ASSERT_GT(mx, cx);
  const std::vector<TCanvasTraceRecord> texts = t.Find("TextOut");
  int seen = 0;
  for (size_t i = 0; i + 7 < texts.size(); ++i) {  // the reactance labels (the last 7 are resistances)
    const TCanvasTraceRecord& r = texts[i];
    if (r.Text != u"10" && r.Text != u"-10") continue;
    ++seen;
    EXPECT_EQ(r.Args[0], mx - 50 + 10 - canvas->TextWidth(r.Text) / 2) << StringToUtf8(r.Text);
    EXPECT_EQ(r.Args[1], cy - 20 - canvas->TextHeight(r.Text) / 2) << StringToUtf8(r.Text);
  }
  EXPECT_EQ(seen, 2);
}

TEST(SmithChart, TheDetailLevelFollowsTheWidthOfTheUnitCircle) {
  TTestSmith small, medium, large;
  Diagram(small, 300);
  Diagram(medium, 301);
  Diagram(large, 901);
  const std::vector<std::string> level1 = {"0.2", "-0.2", "0.5", "-0.5", "1",   "-1", "2", "-2", "10", "-10",
                                           "5",   "-5",   "0",   "0.2",  "0.5", "1",  "2", "10", "5"};
  EXPECT_EQ(GridTexts(small), level1);
  const std::vector<std::string> level2 = GridTexts(medium);
  EXPECT_EQ(level2.size(), level1.size() + 6);  // 0.7 and 1.5: two reactance labels and one resistance each
  EXPECT_NE(std::find(level2.begin(), level2.end(), "-0.7"), level2.end());
  const std::vector<std::string> all = GridTexts(large);
  EXPECT_EQ(all.size(), 19u * 2 + 20);
  EXPECT_NE(std::find(all.begin(), all.end(), "0.6"), all.end());
  EXPECT_NE(std::find(all.begin(), all.end(), "-0.9"), all.end());
}

// --- ranges and colours ---------------------------------------------------------------------------

TEST(SmithChart, WritingRangeXLowKeepsTheChartIsometric) {
  TTestSmith s;
  s.EnablePainting();
  s.SetRangeXLow(-2);
  EXPECT_EQ(s.RangeXLow(), -2);
  EXPECT_EQ(s.RangeXHigh(), 1.2);
  const TRanges r = RangesOf(s, 1);
  EXPECT_NEAR(r.yHi - r.yLo, 3.2 * 141 / 211, 1e-12);  // the data area is 210 x 140
  EXPECT_NEAR(r.yHi + r.yLo, 0, 1e-12);
  EXPECT_EQ(s.Paints, 1);
  s.SetRangeXHigh(3);
  EXPECT_EQ(s.RangeXHigh(), 3);
  s.SetRangeYLow(-1);
  EXPECT_NEAR(s.RangeYHigh() - s.RangeYLow(), 5.0 * 141 / 211, 1e-12);
}

// Regression: the range writers ended by switching painting on, before the window existed or
// against the host's suppression.
TEST(SmithChart, TheRangeWritersGiveThePaintSuppressionBackAsItWas) {
  TTestSmith s;
  s.SetRangeXLow(-1.5);
  s.SetRangeXHigh(1.5);
  s.SetRangeYLow(-1);
  EXPECT_TRUE(s.SuppressPaint());
  EXPECT_EQ(s.Paints, 0);
}

TEST(SmithChart, CenterChartKeepsBothSpans) {
  TTestSmith s;
  s.SetIsometric(false);
  s.SetRange(0, 0.2, 1, 1.0);
  s.CenterChart();
  EXPECT_EQ(RangesOf(s, 1), (TRanges{-0.5, -0.4, 0.5, 0.4}));
}

TEST(SmithChart, AColourSetterPaintsOnlyForANewColour) {
  TTestSmith s;
  s.EnablePainting();
  s.CallPaint();
  // A pixel of the diagram between the lines.
  TCanvas* canvas = s.GrafBmp()->Canvas();
  TPoint inside;
  for (int y = 0; y < s.GrafBmp()->Height() && inside.X == 0; ++y)
    for (int x = 20; x < s.GrafBmp()->Width() && inside.X == 0; ++x)
      if (canvas->Pixels(x, y) == s.DiagramColor()) inside = Point(x, y);
  ASSERT_NE(inside.X, 0);
  s.Paints = 0;
  s.SetAutoRedraw(false);
  s.SetDiagramColor(s.DiagramColor());
  s.SetGridColorDark(s.GridColorDark());
  s.SetGridColorLight(s.GridColorLight());
  EXPECT_EQ(s.Paints, 0);
  s.SetDiagramColor(clYellow);
  s.SetGridColorDark(clRed);
  s.SetGridColorLight(clLime);
  EXPECT_EQ(s.Paints, 3);
  EXPECT_EQ(canvas->Pixels(inside.X, inside.Y), clYellow);
}

TEST(SmithChart, TheLayerFreeFormsActOnLayerOneAndCrossHairOne) {
  TTestSmith s;
  s.SetIsometric(false);
  s.SetRange(-1, -1, 1, 1);
  int x = 0, y = 0;
  s.R2M(1, 1, x, y);
  EXPECT_EQ(x, 260);
  EXPECT_EQ(y, 20);
  double gr = 0, gi = 0;
  s.M2R(155, 90, gr, gi);
  EXPECT_EQ(gr, 0);
  EXPECT_EQ(gi, 0);
  s.CrossHairSetup(clRed, chBoth, psDot, 1);
  s.CrossHairSetPos(0.25, -0.5);
  EXPECT_EQ(s.GetCrossHair(), s.CrossHair1());
  EXPECT_EQ(s.GetCrossHairPosX(), 0.25);
  EXPECT_EQ(s.GetCrossHairPosY(), -0.5);
  EXPECT_EQ(s.CrossHair1()->Mode(), chBoth);
  s.MarkAt(0.5, 0.5, 1);
  s.MarkAt(-0.5, 0.25, 1);
  s.AutoRange(0);
  EXPECT_EQ(RangesOf(s, 1), (TRanges{-0.5, 0.25, 0.5, 0.5}));
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  s.FindMinMax(-1, -1, 1, 1, minX, minY, maxX, maxY);
  EXPECT_EQ(minX, -0.5);
  EXPECT_EQ(maxY, 0.5);
}
