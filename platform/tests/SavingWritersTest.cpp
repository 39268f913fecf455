// Every whole-file writer of the platform keeps the old file when its save fails, reports the failure as
// it always has, and on success replaces the file behind a link with its permission bits.

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "Assertions.h"
#include "FileReplace.h"
#include "FileTestKit.h"
#include "Graphics.h"
#include "RecordFiles.h"
#include "Streams.h"
#include "StringLists.h"
#include "TextFiles.h"

using namespace qelta;
using namespace qelta::test;

namespace {

enum TReport { rpWriteError, rpInOutError };  // EWriteError naming the file and reason, or the runtime's code

struct Writer {
  const char* Name;
  const char* File;  // the extension chooses the image format of the bitmap's save
  TReport Report;
  std::function<void(const String&)> Save;
};

std::unique_ptr<TBitmap> SmallBitmap() {
  auto b = std::make_unique<TBitmap>(8, 6);
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRect(Rect(0, 0, 8, 6));
  return b;
}

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"TMemoryStream::SaveToFile", "m.bin", rpWriteError, [](const String& f) { TStringStream(u"new").SaveToFile(f); }},
      {"TStrings::SaveToFile", "s.txt", rpWriteError,
       [](const String& f) {
         TStringList list;
         list.SetText(u"one\r\ntwo\r\n");
         list.SaveToFile(f);
       }},
      {"TBitmap::SaveToFile as BMP", "b.bmp", rpWriteError, [](const String& f) { SmallBitmap()->SaveToFile(f); }},
      {"TBitmap::SaveToFile as PNG", "b.png", rpWriteError, [](const String& f) { SmallBitmap()->SaveToFile(f); }},
      {"TBitmap::SaveToFile as JPEG", "b.jpg", rpWriteError, [](const String& f) { SmallBitmap()->SaveToFile(f); }},
      {"TJPEGImage::SaveToFile", "j.jpg", rpWriteError,
       [](const String& f) {
         TJPEGImage jpeg;
         jpeg.Assign(SmallBitmap().get());
         jpeg.SaveToFile(f);
       }},
      {"text file of RewriteReplacing", "t.txt", rpInOutError,
       [](const String& f) {
         TextFile t;
         AssignFile(t, f);
         RewriteReplacing(t);
         WriteLn(t, u"new");
         CloseFile(t);
       }},
      {"record file of RewriteReplacing", "r.bin", rpInOutError,
       [](const String& f) {
         TRecordFile r(4);
         AssignFile(r, f);
         RewriteReplacing(r);
         Write(r, "news");
         CloseFile(r);
       }},
  };
  return writers;
}

void ExpectReported(const Writer& w, const String& file, const SaveFault& fault) {
  if (w.Report == rpInOutError) {
    EXPECT_IO_ERROR(w.Save(file), InOutErrorCode(fault.Errno, true));
  } else {
    EXPECT_THROW_MSG(w.Save(file), EWriteError, StringToUtf8(SaveFailureText(file, fault.Errno)));
  }
}

}  // namespace

TEST(PlatformWriters, AFailedSaveKeepsTheOldFileAndIsReported) {
  // Regression: every writer truncated the target before writing, so a full disk left an 8 KiB fragment
  // where the user's file had been (and a failed write said only "Stream write error").
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    ExpectFailedSavesKeepTheOldFile(dir, w.File, "the old contents",
                                    [&](const SaveFault& fault) { ExpectReported(w, dir / w.File, fault); });
  }
}

TEST(PlatformWriters, ASaveReplacesTheFileBehindALinkWithItsPermissionBits) {
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.Name);
    TempDir dir;
    dir.Put(w.File, "the old contents");
    ::chmod(dir.NativeOf(w.File).c_str(), 0640);
    ASSERT_EQ(::symlink(w.File, dir.NativeOf("link").c_str()), 0);
    w.Save(dir / "link");
    struct stat st{};
    ASSERT_EQ(::lstat(dir.NativeOf("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir.NativeOf(w.File).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(dir.Get(w.File), "the old contents");
    EXPECT_TRUE(Temporaries(dir).empty());
  }
}
