#pragma once
// Qelta_univconst: mathematical constants, floating-point limits and the table ln(n!).
//
// What: the uc_ constants every unit shares. The mathematical constants are 80-bit Extended values,
// each written as a decimal literal of 30 significant digits, so the compiler rounds it correctly
// to the 64-bit mantissa (never computed at run time). The limits of the 6-byte real and of
// Extended are Extended values as stated; the Single and Double limits are the nearest value of
// their own type, so that a Double set to uc_MaxDouble still compares equal to uc_MaxDouble.
// uc_MaxDouble doubles as the system-wide "infinite / no value yet" mark.
// uc_LnFactorial[n] = ln(n!) for n = 0..1000 as correctly rounded Doubles (see the .cpp for how
// the table was produced). For larger n use a log-gamma routine of the numerics.

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- mathematical constants (Extended) --------------------------------------------------------
inline constexpr Extended uc_e = 2.71828182845904523536028747135e+0L;            ///< e
inline constexpr Extended uc_etom1 = 3.67879441171442321595523770161e-1L;        ///< 1/e
inline constexpr Extended uc_lg2 = 3.01029995663981195213738894724e-1L;          ///< log10 2
inline constexpr Extended uc_lg5 = 6.98970004336018804786261105276e-1L;          ///< log10 5
inline constexpr Extended uc_lge = 4.34294481903251827651128918917e-1L;          ///< log10 e
inline constexpr Extended uc_lgPi = 4.97149872694133854351268288291e-1L;         ///< log10 pi
inline constexpr Extended uc_ln10 = 2.30258509299404568401799145468e+0L;         ///< ln 10
inline constexpr Extended uc_ln2 = 6.93147180559945309417232121458e-1L;          ///< ln 2
inline constexpr Extended uc_lnPi = 1.14472988584940017414342735135e+0L;         ///< ln pi
inline constexpr Extended uc_PiH = 1.57079632679489661923132169164e+0L;          ///< pi/2
inline constexpr Extended uc_PiSqr = 9.86960440108935861883449099988e+0L;        ///< pi squared
inline constexpr Extended uc_Pitom1 = 3.18309886183790671537767526745e-1L;       ///< 1/pi
inline constexpr Extended uc_sqrt2 = 1.41421356237309504880168872421e+0L;        ///< sqrt 2
inline constexpr Extended uc_sqrt2pi = 2.50662827463100050241576528481e+0L;      ///< sqrt(2 pi)
inline constexpr Extended uc_sqrt2pitom1 = 3.98942280401432677939946059934e-1L;  ///< 1/sqrt(2 pi)
inline constexpr Extended uc_GoldenR = 1.61803398874989484820458683437e+0L;      ///< (1 + sqrt 5)/2

// --- limits of the floating-point types -----------------------------------------------------------
inline constexpr Extended uc_MinReal = 2.9e-39L;         ///< smallest positive 6-byte real
inline constexpr Extended uc_MaxReal = 1.7e38L;          ///< largest 6-byte real
inline constexpr Extended uc_MinSingle = 1.5e-45F;       ///< smallest positive Single (its denormal, 1.4e-45)
inline constexpr Extended uc_MaxSingle = 3.4e38F;        ///< 3.4e38 as a Single
inline constexpr Extended uc_MinDouble = 5.0e-324;       ///< smallest positive Double (its denormal, 4.9e-324)
inline constexpr Extended uc_MaxDouble = 1.7e308;        ///< 1.7e308 as a Double; also the "no value" mark
inline constexpr Extended uc_MinExtended = 0x1p-16445L;  ///< smallest positive Extended: mantissa 1, exponent 0
inline constexpr Extended uc_MaxExtended = 1.1e4932L;    ///< largest Extended used by the system

inline constexpr Extended uc_lnMinReal = -88.73610788977535L;
inline constexpr Extended uc_lnMaxReal = 88.02886178483591L;
inline constexpr Extended uc_lnMinSingle = -103.21086407662389L;
inline constexpr Extended uc_lnMaxSingle = 88.72200896539586L;
inline constexpr Extended uc_lnMinDouble = -744.4281322176367L;
inline constexpr Extended uc_lnMaxDouble = 709.7268368932282L;
inline constexpr Extended uc_lnMinExtended = -11398.817861568059L;
inline constexpr Extended uc_lnMaxExtended = 11356.444988826437L;

// --- tables -----------------------------------------------------------------------------------
inline constexpr int uc_LnFactorialMax = 1000;  ///< highest n of uc_LnFactorial
/// ln(n!) for n = 0..1000; entries 0 and 1 are 0.
extern const double uc_LnFactorial[uc_LnFactorialMax + 1];

}  // namespace qelta

QELTA_PUBLIC_END
