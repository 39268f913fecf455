#pragma once
// Qelta_datatable: TDataTable, a table of typed columns (variables) by rows (objects), the data of the
// box plot and the table editor.
//
// What: values in a TMatrix (owned, or borrowed from the host), a state byte per cell, a name and an
// attribute byte per column and row, a measurement scale and up to 25 nominal labels per column, a
// comment; exact change events; sorts that carry every belonging of a row or column along and report
// each exchange; exchanging, mirroring, the long two-column form; two fingerprints; copying; the ASC
// and CSV text files; descriptive statistics that respect the cell states and scales, and the
// covariance or correlation matrix of a block of columns with pairwise deletion.
// How: NumericData is hooked (its OnChange reaches the table's OnChange through DataHasChanged, its
// sort exchanges reach ExchangeDuringSort), so the matrix's own operations keep the table in step.
// States are kept in one column-major block like the values (a byte per cell, nothing per column),
// so the statistics read both directly in runs; the labels of a column are allocated only once one
// is set. A sort whose single exchanges nobody can observe (no OnSortExchange handler, no per-cell
// OnChange) runs the same comb sort on a permutation and moves every row or column once; so does
// SortRows when only an OnSortExchange handler listens: it hears every exchange in the classic
// order, while the rows themselves move after the last one (a handler reading the table meanwhile
// sees the order from before the sort). The statistics follow the shared rules of the numerics
// (variance about a shift clamped at 0, 1.0 below three cells; quartiles and percentiles answer the
// largest value where the position reaches n).
// Limits: counts 0..2147483647 each; names are Windows-1252 AnsiString cut to 50 bytes, labels to 10;
// case folding touches A-Z/a-z only. No thread safety; events run inside the calls, and every loop
// re-reads the counts after an event, so handlers may change the table (out-of-range moves are then
// skipped by the setters).
// Failure channel: EQeltaDataTableError (`Component "Name": text`) for exhausted memory and the
// refusals below; EQeltaMatrixError for the geometric/harmonic mean arguments and percentile memory;
// the writers answer "" or an error text, the readers a code (0 read; 250 a value, name or setup
// entry that cannot be read or data that ends early; 251 a row attribute that is not 0..255; 253..255
// from the ASC header) and leave the table unchanged when they fail. Out-of-range reads answer 0,
// "" or stUnknown; out-of-range writes are ignored.
//
// Index (sources)
//   Qelta_datatable.cpp          model: creation, cells, states, names, scales and labels, size
//   Qelta_datatable_ops.cpp      sorting, exchanging, mirroring, the long form, fingerprints, copying
//   Qelta_datatable_stats.cpp    statistics, standardising, mean-centring, filling
//   Qelta_datatable_covar.cpp    CalcCovar
//   Qelta_datatable_io.cpp       ASC and CSV files

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Clipbrd.h"
#include "Qelta_matrix.h"
#include "Qelta_qeltabase.h"
#include "Qelta_vector.h"
#include "Streams.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of the data table.
QELTA_DECLARE_EXCEPTION(EQeltaDataTableError, EQeltaError)

// [SECTION] types of the unit

/// Row or column name: Windows-1252 bytes, at most 50 (longer input is cut).
using TDTNameStr = AnsiString;
/// Nominal label: Windows-1252 bytes, at most 10 (longer input is cut).
using TNominalIDStr = AnsiString;

/// Measurement scale of a column (stored as one byte in files and fingerprints).
enum TMScaleType : uint8_t { stUnknown, stNominal, stOrdinal, stInterval, stRatio };
/// Display name of each TMScaleType.
inline constexpr std::array<const char16_t*, stRatio + 1> MScaleTypeNames = {u"Unknown", u"Nominal", u"Ordinal",
                                                                             u"Interval", u"Ratio"};

/// Field delimiter of the CSV files: ',', ':', ';', TAB; csvUnknown writes ',' and detects on reading.
enum TCSVDelimiters : uint8_t { csvComma, csvColon, csvSemicolon, csvTab, csvUnknown };

/// Size change of a table.
using TDataTableResizeEvent =
    std::function<void(TObject* Sender, int OldColumns, int OldRows, int NewColumns, int NewRows)>;

/// Scale type and the 25 nominal labels of a column; an empty label marks a free slot. The labels
/// are allocated only once one is set.
class TVTypeSpec {
 public:
  TVTypeSpec() = default;
  TVTypeSpec(const TVTypeSpec& other);
  TVTypeSpec& operator=(const TVTypeSpec& other);
  TVTypeSpec(TVTypeSpec&&) noexcept = default;
  TVTypeSpec& operator=(TVTypeSpec&&) noexcept = default;

  TMScaleType MScaleType = stInterval;
  /// Label Ix (1..25); "" for a free slot or an index outside.
  const TNominalIDStr& ID(int Ix) const;
  /// Stores label Ix (1..25), cut to 10 bytes; nothing for an index outside.
  void SetID(int Ix, const TNominalIDStr& Value);
  /// Every slot free.
  void ClearIDs() { FIDs.reset(); }
  /// False when every slot is free for certain (no label was set since the last ClearIDs).
  bool HasIDs() const { return FIDs != nullptr; }

 private:
  std::unique_ptr<std::array<TNominalIDStr, 25>> FIDs;
};

// Cell state bits (0 = an ordinary number); $04, $08, $10 are kept, copied and sorted but not used.
inline constexpr uint8_t csNotANumber = 0x01;  ///< skipped by every statistic
inline constexpr uint8_t csEmpty = 0x02;       ///< skipped like csNotANumber
inline constexpr uint8_t csImputed = 0x20;     ///< value filled in (still a number)
inline constexpr uint8_t csMarkA = 0x40;       ///< first marker
inline constexpr uint8_t csMarkB = 0x80;       ///< second marker

// [SECTION] the table

namespace num_detail {
/// What an ASC or CSV file holds (Qelta_datatable_io.cpp); not part of the public interface.
struct TDataTableImage;
}  // namespace num_detail

/// Table of Doubles with typed columns. Cells are addressed (column, row), both 1-based. Column c /
/// row r of the table is cell (c, r) of NumericData, which always has the table's dimensions.
class TDataTable : public TComponent {
 public:
  // --- creation ---
  /// A 1 x 1 table: value 0, state 0, names C-1 and R-1, attributes 0, scale stInterval, no labels,
  /// comment empty; its own zero matrix, hooked. EQeltaDataTableError "... failed to initialize (out
  /// of memory)".
  explicit TDataTable(TComponent* AOwner);
  /// Frees the own matrix; a borrowed one is only unhooked (its OnChange and OnSortExchange cleared).
  ~TDataTable() override;

  /// The values (public field): the own matrix or the one given to AssignAnotherDataMatrix. Use its
  /// operations freely; the hooks keep the table in step (a size change from outside resizes the
  /// table's arrays and fires OnResize).
  TMatrix* NumericData = nullptr;

  // --- size ---
  int NrOfColumns() const { return FNrOfCols; }
  int NrOfRows() const { return FNrOfRows; }
  /// Resize(Nc, NrOfRows).
  void SetNrCols(int Nc);
  /// Resize(NrOfColumns, Nr).
  void SetNrRows(int Nr);
  /// New counts (negative ones become 0) keeping the overlapping cells, states, names and headers;
  /// new columns get "C-n", stInterval, no labels; new rows "R-n"; attributes and states 0. Equal
  /// counts do nothing. Then OnResize(old, new) and no other event. On failure (EQeltaDataTableError
  /// or EQeltaMatrixError "... not enough memory on heap") nothing has changed.
  void Resize(int NrCols, int NrRows);
  /// An empty row at ix (1..NrOfRows + 1, else nothing): SetNrRows(+1) (OnResize), then the rows from
  /// ix on move down through the public setters (their events fire; nominal values arrive rounded),
  /// row ix gets attribute 0, an empty name, values and states 0; OnChangeSetup last.
  void InsertRow(int ix);
  /// The same across columns; scale types and labels move too, the new column is stInterval.
  void InsertColumn(int ix);
  /// Removes row ix (1..NrOfRows, never the last row) by moving the later rows up through the setters
  /// with the matrix hook detached (one OnChange per value), then SetNrRows(-1) and OnChangeSetup.
  void RemoveRow(int ix);
  /// The same across columns; labels move only from nominal or ordinal columns.
  void RemoveColumn(int ix);
  /// Keeps the size; default names, states and attributes 0, stInterval without labels, comment
  /// empty, values 0 (OnChange through the hook); then OnChangeNames, OnChangeAttrib,
  /// OnChangeCellState, OnChangeSetup.
  void Clear();

  // --- values ---
  /// Cell value; 0 outside; in nominal and ordinal columns rounded to an integer (halves to even).
  double GetElem(int Col, int Row) const;
  /// Stores through NumericData.SetVal, then fires OnChange (so twice while the hook is attached);
  /// ignored outside.
  void SetElem(int Col, int Row, double Value);
  /// Label of the cell's rounded ordinal k in a nominal or ordinal column (k outside 1..25: k as
  /// decimal text); "" outside or for other columns.
  TNominalIDStr GetElemNominal(int Col, int Row) const;
  /// The cell takes the ordinal of ID (found ignoring case, else stored in the first free slot) and
  /// OnChange fires as for SetElem. An empty ID or a cell outside changes nothing.
  /// EQeltaDataTableError "... number of available nominal values exceeded" when no slot is free.
  void SetElemNominal(int Col, int Row, const TNominalIDStr& ID);
  /// The hook on NumericData.OnChange: fires OnChange (after resizing the arrays when the matrix was
  /// resized from outside).
  void DataHasChanged(TObject* Sender);

  // --- cell states ---
  /// State byte; 0 outside.
  uint8_t GetCellState(int Col, int Row) const;
  /// Stores the byte; OnChangeCellState only when it changed. Ignored outside.
  void SetCellState(int Col, int Row, uint8_t State);
  bool GetIsEmpty(int Col, int Row) const { return (GetCellState(Col, Row) & csEmpty) != 0; }
  bool GetIsImputed(int Col, int Row) const { return (GetCellState(Col, Row) & csImputed) != 0; }
  /// Neither csNotANumber nor csEmpty set (false outside).
  bool GetIsNumber(int Col, int Row) const;
  /// Sets or clears csEmpty through SetCellState, then fires OnChange (also outside the table).
  void SetIsEmpty(int Col, int Row, bool Value);
  /// Sets or clears csImputed likewise.
  void SetIsImputed(int Col, int Row, bool Value);
  /// Every state := CellState; OnChangeCellState.
  void SetAllCellStates(uint8_t CellState);
  /// Clears csMarkA and csMarkB everywhere; OnChangeCellState.
  void UnmarkAllCells();
  /// Every state XOR StateMask; OnChangeCellState.
  void InvertCellStates(uint8_t StateMask);
  /// Swaps csMarkA and csMarkB in every state; OnChangeCellState.
  void ExchangeMarkings();
  /// Every state of the block LowCol..HighCol x LowRow..HighRow (the part inside the table)
  /// becomes (state AND AndMask) XOR XorMask: set bits with AndMask = NOT bits and XorMask = bits,
  /// clear them with XorMask = 0, toggle them with AndMask = $FF. OnChangeCellState once when a
  /// state changed, which the answer tells.
  bool MaskCellStates(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t AndMask, uint8_t XorMask);
  /// True when (OR of the row's states) AND CellState is not 0; false outside.
  bool IfRowHasCellState(int Row, uint8_t CellState) const;
  bool IfColHasCellState(int Col, uint8_t CellState) const;
  /// Cells of the row (column) whose state AND StateMask is not 0; 0 outside.
  int CountMarkedCellsInRow(int Row, uint8_t StateMask) const;
  int CountMarkedCellsInColumn(int Col, uint8_t StateMask) const;

  // --- names, attributes, comment ---
  /// Name; "" outside.
  TDTNameStr GetColName(int Ix) const;
  TDTNameStr GetRowName(int Ix) const;
  /// Stores the name cut to 50 bytes and fires OnChangeNames; ignored outside.
  void SetColName(int Ix, const TDTNameStr& Name);
  void SetRowName(int Ix, const TDTNameStr& Name);
  /// Attribute byte; 0 outside.
  uint8_t GetColAttrib(int Ix) const;
  uint8_t GetRowAttrib(int Ix) const;
  /// Stores the byte and fires OnChangeAttrib; ignored outside.
  void SetColAttrib(int Ix, uint8_t Value);
  void SetRowAttrib(int Ix, uint8_t Value);
  const String& Comment() const { return FComment; }
  /// Stores the text without its control characters; OnChangeSetup.
  void SetFComment(const String& Value);
  /// First column (row) whose name equals ColID, both cut to 50 bytes, stripped of leading and
  /// trailing blanks and upper-cased (a-z); 0 when none.
  int FindColIndex(const TDTNameStr& ColID) const;
  int FindRowIndex(const TDTNameStr& RowID) const;
  /// (0, 0) is 1..NrOfColumns; otherwise each bound clamped to 1..NrOfColumns, then ordered.
  void MakeValidColRange(int& Low, int& High) const;
  void MakeValidRowRange(int& Low, int& High) const;

  // --- scale types and nominal labels ---
  /// Scale of the column; stUnknown outside.
  TMScaleType GetMScaleType(int Col) const;
  /// Stores the scale (labels unchanged) and fires OnChangeSetup; ignored outside or for a value
  /// above stRatio.
  void SetMScaleType(int Col, TMScaleType Value);
  /// Label Ix (1..25) of a nominal or ordinal column; "" otherwise.
  TNominalIDStr GetNominalID(int Col, int Ix) const;
  /// Col in the table and Ix in 1..25: a non-empty ID (cut to 10) is stored in a nominal or ordinal
  /// column, an empty ID frees the slot in any column; OnChangeSetup (also when nothing was stored).
  void SetNominalID(int Col, int Ix, const TNominalIDStr& ID);
  /// Frees all 25 slots; OnChangeSetup. Ignored outside.
  void ClearNominalIDs(int Col);
  /// Index 1..25 of the first label equal to ID (cut to 10; A-Z folded when IgnoreCase, else byte
  /// for byte); 0 for an empty ID, a column outside or neither nominal nor ordinal, or no match.
  int OrdinalOfNominalID(int Col, const TNominalIDStr& ID, bool IgnoreCase) const;
  /// Index of the label (OrdinalOfNominalID ignoring case), else stores it (cut to 10) in the first
  /// free slot, makes the column stNominal, fires OnChangeSetup and answers the slot. 0 (nothing
  /// changed) outside, for an empty label or when all 25 slots hold labels.
  int AddNominalID(int Col, const TNominalIDStr& MScaleID);
  /// Numbers of the nominal and ordinal columns, ascending.
  TIntArray ListOfCategorialVars() const;

  // --- sorting (Qelta_datatable_ops.cpp) ---
  // Ranges as MakeValidColRange / MakeValidRowRange. IncludeHeaders (kept as FSortIncludeHd, which
  // also governs later sorts of NumericData itself) moves names, attributes and scale records along.
  /// Rows LowRow..HighRow by the values of column SortColIx (NumericData's comb sort); each exchange
  /// moves the states of columns LowCol..HighCol and of the key column and fires OnSortExchange(2,
  /// i, j, LowCol, HighCol); with IncludeHeaders then OnChangeNames and OnChangeAttrib.
  void SortRows(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, bool IncludeHeaders);
  /// Columns LowCol..HighCol by the values of row SortRowIx; exchange code 1 with LowRow, HighRow.
  void SortCols(int SortRowIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, bool IncludeHeaders);
  /// Comb sort of rows LowRow..HighRow by their names (unsigned bytes; IgnoreCase folds A-Z); an
  /// exchange moves names, attributes and the values and states of columns LowCol..HighCol, then
  /// fires OnSortExchange(2, i, j, LowCol, HighCol). At the end OnChange and OnChangeNames.
  void SortRowNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortRowNames(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
    SortRowNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
  }
  /// Mirror image over columns (scale records move too); OnSortExchange(1, i, j, LowRow, HighRow).
  void SortColNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortColNames(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
    SortColNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
  }
  /// As the name sorts, by the attribute bytes; at the end OnChange and OnChangeAttrib.
  void SortRowAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  void SortColAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  /// The hook on NumericData.OnSortExchange: moves states (and with FSortIncludeHd the headers) of
  /// the two rows (ExchgWhat 2) or columns (1), then fires OnSortExchange with the table as Sender.
  void ExchangeDuringSort(TObject* Sender, uint8_t ExchgWhat, int index1, int index2, int first, int last);

  // --- rearranging ---
  /// Swaps two columns with values, names, attributes, scale records and states (setters fire their
  /// events), then OnChange, OnChangeCellState, OnChangeAttrib, OnChangeNames, OnChangeSetup. An
  /// index outside the table does nothing.
  void ExchangeColumns(int c1, int c2);
  /// The same for rows (no scale records).
  void ExchangeRows(int r1, int r2);
  /// Reverses the column (row) order by ExchangeColumns (ExchangeRows), then the five events once more.
  void MirrorColumns();
  void MirrorRows();
  /// The long form: one value column "(data)" of m x n rows (scale: FindHighestMLevel), with
  /// ColHeadsAsVar a first column "(column)" holding the source column's number (labels "c:name" for
  /// the first 25, its states 0); row names and attributes of the source rows. OnChange is held back
  /// and fires once at the end; the other setters fire theirs. EQeltaDataTableError "... not enough
  /// memory on heap" when m x n exceeds the row range.
  void Serialize(bool ColHeadsAsVar);

  // --- fingerprints ---
  /// Eight CRC-32 registers (CalcNextCRC32 from $FFFFFFFF): byte position p of the comment (low 8
  /// bits of each character), each column name, the column attributes, each row name, the row
  /// attributes, the scale types and each label feeds register p mod 8; 64 hex digits, register 0 first.
  String CRCofNamesAndAttributes() const;
  /// The same registers over the states, column by column, row p feeding register p mod 8.
  String CRCofCellStates() const;

  // --- copying ---
  /// This table becomes a copy of ExtTab (size, comment, names, attributes, scales, labels, values
  /// through GetElem, states). OnChange, OnChangeSetup, OnChangeNames, OnChangeAttrib are held back;
  /// at the end OnChange, OnChangeCellState, OnChangeSetup, OnChangeNames, OnChangeAttrib, then
  /// OnResize(old, new) even when the size stayed. nil or the table itself: nothing.
  void CopyContentsFrom(const TDataTable* ExtTab);
  /// Copies the states of a table of the same size (OnChangeCellState once, true); false otherwise.
  bool CopyCellStatesFrom(const TDataTable* ExtTab);
  /// Works on NewDMat (owned by the caller) from now on: the table's arrays take its size (OnResize
  /// when it changes), the own matrix is freed or the previously borrowed one unhooked (never
  /// resized), NewDMat is hooked, every column becomes stInterval; OnResize(old, new), then OnChange,
  /// OnChangeSetup, OnChangeNames, OnChangeAttrib, OnChangeCellState. nil or the matrix in use: nothing.
  /// When the borrowed matrix is destroyed the table takes an own zero matrix of its size.
  void AssignAnotherDataMatrix(TMatrix* NewDMat);

  // --- ASC and CSV files (Qelta_datatable_io.cpp; formats in the README) ---
  /// Writes the ASC file: header, quoted column names, per row attribute, quoted name and values by
  /// strff(v, 1, Precision), then the setup block (scales, labels, non-zero states). "" on success,
  /// else the error text (for a failed save: Cannot write file "<FName>". <the system's reason>, the
  /// old file kept).
  String ExportAsASC(const String& FName, int Precision) const;
  String ExportAsASC(TStream& OutStream, int Precision) const;
  /// Writes a CSV file (RFC 4180 quoting, CR LF): optional "#" comment line, optional header record,
  /// optional row names and attributes, values by strff, empty cells as empty fields, not-a-number
  /// cells as "NaN". "" on success, else the error text, as ExportAsASC's.
  String ExportAsCSV(const String& FName, int Precision, TCSVDelimiters Delimiter, bool IncludeColHeaders,
                     bool IncludeRowHeaders, bool IncludeRowAttributes = false, bool IncludeComment = false) const;
  /// Replaces the table by a CSV file's records (csvUnknown detects the delimiter); empty fields give
  /// csEmpty, "NaN" csNotANumber, a header field "(attribute)" marks a column of row attributes.
  /// Codes 0, 250, 251; EFOpenError when the file cannot be opened.
  int ImportFromCSV(const String& FName, TCSVDelimiters Delimiter, bool IncludeColHeaders, bool IncludeRowHeaders);
  /// Replaces the table by an ASC file (any file with the ASC header). Codes 0, 250, 251, 253..255;
  /// EFOpenError when the file cannot be opened. The stream form reads from the position and leaves
  /// the stream behind the last item read; the clipboard form reads its text (none: code 255).
  int ImportASC(const String& FName);
  int ImportASC(TStream& InStream);
  int ImportASC(const TClipboard* ClipBd);
  /// Puts the file's block at (PosX, PosY) (below 1: 1), growing the table: values and states of the
  /// covered cells; with ReplaceIDs also the file's names, attributes, scales and labels of the
  /// covered rows and columns. Codes as ImportASC.
  int ReadFromASC(const String& FName, int PosX, int PosY, bool ReplaceIDs);
  int ReadFromASC(TStream& InStream, int PosX, int PosY, bool ReplaceIDs);
  int ReadFromASC(const TClipboard* ClipBd, int PosX, int PosY, bool ReplaceIDs);

  // --- statistics (Qelta_datatable_stats.cpp) ---
  // Ranges (LowCol, LowRow, HighCol, HighRow) as MakeValidColRange / MakeValidRowRange. A number
  // cell has neither csNotANumber nor csEmpty; a numeric cell is a number cell of an stInterval or
  // stRatio column; a marked cell (mask CellState) a numeric cell whose state AND CellState AND $FC
  // is not 0. Values as stored unless said otherwise. No event fires.
  int CountNumCells(int LowCol, int LowRow, int HighCol, int HighRow) const;
  /// Number cells of any column.
  int CountValidCells(int LowCol, int LowRow, int HighCol, int HighRow) const;
  /// Cells with csEmpty (any column) / with csImputed.
  int CountEmptyCells(int LowCol, int LowRow, int HighCol, int HighRow) const;
  int CountImputedCells(int LowCol, int LowRow, int HighCol, int HighRow) const;
  /// Sum of the numeric (marked) cells; NumData their number.
  double SumOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, int& NumData) const;
  double SumOfMarkedCells(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t CellState, int& NumData) const;
  /// Count n; Mean (0 for n = 0) and the variance about it (1.0 for n < 3, never below 0).
  int MeanVarOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Mean, double& Variance) const;
  int MeanVarOfMarkedCells(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t CellState, double& Mean,
                           double& Variance) const;
  /// Count; extremes seeded from the first used cell (NaN values passed over); no usable cell:
  /// 1.7e38 and -1.7e38.
  int MinMaxOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Minimum, double& Maximum) const;
  /// The same over the number cells of any column whose state AND CellState AND $FC is not 0.
  int MinMaxOfMarkedCells(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t CellState, double& Minimum,
                          double& Maximum) const;
  /// The same over the number cells of every column, nominal and ordinal values rounded.
  int MinMaxOfValidCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Minimum, double& Maximum) const;
  /// exp(mean of ln v) of the numeric cells; 0 with a zero value or without values; NumData the
  /// number of positive values. EQeltaMatrixError "... negative argument passed to GeometricMean".
  double GeometricMeanOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, int& NumData) const;
  /// n / (sum of 1/v); 0 without values; NumData n. EQeltaMatrixError "... negative or zero argument
  /// passed to HarmonicMean".
  double HarmonicMeanOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, int& NumData) const;
  /// Quartiles of the numeric cells at positions (n + 1) p (the largest value where a position reaches
  /// n; zeros for n = 0); always true. EQeltaDataTableError "... not enough memory on heap".
  bool QuartilesOfNumCells(int LowCol, int LowRow, int HighCol, int HighRow, double& Q1, double& Q2, double& Q3,
                           int& NumData) const;
  /// Percentile prob (percent, clamped to 0..100) of the numeric (marked) cells: 0 for none, the
  /// largest for 100. EQeltaMatrixError "... not enough memory on heap".
  double PercentileOfNumCells(double prob, int LowCol, int LowRow, int HighCol, int HighRow, int& NumData) const;
  double PercentileOfMarkedCells(double prob, int LowCol, int LowRow, int HighCol, int HighRow, uint8_t CellState,
                                 int& NumData) const;
  /// Highest scale type of the columns, starting from stNominal (never stUnknown).
  TMScaleType FindHighestMLevel(int FirstCol, int LastCol) const;
  /// Lowest scale type of the columns, starting from stRatio.
  TMScaleType FindLowestMLevel(int FirstCol, int LastCol) const;
  /// Number of distinct attribute values among the rows (columns).
  int RowAttribLevels() const;
  int ColAttribLevels() const;
  /// v1 := row 1's value, v2 := the first differing one; true when every value of the column is v1 or
  /// v2. False (v1 = v2 = 0 first) with fewer than 2 rows, a column outside or no second value.
  bool CheckDichotomousColumn(int col, double& v1, double& v2) const;
  /// Every cell whose state AND StateMask is not 0 := Value through NumericData.SetVal; the count;
  /// OnChange when above 0.
  int FillMarkedCells(double Value, uint8_t StateMask);
  /// Each stInterval/stRatio column: MeanVarOfNumCells; with a variance above 0 its numeric cells
  /// become (v - mean) / sd; Means / StdDevs (nil allowed) get mean and sd at the column's index.
  /// OnChange at the end when a column was transformed.
  void StandardizeNumCellColumns(TVector* Means, TVector* StdDevs);
  /// Per row over the numeric cells; every number cell of the row is transformed; OnChange.
  /// EQeltaDataTableError "standardization of rows is not possible with nominal or ordinal variables".
  void StandardizeNumCellRows(TVector* Means, TVector* StdDevs);
  /// Each stInterval/stRatio column: numeric cells become v - mean; OnChange when a column was done.
  void MeanCenterNumCellColumns(TVector* Means);
  /// Per row; EQeltaDataTableError "mean centering of rows is not possible with nominal or ordinal
  /// variables".
  void MeanCenterNumCellRows(TVector* Means);
  /// Entries e(i, j), i, j = 1..n = HiC - LoC + 1, over the rows LoR..HiR where both cells of columns
  /// LoC + i - 1 and LoC + j - 1 are number cells (pairwise deletion; bounds not clamped, cells
  /// outside the table count as non-numbers; values by GetElem), written to (i, j) and (j, i) of
  /// CovarMat. Mode 0 sum x y / (m - 1); 1 covariance about the column means; 2 Pearson correlation
  /// about the column means, within -1..1 (0 for m <= 2 or a constant side; diagonal 1); 3 its square;
  /// 4 sum (x - y)^2 / (m - 1); other 0. Modes 0, 1, 4 give 0 for m <= 1. Clears AbortMathProc; a
  /// ProcStat step per column (modes > 0) and per result row, polling AbortMathProc before each row.
  /// False (nothing written) for a nil or too small CovarMat, false after an abort (rows so far
  /// written). EQeltaDataTableError "... not enough memory on heap".
  bool CalcCovar(TMatrix* CovarMat, int LoC, int HiC, int LoR, int HiR, int Mode);

  /// The default name of column or row n: Prefix ('C' or 'R'), '-' and n ("C-12").
  static TDTNameStr DefaultName(char Prefix, int n);

  // --- event firing ---
  void ChangedData();
  void ChangedSetup();
  void ChangedNames();
  void ChangedAttrib();
  void ChangedCellStates();

  // --- events ---
  TNotifyEvent OnChange;           ///< values changed
  TNotifyEvent OnChangeSetup;      ///< scales, labels, comment, inserted or removed rows and columns
  TNotifyEvent OnChangeNames;
  TNotifyEvent OnChangeCellState;
  TNotifyEvent OnChangeAttrib;
  TDataTableResizeEvent OnResize;
  TSortExchgEvent OnSortExchange;

 protected:
  /// Falls back to an own zero matrix when the borrowed one is destroyed.
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TDataHook;
  struct TSortHook;
  using TImage = num_detail::TDataTableImage;

  // size (Qelta_datatable.cpp)
  /// Sizes the arrays to nc x nr, keeping the overlap, and calls alsoMatrix (when given) before the
  /// kept entries move; may raise, then nothing changed.
  void ResizeArrays(int nc, int nr, const std::function<void()>& alsoMatrix);
  /// Resize without OnResize.
  void ResizeSilently(int nc, int nr);
  /// NumericData.Resize with the hook detached (attached again also when it fails).
  void ResizeMatrixUnheard(int nc, int nr);
  void AttachHook();
  void DetachHook();
  /// Hooks NumericData's OnChange and OnSortExchange to the table.
  void HookMatrix();
  bool HookAttached() const;
  /// True when writing a cell straight into NumericData's storage is indistinguishable from its
  /// SetVal: no matrix handler, or the table's hook with no OnChange handler.
  bool MatrixWritesUnseen() const;
  /// NumericData.SetVal, or a store straight into the storage when nobody would see its event.
  void WriteCell(int c, int r, double v);
  /// Row `to` takes attribute, name, values and states of row `from` through the setters.
  void MoveRow(int to, int from);
  /// Row ix gets attribute 0, an empty name, values and states 0 through the setters.
  void EmptyRow(int ix);
  /// Column `to` takes attribute, name, scale, labels (all 25 as GetNominalID reads them, or only
  /// from a nominal or ordinal column) and values and states of column `from` through the setters.
  void MoveColumn(int to, int from, bool labelsAlways);
  void EmptyColumn(int ix);
  bool ColInside(int c) const { return c >= 1 && c <= FNrOfCols; }
  bool RowInside(int r) const { return r >= 1 && r <= FNrOfRows; }
  bool Inside(int c, int r) const { return ColInside(c) && RowInside(r); }
  bool Categorial(int c) const;
  void UseOwnMatrix(int nc, int nr);
  /// The states of column c (1..NrOfColumns): NrOfRows bytes, row r at [r - 1].
  uint8_t* StatesOf(int c) { return FCState.data() + ColumnStart(c); }
  const uint8_t* StatesOf(int c) const { return FCState.data() + ColumnStart(c); }
  std::size_t ColumnStart(int c) const { return static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(FNrOfRows); }

  // sorting (Qelta_datatable_ops.cpp)
  /// Runs a sort of NumericData with the key (row or column by keyWhat) whose states move along.
  void SortByMatrix(uint8_t keyWhat, int key, bool IncludeHeaders, const std::function<void()>& sort);
  /// The table's comb sort of rows (columns) by less on the positions; exchanges move everything of
  /// the two rows (columns) in the range and fire OnSortExchange.
  template <typename Less>
  void CombSortRows(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, Less less);
  template <typename Less>
  void CombSortCols(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, Less less);
  /// True when no handler can see a sort's single exchanges (no OnSortExchange, matrix writes unseen,
  /// arrays in step; for a sort of NumericData also its exchange hook ours): the sort then runs on a
  /// permutation and moves every row or column once, with the same result.
  bool ExchangesUnobserved(bool matrixSort) const;
  /// ExchangesUnobserved but for OnSortExchange: only the handler can tell the exchanges apart.
  bool ContentsUnobserved(bool matrixSort) const;
  /// The comb sort over positions lo..hi by outOfOrder on the items (original positions): the items
  /// in their final order. report(a, b), when given, follows every exchange of positions a and b;
  /// when it answers false the sort ends and the result is empty (nothing to move).
  static std::vector<int> CombPermutation(int lo, int hi, const std::function<bool(int, int)>& outOfOrder,
                                          const std::function<bool(int, int)>& report = nullptr);
  /// SortRows on a permutation while OnSortExchange hears every exchange in turn; the rows move once
  /// at the end (the sort ends without moving anything when a handler reshapes the table).
  void SortRowsReported(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  /// Rows lo.. take the rows perm lists: values and states of columns lc..hc and extraCol (0: none),
  /// with headers also names and attributes.
  void PermuteRows(const std::vector<int>& perm, int lo, int lc, int hc, int extraCol, bool headers);
  /// Columns lo.. take the columns perm lists: rows lr..hr and extraRow, with headers also names,
  /// attributes and scale records.
  void PermuteCols(const std::vector<int>& perm, int lo, int lr, int hr, int extraRow, bool headers);
  /// OnChange, OnChangeCellState, OnChangeAttrib, OnChangeNames, OnChangeSetup: the end of the
  /// exchanges and mirrors.
  void ChangedAfterRearranging();
  void SwapRowsWhole(int a, int b, int lc, int hc);
  void SwapColsWhole(int a, int b, int lr, int hr);

  // statistics (Qelta_datatable_stats.cpp)
  struct TSelect;
  /// The selection of marked cells of numeric columns.
  static TSelect Marked(uint8_t CellState);
  /// Feeds the values of the cells of a range that sel takes to acc.Run, column by column in runs.
  template <typename Acc>
  void VisitCells(const TSelect& sel, int lc, int lr, int hc, int hr, Acc& acc) const;
  int64_t CountCells(const TSelect& sel, int lc, int lr, int hc, int hr) const;
  int MeanVarOf(const TSelect& sel, int lc, int lr, int hc, int hr, double& Mean, double& Variance) const;
  double PercentileOf(const TSelect& sel, double prob, int lc, int lr, int hc, int hr, int& NumData) const;
  void TransformColumns(bool scale, TVector* Means, TVector* StdDevs);
  void TransformRows(bool scale, TVector* Means, TVector* StdDevs, const char16_t* refusal);
  int UsableCols() const;
  int UsableRows() const;

  // files (Qelta_datatable_io.cpp)
  void WriteAscTo(TStream& stream, const String& FileName, int Precision) const;
  /// Reads an ASC image; whole: it replaces the table, else it is placed at (PosX, PosY).
  int ReadAsc(TStream& in, bool whole, int PosX, int PosY, bool ReplaceIDs);
  /// The table becomes the image, taking over its arrays (img is left empty); OnResize when the
  /// size changed, then the five change events. On failure nothing has changed.
  void TakeImage(TImage& img);
  /// TakeImage's part that needs no memory: the image's arrays swapped in, the defaults of the
  /// others made in the room reserved for them, the values copied into the resized matrix.
  void AdoptImage(TImage& img);
  void PlaceImage(const TImage& img, int PosX, int PosY, bool ReplaceIDs);
  /// Values (and states) of the image into the cells from (PosX, PosY), straight into the storage.
  void PlaceCells(const TImage& img, int PosX, int PosY, bool states);

  String FComment;
  std::vector<uint8_t> FRowAtt;
  std::vector<uint8_t> FColAtt;
  std::vector<TVTypeSpec> FVType;
  std::vector<uint8_t> FCState;  ///< column-major: column c from (c - 1) x NrOfRows, like the values
  std::vector<TDTNameStr> FColName;
  std::vector<TDTNameStr> FRowName;
  int FNrOfCols = 1;
  int FNrOfRows = 1;
  bool FSortIncludeHd = false;
  bool FExtMatAssigned = false;
  uint8_t FSortKeyWhat = 0;  ///< during the table's SortRows (2) / SortCols (1): the key's kind
  int FSortKey = 0;          ///< and its index, whose states move even outside the sorted range
  std::unique_ptr<TMatrix> FOwnData;
};

}  // namespace qelta

QELTA_PUBLIC_END
