#pragma once
// Internal to the Graphics unit: the aliased rasteriser behind TCanvas. Works in device (surface)
// coordinates held in int64_t, so every 32-bit logical coordinate plus an origin fits; each routine
// clips to the clip rectangle before it loops, so its work is bounded by the clip area.
// Not part of the public interface.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Graphics.h"

namespace qelta::detail {

struct P64 {
  int64_t X = 0;
  int64_t Y = 0;
};

struct PD {
  double X = 0;
  double Y = 0;
};

/// Device rectangle, right and bottom exclusive.
struct IRect {
  int L = 0, T = 0, R = 0, B = 0;
  bool Empty() const { return L >= R || T >= B; }
};

/// How a run of pixels is painted: colour 0x00RRGGBB, a pen mix (TPenMode) and an optional 8x8 hatch
/// (a TBrushStyle from bsHorizontal on; bsSolid paints every pixel).
struct Ink {
  uint32_t Rgb = 0;
  TPenMode Mix = pmCopy;
  TBrushStyle Hatch = bsSolid;
};

/// 0x00BBGGRR colour (system colours resolved) to the surface's 0x00RRGGBB.
uint32_t ColorToPixel(TColor color);
/// Surface pixel to 0x00BBGGRR.
TColor PixelToColor(uint32_t pixel);
/// Result of pen mix `mix` of pen p on destination d (24 RGB bits).
uint32_t MixPixel(TPenMode mix, uint32_t p, uint32_t d);
/// Result of the ternary raster operation (index = bits 16..23 of a copy mode) on 24 RGB bits.
uint32_t Rop3(uint8_t rop, uint32_t p, uint32_t s, uint32_t d);
/// True where the 8x8 hatch has a pixel at device (x, y).
bool HatchBit(TBrushStyle hatch, int64_t x, int64_t y);

/// The pixels of a surface inside a clip rectangle.
class Raster {
 public:
  Raster(const TCanvasSurface& surface, IRect clip) : S(surface), Clip(clip) {}

  /// Paints [x0, x1) on row y, clipped.
  void Span(int64_t y, int64_t x0, int64_t x1, const Ink& ink);
  void Pixel(int64_t x, int64_t y, const Ink& ink) { Span(y, x, x + 1, ink); }
  bool Inside(int64_t x, int64_t y) const { return x >= Clip.L && x < Clip.R && y >= Clip.T && y < Clip.B; }
  uint32_t& At(int64_t x, int64_t y) { return S.Pixels[y * S.Stride + x]; }

  TCanvasSurface S;
  IRect Clip;
  P64 PatternOrigin;  // where the 8x8 hatches start (the canvas origin)
};

/// Dash pattern of a cosmetic pen: run lengths alternating on, off, ... starting with on.
struct DashPattern {
  const int* Runs = nullptr;
  int Count = 0;
  int Length = 0;
  bool On(int64_t position) const;
};
/// The pattern of a pen style, or nullptr for solid styles.
const DashPattern* DashFor(TPenStyle style);

/// How a cosmetic (one-pixel) line paints: pen ink, optional gap ink (opaque background) and dashes.
struct CosmeticPen {
  Ink On;
  const Ink* Gap = nullptr;
  const DashPattern* Dash = nullptr;
};

/// Bresenham line from a to b; the last point is painted only when includeLast. `phase` is the dash
/// position at a and is advanced by the number of steps.
void CosmeticLine(Raster& r, P64 a, P64 b, const CosmeticPen& pen, int64_t& phase, bool includeLast);

/// Union of round-capped segments of the given width along the path (closed joins last to first),
/// each pixel painted once.
void WideStroke(Raster& r, const std::vector<PD>& path, bool closed, int width, const Ink& ink);

/// Scan-line fill with the top-left rule: pixel (x, y) is inside when the point (x, y) is.
void FillPolygon(Raster& r, const std::vector<P64>& pts, bool winding, const Ink& ink);

/// A rounded box: pixels whose centres lie in the box [X1, X2] x [Y1, Y2] with corner radii Rx, Ry
/// (Rx = width / 2 and Ry = height / 2 give an ellipse, 0 a rectangle); where a thin shape leaves a
/// row or a column of the box without a pixel centre inside, the pixels nearest the shape's middle
/// fill it, so every row and column of the box holds a pixel.
struct RoundBox {
  int64_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  double Rx = 0, Ry = 0;
  /// Pixel span of row y; false when the row is empty.
  bool Row(int64_t y, int64_t& xl, int64_t& xr) const;
  /// Centre in pixel coordinates.
  PD Centre() const { return PD{(X1 + X2 - 1) / 2.0, (Y1 + Y2 - 1) / 2.0}; }
  /// Outline path through the centres of the outer pixels (for wide pens).
  std::vector<PD> Path() const;
};

/// Calls fn(y, x0, x1) for each run [x0, x1) of outline pixels (inside pixels with a 4-neighbour outside)
/// in the clip rows; runs are clipped to the clip columns.
template <typename Fn>
void ForEachOutlineRun(const Raster& r, const RoundBox& box, Fn fn);
/// The same for the interior (inside pixels that are not outline pixels).
template <typename Fn>
void ForEachInteriorRun(const Raster& r, const RoundBox& box, Fn fn);

/// Fills the 4-connected area around (x, y) whose pixels match (fsSurface: equal to rgb; fsBorder:
/// different from rgb) with the ink.
void FloodFill(Raster& r, int64_t x, int64_t y, uint32_t rgb, TFillStyle style, const Ink& ink);

/// Source of a blit: a private copy of the source pixels the visible part of the destination reads
/// (so a copy within one surface reads the old pixels).
struct BlitSource {
  std::vector<uint32_t> Pixels;
  int64_t Width = 0;
  int64_t Height = 0;
  int64_t OffsetX = 0, OffsetY = 0;  // surface position of Pixels[0]
};

/// Copies src rectangle s (surface coordinates of the source) into dest rectangle d, scaled; a reversed
/// rectangle mirrors. Pixels are combined by the ternary operation `rop` with the pattern `pattern`;
/// halftone averages the covered source area; transparentRgb >= 0 skips source pixels of that colour.
/// The destination is clipped first: the work and the private copy follow the visible part only.
void Blit(Raster& r, P64 d1, P64 d2, const TCanvasSurface& src, P64 s1, P64 s2, uint8_t rop, const Ink& pattern,
          bool halftone, int64_t transparentRgb);

// ---------------------------------------------------------------------------------------------------------
// Template implementations

namespace raster_impl {
inline bool Interior(const RoundBox& box, int64_t y, int64_t& il, int64_t& ir) {
  int64_t l0, r0, l1, r1, l2, r2;
  if (!box.Row(y, l0, r0) || !box.Row(y - 1, l1, r1) || !box.Row(y + 1, l2, r2)) return false;
  il = std::max({l0 + 1, l1, l2});
  ir = std::min({r0 - 1, r1, r2});
  return il <= ir;
}
template <typename Fn>
void ClippedRun(const Raster& r, int64_t y, int64_t a, int64_t b, Fn& fn) {  // inclusive a..b
  a = std::max<int64_t>(a, r.Clip.L);
  b = std::min<int64_t>(b, r.Clip.R - 1);
  if (a <= b) fn(y, a, b + 1);
}
}  // namespace raster_impl

template <typename Fn>
void ForEachOutlineRun(const Raster& r, const RoundBox& box, Fn fn) {
  const int64_t y0 = std::max<int64_t>(box.Y1, r.Clip.T), y1 = std::min<int64_t>(box.Y2, r.Clip.B);
  for (int64_t y = y0; y < y1; ++y) {
    int64_t xl, xr, il, ir;
    if (!box.Row(y, xl, xr)) continue;
    if (!raster_impl::Interior(box, y, il, ir)) {
      raster_impl::ClippedRun(r, y, xl, xr, fn);
      continue;
    }
    raster_impl::ClippedRun(r, y, xl, il - 1, fn);
    raster_impl::ClippedRun(r, y, ir + 1, xr, fn);
  }
}

template <typename Fn>
void ForEachInteriorRun(const Raster& r, const RoundBox& box, Fn fn) {
  const int64_t y0 = std::max<int64_t>(box.Y1, r.Clip.T), y1 = std::min<int64_t>(box.Y2, r.Clip.B);
  for (int64_t y = y0; y < y1; ++y) {
    int64_t il, ir;
    if (raster_impl::Interior(box, y, il, ir)) raster_impl::ClippedRun(r, y, il, ir, fn);
  }
}

}  // namespace qelta::detail
