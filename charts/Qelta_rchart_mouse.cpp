// Qelta_rchart: the mouse. MouseAction chooses what a drag does: pan (both axes, x or y), rubber
// band, zoom window (free or ordered by the axes), zoom by dragging, dragging the nearest cross-hair
// or text label. MouseBox asks the user for a rectangle in a nested message loop.
//
// Handlers follow the platform's input rules: the capture keeps moves and the release arriving from
// outside the control (their positions are clamped here where a window is drawn), and after a
// double click the platform reports DblClick and then a MouseDown with ssDouble, which is swallowed
// so that a double click starts no window. Pan and zoom drag take their anchors on the first move
// with the left button held and move from there; every later move inside the data area forces the
// mouse-affected layers' ranges with painting held, paints once and fires OnZoomPan, and every
// button-up of these actions records the ranges in the zoom ring (a plain click too). Windows and
// the mouse box are drawn on the control's canvas in XOR mode, so drawing them again removes them.
// Kept as the classic component has them: maZoomWind keeps the drag direction (dragging against an
// axis reverses it) while maZoomWindPos and the rubber band order each pair like its axis; the
// rubber band also fires OnZoomPan; zoom drag scales linearly on logarithmic axes too; ties in the
// nearest cross-hair or label go to the lower number. Entering and leaving the chart fire
// OnMouseEnter and OnMouseLeave through the platform's own handling; WM_GETDLGCODE asks for the
// arrow keys and Tab.
// Deviations from the classic component, keeping what callers rely on:
//  - The classic set the screen's cursor on every move, which clobbered a host's busy cursor and
//    could stick after a fast exit. The action's cursor is the chart's own Cursor here (shown while
//    the pointer is over the chart); where the classic showed the default cursor, the cursor the
//    chart had before comes back.
//  - The mouse box ends at the last corner drawn (clamped into the data area), not at the unclamped
//    release position.
//  - The XOR window is removed on every button-up (the classic left it after a middle-button release
//    and for a window without width or height), and by MouseBoxAbort.
//  - MouseBox waits for messages instead of spinning; it answers false when the application
//    terminates, when nothing is left that could end it, or when the chart is destroyed meanwhile
//    (without touching it afterwards); a nested call answers false at once.
//  - A cross-hair or label drag sets the position with the object's notification held and paints
//    once (the classic painted once per coordinate and once more).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "Forms.h"
#include "Qelta_rchart_internal.h"

namespace qelta {

using plot_detail::ClampPixel;
namespace {

// Cursor slots the chart's constructor fills: hand, zoom window, zoom drag, zoom window ordered.
constexpr TCursor kCursorHand = 1, kCursorZoomWind = 2, kCursorZoomDrag = 3, kCursorZoomWindPos = 4;

bool IsPanAction(TMouseActMode a) { return a == maPan || a == maPanHoriz || a == maPanVert; }
bool IsWindowAction(TMouseActMode a) { return a == maRubberBand || a == maZoomWind || a == maZoomWindPos; }

int Between(int64_t v, int64_t lo, int64_t hi) { return SaturateToInt(std::max(lo, std::min(v, hi))); }

// The anchored range of an axis moved by d pixels of an axis of `size` pixels, the shift taken
// from the current span (a factor on a logarithmic axis). An axis of no size keeps lo..hi.
void PanAxis(bool Log, double anchorLo, double anchorHi, int64_t d, int size, Extended& lo, Extended& hi) {
  if (size <= 0) return;
  const Extended part = static_cast<Extended>(d) / size;
  if (Log) {
    const Extended f = std::exp(std::log(hi / lo) * part);
    lo = anchorLo * f;
    hi = anchorHi * f;
  } else {
    const Extended s = (hi - lo) * part;
    lo = anchorLo + s;
    hi = anchorHi + s;
  }
}

// Puts a pair in the order of its axis: ascending unless the axis runs from high to low.
void OrderLikeAxis(double& a, double& b, const TScaleProps& p) {
  const double lo = p.RangeLow(), hi = p.RangeHigh();
  if ((lo < hi && a > b) || (lo > hi && a < b)) std::swap(a, b);
}

}  // namespace

// [SECTION] messages

void TCustomRChart::WndProc(TMessage& Message) {
  const std::shared_ptr<bool> alive = FAlive;  // a host's handler may destroy the chart
  TCustomControl::WndProc(Message);
  if (!*alive) return;
  if (Message.Msg == WM_GETDLGCODE) Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
  if (Message.Msg == WM_MOUSEMOVE) WMMouseMoveInChart(Message);
}

void TCustomRChart::WMMouseMoveInChart(TMessage& Message) {
  const int x = MouseLParamX(Message.LParam), y = MouseLParamY(Message.LParam);
  double rx = 0, ry = 0;
  M2R(FActiveLayer, x, y, rx, ry);
  MouseMoveInChart(InDataArea(x, y), KeysToShiftState(Message.WParam), rx, ry);
}

bool TCustomRChart::InDataArea(int X, int Y) const {
  return X >= RcLRim && int64_t{X} <= int64_t{Width()} - RcRRim - F3DRim && Y >= RcTRim &&
         int64_t{Y} <= int64_t{Height()} - RcBRim - F3DRim;
}

void TCustomRChart::ClampToData(int& X, int& Y) const {
  X = Between(X, RcLRim, int64_t{Width()} - RcRRim - F3DRim);
  Y = Between(Y, RcTRim, int64_t{Height()} - RcBRim - F3DRim);
}

void TCustomRChart::DrawXorRect(int x1, int y1, int x2, int y2) {
  TCanvas* c = Canvas();
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clWhite);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(x1, y1, x2, y2);
  c->Pen()->SetMode(pmCopy);
  c->Brush()->SetStyle(bsSolid);
}

// [SECTION] button down, double click

void TCustomRChart::DblClick() {
  FWasDblClk = true;
  TCustomControl::DblClick();
}

void TCustomRChart::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (std::exchange(FWasDblClk, false)) return;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (MouseBoxState == msFirstCorner) {
    if (Button == mbRight) {
      MouseBoxState = msNormal;
    } else {
      MouseBoxX1 = MouseBoxX2 = X;
      MouseBoxY1 = MouseBoxY2 = Y;
      MouseBoxState = msRectDraw;
    }
  }
  if (IsWindowAction(RcMouseAction) && FZoomState == zsNormal && Button == mbLeft && InDataArea(X, Y)) {
    FZoomState = zsDrawWin;
    WindAnchorX = WindOldCornerX = X;
    WindAnchorY = WindOldCornerY = Y;
  }
}

// [SECTION] moves

void TCustomRChart::MouseMove(TShiftState Shift, int X, int Y) {
  LastMouseX = X;
  LastMouseY = Y;
  TCustomControl::MouseMove(Shift, X, Y);
  if (MouseBoxState == msRectDraw) MoveMouseBox(X, Y);
  const bool left = Shift.Contains(ssLeft);
  switch (RcMouseAction) {
    case maPan:
    case maPanHoriz:
    case maPanVert:
    case maZoomDrag:
      if (left && !LButtonWasDown) TakeAnchors(X, Y);
      if (left && LButtonWasDown && InDataArea(X, Y)) RcMouseAction == maZoomDrag ? ZoomDrag(X, Y) : Pan(X, Y);
      LButtonWasDown = left;
      break;
    case maRubberBand:
    case maZoomWind:
    case maZoomWindPos:
      if (FZoomState == zsDrawWin) MoveZoomWindow(X, Y);
      break;
    case maDragCrossH:
      if (left) DragCrossHair(X, Y, !LButtonWasDown);
      LButtonWasDown = left;
      break;
    case maDragLabel:
      if (left) DragLabel(X, Y, !LButtonWasDown);
      LButtonWasDown = left;
      break;
    default:
      break;
  }
  if (InDataArea(X, Y)) M2R(FActiveLayer, X, Y, FMousePosX, FMousePosY);
  ShowMouseCursor(X, Y);
}

void TCustomRChart::MoveMouseBox(int& X, int& Y) {
  ClampToData(X, Y);
  DrawXorRect(MouseBoxX1, MouseBoxY1, MouseBoxX2, MouseBoxY2);
  DrawXorRect(MouseBoxX1, MouseBoxY1, X, Y);
  MouseBoxX2 = X;
  MouseBoxY2 = Y;
}

void TCustomRChart::MoveZoomWindow(int& X, int& Y) {
  X = Between(X, RcLRim, int64_t{Width()} - RcRRim - F3DRim);
  if (FIsometric) {
    // A pixel square: the height follows the width, upward or downward as the pointer went.
    const int64_t dx = int64_t{X} - WindAnchorX;
    Y = SaturateToInt((int64_t{Y} - WindAnchorY) * dx >= 1 ? WindAnchorY + dx : WindAnchorY - dx);
  }
  Y = Between(Y, RcTRim, int64_t{Height()} - RcBRim - F3DRim);
  DrawXorRect(WindAnchorX, WindAnchorY, WindOldCornerX, WindOldCornerY);
  DrawXorRect(WindAnchorX, WindAnchorY, X, Y);
  WindOldCornerX = X;
  WindOldCornerY = Y;
}

void TCustomRChart::TakeAnchors(int X, int Y) {
  for (int l = 1; l <= MaxChartLayers; ++l) {
    FMAnchorScrX[l] = X;
    FMAnchorScrY[l] = Y;
    FMAnchorRcLoX[l] = FScalePropsX[l]->RangeLow();
    FMAnchorRcHiX[l] = FScalePropsX[l]->RangeHigh();
    FMAnchorRcLoY[l] = FScalePropsY[l]->RangeLow();
    FMAnchorRcHiY[l] = FScalePropsY[l]->RangeHigh();
  }
}

void TCustomRChart::Pan(int X, int Y) {
  TPaintHold hold(*this);
  const bool panX = RcMouseAction != maPanVert, panY = RcMouseAction != maPanHoriz;
  for (int l = 1; l <= MaxChartLayers; ++l) {
    if (!FMouseAffLayer[l]) continue;
    const TScaleProps& px = *FScalePropsX[l];
    const TScaleProps& py = *FScalePropsY[l];
    Extended xLo = px.RangeLow(), xHi = px.RangeHigh(), yLo = py.RangeLow(), yHi = py.RangeHigh();
    if (panX)
      PanAxis(px.Logarithmic(), FMAnchorRcLoX[l], FMAnchorRcHiX[l], int64_t{FMAnchorScrX[l]} - X, DataWidth(), xLo,
              xHi);
    if (panY)
      PanAxis(py.Logarithmic(), FMAnchorRcLoY[l], FMAnchorRcHiY[l], int64_t{Y} - FMAnchorScrY[l], DataHeight(), yLo,
              yHi);
    ForceRange(l, xLo, yLo, xHi, yHi, false, true);
  }
  hold.Restore();
  DoZoomPanEvent();
}

void TCustomRChart::ZoomDrag(int X, int Y) {
  if (Width() <= 0 || Height() <= 0) return;
  TPaintHold hold(*this);
  for (int l = 1; l <= MaxChartLayers; ++l) {
    if (!FMouseAffLayer[l]) continue;
    const Extended fx = 1 - static_cast<Extended>(int64_t{X} - FMAnchorScrX[l]) / Width();
    const Extended fy = FIsometric ? fx : static_cast<Extended>(int64_t{Y} - FMAnchorScrY[l]) / Height() + 1;
    const Extended cx = (static_cast<Extended>(FMAnchorRcHiX[l]) + FMAnchorRcLoX[l]) / 2;
    const Extended cy = (static_cast<Extended>(FMAnchorRcHiY[l]) + FMAnchorRcLoY[l]) / 2;
    const Extended hx = (static_cast<Extended>(FMAnchorRcHiX[l]) - FMAnchorRcLoX[l]) * fx / 2;
    const Extended hy = (static_cast<Extended>(FMAnchorRcHiY[l]) - FMAnchorRcLoY[l]) * fy / 2;
    ForceRange(l, cx - hx, cy - hy, cx + hx, cy + hy, false, true);
  }
  hold.Restore();
  DoZoomPanEvent();
}

// [SECTION] dragging cross-hairs and labels

void TCustomRChart::DragCrossHair(int X, int Y, bool First) {
  if (First) {
    TakeAnchors(X, Y);
    // The smallest column distance of a vertical line or row distance of a horizontal one.
    CHNext = 1;
    int64_t best = INT64_MAX;
    for (int i = 1; i <= MaxCrossHairs; ++i) {
      const TCrossHair& ch = *FCrossHair[i];
      int px = 0, py = 0;
      R2M(ch.Layer(), ch.PosX(), ch.PosY(), px, py);
      const TCrossHMode m = ch.Mode();
      const int64_t dx = std::llabs(int64_t{X} - px), dy = std::llabs(int64_t{Y} - py);
      if ((m == chVert || m == chBoth) && dx < best) best = dx, CHNext = i;
      if ((m == chHoriz || m == chBoth) && dy < best) best = dy, CHNext = i;
    }
    return;
  }
  TCrossHair& ch = *FCrossHair[CHNext];
  double rx = 0, ry = 0;
  M2R(ch.Layer(), X, Y, rx, ry);
  {
    plot_detail::THeldChange<TCrossHair> quiet(ch);
    ch.SetPosX(rx);
    ch.SetPosY(ry);
  }
  Paint();
  DoCrossHMoveEvent(&ch);
}

void TCustomRChart::DragLabel(int X, int Y, bool First) {
  if (First) {
    TakeAnchors(X, Y);
    // Squared pixel distances of the label points as drawn (kept to +-PixelLimit).
    TLNext = 1;
    int64_t best = INT64_MAX;
    const int64_t mx = ClampPixel(X), my = ClampPixel(Y);
    for (int i = 1; i <= MaxTextLabels; ++i) {
      const TTextLabel& t = *FTextLabels[i];
      if (t.Mode() == tlOff || !t.Visible()) continue;
      int rx = 0, ry = 0;
      R2M(t.Layer(), t.PosX(), t.PosY(), rx, ry);
      const TTxtLblAttachMode a = t.AttachToData();
      const int64_t lx = ClampPixel(a == tlamXOnly || a == tlamBoth ? rx : plot_detail::TAxisToPixel::Pixel(t.PosX()));
      const int64_t ly = ClampPixel(a == tlamYOnly || a == tlamBoth ? ry : plot_detail::TAxisToPixel::Pixel(t.PosY()));
      const int64_t d = (lx - mx) * (lx - mx) + (ly - my) * (ly - my);
      if (d < best) best = d, TLNext = i;
    }
    return;
  }
  TTextLabel& t = *FTextLabels[TLNext];
  double rx = 0, ry = 0;
  M2R(t.Layer(), X, Y, rx, ry);
  const TTxtLblAttachMode a = t.AttachToData();
  {
    plot_detail::THeldChange<TTextLabel> quiet(t);
    t.SetPosX(a == tlamXOnly || a == tlamBoth ? rx : X);
    t.SetPosY(a == tlamYOnly || a == tlamBoth ? ry : Y);
  }
  Paint();
  DoTxtLblMoveEvent(&t);
}

// [SECTION] cursor

void TCustomRChart::ShowMouseCursor(int X, int Y) {
  if (!InDataArea(X, Y) || FMCurFixed) return ShowOwnCursor();
  switch (RcMouseAction) {
    case maNone:
      return ShowActionCursor(crCross);
    case maPan:
    case maPanHoriz:
    case maPanVert:
      return ShowActionCursor(kCursorHand);
    case maRubberBand:
    case maDragCrossH:
    case maDragLabel:
      return ShowOwnCursor();
    case maZoomWind:
      return ShowActionCursor(kCursorZoomWind);
    case maZoomWindPos:
      return ShowActionCursor(kCursorZoomWindPos);
    case maZoomDrag:
      return ShowActionCursor(kCursorZoomDrag);
    default:
      return;
  }
}

void TCustomRChart::ShowActionCursor(TCursor Cursor) {
  if (!FActionCursorShown) FOwnCursor = TCustomControl::Cursor();
  FActionCursorShown = true;
  SetCursor(Cursor);
}

void TCustomRChart::ShowOwnCursor() {
  if (!std::exchange(FActionCursorShown, false)) return;
  SetCursor(FOwnCursor);
}

// [SECTION] button up

void TCustomRChart::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (std::exchange(FWasDblClk, false)) return;
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (MouseBoxState == msRectDraw) FinishMouseBox(Button);
  if (IsWindowAction(RcMouseAction) && FZoomState == zsDrawWin) FinishZoomWindow(Button);
  if (IsPanAction(RcMouseAction) || RcMouseAction == maZoomDrag) ZoomStateOnStack();
}

void TCustomRChart::FinishMouseBox(TMouseButton Button) {
  DrawXorRect(MouseBoxX1, MouseBoxY1, MouseBoxX2, MouseBoxY2);
  MouseBoxState = Button == mbRight ? msNormal : msFinished;
}

void TCustomRChart::FinishZoomWindow(TMouseButton Button) {
  FZoomState = zsNormal;
  DrawXorRect(WindAnchorX, WindAnchorY, WindOldCornerX, WindOldCornerY);
  if (Button != mbLeft || WindOldCornerX == WindAnchorX || WindOldCornerY == WindAnchorY) return;
  TPaintHold hold(*this);
  for (int l = 1; l <= MaxChartLayers; ++l)
    if (FMouseAffLayer[l]) ZoomToWindow(l);
  DoZoomPanEvent();
  hold.Restore();
}

void TCustomRChart::ZoomToWindow(int Layer) {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  M2R(Layer, WindAnchorX, WindAnchorY, x1, y1);
  M2R(Layer, WindOldCornerX, WindOldCornerY, x2, y2);
  if (RcMouseAction != maZoomWind) {
    OrderLikeAxis(x1, x2, *FScalePropsX[Layer]);
    OrderLikeAxis(y1, y2, *FScalePropsY[Layer]);
  }
  Extended span = 0;
  if (FIsometric && IsometricSpan(static_cast<Extended>(x2) - x1, span)) {
    const Extended c = (static_cast<Extended>(y1) + y2) / 2;
    y2 = static_cast<double>(c + span / 2);
    y1 = static_cast<double>(c - span / 2);
  }
  if (RcMouseAction == maRubberBand) return DoRubberbandEvent(Layer, x1, y1, x2, y2);
  ForceRange(Layer, x1, y1, x2, y2, true, false);
}

// [SECTION] mouse box

bool TCustomRChart::MouseBox(double& xLo, double& yLo, double& xHi, double& yHi) {
  if (MouseBoxState != msNormal) return false;
  const std::shared_ptr<bool> alive = FAlive;
  MouseBoxState = msFirstCorner;
  while (MouseBoxState == msFirstCorner || MouseBoxState == msRectDraw) {
    if (Application->Terminated() || !Application->ModalStep()) {
      if (*alive) MouseBoxAbort();
      return false;
    }
    if (!*alive) return false;
    if (!Showing()) {  // its window was closed: no press or release can reach it any more
      MouseBoxAbort();
      return false;
    }
  }
  if (MouseBoxState != msFinished) return false;
  MouseBoxState = msNormal;
  M2R(FActiveLayer, MouseBoxX1, MouseBoxY1, xLo, yLo);
  M2R(FActiveLayer, MouseBoxX2, MouseBoxY2, xHi, yHi);
  if (xLo > xHi) std::swap(xLo, xHi);
  if (yLo > yHi) std::swap(yLo, yHi);
  return true;
}

void TCustomRChart::MouseBoxAbort() {
  if (MouseBoxState == msRectDraw) DrawXorRect(MouseBoxX1, MouseBoxY1, MouseBoxX2, MouseBoxY2);
  if (FZoomState == zsDrawWin) DrawXorRect(WindAnchorX, WindAnchorY, WindOldCornerX, WindOldCornerY);
  MouseBoxState = msNormal;
  FZoomState = zsNormal;
}

}  // namespace qelta
