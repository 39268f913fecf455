#pragma once
// Not part of the public interface: painting steps the chart controls share (the colour scale and
// the gauge draw an off-screen picture with a caption and frame lines chosen by a colour scheme).

#include "Graphics.h"
#include "Qelta_qeltabase.h"

namespace qelta::detail {

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

}  // namespace qelta::detail
