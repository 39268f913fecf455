// The map control (qeltamap): TGeoMap placed on a form and shown: one map image at magnification 0.5
// (served from the image cache) and 1.7 (the visible part stretched), each in its simple frame, and
// the empty map; a generated graticule map with the host's own drawing, loaded through its
// calibration file. Doubles as a usage example of TGeoMap.
#include "Gallery.h"

#include <memory>

#include "Encoding.h"
#include "Forms.h"
#include "Qelta_geomap.h"

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

}  // namespace

void GeoMapGallery(GalleryPage& page) {
  page.Section("Map control (qeltamap)");
  Magnifications(page);
  GeneratedMap(page);
}

}  // namespace qelta::gallery
