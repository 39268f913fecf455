#include "RecordFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "Assertions.h"
#include "FileTestKit.h"
#include "TextFiles.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::TempDir;

namespace {

// A record of four bytes holding the text of n.
struct TRec4 {
  char b[4];
};
TRec4 Rec(char c) { return TRec4{{c, c, c, c}}; }

}  // namespace

TEST(TRecordFile, WritesSeeksAndReadsWholeRecords) {
  TempDir dir;
  TRecordFile f(4);
  AssignFile(f, dir / "r.bin");
  Rewrite(f);
  for (char c : std::string("abc")) {
    const TRec4 r = Rec(c);
    Write(f, &r);
  }
  EXPECT_EQ(FilePos(f), 3);
  EXPECT_EQ(FileSize(f), 3);
  Seek(f, 1);
  const TRec4 x = Rec('x');
  Write(f, &x);  // overwrites record 1 in place
  Seek(f, 0);
  TRec4 three[3];
  BlockRead(f, three, 3);
  EXPECT_EQ(std::string(three[0].b, 12), "aaaaxxxxcccc");
  EXPECT_TRUE(Eof(f));
  CloseFile(f);
  EXPECT_EQ(dir.Get("r.bin"), "aaaaxxxxcccc");
}

TEST(TRecordFile, SizeCountsWholeRecordsAndAPartialRecordCannotBeRead) {
  TempDir dir;
  dir.Put("p.bin", "aaaabbbbcc");
  TRecordFile f(4);
  AssignFile(f, dir / "p.bin");
  Reset(f, 0);
  EXPECT_EQ(FileSize(f), 2);
  TRec4 r{};
  Seek(f, 2);  // the append place
  EXPECT_IO_ERROR(Read(f, &r), 100);
  Seek(f, 1);
  TRec4 two[2];
  EXPECT_IO_ERROR(BlockRead(f, two, 2), 100);
  EXPECT_EQ(FilePos(f), 2) << "the whole record that was read counts";
  EXPECT_EQ(std::string(two[0].b, 4), "bbbb");
  EXPECT_IO_ERROR(Seek(f, 3), 100);
  EXPECT_IO_ERROR(Seek(f, -1), 100);
  CloseFile(f);
}

TEST(TRecordFile, TruncateCutsAtThePositionAndDropsAPartialRecord) {
  TempDir dir;
  dir.Put("t.bin", "aaaabbbbccccdd");
  TRecordFile f(4);
  AssignFile(f, dir / "t.bin");
  EXPECT_IO_ERROR(Truncate(f), 103);
  Reset(f, 2);
  Seek(f, 3);
  Truncate(f);  // only the partial record goes
  EXPECT_EQ(FileSize(f), 3);
  Seek(f, 1);
  Truncate(f);
  EXPECT_EQ(FileSize(f), 1);
  EXPECT_EQ(FilePos(f), 1);
  const TRec4 z = Rec('z');
  Write(f, &z);  // appends where the cut was
  CloseFile(f);
  EXPECT_EQ(dir.Get("t.bin"), "aaaazzzz");
  Reset(f, 0);
  EXPECT_IO_ERROR(Truncate(f), 101);  // opened read only
  CloseFile(f);
  EXPECT_EQ(dir.Get("t.bin"), "aaaazzzz");
}

TEST(TRecordFile, FailuresRaiseTheRuntimeCodes) {
  TempDir dir;
  TRecordFile f(4);
  TRec4 r = Rec('a');
  EXPECT_IO_ERROR(Reset(f), 102);
  AssignFile(f, dir / "missing.bin");
  EXPECT_IO_ERROR(Reset(f), 2);
  EXPECT_IO_ERROR(Read(f, &r), 103);
  EXPECT_IO_ERROR(CloseFile(f), 103);
  AssignFile(f, dir / "no/such/dir.bin");
  EXPECT_IO_ERROR(Rewrite(f), 2);
  AssignFile(f, dir / "");
  EXPECT_IO_ERROR(Reset(f, 0), 5);  // a directory
  {
    FaultyOs os;
    os.WriteBudget = 6;  // one record and a half fit
    AssignFile(f, dir / "full.bin");
    Rewrite(f);
    Write(f, &r);
    EXPECT_IO_ERROR(Write(f, &r), 101);
    EXPECT_EQ(FilePos(f), 1);
  }
  CloseFile(f);
}

TEST(TRecordFile, ShortOsReadsAreRetriedAndResetFollowsFileMode) {
  TempDir dir;
  dir.Put("s.bin", "aaaabbbb");
  FaultyOs os;
  os.ReadChunk = 3;
  TRecordFile f(4);
  AssignFile(f, dir / "s.bin");
  const int saved = FileMode;
  FileMode = 0;
  Reset(f);
  FileMode = saved;
  TRec4 two[2];
  BlockRead(f, two, 2);
  EXPECT_EQ(std::string(two[0].b, 8), "aaaabbbb");
  Seek(f, 0);
  EXPECT_IO_ERROR(Write(f, &two[0]), 101);  // opened read only
  CloseFile(f);
}
