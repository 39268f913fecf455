// Draws the two pictures of the map atlas's speed buttons (the project's own artwork) and writes them
// as PNG files: make_atlas_glyphs <folder> writes POINTR.png (a pointer arrow) and ZOOMIN.png (a
// magnifier with a plus). Each holds two 18 x 18 glyphs side by side, the button's normal and its
// disabled look; the bottom-left pixel's colour ($FF00FF) is transparent. The build runs it and
// embeds the files into qeltamap.

#include <cstdio>
#include <exception>
#include <initializer_list>

#include "Encoding.h"
#include "Graphics.h"

namespace {

using namespace qelta;

constexpr int kSize = 18;
constexpr TColor kTransparent = RGB(255, 0, 255), kInk = RGB(0, 0, 0), kFace = RGB(255, 255, 255),
                 kGreyInk = RGB(128, 128, 128), kGreyFace = RGB(192, 192, 192), kGlass = RGB(160, 200, 240);

void Background(TCanvas* c) {
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(kTransparent);
  c->FillRect(Rect(0, 0, 2 * kSize, kSize));
}

/// An arrow pointing up and left, its tip at (x + 4, 2).
void Pointer(TCanvas* c, int x, TColor ink, TColor face) {
  c->Pen()->SetColor(ink);
  c->Brush()->SetColor(face);
  c->Polygon({Point(x + 4, 2), Point(x + 4, 14), Point(x + 7, 11), Point(x + 10, 16), Point(x + 12, 15),
              Point(x + 9, 10), Point(x + 13, 10)});
}

/// A round glass with a handle to the bottom right and a plus inside.
void Magnifier(TCanvas* c, int x, TColor ink, TColor glass) {
  c->Pen()->SetColor(ink);
  c->Brush()->SetColor(glass);
  c->Ellipse(x + 2, 2, x + 12, 12);
  for (int d = 0; d < 2; ++d) {
    c->MoveTo(x + 10 + d, 11);
    c->LineTo(x + 15 + d, 16);
  }
  c->MoveTo(x + 5, 7);
  c->LineTo(x + 10, 7);
  c->MoveTo(x + 7, 5);
  c->LineTo(x + 7, 10);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_atlas_glyphs <folder>\n");
    return 2;
  }
  try {
    const String folder = Utf8ToString(argv[1]);
    TBitmap pointer(2 * kSize, kSize);
    Background(pointer.Canvas());
    Pointer(pointer.Canvas(), 0, kInk, kFace);
    Pointer(pointer.Canvas(), kSize, kGreyInk, kGreyFace);
    pointer.SaveToFile(folder + u"/POINTR.png");
    TBitmap zoom(2 * kSize, kSize);
    Background(zoom.Canvas());
    Magnifier(zoom.Canvas(), 0, kInk, kGlass);
    Magnifier(zoom.Canvas(), kSize, kGreyInk, kGreyFace);
    zoom.SaveToFile(folder + u"/ZOOMIN.png");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_atlas_glyphs: %s\n", e.what());
    return 1;
  }
  return 0;
}
