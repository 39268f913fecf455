// The chart's item file (SaveData, LoadData): round trips of every kind and field, the record
// layout, appending, failures that leave the list as it was, hostile records; and the text dump
// (SaveDataASC) line by line.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "RChartTesting.h"
#include "TextFiles.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::TempDir;
using qelta::testing::ExpectItem;
using qelta::testing::TTestChart;

namespace {

constexpr size_t kRecord = 104;

// One item of every kind the primitives make, in odd drawing states, and the three records of no
// primitive (tkNone and the two query kinds) written in place.
void FillEveryKind(TCustomRChart& c) {
  c.SetDataColor(clBtnFace);  // a system colour: negative as a signed value
  c.SetFillColor(TColor(0x123456));
  c.SetPenStyle(psDashDotDot);
  c.SetDataTag(-7);
  c.SetLineWidth(200);
  c.SetClassDefault(254);
  c.SetActiveLayer(2);
  c.SetTransparentItems(true);
  c.MarkAt(-1.5, 2, 51);
  c.Line(-0.0, 1e300, 5e-324, -2.25);
  c.DrawTo(3, 4);
  c.Rectangle(1, 2, 3, 4);
  c.RectFrame(1, 2, 3, 4, fsEngraved, clBtnShadow, TColor(0xFFFFFF));
  c.Bar3D(1, 2, 3, 4, -12, 135);
  c.Text(7, 8, 14, u"\u20ACuro caf\u00E9 and more than fifteen");
  c.MoveTo(9, 10);
  c.Ellipse(0, 0, 1.25, 2.5);
  c.MoveToRelPix(-3, 4);
  c.DrawToRelPix(5, -6);
  c.Arrow(0, 0, 1, 1, 9);
  c.SetActiveLayer(1);
  c.SetTransparentItems(false);
  c.Text(1, 2, 12, u"x", 5, -3, taRightJustify);
  c.RectangleRelPix(1, 1, 4, 6);
  for (TrcItem k : {tkNone, tkEverything, tkNotMoveTo}) {
    c.MarkAt(0, 0, 0);
    TrcChartItem it = c.GetChartItem(c.NumItems() - 1);
    it.ItemKind = k;
    it.Tag = 123456789;
    c.SetChartitem(c.NumItems() - 1, it);
  }
}

void ExpectSameList(const TCustomRChart& a, const TCustomRChart& b) {
  ASSERT_EQ(a.NumItems(), b.NumItems());
  for (int i = 0; i < a.NumItems(); ++i) ExpectItem(a.GetChartItem(i), b.GetChartItem(i), "item " + std::to_string(i));
  // tkNone is left out: a new list counts one, a loaded one only its records.
  for (int k = 1; k < TrcItemCount; ++k)
    EXPECT_EQ(a.GetItemCount(TrcItem(k)), b.GetItemCount(TrcItem(k))) << "kind " << k;
}

template <typename T>
T At(const std::string& bytes, size_t at) {
  T v;
  std::memcpy(&v, bytes.data() + at, sizeof v);
  return v;
}

}  // namespace

// --- the binary file ------------------------------------------------------------------------------

TEST(RChartFiles, SaveThenLoadGivesBackEveryFieldOfEveryKind) {
  TempDir dir;
  TTestChart a, b;
  FillEveryKind(a);
  ASSERT_EQ(a.NumItems(), 17);
  a.SaveData(dir / "items.bin");
  EXPECT_EQ(dir.Get("items.bin").size(), 17 * kRecord);
  b.MarkAt(5, 5, 1);
  b.LoadData(dir / "items.bin", false);
  ExpectSameList(a, b);
  EXPECT_EQ(b.GetItemCount(tkNone), 1);
  EXPECT_EQ(b.NumAllocated(), 17);
  EXPECT_EQ(b.GetChartItem(6).Text, "\x80uro caf\xE9 and m");  // cut after 15 characters, Windows-1252
}

TEST(RChartFiles, TheRecordHoldsEachFieldAtItsOffsetAndZerosElsewhere) {
  TempDir dir;
  TTestChart c;
  c.SetDataColor(clBtnFace);
  c.SetPenStyle(psDash);
  c.SetDataTag(-2);
  c.SetLineWidth(3);
  c.SetClassDefault(9);
  c.SetActiveLayer(2);
  c.SetTextAlignment(taRightJustify);
  c.Text(-1.5, 2, 11, u"AB");
  TrcChartItem it = c.GetChartItem(0);
  it.x2 = 0.25;
  it.y2 = -4;
  it.FillColor = 0x010203;
  it.ShadowColor = -5;
  it.HiLightColor = 0x7F000001;
  it.Transp = true;
  it.FrameStyle = fsRaised;
  it.Depth = -77;
  c.SetChartitem(0, it);
  c.SaveData(dir / "one.bin");
  const std::string r = dir.Get("one.bin");
  ASSERT_EQ(r.size(), kRecord);
  EXPECT_EQ(At<double>(r, 0), -1.5);
  EXPECT_EQ(At<double>(r, 8), 2.0);
  EXPECT_EQ(At<double>(r, 16), 0.25);
  EXPECT_EQ(At<double>(r, 24), -4.0);
  EXPECT_EQ(At<uint32_t>(r, 32), 0xFF00000Fu);
  EXPECT_EQ(At<int32_t>(r, 36), 0x010203);
  EXPECT_EQ(At<int32_t>(r, 40), -5);
  EXPECT_EQ(At<int32_t>(r, 44), 0x7F000001);
  EXPECT_EQ(At<uint8_t>(r, 48), psDash);
  EXPECT_EQ(At<int32_t>(r, 52), -2);
  EXPECT_EQ(At<int32_t>(r, 56), 3);
  EXPECT_EQ(At<uint8_t>(r, 60), 9);
  EXPECT_EQ(At<uint8_t>(r, 61), tkText);
  EXPECT_EQ(At<int32_t>(r, 64), 2);
  EXPECT_EQ(At<uint8_t>(r, 68), 1);
  EXPECT_EQ(At<uint8_t>(r, 69), fsRaised);
  EXPECT_EQ(r.substr(70, 3), std::string("\x02"
                                         "AB"));
  EXPECT_EQ(At<int32_t>(r, 88), 11);
  EXPECT_EQ(At<int32_t>(r, 92), -77);
  EXPECT_EQ(At<uint8_t>(r, 96), taRightJustify);
  // Regression: the reserved bytes were written from whatever memory held.
  for (size_t i : {49, 50, 51, 62, 63, 86, 87, 97, 98, 99, 100, 101, 102, 103}) EXPECT_EQ(r[i], 0) << i;
  for (size_t i = 73; i < 86; ++i) EXPECT_EQ(r[i], 0) << "unused text byte " << i;
}

TEST(RChartFiles, AnEmptyListMakesAnEmptyFileAndLoadingItEmptiesTheList) {
  TempDir dir;
  TTestChart empty, c;
  empty.SaveData(dir / "empty.bin");
  EXPECT_EQ(dir.Get("empty.bin"), "");
  FillEveryKind(c);
  c.LoadData(dir / "empty.bin", false);
  EXPECT_EQ(c.NumItems(), 0);
  EXPECT_EQ(c.NumAllocated(), 0);
  for (int k = 0; k < TrcItemCount; ++k) EXPECT_EQ(c.GetItemCount(TrcItem(k)), 0) << k;
}

TEST(RChartFiles, LoadingWithAppendDoublesTheListAndTheKindCounts) {
  TempDir dir;
  TTestChart c;
  FillEveryKind(c);
  c.SaveData(dir / "items.bin");
  std::vector<int> counts;
  for (int k = 0; k < TrcItemCount; ++k) counts.push_back(c.GetItemCount(TrcItem(k)));
  c.LoadData(dir / "items.bin", true);
  EXPECT_EQ(c.NumItems(), 34);
  EXPECT_EQ(c.NumAllocated(), 34);
  for (int k = 1; k < TrcItemCount; ++k) EXPECT_EQ(c.GetItemCount(TrcItem(k)), 2 * counts[k]) << k;
  EXPECT_EQ(c.GetItemCount(tkNone), counts[0] + 1);  // the one of a new list and two records
  for (int i = 0; i < 17; ++i) ExpectItem(c.GetChartItem(17 + i), c.GetChartItem(i), "copy " + std::to_string(i));
}

TEST(RChartFiles, LoadingRepaintsOnceAndTheSharingChartsShowTheNewList) {
  TempDir dir;
  TTestChart source, c, user;
  FillEveryKind(source);
  source.SaveData(dir / "items.bin");
  user.SetUseDataOf(&c);
  c.EnablePainting();
  c.LoadData(dir / "items.bin", false);
  EXPECT_EQ(c.Paints, 1);
  EXPECT_EQ(user.NumItems(), 17);
}

TEST(RChartFiles, AFileThatCannotBeOpenedOrReadLeavesTheListAsItWas) {
  TempDir dir;
  TTestChart source, c;
  FillEveryKind(source);
  source.SaveData(dir / "items.bin");
  c.MarkAt(1, 2, 3);
  c.DrawTo(4, 5);
  for (bool append : {false, true}) {
    c.LoadData(dir / "missing.bin", append);
    EXPECT_EQ(c.NumItems(), 2);
    // Regression: a read error left kind counts that included records the item count left out.
    FaultyOs os;
    os.ReadErrno = EIO;
    c.LoadData(dir / "items.bin", append);
    EXPECT_EQ(c.NumItems(), 2);
    EXPECT_EQ(c.NumAllocated(), 1000);
    EXPECT_EQ(c.GetItemCount(tkMarkAt), 1);
    EXPECT_EQ(c.GetItemCount(tkLineto), 1);
    EXPECT_EQ(c.GetItemCount(tkText), 0);
  }
  FaultyOs slow;
  slow.ReadChunk = 7;  // short reads are no error
  c.LoadData(dir / "items.bin", false);
  ExpectSameList(source, c);
}

struct HostileCase {
  const char* name;
  size_t offset;
  uint8_t value;
  int items;  // left of the three records
};

// Regression: records were taken unchanged, so a kind above 16 indexed the per-kind counts out of
// bounds and a bad layer or length byte went on into the drawing.
TEST(RChartFiles, HostileRecordsAreSkippedOrRepaired) {
  const HostileCase cases[] = {
      {"kind 17", 61, 17, 2}, {"kind 200", 61, 200, 2},   {"layer 0", 64, 0, 2},
      {"layer 3", 64, 3, 2},  {"layer < 0", 67, 0xFF, 2}, {"length 200", 70, 200, 3},
      {"pen 99", 48, 99, 3},  {"frame 50", 69, 50, 3},    {"transp 7", 68, 7, 3},
  };
  TempDir dir;
  TTestChart source;
  source.SetPenStyle(psDot);
  source.Rectangle(1, 1, 2, 2);
  source.Text(0, 0, 10, u"abcdefghijklmnopqrstuvwxyz");
  source.Rectangle(3, 3, 4, 4);
  TrcChartItem text = source.GetChartItem(1);
  text.FrameStyle = fsRaised;
  source.SetChartitem(1, text);
  source.SaveData(dir / "good.bin");
  const std::string good = dir.Get("good.bin");
  for (const HostileCase& h : cases) {
    std::string bytes = good;
    bytes[kRecord + h.offset] = static_cast<char>(h.value);
    dir.Put("bad.bin", bytes);
    TTestChart c;
    c.LoadData(dir / "bad.bin", false);
    ASSERT_EQ(c.NumItems(), h.items) << h.name;
    EXPECT_EQ(c.NumAllocated(), 3) << h.name;
    EXPECT_EQ(c.GetItemCount(tkText) + c.GetItemCount(tkRect), h.items) << h.name;
    if (h.items == 2) continue;
    const TrcChartItem it = c.GetChartItem(1);
    EXPECT_EQ(it.Text, "abcdefghijklmno") << h.name;
    EXPECT_EQ(it.PenStyle, h.offset == 48 ? psSolid : psDot) << h.name;
    EXPECT_EQ(it.FrameStyle, h.offset == 69 ? fsNone : fsRaised) << h.name;
    EXPECT_EQ(it.Transp, h.offset == 68) << h.name;
  }
}

TEST(RChartFiles, ATrailingPartialRecordIsIgnored) {
  TempDir dir;
  TTestChart source, c;
  source.MarkAt(1, 2, 3);
  source.SaveData(dir / "one.bin");
  dir.Put("long.bin", dir.Get("one.bin") + std::string(103, '\x11'));
  c.LoadData(dir / "long.bin", false);
  EXPECT_EQ(c.NumItems(), 1);
  ExpectItem(c.GetChartItem(0), source.GetChartItem(0), "the whole record");
  dir.Put("short.bin", std::string(103, '\x01'));
  c.LoadData(dir / "short.bin", true);
  EXPECT_EQ(c.NumItems(), 1);
}

TEST(RChartFiles, SaveDataIsSilentWhenTheFileCannotBeCreatedAndRaisesOnAWriteError) {
  TempDir dir;
  TTestChart c;
  FillEveryKind(c);
  c.SaveData(dir / "no/such/folder/items.bin");
  FaultyOs os;
  os.WriteBudget = 300;
  EXPECT_THROW(c.SaveData(dir / "full.bin"), EInOutError);
}

// --- the text dump --------------------------------------------------------------------------------

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* l : lines) s += std::string(l) + "\r\n";
  return s;
}

}  // namespace

TEST(RChartFiles, TheTextDumpWritesTheCommonLinesAndThoseOfEachKind) {
  TempDir dir;
  TTestChart c;
  c.SetDataColor(clRed);
  c.MarkAt(-1.5, 2, 7);
  c.SetDataColor(clBtnFace);
  c.SetLineWidth(2);
  c.SetPenStyle(psDot);
  c.SetClassDefault(12);
  c.DrawTo(3, 4);
  c.SetDataColor(clBlack);
  c.SetPenStyle(psSolid);
  c.SetLineWidth(1);
  c.SetClassDefault(0);
  c.SetFillColor(clYellow);
  c.RectFrame(0, 0, 1, 1, fsLowered, clGray, clWhite);
  c.RectFrame(0, 0, 1, 1, fsSimple, clGray, clWhite);
  c.Text(1, 2, 12, u"h\u00E9llo", 5, -3, taRightJustify);
  c.SetTransparentItems(true);
  c.RectangleRelPix(1, 1, 4, 6);
  c.Ellipse(0, 0, 1.25, 2.5);
  c.Bar3D(0, 0, 2, 3, 8, 45);
  c.Arrow(0, 0, 2, 1, 10);
  c.Line(0.00004, -0.00006, 1, 2);
  c.MoveTo(0, 0);
  TrcChartItem none = c.GetChartItem(c.NumItems() - 1);
  none.ItemKind = tkNone;
  c.SetChartitem(c.NumItems() - 1, none);
  c.SaveDataASC(dir / "dump.txt");
  const std::string expected =
      Lines({"", "------ item 0 ------", " elemtype: tkMarkAt", " startpnt: [-1.5000/2.0000]", "    color: 000000FF",
             " penstyle: 00", "linewidth: 1", " classnum: 0", " marktype: 7"}) +
      Lines({"", "------ item 1 ------", " elemtype: tkLineTo", " startpnt: [3.0000/4.0000]", "    color: FF00000F",
             " penstyle: 02", "linewidth: 2", " classnum: 12"}) +
      Lines({"", "------ item 2 ------", " elemtype: tkRectFrame", " startpnt: [0.0000/0.0000]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", "   corner: [1.0000/1.0000]", "fillcolor: 0000FFFF",
             "frametype: rbLowered", "shadowcol: 00808080", "hilitecol: 00FFFFFF"}) +
      Lines({"", "------ item 3 ------", " elemtype: tkRectFrame", " startpnt: [0.0000/0.0000]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", "   corner: [1.0000/1.0000]", "fillcolor: 0000FFFF",
             "shadowcol: 00808080", "hilitecol: 00FFFFFF"}) +
      Lines({"", "------ item 4 ------", " elemtype: tkTextOfs", " startpnt: [1.0000/2.0000]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", "     text: 'h\xE9llo'", "     size: 12", "    align: 1",
             " offset x: '5'", " offset y: '-3'"}) +
      Lines({"", "------ item 5 ------", " elemtype: tkRectRelPix", " startpnt: [1.0000/1.0000]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", "    dx/dy: 4/6", "fillcolor: 0000FFFF",
             "  transp.: TRUE"}) +
      Lines({"", "------ item 6 ------", " elemtype: tkEllipse", " startpnt: [0.0000/0.0000]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", " halfaxes: 1.2500 2.5000", "fillcolor: 0000FFFF",
             "  transp.: TRUE"}) +
      Lines({"", "------ item 7 ------", " elemtype: tk3DBar", " startpnt: [0.0000/0.0000]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", " endpoint: [2.0000/3.0000]", "fillcolor: 0000FFFF",
             "    depth: 8", "    angle: 45"}) +
      Lines({"", "------ item 8 ------", " elemtype: tkArrow", " startpnt: [0.0000/0.0000]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", "    arrow: [2.0000/1.0000]", "fillcolor: 0000FFFF",
             "  transp.: TRUE", " headsize: 10"}) +
      Lines({"", "------ item 9 ------", " elemtype: tkLine", " startpnt: [0.0000/-0.0001]", "    color: 00000000",
             " penstyle: 00", "linewidth: 1", " classnum: 0", " endpoint: [1.0000/2.0000]"}) +
      Lines({"", "------ item 10 ------", " startpnt: [0.0000/0.0000]", "    color: 00000000", " penstyle: 00",
             "linewidth: 1", " classnum: 0"});
  EXPECT_EQ(dir.Get("dump.txt"), expected);
}

TEST(RChartFiles, TheTextDumpRaisesOnAnyFileError) {
  TempDir dir;
  TTestChart c;
  c.MarkAt(1, 1, 1);
  EXPECT_THROW(c.SaveDataASC(dir / "no/such/folder/dump.txt"), EInOutError);
  FaultyOs os;
  os.WriteBudget = 10;
  EXPECT_THROW(c.SaveDataASC(dir / "dump.txt"), EInOutError);
}
