// TGeoDB: retrieving vertices and BLOBs, reading and rewriting meta blocks.
//
// A payload is read only when it lies wholly inside the data file (BlobOffset and the count not
// negative, offset + bytes not beyond the end): a summary damaged or pointing past the data file makes
// the retrieval answer false without reading or allocating anything.
//
// Progress: vertices report Round(100 i / n) after vertex i (1-based) whenever i is a multiple of
// n div 100 + 1; BLOB bytes go in 16384-byte blocks, each followed by Round(100 (size - remaining) / size).
// A BLOB retrieved to a file replaces that file only once it is complete; a meta block rewrite that
// fails part way puts the old block back.

#include <algorithm>
#include <cstring>

#include "Encoding.h"
#include "Exceptions.h"
#include "Qelta_GeoDB.h"
#include "Qelta_GeoDB_internal.h"
#include "Qelta_stringl.h"

namespace qelta {

using namespace map_detail;

namespace {

constexpr int kReadChunk = 65536;

bool EndsWithSeparator(const String& path) { return !path.empty() && (path.back() == u'\\' || path.back() == u'/'); }

}  // namespace

// [SECTION] payload access

bool TGeoDB::PayloadFits(const TgdbData& Sum, int64_t payloadBytes, TRecordFile& Data) const {
  return Sum.BlobOffset >= 0 && payloadBytes >= 0 && Sum.BlobOffset + payloadBytes <= FileSize(Data);
}

const TgdbData* TGeoDB::BlobEntry(int DBEntry) const {
  const int e = std::max(DBEntry, 1);
  if (e > NumEntries() || FSumData[static_cast<std::size_t>(e - 1)].ItemKind != gitBLOB) return nullptr;
  return &FSumData[static_cast<std::size_t>(e - 1)];
}

void TGeoDB::CopyBlob(const TgdbData& Sum, TRecordFile& Data, const std::function<void(const uint8_t*, int)>& sink) {
  Seek(Data, int64_t{Sum.BlobOffset} + kGdbMetaSize);
  std::vector<uint8_t> block(static_cast<std::size_t>(std::min<int64_t>(Sum.Size(), kGdbBlock)));
  for (int64_t remaining = Sum.Size(); remaining > 0;) {
    const int n = static_cast<int>(std::min<int64_t>(kGdbBlock, remaining));
    BlockRead(Data, block.data(), n);
    sink(block.data(), n);
    remaining -= n;
    ReportProgress(std::max(0, Percent(Sum.Size() - remaining, Sum.Size())));
  }
}

// Opens the data file and reads the meta block of a BLOB whose payload fits; false otherwise.
bool TGeoDB::ReadBlobMeta(const TgdbData& Sum, TRecordFile& Data, TMetaInfo& MetaInfo) {
  OpenForReading(Data, FNameGDD);
  if (!PayloadFits(Sum, PayloadBytes(Sum), Data)) return false;
  uint8_t meta[kGdbMetaSize];
  Seek(Data, Sum.BlobOffset);
  BlockRead(Data, meta, kGdbMetaSize);
  MetaInfo = DecodeMetaInfo(meta);
  return true;
}

// [SECTION] retrievals

bool TGeoDB::RetrievePolygon(int DBEntry, TgdbPolygon& Polygon) {
  if (!IsOpen()) return false;
  ReportProgress(0);
  const int e = std::max(DBEntry, 1);
  bool found = false;
  if (e <= NumEntries() && IsLineKind(FSumData[static_cast<std::size_t>(e - 1)].ItemKind))
    found = ReadVertices(FSumData[static_cast<std::size_t>(e - 1)], Polygon);
  ReportProgress(100);
  return found;
}

bool TGeoDB::ReadVertices(const TgdbData& Sum, TgdbPolygon& Polygon) {
  TRecordFile data(1);
  OpenForReading(data, FNameGDD);
  if (!PayloadFits(Sum, PayloadBytes(Sum), data)) return false;
  const int64_t n = Sum.NumPoints, step = n / 100 + 1;
  Polygon.resize(static_cast<std::size_t>(n));
  Seek(data, Sum.BlobOffset);
  std::vector<uint8_t> chunk(static_cast<std::size_t>(std::min<int64_t>(n * kGdbCoordSize, kReadChunk)));
  const bool reporting = ReportsProgress();
  for (int64_t first = 0; first < n;) {
    const int64_t count = std::min<int64_t>(kReadChunk / kGdbCoordSize, n - first);
    BlockRead(data, chunk.data(), count * kGdbCoordSize);
    for (int64_t k = 0; k < count; ++k) {
      const uint8_t* p = chunk.data() + k * kGdbCoordSize;
      Polygon[static_cast<std::size_t>(first + k)] = TSCoords{GetF32(p), GetF32(p + 4)};
      const int64_t i = first + k + 1;
      if (reporting && i % step == 0) ReportProgress(Percent(i, n));
    }
    first += count;
  }
  return true;
}

bool TGeoDB::RetrieveBLOB(int DBEntry, const String& Filepath, TMetaInfo& MetaInfo) {
  if (!IsOpen()) return false;
  const TgdbData* sum = BlobEntry(DBEntry);
  if (!sum) return false;
  ReportProgress(0);
  String path = Filepath;
  if (path.empty() || EndsWithSeparator(path)) path += ReduceStringToFN83CompliantChars(AnsiToString(sum->Name));
  if (path.empty()) RaiseError("RetrieveBLOB: invalid filename.");
  TRecordFile data(1), target(1);
  if (!ReadBlobMeta(*sum, data, MetaInfo)) return false;
  AssignFile(target, path);
  RewriteReplacing(target);  // a failure keeps the file that was there
  CopyBlob(*sum, data, [&](const uint8_t* bytes, int n) { BlockWrite(target, bytes, n); });
  CloseFile(target);
  ReportProgress(100);
  return true;
}

bool TGeoDB::RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, void* PBLOBData, int SizeOfBLOBData) {
  if (!IsOpen()) return false;
  ReportProgress(0);
  const TgdbData* sum = BlobEntry(DBEntry);
  TRecordFile data(1);
  const bool found = sum && ReadBlobMeta(*sum, data, MetaInfo);
  if (found) {
    if (sum->Size() > SizeOfBLOBData || (sum->Size() > 0 && !PBLOBData))
      RaiseError("RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData.");
    auto* out = static_cast<uint8_t*>(PBLOBData);
    CopyBlob(*sum, data, [&](const uint8_t* bytes, int n) {
      std::memcpy(out, bytes, static_cast<std::size_t>(n));
      out += n;
    });
  }
  ReportProgress(100);
  return found;
}

bool TGeoDB::RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream) {
  if (!IsOpen()) return false;
  ReportProgress(0);
  const TgdbData* sum = BlobEntry(DBEntry);
  TRecordFile data(1);
  const bool found = sum && ReadBlobMeta(*sum, data, MetaInfo);
  if (found) {
    BlobStream.SetSize(sum->Size());
    BlobStream.SetPosition(0);
    CopyBlob(*sum, data, [&](const uint8_t* bytes, int n) { BlobStream.WriteBuffer(bytes, n); });
  }
  ReportProgress(100);
  return found;
}

// [SECTION] meta blocks

bool TGeoDB::GetMetaInfo(int DBEntry, TMetaInfo& MetaInfo) {
  if (!IsOpen() || DBEntry < 1 || DBEntry > NumEntries()) return false;
  const TgdbData& sum = FSumData[static_cast<std::size_t>(DBEntry - 1)];
  TRecordFile data(1);
  return sum.ItemKind == gitBLOB && ReadBlobMeta(sum, data, MetaInfo);
}

bool TGeoDB::UpdateMetaInfo(int DBEntry, const TMetaInfo& MetaInfo) {
  if (!IsOpen() || DBEntry < 1 || DBEntry > NumEntries()) return false;
  const TgdbData& sum = FSumData[static_cast<std::size_t>(DBEntry - 1)];
  if (sum.ItemKind != gitBLOB) return false;
  TRecordFile data(1);
  OpenForUpdate(data, FNameGDD);
  if (!PayloadFits(sum, PayloadBytes(sum), data)) return false;
  uint8_t meta[kGdbMetaSize];
  EncodeMetaInfo(MetaInfo, meta);
  TFileUndo undo(data, sum.BlobOffset, kGdbMetaSize);
  Seek(data, sum.BlobOffset);
  BlockWrite(data, meta, kGdbMetaSize);
  undo.Done();
  CloseFile(data);
  return true;
}

}  // namespace qelta
