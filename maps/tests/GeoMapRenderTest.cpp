// The picture over the image: graticules, the UTM grid, calibration marks, landmarks and their events.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "GeoMapTestKit.h"
#include "GoldenImage.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Random.h"

using namespace qelta;
using qelta::test::TProbeMap;

namespace {

std::unique_ptr<TBitmap> Plain(int w, int h, TColor colour = clWhite) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas()->Brush()->SetColor(colour);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

/// A white 1000 x 1000 map from 50 N 10 E (top left) to 49 N 11 E: one pixel is a thousandth of a
/// degree both ways (cmEquiRect).
void Calibrate(TProbeMap& map, TCalibModel model = cmEquiRect) {
  map.SetMapBitMap(Plain(1000, 1000).get());
  TCalibData cal = map.CalibData();
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {50, 10, 0, 0};
  cal.CalQuads[1] = {50, 11, 1000, 0};
  cal.CalQuads[2] = {49, 10, 0, 1000};
  map.SetCalibData(cal);
  map.SetCalibModel(model);
}

void AddMark(TGeoMap& map, double lat, double lon, uint8_t cls = 0, TLandMarkElement kind = lmSquare) {
  map.AddLandMark(lat, lon, 0, kind, cls, "", 0, 0, clBlack, clRed, 4, false, 0, 10);
}

TEST(GeoMapRender, EventsComeInTheirOrder) {
  TProbeMap map;
  Calibrate(map);
  AddMark(map, 49.8, 10.1);
  AddMark(map, 49.7, 10.2);
  map.SetHighLM(2);
  std::vector<std::string> log;
  map.OnBeforeRenderData = [&](TObject*, TCanvas*) { log.push_back("before"); };
  map.OnDataRendered = [&](TObject*, TCanvas*) { log.push_back("rendered"); };
  map.OnDrawLandmark = [&](TObject*, bool&, TCanvas*, TPoint p, const TLandMark&) {
    log.push_back(std::to_string(p.X) + "," + std::to_string(p.Y));
  };
  map.Invalidate();
  map.ConstructInternalMapImg();
  EXPECT_EQ(log, (std::vector<std::string>{"before", "100,200", "200,300", "rendered", "200,300"}));
  EXPECT_EQ(map.At(100, 200), clRed);  // the square's fill
  EXPECT_EQ(map.At(200, 300), clYellow);  // the highlight's background
}

TEST(GeoMapRender, NothingFiresForAnEmptyOrSuppressedMap) {
  TProbeMap map;
  int events = 0;
  map.OnDataRendered = [&](TObject*, TCanvas*) { ++events; };
  map.OnDrawLandmark = [&](TObject*, bool&, TCanvas*, TPoint, const TLandMark&) { ++events; };
  AddMark(map, 0, 0);
  map.ConstructInternalMapImg();
  EXPECT_EQ(events, 0);
  Calibrate(map);
  events = 0;
  map.SetSuppressPaint(true);
  map.SetMagnification(2);
  map.SetTopLeft(TPoint{10, 10});
  EXPECT_EQ(events, 0);
  map.OnDrawLandmark = nullptr;
  map.SetSuppressPaint(false);
  EXPECT_EQ(events, 1);  // switching painting on repaints once
}

TEST(GeoMapRender, LandMarksByClassBorderAndHandled) {
  TProbeMap map;
  Calibrate(map);
  AddMark(map, 49.9, 10.1, 1);   // (100, 100), class 1
  AddMark(map, 49.8, 10.0, 0);   // (0, 200): on the border
  AddMark(map, 49.7, 10.3, 0);   // (300, 300)
  map.SetClassVisibility(1, false);
  std::vector<TPoint> seen;
  bool handle = false;
  map.OnDrawLandmark = [&](TObject*, bool& handled, TCanvas*, TPoint p, const TLandMark&) {
    seen.push_back(p);
    handled = handle;
  };
  map.ConstructInternalMapImg();
  ASSERT_EQ(seen.size(), 2u);  // the invisible class fires nothing
  EXPECT_EQ(seen[0].X, 0);     // the border landmark fires, without a symbol
  EXPECT_EQ(map.At(1, 200), clWhite);
  EXPECT_EQ(map.At(300, 300), clRed);
  handle = true;
  map.ConstructInternalMapImg();
  EXPECT_EQ(map.At(300, 300), clWhite);  // Handled suppresses symbol and caption
}

TEST(GeoMapRender, ManyLandMarksAreThinnedToTheThreshold) {
  TProbeMap map;
  Calibrate(map);
  map.SetSuppressPaint(true);
  for (int i = 0; i < 30000; ++i) AddMark(map, 49.7 + (i % 100) * 0.002, 10.05 + (i / 100) * 0.001);
  map.SetSuppressPaint(false);
  int drawn = 0;
  map.OnDrawLandmark = [&](TObject*, bool& handled, TCanvas*, TPoint, const TLandMark&) {
    ++drawn;
    handled = true;
  };
  RandSeed = 5807;
  map.ConstructInternalMapImg();
  EXPECT_NEAR(drawn / 30000.0, 2.0 / 3.0, 0.015);
}

TEST(GeoMapRender, GraticuleLinesAtTheirPixels) {
  TProbeMap map;
  Calibrate(map);
  map.SetGratLineDist(0.1);
  map.SetShowGrat(sgLines);
  // Parallels every 100 rows, meridians every 100 columns, in the graticule colour.
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(map.At(250, 100 * k), clBlue) << k;
    EXPECT_EQ(map.At(100 * k, 250), clBlue) << k;
  }
  EXPECT_EQ(map.At(250, 150), clWhite);
  EXPECT_EQ(map.At(150, 250), clWhite);
  // Without a step of its own, a span of one degree gives one line per degree: none in view.
  map.SetGratLineDist(0);
  EXPECT_EQ(map.At(250, 100), clWhite);
  // The UTM grid belongs to cmUTM only.
  map.SetShowGrat(sgUTMGrid);
  for (int y = 1; y < 399; ++y) ASSERT_EQ(map.At(250, y), clWhite) << y;
  // Marks at the calibration points: the cross's arm and the outer diamond.
  map.SetShowGrat(sgPoints);
  map.SetTopLeft(TPoint{-20, -20});
  EXPECT_EQ(map.At(28, 20), clRed);
  EXPECT_EQ(map.At(20, 10), clRed);
  EXPECT_EQ(map.At(20, 11), clWhite);  // the white diamond between
}

TEST(GeoMapRender, UTMGridLinesAtTheirPixels) {
  TProbeMap map;
  map.SetMapBitMap(Plain(1000, 1000).get());
  map.SetUTMZone(32);
  // 10 m per pixel from easting 500 km, northing 5010 km at the top left.
  TCalibData cal = map.CalibData();
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {5010000, 500000, 0, 0};
  cal.CalQuads[1] = {5010000, 510000, 1000, 0};
  cal.CalQuads[2] = {5000000, 500000, 0, 1000};
  map.SetCalibData(cal);
  map.SetCalibModel(cmUTM);
  map.SetUTMGridDist(1000);
  map.SetShowGrat(sgUTMGrid);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(map.At(250, 100 * k), clBlue) << k;  // northings 5009, 5008, 5007 km
    EXPECT_EQ(map.At(100 * k, 250), clBlue) << k;  // eastings 501, 502, 503 km
  }
  EXPECT_EQ(map.At(250, 150), clWhite);
  // Panned, the grid stays on the image: the lines move with it.
  map.SetTopLeft(TPoint{50, 50});
  EXPECT_EQ(map.At(260, 50), clBlue);
  EXPECT_EQ(map.At(50, 260), clBlue);
  EXPECT_EQ(map.At(260, 100), clWhite);
  // The grid is clipped to the image where it lies in the view, not to where it would lie unpanned:
  // at 0.5 from (200, 0) the image ends at x = 400 and the lines with it.
  map.SetMagnification(0.5);
  map.SetTopLeft(TPoint{200, 0});
  EXPECT_EQ(map.At(350, 50), clBlue);
  EXPECT_EQ(map.At(450, 50), map.ColorBackGnd());
  // A grid distance of 1 m over the map asked for ten thousand lines a direction: it finishes.
  map.SetUTMGridDist(1);
  EXPECT_GT(map.paints, 0);
}

TEST(GeoMapRender, ParabolicLinesFollowTheirFit) {
  TProbeMap map;
  map.SetMapBitMap(Plain(1000, 1000).get());
  TCalibData cal = map.CalibData();
  cal.NumCalLines = 3;
  cal.CalLines[0] = {gtlParallel, 49.9, 3, {TPoint{0, 100}, TPoint{500, 100}, TPoint{1000, 100}}};
  cal.CalLines[1] = {gtlMeridian, 10.2, 3, {TPoint{200, 0}, TPoint{200, 500}, TPoint{200, 1000}}};
  // Two points only: no parabola (the fitter would raise), yet its marks are drawn.
  cal.CalLines[2] = {gtlParallel, 49.5, 2, {TPoint{0, 300}, TPoint{400, 300}}};
  map.SetCalibData(cal);
  map.SetCalibModel(cmParabolicIp);
  map.SetShowGrat(sgPointsAndLines);
  EXPECT_EQ(map.At(350, 100), clBlue);
  EXPECT_EQ(map.At(200, 350), clBlue);
  EXPECT_EQ(map.At(300, 300), clWhite);
  EXPECT_EQ(map.At(400 - 8, 300), clRed);
}

TEST(GeoMapRender, DegenerateGraticulesFinish) {
  TProbeMap map;
  Calibrate(map);
  map.SetShowGrat(sgLines);
  // An uncalibrated span (all corners equal) used to loop for ever.
  TCalibData cal = map.CalibData();
  cal.Corners.fill(TCoords{49.5, 10.5});
  map.SetCalibData(cal);
  map.ConstructInternalMapImg();
  // A tiny step over the map asked for millions of lines: each direction stops at 10,000.
  Calibrate(map);
  map.SetGratLineDist(1e-9);
  EXPECT_GT(map.paints, 0);
  EXPECT_EQ(map_detail::GridValues(0, 1, 1e-9).size(), map_detail::kMaxGridLines);
}

// The whole picture of a calibrated map: graticule, marks, every symbol kind and the highlight.
TEST(GeoMapRender, GoldenPictureOfACalibratedMap) {
  TProbeMap map;
  map.SetBounds(0, 0, 320, 240);
  map.SetSuppressPaint(true);
  Calibrate(map);
  map.SetGratLineDist(0.05);
  map.SetShowGrat(sgPointsAndLines);
  map.SetTopLeft(TPoint{-20, -20});
  for (int k = 0; k < 9; ++k) {
    map.AddLandMark(49.96 - (k / 3) * 0.06, 10.04 + (k % 3) * 0.08, 0, static_cast<TLandMarkElement>(k), 0, "", 0, 0,
                    clNavy, clYellow, 8, k % 2 == 1, 30 * k, 20);
  }
  map.SetHighLM(5);
  map.SetSuppressPaint(false);
  TBitmap shown(320, 240);  // what Paint copies onto the control
  shown.Canvas()->CopyRect(Rect(0, 0, 320, 240), map.Picture().Canvas(), Rect(0, 0, 320, 240));
  EXPECT_GOLDEN(shown, "geomap-render");
}

TEST(GeoMapRender, LayoutOfTheGrids) {
  EXPECT_EQ(map_detail::GraticuleStep(1.0, 0), 1.0);
  EXPECT_EQ(map_detail::GraticuleStep(30, 0), 1.0);
  EXPECT_DOUBLE_EQ(map_detail::GraticuleStep(0.05, 0), 0.01);
  EXPECT_EQ(map_detail::GraticuleStep(0.05, 0.5), 0.5);
  EXPECT_EQ(map_detail::GridValues(-1.5, 1, 1), (std::vector<double>{-1, 0}));
  EXPECT_TRUE(map_detail::GridValues(0, 1, 0).empty());
  EXPECT_TRUE(map_detail::GridValues(0, NAN, 1).empty());
  EXPECT_EQ(map_detail::UTMGridStep(5000000, 5100000, 0), 10000);
  EXPECT_EQ(map_detail::UTMGridStep(5000000, 5000003, 0), 1);
  EXPECT_EQ(map_detail::UTMGridStep(5000000, 5100000, 250), 250);
  const TCornerArray c{TCoords{50, 10}, TCoords{49, 10.1}, TCoords{49.1, 11}, TCoords{50.2, 11.1}};
  const map_detail::TGratBounds b = map_detail::GraticuleBounds(c);
  EXPECT_EQ(b.South, 49);
  EXPECT_EQ(b.North, 50.2);
  EXPECT_EQ(b.West, 10);
  EXPECT_EQ(b.East, 11.1);
}

}  // namespace
