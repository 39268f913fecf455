// Every whole-file writer of the controls keeps the old file when its save fails and reports the
// failure as it always has; a save killed at any moment leaves the old file or the new one, never a
// fragment; a sparse table comes back from its file as it was saved.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_replist.h"

using namespace qelta;
using namespace qelta::test;

namespace {

struct Writer {
  const char* Name;
  std::function<void(const String&)> Save;  // raises the runtime's EInOutError on failure
};

std::unique_ptr<TRLData> Table(int rows) {
  auto d = std::make_unique<TRLData>(nullptr);
  d->SetNrCols(3);
  d->SetNrRows(rows);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= 3; ++c) d->SetElem(c, r, "cell " + std::to_string(c) + "/" + std::to_string(r));
  return d;
}

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"TRLData::SaveAsXMLFile", [](const String& f) { Table(500)->SaveAsXMLFile(f, u"id"); }},
      {"TRLData::ExportHTMLTable",
       [](const String& f) {
         Table(500)->ExportHTMLTable(f, 1, 1, 3, 500, {}, 1, 2, 3, true, u"Title", u"", u"Caption");
       }},
  };
  return writers;
}

}  // namespace

TEST(ControlWriters, AFailedSaveKeepsTheOldFileAndIsReported) {
  // Regression: the writers truncated the target before writing, so a full disk left a fragment in
  // place of the user's file.
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    ExpectFailedSavesKeepTheOldFile(dir, "target", "the old contents", [&](const SaveFault& fault) {
      EXPECT_IO_ERROR(w.Save(dir / "target"), InOutErrorCode(fault.Errno, true));
    });
    dir.Put("target", "the old contents");
    {
      FaultyOs os;
      os.WriteBudget = 5000;  // the disk fills up in the middle of the save
      EXPECT_IO_ERROR(w.Save(dir / "target"), 101);
    }
    EXPECT_EQ(dir.Get("target"), "the old contents");
    EXPECT_TRUE(Temporaries(dir).empty());
  }
}

TEST(ControlWriters, AKilledSaveLeavesTheOldOrTheNewFile) {
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    bool New;  // whether the new file is in place afterwards
  };
  const Case cases[] = {{"at the first write", OsCall::Write, 1, false},
                        {"in the middle of the writes", OsCall::Write, 3, false},
                        {"at the flush", OsCall::Fsync, 1, false},
                        {"at the rename", OsCall::Rename, 1, false},
                        {"after the rename", OsCall::Fsync, 2, true}};
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    w.Save(dir / "target");
    const std::string saved = dir.Get("target");
    for (const Case& c : cases) {
      SCOPED_TRACE(c.Name);
      dir.Put("target", "the old contents");
      const int status = InChild([&] {
        FaultyOs os;
        os.KillAt(c.Call, c.Nth);
        w.Save(dir / "target");
      });
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
      EXPECT_EQ(dir.Get("target"), c.New ? saved : "the old contents");
    }
  }
}

TEST(ControlWriters, ASparseReportListComesBackAsSaved) {
  // Regression: the writer leaves empty cells out, and the reader refuses a block declaring more storage
  // than its text can fill, so a large sparse table saved fine and then failed to load (-2).
  struct Case {
    int Cols, Rows;
  };
  for (const Case& c : {Case{3, 10}, Case{50, 20000}, Case{400, 3000}, Case{2000, 1}}) {
    SCOPED_TRACE(std::to_string(c.Cols) + " x " + std::to_string(c.Rows));
    TempDir dir;
    TRLData d(nullptr);
    d.SetNrCols(c.Cols);
    d.SetNrRows(c.Rows);
    d.SetElem(1, 1, "only");  // every other cell, up to the last of the last row, empty
    d.SaveAsXMLFile(dir / "t.xml", u"");
    TRLData back(nullptr);
    EXPECT_GE(back.LoadFromXMLFile(dir / "t.xml", u""), 1);  // the cells read, empty ones written too
    EXPECT_EQ(back.NrOfColumns(), c.Cols);
    EXPECT_EQ(back.NrOfRows(), c.Rows);
    EXPECT_EQ(back.GetElem(1, 1), "only");
    EXPECT_EQ(back.GetElem(c.Cols, c.Rows), "");
  }
}
