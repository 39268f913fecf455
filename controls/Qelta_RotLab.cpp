// Qelta_RotLab: the rotated label TRotLab.
//
// Start point of the caption, with hw = text width div 2 and hh = text height div 2 of the unrotated
// caption, s = sin and c = cos of the angle, each pair of offsets rounded as a whole (half to even):
//   left-justified  (PosX + Round(-hh s),            PosY + Round(-hh c))           middle of the left end
//   right-justified (PosX + Round(-2 hw c - hh s),   PosY + Round(2 hw s - hh c))   middle of the right end
//   centred         (PosX + Round(-hw c - hh s),     PosY + Round(hw s - hh c))     centre
// The font turns about the start point (the top left of the text cell).
// The reference point follows the size through the virtual Resize, not through OnResize, which stays
// the host's: a host handler must not leave the point at the old centre. It is centred also when
// the label is placed on a parent, or a label of the default size would keep the constructor's
// point (10, 10) although AutoCenter is on.

#include "Qelta_RotLab.h"

#include <cmath>
#include <numbers>

#include "Math.h"

namespace qelta {

TPoint RotatedTextOffset(TAlignment Alignment, int HalfWidth, int HalfHeight, double Angle) {
  const double hw = HalfWidth, hh = HalfHeight;
  const double a = Angle * std::numbers::pi / 180, s = std::sin(a), c = std::cos(a);
  double dx = -hw * c - hh * s, dy = hw * s - hh * c;
  if (Alignment == taLeftJustify) dx = -hh * s, dy = -hh * c;
  if (Alignment == taRightJustify) dx = -2 * hw * c - hh * s, dy = 2 * hw * s - hh * c;
  return Point(static_cast<int>(Round(dx)), static_cast<int>(Round(dy)));
}

TRotLab::TRotLab(TComponent* AOwner) : TCustomLabel(AOwner) {
  Font()->SetName(u"Arial");
  Font()->SetSize(11);
  TCustomLabel::SetTransparent(FTransparent);
  SetBounds(Left(), Top(), 200, 200);
}

// [SECTION] drawing

void TRotLab::Paint() {
  if (!Visible()) return;
  TCustomLabel::Paint();
  DrawFrame(Canvas(), FFrameStyle, 0, 0, Width() - 1, Height() - 1, 0xFFFFFF, 0xC0C0C0, 0x808080, 0, 0);
}

void TRotLab::DoDrawText(TRect&, unsigned Flags) {
  if ((Flags & DT_CALCRECT) != 0) return;
  TCanvas* k = Canvas();
  k->Font()->Assign(Font());
  k->Font()->SetOrientation(FTextAngle * 10);
  k->Font()->SetQuality(FAntiAlias ? fqAntialiased : fqNonAntialiased);
  k->Brush()->SetStyle(bsClear);
  const String& text = Caption();
  const TPoint d = RotatedTextOffset(FAlignment, k->TextWidth(text) / 2, k->TextHeight(text) / 2, FTextAngle);
  const int x = FTextPosX + d.X, y = FTextPosY + d.Y;
  if (Enabled()) {
    k->TextOut(x, y, text);
    return;
  }
  k->Font()->SetColor(clBtnHighlight);
  k->TextOut(x + 1, y + 1, text);
  k->Font()->SetColor(clBtnShadow);
  k->TextOut(x, y, text);
}

// [SECTION] reference point and size

void TRotLab::AdjustAutoCenter() {
  FTextPosX = Width() / 2;
  FTextPosY = Height() / 2;
}

void TRotLab::ProcessResize(TObject*) {
  if (Parent() == nullptr || !FAutoCenter) return;
  AdjustAutoCenter();
  Redraw();
}

void TRotLab::SetParent(TWinControl* AParent) {
  TCustomLabel::SetParent(AParent);
  ProcessResize(this);
}

void TRotLab::Resize() {
  ProcessResize(this);
  TCustomLabel::Resize();
}

// [SECTION] component and properties

void TRotLab::Redraw() {
  if (FTransparent)
    Invalidate();
  else
    Paint();
}

template <class T>
void TRotLab::StoreAndRedraw(T& field, T value) {
  if (field == value) return;
  field = value;
  Redraw();
}

void TRotLab::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TRotLab*>(Source);
  if (o == nullptr) {
    TCustomLabel::Assign(Source);
    return;
  }
  FAutoCenter = o->FAutoCenter, FFrameStyle = o->FFrameStyle, FTextAngle = o->FTextAngle;
  FTextPosX = o->FTextPosX, FTextPosY = o->FTextPosY, FAntiAlias = o->FAntiAlias;
  Invalidate();
}

void TRotLab::AssignTo(TPersistent* Dest) {
  if (auto* o = dynamic_cast<TRotLab*>(Dest)) {
    o->Assign(this);
    return;
  }
  TCustomLabel::AssignTo(Dest);
}

void TRotLab::SetTextAngle(int value) { StoreAndRedraw(FTextAngle, value); }
void TRotLab::SetFrameStyle(TFrameStyle value) { StoreAndRedraw(FFrameStyle, value); }
void TRotLab::SetAntiAlias(bool value) { StoreAndRedraw(FAntiAlias, value); }
void TRotLab::SetAlignment(TAlignment value) { StoreAndRedraw(FAlignment, value); }

void TRotLab::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  TCustomLabel::SetTransparent(value);
  Redraw();
}

void TRotLab::SetAutoCenter(bool value) {
  if (value == FAutoCenter) return;
  FAutoCenter = value;
  if (value) AdjustAutoCenter();
  Redraw();
}

void TRotLab::SetPoint(int& field, int value) {
  if (value == field) return;
  if (FAutoCenter)
    AdjustAutoCenter();
  else
    field = value;
  Redraw();
}

void TRotLab::SetPosX(int value) { SetPoint(FTextPosX, value); }
void TRotLab::SetPosY(int value) { SetPoint(FTextPosY, value); }

}  // namespace qelta
