// The trash service in a temporary trash folder.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "DateUtils.h"
#include "FileTestKit.h"
#include "Trash.h"

namespace qelta {
namespace {

using test::TempDir;

class TrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTrashFolder(tmp / "share/Trash");
    SetClockOverride(EncodeDateTime(2024, 3, 5, 14, 7, 9, 0));
  }
  void TearDown() override {
    SetTrashFolder(String());
    SetClockOverride(std::nullopt);
  }
  static bool Exists(const std::string& path) {
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0;
  }
  TempDir tmp;
};

TEST_F(TrashTest, AFileMovesWithARecordOfItsPathAndDate) {
  tmp.Put("my data.txt", "12345");
  ASSERT_TRUE(MoveToTrash(tmp / "my data.txt"));
  EXPECT_FALSE(Exists(tmp.NativeOf("my data.txt")));
  EXPECT_EQ(tmp.Get("share/Trash/files/my data.txt"), "12345");
  EXPECT_EQ(tmp.Get("share/Trash/info/my data.txt.trashinfo"),
            "[Trash Info]\nPath=" + tmp.Native() + "/my%20data.txt\nDeletionDate=2024-03-05T14:07:09\n");
}

TEST_F(TrashTest, ANameInUseGetsANumber) {
  for (int i = 0; i < 3; ++i) {
    tmp.Put("a.txt", std::to_string(i));
    ASSERT_TRUE(MoveToTrash(tmp / "a.txt"));
  }
  EXPECT_EQ(tmp.Get("share/Trash/files/a.txt"), "0");
  EXPECT_EQ(tmp.Get("share/Trash/files/a.txt.2"), "1");
  EXPECT_EQ(tmp.Get("share/Trash/files/a.txt.3"), "2");
  EXPECT_TRUE(Exists(tmp.NativeOf("share/Trash/info/a.txt.3.trashinfo")));
}

TEST_F(TrashTest, ALinkMovesAsALinkAndItsTargetStays) {
  tmp.Put("target", "keep");
  ASSERT_EQ(::symlink(tmp.NativeOf("target").c_str(), tmp.NativeOf("link").c_str()), 0);
  ASSERT_TRUE(MoveToTrash(tmp / "link"));
  EXPECT_EQ(tmp.Get("target"), "keep");
  struct stat st{};
  ASSERT_EQ(::lstat(tmp.NativeOf("share/Trash/files/link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(TrashTest, WhatCannotBeMovedStaysWhereItIsWithoutARecord) {
  EXPECT_FALSE(MoveToTrash(tmp / "missing"));
  EXPECT_FALSE(MoveToTrash(String()));
  tmp.Put("b.txt", "b");
  {
    test::FaultyOs os;
    os.OpenErrno = EACCES;  // the record cannot be written
    EXPECT_FALSE(MoveToTrash(tmp / "b.txt"));
  }
  EXPECT_EQ(tmp.Get("b.txt"), "b");
  {
    // Another file system: the move is refused and the record made for it removed again.
    struct TOtherDevice : test::FaultyOs {
      int Rename(const std::string&, const std::string&) override { return -EXDEV; }
    } os;
    EXPECT_FALSE(MoveToTrash(tmp / "b.txt"));
  }
  EXPECT_EQ(tmp.Get("b.txt"), "b");
  EXPECT_FALSE(Exists(tmp.NativeOf("share/Trash/info/b.txt.trashinfo")));
  // A trash whose files/ is no folder cannot take it.
  SetTrashFolder(tmp / "odd");
  ::mkdir(tmp.NativeOf("odd").c_str(), 0700);
  tmp.Put("odd/files", "not a folder");
  EXPECT_FALSE(MoveToTrash(tmp / "b.txt"));
  EXPECT_EQ(tmp.Get("b.txt"), "b");
}

}  // namespace
}  // namespace qelta
