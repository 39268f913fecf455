// Landmarks of the map (storage, adding, removing, finding, the gmlandmarks block) and the landmark
// symbol repository with its lmsymbols file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Assertions.h"
#include "DateUtils.h"
#include "FileTestKit.h"
#include "GeoMapTestKit.h"
#include "Qelta_geomap.h"
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
