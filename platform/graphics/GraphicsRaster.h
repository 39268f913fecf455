#pragma once
// Internal to the Graphics unit: the aliased rasteriser behind TCanvas. Works in device (surface)
// coordinates held in int64_t, so every 32-bit logical coordinate plus an origin fits; each routine
// clips to the clip rectangle before it loops, so its work is bounded by the clip area.
// Not part of the public interface.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Graphics.h"

namespace qelta::platform_detail {

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

/// Sets n pixels from p on to `pixel`.
void FillPixels(uint32_t* p, int64_t n, uint32_t pixel);

/// The pixels of a surface inside a clip rectangle.
class Raster {
 public:
  Raster(const TCanvasSurface& surface, IRect clip) : S(surface), Clip(clip) {}

  /// Paints [x0, x1) on row y, clipped.
  void Span(int64_t y, int64_t x0, int64_t x1, const Ink& ink);
  void Pixel(int64_t x, int64_t y, const Ink& ink) { Span(y, x, x + 1, ink); }
  /// Paints the block [x0, x1) x [y0, y1), clipped once.
  void Block(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const Ink& ink);
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
  /// The pixels of one row: L..R inclusive, when Any.
  struct Span {
    int64_t L = 0, R = -1;
    bool Any = false;
  };

  int64_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  double Rx = 0, Ry = 0;
  /// Pixel span of row y; false when the row is empty.
  bool Row(int64_t y, int64_t& xl, int64_t& xr) const;
  Span RowSpan(int64_t y) const {
    Span s;
    s.Any = Row(y, s.L, s.R);
    return s;
  }
  /// Centre in pixel coordinates.
  PD Centre() const { return PD{(X1 + X2 - 1) / 2.0, (Y1 + Y2 - 1) / 2.0}; }
  /// Outline path through the centres of the outer pixels (for wide pens).
  std::vector<PD> Path() const;
};

/// Calls fn(y, above, row, below) for each clip row y of the box with the spans of rows y - 1, y and
/// y + 1; each row's span is computed once.
template <typename Fn>
void ForEachBoxRow(const Raster& r, const RoundBox& box, Fn fn);
/// Calls fn(y, x0, x1) for each run [x0, x1) of outline pixels (inside pixels with a 4-neighbour outside)
/// in the clip rows; runs are clipped to the clip columns.
template <typename Fn>
void ForEachOutlineRun(const Raster& r, const RoundBox& box, Fn fn);
/// The same for the interior (inside pixels that are not outline pixels).
template <typename Fn>
void ForEachInteriorRun(const Raster& r, const RoundBox& box, Fn fn);
/// Both in one walk: outline(y, x0, x1) and interior(y, x0, x1); the two sets never share a pixel.
template <typename Outline, typename Interior>
void ForEachOutlineAndInteriorRun(const Raster& r, const RoundBox& box, Outline outline, Interior interior);

/// Fills the 4-connected area around (x, y) whose pixels match (fsSurface: equal to rgb; fsBorder:
/// different from rgb) with the ink.
void FloodFill(Raster& r, int64_t x, int64_t y, uint32_t rgb, TFillStyle style, const Ink& ink);

/// Source pixels of a blit: the source surface itself, or a private copy of the part the visible
/// destination reads when source and destination are one surface (so the copy reads the old pixels).
struct BlitSource {
  std::vector<uint32_t> Copy;
  const uint32_t* Pixels = nullptr;
  int64_t Stride = 0;
  int64_t OffsetX = 0, OffsetY = 0;  // surface position of Pixels[0]
  uint32_t At(int64_t x, int64_t y) const { return Pixels[(y - OffsetY) * Stride + (x - OffsetX)]; }
};

/// Copies src rectangle s (surface coordinates of the source) into dest rectangle d, scaled; a reversed
/// rectangle mirrors. Pixels are combined by the ternary operation `rop` with the pattern `pattern`;
/// halftone averages the covered source area; transparentRgb >= 0 skips source pixels of that colour.
/// The destination is clipped first: the work and the private copy follow the visible part only.
/// An unscaled copy that reads the source runs row by row without any per-pixel mapping.
void Blit(Raster& r, P64 d1, P64 d2, const TCanvasSurface& src, P64 s1, P64 s2, uint8_t rop, const Ink& pattern,
          bool halftone, int64_t transparentRgb);

// ---------------------------------------------------------------------------------------------------------
// Template implementations

namespace raster_impl {
// The interior part il..ir of a row: inside pixels whose row neighbours and the rows above and below
// are inside too.
inline bool Interior(const RoundBox::Span& above, const RoundBox::Span& row, const RoundBox::Span& below, int64_t& il,
                     int64_t& ir) {
  if (!above.Any || !row.Any || !below.Any) return false;
  il = std::max({row.L + 1, above.L, below.L});
  ir = std::min({row.R - 1, above.R, below.R});
  return il <= ir;
}
template <typename Fn>
void ClippedRun(const Raster& r, int64_t y, int64_t a, int64_t b, Fn& fn) {  // inclusive a..b
  a = std::max<int64_t>(a, r.Clip.L);
  b = std::min<int64_t>(b, r.Clip.R - 1);
  if (a <= b) fn(y, a, b + 1);
}
// Outline runs of a row with its neighbours.
template <typename Fn>
void OutlineRow(const Raster& r, int64_t y, const RoundBox::Span& above, const RoundBox::Span& row,
                const RoundBox::Span& below, Fn& fn) {
  if (!row.Any) return;
  int64_t il, ir;
  if (!Interior(above, row, below, il, ir)) return ClippedRun(r, y, row.L, row.R, fn);
  ClippedRun(r, y, row.L, il - 1, fn);
  ClippedRun(r, y, ir + 1, row.R, fn);
}
}  // namespace raster_impl

template <typename Fn>
void ForEachBoxRow(const Raster& r, const RoundBox& box, Fn fn) {
  const int64_t y0 = std::max<int64_t>(box.Y1, r.Clip.T), y1 = std::min<int64_t>(box.Y2, r.Clip.B);
  if (y0 >= y1) return;
  RoundBox::Span above = box.RowSpan(y0 - 1), row = box.RowSpan(y0);
  for (int64_t y = y0; y < y1; ++y) {
    const RoundBox::Span below = box.RowSpan(y + 1);
    fn(y, above, row, below);
    above = row;
    row = below;
  }
}

template <typename Fn>
void ForEachOutlineRun(const Raster& r, const RoundBox& box, Fn fn) {
  ForEachBoxRow(r, box, [&](int64_t y, const RoundBox::Span& above, const RoundBox::Span& row, const RoundBox::Span& below) {
    raster_impl::OutlineRow(r, y, above, row, below, fn);
  });
}

template <typename Fn>
void ForEachInteriorRun(const Raster& r, const RoundBox& box, Fn fn) {
  ForEachBoxRow(r, box, [&](int64_t y, const RoundBox::Span& above, const RoundBox::Span& row, const RoundBox::Span& below) {
    int64_t il, ir;
    if (raster_impl::Interior(above, row, below, il, ir)) raster_impl::ClippedRun(r, y, il, ir, fn);
  });
}

template <typename Outline, typename Interior>
void ForEachOutlineAndInteriorRun(const Raster& r, const RoundBox& box, Outline outline, Interior interior) {
  ForEachBoxRow(r, box, [&](int64_t y, const RoundBox::Span& above, const RoundBox::Span& row, const RoundBox::Span& below) {
    int64_t il, ir;
    if (raster_impl::Interior(above, row, below, il, ir)) raster_impl::ClippedRun(r, y, il, ir, interior);
    raster_impl::OutlineRow(r, y, above, row, below, outline);
  });
}

}  // namespace qelta::platform_detail
