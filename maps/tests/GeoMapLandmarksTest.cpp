// Landmarks of the map (storage, adding, removing, finding, the gmlandmarks block) and the landmark
// symbol repository with its lmsymbols file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Assertions.h"
#include "DateUtils.h"
#include "Encoding.h"
#include "FileTestKit.h"
#include "GeoMapTestKit.h"
#include "Qelta_geomap.h"
#include "Qelta_math1.h"
#include "Qelta_qeltabase.h"
#include "Qelta_streams.h"
#include "StrUtils.h"
#include "SysUtils.h"
#include "TextFiles.h"

using namespace qelta;
using qelta::test::MatchesGoldenText;
using qelta::test::TempDir;
using qelta::test::TProbeMap;

namespace {

/// Landmarks 1..n at latitude k, longitude 10 k.
void AddNumbered(TGeoMap& map, int n) {
  for (int k = 1; k <= n; ++k) map.AddLandMark(k, 10.0 * k, 0, AnsiString("L") + std::to_string(k), 0);
}

std::vector<std::string> Order(const TGeoMap& map) {
  std::vector<std::string> ids;
  for (int k = 1; k <= map.NumLandMarks(); ++k) ids.push_back(map.GetLandMarkData(k).Identifier);
  return ids;
}

/// A landmark that uses every field.
TLandMark RichLandMark() {
  TLandMark lm = DefaultLandMark();
  lm.Latitude = 47.123456;
  lm.Longitude = -9.5;
  lm.Altitude = 1234.5;
  lm.ClassFlag = 200;
  lm.Tag = -17;
  lm.SymbolProps = TSymbolProperties{lmSpade, 9, clBtnFace, TColor(0x123456), true, 45, 30};
  lm.Caption.Text = "Hut \xE9";  // Windows-1252 e acute
  lm.Caption.Size = 11;
  lm.Caption.FontName = u"DejaVu Sans";
  lm.Caption.FontStyles = TFontStyles{fsBold, fsUnderline};
  lm.Caption.FGColor = clRed;
  lm.Caption.BGColor = clYellow;
  lm.Caption.Transparent = false;
  lm.Caption.dx = -3;
  lm.Caption.dy = 12;
  lm.Caption.Direction = 90;
  lm.Caption.HAlignment = taRightJustify;
  lm.Caption.VAlignment = vaBottom;
  lm.Identifier = "ID-7";
  lm.Time = EncodeDateTime(2024, 2, 29, 13, 45, 7, 0);
  return lm;
}

std::string LandMarkFile(const std::string& blocks) { return "<?xml version=\"1.0\"?>\r\n" + blocks; }

std::string Block(const std::string& id, const std::string& landmarks) {
  return "<!-- TGeoMap Landmarks / Qeltakit -->\r\n<gmlandmarks sig=\"Qeltakit\" vers=\"1.0\" id=\"" + id + "\">\r\n" +
         landmarks + "</gmlandmarks>\r\n";
}

}  // namespace

// --- storage, adding and removing ------------------------------------------------------------------------

TEST(GeoMapLandMarks, StorageGrowsInBlocksOfAThousand) {
  TProbeMap map;
  EXPECT_EQ(map.LandMarkSlots(), 1000u);
  for (int k = 0; k < 1001; ++k) map.AddLandMark(1, 2, 3);
  EXPECT_EQ(map.NumLandMarks(), 1001);
  EXPECT_EQ(map.LandMarkSlots(), 2000u);
  map.RemoveAllLandMarks();
  EXPECT_EQ(map.NumLandMarks(), 0);
  EXPECT_EQ(map.LandMarkSlots(), 1000u);
}

TEST(GeoMapLandMarks, AddFormsFillTheRestFromTheDefaultLandMark) {
  TProbeMap map;
  const TLandMark def = map.LandMarkDefault();
  EXPECT_EQ(def.SymbolProps, (TSymbolProperties{lmCross, 7, clBlue, clWhite, false, 0, 10}));
  EXPECT_EQ(StringToUtf8(def.Caption.FontName), "MS Sans Serif");
  EXPECT_EQ(def.Caption.dy, 8);
  EXPECT_EQ(def.Caption.HAlignment, taCenter);
  map.AddLandMark(1, 2, 3);
  map.AddLandMark(1, 2, 3, "0123456789ABCDEFGH", 5.5);
  map.AddLandMark(1, 2, 3, String(100, u'x'), 14, clRed);
  map.AddLandMark(1, 2, 3, "id", 6, u"cap", 9, clLime);
  map.AddLandMark(1, 2, 3, lmCircle, 7, "full", 7, 42, clRed, clBlue, 5, true, 30, 20);
  ASSERT_EQ(map.NumLandMarks(), 5);
  TLandMark expected = def;
  expected.Latitude = 1;
  expected.Longitude = 2;
  expected.Altitude = 3;
  EXPECT_EQ(map.GetLandMarkData(1), expected);
  EXPECT_EQ(map.GetLandMarkData(2).Identifier, "0123456789ABCDE");
  EXPECT_EQ(map.GetLandMarkData(2).Time, 5.5);
  EXPECT_EQ(map.GetLandMarkData(3).Caption.Text, std::string(80, 'x'));
  EXPECT_EQ(map.GetLandMarkData(3).Caption.Size, 14);
  EXPECT_EQ(map.GetLandMarkData(3).Caption.FGColor, clRed);
  EXPECT_EQ(map.GetLandMarkData(3).Caption.BGColor, def.Caption.BGColor);
  EXPECT_EQ(map.GetLandMarkData(4).Caption.Text, "cap");
  EXPECT_EQ(map.GetLandMarkData(4).Identifier, "id");
  EXPECT_EQ(map.GetLandMarkData(5).SymbolProps, (TSymbolProperties{lmCircle, 5, clRed, clBlue, true, 30, 20}));
  EXPECT_EQ(map.GetLandMarkData(5).ClassFlag, 7);
  EXPECT_EQ(map.GetLandMarkData(5).Tag, 42);
  EXPECT_EQ(map.LandMarkDefault(), def);  // the default stays
  // Outside 1..NumLandMarks: the default landmark.
  EXPECT_EQ(map.GetLandMarkData(0), def);
  EXPECT_EQ(map.GetLandMarkData(6), def);
}

TEST(GeoMapLandMarks, TheHostsVetoStopsAddsAndEveryRemoval) {
  TProbeMap map;
  AddNumbered(map, 3);
  std::vector<TLandMarkAction> asked;
  map.OnLandMarkAction = [&](TObject*, bool& allowed, TLandMarkAction a, const TLandMark&) {
    asked.push_back(a);
    allowed = false;
  };
  map.AddLandMark(5, 5, 5);
  EXPECT_EQ(map.RemoveLandMark(1, 10, -1, 100.0), 0);
  EXPECT_EQ(map.RemoveLandMark(1, 10, -1), 0);
  map.RemoveLastLandMark();
  map.RemoveAllLandMarks(uint8_t{0});
  EXPECT_EQ(map.NumLandMarks(), 3);
  EXPECT_EQ(asked.size(), 1u + 3 + 1 + 1 + 3);
  EXPECT_EQ(asked[0], lmaAdd);
  EXPECT_EQ(asked[1], lmaRemove);
  map.RemoveAllLandMarks();  // without asking
  EXPECT_EQ(map.NumLandMarks(), 0);
}

TEST(GeoMapLandMarks, MarkedRemovalsFillGapsFromTheEnd) {
  TProbeMap map;
  AddNumbered(map, 5);
  map.SetHighLM(4);
  // Landmarks 2 and 3 lie within 15 degrees of (2.5, 25).
  EXPECT_EQ(map.RemoveLandMark(2.5, 25, -1, 15.0), 2);
  EXPECT_EQ(Order(map), (std::vector<std::string>{"L1", "L5", "L4"}));
  EXPECT_EQ(map.HighLightLandMark(), 0);
  // Nearest removal: the last takes the slot.
  EXPECT_EQ(map.RemoveLandMark(1, 10, 300), 1);
  EXPECT_EQ(Order(map), (std::vector<std::string>{"L4", "L5"}));
  map.RemoveLastLandMark();
  EXPECT_EQ(Order(map), (std::vector<std::string>{"L4"}));
  map.RemoveLastLandMark();
  EXPECT_EQ(map.NumLandMarks(), 0);
  EXPECT_EQ(map.RemoveLandMark(0, 0, -1), 0);
}

TEST(GeoMapLandMarks, RectangleRemovesStrictlyInsideAndClassesSelect) {
  TProbeMap map;
  AddNumbered(map, 4);  // (1, 10) (2, 20) (3, 30) (4, 40)
  TLandMark lm = map.GetLandMarkData(3);
  lm.ClassFlag = 9;
  map.SetLandMarkData(3, lm);
  // Landmark 1 lies on the left border and landmark 4 on the top one.
  const TRectDouble box{10, 4, 45, 0.5};
  EXPECT_EQ(map.RemoveLandMark(box, 9), 1);
  EXPECT_EQ(Order(map), (std::vector<std::string>{"L1", "L2", "L4"}));
  EXPECT_EQ(map.RemoveLandMark(box, -7), 1);  // any value below -1 selects every class
  EXPECT_EQ(Order(map), (std::vector<std::string>{"L1", "L4"}));
  EXPECT_EQ(map.FindLandMark(4, 40, 300), 2);
  EXPECT_EQ(map.FindLandMark(4, 40, 9), 0);
  EXPECT_EQ(map.FindLandMark(1.1, 10, 0), 1);
  AddNumbered(map, 1);  // a second (1, 10): the first wins the tie
  EXPECT_EQ(map.FindLandMark(1, 10, -1), 1);
  map.RemoveAllLandMarks(uint8_t{0});
  EXPECT_EQ(map.NumLandMarks(), 0);
  EXPECT_EQ(map.LandMarkSlots(), 1000u);
}

TEST(GeoMapLandMarks, HighlightAndClassVisibility) {
  TProbeMap map;
  AddNumbered(map, 3);
  map.paints = 0;
  map.SetHighLM(2);
  EXPECT_EQ(map.HighLightLandMark(), 2);
  map.SetHighLM(2);
  EXPECT_EQ(map.paints, 1);
  map.SetHighLM(4);
  EXPECT_EQ(map.HighLightLandMark(), 0);
  map.SetHighLM(-1);
  EXPECT_EQ(map.HighLightLandMark(), 0);
  map.SetClassVisibility(255, false);
  EXPECT_FALSE(map.GetClassVisibility(255));
  EXPECT_TRUE(map.GetClassVisibility(0));
  map.SetLandMarkData(4, DefaultLandMark());  // outside: nothing
  EXPECT_EQ(map.NumLandMarks(), 3);
}

// --- the gmlandmarks block -------------------------------------------------------------------------------

TEST(GeoMapLandMarks, BlockMatchesItsGoldenFileAndLoadsBackTheSame) {
  TempDir dir;
  TProbeMap map;
  map.AddLandMark(48.5, 9.25, 410);
  TLandMark rich = RichLandMark();
  map.AddLandMark(0, 0, 0);
  map.SetLandMarkData(2, rich);
  TLandMark user = DefaultLandMark();
  user.SymbolProps.Kind = lmUserDef;
  map.AddLandMark(0, 0, 0);
  map.SetLandMarkData(3, user);
  map.SaveLandmarks(dir / "lm.xml", u"Trail");
  EXPECT_TRUE(MatchesGoldenText(dir.Get("lm.xml"), "landmarks.xml"));
  TProbeMap back;
  int asked = 0;
  back.OnLandMarkAction = [&](TObject*, bool&, TLandMarkAction, const TLandMark&) { ++asked; };
  back.paints = 0;
  ASSERT_TRUE(back.LoadLandMarks(dir / "lm.xml", u"trail"));
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(back.paints, 1);
  ASSERT_EQ(back.NumLandMarks(), 3);
  EXPECT_EQ(back.GetLandMarkData(1), map.GetLandMarkData(1));
  EXPECT_EQ(back.GetLandMarkData(2), rich);
  user.SymbolProps.Kind = lmCross;  // "userdef" reads as a cross
  EXPECT_EQ(back.GetLandMarkData(3), user);
}

TEST(GeoMapLandMarks, ReaderSkipsOtherBlocksAndStopsAtTheNext) {
  TempDir dir;
  dir.Put("two.xml", LandMarkFile(Block("first", "<landmark lat=\"1\" />\r\n") +
                                  Block("second", "<landmark lat=\"2,5\" />\r\n<landmark lat=\"3\" />\r\n") +
                                  Block("third", "<landmark lat=\"4\" />\r\n")));
  TProbeMap map;
  ASSERT_TRUE(map.LoadLandMarks(dir / "two.xml", u"SECOND"));
  ASSERT_EQ(map.NumLandMarks(), 2);  // the comment of the third block ends the reading
  EXPECT_EQ(map.GetLandMarkData(1).Latitude, 2.5);
  ASSERT_TRUE(map.LoadLandMarks(dir / "two.xml", u""));
  EXPECT_EQ(map.NumLandMarks(), 1);
  EXPECT_FALSE(map.LoadLandMarks(dir / "two.xml", u"none"));
  EXPECT_EQ(map.NumLandMarks(), 1);
  EXPECT_FALSE(map.LoadLandMarks(dir / "missing.xml", u""));
}

// Regression: caphal/capval outside 0..2 became undefined alignments, and a date naming no day
// raised out of the reader.
TEST(GeoMapLandMarks, AttributesReadAsTheScannersGiveThem) {
  TempDir dir;
  dir.Put("a.xml", Block("x", "<landmark element=\"userdef\" caphal=\"7\" capval=\"-1\" capfst=\"1010\" "
                              "date=\"20231345250000\" class=\"257\" colorfg=\"FF00000F\" />\r\n"
                              "<landmark element=\"Triangle\" caphal=\"0\" capval=\"2\" date=\"20240101120000\" />\r\n"
                              "<landmark />\r\n"));
  TProbeMap map;
  ASSERT_TRUE(map.LoadLandMarks(dir / "a.xml", u"x"));
  ASSERT_EQ(map.NumLandMarks(), 3);
  const TLandMark a = map.GetLandMarkData(1);
  EXPECT_EQ(a.SymbolProps.Kind, lmCross);
  EXPECT_EQ(a.Caption.HAlignment, taCenter);
  EXPECT_EQ(a.Caption.VAlignment, vaTop);
  EXPECT_EQ(a.Caption.FontStyles, (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(a.Time, 0);
  EXPECT_EQ(a.ClassFlag, 1);
  EXPECT_EQ(a.SymbolProps.FGColor, TColor(0xFF00000F));  // negative system colours wrap back
  const TLandMark b = map.GetLandMarkData(2);
  EXPECT_EQ(b.SymbolProps.Kind, lmTriangle);
  EXPECT_EQ(b.Caption.HAlignment, taLeftJustify);
  EXPECT_EQ(b.Caption.VAlignment, vaBottom);
  EXPECT_EQ(b.Time, EncodeDateTime(2024, 1, 1, 12, 0, 0, 0));
  const TLandMark c = map.GetLandMarkData(3);
  EXPECT_EQ(c.SymbolProps.Size, 0);
  EXPECT_TRUE(c.Caption.FontName.empty());
}

// The reader encodes 14 leading digits straight; the plain twin is ScanDateTime with the block's pattern
// (0 for what it refuses), which must agree on every text, well-formed or not.
TEST(GeoMapLandMarks, DatesReadAsScanDateTimeReadsThem) {
  const std::vector<std::string> dates = {
      "20240229134507", "20240229134507xyz", "99991231235959", "00010101000000", "18991229235959",
      "18991230120000", "20231345250000",    "20240230000000", "20240229246000", "20240229126100",
      "00000000120000", "00000000000000",    "00000000250000", "00001200000000", "00000015000000",
      "00500615000000", "00991231235959",    "2024022913450",  " 20240229134507", "+2024022913450",
      "2024-02-29 134", "2024022913450x",    "",               "x",               "20240229 34507"};
  std::string landmarks;
  for (const std::string& d : dates) landmarks += "<landmark date=\"" + d + "\" />\r\n";
  TempDir dir;
  dir.Put("dates.xml", Block("d", landmarks));
  TProbeMap map;
  ASSERT_TRUE(map.LoadLandMarks(dir / "dates.xml", u"d"));
  ASSERT_EQ(map.NumLandMarks(), static_cast<int>(dates.size()));
  for (size_t k = 0; k < dates.size(); ++k) {
    TDateTime plain = 0;
    try {
      int error = 0;
      const TDateTime t = ScanDateTime(Utf8ToString(dates[k]), u"yyyyMMddHHmmss", lgEnglish, error);
      plain = error == 0 ? t : 0;
    } catch (const EConvertError&) {
    }
    EXPECT_EQ(map.GetLandMarkData(static_cast<int>(k) + 1).Time, plain) << dates[k];
  }
}

// The reader looks at the values in place; the plain twin is ScanForXMLAttrib on the tag's attribute
// text: the first pair of a name in any case, nothing after a syntax fault.
TEST(GeoMapLandMarks, AttributesReadAsScanForXMLAttribFindsThem) {
  const std::vector<std::string> tags = {
      "<landmark LAT=\"1.5\" lat=\"2\" Class=\"7\" colorFG=\"00ff00\" capfnm=\"A B\" id=\"0123456789abcdefgh\" />",
      "<landmark  la=\"1\" lat = 3,25  class=300 transp=\"xTRUEx\" capfnm=\"\" element=\"SQUARE\" />",
      "<landmark lat=\"4\" long=1=2 class=\"5\" />",
      "<landmark lat=\"4\" \"q\" class=\"5\" />",
      "<landmark class=\"9\" lat==1 />",
      "<landmark element=\"circle\" id=\"x\" id=\"y\" lat=\"6 />",
      // Tags with the names of the one before keep its index; any other change of the names makes a new one.
      "<landmark lat=\"1\" class=\"2\" colorfg=\"3\" />",
      "<landmark lat=\"4\" class=\"5\" colorfg=\"6\" />",
      "<landmark lat=\"7\" Class=\"8\" colorfg=\"9\" />",
      "<landmark class=\"1\" lat=\"2\" colorfg=\"3\" />",
      "<landmark lat=\"4\" lat=\"5\" colorfg=\"6\" />",
      "<landmark lat=\"7\" lat=\"8\" class=\"9\" />",
      "<landmark lat=\"1\" dir=\"2\" />",
      "<landmark dir=\"3\" lat=\"4\" />",  // names of the same lengths, in another order
      "<landmark>",
  };
  std::string landmarks;
  for (const std::string& t : tags) landmarks += t + "\r\n";
  TempDir dir;
  dir.Put("attrs.xml", Block("a", landmarks));
  TProbeMap map;
  ASSERT_TRUE(map.LoadLandMarks(dir / "attrs.xml", u"a"));
  ASSERT_EQ(map.NumLandMarks(), static_cast<int>(tags.size()));
  for (size_t k = 0; k < tags.size(); ++k) {
    TMemoryStream tag;
    tag.WriteBuffer(tags[k].data(), static_cast<int64_t>(tags[k].size()));
    tag.SetPosition(0);
    String attributes, content;
    ReadNextTagInStream(tag, {u"landmark"}, attributes, content);
    const auto plain = [&](const char16_t* name) { return ScanForXMLAttrib(attributes, name); };
    int pos = 1;
    const double lat = ScanFPNum(plain(u"lat"), true, 3, pos);
    pos = 1;
    const int cls = ScanDecimal(plain(u"class"), pos);
    pos = 1;
    const TColor fg = ScanHex(plain(u"colorfg"), pos);
    const TLandMark lm = map.GetLandMarkData(static_cast<int>(k) + 1);
    EXPECT_EQ(lm.Latitude, lat) << tags[k];
    EXPECT_EQ(lm.ClassFlag, cls & 0xFF) << tags[k];
    EXPECT_EQ(lm.SymbolProps.FGColor, fg) << tags[k];
    EXPECT_EQ(lm.SymbolProps.Transparent, LowerCase(plain(u"transp")).find(u"true") != String::npos) << tags[k];
    EXPECT_EQ(lm.Caption.FontName, plain(u"capfnm")) << tags[k];
    EXPECT_EQ(lm.Identifier, StringToAnsi(plain(u"id").substr(0, static_cast<size_t>(MaxLMIdentifierLength)))) << tags[k];
  }
  EXPECT_EQ(map.GetLandMarkData(2).SymbolProps.Kind, lmSquare);
  EXPECT_EQ(map.GetLandMarkData(6).SymbolProps.Kind, lmCircle);
}

// The reader refills the slots of the landmarks it replaces: nothing of them may show through.
TEST(GeoMapLandMarks, ReadingAgainLeavesNothingOfTheLandMarksBefore) {
  TempDir dir;
  TProbeMap rich;
  for (int k = 0; k < 2500; ++k) {
    rich.AddLandMark(0, 0, 0);
    rich.SetLandMarkData(k + 1, RichLandMark());
  }
  rich.SaveLandmarks(dir / "rich.xml", u"r");
  dir.Put("bare.xml", Block("b", "<landmark />\r\n<landmark lat=\"1\" />\r\n"));
  TProbeMap fresh, reused;
  ASSERT_TRUE(fresh.LoadLandMarks(dir / "bare.xml", u""));
  ASSERT_TRUE(reused.LoadLandMarks(dir / "rich.xml", u""));
  EXPECT_EQ(reused.LandMarkSlots(), 3000u);
  ASSERT_TRUE(reused.LoadLandMarks(dir / "bare.xml", u""));
  ASSERT_EQ(reused.NumLandMarks(), 2);
  EXPECT_EQ(reused.LandMarkSlots(), 1000u);
  for (int k = 1; k <= 2; ++k) EXPECT_EQ(reused.GetLandMarkData(k), fresh.GetLandMarkData(k)) << k;
}

// --- the symbol repository -------------------------------------------------------------------------------

TEST(SymbolRepository, EntriesOutsideTheTableReadTheDefault) {
  TSymbolRepository rep(nullptr);
  EXPECT_EQ(rep.NumEntries(), 0);
  EXPECT_EQ(rep.GetValues(1), DefaultSymbolRecord());
  EXPECT_EQ(DefaultSymbolRecord().Properties, (TSymbolProperties{lmCross, 8, 0, 0xFF, false, 90, 40}));
  rep.SetNEntries(2);
  TSymbol s;
  s.Name = std::string(50, 'n');
  rep.SetValues(0, s);
  rep.SetValues(3, s);
  EXPECT_EQ(rep.GetValues(1).Properties.Size, 0);  // new entries are all zero
  rep.SetValues(2, s);
  EXPECT_EQ(rep.GetValues(2).Name, std::string(43, 'n'));
  rep.SetNEntries(-1);
  EXPECT_EQ(rep.NumEntries(), 2);
  rep.Clear();
  EXPECT_EQ(rep.GetValues(1), DefaultSymbolRecord());
  EXPECT_EQ(rep.NumEntries(), 2);
}

TEST(SymbolRepository, BackupRestoreAndAssignKeepSeparateCopies) {
  TSymbolRepository rep(nullptr);
  rep.SetNEntries(3);
  TSymbol s;
  s.Name = "river";
  rep.SetValues(2, s);
  rep.Backup();
  rep.SetNEntries(0);
  rep.Restore();
  ASSERT_EQ(rep.NumEntries(), 3);
  EXPECT_EQ(rep.GetValues(2).Name, "river");
  TSymbolRepository copy(nullptr);
  copy.Assign(&rep);
  s.Name = "lake";
  rep.SetValues(2, s);
  EXPECT_EQ(copy.GetValues(2).Name, "river");
  copy.Restore();
  EXPECT_EQ(copy.NumEntries(), 3);
}

TEST(SymbolRepository, FileMatchesItsGoldenAndLoadsBack) {
  TempDir dir;
  TSymbolRepository rep(nullptr);
  rep.SetNEntries(lmUserDef + 1);
  for (int k = 0; k <= lmUserDef; ++k) {
    TSymbol s;
    s.Properties = TSymbolProperties{static_cast<TLandMarkElement>(k), k, TColor(0x010203 * k), clBtnFace, k % 2 == 1,
                                     10 * k, 5 + k};
    s.Name = "Symbol " + std::to_string(k);
    s.Category = k - 3;
    rep.SetValues(k + 1, s);
  }
  TSymbol longName;
  longName.Name = std::string(43, 'w');
  rep.SetValues(1, longName);
  rep.StoreOnFile(dir / "sym.xml", u"Set");
  EXPECT_TRUE(MatchesGoldenText(dir.Get("sym.xml"), "symbols.xml"));
  TSymbolRepository back(nullptr);
  ASSERT_TRUE(back.LoadFromFile(dir / "sym.xml", u"SET"));
  ASSERT_EQ(back.NumEntries(), lmUserDef + 1);
  EXPECT_EQ(back.GetValues(1).Name, std::string(40, 'w'));
  for (int k = 2; k <= lmUserDef + 1; ++k) EXPECT_EQ(back.GetValues(k), rep.GetValues(k)) << k;
  EXPECT_FALSE(back.LoadFromFile(dir / "sym.xml", u"other"));
  EXPECT_EQ(back.NumEntries(), lmUserDef + 1);
  EXPECT_FALSE(back.LoadFromFile(dir / "none.xml", u""));
}

TEST(SymbolRepository, ReadsThousandsOfEntriesAndGoesOnPastTheEndTag) {
  TempDir dir;
  std::string text = "<lmsymbols sig=\"Qeltakit\" id=\"big\">\r\n";
  for (int k = 0; k < 2500; ++k) text += "<symbol element=\"circle\" size=\"" + std::to_string(k) + "\" />\r\n";
  text += "</lmsymbols>\r\n<symbol element=\"spade\" />\r\n<!-- end -->\r\n<symbol />\r\n";
  dir.Put("big.xml", text);
  TSymbolRepository rep(nullptr);
  ASSERT_TRUE(rep.LoadFromFile(dir / "big.xml", u""));
  ASSERT_EQ(rep.NumEntries(), 2501);
  EXPECT_EQ(rep.GetValues(2500).Properties.Size, 2499);
  EXPECT_EQ(rep.GetValues(2501).Properties.Kind, lmSpade);
  EXPECT_EQ(rep.GetValues(2501).Properties.Direction, 0);  // a missing attribute reads as 0
}
