// Qelta_rchart: the transform between chart coordinates and pixels, and the extents of the items.
//
// Per layer and axis: pixel = k u + d, u = v on a linear axis and ln v on a logarithmic one, in
// Extended. Horizontally the low end of the range falls on column LRim and the high end on column
// Width - RRim - ShadowWidth; vertically the low end on row Height - BRim - ShadowWidth and the high
// end on row TRim. A range whose high end is below its low end mirrors the axis.
// Deviations from the classic transform, keeping its results on every ordinary axis:
//  - A zero or non-finite span (or coefficients that would not be finite) is treated like a data
//    area of no size: k 0, d half the control. The classic division gave Inf or NaN pixels.
//  - With k 0, R2M answers d (0 x ln 0 was NaN) and M2R the centre of the range (it divided by 0);
//    a NaN pixel becomes 0. M2R clamps its layer like R2M.
//  - Extents: a logarithmic margin on extents whose maximum is <= 0 is left out (it took the
//    logarithm of a non-positive number), the minimum range is taken from |centre| (a negative
//    centre never widened), and a layer whose items are all pixel-relative counts as empty (its
//    extents stayed at +-uc_MaxDouble).

#include <algorithm>
#include <cmath>
#include <limits>

#include "Math.h"
#include "Qelta_rchart_internal.h"
#include "Qelta_univconst.h"

namespace qelta {

using plot_detail::HasSecondPoint;
using plot_detail::IsRelPixKind;
using plot_detail::kLogFloor;

namespace {

double AxisValue(Extended k, Extended d, int pixel, const TScaleProps& p) {
  if (k == 0) return p.GetScaleCenter();
  const Extended u = (pixel - d) / k;
  return static_cast<double>(p.Logarithmic() ? std::exp(u) : u);
}

void Widen(double v, double& lo, double& hi) {
  if (v < lo) lo = v;
  if (v > hi) hi = v;
}

}  // namespace

// [SECTION] AdjustScaling

void TCustomRChart::AdjustScaling() {
  if (ComponentState().Contains(csLoading)) return;
  for (int l = 1; l <= MaxChartLayers; ++l)
    if (!AdjustAxis(l, true) || !AdjustAxis(l, false))
      throw EQeltaRChartError("Logarithmic axis must not be negative.");
}

// Rebuilds one axis; false (coefficients unchanged) for a logarithmic axis with a bound <= 0.
bool TCustomRChart::AdjustAxis(int Layer, bool Horizontal) {
  const TScaleProps& p = Horizontal ? static_cast<const TScaleProps&>(*FScalePropsX[Layer]) : *FScalePropsY[Layer];
  Extended& k = Horizontal ? Cpkx[Layer] : Cpky[Layer];
  Extended& d = Horizontal ? Cpdx[Layer] : Cpdy[Layer];
  const Extended size = Horizontal ? DataWidth() : DataHeight();
  const Extended half = (Horizontal ? Width() : Height()) / 2.0L;
  Extended lo = p.RangeLow(), hi = p.RangeHigh();
  if (size > 0 && p.Logarithmic()) {
    if (!(lo > 0 && hi > 0)) return false;
    lo = std::log(lo);
    hi = std::log(hi);
  }
  const Extended span = hi - lo;
  Extended kk = 0, dd = half;
  if (size > 0 && span != 0 && std::isfinite(span)) {
    // Horizontal: lo on column LRim, hi on Width - RRim - ShadowWidth. Vertical: lo on row
    // Height - BRim - ShadowWidth, hi on row TRim.
    const Extended first = Horizontal ? LRim() : static_cast<Extended>(Height()) - BRim() - ShadowWidth();
    const Extended last = Horizontal ? static_cast<Extended>(Width()) - RRim() - ShadowWidth() : TRim();
    kk = (last - first) / span;
    dd = (first * hi - last * lo) / span;
    if (!std::isfinite(kk) || !std::isfinite(dd)) {
      kk = 0;
      dd = half;
    }
  }
  k = kk;
  d = dd;
  return true;
}

void TCustomRChart::AdjustScalingQuietly() {
  // Setters and range changes rebuild the transforms; a logarithmic axis that cannot be drawn yet is
  // reported by the paint, not by the setter that made it.
  try {
    AdjustScaling();
  } catch (const EQeltaRChartError&) {
  }
}

// [SECTION] R2M, M2R

plot_detail::TAxisToPixel TCustomRChart::PixelMap(int Layer, bool Horizontal) const {
  const int l = ClampLayer(Layer);
  const TScaleProps& p = Horizontal ? static_cast<const TScaleProps&>(*FScalePropsX[l]) : *FScalePropsY[l];
  const bool ascending = p.RangeHigh() >= p.RangeLow();
  if (Horizontal) return {Cpkx[l], Cpdx[l], p.Logarithmic(), ascending ? 0 : Width()};
  return {Cpky[l], Cpdy[l], p.Logarithmic(), ascending ? Height() : 0};
}

void TCustomRChart::R2M(int Layer, double xin, double yin, int& xout, int& yout) const {
  xout = PixelMap(Layer, true)(xin);
  yout = PixelMap(Layer, false)(yin);
}

void TCustomRChart::M2R(int Layer, int xin, int yin, double& xout, double& yout) const {
  const int l = ClampLayer(Layer);
  xout = AxisValue(Cpkx[l], Cpdx[l], xin, *FScalePropsX[l]);
  yout = AxisValue(Cpky[l], Cpdy[l], yin, *FScalePropsY[l]);
}

// [SECTION] extents

// Extents of a layer's points (ellipses with their half axes); false when no point counted.
bool TCustomRChart::LayerExtents(int Layer, double& MinX, double& MinY, double& MaxX, double& MaxY) const {
  MinX = MinY = uc_MaxDouble;
  MaxX = MaxY = -uc_MaxDouble;
  bool any = false;
  for (const TrcChartItem& it : *FItems) {
    if (it.Layer != Layer || IsRelPixKind(it.ItemKind)) continue;
    any = true;
    Widen(it.x, MinX, MaxX);
    Widen(it.y, MinY, MaxY);
    if (HasSecondPoint(it.ItemKind)) {
      Widen(it.x2, MinX, MaxX);
      Widen(it.y2, MinY, MaxY);
    } else if (it.ItemKind == tkEllipse) {
      for (double s : {-1.0, 1.0}) {
        Widen(it.x + s * it.x2, MinX, MaxX);
        Widen(it.y + s * it.y2, MinY, MaxY);
      }
    }
  }
  return any;
}

void plot_detail::WidenByMargin(double& lo, double& hi, double Margin, bool Log) {
  if (!Log) {
    const double m = Margin / 100 * (hi - lo);
    lo -= m;
    hi += m;
    return;
  }
  if (hi <= 0) return;
  const double g = std::log(lo > 0 ? hi / lo : hi);
  hi *= std::exp(Margin / 100 * g);
  lo *= std::exp(-Margin / 100 * g);
}

void plot_detail::WidenToMinRange(double& lo, double& hi, double MinRange) {
  const double c = MinRange * std::fabs((hi + lo) / 2) / 100;
  if (c <= std::fabs(hi - lo)) return;
  lo -= c;
  hi += c;
}

void TCustomRChart::LLCalcExtents(int Layer, double Margin, double MinRange, double& MinX, double& MinY, double& MaxX,
                                  double& MaxY) const {
  if (!LayerExtents(Layer, MinX, MinY, MaxX, MaxY)) {
    MinX = MinY = MaxX = MaxY = 0;
    return;
  }
  const int l = ClampLayer(Layer);
  plot_detail::WidenByMargin(MinX, MaxX, Margin, FScalePropsX[l]->Logarithmic());
  plot_detail::WidenByMargin(MinY, MaxY, Margin, FScalePropsY[l]->Logarithmic());
  plot_detail::WidenToMinRange(MinX, MaxX, MinRange);
  plot_detail::WidenToMinRange(MinY, MaxY, MinRange);
}

void TCustomRChart::LLCalcMinMax(int Layer, double RangeLoX, double RangeLoY, double RangeHiX, double RangeHiY,
                                 double& MinX, double& MinY, double& MaxX, double& MaxY) const {
  MinX = MinY = uc_MaxDouble;
  MaxX = MaxY = -uc_MaxDouble;
  const auto inside = [&](double x, double y) { return RangeLoX < x && x < RangeHiX && RangeLoY < y && y < RangeHiY; };
  for (const TrcChartItem& it : *FItems) {
    if (Layer != 0 && it.Layer != Layer) continue;
    if (!IsRelPixKind(it.ItemKind) && inside(it.x, it.y)) {
      Widen(it.x, MinX, MaxX);
      Widen(it.y, MinY, MaxY);
    }
    if (HasSecondPoint(it.ItemKind) && inside(it.x2, it.y2)) {
      Widen(it.x2, MinX, MaxX);
      Widen(it.y2, MinY, MaxY);
    }
  }
}

}  // namespace qelta
