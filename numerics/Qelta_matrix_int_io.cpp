// Qelta_matrix: the files of TIntMatrix: XML element, text form, binary stream, sparse file.
//
// XML, text and stream forms are those of TMatrix (Qelta_vecmat_shared.cpp,
// Qelta_matrix_forms.cpp; members shared in Qelta_matrix_common.cpp) with decimal integers in text and 4-byte integers in the stream. A
// sparse matrix writes its XML element with form="sparse" and one cells line per stored triple;
// reading keeps the matrix's own form (a sparse matrix takes every cell of a sparse-form element
// and the non-zero cells of a dense one). Loaders of the text and stream forms store a 0 into a
// sparse matrix only where a triple already holds the cell.
//
// Sparse file (StoreSparseMat, LoadSparseMat), little-endian, signed 32-bit fields unless stated:
//   offset  size  content
//   0       8     signature "QELTASPM" (ASCII)
//   8       4     format version, unsigned, 1
//   12      4     NrOfColumns (>= 0)
//   16      4     NrOfRows (>= 0)
//   20      4     AllocBy (>= 1)
//   24      16    bounding box: low column, high column, low row, high row (empty: 2147483647, 1,
//                 2147483647, 1)
//   40      4     N, the number of triples (>= 0)
//   44      4     CRC-32 (start $FFFFFFFF, complemented) of bytes 0..43, unsigned
//   48      12 N  triples: column, row, value; sorted by column, then row, no two alike
// A reader accepts the file only when the header checks out, the file is exactly 48 + 12 N bytes,
// every triple lies inside the dimensions, the order holds and the box is the triples' box;
// otherwise it answers false and changes nothing. A dense matrix stores its non-zero cells.

#include <algorithm>

#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"
#include "SysUtils.h"

namespace qelta {
namespace {

constexpr char kSignature[8] = {'Q', 'E', 'L', 'T', 'A', 'S', 'P', 'M'};
constexpr uint32_t kVersion = 1;
constexpr int kHeaderSize = 48;

// The triples of a sparse-form image: order, indices and box checked.
struct TSparseImage {
  int Cols = 0, Rows = 0, AllocBy = 1;
  int Box[4] = {2147483647, 1, 2147483647, 1};
  std::vector<TSpMatElemInt> Triples;
};

bool TriplesAreSound(const TSparseImage& s, String& why) {
  int box[4] = {2147483647, 1, 2147483647, 1};
  for (std::size_t i = 0; i < s.Triples.size(); ++i) {
    const TSpMatElemInt& e = s.Triples[i];
    const String at = u"triple " + IntToStr(static_cast<int64_t>(i) + 1) + u" (" + IntToStr(e.colidx) + u", " +
                      IntToStr(e.rowidx) + u")";
    if (e.colidx < 1 || e.colidx > s.Cols || e.rowidx < 1 || e.rowidx > s.Rows)
      return num_detail::Refuse(why, at + u" lies outside the " + IntToStr(s.Cols) + u" x " + IntToStr(s.Rows) + u" matrix");
    if (i > 0) {
      const TSpMatElemInt& p = s.Triples[i - 1];
      if (p.colidx > e.colidx || (p.colidx == e.colidx && p.rowidx >= e.rowidx))
        return num_detail::Refuse(why, at + u" is out of order");
    }
    box[0] = std::min(box[0], e.colidx);
    box[1] = std::max(box[1], e.colidx);
    box[2] = std::min(box[2], e.rowidx);
    box[3] = std::max(box[3], e.rowidx);
  }
  return std::equal(box, box + 4, s.Box) || num_detail::Refuse(why, u"the bounding box is not that of the triples");
}

bool ParseSparseImage(const std::vector<uint8_t>& bytes, TSparseImage& s, String& why) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kSignature, 8) != 0)
    return num_detail::Refuse(why, u"not a sparse matrix file");
  num_detail::TByteCursor cur(bytes.data() + 8, bytes.size() - 8);
  uint32_t version = 0, crc = 0;
  int32_t count = 0;
  cur.U32(version);
  cur.I32(s.Cols);
  cur.I32(s.Rows);
  cur.I32(s.AllocBy);
  for (int& b : s.Box) cur.I32(b);
  cur.I32(count);
  cur.U32(crc);
  if (version != kVersion) return num_detail::Refuse(why, u"format version " + IntToStr(int64_t{version}) + u" is unknown");
  if (crc != num_detail::BlockCRC32(bytes.data(), 44)) return num_detail::Refuse(why, u"the header fails its checksum");
  if (s.Cols < 0 || s.Rows < 0 || s.AllocBy < 1 || count < 0) return num_detail::Refuse(why, u"the header holds a negative count");
  if ((bytes.size() - kHeaderSize) % 12 != 0 || (bytes.size() - kHeaderSize) / 12 != static_cast<std::size_t>(count))
    return num_detail::Refuse(why, u"the file does not hold the " + IntToStr(count) + u" triples of its header");
  s.Triples.resize(static_cast<std::size_t>(count));
  for (TSpMatElemInt& e : s.Triples) {
    cur.I32(e.colidx);
    cur.I32(e.rowidx);
    cur.I32(e.value);
  }
  return TriplesAreSound(s, why);
}

}  // namespace

// [SECTION] XML element and number text

void TIntMatrix::WriteXml(num_detail::TLineSink& out, bool CreateHeader, const String& DataID) const {
  num_detail::WriteXmlMatrix(out, u"TIntMatrix", CreateHeader, DataID, FIsSparse, FNCol, FNRow,
                         [this](num_detail::TLineSink& o) {
                           if (!FIsSparse) return WriteDenseXmlCells(o);
                           for (int i = 0; i < FSparseNumElem; ++i) {
                             const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
                             o.Line(num_detail::XmlCellsLine(e.rowidx, e.colidx, CellText(e.value)));
                           }
                         });
}

bool TIntMatrix::TakeXmlCells(const num_detail::TXmlMatrix<int32_t>& x) {
  if (!FIsSparse) return TMatrixT::TakeXmlCells(x);
  std::vector<TSpMatElemInt> triples;
  for (const auto& run : x.Runs)  // later lines win over earlier ones for the same cell
    for (std::size_t k = 0; k < run.Values.size(); ++k)
      if (x.SparseForm || run.Values[k] != 0)
        triples.push_back(TSpMatElemInt{run.Col + static_cast<int>(k), run.Row, run.Values[k]});
  std::stable_sort(triples.begin(), triples.end(), [](const TSpMatElemInt& a, const TSpMatElemInt& b) {
    return a.colidx < b.colidx || (a.colidx == b.colidx && a.rowidx < b.rowidx);
  });
  auto last = std::unique(triples.rbegin(), triples.rend(), [](const TSpMatElemInt& a, const TSpMatElemInt& b) {
    return a.colidx == b.colidx && a.rowidx == b.rowidx;
  });
  triples.erase(triples.begin(), last.base());
  return SparseAdopt(triples, FAllocBy);
}

String TIntMatrix::CellText(int32_t v) const { return IntToStr(v); }

// [SECTION] sparse file

bool TIntMatrix::StoreSparseMat(const String& FileName) const {
  TSparseImage s;
  s.Cols = FNCol;
  s.Rows = FNRow;
  s.AllocBy = FAllocBy;
  if (FIsSparse) {
    s.Triples.assign(SpMat.begin(), SpMat.begin() + FSparseNumElem);
  } else {
    for (int c = 1; c <= FNCol; ++c)
      for (int r = 1; r <= FNRow; ++r)
        if (Mat.At(c, r) != 0) s.Triples.push_back(TSpMatElemInt{c, r, Mat.At(c, r)});
  }
  for (const TSpMatElemInt& e : s.Triples) {
    s.Box[0] = std::min(s.Box[0], e.colidx);
    s.Box[1] = std::max(s.Box[1], e.colidx);
    s.Box[2] = std::min(s.Box[2], e.rowidx);
    s.Box[3] = std::max(s.Box[3], e.rowidx);
  }
  num_detail::TByteImage img;
  img.Raw(kSignature, 8);
  img.U32(kVersion);
  for (int v : {s.Cols, s.Rows, s.AllocBy, s.Box[0], s.Box[1], s.Box[2], s.Box[3]}) img.I32(v);
  img.I32(static_cast<int32_t>(s.Triples.size()));
  img.U32(num_detail::BlockCRC32(img.Bytes.data(), img.Bytes.size()));
  for (const TSpMatElemInt& e : s.Triples) {
    img.I32(e.colidx);
    img.I32(e.rowidx);
    img.I32(e.value);
  }
  return num_detail::WriteFileBytes(FileName, img.Bytes);
}

bool TIntMatrix::LoadSparseMat(const String& FileName) {
  std::vector<uint8_t> bytes;
  TSparseImage s;
  FLoadError.clear();
  if (!num_detail::ReadFileBytes(FileName, bytes)) return num_detail::Refuse(FLoadError, num_detail::InFile(FileName, u"cannot be read"));
  if (!ParseSparseImage(bytes, s, FLoadError)) return num_detail::Refuse(FLoadError, num_detail::InFile(FileName, FLoadError));
  if (!SparseAdopt(s.Triples, s.AllocBy))
    return num_detail::Refuse(FLoadError, num_detail::InFile(FileName, u"not enough memory for the triples"));
  Mat.Release();
  FIsSparse = true;
  FAllocBy = s.AllocBy;
  FNCol = s.Cols;
  FNRow = s.Rows;
  Changed();
  return true;
}

}  // namespace qelta
