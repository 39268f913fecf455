#include "Math.h"

// Float-to-integer conversion is undefined in C++ for NaN and out-of-range values, so every such
// conversion goes through ClampToInt64 after the rounding step. Extended holds 2^63 exactly, which
// makes the range test exact.
//
// SimpleRoundTo keeps the classic formula, Trunc(value / 10^d +- 0.5) * 10^d with 10^d from
// IntPower, but truncates in floating point: an integer truncation would clamp values whose
// quotient exceeds the int64 range (1e30 at two decimals) and return garbage for them.
//
// The x87 image: bytes 0-7 hold the mantissa m (bit 63 is the explicit integer bit), bytes 8-9 hold
// the biased exponent e (bias 16383) in bits 0-14 and the sign in bit 15. Normal values are
// m * 2^(e - 16383 - 63); e = 0 holds denormals, m * 2^(-16382 - 63); e = 0x7FFF holds Inf
// (m = 2^63) and NaN. frexpl/ldexpl build and read the image without looking at memory layout.

#include <cmath>
#include <limits>

namespace qelta {
namespace {

constexpr int kBias = 16383;
constexpr int kMaxExponent = 0x7FFF;
constexpr int kDenormalShift = 16382 + 63;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
constexpr uint64_t kQuietNaN = kIntegerBit | (uint64_t{1} << 62);

int64_t ClampToInt64(Extended integral) {
  constexpr Extended kTwo63 = 9223372036854775808.0L;
  if (std::isnan(integral)) return 0;
  if (integral >= kTwo63) return std::numeric_limits<int64_t>::max();
  if (integral < -kTwo63) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(integral);
}

void PutImage(uint8_t out[10], bool negative, int exponent, uint64_t mantissa) {
  for (int k = 0; k < 8; ++k) out[k] = static_cast<uint8_t>(mantissa >> (8 * k));
  const unsigned top = (negative ? 0x8000u : 0u) | static_cast<unsigned>(exponent);
  out[8] = static_cast<uint8_t>(top & 0xFF);
  out[9] = static_cast<uint8_t>(top >> 8);
}

// Exponent and mantissa of a finite, non-zero magnitude.
void SplitFinite(Extended magnitude, int& exponent, uint64_t& mantissa) {
  int e2 = 0;
  const Extended m = std::frexp(magnitude, &e2);  // magnitude = m * 2^e2, m in [0.5, 1)
  exponent = e2 - 1 + kBias;
  if (exponent > 0) {
    mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
  } else {
    exponent = 0;
    mantissa = static_cast<uint64_t>(std::ldexp(magnitude, kDenormalShift));
  }
}

Extended ReadMagnitude(int exponent, uint64_t mantissa) {
  constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();
  if (exponent == kMaxExponent) {
    if (mantissa == kIntegerBit) return std::numeric_limits<Extended>::infinity();
    return kNaN;
  }
  if (exponent == 0) return std::ldexp(static_cast<Extended>(mantissa), -kDenormalShift);
  if ((mantissa & kIntegerBit) == 0) return kNaN;  // unnormal
  return std::ldexp(static_cast<Extended>(mantissa), exponent - kBias - 63);
}

}  // namespace

// rint rounds as nearbyint does in the default mode (half to even); it only may set the inexact flag,
// which nothing here reads (traps are off), and spares nearbyint's save and restore of the FPU state.
int64_t Round(Extended x) { return ClampToInt64(std::rint(x)); }
int64_t Trunc(Extended x) { return ClampToInt64(std::trunc(x)); }
int64_t Ceil(Extended x) { return ClampToInt64(std::ceil(x)); }
int64_t Floor(Extended x) { return ClampToInt64(std::floor(x)); }
Extended Int(Extended x) { return std::trunc(x); }
Extended Frac(Extended x) { return x - std::trunc(x); }

Extended SimpleRoundTo(Extended value, int digits) {
  const Extended factor = IntPower(10, digits);
  if (value < 0) return std::trunc(value / factor - 0.5L) * factor;
  return std::trunc(value / factor + 0.5L) * factor;
}

Extended Power(Extended base, Extended exponent) { return std::pow(base, exponent); }

Extended IntPower(Extended base, int exponent) {
  // The magnitude as unsigned: negating INT_MIN would overflow.
  uint32_t n = exponent < 0 ? 0u - static_cast<uint32_t>(exponent) : static_cast<uint32_t>(exponent);
  Extended result = 1;
  for (Extended square = base; n != 0; n >>= 1, square *= square)
    if (n & 1u) result *= square;
  return exponent < 0 ? 1 / result : result;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t num = int64_t(a) * b;  // at most 2^62 in magnitude
  const int64_t n = num < 0 ? -num : num, d = c < 0 ? -int64_t(c) : int64_t(c);
  const int64_t q = (2 * n + d) / (2 * d);
  const int64_t result = (num < 0) != (c < 0) ? -q : q;
  return result < INT32_MIN || result > INT32_MAX ? -1 : static_cast<int>(result);
}

int Sign(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }
int Sign(int64_t x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }
int Sign(int x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }
int Min(int a, int b) { return a < b ? a : b; }
int64_t Min(int64_t a, int64_t b) { return a < b ? a : b; }
double Min(double a, double b) { return a < b ? a : b; }
int Max(int a, int b) { return a > b ? a : b; }
int64_t Max(int64_t a, int64_t b) { return a > b ? a : b; }
double Max(double a, double b) { return a > b ? a : b; }
bool IsNan(double x) { return std::isnan(x); }
bool IsInfinite(double x) { return std::isinf(x); }

void ExtendedToBytes(Extended v, uint8_t out[10]) {
  const bool negative = std::signbit(v);
  const Extended magnitude = std::fabs(v);
  if (std::isnan(v)) return PutImage(out, negative, kMaxExponent, kQuietNaN);
  if (std::isinf(v)) return PutImage(out, negative, kMaxExponent, kIntegerBit);
  if (magnitude == 0) return PutImage(out, negative, 0, 0);
  int exponent = 0;
  uint64_t mantissa = 0;
  SplitFinite(magnitude, exponent, mantissa);
  PutImage(out, negative, exponent, mantissa);
}

Extended BytesToExtended(const uint8_t in[10]) {
  uint64_t mantissa = 0;
  for (int k = 7; k >= 0; --k) mantissa = (mantissa << 8) | in[k];
  const unsigned top = in[8] | (static_cast<unsigned>(in[9]) << 8);
  const Extended magnitude = ReadMagnitude(static_cast<int>(top & 0x7FFF), mantissa);
  return (top & 0x8000) ? -magnitude : magnitude;
}

}  // namespace qelta

