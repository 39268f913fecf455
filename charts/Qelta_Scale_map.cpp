// Qelta_Scale: the transform between values and pixels along an axis.
//
// Horizontal axes run from the left margin (Low) to Width - right margin - 1 (High); vertical ones
// from the top margin (High) down to Height - bottom margin - 1 (Low). Lengths are taken in 64 bits,
// so margins near the int32 limit cannot overflow.
// Deviations from the classic transform, keeping its results on every ordinary axis:
//  - A K or D that would not be finite (an infinite or NaN end) leaves the transform as it was,
//    as an end <= 0 does on a logarithmic axis.
//  - On a vertical logarithmic axis a value <= 1e-100 goes to the bottom edge (ascending) or the
//    top (descending), beyond the low end as on screen; the classic rule used the horizontal
//    placement (0 or the width), which put such values at the top of an ascending axis.
//  - With K = 0 every value maps to D (0 x inf would be NaN) and M2R answers the centre of the
//    range instead of dividing by 0.

#include <cmath>
#include <limits>

#include "Math.h"
#include "Qelta_Scale.h"

namespace qelta {
namespace {

constexpr double kLogFloor = 1e-100;
constexpr double kPixelLimit = 2147483647.0;

// p clamped to +-2147483647 and rounded half to even; NaN gives 0.
int PixelOf(double p) {
  if (std::isnan(p)) return 0;
  if (p > kPixelLimit) p = kPixelLimit;
  if (p < -kPixelLimit) p = -kPixelLimit;
  return static_cast<int>(Round(p));
}

// Pixel of values a logarithmic axis cannot show: just before its low end.
int OffScalePixel(const TScaleFrame& f, double low, double high) {
  const bool ascending = high >= low;
  if (IsVerticalScale(f.ScaleType)) return ascending ? f.Height : 0;
  return ascending ? 0 : f.Width;
}

}  // namespace

int64_t ScaleAxisLength(const TScaleFrame& f) {
  if (IsVerticalScale(f.ScaleType)) return int64_t{f.Height} - f.MarginTop - f.MarginBottom - 1;
  return int64_t{f.Width} - f.MarginLeft - f.MarginRight - 1;
}

void TScaleMap::Fit(const TScaleFrame& Frame, double Low, double High, bool Log) {
  FLog = Log;
  FOffScale = OffScalePixel(Frame, Low, High);
  FCentre = (Low + High) / 2;
  if (Low == High) return;
  const bool vertical = IsVerticalScale(Frame.ScaleType);
  const double length = static_cast<double>(ScaleAxisLength(Frame));
  double k = 0.0, d = (vertical ? Frame.Height : Frame.Width) / 2.0;
  if (length > 0) {
    if (Log && (Low <= 0 || High <= 0)) return;
    const double lo = Log ? std::log(Low) : Low, hi = Log ? std::log(High) : High;
    // Horizontal: lo at the left margin; vertical: hi at the top margin.
    k = vertical ? length / (lo - hi) : length / (hi - lo);
    d = vertical ? Frame.MarginTop - k * hi : Frame.MarginLeft - k * lo;
  }
  if (std::isfinite(k) && std::isfinite(d)) SetTransform(k, d);
}

void TScaleMap::SetTransform(double K, double D) {
  FK = K;
  FD = D;
}

int TScaleMap::R2M(double Value) const {
  if (FK == 0) return PixelOf(FD);
  if (!FLog) return PixelOf(FK * Value + FD);
  if (Value > kLogFloor) return PixelOf(FK * std::log(Value) + FD);
  return FOffScale;
}

double TScaleMap::M2R(int Pixel) const {
  if (FK == 0) return FCentre;
  const double t = (Pixel - FD) / FK;
  return FLog ? std::exp(t) : t;
}

}  // namespace qelta
