// Qelta_plot3d: the mouse. Dragging turns, zooms or pans the plot relative to where the drag began;
// every move reports the grid cell under the pointer.
//
// Anchors: every move without a button held records the pointer, centre, magnification and angles,
// so a drag starts from the last position the pointer hovered at (the press itself records nothing).
// A step computes the new values from the anchors, lets OnMouseAction change them, then uses them.
// Hover: the cell whose projected quadrilateral contains the pointer (all four edge cross products of
// one sign) and was painted last wins. A quadrilateral of zero area is skipped: its cross products
// are all 0 for a pointer on it, which would count it as containing the pointer (before the first
// painting every quadrilateral is collapsed at pixel 0, 0, and the classic plot reported cell (1, 1)
// everywhere). Pixels are kept to +-MaxPlot3DPixel, so the products fit 64 bits.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "Qelta_cube3d.h"
#include "Qelta_plot3d.h"

namespace qelta {
namespace {

double WrapOnce(double v) {
  if (v > 360) return v - 360;
  if (v < 0) return v + 360;
  return v;
}

int Shifted(int anchor, int to, int from) {
  return plot_detail::ClampToInt(double(anchor) + double(to) - double(from), INT32_MIN, INT32_MAX);
}

// Sign (+1 for >= 0, else -1) of the cross product of the edge a -> b with the pointer p - a.
int EdgeSide(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t px, int64_t py) {
  return (bx - ax) * (py - ay) - (by - ay) * (px - ax) >= 0 ? 1 : -1;
}

}  // namespace

// [SECTION] dragging

void TPlot3D::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (X < 0 || X > Width() || Y < 0 || Y > Height()) return;
  const bool left = Shift.Contains(ssLeft), right = Shift.Contains(ssRight);
  if (!left && !right) {
    MouseAnchorX = X;
    MouseAnchorY = Y;
    FCentXAnchor = FCentX;
    FCentYAnchor = FCentY;
    FMagAnchor = FMagnify;
    FAngleAnchor = FViewAngle;
    return;
  }
  if (Width() == 0 || Height() == 0) return;
  if (!left) {
    if (FMouseAction == maRotAndZoom) MouseZoom(Y), DoMouseAction(Shift, false);
    return;
  }
  switch (FMouseAction) {
    case maRotate: MouseRotate(X, Y, true), DoMouseAction(Shift, true); break;
    case maRotAndZoom: MouseRotate(X, Y, false), DoMouseAction(Shift, true); break;
    case maRotXOnly:
      FViewAngle[0] = WrapOnce((Y - MouseAnchorY) * 360.0 / Height() + FAngleAnchor[0]);
      DoMouseAction(Shift, true);
      break;
    case maRotZOnly:
      FViewAngle[2] = WrapOnce((MouseAnchorX - X) * 360.0 / Width() + FAngleAnchor[2]);
      DoMouseAction(Shift, true);
      break;
    case maZoom: MouseZoom(Y), DoMouseAction(Shift, false); break;
    case maPan:
      FCentX = Shifted(FCentXAnchor, X, MouseAnchorX);
      FCentY = Shifted(FCentYAnchor, Y, MouseAnchorY);
      DoMouseAction(Shift, false);
      break;
    default: break;
  }
}

void TPlot3D::MouseRotate(int X, int Y, bool Clamp) {
  const double z = WrapOnce((MouseAnchorX - X) * 360.0 / Width() + FAngleAnchor[2]);
  const double x = WrapOnce((MouseAnchorY - Y) * 360.0 / Height() + FAngleAnchor[0]);
  FViewAngle[2] = Clamp ? std::clamp(z, FViewAngLimLow[2], FViewAngLimHigh[2]) : z;
  FViewAngle[0] = Clamp ? std::clamp(x, FViewAngLimLow[0], FViewAngLimHigh[0]) : x;
}

void TPlot3D::MouseZoom(int Y) {
  const double f = (5.0 - 0.1) * (MouseAnchorY - Y) / Height() / 2;
  FMagnify = std::clamp(FMagAnchor + f, 0.1, 5.0);
}

void TPlot3D::DoMouseAction(TShiftState Shift, bool Rotated) {
  if (Rotated) FViewAngle[1] = 0;
  if (OnMouseAction) {
    int cx = FCentX, cy = FCentY;
    double ax = FViewAngle[0], az = FViewAngle[2], mag = FMagnify;
    OnMouseAction(this, cx, cy, ax, az, mag, Shift);
    FCentX = cx;
    FCentY = cy;
    if (std::isfinite(ax)) FViewAngle[0] = ax;
    if (std::isfinite(az)) FViewAngle[2] = az;
    if (!std::isnan(mag)) FMagnify = std::clamp(mag, 0.1, 5.0);
  }
  if (Rotated) {
    CalcRotMatrix();
  } else if (OnZoomPan) {
    OnZoomPan(this);
  }
  Repaint3D();
}

// [SECTION] hover

void TPlot3D::WndProc(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (Message.Msg != WM_MOUSEMOVE || !OnMouseMoveOverPlot) return;
  int cellX = 0, cellY = 0;
  const bool over = HoverCell(MouseLParamX(Message.LParam), MouseLParamY(Message.LParam), cellX, cellY);
  OnMouseMoveOverPlot(this, over, KeysToShiftState(Message.WParam), cellX, cellY);
}

bool TPlot3D::HoverCell(int X, int Y, int& CellX, int& CellY) {
  RefreshGridData();
  CellX = CellY = 0;
  const int nc = FProjMapX->NrOfColumns(), nr = FProjMapX->NrOfRows();
  if (nc < 2 || nr < 2) return false;
  // The maps once, column-major, instead of three calls per corner and cell.
  std::vector<int64_t> xs(size_t(nc) * nr), ys(xs.size());
  for (int c = 1; c <= nc; ++c)
    for (int r = 1; r <= nr; ++r) {
      xs[size_t(c - 1) * nr + (r - 1)] = FProjMapX->GetVal(c, r);
      ys[size_t(c - 1) * nr + (r - 1)] = FProjMapY->GetVal(c, r);
    }
  const int64_t px = std::clamp<int64_t>(X, -MaxPlot3DPixel, MaxPlot3DPixel);
  const int64_t py = std::clamp<int64_t>(Y, -MaxPlot3DPixel, MaxPlot3DPixel);
  int32_t best = -2147483647;
  for (int a = 1; a < nc; ++a)
    for (int r = 1; r < nr; ++r) {
      const size_t at[4] = {size_t(a - 1) * nr + (r - 1), size_t(a - 1) * nr + r, size_t(a) * nr + r,
                            size_t(a) * nr + (r - 1)};
      int64_t area = 0, sides = 0;
      for (int i = 0; i < 4; ++i) {
        const size_t p = at[i], q = at[(i + 1) % 4];
        area += xs[p] * ys[q] - xs[q] * ys[p];
        sides += EdgeSide(xs[p], ys[p], xs[q], ys[q], px, py);
      }
      if (area == 0 || std::llabs(sides) <= 2) continue;
      const int32_t painted = FProjMapZ->GetVal(a, r);
      if (painted > best) {
        best = painted;
        CellX = a;
        CellY = r;
      }
    }
  return CellX != 0;
}

}  // namespace qelta
