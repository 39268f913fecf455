#pragma once
// Many small solid rectangles, each in its own colour, or a row of pixels, set in one call: for
// painters that cover a picture with boxes or pixels of their own colours (a colour-coded surface),
// where a brush change and a FillRect per box, or a call per pixel, cost more than the pixels. The
// pixels are those of the plain calls; a traced canvas, and the general paths (DirectPaths off),
// make the plain calls themselves.

#include <span>

#include "Graphics.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// A rectangle (corners in any order, right and bottom edges left out) and its fill colour.
struct TColorRect {
  TRect Rect;
  TColor Color = clBlack;
};

/// Fills each rectangle in its own colour, in order: the pixels of Brush solid in that colour and
/// FillRect for each. The brush is left as it was.
void FillColorRects(TCanvas& canvas, std::span<const TColorRect> rects);
/// Sets the pixels from (x, y) rightwards to the colours: the pixels of SetPixels for each.
void SetPixelRow(TCanvas& canvas, int x, int y, std::span<const TColor> colors);

}  // namespace qelta

QELTA_PUBLIC_END
