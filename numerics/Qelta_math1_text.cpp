// Qelta_math1: number text (engineering and E format, integer bases, Roman numerals, hexadecimal
// images of floating-point values, angle texts) and angle conversion.
//
// Deliberate deviations from the classic formulations:
//  - EEngStr takes floor(lg |x|) from a logarithm exact at powers of ten (1000 has 3, not 2, as its
//    decade, which changed the decimals), and cuts the mantissa from the exact value of x, a decimal
//    tie going away from zero as in every other number text: dividing by 10^(3p) first rounded the
//    quotient, so EEngStr(5725, 3) gave "5.72k" while EEngStr(1250, 2) gave "1.3k".
//  - MakeEFormat writes every digit of an exponent of three or more digits ("0.1E+309"); keeping
//    only the last two gave a text that read as a different number.
//  - DegreeToStr writes "-0" as the degrees of an angle between -1 and 0 ("-0° 30'" for -0.5°);
//    Int(e) is 0 there and its text carried no sign, so the angle read as positive.
//  - ConvertDegrees takes the sign of the angle from Degrees (-0.0 counts as negative) and applies it
//    to the whole angle: Int(degrees) + minutes / 60 turned (-1°, 30') into -0.5° instead of -1.5°,
//    and the sign of angles between -1 and 0 was lost. For such angles it answers Degrees = -0.0.
//  - Decimal works on the 64-bit magnitude, so INT_MIN gives its digits instead of overflowing. Its
//    digit count is an integer for every caller (0 and below give 1): a byte count would have turned
//    -1 into 255 digits and cut 300 to 44. Like the runtime's digit counts it stops at 2^20.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Encoding.h"
#include "Qelta_math1.h"
#include "Qelta_math1_internal.h"
#include "Qelta_qeltabase.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {
namespace {

// [SECTION] helpers

constexpr char16_t kDigits[] = u"0123456789ABCDEF";

// The lowest `digits` digits of v in base 2^bitsPerDigit, with leading zeros.
String PowerOfTwoDigits(uint32_t v, int bitsPerDigit, int digits) {
  String s(static_cast<std::size_t>(digits), u'0');
  for (int i = digits - 1; i >= 0 && v != 0; --i) {
    s[static_cast<std::size_t>(i)] = kDigits[v & ((1u << bitsPerDigit) - 1)];
    v >>= bitsPerDigit;
  }
  return s;
}

String BytesToHex(const uint8_t* mostSignificantLast, int count) {
  String s;
  for (int i = count - 1; i >= 0; --i) {
    s += kDigits[mostSignificantLast[i] >> 4];
    s += kDigits[mostSignificantLast[i] & 15];
  }
  return s;
}

// Bytes of a hexadecimal image, least significant first; raises for any other text.
void HexToBytes(const String& s, int count, const char* routine, uint8_t* out) {
  bool ok = s.size() == static_cast<std::size_t>(2 * count);
  for (std::size_t i = 0; ok && i < s.size(); ++i) ok = HexDigitValue(s[i]) >= 0;
  if (!ok) throw EQeltaError(Utf8ToString(routine) + u": invalid hex string \"" + s + u"\"");
  for (int k = 0; k < count; ++k) {
    const std::size_t at = static_cast<std::size_t>(2 * (count - 1 - k));
    out[k] = static_cast<uint8_t>(HexDigitValue(s[at]) * 16 + HexDigitValue(s[at + 1]));
  }
}

// SI prefix of the power 10^(3p), p in -6..4 without 0.
Char EngPrefix(int p) {
  static constexpr char16_t kPrefix[] = u"afpnum?kMGT";
  return kPrefix[p + 6];
}

// e, or the integer nearest to it when within 3e-12.
Extended SnapToInteger(Extended e) {
  const Extended r = std::nearbyint(e);
  return std::fabs(e - r) < 3e-12L ? r : e;
}

// Degrees part of an angle text: Int(e), with the minus that Int(e) = 0 cannot carry.
String DegreesText(Extended e) {
  const String sign = e < 0 && std::trunc(e) == 0 ? u"-" : u"";
  return sign + Str(std::trunc(e), 1, 0) + u"\u00B0 ";
}

void CheckDegreeParts(double minutes, double seconds) {
  if (!(minutes >= 0 && minutes <= 60)) throw EQeltaMath1Error("ConvertDegrees: invalid range of minutes");
  if (!(seconds >= 0 && seconds <= 60)) throw EQeltaMath1Error("ConvertDegrees: invalid range of seconds");
}

// Digits of ax rounded at 10^-cut, a tie away from zero: the integer round(ax x 10^cut). Str rounds
// at cut >= 0 decimals exactly; a negative cut (ax >= 1 then) cuts the exact expansion, at most 64
// decimals for such a value, by the first digit dropped.
std::string RoundedDigits(Extended ax, int cut) {
  std::string d = StringToUtf8(Str(ax, 1, cut >= 0 ? cut : 64));
  d.erase(std::remove(d.begin(), d.end(), '.'), d.end());
  if (cut >= 0) return d;
  const std::size_t drop = static_cast<std::size_t>(64 - cut);
  if (d.size() < drop) return "0";
  const bool up = d.size() > drop - 1 && d[d.size() - drop] >= '5';
  d.resize(d.size() - drop);
  for (std::size_t i = d.size(); up;) {
    if (i == 0) {
      d.insert(d.begin(), '1');
      break;
    }
    if (d[--i] < '9') {
      ++d[i];
      break;
    }
    d[i] = '0';
  }
  return d.empty() ? "0" : d;
}

// ax x 10^shift in fixed notation with `decimals` decimals, cut once from the exact value of ax.
String ShiftedFixed(Extended ax, int shift, int decimals) {
  std::string d = RoundedDigits(ax, decimals + shift);  // the result is d x 10^-decimals
  if (d.size() <= static_cast<std::size_t>(decimals)) d.insert(0, static_cast<std::size_t>(decimals) + 1 - d.size(), '0');
  const std::size_t lead = std::min(d.find_first_not_of('0'), d.size() - decimals - 1);
  d.erase(0, lead);
  if (decimals > 0) d.insert(d.size() - static_cast<std::size_t>(decimals), 1, '.');
  return Utf8ToString(d);
}

}  // namespace

// [SECTION] decimal and engineering text

String strf(double x, int Width, int Decimals) { return strff(x, Width, Decimals); }

String EEngStr(double x, int Digits) {
  const int d = std::clamp(Digits, -9, 9);
  const int e = std::abs(d) > 1 ? std::abs(d) - 1 : 0;
  if (x == 0 || !std::isfinite(x)) return strff(x, 1, e);
  const Extended ax = std::fabs(static_cast<Extended>(x));
  const Extended lgx = num_detail::SnappedLg(ax);
  const int k = static_cast<int>(std::floor(lgx));
  const int p = std::clamp(static_cast<int>(std::floor(lgx / 3)), -6, 4);
  String t = ShiftedFixed(ax, -3 * p, std::max(0, e - (k - 3 * p)));
  if (p != 0) {
    const std::size_t point = t.find(u'.');
    if (d < -1 && point != String::npos) {
      t[point] = EngPrefix(p);
    } else {
      t += EngPrefix(p);
    }
  }
  return x < 0 ? u"-" + t : t;
}

String MakeEFormat(double x, int Width, int Digits) {
  const int width = std::clamp(Width, 8, 40);
  const int digits = std::clamp(Digits, 2, 15);
  const String t = Str(x, digits + 8);  // "[blank or -]d.dddE+dddd"
  const std::size_t ePos = t.find(u'E');
  if (!std::isfinite(x) || ePos == String::npos) return Str(x, width);
  String mantissa = t.substr(1, ePos - 1);
  mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), u'.'), mantissa.end());
  int exponent = 0;
  for (std::size_t i = ePos + 2; i < t.size(); ++i) exponent = exponent * 10 + (t[i] - u'0');
  if (t[ePos + 1] == u'-') exponent = -exponent;
  if (x != 0) ++exponent;
  String expText = IntToStr(std::abs(exponent));
  if (expText.size() < 2) expText.insert(0, 1, u'0');
  const String s = String(1, t[0]) + u"0." + mantissa + u"E" + (exponent < 0 ? u"-" : u"+") + expText;
  return StringOfChar(u' ', width - Length(s)) + s;
}

// [SECTION] integer bases and Roman numerals

String Decimal(int n, int Digits) {
  const int digits = std::clamp(Digits, 1, 1 << 20);  // more zeros only ask for a huge text
  uint64_t v = static_cast<uint64_t>(std::abs(static_cast<int64_t>(n)));
  String s(static_cast<std::size_t>(digits), u'0');
  for (int i = digits - 1; i >= 0 && v != 0; --i) {
    s[static_cast<std::size_t>(i)] = kDigits[v % 10];
    v /= 10;
  }
  return n < 0 ? u"-" + s : s;
}

String Hex(int n, int Digits) { return PowerOfTwoDigits(static_cast<uint32_t>(n), 4, std::clamp(Digits, 1, 8)); }
String Octal(int n, int Digits) { return PowerOfTwoDigits(static_cast<uint32_t>(n), 3, std::clamp(Digits, 1, 11)); }
String Bin(int n, int Digits) { return PowerOfTwoDigits(static_cast<uint32_t>(n), 1, std::clamp(Digits, 1, 32)); }

String Roman(int n) {
  static constexpr struct {
    int value;
    const char16_t* letters;
  } kTable[] = {{1000, u"M"}, {900, u"CM"}, {500, u"D"}, {400, u"CD"}, {100, u"C"}, {90, u"XC"}, {50, u"L"},
                {40, u"XL"},  {10, u"X"},   {9, u"IX"},  {5, u"V"},    {4, u"IV"},  {1, u"I"}};
  String s;
  if (n <= 0 || n >= 30000) return s;
  for (const auto& entry : kTable) {
    for (; n >= entry.value; n -= entry.value) s += entry.letters;
  }
  return s;
}

// [SECTION] hexadecimal images of floating-point values

String FPNumToHex(double x) {
  uint8_t b[8];
  std::memcpy(b, &x, 8);  // the platform is little-endian
  return BytesToHex(b, 8);
}

String FPNumToHex(Extended x) {
  uint8_t b[10];
  ExtendedToBytes(x, b);
  return BytesToHex(b, 10);
}

String FPNumToHex(float x) {
  uint8_t b[4];
  std::memcpy(b, &x, 4);
  return BytesToHex(b, 4);
}

double HexToDouble(const String& s) {
  uint8_t b[8];
  HexToBytes(s, 8, "HexToDouble", b);
  double x = 0;
  std::memcpy(&x, b, 8);
  return x;
}

Extended HexToExtended(const String& s) {
  uint8_t b[10];
  HexToBytes(s, 10, "HexToExtended", b);
  return BytesToExtended(b);
}

float HexToSingle(const String& s) {
  uint8_t b[4];
  HexToBytes(s, 4, "HexToSingle", b);
  float x = 0;
  std::memcpy(&x, b, 4);
  return x;
}

// [SECTION] angles

String DegreeToStr(double Angle, TDegreeFormat Format, int Decimals) {
  const int dec = std::clamp(Decimals, 0, 8);
  switch (Format) {
    case dfDeg:
      return Str(Angle, 1, dec) + u"\u00B0";
    case dfDegMin: {
      const Extended e = SnapToInteger(SimpleRoundTo(static_cast<Extended>(Angle) * 60, -dec) / 60);
      return DegreesText(e) + Str(Frac(std::fabs(e)) * 60, dec + 3, dec) + u"'";
    }
    case dfDegMinSec: {
      const Extended e = SnapToInteger(SimpleRoundTo(static_cast<Extended>(Angle) * 3600, -dec) / 3600);
      const Extended m = SnapToInteger(Frac(std::fabs(e)) * 60);
      return DegreesText(e) + Str(std::trunc(m), 2, 0) + u"' " + Str(Frac(m) * 60, dec + 3, dec) + u"\"";
    }
    default:
      return Str(Angle, 1, dec);
  }
}

void ConvertDegrees(double& Degrees, double& Minutes, double& Seconds, TDegreeFormat Target,
                    TDegreeFormat Source) {
  CheckDegreeParts(Minutes, Seconds);
  if (Target == dfNumeric || Source == dfNumeric || (Target == dfDegMinSec && Source == dfDegMinSec)) return;
  const double sign = std::signbit(Degrees) ? -1.0 : 1.0;
  const double whole = std::trunc(std::fabs(Degrees));
  const double fraction = std::fabs(Degrees) - whole;
  if (Target == dfDeg) {
    if (Source == dfDegMin) Degrees = sign * (whole + Minutes / 60);
    if (Source == dfDegMinSec) Degrees = sign * (whole + std::trunc(Minutes) / 60 + Seconds / 3600);
    Minutes = Seconds = 0;
  } else if (Target == dfDegMin) {
    if (Source == dfDeg) {
      Minutes = fraction * 60;
      Degrees = sign * whole;
    }
    if (Source == dfDegMinSec) Minutes += Seconds / 60;
    Seconds = 0;
  } else if (Source == dfDeg) {  // to dfDegMinSec
    const double f = fraction * 60;
    Degrees = sign * whole;
    Minutes = std::trunc(f);
    Seconds = (f - Minutes) * 60;
  } else {  // dfDegMin to dfDegMinSec
    Seconds = (Minutes - std::trunc(Minutes)) * 60;
    Minutes = std::trunc(Minutes);
  }
}

// [SECTION] integer conversion

int StrToIntDefault(const String& s, int Default) { return s.empty() ? Default : StrToIntDef(s, Default); }

}  // namespace qelta
