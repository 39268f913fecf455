#pragma once
// Not part of the public interface: steps the units of qeltaplot share: rounding in double precision
// for the hot paths, and the painting steps of the controls that draw an off-screen picture with a
// caption and frame lines chosen by a colour scheme (the colour scale and the gauge).

#include <cmath>
#include <cstdint>

#include "Graphics.h"
#include "Qelta_qeltabase.h"

namespace qelta::plot_detail {

/// Round (half to even, NaN 0, clamped to the int64 range) of a double: the platform's Round takes
/// 80 bits and switches the x87 control word on every call, which dominated per-pixel and per-tick
/// loops.
inline int64_t RoundDouble(double x) {
  const double r = std::nearbyint(x);
  if (std::isnan(r)) return 0;
  if (r >= 9223372036854775807.0) return INT64_MAX;
  if (r <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(r);
}

/// Sizes the off-screen picture to the control; false (and the picture as it was) when a bitmap of
/// that size cannot be had, so that painting never raises.
bool SizePicture(TBitmap& Picture, int Width, int Height);
/// Fills the picture with one colour, pen and brush solid.
void FillPicture(TCanvas* Canvas, TColor Color, int Width, int Height);
/// Writes a caption in the control's font with its own size, style and colour over what is there.
void DrawCaption(TCanvas* Canvas, TFont* Font, const String& Text, int X, int Y, int Size, TFontStyles Style,
                 TColor Color);
/// The gray and white frame lines of a colour scheme: clGray and clWhite for csBWG, the button
/// shadow and highlight for csSystem.
void SchemeLineColors(TColorScheme Scheme, TColor& Gray, TColor& White);

}  // namespace qelta::plot_detail
