// Qelta_matrix: the files of TMatrix: XML element, text form, binary stream, binary file.
//
// The XML element and the text and stream forms are described in Qelta_vecmat_shared.cpp and
// Qelta_matrix_forms.cpp. Numbers in text follow the precision settings (GetFPrecis): index 2 >= 0
// gives fixed notation with that many decimals, else the general form with index 1 significant
// digits (0 or less: 17, which reads back exactly).
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

// Reads and checks the header; leaves the stream at the first cell.
bool ReadHeader(TStream& f, TBinaryHeader& h) {
  uint8_t fixed[28];
  if (f.Read(fixed, 28) != 28 || std::memcmp(fixed, kSignature, 8) != 0) return false;
  detail::TByteCursor cur(fixed + 8, 20);
  uint32_t version = 0, cellSize = 0, idBytes = 0;
  int32_t cols = 0, rows = 0;
  cur.U32(version);
  cur.U32(cellSize);
  cur.I32(cols);
  cur.I32(rows);
  cur.U32(idBytes);
  if (version != kVersion || cellSize != 8 || cols < 0 || rows < 0 || idBytes > kMaxIdBytes) return false;
  std::vector<uint8_t> head(fixed, fixed + 28);
  head.resize(28 + idBytes + 4);
  if (f.Read(head.data() + 28, idBytes + 4) != static_cast<int64_t>(idBytes) + 4) return false;
  detail::TByteCursor crc(head.data() + 28 + idBytes, 4);
  uint32_t stored = 0;
  crc.U32(stored);
  if (stored != detail::BlockCRC32(head.data(), 28 + idBytes)) return false;
  h.Cols = cols;
  h.Rows = rows;
  h.DataID = Utf8ToString(std::string(head.begin() + 28, head.begin() + 28 + idBytes));
  h.Cells = static_cast<int64_t>(cols) * rows;
  return true;
}

}  // namespace

// [SECTION] XML element

void TMatrix::WriteXml(detail::TLineSink& out, bool CreateHeader, const String& DataID) const {
  detail::WriteXmlMatrix(out, u"TMatrix", CreateHeader, DataID, false, FNCol, FNRow, [this](detail::TLineSink& o) {
    for (int r = 1; r <= FNRow && FNCol > 0; ++r) {
      String values;
      for (int c = 1; c <= FNCol; ++c) {
        if (c > 1) values += u' ';
        values += detail::FileNumText(Mat.At(c, r), FPrecis[0], FPrecis[1]);
      }
      o.Line(detail::XmlCellsLine(r, 1, values));
    }
  });
}

void TMatrix::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const {
  detail::TTextFileSink sink(f);
  WriteXml(sink, CreateHeader, DataID);
}

void TMatrix::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const {
  detail::TStreamSink sink(OutStream);
  WriteXml(sink, CreateHeader, DataID);
}

bool TMatrix::SaveAsXMLFile(const String& FName, const String& DataID) const {
  TextFile f;
  try {
    AssignFile(f, FName);
    Rewrite(f);
    WriteToOpenXMLFile(f, true, DataID);
    CloseFile(f);
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

bool TMatrix::ReadXml(detail::TXmlSource& in, const String& DataID) {
  detail::TXmlMatrix<double> x;
  if (!detail::ReadXmlMatrix(in, DataID, x)) return false;
  const int64_t cells = detail::CheckedCells(std::max(x.NCols, 1), std::max(x.NRows, 1), sizeof(double));
  if (cells < 0 || cells > x.Listed + detail::kMaxUnlistedCells) return false;
  detail::TDenseStore<double> next;
  try {
    next.Reshape(x.NCols, x.NRows);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const auto& run : x.Runs)
    for (std::size_t k = 0; k < run.Values.size(); ++k) next.At(run.Col + static_cast<int>(k), run.Row) = run.Values[k];
  std::swap(Mat, next);
  FNCol = x.NCols;
  FNRow = x.NRows;
  FDataID = x.Id;
  Changed();
  return true;
}

bool TMatrix::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  detail::TTextFileSource src(f);
  return ReadXml(src, DataID);
}

bool TMatrix::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  detail::TStreamSource src(InStream);
  return ReadXml(src, DataID);
}

bool TMatrix::LoadFromXMLFile(const String& FName, const String& DataID) {
  TextFile f;
  try {
    AssignFile(f, FName);
    Reset(f);
    return ReadFromOpenXMLFile(f, DataID);
  } catch (const EInOutError&) {
    return false;
  }
}

// [SECTION] text form and binary stream

bool TMatrix::StoreOnFile(int LoC, int LoR, int HiC, int HiR, const String& FileName) const {
  detail::WriterRange(FNCol, LoC, HiC);
  detail::WriterRange(FNRow, LoR, HiR);
  return detail::StoreMatrixText(FileName, LoC, LoR, HiC, HiR, [this](int c, int r) {
    return detail::FileNumText(Mat.At(c, r), FPrecis[0], FPrecis[1]);
  });
}

bool TMatrix::SaveToStream(TMemoryStream*& OutStream, int LoC, int LoR, int HiC, int HiR) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  return SaveToStream(*OutStream, LoC, LoR, HiC, HiR);
}

bool TMatrix::SaveToStream(TStream& OutStream, int LoC, int LoR, int HiC, int HiR) const {
  detail::WriterRange(FNCol, LoC, HiC);
  detail::WriterRange(FNRow, LoR, HiR);
  return detail::SaveMatrixStream<double>(OutStream, LoC, LoR, HiC, HiR,
                                          [this](int c, int r) { return Mat.At(c, r); });
}

namespace {

detail::TMatrixPort<double> PortOf(TMatrix& m, detail::TDenseStore<double>& cells) {
  detail::TMatrixPort<double> p;
  p.Cols = [&m] { return m.NrOfColumns(); };
  p.Rows = [&m] { return m.NrOfRows(); };
  p.Resize = [&m](int nc, int nr) { m.Resize(nc, nr); };
  p.Put = [&cells](int c, int r, double v) { cells.At(c, r) = v; };
  p.Changed = [&m] { m.Changed(); };
  return p;
}

}  // namespace

bool TMatrix::LoadFromFile(const String& FileName, bool AdjustMatrixSize) {
  return detail::LoadMatrixText(FileName, AdjustMatrixSize, PortOf(*this, Mat));
}

bool TMatrix::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  return detail::LoadMatrixStream(InStream, AdjustMatrixSize, PortOf(*this, Mat));
}

// [SECTION] binary file

bool TMatrix::SaveBinary(const String& FName) const {
  const std::string id = StringToUtf8(FDataID).substr(0, kMaxIdBytes);
  detail::TByteImage head;
  head.Raw(kSignature, 8);
  head.U32(kVersion);
  head.U32(8);
  head.I32(FNCol);
  head.I32(FNRow);
  head.U32(static_cast<uint32_t>(id.size()));
  head.Raw(id.data(), id.size());
  head.U32(detail::BlockCRC32(head.Bytes.data(), head.Bytes.size()));
  try {
    TFileStream f(FName, fmCreate);
    f.WriteBuffer(head.Bytes.data(), static_cast<int64_t>(head.Bytes.size()));
    for (int c = 1; c <= FNCol && FNRow > 0; ++c)
      f.WriteBuffer(Mat.Col(c), static_cast<int64_t>(FNRow) * static_cast<int64_t>(sizeof(double)));
  } catch (const EStreamError&) {
    return false;
  }
  return true;
}

bool TMatrix::LoadBinary(const String& FName) {
  try {
    TFileStream f(FName, fmOpenRead);
    TBinaryHeader h;
    if (!ReadHeader(f, h)) return false;
    const int64_t data = detail::StreamRemaining(f);
    if (data % 8 != 0 || data / 8 != h.Cells) return false;
    detail::TDenseStore<double> next;
    next.Reshape(h.Cols, h.Rows);
    for (int c = 1; c <= h.Cols && h.Rows > 0; ++c)
      f.ReadBuffer(next.Col(c), static_cast<int64_t>(h.Rows) * static_cast<int64_t>(sizeof(double)));
    std::swap(Mat, next);
    FNCol = h.Cols;
    FNRow = h.Rows;
    FDataID = h.DataID;
  } catch (const EStreamError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  Changed();
  return true;
}

bool TMatrix::ReadBinaryHeader(const String& FName, int& NrColumns, int& NrRows, String& DataID) const {
  try {
    TFileStream f(FName, fmOpenRead);
    TBinaryHeader h;
    if (!ReadHeader(f, h)) return false;
    NrColumns = h.Cols;
    NrRows = h.Rows;
    DataID = h.DataID;
    return true;
  } catch (const EStreamError&) {
    return false;
  }
}

}  // namespace qelta
