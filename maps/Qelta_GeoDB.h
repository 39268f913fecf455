#pragma once
// Qelta_GeoDB: a file database of geographic items, independent of the map control.
//
// What: TGeoDB keeps borders, towns, cities, lakes, rivers, roads, routes (each a named point or
// polyline/polygon with a bounding box) and BLOBs (any bytes, or whole files, behind a 1 KB meta block)
// in six little-endian files, so that a host can build and query its own gazetteer. The unit also
// declares the records of those files and formats latitudes and longitudes.
// How: the data file holds a 260-byte header and the payloads (vertices, meta block and BLOB bytes),
// appended and never moved; the summary file one 120-byte TgdbData per entry; five index files the
// entries sorted by identifier and by each bound of the box. The component mirrors summaries and
// indexes in memory and writes every change through at once; only the index files may be deferred
// (LazyWrite). Records are packed field by field at fixed offsets (the README's "File formats").
// Limits: BlobOffset and Size are 32-bit, so the data file ends at 2^31 - 1 bytes; the indexes are
// sorted arrays, so an add or a delete costs time in proportion to the number of entries (and, with
// LazyWrite off, rewrites the five index files); payloads of replaced or deleted items stay in the data
// file until GarbageCollection. One process at a time: there is no locking.
// Failure channel: EQeltaGeoDBError with the component messages; EInOutError (the platform's I/O
// error) from any other failing file operation; operations that need an open database and find none
// answer -1, false or nothing. A damaged database never crashes or over-allocates: a partial record
// at a file's end is ignored, an index that does not fit the summaries is rebuilt from them, and a
// retrieval whose payload lies outside the data file answers false. A change that fails part way keeps
// the records stored before: appends are cut back, overwritten records written back (the identifier an
// add took is not given again). Whole files (new files, rebuilt indexes, a BLOB retrieved to a file,
// the dump, the files of GarbageCollection) are saved through a temporary beside them.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Classes.h"
#include "Qelta_qeltabase.h"
#include "Streams.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit; component methods raise it with "Component \"Name\": " ahead of the text.
QELTA_DECLARE_EXCEPTION(EQeltaGeoDBError, EQeltaError)

class TRecordFile;  // RecordFiles.h
namespace map_detail {
struct TGdbInput;  // the description of an item to store (Qelta_GeoDB_internal.h)
}

// --- records --------------------------------------------------------------------------------------

/// A vertex or a location in degrees (latitude north, longitude east positive); 8 bytes in files.
struct TSCoords {
  float Latit = 0;
  float Longit = 0;
};
/// The vertices of a line or polygon in drawing order.
using TgdbPolygon = std::vector<TSCoords>;
/// Item name: Windows-1252 text of at most GdbNameMaxLen characters (longer names are cut).
using TgdbName = AnsiString;
inline constexpr int GdbNameMaxLen = 59;

/// Kind of an item; the ordinal is stored in the summary file.
enum TgdbItem : uint8_t { gitBorder, gitTown, gitCity, gitLake, gitRiver, gitRoad, gitRoute, gitBLOB, gitUndefined };
/// Display names "Border", "Town", "City", "Lake", "River", "Road", "Route", "BLOB", "Undefined".
extern const std::array<std::u16string_view, gitUndefined + 1> GDB_ITEMNAMES;

/// A position with height; offered to users of the unit, held by no file.
struct TPositionData {
  double Latit = 0;
  double Longit = 0;
  double Height = 0;
};

/// Record of the identifier index: index is the entry number minus one.
struct TIxItemIDRec {
  int32_t ItemID = 0;
  int32_t index = 0;
};
/// Record of a bound index: a bound of an entry's box and the entry number minus one.
struct TIxLLRec {
  float LLValue = 0;
  int32_t index = 0;
};
using TIxItemIDRecArray = std::vector<TIxItemIDRec>;
using TIxLLRecArray = std::vector<TIxLLRec>;

/// The five texts of a TMetaInfo.
enum TMetaItem : uint8_t { miKwd, miCaption, miFilePath, miDescriptor, miComment };

/// Summary of one item (120 bytes in the summary file). A default-made record is all zero.
struct TgdbData {
  int32_t ItemId = 0;        ///< unique, from the header's HighestID; never reused
  TgdbName Name;             ///< at most 59 characters
  float Altitude = 0;        ///< the caller's altitude (unit not fixed)
  uint8_t ClassFlag = 0;     ///< the caller's class number
  int32_t Tag = 0;           ///< the caller's tag
  int32_t BlobOffset = 0;    ///< offset of the payload in the data file; -1 for none
  TDateTime Date = 0;        ///< item date; a BLOB from a file gets the file's modification time
  int32_t StateFlag = 0;     ///< the caller's state value
  float LatLow = 0, LatHigh = 0, LongLow = 0, LongHigh = 0;  ///< bounding box, degrees
  TgdbItem ItemKind = gitBorder;
  int32_t NumPoints = 0;     ///< vertices of a line or polygon; data bytes of a BLOB (= Size); else 0
  bool Closed = false;       ///< the vertex list closes on itself (line and polygon kinds only)

  int32_t Size() const { return NumPoints; }
};

/// Header of the data file (its first 260 bytes).
struct TgdbSystemData {
  int32_t HighestID = 0;     ///< highest ItemId given so far
  int32_t DBVersion = 4;     ///< format version
  AnsiString Description;    ///< at most 63 characters in the file; the setter stores at most 60
  int32_t Revision = 0;
  std::array<uint8_t, 184> Reserved{};  ///< kept as read
};

/// Meta block stored ahead of every BLOB's bytes (1024 bytes). Texts are Windows-1252, cut to their limits.
struct TMetaInfo {
  AnsiString Keywords;       ///< at most 255 characters
  AnsiString Caption;        ///< at most 127
  AnsiString FilePath;       ///< at most 127; the source of a BLOB added from a file
  AnsiString Descriptor;     ///< at most 255
  AnsiString Comment;        ///< at most 255
};

/// Empty state of a summary: name empty, ItemId, ClassFlag, Tag, StateFlag, bounds and Altitude 0,
/// BlobOffset -1, ItemKind gitUndefined, Closed false, Date now (local); NumPoints is left as it was.
void ClearGdbData(TgdbData& GdbData);
/// Empties the five texts.
void ClearMetaInfo(TMetaInfo& MetaInfo);
/// The south-west corner (LatLow, LongLow) of a summary's box: a town's location.
TSCoords ExtractLocation(const TgdbData& GdbData);

/// Latitude clamped to [-90, 90] as DegreeToStr of its magnitude and " N" (0 and above) or " S".
String GeoLatitude(double Latitude, TDegreeFormat Format, int DecPlaces);
/// Longitude clamped to [-180, 180] as DegreeToStr of its magnitude and " E" (0 and above) or " W".
String GeoLongitude(double Longitude, TDegreeFormat Format, int DecPlaces);
/// Reads the header of the database named FName (its base name as DBName takes it); false when the
/// data file cannot be opened or is shorter than a header.
bool ReadSystemInformation(const String& FName, TgdbSystemData& SystemData);

// --- the component ------------------------------------------------------------------------------

/// The geographic database component. Entries are numbered 1..NumEntries in the order of the summary
/// file; deleting entry e moves the last entry into number e. Progress (0..100) goes to OnPercentDone
/// while OnPercDoneEnabled is true.
class TGeoDB : public TComponent {
 public:
  explicit TGeoDB(TComponent* AOwner);
  /// Writes the pending index files when LazyWrite is on (a failure then goes unreported).
  ~TGeoDB() override;
  TGeoDB(const TGeoDB&) = delete;
  TGeoDB& operator=(const TGeoDB&) = delete;

  // [adding] each answers the new entry number (= NumEntries) or -1 when no database is open. Names are
  // cut to 59 characters. Line and polygon kinds get their box from their vertices (an empty polygon keeps
  // 90, -90, 180, -180); a BLOB keeps the caller's box. A payload that would end beyond 2^31 - 1 bytes of
  // the data file, a negative BLOB size or missing BLOB bytes are refused before anything is written.
  int AddBorder(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date, int StateFlag,
                float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                int UserTag);
  int AddCity(const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date, int StateFlag,
              float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
              int UserTag);
  /// A lake is always closed.
  int AddLake(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
              float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag);
  /// Rivers, roads and routes are never closed.
  int AddRiver(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
               float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag);
  int AddRoad(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
              float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag);
  int AddRoute(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag, float LatLow,
               float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag);
  /// A town has no payload; its box is its location.
  int AddTown(const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location, float Altitude,
              uint8_t ClassNumber, int UserTag);
  /// A BLOB of SizeOfBLOBData bytes at PBLOBData behind the meta block MInfo.
  int AddBLOB(const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
              float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
              const void* PBLOBData, int SizeOfBLOBData);
  /// A BLOB of the whole content of Data (from its start, whatever its position).
  int AddBLOB(const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
              float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo,
              TMemoryStream& Data);
  /// A BLOB of the file FileName, named by its file name part, dated by its modification time; the meta
  /// block's FilePath is FileName (cut to 127 characters). A source that cannot be opened raises
  /// EInOutError before anything is written.
  int AddBLOB(const String& FileName, TDateTime Date, int StateFlag, float LatLow, float LatHigh, float LongLow,
              float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo);
  /// As above, named by the file name part of FNameInDB.
  int AddBLOB(const String& FileName, const String& FNameInDB, TDateTime Date, int StateFlag, float LatLow,
              float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
              const TMetaInfo& MInfo);
  /// As above; then the stored meta block's FilePath becomes OrgFilePath (cut to 127 characters).
  int AddBLOB(const String& FileName, const String& FNameInDB, const String& OrgFilePath, TDateTime Date,
              int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
              uint8_t ClassNumber, int UserTag, const TMetaInfo& MInfo);

  // [replacing] entry DBEntry gets a new summary and payload (appended; the old payload stays) and keeps
  // its ItemId; nothing happens without an open database or outside 1..NumEntries.
  void ReplaceBorder(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                     int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                     uint8_t ClassNumber, int UserTag);
  void ReplaceCity(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                   int StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                   uint8_t ClassNumber, int UserTag);
  void ReplaceLake(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                   int UserTag);
  void ReplaceRiver(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                    float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                    int UserTag);
  void ReplaceRoad(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                   float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                   int UserTag);
  void ReplaceRoute(int DBEntry, const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date, int StateFlag,
                    float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                    int UserTag);
  void ReplaceTown(int DBEntry, const TgdbName& Name, TDateTime Date, int StateFlag, TSCoords Location,
                   float Altitude, uint8_t ClassNumber, int UserTag);
  void ReplaceBLOB(int DBEntry, const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                   float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                   const TMetaInfo& MInfo, const void* PBLOBData, int SizeOfBLOBData);
  void ReplaceBLOB(int DBEntry, const String& Name, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                   float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                   const TMetaInfo& MInfo, TMemoryStream& Data);
  void ReplaceBLOB(int DBEntry, const String& FileName, TDateTime Date, int StateFlag, float LatLow, float LatHigh,
                   float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber, int UserTag,
                   const TMetaInfo& MInfo);

  /// Removes entry DbEntry: the last entry takes over its number (keeping its ItemId); the data file is
  /// not touched. Nothing happens without an open database or outside 1..NumEntries.
  void DeleteData(int DbEntry);

  // [retrieving] false without an open database, for an entry number above NumEntries (below 1 counts
  // as 1), for another kind, or when the payload lies outside the data file.
  /// The vertices of a line or polygon kind.
  bool RetrievePolygon(int DBEntry, TgdbPolygon& Polygon);
  /// A BLOB's bytes to the file Filepath, created anew (a failure keeps the file that was there); an
  /// empty Filepath or one ending in '\' (or '/') gets the entry's name with every character unsafe in
  /// file names made '_'.
  bool RetrieveBLOB(int DBEntry, const String& Filepath, TMetaInfo& MetaInfo);
  /// A BLOB's bytes to the buffer PBLOBData of SizeOfBLOBData bytes; a BLOB larger than that raises
  /// EQeltaGeoDBError (MetaInfo has been filled).
  bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, void* PBLOBData, int SizeOfBLOBData);
  /// A BLOB's bytes as the whole content of BlobStream (position at its end afterwards).
  bool RetrieveBLOB(int DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream);
  /// Summary of entry i (clamped to 1..NumEntries); all zero without entries.
  TgdbData GetSumdata(int i) const;
  /// Record at position i (clamped to 1..NumEntries) of an index, its index field the entry number;
  /// all zero without entries.
  TIxItemIDRec GetIxItemID(int i) const;
  TIxLLRec GetIxLatLow(int i) const;
  TIxLLRec GetIxLatHigh(int i) const;
  TIxLLRec GetIxLongLow(int i) const;
  TIxLLRec GetIxLongHigh(int i) const;

  // [searching]
  /// Entry number of the item with identifier ItemID; 0 when there is none.
  int SearchForItemID(int ItemID) const;
  /// 1-based position at which a value would be inserted into an index (1 for an empty one,
  /// NumEntries + 1 above every key); among equal keys, the one the bisection meets.
  int GetClosestItemIDIx(int ItemID) const;
  int GetClosestLatLowIx(double Latit) const;
  int GetClosestLatHighIx(double Latit) const;
  int GetClosestLongLowIx(double Longit) const;
  int GetClosestLongHighIx(double Longit) const;
  /// First entry from StartSearchAt (at least 1) on whose name equals Name (cut to 59) ignoring the case
  /// of A-Z, of kind ItemType (gitUndefined: any kind) and class ClassNumber (255: any class); 0 when none.
  int SearchData(const TgdbName& Name, TgdbItem ItemType, int StartSearchAt, uint8_t ClassNumber) const;
  /// The first entry of that name, of any kind and class; 0 when none.
  int SearchData(const TgdbName& Name) const;

  // [meta blocks and upkeep]
  /// Reads the meta block of a BLOB entry; false for other kinds, numbers outside 1..NumEntries or a block
  /// outside the data file.
  bool GetMetaInfo(int DBEntry, TMetaInfo& MetaInfo);
  /// Rewrites the meta block of a BLOB entry in place; false as GetMetaInfo.
  bool UpdateMetaInfo(int DBEntry, const TMetaInfo& MetaInfo);
  /// Rewrites an entry's summary from GdbData except ItemId, BlobOffset, NumPoints and ItemKind, and
  /// re-indexes it. The kind's rules still hold: line and polygon kinds keep the box of their vertices, a
  /// lake stays closed and rivers, roads and routes open, other kinds but borders and cities are never
  /// closed, and a town's box is its location (LatLow, LongLow). Nothing happens outside 1..NumEntries.
  void UpdateBasicData(int DbEntry, const TgdbData& GdbData);
  // Without an open database the three routines below do nothing.
  /// Rebuilds the five indexes from the summaries and writes them.
  void RecalcIndexes();
  /// Rewrites the data file with only the payloads that entries refer to, in entry order, through a
  /// temporary file that replaces the old one only when complete; BlobOffsets follow, HighestID is kept.
  /// Should the summaries' file fail to follow the data file, the database is closed (EInOutError 5) and
  /// opening it again completes the collection.
  void GarbageCollection();
  /// Writes a text dump of the header, the summaries and the five indexes to the file FName (a failure
  /// raises EInOutError and keeps the file that was there).
  void ExportDataDebug(const String& FName);

  // [properties]
  /// Base name of the open database (empty when none). Setting a non-empty name opens that database
  /// (creating missing files, after writing pending indexes of the one open); an empty name closes.
  /// A file that exists but cannot be opened or read raises EInOutError and leaves the component closed.
  String DBName() const;
  void SetDBName(const String& value);
  /// Defers the index files; switching it off writes them at once.
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool value);
  int NumEntries() const { return static_cast<int>(FSumData.size()); }
  int DBVersion() const { return FSystemData.DBVersion; }
  String Description() const;
  /// Stores the first 60 characters and rewrites the header; nothing without an open database.
  void SetDescription(const String& value);
  int Revision() const { return FSystemData.Revision; }
  /// Stores the revision and rewrites the header; nothing without an open database.
  void SetRevision(int value);
  bool OnPercDoneEnabled() const { return FOnPercDoneEnabled; }
  void SetOnPercDoneEnabled(bool value) { FOnPercDoneEnabled = value; }

  // [events]
  TOnPercentDoneEvent OnPercentDone;

 protected:
  /// Stores a new item; answers its entry number, -1 without an open database.
  int AddData(const map_detail::TGdbInput& Item);
  /// Stores Item over entry DBEntry, keeping its ItemId.
  void ReplaceData(int DBEntry, const map_detail::TGdbInput& Item);

 private:
  bool IsOpen() const { return !FNameGDS.empty(); }
  /// Raises EQeltaGeoDBError with the component prefix ahead of text (UTF-8).
  [[noreturn]] void RaiseError(const std::string& text) const;
  void ReportProgress(int percent);
  bool ReportsProgress() const { return OnPercentDone && FOnPercDoneEnabled; }
  void WriteHeader(const char* routine);
  void OpenDatabase(const String& dbName);
  void ResetToClosed();
  // items (Qelta_GeoDB_items.cpp)
  void CheckItem(const map_detail::TGdbInput& Item, int64_t dataSize, const std::string& routine) const;
  void StorePayload(const map_detail::TGdbInput& Item, TgdbData& Sum, TRecordFile& Data, TRecordFile& Source);
  void WriteSummary(int position, const TgdbData& Sum);
  // indexes (Qelta_GeoDB_index.cpp)
  TIxLLRecArray& BoundIndex(int n);
  const TIxLLRecArray& BoundIndex(int n) const;
  void InsertIntoIndex(int DBEntry, const TgdbData& Sum);
  void RemoveIndexEntries(int DBEntry);
  void RenumberIndexEntries(int fromEntry, int toEntry);
  void MarkUnsaved(int n, std::size_t position);
  void RebuildIndex(int n);
  void SaveIndex(int n);
  void SaveAllIndexes();
  void SaveIndexesUnlessLazy();
  // retrieval (Qelta_GeoDB_retrieve.cpp)
  const TgdbData* BlobEntry(int DBEntry) const;
  bool PayloadFits(const TgdbData& Sum, int64_t payloadBytes, TRecordFile& Data) const;
  bool ReadBlobMeta(const TgdbData& Sum, TRecordFile& Data, TMetaInfo& MetaInfo);
  bool ReadVertices(const TgdbData& Sum, TgdbPolygon& Polygon);
  void CopyBlob(const TgdbData& Sum, TRecordFile& Data, const std::function<void(const uint8_t*, int)>& sink);

  String FNameGDS, FNameGDD;
  std::array<String, 5> FNameIX;
  std::vector<TgdbData> FSumData;
  TIxItemIDRecArray FIx0ItemId;
  TIxLLRecArray FIx1LatLo, FIx2LatHi, FIx3LongLo, FIx4LongHi;
  std::array<std::size_t, 5> FIxUnsaved{};  ///< per index: its records from here on may differ from its file
  std::array<bool, 5> FIxRebuilt{};         ///< per index: rebuilt, so its next save writes the file whole
  TgdbSystemData FSystemData;
  bool FLazyWrite = false;
  bool FOnPercDoneEnabled = true;
};

}  // namespace qelta

QELTA_PUBLIC_END
