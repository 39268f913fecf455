// Draws the two 16 x 16 check-box pictures of the table editor's "Data Read-Only" menu item (the
// project's own artwork) and writes them as PNG files: make_checkboxes <folder> writes EMPTYBOX.png
// and CHECKEDBOX.png. The build runs it and embeds the files into qeltactl.
//
// Both: a white box with a grey frame and a darker inner shadow on the transparent colour $EBBEEB
// (the bottom-left pixel, which a menu picture treats as transparent); CHECKEDBOX adds a black tick.

#include <cstdio>
#include <exception>

#include "Encoding.h"
#include "Graphics.h"

namespace {

using namespace qelta;

constexpr int kSize = 16;
constexpr TColor kTransparent = RGB(235, 190, 235), kFrame = RGB(128, 128, 128), kShadow = RGB(64, 64, 64),
                 kFace = RGB(255, 255, 255), kTick = RGB(0, 0, 0);

void DrawBox(TCanvas* c, bool checked) {
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(kTransparent);
  c->FillRect(Rect(0, 0, kSize, kSize));
  c->Pen()->SetColor(kFrame);
  c->Brush()->SetColor(kFace);
  c->Rectangle(2, 2, 15, 15);
  c->Pen()->SetColor(kShadow);
  c->MoveTo(3, 13);
  c->LineTo(3, 3);
  c->LineTo(14, 3);
  if (!checked) return;
  c->Pen()->SetColor(kTick);
  for (int dy = 0; dy < 3; ++dy) {  // a tick three pixels thick: down to (7, 11), up to (12, 6)
    c->MoveTo(5, 7 + dy);
    c->LineTo(7, 9 + dy);
    c->LineTo(12, 4 + dy);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_checkboxes <folder>\n");
    return 2;
  }
  try {
    for (const bool checked : {false, true}) {
      TBitmap box(kSize, kSize);
      DrawBox(box.Canvas(), checked);
      box.SaveToFile(Utf8ToString(argv[1]) + (checked ? u"/CHECKEDBOX.png" : u"/EMPTYBOX.png"));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_checkboxes: %s\n", e.what());
    return 1;
  }
  return 0;
}
