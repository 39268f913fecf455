// Scroll bars of grids and memos.
//
// The thumb's place is rounded both ways (offset = room * position / Max and back), so that a thumb
// dragged to a pixel and released shows at that pixel again. Sizes are multiplied in 64 bits: a range
// of 2^31 positions over a long track must not overflow.

#include "ScrollBars.h"

#include <algorithm>

#include "Forms.h"
#include "WidgetPaint.h"

namespace qelta::platform_detail {

namespace {

/// a * b / c rounded to the nearest integer, for a, b >= 0 and c > 0.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c) { return (a * b + c / 2) / c; }

}  // namespace

// [SECTION] layout

TRect TScrollBarLayout::PageBack() const {
  if (Thumb.Right <= Thumb.Left) return Track;
  return Vertical ? Rect(Track.Left, Track.Top, Track.Right, Thumb.Top)
                  : Rect(Track.Left, Track.Top, Thumb.Left, Track.Bottom);
}

TRect TScrollBarLayout::PageForward() const {
  if (Thumb.Right <= Thumb.Left) return TRect{};
  return Vertical ? Rect(Track.Left, Thumb.Bottom, Track.Right, Track.Bottom)
                  : Rect(Thumb.Right, Track.Top, Track.Right, Track.Bottom);
}

TScrollPart TScrollBarLayout::PartAt(TPoint p) const {
  if (Contains(LineBack, p)) return TScrollPart::LineBack;
  if (Contains(LineForward, p)) return TScrollPart::LineForward;
  if (Contains(Thumb, p)) return TScrollPart::Thumb;
  if (Contains(PageBack(), p)) return TScrollPart::PageBack;
  if (Contains(PageForward(), p)) return TScrollPart::PageForward;
  return TScrollPart::None;
}

TScrollBarLayout LayoutScrollBar(const TRect& bar, bool vertical, const TScrollInfo& info) {
  TScrollBarLayout l;
  l.Vertical = vertical;
  const int start = vertical ? bar.Top : bar.Left;
  const int end = std::max(start, vertical ? bar.Bottom : bar.Right);
  const int thickness = std::max(0, vertical ? bar.Width() : bar.Height());
  const int arrow = std::min(thickness, (end - start) / 2);
  auto span = [&](int from, int to) {
    return vertical ? Rect(bar.Left, from, bar.Right, to) : Rect(from, bar.Top, to, bar.Bottom);
  };
  l.LineBack = span(start, start + arrow);
  l.LineForward = span(end - arrow, end);
  l.Track = span(start + arrow, end - arrow);
  const int track = end - start - 2 * arrow;
  if (info.Max <= 0 || track < kMinThumbLength) return l;
  const int64_t total = int64_t{info.Max} + std::max(info.Page, 1);
  const int thumb = static_cast<int>(std::clamp<int64_t>(MulDivRound(track, std::max(info.Page, 1), total),
                                                         kMinThumbLength, track));
  const int offset =
      static_cast<int>(MulDivRound(track - thumb, std::clamp(info.Position, 0, info.Max), info.Max));
  l.Thumb = span(start + arrow + offset, start + arrow + offset + thumb);
  return l;
}

int ThumbPosition(const TScrollBarLayout& layout, const TScrollInfo& info, int thumbStart) {
  const bool v = layout.Vertical;
  const int trackStart = v ? layout.Track.Top : layout.Track.Left;
  const int room = (v ? layout.Track.Height() - layout.Thumb.Height() : layout.Track.Width() - layout.Thumb.Width());
  if (info.Max <= 0 || room <= 0 || layout.Thumb.Right <= layout.Thumb.Left) return 0;
  const int offset = std::clamp(thumbStart - trackStart, 0, room);
  return static_cast<int>(std::clamp<int64_t>(MulDivRound(offset, info.Max, room), 0, info.Max));
}

int ScrollTarget(TScrollStep step, int position, int first, int origin, int last, int line, int page) {
  last = std::max(last, first);
  switch (step) {
    case TScrollStep::LineBack: return std::max(first - line, origin);
    case TScrollStep::LineForward: return std::min(first + line, last);
    case TScrollStep::PageBack: return std::max(first - page, origin);
    case TScrollStep::PageForward: return std::min(first + page, last);
    case TScrollStep::Track:
    case TScrollStep::Position: break;
  }
  return std::clamp(origin + position, origin, last);
}

// [SECTION] TScrollBarControl

TScrollBarControl::TScrollBarControl(bool vertical) : TGraphicControl(nullptr), FVertical(vertical) {
  // Presses repeat, never click or double-click; the bar takes no caption.
  SetControlStyle(TControlStyle{csCaptureMouse, csOpaque});
  FTimer = AllocateHWnd([this](TMessage& m) {
    if (m.Msg == WM_TIMER) Tick();
  });
}

TScrollBarControl::~TScrollBarControl() { DeallocateHWnd(FTimer); }

void TScrollBarControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CAPTURECHANGED:
      Finish(Visible());  // the release (or the capture taken away) ends what the press began
      break;
    case WM_CONTEXTMENU:
      Message.Result = 1;  // no menu of the owner opens over its bar
      return;
    default:
      break;
  }
  TGraphicControl::WndProc(Message);
}

void TScrollBarControl::SetInfo(const TScrollInfo& value) {
  TScrollInfo v = value;
  v.Max = std::max(v.Max, 0);
  v.Page = std::max(v.Page, 1);
  v.Position = std::clamp(v.Position, 0, v.Max);
  if (v == FInfo) return;
  FInfo = v;
  if (FPressed != TScrollPart::Thumb) FDragPosition = v.Position;
  FDragPosition = std::min(FDragPosition, v.Max);
  Invalidate();
}

void TScrollBarControl::SetCorner(bool value) {
  if (value == FCorner) return;
  FCorner = value;
  Invalidate();
}

TRect TScrollBarControl::PartsArea() const {
  const int cut = FCorner ? kScrollBarSize : 0;
  return FVertical ? Rect(0, 0, Width(), std::max(0, Height() - cut)) : Rect(0, 0, std::max(0, Width() - cut), Height());
}

TScrollBarLayout TScrollBarControl::Layout() const {
  TScrollInfo shown = FInfo;
  if (FPressed == TScrollPart::Thumb) shown.Position = FDragPosition;
  return LayoutScrollBar(PartsArea(), FVertical, shown);
}

void TScrollBarControl::Fire(TScrollStep step, int position) {
  if (OnScroll) OnScroll(step, position);
}

void TScrollBarControl::Step(TScrollPart part) {
  switch (part) {
    case TScrollPart::LineBack: return Fire(TScrollStep::LineBack, FInfo.Position);
    case TScrollPart::LineForward: return Fire(TScrollStep::LineForward, FInfo.Position);
    case TScrollPart::PageBack: return Fire(TScrollStep::PageBack, FInfo.Position);
    case TScrollPart::PageForward: return Fire(TScrollStep::PageForward, FInfo.Position);
    default: return;
  }
}

void TScrollBarControl::Tick() {
  if (FPressed == TScrollPart::None || FPressed == TScrollPart::Thumb) return;
  SetTimer(FTimer, 1, kScrollRepeatInterval);
  // Only while the pointer stays over the part: a page stops once the thumb has reached the pointer.
  if (Layout().PartAt(FPointer) == FPressed) Step(FPressed);
}

void TScrollBarControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || FPressed != TScrollPart::None) return;
  const TScrollBarLayout l = Layout();
  FPointer = Point(X, Y);
  const TScrollPart part = l.PartAt(FPointer);
  if (part == TScrollPart::None) return;
  FPressed = part;
  Invalidate();
  if (part == TScrollPart::Thumb) {
    FGrip = Along(FPointer) - (FVertical ? l.Thumb.Top : l.Thumb.Left);
    FDragPosition = FInfo.Position;
    return;
  }
  SetTimer(FTimer, 1, kScrollRepeatDelay);  // no timer to be had: the press still steps once
  Step(part);
}

void TScrollBarControl::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FPressed == TScrollPart::None) return;
  const TScrollBarLayout before = Layout();
  const bool wasOver = before.PartAt(FPointer) == FPressed;
  FPointer = Point(X, Y);
  if (FPressed != TScrollPart::Thumb) {
    if (wasOver != (before.PartAt(FPointer) == FPressed)) Invalidate();  // pressed look only over the part
    return;
  }
  const int position = ThumbPosition(before, {FInfo.Max, FInfo.Page, FDragPosition}, Along(FPointer) - FGrip);
  if (position == FDragPosition) return;
  FDragPosition = position;
  Invalidate();
  Fire(TScrollStep::Track, position);
}

void TScrollBarControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) Finish(true);
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TScrollBarControl::Finish(bool apply) {
  if (FPressed == TScrollPart::None) return;
  KillTimer(FTimer, 1);
  const TScrollPart was = FPressed;
  FPressed = TScrollPart::None;
  Invalidate();
  if (was == TScrollPart::Thumb && apply) Fire(TScrollStep::Position, FDragPosition);
  FDragPosition = FInfo.Position;
}

void TScrollBarControl::Paint() {
  TCanvas* c = Canvas();
  const TScrollBarLayout l = Layout();
  const bool enabled = Enabled() && Parent() != nullptr && Parent()->Enabled() && FInfo.Max > 0;
  const TScrollPart held = FPressed != TScrollPart::None && l.PartAt(FPointer) == FPressed ? FPressed : TScrollPart::None;
  ScrollArrowButton(c, l.LineBack, FVertical ? TArrowDirection::Up : TArrowDirection::Left,
                    held == TScrollPart::LineBack, enabled);
  ScrollArrowButton(c, l.LineForward, FVertical ? TArrowDirection::Down : TArrowDirection::Right,
                    held == TScrollPart::LineForward, enabled);
  if (!enabled) {
    ScrollTrack(c, l.Track, false);  // no thumb
  } else {
    ScrollTrack(c, l.PageBack(), held == TScrollPart::PageBack);
    ScrollTrack(c, l.PageForward(), held == TScrollPart::PageForward);
    ScrollThumb(c, l.Thumb);
  }
  if (!FCorner) return;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(FVertical ? Rect(0, PartsArea().Bottom, Width(), Height()) : Rect(PartsArea().Right, 0, Width(), Height()));
}

// [SECTION] TScrollBarPair

TScrollBarPair::TScrollBarPair(TWinControl* owner,
                               std::function<void(bool Vertical, TScrollStep Step, int Position)> onScroll)
    : FOwner(owner), FVert(std::make_unique<TScrollBarControl>(true)), FHorz(std::make_unique<TScrollBarControl>(false)) {
  for (TScrollBarControl* bar : {FVert.get(), FHorz.get()}) {
    bar->SetVisible(false);
    bar->SetParent(owner);
    bar->OnScroll = [onScroll, v = bar->Vertical()](TScrollStep step, int position) { onScroll(v, step, position); };
  }
}

TScrollBarPair::~TScrollBarPair() = default;

TRect TScrollBarPair::ClientRect() const {
  const int cutX = Shown(true) ? kScrollBarSize : 0, cutY = Shown(false) ? kScrollBarSize : 0;
  return Rect(0, 0, std::max(0, FOwner->Width() - cutX), std::max(0, FOwner->Height() - cutY));
}

void TScrollBarPair::Update(const TRect& area, bool wantVertical, bool wantHorizontal,
                            const std::function<bool(bool Vertical, int Length)>& overflows) {
  const int w = FOwner->Width(), h = FOwner->Height();
  bool v = wantVertical && overflows(true, h);
  const bool hz = wantHorizontal && overflows(false, w - (v ? kScrollBarSize : 0));
  if (hz && !v) v = wantVertical && overflows(true, h - kScrollBarSize);
  FVert->SetCorner(hz);
  FVert->SetBounds(area.Right - kScrollBarSize, area.Top, kScrollBarSize, area.Height());
  FHorz->SetBounds(area.Left, area.Bottom - kScrollBarSize, area.Width() - (v ? kScrollBarSize : 0), kScrollBarSize);
  FVert->SetVisible(v);
  FHorz->SetVisible(hz);
}

}  // namespace qelta::platform_detail
