// Qelta_rchart: the data area of one paint (ConstructDataBmp): the grid, the items by kind and the
// frame.
//
// One pass remembers the pen colour, pen style, pen width, brush colour and font colour it set last
// and sets a canvas property only when the wanted value differs, so a curve of one colour costs one
// pen colour. Runs of tkLineto go into a buffer of 200 points that starts at the remembered pen
// position and is drawn as one polyline when it is full, when another kind comes or when the pass
// ends; the next run starts where the last one ended, so runs join without a gap. Item positions
// are the layer's R2M clamped to +-30000 and shifted by (OffsetX - LRim, OffsetY - TRim). BlkWhite
// draws the item colour in black and fills in silver; frame colours, text backgrounds and the
// brush of line kinds stay.
// Deviations from the classic component, keeping what callers rely on:
//  - The remembered font colour starts unknown: a text item in ChartColor was drawn in whatever
//    colour the canvas font had.
//  - Text items and character marks are written in the control's font (with their own size,
//    style and colour), not in whatever font the canvas was left with by an earlier label, and a
//    character mark is written in the item colour over a clear background (it took the colour of
//    the last text and the cell background of the last filled item).
//  - tkRectFrame and tk3DBar fill with a solid brush (a clear brush left by an earlier item
//    dropped their fill).
//  - Offsets and sizes added to item positions are taken in 64 bits and kept to the int range.
//  - The grid stops after 1000 lines per direction (1000 points) and when a step makes no progress.

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <span>
#include <vector>

#include "Encoding.h"
#include "Qelta_rchart_internal.h"

namespace qelta {

using plot_detail::ClampPixel;
using plot_detail::TAxisToPixel;

namespace {

constexpr int kRunLength = 200;  // points of one polyline
constexpr int kMaxGridLines = 1000;

// The chart's text style, read by the text kinds.
struct TTextLook {
  TFontStyles FontStyle;
  TTextBkg BkStyle = tbClear;
  TColor BkColor = clWhite;
};

// An item's pixel offset or size: rounded half to even, NaN 0, kept to the int range.
int64_t PixelsOf(double v) { return TAxisToPixel::Pixel(v); }

// One pass over the items: the remembered canvas state, the polyline buffer and the kinds.
class TItemPainter {
 public:
  TItemPainter(TCanvas* Canvas, const TLayerArray<TAxisToPixel>& X, const TLayerArray<TAxisToPixel>& Y, int64_t ShiftX,
               int64_t ShiftY, bool BlkWhite, bool Printer, const TTextLook& Look)
      : FCanvas(Canvas), FX(X), FY(Y), FShiftX(ShiftX), FShiftY(ShiftY), FBlkWhite(BlkWhite), FPrinter(Printer), FLook(Look) {}

  void Begin(int LineWidth, TColor ChartColor, TPoint Origin);
  void Draw(const TrcChartItem& it);
  void End();

 private:
  // Canvas position of an item point, with (dx, dy) pixels added before the clamp.
  TPoint Place(const TrcChartItem& it, double x, double y, int64_t dx = 0, int64_t dy = 0) const {
    return Point(SaturateToInt(ClampPixel(FX[it.Layer](x) + dx) + FShiftX),
                 SaturateToInt(ClampPixel(FY[it.Layer](y) + dy) + FShiftY));
  }
  TColor Fill(const TrcChartItem& it) const { return FBlkWhite ? clSilver : it.FillColor; }

  void PenColor(TColor c);
  void PenStyle(TPenStyle s);
  void PenWidth(int w);
  void BrushColor(TColor c);
  void BrushStyle(TBrushStyle s);
  void FontColor(TColor c);
  void Outline(TColor c, const TrcChartItem& it);
  void Filling(const TrcChartItem& it);

  void Flush();
  void Append(TPoint q);
  void Pixel(TPoint p, TColor c) { FCanvas->SetPixels(p.X, p.Y, c); }
  void Box(bool Ellipse, TPoint a, TPoint b, TColor c);

  void Mark(const TrcChartItem& it, TColor c);
  void Line(const TrcChartItem& it, TColor c);
  void LineTo(const TrcChartItem& it, TColor c);
  void Rect(const TrcChartItem& it, TColor c, TPoint a, TPoint b, bool Ellipse);
  void RectFrame(const TrcChartItem& it);
  void Bar3D(const TrcChartItem& it, TColor c);
  void Text(const TrcChartItem& it, TColor c, TPoint p);
  void MoveTo(TPoint q);
  void MoveRelPix(const TrcChartItem& it);
  void LineRelPix(const TrcChartItem& it, TColor c);
  void Arrow(const TrcChartItem& it, TColor c);

  TCanvas* FCanvas;
  const TLayerArray<TAxisToPixel>& FX;
  const TLayerArray<TAxisToPixel>& FY;
  int64_t FShiftX, FShiftY;
  bool FBlkWhite, FPrinter;
  TTextLook FLook;
  // The canvas state this pass set last.
  TColor FPenColor = clBlack;
  TPenStyle FPenStyle = psSolid;
  int FPenWidth = 1;
  TColor FBrushColor = clWhite;
  std::optional<TColor> FFontColor;
  // The polyline buffer and the pen position its next run starts from.
  std::array<TPoint, kRunLength> FRun{};
  int FNumPPa = 0;
  TPoint FPenPos;
};

void TItemPainter::Begin(int LineWidth, TColor ChartColor, TPoint Origin) {
  FCanvas->Pen()->SetWidth(LineWidth);
  FCanvas->MoveTo(Origin.X, Origin.Y);
  FPenPos = Origin;
  FCanvas->Pen()->SetColor(ChartColor);
  FCanvas->Pen()->SetStyle(psSolid);
  FCanvas->Brush()->SetColor(ChartColor);
  FPenColor = FBrushColor = ChartColor;
  FPenStyle = psSolid;
  FPenWidth = LineWidth;
  FFontColor.reset();
  FCanvas->SetTextAlign(TA_LEFT | TA_TOP);
}

void TItemPainter::End() {
  Flush();
  FCanvas->Pen()->SetWidth(1);
}

void TItemPainter::PenColor(TColor c) {
  if (c == FPenColor) return;
  FCanvas->Pen()->SetColor(c);
  FPenColor = c;
}

void TItemPainter::PenStyle(TPenStyle s) {
  if (s == FPenStyle) return;
  FCanvas->Pen()->SetStyle(s);
  FPenStyle = s;
}

void TItemPainter::PenWidth(int w) {
  if (w == FPenWidth) return;
  FCanvas->Pen()->SetWidth(w);
  FPenWidth = w;
}

void TItemPainter::BrushColor(TColor c) {
  if (c == FBrushColor) return;
  FCanvas->Brush()->SetColor(c);
  FBrushColor = c;
}

void TItemPainter::BrushStyle(TBrushStyle s) {
  FCanvas->Brush()->SetStyle(s);
  FBrushColor = FCanvas->Brush()->Color();  // a clear brush takes white
}

void TItemPainter::FontColor(TColor c) {
  if (FFontColor == c) return;
  FCanvas->Font()->SetColor(c);
  FFontColor = c;
}

// Pen c in the item's style, brush in the fill colour, clear for a transparent item.
void TItemPainter::Outline(TColor c, const TrcChartItem& it) {
  PenColor(c);
  BrushColor(Fill(it));
  PenStyle(it.PenStyle);
}

void TItemPainter::Filling(const TrcChartItem& it) {
  if (it.Transp) return BrushStyle(bsClear);
  BrushColor(Fill(it));
  BrushStyle(bsSolid);
}

void TItemPainter::Flush() {
  if (FNumPPa == 0) return;
  FCanvas->Polyline(std::span<const TPoint>(FRun.data(), static_cast<size_t>(FNumPPa)));
  FPenPos = FRun[FNumPPa - 1];
  FCanvas->MoveTo(FPenPos.X, FPenPos.Y);
  FNumPPa = 0;
}

void TItemPainter::Append(TPoint q) {
  if (FNumPPa == 0) FRun[FNumPPa++] = FPenPos;
  FRun[FNumPPa++] = q;
  if (FNumPPa == kRunLength) Flush();
}

// Rectangle or ellipse through both corner pixels (the larger x and y one further, as the canvas
// leaves out the right and bottom edge); one pixel in c when the corners meet.
void TItemPainter::Box(bool Ellipse, TPoint a, TPoint b, TColor c) {
  if (a == b) return Pixel(a, c);
  (a.X > b.X ? a.X : b.X) += 1;
  (a.Y > b.Y ? a.Y : b.Y) += 1;
  if (Ellipse) return FCanvas->Ellipse(a.X, a.Y, b.X, b.Y);
  FCanvas->Rectangle(a.X, a.Y, b.X, b.Y);
}

void TItemPainter::Draw(const TrcChartItem& it) {
  const TColor c = FBlkWhite ? clBlack : it.Color;
  if (it.LWid != FPenWidth) {
    Flush();
    PenWidth(it.LWid);
  }
  switch (it.ItemKind) {
    case tkNone:
    case tkEverything:
    case tkNotMoveTo: return;
    case tkLineto: return LineTo(it, c);
    default: break;
  }
  Flush();
  switch (it.ItemKind) {
    case tkMarkAt: return Mark(it, c);
    case tkLine: return Line(it, c);
    case tkRect: return Rect(it, c, Place(it, it.x, it.y), Place(it, it.x2, it.y2), false);
    case tkRectFrame: return RectFrame(it);
    case tk3DBar: return Bar3D(it, c);
    case tkText: return Text(it, c, Place(it, it.x, it.y));
    case tkMoveTo: return MoveTo(Place(it, it.x, it.y));
    case tkEllipse:
      return Rect(it, c, Place(it, it.x - it.x2, it.y + it.y2), Place(it, it.x + it.x2, it.y - it.y2), true);
    case tkMoveRelPix: return MoveRelPix(it);
    case tkLineRelPix: return LineRelPix(it, c);
    case tkArrow: return Arrow(it, c);
    case tkTextOfs: return Text(it, c, Place(it, it.x, it.y, PixelsOf(it.x2), PixelsOf(it.y2)));
    case tkRectRelPix: {
      const int64_t dx = PixelsOf(it.x2), dy = PixelsOf(it.y2);
      return Rect(it, c, Place(it, it.x, it.y, -dx, -dy), Place(it, it.x, it.y, dx, dy), false);
    }
    default: return;
  }
}

void TItemPainter::Mark(const TrcChartItem& it, TColor c) {
  PenColor(c);
  PenStyle(it.PenStyle);
  const TPoint p = Place(it, it.x, it.y);
  if (it.MarkOrAlign > 51) {
    // A character in the item colour over whatever lies below it.
    if (FPrinter && it.SizeOrAngle > 0) SetCanvasFontSizeScaled(FCanvas, it.SizeOrAngle);
    FontColor(c);
    BrushStyle(bsClear);
  }
  DrawMarkOnCanvas(FCanvas, it.MarkOrAlign, p.X, p.Y);
  FBrushColor = FCanvas->Brush()->Color();
}

void TItemPainter::Line(const TrcChartItem& it, TColor c) {
  PenColor(c);
  PenStyle(it.PenStyle);
  BrushColor(it.FillColor);
  const TPoint a = Place(it, it.x, it.y), b = Place(it, it.x2, it.y2);
  if (a == b) return Pixel(a, c);
  FCanvas->MoveTo(a.X, a.Y);
  FCanvas->LineTo(b.X, b.Y);
}

void TItemPainter::LineTo(const TrcChartItem& it, TColor c) {
  const TPoint q = Place(it, it.x, it.y);
  if (c != FPenColor || it.PenStyle != FPenStyle || it.FillColor != FBrushColor) {
    Flush();
    PenColor(c);
    PenStyle(it.PenStyle);
    BrushColor(it.FillColor);
  }
  Append(q);
}

void TItemPainter::Rect(const TrcChartItem& it, TColor c, TPoint a, TPoint b, bool Ellipse) {
  Outline(c, it);
  Filling(it);
  Box(Ellipse, a, b, c);
}

void TItemPainter::RectFrame(const TrcChartItem& it) {
  const TColor f = Fill(it);
  PenColor(f);
  BrushColor(f);
  BrushStyle(bsSolid);
  PenStyle(it.PenStyle);
  const TPoint a = Place(it, it.x, it.y), b = Place(it, it.x2, it.y2);
  if (a == b) return Pixel(a, f);
  const int l = std::min(a.X, b.X), r = std::max(a.X, b.X), t = std::min(a.Y, b.Y), bt = std::max(a.Y, b.Y);
  FCanvas->Rectangle(l, bt, r, t);
  // The bevel: the first colour on the upper-left sides, the second on the lower-right ones.
  const auto bevel = [&](TColor first, TColor second, int inset) {
    PenColor(first);
    FCanvas->MoveTo(l + inset, bt);
    FCanvas->LineTo(l + inset, t + inset);
    FCanvas->LineTo(r, t + inset);
    if (inset == 0) {
      PenColor(second);
      FCanvas->LineTo(r, bt);
      FCanvas->LineTo(l, bt);
      return;
    }
    FCanvas->LineTo(r, bt);
    FCanvas->LineTo(l + inset, bt);
    PenColor(second);
    FCanvas->MoveTo(l, bt - 1);
    FCanvas->LineTo(l, t);
    FCanvas->LineTo(r - 1, t);
    FCanvas->LineTo(r - 1, bt - 1);
    FCanvas->LineTo(l, bt - 1);
  };
  switch (it.FrameStyle) {
    case fsLowered: return bevel(it.ShadowColor, it.HiLightColor, 0);
    case fsRaised: return bevel(it.HiLightColor, it.ShadowColor, 0);
    case fsEmbossed: return bevel(it.ShadowColor, it.HiLightColor, 1);
    case fsEngraved: return bevel(it.HiLightColor, it.ShadowColor, 1);
    default: return;
  }
}

void TItemPainter::Bar3D(const TrcChartItem& it, TColor c) {
  PenColor(c);
  BrushColor(Fill(it));
  BrushStyle(bsSolid);
  PenStyle(it.PenStyle);
  const TPoint a = Place(it, it.x, it.y), b = Place(it, it.x2, it.y2);
  int64_t l = std::min(a.X, b.X), r = std::max(a.X, b.X);
  const int64_t t = std::min(a.Y, b.Y), bt = std::max(a.Y, b.Y);
  const double angle = it.SizeOrAngle * std::numbers::pi / 180;
  const int64_t dx = PixelsOf(std::cos(angle) * it.Depth), dy = -PixelsOf(std::sin(angle) * it.Depth);
  if (it.SizeOrAngle > 90) std::swap(l, r);
  const auto P = [](int64_t x, int64_t y) { return Point(SaturateToInt(x), SaturateToInt(y)); };
  FCanvas->Polygon({P(l, t), P(l + dx, t + dy), P(r + dx, t + dy), P(r, t)});
  FCanvas->Polygon({P(r + dx, t + dy), P(r, t), P(r, bt), P(r + dx, bt + dy)});
  Box(false, P(l, t), P(r, bt), c);
}

void TItemPainter::Text(const TrcChartItem& it, TColor c, TPoint p) {
  FontColor(c);
  FCanvas->Font()->SetStyle(FLook.FontStyle);
  SetCanvasFontSizeScaled(FCanvas, it.SizeOrAngle);
  BrushColor(FLook.BkColor);
  BrushStyle(FLook.BkStyle == tbSolid ? bsSolid : bsClear);
  const String text = AnsiToString(it.Text);
  int64_t x = p.X;
  const int64_t y = int64_t{p.Y} - FCanvas->TextHeight(text) / 2;
  if (it.MarkOrAlign == taRightJustify) x -= FCanvas->TextWidth(text);
  if (it.MarkOrAlign == taCenter) x -= FCanvas->TextWidth(text) / 2;
  FCanvas->TextOut(SaturateToInt(x), SaturateToInt(y), text);
}

void TItemPainter::MoveTo(TPoint q) {
  FPenPos = q;
  FCanvas->MoveTo(q.X, q.Y);
}

void TItemPainter::MoveRelPix(const TrcChartItem& it) {
  const TPoint at = FCanvas->PenPos();
  MoveTo(Point(SaturateToInt(at.X + PixelsOf(it.x)), SaturateToInt(at.Y + PixelsOf(it.y))));
}

// A line from the canvas pen position; the next run of tkLineto still starts where the last move or
// polyline left the remembered position.
void TItemPainter::LineRelPix(const TrcChartItem& it, TColor c) {
  const TPoint at = FCanvas->PenPos();
  const TPoint q = Point(SaturateToInt(at.X + PixelsOf(it.x)), SaturateToInt(at.Y + PixelsOf(it.y)));
  PenColor(c);
  PenStyle(it.PenStyle);
  BrushColor(it.FillColor);
  FCanvas->LineTo(q.X, q.Y);
  Pixel(q, c);
}

void TItemPainter::Arrow(const TrcChartItem& it, TColor c) {
  Outline(c, it);
  Filling(it);
  const TPoint p1 = Place(it, it.x, it.y), p2 = Place(it, it.x2, it.y2);
  if (p1 == p2) return Pixel(p1, c);
  FCanvas->MoveTo(p1.X, p1.Y);
  FCanvas->LineTo(p2.X, p2.Y);
  const int h = it.SizeOrAngle;
  if (h < 1) return;
  // Angle of the shaft on the canvas, y down; the head's sides lie 20 degrees either side of it.
  constexpr double pi = std::numbers::pi;
  double phi;
  if (p1.X == p2.X) {
    phi = p2.Y - p1.Y < 1 ? 2 * pi : pi;
  } else {
    phi = std::atan(double(p2.Y - p1.Y) / double(p2.X - p1.X)) + (p2.X < p1.X ? 3 * pi / 2 : pi / 2);
  }
  const auto side = [&](double a) {
    return Point(SaturateToInt(p2.X - PixelsOf(std::sin(a) * h)), SaturateToInt(p2.Y + PixelsOf(std::cos(a) * h)));
  };
  const double spread = 20 * pi / 180;
  const TPoint hp = side(phi + spread), hm = side(phi - spread);
  if (it.Transp) {
    FCanvas->MoveTo(p2.X, p2.Y);
    FCanvas->LineTo(hp.X, hp.Y);
    FCanvas->MoveTo(p2.X, p2.Y);
    FCanvas->LineTo(hm.X, hm.Y);
    return;
  }
  FCanvas->Polygon({p2, hp, hm});
}

// [SECTION] grid positions

// Decimal logarithm, a whole number when it lies within 1e-14 of one.
double SnappedLog10(double v) {
  const double l = std::log10(v), whole = std::nearbyint(l);
  return std::fabs(l - whole) < 1e-14 ? whole : l;
}

// Decade and rounded mantissa of v: v ~ Mantissa * 10^Decade.
struct TDecade {
  double Decade, Mantissa;
};
TDecade DecadeOf(double v) {
  const double l = SnappedLog10(v), k = std::floor(l);
  return {k, std::nearbyint(std::pow(10.0, l - k))};
}

// The next logarithmic grid value after v: -1 a decade, -2 steps 1, 2, 5 in each decade, the other
// modes one mantissa unit.
double NextLogLine(double v, double step) {
  if (step == -1) return v * 10;
  const TDecade d = DecadeOf(v);
  const double m = step == -2 ? (d.Mantissa < 2 ? 2 : d.Mantissa < 5 ? 5 : 10) : d.Mantissa + 1;
  return std::pow(10.0, d.Decade) * m;
}

double FirstLogLine(double lo, double step) {
  if (step == -1) return std::pow(10.0, std::ceil(SnappedLog10(lo)));
  const TDecade d = DecadeOf(lo);
  const double p = std::pow(10.0, d.Decade);
  if (step == -2) return p * (d.Mantissa <= 2 ? 2 : d.Mantissa <= 5 ? 5 : 10);
  if (step == -3) return p * d.Mantissa;
  return lo;
}

// Grid values of one axis below hi (lo..hi ascending), at most kMaxGridLines: every step from a
// whole multiple of the step, logarithmic steps for a negative step on a logarithmic axis, or the
// scale's ticks (tick(1..ticks), then hi) for step 0.
std::vector<double> GridLines(double lo, double hi, double step, bool log, const std::function<double(int)>& tick,
                              int ticks) {
  std::vector<double> lines;
  if (step == 0) {
    for (int i = 1; static_cast<int>(lines.size()) < kMaxGridLines; ++i) {
      const double v = i <= ticks ? tick(i) : hi;
      if (!(v < hi)) break;
      lines.push_back(v);
    }
    return lines;
  }
  const bool linear = !log || step > 0;
  double v = linear ? std::ceil(lo / step) * step : FirstLogLine(lo, step);
  while (v < hi && static_cast<int>(lines.size()) < kMaxGridLines) {
    lines.push_back(v);
    const double next = linear ? v + std::fabs(step) : NextLogLine(v, step);
    if (!(next > v)) break;  // no progress: a step below the resolution of v
    v = next;
  }
  return lines;
}

}  // namespace

// [SECTION] ConstructDataBmp

void TCustomRChart::ConstructDataBmp(TCanvas* Canvas, int OffsetX, int OffsetY, bool BlkWhite, int FirstItem) {
  const int top = SaturateToInt(int64_t{RcTRim} - OffsetY), left = SaturateToInt(int64_t{RcLRim} - OffsetX);
  if (OnBeforeRenderData) {
    const TColor pen = Canvas->Pen()->Color(), brush = Canvas->Brush()->Color();
    OnBeforeRenderData(this, Canvas, top, left);
    Canvas->Pen()->SetColor(pen);
    Canvas->Brush()->SetColor(brush);
  }
  if (RcGridStyle != gsNone && FirstItem == 0) DrawGrid(Canvas, OffsetX, OffsetY);
  DrawItems(Canvas, OffsetX, OffsetY, BlkWhite);
  DrawTextLabels(Canvas, OffsetX, OffsetY);
  if (OnDataRendered) OnDataRendered(this, Canvas, top, left);
  DrawDataFrame(Canvas, OffsetX, OffsetY);
}

void TCustomRChart::DrawDataFrame(TCanvas* Canvas, int OffsetX, int OffsetY) {
  Canvas->Pen()->SetColor(FChartFrameCol);
  Canvas->Pen()->SetStyle(psSolid);
  const int right = SaturateToInt(int64_t{OffsetX} + DataWidth()), bottom = SaturateToInt(int64_t{OffsetY} + DataHeight());
  Canvas->MoveTo(OffsetX, OffsetY);
  Canvas->LineTo(right, OffsetY);
  Canvas->LineTo(right, bottom);
  Canvas->LineTo(OffsetX, bottom);
  Canvas->LineTo(OffsetX, OffsetY);
}

void TCustomRChart::DrawItems(TCanvas* Canvas, int OffsetX, int OffsetY, bool BlkWhite) {
  TLayerArray<TAxisToPixel> xs{}, ys{};
  for (int l = 1; l <= MaxChartLayers; ++l) {
    xs[l] = PixelMap(l, true);
    ys[l] = PixelMap(l, false);
  }
  TItemPainter painter(Canvas, xs, ys, int64_t{OffsetX} - RcLRim, int64_t{OffsetY} - RcTRim, BlkWhite,
                       IsPrinterCanvas(Canvas), {FTextFontStyle, FTextBkStyle, FTextBkColor});
  Canvas->SetFont(Font());
  painter.Begin(RcLineWid, RcChartCol, Point(OffsetX, OffsetY));
  for (const TrcChartItem& it : *FItems)
    if (FItClassVisib[it.ItemClass] && GetLayerVisib(it.Layer)) painter.Draw(it);
  painter.End();
}

// [SECTION] grid

void TCustomRChart::DrawGrid(TCanvas* Canvas, int OffsetX, int OffsetY) {
  const int layer = FActiveLayer;
  const TScaleProps& sx = *FScalePropsX[layer];
  const TScaleProps& sy = *FScalePropsY[layer];
  const double xlo = std::min(sx.RangeLow(), sx.RangeHigh()), xhi = std::max(sx.RangeLow(), sx.RangeHigh());
  const double ylo = std::min(sy.RangeLow(), sy.RangeHigh()), yhi = std::max(sy.RangeLow(), sy.RangeHigh());
  const std::vector<double> xs =
      GridLines(xlo, xhi, RcGridDx, sx.Logarithmic(), [this](int i) { return GetTickPosX(i); }, TickNumX());
  const std::vector<double> ys =
      GridLines(ylo, yhi, RcGridDy, sy.Logarithmic(), [this](int i) { return GetTickPosY(i); }, TickNumY());
  // Grid positions are not clamped: the canvas clips.
  const TAxisToPixel mx = PixelMap(layer, true), my = PixelMap(layer, false);
  const auto X = [&](double v) { return SaturateToInt(int64_t{mx(v)} + OffsetX - RcLRim); };
  const auto Y = [&](double v) { return SaturateToInt(int64_t{my(v)} + OffsetY - RcTRim); };
  Canvas->Pen()->SetColor(RcGridCol);
  Canvas->Brush()->SetColor(RcChartCol);
  if (RcGridStyle == gsPoints) {
    int points = 0;
    for (double x : xs)
      for (double y : ys)
        if (points++ < kMaxGridLines) Canvas->SetPixels(X(x), Y(y), RcGridCol);
    return;
  }
  const GridStyleType s = RcGridStyle;
  const bool dotted = s == gsVertDotLines || s == gsHorizDotLines || s == gsDotLines;
  Canvas->Pen()->SetStyle(dotted ? psDot : psSolid);
  if (s == gsVertLines || s == gsLines || s == gsVertDotLines || s == gsDotLines) {
    for (double x : xs) {
      Canvas->MoveTo(X(x), Y(ylo));
      Canvas->LineTo(X(x), Y(yhi));
    }
  }
  if (s == gsHorizLines || s == gsLines || s == gsHorizDotLines || s == gsDotLines) {
    for (double y : ys) {
      Canvas->MoveTo(X(xlo), Y(y));
      Canvas->LineTo(X(xhi), Y(y));
    }
  }
  if (dotted) Canvas->Pen()->SetStyle(psSolid);
}

}  // namespace qelta
