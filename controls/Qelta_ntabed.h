#pragma once
// Qelta_ntabed: TNTabEd, the grid in which a user reads and types a TDataTable.
//
// What: one grid column per table column and one grid row per table row, with fixed cells for the
// row names, the row attributes (the "attribute column", shown by default), the column names and
// the column attributes (the "attribute row", hidden by default), and a corner that shows the
// current cell as column:row. Values appear with the decimals of their column, labels of nominal
// and ordinal columns by their text, empty cells blank, cells without a valid number as "-nan-",
// marked cells in the colours of their marks; a typed text reaches the table on commit, parsed by
// the column's scale. A first press on a cell selects it, a second one edits it. The right button
// opens a data popup over the cells (marks A and B by range, column, row or all, clear, empty state,
// copy, paste, read-only, numbers from any clipboard text, select all) and a heading popup over names
// and attributes (edit in a small box, decimals, select, insert, delete); over the corner it opens a
// memo for the table's comment. Menu items follow enable masks; their captions can be replaced.
// How: the editor hooks the table's OnChange, OnChangeSetup, OnResize and OnSortExchange, so every
// change of the table from whatever source keeps the grid in step (a resize fits the grid and the
// decimals, a sort that carries headers moves the decimals). Public operations take data numbers
// (1-based); grid column c + ColOffset shows data column c (likewise rows). Two flags gate painting
// and every change notification: SuppressPaint (public; clearing it repaints) and an internal one
// held during bulk work. Paint repaints at once through the window's paint (a no-op without a
// window), so the in-place editor keeps its pixels.
// Limits: a table of 0 columns (rows) keeps one blank grid column (row) that is never drawn as data
// nor edited. Decimals and widths belong to grid positions: inserting, removing or mirroring columns
// does not move them; a sort that carries headers does. The editor owns its table unless the host
// assigned one (AssignAnotherDataMatrix); it watches an assigned table's free notification and
// falls back to an own zero table of the same size when the host frees it first.
// The menus, the heading box and the memo belong to each editor; the copy kept for Paste too. The
// clipboard text is described in the README (Table editor clipboard text).
// Failure channel: EQeltaNTabedError (`Component "Name": text`) for exhausted memory only; numbers
// outside the table are ignored by setters and give 0, false or "" from getters.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Edits.h"
#include "Graphics.h"
#include "Grids.h"
#include "Menus.h"
#include "Qelta_datatable.h"
#include "Qelta_qeltabase.h"
#include "StringLists.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of the table editor.
QELTA_DECLARE_EXCEPTION(EQeltaNTabedError, EQeltaError)

// --- unit routines ----------------------------------------------------------------------------

/// Value in fixed form with Decimals (0..8) right-aligned in Width characters when |Value| is 0 or
/// lies in 10^-Decimals .. the largest number of nine digits with Decimals of them after the point
/// (999999999, 9999999.9, ..., 0.99999999); else, and for every other Decimals, the exponent form
/// with a two-digit exponent in Width + 6 characters (FormatData of the string routines).
String FormatWithPrecision(int Width, int Decimals, double Value);
/// Moves each side of Rect inwards by Margin, vertically only when the height exceeds Margin div 2,
/// horizontally only when the width does.
void ShrinkRect(TRect& Rect, int Margin);

// --- event types ------------------------------------------------------------------------------

/// Fired before one of the editor's popup menus opens.
using TBeforePopupEvent = std::function<void(TObject* Sender, TPopupMenu* PMenu)>;
/// Fired for every data cell (data numbers) before it is drawn; the handler may change all four.
using TBeforeRenderCellEvent = std::function<void(TObject* Sender, int colix, int rowix, String& Text,
                                                  TColor& ColorText, TColor& ColorBakg, TFontStyles& FontStyles)>;

// --- TNTabEd ----------------------------------------------------------------------------------

class TNTabEd : public TCustomGrid {
 public:
  /// A 3 x 4 own table (the grid's default 5 x 5 cells less the fixed ones), 3 decimals per
  /// column, the attribute column shown and the attribute row hidden. EQeltaNTabedError "...:
  /// failed to initialize table editor (out of memory)".
  explicit TNTabEd(TComponent* AOwner);
  /// Frees the own table; an assigned one stays alive with every hook the editor installed cleared.
  ~TNTabEd() override;

  void WndProc(TMessage& Message) override;

  /// The table shown (public field): the own one or the one given to AssignAnotherDataMatrix.
  TDataTable* Data = nullptr;

  // -- painting and notification
  /// Repaints now unless painting is suppressed; with OptimizeRowHeight every row height is fitted
  /// to the font afterwards.
  void Paint() override;
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Stores a new value; clearing it repaints.
  void SetSuppressPaint(bool value);
  /// Each fires its event (Sender the editor) unless a suppression flag is set.
  void ChangedData();       ///< OnChange
  void ChangedHeading();    ///< OnHeadingChanged
  void ChangedAttrib();     ///< OnAttributeChanged
  void ChangedLayout();     ///< OnLayoutChanged
  void ChangedCellStates(); ///< OnCellStateChanged
  void ChangedSetup();      ///< OnChangeSetup

  // -- hooks on the table (and the font)
  /// Table OnChange: ChangedData, then Paint.
  void DataHasChanged(TObject* Sender);
  /// Table OnChangeSetup: ChangedSetup, then Paint.
  void SetupHasChanged(TObject* Sender);
  /// Table OnResize: the grid takes the new counts, new columns (rows) the width (height) of the
  /// previous last one, new columns its decimals (3 when there was none); then Paint.
  /// EQeltaNTabedError "...: not enough memory on heap".
  void DataHasBeenResized(TObject* Sender, int OldColumns, int OldRows, int NewColumns, int NewRows);
  /// Table OnSortExchange: a column exchange of a sort that carries headers swaps the decimals.
  void ExchangeDuringSort(TObject* Sender, uint8_t ExchgWhat, int index1, int index2, int first, int last);
  /// The control's font changed: the canvas takes it, then Paint.
  void FontHasChanged(TObject* Sender);

  // -- size and structure (data numbers)
  int NrOfColumns() const { return Data->NrOfColumns(); }
  int NrOfRows() const { return Data->NrOfRows(); }
  /// Resizes the table (the grid follows through OnResize), then OnChangeSetup and Paint.
  void SetNrCols(int n);
  void SetNrRows(int n);
  /// Both counts in one resize of the table, then OnChangeSetup and Paint.
  void Redimension(int NrCols, int NrRows);
  /// An empty row (column) at ix, 1..count + 1, else nothing; painting suppressed meanwhile.
  void InsertRow(int ix);
  void InsertColumn(int ix);
  /// Removes row (column) ix, 1..count, never the last one; the in-place editor commits and hides first.
  void RemoveRow(int ix);
  void RemoveColumn(int ix);
  /// The table's mirror, painting suppressed meanwhile.
  void MirrorColumns();
  void MirrorRows();
  /// The table's Clear (default names, states, attributes and values 0, no comment); 3 decimals
  /// everywhere.
  void Clear();
  /// Every value := value (through the matrix, so OnChange fires through the hook).
  void Fill(double value);
  /// The table's FillMarkedCells with painting suppressed; then Paint and, when a cell was
  /// written, OnChange. Answers the count.
  int FillMarkedCells(double value, uint8_t Statemask);

  // -- cells (data numbers)
  double GetElem(int col, int row) const { return Data->GetElem(col, row); }
  void SetElem(int col, int row, double value) { Data->SetElem(col, row, value); }
  uint8_t GetCellState(int col, int row) const { return Data->GetCellState(col, row); }
  /// The table's state byte, then Paint and OnCellStateChanged.
  void SetCellState(int col, int row, uint8_t state);
  bool GetIsEmpty(int col, int row) const { return (GetCellState(col, row) & csEmpty) != 0; }
  /// Sets or clears the empty bit; Paint and OnCellStateChanged.
  void SetIsEmpty(int col, int row, bool value);
  bool GetIsNumber(int col, int row) const { return (GetCellState(col, row) & (csEmpty | csNotANumber)) == 0; }
  bool GetElemMarkedA(int col, int row) const { return (GetCellState(col, row) & csMarkA) != 0; }
  bool GetElemMarkedB(int col, int row) const { return (GetCellState(col, row) & csMarkB) != 0; }
  /// Sets or clears mark A (B) of a cell inside the table; in every case Paint and OnCellStateChanged.
  void SetElemMarkedA(int col, int row, bool value);
  void SetElemMarkedB(int col, int row, bool value);
  /// A cell of the row (column) carries a mark; false outside.
  bool IfRowMarked(int row) const;
  bool IfColumnMarked(int col) const;
  bool IfAnyMarked() const;
  /// Cells with mark A (B).
  int NrOfMarkedDataA() const;
  int NrOfMarkedDataB() const;
  /// Every cell: both marks cleared / mark A set / mark B set; then Paint and OnCellStateChanged.
  void UnMarkAllElems();
  void MarkAllElemsA();
  void MarkAllElemsB();
  /// The table's operation, then Paint and OnCellStateChanged.
  void InvertCellStates(uint8_t StateMask);
  void ExchangeMarkings();

  // -- headings and comment (data numbers)
  /// Name; "" outside.
  String GetColName(int ix) const;
  String GetRowName(int ix) const;
  /// Stores the name cut to 50 characters, then OnHeadingChanged and Paint; ignored outside.
  void SetColName(int ix, const String& name);
  void SetRowName(int ix, const String& name);
  uint8_t GetColAttrib(int ix) const { return Data->GetColAttrib(ix); }
  uint8_t GetRowAttrib(int ix) const { return Data->GetRowAttrib(ix); }
  /// Ignored outside; the table's setter, Paint, OnAttributeChanged.
  void SetColAttrib(int ix, uint8_t b);
  void SetRowAttrib(int ix, uint8_t b);
  const String& Comment() const { return Data->Comment(); }
  /// Stores the text without its control characters through the table, then OnChange.
  void SetComment(const String& text);

  // -- layout
  /// Decimals of a data column, -1..10 (-1, 9 and 10 show the exponent form); 0 outside.
  int GetDecPlaces(int col) const;
  /// Clamped to -1..10; Paint and OnLayoutChanged. Ignored outside.
  void SetDecPlaces(int col, int d);
  /// ix > 0 data column ix; 0 the row-name column; -1 the attribute column (0 while hidden).
  int ColWidths(int ix) const;
  /// As ColWidths; the attribute column only while shown (its width is kept for showing it again).
  /// OnLayoutChanged in every case.
  void SetColWidths(int ix, int w);
  /// ix > 0 data row ix; 0 the name row; below 0 the attribute row, only while shown.
  void SetRowHeight(int ix, int h);
  /// Fits the row to the font (text height + Addon + 2, at least 8); answers the height set.
  int AutoRowHeight(int RowNr, int Addon);
  /// Fits the column to what it shows (ColNr as ColWidths: -1, 0 or a data column; headers when
  /// IncludeHeader), at least 4 pixels; answers the width set (0 + Addon + 8 for another ColNr).
  int AutoColWidth(int ColNr, bool IncludeHeader, int Addon);
  /// Every column takes the width, then the name column 80 and a shown attribute column its own
  /// width; OnLayoutChanged.
  void SetDefColWidth(int w);
  /// Field width of the number texts, 1..20 (others ignored); Paint when stored, OnLayoutChanged always.
  int NumWidth() const { return FNumWidth; }
  void SetNumWidth(int w);
  bool OptimizeRowHeight() const { return FOptRowHeight; }
  /// Stores and paints when changed.
  void SetOptRowHeight(bool b);
  /// The first data column (row) shown; the setter clamps to 1..count.
  int LeftCol() const { return TCustomGrid::LeftCol() - FColOffset; }
  void SetLeftCol(int c);
  int TopRow() const { return TCustomGrid::TopRow() - FRowOffset; }
  void SetTopRow(int r);
  /// The attribute column (row attributes) / the attribute row (column attributes).
  bool AttribRowVisible() const { return FColOffset >= 1; }
  bool AttribColVisible() const { return FRowOffset >= 1; }
  /// Shows or hides the band, keeping every data column's width (row's height); OnLayoutChanged.
  void SetRowAttVis(bool show);
  void SetColAttVis(bool show);
  int ColOffset() const { return FColOffset; }
  int RowOffset() const { return FRowOffset; }

  // -- looks: setters store, Paint and fire OnLayoutChanged
  TColor ColorBackground() const { return FColorBkgnd; }
  /// Stores and becomes the control colour.
  void SetColorBackground(TColor c);
  TColor ColorFixed() const { return FColorFixed; }
  /// Stores and becomes the grid's fixed colour.
  void SetColorFixed(TColor c);
  TColor ColorNormal() const { return FColorNormal; }
  void SetColorNormal(TColor c);
  TColor ColorSelected() const { return FColorSelected; }
  void SetColorSelected(TColor c);
  TColor ColorMarkedA() const { return FColorMarked1; }
  void SetColorMarkedA(TColor c);
  TColor ColorMarkedB() const { return FColorMarked2; }
  void SetColorMarkedB(TColor c);
  TColor ColorMarkedBoth() const { return FColorMarkedBoth; }
  void SetColorMarkedBoth(TColor c);
  TColor ColorRangeSelFG() const { return FColorRngSelFG; }
  void SetFColorRngSelFG(TColor c);
  TColor ColorRangeSelBG() const { return FColorRngSelBG; }
  void SetFColorRngSelBG(TColor c);
  bool BoldMarks() const { return FBoldMarks; }
  void SetBoldMarks(bool b);
  bool BoldSelHeads() const { return FBoldSelHeads; }
  void SetBoldSelHeads(bool b);

  // -- behaviour
  bool AutoAdvance() const { return FAutoAdvance; }
  void SetAutoAdvance(bool b) { FAutoAdvance = b; }
  /// orVert: Enter moves down; orHoriz: right.
  TOrientation AutoAdvanceDir() const { return FAutoAdvDir; }
  void SetAutoAdvanceDir(TOrientation d) { FAutoAdvDir = d; }
  bool DataReadOnly() const { return FReadOnly; }
  /// When changed: true commits and hides the in-place editor and removes goEditing; false adds it.
  void SetDataReadOnly(bool b);
  int NomEditDropDownCount() const { return FDropdownCount; }
  /// Rows of the pick list of nominal and ordinal columns (also of an existing in-place editor).
  void SetDropdownCount(int n);
  bool ClipboardUseFullPrec() const { return FClipUseFullPrec; }
  void SetClipboardUseFullPrec(bool b) { FClipUseFullPrec = b; }
  bool BlockInternalPopup() const { return FBlockIntPopup; }
  void SetBlockInternalPopup(bool b) { FBlockIntPopup = b; }
  bool CommentEditingAllowed() const { return FCommEdAllowed; }
  void SetCommentEditingAllowed(bool b) { FCommEdAllowed = b; }
  int PopupDMask() const { return FPopupDMask; }
  /// Item i (1..12) of the data popup is enabled exactly when bit i - 1 is set ("Paste" besides only
  /// after a copy and while the data may be changed); then OnChangeSetup.
  void SetPopupDMask(int m);
  int PopupHMask() const { return FPopupHMask; }
  /// Item i (1..5) of the heading popup is enabled exactly when bit i - 1 is set; then OnChangeSetup.
  void SetPopupHMask(int m);

  // -- menu captions (at most 50 characters; ix outside: the setter does nothing, the getter gives "")
  /// Data popup items 1..12.
  void SetPopupDCaption(int ix, const String& caption);
  String GetPopupDCaption(int ix) const;
  /// Heading popup items 1..5 (items 3..5 take their column or row caption each time the menu opens).
  void SetPopupHCaption(int ix, const String& caption);
  String GetPopupHCaption(int ix) const;
  /// Item ix (1..4: range, column, row, all) of both mark submenus / both unmark submenus; the
  /// getters read the submenu of mark A.
  void SetPopupMCaption(int ix, const String& caption);
  String GetPopupMCaption(int ix) const;
  void SetPopupUCaption(int ix, const String& caption);
  String GetPopupUCaption(int ix) const;

  // -- menu actions (the menus call them; a host may too). The selection is the block of data cells
  // it covers inside the table; headings act on the cell of the last press.
  /// Opens the heading editor under the pressed name or attribute heading.
  void PopupMenuClickChangeID(TObject* Sender);
  /// One decimal less for the pressed column (3, 2, 1, 0, -1, 10, 9, ...), then the heading menu
  /// opens again at the same place.
  void PopupMenuClickPrecision(TObject* Sender);
  /// Selects the pressed column / row / every data cell.
  void PopupMenuClickSelectCol(TObject* Sender);
  void PopupMenuClickSelectRow(TObject* Sender);
  void PopupMenuClickSelAll(TObject* Sender);
  /// An empty column (row) named "(...)" in place of the pressed one (not while read-only).
  void PopupMenuClickInsertCol(TObject* Sender);
  void PopupMenuClickInsertRow(TObject* Sender);
  /// Removes the pressed column (row), never the last one (not while read-only).
  void PopupMenuClickDeleteCol(TObject* Sender);
  void PopupMenuClickDeleteRow(TObject* Sender);
  /// Selected cells: value 0 and state 0.
  void PopupMenuClickClear(TObject* Sender);
  /// Selected cells: the empty state toggled.
  void PopupMenuClickEmptyCells(TObject* Sender);
  /// Keeps the selected cells (values and states) for Paste and puts them on the clipboard as text:
  /// a line per row ending CR LF, a blank before the first cell and TAB before each further one,
  /// "####" for a cell without a number, else strff(v, 22, -1) (full precision) or strff(v, 1,
  /// decimals of the column).
  void PopupMenuClickCopy(TObject* Sender);
  /// Writes the kept cells (values and states) from the selection's top-left on (cells outside the
  /// table are left out) and selects a block of the copy's size there; OnPaste. Nothing before the
  /// first copy or while read-only.
  void PopupMenuClickPaste(TObject* Sender);
  /// Writes the numbers of the clipboard's text from the selection's top-left on: a line of the text
  /// per row (CR LF, LF or CR ends a line), its numbers ('.' or ',', exponent allowed) one per column;
  /// a field "####" is a cell without a number (skipped); text before the first number and between
  /// numbers is passed over. Only values are written. Selects the block the text covers; OnPaste.
  void PopupMenuClickExtClip(TObject* Sender);
  /// Read-only on or off.
  void PopupMenuClickEdit(TObject* Sender);
  /// Both marks cleared everywhere.
  void PopupMenuClickUnMarkAll(TObject* Sender);
  /// Mark A (B) set or cleared on the selected cells (Range), every row of the selected columns
  /// (Column), every column of the selected rows (Row) or every cell (All).
  void PopupMenuClickMarkARange(TObject* Sender);
  void PopupMenuClickMarkAColumn(TObject* Sender);
  void PopupMenuClickMarkARow(TObject* Sender);
  void PopupMenuClickMarkAAll(TObject* Sender);
  void PopupMenuClickMarkBRange(TObject* Sender);
  void PopupMenuClickMarkBColumn(TObject* Sender);
  void PopupMenuClickMarkBRow(TObject* Sender);
  void PopupMenuClickMarkBAll(TObject* Sender);
  void PopupMenuClickUnMarkARange(TObject* Sender);
  void PopupMenuClickUnMarkAColumn(TObject* Sender);
  void PopupMenuClickUnMarkARow(TObject* Sender);
  void PopupMenuClickUnMarkAAll(TObject* Sender);
  void PopupMenuClickUnMarkBRange(TObject* Sender);
  void PopupMenuClickUnMarkBColumn(TObject* Sender);
  void PopupMenuClickUnMarkBRow(TObject* Sender);
  void PopupMenuClickUnMarkBAll(TObject* Sender);
  /// The block Extract would fill from the clipboard's text: its columns and rows, true when the
  /// text holds a number; false and 1 x 1 otherwise.
  bool GetClipMatrixSize(int& NCols, int& NRows) const;

  // -- sorting, finding, other tables
  // Ranges as the table's (0, 0 is the whole dimension). A sort carries the headers (names,
  // attributes, scales and the decimals of the columns) when IncludeHeaders; name and attribute
  // sorts always do. Painting is suppressed during the sort; then Paint and OnChange (and
  // OnHeadingChanged when headers moved).
  void SortCols(int SortRowIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, bool IncludeHeaders);
  void SortRows(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, bool IncludeHeaders);
  void SortRowAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortColAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortColNames(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortColNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortRowNames(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortRowNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow);
  /// The table's: the first column (row) of that name (blanks around and case a-z ignored); 0 when none.
  int FindColIndex(const String& ColID) const;
  int FindRowIndex(const String& RowID) const;
  /// Shows NewDTab (owned by the host) in place of the table in use: the old one is unhooked (and
  /// freed when own), the new one hooked and watched, the grid and the decimals fitted as for a
  /// resize; OnChangeSetup and Paint. nil or the table in use: nothing.
  void AssignAnotherDataMatrix(TDataTable* NewDTab);
  /// The table becomes a copy of ExtTab (painting suppressed meanwhile); Paint and OnChange.
  void CopyContentsFrom(const TDataTable* ExtTab);
  /// The table copies the states of a table of its size; then Paint and OnCellStateChanged. False
  /// (nothing changed) for another size.
  bool CopyCellStatesFrom(const TDataTable* ExtTab);

  // -- events
  TNotifyEvent OnChange;            ///< data changed
  TBeforePopupEvent OnBeforePopup;  ///< before either popup menu opens
  TNotifyEvent OnHeadingChanged;    ///< a row or column name was set or edited
  TNotifyEvent OnAttributeChanged;  ///< a row or column attribute changed
  TNotifyEvent OnLayoutChanged;     ///< colours, widths, decimals or bands changed
  TNotifyEvent OnCellStateChanged;  ///< cell states (empty, marks) changed
  TBeforeRenderCellEvent OnBeforeRenderCell;
  TNotifyEvent OnChangeSetup;       ///< structure changed (size, read-only, popup masks)
  TNotifyEvent OnPaste;             ///< after a paste or an extraction from the clipboard
  /// Forwarded after the editor's own work on the in-place editor's text (grid numbers).
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;

 protected:
  // -- drawing and in-place editing (grid numbers)
  /// Data cells by state, scale and marks; fixed cells as names, attributes, their captions and the corner.
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  /// Fires OnBeforeRenderCell.
  void BeforeRenderCell(TObject* Sender, int colix, int rowix, String& Text, TColor& ColorText, TColor& ColorBakg,
                        TFontStyles& FontStyles);
  /// The cell's label (nominal and ordinal columns) or number, whatever its state; then OnGetEditText.
  String GetEditText(int ACol, int ARow) override;
  /// The committed text: a label or a 32-bit integer in nominal and ordinal columns, else a finite
  /// number ('.' or ','); state 0 and the value, or state 1 and the old value; then OnSetEditText.
  void SetEditText(int ACol, int ARow, const String& Value) override;
  /// A list-capable editor with NomEditDropDownCount rows and the column's labels.
  std::unique_ptr<TInplaceEdit> CreateEditor() override;
  /// The pick list for nominal and ordinal columns.
  TEditStyle GetEditStyle(int ACol, int ARow) override;
  /// Only over cells of the table.
  bool CanEditShow() const override;
  /// The non-empty labels of the column in label order.
  void ColumnsGetPickListItems(int ACol, int ARow, TStrings* Items);
  /// Enter (when AutoAdvance) moves on by AutoAdvanceDir; Esc ends editing until the next mouse release.
  void KeyPress(Char& Key) override;
  /// The grid's handling, the corner refresh, Invalidate.
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  /// Draws the current cell's column:row into the corner at once.
  void RefreshCorner();
  /// The table is going: an own zero table of its size takes its place.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  /// A first press on a cell selects it without editing, a second one on the same cell edits; the
  /// right button opens the data popup over data cells, the heading popup over names and attributes
  /// and the comment memo over the corner. Ignored while the heading editor is open; while the memo
  /// is open, a press on the corner cancels it.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// Editing is allowed again (never while read-only).
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// Enter commits the heading editor's text, Esc cancels; both close it.
  void NameEdKeyPress(TObject* Sender, Char& Key);
  /// Enter makes the memo's text the comment, Esc cancels; both close it.
  void CommentMemoKeyPress(TObject* Sender, Char& Key);
  /// The data popup opens: "Paste" enabled exactly after a copy, by its mask bit and while the data
  /// may be changed.
  void PopupMenuDLoadPopup(TObject* Sender);

 private:
  struct TChangeHook;
  struct TSetupHook;
  struct TResizeHook;
  struct TSortHook;
  // The grid's counts, fixed counts and default width follow the table and the bands only.
  using TCustomGrid::SetColCount;
  using TCustomGrid::SetDefaultColWidth;
  using TCustomGrid::SetFixedCols;
  using TCustomGrid::SetFixedRows;
  using TCustomGrid::SetRowCount;

  // -- the table
  void HookTable(TDataTable* t);
  /// Clears the hooks of t that still lead to this editor.
  void UnhookTable(TDataTable* t);
  /// Grid counts and fixed counts for the table's size; widths of new columns and rows and the
  /// decimals from the previous last ones.
  void FitGrid(int OldColumns, int OldRows, int NewColumns, int NewRows);
  void FitDecimals(int OldColumns, int NewColumns);
  [[noreturn]] void RaiseNoMemory() const;
  bool PaintSuppressed() const { return FSuppressPaint || FInternSuppPaint; }
  void Notify(const TNotifyEvent& event);
  /// Runs a table operation with SuppressPaint held (restored on every exit path, repainting when cleared).
  void Suppressed(const std::function<void()>& operation);
  /// Sets every state to change(state) with the internal suppression held; then Paint and OnCellStateChanged.
  void ChangeAllStates(const std::function<uint8_t(uint8_t)>& change);
  void ChangeStateBit(int col, int row, uint8_t bit, bool value);
  void SortCarrying(bool IncludeHeaders, const std::function<void()>& sort);
  bool InsideTable(int col, int row) const;
  bool Categorial(int col) const;

  // -- menus
  void BuildMenus();
  TMenuItem* AddMenuItem(TMenuItem* parent, const String& name, const String& caption, TNotifyEvent click);
  /// Outlines the heading cell inverted, fires OnBeforePopup and opens the heading popup beside it.
  void OpenHeadingPopup(const TRect& cell);
  void PrepareHeadingPopup();
  void OpenDataPopup(int X, int Y);
  void OpenCommentMemo();
  void CloseCommentMemo(bool save);
  void CloseHeadingEditor(bool commit);
  /// The selected data cells inside the table (Left > Right when none).
  TGridRect SelectedData() const;
  /// Runs a bulk change of the cells with the internal suppression held and the table's OnChange
  /// detached (both restored on every exit path); then Paint once.
  void BulkChange(const std::function<void()>& change);
  /// Sets (on) or clears the bit in the state of every cell of the data block, then Paint and
  /// OnCellStateChanged.
  void MarkBlock(const TGridRect& block, uint8_t bit, bool on);
  void MaskStates(const TGridRect& block, uint8_t andMask, uint8_t xorMask);
  /// The block of whole columns / rows of the selection.
  TGridRect SelectedColumns() const;
  TGridRect SelectedRows() const;
  String CopyCellText(int col, int row) const;
  bool PressedColumnHeading() const { return PopupCol > FColOffset; }

  // -- drawing
  /// What a data cell shows for its state: "" (empty), "-nan-", a label or "Scale:v", or the number.
  String CellText(int col, int row) const;
  /// The label of ordinal v of a nominal or ordinal column, else v in decimal (after the scale's
  /// name and ':' when scaleName).
  String LabelText(int col, int64_t v, bool scaleName) const;
  void DrawDataCell(int col, int row, const TRect& ARect, TGridDrawState AState);
  void DrawFixedCell(int ACol, int ARow, TRect ARect);
  void DrawHeading(const TRect& rect, int x, int y, const String& text, bool current);
  /// The corner: "Comment:" while the comment memo is open, else the current cell.
  void DrawCorner(const TRect& rect, bool comment);
  /// The corner's text: the current cell in data numbers.
  String CornerText() const;
  void FitRowHeights();
  int TextWidthOf(const String& text);
  /// State 0, then the value (whose hook repaints).
  void StoreEntry(int col, int row, double value);
  /// Commits a text to a nominal or ordinal cell / any other cell: true when it was read.
  bool CommitLabel(int col, int row, const String& Value);
  bool CommitNumber(int col, int row, const String& Value);

  // -- fields
  bool FAutoAdvance = true;
  TOrientation FAutoAdvDir = orVert;
  int FClassColWidth = 32;
  bool FOptRowHeight = false;
  int FColOffset = 1;
  int FRowOffset = 0;
  std::vector<int8_t> FDecP;  ///< decimals of data column c at [c - 1]
  bool FClipUseFullPrec = true;
  std::unique_ptr<TDataTable> FDataCopy;
  bool FDataCopyAvail = false;
  bool FExtMatAssigned = false;
  int FNumWidth = 1;
  bool FSortIncludeHd = false;
  bool FSuppressPaint = false;
  bool FInternSuppPaint = true;
  bool FBlockIntPopup = false;
  bool FCommEdAllowed = true;
  bool FReadOnly = false;
  std::unique_ptr<TPopupMenu> FPopupD;
  int FPopupDMask = 2147483647;
  std::unique_ptr<TPopupMenu> FPopupH;
  int FPopupHMask = 2147483647;
  int FPopupMMask = 2147483647;
  int FPopupUMask = 2147483647;
  TColor FColorBkgnd = clWindow;
  TColor FColorFixed = clBtnFace;
  TColor FColorNormal = 0x002000;
  TColor FColorMarked1 = 0x0000FF;
  TColor FColorMarked2 = 0xFF0000;
  TColor FColorMarkedBoth = 0xCC00BB;
  TColor FColorSelected = 0x404040;
  TColor FColorRngSelFG = 0x80552C;
  TColor FColorRngSelBG = 0xF8E8E0;
  bool FBoldSelHeads = true;
  bool FBoldMarks = true;
  bool FNameEdActive = false;
  std::unique_ptr<TEdit> FNameEd;
  bool FCommentMMActive = false;
  std::unique_ptr<TMemo> FCommentMM;
  int FDropdownCount = 8;
  std::unique_ptr<TStringList> FColPickList;
  std::unique_ptr<TDataTable> FOwnData;  ///< Data while not FExtMatAssigned
  int FShownCols = 0;                    ///< the table's size the grid was last fitted to
  int FShownRows = 0;
  // The menus' items and the last presses, per editor (one editor's press must not act on another).
  std::array<TMenuItem*, 34> PopupItems{};  ///< entries 1..33
  int PopupCol = 0;
  int PopupRow = 0;
  int PrevCellCol = 0;
  int PrevCellRow = 0;
  int PrevMouseX = 0;
  int PrevMouseY = 0;
  int FPaints = 0;  ///< grid paints that got through (an outline drawn since is still there while equal)
};

}  // namespace qelta

QELTA_PUBLIC_END
