// Qelta_geomap: the landmark symbols of the nine kinds, drawn on any canvas, and the placement of a
// landmark's caption beside its symbol.
//
// Lines stop one pixel short of their end point (the platform's line drawing), so the crosses run to
// S + 1 to reach S. Every coordinate is computed in 64 bits and saturated to the canvas's 32-bit
// range: a symbol file may hold any Size and Length. Filled shapes take pen FGColor and brush BGColor;
// pen and brush are left as the symbol set them.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Qelta_geomap.h"
#include "Encoding.h"
#include "Math.h"
#include "Qelta_geomap_internal.h"

namespace qelta {

namespace {

using map_detail::RoundToInt;


TPoint P(int64_t x, int64_t y) { return TPoint{SaturateToInt(x), SaturateToInt(y)}; }

/// The point at distance r from (x, y) in the direction phi (radians clockwise from up).
TPoint Polar(int64_t x, int64_t y, double r, double phi) {
  return P(x + RoundToInt(r * std::sin(phi)), y + RoundToInt(-r * std::cos(phi)));
}

void Line(TCanvas* c, TPoint a, TPoint b) {
  c->MoveTo(a.X, a.Y);
  c->LineTo(b.X, b.Y);
}

/// The cross of arm S at (x, y) in the pen's colour.
void Cross(TCanvas* c, int64_t x, int64_t y, int64_t s) {
  Line(c, P(x, y - s), P(x, y + s + 1));
  Line(c, P(x - s, y), P(x + s + 1, y));
}

void SquareOutline(TCanvas* c, int64_t x, int64_t y, int64_t s) {
  c->Polyline({P(x - s, y - s), P(x - s, y + s), P(x + s, y + s), P(x + s, y - s), P(x - s, y - s)});
}

/// The outline of a square in BGColor, then the rectangle inset by one pixel, pen FG, brush BG.
void FilledSquare(TCanvas* c, int64_t x, int64_t y, int64_t s, TColor fg, TColor bg) {
  c->Pen()->SetColor(bg);
  SquareOutline(c, x, y, s);
  c->Pen()->SetColor(fg);
  c->Brush()->SetColor(bg);
  const TPoint a = P(x - s + 1, y - s + 1), b = P(x + s, y + s);
  c->Rectangle(a.X, a.Y, b.X, b.Y);
}

/// A closed outline (transparent) or a filled polygon of the points.
void Shape(TCanvas* c, std::vector<TPoint> pts, bool transparent, TColor bg) {
  if (transparent) {
    pts.push_back(pts.front());
    c->Polyline(pts);
  } else {
    c->Brush()->SetColor(bg);
    c->Polygon(pts);
  }
}

constexpr double kBarb = 20.0 * std::numbers::pi / 180.0;  // the barbs' angle to the shaft

/// Shaft from (x, y) to the tip at Length in the direction phi; the head's barbs S long behind it.
void ArrowFrom(TCanvas* c, int64_t x, int64_t y, int64_t s, int64_t length, double phi, bool transparent, TColor bg) {
  const TPoint t = Polar(x, y, double(length), phi);
  Line(c, P(x, y), t);
  const auto barb = [&](double a) {
    return P(t.X - int64_t{RoundToInt(s * std::sin(a))}, t.Y + int64_t{RoundToInt(s * std::cos(a))});
  };
  const TPoint b1 = barb(phi + kBarb), b2 = barb(phi - kBarb);
  if (transparent) {
    Line(c, t, b1);
    Line(c, t, b2);
  } else {
    Shape(c, {t, b1, b2}, false, bg);
  }
}

/// Shaft from the tail at Length in the direction phi to (x, y); the head's barbs at (x, y).
void ArrowTo(TCanvas* c, int64_t x, int64_t y, int64_t s, int64_t length, double phi, bool transparent, TColor bg) {
  Line(c, Polar(x, y, double(length), phi), P(x, y));
  const TPoint c1 = Polar(x, y, double(s), phi + kBarb), c2 = Polar(x, y, double(s), phi - kBarb);
  if (transparent) {
    Line(c, P(x, y), c1);
    Line(c, P(x, y), c2);
  } else {
    Shape(c, {P(x, y), c1, c2}, false, bg);
  }
}

}  // namespace

void DrawLandMarkSymbolOnCanvas(TCanvas* Canvas, int X, int Y, TLandMarkElement Kind, TColor FGColor,
                                TColor BGColor, int Size, int Direction, int Length, bool Transparent) {
  if (Canvas == nullptr) return;
  TCanvas* c = Canvas;
  const int64_t x = X, y = Y, s = Size;
  const double phi = Direction * std::numbers::pi / 180.0;
  c->Pen()->SetColor(FGColor);
  switch (Kind) {
    case lmCross:
      if (!Transparent) {
        c->Pen()->SetColor(BGColor);
        for (int dx = -1; dx <= 1; ++dx)
          for (int dy = -1; dy <= 1; ++dy) Cross(c, x + dx, y + dy, s);
        c->Pen()->SetColor(FGColor);
      }
      Cross(c, x, y, s);
      break;
    case lmSquare:
      if (Transparent) SquareOutline(c, x, y, s);
      else FilledSquare(c, x, y, s, FGColor, BGColor);
      break;
    case lmTriangle:
      Shape(c, {Polar(x, y, s, phi), Polar(x, y, s, phi + 2 * std::numbers::pi / 3),
                Polar(x, y, s, phi - 2 * std::numbers::pi / 3)},
            Transparent, BGColor);
      break;
    case lmCircle: {
      if (Transparent) c->Brush()->SetStyle(bsClear);
      else c->Brush()->SetColor(BGColor);
      const TPoint a = P(x - s, y - s), b = P(x + s, y + s);
      c->Ellipse(a.X, a.Y, b.X, b.Y);
      break;
    }
    case lmArrowFrom:
      ArrowFrom(c, x, y, s, Length, phi, Transparent, BGColor);
      break;
    case lmArrowTo:
      ArrowTo(c, x, y, s, Length, phi, Transparent, BGColor);
      break;
    case lmCrossBox:
      if (Transparent) {
        c->Polyline({P(x - s, y - s), P(x - s, y + s), P(x + s, y + s), P(x + s, y - s), P(x - s, y - s),
                     P(x + s, y + s)});
        Line(c, P(x - s, y + s), P(x + s, y - s));
      } else {
        FilledSquare(c, x, y, s, FGColor, BGColor);
        Line(c, P(x - s + 1, y + s - 1), P(x + s, y - s));
        Line(c, P(x + s - 1, y + s - 1), P(x - s, y - s));
      }
      break;
    case lmSpade:
      Shape(c, {P(x, y - s), P(x + s, y), P(x, y + s), P(x - s, y)}, Transparent, BGColor);
      break;
    case lmUserDef:
      break;
    default:
      Line(c, P(x - 4, y), P(x + 5, y));
      Line(c, P(x, y - 4), P(x, y + 5));
      break;
  }
}

namespace map_detail {

TPoint CaptionCorner(int X, int Y, const TLMTextProperties& Caption, int HalfWidth, int HalfHeight) {
  int64_t ox = 0, oy = 0;
  if (Caption.HAlignment == taRightJustify) ox = -2 * int64_t{HalfWidth};
  else if (Caption.HAlignment == taCenter) ox = -HalfWidth;
  if (Caption.VAlignment == vaCenter) oy = -HalfHeight;
  else if (Caption.VAlignment == vaBottom) oy = -2 * int64_t{HalfHeight};
  const double psi = Caption.Direction * std::numbers::pi / 180.0;
  const double cs = std::cos(psi), sn = std::sin(psi);
  return P(int64_t{X} + Caption.dx + RoundToInt(ox * cs + oy * sn),
           int64_t{Y} + Caption.dy + RoundToInt(-ox * sn + oy * cs));
}

void DrawLandMarkCaption(TCanvas* c, int X, int Y, const TLMTextProperties& Caption) {
  if (Caption.Text.empty()) return;
  c->Brush()->SetColor(Caption.BGColor);
  TFont* f = c->Font();
  f->SetColor(Caption.FGColor);
  f->SetSize(Caption.Size);
  f->SetStyle(Caption.FontStyles);
  f->SetName(Caption.FontName);
  c->Brush()->SetStyle(Caption.Transparent ? bsClear : bsSolid);
  // A rotated caption gets a rotated, antialiased copy of the font; an upright one an upright font,
  // so that no rotation is left over from the caption before.
  f->SetOrientation(Caption.Direction == 0 ? 0 : Caption.Direction * 10);
  if (Caption.Direction != 0) f->SetQuality(fqAntialiased);
  const String text = AnsiToString(Caption.Text);
  const TPoint corner = CaptionCorner(X, Y, Caption, c->TextWidth(text) / 2, c->TextHeight(text) / 2);
  c->TextOut(corner.X, corner.Y, text);
}

}  // namespace map_detail

}  // namespace qelta
