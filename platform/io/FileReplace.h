#pragma once
// Saving a whole file without ever destroying the one that is there.
// What: the new contents go to a temporary file beside the target; only when they are complete and on
// the disk does one rename(2) put them in the target's place. So a save that fails at any step (creating
// the temporary, a write, the flush, the rename) removes the temporary and leaves the old file byte for
// byte, and a process killed at any moment leaves the old file or the new one, never a fragment. The
// temporary has no name (O_TMPFILE) while it is written where the file system allows it, and is named
// ".<name>.<host>.<pid>.<random>.tmp" (O_EXCL, so two saves never collide) only for the rename, or from
// the start elsewhere; a kill may leave such a name, and every later save of the file removes those of
// ended processes of this host (never a live process's, never another host's).
// Rules of every save:
//  - A symbolic link is followed to the file it names (up to 40 links), and that file is replaced: the
//    link stays a link. A target that is a directory is refused (EISDIR); one that is no regular file
//    (a device, a pipe) is written in place, as there is no file to keep.
//  - An existing target must be writable by the saver, as for an in-place write (EACCES, EROFS, ...
//    otherwise); the new file takes its permission bits. A new file gets 0666 less the umask.
//  - The temporary is flushed (fsync) before the rename, the folder after it, so the new name survives a
//    power loss. A failed flush of the folder is reported although the new file then stands in place.
//  - TSaveGroup publishes several files together: every temporary is written and flushed before the
//    first rename; when a later rename fails, the files already renamed get their old contents back.
// How to use: writers rarely touch these classes; they open a TReplacingFileStream (Streams.h) or a text
// or record file with RewriteReplacing (TextFiles.h, RecordFiles.h), which commit on a successful close.
// Limits: the folder must be writable and hold a second copy while saving. The new file is a new inode:
// its owner and group are the saver's, other hard links keep the old contents, ACLs and extended
// attributes of the old file are not carried over. A group whose file system has no hard links sets an
// old file aside by renaming it; a kill in that moment leaves the old file under its temporary name.
// Every OS call goes through the seam of OsLayer.h, so tests fail any step on purpose.

#include <string>
#include <vector>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TSaveGroup;

/// One file being replaced: a temporary beside the target, committed by rename or discarded.
/// Move-only; destruction without Commit discards. Results are 0 or the errno of the failure.
class TFileReplacement {
 public:
  TFileReplacement() = default;
  ~TFileReplacement();
  TFileReplacement(TFileReplacement&& other) noexcept;
  TFileReplacement& operator=(TFileReplacement&& other) noexcept;
  TFileReplacement(const TFileReplacement&) = delete;
  TFileReplacement& operator=(const TFileReplacement&) = delete;

  // [the save]
  /// Starts replacing the file fileName (a platform path): resolves links, checks that an existing file
  /// may be written, creates the temporary for reading and writing. 0, or the errno (nothing created):
  /// ENOENT for an empty name or a missing folder, EACCES, EISDIR, ELOOP, ENOSPC, ...
  int Begin(const String& fileName);
  /// Records a failure seen while writing (the first one counts); the replacement then never commits.
  void Fail(int errnoValue);
  /// Gives the new file these permission bits (07777) instead of the old file's or the creation mode.
  void SetMode(int mode) { FMode = mode & 07777; }
  /// Gives the temporary its permission bits, flushes and closes it; on failure discards.
  int Prepare();
  /// Prepare when not yet done, then renames the temporary over the target and flushes the folder;
  /// on a failure before the rename discards (the old file stays as it was).
  int Commit();
  /// Removes the temporary; the target stays as it was. Safe at any time, also twice.
  void Discard();

  // [state]
  /// OS handle of the temporary (read and write), -1 before Begin and after Prepare.
  int Handle() const { return FHandle; }
  /// The failure recorded by Fail, 0 when none.
  int Error() const { return FError; }
  /// Begun and neither committed nor discarded.
  bool Active() const { return FActive; }
  /// The name given to Begin.
  const String& FileName() const { return FFileName; }

 private:
  friend class TSaveGroup;
  int GiveName();
  int Rename();

  String FFileName;
  std::string FTarget;     ///< native path of the file replaced (links resolved)
  std::string FTemp;       ///< native path of the temporary; "" when writing in place or while unnamed
  int FHandle = -1;
  int FMode = -1;          ///< permission bits to give the new file; -1 keeps the creation mode
  int FError = 0;
  bool FActive = false;
  bool FPrepared = false;
  bool FUnnamed = false;   ///< the temporary has no name yet (O_TMPFILE)
};

/// Files saved together: Commit publishes all of them or none. Destruction without Commit discards.
/// Declare the group before the streams or files that join it: it must outlive them.
class TSaveGroup {
 public:
  TSaveGroup() = default;
  ~TSaveGroup();
  TSaveGroup(const TSaveGroup&) = delete;
  TSaveGroup& operator=(const TSaveGroup&) = delete;

  /// Takes over a begun replacement (prepared or not); the group commits it. A file that failed or was
  /// given up (see Abandon) makes the group's Commit fail.
  void Add(TFileReplacement&& file);
  /// Takes over a file of the group that will not be completed (its writer failed or was destroyed
  /// unclosed): the group's Commit then fails with errnoValue (ECANCELED when 0) and publishes nothing.
  void Abandon(TFileReplacement&& file, int errnoValue);
  /// Prepares every file, then renames them in the order added. 0, or the errno of the first failure,
  /// with every target as it was before (FailedFile names the file that failed).
  int Commit();
  /// Removes every temporary; the targets stay as they were.
  void Discard();
  /// Number of files waiting to be committed.
  int Count() const { return static_cast<int>(FFiles.size()); }
  /// The file whose step failed in the last Commit ("" when none failed).
  const String& FailedFile() const { return FFailedFile; }

 private:
  int Fail(std::size_t index, int errnoValue);
  int Publish();
  void PutBack(std::size_t count, const std::vector<std::string>& backups);

  std::vector<TFileReplacement> FFiles;
  String FFailedFile;
};

/// Removes the temporaries that saves of fileName (a platform path) left beside it when their process
/// was killed: those named by processes of this host that no longer run. Every save does this for its
/// own file; a caller uses it where a file it saves that way is not saved again soon. Failures pass.
void RemoveStaleTemporaries(const String& fileName);

/// The message of a save that failed: Cannot write file "<fileName>". <the OS's text of errnoValue>
String SaveFailureText(const String& fileName, int errnoValue);

}  // namespace qelta

QELTA_PUBLIC_END
