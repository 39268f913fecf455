// TPlot3D pictures, mouse and output: the painting order in each quadrant of the view, the projection
// maps, the mesh kinds in pixels, the hover test, scripted drags and the output operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Assertions.h"
#include "Clipbrd.h"
#include "FileTestKit.h"
#include "Forms.h"
#include "Printers.h"
#include "Qelta_plot3d.h"
#include "Testing.h"

using namespace qelta;

namespace {

constexpr TColor kFrame = 0x111111, kHidden = 0x222222, kMesh = 0x333333, kX = 0x0000AA, kY = 0x00AA00, kZ = 0xAA0000;

// A plot with a grid of NC x NR heights 0 and colours that tell the painting steps apart.
struct Plot {
  TPlot3D p{nullptr};
  explicit Plot(int nc = 3, int nr = 3) {
    p.SetName(u"Surface");
    p.GridMat()->Resize(nc, nr);
    p.SetColorCubeFrame(kFrame);
    p.SetColorCubeHidLin(kHidden);
    p.SetColorMesh(kMesh);
    p.SetColorXCoords(kX);
    p.SetColorYCoords(kY);
    p.SetColorZCoords(kZ);
  }
  // Seen straight from above: pixel = model x, y + centre (325, 250); a 3 x 3 grid has its points
  // at 175, 325, 475 across and 100, 250, 400 down.
  void TopView() {
    p.SetViewAngles(0, 0);
    p.SetBoundBoxStyle(bbNone);
    p.SetVisibleXCoords(false);
    p.SetVisibleYCoords(false);
    p.SetVisibleZCoords(false);
  }
};

// One rendering onto a white bitmap, with its canvas trace. Handlers see the plot's own repaint after
// it too (releasing the suppression repaints), so they look only at calls for this canvas.
struct Rendering {
  TBitmap bmp{650, 500};
  TCanvasTrace trace;
  Rendering() = default;
  explicit Rendering(TPlot3D& p) { Draw(p); }
  void Draw(TPlot3D& p) {
    bmp.Canvas()->SetTrace(&trace);
    p.DrawOnForeignCanvas(bmp.Canvas());
    bmp.Canvas()->SetTrace(nullptr);
  }
  bool Mine(const TCanvas* c) const { return c == bmp.Canvas(); }
  TColor At(int x, int y) const { return bmp.Canvas()->Pixels(x, y); }
};

// The drawing calls as (call, pen colour) with repeats merged: the painting steps in order.
std::vector<std::pair<std::string, TColor>> Steps(const TCanvasTrace& trace) {
  std::vector<std::pair<std::string, TColor>> steps;
  TColor pen = -1;
  for (const TCanvasTraceRecord& r : trace.Records()) {
    if (r.Op == "Pen.Color") pen = static_cast<TColor>(r.Args[0]);
    if (r.Op != "Polygon" && r.Op != "LineTo") continue;
    if (steps.empty() || steps.back() != std::pair{r.Op, pen}) steps.emplace_back(r.Op, pen);
  }
  return steps;
}

std::vector<std::pair<int, int>> CellOrder(TPlot3D& p) {
  std::vector<std::pair<int, int>> cells;
  Rendering r;
  p.OnBeforeRenderPolygon = [&](TObject*, TCanvas* c, bool&, int x, int y, TQuad, TColor&) {
    if (r.Mine(c)) cells.emplace_back(x, y);
  };
  r.Draw(p);
  p.OnBeforeRenderPolygon = nullptr;
  return cells;
}

// --- painting order -----------------------------------------------------------------------------

struct QuadrantCase {
  double ax, az;
  std::vector<std::pair<int, int>> cells;
};

class Plot3DQuadrant : public ::testing::TestWithParam<QuadrantCase> {};

TEST_P(Plot3DQuadrant, PaintsFacesHiddenEdgesCellsFrontEdgesAxesInThatOrder) {
  Plot plot;
  plot.p.SetViewAngles(GetParam().ax, GetParam().az);
  Rendering r(plot.p);
  const std::vector<std::pair<std::string, TColor>> expected = {
      {"Polygon", kFrame}, {"LineTo", kHidden}, {"Polygon", kMesh}, {"LineTo", kFrame},
      {"LineTo", kX},      {"LineTo", kY},      {"LineTo", kZ}};
  EXPECT_EQ(Steps(r.trace), expected);
  EXPECT_EQ(r.trace.Count("Polygon"), 3 + 4);
  EXPECT_EQ(CellOrder(plot.p), GetParam().cells);
}

// Rows ascend when FR = (X > 180) xor (Z < 90 or Z > 270), columns when FC = ((X > 180) = (Z > 180)).
INSTANTIATE_TEST_SUITE_P(Views, Plot3DQuadrant,
                         ::testing::Values(QuadrantCase{60, 45, {{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
                                           QuadrantCase{60, 135, {{1, 2}, {2, 2}, {1, 1}, {2, 1}}},
                                           QuadrantCase{60, 225, {{2, 2}, {1, 2}, {2, 1}, {1, 1}}},
                                           QuadrantCase{60, 315, {{2, 1}, {1, 1}, {2, 2}, {1, 2}}},
                                           QuadrantCase{240, 45, {{2, 2}, {1, 2}, {2, 1}, {1, 1}}}));

TEST(Plot3DPaint, FacesAtTheFarthestCornerAreShadedByHowSquarelyTheyFaceTheViewer) {
  Plot plot;
  plot.p.SetViewAngles(60, 45);  // depth row (0.61, 0.61, 0.5): corner 7 is farthest, faces 0, 4, 1
  Rendering r(plot.p);
  const auto brushes = r.trace.Find("Brush.Color");
  ASSERT_GE(brushes.size(), 3u);
  EXPECT_EQ(brushes[0].Args[0], RGB(215, 215, 223));  // z high: F = 100 of 200
  EXPECT_EQ(brushes[1].Args[0], RGB(220, 220, 229));  // x high: F = 122
  EXPECT_EQ(brushes[2].Args[0], RGB(220, 220, 229));  // y high
}

TEST(Plot3DPaint, FrameBoxDrawsOutlinesAndNoBoxDrawsNeitherFacesNorEdges) {
  Plot plot;
  plot.p.SetBoundBoxStyle(bbFrame);
  Rendering framed(plot.p);
  EXPECT_EQ(framed.trace.Find("Brush.Style").at(0).Args[0], bsClear);
  plot.p.SetBoundBoxStyle(bbNone);
  Rendering bare(plot.p);
  const auto steps = Steps(bare.trace);
  EXPECT_EQ(steps.front(), (std::pair<std::string, TColor>{"Polygon", kMesh}));
  EXPECT_EQ(bare.trace.Count("Polygon"), 4);
}

TEST(Plot3DPaint, AGridOfOneRowOrColumnDrawsTheCubeAndAxesButNoSurface) {
  for (auto [nc, nr] : {std::pair{1, 5}, {5, 1}}) {
    Plot plot(nc, nr);
    Rendering r(plot.p);
    EXPECT_EQ(r.trace.Count("Polygon"), 3) << nc << "x" << nr;
    EXPECT_GT(r.trace.Count("TextOut"), 6);
  }
}

TEST(Plot3DPaint, AHandledCellIsNotDrawnButItsMapEntriesAreUpdated) {
  Plot plot;
  plot.TopView();
  std::vector<TQuad> quads;
  Rendering r;
  plot.p.OnBeforeRenderPolygon = [&](TObject*, TCanvas* c, bool& handled, int x, int y, TQuad q, TColor& color) {
    if (x != 1 || y != 1) return;
    handled = true;
    if (r.Mine(c)) quads.push_back(q);
    EXPECT_EQ(color, plot.p.CalcColorCoding(0));
  };
  r.Draw(plot.p);
  EXPECT_EQ(r.trace.Count("Polygon"), 3);
  ASSERT_EQ(quads.size(), 1u);
  const int expected[4][2] = {{175, 100}, {325, 100}, {325, 250}, {175, 250}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(quads[0][i].X, expected[i][0]) << i;
    EXPECT_EQ(quads[0][i].Y, expected[i][1]) << i;
  }
  EXPECT_EQ(plot.p.ProjMapX()->GetVal(1, 1), 175);
  EXPECT_EQ(plot.p.ProjMapY()->GetVal(1, 1), 100);
  EXPECT_EQ(r.At(250, 175), clWhite);  // inside the skipped cell
  EXPECT_EQ(r.At(400, 175), clBlack);  // inside the next one: height 0 codes as the low colour
}

// --- projection maps --------------------------------------------------------------------------------

TEST(Plot3DPaint, GridPointsSitSymmetricallyAcrossTheCube) {
  Plot plot(4, 3);
  plot.TopView();
  Rendering r(plot.p);
  const int xs[4] = {175, 275, 375, 475}, ys[3] = {100, 250, 400};
  for (int c = 1; c <= 4; ++c)
    for (int row = 1; row <= 3; ++row) {
      EXPECT_EQ(plot.p.ProjMapX()->GetVal(c, row), xs[c - 1]) << c << "," << row;
      EXPECT_EQ(plot.p.ProjMapY()->GetVal(c, row), ys[row - 1]) << c << "," << row;
    }
}

TEST(Plot3DPaint, HeightsAreCalibratedByTheZRangeAndStretched) {
  Plot plot(2, 2);
  plot.TopView();
  plot.p.SetViewAngles(90, 0);  // seen from the side: pixel y = centre - z
  plot.p.GridMat()->SetVal(1, 1, 0.5);
  plot.p.GridMat()->SetVal(2, 1, -1);
  plot.p.SetScaleFactZ(2);
  plot.p.SetMagnification(0.5);
  Rendering r(plot.p);
  EXPECT_EQ(plot.p.ProjMapY()->GetVal(1, 1), 250 - 75);   // z = 150 x 0.5, times 2 x 0.5
  EXPECT_EQ(plot.p.ProjMapY()->GetVal(2, 1), 250 + 150);  // the range's low end at -150
  EXPECT_EQ(plot.p.ProjMapX()->GetVal(2, 1), 325 + 75);
}

TEST(Plot3DPaint, TheZMapHoldsThePaintingNumberOfTheLastCellAtEachPoint) {
  struct Case {
    double az;
    int map[3][3];  // [row][column]
  };
  const Case cases[] = {
      {45, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},   // rows and columns ascending: the row-major numbers
      {225, {{5, 6, 5}, {8, 9, 8}, {5, 6, 5}}},  // both descending: later cells overwrite shared points
  };
  for (const Case& c : cases) {
    Plot plot;
    plot.p.SetViewAngles(60, c.az);
    Rendering r(plot.p);
    for (int row = 1; row <= 3; ++row)
      for (int col = 1; col <= 3; ++col)
        EXPECT_EQ(plot.p.ProjMapZ()->GetVal(col, row), c.map[row - 1][col - 1]) << c.az << ": " << col << "," << row;
  }
}

TEST(Plot3DPaint, ExtremeHeightsAndFactorsKeepPixelsInRange) {
  Plot plot(2, 2);
  plot.p.GridMat()->SetVal(1, 1, 1e300);
  plot.p.GridMat()->SetVal(2, 2, std::numeric_limits<double>::quiet_NaN());
  plot.p.SetScaleFactX(1e200);
  Rendering r(plot.p);
  for (int c = 1; c <= 2; ++c)
    for (int row = 1; row <= 2; ++row) {
      EXPECT_LE(std::abs(plot.p.ProjMapX()->GetVal(c, row)), MaxPlot3DPixel);
      EXPECT_LE(std::abs(plot.p.ProjMapY()->GetVal(c, row)), MaxPlot3DPixel);
    }
}

// --- mesh kinds in pixels ------------------------------------------------------------------------

TEST(Plot3DPaint, MeshKindsOutlineCellsAsTheySay) {
  const TColor cell = 0x008080;  // 50 of 0..100, black to yellow
  struct Case {
    TMeshKind kind;
    bool meshVisible;
    TColor topEdge, leftEdge, diagonal, corner;
  };
  const Case cases[] = {
      {mkMesh, true, kMesh, kMesh, cell, kMesh},
      {mkMesh, false, cell, cell, cell, cell},
      {mkWaterfallHorz, true, cell, kMesh, cell, kMesh},
      {mkWaterfallVert, true, kMesh, cell, cell, kMesh},
      {mkWaterfallDiag, true, cell, cell, kMesh, kMesh},
      {mkGrid, true, cell, cell, cell, kMesh},
      {mkGrid, false, cell, cell, cell, kMesh},  // corner pixels whatever MeshVisible says
  };
  for (const Case& c : cases) {
    Plot plot;
    plot.TopView();
    plot.p.GridMat()->Fill(50);
    plot.p.SetRange(-1, 1, -1, 1, -100, 100);
    plot.p.SetMeshKind(c.kind);
    plot.p.SetMeshVisible(c.meshVisible);
    Rendering r(plot.p);
    EXPECT_EQ(r.At(250, 100), c.topEdge) << c.kind << c.meshVisible;
    EXPECT_EQ(r.At(175, 175), c.leftEdge) << c.kind << c.meshVisible;
    EXPECT_EQ(r.At(250, 175), c.diagonal) << c.kind << c.meshVisible;
    EXPECT_EQ(r.At(175, 100), c.corner) << c.kind << c.meshVisible;
    EXPECT_EQ(r.At(280, 140), cell) << c.kind << c.meshVisible;
  }
}

TEST(Plot3DPaint, CellsAreColouredByTheirLargestCornerOrTheMean) {
  Plot plot(2, 2);
  plot.TopView();
  plot.p.SetRange(-1, 1, -1, 1, -100, 100);
  plot.p.GridMat()->SetVal(1, 1, 100);  // corners 100, 0, 0, 0
  plot.p.SetMeshVisible(false);
  EXPECT_EQ(Rendering(plot.p).At(325, 250), 0x00FFFF);
  plot.p.SetColorCodeAvg(true);
  EXPECT_EQ(Rendering(plot.p).At(325, 250), plot.p.CalcColorCoding(25));
}

// --- axes -----------------------------------------------------------------------------------------

TEST(Plot3DPaint, AxesLabelTheirTicksAndCaptions) {
  Plot plot;
  plot.p.SetRange(0, 10, -1, 1, 0, 1e6);
  plot.p.SetMinTickX(4);  // 10 / 4 = 2.5: ticks every 2
  plot.p.SetDecPlaceX(0);
  plot.p.SetDecPlaceZ(-2);  // automatic: exponent form for a range of 1e6
  std::vector<std::pair<TP3ScaleKind, std::string>> labels;
  Rendering r;
  plot.p.OnBeforeDrawScaleLabel = [&](TObject*, TCanvas* c, TP3ScaleKind k, String& text, int, int) {
    if (r.Mine(c)) labels.emplace_back(k, StringToUtf8(text));
    if (k == p3skY) text = u"y!";
  };
  r.Draw(plot.p);
  std::vector<std::string> xs, zs, drawn;
  for (const auto& [k, t] : labels) (k == p3skX ? xs : k == p3skZ ? zs : drawn).push_back(t);
  EXPECT_EQ(xs, (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
  ASSERT_FALSE(zs.empty());
  EXPECT_EQ(zs.front(), "0.0");                   // a zero tick on a range wider than 100000
  EXPECT_EQ(zs.back(), " 1.0E+0006");           // exponent form with the four-digit exponent
  std::vector<std::string> texts;
  for (const auto& rec : r.trace.Find("TextOut")) texts.push_back(StringToUtf8(rec.Text));
  EXPECT_NE(std::find(texts.begin(), texts.end(), "y!"), texts.end());
  for (const char* caption : {"X", "Y", "Z"}) EXPECT_NE(std::find(texts.begin(), texts.end(), caption), texts.end());
}

TEST(Plot3DPaint, NoTickLabelIsWrittenOverAnother) {
  // Regression: the x and the y axis both end at one corner of the cube, and their labels there were
  // written over each other ("3030"); labels near the picture's edge were cut. A label that would
  // not show whole, or would overlap one already written, is left out.
  Plot plot(30, 30);
  plot.p.SetBounds(0, 0, 320, 250);
  plot.p.SetMagnification(0.45);
  plot.p.SetRange(1, 30, 1, 30, 0, 1);
  plot.p.SetMinTickX(2);
  plot.p.SetMinTickY(2);
  plot.p.SetDecPlaceX(0);
  plot.p.SetDecPlaceY(0);
  for (const double ax : {30.0, 60.0, 120.0, 200.0, 300.0})
    for (double az = 0; az < 360; az += 15) {
      plot.p.SetViewAngles(ax, az);
      Rendering r;
      r.bmp.SetSize(320, 250);  // the plot's own size: labels beyond it would be cut
      r.Draw(plot.p);
      std::vector<TRect> boxes;
      std::vector<std::string> texts;
      for (const TCanvasTraceRecord& rec : r.trace.Find("TextOut")) {
        if (rec.Text.size() == 1 && rec.Text[0] >= u'X') continue;  // the captions
        const int x = static_cast<int>(rec.Args[0]), y = static_cast<int>(rec.Args[1]);
        // The figures: from the cell's top plus its internal leading down to the baseline.
        const TTextMetric m = r.bmp.Canvas()->GetTextMetrics();
        boxes.push_back(Rect(x, y + m.tmInternalLeading, x + r.bmp.Canvas()->TextWidth(rec.Text), y + m.tmAscent));
        texts.push_back(StringToUtf8(rec.Text));
      }
      EXPECT_GE(texts.size(), 6u) << "view " << ax << ", " << az << ": most labels stay";
      if (ax == 60 && az == 30) {
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "30"), 1) << "the shared corner keeps one of its labels";
      }
      for (std::size_t i = 0; i < boxes.size(); ++i) {
        const TRect& b = boxes[i];
        EXPECT_TRUE(b.Left >= 0 && b.Top >= 0 && b.Right <= 320 && b.Bottom <= 250)
            << "view " << ax << ", " << az << ": " << texts[i] << " cut at " << b.Left << ", " << b.Top;
        for (std::size_t j = 0; j < i; ++j) {
          const TRect& a = boxes[j];
          EXPECT_FALSE(a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom)
              << "view " << ax << ", " << az << ": " << texts[j] << " and " << texts[i];
        }
      }
    }
}

TEST(Plot3DPaint, AnAxisOfNonFiniteRangeDrawsOneTickAndStops) {
  Plot plot;
  plot.p.SetRangeXHigh(std::numeric_limits<double>::infinity());
  int xTicks = 0;
  Rendering r;
  plot.p.OnBeforeDrawScaleLabel = [&](TObject*, TCanvas* c, TP3ScaleKind k, String&, int, int) {
    xTicks += r.Mine(c) && k == p3skX;
  };
  r.Draw(plot.p);
  EXPECT_EQ(xTicks, 1);
}

TEST(Plot3DPaint, OnDataRenderedComesLastOnTheCanvasDrawnOn) {
  Plot plot;
  Rendering r;
  size_t recordsBefore = 0;
  plot.p.OnDataRendered = [&](TObject*, TCanvas* c) {
    if (r.Mine(c)) recordsBefore = r.trace.Records().size();
  };
  r.Draw(plot.p);
  EXPECT_GT(recordsBefore, 0u);
  EXPECT_EQ(recordsBefore, r.trace.Records().size());
}

// --- on a form: repaint, hover, mouse ---------------------------------------------------------------

class Plot3DForm : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  TPlot3D* p = nullptr;
  void SetUp() override {
    form.SetBounds(0, 0, 700, 560);
    p = new TPlot3D(&form);
    p->SetBounds(10, 10, 650, 500);
    p->SetParent(&form);
    user.Show(&form);
  }
};

TEST_F(Plot3DForm, TheShownPlotShowsFrameBackgroundAndSurface) {
  p->GridMat()->Resize(3, 3);
  p->GridMat()->Fill(100);
  p->SetRange(-1, 1, -1, 1, 0, 100);
  p->SetViewAngles(0, 0);
  auto shot = user.Grab(p);
  EXPECT_EQ(shot->Canvas()->Pixels(0, 250), clGray);     // lowered frame
  EXPECT_EQ(shot->Canvas()->Pixels(1, 250), clBlack);
  EXPECT_EQ(shot->Canvas()->Pixels(60, 30), clWhite);    // background
  EXPECT_EQ(shot->Canvas()->Pixels(250, 175), 0x00FFFF);  // a cell at 100: yellow
}

TEST_F(Plot3DForm, HoverReportsTheCellUnderThePointer) {
  p->GridMat()->Resize(3, 3);
  p->SetViewAngles(0, 0);
  std::vector<std::tuple<bool, int, int>> reports;
  p->OnMouseMoveOverPlot = [&](TObject*, bool over, TShiftState, int x, int y) { reports.emplace_back(over, x, y); };
  user.MoveTo(p, 200, 120);
  user.MoveTo(p, 400, 300);
  user.MoveTo(p, 10, 10);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], std::make_tuple(true, 1, 1));
  EXPECT_EQ(reports[1], std::make_tuple(true, 2, 2));
  EXPECT_EQ(reports[2], std::make_tuple(false, 0, 0));
}

TEST_F(Plot3DForm, OverlappingCellsReportTheOneWhoseFirstCornerWasPaintedLast) {
  // Seen from the side, rows 1-2 and 2-3 rise to 0.5 and fall back: both cells cover the same pixels.
  p->GridMat()->Resize(2, 3);
  p->GridMat()->SetVal(1, 2, 0.5);
  p->GridMat()->SetVal(2, 2, 0.5);
  std::tuple<bool, int, int> report;
  p->OnMouseMoveOverPlot = [&](TObject*, bool over, TShiftState, int x, int y) { report = {over, x, y}; };
  p->SetViewAngles(90, 0);  // rows ascending: cell (1, 2) painted last
  user.MoveTo(p, 300, 220);
  EXPECT_EQ(report, std::make_tuple(true, 1, 2));
  p->SetViewAngles(90, 180);  // rows descending: (1, 1) painted last, but its P3 renumbered point (1, 2)
  user.MoveTo(p, 310, 220);
  EXPECT_EQ(report, std::make_tuple(true, 1, 2));
}

// Regression: a collapsed cell (all four corners on one pixel) counted as containing every point,
// so before the first painting of a grid the plot reported cell (1, 1) wherever the pointer was.
TEST(Plot3DHover, BeforeTheFirstPaintingNoCellIsUnderThePointer) {
  TPlot3D p(nullptr);
  p.GridMat()->Resize(3, 3);  // maps resized, all points still at pixel 0, 0
  std::tuple<bool, int, int> report{true, -1, -1};
  p.OnMouseMoveOverPlot = [&](TObject*, bool over, TShiftState, int x, int y) { report = {over, x, y}; };
  p.Perform(WM_MOUSEMOVE, 0, MakeMouseLParam(200, 120));
  EXPECT_EQ(report, std::make_tuple(false, 0, 0));
  p.Perform(WM_MOUSEMOVE, 0, MakeMouseLParam(0, 0));
  EXPECT_EQ(report, std::make_tuple(false, 0, 0));
  p.SetViewAngles(0, 0);  // painted (into the bitmap: there is no window)
  p.Perform(WM_MOUSEMOVE, 0, MakeMouseLParam(200, 120));
  EXPECT_EQ(report, std::make_tuple(true, 1, 1));
}

TEST_F(Plot3DForm, DraggingRotatesFromTheHoverAnchor) {
  user.MoveTo(p, 100, 100);  // the anchor
  user.Press(p, 100, 100);
  user.MoveTo(p, 35, 100);  // 65 px left: Z turns by 65 x 360 / 650 = 36
  EXPECT_DOUBLE_EQ(p->ViewAngleZ(), 51);
  EXPECT_DOUBLE_EQ(p->ViewAngleX(), 60);
  user.MoveTo(p, 35, 50);  // 50 px up: X tilts by 50 x 360 / 500 = 36
  EXPECT_DOUBLE_EQ(p->ViewAngleX(), 96);
  user.MoveTo(p, 165, 50);  // 65 px right of the anchor: Z = 15 - 36 wraps to 339
  EXPECT_DOUBLE_EQ(p->ViewAngleZ(), 339);
  user.Release(p, 165, 50);
  EXPECT_NEAR(p->GetRotMat(1, 1), std::cos(339 * std::numbers::pi / 180), 1e-12);
}

TEST_F(Plot3DForm, RotatingAboutOneAxisTurnsOnlyThatOne) {
  p->SetMouseAction(maRotXOnly);
  user.MoveTo(p, 100, 100);
  user.Press(p, 100, 100);
  user.MoveTo(p, 50, 150);  // down turns X up here (the opposite sense of maRotate)
  EXPECT_DOUBLE_EQ(p->ViewAngleX(), 96);
  EXPECT_DOUBLE_EQ(p->ViewAngleZ(), 15);
  user.Release(p, 50, 150);
  p->SetMouseAction(maRotZOnly);
  user.MoveTo(p, 100, 100);
  user.Press(p, 100, 100);
  user.MoveTo(p, 35, 300);
  EXPECT_DOUBLE_EQ(p->ViewAngleZ(), 51);
  EXPECT_DOUBLE_EQ(p->ViewAngleX(), 96);
  user.Release(p, 35, 300);
}

TEST_F(Plot3DForm, ZoomAndPanReportEachStep) {
  int zoomPans = 0;
  p->OnZoomPan = [&](TObject*) { ++zoomPans; };
  p->SetMouseAction(maZoom);
  user.MoveTo(p, 100, 300);
  user.Drag(p, 100, 300, 100, 200, mbLeft, 1);  // 100 px up: + 4.9 x 100 / 500 / 2
  EXPECT_DOUBLE_EQ(p->Magnification(), 1.49);
  user.MoveTo(p, 100, 0);
  user.Drag(p, 100, 0, 100, 500, mbLeft, 1);  // all the way down: 1.49 - 2.45, kept to 0.1
  EXPECT_DOUBLE_EQ(p->Magnification(), 0.1);
  p->SetMouseAction(maPan);
  user.MoveTo(p, 100, 100);
  user.Drag(p, 100, 100, 130, 80, mbLeft, 1);
  EXPECT_EQ(p->CentX(), 355);  // also with AutoCenter on
  EXPECT_EQ(p->CentY(), 230);
  EXPECT_EQ(zoomPans, 3);
}

TEST_F(Plot3DForm, RotateAndZoomZoomsWithTheRightButtonWithoutClampingTheTurn) {
  p->SetMouseAction(maRotAndZoom);
  user.MoveTo(p, 100, 300);
  user.Drag(p, 100, 300, 100, 200, mbRight, 1);
  EXPECT_DOUBLE_EQ(p->Magnification(), 1.49);
  EXPECT_DOUBLE_EQ(p->ViewAngleX(), 60);
}

TEST_F(Plot3DForm, OnMouseActionMayChangeTheNewValuesBeforeTheyAreUsed) {
  p->OnMouseAction = [](TObject*, int& cx, int&, double& ax, double&, double& mag, TShiftState shift) {
    EXPECT_TRUE(shift.Contains(ssLeft));
    ax = 10;
    cx = 7;
    mag = 99;
  };
  user.MoveTo(p, 100, 100);
  user.Drag(p, 100, 100, 90, 90, mbLeft, 1);
  EXPECT_EQ(p->ViewAngleX(), 10);
  EXPECT_EQ(p->CentX(), 7);
  EXPECT_EQ(p->Magnification(), 5.0);
  EXPECT_NEAR(p->GetRotMat(2, 3), -std::sin(10 * std::numbers::pi / 180), 1e-12);
}

TEST_F(Plot3DForm, MovesOutsideTheControlAreIgnored) {
  user.MoveTo(p, 100, 100);
  user.Press(p, 100, 100);
  user.MoveTo(p, -5, 100);  // captured, but outside
  user.MoveTo(p, 100, 501);
  EXPECT_EQ(p->ViewAngleZ(), 15);
  EXPECT_EQ(p->ViewAngleX(), 60);
  user.MoveTo(p, 0, 500);  // the bounds themselves count
  EXPECT_NE(p->ViewAngleZ(), 15);
  user.Release(p, 0, 500);
}

// Regression: the plot hooked its own public OnResize, so a host that assigned OnResize lost the
// automatic centring.
TEST_F(Plot3DForm, AHostsOnResizeAndAutoCenterBothWork) {
  int resized = 0;
  p->OnResize = [&](TObject*) { ++resized; };
  p->SetBounds(10, 10, 400, 300);
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(p->CentX(), 200);
  EXPECT_EQ(p->CentY(), 150);
}

// Regression: DrawOnForeignCanvas released the paint suppression whatever the host had set.
TEST(Plot3DForeign, DrawOnForeignCanvasRestoresTheHostsSuppression) {
  TPlot3D p(nullptr);
  p.SetSuppressPaint(true);
  TBitmap host(650, 500);
  p.DrawOnForeignCanvas(host.Canvas());
  EXPECT_TRUE(p.SuppressPaint());
  p.SetSuppressPaint(false);
  p.DrawOnForeignCanvas(host.Canvas());
  EXPECT_FALSE(p.SuppressPaint());
  p.DrawOnForeignCanvas(nullptr);
}

TEST(Plot3DDesign, AtDesignTimeOnlyTheNameIsShown) {
  struct Designed : TPlot3D {
    explicit Designed() : TPlot3D(nullptr) { SetDesigning(true); }
    void Render(TCanvas* c) { InitGraf(c); }
  } p;
  TBitmap b(650, 500);
  TCanvasTrace trace;
  b.Canvas()->SetTrace(&trace);
  p.Render(b.Canvas());
  b.Canvas()->SetTrace(nullptr);
  ASSERT_EQ(trace.Count("TextOut"), 1);
  EXPECT_EQ(trace.Find("TextOut")[0].Text, u"Plot3D");
  EXPECT_EQ(trace.Find("Font.Color")[0].Args[0], clBlack);  // on white
}

// --- output ---------------------------------------------------------------------------------------

TEST(Plot3DOutput, BitmapCopiesAreRealAndMetafilesAreRefused) {
  test::TempDir dir;
  Plot plot;
  plot.p.CopyToBMP(dir / "plot.bmp", true);
  TBitmap file;
  file.LoadFromFile(dir / "plot.bmp");
  plot.p.CopyToClipboard(true);
  TBitmap clip;
  ASSERT_TRUE(Clipboard()->GetBitmap(&clip));
  ASSERT_EQ(file.Width(), 650);
  ASSERT_EQ(file.Height(), 500);
  for (int y = 0; y < 500; y += 7)
    for (int x = 0; x < 650; x += 7) ASSERT_EQ(file.Canvas()->Pixels(x, y), clip.Canvas()->Pixels(x, y)) << x << "," << y;
  EXPECT_EQ(file.Canvas()->Pixels(0, 250), clGray);
  plot.p.CopyToBMP(dir / "bare.png", false);  // BMP whatever the extension, without the frame
  TBitmap bare;
  bare.LoadFromFile(dir / "bare.png");
  EXPECT_EQ(bare.Canvas()->Pixels(0, 250), clWhite);
  const char* refusal = "Component \"Surface\": metafile output (WMF/EMF) is not available on this platform";
  EXPECT_THROW_MSG(plot.p.CopyToWMF(dir / "plot.wmf", true), EQeltaPlot3DError, refusal);
  EXPECT_THROW_MSG(plot.p.CopyToClipboardWMF(true), EQeltaPlot3DError, refusal);
}

TEST(Plot3DOutput, PrintingGoesToThePrinterInGreyWhenAsked) {
  test::TempDir dir;
  Printer()->SetOutputFolder(Utf8ToString(dir.Native()));
  Plot plot;
  plot.p.SetViewAngles(0, 0);
  plot.p.GridMat()->Fill(50);  // cells at 0x008080
  plot.p.SetRange(-1, 1, -1, 1, -100, 100);
  Printer()->BeginDoc();
  int x = 0, y = 0;
  plot.p.CopyToOpenPrinter(x, y, 1.0, true, true);
  EXPECT_EQ(x, 4062);  // 650 x 600 / 96, half to even
  EXPECT_EQ(y, 3125);
  const TColor cell = Printer()->Canvas()->Pixels(280 * 600 / 96, 140 * 600 / 96);
  EXPECT_EQ(GetRValue(cell), GetGValue(cell));
  EXPECT_EQ(GetGValue(cell), GetBValue(cell));
  EXPECT_NE(cell, clWhite);
  Printer()->Abort();
  Printer()->SetPaperSize(50, 50);  // a small page keeps the file quick to write
  plot.p.PrintIt(0.2, false, true);
  EXPECT_EQ(Printer()->PageFiles().size(), 1u);
  Printer()->SetPaperSize(210, 297);
}

}  // namespace
