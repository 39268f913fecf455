// Qelta_geomap: the calibration fits, their quality, the corners and resolution, and clearing.
//
// Graticule matrix: one parabola per line with 3 or more points (TCurveFit.CalcParabolFit): a
// parallel y = k0 + k1 x + k2 x^2, a meridian x = k0 + k1 y + k2 y^2. Polynomial and affine models:
// SvdLeastSquares (singular values below 1e-14 of the largest dropped) once per direction and
// coordinate, each solve on a matrix of its own because the decomposition overwrites it. Miller:
// two straight lines (TCurveFit.CalcLinFit), x on the longitude in radians and y on
// ln tan(pi/4 + 0.4 latitude).
// Conic: for an apex (cx, cy) latitude is a line in r = |P - apex| and longitude a line in
// theta = arctan((x - cx) / (y - cy)) over the points off the apex row; the quality is
// e_phi^2 + e_lambda^2 with e the root mean square residual over all n points. The apex is searched
// from the centre of the points' box on a 5 x 5 grid of step 10^6, the best trial (strictly better
// than all before) becoming the centre of the next round at half the step (integer division), down
// to step 1: 20 rounds of 25 trials. The trials reuse the per-point terms instead of refilling curve
// fitters: the lines come from the fitter's own line rule (num_detail::LinFitOfPairs), so the search
// takes the same path. A trial with fewer than 2 points off the apex row gives no line and counts as
// no improvement; until a trial improves, the remembered apex is the box centre.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "Qelta_matrix.h"
#include "Qelta_vector.h"

namespace qelta {

namespace map_detail {

// [SECTION] straight lines and the conic search

TLineFit FitLine(std::span<const double> u, std::span<const double> v, double Divisor) {
  const size_t n = u.size();
  if (n < 2) return {};
  TLineFit fit;
  fit.Solvable = true;
  double quality = 0;
  num_detail::LinFitOfPairs(u.data(), v.data(), static_cast<int>(n), fit.k, fit.d, quality);
  double squares = 0;
  for (size_t i = 0; i < n; ++i) {
    const double e = v[i] - fit.k * u[i] - fit.d;
    squares += e * e;
  }
  fit.Rms = std::sqrt(squares / Divisor);
  return fit;
}

namespace {

/// Buffers of one conic search, so that the trials allocate nothing.
struct TConicScratch {
  std::vector<double> r, phi, theta, lambda;
};

bool FitConic(std::span<const TConicPoint> Points, double cx, double cy, std::array<double, 6>& Pars, double& Quality,
              TConicScratch& s) {
  const size_t n = Points.size();
  if (n < 3) return false;
  s.r.clear();
  s.phi.clear();
  s.theta.clear();
  s.lambda.clear();
  for (const TConicPoint& p : Points) {
    const double dx = p.X - cx, dy = p.Y - cy;
    s.r.push_back(std::sqrt(dx * dx + dy * dy));
    s.phi.push_back(p.Phi);
    if (dy != 0) {
      s.theta.push_back(std::atan(dx / dy));
      s.lambda.push_back(p.Lambda);
    }
  }
  if (s.theta.size() < 2) return false;
  const TLineFit radial = FitLine(s.r, s.phi, double(n));
  const TLineFit angular = FitLine(s.theta, s.lambda, double(n));
  Pars = {cx, cy, radial.k, radial.d, angular.k, angular.d};
  Quality = radial.Rms * radial.Rms + angular.Rms * angular.Rms;
  return true;
}

}  // namespace

bool FitConicAtApex(std::span<const TConicPoint> Points, double cx, double cy, std::array<double, 6>& Pars,
                    double& Quality) {
  TConicScratch scratch;
  return FitConic(Points, cx, cy, Pars, Quality, scratch);
}

std::array<double, 6> SearchConic(std::span<const TConicPoint> Points, int ImageWidth, int ImageHeight) {
  if (Points.size() < 3) return {};
  double minX = ImageWidth, maxX = 0, minY = ImageHeight, maxY = 0;
  for (const TConicPoint& p : Points) {
    minX = std::min(minX, p.X);
    maxX = std::max(maxX, p.X);
    minY = std::min(minY, p.Y);
    maxY = std::max(maxY, p.Y);
  }
  int64_t cx0 = (static_cast<int64_t>(minX) + static_cast<int64_t>(maxX)) / 2;
  int64_t cy0 = (static_cast<int64_t>(minY) + static_cast<int64_t>(maxY)) / 2;
  std::array<double, 6> best{double(cx0), double(cy0), 0, 0, 0, 0}, trial{};
  double bestQuality = 1e10, quality = 0;
  TConicScratch scratch;
  for (int64_t step = 1000000; step > 0; step /= 2) {
    for (int i = -2; i <= 2; ++i)
      for (int j = -2; j <= 2; ++j)
        if (FitConic(Points, double(cx0 + i * step), double(cy0 + j * step), trial, quality, scratch) &&
            quality < bestQuality) {
          bestQuality = quality;
          best = trial;
        }
    cx0 = RoundToInt(best[0]);
    cy0 = RoundToInt(best[1]);
  }
  return best;
}

}  // namespace map_detail

namespace {

using map_detail::UsedLines;
using map_detail::UsedPoints;
using map_detail::UsedQuads;

/// Least-squares coefficients of Rhs(row) over the design rows Row(row, cells); Out keeps its zeros
/// when the decomposition fails.
template <typename RowFn, typename RhsFn>
void SolveDesign(int Rows, std::span<double> Out, RowFn Row, RhsFn Rhs) {
  const int cols = static_cast<int>(Out.size());
  TMatrix design(nullptr);
  TVector rhs(nullptr), solution(nullptr);
  design.Resize(cols, Rows);
  rhs.SetVecSize(Rows);
  solution.SetVecSize(cols);
  double cells[6] = {};
  for (int r = 0; r < Rows; ++r) {
    Row(r, cells);
    for (int c = 0; c < cols; ++c) design.SetVal(c + 1, r + 1, cells[c]);
    rhs.SetVal(r + 1, Rhs(r));
  }
  bool reduced = false;
  if (!SvdLeastSquares(&design, &rhs, &solution, reduced, nullptr)) return;
  for (int c = 0; c < cols; ++c) Out[c] = solution.GetVal(c + 1);
}

/// Rows [1, a, b, a^2, a b, b^2] (Cols 6) or [1, a, b] (Cols 3).
void PolynomialRow(double a, double b, double* cells) {
  cells[0] = 1;
  cells[1] = a;
  cells[2] = b;
  cells[3] = a * a;
  cells[4] = a * b;
  cells[5] = b * b;
}

/// Fits both directions of a polynomial model of Cols terms per coordinate: PLSP from the pixels,
/// SPPL from the geography.
void FitPolynomials(const TCalibData& cal, int Cols, std::span<double> PLSP, std::span<double> SPPL) {
  std::fill(PLSP.begin(), PLSP.end(), 0.0);
  std::fill(SPPL.begin(), SPPL.end(), 0.0);
  const int n = UsedQuads(cal);
  if (n == 0) return;
  const auto& q = cal.CalQuads;
  const auto pixelRow = [&](int r, double* cells) { PolynomialRow(q[r].MapX, q[r].MapY, cells); };
  const auto geoRow = [&](int r, double* cells) { PolynomialRow(q[r].Latitude, q[r].Longitude, cells); };
  SolveDesign(n, PLSP.first(Cols), pixelRow, [&](int r) { return q[r].Latitude; });
  SolveDesign(n, PLSP.last(Cols), pixelRow, [&](int r) { return q[r].Longitude; });
  SolveDesign(n, SPPL.first(Cols), geoRow, [&](int r) { return double(q[r].MapX); });
  SolveDesign(n, SPPL.last(Cols), geoRow, [&](int r) { return double(q[r].MapY); });
}

constexpr double DegToRad = std::numbers::pi / 180;

}  // namespace

// [SECTION] graticule matrix

bool TGeoMap::RecalcGratMat() {
  const int lines = UsedLines(FCalibData);
  FGratMat->Resize(5, lines);
  FGratUsable.assign(static_cast<size_t>(lines), false);
  TCurveFit fit(nullptr);
  int parallels = 0, meridians = 0;
  for (int k = 0; k < lines; ++k) {
    const TCalibLine& line = FCalibData.CalLines[k];
    const bool parallel = line.LineType == gtlParallel;
    fit.Init();
    FGratMat->SetVal(1, k + 1, parallel ? 1 : 0);
    FGratMat->SetVal(2, k + 1, line.LineValue);
    if (UsedPoints(line) <= 2) continue;
    ++(parallel ? parallels : meridians);
    for (int j = 0; j < UsedPoints(line); ++j) {
      const TPoint& p = line.CalPoints[j];
      if (parallel) fit.EnterStatValue(p.X, p.Y);
      else fit.EnterStatValue(p.Y, p.X);
    }
    double k0 = 0, k1 = 0, k2 = 0, quality = 0;
    fit.CalcParabolFit(k0, k1, k2, quality);
    FGratMat->SetVal(3, k + 1, k0);
    FGratMat->SetVal(4, k + 1, k1);
    FGratMat->SetVal(5, k + 1, k2);
    FGratUsable[static_cast<size_t>(k)] = true;
  }
  if (parallels > 1 && meridians > 1) return true;
  FGratMat->Resize(5, 1);
  FGratMat->Fill(0);
  FGratUsable.assign(1, false);
  return false;
}

// [SECTION] point-based models

void TGeoMap::CalcBiquadraticCalibration() { FitPolynomials(FCalibData, 6, FCalParsPLSP, FCalParsSPPL); }

void TGeoMap::CalcEquiRectCalibration() { FitPolynomials(FCalibData, 3, FEquRectPLSP, FEquRectSPPL); }

void TGeoMap::CalcMillerCylCalibration() {
  const int n = UsedQuads(FCalibData);
  if (n < 3) return;
  TCurveFit fitX(nullptr), fitY(nullptr);
  for (int k = 0; k < n; ++k) {
    const TCalQuad& q = FCalibData.CalQuads[k];
    fitX.EnterStatValue(q.Longitude * DegToRad, q.MapX);
    fitY.EnterStatValue(std::log(std::tan(0.4 * q.Latitude * DegToRad + std::numbers::pi / 4)), q.MapY);
  }
  double quality = 0;
  fitX.CalcLinFit(FMillercylPar[2], FMillercylPar[3], quality);
  fitY.CalcLinFit(FMillercylPar[0], FMillercylPar[1], quality);
}

void TGeoMap::CalcConicCalibration() {
  std::vector<map_detail::TConicPoint> points;
  for (int k = 0; k < UsedQuads(FCalibData); ++k) {
    const TCalQuad& q = FCalibData.CalQuads[k];
    points.push_back({double(q.MapX), double(q.MapY), q.Latitude, q.Longitude});
  }
  FConicPars = map_detail::SearchConic(points, FMapImgWidth, FMapImgHeight);
}

void TGeoMap::FitByModel() {
  switch (FCalibModel) {
    case cmBiquadraticPn: return CalcBiquadraticCalibration();
    case cmConicConformal: return CalcConicCalibration();
    case cmMillerCylindrical: return CalcMillerCylCalibration();
    case cmEquiRect:
    case cmUTM: return CalcEquiRectCalibration();
    default: return;
  }
}

void TGeoMap::RecalcCalibration() {
  RecalcGratMat();
  FitByModel();
  CalcExtentsAndResolution();
  Paint();
}

// [SECTION] quality, corners and resolution

void TGeoMap::CalibQuality(double& QualX, double& QualY) const {
  TCurveFit fitX(nullptr), fitY(nullptr);
  if (FCalibModel >= cmBiquadraticPn && FCalibModel <= cmUTM) {
    for (int k = 0; k < UsedQuads(FCalibData); ++k) {
      const TCalQuad& q = FCalibData.CalQuads[k];
      int x = 0, y = 0;
      const bool ok = FCalibModel == cmUTM ? CalcPixelCoordsUTM(q.Latitude, q.Longitude, x, y)
                                           : CalcPixelCoords(q.Latitude, q.Longitude, x, y);
      if (!ok) continue;
      fitX.EnterStatValue(q.MapX, x);
      fitY.EnterStatValue(q.MapY, y);
    }
  }
  int n = 0;
  double meanX = 0, meanY = 0, sdX = 0, sdY = 0, meanDiff = 0, r = 0;
  fitX.CalcStatistics(n, meanX, meanY, sdX, sdY, meanDiff, QualX, r);
  fitY.CalcStatistics(n, meanX, meanY, sdX, sdY, meanDiff, QualY, r);
}

void TGeoMap::CalcExtentsAndResolution() {
  const int W = FMapImgWidth, H = FMapImgHeight;
  const auto at = [this](int x, int y) {
    bool valid = false;
    const double lat = CalcLatitude(x, y, valid);
    return TCoords{lat, CalcLongitude(x, y, valid)};
  };
  TCornerArray& c = FCalibData.Corners;
  c[gcoTopLeft] = at(0, 0);
  c[gcoBottomLeft] = at(0, H);
  c[gcoBottomRight] = at(W, H);
  c[gcoTopRight] = at(W, 0);
  const TCoords left = at(0, H / 2), right = at(W, H / 2);
  if (W < 1) {
    FCalibData.Resolution = 0;
    return;
  }
  double d = SphereGreatCircleDist(6378000, left.Latit, left.Longit, right.Latit, right.Longit);
  const double span = right.Longit - left.Longit;
  if (span > 360) d += 40074155.88919140255;
  else if (span > 180) d += 20037077.944595701276;
  FCalibData.Resolution = d / W;
}

// [SECTION] clearing

void TGeoMap::ZeroDerivedParameters() {
  FGratMat->Resize(5, 1);
  FGratMat->Fill(0);
  FGratUsable.assign(1, false);
  FCalParsPLSP.fill(0);
  FCalParsSPPL.fill(0);
  FEquRectPLSP.fill(0);
  FEquRectSPPL.fill(0);
  FMillercylPar.fill(0);
  FConicPars.fill(0);
}

void TGeoMap::ClearCalibData() {
  FCalibData.NumCalLines = 0;
  for (TCalibLine& line : FCalibData.CalLines) line.NumPoints = 0;
  FCalibData.Corners = TCornerArray{};
  FCalibData.Resolution = 0;
  FCalibData.UTMZone = -1;
  FCalibData.UTMSouth = false;
  FCalibData.Ellipsoid = gelWGS84;
  FCalibData.CalQuads.fill(TCalQuad{});
  FCalibData.NumCalQuads = 0;
  ZeroDerivedParameters();
  Paint();
}

void TGeoMap::Clear() {
  ClearCalibData();
  FCalibModel = cmUndefined;
  FCalibData.MapFName.clear();
  FCalibData.Caption.clear();
  EmptyMap();
  Paint();
}

}  // namespace qelta
