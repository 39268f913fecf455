// Qelta_wavelet: TWavelet1D, the Daubechies transform of one signal.
//
// Filters (closed forms, I. Daubechies, "Ten Lectures on Wavelets", 1992, table 6.1; sum sqrt 2):
//   K = 1  (1, 1) / sqrt 2
//   K = 2  (1 + sqrt 3, 3 + sqrt 3, 3 - sqrt 3, 1 - sqrt 3) / (4 sqrt 2)
//   K = 3  (1 + r + q, 5 + r + 3q, 10 - 2r + 2q, 10 - 2r - 2q, 5 + r - 3q, 1 + r - q) / (16 sqrt 2)
//          with r = sqrt 10, q = sqrt(5 + 2 sqrt 10)
// They agree with the usual 17-digit decimals to the last digit of a double and are orthonormal
// to the precision of the 80-bit samples.
// Step (0-based, L = 2K taps, half = n div 2): output l (0..half-1) takes the taps m = 0..L-1 at
// the input positions t = 2l + m + 2 - L: a(l) += h(m) x(t), d(l) += g(m) x(t); the inverse adds
// h(m) x(l) + g(m) x(half + l) to y(t). Positions before 0 follow the extension mode; t never
// exceeds 2 half - 1. Only the 2 half positions of the step are written.
// Decision on a fault: the mirror -t - 1 of a symmetric extension leaves the step's n samples when
// the taps reach back further than n (order 3 at n = 2 mirrors t = -4, -3 to 3 and 2: the forward
// step read stale values, the inverse wrote past its scratch); the mirrored index is folded into
// 0..n-1 (the mirrored signal repeats with period 2n).

#include "Qelta_wavelet.h"

#include <cmath>

#include "Qelta_fourier_internal.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

namespace {

/// Position of tap t (< n) of a step over n samples, or -1 for a tap that is skipped.
int TapPosition(int t, int n, TWLSigExtMode mode) {
  if (t >= 0) return t;
  switch (mode) {
    case wseWrap: return ((t % n) + n) % n;
    case wseSymmetric: {
      const int r = ((t % (2 * n)) + 2 * n) % (2 * n);
      return r < n ? r : 2 * n - 1 - r;
    }
    default: return -1;
  }
}

}  // namespace

namespace num_detail {

std::vector<Extended> DaubechiesLowPass(int k) {
  const Extended s2 = std::sqrt(2.0L);
  if (k == 1) return {1 / s2, 1 / s2};
  if (k == 2) {
    const Extended s3 = std::sqrt(3.0L), d = 4 * s2;
    return {(1 + s3) / d, (3 + s3) / d, (3 - s3) / d, (1 - s3) / d};
  }
  if (k == 3) {
    const Extended r = std::sqrt(10.0L), q = std::sqrt(5 + 2 * r), d = 16 * s2;
    return {(1 + r + q) / d,         (5 + r + 3 * q) / d, (10 - 2 * r + 2 * q) / d,
            (10 - 2 * r - 2 * q) / d, (5 + r - 3 * q) / d, (1 + r - q) / d};
  }
  return {};
}

}  // namespace num_detail

// [SECTION] construction and properties

TWavelet1D::TWavelet1D(TComponent* AOwner) : TComponent(AOwner) {
  SetNumData(FNumData);
  SetOrder(FOrder);
}

void TWavelet1D::SetNumData(int n) {
  if (!num_detail::ValidTransformLength(n))
    throw EQeltaWaveletError(num_detail::ComponentText(*this, u"data length must be power of 2"));
  num_detail::GuardAlloc<EQeltaWaveletError>(*this, u"not enough memory on heap", [&] {
    std::vector<Extended> data(static_cast<std::size_t>(n));
    FData.swap(data);
  });
  FNumData = n;
}

void TWavelet1D::SetOrder(int k) {
  if (k < 1 || k > 3)
    throw EQeltaWaveletError(num_detail::ComponentText(*this, u"invalid order of Daubechies wavelet family"));
  FOrder = k;
  FCoeffsLP = num_detail::DaubechiesLowPass(k);
  const int taps = 2 * k;
  FCoeffsHP.assign(static_cast<std::size_t>(taps), 0);
  for (int e = 1; e <= taps; ++e)  // g[L + 1 - e] = (-1)^e h[e], 1-based
    FCoeffsHP[static_cast<std::size_t>(taps - e)] = (e % 2 == 0 ? 1 : -1) * FCoeffsLP[static_cast<std::size_t>(e - 1)];
}

// [SECTION] samples

Extended TWavelet1D::GetDataVal(int i) const {
  return i >= 1 && i <= FNumData ? FData[static_cast<std::size_t>(i - 1)] : 0.0L;
}

void TWavelet1D::SetDataVal(int i, Extended v) {
  if (i >= 1 && i <= FNumData) FData[static_cast<std::size_t>(i - 1)] = v;
}

void TWavelet1D::Clear() { std::fill(FData.begin(), FData.end(), 0.0L); }

// [SECTION] steps and levels

std::unique_ptr<Extended[]> TWavelet1D::Scratch(int n) const {
  std::unique_ptr<Extended[]> scratch;
  num_detail::GuardAlloc<EQeltaWaveletError>(*this, u"not enough memory on heap",
                                         [&] { scratch.reset(new Extended[static_cast<std::size_t>(n)]); });
  return scratch;
}

namespace {

/// Outputs from..half-1 of a step whose taps all lie in the signal (2 from + 2 - L >= 0), with L taps
/// known to the compiler.
template <int L>
void InteriorForward(const Extended* x, int half, int from, const Extended* h, const Extended* g, Extended* y) {
  for (int l = from; l < half; ++l) {
    const Extended* p = x + 2 * l + 2 - L;
    Extended a = 0, d = 0;
    for (int m = 0; m < L; ++m) a += h[m] * p[m], d += g[m] * p[m];
    y[l] = a, y[half + l] = d;
  }
}

template <int L>
void InteriorInverse(const Extended* x, int half, int from, const Extended* h, const Extended* g, Extended* y) {
  for (int l = from; l < half; ++l) {
    Extended* q = y + 2 * l + 2 - L;
    const Extended a = x[l], d = x[half + l];
    for (int m = 0; m < L; ++m) q[m] += h[m] * a + g[m] * d;
  }
}

}  // namespace

void TWavelet1D::Step(Extended* x, int n, bool inverse, Extended* y) const {
  const int half = n / 2, taps = 2 * FOrder;
  if (half < 1) return;
  const Extended* h = FCoeffsLP.data();
  const Extended* g = FCoeffsHP.data();
  if (inverse) std::fill(y, y + n, 0.0L);  // the forward step writes every output itself
  const int edge = std::min(half, FOrder - 1);  // outputs l < K - 1 reach before the first sample
  for (int l = 0; l < edge; ++l) {
    Extended a = 0, d = 0;
    for (int m = 0; m < taps; ++m) {
      const int t = TapPosition(2 * l + 2 - taps + m, n, FWLSigExtMode);
      if (t < 0) continue;
      if (inverse)
        y[t] += h[m] * x[l] + g[m] * x[half + l];
      else
        a += h[m] * x[t], d += g[m] * x[t];
    }
    if (!inverse) y[l] = a, y[half + l] = d;
  }
  using TInterior = void (*)(const Extended*, int, int, const Extended*, const Extended*, Extended*);
  static constexpr TInterior kForward[] = {InteriorForward<2>, InteriorForward<4>, InteriorForward<6>};
  static constexpr TInterior kInverse[] = {InteriorInverse<2>, InteriorInverse<4>, InteriorInverse<6>};
  (inverse ? kInverse : kForward)[FOrder - 1](x, half, edge, h, g, y);
  std::copy(y, y + 2 * half, x);
}

void TWavelet1D::DoWLT(int Level, bool inverse) {
  if (Level <= 0) Level = 1;
  if (FNumData <= 1) return;
  const std::unique_ptr<Extended[]> scratch = Scratch(FNumData);
  if (inverse) {
    for (int len = 2, s = 0; s < Level && len <= FNumData; ++s, len *= 2) Step(FData.data(), len, true, scratch.get());
  } else {
    for (int len = FNumData, s = 0; s < Level && len > 1; ++s, len /= 2) Step(FData.data(), len, false, scratch.get());
  }
}

void TWavelet1D::Transform(int Level) { DoWLT(Level, false); }
void TWavelet1D::InverseTransform(int Level) { DoWLT(Level, true); }
void TWavelet1D::SingleStep(bool inverse) { PartialWLT(FNumData, 0, inverse); }

void TWavelet1D::PartialWLT(int n, int offset, bool inverse) {
  if (n <= 1 || offset < 0 || offset > FNumData - n) return;
  const std::unique_ptr<Extended[]> scratch = Scratch(n);
  Step(FData.data() + offset, n, inverse, scratch.get());
}

}  // namespace qelta
