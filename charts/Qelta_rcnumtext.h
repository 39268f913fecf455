#pragma once
// Qelta_rcnumtext: the number text of chart labels, shared by the axis scale, the chart and the
// Smith chart.
//
// What: RCSpecStrf writes a number either in fixed notation with a given number of decimals or in
// scientific notation with a two-digit exponent; both come from the platform's Str, so the point
// is always '.' whatever FormatSettings say.
// Limits: scientific notation shows two significant digits at Width 1 (Str's digit count for a
// field of Width + 2); an exponent beyond +-99 gives Width asterisks instead of a number. NaN and
// infinities give Str's "NAN", "INF" and "-INF". Width and Decimals are taken up to 4096.

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// x as a label text. Decimals >= 0: fixed notation with that many decimals, right-aligned in at
/// least Width characters. Decimals < 0: Str's exponent form for a field of Width + 2 ("[blank or
/// -]d.dE+dddd") with the two leading exponent digits removed, or Width asterisks when those are
/// not both zero.
String RCSpecStrf(double x, int Width, int Decimals);

}  // namespace qelta

QELTA_PUBLIC_END
