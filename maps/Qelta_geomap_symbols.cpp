// Qelta_geomap: the landmark symbol repository TSymbolRepository and its `lmsymbols` file.
//
// The file written by StoreOnFile:
//   <?xml version="1.0"?>
//   (an empty line)
//   <!-- TGeoMap Landmark Repository / Qeltakit -->
//   <lmsymbols sig="Qeltakit" vers="1.0" id="ID">
//   <symbol element="Cross" name=".." category="0" colorfg="00000000" colorbg="000000FF" size="8"
//           transp="FALSE" dir="90" leng="40" />          (one line per entry)
//   </lmsymbols>
// Colours are 8 hexadecimal digits, so negative system colours come back through the 32-bit wrap.
// The reader goes on past "</lmsymbols>" up to "</geomap>", an unlisted tag or a comment, or the end;
// names come back cut to 40 characters. Nothing is escaped.

#include <algorithm>
#include <string_view>
#include <utility>

#include "Encoding.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_math1.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr int kSymbolBlock = 1000;
constexpr int kReadNameLength = 40;

/// An entry of all-zero fields, as a grown table holds it.
TSymbol ZeroSymbol() { return TSymbol{TSymbolProperties{lmCross, 0, 0, 0, false, 0, 0}, AnsiString(), 0}; }

TLandMarkElement SymbolElementOf(std::u16string_view Name) {
  for (int k = 0; k <= lmUserDef; ++k)
    if (map_detail::EqualsIgnoringCase(Name, LMTypeNames[k])) return static_cast<TLandMarkElement>(k);
  return lmCross;
}

TSymbol SymbolFromAttributes(const map_detail::TAttributes& a) {
  // Asked in the order the writer puts them, so that each is found right after the one before.
  const TLandMarkElement kind = SymbolElementOf(a.Get(u"element"));
  AnsiString name = map_detail::ShortAnsi(a.Get(u"name"), kReadNameLength);
  const int category = map_detail::AttrInt(a, u"category");
  return TSymbol{map_detail::SymbolPropertiesOf(a, kind), std::move(name), category};
}

String SymbolLine(const TSymbol& s) {
  using map_detail::XmlAttribute;
  const TSymbolProperties& p = s.Properties;
  return u"<symbol" + XmlAttribute(u"element", LMTypeNames[p.Kind <= lmUserDef ? p.Kind : lmCross]) +
         XmlAttribute(u"name", AnsiToString(s.Name)) + XmlAttribute(u"category", IntToStr(s.Category)) +
         map_detail::SymbolAttributes(p) + u" />";
}

}  // namespace

const std::array<String, lmUserDef + 1> LMTypeNames = {u"Cross",     u"Square",  u"Triangle",
                                                       u"Circle",    u"ArrowFrom", u"ArrowTo",
                                                       u"CrossBox",  u"Spade",   u"User-Defined"};

TSymbol DefaultSymbolRecord() { return TSymbol{}; }

// [SECTION] the table

TSymbolRepository::TSymbolRepository(TComponent* AOwner) : TComponent(AOwner) {
  FSymbols.assign(kSymbolBlock, ZeroSymbol());
}

TSymbolRepository::~TSymbolRepository() = default;

void TSymbolRepository::SetNEntries(int n) {
  if (n < 0) return;
  FSymbols.resize(static_cast<size_t>(n), ZeroSymbol());
  FNEntries = n;
}

TSymbol TSymbolRepository::GetValues(int i) const {
  return i >= 1 && i <= FNEntries ? FSymbols[i - 1] : DefaultSymbolRecord();
}

void TSymbolRepository::SetValues(int i, const TSymbol& Symbol) {
  if (i < 1 || i > FNEntries) return;
  FSymbols[i - 1] = Symbol;
  FSymbols[i - 1].Name = Symbol.Name.substr(0, MaxSymbolNameLength);
}

void TSymbolRepository::Clear() { std::fill_n(FSymbols.begin(), FNEntries, DefaultSymbolRecord()); }

void TSymbolRepository::Backup() {
  FSymbolsBak.assign(FSymbols.begin(), FSymbols.begin() + FNEntries);
  FNEntriesBak = FNEntries;
}

void TSymbolRepository::Restore() {
  FSymbols = FSymbolsBak;
  FNEntries = FNEntriesBak;
}

void TSymbolRepository::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TSymbolRepository*>(Source)) {
    FSymbols = other->FSymbols;
    FNEntries = other->FNEntries;
    FSymbolsBak = other->FSymbolsBak;
    FNEntriesBak = other->FNEntriesBak;
    return;
  }
  TComponent::Assign(Source);
}

void TSymbolRepository::AssignTo(TPersistent* Dest) {
  if (auto* other = dynamic_cast<TSymbolRepository*>(Dest)) {
    other->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

// [SECTION] the lmsymbols file

void TSymbolRepository::StoreOnFile(const String& FileName, const String& ID) const {
  map_detail::SaveTextFile(FileName, [&](TextFile& f) {
    const map_detail::TMapLineSink put = map_detail::TextFileSink(f);
    map_detail::WriteBlockHead(put, true, u"TGeoMap Landmark Repository");
    put(map_detail::OpeningTag(u"lmsymbols", ID) + u">");
    for (int i = 0; i < FNEntries; ++i) put(SymbolLine(FSymbols[i]));
    put(u"</lmsymbols>");
  });
}

void TSymbolRepository::Append(const TSymbol& Symbol) {
  const int n = FNEntries + 1;
  if (n > static_cast<int>(FSymbols.size())) FSymbols.resize(static_cast<size_t>(n) + kSymbolBlock, ZeroSymbol());
  FSymbols[n - 1] = Symbol;
  FNEntries = n;
}

bool TSymbolRepository::ReadFromOpenXMLFile(TextFile& f, const String& ID) {
  TTagReader source(f);
  String line;
  if (!map_detail::FindStartLine(source, u"<lmsymbols", ID, line)) return false;
  FNEntries = 0;
  FSymbols.assign(kSymbolBlock, ZeroSymbol());
  String attributes, content;
  map_detail::TAttributes pairs;
  for (;;) {
    const map_detail::TMapFileTag tag = map_detail::NextMapTag(source, attributes, content);
    if (tag == map_detail::mfGeomapEnd || tag == map_detail::mfInvalidTag) return true;
    if (tag != map_detail::mfSymbol) continue;
    pairs.Take(attributes);
    Append(SymbolFromAttributes(pairs));
  }
}

bool TSymbolRepository::LoadFromFile(const String& FileName, const String& ID) {
  TextFile f;
  if (!map_detail::OpenForReading(f, FileName)) return false;
  const bool found = ReadFromOpenXMLFile(f, ID);
  CloseFile(f);
  return found;
}

}  // namespace qelta
