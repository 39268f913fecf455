// Qelta_geobasics: UTM zones and bands, transverse Mercator, UTM and UPS.
// Differential checks against GeographicLib are in GeoReferenceTest.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "Assertions.h"
#include "Qelta_geobasics.h"

using namespace qelta;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double DegToRad = std::numbers::pi / 180;

// Metres on the ground of a latitude and longitude difference in degrees (a sphere is enough).
double GroundMetres(double lat, double dLat, double dLon) {
  return 111320 * std::hypot(dLat, dLon * std::cos(lat * DegToRad));
}

}  // namespace

// --- zones and bands ------------------------------------------------------------------------------

TEST(GeoUTMZone, ZonesAndBands) {
  struct Case {
    double lat, lon;
    int zone;
    char16_t band;
  };
  const Case cases[] = {
      {48, 11, 32, u'U'},
      {60, 5, 32, u'V'},
      {78, 20, 33, u'X'},
      {84, 0, 31, u'X'},
      {-80, -180, 1, u'C'},
      {84.5, 0, 0, u' '},
      {0, 180, 0, u' '},
      {-80.001, 0, 0, u' '},
      {0, -180.001, 0, u' '},
      {-72, 0, 31, u'D'},
      {-72.001, 0, 31, u'C'},
      {-8, 0, 31, u'M'},
      {-0.001, 0, 31, u'M'},
      {0, 0, 31, u'N'},
      {8, 0, 31, u'P'},
      {7.999, 0, 31, u'N'},
      {71.999, 0, 31, u'W'},
      {72, 0, 31, u'X'},
      {0.5, 179.5, 60, u'N'},
      // Norway: band V from 3 to 12 E is zone 32.
      {56, 3, 32, u'V'},
      {56, 2.999, 31, u'V'},
      {63.999, 11.999, 32, u'V'},
      {64, 5, 31, u'W'},
      {55.999, 5, 31, u'U'},
      {60, 12, 33, u'V'},
      // Svalbard: band X from 0 to 42 E is zones 31, 33, 35, 37.
      {72, 8.999, 31, u'X'},
      {72, 9, 33, u'X'},
      {72, 20.999, 33, u'X'},
      {72, 21, 35, u'X'},
      {72, 32.999, 35, u'X'},
      {72, 33, 37, u'X'},
      {72, 41.999, 37, u'X'},
      {72, 42, 38, u'X'},
      {72, -0.001, 30, u'X'},
      {72, 0, 31, u'X'},
      {71.999, 9, 32, u'W'},
  };
  for (const Case& c : cases) {
    int zone = -1;
    Char band = u'?';
    GeoToUTMZone(c.lat, c.lon, zone, band);
    EXPECT_EQ(zone, c.zone) << c.lat << " " << c.lon;
    EXPECT_EQ(band, c.band) << c.lat << " " << c.lon;
  }
}

TEST(GeoUTMZone, TextForm) {
  EXPECT_EQ(GeoToUTMZone(48, 11), u"32U");
  EXPECT_EQ(GeoToUTMZone(-80, -180), u"1C");
  EXPECT_EQ(GeoToUTMZone(78, 20), u"33X");
  EXPECT_EQ(GeoToUTMZone(84.5, 0), u"");
  EXPECT_EQ(GeoToUTMZone(0, 180), u"");
}

TEST(GeoUTMZone, NaNGivesZoneZeroAndABlank) {
  // Regression: NaN passed the range tests and reached the float-to-integer zone arithmetic.
  for (const auto& [lat, lon] : {std::pair{NaN, 10.0}, std::pair{10.0, NaN}, std::pair{NaN, NaN}}) {
    int zone = -1;
    Char band = u'?';
    GeoToUTMZone(lat, lon, zone, band);
    EXPECT_EQ(zone, 0);
    EXPECT_EQ(band, u' ');
    EXPECT_EQ(GeoToUTMZone(lat, lon), u"");
    double e = 0, n = 0;
    zone = -1;
    LatLongToUTM(lat, lon, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, 0);
    EXPECT_TRUE(std::isnan(e) && std::isnan(n));
  }
}

TEST(GeoUTMZone, LongitudeJustBelow180StaysInZone60) {
  // Regression: 179.99999999999997 + 180 rounds to 360, which gave zone 61, and LatLongToUTM then
  // projected the point about meridian 0 (zone 61 has no central meridian).
  const double lon = std::nextafter(180.0, 0.0);
  int zone = 0;
  Char band = u' ';
  GeoToUTMZone(10, lon, zone, band);
  EXPECT_EQ(zone, 60);
  double e = 0, n = 0, lat = 0, lon1 = 0;
  LatLongToUTM(10, lon, gelWGS84, zone, e, n);
  EXPECT_EQ(zone, 60);
  EXPECT_NEAR(e, 500000 + 329000, 1000);  // 3 degrees east of meridian 177 at 10 N
  UTMToLatLong(e, n, zone, false, gelWGS84, lat, lon1);
  EXPECT_LT(GroundMetres(10, lat - 10, lon1 - lon), 1e-4);
}

TEST(GeoUTMZone, CentralMeridians) {
  EXPECT_NEAR(UTMCentralMeridian(32), 9 * DegToRad, 1e-16);
  EXPECT_NEAR(UTMCentralMeridian(1), -177 * DegToRad, 1e-15);
  EXPECT_NEAR(UTMCentralMeridian(60), 177 * DegToRad, 1e-15);
  EXPECT_NEAR(UTMCentralMeridian(31), 3 * DegToRad, 1e-16);
  for (int zone : {0, 61, -1, 1000}) EXPECT_EQ(UTMCentralMeridian(zone), 0) << zone;
}

// --- transverse Mercator -------------------------------------------------------------------------

TEST(GeoTM, MeridianArc) {
  // On a sphere the arc is R phi; the series is odd in phi and grows with it.
  const double r = GeoEllipsoidData[gelSphere].a;
  EXPECT_NEAR(ArcLengthOfMeridian(std::numbers::pi / 2, gelSphere), r * std::numbers::pi / 2, 1e-8);
  EXPECT_EQ(ArcLengthOfMeridian(0, gelWGS84), 0);
  EXPECT_EQ(ArcLengthOfMeridian(-0.7, gelWGS84), -ArcLengthOfMeridian(0.7, gelWGS84));
  // Quarter meridian of WGS 84: 10001965.729 m.
  EXPECT_NEAR(ArcLengthOfMeridian(std::numbers::pi / 2, gelWGS84), 10001965.729, 1e-3);
}

TEST(GeoTM, CentralMeridianMapsToTheArc) {
  double x = 1, y = 0;
  LatLongToTM(0.8, 0.3, 0.3, gelBess41, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, ArcLengthOfMeridian(0.8, gelBess41));
  double lat = 0, lon = 0;
  TMToLatLong(0, y, 0.3, gelBess41, lat, lon);
  EXPECT_NEAR(lat, 0.8, 1e-12);  // the footpoint series, to a micrometre
  EXPECT_EQ(lon, 0.3);
}

TEST(GeoTM, RoundTripWithinSixDegrees) {
  for (TGeoEllipsoid ell : {gelWGS84, gelClrk66, gelAiry30, gelSphere, gelKrass40}) {
    double worst = 0;
    for (double lat = -84; lat <= 84; lat += 4) {
      for (double dl = -6; dl <= 6; dl += 0.75) {
        double x = 0, y = 0, phi = 0, lambda = 0;
        LatLongToTM(lat * DegToRad, (20 + dl) * DegToRad, 20 * DegToRad, ell, x, y);
        TMToLatLong(x, y, 20 * DegToRad, ell, phi, lambda);
        const double metres = GroundMetres(lat, phi / DegToRad - lat, lambda / DegToRad - 20 - dl);
        worst = std::max(worst, metres);
      }
    }
    EXPECT_LT(worst, 1e-3) << int(ell);
  }
}

// --- UTM -----------------------------------------------------------------------------------------

TEST(GeoUTM, EquatorAndJustSouthOfIt) {
  int zone = 0;
  double e = 0, n = 1;
  LatLongToUTM(0, 9, gelWGS84, zone, e, n);
  EXPECT_EQ(zone, 32);
  EXPECT_EQ(e, 500000);
  EXPECT_EQ(n, 0);
  LatLongToUTM(-1e-7, 9, gelWGS84, zone, e, n);
  EXPECT_EQ(zone, 32);
  EXPECT_LT(n, 1e7);
  EXPECT_GT(n, 1e7 - 0.02);
  double lat = 0, lon = 0;
  UTMToLatLong(e, n, zone, true, gelWGS84, lat, lon);
  EXPECT_NEAR(lat, -1e-7, 1e-12);
  EXPECT_NEAR(lon, 9, 1e-12);
}

TEST(GeoUTM, OutsideTheGridIsProjectedAboutMeridianZero) {
  int zone = -1;
  double e = 0, n = 0, x = 0, y = 0;
  LatLongToUTM(85, 2, gelWGS84, zone, e, n);
  EXPECT_EQ(zone, 0);
  LatLongToTM(85 * DegToRad, 2 * DegToRad, 0, gelWGS84, x, y);
  EXPECT_NEAR(e, x * 0.9996 + 500000, 1e-6);
  EXPECT_NEAR(n, y * 0.9996, 1e-6);
}

TEST(GeoUTM, RoundTripAcrossTheGrid) {
  // Every zone and band, the exception zones included (up to 6 degrees from their meridian).
  for (TGeoEllipsoid ell : {gelWGS84, gelInt24, gelClrk80, gelAuthSph}) {
    double worst = 0;
    for (double lat = -80; lat <= 84; lat += 1.75) {
      for (double lon = -180; lon < 180; lon += 0.85) {
        int zone = 0;
        double e = 0, n = 0, lat1 = 0, lon1 = 0;
        LatLongToUTM(lat, lon, ell, zone, e, n);
        ASSERT_GE(zone, 1);
        UTMToLatLong(e, n, zone, lat < 0, ell, lat1, lon1);
        worst = std::max(worst, GroundMetres(lat, lat1 - lat, lon1 - lon));
      }
    }
    EXPECT_LT(worst, 1e-3) << int(ell);
  }
}

// --- UPS -----------------------------------------------------------------------------------------

TEST(GeoUPS, PolesAndTheirLongitudes) {
  for (double pole : {90.0, -90.0}) {
    for (double lon : {0.0, 45.0, -180.0, 180.0}) {
      double x = 0, y = 0;
      LatLongToUPS(pole, lon, gelWGS84, x, y);
      EXPECT_EQ(x, 2000000) << pole << " " << lon;
      EXPECT_EQ(y, 2000000) << pole << " " << lon;
    }
    double lat = 0, lon = NaN;
    UPSToLatLong(2000000, 2000000, pole < 0, gelWGS84, lat, lon);
    EXPECT_EQ(lat, pole);
    EXPECT_EQ(lon, 0);
  }
}

TEST(GeoUPS, ExactZerosOnTheGridAxes) {
  struct Case {
    double lat, lon;
    bool xOnAxis, yOnAxis;
  };
  const Case cases[] = {{85, 180, true, false}, {85, -180, true, false}, {-85, 180, true, false}, {85, 90, false, true},
                        {85, -90, false, true}, {-85, 90, false, true},  {-85, -90, false, true}};
  for (const Case& c : cases) {
    double x = 0, y = 0;
    LatLongToUPS(c.lat, c.lon, gelWGS84, x, y);
    if (c.xOnAxis) {
      EXPECT_EQ(x, 2000000) << c.lat << " " << c.lon;
    }
    if (c.yOnAxis) {
      EXPECT_EQ(y, 2000000) << c.lat << " " << c.lon;
    }
    EXPECT_GT(std::fabs(c.xOnAxis ? y - 2000000 : x - 2000000), 500000) << c.lat << " " << c.lon;
  }
  // North of the pole the grid's y axis points to longitude 180, south of it to longitude 0.
  double x = 0, y = 0;
  LatLongToUPS(85, 0, gelWGS84, x, y);
  EXPECT_LT(y, 2000000);
  LatLongToUPS(-85, 0, gelWGS84, x, y);
  EXPECT_GT(y, 2000000);
}

TEST(GeoUPS, RoundTrips) {
  for (TGeoEllipsoid ell : {gelWGS84, gelBess41, gelSphere}) {
    double worst = 0;
    for (double lat : {80.0, 83.5, 84.0, 87.25, 89.999, -80.0, -84.0, -88.5, -89.999}) {
      for (double lon = -180; lon < 180; lon += 15) {
        double x = 0, y = 0, lat1 = 0, lon1 = 0;
        LatLongToUPS(lat, lon, ell, x, y);
        UPSToLatLong(x, y, lat < 0, ell, lat1, lon1);
        double dLon = std::remainder(lon1 - lon, 360.0);
        worst = std::max(worst, GroundMetres(lat, lat1 - lat, dLon));
      }
    }
    EXPECT_LT(worst, 1e-6) << int(ell);
  }
}
