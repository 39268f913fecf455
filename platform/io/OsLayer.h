#pragma once
// The one seam between the platform's file services and the operating system.
// Implements: thin wrappers of the POSIX calls that streams, text files and the file-system helpers
// use (open, read, write, seek, stat, directory listing, the host name and whether a process lives,
// ...), each answering the OS's result or a
// negative errno, and the translation of a 16-bit path into the native UTF-8 path.
// Tests replace the layer (SetOsLayer) to inject failed opens, short reads and full disks.
// Does not implement: anything beyond forwarding; callers own the retry and error policy.

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// POSIX calls of the file services. Every call answers >= 0 on success or -errno on failure;
/// Read and Write may transfer fewer bytes than asked (callers loop).
class TOsLayer {
 public:
  virtual ~TOsLayer() = default;

  // [files]
  virtual int Open(const std::string& path, int flags, int mode);
  virtual int64_t Read(int fd, void* buffer, std::size_t count);
  virtual int64_t Write(int fd, const void* buffer, std::size_t count);
  virtual int64_t Seek(int fd, int64_t offset, int whence);
  virtual int Truncate(int fd, int64_t size);
  virtual int Close(int fd);
  virtual int FStat(int fd, struct stat& st);
  /// Sets access and modification time of an open file (seconds since 1970, UTC).
  virtual int FSetTime(int fd, int64_t unixSeconds);
  /// Flushes an open file (or folder) to the disk (fsync(2)).
  virtual int Fsync(int fd);
  /// Sets the permission bits of an open file.
  virtual int FChMod(int fd, int mode);
  /// Gives an open file that has no name yet (O_TMPFILE) the name newPath, by a hard link through
  /// /proc/self/fd; never replaces an existing newPath (-EEXIST then).
  virtual int LinkHandle(int fd, const std::string& newPath);

  // [names]
  /// stat (followLinks) or lstat.
  virtual int Stat(const std::string& path, struct stat& st, bool followLinks);
  virtual int Unlink(const std::string& path);
  /// Renames without ever replacing an existing target (-EEXIST then).
  virtual int Rename(const std::string& from, const std::string& to);
  /// Renames, replacing an existing target in one step (rename(2)).
  virtual int RenameReplacing(const std::string& from, const std::string& to);
  /// A second name for a file (a hard link); never replaces an existing newPath (-EEXIST then).
  virtual int Link(const std::string& path, const std::string& newPath);
  /// What a symbolic link points at, as stored in the link.
  virtual int ReadLink(const std::string& path, std::string& target);
  virtual int MkDir(const std::string& path, int mode);
  virtual int RmDir(const std::string& path);
  virtual int ChMod(const std::string& path, int mode);
  virtual int SetTime(const std::string& path, int64_t unixSeconds);
  /// Names of a directory's entries without "." and "..", in the order the OS reports them.
  virtual int ListDir(const std::string& path, std::vector<std::string>& names);
  virtual int GetCwd(std::string& path);
  virtual int ChDir(const std::string& path);
  virtual int StatVfs(const std::string& path, struct statvfs& st);

  // [processes]
  /// The name of this host (gethostname(2)).
  virtual int HostName(std::string& name);
  /// Sends signal to process pid (kill(2)); signal 0 only asks whether the process exists.
  virtual int Kill(int pid, int signal);
};

/// The layer in use (the POSIX one unless a test installed another).
TOsLayer& OsLayer();
/// Installs `layer` (borrowed; nullptr restores the POSIX layer) and answers the previous one.
TOsLayer* SetOsLayer(TOsLayer* layer);

/// Native path of a platform path: '\' becomes '/', a leading drive "X:" becomes the drive's mount
/// point from the drive table (FileSys.h), the result is UTF-8.
std::string NativePath(const String& path);

/// Text of an errno value, as the OS words it ("No such file or directory").
String OsErrorMessage(int errnoValue);

}  // namespace qelta

QELTA_PUBLIC_END
