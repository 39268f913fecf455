// Colour bars: the five predefined colour lists as they stand, and TColorArray palettes filled by
// interpolation over them, smooth and in flat bands. Doubles as a usage example of the unit.
#include "Gallery.h"

#include <memory>
#include <span>

#include "Encoding.h"
#include "Graphics.h"
#include "Qelta_qeltacolors.h"

namespace qelta::gallery {
namespace {

constexpr int kLabel = 120, kBar = 500, kRow = 28, kGap = 6;

struct TRowSpec {
  const char* name;
  std::span<const TColor> colors;
};

const TRowSpec kLists[] = {{"Rainbow", ColorArray_Rainbow},
                           {"Geo1", ColorArray_Geo1},
                           {"Geo2", ColorArray_Geo2},
                           {"Circle", ColorArray_Circle},
                           {"Contrast", ColorArray_Contrast}};

/// One labelled bar: `count` colours from `colorAt` (1-based) spread over the bar's width.
template <typename ColorAt>
void DrawBar(TCanvas& c, int row, const char* name, int count, ColorAt colorAt) {
  const int top = kGap + row * (kRow + kGap);
  c.Brush()->SetStyle(bsClear);
  c.TextOut(kGap, top + 6, Utf8ToString(name));
  for (int x = 0; x < kBar; ++x) {
    c.Brush()->SetColor(colorAt(1 + x * count / kBar));
    c.FillRect(Rect(kLabel + x, top, kLabel + x + 1, top + kRow));
  }
}

std::unique_ptr<TBitmap> NewPicture(int rows) {
  auto bmp = std::make_unique<TBitmap>(kLabel + kBar + kGap, kGap + rows * (kRow + kGap));
  bmp->Canvas()->Font()->SetColor(clBlack);
  return bmp;
}

}  // namespace

void ColorsGallery(GalleryPage& page) {
  page.Section("Foundation: colours and palettes");
  const auto lists = NewPicture(5);
  for (int r = 0; r < 5; ++r) {
    const std::span<const TColor> colors = kLists[r].colors;
    DrawBar(*lists->Canvas(), r, kLists[r].name, static_cast<int>(colors.size()), [&](int i) { return colors[i - 1]; });
  }
  page.Add(*lists, "colors_lists.png", "The predefined colour lists Rainbow, Geo1, Geo2, Circle and Contrast");

  const auto smooth = NewPicture(6);
  TColorArray palette(nullptr);  // a new palette: 1000 colours over the rainbow
  const auto fromPalette = [&](int i) { return palette.GetColorElem(i); };
  DrawBar(*smooth->Canvas(), 0, "new palette", palette.Size(), fromPalette);
  for (int r = 1; r < 5; ++r) {
    palette.FillByInterpolation(0, kLists[r].colors);
    DrawBar(*smooth->Canvas(), r, kLists[r].name, palette.Size(), fromPalette);
  }
  palette.Resize(256);
  palette.FillByInterpolation(8, ColorArray_Rainbow);
  DrawBar(*smooth->Canvas(), 5, "8 bands", palette.Size(), fromPalette);
  page.Add(*smooth, "colors_interpolated.png",
           "TColorArray palettes filled by interpolation: a new palette, four lists, and 8 flat bands");
}

}  // namespace qelta::gallery
