// Qelta_filesys: copying, tree walks, deleting, probing.
//
// FileCopyFeedBk works on OS handles through the seam (OsLayer.h), so that each failure has its code: the
// source is opened first (-1 leaves any target alone) and must be a regular file (a pipe or a device could
// block or never end), the target is refused when it is the source itself (truncating it would lose the
// data) or a link, a block is read until it is full or the file ends (a short read never ends the copy
// early), and the time and permissions go only to a complete copy. Tree walks list a folder once (FindFirst) and act on the entries; symbolic
// links carry faSymLink and never faDirectory, so a walk never enters one.

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <vector>

#include "FileReplace.h"
#include "FileSys.h"
#include "OsLayer.h"
#include "Qelta_filesys.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "Trash.h"

namespace qelta {

namespace {

constexpr int64_t kCopyBlock = 8192;
constexpr int kFileMode = 0666;

std::atomic<bool> gAbortCopy{false};

// [SECTION] helpers

/// An OS file handle that closes itself.
class TFileHandle {
 public:
  explicit TFileHandle(int fd = -1) : FFd(fd) {}
  ~TFileHandle() { Close(); }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  int Fd() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  /// Closes now; false when the OS reports a failure (a delayed write error).
  bool Close() {
    if (FFd < 0) return true;
    const int rc = OsLayer().Close(FFd);
    FFd = -1;
    return rc == 0;
  }

 private:
  int FFd;
};

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool StatOf(const String& path, struct stat& st, bool follow = true) {
  return !path.empty() && OsLayer().Stat(NativePath(path), st, follow) == 0;
}

/// Calls f(entry) for every entry of dir (which ends with a separator or is "") matching mask, "." and ".."
/// left out, in folder-search order, while f answers true.
template <typename F>
void ForEachEntry(const String& dir, const String& mask, F f) {
  TSearchRec r;
  if (FindFirst(dir + mask, faAnyFile, r) == 0) {
    do {
      if (r.Name != u"." && r.Name != u".." && !f(r)) break;
    } while (FindNext(r) == 0);
  }
  FindClose(r);
}

bool IsFolder(const TSearchRec& r) { return (r.Attr & faDirectory) != 0; }

/// A link whose target is a folder: never entered, copied, counted or listed.
bool IsFolderLink(const String& path, const TSearchRec& r) {
  if ((r.Attr & faSymLink) == 0) return false;
  struct stat st{};
  return StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool IsPlainFileEntry(const String& dir, const TSearchRec& r) { return !IsFolder(r) && !IsFolderLink(dir + r.Name, r); }

String WithSeparator(const String& dir) { return dir.empty() ? dir : IncludeTrailingPathDelimiter(dir); }

// [SECTION] FileCopyFeedBk pieces

void Notify(const TFileCopyFeedback& f, int64_t done, int64_t total) {
  if (f) f(done, total);
}

/// Reads until count bytes are in or the file ends; -1 on a read failure.
int64_t ReadBlock(int fd, uint8_t* buffer, int64_t count) {
  int64_t got = 0;
  while (got < count) {
    const int64_t n = OsLayer().Read(fd, buffer + got, static_cast<std::size_t>(count - got));
    if (n < 0) return -1;
    if (n == 0) break;
    got += n;
  }
  return got;
}

bool WriteBlock(int fd, const uint8_t* buffer, int64_t count) {
  int64_t put = 0;
  while (put < count) {
    const int64_t n = OsLayer().Write(fd, buffer + put, static_cast<std::size_t>(count - put));
    if (n <= 0) return false;
    put += n;
  }
  return true;
}

/// Starts the replacement of the target; false when it is the source itself or a link, or cannot be created.
bool BeginTarget(const String& target, const struct stat& source, TFileReplacement& to) {
  struct stat st{};
  if (target.empty() || (StatOf(target, st, false) && (S_ISLNK(st.st_mode) || SameFile(st, source)))) return false;
  return to.Begin(target) == 0;
}

struct TCopyProgress {
  int64_t Copied = 0;
  bool Cancelled = false;
};

/// Hands out the source in blocks of 8192 bytes, reading ahead 64 blocks at a time, and writes what was
/// handed out in the same large pieces: the blocks and their feedback are those of a block-by-block copy,
/// at a small part of the system calls.
class TBlockCopy {
 public:
  TBlockCopy(int from, int to) : FFrom(from), FTo(to), FBuffer(static_cast<std::size_t>(kCopyBlock * kBlocksAhead)) {}

  /// The size of the next block (short only at the end of the file), -3 or -4 on failure.
  int64_t Next() {
    if (FServed == FHave) {
      if (!Flush()) return -3;
      FHave = ReadBlock(FFrom, FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
      if (FHave < 0) return -4;
      FServed = FWritten = 0;
    }
    const int64_t n = std::min(kCopyBlock, FHave - FServed);
    FServed += n;
    return n;
  }

  /// Writes the blocks handed out so far.
  bool Flush() {
    const bool ok = WriteBlock(FTo, FBuffer.data() + FWritten, FServed - FWritten);
    FWritten = FServed;
    return ok;
  }

 private:
  static constexpr int64_t kBlocksAhead = 64;
  int FFrom;
  int FTo;
  std::vector<uint8_t> FBuffer;
  int64_t FHave = 0;
  int64_t FServed = 0;
  int64_t FWritten = 0;
};

/// Copies block by block: feedback before each block, the loop ending after a short block or at a cancel;
/// 0, -3 (write) or -4 (read).
int CopyBlocks(int from, int to, int64_t size, const TFileCopyFeedback& feedBack, TCopyProgress& progress) {
  TBlockCopy blocks(from, to);
  for (;;) {
    const int64_t n = blocks.Next();
    if (n < 0) return static_cast<int>(n);
    Notify(feedBack, progress.Copied, size);
    progress.Copied += n;
    if (n < kCopyBlock) break;
    if (gAbortCopy) {
      progress.Cancelled = progress.Copied < size;
      break;
    }
  }
  return blocks.Flush() ? 0 : -3;
}

/// The source's time and, with copyAttributes, its permissions (owner-writable) for a complete copy.
void TakeOverStamp(TFileReplacement& to, const struct stat& source, bool copyAttributes) {
  OsLayer().FSetTime(to.Handle(), static_cast<int64_t>(source.st_mtim.tv_sec));
  if (copyAttributes) to.SetMode(static_cast<int>((source.st_mode & 0777) | S_IWUSR));
}

// [SECTION] tree copy

class TTreeCopy {
 public:
  TTreeCopy(bool copyAttributes, const TTreeCopyFeedback& feedBack) : FAttributes(copyAttributes), FFeedBack(feedBack) {}

  void Run(const String& source, const String& target) {
    if (!ForceDirectories(target)) return;
    FHaveTargetRoot = StatOf(target, FTargetRoot);
    Walk(source, target);
  }

 private:
  bool IsTargetRoot(const String& dir) const {
    struct stat st{};
    return FHaveTargetRoot && StatOf(dir, st, false) && SameFile(st, FTargetRoot);
  }

  void Walk(const String& source, const String& target) {
    if (!ForceDirectories(target)) return;
    ForEachEntry(source, u"*", [&](const TSearchRec& r) {
      if (gAbortCopy) return false;
      const String from = source + r.Name;
      if (IsFolder(r)) {
        if (!IsTargetRoot(from)) Walk(from + PathDelim, target + r.Name + PathDelim);
      } else if ((r.Attr & faSysFile) == 0 && !IsFolderLink(from, r)) {
        CopyOne(from, target + r.Name);  // no pipes, sockets or devices
      }
      return true;
    });
  }

  void CopyOne(const String& from, const String& to) {
    ++FFilesBegun;
    int64_t done = 0, total = 0;
    FileCopyFeedBk(from, to, FAttributes, [&](int64_t d, int64_t t) {
      done = d;
      total = t;
      if (FFeedBack) FFeedBack(d, t, to, FFilesBegun);
    });
    if (FFeedBack) FFeedBack(done, total, to, FFilesBegun);
  }

  bool FAttributes;
  const TTreeCopyFeedback& FFeedBack;
  struct stat FTargetRoot{};
  bool FHaveTargetRoot = false;
  int FFilesBegun = 0;
};

// [SECTION] deleting

String DeleteTree(const String& dir) {
  String failed;
  ForEachEntry(dir, u"*", [&](const TSearchRec& r) {
    const String path = dir + r.Name;
    if (IsFolder(r)) failed = DeleteTree(path + PathDelim);
    else if (!DeleteFile(path)) failed = path;
    return failed.empty();
  });
  if (!failed.empty()) return failed;
  return RemoveDir(dir) ? String() : dir;
}

/// Calls act(path) for every entry matching mask that is no folder and whose name does not begin
/// with '.'; answers how many times it succeeded.
template <typename F>
int ForEachFileByMask(const String& mask, F act) {
  const String dir = ExtractFilePath(mask);
  int done = 0;
  ForEachEntry(dir, ExtractFileName(mask), [&](const TSearchRec& r) {
    if (!IsFolder(r) && r.Name[0] != u'.' && act(dir + r.Name)) ++done;
    return true;
  });
  return done;
}

// [SECTION] probing

constexpr char16_t kProbeName[] = u"$%$LO%$.$$$";

enum TProbe : uint8_t { prWritable, prRefused, prNotCleanedUp };

/// Creates and erases a probe file. An existing file of that name is only opened for writing.
TProbe ProbeWrite(const String& file) {
  const std::string path = NativePath(file);
  const int fd = OsLayer().Open(path, O_WRONLY | O_CREAT | O_EXCL, kFileMode);
  if (fd == -EEXIST) {
    TFileHandle existing(OsLayer().Open(path, O_WRONLY, 0));
    if (!existing.Valid()) return prRefused;
    return existing.Close() ? prWritable : prNotCleanedUp;
  }
  if (fd < 0) return prRefused;
  TFileHandle probe(fd);
  const bool closed = probe.Close();
  return OsLayer().Unlink(path) == 0 && closed ? prWritable : prNotCleanedUp;
}

String DriveRoot(uint8_t drive) { return String{static_cast<Char>(u'A' + drive), u':', u'\\'}; }

// [SECTION] listing

class TFileScan {
 public:
  TFileScan(const String& mask, bool recursive, TStrings* list, const TFileScanFeedback& feedBack)
      : FName(ExtractFileName(mask)), FRecursive(recursive), FList(list), FFeedBack(feedBack) {}

  int Run(const String& dir) {
    if (FFeedBack) FFeedBack(dir, FCount);
    ForEachEntry(dir, FName, [&](const TSearchRec& r) {
      if (IsPlainFileEntry(dir, r)) {
        ++FCount;
        if (FList) FList->Add(dir + r.Name);
      }
      return true;
    });
    if (FRecursive) {
      ForEachEntry(dir, u"*", [&](const TSearchRec& r) {
        if (IsFolder(r)) Run(dir + r.Name + PathDelim);
        return true;
      });
    }
    return FCount;
  }

 private:
  String FName;
  bool FRecursive;
  TStrings* FList;
  const TFileScanFeedback& FFeedBack;
  int FCount = 0;
};

String Detect(const String& dir, const String& name) {
  String found;
  ForEachEntry(dir, name, [&](const TSearchRec& r) {
    if (IsPlainFileEntry(dir, r)) found = dir + r.Name;
    return found.empty();
  });
  if (!found.empty()) return found;
  ForEachEntry(dir, u"*", [&](const TSearchRec& r) {
    if (r.Attr == faDirectory) found = Detect(dir + r.Name + PathDelim, name);
    return found.empty();
  });
  return found;
}

void SetCase(const String& dir, const String& name, bool upper) {
  ForEachEntry(dir, name, [&](const TSearchRec& r) {
    const String renamed = upper ? UpperCase(r.Name) : LowerCase(r.Name);
    String now = r.Name;
    if (renamed != r.Name && RenameFile(dir + r.Name, dir + renamed)) now = renamed;  // never replaces a file
    if (IsFolder(r)) SetCase(dir + now + PathDelim, name, upper);
    return true;
  });
}

}  // namespace

// [SECTION] copying and deleting

int FileCopyFeedBk(const String& Source, const String& Target, bool CopyAttributes, const TFileCopyFeedback& FeedBack) {
  gAbortCopy = false;
  String target = Target;
  if (DirectoryExists(target)) target = IncludeTrailingPathDelimiter(target) + ExtractFileName(Source);
  // O_NONBLOCK: opening a pipe must not wait for a writer; only regular files are copied.
  TFileHandle from(Source.empty() ? -1 : OsLayer().Open(NativePath(Source), O_RDONLY | O_NONBLOCK, 0));
  struct stat source{};
  if (!from.Valid() || OsLayer().FStat(from.Fd(), source) < 0 || !S_ISREG(source.st_mode)) return -1;
  const int64_t size = static_cast<int64_t>(source.st_size);
  Notify(FeedBack, 0, size);

  TFileReplacement to;  // the old target stays until the copy is complete (or cancelled, see the header)
  TCopyProgress progress;
  int code = BeginTarget(target, source, to) ? CopyBlocks(from.Fd(), to.Handle(), size, FeedBack, progress) : -2;
  if (code == 0 && !progress.Cancelled) TakeOverStamp(to, source, CopyAttributes);
  if (code == 0 && to.Commit() != 0) code = -3;
  to.Discard();
  Notify(FeedBack, progress.Copied, size);
  return code;
}

void AbortAnyFileCopying() { gAbortCopy = true; }

void CopyFileTree(const String& SourceDir, const String& TargetDir, bool CopyAttributes,
                  const TTreeCopyFeedback& FeedBack) {
  gAbortCopy = false;
  const String source = WithSeparator(SourceDir), target = WithSeparator(TargetDir);
  struct stat s{}, t{};
  if (!StatOf(source, s) || !S_ISDIR(s.st_mode) || target.empty()) return;
  if (StatOf(target, t) && SameFile(s, t)) return;
  TTreeCopy(CopyAttributes, FeedBack).Run(source, target);
}

String DelDirTree(const String& Dir) {
  if (StripLTBlanks(Dir).empty() || IsRootDir(Dir)) return WithSeparator(Dir.empty() ? String(1, PathDelim) : Dir);
  struct stat st{};
  if (StatOf(ExcludeTrailingPathDelimiter(Dir), st, false) && S_ISLNK(st.st_mode))
    return DeleteFile(ExcludeTrailingPathDelimiter(Dir)) ? String() : Dir;
  return DeleteTree(IncludeTrailingPathDelimiter(Dir));
}

int DeleteFiles(const String& Mask) {
  return ForEachFileByMask(Mask, [](const String& path) { return DeleteFile(path); });
}

int MoveToRecycleBin(const String& Mask) {
  return ForEachFileByMask(Mask, [](const String& path) { return MoveToTrash(ExpandFileName(path)); });
}

// [SECTION] probing and classifying

TTextfileType CheckTextFileType(const String& FileName) {
  TFileHandle f(FileName.empty() ? -ENOENT : OsLayer().Open(NativePath(FileName), O_RDONLY | O_NONBLOCK, 0));
  if (!f.Valid()) {
    const int code = InOutErrorCode(-f.Fd(), false);
    throw EInOutError(InOutErrorMessage(code), code);
  }
  uint8_t b[4] = {0, 0, 0, 0};
  if (ReadBlock(f.Fd(), b, 4) < 0) throw EInOutError(InOutErrorMessage(100), 100);
  if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return tftUTF8;
  if (b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) return tftUnicode4_le;
  if (b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) return tftUnicode4_be;
  if (b[0] == 0xFF && b[1] == 0xFE) return tftUnicode_le;
  if (b[0] == 0xFE && b[1] == 0xFF) return tftUnicode_be;
  if (b[0] == '{' && b[1] == '\\' && b[2] == 'r') return tftRTF;
  return tftUnknown;
}

bool DirIsReadOnly(const String& Dir) { return ProbeWrite(WithSeparator(Dir) + kProbeName) == prRefused; }

bool DiskIsReadOnly(uint8_t Drive) {
  if (Drive > 25 || DriveMountPoint(static_cast<Char>(u'A' + Drive)).empty()) return true;
  return ProbeWrite(DriveRoot(Drive) + kProbeName) != prWritable;
}

int GetDiskDriveType(uint8_t Drive) { return Drive > 25 ? 0 : GetDriveType(DriveRoot(Drive)); }

bool IsRootDir(const String& Path) {
  const String s = StripLTBlanks(Path);
  if (s == u"/" || s == u"\\") return true;
  return s.size() == 3 && s[1] == u':' && (s[2] == u'\\' || s[2] == u'/');
}

bool DirExists(const String& Dir) {
  const int attr = Dir.empty() ? -1 : FileGetAttr(Dir);
  return attr >= 0 && (attr & faDirectory) != 0;
}

bool DirEmpty(const String& Dir) {
  bool empty = true;
  ForEachEntry(IncludeTrailingPathDelimiter(Dir), u"*", [&](const TSearchRec&) { return empty = false; });
  return empty;
}

int64_t GetFileSize(const String& FileName) {
  TSearchRec r;
  const bool found = !FileName.empty() && FindFirst(ExpandFileName(FileName), faAnyFile, r) == 0;
  FindClose(r);
  return found ? r.Size : -1;
}

int64_t DiskFreeExtended(uint8_t Drive) {
  uint64_t sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (Drive > 25 || !GetDiskFreeSpace(DriveRoot(Drive), sectorsPerCluster, bytesPerSector, freeClusters, totalClusters))
    return -1;
  return static_cast<int64_t>(sectorsPerCluster * bytesPerSector * freeClusters);
}

// [SECTION] renaming, listing and counting

void SetAllFilenameCase(const String& Mask, bool Upper) { SetCase(ExtractFilePath(Mask), ExtractFileName(Mask), Upper); }

void ScanFilesToStrList(const String& Mask, bool Recursive, TStrings* List, const TFileScanFeedback& FeedBack) {
  if (List) TFileScan(Mask, Recursive, List, FeedBack).Run(ExtractFilePath(Mask));
}

int CountFiles(const String& Mask, bool Recursive, const TFileScanFeedback& FeedBack) {
  return TFileScan(Mask, Recursive, nullptr, FeedBack).Run(ExtractFilePath(Mask));
}

String FileDetect(const String& FileName) { return Detect(ExtractFilePath(FileName), ExtractFileName(FileName)); }

}  // namespace qelta
