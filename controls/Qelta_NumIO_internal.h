#pragma once
// Not part of the public interface: the number text that TNumIO and TNumIO2 share (separator modes,
// conversion of a text by its input format, the texts a value is written as), and the framed number
// box and side texts that TNumIO2 and TNumLab draw alike. Not installed.

#include <cstdint>
#include <utility>

#include "Qelta_NumIO.h"

namespace qelta::ctl_detail {

/// Separator mode of the scanners (1 '.', 2 ',', 3 either) as the edit box's conversion maps a
/// TDecPSep: dsSystem is 2 when the system separator is ',', else 1.
int ConvertSepMode(TDecPSep sep);
/// Separator mode as the validators map a TDecPSep: dsSystem is 1 when the system separator is
/// '.', else 2.
int ValidatorSepMode(TDecPSep sep);
/// The separator a mode writes: ',' for mode 2, else '.'.
inline Char SeparatorOfMode(int mode) { return mode == 2 ? u',' : u'.'; }
/// True when the mode accepts c as separator.
inline bool AcceptsSeparator(Char c, int mode) {
  return (c == u'.' && (mode == 1 || mode == 3)) || (c == u',' && (mode == 2 || mode == 3));
}
/// 1-based position of the first separator the mode accepts; 0 when there is none.
int SeparatorPos(const String& text, int mode);

/// The edit box's conversion of a text by format (itDynamic resolved by the first character) with
/// the separator mode of the scanners; see TNumIO::ConvertNumString.
bool ConvertNumText(const String& text, TInFormat format, int sepMode, double& value);
/// Signed 32-bit reading of the hexadecimal, octal or binary digits of text from position pos
/// (1-based) to its end; false when a character there is not a digit of the base.
bool ReadRadixDigits(const String& text, int pos, TInFormat format, int32_t& value);
/// Bits per digit of itHex, itOct and itBin.
int RadixBits(TInFormat format);
/// Prefix of itHex, itOct and itBin in itDynamic: '$', '&', '%'.
Char RadixPrefix(TInFormat format);
/// The format itDynamic takes for a text starting with first: '$' itHex, '%' itBin, '&' itOct, else itExp.
TInFormat DynamicFormat(Char first);

/// x rounded (halves to even) and clamped into the 32-bit range; NaN gives 0.
int32_t RoundTo32(double x);
/// Exponent form of strff in Width characters with a two-digit exponent, or with four digits (the
/// same significant digits) where two cannot hold the exponent.
String ExpText(double x, int Width);
/// Digits of value of base 2^bits, at least minDigits.
String RadixText(int32_t value, TInFormat format, int minDigits);

}  // namespace qelta::ctl_detail

// The framed number box and the side texts that TNumIO2 and TNumLab draw alike.
namespace qelta::ctl_detail {

/// Top-left and bottom-right line colours of a bevelled frame style: lowered black / white, raised
/// white / black, embossed grey / grey, engraved white / white.
std::pair<TColor, TColor> BevelColors(TFrameStyle style, TColor black, TColor gray, TColor white);
/// The box of a number from x = left, boxWidth wide, over the height h, with the current pen and
/// brush: the bevelled styles draw the rectangle up to h - 1 and a bevel inside it (s = h - 4); the
/// others the rectangle up to h.
void DrawNumberBox(TCanvas* c, TFrameStyle style, int left, int boxWidth, int h, TColor black, TColor gray,
                   TColor white);
/// A text beside the box: enabled in `color` on the solid brush `back`; disabled engraved, white at
/// (whiteX, y + 1) and then $808080 at (x, y) on a clear brush.
void DrawSideText(TCanvas* c, const String& text, int x, int whiteX, int y, bool enabled, TColor back, TColor color);
/// x of a text of width w in the box from left, boxWidth wide: left-justified left + 4,
/// right-justified left + boxWidth - w - 2, centred left + (boxWidth - w) div 2 + 2.
int BoxTextX(TAlignment a, int left, int boxWidth, int w);
/// x of a side text by its alignment: one of the three places given.
inline int SideTextX(TAlignment a, int leftJustified, int rightJustified, int centred) {
  return a == taLeftJustify ? leftJustified : a == taRightJustify ? rightJustified : centred;
}
/// The sample whose height places every text line of the numeric controls.
inline constexpr const char16_t* kTextSample = u"(8g]}\u00DC\u00C4\u00A7";

}  // namespace qelta::ctl_detail
