// Qelta_Scale: layout and drawing of the axis.
//
// Layout first (pure functions on the frame, in 64-bit pixels, clamped to int32 only when handed to
// the canvas, so margins and tick pixels near the int32 limit cannot overflow), then DrawXScale /
// DrawYScale, which walk the tick list once: tick mark, position record, OnScaleTickDrawn, label
// through OnBeforeTickLabel, then the date line of a time-of-day tick through the same event; a
// date/time range that has no ticks gets its message at the middle of the range (on a horizontal
// scale on the label side of the line, as the labels). Tick marks start on the base line and run
// Length pixels towards the labels (the canvas leaves out a line's last point). The base line covers
// the axis from its first to its last pixel, both included.
// Transparent painting draws straight onto the target; the along-axis coordinates are the scale's
// own (the position on a foreign canvas moves only the base line), so an owner lines its helper
// up with margins. OnAfterScaleRendered receives the canvas that was drawn on.
// A picture too large for a bitmap (over 2^28 pixels) is drawn straight onto the target, shifted to
// its position, instead of failing for want of memory.

#include <algorithm>
#include <cstdint>

#include "Math.h"
#include "Printers.h"
#include "Qelta_Scale.h"
#include "Screen.h"

namespace qelta {
namespace {

// +1 where ticks and labels point towards growing coordinates (down, right), else -1.
int TickDirection(TScaleType t) { return t == sctXT || t == sctYL ? 1 : -1; }

// The printer's canvas keeps the point size of the screen's labels.
void AdjustPrinterFont(TCanvas* c, const TFont* own) {
  TFont* f = c->Font();
  f->SetPixelsPerInch(Screen()->PixelsPerInch());
  f->SetSize(own->Size());
  f->SetPixelsPerInch(GetDeviceCaps(c, LOGPIXELSY));
}

// Position along the axis where the caption is anchored.
int64_t CaptionAnchorPos(const TScaleFrame& f, TScaleUnitAnchor a) {
  const bool vertical = IsVerticalScale(f.ScaleType);
  const int64_t start = vertical ? f.MarginTop : f.MarginLeft, end = vertical ? f.MarginBottom : f.MarginRight;
  const int64_t extent = vertical ? f.Height : f.Width;
  if (a == uaSclCenter) return start + (extent - start - end) / 2;
  return a == uaSclBotRgt ? extent - end : start;
}

}  // namespace

// [SECTION] layout

int64_t ScaleBaseLine(const TScaleFrame& Frame, int X, int Y) {
  switch (Frame.ScaleType) {
    case sctXT: return int64_t{Y} + Frame.MarginTop;
    case sctYL: return int64_t{X} + Frame.MarginLeft;
    case sctYR: return int64_t{X} + Frame.Width - Frame.MarginRight - 1;
    default: return int64_t{Y} + Frame.Height - Frame.MarginBottom - 1;
  }
}

int64_t ScaleTickEnd(TScaleType Type, int64_t Line, int Length) { return Line + TickDirection(Type) * int64_t{Length}; }

TPoint ScaleLabelPos(const TScaleFrame& Frame, int64_t Line, int64_t Along, int TextWidth, int TextHeight) {
  if (IsVerticalScale(Frame.ScaleType)) {
    const int64_t left = Frame.ScaleType == sctYL ? Line + 8 : Line - 8 - TextWidth;
    return Point(SaturateToInt(left), SaturateToInt(Along - TextHeight / 2));
  }
  const int64_t half = TextWidth / 2;
  int64_t left = std::max<int64_t>(Along - half, 2);
  if (Along + half > int64_t{Frame.Width} - 2) left = int64_t{Frame.Width} - 2 * half - 2;
  const int64_t top = Frame.ScaleType == sctXT ? Line + 7 : Line - TextHeight - 7;
  return Point(SaturateToInt(left), SaturateToInt(top));
}

TPoint ScaleDateLinePos(const TScaleFrame& Frame, int64_t Line, int64_t Along, int TextWidth, int TextHeight) {
  if (IsVerticalScale(Frame.ScaleType)) {
    const TPoint label = ScaleLabelPos(Frame, Line, Along, TextWidth, TextHeight);
    return Point(label.X, SaturateToInt(Along - 3 * (TextHeight / 2)));
  }
  return ScaleLabelPos(Frame, Line + TickDirection(Frame.ScaleType) * int64_t{TextHeight}, Along, TextWidth, TextHeight);
}

TPoint ScaleMessagePos(const TScaleFrame& Frame, int64_t Line, int64_t Along, int Index, int TextWidth,
                       int TextHeight) {
  if (IsVerticalScale(Frame.ScaleType)) {
    const int64_t left = Frame.ScaleType == sctYL ? Line + 2 : Line - 2 - TextWidth;
    return Point(SaturateToInt(left), SaturateToInt(Along + (int64_t{Index} - 1) * TextHeight));
  }
  const int64_t top = Frame.ScaleType == sctXT ? Line + 7 : Line - 7 - TextHeight;
  return Point(SaturateToInt(Along - TextWidth / 2), SaturateToInt(top));
}

TPoint ScaleCaptionPos(const TScaleFrame& Frame, int64_t Line, TScaleUnitAnchor Anchor, TAlignment Align, int PosX,
                       int PosY, int TextWidth, int TextHeight) {
  const int64_t along = CaptionAnchorPos(Frame, Anchor);
  const bool vertical = IsVerticalScale(Frame.ScaleType);
  int64_t x = (vertical ? Line : along) + PosX;
  int64_t y = (vertical ? along : Line) + PosY;
  if (Align == taRightJustify) x -= TextWidth;
  if (Align == taCenter) x -= TextWidth / 2;
  // Never partly outside the picture (the start edge wins for a text larger than it). Across the
  // axis the picture starts where the base line's position puts it.
  const int64_t across = Line - ScaleBaseLine(Frame, 0, 0);
  const int64_t left = vertical ? across : 0, top = vertical ? 0 : across;
  x = std::max(left, std::min(x, left + Frame.Width - TextWidth));
  y = std::max(top, std::min(y, top + Frame.Height - TextHeight));
  return Point(SaturateToInt(x), SaturateToInt(y));
}

// [SECTION] painting

bool TScale::PaintSkipped() const {
  const TComponentState& state = ComponentState();
  if (state.Contains(csLoading) || FSuppressPaint) return true;
  return !Visible() && (FIsHelper || !state.Contains(csDesigning));
}

void TScale::Paint() {
  if (PaintSkipped()) return;
  TCanvas* target = FForeignCv != nullptr ? FForeignCv : Canvas();
  const int x = FForeignCv != nullptr ? FForCvPosX : 0, y = FForeignCv != nullptr ? FForCvPosY : 0;
  target->SetFont(Font());
  if (OnBeforeScaleRendered) OnBeforeScaleRendered(this, target);
  if (FTransparent) {
    PaintTransparent(target, x, y);
  } else {
    PaintThroughBitmap(target, x, y);
  }
}

void TScale::PaintTransparent(TCanvas* Target, int X, int Y) {
  Target->Pen()->SetColor(FColorFG);
  const int64_t line = ScaleBaseLine(Frame(), X, Y);
  DrawAxis(Target, line);
  if (FDrawBaseLine) DrawBaseLine(Target, line);
  if (OnAfterScaleRendered) OnAfterScaleRendered(this, Target);
}

void TScale::PaintThroughBitmap(TCanvas* Target, int X, int Y) {
  if (int64_t{Width()} * Height() <= platform_detail::kMaxImagePixels) {
    if (ComposeOnTarget(Target, X, Y)) return;
    TBitmap picture(Width(), Height());
    picture.Canvas()->SetFont(Font());
    DrawPicture(picture.Canvas());
    Target->Draw(X, Y, &picture);
    return;
  }
  // Too large for a bitmap: the same picture straight onto the target, shifted to its position.
  const TPoint origin = Target->Origin();
  Target->SetOrigin(Point(SaturateToInt(int64_t{origin.X} + X), SaturateToInt(int64_t{origin.Y} + Y)));
  try {
    DrawPicture(Target);
  } catch (...) {
    Target->SetOrigin(origin);
    throw;
  }
  Target->SetOrigin(origin);
}

// The picture composed straight onto the target's pixels through a fresh canvas (in the state a new
// bitmap's canvas has), placed and clipped where the copy of the bitmap would land. Every pixel the
// copy would write gets the very value it would get: the background rectangle covers the picture
// before anything else is drawn, so nothing reads what lay there. Taken only where nothing else could
// tell the difference: the target copies plainly, no trace watches it and no handler is handed the
// picture's canvas. Spares allocating, clearing and copying a bitmap of the whole scale.
bool TScale::ComposeOnTarget(TCanvas* Target, int X, int Y) {
  if (Target->CopyMode() != cmSrcCopy || Target->Trace() != nullptr || OnAfterScaleRendered ||
      Target->Surface().Pixels == nullptr)
    return false;
  const TPoint origin = Target->Origin();
  const int64_t left = int64_t{origin.X} + X, top = int64_t{origin.Y} + Y;
  if (left != SaturateToInt(left) || top != SaturateToInt(top)) return false;
  const TRect clip = Target->ClipRect();  // logical: shift it onto the surface
  const int64_t x0 = std::max<int64_t>(left, int64_t{clip.Left} + origin.X);
  const int64_t y0 = std::max<int64_t>(top, int64_t{clip.Top} + origin.Y);
  const int64_t x1 = std::min<int64_t>(left + Width(), int64_t{clip.Right} + origin.X);
  const int64_t y1 = std::min<int64_t>(top + Height(), int64_t{clip.Bottom} + origin.Y);
  if (x0 >= x1 || y0 >= y1) return true;  // nothing of it shows
  TCanvas picture;
  picture.SetSurface(Target->Surface());
  picture.SetClipLimit(Rect(SaturateToInt(x0), SaturateToInt(y0), SaturateToInt(x1), SaturateToInt(y1)));
  picture.SetOrigin(Point(SaturateToInt(left), SaturateToInt(top)));
  picture.SetFont(Font());
  DrawPicture(&picture);
  return true;
}

void TScale::DrawPicture(TCanvas* c) {
  c->Pen()->SetColor(FColorBG);
  c->Brush()->SetColor(FColorBG);
  c->Rectangle(0, 0, Width(), Height());
  c->Pen()->SetColor(FColorFG);
  const int64_t line = ScaleBaseLine(Frame(), 0, 0);
  DrawAxis(c, line);
  if (FDrawBaseLine) DrawBaseLine(c, line);
  if (OnAfterScaleRendered) OnAfterScaleRendered(this, c);
  DrawFrame(c, FFrameStyle, 0, 0, Width() - 1, Height() - 1, FColWhiteLine, clSilver, FColGrayLine, FColBlackLine,
            FColBlackLine);
}

void TScale::DrawAxis(TCanvas* Canvas, int64_t Line) {
  if (IsVerticalScale(FScaleType)) {
    DrawYScale(Canvas, SaturateToInt(Line));
  } else {
    DrawXScale(Canvas, SaturateToInt(Line));
  }
}

void TScale::DrawBaseLine(TCanvas* Canvas, int64_t Line) {
  const int l = SaturateToInt(Line);
  if (IsVerticalScale(FScaleType)) {
    Canvas->MoveTo(l, FMarginTop);
    Canvas->LineTo(l, SaturateToInt(int64_t{Height()} - FMarginBottom));
  } else {
    Canvas->MoveTo(FMarginLeft, l);
    Canvas->LineTo(SaturateToInt(int64_t{Width()} - FMarginRight), l);
  }
}

// [SECTION] axis

void TScale::DrawXScale(TCanvas* Canvas, int LinePos) { DrawScaleAs(Canvas, IsVerticalScale(FScaleType) ? sctXB : FScaleType, LinePos); }

void TScale::DrawYScale(TCanvas* Canvas, int LinePos) { DrawScaleAs(Canvas, IsVerticalScale(FScaleType) ? FScaleType : sctYL, LinePos); }

TScaleTickRequest TScale::TickRequest(const TScaleFrame& Frame) const {
  TScaleTickRequest s;
  s.RangeLow = FRangeLow;
  s.RangeHigh = FRangeHigh;
  s.MinTicks = FNumTicks;
  s.ShortTicks = FShortTicks;
  s.Logarithmic = FAxLog;
  s.Vertical = IsVerticalScale(Frame.ScaleType);
  s.LabelType = FLabelType;
  s.DecPlaces = FDecPlaces;
  s.UserTickText = FUserTicktext;
  s.ScaleInscript = FScaleInscript;
  s.MaxTicks = ScaleTickLimit(ScaleAxisLength(Frame));
  s.DateFormat = FDTFormat.get();
  return s;
}

void TScale::DrawScaleAs(TCanvas* Canvas, TScaleType Type, int64_t Line) {
  if (Canvas == nullptr) return;
  if (Canvas == Printer()->Canvas()) AdjustPrinterFont(Canvas, Font());
  Canvas->Brush()->SetStyle(FTransparent ? bsClear : bsSolid);
  FTickCount = 0;
  FScaleTickPos.fill(0.0);
  TScaleFrame frame = Frame();
  frame.ScaleType = Type;
  const TScaleTickRequest request = TickRequest(frame);
  for (const TScaleTick& tick : MakeScaleTicks(request)) DrawTick(Canvas, frame, Line, tick);
  DrawMessage(Canvas, frame, Line, request);
  DrawCaption(Canvas, frame, Line);
}

void TScale::DrawTick(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line, const TScaleTick& Tick) {
  const bool vertical = IsVerticalScale(Frame.ScaleType);
  const int along = R2M(Tick.Value), line = SaturateToInt(Line);
  const int length = !Tick.Long ? ShortTickLength : vertical ? LongTickLengthY : LongTickLengthX;
  const int end = SaturateToInt(ScaleTickEnd(Frame.ScaleType, Line, length));
  const TPoint at = vertical ? Point(line, along) : Point(along, line);
  Canvas->MoveTo(at.X, at.Y);
  Canvas->LineTo(vertical ? end : along, vertical ? along : end);
  if (Tick.Recorded) RecordTick(Tick.Value);
  if (OnScaleTickDrawn) OnScaleTickDrawn(this, Canvas, FScaleType, Tick.Value, at.X, at.Y);
  if (Tick.Labelled) DrawTickLabel(Canvas, Frame, Line, along, Tick.Value, Tick.Label, false);
  if (!Tick.DateLine.empty()) DrawTickLabel(Canvas, Frame, Line, along, Tick.Value, Tick.DateLine, true);
}

void TScale::DrawTickLabel(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line, int64_t Along, double Value,
                           String Text, bool DateLine) {
  if (OnBeforeTickLabel) OnBeforeTickLabel(this, FScaleType, Value, Text);
  if (Text.empty()) return;
  const int w = Canvas->TextWidth(Text), h = Canvas->TextHeight(Text);
  const TPoint p = DateLine ? ScaleDateLinePos(Frame, Line, Along, w, h) : ScaleLabelPos(Frame, Line, Along, w, h);
  Canvas->TextOut(p.X, p.Y, Text);
}

// The message of a date/time range that has no ticks, at the middle of the range.
void TScale::DrawMessage(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line, const TScaleTickRequest& Request) {
  const std::vector<String> lines = ScaleMessage(Request);
  const int along = R2M((FRangeLow + FRangeHigh) / 2);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TPoint p = ScaleMessagePos(Frame, Line, along, static_cast<int>(i), Canvas->TextWidth(lines[i]),
                                     Canvas->TextHeight(lines[i]));
    Canvas->TextOut(p.X, p.Y, lines[i]);
  }
}

void TScale::DrawCaption(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line) {
  if (FUnitLabel.empty()) return;
  const TPoint p = ScaleCaptionPos(Frame, Line, FLblAnchor, FLblAlign, FLblPosX, FLblPosY,
                                   Canvas->TextWidth(FUnitLabel), Canvas->TextHeight(FUnitLabel));
  Canvas->TextOut(p.X, p.Y, FUnitLabel);
}

}  // namespace qelta
