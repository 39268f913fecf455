// Qelta_fourier: TFastFourier, the block of samples, its windows and the spectrum queries.
//
// Windows (sample a = 1..N, x = (a - N/2) / N; the cosine windows are written about the block
// centre, so all their coefficients carry a plus sign):
//   fwTriangle     samples b and N - b + 1 times 2b / N, b = 1..N div 2
//   fwCos2         cos^2(pi x)
//   fwGauss        exp(-0.5 (6x)^2)
//   fwHamming      0.543478261 + 0.456521739 cos(2 pi x)
//   fwBlackman     0.42659 + 0.49656 cos(2 pi x) + 0.076848 cos(4 pi x)
//   fwBlkmHarris   0.35875 + 0.48829 cos(2 pi x) + 0.14128 cos(4 pi x) + 0.01168 cos(6 pi x)
//   fwBlkmNuttall  0.3635819 + 0.4891775 cos(2 pi x) + 0.1365995 cos(4 pi x) + 0.0106411 cos(6 pi x)
//   fwUserDef      the user weight of the sample; fwRectangle leaves the samples alone.
// The samples are kept as two arrays (real and imaginary parts), the layout the transform works on.
// Decision on a faulty size test: only the lengths 1, 2, 4, ..., 2^23 are accepted (a test of the
// lowest 24 bits alone would let 2^24 + 1 or a negative length through to the bit reversal).

#include "Qelta_fourier.h"

#include <bit>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>
#include <stdexcept>

#include "Math.h"
#include "Qelta_fourier_internal.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

namespace {

/// Weight of sample a (1..n) for the cosine-series windows.
double CosineWindow(TFastFourierWgtWin w, int a, int n) {
  const double x = (a - n / 2.0) / n, c1 = std::cos(2 * std::numbers::pi * x);
  const double c2 = std::cos(4 * std::numbers::pi * x), c3 = std::cos(6 * std::numbers::pi * x);
  switch (w) {
    case fwCos2: {
      const double c = std::cos(std::numbers::pi * x);
      return c * c;
    }
    case fwGauss: return std::exp(-0.5 * (6 * x) * (6 * x));
    case fwHamming: return 0.543478261 + 0.456521739 * c1;
    case fwBlackman: return 0.42659 + 0.49656 * c1 + 0.076848 * c2;
    case fwBlkmHarris: return 0.35875 + 0.48829 * c1 + 0.14128 * c2 + 0.01168 * c3;
    case fwBlkmNuttall: return 0.3635819 + 0.4891775 * c1 + 0.1365995 * c2 + 0.0106411 * c3;
    default: return 1.0;
  }
}

}  // namespace

// [SECTION] construction and size

TFastFourier::TFastFourier(TComponent* AOwner) : TComponent(AOwner) { Allocate(FNumData, 1.0); }

void TFastFourier::Allocate(int n, double weight) {
  num_detail::GuardAlloc<EQeltaFourierError>(*this, u"not enough memory on heap", [&] {
    std::vector<double> re(static_cast<std::size_t>(n)), im(static_cast<std::size_t>(n));
    std::vector<double> wgt(static_cast<std::size_t>(n), weight);
    FRe.swap(re), FIm.swap(im), FUserWgt.swap(wgt);
  });
  FNumData = n;
  MaxValuesValid = false;
}

void TFastFourier::SetNumData(int n) {
  if (!num_detail::ValidTransformLength(n))
    throw EQeltaFourierError(num_detail::ComponentText(*this, u"data length must be power of 2"));
  Allocate(n, 0.0);
}

// [SECTION] samples

double TFastFourier::GetRealVal(int i) const { return i >= 1 && i <= FNumData ? FRe[static_cast<std::size_t>(i - 1)] : 0.0; }
double TFastFourier::GetImagVal(int i) const { return i >= 1 && i <= FNumData ? FIm[static_cast<std::size_t>(i - 1)] : 0.0; }
double TFastFourier::GetWgtVal(int i) const {
  return i >= 1 && i <= FNumData ? FUserWgt[static_cast<std::size_t>(i - 1)] : 0.0;
}

void TFastFourier::SetRealVal(int i, double v) {
  if (i < 1 || i > FNumData) return;
  FRe[static_cast<std::size_t>(i - 1)] = v;
  MaxValuesValid = false;
}

void TFastFourier::SetImagVal(int i, double v) {
  if (i < 1 || i > FNumData) return;
  FIm[static_cast<std::size_t>(i - 1)] = v;
  MaxValuesValid = false;
}

void TFastFourier::SetWgtVal(int i, double v) {
  if (i >= 1 && i <= FNumData) FUserWgt[static_cast<std::size_t>(i - 1)] = v;
}

void TFastFourier::Clear() {
  ClearReal();
  ClearImag();
}

void TFastFourier::ClearReal() {
  std::fill(FRe.begin(), FRe.end(), 0.0);
  MaxValuesValid = false;
}

void TFastFourier::ClearImag() {
  std::fill(FIm.begin(), FIm.end(), 0.0);
  MaxValuesValid = false;
}

// [SECTION] the transform

void TFastFourier::ApplyWindow() {
  const int n = FNumData;
  auto scale = [&](int a, double w) {  // sample a (1-based)
    FRe[static_cast<std::size_t>(a - 1)] *= w;
    FIm[static_cast<std::size_t>(a - 1)] *= w;
  };
  switch (FWgtWin) {
    case fwRectangle: return;
    case fwTriangle:
      for (int b = 1; b <= n / 2; ++b) scale(b, 2.0 * b / n), scale(n - b + 1, 2.0 * b / n);
      return;
    case fwUserDef:
      for (int a = 1; a <= n; ++a) scale(a, FUserWgt[static_cast<std::size_t>(a - 1)]);
      return;
    default:
      for (int a = 1; a <= n; ++a) scale(a, CosineWindow(FWgtWin, a, n));
  }
}

void TFastFourier::Transform() {
  ApplyWindow();
  num_detail::FftForward(FRe.data(), FIm.data(), std::countr_zero(static_cast<unsigned>(FNumData)));
  MaxValuesValid = false;
}

void TFastFourier::InverseTransform() {
  // The forward transform of the exchanged parts is the transform with exp(-2 pi i jk / N).
  num_detail::FftForward(FIm.data(), FRe.data(), std::countr_zero(static_cast<unsigned>(FNumData)));
  const double scale = 1.0 / FNumData;  // exact: N is a power of two
  for (double& v : FRe) v *= scale;
  for (double& v : FIm) v *= scale;
  MaxValuesValid = false;
}

// [SECTION] spectrum queries

double TFastFourier::PowerTerm(int k) const {
  const auto a = static_cast<std::size_t>(k), b = static_cast<std::size_t>((FNumData - k) % FNumData);
  const double own = FRe[a] * FRe[a] + FIm[a] * FIm[a];
  return k == 0 ? own : own + FRe[b] * FRe[b] + FIm[b] * FIm[b];
}

double TFastFourier::MagnitudeTerm(int k) const {
  const auto a = static_cast<std::size_t>(k), b = static_cast<std::size_t>((FNumData - k) % FNumData);
  if (k == 0) return std::sqrt(FRe[0] * FRe[0] + FIm[0] * FIm[0]);
  const double re = FRe[a] + FRe[b], im = FIm[a] - FIm[b];
  return std::sqrt(re * re + im * im);
}

double TFastFourier::GetPowerSpec(int k) const { return k >= 0 && k <= FNumData / 2 ? PowerTerm(k) / FNumData : 0.0; }

double TFastFourier::GetMagnitude(int k) const {
  return k >= 0 && k <= FNumData / 2 ? MagnitudeTerm(k) / FNumData : 0.0;
}

double TFastFourier::GetFSerCos(int k) const {
  if (k < 0 || k > FNumData / 2) return 0.0;
  const double partner = k == 0 ? 0.0 : FRe[static_cast<std::size_t>(FNumData - k)];
  return (FRe[static_cast<std::size_t>(k)] + partner) / FNumData;
}

double TFastFourier::GetFSerSin(int k) const {
  if (k < 1 || k > FNumData / 2) return 0.0;
  return (FIm[static_cast<std::size_t>(k)] - FIm[static_cast<std::size_t>(FNumData - k)]) / FNumData;
}

double TFastFourier::GetPhase(int k) const {
  if (k < 1 || k > FNumData / 2) return 0.0;
  const double re = FRe[static_cast<std::size_t>(k)], im = FIm[static_cast<std::size_t>(k)];
  if (re == 0) return im > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
  return std::atan(im / re);
}

double TFastFourier::RMS(int FirstIx, int LastIx) const {
  int lo = num_detail::ClampInt(FirstIx, 0, FNumData / 2), hi = num_detail::ClampInt(LastIx, 0, FNumData / 2);
  if (hi < lo) std::swap(lo, hi);
  Extended sum = 0;
  for (int k = lo; k <= hi; ++k) sum += PowerTerm(k);
  return static_cast<double>(std::sqrt(sum)) / FNumData;
}

double TFastFourier::FreqOfLine(int ix, double SampleTime) const {
  return ix >= 1 && ix <= FNumData / 2 ? ix / SampleTime / FNumData : 0.0;
}

int TFastFourier::LineOfFreq(double SampleTime, double f) const {
  const int64_t line = Round(static_cast<Extended>(FNumData) * f * SampleTime);  // NaN: 0, clamped
  return line >= 1 && line <= FNumData / 2 ? static_cast<int>(line) : 0;
}

// [SECTION] extremes

void TFastFourier::UpdateExtremes() const {
  if (MaxValuesValid) return;
  const double big = std::numeric_limits<double>::max();
  FMaxReal = FMaxImag = -big;
  FMinReal = FMinImag = big;
  for (int i = 0; i < FNumData; ++i) {
    const double re = FRe[static_cast<std::size_t>(i)], im = FIm[static_cast<std::size_t>(i)];
    if (re > FMaxReal) FMaxReal = re;
    if (re < FMinReal) FMinReal = re;
    if (im > FMaxImag) FMaxImag = im;
    if (im < FMinImag) FMinImag = im;
  }
  double power = 0, magni = 0;
  for (int k = 1; k < FNumData / 2; ++k) power = std::max(power, PowerTerm(k));
  for (int k = 1; k <= FNumData / 2; ++k) magni = std::max(magni, MagnitudeTerm(k));
  FMaxPower = power / FNumData;
  FMaxMagni = magni / FNumData;
  MaxValuesValid = true;
}

double TFastFourier::PowerMax() const { return UpdateExtremes(), FMaxPower; }
double TFastFourier::MagniMax() const { return UpdateExtremes(), FMaxMagni; }
double TFastFourier::RealMax() const { return UpdateExtremes(), FMaxReal; }
double TFastFourier::ImagMax() const { return UpdateExtremes(), FMaxImag; }
double TFastFourier::RealMin() const { return UpdateExtremes(), FMinReal; }
double TFastFourier::ImagMin() const { return UpdateExtremes(), FMinImag; }

}  // namespace qelta
