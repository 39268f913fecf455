// Labels.

#include "Labels.h"

#include "WidgetPaint.h"

namespace qelta {

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  TControlStyle style = ControlStyle();
  SetControlStyle(style.Include(csOpaque));
  SetBounds(0, 0, 65, 17);
}

unsigned TCustomLabel::DrawTextFlags() const {
  static constexpr unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  return DT_EXPANDTABS | kAlign[FAlignment];
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  TControlStyle style = ControlStyle();
  if (value)
    style.Exclude(csOpaque);
  else
    style.Include(csOpaque);
  SetControlStyle(style);
  Invalidate();
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading)) return;
  TRect r = ClientRect();
  DoDrawText(r, DrawTextFlags() | DT_CALCRECT);
  int left = Left();
  if (FAlignment == taRightJustify) left += Width() - r.Width();
  if (FAlignment == taCenter) left += (Width() - r.Width()) / 2;
  SetBounds(left, Top(), r.Width(), r.Height());
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& Rect, unsigned Flags) {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsClear);
  const String& text = Caption();
  if ((Flags & DT_CALCRECT) != 0) {
    DrawText(c, text.empty() ? String(u" ") : text, Rect, Flags);
    return;
  }
  if (Enabled()) {
    DrawText(c, text, Rect, Flags);
    return;
  }
  TRect shadow = Bounds(Rect.Left + 1, Rect.Top + 1, Rect.Width(), Rect.Height());
  c->Font()->SetColor(clBtnHighlight);
  DrawText(c, text, shadow, Flags);
  c->Font()->SetColor(clBtnShadow);
  DrawText(c, text, Rect, Flags);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  if (!FTransparent) {
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
  }
  TRect r = ClientRect();
  DoDrawText(r, DrawTextFlags());
}

void TCustomLabel::WndProc(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED) AdjustBounds();
}

}  // namespace qelta
