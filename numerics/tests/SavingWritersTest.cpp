// Every whole-file writer of the numerics keeps the old file when its save fails or is killed, and
// reports the failure as it always has; the 4-D array's append puts back what a failed append wrote.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "FileReplace.h"
#include "FileTestKit.h"
#include "Qelta_datatable.h"
#include "Qelta_kohonen.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "Qelta_vector.h"

using namespace qelta;
using namespace qelta::test;

namespace {

// How a writer reports a failed save: false, its error text, or the runtime's I/O error.
enum TReport { rpFalse, rpText, rpInOutError };

struct Writer {
  const char* Name;
  TReport Report;
  std::function<String(const String&)> Save;  // the writer's report: "" for a save that succeeded
};

String Ok(bool saved) { return saved ? String() : String(u"false"); }

void Number(TMatrix& m, int nc, int nr) {
  m.Resize(nc, nr);
  for (int c = 1; c <= nc; ++c)
    for (int r = 1; r <= nr; ++r) m.SetVal(c, r, c + r / 7.0);
}

void Number(TIntMatrix& m, int nc, int nr) {
  m.Resize(nc, nr);
  for (int c = 1; c <= nc; ++c)
    for (int r = 1; r <= nr; ++r) m.SetVal(c, r, 10 * c + r);
}

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"TVector::StoreOnFile", rpFalse,
       [](const String& f) {
         TVector v(nullptr);
         v.Resize(3);
         v.SetVal(2, 0.5);
         return Ok(v.StoreOnFile(1, 3, 3, f));
       }},
      {"TIntVector::StoreOnFile", rpFalse,
       [](const String& f) {
         TIntVector v(nullptr);
         v.Resize(3);
         v.SetVal(3, -7);
         return Ok(v.StoreOnFile(1, 3, f));
       }},
      {"TMatrix::StoreOnFile", rpFalse,
       [](const String& f) {
         TMatrix m(nullptr);
         Number(m, 3, 2);
         return Ok(m.StoreOnFile(0, 0, 0, 0, f));
       }},
      {"TMatrix::SaveAsXMLFile", rpFalse,
       [](const String& f) {
         TMatrix m(nullptr);
         Number(m, 3, 2);
         return Ok(m.SaveAsXMLFile(f, u"id"));
       }},
      {"TMatrix::SaveBinary", rpFalse,
       [](const String& f) {
         TMatrix m(nullptr);
         Number(m, 3, 2);
         return Ok(m.SaveBinary(f));
       }},
      {"TIntMatrix::StoreOnFile", rpFalse,
       [](const String& f) {
         TIntMatrix m(nullptr);
         Number(m, 2, 3);
         return Ok(m.StoreOnFile(0, 0, 0, 0, f));
       }},
      {"TIntMatrix::SaveAsXMLFile", rpFalse,
       [](const String& f) {
         TIntMatrix m(nullptr);
         Number(m, 2, 3);
         return Ok(m.SaveAsXMLFile(f, u"id"));
       }},
      {"TIntMatrix::StoreSparseMat", rpFalse,
       [](const String& f) {
         TIntMatrix m(nullptr, TIntMatrix::TSparseForm{4});
         m.SetVal(5, 3, 7);
         return Ok(m.StoreSparseMat(f));
       }},
      {"TMat3D::SaveAsXMLFile", rpFalse,
       [](const String& f) {
         TMat3D m(nullptr);
         m.Resize(2, 2, 2);
         m.SetVal(2, 1, 2, 4.5);
         return Ok(m.SaveAsXMLFile(f, u"id"));
       }},
      {"TMat4D::SaveAsXMLFile", rpFalse,
       [](const String& f) {
         TMat4D m(nullptr);
         m.Resize(2, 1, 1, 2);
         m.Fill(1.25);
         return Ok(m.SaveAsXMLFile(f, u"id"));
       }},
      {"TMat4D::SaveBinary", rpInOutError,
       [](const String& f) {
         TMat4D m(nullptr);
         m.Resize(10, 10, 1, 6);
         m.Fill(2.5);
         m.SaveBinary(f, 0, 0);
         return String();
       }},
      {"TKohonen::SaveAsXMLFile", rpFalse,
       [](const String& f) {
         TMatrix data(nullptr);
         Number(data, 2, 4);
         TKohonen k(nullptr);
         k.SetDataMat(&data);  // zero weights: the same file every time
         return Ok(k.SaveAsXMLFile(f, u"id"));
       }},
      {"TDataTable::ExportAsASC", rpText,
       [](const String& f) {
         TDataTable t(nullptr);
         t.Resize(2, 3);
         t.SetElem(2, 3, 9.5);
         return t.ExportAsASC(f, 3);
       }},
      {"TDataTable::ExportAsCSV", rpText,
       [](const String& f) {
         TDataTable t(nullptr);
         t.Resize(2, 3);
         t.SetElem(1, 2, -4);
         return t.ExportAsCSV(f, 3, csvComma, true, true, true, true);
       }},
      {"TCurveFit::ExportAsASC", rpInOutError,
       [](const String& f) {
         TCurveFit fit(nullptr);
         for (int i = 1; i <= 5; ++i) fit.EnterStatValue(i, i * i);
         fit.ExportAsASC(f, u"", 3);
         return String();
       }},
  };
  return writers;
}

void ExpectReported(const Writer& w, const String& file, const SaveFault& fault) {
  switch (w.Report) {
    case rpFalse: EXPECT_EQ(StringToUtf8(w.Save(file)), "false"); break;
    case rpText: EXPECT_EQ(StringToUtf8(w.Save(file)), StringToUtf8(SaveFailureText(file, fault.Errno))); break;
    case rpInOutError: EXPECT_IO_ERROR(w.Save(file), InOutErrorCode(fault.Errno, true)); break;
  }
}

bool Killed(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }

}  // namespace

TEST(NumericsWriters, AFailedSaveKeepsTheOldFileAndIsReported) {
  // Regression: every writer truncated the target before writing, so a full disk left a fragment
  // where the user's file had been (and the table's exports said only "Stream write error").
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    ExpectFailedSavesKeepTheOldFile(dir, "target", "the old contents",
                                    [&](const SaveFault& fault) { ExpectReported(w, dir / "target", fault); });
  }
}

TEST(NumericsWriters, ASaveReplacesTheFileBehindALinkWithItsPermissionBits) {
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    dir.Put("target", "the old contents");
    ::chmod(dir.NativeOf("target").c_str(), 0640);
    ASSERT_EQ(::symlink("target", dir.NativeOf("link").c_str()), 0);
    EXPECT_EQ(StringToUtf8(w.Save(dir / "link")), "");
    struct stat st{};
    ASSERT_EQ(::lstat(dir.NativeOf("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir.NativeOf("target").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(dir.Get("target"), "the old contents");
    EXPECT_TRUE(Temporaries(dir).empty());
  }
}

TEST(NumericsWriters, AKillDuringASaveLeavesTheOldOrTheNewFileNeverAFragment) {
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    bool New;  // whether the new file is in place afterwards
  };
  const Case cases[] = {
      {"at the first write", OsCall::Write, 1, false},
      {"at the flush", OsCall::Fsync, 1, false},
      {"at the rename", OsCall::Rename, 1, false},
      {"after the rename", OsCall::Fsync, 2, true},
  };
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    for (const Case& c : cases) {
      SCOPED_TRACE(c.Name);
      dir.Put("target", "the old contents");
      ASSERT_TRUE(Killed(InChild([&] {
        FaultyOs os;
        os.KillAt(c.Call, c.Nth);
        w.Save(dir / "target");
      })));
      const std::string left = dir.Get("target");
      if (c.New) {
        w.Save(dir / "target");  // what the save writes when nothing stops it
        EXPECT_EQ(left, dir.Get("target"));
      } else {
        EXPECT_EQ(left, "the old contents");
      }
    }
  }
}

TEST(NumericsWriters, AKillInTheMiddleOfALargeMatrixTextLeavesTheOldFile) {
  // Regression: a 31-byte matrix file became a 1.4 MB fragment that did not load after a kill during
  // StoreOnFile.
  TempDir dir;
  TMatrix old(nullptr);
  Number(old, 2, 2);
  ASSERT_TRUE(old.StoreOnFile(0, 0, 0, 0, dir / "m.txt"));
  const std::string before = dir.Get("m.txt");
  ASSERT_TRUE(Killed(InChild([&] {
    TMatrix big(nullptr);
    Number(big, 300, 300);
    FaultyOs os;
    os.KillAt(OsCall::Write, 100);
    big.StoreOnFile(0, 0, 0, 0, dir / "m.txt");
  })));
  EXPECT_EQ(dir.Get("m.txt"), before);
  TMatrix back(nullptr);
  EXPECT_TRUE(back.LoadFromFile(dir / "m.txt", true));
  EXPECT_EQ(back.CRCofData(), old.CRCofData());
}

TEST(NumericsWriters, AFailedAppendKeepsTheFileByteForByteAndAKilledOneReadsAsBefore) {
  // Regression: a failed append left the values written so far beyond the old end and replaced the
  // unused end of the partly filled last record.
  TempDir dir;
  TMat4D m(nullptr);
  m.Resize(10, 10, 1, 6);
  m.Fill(3.0);
  m.SaveBinary(dir / "a.m4d", 0, 0);  // 600 values: the last record holds 88 of 512
  std::string old = dir.Get("a.m4d");
  ASSERT_EQ(old.size(), 3u * 4096);
  std::fill(old.end() - 8, old.end(), '\x5a');  // bytes of no meaning, which an append must keep too
  struct Case {
    int Nth;  // 6 slots (600 values) from record 2, value 88 on: the rest of record 2, record 3, the header
    int Errno;
  };
  for (const Case c : {Case{1, ENOSPC}, Case{2, EIO}, Case{3, ENOSPC}, Case{3, EIO}}) {
    SCOPED_TRACE(c.Nth);
    dir.Put("a.m4d", old);
    {
      FaultyOs os;
      os.FailNth(OsCall::Write, c.Nth, c.Errno);
      EXPECT_IO_ERROR(m.AppendToBinaryFile(dir / "a.m4d", 0, 0), InOutErrorCode(c.Errno, true));
      EXPECT_GE(os.Calls(OsCall::Write), c.Nth);
    }
    EXPECT_TRUE(dir.Get("a.m4d") == old);
  }
  // Killed before its last write (the grown count), an append leaves a file that reads as before.
  dir.Put("a.m4d", old);
  ASSERT_TRUE(Killed(InChild([&] {
    FaultyOs os;
    os.KillAt(OsCall::Write, 3);
    m.AppendToBinaryFile(dir / "a.m4d", 0, 0);
  })));
  TMat4D before(nullptr);
  before.LoadBinary(dir / "a.m4d", 0, 0);
  EXPECT_EQ(before.NrOfTimeSlots(), 6);
  EXPECT_EQ(before.GetVal(10, 10, 1, 6), 3.0);
  dir.Put("a.m4d", old);
  m.AppendToBinaryFile(dir / "a.m4d", 0, 0);
  TMat4D back(nullptr);
  back.LoadBinary(dir / "a.m4d", 0, 0);
  EXPECT_EQ(back.NrOfTimeSlots(), 12);
  EXPECT_EQ(back.GetVal(10, 10, 1, 12), 3.0);
  EXPECT_EQ(dir.Get("a.m4d").size(), 4u * 4096);
}
