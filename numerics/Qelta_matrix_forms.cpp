// Qelta_matrix: the text and binary stream forms that TMatrix and TIntMatrix share.
//
// Text form (one byte per character, lines end CR LF):
//   line 1: "LoC LoR HiC HiR" in decimal, one blank between
//   then one line per row LoR..HiR: the cells of columns LoC..HiC separated by one blank
// Stream form (little-endian, from the stream's position): LoC, LoR, HiC, HiR, then the cells of
// the range column by column (rows inside); TMatrix writes every number as a 10-byte x87
// extended image, TIntMatrix as a 4-byte signed integer.
// An empty dimension is recorded as the range 1..0 (no cells).
// Readers take all or nothing: the whole input is read and checked before the matrix changes, and
// any fault answers false with the matrix unchanged (no event) and the reason in LastLoadError.
// The header must hold each range as lo..hi with 1 <= lo <= hi or the empty 1..0, the cells it
// announces must fit into the bytes that follow (a text number takes a separator and a digit at
// least), and a resizing read allocates no more than the input can fill plus a small allowance
// (CellsFitInput). The text form keeps its lines: each row is one line with exactly HiC - LoC + 1 numbers,
// and no further line follows the last row (lines of blanks are passed over anywhere). Then
// AdjustMatrixSize resizes to (HiC, HiR); a matrix that is still too small answers false.

#include <algorithm>

#include "Qelta_matrix.h"
#include "Qelta_streams.h"
#include "Qelta_vecmat_internal.h"
#include "SysUtils.h"

namespace qelta::num_detail {
namespace {

// The header lc, lr, hc, hr is plausible for the `remaining` bytes behind it, of `header` bytes; count
// answers the cells it lists.
template <typename T>
bool HeaderFits(const int (&b)[4], int64_t header, int64_t remaining, int bytesPerCell, bool adjust, int64_t& count) {
  for (int d = 0; d < 2; ++d)  // lo <= hi, or the empty range 1..0
    if (b[d] < 1 || (b[d + 2] < b[d] && !(b[d] == 1 && b[d + 2] == 0))) return false;
  count = (static_cast<int64_t>(b[2]) - b[0] + 1) * (static_cast<int64_t>(b[3]) - b[1] + 1);
  if (count > remaining / bytesPerCell) return false;
  // The storage holds max(HiC, 1) x max(HiR, 1) cells (the empty range 1..0 of one dimension
  // still allocates a cell across the other, which a header of 0 rows and 16 million columns used).
  const int64_t cells = static_cast<int64_t>(std::max(b[2], 1)) * std::max(b[3], 1);
  return !adjust || CellsFitInput(cells, sizeof(T), header + count * bytesPerCell);
}

// Resizes when asked; true when the matrix then holds the range (else the reason in why).
template <typename T>
bool PrepareTarget(const TMatrixPort<T>& m, bool adjust, int hc, int hr, String& why) {
  try {
    if (adjust) m.Resize(hc, hr);
  } catch (const EQeltaError&) {
    return Refuse(why, u"not enough memory for " + IntToStr(hc) + u" x " + IntToStr(hr) + u" cells");
  }
  if (m.Cols() >= hc && m.Rows() >= hr) return true;
  return Refuse(why, u"the cells reach (" + IntToStr(hc) + u", " + IntToStr(hr) + u") of a " + IntToStr(m.Cols()) +
                         u" x " + IntToStr(m.Rows()) + u" matrix");
}

// Writes the cells of the range lc..hc x lr..hr (row by row in `cells`) and fires OnChange once.
template <typename T>
void PutRows(const TMatrixPort<T>& m, const int (&b)[4], const std::vector<T>& cells) {
  std::size_t k = 0;
  for (int r = b[1]; r <= b[3]; ++r)
    for (int c = b[0]; c <= b[2]; ++c) m.Put(c, r, cells[k++]);
  m.Changed();
}

String HeaderText(const int (&b)[4]) {
  return IntToStr(b[0]) + u" " + IntToStr(b[1]) + u" " + IntToStr(b[2]) + u" " + IntToStr(b[3]);
}

// The header line of the text form.
bool ReadTextHeader(TLineTokens& lines, int (&b)[4], String& why) {
  std::vector<String> t;
  if (!lines.Next(t)) return Refuse(why, u"the file is empty");
  if (t.size() != 4) return Refuse(why, u"line 1 is not the header \"LoC LoR HiC HiR\"");
  for (int d = 0; d < 4; ++d)
    if (!ParseIntegerToken(t[static_cast<std::size_t>(d)], b[d]))
      return Refuse(why, u"line 1 holds " + Quoted(t[static_cast<std::size_t>(d)]) + u", not an index");
  return true;
}

// The rows of the text form, row by row into cells; every line holds exactly nc numbers.
template <typename T>
bool ReadTextRows(TLineTokens& lines, int nc, int nr, std::vector<T>& cells, String& why) {
  std::vector<String> t;
  T v{};
  for (int r = 0; r < nr && nc > 0; ++r) {
    if (!lines.Next(t)) return Refuse(why, u"the file ends after " + IntToStr(r) + u" of " + IntToStr(nr) + u" rows");
    const String at = u"line " + IntToStr(lines.Line());
    if (t.size() != static_cast<std::size_t>(nc))
      return Refuse(why, at + u" holds " + IntToStr(static_cast<int64_t>(t.size())) + u" numbers, not " + IntToStr(nc));
    for (const String& token : t) {
      if (!ParseElemToken(token, v)) return Refuse(why, at + u" holds " + Quoted(token) + u", not a number of the matrix");
      cells.push_back(v);
    }
  }
  if (lines.Next(t)) return Refuse(why, u"line " + IntToStr(lines.Line()) + u" follows the last row");
  return true;
}

}  // namespace

void WriterRange(int count, int& lo, int& hi) {
  MakeValidRange(count, lo, hi);
  if (count == 0) {
    lo = 1;
    hi = 0;
  }
}

// [SECTION] text form

bool StoreMatrixText(const String& FileName, int lc, int lr, int hc, int hr,
                     const std::function<String(int, int)>& text) {
  TextFile f;
  try {
    AssignFile(f, FileName);
    RewriteReplacing(f);
    WriteLn(f, IntToStr(lc) + u" " + IntToStr(lr) + u" " + IntToStr(hc) + u" " + IntToStr(hr));
    for (int r = lr; r <= hr; ++r) {
      String line;
      for (int c = lc; c <= hc; ++c) {
        if (c > lc) line += u' ';
        line += text(c, r);
      }
      WriteLn(f, line);
    }
    CloseFile(f);
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

template <typename T>
bool LoadMatrixText(const String& FileName, bool adjust, const TMatrixPort<T>& m, String& why) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(FileName, bytes)) return Refuse(why, InFile(FileName, u"cannot be read"));
  TLineTokens lines(bytes.data(), bytes.size());
  int b[4] = {0, 0, 0, 0};
  int64_t count = 0;
  std::vector<T> cells;
  if (!ReadTextHeader(lines, b, why)) return Refuse(why, InFile(FileName, why));
  const int64_t size = static_cast<int64_t>(bytes.size());
  if (!HeaderFits<T>(b, size - static_cast<int64_t>(lines.Remaining()), static_cast<int64_t>(lines.Remaining()), 2, adjust,
                     count))  // blank + digit
    return Refuse(why, InFile(FileName, u"the header \"" + HeaderText(b) + u"\" lists no range the file can hold"));
  cells.reserve(static_cast<std::size_t>(count));
  if (!ReadTextRows(lines, b[2] - b[0] + 1, b[3] - b[1] + 1, cells, why) ||
      !PrepareTarget(m, adjust, b[2], b[3], why))
    return Refuse(why, InFile(FileName, why));
  PutRows(m, b, cells);
  return true;
}

// [SECTION] stream form

template <typename T>
bool SaveMatrixStream(TStream& s, int lc, int lr, int hc, int hr, const std::function<T(int, int)>& cell) {
  TByteImage img;
  for (int i : {lc, lr, hc, hr}) PutIndex(img, T{}, i);
  try {
    for (int c = lc; c <= hc; ++c) {
      for (int r = lr; r <= hr; ++r) PutImage(img, cell(c, r));
      if (img.Bytes.size() >= 65536) {
        s.WriteBuffer(img.Bytes.data(), static_cast<int64_t>(img.Bytes.size()));
        img.Bytes.clear();
      }
    }
    s.WriteBuffer(img.Bytes.data(), static_cast<int64_t>(img.Bytes.size()));
  } catch (const EStreamError&) {
    return false;
  }
  return true;
}

template <typename T>
bool LoadMatrixStream(TStream* s, bool adjust, const TMatrixPort<T>& m, String& why) {
  int b[4] = {0, 0, 0, 0};
  if (s == nullptr) return Refuse(why, u"no stream");
  for (int& v : b)
    if (!ReadIndex(*s, T{}, v)) return Refuse(why, u"the stream holds no header of four indices");
  int64_t count = 0;
  if (!HeaderFits<T>(b, 4 * ImageSize(T{}), StreamRemaining(*s), ImageSize(T{}), adjust, count))
    return Refuse(why, u"the header \"" + HeaderText(b) + u"\" lists more cells than the stream holds");
  std::vector<uint8_t> block(static_cast<std::size_t>(count) * ImageSize(T{}));
  if (s->Read(block.data(), static_cast<int64_t>(block.size())) != static_cast<int64_t>(block.size()))
    return Refuse(why, u"the stream ends inside the cells");
  if (!PrepareTarget(m, adjust, b[2], b[3], why)) return false;
  const int64_t rows = static_cast<int64_t>(b[3]) - b[1] + 1;
  for (int64_t k = 0; k < count; ++k)  // column by column, rows inside
    m.Put(b[0] + static_cast<int>(k / rows), b[1] + static_cast<int>(k % rows), GetImage(block.data() + k * ImageSize(T{}), T{}));
  m.Changed();
  return true;
}

template bool LoadMatrixText<double>(const String&, bool, const TMatrixPort<double>&, String&);
template bool LoadMatrixText<int32_t>(const String&, bool, const TMatrixPort<int32_t>&, String&);
template bool SaveMatrixStream<double>(TStream&, int, int, int, int, const std::function<double(int, int)>&);
template bool SaveMatrixStream<int32_t>(TStream&, int, int, int, int, const std::function<int32_t(int, int)>&);
template bool LoadMatrixStream<double>(TStream*, bool, const TMatrixPort<double>&, String&);
template bool LoadMatrixStream<int32_t>(TStream*, bool, const TMatrixPort<int32_t>&, String&);

}  // namespace qelta::num_detail
