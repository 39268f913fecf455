// Qelta_Scale: the transform between values and pixels along an axis.
//
// Horizontal axes run from the left margin (Low) to Width - right margin - 1 (High); vertical ones
// from the top margin (High) down to Height - bottom margin - 1 (Low). Lengths are taken in 64 bits,
// so margins near the int32 limit cannot overflow.
// Deviations from the classic transform, keeping its results on every ordinary axis:
//  - A logarithmic axis whose range has an end <= 0 or not finite is mapped linearly, as its ticks
//    are drawn (MakeLogTicks): keeping the previous transform and taking ln v of the linear ticks
//    squeezed the whole axis into a few pixels at its start.
//  - An end that is not finite leaves the transform as it was (an infinite low end gave d = NaN,
//    an infinite high end k = 0), and so does a K or D that would not be finite.
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
  FLog = Log && Low > 0 && High > 0 && std::isfinite(Low) && std::isfinite(High);
  FOffScale = OffScalePixel(Frame, Low, High);
  FCentre = (Low + High) / 2;
  if (Low == High || !std::isfinite(Low) || !std::isfinite(High)) return;
  const bool vertical = IsVerticalScale(Frame.ScaleType);
  const double length = static_cast<double>(ScaleAxisLength(Frame));
  double k = 0.0, d = (vertical ? Frame.Height : Frame.Width) / 2.0;
  if (length > 0) {
    const double lo = FLog ? std::log(Low) : Low, hi = FLog ? std::log(High) : High;
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
