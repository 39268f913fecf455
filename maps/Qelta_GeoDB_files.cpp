// TGeoDB: construction, opening and closing, the header and the properties.
//
// Opening reads every file that exists before it creates any that is missing, and commits the state to
// the component only when all of it was read, so a file that exists but cannot be opened or read raises
// the platform's I/O error, creates nothing and leaves the component closed (never an existing file
// recreated empty). A missing data file is created with a fresh header whose HighestID is the highest
// identifier of the summaries, so identifiers are never given twice. An index that does not hold exactly
// one record per entry with that entry's key is rebuilt from the summaries. A GarbageCollection that
// ended part way is completed or undone first. Missing files are created through a temporary beside
// them, and a header rewrite that fails part way puts the old header back.

#include <algorithm>

#include "Encoding.h"
#include "Exceptions.h"
#include "FileReplace.h"
#include "FileSys.h"
#include "Qelta_GeoDB.h"
#include "Qelta_GeoDB_internal.h"
#include "Qelta_filesys.h"
#include "RecordFiles.h"

namespace qelta {

using namespace map_detail;

namespace {

// A database as read from its files, before it is committed to the component.
struct TLoadedDB {
  TgdbSystemData header;
  std::vector<TgdbData> sums;
  TIxItemIDRecArray ix0;
  std::array<TIxLLRecArray, 4> ixLL;
  std::array<bool, 5> rebuilt{};
};

// Every whole record of an existing file, opened for reading and writing.
std::vector<uint8_t> ReadWholeRecords(const String& name, int recordSize, int64_t& count) {
  TRecordFile f(recordSize);
  OpenForUpdate(f, name);
  count = std::min<int64_t>(FileSize(f), INT32_MAX);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(count * recordSize));
  BlockRead(f, bytes.data(), count);
  return bytes;
}

void ReadSummaries(const String& name, TLoadedDB& db) {
  int64_t count = 0;
  const std::vector<uint8_t> bytes = ReadWholeRecords(name, kGdbSumSize, count);
  db.sums.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < db.sums.size(); ++i) db.sums[i] = DecodeSummary(bytes.data() + i * kGdbSumSize);
}

// Reads index n when it has one record per entry (opening it in any case); false when it must be rebuilt.
template <class Rec>
bool ReadIndex(const String& name, int n, const std::vector<TgdbData>& sums, std::vector<Rec>& list) {
  TRecordFile f(kGdbIxRecSize);
  OpenForUpdate(f, name);
  if (FileSize(f) != static_cast<int64_t>(sums.size())) return false;
  std::vector<uint8_t> bytes(sums.size() * kGdbIxRecSize);
  BlockRead(f, bytes.data(), static_cast<int64_t>(sums.size()));
  DecodeIndex(bytes.data(), sums.size(), list);
  return IndexFits(list, sums, n);
}

template <class Rec>
void LoadIndex(const String& name, bool exists, int n, TLoadedDB& db, std::vector<Rec>& list) {
  if (exists && ReadIndex(name, n, db.sums, list)) return;
  BuildIndex(db.sums, n, list);
  db.rebuilt[static_cast<std::size_t>(n)] = true;
}

TgdbSystemData ReadHeader(const String& name) {
  TRecordFile f(1);
  OpenForUpdate(f, name);
  uint8_t bytes[kGdbHeaderSize];
  BlockRead(f, bytes, kGdbHeaderSize);  // a data file shorter than its header is a read error
  return DecodeHeader(bytes);
}

// Completes or undoes a GarbageCollection that ended part way: while the data file's temporary file
// exists, the old files are intact and the temporary ones go; once it has replaced the data file, the
// summaries' temporary file is complete and replaces the summary file. What a run killed while saving
// those two files left beside them goes too.
void FinishGarbageCollection(const String& gdd, const String& gds) {
  String tempData = gdd, tempSum = gds;
  tempData += kGdbTempSuffix;
  tempSum += kGdbTempSuffix;
  RemoveStaleTemporaries(tempData);
  RemoveStaleTemporaries(tempSum);
  if (FileExists(tempData)) {
    DeleteFile(tempData);
    DeleteFile(tempSum);
  } else if (FileExists(tempSum) && !RenameFileReplacing(tempSum, gds)) {
    RaiseAccessDenied();
  }
}

int32_t HighestItemId(const std::vector<TgdbData>& sums) {
  int32_t highest = 0;
  for (const TgdbData& d : sums) highest = std::max(highest, d.ItemId);
  return highest;
}

void CreateFile(const String& name, const TgdbSystemData* header) {
  uint8_t bytes[kGdbHeaderSize];
  if (header) EncodeHeader(*header, bytes);
  SaveRecords(name, 1, bytes, header ? kGdbHeaderSize : 0);
}

}  // namespace

// [SECTION] construction

TGeoDB::TGeoDB(TComponent* AOwner) : TComponent(AOwner) {}

TGeoDB::~TGeoDB() {
  if (!FLazyWrite || !IsOpen()) return;
  try {
    SaveAllIndexes();
  } catch (...) {  // a destructor cannot report; the next opening rebuilds stale indexes
  }
}

void TGeoDB::RaiseError(const std::string& text) const {
  throw EQeltaGeoDBError(u"Component \"" + Name() + u"\": " + Utf8ToString(text));
}

void TGeoDB::ReportProgress(int percent) {
  if (ReportsProgress()) OnPercentDone(this, percent);
}

// [SECTION] opening and closing

String TGeoDB::DBName() const { return IsOpen() ? StripExtension(FNameGDS) : String(); }

void TGeoDB::SetDBName(const String& value) {
  if (IsOpen() && FLazyWrite) SaveAllIndexes();
  if (value.empty()) {
    FLazyWrite = false;
    ResetToClosed();
  } else {
    OpenDatabase(value);
  }
}

void TGeoDB::ResetToClosed() {
  FNameGDS.clear();
  FNameGDD.clear();
  FNameIX = {};
  FSumData.clear();
  FIxRebuilt = {};
  FIx0ItemId.clear();
  for (int n = 1; n <= 4; ++n) BoundIndex(n).clear();
  FSystemData = TgdbSystemData{};
}

void TGeoDB::OpenDatabase(const String& dbName) {
  const String base = StripExtension(dbName);
  const String gds = base + String(kGdbSumExt), gdd = base + String(kGdbDataExt);
  std::array<String, 5> ix;
  for (std::size_t n = 0; n < ix.size(); ++n) ix[n] = base + String(kGdbIxExt[n]);
  try {
    ResetToClosed();
    FinishGarbageCollection(gdd, gds);
    std::array<bool, 5> ixExists{};
    for (std::size_t n = 0; n < ix.size(); ++n) ixExists[n] = FileExists(ix[n]);
    const bool gdsExists = FileExists(gds), gddExists = FileExists(gdd);
    // Read what exists; nothing is created before all of it was read.
    TLoadedDB db;
    if (gdsExists) ReadSummaries(gds, db);
    LoadIndex(ix[0], ixExists[0], 0, db, db.ix0);
    for (int n = 1; n <= 4; ++n) LoadIndex(ix[n], ixExists[n], n, db, db.ixLL[n - 1]);
    if (gddExists) db.header = ReadHeader(gdd);
    // A header that lags behind the summaries would give identifiers twice.
    db.header.HighestID = std::max(db.header.HighestID, HighestItemId(db.sums));
    if (!gddExists) CreateFile(gdd, &db.header);
    if (!gdsExists) CreateFile(gds, nullptr);
    for (std::size_t n = 0; n < ix.size(); ++n)
      if (!ixExists[n]) CreateFile(ix[n], nullptr);
    // Commit.
    FNameGDS = gds;
    FNameGDD = gdd;
    FNameIX = ix;
    FSystemData = db.header;
    FSumData = std::move(db.sums);
    FIx0ItemId = std::move(db.ix0);
    for (int n = 1; n <= 4; ++n) BoundIndex(n) = std::move(db.ixLL[n - 1]);
    for (std::size_t n = 0; n < FIxUnsaved.size(); ++n) FIxUnsaved[n] = db.rebuilt[n] ? 0 : FSumData.size();
    FIxRebuilt = db.rebuilt;
    if (!FLazyWrite)
      for (int n = 0; n < 5; ++n)
        if (db.rebuilt[static_cast<std::size_t>(n)]) SaveIndex(n);
  } catch (...) {
    ResetToClosed();
    throw;
  }
}

// [SECTION] header and properties

void TGeoDB::WriteHeader(const char* routine) {
  uint8_t bytes[kGdbHeaderSize];
  EncodeHeader(FSystemData, bytes);
  try {
    TRecordFile f(1);
    OpenForUpdate(f, FNameGDD);
    TFileUndo undo(f, 0, kGdbHeaderSize);
    Seek(f, 0);
    BlockWrite(f, bytes, kGdbHeaderSize);
    undo.Done();
    CloseFile(f);
  } catch (const EInOutError&) {
    RaiseError(std::string(routine) + ": cannot open database.");
  }
}

void TGeoDB::SetLazyWrite(bool value) {
  if (FLazyWrite && !value && IsOpen()) SaveAllIndexes();
  FLazyWrite = value;
}

String TGeoDB::Description() const { return AnsiToString(FSystemData.Description); }

void TGeoDB::SetDescription(const String& value) {
  if (!IsOpen()) return;
  const AnsiString previous = FSystemData.Description;
  FSystemData.Description = AnsiCut(value, kGdbDescriptionMax);
  try {
    WriteHeader("SetDescription");
  } catch (...) {
    FSystemData.Description = previous;  // memory keeps mirroring the file
    throw;
  }
}

void TGeoDB::SetRevision(int value) {
  if (!IsOpen()) return;
  const int32_t previous = FSystemData.Revision;
  FSystemData.Revision = value;
  try {
    WriteHeader("SetRevision");
  } catch (...) {
    FSystemData.Revision = previous;
    throw;
  }
}

}  // namespace qelta
