// Qelta_geomap: the calibration file writer (one `geomap` element, line by line, CR LF).
//
// Lines: the declaration (with Header), an empty line, the comment "<!-- TGeoMap Calibration /
// Qeltakit -->", the start tag with sig, vers, id, model, map and caption, the list element corners,
// resolution when above 0, utmzone and utmsouth when the zone is 1..60, ellipsoid, one list element
// calline per line, calquads when there are points, the end tag. A list element is three lines: the
// start tag, the items "[a,b] " and the end tag. Positions have 5 decimals, the resolution 3, a line's
// value the general float text. Nothing is escaped.

#include <array>
#include <string_view>

#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_stringl.h"
#include "SysUtils.h"
#include "TextFiles.h"

namespace qelta {

namespace {

using detail::UsedLines;
using detail::UsedPoints;
using detail::UsedQuads;

constexpr std::array<std::u16string_view, cmUndefined + 1> ModelNames = {
    u"parabolicip", u"biquadraticpn", u"conicconformal", u"millercylindrical", u"equirect", u"utm", u"undefined"};

String Attribute(const char16_t* Name, const String& Value) { return String(u" ") + Name + u"=\"" + Value + u"\""; }

String Degrees(double v) { return strff(v, 1, 5); }

/// The three lines of a list element.
void WriteList(TextFile& f, const String& StartTag, const char16_t* Tag, const String& Items) {
  WriteLn(f, StartTag);
  WriteLn(f, Items);
  WriteLn(f, String(u"</") + Tag + u">");
}

void WriteSimple(TextFile& f, const char16_t* Tag, const String& Content) {
  WriteLn(f, String(u"<") + Tag + u">" + Content + u"</" + Tag + u">");
}

}  // namespace

void WriteRawCalDataToOpenXMLFile(TextFile& f, bool Header, const String& ID, const TCalibData& CalData,
                                  TCalibModel Model) {
  if (Header) WriteLn(f, u"<?xml version=\"1.0\"?>");
  WriteLn(f);
  WriteLn(f, u"<!-- TGeoMap Calibration / Qeltakit -->");
  const String model(ModelNames[Model <= cmUndefined ? Model : cmUndefined]);
  WriteLn(f, u"<geomap" + Attribute(u"sig", u"Qeltakit") + Attribute(u"vers", u"1.0") + Attribute(u"id", ID) +
                 Attribute(u"model", model) + Attribute(u"map", CalData.MapFName) +
                 Attribute(u"caption", CalData.Caption) + u">");
  String corners;
  for (const TCoords& c : CalData.Corners) corners += u"[" + Degrees(c.Latit) + u"," + Degrees(c.Longit) + u"] ";
  WriteList(f, u"<corners>", u"corners", corners);
  if (CalData.Resolution > 0) WriteSimple(f, u"resolution", strff(CalData.Resolution, 1, 3));
  if (CalData.UTMZone >= 1 && CalData.UTMZone <= 60) {
    WriteSimple(f, u"utmzone", IntToStr(CalData.UTMZone));
    WriteSimple(f, u"utmsouth", CalData.UTMSouth ? u"TRUE" : u"FALSE");
  }
  WriteSimple(f, u"ellipsoid", String(GeoEllipsoidId[CalData.Ellipsoid < GeoEllipsoidCount ? CalData.Ellipsoid : 0]));
  for (int k = 0; k < UsedLines(CalData); ++k) {
    const TCalibLine& line = CalData.CalLines[k];
    String points;
    for (int j = 0; j < UsedPoints(line); ++j)
      points += u"[" + IntToStr(line.CalPoints[j].X) + u"," + IntToStr(line.CalPoints[j].Y) + u"] ";
    WriteList(f,
              u"<calline" + Attribute(u"type", line.LineType == gtlParallel ? u"parallel" : u"meridian") +
                  Attribute(u"value", FloatToStr(line.LineValue)) + Attribute(u"npoints", IntToStr(UsedPoints(line))) +
                  u">",
              u"calline", points);
  }
  if (UsedQuads(CalData) > 0) {
    String items;
    for (int k = 0; k < UsedQuads(CalData); ++k) {
      const TCalQuad& q = CalData.CalQuads[k];
      items += u"[" + Degrees(q.Latitude) + u"," + Degrees(q.Longitude) + u"," + IntToStr(q.MapX) + u"," +
               IntToStr(q.MapY) + u"] ";
    }
    WriteList(f, u"<calquads" + Attribute(u"npoints", IntToStr(UsedQuads(CalData))) + u">", u"calquads", items);
  }
  WriteLn(f, u"</geomap>");
}

void TGeoMap::WriteCalDataToOpenXMLFile(TextFile& f, bool Header, const String& ID) {
  CalcExtentsAndResolution();
  FCalibData.MapFName = FMapImgName;
  WriteRawCalDataToOpenXMLFile(f, Header, ID, FCalibData, FCalibModel);
}

void TGeoMap::SaveCalDataAsXML(const String& FileName, const String& ID) {
  TextFile f;
  AssignFile(f, FileName);
  Rewrite(f);
  WriteCalDataToOpenXMLFile(f, true, ID);
  CloseFile(f);
}

}  // namespace qelta
