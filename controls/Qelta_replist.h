#pragma once
// Qelta_replist: the report list's data, TRLData, with its ways in and out as text.
//
// What: named columns of short texts with a hidden column 0 per row, a format text per column that tells
// a row editor how to edit the column and what its default is, check boxes or radio buttons in chosen
// columns, the row and column attribute bytes of the store (bit $80 selected, bit $40 disabled: the view
// sets and reads them; every operation here keeps them), and sorting through the store's sort index. Its
// text exchange: clipboard copies (TAB, a separator of the caller's, or fixed-width columns), the
// "replist" XML block in files, open text files, streams and strings, line files and an HTML table.
// How: the cells live in a TStringArray (the public field Strings): Windows-1252 texts of at most 255
// characters, rows read in view order through the store's sort index. In a check column the first
// stored character is the check state ("X" checked, a blank unchecked; any first character but a blank
// reads as checked); GetElem and SetElem hide it, while the store, GetAsNumber, sorting and the fixed
// clipboard widths see it. NrOfRows 0 keeps the store's rows (at least one), so growing again shows the
// old stored rows.
// Limits: names are cut to 50 bytes and formats to 80. A column outside 0..NrOfColumns, or a row outside
// 1..NrOfRows, reads as an empty plain cell and is never written.
// Failure channel: EQeltaRLDataError (`Component "Name": text`) when memory runs out; the store's
// EQeltaDStructError from GetAsNumber on text that is no number; the XML readers answer a count or a
// negative code and change nothing when they fail; LoadLinesFromFile answers -1 for a file it cannot
// read; the other file operations raise the platform's EInOutError.
//
// Index (sources)
//   Qelta_replist_data.cpp       model: creation, size, columns, cells and check marks, rows, defaults,
//                                sorting, copying
//   Qelta_replist_text.cpp       clipboard copies, line files, the HTML table
//   Qelta_replist_xml.cpp        the replist block: recognition, writer, readers
//   Qelta_replist_internal.h     column formats taken apart (not installed)
//   Qelta_replist_view.cpp       the view: structure, layout, selection, rows, mouse, keys, filter
//   Qelta_replist_draw.cpp       the view's painting: headers, sort arrows, cells, check marks, marker
//   Qelta_replist_rowed.cpp      the view's row editor: one editor per column on a modal form
//
// TReportListView, the list in which a user reads and picks records, is a TCustomDrawGrid over a
// TRLData it owns: grid column g shows data column g + 1; the fixed grid rows are the visible header
// lines (an optional common header above the column headers), so grid row g shows data row g -
// FixedRows + 1. Public operations take data numbers. Every content change of the store repaints and
// fires OnChange; bulk operations hold SuppressPaint, repaint once and fire one OnSelectedChange.
// Selection and enabling are the store's attribute bits ($80, $40); setting them fires
// OnSelectedChange, not OnChange. Paint repaints through the window's paint (a no-op without a window).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "Classes.h"
#include "Dialogs.h"
#include "Graphics.h"
#include "Grids.h"
#include "Qelta_dstruct.h"
#include "Qelta_qeltabase.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// [SECTION] types of the unit

/// Error class of TRLData.
QELTA_DECLARE_EXCEPTION(EQeltaRLDataError, EQeltaError)
/// Error class of the report list view.
QELTA_DECLARE_EXCEPTION(EQeltaRepListError, EQeltaError)

/// Check mode of a column: plain, an independent check box per cell, or radio buttons (at most one
/// checked cell in the column).
enum TCheckMode : uint8_t { cmNone, cmBox, cmRadio };
/// How the view's filter reads its search text.
enum TFilterMode : uint8_t { fmSimple, fmBoolean, fmGrep };

/// Rewrites a cell text (Col, Row in data numbering) on its way into an HTML table.
using TBeforeHTMLExportEvent = std::function<void(TObject* Sender, String& Text, int Col, int Row)>;
/// Before or after a check mark of the view changes (the handler may change State before).
using TCheckStateChangeEvent = std::function<void(TObject* Sender, bool& State, int Col, int Row)>;
/// Lets the host replace a column's format for one row of the row editor.
using TRequestEditFormatEvent = std::function<void(TObject* Sender, int Col, int Row, String& Format)>;
/// Lets the host change the look and text of one data cell of the view before it is drawn.
using TRenderCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TColor& PenColor, TColor& BrushColor,
                                            TColor& FontColor, TFontStyles& FontStyles, String& Text)>;
/// The host's part of the view's filter for one row.
using TBeforeFilterEvent =
    std::function<void(TObject* Sender, int Row, bool& Found, TLogicOp& CombineWithInternalSearch)>;

class TReportListView;
class TTagReader;

// [SECTION] the data

/// The data of a report list. Cells (column, row): columns 0..NrOfColumns (0 hidden), rows 1..NrOfRows
/// in view order. Created with any owner; owns its store.
class TRLData : public TComponent {
 public:
  /// Elements of the replist block, in the order of the reader's tag list.
  enum TRepListXmlTag : uint8_t {
    xmlNumCols,
    xmlNumRows,
    xmlColName,
    xmlCheckedColumn,
    xmlCommonHd,
    xmlColumnFormat,
    xmlCell,
    xmlComment,
    xmlEndReplist,
    xmlInvalid
  };
  /// Text form of each TRepListXmlTag.
  static constexpr std::array<const char16_t*, xmlInvalid + 1> xmlRepListTagNames = {
      u"numcols",      u"numrows", u"colname", u"checkedcolumn", u"commonheader",
      u"columnformat", u"cell",    u"comment", u"/replist",      u"invalidtag"};
  static constexpr int MaxNameLength = 50;
  static constexpr int MaxFormatLength = 80;

  // --- creation ---
  /// One column named C-1 with an empty format and cmNone, no rows, common header "Qelta Report
  /// Listview", unsorted; the store one column by one row, allocation step 10, its sort-key hook on
  /// BeforeSortExchange. EQeltaRLDataError "... failed to initialize (out of memory)".
  explicit TRLData(TComponent* AOwner);
  ~TRLData() override;

  /// From another TRLData: size, sort state and toggle, comment, common header, data identifier, the
  /// sort-key handler, the allocation step, attribute bytes, every cell of columns 0..NrOfColumns in the
  /// source's physical order and its sort index, names, formats and check modes. The store stays the same
  /// object (its hooks stay) and fires nothing meanwhile. Other classes: TPersistent's rule.
  void Assign(TPersistent* Source) override;

  // --- size ---
  int NrOfColumns() const { return FNrOfCols; }
  /// n below 1 counts as 1. The store becomes n x max(NrOfRows, 1); new columns are named "C-" and their
  /// number, with an empty format and cmNone; the others keep theirs. EQeltaRLDataError "... not enough
  /// memory on heap".
  void SetNrCols(int n);
  int NrOfRows() const { return FNrOfRows; }
  /// n below 0 counts as 0. The store becomes NrOfColumns x n; with n 0 it keeps its rows. EQeltaRLDataError
  /// "... not enough memory on heap" when the store cannot grow.
  void SetNrRows(int n);

  // --- columns ---
  /// Column whose name equals Head (A-Z case ignored), searched from the last column to the first; with
  /// PartialMatch also the first from the right whose name contains Head. -1 when none.
  int ColumnIndex(std::string_view Head, bool PartialMatch) const;
  /// Name of column 1..NrOfColumns; "" outside.
  AnsiString GetColName(int c) const;
  /// Stores the name (cut to 50 bytes); nothing outside 1..NrOfColumns.
  void SetColName(int c, std::string_view s);
  /// Format of column 1..NrOfColumns: "[" type "]" "[" width "]" value; "" outside.
  AnsiString GetColumnFormat(int c) const;
  /// Stores the format (cut to 80 bytes); nothing outside 1..NrOfColumns.
  void SetColumnFormat(int c, std::string_view s);
  /// Check mode of column 1..NrOfColumns; cmNone outside (column 0 included).
  TCheckMode GetColCheckMode(int c) const;
  /// Changes the mode of column 1..NrOfColumns and converts its cells without an event: to a check mode
  /// every non-empty cell gets an unchecked blank in front; back to cmNone every non-empty cell loses its
  /// first character; from cmBox to cmRadio every cell is unchecked. Same mode or outside: nothing.
  void SetColCheckMode(int c, TCheckMode m);
  /// True for a cmBox column.
  bool GetCheckedCol(int c) const { return GetColCheckMode(c) == cmBox; }
  /// SetColCheckMode(c, b ? cmBox : cmNone).
  void SetCheckedCol(int c, bool b) { SetColCheckMode(c, b ? cmBox : cmNone); }

  // --- cells and check marks ---
  /// Cell text without the check character of a check column.
  AnsiString GetElem(int c, int r) const;
  /// Stores the text; a check column keeps its check character (a blank for an empty cell) in front. Cut
  /// to 255 characters. Nothing outside the table.
  void SetElem(int c, int r, std::string_view s);
  /// Check state of a cell of a check column (first character not a blank); false otherwise.
  bool GetElemChecked(int c, int r) const;
  /// Sets the check character ("X" or a blank; an empty cell becomes that character alone); in a cmRadio
  /// column every other cell is unchecked first. Nothing in a plain column or outside the table.
  void SetElemChecked(int c, int r, bool b);
  /// cmBox columns only: every row's check state := b (one OnChange of the store).
  void SetAllCheckmarksOfCol(int c, bool b);
  /// As SetAllCheckmarksOfCol for any check mode (clears a radio column).
  void SetAllCheckmarksOfColIntern(int c, bool b);
  /// cmBox columns only: an empty cell and any first character but "X" become "X", "X" becomes a blank.
  void InvertAllCheckmarksOfCol(int c);
  /// Checked cells of a check column; 0 for a plain column.
  int CountCheckedElemsInCol(int c) const;
  /// Checked cells of row r over the check columns.
  int CountCheckedElemsInRow(int r) const;
  /// First checked row of a check column; 0 when none, without rows or for a plain column.
  int FirstCheckedElemInCol(int c) const;
  /// The store's number of the raw cell text (EQeltaDStructError for text that is no number); 0 outside.
  Extended GetAsNumber(int c, int r) const;
  /// Default of a cell by its column's format: the first choice ("c", "l"), the value ("d"), the row
  /// number with n digits, decimals or hex digits for a value "rixn" ("e", "f", "h", "i"; at least n,
  /// n up to 255, none dropped), an invented password of n letters for "$pwd$n" ("s"), else the value.
  /// "" without a type group, for a read-only type ("#") and for other letters.
  AnsiString GetCellDefaultValue(int c, int r) const;

  // --- rows ---
  /// Removes row r (1..NrOfRows) after committing the sort order; the only row is emptied instead (columns
  /// 0..NrOfColumns) and NrOfRows becomes 0.
  void RemoveRow(int r);
  /// Removes every row whose cells of columns 0..NrOfColumns are all empty (as GetElem reads them), in one
  /// pass: the others keep their order and attribute bytes, physically in view order afterwards.
  void RemoveEmptyRows();
  /// Copies columns 0..NrOfColumns and the attribute byte of row Source to row Target (both 1..NrOfRows).
  void CopyRow(int Source, int Target);
  /// Every cell of columns 1..NrOfColumns := s; check columns keep each cell's state (one OnChange).
  void Fill(std::string_view s);
  /// Empties the store; names back to "C-" and their number, formats empty, modes cmNone; size stays.
  void Clear();

  // --- sorting ---
  /// Notes the sort and sorts the store's index by the raw texts of column Col (A-Z case ignored), Col Sec
  /// (1 or more) breaking ties; keys pass the sort-key hook.
  void Sort(int Col, int ColSec, bool Ascending);
  /// Notes no sort and makes the store's index the identity.
  void UnSort();
  /// The store's sort-key hook: OnBeforeSortExchange(this, InString, OutString) when assigned.
  void BeforeSortExchange(TObject* Sender, const String& InString, String& OutString);

  // --- text exchange (Qelta_replist_text.cpp) ---
  /// Puts columns LeftCol..RightCol of rows TopRow..BottomRow on the clipboard (range clamped to the table;
  /// an empty or reversed range has no cells): cells as GetElem reads them, lines ended by LF; with
  /// AddHeader first the column names and an empty line. UseTabs: TAB between the cells; else each cell
  /// padded with blanks to its column's width + 1, the width being the longest raw stored text (check
  /// character included) of the range or, with AddHeader, the name.
  void CopyToClipBoard(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader, bool UseTabs) const;
  /// As above with Separator between the cells.
  void CopyToClipBoard(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader,
                       const String& Separator) const;
  void CopyToClipBoard(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader,
                       const Char* Separator) const {
    CopyToClipBoard(LeftCol, TopRow, RightCol, BottomRow, AddHeader, String(Separator));
  }
  /// Each line of the text file (Windows-1252; CR LF, LF or CR) into Column (0..NrOfColumns) from row
  /// FirstRow (clamped to 1..NrOfRows + 1) on, as SetElem stores it (cut to 255); rows are added as
  /// needed. Answers the lines read, 0 for a column outside, -1 when the file cannot be read (nothing
  /// changed).
  int LoadLinesFromFile(int Column, int FirstRow, const String& FName);
  /// Writes an HTML page (Windows-1252, CR LF) with rows TopRow..BottomRow (clamped) as a table: the
  /// columns of Columns in their order (entries outside 1..NrOfColumns skipped; empty: LeftCol..RightCol),
  /// the table's border, cell padding and spacing, a header row of column names with ColumnHeaders, the
  /// page's title, further attributes of the table element (written as given) and a caption (none when
  /// empty). Every cell text passes BeforeHTMLExport, then the HTML entity coding. EInOutError when the
  /// file cannot be written; the file that was there then stays as it was (RewriteReplacing).
  void ExportHTMLTable(const String& FName, int LeftCol, int TopRow, int RightCol, int BottomRow,
                       std::span<const int> Columns, int Border, int CellPadding, int CellSpacing, bool ColumnHeaders,
                       const String& Title, const String& TableAttributes, const String& Caption);
  /// Fires OnBeforeHTMLExport(this, Text, Col, Row) when assigned.
  void BeforeHTMLExport(String& Text, int Col, int Row);

  // --- the replist block (Qelta_replist_xml.cpp; the layout is in the README) ---
  /// Writes the block (after an XML declaration and an empty line when CreateHeader) with id DataID; the
  /// file's EInOutError passes.
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const;
  /// The same into a stream, one byte per character; the stream's EWriteError passes.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const;
  /// Writes a file holding the declaration and the block; EInOutError when it cannot be written, the
  /// file that was there then kept as it was (RewriteReplacing).
  void SaveAsXMLFile(const String& FName, const String& DataID) const;
  /// Reads the next block whose id equals DataID (blanks around and A-Z case ignored; any block when
  /// DataID is empty) into a fresh TRLData and takes it only when it is whole. Answers the number of
  /// cells read, -1 when no such block follows, -2 when it is malformed or ends early (nothing changed;
  /// counts are checked before anything is reserved). Keeps this object's events; DataID becomes the
  /// block's id; the data are unsorted.
  int ReadFromXMLString(const String& InString, const String& DataID);
  /// As ReadFromXMLString from the stream's position on (lines end at LF); the stream stays just behind
  /// the block's closing tag (or at its end).
  int ReadFromXMLStream(TStream& InStream, const String& DataID);
  /// As ReadFromXMLString from a text file open for reading; its EInOutError passes.
  int ReadFromOpenXMLFile(TextFile& f, const String& DataID);
  /// ReadFromOpenXMLFile on the named file; EInOutError when it cannot be opened or read.
  int LoadFromXMLFile(const String& FName, const String& DataID);

  // --- properties ---
  const String& CommonHeader() const { return FCommonHeader; }
  /// Stores the text when it differs.
  void SetCommonHeader(const String& value);
  const String& Comment() const { return FComment; }
  void SetComment(const String& value) { FComment = value; }
  const String& DataID() const { return FDataID; }
  void SetDataID(const String& value) { FDataID = value; }
  /// Primary column of the last sort; -1 when unsorted.
  int LastSortColumn() const { return FSortColumn; }
  /// Direction of the last sort (true ascending).
  bool LastSortOrder() const { return FSortOrder; }

  // --- events ---
  /// Maps a cell text to its sort key.
  TBeforeSortExchgEvent OnBeforeSortExchange;
  /// Rewrites cell texts during ExportHTMLTable.
  TBeforeHTMLExportEvent OnBeforeHTMLExport;
  /// Progress of the XML and HTML writers (0..100).
  TOnPercentDoneEvent OnPercentDone;

  /// The cell store (owned; the same object for the data's whole life).
  TStringArray* Strings = nullptr;

 protected:
  /// To a TRLData: its Assign; other classes: TPersistent's rule.
  void AssignTo(TPersistent* Dest) override;

 private:
  friend class TReportListView;

  [[noreturn]] void RaiseNoMemory() const;
  bool ValidCol(int c) const { return c >= 0 && c <= FNrOfCols; }
  bool ValidCell(int c, int r) const { return ValidCol(c) && r >= 1 && r <= FNrOfRows; }
  /// Sets the check character of one stored cell (an empty cell becomes the character alone).
  void SetCheckChar(int c, int r, bool b);
  /// Runs fn with the store's OnChange silenced; afterwards the store fires OnChange once when notify.
  template <typename Fn>
  void Quietly(bool notify, Fn&& fn);
  void ResetColumn(int c);
  void SetFeedback(int rows);
  void ReportProgress(int64_t done) const;
  String ClipboardText(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader,
                       const String* Separator) const;
  /// Writes the block line by line through sink.
  void WriteBlock(const std::function<void(const String&)>& sink, bool CreateHeader, const String& DataID) const;
  /// Reads the next block with the identifier into a fresh TRLData and takes it when whole (this
  /// object's events and sort toggle stay); answers as ReadFromXMLString.
  int ReadBlockFrom(TTagReader& src, const String& DataID);

  String FComment;
  std::vector<AnsiString> FColName;
  std::vector<AnsiString> FColumnFormat;
  String FCommonHeader = u"Qelta Report Listview";
  std::vector<TCheckMode> FColButMode;
  int FNrOfCols = 1;
  int FNrOfRows = 0;
  int FSortColumn = -1;
  int FSortColumnSec = -1;
  bool FSortOrder = true;
  String FDataID;
  bool FSortToggle = true;
  int FFeedbkNumCells = 1;
  int FFeedbkStep = 1;
  std::unique_ptr<TStringArray> FStore;
};

// [SECTION] the view

class TForm;
class TSpeedButton;

/// The report list view: a read-mostly grid of records (rows) and fields (columns) under an optional
/// common header line and the column headers, sorted by a click on a column header, with check boxes
/// or radio buttons in chosen columns, selectable and disabled rows, shaded row groups, a highlighted
/// row or column, password columns, an inter-row marker, in-place editing of chosen columns and a
/// modal row editor. Owns its TRLData. Failure channel: EQeltaRepListError (`Component "Name": text`)
/// when memory runs out; arguments outside their ranges are ignored by setters and read 0, false or "".
class TReportListView : public TCustomDrawGrid {
 public:
  // --- creation ---
  /// Data of 5 columns and 4 rows on the grid's initial 5 x 5 cells, column headers shown, the
  /// common header hidden, options fixed lines, column sizing, row select and thumb tracking.
  explicit TReportListView(TComponent* AOwner);
  ~TReportListView() override;
  /// From another view: its settings, events, data and per-column flags; the data's store keeps its
  /// hooks to this view. Other classes: the grid's rule.
  void Assign(TPersistent* Source) override;

  // --- painting and notification ---
  /// Repaints now through the window (nothing while SuppressPaint or without a window); shows the
  /// empty message without rows and the inter-row marker.
  void Paint() override;
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Stores a new value; clearing it repaints.
  void SetSuppressPaint(bool value);
  /// Each fires its event when assigned.
  void Changed();           ///< OnChange
  void ChangedSetup();      ///< OnChangeSetup
  void ChangedSelection();  ///< OnSelectedChange
  /// The store's change hook: OnChange, then Paint.
  void StringsHasChanged(TObject* Sender);
  /// The progress hook of the store and the data: OnPercentDone(this, Percent).
  void RepListPercDone(TObject* Sender, int Percent);
  /// The store's sort-key hook: OnBeforeSortExchange(this, InString, OutString).
  void BeforeSortExchange(TObject* Sender, const String& InString, String& OutString);
  /// The data's HTML hook: OnBeforeHTMLExport(this, Text, Col, Row).
  void BeforeHTMLExport(TObject* Sender, String& Text, int Col, int Row);

  // --- size and layout ---
  int NrOfColumns() const { return FRLData->NrOfColumns(); }
  /// n below 1 counts as 1; new columns take the old last column's width, left aligned, not password,
  /// not editable; Paint, OnChangeSetup.
  void SetNrCols(int n);
  int NrOfRows() const { return FRLData->NrOfRows(); }
  /// n below 0 counts as 0; the grid selection goes to (0, 0); Paint, OnChangeSetup.
  void SetNrRows(int n);
  /// Visible header lines, 0..2.
  int CountHeadRows() const { return int(FComHdVis) + int(FColHdVis); }
  /// Width of data column c; 0 outside.
  int GetColWidths(int c) const;
  /// Sets the width of column 1..NrOfColumns; OnChangeSetup always.
  void SetColWidths(int c, int w);
  /// Column ColIx takes the client width less RightMargin and the other columns, at least 16;
  /// OnChangeSetup always.
  void ExpandColWidth(int ColIx, int RightMargin);
  /// Widest text of the column (check character left out in cmBox columns, + 16 there, + 2 for an
  /// italic font), with IncludeHeader also the name (+ 13 in the last sort column), + 9; 9 outside.
  int DetermineMaxColWidth(int ColNr, bool IncludeHeader);
  /// Width := max(DetermineMaxColWidth + Addon, 4).
  void AutoColWidth(int ColNr, bool IncludeHeader, int Addon);
  /// Width := min(max(DetermineMaxColWidth + Addon, 4), MaxWidth).
  void AutoColWidth(int ColNr, bool IncludeHeader, int Addon, int MaxWidth);
  int GetDefColWidth() const { return TCustomGrid::DefaultColWidth(); }
  int GetDefRowHeight() const { return TCustomGrid::DefaultRowHeight(); }
  int DefaultColWidth() const { return GetDefColWidth(); }
  /// The grid's default width (every column); Paint, OnChangeSetup.
  void SetDefaultColWidth(int w);
  int DefaultRowHeight() const { return GetDefRowHeight(); }
  /// The grid's default height, the header heights again; Paint, OnChangeSetup.
  void SetDefaultRowHeight(int h);
  /// First data row shown; set: clamped to the rows (the first row after the headers without rows).
  int TopRow() const { return TCustomGrid::TopRow() - CountHeadRows() + 1; }
  void SetTopRow(int r);
  /// First data column shown; set: clamped to fixed columns + 1..NrOfColumns.
  int LeftCol() const { return TCustomGrid::LeftCol() + 1; }
  void SetLeftCol(int c);
  bool FixedFirstColumn() const { return FFixedColOne; }
  /// Stores; column 1 is fixed while set and the view has two columns or more; OnChange, Paint.
  void SetFixedFirstColumn(bool value);

  // --- headers ---
  const String& CommonHeader() const { return FRLData->CommonHeader(); }
  /// Stores when different; OnChange, Paint.
  void SetCommonHeader(const String& value);
  TAlignment CommonHeaderAlignment() const { return FHeaderAlignment; }
  void SetCommonHeaderAlignment(TAlignment value);
  bool CommonHeaderVisible() const { return FComHdVis; }
  /// When different: stores, recomputes the grid rows and the header heights; OnChange, Paint.
  void SetCommonHeaderVisible(bool value);
  bool ColumnHeadersVisible() const { return FColHdVis; }
  void SetColumnHeadersVisible(bool value);
  int CommonHeaderHeight() const { return FComHdHgt; }
  /// Clamped to 8..127; header heights; OnChange, Paint.
  void SetCommonHeaderHeight(int value);
  int ColumnHeadersHeight() const { return FColHdHgt; }
  void SetColumnHeadersHeight(int value);

  // --- looks: each setter stores, repaints and fires OnChangeSetup ---
  TColor ColorCommonHd() const { return FComHdColor; }
  void SetColorCommonHd(TColor c);
  TColor ColorCommonHdText() const { return FComHdTxtColor; }
  void SetColorCommonHdText(TColor c);
  TColor ColorColumnHd() const { return FColHdColor; }
  /// Also the grid's FixedColor.
  void SetColorColumnHd(TColor c);
  TColor ColorColumnHdText() const { return FColHdTxtColor; }
  void SetColorColumnHdText(TColor c);
  TColor ColorText() const { return FColorNormal; }
  void SetColorText(TColor c);
  TColor ColorBkgdNormal() const { return FRColorNormal; }
  void SetColorBkgdNormal(TColor c);
  TColor ColorBkgdShaded() const { return FRColorShaded; }
  void SetColorBkgdShaded(TColor c);
  TColor ColorHigh() const { return FHiLgtColor; }
  void SetColorHigh(TColor c);
  TColor ColorHighText() const { return FHiLgtTextColor; }
  void SetColorHighText(TColor c);
  TColor ColorSelectedRow() const { return FSelRowColor; }
  void SetColorSelectedRow(TColor c);
  TColor ColorSelectedRowText() const { return FSelRowTextColor; }
  void SetColorSelectedRowText(TColor c);
  TColor ColorSelectedCol() const { return FSelColColor; }
  void SetColorSelectedCol(TColor c);
  TColor ColorSelectedColText() const { return FSelColTextColor; }
  void SetColorSelectedColText(TColor c);
  TColor ColorSelectedBoth() const { return FSelBothColor; }
  void SetColorSelectedBoth(TColor c);
  TColor ColorSelectedBothText() const { return FSelBothTextColor; }
  void SetColorSelectedBothText(TColor c);
  TColor ColorDisabledBkgd() const { return FDisabledBkgdColor; }
  void SetColorDisabledBkgd(TColor c);
  TColor ColorDisabledText() const { return FDisabledTextColor; }
  void SetColorDisabledText(TColor c);
  TColor InterRowIndicatorColor() const { return FInterRowColor; }
  void SetInterRowIndicatorColor(TColor c);
  int InterRowIndicatorWidth() const { return FInterRowWidth; }
  void SetInterRowIndicatorWidth(int w);
  int HighLightRow() const { return FHiLgtRow; }
  void SetHighLightRow(int r);
  int HighLightColumn() const { return FHiLgtColumn; }
  void SetHighLightColumn(int c);
  bool HighLightBold() const { return FHiLgtBold; }
  void SetHighLightBold(bool b);
  /// Rows per shading group; 0 or less: no shading.
  int RowColPattern() const { return FRowColPattern; }
  void SetRowColPattern(int n);
  /// When different: store, repaint, OnChangeSetup.
  TColor ColorEmptyMsg() const { return FColorEmptyMsg; }
  void SetColorEmptyMsg(TColor c);
  const String& EmptyMessage() const { return FEmptyMsg; }
  void SetEmptyMessage(const String& s);
  bool ShowEmptyCheckBoxes() const { return FShowEmptyCBx; }
  /// When different: store, repaint.
  void SetShowEmptyCheckBoxes(bool b);
  bool CheckMarksReadOnly() const { return FROCheckMarks; }
  void SetCheckMarksReadOnly(bool b);
  /// Data row on whose upper border the marker line lies (NrOfRows + 1: below the last); 0 off.
  int InterRowIndicatorPos() const { return FInterRowIndi; }
  void SetInterRowIndicatorPos(int p);

  // --- behaviour ---
  bool Enabled() const { return FEnabled; }
  /// Stores, sets the control's enabled state, repaints.
  void SetEnabled(bool value) override;
  bool AutoAdvance() const { return FAutoAdvance; }
  void SetAutoAdvance(bool b) { FAutoAdvance = b; }
  bool SortEnabled() const { return FSortEnabled; }
  void SetSortEnabled(bool b) { FSortEnabled = b; }
  bool UseCtrlForMultiSel() const { return FCtrlForMultiSel; }
  void SetUseCtrlForMultiSel(bool b) { FCtrlForMultiSel = b; }
  int RowSelectMode() const { return FRowSelectMode; }
  /// 0 none, 1 one row, 2 several (values outside count as 0 or 2). Unless 2: every row deselected;
  /// 0 also moves the grid selection outside the cells; OnSelectedChange.
  void SetRowSelectMode(int m);

  // --- the data (data numbering; as TRLData's) ---
  const String& Comment() const { return FRLData->Comment(); }
  void SetComment(const String& s) { FRLData->SetComment(s); }
  const String& DataID() const { return FRLData->DataID(); }
  void SetDataID(const String& s) { FRLData->SetDataID(s); }
  int LastSortColumn() const { return FRLData->LastSortColumn(); }
  bool LastSortOrder() const { return FRLData->LastSortOrder(); }
  int SecondarySortColumn() const { return FRLData->FSortColumnSec; }
  /// Accepted for -1..NrOfColumns only, then OnChangeSetup.
  void SetSecondarySortColumn(int c);
  int ColumnIndex(std::string_view Head, bool PartialMatch) const { return FRLData->ColumnIndex(Head, PartialMatch); }
  AnsiString GetColName(int c) const { return FRLData->GetColName(c); }
  /// c in 1..NrOfColumns: stores (cut to 50); OnChange, Paint.
  void SetColName(int c, std::string_view s);
  AnsiString GetColumnFormat(int c) const { return FRLData->GetColumnFormat(c); }
  /// c in 1..NrOfColumns: stores (cut to 80); OnChange, Paint.
  void SetColumnFormat(int c, std::string_view s);
  bool GetCheckedCol(int c) const { return FRLData->GetCheckedCol(c); }
  void SetCheckedCol(int c, bool b);
  TCheckMode GetColCheckMode(int c) const { return FRLData->GetColCheckMode(c); }
  /// The data's operation; OnChange, Paint.
  void SetColCheckMode(int c, TCheckMode m);
  AnsiString GetElem(int c, int r) const { return FRLData->GetElem(c, r); }
  void SetElem(int c, int r, std::string_view s) { FRLData->SetElem(c, r, s); }
  bool GetElemChecked(int c, int r) const { return FRLData->GetElemChecked(c, r); }
  void SetElemChecked(int c, int r, bool b) { FRLData->SetElemChecked(c, r, b); }
  int CountCheckedElemsInCol(int c) const { return FRLData->CountCheckedElemsInCol(c); }
  int CountCheckedElemsInRow(int r) const { return FRLData->CountCheckedElemsInRow(r); }
  int FirstCheckedElemInCol(int c) const { return FRLData->FirstCheckedElemInCol(c); }
  AnsiString GetCellDefaultValue(int c, int r) const { return FRLData->GetCellDefaultValue(c, r); }
  Extended GetAsNumber(int c, int r) const { return FRLData->GetAsNumber(c, r); }
  /// cmBox columns only, with one repaint.
  void SetAllCheckmarksOfCol(int c, bool b);
  void InvertAllCheckmarksOfCol(int c);
  TAlignment GetColAlignment(int c) const;
  /// When different: OnChange, Paint.
  void SetColAlignment(int c, TAlignment a);
  bool GetColumnEditable(int c) const;
  /// Stores only.
  void SetColumnEditable(int c, bool b);
  bool GetColumnIsPwd(int c) const;
  /// When different: OnChange, Paint.
  void SetColumnIsPwd(int c, bool b);
  /// The data (owned; the same object for the view's life).
  TRLData* Data() const { return FRLData.get(); }

  // --- selection and enabling (data numbering) ---
  bool GetRowSelect(int r) const;
  /// Bit $80 of the row; OnSelectedChange, Paint.
  void SetRowSelect(int r, bool b);
  bool GetRowEnabled(int r) const;
  /// Bit $40 of the row cleared (enabled) or set; OnSelectedChange, Paint.
  void SetRowEnabled(int r, bool b);
  bool GetColSelect(int c) const;
  void SetColSelect(int c, bool b);
  int FirstSelectedRow() const;
  int FirstSelectedColumn() const;
  int NumSelectedRows() const;
  int NumSelectedColumns() const;
  int NumEnabledRows() const;
  /// Each sets or clears its bit everywhere with one repaint and one OnSelectedChange.
  void SelectAllRows();
  void DeselectAllRows();
  void EnableAllRows();
  void DisableAllRows();
  void SelectAllColumns();
  void DeselectAllColumns();
  /// Selects Row alone, scrolls it to the middle and makes it the grid's current row.
  void CenterScrollAndSelect(int Row);
  /// Column (grid column + 1, 0 outside) and row (data row, -1 the column headers, -2 the common
  /// header, 0 outside) under a client point.
  TGridCoord MouseCell(int X, int Y) const;

  // --- rows and sorting ---
  /// Inserts an empty row before r (1..NrOfRows), appends one for r above (r becomes the new last
  /// row), adds none for r below 1; unsorted afterwards; answers r.
  int InsertRow(int r);
  /// Appends a row; answers the new NrOfRows.
  int AddRow();
  /// Removes row r (the only row is emptied and NrOfRows becomes 0).
  void RemoveRow(int r);
  /// Removes the rows whose cells (column 0 included) are all empty.
  void RemoveEmptyRows();
  /// The data's Fill with one repaint.
  void Fill(std::string_view s);
  /// The data's Clear; every column left aligned, not password, not editable; Paint.
  void Clear();
  /// Sorts by Col (ColSec breaking ties); Paint.
  void Sort(int Col, int ColSec, bool Ascending);
  /// Back to the stored order; Paint.
  void UnSort();
  /// Fires OnCheckedChange(this, State, Col, Row).
  void CheckStateHasChanged(bool State, int Col, int Row);
  /// Fires OnBeforeCheckedChange(this, State, Col, Row).
  void BeforeCheckStateChange(bool& State, int Col, int Row);
  /// Selects the rows that match SearchText in the listed columns (none: all) and moves them to the
  /// top, keeping the order within both groups, each group sorted by SortCol when it is 1 or more
  /// (SortAscending). fmSimple: a substring (A-Z folded with IgnoreCase); fmBoolean: every
  /// blank-separated word occurs; fmGrep: the expression matches (TGrep, IgnoreCase). OnBeforeFilter
  /// may set a row's result or combine its own with it. Answers the number of matches.
  int FilterAndSort(const String& SearchText, std::span<const int> Columns, bool IgnoreCase, TFilterMode Mode,
                    int SortCol, bool SortAscending);

  // --- text exchange: the data's operations; each then repaints and fires OnChangeSetup (the readers
  // first fit the grid to what they read) ---
  void CopyToClipBoard(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader, bool UseTabs) const {
    FRLData->CopyToClipBoard(LeftCol, TopRow, RightCol, BottomRow, AddHeader, UseTabs);
  }
  void CopyToClipBoard(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader,
                       const String& Separator) const {
    FRLData->CopyToClipBoard(LeftCol, TopRow, RightCol, BottomRow, AddHeader, Separator);
  }
  int LoadLinesFromFile(int Column, int FirstRow, const String& FName);
  int ReadFromXMLString(const String& InString, const String& DataID);
  int ReadFromXMLStream(TStream& InStream, const String& DataID);
  int ReadFromOpenXMLFile(TextFile& f, const String& DataID);
  int LoadFromXMLFile(const String& FName, const String& DataID);
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID);
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID);
  void SaveAsXMLFile(const String& FName, const String& DataID);
  void ExportHTMLTable(const String& FName, int LeftCol, int TopRow, int RightCol, int BottomRow,
                       std::span<const int> Columns, int Border, int CellPadding, int CellSpacing, bool ColumnHeaders,
                       const String& Title, const String& TableAttributes, const String& Caption);

  // --- the row editor (Qelta_replist_rowed.cpp) ---
  /// Edits data row Row on a form of the view's own at (PosLeft, PosTop), captioned "Editing Row n"
  /// with the buttons "OK" and "Cancel"; answers the modal result (mrOk wrote the row back).
  TModalResult EditRowEntries(int Row, int PosLeft, int PosTop);
  /// The same with the editors placed on the host's form from (PosLeft, PosTop) (no caption, no
  /// buttons: the host closes the form); the host's own controls stay.
  TModalResult EditRowEntries(int Row, TForm* ContainerForm, int PosLeft, int PosTop);
  /// The own form with these captions.
  TModalResult EditRowEntries(int Row, int PosLeft, int PosTop, const String& FormCaption, const String& ButOKCaption,
                              const String& ButCancelCaption);
  /// The work of the three: one labelled editor per column by its format (after OnRequestEditFormat),
  /// named "runtime_rlre_..." and the column number, Tag the column; on OK every editor the user
  /// changed writes its text (a picker its value in its own pattern) into the row, an untouched one
  /// the text it was given; the editors are freed last to first in every case.
  TModalResult EditRowEntriesIntern(int Row, TForm* ContainerForm, int PosLeft, int PosTop, const String& FormCaption,
                                    const String& ButOKCaption, const String& ButCancelCaption);
  /// Close the running editor's form with mrOk / mrCancel.
  void EdRowOKClick(TObject* Sender);
  void EdRowCancelClick(TObject* Sender);
  /// Enter (character 13) closes the form with mrOk.
  void EdRowKeyPress(TObject* Sender, Char& Key);

  // --- events ---
  TNotifyEvent OnChange;
  TNotifyEvent OnChangeSetup;
  TNotifyEvent OnSelectedChange;
  /// After a check mark changed by a click (receives not State of OnBeforeCheckedChange).
  TCheckStateChangeEvent OnCheckedChange;
  /// Before a check mark changes by a click; may change State.
  TCheckStateChangeEvent OnBeforeCheckedChange;
  TBeforeFilterEvent OnBeforeFilter;
  TRequestEditFormatEvent OnRequestEditFormat;
  TRenderCellEvent OnBeforeRenderCell;
  TBeforeSortExchgEvent OnBeforeSortExchange;
  TBeforeHTMLExportEvent OnBeforeHTMLExport;
  TOnPercentDoneEvent OnPercentDone;

 protected:
  void AssignTo(TPersistent* Dest) override;
  // -- drawing (Qelta_replist_draw.cpp; grid numbering)
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  /// Invalidates the whole grid (headers and marker follow the scroll position), then the grid's work.
  void TopLeftChanged() override;
  // -- input (grid numbering)
  /// In-place editing off in grid row 0, else on exactly for editable columns; then OnSelectCell.
  bool SelectCell(int ACol, int ARow) override;
  /// The raw cell text (without the check character); then OnGetEditText with the data row.
  String GetEditText(int ACol, int ARow) override;
  /// Stores the text (a check column keeps its state); then OnSetEditText with the data row.
  void SetEditText(int ACol, int ARow, const String& Value) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;

 private:
  // Grid counts follow the data and the headers only.
  using TCustomGrid::SetColCount;
  using TCustomGrid::SetFixedCols;
  using TCustomGrid::SetFixedRows;
  using TCustomGrid::SetRowCount;

  // -- structure helpers (Qelta_replist_view.cpp)
  [[noreturn]] void RaiseNoMemory() const;
  void HookData();
  void ResizeColumnArrays(int n);
  /// Row count and fixed rows from the headers and the data; header heights.
  void FitGridRows();
  void FitFixedCols();
  void SetHeaderHeights();
  /// Grid row of the column headers, of the common header (-1 when hidden).
  int ColHeaderRow() const { return FColHdVis ? int(FComHdVis) : -1; }
  int ComHeaderRow() const { return FComHdVis ? 0 : -1; }
  int DataRowOf(int ARow) const { return ARow - TCustomGrid::FixedRows() + 1; }
  int GridRowOf(int r) const { return r + TCustomGrid::FixedRows() - 1; }
  bool ValidRow(int r) const { return r >= 1 && r <= NrOfRows(); }
  bool ValidCol(int c) const { return c >= 1 && c <= NrOfColumns(); }
  /// Runs fn with painting suppressed, then restores the old value (repainting when that clears it).
  void Suppressed(const std::function<void()>& fn);
  /// Sets a row or column attribute byte without the store's change event.
  void SetRowAttribQuietly(int r, uint8_t b);
  void SetRowBit(int r, uint8_t bit, bool on);
  void SetAllRowBits(uint8_t bit, bool on);
  void SetAllColBits(uint8_t bit, bool on);
  template <typename T>
  void SetLook(T& field, T value);
  /// Runs a reader of the data with painting suppressed and fits the grid and the column flags to it;
  /// one repaint, OnChangeSetup.
  template <typename Read>
  int ReadFromData(Read&& read);
  /// The empty message and the inter-row marker over the painted grid.
  void PaintExtras();
  /// The right and bottom edge of the drawn cells.
  TPoint GridExtent() const;
  // -- input helpers
  void HeaderClickSort(int gc);
  void ToggleCheck(int c, int r);
  void SelectByMouse(int r, TShiftState Shift);
  void SelectCurrentRowOnly();
  // -- drawing helpers (Qelta_replist_draw.cpp)
  int HeaderBarEnd();
  void DrawHeaderBevel(TCanvas* cv, int left, int top, int bottom, int rightEnd);
  void DrawCommonHeader(TCanvas* cv, const TRect& ARect);
  void DrawColumnHeader(TCanvas* cv, int ACol, const TRect& ARect);
  void DrawSortArrow(TCanvas* cv, const TRect& textRect, int firstLineWidth, int lineHeight, TAlignment a,
                     int colWidth);
  void DrawDataCell(TCanvas* cv, int ACol, int ARow, const TRect& ARect);
  void DrawCheckMark(TCanvas* cv, TCheckMode mode, bool checked, bool rowDisabled, const TRect& ARect, TColor bk,
                     TColor fg);
  int ItalicExtra() const;

  bool FAutoAdvance = false;
  int FLastMousePosX = 0;
  int FLastMousePosY = 0;
  std::vector<TAlignment> FColAlignment;
  TAlignment FHeaderAlignment = taCenter;
  String FEmptyMsg;
  std::vector<bool> FColumnEditable;
  std::vector<bool> FColumnIsPwd;
  bool FComHdVis = false;
  TColor FComHdColor = clBtnFace;
  TColor FComHdTxtColor = 0x000000;
  int FComHdHgt = 20;
  bool FColHdVis = true;
  TColor FColHdColor = clBtnFace;
  TColor FColHdTxtColor = 0x000000;
  int FColHdHgt = 20;
  TColor FColorEmptyMsg = clGrayText;
  TColor FDisabledTextColor = 0xC0C0C0;
  TColor FDisabledBkgdColor = 0xF0F0F0;
  bool FEnabled = true;
  int FSelectAnchor = 1;
  int FRowSelectMode = 1;
  bool FCtrlForMultiSel = true;
  bool FSortEnabled = true;
  TColor FSelRowColor = 0x94BAED;
  TColor FSelRowTextColor = 0x800000;
  TColor FSelColColor = 0xE0C8B0;
  TColor FSelColTextColor = 0x000000;
  TColor FSelBothColor = 0x90A0C8;
  TColor FSelBothTextColor = 0x000000;
  bool FShowEmptyCBx = true;
  bool FROCheckMarks = false;
  TColor FHiLgtColor = 0xCC9966;
  TColor FHiLgtTextColor = 0xFFFFFF;
  bool FHiLgtBold = false;
  int FHiLgtRow = 0;
  int FHiLgtColumn = 0;
  bool FSuppressPaint = true;
  TColor FColorNormal = 0x002000;
  TColor FRColorNormal = 0xFFFFFF;
  TColor FRColorShaded = 0xF0EFE8;
  int FRowColPattern = 1;
  int FInterRowIndi = 0;
  TColor FInterRowColor = 0x0000FF;
  int FInterRowWidth = 3;
  bool FFixedColOne = false;
  TForm* FContainerForm = nullptr;
  TSpeedButton* FSBERCancel = nullptr;
  std::unique_ptr<TRLData> FRLData;
};

// [SECTION] recognising a replist block

/// True when the text file holds a line with "<replist", "qeltakit" and, when DataID is not empty, the id
/// DataID (A-Z case and blanks around ignored). EInOutError when the file cannot be opened or read.
bool CheckIfValidReplist(const String& FName, const String& DataID);
/// The same over the lines of a stream (ending at LF) from its position; the stream stays after the last
/// line read.
bool CheckIfValidReplist(TStream& Stream, const String& DataID);

}  // namespace qelta

QELTA_PUBLIC_END
