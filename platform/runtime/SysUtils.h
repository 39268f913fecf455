#pragma once
// Number text of the runtime: integer and float conversions both ways, Str, FloatToStrF, FormatFloat,
// Format, and the process-wide FormatSettings.
// How: decimal text is cut from the exact binary value of the number (no intermediate rounding), and a
// decimal tie is rounded away from zero (0.125 at two decimals is "0.13"). Up to 18 significant digits
// (15 for the FloatToStr family); fixed forms print every integer digit (1e300 gives 301 digits).
// Separators: Str and Val always use '.', so that data texts read back anywhere; FloatToStr, FloatToStrF,
// FormatFloat, Format and StrToFloat use FormatSettings. Nothing reads the process locale.
// Specials: NaN, +Inf, -Inf print as "NAN", "INF", "-INF"; a value that prints as all zeros never gets a
// minus sign (-0.0 and -0.001 at two decimals give "0" and "0.00").
// Failure: the StrTo... routines throw EConvertError with the runtime's messages; Val reports the
// position of the first bad character; Format throws EConvertError on a bad or mismatched specifier.

#include <array>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Separators, names and formats used by number and date text. Never read from the process locale.
struct TFormatSettings {
  Char DecimalSeparator = u'.';
  Char ThousandSeparator = u',';
  Char DateSeparator = u'/';
  Char TimeSeparator = u':';
  Char ListSeparator = u',';
  String ShortDateFormat = u"m/d/yyyy";
  String LongDateFormat = u"dddd, mmmm d, yyyy";
  String ShortTimeFormat = u"h:nn AMPM";
  String LongTimeFormat = u"h:nn:ss AMPM";
  String TimeAMString = u"AM";
  String TimePMString = u"PM";
  String CurrencyString = u"$";
  uint8_t CurrencyFormat = 0;  ///< 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  uint8_t NegCurrFormat = 0;   ///< 0 "($1)", 1 "-$1", ... 15 "(1 $)", the classic sixteen layouts
  uint8_t CurrencyDecimals = 2;
  std::array<String, 12> ShortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::array<String, 12> LongMonthNames{u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                        u"July",    u"August",   u"September", u"October", u"November", u"December"};
  /// Index 0 is Sunday, as the runtime's DayOfWeek counts.
  std::array<String, 7> ShortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  std::array<String, 7> LongDayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                     u"Thursday", u"Friday", u"Saturday"};
  uint16_t TwoDigitYearCenturyWindow = 50;
};

/// The process's settings (defaults above); hosts and tests may change fields.
extern TFormatSettings FormatSettings;

// --- integers ---------------------------------------------------------------------------------------

namespace platform_detail {
// Not part of the public interface: the two widths behind IntToHex.
String HexText32(uint32_t value, int digits);
String HexText64(uint64_t value, int digits);
}  // namespace platform_detail

/// Decimal text of an integer of any width up to 64 bits ("-42").
String IntToStr(int64_t value);

/// Upper-case hexadecimal text with at least `digits` digits; negative values show their two's complement
/// in the width of their type (IntToHex(-1, 2) is "FFFFFFFF", IntToHex(int64_t(-1), 2) sixteen F).
/// `digits` counts up to 2^20.
template <std::integral T>
String IntToHex(T value, int digits) {
  if constexpr (sizeof(T) <= 4)
    return platform_detail::HexText32(static_cast<uint32_t>(value), digits);
  else
    return platform_detail::HexText64(static_cast<uint64_t>(value), digits);
}

/// Integer of a text: leading blanks, an optional sign, then decimal digits or '$' / "0x" and hexadecimal
/// digits (hex may use all 32 bits: "$FFFFFFFF" is -1). Nothing may follow. Throws EConvertError
/// "'s' is not a valid integer value" on anything else, overflow included.
int32_t StrToInt(const String& s);
/// StrToInt for 64-bit values (hex up to 16 digits).
int64_t StrToInt64(const String& s);
/// StrToInt, or `def` where StrToInt would throw.
int32_t StrToIntDef(const String& s, int32_t def);
/// StrToInt without exception: true and `value` set on success, false and `value` untouched otherwise.
bool TryStrToInt(const String& s, int32_t& value);

/// Classic Val: reads `s` as StrToInt does; code 0 on success, else the 1-based position of the first
/// bad character (length + 1 when the text ends too early) and value 0.
void Val(const String& s, int32_t& value, int& code);
/// Val for 64-bit integers.
void Val(const String& s, int64_t& value, int& code);

// --- floats: text to number -------------------------------------------------------------------------

/// Float of a text: blanks around, sign, digits with FormatSettings.DecimalSeparator, optional exponent
/// ("E-3"). Results below the smallest double become 0. Throws EConvertError
/// "'s' is not a valid floating point value" on bad syntax or overflow.
double StrToFloat(const String& s);
/// StrToFloat without exception: true and `value` set on success, false and `value` untouched otherwise.
bool TryStrToFloat(const String& s, double& value);
/// Classic Val for floats: leading blanks, '.' as the point whatever FormatSettings says, nothing after
/// the number. code 0 on success, else the 1-based position of the first bad character (length + 1 when
/// the text ends too early or the value overflows) and value 0.
void Val(const String& s, double& value, int& code);

// --- floats: number to text -------------------------------------------------------------------------

enum TFloatFormat : uint8_t { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

/// Fixed form with `decimals` >= 0 decimals ("-12.50"), right-justified in at least `width` characters
/// (never cut). A negative `decimals` gives the exponent form of Str(x, width). The point is always '.'.
/// Widths and decimals count up to 2^20: more would only ask for huge texts.
String Str(Extended x, int width, int decimals);
/// Exponent form "[blank or -]d.dddE+dddd" with max(2, min(18, width - 8)) significant digits, so that
/// the text fills `width` exactly between 10 and 26 characters; right-justified, never cut.
String Str(Extended x, int width);

/// Shortest general text with up to 15 significant digits: "0.1", "1E20", "1.5E-7".
String FloatToStr(Extended value);
/// Text in one of the five forms. `precision` (1..18) counts significant digits; `digits` is the
/// minimum exponent digits (0..4) for ffGeneral and ffExponent, the decimals (0..18) for the others.
/// ffFixed/ffNumber/ffCurrency fall back to the general exponent form when the integer part has more
/// digits than `precision`.
String FloatToStrF(Extended value, TFloatFormat format, int precision, int digits);
/// Picture format: '0' digit or zero, '#' digit or nothing, '.' point, ',' thousands, "E+0"/"E-0"
/// exponent, '...' or "..." literal text, other characters as they stand; up to three sections
/// "positive;negative;zero". An empty format gives FloatToStr. At most 15 significant digits.
String FormatFloat(const String& format, Extended value);

// --- Format -----------------------------------------------------------------------------------------

/// One argument of Format: an integer, a float, a text or a pointer, built implicitly from the value.
struct TVarRec {
  enum TKind : uint8_t { vtInteger, vtInt64, vtExtended, vtString, vtPointer };

  /// Signed types of up to 32 bits are vtInteger; wider or unsigned types are vtInt64 (uint64 keeps its bits).
  template <std::integral T>
  requires(!std::is_same_v<T, bool> && !std::is_same_v<T, char> && !std::is_same_v<T, Char> &&
           !std::is_same_v<T, char8_t> && !std::is_same_v<T, char32_t> && !std::is_same_v<T, wchar_t>) TVarRec(T v)
      : Kind(std::is_signed_v<T> && sizeof(T) <= 4 ? vtInteger : vtInt64), Int(static_cast<int64_t>(v)) {}
  template <std::floating_point T>
  TVarRec(T v) : Kind(vtExtended), Float(v) {}
  TVarRec(const Char* s) : Kind(vtString), Text(s ? s : u"") {}
  TVarRec(String s) : Kind(vtString), Text(std::move(s)) {}
  TVarRec(Char c) : Kind(vtString), Text(1, c) {}
  /// UTF-8 text.
  TVarRec(const char* utf8);
  TVarRec(const void* p) : Kind(vtPointer), Ptr(p) {}

  TKind Kind;
  int64_t Int = 0;
  Extended Float = 0;
  String Text;
  const void* Ptr = nullptr;
};

/// Classic Format: "%" [index ":"] ["-"] [width] ["." precision] type, index/width/precision may be '*'
/// (taken from the next integer argument). Types: d u x (precision = minimum digits), s (precision =
/// maximum characters), f n m (precision = decimals, default 2 / CurrencyDecimals), e g (precision =
/// significant digits, default 15), p (16 hex digits); "%%" is '%'. Throws EConvertError
/// "Format 'fmt' invalid or incompatible with argument", or "No argument for format 'fmt'".
String Format(const String& fmt, std::initializer_list<TVarRec> args);

}  // namespace qelta

QELTA_PUBLIC_END
