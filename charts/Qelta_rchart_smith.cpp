// Qelta_rchart: the Smith chart (TSmithChart).
//
// World coordinates are the reflection coefficient g = (z - 1)/(z + 1) of the normalised impedance
// z = r + jx. A circle of constant resistance r has its centre at r/(r + 1) and the radius
// 1/(r + 1); an arc of constant reactance x lies on the circle of centre (1, 1/x) and radius 1/|x|.
// The grid is drawn under the items by InitGraf, all points through R2M of layer 1:
//   1. the unit circle filled in DiagramColor, the real axis across it;
//   2. the detail level from the unit circle's width W in pixels: 1, 2 above 300, 3 above 500,
//      4 above 750, 5 above 900;
//   3. 20 resistance circles as arcs that leave out the crowded part around g = 1 (the angle of the
//      gap per value in kGrid below; 3.142 draws the whole circle);
//   4. per reactance value the arc for +x and its mirror for -x, from the unit circle to the ray
//      towards the real-axis point Q (again leaving out the part near g = 1), then their labels 10
//      pixels outside the unit circle on the line from the centre;
//   5. the resistance labels on the real axis, at each circle's leftmost point.
// A value is labelled when the detail level reaches its threshold. The directions of the arcs are
// given in the g plane (y up); the ray points are mapped through R2M, so the canvas's Arc, which
// runs counter-clockwise as seen on the screen, draws the part meant. Dark lines are the values
// 0, 0.2, 0.5, 1, 2, 5 and 10, light ones the others.
// Decisions and deviations:
//  - Grid points are the pixels of R2M as they are (the canvas clips in 64 bits), not kept to
//    +-30000 as item pixels are: a zoomed-in diagram whose circles reach beyond that would draw
//    them as other, smaller ellipses.
//  - A reactance label point on the pixel row of the centre (a tiny diagram) has slope 0: its y
//    offset is 0 and its x offset +-10, as the formula gives in IEEE arithmetic.
//  - The range writers give the paint suppression back as it was; the classic switched painting
//    on at the end, before the window existed or against the host's suppression.

#include <cmath>
#include <cstdlib>

#include "Qelta_rchart_internal.h"
#include "Qelta_rcnumtext.h"
#include "Qelta_univconst.h"

namespace qelta {

namespace {

// One grid value: the value, the angle (radians) of the resistance circle's gap, the real-axis
// point the reactance arc ends towards, the detail level from which it is labelled, dark or light.
struct TGridValue {
  double V, Theta, Q;
  int Level;
  bool Dark;
};

// In drawing order; the Q of the first entry (r = 0, no reactance arc) is not used.
constexpr TGridValue kGrid[20] = {
    {0.0, 3.142, 0.0, 1, true},    {0.1, 0.829, 0.2, 3, false},   {0.2, 0.578, 0.33, 1, true},
    {0.3, 0.957, 0.498, 3, false}, {0.4, 1.019, 0.18, 3, false},  {0.5, 0.42, 0.819, 1, true},
    {0.6, 1.14, 0.15, 5, false},   {0.7, 0.801, 0.133, 2, false}, {0.8, 1.248, 0.48, 5, false},
    {0.9, 1.296, 0.084, 5, false}, {1.0, 0.395, 1.0, 1, true},    {1.2, 0.834, 0.45, 3, false},
    {1.5, 0.921, 0.645, 2, false}, {2.0, 1.073, 0.625, 1, true},  {2.5, 0.673, 0.81, 4, false},
    {3.0, 1.036, 0.558, 3, false}, {4.0, 0.92, 0.669, 4, false},  {7.0, 1.35, 0.7, 4, false},
    {10.0, 3.142, 1.0, 1, true},   {5.0, 3.142, 0.95, 1, true}};

// Detail level of a unit circle W pixels wide.
int DetailLevel(int64_t W) {
  if (W > 900) return 5;
  if (W > 750) return 4;
  if (W > 500) return 3;
  if (W > 300) return 2;
  return 1;
}

// A grid value as its label: no decimals when it is whole within 0.01, else one.
String GridText(double v) { return RCSpecStrf(v, 1, std::fabs(v - std::trunc(v)) <= 0.01 ? 0 : 1); }

// Text centred on (x, y): half its width left, half its height up.
void CentredText(TCanvas* Canvas, int64_t x, int64_t y, const String& text) {
  Canvas->TextOut(SaturateToInt(x - Canvas->TextWidth(text) / 2),
                  SaturateToInt(y - Canvas->TextHeight(text) / 2), text);
}

// The point 10 pixels beyond p on the line from c, away from c; straight up or down (Up) when p
// lies in c's column.
TPoint Beyond(TPoint p, TPoint c, bool Up) {
  const int64_t dx = int64_t{p.X} - c.X, dy = int64_t{p.Y} - c.Y;
  if (dx == 0) return Point(p.X, SaturateToInt(int64_t{p.Y} + (Up ? -10 : 10)));
  const double s = static_cast<double>(dy) / static_cast<double>(dx);
  const double ox = 10 / std::sqrt(s * s + 1);
  const double oy = s == 0 ? 0.0 : 10 / std::sqrt(1 / (s * s) + 1);
  const double x = p.X + (dx > 0 ? ox : -ox), y = p.Y + (dy > 0 ? oy : -oy);
  return Point(plot_detail::TAxisToPixel::Pixel(x), plot_detail::TAxisToPixel::Pixel(y));
}

}  // namespace

// [SECTION] construction

TSmithChart::TSmithChart(TComponent* AOwner) : TCustomRChart(AOwner) {
  SetIsometric(true);
  SetGridStyle(gsPoints);
  SetGridDx(0);
  SetGridDy(0);
  GetScalePropsX(1)->SetRangeLow(-1.2);
  GetScalePropsX(1)->SetRangeHigh(1.2);
  GetScalePropsY(1)->SetRangeLow(-1.2);
  GetScalePropsY(1)->SetRangeHigh(1.2);
  for (int l = 1; l <= MaxChartLayers; ++l) {
    GetScalePropsX(l)->SetVisible(false);
    GetScalePropsY(l)->SetVisible(false);
  }
  ClearZoomHistory();  // the ring starts with the chart's own ranges, as every new chart's does
}

void TSmithChart::CreateWnd() {
  TCustomRChart::CreateWnd();
  WindowCreated();
}

// [SECTION] conversions

double TSmithChart::CalcReflectionReal(double Resistance, double Reactance) {
  const double a = 1 / (Resistance + 1);
  return 1 - 2 / (Reactance * Reactance * a + 1 / a);
}

double TSmithChart::CalcReflectionImag(double Resistance, double Reactance) {
  if (Reactance == 0) return 0;
  const double a = 1 / (Resistance + 1);
  return 2 / (Reactance + 1 / (Reactance * a * a));
}

double TSmithChart::CalcResistance(double ReflectionReal, double ReflectionImag) {
  const double a = ReflectionReal - 1, b = a * a + ReflectionImag * ReflectionImag;
  return b == 0 ? static_cast<double>(uc_MaxReal) : -1 - 2 * a / b;
}

double TSmithChart::CalcReactance(double ReflectionReal, double ReflectionImag) {
  const double a = ReflectionReal - 1, b = a * a + ReflectionImag * ReflectionImag;
  return b == 0 ? static_cast<double>(uc_MaxReal) : 2 * ReflectionImag / b;
}

// [SECTION] ranges and colours

void TSmithChart::CenterChart() {
  const double sx = RangeXHigh() - RangeXLow(), sy = RangeYHigh() - RangeYLow();
  SetRange(-sx / 2, -sy / 2, sx / 2, sy / 2);
}

void TSmithChart::SetRangeBound(TScaleProps* Props, bool Low, double value) {
  TPaintHold hold(*this);
  if (Low) {
    Props->SetRangeLow(value);
  } else {
    Props->SetRangeHigh(value);
  }
  SetIsometric(true);
  hold.Restore();
}

void TSmithChart::SetRangeXLow(double value) { SetRangeBound(GetScalePropsX(1), true, value); }
void TSmithChart::SetRangeXHigh(double value) { SetRangeBound(GetScalePropsX(1), false, value); }
void TSmithChart::SetRangeYLow(double value) { SetRangeBound(GetScalePropsY(1), true, value); }

void TSmithChart::SetPainted(TColor& Field, TColor value) {
  if (Field == value) return;
  Field = value;
  Paint();
}

void TSmithChart::SetGridColorLight(TColor value) { SetPainted(FGridColLight, value); }
void TSmithChart::SetGridColorDark(TColor value) { SetPainted(FGridColDark, value); }
void TSmithChart::SetDiagramColor(TColor value) { SetPainted(FDiagramColor, value); }

// [SECTION] grid

TPoint TSmithChart::GridPoint(double ReflReal, double ReflImag, int Left, int Top) const {
  int x = 0, y = 0;
  R2M(ReflReal, ReflImag, x, y);
  return Point(SaturateToInt(int64_t{x} + Left - LRim()), SaturateToInt(int64_t{y} + Top - TRim()));
}

void TSmithChart::InitGraf(TCanvas* Canvas, int Left, int Top) {
  TCustomRChart::InitGraf(Canvas, Left, Top);
  TPen* pen = Canvas->Pen();
  pen->SetColor(FGridColDark);
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
  Canvas->Brush()->SetColor(FDiagramColor);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->SetFont(Font());
  Canvas->SetTextAlign(TA_LEFT | TA_TOP);
  const TPoint a = GridPoint(-1, -1, Left, Top), b = GridPoint(1, 1, Left, Top);
  Canvas->Ellipse(a.X, a.Y, b.X, b.Y);
  const TPoint c = GridPoint(0, 0, Left, Top);
  Canvas->MoveTo(a.X, c.Y);
  Canvas->LineTo(b.X, c.Y);
  const int level = DetailLevel(std::llabs(int64_t{b.X} - a.X));
  Canvas->Brush()->SetStyle(bsClear);
  DrawResistanceCircles(Canvas, Left, Top);
  if (IsPrinterCanvas(Canvas)) SetCanvasFontSizeScaled(Canvas, Font()->Size());
  DrawReactanceArcs(Canvas, Left, Top, level);
  DrawResistanceLabels(Canvas, Left, Top, level);
}

void TSmithChart::DrawResistanceCircles(TCanvas* Canvas, int Left, int Top) {
  for (const TGridValue& g : kGrid) {
    Canvas->Pen()->SetColor(g.Dark ? FGridColDark : FGridColLight);
    const double c = g.V / (g.V + 1), rho = 1 / (g.V + 1);
    const double rx = c + rho * std::cos(g.Theta), ry = rho * std::sin(g.Theta);
    const TPoint p1 = GridPoint(c - rho, -rho, Left, Top), p2 = GridPoint(c + rho, rho, Left, Top);
    const TPoint from = GridPoint(rx, ry, Left, Top), to = GridPoint(rx, -ry, Left, Top);
    Canvas->Arc(p1.X, p1.Y, p2.X, p2.Y, from.X, from.Y, to.X, to.Y);
  }
}

void TSmithChart::DrawReactanceArcs(TCanvas* Canvas, int Left, int Top, int Level) {
  const TPoint centre = GridPoint(0, 0, Left, Top);
  for (int k = 1; k < 20; ++k) {
    const TGridValue& g = kGrid[k];
    Canvas->Pen()->SetColor(g.Dark ? FGridColDark : FGridColLight);
    const double u = 1 / g.V, mx = (1 - u * u) / (1 + u * u), my = 2 * u / (1 + u * u);
    const TPoint q = GridPoint(g.Q, 0, Left, Top);
    const TPoint up = GridPoint(mx, my, Left, Top), down = GridPoint(mx, -my, Left, Top);
    TPoint p1 = GridPoint(1 - u, 0, Left, Top), p2 = GridPoint(1 + u, 2 * u, Left, Top);
    Canvas->Arc(p1.X, p1.Y, p2.X, p2.Y, up.X, up.Y, q.X, q.Y);
    p1 = GridPoint(1 - u, -2 * u, Left, Top);
    p2 = GridPoint(1 + u, 0, Left, Top);
    Canvas->Arc(p1.X, p1.Y, p2.X, p2.Y, q.X, q.Y, down.X, down.Y);
    if (Level < g.Level) continue;
    const TPoint plus = Beyond(up, centre, true), minus = Beyond(down, centre, false);
    CentredText(Canvas, plus.X, plus.Y, GridText(g.V));
    CentredText(Canvas, minus.X, minus.Y, GridText(-g.V));
  }
}

void TSmithChart::DrawResistanceLabels(TCanvas* Canvas, int Left, int Top, int Level) {
  Canvas->Brush()->SetColor(FDiagramColor);
  Canvas->Brush()->SetStyle(bsSolid);
  const TPoint centre = GridPoint(0, 0, Left, Top);
  for (const TGridValue& g : kGrid) {
    if (Level < g.Level) continue;
    const TPoint p = GridPoint((g.V - 1) / (g.V + 1), 0, Left, Top);
    CentredText(Canvas, p.X, centre.Y, GridText(g.V));
  }
}

}  // namespace qelta
