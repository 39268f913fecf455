#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "DirectPaths.h"
#include "Math.h"
#include "Qelta_stringl.h"
#include "SysUtils.h"

// Qelta_stringl: number text (strff, strffForcePlus, FormatData, SigDigStr) and TimeString.
//
// strff stands on the platform's Str: the fixed form Str(x, w, d) and the exponent form Str(x, w)
// "[blank or -]d.dddE+dddd", which has w - 8 significant digits and always four exponent digits.
// The two-digit exponent form asks Str for two characters more than the field and then cuts two
// exponent digits; any text that does not end in 'E', a sign and four digits (NAN, INF) passes
// unchanged, and is not padded with zeros either, since "000INF" is no number.
// Field widths are taken up to 4096 characters, so that no width overflows an int. A number whose exponent
// certainly needs three digits gives its stars without its digits being worked out.
// strffForcePlus puts its '+' on a leading zero only when a digit follows it, i.e. on a padding
// zero; a lone "0" keeps its digit and gets the '+' in front.
//
// TimeString counts whole centiseconds, floor(seconds * 100 + 1e-6): the small bias takes up the
// binary error of decimal fractions (0.29 * 100 is 28.999999999999996), so 0.29 s shows ".29".
// Hours are a 64-bit count; seconds are taken up to 9e13 (centiseconds stay exact in a double).

namespace qelta {
namespace {

constexpr int kMaxWidth = 4096;
constexpr double kMaxSeconds = 9e13;

int ClampWidth(int w) { return std::clamp(w, -kMaxWidth, kMaxWidth); }

// Exponent form cut to two exponent digits, or all '*' when the exponent needs more.
String CutExponent(String t) {
  // Str's texts hold at most one 'E': the exponent form has it six characters from the end.
  if (t.size() < 6 || t[t.size() - 6] != u'E') return t;
  const std::size_t e = t.size() - 6;
  const bool fits = t[e + 2] == u'0' && t[e + 3] == u'0';
  t.erase(e + 2, 2);
  if (!fits) t.assign(t.size(), u'*');
  return t;
}

// Leading blanks become '0'; a '-' after them moves to the front.
String PadWithZeros(String t) {
  const std::size_t blanks = std::min(t.find_first_not_of(u' '), t.size());
  if (blanks == 0 || t.find_first_of(u"0123456789") == String::npos) return t;
  std::fill_n(t.begin(), blanks, u'0');
  if (blanks < t.size() && t[blanks] == u'-') {
    t[blanks] = u'0';
    t[0] = u'-';
  }
  return t;
}

// True when the two-digit exponent form of x is all '*' whatever its digits: |x| from 1.01e100 on or below
// 9e-100 (not 0), which keep an exponent of three digits however they round (to 2..18 digits). Str's text is
// max(width, 10) characters long. Off with the direct paths, so that the tests compare it with Str's text.
bool StarsCertain(Extended x) {
  const Extended a = std::fabs(x);
  return platform_detail::DirectPaths() && std::isfinite(a) && (a >= 1.01e100L || (a > 0 && a < 9e-100L));
}

String ExponentForm(double x, int width, int sigDig) { return strff(x, std::max(width, sigDig + 6), -2); }

// Whole number n with at least two digits, padded with `pad`.
String TwoDigits(int64_t n, Char pad) {
  String t = IntToStr(n);
  return t.size() < 2 ? String(2 - t.size(), pad) + t : t;
}

}  // namespace

// [SECTION] number text

String strff(Extended x, int FieldWidth, int DecPlaces) {
  const int w = std::abs(ClampWidth(FieldWidth));
  if (DecPlaces == -2 && StarsCertain(x)) return String(static_cast<std::size_t>(std::max(w + 2, 10) - 2), u'*');
  String t = DecPlaces == -2 ? CutExponent(Str(x, w + 2)) : Str(x, w, DecPlaces);
  if (FieldWidth < 0) return PadWithZeros(std::move(t));
  return t;  // moved out, not copied: one allocation per text
}

String strffForcePlus(Extended x, int FieldWidth, int DecPlaces) {
  String t = strff(x, FieldWidth, DecPlaces);
  if (!(x >= 0) || t.empty()) return t;
  const std::size_t blanks = std::min(t.find_first_not_of(u' '), t.size());
  if (blanks > 0)
    t[blanks - 1] = u'+';
  else if (t[0] == u'0' && t.size() > 1 && t[1] >= u'0' && t[1] <= u'9')  // a padding zero
    t[0] = u'+';
  else
    t.insert(t.begin(), u'+');
  return t;
}

String FormatData(double x, int Width, int Mode) {
  static constexpr std::array<std::array<double, 2>, 9> kRange = {{{1, 999999999},
                                                                   {0.1, 9999999.9},
                                                                   {0.01, 999999.99},
                                                                   {0.001, 99999.999},
                                                                   {0.0001, 9999.9999},
                                                                   {0.00001, 999.99999},
                                                                   {0.000001, 99.999999},
                                                                   {0.0000001, 9.9999999},
                                                                   {0.00000001, 0.99999999}}};
  const double a = std::fabs(x);
  if (Mode >= 0 && Mode <= 8 && (a == 0 || (a >= kRange[Mode][0] && a <= kRange[Mode][1])))
    return Str(x, ClampWidth(Width), Mode);
  return strff(x, ClampWidth(Width) + 6, -2);
}

String SigDigStr(double x, int Width, int SigDig) {
  const int s = std::clamp(SigDig, 1, kMaxWidth);
  const int w = ClampWidth(Width);
  if (x == 0) return Str(x, w, s - 1);
  if (!std::isfinite(x)) return ExponentForm(x, w, s);
  const int64_t e = Floor(std::log10(std::fabs(x)) + 1);  // digits before the point
  if (s < e) return e > w - 1 ? ExponentForm(x, w, s) : Str(x, w, 0);
  return e < s - w + 3 ? ExponentForm(x, w, s) : Str(x, w, static_cast<int>(s - e));
}

String SigDigStr(double x, int Width, int SigDig, bool Strip) {
  const String t = SigDigStr(x, Width, SigDig);
  return Strip ? StripLTBlanks(t) : t;
}

// [SECTION] time text

String TimeString(double Seconds, uint8_t Format) {
  const double seconds = Seconds > 0 ? std::min(Seconds, kMaxSeconds) : 0.0;  // NaN counts as 0
  const auto centis = static_cast<int64_t>(std::floor(seconds * 100 + 1e-6));
  const int64_t hours = centis / 360000;
  const String mm = TwoDigits(centis / 6000 % 60, u'0');
  const String ss = TwoDigits(centis / 100 % 60, u'0');
  const String cc = TwoDigits(centis % 100, u'0');
  switch (Format) {
    case 0:
      return TwoDigits(hours, u'0') + u':' + mm + u':' + ss + u'.' + cc;
    case 1:
      return TwoDigits(hours, u'0') + u':' + mm + u':' + ss;
    case 2:
      return TwoDigits(hours, u' ') + u'h' + mm;
    case 3:
      return TwoDigits(hours, u' ') + u'h' + mm + u'\'' + ss + u'"';
    case 4:
      return TwoDigits(hours, u'0') + u':' + mm;
    case 5: {
      const int64_t h12 = hours == 0 ? 12 : (hours > 12 ? hours - 12 : hours);
      return TwoDigits(h12, u' ') + u':' + mm + (hours < 12 ? u'a' : u'p');
    }
    default:
      return String();
  }
}

}  // namespace qelta
