// Qelta_geomap: the landmarks of the map: storage in blocks of 1000, adding (each asked of the host
// through OnLandMarkAction), removing by radius, rectangle, nearest, last, class and all, finding,
// replacing, class visibility, the highlight landmark, and the `gmlandmarks` block.
//
// A removal of several landmarks marks the allowed ones in a bit field and compacts from the end:
// each marked slot below the last unmarked landmark takes a copy of it, so the order of the rest is
// not kept (removing 2 and 3 of five leaves 1, 5, 4).
//
// The block written (the reader takes what it writes):
//   <?xml version="1.0"?>                     with Header
//   (an empty line)
//   <!-- TGeoMap Landmarks / Qeltakit -->     a comment ends the reader, so blocks never run together
//   <gmlandmarks sig="Qeltakit" vers="1.0" id="ID">
//   <landmark lat=".." long=".." ... capfst="0000" />   one line per landmark
//   </gmlandmarks>
// Numbers in the general float text, colours as 8 hexadecimal digits (negative system colours come
// back through the 32-bit wrap), the time as "yyyyMMddHHmmss" (year, month, day, hour, minute, second),
// capfst four "1"/"0" for bold, italic, underline and strike-out. lmUserDef is written "userdef",
// which reads as lmCross. Nothing is escaped.
// Deliberate deviations, each a mended fault: caphal/capval outside 0..2 take the default
// landmark's alignment (they became undefined enumeration values); a date that names no day or time
// reads as 0 (it raised out of the reader); GetLandMarkData outside 1..NumLandMarks answers the
// default landmark.

#include <algorithm>
#include <new>

#include "DateUtils.h"
#include "Encoding.h"
#include "Qelta_dstruct.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_math1.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr int kLandMarkBlock = 1000;
constexpr char16_t kTimeFormat[] = u"yyyyMMddHHmmss";

/// The slots of the blocks that hold n landmarks, at least one block.
size_t SlotsFor(size_t n) { return std::max<size_t>(1, (n + kLandMarkBlock - 1) / kLandMarkBlock) * kLandMarkBlock; }

/// -1 (every class) for a value outside 0..255.
int NormalClass(int ClassFlag) { return ClassFlag < 0 || ClassFlag > 255 ? -1 : ClassFlag; }

bool InClass(const TLandMark& lm, int ClassFlag) {
  const int c = NormalClass(ClassFlag);
  return c < 0 || lm.ClassFlag == c;
}

double SquaredDegrees(const TLandMark& lm, double Lat, double Long) {
  const double dLat = lm.Latitude - Lat, dLong = lm.Longitude - Long;
  return dLat * dLat + dLong * dLong;
}

}  // namespace

TLandMark DefaultLandMark() {
  TLandMark lm;
  lm.SymbolProps = TSymbolProperties{lmCross, 7, clBlue, clWhite, false, 0, 10};
  lm.Caption.Size = 8;
  lm.Caption.FontName = u"MS Sans Serif";
  lm.Caption.FGColor = clBlack;
  lm.Caption.BGColor = clWhite;
  lm.Caption.Transparent = true;
  lm.Caption.dy = 8;
  lm.Caption.HAlignment = taCenter;
  lm.Caption.VAlignment = vaTop;
  return lm;
}

// [SECTION] storage

void TGeoMap::ReserveLandMarkSlots(size_t Slots) {
  try {
    FLandMarks.resize(Slots);
  } catch (const std::bad_alloc&) {
    throw EQeltaGeoMapError(ComponentMessage(u"insufficient memory"));
  } catch (const std::length_error&) {
    throw EQeltaGeoMapError(ComponentMessage(u"insufficient memory"));
  }
}

TLandMark& TGeoMap::FreeLandMarkSlot() {
  const size_t n = static_cast<size_t>(FNumLandMarks) + 1;
  if (n > FLandMarks.size()) ReserveLandMarkSlots(SlotsFor(n));
  return FLandMarks[n - 1];
}

void TGeoMap::AppendLandMark(TLandMark Data) {
  FreeLandMarkSlot() = std::move(Data);
  ++FNumLandMarks;
}

void TGeoMap::DropLandMarks() {
  FNumLandMarks = 0;
  FLandMarks.clear();
  ReserveLandMarkSlots(kLandMarkBlock);
}

bool TGeoMap::LandMarkAllowed(TLandMarkAction Action, const TLandMark& Data) {
  bool allowed = true;
  if (OnLandMarkAction) OnLandMarkAction(this, allowed, Action, Data);
  return allowed;
}

// [SECTION] adding

namespace {

/// The default landmark at the position with the identifier (cut to 15) and time.
TLandMark NewLandMark(const TLandMark& Default, double Lat, double Long, double Alt, const AnsiString& Identifier,
                      TDateTime Time) {
  TLandMark lm = Default;
  lm.Latitude = Lat;
  lm.Longitude = Long;
  lm.Altitude = Alt;
  lm.Identifier = Identifier.substr(0, MaxLMIdentifierLength);
  lm.Time = Time;
  return lm;
}

void SetCaptionOf(TLandMark& lm, const String& Text, int Size, TColor Color) {
  lm.Caption.Text = map_detail::ShortAnsi(Text, MaxLMTextLength);
  lm.Caption.Size = Size;
  lm.Caption.FGColor = Color;
}

}  // namespace

void TGeoMap::AddNewLandMark(const TLandMark& Data) {
  if (!LandMarkAllowed(lmaAdd, Data)) return;
  AppendLandMark(Data);
  Paint();
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alt) {
  AddNewLandMark(NewLandMark(FDefaultLM, Lat, Long, Alt, FDefaultLM.Identifier, FDefaultLM.Time));
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alt, const AnsiString& Identifier, TDateTime Time) {
  AddNewLandMark(NewLandMark(FDefaultLM, Lat, Long, Alt, Identifier, Time));
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alt, const String& CaptionText, int CaptionSize,
                          TColor CaptionColor) {
  TLandMark lm = NewLandMark(FDefaultLM, Lat, Long, Alt, FDefaultLM.Identifier, FDefaultLM.Time);
  SetCaptionOf(lm, CaptionText, CaptionSize, CaptionColor);
  AddNewLandMark(lm);
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alt, const AnsiString& Identifier, TDateTime Time,
                          const String& CaptionText, int CaptionSize, TColor CaptionColor) {
  TLandMark lm = NewLandMark(FDefaultLM, Lat, Long, Alt, Identifier, Time);
  SetCaptionOf(lm, CaptionText, CaptionSize, CaptionColor);
  AddNewLandMark(lm);
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alt, TLandMarkElement Kind, uint8_t ClassFlag,
                          const AnsiString& Identifier, TDateTime Time, int Tag, TColor FGColor, TColor BGColor,
                          int Size, bool Transparent, int Direction, int Length) {
  TLandMark lm = NewLandMark(FDefaultLM, Lat, Long, Alt, Identifier, Time);
  lm.ClassFlag = ClassFlag;
  lm.Tag = Tag;
  lm.SymbolProps = TSymbolProperties{Kind, Size, FGColor, BGColor, Transparent, Direction, Length};
  AddNewLandMark(lm);
}

// [SECTION] removing

int TGeoMap::RemoveMarkedLandMarks(const std::function<bool(const TLandMark&)>& Selected) {
  TBitFld marks(nullptr);
  marks.SetSize(std::max(FNumLandMarks, 1));
  int marked = 0;
  for (int i = 0; i < FNumLandMarks; ++i)
    if (Selected(FLandMarks[i]) && LandMarkAllowed(lmaRemove, FLandMarks[i])) {
      marks.SetBit(i, true);
      ++marked;
    }
  for (int i = 0, j = FNumLandMarks - 1;;) {
    while (i < FNumLandMarks && !marks.GetBit(i)) ++i;
    while (j >= 0 && marks.GetBit(j)) --j;
    if (i >= j) break;
    FLandMarks[i] = FLandMarks[j];
    marks.SetBit(i, false);
    marks.SetBit(j, true);
  }
  FNumLandMarks -= marked;
  if (FNumLandMarks == 0) DropLandMarks();
  return marked;
}

int TGeoMap::RemoveLandMark(double Lat, double Long, int ClassFlag, double Radius) {
  if (FNumLandMarks == 0) return 0;
  FHighLM = 0;
  const double r2 = Radius * Radius;
  const int removed = RemoveMarkedLandMarks(
      [&](const TLandMark& lm) { return InClass(lm, ClassFlag) && SquaredDegrees(lm, Lat, Long) < r2; });
  Paint();
  return removed;
}

int TGeoMap::RemoveLandMark(const TRectDouble& Rect, int ClassFlag) {
  if (FNumLandMarks == 0) return 0;
  FHighLM = 0;
  const int removed = RemoveMarkedLandMarks([&](const TLandMark& lm) {
    return InClass(lm, ClassFlag) && Rect.Left < lm.Longitude && lm.Longitude < Rect.Right &&
           Rect.Bottom < lm.Latitude && lm.Latitude < Rect.Top;
  });
  Paint();
  return removed;
}

int TGeoMap::NearestLandMark(double Lat, double Long, int ClassFlag) const {
  int best = -1;
  double bestDist = 1e10;
  for (int i = 0; i < FNumLandMarks; ++i) {
    const double d = SquaredDegrees(FLandMarks[i], Lat, Long);
    if (InClass(FLandMarks[i], ClassFlag) && d < bestDist) {
      best = i;
      bestDist = d;
    }
  }
  return best;
}

int TGeoMap::RemoveLandMark(double Lat, double Long, int ClassFlag) {
  if (FNumLandMarks == 0) return 0;
  FHighLM = 0;
  const int i = NearestLandMark(Lat, Long, ClassFlag);
  int removed = 0;
  if (i >= 0 && LandMarkAllowed(lmaRemove, FLandMarks[i])) {
    FLandMarks[i] = FLandMarks[FNumLandMarks - 1];
    --FNumLandMarks;
    removed = 1;
    if (FNumLandMarks == 0) DropLandMarks();
  }
  Paint();
  return removed;
}

void TGeoMap::RemoveLastLandMark() {
  if (FNumLandMarks > 0) {
    FHighLM = 0;
    if (LandMarkAllowed(lmaRemove, FLandMarks[FNumLandMarks - 1])) --FNumLandMarks;
    if (FNumLandMarks == 0) DropLandMarks();
  }
  Paint();
}

void TGeoMap::RemoveAllLandMarks(uint8_t ClassFlag) {
  if (FNumLandMarks == 0) return;
  FHighLM = 0;
  RemoveMarkedLandMarks([ClassFlag](const TLandMark& lm) { return lm.ClassFlag == ClassFlag; });
  Paint();
}

void TGeoMap::RemoveAllLandMarks() {
  DropLandMarks();
  Paint();
}

// [SECTION] finding, reading and replacing

int TGeoMap::FindLandMark(double Lat, double Long, int ClassFlag) const {
  return NearestLandMark(Lat, Long, ClassFlag) + 1;
}

TLandMark TGeoMap::GetLandMarkData(int i) const {
  return i >= 1 && i <= FNumLandMarks ? FLandMarks[i - 1] : FDefaultLM;
}

void TGeoMap::SetLandMarkData(int i, const TLandMark& Data) {
  if (i < 1 || i > FNumLandMarks) return;
  FLandMarks[i - 1] = Data;
  Paint();
}

void TGeoMap::SetClassVisibility(uint8_t ClassFlag, bool Visible) {
  FLMClassVisible[ClassFlag] = Visible;
  Paint();
}

void TGeoMap::SetHighLM(int i) {
  if (i < 0 || i > FNumLandMarks) i = 0;
  if (i == FHighLM) return;
  FHighLM = i;
  Paint();
}

// [SECTION] the gmlandmarks block

namespace {

using map_detail::AttrColor;
using map_detail::AttrFloat;
using map_detail::AttrInt;
using map_detail::AttrTrue;

const char16_t* const kElementNames[lmUserDef + 1] = {u"cross",   u"square",  u"triangle", u"circle", u"arrowfrom",
                                                      u"arrowto", u"crossbox", u"spade",   u"userdef"};

/// The first 14 characters of Text as the six fields of kTimeFormat; false unless all are digits.
bool FixedTimeFields(std::u16string_view Text, int (&Fields)[6]) {
  if (Text.size() < 14) return false;
  constexpr int kWidths[6] = {4, 2, 2, 2, 2, 2};
  std::size_t at = 0;
  for (int k = 0; k < 6; ++k) {
    Fields[k] = 0;
    for (int n = 0; n < kWidths[k]; ++n, ++at) {
      if (Text[at] < u'0' || Text[at] > u'9') return false;
      Fields[k] = Fields[k] * 10 + (Text[at] - u'0');
    }
  }
  return true;
}

/// The time of "yyyyMMddHHmmss"; 0 when the text names no day or time. ScanDateTime re-reads its
/// pattern on every call, so the usual text (14 digits with a day) is encoded straight, as it would.
TDateTime AttrTime(const map_detail::TAttributes& Attributes) {
  const std::u16string_view text = Attributes.Get(u"date");
  int error = 0, f[6];
  try {
    if (FixedTimeFields(text, f) && (f[0] != 0 || f[1] != 0 || f[2] != 0))
      return EncodeDateTime(f[0], f[1], f[2], f[3], f[4], f[5], 0);
    const TDateTime t = ScanDateTime(String(text), kTimeFormat, lgEnglish, error);
    return error == 0 ? t : 0.0;
  } catch (const EConvertError&) {
    return 0.0;
  }
}

TLandMarkElement ElementOf(std::u16string_view Name) {
  for (int k = 0; k < lmUserDef; ++k)
    if (map_detail::EqualsIgnoringCase(Name, kElementNames[k])) return static_cast<TLandMarkElement>(k);
  return lmCross;
}

TFontStyles FontStylesOf(std::u16string_view Flags) {
  TFontStyles styles;
  const TFontStyle order[4] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  for (size_t k = 0; k < 4 && k < Flags.size(); ++k)
    if (Flags[k] == u'1') styles.Include(order[k]);
  return styles;
}

/// Sets every field of lm from the attributes (lm may hold an earlier landmark whose texts keep their storage).
void ReadLandMark(const map_detail::TAttributes& a, const TLandMark& Default, TLandMark& lm) {
  lm.Latitude = AttrFloat(a, u"lat");
  lm.Longitude = AttrFloat(a, u"long");
  lm.Altitude = AttrFloat(a, u"alti");
  lm.ClassFlag = static_cast<uint8_t>(AttrInt(a, u"class") & 0xFF);
  lm.Tag = AttrInt(a, u"usertag");
  lm.SymbolProps = map_detail::SymbolPropertiesOf(a, ElementOf(a.Get(u"element")));
  lm.Identifier = map_detail::ShortAnsi(a.Get(u"id"), MaxLMIdentifierLength);
  lm.Time = AttrTime(a);
  TLMTextProperties& c = lm.Caption;
  c.Text = map_detail::ShortAnsi(a.Get(u"captext"), MaxLMTextLength);
  c.Size = AttrInt(a, u"capsize");
  c.FontName.assign(a.Get(u"capfnm"));
  c.FGColor = AttrColor(a, u"capfgcol");
  c.BGColor = AttrColor(a, u"capbgcol");
  c.Transparent = AttrTrue(a, u"captransp");
  c.Direction = AttrInt(a, u"capdir");
  c.dx = AttrInt(a, u"capdx");
  c.dy = AttrInt(a, u"capdy");
  const int hal = AttrInt(a, u"caphal"), val = AttrInt(a, u"capval");
  c.HAlignment = hal >= 0 && hal <= 2 ? static_cast<TAlignment>(hal) : Default.Caption.HAlignment;
  c.VAlignment = val >= 0 && val <= 2 ? static_cast<TVerticalAlignment>(val) : Default.Caption.VAlignment;
  c.FontStyles = FontStylesOf(a.Get(u"capfst"));
}

String TimeText(TDateTime t) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(t, y, mo, d, h, mi, s, ms);
  return Decimal(y, 4) + Decimal(mo, 2) + Decimal(d, 2) + Decimal(h, 2) + Decimal(mi, 2) + Decimal(s, 2);
}

String StyleFlags(const TFontStyles& styles) {
  String flags;
  for (TFontStyle f : {fsBold, fsItalic, fsUnderline, fsStrikeOut}) flags += styles.Contains(f) ? u'1' : u'0';
  return flags;
}

String LandMarkLine(const TLandMark& lm) {
  using map_detail::XmlAttribute;
  const TSymbolProperties& s = lm.SymbolProps;
  const TLMTextProperties& c = lm.Caption;
  return u"<landmark" + XmlAttribute(u"lat", FloatToStr(lm.Latitude)) + XmlAttribute(u"long", FloatToStr(lm.Longitude)) +
         XmlAttribute(u"alti", FloatToStr(lm.Altitude)) + XmlAttribute(u"class", IntToStr(lm.ClassFlag)) +
         XmlAttribute(u"usertag", IntToStr(lm.Tag)) +
         XmlAttribute(u"element", s.Kind <= lmUserDef ? kElementNames[s.Kind] : u"cross") +
         map_detail::SymbolAttributes(s) +
         XmlAttribute(u"id", AnsiToString(lm.Identifier)) + XmlAttribute(u"date", TimeText(lm.Time)) +
         XmlAttribute(u"captext", AnsiToString(c.Text)) + XmlAttribute(u"capsize", IntToStr(c.Size)) +
         XmlAttribute(u"capfnm", c.FontName) + XmlAttribute(u"capfgcol", Hex(c.FGColor, 8)) +
         XmlAttribute(u"capbgcol", Hex(c.BGColor, 8)) + XmlAttribute(u"captransp", BoolToStr(c.Transparent, 0)) +
         XmlAttribute(u"capdir", IntToStr(c.Direction)) + XmlAttribute(u"capdx", IntToStr(c.dx)) +
         XmlAttribute(u"capdy", IntToStr(c.dy)) + XmlAttribute(u"caphal", IntToStr(c.HAlignment)) +
         XmlAttribute(u"capval", IntToStr(c.VAlignment)) + XmlAttribute(u"capfst", StyleFlags(c.FontStyles)) + u" />";
}

}  // namespace

bool TGeoMap::ReadLandMarksFromOpenXMLFile(TextFile& f, const String& DataID) {
  TTagReader source(f);
  String line;
  if (!map_detail::FindStartLine(source, u"<gmlandmarks", DataID, line)) return false;
  FNumLandMarks = 0;  // the old slots are refilled in place, then those past the new blocks dropped
  String attributes, content;
  map_detail::TAttributes pairs;
  for (;;) {
    const map_detail::TMapFileTag tag = map_detail::NextMapTag(source, attributes, content);
    if (tag == map_detail::mfGeomapEnd || tag == map_detail::mfInvalidTag) break;
    if (tag != map_detail::mfLandmark) continue;
    pairs.Take(attributes);
    ReadLandMark(pairs, FDefaultLM, FreeLandMarkSlot());
    ++FNumLandMarks;
  }
  ReserveLandMarkSlots(SlotsFor(static_cast<size_t>(FNumLandMarks)));
  return true;
}

bool TGeoMap::LoadLandMarks(const String& FileName, const String& DataID) {
  TextFile f;
  if (!map_detail::OpenForReading(f, FileName)) return false;
  const bool found = ReadLandMarksFromOpenXMLFile(f, DataID);
  CloseFile(f);
  Paint();
  return found;
}

void TGeoMap::WriteLandMarksToOpenXMLFile(TextFile& f, bool Header, const String& DataID) const {
  const map_detail::TMapLineSink put = map_detail::TextFileSink(f);
  map_detail::WriteBlockHead(put, Header, u"TGeoMap Landmarks");
  put(map_detail::OpeningTag(u"gmlandmarks", DataID) + u">");
  for (int i = 0; i < FNumLandMarks; ++i) put(LandMarkLine(FLandMarks[i]));
  put(u"</gmlandmarks>");
}

void TGeoMap::SaveLandmarks(const String& FileName, const String& DataID) const {
  map_detail::SaveTextFile(FileName, [&](TextFile& f) { WriteLandMarksToOpenXMLFile(f, true, DataID); });
}

}  // namespace qelta
