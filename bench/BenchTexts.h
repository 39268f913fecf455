#pragma once
// Deterministic cell texts for the container benchmarks, so that every run sees the same data.

#include <cstdint>
#include <string>

namespace qelta::bench {

/// Small xorshift64* generator.
struct TGen {
  uint64_t s;
  uint64_t Next() {
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return s * 2685821657736338717ull;
  }
  /// A text of minLength .. minLength + spread - 1 letters and digits.
  std::string Text(int minLength, int spread) {
    std::string t(size_t(minLength) + Next() % uint64_t(spread), ' ');
    for (char& c : t) {
      const uint64_t r = Next() % 60;
      c = r < 26 ? char('a' + r) : r < 52 ? char('A' + r - 26) : char('0' + r - 52);
    }
    return t;
  }
};

}  // namespace qelta::bench
