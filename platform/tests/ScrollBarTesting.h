#pragma once
// The scroll bars of a grid or memo as a person finds them: which bar shows, where its parts lie in the
// owner's client coordinates, and a drag of its thumb, for the tests of every library.

#include <gtest/gtest.h>

#include "ScrollBars.h"
#include "Testing.h"

namespace qelta::testing {

using platform_detail::TScrollBarControl;
using platform_detail::TScrollPart;

/// The owner's vertical or horizontal bar (nullptr when it has none).
inline TScrollBarControl* ScrollBarOf(const TWinControl* owner, bool vertical) {
  for (int i = 0; i < owner->ControlCount(); ++i)
    if (auto* bar = dynamic_cast<TScrollBarControl*>(owner->Controls(i)); bar != nullptr && bar->Vertical() == vertical)
      return bar;
  return nullptr;
}

inline bool BarShown(const TWinControl* owner, bool vertical) {
  const TScrollBarControl* bar = ScrollBarOf(owner, vertical);
  return bar != nullptr && bar->Visible();
}

/// The rectangle of a part of the bar, in the owner's client coordinates.
inline TRect PartRect(const TWinControl* owner, bool vertical, TScrollPart part) {
  const TScrollBarControl* bar = ScrollBarOf(owner, vertical);
  const platform_detail::TScrollBarLayout l = bar->Layout();
  TRect r;
  switch (part) {
    case TScrollPart::LineBack: r = l.LineBack; break;
    case TScrollPart::LineForward: r = l.LineForward; break;
    case TScrollPart::PageBack: r = l.PageBack(); break;
    case TScrollPart::PageForward: r = l.PageForward(); break;
    case TScrollPart::Thumb: r = l.Thumb; break;
    case TScrollPart::None: break;
  }
  return Rect(r.Left + bar->Left(), r.Top + bar->Top(), r.Right + bar->Left(), r.Bottom + bar->Top());
}

/// The middle of a part of the bar, in the owner's client coordinates.
inline TPoint PartCentre(const TWinControl* owner, bool vertical, TScrollPart part) {
  const TRect r = PartRect(owner, vertical, part);
  return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

/// The middle of the bar's track, where a thumb dragged there by its middle stands at half its range.
inline TPoint TrackCentre(const TWinControl* owner, bool vertical) {
  const TScrollBarControl* bar = ScrollBarOf(owner, vertical);
  const TRect t = bar->Layout().Track;
  return Point(bar->Left() + (t.Left + t.Right) / 2, bar->Top() + (t.Top + t.Bottom) / 2);
}

}  // namespace qelta::testing
