// Qelta_GeoDB: the six files as an independent reader sees them, deferred index writing, upkeep, and
// damaged or hostile databases.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "Assertions.h"
#include "FileSys.h"
#include "GeoDBTestKit.h"
#include "Qelta_GeoDB.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::GeoDBFixture;
using qelta::test::Pattern;
using qelta::test::RawAt;
using qelta::test::RawDB;
using qelta::test::TempDir;
using qelta::test::Triangle;

namespace {

const char* const kExts[] = {".qeltagdd", ".qeltagds", ".qeltagi0", ".qeltagi1", ".qeltagi2", ".qeltagi3", ".qeltagi4"};

/// Opens of paths ending in `suffix` fail with EACCES; everything else goes to the real OS.
class FailOpenOf : public FaultyOs {
 public:
  explicit FailOpenOf(std::string suffix) : suffix_(std::move(suffix)) {}
  int Open(const std::string& path, int flags, int mode) override {
    if (path.size() >= suffix_.size() && path.compare(path.size() - suffix_.size(), suffix_.size(), suffix_) == 0)
      return -EACCES;
    return FaultyOs::Open(path, flags, mode);
  }

 private:
  std::string suffix_;
};

/// The bytes of all six files, to show that a refused call wrote nothing.
std::vector<std::string> Snapshot(const TempDir& dir) {
  std::vector<std::string> files;
  for (const char* ext : kExts) files.push_back(dir.Get(std::string("world") + ext));
  return files;
}

/// Overwrites bytes of a file in place.
void Patch(const TempDir& dir, const std::string& name, std::size_t at, const void* bytes, std::size_t n) {
  std::fstream f(dir.NativeOf(name), std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  f.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(n));
}

int64_t SizeOf(const TempDir& dir, const std::string& name) {
  struct stat st{};
  return ::stat(dir.NativeOf(name).c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

TgdbPolygon Square() { return {{47, 9}, {47, 17}, {49, 17}, {49, 9}}; }

}  // namespace

// --- the files as written ----------------------------------------------------------------------------------

TEST_F(GeoDBFixture, AScriptedSequenceIsWhatAnIndependentReaderDecodes) {
  db.SetDescription(U8("Österreich"));
  db.SetRevision(3);
  const std::string map = Pattern(20000);
  int64_t end = 260;
  std::vector<int64_t> offsets;  // payload offsets in the order of storing
  const auto stored = [&](int64_t bytes) {
    offsets.push_back(end);
    end += bytes;
  };
  db.AddBorder("AT", Square(), true, 45000.5, 11, 0, 0, 0, 0, 500, 1, 100);  // 1
  stored(32);
  Town("Wien", 48.25f, 16.375f, 2);                                           // 2
  db.AddCity("Graz", Triangle(), false, 45000.5, 12, 0, 0, 0, 0, 350, 3, 101);  // 3
  stored(24);
  db.AddLake("Neusiedler See", Square(), 45000.5, 13, 0, 0, 0, 0, 115, 4, 102);  // 4
  stored(32);
  db.AddRiver("Donau", Triangle(), 45000.5, 14, 0, 0, 0, 0, 0, 5, 103);  // 5
  stored(24);
  db.AddRoad("A1", Triangle(), 45000.5, 15, 0, 0, 0, 0, 0, 6, 104);  // 6
  stored(24);
  db.AddRoute("Weg 1", Square(), 45000.5, 16, 0, 0, 0, 0, 0, 7, 105);  // 7
  stored(32);
  Blob(u"Karte", map, TMetaInfo{"kw", "Karte von Wien", "", "", ""});  // 8
  stored(1024 + 20000);
  db.ReplaceCity(3, "Graz neu", Square(), true, 45010, 22, 0, 0, 0, 0, 360, 8, 106);
  stored(32);
  const RawDB beforeLazy = Raw();
  db.SetLazyWrite(true);
  Town("Linz", 48.3f, 14.3f, 9);  // 9
  db.DeleteData(2);               // Linz becomes entry 2
  const RawDB lazy = Raw();
  EXPECT_EQ(lazy.indexFiles, beforeLazy.indexFiles) << "indexes deferred";
  EXPECT_EQ(lazy.sums.size(), 8u) << "summaries written through";
  db.SetLazyWrite(false);
  db.SetDBName(u"");
  db.SetDBName(Base());

  const RawDB raw = Raw();
  qelta::test::ExpectWellFormed(raw);
  EXPECT_EQ(raw.highestId, 9);
  EXPECT_EQ(raw.version, 4);
  EXPECT_EQ(raw.description, "\xD6sterreich");
  EXPECT_EQ(raw.revision, 3);
  EXPECT_EQ(raw.reserved, std::string(184, '\0'));
  EXPECT_EQ(RawAt<uint8_t>(raw.data, 8 + 1 + 10), 0) << "description tail zero";
  EXPECT_EQ(raw.data.size(), static_cast<std::size_t>(end));

  struct Expected {
    int32_t id;
    const char* name;
    TgdbItem kind;
    int32_t offset, numPoints;
    bool closed;
    float latLow, latHigh, longLow, longHigh;
  };
  const auto off = [&](int i) { return static_cast<int32_t>(offsets[static_cast<std::size_t>(i)]); };
  const Expected expected[] = {
      {1, "AT", gitBorder, off(0), 4, true, 47, 49, 9, 17},
      {9, "Linz", gitTown, -1, 0, false, 48.3f, 48.3f, 14.3f, 14.3f},
      {3, "Graz neu", gitCity, off(7), 4, true, 47, 49, 9, 17},
      {4, "Neusiedler See", gitLake, off(2), 4, true, 47, 49, 9, 17},
      {5, "Donau", gitRiver, off(3), 3, false, 46.75f, 48.25f, 9.5f, 11},
      {6, "A1", gitRoad, off(4), 3, false, 46.75f, 48.25f, 9.5f, 11},
      {7, "Weg 1", gitRoute, off(5), 4, false, 47, 49, 9, 17},
      {8, "Karte", gitBLOB, off(6), 20000, false, -1, 1, -2, 2},
  };
  ASSERT_EQ(raw.sums.size(), std::size(expected));
  for (std::size_t i = 0; i < raw.sums.size(); ++i) {
    const auto& s = raw.sums[i];
    const Expected& x = expected[i];
    SCOPED_TRACE(x.name);
    EXPECT_EQ(s.itemId, x.id);
    EXPECT_EQ(s.Name(), x.name);
    EXPECT_EQ(s.kind, x.kind);
    EXPECT_EQ(s.blobOffset, x.offset);
    EXPECT_EQ(s.numPoints, x.numPoints);
    EXPECT_EQ(s.closed, x.closed ? 1 : 0);
    EXPECT_EQ(s.latLow, x.latLow);
    EXPECT_EQ(s.latHigh, x.latHigh);
    EXPECT_EQ(s.longLow, x.longLow);
    EXPECT_EQ(s.longHigh, x.longHigh);
    // The component reads back what the file holds.
    const TgdbData d = db.GetSumdata(static_cast<int>(i) + 1);
    EXPECT_EQ(d.ItemId, s.itemId);
    EXPECT_EQ(d.Date, s.date);
    EXPECT_EQ(d.Tag, s.tag);
    EXPECT_EQ(d.StateFlag, s.stateFlag);
    EXPECT_EQ(d.Altitude, s.altitude);
    EXPECT_EQ(d.ClassFlag, s.classFlag);
  }
  // The callers' other fields, from the file.
  EXPECT_EQ(raw.sums[0].date, 45000.5);
  EXPECT_EQ(raw.sums[0].stateFlag, 11);
  EXPECT_EQ(raw.sums[0].altitude, 500);
  EXPECT_EQ(raw.sums[0].classFlag, 1);
  EXPECT_EQ(raw.sums[0].tag, 100);
  EXPECT_EQ(raw.sums[1].date, 45000.25);
  EXPECT_EQ(raw.sums[1].stateFlag, 7);
  EXPECT_EQ(raw.sums[1].classFlag, 9);
  EXPECT_EQ(raw.sums[2].date, 45010);
  EXPECT_EQ(raw.sums[2].tag, 106);
  // Payloads where the offsets say: vertices as pairs of singles, the BLOB behind its meta block.
  const TgdbPolygon square = Square();
  for (std::size_t v = 0; v < square.size(); ++v) {
    EXPECT_EQ(RawAt<float>(raw.data, static_cast<std::size_t>(off(0)) + 8 * v), square[v].Latit);
    EXPECT_EQ(RawAt<float>(raw.data, static_cast<std::size_t>(off(0)) + 8 * v + 4), square[v].Longit);
  }
  const std::size_t blob = static_cast<std::size_t>(off(6));
  EXPECT_EQ(raw.data.substr(blob, 15), std::string("\x02kw") + std::string(12, '\0'));
  EXPECT_EQ(raw.data.substr(blob + 256, 15), "\x0EKarte von Wien");
  EXPECT_EQ(raw.data.substr(blob + 1024, 20000), map);
  // The replaced city's first payload is still in place.
  EXPECT_EQ(RawAt<float>(raw.data, static_cast<std::size_t>(off(1))), 47.5f);
}

TEST_F(GeoDBFixture, NamesAreBlankFilledAndCutInTheFile) {
  Town(std::string(70, 'n'), 0, 0);
  Town("Wels", 0, 0);
  const RawDB raw = Raw();
  EXPECT_EQ(raw.sums[0].nameLength, 59);
  EXPECT_EQ(raw.sums[0].nameBytes, std::string(59, 'n'));
  EXPECT_EQ(raw.sums[1].nameLength, 4);
  EXPECT_EQ(raw.sums[1].nameBytes, "Wels" + std::string(55, ' '));
  qelta::test::ExpectWellFormed(raw);
}

// --- deferred index files ------------------------------------------------------------------------------

TEST_F(GeoDBFixture, LazyIndexesAreWrittenOnSwitchOffCloseReopenAndDestruction) {
  Town("a", 1, 1);
  const auto written = Raw().indexFiles;
  db.SetLazyWrite(true);
  Town("b", 2, 2);
  EXPECT_EQ(Raw().indexFiles, written);
  db.SetDBName(u"");  // closing writes them and ends LazyWrite
  EXPECT_FALSE(db.LazyWrite());
  EXPECT_EQ(Raw().index[0].size(), 2u);

  db.SetDBName(Base());
  db.SetLazyWrite(true);
  Town("c", 3, 3);
  TempDir other;
  db.SetDBName(other / "second");  // opening another writes the pending ones first
  EXPECT_TRUE(db.LazyWrite());
  EXPECT_EQ(Raw().index[1].size(), 3u);
  qelta::test::ExpectWellFormed(Raw());

  {
    TGeoDB local(nullptr);
    local.SetDBName(Base());
    local.SetLazyWrite(true);
    local.AddTown("d", 0, 0, TSCoords{4, 4}, 0, 0, 0);
    EXPECT_EQ(Raw().index[2].size(), 3u);
  }
  EXPECT_EQ(Raw().index[2].size(), 4u) << "the destructor writes them";
}

TEST_F(GeoDBFixture, AnIndexFileCutOrRemovedBetweenSavesIsWrittenWhole) {
  for (int i = 0; i < 4; ++i) Town(std::string(1, static_cast<char>('a' + i)), static_cast<float>(i), 0);
  ::truncate(dir.NativeOf("world.qeltagi1").c_str(), 5);
  ::unlink(dir.NativeOf("world.qeltagi2").c_str());
  Town("e", 99, 0);  // changes only the end of every index
  qelta::test::ExpectWellFormed(Raw());
  EXPECT_EQ(Raw().index[1].size(), 5u);
}

// --- upkeep ----------------------------------------------------------------------------------------------

TEST_F(GeoDBFixture, GarbageCollectionKeepsOnlyReferencedPayloads) {
  const std::string bytes = Pattern(5000);
  Poly(gitRiver, "r", Triangle());
  Blob(u"b", bytes, TMetaInfo{"k", "", "", "", ""});
  Town("t", 5, 5);
  Poly(gitLake, "l", Square());
  db.ReplaceRiver(1, "r2", Square(), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db.ReplaceBLOB(2, u"b2", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{"k2", "", "", "", ""}, bytes.data(), 4000);
  db.DeleteData(4);
  const int32_t highest = Raw().highestId;
  db.SetDescription(u"kept");
  db.GarbageCollection();
  const RawDB raw = Raw();
  qelta::test::ExpectWellFormed(raw);
  EXPECT_EQ(raw.data.size(), 260u + 32u + 1024u + 4000u);
  EXPECT_EQ(raw.highestId, highest);
  EXPECT_EQ(raw.description, "kept");
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, 260);
  EXPECT_EQ(db.GetSumdata(2).BlobOffset, 292);
  EXPECT_EQ(raw.sums[1].blobOffset, 292);
  EXPECT_EQ(db.GetSumdata(3).BlobOffset, -1);
  TgdbPolygon p;
  ASSERT_TRUE(db.RetrievePolygon(1, p));
  EXPECT_EQ(p.size(), 4u);
  TMetaInfo m;
  std::string back(4000, '\0');
  ASSERT_TRUE(db.RetrieveBLOB(2, m, back.data(), 4000));
  EXPECT_EQ(back, bytes.substr(0, 4000));
  EXPECT_EQ(m.Keywords, "k2");
  EXPECT_FALSE(FileExists(dir / "world.qeltagdd.gctmp"));
  EXPECT_FALSE(FileExists(dir / "world.qeltagds.gctmp"));
  db.SetDBName(u"");
  db.SetDBName(Base());
  EXPECT_EQ(db.GetSumdata(2).BlobOffset, 292);
}

TEST_F(GeoDBFixture, GarbageCollectionThatCannotWriteChangesNothing) {
  Poly(gitRiver, "r", Triangle());
  db.ReplaceRiver(1, "r2", Square(), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  const auto before = Snapshot(dir);
  {
    FaultyOs os;
    os.WriteBudget = 100;
    EXPECT_THROW(db.GarbageCollection(), EInOutError);
  }
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, 284);
  EXPECT_FALSE(FileExists(dir / "world.qeltagdd.gctmp"));
}

TEST_F(GeoDBFixture, AGarbageCollectionEndedPartWayIsFinishedOrUndoneOnOpening) {
  Poly(gitRiver, "r", Triangle());
  db.ReplaceRiver(1, "r2", Square(), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  Blob(u"b", "bytes");
  db.SetDBName(u"");
  const auto before = Snapshot(dir);
  // Ended before the first rename: both temporary files are left, the database is as it was.
  dir.Put("world.qeltagdd.gctmp", "partial");
  dir.Put("world.qeltagds.gctmp", "partial");
  db.SetDBName(Base());
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_FALSE(FileExists(dir / "world.qeltagdd.gctmp"));
  EXPECT_FALSE(FileExists(dir / "world.qeltagds.gctmp"));
  // Ended between the renames: the data file is new, the summaries' temporary file holds what fits it.
  db.GarbageCollection();
  db.SetDBName(u"");
  dir.Put("world.qeltagds.gctmp", dir.Get("world.qeltagds"));
  dir.Put("world.qeltagds", before[1]);
  db.SetDBName(Base());
  EXPECT_FALSE(FileExists(dir / "world.qeltagds.gctmp"));
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, 260);
  TgdbPolygon p;
  ASSERT_TRUE(db.RetrievePolygon(1, p));
  EXPECT_EQ(p.size(), 4u);
  TMetaInfo m;
  std::string bytes(5, '\0');
  ASSERT_TRUE(db.RetrieveBLOB(2, m, bytes.data(), 5));
  EXPECT_EQ(bytes, "bytes");
}

TEST_F(GeoDBFixture, RecalcIndexesRebuildsAndWritesAllFive) {
  for (int i = 0; i < 6; ++i) Town(std::string(1, static_cast<char>('a' + i)), static_cast<float>(10 - i), i);
  const auto written = Raw().indexFiles;
  for (int n = 0; n < 5; ++n) ::unlink(dir.NativeOf("world.qeltagi" + std::to_string(n)).c_str());
  db.RecalcIndexes();
  EXPECT_EQ(Raw().indexFiles, written);
}

TEST_F(GeoDBFixture, ExportDataDebugDumpsHeaderSummariesAndIndexes) {
  Town("Wien", 48.25f, 16.375f);
  Poly(gitLake, "See", Triangle());
  db.ExportDataDebug(dir / "dump.txt");
  const std::string text = dir.Get("dump.txt");
  EXPECT_NE(text.find("Entries 2\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n1;1;Town;Wien;0;42;7;120.5;45000.25;48.25;48.25;16.375;16.375;-1;0;0\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("\r\n2;2;Lake;See;"), std::string::npos) << text;
  EXPECT_NE(text.find("index LongHigh: position;key;entry\r\n1;11;2\r\n2;16.375;1\r\n"), std::string::npos) << text;
}

TEST_F(GeoDBFixture, ReadSystemInformationReadsTheHeaderByName) {
  db.SetDescription(u"Alpen");
  Town("x", 0, 0);
  TgdbSystemData h;
  ASSERT_TRUE(ReadSystemInformation(dir / "world.any.ext", h));
  EXPECT_EQ(h.HighestID, 1);
  EXPECT_EQ(h.DBVersion, 4);
  EXPECT_EQ(h.Description, "Alpen");
  EXPECT_FALSE(ReadSystemInformation(dir / "none", h));
  dir.Put("short.qeltagdd", std::string(100, '\0'));
  EXPECT_FALSE(ReadSystemInformation(dir / "short", h));
}

// --- faults mended ------------------------------------------------------------------------------------------

TEST_F(GeoDBFixture, AnExistingFileThatCannotBeOpenedIsNeverWiped) {
  // Mended: opening created every file anew whose read-only open failed, so a database with a file that
  // existed but could not be opened (permissions, a lock) was emptied.
  Town("a", 1, 1);
  Poly(gitRiver, "b", Triangle());
  db.SetDBName(u"");
  ::unlink(dir.NativeOf("world.qeltagi3").c_str());
  const auto before = Snapshot(dir);
  {
    FailOpenOf os(".qeltagds");
    EXPECT_IO_ERROR(db.SetDBName(Base()), 5);
  }
  EXPECT_EQ(db.DBName(), u"");
  EXPECT_EQ(db.NumEntries(), 0);
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_FALSE(FileExists(dir / "world.qeltagi3")) << "nothing created before all files were read";
  db.SetDBName(Base());
  EXPECT_EQ(db.NumEntries(), 2);
  qelta::test::ExpectWellFormed(Raw());
}

TEST_F(GeoDBFixture, ADataFileShorterThanItsHeaderIsAReadError) {
  db.SetDBName(u"");
  dir.Put("world.qeltagdd", std::string(100, '\0'));
  EXPECT_IO_ERROR(db.SetDBName(Base()), 100);
  EXPECT_EQ(db.DBName(), u"");
  EXPECT_EQ(dir.Get("world.qeltagdd").size(), 100u);
}

TEST_F(GeoDBFixture, OpeningInPlaceOfAnotherThatFailsLeavesTheComponentClosed) {
  Town("a", 1, 1);
  TempDir other;
  other.Put("bad.qeltagdd", "short");
  EXPECT_THROW(db.SetDBName(other / "bad"), EInOutError);
  EXPECT_EQ(db.DBName(), u"");
  EXPECT_EQ(db.NumEntries(), 0);
  EXPECT_EQ(Town("b", 0, 0), -1);
}

TEST_F(GeoDBFixture, DamagedIndexesAreRebuiltFromTheSummaries) {
  // Mended: an index file with fewer or more records than entries, or with positions outside 0..N-1 or
  // repeated, was taken as it stood; deleting and re-indexing then read positions past its end.
  for (int i = 0; i < 5; ++i) Town(std::string(1, static_cast<char>('a' + i)), static_cast<float>(i * 10), 40 - i);
  const auto good = Raw().indexFiles;
  db.SetDBName(u"");
  struct Damage {
    const char* what;
    int n;
    std::size_t at;
    int32_t value;
  };
  const Damage damages[] = {
      {"index beyond N-1", 1, 4, 99}, {"negative index", 2, 12, -1}, {"repeated index", 3, 4, 0},
      {"key not the bound", 4, 8, 0x42000000}, {"identifier not the entry's", 0, 0, 77}};
  for (const Damage& d : damages) Patch(dir, "world.qeltagi" + std::to_string(d.n), d.at, &d.value, 4);
  ::truncate(dir.NativeOf("world.qeltagi0").c_str(), 37);  // and a partial record
  db.SetDBName(Base());
  EXPECT_EQ(Raw().indexFiles, good) << "rebuilt and written at once";
  db.DeleteData(1);
  db.DeleteData(3);
  qelta::test::ExpectWellFormed(Raw());
  EXPECT_EQ(db.SearchForItemID(5), 1);
}

TEST_F(GeoDBFixture, SummariesPointingOutsideTheDataFileRetrieveNothing) {
  // Mended: a vertex count, size or offset from a damaged summary was trusted: the polygon was sized to
  // it and the data file read at it.
  Poly(gitBorder, "ok", Triangle());
  Blob(u"ok", "blob bytes");
  db.SetDBName(u"");
  struct Damage {
    const char* what;
    int entry;
    std::size_t field;
    int32_t value;
  };
  const Damage damages[] = {{"vertices beyond the end", 1, 112, 1000000},
                            {"negative vertex count", 1, 112, -3},
                            {"negative offset", 1, 76, -8},
                            {"offset beyond the end", 1, 76, 1 << 30},
                            {"size beyond the end", 2, 112, 1 << 30},
                            {"negative size", 2, 112, -1},
                            {"offset beyond the end", 2, 76, 2147483000}};
  const std::string summary = dir.Get("world.qeltagds"), data = dir.Get("world.qeltagdd");
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    dir.Put("world.qeltagds", summary);
    dir.Put("world.qeltagdd", data);
    Patch(dir, "world.qeltagds", static_cast<std::size_t>(d.entry - 1) * 120 + d.field, &d.value, 4);
    db.SetDBName(Base());
    TgdbPolygon p{{1, 1}};
    TMetaInfo m{"untouched", "", "", "", ""};
    char buf[64];
    TMemoryStream s;
    EXPECT_FALSE(db.RetrievePolygon(d.entry, p));
    EXPECT_EQ(p.size(), 1u);
    EXPECT_FALSE(db.RetrieveBLOB(d.entry, m, buf, 64));
    EXPECT_FALSE(db.RetrieveBLOB(d.entry, m, s));
    EXPECT_FALSE(db.RetrieveBLOB(d.entry, dir / "target", m));
    EXPECT_FALSE(db.GetMetaInfo(d.entry, m));
    EXPECT_FALSE(db.UpdateMetaInfo(d.entry, m));
    EXPECT_EQ(m.Keywords, "untouched");
    EXPECT_EQ(s.Size(), 0);
    EXPECT_FALSE(FileExists(dir / "target"));
    db.GarbageCollection();  // drops what lies outside, keeps the rest
    EXPECT_EQ(db.GetSumdata(d.entry).BlobOffset, -1);
    db.SetDBName(u"");
  }
}

TEST_F(GeoDBFixture, APartialSummaryAtTheEndIsIgnoredAndOverwritten) {
  // Mended: a summary file that did not end on a whole record could have the next record appended after
  // the partial one, shifting every later record.
  Town("a", 1, 1);
  Town("b", 2, 2);
  db.SetDBName(u"");
  {
    std::ofstream(dir.NativeOf("world.qeltagds"), std::ios::app | std::ios::binary) << std::string(50, 'x');
  }
  db.SetDBName(Base());
  EXPECT_EQ(db.NumEntries(), 2);
  Town("c", 3, 3);
  EXPECT_EQ(dir.Get("world.qeltagds").size(), 360u) << "written after the last whole record";
  db.DeleteData(1);
  EXPECT_EQ(dir.Get("world.qeltagds").size(), 240u);
  qelta::test::ExpectWellFormed(Raw());
}

TEST_F(GeoDBFixture, ABlobFromAFileThatCannotBeOpenedWritesNothing) {
  // Mended: the identifier was taken, the header rewritten and the meta block appended before the source
  // was opened, so a missing source left a half-done add behind the error.
  Town("a", 1, 1);
  const auto before = Snapshot(dir);
  EXPECT_IO_ERROR(db.AddBLOB(dir / "missing.bin", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}), 2);
  EXPECT_IO_ERROR(db.ReplaceBLOB(1, dir / "missing.bin", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}), 2);
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_EQ(db.NumEntries(), 1);
  EXPECT_EQ(db.GetSumdata(Town("b", 2, 2)).ItemId, 2);
}

TEST_F(GeoDBFixture, ABlobSourceIsReadByItsFullPathNotTheCutMetaPath) {
  // Mended: the source was read by the meta block's FilePath, which is cut to 127 characters (and to
  // Windows-1252), so a longer path read another file or none.
  const std::size_t base = dir.Native().size() + 1;
  ASSERT_LT(base, 120u);
  const std::string folder(150, 'd');
  ::mkdir(dir.NativeOf(folder).c_str(), 0755);
  dir.Put(folder + "/f.bin", "RIGHT");
  dir.Put(folder.substr(0, 127 - base), "WRONG");  // the file the cut path names
  const String path = dir / (folder + "/f.bin");
  const int e = db.AddBLOB(path, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{});
  TMetaInfo m;
  std::string back(5, '\0');
  ASSERT_TRUE(db.RetrieveBLOB(e, m, back.data(), 5));
  EXPECT_EQ(back, "RIGHT");
  EXPECT_EQ(m.FilePath, StringToAnsi(path).substr(0, 127));
}

TEST_F(GeoDBFixture, NegativeOrMissingBlobBytesAreRefused) {
  // Mended: a negative size was stored as the BLOB's Size, and a missing pointer was read from.
  Blob(u"a", "x");
  const auto before = Snapshot(dir);
  const TMetaInfo none;
  EXPECT_THROW_MSG(db.AddBLOB(u"n", 0, 0, 0, 0, 0, 0, 0, 0, 0, none, "x", -1), EQeltaGeoDBError,
                   "Component \"GeoDB1\": AddData: size of BLOB data is negative.");
  EXPECT_THROW_MSG(db.AddBLOB(u"n", 0, 0, 0, 0, 0, 0, 0, 0, 0, none, nullptr, 5), EQeltaGeoDBError,
                   "Component \"GeoDB1\": AddData: BLOB data missing.");
  EXPECT_THROW_MSG(db.ReplaceBLOB(1, u"n", 0, 0, 0, 0, 0, 0, 0, 0, 0, none, "x", -1), EQeltaGeoDBError,
                   "Component \"GeoDB1\": ReplaceData: size of BLOB data is negative.");
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_EQ(db.AddBLOB(u"empty", 0, 0, 0, 0, 0, 0, 0, 0, 0, none, nullptr, 0), 2);
}

TEST_F(GeoDBFixture, NoIdentifierBeyondTheLargestIsGiven) {
  // Mended: the identifier counter was incremented past 2^31 - 1 (a signed overflow) in a header that
  // had reached it.
  db.SetDBName(u"");
  const int32_t highest = 2147483647;
  Patch(dir, "world.qeltagdd", 0, &highest, 4);
  db.SetDBName(Base());
  const auto before = Snapshot(dir);
  EXPECT_THROW_MSG(Town("a", 1, 1), EQeltaGeoDBError, "Component \"GeoDB1\": AddData: no item identifier left.");
  EXPECT_EQ(Snapshot(dir), before);
}

TEST_F(GeoDBFixture, APayloadEndingBeyond2GBIsRefusedBeforeAnythingIsWritten) {
  // Mended: offsets and sizes are 32-bit; a payload appended beyond 2^31 - 1 bytes got an offset that
  // wrapped around.
  constexpr int64_t kMax = 2147483647;
  ASSERT_EQ(::truncate(dir.NativeOf("world.qeltagdd").c_str(), kMax - 24), 0);  // sparse
  EXPECT_EQ(Poly(gitRiver, "fits", Triangle()), 1);
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, kMax - 24);
  EXPECT_EQ(SizeOf(dir, "world.qeltagdd"), kMax);
  const std::string summaries = dir.Get("world.qeltagds");
  EXPECT_THROW_MSG(Poly(gitRiver, "beyond", Triangle()), EQeltaGeoDBError,
                   "Component \"GeoDB1\": AddData: data file would exceed 2147483647 bytes.");
  EXPECT_THROW_MSG(Blob(u"beyond", ""), EQeltaGeoDBError,
                   "Component \"GeoDB1\": AddData: data file would exceed 2147483647 bytes.");
  EXPECT_THROW_MSG(db.ReplaceRiver(1, "beyond", Triangle(), 0, 0, 0, 0, 0, 0, 0, 0, 0), EQeltaGeoDBError,
                   "Component \"GeoDB1\": ReplaceData: data file would exceed 2147483647 bytes.");
  EXPECT_EQ(SizeOf(dir, "world.qeltagdd"), kMax);
  EXPECT_EQ(dir.Get("world.qeltagds"), summaries);
  EXPECT_EQ(RawAt<int32_t>(dir.Get("world.qeltagi0"), 0), 1);
  EXPECT_EQ(Town("no payload", 1, 1), 2);
  EXPECT_EQ(db.GetSumdata(2).ItemId, 2) << "a refused add takes no identifier";
}

TEST_F(GeoDBFixture, ADataFileThatCannotBeOpenedGivesTheComponentMessages) {
  db.SetDescription(u"old");
  Town("a", 1, 1);
  Poly(gitRiver, "r", Triangle());
  FailOpenOf os(".qeltagdd");
  EXPECT_THROW_MSG(Town("b", 2, 2), EQeltaGeoDBError, "Component \"GeoDB1\": AddData: cannot open database.");
  EXPECT_THROW_MSG(db.SetDescription(u"new"), EQeltaGeoDBError,
                   "Component \"GeoDB1\": SetDescription: cannot open database.");
  EXPECT_THROW_MSG(db.SetRevision(5), EQeltaGeoDBError, "Component \"GeoDB1\": SetRevision: cannot open database.");
  EXPECT_EQ(db.Description(), u"old");
  EXPECT_EQ(db.Revision(), 0);
  EXPECT_EQ(db.NumEntries(), 2);
  TgdbPolygon p;
  EXPECT_IO_ERROR(db.RetrievePolygon(2, p), 5);
}

TEST_F(GeoDBFixture, AFullDiskPartWayThroughAnAddLosesNothingStored) {
  Town("a", 1, 1);
  {
    FaultyOs os;
    os.WriteBudget = 260 + 24 + 50;  // header and vertices fit, the summary does not
    EXPECT_IO_ERROR(Poly(gitRiver, "r", Triangle()), 101);
  }
  EXPECT_EQ(db.NumEntries(), 1);
  db.SetDBName(u"");
  db.SetDBName(Base());
  EXPECT_EQ(db.NumEntries(), 1);
  EXPECT_EQ(Poly(gitRiver, "r", Triangle()), 2);
  EXPECT_EQ(db.GetSumdata(2).ItemId, 3) << "the identifier taken before the failure is not given again";
  TgdbPolygon p;
  EXPECT_TRUE(db.RetrievePolygon(2, p));
  qelta::test::ExpectWellFormed(Raw());
}

TEST_F(GeoDBFixture, AMissingDataFileIsCreatedWithoutReusingIdentifiers) {
  // Mended: the data file was created with whatever header the component held, from a new database's
  // zero to another database's values, so identifiers were given twice.
  Town("a", 1, 1);
  Town("b", 2, 2);
  Town("c", 3, 3);
  db.SetDBName(u"");
  ::unlink(dir.NativeOf("world.qeltagdd").c_str());
  db.SetDBName(Base());
  EXPECT_EQ(Raw().highestId, 3);
  EXPECT_EQ(db.GetSumdata(Town("d", 4, 4)).ItemId, 4);
  EXPECT_EQ(db.SearchForItemID(1), 1);
}
