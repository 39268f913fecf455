// Panels.

#include "Panels.h"

#include <algorithm>

#include "WidgetPaint.h"

namespace qelta {

namespace {

void Bevel(TCanvas* c, TRect& r, TBevelCut cut, int width) {
  if (cut == bvNone) return;
  if (cut == bvSpace) {
    r = Rect(r.Left + width, r.Top + width, r.Right - width, r.Bottom - width);
    return;
  }
  const bool raised = cut == bvRaised;
  platform_detail::Frame3D(c, r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight, width);
}

}  // namespace

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  TControlStyle style = ControlStyle();
  SetControlStyle(style.Include(csAcceptsControls).Include(csOpaque));
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  if (value == FBevelOuter) return;
  FBevelOuter = value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  if (value == FBevelInner) return;
  FBevelInner = value;
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int value) {
  value = std::max(value, 1);
  if (value == FBevelWidth) return;
  FBevelWidth = value;
  Invalidate();
}

void TCustomPanel::SetBorderWidth(int value) {
  value = std::max(value, 0);
  if (value == FBorderWidth) return;
  FBorderWidth = value;
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  TRect r = ClientRect();
  Bevel(c, r, FBevelOuter, FBevelWidth);
  r = Rect(r.Left + FBorderWidth, r.Top + FBorderWidth, r.Right - FBorderWidth, r.Bottom - FBorderWidth);
  Bevel(c, r, FBevelInner, FBevelWidth);
  if (Caption().empty()) return;
  static constexpr unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsClear);
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  DrawText(c, Caption(), r, DT_SINGLELINE | DT_VCENTER | kAlign[FAlignment]);
}

}  // namespace qelta
