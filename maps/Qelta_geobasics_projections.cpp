#include <algorithm>
#include <cmath>

#include "Qelta_geobasics.h"
#include "Qelta_geobasics_internal.h"
#include "Qelta_univconst.h"
#include "SysUtils.h"

// UTM zones, transverse Mercator, UTM and UPS of Qelta_geobasics. The constants of each ellipsoid
// and the Clenshaw sum of the meridian series are derived in Qelta_geobasics.cpp.
//
// Transverse Mercator, forward (the classic series to the eighth order in l = lambda - lambda0):
// with t = tan phi, c = cos phi, eta^2 = e'^2 c^2, N = (a^2/b) / sqrt(1 + eta^2) and u = c^2 l^2,
//   x = N c l (1 + u (1 - t^2 + eta^2)/6 + u^2 (5 - 18t^2 + t^4 + 14eta^2 - 58t^2 eta^2)/120
//              + u^3 (61 - 479t^2 + 179t^4 - t^6)/5040),
//   y = arc(phi) + N sin phi cos phi l^2/2 (1 + u (5 - t^2 + 9eta^2 + 4eta^4)/12
//              + u^2 (61 - 58t^2 + t^4 + 270eta^2 - 330t^2 eta^2)/360 + u^3 (1385 - 3111t^2 + 543t^4 - t^6)/20160),
// which is the term-by-term series N c l + (N/6) c^3 (...) l^3 + ... regrouped in powers of u
// (t c^2 = sin phi cos phi keeps the y terms finite at the poles).
// Inverse: phi_f is the footpoint latitude of y; with t, eta^2, N, c at phi_f, v = x/N and w = v^2,
//   phi = phi_f + (t/2) w ((-1 - eta^2) + w (5 + 3t^2 + 6eta^2 - 6t^2 eta^2 - 3eta^4 - 9t^2 eta^4)/12
//              + w^2 (-61 - 90t^2 - 45t^4 - 107eta^2 + 162t^2 eta^2)/360 + w^3 (1385 + 3633t^2 + 4095t^4 +
//              1575t^6)/20160),
//   lambda = lambda0 + (v/c) (1 + w (-1 - 2t^2 - eta^2)/6 + w^2 (5 + 28t^2 + 24t^4 + 6eta^2 + 8t^2 eta^2)/120
//              + w^3 (-61 - 662t^2 - 1320t^4 - 720t^6)/5040),
// again the published series with the powers of x/N factored out. Both directions use one sine/
// cosine pair per latitude (the inverse one for y' and one for phi_f) and share the powers of t
// and eta^2; the results equal the term-by-term evaluation to rounding.
//
// UTM: scale 0.9996, false easting 500 km, false northing 10,000 km south of the equator (decided
// by the sign of the northing). The zone of a point follows GeoToUTMZone: band = floor(lat + 80)
// div 8, +1 from band 6 (skipping I), +1 from band 12 of the increased value (skipping O), at most
// 21 (X, 72..84); zone = floor((lon + 180)/6) + 1, at most 60 (a longitude just below 180 rounds
// lon + 180 up to 360); V and [3, 12) E is zone 32 (Norway); X and [0, 42) E is zone
// floor((lon + 3)/12) 2 + 31 (Svalbard). NaN fails the range tests, so it never reaches the
// conversions to integers.
//
// UPS: k0 = 0.994, false origin 2000 km; g is the colatitude from the pole of the hemisphere,
// rho = upsRho tan(g/2) exp(e artanh(e cos g)). The inverse starts at g = 2 arctan(q/2) and takes
// six Newton steps on F(g) = 2 tan(g/2) exp(e artanh(e cos g)) - q, with
// F'(g) = (1 - e^2) exp(e artanh(e cos g)) / (cos^2(g/2) (1 - e^2 cos^2 g)), stopping early only on
// a step below 0.1 sqrt(uc_MinDouble), in practice a step of exactly 0.

namespace qelta {

namespace {

using map_detail::EllipsoidConsts;
using map_detail::GeoDegToRad;
using map_detail::GeoRadToDeg;
using map_detail::MeridianSinSeries;
using map_detail::TEllipsoidConsts;

using map_detail::UTMFalseEasting;
using map_detail::UTMFalseNorthing;
using map_detail::UTMScale;
constexpr double UPSFalseOrigin = 2000000;
// 0.1 x sqrt(uc_MinDouble): the smallest Newton step still taken.
const double UPSStepLimit = static_cast<double>(0.1L * std::sqrt(uc_MinDouble));

double ArcLength(const TEllipsoidConsts& c, double phi, double sinPhi, double cosPhi) {
  return c.alpha * (phi + MeridianSinSeries(c.arc, sinPhi, cosPhi));
}

void ForwardTM(const TEllipsoidConsts& c, double phi, double l, double& x, double& y) {
  const double s = std::sin(phi), co = std::cos(phi);
  const double t = s / co, t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const double eta2 = c.ep2 * co * co, eta4 = eta2 * eta2;
  const double N = c.a2b / std::sqrt(1 + eta2);
  const double l2 = l * l, u = co * co * l2;
  const double x3 = (1 - t2 + eta2) / 6;
  const double x5 = (5 - 18 * t2 + t4 + 14 * eta2 - 58 * t2 * eta2) / 120;
  const double x7 = (61 - 479 * t2 + 179 * t4 - t6) / 5040;
  x = N * co * l * (1 + u * (x3 + u * (x5 + u * x7)));
  const double y4 = (5 - t2 + 9 * eta2 + 4 * eta4) / 12;
  const double y6 = (61 - 58 * t2 + t4 + 270 * eta2 - 330 * t2 * eta2) / 360;
  const double y8 = (1385 - 3111 * t2 + 543 * t4 - t6) / 20160;
  y = ArcLength(c, phi, s, co) + N * s * co * l2 / 2 * (1 + u * (y4 + u * (y6 + u * y8)));
}

void InverseTM(const TEllipsoidConsts& c, double x, double y, double& phi, double& dLambda) {
  const double yp = y / c.alpha;
  const double phiF = yp + MeridianSinSeries(c.foot, std::sin(yp), std::cos(yp));
  const double s = std::sin(phiF), co = std::cos(phiF);
  const double t = s / co, t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const double eta2 = c.ep2 * co * co, eta4 = eta2 * eta2;
  const double N = c.a2b / std::sqrt(1 + eta2);
  const double v = x / N, w = v * v;
  const double p2 = -1 - eta2;
  const double p4 = (5 + 3 * t2 + 6 * eta2 - 6 * t2 * eta2 - 3 * eta4 - 9 * t2 * eta4) / 12;
  const double p6 = (-61 - 90 * t2 - 45 * t4 - 107 * eta2 + 162 * t2 * eta2) / 360;
  const double p8 = (1385 + 3633 * t2 + 4095 * t4 + 1575 * t6) / 20160;
  phi = phiF + t / 2 * w * (p2 + w * (p4 + w * (p6 + w * p8)));
  const double l3 = (-1 - 2 * t2 - eta2) / 6;
  const double l5 = (5 + 28 * t2 + 24 * t4 + 6 * eta2 + 8 * t2 * eta2) / 120;
  const double l7 = (-61 - 662 * t2 - 1320 * t4 - 720 * t6) / 5040;
  dLambda = v / co * (1 + w * (l3 + w * (l5 + w * l7)));
}

// exp(e artanh(e cos g)), the conformal factor of the polar stereographic projection.
double UPSFactor(double e, double cosG) { return std::exp(e * std::atanh(e * cosG)); }

}  // namespace

// [SECTION] UTM zones

void GeoToUTMZone(double Latitude, double Longitude, int& Zone, Char& Band) {
  Zone = 0;
  Band = u' ';
  if (!(Latitude >= -80 && Latitude <= 84 && Longitude >= -180 && Longitude < 180)) return;
  int band = static_cast<int>(std::floor(Latitude + 80)) / 8;
  if (band >= 6) ++band;
  if (band >= 12) ++band;
  if (band > 21) band = 21;
  Band = static_cast<Char>(u'C' + band);
  Zone = std::min(static_cast<int>(std::floor((Longitude + 180) / 6)) + 1, 60);
  if (Band == u'V' && Longitude >= 3 && Longitude < 12) Zone = 32;
  if (Band == u'X' && Longitude >= 0 && Longitude < 42) {
    Zone = static_cast<int>(std::floor((Longitude + 3) / 12)) * 2 + 31;
  }
}

String GeoToUTMZone(double Latitude, double Longitude) {
  int zone = 0;
  Char band = u' ';
  GeoToUTMZone(Latitude, Longitude, zone, band);
  if (zone == 0) return String();
  return IntToStr(zone) + band;
}

double UTMCentralMeridian(int Zone) {
  if (Zone < 1 || Zone > 60) return 0;
  return GeoDegToRad(6 * Zone - 183);
}

// [SECTION] transverse Mercator

double ArcLengthOfMeridian(double Latitude, TGeoEllipsoid Ellipsoid) {
  return ArcLength(EllipsoidConsts(Ellipsoid), Latitude, std::sin(Latitude), std::cos(Latitude));
}

void LatLongToTM(double Latitude, double Longitude, double CentMerid, TGeoEllipsoid Ellipsoid, double& x, double& y) {
  ForwardTM(EllipsoidConsts(Ellipsoid), Latitude, Longitude - CentMerid, x, y);
}

void TMToLatLong(double x, double y, double CentMerid, TGeoEllipsoid Ellipsoid, double& Latitude, double& Longitude) {
  double dLambda = 0;
  InverseTM(EllipsoidConsts(Ellipsoid), x, y, Latitude, dLambda);
  Longitude = CentMerid + dLambda;
}

// [SECTION] UTM

void LatLongToUTM(double Latitude, double Longitude, TGeoEllipsoid Ellipsoid, int& Zone, double& Easting,
                  double& Northing) {
  Char band = u' ';
  GeoToUTMZone(Latitude, Longitude, Zone, band);
  double x = 0, y = 0;
  LatLongToTM(GeoDegToRad(Latitude), GeoDegToRad(Longitude), UTMCentralMeridian(Zone), Ellipsoid, x, y);
  Easting = x * UTMScale + UTMFalseEasting;
  Northing = y * UTMScale;
  if (Northing < 0) Northing += UTMFalseNorthing;
}

void UTMToLatLong(double Easting, double Northing, int Zone, bool SouthHemi, TGeoEllipsoid Ellipsoid, double& Latitude,
                  double& Longitude) {
  const double x = (Easting - UTMFalseEasting) / UTMScale;
  const double y = SouthHemi ? (Northing - UTMFalseNorthing) / UTMScale : Northing / UTMScale;
  double phi = 0, lambda = 0;
  TMToLatLong(x, y, UTMCentralMeridian(Zone), Ellipsoid, phi, lambda);
  Latitude = GeoRadToDeg(phi);
  Longitude = GeoRadToDeg(lambda);
}

// [SECTION] UPS

void LatLongToUPS(double Latitude, double Longitude, TGeoEllipsoid Ellipsoid, double& x, double& y) {
  const TEllipsoidConsts& c = EllipsoidConsts(Ellipsoid);
  const bool north = Latitude >= 0;
  const double g = GeoDegToRad(north ? 90 - Latitude : Latitude + 90);
  const double rho = c.upsRho * std::tan(g / 2) * UPSFactor(c.upsE, std::cos(g));
  if (Longitude >= 180) Longitude -= 360;
  if (Longitude < -180) Longitude += 360;
  const double lambda = GeoDegToRad(Longitude);
  x = Longitude == -180 ? 0 : rho * std::sin(lambda);
  y = std::fabs(Longitude) == 90 ? 0 : rho * std::cos(lambda);
  if (north) y = -y;
  x += UPSFalseOrigin;
  y += UPSFalseOrigin;
}

void UPSToLatLong(double x, double y, bool SouthHemi, TGeoEllipsoid Ellipsoid, double& Latitude, double& Longitude) {
  const TEllipsoidConsts& c = EllipsoidConsts(Ellipsoid);
  x -= UPSFalseOrigin;
  y -= UPSFalseOrigin;
  const double q = c.upsQ * std::sqrt(x * x + y * y);
  const double e = c.upsE;
  double g = 2 * std::atan(q / 2);
  for (int i = 0; i < 6; ++i) {
    const double cosG = std::cos(g), cosHalf = std::cos(g / 2), factor = UPSFactor(e, cosG);
    const double F = 2 * std::tan(g / 2) * factor - q;
    const double dF = c.upsOneMinusE2 * factor / (cosHalf * cosHalf * (1 - e * e * cosG * cosG));
    const double step = -F / dF;
    g += step;
    if (std::fabs(step) < UPSStepLimit) break;
  }
  Latitude = 90 - GeoRadToDeg(g);
  if (SouthHemi) Latitude = -Latitude;
  // The pole itself has no direction: longitude 0 there.
  if (x == 0 && y == 0) {
    Longitude = 0;
    return;
  }
  Longitude = GeoRadToDeg(SouthHemi ? std::atan2(x, y) : std::atan2(x, -y));
}

}  // namespace qelta
