#pragma once
// Internals of Qelta_GeoDB shared by its .cpp files (not part of the public interface): the file layout
// constants, the codecs of the records, the description of an item that AddData and ReplaceData take,
// and the bisection of the sorted indexes.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Qelta_GeoDB.h"
#include "RecordFiles.h"
#include "Visibility.h"

namespace qelta::map_detail {

// --- layout ---------------------------------------------------------------------------------------

inline constexpr int kGdbHeaderSize = 260;
inline constexpr int kGdbSumSize = 120;
inline constexpr int kGdbMetaSize = 1024;
inline constexpr int kGdbIxRecSize = 8;
inline constexpr int kGdbCoordSize = 8;
inline constexpr int32_t kGdbVersion = 4;
inline constexpr int kGdbBlock = 16384;           ///< copy block of BLOB transfers
inline constexpr int64_t kGdbMaxDataFile = 2147483647;  ///< offsets and sizes are 32-bit
inline constexpr int kGdbDescriptionMax = 60;     ///< what the Description setter keeps

inline constexpr std::u16string_view kGdbDataExt = u".qeltagdd";
inline constexpr std::u16string_view kGdbSumExt = u".qeltagds";
/// Suffix of the temporary files of GarbageCollection, beside the data and summary files.
inline constexpr std::u16string_view kGdbTempSuffix = u".gctmp";
inline constexpr std::array<std::u16string_view, 5> kGdbIxExt = {u".qeltagi0", u".qeltagi1", u".qeltagi2",
                                                                 u".qeltagi3", u".qeltagi4"};

/// Kinds whose payload is a vertex list: border, city, lake, river, road, route.
inline bool IsLineKind(TgdbItem kind) { return kind == gitBorder || (kind >= gitCity && kind <= gitRoute); }

// --- codecs: little-endian, field by field ----------------------------------------------------------

inline void PutI32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}
inline int32_t GetI32(const uint8_t* p) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(p[i]) << (8 * i);
  return static_cast<int32_t>(u);
}
// The record codecs and BoundOf are exported for the benchmark that writes a database by itself.
QELTA_PUBLIC_BEGIN
void PutF32(uint8_t* p, float v);
float GetF32(const uint8_t* p);

/// 120-byte summary record; unused name bytes are blanks, padding bytes zero, the name cut to 59.
void EncodeSummary(const TgdbData& d, uint8_t* out);
/// A summary record; a length byte beyond 59 reads as 59.
TgdbData DecodeSummary(const uint8_t* in);
/// 260-byte header; the description's unused bytes zero.
void EncodeHeader(const TgdbSystemData& h, uint8_t* out);
TgdbSystemData DecodeHeader(const uint8_t* in);
/// 1024-byte meta block; each text cut to its limit, unused bytes zero.
void EncodeMetaInfo(const TMetaInfo& m, uint8_t* out);
TMetaInfo DecodeMetaInfo(const uint8_t* in);
QELTA_PUBLIC_END
/// s cut to its first n bytes.
inline AnsiString CutAnsi(const AnsiString& s, int n) {
  return s.size() > static_cast<std::size_t>(n) ? s.substr(0, static_cast<std::size_t>(n)) : s;
}
/// A 16-bit text as Windows-1252, cut to n characters.
AnsiString AnsiCut(const String& s, int n);

/// Bytes of an entry's payload: its vertices, or meta block and BLOB bytes; 0 for kinds without one,
/// -1 when the count is negative.
int64_t PayloadBytes(const TgdbData& s);
/// Round(100 part / whole), the product in 64 bits (whole > 0).
int Percent(int64_t part, int64_t whole);

// --- files and indexes -----------------------------------------------------------------------------

/// Raises the platform's I/O error "File access denied" (5): a file could not be renamed into place.
[[noreturn]] void RaiseAccessDenied();
/// Opens an existing file for reading and writing (reading only) at record 0; raises EInOutError.
void OpenForUpdate(TRecordFile& f, const String& name);
void OpenForReading(TRecordFile& f, const String& name);
/// Creates or replaces the file with `count` records (none for nullptr) through a temporary beside it
/// (RewriteReplacing): a failure raises EInOutError and keeps the old file.
void SaveRecords(const String& name, int recordSize, const void* records, int64_t count);

/// Puts an open record file back as it was when a change fails part way: the records the change
/// overwrites (count records from `at`, as far as the file reaches) and its length. Declare it after the
/// file's variable and call Done once the change is complete; otherwise its destruction writes the old
/// records back and cuts the file to its old length, best effort (the change's own error is the one
/// reported). Construction may move the file's position: seek before writing.
class TFileUndo {
 public:
  TFileUndo(TRecordFile& f, int64_t at, int64_t count);
  /// For a change that only appends.
  explicit TFileUndo(TRecordFile& f);
  ~TFileUndo();
  TFileUndo(const TFileUndo&) = delete;
  TFileUndo& operator=(const TFileUndo&) = delete;
  void Done() { FDone = true; }

 private:
  TRecordFile& FFile;
  int64_t FSize = 0;            ///< records before the change
  int64_t FAt = 0;
  std::vector<uint8_t> FOld;    ///< the records from FAt that the change overwrites
  bool FDone = false;
};

/// Bound n (1 LatLow, 2 LatHigh, 3 LongLow, 4 LongHigh) of a summary's box.
QELTA_PUBLIC_BEGIN
float BoundOf(const TgdbData& d, int n);
QELTA_PUBLIC_END
/// Records of an index file.
void DecodeIndex(const uint8_t* bytes, std::size_t count, TIxItemIDRecArray& list);
void DecodeIndex(const uint8_t* bytes, std::size_t count, TIxLLRecArray& list);
/// True when index n holds one record per summary, every entry once, each with that entry's key.
bool IndexFits(const TIxItemIDRecArray& list, const std::vector<TgdbData>& sums, int n);
bool IndexFits(const TIxLLRecArray& list, const std::vector<TgdbData>& sums, int n);
/// Index n built from the summaries: sorted by key (NaN last), equal keys in entry order.
void BuildIndex(const std::vector<TgdbData>& sums, int n, TIxItemIDRecArray& list);
void BuildIndex(const std::vector<TgdbData>& sums, int n, TIxLLRecArray& list);

// --- the item to store ------------------------------------------------------------------------------

/// What AddData and ReplaceData store: the caller's fields and the payload's source.
struct TGdbInput {
  TgdbName Name;
  TgdbItem Kind = gitUndefined;
  const TgdbPolygon* Polygon = nullptr;  ///< line and polygon kinds (borrowed)
  bool Closed = false;
  uint8_t ClassNumber = 0;
  TDateTime Date = 0;
  int32_t StateFlag = 0;
  float LatLow = 0, LatHigh = 0, LongLow = 0, LongHigh = 0;
  float Altitude = 0;
  int32_t UserTag = 0;
  TMetaInfo MetaInfo;                    ///< BLOBs
  const void* Data = nullptr;            ///< a BLOB's bytes in memory (borrowed)
  int64_t Size = 0;                      ///< their count
  String SourceFile;                     ///< a BLOB read from this file when not empty
};

// --- bisection --------------------------------------------------------------------------------------

/// Key of an index record.
inline int32_t IxKey(const TIxItemIDRec& r) { return r.ItemID; }
inline float IxKey(const TIxLLRec& r) { return r.LLValue; }

/// 0-based insertion position of key in a sorted list: bisection that stops at the first equal key it
/// meets; the position is that record's (before it), or after the last record compared when the key
/// is greater. An empty list gives 0. Never reads outside the list, whatever its order or NaNs.
template <class Rec, class Key>
int InsertPosition(const std::vector<Rec>& list, int count, Key key) {
  if (count <= 0) return 0;
  int lo = 0, hi = count - 1, mid = 0;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    const Key k = static_cast<Key>(IxKey(list[static_cast<std::size_t>(mid)]));
    if (key > k)
      lo = mid + 1;
    else if (key < k)
      hi = mid - 1;
    else
      return mid;
  }
  return key > static_cast<Key>(IxKey(list[static_cast<std::size_t>(mid)])) ? mid + 1 : mid;
}

}  // namespace qelta::map_detail
