// Qelta_matrix: the binary file of TMat4D, a file of 4096-byte records (platform RecordFiles.h),
// all numbers little-endian.
//
// Record 0, the header:
//   offset  size  content
//   0       4     NumX, columns, signed 32-bit
//   4       4     NumY, rows, signed 32-bit
//   8       4     NumZ, layers, signed 32-bit
//   12      4     NumT, time slots stored in the file, signed 32-bit
//   16      1     L, the length of the data identifier, 0..255
//   17      255   DataID in Windows-1252, cut to 255 bytes; the first L bytes count
//   272     3824  reserved: written as zeros, kept by the appender, never interpreted
// Records 1, 2, ...: 512 IEEE doubles each. The stored time slots follow one another, each as
// NumX * NumY * NumZ values in the order of Addr4D (column fastest, then row, then layer); value k
// (from 0) lies in record 1 + k div 512 at byte 8 * (k mod 512). The last record is written whole,
// its unused values as zeros; the file holds 1 + ceil(NumX * NumY * NumZ * NumT / 512) records.
//
// Transfers: a partly used record at either end goes through the one 4096-byte record buffer; the
// whole records between are moved straight between the file and the cell block (each time slot is
// contiguous there), in pieces of at most one progress step. Progress: with step = N div 100 (at
// least 1) for N values, OnPercentDone receives round(j * 100 / N) for every j = step, 2 step, ...
// up to N, after the piece holding value j has moved.
//
// Decisions and mended faults:
//  - LoadBinary and AppendToBinaryFile check the header before anything changes: four counts above
//    0, a block that fits the address space, and a file long enough for the records it promises;
//    otherwise EInOutError 100 ("Disk read error"). A refused or truncated file leaves the array
//    (and the file) as it was. ReadBinaryHeader answers true only when all four counts are positive.
//  - A time-slot end below the start (both positive) raises the time-slot message, so no file with
//    a time-slot count of 0 or less is ever written.
//  - AppendToBinaryFile writes the new values first and the grown count last, and a failure at any
//    write puts back what it overwrote (the header, the partly used last record, the file's length):
//    a full disk or an I/O error during an append leaves the file byte for byte as it was, and an
//    append killed before its last write leaves a file that reads as before.
//  - SaveBinary writes a temporary beside the file and renames it over it once flushed, so a failed
//    save keeps the old file (RewriteReplacing).

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

#include "Encoding.h"
#include "Exceptions.h"
#include "Math.h"
#include "Qelta_matrix.h"
#include "RecordFiles.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {
namespace {

static_assert(std::endian::native == std::endian::little, "whole records move as the doubles lie in memory");

constexpr int kRecordSize = 4096;
constexpr int kPerRecord = kRecordSize / 8;
constexpr int kIdOffset = 17;
constexpr int kIdBytes = 255;
constexpr int64_t kMaxPieceRecords = 2048;  // 8 MiB at most per transfer

using TRecord = std::array<uint8_t, kRecordSize>;

// The fields of a header record.
struct THeader {
  int32_t Dims[4] = {0, 0, 0, 0};  // NumX, NumY, NumZ, NumT
  String DataID;
};

[[noreturn]] void RaiseReadError() { throw EInOutError(InOutErrorMessage(100), 100); }

int32_t GetI32(const TRecord& rec, int at) {
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(rec[static_cast<std::size_t>(at + k)]) << (8 * k);
  return static_cast<int32_t>(v);
}

void PutI32(TRecord& rec, int at, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  for (int k = 0; k < 4; ++k) rec[static_cast<std::size_t>(at + k)] = static_cast<uint8_t>(v >> (8 * k));
}

THeader ReadHeader(TRecordFile& f, TRecord& rec);

// Opens the file with access mode `mode` and reads its header record into rec.
THeader OpenWithHeader(TRecordFile& f, const String& name, int mode, TRecord& rec) {
  AssignFile(f, name);
  Reset(f, mode);
  return ReadHeader(f, rec);
}

THeader ReadHeader(TRecordFile& f, TRecord& rec) {
  Seek(f, 0);
  Read(f, rec.data());
  THeader h;
  for (int d = 0; d < 4; ++d) h.Dims[d] = GetI32(rec, 4 * d);
  const int len = rec[16];
  h.DataID = AnsiToString(std::string_view(reinterpret_cast<const char*>(rec.data()) + kIdOffset, len));
  return h;
}

// Values the header promises: -1 unless all four counts are positive and the block fits.
int64_t PromisedValues(const THeader& h) {
  return num_detail::TCellBlock<4>::CellsOf({h.Dims[0], h.Dims[1], h.Dims[2], h.Dims[3]});
}

int64_t RecordsFor(int64_t values) { return 1 + (values + kPerRecord - 1) / kPerRecord; }

// Refuses a header whose counts are not all positive, whose block does not fit, or whose file is
// too short for the records it promises.
int64_t CheckedValues(TRecordFile& f, const THeader& h) {
  const int64_t values = PromisedValues(h);
  if (values < 0 || FileSize(f) < RecordsFor(values)) RaiseReadError();
  return values;
}

// Progress of a transfer of N values.
class TProgress {
 public:
  TProgress(TMat4D& owner, int64_t n) : FOwner(owner), FN(n), FStep(std::max<int64_t>(n / 100, 1)), FNext(FStep) {}
  /// Reports every progress point up to `done` values.
  void Reach(int64_t done) {
    for (; FNext <= done; FNext += FStep)
      FOwner.PercDone(&FOwner, static_cast<int>(Round(static_cast<Extended>(FNext) * 100 / FN)));
  }
  /// Whole records per transfer: about one progress step, at least one record.
  int64_t PieceRecords() const { return std::clamp<int64_t>(FStep / kPerRecord, 1, kMaxPieceRecords); }

 private:
  TMat4D& FOwner;
  int64_t FN, FStep, FNext;
};

// One record holding `count` cells from value position `at` on. Writing: the record's values from `at`
// on are replaced (those before stay, the rest become zeros) and it is written; reading: it is read and
// the cells taken out.
void PartRecord(TRecordFile& f, TRecord& rec, double* cells, int64_t count, int at, bool writing) {
  const std::size_t bytes = static_cast<std::size_t>(count) * 8;
  if (writing) {
    std::fill(rec.begin() + 8 * at, rec.end(), uint8_t{0});
    std::memcpy(rec.data() + 8 * at, cells, bytes);
    Write(f, rec.data());
  } else {
    Read(f, rec.data());
    std::memcpy(cells, rec.data() + 8 * at, bytes);
  }
}

// Moves n cells to (writing) or from the file, starting at value position `at` of record `record`; rec
// holds that record's earlier values when a writer starts inside it. Whole records move straight
// between the file and the cells.
void MoveValues(TRecordFile& f, TRecord& rec, double* cells, int64_t n, int64_t record, int at, bool writing,
                TProgress& progress) {
  Seek(f, record);
  int64_t done = 0;
  if (at > 0) {  // the partly used first record
    done = std::min<int64_t>(n, kPerRecord - at);
    PartRecord(f, rec, cells, done, at, writing);
    progress.Reach(done);
  }
  while (n - done >= kPerRecord) {
    const int64_t records = std::min((n - done) / kPerRecord, progress.PieceRecords());
    if (writing)
      BlockWrite(f, cells + done, records);
    else
      BlockRead(f, cells + done, records);
    done += records * kPerRecord;
    progress.Reach(done);
  }
  if (done < n) {  // the partly used last record
    PartRecord(f, rec, cells + done, n - done, 0, writing);
    progress.Reach(n);
  }
}

void WriteAt(TStream& s, int64_t at, const uint8_t* bytes, std::size_t count) {
  s.Seek(at, soFromBeginning);
  s.WriteBuffer(bytes, static_cast<int64_t>(count));
}

template <typename Step>
void Attempt(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

// What an append overwrites of a file: the header record, the bytes of the records it writes (as far
// as the file reached) and the file's length. PutBack restores them after a failed append, through a
// handle of its own, as the append's file variable is closed by then.
class TAppendUndo {
 public:
  TAppendUndo(const String& name, const TRecord& header, int64_t firstRecord, int64_t records)
      : FName(name), FHeader(header), FFrom(firstRecord * kRecordSize) {
    TFileStream s(name, fmOpenRead);
    FSize = s.Size();
    FTail.resize(static_cast<std::size_t>(std::clamp<int64_t>(FSize - FFrom, 0, records * kRecordSize)));
    s.Seek(FFrom, soFromBeginning);
    s.ReadBuffer(FTail.data(), static_cast<int64_t>(FTail.size()));
  }
  /// Best effort, each part on its own: the append's own failure is the one reported.
  void PutBack() const noexcept {
    try {
      TFileStream s(FName, fmOpenReadWrite);
      Attempt([&] { s.SetSize(FSize); });
      Attempt([&] { WriteAt(s, FFrom, FTail.data(), FTail.size()); });
      Attempt([&] { WriteAt(s, 0, FHeader.data(), FHeader.size()); });
    } catch (...) {
    }
  }

 private:
  String FName;
  TRecord FHeader;
  int64_t FFrom;
  int64_t FSize = 0;
  std::vector<uint8_t> FTail;
};

}  // namespace

void TMat4D::SlotRange(int count, int& start, int& end) const {
  if (start > count) throw EQeltaMatrixError(num_detail::ComponentText(*this, u"specified time slot beyond data range"));
  end = std::min(end, count);
  if (start <= 0 || end <= 0) {
    start = 1;
    end = count;
  }
  if (end < start) throw EQeltaMatrixError(num_detail::ComponentText(*this, u"specified time slot beyond data range"));
}

void TMat4D::SaveBinary(const String& FName, int TSlotStart, int TSlotEnd) {
  SlotRange(NrOfTimeSlots(), TSlotStart, TSlotEnd);
  const int64_t perSlot = int64_t{NrOfColumns()} * NrOfRows() * NrOfLayers();
  const int64_t n = perSlot * (int64_t{TSlotEnd} - TSlotStart + 1);
  TRecord rec{};
  for (int d = 0; d < 3; ++d) PutI32(rec, 4 * d, FCells.Dim(d));
  PutI32(rec, 12, TSlotEnd - TSlotStart + 1);
  const AnsiString id = StringToAnsi(FDataID).substr(0, kIdBytes);
  rec[16] = static_cast<uint8_t>(id.size());
  std::memcpy(rec.data() + kIdOffset, id.data(), id.size());
  TRecordFile f(kRecordSize);
  AssignFile(f, FName);
  RewriteReplacing(f);
  Write(f, rec.data());
  TProgress progress(*this, n);
  MoveValues(f, rec, FCells.Data() + perSlot * (TSlotStart - 1), n, 1, 0, true, progress);
  CloseFile(f);
}

void TMat4D::LoadBinary(const String& FName, int TSlotStart, int TSlotEnd) {
  TRecordFile f(kRecordSize);
  TRecord rec{};
  const THeader h = OpenWithHeader(f, FName, 0, rec);
  CheckedValues(f, h);
  SlotRange(h.Dims[3], TSlotStart, TSlotEnd);
  const int64_t perSlot = int64_t{h.Dims[0]} * h.Dims[1] * h.Dims[2];
  const int64_t n = perSlot * (int64_t{TSlotEnd} - TSlotStart + 1);
  const int64_t skip = perSlot * (TSlotStart - 1);
  Resize(h.Dims[0], h.Dims[1], h.Dims[2], TSlotEnd - TSlotStart + 1);
  FDataID = h.DataID;
  TProgress progress(*this, n);
  MoveValues(f, rec, FCells.Data(), n, 1 + skip / kPerRecord, static_cast<int>(skip % kPerRecord), false, progress);
  CloseFile(f);
}

bool TMat4D::ReadBinaryHeader(const String& FName, int& NrColumns, int& NrRows, int& NrLayers, int& NrTimeSlots,
                              String& DataID) const {
  TRecordFile f(kRecordSize);
  TRecord rec{};
  const THeader h = OpenWithHeader(f, FName, 0, rec);
  CloseFile(f);
  NrColumns = h.Dims[0];
  NrRows = h.Dims[1];
  NrLayers = h.Dims[2];
  NrTimeSlots = h.Dims[3];
  DataID = h.DataID;
  return h.Dims[0] > 0 && h.Dims[1] > 0 && h.Dims[2] > 0 && h.Dims[3] > 0;
}

void TMat4D::AppendToBinaryFile(const String& FName, int TSlotStart, int TSlotEnd) {
  std::optional<TAppendUndo> undo;
  try {
    TRecordFile f(kRecordSize);
    TRecord rec{};
    const THeader h = OpenWithHeader(f, FName, 2, rec);
    const TRecord header = rec;
    const int64_t stored = CheckedValues(f, h);
    if (h.Dims[0] != NrOfColumns() || h.Dims[1] != NrOfRows() || h.Dims[2] != NrOfLayers())
      throw EQeltaMatrixError(num_detail::ComponentText(*this, u"X,Y,Z of matrices do not match"));
    SlotRange(NrOfTimeSlots(), TSlotStart, TSlotEnd);
    const int64_t added = int64_t{TSlotEnd} - TSlotStart + 1;
    const int64_t perSlot = int64_t{NrOfColumns()} * NrOfRows() * NrOfLayers();
    if (h.Dims[3] + added > INT32_MAX ||
        PromisedValues({{h.Dims[0], h.Dims[1], h.Dims[2], static_cast<int32_t>(h.Dims[3] + added)}, String()}) < 0)
      throw EQeltaMatrixError(num_detail::ComponentText(*this, u"specified time slot beyond data range"));
    const int64_t first = 1 + stored / kPerRecord;
    const int at = static_cast<int>(stored % kPerRecord);
    undo.emplace(FName, header, first, (at + perSlot * added + kPerRecord - 1) / kPerRecord);
    if (at > 0) {  // the partly used last record keeps its values
      Seek(f, first);
      Read(f, rec.data());
    }
    TProgress progress(*this, perSlot * added);
    MoveValues(f, rec, FCells.Data() + perSlot * (TSlotStart - 1), perSlot * added, first, at, true, progress);
    rec = header;  // the grown count last, with the reserved bytes as they were
    PutI32(rec, 12, static_cast<int32_t>(h.Dims[3] + added));
    Seek(f, 0);
    Write(f, rec.data());
    CloseFile(f);
  } catch (...) {
    if (undo) undo->PutBack();
    throw;
  }
}

}  // namespace qelta
