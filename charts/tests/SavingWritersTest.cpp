// Every whole-file writer of the charts keeps the old file when its save fails and reports the failure
// as it always has; a save killed at any moment leaves the old file or the new one, never a fragment.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_boxplot.h"
#include "RChartTesting.h"

using namespace qelta;
using namespace qelta::test;
using qelta::testing::TTestChart;

namespace {

enum TReport { rpInOutError, rpBoxPlot, rpWriteError };  // the runtime's code; 101 naming the file; EWriteError

struct Writer {
  const char* Name;
  TReport Report;
  std::function<void(const String&)> Save;
};

void FillChart(TCustomRChart& c, int items) {
  for (int i = 0; i < items; ++i) {
    c.MarkAt(i, -i, 3);
    c.Text(i, i, 10, u"item");
  }
}

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"TCustomRChart::SaveData", rpInOutError,
       [](const String& f) {
         TTestChart c;
         FillChart(c, 5000);  // 1 MB of records: several block writes
         c.SaveData(f);
       }},
      {"TCustomRChart::SaveDataASC", rpInOutError,
       [](const String& f) {
         TTestChart c;
         FillChart(c, 500);
         c.SaveDataASC(f);
       }},
      {"TBoxPlot::SaveDataASC", rpBoxPlot,
       [](const String& f) {
         TBoxPlot p(nullptr);
         p.Data->Resize(3, 2000);
         for (int c = 1; c <= 3; ++c)
           for (int r = 1; r <= 2000; ++r) p.Data->SetElem(c, r, r * 0.5 - c);
         p.AutoRange(5);
         p.SaveDataASC(f);
       }},
      {"TCustomRChart::CopyToBMP", rpWriteError,
       [](const String& f) {
         TTestChart c;
         c.SetBounds(0, 0, 120, 90);
         FillChart(c, 3);
         c.CopyToBMP(f, false);
       }},
  };
  return writers;
}

void ExpectReported(const Writer& w, const String& file, int errnoValue) {
  switch (w.Report) {
    case rpInOutError: EXPECT_IO_ERROR(w.Save(file), InOutErrorCode(errnoValue, true)); break;
    case rpWriteError:
      EXPECT_THROW_MSG(w.Save(file), EWriteError, StringToUtf8(SaveFailureText(file, errnoValue)));
      break;
    case rpBoxPlot:
      try {
        w.Save(file);
        ADD_FAILURE() << "no EInOutError";
      } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 101);
        EXPECT_EQ(e.Message(), SaveFailureText(file, errnoValue));
      }
      break;
  }
}

}  // namespace

TEST(ChartWriters, AFailedSaveKeepsTheOldFileAndIsReported) {
  // Regression: every writer truncated the target before writing, so a full disk left a fragment in
  // place of the user's file (and the box plot's dump the table without its block).
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    ExpectFailedSavesKeepTheOldFile(dir, "target", "the old contents",
                                    [&](const SaveFault& fault) { ExpectReported(w, dir / "target", fault.Errno); });
    // A disk that fills up in the middle of the save.
    dir.Put("target", "the old contents");
    {
      FaultyOs os;
      os.WriteBudget = 5000;
      ExpectReported(w, dir / "target", ENOSPC);
    }
    EXPECT_EQ(dir.Get("target"), "the old contents");
    EXPECT_TRUE(Temporaries(dir).empty());
  }
}

TEST(ChartWriters, AKilledSaveLeavesTheOldOrTheNewFile) {
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    bool New;  // whether the new file is in place afterwards
  };
  const Case cases[] = {{"at the first write", OsCall::Write, 1, false},
                        {"at the second write", OsCall::Write, 2, false},
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
      const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
      // A picture goes out in one write: its save has no second one to be killed at.
      if (!killed && c.Call == OsCall::Write && c.Nth > 1) continue;
      ASSERT_TRUE(killed);
      EXPECT_EQ(dir.Get("target"), c.New ? saved : "the old contents");
    }
  }
}

TEST(ChartWriters, AFailedItemSaveLeavesNoFragmentToLoad) {
  // Regression: a save that ran out of disk left the first records of the list, which LoadData then
  // took without a word (78 of 3000 items).
  TempDir dir;
  TTestChart c;
  FillChart(c, 3);
  c.SaveData(dir / "items.bin");
  TTestChart big;
  FillChart(big, 1500);
  {
    FaultyOs os;
    os.WriteBudget = 8192;
    EXPECT_IO_ERROR(big.SaveData(dir / "items.bin"), 101);
  }
  TTestChart loaded;
  loaded.LoadData(dir / "items.bin", false);
  EXPECT_EQ(loaded.NumItems(), 6);
}

TEST(ChartWriters, SaveDataStaysSilentWhenTheTemporaryCannotBeCreated) {
  TempDir dir;
  dir.Put("items.bin", "the old contents");
  TTestChart c;
  FillChart(c, 2);
  FaultyOs os;
  os.FailNth(OsCall::Open, 1, ENOSPC);
  c.SaveData(dir / "items.bin");
  EXPECT_EQ(dir.Get("items.bin"), "the old contents");
  EXPECT_TRUE(Temporaries(dir).empty());
}
