#pragma once
// Not part of the public interface: what the sources of Qelta_geobasics share. The degree and
// radian conversions with the 80-bit pi, the constants derived once per ellipsoid, and the
// Clenshaw sum of the meridian series.

#include "Qelta_geobasics.h"
#include "Types.h"

namespace qelta::map_detail {

/// pi as the 80-bit literal that every degree conversion of the unit uses.
inline constexpr Extended GeoPi = 3.1415926535897932385L;

/// Degrees to radians as value / 180 x pi in 80 bits, rounded once to a Double.
inline double GeoDegToRad(double degrees) { return static_cast<double>(Extended(degrees) / 180 * GeoPi); }
/// Radians to degrees as value x 180 / pi in 80 bits, rounded once to a Double.
inline double GeoRadToDeg(double radians) { return static_cast<double>(Extended(radians) * 180 / GeoPi); }

/// The UTM grid: scale on the central meridian, false easting, false northing of the south.
inline constexpr double UTMScale = 0.9996;
inline constexpr double UTMFalseEasting = 500000;
inline constexpr double UTMFalseNorthing = 1e7;

/// Everything the routines need of one ellipsoid, derived from its two axes (see the .cpp).
struct TEllipsoidConsts {
  double a = 0, b = 0;
  double e2 = 0;             ///< 1 - b^2/a^2
  double k = 0;              ///< b/a = 1 - f
  double ep2 = 0;            ///< second eccentricity squared (a^2 - b^2)/b^2
  double a2b = 0;            ///< a^2/b, the polar radius of curvature
  double alpha = 0;          ///< ((a + b)/2)(1 + n^2/4 + n^4/64)
  double arc[4] = {};        ///< meridian arc coefficients of sin 2phi .. sin 8phi
  double foot[4] = {};       ///< footpoint coefficients of sin 2y' .. sin 8y'
  double upsE = 0;           ///< sqrt|1 - (b/a)^2|
  double upsOneMinusE2 = 0;  ///< 1 - upsE^2
  double upsRho = 0;         ///< rho = upsRho tan(g/2) exp(e artanh(e cos g))
  double upsQ = 0;           ///< q = upsQ rho
};

/// The constants of an ellipsoid; an ordinal outside the table gives a row of NaNs.
const TEllipsoidConsts& EllipsoidConsts(TGeoEllipsoid Ellipsoid);

/// c[0] sin 2phi + c[1] sin 4phi + c[2] sin 6phi + c[3] sin 8phi from sin phi and cos phi, by
/// Clenshaw's recurrence on cos 2phi.
inline double MeridianSinSeries(const double (&c)[4], double sinPhi, double cosPhi) {
  const double sin2 = 2 * sinPhi * cosPhi;
  const double twoCos2 = 2 * (cosPhi - sinPhi) * (cosPhi + sinPhi);
  double b1 = 0, b2 = 0;  // b(k+1), b(k+2)
  for (int k = 3; k >= 0; --k) {
    const double bk = c[k] + twoCos2 * b1 - b2;
    b2 = b1;
    b1 = bk;
  }
  return b1 * sin2;
}

}  // namespace qelta::map_detail
