// The contour plot: construction, pivots, levels, the colour rules in pixels, the cells, progress,
// the kept picture and what renders it again, the overlay, the attached colour scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "Assertions.h"
#include "DirectPaths.h"
#include "Forms.h"
#include "Qelta_ColorScale.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_rchart.h"
#include "Qelta_univconst.h"
#include "RChartTesting.h"
#include "Testing.h"

using namespace qelta;
using qelta::testing::RangesOf;
using qelta::testing::TraceOf;
using qelta::testing::TRanges;

namespace {

// A contour plot that counts its paints and shows its pictures.
class TTestContour : public TContourPlot {
 public:
  explicit TTestContour(TComponent* AOwner = nullptr) : TContourPlot(AOwner) {}

  int Paints = 0;
  void EnablePainting() {
    SetSuppressPaint(false);
    Paints = 0;
  }
  void CallPaint() { Paint(); }
  using TCustomRChart::ChartBmp;
  using TCustomRChart::ForceRange;
  using TCustomRChart::GrafBmp;
  /// Pixel of the data picture at a chart point.
  TColor At(double x, double y) const {
    int px = 0, py = 0;
    R2M(x, y, px, py);
    return GrafBmp()->Canvas()->Pixels(px - LRim(), py - TRim());
  }

 protected:
  void Paint() override {
    if (PaintAllowed()) ++Paints;
    TContourPlot::Paint();
  }
};

// A plot whose data area is 200 x 100 pixels over 0..1 in x and y, sampling f and counting the calls.
struct TContourFixture {
  explicit TContourFixture(std::function<double(double, double)> f = nullptr) {
    c.SetBounds(0, 0, 50 + 20 + 200, 20 + 40 + 100);
    c.SetRange(0, 0, 1, 1);
    c.OnEstimateZVal = [this, f](TObject*, double x, double y, double& z) {
      ++calls;
      if (f) z = f(x, y);
    };
  }
  TTestContour c;
  int calls = 0;
};

// Palette of four distinct colours.
void FourColors(TColorArray& p) {
  p.Resize(4);
  const TColor colors[] = {clRed, clLime, clBlue, clFuchsia};
  for (int i = 0; i < 4; ++i) p.SetColorElem(i + 1, colors[i]);
}

// The pixels of the data picture inside its frame that are not in the background colour.
std::map<std::pair<int, int>, TColor> Marked(TTestContour& c, TColor background) {
  std::map<std::pair<int, int>, TColor> out;
  TBitmap* b = c.GrafBmp();
  for (int y = 1; y < b->Height() - 1; ++y)
    for (int x = 1; x < b->Width() - 1; ++x)
      if (b->Canvas()->Pixels(x, y) != background) out[{x, y}] = b->Canvas()->Pixels(x, y);
  return out;
}

}  // namespace

// --- construction and pivots ---------------------------------------------------------------------

TEST(TContourPlot, ANewPlotSamples42By28PivotsOverMinus5Point2To5Point2) {
  TTestContour c;
  EXPECT_EQ(c.NumPivotsX(), 42);  // (280 - 50 - 20) div 5
  EXPECT_EQ(c.NumPivotsY(), 28);  // (200 - 20 - 40) div 5
  EXPECT_EQ(c.GetPivotRes(), 210);
  EXPECT_EQ(RangesOf(c, 1), (TRanges{-5.2, -5.2, 5.2, 5.2}));
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Right, 5.2);  // the ring starts at the plot's ranges
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Right, 0.0);
  EXPECT_EQ(c.IsoLow(), -1.0);
  EXPECT_EQ(c.IsoHigh(), 1.0);
  EXPECT_EQ(c.IsoDist(), 0.1);
  EXPECT_EQ(c.PlotMode(), cpmColorSurface);
  EXPECT_EQ(c.GridStyle(), gsPoints);
  EXPECT_EQ(c.DataColor(), clBlack);
  EXPECT_FALSE(c.Isometric());
  EXPECT_TRUE(c.Scale1X()->Visible());
  EXPECT_TRUE(c.Scale1Y()->Visible());
  EXPECT_FALSE(c.Scale2X()->Visible());
  EXPECT_FALSE(c.Scale2Y()->Visible());
  EXPECT_EQ(c.IsoColors()->Size(), 1000);
  EXPECT_EQ(c.AttachedColorScale(), nullptr);
  EXPECT_TRUE(c.SuppressPaint());

  int calls = 0;
  std::set<double> xs, ys;
  c.OnEstimateZVal = [&](TObject*, double x, double y, double&) {
    ++calls;
    xs.insert(x);
    ys.insert(y);
  };
  c.EnablePainting();
  EXPECT_EQ(calls, 42 * 28);
  EXPECT_EQ(*xs.begin(), -5.2);
  EXPECT_EQ(*xs.rbegin(), 5.2);
  EXPECT_EQ(*ys.begin(), -5.2);
  EXPECT_EQ(*ys.rbegin(), 5.2);
  EXPECT_EQ(xs.size(), 42u);
  EXPECT_EQ(c.Maximum(), 0.0);  // no values from the host: every pivot 0
  EXPECT_EQ(c.Minimum(), 0.0);
}

TEST(TContourPlot, SetPivotResSpreadsTheResolutionOverTheLongerSide) {
  struct Case {
    int w, h, a, nx, ny;
  };
  const Case cases[] = {
      {400, 200, 200, 41, 21},  // the Part's example: GetPivotRes then 205
      {200, 400, 200, 21, 41},  // taller than wide
      {300, 300, 7, 3, 3},      // a below 10 counts as 10
      {210, 2, 10, 3, 2},       // a thin area keeps two pivots across
  };
  for (const Case& k : cases) {
    TTestContour c;
    c.SetBounds(0, 0, 50 + 20 + k.w, 20 + 40 + k.h);
    if (c.Height() != 60 + k.h) {  // below the chart's minimum height: widen the rims instead
      c.SetBounds(0, 0, 50 + 20 + k.w, 80);
      c.SetMarginTop(80 - 40 - k.h);
    }
    c.SetPivotRes(k.a);
    EXPECT_EQ(c.NumPivotsX(), k.nx) << k.w << "x" << k.h;
    EXPECT_EQ(c.NumPivotsY(), k.ny) << k.w << "x" << k.h;
    EXPECT_EQ(c.GetPivotRes(), 5 * std::max(k.nx, k.ny));
  }
}

TEST(TContourPlot, PivotCountsStayBetween2And5000) {
  // Regression: a pivot count of 1 divided by zero in the pivot spacing.
  TContourFixture f;
  f.c.SetPivotResX(1);
  f.c.SetPivotResY(-7);
  EXPECT_EQ(f.c.NumPivotsX(), 2);
  EXPECT_EQ(f.c.NumPivotsY(), 2);
  f.c.SetPivotResX(1 << 30);
  EXPECT_EQ(f.c.NumPivotsX(), 5000);
  f.c.ResizePivotMatrix(3, 99999);  // pixels, kept to 10..5000
  EXPECT_EQ(f.c.NumPivotsX(), 2);
  EXPECT_EQ(f.c.NumPivotsY(), 1000);
  f.c.ResizePivotMatrix(10, 10);
  f.c.EnablePainting();
  EXPECT_EQ(f.calls, 4);
}

// --- levels ------------------------------------------------------------------------------------

TEST(TContourPlot, TheLevelBoundsPushEachOtherApartAndBadSpacingsAreIgnored) {
  TTestContour c;
  c.SetIsoHigh(-5);
  EXPECT_EQ(c.IsoLow(), -6.0);
  EXPECT_EQ(c.IsoHigh(), -5.0);
  c.SetIsoLow(3);
  EXPECT_EQ(c.IsoHigh(), 4.0);
  // Regression: IsoDist 0 or below divided by zero in the level count.
  for (const double bad : {0.0, -0.5, double(NAN), double(INFINITY)}) {
    c.SetIsoDist(bad);
    EXPECT_EQ(c.IsoDist(), 0.1) << bad;
  }
  c.SetIsoLow(NAN);
  c.SetIsoHigh(INFINITY);
  EXPECT_EQ(c.IsoLow(), 3.0);
  EXPECT_EQ(c.IsoHigh(), 4.0);
  c.SetIsoParams(2, 1, 0);  // high below low: low goes to high - 1; the spacing stays
  EXPECT_EQ(c.IsoLow(), 0.0);
  EXPECT_EQ(c.IsoHigh(), 1.0);
  EXPECT_EQ(c.IsoDist(), 0.1);
  c.SetIsoParams(-2, 2, 0.5);
  EXPECT_EQ(c.IsoLow(), -2.0);
  EXPECT_EQ(c.IsoHigh(), 2.0);
  EXPECT_EQ(c.IsoDist(), 0.5);
}

TEST(TContourPlot, FourLevelsFromZeroToOneByAQuarterDrawDotsInTheirColours) {
  // z = 1.2 x - 0.1 rises from -0.1 to 1.1 across one cell: the levels 0, 0.25, 0.5 and 0.75 cross
  // each of the six horizontal lines once; 1 itself is no level. The vertical lines are level.
  TContourFixture f([](double x, double) { return 1.2 * x - 0.1; });
  TTestContour& c = f.c;
  EXPECT_EQ(c.Maximum(), -uc_MaxDouble);  // not sampled yet
  EXPECT_EQ(c.Minimum(), uc_MaxDouble);
  c.ResizePivotMatrix(10, 10);
  c.SetIsoParams(0, 1, 0.25);
  FourColors(*c.IsoColors());
  for (const TContourPlotMode mode : {cpmDots, cpmMonoDots}) {
    c.SetPlotMode(mode);
    c.EnablePainting();
    c.CallPaint();
    EXPECT_DOUBLE_EQ(c.Maximum(), 1.1);
    EXPECT_DOUBLE_EQ(c.Minimum(), -0.1);
    const auto dots = Marked(c, c.ChartColor());
    std::map<int, std::set<TColor>> byColumn;
    std::set<int> rows;
    for (const auto& [p, color] : dots) {
      byColumn[p.first].insert(color);
      rows.insert(p.second);
    }
    ASSERT_EQ(byColumn.size(), 4u) << mode;
    EXPECT_EQ(rows.size(), 6u - 2u) << mode;  // rows 0 and 5 lie on the frame
    const double levels[] = {0, 0.25, 0.5, 0.75};
    // Level colours round(L x 4): 0 taken as 1, then 1, 2, 3; mono: colour 1.
    const TColor expected[] = {clRed, clRed, clLime, clBlue};
    for (int k = 0; k < 4; ++k) {
      int px = 0, py = 0;
      c.R2M((levels[k] + 0.1) / 1.2, 0.5, px, py);
      ASSERT_TRUE(byColumn.count(px - c.LRim())) << mode << " level " << levels[k];
      EXPECT_EQ(byColumn[px - c.LRim()], std::set<TColor>{mode == cpmDots ? expected[k] : clRed}) << levels[k];
    }
    c.SetSuppressPaint(true);
  }
}

TEST(TContourPlot, AtMostTenThousandLevelsAreDrawn) {
  // Regression: a tiny IsoDist asked for billions of levels. 20000 levels over -1..1 are cut to
  // the first 10000, which end at 0: z = x crosses them left of x = 0 only.
  TContourFixture f([](double x, double) { return x; });
  f.c.SetRange(-1, 0, 1, 1);
  f.c.ResizePivotMatrix(10, 10);
  f.c.SetPlotMode(cpmMonoDots);
  f.c.SetIsoDist(2.0 / 20000);
  f.c.EnablePainting();
  const auto dots = Marked(f.c, f.c.ChartColor());
  ASSERT_FALSE(dots.empty());
  int zero = 0, py = 0;
  f.c.R2M(0.0, 0.0, zero, py);
  for (const auto& [p, color] : dots) EXPECT_LE(p.first, zero - f.c.LRim());
}

// --- colours and cells -------------------------------------------------------------------------

TEST(TContourPlot, ValuesTakeTheirColourByRoundingHalfToEven) {
  // Four pivots (0, 0), (1, 0), (0, 1), (1, 1) in cpmColorSurfNoIp: one flat rectangle each, a
  // quarter of the area. Palette of 4 over 0..1: v <= 0 colour 1; 0.375 -> 1.5 -> 2; 0.625 -> 2.5
  // -> 2 (half to even); 0.875 -> 3.5 -> 4.
  const std::map<std::pair<int, int>, double> z = {{{0, 0}, -3}, {{1, 0}, 0.375}, {{0, 1}, 0.625}, {{1, 1}, 0.875}};
  TContourFixture f([&](double x, double y) { return z.at({static_cast<int>(x), static_cast<int>(y)}); });
  f.c.SetPlotMode(cpmColorSurfNoIp);
  f.c.ResizePivotMatrix(10, 10);
  f.c.SetIsoParams(0, 1, 0.25);
  FourColors(*f.c.IsoColors());
  f.c.EnablePainting();
  EXPECT_EQ(f.c.At(0.2, 0.2), clRed);
  EXPECT_EQ(f.c.At(0.8, 0.2), clLime);
  EXPECT_EQ(f.c.At(0.2, 0.8), clLime);
  EXPECT_EQ(f.c.At(0.8, 0.8), clFuchsia);
}

TEST(TContourPlot, WithoutAFunctionEveryPivotIsZero) {
  TTestContour c;
  c.EnablePainting();
  const TColor middle = c.IsoColors()->GetColorElem(500);  // round(0.5 x 1000)
  EXPECT_EQ(c.At(0, 0), middle);
  EXPECT_EQ(c.At(-5, 5), middle);
  EXPECT_EQ(c.At(5, -5), middle);
}

TEST(TContourPlot, EveryPivotGetsARectangleWithoutInterpolationAndCellsOtherwise) {
  TContourFixture f;              // constant 0: every cell has one colour
  f.c.ResizePivotMatrix(50, 35);  // 10 x 7 pivots
  f.c.EnablePainting();
  const auto cells = [&](TContourPlotMode mode) {
    f.c.SetPlotMode(mode);
    const TCanvasTrace t = TraceOf(f.c.GrafBmp()->Canvas(), [&] { f.c.DrawPlot(); });
    return t.Count("FillRect") + t.Count("Pixel");
  };
  EXPECT_EQ(cells(cpmColorSurfNoIp), 10 * 7);  // the last row and column included
  EXPECT_EQ(cells(cpmColorSurface), 9 * 6);    // they only bound cells
}

TEST(TContourPlot, ACellOfMixedColoursIsSplitAtMostIntoItsPixels) {
  // 41 x 2 pivots over a data area of 200 x 100: cells 5 pixels wide and 100 high, z = x, so the
  // colours change inside every cell: 5 x 5 sub-cells, each one rectangle. With 101 x 2 pivots the
  // cells are 2 pixels wide: 2 x 5 sub-cells.
  TContourFixture f([](double x, double) { return 2 * x - 1; });
  f.c.EnablePainting();
  for (const auto& [pivots, perCell] : {std::pair{41, 25}, std::pair{101, 10}}) {
    f.c.SetPivotResY(2);
    const TCanvasTrace t = TraceOf(f.c.GrafBmp()->Canvas(), [&, pivots = pivots] { f.c.SetPivotResX(pivots); });
    EXPECT_EQ(t.Count("FillRect") + t.Count("Pixel"), (pivots - 1) * perCell) << pivots;
  }
}

TEST(TContourPlot, ARectangleCoversBothCornerPixels) {
  // Pivots 0 and 1 in x: the NoIp rectangle of pivot (0, 0) runs from -0.5 to 0.5, here columns
  // -50..50 and rows 150..50 of the control; it grows by one pixel to the right and down.
  TContourFixture f;
  f.c.ResizePivotMatrix(10, 10);
  f.c.SetPlotMode(cpmColorSurfNoIp);
  f.c.EnablePainting();
  const TCanvasTrace t = TraceOf(f.c.GrafBmp()->Canvas(), [&] { f.c.DrawPlot(); });
  const auto rects = t.Find("FillRect");
  ASSERT_EQ(rects.size(), 4u);
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  f.c.R2M(-0.5, -0.5, x0, y0);
  f.c.R2M(0.5, 0.5, x1, y1);
  const std::vector<int64_t> first = {x0 - 50, y1 - 20, x1 - 50 + 1, y0 - 20 + 1};
  EXPECT_EQ(rects[0].Args, first);
}

TEST(TContourPlot, TheBatchedSurfaceEqualsTheCallByCallSurface) {
  // The colour surface fills its sub-cells in batches straight into the picture; with the
  // platform's general paths it makes one FillRect per sub-cell. Cells of mixed colours, cells of
  // one colour, cells narrower than five pixels and a zoom that puts cells beyond the picture.
  TContourFixture f([](double x, double y) { return std::sin(9 * x) * std::cos(7 * y) + (x > 0.7 ? 5 : 0); });
  f.c.EnablePainting();
  const auto pixels = [&](bool direct) {
    const bool saved = platform_detail::SetDirectPaths(direct);
    f.c.DrawPlot();
    platform_detail::SetDirectPaths(saved);
    const TBitmap* b = f.c.GrafBmp();
    std::vector<uint32_t> out;
    for (int y = 0; y < b->Height(); ++y) out.insert(out.end(), b->ScanLine(y), b->ScanLine(y) + b->Width());
    return out;
  };
  for (const TContourPlotMode mode : {cpmColorSurface, cpmColorSurfNoIp})
    for (const auto& [nx, ny] : {std::pair{30, 20}, std::pair{150, 7}, std::pair{3, 90}}) {
      f.c.SetPlotMode(mode);
      f.c.SetPivotResX(nx);
      f.c.SetPivotResY(ny);
      f.c.SetRange(0, 0, 1, 1);
      EXPECT_EQ(pixels(true), pixels(false)) << mode << " " << nx << " x " << ny;
      f.c.SetRange(0.3, -0.2, 0.6, 0.4);
      EXPECT_EQ(pixels(true), pixels(false)) << "zoomed " << mode << " " << nx << " x " << ny;
    }
}

// --- progress and the kept picture ----------------------------------------------------------------

TEST(TContourPlot, ProgressRunsTo30WhileSamplingAndOnTo100WhileDrawing) {
  for (const TContourPlotMode mode : {cpmColorSurfNoIp, cpmColorSurface}) {
    TContourFixture f;
    f.c.ResizePivotMatrix(50, 50);  // 10 x 10 pivots
    f.c.SetPlotMode(mode);
    std::vector<int> progress;
    int lastSampling = -1;
    f.c.OnProgress = [&](TObject*, int p) { progress.push_back(p); };
    f.c.OnEstimateZVal = [&](TObject*, double, double, double&) { lastSampling = static_cast<int>(progress.size()); };
    f.c.EnablePainting();
    ASSERT_EQ(lastSampling, 10);
    const std::vector<int> sampling(progress.begin(), progress.begin() + 10);
    EXPECT_EQ(sampling, (std::vector<int>{3, 6, 9, 12, 15, 18, 21, 24, 27, 30}));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress[10], 37);
    // NoIp draws every pivot column and ends at 100; the cells end one column earlier.
    EXPECT_EQ(progress.back(), mode == cpmColorSurfNoIp ? 100 : 93) << mode;
  }
}

TEST(TContourPlot, ASecondPaintWithoutAChangeDoesNotSampleAgain) {
  TContourFixture f;
  f.c.EnablePainting();
  const int once = f.calls;
  EXPECT_EQ(once, 42 * 28);
  f.c.CallPaint();
  f.c.CallPaint();
  EXPECT_EQ(f.calls, once);
  f.c.CrossHairSetup(1, clRed, chBoth, psSolid, 1);  // drawn on the copy: no new picture
  f.c.CrossHairSetPos(1, 0.5, 0.5);
  EXPECT_EQ(f.calls, once);
  f.c.DrawPlot();
  EXPECT_EQ(f.calls, 2 * once);
}

TEST(TContourPlot, EveryChangeOfThePictureSamplesAgain) {
  struct Case {
    const char* name;
    std::function<void(TTestContour&)> change;
  };
  const Case cases[] = {
      {"IsoLow", [](TTestContour& c) { c.SetIsoLow(-2); }},
      {"IsoHigh", [](TTestContour& c) { c.SetIsoHigh(2); }},
      {"IsoDist", [](TTestContour& c) { c.SetIsoDist(0.2); }},
      {"IsoParams", [](TTestContour& c) { c.SetIsoParams(-3, 3, 1); }},
      {"a colour", [](TTestContour& c) { c.IsoColors()->SetColorElem(5, clWhite); }},
      {"PlotMode", [](TTestContour& c) { c.SetPlotMode(cpmDots); }},
      {"ChartColor", [](TTestContour& c) { c.SetChartColor(clYellow); }},
      {"ChartFrameColor", [](TTestContour& c) { c.SetChartFrameColor(clRed); }},
      {"MarginLeft", [](TTestContour& c) { c.SetMarginLeft(60); }},
      {"ShadowWidth", [](TTestContour& c) { c.SetShadowWidth(4); }},
      {"SetRange", [](TTestContour& c) { c.SetRange(0, 0, 2, 2); }},
      {"AddTextLabel", [](TTestContour& c) { c.AddTextLabel(0.5, 0.5, clBlack, u"peak", 0); }},
      {"SetTextLabel", [](TTestContour& c) { c.SetTextLabel(3, 0.5, 0.5, clBlack, u"peak", 0); }},
      {"a label's setting", [](TTestContour& c) { c.GetFTextLabel(1)->SetPosX(0.2); }},
      {"the background", [](TTestContour& c) { c.BackGroundImg()->SetAreaMode(bamLeft); }},
      {"painting coming back",
       [](TTestContour& c) {
         c.SetSuppressPaint(true);
         c.SetSuppressPaint(false);
       }},
  };
  for (const Case& k : cases) {
    TContourFixture f;
    f.c.EnablePainting();
    f.calls = 0;
    k.change(f.c);
    f.c.CallPaint();
    EXPECT_EQ(f.calls, 42 * 28) << k.name;
  }
}

TEST(TContourPlot, ZoomPanAndResizeRenderAgainWhateverTheHostHangsOnTheirEvents) {
  // Regression: the plot's own handlers sat in OnZoomPan and OnResize, so a host that assigned them
  // kept a picture of the old range and size.
  TContourFixture f;
  int zooms = 0, resizes = 0;
  f.c.OnZoomPan = [&](TObject*) { ++zooms; };
  f.c.OnResize = [&](TObject*) { ++resizes; };
  std::set<double> xs;
  f.c.OnEstimateZVal = [&](TObject*, double x, double, double&) { xs.insert(x); };
  f.c.EnablePainting();
  // A pan moves layer 1's range as the mouse does (ForceRange, pushing the zoom ring).
  xs.clear();
  f.c.ForceRange(1, 0.5, 0, 1.5, 1, true, false);
  f.c.CallPaint();
  ASSERT_FALSE(xs.empty());
  EXPECT_EQ(*xs.begin(), 0.5);
  EXPECT_EQ(*xs.rbegin(), 1.5);
  xs.clear();
  f.c.ZoomHistory(-1);  // back through the ring
  EXPECT_EQ(*xs.rbegin(), 1.0);
  // A resize renders a picture of the new size.
  f.c.SetBounds(0, 0, 370, 260);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(f.c.GrafBmp()->Width(), 301);
  EXPECT_EQ(f.c.GrafBmp()->Height(), 201);
  EXPECT_EQ(f.c.At(0.99, 0.01), f.c.IsoColors()->GetColorElem(500));
  EXPECT_EQ(zooms, 0);
}

TEST(TContourPlot, TheOverlayIsDrawnOnACopyOfTheKeptPicture) {
  // Regression: every paint drew the host's overlay again onto the kept picture, so a moving
  // overlay left a trail; and OnDataRendered got Left as Top, without the canvas offsets.
  TContourFixture f;
  int line = 10;
  std::vector<std::pair<int, int>> args;
  f.c.OnDataRendered = [&](TObject*, TCanvas* canvas, int Top, int Left) {
    args.emplace_back(Top, Left);
    canvas->Pen()->SetColor(clBlack);
    canvas->MoveTo(line - Left + 50, 0);
    canvas->LineTo(line - Left + 50, 90);
  };
  f.c.EnablePainting();
  const TColor background = f.c.GrafBmp()->Canvas()->Pixels(40, 50);
  line = 30;
  f.c.CallPaint();
  EXPECT_EQ(f.c.GrafBmp()->Canvas()->Pixels(30, 50), clBlack);
  EXPECT_EQ(f.c.GrafBmp()->Canvas()->Pixels(10, 50), f.c.GrafBmp()->Canvas()->Pixels(11, 50));
  EXPECT_NE(background, clBlack);
  ASSERT_GE(args.size(), 2u);
  EXPECT_EQ(args.back(), (std::pair{20, 50}));  // Top = TRim, Left = LRim on the data picture
  TBitmap copy;
  f.c.CopyToBitmap(&copy, false);
  EXPECT_EQ(args.back(), (std::pair{0, 0}));  // the whole control's canvas
  EXPECT_EQ(copy.Canvas()->Pixels(30 + 50, 50 + 20), clBlack);
  EXPECT_EQ(copy.Canvas()->Pixels(10 + 50, 50 + 20), copy.Canvas()->Pixels(11 + 50, 50 + 20));
}

TEST(TContourPlot, TheOutputPictureEqualsTheScreen) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 240);
  auto* c = new TContourPlot(&form);
  c->SetParent(&form);
  c->SetBounds(10, 10, 280, 200);
  int calls = 0;
  c->OnEstimateZVal = [&](TObject*, double x, double y, double& z) {
    ++calls;
    z = std::sin(x) * std::cos(y);
  };
  EXPECT_EQ(calls, 0);  // no window yet
  user.Show(&form);
  EXPECT_EQ(calls, 42 * 28);
  const auto shot = user.Grab(c);
  TBitmap copy;
  c->CopyToBitmap(&copy, false);
  ASSERT_EQ(copy.Width(), shot->Width());
  int differ = 0;
  for (int y = 0; y < copy.Height(); ++y)
    for (int x = 0; x < copy.Width(); ++x) differ += copy.Canvas()->Pixels(x, y) != shot->Canvas()->Pixels(x, y);
  EXPECT_EQ(differ, 0);
}

// --- attached colour scale ---------------------------------------------------------------------

TEST(TContourPlot, AnAttachedColourScaleFollowsTheLevelsAndTheColours) {
  TTestContour c;
  auto scale = std::make_unique<TColorScale>(nullptr);
  // Regression: the colours were copied into the scale's palette whatever its size.
  c.IsoColors()->Resize(16);
  c.SetAttachedColorScale(scale.get());
  EXPECT_TRUE(scale->ColorArray()->IsEqual(c.IsoColors()));
  EXPECT_EQ(scale->ColorLow(), -1.0);
  EXPECT_EQ(scale->ColorHigh(), 1.0);
  c.SetIsoHigh(20);  // above the scale's ColorHigh and its ColorLow
  c.SetIsoLow(15);
  EXPECT_EQ(scale->ColorLow(), 15.0);
  EXPECT_EQ(scale->ColorHigh(), 20.0);
  c.SetIsoParams(-30, -20, 1);  // both below
  EXPECT_EQ(scale->ColorLow(), -30.0);
  EXPECT_EQ(scale->ColorHigh(), -20.0);
  c.IsoColors()->SetColorElem(3, clWhite);
  EXPECT_EQ(scale->ColorArray()->GetColorElem(3), clWhite);
  c.IsoColors()->Resize(40);
  EXPECT_EQ(scale->ColorArray()->Size(), 40);
  c.SetAttachedColorScale(nullptr);
  c.SetIsoLow(-100);
  EXPECT_EQ(scale->ColorLow(), -30.0);
}

TEST(TContourPlot, AnAttachedColourScaleMayBeDestroyedFirst) {
  TTestContour c;
  c.EnablePainting();
  {
    TColorScale scale(nullptr);
    c.SetAttachedColorScale(&scale);
  }
  EXPECT_EQ(c.AttachedColorScale(), nullptr);
  c.SetIsoLow(-3);
  c.IsoColors()->SetColorElem(1, clBlack);
  // And the plot may go first.
  TColorScale scale(nullptr);
  {
    TContourPlot other(nullptr);
    other.SetAttachedColorScale(&scale);
  }
  scale.SetColorLow(-2);
}

TEST(TContourPlot, AScriptedPanRendersAgainWhileTheHostHoldsOnZoomPanAndOnResize) {
  // Regression: the plot's own handlers sat in the public OnZoomPan and OnResize, so a host that
  // assigned them kept showing the picture of the range before the pan.
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 360, 260);
  auto* plot = new TTestContour(&form);
  plot->SetParent(&form);
  plot->SetBounds(10, 10, 270, 160);
  plot->SetRange(0, 0, 1, 1);
  plot->SetMouseAction(maPan);
  int zoomPans = 0, resizes = 0;
  plot->OnZoomPan = [&](TObject*) { ++zoomPans; };
  plot->OnResize = [&](TObject*) { ++resizes; };
  std::set<double> xs;
  plot->OnEstimateZVal = [&](TObject*, double x, double, double&) { xs.insert(x); };
  user.Show(&form);
  xs.clear();
  const int x0 = plot->LRim() + 100, y0 = plot->TRim() + 50;
  user.Press(plot, x0, y0);
  user.MoveTo(plot, x0 + 1, y0);    // anchors the pan
  user.MoveTo(plot, x0 - 99, y0);   // half the data area to the left: the range moves right by 0.5
  user.Release(plot, x0 - 99, y0);
  ASSERT_GT(zoomPans, 0);
  ASSERT_FALSE(xs.empty()) << "the pan sampled the function again";
  EXPECT_NEAR(*xs.begin(), 0.5, 1e-9);
  EXPECT_NEAR(*xs.rbegin(), 1.5, 1e-9);
  plot->SetBounds(10, 10, 320, 200);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(plot->GrafBmp()->Width(), 320 - plot->LRim() - plot->RRim() + 1);
}
