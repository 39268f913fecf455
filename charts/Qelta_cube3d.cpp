// Qelta_cube3d: number helpers and picture output shared by the surface plot and the 3-D display.
//
// Output: the displays render into a bitmap of their own; a BMP copy writes that bitmap, the clipboard
// gets a copy of it, and printing stretches it onto the printer's 600 dpi page by 600 / 96 x Scale,
// so Scale 1 prints the picture at its size on the screen. Metafiles do not exist on this platform:
// the displays refuse them with their own error class and the text made here.

#include <algorithm>
#include <cmath>
#include <limits>

#include "Clipbrd.h"
#include "Math.h"
#include "Printers.h"
#include "Qelta_cube3d.h"
#include "Qelta_vecmat_internal.h"
#include "Screen.h"

namespace qelta::plot_detail {

// [SECTION] drawing

TColor ShadeBetween(TColor Low, TColor High, int Part, int Whole) {
  const TColor lo = ColorToRGB(Low), hi = ColorToRGB(High);
  const auto channel = [&](uint8_t l, uint8_t h) { return static_cast<uint8_t>(l + (h - l) * Part / Whole); };
  return RGB(channel(GetRValue(lo), GetRValue(hi)), channel(GetGValue(lo), GetGValue(hi)),
             channel(GetBValue(lo), GetBValue(hi)));
}

void DrawCubeFace(TCanvas* c, TBoundingBox Style, const std::array<TPoint, 4>& Corners, TColor Color) {
  c->Brush()->SetColor(Color);
  if (Style == bbFrame) c->Brush()->SetStyle(bsClear);
  c->Polygon(Corners);
}

// [SECTION] numbers

double StepAway(double v, double d) {
  const double w = v + d;
  return w != v ? w : std::nextafter(v, d > 0 ? std::numeric_limits<double>::infinity()
                                               : -std::numeric_limits<double>::infinity());
}

int ClampToInt(double v, int lo, int hi) {
  if (!(v >= lo)) return lo;
  if (v > hi) return hi;
  return static_cast<int>(v);
}

// [SECTION] picture output

String MetafileRefusal(const TComponent& c) {
  return num_detail::ComponentText(c, u"metafile output (WMF/EMF) is not available on this platform");
}

void SavePictureAsBmp(const TBitmap& picture, const String& FileName) {
  platform_detail::WriteFileBytes(FileName, picture.SaveToBytes());
}

void CopyPictureToClipboard(const TBitmap& picture) { Clipboard()->SetBitmap(&picture); }

void CopyPictureToOpenPrinter(TBitmap& picture, int& X, int& Y, double Scale) {
  if (!std::isfinite(Scale) || Scale <= 0) Scale = 1.0;
  Scale = std::clamp(Scale, 0.01, 100.0);
  const double factor = Scale * Printer()->PixelsPerInch() / Screen()->PixelsPerInch();
  const int right = ClampToInt(X + std::nearbyint(picture.Width() * factor), INT32_MIN, INT32_MAX);
  const int bottom = ClampToInt(Y + std::nearbyint(picture.Height() * factor), INT32_MIN, INT32_MAX);
  Printer()->Canvas()->StretchDraw(Rect(X, Y, right, bottom), &picture);
  X = right;
  Y = bottom;
}

void PrintPicture(TBitmap& picture, const String& Title, double Scale) {
  TPrinter* printer = Printer();
  printer->SetTitle(Title);
  printer->BeginDoc();
  int x = 0, y = 0;
  try {
    CopyPictureToOpenPrinter(picture, x, y, Scale);
  } catch (...) {
    printer->Abort();
    throw;
  }
  printer->EndDoc();
}

void ToGrayLevels(TBitmap& picture) {
  for (int row = 0; row < picture.Height(); ++row) {
    uint32_t* p = picture.ScanLine(row);
    for (int x = 0; x < picture.Width(); ++x) {
      const uint32_t c = p[x], r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
      const uint32_t level = (299 * r + 587 * g + 114 * b + 500) / 1000;
      p[x] = (c & 0xFF000000u) | (level << 16) | (level << 8) | level;
    }
  }
}

}  // namespace qelta::plot_detail
