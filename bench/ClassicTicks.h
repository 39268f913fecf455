#pragma once
// The classic tick rule as a plain loop, the anchor of the tick generators: the raw step's decade by
// log10, mantissa 1, 2 or 5, the first tick by ceil (no exact powers, no corrections, no checks).

#include <cmath>
#include <cstdint>

namespace qelta::bench {

/// First tick, distance and sub-ticks of nTicks intervals over [low, high] (nTicks > 0, low != high).
inline void ClassicScalePars(int nTicks, long double low, long double high, long double& first, long double& distance,
                             uint16_t& sub) {
  const long double g = std::log10(std::fabs(high - low) / nTicks), k = std::floor(g), h = g - k;
  const int m = h < 0.30103L ? 1 : h < 0.69897L ? 2 : 5;
  distance = (low < high ? m : -m) * std::pow(10.0L, k);
  first = std::ceil(low / distance - 0.001L) * distance;
  sub = static_cast<uint16_t>(m == 2 ? 4 : 5);
}

}  // namespace qelta::bench
