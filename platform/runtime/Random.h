#pragma once
// The runtime's uniform random generator: the linear congruential generator
// seed = seed * 134775813 + 1 (mod 2^32), one step per draw. The seed is the plain global RandSeed,
// so a run seeded with `RandSeed = 5807;` repeats exactly. Statistical quality is that of a 32-bit
// LCG: fine for test data and jitter, not for simulations that need long independent streams.
// Not thread-safe (the platform has no threads).

#include <cstdint>

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// State of the generator; set it to repeat a sequence. Starts at 0.
extern uint32_t RandSeed;

/// Steps the seed; answers (seed * n) >> 32, an integer in 0..n-1. For n <= 0 the seed still
/// steps and the answer is 0, so a draw never falls outside [0, max(n, 1)).
int Random(int n);
/// Steps the seed; answers seed / 2^32 (seed taken unsigned), a double in [0, 1).
double Random();
/// Sets RandSeed from the real-time clock.
void Randomize();

}  // namespace qelta

QELTA_PUBLIC_END
