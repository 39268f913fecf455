#pragma once
// Not part of the public interface: what the sources of the controls share (Controls.cpp,
// WinControl.cpp, ControlsInput.cpp): rectangle arithmetic, a control's place on its form's surface,
// the canvas bound to that place, and pixels kept aside while a parent paints over them. Not installed.

#include <algorithm>
#include <climits>
#include <vector>

#include "AppState.h"
#include "Controls.h"
#include "Forms.h"

namespace qelta {

namespace platform_detail {

/// Reaches the private lists of windowed controls for the helpers of the controls' sources.
struct ControlsAccess {
  static const std::vector<TWinControl*>& TabList(const TWinControl* w) { return w->FTabList; }
  static void Dequeued(TWinControl* w) { w->FPaintQueued = false; }
};


/// Shift state of a key message: the modifier keys only.
inline TShiftState KeyShiftState() { return GetShiftState() & TShiftState{ssShift, ssCtrl, ssAlt}; }

inline bool IsEmptyRect(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

inline TRect IntersectRects(const TRect& a, const TRect& b) {
  const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
  return IsEmptyRect(r) ? TRect{} : r;
}

inline TRect UnionRects(const TRect& a, const TRect& b) {
  if (IsEmptyRect(a)) return b;
  if (IsEmptyRect(b)) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

inline TRect OffsetRect(const TRect& r, TPoint d) { return {r.Left + d.X, r.Top + d.Y, r.Right + d.X, r.Bottom + d.Y}; }

inline bool PointIn(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

/// Where a control's client area lies on its form's surface and which part of it can be seen.
struct Placement {
  TForm* Form = nullptr;
  TPoint Origin;  // surface position of the control's client (0, 0)
  TRect Clip;     // visible part, surface coordinates
  bool Ok = false;
};

/// Placement of c; not Ok when it has no form with a surface or something on the way is hidden.
inline Placement PlaceOf(const TControl* c) {
  Placement p;
  std::vector<const TControl*> chain;
  for (const TControl* x = c; x != nullptr; x = x->Parent()) chain.push_back(x);
  p.Form = const_cast<TForm*>(dynamic_cast<const TForm*>(chain.back()));
  if (p.Form == nullptr || p.Form->Surface() == nullptr) return p;
  p.Clip = Rect(0, 0, p.Form->Surface()->Width(), p.Form->Surface()->Height());
  for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
    const TControl* x = *it;
    if (!x->Visible()) return p;
    p.Origin = Point(p.Origin.X + x->Left(), p.Origin.Y + x->Top());
    p.Clip = IntersectRects(p.Clip, Bounds(p.Origin.X, p.Origin.Y, x->Width(), x->Height()));
  }
  p.Ok = true;
  return p;
}

/// A control's canvas: rebinds to the surface only when the control's place changed, so a clip
/// rectangle the control set itself survives between calls.
class TControlCanvas : public TCanvas {
 public:
  void Bind(const Placement& p, const TRect* paintArea) {
    TCanvasSurface surface;
    TRect clip;
    if (p.Ok) {
      surface = p.Form->Surface()->Canvas()->Surface();
      clip = paintArea ? IntersectRects(p.Clip, *paintArea) : p.Clip;
    }
    if (surface.Pixels == FBoundPixels && surface.Width == FBoundW && surface.Height == FBoundH &&
        p.Origin == FBoundOrigin && clip == FBoundClip)
      return;
    FBoundPixels = surface.Pixels;
    FBoundW = surface.Width;
    FBoundH = surface.Height;
    FBoundOrigin = p.Origin;
    FBoundClip = clip;
    SetSurface(surface);
    SetOrigin(p.Origin);
    SetClipRect(OffsetRect(clip, Point(-p.Origin.X, -p.Origin.Y)));
    if (surface.Pixels != nullptr && IsEmptyRect(clip)) SetSurface(TCanvasSurface{});  // nothing visible
  }

 private:
  const uint32_t* FBoundPixels = nullptr;
  int FBoundW = -1;
  int FBoundH = -1;
  TPoint FBoundOrigin{INT_MIN, INT_MIN};
  TRect FBoundClip;
};

inline TControlCanvas* AsControlCanvas(TCanvas* c) { return static_cast<TControlCanvas*>(c); }

/// Pixels of a surface rectangle kept aside while a parent paints over it.
struct SavedPixels {
  TRect Area;
  std::vector<uint32_t> Pixels;
};

inline SavedPixels SavePixels(const TCanvasSurface& s, const TRect& area) {
  SavedPixels saved{area, {}};
  for (int y = area.Top; y < area.Bottom; ++y)
    saved.Pixels.insert(saved.Pixels.end(), s.Pixels + static_cast<std::ptrdiff_t>(y) * s.Stride + area.Left,
                        s.Pixels + static_cast<std::ptrdiff_t>(y) * s.Stride + area.Right);
  return saved;
}

inline void RestorePixels(const TCanvasSurface& s, const SavedPixels& saved) {
  const int w = saved.Area.Width();
  for (int y = saved.Area.Top; y < saved.Area.Bottom; ++y)
    std::copy_n(saved.Pixels.begin() + static_cast<std::ptrdiff_t>(y - saved.Area.Top) * w, w,
                s.Pixels + static_cast<std::ptrdiff_t>(y) * s.Stride + saved.Area.Left);
}

/// Queues a full repaint of w and every windowed control inside it.
inline void InvalidateTree(TWinControl* w) {
  w->Invalidate();
  for (int i = 0; i < w->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(w->Controls(i))) InvalidateTree(child);
}

inline int DepthOf(const TControl* c) {
  int d = 0;
  for (; c->Parent() != nullptr; c = c->Parent()) ++d;
  return d;
}

}  // namespace platform_detail
}  // namespace qelta
