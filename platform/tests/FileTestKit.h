#pragma once
// Test helpers of the file services: a temporary directory that cleans up after itself, and an OS
// layer that injects failures (failed opens, short reads, full disks) into the real POSIX one.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "Encoding.h"
#include "Exceptions.h"
#include "OsLayer.h"
#include "TextFiles.h"

/// Runs stmt and expects EInOutError with the runtime code and its message.
#define EXPECT_IO_ERROR(stmt, code)                                 \
  do {                                                              \
    try {                                                           \
      stmt;                                                         \
      ADD_FAILURE() << "no EInOutError from " #stmt;                \
    } catch (const qelta::EInOutError& e) {                         \
      EXPECT_EQ(e.ErrorCode, code);                                 \
      EXPECT_EQ(e.Message(), qelta::InOutErrorMessage(code));       \
    }                                                               \
  } while (0)

namespace qelta::test {

/// Fresh directory under the temporary folder (mkdtemp), removed with its contents at the end.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qelta-test-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Native() const { return path_; }
  /// Path of a name inside the directory, as platform text.
  qelta::String operator/(const std::string& name) const { return qelta::Utf8ToString(path_ + "/" + name); }
  std::string NativeOf(const std::string& name) const { return path_ + "/" + name; }

  /// Writes raw bytes to a file inside the directory.
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(NativeOf(name), std::ios::binary) << bytes;
  }
  /// Raw bytes of a file inside the directory ("" when missing).
  std::string Get(const std::string& name) const {
    std::ifstream in(NativeOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  // Removes a tree without following symbolic links (they are unlinked, never entered).
  static void RemoveTree(const std::string& path) {
    if (path.empty()) return;
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
      ::chmod(path.c_str(), 0700);
      if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
          const std::string name = e->d_name;
          if (name != "." && name != "..") RemoveTree(path + "/" + name);
        }
        ::closedir(dir);
      }
      ::rmdir(path.c_str());
    } else {
      ::unlink(path.c_str());
    }
  }
  std::string path_;
};

/// The POSIX layer with failures switched on by the test; installed for the object's lifetime.
class FaultyOs : public qelta::TOsLayer {
 public:
  FaultyOs() { previous_ = qelta::SetOsLayer(this); }
  ~FaultyOs() override { qelta::SetOsLayer(previous_); }

  int OpenErrno = 0;            ///< opens fail with this errno when set
  std::size_t ReadChunk = 0;    ///< a read transfers at most this many bytes when set
  int ReadErrno = 0;            ///< reads fail with this errno when set
  int64_t WriteBudget = -1;     ///< bytes writable before the disk is full (-1: unlimited)
  int StatErrno = 0;            ///< stat calls fail with this errno when set
  int ListErrno = 0;            ///< directory listings fail with this errno when set

  int Open(const std::string& path, int flags, int mode) override {
    if (OpenErrno) return -OpenErrno;
    return TOsLayer::Open(path, flags, mode);
  }
  int64_t Read(int fd, void* buffer, std::size_t count) override {
    if (ReadErrno) return -ReadErrno;
    if (ReadChunk && count > ReadChunk) count = ReadChunk;
    return TOsLayer::Read(fd, buffer, count);
  }
  int64_t Write(int fd, const void* buffer, std::size_t count) override {
    if (WriteBudget == 0) return -ENOSPC;
    if (WriteBudget > 0 && static_cast<int64_t>(count) > WriteBudget) count = static_cast<std::size_t>(WriteBudget);
    const int64_t n = TOsLayer::Write(fd, buffer, count);
    if (WriteBudget > 0 && n > 0) WriteBudget -= n;
    return n;
  }
  int Stat(const std::string& path, struct stat& st, bool followLinks) override {
    if (StatErrno) return -StatErrno;
    return TOsLayer::Stat(path, st, followLinks);
  }
  int ListDir(const std::string& path, std::vector<std::string>& names) override {
    if (ListErrno) return -ListErrno;
    return TOsLayer::ListDir(path, names);
  }

 private:
  qelta::TOsLayer* previous_ = nullptr;
};

}  // namespace qelta::test
