// Qelta_math1: random numbers on top of the platform's Random, and the numerics' start-up.
//
// LongRand is the sum modulo 1 of three multiplicative linear congruential generators
// (x 1187 mod 1001003, y 983 mod 990923, z 1283 mod 1400423; all three moduli are prime). A seed
// s sets a = s mod 990923 (sign of s), x = |a|, y = |a xor (a shl 8)| mod 990923,
// z = |a xor (a shl 16)| mod 990923, with the shifts on 32-bit two's-complement patterns.
// A state of 0 stays 0 for ever, so each state that would be 0 (every component for a seed that
// is a multiple of 990923, rarely one of them otherwise, or a start-up draw below 0.5 / 990000) is
// replaced by 1; without this LongRand(990923) returned 0 for ever after.
// GRandom is the polar method of Marsaglia; a pair with s = 0 (both draws exactly 0.5) is drawn
// again like one with s >= 1, since ln 0 would give an infinite factor and NaN results.

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "Qelta_math1.h"
#include "Random.h"

namespace qelta {
namespace {

constexpr int64_t kModX = 1001003;
constexpr int64_t kModY = 990923;
constexpr int64_t kModZ = 1400423;

struct TLongRandState {
  int64_t X = 1;
  int64_t Y = 1;
  int64_t Z = 1;
};

TLongRandState gLong;
bool gHaveSpare = false;
double gSpare = 0;

int64_t NonZero(int64_t state) { return state == 0 ? 1 : state; }

void SeedLongRand(int32_t seed) {
  const int32_t a = seed % static_cast<int32_t>(kModY);  // remainder with the sign of the seed
  const uint32_t bits = static_cast<uint32_t>(a);
  const auto b = static_cast<int32_t>(bits ^ (bits << 8));
  const auto c = static_cast<int32_t>(bits ^ (bits << 16));
  gLong.X = NonZero(std::llabs(a));
  gLong.Y = NonZero(std::llabs(b) % kModY);
  gLong.Z = NonZero(std::llabs(c) % kModY);
}

// Start-up state: three draws of the platform's generator, in the order x, y, z.
int64_t DrawStartState() { return NonZero(static_cast<int64_t>(std::nearbyint(Random() * 990000.0))); }

}  // namespace

bool BRandom(double p) {
  if (p >= 1) return true;
  return Random() < p;
}

double CRandom(double a, double b) { return std::tan((Random() - 0.5) * std::numbers::pi) * a + b; }

double GRandom() {
  if (gHaveSpare) {
    gHaveSpare = false;
    return gSpare;
  }
  double u = 0;
  double v = 0;
  double s = 0;
  do {
    u = 2 * Random() - 1;
    v = 2 * Random() - 1;
    s = u * u + v * v;
  } while (s >= 1 || s == 0);
  const double f = std::sqrt(-2 * std::log(s) / s);
  gSpare = u * f;
  gHaveSpare = true;
  return v * f;
}

double LongRand(int Seed) {
  if (Seed != 0) SeedLongRand(Seed);
  gLong.X = gLong.X * 1187 % kModX;
  gLong.Y = gLong.Y * 983 % kModY;
  gLong.Z = gLong.Z * 1283 % kModZ;
  const double r = static_cast<double>(gLong.X) / kModX + static_cast<double>(gLong.Y) / kModY +
                   static_cast<double>(gLong.Z) / kModZ;
  return r - std::floor(r);
}

namespace num_detail {

void InitMath1() {
  static bool done = false;
  if (done) return;
  done = true;
  gHaveSpare = false;
  gLong.X = DrawStartState();
  gLong.Y = DrawStartState();
  gLong.Z = DrawStartState();
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
}

}  // namespace num_detail
}  // namespace qelta
