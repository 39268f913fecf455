// Qelta_GeoDB: records, coordinate texts, and the component's behaviour through its interface.
// The byte layout of the six files is checked by an independent reader in GeoDBFilesTest.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Assertions.h"
#include "DateUtils.h"
#include "FileSys.h"
#include "GeoDBTestKit.h"
#include "Qelta_GeoDB.h"
#include "Qelta_math1.h"

using namespace qelta;
using qelta::test::GeoDBFixture;
using qelta::test::Pattern;
using qelta::test::TempDir;
using qelta::test::Triangle;

// --- records and unit routines ----------------------------------------------------------------------

TEST(GeoDBRecords, ItemNamesAndClearRoutines) {
  const char16_t* names[] = {u"Border", u"Town", u"City", u"Lake", u"River", u"Road", u"Route", u"BLOB", u"Undefined"};
  for (int k = gitBorder; k <= gitUndefined; ++k) EXPECT_EQ(GDB_ITEMNAMES[static_cast<std::size_t>(k)], names[k]);

  TgdbData d;
  EXPECT_EQ(d.BlobOffset, 0) << "a made record is all zero";
  d.Name = "Wien";
  d.NumPoints = 17;
  d.Tag = 5;
  d.LatHigh = 3;
  const TDateTime before = Now();
  ClearGdbData(d);
  EXPECT_EQ(d.Name, "");
  EXPECT_EQ(d.NumPoints, 17) << "left as it was";
  EXPECT_EQ(d.BlobOffset, -1);
  EXPECT_EQ(d.ItemKind, gitUndefined);
  EXPECT_EQ(d.Tag, 0);
  EXPECT_EQ(d.LatHigh, 0);
  EXPECT_GE(d.Date, before - 1e-6);

  TMetaInfo m{"k", "c", "f", "d", "x"};
  ClearMetaInfo(m);
  EXPECT_EQ(m.Keywords + m.Caption + m.FilePath + m.Descriptor + m.Comment, "");

  d.LatLow = 48.5f;
  d.LongLow = 16.25f;
  EXPECT_EQ(ExtractLocation(d).Latit, 48.5f);
  EXPECT_EQ(ExtractLocation(d).Longit, 16.25f);
}

TEST(GeoDBRecords, LatitudeAndLongitudeTextsClampAndNameTheHemisphere) {
  struct Case {
    bool latitude;
    double value, shown;
    const char16_t* suffix;
  };
  const Case cases[] = {{true, 0, 0, u" N"},       {true, -0.5, 0.5, u" S"},    {true, 48.25, 48.25, u" N"},
                        {true, 95, 90, u" N"},     {true, -91, 90, u" S"},      {false, 200, 180, u" E"},
                        {false, -200, 180, u" W"}, {false, -0.0, 0, u" E"},     {false, 16.5, 16.5, u" E"}};
  for (const Case& c : cases)
    for (TDegreeFormat f : {dfDeg, dfDegMin, dfDegMinSec, dfNumeric}) {
      const String text = c.latitude ? GeoLatitude(c.value, f, 2) : GeoLongitude(c.value, f, 2);
      EXPECT_EQ(text, DegreeToStr(c.shown, f, 2) + c.suffix) << c.value;
    }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(GeoLatitude(nan, dfDegMin, 1).empty());  // a text, no fault
  EXPECT_FALSE(GeoLongitude(nan, dfDegMinSec, 1).empty());
}

// --- opening, closing, properties ---------------------------------------------------------------------

TEST_F(GeoDBFixture, ANewDatabaseIsAHeaderAndFiveEmptyIndexes) {
  EXPECT_EQ(db.DBName(), Base());
  EXPECT_EQ(db.NumEntries(), 0);
  EXPECT_EQ(db.DBVersion(), 4);
  EXPECT_EQ(dir.Get("world.qeltagdd").size(), 260u);
  for (const char* ext : {".qeltagds", ".qeltagi0", ".qeltagi1", ".qeltagi2", ".qeltagi3", ".qeltagi4"}) {
    EXPECT_TRUE(FileExists(dir / (std::string("world") + ext))) << ext;
    EXPECT_EQ(dir.Get(std::string("world") + ext), "") << ext;
  }
  db.SetDBName(u"");
  EXPECT_EQ(db.DBName(), u"");
  EXPECT_EQ(Town("x", 1, 1), -1) << "no database open";
}

TEST(GeoDBOpen, BaseNameIsCutAtTheFirstPointAndBackslashesSeparate) {
  TempDir dir;
  ::mkdir(dir.NativeOf("maps.v2").c_str(), 0755);
  const String folder = Utf8ToString(dir.Native()) + u"\\maps.v2";
  TGeoDB db(nullptr);
  db.SetDBName(folder + u"\\world.old.db");
  EXPECT_EQ(db.DBName(), folder + u"\\world");
  EXPECT_TRUE(FileExists(dir / "maps.v2/world.qeltagdd"));
  EXPECT_TRUE(FileExists(dir / "maps.v2/world.qeltagi4"));
}

TEST_F(GeoDBFixture, DescriptionIsCutAt60AndRevisionStoredOnlyWhileOpen) {
  const String longText(70, u'd');
  db.SetDescription(longText);
  db.SetRevision(12);
  EXPECT_EQ(db.Description(), String(60, u'd'));
  EXPECT_EQ(db.Revision(), 12);
  const auto raw = Raw();
  EXPECT_EQ(raw.description, std::string(60, 'd'));
  EXPECT_EQ(raw.revision, 12);
  db.SetDBName(u"");
  EXPECT_EQ(db.Description(), u"") << "closing resets the header";
  db.SetDescription(u"lost");
  db.SetRevision(3);
  EXPECT_EQ(db.Description(), u"");
  EXPECT_EQ(db.Revision(), 0);
  db.SetDBName(Base());
  EXPECT_EQ(db.Description(), String(60, u'd'));
  EXPECT_EQ(db.Revision(), 12);
}

// --- adding -------------------------------------------------------------------------------------------

TEST_F(GeoDBFixture, EntriesAreNumberedInOrderAndHighestIdNeverFalls) {
  EXPECT_EQ(Town("a", 1, 1), 1);
  EXPECT_EQ(Poly(gitRiver, "b", Triangle()), 2);
  EXPECT_EQ(Blob(u"c", "xyz"), 3);
  EXPECT_EQ(Raw().highestId, 3);
  db.DeleteData(3);
  db.DeleteData(1);
  EXPECT_EQ(db.NumEntries(), 1);
  EXPECT_EQ(Raw().highestId, 3);
  EXPECT_EQ(Town("d", 2, 2), 2);
  EXPECT_EQ(db.GetSumdata(2).ItemId, 4);
  EXPECT_EQ(Raw().highestId, 4);
}

TEST_F(GeoDBFixture, FirstPolygonAndFirstBlobLandAfterTheHeader) {
  EXPECT_EQ(Poly(gitLake, "Bodensee", Triangle()), 1);
  EXPECT_EQ(dir.Get("world.qeltagdd").size(), 260u + 24u);
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, 260);
  EXPECT_EQ(db.GetSumdata(1).NumPoints, 3);

  TempDir other;
  TGeoDB db2(nullptr);
  db2.SetDBName(other / "blobs");
  const std::string ten = "0123456789";
  EXPECT_EQ(db2.AddBLOB(u"ten", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, ten.data(), 10), 1);
  EXPECT_EQ(other.Get("blobs.qeltagdd").size(), 260u + 1024u + 10u);
  EXPECT_EQ(db2.GetSumdata(1).BlobOffset, 260);
  EXPECT_EQ(db2.GetSumdata(1).Size(), 10);
}

TEST_F(GeoDBFixture, ClosedFollowsTheKind) {
  struct Case {
    TgdbItem kind;
    bool asked, stored;
  };
  const Case cases[] = {{gitBorder, true, true}, {gitBorder, false, false}, {gitCity, true, true},
                        {gitCity, false, false}, {gitLake, false, true},    {gitRiver, true, false},
                        {gitRoad, true, false},  {gitRoute, true, false}};
  for (const Case& c : cases) {
    const int e = Poly(c.kind, "p", Triangle(), c.asked);
    EXPECT_EQ(db.GetSumdata(e).ItemKind, c.kind);
    EXPECT_EQ(db.GetSumdata(e).Closed, c.stored) << int(c.kind) << " " << c.asked;
  }
  EXPECT_FALSE(db.GetSumdata(Town("t", 1, 2)).Closed);
  EXPECT_FALSE(db.GetSumdata(Blob(u"b", "x")).Closed);
}

TEST_F(GeoDBFixture, BoundsComeFromTheVerticesForLinesAndFromTheCallerForBlobs) {
  const int line = db.AddBorder("b", Triangle(), true, 0, 0, -5, 5, -5, 5, 0, 0, 0);
  const int empty = db.AddRoad("e", TgdbPolygon{}, 0, 0, -5, 5, -5, 5, 0, 0, 0);
  const int town = Town("t", 48.5f, 16.25f);
  const int blob = Blob(u"b", "x");
  struct Case {
    int entry;
    float latLow, latHigh, longLow, longHigh;
  };
  const Case cases[] = {{line, 46.75f, 48.25f, 9.5f, 11.0f},
                        {empty, 90, -90, 180, -180},
                        {town, 48.5f, 48.5f, 16.25f, 16.25f},
                        {blob, -1, 1, -2, 2}};
  for (const Case& c : cases) {
    const TgdbData d = db.GetSumdata(c.entry);
    EXPECT_EQ(d.LatLow, c.latLow) << c.entry;
    EXPECT_EQ(d.LatHigh, c.latHigh) << c.entry;
    EXPECT_EQ(d.LongLow, c.longLow) << c.entry;
    EXPECT_EQ(d.LongHigh, c.longHigh) << c.entry;
  }
  EXPECT_EQ(db.GetSumdata(empty).NumPoints, 0);
  EXPECT_EQ(db.GetSumdata(town).BlobOffset, -1);
}

TEST_F(GeoDBFixture, NamesAreCutTo59) {
  const std::string seventy(70, 'n');
  Town(seventy, 0, 0);
  EXPECT_EQ(db.GetSumdata(1).Name, std::string(59, 'n'));
  Blob(String(80, u'b'), "x");
  EXPECT_EQ(db.GetSumdata(2).Name, std::string(59, 'b'));
}

// --- indexes and searches ------------------------------------------------------------------------------

TEST_F(GeoDBFixture, ClosestLatLowPositionIsTheInsertionPlace) {
  EXPECT_EQ(db.GetClosestLatLowIx(5), 1) << "empty";
  EXPECT_EQ(db.GetClosestItemIDIx(5), 1);
  Town("b", 20, 0);
  Town("c", 30, 0);
  Town("a", 10, 0);
  const std::pair<double, int> cases[] = {{5, 1}, {10, 1}, {15, 2}, {20, 2}, {25, 3}, {30, 3}, {35, 4}};
  for (const auto& [lat, pos] : cases) {
    EXPECT_EQ(db.GetClosestLatLowIx(lat), pos) << lat;
    EXPECT_EQ(db.GetClosestLatHighIx(lat), pos) << lat;
  }
  EXPECT_EQ(db.GetClosestLongLowIx(-1), 1);
  EXPECT_EQ(db.GetClosestLongHighIx(1), 4);
  EXPECT_EQ(db.GetClosestItemIDIx(2), 2);
  EXPECT_EQ(db.GetClosestItemIDIx(9), 4);
  EXPECT_EQ(db.GetIxLatLow(1).index, 3);
  EXPECT_EQ(db.GetIxLatLow(1).LLValue, 10);
  EXPECT_EQ(db.GetIxLatLow(3).index, 2);
}

TEST_F(GeoDBFixture, AnEqualKeyGoesBeforeTheEqualRecordTheBisectionMeets) {
  for (const char* n : {"e1", "e2", "e3", "e4"}) Town(n, 10, 0);
  // [e1] -> [e2 e1] -> [e3 e2 e1] -> middle record e2 met first: [e3 e4 e2 e1]
  const int expected[] = {3, 4, 2, 1};
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(db.GetIxLatLow(i).index, expected[i - 1]) << i;
}

TEST_F(GeoDBFixture, IndexAndSummaryReadersClamp) {
  EXPECT_EQ(db.GetSumdata(1).ItemId, 0);
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, 0) << "all zero without entries";
  EXPECT_EQ(db.GetIxItemID(1).index, 0);
  EXPECT_EQ(db.GetIxLongHigh(-3).index, 0);
  Town("a", 1, 1);
  Town("b", 2, 2);
  EXPECT_EQ(db.GetSumdata(-5).Name, "a");
  EXPECT_EQ(db.GetSumdata(99).Name, "b");
  EXPECT_EQ(db.GetIxItemID(0).ItemID, 1);
  EXPECT_EQ(db.GetIxItemID(7).ItemID, 2);
  EXPECT_EQ(db.GetIxLatHigh(7).index, 2);
}

TEST_F(GeoDBFixture, SearchForItemIdFindsTheEntryOrAnswersZero) {
  // Mended: the bisection's position is one past the end for an identifier above every key (and the
  // first slot of an empty index); the record there was read anyway.
  EXPECT_EQ(db.SearchForItemID(1), 0);
  for (const char* n : {"a", "b", "c", "d", "e"}) Town(n, 0, 0);
  db.DeleteData(2);
  const std::pair<int, int> cases[] = {{1, 1}, {2, 0}, {3, 3}, {5, 2}, {6, 0}, {1000, 0}, {0, 0}, {-7, 0}};
  for (const auto& [id, entry] : cases) EXPECT_EQ(db.SearchForItemID(id), entry) << id;
}

TEST_F(GeoDBFixture, SearchDataMatchesNameIgnoringCaseAndFiltersKindAndClass) {
  Town("Linz", 48, 14, 1);
  Poly(gitRiver, "Donau", Triangle());
  Town("LINZ", 48, 14, 2);
  Poly(gitCity, "linz", Triangle());
  struct Case {
    const char* name;
    TgdbItem kind;
    int start;
    uint8_t cls;
    int found;
  };
  const Case cases[] = {{"linz", gitUndefined, 1, 255, 1}, {"linz", gitUndefined, 2, 255, 3},
                        {"Linz", gitCity, 1, 255, 4},      {"linz", gitTown, 1, 2, 3},
                        {"linz", gitTown, 4, 255, 0},      {"donau", gitRiver, -3, 3, 2},
                        {"Lin", gitUndefined, 1, 255, 0},  {"linz", gitLake, 1, 255, 0}};
  for (const Case& c : cases) EXPECT_EQ(db.SearchData(c.name, c.kind, c.start, c.cls), c.found) << c.name;
  EXPECT_EQ(db.SearchData("DONAU"), 2);
  EXPECT_EQ(db.SearchData("Wien"), 0);
}

// --- replacing, deleting, updating ------------------------------------------------------------------------

TEST_F(GeoDBFixture, DeletingEntryTwoOfFiveMovesTheLastIntoItsPlace) {
  for (const char* n : {"a", "b", "c", "d", "e"}) Town(n, 0, 0);
  const int32_t deletedId = db.GetSumdata(2).ItemId;
  db.DeleteData(2);
  EXPECT_EQ(db.NumEntries(), 4);
  EXPECT_EQ(db.GetSumdata(2).Name, "e");
  EXPECT_EQ(db.GetSumdata(2).ItemId, 5);
  EXPECT_EQ(db.SearchForItemID(deletedId), 0);
  EXPECT_EQ(db.SearchForItemID(5), 2);
  for (int bad : {0, 5, -1}) db.DeleteData(bad);
  EXPECT_EQ(db.NumEntries(), 4);
}

TEST_F(GeoDBFixture, ReplacingAppendsANewPayloadAndKeepsTheIdentifier) {
  Poly(gitRoad, "A1", Triangle());
  Town("x", 0, 0);
  const auto before = dir.Get("world.qeltagdd");
  TgdbPolygon longer = Triangle();
  longer.push_back({49, 12});
  db.ReplaceRoad(1, "A1 new", longer, 45100, 9, 0, 0, 0, 0, 0, 1, 2);
  const auto after = dir.Get("world.qeltagdd");
  EXPECT_EQ(after.size(), before.size() + 32);
  EXPECT_EQ(after.substr(0, 260).substr(4), before.substr(4, 256)) << "header untouched";
  EXPECT_EQ(after.substr(260, 24), before.substr(260, 24)) << "the old payload stays";
  const TgdbData d = db.GetSumdata(1);
  EXPECT_EQ(d.ItemId, 1);
  EXPECT_EQ(d.Name, "A1 new");
  EXPECT_EQ(d.BlobOffset, static_cast<int32_t>(before.size()));
  EXPECT_EQ(d.LatHigh, 49);
  TgdbPolygon back;
  ASSERT_TRUE(db.RetrievePolygon(1, back));
  EXPECT_EQ(back.size(), 4u);
  db.ReplaceTown(2, "y", 1, 2, TSCoords{5, 6}, 0, 0, 0);
  EXPECT_EQ(db.GetSumdata(2).Name, "y");
  EXPECT_EQ(db.GetIxLatLow(1).index, 2);
  EXPECT_EQ(db.GetIxLatLow(1).LLValue, 5);
  db.ReplaceTown(3, "nothing", 1, 2, TSCoords{5, 6}, 0, 0, 0);  // outside: ignored
  EXPECT_EQ(db.NumEntries(), 2);
}

TEST_F(GeoDBFixture, UpdateBasicDataKeepsIdentityPayloadAndTheKindsRules) {
  Poly(gitLake, "See", Triangle());
  Town("Ort", 1, 2);
  Blob(u"Datei", "abc");
  TgdbData g = db.GetSumdata(1);
  g.Name = "Neuer See";
  g.ItemId = 99;
  g.BlobOffset = 5;
  g.NumPoints = 1;
  g.ItemKind = gitTown;
  g.Closed = false;
  g.LatLow = -60;
  g.Tag = 77;
  db.UpdateBasicData(1, g);
  TgdbData d = db.GetSumdata(1);
  EXPECT_EQ(d.Name, "Neuer See");
  EXPECT_EQ(d.Tag, 77);
  EXPECT_EQ(d.ItemId, 1);
  EXPECT_EQ(d.BlobOffset, 260);
  EXPECT_EQ(d.NumPoints, 3);
  EXPECT_EQ(d.ItemKind, gitLake);
  EXPECT_TRUE(d.Closed) << "a lake stays closed";
  EXPECT_EQ(d.LatLow, 46.75f) << "a line keeps the box of its vertices";

  g = db.GetSumdata(2);
  g.LatLow = 50;
  g.LongLow = 17;
  g.LatHigh = 99;
  db.UpdateBasicData(2, g);
  d = db.GetSumdata(2);
  EXPECT_EQ(d.LatHigh, 50) << "a town's box is its location";
  EXPECT_EQ(d.LongHigh, 17);
  EXPECT_EQ(db.GetIxLatHigh(3).index, 2);

  g = db.GetSumdata(3);
  g.LatHigh = 60;
  db.UpdateBasicData(3, g);
  EXPECT_EQ(db.GetSumdata(3).LatHigh, 60);
  EXPECT_EQ(db.GetIxLatHigh(3).index, 3);
}

// --- retrieving ------------------------------------------------------------------------------------------

TEST_F(GeoDBFixture, RetrievalsAnswerFalseForOtherKindsAndNumbers) {
  Town("t", 1, 1);
  Poly(gitBorder, "b", Triangle());
  Blob(u"x", "data");
  TgdbPolygon p{{1, 1}};
  TMetaInfo m;
  char buf[16];
  TMemoryStream s;
  EXPECT_FALSE(db.RetrievePolygon(1, p));
  EXPECT_FALSE(db.RetrievePolygon(-4, p)) << "below 1 counts as 1";
  EXPECT_FALSE(db.RetrievePolygon(3, p));
  EXPECT_FALSE(db.RetrievePolygon(4, p));
  EXPECT_EQ(p.size(), 1u) << "untouched";
  EXPECT_TRUE(db.RetrievePolygon(2, p));
  EXPECT_FALSE(db.RetrieveBLOB(2, m, buf, 16));
  EXPECT_FALSE(db.RetrieveBLOB(4, m, s));
  EXPECT_FALSE(db.RetrieveBLOB(0, dir / "", m));
  EXPECT_TRUE(db.RetrieveBLOB(3, m, buf, 16));
  EXPECT_FALSE(db.GetMetaInfo(2, m));
  EXPECT_FALSE(db.GetMetaInfo(0, m));
  EXPECT_FALSE(db.UpdateMetaInfo(4, m));
  db.SetDBName(u"");
  EXPECT_FALSE(db.RetrievePolygon(2, p));
  EXPECT_FALSE(db.RetrieveBLOB(3, m, buf, 16));
  EXPECT_FALSE(db.GetMetaInfo(3, m));
}

TEST_F(GeoDBFixture, BlobsRoundTripThroughBufferStreamAndFile) {
  const std::string bytes = Pattern(40000);  // two whole blocks and a partial one
  TMetaInfo meta{"key words", "caption", "", "descriptor", std::string(300, 'c')};
  dir.Put("source.bin", bytes);
  TMemoryStream in;
  in.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));  // position at the end: the whole stream counts
  const int fromMemory = Blob(u"mem", bytes, meta);
  const int fromStream = db.AddBLOB(u"stream", 0, 0, 0, 0, 0, 0, 0, 0, 0, meta, in);
  const int fromFile = db.AddBLOB(dir / "source.bin", 0, 0, 0, 0, 0, 0, 0, 0, 0, meta);
  EXPECT_EQ(db.GetSumdata(fromFile).Name, "source.bin");
  TDateTime modified = 0;
  ASSERT_TRUE(FileAge(dir / "source.bin", modified));
  EXPECT_EQ(db.GetSumdata(fromFile).Date, modified);
  for (int e : {fromMemory, fromStream, fromFile}) {
    TMetaInfo m;
    std::string buf(bytes.size(), '\0');
    ASSERT_TRUE(db.RetrieveBLOB(e, m, buf.data(), static_cast<int>(buf.size())));
    EXPECT_EQ(buf, bytes) << e;
    EXPECT_EQ(m.Comment, std::string(255, 'c')) << "cut to 255";
    EXPECT_EQ(m.FilePath, e == fromFile ? StringToAnsi(dir / "source.bin") : "");
    TMemoryStream out;
    out.WriteBuffer("old content that is longer than nothing", 30);
    ASSERT_TRUE(db.RetrieveBLOB(e, m, out));
    EXPECT_EQ(out.Size(), 40000);
    EXPECT_EQ(out.Position(), 40000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), 40000), bytes) << e;
    ASSERT_TRUE(db.RetrieveBLOB(e, dir / "out.bin", m));
    EXPECT_EQ(dir.Get("out.bin"), bytes) << e;
  }
  TMetaInfo m;
  char small[100];
  EXPECT_THROW_MSG(db.RetrieveBLOB(fromMemory, m, small, 100), EQeltaGeoDBError,
                   "Component \"GeoDB1\": RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData.");
  EXPECT_EQ(m.Caption, "caption") << "the meta block is read first";
  // Mended: a missing buffer was written to when it claimed to be large enough.
  EXPECT_THROW_MSG(db.RetrieveBLOB(fromMemory, m, nullptr, 40000), EQeltaGeoDBError,
                   "Component \"GeoDB1\": RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData.");
}

TEST_F(GeoDBFixture, RetrieveBlobToAFolderUsesTheCleanedEntryName) {
  ::mkdir(dir.NativeOf("out").c_str(), 0755);
  Blob(u"my map?.png", "PNG");
  TMetaInfo m;
  ASSERT_TRUE(db.RetrieveBLOB(1, Utf8ToString(dir.NativeOf("out")) + u"\\", m));
  EXPECT_EQ(dir.Get("out/my_map_.png"), "PNG");
  ASSERT_TRUE(db.RetrieveBLOB(1, dir / "out/", m));
  dir.Put("out/my_map_.png", "overwritten");
  ASSERT_TRUE(db.RetrieveBLOB(1, dir / "out/", m));
  EXPECT_EQ(dir.Get("out/my_map_.png"), "PNG") << "created anew";
  Blob(u"", "x");
  EXPECT_THROW_MSG(db.RetrieveBLOB(2, u"", m), EQeltaGeoDBError,
                   "Component \"GeoDB1\": RetrieveBLOB: invalid filename.");
}

TEST_F(GeoDBFixture, MetaBlocksAreReadAndRewrittenInPlace) {
  dir.Put("chart.tif", "TIFF");
  const int e = db.AddBLOB(dir / "chart.tif", u"maps\\Chart 1.tif", u"D:\\orig\\chart.tif", 0, 0, 0, 0, 0, 0, 0, 0,
                           0, TMetaInfo{"kw", "cap", "", "", ""});
  EXPECT_EQ(db.GetSumdata(e).Name, "Chart 1.tif");
  TMetaInfo m;
  ASSERT_TRUE(db.GetMetaInfo(e, m));
  EXPECT_EQ(m.FilePath, "D:\\orig\\chart.tif");
  EXPECT_EQ(m.Keywords, "kw");
  const auto size = dir.Get("world.qeltagdd").size();
  m.Caption = "new caption";
  ASSERT_TRUE(db.UpdateMetaInfo(e, m));
  EXPECT_EQ(dir.Get("world.qeltagdd").size(), size);
  TMetaInfo back;
  std::string bytes(4, '\0');
  ASSERT_TRUE(db.RetrieveBLOB(e, back, bytes.data(), 4));
  EXPECT_EQ(back.Caption, "new caption");
  EXPECT_EQ(bytes, "TIFF");
}

// --- progress ----------------------------------------------------------------------------------------------

TEST_F(GeoDBFixture, ProgressOfVerticesFollowsTheirCountAndStep) {
  TgdbPolygon p(250, TSCoords{1, 2});
  RecordProgress();
  Poly(gitRoute, "r", p);
  std::vector<int> expected{0};
  for (int k = 0; k < 250; ++k) expected.push_back(static_cast<int>(std::nearbyint(k * 100.0 / 250)));
  expected.push_back(100);
  EXPECT_EQ(progress, expected);

  progress.clear();
  TgdbPolygon back;
  ASSERT_TRUE(db.RetrievePolygon(1, back));
  expected = {0};
  for (int i = 3; i <= 250; i += 3) expected.push_back(static_cast<int>(std::nearbyint(i * 100.0 / 250)));
  expected.push_back(100);
  EXPECT_EQ(progress, expected) << "step 250 div 100 + 1 = 3";

  progress.clear();
  db.SetOnPercDoneEnabled(false);
  Town("quiet", 0, 0);
  EXPECT_TRUE(progress.empty());
}

TEST_F(GeoDBFixture, ProgressOfBlobsByBlocks) {
  const std::string bytes = Pattern(40000);
  dir.Put("src", bytes);
  RecordProgress();
  Blob(u"m", bytes);
  EXPECT_EQ(progress, (std::vector<int>{0, 41, 82, 100})) << "memory: full blocks only";
  progress.clear();
  db.AddBLOB(dir / "src", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{});
  EXPECT_EQ(progress, (std::vector<int>{0, 41, 82, 100, 100})) << "file: every block";
  TMetaInfo m;
  progress.clear();
  std::string buf(40000, '\0');
  db.RetrieveBLOB(1, m, buf.data(), 40000);
  EXPECT_EQ(progress, (std::vector<int>{0, 41, 82, 100, 100}));
  progress.clear();
  db.RetrieveBLOB(1, dir / "copy", m);
  EXPECT_EQ(progress, (std::vector<int>{0, 41, 82, 100, 100}));
  Town("t", 0, 0);
  progress.clear();
  db.RetrieveBLOB(3, dir / "copy", m);
  EXPECT_TRUE(progress.empty()) << "the file form reports nothing for another kind";
  progress.clear();
  db.RetrieveBLOB(3, m, buf.data(), 40000);
  EXPECT_EQ(progress, (std::vector<int>{0, 100}));
}

TEST_F(GeoDBFixture, ProgressOfLargeBlobsIsComputedIn64Bits) {
  // 16384 x j x 100 passes 2^31 after 1311 blocks (21 MB).
  const std::string bytes = Pattern(22 << 20);
  RecordProgress();
  Blob(u"big", bytes);
  ASSERT_EQ(progress.size(), 1u + 1408u + 1u);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress[1400], static_cast<int>(std::nearbyint(16384.0 * 1400 * 100 / bytes.size())));
  EXPECT_EQ(progress.back(), 100);
}
