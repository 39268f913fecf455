#include <locale.h>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>

#include "Qelta_qeltabase.h"
#include "Qelta_univconst.h"
#include "StrUtils.h"

// Number scanners of Qelta_qeltabase.
//
// ScanFPNum builds a plain number text while it runs (sign, digits, '.', 'E', sign, exponent
// digits; leading blanks are not kept since the conversion skips them anyway) and converts it
// once at the end. Conversion: std::from_chars, which rounds correctly and ignores the process
// locale; only a value beyond the range of a Double (an over- or underflow, which from_chars
// reports without a value) goes through strtod_l in the "C" locale, which answers +-HUGE_VAL or
// 0 there. A number text that ends in 'E' or in 'E' and a sign is read without that tail, so
// "1.5E" and "1.5E-" give 1.5: the mantissa is what the text shows of the number.

namespace qelta {
namespace {

bool InText(const String& s, int pos) { return pos >= 1 && pos <= Length(s); }

Char AsciiUpper(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }

bool IsDecDigit(Char c) { return c >= u'0' && c <= u'9'; }

// Value 0..15 of a hexadecimal digit of either case, -1 for any other character.
int HexValue(Char c) {
  const Char u = AsciiUpper(c);
  if (IsDecDigit(u)) return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

// Advances pos over blanks while it stays below the length (a blank in the last place stays).
void SkipBlanks(const String& s, int& pos) {
  while (pos >= 1 && pos < Length(s) && s[pos - 1] == u' ') ++pos;
}

// The transition table; rows are the states 1..8, columns the classes in TFPScanClass order.
// 0 stands for "E?": 6 when the exponent is allowed, else accept.
constexpr int kNext[8][6] = {
    {4, 1, 2, 3, -1, -1},    // 1 start
    {4, -1, -1, 3, -1, -1},  // 2 after sign
    {4, 9, 9, 3, 0, 9},      // 3 integer digits
    {-1, 9, 9, 5, 0, 9},     // 4 after separator
    {-1, 9, 9, 5, 0, 9},     // 5 fraction digits
    {-1, -1, 7, 8, -1, 9},   // 6 after 'E'
    {-1, -1, -1, 8, -1, 9},  // 7 after exponent sign
    {9, 9, 9, 8, 9, 9},      // 8 exponent digits
};

// Number text collected by ScanFPNum; exponent digits beyond the limit are left out.
struct TNumberText {
  std::string text;
  int exponent = 0;

  void Add(Char c, TFPScanClass cls, int state) {
    if (cls == fpcBlank) return;
    if (cls == fpcSeparator) c = u'.';
    if (state == 8 && cls == fpcDigit) {
      if (exponent <= FPScanMaxExponent) exponent = exponent * 10 + (c - u'0');
      if (exponent > FPScanMaxExponent) return;
    }
    text.push_back(static_cast<char>(AsciiUpper(c)));
  }
};

// Value of a number text beyond the range of a Double: +-HUGE_VAL or +-0 from the C locale's strtod.
double ConvertOutOfRange(const std::string& t) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return strtod_l(t.c_str(), nullptr, cLocale);
}

// Converts a number text that the scanner accepted.
double ConvertNumberText(std::string t) {
  if (!t.empty() && (t.back() == '+' || t.back() == '-') && t.size() >= 2 && t[t.size() - 2] == 'E') t.pop_back();
  if (!t.empty() && t.back() == 'E') t.pop_back();
  if (!t.empty() && t.back() == '.') t.push_back('0');
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) return ConvertOutOfRange(t);
  if (ec != std::errc{} || end != last) return 0.0;
  return value;
}

double ClampToMaxDouble(double v) {
  const double limit = static_cast<double>(uc_MaxDouble);
  return v > limit ? limit : (v < -limit ? -limit : v);
}

}  // namespace

// [SECTION] scanner state table

TFPScanClass FPScanClass(Char c, int SepMode) {
  if ((c == u'.' && (SepMode == 1 || SepMode == 3)) || (c == u',' && (SepMode == 2 || SepMode == 3)))
    return fpcSeparator;
  if (c == u' ') return fpcBlank;
  if (c == u'+' || c == u'-') return fpcSign;
  if (IsDecDigit(c)) return fpcDigit;
  if (AsciiUpper(c) == u'E') return fpcExponent;
  return fpcOther;
}

int FPScanNext(int State, TFPScanClass Class, bool ExpAllowed) {
  if (State < 1 || State > 8) return State;
  const int next = kNext[State - 1][Class];
  return next != 0 ? next : (ExpAllowed ? 6 : fpsAccept);
}

// [SECTION] scanners

int32_t ScanDecimal(const String& s, int& Pos) {
  if (s.empty() || Pos < 1) return 0;
  SkipBlanks(s, Pos);
  bool negative = false;
  if (InText(s, Pos) && (s[Pos - 1] == u'-' || s[Pos - 1] == u'+')) {
    negative = s[Pos - 1] == u'-';
    ++Pos;
  }
  uint32_t value = 0;
  for (; InText(s, Pos) && IsDecDigit(s[Pos - 1]); ++Pos) value = value * 10u + (s[Pos - 1] - u'0');
  return static_cast<int32_t>(negative ? 0u - value : value);
}

int32_t ScanHex(const String& s, int& Pos) {
  if (Pos < 1) return 0;
  SkipBlanks(s, Pos);
  if (Pos == 1 && InText(s, 1) && s[0] == u'$') ++Pos;
  uint32_t value = 0;
  for (int d; InText(s, Pos) && (d = HexValue(s[Pos - 1])) >= 0; ++Pos) value = value * 16u + static_cast<uint32_t>(d);
  return static_cast<int32_t>(value);
}

double ScanFPNum(const String& s, bool ExpAllowed, int SepMode, int& Pos) {
  TNumberText number;
  int state = fpsStart;
  while (state >= 1 && state <= 8) {
    const Char c = InText(s, Pos) ? s[Pos - 1] : u'Z';  // the end of the text reads as 'Z'
    ++Pos;
    const TFPScanClass cls = FPScanClass(c, SepMode);
    state = FPScanNext(state, cls, ExpAllowed);
    if (state >= 1 && state <= 8) number.Add(c, cls, state);
  }
  --Pos;
  if (state != fpsAccept) return 0.0;
  return ClampToMaxDouble(ConvertNumberText(std::move(number.text)));
}

}  // namespace qelta
