#include "FileSys.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "OsLayer.h"
#include "Streams.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::TempDir;

namespace {

// Names and attributes a search reports, in order.
std::vector<std::pair<String, int>> Search(const String& path, int attr) {
  std::vector<std::pair<String, int>> out;
  TSearchRec f;
  for (int rc = FindFirst(path, attr, f); rc == 0; rc = FindNext(f)) out.emplace_back(f.Name, f.Attr);
  FindClose(f);
  return out;
}

// Walks a tree the way the file helpers do: descends into entries with faDirectory, counts the rest.
int CountFilesBelow(const String& dir, int depth = 0) {
  if (depth > 20) return -1000;  // a walk that follows a link loop would end up here
  int count = 0;
  TSearchRec f;
  for (int rc = FindFirst(IncludeTrailingPathDelimiter(dir) + u"*.*", faAnyFile, f); rc == 0; rc = FindNext(f)) {
    if (f.Name == u"." || f.Name == u"..") continue;
    if (f.Attr & faDirectory) count += CountFilesBelow(IncludeTrailingPathDelimiter(dir) + f.Name, depth + 1);
    else ++count;
  }
  FindClose(f);
  return count;
}

// Restores the current directory at the end of a test.
struct KeepCurrentDir {
  String saved = GetCurrentDir();
  ~KeepCurrentDir() { SetCurrentDir(saved); }
};

}  // namespace

TEST(MatchesMask, WindowsWildcardTable) {
  struct Case { const char16_t* name; const char16_t* mask; bool match; };
  const Case cases[] = {
      {u"a.txt", u"*.txt", true},     {u"A.TXT", u"*.txt", true},       {u"a.txt.bak", u"*.txt", false},
      {u"readme", u"*.*", true},      {u"readme", u"*", true},          {u"data", u"data.*", true},
      {u"data.csv", u"data.*", true}, {u"data2", u"data.*", false},     {u"ab", u"a?", true},
      {u"a", u"a?", false},           {u"abc", u"a?", false},           {u"noext", u"*.", true},
      {u"has.ext", u"*.", false},     {u"x.tar.gz", u"*.gz", true},     {u"x", u"", false},
      {u"aXbXc", u"a*b*c", true},     {u"abc", u"a*b*c*d", false},      {u"Über", u"über", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << StringToUtf8(c.name) << " ~ " << StringToUtf8(c.mask);
}

TEST(FindFirst, ReportsEntriesInNameOrderFilteredByAttributes) {
  TempDir dir;
  dir.Put("a.txt", "12345");
  dir.Put("B.TXT", "");
  dir.Put(".hidden", "");
  ::mkdir(dir.NativeOf("sub").c_str(), 0755);
  ASSERT_EQ(::symlink("sub", dir.NativeOf("link").c_str()), 0);
  using V = std::vector<std::pair<String, int>>;
  EXPECT_EQ(Search(dir / "*.txt", faAnyFile), (V{{u"B.TXT", 0}, {u"a.txt", 0}}));
  EXPECT_EQ(Search(dir / "*", 0), (V{{u"B.TXT", 0}, {u"a.txt", 0}, {u"link", faSymLink}}));
  EXPECT_EQ(Search(dir / "*.*", faDirectory | faHidden),
            (V{{u".", faDirectory}, {u"..", faDirectory}, {u".hidden", faHidden}, {u"B.TXT", 0}, {u"a.txt", 0},
               {u"link", faSymLink}, {u"sub", faDirectory}}));
  TSearchRec f;
  ASSERT_EQ(FindFirst(dir / "A.TXT", faAnyFile, f), 0);
  EXPECT_EQ(f.Name, u"a.txt");
  EXPECT_EQ(f.Size, 5);
  EXPECT_EQ(FindNext(f), 18);
  FindClose(f);
  EXPECT_EQ(FindNext(f), 18);
}

TEST(FindFirst, AnswersTheClassicCodesWhenNothingIsFound) {
  TempDir dir;
  TSearchRec f;
  EXPECT_EQ(FindFirst(dir / "*.none", faAnyFile, f), 2);
  EXPECT_EQ(FindFirst(dir / "missing/*.*", faAnyFile, f), 3);
  FaultyOs os;
  os.ListErrno = EACCES;
  EXPECT_EQ(FindFirst(dir / "*.*", faAnyFile, f), 5);
}

TEST(FindFirst, TreeWalkDoesNotFollowSymbolicLinksToDirectories) {
  TempDir dir;
  ::mkdir(dir.NativeOf("top").c_str(), 0755);
  ::mkdir(dir.NativeOf("top/inner").c_str(), 0755);
  dir.Put("top/one", "1");
  dir.Put("top/inner/two", "2");
  dir.Put("outside", "x");
  ASSERT_EQ(::symlink("..", dir.NativeOf("top/inner/loop").c_str()), 0);       // a cycle
  ASSERT_EQ(::symlink(dir.Native().c_str(), dir.NativeOf("top/out").c_str()), 0);  // out of the tree
  EXPECT_EQ(CountFilesBelow(dir / "top"), 4);  // one, two and the two links themselves
}

TEST(FileAttributes, ReadOnlyRoundTripAndLinksAreNotWrittenThrough) {
  TempDir dir;
  dir.Put("f", "x");
  ::mkdir(dir.NativeOf("d").c_str(), 0755);
  ASSERT_EQ(::symlink("f", dir.NativeOf("lf").c_str()), 0);
  ASSERT_EQ(::symlink("d", dir.NativeOf("ld").c_str()), 0);
  EXPECT_EQ(FileGetAttr(dir / "f"), 0);
  EXPECT_EQ(FileSetAttr(dir / "f", faReadOnly | faArchive), 0);
  EXPECT_EQ(FileGetAttr(dir / "f"), faReadOnly);
  EXPECT_EQ(FileSetAttr(dir / "f", 0), 0);
  EXPECT_EQ(FileGetAttr(dir / "f"), 0);
  EXPECT_EQ(FileGetAttr(dir / "d"), faDirectory);
  EXPECT_EQ(FileGetAttr(dir / "ld"), faDirectory);
  EXPECT_EQ(FileGetAttr(dir / "ld", false), faSymLink);
  EXPECT_EQ(FileSetAttr(dir / "lf", faReadOnly), 5);
  EXPECT_EQ(FileGetAttr(dir / "f"), 0);  // the target stays writable
  EXPECT_EQ(FileGetAttr(dir / "none"), -1);
  EXPECT_EQ(FileSetAttr(dir / "none", 0), 2);
  EXPECT_EQ(FileGetAttr(dir / ".dot"), -1);
  dir.Put(".dot", "");
  EXPECT_EQ(FileGetAttr(dir / ".dot"), faHidden);
}

TEST(FileDates, PackedDateRoundTripsThroughTheFileAndTDateTime) {
  struct Case { int y, mo, d, h, mi, s; double serial; };
  const Case cases[] = {{2024, 1, 1, 18, 0, 0, 45292.75}, {1980, 1, 1, 0, 0, 0, 29221.0}, {2000, 2, 29, 12, 30, 58, 36585.521505}};
  for (const Case& c : cases) {
    const int32_t age = static_cast<int32_t>(((c.y - 1980) << 25) | (c.mo << 21) | (c.d << 16) | (c.h << 11) | (c.mi << 5) | (c.s / 2));
    EXPECT_NEAR(FileDateToDateTime(age), c.serial, 1e-6) << c.y;
    EXPECT_EQ(DateTimeToFileDate(c.serial), age) << c.y;
  }
  EXPECT_EQ(DateTimeToFileDate(100.0), DateTimeToFileDate(29221.0));  // before 1980: clamped
  TempDir dir;
  dir.Put("f", "x");
  const int32_t age = DateTimeToFileDate(45292.75);
  EXPECT_EQ(FileSetDate(dir / "f", age), 0);
  EXPECT_EQ(FileAge(dir / "f"), age);
  TDateTime when = 0;
  EXPECT_TRUE(FileAge(dir / "f", when));
  EXPECT_NEAR(when, 45292.75, 1e-6);
  {
    TFileStream s(dir / "f", fmOpenReadWrite);
    EXPECT_EQ(FileGetDate(s.Handle()), age);
    EXPECT_EQ(FileSetDate(s.Handle(), DateTimeToFileDate(36585.5)), 0);
  }
  EXPECT_EQ(FileAge(dir / "f"), DateTimeToFileDate(36585.5));
  EXPECT_EQ(FileAge(dir / "none"), -1);
  EXPECT_EQ(FileSetDate(dir / "none", age), 2);
}

TEST(FileOperations, RenameFileReplacingReplacesFilesButNeverDirectories) {
  TempDir dir;
  dir.Put("a", "A");
  dir.Put("b", "B");
  ::mkdir(dir.NativeOf("d").c_str(), 0755);
  EXPECT_TRUE(RenameFileReplacing(dir / "a", dir / "b"));
  EXPECT_FALSE(FileExists(dir / "a"));
  EXPECT_EQ(dir.Get("b"), "A");
  EXPECT_TRUE(RenameFileReplacing(dir / "b", dir / "c"));  // a new name is fine too
  EXPECT_EQ(dir.Get("c"), "A");
  EXPECT_FALSE(RenameFileReplacing(dir / "c", dir / "d"));
  EXPECT_FALSE(RenameFileReplacing(dir / "d", dir / "e"));
  EXPECT_FALSE(RenameFileReplacing(dir / "none", dir / "c"));
  EXPECT_TRUE(DirectoryExists(dir / "d"));
  EXPECT_EQ(dir.Get("c"), "A");
}

TEST(FileOperations, RenameNeverReplacesAndDeleteNeverTouchesDirectoriesOrLinkTargets) {
  TempDir dir;
  dir.Put("a", "A");
  dir.Put("b", "B");
  ::mkdir(dir.NativeOf("d").c_str(), 0755);
  ASSERT_EQ(::symlink("b", dir.NativeOf("lb").c_str()), 0);
  ASSERT_EQ(::symlink("d", dir.NativeOf("ld").c_str()), 0);
  EXPECT_FALSE(RenameFile(dir / "a", dir / "b"));
  EXPECT_EQ(dir.Get("b"), "B");
  EXPECT_TRUE(RenameFile(dir / "a", dir / "c"));
  EXPECT_FALSE(FileExists(dir / "a"));
  EXPECT_TRUE(FileExists(dir / "c"));
  EXPECT_FALSE(DeleteFile(dir / "d"));
  EXPECT_TRUE(DirectoryExists(dir / "d"));
  EXPECT_TRUE(DeleteFile(dir / "lb"));
  EXPECT_TRUE(FileExists(dir / "b"));
  EXPECT_FALSE(RemoveDir(dir / "ld"));
  EXPECT_TRUE(DirectoryExists(dir / "ld"));
  EXPECT_TRUE(RemoveDir(dir / "d"));
  EXPECT_FALSE(DeleteFile(dir / "none"));
  EXPECT_FALSE(FileExists(u""));
}

TEST(FileOperations, ForceDirectoriesCreatesEveryMissingParent) {
  TempDir dir;
  EXPECT_TRUE(ForceDirectories(dir / "x/y\\z/"));
  EXPECT_TRUE(DirectoryExists(dir / "x/y/z"));
  EXPECT_TRUE(ForceDirectories(dir / "x/y"));
  dir.Put("file", "");
  EXPECT_FALSE(ForceDirectories(dir / "file/sub"));
  EXPECT_FALSE(CreateDir(dir / "x"));
  EXPECT_THROW_MSG(ForceDirectories(u""), EInOutError, "Unable to create directory");
}

TEST(FileOperations, InjectedStatFailureMeansNothingExists) {
  TempDir dir;
  dir.Put("f", "");
  FaultyOs os;
  os.StatErrno = EIO;
  EXPECT_FALSE(FileExists(dir / "f"));
  EXPECT_FALSE(DirectoryExists(Utf8ToString(dir.Native())));
  EXPECT_EQ(FileGetAttr(dir / "f"), -1);
}

TEST(CurrentDir, SetGetAndExpandRelativeNames) {
  KeepCurrentDir keep;
  TempDir dir;
  ASSERT_TRUE(SetCurrentDir(Utf8ToString(dir.Native())));
  EXPECT_EQ(GetCurrentDir(), Utf8ToString(dir.Native()));
  EXPECT_EQ(ExpandFileName(u"a/./b/../c.txt"), Utf8ToString(dir.Native()) + u"/a/c.txt");
  EXPECT_FALSE(SetCurrentDir(dir / "missing"));
}

TEST(FileNames, HelpersAcceptBothSeparators) {
  struct Case { const char16_t* name; const char16_t* path; const char16_t* dir; const char16_t* file; const char16_t* ext; };
  const Case cases[] = {
      {u"/a/b.txt", u"/a/", u"/a", u"b.txt", u".txt"},
      {u"C:\\dir.x\\name", u"C:\\dir.x\\", u"C:\\dir.x", u"name", u""},
      {u"C:\\f.c", u"C:\\", u"C:\\", u"f.c", u".c"},
      {u"/f", u"/", u"/", u"f", u""},
      {u"C:f.tar.gz", u"C:", u"C:", u"f.tar.gz", u".gz"},
      {u"rel/x\\y.z", u"rel/x\\", u"rel/x", u"y.z", u".z"},
      {u"noext", u"", u"", u"noext", u""},
      {u".bashrc", u"", u"", u".bashrc", u".bashrc"},
      {u"a:b/c", u"a:b/", u"a:b", u"c", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << StringToUtf8(c.name);
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << StringToUtf8(c.name);
    EXPECT_EQ(ExtractFileName(c.name), c.file) << StringToUtf8(c.name);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << StringToUtf8(c.name);
  }
  EXPECT_EQ(ChangeFileExt(u"d.x/name.txt", u".bak"), u"d.x/name.bak");
  EXPECT_EQ(ChangeFileExt(u"d.x/name", u".bak"), u"d.x/name.bak");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"a"), u"a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"a\\"), u"a\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"a\\"), u"a");
  EXPECT_EQ(ExpandFileName(u"C:\\x\\..\\y\\"), u"/y/");
  EXPECT_EQ(ExpandFileName(u""), u"");
}

TEST(SpecialDirectories, ConfigurableWithTheTemporaryOneEndingInASeparator) {
  const String temp = GetTempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), u'/');
  SetTempPath(u"/var/tmp");
  EXPECT_EQ(GetTempPath(), u"/var/tmp/");
  SetTempPath(temp);
  EXPECT_NE(GetSystemDirectory().find(u"qelta/system"), String::npos);
  SetWindowsDirectory(u"/opt/win/");
  EXPECT_EQ(GetWindowsDirectory(), u"/opt/win");
}

TEST(Environment, ReadsVariablesAndTheWholeBlock) {
  ASSERT_EQ(::setenv("QELTA_TEST_VAR", "v\xc3\xa4lue", 1), 0);
  EXPECT_EQ(GetEnvironmentVariable(u"QELTA_TEST_VAR"), U8("välue"));
  EXPECT_EQ(GetEnvironmentVariable(u"QELTA_NOT_SET_VAR"), u"");
  EXPECT_EQ(GetEnvironmentVariable(u"A=B"), u"");
  const std::vector<String> all = GetEnvironmentStrings();
  EXPECT_NE(std::find(all.begin(), all.end(), U8("QELTA_TEST_VAR=välue")), all.end());
}

TEST(Drives, TableMapsLettersToMountPoints) {
  TempDir dir;
  dir.Put("file", "x");
  EXPECT_EQ(DriveMountPoint(u'c'), u"/");
  EXPECT_EQ(GetDriveType(u"C:\\"), DRIVE_FIXED);
  EXPECT_EQ(GetDriveType(u"Q:"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveType(u"CC:\\"), DRIVE_NO_ROOT_DIR);
  SetDrive(u'R', Utf8ToString(dir.Native()), DRIVE_RAMDISK);
  EXPECT_EQ(GetDriveType(u"r:/"), DRIVE_RAMDISK);
  EXPECT_EQ(NativePath(u"R:\\file"), dir.NativeOf("file"));
  EXPECT_TRUE(FileExists(u"R:\\file"));
  EXPECT_FALSE(DriveIsReadOnly(u'R'));
  EXPECT_GT(DiskFree(18), 0);
  EXPECT_GE(DiskSize(18), DiskFree(18));
  uint64_t spc = 0, bps = 0, freeClusters = 0, total = 0;
  EXPECT_TRUE(GetDiskFreeSpace(u"R:\\", spc, bps, freeClusters, total));
  EXPECT_GT(spc * bps * freeClusters, 0u);
  EXPECT_LE(freeClusters, total);
  SetDrive(u'R', u"");
  EXPECT_EQ(DiskFree(18), -1);
  EXPECT_EQ(DiskFree(27), -1);
  EXPECT_FALSE(GetDiskFreeSpace(u"R:\\", spc, bps, freeClusters, total));
  SetDrive(u'S', dir / "file", DRIVE_FIXED);  // a file is no root
  EXPECT_EQ(GetDriveType(u"S:"), DRIVE_NO_ROOT_DIR);
}
