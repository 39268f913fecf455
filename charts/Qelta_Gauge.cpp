// Qelta_Gauge: the gauge TScaleGauge.
//
// Picture, in drawing order: the window's background (lines from GaugeBackground, or one fill),
// the helper scale drawn transparently into the bitmap, the index (lines from GaugeIndex at the
// value's pixel, or at the middle of the window for a moving dial), the cover plate as four
// rectangles round the window, the caption, the window's frame and the control's frame.
// A moving dial sets the scale's range to Value -+ |Max - Min| / 2 (linear) or Value / q .. Value x q
// with q = sqrt(Max / Min) (logarithmic) before every paint.
// Deviations from the classic control, keeping its default look:
//  - ShortTicks and MinTicks start as false and 0 while the helper scale keeps its own true and 3;
//    their setters pass the value on even when it equals the stored one, so setting the default
//    takes effect. MinTicks keeps the value the scale kept (0, or 2..10).
//  - Paint shows Value clamped into the present Min..Max: Value is clamped only when it is set, so
//    changing Min or Max left it outside (a moving logarithmic dial with Value 0 got the range 0..0).
//    The stored Value stays.
//  - A window of no width or height gives the colour fraction 0 in the gradients and the band
//    instead of dividing by zero.
//  - Value, Min and Max ignore NaN; margins are kept at 0 or more.
//  - The frames use the colour scheme's line colours (white, $C0C0C0, gray, black, black with csBWG).
//  - Paint draws nothing when the bitmap cannot be had (a control over 2^28 pixels, no memory)
//    instead of raising.
//  - A tick label of the scale is written only when its box lies whole inside the window's frame
//    and clear of the labels written before it: the cover plate, drawn over the scale, cut the end
//    labels so that they read as other numbers (-10.0 as ".0", 1000 as "100").

#include "Qelta_Gauge.h"

#include <algorithm>
#include <cmath>

#include "DirectPaths.h"
#include "Qelta_plot_internal.h"
#include "Qelta_qeltacolors.h"

namespace qelta {
namespace {

// The colour fraction num / den, 0 for an empty extent.
double Fraction(double num, double den) { return den != 0 ? num / den : 0.0; }

// A line across the axis at pixel `along`, from `from` to `to` (the end left out) across it.
TGaugeStroke Across(bool vertical, int along, int from, int to, TColor color) {
  return vertical ? TGaugeStroke{from, along, to, along, color} : TGaugeStroke{along, from, along, to, color};
}

// Rows (or columns) i = 1..10 of a triangle centred on p, the row i at `row(i)`, each
// i div 2 + i div 2 + 1 pixels long.
template <class Row>
void Triangle(TGaugeStrokes& out, bool vertical, int p, Row row, TColor color) {
  for (int i = 1; i <= 10; ++i) {
    const int r = row(i);
    out.push_back(vertical ? TGaugeStroke{r, p - i / 2, r, p + i / 2 + 1, color}
                           : TGaugeStroke{p - i / 2, r, p + i / 2 + 1, r, color});
  }
}

void Thread(TGaugeStrokes& out, const TGaugeFrame& f, int p, TColor color) {
  out.push_back(Across(f.Vertical, p, 0, f.Vertical ? f.Width : f.Height, color));
}

// Pixels of a frame style's lines inside the rectangle it is drawn round.
int FrameInset(TFrameStyle style) {
  if (style == fsNone) return 0;
  return style == fsSimple ? 1 : 2;
}

// Pixel lines of a band 7 pixels long from `from` towards `to` along the axis (rightwards, or
// upwards on a vertical gauge); none when it would run backwards. `color(pos)` colours each line.
template <class Colour>
void Band(TGaugeStrokes& out, const TGaugeFrame& f, int from, int to, Colour color) {
  const int base = f.Vertical ? f.Width - f.ScaleRight : f.Height - f.ScaleBottom;
  const int extent = f.Vertical ? f.Height : f.Width;
  if (f.Vertical) {
    for (int y = std::min(from, extent); y >= std::max(to, -1); --y)
      out.push_back(Across(true, y, base, base + 7, color(y)));
  } else {
    for (int x = std::max(from, -1); x <= std::min(to, extent); ++x)
      out.push_back(Across(false, x, base, base + 7, color(x)));
  }
}

void Bar(TGaugeStrokes& out, const TGaugeFrame& f, int p, TColor color) {
  const int base = f.Vertical ? f.Width - f.ScaleRight : f.Height - f.ScaleBottom;
  for (int q = p - 1; q <= p + 1; ++q)
    out.push_back(Across(f.Vertical, q, base + 2 + (q == p ? 1 : 0), base + 10, color));
}

}  // namespace

// [SECTION] layout

TGaugeStrokes GaugeBackground(const TGaugeFrame& f, TGaugeBackground Background, TColor Color1, TColor Color2) {
  TGaugeStrokes out;
  const bool vertLines = Background == gbVertGrad || Background == gbVertMidBand;
  const int start = vertLines ? f.MarginLeft : f.MarginTop;
  const int n = vertLines ? f.Width - f.MarginLeft - f.MarginRight : f.Height - f.MarginTop - f.MarginBottom;
  const int across = vertLines ? f.Height : f.Width;
  const auto line = [&](int at, double t) {
    out.push_back(Across(!vertLines, at, 0, across, InterpolateColor(Color1, Color2, t)));
  };
  if (Background == gbPlain || n < 0) return out;
  if (Background == gbVertGrad || Background == gbHorizGrad) {
    for (int i = 0; i <= n; ++i) line(start + i, Fraction(i, n));
    return out;
  }
  for (int a = 0; a <= n / 2; ++a) {
    line(start + a, Fraction(2.0 * a, n));
    line(start + n - a, Fraction(2.0 * a, n));
  }
  return out;
}

TGaugeStrokes GaugeIndex(const TGaugeFrame& f, TGaugeIndexMode Mode, int P, int Zero, bool AboveZero, TColor Color1,
                         TColor Color2) {
  TGaugeStrokes out;
  const bool v = f.Vertical;
  const int below = v ? f.Width - f.ScaleRight : f.Height - f.ScaleBottom;  // the scale's far side
  const int above = v ? f.ScaleLeft : f.ScaleTop;                           // the window's near side
  switch (Mode) {
    case gimThread:
      Thread(out, f, P, Color1);
      break;
    case gimTriangle:
      Triangle(
          out, v, P, [below](int i) { return below + i - 1; }, Color1);
      break;
    case gimThreadTriangle:
      Thread(out, f, P, Color1);
      Triangle(
          out, v, P, [below, v](int i) { return below + i - (v ? 1 : 0); }, Color2);
      break;
    case gimThreadTwoTriangles:
      Thread(out, f, P, Color1);
      Triangle(
          out, v, P, [above](int i) { return above - i + 10; }, Color2);
      Triangle(
          out, v, P, [below](int i) { return below + i - 1; }, Color2);
      break;
    case gimBand: {
      const int start = v ? f.Height - f.MarginBottom : f.MarginLeft;
      const int end = v ? f.MarginTop : f.Width - f.MarginRight;
      Band(out, f, start, P,
           [&](int at) { return InterpolateColor(Color1, Color2, Fraction(at - start, end - start)); });
      break;
    }
    case gimDualColorBand:
      if (AboveZero)
        Band(out, f, Zero, P, [Color1](int) { return Color1; });
      else
        Band(out, f, P, Zero, [Color2](int) { return Color2; });
      break;
    case gimBar:
      Bar(out, f, P, Color1);
      break;
  }
  return out;
}

// [SECTION] construction

TScaleGauge::TScaleGauge(TComponent* AOwner)
    : TCustomControl(AOwner), FGrafBmp(std::make_unique<TBitmap>()), FScale(std::make_unique<TScale>(this)) {
  FScale->SetSuppressPaint(true);
  FScale->SetIsHelper(true);
  FScale->UseForeignCanvas(FGrafBmp->Canvas(), 0, 0);
  FScale->SetName(u"GaugeScale");
  FScale->SetBounds(FScale->Left(), FScale->Top(), 300, 75);
  FScale->SetFrameStyle(fsNone);
  FScale->SetTransparent(true);
  FScale->SetScaleType(sctXT);
  FScale->SetRange(FGaugeMin, FGaugeMax);
  FScale->SetLogarithmic(false);
  FScale->OnBeforeTickLabel = [this](TObject*, TScaleType, double value, String& text) { FitTickLabel(value, text); };
  SetBounds(Left(), Top(), 300, 75);
}

TScaleGauge::~TScaleGauge() = default;

void TScaleGauge::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  SetScaleDims();
}

void TScaleGauge::SetScaleDims() {
  if (!FScale) return;
  const bool horizontal = FGaugeOrient == goHorizontal;
  FScale->SetScaleType(horizontal ? sctXB : sctYR);
  FScale->SetBounds(horizontal ? FCovMargLeft : FScale->Left(), FScale->Top(), Width(), Height());
  FScale->SetMarginLeft(FCovMargLeft);
  FScale->SetMarginRight(FCovMargRight + (horizontal ? 0 : 10));
  FScale->SetMarginTop(FCovMargTop);
  FScale->SetMarginBottom(FCovMargBottom + (horizontal ? 10 : 0));
}

TGaugeFrame TScaleGauge::Layout() const {
  return TGaugeFrame{Width(),
                     Height(),
                     FCovMargLeft,
                     FCovMargRight,
                     FCovMargTop,
                     FCovMargBottom,
                     FScale->MarginLeft(),
                     FScale->MarginRight(),
                     FScale->MarginTop(),
                     FScale->MarginBottom(),
                     FGaugeOrient == goVertical};
}

// [SECTION] painting

double TScaleGauge::ShownValue() const {
  return std::clamp(FGaugeValue, std::min(FGaugeMin, FGaugeMax), std::max(FGaugeMin, FGaugeMax));
}

void TScaleGauge::SetDialRange() {
  if (FScaleFixed) return;
  const double v = ShownValue();
  if (FLogarithmic) {
    const double q = std::sqrt(FGaugeMax / FGaugeMin);
    FScale->SetRange(v / q, v * q);
  } else {
    const double half = std::fabs(FGaugeMax - FGaugeMin) / 2;
    FScale->SetRange(v - half, v + half);
  }
}

void TScaleGauge::Paint() {
  if (!ComponentState().Contains(csDesigning) && !Visible()) return;
  if (!plot_detail::SizePicture(*FGrafBmp, Width(), Height())) return;
  TCanvas* c = FGrafBmp->Canvas();
  const TGaugeFrame f = Layout();
  SetDialRange();
  if (FGaugeBG == gbPlain) plot_detail::FillPicture(c, FColorSclBG1, Width(), Height());
  DrawBackground(c, f);
  FScale->SetFont(Font());
  FScale->SetColorScale(FColorScale);
  FLabelBoxes.clear();
  FScale->ForcePaint();
  const int middle = f.Vertical ? (f.Height - f.MarginTop - f.MarginBottom) / 2 + f.MarginTop
                                : (f.Width - f.MarginLeft - f.MarginRight) / 2 + f.MarginLeft;
  const int p = FScaleFixed ? FScale->ConvertToPixelCoords(ShownValue()) : middle;
  DrawStrokes(c, GaugeIndex(f, FGaugeIdxMode, p, FScale->ConvertToPixelCoords(FGaugeZero), ShownValue() >= FGaugeZero,
                            FColorIndex1, FColorIndex2));
  DrawCover(c);
  plot_detail::DrawCaption(c, Font(), FCaption, FCaptPosX, FCaptPosY, FCaptSize, FCaptStyle, FCaptColor);
  DrawFrame(c, FInnerFrameSt, f.MarginLeft, f.MarginTop, f.Width - f.MarginRight - 1, f.Height - f.MarginBottom - 1,
            FColWhiteLine, clSilver, FColGrayLine, FColBlackLine, FColBlackLine);
  DrawFrame(c, FOuterFrameSt, 0, 0, f.Width - 1, f.Height - 1, FColWhiteLine, clSilver, FColGrayLine, FColBlackLine,
            FColBlackLine);
  Canvas()->Draw(0, 0, FGrafBmp.get());
}

// Called by the scale before each label, with the label's font on the picture: empties a label that
// would not show whole inside the window's frame or would overlap one written before.
void TScaleGauge::FitTickLabel(double Value, String& Text) {
  if (Text.empty()) return;
  const TCanvas* c = FGrafBmp->Canvas();
  const TScaleFrame f = FScale->Frame();
  const TPoint p = ScaleLabelPos(f, ScaleBaseLine(f, 0, 0), FScale->R2M(Value), c->TextWidth(Text), c->TextHeight(Text));
  const TRect box = plot_detail::FigureBox(c, p.X, p.Y, Text);
  const int inset = FrameInset(FInnerFrameSt);
  const TRect window = Rect(FCovMargLeft + inset, FCovMargTop + inset, Width() - FCovMargRight - inset,
                            Height() - FCovMargBottom - inset);
  if (!plot_detail::BoxInside(box, window) || !plot_detail::ClaimLabelBox(FLabelBoxes, box)) Text.clear();
}

void TScaleGauge::DrawStrokes(TCanvas* c, const TGaugeStrokes& strokes) {
  c->Pen()->SetStyle(psSolid);
  for (const TGaugeStroke& s : strokes) {
    c->Pen()->SetColor(s.Color);
    c->MoveTo(s.X1, s.Y1);
    c->LineTo(s.X2, s.Y2);
  }
}

// The background lines change only with the size, the window and the colours: they are drawn
// once into a picture of their own and every paint copies the box they cover (they fill it whole:
// one line for every column, or row, of the window, each across the whole picture). A traced
// canvas, a pen or copy mode other than a plain one-pixel copy, and the platform's general paths
// get the lines themselves.
void TScaleGauge::DrawBackground(TCanvas* c, const TGaugeFrame& f) {
  const auto strokes = [&] { return GaugeBackground(f, FGaugeBG, FColorSclBG1, FColorSclBG2); };
  const bool plainPen = c->Pen()->Width() <= 1 && c->Pen()->Mode() == pmCopy && c->CopyMode() == cmSrcCopy;
  if (c->Trace() != nullptr || !platform_detail::DirectPaths() || !plainPen) return DrawStrokes(c, strokes());
  const TBackgroundKey key{f.Width,        f.Height, f.MarginLeft, f.MarginRight, f.MarginTop,
                           f.MarginBottom, FGaugeBG, FColorSclBG1, FColorSclBG2};
  if (!(key == FBackKey)) {
    FBackKey = TBackgroundKey{};  // nothing kept should the picture fail
    if (!plot_detail::SizePicture(FBackBmp, f.Width, f.Height)) return DrawStrokes(c, strokes());
    const TGaugeStrokes lines = strokes();
    DrawStrokes(FBackBmp.Canvas(), lines);
    FBackBox = TRect{};
    for (const TGaugeStroke& s : lines) {  // every line runs from 0 across the picture
      const TRect box = Rect(s.X1, s.Y1, s.X1 == s.X2 ? s.X1 + 1 : s.X2, s.Y1 == s.Y2 ? s.Y1 + 1 : s.Y2);
      FBackBox = FBackBox.Right > FBackBox.Left
                     ? Rect(std::min(FBackBox.Left, box.Left), std::min(FBackBox.Top, box.Top),
                            std::max(FBackBox.Right, box.Right), std::max(FBackBox.Bottom, box.Bottom))
                     : box;
    }
    FBackKey = key;
  }
  if (FBackBox.Right > FBackBox.Left) c->CopyRect(FBackBox, FBackBmp.Canvas(), FBackBox);
}

void TScaleGauge::DrawCover(TCanvas* c) {
  const int w = Width(), h = Height();
  c->Pen()->SetColor(FColorCover);
  c->Brush()->SetColor(FColorCover);
  c->Brush()->SetStyle(bsSolid);
  c->Rectangle(0, 0, FCovMargLeft, h);
  c->Rectangle(w - FCovMargRight, 0, w, h);
  c->Rectangle(0, 0, w, FCovMargTop);
  c->Rectangle(0, h - FCovMargBottom, w, h);
}

// [SECTION] mouse

void TScaleGauge::WndProc(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (Message.Msg == WM_MOUSEMOVE) WMMouseMoveInGauge(Message);
}

void TScaleGauge::WMMouseMoveInGauge(const TMessage& Message) {
  const int x = MouseLParamX(Message.LParam), y = MouseLParamY(Message.LParam);
  const double value = FScale->ConvertPixelToScale(FGaugeOrient == goHorizontal ? x : y);
  const bool inGauge = FScale->MarginLeft() <= x && x <= FScale->Width() - FScale->MarginRight() &&
                       FScale->MarginTop() <= y && y <= Height() - FScale->MarginBottom();
  if (OnMouseMoveInGauge) OnMouseMoveInGauge(this, inGauge, KeysToShiftState(Message.WParam), value);
}

// [SECTION] copying

void TScaleGauge::Assign(TPersistent* Source) {
  const auto* source = dynamic_cast<const TScaleGauge*>(Source);
  if (source == nullptr) return TCustomControl::Assign(Source);
  FInnerFrameSt = source->FInnerFrameSt;
  FOuterFrameSt = source->FOuterFrameSt;
  FGaugeValue = source->FGaugeValue;
  FColorSclBG1 = source->FColorSclBG1;
  FColorSclBG2 = source->FColorSclBG2;
  FColBlackLine = source->FColBlackLine;
  FColGrayLine = source->FColGrayLine;
  FColWhiteLine = source->FColWhiteLine;
  FColorScheme = source->FColorScheme;
  Paint();
}

void TScaleGauge::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TScaleGauge*>(Dest)) return dest->Assign(this);
  TCustomControl::AssignTo(Dest);
}

// [SECTION] properties

template <class T>
void TScaleGauge::Store(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  Paint();
}

void TScaleGauge::SetValue(double value) {
  if (value == FGaugeValue || std::isnan(value)) return;
  Store(FGaugeValue, std::clamp(value, std::min(FGaugeMin, FGaugeMax), std::max(FGaugeMin, FGaugeMax)));
}

void TScaleGauge::SetMin(double value) {
  if (value == FGaugeMin || std::isnan(value) || (FLogarithmic && !(value > 0))) return;
  FGaugeMin = value;
  FScale->SetRangeLow(value);
  Paint();
}

void TScaleGauge::SetMax(double value) {
  if (value == FGaugeMax || std::isnan(value) || (FLogarithmic && !(value > 0))) return;
  FGaugeMax = value;
  FScale->SetRangeHigh(value);
  Paint();
}

void TScaleGauge::SetLogarithmic(bool value) {
  if (value == FLogarithmic || !(FGaugeMin > 0 && FGaugeMax > 0)) return;
  FLogarithmic = value;
  FScale->SetLogarithmic(value);
  Paint();
}

void TScaleGauge::SetFixedDial(bool value) {
  if (value == FScaleFixed) return;
  FScaleFixed = value;
  if (value) {
    FScale->SetRange(FGaugeMin, FGaugeMax);
    SetScaleDims();
  }
  Paint();
}

void TScaleGauge::SetMinTicks(int value) {
  FScale->SetMinTicks(value);
  FMinTicks = FScale->MinTicks();
  Paint();
}

void TScaleGauge::SetShortTicks(bool value) {
  FShortTicks = value;
  FScale->SetShortTicks(value);
  Paint();
}

void TScaleGauge::SetMargin(int& Field, int value, int extent, int other) {
  value = std::max(0, std::min(value, extent - other - 20));
  if (value == Field) return;
  Field = value;
  SetScaleDims();
  Paint();
}

void TScaleGauge::SetMarginLeft(int value) { SetMargin(FCovMargLeft, value, Width(), FCovMargRight); }
void TScaleGauge::SetMarginRight(int value) { SetMargin(FCovMargRight, value, Width(), FCovMargLeft); }
void TScaleGauge::SetMarginTop(int value) { SetMargin(FCovMargTop, value, Height(), FCovMargBottom); }
void TScaleGauge::SetMarginBottom(int value) { SetMargin(FCovMargBottom, value, Height(), FCovMargTop); }

void TScaleGauge::SetOrientation(TGaugeOrientation value) {
  if (value == FGaugeOrient) return;
  FGaugeOrient = value;
  SetScaleDims();
  Paint();
}

void TScaleGauge::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  plot_detail::SchemeLineColors(value, FColGrayLine, FColWhiteLine);
  Paint();
}

void TScaleGauge::SetGaugeZero(double value) { Store(FGaugeZero, value); }
void TScaleGauge::SetBackground(TGaugeBackground value) { Store(FGaugeBG, value); }
void TScaleGauge::SetIndexMode(TGaugeIndexMode value) { Store(FGaugeIdxMode, value); }
void TScaleGauge::SetColorIndex1(TColor value) { Store(FColorIndex1, value); }
void TScaleGauge::SetColorIndex2(TColor value) { Store(FColorIndex2, value); }
void TScaleGauge::SetColorBg1(TColor value) { Store(FColorSclBG1, value); }
void TScaleGauge::SetColorBg2(TColor value) { Store(FColorSclBG2, value); }
void TScaleGauge::SetColorCover(TColor value) { Store(FColorCover, value); }
void TScaleGauge::SetColorScale(TColor value) { Store(FColorScale, value); }
void TScaleGauge::SetCaption(const String& value) { Store(FCaption, value); }
void TScaleGauge::SetCaptionColor(TColor value) { Store(FCaptColor, value); }
void TScaleGauge::SetCaptionPosX(int value) { Store(FCaptPosX, value); }
void TScaleGauge::SetCaptionPosY(int value) { Store(FCaptPosY, value); }
void TScaleGauge::SetCaptionSize(int value) { Store(FCaptSize, value); }
void TScaleGauge::SetCaptionStyle(TFontStyles value) { Store(FCaptStyle, value); }
void TScaleGauge::SetFrameStyleInner(TFrameStyle value) { Store(FInnerFrameSt, value); }
void TScaleGauge::SetFrameStyleOuter(TFrameStyle value) { Store(FOuterFrameSt, value); }

void Qelta_Gauge::Register() { RegisterComponents(u"Qelta", {ComponentClassOf<TScaleGauge>()}); }

}  // namespace qelta
