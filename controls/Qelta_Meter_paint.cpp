// Qelta_Meter: painting. One pass into an off-screen bitmap of the control's size, in this order:
// background (colour or picture), zones (three pies blanked in the middle to a ring), the scale (arc,
// short ticks, main ticks with labels: decades on a logarithmic scale spanning one or more, else the
// tick rule's steps), the caption, the needles (the second, then the host's turn, then the first),
// the cover rims, the window bevel with the anchor cap (picture, knob or half disc), the limit lamps,
// the host's OnMeterRendered and the outer frame; then one copy onto the control.
// A point at radius rho in direction theta (radians, counter-clockwise from the x axis) is
// (Round(cos theta x rho + CX), Round(CY - sin theta x rho)).
// Every tick loop has a bound, so a scale stored unchecked while loading still paints and returns.
// Rims and the anchor size are taken within +-2^24 here so that no sum of them overflows.

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "Qelta_Meter.h"
#include "Qelta_math1.h"
#include "Qelta_stringl.h"

namespace qelta {

/// Tick rule and label measures of one paint.
struct TMeter::TPaintScale {
  double First = 0, Dist = 0;
  int NSub = 1;
  int Decimals = 0;
  double Dx = 0, Dy = 0;  // label insets from the arc
};

namespace {

constexpr int kMaxTicks = 100000;   // far above any tick rule's count
constexpr int kMaxDecades = 700;    // 1e-324 .. 1e308 and some
constexpr double kDecadeTol = 0.999999999;

int Sane(int v) { return std::clamp(v, -(1 << 24), 1 << 24); }

// A path from the first point through the others, each segment without its end pixel.
void Path(TCanvas* c, TColor color, std::initializer_list<TPoint> points) {
  c->Pen()->SetColor(color);
  c->MoveTo(points.begin()->X, points.begin()->Y);
  for (auto p = points.begin() + 1; p != points.end(); ++p) c->LineTo(p->X, p->Y);
}

// The path continued from the pen's position.
void PathOn(TCanvas* c, TColor color, std::initializer_list<TPoint> points) {
  c->Pen()->SetColor(color);
  for (const TPoint& p : points) c->LineTo(p.X, p.Y);
}

void PenAndBrush(TCanvas* c, TColor color) {
  c->Pen()->SetColor(color);
  c->Brush()->SetColor(color);
}

bool HasPicture(const TBitmap& picture, const String& name) { return !name.empty() && !picture.Empty(); }

// A 10 x 10 lamp with its left edge at x0 below the top rim t: black outline, three-colour bevel.
void DrawLamp(TCanvas* c, int x0, int t, TColor fill) {
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(fill);
  c->Rectangle(x0, t + 18, x0 + 10, t + 8);
  Path(c, clWhite, {{x0 + 1, t + 17}, {x0 + 9, t + 17}, {x0 + 9, t + 8}});
  Path(c, clSilver, {{x0 + 2, t + 16}, {x0 + 8, t + 16}, {x0 + 8, t + 9}});
  Path(c, clGray, {{x0 + 1, t + 16}, {x0 + 1, t + 9}, {x0 + 9, t + 9}});
}

}  // namespace

// [SECTION] the pass

void TMeter::Paint() {
  if (!(FMeterRadius > 0) || Width() <= 0 || Height() <= 0) return;  // no dial, or no pixel to show
  std::unique_ptr<TBitmap> picture;
  try {
    picture = std::make_unique<TBitmap>(Width(), Height());
  } catch (const std::exception&) {
    return;  // no bitmap of that size: nothing to show
  }
  RenderMeter(picture->Canvas());
  Canvas()->Draw(0, 0, picture.get());
}

void TMeter::RenderMeter(TCanvas* c) {
  if (!(FMeterRadius > 0)) return;
  DrawBackground(c);
  if (FScaleBkVis) DrawZones(c);
  c->Brush()->SetStyle(bsClear);
  if (FScaleVis) DrawScale(c);
  DrawCaption(c);
  DrawNeedles(c);
  DrawCover(c);
  DrawAnchor(c);
  DrawLamps(c);
  if (OnMeterRendered) OnMeterRendered(this, c);
  DrawOuterFrame(c);
}

// [SECTION] background and zones

void TMeter::DrawBackground(TCanvas* c) {
  const int w = Width(), h = Height();
  TBitmap* p = AuxBGBmp.get();
  if (!HasPicture(*p, FBakGndFName)) {
    c->Font()->Assign(Font());
    PenAndBrush(c, FColorBakG);
    c->Rectangle(0, 0, w, h);
    return;
  }
  const int pw = p->Width(), ph = p->Height();
  switch (FBGFillMode) {
    case bfSimple:
      c->Rectangle(0, 0, w, h);
      c->StretchDraw(Rect(0, 0, pw, ph), p);
      break;
    case bfStretch:
      c->StretchDraw(Rect(0, 0, w, h), p);
      break;
    case bfTile: {
      const int nx = (w - 1) / pw + 1, ny = (h - 1) / ph + 1;
      for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j) c->StretchDraw(Rect(pw * (i - 1), ph * (j - 1), pw * i, ph * j), p);
      break;
    }
  }
}

void TMeter::DrawZones(TCanvas* c) {
  const double r = FMeterRadius;
  const int cx = FMeterCenterX, cy = FMeterCenterY;
  const int r4 = RoundPx(r + 4), ri = RoundPx((100 - FScaleBakWidth) * r / 100);
  const struct {
    double from, to;
    TColor color;
  } zones[] = {{FMinValue, FLowThreshold, FColorBakGLow},
               {FLowThreshold, FHighThreshold, FColorBakGNorm},
               {FHighThreshold, FMaxValue, FColorBakGHigh}};
  for (const auto& z : zones) {
    PenAndBrush(c, z.color);
    const double lower = Direction(z.from), upper = Direction(z.to);
    if (!(std::fabs(lower - upper) > 1e-6)) continue;
    const TPoint a = PolarPoint(upper, r), b = PolarPoint(lower, r);
    c->Pie(cx - r4, cy - r4, cx + r4 + 1, cy + r4, a.X, a.Y, b.X, b.Y);
  }
  PenAndBrush(c, FColorBakG);
  c->Ellipse(cx - ri, cy - ri, cx + ri + 1, cy + ri);
}

// [SECTION] scale

void TMeter::DrawScale(TCanvas* c) {
  const int cx = FMeterCenterX, cy = FMeterCenterY, r = RoundPx(FMeterRadius);
  c->Pen()->SetColor(FColorScale);
  c->Brush()->SetStyle(bsClear);
  if (FScaleLine) {
    const TPoint a = PolarPoint(Direction(FMaxValue), FMeterRadius), b = PolarPoint(Direction(FMinValue), FMeterRadius);
    c->Arc(cx - r, cy - r, cx + r + 1, cy + r, a.X, a.Y, b.X, b.Y);
  }
  TPaintScale s;
  Extended first = 0, dist = 0;
  uint16_t nsub = 1;
  CalcScalePars(FNrTicks, FMinValue, FMaxValue, first, dist, nsub);
  s.First = double(first);
  s.Dist = double(dist);
  s.NSub = std::max<int>(nsub, 1);
  if (FShortTicks) DrawShortTicks(c, s);
  s.Decimals = CalcM(FDecPlaces, FMaxValue, FMinValue);
  c->Font()->Assign(Font());
  const String maxText = strff(FMaxValue, 1, s.Decimals);
  s.Dx = c->TextWidth(maxText) / 2.0 + 15;
  s.Dy = c->TextHeight(maxText) / 2.0 + 15;
  DrawMainTicks(c, s);
}

void TMeter::DrawTick(TCanvas* c, double v, double inner) {
  const double theta = Direction(v);
  const TPoint a = PolarPoint(theta, FMeterRadius), b = PolarPoint(theta, inner);
  c->MoveTo(a.X, a.Y);
  c->LineTo(b.X, b.Y);
}

// Sub-ticks from one main step below the first tick, skipping the main ticks.
void TMeter::DrawShortTicks(TCanvas* c, const TPaintScale& s) {
  if (!(s.Dist > 0 && std::isfinite(s.Dist))) return;
  const double step = s.Dist / s.NSub, start = s.First - s.Dist;
  for (int u = 0; u < kMaxTicks; ++u) {
    const double t = start + u * step, q = (t - s.First) / s.Dist;
    if (std::fabs(q - std::trunc(q)) > 1e-5 && t >= FMinValue) DrawTick(c, t, FMeterRadius - 4);
    if (!(start + (u + 1) * step <= FMaxValue + 0.001 * step)) break;
  }
}

void TMeter::DrawMainTicks(TCanvas* c, const TPaintScale& s) {
  if (LogScale() && std::fabs(std::log10(FMaxValue / FMinValue)) >= 1) return DrawDecades(c, s);
  if (!(s.Dist > 0 && std::isfinite(s.Dist))) return;
  for (int u = 0; u < kMaxTicks; ++u) {
    const double v = s.First + u * s.Dist;
    DrawTick(c, v, FMeterRadius - 8);
    DrawLabel(c, s, v);
    if (!(s.First + (u + 1) * s.Dist <= FMaxValue + 0.001 * s.Dist)) break;
  }
}

// Ticks at 1..9 x 10^n within the range (the tolerance admits the ends); labels at 1, 2 and 5 x 10^n
// unless the range spans less than a factor of 10.
void TMeter::DrawDecades(TCanvas* c, const TPaintScale& s) {
  const double p = std::pow(10.0, std::floor(std::log10(kDecadeTol * FMinValue)));
  const bool labelAll = FMaxValue / FMinValue < 10;
  double k = 1;
  for (int decade = 0; decade < kMaxDecades; ++decade) {
    for (int u = 1; u <= 9; ++u) {
      const double v = u * p * k;
      if (!(v / kDecadeTol > FMinValue && v * kDecadeTol < FMaxValue)) continue;
      DrawTick(c, v, FMeterRadius - 8);
      if (labelAll || u == 1 || u == 2 || u == 5) DrawLabel(c, s, v);
    }
    k *= 10;
    if (!(kDecadeTol * p * k <= FMaxValue)) break;
  }
}

void TMeter::DrawLabel(TCanvas* c, const TPaintScale& s, double v) {
  const double theta = Direction(v);
  const int x = RoundPx(std::cos(theta) * (FMeterRadius - s.Dx) + FMeterCenterX);
  const int y = RoundPx(FMeterCenterY - std::sin(theta) * (FMeterRadius - s.Dy));
  String text = strff(v, 1, s.Decimals);
  if (OnBeforeDrawScaleLabel)
    OnBeforeDrawScaleLabel(this, c, text, x - c->TextWidth(text) / 2, y - c->TextHeight(text) / 2);
  if (!text.empty()) c->TextOut(x - c->TextWidth(text) / 2, y - c->TextHeight(text) / 2, text);
}

void TMeter::DrawCaption(TCanvas* c) {
  c->Font()->Assign(FFontCaption.get());
  c->Brush()->SetStyle(bsClear);
  if (FCaption.empty()) return;
  const int y = FMeterCenterY - RoundPx(FMeterRadius / 3);
  c->TextOut(FMeterCenterX - c->TextWidth(FCaption) / 2, y - c->TextHeight(FCaption) / 2, FCaption);
}

// [SECTION] needles

void TMeter::DrawNeedles(TCanvas* c) {
  if (FNeedle2Layout->Visible()) DrawNeedle(c, *FNeedle2Layout, FValue2);
  bool drawn = false;
  if (OnBeforeDrawNeedle) OnBeforeDrawNeedle(this, c, drawn);
  if (!drawn) DrawNeedle(c, *FNeedleLayout, FValue);
}

// An arrow head at the tip and a shaft of the layout's thickness back to the pivot, over its shadow.
void TMeter::DrawNeedle(TCanvas* c, const TNeedleLayout& n, double v) {
  c->Brush()->SetStyle(bsSolid);
  const double theta = Direction(v), h = n.HeadAngle() * std::numbers::pi / 180;
  const TPoint tip = PolarPoint(theta, n.PercentNeedleLength() * (FMeterRadius - 4) * 0.01);
  const double tx = tip.X, ty = tip.Y, cx = FMeterCenterX, cy = FMeterCenterY;
  const double sx = std::sin(theta) * n.Thickness() / 2, sy = std::cos(theta) * n.Thickness() / 2;
  const double hs = n.HeadSize(), hm = n.HeadMidLeng(), ct = std::cos(theta), st = std::sin(theta);
  const auto at = [](double x, double y) { return Point(RoundPx(x), RoundPx(y)); };
  std::array<TPoint, 7> p = {at(tx - std::cos(theta + h / 2) * hs, ty + std::sin(theta + h / 2) * hs),
                             tip,
                             at(tx - std::cos(theta - h / 2) * hs, ty + std::sin(theta - h / 2) * hs),
                             at(tx - sx - ct * hm, ty - sy + st * hm),
                             at(cx - sx, cy - sy),
                             at(cx + sx, cy + sy),
                             at(tx + sx - ct * hm, ty + sy + st * hm)};
  if (n.ShadowDx() != 0 || n.ShadowDy() != 0) {
    std::array<TPoint, 7> shadow = p;
    for (TPoint& q : shadow) q = at(double(q.X) - n.ShadowDx(), double(q.Y) - n.ShadowDy());
    PenAndBrush(c, n.ShadowColor());
    c->Polygon(shadow);
  }
  c->Pen()->SetColor(n.ColorOutline());
  c->Brush()->SetColor(n.ColorBody());
  c->Polygon(p);
}

// [SECTION] cover, anchor, lamps, frame

void TMeter::DrawCover(TCanvas* c) {
  const int w = Width(), h = Height(), s = Sane(FSRim), t = Sane(FTRim), b = Sane(FBRim);
  PenAndBrush(c, FColorCover);
  c->Rectangle(0, 0, s - 1, h);
  c->Rectangle(0, 0, w, t);
  c->Rectangle(w - s, 0, w, h);
  c->Rectangle(0, h - b, w, h);
}

// The dial's opening looks sunken: white along the bottom and right, gray along the top and left.
void TMeter::DrawWindowBevel(TCanvas* c) {
  const int l = Sane(FSRim) - 1, r = Width() - Sane(FSRim), t = Sane(FTRim), b = Height() - Sane(FBRim);
  Path(c, clWhite, {{l, b}, {r, b}, {r, t}});
  PathOn(c, clGray, {{l, t}, {l, b}});
}

void TMeter::DrawAnchor(TCanvas* c) {
  if (!FAnchorCovrd) return DrawWindowBevel(c);
  if (!HasPicture(*AuxACBmp, FACoverFName)) {
    const bool round = FMeterLayout == mlCirc270 || FMeterLayout == mlCirc300 || FMeterLayout == mlCirc360;
    return round ? DrawKnob(c) : DrawHalfCap(c);
  }
  DrawWindowBevel(c);
  const int pw = AuxACBmp->Width(), ph = AuxACBmp->Height();
  const TRect r = Bounds(FMeterCenterX - pw / 2, FMeterCenterY - ph / 2, pw, ph);
  // The mask covers the part of the picture on the control: the rest would be clipped away.
  const int left = std::max(r.Left, 0), top = std::max(r.Top, 0);
  const TRect seen = Rect(left, top, std::max(left, std::min(r.Right, Width())), std::max(top, std::min(r.Bottom, Height())));
  c->SetCopyMode(cmSrcAnd);
  c->StretchDraw(seen, AnchorMask(Bounds(seen.Left - r.Left, seen.Top - r.Top, seen.Width(), seen.Height())).get());
  c->SetCopyMode(cmSrcPaint);
  c->StretchDraw(r, AuxACBmp.get());
  c->SetCopyMode(cmSrcCopy);
}

// A raised disc over the pivot of a dial hanging from the top rim.
void TMeter::DrawKnob(TCanvas* c) {
  const int cx = FMeterCenterX, cy = FMeterCenterY, sa = Sane(FSizeAnchor);
  PenAndBrush(c, FColorCover);
  c->Ellipse(cx - sa, cy - sa, cx + sa, cy + sa);
  DrawWindowBevel(c);
  c->Pen()->SetColor(clWhite);
  c->Arc(cx - sa, cy - sa, cx + sa, cy + sa, cx + sa, cy - sa, cx - sa, cy + sa);
  c->Pen()->SetColor(clGray);
  c->Arc(cx - sa, cy - sa, cx + sa, cy + sa, cx - sa, cy + sa, cx + sa, cy - sa);
}

// A half disc over the pivot standing on a column down to the bottom rim, beveled with the window.
void TMeter::DrawHalfCap(TCanvas* c) {
  const int w = Width(), h = Height(), cx = FMeterCenterX, cy = FMeterCenterY, sa = Sane(FSizeAnchor);
  const int l = Sane(FSRim) - 1, r = w - Sane(FSRim), t = Sane(FTRim), b = h - Sane(FBRim);
  PenAndBrush(c, FColorCover);
  c->Pie(cx - sa, cy - sa, cx + sa, cy + sa, w, cy, 0, cy);
  c->Rectangle(cx - sa, b, cx + sa, cy);
  Path(c, clGray, {{cx + sa - 1, cy}, {cx + sa - 1, b}});
  PathOn(c, clWhite, {{r, b}, {r, t}});
  PathOn(c, clGray, {{l, t}, {l, b}});
  PathOn(c, clWhite, {{cx - sa, b}, {cx - sa, cy - 1}});
  c->Pen()->SetColor(clWhite);
  c->Arc(cx - sa, cy - sa, cx + sa, cy + sa, w, cy, 0, cy);
  c->Pen()->SetColor(clGray);
  c->Arc(cx - sa, cy - sa, cx + sa, cy + sa, cx + sa, cy, cx + sa, cy - sa);
}

void TMeter::DrawLamps(TCanvas* c) {
  const int s = Sane(FSRim), t = Sane(FTRim);
  if (FLimWatHighOn) DrawLamp(c, Width() - s - 18, t, FOFL ? FLimWatActCol : FLimWatPsvCol);
  if (FLimWatLowOn) DrawLamp(c, s + 8, t, FUFL ? FLimWatActCol : FLimWatPsvCol);
}

void TMeter::DrawOuterFrame(TCanvas* c) {
  const int w = Width(), h = Height();
  const bool grayFirst = FFrameStyle == fsLowered || FFrameStyle == fsEngraved;
  const TColor first = grayFirst ? FColGrayLine : FColWhiteLine, second = grayFirst ? FColWhiteLine : FColGrayLine;
  switch (FFrameStyle) {
    case fsNone:
      break;
    case fsSimple:
      Path(c, FColorBakG, {{0, h - 1}, {0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}});
      break;
    case fsLowered:
    case fsRaised:
      Path(c, first, {{0, h - 1}, {0, 0}, {w - 1, 0}});
      PathOn(c, second, {{w - 1, h - 1}, {0, h - 1}});
      break;
    case fsEmbossed:
    case fsEngraved:
      Path(c, first, {{0, 0}, {w - 2, 0}, {w - 2, h - 2}, {0, h - 2}, {0, 0}});
      Path(c, second, {{1, h - 3}, {1, 1}, {w - 2, 1}});
      Path(c, second, {{1, h - 1}, {w - 1, h - 1}, {w - 1, 0}});
      break;
  }
}

}  // namespace qelta
