// The map control (qeltamap): TGeoMap placed on a form and shown: one map image at magnification 0.5
// (served from the image cache) and 1.7 (the visible part stretched), each in its simple frame, and
// the empty map; a generated graticule map with the host's own drawing, loaded through its
// calibration file; the landmark symbols with rotated captions; a calibrated map with graticule,
// calibration marks and landmarks; a UTM grid; the atlas with the outlines of its other maps.
// Doubles as a usage example of TGeoMap and TGeoAtlas.
#include "Gallery.h"

#include <filesystem>
#include <memory>

#include "Encoding.h"
#include "Forms.h"
#include "Qelta_geoatlas.h"
#include "Qelta_geomap.h"
#include "TextFiles.h"

namespace qelta::gallery {
namespace {

/// An 800 x 600 made-up map: land, a lake, a river, roads and a town.
std::unique_ptr<TBitmap> MadeUpMap() {
  auto b = std::make_unique<TBitmap>(800, 600);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(TColor(0xA0E0B0));
  c->FillRect(Rect(0, 0, 800, 600));
  c->Pen()->SetColor(TColor(0xC08040));
  c->Brush()->SetColor(TColor(0xF0C090));
  c->Ellipse(420, 80, 700, 260);  // the lake
  c->Pen()->SetWidth(6);
  c->Polyline({Point(560, 250), Point(520, 340), Point(430, 400), Point(300, 430), Point(120, 600)});  // the river
  c->Pen()->SetColor(TColor(0x2020C0));
  c->Pen()->SetWidth(3);
  c->Polyline({Point(0, 120), Point(250, 180), Point(380, 330), Point(800, 470)});
  c->Polyline({Point(250, 0), Point(250, 180), Point(180, 600)});
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(TColor(0x8080F0));
  c->Rectangle(220, 150, 290, 210);  // the town
  Label(c, 300, 150, u"Town", clBlack);
  Label(c, 520, 160, u"Lake", TColor(0x803000));
  return b;
}

TGeoMap* Place(TForm& form, int x, int y, const TBitmap& image, double mag, TPoint topLeft) {
  auto* map = new TGeoMap(&form);
  map->SetBounds(x, y, 300, 220);
  map->SetParent(&form);
  map->SetMapBitMap(&image);
  map->SetMagnification(mag);
  map->SetTopLeft(topLeft);
  return map;
}

void Magnifications(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 940, 240);
  const std::unique_ptr<TBitmap> image = MadeUpMap();
  Place(form, 10, 10, *image, 0.5, TPoint{100, 60});  // below CacheMagLimit: from the cache
  Place(form, 320, 10, *image, 1.7, TPoint{180, 120});  // stretched: the town and the roads
  auto* empty = new TGeoMap(&form);
  empty->SetBounds(630, 10, 300, 220);
  empty->SetParent(&form);
  empty->SetColorBakGnd(TColor(0xE0E0E0));
  AddShownForm(page, form, "geomap-magnifications.png",
               "A map image at magnification 0.5 (from the cache, TopLeft (100, 60)) and 1.7 (stretched, TopLeft "
               "(180, 120)), and an empty map");
}

/// The host's drawing into the generated map: a coast line across the lower part.
void DrawCoast(TObject*, TCanvas* Canvas, double, double, double, double, int Width, int Height) {
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetColor(clNavy);
  Canvas->Pen()->SetWidth(2);
  Canvas->Polyline({Point(30, Height * 3 / 4), Point(Width / 3, Height * 2 / 3), Point(Width / 2, Height * 4 / 5),
                    Point(Width - 30, Height * 3 / 5)});
}

void GeneratedMap(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 470);
  auto* map = new TGeoMap(&form);
  map->SetBounds(10, 10, 600, 450);
  map->SetParent(&form);
  // Writes generated.bmp (4 bits) and generated.xml beside the pictures, then loads them.
  const String name = Utf8ToString((page.Folder() / "generated.dat").string());
  map->CreateAndLoadEmptyMap(name, 46.5, 8.8, 48.2, 11.1, 0.25, 0.5, 600, 450, DrawCoast);
  AddShownForm(page, form, "geomap-generated.png",
               "CreateAndLoadEmptyMap(46.5..48.2 N, 8.8..11.1 E, every 0.25 and 0.5 degrees, 600 x 450) with a "
               "coast drawn by the host, loaded back through its calibration file");
}


/// The nine symbol kinds, filled and transparent.
void SymbolSheet(GalleryPage& page) {
  TBitmap sheet(640, 180);
  TCanvas* c = sheet.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 640, 180));
  const TLandMarkElement kinds[] = {lmCross, lmSquare, lmTriangle, lmCircle, lmArrowFrom,
                                    lmArrowTo, lmCrossBox, lmSpade, lmUserDef};
  const char16_t* names[] = {u"Cross", u"Square", u"Triangle", u"Circle", u"ArrowFrom",
                             u"ArrowTo", u"CrossBox", u"Spade", u"UserDef"};
  for (int k = 0; k < 9; ++k) {
    const int x = 40 + k * 68;
    DrawLandMarkSymbolOnCanvas(c, x, 50, kinds[k], clNavy, clYellow, 9, 45, 24, false);
    DrawLandMarkSymbolOnCanvas(c, x, 130, kinds[k], clMaroon, clYellow, 9, 135, 24, true);
    Label(c, x - 28, 12, names[k]);
  }
  Label(c, 4, 160, u"above: filled, direction 45; below: transparent, direction 135");
  page.Add(sheet, "geomap-symbols.png",
           "DrawLandMarkSymbolOnCanvas: the nine kinds filled and transparent (lmUserDef draws nothing)");
}

/// The made-up map calibrated as 47..48 N, 8..9.6 E (cmEquiRect) with graticule and marks.
TGeoMap* CalibratedMap(TForm& form, const TBitmap& image) {
  auto* map = new TGeoMap(&form);
  map->SetBounds(10, 10, 600, 450);
  map->SetParent(&form);
  map->SetMapBitMap(&image);
  TCalibData cal = map->CalibData();
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {48, 8, 0, 0};
  cal.CalQuads[1] = {48, 9.6, 800, 0};
  cal.CalQuads[2] = {47, 8, 0, 600};
  map->SetCalibData(cal);
  map->SetCalibModel(cmEquiRect);
  map->SetMagnification(0.75);
  return map;
}

void GraticuleAndLandmarks(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 470);
  const std::unique_ptr<TBitmap> image = MadeUpMap();
  TGeoMap* map = CalibratedMap(form, *image);
  map->SetSuppressPaint(true);
  map->SetGratLineDist(0.2);
  map->SetShowGrat(sgPointsAndLines);
  TLandMark lm = DefaultLandMark();
  lm.Caption.FontName = u"DejaVu Sans";
  const struct {
    double lat, lon;
    TLandMarkElement kind;
    const char* text;
    int dir;
  } marks[] = {{47.7, 8.52, lmSquare, "Town", 0}, {47.6, 9.1, lmTriangle, "Lake shore", 30},
               {47.3, 8.8, lmCrossBox, "Bridge", 90}, {47.15, 9.3, lmSpade, "Farm", 0}};
  for (const auto& m : marks) {
    lm.Latitude = m.lat;
    lm.Longitude = m.lon;
    lm.SymbolProps = TSymbolProperties{m.kind, 6, clBlack, clYellow, false, 0, 20};
    lm.Caption.Text = m.text;
    lm.Caption.Direction = m.dir;
    lm.Caption.HAlignment = m.dir == 0 ? taCenter : taLeftJustify;
    lm.Caption.dx = m.dir == 0 ? 0 : 10;
    lm.Caption.dy = m.dir == 0 ? 8 : 0;
    map->AddLandMark(m.lat, m.lon, 0);
    map->SetLandMarkData(map->NumLandMarks(), lm);
  }
  map->SetHighLightProperties(clWhite, clRed, false);
  map->SetHighLM(2);
  map->SetSuppressPaint(false);
  AddShownForm(page, form, "geomap-graticule.png",
               "A calibrated map (cmEquiRect) at 0.75 with the graticule every 0.2 degrees, calibration marks, four "
               "landmarks with captions (two rotated, by 30 and 90 degrees) and the second one highlighted");
}

void UTMGrid(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 470);
  const std::unique_ptr<TBitmap> image = MadeUpMap();
  auto* map = new TGeoMap(&form);
  map->SetBounds(10, 10, 600, 450);
  map->SetParent(&form);
  map->SetMapBitMap(image.get());
  map->SetUTMZone(32);
  TCalibData cal = map->CalibData();
  cal.NumCalQuads = 3;  // 25 m per pixel, turned slightly against the grid
  cal.CalQuads[0] = {5300000, 480000, 0, 0};
  cal.CalQuads[1] = {5299000, 500000, 800, 0};
  cal.CalQuads[2] = {5285000, 479000, 0, 600};
  map->SetCalibData(cal);
  map->SetCalibModel(cmUTM);
  map->SetColorGratLine(clMaroon);
  map->SetUTMGridDist(2000);
  map->SetShowGrat(sgPointsAndUTMGrid);
  map->SetMagnification(0.75);
  AddShownForm(page, form, "geomap-utmgrid.png",
               "A cmUTM map in zone 32 with the UTM grid every 2 km, clipped to the image, and its calibration marks");
}

/// Writes a calibration file of a 200 x 150 image covering the box.
void WriteAtlasMap(const std::filesystem::path& folder, const char* name, const String& caption, double res,
                   double latLo, double latHi, double lonLo, double lonHi, TColor colour) {
  TBitmap image(200, 150);
  image.Canvas()->Brush()->SetColor(colour);
  image.Canvas()->FillRect(Rect(0, 0, 200, 150));
  image.SaveToFile(Utf8ToString((folder / (std::string(name) + ".bmp")).string()));
  TCalibData cal;
  cal.MapFName = Utf8ToString(std::string(name) + ".bmp");
  cal.Caption = caption;
  cal.Resolution = res;
  cal.Corners = {TCoords{latHi, lonLo}, TCoords{latLo, lonLo}, TCoords{latLo, lonHi}, TCoords{latHi, lonHi}};
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {latHi, lonLo, 0, 0};
  cal.CalQuads[1] = {latHi, lonHi, 200, 0};
  cal.CalQuads[2] = {latLo, lonLo, 0, 150};
  TextFile f;
  AssignFile(f, Utf8ToString((folder / (std::string(name) + ".xml")).string()));
  Rewrite(f);
  WriteRawCalDataToOpenXMLFile(f, true, u"", cal, cmEquiRect);
  CloseFile(f);
}

void Atlas(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 420);
  auto* atlas = new TGeoAtlas(&form);
  atlas->SetParent(&form);
  atlas->SetBounds(10, 10, 600, 400);
  const std::filesystem::path folder = page.Folder();
  WriteAtlasMap(folder, "atlas-region", u"Region (100 m)", 100, 46, 48, 8, 11, TColor(0xA0E0B0));
  WriteAtlasMap(folder, "atlas-valley", u"Valley (50 m)", 50, 46.6, 47.2, 8.6, 9.4, TColor(0xF0C090));
  WriteAtlasMap(folder, "atlas-town", u"Town (10 m)", 10, 47.3, 47.5, 9.7, 10.1, TColor(0x8080F0));
  for (const char* name : {"atlas-region", "atlas-valley", "atlas-town"})
    atlas->RegisterMap(Utf8ToString((folder / (std::string(name) + ".xml")).string()));
  atlas->SelectMap(1);
  atlas->CurrentMap()->SetMagnification(2.5);
  AddShownForm(page, form, "geomap-atlas.png",
               "TGeoAtlas with three registered maps: the region shown at 2.5, the outlines of the valley and town "
               "maps over it, the pointer and zoom buttons and the map selector");
}

}  // namespace

void GeoMapGallery(GalleryPage& page) {
  page.Section("Map control (qeltamap)");
  Magnifications(page);
  GeneratedMap(page);
  SymbolSheet(page);
  GraticuleAndLandmarks(page);
  UTMGrid(page);
  Atlas(page);
}

}  // namespace qelta::gallery
