#pragma once
// Not part of the public interface: what the sources of Qelta_geomap share. The one rounding rule of
// the unit, and the pieces of the calibration fits that the tests check on their own.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "Qelta_geomap.h"

namespace qelta::detail {

/// Nearest integer, halves to even, saturated to the 32-bit range; NaN gives 0. Every float of the
/// unit that becomes a pixel or an index goes through it.
inline int RoundToInt(double v) {
  if (!(v >= -2147483648.0)) return std::isnan(v) ? 0 : std::numeric_limits<int>::min();
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  return static_cast<int>(std::nearbyint(v));
}

/// The counts of a record kept to its capacity: a record handed over as a whole may hold anything.
inline int UsedLines(const TCalibData& c) { return std::clamp(c.NumCalLines, 0, MaxCalLines); }
inline int UsedQuads(const TCalibData& c) { return std::clamp(c.NumCalQuads, 0, MaxCalQuads); }
inline int UsedPoints(const TCalibLine& l) { return std::clamp(l.NumPoints, 0, MaxCalLinePoints); }

/// A least-squares line v = k u + d as TCurveFit::CalcLinFit gives it, with Rms the root of the mean
/// squared residual over Divisor points. Solvable is false below 2 points; all u equal gives k = d = 0.
struct TLineFit {
  bool Solvable = false;
  double k = 0, d = 0, Rms = 0;
};
/// Fits v = k u + d to the pairs (centred sums in extended precision); the residuals are summed over
/// the pairs and divided by Divisor.
TLineFit FitLine(std::span<const double> u, std::span<const double> v, double Divisor);

/// One calibration point of the conic fit: pixel and geography.
struct TConicPoint {
  double X = 0, Y = 0, Phi = 0, Lambda = 0;
};
/// The conic fit for the apex (cx, cy): Pars = cx, cy, C3, C4, C5, C6 and the quality
/// e_phi^2 + e_lambda^2. False (nothing usable) with fewer than 3 points or fewer than 2 points off
/// the apex row.
bool FitConicAtApex(std::span<const TConicPoint> Points, double cx, double cy, std::array<double, 6>& Pars,
                    double& Quality);
/// The apex search on the shrinking grid from the centre of the points' box (the box starting at the
/// image's extents); all zero with fewer than 3 points.
std::array<double, 6> SearchConic(std::span<const TConicPoint> Points, int ImageWidth, int ImageHeight);

/// The UTM easting and northing of a position in degrees in the given zone and hemisphere (the zone's
/// central meridian, scale 0.9996, false easting 500000, false northing 10^7 exactly when South).
void ProjectIntoZone(double Latitude, double Longitude, int Zone, bool South, TGeoEllipsoid Ellipsoid,
                     double& Easting, double& Northing);

}  // namespace qelta::detail
