// Qelta_GeoDB: the records, their codecs and the unit routines. The component lives in the other
// Qelta_GeoDB_*.cpp files: lifecycle and header (files), adding, replacing and deleting (items),
// indexes and searches (index), retrievals and meta blocks (retrieve), and upkeep (upkeep).
//
// Every record is packed byte by byte at the offsets of the file layout (README, "File formats");
// nothing depends on the compiler's struct layout or the host's byte order. Short strings are a length
// byte and Windows-1252 bytes; a summary's name bytes beyond the length are blanks, every other unused
// byte is zero, so equal records always give equal bytes.

#include "Qelta_GeoDB.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "DateUtils.h"
#include "Math.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Qelta_GeoDB_internal.h"
#include "Qelta_filesys.h"
#include "Qelta_math1.h"
#include "RecordFiles.h"

namespace qelta {

const std::array<std::u16string_view, gitUndefined + 1> GDB_ITEMNAMES = {
    u"Border", u"Town", u"City", u"Lake", u"River", u"Road", u"Route", u"BLOB", u"Undefined"};

namespace map_detail {
namespace {

// Offsets of the summary record.
enum : int {
  kSumItemId = 0, kSumName = 4, kSumAltitude = 64, kSumClassFlag = 68, kSumTag = 72, kSumBlobOffset = 76,
  kSumDate = 80, kSumStateFlag = 88, kSumLatLow = 92, kSumLatHigh = 96, kSumLongLow = 100, kSumLongHigh = 104,
  kSumItemKind = 108, kSumNumPoints = 112, kSumClosed = 116
};
// Offsets of the header.
enum : int { kHdrHighestID = 0, kHdrVersion = 4, kHdrDescription = 8, kHdrRevision = 72, kHdrReserved = 76 };
constexpr int kHdrDescriptionMax = 63;

// The five texts of the meta block: offset and character limit, in TMetaItem order.
struct TMetaField {
  int offset;
  int maxLen;
};
constexpr std::array<TMetaField, 5> kMetaFields = {{{0, 255}, {256, 127}, {384, 127}, {512, 255}, {768, 255}}};

void PutF64(uint8_t* p, double v) {
  const auto u = std::bit_cast<uint64_t>(v);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}
double GetF64(const uint8_t* p) {
  uint64_t u = 0;
  for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(p[i]) << (8 * i);
  return std::bit_cast<double>(u);
}

// A short string of at most maxLen characters: length byte, characters, then fill up to maxLen.
void PutShortString(uint8_t* p, const AnsiString& s, int maxLen, uint8_t fill) {
  const auto n = std::min(s.size(), static_cast<std::size_t>(maxLen));
  p[0] = static_cast<uint8_t>(n);
  std::fill(p + 1, p + 1 + maxLen, fill);
  std::copy_n(s.begin(), n, p + 1);
}
AnsiString GetShortString(const uint8_t* p, int maxLen) {
  const int n = std::min<int>(p[0], maxLen);
  return AnsiString(reinterpret_cast<const char*>(p + 1), static_cast<std::size_t>(n));
}

// The five texts in TMetaItem order (const or not, as m).
template <class Meta>
auto MetaTexts(Meta& m) {
  return std::array{&m.Keywords, &m.Caption, &m.FilePath, &m.Descriptor, &m.Comment};
}

}  // namespace

void PutF32(uint8_t* p, float v) { PutI32(p, std::bit_cast<int32_t>(v)); }
float GetF32(const uint8_t* p) { return std::bit_cast<float>(GetI32(p)); }

AnsiString AnsiCut(const String& s, int n) { return CutAnsi(StringToAnsi(s), n); }

int64_t PayloadBytes(const TgdbData& s) {
  if (s.NumPoints < 0) return -1;
  if (IsLineKind(s.ItemKind)) return int64_t{kGdbCoordSize} * s.NumPoints;
  if (s.ItemKind == gitBLOB) return kGdbMetaSize + int64_t{s.NumPoints};
  return 0;
}

int Percent(int64_t part, int64_t whole) {
  return static_cast<int>(Round(static_cast<Extended>(part * 100) / static_cast<Extended>(whole)));
}

void EncodeSummary(const TgdbData& d, uint8_t* out) {
  std::fill(out, out + kGdbSumSize, uint8_t{0});
  PutI32(out + kSumItemId, d.ItemId);
  PutShortString(out + kSumName, d.Name, GdbNameMaxLen, ' ');
  PutF32(out + kSumAltitude, d.Altitude);
  out[kSumClassFlag] = d.ClassFlag;
  PutI32(out + kSumTag, d.Tag);
  PutI32(out + kSumBlobOffset, d.BlobOffset);
  PutF64(out + kSumDate, d.Date);
  PutI32(out + kSumStateFlag, d.StateFlag);
  PutF32(out + kSumLatLow, d.LatLow);
  PutF32(out + kSumLatHigh, d.LatHigh);
  PutF32(out + kSumLongLow, d.LongLow);
  PutF32(out + kSumLongHigh, d.LongHigh);
  out[kSumItemKind] = d.ItemKind;
  PutI32(out + kSumNumPoints, d.NumPoints);
  out[kSumClosed] = d.Closed ? 1 : 0;
}

TgdbData DecodeSummary(const uint8_t* in) {
  TgdbData d;
  d.ItemId = GetI32(in + kSumItemId);
  d.Name = GetShortString(in + kSumName, GdbNameMaxLen);
  d.Altitude = GetF32(in + kSumAltitude);
  d.ClassFlag = in[kSumClassFlag];
  d.Tag = GetI32(in + kSumTag);
  d.BlobOffset = GetI32(in + kSumBlobOffset);
  d.Date = GetF64(in + kSumDate);
  d.StateFlag = GetI32(in + kSumStateFlag);
  d.LatLow = GetF32(in + kSumLatLow);
  d.LatHigh = GetF32(in + kSumLatHigh);
  d.LongLow = GetF32(in + kSumLongLow);
  d.LongHigh = GetF32(in + kSumLongHigh);
  d.ItemKind = static_cast<TgdbItem>(in[kSumItemKind]);
  d.NumPoints = GetI32(in + kSumNumPoints);
  d.Closed = in[kSumClosed] != 0;
  return d;
}

void EncodeHeader(const TgdbSystemData& h, uint8_t* out) {
  std::fill(out, out + kGdbHeaderSize, uint8_t{0});
  PutI32(out + kHdrHighestID, h.HighestID);
  PutI32(out + kHdrVersion, h.DBVersion);
  PutShortString(out + kHdrDescription, h.Description, kHdrDescriptionMax, 0);
  PutI32(out + kHdrRevision, h.Revision);
  std::copy(h.Reserved.begin(), h.Reserved.end(), out + kHdrReserved);
}

TgdbSystemData DecodeHeader(const uint8_t* in) {
  TgdbSystemData h;
  h.HighestID = GetI32(in + kHdrHighestID);
  h.DBVersion = GetI32(in + kHdrVersion);
  h.Description = GetShortString(in + kHdrDescription, kHdrDescriptionMax);
  h.Revision = GetI32(in + kHdrRevision);
  std::copy_n(in + kHdrReserved, h.Reserved.size(), h.Reserved.begin());
  return h;
}

void EncodeMetaInfo(const TMetaInfo& m, uint8_t* out) {
  std::fill(out, out + kGdbMetaSize, uint8_t{0});
  const auto texts = MetaTexts(m);
  for (std::size_t i = 0; i < kMetaFields.size(); ++i)
    PutShortString(out + kMetaFields[i].offset, *texts[i], kMetaFields[i].maxLen, 0);
}

TMetaInfo DecodeMetaInfo(const uint8_t* in) {
  TMetaInfo m;
  const auto texts = MetaTexts(m);
  for (std::size_t i = 0; i < kMetaFields.size(); ++i)
    *texts[i] = GetShortString(in + kMetaFields[i].offset, kMetaFields[i].maxLen);
  return m;
}

}  // namespace map_detail

// [SECTION] record routines

void ClearGdbData(TgdbData& GdbData) {
  const int32_t numPoints = GdbData.NumPoints;
  GdbData = TgdbData{};
  GdbData.BlobOffset = -1;
  GdbData.ItemKind = gitUndefined;
  GdbData.Date = Now();
  GdbData.NumPoints = numPoints;
}

void ClearMetaInfo(TMetaInfo& MetaInfo) { MetaInfo = TMetaInfo{}; }

TSCoords ExtractLocation(const TgdbData& GdbData) { return TSCoords{GdbData.LatLow, GdbData.LongLow}; }

// [SECTION] unit routines

namespace {

String HemisphereText(double value, double limit, TDegreeFormat format, int decPlaces, std::u16string_view positive,
                      std::u16string_view negative) {
  const double clamped = value < -limit ? -limit : (value > limit ? limit : value);
  return DegreeToStr(std::fabs(clamped), format, decPlaces) + String(clamped >= 0 ? positive : negative);
}

}  // namespace

String GeoLatitude(double Latitude, TDegreeFormat Format, int DecPlaces) {
  return HemisphereText(Latitude, 90, Format, DecPlaces, u" N", u" S");
}

String GeoLongitude(double Longitude, TDegreeFormat Format, int DecPlaces) {
  return HemisphereText(Longitude, 180, Format, DecPlaces, u" E", u" W");
}

bool ReadSystemInformation(const String& FName, TgdbSystemData& SystemData) {
  try {
    TRecordFile f(1);
    AssignFile(f, StripExtension(FName) + String(map_detail::kGdbDataExt));
    Reset(f, 0);
    if (FileSize(f) < map_detail::kGdbHeaderSize) return false;
    uint8_t bytes[map_detail::kGdbHeaderSize];
    BlockRead(f, bytes, map_detail::kGdbHeaderSize);
    SystemData = map_detail::DecodeHeader(bytes);
    return true;
  } catch (const EInOutError&) {
    return false;
  }
}

}  // namespace qelta
