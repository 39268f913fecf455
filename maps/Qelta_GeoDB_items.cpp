// TGeoDB: adding, replacing, deleting and updating items.
//
// AddData and ReplaceData check everything that can refuse an item before they write a byte: a BLOB's
// source file is opened (the platform's I/O error when it cannot be), a negative size or missing bytes
// are refused, and so is a payload that would end beyond 2^31 - 1 bytes of the data file (offsets and
// sizes are 32-bit). Then the header (AddData only), the payload, the summary and the indexes are
// written in that order. A failure before the summary is complete cuts the data and summary files back
// to their old lengths and writes back a summary record it was overwriting (TFileUndo), so the stored
// items stay as they were; only the identifier taken by AddData is not given again.
//
// Progress, with 64-bit products: after vertex k (0-based) of n, Round(100 k / n); a BLOB from memory
// after each full 16384-byte block j, Round(16384 j 100 / size) (a last partial block reports nothing);
// a BLOB from a file after every block j, Round(min(16384 j, size) 100 / size).

#include <algorithm>
#include <optional>

#include "Encoding.h"
#include "Exceptions.h"
#include "FileSys.h"
#include "Qelta_GeoDB.h"
#include "Qelta_GeoDB_internal.h"

namespace qelta {

using namespace map_detail;

namespace {

constexpr int kMetaPathMax = 127;

/// Progress sink; empty when nobody listens.
using TReport = std::function<void(int)>;

TGdbInput Common(TgdbItem kind, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                 float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag) {
  TGdbInput in;
  in.Kind = kind;
  in.Date = Date;
  in.StateFlag = StateFlag;
  in.LatLow = LatLow;
  in.LatHigh = LatHigh;
  in.LongLow = LongLow;
  in.LongHigh = LongHigh;
  in.Altitude = Altitude;
  in.ClassNumber = ClassNumber;
  in.UserTag = UserTag;
  return in;
}

TGdbInput LineItem(TgdbItem kind, const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed, TDateTime Date,
                   int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                   uint8_t ClassNumber, int UserTag) {
  TGdbInput in = Common(kind, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag);
  in.Name = Name;
  in.Polygon = &Polygon;
  in.Closed = Closed;
  return in;
}

TGdbInput TownItem(const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location, float Altitude,
                   uint8_t ClassNumber, int UserTag) {
  TGdbInput in = Common(gitTown, Date, StateFlag, Location.Latit, Location.Latit, Location.Longit, Location.Longit,
                        Altitude, ClassNumber, UserTag);
  in.Name = Name;
  return in;
}

TGdbInput BlobItem(const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                   float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo) {
  TGdbInput in =
      Common(gitBLOB, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude, ClassNumber, UserTag);
  in.Name = AnsiCut(Name, GdbNameMaxLen);
  in.MetaInfo = MInfo;
  return in;
}

// A BLOB read from FileName, named after the file name part of NameInDB. The file is read by the name
// given, not by the meta block's path, which is cut to 127 characters and to Windows-1252.
TGdbInput FileBlob(const String& FileName, const String& NameInDB, TDateTime Date, int StateFlag, float LatLow,
                   float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                   const TMetaInfo& MInfo) {
  TGdbInput in = BlobItem(ExtractFileName(NameInDB), Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                          ClassNumber, UserTag, MInfo);
  in.MetaInfo.FilePath = AnsiCut(FileName, kMetaPathMax);
  in.SourceFile = FileName;
  return in;
}

TGdbInput MemoryBlob(TGdbInput in, const void* data, int64_t size) {
  in.Data = data;
  in.Size = size;
  return in;
}

// Bytes the item's payload takes in the data file.
int64_t InputBytes(const TGdbInput& in) {
  if (IsLineKind(in.Kind)) return kGdbCoordSize * static_cast<int64_t>(in.Polygon ? in.Polygon->size() : 0);
  if (in.Kind == gitBLOB) return kGdbMetaSize + in.Size;
  return 0;
}

bool HasPayload(TgdbItem kind) { return IsLineKind(kind) || kind == gitBLOB; }

// The item with its source file opened for reading: size and date are the file's.
TGdbInput WithSource(const TGdbInput& item, TRecordFile& source) {
  TGdbInput in = item;
  if (in.Kind != gitBLOB || in.SourceFile.empty()) return in;
  OpenForReading(source, in.SourceFile);
  in.Size = FileSize(source);
  TDateTime modified = 0;
  if (FileAge(in.SourceFile, modified)) in.Date = modified;
  return in;
}

// The summary of an item as the caller gave it, before its payload is stored.
TgdbData BuildSummary(const TGdbInput& in, int32_t itemId) {
  TgdbData d;
  d.ItemId = itemId;
  d.Name = CutAnsi(in.Name, GdbNameMaxLen);
  d.BlobOffset = -1;
  d.ClassFlag = in.ClassNumber;
  d.Tag = in.UserTag;
  d.Altitude = in.Altitude;
  d.LatLow = in.LatLow;
  d.LatHigh = in.LatHigh;
  d.LongLow = in.LongLow;
  d.LongHigh = in.LongHigh;
  d.StateFlag = in.StateFlag;
  d.Date = in.Date;
  d.ItemKind = in.Kind;
  return d;
}

void Narrow(TgdbData& sum, TSCoords v) {
  if (v.Latit < sum.LatLow) sum.LatLow = v.Latit;
  if (v.Latit > sum.LatHigh) sum.LatHigh = v.Latit;
  if (v.Longit < sum.LongLow) sum.LongLow = v.Longit;
  if (v.Longit > sum.LongHigh) sum.LongHigh = v.Longit;
}

// Appends the vertices in blocks and takes the box from them.
void StoreVertices(const TgdbPolygon& polygon, TgdbData& sum, TRecordFile& data, const TReport& report) {
  sum.LatLow = 90;
  sum.LatHigh = -90;
  sum.LongLow = 180;
  sum.LongHigh = -180;
  const int64_t at = FileSize(data);
  const auto n = static_cast<int64_t>(polygon.size());
  sum.BlobOffset = static_cast<int32_t>(at);
  sum.NumPoints = static_cast<int32_t>(n);
  Seek(data, at);
  constexpr int64_t kChunk = kGdbBlock / kGdbCoordSize;
  std::vector<uint8_t> block(static_cast<std::size_t>(std::min(n, kChunk) * kGdbCoordSize));
  for (int64_t first = 0; first < n; first += kChunk) {
    const int64_t count = std::min(kChunk, n - first);
    for (int64_t i = 0; i < count; ++i) {
      const TSCoords v = polygon[static_cast<std::size_t>(first + i)];
      Narrow(sum, v);
      PutF32(block.data() + i * kGdbCoordSize, v.Latit);
      PutF32(block.data() + i * kGdbCoordSize + 4, v.Longit);
    }
    BlockWrite(data, block.data(), count * kGdbCoordSize);
    if (report)
      for (int64_t k = first; k < first + count; ++k) report(Percent(k, n));
  }
}

// Appends the meta block and the BLOB's bytes, from memory or from the open source file.
void StoreBlob(const TGdbInput& in, TgdbData& sum, TRecordFile& data, TRecordFile* source, const TReport& report) {
  const int64_t at = FileSize(data);
  sum.BlobOffset = static_cast<int32_t>(at);
  sum.NumPoints = static_cast<int32_t>(in.Size);
  Seek(data, at);
  uint8_t meta[kGdbMetaSize];
  EncodeMetaInfo(in.MetaInfo, meta);
  BlockWrite(data, meta, kGdbMetaSize);
  std::vector<uint8_t> block(source ? kGdbBlock : 0);
  for (int64_t done = 0; done < in.Size;) {
    const int64_t n = std::min<int64_t>(kGdbBlock, in.Size - done);
    const uint8_t* bytes = static_cast<const uint8_t*>(in.Data) + done;
    if (source) {
      BlockRead(*source, block.data(), n);
      bytes = block.data();
    }
    BlockWrite(data, bytes, n);
    done += n;
    if (report && (source || n == kGdbBlock)) report(Percent(done, in.Size));
  }
}

}  // namespace

// [SECTION] the internal store

void TGeoDB::CheckItem(const TGdbInput& Item, int64_t dataSize, const std::string& routine) const {
  if (Item.Kind == gitBLOB && Item.Size < 0) RaiseError(routine + ": size of BLOB data is negative.");
  if (Item.Kind == gitBLOB && Item.Size > 0 && !Item.Data && Item.SourceFile.empty())
    RaiseError(routine + ": BLOB data missing.");
  if (std::max<int64_t>(dataSize, kGdbHeaderSize) + InputBytes(Item) > kGdbMaxDataFile)
    RaiseError(routine + ": data file would exceed 2147483647 bytes.");
}

void TGeoDB::StorePayload(const TGdbInput& Item, TgdbData& Sum, TRecordFile& Data, TRecordFile& Source) {
  TReport report;
  if (ReportsProgress()) report = [this](int percent) { ReportProgress(percent); };
  if (IsLineKind(Item.Kind)) {
    static const TgdbPolygon kNone;
    StoreVertices(Item.Polygon ? *Item.Polygon : kNone, Sum, Data, report);
    Sum.Closed = Item.Closed;
  } else if (Item.Kind == gitBLOB) {
    StoreBlob(Item, Sum, Data, Item.SourceFile.empty() ? nullptr : &Source, report);
  }
}

void TGeoDB::WriteSummary(int position, const TgdbData& Sum) {
  uint8_t bytes[kGdbSumSize];
  EncodeSummary(Sum, bytes);
  TRecordFile f(kGdbSumSize);
  OpenForUpdate(f, FNameGDS);
  TFileUndo undo(f, position, 1);
  Seek(f, position);  // after the last whole record at most: a partial record at the end is overwritten
  Write(f, bytes);
  undo.Done();
  CloseFile(f);
}

int TGeoDB::AddData(const TGdbInput& Item) {
  if (!IsOpen()) return -1;
  TRecordFile source(1), data(1);
  const TGdbInput in = WithSource(Item, source);
  CheckItem(in, 0, "AddData");
  try {
    OpenForUpdate(data, FNameGDD);
  } catch (const EInOutError&) {
    RaiseError("AddData: cannot open database.");
  }
  CheckItem(in, FileSize(data), "AddData");
  if (FSystemData.HighestID == INT32_MAX) RaiseError("AddData: no item identifier left.");
  ReportProgress(0);
  ++FSystemData.HighestID;
  WriteHeader("AddData");
  TgdbData sum = BuildSummary(in, FSystemData.HighestID);
  TFileUndo payload(data);
  StorePayload(in, sum, data, source);
  const int entry = NumEntries() + 1;
  WriteSummary(entry - 1, sum);
  payload.Done();
  FSumData.push_back(sum);
  InsertIntoIndex(entry, sum);
  SaveIndexesUnlessLazy();
  ReportProgress(100);
  return entry;
}

void TGeoDB::ReplaceData(int DBEntry, const TGdbInput& Item) {
  if (!IsOpen() || DBEntry < 1 || DBEntry > NumEntries()) return;
  TRecordFile source(1), data(1);
  const TGdbInput in = WithSource(Item, source);
  CheckItem(in, 0, "ReplaceData");
  std::optional<TFileUndo> payload;
  if (HasPayload(in.Kind)) {
    OpenForUpdate(data, FNameGDD);
    CheckItem(in, FileSize(data), "ReplaceData");
    payload.emplace(data);
  }
  ReportProgress(0);
  TgdbData sum = BuildSummary(in, FSumData[static_cast<std::size_t>(DBEntry - 1)].ItemId);
  StorePayload(in, sum, data, source);
  WriteSummary(DBEntry - 1, sum);
  if (payload) payload->Done();
  FSumData[static_cast<std::size_t>(DBEntry - 1)] = sum;
  RemoveIndexEntries(DBEntry);
  InsertIntoIndex(DBEntry, sum);
  SaveIndexesUnlessLazy();
  ReportProgress(100);
}

// [SECTION] deleting and updating

void TGeoDB::DeleteData(int DbEntry) {
  const int n = NumEntries();
  if (!IsOpen() || DbEntry < 1 || DbEntry > n) return;
  TRecordFile f(kGdbSumSize);
  OpenForUpdate(f, FNameGDS);
  TFileUndo undo(f, DbEntry - 1, 1);
  if (DbEntry < n) {
    uint8_t bytes[kGdbSumSize];
    EncodeSummary(FSumData.back(), bytes);
    Seek(f, DbEntry - 1);
    Write(f, bytes);
  }
  Seek(f, n - 1);
  Truncate(f);
  undo.Done();
  CloseFile(f);
  FSumData[static_cast<std::size_t>(DbEntry - 1)] = FSumData.back();
  FSumData.pop_back();
  RemoveIndexEntries(DbEntry);
  RenumberIndexEntries(n, DbEntry);
  SaveIndexesUnlessLazy();
}

void TGeoDB::UpdateBasicData(int DbEntry, const TgdbData& GdbData) {
  if (!IsOpen() || DbEntry < 1 || DbEntry > NumEntries()) return;
  TgdbData d = FSumData[static_cast<std::size_t>(DbEntry - 1)];
  d.Name = CutAnsi(GdbData.Name, GdbNameMaxLen);
  d.Altitude = GdbData.Altitude;
  d.ClassFlag = GdbData.ClassFlag;
  d.Tag = GdbData.Tag;
  d.Date = GdbData.Date;
  d.StateFlag = GdbData.StateFlag;
  if (d.ItemKind == gitBorder || d.ItemKind == gitCity) d.Closed = GdbData.Closed;
  if (d.ItemKind == gitTown) {
    d.LatLow = d.LatHigh = GdbData.LatLow;
    d.LongLow = d.LongHigh = GdbData.LongLow;
  } else if (!IsLineKind(d.ItemKind)) {
    d.LatLow = GdbData.LatLow;
    d.LatHigh = GdbData.LatHigh;
    d.LongLow = GdbData.LongLow;
    d.LongHigh = GdbData.LongHigh;
  }
  WriteSummary(DbEntry - 1, d);
  FSumData[static_cast<std::size_t>(DbEntry - 1)] = d;
  RemoveIndexEntries(DbEntry);
  InsertIntoIndex(DbEntry, d);
  SaveIndexesUnlessLazy();
}

// [SECTION] the named forms

int TGeoDB::AddBorder(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                      int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                      uint8_t ClassNumber, int UserTag) {
  return AddData(LineItem(gitBorder, Name, Polygon, ClosedLine, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                          Altitude, ClassNumber, UserTag));
}

int TGeoDB::AddCity(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                    int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                    uint8_t ClassNumber, int UserTag) {
  return AddData(LineItem(gitCity, Name, Polygon, ClosedLine, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                          Altitude, ClassNumber, UserTag));
}

int TGeoDB::AddLake(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag) {
  return AddData(LineItem(gitLake, Name, Polygon, true, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                          ClassNumber, UserTag));
}

int TGeoDB::AddRiver(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                     float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag) {
  return AddData(LineItem(gitRiver, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                          Altitude, ClassNumber, UserTag));
}

int TGeoDB::AddRoad(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag) {
  return AddData(LineItem(gitRoad, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                          ClassNumber, UserTag));
}

int TGeoDB::AddRoute(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
                     float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag) {
  return AddData(LineItem(gitRoute, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                          Altitude, ClassNumber, UserTag));
}

int TGeoDB::AddTown(const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location, float Altitude,
                    uint8_t ClassNumber, int UserTag) {
  return AddData(TownItem(Name, Date, StateFlag, Location, Altitude, ClassNumber, UserTag));
}

int TGeoDB::AddBLOB(const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                    float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                    const void* PBLOBData, int SizeOfBLOBData) {
  return AddData(MemoryBlob(BlobItem(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude, ClassNumber,
                                     UserTag, MInfo),
                            PBLOBData, SizeOfBLOBData));
}

int TGeoDB::AddBLOB(const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
                    float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
                    TMemoryStream& Data) {
  return AddData(MemoryBlob(BlobItem(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude, ClassNumber,
                                     UserTag, MInfo),
                            Data.Memory(), Data.Size()));
}

int TGeoDB::AddBLOB(const String& FileName, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                    float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                    const TMetaInfo& MInfo) {
  return AddData(FileBlob(FileName, FileName, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                          ClassNumber, UserTag, MInfo));
}

int TGeoDB::AddBLOB(const String& FileName, const String& FNameInDB, TDateTime Date, int StateFlag, float LatLow,
                    float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                    const TMetaInfo& MInfo) {
  return AddData(FileBlob(FileName, FNameInDB, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                          ClassNumber, UserTag, MInfo));
}

int TGeoDB::AddBLOB(const String& FileName, const String& FNameInDB, const String& OrgFilePath, TDateTime Date,
                    int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                    uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo) {
  const int entry = AddBLOB(FileName, FNameInDB, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                            ClassNumber, UserTag, MInfo);
  TMetaInfo stored;
  if (entry > 0 && GetMetaInfo(entry, stored)) {
    stored.FilePath = AnsiCut(OrgFilePath, kMetaPathMax);
    UpdateMetaInfo(entry, stored);
  }
  return entry;
}

void TGeoDB::ReplaceBorder(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                           TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                           float Altitude, uint8_t ClassNumber, int UserTag) {
  ReplaceData(DBEntry, LineItem(gitBorder, Name, Polygon, ClosedLine, Date, StateFlag, LatLow, LatHigh, LongLow,
                                LongHigh, Altitude, ClassNumber, UserTag));
}

void TGeoDB::ReplaceCity(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                         TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                         float Altitude, uint8_t ClassNumber, int UserTag) {
  ReplaceData(DBEntry, LineItem(gitCity, Name, Polygon, ClosedLine, Date, StateFlag, LatLow, LatHigh, LongLow,
                                LongHigh, Altitude, ClassNumber, UserTag));
}

void TGeoDB::ReplaceLake(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                         int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                         uint8_t ClassNumber, int UserTag) {
  ReplaceData(DBEntry, LineItem(gitLake, Name, Polygon, true, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                Altitude, ClassNumber, UserTag));
}

void TGeoDB::ReplaceRiver(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                          int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                          uint8_t ClassNumber, int UserTag) {
  ReplaceData(DBEntry, LineItem(gitRiver, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                Altitude, ClassNumber, UserTag));
}

void TGeoDB::ReplaceRoad(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                         int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                         uint8_t ClassNumber, int UserTag) {
  ReplaceData(DBEntry, LineItem(gitRoad, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                Altitude, ClassNumber, UserTag));
}

void TGeoDB::ReplaceRoute(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                          int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                          uint8_t ClassNumber, int UserTag) {
  ReplaceData(DBEntry, LineItem(gitRoute, Name, Polygon, false, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                Altitude, ClassNumber, UserTag));
}

void TGeoDB::ReplaceTown(int DBEntry, const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location,
                         float Altitude, uint8_t ClassNumber, int UserTag) {
  ReplaceData(DBEntry, TownItem(Name, Date, StateFlag, Location, Altitude, ClassNumber, UserTag));
}

void TGeoDB::ReplaceBLOB(int DBEntry, const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                         float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                         const TMetaInfo& MInfo, const void* PBLOBData, int SizeOfBLOBData) {
  ReplaceData(DBEntry, MemoryBlob(BlobItem(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                                           ClassNumber, UserTag, MInfo),
                                  PBLOBData, SizeOfBLOBData));
}

void TGeoDB::ReplaceBLOB(int DBEntry, const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                         float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                         const TMetaInfo& MInfo, TMemoryStream& Data) {
  ReplaceData(DBEntry, MemoryBlob(BlobItem(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                                           ClassNumber, UserTag, MInfo),
                                  Data.Memory(), Data.Size()));
}

void TGeoDB::ReplaceBLOB(int DBEntry, const String& FileName, TDateTime Date, int StateFlag, float LatLow,
                         float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                         int UserTag, const TMetaInfo& MInfo) {
  ReplaceData(DBEntry, FileBlob(FileName, FileName, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                                ClassNumber, UserTag, MInfo));
}

}  // namespace qelta
