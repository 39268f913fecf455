// Every whole-file writer of the maps keeps the old file when its save fails and reports the failure as
// it always has; a map's image and calibration are published together or not at all; a failed change
// of the geographic database keeps the records it had.

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileReplace.h"
#include "FileSys.h"
#include "FileTestKit.h"
#include "GeoDBTestKit.h"
#include "GeoMapTestKit.h"
#include "Qelta_GeoDB.h"
#include "Qelta_geomap.h"
#include "SysUtils.h"

using namespace qelta;
using namespace qelta::test;

namespace {

// What the writers save, made before any fault is planned: a calibrated map with 500 landmarks, a
// repository of 800 symbols and a database holding a BLOB.
struct Scene {
  explicit Scene(const TempDir& dir) {
    map.SetMapBitMap(Quadrants(40, 30).get());
    CalibrateEquiRect(map, 40);
    for (int i = 0; i < 500; ++i)
      map.AddLandMark(47 + i / 1000.0, 9 + i / 500.0, i, u"landmark " + IntToStr(i), 8, clRed);
    rep.SetNEntries(800);
    for (int i = 1; i <= 800; ++i) {
      TSymbol s = DefaultSymbolRecord();
      s.Name = "symbol " + std::to_string(i);
      s.Category = i;
      rep.SetValues(i, s);
    }
    db.SetName(u"GeoDB1");
    db.SetDBName(dir / "world");
    db.AddTown("Wien", 45000, 0, TSCoords{48.25f, 16.375f}, 0, 0, 0);
    const std::string bytes = Pattern(40000);
    db.AddBLOB(u"blob", 45000, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, bytes.data(), static_cast<int>(bytes.size()));
  }
  TProbeMap map;
  TSymbolRepository rep{nullptr};
  TGeoDB db{nullptr};
};

struct Writer {
  const char* Name;
  std::function<void(Scene&, const String&)> Save;  // raises the runtime's EInOutError on failure
};

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"TGeoMap::SaveCalDataAsXML", [](Scene& s, const String& f) { s.map.SaveCalDataAsXML(f, u"cal"); }},
      {"TGeoMap::SaveLandmarks", [](Scene& s, const String& f) { s.map.SaveLandmarks(f, u"trail"); }},
      {"TSymbolRepository::StoreOnFile", [](Scene& s, const String& f) { s.rep.StoreOnFile(f, u"set"); }},
      {"TGeoDB::ExportDataDebug", [](Scene& s, const String& f) { s.db.ExportDataDebug(f); }},
      {"TGeoDB::RetrieveBLOB to a file",
       [](Scene& s, const String& f) {
         TMetaInfo meta;
         EXPECT_TRUE(s.db.RetrieveBLOB(2, f, meta));
       }},
  };
  return writers;
}

}  // namespace

TEST(MapWriters, AFailedSaveKeepsTheOldFileAndIsReported) {
  // Regression: the writers truncated the target before writing, so a full disk left a fragment in
  // place of the user's file.
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    Scene scene(dir);
    w.Save(scene, dir / "target");
    const std::string saved = dir.Get("target");
    ExpectFailedSavesKeepTheOldFile(dir, "target", "the old contents", [&](const SaveFault& fault) {
      EXPECT_IO_ERROR(w.Save(scene, dir / "target"), InOutErrorCode(fault.Errno, true));
    });
    dir.Put("target", "the old contents");
    {
      FaultyOs os;
      os.WriteBudget = static_cast<int64_t>(saved.size() / 2);  // the disk fills up in the middle of the save
      EXPECT_IO_ERROR(w.Save(scene, dir / "target"), 101);
    }
    EXPECT_EQ(dir.Get("target"), "the old contents");
    EXPECT_TRUE(Temporaries(dir).empty());
    w.Save(scene, dir / "target");
    EXPECT_TRUE(dir.Get("target") == saved) << "a save that succeeds writes the same bytes every time";
  }
}

TEST(MapWriters, LandmarksAndSymbolsOfAFailedSaveLoadAsBefore) {
  // Regression: on a full disk both writers left a fragment that loaded as success with 22 of 500
  // landmarks and 64 of 800 symbols.
  TempDir dir;
  Scene scene(dir);
  scene.map.SaveLandmarks(dir / "lm.xml", u"trail");
  scene.rep.StoreOnFile(dir / "sym.xml", u"set");
  for (int i = 0; i < 100; ++i) scene.map.AddLandMark(1, 2, 3);
  scene.rep.SetNEntries(900);
  {
    FaultyOs os;
    os.WriteBudget = 8000;
    EXPECT_IO_ERROR(scene.map.SaveLandmarks(dir / "lm.xml", u"trail"), 101);
    EXPECT_IO_ERROR(scene.rep.StoreOnFile(dir / "sym.xml", u"set"), 101);
  }
  TProbeMap map;
  ASSERT_TRUE(map.LoadLandMarks(dir / "lm.xml", u"trail"));
  EXPECT_EQ(map.NumLandMarks(), 500);
  TSymbolRepository rep(nullptr);
  ASSERT_TRUE(rep.LoadFromFile(dir / "sym.xml", u"set"));
  EXPECT_EQ(rep.NumEntries(), 800);
}

// [SECTION] image and calibration together

namespace {

// A writer of an image and its calibration file; the image's writer reports by EWriteError naming the
// file, the calibration's by the runtime's EInOutError.
struct PairWriter {
  const char* Name;
  const char* Image;
  const char* Calibration;
  std::function<void(TProbeMap&, const String&)> Save;
};

const std::vector<PairWriter>& PairWriters() {
  static const std::vector<PairWriter> writers = {
      {"TGeoMap::SaveMap", "area.jpg", "area.xml",
       [](TProbeMap& map, const String& dir) { map.SaveMap(dir + u"/area.tif", u"first"); }},
      {"TGeoMap::CreateAndLoadEmptyMap", "x.bmp", "x.xml",
       [](TProbeMap& map, const String& dir) {
         map.CreateAndLoadEmptyMap(dir + u"/x.dat", 48, 10, 47, 9, 0, 0, 50, 50, nullptr);
       }},
  };
  return writers;
}

}  // namespace

TEST(MapWriters, ImageAndCalibrationAreSavedTogetherOrNotAtAll) {
  // Regression: SaveMap wrote the calibration, then the image; a full disk lost the old image and kept
  // a calibration that no longer matched it.
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    int Errno;
    bool ImageFails;  // else the calibration's step fails
  };
  // The calibration is written, flushed and renamed first, then the image.
  const Case cases[] = {
      {"calibration: full disk", OsCall::Write, 1, ENOSPC, false}, {"image: full disk", OsCall::Write, 2, ENOSPC, true},
      {"image: I/O error", OsCall::Write, 2, EIO, true},           {"calibration: flush", OsCall::Fsync, 1, EIO, false},
      {"image: flush", OsCall::Fsync, 2, ENOSPC, true},            {"calibration: rename", OsCall::Rename, 1, EIO, false},
      {"image: rename", OsCall::Rename, 2, EIO, true},
  };
  for (const PairWriter& w : PairWriters()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    TProbeMap map;
    map.SetMapBitMap(Quadrants(40, 30).get());
    for (const Case& c : cases) {
      SCOPED_TRACE(c.Name);
      dir.Put(w.Image, "the old image");
      dir.Put(w.Calibration, "the old calibration");
      const String imgName = map.MapImgFile();
      {
        FaultyOs os;
        os.FailNth(c.Call, c.Nth, c.Errno);
        if (c.ImageFails) {
          EXPECT_THROW_MSG(w.Save(map, Utf8ToString(dir.Native())), EWriteError,
                           StringToUtf8(SaveFailureText(dir / w.Image, c.Errno)));
        } else {
          EXPECT_IO_ERROR(w.Save(map, Utf8ToString(dir.Native())), InOutErrorCode(c.Errno, true));
        }
      }
      EXPECT_EQ(dir.Get(w.Image), "the old image");
      EXPECT_EQ(dir.Get(w.Calibration), "the old calibration");
      EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
      EXPECT_EQ(map.MapImgFile(), imgName) << "the map keeps the names of its old files";
    }
    w.Save(map, Utf8ToString(dir.Native()));
    EXPECT_NE(dir.Get(w.Image), "the old image");
    EXPECT_NE(dir.Get(w.Calibration).find("<geomap"), std::string::npos);
  }
}

// [SECTION] the geographic database

namespace {

// The six files of the database, the data file without the identifier counter of its header.
std::vector<std::string> Records(const TempDir& dir) {
  std::vector<std::string> files;
  for (const char* ext : {".qeltagdd", ".qeltagds", ".qeltagi0", ".qeltagi1", ".qeltagi2", ".qeltagi3", ".qeltagi4"})
    files.push_back(dir.Get(std::string("world") + ext));
  files[0].erase(0, 4);
  return files;
}

}  // namespace

TEST_F(GeoDBFixture, AFailedChangeKeepsTheStoredRecords) {
  // Regression: a failed add or replace left its payload (or part of it) at the data file's end, and a
  // failed overwrite of a summary, meta block or header left a damaged record in place of the old one.
  const TgdbPolygon square = {{47, 9}, {47, 17}, {49, 17}, {49, 9}};
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    std::function<void()> Change;
  };
  const std::string bytes = Pattern(50000);
  // Writes of an add: the header, the payload (a BLOB's meta block, then its blocks), the summary, the
  // indexes; of a replace the same without the header.
  const Case cases[] = {
      {"add: the payload", OsCall::Write, 2, [&] { Poly(gitRiver, "r", square); }},
      {"add: a later block of a BLOB", OsCall::Write, 4, [&] { Blob(u"b", bytes); }},
      {"add: the summary", OsCall::Write, 3, [&] { Poly(gitRiver, "r", square); }},
      {"replace: the summary", OsCall::Write, 2,
       [&] { db.ReplaceRiver(1, "r2", square, 0, 0, 0, 0, 0, 0, 0, 0, 0); }},
      {"replace of a town: the summary", OsCall::Write, 1,
       [&] { db.ReplaceTown(2, "t2", 0, 0, TSCoords{1, 2}, 0, 0, 0); }},
      {"update of the basic data", OsCall::Write, 1, [&] { db.UpdateBasicData(2, db.GetSumdata(1)); }},
      {"delete: moving the last summary", OsCall::Write, 1, [&] { db.DeleteData(1); }},
      {"delete: cutting the summaries", OsCall::Count, 0, [&] { db.DeleteData(1); }},
      {"meta block", OsCall::Write, 1, [&] { db.UpdateMetaInfo(3, TMetaInfo{"new", "", "", "", ""}); }},
      {"header", OsCall::Write, 1, [&] { db.SetRevision(7); }},
  };
  Poly(gitRiver, "river", Triangle());
  Town("town", 1, 1);
  Blob(u"blob", "bytes", TMetaInfo{"old", "", "", "", ""});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto before = Records(dir);
    const std::vector<TgdbData> sums = {db.GetSumdata(1), db.GetSumdata(2), db.GetSumdata(3)};
    {
      struct FailTruncate : FaultyOs {
        int Truncate(int fd, int64_t size) override { return fail ? -EIO : FaultyOs::Truncate(fd, size); }
        bool fail = false;
      } os;
      os.fail = c.Call == OsCall::Count;
      if (!os.fail) os.FailNth(c.Call, c.Nth, EIO);
      EXPECT_ANY_THROW(c.Change());
    }
    EXPECT_TRUE(Records(dir) == before) << "the database's files changed";
    EXPECT_EQ(db.NumEntries(), 3);
    db.SetDBName(u"");
    db.SetDBName(Base());
    ASSERT_EQ(db.NumEntries(), 3);
    for (int e = 1; e <= 3; ++e) EXPECT_EQ(db.GetSumdata(e).Name, sums[static_cast<std::size_t>(e - 1)].Name);
  }
  TMetaInfo meta;
  ASSERT_TRUE(db.GetMetaInfo(3, meta));
  EXPECT_EQ(meta.Keywords, "old");
  EXPECT_EQ(db.Revision(), 0);
}

TEST_F(GeoDBFixture, AnIndexUpdateCutShortIsRebuiltOnOpening) {
  // The indexes are updated in place from the first record that changed, without a temporary file; an
  // update torn part way leaves a file that opening recognises and rebuilds from the summaries.
  struct TornWrite : FaultyOs {  // the n-th write puts half its bytes on the disk, then fails
    int64_t Write(int fd, const void* buffer, std::size_t count) override {
      if (++writes != at) return FaultyOs::Write(fd, buffer, count);
      FaultyOs::Write(fd, buffer, count / 2);
      return -EIO;
    }
    int at = 0, writes = 0;
  };
  for (int i = 0; i < 600; ++i) Town("t" + std::to_string(i), static_cast<float>(i), static_cast<float>(-i));
  // An add writes the header and the summary first, a replace of a town the summary; then index 0..4.
  for (int n = 0; n < 5; ++n) {
    for (const bool add : {true, false}) {
      SCOPED_TRACE(std::to_string(n) + (add ? " add" : " replace"));
      const int entries = db.NumEntries();
      {
        TornWrite os;
        os.at = (add ? 3 : 2) + n;
        if (add) {
          EXPECT_IO_ERROR(Town("new", static_cast<float>(-10 * n - 5), 1000), InOutErrorCode(EIO, true));
        } else {
          EXPECT_IO_ERROR(db.ReplaceTown(300, "moved", 0, 0, TSCoords{static_cast<float>(-10 * n - 6), 2000}, 0, 0, 0), InOutErrorCode(EIO, true));
        }
      }
      db.SetDBName(u"");
      db.SetDBName(Base());
      ExpectWellFormed(Raw());
      EXPECT_EQ(db.NumEntries(), entries + (add ? 1 : 0)) << "the summary was stored before the indexes";
      EXPECT_EQ(db.GetIxLatLow(1).index, add ? db.NumEntries() : 300);
    }
  }
}

TEST_F(GeoDBFixture, AGarbageCollectionWhoseSecondRenameFailsIsFinishedOnOpening) {
  // Mended: when the summaries' temporary file could not be renamed, it was deleted and the summary file
  // truncated and written anew, so a failure then lost the summaries of a data file already replaced.
  Poly(gitRiver, "r", Triangle());
  db.ReplaceRiver(1, "r2", {{47, 9}, {47, 17}, {49, 17}, {49, 9}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  Blob(u"b", "bytes");
  {
    FaultyOs os;
    os.FailNth(OsCall::Rename, 4, EIO);  // the temporary files' own two, the data file's, the summaries'
    EXPECT_IO_ERROR(db.GarbageCollection(), 5);
  }
  EXPECT_TRUE(db.DBName().empty()) << "nothing may write to the old summaries";
  EXPECT_TRUE(FileExists(dir / "world.qeltagds.gctmp"));
  db.SetDBName(Base());
  EXPECT_FALSE(FileExists(dir / "world.qeltagds.gctmp"));
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, 260);
  TMetaInfo m;
  std::string back(5, '\0');
  ASSERT_TRUE(db.RetrieveBLOB(2, m, back.data(), 5));
  EXPECT_EQ(back, "bytes");
  ExpectWellFormed(Raw());
}

TEST_F(GeoDBFixture, TwentyKilledCollectionsAndALaterOneLeaveOnlyTheDatabase) {
  // Mended: a collection killed while writing left the hidden temporary of its new data file, as big as
  // all payloads together, beside the database; neither opening it again nor later collections removed it.
  const std::string payload = Pattern(6000);
  for (int i = 0; i < 6; ++i) Blob(u"b" + IntToStr(i), payload);
  db.SetDBName(u"");
  const std::vector<std::string> files = Entries(dir);
  ASSERT_EQ(files.size(), 7u);
  for (const int refused : {0, EOPNOTSUPP}) {  // unnamed temporaries where the file system has them; none
    SCOPED_TRACE(refused);
    std::vector<KillMoment> moments;
    db.SetDBName(Base());
    {
      FaultyOs ran;
      ran.SkipFlush = true;
      ran.TmpFileErrno = refused;
      db.GarbageCollection();
      moments = RandomKillMoments(ran, 20, 77);
    }
    db.SetDBName(u"");
    const auto open = [&](FaultyOs& os) {
      os.SkipFlush = true;
      os.TmpFileErrno = refused;
      db.SetDBName(Base());
    };
    KillAtMoments(moments, open, [&] { db.GarbageCollection(); }, [] {});
    db.SetDBName(Base());
    db.GarbageCollection();
    EXPECT_EQ(Entries(dir), files);
    ASSERT_EQ(db.NumEntries(), 6);
    for (int e = 1; e <= 6; ++e) {
      TMetaInfo m;
      std::string back(payload.size(), '\0');
      ASSERT_TRUE(db.RetrieveBLOB(e, m, back.data(), static_cast<int>(back.size())));
      EXPECT_EQ(back, payload);
    }
    db.SetDBName(u"");
  }
}
