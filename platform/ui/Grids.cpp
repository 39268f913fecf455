// Grids and their in-place editors.
//
// Index
//   [SECTION] layout           the two axes: where cells lie, what is visible, scrolling limits
//   [SECTION] properties       counts, sizes, options
//   [SECTION] position         current cell, anchor, selection, scrolling
//   [SECTION] painting
//   [SECTION] mouse and keys
//   [SECTION] editing          showing, committing and hiding the editor
//   [SECTION] TCustomDrawGrid, TStringGrid
//   [SECTION] in-place editors
//
// Layout: along each axis the fixed cells come first, then the scrolling ones from the first shown
// (LeftCol, TopRow). Every shown cell takes its size plus the line width (0 when neither line option
// of the axis is set); a hidden cell (negative size) takes nothing. A cell is visible when it starts
// inside the client area. A scroll bar's range is in cells: positions 0..Max are the first scrolling
// cells Fixed..LastFirst (the one that shows the last cell at the far end), Page the cells in view there.

#include "Grids.h"

#include <algorithm>

#include "ScrollBars.h"
#include "WidgetPaint.h"

namespace qelta {

namespace {

constexpr int kSizingZone = 4;         // pixels either side of a column's right edge that grab it
constexpr int kMaxCellSize = 1 << 24;  // a larger width or height is taken as this, so sums stay in range

int CellSize(int value) { return std::min(value, kMaxCellSize); }

[[noreturn]] void IndexOutOfRange() { throw EInvalidGridOperation("Grid index out of range"); }

}  // namespace

// [SECTION] layout

/// One axis: the sizes of its cells, the fixed count, the first scrolling cell shown, the line width
/// and the length of the client area along it.
struct TCustomGrid::TAxis {
  const std::vector<int>& Sizes;
  int Fixed;
  int First;
  int Line;
  int Extent;

  int Count() const { return static_cast<int>(Sizes.size()); }
  bool Hidden(int i) const { return Sizes[static_cast<std::size_t>(i)] < 0; }
  int Size(int i) const { return std::max(Sizes[static_cast<std::size_t>(i)], 0); }
  /// Size plus line, in 64 bits: a huge width must not overflow the sum.
  int64_t Slot(int i) const { return Hidden(i) ? 0 : int64_t{Size(i)} + Line; }
  /// The next index shown after i (fixed ones, then from First); Count() at the end.
  int Next(int i) const { return i + 1 == Fixed ? std::max(First, Fixed) : i + 1; }
  int Begin() const { return Fixed > 0 ? 0 : First; }
  /// Where cell i starts, or -1 when it is not shown (scrolled away, hidden or beyond the extent).
  int Start(int i) const {
    if (i < 0 || i >= Count() || Hidden(i) || (i >= Fixed && i < First)) return -1;
    int64_t at = 0;
    for (int k = Begin(); k < i; k = Next(k)) {
      at += Slot(k);
      if (at >= Extent) return -1;  // the cells before it already fill the client area
    }
    return at < Extent ? static_cast<int>(at) : -1;
  }
  /// The cell whose slot holds position p, or -1.
  int At(int p) const {
    if (p < 0) return -1;
    int64_t at = 0;
    for (int k = Begin(); k < Count() && at < Extent; k = Next(k)) {
      if (!Hidden(k) && p < at + Slot(k)) return k;
      at += Slot(k);
    }
    return -1;
  }
  /// Scrolling cells that fit wholly from First.
  int FullyVisible() const {
    int64_t at = 0;
    int n = 0;
    for (int k = 0; k < Fixed; ++k) at += Slot(k);
    for (int k = First; k < Count(); ++k) {
      if (at + Slot(k) - Line > Extent) break;
      at += Slot(k);
      ++n;
    }
    return n;
  }
  /// The smallest First that shows cell i wholly at the far end (i itself when nothing more fits).
  int FirstShowing(int i) const {
    int64_t room = Extent;
    for (int k = 0; k < Fixed; ++k) room -= Slot(k);
    int first = i;
    room -= Slot(i) - Line;
    for (int k = i - 1; k >= Fixed && room - Slot(k) >= 0; --k) {
      room -= Slot(k);
      first = k;
    }
    return first;
  }
  /// The largest First worth scrolling to: the one that shows the last cell wholly at the far end.
  int LastFirst() const { return Count() > Fixed ? FirstShowing(Count() - 1) : Fixed; }
  /// The range a scroll bar of this axis shows (it scrolls as far as First when that lies beyond).
  platform_detail::TScrollInfo Scroll() const {
    const int last = LastFirst(), first = std::max(First, Fixed);
    return {std::max(last, first) - Fixed, std::max(1, Count() - last), first - Fixed};
  }
};

int TCustomGrid::EffectiveLineWidth(bool vertical) const {
  const bool lines = vertical ? FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine)
                              : FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine);
  return lines ? FGridLineWidth : 0;
}

TCustomGrid::TAxis TCustomGrid::Horz() const {
  return {FColWidths, FFixedCols, FTopLeft.X, EffectiveLineWidth(true), ClientWidth()};
}

TCustomGrid::TAxis TCustomGrid::Vert() const {
  return {FRowHeights, FFixedRows, FTopLeft.Y, EffectiveLineWidth(false), ClientHeight()};
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
  const TAxis h = Horz(), v = Vert();
  const int x = h.Start(ACol), y = v.Start(ARow);
  if (x < 0 || y < 0) return TRect{};
  return Bounds(x, y, h.Size(ACol), v.Size(ARow));
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const { return {Horz().At(X), Vert().At(Y)}; }

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  const TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

int TCustomGrid::VisibleColCount() const { return Horz().FullyVisible(); }

int TCustomGrid::VisibleRowCount() const { return Vert().FullyVisible(); }

// [SECTION] properties

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner), FColWidths(5, 64), FRowHeights(5, 24) {
  FScrollBarPair = std::make_unique<platform_detail::TScrollBarPair>(
      this, [this](bool vertical, platform_detail::TScrollStep step, int position) { Scrolled(vertical, step, position); });
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CheckCell(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) IndexOutOfRange();
}

void TCustomGrid::SizeChanged(int /*OldColCount*/, int /*OldRowCount*/) {}

void TCustomGrid::SetColCount(int value) {
  value = std::max(value, 1);
  const int old = ColCount();
  if (value == old) return;
  if (value <= FFixedCols) FFixedCols = value - 1;
  FColWidths.resize(static_cast<std::size_t>(value), FDefaultColWidth);
  ClampPositions();
  UpdateScrollBars();
  SizeChanged(old, RowCount());
  Invalidate();
}

void TCustomGrid::SetRowCount(int value) {
  value = std::max(value, 1);
  const int old = RowCount();
  if (value == old) return;
  if (value <= FFixedRows) FFixedRows = value - 1;
  FRowHeights.resize(static_cast<std::size_t>(value), FDefaultRowHeight);
  ClampPositions();
  UpdateScrollBars();
  SizeChanged(ColCount(), old);
  Invalidate();
}

void TCustomGrid::SetFixedCols(int value) {
  if (value < 0) IndexOutOfRange();
  if (value >= ColCount()) throw EInvalidGridOperation("Fixed column count must be less than column count");
  if (value == FFixedCols) return;
  FFixedCols = value;
  ClampPositions();
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::SetFixedRows(int value) {
  if (value < 0) IndexOutOfRange();
  if (value >= RowCount()) throw EInvalidGridOperation("Fixed row count must be less than row count");
  if (value == FFixedRows) return;
  FFixedRows = value;
  ClampPositions();
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::ClampPositions() {
  auto clampCell = [this](TGridCoord& c) {
    c.X = std::clamp(c.X, std::min(FFixedCols, ColCount() - 1), ColCount() - 1);
    c.Y = std::clamp(c.Y, std::min(FFixedRows, RowCount() - 1), RowCount() - 1);
  };
  const TGridCoord current = FCurrent;
  clampCell(FCurrent);
  clampCell(FAnchor);
  clampCell(FTopLeft);
  if (FEditorMode && !(FCurrent == current)) HideEditor();
  PlaceEditor();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  value = CellSize(value);
  FDefaultColWidth = value;
  std::fill(FColWidths.begin(), FColWidths.end(), value);
  ColWidthsChanged();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  value = CellSize(value);
  FDefaultRowHeight = value;
  std::fill(FRowHeights.begin(), FRowHeights.end(), value);
  RowHeightsChanged();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

int TCustomGrid::ColWidths(int Index) const {
  return Index >= 0 && Index < ColCount() ? FColWidths[static_cast<std::size_t>(Index)] : 0;
}

void TCustomGrid::SetColWidths(int Index, int Value) {
  Value = CellSize(Value);
  if (Index < 0 || Index >= ColCount() || FColWidths[static_cast<std::size_t>(Index)] == Value) return;
  FColWidths[static_cast<std::size_t>(Index)] = Value;
  ColWidthsChanged();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

int TCustomGrid::RowHeights(int Index) const {
  return Index >= 0 && Index < RowCount() ? FRowHeights[static_cast<std::size_t>(Index)] : 0;
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
  Value = CellSize(Value);
  if (Index < 0 || Index >= RowCount() || FRowHeights[static_cast<std::size_t>(Index)] == Value) return;
  FRowHeights[static_cast<std::size_t>(Index)] = Value;
  RowHeightsChanged();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

void TCustomGrid::SetGridLineWidth(int value) {
  value = std::clamp(value, 0, kMaxCellSize);
  if (value == FGridLineWidth) return;
  FGridLineWidth = value;
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == FOptions) return;
  FOptions = value;
  if (!value.Contains(goEditing)) HideEditor();
  if (!value.Contains(goRangeSelect)) FAnchor = FCurrent;
  UpdateScrollBars();  // the lines take room
  PlaceEditor();
  Invalidate();
}

void TCustomGrid::SetFixedColor(TColor value) {
  if (value == FFixedColor) return;
  FFixedColor = value;
  Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  if (value == FDefaultDrawing) return;
  FDefaultDrawing = value;
  Invalidate();
}

// [SECTION] position

void TCustomGrid::SetCol(int value) { MoveColRow(value, FCurrent.Y, true, true); }

void TCustomGrid::SetRow(int value) { MoveColRow(FCurrent.X, value, true, true); }

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
  CheckCell(ACol, ARow);
  MoveCurrent({ACol, ARow}, MoveAnchor, Show);
}

bool TCustomGrid::MoveCurrent(TGridCoord cell, bool moveAnchor, bool show) {
  if (!SelectCell(cell.X, cell.Y)) return false;
  if (!(cell == FCurrent)) HideEditor();  // commits the old cell
  FCurrent = cell;
  if (moveAnchor || !FOptions.Contains(goRangeSelect)) FAnchor = cell;
  if (show) ScrollInView(cell);
  Invalidate();
  if (FOptions.Contains(goAlwaysShowEditor) && HasFocus()) ShowEditor();
  return true;
}

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y), std::max(FAnchor.X, FCurrent.X),
              std::max(FAnchor.Y, FCurrent.Y)};
  if (FOptions.Contains(goRowSelect)) {
    r.Left = FFixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& value) {
  if (!(TGridCoord{value.Right, value.Bottom} == FCurrent)) HideEditor();
  FAnchor = {value.Left, value.Top};
  FCurrent = {value.Right, value.Bottom};
  Invalidate();
}

void TCustomGrid::SetTopRow(int value) {
  value = std::clamp(value, std::min(FFixedRows, RowCount() - 1), RowCount() - 1);
  if (value == FTopLeft.Y) return;
  FTopLeft.Y = value;
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
  TopLeftChanged();
}

void TCustomGrid::SetLeftCol(int value) {
  value = std::clamp(value, std::min(FFixedCols, ColCount() - 1), ColCount() - 1);
  if (value == FTopLeft.X) return;
  FTopLeft.X = value;
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
  TopLeftChanged();
}

void TCustomGrid::ScrollInView(TGridCoord cell) {
  if (cell.X >= FFixedCols && cell.X < ColCount()) {
    if (cell.X < LeftCol())
      SetLeftCol(cell.X);
    else
      SetLeftCol(std::max(LeftCol(), Horz().FirstShowing(cell.X)));
  }
  if (cell.Y >= FFixedRows && cell.Y < RowCount()) {
    if (cell.Y < TopRow())
      SetTopRow(cell.Y);
    else
      SetTopRow(std::max(TopRow(), Vert().FirstShowing(cell.Y)));
  }
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
  const TRect r = CellRect(ACol, ARow);
  if (r.Right > r.Left) Invalidate();
}

void TCustomGrid::InvalidateRow(int ARow) { InvalidateCell(FTopLeft.X, ARow); }

void TCustomGrid::InvalidateCol(int ACol) { InvalidateCell(ACol, FTopLeft.Y); }

bool TCustomGrid::HasFocus() const { return Focused() || (FInplaceEdit && FInplaceEdit->Focused()); }

// [SECTION] scroll bars

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  if (value == FScrollBars) return;
  FScrollBars = value;
  UpdateScrollBars();
  PlaceEditor();
}

TRect TCustomGrid::GetClientRect() const {
  return FScrollBarPair ? FScrollBarPair->ClientRect() : TCustomControl::GetClientRect();
}

void TCustomGrid::Resize() {
  UpdateScrollBars();
  PlaceEditor();
  TCustomControl::Resize();
}

void TCustomGrid::UpdateScrollBars() {
  if (!FScrollBarPair) return;  // still being built
  const bool wantV = FScrollBars == ssVertical || FScrollBars == ssBoth;
  const bool wantH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
  FScrollBarPair->Update(Rect(0, 0, Width(), Height()), wantV, wantH, [this](bool vertical, int length) {
    TAxis axis = vertical ? Vert() : Horz();
    axis.Extent = length;
    return axis.Scroll().Max > 0;
  });
  FScrollBarPair->Bar(true)->SetInfo(Vert().Scroll());
  FScrollBarPair->Bar(false)->SetInfo(Horz().Scroll());
}

void TCustomGrid::Scrolled(bool vertical, platform_detail::TScrollStep step, int position) {
  if (step == platform_detail::TScrollStep::Track && !FOptions.Contains(goThumbTracking)) return;
  const TAxis axis = vertical ? Vert() : Horz();
  const int page = std::max(vertical ? VisibleRowCount() : VisibleColCount(), 1);
  const int to = platform_detail::ScrollTarget(step, position, axis.First, axis.Fixed, axis.LastFirst(), 1, page);
  if (vertical)
    SetTopRow(to);
  else
    SetLeftCol(to);
}

// [SECTION] painting

TGridDrawState TCustomGrid::StateOf(int c, int r) const {
  if (c < FFixedCols || r < FFixedRows) return {gdFixed};
  TGridDrawState state;
  const TGridRect sel = Selection();
  const bool inSelection = c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom;
  const bool current = c == FCurrent.X && r == FCurrent.Y;
  const bool focused = HasFocus();
  if (current && focused) state.Include(gdFocused);
  const bool selectCurrent = FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect) || !focused;
  if (inSelection && (!current || selectCurrent)) state.Include(gdSelected);
  return state;
}

void TCustomGrid::PaintCell(TCanvas* c, int col, int row, const TRect& rect) {
  const TGridDrawState state = StateOf(col, row);
  const bool fixed = state.Contains(gdFixed), selected = state.Contains(gdSelected);
  c->Font()->Assign(Font());
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(fixed ? FFixedColor : selected ? clHighlight : Color());
  if (selected) c->Font()->SetColor(clHighlightText);
  if (FDefaultDrawing) c->FillRect(rect);
  DrawCell(col, row, rect, state);
  if (!FDefaultDrawing) return;
  if (fixed && FOptions.Contains(goFixedVertLine) && FOptions.Contains(goFixedHorzLine)) {
    TRect bevel = rect;
    platform_detail::Frame3D(c, bevel, clBtnHighlight, clBtnShadow, 1);
  }
  if (state.Contains(gdFocused) && !FOptions.Contains(goRowSelect) && !FEditorMode) platform_detail::FocusRect(c, rect);
}

void TCustomGrid::PaintLines(TCanvas* c, int col, int row, const TRect& rect) {
  const bool fixed = col < FFixedCols || row < FFixedRows;
  const int vw = EffectiveLineWidth(true), hw = EffectiveLineWidth(false);
  c->Brush()->SetColor(fixed ? clBlack : clSilver);
  if (vw > 0 && FOptions.Contains(fixed ? goFixedVertLine : goVertLine))
    c->FillRect(Rect(rect.Right, rect.Top, rect.Right + vw, rect.Bottom + hw));
  if (hw > 0 && FOptions.Contains(fixed ? goFixedHorzLine : goHorzLine))
    c->FillRect(Rect(rect.Left, rect.Bottom, rect.Right + vw, rect.Bottom + hw));
}

void TCustomGrid::Paint() {
  TCanvas* c = Canvas();
  const TAxis h = Horz(), v = Vert();
  int64_t y = 0;
  for (int row = v.Begin(); row < RowCount() && y < v.Extent; row = v.Next(row)) {
    if (v.Hidden(row)) continue;
    int64_t x = 0;
    for (int col = h.Begin(); col < ColCount() && x < h.Extent; col = h.Next(col)) {
      if (h.Hidden(col)) continue;
      const TRect rect = Bounds(static_cast<int>(x), static_cast<int>(y), h.Size(col), v.Size(row));
      PaintCell(c, col, row, rect);
      PaintLines(c, col, row, rect);
      x += h.Slot(col);
    }
    y += v.Slot(row);
  }
}

void TCustomGrid::DrawCell(int /*ACol*/, int /*ARow*/, const TRect& /*ARect*/, TGridDrawState /*AState*/) {}

bool TCustomGrid::SelectCell(int /*ACol*/, int /*ARow*/) { return true; }

// [SECTION] mouse and keys

int TCustomGrid::ColumnSizingAt(int X, int Y) const {
  if (!FOptions.Contains(goColSizing)) return -1;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.Y < 0 || cell.Y >= FFixedRows) return -1;
  const TAxis h = Horz();
  int best = -1;
  int64_t bestDistance = kSizingZone + 1, at = 0;
  for (int col = h.Begin(); col < ColCount() && at < h.Extent; col = h.Next(col)) {
    if (h.Hidden(col)) continue;
    const int64_t distance = std::abs(X - (at + h.Size(col)));
    if (distance < bestDistance) best = col, bestDistance = distance;
    at += h.Slot(col);
  }
  return best;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();  // an open editor commits as it loses the focus
    FSizingCol = ColumnSizingAt(X, Y);
    if (FSizingCol >= 0) {
      FSizingOrigin = Horz().Start(FSizingCol);
    } else {
      const TGridCoord cell = MouseCoord(X, Y);
      if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
        if (cell == FCurrent && FOptions.Contains(goEditing) && !FEditorMode) {
          ShowEditor();
        } else {
          const bool extend = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect);
          MoveCurrent(cell, !extend, true);
          FSelecting = FOptions.Contains(goRangeSelect);
        }
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (FSizingCol >= 0) {
    SetColWidths(FSizingCol, std::max(X - FSizingOrigin, 0));
  } else if (FSelecting && Shift.Contains(ssLeft)) {
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= FFixedCols && cell.Y >= FFixedRows && !(cell == FCurrent)) MoveCurrent(cell, false, true);
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FSizingCol = -1;
    FSelecting = false;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
  if (FCurrent.Y < RowCount() - 1) MoveCurrent({FCurrent.X, FCurrent.Y + 1}, true, true);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
  if (FCurrent.Y > FFixedRows) MoveCurrent({FCurrent.X, FCurrent.Y - 1}, true, true);
  return true;
}

void TCustomGrid::KeyMove(Word key, TShiftState shift) {
  const int lastCol = ColCount() - 1, lastRow = RowCount() - 1;
  const bool rowSelect = FOptions.Contains(goRowSelect);
  const bool ctrl = shift.Contains(ssCtrl);
  const int page = std::max(VisibleRowCount(), 1);
  TGridCoord to = FCurrent;
  switch (key) {
    case VK_UP:
      --to.Y;
      break;
    case VK_DOWN:
      ++to.Y;
      break;
    case VK_LEFT:
      if (rowSelect) return SetLeftCol(LeftCol() - 1);
      --to.X;
      break;
    case VK_RIGHT:
      if (rowSelect) return SetLeftCol(LeftCol() + 1);
      ++to.X;
      break;
    case VK_PRIOR:
      SetTopRow(TopRow() - page);
      to.Y -= page;
      break;
    case VK_NEXT:
      SetTopRow(std::min(TopRow() + page, Vert().FirstShowing(lastRow)));
      to.Y += page;
      break;
    case VK_HOME:
      if (ctrl || rowSelect) to.Y = FFixedRows;
      if (!rowSelect) to.X = FFixedCols;
      break;
    case VK_END:
      if (ctrl || rowSelect) to.Y = lastRow;
      if (!rowSelect) to.X = lastCol;
      break;
    case VK_TAB:
      if (shift.Contains(ssShift)) {
        if (--to.X < FFixedCols) to = to.Y > FFixedRows ? TGridCoord{lastCol, to.Y - 1} : FCurrent;
      } else if (++to.X > lastCol) {
        to = to.Y < lastRow ? TGridCoord{FFixedCols, to.Y + 1} : FCurrent;
      }
      break;
    default:
      return;
  }
  to.X = std::clamp(to.X, FFixedCols, lastCol);
  to.Y = std::clamp(to.Y, FFixedRows, lastRow);
  const bool extend = shift.Contains(ssShift) && FOptions.Contains(goRangeSelect) && key != VK_TAB;
  if (!(to == FCurrent)) MoveCurrent(to, !extend, true);
}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (Key == VK_F2) {
    SetEditorMode(true);
    return;
  }
  if (Key == VK_TAB && !FOptions.Contains(goTabs)) return;
  KeyMove(Key, Shift);
}

void TCustomGrid::KeyPress(Char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == u'\r') {
    if (FEditorMode)
      HideEditor();
    else
      ShowEditor();
    Key = 0;
    return;
  }
  if (Key == 27) {
    if (FEditorMode) RestoreEditor();
    return;
  }
  if (Key >= u' ' && !FEditorMode && FOptions.Contains(goEditing) && CanEditShow()) {
    ShowEditor();
    if (FEditorMode) {
      FInplaceEdit->Perform(WM_CHAR, Key, 0);  // the character replaces the selected text
      Key = 0;
    }
  }
}

void TCustomGrid::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | (FOptions.Contains(goTabs) ? DLGC_WANTTAB : 0) |
                       (FOptions.Contains(goEditing) ? DLGC_WANTCHARS : 0);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case CM_FONTCHANGED:
      TCustomControl::WndProc(Message);
      if (FInplaceEdit) FInplaceEdit->Font()->Assign(Font());
      return;
    default:
      break;
  }
  TCustomControl::WndProc(Message);
}

// [SECTION] editing

std::unique_ptr<TInplaceEdit> TCustomGrid::CreateEditor() { return std::make_unique<TInplaceEdit>(nullptr); }

TEditStyle TCustomGrid::GetEditStyle(int /*ACol*/, int /*ARow*/) { return esSimple; }

String TCustomGrid::GetEditText(int /*ACol*/, int /*ARow*/) { return String(); }

void TCustomGrid::SetEditText(int /*ACol*/, int /*ARow*/, const String& /*Value*/) {}

bool TCustomGrid::CanEditShow() const {
  return FOptions.Contains(goEditing) && FCurrent.X >= FFixedCols && FCurrent.Y >= FFixedRows &&
         FCurrent.X < ColCount() && FCurrent.Y < RowCount() && HandleAllocated();
}

void TCustomGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::PlaceEditor() {
  if (!FInplaceEdit || !FEditorMode) return;
  // Clipped to the client area: the editor of a cell cut by the edge never covers a scroll bar.
  TRect r = CellRect(FEditCell.X, FEditCell.Y);
  r.Right = std::min(r.Right, ClientWidth());
  r.Bottom = std::min(r.Bottom, ClientHeight());
  FInplaceEdit->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  FInplaceEdit->SetVisible(r.Right > r.Left && r.Bottom > r.Top);
}

void TCustomGrid::ShowEditor() {
  if (FEditorMode || !CanEditShow()) return;
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->FGrid = this;
    FInplaceEdit->SetVisible(false);
    FInplaceEdit->SetBorderStyle(bsNone);
    FInplaceEdit->SetAutoSize(false);
    FInplaceEdit->SetTabStop(false);
    FInplaceEdit->Font()->Assign(Font());
    FInplaceEdit->SetParent(this);
  }
  ScrollInView(FCurrent);
  FEditCell = FCurrent;
  FEditorMode = true;
  FInplaceEdit->SetEditStyle(GetEditStyle(FEditCell.X, FEditCell.Y));
  FInplaceEdit->SetColor(Color());
  FEditOriginal = GetEditText(FEditCell.X, FEditCell.Y);
  FInplaceEdit->SetText(FEditOriginal);
  FInplaceEdit->SetModified(false);
  FInplaceEdit->SelectAll();
  PlaceEditor();
  if (HasFocus() && FInplaceEdit->Visible() && FInplaceEdit->CanFocus()) FInplaceEdit->SetFocus();
  Invalidate();
}

void TCustomGrid::CommitEditor() {
  if (!FEditorMode || !FInplaceEdit) return;
  const String text = FInplaceEdit->Text();
  if (text == FEditOriginal) return;
  FEditOriginal = text;
  SetEditText(FEditCell.X, FEditCell.Y, text);
}

void TCustomGrid::RestoreEditor() {
  if (!FEditorMode) return;
  FInplaceEdit->SetText(FEditOriginal);
  HideEditor();
}

void TCustomGrid::HideEditor() {
  if (!FEditorMode) return;
  CommitEditor();
  FEditorMode = false;
  const bool hadFocus = FInplaceEdit->Focused();
  FInplaceEdit->CloseUpList();
  FInplaceEdit->Hide();
  if (hadFocus && CanFocus()) SetFocus();
  Invalidate();
}

// [SECTION] TCustomDrawGrid, TStringGrid

void TCustomDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TCustomDrawGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

String TCustomDrawGrid::GetEditText(int ACol, int ARow) {
  String value;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TCustomDrawGrid::SetEditText(int ACol, int ARow, const String& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TCustomDrawGrid::TopLeftChanged() {
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) { SizeChanged(0, 0); }

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
  FCells.resize(static_cast<std::size_t>(ColCount()));
  for (auto& column : FCells) column.resize(static_cast<std::size_t>(RowCount()));
}

String TStringGrid::Cells(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return String();
  return FCells[static_cast<std::size_t>(ACol)][static_cast<std::size_t>(ARow)];
}

void TStringGrid::SetCells(int ACol, int ARow, const String& Value) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
  String& cell = FCells[static_cast<std::size_t>(ACol)][static_cast<std::size_t>(ARow)];
  if (cell == Value) return;
  cell = Value;
  InvalidateCell(ACol, ARow);
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (DefaultDrawing()) Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

String TStringGrid::GetEditText(int ACol, int ARow) {
  String value = Cells(ACol, ARow);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TStringGrid::SetEditText(int ACol, int ARow, const String& Value) {
  SetCells(ACol, ARow, Value);
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

// [SECTION] in-place editors

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TInplaceEdit::SetEditStyle(TEditStyle /*Value*/) {}

void TCustomGrid::EditorKeyDown(Word& Key, TShiftState Shift) {
  // Keys that move between cells go to the grid (which commits the editor as the cell changes).
  const int caret = FInplaceEdit->SelStart(), selected = FInplaceEdit->SelLength();
  const int length = static_cast<int>(FInplaceEdit->Text().size());
  const bool toGrid = Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT ||
                      (Key == VK_TAB && FOptions.Contains(goTabs) && !Shift.Contains(ssAlt)) ||
                      (Key == VK_LEFT && caret == 0 && selected == 0) ||
                      (Key == VK_RIGHT && caret == length && selected == 0);
  if (!toGrid) return;
  KeyDown(Key, Shift);
  Key = 0;
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (FGrid != nullptr) FGrid->EditorKeyDown(Key, Shift);
  if (Key != 0) TCustomEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(Char& Key) {
  if (FGrid != nullptr) FGrid->KeyPress(Key);  // the grid sees every character first
  if (Key != 0 && FGrid != nullptr && FGrid->FEditorMode) TCustomEdit::KeyPress(Key);
}

void TInplaceEdit::DoExit() {
  TCustomEdit::DoExit();
  if (FGrid != nullptr) FGrid->HideEditor();  // the focus went elsewhere: commit
}

void TInplaceEdit::WndProc(TMessage& Message) {
  TCustomEdit::WndProc(Message);
  if (Message.Msg == WM_GETDLGCODE && FGrid != nullptr && FGrid->Options().Contains(goTabs))
    Message.Result |= DLGC_WANTTAB;
}

TInplaceEditList::TInplaceEditList(TComponent* AOwner) : TInplaceEdit(AOwner) {}

TInplaceEditList::~TInplaceEditList() = default;

TStrings* TInplaceEditList::PickList() const {
  if (!FList) {
    auto* self = const_cast<TInplaceEditList*>(this);
    self->FList = std::make_unique<TPopupListBox>(nullptr);
    self->FList->OnCloseUp = [self](bool accepted, int index) { self->ListClosed(accepted, index); };
  }
  return FList->Items();
}

bool TInplaceEditList::ListVisible() const { return FList && FList->IsOpen(); }

void TInplaceEditList::SetEditStyle(TEditStyle Value) {
  if (Value == FEditStyle) return;
  FEditStyle = Value;
  Invalidate();
}

TRect TInplaceEditList::ButtonRect() const {
  if (FEditStyle == esSimple) return TRect{};
  const int w = std::min(16, Width());
  return Rect(Width() - w, 0, Width(), Height());
}

TRect TInplaceEditList::TextArea() const {
  TRect r = TInplaceEdit::TextArea();
  if (FEditStyle != esSimple) r.Right = std::max(r.Left, ButtonRect().Left - 1);
  return r;
}

void TInplaceEditList::DropDown() {
  if (FEditStyle != esPickList || ListVisible()) return;
  TStrings* items = PickList();
  if (OnGetPickListItems && Grid() != nullptr) {
    items->Clear();
    OnGetPickListItems(Grid()->Col(), Grid()->Row(), items);
  }
  FList->Font()->Assign(Font());
  FList->SetDropDownCount(FDropDownRows);
  FList->SetItemIndex(items->IndexOf(Text()));
  FList->KeyTarget = this;
  FList->DropDown(this);
  Invalidate();
}

void TInplaceEditList::CloseUp(bool Accept) {
  if (!ListVisible()) return;
  FList->CloseUp(Accept);
}

void TInplaceEditList::CloseUpList() { CloseUp(false); }

void TInplaceEditList::ListClosed(bool accepted, int index) {
  Invalidate();
  if (!accepted || index < 0 || index >= FList->Items()->Count()) return;
  SetText(FList->Items()->Strings(index));
  SetModified(true);
  SelectAll();
  if (Grid() != nullptr) Grid()->CommitEditor();  // a choice is final: the cell takes it at once
}

void TInplaceEditList::KeyDown(Word& Key, TShiftState Shift) {
  const bool toggle = Key == VK_F4 || (Shift.Contains(ssAlt) && (Key == VK_DOWN || Key == VK_UP));
  if (toggle && FEditStyle == esPickList) {
    if (ListVisible())
      CloseUp(true);
    else
      DropDown();
    Key = 0;
    return;
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TInplaceEditList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && platform_detail::Contains(ButtonRect(), Point(X, Y))) {
    if (FEditStyle == esEllipsis) {
      if (OnEditButtonClick) OnEditButtonClick(this);
    } else if (ListVisible()) {
      CloseUp(false);
    } else {
      DropDown();
    }
    return;
  }
  TInplaceEdit::MouseDown(Button, Shift, X, Y);
}

void TInplaceEditList::PaintWindow() {
  TInplaceEdit::PaintWindow();
  if (FEditStyle == esSimple) return;
  TCanvas* c = WindowCanvas();
  TRect button = ButtonRect();
  const TRect face = button;
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(button);
  platform_detail::ButtonBorder(c, button, ListVisible());
  if (FEditStyle == esPickList) {
    platform_detail::DropArrow(c, face, clBtnText);
    return;
  }
  c->Pen()->SetColor(clBtnText);
  const int y = (face.Top + face.Bottom) / 2 + 1, x = (face.Left + face.Right) / 2;
  for (int dx : {-4, 0, 4}) c->Rectangle(x + dx - 1, y - 1, x + dx + 1, y + 1);  // three dots
}

}  // namespace qelta
