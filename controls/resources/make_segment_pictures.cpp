// Draws the six segment pictures of the seven-segment display (the project's own artwork) and writes
// them as PNG files: make_segment_pictures <folder>. The build runs it and embeds the files into
// qeltactl, where TSevenSeg loads them by name.
//
// Each picture is one black shape (or two, for the colon) on pure white, sized to the places the
// display composes them at in its 312 x 432 master glyph: horizontal segments 180 x 38 at x 94, 57
// and 20 (top, middle, bottom), vertical ones 68 x 195, both slanted by 37 pixels per 197 rows as
// those places imply. The display recolours each shape by a flood fill from fixed seed points, so
// every seed lies inside its shape: the centre of SEGHORZ, SEGVERT, SEGDOT and SEGPLUS, the points
// (18, h - 18) and (w - 18, 18) of the colon's two dots, and (25, h div 2) of the degree ring. The
// ring has a slit at its foot, so that the display's final fill of the white surroundings reaches
// its hole as well. Shapes are aliased polygons and ellipses: no antialiasing, so a fill takes the
// whole shape.

#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

#include "Encoding.h"
#include "Graphics.h"

namespace {

using namespace qelta;

constexpr double kSlant = 37.0 / 197.0;  // pixels to the right per row upwards

// A polygon given upright (u, v) with the slant applied: x = u + (bottom - v) * slant.
void SlantedPolygon(TCanvas* c, std::vector<std::pair<double, double>> uv, int bottom, int dx = 0, int dy = 0) {
  std::vector<TPoint> pts;
  for (auto [u, v] : uv)
    pts.push_back(Point(dx + static_cast<int>(std::lround(u + (bottom - v) * kSlant)), dy + static_cast<int>(v)));
  c->Polygon(pts);
}

using Picture = std::unique_ptr<TBitmap>;

Picture Blank(int w, int h) {
  auto b = std::make_unique<TBitmap>(w, h);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, w, h));
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clBlack);
  return b;
}

// A horizontal bar with pointed ends, width w (upright), 38 rows.
void HorizontalBar(TCanvas* c, double w, int dx, int dy) {
  SlantedPolygon(c, {{0, 19}, {19, 0}, {w - 19, 0}, {w, 19}, {w - 19, 37}, {19, 37}}, 37, dx, dy);
}

// A vertical bar with pointed ends, 31 wide (upright), h rows.
void VerticalBar(TCanvas* c, double h, int dx, int dy) {
  SlantedPolygon(c, {{15, 0}, {31, 16}, {31, h - 17}, {15, h - 1}, {0, h - 17}, {0, 16}}, static_cast<int>(h) - 1,
                 dx, dy);
}

Picture Horizontal() {
  Picture b = Blank(180, 38);
  HorizontalBar(b->Canvas(), 172, 0, 0);
  return b;
}

Picture Vertical() {
  Picture b = Blank(68, 195);
  VerticalBar(b->Canvas(), 195, 0, 0);
  return b;
}

Picture Dot() {
  Picture b = Blank(38, 38);
  b->Canvas()->Ellipse(1, 1, 37, 37);
  return b;
}

// Middle bar and a short vertical bar through its centre, one connected shape.
Picture Plus() {
  Picture b = Blank(190, 190);
  HorizontalBar(b->Canvas(), 150, 2, 76);
  VerticalBar(b->Canvas(), 150, 62, 20);
  return b;
}

// Two dots, lower left and upper right, on the slant.
Picture Colon() {
  Picture b = Blank(80, 190);
  b->Canvas()->Ellipse(0, 154, 36, 190);
  b->Canvas()->Ellipse(44, 0, 80, 36);
  return b;
}

// A ring with a slit at its foot; its left stroke holds x = 25.
Picture Degree() {
  Picture b = Blank(100, 90);
  TCanvas* c = b->Canvas();
  c->Ellipse(10, 0, 100, 90);
  c->Pen()->SetColor(clWhite);
  c->Brush()->SetColor(clWhite);
  c->Ellipse(33, 23, 77, 67);
  c->FillRect(Rect(52, 45, 58, 90));
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_segment_pictures <folder>\n");
    return 2;
  }
  try {
    const String folder = Utf8ToString(argv[1]) + u"/";
    Horizontal()->SaveToFile(folder + u"SEGHORZ.png");
    Vertical()->SaveToFile(folder + u"SEGVERT.png");
    Dot()->SaveToFile(folder + u"SEGDOT.png");
    Plus()->SaveToFile(folder + u"SEGPLUS.png");
    Colon()->SaveToFile(folder + u"SEGCOLON.png");
    Degree()->SaveToFile(folder + u"SEGDEG.png");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_segment_pictures: %s\n", e.what());
    return 1;
  }
  return 0;
}
