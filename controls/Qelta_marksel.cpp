// Qelta_marksel: the mark selector TMarkSel.
//
// Drawing order of the palette: background, then each visible mark in its cell (the selected one on
// its own background), then the frame in the mark colour. Cell rectangles, with (x, y) a mark's point
// and dh x dv the cell size: the selected cell x - dh div 2 + 3 .. x + dh div 2 + 3 (right and bottom
// exclusive), the highlight one pixel smaller on each side; marks are drawn at (x + 2, y + 2).
// Deviations from the classic control:
//  - ResetLastHiLite skips a hidden mark: hiding the highlighted mark left its stale place behind, and
//    the next move drew the hidden symbol into the cell another mark now holds.
//  - HiLite ignores marks that are hidden or outside 0..51 (they have no place).
//  - Paint draws nothing when the bitmap cannot be had (a control over 2^28 pixels).

#include "Qelta_marksel.h"

#include <memory>

#include "Qelta_ctlbitmap.h"

namespace qelta {
namespace {

void PenAndBrush(TCanvas* c, TColor pen, TColor brush) {
  c->Pen()->SetColor(pen);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(brush);
}

}  // namespace

// [SECTION] layout

TMarkSelLayout MarkSelLayout(int W, int H, int Cols, int Rows, const TMarkVisibility& Visible) {
  TMarkSelLayout l;
  l.DistHorz = (W - 4) / Cols;
  l.DistVert = (H - 4) / Rows;
  const int marginHorz = l.DistHorz / 2, marginVert = l.DistVert / 2;
  int n = 0;
  for (int m = 0; m < kMarkSelMarks; ++m) {
    if (!Visible[m]) continue;
    l.Coords[m] = Point(marginHorz + l.DistHorz * (n % Cols), marginVert + (n / Cols) * l.DistVert);
    ++n;
  }
  return l;
}

int NearestMark(const TMarkSelLayout& Layout, const TMarkVisibility& Visible, int x, int y) {
  int best = 0;
  int64_t bestDist = -1;
  for (int m = 0; m < kMarkSelMarks; ++m) {
    if (!Visible[m]) continue;
    const int64_t dx = int64_t(Layout.Coords[m].X) - x, dy = int64_t(Layout.Coords[m].Y) - y;
    const int64_t d = dx * dx + dy * dy;
    if (bestDist < 0 || d < bestDist) {
      best = m;
      bestDist = d;
    }
  }
  return best;
}

// [SECTION] construction

TMarkSel::TMarkSel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FMarkVis.fill(true);
  SetBounds(0, 0, 236, 178);
  FLayout = MarkSelLayout(Width(), Height(), FNrCols, FNrRows, FMarkVis);
}

TMarkSel::~TMarkSel() = default;

// [SECTION] drawing

TRect TMarkSel::CellRect(int Mark, int lo, int hi) const {
  const TPoint p = FLayout.Coords[Mark];
  const int dh = FLayout.DistHorz / 2, dv = FLayout.DistVert / 2;
  return Rect(p.X - dh + lo, p.Y - dv + lo, p.X + dh + hi, p.Y + dv + hi);
}

void TMarkSel::DrawSymbol(TCanvas* Canvas, int Mark) const {
  if (Mark == 0 && FZeroAsCross) {
    const int dh = FLayout.DistHorz, dv = FLayout.DistVert;
    Canvas->MoveTo(4, 4);
    Canvas->LineTo(dh + 1, dv + 1);
    Canvas->MoveTo(4, dv);
    Canvas->LineTo(dh + 1, 3);
    return;
  }
  const TPoint p = FLayout.Coords[Mark];
  DrawMarkOnCanvas(Canvas, static_cast<uint8_t>(Mark), p.X + 2, p.Y + 2);
}

void TMarkSel::DrawMarks(TBitmap& Bmp) {
  const TColor marks = FEnabled ? FColorFG : clGray, back = FEnabled ? FColorBG : clSilver;
  const TColor selMarks = FEnabled ? FColorSelFG : clGray, selBack = FEnabled ? FColorSelBG : TColor(0xDEDEDE);
  TCanvas* c = Bmp.Canvas();
  const int W = Bmp.Width(), H = Bmp.Height();
  PenAndBrush(c, back, back);
  c->Rectangle(0, 0, W, H);
  c->Pen()->SetColor(marks);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetMode(pmCopy);
  c->SetCopyMode(cmSrcCopy);
  FLayout = MarkSelLayout(W, H, FNrCols, FNrRows, FMarkVis);
  for (int m = 0; m < kMarkSelMarks; ++m) {
    if (!FMarkVis[m]) continue;
    if (m == FSelected) {
      PenAndBrush(c, selMarks, selBack);
      c->Rectangle(CellRect(m, 3, 3));
    } else {
      PenAndBrush(c, marks, back);
    }
    DrawSymbol(c, m);
  }
  DrawFrame(c, FFrameStyle, 0, 0, W - 1, H - 1, clWhite, clSilver, clGray, clBlack, marks);
}

void TMarkSel::Paint() {
  const std::unique_ptr<TBitmap> bmp = ctl_detail::OffscreenBitmap(Width(), Height());
  if (bmp == nullptr) return;
  DrawMarks(*bmp);
  Canvas()->Draw(0, 0, bmp.get());
  if (OnPaint) OnPaint(this);
}

// [SECTION] highlight

void TMarkSel::HiLite(int Mark) {
  if (!Placed(Mark)) return;
  FLastHiLite = Mark;
  TCanvas* c = Canvas();
  PenAndBrush(c, FColorHiLite, FColorHiLite);
  c->Rectangle(CellRect(Mark, 4, 2));
  c->Pen()->SetColor(FColorHiSymb);
  DrawSymbol(c, Mark);
}

void TMarkSel::ResetLastHiLite() {
  if (!Placed(FLastHiLite)) return;
  const bool selected = FLastHiLite == FSelected;
  TCanvas* c = Canvas();
  PenAndBrush(c, selected ? FColorSelFG : FColorBG, selected ? FColorSelBG : FColorBG);
  c->Rectangle(CellRect(FLastHiLite, 3, 3));
  c->Pen()->SetColor(selected ? FColorSelFG : FColorFG);
  DrawSymbol(c, FLastHiLite);
}

// [SECTION] mouse

void TMarkSel::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  const int m = NearestMark(FLayout, FMarkVis, X, Y);
  if (m == FLastHiLite) return;
  ResetLastHiLite();
  HiLite(m);
}

void TMarkSel::WndProc(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  if (Message.Msg == WM_LBUTTONUP || Message.Msg == WM_LBUTTONDBLCLK)
    WMMarkClick(Message, Message.Msg == WM_LBUTTONDBLCLK);
}

void TMarkSel::WMMarkClick(const TMessage& Message, bool Double) {
  const int x = MouseLParamX(Message.LParam), y = MouseLParamY(Message.LParam);
  if (x == -1 && y == -1) return;
  FSelected = NearestMark(FLayout, FMarkVis, x, y);
  const TMarkClickEvent& event = Double ? OnMarkDblClick : OnMarkClick;
  if (event) event(this, x, y, FSelected);
  Paint();
  HiLite(FSelected);
}

// [SECTION] marks

bool TMarkSel::GetVis(int Pos) const { return FMarkVis[Pos >= 0 && Pos < kMarkSelMarks ? Pos : 0]; }

void TMarkSel::SetVis(int Pos, bool Visible) {
  if (Pos < 1 || Pos >= kMarkSelMarks) return;
  FMarkVis[Pos] = Visible;
  Paint();
}

void TMarkSel::ShowAllMarks() {
  for (int m = 1; m < kMarkSelMarks; ++m) FMarkVis[m] = true;
  Paint();
}

void TMarkSel::HideAllMarks() {
  for (int m = 1; m < kMarkSelMarks; ++m) FMarkVis[m] = false;
  Paint();
}

// [SECTION] properties

template <class T>
void TMarkSel::Store(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  Paint();
}

void TMarkSel::SetNrOfColumns(int value) {
  if (value >= 1 && value <= 51) Store(FNrCols, value);
}

void TMarkSel::SetNrOfRows(int value) {
  if (value >= 1 && value <= 51) Store(FNrRows, value);
}

void TMarkSel::SetSelected(int value) {
  if (value >= -1 && value <= 51) Store(FSelected, value);
}

void TMarkSel::SetShowZeroAsCross(bool value) {
  FZeroAsCross = value;
  Invalidate();
}

void TMarkSel::SetColorBackGnd(TColor value) { Store(FColorBG, value); }
void TMarkSel::SetColorMarks(TColor value) { Store(FColorFG, value); }
void TMarkSel::SetColorSelBG(TColor value) { Store(FColorSelBG, value); }
void TMarkSel::SetColorSelFG(TColor value) { Store(FColorSelFG, value); }
void TMarkSel::SetColorHiLiteBG(TColor value) { Store(FColorHiLite, value); }
void TMarkSel::SetColorHiLiteSymbol(TColor value) { Store(FColorHiSymb, value); }
void TMarkSel::SetFrameStyle(TFrameStyle value) { Store(FFrameStyle, value); }

void TMarkSel::SetEnabled(bool value) {
  FEnabled = value;
  TGraphicControl::SetEnabled(value);
  Invalidate();
}

}  // namespace qelta
