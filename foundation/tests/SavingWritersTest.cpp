// Every whole-file writer of the foundation keeps the old file when its save fails and reports the
// failure as it always has; the appending writer keeps what was there before a failed append.

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_dstruct.h"
#include "Qelta_filesys.h"
#include "Qelta_htmlsupport.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_stringl.h"

using namespace qelta;
using namespace qelta::test;

namespace {

enum TReport { rpFalse, rpInOutError, rpCopyCode };  // answers false, raises the runtime's code, answers -3

struct Writer {
  const char* Name;
  TReport Report;
  std::function<int(const TempDir&, const String&)> Save;  // answers the writer's result (1 for true)
};

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"TColorArray::StoreOnFile", rpFalse,
       [](const TempDir&, const String& f) { return int(TColorArray(nullptr).StoreOnFile(1, 20, f)); }},
      {"TStringArray::SaveAsXMLFile", rpFalse,
       [](const TempDir&, const String& f) {
         TStringArray a(nullptr);
         a.SetString(1, 1, "cell");
         return int(a.SaveAsXMLFile(f, u"id"));
       }},
      {"THtmlProducer::WriteConvertedHTMLToFile", rpInOutError,
       [](const TempDir&, const String& f) {
         THtmlProducer p(nullptr);
         p.SetTemplate(u"<p>new page</p>");
         p.Convert();
         p.WriteConvertedHTMLToFile(f);
         return 1;
       }},
      {"TGrep::PrintRegExp", rpInOutError,
       [](const TempDir&, const String& f) {
         TGrep g(nullptr);
         g.CompileRegExp(u"ab*c");
         g.PrintRegExp(f);
         return 1;
       }},
      {"FileCopyFeedBk", rpCopyCode,
       [](const TempDir& dir, const String& f) {
         dir.Put("source", "the new contents");
         return FileCopyFeedBk(dir / "source", f, false, nullptr);
       }},
  };
  return writers;
}

}  // namespace

TEST(FoundationWriters, AFailedSaveKeepsTheOldFileAndIsReported) {
  // Regression: every writer truncated the target before writing, so a full disk or a failed flush
  // left a fragment where the user's file had been.
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    ExpectFailedSavesKeepTheOldFile(dir, "target", "the old contents", [&](const SaveFault& fault) {
      switch (w.Report) {
        case rpFalse: EXPECT_EQ(w.Save(dir, dir / "target"), 0); break;
        case rpInOutError: EXPECT_IO_ERROR(w.Save(dir, dir / "target"), InOutErrorCode(fault.Errno, true)); break;
        case rpCopyCode: EXPECT_EQ(w.Save(dir, dir / "target"), -3); break;
      }
    });
  }
}

TEST(FoundationWriters, ASaveReplacesTheFileBehindALinkWithItsPermissionBits) {
  for (const Writer& w : Writers()) {
    if (w.Report == rpCopyCode) continue;  // a copy refuses a link as its target
    SCOPED_TRACE(w.Name);
    TempDir dir;
    dir.Put("target", "the old contents");
    ::chmod(dir.NativeOf("target").c_str(), 0640);
    ASSERT_EQ(::symlink("target", dir.NativeOf("link").c_str()), 0);
    EXPECT_EQ(w.Save(dir, dir / "link"), 1);
    struct stat st{};
    ASSERT_EQ(::lstat(dir.NativeOf("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir.NativeOf("target").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(dir.Get("target"), "the old contents");
    EXPECT_TRUE(Temporaries(dir).empty());
  }
}

TEST(FileCopyFeedBk, AFailedCopyKeepsTheOldTarget) {
  // Regression: the target was truncated before the first block, so a full disk or a read error
  // destroyed the file that was there.
  TempDir dir;
  dir.Put("src", std::string(30000, 's'));
  dir.Put("dst", "the old target");
  {
    FaultyOs os;
    os.FailNth(OsCall::Write, 1, ENOSPC);
    EXPECT_EQ(FileCopyFeedBk(dir / "src", dir / "dst", false, nullptr), -3);
  }
  {
    FaultyOs os;
    os.ReadErrno = EIO;
    EXPECT_EQ(FileCopyFeedBk(dir / "src", dir / "dst", false, nullptr), -4);
  }
  EXPECT_EQ(dir.Get("dst"), "the old target");
  EXPECT_TRUE(Temporaries(dir).empty());
  // With the source's permissions: they reach the new file, not the old one's.
  ::chmod(dir.NativeOf("src").c_str(), 0604);
  ::chmod(dir.NativeOf("dst").c_str(), 0600);
  EXPECT_EQ(FileCopyFeedBk(dir / "src", dir / "dst", true, nullptr), 0);
  struct stat st{};
  ::stat(dir.NativeOf("dst").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(dir.Get("dst"), std::string(30000, 's'));
}

TEST(AppendToTextFile, AFailedAppendKeepsWhatWasThereAndAFailedCreationLeavesNoFile) {
  // Regression: a full disk in the middle of an append left the part that fitted at the end of the file.
  TempDir dir;
  dir.Put("log.txt", "one\r\n");
  TStringList lines;
  for (int i = 0; i < 1000; ++i) lines.Add(u"a line of the log");
  for (const int err : {ENOSPC, EIO}) {
    FaultyOs os;
    os.FailNth(OsCall::Write, 2, err);  // the first 4 KiB reach the disk
    EXPECT_IO_ERROR(AppendToTextFile(dir / "log.txt", lines), 101);
  }
  EXPECT_EQ(dir.Get("log.txt"), "one\r\n");
  {
    FaultyOs os;
    os.FailNth(OsCall::Write, 1, ENOSPC);
    EXPECT_IO_ERROR(AppendToTextFile(dir / "new.txt", u"two"), 101);
  }
  EXPECT_NE(::access(dir.NativeOf("new.txt").c_str(), F_OK), 0);
  AppendToTextFile(dir / "log.txt", u"two");
  EXPECT_EQ(dir.Get("log.txt"), "one\r\ntwo\r\n");
  EXPECT_TRUE(Temporaries(dir).empty());
}
