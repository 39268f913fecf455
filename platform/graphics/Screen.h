#pragma once
// The screen of the headless platform: its pixel density (96 pixels per inch), the installed font
// families (from the font engine, sorted) and the cursor table. Cursor slots are numbered by TCursor;
// the standard cursors (crArrow, crCross, ...) are named placeholders without pixels that a window
// backend maps to its own, and hosts put their own cursor images into free slots (positive numbers).
// The screen's size is the headless desktop's (1280 x 1024) until a window backend reports the
// display's. Does not implement: monitors, work areas, forms lists, hints.

#include <map>
#include <memory>
#include <span>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

using TCursor = int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
                  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22, crSize = -22;

/// A cursor picture: pixels 0xAARRGGBB (alpha 0 = transparent), rows top first, and the hot spot.
struct TCursorImage {
  String Name;
  int Width = 0;
  int Height = 0;
  int HotX = 0;
  int HotY = 0;
  std::vector<uint32_t> Pixels;
};
/// Shared, immutable cursor; the table and whoever shows it keep it alive.
using HCURSOR = std::shared_ptr<const TCursorImage>;

class TScreen : public TComponent {
 public:
  TScreen();

  int PixelsPerInch() const { return 96; }
  /// Size of the desktop in pixels: 1280 x 1024 headless, the display's with a window backend.
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  /// Set by the window backend from the display (sizes below 1 count as 1).
  void SetSize(int width, int height);
  /// Installed font families, read once, in the order the font lookups search them: A-Z folded to a-z, names
  /// that differ only in case in code order ("cmex10" sorts between "Bitstream" and "DejaVu Sans").
  const std::vector<String>& Fonts() const;

  /// Cursor of slot n; an empty slot answers the crDefault cursor. Never nullptr.
  HCURSOR Cursors(TCursor n) const;
  /// Puts a cursor into slot n; nullptr empties the slot.
  void SetCursors(TCursor n, HCURSOR cursor);
  /// The cursor shown over the whole application (crDefault = each control's own).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value) { FCursor = value; }

 private:
  std::map<TCursor, HCURSOR> FCursors;
  HCURSOR FFallback;
  mutable std::vector<String> FFonts;
  mutable bool FFontsRead = false;
  TCursor FCursor = crDefault;
  int FWidth = 1280;
  int FHeight = 1024;
};

/// The process's screen.
TScreen* Screen();

/// Registers a cursor picture under a resource name, drawn as text rows (top first): '#' black,
/// 'o' white, anything else transparent; the hot spot is clamped into the picture. The chart's and
/// map's cursors ("CURHAND", "CURZOOMW", "CURZOOMD", "CURZOOMP", "CURGEOHAND", "CURGEOZOOM") are
/// built in (resources/Cursors.cpp). Registering a name again replaces the picture.
void RegisterCursorResource(const String& Name, std::span<const char* const> Rows, TPoint HotSpot);
/// The cursor registered under the name (case of A-Z ignored), or nullptr; put it into a slot with
/// Screen()->SetCursors(n, cursor).
HCURSOR LoadCursorFromResource(const String& Name);

}  // namespace qelta

QELTA_PUBLIC_END
