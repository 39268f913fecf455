// Qelta_matrix: the files of TMatrix: XML element, text form, binary stream, binary file.
//
// The XML element and the text and stream forms are described in Qelta_vecmat_shared.cpp and
// Qelta_matrix_forms.cpp; their members are shared with TIntMatrix (Qelta_matrix_common.cpp).
// Numbers in text follow the precision settings (GetFPrecis) once the host has set them: index
// 2 >= 0 gives fixed notation with that many decimals, else the general form with index 1
// significant digits (0 or less: 17). Until then every number is written as the shortest general
// text that reads back to the same double, so a matrix saved with the defaults loads back exactly
// (15 digits, the classic default, gave 1/3 back as 0.333333333333333).
//
// Binary file (SaveBinary, LoadBinary, ReadBinaryHeader), little-endian:
//   offset  size  content
//   0       8     signature "QELTAMAT" (ASCII)
//   8       4     format version, unsigned, 1
//   12      4     bytes per cell, unsigned, 8
//   16      4     NrOfColumns, signed, >= 0
//   20      4     NrOfRows, signed, >= 0
//   24      4     L, the byte length of DataID in UTF-8, unsigned, <= 65535
//   28      L     DataID in UTF-8
//   28+L    4     CRC-32 (start $FFFFFFFF, complemented) of bytes 0..27+L
//   32+L    8 n   the n = NrOfColumns * NrOfRows cells as IEEE doubles, column by column
// A reader accepts the file only when every header field and the CRC check out and the file is
// exactly 32 + L + 8 n bytes long; otherwise it answers false and changes nothing.

#include <algorithm>
#include <bit>

#include "Encoding.h"
#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"
#include "SysUtils.h"

namespace qelta {
namespace {

constexpr char kSignature[8] = {'Q', 'E', 'L', 'T', 'A', 'M', 'A', 'T'};
constexpr uint32_t kVersion = 1;
constexpr uint32_t kMaxIdBytes = 65535;
static_assert(std::endian::native == std::endian::little, "the cell block is written as it lies in memory");

// Header fields of a binary file.
struct TBinaryHeader {
  int Cols = 0;
  int Rows = 0;
  String DataID;
  int64_t Cells = 0;
};

// Reads and checks the header; leaves the stream at the first cell. False with the reason in why.
bool ReadHeader(TStream& f, TBinaryHeader& h, String& why) {
  uint8_t fixed[28];
  if (f.Read(fixed, 28) != 28 || std::memcmp(fixed, kSignature, 8) != 0)
    return num_detail::Refuse(why, u"not a binary matrix file");
  num_detail::TByteCursor cur(fixed + 8, 20);
  uint32_t version = 0, cellSize = 0, idBytes = 0;
  int32_t cols = 0, rows = 0;
  cur.U32(version);
  cur.U32(cellSize);
  cur.I32(cols);
  cur.I32(rows);
  cur.U32(idBytes);
  if (version != kVersion || cellSize != 8)
    return num_detail::Refuse(why, u"format version " + IntToStr(int64_t{version}) + u" with " + IntToStr(int64_t{cellSize}) +
                                   u"-byte cells is unknown");
  if (cols < 0 || rows < 0 || idBytes > kMaxIdBytes) return num_detail::Refuse(why, u"the header holds an impossible size");
  std::vector<uint8_t> head(fixed, fixed + 28);
  head.resize(28 + idBytes + 4);
  if (f.Read(head.data() + 28, idBytes + 4) != static_cast<int64_t>(idBytes) + 4)
    return num_detail::Refuse(why, u"the file ends inside the header");
  num_detail::TByteCursor crc(head.data() + 28 + idBytes, 4);
  uint32_t stored = 0;
  crc.U32(stored);
  if (stored != num_detail::BlockCRC32(head.data(), 28 + idBytes)) return num_detail::Refuse(why, u"the header fails its checksum");
  h.Cols = cols;
  h.Rows = rows;
  h.DataID = Utf8ToString(std::string(head.begin() + 28, head.begin() + 28 + idBytes));
  h.Cells = static_cast<int64_t>(cols) * rows;
  return true;
}

}  // namespace

// [SECTION] XML element and number text

void TMatrix::WriteXml(num_detail::TLineSink& out, bool CreateHeader, const String& DataID) const {
  num_detail::WriteXmlMatrix(out, u"TMatrix", CreateHeader, DataID, false, FNCol, FNRow,
                         [this](num_detail::TLineSink& o) { WriteDenseXmlCells(o); });
}

String TMatrix::CellText(double v) const {
  return FPrecisSet ? num_detail::FileNumText(v, FPrecis[0], FPrecis[1]) : num_detail::ShortestNumText(v);
}

// [SECTION] binary file

bool TMatrix::SaveBinary(const String& FName) const {
  const std::string id = StringToUtf8(FDataID).substr(0, kMaxIdBytes);
  num_detail::TByteImage head;
  head.Raw(kSignature, 8);
  head.U32(kVersion);
  head.U32(8);
  head.I32(FNCol);
  head.I32(FNRow);
  head.U32(static_cast<uint32_t>(id.size()));
  head.Raw(id.data(), id.size());
  head.U32(num_detail::BlockCRC32(head.Bytes.data(), head.Bytes.size()));
  try {
    SaveWholeFile(FName, [&](TStream& f) {
      f.WriteBuffer(head.Bytes.data(), static_cast<int64_t>(head.Bytes.size()));
      for (int c = 1; c <= FNCol && FNRow > 0; ++c)
        f.WriteBuffer(Mat.Col(c), static_cast<int64_t>(FNRow) * static_cast<int64_t>(sizeof(double)));
    });
  } catch (const EStreamError&) {
    return false;
  }
  return true;
}

bool TMatrix::LoadBinary(const String& FName) {
  FLoadError.clear();
  try {
    TFileStream f(FName, fmOpenRead);
    TBinaryHeader h;
    if (!ReadHeader(f, h, FLoadError)) return num_detail::Refuse(FLoadError, num_detail::InFile(FName, FLoadError));
    const int64_t data = num_detail::StreamRemaining(f);
    if (data % 8 != 0 || data / 8 != h.Cells)
      return num_detail::Refuse(FLoadError, num_detail::InFile(FName, u"the file does not hold the " + IntToStr(h.Cols) + u" x " +
                                                              IntToStr(h.Rows) + u" cells of its header"));
    num_detail::TDenseStore<double> next;
    next.Reshape(h.Cols, h.Rows);
    for (int c = 1; c <= h.Cols && h.Rows > 0; ++c)
      f.ReadBuffer(next.Col(c), static_cast<int64_t>(h.Rows) * static_cast<int64_t>(sizeof(double)));
    std::swap(Mat, next);
    FNCol = h.Cols;
    FNRow = h.Rows;
    FDataID = h.DataID;
  } catch (const EStreamError& e) {
    return num_detail::Refuse(FLoadError, num_detail::InFile(FName, e.Message()));
  } catch (const std::bad_alloc&) {
    return num_detail::Refuse(FLoadError, num_detail::InFile(FName, u"not enough memory for the cells"));
  }
  Changed();
  return true;
}

bool TMatrix::ReadBinaryHeader(const String& FName, int& NrColumns, int& NrRows, String& DataID) const {
  try {
    TFileStream f(FName, fmOpenRead);
    TBinaryHeader h;
    String why;
    if (!ReadHeader(f, h, why)) return false;
    NrColumns = h.Cols;
    NrRows = h.Rows;
    DataID = h.DataID;
    return true;
  } catch (const EStreamError&) {
    return false;
  }
}

}  // namespace qelta
