// Qelta_geomap: the mouse. Panning (both ways, across, up and down) anchored where the drag began,
// the zoom window, the zoom drag, the rubber-band line, and the modal mouse box.
//
// The temporary shapes go straight onto the control's canvas in XOR with a white pen, so drawing a
// shape a second time removes it and leaves the picture as it was. View changes repaint through
// Paint and fire OnZoomPan. Magnifications set by the mouse stay within [kMinMouseMag, kMaxMouseMag]
// and a zoom-drag step multiplies by at least kMinDragFactor, so a drag far down never reaches 0.

#include <algorithm>
#include <cmath>

#include "Forms.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"

namespace qelta {

namespace {

using map_detail::RoundToInt;

constexpr double kMinMouseMag = 0.001, kMaxMouseMag = 1000, kMinDragFactor = 0.1;

bool Panning(TMouseActMode a) { return a == maPan || a == maPanHoriz || a == maPanVert; }

}  // namespace

namespace map_detail {

double ZoomDragFactor(int X0, int Y0, int X, int Y, int W, int H) {
  const double f = 1 - 0.05 * (X0 - X) / std::max(W, 1) + double(Y0 - Y) / std::max(H, 1);
  return std::max(f, kMinDragFactor);
}

double MouseMagnification(double m) { return std::clamp(m, kMinMouseMag, kMaxMouseMag); }

}  // namespace map_detail

void TGeoMap::XorShape(const std::function<void(TCanvas*)>& Draw) {
  TCanvas* c = Canvas();
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clWhite);
  c->Brush()->SetStyle(bsClear);
  Draw(c);
  c->Pen()->SetMode(pmCopy);
  c->Brush()->SetStyle(bsSolid);
}

void TGeoMap::XorRect(int x1, int y1, int x2, int y2) {
  XorShape([&](TCanvas* c) { c->Rectangle(x1, y1, x2, y2); });
}

void TGeoMap::XorLine(int x1, int y1, int x2, int y2) {
  XorShape([&](TCanvas* c) {
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  });
}

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TPoint click = ControlToMapImage(TPoint{X, Y});
  FLastMClickPosX = click.X;
  FLastMClickPosY = click.Y;
  if (FMouseBoxState == msFirstCorner) {
    if (Button == mbRight) {
      FMouseBoxState = msNormal;
    } else {
      FMouseBoxX1 = FWindOldCornerX = X;
      FMouseBoxY1 = FWindOldCornerY = Y;
      FMouseBoxState = msRectDraw;
    }
  }
  const bool inside = X >= 0 && X <= Width() && Y >= 0 && Y <= Height();
  if (FMouseAction == maZoomWind && FZoomState == zsNormal && Button == mbLeft && inside) {
    FWindAnchorX = FWindOldCornerX = X;
    FWindAnchorY = FWindOldCornerY = Y;
    FZoomState = zsDrawWin;
  }
  if (FMouseAction == maRubberBand && Button == mbLeft) {
    if (Shift.Contains(ssCtrl) && FRubberBandOn) {
      if (OnContinueRubberBand) OnContinueRubberBand(this, click);
      FRubberBAnchorX = X;
      FRubberBAnchorY = Y;
    } else if (FRubberBandOn) {
      XorLine(FRubberBAnchorX, FRubberBAnchorY, FRubberBandOldX, FRubberBandOldY);
      FRubberBandOn = false;
      if (OnEndRubberBand) OnEndRubberBand(this, click);
    } else {
      FRubberBandOn = true;
      if (OnBeginRubberBand) OnBeginRubberBand(this, click);
      FRubberBAnchorX = FRubberBandOldX = X;
      FRubberBAnchorY = FRubberBandOldY = Y;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int X, int Y) {
  const int W = Width(), H = Height();
  if (FMouseBoxState == msRectDraw) {
    const int bx = std::clamp(X, 1, std::max(W, 1)), by = std::clamp(Y, 1, std::max(H, 1));
    XorRect(FMouseBoxX1, FMouseBoxY1, FWindOldCornerX, FWindOldCornerY);
    XorRect(FMouseBoxX1, FMouseBoxY1, bx, by);
    FWindOldCornerX = bx;
    FWindOldCornerY = by;
  }
  const bool inside = X >= 0 && X <= W && Y >= 0 && Y <= H;
  const bool left = Shift.Contains(ssLeft);
  if (Panning(FMouseAction) || FMouseAction == maZoomDrag) {
    if (!left) {
      FLButtonWasDown = false;
    } else if (!FLButtonWasDown) {
      MouseAnchorX = X;
      MouseAnchorY = Y;
      FTopLeftXAnchor = FTopLeft.X;
      FTopLeftYAnchor = FTopLeft.Y;
      FLButtonWasDown = true;
    } else if (inside) {
      if (FMouseAction == maZoomDrag) ZoomDrag(X, Y);
      else PanDrag(X, Y);
    }
  } else if (FMouseAction == maRubberBand && FRubberBandOn) {
    XorLine(FRubberBAnchorX, FRubberBAnchorY, FRubberBandOldX, FRubberBandOldY);
    XorLine(FRubberBAnchorX, FRubberBAnchorY, X, Y);
    FRubberBandOldX = X;
    FRubberBandOldY = Y;
  } else if (FMouseAction == maZoomWind && FZoomState == zsDrawWin) {
    const int wx = std::clamp(X, 0, W), wy = std::clamp(Y, 0, H);
    XorRect(FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY);
    XorRect(FWindAnchorX, FWindAnchorY, wx, wy);
    FWindOldCornerX = wx;
    FWindOldCornerY = wy;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TGeoMap::PanDrag(int X, int Y) {
  const double m = FMagnify;
  if (FMouseAction != maPanVert) FTopLeft.X = RoundToInt(double(FTopLeftXAnchor) + RoundToInt((MouseAnchorX - X) / m));
  if (FMouseAction != maPanHoriz) FTopLeft.Y = RoundToInt(double(FTopLeftYAnchor) + RoundToInt((MouseAnchorY - Y) / m));
  if (FConfinePan) PanMapToFillWindow();
  Paint();
  DoZoomPanEvent();
}

void TGeoMap::ZoomDrag(int X, int Y) {
  const int W = Width(), H = Height();
  const double m = FMagnify;
  const int hw = RoundToInt(W / m / 2), cy = RoundToInt(RoundToInt(H / m / 2) + double(FTopLeft.Y));
  const double m2 = map_detail::MouseMagnification(m * map_detail::ZoomDragFactor(MouseAnchorX, MouseAnchorY, X, Y, W, H));
  FMagnify = m2;
  FTopLeft.X = RoundToInt(double(FTopLeft.X) + hw - RoundToInt(W / m2 / 2));
  FTopLeft.Y = RoundToInt(double(cy) - RoundToInt(H / m2 / 2));
  Paint();
  DoZoomPanEvent();
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (FMouseBoxState == msRectDraw) {
    if (Button == mbRight) {
      FMouseBoxState = msNormal;
    } else {
      FMouseBoxX2 = X;
      FMouseBoxY2 = Y;
      FMouseBoxState = msFinished;
    }
    XorRect(FMouseBoxX1, FMouseBoxY1, FWindOldCornerX, FWindOldCornerY);
  }
  if (FMouseAction == maZoomWind && FZoomState == zsDrawWin) {
    if (Button == mbRight) {
      FZoomState = zsNormal;
      XorRect(FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY);
    } else if (Button == mbLeft) {
      XorRect(FWindAnchorX, FWindAnchorY, FWindOldCornerX, FWindOldCornerY);
      if (FWindAnchorX != FWindOldCornerX && FWindAnchorY != FWindOldCornerY) ZoomToWindow(X, Y);
      FZoomState = zsNormal;
    }
  }
  if (Panning(FMouseAction) || FMouseAction == maZoomDrag) ZoomStateOnStack();
  // The drag ends here: a new press at the same place (no move between) starts a new anchor.
  FLButtonWasDown = false;
}

void TGeoMap::ZoomToWindow(int X, int Y) {
  const TPoint p1 = ControlToMapImage(TPoint{std::min(X, FWindAnchorX), std::min(Y, FWindAnchorY)});
  const TPoint p2 = ControlToMapImage(TPoint{std::max(X, FWindAnchorX), std::max(Y, FWindAnchorY)});
  if (p1.X == p2.X || p1.Y == p2.Y) return;
  const double dx = double(p2.X) - p1.X, dy = double(p2.Y) - p1.Y;
  const double m = map_detail::MouseMagnification(std::fabs(dy) < std::fabs(dx) ? Width() / std::fabs(dx)
                                                                           : Height() / std::fabs(dy));
  FMagnify = m;
  FTopLeft.X = RoundToInt(p1.X + double(RoundToInt((dx - Width() / m) / 2)));
  FTopLeft.Y = RoundToInt(p1.Y + double(RoundToInt((dy - Height() / m) / 2)));
  Paint();
  DoZoomPanEvent();
}

bool TGeoMap::MouseBox(int& X1, int& Y1, int& X2, int& Y2) {
  const TMouseActMode saved = FMouseAction;
  FMouseAction = maNone;
  FMouseBoxState = msFirstCorner;
  // Headless, a loop with nothing left that could finish it ends as an abort.
  while (FMouseBoxState != msFinished && FMouseBoxState != msNormal) {
    if (Application->Terminated() || !Application->ModalStep()) FMouseBoxState = msNormal;
  }
  const bool finished = FMouseBoxState == msFinished;
  if (finished) {
    X1 = std::min(FMouseBoxX1, FMouseBoxX2);
    X2 = std::max(FMouseBoxX1, FMouseBoxX2);
    Y1 = std::min(FMouseBoxY1, FMouseBoxY2);
    Y2 = std::max(FMouseBoxY1, FMouseBoxY2);
  }
  FMouseBoxState = msNormal;
  FMouseAction = saved;
  return finished;
}

void TGeoMap::MouseBoxAbort() { FMouseBoxState = msNormal; }

}  // namespace qelta
