#pragma once
// Qelta_matrix: the containers of the numerics: TMatrix (doubles) and TIntMatrix (32-bit integers,
// dense or sparse) with their statistics, and the arrays of three and four dimensions TMat3D and
// TMat4D (the latter with its binary file).
//
// What: cells addressed (column, row), both 1-based, the column always first; resizing, element
// access, filling and copying with the system's range rules, rearranging, comb sorts that report
// every exchange, searches and summaries, a data fingerprint, and the files of both classes (XML
// element, text, binary stream, TMatrix binary file, TIntMatrix sparse file).
// How: dense cells are one column-major block (a column is contiguous); the allocated block is at
// least 1 x 1, so a dimension may be reported as 0 while one column or row stays allocated (its
// cells are 0). The sparse TIntMatrix keeps (column, row, value) triples sorted by column, then
// row, in an array that grows by AllocBy triples: reads are binary searches (O(log n)), inserts
// move the triples above the insertion point (O(n)). Bulk operations work on the storage directly.
// Fingerprints run one CRC-32 register per byte of the cell (Qelta_dstruct's CalcNextCRC32).
// Limits: dimensions up to 2147483647 each; the block must fit the address space (checked in 64
// bits). Integer arithmetic wraps at 32 bits. No thread safety.
// Failure channel: EQeltaMatrixError (`Component "Name": text`) for exhausted memory and refused
// calls; the file routines answer false instead of raising; out-of-range reads answer 0 and
// writes are ignored. Linear algebra and statistics are further parts of this unit.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <new>
#include <vector>

#include "Classes.h"
#include "Qelta_matnd_internal.h"
#include "Qelta_qeltabase.h"
#include "Qelta_vector.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of the matrices.
QELTA_DECLARE_EXCEPTION(EQeltaMatrixError, EQeltaError)

/// Tags of the matrix XML element (shared by the matrix classes of this unit).
enum TMatXmlTag : uint8_t {
  xmlMatNumCols,
  xmlMatNumRows,
  xmlMatNumLayers,
  xmlMatNumTimeSlots,
  xmlMatCell,
  xmlMatBegin,
  xmlMatEnd,
  xmlInvalid
};
/// Text form of each TMatXmlTag in files.
inline constexpr std::array<const char16_t*, xmlInvalid + 1> xmlMatTagNames = {
    u"numcols", u"numrows", u"numlayers", u"numtimeslots", u"cells", u"matrix", u"/matrix", u"invalidtag"};

/// User-defined distance between two rows of a data matrix (the handler sets Distance).
using TOnCalcDistanceEvent = std::function<void(TObject* Sender, int Row1, int Row2, double& Distance)>;

// --- linear algebra and distance matrices (Qelta_matrix_linalg.cpp, Qelta_matrix_dist.cpp) ---

/// Matrix norms of TMatrix::Norm.
enum TNormType : uint8_t { ntColwise, ntRowwise, ntSpectral, ntFrobenius };
/// Distances between the rows of a data matrix (TMatrix::CalcDistMat); Jaccard and Dice are
/// similarity coefficients (1 for identical rows).
enum TDistMode : uint8_t { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
/// Display name of each TDistMode.
inline constexpr std::array<const char16_t*, dmUserDef + 1> DistModeId = {
    u"Jaccard coefficient", u"Manhattan", u"Euclidean", u"squared Euclidean", u"Dice coefficient", u"user defined"};

namespace num_detail {
/// Block access of the linear algebra to the cells of a TMatrix (Qelta_linalg_internal.h).
struct TMatrixAccess;
}  // namespace num_detail

/// One triple of a sparse TIntMatrix.
struct TSpMatElemInt {
  int32_t colidx = 0;
  int32_t rowidx = 0;
  int32_t value = 0;
};

class TMatrix;
class TIntMatrix;
class TTagReader;

namespace num_detail {

// Not part of the public interface: the storage and the reader and writer hooks the shared body
// below names (their definitions are internal to the library).

/// cols * rows when a block of that many elemSize-byte cells fits the address space, else -1.
int64_t CheckedCells(int64_t cols, int64_t rows, std::size_t elemSize);

/// Cells of a dense matrix: max(cols, 1) x max(rows, 1) allocated, column c contiguous.
template <typename T>
class TDenseStore {
 public:
  int Cols() const { return FCols; }
  int Rows() const { return FRows; }
  T* Col(int c) { return FData.data() + static_cast<int64_t>(c - 1) * FRows; }
  const T* Col(int c) const { return FData.data() + static_cast<int64_t>(c - 1) * FRows; }
  T& At(int c, int r) { return Col(c)[r - 1]; }
  T At(int c, int r) const { return Col(c)[r - 1]; }
  T* Data() { return FData.data(); }
  const T* Data() const { return FData.data(); }

  /// Takes the shape max(nc, 1) x max(nr, 1), keeping the overlapping cells (new cells 0); raises
  /// std::bad_alloc when the block does not fit, leaving the store as it was.
  void Reshape(int nc, int nr) {
    nc = std::max(nc, 1);
    nr = std::max(nr, 1);
    if (nc == FCols && nr == FRows) return;
    const int64_t cells = CheckedCells(nc, nr, sizeof(T));
    if (cells < 0) throw std::bad_alloc();
    std::vector<T> next(static_cast<std::size_t>(cells), T{});
    const int keepRows = std::min(nr, FRows);
    for (int c = 1; c <= std::min(nc, FCols); ++c)
      std::copy_n(Col(c), keepRows, next.data() + static_cast<int64_t>(c - 1) * nr);
    FData.swap(next);
    FCols = nc;
    FRows = nr;
  }
  /// Every allocated cell := 0.
  void Zero() { std::fill(FData.begin(), FData.end(), T{}); }
  /// Rows become columns (the allocated shape turns as well).
  void Transpose() {
    if (FCols > 1 && FRows > 1) {
      std::vector<T> next(FData.size());
      for (int c = 1; c <= FCols; ++c) {
        const T* src = Col(c);
        for (int r = 0; r < FRows; ++r) next[static_cast<std::size_t>(r) * FCols + (c - 1)] = src[r];
      }
      FData.swap(next);
    }
    std::swap(FCols, FRows);
  }
  /// Adopts cells (cols x rows, column-major; cols, rows >= 1).
  void Adopt(std::vector<T>&& cells, int cols, int rows) {
    FData = std::move(cells);
    FCols = cols;
    FRows = rows;
  }
  /// Releases the block (the store then holds one cell).
  void Release() { Adopt(std::vector<T>(1), 1, 1); }

 private:
  std::vector<T> FData = std::vector<T>(1);
  int FCols = 1;
  int FRows = 1;
};

class TLineSink;
template <typename T>
struct TXmlMatrix;
template <typename T>
struct TMatrixPort;

/// Shared body of TMatrix (T = double, V = TVector) and TIntMatrix (T = int32_t, V = TIntVector);
/// not part of the public interface: use the two classes. M is the matrix class itself. The
/// members here reach its own rules through it: GetVal, Resize, WriteXml and CellText (number
/// text of the files) always; PutCell, TakeXmlCells and RequireDense where M replaces the dense
/// defaults below by its own (the sparse TIntMatrix does).
template <typename M, typename T, typename V>
class TMatrixT : public TComponent {
 public:
  // --- size ---
  int NrOfColumns() const { return FNCol; }
  /// Resize(max(Nc, 0), NrOfRows).
  void SetNCols(int Nc);
  int NrOfRows() const { return FNRow; }
  /// Resize(NrOfColumns, max(Nr, 0)).
  void SetNRows(int Nr);
  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }

  // --- copying to vectors ---
  /// Row Row (clamped), columns FirstCol..LastCol (made valid, cut to the vector's size) into the
  /// vector's elements 1.. after filling it with 0; the vector's events fire, this matrix's none.
  void CopyRowToVec(V* DestVec, int Row, int FirstCol, int LastCol) const;
  /// The same down column Col.
  void CopyColToVec(V* DestVec, int Col, int FirstRow, int LastRow) const;

  // --- ranges ---
  /// (0, 0) is 1..NrOfColumns; otherwise each bound clamped to 1..NrOfColumns, then ordered.
  void MakeValidColRange(int& Low, int& High) const;
  void MakeValidRowRange(int& Low, int& High) const;

  // --- sorting (a sparse TIntMatrix raises EQeltaMatrixError "... SortRows needs a dense matrix") ---
  /// Comb sort of rows LowRow..HighRow by column SortColIx, moving columns LowCol..HighCol and the
  /// key column; each exchange fires OnSortExchange(2, i, i + gap, LowCol, HighCol); OnChange once.
  /// A key column outside the matrix or fewer than two rows: nothing.
  void SortRows(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);
  /// Mirror image of SortRows: columns by row SortRowIx, exchange code 1 with LowRow, HighRow.
  void SortCols(int SortRowIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow);

  // --- events ---
  /// Fires OnChange(this) when assigned.
  void Changed();
  /// Fires OnSortExchange(this, ExchgWhat, index1, index2, first, last) when assigned.
  void SortExchange(uint8_t ExchgWhat, int index1, int index2, int first, int last);

  // --- XML element (see Qelta_vecmat_shared.cpp for the layout) ---
  /// Writes the element to a text file open for writing; the platform's I/O errors pass.
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const;
  /// Writes the element to a stream, one byte per character; the stream's errors pass.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const;
  /// Creates the file with the declaration and the element; false on any file error.
  bool SaveAsXMLFile(const String& FName, const String& DataID) const;
  /// Reads the next element whose id equals DataID (ignoring case of A-Z; empty: any); takes its
  /// size, cells and id, fires OnChange once. False, matrix unchanged, when none is found or it is
  /// malformed (the reason in LastLoadError). The platform's I/O errors pass.
  bool ReadFromOpenXMLFile(TextFile& f, const String& DataID);
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);
  /// ReadFromOpenXMLFile on a file; false when it cannot be read.
  bool LoadFromXMLFile(const String& FName, const String& DataID);

  // --- text file (layout in Qelta_matrix_forms.cpp) ---
  /// Header line "LoC LoR HiC HiR", then one line per row with the cells of LoC..HiC separated by
  /// one blank (number text of the class). The range is made valid; an empty dimension is
  /// written as 1..0. False when the file cannot be created or written.
  bool StoreOnFile(int LoC, int LoR, int HiC, int HiR, const String& FileName) const;
  /// Reads the text form: AdjustMatrixSize resizes to (HiC, HiR) first; OnChange once. False, matrix
  /// unchanged, when the file cannot be read, its header is implausible, a row line does not hold
  /// exactly HiC - LoC + 1 numbers, a number is unreadable, lines follow the last row or the matrix
  /// is too small; the reason (naming the file and the line) is in LastLoadError.
  bool LoadFromFile(const String& FileName, bool AdjustMatrixSize);

  // --- binary stream ---
  /// LoC, LoR, HiC, HiR and the cells column by column, each in the class's image; a null
  /// OutStream gets a new TMemoryStream that the caller owns. False when the stream refused bytes.
  bool SaveToStream(TMemoryStream*& OutStream, int LoC, int LoR, int HiC, int HiR) const;
  bool SaveToStream(TStream& OutStream, int LoC, int LoR, int HiC, int HiR) const;
  /// Reads the stream form from the position; rules as LoadFromFile (nil stream: false): the whole
  /// block is read before the matrix changes.
  bool LoadFromStream(TStream* InStream, bool AdjustMatrixSize);
  /// Why the last load of this matrix (any of its file, stream and XML readers) answered false:
  /// the file, where it applies, and the reason; empty after a load that succeeded.
  const String& LastLoadError() const { return FLoadError; }

  // --- statistics over a sub-range (Qelta_matrix_stats.cpp) ---
  // Ranges as MakeValidColRange / MakeValidRowRange; cells visited column by column, rows inside.
  // An empty range (a dimension of 0) touches no storage: MeanVar gives mean 0 and variance 1.0,
  // Quartiles false with zeros, Percentile, skewness, kurtosis and the means 0. A sparse TIntMatrix
  // counts its unstored cells as zeros in MeanVar and the moments and answers 0.0 (Quartiles: false
  // with zeros) in GeometricMean, HarmonicMean, Percentile and Quartiles. No event fires.
  /// Mean and sample variance (centred sums about the mean); the variance is 1.0 below three cells.
  void MeanVar(int LowCol, int LowRow, int HighCol, int HighRow, double& Mean, double& Variance) const;
  /// Central moments over the sample standard deviation s: skewness and excess kurtosis.
  void SkewKurt(int LowCol, int LowRow, int HighCol, int HighRow, double& Skewness, double& Kurtosis) const;
  /// The bias-corrected sample skewness and excess kurtosis; 0 and 0 below four cells.
  void SkewKurtSample(int LowCol, int LowRow, int HighCol, int HighRow, double& Skewness, double& Kurtosis) const;
  /// Worker of the two above, also the number of cells: below two cells (or with s = 0) the raw sums
  /// of the third and fourth powers of the deviations stay as results.
  void SkewKurtIntern(int LowCol, int LowRow, int HighCol, int HighRow, double& Skewness, double& Kurtosis,
                      int64_t& count) const;
  /// exp(mean of ln x); 0 when a cell is 0. EQeltaMatrixError "... negative argument passed to
  /// GeometricMean" for a negative cell.
  double GeometricMean(int LowCol, int LowRow, int HighCol, int HighRow) const;
  /// n / (sum of 1/x). EQeltaMatrixError "... negative or zero argument passed to HarmonicMean".
  double HarmonicMean(int LowCol, int LowRow, int HighCol, int HighRow) const;
  /// Quartiles by the interpolation at (n + 1) * 0.25, 0.5, 0.75 of the sorted cells (a position at
  /// or beyond n answers the largest); one cell gives it thrice. EQeltaMatrixError "... not enough
  /// memory on heap".
  bool Quartiles(int LowCol, int LowRow, int HighCol, int HighRow, double& Q1, double& Q2, double& Q3) const;
  /// Percentile prob (percent, clamped to 0..100) by the same interpolation at prob (n + 1) / 100; 100
  /// answers the largest cell. EQeltaMatrixError "... not enough memory on heap".
  double Percentile(double prob, int LowCol, int LowRow, int HighCol, int HighRow) const;

  // --- events ---
  TNotifyEvent OnChange;
  TSortExchgEvent OnSortExchange;

 protected:
  /// Dense 1 x 1, cell 0; EQeltaMatrixError "... not enough memory on heap".
  explicit TMatrixT(TComponent* AOwner);
  M& Self() { return static_cast<M&>(*this); }
  const M& Self() const { return static_cast<const M&>(*this); }

  /// Sets the dimensions and the dense storage (allocation failures raise EQeltaMatrixError).
  void Reshape(int Nc, int Nr);
  /// Makes both ranges valid; true when they name at least one cell.
  bool ValidRange(int& LoC, int& LoR, int& HiC, int& HiR) const;
  /// Every cell of the dimensions := value (dense).
  void FillCells(T value);
  /// Dense Clone: resize to the source, cells through SetVal when OnChange is assigned (else
  /// copied directly), then OnChange.
  void CloneCells(const M& src);
  /// Turns the dense storage (allocation failures raise EQeltaMatrixError).
  void TransposeCells();
  /// One "cells" line per row with every cell of the dense storage, by M's number text.
  void WriteDenseXmlCells(TLineSink& out) const;

  // Hooks with the dense defaults (M may hide them with its own).
  /// Stores a cell without event (loaders).
  void PutCell(int c, int r, T v) { Mat.At(c, r) = v; }
  /// Takes the cells of an element that was read; false (nothing changed) when they do not fit.
  bool TakeXmlCells(const TXmlMatrix<T>& x);
  /// Raises EQeltaMatrixError for operations a form cannot serve; a dense matrix serves all.
  void RequireDense(const char16_t*) const {}

  int FNCol = 1;
  int FNRow = 1;
  String FDataID;
  TDenseStore<T> Mat;
  String FLoadError;

 private:
  bool ReadXml(TTagReader& in, const String& DataID);
  TMatrixPort<T> Port();
  /// Calls fn(visit, n, dense) with the sample visitor of a valid, non-empty range, its cell count
  /// and whether the cells are dense; false (fn not called) for an empty range.
  template <typename Fn>
  bool VisitRange(int LowCol, int LowRow, int HighCol, int HighRow, Fn&& fn) const;
};

}  // namespace num_detail

/// Matrix of doubles, dense, column-major. Resize fires OnChange even when the size stays.
/// Size, ranges, copies to vectors, sorting, events, the XML element and the text and stream
/// forms are the shared members of num_detail::TMatrixT (cells in the text form by the precision
/// settings, in the stream as 10-byte x87 extended images).
class TMatrix : public num_detail::TMatrixT<TMatrix, double, TVector> {
 public:
  // --- construction and size ---
  /// 1 x 1, cell 0, DataID empty, precision settings 15 / -1; EQeltaMatrixError "... not enough
  /// memory on heap".
  explicit TMatrix(TComponent* AOwner) : TMatrixT(AOwner) {}
  /// New dimensions (negative become 0) keeping the overlapping cells, new cells 0, then OnChange;
  /// always true. EQeltaMatrixError "... not enough memory on heap" leaves the matrix as it was.
  bool Resize(int Nc, int Nr);
  /// Number text settings of the writers: index 1 significant digits (15 after creation; 0 or
  /// less: 17), index above 1 the decimals of fixed notation (-1 after creation: general form
  /// instead). They rule once SetFPrecis was called; until then the text and XML writers write
  /// each number as the shortest text that reads back to the same double.
  int GetFPrecis(int Index) const { return FPrecis[Index > 1 ? 1 : 0]; }
  /// Stores Value clamped to -1..25 at index 2 (Index above 1) or 1 (any other); from then on the
  /// settings rule the number text.
  void SetFPrecis(int Index, int Value);

  // --- elements ---
  /// Cell (Col, Row); 0 outside the dimensions.
  double GetVal(int Col, int Row) const {
    return Col >= 1 && Col <= FNCol && Row >= 1 && Row <= FNRow ? Mat.At(Col, Row) : 0.0;
  }
  /// Writes the cell and fires OnChange; nothing outside the dimensions.
  void SetVal(int Col, int Row, double Value);

  // --- filling and copying (each fires OnChange at the end) ---
  void Fill(double value);
  /// Every cell := RangeLow + r * (RangeHigh - RangeLow), r from the platform's Random, columns
  /// outside, rows inside.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Every cell := g * StdDev + Mean, g from GRandom, same order.
  void FillRandomGauss(double Mean, double StdDev);
  /// Resize to the source's size and copy every cell through SetVal; nil does nothing.
  void Clone(const TMatrix* MatSource);
  /// Source range (bounds raised to 1, lowered to the source's counts, ordered) to (DestCol,
  /// DestRow) through SetVal; cells outside this matrix are dropped. Self-copies act through a
  /// temporary.
  void CopyFrom(const TMatrix* MatSource, int SourceColLo, int SourceRowLo, int SourceColHi, int SourceRowHi,
                int DestCol, int DestRow);
  /// As above from an integer matrix (values read with its GetVal, either form).
  void CopyFrom(const TIntMatrix* MatSource, int SourceColLo, int SourceRowLo, int SourceColHi, int SourceRowHi,
                int DestCol, int DestRow);
  /// Vector elements (clamped, ordered) down column DestCol from DestRow, through SetVal.
  void CopyFromVec(const TVector* VecSource, int Source1stElem, int SourceLastElem, int DestCol, int DestRow);

  // --- rearranging (each fires OnChange at the end) ---
  /// Rows become columns; always true; EQeltaMatrixError "... not enough memory on heap".
  bool Transpose();
  void MirrorColumns();
  void MirrorRows();
  /// Swaps two whole columns; indices outside 1..NrOfColumns do nothing (no event).
  void ExchangeColumns(int c1, int c2);
  /// Swaps two whole rows; indices outside 1..NrOfRows do nothing (no event).
  void ExchangeRows(int r1, int r2);

  // --- search and summaries (no event) ---
  /// Smallest and largest cell of the range (made valid); NaN cells are passed over. An empty
  /// range (or only NaN) answers 1.7e38 and -1.7e38.
  void MinMax(int LowCol, int LowRow, int HighCol, int HighRow, double& Minimum, double& Maximum) const;
  /// Cell nearest to Value in the range (note the order of the bounds); first of equals, columns
  /// outside; 0, 0 when nothing lies nearer than 1.7e308.
  void Find(int LowCol, int HighCol, int LowRow, int HighRow, double Value, int& ColIx, int& RowIx) const;
  /// Row of Value in column Col sorted in the given direction: an exact hit, else the nearer of
  /// the last two candidates (the lower one only when strictly nearer); 0 for a column outside
  /// the matrix or a matrix without rows.
  int FindInSortedColumn(int Col, bool ColIsAscending, double Value) const;
  /// Sum over the range (made valid).
  double Sum(int LoC, int LoR, int HiC, int HiR) const;
  /// Sum of the diagonal of a square, non-empty matrix, else 0.
  double Trace() const;

  // --- fingerprint ---
  /// Eight CRC-32 lanes over the bytes of the cells, column by column: 64 hexadecimal digits.
  String CRCofData() const;

  // --- binary file (checked header; layout in Qelta_matrix_io.cpp) ---
  /// Writes size, DataID and every cell; false on any file error.
  bool SaveBinary(const String& FName) const;
  /// Replaces size, DataID and cells by the file's; false (matrix unchanged, the reason in
  /// LastLoadError) for a file that cannot be read, a header that fails its checks or a size that
  /// does not match. OnChange.
  bool LoadBinary(const String& FName);
  /// Size and DataID of a binary file; false (outputs unchanged) when its header fails.
  bool ReadBinaryHeader(const String& FName, int& NrColumns, int& NrRows, String& DataID) const;

  // --- statistics of the matrix of doubles (Qelta_matrix_stats.cpp) ---
  /// Counts the cells of columns LoX..HiX and rows LoY..HiY (each bound clamped to the matrix, not
  /// exchanged: a reversed range counts nothing) into NE = |LastBin - FirstBin| / BinWidth (rounded)
  /// bins of BinWidth from FirstBin: Histo is resized to NE when it differs and cleared, each value in
  /// a bin increments it through SetVal; v < FirstBin is an underflow, v at or beyond the last bin an
  /// overflow; NaN counts nowhere; MaxCnt is the largest bin count. False, nothing changed, for a nil
  /// Histo, BinWidth <= 0, a bound that is not finite or NE > 500.
  bool Histogram(int LoX, int LoY, int HiX, int HiY, double FirstBin, double LastBin, double BinWidth,
                 TIntVector* Histo, int& Underflow, int& Overflow, int& MaxCnt) const;
  /// Correlation coefficient of the cells of both matrices (centred sums): 0 for three cells or
  /// fewer, or when either matrix is constant; 0 for nil. EQeltaMatrixError "... matrices do not
  /// match" for another shape.
  double Correlate(const TMatrix* OtherMat) const;
  /// Per column: MeanVar of the whole column; when the variance is above 0 every cell becomes
  /// (x - mean) / sqrt(variance); element c of Means and StdDevs (each may be nil) get the mean and
  /// sqrt(variance) through SetVal (a short vector drops the rest). OnChange once at the end.
  void StandardizeColumns(TVector* Means, TVector* StdDevs);
  /// The same per row.
  void StandardizeRows(TVector* Means, TVector* StdDevs);
  /// Per column: every cell becomes x - the column's mean; Means as above. OnChange once at the end.
  void MeanCenterColumns(TVector* Means);
  /// The same per row.
  void MeanCenterRows(TVector* Means);

  // --- linear algebra and distance matrices (Qelta_matrix_linalg.cpp, Qelta_matrix_dist.cpp) ---
  // Operands are copied into private blocks first, so a result that is also an operand comes out
  // as if computed through a temporary. Result matrices and vectors are never resized: their
  // cells are written through SetVal (one OnChange per written cell).
  /// Every cell := cell * Scalar; OnChange.
  void SMult(double Scalar);
  /// Every cell := cell + Scalar; OnChange.
  void SAdd(double Scalar);
  /// Cell := cell + MatB's cell for a MatB of the same size, OnChange, true; else false, nothing changed.
  bool Add(const TMatrix* MatB);
  /// Cell := cell - MatB's cell; rules as Add.
  bool Subtract(const TMatrix* MatB);
  /// MatRes := this x MatB when NrOfColumns = MatB's rows and MatRes has MatB's columns and this
  /// matrix's rows; then this matrix's OnChange; else false and nothing written.
  bool Multiply(const TMatrix* MatB, TMatrix* MatRes);
  /// MatRes := transpose(this) x MatB when this and MatB have equal rows and MatRes has MatB's
  /// columns and this matrix's columns as rows; then OnChange; else false.
  bool TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes);
  /// VecRes := transpose(this) x VecB when VecB has NrOfRows and VecRes NrOfColumns elements; every
  /// partial sum is written through VecRes.SetVal; then OnChange; else false.
  bool TransposeAndMultiply(const TVector* VecB, TVector* VecRes);
  /// Crout LU with partial pivoting on implicitly scaled rows (the last of equal pivots wins); this
  /// matrix is not changed. MatL := n x n zeros, MatU := a copy, then MatL x MatU = the matrix with
  /// its rows permuted (unit diagonal in MatL). False when not square, a matrix is nil, a row is
  /// zero or a cell infinite or NaN or the factors overflow (MatU the copy, MatL zeros in these
  /// three cases) or a pivot is below 1e-100 (MatU the combined factors with such pivots set to
  /// 1e-100, MatL zeros).
  bool LUdecomposition(TMatrix* MatL, TMatrix* MatU) const;
  /// Permutation sign times the product of the LU diagonal; 0 when LUdecomposition fails.
  double Determinant() const;
  /// Inverts in place (LU as above, then the unit vectors solved). False, matrix unchanged, when
  /// not square, empty, singular (a zero row or a pivot below 1e-100), holding an infinity or a NaN,
  /// or when the factors or the inverse leave the double range; OnChange unless not square or empty. EQeltaMatrixError "... not enough memory on heap".
  bool Invert();
  /// ntColwise / ntRowwise: largest absolute column / row sum (0 when empty); ntSpectral: largest
  /// singular value (EQeltaMatrixError "near singular covariance matrix" when the decomposition
  /// does not converge); ntFrobenius: root of the sum of squares; anything else 0.
  double Norm(TNormType nt) const;
  /// Distances between the rows of this matrix (columns are the features) into DMat, which must be
  /// square (else -1) with NrOfRows columns (else -2, tested second); DMat is never resized.
  /// Cells (i, j) and (j, i) get the distance, the diagonal 0; dmUserDef asks OnCalcDistance (0
  /// without a handler). Jaccard and Dice of two all-zero rows are 1. Answers 0.
  int CalcDistMat(TDistMode Mode, TMatrix* DMat);
  friend struct num_detail::TMatrixAccess;

  // --- events ---
  TOnCalcDistanceEvent OnCalcDistance;

 private:
  friend class TIntMatrix;
  friend class num_detail::TMatrixT<TMatrix, double, TVector>;
  /// Stores a cell through SetVal when OnChange is assigned, else directly (no event).
  void PutVal(int Col, int Row, double v);
  /// Copies cells of any reader into this matrix by the CopyFrom placement rule.
  void CopyCells(int srcCols, int srcRows, int colLo, int rowLo, int colHi, int rowHi, int destCol, int destRow,
                 const std::function<double(int, int)>& read, bool self);
  /// CopyFrom without per-cell events: whole column pieces at a time.
  void CopyBlock(const TMatrix& src, int cl, int rl, int ch, int rh, int destCol, int destRow);
  void WriteXml(num_detail::TLineSink& out, bool CreateHeader, const String& DataID) const;
  /// Number text of the files, by the precision settings.
  String CellText(double v) const;
  /// Standardises (scale) or mean-centres every column (byColumn) or row; OnChange once.
  void TransformLines(bool byColumn, bool scale, TVector* Means, TVector* StdDevs);

  std::array<int, 2> FPrecis{15, -1};
  bool FPrecisSet = false;  ///< SetFPrecis was called: FPrecis rules the number text
};

/// Matrix of 32-bit integers, dense (column-major) or sparse (sorted triples). Operations the
/// sparse form cannot serve sensibly (SortRows, SortCols, SAdd) raise EQeltaMatrixError with a
/// message naming the operation; all others work in both forms. The shared members of
/// num_detail::TMatrixT work on both forms as on TMatrix (cells in the text form as decimal
/// integers, in the stream as 4-byte integers). XML element: a sparse matrix lists its triples
/// and adds form="sparse"; reading keeps the form (a sparse matrix takes the listed non-zero
/// cells, every listed cell of a sparse-form element); numbers are rounded to the nearest
/// integer.
class TIntMatrix : public num_detail::TMatrixT<TIntMatrix, int32_t, TIntVector> {
 public:
  /// Argument of the sparse constructor: the growth step of the triple array (at least 1).
  struct TSparseForm {
    int AllocBy = 1;
  };

  // --- construction and form ---
  /// Dense 1 x 1, cell 0; EQeltaMatrixError "... not enough memory on heap".
  explicit TIntMatrix(TComponent* AOwner) : TMatrixT(AOwner) {}
  /// The system's CreateSparse: sparse, 0 x 0, no triple, AllocBy triples allocated (below 1: 1).
  TIntMatrix(TComponent* AOwner, TSparseForm Form);
  bool IsSparse() const { return FIsSparse; }
  /// Sparse to dense (nothing when dense): the dimensions stay, widened to the bounding box (its
  /// empty form counts as 1 x 1); cells from the triples. No event.
  void SparseToArray();
  /// Dense to sparse (nothing when sparse): the non-zero cells become triples; dimensions stay.
  /// No event.
  void ArrayToSparse(int AllocBy);

  // --- size ---
  /// Dense: as TMatrix.Resize (OnChange). Sparse: sets the dimensions, drops the triples outside
  /// them (the allocation stays), recomputes the bounding box; no event. Always true.
  bool Resize(int Nc, int Nr);

  // --- sparse bookkeeping (meaningful in the sparse form) ---
  int AllocBy() const { return FAllocBy; }
  /// Triples allocated / in use.
  int NumAllocated() const { return FNumAllocated; }
  int SparseNumElem() const { return FSparseNumElem; }
  /// Triple i (1..SparseNumElem) in storage order; a zero triple outside.
  TSpMatElemInt SparseElem(int i) const;
  /// Bounding box of the triples; the empty box is low 2147483647, high 1.
  int SparseLowCol() const { return FSparseLowCol; }
  int SparseHighCol() const { return FSparseHighCol; }
  int SparseLowRow() const { return FSparseLowRow; }
  int SparseHighRow() const { return FSparseHighRow; }

  // --- elements ---
  /// Cell (Col, Row); 0 outside the matrix (dense) or when no triple holds it (sparse).
  int32_t GetVal(int Col, int Row) const;
  /// Dense: writes inside the dimensions and fires OnChange. Sparse: any Col, Row >= 1 is stored
  /// (a 0 keeps or makes a triple), the dimensions grow to cover it (never shrink), OnChange.
  void SetVal(int Col, int Row, int32_t Value);

  // --- filling and copying ---
  /// Dense: every cell := value. Sparse: value not 0 sets every stored triple; 0 removes all
  /// triples (allocation back to AllocBy, empty box). OnChange.
  void Fill(int32_t value);
  /// Dense from dense: as TMatrix.Clone. Sparse from sparse: triples, allocation, box and
  /// dimensions taken over, OnChange. Nothing when the forms differ or the source is nil.
  void Clone(const TIntMatrix* MatSource);
  /// As TMatrix.CopyFrom (reads through GetVal, writes through SetVal; self-copies through a
  /// temporary).
  void CopyFrom(const TIntMatrix* MatSource, int SourceColLo, int SourceRowLo, int SourceColHi, int SourceRowHi,
                int DestCol, int DestRow);

  // --- rearranging ---
  /// Dense as TMatrix; sparse: triples and box turned, re-sorted. Always true; OnChange.
  bool Transpose();
  void MirrorColumns();
  void MirrorRows();
  /// Indices outside the dimensions do nothing (no event).
  void ExchangeColumns(int c1, int c2);
  void ExchangeRows(int r1, int r2);

  // --- search and summaries ---
  /// Dense: smallest and largest cell of the range. Sparse: of the stored triples inside the
  /// range only (unstored zeros are not looked at). Nothing to look at: 2147483647 and -2147483647.
  void MinMax(int LowCol, int LowRow, int HighCol, int HighRow, int32_t& Minimum, int32_t& Maximum) const;
  /// Sum over the range (sparse: of the stored triples in it); wraps at 32 bits.
  int32_t Sum(int LoC, int LoR, int HiC, int HiR) const;
  /// Diagonal sum of a square, non-empty matrix, else 0 (sparse: by its dimensions).
  int32_t Trace() const;
  /// Nearest cell, first of equals (sparse: among the stored triples in the range, in storage
  /// order); 0, 0 when there is none.
  void Find(int LowCol, int HighCol, int LowRow, int HighRow, int32_t Value, int& ColIx, int& RowIx) const;
  /// As TMatrix.FindInSortedColumn (sparse: through GetVal).
  int FindInSortedColumn(int Col, bool ColIsAscending, int32_t Value) const;

  // --- arithmetic (32-bit, wrapping) ---
  /// Dense + dense of equal size, or dense + sparse MatB whose box fits: added, OnChange, true.
  /// Otherwise (a sparse matrix itself included) false and nothing changed.
  bool Add(const TIntMatrix* MatB);
  /// Same rules as Add.
  bool Subtract(const TIntMatrix* MatB);
  /// Every cell (sparse: every stored triple) times Scalar; OnChange.
  void SMult(int32_t Scalar);
  /// Every cell plus Scalar; OnChange. Sparse raises EQeltaMatrixError "... SAdd needs a dense matrix".
  void SAdd(int32_t Scalar);
  /// MatRes := this x MatB when NrOfColumns = MatB's rows and MatRes has MatB's columns and this
  /// matrix's rows; written through MatRes.SetVal, then this matrix's OnChange; else false.
  bool Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes);
  /// MatRes := transpose(this) x MatB when this and MatB have equal rows and MatRes has MatB's
  /// columns and this matrix's columns as rows; else false.
  bool TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes);
  /// VecRes := transpose(this) x VecB when VecB has NrOfRows and VecRes NrOfColumns elements;
  /// every partial sum is written through VecRes.SetVal; else false.
  bool TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes);

  // --- fingerprint ---
  /// Four CRC-32 lanes over the cells column by column (both forms): 32 hexadecimal digits.
  String CRCofData() const;

  // --- sparse file (checked header; layout in Qelta_matrix_int_io.cpp) ---
  /// Writes dimensions, growth step, bounding box and triples (a dense matrix its non-zero
  /// cells); false on any file error.
  bool StoreSparseMat(const String& FileName) const;
  /// Makes this a sparse matrix holding the file's triples; false (matrix unchanged, the reason in
  /// LastLoadError) for a file that cannot be read or fails any check (header, order, indices, box,
  /// size). OnChange.
  bool LoadSparseMat(const String& FileName);

 private:
  friend class TMatrix;
  friend class num_detail::TMatrixT<TIntMatrix, int32_t, TIntVector>;
  // sparse form (Qelta_matrix_sparse.cpp)
  /// Index (0-based) of the first triple not less than (c, r).
  int64_t SparseLowerBound(int c, int r) const;
  /// Stores a cell of the sparse form without event; answers nothing.
  void SparseStore(int c, int r, int32_t v);
  void SparseResize(int Nc, int Nr);
  void SparseRecomputeBox();
  void SparseResort();
  void SparseGrowTo(int64_t needed);
  void SparseReset(int AllocBy);
  /// Takes sorted, unique triples as the stored ones, padding the allocation to a multiple of
  /// allocBy (at least allocBy); false, nothing changed, when that does not fit.
  bool SparseAdopt(std::vector<TSpMatElemInt>& triples, int allocBy);
  void SparseRemap(const std::function<void(TSpMatElemInt&)>& remap);
  bool AddSub(const TIntMatrix& b, bool subtract);
  /// Stores a cell by the form's rule without event (loaders).
  void PutCell(int c, int r, int32_t v);
  /// SetVal when OnChange is assigned, else PutCell-like direct store (dense: inside only).
  void PutVal(int Col, int Row, int32_t v);
  /// Cells (nc x nr, column-major) of a product: whole columns into a dense matrix without an
  /// OnChange handler, else each through SetVal (events, the sparse form's rules).
  void StoreProduct(int nc, int nr, const std::vector<int32_t>& cells);
  void RequireDense(const char16_t* operation) const;
  /// The sparse form takes the listed triples; the dense form as TMatrix.
  bool TakeXmlCells(const num_detail::TXmlMatrix<int32_t>& x);
  void WriteXml(num_detail::TLineSink& out, bool CreateHeader, const String& DataID) const;
  /// Number text of the files: the decimal integer.
  String CellText(int32_t v) const;

  bool FIsSparse = false;
  int FNumAllocated = 0;
  int FAllocBy = 1;
  int FSparseNumElem = 0;
  int FSparseLowCol = 2147483647;
  int FSparseHighCol = 1;
  int FSparseLowRow = 2147483647;
  int FSparseHighRow = 1;
  std::vector<TSpMatElemInt> SpMat;
};

extern template class num_detail::TMatrixT<TMatrix, double, TVector>;
extern template class num_detail::TMatrixT<TIntMatrix, int32_t, TIntVector>;

// [SECTION] arrays of three and four dimensions

/// Three-dimensional array of doubles: columns x rows x layers, 1-based in every index, the index
/// order always (column, row, layer). The Kohonen map keeps its weights in one.
/// How: one contiguous block with the layers of a (column, row) together; Resize keeps the
/// overlapping cells. Searches, random filling and the fingerprint visit the column index
/// outermost and the layer innermost.
/// Limits: every extent 1..2147483647, the block within the address space (else EQeltaMatrixError
/// "... not enough memory on heap"). Only Resize, the random fills and the XML reader fire OnChange.
/// Failure channel: EQeltaMatrixError for exhausted memory; the XML readers answer false.
class TMat3D : public TComponent {
 public:
  // --- construction and size ---
  /// 1 x 1 x 1, cell 0, DataID empty; EQeltaMatrixError "... not enough memory on heap".
  explicit TMat3D(TComponent* AOwner);
  /// When a count differs and all three are positive: the new shape keeping the overlapping cells
  /// (new cells 0), then OnChange. Zero or negative counts change nothing. Always true.
  /// EQeltaMatrixError "... not enough memory on heap" leaves the array as it was.
  bool Resize(int Nc, int Nr, int Nl);
  int NrOfColumns() const { return FCells.Dim(0); }
  /// Resize with the new count (0 or less: 1); likewise the other two.
  void SetNCols(int n);
  int NrOfRows() const { return FCells.Dim(1); }
  void SetNRows(int n);
  int NrOfLayers() const { return FCells.Dim(2); }
  void SetNLayers(int n);
  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }

  // --- cells ---
  /// Cell (Col, Row, Layer); 0 outside the array.
  double GetVal(int Col, int Row, int Layer) const { return FCells.Get({Col, Row, Layer}); }
  /// Stores the cell; nothing outside. No event.
  void SetVal(int Col, int Row, int Layer, double Value) { FCells.Set({Col, Row, Layer}, Value); }
  /// (0, 0) is the whole dimension; otherwise each bound clamped to 1..count, then ordered.
  void MakeValidColRange(int& Low, int& High) const;
  void MakeValidRowRange(int& Low, int& High) const;
  void MakeValidLayerRange(int& Low, int& High) const;
  /// Every cell := value; no event.
  void Fill(double value);
  /// Every cell := RangeLow + r * (RangeHigh - RangeLow), r from the platform's Random, in the
  /// visiting order; OnChange.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Every cell := g * StdDev + Mean, g from GRandom, in the visiting order; OnChange.
  void FillRandomGauss(double Mean, double StdDev);
  /// Cell of the ranges (made valid) nearest to Value: the first of equals in the visiting order;
  /// 0, 0, 0 when none lies nearer than 1.7e308.
  void Find(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, double Value, int& ColIx,
            int& RowIx, int& LayerIx) const;
  /// Eight CRC-32 lanes over the bytes of the cells in the visiting order: 64 hexadecimal digits.
  String CRCofData() const;
  /// Fires OnChange(this) when assigned.
  void Changed();

  // --- XML element (layout in Qelta_matrix_nd.cpp) ---
  /// Writes the element to a text file open for writing; the platform's I/O errors pass.
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const;
  /// Writes the element to a stream, one byte per character; the stream's errors pass.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const;
  /// Creates the file with the declaration and the element; false on any file error.
  bool SaveAsXMLFile(const String& FName, const String& DataID) const;
  /// Reads the next element whose id equals DataID (case of A-Z ignored; empty: any) and takes its
  /// size, cells and id, then OnChange. False, array unchanged, when none is found or it is
  /// malformed. The platform's I/O errors pass.
  bool ReadFromOpenXMLFile(TextFile& f, const String& DataID);
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);
  /// ReadFromOpenXMLFile on a file; false when it cannot be read.
  bool LoadFromXMLFile(const String& FName, const String& DataID);

  // --- events ---
  TNotifyEvent OnChange;

 private:
  bool ReadXml(TTagReader& in, const String& DataID);
  num_detail::TCellBlock<3> FCells{false};
  String FDataID;
};

/// Four-dimensional array of doubles: columns x rows x layers x time slots (image stacks over time),
/// 1-based, the index order always (column, row, layer, time slot), with a binary file of 4096-byte
/// records that can be written, read by time-slot range and extended by appending time slots.
/// How: one flat block, the column index fastest and the time slot slowest (Addr4D), so each time
/// slot is one contiguous run; sizes and flat indices are 64-bit. Resize does not keep cells: the
/// new block is zeroed. Searches, random filling and the fingerprint visit the column index
/// outermost and the time slot innermost (not the memory order); the summaries run in memory order.
/// File transfers stream through one 4096-byte record buffer and report progress through
/// OnPercentDone at most about 100 times; the layer means and deviations step ProcStat.
/// Limits: every extent 1..2147483647, the block within the address space (else EQeltaMatrixError
/// "... not enough memory on heap").
/// Failure channel: EQeltaMatrixError for exhausted memory and refused index ranges; the binary
/// file raises the platform's EInOutError for file errors and refused headers; the XML readers
/// answer false.
class TMat4D : public TComponent {
 public:
  // --- construction and size ---
  /// 1 x 1 x 1 x 1, cell 0, DataID empty; EQeltaMatrixError "... not enough memory on heap".
  explicit TMat4D(TComponent* AOwner);
  /// When a count differs and all four are positive: a new zeroed block of Nc * Nr * Nl * Nt cells,
  /// then OnChange. Zero or negative counts change nothing. Always true. EQeltaMatrixError "... not
  /// enough memory on heap" (also for a product beyond the address space) leaves the array as it was.
  bool Resize(int Nc, int Nr, int Nl, int Nt);
  int NrOfColumns() const { return FCells.Dim(0); }
  /// Resize with the new count (0 or less: 1); likewise the other three.
  void SetNCols(int n);
  int NrOfRows() const { return FCells.Dim(1); }
  void SetNRows(int n);
  int NrOfLayers() const { return FCells.Dim(2); }
  void SetNLayers(int n);
  int NrOfTimeSlots() const { return FCells.Dim(3); }
  void SetNTSlots(int n);
  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }
  /// Flat (0-based) index of a cell: (x - 1) + NumX ((y - 1) + NumY ((z - 1) + NumZ (t - 1))); no check.
  int64_t Addr4D(int x, int y, int z, int t) const;
  /// Size of the block in units of 1048576 bytes.
  double MemoryConsumed() const;

  // --- cells ---
  /// Cell (Col, Row, Layer, TimeSlot); 0 outside the array.
  double GetVal(int Col, int Row, int Layer, int TimeSlot) const { return FCells.Get({Col, Row, Layer, TimeSlot}); }
  /// Stores the cell; nothing outside. No event.
  void SetVal(int Col, int Row, int Layer, int TimeSlot, double Value) {
    FCells.Set({Col, Row, Layer, TimeSlot}, Value);
  }
  /// (0, 0) is the whole dimension; otherwise each bound clamped to 1..count, then ordered.
  void MakeValidColRange(int& Low, int& High) const;
  void MakeValidRowRange(int& Low, int& High) const;
  void MakeValidLayerRange(int& Low, int& High) const;
  void MakeValidTSlotRange(int& Low, int& High) const;
  /// Every cell := value; no event.
  void Fill(double value);
  /// All cells of one layer (every column, row and time slot) := value; nothing for a layer outside
  /// 1..NrOfLayers; no event.
  void FillLayer(int Layer, double value);
  /// As TMat3D, in the visiting order; OnChange.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  void FillRandomGauss(double Mean, double StdDev);
  /// Cell of the ranges (made valid) nearest to Value: the first of equals in the visiting order;
  /// all indices 0 when none lies nearer than 1.7e308.
  void Find(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
            int HighTimeSlot, double Value, int& ColIx, int& RowIx, int& LayerIx, int& TimeSlotIx) const;
  /// Eight CRC-32 lanes over the bytes of the cells in the visiting order: 64 hexadecimal digits.
  String CRCofData() const;
  /// Fires OnChange(this) when assigned.
  void Changed();
  /// Fires OnPercentDone(this, Percent) when assigned.
  void PercDone(TObject* Sender, int Percent);

  // --- summaries over ranges (low, high per dimension; made valid; no event) ---
  /// Smallest and largest cell, seeded from the first comparable one (NaN cells passed over; only
  /// NaN: 1.7e38 and -1.7e38).
  void MinMax(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
              int HighTimeSlot, double& Minimum, double& Maximum) const;
  /// Mean and sample variance by the rule of TMatrix.MeanVar (1.0 below three cells).
  void MeanVar(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
               int HighTimeSlot, double& Mean, double& Variance) const;
  double Sum(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
             int HighTimeSlot) const;

  // --- rearranging (each fires OnChange) ---
  /// Keeps only the block of the ranges (made valid): the counts become their extents.
  void Cut(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeslot,
           int HighTimeslot);
  void MirrorColumns();
  void MirrorRows();
  void MirrorLayers();
  void MirrorTimeSlots();

  // --- layers and matrices ---
  /// DestMat := the column and row ranges (made valid) of one layer and time slot, resized to their
  /// extents. EQeltaMatrixError "... specified layer beyond data range" / "... specified time slot
  /// beyond data range" for a layer or time slot outside the array; nil DestMat does nothing.
  void CopyLayerToMatrix(TMatrix* DestMat, int LowCol, int HighCol, int LowRow, int HighRow, int Layer,
                         int TimeSlot) const;
  /// Source cells (c, r) of SrcLowCol..SrcHighCol x SrcLowRow..SrcHighRow (not clamped: outside
  /// SrcMat they read 0) go to (LayLowCol + c - SrcLowCol, LayLowRow + r - SrcLowRow) of the layer and
  /// time slot where that lies inside; the same two messages; no event.
  void CopyMatrixToLayer(const TMatrix* SrcMat, int SrcLowCol, int SrcHighCol, int SrcLowRow, int SrcHighRow,
                         int Layer, int TimeSlot, int LayLowCol, int LayLowRow);
  /// DestMat (resized to the column and row extents, zeroed) := the mean over the layer and time
  /// slot ranges of each (column, row); ProcStat steps on every (m div 100 + 1)-th cell, m being the
  /// number of values per cell. Nil DestMat does nothing.
  void MeanOfLayersToMatrix(TMatrix* DestMat, int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer,
                            int HighLayer, int LowTimeSlot, int HighTimeSlot) const;
  /// The same with the population standard deviation (centred sums, never NaN from rounding).
  void StdDevOfLayersToMatrix(TMatrix* DestMat, int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer,
                              int HighLayer, int LowTimeSlot, int HighTimeSlot) const;

  // --- binary file of 4096-byte records (layout in Qelta_matrix_4d_file.cpp) ---
  /// Writes time slots TSlotStart..TSlotEnd (0 or less in either: all; the end lowered to
  /// NrOfTimeSlots). EQeltaMatrixError "... specified time slot beyond data range" for a start above
  /// NrOfTimeSlots or an end below the start; EInOutError for file errors (the old file kept).
  void SaveBinary(const String& FName, int TSlotStart, int TSlotEnd);
  /// Reads the stored time slots TSlotStart..TSlotEnd (0 or less in either: all; the end lowered to
  /// the stored count): Resize, DataID, cells. The header is checked first (EInOutError 100 for counts
  /// below 1, a size beyond the address space or a file too short for the records it promises), then
  /// the slots (the time-slot message as SaveBinary); a refused load leaves the array as it was. A medium
  /// that fails during the transfer raises EInOutError with the cells read so far in place.
  void LoadBinary(const String& FName, int TSlotStart, int TSlotEnd);
  /// The four counts and the identifier of a file's header; true when all four counts are positive.
  /// EInOutError for file errors (a file shorter than one record: 100).
  bool ReadBinaryHeader(const String& FName, int& NrColumns, int& NrRows, int& NrLayers, int& NrTimeSlots,
                        String& DataID) const;
  /// Appends time slots TSlotStart..TSlotEnd (as SaveBinary) to an existing file of the same columns,
  /// rows and layers (else EQeltaMatrixError "... X,Y,Z of matrices do not match"), keeping its values
  /// and reserved bytes; the header is checked as LoadBinary's before anything is written. A failed
  /// append raises EInOutError and leaves the file byte for byte as it was.
  void AppendToBinaryFile(const String& FName, int TSlotStart, int TSlotEnd);

  // --- XML element (layout in Qelta_matrix_nd.cpp) ---
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const;
  /// Creates the file with the declaration and the element; false on any file error.
  bool SaveAsXMLFile(const String& FName, const String& DataID) const;
  /// As TMat3D.ReadFromOpenXMLFile.
  bool ReadFromOpenXMLFile(TextFile& f, const String& DataID);
  bool LoadFromXMLFile(const String& FName, const String& DataID);

  // --- events ---
  TNotifyEvent OnChange;
  TOnPercentDoneEvent OnPercentDone;

 private:
  using TIndex = num_detail::TCellBlock<4>::TIndex;
  /// Makes the four ranges valid into a box.
  void ValidBox(int lc, int hc, int lr, int hr, int ll, int hl, int lt, int ht, TIndex& lo, TIndex& hi) const;
  /// Reverses dimension d (0..3), then OnChange.
  void MirrorAlong(int d);
  /// Raises the layer or time-slot message for indices outside the array.
  void CheckLayerAndSlot(int Layer, int TimeSlot) const;
  /// Writes every (column, row) of DestMat from the centred moments over layers and time slots.
  void LayersToMatrix(TMatrix* DestMat, const TIndex& lo, const TIndex& hi, bool deviation) const;
  /// The stored range of a time-slot request (the save and append rules; raises the time-slot message).
  void SlotRange(int count, int& start, int& end) const;
  num_detail::TCellBlock<4> FCells{true};
  String FDataID;
};

}  // namespace qelta

QELTA_PUBLIC_END
