// Qelta_ColorScale: the colour scale TColorScale.
//
// The bar is drawn one pixel line at a time: between the pixels of ColorLow (a) and ColorHigh (c),
// each clamped to the bar, pixel e has the palette index Round((e - a) / (c - a) x N); ExtendColors
// fills the rest of the bar with colour 1 on the side of ColorLow and colour N on the side of
// ColorHigh. The helper scale draws the axis transparently into the same bitmap.
// Deviations from the classic control, keeping its look on every ascending axis:
//  - A descending axis (ScaleRangeLow > ScaleRangeHigh) drew no bar, the loop running from the
//    larger pixel up to the smaller one; the bar is now drawn between the two ends in either order,
//    the mirror of the ascending one.
//  - ExtendColors filled one line beyond the bar's end (the column Width - MarginRight, or the row
//    Height - MarginBottom), outside its rectangle; the fill now ends with the bar.
//  - Margins are also kept at 0 or more, as the helper scale keeps its own.
//  - The axis ends are read back from the helper scale after it repaired an equal pair, so the
//    colour scale and its axis never disagree.
//  - Paint draws nothing when the bitmap cannot be had (a control over 2^28 pixels, no memory)
//    instead of raising.

#include "Qelta_ColorScale.h"

#include <algorithm>

#include "Qelta_plot_internal.h"

namespace qelta {

// [SECTION] layout

std::vector<TColorBarLine> ColorBarLines(int Start, int End, int LowPos, int HighPos, int N, bool Extend,
                                         bool LowFirst) {
  std::vector<TColorBarLine> lines;
  if (End < Start) return lines;
  const int b = std::clamp(LowPos, Start, End), d = std::clamp(HighPos, Start, End);
  const double span = static_cast<double>(HighPos) - LowPos;
  for (int e = std::min(b, d); e <= std::max(b, d); ++e) {
    const int64_t i = b == d ? N / 2 : plot_detail::RoundDouble((e - static_cast<double>(LowPos)) / span * N);
    lines.push_back({e, static_cast<int>(std::clamp<int64_t>(i, 1, N))});
  }
  if (!Extend) return lines;
  const bool lowTowardStart = b != d ? b < d : LowFirst;
  const auto fill = [&lines](int from, int to, int index) {
    for (int e = from; e <= to; ++e) lines.push_back({e, index});
  };
  if (lowTowardStart) {
    if (Start < b) fill(Start, b, 1);
    if (d < End) fill(d, End, N);
  } else {
    if (b < End) fill(b, End, 1);
    if (Start < d) fill(Start, d, N);
  }
  return lines;
}

// [SECTION] construction

TColorScale::TColorScale(TComponent* AOwner)
    : TCustomControl(AOwner),
      FColorArray(std::make_unique<TColorArray>(nullptr)),
      FGrafBmp(std::make_unique<TBitmap>()),
      FScale(std::make_unique<TScale>(this)) {
  FColorArray->OnChange = [this](TObject* Sender) { ColorArrayChange(Sender); };
  FScale->SetSuppressPaint(true);
  FScale->SetIsHelper(true);
  FScale->UseForeignCanvas(FGrafBmp->Canvas(), 0, 0);
  FScale->SetName(u"ColorScale");
  FScale->SetBounds(FScale->Left(), FScale->Top(), 300, 75);
  FScale->SetFrameStyle(fsNone);
  FScale->SetTransparent(true);
  FScale->SetScaleType(sctXT);
  FScale->SetRangeLow(-10);
  FScale->SetRangeHigh(10);
  SetBounds(Left(), Top(), 300, 75);
}

TColorScale::~TColorScale() = default;

void TColorScale::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  SetScaleDims();
}

void TColorScale::SetScaleDims() {
  if (!FScale) return;
  const bool horizontal = FColScaleOrient == csoHorizontal;
  FScale->SetScaleType(horizontal ? sctXT : sctYL);
  FScale->SetBounds(horizontal ? 0 : FScale->Left(), FScale->Top(), Width(), Height());
  if (horizontal) {
    FScale->SetMarginTop(Height() - FMarginBottom);
    FScale->SetMarginLeft(FMarginLeft);
    FScale->SetMarginRight(FMarginRight);
  } else {
    FScale->SetMarginLeft(Width() - FMarginRight);
    FScale->SetMarginTop(FMarginTop);
    FScale->SetMarginBottom(FMarginBottom);
  }
}

void TColorScale::SetSuppPaint(bool value) {
  if (value == FSuppressPaint) return;
  FSuppressPaint = value;
  if (!value) Paint();
}

void TColorScale::ColorArrayChange(TObject* /*Sender*/) { Paint(); }

// [SECTION] values and colours

TColor TColorScale::ValueToColor(double Value) const {
  const int n = FColorArray->Size();
  const int64_t i =
      FColorHigh != FColorLow ? plot_detail::RoundDouble((Value - FColorLow) * n / (FColorHigh - FColorLow)) : n / 2;
  return FColorArray->GetColorElem(static_cast<int>(std::clamp<int64_t>(i, 1, n)));
}

double TColorScale::ColorToValue(TColor Color) const {
  double distance = 0;
  const int i = FColorArray->ColorToIndex(Color, distance);
  return FColorLow + static_cast<double>(i) / FColorArray->Size() * (FColorHigh - FColorLow);
}

// [SECTION] mouse

void TColorScale::WndProc(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (Message.Msg == WM_MOUSEMOVE) WMMouseMoveInScale(Message);
}

void TColorScale::WMMouseMoveInScale(const TMessage& Message) {
  const int x = MouseLParamX(Message.LParam), y = MouseLParamY(Message.LParam);
  const double value = FScale->ConvertPixelToScale(FColScaleOrient == csoHorizontal ? x : y);
  const bool inScale =
      FMarginLeft <= x && x <= Width() - FMarginRight && FMarginTop <= y && y <= Height() - FMarginBottom;
  MouseMoveInScale(inScale, KeysToShiftState(Message.WParam), value);
}

void TColorScale::MouseMoveInScale(bool InScale, TShiftState Shift, double Value) {
  if (OnMouseMoveInScale) OnMouseMoveInScale(this, InScale, Shift, Value);
}

// [SECTION] painting

void TColorScale::Paint() {
  if (!ComponentState().Contains(csDesigning) && (!Visible() || FSuppressPaint)) return;
  if (!plot_detail::SizePicture(*FGrafBmp, Width(), Height())) return;
  TCanvas* c = FGrafBmp->Canvas();
  plot_detail::FillPicture(c, FColorSclBkgd, Width(), Height());
  DrawBar(c);
  FScale->SetFont(Font());
  FScale->SetColorScale(FColorScale);
  FScale->ForcePaint();
  plot_detail::DrawCaption(c, Font(), FCaption, FCaptPosX, FCaptPosY, FCaptSize, FCaptStyle, FCaptColor);
  DrawFrame(c, FFrameSt, 0, 0, Width() - 1, Height() - 1, FColWhiteLine, clSilver, FColGrayLine, FColBlackLine,
            FColBlackLine);
  Canvas()->Draw(0, 0, FGrafBmp.get());
}

void TColorScale::DrawBar(TCanvas* c) {
  const bool horizontal = FColScaleOrient == csoHorizontal;
  const int right = Width() - FMarginRight, bottom = Height() - FMarginBottom;
  const int start = horizontal ? FMarginLeft : FMarginTop, end = (horizontal ? right : bottom) - 1;
  const bool lowFirst = FScale->R2M(FColSclMin) <= FScale->R2M(FColSclMax);  // low values towards start
  const std::vector<TColorBarLine> lines = ColorBarLines(start, end, FScale->R2M(FColorLow), FScale->R2M(FColorHigh),
                                                         FColorArray->Size(), FExtendColors, lowFirst);
  for (const TColorBarLine& line : lines) {
    c->Pen()->SetColor(FColorArray->GetColorElem(line.Index));
    c->MoveTo(horizontal ? line.Pos : FMarginLeft, horizontal ? FMarginTop : line.Pos);
    c->LineTo(horizontal ? line.Pos : right, horizontal ? bottom : line.Pos);
  }
  if (!FFramedColors) return;
  c->Pen()->SetColor(FColorScale);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(FMarginLeft, FMarginTop, right + (horizontal ? 0 : 1), bottom + (horizontal ? 1 : 0));
}

// [SECTION] copying

void TColorScale::Assign(TPersistent* Source) {
  const auto* source = dynamic_cast<const TColorScale*>(Source);
  if (source == nullptr) return TCustomControl::Assign(Source);
  FFrameSt = source->FFrameSt;
  FColBlackLine = source->FColBlackLine;
  FColGrayLine = source->FColGrayLine;
  FColWhiteLine = source->FColWhiteLine;
  FColorScheme = source->FColorScheme;
  Paint();
}

void TColorScale::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TColorScale*>(Dest)) return dest->Assign(this);
  TCustomControl::AssignTo(Dest);
}

// [SECTION] properties

template <class T>
void TColorScale::Store(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  Paint();
}

void TColorScale::SetCaption(const String& value) { Store(FCaption, value); }
void TColorScale::SetCaptionColor(TColor value) { Store(FCaptColor, value); }
void TColorScale::SetCaptionPosX(int value) { Store(FCaptPosX, value); }
void TColorScale::SetCaptionPosY(int value) { Store(FCaptPosY, value); }
void TColorScale::SetCaptionSize(int value) { Store(FCaptSize, value); }
void TColorScale::SetCaptionStyle(TFontStyles value) { Store(FCaptStyle, value); }
void TColorScale::SetColorSclBkgd(TColor value) { Store(FColorSclBkgd, value); }
void TColorScale::SetColorOfScale(TColor value) { Store(FColorScale, value); }
void TColorScale::SetFrameStyle(TFrameStyle value) { Store(FFrameSt, value); }
void TColorScale::SetExtendColors(bool value) { Store(FExtendColors, value); }
void TColorScale::SetFramedColorScale(bool value) { Store(FFramedColors, value); }

void TColorScale::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  plot_detail::SchemeLineColors(value, FColGrayLine, FColWhiteLine);
  Paint();
}

void TColorScale::SetScaleRangeLow(double value) {
  if (value == FColSclMin) return;
  FScale->SetRangeLow(value);
  AdoptScaleRange();
}

void TColorScale::SetScaleRangeHigh(double value) {
  if (value == FColSclMax) return;
  FScale->SetRangeHigh(value);
  AdoptScaleRange();
}

// Both ends as the helper keeps them (it moves an end that equals the other), then repaints.
void TColorScale::AdoptScaleRange() {
  FColSclMin = FScale->RangeLow();
  FColSclMax = FScale->RangeHigh();
  Paint();
}

void TColorScale::SetColorLow(double value) {
  if (value == FColorLow) return;
  FColorLow = value;
  if (value > FColorHigh) FColorHigh = value;
  Paint();
}

void TColorScale::SetColorHigh(double value) {
  if (value == FColorHigh) return;
  FColorHigh = value;
  if (value < FColorLow) FColorLow = value;
  Paint();
}

void TColorScale::SetMargin(int& Field, int value, int extent, int other) {
  value = std::max(0, std::min(value, extent - other - 1));
  if (value == Field) return;
  Field = value;
  SetScaleDims();
  Paint();
}

void TColorScale::SetMarginTop(int value) { SetMargin(FMarginTop, value, Height(), FMarginBottom); }
void TColorScale::SetMarginBottom(int value) { SetMargin(FMarginBottom, value, Height(), FMarginTop); }
void TColorScale::SetMarginLeft(int value) { SetMargin(FMarginLeft, value, Width(), FMarginRight); }
void TColorScale::SetMarginRight(int value) { SetMargin(FMarginRight, value, Width(), FMarginLeft); }

void TColorScale::SetOrientation(TColScaleOrientation value) {
  if (value == FColScaleOrient) return;
  FColScaleOrient = value;
  SetScaleDims();
  Paint();
}

void Qelta_ColorScale::Register() { RegisterComponents(u"Qelta", {ComponentClassOf<TColorScale>()}); }

}  // namespace qelta
