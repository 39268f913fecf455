#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Qelta_qeltabase.h"
#include "Qelta_univconst.h"
#include "StrUtils.h"

// Number scanners of Qelta_qeltabase.
//
// ScanFPNum builds a plain number text while it runs (sign, digits, '.', 'E', sign, exponent digits;
// leading blanks are left out, the conversion would skip them anyway) and converts it once at the end,
// in place for the usual lengths. Conversion: std::from_chars, which rounds correctly and ignores the
// process locale; only a value beyond the range of a Double (an over- or underflow, which from_chars
// reports without a value) goes through strtod_l in the "C" locale, which answers +-HUGE_VAL or 0.
// A number text that ends in 'E' or in 'E' and a sign is read without that tail, so "1.5E" and "1.5E-"
// give 1.5: the mantissa is what the text shows of the number.

namespace qelta {
namespace {

bool InText(const String& s, int pos) { return pos >= 1 && pos <= Length(s); }

Char AsciiUpper(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }

bool IsDecDigit(Char c) { return c >= u'0' && c <= u'9'; }

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

// The scanner's steps, kept inside the library so that the loop needs no call through the PLT.
inline TFPScanClass ClassOf(Char c, int sepMode) {
  if ((c == u'.' && (sepMode == 1 || sepMode == 3)) || (c == u',' && (sepMode == 2 || sepMode == 3)))
    return fpcSeparator;
  if (c == u' ') return fpcBlank;
  if (c == u'+' || c == u'-') return fpcSign;
  if (IsDecDigit(c)) return fpcDigit;
  if (AsciiUpper(c) == u'E') return fpcExponent;
  return fpcOther;
}

// For state 1..8.
inline int NextState(int state, TFPScanClass cls, bool expAllowed) {
  const int next = kNext[state - 1][cls];
  return next != 0 ? next : (expAllowed ? 6 : fpsAccept);
}

// Number text collected by ScanFPNum: held in place up to kInline characters, longer texts go to
// the heap. Exponent digits beyond the limit are left out.
class TNumberText {
 public:
  void Add(Char c, TFPScanClass cls, int state) {
    if (cls == fpcBlank) return;
    if (cls == fpcSeparator) c = u'.';
    if (state == 8 && cls == fpcDigit) {
      if (exponent_ <= FPScanMaxExponent) exponent_ = exponent_ * 10 + (c - u'0');
      if (exponent_ > FPScanMaxExponent) return;
    }
    Push(static_cast<char>(AsciiUpper(c)));
  }

  // Takes the run of digits from pos on, which keeps states 3 and 5 as they are.
  void AddDigits(const String& s, int& pos, int length) {
    for (; pos <= length && IsDecDigit(s[pos - 1]); ++pos) Push(static_cast<char>(s[pos - 1]));
  }

  std::string_view View() const { return size_ <= kInline ? std::string_view(small_, size_) : std::string_view(big_); }

 private:
  static constexpr std::size_t kInline = 64;

  void Push(char c) {
    if (size_ < kInline) {
      small_[size_++] = c;
      return;
    }
    if (size_ == kInline) big_.assign(small_, kInline);
    big_.push_back(c);
    ++size_;
  }

  char small_[kInline];
  std::string big_;
  std::size_t size_ = 0;
  int exponent_ = 0;
};

// Value of a number text beyond the range of a Double: +-HUGE_VAL or +-0 from the C locale's strtod.
double ConvertOutOfRange(std::string_view t) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return strtod_l(std::string(t).c_str(), nullptr, cLocale);
}

// Converts a number text that the scanner accepted. A final '.' needs no "0" for from_chars; a
// text that is only a sign and '.' is a zero.
double ConvertNumberText(std::string_view t) {
  if (t.size() >= 2 && (t.back() == '+' || t.back() == '-') && t[t.size() - 2] == 'E') t.remove_suffix(1);
  if (!t.empty() && t.back() == 'E') t.remove_suffix(1);
  const bool negative = !t.empty() && t.front() == '-';
  if (!t.empty() && (t.front() == '+' || negative)) t.remove_prefix(1);
  if (t == ".") return negative ? -0.0 : 0.0;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec == std::errc::result_out_of_range)
    value = ConvertOutOfRange(t);
  else if (ec != std::errc{} || end != t.data() + t.size())
    value = 0.0;
  return negative ? -value : value;
}

double ClampToMaxDouble(double v) {
  const double limit = static_cast<double>(uc_MaxDouble);
  return v > limit ? limit : (v < -limit ? -limit : v);
}

}  // namespace

// [SECTION] scanner state table

TFPScanClass FPScanClass(Char c, int SepMode) { return ClassOf(c, SepMode); }

int FPScanNext(int State, TFPScanClass Class, bool ExpAllowed) {
  return (State < 1 || State > 8) ? State : NextState(State, Class, ExpAllowed);
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

int HexDigitValue(Char c) {
  const Char u = AsciiUpper(c);
  if (IsDecDigit(u)) return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

int32_t ScanHex(const String& s, int& Pos) {
  if (Pos < 1) return 0;
  SkipBlanks(s, Pos);
  if (Pos == 1 && InText(s, 1) && s[0] == u'$') ++Pos;
  uint32_t value = 0;
  for (int d; InText(s, Pos) && (d = HexDigitValue(s[Pos - 1])) >= 0; ++Pos) value = value * 16u + static_cast<uint32_t>(d);
  return static_cast<int32_t>(value);
}

double ScanFPNum(const String& s, bool ExpAllowed, int SepMode, int& Pos) {
  TNumberText number;
  int state = fpsStart;
  const int length = static_cast<int>(s.size());
  if (Pos < 1 || Pos > length) return 0.0;  // also keeps ++Pos below from passing INT_MAX
  while (state >= 1 && state <= 8) {
    const Char c = (Pos >= 1 && Pos <= length) ? s[Pos - 1] : u'Z';  // the end of the text reads as 'Z'
    ++Pos;
    const TFPScanClass cls = ClassOf(c, SepMode);
    state = NextState(state, cls, ExpAllowed);
    if (state >= 1 && state <= 8) number.Add(c, cls, state);
    if (state == 3 || state == 5) number.AddDigits(s, Pos, length);
  }
  --Pos;
  if (state != fpsAccept) return 0.0;
  return ClampToMaxDouble(ConvertNumberText(number.View()));
}

}  // namespace qelta
