#pragma once
// Numeric helpers of the runtime: rounding to integers, powers, decimal rounding, Sign/Min/Max,
// and the 10-byte Extended image used by files and streams.
// Rounding to an integer never has undefined behaviour: NaN gives 0, values beyond the int64
// range (including +-Inf) give INT64_MIN or INT64_MAX. Ceil and Floor answer int64 (wider than
// the classic 32-bit result) under the same clamping. Floating-point traps are off, so Power and
// IntPower answer Inf or NaN where the mathematics has no finite value instead of raising.

#include <cstdint>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// ---- rounding ----

/// x rounded to the nearest integer, ties to even (2.5 -> 2, 3.5 -> 4); NaN -> 0, clamped to int64.
int64_t Round(Extended x);
/// x rounded toward zero; NaN -> 0, clamped to int64.
int64_t Trunc(Extended x);
/// Smallest integer >= x; NaN -> 0, clamped to int64.
int64_t Ceil(Extended x);
/// Largest integer <= x; NaN -> 0, clamped to int64.
int64_t Floor(Extended x);
/// Integer part of x as a float, rounded toward zero (Inf and NaN pass through).
Extended Int(Extended x);
/// x - Int(x), with the sign of x; NaN for NaN and +-Inf.
Extended Frac(Extended x);
/// value rounded at 10^digits, ties away from zero: SimpleRoundTo(1.235, -2) = 1.24; NaN/Inf pass through.
Extended SimpleRoundTo(Extended value, int digits = -2);

// ---- powers ----

/// base raised to a real exponent: Power(x, 0) = 1 (also for x = 0), negative base with an integral
/// exponent allowed, NaN for a negative base with a fractional exponent, Inf for 0 to a negative power.
Extended Power(Extended base, Extended exponent);
/// base raised to an integer exponent by repeated squaring; 1/base^-exponent for exponent < 0.
Extended IntPower(Extended base, int exponent);

// ---- small helpers ----

/// a * b / c from the exact 64-bit product, rounded half away from zero (MulDiv(5, 1, 2) = 3,
/// MulDiv(-5, 1, 2) = -3); -1 for c = 0 or a result outside the int range.
int MulDiv(int a, int b, int c);

/// v kept to the range of int: coordinates summed in 64 bits reach a canvas without wrapping.
inline int SaturateToInt(int64_t v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int>(v); }

/// -1, 0 or 1 by the sign of x; 0 for NaN and for +-0.
int Sign(double x);
int Sign(int64_t x);
int Sign(int x);
int Min(int a, int b);
int64_t Min(int64_t a, int64_t b);
/// Smaller of a and b; b when either is NaN.
double Min(double a, double b);
int Max(int a, int b);
int64_t Max(int64_t a, int64_t b);
/// Larger of a and b; b when either is NaN.
double Max(double a, double b);
bool IsNan(double x);
/// True for +Inf and -Inf.
bool IsInfinite(double x);

// ---- 10-byte Extended image ----

/// Writes v as the little-endian x87 image: 64-bit mantissa with explicit integer bit, then 15-bit
/// biased exponent and sign. Exact for every Extended; a NaN is written as the quiet NaN of its sign.
void ExtendedToBytes(Extended v, uint8_t out[10]);
/// Reads a little-endian x87 image; the encodings the x87 rejects (unnormals, pseudo-NaN and
/// pseudo-infinity) read as NaN, so any 10 bytes give a value.
Extended BytesToExtended(const uint8_t in[10]);

}  // namespace qelta

QELTA_PUBLIC_END
