#include <emmintrin.h>
#include <locale.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Qelta_qeltabase.h"
#include "Qelta_qeltabase_scan_internal.h"
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
// The common case, a plain number ([blanks] [sign] digits [separator digits] [E [sign] digits]) that
// ends on a character where the machine accepts, is read in one pass without the state table; every
// other text goes through the machine character by character. Both give the same value and position
// on every text (the tests compare them on random texts).
//
// Every scanner reads a view of characters (core_detail, for readers that scan a value where it stands in
// a larger text); the String forms hand it their characters. ScanHex takes runs of eight digits at once
// and the rest one by one; the tests compare it with the plain digit-by-digit rule.

namespace qelta {
namespace {

Char AsciiUpper(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }

bool IsDecDigit(Char c) { return c >= u'0' && c <= u'9'; }

// The 0-based index i moved over blanks while the position i + 1 stays below the length (a blank in the
// last place stays).
int SkipBlanks(std::u16string_view s, int length, int i) {
  while (i + 1 < length && s[i] == u' ') ++i;
  return i;
}

// Value 0..15 of a hexadecimal digit, -1 for any other character: bit 5 set folds A-F onto a-f only.
inline int HexValue(Char c) {
  const unsigned digit = static_cast<unsigned>(c) - u'0', letter = (static_cast<unsigned>(c) | 0x20u) - u'a';
  return digit < 10 ? static_cast<int>(digit) : (letter < 6 ? static_cast<int>(letter) + 10 : -1);
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

  // Takes the run of digits of text from index i on (0-based, below length), which keeps states 3
  // and 5 as they are; answers the index after the run.
  int AddDigits(const Char* text, int i, int length) {
    int end = i;
    while (end < length && IsDecDigit(text[end])) ++end;
    if (size_ + static_cast<std::size_t>(end - i) <= kInline) {
      for (int k = i; k < end; ++k) small_[size_++] = static_cast<char>(text[k]);
    } else {
      for (int k = i; k < end; ++k) Push(static_cast<char>(text[k]));
    }
    return end;
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

// [SECTION] plain numbers in one pass

constexpr int kWindow = 32;  // characters a plain number may span; longer ones go to the machine

// Bit k set: c[k] is a decimal digit, for k < n <= 64. Four characters at a time in a 64-bit word
// (no branch per character, so runs of random length cost no mispredicted jumps): a lane is a digit
// when it is below $80, at least $30 and not above $39; the four flags are gathered by one multiply.
uint64_t DigitMask(const Char* c, int n) {
  uint64_t mask = 0;
  int k = 0;
  const __m128i zero = _mm_set1_epi16('0'), nine = _mm_set1_epi16(9);
  for (; k + 8 <= n; k += 8) {
    const __m128i d = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(c + k)), zero);
    const __m128i isDigit = _mm_cmpeq_epi16(_mm_subs_epu16(d, nine), _mm_setzero_si128());
    mask |= uint64_t(_mm_movemask_epi8(_mm_packs_epi16(isDigit, isDigit)) & 0xFF) << k;
  }
  for (; k < n; ++k) mask |= uint64_t{IsDecDigit(c[k])} << k;
  return mask;
}

// The end of the run of digits from k on (bit k of digits may be clear: then k).
inline int RunEnd(uint64_t digits, int k) { return k >= kWindow ? k : k + std::countr_zero(~(digits >> k)); }

// text[from..to) narrowed to out; answers the end of what was written.
inline char* Narrow(const Char* text, int from, int to, char* out) {
  for (; from < to; ++from) *out++ = static_cast<char>(text[from]);
  return out;
}

// A plain number as ScanPlainNumber found it: its number text (as the machine would collect it) and
// where its digits stand in that text.
struct TPlainNumber {
  char Text[2 * kWindow];
  int Size = 0;
  int End = -1;              // index of the character that ends it in the scanned text
  int IntAt = 0, IntN = 0;   // integer digits in Text
  int FracAt = 0, FracN = 0; // fraction digits in Text
  int Exponent = 0;          // the value after 'E'
  bool Negative = false;
};

// Reads a plain number from index i (0-based): true when the text holds one there; false, having
// decided nothing, for any other text (the machine reads it).
bool ScanPlainNumber(const Char* text, int length, int i, bool expAllowed, int sepMode, TPlainNumber& p) {
  while (i < length && text[i] == u' ') ++i;
  char* o = p.Text;
  if (i < length && (text[i] == u'+' || text[i] == u'-')) p.Negative = text[i] == u'-', *o++ = static_cast<char>(text[i++]);
  const Char* c = text + i;
  const int n = std::min(length - i, kWindow);
  const uint64_t digits = DigitMask(c, n);
  auto classAt = [&](int k) { return ClassOf(k < n ? c[k] : u'Z', sepMode); };
  int k = RunEnd(digits, 0);
  if (k == 0) return false;  // states 1 and 2 need a digit here
  p.IntAt = static_cast<int>(o - p.Text), p.IntN = k;
  o = Narrow(c, 0, k, o);
  TFPScanClass cls = classAt(k);
  if (cls == fpcSeparator) {  // state 4, then 5 on digits
    *o++ = '.';
    const int from = k + 1;
    k = RunEnd(digits, from);
    p.FracAt = static_cast<int>(o - p.Text), p.FracN = k - from;
    o = Narrow(c, from, k, o);
    cls = classAt(k);
    if (cls == fpcSeparator) return false;  // an error of the machine
  }
  if (cls == fpcExponent && expAllowed) {  // states 6, 7, 8
    *o++ = 'E';
    bool minus = false;
    if (++k < n && (c[k] == u'+' || c[k] == u'-')) minus = c[k] == u'-', *o++ = static_cast<char>(c[k++]);
    const int from = k;
    k = RunEnd(digits, from);
    if (k == from || k - from > 4) return false;  // no digit, or an exponent the machine may cut
    for (int d = from; d < k; ++d) p.Exponent = p.Exponent * 10 + (c[d] - u'0');
    if (p.Exponent > FPScanMaxExponent) return false;
    if (minus) p.Exponent = -p.Exponent;
    o = Narrow(c, from, k, o);
  }
  if (k >= n && n == kWindow) return false;  // may go on beyond the window
  p.Size = static_cast<int>(o - p.Text);
  p.End = i + k;  // blank, sign, other, 'E' without exponent, the end: the machine accepts
  return true;
}

// The value of eight ASCII digits, first digit most significant (D. Lemire, "Faster integer
// parsing", 2018: three multiplications combine pairs, quads, then the two halves).
inline uint64_t EightDigits(const char* d) {
  uint64_t v;
  std::memcpy(&v, d, sizeof v);
  v = (v & 0x0F0F0F0F0F0F0F0Full) * 2561 >> 8;
  v = (v & 0x00FF00FF00FF00FFull) * 6553601 >> 16;
  return (v & 0x0000FFFF0000FFFFull) * 42949672960001ull >> 32;
}

// w := w * 10^n + the n digits at d.
inline uint64_t AppendDigits(uint64_t w, const char* d, int n) {
  for (; n >= 8; n -= 8, d += 8) w = w * 100000000u + EightDigits(d);
  for (; n > 0; --n, ++d) w = w * 10 + static_cast<uint64_t>(*d - '0');
  return w;
}

// Value of a plain number. Up to 19 digits whose value w stays within 2^53 and a decimal exponent q
// within +-22 give w x 10^q or w / 10^-q: both operands exact, so the one rounding is the correct
// one, as from_chars gives it (W. D. Clinger, "How to read floating point numbers accurately",
// 1990). Every other number goes to from_chars.
double PlainValue(const TPlainNumber& p) {
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const int q = p.Exponent - p.FracN;
  if (p.IntN + p.FracN <= 19 && q >= -22 && q <= 22) {
    const uint64_t w = AppendDigits(AppendDigits(0, p.Text + p.IntAt, p.IntN), p.Text + p.FracAt, p.FracN);
    if (w <= (uint64_t{1} << 53)) {
      const double v = q < 0 ? static_cast<double>(w) / kPow10[-q] : static_cast<double>(w) * kPow10[q];
      return p.Negative ? -v : v;
    }
  }
  return ConvertNumberText(std::string_view(p.Text, static_cast<std::size_t>(p.Size)));
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

// Each scanner works on 0-based indices into a view and writes Pos back once; the String forms are the same
// scanners on the String's characters.

int32_t core_detail::ScanDecimalView(std::u16string_view s, int& Pos) {
  if (s.empty() || Pos < 1) return 0;
  const int length = static_cast<int>(s.size());
  int i = SkipBlanks(s, length, Pos - 1);
  bool negative = false;
  if (i < length && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  uint32_t value = 0;
  for (; i < length && IsDecDigit(s[i]); ++i) value = value * 10u + (s[i] - u'0');
  Pos = i + 1;
  return static_cast<int32_t>(negative ? 0u - value : value);
}

int32_t ScanDecimal(const String& s, int& Pos) { return core_detail::ScanDecimalView(s, Pos); }

int HexDigitValue(Char c) { return HexValue(c); }

// Eight hexadecimal digits from p on (SSE2): true with their value when all eight are digits. Each lane is
// checked and turned into its value as HexValue does, then the nibbles are gathered pair by pair.
inline bool EightHexDigits(const Char* p, uint32_t& value) {
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i digit = _mm_sub_epi16(c, _mm_set1_epi16('0'));
  const __m128i letter = _mm_sub_epi16(_mm_or_si128(c, _mm_set1_epi16(0x20)), _mm_set1_epi16('a'));
  const __m128i isDigit = _mm_cmpeq_epi16(_mm_subs_epu16(digit, _mm_set1_epi16(9)), _mm_setzero_si128());
  const __m128i isLetter = _mm_cmpeq_epi16(_mm_subs_epu16(letter, _mm_set1_epi16(5)), _mm_setzero_si128());
  if (_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) != 0xFFFF) return false;
  const __m128i nibbles =
      _mm_or_si128(_mm_and_si128(isDigit, digit), _mm_andnot_si128(isDigit, _mm_add_epi16(letter, _mm_set1_epi16(10))));
  auto b = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(nibbles, nibbles)));  // byte k: digit k
  b = (b & 0x00FF00FF00FF00FFull) << 4 | (b >> 8 & 0x00FF00FF00FF00FFull);                  // two digits a lane
  b = (b & 0x0000FFFF0000FFFFull) << 8 | (b >> 16 & 0x0000FFFF0000FFFFull);                 // four
  value = static_cast<uint32_t>((b & 0xFFFF) << 16 | b >> 32);
  return true;
}

int32_t core_detail::ScanHexView(std::u16string_view s, int& Pos) {
  if (Pos < 1) return 0;
  const int length = static_cast<int>(s.size());
  int i = SkipBlanks(s, length, Pos - 1);
  if (i == 0 && length >= 1 && s[0] == u'$') ++i;
  uint32_t value = 0;
  // Eight more digits shift the digits before out of the 32 bits: the value is theirs alone.
  for (uint32_t eight; i + 8 <= length && EightHexDigits(s.data() + i, eight); i += 8) value = eight;
  for (int d; i < length && (d = HexValue(s[i])) >= 0; ++i) value = value * 16u + static_cast<uint32_t>(d);
  Pos = i + 1;
  return static_cast<int32_t>(value);
}

int32_t ScanHex(const String& s, int& Pos) { return core_detail::ScanHexView(s, Pos); }

double core_detail::ScanFPNumByMachine(std::u16string_view s, bool ExpAllowed, int SepMode, int& Pos) {
  const int length = static_cast<int>(s.size());
  if (Pos < 1 || Pos > length) return 0.0;  // also keeps the index below from passing INT_MAX
  TNumberText number;
  int state = fpsStart;
  const Char* text = s.data();
  int i = Pos - 1;  // 0-based index of the next character; Pos is written back once
  while (state >= 1 && state <= 8) {
    const Char c = i < length ? text[i] : u'Z';  // the end of the text reads as 'Z'
    ++i;
    const TFPScanClass cls = ClassOf(c, SepMode);
    state = NextState(state, cls, ExpAllowed);
    if (state >= 1 && state <= 8) number.Add(c, cls, state);
    if (state == 3 || state == 5) i = number.AddDigits(text, i, length);
  }
  Pos = i;  // back on the character that ended the scan
  if (state != fpsAccept) return 0.0;
  return ClampToMaxDouble(ConvertNumberText(number.View()));
}

double core_detail::ScanFPNumView(std::u16string_view s, bool ExpAllowed, int SepMode, int& Pos) {
  const int length = static_cast<int>(s.size());
  if (Pos < 1 || Pos > length) return 0.0;
  TPlainNumber plain;
  if (!ScanPlainNumber(s.data(), length, Pos - 1, ExpAllowed, SepMode, plain))
    return ScanFPNumByMachine(s, ExpAllowed, SepMode, Pos);
  Pos = plain.End + 1;
  return ClampToMaxDouble(PlainValue(plain));
}

double ScanFPNum(const String& s, bool ExpAllowed, int SepMode, int& Pos) {
  return core_detail::ScanFPNumView(s, ExpAllowed, SepMode, Pos);
}

}  // namespace qelta
