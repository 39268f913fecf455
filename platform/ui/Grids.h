#pragma once
// Grids: TCustomGrid (cells in columns and rows, fixed ones at the top and left, a current cell and a
// selection, scrolling, column sizing, an in-place editor), TCustomDrawGrid / TDrawGrid (drawn by
// OnDrawCell) and TStringGrid (a text in each cell); the in-place editors TInplaceEdit and
// TInplaceEditList (with a pick list).
//
// How (three steps): the layout helpers place cells from the counts, sizes, line width and scroll
// position (CellRect, MouseCoord); mouse and key handlers change the current cell, the selection, the
// sizes and the editor; Paint calls the virtual DrawCell for every visible cell, row by row from the
// top and left to right in a row, with the canvas's brush and font set for the cell's state
// (gdFixed; gdSelected for cells of Selection, for the current cell only under goDrawFocusSelected or
// goRowSelect or while the grid has no focus; gdFocused for the current cell while it has), filling
// each cell first under DefaultDrawing. A grid line GridLineWidth wide follows every column when
// goFixedVertLine or goVertLine is set (drawn after fixed columns by the one, after the others by the
// other) and every row likewise with the Horz options; MouseCoord counts a line to the cell before it.
// Mouse: a press on a cell moves the current cell and the selection's anchor there through SelectCell
// (Shift, or dragging, extends the selection under goRangeSelect); a press on the current cell under
// goEditing shows the editor; a press within 4 pixels of a column's right edge in a fixed row starts
// sizing it under goColSizing; the wheel moves the current row by one. Keys: arrows, Home/End (with
// Ctrl, or under goRowSelect, the first and last row), PgUp/PgDn by a page, Tab and Shift+Tab under
// goTabs; F2 or a character shows the editor; KeyPress turns Enter into #0 and shows or hides the
// editor; Esc puts the editor's text back and hides it.
// Editing: the editor (virtual CreateEditor, style by the virtual GetEditStyle) takes its text from
// GetEditText and gives it to SetEditText once, on commit: Enter, the move to another cell, the loss of
// the focus, HideEditor, and a choice in the pick list; never per keystroke and never on Esc, and
// only when the text was changed. The editor is shown under goRowSelect too. Keys typed into the
// editor reach the grid's KeyPress first; Up, Down, PgUp, PgDn (and Tab under goTabs, and Left and
// Right at the ends of the text) move the current cell.
// Scroll bars (ScrollBars): a vertical bar along the right edge and a horizontal one along the bottom,
// each shown only while its rows or columns do not all fit (or the grid is scrolled away from the first
// ones); a shown bar takes its thickness from ClientWidth or ClientHeight, so fewer cells are visible.
// Its arrows move TopRow or LeftCol by one, the track by a page (VisibleRowCount, VisibleColCount), both
// repeated while held; the thumb is sized by the visible share, and dragging it scrolls as it moves under
// goThumbTracking, else once at the release. Every scroll runs TopLeftChanged, as a key's does; the
// current cell stays where it was. The editor is clipped to the client area, never over a bar.
// Limits: BorderStyle is stored, no frame is drawn; no row sizing, no row or column moving, no hot
// tracking; a column or row with a negative size is hidden (no space, no line).

#include <algorithm>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Edits.h"
#include "Popups.h"
#include "StringLists.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// A grid operation outside what the grid holds.
QELTA_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

enum TGridOption : uint8_t {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = Set<TGridOption>;
enum TGridDrawStateFlag : uint8_t { gdSelected, gdFocused, gdFixed };
using TGridDrawState = Set<TGridDrawStateFlag>;
enum TEditStyle : uint8_t { esSimple, esEllipsis, esPickList };

/// A cell: X the column, Y the row.
struct TGridCoord {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};
/// A block of cells, all four sides inclusive.
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

using TDrawCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const String& Value)>;
using TOnGetPickListItems = std::function<void(int ACol, int ARow, TStrings* Items)>;

class TCustomGrid;
namespace platform_detail {
class TScrollBarPair;
enum class TScrollStep : uint8_t;
}  // namespace platform_detail

// --- in-place editors --------------------------------------------------------------------------

/// The edit box a grid shows over the current cell.
class TInplaceEdit : public TCustomEdit {
 public:
  explicit TInplaceEdit(TComponent* AOwner);

  void WndProc(TMessage& Message) override;
  TCustomGrid* Grid() const { return FGrid; }
  /// The editor's style for the cell it is about to edit (GetEditStyle); the simple editor ignores it.
  virtual void SetEditStyle(TEditStyle Value);

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void DoExit() override;
  /// Closes what the editor opened (a pick list) when it is hidden.
  virtual void CloseUpList() {}

 private:
  friend class TCustomGrid;
  TCustomGrid* FGrid = nullptr;
};

/// An in-place editor with a button: a drop-down pick list (esPickList) or an ellipsis (esEllipsis).
class TInplaceEditList : public TInplaceEdit {
 public:
  explicit TInplaceEditList(TComponent* AOwner);
  ~TInplaceEditList() override;

  void SetEditStyle(TEditStyle Value) override;
  TEditStyle EditStyle() const { return FEditStyle; }
  /// The choices of the pick list (filled by OnGetPickListItems when it opens, when assigned).
  TStrings* PickList() const;
  /// Rows the pick list shows at once (default 7, at least 1).
  int DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int value) { FDropDownRows = std::clamp(value, 1, TPopupListBox::kMaxRows); }
  bool ListVisible() const;
  /// Opens the pick list (esPickList only): OnGetPickListItems, then the list under the editor.
  void DropDown();
  /// Closes the pick list; Accept takes its highlighted item as the cell's new value at once.
  void CloseUp(bool Accept);

  TOnGetPickListItems OnGetPickListItems;
  /// The ellipsis button was clicked.
  TNotifyEvent OnEditButtonClick;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void PaintWindow() override;
  TRect TextArea() const override;
  void CloseUpList() override;

 private:
  TRect ButtonRect() const;
  void ListClosed(bool accepted, int index);
  std::unique_ptr<TPopupListBox> FList;
  TEditStyle FEditStyle = esSimple;
  int FDropDownRows = 7;
};

// --- the grid ------------------------------------------------------------------------------------

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  void WndProc(TMessage& Message) override;

  // -- layout (client coordinates)
  /// The cell's rectangle without its lines; empty when no part of it is visible (scrolled away,
  /// hidden, beyond the client area or outside the grid).
  TRect CellRect(int ACol, int ARow) const;
  /// The cell under a client point (a line counts to the cell before it); -1 for a coordinate that
  /// lies on no visible cell.
  TGridCoord MouseCoord(int X, int Y) const;
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
  /// Scrolling columns and rows that fit wholly from LeftCol and TopRow (at least 1).
  int VisibleColCount() const;
  int VisibleRowCount() const;

  // -- counts and sizes
  int ColCount() const { return static_cast<int>(FColWidths.size()); }
  /// At least 1; a count not above FixedCols lowers FixedCols to count - 1.
  void SetColCount(int value);
  int RowCount() const { return static_cast<int>(FRowHeights.size()); }
  void SetRowCount(int value);
  int FixedCols() const { return FFixedCols; }
  /// Raises EInvalidGridOperation "Fixed column count must be less than column count" when value is
  /// not below ColCount, "Grid index out of range" when negative.
  void SetFixedCols(int value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int value);
  int DefaultColWidth() const { return FDefaultColWidth; }
  /// Every column takes the new width.
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int value);
  /// Width of a column (0 outside the columns); negative: hidden.
  int ColWidths(int Index) const;
  /// Ignored outside the columns; an unchanged width repaints nothing. Widths (and heights, line
  /// widths) above 2^24 pixels are taken as 2^24.
  void SetColWidths(int Index, int Value);
  int RowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);
  int GridLineWidth() const { return FGridLineWidth; }
  /// At least 0.
  void SetGridLineWidth(int value);

  // -- position and selection
  int Col() const { return FCurrent.X; }
  /// Moves the current cell (through SelectCell) and the anchor; raises EInvalidGridOperation "Grid index
  /// out of range" outside the cells.
  void SetCol(int value);
  int Row() const { return FCurrent.Y; }
  void SetRow(int value);
  /// The current cell goes to (ACol, ARow) when SelectCell allows it; MoveAnchor also moves the
  /// selection's anchor there, Show scrolls the cell into view. Raises as SetCol.
  void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
  /// The block between anchor and current cell (whole rows under goRowSelect).
  TGridRect Selection() const;
  /// Anchor := top-left, current cell := bottom-right, taken as they are (also outside the cells).
  void SetSelection(const TGridRect& value);
  int TopRow() const { return FTopLeft.Y; }
  /// First scrolling row shown, clamped to FixedRows..RowCount-1.
  void SetTopRow(int value);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int value);

  // -- editing
  bool EditorMode() const { return FEditorMode; }
  /// true shows the editor (when it can be shown), false commits and hides it.
  void SetEditorMode(bool value);
  /// Shows the editor over the current cell (goEditing, a cell that is not fixed) with GetEditText.
  void ShowEditor();
  /// Gives a changed text to SetEditText, then hides the editor.
  void HideEditor();
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit.get(); }

  // -- properties
  TGridOptions Options() const { return FOptions; }
  /// Removing goEditing commits and hides the editor.
  void SetOptions(TGridOptions value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  /// Which bars may show (default ssBoth); each shows only while it has something to scroll.
  void SetScrollBars(TScrollStyle value);
  /// Stored only: there is no frame outside the client area (default bsSingle).
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value) { FBorderStyle = value; }

 protected:
  void Paint() override;
  /// Draws one cell; the grid's does nothing.
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  /// May the cell become the current one? true by default.
  virtual bool SelectCell(int ACol, int ARow);
  /// Makes the editor; the grid owns it. The default is a TInplaceEdit.
  virtual std::unique_ptr<TInplaceEdit> CreateEditor();
  virtual TEditStyle GetEditStyle(int ACol, int ARow);
  /// The text the editor starts with; "" by default.
  virtual String GetEditText(int ACol, int ARow);
  /// The editor's text on commit; nothing by default.
  virtual void SetEditText(int ACol, int ARow, const String& Value);
  /// The editor can be shown now: goEditing, a current cell that is not fixed, a window.
  virtual bool CanEditShow() const;
  /// TopRow or LeftCol changed.
  virtual void TopLeftChanged() {}
  /// A column width or row height changed (also by the user sizing a column).
  virtual void ColWidthsChanged() {}
  virtual void RowHeightsChanged() {}
  /// ColCount or RowCount changed (from the old counts).
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void InvalidateCell(int ACol, int ARow);
  void InvalidateRow(int ARow);
  void InvalidateCol(int ACol);
  /// True while the grid or its editor has the focus.
  bool HasFocus() const;
  /// The control less the shown scroll bars.
  TRect GetClientRect() const override;
  /// Shows, hides and places the scroll bars for the new size first.
  void Resize() override;

 private:
  friend class TInplaceEdit;
  friend class TInplaceEditList;
  struct TAxis;
  TAxis Horz() const;
  TAxis Vert() const;
  int EffectiveLineWidth(bool vertical) const;
  TGridDrawState StateOf(int c, int r) const;
  void PaintCell(TCanvas* c, int col, int row, const TRect& rect);
  void PaintLines(TCanvas* c, int col, int row, const TRect& rect);
  bool MoveCurrent(TGridCoord cell, bool moveAnchor, bool show);
  void ScrollInView(TGridCoord cell);
  void ClampPositions();
  int ColumnSizingAt(int X, int Y) const;
  void PlaceEditor();
  void CommitEditor();
  void RestoreEditor();
  void EditorKeyDown(Word& Key, TShiftState Shift);
  void KeyMove(Word key, TShiftState shift);
  void CheckCell(int ACol, int ARow) const;
  void UpdateScrollBars();
  void Scrolled(bool vertical, platform_detail::TScrollStep step, int position);

  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TColor FFixedColor = clBtnFace;
  bool FDefaultDrawing = true;
  TScrollStyle FScrollBars = ssBoth;
  TBorderStyle FBorderStyle = bsSingle;
  std::unique_ptr<TInplaceEdit> FInplaceEdit;
  bool FEditorMode = false;
  TGridCoord FEditCell;
  String FEditOriginal;  // the text the editor started with (or last committed)
  int FSizingCol = -1;   // the column being sized by a drag
  int FSizingOrigin = 0;
  bool FSelecting = false;
  std::unique_ptr<platform_detail::TScrollBarPair> FScrollBarPair;
};

/// A grid whose cells the host draws (OnDrawCell) and edits through events.
class TCustomDrawGrid : public TCustomGrid {
 public:
  using TCustomGrid::TCustomGrid;

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TNotifyEvent OnTopLeftChanged;

 protected:
  /// Fires OnDrawCell.
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  /// OnSelectCell may refuse the cell.
  bool SelectCell(int ACol, int ARow) override;
  /// OnGetEditText may change the text.
  String GetEditText(int ACol, int ARow) override;
  /// Fires OnSetEditText.
  void SetEditText(int ACol, int ARow, const String& Value) override;
  void TopLeftChanged() override;
};

class TDrawGrid : public TCustomDrawGrid {
 public:
  using TCustomDrawGrid::TCustomDrawGrid;
};

/// A grid with a text in each cell, drawn at (Left + 2, Top + 2) under DefaultDrawing and edited as is.
class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);

  /// The cell's text; "" outside the grid.
  String Cells(int ACol, int ARow) const;
  /// Ignored outside the grid.
  void SetCells(int ACol, int ARow, const String& Value);

 protected:
  void SizeChanged(int OldColCount, int OldRowCount) override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  String GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const String& Value) override;

 private:
  std::vector<std::vector<String>> FCells;  // [column][row]
};

}  // namespace qelta

QELTA_PUBLIC_END
