// Associative array of unit Qelta_dstruct: keys and values in two parallel arrays. A search answers
// the first entry (from the front) whose key matches, as a linear search would; an index from the
// key (A-Z folded under IgnoreCase) to its entries finds it in constant time, so loading n entries
// takes time linear in n (it took quadratic time searching linearly). The index is one flat table
// (open addressing, linear probing, each place an entry number and its key's hash), not a node per key:
// a search mostly touches one place and one key. The linear search stays as its plain twin (the
// direct paths off), which the tests compare with it.
//
// Deliberate deviations from the classic behaviour:
// - A Granularity of 0 or less is stored as 1 (the arrays could not grow).
// - ResolveAsNumber scans 16-bit text values as it scans 8-bit ones; values read from
//   attribute lists are 16-bit texts, and a number stored there should read as a number.

#include <algorithm>
#include <new>

#include "DirectPaths.h"
#include "Qelta_dstruct.h"
#include "StrUtils.h"

namespace qelta {

namespace {

Char LowerAZ(Char c) { return c >= u'A' && c <= u'Z' ? Char(c + 32) : c; }

bool IsNumericType(TVarType t) {
  switch (t) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency: case varDate:
    case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
      return true;
    default:
      return false;
  }
}

}  // namespace

TAssocArray::TAssocArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FDataArray.resize(size_t(FGranularity));
    FKeyArray.resize(size_t(FGranularity));
  } catch (const std::bad_alloc&) {
    throw EQeltaDStructError(u"Component \"" + Name() + u"\": not enough memory on heap");
  }
}

uint32_t TAssocArray::KeyHash(const String& key) const {
  uint32_t h = 2166136261u;  // FNV-1a, then a final mix so that the low bits depend on every character
  for (const Char c : key) h = (h ^ (FIgnoreCase ? LowerAZ(c) : c)) * 16777619u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  return h ^ (h >> 12);
}

bool TAssocArray::SameKey(const String& a, const String& b) const {
  if (a.size() != b.size()) return false;
  if (!FIgnoreCase) return a == b;
  for (size_t k = 0; k < a.size(); ++k)
    if (LowerAZ(a[k]) != LowerAZ(b[k])) return false;
  return true;
}

void TAssocArray::Rehash(size_t slots) const {
  std::vector<TSlot> old(slots);
  old.swap(FSlots);
  for (const TSlot& slot : old)
    if (slot.Entry >= 0) {
      size_t h = slot.Hash & (slots - 1);
      while (FSlots[h].Entry >= 0) h = (h + 1) & (slots - 1);
      FSlots[h] = slot;
    }
}

void TAssocArray::ReserveFor(size_t entries) {
  size_t slots = 64;
  while (slots < 2 * entries && slots < (size_t(1) << 40)) slots *= 2;
  try {
    FDataArray.reserve(entries);
    FKeyArray.reserve(entries);
    if (FIndexed && slots > FSlots.size()) Rehash(slots);
  } catch (const std::bad_alloc&) {  // a hint only: the arrays grow as they fill
  } catch (const std::length_error&) {
  }
}

void TAssocArray::Reindex(size_t slots) const {
  FSlots.assign(slots, TSlot{});
  FIndexCount = 0;
  FIndexed = true;
  for (int i = 0; i < FNEntries; ++i) IndexAdd(i);
}

void TAssocArray::IndexAdd(int i, uint32_t hash) const {
  if (!FIndexed) return;
  if (2 * (FIndexCount + 1) > FSlots.size()) Rehash(std::max<size_t>(64, 2 * FSlots.size()));
  const size_t mask = FSlots.size() - 1;
  size_t h = hash & mask;
  while (FSlots[h].Entry >= 0) h = (h + 1) & mask;
  FSlots[h] = TSlot{i, hash};
  ++FIndexCount;
}

// Removes entry i's place and moves up the entries after it in its run that may stand in the hole
// (deletion without markers for linear probing). The entry's key is still the one it was indexed by.
void TAssocArray::IndexRemove(int i) const {
  if (!FIndexed) return;
  const size_t mask = FSlots.size() - 1;
  size_t hole = KeyHash(FKeyArray[size_t(i)]) & mask;
  while (FSlots[hole].Entry != i) hole = (hole + 1) & mask;
  for (size_t j = (hole + 1) & mask; FSlots[j].Entry >= 0; j = (j + 1) & mask) {
    const size_t home = FSlots[j].Hash & mask;
    const bool stays = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
    if (stays) continue;
    FSlots[hole] = FSlots[j];
    hole = j;
  }
  FSlots[hole] = TSlot{};
  --FIndexCount;
}

// The first entry of the key: through the index, or by a search from the front (the plain twin, when the
// direct paths are off; the tests compare the two).
int TAssocArray::Find(const String& key, uint32_t hash) const {
  if (!platform_detail::DirectPaths()) {
    for (int i = 0; i < FNEntries; ++i)
      if (SameKey(FKeyArray[size_t(i)], key)) return i;
    return -1;
  }
  if (!FIndexed) {
    size_t slots = 64;
    while (slots < 2 * size_t(FNEntries)) slots *= 2;
    Reindex(slots);
  }
  if (FSlots.empty()) return -1;
  const size_t mask = FSlots.size() - 1;
  int first = -1;
  for (size_t h = hash & mask; FSlots[h].Entry >= 0; h = (h + 1) & mask) {
    const int i = FSlots[h].Entry;
    if (FSlots[h].Hash == hash && (first < 0 || i < first) && SameKey(FKeyArray[size_t(i)], key)) first = i;
  }
  return first;
}

uint32_t TAssocArray::PrefetchKey(const String& key) const {
  const uint32_t hash = KeyHash(key);
  if (FIndexed && !FSlots.empty()) __builtin_prefetch(&FSlots[hash & (FSlots.size() - 1)]);
  return hash;
}

void TAssocArray::TakeEntries(TAssocArray& from) {
  std::swap(FNEntries, from.FNEntries);
  FDataArray.swap(from.FDataArray);
  FKeyArray.swap(from.FKeyArray);
  FSlots.swap(from.FSlots);
  std::swap(FIndexCount, from.FIndexCount);
  std::swap(FIndexed, from.FIndexed);
}

void TAssocArray::SetIgnoreCase(bool value) {
  if (value == FIgnoreCase) return;
  FIgnoreCase = value;
  FIndexed = false;
}

void TAssocArray::Grow() {
  const size_t places = size_t(FNEntries) + 1 + size_t(FGranularity);
  try {
    FDataArray.resize(places);
    FKeyArray.resize(places);
  } catch (const std::bad_alloc&) {
    FDataArray.resize(FKeyArray.size());
    throw EQeltaDStructError(u"Component \"" + Name() + u"\": not enough memory");
  }
}

void TAssocArray::Add(const String& key, const Variant& value) { AddHashed(key, KeyHash(key), value); }

// The key's hash serves both the search and the index: the stored key (A-Z lower-cased under IgnoreCase)
// hashes as the key does.
void TAssocArray::AddHashed(const String& key, uint32_t hash, const Variant& value) {
  const int ix = Find(key, hash);
  if (ix >= 0) {
    FDataArray[size_t(ix)] = value;
    return;
  }
  if (size_t(FNEntries) >= FKeyArray.size()) Grow();
  String& stored = FKeyArray[size_t(FNEntries)];
  stored = key;
  if (FIgnoreCase)
    for (Char& c : stored) c = LowerAZ(c);
  FDataArray[size_t(FNEntries)] = value;
  IndexAdd(FNEntries, hash);
  ++FNEntries;
}

Variant TAssocArray::Resolve(const String& key) const {
  const int ix = Find(key);
  return ix < 0 ? Null() : FDataArray[size_t(ix)];
}

String TAssocArray::ResolveAsString(const String& key) const { return VarToStr(Resolve(key)); }

Extended TAssocArray::ResolveAsNumber(const String& key) const {
  const Variant v = Resolve(key);
  const TVarType t = v.VarType();
  if (IsNumericType(t)) return v.AsDouble();
  if (t == varString || t == varUString || t == varOleStr) {
    int pos = 1;
    return ScanFPNum(v.AsString(), true, 3, pos);
  }
  return 0;
}

bool TAssocArray::Remove(const String& key) {
  const int ix = Find(key);
  if (ix < 0) return false;
  const size_t last = size_t(FNEntries) - 1;
  IndexRemove(ix);
  if (size_t(ix) != last) {
    IndexRemove(int(last));
    FKeyArray[size_t(ix)] = std::move(FKeyArray[last]);
    FDataArray[size_t(ix)] = std::move(FDataArray[last]);
    IndexAdd(ix);
  }
  FKeyArray[last] = String();
  FDataArray[last] = Variant();
  --FNEntries;
  return true;
}

void TAssocArray::Clear() {
  FNEntries = 0;
  FSlots.clear();
  FIndexCount = 0;
  FIndexed = true;
  FDataArray.clear();
  FKeyArray.clear();
  try {
    FDataArray.resize(size_t(FGranularity));
    FKeyArray.resize(size_t(FGranularity));
  } catch (const std::bad_alloc&) {
    FDataArray.clear();
    FKeyArray.clear();
    throw EQeltaDStructError(u"Component \"" + Name() + u"\": not enough memory");
  }
}

String TAssocArray::GetKeys(int i) const {
  if (i < 1 || i > FNEntries) return String();
  return FKeyArray[size_t(i - 1)];
}

void TAssocArray::SetKeys(int i, const String& key) {
  if (i < 1 || i > FNEntries) return;
  IndexRemove(i - 1);
  FKeyArray[size_t(i - 1)] = key;
  IndexAdd(i - 1);
}

Variant TAssocArray::GetValues(int i) const {
  if (i < 1 || i > FNEntries) return Variant(String());
  return FDataArray[size_t(i - 1)];
}

void TAssocArray::SetValues(int i, const Variant& value) {
  if (i < 1 || i > FNEntries) return;
  FDataArray[size_t(i - 1)] = value;
}

}  // namespace qelta
