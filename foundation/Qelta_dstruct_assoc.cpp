// Associative array of unit Qelta_dstruct: keys and values in two parallel arrays, searched
// from the front.
//
// Deliberate deviations from the classic behaviour:
// - A Granularity of 0 or less is stored as 1 (the arrays could not grow).
// - ResolveAsNumber scans 16-bit text values as it scans 8-bit ones; values read from
//   attribute lists are 16-bit texts, and a number stored there should read as a number.

#include <new>

#include "Qelta_dstruct.h"
#include "StrUtils.h"

namespace qelta {

namespace {

Char LowerAZ(Char c) { return c >= u'A' && c <= u'Z' ? Char(c + 32) : c; }

// stored equals lowered after folding A-Z of stored.
bool SameIgnoringCase(const String& stored, const String& lowered) {
  if (stored.size() != lowered.size()) return false;
  for (size_t i = 0; i < stored.size(); ++i)
    if (LowerAZ(stored[i]) != lowered[i]) return false;
  return true;
}

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

int TAssocArray::Find(const String& key) const {
  if (!FIgnoreCase) {
    for (int i = 0; i < FNEntries; ++i)
      if (FKeyArray[size_t(i)] == key) return i;
    return -1;
  }
  const String lowered = LowerCase(key);
  for (int i = 0; i < FNEntries; ++i)
    if (SameIgnoringCase(FKeyArray[size_t(i)], lowered)) return i;
  return -1;
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
  if (size_t(ix) != last) {
    FKeyArray[size_t(ix)] = std::move(FKeyArray[last]);
    FDataArray[size_t(ix)] = std::move(FDataArray[last]);
  }
  FKeyArray[last] = String();
  FDataArray[last] = Variant();
  --FNEntries;
  return true;
}

void TAssocArray::Clear() {
  FNEntries = 0;
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
  FKeyArray[size_t(i - 1)] = key;
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
