#pragma once
// Not part of the public interface: the scroll bars grids and memos show along their right and bottom
// edges. Not installed; exported for the tests.
//
// What: a bar shows a range of positions 0..Max of which Page are in view at once; the thumb's length is
// the visible share Page / (Max + Page) of the track (at least kMinThumbLength) and its place the
// position's share of Max.
// How, in three steps: LayoutScrollBar places the arrows, the track and the thumb from the bar's
// rectangle and range (pure; TScrollBarLayout::PartAt and ThumbPosition go the other way); the mouse
// handlers of TScrollBarControl turn a press into steps: a line on an arrow, a page towards the pointer
// on the track, both repeated on the platform timer while the button is held over that part (first after
// kScrollRepeatDelay ms, then every kScrollRepeatInterval ms), and a drag of the thumb into Track steps
// and one Position step at the release; Paint draws the state (WidgetPaint has the look). The owner
// hears every step through OnScroll, moves its view and gives the bar its new range with SetInfo.
// TScrollBarPair lays out an owner's two bars and decides which of them show.
// Limits: no keyboard of its own (the owner's keys scroll), no context menu, no snapping back of a thumb
// dragged far off the bar.

#include <cstdint>
#include <functional>
#include <memory>

#include "Controls.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// Thickness of a bar, and the length of its arrow buttons while the bar is long enough, in pixels.
constexpr int kScrollBarSize = 16;
/// The shortest thumb; a track shorter than this shows none.
constexpr int kMinThumbLength = 8;
/// Milliseconds a held arrow or track waits before it repeats, then between repeats.
constexpr Cardinal kScrollRepeatDelay = 300, kScrollRepeatInterval = 50;

/// The range a bar shows: positions 0..Max, Page of them in view, the first one in view at Position.
struct TScrollInfo {
  int Max = 0;
  int Page = 1;
  int Position = 0;
  friend bool operator==(const TScrollInfo&, const TScrollInfo&) = default;
};

enum class TScrollPart : uint8_t { None, LineBack, PageBack, Thumb, PageForward, LineForward };
/// What the user asked for: one line or one page back or forward, the thumb dragged to a position
/// (Track, while the button is held) or released there (Position).
enum class TScrollStep : uint8_t { LineBack, LineForward, PageBack, PageForward, Track, Position };

/// Where the parts of a bar lie (the bar's client coordinates). Back is up or left.
struct TScrollBarLayout {
  bool Vertical = true;
  TRect LineBack;     // the arrow button at the start
  TRect LineForward;  // the arrow button at the end
  TRect Track;        // between the arrows
  TRect Thumb;        // inside the track; empty when the track has no room for it
  /// The track before the thumb (the whole track when there is no thumb).
  TRect PageBack() const;
  /// The track after the thumb (empty when there is no thumb).
  TRect PageForward() const;
  /// The part under a point; None outside the bar's parts.
  TScrollPart PartAt(TPoint p) const;
};

/// The parts of a bar filling `bar`: the arrows square (halved when the bar is shorter than two), the
/// thumb as the header says. A range with Max 0 (nothing to scroll) has no thumb.
TScrollBarLayout LayoutScrollBar(const TRect& bar, bool vertical, const TScrollInfo& info);
/// The position whose thumb starts `thumbStart` pixels along the axis (rounded, clamped to 0..Max).
int ThumbPosition(const TScrollBarLayout& layout, const TScrollInfo& info, int thumbStart);

/// Where a step leads a view whose first position in view is `first` (origin..last): a line or a page back
/// or forward, stopping at origin and at last (at first when that lies beyond), or origin + position for a
/// thumb's Track and Position.
int ScrollTarget(TScrollStep step, int position, int first, int origin, int last, int line, int page);

/// One scroll bar, a graphic child of the control it scrolls.
class TScrollBarControl : public TGraphicControl {
 public:
  using TScrollEvent = std::function<void(TScrollStep Step, int Position)>;

  explicit TScrollBarControl(bool vertical);
  ~TScrollBarControl() override;
  void WndProc(TMessage& Message) override;

  bool Vertical() const { return FVertical; }
  const TScrollInfo& Info() const { return FInfo; }
  /// Takes a new range (Max below 0 as 0, Page at least 1, Position clamped) and repaints when it
  /// changed; a thumb being dragged stays under the pointer.
  void SetInfo(const TScrollInfo& value);
  /// True: the bar ends in the square between two bars, drawn in the button face and inert.
  void SetCorner(bool value);
  /// The parts as drawn now (the thumb where it is dragged to), in the bar's client coordinates.
  TScrollBarLayout Layout() const;
  /// The part held down now (None when no button is held on the bar).
  TScrollPart Pressed() const { return FPressed; }

  /// Every step the user asks for, with the position it leads to for Track and Position.
  TScrollEvent OnScroll;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TRect PartsArea() const;
  int Along(TPoint p) const { return FVertical ? p.Y : p.X; }
  void Step(TScrollPart part);
  void Tick();
  void Finish(bool apply);
  void Fire(TScrollStep step, int position);

  bool FVertical = true;
  bool FCorner = false;
  TScrollInfo FInfo;
  TScrollPart FPressed = TScrollPart::None;
  TPoint FPointer;        // where the pointer was last seen while a button is held
  int FGrip = 0;          // pointer minus thumb start, along the axis, while the thumb is dragged
  int FDragPosition = 0;  // the position the dragged thumb shows
  HWND FTimer = 0;        // private window of the repeat timer
};

/// The vertical and horizontal bar of one control: made with it as their parent, shown along the right
/// and bottom edges of an area of it (the control less its border) as the owner decides.
class TScrollBarPair {
 public:
  /// `onScroll` hears the steps of both bars, with the bar's orientation first.
  TScrollBarPair(TWinControl* owner, std::function<void(bool Vertical, TScrollStep Step, int Position)> onScroll);
  ~TScrollBarPair();
  TScrollBarPair(const TScrollBarPair&) = delete;
  TScrollBarPair& operator=(const TScrollBarPair&) = delete;

  TScrollBarControl* Bar(bool vertical) const { return vertical ? FVert.get() : FHorz.get(); }
  bool Shown(bool vertical) const { return Bar(vertical)->Visible(); }
  /// The owner's rectangle less the shown bars: its client area.
  TRect ClientRect() const;
  /// Which bars to show in a control width x height: a wanted bar shows when its axis overflows the
  /// length left beside the other bar (overflows(vertical, length)); a shown horizontal bar can make
  /// the vertical one needed. Then lays them out in `area`.
  void Update(const TRect& area, bool wantVertical, bool wantHorizontal,
              const std::function<bool(bool Vertical, int Length)>& overflows);

 private:
  TWinControl* FOwner = nullptr;
  std::unique_ptr<TScrollBarControl> FVert;
  std::unique_ptr<TScrollBarControl> FHorz;
};

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
