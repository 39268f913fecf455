// Associative array of unit Qelta_dstruct: keys and values in two parallel arrays. A search answers
// the first entry (from the front) whose key matches, as a linear search would; an index from the
// key (A-Z folded under IgnoreCase) to its entries finds it in constant time, so loading n entries
// takes time linear in n (it took quadratic time searching linearly).
//
// Deliberate deviations from the classic behaviour:
// - A Granularity of 0 or less is stored as 1 (the arrays could not grow).
// - ResolveAsNumber scans 16-bit text values as it scans 8-bit ones; values read from
//   attribute lists are 16-bit texts, and a number stored there should read as a number.

#include <algorithm>
#include <new>

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

String TAssocArray::IndexForm(const String& key) const {
  if (!FIgnoreCase) return key;
  String folded(key);
  for (Char& c : folded) c = LowerAZ(c);
  return folded;
}

void TAssocArray::IndexAdd(int i) const {
  if (FIndexed) FIndex[IndexForm(FKeyArray[size_t(i)])].push_back(i);
}

void TAssocArray::IndexRemove(int i) const {
  if (!FIndexed) return;
  const auto it = FIndex.find(IndexForm(FKeyArray[size_t(i)]));
  if (it == FIndex.end()) return;
  std::vector<int>& entries = it->second;
  entries.erase(std::find(entries.begin(), entries.end(), i));
  if (entries.empty()) FIndex.erase(it);
}

int TAssocArray::Find(const String& key) const {
  if (!FIndexed) {
    FIndex.clear();
    FIndexed = true;
    for (int i = 0; i < FNEntries; ++i) IndexAdd(i);
  }
  const auto it = FIndex.find(IndexForm(key));
  return it == FIndex.end() ? -1 : *std::min_element(it->second.begin(), it->second.end());
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

void TAssocArray::Add(const String& key, const Variant& value) {
  const int ix = Find(key);
  if (ix >= 0) {
    FDataArray[size_t(ix)] = value;
    return;
  }
  if (size_t(FNEntries) >= FKeyArray.size()) Grow();
  FKeyArray[size_t(FNEntries)] = FIgnoreCase ? LowerCase(key) : key;
  FDataArray[size_t(FNEntries)] = value;
  IndexAdd(FNEntries);
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
  FIndex.clear();
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
