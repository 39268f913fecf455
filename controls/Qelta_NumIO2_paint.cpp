// Qelta_NumIO: the numeric input control TNumIO2 - drawing, spin buttons, gauge and mouse.
//
// Geometry (pixels of the control, origin top left; div truncates toward zero):
//   LS = LeftSpace, TBW = TextBoxWidth, W x H the control;
//   g  = gauge zone: GaugeHeight + GaugeTopMargin + 1 when the gauge shows, else 0;
//   ty = (H - g - th) div 2, th the text height of the sample "(8g]}ÜÄ§", the top of every text;
//   s  = H - g - 4, taken before AutoSize changes the height (the bevel's bottom follows it);
//   bw = ButWidth + ButSpace when the buttons show, else 0; x0 = LS + TBW + ButSpace; bh = ButHeight div 2;
//   gauge from x = GaugeLeftMargin, GaugeWidth wide, y1 = H - g + GaugeTopMargin to y2 = y1 + GaugeHeight.
// Lines leave out their end point and rectangles their right and bottom edges, as on the platform.
// Every paint builds a fresh bitmap, draws left text, buttons, right text, gauge, box, number, caret
// and selection in that order, and copies it onto the control in one step.
// The mouse places the caret by the mean character width (w div length, at least 1 pixel: a text
// narrower in pixels than in characters would otherwise divide by zero).
// A number wider than the box is drawn right-justified whatever Alignment says, and only its longest
// tail of whole characters shows (the box clipped it on both sides, so that a binary 250 showed
// nothing but leading zeros); when the characters left out hold more than zeros and blanks, a "…"
// stands before the tail, so what shows never reads as another number. Caret, selection and mouse
// follow the same placement.

#include <algorithm>
#include <cmath>

#include "Math.h"
#include "Qelta_NumIO_internal.h"
#include "Qelta_ctlbitmap.h"
#include "StrUtils.h"

namespace qelta {

namespace {

constexpr TColor kGrey = 0x808080, kSilver = 0xC0C0C0;

void SetPenBrush(TCanvas* c, TColor pen, TColor brush) {
  c->Pen()->SetColor(pen);
  c->Pen()->SetStyle(psSolid);
  c->Brush()->SetColor(brush);
  c->Brush()->SetStyle(bsSolid);
}

void Line(TCanvas* c, std::initializer_list<TPoint> points) { c->Polyline(points); }

bool Bevelled(TFrameStyle style) { return style >= fsLowered && style <= fsEngraved; }

constexpr const char16_t* kCutMark = u"\u2026";

// Index of the first character of the longest tail of text that is at most room pixels wide (by
// halving: a pasted text may be long, and every paint asks).
std::size_t TailStart(const TCanvas* c, const String& text, int room) {
  std::size_t lo = 0, hi = text.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (c->TextWidth(text.substr(mid)) > room)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

}  // namespace

// [SECTION] the box and side texts shared with TNumLab

namespace ctl_detail {

std::pair<TColor, TColor> BevelColors(TFrameStyle style, TColor black, TColor gray, TColor white) {
  switch (style) {
    case fsLowered: return {black, white};
    case fsRaised: return {white, black};
    case fsEmbossed: return {gray, gray};
    default: return {white, white};
  }
}

void DrawNumberBox(TCanvas* c, TFrameStyle style, int left, int boxWidth, int h, TColor black, TColor gray,
                   TColor white) {
  if (!Bevelled(style)) {
    c->Rectangle(left, 0, left + boxWidth + 2, h);
    return;
  }
  c->Rectangle(left, 0, left + boxWidth + 2, h - 1);
  const int s = h - 4;
  const auto [tl, br] = BevelColors(style, black, gray, white);
  c->Pen()->SetColor(tl);
  Line(c, {Point(left + 1, s + 1), Point(left + 1, 1), Point(left + boxWidth + 1, 1)});
  c->Pen()->SetColor(br);
  Line(c, {Point(left + 1, s + 3), Point(left + boxWidth + 2, s + 3), Point(left + boxWidth + 2, 0)});
}

void DrawSideText(TCanvas* c, const String& text, int x, int whiteX, int y, bool enabled, TColor back, TColor color) {
  if (enabled) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(back);
    c->Font()->SetColor(color);
    c->TextOut(x, y, text);
    return;
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(clWhite);
  c->TextOut(whiteX, y + 1, text);
  c->Font()->SetColor(kGrey);
  c->TextOut(x, y, text);
}

int BoxTextX(TAlignment a, int left, int boxWidth, int w) {
  return SideTextX(a, left + 4, left + boxWidth - w - 2, left + (boxWidth - w) / 2 + 2);
}

}  // namespace ctl_detail

// [SECTION] layout and measures

TNumIO2::TLayout TNumIO2::Layout(int textHeight, int s) const {
  TLayout l;
  l.W = Width(), l.H = Height();
  l.g = FGaugeVisib ? FGaugeHeight + FGaugeTopMarg + 1 : 0;
  l.ty = (l.H - l.g - textHeight) / 2;
  l.s = s;
  l.bw = FButVisible ? FButWidth + FButSpace : 0;
  l.x0 = FLeftSpace + FTextBoxWidth + FButSpace;
  l.bh = FButHeight / 2;
  l.gy1 = l.H - l.g + FGaugeTopMarg;
  l.gy2 = l.gy1 + FGaugeHeight;
  return l;
}

int TNumIO2::TextWidthOf(const String& text) const {
  TCanvas* c = const_cast<TNumIO2*>(this)->Canvas();
  c->Font()->Assign(const_cast<TNumIO2*>(this)->Font());
  return c->TextWidth(text);
}

// True when a number w pixels wide lies whole between the clip edges of the box at its alignment.
bool TNumIO2::NumberFits(int w) const {
  const int x = ctl_detail::BoxTextX(FAlignment, 0, FTextBoxWidth, w);
  return x >= 3 && x + w <= FTextBoxWidth - 1;
}

TAlignment TNumIO2::NumberAlignment(int w) const { return NumberFits(w) ? FAlignment : taRightJustify; }

// Offset of the caret gap from LS: w the width of the text, w2 of the characters before the gap.
int TNumIO2::TextOffset(int w, int w2) const {
  return ctl_detail::SideTextX(NumberAlignment(w), w2 + 3, FTextBoxWidth + w2 - w - 3,
                               w2 + (FTextBoxWidth - w) / 2 + 1);
}

int TNumIO2::CharPosToXCoords(int pos) const {
  const int w = TextWidthOf(FInBuffer), w2 = TextWidthOf(Copy(FInBuffer, 1, pos));
  return FLeftSpace + TextOffset(w, w2) + 1;
}

int TNumIO2::XCoordsToCharPos(int x) const {
  if (FInBuffer.empty()) return 0;
  const int w = TextWidthOf(FInBuffer);
  const int a = std::max(1, w / Length(FInBuffer));
  const int c =
      std::max(0, ctl_detail::SideTextX(NumberAlignment(w), x - FLeftSpace - 3, x + w - FLeftSpace - FTextBoxWidth + 3,
                                        x - FLeftSpace - (FTextBoxWidth - w) / 2 - 1));
  return (std::min(w, c) + a / 2) / a;
}

// [SECTION] painting

void TNumIO2::Paint() {
  if (FSuppressPaint || FInPaint || (!Visible() && !ComponentState().Contains(csDesigning))) return;
  FInPaint = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{FInPaint};
  const int s = Height() - (FGaugeVisib ? FGaugeHeight + FGaugeTopMarg + 1 : 0) - 4;
  if (FAutoSize) {
    const int h = Canvas()->TextHeight(u"E0") + 6;
    if (h != Height()) TCustomControl::SetBounds(Left(), Top(), Width(), h);
  }
  const std::unique_ptr<TBitmap> bmp = ctl_detail::OffscreenBitmap(Width(), Height());
  if (!bmp) return;
  PaintOn(bmp->Canvas(), s);
  Canvas()->Draw(0, 0, bmp.get());
}

void TNumIO2::PaintOn(TCanvas* c, int s) {
  c->Font()->Assign(Font());
  const TLayout l = Layout(c->TextHeight(ctl_detail::kTextSample), s);
  SetPenBrush(c, FColorOutBG, FColorOutBG);
  c->Rectangle(0, 0, l.W, l.H);
  DrawOutText(c, l, false);
  DrawButtons(c, l);
  DrawOutText(c, l, true);
  DrawGauge(c, l);
  DrawBox(c, l);
  DrawNumber(c, l);
}

void TNumIO2::DrawOutText(TCanvas* c, const TLayout& l, bool right) const {
  const String& text = right ? FRightText : FLeftText;
  const int tw = c->TextWidth(text), LS = FLeftSpace, end = LS + l.bw + FTextBoxWidth;
  const int x = right ? ctl_detail::SideTextX(FRTAlignment, end + 7, l.W - tw - 6, (l.W - (end + tw)) / 2 + end + 1)
                      : ctl_detail::SideTextX(FLTAlignment, 7, LS - tw - 5, (LS - tw) / 2);
  ctl_detail::DrawSideText(c, text, x, x + 1, l.ty, FEnabled, FColorOutBG, FColorOutText);
}

void TNumIO2::DrawButtons(TCanvas* c, const TLayout& l) const {
  if (!FButVisible) return;
  const int x0 = l.x0, bh = l.bh, bw = FButWidth;
  SetPenBrush(c, kGrey, FButColor);
  c->Rectangle(x0, 0, x0 + bw + 1, 2 * bh - 1);
  Line(c, {Point(x0, bh - 1), Point(x0 + bw, bh - 1)});
  if (FBut3D) {
    c->Pen()->SetColor(clWhite);
    Line(c, {Point(x0 + 1, 2 * bh - 3), Point(x0 + 1, bh), Point(x0 + bw, bh)});
    Line(c, {Point(x0 + 1, bh - 2), Point(x0 + 1, 1), Point(x0 + bw, 1)});
    c->Pen()->SetColor(clBlack);
    Line(c, {Point(x0 + 1, 2 * bh - 1), Point(x0 + bw + 1, 2 * bh - 1), Point(x0 + bw + 1, 1)});
  }
  c->Pen()->SetColor(FEnabled ? clBlack : kGrey);
  const int cx = x0 + bw / 2, m = bh / 2, d = bh + m;
  for (int row = 0; row < 3; ++row) {
    Line(c, {Point(cx - row, m - 1 + row), Point(cx + 2 + row, m - 1 + row)});
    Line(c, {Point(cx - row, d - row), Point(cx + 2 + row, d - row)});
  }
}

void TNumIO2::DrawBevel(TCanvas* c, TFrameStyle style, std::initializer_list<TPoint> topLeft,
                        std::initializer_list<TPoint> bottomRight) const {
  const auto [tl, br] = ctl_detail::BevelColors(style, FColBlackLine, FColGrayLine, FColWhiteLine);
  c->Pen()->SetColor(tl);
  Line(c, topLeft);
  c->Pen()->SetColor(br);
  Line(c, bottomRight);
}

void TNumIO2::DrawGauge(TCanvas* c, const TLayout& l) const {
  if (!FGaugeVisib) return;
  const int L = FGaugeLeftMarg, R = L + FGaugeWidth, y1 = l.gy1, y2 = l.gy2;
  SetPenBrush(c, FGaugeFrameSt == fsNone ? FGaugeColorBg : FGaugeColorFrm, FGaugeColorBg);
  c->Rectangle(L, y1, R, y2);
  double f = FMaximum == FMinimum ? 1.0 : (GetNioValue() - FMinimum) / (FMaximum - FMinimum);
  f = std::isnan(f) ? 0.0 : std::clamp(f, 0.0, 1.0);
  const int bar = static_cast<int>(Round(FGaugeWidth * f));
  const TColor barColor = FEnabled ? FGaugeColor : kGrey;
  SetPenBrush(c, barColor, barColor);
  if (bar > 0) c->Rectangle(L, y1, L + bar, y2);
  if (FGaugeFrameSt == fsNone) return;
  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(FGaugeFrameSt == fsSimple     ? FGaugeColorFrm
                     : FGaugeFrameSt == fsEmbossed ? FColWhiteLine
                                                   : FColGrayLine);
  c->Rectangle(L, y1, R, y2);
  if (Bevelled(FGaugeFrameSt))
    DrawBevel(c, FGaugeFrameSt, {Point(L + 1, y2 - 2), Point(L + 1, y1 + 1), Point(R - 1, y1 + 1)},
              {Point(L + 1, y2), Point(R, y2), Point(R, y1)});
}

void TNumIO2::DrawBox(TCanvas* c, const TLayout& l) const {
  const bool warn = OutOfRange();
  TColor pen = FFrameStyle == fsEmbossed ? FColWhiteLine : FColGrayLine;
  if (FFrameStyle == fsNone) pen = FEnabled ? (warn ? FColorWarnBG : FColorBoxBG) : kSilver;
  const TColor brush = !FEnabled ? kSilver : warn ? FColorWarnBG : FColorBoxBG;
  SetPenBrush(c, pen, brush);
  ctl_detail::DrawNumberBox(c, FFrameStyle, FLeftSpace, FTextBoxWidth, l.H - l.g, FColBlackLine, FColGrayLine,
                        FColWhiteLine);
}

// The number, or the tail of it that shows whole (after the cut mark when the rest is significant).
void TNumIO2::DrawNumberText(TCanvas* c, const TLayout& l, int w) const {
  const int LS = FLeftSpace, TBW = FTextBoxWidth;
  const TRect clip = Rect(LS + 3, 2, LS + TBW - 1, l.s + 1);
  if (NumberFits(w)) return c->TextRect(clip, ctl_detail::BoxTextX(FAlignment, LS, TBW, w), l.ty, FInBuffer);
  const std::size_t k = TailStart(c, FInBuffer, TBW - 5);
  const bool cut = FInBuffer.find_first_not_of(u"0 ") < k;
  const int mark = cut ? c->TextWidth(kCutMark) : 0;
  const String tail = FInBuffer.substr(cut ? TailStart(c, FInBuffer, TBW - 5 - mark) : k);
  const int x = LS + TBW - 2 - c->TextWidth(tail);
  c->TextRect(clip, x, l.ty, tail);
  if (cut) c->TextRect(Rect(clip.Left, clip.Top, std::max(clip.Left, x), clip.Bottom), x - mark, l.ty, kCutMark);
}

void TNumIO2::DrawNumber(TCanvas* c, const TLayout& l) const {
  const int LS = FLeftSpace, TBW = FTextBoxWidth, w = c->TextWidth(FInBuffer);
  c->Font()->SetColor(!FEnabled ? kGrey : OutOfRange() ? FColorWarnTxt : FColorBoxText);
  DrawNumberText(c, l, w);
  const int k = TextOffset(w, c->TextWidth(Copy(FInBuffer, 1, FCaretPos)));
  if (k > 0 && k < TBW && FCaretVisib) {
    c->Pen()->SetColor(clBlack);
    Line(c, {Point(LS + k, 3), Point(LS + k, l.H - l.g - 3)});
  }
  if (FSelBegin >= FSelEnd || (!Focused() && FHideSel)) return;
  const int x1 = std::clamp(CharPosToXCoords(FSelBegin), LS, LS + TBW);
  const int x2 = std::clamp(CharPosToXCoords(FSelEnd), LS, LS + TBW);
  const TRect r = Rect(x1, 3, x2, l.H - l.g - 3);
  c->SetCopyMode(cmDstInvert);
  c->CopyRect(r, c, r);
  c->SetCopyMode(cmSrcCopy);
}

// [SECTION] mouse

double TNumIO2::GaugeValue(int x) const {
  const double t = static_cast<double>(x - FGaugeLeftMarg) / FGaugeWidth;
  const int n = static_cast<int>(ButtonPivots.size());
  if (n == 0) return FMinimum + t * (FMaximum - FMinimum);
  if (n == 1) return ButtonPivots[0];
  const int k = static_cast<int>(std::clamp(Round((n - 1) * t), int64_t{0}, int64_t{n - 1}));
  return ButtonPivots[static_cast<size_t>(k)];
}

double TNumIO2::SetFromGauge(int x) {
  const double v = std::min(std::max(GaugeValue(x), FMinimum), FMaximum);
  SetNioValue(v);
  FValueChanged = true;
  return v;
}

void TNumIO2::StepButton(bool up) {
  const double v = GetNioValue();
  if (ButtonPivots.empty()) {
    SetNioValue(std::min(std::max(up ? v + FButIncrem : v - FButIncrem, FMinimum), FMaximum));
    return;
  }
  const double eps = std::pow(10.0, -FDecP);
  const size_t last = ButtonPivots.size() - 1;
  size_t l = 0;
  for (size_t i = 1; i <= last; ++i)
    if (std::fabs(ButtonPivots[i] - v) < std::fabs(ButtonPivots[l] - v)) l = i;
  if (!up && v <= ButtonPivots[l] + eps && l > 0) --l;
  if (up && ButtonPivots[l] - eps <= v && l < last) ++l;
  SetNioValue(ButtonPivots[l]);
}

void TNumIO2::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const int g = FGaugeVisib ? FGaugeHeight + FGaugeTopMarg + 1 : 0, H = Height();
  if (!FReadOnly) FCaretVisib = true;
  if (Y > 0 && Y < H - g) {
    FCaretPos = XCoordsToCharPos(X);
    FSelBegin = FCaretPos;
    SetSelEnd(FCaretPos);
  }
  if (FGaugeVisib && Y > H - g && X >= FGaugeLeftMarg && X <= FGaugeLeftMarg + FGaugeWidth) SetFromGauge(X);
  const int x0 = FLeftSpace + FTextBoxWidth + FButSpace;
  if (FButVisible && X > x0 && X < x0 + FButWidth && Y > 0 && Y < FButHeight) {
    StepButton(Y <= FButHeight / 2);
    Changed();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TNumIO2::MouseMove(TShiftState Shift, int X, int Y) {
  const int g = FGaugeVisib ? FGaugeHeight + FGaugeTopMarg + 1 : 0, H = Height();
  FMouseAreaCode = X > FLeftSpace + FTextBoxWidth ? 2 : X > FLeftSpace ? 1 : 0;
  if (Shift.Contains(ssLeft) && Y > 0 && Y < H - g) {
    const int p = XCoordsToCharPos(X);
    if (p > FSelBegin)
      SetSelEnd(p);
    else
      SetSelBegin(p);
  }
  if (Shift.Contains(ssLeft) && FGaugeVisib && Y > H - g && X >= FGaugeLeftMarg - 1 &&
      X <= FGaugeLeftMarg + FGaugeWidth + 1) {
    const double v = SetFromGauge(X);
    if (OnGaugeChange) OnGaugeChange(this, Shift, v);
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TNumIO2::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FValueChanged) {
    FValueChanged = false;
    Changed();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

}  // namespace qelta
