// Qelta_geomap: conversion between map-image pixels and geographic degrees by calibration model.
//
// Pixel -> geography: P (FCalParsPLSP), Q (FEquRectPLSP), M (FMillercylPar), C (FConicPars) as
// fitted; the parabolic model interpolates linearly between the two lines nearest to the pixel
// (extrapolating beyond the outermost ones). Geography -> pixel: S (FCalParsSPPL), R (FEquRectSPPL);
// the parabolic model interpolates the parabola coefficients between the two nearest lines of each
// kind and intersects the parallel and the meridian by 15 alternating substitutions from (500, 0).
// cmUTM projects through transverse Mercator about the central meridian of the map's own zone (scale
// 0.9996, false easting 500000, false northing 10^7 exactly for a southern map), so one affine fit
// serves positions on both sides of a zone edge or of the equator.
// Open points decided here: a pixel between two lines whose curves meet there (or of equal value)
// takes the nearest line's value, and so do interpolated coefficients between lines of equal value;
// the conic longitude on the apex row is C5 (+-pi/2) + C6 by the side of x, and at the apex itself
// has no value; a result that is not finite is no result (Valid false, result 0; CalcPixelCoords
// false with X, Y untouched).

#include <cmath>
#include <numbers>

#include "Qelta_geobasics_internal.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_matrix.h"

namespace qelta {

namespace {

using map_detail::RoundToInt;
constexpr double Pi = std::numbers::pi;

double Quadratic(const double* c, double a, double b) {
  return c[0] + c[1] * a + c[2] * b + c[3] * a * a + c[4] * a * b + c[5] * b * b;
}

double Affine(const double* c, double a, double b) { return c[0] + c[1] * a + c[2] * b; }

/// The two rows nearest by Distance(row) among the usable rows of the kind: a row strictly nearer
/// than the nearest makes that one the second; else one strictly nearer than the second replaces it.
template <typename DistFn>
bool NearestTwo(const TMatrix& m, const std::vector<bool>& usable, TGratLineKind kind, DistFn Distance, int& f,
                int& d) {
  double df = 1e20, dd = 1e20;
  f = d = 0;
  for (int r = 1; r <= m.NrOfRows(); ++r) {
    if (!usable[static_cast<size_t>(r - 1)] || RoundToInt(m.GetVal(1, r)) != (kind == gtlParallel ? 1 : 0)) continue;
    const double dist = Distance(r);
    if (dist < df) {
      d = f;
      dd = df;
      f = r;
      df = dist;
    } else if (dist < dd) {
      d = r;
      dd = dist;
    }
  }
  return f != 0 && d != 0;
}

/// v when Valid and finite; else 0 and Valid false.
double Checked(double v, bool& Valid) {
  Valid = Valid && std::isfinite(v);
  return Valid ? v : 0.0;
}

/// (vf - vd) (t - td) / (tf - td) + vd, or vf where the two lines cannot be told apart.
double Interpolate(double vf, double vd, double t, double tf, double td) {
  if (tf == td || vf == vd) return vf;
  return (vf - vd) * (t - td) / (tf - td) + vd;
}

}  // namespace

namespace map_detail {

void ProjectIntoZone(double Latitude, double Longitude, int Zone, bool South, TGeoEllipsoid Ellipsoid,
                     double& Easting, double& Northing) {
  double x = 0, y = 0;
  LatLongToTM(GeoDegToRad(Latitude), GeoDegToRad(Longitude), UTMCentralMeridian(Zone), Ellipsoid, x, y);
  Easting = x * UTMScale + UTMFalseEasting;
  Northing = y * UTMScale;
  if (South) Northing += UTMFalseNorthing;
}

}  // namespace map_detail

// [SECTION] parabolic interpolation

double TGeoMap::ParabolicGeo(TGratLineKind Kind, double X, double Y, bool& Valid) const {
  const TMatrix& m = *FGratMat;
  // a parallel gives y over x, a meridian x over y
  const double along = Kind == gtlParallel ? X : Y, across = Kind == gtlParallel ? Y : X;
  const auto curve = [&](int r) { return m.GetVal(3, r) + m.GetVal(4, r) * along + m.GetVal(5, r) * along * along; };
  int f = 0, d = 0, other = 0, unused = 0;
  const TGratLineKind otherKind = Kind == gtlParallel ? gtlMeridian : gtlParallel;
  Valid = NearestTwo(m, FGratUsable, Kind, [&](int r) { return std::fabs(across - curve(r)); }, f, d) &&
          NearestTwo(m, FGratUsable, otherKind, [](int) { return 0.0; }, other, unused);
  if (!Valid) return 0;
  return Interpolate(m.GetVal(2, f), m.GetVal(2, d), across, curve(f), curve(d));
}

bool TGeoMap::ParabolicPixel(double Latitude, double Longitude, double& X, double& Y) const {
  const TMatrix& m = *FGratMat;
  int pf = 0, pd = 0, mf = 0, md = 0;
  if (!NearestTwo(m, FGratUsable, gtlParallel, [&](int r) { return std::fabs(Latitude - m.GetVal(2, r)); }, pf, pd) ||
      !NearestTwo(m, FGratUsable, gtlMeridian, [&](int r) { return std::fabs(Longitude - m.GetVal(2, r)); }, mf, md))
    return false;
  double p[3], q[3];
  for (int k = 0; k < 3; ++k) {
    p[k] = Interpolate(m.GetVal(3 + k, pf), m.GetVal(3 + k, pd), Latitude, m.GetVal(2, pf), m.GetVal(2, pd));
    q[k] = Interpolate(m.GetVal(3 + k, mf), m.GetVal(3 + k, md), Longitude, m.GetVal(2, mf), m.GetVal(2, md));
  }
  double x = 500, y = 0;
  for (int i = 0; i < 15; ++i) {
    y = p[0] + p[1] * x + p[2] * x * x;
    x = q[0] + q[1] * y + q[2] * y * y;
    if (std::fabs(x) > 50000 && std::fabs(y) > 50000) return false;
  }
  X = x;
  Y = y;
  return true;
}

// [SECTION] pixel -> geography

void TGeoMap::UTMLatLong(int X, int Y, double& Latitude, double& Longitude) const {
  UTMToLatLong(Affine(&FEquRectPLSP[3], X, Y), Affine(&FEquRectPLSP[0], X, Y), FCalibData.UTMZone, FCalibData.UTMSouth,
               FCalibData.Ellipsoid, Latitude, Longitude);
}

double TGeoMap::CalcLatitude(int X, int Y, bool& Valid) const {
  Valid = true;
  double v = 0;
  switch (FCalibModel) {
    case cmParabolicIp: v = ParabolicGeo(gtlParallel, X, Y, Valid); break;
    case cmBiquadraticPn: v = Quadratic(&FCalParsPLSP[0], X, Y); break;
    case cmConicConformal: {
      const double dx = X - FConicPars[0], dy = Y - FConicPars[1];
      v = FConicPars[2] * std::sqrt(dx * dx + dy * dy) + FConicPars[3];
      break;
    }
    case cmMillerCylindrical:
      Valid = FMillercylPar[0] != 0;
      if (Valid) v = (std::atan(std::exp((Y - FMillercylPar[1]) / FMillercylPar[0])) - Pi / 4) * 143.2394487827058;
      break;
    case cmEquiRect: v = Affine(&FEquRectPLSP[0], X, Y); break;
    case cmUTM: {
      double lon = 0;
      UTMLatLong(X, Y, v, lon);
      break;
    }
    default: Valid = false;
  }
  return Checked(v, Valid);
}

double TGeoMap::CalcLongitude(int X, int Y, bool& Valid) const {
  Valid = true;
  double v = 0;
  switch (FCalibModel) {
    case cmParabolicIp: v = ParabolicGeo(gtlMeridian, X, Y, Valid); break;
    case cmBiquadraticPn: v = Quadratic(&FCalParsPLSP[6], X, Y); break;
    case cmConicConformal: {
      const double dx = X - FConicPars[0], dy = Y - FConicPars[1];
      Valid = dy != 0 || dx != 0;
      const double theta = dy != 0 ? std::atan(dx / dy) : (dx > 0 ? Pi / 2 : -Pi / 2);
      v = FConicPars[4] * theta + FConicPars[5];
      break;
    }
    case cmMillerCylindrical:
      Valid = FMillercylPar[2] != 0;
      if (Valid) v = (X - FMillercylPar[3]) / FMillercylPar[2] * 180 / Pi;
      break;
    case cmEquiRect: v = Affine(&FEquRectPLSP[3], X, Y); break;
    case cmUTM: {
      double lat = 0;
      UTMLatLong(X, Y, lat, v);
      break;
    }
    default: Valid = false;
  }
  return Checked(v, Valid);
}

// [SECTION] geography -> pixel

bool TGeoMap::ModelPixel(double Latitude, double Longitude, double& X, double& Y) const {
  switch (FCalibModel) {
    case cmParabolicIp: return ParabolicPixel(Latitude, Longitude, X, Y);
    case cmBiquadraticPn:
      X = Quadratic(&FCalParsSPPL[0], Latitude, Longitude);
      Y = Quadratic(&FCalParsSPPL[6], Latitude, Longitude);
      return true;
    case cmConicConformal: {
      const double cx = FConicPars[0], cy = FConicPars[1], c3 = FConicPars[2], c4 = FConicPars[3];
      X = Y = 0;
      if (c3 == 0 || FConicPars[4] == 0) return true;
      const double t = std::tan((Longitude - FConicPars[5]) / FConicPars[4]), s = std::sqrt(t * t + 1);
      const double r = (Latitude - c4) / c3 / s;
      Y = Latitude >= 0 ? cy + r : cy - r;
      if (!std::isfinite(Y)) return false;
      Y = RoundToInt(Y);
      X = t * (Y - cy) + cx;
      return true;
    }
    case cmMillerCylindrical:
      X = Longitude * Pi / 180 * FMillercylPar[2] + FMillercylPar[3];
      Y = std::log(std::tan(0.4 * Latitude * Pi / 180 + Pi / 4)) * FMillercylPar[0] + FMillercylPar[1];
      return true;
    case cmEquiRect:
      X = Affine(&FEquRectSPPL[0], Latitude, Longitude);
      Y = Affine(&FEquRectSPPL[3], Latitude, Longitude);
      return true;
    case cmUTM: {
      double easting = 0, northing = 0;
      map_detail::ProjectIntoZone(Latitude, Longitude, FCalibData.UTMZone, FCalibData.UTMSouth, FCalibData.Ellipsoid,
                              easting, northing);
      X = Affine(&FEquRectSPPL[0], northing, easting);
      Y = Affine(&FEquRectSPPL[3], northing, easting);
      return true;
    }
    default: return false;
  }
}

bool TGeoMap::CalcPixelCoords(double Latitude, double Longitude, int& X, int& Y) const {
  double x = 0, y = 0;
  if (!ModelPixel(Latitude, Longitude, x, y) || !std::isfinite(x) || !std::isfinite(y)) return false;
  X = RoundToInt(x);
  Y = RoundToInt(y);
  return true;
}

bool TGeoMap::CalcPixelCoordsUTM(double Northing, double Easting, int& X, int& Y) const {
  X = Y = 0;
  if (FCalibModel != cmUTM) return false;
  const double x = Affine(&FEquRectSPPL[0], Northing, Easting), y = Affine(&FEquRectSPPL[3], Northing, Easting);
  if (!std::isfinite(x) || !std::isfinite(y)) return false;
  X = RoundToInt(x);
  Y = RoundToInt(y);
  return true;
}

int TGeoMap::CalcUTMyFromNorthingX(double Northing, int X) const {
  const double* R = FEquRectSPPL.data();
  const double easting = (X - R[0] - R[1] * Northing) / R[2];
  return RoundToInt(R[3] + R[4] * Northing + R[5] * easting);
}

int TGeoMap::CalcUTMxFromEastingY(double Easting, int Y) const {
  const double* R = FEquRectSPPL.data();
  const double northing = (Y - R[3] - R[5] * Easting) / R[4];
  return RoundToInt(R[0] + R[1] * northing + R[2] * Easting);
}

}  // namespace qelta
