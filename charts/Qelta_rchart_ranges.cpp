// Qelta_rchart: ranges, the zoom ring, the isometric rule, equal ranges and auto-range.
//
// Every range change ends in ForceRange -> ForceRngIntern. ForceRngIntern writes the settings'
// fields directly (no OnChange), so a range change never comes back through ScalePropsChanged.
// The ring holds 16 entries per layer (Left = x low, Top = y high, Right = x high, Bottom = y low);
// FZStackPoi is the next slot to write, common to all layers.
// Deviations from the classic rules, keeping what callers rely on:
//  - ForceRngIntern stores no span below MinRange and no bound that is not finite (an infinite
//    request passed the span test), and on a logarithmic axis no pair whose bounds, stored one by
//    one, would end equal. The span is compared with a tolerance of a few ulps of the bounds: an
//    empty span widened by exactly MinRange can come out a hair short and was dropped.
//  - ForceRange refreshes the layers joined to the changed one without pushing the ring, then
//    pushes once when asked: the classic refresh pushed on every pan and ZoomHistory, so the ring
//    walked away under the host. Charts without joined layers push exactly as before.
//  - Layers outside 1..MaxChartLayers are ignored by every operation (0 keeps "every layer" where
//    it has that meaning); ring reads outside -15..0 answer zeros.
//  - The all-layer auto-range skips layers without items when joined layers feed their masters
//    (an empty layer fed the point (0, 0)), and leaves out the logarithmic margin on extents that
//    are not positive.
//  - The isometric rule needs a data area of positive size; without one it leaves the y range.

#include <algorithm>
#include <cmath>
#include <limits>

#include "Qelta_rchart_internal.h"

namespace qelta {

using plot_detail::kLogFloor;

namespace {

constexpr int kSpanUlps = 4;

// Whether lo..hi, as it would be stored, is a usable span: finite, apart, and at least MinRange
// wide up to a few ulps of the bounds.
bool UsableSpan(double lo, double hi, double minRange) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || lo == hi) return false;
  const double big = std::max(std::fabs(lo), std::fabs(hi));
  const double ulp = std::nextafter(big, std::numeric_limits<double>::infinity()) - big;
  return std::fabs(hi - lo) >= minRange - kSpanUlps * ulp;
}

// Stores a requested range into the settings' fields; true when a bound was stored.
bool StoreAxisRange(TScaleProps& p, Extended requestLo, Extended requestHi, double& lowField, double& highField) {
  const double lo = static_cast<double>(requestLo), hi = static_cast<double>(requestHi);
  if (!UsableSpan(lo, hi, p.MinRange())) return false;
  if (!p.Logarithmic()) {
    lowField = lo;
    highField = hi;
    return true;
  }
  const bool takeLo = lo >= kLogFloor, takeHi = hi >= kLogFloor;
  const double newLo = takeLo ? lo : lowField, newHi = takeHi ? hi : highField;
  if (!UsableSpan(newLo, newHi, p.MinRange())) return false;
  lowField = newLo;
  highField = newHi;
  return takeLo || takeHi;
}

// The four confinement tests of one axis; shifting keeps the span of a panned window.
void ConfineAxis(Extended& lo, Extended& hi, Extended limitLo, Extended limitHi, bool shift) {
  const Extended span = hi - lo;
  if (limitLo > lo) {
    lo = limitLo;
    if (shift) hi = lo + span;
  }
  if (limitHi < lo) {
    lo = limitHi;
    if (shift) hi = lo + span;
  }
  if (limitLo > hi) {
    hi = limitLo;
    if (shift) lo = hi - span;
  }
  if (limitHi < hi) {
    hi = limitHi;
    if (shift) lo = hi - span;
  }
}

// An empty span moves apart: by a factor 1.1 on a logarithmic axis, by MinRange on a linear one.
void WidenEmptySpan(const TScaleProps& p, Extended& lo, Extended& hi) {
  if (hi != lo) return;
  if (p.Logarithmic()) {
    hi *= 1.1L;
    lo /= 1.1L;
  } else {
    hi += p.MinRange() / 2;
    lo -= p.MinRange() / 2;
  }
}

}  // namespace

// [SECTION] forcing a range

bool TCustomRChart::ForceRngIntern(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi, bool Push,
                                   bool Confine) {
  if (!ValidLayer(Layer)) return false;
  if (Confine && std::any_of(FZoomRange.begin(), FZoomRange.end(), [](Extended v) { return v != 0; })) {
    const bool panX = RcMouseAction == maPan || RcMouseAction == maPanHoriz;
    const bool panY = RcMouseAction == maPan || RcMouseAction == maPanVert;
    ConfineAxis(xLo, xHi, FZoomRange[0], FZoomRange[2], panX);
    ConfineAxis(yLo, yHi, FZoomRange[1], FZoomRange[3], panY);
  }
  TScaleProps& x = *FScalePropsX[Layer];
  TScaleProps& y = *FScalePropsY[Layer];
  const bool storedX = StoreAxisRange(x, xLo, xHi, x.FRangeLow, x.FRangeHigh);
  const bool storedY = StoreAxisRange(y, yLo, yHi, y.FRangeLow, y.FRangeHigh);
  SetScaleProps(FScalesX[Layer], &x);
  SetScaleProps(FScalesY[Layer], &y);
  if (Push && (storedX || storedY)) ZoomStateOnStack();
  AdjustScalingQuietly();
  return storedX || storedY;
}

void TCustomRChart::ForceRange(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi, bool Push,
                               bool Confine) {
  if (!ValidLayer(Layer)) return;
  TPaintHold hold(*this);
  const TJointLayers& joins = *FJointLayers;
  if (joins.FMasterLayerX[Layer] != Layer) {
    xLo = FScalePropsX[Layer]->RangeLow();
    xHi = FScalePropsX[Layer]->RangeHigh();
  }
  if (joins.FMasterLayerY[Layer] != Layer) {
    yLo = FScalePropsY[Layer]->RangeLow();
    yHi = FScalePropsY[Layer]->RangeHigh();
  }
  const bool stored = ForceRngIntern(Layer, xLo, yLo, xHi, yHi, false, Confine);
  for (int i = 1; i <= MaxChartLayers; ++i) {
    const int mx = joins.FMasterLayerX[i], my = joins.FMasterLayerY[i];
    if (i == Layer || (mx != Layer && my != Layer)) continue;
    const TScaleProps& x = *FScalePropsX[mx];
    const TScaleProps& y = *FScalePropsY[my];
    ForceRngIntern(i, x.RangeLow(), y.RangeLow(), x.RangeHigh(), y.RangeHigh(), false, false);
  }
  if (Push && stored) ZoomStateOnStack();
  hold.Restore();
}

void TCustomRChart::SetRangeIntern(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi, bool Push,
                                   bool Confine) {
  if (!ValidLayer(Layer)) return;
  WidenEmptySpan(*FScalePropsX[Layer], xLo, xHi);
  WidenEmptySpan(*FScalePropsY[Layer], yLo, yHi);
  Extended span = 0;
  if (FIsometric && IsometricSpan(xHi - xLo, span)) {
    const Extended c = (yHi + yLo) / 2;
    yHi = c + span / 2;
    yLo = c - span / 2;
  }
  ForceRange(Layer, xLo, yLo, xHi, yHi, Push, Confine);
}

void TCustomRChart::SetRange(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi) {
  if (Layer < 0 || Layer > MaxChartLayers) return;
  TPaintHold hold(*this);
  for (int l = 1; l <= MaxChartLayers; ++l)
    if (Layer == 0 || l == Layer) SetRangeIntern(l, xLo, yLo, xHi, yHi, true, false);
  hold.Restore();
}

void TCustomRChart::RefreshRanges() {
  for (int l = 1; l <= MaxChartLayers; ++l) {
    const TScaleProps& x = *FScalePropsX[l];
    const TScaleProps& y = *FScalePropsY[l];
    ForceRange(l, x.RangeLow(), y.RangeLow(), x.RangeHigh(), y.RangeHigh(), false, false);
  }
}

void TCustomRChart::ConfineZoomRange(double xLo, double yLo, double xHi, double yHi) {
  FZoomRange = {xLo, yLo, xHi, yHi};
}

// [SECTION] zoom ring

void TCustomRChart::ZoomStateOnStack() {
  if (ComponentState().Contains(csLoading)) return;
  for (int l = 1; l <= MaxChartLayers; ++l) {
    const TScaleProps& x = *FScalePropsX[l];
    const TScaleProps& y = *FScalePropsY[l];
    FZoomStack[l][FZStackPoi] = TRectDouble{x.RangeLow(), y.RangeHigh(), x.RangeHigh(), y.RangeLow()};
  }
  FZStackPoi = FZStackPoi % ZoomRingSize + 1;
}

TRectDouble TCustomRChart::GetZoomStackEntry(int Layer, int Index) const {
  if (!ValidLayer(Layer) || Index < 1 - ZoomRingSize || Index > 0) return TRectDouble{};
  int slot = FZStackPoi + Index - 1;
  if (slot < 1) slot += ZoomRingSize;
  return FZoomStack[Layer][slot];
}

void TCustomRChart::ZoomHistory(int Index) {
  if (Index < 1 - ZoomRingSize || Index > 0) return;
  TPaintHold hold(*this);
  for (int l = 1; l <= MaxChartLayers; ++l) {
    const TRectDouble e = GetZoomStackEntry(l, Index);
    if (e.Left == 0 && e.Top == 0 && e.Right == 0 && e.Bottom == 0) continue;
    ForceRange(l, e.Left, e.Bottom, e.Right, e.Top, false, false);
  }
  hold.Restore();
}

void TCustomRChart::ClearZoomHistory() {
  for (auto& ring : FZoomStack) ring.fill(TRectDouble{});
  FZStackPoi = 1;
  ZoomStateOnStack();
}

// [SECTION] isometric rule

bool TCustomRChart::IsometricSpan(Extended XSpan, Extended& YSpan) const {
  const Extended pw = static_cast<Extended>(DataWidth()) + 1, ph = static_cast<Extended>(DataHeight()) + 1;
  if (pw <= 0 || ph <= 0 || Fxasp <= 0) return false;
  YSpan = XSpan * ph / pw * Fyasp / Fxasp;
  return true;
}

void TCustomRChart::MakeIsometric(int Layer) {
  TScaleProps& x = *FScalePropsX[Layer];
  TScaleProps& y = *FScalePropsY[Layer];
  Extended span = 0;
  if (!IsometricSpan(static_cast<Extended>(x.RangeHigh()) - x.RangeLow(), span)) return;
  const Extended c = (static_cast<Extended>(y.RangeHigh()) + y.RangeLow()) / 2;
  TScaleProps::TSilence quiet(y);
  y.SetRangeHigh(static_cast<double>(c + span / 2));
  y.SetRangeLow(static_cast<double>(c - span / 2));
}

void TCustomRChart::KeepIsometric() {
  TPaintHold hold(*this);  // given back silently: the caller repaints by its own rule
  for (int l = 1; l <= MaxChartLayers; ++l) MakeIsometric(l);
  RefreshRanges();
}

void TCustomRChart::SetIsometric(bool value) {
  FIsometric = value;
  if (!value) return;
  KeepIsometric();
  ZoomStateOnStack();
  RepaintRule();
}

// [SECTION] equal ranges

void TCustomRChart::SetEqualRangeAxes(const TLayerSet& Layers, bool DoX, bool DoY) {
  Extended xLo = 0, xHi = 0, yLo = 0, yHi = 0;
  bool first = true;
  for (int l = 1; l <= MaxChartLayers; ++l) {
    if (!Layers.Contains(l)) continue;
    const TScaleProps& x = *FScalePropsX[l];
    const TScaleProps& y = *FScalePropsY[l];
    xLo = first ? x.RangeLow() : std::min<Extended>(xLo, x.RangeLow());
    xHi = first ? x.RangeHigh() : std::max<Extended>(xHi, x.RangeHigh());
    yLo = first ? y.RangeLow() : std::min<Extended>(yLo, y.RangeLow());
    yHi = first ? y.RangeHigh() : std::max<Extended>(yHi, y.RangeHigh());
    first = false;
  }
  if (first) return;
  TPaintHold hold(*this);
  for (int l = 1; l <= MaxChartLayers; ++l) {
    if (!Layers.Contains(l)) continue;
    const TScaleProps& x = *FScalePropsX[l];
    const TScaleProps& y = *FScalePropsY[l];
    SetRangeIntern(l, DoX ? xLo : x.RangeLow(), DoY ? yLo : y.RangeLow(), DoX ? xHi : x.RangeHigh(),
                   DoY ? yHi : y.RangeHigh(), true, false);
  }
  hold.Restore();
}

void TCustomRChart::SetEqualRange(const TLayerSet& Layers) { SetEqualRangeAxes(Layers, true, true); }
void TCustomRChart::SetEqualRangeXOnly(const TLayerSet& Layers) { SetEqualRangeAxes(Layers, true, false); }
void TCustomRChart::SetEqualRangeYOnly(const TLayerSet& Layers) { SetEqualRangeAxes(Layers, false, true); }

// [SECTION] auto-range

void TCustomRChart::AutoRange(int Layer, double Margin, double MinRange) {
  if (Layer == 0) return AutoRangeAll(Margin, MinRange, true, true);
  if (ValidLayer(Layer)) AutoRangeOne(Layer, Margin, MinRange, true, true);
}

void TCustomRChart::AutoRangeXOnly(int Layer, double Margin, double MinRange) {
  if (Layer == 0) return AutoRangeAll(Margin, MinRange, true, false);
  if (ValidLayer(Layer)) AutoRangeOne(Layer, Margin, MinRange, true, false);
}

void TCustomRChart::AutoRangeYOnly(int Layer, double Margin, double MinRange) {
  if (Layer == 0) return AutoRangeAll(Margin, MinRange, false, true);
  if (ValidLayer(Layer)) AutoRangeOne(Layer, Margin, MinRange, false, true);
}

void TCustomRChart::AutoRangeOne(int Layer, double Margin, double MinRange, bool DoX, bool DoY) {
  if (!(DoX && DoY)) FIsometric = false;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  LLCalcExtents(Layer, Margin, MinRange, minX, minY, maxX, maxY);
  if (minX == maxX) minX -= 1, maxX += 1;
  if (minY == maxY) minY -= 1, maxY += 1;
  Extended span = 0;
  if (FIsometric && IsometricSpan(static_cast<Extended>(maxX) - minX, span)) {
    const Extended c = (static_cast<Extended>(maxY) + minY) / 2;
    maxY = static_cast<double>(c + span / 2);
    minY = static_cast<double>(c - span / 2);
  }
  const TScaleProps& x = *FScalePropsX[Layer];
  const TScaleProps& y = *FScalePropsY[Layer];
  // ForceRange paints once, which is the repaint of this path too.
  ForceRange(Layer, DoX ? minX : x.RangeLow(), DoY ? minY : y.RangeLow(), DoX ? maxX : x.RangeHigh(),
             DoY ? maxY : y.RangeHigh(), true, false);
}

namespace {

// Extents of one axis of one layer on the all-layer path.
struct TAxisExtent {
  double Lo = 0.0;
  double Hi = 0.0;
  bool Items = false;  // the layer has points on this axis (its own or fed by a joined layer)
  void Feed(const TAxisExtent& e) {
    if (!e.Items) return;
    Lo = Items ? std::min(Lo, e.Lo) : e.Lo;
    Hi = Items ? std::max(Hi, e.Hi) : e.Hi;
    Items = true;
  }
  void Finish(double Margin, double MinRange, bool Log) {
    if (Lo == Hi) Lo -= 1, Hi += 1;
    if (Margin <= 0) return;
    if (!Log || (Lo > 0 && Hi > 0)) plot_detail::WidenByMargin(Lo, Hi, Margin, Log);
    plot_detail::WidenToMinRange(Lo, Hi, MinRange);
  }
};

}  // namespace

void TCustomRChart::AutoRangeAll(double Margin, double MinRange, bool DoX, bool DoY) {
  TLayerArray<TAxisExtent> ex{}, ey{};
  for (int l = 1; l <= MaxChartLayers; ++l) {
    ex[l].Items = ey[l].Items = LayerExtents(l, ex[l].Lo, ey[l].Lo, ex[l].Hi, ey[l].Hi);
    if (!ex[l].Items) ex[l] = ey[l] = TAxisExtent{};
  }
  const TJointLayers& joins = *FJointLayers;
  for (int j = 1; j <= MaxChartLayers; ++j) {
    if (!FLayerVisib[j]) continue;
    if (joins.FMasterLayerX[j] != j) ex[joins.FMasterLayerX[j]].Feed(ex[j]);
    if (joins.FMasterLayerY[j] != j) ey[joins.FMasterLayerY[j]].Feed(ey[j]);
  }
  for (int l = 1; l <= MaxChartLayers; ++l) {
    ex[l].Finish(Margin, MinRange, FScalePropsX[l]->Logarithmic());
    ey[l].Finish(Margin, MinRange, FScalePropsY[l]->Logarithmic());
  }
  for (int l = 1; l <= MaxChartLayers; ++l) {
    const TAxisExtent& x = ex[joins.FMasterLayerX[l]];
    const TAxisExtent& y = ey[joins.FMasterLayerY[l]];
    const TScaleProps& px = *FScalePropsX[l];
    const TScaleProps& py = *FScalePropsY[l];
    ForceRngIntern(l, DoX ? x.Lo : px.RangeLow(), DoY ? y.Lo : py.RangeLow(), DoX ? x.Hi : px.RangeHigh(),
                   DoY ? y.Hi : py.RangeHigh(), false, true);
  }
  RepaintRule();
}

}  // namespace qelta
