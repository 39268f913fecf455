#pragma once
// Not part of the public interface: pieces the source files of Qelta_rchart share.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "Math.h"
#include "Qelta_rchart.h"

namespace qelta {

/// Holds painting back for a bulk operation. Restore() gives the saved state back through the
/// virtual SetSuppressPaint (which paints when painting comes back); leaving the scope without it
/// (an exception, or an operation that follows its own repaint rule) restores the flag silently.
class TCustomRChart::TPaintHold {
 public:
  explicit TPaintHold(TCustomRChart& Chart) : FChart(Chart), FSaved(Chart.FSuppressPaint) {
    Chart.FSuppressPaint = true;
  }
  ~TPaintHold() {
    if (!FDone) FChart.FSuppressPaint = FSaved;
  }
  void Restore() {
    FDone = true;
    FChart.SetSuppressPaint(FSaved);
  }
  TPaintHold(const TPaintHold&) = delete;
  TPaintHold& operator=(const TPaintHold&) = delete;

 private:
  TCustomRChart& FChart;
  bool FSaved;
  bool FDone = false;
};

namespace plot_detail {

/// Holds a descendant chart's painting for a scope and gives it back through
/// TCustomRChart::SetSuppressPaint itself, never the descendant's override (the box plot's
/// override rebuilds the items, which holds painting again): one paint when painting comes back.
/// Left by an exception, the flag is given back the same way and whatever that paint raises is
/// dropped, since the first exception is on its way.
class TChartPaintHold {
 public:
  explicit TChartPaintHold(TCustomRChart& Chart) : FChart(Chart), FSaved(Chart.SuppressPaint()) {
    Chart.TCustomRChart::SetSuppressPaint(true);
  }
  ~TChartPaintHold() {
    if (FDone) return;
    try {
      FChart.TCustomRChart::SetSuppressPaint(FSaved);
    } catch (...) {  // NOLINT(bugprone-empty-catch): see the class comment
    }
  }
  void Restore() {
    FDone = true;
    FChart.TCustomRChart::SetSuppressPaint(FSaved);
  }
  TChartPaintHold(const TChartPaintHold&) = delete;
  TChartPaintHold& operator=(const TChartPaintHold&) = delete;

 private:
  TCustomRChart& FChart;
  bool FSaved;
  bool FDone = false;
};

/// Holds a settings object's OnChange back for a scope, so that several changes notify nothing and
/// the caller applies its own rule once; the event is given back however the scope is left.
template <typename T>
class THeldChange {
 public:
  explicit THeldChange(T& Target) : FTarget(Target), FSaved(std::exchange(Target.OnChange, nullptr)) {}
  ~THeldChange() { FTarget.OnChange = std::move(FSaved); }
  THeldChange(const THeldChange&) = delete;
  THeldChange& operator=(const THeldChange&) = delete;

 private:
  T& FTarget;
  TNotifyEvent FSaved;
};

/// Copies Source into Target (a settings object with an OnChange event) without Target's notification.
template <typename T>
void AssignQuietly(T& Target, TPersistent* Source) {
  THeldChange<T> hold(Target);
  Target.Assign(Source);
}

/// Item and label pixels are kept to +-PixelLimit before they reach a canvas.
inline constexpr int PixelLimit = 30000;
inline int ClampPixel(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -PixelLimit, PixelLimit)); }

/// Smallest bound a logarithmic axis accepts.
inline constexpr double kLogFloor = 1e-100;

/// Kinds whose (x2, y2) is a second point in chart coordinates (extents and window queries).
inline bool HasSecondPoint(TrcItem k) {
  return k == tkLine || k == tkRect || k == tkRectFrame || k == tk3DBar || k == tkArrow;
}
/// Kinds whose (x, y) is a pixel offset and never counts for the extents.
inline bool IsRelPixKind(TrcItem k) { return k == tkMoveRelPix || k == tkLineRelPix || k == tkRectRelPix; }
/// Kind match of the queries: the wildcards, or the kind itself; tkNone matches nothing.
inline bool KindMatches(TrcItem ItemID, TrcItem k) {
  if (ItemID == tkNone) return false;
  if (ItemID == tkEverything) return true;
  if (ItemID == tkNotMoveTo) return k != tkMoveTo;
  return ItemID == k;
}
/// Class match of the queries: 255 is every class.
inline bool ClassMatches(uint8_t ClassNumber, uint8_t c) { return ClassNumber == 255 || ClassNumber == c; }

/// One axis of one layer as R2M maps it: pixel = K u + D (u = v or ln v), clamped to +-2147483647
/// and rounded half to even; NaN gives 0, K 0 gives D, and on a logarithmic axis a value <= 1e-100
/// goes to OffScale. Built once per call so loops over many items pay for the mapping only.
struct TAxisToPixel {
  Extended K = 0;
  Extended D = 0;
  bool Log = false;
  int OffScale = 0;

  static int Pixel(Extended p) {
    if (std::isnan(p)) return 0;
    constexpr Extended limit = 2147483647.0L;
    // llrint rounds half to even in the default rounding mode, as Round does, without saving the
    // floating-point environment.
    return static_cast<int>(std::llrint(std::clamp(p, -limit, limit)));
  }
  int operator()(double v) const {
    if (!Log) return K == 0 ? Pixel(D) : Pixel(K * v + D);
    if (v <= kLogFloor) return OffScale;
    return K == 0 ? Pixel(D) : Pixel(K * std::log(static_cast<Extended>(v)) + D);
  }
};

/// Margin in percent of the span; on a logarithmic axis a factor (max/min)^(Margin/100), or max^...
/// when min <= 0, and nothing when max <= 0.
void WidenByMargin(double& lo, double& hi, double Margin, bool Log);
/// Widens lo..hi by c = MinRange percent of |centre| on both sides when c exceeds the span.
void WidenToMinRange(double& lo, double& hi, double MinRange);

}  // namespace plot_detail
}  // namespace qelta
