#pragma once
// Unit Qelta_dstruct: data structures and checksums of the foundation.
//
// The unit holds free routines and small containers that the numerics and the file helpers
// build on. Each topic has its own section below and its own source file
// (Qelta_dstruct_<topic>.cpp).

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "Classes.h"
#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Variants.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TStream;
class TextFile;

// ============================================================================================
// [SECTION] Checksums, digests and combinatorial steps        (Qelta_dstruct_checksums.cpp)
// ============================================================================================
//
// CRC-16 (polynomial $1021, MSB first, no reflection, no final xor; XMODEM or CCITT-FALSE start),
// CRC-32 (reflected $EDB88320, start $FFFFFFFF, final complement: CRC-32/ISO-HDLC), SHA-1
// (FIPS 180-4), an ASCII85 coder between streams, stepping through combinations and
// permutations, and a nearest-value search. CRC tables are built at compile time; buffers run
// eight bytes per step. SHA-1 is for fingerprints, not for security.
//
// Types: CRC-32 registers are uint32_t throughout (the wrap-around arithmetic must be unsigned);
// a caller holding the register in an int32_t gets the same bit pattern back. Byte buffers
// are std::vector<uint8_t>; a count beyond the buffer is clamped to its size, a negative one is 0.
// The data fingerprints of the numerics depend on CalcNextCRC32 bit for bit: never change it.
//
// ASCII85 here is the system's own variant: a short final group of c bytes is written as c + 1
// digits of the c-byte number (not zero-padded as elsewhere), no line breaks, end mark "~>".
// Files written by other ASCII85 coders differ in the final group only.
//
// Failures: the stream routines let the platform's stream errors pass (EReadError when a source
// ends short of its size, EWriteError when a target refuses bytes, EFOpenError for a file that
// cannot be opened); CalcCRC32ofFile answers 0 instead; DecodeASCII85 reports bad text by code.

/// Start value of CRC16ofBuffer: crcZModem starts from 0 (CRC-16/XMODEM), crcCCITT from $FFFF
/// (CRC-16/CCITT-FALSE).
enum TCRC16Mode : uint8_t { crcZModem, crcCCITT };

/// SHA-1 digest: the five state words, each big-endian.
using TSHACode = std::array<uint8_t, 20>;

/// Combination: element 0 holds k, elements 1..k rising numbers out of 1..n. A permutation uses
/// the same type: element 0 holds n, elements 1..n a permutation of 1..n.
using TCombination = std::vector<uint8_t>;

/// One CRC-16 step: table[(crc shr 8) xor b] xor (crc shl 8), kept to 16 bits.
uint16_t CalcNextCRC16(uint8_t b, uint16_t crc);
/// CRC-16 of the first `count` bytes of `data`, started by `mode`.
uint16_t CRC16ofBuffer(const std::vector<uint8_t>& data, int count, TCRC16Mode mode);

/// One CRC-32 step: table[(crc xor b) and $FF] xor (crc shr 8). No start value, no complement.
uint32_t CalcNextCRC32(uint8_t b, uint32_t crc);
/// CRC-32 of the first `count` bytes of `data` (start $FFFFFFFF, result complemented).
uint32_t CRC32ofBuffer(const std::vector<uint8_t>& data, int count);
/// CRC-32 of a whole file, read in blocks of 4096 bytes; 0 when it cannot be opened or read.
uint32_t CalcCRC32ofFile(const String& name);

/// Writes `source` from its position to its end into `target` as ASCII85 text ending in "~>"
/// (a full group of four zero bytes as "z").
void EncodeASCII85(TStream& source, TStream& target);
/// Decodes ASCII85 text from `source` into `target` up to "~>" (consumed) or the end of the
/// source; CR and LF are skipped. Returns 0, or the last error met: -1 a character outside
/// "!".."u" (skipped), -2 a "z" inside a group (skipped), -3 a group whose number does not fit
/// its bytes (group not written). Decoding goes on after an error.
int DecodeASCII85(TStream& source, TStream& target);

/// SHA-1 of the text's Windows-1252 image, one byte per character (as a text stream holds it).
TSHACode SHA1FromString(const String& text);
/// SHA-1 of `stream` from its position to its end; leaves the position at the end.
TSHACode SHA1FromStream(TStream& stream);
/// SHA-1 of a whole file; EFOpenError when it cannot be opened, EReadError when a read fails.
TSHACode SHA1FromFile(const String& name);
/// The digest as 40 upper-case hexadecimal digits, bytes in order, high nibble first.
String SHA1DigestToHex(const TSHACode& digest);

/// Steps `comb` to the next k-combination of 1..n in lexicographic order; false (and `comb`
/// unchanged) after the last one, or when k > n, n > 255 or `comb` holds fewer than k numbers.
bool NextCombination(TCombination& comb, int n);
/// Steps `perm` to the next permutation of 1..n (level order: 123, 213, 231, 132, 312, 321);
/// false (and `perm` unchanged) after the last one or when `perm` is not a permutation.
bool NextPermutation(TCombination& perm);

/// 0-based index of the value nearest to x (first one on ties); -1 for an empty array or when
/// no difference is below uc_MaxDouble (x or all values NaN or too far).
int IndexOfNearestArrayValue(double x, std::span<const double> values);
/// 0-based index of the value nearest to x (first one on ties); -1 for an empty array.
int IndexOfNearestArrayValue(int32_t x, std::span<const int32_t> values);

// ----------------------------------------- end of section: checksums, digests and combinatorial steps

// ============================================================================================
// [SECTION] Error class of the containers
// ============================================================================================

/// Error of the unit's containers; raised with one ready-made message (allocation failures,
/// a cell that is not a number).
QELTA_DECLARE_EXCEPTION(EQeltaDStructError, EQeltaError)

// ============================================================================================
// [SECTION] Bit field, byte matrix, FIFO, run-length coder        (Qelta_dstruct_bitfld.cpp)
// ============================================================================================

/// Field of the bits 0..Size (Size + 1 bits, a new field has 1001), used for selection masks and
/// sampling. Bit i lies in byte i div 8 at position i mod 8, least significant bit first. The
/// bits beyond Size in the last bytes are kept false by every operation, so a field that grows
/// shows only false new bits. Out-of-range indices: readers answer false, writers do nothing.
/// Counting and combining run 64 bits per step. Size is at most MaxSize, so that every count
/// fits an int. Failure: EQeltaDStructError on allocation.
class TBitFld : public TComponent {
 public:
  static constexpr int MaxSize = 0x7FFFFFFE;

  /// 1001 bits (Size 1000), all false.
  explicit TBitFld(TComponent* AOwner);

  /// Highest bit index.
  int Size() const { return FSize; }
  /// Sets the highest bit index (at most MaxSize); n <= 0 or n = Size does nothing. Kept bits
  /// stay, new bits are false.
  void SetSize(int n);

  /// Bit i; false outside 0..Size.
  bool GetBit(int i) const;
  /// Sets bit i to state; nothing outside 0..Size.
  void SetBit(int i, bool state);
  /// Complements bit i; nothing outside 0..Size.
  void ToggleBit(int i);
  /// All bits false.
  void Clear();
  /// Complements every bit 0..Size.
  void Invert();

  /// Number of true bits.
  int CountTrueBits() const;
  /// Lowest index of a true bit; -1 when none is set.
  int FirstTrueBit() const;
  /// Takes size and bits of Source; nothing for a null Source.
  void Clone(const TBitFld* Source);
  /// self := self op other, bit by bit; nothing unless both exist and have the same Size.
  void CombineWith(const TBitFld* SecondBArray, TLogicOp Operation);
  /// BitList := the indices whose bit equals State, rising.
  void MakeListOfBits(std::vector<int>& BitList, bool State) const;
  /// Exactly Round(Percent / 100 x (Size + 1)) random bits true (Percent clamped to 0..100),
  /// the others false. Draws from the platform's Random.
  void RandomFill(double Percent);
  /// Exactly NBits random bits true (NBits clamped to 0..Size + 1), the others false.
  void RandomFill(int NBits);

 private:
  void SetRandBitsIntern(int n);
  void ClearTail();
  int ByteCount() const { return FSize / 8 + 1; }  // bytes that hold the bits 0..FSize

  int FSize = 1000;
  std::vector<uint8_t> FBitArray;  // FSize div 8 + 2 bytes
};

/// Two-dimensional array of bytes addressed (column, row), both 1-based, with bit access
/// (bit 0..7 of a cell, mask 1 shl index). At least 1 x 1; a new matrix is 1 x 1 holding 0.
/// Outside the matrix readers answer 0 or false and writers do nothing. Writers fire OnChange.
/// Failure: EQeltaDStructError on allocation.
class TByteMatrix : public TComponent {
 public:
  /// 1 x 1, the cell 0.
  explicit TByteMatrix(TComponent* AOwner);

  /// New size; false (nothing changed) when unchanged or a count is below 1. Kept cells keep
  /// their values, new cells are 0; fires OnChange.
  bool Resize(int columns, int rows);
  int NrOfColumns() const { return FNrCols; }
  /// Resize with n (at least 1) columns.
  void SetNrCols(int n);
  int NrOfRows() const { return FNrRows; }
  /// Resize with n (at least 1) rows.
  void SetNrRows(int n);

  /// Every cell := b; fires OnChange.
  void Fill(uint8_t b);
  /// Cell (col, row) := b; fires OnChange.
  void SetByte(int col, int row, uint8_t b);
  /// Cell (col, row); 0 outside.
  uint8_t GetByte(int col, int row) const;
  /// Bit ixBit (0..7) of the cell := state; fires OnChange.
  void SetBit(int col, int row, int ixBit, bool state);
  /// Bit ixBit (0..7) of the cell; false outside.
  bool GetBit(int col, int row, int ixBit) const;
  /// Complements bit ixBit (0..7) of the cell; fires OnChange.
  void ToggleBit(int col, int row, int ixBit);
  /// self := self op other, cell by cell; nothing unless both have the same size. No OnChange.
  void CombineWith(const TByteMatrix* SecondByteMatrix, TLogicOp Operation);
  /// Fires OnChange.
  void Changed();

  TNotifyEvent OnChange;

 private:
  bool Inside(int col, int row) const { return col >= 1 && col <= FNrCols && row >= 1 && row <= FNrRows; }
  uint8_t& Cell(int col, int row) { return FByteMat[size_t(col - 1) * size_t(FNrRows) + size_t(row - 1)]; }

  int FNrCols = 1;
  int FNrRows = 1;
  std::vector<uint8_t> FByteMat;  // column after column
};

/// Byte ring buffer of Size slots holding at most Size - 1 bytes (one slot always stays free).
/// Failure: EQeltaDStructError "FIFO structure too large" on allocation.
class TFifo : public TComponent {
 public:
  /// 256 slots, empty.
  explicit TFifo(TComponent* AOwner);

  /// Appends b; false (nothing stored) when full.
  bool PutByte(uint8_t b);
  /// Appends b, dropping the oldest byte first when full; true when a byte was dropped.
  bool ForceByte(uint8_t b);
  /// Takes the oldest byte into b; false when empty.
  bool GetByte(uint8_t& b);
  /// b := the byte ix places after the oldest (ix from 0), not removed; false unless 0 <= ix < count.
  bool SenseByte(int ix, uint8_t& b) const;
  /// Puts b back in front as the oldest byte (undoes a GetByte); false (nothing stored) when full.
  bool LoadBack(uint8_t b);
  /// Number of bytes held.
  int CountBytes() const;
  /// Empties the FIFO.
  void Clear();

  int Size() const { return FLength; }
  /// n slots (n > 0 and different from Size); the FIFO is emptied.
  void SetSize(int n);

 private:
  int Next(int ix) const { return ix + 1 == FLength ? 0 : ix + 1; }

  int FInPoi = 0;
  int FOutPoi = 0;
  int FLength = 256;
  std::vector<uint8_t> FData;
};

/// Block-oriented run-length coder. Coded stream: a literal byte stands for itself; a run is
/// the triple $A5, count (0..255), value. The byte $A5 is always written as a run. Encode and
/// Decode fill one buffer; a call answers true once a block of BufLeng bytes is held, to be
/// fetched by GetResult; Finish flushes the pending run and the tail. One object does one job
/// at a time (Reset in between). The buffer grows when a caller lets it fill up, so no input is
/// ever refused or lost. Failure: EQeltaDStructError on allocation.
class TRLEncoder : public TComponent {
 public:
  enum TDecodeSt : uint8_t { rlData, rlLeadin, rlCnt };
  static constexpr uint8_t LeadIn = 0xA5;

  /// Block length 256, empty.
  explicit TRLEncoder(TComponent* AOwner);

  /// Encodes the first count bytes of data (count clamped to 0..data size); true when a full
  /// block is held.
  bool Encode(std::span<const uint8_t> data, int count);
  /// Decodes one coded byte; true when a full block is held.
  bool Decode(uint8_t b);
  /// When a full block is held: block := its BufLeng bytes (block is resized to them), the rest
  /// moves to the front. Otherwise nothing.
  void GetResult(std::vector<uint8_t>& block);
  /// Encoding: writes the pending run as a triple (count 0 when none; once, until the next
  /// Encode). Then delivers: fewer than BufLeng bytes held: all of them (buffer emptied); else
  /// one block as GetResult. Answers the count; call again until it is below BufLeng.
  int Finish(std::vector<uint8_t>& block);
  /// Empties the buffer, drops the pending run, decoder back to rlData.
  void Reset();

  int BufLeng() const { return FBufLeng; }
  /// Block length (below 1 counts as 1); bytes already held are kept.
  void SetBufLeng(int n);

 private:
  void Append(uint8_t b);
  void AppendRun(uint8_t count, uint8_t b);
  void WritePending();
  bool BlockFull() const { return FBufPoi >= FBufLeng; }

  int FBufLeng = 256;
  std::vector<uint8_t> FBuffer;  // 4 x FBufLeng bytes, more when needed
  int FBufPoi = 0;
  uint8_t FLeadInByte = LeadIn;
  TDecodeSt FDecodeSt = rlData;
  uint8_t FCount = 0;
  uint8_t FLastB = 0;
  bool FDecoding = false;  // Decode was called since the last Reset
  bool FFlushed = false;   // Finish wrote the closing run; no Encode since
};

// ----------------------------------------- end of section: bit field, byte matrix, FIFO, run-length coder

// ============================================================================================
// [SECTION] String array                          (Qelta_dstruct_strarray.cpp, _xml.cpp)
// ============================================================================================

namespace core_detail {
struct TStringArrayChild;  // not part of the public interface: a child of the XML element as read
}  // namespace core_detail

/// Table of short 8-bit texts (Windows-1252, at most 255 characters; longer texts are cut)
/// addressed (column, row): columns 0..NrOfColumns (column 0 is a row-header column), rows
/// 1..NrOfRows. Built for list views with many rows: texts live in a pool of 32 KB pages
/// (a text takes its length + 1 bytes), each cell holds one 32-bit word (page shl 16 or offset,
/// 0 = empty). Rows are addressed by view position through a sort index to their physical row,
/// so sorting moves index entries only. Each row and column carries one attribute byte.
/// Texts are never freed one by one: a text not longer than the old one is written in place,
/// others are appended to the first page with room; GarbageCollection compacts the pages.
/// Limits: 65535 pages (2 GB of text); rows and columns up to the memory. Out-of-range
/// positions: readers answer "", 0 or -1, writers do nothing.
class TStringArray : public TComponent {
 public:
  static constexpr int PageSize = 32768;
  static constexpr int MaxTextLength = 255;

  /// One column (plus column 0), one row, AllocRowsBy 10, empty, one page.
  /// EQeltaDStructError "Class TStringArray: failed to initialize (out of memory)".
  explicit TStringArray(TComponent* AOwner);
  ~TStringArray() override;

  // -- cells
  /// Cell text at (col 0..NrOfColumns, view row 1..NrOfRows); "" outside.
  AnsiString GetString(int col, int row) const;
  /// Stores text (cut to 255 characters) into the cell; nothing outside. Fires OnChange.
  void SetString(int col, int row, std::string_view text);
  /// The cell as a number: blanks around removed, ',' read as '.'; an empty cell is 0.
  /// EQeltaDStructError "Class TStringArray: invalid numeric string: [c,r]: text" otherwise.
  Extended GetAsNumber(int col, int row) const;
  /// True when every cell of column ACol (rows 1..NrOfRows) is empty or blanks only.
  bool ColumnEmpty(int ACol) const;
  /// True when every cell of view row ARow (columns 1..NrOfColumns) is empty or blanks only.
  bool RowEmpty(int ARow) const;

  // -- size and rows
  /// New size: true without event when unchanged; false without event when a count is below 1;
  /// else kept cells stay, new cells are empty, the sort index becomes the identity, OnChange
  /// fires and the result is true (false when memory ran out; the table is then unchanged).
  bool Resize(int Nc, int Nr);
  int NrOfColumns() const { return FNCol; }
  /// Resize(n, NrOfRows).
  void SetNrCols(int n);
  int NrOfRows() const { return FNRow; }
  /// Resize(NrOfColumns, n).
  void SetNrRows(int n);
  /// Appends a row (SetNrRows(NrOfRows + 1)); answers the new row count.
  int AddRow();
  /// Inserts an empty row at view position r (1..NrOfRows), later rows move down; the view
  /// order of all others is kept. Fires OnChange.
  void InsertRow(int r);
  /// Removes view row r (1..NrOfRows); a single row is only emptied. Fires OnChange.
  void RemoveRow(int r);
  /// Copies the texts and attribute of view row Source to view row Target. Fires OnChange.
  void CopyRow(int Source, int Target);
  /// Empties every cell and attribute, identity sort index, the pool back to one page; no event.
  void Clear();
  /// Stores text into every cell (the empty text: Clear). Fires OnChange once.
  void Fill(std::string_view text);

  // -- attributes
  /// Attribute byte of view row 1..NrOfRows; 0 outside.
  uint8_t GetRowAttrib(int row) const;
  /// Sets the attribute byte of a view row; fires OnChange.
  void SetRowAttrib(int row, uint8_t b);
  /// Attribute byte of column 1..NrOfColumns; 0 outside.
  uint8_t GetColAttrib(int col) const;
  /// Sets the attribute byte of column 1..NrOfColumns; fires OnChange.
  void SetColAttrib(int col, uint8_t b);

  // -- sorting
  /// Physical row shown at view position i; -1 outside 1..NrOfRows.
  int GetSortOrder(int i) const;
  /// Sets one sort-index entry (both in 1..NrOfRows). While entries repeat, rows are read and
  /// written as the index says; InsertRow, RemoveRow and CommitSorting first give every repeated
  /// entry, in view order, the next physical row that no entry shows.
  void SetSortOrder(int i, int physRow);
  /// Comb sort of the sort index by column Col ignoring the case of A-Z, column ColSec (>= 1)
  /// breaking ties; keys pass BeforeSortExchange once per row. OnPercentDone 0, after each
  /// pass, 100; OnChange when more than one row. A handler that changes the row count meanwhile
  /// ends the sort (the index stays as the handler left it, no OnChange).
  void Sort(int Col, int ColSec, bool Ascending);
  /// Sort index := identity; fires OnChange.
  void UnSort();
  /// Moves the rows physically into the view order, then the sort index is the identity.
  void CommitSorting();
  /// OutString := InString, then OnBeforeSortExchange when assigned.
  void BeforeSortExchange(const String& InString, String& OutString);

  // -- finding
  /// First cell containing FindStr (never the empty text) in columns ColLow..ColHigh (-1 in
  /// either: all) and view rows RowLow..RowHigh (-1 in both: all), row by row; bounds are
  /// clamped and may come in either order. Sets Col and Row when found.
  bool FindCell(std::string_view FindStr, bool MatchCase, int ColLow, int ColHigh, int RowLow, int RowHigh,
                int& Col, int& Row) const;
  /// As FindCell, for a cell equal to FindStr.
  bool FindCellExact(std::string_view FindStr, bool MatchCase, int ColLow, int ColHigh, int RowLow, int RowHigh,
                     int& Col, int& Row) const;
  /// Binary search for FindStr in column ColIx, sorted in the given direction over view rows
  /// RowLow..RowHigh (-1 in both: all). Sets row to the first of several equal rows.
  bool FindCellInSortedColumn(std::string_view FindStr, bool MatchCase, int ColIx, int RowLow, int RowHigh,
                              bool ColIsAscending, int& row) const;

  // -- pool
  /// Compacts every page to the texts still referenced; pages are kept.
  void GarbageCollection();
  /// Number of pages in the pool.
  int NumBuffers() const { return static_cast<int>(FStgPool.size()); }
  int AllocRowsBy() const { return FAllocRowsBy; }
  /// Row allocation step (below 1 counts as 1).
  void SetAllocRowsBy(int n);
  /// Fires OnChange.
  void Changed();

  // -- persistence (element "stringarray"; see the format in Qelta_dstruct_xml.cpp)
  /// Reads the next "stringarray" element (with id DataID, ignoring case; any when empty) from a
  /// text file open for reading; false (table unchanged) when none follows or it is malformed.
  /// Input errors of the file pass (EInOutError).
  bool ReadFromOpenXMLFile(TextFile& f, const String& DataID);
  /// ReadFromOpenXMLFile on the named file; false also when it cannot be read.
  bool LoadFromXMLFile(const String& FName, const String& DataID);
  /// Writes the table as one "stringarray" element (rows in view order) to a text file open
  /// for writing, after an XML declaration when CreateHeader. Output errors pass (EInOutError).
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const;
  /// Writes the named file with the declaration and the element; false when it cannot be written (the old
  /// file then kept).
  bool SaveAsXMLFile(const String& FName, const String& DataID) const;

  // -- events
  TNotifyEvent OnChange;
  TBeforeSortExchgEvent OnBeforeSortExchange;
  TOnPercentDoneEvent OnPercentDone;

 private:
  friend struct TStringArrayProbe;  // tests look at cell words and page filling
  using TStringPool = std::array<uint8_t, PageSize>;

  uint32_t& Word(int col, int phys) { return FPoiArray[size_t(col)][size_t(phys)]; }
  uint32_t Word(int col, int phys) const { return FPoiArray[size_t(col)][size_t(phys)]; }
  std::string_view Text(uint32_t word) const;
  std::string_view CellText(int col, int row) const;
  bool ValidCell(int col, int row) const { return col >= 0 && col <= FNCol && row >= 1 && row <= FNRow; }
  void StoreText(uint32_t& word, std::string_view text);
  uint32_t PlaceText(std::string_view text);
  int FirstPageWithRoom(int L) const;
  void AppendPage();
  void SetPageFree(int page, int firstFree);
  void SetTreeRoom(size_t page, int room);
  void ResetPool();
  void IdentitySortIx();
  /// Makes the sort index a permutation again: repeated entries take the unshown rows, rising.
  void CompleteSortIx();
  bool Reallocate(int Nc, int Nr);
  void EmptyPhysRows(int from, int to);
  bool FindCellIntern(std::string_view FindStr, bool MatchCase, int ColLow, int ColHigh, int RowLow, int RowHigh,
                      int& Col, int& Row, bool Exact) const;
  std::vector<AnsiString> SortKeys(int col);
  void ReportPercent(int64_t done, int64_t expected);
  void TakeContents(TStringArray& other);
  /// Builds the table of an element of `chars` characters that was read and takes it; false (unchanged)
  /// when its size needs more storage than such an element can fill (core_detail::StorageFitsInput) or
  /// without memory.
  bool TakeXmlChildren(int cols, int rows, const std::vector<core_detail::TStringArrayChild>& children, int64_t chars);

  int FNCol = 1;
  int FNRow = 1;
  int FAllocRowsBy = 10;
  int FRAllocated = 10;
  std::vector<int> FFirstFree;                  // per page, 1-based offset
  std::vector<int> FRoomTree;                   // max room of the pages but the last, for the first page with room
  std::vector<std::vector<uint32_t>> FPoiArray; // [col 0..FNCol][phys row 0..FRAllocated], slot 0 unused
  std::vector<int> FSortIx;                     // [view 0..FRAllocated] -> phys row, slot 0 unused
  std::vector<std::unique_ptr<TStringPool>> FStgPool;
  std::vector<uint8_t> FRowAttrib;              // [phys row 0..FRAllocated], slot 0 unused
  std::vector<uint8_t> FColAttrib;              // [col - 1]
};

// ----------------------------------------- end of section: string array

// ============================================================================================
// [SECTION] Associative array                      (Qelta_dstruct_assoc.cpp, _xml.cpp)
// ============================================================================================

/// Maps text keys to variant values: an unsorted list in entry order whose searches answer the
/// first matching entry from the front, found through a hash index of the keys (constant time, so
/// loading n entries is linear), for dictionaries such as settings read from attribute lists.
/// Entries are numbered 1..NumEntries. With IgnoreCase (default) keys added by Add are stored lower-cased
/// and compared ignoring the case of A-Z; otherwise exactly. Both arrays grow to the count +
/// Granularity places when full. Failure: EQeltaDStructError on allocation.
class TAssocArray : public TComponent {
 public:
  /// No entries, 1024 places, IgnoreCase, empty DataID.
  explicit TAssocArray(TComponent* AOwner);

  /// Replaces the value of an existing key, else appends the entry (key lower-cased under IgnoreCase).
  void Add(const String& key, const Variant& value);
  /// The value of key; Null when absent.
  Variant Resolve(const String& key) const;
  /// The value as text; "" when absent or Null.
  String ResolveAsString(const String& key) const;
  /// The value as a number: numeric types converted; texts (8- and 16-bit) scanned as
  /// ScanFPNum does (exponent allowed, '.' or ','); 0 when absent, Null or of another type.
  Extended ResolveAsNumber(const String& key) const;
  /// Removes the entry; the last entry takes its place. False when absent.
  bool Remove(const String& key);
  /// No entries; both arrays back to Granularity places.
  void Clear();

  int NumEntries() const { return FNEntries; }
  /// Key of entry i (1..NumEntries); "" outside.
  String GetKeys(int i) const;
  /// Sets key i as given (not lower-cased); nothing outside.
  void SetKeys(int i, const String& key);
  /// Value of entry i; a variant holding "" outside.
  Variant GetValues(int i) const;
  /// Sets value i; nothing outside.
  void SetValues(int i, const Variant& value);

  int Granularity() const { return FGranularity; }
  /// Growth step (0 or less is stored as 1).
  void SetGranularity(int n) { FGranularity = n < 1 ? 1 : n; }
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool value);
  const String& DataID() const { return FDataID; }
  void SetDataID(const String& value) { FDataID = value; }

  // -- persistence (element "assocarray"; see the format in Qelta_dstruct_xml.cpp)
  /// Reads the next "assocarray" element (with id DataID, ignoring case; any when empty) from
  /// the stream's position: the entries replace the present ones (added through Add) and
  /// DataID takes the element's id. False (nothing changed) when none follows or it is malformed.
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);
  /// Writes the entries as one "assocarray" element, after an XML declaration when CreateHeader.
  /// The stream's write errors pass.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const;
  /// Adds every name=value pair of an attribute text (values quoted or bare, character
  /// references decoded) as a text value; stops at the first malformed pair.
  void AddXMLAttributes(const String& Attributes);

 private:
  friend struct TAssocArrayProbe;  // tests look at the allocated places
  int Find(const String& key) const { return Find(key, KeyHash(key)); }
  /// The first entry of key, whose KeyHash is hash; -1 when absent.
  int Find(const String& key, uint32_t hash) const;
  /// Add of a key whose KeyHash is hash.
  void AddHashed(const String& key, uint32_t hash, const Variant& value);
  /// The key's KeyHash, with the index's place for it fetched from memory ahead of a search (a reader of many
  /// entries adds each while it reads the next, so that the search does not wait for memory).
  uint32_t PrefetchKey(const String& key) const;
  /// Takes the entries and the index of from (which gets these).
  void TakeEntries(TAssocArray& from);
  void Grow();
  /// A hash of the key as the index compares it (A-Z folded under IgnoreCase).
  uint32_t KeyHash(const String& key) const;
  /// True when the keys are equal as the index compares them.
  bool SameKey(const String& a, const String& b) const;
  void IndexAdd(int i) const { IndexAdd(i, KeyHash(FKeyArray[std::size_t(i)])); }
  /// Enters entry i, whose key has the KeyHash hash, in the index.
  void IndexAdd(int i, uint32_t hash) const;
  void IndexRemove(int i) const;
  /// The index of all entries, in a table of `slots` places (a power of two).
  void Reindex(std::size_t slots) const;
  /// Moves the table to `slots` places, keeping the entries it holds.
  void Rehash(std::size_t slots) const;
  /// Room for `entries` entries in the arrays and the index without moving them (places unchanged).
  void ReserveFor(std::size_t entries);

  int FNEntries = 0;
  std::vector<Variant> FDataArray;
  std::vector<String> FKeyArray;
  int FGranularity = 1024;
  bool FIgnoreCase = true;
  String FDataID;
  /// A place of the index: an entry number (-1 for an empty place) and the KeyHash of its key.
  struct TSlot {
    int Entry = -1;
    uint32_t Hash = 0;
  };
  /// The index: open addressing with linear probing, at most half full, over the entries by KeyHash (equal
  /// keys each have their place). Built on the first search after IgnoreCase changed or the arrays were
  /// replaced, kept up to date otherwise.
  mutable std::vector<TSlot> FSlots;
  mutable std::size_t FIndexCount = 0;  ///< entries in FSlots
  mutable bool FIndexed = false;
};

// ----------------------------------------- end of section: associative array

}  // namespace qelta

QELTA_PUBLIC_END
