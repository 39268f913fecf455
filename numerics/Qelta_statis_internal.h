#pragma once
// Not part of the public interface: what the sources of Qelta_statis share (and its tests reach).

#include <algorithm>
#include <cmath>

#include "Qelta_statis.h"
#include "Types.h"

namespace qelta::detail {

// [SECTION] incomplete gamma function

/// Both tails of the regularized incomplete gamma function for x > 0, a > 0: the tail that the
/// method computes directly (the series gives P, the continued fraction Q) is exact to the method,
/// the other is 1 minus it.
struct TGammaTails {
  Extended P = 0, Q = 1;
};
TGammaTails GammaTails(Extended x, Extended a);

// [SECTION] quantiles

/// Relative tolerance in p at which a quantile search stops.
inline constexpr double QuantileTolerance = 1e-8;

/// x with cdf(x) = p for a non-decreasing cdf, searched from the bracket [lo, hi] (lo < hi). The
/// bracket is widened first (doubled outwards, at most 2200 times; with Positive the lower end
/// halves towards 0 instead); then halved until |cdf(m) - p| < QuantileTolerance p or the bracket
/// no longer shrinks (at most 400 halvings). Ends of one sign more than a factor of 4 apart are
/// split at their geometric mean, so tiny and huge quantiles need few steps. Answers the last
/// midpoint.
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
    if (std::fabs(f - p) < QuantileTolerance * p) break;
    if (f > p) hi = m;
    else lo = m;
  }
  return m;
}

}  // namespace qelta::detail
