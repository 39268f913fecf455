#pragma once
// Decade helpers and the progress step shared by the sources of the numerics; not part of the
// public interface and not installed.

#include "Types.h"

namespace qelta::num_detail {

/// 10^k as an Extended: exact for |k| <= 27, otherwise within an ulp.
Extended Pow10(int k);
/// x * 10^k with a single rounding when 10^|k| is exact (divides for k < 0).
Extended ScaleByPow10(Extended x, int k);
/// Decimal logarithm of x > 0 in 80-bit precision, taken as the integer when within 1e-14 of one,
/// so that every power of ten (also the inexact doubles 1e-5, 1e-20) has its exact exponent.
Extended SnappedLg(Extended x);
/// floor(SnappedLg(x)), clamped to the int range; x must be finite and > 0.
int FloorLg(Extended x);
/// ProcStat + 1 (wrapping instead of overflowing), without the feedback call.
void CountProcStat();
/// One step of the shared progress protocol of long computations: ProcStat + 1, then
/// MathFeedBackProc(ProcStat) when assigned.
void StepProcStat();

}  // namespace qelta::num_detail
