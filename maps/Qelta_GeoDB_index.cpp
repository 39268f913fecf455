// TGeoDB: the five sorted indexes in memory and in their files, and the searches over them.
//
// A new record goes to the position the bisection gives (InsertPosition): just before the first equal
// key it meets, so equal keys keep no defined order among themselves, as the file format allows.
// Removal finds the entry's record from position 0 on and closes the gap. The index files are written
// after every change unless LazyWrite defers them; each change notes the first position it touched, so
// a save writes only from there on.

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

#include "Exceptions.h"
#include "FileSys.h"
#include "Qelta_GeoDB.h"
#include "Qelta_GeoDB_internal.h"
#include "TextFiles.h"

namespace qelta {

using namespace map_detail;

namespace map_detail {
namespace {

// The key an entry has in index n.
int32_t KeyOf(const TgdbData& d, int /*n*/, const TIxItemIDRec*) { return d.ItemId; }
float KeyOf(const TgdbData& d, int n, const TIxLLRec*) { return BoundOf(d, n); }

bool SameKey(int32_t a, int32_t b) { return a == b; }
bool SameKey(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

// A strict weak order for sorting: NaN after every number.
bool KeyLess(int32_t a, int32_t b) { return a < b; }
bool KeyLess(float a, float b) { return std::isnan(a) ? false : (std::isnan(b) ? true : a < b); }

void PutKey(uint8_t* p, int32_t key) { PutI32(p, key); }
void PutKey(uint8_t* p, float key) { PutF32(p, key); }
void GetKey(const uint8_t* p, int32_t& key) { key = GetI32(p); }
void GetKey(const uint8_t* p, float& key) { key = GetF32(p); }

template <class Rec>
void Decode(const uint8_t* bytes, std::size_t count, std::vector<Rec>& list) {
  list.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t* p = bytes + i * kGdbIxRecSize;
    if constexpr (std::is_same_v<Rec, TIxItemIDRec>)
      GetKey(p, list[i].ItemID);
    else
      GetKey(p, list[i].LLValue);
    list[i].index = GetI32(p + 4);
  }
}

template <class Rec>
bool Fits(const std::vector<Rec>& list, const std::vector<TgdbData>& sums, int n) {
  if (list.size() != sums.size()) return false;
  std::vector<bool> seen(list.size());
  for (const Rec& r : list) {
    if (r.index < 0 || static_cast<std::size_t>(r.index) >= list.size() || seen[static_cast<std::size_t>(r.index)])
      return false;
    seen[static_cast<std::size_t>(r.index)] = true;
    if (!SameKey(IxKey(r), KeyOf(sums[static_cast<std::size_t>(r.index)], n, &r))) return false;
  }
  return true;
}

template <class Rec>
void Build(const std::vector<TgdbData>& sums, int n, std::vector<Rec>& list) {
  list.resize(sums.size());
  for (std::size_t i = 0; i < sums.size(); ++i) {
    list[i] = Rec{};
    list[i].index = static_cast<int32_t>(i);
    if constexpr (std::is_same_v<Rec, TIxItemIDRec>)
      list[i].ItemID = sums[i].ItemId;
    else
      list[i].LLValue = BoundOf(sums[i], n);
  }
  std::stable_sort(list.begin(), list.end(), [](const Rec& a, const Rec& b) { return KeyLess(IxKey(a), IxKey(b)); });
}

// The records from position `from` on.
template <class Rec>
std::vector<uint8_t> Encode(const std::vector<Rec>& list, std::size_t from) {
  std::vector<uint8_t> bytes((list.size() - from) * kGdbIxRecSize);
  for (std::size_t i = from; i < list.size(); ++i) {
    PutKey(bytes.data() + (i - from) * kGdbIxRecSize, IxKey(list[i]));
    PutI32(bytes.data() + (i - from) * kGdbIxRecSize + 4, list[i].index);
  }
  return bytes;
}

// Inserts {key of the entry, entry - 1} at the bisection's position; answers that position.
template <class Rec>
std::size_t SortInto(std::vector<Rec>& list, int DBEntry, const TgdbData& sum, int n) {
  const auto key = KeyOf(sum, n, static_cast<const Rec*>(nullptr));
  const int at = InsertPosition(list, static_cast<int>(list.size()), key);
  Rec r{};
  r.index = DBEntry - 1;
  if constexpr (std::is_same_v<Rec, TIxItemIDRec>)
    r.ItemID = key;
  else
    r.LLValue = key;
  list.insert(list.begin() + at, r);
  return static_cast<std::size_t>(at);
}

// Removes the first record of entry DBEntry; without one the last record goes, so the list still
// shrinks by one. Answers the position from which records moved.
template <class Rec>
std::size_t RemoveEntry(std::vector<Rec>& list, int DBEntry) {
  const auto it =
      std::find_if(list.begin(), list.end(), [DBEntry](const Rec& r) { return r.index == DBEntry - 1; });
  const auto at = static_cast<std::size_t>(it - list.begin());
  if (it != list.end())
    list.erase(it);
  else if (!list.empty())
    list.pop_back();
  return std::min(at, list.size());
}

// Gives the first record of entry fromEntry the number toEntry; answers its position (the size if none).
template <class Rec>
std::size_t Renumber(std::vector<Rec>& list, int fromEntry, int toEntry) {
  const auto it =
      std::find_if(list.begin(), list.end(), [fromEntry](const Rec& r) { return r.index == fromEntry - 1; });
  if (it != list.end()) it->index = toEntry - 1;
  return static_cast<std::size_t>(it - list.begin());
}

// The record at 1-based position i (clamped), index made the entry number; all zero when empty.
template <class Rec>
Rec RecordAt(const std::vector<Rec>& list, int i) {
  if (list.empty()) return Rec{};
  Rec r = list[static_cast<std::size_t>(std::clamp(i, 1, static_cast<int>(list.size())) - 1)];
  ++r.index;
  return r;
}

bool SameNameAZ(const AnsiString& a, const AnsiString& b) {
  const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return fold(x) == fold(y);
         });
}

}  // namespace

float BoundOf(const TgdbData& d, int n) {
  switch (n) {
    case 1: return d.LatLow;
    case 2: return d.LatHigh;
    case 3: return d.LongLow;
    default: return d.LongHigh;
  }
}

void DecodeIndex(const uint8_t* bytes, std::size_t count, TIxItemIDRecArray& list) { Decode(bytes, count, list); }
void DecodeIndex(const uint8_t* bytes, std::size_t count, TIxLLRecArray& list) { Decode(bytes, count, list); }
bool IndexFits(const TIxItemIDRecArray& list, const std::vector<TgdbData>& sums, int n) {
  return Fits(list, sums, n);
}
bool IndexFits(const TIxLLRecArray& list, const std::vector<TgdbData>& sums, int n) { return Fits(list, sums, n); }
void BuildIndex(const std::vector<TgdbData>& sums, int n, TIxItemIDRecArray& list) { Build(sums, n, list); }
void BuildIndex(const std::vector<TgdbData>& sums, int n, TIxLLRecArray& list) { Build(sums, n, list); }

void RaiseAccessDenied() { throw EInOutError(InOutErrorMessage(5), 5); }

void OpenForUpdate(TRecordFile& f, const String& name) {
  AssignFile(f, name);
  Reset(f, 2);
}

void OpenForReading(TRecordFile& f, const String& name) {
  AssignFile(f, name);
  Reset(f, 0);
}

void SaveRecords(const String& name, int recordSize, const void* records, int64_t count) {
  TRecordFile f(recordSize);
  AssignFile(f, name);
  RewriteReplacing(f);
  if (count > 0) BlockWrite(f, records, count);
  CloseFile(f);
}

TFileUndo::TFileUndo(TRecordFile& f, int64_t at, int64_t count) : FFile(f), FSize(FileSize(f)), FAt(at) {
  const int64_t kept = std::clamp<int64_t>(FSize - at, 0, count);
  FOld.resize(static_cast<std::size_t>(kept * f.RecordSize()));
  if (kept == 0) return;
  if (FilePos(f) != at) Seek(f, at);
  BlockRead(f, FOld.data(), kept);
}

TFileUndo::TFileUndo(TRecordFile& f) : FFile(f), FSize(FileSize(f)), FAt(FSize) {}

TFileUndo::~TFileUndo() {
  if (FDone) return;
  try {
    if (!FOld.empty()) {
      Seek(FFile, FAt);
      BlockWrite(FFile, FOld.data(), static_cast<int64_t>(FOld.size()) / FFile.RecordSize());
    }
  } catch (...) {
  }
  try {
    if (FileSize(FFile) > FSize) {
      Seek(FFile, FSize);
      Truncate(FFile);
    }
  } catch (...) {
  }
}

}  // namespace map_detail

// [SECTION] index maintenance

TIxLLRecArray& TGeoDB::BoundIndex(int n) {
  switch (n) {
    case 1: return FIx1LatLo;
    case 2: return FIx2LatHi;
    case 3: return FIx3LongLo;
    default: return FIx4LongHi;
  }
}

const TIxLLRecArray& TGeoDB::BoundIndex(int n) const { return const_cast<TGeoDB*>(this)->BoundIndex(n); }

void TGeoDB::MarkUnsaved(int n, std::size_t position) {
  auto& unsaved = FIxUnsaved[static_cast<std::size_t>(n)];
  unsaved = std::min(unsaved, position);
}

void TGeoDB::InsertIntoIndex(int DBEntry, const TgdbData& Sum) {
  MarkUnsaved(0, SortInto(FIx0ItemId, DBEntry, Sum, 0));
  for (int n = 1; n <= 4; ++n) MarkUnsaved(n, SortInto(BoundIndex(n), DBEntry, Sum, n));
}

void TGeoDB::RemoveIndexEntries(int DBEntry) {
  MarkUnsaved(0, RemoveEntry(FIx0ItemId, DBEntry));
  for (int n = 1; n <= 4; ++n) MarkUnsaved(n, RemoveEntry(BoundIndex(n), DBEntry));
}

void TGeoDB::RenumberIndexEntries(int fromEntry, int toEntry) {
  MarkUnsaved(0, Renumber(FIx0ItemId, fromEntry, toEntry));
  for (int n = 1; n <= 4; ++n) MarkUnsaved(n, Renumber(BoundIndex(n), fromEntry, toEntry));
}

void TGeoDB::RebuildIndex(int n) {
  if (n == 0)
    BuildIndex(FSumData, 0, FIx0ItemId);
  else
    BuildIndex(FSumData, n, BoundIndex(n));
  MarkUnsaved(n, 0);
  FIxRebuilt[static_cast<std::size_t>(n)] = true;
}

// The file ends up holding exactly the list. An index rebuilt, or whose file is missing, is saved whole
// through a temporary beside the file, so a failure keeps the old file. Otherwise only the records from
// the first one changed since the last save are written in place, then the file is cut after the last:
// the same bytes as writing it anew, without rewriting an unchanged front or flushing on every change.
// An update cut short leaves the records after the changed range as they were, so the file then holds
// either the new index or one that is no longer one record per entry with that entry's key, which
// opening rebuilds from the summaries.
void TGeoDB::SaveIndex(int n) {
  const auto k = static_cast<std::size_t>(n);
  const String& name = FNameIX[k];
  if (name.empty()) return;
  const std::size_t count = n == 0 ? FIx0ItemId.size() : BoundIndex(n).size();
  std::size_t from = 0;
  TRecordFile f(kGdbIxRecSize);
  if (FIxRebuilt[k] || !FileExists(name)) {
    AssignFile(f, name);
    RewriteReplacing(f);
  } else {
    OpenForUpdate(f, name);
    from = std::min({FIxUnsaved[k], count, static_cast<std::size_t>(FileSize(f))});
  }
  const std::vector<uint8_t> bytes = n == 0 ? Encode(FIx0ItemId, from) : Encode(BoundIndex(n), from);
  Seek(f, static_cast<int64_t>(from));
  BlockWrite(f, bytes.data(), static_cast<int64_t>(count - from));
  Truncate(f);
  CloseFile(f);
  FIxUnsaved[k] = count;
  FIxRebuilt[k] = false;
}

void TGeoDB::SaveAllIndexes() {
  for (int n = 0; n < 5; ++n) SaveIndex(n);
}

void TGeoDB::SaveIndexesUnlessLazy() {
  if (!FLazyWrite) SaveAllIndexes();
}

void TGeoDB::RecalcIndexes() {
  if (!IsOpen()) return;
  for (int n = 0; n < 5; ++n) RebuildIndex(n);
  SaveAllIndexes();
}

// [SECTION] index records

TIxItemIDRec TGeoDB::GetIxItemID(int i) const { return RecordAt(FIx0ItemId, i); }
TIxLLRec TGeoDB::GetIxLatLow(int i) const { return RecordAt(FIx1LatLo, i); }
TIxLLRec TGeoDB::GetIxLatHigh(int i) const { return RecordAt(FIx2LatHi, i); }
TIxLLRec TGeoDB::GetIxLongLow(int i) const { return RecordAt(FIx3LongLo, i); }
TIxLLRec TGeoDB::GetIxLongHigh(int i) const { return RecordAt(FIx4LongHi, i); }

TgdbData TGeoDB::GetSumdata(int i) const {
  if (FSumData.empty()) return TgdbData{};
  return FSumData[static_cast<std::size_t>(std::clamp(i, 1, NumEntries()) - 1)];
}

// [SECTION] searching

int TGeoDB::SearchForItemID(int ItemID) const {
  const int at = InsertPosition(FIx0ItemId, static_cast<int>(FIx0ItemId.size()), ItemID);
  if (at >= static_cast<int>(FIx0ItemId.size())) return 0;  // beyond every key, or no entries
  const TIxItemIDRec& r = FIx0ItemId[static_cast<std::size_t>(at)];
  return r.ItemID == ItemID ? r.index + 1 : 0;
}

int TGeoDB::GetClosestItemIDIx(int ItemID) const {
  return InsertPosition(FIx0ItemId, static_cast<int>(FIx0ItemId.size()), ItemID) + 1;
}

int TGeoDB::GetClosestLatLowIx(double Latit) const {
  return InsertPosition(FIx1LatLo, static_cast<int>(FIx1LatLo.size()), Latit) + 1;
}

int TGeoDB::GetClosestLatHighIx(double Latit) const {
  return InsertPosition(FIx2LatHi, static_cast<int>(FIx2LatHi.size()), Latit) + 1;
}

int TGeoDB::GetClosestLongLowIx(double Longit) const {
  return InsertPosition(FIx3LongLo, static_cast<int>(FIx3LongLo.size()), Longit) + 1;
}

int TGeoDB::GetClosestLongHighIx(double Longit) const {
  return InsertPosition(FIx4LongHi, static_cast<int>(FIx4LongHi.size()), Longit) + 1;
}

int TGeoDB::SearchData(const TgdbName& Name, TgdbItem ItemType, int StartSearchAt, uint8_t ClassNumber) const {
  const TgdbName key = CutAnsi(Name, GdbNameMaxLen);
  for (int e = std::max(StartSearchAt, 1); e <= NumEntries(); ++e) {
    const TgdbData& d = FSumData[static_cast<std::size_t>(e - 1)];
    if ((ItemType == gitUndefined || d.ItemKind == ItemType) && (ClassNumber == 255 || d.ClassFlag == ClassNumber) &&
        SameNameAZ(d.Name, key))
      return e;
  }
  return 0;
}

int TGeoDB::SearchData(const TgdbName& Name) const { return SearchData(Name, gitUndefined, 1, 255); }

}  // namespace qelta
