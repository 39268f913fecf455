// Qelta_rchart: the item file (SaveData, LoadData) and the readable dump of the list (SaveDataASC).
//
// The item file is the list itself: one record of 104 bytes per item in list order, no header; the
// number of items is the file size divided by 104. Every field is little-endian at its offset:
//   offset  size  field          offset  size  field
//   0       8     x (IEEE double)   61      1     ItemKind (TrcItem ordinal)
//   8       8     y                 62      2     reserved
//   16      8     x2                64      4     Layer
//   24      8     y2                68      1     Transp (0 false, anything else true)
//   32      4     Color (TColor)    69      1     FrameStyle (TFrameStyle ordinal)
//   36      4     FillColor         70      16    Text: length byte 0..15, then 15 bytes of
//   40      4     ShadowColor                     Windows-1252; bytes beyond the length unused
//   44      4     HiLightColor      86      2     reserved
//   48      1     PenStyle          88      4     SizeOrAngle
//   49      3     reserved          92      4     Depth
//   52      4     Tag               96      1     MarkOrAlign
//   56      4     LWid              97      7     reserved
//   60      1     ItemClass
// Reserved and unused text bytes are written as zeros and never read.
// Deviations from the classic file code, keeping every file it wrote readable:
//  - The classic wrote the reserved bytes from whatever memory held; here they are zeros.
//  - The classic loader took every record unchanged, so a kind above 16 indexed the per-kind counts
//    out of bounds and a bad layer or length byte went on into the drawing. Here a record whose
//    kind is no TrcItem or whose layer is no chart layer is skipped, a length above 15 reads as 15,
//    and pen or frame style ordinals the platform does not know read as psSolid and fsNone.
//  - The classic appended record by record, so a read error left kind counts that included records
//    the item count left out. Here the file is read whole into a buffer first and the list changes
//    only when every record was read: after any failure the list is exactly as it was.
//  - A trailing partial record is not counted and not read.
//  - The classic truncated the file before writing, so a full disk or a kill left a fragment that
//    then loaded as a shorter list. Both writers here save beside the file and rename (FileReplace.h):
//    a failed save keeps the old file byte for byte and reports as before (SaveData raises on a write
//    error, stays silent when the file cannot be created).

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "Encoding.h"
#include "Qelta_rchart_internal.h"
#include "RecordFiles.h"
#include "SysUtils.h"
#include "TextFiles.h"

namespace qelta {

namespace {

static_assert(std::endian::native == std::endian::little, "record fields are copied as they lie in memory");

constexpr int kRecordSize = 104;
constexpr int64_t kBlockRecords = 4096;  // records moved per transfer (416 KiB)

using TRecord = std::array<uint8_t, kRecordSize>;

template <typename T>
void Put(uint8_t* rec, int at, T value) {
  std::memcpy(rec + at, &value, sizeof value);
}

template <typename T>
T Get(const uint8_t* rec, int at) {
  T value;
  std::memcpy(&value, rec + at, sizeof value);
  return value;
}

// One item as its record; reserved and unused bytes zero.
void PackItem(const TrcChartItem& it, uint8_t* rec) {
  std::memset(rec, 0, kRecordSize);
  Put(rec, 0, it.x);
  Put(rec, 8, it.y);
  Put(rec, 16, it.x2);
  Put(rec, 24, it.y2);
  Put(rec, 32, it.Color);
  Put(rec, 36, it.FillColor);
  Put(rec, 40, it.ShadowColor);
  Put(rec, 44, it.HiLightColor);
  rec[48] = it.PenStyle;
  Put(rec, 52, it.Tag);
  Put(rec, 56, it.LWid);
  rec[60] = it.ItemClass;
  rec[61] = it.ItemKind;
  Put(rec, 64, it.Layer);
  rec[68] = it.Transp ? 1 : 0;
  rec[69] = it.FrameStyle;
  const size_t len = std::min<size_t>(it.Text.size(), MaxItemText);
  rec[70] = static_cast<uint8_t>(len);
  std::memcpy(rec + 71, it.Text.data(), len);
  Put(rec, 88, it.SizeOrAngle);
  Put(rec, 92, it.Depth);
  rec[96] = it.MarkOrAlign;
}

// The item of a record; false for a record of no item kind or of a layer outside the chart's.
bool UnpackItem(const uint8_t* rec, TrcChartItem& it) {
  const int32_t layer = Get<int32_t>(rec, 64);
  if (rec[61] >= TrcItemCount || layer < 1 || layer > MaxChartLayers) return false;
  it.x = Get<double>(rec, 0);
  it.y = Get<double>(rec, 8);
  it.x2 = Get<double>(rec, 16);
  it.y2 = Get<double>(rec, 24);
  it.Color = Get<TColor>(rec, 32);
  it.FillColor = Get<TColor>(rec, 36);
  it.ShadowColor = Get<TColor>(rec, 40);
  it.HiLightColor = Get<TColor>(rec, 44);
  it.PenStyle = rec[48] <= psAlternate ? static_cast<TPenStyle>(rec[48]) : psSolid;
  it.Tag = Get<int32_t>(rec, 52);
  it.LWid = Get<int32_t>(rec, 56);
  it.ItemClass = rec[60];
  it.ItemKind = static_cast<TrcItem>(rec[61]);
  it.Layer = layer;
  it.Transp = rec[68] != 0;
  it.FrameStyle = rec[69] <= fsEngraved ? static_cast<TFrameStyle>(rec[69]) : fsNone;
  it.Text.assign(reinterpret_cast<const char*>(rec + 71), std::min<size_t>(rec[70], MaxItemText));
  it.SizeOrAngle = Get<int32_t>(rec, 88);
  it.Depth = Get<int32_t>(rec, 92);
  it.MarkOrAlign = rec[96];
  return true;
}

// Every item of the store, in blocks of records.
void WriteItems(TRecordFile& f, const TrcItemStore& items) {
  std::vector<uint8_t> block;
  int64_t inBlock = 0;
  const auto flush = [&] {
    BlockWrite(f, block.data(), inBlock);
    inBlock = 0;
  };
  block.resize(static_cast<size_t>(std::min<int64_t>(items.NumItems(), kBlockRecords)) * kRecordSize);
  for (const TrcChartItem& it : items) {
    PackItem(it, block.data() + inBlock * kRecordSize);
    if (++inBlock == kBlockRecords) flush();
  }
  if (inBlock > 0) flush();
}

// The items of a whole file of n records, good records only. Raises EInOutError on a read error.
TrcItemStore::TItems ReadItems(TRecordFile& f, int64_t n) {
  TrcItemStore::TItems items;
  std::vector<uint8_t> block(static_cast<size_t>(std::min(n, kBlockRecords)) * kRecordSize);
  for (int64_t done = 0; done < n;) {
    const int64_t count = std::min(n - done, kBlockRecords);
    BlockRead(f, block.data(), count);
    for (int64_t r = 0; r < count; ++r) {
      TrcChartItem& it = items.emplace_back();
      if (!UnpackItem(block.data() + r * kRecordSize, it)) items.pop_back();
    }
    done += count;
  }
  return items;
}

}  // namespace

// [SECTION] binary item file

void TCustomRChart::SaveData(const String& FName) {
  TRecordFile f(kRecordSize);
  try {
    AssignFile(f, FName);
    RewriteReplacing(f);  // a failed write or close keeps the file that was there
  } catch (const EInOutError&) {
    return;  // a file that cannot be created is no error for the caller
  }
  WriteItems(f, *FItems);
  CloseFile(f);
}

void TCustomRChart::LoadData(const String& FName, bool AppendIt) {
  int64_t n = 0;
  TrcItemStore::TItems loaded;
  try {
    TRecordFile f(kRecordSize);
    AssignFile(f, FName);
    Reset(f, 0);
    n = FileSize(f);
    loaded = ReadItems(f, n);
    CloseFile(f);
  } catch (const Exception&) {
    return;  // EInOutError: missing, unreadable or short file
  } catch (const std::bad_alloc&) {
    return;
  }
  const int64_t before = AppendIt ? NumItems() : 0;
  const int allocated = static_cast<int>(std::min<int64_t>(before + n, std::numeric_limits<int>::max()));
  try {
    FItems->TakeLoaded(std::move(loaded), AppendIt, allocated);
  } catch (const EOutOfMemory&) {
    return;
  }
  if (!AppendIt) FLastElemOnShow = 0;
  AdjustCanInfoOfSharedCharts();
  Paint();
}

// [SECTION] text dump

namespace {

// Name of a kind in the dump; empty for tkNone and the two query wildcards.
const char16_t* KindName(TrcItem k) {
  static const char16_t* const names[TrcItemCount] = {
      u"",        u"tkMarkAt",  u"tkLine",      u"tkLineTo", u"tkRect", u"tkRectFrame",  u"tk3DBar",
      u"tkText",  u"tkMoveTo",  u"tkEllipse",   u"",         u"",       u"tkMoveRelPix", u"tkLineRelPix",
      u"tkArrow", u"tkTextOfs", u"tkRectRelPix"};
  return k < TrcItemCount ? names[k] : u"";
}

String Fixed(double v, int decimals) { return Str(v, 1, decimals); }
String Hex8(TColor c) { return IntToHex(c, 8); }
String Bool(bool b) { return b ? u"TRUE" : u"FALSE"; }
String PointText(double x, double y) { return u"[" + Fixed(x, 4) + u"/" + Fixed(y, 4) + u"]"; }

// The lines that follow the common ones, by kind.
std::vector<String> KindLines(const TrcChartItem& it) {
  const String second = PointText(it.x2, it.y2);
  const String fill = u"fillcolor: " + Hex8(it.FillColor), transp = u"  transp.: " + Bool(it.Transp);
  const auto text = [&it] {
    return std::vector<String>{u"     text: '" + AnsiToString(it.Text) + u"'",
                               u"     size: " + IntToStr(it.SizeOrAngle), u"    align: " + IntToStr(it.MarkOrAlign)};
  };
  switch (it.ItemKind) {
    case tkMarkAt:
      return {u" marktype: " + IntToStr(it.MarkOrAlign)};
    case tkLine:
      return {u" endpoint: " + second};
    case tkRect:
      return {u"   corner: " + second, fill, transp};
    case tkRectFrame: {
      std::vector<String> lines{u"   corner: " + second, fill};
      const char16_t* frames[] = {u"rbLowered", u"rbRaised", u"rbEmbossed", u"rbEngraved"};
      if (it.FrameStyle >= fsLowered && it.FrameStyle <= fsEngraved)
        lines.push_back(String(u"frametype: ") + frames[it.FrameStyle - fsLowered]);
      lines.push_back(u"shadowcol: " + Hex8(it.ShadowColor));
      lines.push_back(u"hilitecol: " + Hex8(it.HiLightColor));
      return lines;
    }
    case tk3DBar:
      return {u" endpoint: " + second, fill, u"    depth: " + IntToStr(it.Depth),
              u"    angle: " + IntToStr(it.SizeOrAngle)};
    case tkText:
      return text();
    case tkEllipse:
      return {u" halfaxes: " + Fixed(it.x2, 4) + u" " + Fixed(it.y2, 4), fill, transp};
    case tkArrow:
      return {u"    arrow: " + second, fill, transp, u" headsize: " + IntToStr(it.SizeOrAngle)};
    case tkTextOfs: {
      std::vector<String> lines = text();
      lines.push_back(u" offset x: '" + Fixed(it.x2, 0) + u"'");
      lines.push_back(u" offset y: '" + Fixed(it.y2, 0) + u"'");
      return lines;
    }
    case tkRectRelPix:
      return {u"    dx/dy: " + Fixed(it.x2, 0) + u"/" + Fixed(it.y2, 0), fill, transp};
    default:
      return {};
  }
}

}  // namespace

void TCustomRChart::SaveDataASC(const String& FName) {
  TextFile f;
  AssignFile(f, FName);
  RewriteReplacing(f);
  int64_t i = 0;
  for (const TrcChartItem& it : *FItems) {
    WriteLn(f);
    WriteLn(f, u"------ item " + IntToStr(i++) + u" ------");
    if (*KindName(it.ItemKind) != 0) WriteLn(f, String(u" elemtype: ") + KindName(it.ItemKind));
    WriteLn(f, u" startpnt: " + PointText(it.x, it.y));
    WriteLn(f, u"    color: " + Hex8(it.Color));
    WriteLn(f, u" penstyle: " + IntToHex(static_cast<int>(it.PenStyle), 2));
    WriteLn(f, u"linewidth: " + IntToStr(it.LWid));
    WriteLn(f, u" classnum: " + IntToStr(it.ItemClass));
    for (const String& line : KindLines(it)) WriteLn(f, line);
  }
  CloseFile(f);
}

}  // namespace qelta
