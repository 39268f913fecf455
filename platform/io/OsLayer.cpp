#include "OsLayer.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Encoding.h"
#include "FileSys.h"

namespace qelta {
namespace {

int Result(int rc) { return rc < 0 ? -errno : rc; }
int64_t Result64(int64_t rc) { return rc < 0 ? -static_cast<int64_t>(errno) : rc; }

// Retries a call interrupted by a signal; every other outcome is passed on.
template <typename F>
auto Retry(F call) {
  decltype(call()) rc;
  do rc = call();
  while (rc < 0 && errno == EINTR);
  return rc;
}

timeval Seconds(int64_t unixSeconds) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(unixSeconds);
  return tv;
}

TOsLayer gPosixLayer;
TOsLayer* gLayer = &gPosixLayer;

}  // namespace

int TOsLayer::Open(const std::string& path, int flags, int mode) {
  return Result(Retry([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); }));
}

int64_t TOsLayer::Read(int fd, void* buffer, std::size_t count) {
  return Result64(Retry([&] { return ::read(fd, buffer, count); }));
}

int64_t TOsLayer::Write(int fd, const void* buffer, std::size_t count) {
  return Result64(Retry([&] { return ::write(fd, buffer, count); }));
}

int64_t TOsLayer::Seek(int fd, int64_t offset, int whence) { return Result64(::lseek(fd, offset, whence)); }

int TOsLayer::Truncate(int fd, int64_t size) { return Result(Retry([&] { return ::ftruncate(fd, size); })); }

int TOsLayer::Close(int fd) { return Result(::close(fd)); }

int TOsLayer::FStat(int fd, struct stat& st) { return Result(::fstat(fd, &st)); }

int TOsLayer::FSetTime(int fd, int64_t unixSeconds) {
  const timeval times[2] = {Seconds(unixSeconds), Seconds(unixSeconds)};
  return Result(::futimes(fd, times));
}

int TOsLayer::Fsync(int fd) { return Result(Retry([&] { return ::fsync(fd); })); }

int TOsLayer::FChMod(int fd, int mode) { return Result(::fchmod(fd, static_cast<mode_t>(mode))); }

int TOsLayer::LinkHandle(int fd, const std::string& newPath) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return Result(::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, newPath.c_str(), AT_SYMLINK_FOLLOW));
}

int TOsLayer::Stat(const std::string& path, struct stat& st, bool followLinks) {
  return Result(followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st));
}

int TOsLayer::Unlink(const std::string& path) { return Result(::unlink(path.c_str())); }

int TOsLayer::Rename(const std::string& from, const std::string& to) {
  const int rc = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
  if (rc == 0 || (errno != EINVAL && errno != ENOSYS)) return Result(rc);
  // File systems without the no-replace flag: check first (not atomic, but never replaces knowingly).
  struct stat st{};
  if (::lstat(to.c_str(), &st) == 0) return -EEXIST;
  return Result(::rename(from.c_str(), to.c_str()));
}

int TOsLayer::RenameReplacing(const std::string& from, const std::string& to) {
  return Result(::rename(from.c_str(), to.c_str()));
}

int TOsLayer::Link(const std::string& path, const std::string& newPath) {
  return Result(::link(path.c_str(), newPath.c_str()));
}

int TOsLayer::ReadLink(const std::string& path, std::string& target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return -errno;
    if (static_cast<std::size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<std::size_t>(n));
      return 0;
    }
    if (buffer.size() > (1u << 20)) return -ENAMETOOLONG;
    buffer.resize(buffer.size() * 2);
  }
}

int TOsLayer::MkDir(const std::string& path, int mode) {
  return Result(::mkdir(path.c_str(), static_cast<mode_t>(mode)));
}

int TOsLayer::RmDir(const std::string& path) { return Result(::rmdir(path.c_str())); }

int TOsLayer::ChMod(const std::string& path, int mode) {
  return Result(::chmod(path.c_str(), static_cast<mode_t>(mode)));
}

int TOsLayer::SetTime(const std::string& path, int64_t unixSeconds) {
  const timeval times[2] = {Seconds(unixSeconds), Seconds(unixSeconds)};
  return Result(::utimes(path.c_str(), times));
}

int TOsLayer::ListDir(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return -errno;
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const int err = errno;
  ::closedir(dir);
  return err ? -err : 0;
}

int TOsLayer::GetCwd(std::string& path) {
  std::vector<char> buffer(4096);
  while (!::getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return -errno;
    buffer.resize(buffer.size() * 2);
  }
  path = buffer.data();
  return 0;
}

int TOsLayer::ChDir(const std::string& path) { return Result(::chdir(path.c_str())); }

int TOsLayer::StatVfs(const std::string& path, struct statvfs& st) { return Result(::statvfs(path.c_str(), &st)); }

int TOsLayer::HostName(std::string& name) {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (::gethostname(buffer, HOST_NAME_MAX) < 0) return -errno;
  name = buffer;
  return 0;
}

int TOsLayer::Kill(int pid, int signal) { return Result(::kill(static_cast<pid_t>(pid), signal)); }

TOsLayer& OsLayer() { return *gLayer; }

TOsLayer* SetOsLayer(TOsLayer* layer) {
  TOsLayer* previous = gLayer;
  gLayer = layer ? layer : &gPosixLayer;
  return previous;
}

std::string NativePath(const String& path) {
  String p = path;
  for (Char& c : p)
    if (c == u'\\') c = u'/';
  const bool drive = p.size() >= 2 && p[1] == u':' && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
  if (drive && (p.size() == 2 || p[2] == u'/')) {
    String root = DriveMountPoint(p[0]);
    if (!root.empty()) {
      String rest = p.substr(2);
      while (!root.empty() && root.back() == u'/' && !rest.empty()) root.pop_back();
      p = root + rest;
      if (p.empty()) p.push_back(u'/');
    }
  }
  return StringToUtf8(p);
}

String OsErrorMessage(int errnoValue) {
  char buffer[256] = {};
  // GNU strerror_r answers a pointer that may or may not be the buffer.
  const char* text = ::strerror_r(errnoValue, buffer, sizeof buffer);
  return Utf8ToString(text ? text : "Unknown error");
}

}  // namespace qelta
