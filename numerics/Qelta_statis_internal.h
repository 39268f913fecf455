#pragma once
// Not part of the public interface: what the sources of Qelta_statis share (and its tests reach,
// hence exported).

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "Qelta_statis.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::num_detail {

// [SECTION] incomplete gamma function

/// Both tails of the regularized incomplete gamma function for x > 0, a > 0: the tail that the
/// method computes directly (the series gives P, the continued fraction Q) is exact to the method,
/// the other is 1 minus it.
struct TGammaTails {
  Extended P = 0, Q = 1;
};
TGammaTails GammaTails(Extended x, Extended a);
/// Both tails of P(a, x) for a >= 10 by continued fractions run to convergence (below x = a the
/// fraction of the lower function, above it that of the upper one) with the factor x^a e^-x / Gamma(a)
/// from Stirling's series: about 1e-16 relative in the smaller tail, monotone in x, for a up to 10^9
/// (some 2 sqrt(a) steps next to x = a). 0 and 1 for x <= 0 (or NaN), 1 and 0 for x = +Inf.
TGammaTails LargeGammaTails(Extended x, Extended a);

/// Both tails of the regularized incomplete beta function I_z(a, b) for a, b >= 10, given z and
/// w = 1 - z (each computed directly): the fraction of IncompleteBeta run to convergence on the side
/// of the mean where it converges, with the factor z^a w^b / B(a, b) from Stirling's series. About
/// 1e-15 relative in the smaller tail for a and b up to 10^7. 0 and 1 for z <= 0 (or NaN), 1 and 0
/// for w <= 0.
TGammaTails LargeBetaTails(Extended z, Extended w, Extended a, Extended b);

// [SECTION] chi-squared

/// From this many degrees of freedom on, chi-squared takes LargeGammaTails: below it P(df/2, x/2)
/// of IncompleteGamma, whose 99 fraction steps and ln gamma hold 1e-9 there.
inline constexpr int Chi2LargeDf = 1000;
/// Both tails of chi-squared with df >= 1 degrees of freedom at x: P(X <= x) and P(X > x), each
/// computed on its own side.
TGammaTails Chi2Tails(double x, int df);

// [SECTION] F

/// From this a b / (a + b) on (a, b the halves of the degrees of freedom), F takes LargeBetaTails:
/// below it IncompleteBeta's 100 fraction steps hold 1e-10 (at 10^4 and 10^6 degrees of freedom,
/// 4950), above it they fall short (at 10^6 and 10^6, P(F <= 1) was 0.483 for 1/2).
inline constexpr double FLargeScale = 5000;
/// Both tails of F with df1, df2 >= 1 degrees of freedom at x: P(F <= x) and P(F > x), each computed on
/// its own side.
TGammaTails FTails(double x, int df1, int df2);

// [SECTION] Student's t with any degrees of freedom

/// P(T <= t) for Student's t with df > 0 degrees of freedom, df not necessarily whole (Welch's test);
/// 0 for df <= 0 or a NaN argument.
double StudentIntegral(double t, double df);

// [SECTION] quantiles

/// Relative accuracy of the quantiles in their smaller tail, against the exact distribution.
inline constexpr double QuantileTolerance = 1e-8;
/// Relative miss of the tail at which a search stops: a tenth of QuantileTolerance, so that the
/// error of the tail functions themselves (a few 1e-10, mostly from ln gamma) fits beside it.
inline constexpr double QuantileStop = QuantileTolerance / 10;

/// How near its root a search's x must be besides the tail rule: within max(Rel |x|, Abs). By
/// default any x is near enough.
struct TXTolerance {
  double Rel = 0, Abs = std::numeric_limits<double>::infinity();
  double At(double x) const { return std::max(Rel * std::fabs(x), Abs); }
};
/// The t quantile's x: 1e-10 relative or 1e-13 absolute, whichever is larger (near the median the
/// tail rule alone left x some 1e-9 off).
inline constexpr TXTolerance StudentXTolerance{1e-10, 1e-13};
/// The chi-squared and F quantiles' x: 1e-9 relative.
inline constexpr TXTolerance RatioXTolerance{1e-9, 0};

/// A bracket [Lo, Hi] of the root of cdf(x) = p and the cdf at its ends.
struct TBracket {
  double Lo = 0, Hi = 0, FLo = 0, FHi = 0;
  /// Narrows to the side of x (with cdf value f) that holds the root; answers how far from x the
  /// root can lie.
  double Take(double x, double f, double p) {
    if (f > p) {
      Hi = x, FHi = f;
      return x - Lo;
    }
    Lo = x, FLo = f;
    return f == p ? 0.0 : Hi - x;
  }
  /// The bisection's point: the geometric mean of ends of one sign more than a factor of 4 apart,
  /// else the midpoint.
  double Split() const {
    const bool oneSign = (Lo > 0 && Hi > 0) || (Lo < 0 && Hi < 0);
    const double a = std::fabs(Lo), b = std::fabs(Hi);
    if (oneSign && std::max(a, b) > 4 * std::min(a, b)) return (Lo > 0 ? 1 : -1) * std::sqrt(a) * std::sqrt(b);
    return 0.5 * Lo + 0.5 * Hi;
  }
  /// Where the chord between the ends meets p, or Split() when that is not inside.
  double Chord(double p) const {
    const double x = Lo + (p - FLo) / (FHi - FLo) * (Hi - Lo);
    return x > Lo && x < Hi ? x : Split();
  }
};

/// The bracket of the search from [lo, hi] (see InvertDistribution); false when the search ends at
/// 0 before it (Positive, and cdf(0) > p).
template <typename Cdf>
bool WidenedBracket(Cdf& cdf, double p, double lo, double hi, bool Positive, TBracket& b) {
  double flo = cdf(lo), fhi = 0;
  bool known = false;  // fhi = cdf(hi)
  for (int i = 0; i < 2200 && flo > p; ++i) {
    if (Positive && lo == 0) return false;
    const double width = hi - lo;
    hi = lo, fhi = flo, known = true;
    lo = Positive ? lo / 2 : lo - 2 * width;
    flo = cdf(lo);
  }
  if (!known) fhi = cdf(hi);
  for (int i = 0; i < 2200 && fhi < p && std::isfinite(hi); ++i) {
    const double width = hi - lo;
    lo = hi, flo = fhi;
    hi += 2 * width;
    fhi = cdf(hi);
  }
  b = {lo, hi, flo, fhi};
  return true;
}

/// Whether x (cdf value f, the tail rule met) lies within tol of the root: one more value, tol away
/// on the root's side, either brackets the root with x or narrows b.
template <typename Cdf>
bool NearRoot(Cdf& cdf, double p, double x, double f, double tol, TBracket& b) {
  const double q = f > p ? x - tol : x + tol;
  const double fq = cdf(q);
  b.Take(q, fq, p);
  return f > p ? fq <= p : fq >= p;
}

/// x with cdf(x) = p for a non-decreasing cdf (a negated upper tail with a negated p qualifies),
/// searched from the bracket [lo, hi] (lo < hi). The bracket is widened first (doubled outwards, at
/// most 2200 times; with Positive the lower end halves towards 0 instead); then halved (see
/// TBracket::Split) until |cdf(m) - p| < QuantileStop |p| and m is within tol of the root, or the
/// bracket no longer shrinks (at most 400 steps). Once the tail rule holds, one value tol away from
/// m tells whether m is near enough; if not, chords (the cdf is smooth on so short a bracket)
/// alternate with halvings. Answers the last point taken.
template <typename Cdf>
double InvertDistribution(Cdf&& cdf, double p, double lo, double hi, bool Positive, TXTolerance tol = {}) {
  TBracket b;
  if (!WidenedBracket(cdf, p, lo, hi, Positive, b)) return 0.0;
  double m = b.Split();
  bool refining = false, chord = false;  // refining: a point met the tail rule, not tol
  for (int i = 0; i < 400; ++i) {
    m = chord ? b.Chord(p) : b.Split();
    if (!(m > b.Lo && m < b.Hi)) break;  // the bracket no longer shrinks
    const double f = cdf(m);
    const double reach = b.Take(m, f, p);
    const bool tailMet = std::fabs(f - p) < QuantileStop * std::fabs(p);
    if (tailMet && (reach <= tol.At(m) || NearRoot(cdf, p, m, f, tol.At(m), b))) break;
    refining = refining || tailMet;
    chord = refining && !chord;
  }
  return m;
}

/// x with lower(x) = p for p <= 1/2 and with upper(x) = 1 - p above, so that the search measures its
/// miss in the smaller tail: 1 - p is exact in binary for p >= 1/2, while 1 - lower(x) holds the
/// tail only to the absolute error of lower(x), far too coarse for a tail of 1e-10. lower rises with
/// x, upper falls; the rest as InvertDistribution.
template <typename Lower, typename Upper>
double InvertTails(Lower&& lower, Upper&& upper, double p, double lo, double hi, bool Positive, TXTolerance tol) {
  if (p <= 0.5) return InvertDistribution(lower, p, lo, hi, Positive, tol);
  return InvertDistribution([&upper](double x) { return -upper(x); }, -(1 - p), lo, hi, Positive, tol);
}

/// nDistriQuantile the slow and plain way: bisection on nDistriIntegral from the start value of
/// Abramowitz and Stegun 26.2.23, stopping within 1e-9 of the smaller tail. The formula that
/// nDistriQuantile uses is tested against it.
double NormalQuantileBySearch(double p);

/// The quantile of a distribution symmetric about 0 from its lower half, lowerQuantile(p) for
/// 0 < p < 1/2: exactly 0 at p = 1/2 and -lowerQuantile(1 - p) above.
template <typename LowerQuantile>
double SymmetricQuantile(LowerQuantile&& lowerQuantile, double p) {
  if (p == 0.5) return 0.0;
  return p < 0.5 ? lowerQuantile(p) : -lowerQuantile(1 - p);
}

// [SECTION] critical-value tables (Qelta_statis_tables.cpp, written by numerics/tools/gen_statistables.py)

/// Dixon's ratio for n = 3..100 (row n - 3), one column per TSignifLevelEx level.
using TDeanDixonTable = std::array<std::array<double, 9>, 98>;
extern const TDeanDixonTable DeanDixonTable;
/// One-sample Kolmogorov-Smirnov D: row 0 the TSignifLevel levels, row n = 1..20 the critical values.
using TKSTable = std::array<std::array<double, 5>, 21>;
extern const TKSTable KSTable;
/// The two-sided levels of the signed-rank table: 0.1, 0.05, 0.02, 0.01, 0.001.
using TWilcoxonLevels = std::array<double, 5>;
extern const TWilcoxonLevels WilcoxonLevels;
/// Signed-rank critical values for n = 7..100 (row n - 7), one column per level.
using TWilcoxonTable = std::array<std::array<int, 5>, 94>;
extern const TWilcoxonTable WilcoxonTable;

// [SECTION] samples

/// Elements 1..NrOfElem of a vector as an array (empty for nil).
std::vector<double> SampleOf(const TVector* v);
/// Sorts ascending with NaN behind every number (a strict weak order, unlike plain <).
void SortSample(std::vector<double>& x);

}  // namespace qelta::num_detail

QELTA_PUBLIC_END
