// TRot3D: item list, MakeVisible (centre, scales, colour table, kinds), finders, rotation matrix,
// projection, painting order, scripted drags, output, and the mended faults.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <numbers>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Clipbrd.h"
#include "Printers.h"
#include "FileTestKit.h"
#include "Forms.h"
#include "Qelta_Rot3D.h"
#include "Testing.h"

using namespace qelta;
using enum qelta::Tr3Item;

// Allocation failure on demand: while armed, any request of at least this many bytes fails. The pair
// frees through a pointer the compiler cannot see through, as it would flag free() after new.
namespace {
size_t gFailFrom = 0;
void (*volatile gRelease)(void*) = std::free;
}  // namespace
void* operator new(size_t size) {
  if (gFailFrom != 0 && size >= gFailFrom) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { gRelease(p); }
void operator delete(void* p, size_t) noexcept { gRelease(p); }

namespace {

// A display seen straight along z (all angles 0): pixel = model / 5 + (225, 150), truncated.
struct Display {
  TRot3D d{nullptr};
  Display() {
    d.SetName(u"Space");
    d.SetViewAngles(0, 0, 0);
  }
  void Bare() {
    d.SetBoundBoxStyle(bbNone);
    d.SetShowAxes(false);
  }
};

// The display's picture, rendered through its BMP copy.
std::unique_ptr<TBitmap> Picture(TRot3D& d, bool frame = true) {
  test::TempDir dir;
  d.CopyToBMP(dir / "p.bmp", frame);
  auto b = std::make_unique<TBitmap>();
  b->LoadFromFile(dir / "p.bmp");
  return b;
}

// --- defaults and item list -------------------------------------------------------------------------

TEST(Rot3D, ConstructionSetsTheDocumentedValues) {
  TRot3D d(nullptr);
  EXPECT_EQ(d.Width(), 450);
  EXPECT_EQ(d.Height(), 300);
  EXPECT_EQ(d.CentX(), 225);
  EXPECT_EQ(d.CentY(), 150);
  EXPECT_EQ(d.AllocSize(), 1000);
  EXPECT_EQ(d.NumItems(), 0);
  EXPECT_EQ(d.NumAllocated(), 0);
  EXPECT_EQ(d.ViewAngleX(), 110);
  EXPECT_EQ(d.ViewAngleY(), 150);
  EXPECT_EQ(d.ViewAngleZ(), 210);
  EXPECT_FALSE(d.MouseRot3Axes());
  EXPECT_EQ(d.AxNameZ(), u"Z");
  EXPECT_EQ(d.AxDir(), adLeftHanded);
  EXPECT_TRUE(d.AutoScale());
  EXPECT_FALSE(d.IsoMetric());
  EXPECT_TRUE(d.AutoOrigin());
  EXPECT_EQ(d.MouseAction(), maRotate);
  EXPECT_DOUBLE_EQ(d.Magnification(), 0.8);
  EXPECT_EQ(d.BoundBoxStyle(), bbFaces);
  EXPECT_EQ(d.BoundBoxSize(), 800);
  EXPECT_EQ(d.AxSize(), 700);
  EXPECT_EQ(d.LineWidth(), 1);
  EXPECT_TRUE(d.ShowAxes());
  EXPECT_EQ(d.FrameStyle(), fsLowered);
  EXPECT_EQ(d.ColorScheme(), csSystem);
  EXPECT_EQ(d.ColorChart(), clWhite);
  EXPECT_EQ(d.ColorCubeFrame(), 0x404040);
  EXPECT_EQ(d.ColorCubeHidLin(), 0xB0B0B0);
  EXPECT_EQ(d.ColorCubeFaceHigh(), 0xEEEEEE);
  EXPECT_EQ(d.ColorCubeFaceLow(), 0xC0C0C0);
  EXPECT_EQ(d.TextMarkSize(), 8);
  EXPECT_EQ(d.NumRotObjects(), 0);
  const TColor standard[16] = {clBlack, clMaroon, clGreen, clOlive, clNavy,    clPurple, clTeal, clGray,
                               clSilver, clRed,   clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(d.ItemColors(i), standard[i]) << i;
  EXPECT_EQ(d.ItemColors(16), clBlack);
}

TEST(Rot3D, ItemsAreStampedWithTheCurrentColourTagAndWidth) {
  TRot3D d(nullptr);
  d.SetDataCol(clRed);
  d.SetDataTag(7);
  d.SetLineWidth(40);  // kept to 32
  d.MarkAt(1, 2, 3, 12);
  d.Moveto(4, 5, 6);
  d.Drawto(7, 8, 9);
  d.Line(1, 1, 1, 2, 2, 2);
  ASSERT_EQ(d.NumItems(), 4);
  const Tr3ChartItem mark = d.GetChartItem(0), line = d.GetChartItem(3);
  EXPECT_EQ(mark.ItemKind, tkMarkAt);
  EXPECT_EQ(mark.marklw, 12);
  EXPECT_EQ(mark.color, clRed);
  EXPECT_EQ(mark.tag, 7);
  EXPECT_EQ(d.GetChartItem(2).marklw, 32);
  EXPECT_EQ(line.ItemKind, tkLine);
  EXPECT_EQ(line.z2, 2);
  EXPECT_EQ(d.GetTypeOfFirstItem(), tkMarkAt);
  EXPECT_EQ(d.GetTypeOfLastItem(), tkLine);
  EXPECT_EQ(d.GetChartItem(4).ItemKind, tkNone);
  EXPECT_EQ(d.GetChartItem(-1).ItemKind, tkNone);
}

TEST(Rot3D, CapacityGrowsByAllocSizeAndIsReleasedWithTheLastItem) {
  TRot3D d(nullptr);
  d.SetAllocSize(0);        // refused
  d.SetAllocSize(1000001);  // refused
  EXPECT_EQ(d.AllocSize(), 1000);
  d.SetAllocSize(2);
  const int expected[] = {2, 2, 4, 4, 6};
  for (int i = 0; i < 5; ++i) {
    d.Moveto(i, 0, 0);
    EXPECT_EQ(d.NumAllocated(), expected[i]) << i;
  }
  d.RemoveFirstItem();
  d.RemoveItem(1);
  d.RemoveItem(9);  // outside: ignored
  EXPECT_EQ(d.NumItems(), 3);
  EXPECT_EQ(d.GetChartItem(0).x, 1);
  EXPECT_EQ(d.GetChartItem(1).x, 3);
  d.RemoveLastItem();
  d.RemoveLastItem();
  EXPECT_EQ(d.NumAllocated(), 6);
  d.RemoveLastItem();
  EXPECT_EQ(d.NumItems(), 0);
  EXPECT_EQ(d.NumAllocated(), 0);
  d.RemoveLastItem();  // on an empty list: nothing
  EXPECT_EQ(d.GetTypeOfFirstItem(), tkNone);
}

// Regression: GetItemParams and SetItemParams trusted the caller to stay inside the list.
TEST(Rot3D, ItemParamsOutsideTheListReadNothingAndWriteNothing) {
  TRot3D d(nullptr);
  d.MarkAt(1, 1, 1, 3);
  EXPECT_EQ(d.GetItemParams(1).ItemKind, tkNone);
  EXPECT_EQ(d.GetItemParams(-5).ItemKind, tkNone);
  Tr3ChartItem item = d.GetItemParams(0);
  item.x = 9;
  d.SetItemParams(1, item);
  d.SetItemParams(-1, item);
  EXPECT_EQ(d.NumItems(), 1);
  item.ItemKind = tkEverything;
  d.SetItemParams(0, item);  // a query kind is not an item: ignored
  EXPECT_EQ(d.GetItemParams(0).x, 1);
  item.ItemKind = tkMoveto;
  d.SetItemParams(0, item);
  EXPECT_EQ(d.GetItemParams(0).ItemKind, tkMoveto);
  d.SetChartitem(0, Tr3ChartItem{});  // SetChartitem takes any record
  EXPECT_EQ(d.GetChartItem(0).ItemKind, tkNone);
}

// --- MakeVisible ------------------------------------------------------------------------------------

TEST(Rot3D, MakeVisibleCentresAndScalesEachAxisToAThousand) {
  Display v;
  v.d.MarkAt(0, 0, 0, 9);
  v.d.MarkAt(10, 20, 30, 9);
  v.d.MakeVisible();
  EXPECT_EQ(v.d.NumRotObjects(), 2);
  EXPECT_EQ(v.d.OriginX(), 5);
  EXPECT_EQ(v.d.OriginZ(), 15);
  EXPECT_EQ(v.d.ScaleFactX(), 100);
  EXPECT_EQ(v.d.ScaleFactY(), 50);
  for (int axis = 1; axis <= 3; ++axis) {
    EXPECT_EQ(v.d.MinCoord(axis), -500) << axis;
    EXPECT_EQ(v.d.MaxCoord(axis), 500) << axis;
  }
  double dist = 0;
  EXPECT_EQ(v.d.FindNearestItemScreen(320, 250, tkEverything, dist), 1);  // (500 / 5 + 225, 500 / 5 + 150)
  EXPECT_EQ(dist, 5);
  EXPECT_EQ(v.d.FindNearestItemScreen(125, 50, tkMarkAt, dist), 0);
  EXPECT_EQ(dist, 0);
}

// Regression: the automatic centre summed the first points only but divided by the count of all
// points, so a line pulled the centre towards the origin.
TEST(Rot3D, TheAutomaticCentreIsTheMeanOfAllPointsBothLineEndsIncluded) {
  TRot3D d(nullptr);
  d.Line(0, 0, 0, 10, 0, 0);
  d.MarkAt(10, 3, 0, 1);
  d.MakeVisible();
  EXPECT_EQ(d.NumRotObjects(), 3);
  EXPECT_DOUBLE_EQ(d.OriginX(), 20.0 / 3);
  EXPECT_DOUBLE_EQ(d.OriginY(), 1);
}

TEST(Rot3D, ScaleFactorsFollowExtentIsometryAndTheHost) {
  struct Case {
    bool iso, autoScale;
    double x, y, z;
  };
  const Case cases[] = {
      {false, true, 1.0, 1000, 500},  // x of no extent keeps 1
      {true, true, 1, 1, 1},          // isometric: the smallest, here x's
      {false, false, 2, 3, 4},        // the host's factors
      {true, false, 2, 2, 2},         // isometric host factors: ScaleFactX for all
  };
  for (const Case& c : cases) {
    TRot3D d(nullptr);
    d.MarkAt(5, 0, 0, 1);
    d.MarkAt(5, 1, 2, 1);
    d.SetAutoScale(c.autoScale);
    d.SetScaleFactors(2, 3, 4);
    d.SetIsoMetric(c.iso);
    d.MakeVisible();
    EXPECT_EQ(d.ScaleFactX(), c.x) << c.iso << c.autoScale;
    EXPECT_EQ(d.ScaleFactY(), c.y) << c.iso << c.autoScale;
    EXPECT_EQ(d.ScaleFactZ(), c.z) << c.iso << c.autoScale;
  }
}

TEST(Rot3D, WithoutAutoOriginTheHostsOriginIsTheCentre) {
  Display v;
  v.d.SetAutoOrigin(false);
  v.d.SetAutoScale(false);
  v.d.SetOrigins(100, 0, 0);
  v.d.MarkAt(104, 0, 0, 1);
  v.d.MarkAt(96, 0, 0, 1);
  v.d.MakeVisible();
  EXPECT_EQ(v.d.MinCoord(1), -4);
  EXPECT_EQ(v.d.MaxCoord(1), 4);
  EXPECT_EQ(v.d.OriginX(), 100);
  double dist = 0;
  // -4 / 5 and 4 / 5 both truncate to 0: the one-pixel seam at the centre.
  EXPECT_EQ(v.d.FindNearestItemScreen(225, 150, tkEverything, dist), 0);
  EXPECT_EQ(dist, 0);
}

TEST(Rot3D, AnEmptyListLeavesNothingToDrawButTheBoxAndAxes) {
  Display v;
  v.d.MakeVisible();
  EXPECT_EQ(v.d.NumRotObjects(), 0);
  auto b = Picture(v.d);
  EXPECT_EQ(b->Canvas()->Pixels(260, 150), 0xB0B0B0);  // the x axis inside the box
}

TEST(Rot3D, ColoursBeyondThirtyTwoShareTheLastSlot) {
  Display v;
  v.Bare();
  v.d.SetAutoScale(false);  // model x = x: item i at pixel 225 + 5 i
  v.d.SetAutoOrigin(false);
  for (int i = 1; i <= 40; ++i) {
    v.d.SetDataCol(RGB(static_cast<uint8_t>(i), 1, 1));
    v.d.MarkAt(25 * i, 0, 0, 9);  // 7 x 7 squares
  }
  v.d.SetDataCol(clRed);  // a standard colour takes its own slot
  v.d.MarkAt(25, 0, 0, 9);
  v.d.MakeVisible();
  for (int slot = 16; slot < 32; ++slot) EXPECT_EQ(v.d.ItemColors(slot), RGB(static_cast<uint8_t>(slot - 15), 1, 1));
  auto b = Picture(v.d);
  EXPECT_EQ(b->Canvas()->Pixels(426, 150), RGB(16, 1, 1));  // item 40: drawn in slot 31
  EXPECT_EQ(b->Canvas()->Pixels(415, 150), RGB(16, 1, 1));  // item 38 too
  EXPECT_EQ(b->Canvas()->Pixels(310, 150), RGB(16, 1, 1));  // item 17, the first beyond the table
  EXPECT_EQ(b->Canvas()->Pixels(305, 150), RGB(16, 1, 1));  // item 16, the table's last entry
  EXPECT_EQ(b->Canvas()->Pixels(300, 150), RGB(15, 1, 1));
  EXPECT_EQ(b->Canvas()->Pixels(230, 150), clRed);          // the last mark on the first one's place
  v.d.MakeVisible();  // the search starts at slot 15 again: the same table
  EXPECT_EQ(v.d.ItemColors(16), RGB(1, 1, 1));
}

// --- finders -----------------------------------------------------------------------------------------

TEST(Rot3D, FindNearestItemRealLooksAtFirstPointsOfMatchingKinds) {
  TRot3D d(nullptr);
  double dist = 0;
  EXPECT_EQ(d.FindNearestItemReal(0, 0, 0, tkEverything, dist), -1);
  EXPECT_EQ(dist, std::sqrt(1.7e308));
  d.Line(0, 0, 0, 5, 5, 5);
  d.MarkAt(3, 4, 0, 1);
  d.MarkAt(3, 4, 0, 2);
  d.Moveto(5, 5, 5);
  EXPECT_EQ(d.FindNearestItemReal(0, 0, 0, tkNone, dist), -1);
  EXPECT_EQ(d.FindNearestItemReal(5, 5, 5, tkLine, dist), 0);  // the line's first point only
  EXPECT_DOUBLE_EQ(dist, std::sqrt(75.0));
  EXPECT_EQ(d.FindNearestItemReal(0, 0, 0, tkMarkAt, dist), 1);  // first of equals
  EXPECT_EQ(dist, 5);
  EXPECT_EQ(d.FindNearestItemReal(5, 5, 4, tkEverything, dist), 3);
  EXPECT_EQ(d.FindNearestItemReal(5, 5, 4, tkLineto, dist), -1);
}

// Regression: after RemoveItem the rotated objects still linked to items that were gone, and
// FindNearestItemScreen read them past the end of the list.
TEST(Rot3D, FindNearestItemScreenPassesOverObjectsOfRemovedItems) {
  Display v;
  v.d.MarkAt(0, 0, 0, 1);
  v.d.MarkAt(5, 0, 0, 1);
  v.d.MarkAt(10, 0, 0, 1);
  v.d.MakeVisible();
  v.d.RemoveItem(2);
  v.d.RemoveItem(1);
  double dist = 0;
  EXPECT_EQ(v.d.FindNearestItemScreen(325, 150, tkEverything, dist), 0);  // nearest is the old item 2
  EXPECT_EQ(dist, 200);
  v.d.Clear();
  EXPECT_EQ(v.d.FindNearestItemScreen(325, 150, tkEverything, dist), -1);
}

TEST(Rot3D, FindNearestItemScreenMatchesKindsThroughTheItem) {
  Display v;
  v.d.Line(-10, 0, 0, 10, 0, 0);
  v.d.MarkAt(0, 0, 0, 1);
  v.d.MakeVisible();
  double dist = 0;
  EXPECT_EQ(v.d.FindNearestItemScreen(330, 150, tkLine, dist), 0);  // the line's second end
  EXPECT_EQ(dist, 5);
  EXPECT_EQ(v.d.FindNearestItemScreen(330, 150, tkMarkAt, dist), 1);
  EXPECT_EQ(v.d.FindNearestItemScreen(330, 150, tkNone, dist), -1);
}

// --- rotation and view ---------------------------------------------------------------------------------

TEST(Rot3D, RotationMatrixIsRoundedThousandthsAndAxDirSwapsTheFirstTwoColumns) {
  TRot3D d(nullptr);
  d.SetViewAngles(30, 0, 60);
  const double a = std::numbers::pi / 6, c = std::numbers::pi / 3;
  const double left[3][3] = {{std::cos(c), -std::sin(c), 0},
                             {std::cos(a) * std::sin(c), std::cos(c) * std::cos(a), -std::sin(a)},
                             {std::sin(a) * std::sin(c), std::sin(a) * std::cos(c), std::cos(a)}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(d.GetRotMat(i, j), std::nearbyint(1000 * left[i - 1][j - 1]) / 1000) << i << j;
  d.SetAxDir(adRightHanded);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(d.GetRotMat(i, 2), std::nearbyint(1000 * left[i - 1][0]) / 1000) << i;
    EXPECT_EQ(d.GetRotMat(i, 1), std::nearbyint(1000 * left[i - 1][1]) / 1000) << i;
  }
  EXPECT_EQ(d.GetRotMat(0, 1), 0);
}

TEST(Rot3D, TheThreeAngleFormTurnsAboutYToo) {
  TRot3D d(nullptr);
  d.SetViewAngles(0, 90, 0);
  d.SetMouseRot3Axes(true);
  EXPECT_EQ(d.GetRotMat(3, 1), -1.0);  // -sin b
  EXPECT_EQ(d.GetRotMat(1, 3), 1.0);   // cos a sin b cos c
  EXPECT_EQ(d.GetRotMat(1, 1), 0.0);
  d.SetMouseRot3Axes(false);  // the two-angle form ignores Y
  EXPECT_EQ(d.GetRotMat(1, 1), 1.0);
}

TEST(Rot3D, ViewSettersClampAndStore) {
  TRot3D d(nullptr);
  d.SetViewAngleX(400);  // never wrapped
  EXPECT_EQ(d.ViewAngleX(), 400);
  d.SetMagnification(7);
  EXPECT_DOUBLE_EQ(d.Magnification(), 4000.0 / 800);
  d.SetMagnification(0.05);
  EXPECT_DOUBLE_EQ(d.Magnification(), 0.1);
  d.SetMagnification(3);
  EXPECT_DOUBLE_EQ(d.Magnification(), 4000.0 / 1333);
  d.SetCentX(-3);
  d.SetCentY(999);
  EXPECT_EQ(d.CentX(), 0);
  EXPECT_EQ(d.CentY(), 300);
  struct Size {
    int in, box;
  };
  for (const Size s : {Size{9000, 4000}, Size{-5, 0}, Size{801, 800}, Size{1200, 1200}}) {
    d.SetBoundBoxSize(s.in);
    EXPECT_EQ(d.BoundBoxSize(), s.box) << s.in;
  }
  d.SetAxSize(5000);
  EXPECT_EQ(d.AxSize(), 4000);
  d.SetAxSize(-1);
  EXPECT_EQ(d.AxSize(), 0);
}

TEST(Rot3D, IsoMetricAutoOriginAndAutoScaleRemakeTheObjects) {
  TRot3D d(nullptr);
  d.MarkAt(0, 0, 0, 1);
  d.MarkAt(1, 2, 4, 1);
  d.SetIsoMetric(true);  // runs MakeVisible
  EXPECT_EQ(d.NumRotObjects(), 2);
  EXPECT_EQ(d.ScaleFactX(), 250);
  d.MarkAt(9, 9, 9, 1);
  d.SetIsoMetric(true);  // unchanged: nothing
  EXPECT_EQ(d.NumRotObjects(), 2);
}

// --- painting ----------------------------------------------------------------------------------------

TEST(Rot3D, PaintingFollowsTheFixedOrder) {
  Display v;
  v.d.SetViewAngles(30, 0, 20);
  v.d.SetColorCubeFrame(0x111111);
  v.d.SetColorCubeHidLin(0x222222);
  v.d.SetDataCol(clRed);
  v.d.Moveto(0, 0, 0);
  v.d.Drawto(1, 1, 1);
  v.d.MarkAt(1, 0, 1, 9);
  v.d.MakeVisible();
  TCanvasTrace trace;
  std::vector<std::string> events;
  v.d.OnBeforeRenderData = [&](TObject*, TCanvas* c) {
    events.push_back("before");
    c->SetTrace(&trace);
  };
  v.d.OnDataRendered = [&](TObject*, TCanvas* c) {
    events.push_back("after");
    c->SetTrace(nullptr);
  };
  auto b = Picture(v.d);
  EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));
  // Faces, axes (hidden line then frame colour, three times), hidden edges, the line, front edges, names.
  std::vector<std::string> steps;
  TColor pen = -1;
  for (const TCanvasTraceRecord& r : trace.Records()) {
    if (r.Op == "Pen.Color") pen = static_cast<TColor>(r.Args[0]);
    std::string step;
    if (r.Op == "Polygon") step = "face";
    if (r.Op == "LineTo") step = pen == 0x222222 ? "hidden" : pen == 0x111111 ? "frame" : pen == clRed ? "line" : "?";
    if (r.Op == "TextOut") step = "name";
    if (r.Op == "Rectangle") step = "mark";
    if (!step.empty() && (steps.empty() || steps.back() != step)) steps.push_back(step);
  }
  const std::vector<std::string> expected = {"face",   "hidden", "frame", "hidden", "frame", "hidden", "frame",
                                             "hidden", "line",   "mark",  "frame",  "name"};
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(trace.Count("Polygon"), 3);
  EXPECT_EQ(trace.Count("TextOut"), 3);
}

TEST(Rot3D, BoxFacesAtTheNearestCornerAreShadedByHowSquarelyTheyFaceTheViewer) {
  Display v;  // depth row (0, 0, 1000): corner 0 nearest, faces 5 (x low), 3 (y low), 2 (z low)
  TCanvasTrace trace;
  v.d.OnBeforeRenderData = [&](TObject*, TCanvas* c) { c->SetTrace(&trace); };
  v.d.OnDataRendered = [&](TObject*, TCanvas* c) { c->SetTrace(nullptr); };
  Picture(v.d);
  const auto brushes = trace.Find("Brush.Color");
  ASSERT_GE(brushes.size(), 3u);
  EXPECT_EQ(brushes[0].Args[0], 0xC0C0C0);  // edge-on: h = 0
  EXPECT_EQ(brushes[1].Args[0], 0xC0C0C0);
  EXPECT_EQ(brushes[2].Args[0], 0xEEEEEE);  // facing: h = 4000 div 10 = 400
}

TEST(Rot3D, TextMarksShowDigitsAndLatinOneCharacters) {
  Display v;
  v.Bare();
  v.d.MarkAt(0, 0, 0, 203);
  v.d.MarkAt(1, 0, 0, 0xE9);
  v.d.MarkAt(2, 0, 0, 0x80);  // U+0080, not the euro sign of the 8-bit code page
  v.d.MakeVisible();
  TCanvasTrace trace;
  v.d.OnBeforeRenderData = [&](TObject*, TCanvas* c) { c->SetTrace(&trace); };
  v.d.OnDataRendered = [&](TObject*, TCanvas* c) { c->SetTrace(nullptr); };
  Picture(v.d);
  const auto texts = trace.Find("TextOut");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].Text, u"3");
  EXPECT_EQ(texts[1].Text, u"\u00E9");
  EXPECT_EQ(texts[2].Text, u"\u0080");
}

// Regression: Clear kept the rotated objects, so the next repaint showed the old picture again.
TEST(Rot3D, ClearEmptiesThePicture) {
  Display v;
  v.Bare();
  v.d.MarkAt(-1, 0, 0, 9);
  v.d.MarkAt(1, 0, 0, 9);
  v.d.MakeVisible();
  EXPECT_EQ(Picture(v.d)->Canvas()->Pixels(325, 150), clBlack);
  v.d.Clear();
  EXPECT_EQ(v.d.NumItems(), 0);
  EXPECT_EQ(v.d.NumRotObjects(), 0);
  EXPECT_EQ(Picture(v.d)->Canvas()->Pixels(325, 150), clWhite);
}

// Regression: model coordinates and projection sums were 32-bit and wrapped with a host's large
// scale factor (AutoScale off) or a far origin.
TEST(Rot3D, FarPointsAreClampedInsteadOfWrappingAround) {
  Display v;
  v.Bare();
  v.d.SetAutoScale(false);
  v.d.SetAutoOrigin(false);
  v.d.SetScaleFactors(1e9, 1, 1);
  v.d.Moveto(0, 0, 0);
  v.d.Drawto(1e6, 0, 0);
  v.d.Line(-1e300, 10, 0, 0, 10, 0);
  v.d.MakeVisible();
  EXPECT_EQ(v.d.MaxCoord(1), INT32_MAX);
  EXPECT_EQ(v.d.MinCoord(1), -INT32_MAX);
  auto b = Picture(v.d);
  EXPECT_EQ(b->Canvas()->Pixels(400, 150), clBlack);  // the line runs right to the clamp
  EXPECT_EQ(b->Canvas()->Pixels(100, 152), clBlack);  // the other one left
  double dist = 0;  // the far end projects to INT32_MAX x 1000 div 5000 + 225, unclamped
  EXPECT_EQ(v.d.FindNearestItemScreen(2000000000, 150, tkEverything, dist), 1);
  EXPECT_EQ(dist, 2000000000.0 - 429496954.0);
}

TEST(Rot3D, ALinesStartsWhereThePreviousMarkLeftThePen) {
  Display v;
  v.Bare();
  v.d.MarkAt(-10, 0, 0, 20);  // a V of two strokes from the mark's centre, the pen left at the second's end
  v.d.Drawto(10, 0, 0);
  v.d.MakeVisible();
  TCanvasTrace trace;
  v.d.OnBeforeRenderData = [&](TObject*, TCanvas* c) { c->SetTrace(&trace); };
  v.d.OnDataRendered = [&](TObject*, TCanvas* c) { c->SetTrace(nullptr); };
  Picture(v.d);
  const auto lines = trace.Find("LineTo");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().Args, (std::vector<int64_t>{325, 150}));
  EXPECT_EQ(trace.Find("MoveTo").back().Args, (std::vector<int64_t>{125, 150}));  // the mark's last stroke
}

TEST(Rot3D, EmptyAndHugeControlsPaintWithoutFailing) {
  for (auto [w, h] : {std::pair{0, 0}, {1, 0}, {100000, 100000}}) {
    TRot3D d(nullptr);
    d.MarkAt(0, 0, 0, 9);
    d.SetBounds(0, 0, w, h);
    EXPECT_NO_THROW(d.MakeVisible()) << w << "x" << h;
    EXPECT_NO_THROW(d.SetViewAngleX(30));
    EXPECT_NO_THROW(d.Clear());
  }
}

// --- mouse ---------------------------------------------------------------------------------------

class Rot3DForm : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  TRot3D* d = nullptr;
  void SetUp() override {
    form.SetBounds(0, 0, 500, 340);
    d = new TRot3D(&form);
    d->SetBounds(10, 10, 450, 300);
    d->SetParent(&form);
    user.Show(&form);
  }
};

TEST_F(Rot3DForm, DraggingTurnsWithoutWrappingAndAddsAFullTurnVertically) {
  user.MoveTo(d, 100, 100);
  user.Press(d, 100, 100);
  user.MoveTo(d, 55, 130);  // 45 px left: Z + 36; 30 px down: X + (300 + 30) x 360 / 300
  EXPECT_DOUBLE_EQ(d->ViewAngleZ(), 246);
  EXPECT_DOUBLE_EQ(d->ViewAngleX(), 110 + 396);
  user.Release(d, 55, 130);
  d->SetMouseRot3Axes(true);
  user.MoveTo(d, 100, 100);
  user.Press(d, 100, 100);
  user.MoveTo(d, 55, 100);  // three angles: the turn goes to X, the tilt to Y
  EXPECT_DOUBLE_EQ(d->ViewAngleX(), 506 + 36);
  EXPECT_DOUBLE_EQ(d->ViewAngleY(), 150 + 360);
  user.Release(d, 55, 100);
}

TEST_F(Rot3DForm, ZoomAndPan) {
  d->SetMouseAction(maZoom);
  user.MoveTo(d, 100, 200);
  user.Drag(d, 100, 200, 100, 170, mbLeft, 1);  // 0.8 + 4.9 x 30 / 300 = 1.29
  EXPECT_DOUBLE_EQ(d->Magnification(), 4000.0 / 3101);
  d->SetMouseAction(maRotAndZoom);
  user.MoveTo(d, 100, 0);
  user.Drag(d, 100, 0, 100, 300, mbRight, 1);
  EXPECT_DOUBLE_EQ(d->Magnification(), 0.1);
  d->SetMouseAction(maPan);
  user.MoveTo(d, 100, 100);
  user.Drag(d, 100, 100, 60, 120, mbLeft, 1);
  EXPECT_EQ(d->CentX(), 185);
  EXPECT_EQ(d->CentY(), 170);
  user.MoveTo(d, 100, 100);
  user.Press(d, 100, 100);
  user.MoveTo(d, 451, 100);  // outside: ignored
  EXPECT_EQ(d->CentX(), 185);
  user.Release(d, 451, 100);
}

// --- output and memory ---------------------------------------------------------------------------

TEST(Rot3DOutput, CopiesAreRealMetafilesRefusedBlackAndWhiteDrawsItemsBlack) {
  Display v;
  v.Bare();
  v.d.SetDataCol(clRed);
  v.d.MarkAt(0, 0, 0, 9);
  v.d.MakeVisible();
  auto file = Picture(v.d);
  EXPECT_EQ(file->Canvas()->Pixels(225, 150), clRed);
  EXPECT_EQ(file->Canvas()->Pixels(0, 150), clGray);  // lowered frame
  EXPECT_EQ(Picture(v.d, false)->Canvas()->Pixels(0, 150), clWhite);
  v.d.CopyToClipboard(true);
  TBitmap clip;
  ASSERT_TRUE(Clipboard()->GetBitmap(&clip));
  EXPECT_EQ(clip.Canvas()->Pixels(225, 150), clRed);
  test::TempDir dir;
  Printer()->SetOutputFolder(Utf8ToString(dir.Native()));
  Printer()->SetPaperSize(210, 297);
  Printer()->BeginDoc();
  int x = 100, y = 200;
  v.d.CopyToOpenPrinter(x, y, 2.0, true, true);
  EXPECT_EQ(x, 100 + 5625);
  EXPECT_EQ(y, 200 + 3750);
  EXPECT_EQ(Printer()->Canvas()->Pixels(100 + 2812 + 6, 200 + 1875 + 6), clBlack);  // the mark, 12.5 times
  Printer()->Abort();
  const char* refusal = "Component \"Space\": metafile output (WMF/EMF) is not available on this platform";
  EXPECT_THROW_MSG(v.d.CopyToWMF(dir / "a.wmf", true), EQeltaRot3DError, refusal);
  EXPECT_THROW_MSG(v.d.CopyToClipboardWMF(false), EQeltaRot3DError, refusal);
}

TEST(Rot3DMemory, MakeVisibleReportsMissingMemoryAndKeepsTheOldObjects) {
  TRot3D d(nullptr);
  d.SetName(u"Space");
  d.MarkAt(1, 1, 1, 1);
  d.MakeVisible();
  for (int i = 0; i < 5000; ++i) d.MarkAt(i, i, i, 1);
  gFailFrom = 4 * 5000;  // the object arrays of 5001 points cannot be had
  EXPECT_THROW_MSG(d.MakeVisible(), EQeltaRot3DError, "Component \"Space\": insufficient memory");
  gFailFrom = 0;
  EXPECT_EQ(d.NumRotObjects(), 1);
  d.MakeVisible();
  EXPECT_EQ(d.NumRotObjects(), 5001);
}

}  // namespace
