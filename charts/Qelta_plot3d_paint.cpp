// Qelta_plot3d: painting of TPlot3D.
//
// The picture is drawn in a fixed order onto the bitmap: the three cube faces meeting at the farthest
// corner o (shaded by how squarely they face the viewer), the three hidden edges from the nearest
// corner s, the cells, the three front edges from o, the axes, then OnDataRendered. The cells are not
// depth-sorted: rows and columns are walked from the far side to the near side as the view angles
// say (the flags FR and FC), so later cells cover earlier ones; each grid point keeps its pixel and
// the painting number of the last cell that drew it, which the hover test uses to find the cell on top.
// The axes stand on the cube edges through o's partner across z; the Z axis on the vertical edge
// whose corners lie farthest to the right (the first of equals, which is always the z-low corner
// because the rotation never turns z into pixel x).
// A control too large for a bitmap is drawn straight onto its canvas.
// A tick label that would not show whole on the canvas, or would overlap one already written in the
// same rendering, is left out: the x and y axes end at one corner, and their end labels there were
// written over each other ("3030"); an axis seen end-on piled its own labels up the same way.
// Pixels are computed in double, rounded half to even and kept to +-MaxPlot3DPixel, so that every
// sum and product the canvas and the hover test form stays inside 64 bits.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "Math.h"
#include "Qelta_Scale.h"
#include "Qelta_cube3d.h"
#include "Qelta_math1.h"
#include "Qelta_plot3d.h"
#include "Qelta_plot_internal.h"
#include "Qelta_stringl.h"

namespace qelta {
namespace {

// Most ticks one axis draws; the tick rule gives far fewer, this only guards absurd ranges.
constexpr int kMaxAxisTicks = 1000;
constexpr int kTickLength = 8;
constexpr int kMaxLabelLength = 14;

int ClampPixel(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -MaxPlot3DPixel, MaxPlot3DPixel)); }

int PixelOf(double v) { return static_cast<int>(plot_detail::RoundClamped(v, -MaxPlot3DPixel, MaxPlot3DPixel)); }

TPoint AsPoint(const TQuadCorner& q) { return Point(q.X, q.Y); }

}  // namespace

// [SECTION] paint

void TPlot3D::Paint() {
  if (FSuppressPaint || !Visible()) return;
  RefreshGridData();
  const bool direct = int64_t{Width()} * Height() > platform_detail::kMaxImagePixels;  // no bitmap that large
  if (!direct) FGrafBmp->SetSize(Width(), Height());
  TCanvas* c = direct ? Canvas() : FGrafBmp->Canvas();
  InitGraf(c);
  if (!ComponentState().Contains(csDesigning)) ConstructDataBmp(c);
  DrawFrame(c, FFrameStyle, 0, 0, Width() - 1, Height() - 1, clWhite, clSilver, clGray, clBlack, FFrameCol);
  if (!direct) Canvas()->Draw(0, 0, FGrafBmp.get());
}

void TPlot3D::InitGraf(TCanvas* Canvas) {
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetMode(pmCopy);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Pen()->SetColor(FColorBakGnd);
  Canvas->Brush()->SetColor(FColorBakGnd);
  Canvas->Rectangle(0, 0, Width(), Height());
  if (!ComponentState().Contains(csDesigning)) return;
  const TColor bg = ColorToRGB(FColorBakGnd);
  const int r = GetRValue(bg), g = GetGValue(bg), b = GetBValue(bg);
  Canvas->Font()->SetColor(r * r + g * g + b * b > 50000 ? clBlack : clWhite);
  Canvas->TextOut(10, 10, u"Plot3D");
}

void TPlot3D::DrawOnForeignCanvas(TCanvas* Canvas) {
  if (Canvas == nullptr) return;
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  try {
    RefreshGridData();
    ConstructDataBmp(Canvas);
  } catch (...) {
    FSuppressPaint = saved;
    throw;
  }
  // Back to the host's state; releasing goes through SetSuppressPaint, which takes the grid and repaints.
  FSuppressPaint = !saved;
  SetSuppressPaint(saved);
}

// [SECTION] projection

TPlot3D::TPixel TPlot3D::Project(double x, double y, double z) const {
  const auto& R = FRotMat;
  const double px = (FSclXIntern * x * R[0][0] + FSclYIntern * y * R[0][1] + FSclZIntern * z * R[0][2]) * FMagnify + FCentX;
  const double py = (FSclXIntern * x * R[1][0] + FSclYIntern * y * R[1][1] + FSclZIntern * z * R[1][2]) * FMagnify + FCentY;
  return {PixelOf(px), PixelOf(py)};
}

TPlot3D::TPixel TPlot3D::ProjectCorner(int k) const {
  return Project(FCubeCorners[k][0], FCubeCorners[k][1], FCubeCorners[k][2]);
}

double TPlot3D::PixelXTerm(int k) const {
  const auto& R = FRotMat;
  return FSclXIntern * FCubeCorners[k][0] * R[0][0] + FSclYIntern * FCubeCorners[k][1] * R[0][1] +
         FSclZIntern * FCubeCorners[k][2] * R[0][2];
}

// [SECTION] cube

void TPlot3D::ConstructDataBmp(TCanvas* Canvas) {
  FLabelBoxes.clear();
  const auto depths = plot_detail::CornerDepths(FRotMat[2][0], FRotMat[2][1], FRotMat[2][2]);
  const int s = plot_detail::NearestCorner(depths), o = 7 - s;
  if (FBoundBox != bbNone) {
    DrawCubeFaces(Canvas, o);
    DrawCubeEdges(Canvas, s, FColorCubeHidLin);
  }
  DrawSurface(Canvas);
  if (FBoundBox != bbNone) DrawCubeEdges(Canvas, o, FColorCubeFrame);
  DrawAxes(Canvas, o);
  FLabelBoxes.clear();  // a host's own DrawAxis call starts afresh
  if (OnDataRendered) OnDataRendered(this, Canvas);
}

void TPlot3D::DrawCubeFaces(TCanvas* c, int o) {
  const auto depths = plot_detail::CornerDepths(FRotMat[2][0], FRotMat[2][1], FRotMat[2][2]);
  c->Pen()->SetColor(FColorCubeFrame);
  for (int face : plot_detail::kCubeFacesAtCorner[o]) {
    double h = 0;
    std::array<TPoint, 4> corners;
    for (int i = 0; i < 4; ++i) {
      const int k = plot_detail::kCubeFaces[face][i];
      h += depths[k];
      const TPixel p = ProjectCorner(k);
      corners[i] = Point(p.X, p.Y);
    }
    const int f = static_cast<int>(plot_detail::RoundClamped(50 * h, 0, 200));
    plot_detail::DrawCubeFace(c, FBoundBox, corners, plot_detail::ShadeBetween(FColorCubeFaceLo, FColorCubeFaceHi, f, 200));
  }
}

void TPlot3D::DrawCubeEdges(TCanvas* c, int corner, TColor color) {
  plot_detail::DrawCornerEdges(c, corner, color, [this](int k) {
    const TPixel p = ProjectCorner(k);
    return Point(p.X, p.Y);
  });
}

// [SECTION] surface

void TPlot3D::DrawSurface(TCanvas* c) {
  const int nc = FGridMat->NrOfColumns(), nr = FGridMat->NrOfRows();
  if (nc < 2 || nr < 2) return;
  c->Brush()->SetColor(FColorFillHigh);
  c->Pen()->SetColor(FColorMesh);
  const double vx = FViewAngle[0], vz = FViewAngle[2];
  const bool fr = (vx > 180) != (vz < 90 || vz > 270);
  const bool fc = (vx > 180) == (vz > 180);
  for (int m = 1; m <= nr - 1; ++m) {
    const int k = fr ? m : nr - m;
    for (int n = 1; n <= nc - 1; ++n) DrawCell(c, fc ? n : nc - n, k, m, n);
  }
}

void TPlot3D::DrawCell(TCanvas* c, int L, int K, int m, int n) {
  const int nc = FGridMat->NrOfColumns(), nr = FGridMat->NrOfRows();
  const double dx = 300.0 / (nc - 1), dy = 300.0 / (nr - 1);
  const int cols[4] = {L, L + 1, L + 1, L}, rows[4] = {K, K, K + 1, K + 1};
  const int64_t row0 = int64_t{m - 1} * nc, row1 = int64_t{m} * nc;
  const int64_t order[4] = {row0 + n, row0 + n + 1, row1 + n + 1, row1 + n};
  TQuad quad;
  double values[4];
  for (int i = 0; i < 4; ++i) {
    values[i] = FGridMat->GetVal(cols[i], rows[i]);
    const TPixel p = Project((cols[i] - nc / 2.0 - 0.5) * dx, (rows[i] - nr / 2.0 - 0.5) * dy, CalcIntZ(values[i]));
    quad[i] = TQuadCorner{p.X, p.Y};
    FProjMapX->SetVal(cols[i], rows[i], p.X);
    FProjMapY->SetVal(cols[i], rows[i], p.Y);
    FProjMapZ->SetVal(cols[i], rows[i], static_cast<int32_t>(std::min<int64_t>(order[i], INT32_MAX)));
  }
  double value = values[0];
  if (FColorCodeAvg) {
    value = (values[0] + values[1] + values[2] + values[3]) / 4;
  } else {
    for (int i = 1; i < 4; ++i)
      if (values[i] > value) value = values[i];
  }
  TColor color = CalcColorCoding(value);
  if (OnBeforeRenderPolygon) {
    bool handled = false;
    OnBeforeRenderPolygon(this, c, handled, L, K, quad, color);
    if (handled) return;
  }
  c->Brush()->SetColor(color);
  if (!FMeshVisible) c->Pen()->SetColor(color);
  const TPoint p0 = AsPoint(quad[0]), p1 = AsPoint(quad[1]), p2 = AsPoint(quad[2]), p3 = AsPoint(quad[3]);
  const auto line = [c](TPoint a, TPoint b) {
    c->MoveTo(a.X, a.Y);
    c->LineTo(b.X, b.Y);
  };
  if (FMeshKind != mkMesh) c->Pen()->SetColor(color);
  c->Polygon({p0, p1, p2, p3});
  switch (FMeshKind) {
    case mkWaterfallHorz: c->Pen()->SetColor(FColorMesh), line(p0, p3), line(p2, p1); break;
    case mkWaterfallVert: c->Pen()->SetColor(FColorMesh), line(p0, p1), line(p2, p3); break;
    case mkWaterfallDiag: c->Pen()->SetColor(FColorMesh), line(p0, p2); break;
    case mkGrid:
      for (TPoint p : {p0, p1, p3, p2}) c->SetPixels(p.X, p.Y, FColorMesh);
      break;
    default: break;
  }
}

// [SECTION] axes

void TPlot3D::DrawAxes(TCanvas* c, int o) {
  const int a = plot_detail::kPartnerZ[o];
  const auto axis = [&](TP3ScaleKind kind, int partner, int coord, double low, double high) {
    const int first = FCubeCorners[a][coord] <= FCubeCorners[partner][coord] ? a : partner;
    const int second = first == a ? partner : a;
    const TPixel p = ProjectCorner(first), q = ProjectCorner(second);
    DrawAxis(c, kind, p.X, p.Y, q.X, q.Y, low, high);
  };
  if (FVisibleAx[0]) axis(p3skX, plot_detail::kPartnerX[a], 0, FRangeLowX, FRangeHighX);
  if (FVisibleAx[1]) axis(p3skY, plot_detail::kPartnerY[a], 1, FRangeLowY, FRangeHighY);
  if (!FVisibleAx[2]) return;
  double best = -2147483647.0;
  int m = 0;
  for (int k = 0; k < 8; ++k)
    if (PixelXTerm(k) > best) {
      best = PixelXTerm(k);
      m = k;
    }
  const TPixel p = ProjectCorner(m), q = ProjectCorner(plot_detail::kPartnerZ[m]);
  DrawAxis(c, p3skZ, p.X, p.Y, q.X, q.Y, FRangeLowZ, FRangeHighZ);
}

String TPlot3D::TickLabel(double t, double Low, double High, int Decimals) const {
  if (std::fabs(t / (High - Low)) < 1e-14) {
    t = 0;
    if (std::fabs(High - Low) > 100000) return Decimals != 0 ? u"0.0" : u"0";
  }
  String text = strff(t, 1, Decimals);
  if (text.size() > kMaxLabelLength) text.resize(kMaxLabelLength);
  return text;
}

void TPlot3D::DrawAxis(TCanvas* Canvas, TP3ScaleKind Kind, int X1, int Y1, int X2, int Y2, double Low, double High) {
  TCanvas* c = Canvas;
  SetCanvasFontSizeScaled(c, 8);
  c->Pen()->SetColor(FColorAx[Kind]);
  c->Font()->SetColor(FColorAx[Kind]);
  c->Brush()->SetStyle(bsClear);
  const int decimals = FDecPlace[Kind] == -2 ? AutoDecimals(std::fabs(High - Low)) : FDecPlace[Kind];
  Extended start = 0, step = 0;
  uint16_t subTicks = 0;
  CalcScalePars(FNTicks[Kind], Low, High, start, step, subTicks);
  const double vx = FViewAngle[0], b = FViewAngle[2] * std::numbers::pi / 180;
  const bool up = (vx > 90 && vx <= 180) || vx > 270;
  const int sg = vx > 180 ? -1 : 1, textHeight = c->TextHeight(u"0");
  for (int k = 0; k < kMaxAxisTicks; ++k) {
    const Extended t = start + k * step;
    const Extended f = (t - Low) / (Extended{High} - Low);
    const int px = ClampPixel(X1 + Round(f * (X2 - X1))), py = ClampPixel(Y1 + Round(f * (Y2 - Y1)));
    c->MoveTo(px, py);
    TPoint tip;
    int top;
    if (Kind == p3skZ) {
      tip = Point(px + kTickLength, py);
      top = py - textHeight / 2;
    } else {
      tip = Point(px, up ? py - kTickLength : py + kTickLength);
      top = tip.Y - (up ? textHeight : 0);
    }
    c->LineTo(tip.X, tip.Y);
    String text = TickLabel(static_cast<double>(t), Low, High, decimals);
    if (OnBeforeDrawScaleLabel) OnBeforeDrawScaleLabel(this, c, Kind, text, px, py);
    const int w = c->TextWidth(text) / 2;
    int left = tip.X + 3;
    if (Kind == p3skX) {
      const int shift = static_cast<int>(Round(std::sin(b) * w)) * sg;
      left = FViewAngle[2] <= 90 || FViewAngle[2] > 270 ? tip.X - w - shift : tip.X - w + shift;
    } else if (Kind == p3skY) {
      const int shift = static_cast<int>(Round(std::cos(b) * w)) * sg;
      left = FViewAngle[2] > 180 ? tip.X - w - shift : tip.X - w + shift;
    }
    const TRect box = plot_detail::FigureBox(c, left, top, text);
    if (plot_detail::BoxInside(box, c->ClipRect()) && plot_detail::ClaimLabelBox(FLabelBoxes, box))
      c->TextOut(left, top, text);
    const Extended next = start + (k + 1) * step;
    if (!(step != 0 && (next - High) / step <= 0.001L)) break;
  }
  DrawAxisCaption(c, Kind, X1, Y1, X2, Y2);
}

void TPlot3D::DrawAxisCaption(TCanvas* c, TP3ScaleKind Kind, int X1, int Y1, int X2, int Y2) {
  const double len = std::hypot(double(X2) - X1, double(Y2) - Y1);
  if (len == 0) return;
  const int mx = (X1 + X2) / 2, my = (Y1 + Y2) / 2;
  if (Kind == p3skZ) {
    c->TextOut(plot_detail::ClampToInt(double(X1) + FLabDist[2], INT32_MIN, INT32_MAX), my - 8, FCapt[2]);
    return;
  }
  const double vx = FViewAngle[0], vz = FViewAngle[2];
  const int sg2 = vx <= 90 || (vx > 180 && vx <= 270) ? -1 : 1;
  const double v = double(FLabDist[Kind]) * sg2;
  const double ox = static_cast<double>(Round((Y2 - Y1) * v / len)), oy = static_cast<double>(Round((X2 - X1) * v / len));
  const bool plus = Kind == p3skX ? (vz <= 90 || vz > 270) : vz > 180;
  const double cx = plus ? mx + ox : mx - ox, cy = plus ? my - oy : my + oy;
  DrawCenteredText(c, FCapt[Kind], plot_detail::ClampToInt(cx, INT32_MIN, INT32_MAX), plot_detail::ClampToInt(cy, INT32_MIN, INT32_MAX));
}

void TPlot3D::DrawCenteredText(TCanvas* Canvas, const String& Text, int X, int Y) {
  const int64_t left = int64_t{X} - Canvas->TextWidth(Text) / 2, top = int64_t{Y} - Canvas->TextHeight(Text) / 2;
  Canvas->TextOut(plot_detail::ClampToInt(double(left), INT32_MIN, INT32_MAX), plot_detail::ClampToInt(double(top), INT32_MIN, INT32_MAX), Text);
}

}  // namespace qelta
