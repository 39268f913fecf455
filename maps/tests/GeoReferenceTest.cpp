// Qelta_geobasics against independent implementations: GeographicLib (geocentric coordinates, UTM/UPS,
// exact transverse Mercator, polar stereographic, geodesics) and PROJ (a Helmert pipeline). Only this
// test executable links them. The largest differences are recorded as test properties.
#include <gtest/gtest.h>
#include <proj.h>

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/PolarStereographic.hpp>
#include <GeographicLib/TransverseMercatorExact.hpp>
#include <GeographicLib/UTMUPS.hpp>
#include <cmath>
#include <memory>
#include <numbers>

#include "ProjHelmertPipeline.h"
#include "Qelta_geobasics.h"

using namespace qelta;

namespace {

constexpr double Deg = std::numbers::pi / 180;

const TGeoEllipsoid Ellipsoids[] = {gelWGS84,  gelInt24,   gelClrk66,    gelBess41,
                                    gelAiry30, gelKrass40, gelClrk80IGN, gelEver30Ind};

double Flattening(TGeoEllipsoid e) { return 1 - GeoEllipsoidData[e].b / GeoEllipsoidData[e].a; }

// Metres on the ground of a latitude and longitude difference in degrees.
double GroundMetres(double lat, double dLat, double dLon) {
  dLon = std::remainder(dLon, 360.0);
  return 111320 * std::hypot(dLat, dLon * std::cos(lat * Deg));
}

// Largest value seen, recorded as a property of the running test.
class TWorst {
 public:
  explicit TWorst(const char* name) : name_(name) {}
  ~TWorst() { ::testing::Test::RecordProperty(name_, std::to_string(value_)); }
  void Add(double v) { value_ = std::max(value_, v); }
  double operator()() const { return value_; }

 private:
  const char* name_;
  double value_ = 0;
};

}  // namespace

TEST(GeoReference, GeocentricBothWaysOnSeveralEllipsoids) {
  TWorst forward("forward_m"), reverse("reverse_m");
  for (TGeoEllipsoid ell : Ellipsoids) {
    const GeographicLib::Geocentric ref(GeoEllipsoidData[ell].a, Flattening(ell));
    for (double lat = -90; lat <= 90; lat += 3.75) {
      for (double lon = -180; lon <= 180; lon += 11.25) {
        for (double h : {-3000.0, 0.0, 850.0, 9000.0, 40000.0}) {
          double x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
          GeoToCartesian(lat, lon, h, ell, x, y, z);
          ref.Forward(lat, lon, h, rx, ry, rz);
          forward.Add(std::hypot(x - rx, y - ry, z - rz));
          double lat1 = 0, lon1 = 0, h1 = 0, rlat = 0, rlon = 0, rh = 0;
          CartesianToGeo(rx, ry, rz, ell, lat1, lon1, h1);
          ref.Reverse(rx, ry, rz, rlat, rlon, rh);
          reverse.Add(GroundMetres(rlat, lat1 - rlat, std::fabs(rlat) == 90 ? 0 : lon1 - rlon));
          reverse.Add(std::fabs(h1 - rh));
        }
      }
    }
  }
  EXPECT_LT(forward(), 1e-7);
  EXPECT_LT(reverse(), 1e-5);  // Bowring's closed form: micrometres
}

TEST(GeoReference, UTMForwardAndInverseUnderAMillimetreAcrossTheZoneGrid) {
  // Every zone and band at a spacing that reaches the zone edges and the Norway and Svalbard zones,
  // whose points lie up to 6 degrees from their central meridian.
  TWorst forward("forward_mm"), inverse("inverse_mm");
  for (double lat = -80; lat <= 84; lat += 0.5) {
    for (double lon = -180; lon < 180; lon += 0.5) {
      int zone = 0;
      double e = 0, n = 0;
      LatLongToUTM(lat, lon, gelWGS84, zone, e, n);
      int rzone = 0;
      bool rnorth = false;
      double re = 0, rn = 0;
      GeographicLib::UTMUPS::Forward(lat, lon, rzone, rnorth, re, rn, zone);
      ASSERT_EQ(rnorth, lat >= 0);
      forward.Add(1000 * std::hypot(e - re, n - rn));
      double lat1 = 0, lon1 = 0, rlat = 0, rlon = 0;
      UTMToLatLong(e, n, zone, !rnorth, gelWGS84, lat1, lon1);
      GeographicLib::UTMUPS::Reverse(zone, rnorth, e, n, rlat, rlon);
      inverse.Add(1000 * GroundMetres(rlat, lat1 - rlat, lon1 - rlon));
    }
  }
  // The standard zones agree with the reference rule.
  for (double lat = -79.75; lat < 84; lat += 0.5) {
    for (double lon = -179.75; lon < 180; lon += 0.5) {
      int zone = 0;
      Char band = u' ';
      GeoToUTMZone(lat, lon, zone, band);
      ASSERT_EQ(zone, GeographicLib::UTMUPS::StandardZone(lat, lon)) << lat << " " << lon;
    }
  }
  EXPECT_LT(forward(), 1.0);
  EXPECT_LT(inverse(), 1.0);
}

TEST(GeoReference, TransverseMercatorOnSeveralEllipsoids) {
  TWorst within3("within_3deg_mm"), within6("within_6deg_mm");
  for (TGeoEllipsoid ell : Ellipsoids) {
    const GeographicLib::TransverseMercatorExact ref(GeoEllipsoidData[ell].a, Flattening(ell), 1);
    for (double lat = -84; lat <= 84; lat += 2) {
      for (double dl = -6; dl <= 6; dl += 0.25) {
        const double lon0 = 33, lon = lon0 + dl;
        double x = 0, y = 0, rx = 0, ry = 0, gamma = 0, k = 0;
        LatLongToTM(lat * Deg, lon * Deg, lon0 * Deg, ell, x, y);
        ref.Forward(lon0, lat, lon, rx, ry, gamma, k);
        double phi = 0, lambda = 0, rlat = 0, rlon = 0;
        TMToLatLong(rx, ry, lon0 * Deg, ell, phi, lambda);
        ref.Reverse(lon0, rx, ry, rlat, rlon, gamma, k);
        const double mm =
            1000 * std::max(std::hypot(x - rx, y - ry), GroundMetres(rlat, phi / Deg - rlat, lambda / Deg - rlon));
        (std::fabs(dl) <= 3 ? within3 : within6).Add(mm);
      }
    }
  }
  EXPECT_LT(within3(), 0.05);
  EXPECT_LT(within6(), 1.0);
}

TEST(GeoReference, UPSForwardAndInverse) {
  TWorst worst("mm");
  for (TGeoEllipsoid ell : {gelWGS84, gelInt24, gelBess41, gelClrk66}) {
    const GeographicLib::PolarStereographic ref(GeoEllipsoidData[ell].a, Flattening(ell), 0.994);
    for (double lat : {84.0, 85.5, 87.0, 88.75, 89.9, 90.0, -80.0, -82.5, -86.0, -89.5, -90.0}) {
      for (double lon = -180; lon <= 180; lon += 7.5) {
        const bool north = lat >= 0;
        double x = 0, y = 0, rx = 0, ry = 0, gamma = 0, k = 0;
        LatLongToUPS(lat, lon, ell, x, y);
        ref.Forward(north, lat, lon, rx, ry, gamma, k);
        rx += 2000000;
        ry += 2000000;
        double lat1 = 0, lon1 = 0, rlat = 0, rlon = 0;
        UPSToLatLong(x, y, !north, ell, lat1, lon1);
        ref.Reverse(north, x - 2000000, y - 2000000, rlat, rlon, gamma, k);
        worst.Add(1000 * std::hypot(x - rx, y - ry));
        worst.Add(1000 * GroundMetres(rlat, lat1 - rlat, std::fabs(rlat) == 90 ? 0 : lon1 - rlon));
      }
    }
  }
  // WGS 84 through the UTM/UPS front end as well.
  for (double lat : {85.0, -85.0}) {
    int zone = 0;
    bool north = false;
    double rx = 0, ry = 0, x = 0, y = 0;
    GeographicLib::UTMUPS::Forward(lat, 40, zone, north, rx, ry, GeographicLib::UTMUPS::UPS);
    LatLongToUPS(lat, 40, gelWGS84, x, y);
    worst.Add(1000 * std::hypot(x - rx, y - ry));
  }
  EXPECT_LT(worst(), 1e-3);
}

TEST(GeoReference, MeridianArcIsTheGeodesicAlongTheMeridian) {
  TWorst worst("mm");
  for (TGeoEllipsoid ell : Ellipsoids) {
    const GeographicLib::Geodesic ref(GeoEllipsoidData[ell].a, Flattening(ell));
    for (double lat = 0; lat <= 90; lat += 2.5) {
      double s = 0;
      ref.Inverse(0, 10, lat, 10, s);
      worst.Add(1000 * std::fabs(ArcLengthOfMeridian(lat * Deg, ell) - s));
    }
  }
  EXPECT_LT(worst(), 1e-3);
}

namespace {

// Deleters of the PROJ objects.
struct TProjContextFree {
  void operator()(PJ_CONTEXT* c) const { proj_context_destroy(c); }
};
struct TProjFree {
  void operator()(PJ* p) const { proj_destroy(p); }
};

}  // namespace

TEST(GeoReference, HelmertMatchesAProjPipeline) {
  std::unique_ptr<PJ_CONTEXT, TProjContextFree> ctx(proj_context_create());
  TWorst worst("mm");
  const double points[][3] = {{51.5, -0.1, 45},   {-33.9, 18.4, 1200}, {35.7, 139.7, 0},
                              {64.1, -21.9, -30}, {-54.8, -68.3, 300}, {0.5, 100.2, 2500}};
  for (int source = 1; source <= GeoDatumCount; ++source) {
    for (int target : {269, 1 + (source * 97) % GeoDatumCount}) {
      std::unique_ptr<PJ, TProjFree> pj(proj_create(ctx.get(), ProjHelmertPipeline(source, target).c_str()));
      ASSERT_NE(pj, nullptr) << source << " -> " << target;
      for (const auto& pt : points) {
        double lat = 0, lon = 0, h = 0;
        ASSERT_EQ(HelmertTransform(source, pt[0], pt[1], pt[2], target, lat, lon, h), 0);
        const PJ_COORD r = proj_trans(pj.get(), PJ_FWD, proj_coord(pt[1], pt[0], pt[2], 0));
        worst.Add(1000 *
                  std::max(GroundMetres(r.lpzt.phi, lat - r.lpzt.phi, lon - r.lpzt.lam), std::fabs(h - r.lpzt.z)));
      }
    }
  }
  EXPECT_LT(worst(), 0.01);  // Bowring's closed form on the way back: micrometres
}
