// Qelta_NumIO: the number text shared by TNumIO and TNumIO2.
//
// Hexadecimal, octal and binary texts are read by the numerics' scanners (ScanHex, ScanOctal,
// ScanBin), which count modulo 2^32; the edit box refuses digits that need more than 32 bits, so a
// refused text never shows a value other than its own, and takes the 32 bits as a signed value, so
// that the eight hexadecimal digits written for -1 (FFFFFFFF) read back as -1. A decimal integer is
// refused outside the 32-bit range for the same reason (the decimal scanner wraps too).
// The exponent form with a two-digit exponent turns into asterisks for |exponent| >= 100; such values
// are written with the four-digit exponent instead, which every reader of the unit takes, so a value
// written can always be read back and edited.

#include <algorithm>
#include <bit>
#include <cmath>

#include "Math.h"
#include "Qelta_NumIO_internal.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta::ctl_detail {
namespace {

// Position after the leading blanks (1-based).
int AfterBlanks(const String& s) {
  int p = 1;
  while (p <= Length(s) && s[p - 1] == u' ') ++p;
  return p;
}

// Removes a tail that is the first 'e' alone or with one sign after it ("1.5e", "1.5e-").
String WithoutOpenExponent(const String& s) {
  const auto e = s.find(u'e');
  if (e == String::npos) return s;
  const auto tail = s.size() - e;
  if (tail == 1 || (tail == 2 && (s[e + 1] == u'+' || s[e + 1] == u'-'))) return s.substr(0, e);
  return s;
}

// Digits of a decimal integer text after its sign stay within the 32-bit range.
bool DecimalFits32(const String& s) {
  std::size_t i = !s.empty() && (s[0] == u'+' || s[0] == u'-') ? 1 : 0;
  const bool negative = i == 1 && s[0] == u'-';
  while (i < s.size() && s[i] == u'0') ++i;
  const String digits = s.substr(i);
  if (digits.size() != 10) return digits.size() < 10;
  return digits <= String(negative ? u"2147483648" : u"2147483647");
}

// Significant bits of the digits of base 2^bits from index i on stay within 32.
bool RadixFits32(const String& s, std::size_t i, int bits) {
  while (i < s.size() && s[i] == u'0') ++i;
  if (i == s.size()) return true;
  const int lead = std::bit_width(static_cast<unsigned>(HexDigitValue(s[i])));
  return static_cast<long long>(s.size() - i - 1) * bits + lead <= 32;
}

bool ConvertRadix(const String& s, TInFormat format, int32_t& value) {
  const int start = !s.empty() && s[0] == RadixPrefix(format) ? 2 : 1;
  return ReadRadixDigits(s, start, format, value) &&
         RadixFits32(s, static_cast<std::size_t>(start - 1), RadixBits(format));
}

bool ConvertInt(const String& s, double& value) {
  int pos = 1;
  value = ScanDecimal(s, pos);
  return pos == Length(s) + 1 && DecimalFits32(s);
}

bool ConvertFloat(const String& s, bool expAllowed, int sepMode, double& value) {
  int pos = 1;
  value = ScanFPNum(s, expAllowed, sepMode, pos);
  return pos == Length(s) + 1;
}

}  // namespace

// [SECTION] separators

int ConvertSepMode(TDecPSep sep) {
  switch (sep) {
    case dsDot: return 1;
    case dsComma: return 2;
    case dsBoth: return 3;
    default: return FormatSettings.DecimalSeparator == u',' ? 2 : 1;
  }
}

int ValidatorSepMode(TDecPSep sep) {
  if (sep == dsSystem) return FormatSettings.DecimalSeparator == u'.' ? 1 : 2;
  return ConvertSepMode(sep);
}

int SeparatorPos(const String& text, int mode) {
  const auto it = std::find_if(text.begin(), text.end(), [mode](Char c) { return AcceptsSeparator(c, mode); });
  return it == text.end() ? 0 : static_cast<int>(it - text.begin()) + 1;
}

// [SECTION] reading

int RadixBits(TInFormat format) { return format == itHex ? 4 : format == itOct ? 3 : 1; }

Char RadixPrefix(TInFormat format) { return format == itHex ? u'$' : format == itOct ? u'&' : u'%'; }

TInFormat DynamicFormat(Char first) {
  switch (first) {
    case u'$': return itHex;
    case u'%': return itBin;
    case u'&': return itOct;
    default: return itExp;
  }
}

bool ReadRadixDigits(const String& text, int pos, TInFormat format, int32_t& value) {
  value = format == itHex ? ScanHex(text, pos) : format == itOct ? ScanOctal(text, pos) : ScanBin(text, pos);
  return pos >= Length(text) + 1;
}

bool ConvertNumText(const String& text, TInFormat format, int sepMode, double& value) {
  if (text.empty()) return false;
  value = 0;
  const String rest = text.substr(static_cast<std::size_t>(AfterBlanks(text) - 1));
  if (rest.find(u' ') != String::npos) return false;
  const String s = LowerCase(rest);
  if (s.empty()) return true;
  if (format == itDynamic) format = DynamicFormat(s[0]);
  switch (format) {
    case itExp: return ConvertFloat(WithoutOpenExponent(s), true, sepMode, value);
    case itFloat:
    case itFixPoint: return ConvertFloat(s, false, sepMode, value);
    case itInt: return ConvertInt(s, value);
    default: {
      int32_t v = 0;
      const bool ok = ConvertRadix(s, format, v);
      value = v;
      return ok;
    }
  }
}

// [SECTION] writing

int32_t RoundTo32(double x) {
  if (std::isnan(x)) return 0;
  return static_cast<int32_t>(std::clamp<int64_t>(Round(x), INT32_MIN, INT32_MAX));
}

String ExpText(double x, int Width) {
  const String two = strff(x, Width, -2);
  return two.find(u'*') == String::npos ? two : strff(x, Width + 2, -1);
}

String RadixText(int32_t value, TInFormat format, int minDigits) {
  const int bits = RadixBits(format);
  const int needed = (std::bit_width(static_cast<uint32_t>(value)) + bits - 1) / bits;
  const int digits = std::max(minDigits, needed);
  return format == itHex ? Hex(value, digits) : format == itOct ? Octal(value, digits) : Bin(value, digits);
}

}  // namespace qelta::ctl_detail
