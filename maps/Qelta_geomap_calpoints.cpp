// Qelta_geomap: entering the calibration point by point (graticule lines under cmParabolicIp,
// geographic or UTM points under the other models) with a one-deep undo of the last removal, naming
// the calibration file, and generating a blank graticule map with its calibration file.
//
// Every change refits at once (RecalcCalibration), so the map is always drawn with the calibration
// it holds. Full tables (25 lines, 10 points a line, 200 points) drop a new point silently; the forms
// answer whether it was stored.
//
// The generated map: a 4-bit bitmap, a frame inset 30 pixels, a dotted frame inset 26, parallels and
// meridians as dashed $C0C0C0 lines between the frames' inner edge with their labels outside, then
// the host's drawing. Its calibration holds the corners and nine points on a 3 x 3 grid and is read
// back through the file, so the map ends as a reloaded one would. Deliberate deviations, each a mended
// fault: an empty or undefined range of latitude or longitude (the scale divided by zero), a step
// giving more than 10,000 lines in one direction, and an image the map would refuse (more than
// 3,000,000 pixels) raise EQeltaGeoMapError before anything is written; the lines are counted by an
// index, so a step below the spacing of the doubles cannot stall the loop. Image and calibration are
// saved together: a failure leaves both old files and the map as it was.

#include <algorithm>
#include <cmath>

#include "FileSys.h"
#include "Qelta_filesys.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_math1.h"
#include "SysUtils.h"
#include "TextFiles.h"

namespace qelta {

namespace {

using map_detail::RoundToInt;

constexpr int kFrame = 30;

double SquaredDistance(int X, int Y, int PX, int PY) {
  const double dx = double(X) - PX, dy = double(Y) - PY;
  return dx * dx + dy * dy;
}

/// Removes point j of line k: the line's last point takes its place, an emptied line is replaced by
/// the last line.
void RemoveLinePoint(TCalibData& Cal, int k, int j) {
  TCalibLine& line = Cal.CalLines[k];
  line.CalPoints[j] = line.CalPoints[map_detail::UsedPoints(line) - 1];
  line.NumPoints = map_detail::UsedPoints(line) - 1;
  if (line.NumPoints > 0) return;
  Cal.CalLines[k] = Cal.CalLines[map_detail::UsedLines(Cal) - 1];
  Cal.NumCalLines = map_detail::UsedLines(Cal) - 1;
}

/// Index of the line of that kind and exactly that value; -1 when none.
int FindLine(const TCalibData& Cal, TGratLineKind Kind, double Value) {
  for (int k = 0; k < map_detail::UsedLines(Cal); ++k)
    if (Cal.CalLines[k].LineType == Kind && Cal.CalLines[k].LineValue == Value) return k;
  return -1;
}

bool IsPointModel(TCalibModel m) { return m >= cmBiquadraticPn && m <= cmEquiRect; }

}  // namespace

// [SECTION] adding and removing

void TGeoMap::RequireModel(bool Allowed, const char16_t* Routine) const {
  if (!Allowed)
    throw EQeltaGeoMapError(
        ComponentMessage(String(u"current calibration model does not support this version of ") + Routine));
}

bool TGeoMap::StoreCalQuad(const TCalQuad& Quad) {
  if (map_detail::UsedQuads(FCalibData) >= MaxCalQuads) return false;
  FCalibData.CalQuads[map_detail::UsedQuads(FCalibData)] = Quad;
  FCalibData.NumCalQuads = map_detail::UsedQuads(FCalibData) + 1;
  return true;
}

bool TGeoMap::AddCalibPoint(TGratLineKind Kind, double Value, int X, int Y) {
  RequireModel(FCalibModel == cmParabolicIp, u"AddCalibPoint");
  int k = FindLine(FCalibData, Kind, Value);
  if (k < 0 && map_detail::UsedLines(FCalibData) < MaxCalLines) {
    k = map_detail::UsedLines(FCalibData);
    FCalibData.CalLines[k] = TCalibLine{Kind, Value, 0, {}};
    FCalibData.NumCalLines = k + 1;
  }
  bool added = false;
  if (k >= 0 && map_detail::UsedPoints(FCalibData.CalLines[k]) < MaxCalLinePoints) {
    TCalibLine& line = FCalibData.CalLines[k];
    line.CalPoints[map_detail::UsedPoints(line)] = TPoint{X, Y};
    line.NumPoints = map_detail::UsedPoints(line) + 1;
    added = true;
  }
  RecalcCalibration();
  return added;
}

bool TGeoMap::AddCalibPoint(double Latitude, double Longitude, int X, int Y) {
  RequireModel(IsPointModel(FCalibModel), u"AddCalibPoint");
  const bool added = StoreCalQuad(TCalQuad{Latitude, Longitude, X, Y});
  if (added) RecalcCalibration();
  else Paint();
  return added;
}

bool TGeoMap::AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int X, int Y) {
  RequireModel(FCalibModel == cmUTM, u"AddCalibPoint");
  if (Zone != FCalibData.UTMZone || (Hemisphere == hemiSouth) != FCalibData.UTMSouth)
    throw EQeltaGeoMapError(ComponentMessage(u"UTM zone parameter changed"));
  const bool added = StoreCalQuad(TCalQuad{Northing, Easting, X, Y});
  if (added) RecalcCalibration();
  else Paint();
  return added;
}

bool TGeoMap::RemoveCalibPoint(TGratLineKind Kind, double Value, int X, int Y) {
  RequireModel(FCalibModel == cmParabolicIp, u"RemoveCalibPoint");
  const int k = FindLine(FCalibData, Kind, Value);
  bool removed = false;
  for (int j = 0; k >= 0 && !removed && j < map_detail::UsedPoints(FCalibData.CalLines[k]); ++j) {
    if (FCalibData.CalLines[k].CalPoints[j] != TPoint{X, Y}) continue;
    RemoveLinePoint(FCalibData, k, j);
    removed = true;
  }
  RecalcCalibration();
  return removed;
}

bool TGeoMap::RemoveCalibPoint(int X, int Y) {
  bool removed = false;
  if (FCalibModel >= cmBiquadraticPn && FCalibModel <= cmUTM && map_detail::UsedQuads(FCalibData) > 0) {
    const int n = map_detail::UsedQuads(FCalibData);
    int best = 0;
    for (int k = 1; k < n; ++k)
      if (SquaredDistance(X, Y, FCalibData.CalQuads[k].MapX, FCalibData.CalQuads[k].MapY) <
          SquaredDistance(X, Y, FCalibData.CalQuads[best].MapX, FCalibData.CalQuads[best].MapY))
        best = k;
    FBiQuadOops = FCalibData.CalQuads[best];
    FRestoreBiQuadOK = true;
    FCalibData.CalQuads[best] = FCalibData.CalQuads[n - 1];
    FCalibData.NumCalQuads = n - 1;
    removed = true;
  } else if (FCalibModel == cmParabolicIp) {
    int bestLine = -1, bestPoint = -1;
    double bestDist = 0;
    for (int k = 0; k < map_detail::UsedLines(FCalibData); ++k)
      for (int j = 0; j < map_detail::UsedPoints(FCalibData.CalLines[k]); ++j) {
        const TPoint p = FCalibData.CalLines[k].CalPoints[j];
        const double d = SquaredDistance(X, Y, p.X, p.Y);
        if (bestLine < 0 || d < bestDist) {
          bestLine = k;
          bestPoint = j;
          bestDist = d;
        }
      }
    if (bestLine >= 0) {
      const TCalibLine& line = FCalibData.CalLines[bestLine];
      FParaIpOops = TParaIpUndo{line.LineType, line.LineValue, line.CalPoints[bestPoint]};
      FRestoreParaIpOK = true;
      RemoveLinePoint(FCalibData, bestLine, bestPoint);
      removed = true;
    }
  }
  RecalcCalibration();
  return removed;
}

void TGeoMap::RestoreLastDeletedCalPoint() {
  if (FCalibModel == cmParabolicIp && FRestoreParaIpOK) {
    FRestoreParaIpOK = false;
    AddCalibPoint(FParaIpOops.Kind, FParaIpOops.Value, FParaIpOops.Point.X, FParaIpOops.Point.Y);
  } else if (FCalibModel == cmUTM && FRestoreBiQuadOK) {
    FRestoreBiQuadOK = false;
    AddCalibPoint(FBiQuadOops.Latitude, FBiQuadOops.Longitude, FCalibData.UTMZone, UTMHemisphere(), FBiQuadOops.MapX,
                  FBiQuadOops.MapY);
  } else if (IsPointModel(FCalibModel) && FRestoreBiQuadOK) {
    FRestoreBiQuadOK = false;
    AddCalibPoint(FBiQuadOops.Latitude, FBiQuadOops.Longitude, FBiQuadOops.MapX, FBiQuadOops.MapY);
  }
}

// [SECTION] the calibration file's name

void TGeoMap::SetCalDatName(const String& FileName) {
  if (FileExists(map_detail::ExistingFileName(FileName))) {
    FCalDatName = FileName;
    LoadCalDataFromXML(FileName, String());
  } else {
    EmptyMap();
  }
  Paint();
}

// [SECTION] the generated map

namespace {

/// The bounds and steps of a generated map, put in order and checked.
struct TEmptyMapFrame {
  double LatLow, LongLow, LatHigh, LongHigh, dLat, dLong;
  int Wid, Hgt;
};

/// Number of lines from trunc(Low / Step) * Step up to (not including) High.
double LineCount(double Low, double High, double Step) { return (High - std::trunc(Low / Step) * Step) / Step; }

/// Label of a line at v: the degrees of |v| with the hemisphere letter.
String LineLabel(double v, double Step, const char16_t* Positive, const char16_t* Negative) {
  const TDegreeFormat format = Step <= 0.06 ? dfDegMinSec : dfDegMin;
  return u" " + DegreeToStr(std::fabs(v), format, 0) + (v >= 0 ? Positive : Negative);
}

/// Calls Draw(v) for v = trunc(Low / Step) * Step, + Step, ... while below High.
template <typename Draw>
void ForEachGratLine(double Low, double High, double Step, Draw&& draw) {
  for (double v : map_detail::GridValues(Low, High, Step)) draw(v);
}

void DrawGraticule(TCanvas* c, const TEmptyMapFrame& f) {
  const int inner = f.Hgt - 2 * kFrame;
  ForEachGratLine(f.LatLow, f.LatHigh, f.dLat, [&](double v) {
    const int y = f.Hgt - RoundToInt((v - f.LatLow) / (f.LatHigh - f.LatLow) * inner) - kFrame;
    if (y <= kFrame || y >= f.Hgt - kFrame) return;
    c->MoveTo(kFrame, y);
    c->LineTo(f.Wid - kFrame, y);
    const String label = LineLabel(v, f.dLat, u" N ", u" S ");
    const int w = c->TextWidth(label), h = c->TextHeight(label);
    c->TextOut(36, y - h / 2, label);
    c->TextOut(f.Wid - w - 36, y - h / 2, label);
  });
  ForEachGratLine(f.LongLow, f.LongHigh, f.dLong, [&](double v) {
    const int x = RoundToInt((v - f.LongLow) / (f.LongHigh - f.LongLow) * (f.Wid - 2 * kFrame)) + kFrame;
    if (x <= kFrame || x >= f.Wid - kFrame) return;
    c->MoveTo(x, kFrame);
    c->LineTo(x, f.Hgt - kFrame);
    const String label = LineLabel(v, f.dLong, u" E ", u" W ");
    const int w = c->TextWidth(label), h = c->TextHeight(label);
    c->TextOut(x - w / 2, 24 - h, label);
    c->TextOut(x - w / 2, f.Hgt - 24, label);
  });
}

/// A closed outline through the corners of the rectangle inset by Inset.
void DrawInsetFrame(TCanvas* c, int Wid, int Hgt, int Inset) {
  const TPoint corners[5] = {{Inset, Inset}, {Wid - Inset, Inset}, {Wid - Inset, Hgt - Inset}, {Inset, Hgt - Inset},
                             {Inset, Inset}};
  c->Polyline(corners);
}

/// The record of a generated map: corners and nine points on a 3 x 3 grid.
TCalibData EmptyMapCalibration(const TEmptyMapFrame& f, const String& ImageName) {
  TCalibData cal;
  cal.MapFName = ImageName;
  cal.Caption = u"Map generated by TGeoMap";
  cal.Corners = {TCoords{f.LatHigh, f.LongLow}, TCoords{f.LatLow, f.LongLow}, TCoords{f.LatLow, f.LongHigh},
                 TCoords{f.LatHigh, f.LongHigh}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      cal.CalQuads[3 * (i - 1) + j - 1] =
          TCalQuad{f.LatLow + (f.LatHigh - f.LatLow) * (i - 1) / 2, f.LongLow + (f.LongHigh - f.LongLow) * (j - 1) / 2,
                   RoundToInt((j - 1) * (f.Wid - 60) / 2.0 + 30), RoundToInt(f.Hgt - 30 - (f.Hgt - 60) * (i - 1) / 2.0)};
  cal.NumCalQuads = 9;
  cal.UTMZone = 0;
  return cal;
}

}  // namespace

void TGeoMap::CreateAndLoadEmptyMap(const String& FileName, double LatLow, double LongLow, double LatHigh,
                                    double LongHigh, double dLat, double dLong, int Wid, int Hgt,
                                    TOnDrawMapDataEvent OnDrawMapData) {
  TEmptyMapFrame f{std::min(LatLow, LatHigh), std::min(LongLow, LongHigh), std::max(LatLow, LatHigh),
                   std::max(LongLow, LongHigh), dLat > 0 ? dLat : 1.0, dLong > 0 ? dLong : 1.0,
                   std::max(Wid, 100), std::max(Hgt, 100)};
  for (double v : {LatLow, LongLow, LatHigh, LongHigh})
    if (!std::isfinite(v)) throw EQeltaGeoMapError(ComponentMessage(u"bounds of the generated map are not finite"));
  if (f.LatLow == f.LatHigh || f.LongLow == f.LongHigh)
    throw EQeltaGeoMapError(ComponentMessage(u"empty range of latitude or longitude for the generated map"));
  if (!(LineCount(f.LatLow, f.LatHigh, f.dLat) <= double(map_detail::kMaxGridLines)) ||
      !(LineCount(f.LongLow, f.LongHigh, f.dLong) <= double(map_detail::kMaxGridLines)))
    throw EQeltaGeoMapError(ComponentMessage(u"more than 10000 graticule lines for the generated map"));
  CheckImageSize(f.Wid, f.Hgt);

  const String base = StripExtension(FileName);
  const String calName = base + u".xml", imageName = base + u".bmp";
  TBitmap bmp(f.Wid, f.Hgt);
  bmp.SetPixelFormat(pf4bit);
  TCanvas* c = bmp.Canvas();
  DrawInsetFrame(c, f.Wid, f.Hgt, kFrame);
  c->Pen()->SetStyle(psDot);
  DrawInsetFrame(c, f.Wid, f.Hgt, 26);
  c->Pen()->SetStyle(psDash);
  c->Pen()->SetColor(TColor(0xC0C0C0));
  DrawGraticule(c, f);
  if (OnDrawMapData != nullptr) OnDrawMapData(this, c, f.LatLow, f.LongLow, f.LatHigh, f.LongHigh, f.Wid, f.Hgt);
  map_detail::SaveImageAndCalibration(bmp, imageName, calName, [&](TextFile& file) {
    WriteRawCalDataToOpenXMLFile(file, true, u"Qelta_geomap_caldata", EmptyMapCalibration(f, imageName),
                                 cmBiquadraticPn);
  });
  ClearCalibData();
  LoadCalDataFromXML(calName, u"Qelta_geomap_caldata");
  Paint();
}

}  // namespace qelta
