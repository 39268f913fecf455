#include "Random.h"

#include <chrono>

namespace qelta {
namespace {

constexpr uint32_t kMultiplier = 134775813u;

// Unsigned arithmetic: the wrap-around modulo 2^32 is the generator.
uint32_t Step() { return RandSeed = RandSeed * kMultiplier + 1u; }

}  // namespace

uint32_t RandSeed = 0;

int Random(int n) {
  const uint64_t seed = Step();
  if (n <= 0) return 0;
  return static_cast<int>((seed * static_cast<uint32_t>(n)) >> 32);
}

double Random() { return Step() / 4294967296.0; }

void Randomize() {
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  const auto bits = static_cast<uint64_t>(ticks);
  RandSeed = static_cast<uint32_t>(bits ^ (bits >> 32));
}

}  // namespace qelta
