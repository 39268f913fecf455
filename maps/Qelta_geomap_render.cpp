// Qelta_geomap: what the picture shows over the image: the graticule of the calibration model or the
// UTM grid, the calibration marks, the landmarks with their symbols and captions (thinned at random
// when very many are in view) and the highlight landmark.
//
// The parabolic model draws each calibration line as its fitted parabola, one point per map-image
// column (parallels) or row (meridians) in view; the other models draw parallels and meridians as
// polylines of 100 (10 for the affine models) conversions between the map's corners. A graticule or
// grid whose span is not above 0 or not finite is skipped, and each direction stops after
// kMaxGridLines lines: an uncalibrated map or a tiny step would otherwise never finish.

#include <algorithm>
#include <cmath>

#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_math1.h"
#include "Qelta_math2.h"
#include "Qelta_sline.h"

namespace qelta {

namespace map_detail {

TGratBounds GraticuleBounds(const TCornerArray& C) {
  return TGratBounds{std::min(C[gcoBottomLeft].Latit, C[gcoBottomRight].Latit),
                     std::max(C[gcoTopLeft].Latit, C[gcoTopRight].Latit),
                     std::min(C[gcoTopLeft].Longit, C[gcoBottomLeft].Longit),
                     std::max(C[gcoTopRight].Longit, C[gcoBottomRight].Longit)};
}

double GraticuleStep(double Span, double GratLineDist) {
  if (GratLineDist > 0) return GratLineDist;
  double s = 1;
  while (s > 0 && Span / s < 1) s /= 10;
  return s;
}

std::vector<double> GridValues(double From, double Limit, double Step) {
  std::vector<double> values;
  if (!(Step > 0) || !std::isfinite(Step) || !std::isfinite(From) || !std::isfinite(Limit)) return values;
  const double first = std::trunc(From / Step) * Step;
  for (size_t k = 0; k < kMaxGridLines; ++k) {
    const double v = first + double(k) * Step;  // not summed up: no drift over many lines
    if (!(v < Limit)) break;
    values.push_back(v);
  }
  return values;
}

double UTMGridStep(double NorthingLow, double NorthingHigh, int UTMGridDist) {
  if (UTMGridDist >= 1) return UTMGridDist;
  const double g = Round125(std::fabs(NorthingHigh - NorthingLow) / 10);
  return g < 1 || !std::isfinite(g) ? 1.0 : g;
}

}  // namespace map_detail

namespace {

using map_detail::RoundToInt;

bool Spans(double lo, double hi) { return hi - lo > 0 && std::isfinite(hi - lo); }

/// The segments per graticule line of a model that has a graticule; 0 for none.
int GraticuleSegments(TCalibModel Model, const TCalibData& Cal) {
  const int quads = map_detail::UsedQuads(Cal);
  switch (Model) {
    case cmBiquadraticPn: return quads > 5 ? 100 : 0;
    case cmConicConformal:
    case cmMillerCylindrical: return quads > 2 ? 100 : 0;
    case cmEquiRect:
    case cmUTM: return quads > 2 ? 10 : 0;
    default: return 0;
  }
}

bool ShowsLines(TShowGrat g) { return g == sgLines || g == sgPointsAndLines; }
bool ShowsPoints(TShowGrat g) { return g == sgPoints || g == sgPointsAndLines; }
bool ShowsUTMGrid(TShowGrat g) { return g == sgUTMGrid || g == sgPointsAndUTMGrid; }

}  // namespace

TPoint TGeoMap::GeoToControl(double Latitude, double Longitude) const {
  int x = 0, y = 0;
  CalcPixelCoords(Latitude, Longitude, x, y);
  return MapImageToControl(TPoint{x, y});
}

void TGeoMap::DrawCalibMark(TCanvas* c, int x, int y) {
  const auto diamond = [&](int d) {
    c->Polyline({Point(x - d, y), Point(x, y - d), Point(x + d, y), Point(x, y + d), Point(x - d, y)});
  };
  c->Pen()->SetColor(FColorGratPoints);
  c->MoveTo(x - 8, y);
  c->LineTo(x + 8, y);
  c->MoveTo(x, y - 8);
  c->LineTo(x, y + 8);
  diamond(8);
  c->Pen()->SetColor(clWhite);
  diamond(9);
  c->Pen()->SetColor(FColorGratPoints);
  diamond(10);
}

void TGeoMap::DrawOverlay(TCanvas* c, int W, int H) {
  if (FShowGrat == sgNone || FCalibModel == cmUndefined) return;
  if (FCalibModel == cmParabolicIp) {
    DrawParabolicGraticule(c, W, H);
    return;
  }
  const int segments = GraticuleSegments(FCalibModel, FCalibData);
  if (segments == 0) return;
  c->Pen()->SetColor(FColorGratLine);
  if (FCalibModel == cmUTM && ShowsUTMGrid(FShowGrat)) DrawUTMGrid(c);
  else if (ShowsLines(FShowGrat)) DrawGeoGraticule(c, segments);
  if (ShowsPoints(FShowGrat) || (FCalibModel == cmUTM && FShowGrat == sgPointsAndUTMGrid)) {
    for (int k = 0; k < map_detail::UsedQuads(FCalibData); ++k) {
      const TCalQuad& q = FCalibData.CalQuads[k];
      const TPoint p = MapImageToControl(TPoint{q.MapX, q.MapY});
      DrawCalibMark(c, p.X, p.Y);
    }
  }
}

void TGeoMap::DrawParabolicGraticule(TCanvas* c, int W, int H) {
  TCurveFit fit(nullptr);
  const double m = FMagnify;
  for (int k = 0; k < map_detail::UsedLines(FCalibData); ++k) {
    const TCalibLine& line = FCalibData.CalLines[k];
    const int n = map_detail::UsedPoints(line);
    // A line of fewer than 3 points has no parabola; the fits pass over it as well.
    if (ShowsLines(FShowGrat) && n >= 3) {
      c->Pen()->SetColor(FColorGratLine);
      fit.Init();
      const bool parallel = line.LineType == gtlParallel;
      for (int i = 0; i < n; ++i) {
        const TPoint& p = line.CalPoints[i];
        if (parallel) fit.EnterStatValue(p.X, p.Y);
        else fit.EnterStatValue(p.Y, p.X);
      }
      double k0 = 0, k1 = 0, k2 = 0, q = 0;
      fit.CalcParabolFit(k0, k1, k2, q);
      const int from = parallel ? FTopLeft.X : FTopLeft.Y;
      const double limit = parallel ? W / m + FTopLeft.X : H / m + FTopLeft.Y;
      std::vector<TPoint> pts;
      for (int64_t u = from; pts.empty() || u - 1 < limit; ++u) {
        const int v = RoundToInt(k0 + k1 * u + k2 * double(u) * u);
        const TPoint img = parallel ? TPoint{int(u), v} : TPoint{v, int(u)};
        pts.push_back(MapImageToControl(img));
        if (u >= INT32_MAX) break;
      }
      c->Polyline(pts);
    }
    if (ShowsPoints(FShowGrat)) {
      for (int i = 0; i < n; ++i) {
        const TPoint p = MapImageToControl(line.CalPoints[i]);
        DrawCalibMark(c, p.X, p.Y);
      }
    }
  }
}

void TGeoMap::DrawGeoGraticule(TCanvas* c, int N) {
  const map_detail::TGratBounds b = map_detail::GraticuleBounds(FCalibData.Corners);
  if (Spans(b.South, b.North)) {
    const double s = map_detail::GraticuleStep(b.North - b.South, FGratLineDist);
    for (double phi : map_detail::GridValues(b.South, b.North, s)) {
      std::vector<TPoint> pts{GeoToControl(phi, b.West)};
      for (int i = 1; i <= N; ++i) pts.push_back(GeoToControl(phi, b.West + (b.East - b.West) * i / N));
      c->Polyline(pts);
    }
  }
  if (Spans(b.West, b.East)) {
    const double s = map_detail::GraticuleStep(b.East - b.West, FGratLineDist);
    for (double lambda : map_detail::GridValues(b.West, b.East, s)) {
      std::vector<TPoint> pts{GeoToControl(b.South, lambda)};
      for (int i = 1; i <= N; ++i) pts.push_back(GeoToControl(b.South + (b.North - b.South) * i / N, lambda));
      c->Polyline(pts);
    }
  }
}

void TGeoMap::DrawUTMGrid(TCanvas* c) {
  const TCornerArray& C = FCalibData.Corners;
  const auto utm = [&](TCorners k, double& e, double& n) {
    int zone = 0;
    LatLongToUTM(C[k].Latit, C[k].Longit, FCalibData.Ellipsoid, zone, e, n);
  };
  double elow = 0, nlow = 0, ehigh = 0, dummy = 0, nhigh = 0;
  utm(gcoBottomLeft, elow, nlow);
  utm(gcoTopLeft, dummy, nhigh);
  utm(gcoBottomRight, ehigh, dummy);
  // The image's box in control pixels: the grid stays on the image wherever the view is.
  const TPoint a = MapImageToControl(TPoint{0, 0}), z = MapImageToControl(TPoint{FMapImgWidth, FMapImgHeight});
  TSLine line(nullptr);
  const auto segment = [&](TPoint p1, TPoint p2) {
    if (!line.LineFrom2Points(p1.X, p1.Y, p2.X, p2.Y)) return;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!line.ClipBox(a.X, a.Y, z.X, z.Y, x1, y1, x2, y2)) return;
    c->MoveTo(RoundToInt(x1), RoundToInt(y1));
    c->LineTo(RoundToInt(x2), RoundToInt(y2));
  };
  const double g = map_detail::UTMGridStep(nlow, nhigh, FUTMGridDist);
  if (Spans(nlow, nhigh)) {
    for (double v : map_detail::GridValues(nlow, nhigh + g, g)) {
      segment(MapImageToControl(TPoint{0, CalcUTMyFromNorthingX(v, 0)}),
              MapImageToControl(TPoint{FMapImgWidth, CalcUTMyFromNorthingX(v, FMapImgWidth)}));
    }
  }
  if (Spans(elow, ehigh)) {
    for (double v : map_detail::GridValues(elow, ehigh, g)) {
      segment(MapImageToControl(TPoint{CalcUTMxFromEastingY(v, 0), 0}),
              MapImageToControl(TPoint{CalcUTMxFromEastingY(v, FMapImgHeight), FMapImgHeight}));
    }
  }
}

double TGeoMap::LandMarkSampling(int W, int H) const {
  if (FNumLandMarks <= FLMRandSampleLimit) return 1.0;
  TCornerArray view{};
  const TPoint corners[4] = {{0, 0}, {0, H}, {W, H}, {W, 0}};  // the order of TCornerArray
  for (int k = 0; k < 4; ++k) {
    const TPoint p = ControlToMapImage(corners[k]);
    bool valid = false;
    view[k] = TCoords{CalcLatitude(p, valid), CalcLongitude(p, valid)};
  }
  int64_t count = 0;
  for (int i = 0; i < FNumLandMarks; ++i) {
    const TLandMark& lm = FLandMarks[i];
    if (FLMClassVisible[lm.ClassFlag] && PositionInMap(lm.Latitude, lm.Longitude, view)) ++count;
  }
  return count > FLMRandSampleLimit ? double(FLMRandSampleLimit) / count : 1.0;
}

bool TGeoMap::PlaceLandMark(TCanvas* c, int W, int H, const TLandMark& lm, TPoint& P) {
  int x = 0, y = 0;
  if (!CalcPixelCoords(lm.Latitude, lm.Longitude, x, y)) return false;
  P = MapImageToControl(TPoint{x, y});
  bool handled = false;
  if (OnDrawLandmark) OnDrawLandmark(this, handled, c, P, lm);
  return !handled && P.X > 0 && P.X < W && P.Y > 0 && P.Y < H;
}

void TGeoMap::DrawLandMarks(TCanvas* c, int W, int H) {
  if (FNumLandMarks == 0) return;
  c->Pen()->SetColor(clLime);
  const double p = LandMarkSampling(W, H);
  for (int i = 0; i < FNumLandMarks; ++i) {
    const TLandMark& lm = FLandMarks[i];
    if (!FLMClassVisible[lm.ClassFlag] || !BRandom(p)) continue;
    TPoint at;
    if (!PlaceLandMark(c, W, H, lm, at)) continue;
    const TSymbolProperties& s = lm.SymbolProps;
    DrawLandMarkSymbolOnCanvas(c, at.X, at.Y, s.Kind, s.FGColor, s.BGColor, s.Size, s.Direction, s.Length,
                               s.Transparent);
    map_detail::DrawLandMarkCaption(c, at.X, at.Y, lm.Caption);
  }
}

void TGeoMap::DrawHighLight(TCanvas* c, int W, int H) {
  if (FHighLM < 1 || FHighLM > FNumLandMarks) return;
  const TLandMark& lm = FLandMarks[FHighLM - 1];
  if (!FLMClassVisible[lm.ClassFlag]) return;
  TPoint at;
  if (!PlaceLandMark(c, W, H, lm, at)) return;
  const TSymbolProperties& s = lm.SymbolProps;
  DrawLandMarkSymbolOnCanvas(c, at.X, at.Y, s.Kind, FHighLMColFG, FHighLMColBG, s.Size, s.Direction, s.Length,
                             FHighLMTrans);
}

void TGeoMap::DrawMapData(TCanvas* c, int W, int H) {
  DrawOverlay(c, W, H);
  DrawLandMarks(c, W, H);
  if (OnDataRendered) OnDataRendered(this, c);
  DrawHighLight(c, W, H);
}

}  // namespace qelta
