#pragma once
// Qelta_qeltabase: what every Qelta unit shares.
//
// What: the root error class EQeltaError; the shared enumerations (unscoped, fixed 8-bit
// underlying type, ordinals from 0 in declared order, because files store the ordinals); the
// world-coordinate records and growable arrays; the progress and event procedure types; the
// process-wide progress globals of long computations; the month, weekday, number-word and
// language-name tables; the xml... tables that give each shared enumeration its text form in XML
// files; and the HTML 4 entity names of the Latin-1 codes 160..255.
// How: the language tables and entity names are 8-bit texts (AnsiString holding Windows-1252
// bytes, which agree with Latin-1 above 0x9F); the xml... tables are 16-bit Strings. All tables
// are built while qeltacore loads, before any other static object of the library and before any
// library that links it (see QeltaStartup.h), and released when it unloads.
// Limits: the globals are plain variables without a lock; long computations run on the caller's
// thread. Mathematical constants live in Qelta_univconst.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Exceptions.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- errors -----------------------------------------------------------------------------------

/// Root error class of the system: raised with one ready-made message; units derive theirs from it.
QELTA_DECLARE_EXCEPTION(EQeltaError, Exception)

// --- enumerations -----------------------------------------------------------------------------

// clang-format off
enum TFrameStyle : uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TColorScheme : uint8_t { csBWG, csSystem };
/// What a mouse drag does in a chart or map.
enum TMouseActMode : uint8_t {
  maNone, maPan, maPanHoriz, maPanVert, maRubberBand, maZoom, maZoomWind, maZoomWindPos,
  maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom, maRotXOnly, maRotZOnly
};
/// State of a rubber-band box.
enum TMouseBoxState : uint8_t { msNormal, msFirstCorner, msRectDraw, msFinished };
enum TZoomState : uint8_t { zsNormal, zsDrawWin };
enum TDirection : uint8_t { dirUpward, dirDownward, dirLeftward, dirRightward };
enum TOrientation : uint8_t { orVert, orHoriz };
enum TVerticalAlignment : uint8_t { vaTop, vaCenter, vaBottom };
/// How a background picture fills an area.
enum TBkgFill : uint8_t { bfSimple, bfStretch, bfTile };
enum TBoundingBox : uint8_t { bbNone, bbFrame, bbFaces };
/// Decimal separator accepted or written.
enum TDecPSep : uint8_t { dsSystem, dsDot, dsComma, dsBoth };
/// Language of the month, weekday and number-word tables.
enum TLanguage : uint8_t { lgUnknown, lgEnglish, lgGerman, lgFrench, lgSpanish };
/// Which side a scale stands on: x bottom, x top, y left, y right.
enum TScaleType : uint8_t { sctXB, sctXT, sctYL, sctYR };
/// What the scale labels show.
enum TFigType : uint8_t { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
/// When a time scale also shows the date.
enum TDateForTime : uint8_t { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
enum TTimeFormat : uint8_t { tfHHMMSS, tfHHhMM, tfAMPM };
enum TDateOrder : uint8_t { doMMDDYY, doDDMMYY, doYYMMDD };
enum TYearLength : uint8_t { ylNone, ylYY, ylYYYY };
enum TShadowStyle : uint8_t { ssFlying, ssBox };
/// Cross-hair shape.
enum TCrossHMode : uint8_t { chOff, chHoriz, chVert, chBoth, chBox };
/// Text-label look.
enum TTxtLblMode : uint8_t { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
/// Which coordinates of a text label follow the data (the others are pixels).
enum TTxtLblAttachMode : uint8_t { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
/// Angle text: degrees; degrees and minutes; degrees, minutes and seconds; plain number.
enum TDegreeFormat : uint8_t { dfDeg, dfDegMin, dfDegMinSec, dfNumeric };
/// Byte-wise combination of bit fields: self := self op other.
enum TLogicOp : uint8_t { loAND, loOR, loXOR, loANDNot, loORNot, loXORNot };
/// States of the quoted-name scanner.
enum TQuotedStrState : uint8_t { vsStart, vs1stQuote, vsQuote, vsNormal, vsEnd };
/// Kind of value in the raw-array sort and insert routines: real, double, single, integer,
/// long integer, Boolean, string.
enum TVarKind : uint8_t { rnum, dnum, snum, inum, lnum, Bool, strg };
// clang-format on

// --- records and arrays -----------------------------------------------------------------------

/// Point in world coordinates.
struct TPointDouble {
  double X = 0.0;
  double Y = 0.0;
};

/// Rectangle in world coordinates. As a zoom-ring entry: Left = x low, Top = y high,
/// Right = x high, Bottom = y low. TopLeft/BottomRight view the same four values as points.
struct TRectDouble {
  double Left = 0.0;
  double Top = 0.0;
  double Right = 0.0;
  double Bottom = 0.0;

  TPointDouble TopLeft() const { return {Left, Top}; }
  TPointDouble BottomRight() const { return {Right, Bottom}; }
  void SetTopLeft(const TPointDouble& p) {
    Left = p.X;
    Top = p.Y;
  }
  void SetBottomRight(const TPointDouble& p) {
    Right = p.X;
    Bottom = p.Y;
  }
};

/// One corner of a TQuad: pixel coordinates, laid out as the platform's integer point (X, Y).
struct TQuadCorner {
  int32_t X = 0;
  int32_t Y = 0;
};
/// The four corners of a quadrilateral in pixels.
using TQuad = std::array<TQuadCorner, 4>;

using TDoubleArray = std::vector<double>;      ///< growable, 0-based
using TIntArray = std::vector<int32_t>;        ///< growable, 0-based
using TPDblArray = std::vector<TPointDouble>;  ///< growable array of world points
using TBytes = std::vector<uint8_t>;           ///< growable array of bytes
using TBuf4096 = std::array<uint8_t, 4096>;
using TBuf16K = std::array<uint8_t, 16384>;
/// Byte buffer of open length; used only through a pointer to its first byte.
using TDataBuffer = uint8_t[];

// --- procedure and event types ----------------------------------------------------------------

/// Type of MathFeedBackProc: called with the progress counter after each step.
using FeedBackProcType = std::function<void(int StateCnt)>;
/// Feedback of a long routine: step counter and percent done (0..100).
using TFeedbackProc = std::function<void(TObject* Sender, int StateCnt, double PercentDone)>;
/// Progress event: percent done 0..100.
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int PercentDone)>;
/// Abort poll: the handler sets Abort to true to stop.
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
/// Sort exchange: ExchgWhat is the owner's code; index1/index2 exchanged within first..last.
using TSortExchgEvent =
    std::function<void(TObject* Sender, uint8_t ExchgWhat, int index1, int index2, int first, int last)>;
/// Maps a cell text to its sort key.
using TBeforeSortExchgEvent = std::function<void(TObject* Sender, const String& InString, String& OutString)>;
/// Rubber-band result in world coordinates of the layer.
using TRubberBandEvent =
    std::function<void(TObject* Sender, int Layer, double LoX, double LoY, double HiX, double HiY)>;
/// Zoom or pan notification.
using TZoomPanEvent = std::function<void(TObject* Sender)>;

// --- globals (one instance per process, shared by every library) -------------------------------

/// Progress counter of long computations: 0 at start-up, incremented once per step.
extern int ProcStat;
/// Abort flag that long computations clear when they start and poll at each step.
extern bool AbortMathProc;
/// Called with ProcStat after each step of a long computation when assigned.
extern FeedBackProcType MathFeedBackProc;

// --- tables -----------------------------------------------------------------------------------

inline constexpr int LanguageCount = lgSpanish + 1;
/// Table of 8-bit texts per language, indexed [language][i].
template <std::size_t N>
using TLanguageTable = std::array<std::array<AnsiString, N>, LanguageCount>;

/// Month abbreviations [language][1..12], at most 4 characters; entry [l][0] is empty.
extern const TLanguageTable<13> MonthShort;
/// Month names [language][1..12], at most 10 characters; entry [l][0] is empty.
extern const TLanguageTable<13> MonthLong;
/// Weekday abbreviations [language][1..7], day 1 is Monday, at most 3 characters; [l][0] is empty.
extern const TLanguageTable<8> WeekDayShort;
/// Weekday names [language][1..7], day 1 is Monday, at most 10 characters; [l][0] is empty.
extern const TLanguageTable<8> WeekDayLong;
/// Number words [language][0..12], at most 6 characters.
extern const TLanguageTable<13> NumWords;
/// Language names [language written in][language named], at most 15 characters; "???" for lgUnknown.
extern const TLanguageTable<LanguageCount> LanguageID;
/// Two-letter ISO 639-1 codes ("??" for lgUnknown).
extern const std::array<AnsiString, LanguageCount> ISO639_2Char;
/// Three-letter ISO 639-2 codes ("???" for lgUnknown).
extern const std::array<AnsiString, LanguageCount> ISO639_3Char;

// Text forms of enumerations in XML files: each value's declared name, indexed by the value.
extern const std::array<String, vaBottom + 1> xmlVerticalAlignment;
/// The platform's horizontal text alignment, in its order: left, right, centre.
extern const std::array<String, 3> xmlAlignment;
extern const std::array<String, bfTile + 1> xmlBkgFill;
extern const std::array<String, bbFaces + 1> xmlBoundingBox;
extern const std::array<String, csSystem + 1> xmlColorScheme;
extern const std::array<String, ftUserText + 1> xmlFigType;
extern const std::array<String, sctYR + 1> xmlScaleType;
extern const std::array<String, ylYYYY + 1> xmlYearLength;
extern const std::array<String, doYYMMDD + 1> xmlDateOrder;
extern const std::array<String, dtAllTicks + 1> xmlDateForTime;
extern const std::array<String, ssBox + 1> xmlShadowStyle;
extern const std::array<String, fsEngraved + 1> xmlFrameStyle;
extern const std::array<String, tfAMPM + 1> xmlTimeFormat;
extern const std::array<String, dirRightward + 1> xmlDirection;
extern const std::array<String, lgSpanish + 1> xmlLanguage;
/// As declared, except that Bool is written "bool".
extern const std::array<String, strg + 1> xmlVarKind;
extern const std::array<String, msFinished + 1> xmlMouseBoxState;
extern const std::array<String, maRotZOnly + 1> xmlMouseActMode;
extern const std::array<String, zsDrawWin + 1> xmlZoomState;
extern const std::array<String, chBox + 1> xmlCrossHMode;
extern const std::array<String, tlShadow + 1> xmlTxtLblMode;
extern const std::array<String, tlamBoth + 1> xmlTxtLblAttachMode;
/// The platform's font styles, in its order: bold, italic, underline, strike-out.
extern const std::array<String, 4> xmlFontStyle;

/// HTML 4 entity name of each Latin-1 code 160..255, "&" and ";" included ("&nbsp;" .. "&yuml;"),
/// at most 8 characters; indexed by the character code, empty below 160.
extern const std::array<AnsiString, 256> HTMLLat1Entities;

// --- number scanners (Qelta_qeltabase_scanners.cpp) ------------------------------------------
//
// Read a number out of a text from a 1-based position passed by reference and leave the position
// on the first character not taken (Length + 1 when the text ran out), so that a caller can read
// several numbers, separated by anything, out of one line. A position outside 1..Length reads
// as the end of the text: the result is 0 and the position stays. Integer values wrap around
// modulo 2^32 without an overflow test. The system's one implementation of each scanner; the
// numerics offer the same three under the same names.

/// Decimal integer: blanks skipped (not one in the last position), one '+' or '-', digits.
int32_t ScanDecimal(const String& s, int& Pos);
/// Hexadecimal integer of either case: blanks skipped, a '$' passed over only at position 1 of
/// the text, no sign; 0 when no digit follows.
int32_t ScanHex(const String& s, int& Pos);
/// Value 0..15 of a hexadecimal digit of either case, -1 for any other character.
int HexDigitValue(Char c);
/// Floating-point number read by the state machine below. SepMode: 1 '.', 2 ',', 3 either, other
/// values no separator; either separator is read as '.'. Exponent digits beyond the longest prefix
/// not above 4200 are left out; a text ending in 'E' or 'E' and a sign gives the mantissa's value.
/// A failed scan (state -1) gives 0. The result is clamped to +-uc_MaxDouble.
double ScanFPNum(const String& s, bool ExpAllowed, int SepMode, int& Pos);

/// Character classes of the floating-point scanner, tested in this order.
enum TFPScanClass : uint8_t { fpcSeparator, fpcBlank, fpcSign, fpcDigit, fpcExponent, fpcOther };
/// States of the floating-point scanner: 1 start, 2 after the sign, 3 integer digits, 4 after the
/// separator, 5 fraction digits, 6 after 'E', 7 after the exponent's sign, 8 exponent digits;
/// it runs while the state is 1..8 and stops in fpsAccept or fpsError.
inline constexpr int fpsStart = 1;
inline constexpr int fpsAccept = 9;
inline constexpr int fpsError = -1;
/// Largest exponent that the scanner (and a validator sharing its states) takes in.
inline constexpr int FPScanMaxExponent = 4200;

/// Class of c for the floating-point scanner (letters taken in upper case, A-Z only).
TFPScanClass FPScanClass(Char c, int SepMode);
/// The scanner's transition from State (1..8) on a character of class Class; any other State
/// stays as it is.
int FPScanNext(int State, TFPScanClass Class, bool ExpAllowed);

// --- frame and marker drawing (Qelta_qeltabase_drawing.cpp) -----------------------------------
//
// Free routines that draw on a platform canvas (Graphics.h) in device pixels with the canvas's
// current pen and brush: bevelled frames, a plain rectangle outline and 52 small data marks of fixed
// pixel size (chart points, map symbols, mark pickers); a mark as a ready bitmap; a bitmap sent to
// the printer; two font helpers. All lines follow the raster rule that a line leaves out its end
// pixel. The marks 1 to 6, 18 and 25 are pixel patterns on screen and bitmaps and lines on the
// printer's canvas (recognised as Printer()->Canvas()), where single pixels would be too small.
// A null canvas or bitmap draws nothing.

class TCanvas;
class TBitmap;
using TColor = int32_t;  // $00BBGGRR, the platform's colour (Graphics.h)

/// Frame of the style on the pixel corners (Left, Top) and (Right, Bottom), both inclusive.
/// fsSimple: a rectangle outline in Color5. The bevels draw an outer and an inner L pair; Color1 is
/// the highlight, Color2 the light face, Color3 the shadow, Color4 the dark shadow. fsNone and values
/// outside the enumeration draw nothing. The pen colour is left at the last colour used.
void DrawFrame(TCanvas* Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom, TColor Color1,
               TColor Color2, TColor Color3, TColor Color4, TColor Color5);
/// Outline through the four corners (both inclusive) with the current pen.
void DrawRectangle(TCanvas* Canvas, int Left, int Top, int Right, int Bottom);
/// Draws mark Mark centred on (X, Y). 0..51 are shapes in the pen colour (the brush colour is
/// restored afterwards; open shapes leave the brush style solid); 200..209 are the digits '0'..'9';
/// every other number is that Windows-1252 character in the canvas's font, centred on (X, Y).
void DrawMarkOnCanvas(TCanvas* Canvas, uint8_t Mark, int X, int Y);
/// A square bitmap of side 2 * Size + 7 (Size clamped to 0..255) in BackColor with the mark in
/// MarkColor (pen and font) at its centre (Size + 3, Size + 3). The caller owns the bitmap.
std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t Mark, TColor MarkColor, TColor BackColor, int Size);
/// Copies the bitmap unscaled onto the printer's canvas with its top-left at (X, Y), as a plain copy
/// whatever the canvas's copy mode. Outside a document the printer has no page and nothing is drawn.
void PrintBitmap(const TBitmap* Bitmap, int X, int Y);
/// Sets the canvas font's size in points as if the font were on the screen (96 pixels per inch), so a
/// printer font gets the pixel height it would have on the screen. The font's density is kept.
void SetCanvasFontSizeScaled(TCanvas* Canvas, int Size);
/// True when the font draws from a scalable outline; raises EQeltaError "FontIsTrueType: unknown font
/// "<name>"" when the name is neither an installed family nor a mapped classic name (Arial, ...).
bool FontIsTrueType(const String& FontName);

// --- start-up (not part of the public interface) ----------------------------------------------

namespace core_detail {
/// Start-up of this unit (ProcStat := 0); called once by qeltacore's start-up, later calls do nothing.
void InitQeltabase();
}  // namespace core_detail

}  // namespace qelta

// --- chart label settings: TCrossHair, TDTLabel, TCustomTextLabel (own header) -----------------
#include "Qelta_qeltabase_labels.h"  // IWYU pragma: export

QELTA_PUBLIC_END
