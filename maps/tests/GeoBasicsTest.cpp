// Qelta_geobasics: ellipsoid parameters, geocentric coordinates and the Helmert datum shift.
// Differential checks against GeographicLib and PROJ are in GeoReferenceTest.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "Assertions.h"
#include "Qelta_geobasics.h"

using namespace qelta;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const TGeoEllipsoid Spheres[] = {gelSphere, gelAuthSph, gelInt24AuthSph, gelPopVisSphere};

}  // namespace

// --- ellipsoid parameters -------------------------------------------------------------------------

TEST(GeoEllipsoidParams, DeriveAxesFlatteningAndEccentricity) {
  EXPECT_EQ(EllipsoidMinAxFlat(6378137, 0), 6378137);
  EXPECT_NEAR(EllipsoidMinAxFlat(6378137, 298.257223563), 6356752.314245, 1e-6);
  EXPECT_NEAR(EllipsoidMinAxEcc(6378137, 0.00669437999014), 6356752.314245, 1e-4);
  EXPECT_EQ(EllipsoidMinAxEcc(6378137, 0), 6378137);
  EXPECT_EQ(EllipsoidMinAxEcc(6378137, 1), 0);
  EXPECT_EQ(RecipFlattening(6378137.0, 6378137.0), 0);
  EXPECT_NEAR(RecipFlattening(6378388.0, 6356911.94613), 297.0, 1e-6);
  EXPECT_NEAR(RecipFlattening(gelWGS84), 298.2572235, 1e-7);
  EXPECT_NEAR(RecipFlattening(gelInt24), 297.0000000, 1e-7);
  EXPECT_NEAR(RecipFlattening(0.00669437999014), 298.257223563, 1e-6);
  EXPECT_NEAR(GeoEllEccSquared(gelWGS84), 0.00669437999014, 1e-12);
  EXPECT_NEAR(GeoEllEccSquared(298.257223563), 0.00669437999014, 1e-14);
  // The larger axis is the semi-major one, whichever comes first.
  EXPECT_EQ(GeoEllEccSquared(6378137.0, 6356752.314245), GeoEllEccSquared(6356752.314245, 6378137.0));
  EXPECT_EQ(GeoEllEccSquared(6378137.0, 6356752.314245), GeoEllEccSquared(gelWGS84));
  for (TGeoEllipsoid s : Spheres) {
    EXPECT_EQ(GeoEllEccSquared(s), 0) << int(s);
    EXPECT_EQ(RecipFlattening(s), 0);
  }
}

TEST(GeoEllipsoidParams, LiteralZeroPicksTheDoubleForm) {
  // 0 is also the ordinal of gelWGS84; the literal calls must take the number, not the ellipsoid.
  EXPECT_EQ(GeoEllEccSquared(0), 0);
  EXPECT_EQ(RecipFlattening(0), 0);
  EXPECT_GT(GeoEllEccSquared(gelWGS84), 0.0066);
  EXPECT_GT(RecipFlattening(gelWGS84), 298);
}

TEST(GeoEllipsoidParams, RefusedArgumentsRaiseWithTheirMessages) {
  EXPECT_THROW_MSG(EllipsoidMinAxFlat(6378137, -1), EQeltaGeoBasicsError, "invalid reciprocal flattening");
  EXPECT_THROW_MSG(EllipsoidMinAxEcc(6378137, -0.001), EQeltaGeoBasicsError, "invalid eccentricity");
  EXPECT_THROW_MSG(RecipFlattening(1.5), EQeltaGeoBasicsError, "invalid eccentricity");
  EXPECT_THROW_MSG(RecipFlattening(-1e-12), EQeltaGeoBasicsError, "invalid eccentricity");
  // A squared eccentricity above 1 has no real minor axis: the math error is raised explicitly.
  EXPECT_THROW_MSG(EllipsoidMinAxEcc(6378137, 1.5), EMathError, "EllipsoidMinAxEcc: square root of a negative number");
}

TEST(GeoEllipsoidParams, OrdinalOutsideTheTableGivesNaNNotAStrayRead) {
  const auto bad = static_cast<TGeoEllipsoid>(200);
  EXPECT_TRUE(std::isnan(GeoEllEccSquared(bad)));
  EXPECT_TRUE(std::isnan(RecipFlattening(bad)));
  double x = 0, y = 0, z = 0;
  GeoToCartesian(10, 20, 0, bad, x, y, z);
  EXPECT_TRUE(std::isnan(x));
}

// --- geocentric coordinates ----------------------------------------------------------------------

TEST(GeoCartesian, AxesAndPoles) {
  const TGeoEllAxes& w = GeoEllipsoidData[gelWGS84];
  double x = 0, y = 0, z = 0;
  GeoToCartesian(0, 0, 0, gelWGS84, x, y, z);
  EXPECT_EQ(x, w.a);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(z, 0);
  GeoToCartesian(0, 90, 100, gelWGS84, x, y, z);
  EXPECT_NEAR(x, 0, 1e-9);
  EXPECT_EQ(y, w.a + 100);
  GeoToCartesian(90, 0, 0, gelWGS84, x, y, z);
  EXPECT_NEAR(x, 0, 1e-9);
  EXPECT_NEAR(z, w.b, 1e-8);
  GeoToCartesian(-90, 0, 10, gelWGS84, x, y, z);
  EXPECT_NEAR(z, -w.b - 10, 1e-8);
}

TEST(GeoCartesian, LongitudeComesBackInItsQuadrant) {
  struct Case {
    double lat, lon;
  };
  const Case cases[] = {{10, 120}, {10, -120}, {-10, 120}, {-10, -120}, {45, 179.5}, {45, -179.5},
                        {-60, 90}, {-60, -90}, {0, 180},   {30, 0},     {30, -45},   {89.9, 135}};
  for (const Case& c : cases) {
    double x = 0, y = 0, z = 0, lat = 0, lon = 0, h = 0;
    GeoToCartesian(c.lat, c.lon, 0, gelWGS84, x, y, z);
    CartesianToGeo(x, y, z, gelWGS84, lat, lon, h);
    // Bowring's closed form is good to about 1e-11 degrees (a micrometre) in latitude.
    EXPECT_NEAR(lat, c.lat, 2e-11) << c.lat << " " << c.lon;
    EXPECT_NEAR(lon, c.lon, 1e-12) << c.lat << " " << c.lon;
    EXPECT_NEAR(h, 0, 1e-8);
  }
}

TEST(GeoCartesian, RoundTripsOnEveryEllipsoid) {
  const double heights[] = {-5000, 0, 1234.5, 100000};
  for (int e = 0; e < GeoEllipsoidCount; ++e) {
    const auto ell = static_cast<TGeoEllipsoid>(e);
    double worst = 0;
    for (double lat = -89.5; lat <= 90; lat += 7.25) {
      for (double lon = -179; lon < 180; lon += 23.5) {
        for (double h0 : heights) {
          double x = 0, y = 0, z = 0, lat1 = 0, lon1 = 0, h1 = 0;
          GeoToCartesian(lat, lon, h0, ell, x, y, z);
          CartesianToGeo(x, y, z, ell, lat1, lon1, h1);
          worst = std::max({worst, std::fabs(lat1 - lat) * 111e3, std::fabs(lon1 - lon) * 111e3, std::fabs(h1 - h0)});
        }
      }
    }
    EXPECT_LT(worst, 1e-5) << "metres off on " << StringToUtf8(String(GeoEllipsoidId[e]));
  }
}

TEST(GeoCartesian, SpheresWorkWithoutEccentricity) {
  for (TGeoEllipsoid s : Spheres) {
    const double r = GeoEllipsoidData[s].a;
    double lat = 0, lon = 0, h = 0;
    CartesianToGeo(r / 2, r / 2, r * std::sqrt(0.5), s, lat, lon, h);
    EXPECT_NEAR(lat, 45, 1e-12);
    EXPECT_NEAR(lon, 45, 1e-12);
    EXPECT_NEAR(h, 0, 1e-8);
  }
}

TEST(GeoCartesian, PolarAxisGivesThePoleByTheSignOfZ) {
  const double b = GeoEllipsoidData[gelWGS84].b;
  struct Case {
    double x, y, z, lat, h;
  };
  const Case cases[] = {{0, 0, b + 10, 90, 10},
                        {0, 0, -b - 10, -90, 10},
                        {0, 0, 0, 90, -b},
                        {-0.0, -0.0, b, 90, 0},
                        {0, 0, -1, -90, 1 - b}};
  for (const Case& c : cases) {
    double lat = NaN, lon = NaN, h = NaN;
    CartesianToGeo(c.x, c.y, c.z, gelWGS84, lat, lon, h);
    EXPECT_EQ(lat, c.lat) << c.z;
    EXPECT_EQ(lon, 0) << c.z;
    EXPECT_NEAR(h, c.h, 1e-9) << c.z;
  }
}

// --- Helmert datum shift --------------------------------------------------------------------------

namespace {

constexpr int WGS84Datum = 269, OSGB36Datum = 183, AccraDatum = 1, DHDNDatum = 217;

struct TShift {
  int status;
  double lat, lon, h;
};

TShift Shift(int source, double lat, double lon, double h, int target) {
  TShift r{99, NaN, NaN, NaN};
  r.status = HelmertTransform(source, lat, lon, h, target, r.lat, r.lon, r.h);
  return r;
}

}  // namespace

TEST(GeoHelmert, SameDatumGivesThePointBack) {
  for (int datum : {WGS84Datum, OSGB36Datum, DHDNDatum, 13}) {
    const TShift r = Shift(datum, 52.5, 13.4, 80, datum);
    EXPECT_EQ(r.status, 0);
    // Not exact for rows with rotations and scale: the target side is the first-order inverse,
    // which leaves up to a few centimetres; through WGS 84 itself only Bowring's micrometre.
    const bool exact = datum == WGS84Datum;
    EXPECT_NEAR(r.lat, 52.5, exact ? 2e-11 : 1e-6) << datum;
    EXPECT_NEAR(r.lon, 13.4, exact ? 1e-13 : 1e-6) << datum;
    EXPECT_NEAR(r.h, 80, exact ? 1e-8 : 0.05) << datum;
  }
}

TEST(GeoHelmert, ShiftsByTheTableRows) {
  // A translation-only row: the cartesian shift is exactly the row's translation.
  double x = 0, y = 0, z = 0, xs = 0, ys = 0, zs = 0;
  GeoToCartesian(5.6, -0.2, 50, gelWarOffice, x, y, z);
  const TShift r = Shift(AccraDatum, 5.6, -0.2, 50, WGS84Datum);
  EXPECT_EQ(r.status, 0);
  GeoToCartesian(r.lat, r.lon, r.h, gelWGS84, xs, ys, zs);
  EXPECT_NEAR(xs - x, -199.0, 1e-6);
  EXPECT_NEAR(ys - y, 32.0, 1e-6);
  EXPECT_NEAR(zs - z, 322.0, 1e-6);
  // Going to a datum applies that row negated: WGS 84 -> Accra moves the other way.
  const TShift back = Shift(WGS84Datum, r.lat, r.lon, r.h, AccraDatum);
  EXPECT_NEAR(back.lat, 5.6, 1e-9);
  EXPECT_NEAR(back.lon, -0.2, 1e-9);
  EXPECT_NEAR(back.h, 50, 1e-6);
}

TEST(GeoHelmert, StatusCodes) {
  struct Case {
    int source;
    double lat, lon;
    int target, status;
    bool shifted;
  };
  const Case cases[] = {
      {OSGB36Datum, 51, 0, WGS84Datum, 0, true},
      {OSGB36Datum, 95, 0, WGS84Datum, -3, true},
      {OSGB36Datum, -90.5, 0, WGS84Datum, -3, true},
      {OSGB36Datum, 51, 200, WGS84Datum, -4, true},
      {OSGB36Datum, 95, 200, WGS84Datum, -4, true},
      {0, 51, 0, WGS84Datum, -1, false},
      {OSGB36Datum, 51, 0, 272, -2, false},
      {0, 51, 0, 272, -2, false},
      {272, 51, 0, -5, -2, false},
      {OSGB36Datum, 90, 180, WGS84Datum, 0, true},
  };
  for (const Case& c : cases) {
    const TShift r = Shift(c.source, c.lat, c.lon, 10, c.target);
    EXPECT_EQ(r.status, c.status) << c.source << " " << c.lat << " " << c.lon << " " << c.target;
    EXPECT_EQ(r.lat != c.lat || r.h != 10, c.shifted) << c.source << " " << c.lat << " " << c.target;
  }
}

TEST(GeoHelmert, InvalidDatumWithAnInvalidPointReadsNoRowAndHandsThePointBack) {
  // Regression: with an invalid datum the latitude or longitude status replaced -1/-2 and the
  // shift went on with a row that does not exist. The status stays as ranked, but no shift runs.
  TShift r = Shift(0, 95, 10, 5, WGS84Datum);
  EXPECT_EQ(r.status, -3);
  EXPECT_EQ(r.lat, 95);
  EXPECT_EQ(r.lon, 10);
  EXPECT_EQ(r.h, 5);
  r = Shift(WGS84Datum, 45, 190, 5, 300);
  EXPECT_EQ(r.status, -4);
  EXPECT_EQ(r.lat, 45);
  EXPECT_EQ(r.lon, 190);
  r = Shift(-7, 45, 10, 5, 1000);
  EXPECT_EQ(r.status, -2);
  EXPECT_EQ(r.h, 5);
}

TEST(GeoHelmert, NaNCoordinatesAreOutOfRange) {
  // Regression: NaN passed both range tests (comparisons with NaN are false) and answered 0.
  EXPECT_EQ(Shift(OSGB36Datum, NaN, 0, 0, WGS84Datum).status, -3);
  EXPECT_EQ(Shift(OSGB36Datum, 51, NaN, 0, WGS84Datum).status, -4);
  const TShift r = Shift(OSGB36Datum, NaN, NaN, 0, WGS84Datum);
  EXPECT_EQ(r.status, -4);
  EXPECT_TRUE(std::isnan(r.lat));
}
