// Qelta_ProgBar: the progress bar TProgBar.
//
// The bar grows from its base by len = Round(n x frac) lines, n the inner height (upward, downward)
// or width (rightward, leftward); line k (0 at the base) takes ramp entry
//   cgmCover    Round(1023 k / n)
//   cgmStretch  Round(1023 k / len)
//   cgmMove     Round(1023 k / n) - Round(1023 (len - 1) / n) + 1023
// clamped to 0..1023. Grid lines stand every GridDist pixels from the base line: upward and downward
// while they lie on the bar, rightward and leftward up to one line past its end. Downward and
// leftward mirror upward and rightward.
// frac is clamped to 0..1: a value out of range or Max = Min made bars of negative or infinite
// length (with a gradient a loop of 2^63 lines); Max = Min or a NaN draws no bar at all.

#include "Qelta_ProgBar.h"

#include <algorithm>
#include <cmath>

#include "Math.h"
#include "Qelta_RotLab.h"
#include "Qelta_ctlbitmap.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_stringl.h"

namespace qelta {

namespace {

int RoundInt(double x) { return static_cast<int>(Round(x)); }


int RampIndex(TColorMapping mode, int k, int n, int len) {
  int idx = 0;
  switch (mode) {
    case cgmCover:
      idx = RoundInt(1023.0 * k / n);
      break;
    case cgmStretch:
      idx = RoundInt(1023.0 * k / len);
      break;
    default:
      idx = RoundInt(1023.0 * k / n) - RoundInt(1023.0 * (len - 1) / n) + 1023;
      break;
  }
  return std::clamp(idx, 0, 1023);
}

}  // namespace

TProgBar::TProgBar(TComponent* AOwner) : TGraphicControl(AOwner), AuxBmp(std::make_unique<TBitmap>(10, 10)) {
  SetBounds(Left(), Top(), 300, 28);
  FBarColorArray[0] = 0xFF0000;
  FBarColorArray[RampSize - 1] = 0x0000FF;
  Recolor();
}

TProgBar::~TProgBar() = default;

// [SECTION] drawing

double TProgBar::BarFraction() const {
  const double frac = (FProgValue - FProgMin) / (FProgMax - FProgMin);
  if (std::isnan(frac) || FProgMax == FProgMin) return NAN;
  return std::clamp(frac, 0.0, 1.0);
}

void TProgBar::Paint() {
  if (!Visible() && !ComponentState().Contains(csDesigning)) return;
  const int W = Width(), H = Height();
  auto bmp = ctl_detail::OffscreenBitmap(W, H);
  if (!bmp) return;
  TCanvas* c = bmp->Canvas();
  const TRect inner =
      Rect(FMarginLeft, FMarginTop, SaturateToInt(int64_t{W} - FMarginRight), SaturateToInt(int64_t{H} - FMarginBottom));
  c->Brush()->SetColor(FColorMargin);
  c->FillRect(Rect(0, 0, W, H));
  c->Brush()->SetColor(FColorBakG);
  c->FillRect(inner);
  if (!FBakGndFile.empty()) c->StretchDraw(inner, AuxBmp.get());
  PaintBar(c, inner);
  PaintFrame(c, FInnerFrameSt, inner.Left, inner.Top, inner.Right, inner.Bottom);
  PaintFrame(c, FOuterFrameSt, 0, 0, W, H);
  if (FShowValue) PaintText(c);
  Canvas()->Draw(0, 0, bmp.get());
}

void TProgBar::PaintBar(TCanvas* c, const TRect& in) const {
  const double frac = BarFraction();
  if (std::isnan(frac)) return;
  const bool vertical = FDirection == dirUpward || FDirection == dirDownward;
  const int n = SaturateToInt(vertical ? int64_t{in.Bottom} - in.Top : int64_t{in.Right} - in.Left);
  const int len = std::max(RoundInt(n * frac), 0);
  // Line k lies at base + step x k across the bar's length; only the lines on the picture are drawn
  // (margins far outside it must not make a loop over billions of lines).
  const bool fromEnd = FDirection == dirUpward || FDirection == dirLeftward;
  const int64_t step = fromEnd ? -1 : 1, limit = vertical ? Height() : Width();
  const int64_t base = fromEnd ? int64_t{vertical ? in.Bottom : in.Right} - 1 : (vertical ? in.Top : in.Left);
  const int64_t kFrom = std::max<int64_t>(0, fromEnd ? base - limit + 1 : -base);
  const int64_t kTo = fromEnd ? base : limit - 1 - base;  // last line on the picture
  auto line = [&](int64_t k) {
    const int p = static_cast<int>(base + step * k);
    if (vertical) {
      c->MoveTo(in.Left, p);
      c->LineTo(in.Right, p);
    } else {
      c->MoveTo(p, in.Top);
      c->LineTo(p, in.Bottom);
    }
  };
  if (!FColorGrad && len > 0) {
    const int64_t a = base, b = base + step * (len - 1);
    c->Brush()->SetColor(FBarColorArray[0]);
    const int lo = SaturateToInt(std::min(a, b)), hi = SaturateToInt(std::max(a, b) + 1);
    c->FillRect(vertical ? Rect(in.Left, lo, in.Right, hi) : Rect(lo, in.Top, hi, in.Bottom));
  }
  for (int64_t k = kFrom; FColorGrad && k < std::min<int64_t>(len, kTo + 1); ++k) {
    c->Pen()->SetColor(FBarColorArray[RampIndex(FColorMapMode, static_cast<int>(k), n, len)]);
    line(k);
  }
  if (FGridDist <= 1) return;
  c->Pen()->SetColor(FColorGrid);
  const int64_t last = std::min<int64_t>(vertical ? len - 1 : len, kTo);
  for (int64_t k = (kFrom + FGridDist - 1) / FGridDist * FGridDist; k <= last; k += FGridDist) line(k);
}

void TProgBar::PaintFrame(TCanvas* c, TFrameStyle style, int l, int t, int r, int b) const {
  if (style == fsNone) return;
  c->Brush()->SetStyle(bsClear);
  auto pen = [c](TColor colour) { c->Pen()->SetColor(colour); };
  if (style == fsSimple) {
    pen(FColGrayLine);
    c->Rectangle(l, t, r, b);
    return;
  }
  if (style == fsLowered || style == fsRaised) {
    const bool lowered = style == fsLowered;
    pen(lowered ? FColBlackLine : FColWhiteLine);
    c->Polyline({Point(l + 1, b - 3), Point(l + 1, t + 1), Point(r - 1, t + 1)});
    pen(lowered ? FColWhiteLine : FColBlackLine);
    c->Polyline({Point(l + 1, b - 1), Point(r - 1, b - 1), Point(r - 1, t)});
    pen(FColGrayLine);
    c->Rectangle(l, t, r - 1, b - 1);
  } else {
    const bool embossed = style == fsEmbossed;
    pen(embossed ? FColGrayLine : FColWhiteLine);
    c->Rectangle(l + 1, t + 1, r, b);
    pen(embossed ? FColWhiteLine : FColGrayLine);
    c->Rectangle(l, t, r - 1, b - 1);
  }
  c->SetPixels(l, b - 1, FColorMargin);
  c->SetPixels(r - 1, t, FColorMargin);
}

String TProgBar::ValueText() const {
  const int d = FTextDecPlaces == -1 ? -2 : FTextDecPlaces == -2 ? -1 : FTextDecPlaces;
  String text = strff(FProgValue, 1, d);
  if (OnShowValue) OnShowValue(const_cast<TProgBar*>(this), text);
  return text;
}

void TProgBar::PaintText(TCanvas* c) const {
  c->Font()->Assign(Font());
  c->Font()->SetOrientation(FTextAngle * 10);
  c->Brush()->SetStyle(bsClear);
  const String text = ValueText();
  const TPoint d = RotatedTextOffset(FAlignment, c->TextWidth(text) / 2, c->TextHeight(text) / 2, FTextAngle);
  c->TextOut(FTextPosX + d.X, FTextPosY + d.Y, text);
}

// [SECTION] component

void TProgBar::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TProgBar*>(Source);
  if (o == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  FOuterFrameSt = o->FOuterFrameSt, FInnerFrameSt = o->FInnerFrameSt;
  FProgValue = o->FProgValue, FProgMin = o->FProgMin, FProgMax = o->FProgMax;
  FColorMargin = o->FColorMargin, FColBlackLine = o->FColBlackLine, FColGrayLine = o->FColGrayLine;
  FColWhiteLine = o->FColWhiteLine, FColorScheme = o->FColorScheme, FDirection = o->FDirection;
  FBarColorArray = o->FBarColorArray, FColorBakG = o->FColorBakG, FColorGrad = o->FColorGrad;
  FColorGrid = o->FColorGrid, FGridDist = o->FGridDist, FColorMapMode = o->FColorMapMode;
  FMarginLeft = o->FMarginLeft, FMarginRight = o->FMarginRight, FMarginTop = o->FMarginTop;
  FMarginBottom = o->FMarginBottom, FBakGndFile = o->FBakGndFile, FTextPosX = o->FTextPosX;
  FTextPosY = o->FTextPosY, FTextDecPlaces = o->FTextDecPlaces, FTextAngle = o->FTextAngle;
  FAlignment = o->FAlignment, OnShowValue = o->OnShowValue, FShowValue = o->FShowValue;
  Paint();
}

void TProgBar::AssignTo(TPersistent* Dest) {
  if (auto* o = dynamic_cast<TProgBar*>(Dest)) {
    o->Assign(this);
    return;
  }
  TGraphicControl::AssignTo(Dest);
}

// [SECTION] properties

template <class T>
void TProgBar::StoreAndRepaint(T& field, T value) {
  if (field == value) return;
  field = value;
  Paint();
}

void TProgBar::Recolor() {
  for (int i = 1; i < RampSize - 1; ++i)
    FBarColorArray[i] = InterpolateColor(FBarColorArray[0], FBarColorArray[RampSize - 1], i / 1023.0);
}

void TProgBar::SetRange(double AMin, double AMax) {
  FProgMin = std::fmin(AMin, AMax);
  FProgMax = std::fmax(AMin, AMax);
  Paint();
}

TColor TProgBar::GetBarColorElem(int index) const {
  return index >= 0 && index < RampSize ? FBarColorArray[index] : clBlack;
}

void TProgBar::SetBarColorElem(int index, TColor value) {
  if (index >= 0 && index < RampSize) FBarColorArray[index] = value;
}

void TProgBar::SetColorMin(TColor value) {
  FBarColorArray[0] = value;
  Recolor();
  Paint();
}

void TProgBar::SetColorMax(TColor value) {
  FBarColorArray[RampSize - 1] = value;
  Recolor();
  Paint();
}

void TProgBar::SetColorScheme(TColorScheme value) {
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor(0x808080);
  FColWhiteLine = value == csSystem ? clBtnHighlight : TColor(0xFFFFFF);
  Paint();
}

void TProgBar::SetBackGroundImg(const String& value) {
  if (value.empty()) {
    FBakGndFile.clear();
  } else {
    try {
      AuxBmp->LoadFromFile(value);
      FBakGndFile = value;
    } catch (const Exception&) {  // an unreadable picture keeps the old one
    }
  }
  Paint();
}

void TProgBar::SetTextVisible(bool value) {
  FShowValue = value;
  Paint();
}

void TProgBar::SetValue(double value) { StoreAndRepaint(FProgValue, value); }
void TProgBar::SetMin(double value) { StoreAndRepaint(FProgMin, value); }
void TProgBar::SetMax(double value) { StoreAndRepaint(FProgMax, value); }
void TProgBar::SetDirection(TDirection value) { StoreAndRepaint(FDirection, value); }
void TProgBar::SetColorMapMode(TColorMapping value) { StoreAndRepaint(FColorMapMode, value); }
void TProgBar::SetShowColorGradient(bool value) { StoreAndRepaint(FColorGrad, value); }
void TProgBar::SetColorMargin(TColor value) { StoreAndRepaint(FColorMargin, value); }
void TProgBar::SetColorBackGnd(TColor value) { StoreAndRepaint(FColorBakG, value); }
void TProgBar::SetColorGrid(TColor value) { StoreAndRepaint(FColorGrid, value); }
void TProgBar::SetGridDist(int value) { StoreAndRepaint(FGridDist, value); }
void TProgBar::SetMarginLeft(int value) { StoreAndRepaint(FMarginLeft, value); }
void TProgBar::SetMarginRight(int value) { StoreAndRepaint(FMarginRight, value); }
void TProgBar::SetMarginTop(int value) { StoreAndRepaint(FMarginTop, value); }
void TProgBar::SetMarginBottom(int value) { StoreAndRepaint(FMarginBottom, value); }
void TProgBar::SetFrameStyleOuter(TFrameStyle value) { StoreAndRepaint(FOuterFrameSt, value); }
void TProgBar::SetFrameStyleInner(TFrameStyle value) { StoreAndRepaint(FInnerFrameSt, value); }
void TProgBar::SetTextAlignment(TAlignment value) { StoreAndRepaint(FAlignment, value); }
void TProgBar::SetTextPosX(int value) { StoreAndRepaint(FTextPosX, std::clamp(value, 0, std::max(Width(), 0))); }
void TProgBar::SetTextPosY(int value) { StoreAndRepaint(FTextPosY, std::clamp(value, 0, std::max(Height(), 0))); }
void TProgBar::SetTextDecPlaces(int value) { StoreAndRepaint(FTextDecPlaces, std::clamp(value, -2, 10)); }
void TProgBar::SetTextAngle(int value) { StoreAndRepaint(FTextAngle, std::clamp(value, 0, 360)); }

}  // namespace qelta
