// The calibration file `geomap` (writers, the map's readers, ParseCalibData), entering calibration
// points with undo, the calibration file's name, and the generated empty map.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "GeoMapTestKit.h"
#include "Qelta_geomap.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TextFiles.h"

using namespace qelta;
using qelta::test::MatchesGoldenText;
using qelta::test::TempDir;
using qelta::test::TProbeMap;

namespace {

/// A record that uses every part of the file: corners, resolution, zone 60 south, two lines and
/// three points.
TCalibData FullRecord() {
  TCalibData cal;
  cal.MapFName = u"Alps.JPG";
  cal.Caption = u"Central Alps";
  cal.Corners = {TCoords{48, 9}, TCoords{47, 9}, TCoords{47, 10.5}, TCoords{48, 10.5}};
  cal.Resolution = 12.3456;
  cal.NumCalLines = 2;
  cal.CalLines[0] = TCalibLine{gtlParallel, 47.5, 3, {TPoint{1, 2}, TPoint{30, 4}, TPoint{60, 7}}};
  cal.CalLines[1] = TCalibLine{gtlMeridian, 9.75, 3, {TPoint{10, 0}, TPoint{11, 50}, TPoint{13, 99}}};
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {48, 9, 0, 0};
  cal.CalQuads[1] = {48, 10.5, 150, 0};
  cal.CalQuads[2] = {47.25, 9.125, 0, 100};
  cal.UTMZone = 60;
  cal.UTMSouth = true;
  cal.Ellipsoid = gelInt24;
  return cal;
}

std::string TextForm(const TCalibData& cal, TCalibModel model, bool header, const String& id, TempDir& dir) {
  TextFile f;
  AssignFile(f, dir / "text.xml");
  Rewrite(f);
  WriteRawCalDataToOpenXMLFile(f, header, id, cal, model);
  CloseFile(f);
  return dir.Get("text.xml");
}

std::string Bytes(TMemoryStream& s) { return std::string(reinterpret_cast<const char*>(s.Memory()), size_t(s.Size())); }

/// A memory stream holding the text, at position 0.
struct StreamOf : TMemoryStream {
  explicit StreamOf(const std::string& text) {
    WriteBuffer(text.data(), int64_t(text.size()));
    SetPosition(0);
  }
};

/// A geomap element with the given start-tag attributes and body lines.
std::string Element(const std::string& attributes, const std::string& body) {
  return "<geomap sig=\"Qeltakit\" " + attributes + ">\r\n" + body + "</geomap>\r\n";
}

void ExpectSameRecord(const TCalibData& a, const TCalibData& b) {
  EXPECT_EQ(StringToUtf8(a.Caption), StringToUtf8(b.Caption));
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(a.Corners[k].Latit, b.Corners[k].Latit);
    EXPECT_EQ(a.Corners[k].Longit, b.Corners[k].Longit);
  }
  ASSERT_EQ(a.NumCalLines, b.NumCalLines);
  for (int k = 0; k < a.NumCalLines; ++k) {
    EXPECT_EQ(a.CalLines[k].LineType, b.CalLines[k].LineType);
    EXPECT_EQ(a.CalLines[k].LineValue, b.CalLines[k].LineValue);
    ASSERT_EQ(a.CalLines[k].NumPoints, b.CalLines[k].NumPoints);
    for (int j = 0; j < a.CalLines[k].NumPoints; ++j) EXPECT_EQ(a.CalLines[k].CalPoints[j], b.CalLines[k].CalPoints[j]);
  }
  ASSERT_EQ(a.NumCalQuads, b.NumCalQuads);
  for (int k = 0; k < a.NumCalQuads; ++k) {
    EXPECT_EQ(a.CalQuads[k].Latitude, b.CalQuads[k].Latitude);
    EXPECT_EQ(a.CalQuads[k].Longitude, b.CalQuads[k].Longitude);
    EXPECT_EQ(a.CalQuads[k].MapX, b.CalQuads[k].MapX);
    EXPECT_EQ(a.CalQuads[k].MapY, b.CalQuads[k].MapY);
  }
  EXPECT_EQ(a.UTMZone, b.UTMZone);
  EXPECT_EQ(a.UTMSouth, b.UTMSouth);
  EXPECT_EQ(a.Ellipsoid, b.Ellipsoid);
}

}  // namespace

// --- writers -----------------------------------------------------------------------------------------

TEST(GeoMapFiles, TextAndStreamFormsMatchTheirGoldenFiles) {
  TempDir dir;
  EXPECT_TRUE(MatchesGoldenText(TextForm(FullRecord(), cmParabolicIp, true, u"full", dir), "calibration_text.xml"));
  // Without a header, resolution, zone or points the text form leaves those lines out.
  TCalibData bare;
  bare.UTMZone = -1;
  bare.NumCalLines = 1;
  bare.CalLines[0] = TCalibLine{gtlMeridian, 1.0 / 3, 1, {TPoint{5, 6}}};
  EXPECT_TRUE(MatchesGoldenText(TextForm(bare, cmUndefined, false, u"bare", dir), "calibration_bare.xml"));

  TProbeMap map;
  map.SetMapBitMap(qelta::test::Quadrants(150, 100).get());
  map.SetCalibData(FullRecord());
  map.SetCalibModel(cmEquiRect);
  TMemoryStream s;
  map.SaveCalDataAsXML(s, u"full");
  EXPECT_TRUE(MatchesGoldenText(Bytes(s), "calibration_stream.xml"));
  // The stream form writes an empty calquads element and resolution 0 as well.
  TProbeMap empty;
  TMemoryStream e;
  empty.SaveCalDataAsXML(e, u"empty");
  EXPECT_NE(Bytes(e).find("<resolution>0.000</resolution>\r\n"), std::string::npos);
  EXPECT_NE(Bytes(e).find("<calquads npoints=\"0\">\r\n\r\n</calquads>\r\n"), std::string::npos);
  EXPECT_EQ(Bytes(e).find("ellipsoid"), std::string::npos);
}

TEST(GeoMapFiles, UtmZoneIsWrittenOnlyForZonesOneToSixty) {
  TempDir dir;
  for (const int zone : {60, 1, -1, 0, 61}) {
    TCalibData cal;
    cal.UTMZone = zone;
    const std::string text = TextForm(cal, cmUTM, true, u"z", dir);
    const bool written = zone >= 1 && zone <= 60;
    EXPECT_EQ(text.find("<utmzone>" + std::to_string(zone) + "</utmzone>\r\n<utmsouth>FALSE</utmsouth>") !=
                  std::string::npos,
              written)
        << zone;
    EXPECT_EQ(text.find("utmsouth") != std::string::npos, written) << zone;
  }
}

// --- round trips -----------------------------------------------------------------------------------

TEST(GeoMapFiles, SaveThenLoadGivesTheSameRecordUnderEveryModel) {
  TempDir dir;
  for (int m = cmParabolicIp; m <= cmUndefined; ++m) {
    const auto model = static_cast<TCalibModel>(m);
    TProbeMap map;
    TCalibData cal = FullRecord();
    cal.UTMZone = model == cmUTM ? 33 : 60;
    cal.UTMSouth = model != cmUTM;
    map.SetCalibData(cal);
    map.SetCalibModel(model);
    const TCalibData written = map.CalibData();  // corners and resolution as the save computes them
    TextFile f;
    AssignFile(f, dir / "rt.xml");
    Rewrite(f);
    map.WriteCalDataToOpenXMLFile(f, true, u"rt");
    CloseFile(f);
    TProbeMap back;
    ASSERT_TRUE(back.LoadCalDataFromXML(dir / "rt.xml", u"RT")) << m;
    EXPECT_EQ(back.CalibModel(), model);
    TCalibData expected = map.CalibData();
    for (TCoords& c : expected.Corners) {  // corners come back to 5 decimals
      c.Latit = StrToFloat(strff(c.Latit, 1, 5));
      c.Longit = StrToFloat(strff(c.Longit, 1, 5));
    }
    ExpectSameRecord(back.CalibData(), expected);
    EXPECT_EQ(back.UTMHemisphere(), model == cmUTM ? hemiNorth : hemiSouth);
    (void)written;
  }
}

TEST(GeoMapFiles, StreamFormLoadsBackThroughBothStreamReaders) {
  TProbeMap map;
  map.SetCalibData(FullRecord());
  map.SetCalibModel(cmBiquadraticPn);
  TMemoryStream s;
  map.SaveCalDataAsXML(s, u"S");
  s.SetPosition(0);
  TProbeMap back;
  ASSERT_TRUE(back.LoadCalDataFromXML(&s, u"s"));
  EXPECT_EQ(back.CalibModel(), cmBiquadraticPn);
  EXPECT_EQ(back.CalibData().NumCalQuads, 3);
  EXPECT_EQ(back.CalibData().NumCalLines, 2);
  EXPECT_EQ(StringToUtf8(back.CalibData().MapFName), "");  // the map had no image
  s.SetPosition(0);
  TCalibData rec;
  TCalibModel model = cmUndefined;
  ASSERT_TRUE(ParseCalibData(&s, u"", rec, model));
  EXPECT_EQ(model, cmBiquadraticPn);
  EXPECT_EQ(rec.CalQuads[2].Latitude, 47.25);
  EXPECT_FALSE(ParseCalibData(nullptr, u"", rec, model));
  EXPECT_FALSE(back.LoadCalDataFromXML(static_cast<TMemoryStream*>(nullptr), u""));
}

// --- the readers -------------------------------------------------------------------------------------

TEST(GeoMapFiles, ReadersPickTheElementByIdIgnoringCase) {
  const std::string text = "<!-- TGeoMap Calibration / Qeltakit -->\r\n" +
                           Element("id=\"a\" model=\"equirect\" caption=\"First\"", "") +
                           Element("id=\" b \" model=\"utm\" caption=\"Second\"", "");
  const struct {
    const char* id;
    bool found;
    const char* caption;
  } cases[] = {{"B", true, "Second"}, {"", true, "First"}, {"c", false, "kept"}};
  for (const auto& c : cases) {
    StreamOf s(text);
    TProbeMap map;
    map.SetMapCaption(u"kept");
    EXPECT_EQ(map.LoadCalDataFromXML(&s, Utf8ToString(c.id)), c.found) << c.id;
    EXPECT_EQ(StringToUtf8(map.Caption()), c.caption) << c.id;
    StreamOf p(text);
    TCalibData rec;
    rec.Caption = u"kept";
    TCalibModel model = cmUndefined;
    EXPECT_EQ(ParseCalibData(&p, Utf8ToString(c.id), rec, model), c.found);
    EXPECT_EQ(StringToUtf8(rec.Caption), c.caption);
  }
}

TEST(GeoMapFiles, StartLineAttributesAndModels) {
  const struct {
    const char* attributes;
    TCalibModel mapModel, parsedModel;
    const char* map;
  } cases[] = {
      {"id=\"x\" model=\"ConicConformal\" map=\"Alps.JPG\"", cmConicConformal, cmConicConformal, "alps.jpg"},
      {"id=\"x\"", cmUndefined, cmBiquadraticPn, ""},
      {"id=\"x\" model=\"mercator\"", cmUndefined, cmUndefined, ""},
      {"id=\"x\" model=\"utm\" map=\"open", cmUTM, cmUTM, ""},
  };
  for (const auto& c : cases) {
    const std::string text = Element(c.attributes, "");
    StreamOf s(text);
    TProbeMap map;
    map.SetCalibModel(cmMillerCylindrical);
    ASSERT_TRUE(map.LoadCalDataFromXML(&s, u"x")) << c.attributes;
    EXPECT_EQ(map.CalibModel(), c.mapModel) << c.attributes;
    StreamOf p(text);
    TCalibData rec;
    rec.MapFName = u"old";
    TCalibModel model = cmEquiRect;
    ASSERT_TRUE(ParseCalibData(&p, u"", rec, model));
    EXPECT_EQ(model, c.parsedModel) << c.attributes;
    EXPECT_EQ(StringToUtf8(rec.MapFName), c.map) << c.attributes;
  }
}

TEST(GeoMapFiles, CommentLineIsNoStartLine) {
  // The comment holds "qeltakit" but not "<geomap": with an empty id the element below is read.
  const std::string text = "<!-- TGeoMap Calibration / Qeltakit -->\r\n" +
                           Element("id=\"real\" caption=\"Real\"", "<resolution>2.5</resolution>\r\n");
  StreamOf s(text);
  TCalibData rec;
  TCalibModel model = cmUndefined;
  ASSERT_TRUE(ParseCalibData(&s, u"", rec, model));
  EXPECT_EQ(StringToUtf8(rec.Caption), "Real");
  EXPECT_EQ(rec.Resolution, 2.5);
}

TEST(GeoMapFiles, ShortLinesAreDroppedByTheMapAndKeptByParseCalibData) {
  const std::string text = Element("id=\"x\" model=\"parabolicip\"",
                                   "<calline type=\"parallel\" value=\"47,5\" npoints=\"2\">\r\n[1,2] [3,4] \r\n"
                                   "</calline>\r\n<calline type=\"Meridian\" value=\"1E1\" npoints=\"3\">\r\n"
                                   "[1,2] [3,4] [5,6] \r\n</calline>\r\n");
  StreamOf s(text);
  TProbeMap map;
  ASSERT_TRUE(map.LoadCalDataFromXML(&s, u""));
  ASSERT_EQ(map.CalibData().NumCalLines, 1);
  EXPECT_EQ(map.CalibData().CalLines[0].LineType, gtlMeridian);
  EXPECT_EQ(map.CalibData().CalLines[0].LineValue, 10);
  StreamOf p(text);
  TCalibData rec;
  rec.NumCalLines = 7;
  TCalibModel model = cmUndefined;
  ASSERT_TRUE(ParseCalibData(&p, u"", rec, model));
  ASSERT_EQ(rec.NumCalLines, 2);
  EXPECT_EQ(rec.CalLines[0].LineValue, 47.5);
  EXPECT_EQ(rec.CalLines[0].CalPoints[1], (TPoint{3, 4}));
}

TEST(GeoMapFiles, EllipsoidMatchesOnlyItsExactIdentifier) {
  for (const auto& [content, expected] : {std::pair{"gelInt24", gelInt24}, {"GELINT24", gelWGS84},
                                          {"nothing", gelWGS84}}) {
    StreamOf s(Element("id=\"x\"", std::string("<ellipsoid>") + content + "</ellipsoid>\r\n"));
    TCalibData rec;
    TCalibModel model = cmUndefined;
    ASSERT_TRUE(ParseCalibData(&s, u"", rec, model));
    EXPECT_EQ(rec.Ellipsoid, expected) << content;
  }
}

TEST(GeoMapFiles, MalformedElementsRaiseWithTheReadersPrefix) {
  const struct {
    const char* body;
    const char* message;
  } cases[] = {
      {"<calquads npoints=\"3\">\r\n[1,2,3,4] [5,6,7,8] \r\n</calquads>\r\n",
       "specified number of calibration points and actual number does not match"},
      {"<calline type=\"parallel\" value=\"1\" npoints=\"1\">\r\n[1,2] [3,4] \r\n</calline>\r\n",
       "specified number of calibration points and actual number does not match"},
      {"<calline type=\"Diagonal\" value=\"1\" npoints=\"0\">\r\n\r\n</calline>\r\n",
       "invalid type of graticule line: type=\"diagonal\""},
  };
  for (const auto& c : cases) {
    StreamOf s(Element("id=\"x\"", c.body));
    TProbeMap map;
    EXPECT_THROW_MSG(map.LoadCalDataFromXML(&s, u""), EQeltaGeoMapError,
                     std::string("Component \"Map\": ") + c.message);
    StreamOf p(Element("id=\"x\"", c.body));
    TCalibData rec;
    TCalibModel model = cmUndefined;
    EXPECT_THROW_MSG(ParseCalibData(&p, u"", rec, model), EQeltaGeoMapError,
                     std::string("ParseCalibData: ") + c.message);
  }
}

// Regression: more than 25 lines, 10 points, 200 calibration points or 4 corners were written past
// the record, and NumCalQuads held npoints of the file (also a negative or huge one) after a count
// error. Now the first ones are kept, the rest dropped, and the counts are those stored.
TEST(GeoMapFiles, OversizedAndNegativeCountsNeverOverrunTheRecord) {
  std::string quads, points, lines, corners;
  for (int k = 0; k < 250; ++k) quads += "[1.5,2.5," + std::to_string(k) + ",7] ";
  for (int k = 0; k < 14; ++k) points += "[" + std::to_string(k) + ",1] ";
  for (int k = 0; k < 30; ++k)
    lines += "<calline type=\"parallel\" value=\"" + std::to_string(k) + "\" npoints=\"14\">\r\n" + points +
             "\r\n</calline>\r\n";
  for (int k = 0; k < 6; ++k) corners += "[" + std::to_string(k) + ",1] ";
  const std::string body =
      "<corners>\r\n" + corners + "\r\n</corners>\r\n" + lines + "<calquads npoints=\"250\">\r\n" + quads + "\r\n</calquads>\r\n";
  StreamOf s(Element("id=\"x\" model=\"parabolicip\"", body));
  TCalibData rec;
  TCalibModel model = cmUndefined;
  ASSERT_TRUE(ParseCalibData(&s, u"", rec, model));
  EXPECT_EQ(rec.NumCalLines, MaxCalLines);
  EXPECT_EQ(rec.CalLines[24].LineValue, 24);
  EXPECT_EQ(rec.CalLines[24].NumPoints, MaxCalLinePoints);
  EXPECT_EQ(rec.CalLines[24].CalPoints[9], (TPoint{9, 1}));
  EXPECT_EQ(rec.NumCalQuads, MaxCalQuads);
  EXPECT_EQ(rec.CalQuads[199].MapX, 199);
  EXPECT_EQ(rec.Corners[3].Latit, 3);

  for (const char* npoints : {"-5", "99999999", "3"}) {
    StreamOf n(Element("id=\"x\"", std::string("<calquads npoints=\"") + npoints +
                                                       "\">\r\n[1,2,3,4] \r\n</calquads>\r\n"));
    TProbeMap map;
    EXPECT_THROW(map.LoadCalDataFromXML(&n, u""), EQeltaGeoMapError) << npoints;
    EXPECT_EQ(map.CalibData().NumCalQuads, 1) << npoints;
    EXPECT_EQ(map.CalibData().CalQuads[0].MapY, 4);
  }
}

TEST(GeoMapFiles, FileReadersAnswerFalseForMissingFilesAndFindMixedCaseNames) {
  TempDir dir;
  TProbeMap map;
  TCalibData rec;
  TCalibModel model = cmUndefined;
  EXPECT_FALSE(map.LoadCalDataFromXML(dir / "none.xml", u""));
  EXPECT_FALSE(ParseCalibData(dir / "none.xml", u"", rec, model));
  map.SetCalibData(FullRecord());
  map.SaveCalDataAsXML(dir / "Mixed.XML", u"m");
  // A lower-cased name, as the files store them, finds its mixed-case file (folder included).
  const String lower = LowerCase(dir / "Mixed.XML");
  ASSERT_TRUE(ParseCalibData(lower, u"M", rec, model));
  EXPECT_EQ(StringToUtf8(rec.Caption), "Central Alps");
  TProbeMap other;
  EXPECT_TRUE(other.LoadCalDataFromXML(lower, u""));
}

TEST(GeoMapFiles, ReaderLoadsTheImageNamedInTheFile) {
  TempDir dir;
  TBitmap image(30, 20);
  image.SaveToFile(dir / "Pic.BMP");
  const std::string text = Element("id=\"x\" model=\"equirect\" map=\"" + dir.NativeOf("Pic.BMP") + "\"",
                                   "<calquads npoints=\"3\">\r\n[50,10,0,0] [50,11,30,0] [49,10,0,20] \r\n</calquads>\r\n");
  StreamOf s(text);
  TProbeMap map;
  ASSERT_TRUE(map.LoadCalDataFromXML(&s, u""));  // true although no graticule line is usable
  EXPECT_EQ(map.MapImgWidth(), 30);
  bool valid = false;
  EXPECT_NEAR(map.CalcLongitude(15, 10, valid), 10.5, 1e-9);
  EXPECT_TRUE(valid);
}

// --- calibration points ------------------------------------------------------------------------------

TEST(GeoMapCalPoints, PointFormsCheckTheModelAndFillUpTo200) {
  TProbeMap map;
  EXPECT_THROW_MSG(map.AddCalibPoint(1.0, 2.0, 3, 4), EQeltaGeoMapError,
                   "Component \"Map\": current calibration model does not support this version of AddCalibPoint");
  EXPECT_THROW(map.AddCalibPoint(gtlParallel, 1.0, 3, 4), EQeltaGeoMapError);
  EXPECT_THROW_MSG(map.RemoveCalibPoint(gtlParallel, 1.0, 3, 4), EQeltaGeoMapError,
                   "Component \"Map\": current calibration model does not support this version of RemoveCalibPoint");
  map.SetCalibModel(cmEquiRect);
  for (int k = 0; k < 200; ++k) ASSERT_TRUE(map.AddCalibPoint(50 - k * 0.01, 10 + (k % 7) * 0.1, k % 7, k));
  map.paints = 0;
  EXPECT_FALSE(map.AddCalibPoint(1.0, 2.0, 3, 4));
  EXPECT_EQ(map.CalibData().NumCalQuads, 200);
  EXPECT_EQ(map.paints, 1);
  EXPECT_THROW(map.AddCalibPoint(1.0, 2.0, 33, hemiNorth, 3, 4), EQeltaGeoMapError);
}

TEST(GeoMapCalPoints, UtmPointsNeedTheMapsZoneAndHemisphere) {
  TProbeMap map;
  map.SetCalibModel(cmUTM);
  map.SetUTMZone(33);
  EXPECT_THROW_MSG(map.AddCalibPoint(5300000.0, 400000.0, 32, hemiNorth, 0, 0), EQeltaGeoMapError,
                   "Component \"Map\": UTM zone parameter changed");
  EXPECT_THROW(map.AddCalibPoint(5300000.0, 400000.0, 33, hemiSouth, 0, 0), EQeltaGeoMapError);
  EXPECT_TRUE(map.AddCalibPoint(5300000.0, 400000.0, 33, hemiNorth, 0, 0));
  EXPECT_EQ(map.CalibData().CalQuads[0].Latitude, 5300000.0);
  EXPECT_EQ(map.CalibData().NumCalQuads, 1);
}

TEST(GeoMapCalPoints, LineFormCollectsPointsByExactValue) {
  TProbeMap map;
  map.SetCalibModel(cmParabolicIp);
  EXPECT_TRUE(map.AddCalibPoint(gtlParallel, 47.5, 1, 2));
  EXPECT_TRUE(map.AddCalibPoint(gtlParallel, 47.5, 5, 6));
  EXPECT_EQ(map.CalibData().NumCalLines, 1);
  EXPECT_EQ(map.CalibData().CalLines[0].NumPoints, 2);
  EXPECT_TRUE(map.AddCalibPoint(gtlParallel, std::nextafter(47.5, 48.0), 1, 2));
  EXPECT_TRUE(map.AddCalibPoint(gtlMeridian, 47.5, 1, 2));
  EXPECT_EQ(map.CalibData().NumCalLines, 3);
  for (int k = 2; k < 10; ++k) EXPECT_TRUE(map.AddCalibPoint(gtlParallel, 47.5, k, k));
  EXPECT_FALSE(map.AddCalibPoint(gtlParallel, 47.5, 99, 99));  // the 11th point
  EXPECT_EQ(map.CalibData().CalLines[0].NumPoints, 10);
  for (int k = 3; k < 25; ++k) map.AddCalibPoint(gtlMeridian, k, 0, 0);
  EXPECT_FALSE(map.AddCalibPoint(gtlMeridian, 99.0, 0, 0));  // a 26th line
  EXPECT_EQ(map.CalibData().NumCalLines, 25);

  EXPECT_FALSE(map.RemoveCalibPoint(gtlParallel, 47.5, 7, 8));  // not on the line
  EXPECT_EQ(map.CalibData().CalLines[0].NumPoints, 10);
  EXPECT_TRUE(map.RemoveCalibPoint(gtlParallel, 47.5, 1, 2));
  EXPECT_EQ(map.CalibData().CalLines[0].CalPoints[0], (TPoint{9, 9}));  // the last took its place
  // A line left without points is replaced by the last line.
  EXPECT_TRUE(map.RemoveCalibPoint(gtlMeridian, 47.5, 1, 2));
  EXPECT_EQ(map.CalibData().NumCalLines, 24);
  EXPECT_EQ(map.CalibData().CalLines[2].LineValue, 24);
}

TEST(GeoMapCalPoints, RemovingNearestPointCanBeUndoneOnce) {
  TProbeMap map;
  map.SetCalibModel(cmEquiRect);
  map.AddCalibPoint(50.0, 10.0, 0, 0);
  map.AddCalibPoint(50.0, 11.0, 100, 0);
  map.AddCalibPoint(49.0, 10.0, 0, 100);
  EXPECT_TRUE(map.RemoveCalibPoint(90, 5));
  EXPECT_EQ(map.CalibData().NumCalQuads, 2);
  EXPECT_EQ(map.CalibData().CalQuads[1].MapY, 100);  // the last took the removed one's place
  map.RestoreLastDeletedCalPoint();
  EXPECT_EQ(map.CalibData().NumCalQuads, 3);
  EXPECT_EQ(map.CalibData().CalQuads[2].Longitude, 11.0);
  map.RestoreLastDeletedCalPoint();
  EXPECT_EQ(map.CalibData().NumCalQuads, 3);

  TProbeMap lines;
  lines.SetCalibModel(cmParabolicIp);
  EXPECT_FALSE(lines.RemoveCalibPoint(0, 0));
  lines.AddCalibPoint(gtlMeridian, 9.5, 10, 10);
  lines.AddCalibPoint(gtlMeridian, 9.5, 40, 40);
  EXPECT_TRUE(lines.RemoveCalibPoint(38, 41));
  EXPECT_EQ(lines.CalibData().CalLines[0].NumPoints, 1);
  lines.RestoreLastDeletedCalPoint();
  EXPECT_EQ(lines.CalibData().CalLines[0].NumPoints, 2);
  EXPECT_EQ(lines.CalibData().CalLines[0].CalPoints[1], (TPoint{40, 40}));

  TProbeMap none;
  EXPECT_FALSE(none.RemoveCalibPoint(0, 0));
}

TEST(GeoMapCalPoints, CalibDataFileLoadsAnExistingFileAndKeepsTheNameOtherwise) {
  TempDir dir;
  TProbeMap writer;
  writer.SetCalibData(FullRecord());
  writer.SetCalibModel(cmConicConformal);
  writer.SaveCalDataAsXML(dir / "cal.xml", u"one");
  TProbeMap map;
  map.SetMapBitMap(qelta::test::Quadrants(20, 10).get());
  map.SetCalDatName(dir / "cal.xml");
  EXPECT_EQ(map.CalibDataFile(), dir / "cal.xml");
  EXPECT_EQ(map.CalibModel(), cmConicConformal);
  EXPECT_EQ(map.CalibData().NumCalQuads, 3);
  map.SetMapBitMap(qelta::test::Quadrants(20, 10).get());
  map.paints = 0;
  map.SetCalDatName(dir / "missing.xml");
  EXPECT_EQ(map.CalibDataFile(), dir / "cal.xml");
  EXPECT_TRUE(map.MapImgFile().empty());
  EXPECT_EQ(map.MapImgWidth(), 0);
  EXPECT_GE(map.paints, 1);
}

// --- the generated map ---------------------------------------------------------------------------------

TEST(GeoMapEmptyMap, WritesAFourBitImageAndItsCalibrationAndLoadsThem) {
  TempDir dir;
  TProbeMap map;
  map.CreateAndLoadEmptyMap(dir / "x.dat", 48, 10, 47, 9, 0, 0, 50, 50, nullptr);
  const std::string bmp = dir.Get("x.bmp");
  ASSERT_GE(bmp.size(), 118u);
  EXPECT_EQ(bmp[28], 4);  // bits per pixel
  EXPECT_EQ(map.MapImgWidth(), 100);
  EXPECT_EQ(map.MapImgHeight(), 100);
  EXPECT_EQ(map.CalibModel(), cmBiquadraticPn);
  const TCalibData& cal = map.CalibData();
  EXPECT_EQ(StringToUtf8(cal.Caption), "Map generated by TGeoMap");
  const TCoords corners[4] = {{48, 9}, {47, 9}, {47, 10}, {48, 10}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(cal.Corners[k].Latit, corners[k].Latit) << k;
    EXPECT_EQ(cal.Corners[k].Longit, corners[k].Longit) << k;
  }
  ASSERT_EQ(cal.NumCalQuads, 9);
  EXPECT_EQ(cal.CalQuads[0].MapX, 30);
  EXPECT_EQ(cal.CalQuads[0].MapY, 70);
  EXPECT_EQ(cal.CalQuads[8].MapX, 70);
  EXPECT_EQ(cal.CalQuads[8].MapY, 30);
  EXPECT_EQ(cal.CalQuads[4].Latitude, 47.5);
  const std::string xml = dir.Get("x.xml");
  EXPECT_NE(xml.find("id=\"Qelta_geomap_caldata\" model=\"biquadraticpn\""), std::string::npos);
  // The frame inset 30 in black, the dotted frame inset 26, and no graticule line strictly inside
  // (1 degree steps over a 1 degree range fall on the frame).
  const TBitmap* image = map.MapBitmap();
  EXPECT_EQ(image->Canvas()->Pixels(30, 50), clBlack);
  EXPECT_EQ(image->Canvas()->Pixels(50, 30), clBlack);
  EXPECT_EQ(image->Canvas()->Pixels(26, 26), clBlack);
  EXPECT_EQ(image->Canvas()->Pixels(50, 50), clWhite);
  bool valid = false;
  EXPECT_NEAR(map.CalcLatitude(50, 50, valid), 47.5, 1e-9);
}

TEST(GeoMapEmptyMap, GraticuleLinesAndTheHostsDrawingLandInTheImage) {
  TempDir dir;
  TProbeMap map;
  static int calls = 0;
  calls = 0;
  map.CreateAndLoadEmptyMap(dir / "g.bmp", 47, 9, 48, 10, 0.5, 0.25, 400, 160,
                            [](TObject*, TCanvas* c, double, double, double, double, int w, int h) {
                              ++calls;
                              c->SetPixels(w / 2, h / 2 + 3, clRed);
                            });
  EXPECT_EQ(calls, 1);
  const TCanvas* c = map.MapBitmap()->Canvas();
  // The parallel 47.5 runs at y = 160 - 50 - 30 = 80, the meridian 9.5 at x = 170 + 30 = 200, dashed
  // $C0C0C0 (the labels stand at the ends of the lines); the host drew a red pixel on the meridian.
  int row = 0, column = 0;
  for (int k = 31; k < 130; ++k) {
    row += c->Pixels(k + 100, 80) == TColor(0xC0C0C0);
    column += c->Pixels(200, k) == TColor(0xC0C0C0);
  }
  EXPECT_GT(row, 60);
  EXPECT_GT(column, 60);
  EXPECT_EQ(c->Pixels(200, 83), clRed);
  EXPECT_EQ(c->Pixels(200, 132), clWhite);  // between the frames: no line
}

// Regression: an empty range divided by zero, and an image the map refuses was written first.
TEST(GeoMapEmptyMap, RefusesRangesAndSizesItCannotDrawBeforeWritingAnything) {
  TempDir dir;
  TProbeMap map;
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_THROW_MSG(map.CreateAndLoadEmptyMap(dir / "e.bmp", 47, 9, 47, 10, 1, 1, 100, 100, nullptr),
                   EQeltaGeoMapError, "Component \"Map\": empty range of latitude or longitude for the generated map");
  EXPECT_THROW(map.CreateAndLoadEmptyMap(dir / "e.bmp", 47, 9, 48, 9, 1, 1, 100, 100, nullptr), EQeltaGeoMapError);
  EXPECT_THROW_MSG(map.CreateAndLoadEmptyMap(dir / "e.bmp", 47, 9, 48, 10, 1, 1, 2001, 1500, nullptr),
                   EQeltaGeoMapError,
                   "Component \"Map\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map is 2001 x "
                   "1500)");
  EXPECT_THROW(map.CreateAndLoadEmptyMap(dir / "e.bmp", 47, 9, inf, 10, 1, 1, 100, 100, nullptr), EQeltaGeoMapError);
  EXPECT_THROW(map.CreateAndLoadEmptyMap(dir / "e.bmp", 47, 9, NAN, 10, 1, 1, 100, 100, nullptr), EQeltaGeoMapError);
  EXPECT_THROW_MSG(map.CreateAndLoadEmptyMap(dir / "e.bmp", 0, 0, 1, 1, 1e-5, 1, 100, 100, nullptr), EQeltaGeoMapError,
                   "Component \"Map\": more than 10000 graticule lines for the generated map");
  EXPECT_EQ(dir.Get("e.bmp"), "");
  EXPECT_EQ(dir.Get("e.xml"), "");
  // A huge position with a step below the spacing of its doubles ends (the lines are counted).
  map.CreateAndLoadEmptyMap(dir / "far.bmp", 1e20, 0, 1e20 + 1e6, 1, 1000, 1, 100, 100, nullptr);
  EXPECT_EQ(map.MapImgWidth(), 100);
}
