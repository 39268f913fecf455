// Qelta_geomap: the calibration file `geomap` (writers in text and stream form, the map's readers and
// ParseCalibData), and what the readers and writers of the map's three files share: the tag list,
// the tag reader over that list, the start-line search, the block head, and the
// lookup of a lower-cased name on a case-sensitive file system.
//
// Lines of the text form: the declaration (with Header), an empty line, the comment "<!-- TGeoMap
// Calibration / Qeltakit -->", the start tag with sig, vers, id, model, map and caption, the list
// element corners, resolution when above 0, utmzone and utmsouth when the zone is 1..60, ellipsoid,
// one list element calline per line, calquads when there are points, the end tag. A list element is
// three lines: the start tag, the items "[a,b] " and the end tag. Positions have 5 decimals, the
// resolution 3, a line's value the general float text. Nothing is escaped. The stream form always
// writes the declaration, the empty line, resolution and calquads, and never the UTM zone, hemisphere
// or ellipsoid.
//
// Reading: the start line is the first holding "<geomap" and "qeltakit" whose id matches; map=,
// caption= and model= are taken from it up to the next quote. Then the tag scanner runs up to
// "</geomap>" or an unlisted tag. Deliberate deviations, each a mended fault:
//  - A record never takes more than its 25 lines, 10 points per line, 200 calibration points and 4
//    corners: further items are dropped silently (they used to be written past the record), and
//    NumCalQuads and NumPoints are always the counts stored (npoints of the file used to stand
//    there before the items were read, and stayed after a count error). The count check compares
//    npoints with the items read.
//  - A line of an unknown type raises before it is counted, so no half-made line stays behind.
//  - The map's readers answer true when the element was found; the graticule matrix's result made
//    every point-based calibration fail to load.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "Encoding.h"
#include "Exceptions.h"
#include "FileReplace.h"
#include "FileSys.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_math1.h"
#include "Qelta_qeltabase_scan_internal.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace map_detail {

// [SECTION] what the map's files share

const std::vector<String>& MapFileTags() {
  static const std::vector<String> tags = {u"geomap",   u"/geomap",   u"calline",     u"corners",
                                           u"resolution", u"gmlandmarks", u"/gmlandmarks", u"landmark",
                                           u"calquads", u"lmsymbols", u"/lmsymbols",  u"symbol",
                                           u"utmzone",  u"utmsouth",  u"ellipsoid",   u"invalidtag"};
  return tags;
}

TMapFileTag NextMapTag(TTagReader& Source, String& Attributes, String& Content) {
  return static_cast<TMapFileTag>(Source.NextTag(MapFileTags(), Attributes, Content));
}

String AttributeAfter(const String& Line, const String& Lower, const String& Key, bool* Found) {
  const size_t at = Lower.find(Key);
  if (Found != nullptr) *Found = at != String::npos;
  if (at == String::npos) return String();
  const size_t from = at + Key.size(), to = Line.find(u'"', from);
  return to == String::npos ? String() : StripLTBlanks(Line.substr(from, to - from));
}

bool FindStartLine(TTagReader& Source, const String& Opening, const String& ID, String& StartLine) {
  const String wanted = LowerCase(ID);
  while (Source.ReadLine(StartLine)) {
    const String lower = LowerCase(StartLine);
    if (lower.find(Opening) == String::npos || lower.find(u"qeltakit") == String::npos) continue;
    if (wanted.empty() || AttributeAfter(lower, lower, u"id=\"") == wanted) return true;
  }
  return false;
}

String XmlAttribute(const char16_t* Name, const String& Value) { return String(u" ") + Name + u"=\"" + Value + u"\""; }

String OpeningTag(const char16_t* Name, const String& ID) {
  return String(u"<") + Name + XmlAttribute(u"sig", u"Qeltakit") + XmlAttribute(u"vers", u"1.0") +
         XmlAttribute(u"id", ID);
}

void WriteBlockHead(const TMapLineSink& Put, bool Header, const char16_t* Comment) {
  if (Header) Put(u"<?xml version=\"1.0\"?>");
  Put(String());
  Put(String(u"<!-- ") + Comment + u" / Qeltakit -->");
}

TMapLineSink TextFileSink(TextFile& f) {
  return [&f](const String& Line) { WriteLn(f, Line); };
}

void SaveTextFile(const String& FileName, const std::function<void(TextFile&)>& write, TSaveGroup* group) {
  TextFile f;
  AssignFile(f, FileName);
  RewriteReplacing(f, group);
  write(f);
  CloseFile(f);
}

void SaveImageAndCalibration(const TGraphic& Image, const String& ImageName, const String& CalName,
                             const std::function<void(TextFile&)>& writeCal) {
  TSaveGroup group;
  SaveTextFile(CalName, writeCal, &group);
  SaveWholeFile(ImageName, [&Image](TStream& s) { Image.SaveToStream(s); }, &group);
  const int e = group.Commit();
  if (e == 0) return;
  // The flush or rename that failed is reported as that file's own writer reports it.
  if (group.FailedFile() == CalName) throw EInOutError(InOutErrorMessage(InOutErrorCode(e, true)), InOutErrorCode(e, true));
  throw EWriteError(SaveFailureText(group.FailedFile(), e));
}

namespace {

/// The entry of the folder Dir (with its separator, or empty for the current folder) that equals
/// Name ignoring A-Z case; empty when there is none.
String FolderEntryIgnoringCase(const String& Dir, const String& Name) {
  TSearchRec rec;
  String found;
  for (int rc = FindFirst(Dir + Name, faAnyFile, rec); rc == 0 && found.empty(); rc = FindNext(rec))
    if (LowerCase(rec.Name) == LowerCase(Name)) found = rec.Name;
  FindClose(rec);
  return found;
}

bool Exists(const String& Name) { return FileExists(Name) || DirectoryExists(Name); }

}  // namespace

String ExistingFileName(const String& FileName) {
  if (FileName.empty() || Exists(FileName)) return FileName;
  String dir = ExtractFilePath(FileName);
  const String name = ExtractFileName(FileName);
  if (name.empty() || name.find_first_of(u"*?") != String::npos) return FileName;
  if (dir.size() > 1 && !Exists(dir)) {
    const String parent = ExistingFileName(ExcludeTrailingPathDelimiter(dir));
    if (!DirectoryExists(parent)) return FileName;
    dir = IncludeTrailingPathDelimiter(parent);
  }
  const String entry = FolderEntryIgnoringCase(dir, name);
  return entry.empty() ? FileName : dir + entry;
}

bool OpenForReading(TextFile& f, const String& FileName) {
  const bool asGiven = FileExists(FileName);  // the usual case: one look at the file system
  const String name = asGiven ? FileName : ExistingFileName(FileName);
  if (!asGiven && !FileExists(name)) return false;
  try {
    AssignFile(f, name);
    Reset(f);
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

int ScanInt(std::u16string_view Text) {
  int pos = 1;
  return core_detail::ScanDecimalView(Text, pos);
}

double ScanFloat(std::u16string_view Text) {
  int pos = 1;
  return core_detail::ScanFPNumView(Text, true, 3, pos);
}

namespace {

Char LowerA(Char c) { return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c; }

using core_detail::SameChars;

/// Four characters with bit 5 of each set: that folds A-Z onto a-z (and a few other pairs, which the
/// comparison of the names tells apart), so names equal ignoring A-Z case give equal words.
uint64_t FoldedWord(const Char* p) { return core_detail::CharWord(p) | 0x0020002000200020u; }

/// True when the texts of one length are equal with A-Z lower-cased.
[[gnu::noinline]] bool SameLowered(std::u16string_view A, std::u16string_view B) {
  for (std::size_t i = 0; i < A.size(); ++i)
    if (LowerA(A[i]) != LowerA(B[i])) return false;
  return true;
}

/// EqualsIgnoringCase inside this unit, in line: the same characters (the usual case), else A-Z lower-cased.
inline bool SameName(std::u16string_view A, std::u16string_view B) {
  return A.size() == B.size() && (SameChars(A.data(), B.data(), A.size()) || SameLowered(A, B));
}

/// A hash of a name, equal for names equal ignoring A-Z case: four characters at a time.
uint32_t NameKey(std::u16string_view Name) {
  constexpr uint64_t kMix = 0x9E3779B97F4A7C15u;
  const std::size_t n = Name.size();
  uint64_t h = n;
  if (n < 4) {
    for (const Char c : Name) h = h << 16 | (c | 0x20u);
  } else {
    for (std::size_t i = 0; i + 4 < n; i += 4) h = (h ^ FoldedWord(Name.data() + i)) * kMix;
    h ^= FoldedWord(Name.data() + n - 4);  // the last four, overlapping the word before when n is no multiple of 4
  }
  return static_cast<uint32_t>((h * kMix) >> 32);
}

}  // namespace

std::u16string_view TAttributes::NameOf(std::size_t k) const {
  return {FText.data() + FSpans[k].NameFrom, FSpans[k].NameTo - FSpans[k].NameFrom};
}

void TAttributes::Read(const String& Text) {
  FText.assign(Text);
  Index();
}

void TAttributes::Take(String& Text) {
  FText.swap(Text);
  Index();
}

void TAttributes::Index() {
  FNext = 0;
  // The keys, slots and first marks of the names indexed last hold for the same names in the same order.
  if (core_detail::ScanXMLAttributeSpansLike(FText, FNames, FSpans)) return;
  const std::size_t n = FSpans.size();
  std::size_t size = 16;
  while (size < 2 * n) size *= 2;
  FSlots.assign(size, -1);
  FKeys.resize(n);
  FFirst.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::u16string_view name = NameOf(k);
    const uint32_t key = FKeys[k] = NameKey(name);
    std::size_t h = key & (size - 1);
    while (FSlots[h] >= 0 && !(FKeys[FSlots[h]] == key && SameName(NameOf(FSlots[h]), name))) h = (h + 1) & (size - 1);
    FFirst[k] = FSlots[h] < 0;  // else an earlier pair of the name keeps its place
    if (FFirst[k]) FSlots[h] = static_cast<int>(k);
  }
}

std::size_t TAttributes::Find(std::u16string_view name) const {
  const uint32_t key = NameKey(name);
  const std::size_t mask = FSlots.size() - 1;
  for (std::size_t h = key & mask; !FSlots.empty() && FSlots[h] >= 0; h = (h + 1) & mask) {
    const auto k = static_cast<std::size_t>(FSlots[h]);
    if (FKeys[k] == key && SameName(NameOf(k), name)) return k;
  }
  return FSpans.size();
}

std::u16string_view TAttributes::ValueOf(std::size_t k) const {
  if (k == FSpans.size()) return {};
  FNext = k + 1;
  return {FText.data() + FSpans[k].ValueFrom, FSpans[k].ValueTo - FSpans[k].ValueFrom};
}

// The usual answer, the pair after the one found last written as asked, is taken without a call, so that
// this path keeps its registers; Find answers every other (the same pair too when only its case differs).
std::u16string_view TAttributes::Get(std::u16string_view name) const {
  const std::size_t k = FNext;
  if (k < FSpans.size() && FFirst[k]) {
    const TXMLAttributeSpan& span = FSpans[k];
    if (span.NameTo - span.NameFrom == name.size() && SameChars(FText.data() + span.NameFrom, name.data(), name.size())) {
      FNext = k + 1;
      return {FText.data() + span.ValueFrom, span.ValueTo - span.ValueFrom};
    }
  }
  return ValueOf(Find(name));
}

int AttrInt(const TAttributes& Attributes, std::u16string_view Name) { return ScanInt(Attributes.Get(Name)); }

double AttrFloat(const TAttributes& Attributes, std::u16string_view Name) { return ScanFloat(Attributes.Get(Name)); }

TColor AttrColor(const TAttributes& Attributes, std::u16string_view Name) {
  int pos = 1;
  return core_detail::ScanHexView(Attributes.Get(Name), pos);
}

bool AttrTrue(const TAttributes& Attributes, std::u16string_view Name) {
  const std::u16string_view value = Attributes.Get(Name);
  for (std::size_t at = 0; at + 4 <= value.size(); ++at)
    if (EqualsIgnoringCase(value.substr(at, 4), u"true")) return true;
  return false;
}

bool EqualsIgnoringCase(std::u16string_view A, std::u16string_view B) { return SameName(A, B); }

TSymbolProperties SymbolPropertiesOf(const TAttributes& Attributes, TLandMarkElement Kind) {
  // Asked in the order the writers put them, so that each is found right after the one before.
  TSymbolProperties p{Kind, 0, 0, 0, false, 0, 0};
  p.FGColor = AttrColor(Attributes, u"colorfg");
  p.BGColor = AttrColor(Attributes, u"colorbg");
  p.Size = AttrInt(Attributes, u"size");
  p.Transparent = AttrTrue(Attributes, u"transp");
  p.Direction = AttrInt(Attributes, u"dir");
  p.Length = AttrInt(Attributes, u"leng");
  return p;
}

String SymbolAttributes(const TSymbolProperties& Props) {
  return XmlAttribute(u"colorfg", Hex(Props.FGColor, 8)) + XmlAttribute(u"colorbg", Hex(Props.BGColor, 8)) +
         XmlAttribute(u"size", IntToStr(Props.Size)) + XmlAttribute(u"transp", BoolToStr(Props.Transparent, 0)) +
         XmlAttribute(u"dir", IntToStr(Props.Direction)) + XmlAttribute(u"leng", IntToStr(Props.Length));
}

AnsiString ShortAnsi(std::u16string_view Text, int Max) {
  const std::u16string_view shown = Text.substr(0, static_cast<size_t>(Max));
  // ASCII stands for itself in Windows-1252: the usual text is narrowed as it stands.
  if (std::all_of(shown.begin(), shown.end(), [](Char c) { return c < 0x80; })) return AnsiString(shown.begin(), shown.end());
  return StringToAnsi(String(shown));
}

}  // namespace map_detail

namespace {

using map_detail::AttrFloat;
using map_detail::AttrInt;
using map_detail::ScanFloat;
using map_detail::ScanInt;
using map_detail::TMapLineSink;
using map_detail::UsedLines;
using map_detail::UsedPoints;
using map_detail::UsedQuads;
using map_detail::XmlAttribute;

constexpr std::array<std::u16string_view, cmUndefined + 1> ModelNames = {
    u"parabolicip", u"biquadraticpn", u"conicconformal", u"millercylindrical", u"equirect", u"utm", u"undefined"};

// [SECTION] writing

/// Which of the two forms a writer produces.
enum class TCalForm { Text, Stream };

String Degrees(double v) { return strff(v, 1, 5); }

/// The three lines of a list element.
void PutList(const TMapLineSink& Put, const String& StartTag, const char16_t* Tag, const String& Items) {
  Put(StartTag);
  Put(Items);
  Put(String(u"</") + Tag + u">");
}

void PutSimple(const TMapLineSink& Put, const char16_t* Tag, const String& Content) {
  Put(String(u"<") + Tag + u">" + Content + u"</" + Tag + u">");
}

void PutCalLines(const TMapLineSink& Put, const TCalibData& CalData) {
  for (int k = 0; k < UsedLines(CalData); ++k) {
    const TCalibLine& line = CalData.CalLines[k];
    String points;
    for (int j = 0; j < UsedPoints(line); ++j)
      points += u"[" + IntToStr(line.CalPoints[j].X) + u"," + IntToStr(line.CalPoints[j].Y) + u"] ";
    PutList(Put,
            u"<calline" + XmlAttribute(u"type", line.LineType == gtlParallel ? u"parallel" : u"meridian") +
                XmlAttribute(u"value", FloatToStr(line.LineValue)) +
                XmlAttribute(u"npoints", IntToStr(UsedPoints(line))) + u">",
            u"calline", points);
  }
}

void PutCalQuads(const TMapLineSink& Put, const TCalibData& CalData) {
  String items;
  for (int k = 0; k < UsedQuads(CalData); ++k) {
    const TCalQuad& q = CalData.CalQuads[k];
    items += u"[" + Degrees(q.Latitude) + u"," + Degrees(q.Longitude) + u"," + IntToStr(q.MapX) + u"," +
             IntToStr(q.MapY) + u"] ";
  }
  PutList(Put, u"<calquads" + XmlAttribute(u"npoints", IntToStr(UsedQuads(CalData))) + u">", u"calquads", items);
}

void PutCalibration(const TMapLineSink& Put, TCalForm Form, bool Header, const String& ID, const TCalibData& CalData,
                    TCalibModel Model) {
  const bool text = Form == TCalForm::Text;
  map_detail::WriteBlockHead(Put, Header || !text, u"TGeoMap Calibration");
  Put(map_detail::OpeningTag(u"geomap", ID) + XmlAttribute(u"model", String(ModelNames[std::min(Model, cmUndefined)])) +
      XmlAttribute(u"map", CalData.MapFName) + XmlAttribute(u"caption", CalData.Caption) + u">");
  String corners;
  for (const TCoords& c : CalData.Corners) corners += u"[" + Degrees(c.Latit) + u"," + Degrees(c.Longit) + u"] ";
  PutList(Put, u"<corners>", u"corners", corners);
  if (CalData.Resolution > 0 || !text) PutSimple(Put, u"resolution", strff(CalData.Resolution, 1, 3));
  if (text && CalData.UTMZone >= 1 && CalData.UTMZone <= 60) {
    PutSimple(Put, u"utmzone", IntToStr(CalData.UTMZone));
    PutSimple(Put, u"utmsouth", CalData.UTMSouth ? u"TRUE" : u"FALSE");
  }
  if (text)
    PutSimple(Put, u"ellipsoid", String(GeoEllipsoidId[CalData.Ellipsoid < GeoEllipsoidCount ? CalData.Ellipsoid : 0]));
  PutCalLines(Put, CalData);
  if (UsedQuads(CalData) > 0 || !text) PutCalQuads(Put, CalData);
  Put(u"</geomap>");
}

// [SECTION] reading

/// How a reader treats what it reads: the map's reader drops lines of fewer than 3 points;
/// ParseCalibData keeps them. Errors begin with Prefix.
struct TCalReadRules {
  bool DropShortLines = false;
  String Prefix;
};

/// Hands every "[...]" item of a list content to Take in turn; white space between items is passed
/// over, any other text or an item without "]" ends the list. Answers the number of items.
template <typename Take>
int ForEachItem(const String& Content, Take&& take) {
  int count = 0;
  String item;  // one text for all items: no allocation per item
  for (size_t i = 0;;) {
    while (i < Content.size() && Content[i] <= u' ') ++i;
    if (i >= Content.size() || Content[i] != u'[') return count;
    const size_t close = Content.find(u']', i);
    if (close == String::npos) return count;
    item.assign(Content, i + 1, close - i - 1);
    take(static_cast<const String&>(item));
    ++count;
    i = close + 1;
  }
}

[[noreturn]] void CountError(const TCalReadRules& Rules) {
  throw EQeltaGeoMapError(Rules.Prefix + u"specified number of calibration points and actual number does not match");
}

void ReadCalLine(const map_detail::TAttributes& Attributes, const String& Content, TCalibData& Cal,
                 const TCalReadRules& Rules) {
  const String type = LowerCase(String(Attributes.Get(u"type")));
  if (type != u"parallel" && type != u"meridian")
    throw EQeltaGeoMapError(Rules.Prefix + u"invalid type of graticule line: type=\"" + type + u"\"");
  TCalibLine line;
  line.LineType = type == u"parallel" ? gtlParallel : gtlMeridian;
  line.LineValue = AttrFloat(Attributes, u"value");
  const int npoints = AttrInt(Attributes, u"npoints");
  const int items = ForEachItem(Content, [&line](const String& item) {
    if (line.NumPoints >= MaxCalLinePoints) return;
    const size_t comma = item.find(u',');
    int pos = static_cast<int>(comma) + 2;  // the rest of the item after the comma
    int y = comma == String::npos ? 0 : ScanDecimal(item, pos);
    line.CalPoints[line.NumPoints++] = TPoint{ScanInt(item), y};
  });
  const bool stored = Cal.NumCalLines < MaxCalLines;
  if (stored) Cal.CalLines[Cal.NumCalLines++] = line;
  if (items != npoints) CountError(Rules);
  if (stored && Rules.DropShortLines && npoints < 3) --Cal.NumCalLines;
}

void ReadCorners(const String& Content, TCalibData& Cal) {
  size_t k = 0;
  ForEachItem(Content, [&](const String& item) {
    if (k >= Cal.Corners.size()) return;
    const size_t comma = item.find(u',');
    Cal.Corners[k].Latit = ScanFloat(item.substr(0, comma));
    Cal.Corners[k].Longit = comma == String::npos ? 0.0 : ScanFloat(item.substr(comma + 1));
    ++k;
  });
}

/// "lat,long,x,y": the two positions with '.' and no exponent, one character skipped after each value.
TCalQuad ParseQuad(const String& item) {
  TCalQuad q;
  int pos = 1;
  q.Latitude = ScanFPNum(item, false, 1, pos);
  ++pos;
  q.Longitude = ScanFPNum(item, false, 1, pos);
  ++pos;
  q.MapX = ScanDecimal(item, pos);
  ++pos;
  q.MapY = ScanDecimal(item, pos);
  return q;
}

void ReadCalQuads(const map_detail::TAttributes& Attributes, const String& Content, TCalibData& Cal,
                  const TCalReadRules& Rules) {
  const int npoints = AttrInt(Attributes, u"npoints");
  int stored = 0;
  const int items = ForEachItem(Content, [&](const String& item) {
    if (stored < MaxCalQuads) Cal.CalQuads[stored++] = ParseQuad(item);
  });
  Cal.NumCalQuads = stored;
  if (items != npoints) CountError(Rules);
}

void ReadEllipsoid(const String& Content, TCalibData& Cal) {
  for (int k = 0; k < GeoEllipsoidCount; ++k)
    if (Content == GeoEllipsoidId[k]) Cal.Ellipsoid = static_cast<TGeoEllipsoid>(k);
}

/// The elements up to "</geomap>" or an unlisted tag.
void ReadCalElements(TTagReader& Source, TCalibData& Cal, const TCalReadRules& Rules) {
  String attributes, content;
  map_detail::TAttributes pairs;
  for (;;) {
    switch (map_detail::NextMapTag(Source, attributes, content)) {
      case map_detail::mfGeomapEnd: case map_detail::mfInvalidTag: return;
      case map_detail::mfCalline: pairs.Read(attributes); ReadCalLine(pairs, content, Cal, Rules); break;
      case map_detail::mfCorners: ReadCorners(content, Cal); break;
      case map_detail::mfResolution: Cal.Resolution = ScanFloat(content); break;
      case map_detail::mfCalquads: pairs.Read(attributes); ReadCalQuads(pairs, content, Cal, Rules); break;
      case map_detail::mfUtmZone: Cal.UTMZone = ScanInt(content); break;
      case map_detail::mfUtmSouth: Cal.UTMSouth = LowerCase(content) == u"true"; break;
      case map_detail::mfEllipsoid: ReadEllipsoid(content, Cal); break;
      default: break;
    }
  }
}

/// MapFName (lower-cased), Caption and the model from the start line; a missing model attribute
/// gives Missing, an unknown one cmUndefined.
void ReadStartLine(const String& Line, TCalibData& Cal, TCalibModel& Model, TCalibModel Missing) {
  const String lower = LowerCase(Line);
  Cal.MapFName = map_detail::AttributeAfter(lower, lower, u"map=\"");
  Cal.Caption = map_detail::AttributeAfter(Line, lower, u"caption=\"");
  bool found = false;
  const String model = map_detail::AttributeAfter(lower, lower, u"model=\"", &found);
  Model = found ? cmUndefined : Missing;
  for (int k = 0; k < cmUndefined && found; ++k)
    if (model == ModelNames[k]) Model = static_cast<TCalibModel>(k);
}

bool ParseFrom(TTagReader& Source, const String& ID, TCalibData& CalData, TCalibModel& Model) {
  String line;
  if (!map_detail::FindStartLine(Source, u"<geomap", ID, line)) return false;
  ReadStartLine(line, CalData, Model, cmBiquadraticPn);
  CalData.NumCalLines = 0;
  ReadCalElements(Source, CalData, {false, u"ParseCalibData: "});
  return true;
}

}  // namespace

// [SECTION] the writers

void WriteRawCalDataToOpenXMLFile(TextFile& f, bool Header, const String& ID, const TCalibData& CalData,
                                  TCalibModel Model) {
  PutCalibration(map_detail::TextFileSink(f), TCalForm::Text, Header, ID, CalData, Model);
}

void TGeoMap::WriteCalDataToOpenXMLFile(TextFile& f, bool Header, const String& ID) {
  CalcExtentsAndResolution();
  FCalibData.MapFName = FMapImgName;
  WriteRawCalDataToOpenXMLFile(f, Header, ID, FCalibData, FCalibModel);
}

void TGeoMap::SaveCalDataAsXML(const String& FileName, const String& ID) {
  map_detail::SaveTextFile(FileName, [&](TextFile& f) { WriteCalDataToOpenXMLFile(f, true, ID); });
}

void TGeoMap::SaveCalDataAsXML(TStream& Stream, const String& ID) {
  CalcExtentsAndResolution();
  FCalibData.MapFName = FMapImgName;
  PutCalibration([&Stream](const String& Line) { WriteLnStream(Stream, Line); }, TCalForm::Stream, true, ID,
                 FCalibData, FCalibModel);
}

// [SECTION] the readers

void TGeoMap::ReadFoundCalData(TTagReader& Source, const String& StartLine) {
  ClearCalibData();
  ReadStartLine(StartLine, FCalibData, FCalibModel, cmUndefined);
  ReadCalElements(Source, FCalibData, {true, ComponentMessage(u"")});
  RecalcGratMat();
  if (!FCalibData.MapFName.empty()) SetMapImgName(FCalibData.MapFName);
  FitByModel();
  Paint();
}

bool TGeoMap::ReadCalDataFromOpenXMLFile(TextFile& f, const String& ID) {
  TTagReader source(f);
  String line;
  if (!map_detail::FindStartLine(source, u"<geomap", ID, line)) return false;
  ReadFoundCalData(source, line);
  return true;
}

bool TGeoMap::LoadCalDataFromXML(const String& FileName, const String& ID) {
  TextFile f;
  if (!map_detail::OpenForReading(f, FileName)) return false;
  const bool found = ReadCalDataFromOpenXMLFile(f, ID);
  CloseFile(f);
  return found;
}

bool TGeoMap::LoadCalDataFromXML(TMemoryStream* Stream, const String& ID) {
  if (Stream == nullptr) return false;
  TTagReader source(*Stream);
  String line;
  if (!map_detail::FindStartLine(source, u"<geomap", ID, line)) return false;
  ReadFoundCalData(source, line);
  return true;
}

bool ParseCalibData(const String& FileName, const String& ID, TCalibData& CalData, TCalibModel& Model) {
  TextFile f;
  if (!map_detail::OpenForReading(f, FileName)) return false;
  TTagReader source(f);
  const bool found = ParseFrom(source, ID, CalData, Model);
  CloseFile(f);
  return found;
}

bool ParseCalibData(TMemoryStream* Stream, const String& ID, TCalibData& CalData, TCalibModel& Model) {
  if (Stream == nullptr) return false;
  TTagReader source(*Stream);
  return ParseFrom(source, ID, CalData, Model);
}

}  // namespace qelta
