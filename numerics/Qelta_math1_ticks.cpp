// Qelta_math1: axis tick rule, 1-2-5 rounding, integer floor and ceiling, degree steps.
//
// CalcScalePars. The raw step is |High - Low| / NTicks; g = lg(raw step) splits into the decade
// k and the position h = g - k in [0, 1). A raw step within 1e-10 (in lg) of a power of ten counts
// as one (h = 0). The mantissa is 1 for h < lg 2 + 1e-10, 2 for h < lg 5 + 1e-10, else 5: the
// raised boundaries send a raw step of exactly 2 x 10^k to 1 x 10^k and 5 x 10^k to 2 x 10^k, so
// the range always holds at least NTicks intervals.
// Deviations from the classic formulation, all keeping its results on ordinary ranges:
//  - The distance is m x 10^k with an exactly computed power of ten (one rounding) instead of
//    exp(g ln 10), so ticks land on the decimal values the labels show.
//  - The first tick is the closed form ceil(Low / Distance - 0.001) x Distance, checked against the
//    0.1 % rule by at most two corrections each way. Stepping from (Int(Low/Distance) - 1) x Distance
//    by repeated addition never ended when the first tick plus the distance rounded back to the first
//    tick (ranges a few ulps wide far from zero).
//  - NTicks < 0 counts as 0; non-finite ends or a non-finite or vanishing step count as equal ends.
//  - +0 instead of -0 when the first tick is zero.
//
// 1-2-5 rounding. The decade f = floor(lg |x|) comes from an 80-bit logarithm snapped to the integer
// within 1e-14 (exact for every power of ten). Round125 takes the mantissa m = |x| / 10^f from an
// exactly computed power and compares it with its thresholds with a relative tolerance of 1e-12.
// Computing m as 10^(c - f) put values that lie on the series or on a threshold on the wrong side
// (8 gave 5, RoundPos125(20) gave 50). RoundPos125 and RoundNeg125 compare x itself with the series
// values of the decades around f, each the double nearest to v x 10^k: the result is never on the
// wrong side of x, except that a value within 4 ulps of a series value is that value. (The 1e-12
// tolerance gave RoundPos125(2.000000000001) = 2, below its argument.)

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "Qelta_math1.h"
#include "Qelta_math1_internal.h"
#include "Qelta_univconst.h"

namespace qelta {

// [SECTION] decade helpers

namespace num_detail {

Extended Pow10(int k) {
  static constexpr int kExact = 27;
  static const auto table = [] {
    std::array<Extended, kExact + 1> t{};
    t[0] = 1.0L;
    for (int i = 1; i <= kExact; ++i) t[i] = t[i - 1] * 10.0L;  // exact: 10^27 < 2^64 x 2^26
    return t;
  }();
  const unsigned magnitude = k < 0 ? 0u - static_cast<unsigned>(k) : static_cast<unsigned>(k);
  if (magnitude <= kExact) return k >= 0 ? table[magnitude] : 1.0L / table[magnitude];
  return std::pow(10.0L, static_cast<Extended>(k));
}

Extended ScaleByPow10(Extended x, int k) {
  if (k >= 0) return x * Pow10(k);
  if (k >= -4900) return x / Pow10(-k);  // 10^4900 is still finite in 80 bits
  return x * Pow10(k);
}

Extended SnappedLg(Extended x) {
  const Extended c = std::log10(x);
  const Extended r = std::nearbyint(c);
  return std::fabs(c - r) < 1e-14L ? r : c;
}

int FloorLg(Extended x) {
  const Extended f = std::floor(SnappedLg(x));
  if (!(f > std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  if (f > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(f);
}

}  // namespace num_detail

namespace {

using num_detail::FloorLg;
using num_detail::ScaleByPow10;

// [SECTION] tick rule

constexpr Extended kPowerOfTenSnap = 1e-10L;
constexpr Extended kNearTick = 0.001L;  // a tick this share of a distance before Low still counts

struct TStep {
  Extended Distance = 0;  // unsigned
  uint16_t SubTicks = 1;
};

// Largest 1-2-5 x 10^k below rawStep (rawStep itself at a power of ten), with its short-tick count.
TStep ChooseStep(Extended rawStep) {
  const Extended g = std::log10(rawStep);
  const Extended nearest = std::nearbyint(g);
  Extended k = nearest;
  Extended h = 0;
  if (std::fabs(g - nearest) >= kPowerOfTenSnap) {
    k = std::floor(g);
    h = g - k;
  }
  int mantissa = 1;
  uint16_t subTicks = 5;
  if (h >= uc_lg5 + kPowerOfTenSnap) {
    mantissa = 5;
  } else if (h >= uc_lg2 + kPowerOfTenSnap) {
    mantissa = 2;
    subTicks = 4;
  }
  return {ScaleByPow10(mantissa, static_cast<int>(k)), subTicks};
}

// True when tick lies before low, in the direction of distance, by more than 0.1 % of a distance.
bool StartsTooEarly(Extended tick, Extended low, Extended distance) {
  return (distance > 0 ? low - tick : tick - low) > kNearTick * std::fabs(distance);
}

// First multiple of distance not before low by more than 0.1 % of the distance.
Extended FirstTickOf(Extended low, Extended distance) {
  Extended k = std::ceil(low / distance - kNearTick);
  for (int i = 0; i < 2 && StartsTooEarly(k * distance, low, distance); ++i) k += 1;
  for (int i = 0; i < 2 && !StartsTooEarly((k - 1) * distance, low, distance); ++i) k -= 1;
  return k * distance + 0.0L;  // + 0 turns -0 into 0
}

void SetDegenerate(Extended low, Extended high, Extended& firstTick, Extended& distance, uint16_t& subTicks) {
  firstTick = std::isfinite(low) ? low : (std::isfinite(high) ? high : 0.0L);
  distance = 0;
  subTicks = 1;
}

// [SECTION] 1-2-5 rounding

constexpr Extended kSeriesTol = 1e-12L;

bool Below(Extended m, Extended threshold) { return m < threshold * (1 - kSeriesTol); }

int NearestMantissa(Extended m) {
  if (Below(m, 1.5L)) return 1;
  if (Below(m, 3)) return 2;
  if (Below(m, 8)) return 5;
  return 10;
}

// sign x v x 10^f, rounded once where the power of ten is an exact double.
double Compose(bool negative, int v, int f) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  double r = 0;
  if (f >= 0 && f <= 22) {
    r = v * kExact[f];
  } else if (f < 0 && f >= -22) {
    r = v / kExact[-f];
  } else {
    r = static_cast<double>(ScaleByPow10(v, f));
  }
  return negative ? -r : r;
}

// The double nearest to v x 10^k (one rounding: exact powers of ten up to 10^22, else the decimal
// text read back).
double SeriesValue(int v, int k) {
  if (k >= -22 && k <= 22) return Compose(false, v, k);
  char text[24];
  std::snprintf(text, sizeof text, "%de%d", v, k);
  return std::strtod(text, nullptr);
}

constexpr int kSeriesSnapUlps = 4;

// The smallest series value not below ax (up) or the largest not above it (down); ax > 0, finite.
double DirectedSeries(double ax, bool up) {
  const int f = FloorLg(ax);  // exact or one off: the decades f - 1 .. f + 2 hold both neighbours
  const double above = std::nextafter(ax, HUGE_VAL);
  const double snap = kSeriesSnapUlps * (std::isfinite(above) ? above - ax : ax - std::nextafter(ax, 0.0));
  double best = up ? HUGE_VAL : 0.0;
  for (int k = f - 1; k <= f + 2; ++k)
    for (int v : {1, 2, 5}) {
      const double c = SeriesValue(v, k);
      if (c == 0) continue;  // below the smallest double: no value of the series
      if (std::isfinite(c) && std::fabs(c - ax) <= snap) return c;
      if (up ? (c > ax && c < best) : (c < ax && c > best)) best = c;
    }
  return best;
}

// RoundPos125 (towardsPlus) and RoundNeg125: the magnitude of a positive x rounds the same way as x,
// that of a negative one the other way.
double Directed125(double x, bool towardsPlus) {
  if (x == 0 || !std::isfinite(x)) return x == 0 ? 0.0 : x;
  return x > 0 ? DirectedSeries(x, towardsPlus) : -DirectedSeries(-x, !towardsPlus);
}

using TMantissaRule = int (*)(Extended);

double OnSeries(double x, TMantissaRule rule) {
  if (x == 0 || !std::isfinite(x)) return x == 0 ? 0.0 : x;
  const Extended ax = std::fabs(static_cast<Extended>(x));
  const int f = FloorLg(ax);
  return Compose(x < 0, rule(ScaleByPow10(ax, -f)), f);
}

int ClampToInt(double r) {
  if (std::isnan(r)) return 0;
  if (r >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (r <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(r);
}

// [SECTION] degree steps

constexpr int kDegreeSteps[13] = {0, 1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};  // 1-based

// First index in first..last (upwards) whose step / unit >= x; last + 1 when none.
int FirstStepAtOrAbove(double x, double unit, int last) {
  int i = 1;
  while (i <= last && kDegreeSteps[i] / unit < x) ++i;
  return i;
}

// Step of the last index in last..1 (downwards) whose step / unit <= x; 1 when none.
int LastStepAtOrBelow(double x, double unit, int last) {
  for (int i = last; i >= 1; --i)
    if (kDegreeSteps[i] / unit <= x) return kDegreeSteps[i];
  return 1;
}

// Rounds a sub-unit part (minutes, or seconds) on the table's first nine steps; true when rounding
// up reached a whole unit of the next level.
bool RoundSubUnit(double x, double unit, bool roundUp, int& part) {
  if (!roundUp) {
    part = LastStepAtOrBelow(x, unit, 9);
    return false;
  }
  const int i = FirstStepAtOrAbove(x, unit, 9);
  if (i >= 9) return true;
  part = kDegreeSteps[i];
  return false;
}

}  // namespace

void CalcScalePars(int NTicks, Extended Low, Extended High, Extended& FirstTick, Extended& Distance,
                   uint16_t& NrSubTicks) {
  const Extended span = std::fabs(High - Low);
  if (Low == High || !std::isfinite(span)) return SetDegenerate(Low, High, FirstTick, Distance, NrSubTicks);
  const Extended direction = Low < High ? 1 : -1;
  TStep step{1, static_cast<uint16_t>(span > 10 ? 1 : 5)};
  if (NTicks > 0) step = ChooseStep(span / NTicks);
  if (!(step.Distance > 0) || !std::isfinite(step.Distance))
    return SetDegenerate(Low, High, FirstTick, Distance, NrSubTicks);
  Distance = direction * step.Distance;
  NrSubTicks = step.SubTicks;
  FirstTick = FirstTickOf(Low, Distance);
}

double Round125(double x) { return OnSeries(x, NearestMantissa); }

double RoundPos125(double x) { return Directed125(x, true); }

double RoundNeg125(double x) { return Directed125(x, false); }

int IntPos(double x) {
  const double r = std::nearbyint(x);
  return ClampToInt(x > r ? r + 1 : r);
}

int IntNeg(double x) {
  const double r = std::nearbyint(x);
  return ClampToInt(x < r ? r - 1 : r);
}

void RoundDegrees(int& Degrees, int& Minutes, int& Seconds, bool RoundUp) {
  if (Degrees < 0 || Minutes < 0 || Seconds < 0) {
    Degrees = Minutes = Seconds = 0;
    return;
  }
  Minutes = std::min(Minutes, 59);
  Seconds = std::min(Seconds, 59);
  const double x = Degrees + Minutes / 60.0 + Seconds / 3600.0;
  if (Degrees > 0) {
    Minutes = Seconds = 0;
    const int i = FirstStepAtOrAbove(x, 1, 12);
    Degrees = RoundUp ? (i <= 12 ? kDegreeSteps[i] : 360) : LastStepAtOrBelow(x, 1, 12);
  } else if (Minutes > 0) {
    Seconds = 0;
    if (RoundSubUnit(x, 60, RoundUp, Minutes)) {
      Degrees = 1;
      Minutes = 0;
    }
  } else if (Seconds > 0) {
    if (RoundSubUnit(x, 3600, RoundUp, Seconds)) {
      Minutes = 1;
      Seconds = 0;
    }
  }
}

}  // namespace qelta
