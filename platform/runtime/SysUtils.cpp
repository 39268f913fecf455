// Integer text both ways and float parsing. Float output lives in FloatText.cpp, Format in FormatText.cpp.
//
// Scanners report the 1-based position of the first character they cannot take (Val's code), so that
// StrToInt, TryStrToInt and Val share one reader. Integers: leading blanks only (as the classic Val);
// a trailing blank is an error. Floats: the digits are checked here and handed to std::from_chars, which
// rounds correctly and never looks at the process locale.

#include "SysUtils.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "Encoding.h"
#include "Exceptions.h"

namespace qelta {

TFormatSettings FormatSettings;

namespace {

constexpr int kOk = 0;

bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }

int HexValue(Char c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

size_t SkipBlanks(const String& s, size_t i) {
  while (i < s.size() && s[i] == u' ') ++i;
  return i;
}

// Position (1-based) of index i for Val's code.
int CodeAt(size_t i) { return static_cast<int>(i) + 1; }

// Reads hex digits from i; `bits` is 32 or 64. Returns kOk or the bad position.
int ScanHexDigits(const String& s, size_t i, int bits, uint64_t& magnitude) {
  if (i >= s.size()) return CodeAt(i);
  const uint64_t limit = bits == 32 ? 0xFFFFFFFFull : ~0ull;
  for (magnitude = 0; i < s.size(); ++i) {
    const int v = HexValue(s[i]);
    if (v < 0 || magnitude > (limit >> 4)) return CodeAt(i);
    magnitude = magnitude * 16 + static_cast<uint64_t>(v);
  }
  return kOk;
}

// Reads decimal digits from i, refusing a magnitude above `limit`.
int ScanDecDigits(const String& s, size_t i, uint64_t limit, uint64_t& magnitude) {
  if (i >= s.size()) return CodeAt(i);
  for (magnitude = 0; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return CodeAt(i);
    const uint64_t d = s[i] - u'0';
    if (magnitude > (limit - d) / 10) return CodeAt(i);
    magnitude = magnitude * 10 + d;
  }
  return kOk;
}

// Whole-text integer reader of width `bits`; hex keeps the bit pattern, decimal is range-checked.
int ScanInteger(const String& s, int bits, int64_t& value) {
  size_t i = SkipBlanks(s, 0);
  const bool negative = i < s.size() && s[i] == u'-';
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) ++i;
  uint64_t magnitude = 0;
  int code = kOk;
  if (i < s.size() && s[i] == u'$') {
    code = ScanHexDigits(s, i + 1, bits, magnitude);
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    code = ScanHexDigits(s, i + 2, bits, magnitude);
  } else {
    const uint64_t maxPositive = bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull;
    code = ScanDecDigits(s, i, maxPositive + (negative ? 1 : 0), magnitude);
  }
  if (code != kOk) return code;
  if (negative) magnitude = 0 - magnitude;  // unsigned wrap: two's complement
  value = bits == 32 ? static_cast<int32_t>(static_cast<uint32_t>(magnitude)) : static_cast<int64_t>(magnitude);
  return kOk;
}

[[noreturn]] void ThrowNotInteger(const String& s) {
  throw EConvertError(u"'" + s + u"' is not a valid integer value");
}

[[noreturn]] void ThrowNotFloat(const String& s) {
  throw EConvertError(u"'" + s + u"' is not a valid floating point value");
}

// Layout of a float text found by ScanFloatSyntax: where the number ends and its rough size.
struct TFloatScan {
  size_t End = 0;       // index after the number
  int Code = kOk;       // first bad position, kOk when the syntax holds
  long DecimalExp = 0;  // integer digits (leading zeros skipped) plus the written exponent
};

// Reads digits from i, counting them; returns the index after them.
size_t SkipDigits(const String& s, size_t i, int& count) {
  for (count = 0; i < s.size() && IsDigit(s[i]); ++i) ++count;
  return i;
}

// Reads "E[+-]digits" at i (which holds 'E' or 'e'); adds the exponent to the scan.
size_t ScanExponent(const String& s, size_t i, TFloatScan& scan) {
  ++i;
  const bool negative = i < s.size() && s[i] == u'-';
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) ++i;
  long e = 0;
  int count = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++count) e = e < 100000 ? e * 10 + (s[i] - u'0') : e;
  if (count == 0) scan.Code = CodeAt(i);
  scan.DecimalExp += negative ? -e : e;
  return i;
}

// Number of '0' at the start of s[from, to).
int LeadingZeros(const String& s, size_t from, size_t to) {
  size_t i = from;
  while (i < to && s[i] == u'0') ++i;
  return static_cast<int>(i - from);
}

// Integer digits of s[from, to) that count for the size: leading zeros skipped.
int SignificantIntDigits(const String& s, size_t from, size_t to) {
  return static_cast<int>(to - from) - LeadingZeros(s, from, to);
}

// Checks [sign] digits [point digits] [E [sign] digits] from i; needs one mantissa digit at least.
TFloatScan ScanFloatSyntax(const String& s, size_t i, Char point) {
  TFloatScan scan;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) ++i;
  int intCount = 0, fracCount = 0;
  const size_t intStart = i;
  i = SkipDigits(s, i, intCount);
  scan.DecimalExp = SignificantIntDigits(s, intStart, i);
  if (i < s.size() && s[i] == point) {
    const size_t fracStart = i + 1;
    i = SkipDigits(s, fracStart, fracCount);
    if (scan.DecimalExp == 0) scan.DecimalExp = -LeadingZeros(s, fracStart, i);
  }
  if (intCount + fracCount == 0) {
    scan.Code = CodeAt(i);
    return scan;
  }
  if (i < s.size() && (s[i] == u'E' || s[i] == u'e')) i = ScanExponent(s, i, scan);
  scan.End = i;
  return scan;
}

// Converts the checked number text s[from, to) with `point` as its point; false on overflow.
bool ConvertFloat(const String& s, size_t from, size_t to, Char point, long decimalExp, double& value) {
  std::string ascii;
  ascii.reserve(to - from);
  for (size_t i = from; i < to; ++i) {
    if (s[i] == u'+' && i == from) continue;  // from_chars takes no leading '+'
    ascii += s[i] == point ? '.' : static_cast<char>(s[i]);
  }
  double v = 0;
  const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    if (decimalExp > 0) return false;  // overflow
    v = ascii[0] == '-' ? -0.0 : 0.0;  // underflow reads as zero
  }
  value = v;
  return true;
}

// Whole-text float reader: leading blanks, the number, then trailing blanks if `trailingBlanks`.
int ScanFloat(const String& s, Char point, bool trailingBlanks, double& value) {
  const size_t start = SkipBlanks(s, 0);
  TFloatScan scan = ScanFloatSyntax(s, start, point);
  if (scan.Code != kOk) return scan.Code;
  const size_t end = trailingBlanks ? SkipBlanks(s, scan.End) : scan.End;
  if (end < s.size()) return CodeAt(end);
  if (!ConvertFloat(s, start, scan.End, point, scan.DecimalExp, value)) return CodeAt(s.size());
  return kOk;
}

String HexText(uint64_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  String out;
  do {
    out.insert(out.begin(), static_cast<Char>(kHex[value & 15]));
    value >>= 4;
  } while (value != 0);
  digits = std::min(digits, 1 << 20);  // more zeros than that only ask for a huge text
  if (static_cast<int>(out.size()) < digits) out.insert(0, static_cast<size_t>(digits) - out.size(), u'0');
  return out;
}

}  // namespace

// --- integers ---------------------------------------------------------------------------------------

String IntToStr(int64_t value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return String(buf, r.ptr);
}

String platform_detail::HexText32(uint32_t value, int digits) { return HexText(value, digits); }
String platform_detail::HexText64(uint64_t value, int digits) { return HexText(value, digits); }

int32_t StrToInt(const String& s) {
  int64_t v = 0;
  if (ScanInteger(s, 32, v) != kOk) ThrowNotInteger(s);
  return static_cast<int32_t>(v);
}

int64_t StrToInt64(const String& s) {
  int64_t v = 0;
  if (ScanInteger(s, 64, v) != kOk) ThrowNotInteger(s);
  return v;
}

int32_t StrToIntDef(const String& s, int32_t def) {
  int32_t v = def;
  return TryStrToInt(s, v) ? v : def;
}

bool TryStrToInt(const String& s, int32_t& value) {
  int64_t v = 0;
  if (ScanInteger(s, 32, v) != kOk) return false;
  value = static_cast<int32_t>(v);
  return true;
}

void Val(const String& s, int32_t& value, int& code) {
  int64_t v = 0;
  code = ScanInteger(s, 32, v);
  value = code == kOk ? static_cast<int32_t>(v) : 0;
}

void Val(const String& s, int64_t& value, int& code) {
  int64_t v = 0;
  code = ScanInteger(s, 64, v);
  value = code == kOk ? v : 0;
}

// --- floats: text to number -------------------------------------------------------------------------

double StrToFloat(const String& s) {
  double v = 0;
  if (!TryStrToFloat(s, v)) ThrowNotFloat(s);
  return v;
}

bool TryStrToFloat(const String& s, double& value) {
  double v = 0;
  if (ScanFloat(s, FormatSettings.DecimalSeparator, true, v) != kOk) return false;
  value = v;
  return true;
}

void Val(const String& s, double& value, int& code) {
  double v = 0;
  code = ScanFloat(s, u'.', false, v);
  value = code == kOk ? v : 0;
}

// --- Format arguments -------------------------------------------------------------------------------

TVarRec::TVarRec(const char* utf8) : Kind(vtString), Text(utf8 ? Utf8ToString(utf8) : String()) {}

}  // namespace qelta
