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

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Qelta_dstruct.h"
#include "Qelta_qeltabase.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Types.h"

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
namespace detail {
class TRLBlockSource;
}

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
  /// file cannot be written.
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
  /// Writes a file holding the declaration and the block; EInOutError when it cannot be written.
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
  int ReadBlockFrom(detail::TRLBlockSource& src, const String& DataID);

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

// [SECTION] recognising a replist block

/// True when the text file holds a line with "<replist", "qeltakit" and, when DataID is not empty, the id
/// DataID (A-Z case and blanks around ignored). EInOutError when the file cannot be opened or read.
bool CheckIfValidReplist(const String& FName, const String& DataID);
/// The same over the lines of a stream (ending at LF) from its position; the stream stays after the last
/// line read.
bool CheckIfValidReplist(TStream& Stream, const String& DataID);

}  // namespace qelta
