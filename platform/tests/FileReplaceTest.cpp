// Saves that never destroy the file there: the replacement itself, its stream, text-file and record-file
// forms, groups of files, links, permission bits, and processes killed in the middle of a save.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "Assertions.h"
#include "FileReplace.h"
#include "FileTestKit.h"
#include "RecordFiles.h"
#include "Streams.h"
#include "StringLists.h"
#include "TextFiles.h"

using namespace qelta;
using namespace qelta::test;

namespace {

int ModeOf(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

bool IsLink(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

void SaveText(const String& name, const std::string& text) {
  TReplacingFileStream f(name);
  f.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  f.Commit();
}

}  // namespace

// [SECTION] the replacement

TEST(TFileReplacement, CommitReplacesTheFileAndKeepsItsPermissionBits) {
  // Each way of making the temporary: unnamed where the file system has it, named, unnamed then copied.
  for (const auto& [tmpFileErrno, linkErrno] : {std::pair{0, 0}, std::pair{EOPNOTSUPP, 0}, std::pair{0, ENOENT}}) {
    SCOPED_TRACE(tmpFileErrno + linkErrno);
    TempDir dir;
    FaultyOs os;
    os.TmpFileErrno = tmpFileErrno;
    os.LinkHandleErrno = linkErrno;
    dir.Put("a.txt", "old contents");
    ::chmod(dir.NativeOf("a.txt").c_str(), 0640);
    SaveText(dir / "a.txt", "new");
    EXPECT_EQ(dir.Get("a.txt"), "new");
    EXPECT_EQ(ModeOf(dir.NativeOf("a.txt")), 0640);
    SaveText(dir / "fresh.txt", "x");
    EXPECT_EQ(dir.Get("fresh.txt"), "x");
    EXPECT_EQ(ModeOf(dir.NativeOf("fresh.txt")), static_cast<int>(0666 & ~CurrentUmask()));
    EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
  }
}

TEST(TFileReplacement, ALinkIsFollowedToItsFileAndStaysALink) {
  TempDir dir;
  ::mkdir(dir.NativeOf("real").c_str(), 0755);
  dir.Put("real/data.txt", "old");
  ::chmod(dir.NativeOf("real/data.txt").c_str(), 0600);
  ASSERT_EQ(::symlink("real/data.txt", dir.NativeOf("rel").c_str()), 0);           // relative
  ASSERT_EQ(::symlink(dir.NativeOf("rel").c_str(), dir.NativeOf("chain").c_str()), 0);  // a link to a link
  SaveText(dir / "chain", "new");
  EXPECT_TRUE(IsLink(dir.NativeOf("chain")));
  EXPECT_TRUE(IsLink(dir.NativeOf("rel")));
  EXPECT_EQ(dir.Get("real/data.txt"), "new");
  EXPECT_EQ(ModeOf(dir.NativeOf("real/data.txt")), 0600);
  EXPECT_TRUE(Temporaries(dir).empty());  // the temporary lay beside the file, in real/
  // A dangling link gets the file it names.
  ASSERT_EQ(::symlink("real/later.txt", dir.NativeOf("dangling").c_str()), 0);
  SaveText(dir / "dangling", "made");
  EXPECT_TRUE(IsLink(dir.NativeOf("dangling")));
  EXPECT_EQ(dir.Get("real/later.txt"), "made");
  ASSERT_EQ(::symlink("loop", dir.NativeOf("loop").c_str()), 0);
  EXPECT_THROW_MSG(SaveText(dir / "loop", "x"), EFCreateError,
                   "Cannot create file \"" + dir.NativeOf("loop") + "\". Too many levels of symbolic links");
}

TEST(TFileReplacement, EveryFailedStepKeepsTheOldFileAndNamesTheReason) {
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    int Errno;
  };
  // Opens: 1 the check that the old file may be written, 2 the temporary. Closes: 1 that check, 2 the temporary.
  const Case cases[] = {
      {"temporary not created", OsCall::Open, 2, ENOSPC}, {"write", OsCall::Write, 1, ENOSPC},
      {"later write", OsCall::Write, 3, EIO},            {"flush", OsCall::Fsync, 1, EIO},
      {"permission bits", OsCall::FChMod, 1, EPERM},      {"close", OsCall::Close, 2, EIO},
      {"rename", OsCall::Rename, 1, EXDEV},
  };
  TempDir dir;
  const std::string block(1000, 'n');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    dir.Put("f", "old");
    FaultyOs os;
    os.FailNth(c.Call, c.Nth, c.Errno);
    try {
      TReplacingFileStream f(dir / "f");
      for (int i = 0; i < 5; ++i) f.Write(block.data(), 1000);  // a short write is not looked at here
      f.Commit();
      ADD_FAILURE() << "no failure reported";
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(OsErrorMessage(c.Errno)), String::npos) << StringToUtf8(e.Message());
      EXPECT_NE(e.Message().find(u"\"" + (dir / "f") + u"\""), String::npos);
    }
    EXPECT_EQ(dir.Get("f"), "old");
    EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
  }
}

TEST(TFileReplacement, AFailedFlushOfTheFolderIsReportedWithTheNewFileInPlace) {
  TempDir dir;
  dir.Put("f", "old");
  FaultyOs os;
  os.FailNth(OsCall::Fsync, 2, EIO);  // 1 the file, 2 its folder after the rename
  EXPECT_THROW_MSG(SaveText(dir / "f", "new"), EWriteError,
                   "Cannot write file \"" + dir.NativeOf("f") + "\". Input/output error");
  EXPECT_EQ(dir.Get("f"), "new");
}

TEST(TFileReplacement, ClosingWithoutCommitOrAfterAFailedWriteKeepsTheOldFile) {
  TempDir dir;
  dir.Put("f", "old");
  {
    TReplacingFileStream f(dir / "f");
    f.WriteBuffer("new", 3);
  }  // no Commit
  EXPECT_EQ(dir.Get("f"), "old");
  {
    FaultyOs os;
    TReplacingFileStream f(dir / "f");
    os.WriteBudget = 2;
    EXPECT_EQ(f.Write("new", 3), 2);  // the writer overlooks the short write
    os.WriteBudget = -1;
    f.Write("!", 1);
    // Regression guard: the sticky error stops the commit of a file with a hole in it.
    EXPECT_THROW_MSG(f.Commit(), EWriteError, "Cannot write file \"" + dir.NativeOf("f") + "\". No space left on device");
  }
  EXPECT_EQ(dir.Get("f"), "old");
  {
    TReplacingFileStream f(dir / "f");
    f.WriteBuffer("new", 3);
    f.Discard();
  }
  EXPECT_EQ(dir.Get("f"), "old");
  EXPECT_TRUE(Temporaries(dir).empty());
}

TEST(TFileReplacement, RefusesWhatAnInPlaceWriteWouldRefuse) {
  TempDir dir;
  EXPECT_THROW_MSG(SaveText(dir / "no/such/dir.txt", "x"), EFCreateError,
                   "Cannot create file \"" + dir.NativeOf("no/such/dir.txt") + "\". No such file or directory");
  EXPECT_THROW_MSG(SaveText(Utf8ToString(dir.Native()), "x"), EFCreateError,
                   "Cannot create file \"" + dir.Native() + "\". Is a directory");
  EXPECT_THROW(SaveText(String(), "x"), EFCreateError);
  // A read-only file stays read-only: refused exactly when an in-place write would be (root may write it).
  dir.Put("ro", "keep");
  ::chmod(dir.NativeOf("ro").c_str(), 0444);
  const int probe = ::open(dir.NativeOf("ro").c_str(), O_WRONLY);
  if (probe >= 0) ::close(probe);
  bool refused = false;
  try {
    SaveText(dir / "ro", "new");
  } catch (const EFCreateError&) {
    refused = true;
  }
  EXPECT_EQ(refused, probe < 0);
  EXPECT_EQ(dir.Get("ro"), probe < 0 ? "keep" : "new");
  EXPECT_TRUE(Temporaries(dir).empty());
}

TEST(TFileReplacement, APipeIsWrittenInPlace) {
  // Replacing a pipe (or a device such as /dev/null) by a regular file would break whoever reads it.
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.NativeOf("pipe").c_str(), 0600), 0);
  const int reader = ::open(dir.NativeOf("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  SaveText(dir / "pipe", "through");
  char buffer[16] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 7);
  ::close(reader);
  struct stat st{};
  ASSERT_EQ(::lstat(dir.NativeOf("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(TFileReplacement, ALongNameGetsATemporaryThatFits) {
  TempDir dir;
  const std::string name(250, 'n');  // ".<name>.<host>.<pid>.<random>.tmp" would pass the 255-byte limit
  dir.Put(name, "old");
  FaultyOs os;
  os.Host = std::string(300, 'h');
  SaveText(dir / name, "new");
  EXPECT_EQ(dir.Get(name), "new");
  EXPECT_TRUE(Temporaries(dir).empty());
  // Mended: the temporary a killed save of such a file left was never found again by a later save.
  InChild([&] {
    FaultyOs child;
    child.Host = os.Host;
    child.KillAt(OsCall::Rename, 1);
    SaveText(dir / name, "lost");
  });
  ASSERT_EQ(Temporaries(dir).size(), 1u);
  EXPECT_LE(Temporaries(dir)[0].size(), 255u);
  SaveText(dir / name, "next");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{name});
}

TEST(TFileReplacement, ASaveRemovesWhatKilledSavesOfThisHostLeftAndNothingElse) {
  // Mended: the temporaries of killed saves stayed for ever. Now the next save of the file removes those
  // of ended processes of this host; a save under way (a live process) or another host's (a shared
  // folder) keeps its own, and whose an earlier version's ".f.<random>.tmp" was cannot be told.
  TempDir dir;
  const std::string gone = std::to_string(EndedProcessId()), self = std::to_string(::getpid());
  const std::string tail = ".0123456789ab.tmp";
  const struct {
    std::string Name;
    bool Removed;
  } cases[] = {
      {".f.lab-1-example." + gone + tail, true},     {".f.lab-1-example." + self + tail, false},
      {".f.lab-1-example.1" + tail, false},            {".f.lab-2." + gone + tail, false},
      {".f" + tail, false},                            {".g.lab-1-example." + gone + tail, false},
      {".f.x.lab-1-example." + gone + tail, false},    {".f.lab-1-example." + gone + ".tmp", false},
  };
  FaultyOs os;
  os.Host = "lab 1.example";  // named with what a file name may hold
  const int status = InChild([&] {
    FaultyOs child;
    child.Host = os.Host;
    child.KillAt(OsCall::Rename, 1);  // the temporary has its name by now
    SaveText(dir / "f", "lost");
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(Temporaries(dir).size(), 1u);
  EXPECT_EQ(Temporaries(dir)[0].rfind(".f.lab-1-example.", 0), 0u) << Temporaries(dir)[0];
  for (const auto& c : cases) dir.Put(c.Name, "left");
  SaveText(dir / "f", "new");
  std::vector<std::string> kept = {"f"};
  for (const auto& c : cases)
    if (!c.Removed) kept.push_back(c.Name);
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(Entries(dir), kept);
}

// [SECTION] text and record files

TEST(RewriteReplacing, TextFilesCommitOnCloseAndKeepTheOldFileOtherwise) {
  TempDir dir;
  dir.Put("t.txt", "old\r\n");
  TextFile f;
  AssignFile(f, dir / "t.txt");
  RewriteReplacing(f);
  WriteLn(f, u"new");
  EXPECT_EQ(dir.Get("t.txt"), "old\r\n");  // nothing in place before the close
  CloseFile(f);
  EXPECT_EQ(dir.Get("t.txt"), "new\r\n");
  {
    TextFile g;
    AssignFile(g, dir / "t.txt");
    RewriteReplacing(g);
    WriteLn(g, u"lost");
  }  // destroyed without CloseFile
  EXPECT_EQ(dir.Get("t.txt"), "new\r\n");
  {
    FaultyOs os;
    os.FailNth(OsCall::Write, 1, ENOSPC);
    RewriteReplacing(f);
    for (int i = 0; i < 1000; ++i) {
      try {
        WriteLn(f, u"0123456789");
      } catch (const EInOutError&) {  // a writer that goes on after the failure
      }
    }
    EXPECT_IO_ERROR(CloseFile(f), 101);  // the earlier failure is not forgotten
  }
  EXPECT_EQ(dir.Get("t.txt"), "new\r\n");
  AssignFile(f, u"");
  EXPECT_IO_ERROR(RewriteReplacing(f), 102);
  AssignFile(f, dir / "missing/t.txt");
  EXPECT_IO_ERROR(RewriteReplacing(f), 2);
  EXPECT_TRUE(Temporaries(dir).empty());
}

TEST(RewriteReplacing, RecordFilesReadBackWhatTheyWroteAndCommitOnClose) {
  TempDir dir;
  dir.Put("r.bin", "oldoldold");
  TRecordFile f(3);
  AssignFile(f, dir / "r.bin");
  RewriteReplacing(f);
  Write(f, "abc");
  Write(f, "def");
  Seek(f, 0);
  char record[3] = {};
  Read(f, record);
  EXPECT_EQ(std::string(record, 3), "abc");
  EXPECT_EQ(FileSize(f), 2);
  CloseFile(f);
  EXPECT_EQ(dir.Get("r.bin"), "abcdef");
  {
    FaultyOs os;
    os.FailNth(OsCall::Rename, 1, EIO);
    RewriteReplacing(f);
    Write(f, "xyz");
    EXPECT_IO_ERROR(CloseFile(f), 101);
  }
  EXPECT_EQ(dir.Get("r.bin"), "abcdef");
  {
    TRecordFile g(3);
    AssignFile(g, dir / "r.bin");
    RewriteReplacing(g);
    Write(g, "lost!!");
  }
  EXPECT_EQ(dir.Get("r.bin"), "abcdef");
  EXPECT_TRUE(Temporaries(dir).empty());
}

TEST(Append, AFailedAppendCutsTheFileBackToItsOldLength) {
  TempDir dir;
  dir.Put("log.txt", "first\r\n");
  TextFile f;
  AssignFile(f, dir / "log.txt");
  {
    FaultyOs os;
    Append(f);
    os.WriteBudget = 5000;  // part of what follows reaches the disk before it is full
    for (int i = 0; i < 1000; ++i) {
      try {
        Write(f, u"0123456789");
      } catch (const EInOutError&) {  // a writer that goes on after the failure
      }
    }
    EXPECT_IO_ERROR(CloseFile(f), 101);
  }
  EXPECT_EQ(dir.Get("log.txt"), "first\r\n");
  {
    FaultyOs os;
    TextFile g;  // destroyed before the layer goes
    AssignFile(g, dir / "log.txt");
    Append(g);
    os.FailNth(OsCall::Write, 2, EIO);
    for (int i = 0; i < 500; ++i) Write(g, u"0123456789");  // one full buffer of 4 KiB reaches the disk
  }  // the failure comes at destruction
  EXPECT_EQ(dir.Get("log.txt"), "first\r\n");
  Append(f);
  WriteLn(f, u"second");
  CloseFile(f);
  EXPECT_EQ(dir.Get("log.txt"), "first\r\nsecond\r\n");
}

// [SECTION] groups

namespace {

// Saves two files as a group under the fault (none for call Count), on a file system without hard
// links when asked; answers the group's result.
int SaveTwo(const TempDir& dir, OsCall call, int nth, int err, bool noLinks = false) {
  FaultyOs os;
  if (call != OsCall::Count) os.FailNth(call, nth, err);
  if (noLinks) os.FailNth(OsCall::Link, 1, EPERM);
  TSaveGroup group;
  TReplacingFileStream a(dir / "a", &group), b(dir / "b", &group);
  a.WriteBuffer("A-new", 5);
  b.WriteBuffer("B-new", 5);
  a.Commit();
  b.Commit();
  return group.Commit();
}

}  // namespace

TEST(TSaveGroup, PublishesAllFilesOrNone) {
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    bool OldA;     // whether a exists before
    bool NoLinks;  // the old a is then renamed aside instead of getting a second name
  };
  // Renames: 1 a's temporary, 2 b's; without hard links: 1 a set aside, 2 a's temporary, 3 b's.
  const Case cases[] = {
      {"second rename", OsCall::Rename, 2, true, false},        {"first rename", OsCall::Rename, 1, true, false},
      {"second flush", OsCall::Fsync, 2, true, false},          {"second rename, a new", OsCall::Rename, 2, false, false},
      {"no hard links, second rename", OsCall::Rename, 3, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    if (c.OldA) dir.Put("a", "A-old");
    dir.Put("b", "B-old");
    EXPECT_EQ(SaveTwo(dir, c.Call, c.Nth, EIO, c.NoLinks), EIO);
    EXPECT_EQ(dir.Get("a"), c.OldA ? "A-old" : "");
    EXPECT_EQ(::access(dir.NativeOf("a").c_str(), F_OK) == 0, c.OldA);
    EXPECT_EQ(dir.Get("b"), "B-old");
    EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
  }
  TempDir dir;
  dir.Put("a", "A-old");
  EXPECT_EQ(SaveTwo(dir, OsCall::Count, 0, 0), 0);
  EXPECT_EQ(dir.Get("a"), "A-new");
  EXPECT_EQ(dir.Get("b"), "B-new");
  EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
}

TEST(TSaveGroup, AFileThatFailedBeforeFailsTheGroupAndNamesIt) {
  TempDir dir;
  dir.Put("a", "A-old");
  dir.Put("b", "B-old");
  TSaveGroup group;
  TextFile a, b;
  AssignFile(a, dir / "a");
  AssignFile(b, dir / "b");
  RewriteReplacing(a, &group);
  RewriteReplacing(b, &group);
  WriteLn(a, u"A-new");
  WriteLn(b, u"B-new");
  CloseFile(a);
  {
    FaultyOs os;
    os.FailNth(OsCall::Write, 1, ENOSPC);
    EXPECT_IO_ERROR(CloseFile(b), 101);
  }
  EXPECT_EQ(group.Commit(), ENOSPC);  // a host that goes on regardless still publishes nothing
  EXPECT_EQ(group.FailedFile(), dir / "b");
  EXPECT_EQ(dir.Get("a"), "A-old");
  EXPECT_EQ(dir.Get("b"), "B-old");
  EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
}

// [SECTION] a process killed in the middle of a save

namespace {

constexpr int kLines = 200000;  // a text of 3.6 MB, written in blocks of 4 KiB

std::string BigText(char mark, int lines = kLines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += std::string(15, mark) + "\r\n";
  return text;
}

void SaveBig(const String& name, char mark, const std::function<void(int)>& afterLine = nullptr, int lines = kLines) {
  TextFile f;
  AssignFile(f, name);
  RewriteReplacing(f);
  const String line(15, static_cast<Char>(mark));
  for (int i = 0; i < lines; ++i) {
    WriteLn(f, line);
    if (afterLine) afterLine(i);
  }
  CloseFile(f);
}

}  // namespace

TEST(KilledSave, LeavesTheOldOrTheNewFileNeverAFragment) {
  struct Case {
    const char* Name;
    OsCall Call;
    int Nth;
    bool New;  // whether the new file is in place afterwards
  };
  const Case cases[] = {
      {"first write", OsCall::Write, 1, false}, {"in the middle of the writes", OsCall::Write, 400, false},
      {"at the flush", OsCall::Fsync, 1, false}, {"at the rename", OsCall::Rename, 1, false},
      {"after the rename", OsCall::Fsync, 2, true},
  };
  TempDir dir;
  const std::string old = BigText('o');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    dir.Put("big.txt", old);
    const int status = InChild([&] {
      FaultyOs os;
      os.KillAt(c.Call, c.Nth);
      SaveBig(dir / "big.txt", 'n');
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(dir.Get("big.txt") == (c.New ? BigText('n') : old));
  }
}

TEST(KilledSave, AKillFromOutsideInTheMiddleOfALargeSaveLeavesTheOldFile) {
  TempDir dir;
  const std::string old = BigText('o');
  dir.Put("big.txt", old);
  int ready[2] = {-1, -1};
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    SaveBig(dir / "big.txt", 'n', [&](int line) {
      if (line == kLines / 4 && ::write(ready[1], "!", 1) != 1) ::_exit(3);
      if (line > kLines / 4) ::usleep(1);  // the rest of the save is still under way when the kill comes
    });
    ::_exit(0);
  }
  ::close(ready[1]);
  char signal = 0;
  ASSERT_EQ(::read(ready[0], &signal, 1), 1);
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(ready[0]);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_TRUE(dir.Get("big.txt") == old);
  EXPECT_LE(Temporaries(dir).size(), 1u);  // none where the file system has unnamed files
  // The next save is not disturbed by it, and removes it.
  SaveText(dir / "big.txt", "next");
  EXPECT_EQ(dir.Get("big.txt"), "next");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"big.txt"});
}

TEST(KilledSave, TwentyKillsAndALaterSaveLeaveOnlyTheFile) {
  // Mended: a save killed after its temporary was made left it behind, up to the whole file's size, and
  // nothing ever removed it; after many kills a folder held dozens of them.
  const struct {
    const char* Name;
    int TmpFileErrno;
    int LinkErrno;
    int Kills;
  } modes[] = {
      {"unnamed temporary where the file system has one", 0, 0, 20},
      {"no unnamed files on this file system", EOPNOTSUPP, 0, 20},
      {"a kernel without unnamed files", EISDIR, 0, 5},
      {"no /proc to name the unnamed file", 0, ENOENT, 8},
  };
  constexpr int kSmall = 4000;  // 64 kB in 16 blocks
  const std::string old = BigText('o', kSmall), fresh = BigText('n', kSmall);
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode.Name);
    TempDir dir;
    const auto setup = [&](FaultyOs& os) {
      os.SkipFlush = true;
      os.TmpFileErrno = mode.TmpFileErrno;
      os.LinkHandleErrno = mode.LinkErrno;
    };
    std::vector<KillMoment> moments;
    {
      FaultyOs ran;
      setup(ran);
      SaveBig(dir / "f", 'o', nullptr, kSmall);
      moments = RandomKillMoments(ran, mode.Kills, 1234);
    }
    KillAtMoments(
        moments, setup, [&] { SaveBig(dir / "f", 'n', nullptr, kSmall); },
        [&] { EXPECT_TRUE(dir.Get("f") == old || dir.Get("f") == fresh); });
    FaultyOs os;
    setup(os);
    SaveBig(dir / "f", 'n', nullptr, kSmall);
    EXPECT_TRUE(dir.Get("f") == fresh);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"f"});
  }
}
