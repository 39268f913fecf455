// The data area of a chart (ConstructDataBmp): every item kind at pinned pixels, in colour and in
// black and white, the drawing state (canvas properties set once, the polyline buffer and the pen
// position), the grid in every mode, and the frame. Checked through the canvas call trace and the
// pixels of the data picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "RChartTesting.h"

using namespace qelta;
using qelta::testing::TraceOf;
using qelta::testing::TTestChart;

namespace {

// Layer 1 maps one chart unit to one pixel: chart (x, y) lies on data-picture pixel (x, 140 - y).
class RChartDraw : public ::testing::Test {
 protected:
  RChartDraw() {
    c.SetRange(1, 0, 0, 210, 140);
    c.SetDataColor(clRed);
    c.SetFillColor(clYellow);
  }
  TCanvas* Graf() { return c.GrafBmp()->Canvas(); }
  // The data picture drawn afresh; the trace of ConstructDataBmp.
  TCanvasTrace Draw(bool BlkWhite = false, int FirstItem = 0) {
    c.InitGraf(Graf(), 0, 0);
    return TraceOf(Graf(), [&] { c.ConstructDataBmp(Graf(), 0, 0, BlkWhite, FirstItem); });
  }
  TColor At(int x, int y) { return Graf()->Pixels(x, y); }

  TTestChart c;
};

std::vector<TPoint> PointsOf(const TCanvasTraceRecord& r) {
  std::vector<TPoint> p;
  for (size_t i = 0; i + 1 < r.Args.size(); i += 2) p.push_back(Point(int(r.Args[i]), int(r.Args[i + 1])));
  return p;
}

// The text cell of a text item of the chart's font at a size, centred on data-picture pixel (x, y).
TRect TextCell(const TCustomRChart& c, int size, const String& text, int x, int y) {
  TBitmap probe(10, 10);
  probe.Canvas()->SetFont(c.Font());
  probe.Canvas()->Font()->SetSize(size);
  const int w = probe.Canvas()->TextWidth(text), h = probe.Canvas()->TextHeight(text);
  return Bounds(x - w / 2, y - h / 2, w, h);
}

// Text is antialiased: its strongest pixels come close to its colour.
bool Near(TColor a, TColor b, int tolerance = 64) {
  const auto close = [&](int x, int y) { return std::abs(x - y) <= tolerance; };
  return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

int CountWithValue(const TCanvasTrace& t, const char* op, int64_t value) {
  const auto records = t.Find(op);
  return static_cast<int>(std::count_if(records.begin(), records.end(), [&](const auto& r) { return r.Args[0] == value; }));
}

}  // namespace

// --- every kind at pinned pixels --------------------------------------------------------------

namespace {

struct TProbe {
  int x, y;  // pixel of the data picture
  TColor colour, blackWhite;
};

struct TKindCase {
  const char* name;
  std::function<void(TCustomRChart&)> draw;
  std::vector<TProbe> probes;
};

// Item colour red, fill yellow; black and white draws the item colour black and fills silver.
const TKindCase kKinds[] = {
    {"MarkAt filled square", [](TCustomRChart& c) { c.MarkAt(20, 120, 7); },
     {{20, 20, clRed, clBlack}, {21, 21, clRed, clBlack}, {22, 20, clWhite, clWhite}}},
    {"Line leaves out its end pixel", [](TCustomRChart& c) { c.Line(10, 130, 40, 130); },
     {{10, 10, clRed, clBlack}, {39, 10, clRed, clBlack}, {40, 10, clWhite, clWhite}}},
    {"Rectangle covers both corners", [](TCustomRChart& c) { c.Rectangle(10, 100, 40, 120); },
     {{10, 40, clRed, clBlack}, {40, 20, clRed, clBlack}, {25, 30, clYellow, clSilver}, {41, 30, clWhite, clWhite}}},
    {"RectFrame raised keeps its frame colours",
     [](TCustomRChart& c) { c.RectFrame(10, 100, 40, 120, fsRaised, clNavy, clLime); },
     {{10, 30, clLime, clLime}, {25, 20, clLime, clLime}, {40, 30, clNavy, clNavy}, {25, 40, clNavy, clNavy},
      {25, 30, clYellow, clSilver}}},
    {"Bar3D front, top and side", [](TCustomRChart& c) { c.Bar3D(60, 100, 80, 120, 10, 45); },
     {{70, 30, clYellow, clSilver}, {60, 30, clRed, clBlack}, {80, 40, clRed, clBlack}, {72, 16, clYellow, clSilver},
      {84, 25, clYellow, clSilver}}},
    {"Bar3D beyond 90 degrees extrudes to the left", [](TCustomRChart& c) { c.Bar3D(60, 100, 80, 120, 10, 135); },
     {{70, 30, clYellow, clSilver}, {80, 30, clRed, clBlack}, {56, 25, clYellow, clSilver}, {68, 16, clYellow, clSilver},
      {84, 25, clWhite, clWhite}}},
    {"Ellipse", [](TCustomRChart& c) { c.Ellipse(150, 110, 10, 10); },
     {{150, 30, clYellow, clSilver}, {140, 30, clRed, clBlack}, {139, 30, clWhite, clWhite}}},
    {"Arrow with a filled head", [](TCustomRChart& c) { c.Arrow(10, 60, 40, 60, 8); },
     {{20, 80, clRed, clBlack}, {34, 79, clYellow, clSilver}, {32, 77, clRed, clBlack}}},
    {"DrawToRelPix paints its end pixel",
     [](TCustomRChart& c) {
       c.MoveTo(100, 100);
       c.DrawToRelPix(20, 0);
     },
     {{100, 40, clRed, clBlack}, {120, 40, clRed, clBlack}, {121, 40, clWhite, clWhite}}},
    {"RectangleRelPix around its centre", [](TCustomRChart& c) { c.RectangleRelPix(150, 60, 3, 2); },
     {{147, 78, clRed, clBlack}, {153, 82, clRed, clBlack}, {150, 80, clYellow, clSilver}, {154, 80, clWhite, clWhite}}},
    {"DrawTo", [](TCustomRChart& c) {
       c.MoveTo(100, 20);
       c.DrawTo(130, 20);
     },
     {{100, 120, clRed, clBlack}, {129, 120, clRed, clBlack}, {130, 120, clWhite, clWhite}}},
};

}  // namespace

TEST(RChartDrawKinds, EveryKindLandsOnItsPixelsInColourAndInBlackAndWhite) {
  for (const TKindCase& k : kKinds) {
    for (bool blackWhite : {false, true}) {
      TTestChart c;
      c.SetRange(1, 0, 0, 210, 140);
      c.SetDataColor(clRed);
      c.SetFillColor(clYellow);
      k.draw(c);
      TCanvas* g = c.GrafBmp()->Canvas();
      c.InitGraf(g, 0, 0);
      c.ConstructDataBmp(g, 0, 0, blackWhite, 0);
      for (const TProbe& p : k.probes)
        EXPECT_EQ(g->Pixels(p.x, p.y), blackWhite ? p.blackWhite : p.colour)
            << k.name << (blackWhite ? " (black and white)" : "") << " at " << p.x << ", " << p.y;
    }
  }
}

TEST_F(RChartDraw, ATransparentRectangleOrEllipseKeepsWhatLiesBelow) {
  c.Rectangle(10, 100, 40, 120);
  c.SetFillColor(clBlue);
  c.SetTransparentItems(true);
  c.Rectangle(20, 90, 60, 130);
  c.Ellipse(100, 100, 10, 10);
  Draw();
  EXPECT_EQ(At(25, 30), clYellow);  // the first rectangle shows through the second
  EXPECT_EQ(At(45, 30), clWhite);
  EXPECT_EQ(At(20, 30), clRed);  // the second's outline
  EXPECT_EQ(At(100, 40), clWhite);
}

TEST_F(RChartDraw, TextLiesInItsBoxInTheItemColour) {
  c.SetTextAlignment(taCenter);
  c.Text(105, 70, 10, u"HH");
  c.SetTextAlignment(taRightJustify);
  c.Text(200, 130, 10, u"HH");
  c.Text(20, 20, 10, u"HH", 15, -8, taLeftJustify);  // pixel offset from the point
  Draw();
  const TRect centred = TextCell(c, 10, u"HH", 105, 70), right = TextCell(c, 10, u"HH", 200, 10);
  const TRect offset = TextCell(c, 10, u"HH", 20 + 15, 120 - 8);
  const TRect boxes[] = {centred, Bounds(200 - right.Width(), right.Top, right.Width(), right.Height()),
                         Bounds(35, offset.Top, offset.Width(), offset.Height())};
  for (const TRect& box : boxes) {
    bool red = false;
    for (int y = box.Top; y < box.Bottom; ++y)
      for (int x = box.Left; x < box.Right; ++x) red = red || Near(At(x, y), clRed);
    EXPECT_TRUE(red) << "text at " << box.Left << ", " << box.Top;
  }
  int outside = 0;
  for (int y = 1; y < 140; ++y)
    for (int x = 1; x < 210; ++x) {
      const bool inBox = std::any_of(std::begin(boxes), std::end(boxes), [&](const TRect& b) {
        return x >= b.Left && x < b.Right && y >= b.Top && y < b.Bottom;
      });
      if (!inBox && At(x, y) != clWhite) ++outside;
    }
  EXPECT_EQ(outside, 0);
}

TEST_F(RChartDraw, ATextItemInTheChartColourIsWrittenInThatColour) {
  // Regression: the remembered font colour started as ChartColor although the font's colour was
  // never set, so a text item in ChartColor was drawn in the canvas font's stale colour.
  c.SetDataColor(c.ChartColor());
  c.SetTextBkStyle(tbSolid);
  c.SetTextBkColor(clBlack);
  c.Text(100, 70, 12, u"HH");
  const TCanvasTrace t = Draw();
  EXPECT_EQ(CountWithValue(t, "Font.Color", c.ChartColor()), 1);
  const TRect cell = TextCell(c, 12, u"HH", 100, 70);
  int white = 0, black = 0;
  for (int y = cell.Top; y < cell.Bottom; ++y)
    for (int x = cell.Left; x < cell.Right; ++x) {
      white += Near(At(x, y), clWhite);
      black += At(x, y) == clBlack;
    }
  EXPECT_GT(white, 10);
  EXPECT_GT(black, 10);
}

TEST_F(RChartDraw, ACharacterMarkIsWrittenInTheItemColourOverAClearBackground) {
  c.SetFillColor(clBlue);
  c.Rectangle(10, 10, 30, 30);  // leaves a solid blue brush behind
  c.MarkAt(105, 70, 72);        // 'H'
  Draw();
  bool red = false, blue = false;
  for (int y = 55; y < 85; ++y)
    for (int x = 90; x < 120; ++x) {
      red = red || Near(At(x, y), clRed);
      blue = blue || At(x, y) == clBlue;
    }
  EXPECT_TRUE(red);
  EXPECT_FALSE(blue);
}

// --- drawing state ------------------------------------------------------------------------------

TEST_F(RChartDraw, TwoItemsOfOneColourSetThePenColourOnce) {
  c.MarkAt(10, 10, 7);
  c.MarkAt(20, 10, 7);
  c.Line(30, 10, 40, 10);
  const TCanvasTrace t = Draw();
  EXPECT_EQ(CountWithValue(t, "Pen.Color", clRed), 1);
  c.SetDataColor(clBlue);
  c.MarkAt(50, 10, 7);
  EXPECT_EQ(CountWithValue(Draw(), "Pen.Color", clBlue), 1);
}

TEST_F(RChartDraw, ALineWhoseEndsShareAPixelDrawsOnePixel) {
  c.Line(30.2, 30.2, 29.9, 29.8);
  const TCanvasTrace t = Draw();
  ASSERT_EQ(t.Count("Pixel"), 1);
  EXPECT_EQ(t.Find("Pixel")[0].Args, (std::vector<int64_t>{30, 110, clRed}));
  EXPECT_EQ(t.Count("LineTo"), 4);  // the frame only
  EXPECT_EQ(At(30, 110), clRed);
}

TEST_F(RChartDraw, ARunOf450DrawToIsThreePolylinesJoinedWithoutAGap) {
  c.MoveTo(0, 0);
  for (int i = 1; i <= 450; ++i) c.DrawTo(i % 200, (i * 7) % 140);
  const std::vector<TCanvasTraceRecord> lines = Draw().Find("Polyline");
  ASSERT_EQ(lines.size(), 3u);
  const std::vector<TPoint> a = PointsOf(lines[0]), b = PointsOf(lines[1]), d = PointsOf(lines[2]);
  EXPECT_EQ(a.size(), 200u);
  EXPECT_EQ(b.size(), 200u);
  EXPECT_EQ(d.size(), 53u);
  EXPECT_EQ(a.front(), Point(0, 140));  // from the MoveTo
  EXPECT_EQ(b.front(), a.back());
  EXPECT_EQ(d.front(), b.back());
  EXPECT_EQ(d.back(), Point(450 % 200, 140 - (450 * 7) % 140));
}

TEST_F(RChartDraw, ARunEndsWhereColourOrWidthChange) {
  c.MoveTo(0, 0);
  c.DrawTo(10, 10);
  c.DrawTo(20, 0);
  c.SetDataColor(clBlue);
  c.DrawTo(30, 10);
  c.SetLineWidth(3);
  c.DrawTo(40, 0);
  const std::vector<TCanvasTraceRecord> lines = Draw().Find("Polyline");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(PointsOf(lines[0]).size(), 3u);
  EXPECT_EQ(PointsOf(lines[1]), (std::vector<TPoint>{Point(20, 140), Point(30, 130)}));
  EXPECT_EQ(PointsOf(lines[2]), (std::vector<TPoint>{Point(30, 130), Point(40, 140)}));
}

TEST_F(RChartDraw, AMoveByPixelsStartsFromWhereThePolylineEnded) {
  c.MoveTo(10, 10);
  c.DrawTo(20, 10);
  c.MoveToRelPix(5, -5);
  c.DrawTo(40, 10);
  const std::vector<TCanvasTraceRecord> lines = Draw().Find("Polyline");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(PointsOf(lines[1]), (std::vector<TPoint>{Point(25, 125), Point(40, 130)}));
}

TEST_F(RChartDraw, ALineByPixelsLeavesTheRunsStartWhereItWas) {
  c.MoveTo(10, 10);
  c.DrawToRelPix(10, 0);
  c.DrawTo(40, 10);
  const TCanvasTrace t = Draw();
  const std::vector<TCanvasTraceRecord> lines = t.Find("Polyline");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(PointsOf(lines[0]).front(), Point(10, 130));
  EXPECT_EQ(t.Find("LineTo")[0].Args, (std::vector<int64_t>{20, 130}));
}

TEST_F(RChartDraw, ArrowsStraightDownAndUpHaveHeadsPointingOppositeWays) {
  c.Arrow(50, 50, 50, 20, 8);   // down the screen
  c.Arrow(90, 20, 90, 50, 8);   // up the screen
  const std::vector<TCanvasTraceRecord> heads = Draw().Find("Polygon");
  ASSERT_EQ(heads.size(), 2u);
  const std::vector<TPoint> down = PointsOf(heads[0]), up = PointsOf(heads[1]);
  EXPECT_EQ(down[0], Point(50, 120));
  EXPECT_EQ(down[1].Y, 112);
  EXPECT_EQ(down[2].Y, 112);
  EXPECT_EQ(up[0], Point(90, 90));
  EXPECT_EQ(up[1].Y, 98);
  EXPECT_EQ(up[2].Y, 98);
  EXPECT_EQ(down[1].X + down[2].X, 100);  // symmetric about the shaft
}

TEST_F(RChartDraw, ATransparentArrowHeadIsTwoLines) {
  c.SetTransparentItems(true);
  c.Arrow(10, 60, 40, 60, 8);
  const TCanvasTrace t = Draw();
  EXPECT_EQ(t.Count("Polygon"), 0);
  EXPECT_EQ(t.Count("LineTo"), 3 + 4);  // shaft, two sides, the frame
}

TEST_F(RChartDraw, ItemsOfHiddenLayersAndClassesAreLeftOut) {
  c.MarkAt(20, 120, 7);
  c.SetActiveLayer(2);
  c.MarkAt(0.5, 0.5, 7);  // layer 2 keeps 0..1
  c.SetActiveLayer(1);
  c.SetClassDefault(3);
  c.MarkAt(60, 120, 7);
  c.SetLayerVisib(2, false);
  c.SetClassVisib(3, false);
  Draw();
  EXPECT_EQ(At(20, 20), clRed);
  EXPECT_EQ(At(60, 20), clWhite);
  EXPECT_EQ(At(105, 70), clWhite);
}

TEST_F(RChartDraw, FarAwayItemsAreClampedBeforeTheyReachTheCanvas) {
  c.Line(-1e300, 70, 1e300, 70);
  c.RectangleRelPix(100, 70, 2000000000, 3);
  c.Arrow(0, 0, 100, 100, 2000000000);
  const TCanvasTrace t = Draw();
  EXPECT_EQ(t.Find("MoveTo")[1].Args, (std::vector<int64_t>{-30000 - 50, 70}));
  EXPECT_EQ(t.Find("LineTo")[0].Args, (std::vector<int64_t>{30000 - 50, 70}));
  EXPECT_EQ(t.Find("Rectangle")[0].Args, (std::vector<int64_t>{-30000 - 50, 67, 30000 - 50 + 1, 74}));
  EXPECT_EQ(t.Count("Polygon"), 1);
}

TEST_F(RChartDraw, TheFrameOutlinesTheDataArea) {
  Draw();
  for (TPoint p : {Point(0, 0), Point(210, 0), Point(210, 140), Point(0, 140), Point(105, 0), Point(0, 70)})
    EXPECT_EQ(At(p.X, p.Y), clBlack) << p.X << ", " << p.Y;
  EXPECT_EQ(At(1, 1), clWhite);
}

TEST_F(RChartDraw, TheRenderEventsGetTheDataAreasCornerAndThePenAndBrushColoursComeBack) {
  std::vector<int> corners;
  c.OnBeforeRenderData = [&](TObject*, TCanvas* canvas, int Top, int Left) {
    corners.insert(corners.end(), {Top, Left});
    canvas->Pen()->SetColor(clLime);
    canvas->Brush()->SetColor(clLime);
  };
  c.OnDataRendered = [&](TObject*, TCanvas*, int Top, int Left) { corners.insert(corners.end(), {Top, Left}); };
  TBitmap page(400, 300);
  TCanvas* p = page.Canvas();
  p->Pen()->SetColor(clNavy);
  p->Brush()->SetColor(clTeal);
  const TCanvasTrace t = TraceOf(p, [&] { c.ConstructDataBmp(p, 7, 9, false, 1); });
  EXPECT_EQ(corners, (std::vector<int>{20 - 9, 50 - 7, 20 - 9, 50 - 7}));
  const auto pens = t.Find("Pen.Color"), brushes = t.Find("Brush.Color");
  ASSERT_GE(pens.size(), 2u);
  ASSERT_GE(brushes.size(), 2u);
  EXPECT_EQ(pens[1].Args[0], clNavy);
  EXPECT_EQ(brushes[1].Args[0], clTeal);
}

// --- grid -----------------------------------------------------------------------------------

namespace {

struct TGridCase {
  const char* name;
  bool log;
  double lo, hi, step;
  std::vector<double> lines;
};

const TGridCase kGrids[] = {
    {"linear, every 50", false, 0, 210, 50, {0, 50, 100, 150, 200}},
    {"linear, a negative step counts as its size", false, 0, 21, -3, {0, 3, 6, 9, 12, 15, 18}},
    {"linear from a multiple below the range", false, 12, 222, 50, {50, 100, 150, 200}},
    {"logarithmic, -1: decades", true, 3, 300, -1, {10, 100}},
    {"logarithmic, -2: 1, 2, 5", true, 3, 300, -2, {5, 10, 20, 50, 100, 200}},
    {"logarithmic, -3: 1..9", true, 3, 300, -3,
     {3, 4, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 200}},
    {"logarithmic, other negative: from the low end", true, 3.5, 300, -2.5,
     {3.5, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 200}},
    {"logarithmic, a positive step is linear", true, 3, 300, 100, {100, 200}},
    {"logarithmic, decades found despite rounding", true, 0.001, 1000, -1, {0.001, 0.01, 0.1, 1, 10, 100}},
    {"logarithmic, a low end whose logarithm lies within 1e-14 of 3 is in the decade of 1000", true, 999.999999999999,
     10000, -2, {2000, 5000}},
};

}  // namespace

TEST(RChartGrid, VerticalLinesLieOnTheGridValuesOfTheActiveLayer) {
  for (const TGridCase& g : kGrids) {
    TTestChart c;
    c.SetRange(1, g.lo, 0, g.hi, 140);
    c.Scale1X()->SetLogarithmic(g.log);
    c.SetGridStyle(gsVertLines);
    c.SetGridDx(g.step);
    const TCanvasTrace t = TraceOf(c.GrafBmp()->Canvas(), [&] { c.DrawGrid(c.GrafBmp()->Canvas(), 0, 0); });
    std::vector<int64_t> columns, expected;
    for (const auto& r : t.Find("MoveTo")) columns.push_back(r.Args[0]);
    for (double v : g.lines) expected.push_back(c.ChartPoint(1, v, 0, 0, 0).X);
    EXPECT_EQ(columns, expected) << g.name;
  }
}

TEST(RChartGrid, LinesRunOverTheWholeOtherAxisAndDottedOnesRestoreTheSolidPen) {
  TTestChart c;
  c.SetRange(1, 0, 0, 210, 140);
  c.SetGridStyle(gsDotLines);
  c.SetGridDx(100);
  c.SetGridDy(100);
  const TCanvasTrace t = TraceOf(c.GrafBmp()->Canvas(), [&] { c.DrawGrid(c.GrafBmp()->Canvas(), 0, 0); });
  std::vector<std::vector<int64_t>> lines;
  for (const auto& r : t.Records())
    if (r.Op == "MoveTo" || r.Op == "LineTo") lines.push_back(r.Args);
  EXPECT_EQ(lines, (std::vector<std::vector<int64_t>>{
                       {0, 140}, {0, 0}, {100, 140}, {100, 0}, {200, 140}, {200, 0},  // vertical first
                       {0, 140}, {210, 140}, {0, 40}, {210, 40}}));
  std::vector<int64_t> styles;
  for (const auto& r : t.Find("Pen.Style")) styles.push_back(r.Args[0]);
  EXPECT_EQ(styles, (std::vector<int64_t>{psDot, psSolid}));
}

TEST(RChartGrid, AtMostAThousandLinesOrPointsAndPositionsAreNotClamped) {
  TTestChart c;
  c.SetRange(1, 0, 0, 210, 140);
  c.SetGridStyle(gsLines);
  c.SetGridDx(1e-6);
  c.SetGridDy(1e-6);
  TCanvas* g = c.GrafBmp()->Canvas();
  EXPECT_EQ(TraceOf(g, [&] { c.DrawGrid(g, 0, 0); }).Count("MoveTo"), 2000);
  c.SetGridStyle(gsPoints);
  EXPECT_EQ(TraceOf(g, [&] { c.DrawGrid(g, 0, 0); }).Count("Pixel"), 1000);
  // Mantissa steps start at a rounded mantissa, which may lie far below a narrow range: the line
  // goes to the canvas where it lies, and the canvas clips it.
  c.SetRange(1, 1.4, 0, 1.40001, 140);
  c.Scale1X()->SetLogarithmic(true);
  c.SetGridStyle(gsVertLines);
  c.SetGridDx(-3);
  int x = 0, y = 0;
  c.R2M(1, 1.0, 0, x, y);
  ASSERT_LT(x, -30000);
  EXPECT_EQ(TraceOf(g, [&] { c.DrawGrid(g, 0, 0); }).Find("MoveTo")[0].Args[0], x - c.LRim());
}

TEST(RChartGrid, WithoutAStepTheLinesFollowTheScalesRecordedTicks) {
  TTestChart c;
  c.SetRange(1, 0, 0, 200, 140);
  c.SetGridStyle(gsVertLines);
  for (bool shortTicks : {false, true}) {
    c.Scale1X()->SetShortTicks(shortTicks);
    c.ConstructChartBmp(c.ChartBmp()->Canvas());  // the helper scales record their ticks
    ASSERT_GT(c.TickNumX(), 2);
    std::vector<int64_t> columns, expected;
    for (int i = 1; i <= c.TickNumX(); ++i)
      if (c.GetTickPosX(i) < 200) expected.push_back(c.ChartPoint(1, c.GetTickPosX(i), 0, 0, 0).X);
    TCanvas* g = c.GrafBmp()->Canvas();
    for (const auto& r : TraceOf(g, [&] { c.DrawGrid(g, 0, 0); }).Find("MoveTo")) columns.push_back(r.Args[0]);
    EXPECT_EQ(columns, expected) << "short ticks " << shortTicks;
  }
}

TEST_F(RChartDraw, TheGridIsLeftOutWhenDrawingFromALaterItem) {
  c.SetGridStyle(gsLines);
  c.SetGridDx(50);
  c.SetGridDy(50);
  EXPECT_EQ(Draw(false, 0).Count("MoveTo"), 1 + 5 + 3 + 1);  // pen start, grid, frame
  EXPECT_EQ(Draw(false, 3).Count("MoveTo"), 1 + 1);
}
