// The chart's mouse, driven by the scripted user on a shown form: pan, zoom window, rubber band,
// zoom drag, dragging cross-hairs and labels, the cursor, the mouse position report, double clicks,
// and the modal mouse box.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "Qelta_rchart.h"
#include "RChartTesting.h"
#include "Screen.h"
#include "Testing.h"

using namespace qelta;
using qelta::testing::RangesOf;
using qelta::testing::SamePixels;
using qelta::testing::TChartOnForm;
using qelta::testing::TRanges;

namespace {

// The chart on a shown form, both layers mapping one unit to one pixel (see TChartOnForm).
struct MouseChart : ::testing::Test {
  TScriptedUser user;
  TChartOnForm onForm;
  TForm& form = onForm.form;
  TRChart* chart = onForm.chart;
  int zoomPans = 0;

  MouseChart() {
    chart->SetRange(2, 0, 0, 210, 140);
    chart->OnZoomPan = [this](TObject*) { ++zoomPans; };
    user.Show(&form);
  }
  // Press, a first move that takes the anchors, the moves, release at the last point.
  void DragVia(std::vector<TPoint> points, TMouseButton button = mbLeft) {
    user.Press(chart, points[0].X, points[0].Y, button);
    for (size_t i = 1; i < points.size(); ++i) user.MoveTo(chart, points[i].X, points[i].Y);
    user.Release(chart, points.back().X, points.back().Y, button);
  }
  std::unique_ptr<TBitmap> Shot() { return user.Grab(chart); }
};

// Bounding box of the pixels that differ between two pictures of one size (Left > Right when none).
TRect ChangedArea(TBitmap& a, TBitmap& b) {
  TRect r = Rect(a.Width(), a.Height(), -1, -1);
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y)) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x);
        r.Bottom = std::max(r.Bottom, y);
      }
  return r;
}

}  // namespace

// --- pan ------------------------------------------------------------------------------------------

struct PanCase {
  TMouseActMode action;
  TRanges expected;  // after anchoring at (101, 100) and moving to (121, 90)
};

TEST_F(MouseChart, PanShiftsTheAnchoredRangeByTheDistanceDraggedOnTheAxesOfTheAction) {
  const PanCase cases[] = {
      {maPan, {-20, -10, 190, 130}},
      {maPanHoriz, {-20, 0, 190, 140}},
      {maPanVert, {0, -10, 210, 130}},
  };
  for (const PanCase& c : cases) {
    chart->SetRange(1, 0, 0, 210, 140);
    chart->SetMouseAction(c.action);
    zoomPans = 0;
    DragVia({Point(100, 100), Point(101, 100), Point(111, 95), Point(121, 90)});
    EXPECT_EQ(RangesOf(*chart, 1), c.expected) << int(c.action);
    EXPECT_EQ(zoomPans, 2) << "one per move after the anchoring one";
  }
}

TEST_F(MouseChart, PanMovesOnlyTheMouseAffectedLayers) {
  chart->SetMouseAction(maPan);
  DragVia({Point(100, 100), Point(101, 100), Point(121, 100)});
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{-20, 0, 190, 140}));
  EXPECT_EQ(RangesOf(*chart, 2), (TRanges{0, 0, 210, 140}));
  chart->SetMAffLayer(2, true);
  chart->SetMAffLayer(1, false);
  DragVia({Point(100, 100), Point(101, 100), Point(121, 100)});
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{-20, 0, 190, 140}));
  EXPECT_EQ(RangesOf(*chart, 2), (TRanges{-20, 0, 190, 140}));
}

TEST_F(MouseChart, PanOnALogarithmicAxisMultipliesTheRange) {
  chart->SetRange(1, 1, 0, 1000, 140);
  chart->GetScalePropsX(1)->SetLogarithmic(true);
  chart->SetMouseAction(maPanHoriz);
  DragVia({Point(200, 100), Point(201, 100), Point(131, 100)});  // 70 of 210 pixels: one decade
  const TRanges r = RangesOf(*chart, 1);
  EXPECT_NEAR(r.xLo, 10, 1e-9);
  EXPECT_NEAR(r.xHi, 10000, 1e-6);
}

TEST_F(MouseChart, MovesOutsideTheDataAreaDoNotPan) {
  chart->SetMouseAction(maPan);
  DragVia({Point(100, 100), Point(101, 100), Point(280, 100)});
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{0, 0, 210, 140}));
  EXPECT_EQ(zoomPans, 0);
}

TEST_F(MouseChart, EveryButtonUpOfAPanPushesTheRingAPlainClickToo) {
  chart->SetMouseAction(maPan);
  DragVia({Point(100, 100), Point(101, 100), Point(121, 90)});
  const TRectDouble e0 = chart->GetZoomStackEntry(1, 0), e1 = chart->GetZoomStackEntry(1, -1);
  EXPECT_EQ(e0.Left, -20);
  EXPECT_EQ(e0.Right, 190);
  EXPECT_EQ(e0.Bottom, -10);
  EXPECT_EQ(e0.Top, 130);
  EXPECT_EQ(e1.Left, 0);  // the entry before the pan, pushed by SetRange
  EXPECT_EQ(e1.Right, 210);
  user.Click(chart, 150, 150);
  EXPECT_EQ(chart->GetZoomStackEntry(1, -1).Left, -20);  // the click pushed the same ranges again
  EXPECT_EQ(chart->GetZoomStackEntry(1, 0).Left, -20);
}

// --- zoom drag --------------------------------------------------------------------------------------

TEST_F(MouseChart, ZoomDragScalesTheAnchoredRangeAboutItsCentre) {
  chart->SetMouseAction(maZoomDrag);
  // 28 of 280 pixels right: fx = 0.9; 20 of 200 down: fy = 1.1.
  DragVia({Point(100, 80), Point(101, 80), Point(129, 100)});
  const TRanges r = RangesOf(*chart, 1);
  EXPECT_NEAR(r.xLo, 10.5, 1e-9);
  EXPECT_NEAR(r.xHi, 199.5, 1e-9);
  EXPECT_NEAR(r.yLo, -7, 1e-9);
  EXPECT_NEAR(r.yHi, 147, 1e-9);
  EXPECT_EQ(chart->GetZoomStackEntry(1, 0).Left, r.xLo);
}

TEST_F(MouseChart, IsometricZoomDragUsesTheHorizontalFactorOnBothAxes) {
  chart->SetIsometric(true);
  const TRanges before = RangesOf(*chart, 1);
  chart->SetMouseAction(maZoomDrag);
  DragVia({Point(100, 80), Point(101, 80), Point(129, 140)});
  const TRanges r = RangesOf(*chart, 1);
  EXPECT_NEAR(r.yHi - r.yLo, (before.yHi - before.yLo) * 0.9, 1e-9);
  EXPECT_NEAR(r.xHi - r.xLo, 210 * 0.9, 1e-9);
}

TEST_F(MouseChart, ZoomDragIsLinearOnALogarithmicAxis) {
  chart->SetRange(1, 10, 0, 110, 140);
  chart->GetScalePropsX(1)->SetLogarithmic(true);
  chart->SetMouseAction(maZoomDrag);
  DragVia({Point(100, 80), Point(101, 80), Point(129, 80)});
  const TRanges r = RangesOf(*chart, 1);
  EXPECT_NEAR(r.xLo, 15, 1e-9);  // centre 60, half width 45
  EXPECT_NEAR(r.xHi, 105, 1e-9);
}

// --- zoom window and rubber band --------------------------------------------------------------------

struct WindowCase {
  TMouseActMode action;
  TPoint from, to;
  TRanges expected;
};

TEST_F(MouseChart, AZoomWindowSetsTheRangesMaZoomWindKeepingTheDragDirection) {
  const WindowCase cases[] = {
      {maZoomWindPos, Point(60, 40), Point(110, 90), {10, 70, 60, 120}},
      {maZoomWindPos, Point(110, 90), Point(60, 40), {10, 70, 60, 120}},
      // maZoomWind: anchor first; dragging down is against the y axis, right to left against x.
      {maZoomWind, Point(60, 40), Point(110, 90), {10, 120, 60, 70}},
      {maZoomWind, Point(110, 40), Point(60, 90), {60, 120, 10, 70}},
      {maZoomWind, Point(60, 90), Point(110, 40), {10, 70, 60, 120}},
  };
  for (const WindowCase& c : cases) {
    chart->SetRange(1, 0, 0, 210, 140);
    chart->SetMouseAction(c.action);
    zoomPans = 0;
    user.Drag(chart, c.from.X, c.from.Y, c.to.X, c.to.Y);
    EXPECT_EQ(RangesOf(*chart, 1), c.expected) << int(c.action) << " from " << c.from.X;
    EXPECT_EQ(zoomPans, 1);
    EXPECT_EQ(chart->ZoomState(), zsNormal);
  }
}

TEST_F(MouseChart, TheRubberBandReportsTheWindowInAxisOrderAndChangesNoRange) {
  struct TBand {
    int layer;
    double x1, y1, x2, y2;
  };
  std::vector<TBand> bands;
  chart->OnRubberBand = [&](TObject*, int l, double x1, double y1, double x2, double y2) {
    bands.push_back({l, x1, y1, x2, y2});
  };
  chart->SetMouseAction(maRubberBand);
  chart->SetMAffLayer(2, true);
  chart->SetRange(2, 210, 0, 0, 14);  // layer 2: x descending
  user.Drag(chart, 110, 90, 60, 40);
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0].layer, 1);
  EXPECT_EQ(bands[0].x1, 10);
  EXPECT_EQ(bands[0].y1, 70);
  EXPECT_EQ(bands[0].x2, 60);
  EXPECT_EQ(bands[0].y2, 120);
  EXPECT_EQ(bands[1].layer, 2);
  EXPECT_EQ(bands[1].x1, 200);  // descending like its axis
  EXPECT_EQ(bands[1].x2, 150);
  EXPECT_NEAR(bands[1].y1, 7, 1e-12);
  EXPECT_NEAR(bands[1].y2, 12, 1e-12);
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{0, 0, 210, 140}));
  EXPECT_EQ(zoomPans, 1) << "the rubber band fires OnZoomPan too";
}

TEST_F(MouseChart, TheIsometricWindowIsAPixelSquareAndZoomsIsometrically) {
  chart->SetIsometric(true);
  chart->SetMouseAction(maZoomWindPos);
  auto before = Shot();
  user.Press(chart, 100, 60);
  user.MoveTo(chart, 140, 70);  // 40 wide: the height follows downward
  auto during = Shot();
  EXPECT_EQ(ChangedArea(*before, *during), Rect(100, 60, 139, 99));
  user.MoveTo(chart, 70, 50);  // 30 left and up: 30 up
  during = Shot();
  EXPECT_EQ(ChangedArea(*before, *during), Rect(70, 30, 99, 59));
  user.Release(chart, 70, 50);
  const TRanges r = RangesOf(*chart, 1);
  EXPECT_NEAR(r.xHi - r.xLo, 30, 1e-9);
  EXPECT_NEAR(r.yHi - r.yLo, 30.0 * 141 / 211, 1e-9);
}

TEST_F(MouseChart, AWindowOfZeroWidthChangesNothingAndFiresNoEvent) {
  chart->SetMouseAction(maZoomWind);
  user.Drag(chart, 100, 60, 100, 120);
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{0, 0, 210, 140}));
  EXPECT_EQ(zoomPans, 0);
}

TEST_F(MouseChart, AWindowIsClampedIntoTheDataArea) {
  chart->SetMouseAction(maZoomWindPos);
  user.Press(chart, 200, 100);
  user.MoveTo(chart, 300, 230);  // outside the control: the capture still delivers it
  user.Release(chart, 300, 230);
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{150, 0, 210, 60}));
}

TEST_F(MouseChart, APressOutsideTheDataAreaStartsNoWindow) {
  chart->SetMouseAction(maZoomWind);
  user.Press(chart, 20, 100);
  EXPECT_EQ(chart->ZoomState(), zsNormal);
  user.Release(chart, 20, 100);
}

// Regression: the window stayed on the screen after a middle-button release (and after a release
// with painting held), since only the right button removed it.
TEST_F(MouseChart, TheWindowIsRemovedOnEveryButtonUp) {
  chart->SetMouseAction(maZoomWind);
  auto before = Shot();
  user.Press(chart, 100, 60);
  user.MoveTo(chart, 140, 100);
  user.Press(chart, 140, 100, mbMiddle);
  user.Release(chart, 140, 100, mbMiddle);
  EXPECT_EQ(chart->ZoomState(), zsNormal);
  EXPECT_TRUE(SamePixels(*before, *Shot()));
  user.Release(chart, 140, 100);
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{0, 0, 210, 140}));

  chart->SetSuppressPaint(true);  // the zoom then repaints nothing
  user.Drag(chart, 100, 60, 140, 100);
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{50, 100, 90, 60}));
  EXPECT_TRUE(SamePixels(*before, *Shot()));
}

TEST_F(MouseChart, ADoubleClickStartsNoZoomWindow) {
  chart->SetMouseAction(maZoomWind);
  int downs = 0;
  chart->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  user.Click(chart, 100, 100);
  user.Press(chart, 100, 100);  // the second press of a double click
  EXPECT_EQ(chart->ZoomState(), zsNormal);
  EXPECT_EQ(downs, 1) << "the button-down after the double click is swallowed";
  user.MoveTo(chart, 140, 130);
  user.Release(chart, 140, 130);
  EXPECT_EQ(RangesOf(*chart, 1), (TRanges{0, 0, 210, 140}));
}

// --- cross-hairs and labels -------------------------------------------------------------------------

TEST_F(MouseChart, DraggingMovesTheNearestCrossHairLowerNumberOnTies) {
  chart->SetMouseAction(maDragCrossH);
  chart->CrossHairSetup(1, clRed, chVert, psSolid, 1);
  chart->CrossHairSetPos(1, 50, 0);  // column 100
  chart->CrossHairSetup(2, clBlue, chHoriz, psSolid, 1);
  chart->CrossHair2()->SetLayer(1);
  chart->CrossHairSetPos(2, 0, 70);  // row 90
  std::vector<TCrossHair*> moved;
  chart->OnCrossHairMove = [&](TObject*, TCrossHair* c) { moved.push_back(c); };
  DragVia({Point(103, 95), Point(104, 95), Point(130, 60)});  // 4 columns from 1, 5 rows from 2
  EXPECT_EQ(chart->GetCHPosX(1), 80);
  EXPECT_EQ(chart->GetCHPosY(1), 100);
  EXPECT_EQ(chart->GetCHPosY(2), 70);
  EXPECT_EQ(moved, (std::vector<TCrossHair*>{chart->CrossHair1()}));
  DragVia({Point(160, 85), Point(160, 86), Point(160, 120)});  // 4 rows from 2, 30 columns from 1
  EXPECT_EQ(chart->GetCHPosY(2), 40);
  EXPECT_EQ(chart->GetCHPosX(1), 80);
  chart->CrossHairSetPos(2, 0, 110);                          // row 50
  DragVia({Point(119, 40), Point(120, 40), Point(125, 45)});  // 10 from both
  EXPECT_EQ(chart->GetCHPosX(1), 75) << "a tie goes to cross-hair 1";
  EXPECT_EQ(chart->GetCHPosY(2), 110);
}

TEST_F(MouseChart, WithoutACrossHairInALineModeCrossHairOneIsMoved) {
  chart->SetMouseAction(maDragCrossH);
  chart->CrossHairSetup(2, clBlue, chBox, psSolid, 1);
  chart->CrossHairSetPos(2, 100, 100);
  DragVia({Point(150, 60), Point(151, 60), Point(60, 150)});
  EXPECT_EQ(chart->GetCHPosX(1), 10);
  EXPECT_EQ(chart->GetCHPosY(1), 10);
  EXPECT_EQ(chart->GetCHPosX(2), 100);
}

struct LabelCase {
  TTxtLblAttachMode attach;
  double x, y;    // the label's position: on pixel (150, 90) in every mode
  double nx, ny;  // after the drag to (173, 61)
};

TEST_F(MouseChart, DraggingALabelMovesItsPositionByItsAttachMode) {
  const LabelCase cases[] = {
      {tlamNone, 150, 90, 173, 61},
      {tlamXOnly, 100, 90, 123, 61},
      {tlamYOnly, 150, 70, 173, 99},
      {tlamBoth, 100, 70, 123, 99},
  };
  chart->SetMouseAction(maDragLabel);
  for (const LabelCase& c : cases) {
    chart->ClearAllTextLabels();
    chart->AddTextLabel(20, 20, clBlack, u"far", 0);  // label 1, far away
    const int n = chart->AddTextLabel(0, 0, clBlack, u"near", 0);
    TTextLabel* label = chart->GetFTextLabel(n);
    label->SetAttachToData(c.attach);
    label->SetPosX(c.x);
    label->SetPosY(c.y);
    TTextLabel* reported = nullptr;
    chart->OnTextLabelMove = [&](TObject*, TTextLabel* t) { reported = t; };
    DragVia({Point(152, 91), Point(153, 91), Point(173, 61)});
    EXPECT_EQ(label->PosX(), c.nx) << int(c.attach);
    EXPECT_EQ(label->PosY(), c.ny) << int(c.attach);
    EXPECT_EQ(reported, label);
    EXPECT_EQ(chart->GetFTextLabel(1)->PosX(), 20);
  }
}

TEST_F(MouseChart, HiddenAndUnusedLabelsAreNotDragged) {
  chart->SetMouseAction(maDragLabel);
  chart->AddTextLabel(150, 100, clBlack, u"one", 0);  // label 1 at pixel (200, 60)
  chart->AddTextLabel(100, 70, clBlack, u"two", 0);   // label 2 at pixel (150, 90)
  chart->GetFTextLabel(2)->SetVisible(false);
  DragVia({Point(150, 90), Point(151, 90), Point(161, 80)});
  EXPECT_EQ(chart->GetFTextLabel(1)->PosX(), 111);
  EXPECT_EQ(chart->GetFTextLabel(1)->PosY(), 80);
  EXPECT_EQ(chart->GetFTextLabel(2)->PosX(), 100);
}

// --- mouse position and cursor ----------------------------------------------------------------------

TEST_F(MouseChart, EveryMoveIsReportedAndOnlyMovesInsideTheDataAreaSetTheMousePosition) {
  struct TReport {
    bool in;
    double x, y;
  };
  std::vector<TReport> reports;
  chart->OnMouseMoveInChart = [&](TObject*, bool in, TShiftState, double x, double y) {
    reports.push_back({in, x, y});
  };
  user.MoveTo(chart, 100, 100);
  EXPECT_EQ(chart->MousePosX(), 50);
  EXPECT_EQ(chart->MousePosY(), 60);
  user.MoveTo(chart, 270, 10);
  EXPECT_EQ(chart->MousePosX(), 50);
  EXPECT_EQ(chart->MousePosY(), 60);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_TRUE(reports[0].in);
  EXPECT_FALSE(reports[1].in);
  EXPECT_EQ(reports[1].x, 220);
  EXPECT_EQ(reports[1].y, 150);
  user.MoveTo(chart, 260, 160);  // the corner of the data area belongs to it
  EXPECT_TRUE(reports.back().in);
}

struct CursorCase {
  TMouseActMode action;
  TCursor expected;
};

TEST_F(MouseChart, TheCursorFollowsTheActionInsideTheDataAreaUnlessFixed) {
  const CursorCase cases[] = {
      {maNone, crCross},         {maPan, 1},
      {maPanHoriz, 1},           {maPanVert, 1},
      {maRubberBand, crDefault}, {maZoomWind, 2},
      {maZoomWindPos, 4},        {maZoomDrag, 3},
      {maDragCrossH, crDefault}, {maDragLabel, crDefault},
  };
  chart->SetMouseCursorFixed(false);
  for (const CursorCase& c : cases) {
    chart->SetMouseAction(c.action);
    user.MoveTo(chart, 100, 100);
    EXPECT_EQ(user.EffectiveCursor(), c.expected) << int(c.action);
    user.MoveTo(chart, 20, 100);
    EXPECT_EQ(user.EffectiveCursor(), crDefault) << int(c.action);
  }
  chart->SetMouseAction(maZoomWind);
  user.MoveTo(chart, 100, 100);
  chart->SetMouseAction(maRotate);  // other actions leave the cursor
  user.MoveTo(chart, 110, 100);
  EXPECT_EQ(user.EffectiveCursor(), 2);
  chart->SetMouseCursorFixed(true);
  for (const CursorCase& c : cases) {
    chart->SetMouseAction(c.action);
    user.MoveTo(chart, 100 + int(c.action), 100);
    EXPECT_EQ(user.EffectiveCursor(), crDefault) << int(c.action);
  }
}

// Regression: the screen's cursor was set on every move, which replaced a host's busy cursor and
// the chart's own cursor.
TEST_F(MouseChart, TheHostsScreenCursorAndTheChartsOwnCursorStay) {
  chart->SetCursor(crHandPoint);
  chart->SetMouseCursorFixed(false);
  chart->SetMouseAction(maPan);
  Screen()->SetCursor(crHourGlass);
  user.MoveTo(chart, 100, 100);
  EXPECT_EQ(Screen()->Cursor(), crHourGlass);
  EXPECT_EQ(user.EffectiveCursor(), crHourGlass);
  Screen()->SetCursor(crDefault);
  EXPECT_EQ(user.EffectiveCursor(), 1);
  user.MoveTo(chart, 20, 100);
  EXPECT_EQ(user.EffectiveCursor(), crHandPoint);
  chart->SetMouseCursorFixed(true);
  user.MoveTo(chart, 100, 100);
  EXPECT_EQ(user.EffectiveCursor(), crHandPoint);
}

TEST_F(MouseChart, EnterLeaveAndDialogCodes) {
  int enters = 0, leaves = 0;
  chart->OnMouseEnter = [&](TObject*) { ++enters; };
  chart->OnMouseLeave = [&](TObject*) { ++leaves; };
  user.MoveTo(chart, 100, 100);
  user.MoveTo(chart, 120, 100);
  user.MoveTo(&form, 5, 5);
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
  EXPECT_EQ(chart->Perform(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTTAB);
}

// --- the mouse box ----------------------------------------------------------------------------------

namespace {

struct TBox {
  bool ok = false;
  double xLo = -1, yLo = -1, xHi = -1, yHi = -1;
};

TBox AskBox(TCustomRChart* chart) {
  TBox b;
  b.ok = chart->MouseBox(b.xLo, b.yLo, b.xHi, b.yHi);
  return b;
}

}  // namespace

// Regression: the box ended at the unclamped release position, not at the corner drawn.
TEST_F(MouseChart, TheMouseBoxAnswersTheBoxDrawnInChartUnitsOrdered) {
  auto before = Shot();
  user.SetAutoProcess(false);  // the box's own loop takes the input
  user.Press(chart, 110, 40);
  user.MoveTo(chart, 80, 90);
  user.MoveTo(chart, 20, 230);  // clamped to (50, 160)
  user.Release(chart, 20, 230);
  const TBox b = AskBox(chart);
  EXPECT_TRUE(b.ok);
  EXPECT_EQ(b.xLo, 0);
  EXPECT_EQ(b.yLo, 0);
  EXPECT_EQ(b.xHi, 60);
  EXPECT_EQ(b.yHi, 120);
  user.SetAutoProcess(true);
  EXPECT_TRUE(SamePixels(*before, *Shot())) << "the box is removed";
}

TEST_F(MouseChart, TheRightButtonOrMouseBoxAbortEndTheBoxWithFalse) {
  user.SetAutoProcess(false);
  user.Click(chart, 100, 100, mbRight);
  EXPECT_FALSE(AskBox(chart).ok);
  user.Press(chart, 100, 100);
  user.MoveTo(chart, 120, 120);
  user.Press(chart, 120, 120, mbRight);
  user.Release(chart, 120, 120, mbRight);
  user.Release(chart, 120, 120);
  TBox b = AskBox(chart);
  EXPECT_FALSE(b.ok);
  EXPECT_EQ(b.xLo, -1) << "the bounds stay";
  user.Process();
  chart->OnMouseMove = [this](TObject*, TShiftState, int, int) { chart->MouseBoxAbort(); };
  user.Press(chart, 100, 100);
  user.MoveTo(chart, 120, 120);
  user.Release(chart, 120, 120);
  EXPECT_FALSE(AskBox(chart).ok);
  user.Process();
}

// Regression: the box spun until the user finished: it never returned when the application
// terminated or when no input could come any more.
TEST_F(MouseChart, TheMouseBoxEndsWhenTheApplicationTerminatesOrNothingCanCome) {
  EXPECT_FALSE(AskBox(chart).ok);  // nothing queued, headless
  user.SetAutoProcess(false);
  chart->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { Application->Terminate(); };
  user.Press(chart, 100, 100);
  user.MoveTo(chart, 120, 120);
  EXPECT_FALSE(AskBox(chart).ok);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(chart->ZoomState(), zsNormal);
}

// Regression: a chart destroyed while its box waited was touched again by the waiting loop.
TEST_F(MouseChart, TheMouseBoxReturnsFalseWithoutTouchingAChartDestroyedMeanwhile) {
  auto* other = new TCustomControl(&form);
  other->SetParent(&form);
  other->SetBounds(295, 10, 20, 20);
  other->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
    delete chart;
    chart = nullptr;
  };
  user.SetAutoProcess(false);
  user.Click(other, 5, 5);
  TCustomRChart* asked = chart;
  EXPECT_FALSE(AskBox(asked).ok);
  EXPECT_EQ(chart, nullptr);
}

// Regression: a box whose window was closed waited for ever while anything else (a timer, another
// window) kept the loop alive, since no press or release could reach the chart again.
TEST(MouseChartWindow, TheMouseBoxEndsWhenItsFormIsClosed) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 150);
  auto* chart = new TRChart(&form);
  chart->SetParent(&form);
  chart->SetBounds(0, 0, 200, 150);
  form.Show();
  TTimer timer(nullptr);  // on the real clock, a running timer keeps the box's loop waiting
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 2) form.Close();
  };
  double xLo = 0, yLo = 0, xHi = 0, yHi = 0;
  EXPECT_FALSE(chart->MouseBox(xLo, yLo, xHi, yHi));
  EXPECT_EQ(ticks, 2);
}

TEST_F(MouseChart, ANestedMouseBoxAnswersFalseAtOnce) {
  int nested = -1;
  chart->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { nested = AskBox(chart).ok; };
  user.SetAutoProcess(false);
  user.Drag(chart, 60, 40, 110, 90);
  const TBox b = AskBox(chart);
  EXPECT_EQ(nested, 0);
  EXPECT_TRUE(b.ok);
  EXPECT_EQ(b.xHi, 60);
}
