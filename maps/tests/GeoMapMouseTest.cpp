// The map under the mouse of a scripted user: panning, the zoom window, the zoom drag, the rubber
// band and the modal mouse box.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Forms.h"
#include "GeoMapTestKit.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Testing.h"

using namespace qelta;
using qelta::test::Quadrants;
using qelta::test::TProbeMap;

namespace {

struct MapForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TProbeMap* map = new TProbeMap(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 600, 500);
    map->SetParent(form.get());
    map->SetBounds(0, 0, 500, 400);
    map->SetMapBitMap(Quadrants(1000, 1000).get());
    user.Show(form.get());
  }
  bool SamePicture(const TBitmap& a, const TBitmap& b) {
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y)) return false;
    return true;
  }
};

TEST_F(MapForm, ConfinedPansNeverShowSpaceLeftOfOrAboveTheImage) {
  map->SetMouseAction(maPan);
  user.Drag(map, 100, 100, 300, 300);
  EXPECT_EQ(map->TopLeft().X, 0);
  EXPECT_EQ(map->TopLeft().Y, 0);
  // Anchored where the first move with the button held was (a quarter of the way). The press comes
  // where the last drag ended, with no move between: the old anchor used to be taken up again.
  user.Drag(map, 300, 300, 100, 100);
  EXPECT_EQ(map->TopLeft().X, 150);
  EXPECT_EQ(map->TopLeft().Y, 150);
  const TgmZoomStackEntry top = map->GetZoomStackEntry(0);  // the pan went on the zoom ring
  EXPECT_EQ(top.Left, 150);
  EXPECT_EQ(top.MagF, 1.0);
  map->SetMouseAction(maPanHoriz);
  user.Drag(map, 300, 300, 200, 100);
  EXPECT_EQ(map->TopLeft().X, 225);
  EXPECT_EQ(map->TopLeft().Y, 150);
  user.Drag(map, 10, 10, 400, 300);
  EXPECT_EQ(map->TopLeft().X, 0);
  EXPECT_NE(map->At(1, 1), map->ColorBackGnd());
}

TEST_F(MapForm, ZoomWindowFillsTheControlWithTheLargerSide) {
  map->SetMouseAction(maZoomWind);
  const TgmZoomStackEntry before = map->GetZoomStackEntry(0);
  int zoomPans = 0;
  map->OnZoomPan = [&](TObject*) { ++zoomPans; };
  user.Drag(map, 100, 100, 300, 200);  // 200 x 100 map-image pixels
  EXPECT_DOUBLE_EQ(map->Magnification(), 2.5);
  EXPECT_EQ(map->TopLeft().X, 100);
  EXPECT_EQ(map->TopLeft().Y, 70);  // the 100 rows in the middle of the 160 shown
  EXPECT_EQ(map->ZoomState(), zsNormal);
  EXPECT_EQ(zoomPans, 1);
  EXPECT_EQ(map->GetZoomStackEntry(0), before);  // a zoom window does not go on the ring
  // A window of no width changes nothing.
  user.Drag(map, 100, 100, 100, 300);
  EXPECT_DOUBLE_EQ(map->Magnification(), 2.5);
  EXPECT_EQ(map->TopLeft().Y, 70);
  EXPECT_EQ(map->ZoomState(), zsNormal);
}

TEST_F(MapForm, ZoomDragStaysPositive) {
  map->SetMouseAction(maZoomDrag);
  user.Drag(map, 250, 50, 250, 150);  // down: out
  const double out = map->Magnification();
  EXPECT_LT(out, 1.0);
  EXPECT_GT(out, 0);
  EXPECT_EQ(map->GetZoomStackEntry(0).MagF, out);
  // Dragging down the whole height used to reach a factor of 0 and below.
  for (int k = 0; k < 5; ++k) user.Drag(map, 250, 0, 250, 400, mbLeft, 8);
  EXPECT_GE(map->Magnification(), 0.001);
  user.Drag(map, 250, 390, 250, 0, mbLeft, 20);  // up: in
  EXPECT_GT(map->Magnification(), 0.001);
  for (int k = 0; k < 10; ++k) user.Drag(map, 250, 399, 250, 0, mbLeft, 20);
  EXPECT_LE(map->Magnification(), 1000);
  EXPECT_EQ(map_detail::ZoomDragFactor(0, 0, 0, 400, 500, 400), 0.1);
  EXPECT_DOUBLE_EQ(map_detail::ZoomDragFactor(100, 0, 0, 0, 500, 400), 0.99);
}

TEST_F(MapForm, RubberBandBeginsContinuesEndsAndLeavesThePicture) {
  map->SetMouseAction(maRubberBand);
  std::vector<std::pair<char, TPoint>> log;
  map->OnBeginRubberBand = [&](TObject*, TPoint p) { log.push_back({'b', p}); };
  map->OnContinueRubberBand = [&](TObject*, TPoint p) { log.push_back({'c', p}); };
  map->OnEndRubberBand = [&](TObject*, TPoint p) { log.push_back({'e', p}); };
  const auto before = user.Grab(map);
  user.Click(map, 50, 60);
  user.MoveTo(map, 120, 90);
  user.MoveTo(map, 200, 30);
  EXPECT_FALSE(SamePicture(*before, *user.Grab(map)));  // the line shows
  user.Click(map, 200, 30);                            // ends: the line goes
  EXPECT_TRUE(SamePicture(*before, *user.Grab(map)));
  user.Click(map, 10, 10);
  user.Click(map, 20, 30, mbLeft, {ssCtrl});
  user.Click(map, 40, 40);
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].first, 'b');
  EXPECT_EQ(log[0].second, (TPoint{50, 60}));
  EXPECT_EQ(log[1].first, 'e');
  EXPECT_EQ(log[2].first, 'b');
  EXPECT_EQ(log[3].first, 'c');
  EXPECT_EQ(log[3].second, (TPoint{20, 30}));
  EXPECT_EQ(log[4].first, 'e');
  EXPECT_EQ(map->LastClickPosX(), 40);
}

TEST_F(MapForm, ZoomWindowShapeIsRemovedOnCancel) {
  map->SetMouseAction(maZoomWind);
  const auto before = user.Grab(map);
  user.Press(map, 100, 100);
  user.MoveTo(map, 200, 150);
  user.MoveTo(map, 250, 180);
  EXPECT_FALSE(SamePicture(*before, *user.Grab(map)));
  user.Press(map, 250, 180, mbRight);
  user.Release(map, 250, 180, mbRight);
  user.Release(map, 250, 180);
  EXPECT_TRUE(SamePicture(*before, *user.Grab(map)));
  EXPECT_EQ(map->Magnification(), 1.0);
}

TEST_F(MapForm, MouseBoxTakesQueuedInput) {
  map->SetMouseAction(maPan);
  user.SetAutoProcess(false);
  user.Press(map, 300, 200);
  user.MoveTo(map, 200, 100);
  user.Release(map, 100, 50);
  int x1 = -1, y1 = -1, x2 = -1, y2 = -1;
  EXPECT_TRUE(map->MouseBox(x1, y1, x2, y2));
  EXPECT_EQ(x1, 100);
  EXPECT_EQ(y1, 50);
  EXPECT_EQ(x2, 300);
  EXPECT_EQ(y2, 200);
  EXPECT_EQ(map->MouseAction(), maPan);
  EXPECT_EQ(map->TopLeft().X, 0);  // no pan meanwhile

  x1 = -1;
  user.Press(map, 300, 200, mbRight);
  EXPECT_FALSE(map->MouseBox(x1, y1, x2, y2));
  EXPECT_EQ(x1, -1);
  user.SetAutoProcess(true);
  user.Release(map, 300, 200, mbRight);

  // No input at all: nothing could ever finish it.
  EXPECT_FALSE(map->MouseBox(x1, y1, x2, y2));
  // An abort from a handler.
  user.SetAutoProcess(false);
  map->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { map->MouseBoxAbort(); };
  user.Press(map, 30, 30);
  user.Release(map, 60, 60);
  EXPECT_FALSE(map->MouseBox(x1, y1, x2, y2));
  EXPECT_EQ(x1, -1);
  user.SetAutoProcess(true);
}

}  // namespace
