#pragma once
// Not part of the public interface: steps the units of qeltaplot share: rounding in double precision
// for the hot paths, and the painting steps of the controls that draw an off-screen picture with a
// caption and frame lines chosen by a colour scheme (the colour scale and the gauge), and the room the
// tick labels of one picture take (the gauge and the surface plot leave out a label that would
// overlap one already written).

#include <cmath>
#include <cstdint>
#include <vector>

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

/// The box the figures of a number written at (X, Y) in the canvas font cover: the text's advance
/// wide, from the cell's top plus the internal leading down to the baseline (digits, points, signs
/// and exponents stay within it; the cell's blank leading and descent may touch a neighbour).
TRect FigureBox(const TCanvas* Canvas, int X, int Y, const String& Text);
/// True when two boxes (right and bottom excluded) share a pixel.
bool BoxesOverlap(const TRect& A, const TRect& B);
/// True when Inner lies whole inside Outer (right and bottom excluded).
bool BoxInside(const TRect& Inner, const TRect& Outer);
/// Takes Box into the labels written so far and answers true, or answers false (and takes nothing)
/// when it overlaps one of them.
bool ClaimLabelBox(std::vector<TRect>& Written, const TRect& Box);

}  // namespace qelta::plot_detail
