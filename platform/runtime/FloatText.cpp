// Float to text: Str, FloatToStr, FloatToStrF, FormatFloat.
//
// Rounding. Every routine rounds once, from the exact binary value, at min(significant digits, integer
// digits + decimals) digits, a tie going away from zero. std::to_chars with a precision rounds correctly
// but breaks ties to even, so it is used only where no tie can occur. A finite binary value is
// m * 2^-f with m odd: its exact expansion has exactly f decimals, the last being 5. So rounding at k
// decimals meets a tie only when f == k + 1, and rounding at n significant digits only when the exact
// expansion has n + 1 significant digits (or, for integers, when it has more than n). In those cases
// the exact expansion (to_chars with f decimals, always exact) is rounded by hand.
// A long double that a double holds exactly takes the faster double path.
// Str's common case (a double, no tie where it rounds) is written straight into a stack buffer and
// widened once into the result: one allocation per text. Its digits are round(|x| x 10^p) for the
// power p the form asks for, computed exactly from the binary value m x 2^e in 128-bit integers
// (m x 10^p < 2^127 for 0 <= p <= 22; for p < 0 one division of m x 2^e < 2^128 by 10^-p), where a
// tie is seen and goes away from zero. Beyond that the exponent form takes them from to_chars's shortest
// text (much faster than to_chars with a precision) wherever that text rules a tie out (ShortestDigits
// says why); the fixed form asks to_chars for them. Only ties, long doubles and texts beyond the buffer
// take the exact path through the decimal digits; the tests compare the two.
//
// Str's exponent form: sign character (blank or '-'), one digit, '.', n - 1 digits, 'E', sign, four
// exponent digits: n + 8 characters, so n = width - 8 fills the field, clamped to 2..18 digits (18 is
// what an Extended carries; one digit after the point at least).

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "DirectPaths.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr int kNoLimit = std::numeric_limits<int>::max();
constexpr int kMaxDigits = 18;   // significant digits an Extended carries
constexpr int kShowDigits = 15;  // significant digits of the FloatToStr family and FormatFloat
constexpr int kMaxField = 1 << 20;  // Str's widths and decimals stop here: beyond, they only ask for huge texts

// [SECTION] decimal digits

// The value 0.Digits x 10^Exp of a magnitude; no leading or trailing '0' in Digits; empty Digits is zero.
struct TDecimal {
  std::string Digits;
  int Exp = 0;
  bool Zero() const { return Digits.empty(); }
};

void Normalize(TDecimal& d) {
  const size_t lead = d.Digits.find_first_not_of('0');
  if (lead == std::string::npos) {
    d = TDecimal{};
    return;
  }
  d.Digits.erase(0, lead);
  d.Exp -= static_cast<int>(lead);
  d.Digits.erase(d.Digits.find_last_not_of('0') + 1);
}

// "123.45" -> 12345, Exp 3.
TDecimal FromFixedText(std::string_view t) {
  const size_t point = t.find('.');
  const std::string_view ip = t.substr(0, point);
  TDecimal d;
  d.Digits.reserve(t.size());
  d.Digits.append(ip);
  if (point != std::string_view::npos) d.Digits.append(t.substr(point + 1));
  d.Exp = static_cast<int>(ip.size());
  Normalize(d);
  return d;
}

// "1.2345e+05" -> 12345, Exp 6.
TDecimal FromSciText(std::string_view t) {
  const size_t e = t.find('e');
  TDecimal d = FromFixedText(t.substr(0, e));
  size_t i = e + 1;
  const bool negative = t[i] == '-';
  if (t[i] == '-' || t[i] == '+') ++i;
  int x = 0;
  std::from_chars(t.data() + i, t.data() + t.size(), x);
  if (!d.Zero()) d.Exp += negative ? -x : x;
  return d;
}

// to_chars of a finite magnitude in the given form, read back as digits.
template <typename T>
TDecimal Convert(T ax, std::chars_format fmt, int precision) {
  int e2 = 0;
  std::frexp(ax, &e2);
  const size_t size = static_cast<size_t>(precision) + 48 + static_cast<size_t>(std::max(e2, 0) * 0.30103);
  char small[512];
  std::string big;
  char* buf = small;
  if (size > sizeof small) {
    big.resize(size);
    buf = big.data();
  }
  const auto r = std::to_chars(buf, buf + size, ax, fmt, precision);
  const std::string_view text(buf, static_cast<size_t>(r.ptr - buf));
  return fmt == std::chars_format::scientific ? FromSciText(text) : FromFixedText(text);
}

// Decimals of the exact expansion of a finite magnitude (ax = m * 2^-f, m odd).
template <typename T>
int ExactDecimals(T ax) {
  if (ax == 0) return 0;
  constexpr int bits = std::numeric_limits<T>::digits;
  int e = 0;
  const T m = std::frexp(ax, &e);
  const auto mantissa = static_cast<uint64_t>(std::ldexp(m, bits));
  e -= bits - std::countr_zero(mantissa);
  return e < 0 ? -e : 0;
}

// The same for a double, from its bits (no library call on the hot path).
int ExactDecimals(double ax) {
  const uint64_t bits = std::bit_cast<uint64_t>(ax);
  const int biased = static_cast<int>(bits >> 52) & 0x7FF;
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  if (biased != 0) mantissa |= uint64_t{1} << 52;
  if (mantissa == 0) return 0;
  const int e = (biased != 0 ? biased - 1075 : -1074) + std::countr_zero(mantissa);  // ax = odd * 2^e
  return e < 0 ? -e : 0;
}

// Adds one unit in the last place of d.Digits.
void Increment(TDecimal& d) {
  int i = static_cast<int>(d.Digits.size()) - 1;
  while (i >= 0 && d.Digits[static_cast<size_t>(i)] == '9') d.Digits[static_cast<size_t>(i--)] = '0';
  if (i >= 0) {
    ++d.Digits[static_cast<size_t>(i)];
  } else {
    d.Digits.insert(0, 1, '1');
    ++d.Exp;
  }
}

// Keeps the first `keep` digits of exact digits, rounding half away from zero.
TDecimal RoundKeep(TDecimal d, int keep) {
  if (keep >= static_cast<int>(d.Digits.size())) return d;
  if (keep < 0) return TDecimal{};
  const bool up = d.Digits[static_cast<size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<size_t>(keep));
  if (up) Increment(d);
  Normalize(d);
  return d;
}

// Rounded at k >= 0 decimals.
template <typename T>
TDecimal FixRound(T ax, int k) {
  const int f = ExactDecimals(ax);
  if (f - 1 > k) return Convert(ax, std::chars_format::fixed, k);
  TDecimal exact = Convert(ax, std::chars_format::fixed, f);
  const int keep = exact.Exp + std::min(k, f);  // exact has no digit beyond f decimals
  return RoundKeep(std::move(exact), keep);
}

// Whether rounding at n significant digits can meet a tie; exp is that of to_chars's result.
bool TiePossible(int f, int exp, int n) {
  if (f == 0) return exp > n;
  return exp + f == n + 1 || exp - 1 + f == n + 1;  // exp may be one up after a carry
}

// Rounded at n >= 1 significant digits.
template <typename T>
TDecimal SigRound(T ax, int n) {
  TDecimal d = Convert(ax, std::chars_format::scientific, n - 1);
  const int f = ExactDecimals(ax);
  if (!TiePossible(f, d.Exp, n)) return d;
  return RoundKeep(Convert(ax, std::chars_format::fixed, f), n);
}

// At least the number of integer digits of ax (from the binary exponent: ax < 2^e2); may be over.
template <typename T>
int IntDigitsBound(T ax) {
  int e2 = 0;
  std::frexp(ax, &e2);
  return static_cast<int>(std::ceil(e2 * 0.30103)) + 2;  // one spare for the rounded log10(2)
}

// Rounded at min(sig, integer digits + frac) digits; either limit may be kNoLimit.
template <typename T>
TDecimal RoundAt(T ax, int sig, int frac) {
  if (sig == kNoLimit || (frac != kNoLimit && IntDigitsBound(ax) + frac <= sig)) return FixRound(ax, frac);
  TDecimal d = SigRound(ax, sig);
  if (frac == kNoLimit || d.Exp + frac >= sig) return d;
  return FixRound(ax, frac);
}

// RoundAt of |x| for a finite x, through double when it holds x exactly.
TDecimal Round(Extended x, int sig, int frac) {
  const Extended ax = std::fabs(x);
  const auto d = static_cast<double>(ax);
  if (static_cast<Extended>(d) == ax) return RoundAt(d, sig, frac);
  return RoundAt(ax, sig, frac);
}

// [SECTION] Str's direct path

constexpr std::size_t kDirectBuffer = 384;  // a finite double's fixed text with up to 40 decimals fits

// The value as a double when a double holds it exactly as a normal number (and the direct paths
// are on). Read from the 80-bit image with integer operations: a round trip through the x87 unit
// costs more than the rest of the test.
bool AsDouble(const Extended& x, double& d) {
  static_assert(std::numeric_limits<Extended>::digits == 64);
  uint64_t mantissa = 0;
  uint16_t signExponent = 0;
  std::memcpy(&mantissa, &x, sizeof mantissa);
  std::memcpy(&signExponent, reinterpret_cast<const char*>(&x) + 8, sizeof signExponent);
  const uint64_t sign = uint64_t{signExponent} >> 15 << 63;
  const int exponent = (signExponent & 0x7FFF) - 16383 + 1023;
  if ((signExponent & 0x7FFF) == 0 && mantissa == 0) {
    d = std::bit_cast<double>(sign);  // a zero keeps its sign
  } else {
    if (exponent <= 0 || exponent >= 0x7FF || (mantissa >> 63) == 0 || (mantissa & 0x7FF) != 0) return false;
    d = std::bit_cast<double>(sign | uint64_t(exponent) << 52 | (mantissa >> 11 & ((uint64_t{1} << 52) - 1)));
  }
  return platform_detail::DirectPaths();
}

// Fixed form of a finite double at `decimals` decimals, sign included ("-0.00" loses its sign: a
// value printing as all zeros has none); false when rounding there may meet a tie or the text may
// not fit.
__extension__ typedef unsigned __int128 TU128;

// 10^0 .. 10^38: 10^22 < 2^74, so m x 10^p < 2^127 for a 53-bit m and p <= 22; 10^38 < 2^127.
constexpr std::array<TU128, 39> MakePowersOfTen() {
  std::array<TU128, 39> t{};
  t[0] = 1;
  for (size_t i = 1; i < t.size(); ++i) t[i] = t[i - 1] * 10;
  return t;
}
constexpr std::array<TU128, 39> kPowersOfTen = MakePowersOfTen();

int BitWidth(TU128 v) {
  const auto high = static_cast<uint64_t>(v >> 64);
  return high != 0 ? 64 + std::bit_width(high) : std::bit_width(static_cast<uint64_t>(v));
}

// round(m x 2^e / 10^q), a tie away from zero, for a 53-bit m and 1 <= q <= 38 when it fits 64 bits: one
// exact 128-bit division (both sides fit: m x 2^e < 2^128, or 10^q x 2^-e < 2^128); false otherwise.
bool DividedInteger(uint64_t m, int e, int q, uint64_t& digits) {
  if (q > 38 || e > 75) return false;
  TU128 num = m, den = kPowersOfTen[static_cast<size_t>(q)];
  if (e >= 0) {
    num <<= e;
  } else {
    if (BitWidth(den) - e > 128) return false;
    den <<= -e;
  }
  const TU128 whole = num / den, rest = num - whole * den;
  const TU128 v = whole + (rest >= den - rest ? 1 : 0);
  if (v >> 64 != 0) return false;
  digits = static_cast<uint64_t>(v);
  return true;
}

// round(ax x 10^p), a tie away from zero, for -38 <= p <= 22 when it fits 64 bits, from the binary value
// m x 2^e in exact 128-bit arithmetic; false when it does not fit.
bool ScaledInteger(double ax, int p, uint64_t& q) {
  if (p > 22) return false;
  const uint64_t bits = std::bit_cast<uint64_t>(ax);
  const int biased = static_cast<int>(bits >> 52) & 0x7FF;
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (biased != 0 ? uint64_t{1} << 52 : 0);
  const int e = biased != 0 ? biased - 1075 : -1074;
  if (p < 0) return DividedInteger(m, e, -p, q);
  TU128 v = TU128{m} * kPowersOfTen[static_cast<size_t>(p)];
  if (e >= 0) {
    if (e > 11 || v >> 64 != 0 || (v << e) >> 64 != 0) return false;
    q = static_cast<uint64_t>(v << e);
    return true;
  }
  if (-e >= 128) {  // below 2^-1 in any case: rounds to 0
    q = 0;
    return true;
  }
  const int shift = -e;
  const TU128 whole = v >> shift, rest = v - (whole << shift), half = TU128{1} << (shift - 1);
  v = whole + (rest >= half ? 1 : 0);
  if (v >> 64 != 0) return false;
  q = static_cast<uint64_t>(v);
  return true;
}

// The n significant digits N (10^(n-1) <= N < 10^n) and the decimal exponent k of a normal ax
// > 0 rounded there, a tie away from zero: round(ax / 10^(k - n + 1)) = N; false when that needs
// more than the 128-bit arithmetic holds (ax from 2^128 on, or 10^(n - 1 - k) beyond 10^22). k is
// first estimated from the binary exponent (exact or one too low).
bool ScaledDigits(double ax, int n, uint64_t& digits, int& k) {
  const int biased = static_cast<int>(std::bit_cast<uint64_t>(ax) >> 52) & 0x7FF;
  const int e2 = biased - 1023;  // ax >= 2^e2
  if (biased == 0 || n > 18 || e2 < -80 || e2 > 127) return false;  // 10^(n - 1 - k) beyond 10^22 anyway
  k = (e2 * 78913) >> 18;  // floor(e2 x log10(2)), exact for |e2| <= 1650
  for (int attempt = 0; attempt < 2; ++attempt, ++k) {
    if (!ScaledInteger(ax, n - 1 - k, digits)) return false;
    if (digits < static_cast<uint64_t>(kPowersOfTen[static_cast<size_t>(n)])) return true;
  }
  return false;
}

bool DirectFixed(double x, int decimals, char* buf, std::size_t& len) {
  if (decimals > 40 || ExactDecimals(std::fabs(x)) == decimals + 1) return false;
  uint64_t q = 0;
  if (ScaledInteger(std::fabs(x), decimals, q)) {  // the digits of q, the point before the last `decimals`
    char digits[24];
    const auto d = std::to_chars(digits, digits + sizeof digits, q);
    const int count = static_cast<int>(d.ptr - digits), shown = std::max(count, decimals + 1);
    char* out = buf;
    if (std::signbit(x) && q != 0) *out++ = '-';
    for (int i = 0; i < shown; ++i) {
      if (i == shown - decimals) *out++ = '.';
      *out++ = i < shown - count ? '0' : digits[i - (shown - count)];
    }
    len = static_cast<std::size_t>(out - buf);
    return true;
  }
  const auto r = std::to_chars(buf, buf + kDirectBuffer, x, std::chars_format::fixed, decimals);
  len = static_cast<std::size_t>(r.ptr - buf);
  if (buf[0] == '-' && std::all_of(buf + 1, buf + len, [](char c) { return c == '0' || c == '.'; })) {
    std::copy(buf + 1, buf + len, buf);
    --len;
  }
  return true;
}

// The n <= 15 significant digits ("d.ddd") and the decimal exponent of a normal ax > 0, from the shortest
// text that reads back to ax (to_chars, a fast conversion): ax lies within half an ulp of that text. Half an
// ulp, 2^(e - 53) for ax = b x 2^e (1 <= b < 2), is r = D x 10^(n-1) / (2^53 x b) units of the n-th digit,
// with D = d.ddd < (first digit + 1): at most 2^-53 x 10^15 = 0.111. So when the text has n digits or fewer,
// those are ax's rounded digits (no tie: ax is nearer to them than half a unit); when the digits beyond the
// n-th stand off a half by more than r, rounding the text there rounds ax the same way. false otherwise
// (near a half, n > 15, subnormal).
bool ShortestDigits(double ax, int n, char* digits, const char*& end, int& exponent) {
  if (n > 15 || (std::bit_cast<uint64_t>(ax) >> 52) == 0) return false;
  char text[40];
  const auto r = std::to_chars(text, text + sizeof text, ax, std::chars_format::scientific);
  const char* const first = text;
  const char* e = std::find(first, static_cast<const char*>(r.ptr), 'e');
  exponent = 0;
  for (const char* d = e + 2; d < r.ptr; ++d) exponent = exponent * 10 + (*d - '0');
  if (e[1] == '-') exponent = -exponent;
  char all[24];
  char* a = all;
  *a++ = text[0];
  if (text[1] == '.') a = std::copy(first + 2, e, a);
  const int s = static_cast<int>(a - all);
  std::fill(a, all + sizeof all, '0');
  const uint64_t bits = std::bit_cast<uint64_t>(ax);
  const double b = 1 + static_cast<double>(bits & ((uint64_t{1} << 52) - 1)) * 0x1p-52;
  static constexpr double kTens[15] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
  // The digits beyond as thousandths t: up when t/1000 - 0.5 > r, down when (t + 1)/1000 < 0.5 - r, both sides
  // times 1000 x 2^53 x b (no division), r taken a thousandth larger.
  const int tail = (all[n] - '0') * 100 + (all[n + 1] - '0') * 10 + (all[n + 2] - '0');
  const double half = (all[0] - '0' + 1) * kTens[n - 1] * 1001.0, scale = 0x1p53 * b;
  const bool up = (tail - 500) * scale > half;
  if (s > n && !up && !((499 - tail) * scale > half)) return false;
  if (s > n && up) {  // one up in the n-th digit
    int i = n - 1;
    for (; i >= 0 && all[i] == '9'; --i) all[i] = '0';
    if (i >= 0) {
      ++all[i];
    } else {
      all[0] = '1';
      ++exponent;
    }
  }
  digits[0] = all[0];
  digits[1] = '.';
  end = std::copy(all + 1, all + n, digits + 2);
  return true;
}

// The n digits of v (leading zeros included) at out.
void PutDigits(uint64_t v, int n, char* out) {
  static constexpr char kPairs[] =
      "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546474849"
      "5051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899";
  for (; n >= 2; n -= 2, v /= 100) std::memcpy(out + n - 2, kPairs + v % 100 * 2, 2);
  if (n == 1) *out = static_cast<char>('0' + v % 10);
}

// "E+dddd" at out for an exponent below 10000 in magnitude; answers the end.
char* PutExponent(int exponent, char* out) {
  out[0] = 'E';
  out[1] = exponent < 0 ? '-' : '+';
  PutDigits(static_cast<uint64_t>(std::abs(exponent)), 4, out + 2);
  return out + 6;
}

// "d.ddd" with n (2..18) significant digits of a finite ax >= 0 at out, its decimal exponent, and the end;
// false when rounding there may meet a tie. Integers from 2^74 on never meet one (a tie at n digits makes
// ax = odd x 5^d x 2^(d-1) with d digits dropped, and 5^d below 2^53), and ScaledDigits takes all below 2^128.
bool ExponentDigits(double ax, int n, char* out, char*& end, int& exponent) {
  uint64_t scaled = 0;
  const char* shortEnd = nullptr;
  if (ax != 0 && ScaledDigits(ax, n, scaled, exponent)) {  // the digits of the scaled value, the point after one
    PutDigits(scaled, n, out + 1);
    out[0] = out[1];
    out[1] = '.';
    end = out + n + 1;
    return true;
  }
  if (ax != 0 && ShortestDigits(ax, n, out, shortEnd, exponent)) {
    end = out + (shortEnd - out);
    return true;
  }
  const auto r = std::to_chars(out, out + 64, ax, std::chars_format::scientific, n - 1);
  char* e = r.ptr - 3;  // "e+dd" or "e+ddd"
  while (*e != 'e') --e;
  exponent = 0;
  for (const char* d = e + 2; d < r.ptr; ++d) exponent = exponent * 10 + (*d - '0');
  if (e[1] == '-') exponent = -exponent;
  end = e;
  const int f = ExactDecimals(ax);
  return ax == 0 || f == 0 || !TiePossible(f, exponent + 1, n);
}

// Exponent form "[blank or -]d.dddE+dddd" of a finite double with n (2..18) significant digits;
// false when rounding there may meet a tie.
bool DirectExponent(double x, int n, char* buf, std::size_t& len) {
  const double ax = std::fabs(x);
  char* end = nullptr;
  int exponent = 0;
  if (!ExponentDigits(ax, n, buf + 1, end, exponent)) return false;
  buf[0] = std::signbit(x) && ax != 0 ? '-' : ' ';
  len = static_cast<std::size_t>(PutExponent(exponent, end) - buf);
  return true;
}

// The text right-justified in `width` characters, built with one allocation.
String Widened(const char* text, std::size_t len, int width) {
  const std::size_t total = std::max(len, static_cast<std::size_t>(std::max(width, 0)));
  if (total == len) return String(text, text + len);
  String out;
  out.reserve(total);
  out.append(total - len, u' ');
  out.append(text, text + len);
  return out;
}

// [SECTION] text pieces

void AppendAscii(String& out, std::string_view s) { out.append(s.begin(), s.end()); }

// Digit i of d counting from the first integer digit of the fixed form (may be a padding zero).
char DigitAt(const TDecimal& d, int i) {
  return i >= 0 && i < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<size_t>(i)] : '0';
}

// Integer digits of d, "0" below one.
std::string IntDigits(const TDecimal& d) {
  if (d.Exp <= 0) return "0";
  std::string s(static_cast<size_t>(d.Exp), '0');
  for (int i = 0; i < d.Exp; ++i) s[static_cast<size_t>(i)] = DigitAt(d, i);
  return s;
}

// The first `count` decimals of d.
std::string FracDigits(const TDecimal& d, int count) {
  std::string s(static_cast<size_t>(count), '0');
  for (int i = 0; i < count; ++i) s[static_cast<size_t>(i)] = DigitAt(d, d.Exp + i);
  return s;
}

// Integer digits with a separator between groups of three (none when sep is 0).
void AppendGrouped(String& out, const std::string& digits, Char sep) {
  for (size_t i = 0; i < digits.size(); ++i) {
    out += static_cast<Char>(digits[i]);
    const size_t left = digits.size() - 1 - i;
    if (sep != 0 && left > 0 && left % 3 == 0) out += sep;
  }
}

// "-1,234.50": fixed form of a rounded magnitude.
String FixedText(const TDecimal& d, bool negative, int decimals, Char point, Char thousands) {
  String out;
  if (negative && !d.Zero()) out += u'-';
  AppendGrouped(out, IntDigits(d), thousands);
  if (decimals > 0) {
    out += point;
    AppendAscii(out, FracDigits(d, decimals));
  }
  return out;
}

// "E+0012": exponent letter, sign ('+' only when asked), at least minDigits digits.
void AppendExponent(String& out, int exponent, bool plusSign, int minDigits) {
  out += u'E';
  if (exponent < 0)
    out += u'-';
  else if (plusSign)
    out += u'+';
  char digits[8];
  const auto r = std::to_chars(digits, digits + sizeof digits, std::abs(exponent));
  const auto count = static_cast<int>(r.ptr - digits);
  if (count < minDigits) out.append(static_cast<size_t>(minDigits - count), u'0');
  out.append(digits, r.ptr);
}

// "d.ddd" with `count` digits (at least one), no trailing zeros removed.
void AppendMantissa(String& out, const TDecimal& d, int count, Char point) {
  out += static_cast<Char>(DigitAt(d, 0));
  if (count > 1) {
    out += point;
    for (int i = 1; i < count; ++i) out += static_cast<Char>(DigitAt(d, i));
  }
}

// Decimal exponent of the first digit (0 for zero).
int SciExponent(const TDecimal& d) { return d.Zero() ? 0 : d.Exp - 1; }

String Justify(String s, int width) {
  if (width > static_cast<int>(s.size())) s.insert(0, static_cast<size_t>(width) - s.size(), u' ');
  return s;
}

String SpecialText(Extended x) {
  if (std::isnan(x)) return u"NAN";
  return x < 0 ? u"-INF" : u"INF";
}

// [SECTION] FloatToStrF forms

// General form of a rounded magnitude: fixed when -4 <= Exp <= precision, else "d.dddE-dd".
String GeneralText(const TDecimal& d, bool negative, int precision, int expDigits) {
  if (d.Zero()) return u"0";
  const Char point = FormatSettings.DecimalSeparator;
  if (d.Exp > precision || d.Exp < -4) {
    String out = negative ? u"-" : u"";
    AppendMantissa(out, d, static_cast<int>(d.Digits.size()), point);
    AppendExponent(out, SciExponent(d), false, expDigits);
    return out;
  }
  const int decimals = std::max(0, static_cast<int>(d.Digits.size()) - d.Exp);
  return FixedText(d, negative, decimals, point, 0);
}

String ExponentText(const TDecimal& d, bool negative, int precision, int expDigits) {
  String out = negative && !d.Zero() ? u"-" : u"";
  AppendMantissa(out, d, precision, FormatSettings.DecimalSeparator);
  AppendExponent(out, SciExponent(d), true, expDigits);
  return out;
}

// Places the number text in the currency layouts; '$' stands for CurrencyString, '1' for the number.
String CurrencyText(const String& number, bool negative) {
  static constexpr const char* kPositive[] = {"$1", "1$", "$ 1", "1 $"};
  static constexpr const char* kNegative[] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",  "1-$",   "1$-",
                                              "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
  const uint8_t pos = FormatSettings.CurrencyFormat, neg = FormatSettings.NegCurrFormat;
  const char* layout = negative ? kNegative[neg < 16 ? neg : 0] : kPositive[pos < 4 ? pos : 0];
  String out;
  for (const char* c = layout; *c; ++c) {
    if (*c == '$')
      out += FormatSettings.CurrencyString;
    else if (*c == '1')
      out += number;
    else
      out += static_cast<Char>(*c);
  }
  return out;
}

String FixedFamilyText(Extended value, TFloatFormat format, int precision, int decimals) {
  const TDecimal d = Round(value, precision, decimals);
  const bool negative = std::signbit(value) && !d.Zero();
  if (d.Exp > precision) return GeneralText(Round(value, precision, kNoLimit), negative, precision, 0);
  const Char thousands = format == ffFixed ? Char(0) : FormatSettings.ThousandSeparator;
  if (format != ffCurrency) return FixedText(d, negative, decimals, FormatSettings.DecimalSeparator, thousands);
  return CurrencyText(FixedText(d, false, decimals, FormatSettings.DecimalSeparator, thousands), negative);
}

// [SECTION] FormatFloat pictures

// Counts of one section of a picture format.
struct TPicture {
  int IntPlaces = 0;   // '0' and '#' before the point
  int IntZeros = 0;    // integer digits always shown: placeholders from the first '0' on
  int FracPlaces = 0;  // '0' and '#' after the point: decimals at most
  int FracZeros = 0;   // decimals always shown: up to the last '0'
  bool Thousands = false;
  bool Scientific = false;
  int ExpDigits = 0;  // '0' after "E+" / "E-"
};

// Index after the quoted literal whose quote character stands at i.
size_t SkipQuoted(const String& f, size_t i) {
  const size_t close = f.find(f[i], i + 1);
  return close == String::npos ? f.size() : close + 1;
}

bool IsQuote(Char c) { return c == u'"' || c == u'\''; }

bool IsExponentAt(const String& f, size_t i) {
  return (f[i] == u'E' || f[i] == u'e') && i + 1 < f.size() && (f[i + 1] == u'+' || f[i + 1] == u'-');
}

// Index after the run of '0' (counted) and '#' that follows an exponent sign.
size_t SkipExponentDigits(const String& f, size_t i, int& zeros) {
  for (zeros = 0; i < f.size() && (f[i] == u'0' || f[i] == u'#'); ++i) zeros += f[i] == u'0';
  return i;
}

void CountPlace(TPicture& p, Char c, bool afterPoint, int& firstZero) {
  if (afterPoint) {
    ++p.FracPlaces;
    if (c == u'0') p.FracZeros = p.FracPlaces;
  } else {
    if (c == u'0' && firstZero < 0) firstZero = p.IntPlaces;
    ++p.IntPlaces;
  }
}

TPicture ScanPicture(const String& f) {
  TPicture p;
  bool afterPoint = false;
  int firstZero = -1;
  for (size_t i = 0; i < f.size() && !p.Scientific;) {
    const Char c = f[i];
    if (IsQuote(c)) {
      i = SkipQuoted(f, i);
      continue;
    }
    if (IsExponentAt(f, i)) {
      p.Scientific = true;
      SkipExponentDigits(f, i + 2, p.ExpDigits);
      break;
    }
    if (c == u'0' || c == u'#')
      CountPlace(p, c, afterPoint, firstZero);
    else if (c == u'.')
      afterPoint = true;
    else if (c == u',' && !afterPoint)
      p.Thousands = true;
    ++i;
  }
  p.IntZeros = firstZero < 0 ? 0 : p.IntPlaces - firstZero;
  return p;
}

// Splits at ';' outside quotes into at most three sections.
std::vector<String> SplitSections(const String& f) {
  std::vector<String> sections(1);
  for (size_t i = 0; i < f.size();) {
    if (IsQuote(f[i])) {
      const size_t end = SkipQuoted(f, i);
      sections.back().append(f, i, end - i);
      i = end;
    } else if (f[i] == u';' && sections.size() < 3) {
      sections.emplace_back();
      ++i;
    } else {
      sections.back() += f[i++];
    }
  }
  return sections;
}

// The rounded magnitude as the picture shows it: exponent taken out in the scientific form.
struct TPictureNumber {
  TDecimal Value;
  int Exponent = 0;
};

TPictureNumber RoundForPicture(Extended x, const TPicture& p) {
  TPictureNumber n;
  if (!p.Scientific) {
    n.Value = Round(x, kShowDigits, p.FracPlaces);
    return n;
  }
  n.Value = Round(x, std::clamp(p.IntPlaces + p.FracPlaces, 1, kShowDigits), kNoLimit);
  if (!n.Value.Zero()) {
    n.Exponent = n.Value.Exp - p.IntPlaces;
    n.Value.Exp = p.IntPlaces;
  }
  return n;
}

// Writes one section: digits into the placeholders, literals as they stand.
class TPictureWriter {
 public:
  TPictureWriter(const String& f, const TPicture& p, const TPictureNumber& n) : f_(f), p_(p), n_(n) {
    if (n.Value.Exp > 0) intDigits_ = IntDigits(n.Value);
    if (static_cast<int>(intDigits_.size()) < p.IntZeros) intDigits_.insert(0, p.IntZeros - intDigits_.size(), '0');
    fracDigits_ = FracDigits(n.Value, p.FracPlaces);
    while (static_cast<int>(fracDigits_.size()) > p.FracZeros && fracDigits_.back() == '0') fracDigits_.pop_back();
  }

  String Write(bool minus) {
    if (minus) out_ += u'-';
    for (size_t i = 0; i < f_.size();) i = Step(i);
    return std::move(out_);
  }

 private:
  // Handles the format character at i; returns the next index.
  size_t Step(size_t i) {
    const Char c = f_[i];
    if (IsQuote(c)) {
      const size_t close = f_.find(c, i + 1);
      const size_t stop = close == String::npos ? f_.size() : close;
      out_.append(f_, i + 1, stop - i - 1);
      return close == String::npos ? f_.size() : close + 1;
    }
    if (exponentDone_) {
      out_ += c;
      return i + 1;
    }
    if (IsExponentAt(f_, i)) return WriteExponent(i);
    if (c == u'0' || c == u'#')
      WritePlace();
    else if (c == u'.' && !afterPoint_)
      WritePoint();
    else if (c != u',')
      out_ += c;
    return i + 1;
  }

  void WritePlace() {
    if (afterPoint_) {
      if (fracIndex_ < static_cast<int>(fracDigits_.size())) out_ += static_cast<Char>(fracDigits_[fracIndex_]);
      ++fracIndex_;
      return;
    }
    const int extra = static_cast<int>(intDigits_.size()) - p_.IntPlaces;
    const int from = intIndex_ == 0 ? 0 : intIndex_ + extra;
    for (int idx = std::max(from, 0); idx <= intIndex_ + extra; ++idx) WriteIntDigit(idx);
    ++intIndex_;
  }

  void WriteIntDigit(int idx) {
    out_ += static_cast<Char>(intDigits_[static_cast<size_t>(idx)]);
    const size_t left = intDigits_.size() - 1 - static_cast<size_t>(idx);
    if (p_.Thousands && left > 0 && left % 3 == 0) out_ += FormatSettings.ThousandSeparator;
  }

  // A picture without integer placeholders still shows the integer digits, before the point.
  void FlushIntDigits() {
    if (p_.IntPlaces > 0 || intFlushed_) return;
    intFlushed_ = true;
    for (size_t idx = 0; idx < intDigits_.size(); ++idx) WriteIntDigit(static_cast<int>(idx));
  }

  void WritePoint() {
    FlushIntDigits();
    afterPoint_ = true;
    if (!fracDigits_.empty()) out_ += FormatSettings.DecimalSeparator;
  }

  size_t WriteExponent(size_t i) {
    FlushIntDigits();
    exponentDone_ = true;
    int zeros = 0;
    const size_t next = SkipExponentDigits(f_, i + 2, zeros);
    String e;
    AppendExponent(e, n_.Exponent, f_[i + 1] == u'+', zeros);
    e[0] = f_[i];  // keeps the letter's case
    out_ += e;
    return next;
  }

  const String& f_;
  const TPicture& p_;
  const TPictureNumber& n_;
  std::string intDigits_, fracDigits_;
  String out_;
  int intIndex_ = 0, fracIndex_ = 0;
  bool afterPoint_ = false, exponentDone_ = false, intFlushed_ = false;
};

}  // namespace

// [SECTION] public routines

String Str(Extended x, int width, int decimals) {
  if (decimals < 0) return Str(x, width);
  width = std::min(width, kMaxField);
  decimals = std::min(decimals, kMaxField);
  double dx = 0;
  char buf[kDirectBuffer];
  std::size_t len = 0;
  if (AsDouble(x, dx) && std::isfinite(dx) && DirectFixed(dx, decimals, buf, len)) return Widened(buf, len, width);
  if (!std::isfinite(x)) return Justify(SpecialText(x), width);
  const TDecimal d = Round(x, kNoLimit, decimals);
  return Justify(FixedText(d, std::signbit(x), decimals, u'.', 0), width);
}

String Str(Extended x, int width) {
  width = std::min(width, kMaxField);
  const int n = std::clamp(width, 10, kMaxDigits + 8) - 8;  // clamped first: width - 8 may overflow
  double dx = 0;
  char buf[kDirectBuffer];
  std::size_t len = 0;
  if (AsDouble(x, dx) && std::isfinite(dx) && DirectExponent(dx, n, buf, len)) return Widened(buf, len, width);
  if (!std::isfinite(x)) return Justify(SpecialText(x), width);
  const TDecimal d = Round(x, n, kNoLimit);
  String out(1, std::signbit(x) && !d.Zero() ? u'-' : u' ');
  AppendMantissa(out, d, n, u'.');
  AppendExponent(out, SciExponent(d), true, 4);
  return Justify(std::move(out), width);
}

String FloatToStr(Extended value) { return FloatToStrF(value, ffGeneral, kShowDigits, 0); }

String FloatToStrF(Extended value, TFloatFormat format, int precision, int digits) {
  if (!std::isfinite(value)) return SpecialText(value);
  precision = std::clamp(precision, 1, kMaxDigits);
  if (format == ffGeneral || format == ffExponent) {
    const TDecimal d = Round(value, precision, kNoLimit);
    const bool negative = std::signbit(value) && !d.Zero();
    const int expDigits = std::clamp(digits, 0, 4);
    return format == ffGeneral ? GeneralText(d, negative, precision, expDigits)
                               : ExponentText(d, negative, precision, expDigits);
  }
  return FixedFamilyText(value, format, precision, std::clamp(digits, 0, kMaxDigits));
}

String FormatFloat(const String& format, Extended value) {
  if (!std::isfinite(value)) return SpecialText(value);
  if (format.empty()) return FloatToStr(value);
  const std::vector<String> sections = SplitSections(format);
  const bool negativeSection = value < 0 && sections.size() > 1 && !sections[1].empty();
  const String& section = sections[negativeSection ? 1 : 0];
  const TPicture p = ScanPicture(section);
  const TPictureNumber n = RoundForPicture(value, p);
  if (!n.Value.Zero()) return TPictureWriter(section, p, n).Write(value < 0 && !negativeSection);
  // A value that shows as zero takes the zero section, else the positive one, and never a sign.
  const String& zero = sections.size() > 2 && !sections[2].empty() ? sections[2] : sections[0];
  const TPicture z = ScanPicture(zero);
  return TPictureWriter(zero, z, RoundForPicture(0, z)).Write(false);
}

}  // namespace qelta
