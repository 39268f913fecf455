// Qelta_matrix: the text and binary stream forms that TMatrix and TIntMatrix share.
//
// Text form (one byte per character, lines end CR LF):
//   line 1: "LoC LoR HiC HiR" in decimal, one blank between
//   then one line per row LoR..HiR: the cells of columns LoC..HiC separated by one blank
// Stream form (little-endian, from the stream's position): LoC, LoR, HiC, HiR, then the cells of
// the range column by column (rows inside); TMatrix writes every number as a 10-byte x87
// extended image, TIntMatrix as a 4-byte signed integer.
// An empty dimension is recorded as the range 1..0 (no cells).
// Readers check the header before touching the matrix: each range is lo..hi with 1 <= lo <= hi or
// the empty 1..0, the cells it announces fit into the bytes that follow (a
// text number takes a separator and a digit at least), and a resizing read never allocates more than
// kMaxUnlistedCells cells beyond those listed. AdjustMatrixSize resizes to (HiC, HiR); a matrix
// that is still too small answers false (OnChange fires, no cell is read). A text number that does
// not read leaves its cell unchanged and makes the answer false; reading goes on.

#include <algorithm>

#include "Qelta_matrix.h"
#include "Qelta_streams.h"
#include "Qelta_vecmat_internal.h"
#include "SysUtils.h"

namespace qelta::detail {
namespace {

// The header lc, lr, hc, hr is plausible; count answers the cells it lists.
bool HeaderFits(const int (&b)[4], int64_t remaining, int bytesPerCell, bool adjust, int64_t& count) {
  for (int d = 0; d < 2; ++d)  // lo <= hi, or the empty range 1..0
    if (b[d] < 1 || (b[d + 2] < b[d] && !(b[d] == 1 && b[d + 2] == 0))) return false;
  count = (static_cast<int64_t>(b[2]) - b[0] + 1) * (static_cast<int64_t>(b[3]) - b[1] + 1);
  if (count > remaining / bytesPerCell) return false;
  return !adjust || static_cast<int64_t>(b[2]) * b[3] <= count + kMaxUnlistedCells;
}

// Resizes when asked; true when the matrix then holds the range.
template <typename T>
bool PrepareTarget(const TMatrixPort<T>& m, bool adjust, int hc, int hr) {
  try {
    if (adjust) m.Resize(hc, hr);
  } catch (const EQeltaError&) {
    return false;
  }
  if (m.Cols() >= hc && m.Rows() >= hr) return true;
  m.Changed();
  return false;
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
    Rewrite(f);
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
bool LoadMatrixText(const String& FileName, bool adjust, const TMatrixPort<T>& m) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(FileName, bytes)) return false;
  TTokenReader tokens(bytes.data(), bytes.size());
  int b[4] = {0, 0, 0, 0};
  String t;
  for (int& v : b)
    if (!tokens.Next(t) || !ParseIntegerToken(t, v)) return false;
  int64_t count = 0;
  if (!HeaderFits(b, static_cast<int64_t>(tokens.Remaining()), 2, adjust, count)) return false;  // blank + digit
  if (!PrepareTarget(m, adjust, b[2], b[3])) return false;
  bool ok = true;
  T v{};
  for (int r = b[1]; r <= b[3]; ++r)
    for (int c = b[0]; c <= b[2]; ++c) {
      if (!tokens.Next(t)) {  // the file ends early: the remaining cells stay
        m.Changed();
        return false;
      }
      if (ParseElemToken(t, v))
        m.Put(c, r, v);
      else
        ok = false;
    }
  m.Changed();
  return ok;
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
bool LoadMatrixStream(TStream* s, bool adjust, const TMatrixPort<T>& m) {
  int b[4] = {0, 0, 0, 0};
  if (s == nullptr) return false;
  for (int& v : b)
    if (!ReadIndex(*s, T{}, v)) return false;
  int64_t count = 0;
  if (!HeaderFits(b, StreamRemaining(*s), ImageSize(T{}), adjust, count)) return false;
  if (!PrepareTarget(m, adjust, b[2], b[3])) return false;
  const int rows = b[3] - b[1] + 1;
  std::vector<uint8_t> buf(static_cast<std::size_t>(std::max(rows, 0)) * ImageSize(T{}));
  bool ok = true;
  for (int c = b[0]; ok && c <= b[2]; ++c) {
    const int64_t got = std::max<int64_t>(s->Read(buf.data(), static_cast<int64_t>(buf.size())), 0);
    const int64_t cells = got / ImageSize(T{});
    for (int64_t k = 0; k < cells; ++k) m.Put(c, b[1] + static_cast<int>(k), GetImage(buf.data() + k * ImageSize(T{}), T{}));
    ok = cells == rows;  // a failed read: the rest stays as it was
  }
  m.Changed();
  return ok;
}

template bool LoadMatrixText<double>(const String&, bool, const TMatrixPort<double>&);
template bool LoadMatrixText<int32_t>(const String&, bool, const TMatrixPort<int32_t>&);
template bool SaveMatrixStream<double>(TStream&, int, int, int, int, const std::function<double(int, int)>&);
template bool SaveMatrixStream<int32_t>(TStream&, int, int, int, int, const std::function<int32_t(int, int)>&);
template bool LoadMatrixStream<double>(TStream*, bool, const TMatrixPort<double>&);
template bool LoadMatrixStream<int32_t>(TStream*, bool, const TMatrixPort<int32_t>&);

}  // namespace qelta::detail
