#pragma once
// Text rendering behind TCanvas and TFont: FreeType glyphs from fonts found by Fontconfig,
// grey-scale antialiased and blended into a 32-bit pixel buffer. Windows font names map to
// installed families with DejaVu as the fallback, so text measures the same on every machine
// with the project's packages. Not part of the public interface: TCanvas is. Exported for the
// foundation's FontIsTrueType, the tests and the text benchmark.

#include <cstdint>
#include <vector>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// What selects a face and its size. Height follows TFont.Height: negative = character (em) height
/// in pixels, positive = cell height (ascent + descent) in pixels, 0 = the default size.
struct FontKey {
  String Name = u"Tahoma";
  int Height = -11;
  bool Bold = false;
  bool Italic = false;
};

struct FontMetrics {
  int Height = 0;           ///< cell height = Ascent + Descent
  int Ascent = 0;
  int Descent = 0;
  int InternalLeading = 0;  ///< Height minus the em height
  int ExternalLeading = 0;
  int AveCharWidth = 0;
  int MaxCharWidth = 0;
  bool TrueType = true;     ///< scalable outline font
};

/// A 32-bit pixel buffer: each pixel 0xAARRGGBB in a uint32_t (bytes B, G, R, A in memory), rows
/// `Stride` pixels apart, drawing limited to the clip rectangle [ClipLeft, ClipRight) x [ClipTop, ClipBottom).
struct PixelTarget {
  uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;
  int ClipLeft = 0, ClipTop = 0, ClipRight = 0, ClipBottom = 0;
  bool Aliased = false;  ///< glyphs rendered 1-bit (FreeType's monochrome mode): each pixel fully or not at all
};

FontMetrics GetFontMetrics(const FontKey& key);

/// Advance width of the text in pixels (unrotated), the sum of glyph advances with kerning.
int TextAdvance(const FontKey& key, const String& text);

/// Draws the text with the top-left of its cell at (X, Y) before rotation; the text is rotated
/// counter-clockwise on screen by AngleTenths/10 degrees about (X, Y). Color is 0x00BBGGRR.
/// Underline and strike-out lines rotate with the text. Glyph coverage is blended over the target.
void DrawText(const PixelTarget& target, const FontKey& key, const String& text, double X, double Y,
              int AngleTenths, uint32_t Color, bool Underline, bool StrikeOut);

/// Installed family names (Fontconfig), sorted, without duplicates.
std::vector<String> InstalledFontFamilies();

/// The installed family a requested name resolves to (Arial -> DejaVu Sans, ...).
String ResolveFontFamily(const String& name);

/// True when the name resolves to an installed scalable font (without falling back).
bool IsInstalledTrueTypeFont(const String& name);

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
