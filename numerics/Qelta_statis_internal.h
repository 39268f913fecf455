#pragma once
// Not part of the public interface: what the sources of Qelta_statis share (and its tests reach,
// hence exported).

#include <algorithm>
#include <array>
#include <cmath>
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

/// x with cdf(x) = p for a non-decreasing cdf (a negated upper tail with a negated p qualifies),
/// searched from the bracket [lo, hi] (lo < hi). The bracket is widened first (doubled outwards, at
/// most 2200 times; with Positive the lower end halves towards 0 instead); then halved until
/// |cdf(m) - p| < QuantileStop |p| or the bracket no longer shrinks (at most 400 halvings). Ends of one
/// sign more than a factor of 4 apart are split at their geometric mean, so tiny and huge quantiles
/// need few steps. Answers the last midpoint.
template <typename Cdf>
double InvertDistribution(Cdf&& cdf, double p, double lo, double hi, bool Positive) {
  for (int i = 0; i < 2200 && cdf(lo) > p; ++i) {
    if (Positive) {
      if (lo == 0) return 0.0;
      hi = lo;
      lo /= 2;
    } else {
      const double width = hi - lo;
      hi = lo;
      lo -= 2 * width;
    }
  }
  for (int i = 0; i < 2200 && cdf(hi) < p && std::isfinite(hi); ++i) {
    const double width = hi - lo;
    lo = hi;
    hi += 2 * width;
  }
  double m = 0.5 * lo + 0.5 * hi;
  for (int i = 0; i < 400; ++i) {
    const bool oneSign = (lo > 0 && hi > 0) || (lo < 0 && hi < 0);
    const double a = std::fabs(lo), b = std::fabs(hi);
    if (oneSign && std::max(a, b) > 4 * std::min(a, b)) m = (lo > 0 ? 1 : -1) * std::sqrt(a) * std::sqrt(b);
    else m = 0.5 * lo + 0.5 * hi;
    if (!(m > lo && m < hi)) break;  // the bracket no longer shrinks
    const double f = cdf(m);
    if (std::fabs(f - p) < QuantileStop * std::fabs(p)) break;
    if (f > p) hi = m;
    else lo = m;
  }
  return m;
}

/// x with lower(x) = p for p <= 1/2 and with upper(x) = 1 - p above, so that the search measures its
/// miss in the smaller tail: 1 - p is exact in binary for p >= 1/2, while 1 - lower(x) holds the
/// tail only to the absolute error of lower(x), far too coarse for a tail of 1e-10. lower rises with
/// x, upper falls; the rest as InvertDistribution.
template <typename Lower, typename Upper>
double InvertTails(Lower&& lower, Upper&& upper, double p, double lo, double hi, bool Positive) {
  if (p <= 0.5) return InvertDistribution(lower, p, lo, hi, Positive);
  return InvertDistribution([&upper](double x) { return -upper(x); }, -(1 - p), lo, hi, Positive);
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
