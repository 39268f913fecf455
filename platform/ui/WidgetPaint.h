#pragma once
// Not part of the public interface: the drawing pieces the widgets share (bevels, arrows, check marks,
// focus rectangles, the parts of scroll bars), in the classic desktop look. Not installed.

#include "Graphics.h"

namespace qelta::platform_detail {

/// A frame `width` pixels wide inside r: top and left in `topLeft`, bottom and right in `bottomRight`;
/// r shrinks by the width.
void Frame3D(TCanvas* canvas, TRect& r, TColor topLeft, TColor bottomRight, int width);
/// The two-pixel sunken border of edits, combo boxes and pickers; r shrinks to the inside.
void SunkenBorder(TCanvas* canvas, TRect& r);
/// The two-pixel raised border of buttons (sunken when `down`); r shrinks to the inside.
void ButtonBorder(TCanvas* canvas, TRect& r, bool down);
enum class TArrowDirection : uint8_t { Up, Down, Left, Right };
/// A filled triangle 7 pixels wide and 4 deep pointing that way, centred in r, in the colour.
void ArrowGlyph(TCanvas* canvas, const TRect& r, TColor color, TArrowDirection direction);
/// A filled triangle pointing down (or right), centred in r, in the colour.
void DropArrow(TCanvas* canvas, const TRect& r, TColor color, bool pointsRight = false);
/// The tick of a checked menu item or box, centred in r, in the colour.
void CheckMark(TCanvas* canvas, const TRect& r, TColor color);
/// A dotted rectangle drawn by inverting pixels (drawing it twice restores them).
void FocusRect(TCanvas* canvas, const TRect& r);
/// Text in the engraved look of disabled captions: white one pixel right and down, then grey.
void EngravedText(TCanvas* canvas, int x, int y, const String& text);
/// Copies the part `source` of the bitmap to dest unscaled, leaving out the pixels of its transparent
/// colour (TBitmap::TransparentColor: the bottom-left pixel unless set).
void DrawTransparent(TCanvas* canvas, TPoint dest, TBitmap* bitmap, const TRect& source);
/// A scroll bar's arrow button: raised, or flat in the shadow colour with the glyph one pixel down and
/// right while held; the glyph engraved when disabled.
void ScrollArrowButton(TCanvas* canvas, const TRect& r, TArrowDirection direction, bool pressed, bool enabled);
/// A part of a scroll bar's track: a checkerboard of the highlight and the button face, of the dark
/// shadows while held (its squares keep their place whatever part of the track is drawn).
void ScrollTrack(TCanvas* canvas, const TRect& r, bool pressed);
/// A scroll bar's thumb: a raised button face (nothing for an empty rectangle).
void ScrollThumb(TCanvas* canvas, const TRect& r);
/// The pixel value (0x00RRGGBB) of a colour.
uint32_t PixelRgb(TColor color);
/// A clipped rectangle: the part of r inside `bounds`.
TRect Intersect(const TRect& r, const TRect& bounds);
/// True when p lies in r (right and bottom exclusive).
bool Contains(const TRect& r, TPoint p);

}  // namespace qelta::platform_detail
