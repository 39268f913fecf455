// Qelta_rcnumtext: number text of chart labels.
//
// The exponent form asks Str for a field two characters wider than wanted, which gives a text
// ending in 'E', a sign and four digits; dropping the two leading exponent digits brings it back to
// the wanted width. Decimals below -1 are written like -1: a negative count of decimals has no
// fixed-point meaning, and the exponent form is what every caller of the negative codes wants.

#include "Qelta_rcnumtext.h"

#include <algorithm>

#include "SysUtils.h"

namespace qelta {
namespace {

constexpr int kMaxWidth = 4096;

// Str's exponent form "...E+dddd" with "00" cut from the exponent, or `width` asterisks.
String TwoDigitExponent(double x, int width) {
  String t = Str(x, width + 2);
  const std::size_t e = t.rfind(u'E');
  if (e == String::npos || t.size() - e != 6) return t;  // NAN, INF
  if (t[e + 2] != u'0' || t[e + 3] != u'0') return String(static_cast<std::size_t>(std::max(width, 0)), u'*');
  t.erase(e + 2, 2);
  return t;
}

}  // namespace

String RCSpecStrf(double x, int Width, int Decimals) {
  const int width = std::clamp(Width, -kMaxWidth, kMaxWidth);
  if (Decimals < 0) return TwoDigitExponent(x, width);
  return Str(x, width, std::min(Decimals, kMaxWidth));
}

}  // namespace qelta
