// Speed buttons.

#include "Buttons.h"

#include <algorithm>

#include "WidgetPaint.h"

namespace qelta {

namespace {

constexpr int kSpacing = 4;  // between glyph and caption

}  // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 23, 22);
  SetColor(clBtnFace);
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { FGlyph->OnChange = nullptr; }

void TSpeedButton::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == FNumGlyphs) return;
  FNumGlyphs = value;
  Invalidate();
}

void TSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  if (FDown && !value && !FAllowAllUp) return;  // the last button down in a strict group stays down
  FDown = value;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || Parent() == nullptr) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(static_cast<TControl*>(this)),
             0};
  Parent()->Broadcast(m);
}

void TSpeedButton::ButtonPressed(TMessage& m) {
  auto* sender = reinterpret_cast<TControl*>(m.LParam);
  if (FGroupIndex == 0 || m.WParam != static_cast<WPARAM>(FGroupIndex) || sender == this) return;
  bool senderDown = true;  // another class sends it when it goes down (a two-state button turning on)
  if (auto* button = dynamic_cast<TSpeedButton*>(sender)) {
    senderDown = button->Down();
    FAllowAllUp = button->AllowAllUp();
  }
  if (senderDown && FDown) {
    FDown = false;
    Invalidate();
  }
}

TButtonState TSpeedButton::State() const {
  if (!Enabled()) return bsDisabled;
  if (FDragging && FPointerInside) return bsDown;
  return FDown ? bsExclusive : bsUp;
}

bool TSpeedButton::Pushed() const { return State() == bsDown || State() == bsExclusive; }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  FDragging = true;
  FPointerInside = true;
  Invalidate();
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const bool inside = platform_detail::Contains(ClientRect(), Point(X, Y));
  if (inside == FPointerInside) return;
  FPointerInside = inside;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FDragging) {
    FDragging = false;
    const bool inside = platform_detail::Contains(ClientRect(), Point(X, Y));
    if (inside && FGroupIndex != 0) SetDown(!FDown || !FAllowAllUp);
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);  // the click follows when the release is inside
}

void TSpeedButton::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BUTTONPRESSED:
      ButtonPressed(Message);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      FMouseInControl = Message.Msg == CM_MOUSEENTER;
      if (FFlat) Invalidate();
      break;
    case CM_ENABLEDCHANGED:
      FDragging = false;
      break;
    default:
      break;
  }
  TGraphicControl::WndProc(Message);
}

void TSpeedButton::PaintGlyph(TCanvas* c, int x, int y, TButtonState state) {
  const int w = FGlyph->Width() / FNumGlyphs, h = FGlyph->Height();
  const int available[] = {0, FNumGlyphs > 1 ? 1 : -1, FNumGlyphs > 2 ? 2 : 0,
                           FNumGlyphs > 3 ? 3 : (FNumGlyphs > 2 ? 2 : 0)};
  const int index = available[state];
  if (index >= 0) {
    platform_detail::DrawTransparent(c, Point(x, y), FGlyph.get(), Bounds(index * w, 0, w, h));
    return;
  }
  // No disabled picture: the up picture's shape, engraved.
  const uint32_t key = platform_detail::PixelRgb(FGlyph->TransparentColor());
  for (TColor ink : {clBtnHighlight, clBtnShadow}) {
    const int d = ink == clBtnHighlight ? 1 : 0;
    for (int gy = 0; gy < h; ++gy)
      for (int gx = 0; gx < w; ++gx)
        if ((FGlyph->ScanLine(gy)[gx] & 0xFFFFFF) != key) c->SetPixels(x + gx + d, y + gy + d, ink);
  }
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  const TButtonState state = State();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (!FFlat) {
    platform_detail::ButtonBorder(c, r, Pushed());
  } else if (Pushed() || (FMouseInControl && Enabled())) {
    platform_detail::Frame3D(c, r, Pushed() ? clBtnShadow : clBtnHighlight, Pushed() ? clBtnHighlight : clBtnShadow, 1);
  }
  if (state == bsExclusive)  // down and staying down: the classic dithered face
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left + (y + r.Left) % 2; x < r.Right; x += 2) c->SetPixels(x, y, clBtnHighlight);
  c->Font()->Assign(Font());
  const int glyphW = FGlyph->Empty() ? 0 : FGlyph->Width() / FNumGlyphs;
  const int glyphH = FGlyph->Empty() ? 0 : FGlyph->Height();
  const int textW = Caption().empty() ? 0 : c->TextWidth(Caption());
  const int gap = glyphW > 0 && textW > 0 ? kSpacing : 0;
  const int shift = Pushed() ? 1 : 0;
  int x = (Width() - glyphW - gap - textW) / 2 + shift;
  if (glyphW > 0) {
    PaintGlyph(c, x, (Height() - glyphH) / 2 + shift, state);
    x += glyphW + gap;
  }
  if (textW == 0) return;
  const int y = (Height() - c->TextHeight(Caption())) / 2 + shift;
  if (state == bsDisabled) {
    platform_detail::EngravedText(c, x, y, Caption());
    return;
  }
  c->Brush()->SetStyle(bsClear);
  c->TextOut(x, y, Caption());
}

}  // namespace qelta
