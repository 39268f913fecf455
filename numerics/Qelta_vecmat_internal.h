#pragma once
// Not part of the public interface: what the sources of Qelta_vector and Qelta_matrix share.
// Messages of the component form; the range rules; the comb-sort gap; the fingerprint lanes; the
// bulk algorithms that TMatrix and the dense TIntMatrix run alike on their dense store (declared
// with the shared body in Qelta_matrix.h, which the installed headers need); number text and tokens of the file formats; element images of
// the stream forms; line sinks of the writers.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "Classes.h"
#include "Math.h"
#include "Qelta_dstruct.h"
#include "Qelta_dstruct_digest_internal.h"
#include "Qelta_math1.h"
#include "Qelta_matrix.h"
#include "Qelta_streams.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Types.h"
#include "Visibility.h"

namespace qelta::num_detail {

// [SECTION] messages and allocation

QELTA_PUBLIC_BEGIN  // the charts raise their errors through it too
/// "Component \"<Name>\": <rest>".
String ComponentText(const TComponent& c, const String& rest);
QELTA_PUBLIC_END
/// "not enough memory on heap for <cols> x <rows> cells": the message of a size that does not fit.
String NoRoomFor(int64_t cols, int64_t rows);

/// True when a loader may make `cells` cells of `cellBytes` each for what `inputBytes` bytes of its input
/// declare: what the input can fill plus a small allowance for the cells it leaves out (the rule of
/// Qelta_readbound_internal.h; the cell a dimension of 0 keeps allocated counts).
bool CellsFitInput(int64_t cells, std::size_t cellBytes, int64_t inputBytes);

/// Runs fn; turns an allocation failure into E with the component's message `rest`.
template <typename E, typename Fn>
void GuardAlloc(const TComponent& c, const String& rest, Fn&& fn) {
  try {
    fn();
  } catch (const std::bad_alloc&) {
    throw E(ComponentText(c, rest));
  } catch (const std::length_error&) {
    throw E(ComponentText(c, rest));
  }
}

// [SECTION] ranges

/// The container rule: (0, 0) is 1..count; else each bound raised to 1, lowered to count, ordered.
void MakeValidRange(int count, int& lo, int& hi);
/// The copy-source rule: each bound raised to 1, lowered to count, ordered ((0, 0) gives 1..1).
void ClampSourceRange(int count, int& lo, int& hi);
/// True when lo..hi is a non-empty range of existing positions 1..count.
inline bool RangeHolds(int count, int lo, int hi) { return lo >= 1 && lo <= hi && hi <= count; }
/// Clamps v to lo..hi (lo <= hi).
inline int ClampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
/// a + b - c as int64 (index arithmetic that must not overflow).
inline int64_t Shifted(int64_t a, int64_t b, int64_t c) { return a + b - c; }

// [SECTION] comb sort

/// Next comb-sort gap: Trunc(gap / 1.3) in extended precision, at least 1.
inline int64_t NextCombGap(int64_t gap) {
  const int64_t g = Trunc(static_cast<Extended>(gap) / 1.3L);
  return g < 1 ? 1 : g;
}

// [SECTION] fingerprint lanes

/// Parallel CRC-32 registers, one per byte position of a Lanes-byte element (least significant
/// byte into register 0), each driven by CalcNextCRC32 from $FFFFFFFF. The bytes of each lane are
/// gathered in blocks and run through the block routine of the CRC (one call per lane and block,
/// the same registers as one CalcNextCRC32 per byte).
template <int Lanes>
class TCrcLanes {
 public:
  TCrcLanes() { std::fill(FReg, FReg + Lanes, 0xFFFFFFFFu); }
  /// Feeds the Lanes low bytes of bits.
  void Feed(uint64_t bits) {
    for (int k = 0; k < Lanes; ++k) FBlock[k][FUsed] = static_cast<uint8_t>(bits >> (8 * k));
    if (++FUsed == kBlock) Flush();
  }
  /// Feeds one byte into register k (0..Lanes - 1) alone, after what is still gathered.
  void FeedLane(int k, uint8_t b) {
    Flush();
    FReg[k] = CalcNextCRC32(b, FReg[k]);
  }
  /// Complemented registers as 8 upper-case hexadecimal digits each, register 0 first (takes in
  /// what is still gathered).
  String Text() {
    Flush();
    String s;
    for (int k = 0; k < Lanes; ++k) s += Hex(static_cast<int>(~FReg[k]), 8);
    return s;
  }

 private:
  static constexpr std::size_t kBlock = 512;

  void Flush() {
    for (int k = 0; k < Lanes; ++k) FReg[k] = core_detail::Crc32Update(FReg[k], FBlock[k], FUsed);
    FUsed = 0;
  }

  uint32_t FReg[Lanes];
  uint8_t FBlock[Lanes][kBlock];
  std::size_t FUsed = 0;
};

inline uint64_t BitsOf(double v) { return std::bit_cast<uint64_t>(v); }
inline uint64_t BitsOf(int32_t v) { return static_cast<uint32_t>(v); }

template <typename T>
using TCrcOf = TCrcLanes<static_cast<int>(sizeof(T))>;

// [SECTION] element arithmetic (integers wrap like the 32-bit registers they model)

inline double AddElem(double a, double b) { return a + b; }
inline int32_t AddElem(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline double SubElem(double a, double b) { return a - b; }
inline int32_t SubElem(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline double MulElem(double a, double b) { return a * b; }
inline int32_t MulElem(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
/// |a - b| without overflow.
inline double DistElem(double a, double b) { return std::fabs(a - b); }
inline int64_t DistElem(int32_t a, int32_t b) {
  const int64_t d = static_cast<int64_t>(a) - b;
  return d < 0 ? -d : d;
}
/// Distance larger than any the element type produces (the searches start from it).
template <typename T>
constexpr auto FarDistance() {
  if constexpr (std::is_same_v<T, double>)
    return 1.7e308;
  else
    return std::numeric_limits<int64_t>::max();
}

// [SECTION] dense algorithms (nc, nr: the reported dimensions; ranges already valid)

template <typename T>
void DenseMirrorColumns(TDenseStore<T>& m, int nc, int nr) {
  for (int a = 1, b = nc; a < b; ++a, --b) std::swap_ranges(m.Col(a), m.Col(a) + nr, m.Col(b));
}

template <typename T>
void DenseMirrorRows(TDenseStore<T>& m, int nc, int nr) {
  for (int c = 1; c <= nc; ++c) std::reverse(m.Col(c), m.Col(c) + nr);
}

template <typename T>
void DenseExchangeRows(TDenseStore<T>& m, int c1, int c2, int r1, int r2) {
  for (int c = c1; c <= c2; ++c) std::swap(m.At(c, r1), m.At(c, r2));
}

/// Swaps the first nr cells of columns c1 and c2 (nothing when they are the same column).
template <typename T>
void DenseExchangeColumns(TDenseStore<T>& m, int c1, int c2, int nr) {
  if (c1 != c2) std::swap_ranges(m.Col(c1), m.Col(c1) + nr, m.Col(c2));
}

/// Comb sort of rows lowRow..highRow by column keyCol; an exchange swaps columns lowCol..highCol
/// and the key column, then calls onExchange(i, i + gap). A handler that reshapes the store ends
/// the sort (nothing of the old block is used after the call).
template <typename T, typename OnExchange>
void DenseSortRows(TDenseStore<T>& m, int keyCol, bool ascending, int lowCol, int lowRow, int highCol, int highRow,
                   OnExchange&& onExchange) {
  int64_t gap = static_cast<int64_t>(highRow) - lowRow;
  if (gap <= 0) return;
  const bool keyOutside = keyCol < lowCol || keyCol > highCol;
  const T* key = m.Col(keyCol) - 1;  // key[r] is cell (keyCol, r)
  const int cols = m.Cols(), rows = m.Rows();
  bool swapped = false;
  do {
    gap = NextCombGap(gap);
    swapped = false;
    for (int64_t i = lowRow; i + gap <= highRow; ++i) {
      const int a = static_cast<int>(i), b = static_cast<int>(i + gap);
      if (ascending ? !(key[a] > key[b]) : !(key[a] < key[b])) continue;
      DenseExchangeRows(m, lowCol, highCol, a, b);
      if (keyOutside) std::swap(m.At(keyCol, a), m.At(keyCol, b));
      swapped = true;
      onExchange(a, b);
      if (m.Cols() != cols || m.Rows() != rows) return;
      key = m.Col(keyCol) - 1;
    }
  } while (gap > 1 || swapped);
}

/// Comb sort of columns lowCol..highCol by row keyRow; an exchange swaps rows lowRow..highRow
/// and the key row of the two columns, then calls onExchange(i, i + gap). A handler that reshapes
/// the store ends the sort.
template <typename T, typename OnExchange>
void DenseSortCols(TDenseStore<T>& m, int keyRow, bool ascending, int lowCol, int lowRow, int highCol, int highRow,
                   OnExchange&& onExchange) {
  int64_t gap = static_cast<int64_t>(highCol) - lowCol;
  if (gap <= 0) return;
  const bool keyOutside = keyRow < lowRow || keyRow > highRow;
  const int cols = m.Cols(), rows = m.Rows();
  bool swapped = false;
  do {
    gap = NextCombGap(gap);
    swapped = false;
    for (int64_t i = lowCol; i + gap <= highCol; ++i) {
      const int a = static_cast<int>(i), b = static_cast<int>(i + gap);
      const T ka = m.At(a, keyRow), kb = m.At(b, keyRow);
      if (ascending ? !(ka > kb) : !(ka < kb)) continue;
      std::swap_ranges(m.Col(a) + (lowRow - 1), m.Col(a) + highRow, m.Col(b) + (lowRow - 1));
      if (keyOutside) std::swap(m.At(a, keyRow), m.At(b, keyRow));
      swapped = true;
      onExchange(a, b);
      if (m.Cols() != cols || m.Rows() != rows) return;
    }
  } while (gap > 1 || swapped);
}

/// Smallest and largest of runs of values, seeded from the first comparable value; NaN values are
/// passed over.
template <typename T>
struct TExtremes {
  bool Seeded = false;
  T Min{};
  T Max{};
  void Run(const T* p, int64_t n) {
    for (int64_t i = 0; i < n; ++i) {
      const T v = p[i];
      if (v != v) continue;  // NaN
      if (!Seeded) {
        Min = Max = v;
        Seeded = true;
      } else if (v < Min) {
        Min = v;
      } else if (v > Max) {
        Max = v;
      }
    }
  }
  /// Hands the extremes out when a value compared; answers Seeded.
  bool Give(T& mn, T& mx) const {
    if (Seeded) {
      mn = Min;
      mx = Max;
    }
    return Seeded;
  }
};

/// Smallest and largest cell of a non-empty range (TExtremes). Answers false (outputs untouched)
/// when no cell compares.
template <typename T>
bool DenseMinMax(const TDenseStore<T>& m, int lc, int lr, int hc, int hr, T& mn, T& mx) {
  TExtremes<T> e;
  for (int c = lc; c <= hc; ++c) e.Run(m.Col(c) + (lr - 1), hr - lr + 1);
  return e.Give(mn, mx);
}

/// Nearest cell to value in a range: columns outside, rows inside, first of equal distances;
/// ColIx, RowIx stay as given when no distance is below FarDistance.
template <typename T>
void DenseFind(const TDenseStore<T>& m, int lc, int hc, int lr, int hr, T value, int& ColIx, int& RowIx) {
  auto best = FarDistance<T>();
  for (int c = lc; c <= hc; ++c) {
    const T* col = m.Col(c);
    for (int r = lr; r <= hr; ++r) {
      const auto d = DistElem(col[r - 1], value);
      if (d < best) {
        best = d;
        ColIx = c;
        RowIx = r;
      }
    }
  }
}

/// Sum of a range (integers wrap).
template <typename T>
T DenseSum(const TDenseStore<T>& m, int lc, int lr, int hc, int hr) {
  T sum{};
  for (int c = lc; c <= hc; ++c) {
    const T* col = m.Col(c);
    for (int r = lr; r <= hr; ++r) sum = AddElem(sum, col[r - 1]);
  }
  return sum;
}

/// Sum of the diagonal cells 1..n (integers wrap).
template <typename T>
T DenseTrace(const TDenseStore<T>& m, int n) {
  T sum{};
  for (int i = 1; i <= n; ++i) sum = AddElem(sum, m.At(i, i));
  return sum;
}

/// VecRes := transpose(A) x VecB for an A of nc columns and nr rows read by get(col, row): false
/// (nothing written) for nil vectors or sizes other than nr (VecB) and nc (VecRes). VecB is read
/// first (it may be VecRes); with a handler on VecRes every partial sum is written through SetVal,
/// else each element once.
template <typename T, typename V, typename Get>
bool TransposeTimesVector(int nc, int nr, Get&& get, const V* VecB, V* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || VecB->NrOfElem() != nr || VecRes->NrOfElem() != nc) return false;
  std::vector<T> b(static_cast<std::size_t>(nr));
  for (int j = 1; j <= nr; ++j) b[static_cast<std::size_t>(j - 1)] = VecB->GetVal(j);
  const bool everyTerm = static_cast<bool>(VecRes->OnChange);
  for (int i = 1; i <= nc; ++i) {
    T sum{};
    for (int j = 1; j <= nr; ++j) {
      sum = AddElem(sum, MulElem(get(i, j), b[static_cast<std::size_t>(j - 1)]));
      if (everyTerm) VecRes->SetVal(i, sum);
    }
    if (!everyTerm) VecRes->SetVal(i, sum);
  }
  return true;
}

/// Binary search over positions 1..n (n >= 1) of values get(i) sorted by `ascending`: an exact
/// hit, else the nearer of the last two candidates (the upper one on a tie).
template <typename T, typename Get>
int SortedSearch(int n, bool ascending, T value, Get&& get) {
  int lo = 1, hi = n;
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    const T v = get(mid);
    if (v == value) return mid;
    if ((value > v) == ascending)
      lo = mid;
    else
      hi = mid;
  }
  return DistElem(get(lo), value) < DistElem(get(hi), value) ? lo : hi;
}

/// SortedSearch over a contiguous column of nr cells.
template <typename T>
int DenseFindInSortedColumn(const T* col, int nr, bool ascending, T value) {
  return SortedSearch(nr, ascending, value, [col](int i) { return col[i - 1]; });
}

/// Fingerprint of the cells 1..nc x 1..nr, column by column.
template <typename T>
String DenseCRC(const TDenseStore<T>& m, int nc, int nr) {
  TCrcOf<T> lanes;
  for (int c = 1; c <= nc; ++c) {
    const T* col = m.Col(c);
    for (int r = 0; r < nr; ++r) lanes.Feed(BitsOf(col[r]));
  }
  return lanes.Text();
}

// [SECTION] number text and tokens of the file formats

/// Number text of the matrix files: decimals >= 0 gives fixed notation with that many decimals;
/// otherwise the general form with `significant` digits (1..18; 0 or less: 17, which reads back
/// exactly). The point is always '.'; NaN and infinities are "NAN", "INF" and "-INF".
String FileNumText(double v, int significant, int decimals);
/// Number text that reads back bit for bit: 17 significant digits, "-0" for a negative zero, and
/// "NAN", "INF", "-INF".
String ExactNumText(double v);
/// A decimal integer token (Val rules, 32 bits); false on anything else.
bool ParseIntegerToken(const String& s, int32_t& v);
/// The shortest general text (FileNumText's form, 1 to 17 significant digits) that reads back to
/// exactly v; "NAN", "INF" and "-INF" as FileNumText.
String ShortestNumText(double v);
/// A number token (Val rules, or NAN / INF / -INF in any case); false on anything else.
bool ParseDoubleToken(const String& s, double& v);
/// A number token rounded to the nearest integer (halves to even); false when unreadable or
/// outside the 32-bit range.
bool ParseRoundedIntToken(const String& s, int32_t& v);
inline bool ParseElemToken(const String& s, double& v) { return ParseDoubleToken(s, v); }
inline bool ParseElemToken(const String& s, int32_t& v) { return ParseRoundedIntToken(s, v); }
/// Appends the numbers of a list separated by blanks or control characters to out (ParseElemToken
/// rules); false at the first unreadable one.
template <typename T>
bool ParseNumberList(const String& text, std::vector<T>& out) {
  T v{};
  for (std::size_t pos = 0; pos < text.size();) {
    while (pos < text.size() && text[pos] <= u' ') ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] > u' ') ++pos;
    if (pos == start) break;
    if (!ParseElemToken(text.substr(start, pos - start), v)) return false;
    out.push_back(v);
  }
  return true;
}

/// The lines of a block of 8-bit text (CR LF, LF or a lone CR end a line), each split into its
/// white-space separated tokens (every byte up to 32 separates); lines that hold no token are
/// passed over.
class TLineTokens {
 public:
  TLineTokens(const uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
  /// Tokens of the next line that holds any; false at the end of the text.
  bool Next(std::vector<String>& tokens);
  /// Number (from 1) of the line Next answered last.
  int64_t Line() const { return FLine; }
  /// Bytes not yet read.
  std::size_t Remaining() const { return FSize - FPos; }

 private:
  const uint8_t* FData;
  std::size_t FSize;
  std::size_t FPos = 0;
  int64_t FLine = 0;
};

// [SECTION] reasons of the loaders

/// Stores the reason a load failed in `why` and answers false.
inline bool Refuse(String& why, const String& reason) {
  why = reason;
  return false;
}
/// "\"name\": " in front of a reason that concerns a file.
String InFile(const String& name, const String& reason);
/// The token as it stands in a reason: quoted, cut to 20 characters.
String Quoted(const String& token);

/// The whole file as bytes; false when it cannot be opened or read.
bool ReadFileBytes(const String& name, std::vector<uint8_t>& bytes);
/// Writes the whole block as the file (SaveWholeFile: a failure keeps the old file); false on any failure.
bool WriteFileBytes(const String& name, const std::vector<uint8_t>& bytes);

// [SECTION] binary images

/// Little-endian byte writer of the binary formats.
class TByteImage {
 public:
  void U32(uint32_t v) {
    uint8_t b[4];
    for (int k = 0; k < 4; ++k) b[k] = static_cast<uint8_t>(v >> (8 * k));
    Raw(b, 4);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F64(double v) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    uint8_t b[8];
    for (int k = 0; k < 8; ++k) b[k] = static_cast<uint8_t>(bits >> (8 * k));
    Raw(b, 8);
  }
  void Ext(Extended v) {
    uint8_t img[10];
    ExtendedToBytes(v, img);
    Raw(img, 10);
  }
  void Raw(const void* p, std::size_t n) {
    if (n == 0) return;
    const std::size_t at = Bytes.size();
    Bytes.resize(at + n);
    std::memcpy(Bytes.data() + at, p, n);
  }
  std::vector<uint8_t> Bytes;
};

/// Little-endian reader over a byte block; every read answers false past the end.
class TByteCursor {
 public:
  TByteCursor(const uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
  bool U32(uint32_t& v) {
    if (FSize - FPos < 4) return false;
    v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(FData[FPos + k]) << (8 * k);
    FPos += 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool F64(double& v) {
    if (FSize - FPos < 8) return false;
    uint64_t b = 0;
    for (int k = 0; k < 8; ++k) b |= static_cast<uint64_t>(FData[FPos + k]) << (8 * k);
    v = std::bit_cast<double>(b);
    FPos += 8;
    return true;
  }
  bool Skip(std::size_t n) {
    if (FSize - FPos < n) return false;
    FPos += n;
    return true;
  }
  const uint8_t* Here() const { return FData + FPos; }
  std::size_t Pos() const { return FPos; }
  std::size_t Remaining() const { return FSize - FPos; }

 private:
  const uint8_t* FData;
  std::size_t FSize;
  std::size_t FPos = 0;
};

/// CRC-32 (start $FFFFFFFF, complemented) of a byte block, by CalcNextCRC32.
uint32_t BlockCRC32(const uint8_t* data, std::size_t size);

// [SECTION] stream headers of the vector and matrix stream formats

/// Reads an index written as an 80-bit extended value: true when it is a finite integer in
/// 0..2147483647 (then in v); false after a short read or for any other value.
bool ReadExtIndex(TStream& s, int& v);
/// Reads an index written as a 32-bit integer: true when it lies in 0..2147483647.
bool ReadIntIndex(TStream& s, int& v);
/// Bytes from the position to the end of the stream (0 when the size is unknown or smaller).
int64_t StreamRemaining(TStream& s);

// [SECTION] element images of the stream forms (double: 10-byte extended; int32_t: 4 bytes)

/// Bytes of one element image; the argument only picks the type.
constexpr int ImageSize(double) { return 10; }
constexpr int ImageSize(int32_t) { return 4; }
inline void PutImage(TByteImage& img, double v) { img.Ext(v); }
inline void PutImage(TByteImage& img, int32_t v) { img.I32(v); }
/// An index of the stream header, written in the element's image.
inline void PutIndex(TByteImage& img, double, int i) { img.Ext(i); }
inline void PutIndex(TByteImage& img, int32_t, int i) { img.I32(i); }
inline bool ReadIndex(TStream& s, double, int& i) { return ReadExtIndex(s, i); }
inline bool ReadIndex(TStream& s, int32_t, int& i) { return ReadIntIndex(s, i); }
/// The element whose image starts at p.
inline double GetImage(const uint8_t* p, double) { return static_cast<double>(BytesToExtended(p)); }
inline int32_t GetImage(const uint8_t* p, int32_t) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// [SECTION] lines of the text writers (the readers take theirs through TTagReader)

/// Where a writer's lines go; errors of the medium pass.
class TLineSink {
 public:
  virtual ~TLineSink() = default;
  virtual void Line(const String& s) = 0;
};

class TTextFileSink final : public TLineSink {
 public:
  explicit TTextFileSink(TextFile& f) : FFile(f) {}
  void Line(const String& s) override { WriteLn(FFile, s); }

 private:
  TextFile& FFile;
};

class TStreamSink final : public TLineSink {
 public:
  explicit TStreamSink(TStream& s) : FStream(s) {}
  void Line(const String& s) override;

 private:
  TStream& FStream;
};

// [SECTION] the matrix XML element

/// One "cells" element: values of row Row from column Col on (of layer Layer and time slot TimeSlot
/// in the arrays of three and four dimensions).
template <typename T>
struct TXmlRun {
  int Row = 0;
  int Col = 1;
  int Layer = 1;
  int TimeSlot = 1;
  std::vector<T> Values;
};

/// What a matrix element held.
template <typename T>
struct TXmlMatrix {
  String Id;             ///< id attribute as written
  bool SparseForm = false;
  int NCols = -1;        ///< -1: not given
  int NRows = -1;
  int NLayers = -1;      ///< -1: not given (one layer)
  int NTimeSlots = -1;   ///< -1: not given (one time slot)
  int64_t Listed = 0;    ///< number of values in all runs
  int64_t Chars = 0;     ///< characters of the element as read, from its start line (TTagReader::CharsRead)
  std::vector<TXmlRun<T>> Runs;
};

/// Writes the element: optional declaration, an empty line, the comment naming className, the
/// root with sig, vers and id (and form="sparse" when sparse), numcols, numrows, then the rows
/// that `rows` writes through the sink.
void WriteXmlMatrix(TLineSink& out, const char16_t* className, bool createHeader, const String& id, bool sparse,
                    int nc, int nr, const std::function<void(TLineSink&)>& rows);
/// One "cells" line; `place` adds attributes after col (such as layer="2").
String XmlCellsLine(int row, int col, const String& values, const String& place = String());

/// Saves FName as a text file that `write` fills (RewriteReplacing: a failure keeps the old file); false
/// on any file error.
bool SaveXmlFile(const String& FName, const std::function<void(TextFile&)>& write);
/// Opens FName for reading and answers what `read` answers; false when it cannot be read (the
/// platform's message in `why` when given).
bool LoadXmlFile(const String& FName, const std::function<bool(TextFile&)>& read, String* why = nullptr);

/// Reads lines up to the start line of an element: one holding "<" + root and "qeltakit" (A-Z case
/// ignored) whose id attribute, trimmed, equals `id` ignoring the case of A-Z (any id when `id` is
/// empty); false at the end of the input.
bool FindXmlStartLine(TTagReader& in, const char16_t* root, const String& id, String& line);
/// Reads the next element whose id matches `id` (any when empty, case of A-Z ignored) of an array
/// of `dims` dimensions (2..4: layer and time-slot counts above 1 need 3 and 4); false with the
/// reason in `why` when none is found or the element is malformed (unreadable number, bad index,
/// end before its close).
template <typename T>
bool ReadXmlMatrix(TTagReader& in, const String& id, TXmlMatrix<T>& out, String& why, int dims = 2);

// [SECTION] text and stream forms of the matrices

/// What the matrix loaders need of their target.
template <typename T>
struct TMatrixPort {
  std::function<int()> Cols;
  std::function<int()> Rows;
  std::function<void(int, int)> Resize;      ///< may raise the unit's error (then the load is false)
  std::function<void(int, int, T)> Put;       ///< stores a cell without event
  std::function<void()> Changed;
};

/// The range a writer records: made valid; an empty dimension becomes 1..0.
void WriterRange(int count, int& lo, int& hi);
/// Text form: "lc lr hc hr", then one line per row lr..hr with the cells of lc..hc separated by
/// one blank; false when the file cannot be created or written (the old file then kept).
bool StoreMatrixText(const String& FileName, int lc, int lr, int hc, int hr,
                     const std::function<String(int, int)>& text);
/// Reads the text form into the target (rules of TMatrix.LoadFromFile): the whole file is checked
/// before the target changes; false with the reason in `why` otherwise.
template <typename T>
bool LoadMatrixText(const String& FileName, bool adjust, const TMatrixPort<T>& m, String& why);
/// Stream form: lc, lr, hc, hr and the cells column by column, each as T's image (double: the
/// 10-byte extended image; int32_t: 4 bytes); false when the stream refused bytes.
template <typename T>
bool SaveMatrixStream(TStream& s, int lc, int lr, int hc, int hr, const std::function<T(int, int)>& cell);
/// Reads the stream form into the target (rules of TMatrix.LoadFromStream); the whole block is
/// read before the target changes; false with the reason in `why` otherwise.
template <typename T>
bool LoadMatrixStream(TStream* s, bool adjust, const TMatrixPort<T>& m, String& why);

extern template bool LoadMatrixText<double>(const String&, bool, const TMatrixPort<double>&, String&);
extern template bool LoadMatrixText<int32_t>(const String&, bool, const TMatrixPort<int32_t>&, String&);
extern template bool SaveMatrixStream<double>(TStream&, int, int, int, int, const std::function<double(int, int)>&);
extern template bool SaveMatrixStream<int32_t>(TStream&, int, int, int, int, const std::function<int32_t(int, int)>&);
extern template bool LoadMatrixStream<double>(TStream*, bool, const TMatrixPort<double>&, String&);
extern template bool LoadMatrixStream<int32_t>(TStream*, bool, const TMatrixPort<int32_t>&, String&);

extern template bool ReadXmlMatrix<double>(TTagReader&, const String&, TXmlMatrix<double>&, String&, int);
extern template bool ReadXmlMatrix<int32_t>(TTagReader&, const String&, TXmlMatrix<int32_t>&, String&, int);

}  // namespace qelta::num_detail
