#pragma once
// Not part of the public interface: the complex transform under TFastFourier (Qelta_fourier_fft.cpp);
// exported for the tests.

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::num_detail {

/// Largest transform length, as a power of two.
inline constexpr int kFftMaxLg = 23;

/// True for the lengths of the transforms: 1, 2, 4, ..., 2^kFftMaxLg.
inline bool ValidTransformLength(int n) { return n >= 1 && n <= (1 << kFftMaxLg) && (n & (n - 1)) == 0; }

/// Transforms the 2^lg complex values (re[j], im[j]) in place into X[k] = sum_j x[j] exp(+2 pi i jk / 2^lg),
/// natural order in and out (0 <= lg <= kFftMaxLg). Called with re and im exchanged it gives the
/// transform with the kernel exp(-2 pi i jk / 2^lg), unscaled.
void FftForward(double* re, double* im, int lg);

/// exp(2 pi i k / 2^lg) for 0 <= k < 2^lg, lg <= kFftMaxLg, as the transform uses it (cos into c, sin
/// into s): correctly rounded values for lg <= 16, one rounded product of two such values beyond.
void FftTwiddle(int lg, int k, double& c, double& s);

}  // namespace qelta::num_detail

QELTA_PUBLIC_END
