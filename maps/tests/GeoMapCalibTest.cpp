// The map's calibration: the fits of every model, their quality, corners and resolution, clearing,
// and the conversions between map-image pixels and geography.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "Assertions.h"
#include "GeoMapTestKit.h"
#include "Qelta_geobasics.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"

using namespace qelta;
using qelta::test::Quadrants;
using qelta::test::TProbeMap;

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

void SetQuads(TGeoMap& map, const std::vector<TCalQuad>& quads) {
  TCalibData cal = map.CalibData();
  cal.NumCalQuads = static_cast<int>(quads.size());
  for (size_t k = 0; k < quads.size(); ++k) cal.CalQuads[k] = quads[k];
  map.SetCalibData(cal);
}

struct TLineSpec {
  TGratLineKind kind;
  double value;
  std::vector<TPoint> points;
};

void SetLines(TGeoMap& map, const std::vector<TLineSpec>& lines) {
  TCalibData cal = map.CalibData();
  cal.NumCalLines = static_cast<int>(lines.size());
  for (size_t k = 0; k < lines.size(); ++k) {
    TCalibLine& l = cal.CalLines[k];
    l.LineType = lines[k].kind;
    l.LineValue = lines[k].value;
    l.NumPoints = static_cast<int>(lines[k].points.size());
    for (size_t j = 0; j < lines[k].points.size(); ++j) l.CalPoints[j] = lines[k].points[j];
  }
  map.SetCalibData(cal);
}

/// Every point's pixel goes to geography and back within a pixel, and CalibQuality is near 0.
void ExpectRoundTrips(const TGeoMap& map, double quality) {
  for (int k = 0; k < map.CalibData().NumCalQuads; ++k) {
    const TCalQuad& q = map.CalibData().CalQuads[k];
    bool v1 = false, v2 = false;
    const double lat = map.CalcLatitude(q.MapX, q.MapY, v1), lon = map.CalcLongitude(q.MapX, q.MapY, v2);
    ASSERT_TRUE(v1 && v2) << k;
    int x = 0, y = 0;
    ASSERT_TRUE(map.CalcPixelCoords(lat, lon, x, y)) << k;
    EXPECT_LE(std::abs(x - q.MapX), 1) << k;
    EXPECT_LE(std::abs(y - q.MapY), 1) << k;
    if (map.CalibModel() != cmUTM) {
      ASSERT_TRUE(map.CalcPixelCoords(q.Latitude, q.Longitude, x, y)) << k;
      EXPECT_LE(std::abs(x - q.MapX), 1) << k;
      EXPECT_LE(std::abs(y - q.MapY), 1) << k;
    }
  }
  double qx = -1, qy = -1;
  map.CalibQuality(qx, qy);
  EXPECT_LT(qx, quality);
  EXPECT_LT(qy, quality);
}

// --- polynomial and affine models ------------------------------------------------------------------

TEST(GeoMapCalib, EquiRectFromThreePoints) {
  TProbeMap map;
  SetQuads(map, {{50, 10, 0, 0}, {50, 11, 1000, 0}, {49, 10, 0, 1000}});
  map.SetCalibModel(cmEquiRect);
  bool valid = false;
  EXPECT_NEAR(map.CalcLatitude(500, 500, valid), 49.5, 1e-12);
  EXPECT_TRUE(valid);
  EXPECT_NEAR(map.CalcLongitude(TPoint{500, 500}, valid), 10.5, 1e-12);
  int x = 0, y = 0;
  ASSERT_TRUE(map.CalcPixelCoords(49.5, 10.5, x, y));
  EXPECT_EQ(x, 500);
  EXPECT_EQ(y, 500);
  ExpectRoundTrips(map, 1e-6);
  // The same fit serves cmUTM; no other model answers a UTM position.
  EXPECT_FALSE(map.CalcPixelCoordsUTM(1, 1, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST(GeoMapCalib, BiquadraticFromItsOwnFormula) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 800).get());
  std::vector<TCalQuad> quads;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) {
      const double x = 250.0 * i, y = 200.0 * j;
      quads.push_back({48 - 0.001 * y + 2e-9 * x * x + 1e-9 * x * y, 10 + 0.0013 * x + 3e-10 * y * y - 1e-9 * x * y,
                       int(x), int(y)});
    }
  SetQuads(map, quads);
  map.SetCalibModel(cmBiquadraticPn);
  bool valid = false;
  EXPECT_NEAR(map.CalcLatitude(333, 444, valid), 48 - 0.444 + 2e-9 * 333 * 333 + 1e-9 * 333 * 444, 1e-9);
  EXPECT_NEAR(map.CalcLongitude(333, 444, valid), 10 + 0.0013 * 333 + 3e-10 * 444 * 444 - 1e-9 * 333 * 444, 1e-9);
  ExpectRoundTrips(map, 0.5);
  // No points: all 24 coefficients 0.
  SetQuads(map, {});
  map.CalcBiquadraticCalibration();
  for (const double c : map.CalParsPLSP()) EXPECT_EQ(c, 0);
  for (const double c : map.CalParsSPPL()) EXPECT_EQ(c, 0);
}

TEST(GeoMapCalib, MillerFromItsOwnFormula) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 800).get());
  // x = 20000 lambda - 3000, y = -20000 ln tan(pi/4 + 0.4 phi) + 19000 (north up).
  const auto pixel = [](double lat, double lon, int& x, int& y) {
    x = int(std::lround(lon * Pi / 180 * 20000 - 3000));
    y = int(std::lround(-20000 * std::log(std::tan(0.4 * lat * Pi / 180 + Pi / 4)) + 19000));
  };
  std::vector<TCalQuad> quads;
  for (const double lat : {45.0, 46.5, 48.0})
    for (const double lon : {9.0, 10.5, 12.0}) {
      TCalQuad q{lat, lon, 0, 0};
      pixel(lat, lon, q.MapX, q.MapY);
      quads.push_back(q);
    }
  SetQuads(map, quads);
  map.SetCalibModel(cmMillerCylindrical);
  // The pixels are rounded, so the fitted lines are near the made ones.
  EXPECT_NEAR_REL(map.MillerPars()[0], -20000, 2e-3);
  EXPECT_NEAR_REL(map.MillerPars()[1], 19000, 2e-3);
  EXPECT_NEAR_REL(map.MillerPars()[2], 20000, 2e-3);
  EXPECT_NEAR_REL(map.MillerPars()[3], -3000, 2e-3);
  ExpectRoundTrips(map, 0.5);
  int x = 0, y = 0, ex = 0, ey = 0;
  map.CalcPixelCoords(47.2, 11.1, x, y);
  pixel(47.2, 11.1, ex, ey);
  EXPECT_LE(std::abs(x - ex), 1);
  EXPECT_LE(std::abs(y - ey), 1);
  // Two points keep the previous parameters.
  const auto before = map.MillerPars();
  SetQuads(map, {quads[0], quads[1]});
  map.CalcMillerCylCalibration();
  EXPECT_EQ(map.MillerPars(), before);
  // M1 = 0 or M3 = 0: no position.
  map.MillerPars() = {0, 1, 0, 1};
  bool valid = true;
  EXPECT_EQ(map.CalcLatitude(10, 10, valid), 0);
  EXPECT_FALSE(valid);
  valid = true;
  EXPECT_EQ(map.CalcLongitude(10, 10, valid), 0);
  EXPECT_FALSE(valid);
}

TEST(GeoMapCalib, ConicFindsAKnownApex) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  // Apex (400, -6000): latitude 60 - 0.0025 r, longitude 12 + 40 theta (radians).
  const double cx = 400, cy = -6000;
  std::vector<TCalQuad> quads;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const int x = 100 + 260 * i, y = 80 + 270 * j;
      const double r = std::hypot(x - cx, y - cy), theta = std::atan((x - cx) / (y - cy));
      quads.push_back({60 - 0.0025 * r, 12 + 40 * theta, x, y});
    }
  SetQuads(map, quads);
  map.SetCalibModel(cmConicConformal);
  const auto& c = map.ConicPars();
  // Seen from the points the apex lies in a narrow angle, so its distance is less sure than its side.
  EXPECT_NEAR(c[0], cx, 2);
  EXPECT_NEAR_REL(c[1], cy, 0.05);
  ExpectRoundTrips(map, 0.6);
  bool valid = false;
  EXPECT_NEAR(map.CalcLatitude(500, 500, valid), 60 - 0.0025 * std::hypot(100, 6500), 0.01);
  // Fewer than 3 points: all parameters 0.
  SetQuads(map, {quads[0], quads[1]});
  map.CalcConicCalibration();
  for (const double p : map.ConicPars()) EXPECT_EQ(p, 0);
}

TEST(GeoMapCalib, ConicApexRowAndDegenerateParameters) {
  TProbeMap map;
  map.SetCalibModel(cmConicConformal);
  map.ConicPars() = {100, 200, -0.01, 60, 40, 12};
  bool valid = false;
  // On the apex row the angle is the limit, +-pi/2 by the side.
  EXPECT_NEAR(map.CalcLongitude(150, 200, valid), 12 + 40 * Pi / 2, 1e-12);
  EXPECT_TRUE(valid);
  EXPECT_NEAR(map.CalcLongitude(50, 200, valid), 12 - 40 * Pi / 2, 1e-12);
  EXPECT_TRUE(valid);
  EXPECT_EQ(map.CalcLongitude(100, 200, valid), 0);  // the apex itself has no angle
  EXPECT_FALSE(valid);
  EXPECT_EQ(map.CalcLatitude(100, 200, valid), 60);
  EXPECT_TRUE(valid);
  // Zero slopes: (0, 0), true.
  map.ConicPars() = {100, 200, 0, 60, 40, 12};
  int x = 5, y = 5;
  EXPECT_TRUE(map.CalcPixelCoords(50, 10, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  // Southern latitudes go the other way from the apex row.
  map.ConicPars() = {0, 0, 0.01, 0, 1, 0};
  ASSERT_TRUE(map.CalcPixelCoords(1, 0, x, y));
  EXPECT_EQ(y, 100);
  ASSERT_TRUE(map.CalcPixelCoords(-1, 0, x, y));
  EXPECT_EQ(y, 100);
  // A tangent without value is no position: X, Y untouched.
  map.ConicPars() = {0, 0, 0.01, 0, 1, 0};
  x = y = 7;
  EXPECT_FALSE(map.CalcPixelCoords(NaN, 0, x, y));
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 7);
}

TEST(GeoMapCalib, ConicTrialsWithoutALineCountAsNoImprovement) {
  using map_detail::TConicPoint;
  // Three points, two of them on the apex row: the angular line cannot be fitted (the classic fit
  // raised from CalcLinFit and ended the whole search).
  const std::vector<TConicPoint> points = {{0, 5, 50, 10}, {10, 5, 49, 11}, {5, 20, 48, 12}};
  std::array<double, 6> pars{};
  double q = 0;
  EXPECT_FALSE(map_detail::FitConicAtApex(points, 3, 5, pars, q));
  EXPECT_TRUE(map_detail::FitConicAtApex(points, 3, 6, pars, q));
  // The search goes on and ends with a finite answer.
  const auto found = map_detail::SearchConic(points, 100, 100);
  for (const double p : found) EXPECT_TRUE(std::isfinite(p));
  EXPECT_EQ(map_detail::SearchConic({points.data(), 2}, 100, 100), (std::array<double, 6>{}));
}

TEST(GeoMapCalib, TheConicLinesAreThoseOfTheCurveFitter) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> dist(-1000, 1000);
  for (int n : {2, 3, 7, 40}) {
    std::vector<double> u, v;
    TCurveFit fit(nullptr);
    for (int i = 0; i < n; ++i) {
      u.push_back(dist(gen) + 1e6);
      v.push_back(0.37 * u.back() + dist(gen) * 1e-3);
      fit.EnterStatValue(u.back(), v.back());
    }
    double k = 0, d = 0, quality = 0;
    fit.CalcLinFit(k, d, quality);
    const map_detail::TLineFit line = map_detail::FitLine(u, v, n);
    ASSERT_TRUE(line.Solvable);
    EXPECT_EQ(line.k, k) << n;
    EXPECT_EQ(line.d, d) << n;
  }
  EXPECT_FALSE(map_detail::FitLine(std::vector<double>{1}, std::vector<double>{2}, 1).Solvable);
}

// --- UTM -------------------------------------------------------------------------------------------

/// A map of zone 32 whose pixels are 100 m, calibrated from points of zone 32 around 11.5 E.
void CalibrateUTM(TProbeMap& map, double lat0, bool south) {
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  map.SetUTMZone(32);
  map.SetUTMHemisphere(south ? hemiSouth : hemiNorth);
  int zone = 0;
  double e0 = 0, n0 = 0;
  LatLongToUTM(lat0, 11.5, gelWGS84, zone, e0, n0);
  e0 = std::floor(e0 / 1000) * 1000;
  n0 = std::floor(n0 / 1000) * 1000;
  // Pixel (0, 0) at (e0 - 50 km, n0 + 50 km), 100 m per pixel.
  SetQuads(map, {{n0 + 50000, e0 - 50000, 0, 0}, {n0 + 50000, e0 + 50000, 1000, 0}, {n0 - 50000, e0 - 50000, 0, 1000},
                 {n0 - 50000, e0 + 50000, 1000, 1000}});
  map.SetCalibModel(cmUTM);
}

TEST(GeoMapCalib, UTMMapsStayConsistentAcrossTheZoneEdge) {
  TProbeMap map;
  CalibrateUTM(map, 47, false);
  // The quality converts the points from their northing and easting (the classic measure read them
  // as degrees and reported kilometres of scatter for a perfect fit).
  ExpectRoundTrips(map, 1e-6);
  int x = 0, y = 0;
  ASSERT_TRUE(map.CalcPixelCoordsUTM(map.CalibData().CalQuads[3].Latitude, map.CalibData().CalQuads[3].Longitude, x, y));
  EXPECT_EQ(x, 1000);
  EXPECT_EQ(y, 1000);
  // Positions on both sides of 12 E (zone 33 begins there) land in the map next to each other; the
  // classic conversion projected 12.01 E in zone 33 and landed hundreds of kilometres off.
  int xw = 0, yw = 0, xe = 0, ye = 0;
  ASSERT_TRUE(map.CalcPixelCoords(47, 11.99, xw, yw));
  ASSERT_TRUE(map.CalcPixelCoords(47, 12.01, xe, ye));
  EXPECT_GT(xe, xw);
  EXPECT_LE(xe - xw, 17);  // 0.02 degrees are about 1.5 km
  EXPECT_LE(std::abs(ye - yw), 1);
  for (const double lon : {11.99, 12.01}) {
    ASSERT_TRUE(map.CalcPixelCoords(47, lon, x, y));
    bool valid = false;
    EXPECT_NEAR(map.CalcLatitude(x, y, valid), 47, 0.001);
    EXPECT_NEAR(map.CalcLongitude(x, y, valid), lon, 0.002);
  }
  // Inside the map's zone the pixels are those of the point's own zone.
  int zone = 0;
  double e = 0, n = 0;
  LatLongToUTM(47.1, 11.2, gelWGS84, zone, e, n);
  ASSERT_EQ(zone, 32);
  int ux = 0, uy = 0;
  map.CalcPixelCoordsUTM(n, e, ux, uy);
  ASSERT_TRUE(map.CalcPixelCoords(47.1, 11.2, x, y));
  EXPECT_EQ(x, ux);
  EXPECT_EQ(y, uy);
  // Grid helpers: the row of a northing at a column, the column of an easting at a row.
  const TCalQuad& q = map.CalibData().CalQuads[0];
  EXPECT_EQ(map.CalcUTMyFromNorthingX(q.Latitude - 25000, 300), 250);
  EXPECT_EQ(map.CalcUTMxFromEastingY(q.Longitude + 12000, 700), 120);
}

TEST(GeoMapCalib, SouthernUTMMapsReachAcrossTheEquator) {
  TProbeMap map;
  CalibrateUTM(map, -0.2, true);
  ExpectRoundTrips(map, 1e-6);
  int xs = 0, ys = 0, xn = 0, yn = 0;
  ASSERT_TRUE(map.CalcPixelCoords(-0.01, 11.5, xs, ys));
  ASSERT_TRUE(map.CalcPixelCoords(0.01, 11.5, xn, yn));
  EXPECT_LT(yn, ys);
  EXPECT_LE(ys - yn, 23);  // 0.02 degrees are about 2.2 km
  bool valid = false;
  EXPECT_NEAR(map.CalcLatitude(xn, yn, valid), 0.01, 0.001);
}

// --- parabolic interpolation -----------------------------------------------------------------------

/// Parallels at 48 and 49 (y = 800 - 0.0001 (x - 500)^2 and y = 100 - ...), meridians at 10 and 11
/// (x = 100 + 0.0001 (y - 400)^2 and x = 900 + ...), three points each.
std::vector<TLineSpec> Graticule() {
  const auto parallel = [](double y0) {
    std::vector<TPoint> p;
    for (const int x : {0, 500, 1000}) p.push_back({x, int(y0 - 0.0001 * (x - 500) * (x - 500))});
    return p;
  };
  const auto meridian = [](double x0) {
    std::vector<TPoint> p;
    for (const int y : {0, 400, 800}) p.push_back({int(x0 + 0.0001 * (y - 400) * (y - 400)), y});
    return p;
  };
  return {{gtlParallel, 48, parallel(800)},
          {gtlParallel, 49, parallel(100)},
          {gtlMeridian, 10, meridian(100)},
          {gtlMeridian, 11, meridian(900)}};
}

TEST(GeoMapCalib, ParabolicInterpolatesAndExtrapolates) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  SetLines(map, Graticule());
  EXPECT_TRUE(map.RecalcGratMat());
  map.SetCalibModel(cmParabolicIp);
  ASSERT_EQ(map.GratMat().NrOfRows(), 4);
  EXPECT_EQ(map.GratMat().GetVal(1, 1), 1);
  EXPECT_EQ(map.GratMat().GetVal(1, 3), 0);
  EXPECT_NEAR(map.GratMat().GetVal(5, 1), -0.0001, 1e-12);
  bool valid = false;
  EXPECT_EQ(map.CalcLatitude(500, 800, valid), 48);  // on the 48 parabola exactly
  EXPECT_TRUE(valid);
  EXPECT_EQ(map.CalcLatitude(0, 775, valid), 48);
  EXPECT_NEAR(map.CalcLatitude(500, 450, valid), 48.5, 1e-12);
  EXPECT_NEAR(map.CalcLatitude(500, -600, valid), 50, 1e-12);  // beyond 49: extrapolated
  EXPECT_NEAR(map.CalcLongitude(500, 400, valid), 10.5, 1e-12);
  EXPECT_NEAR(map.CalcLongitude(1300, 400, valid), 11.5, 1e-12);
  int x = 0, y = 0;
  ASSERT_TRUE(map.CalcPixelCoords(48.5, 10.5, x, y));
  EXPECT_LE(std::abs(x - 500), 1);
  EXPECT_LE(std::abs(y - 450), 1);
  ASSERT_TRUE(map.CalcPixelCoords(48, 10, x, y));
  EXPECT_LE(std::abs(x - 115), 1);  // the corner where the 48 parallel meets the 10 meridian
  EXPECT_NEAR(y, 800 - 0.0001 * (x - 500) * (x - 500), 1);
  // A pixel and back.
  const double lat = map.CalcLatitude(700, 300, valid), lon = map.CalcLongitude(700, 300, valid);
  ASSERT_TRUE(map.CalcPixelCoords(lat, lon, x, y));
  EXPECT_LE(std::abs(x - 700), 1);
  EXPECT_LE(std::abs(y - 300), 1);
  double qx = 1, qy = 1;
  map.CalibQuality(qx, qy);  // no pairs under this model
  EXPECT_EQ(qx, 0);
  EXPECT_EQ(qy, 0);
}

TEST(GeoMapCalib, ParabolicEdgeCases) {
  TProbeMap map;
  map.SetCalibModel(cmParabolicIp);
  bool valid = true;
  EXPECT_EQ(map.CalcLatitude(1, 1, valid), 0);  // no lines
  EXPECT_FALSE(valid);
  // Two parallels and one meridian: RecalcGratMat false, a 5 x 1 zero matrix.
  std::vector<TLineSpec> lines = Graticule();
  lines.pop_back();
  SetLines(map, lines);
  EXPECT_FALSE(map.RecalcGratMat());
  EXPECT_EQ(map.GratMat().NrOfRows(), 1);
  for (int c = 1; c <= 5; ++c) EXPECT_EQ(map.GratMat().GetVal(c, 1), 0);
  // Three rows: CalcPixelCoords false, X and Y untouched.
  map.RecalcCalibration();
  int x = 3, y = 4;
  EXPECT_FALSE(map.CalcPixelCoords(48, 10, x, y));
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 4);
  // A line of two points is kept in the matrix but does not count, nor serves the conversions.
  lines = Graticule();
  lines.push_back({gtlParallel, 47, {{0, 900}, {1000, 900}}});
  SetLines(map, lines);
  EXPECT_TRUE(map.RecalcGratMat());
  EXPECT_EQ(map.GratMat().NrOfRows(), 5);
  EXPECT_EQ(map.GratMat().GetVal(2, 5), 47);
  EXPECT_NEAR(map.CalcLatitude(500, 900, valid), 49 - 800.0 / 700, 1e-12);  // from 48 and 49 only
  // More than 3 rows but only one meridian of use: no pixel.
  lines = Graticule();
  lines[3].points.resize(2);
  lines.push_back({gtlParallel, 47, {{0, 900}, {500, 900}, {1000, 900}}});
  SetLines(map, lines);
  EXPECT_FALSE(map.RecalcGratMat());
  map.RecalcCalibration();
  EXPECT_FALSE(map.CalcPixelCoords(48, 10, x, y));
  // Two lines of the same value: the nearest line's value, no division by zero.
  lines = Graticule();
  lines[1].value = 48;
  SetLines(map, lines);
  map.RecalcCalibration();
  EXPECT_EQ(map.CalcLatitude(500, 450, valid), 48);
  EXPECT_TRUE(valid);
  EXPECT_TRUE(map.CalcPixelCoords(48, 10.5, x, y));
}

// --- quality, corners, resolution, clearing --------------------------------------------------------

TEST(GeoMapCalib, CornersAndResolution) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 800).get());
  SetQuads(map, {{50, 10, 0, 0}, {50, 11, 1000, 0}, {49, 10, 0, 1000}});
  map.SetCalibModel(cmEquiRect);
  const TCalibData& c = map.CalibData();
  EXPECT_NEAR(c.Corners[gcoTopLeft].Latit, 50, 1e-12);
  EXPECT_NEAR(c.Corners[gcoTopLeft].Longit, 10, 1e-12);
  EXPECT_NEAR(c.Corners[gcoBottomLeft].Latit, 49.2, 1e-12);
  EXPECT_NEAR(c.Corners[gcoBottomRight].Longit, 11, 1e-12);
  EXPECT_NEAR(c.Corners[gcoTopRight].Latit, 50, 1e-12);
  EXPECT_NEAR(c.Resolution, SphereGreatCircleDist(6378000, 49.6, 10, 49.6, 11) / 1000, 1e-9);
  // A map of 0 pixels width has resolution 0.
  map.Clear();
  map.SetCalibModel(cmEquiRect);
  EXPECT_EQ(map.CalibData().Resolution, 0);
  // A map wider than half the globe adds half the circumference.
  map.SetMapBitMap(Quadrants(1000, 10).get());
  SetQuads(map, {{0, -100, 0, 0}, {0, 100, 1000, 0}, {-1, -100, 0, 10}});
  map.SetCalibModel(cmEquiRect);
  EXPECT_NEAR(map.CalibData().Resolution,
              (SphereGreatCircleDist(6378000, -0.5, -100, -0.5, 100) + 20037077.944595701276) / 1000, 1e-6);
}

TEST(GeoMapCalib, QualityMeasuresTheScatterOfThePoints) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  // Four points of an affine map, one of them 10 pixels off in x.
  SetQuads(map, {{50, 10, 0, 0}, {50, 11, 1000, 0}, {49, 10, 0, 1000}, {49, 11, 1010, 1000}});
  map.SetCalibModel(cmEquiRect);
  double qx = 0, qy = 0;
  map.CalibQuality(qx, qy);
  EXPECT_GT(qx, 2);
  EXPECT_LT(qx, 10);
  EXPECT_LT(qy, 1e-6);
  map.SetCalibModel(cmUndefined);
  map.CalibQuality(qx, qy);
  EXPECT_EQ(qx, 0);
  EXPECT_EQ(qy, 0);
}

TEST(GeoMapCalib, ClearingEmptiesTheCalibration) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  SetLines(map, Graticule());
  SetQuads(map, {{50, 10, 0, 0}, {50, 11, 1000, 0}, {49, 10, 0, 1000}});
  map.SetUTMZone(33);
  map.SetUTMHemisphere(hemiSouth);
  map.SetMapCaption(u"Somewhere");
  map.SetCalibModel(cmEquiRect);
  map.paints = 0;
  map.ClearCalibData();
  EXPECT_EQ(map.paints, 1);
  const TCalibData& c = map.CalibData();
  EXPECT_EQ(c.NumCalLines, 0);
  EXPECT_EQ(c.CalLines[0].NumPoints, 0);
  EXPECT_EQ(c.NumCalQuads, 0);
  EXPECT_EQ(c.CalQuads[1].MapX, 0);
  EXPECT_EQ(c.Corners[gcoTopLeft].Latit, 0);
  EXPECT_EQ(c.Resolution, 0);
  EXPECT_EQ(c.UTMZone, -1);
  EXPECT_FALSE(c.UTMSouth);
  EXPECT_EQ(c.Ellipsoid, gelWGS84);
  EXPECT_EQ(map.CalibModel(), cmEquiRect);
  EXPECT_EQ(StringToUtf8(c.Caption), "Somewhere");
  for (const double p : map.EquRectSPPL()) EXPECT_EQ(p, 0);
  EXPECT_EQ(map.GratMat().NrOfRows(), 1);
  map.Clear();
  EXPECT_EQ(map.CalibModel(), cmUndefined);
  EXPECT_TRUE(map.CalibData().Caption.empty());
  EXPECT_TRUE(map.MapImgFile().empty());
  EXPECT_EQ(map.MapImgWidth(), 0);
  int x = 1, y = 2;
  EXPECT_FALSE(map.CalcPixelCoords(49, 10, x, y));  // cmUndefined
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
  bool valid = true;
  EXPECT_EQ(map.CalcLatitude(1, 1, valid), 0);
  EXPECT_FALSE(valid);
}

TEST(GeoMapCalib, ResultsWithoutValueAreNoResult) {
  TProbeMap map;
  SetQuads(map, {{50, 10, 0, 0}, {50, 11, 1000, 0}, {49, 10, 0, 1000}});
  map.SetCalibModel(cmEquiRect);
  int x = 9, y = 9;
  EXPECT_FALSE(map.CalcPixelCoords(NaN, 10, x, y));
  EXPECT_EQ(x, 9);
  map.SetCalibModel(cmMillerCylindrical);
  map.MillerPars() = {1000, 0, 1000, 0};
  EXPECT_FALSE(map.CalcPixelCoords(225, 0, x, y));  // ln tan(pi/2 + pi/4) has no value
  EXPECT_EQ(x, 9);
  // Rounding saturates: huge pixels stay at the ends of the range.
  EXPECT_EQ(map_detail::RoundToInt(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(map_detail::RoundToInt(-1e300), std::numeric_limits<int>::min());
  EXPECT_EQ(map_detail::RoundToInt(NaN), 0);
  EXPECT_EQ(map_detail::RoundToInt(2.5), 2);
  EXPECT_EQ(map_detail::RoundToInt(3.5), 4);
  EXPECT_EQ(map_detail::RoundToInt(-2.5), -2);
}

}  // namespace
