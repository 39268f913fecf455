#pragma once
// Test helpers of the file services: a temporary directory that cleans up after itself, and an OS
// layer that injects failures (failed opens, short reads, full disks, the n-th write, flush or rename
// failing, a kill at a chosen call, a file system without unnamed temporaries) into the real POSIX one,
// and saves killed at random moments in child processes.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

/// Kinds of OS calls that FaultyOs counts and can fail one of (Rename: both kinds of rename; LinkHandle:
/// naming an unnamed temporary).
enum class OsCall { Open, Write, Fsync, Rename, Link, FChMod, Close, Unlink, LinkHandle, Count };

/// The POSIX layer with failures switched on by the test; installed for the object's lifetime.
class FaultyOs : public qelta::TOsLayer {
 public:
  FaultyOs() { previous_ = qelta::SetOsLayer(this); }
  ~FaultyOs() override { qelta::SetOsLayer(previous_); }

  /// The n-th call of that kind from now on (1 = the next) fails with err; the others succeed.
  void FailNth(OsCall call, int n, int err) { plan_[Slot(call)] = {calls_[Slot(call)] + n, err, false}; }
  /// The process kills itself with SIGKILL at the n-th call of that kind from now on, before it is made
  /// (for a child process that shows what a kill at that moment leaves).
  void KillAt(OsCall call, int n) { plan_[Slot(call)] = {calls_[Slot(call)] + n, 0, true}; }
  /// Calls of that kind made since this layer was installed.
  int Calls(OsCall call) const { return calls_[Slot(call)]; }

  int OpenErrno = 0;            ///< opens fail with this errno when set
  std::size_t ReadChunk = 0;    ///< a read transfers at most this many bytes when set
  int ReadErrno = 0;            ///< reads fail with this errno when set
  int64_t WriteBudget = -1;     ///< bytes writable before the disk is full (-1: unlimited)
  int StatErrno = 0;            ///< stat calls fail with this errno when set
  int ListErrno = 0;            ///< directory listings fail with this errno when set
  int TmpFileErrno = 0;         ///< opens of unnamed files (O_TMPFILE) fail with this errno when set
  int LinkHandleErrno = 0;      ///< naming an open file through /proc fails with this errno when set
  std::string Host;             ///< the host name answered when set
  bool SkipFlush = false;       ///< flushes succeed at once without reaching the disk (tests of many saves)

  int Open(const std::string& path, int flags, int mode) override {
    if (const int e = Planned(OsCall::Open)) return e;
    if (OpenErrno) return -OpenErrno;
    if (TmpFileErrno && (flags & O_TMPFILE) == O_TMPFILE) return -TmpFileErrno;
    return TOsLayer::Open(path, flags, mode);
  }
  int LinkHandle(int fd, const std::string& newPath) override {
    if (const int e = Planned(OsCall::LinkHandle)) return e;
    if (LinkHandleErrno) return -LinkHandleErrno;
    return TOsLayer::LinkHandle(fd, newPath);
  }
  int HostName(std::string& name) override {
    if (Host.empty()) return TOsLayer::HostName(name);
    name = Host;
    return 0;
  }
  int64_t Read(int fd, void* buffer, std::size_t count) override {
    if (ReadErrno) return -ReadErrno;
    if (ReadChunk && count > ReadChunk) count = ReadChunk;
    return TOsLayer::Read(fd, buffer, count);
  }
  int64_t Write(int fd, const void* buffer, std::size_t count) override {
    if (const int e = Planned(OsCall::Write)) return e;
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
  int Fsync(int fd) override {
    if (const int e = Planned(OsCall::Fsync)) return e;
    return SkipFlush ? 0 : TOsLayer::Fsync(fd);
  }
  int FChMod(int fd, int mode) override {
    if (const int e = Planned(OsCall::FChMod)) return e;
    return TOsLayer::FChMod(fd, mode);
  }
  int Close(int fd) override {
    const int e = Planned(OsCall::Close);
    const int rc = TOsLayer::Close(fd);  // the handle is gone either way, as with close(2)
    return e ? e : rc;
  }
  int Rename(const std::string& from, const std::string& to) override {
    if (const int e = Planned(OsCall::Rename)) return e;
    return TOsLayer::Rename(from, to);
  }
  int RenameReplacing(const std::string& from, const std::string& to) override {
    if (const int e = Planned(OsCall::Rename)) return e;
    return TOsLayer::RenameReplacing(from, to);
  }
  int Link(const std::string& path, const std::string& newPath) override {
    if (const int e = Planned(OsCall::Link)) return e;
    return TOsLayer::Link(path, newPath);
  }
  int Unlink(const std::string& path) override {
    if (const int e = Planned(OsCall::Unlink)) return e;
    return TOsLayer::Unlink(path);
  }

 private:
  struct Plan {
    int At = 0;  ///< the call number that fails, 0 for none
    int Errno = 0;
    bool Kill = false;
  };
  static std::size_t Slot(OsCall call) { return static_cast<std::size_t>(call); }
  // Counts the call; answers -errno when the plan makes this one fail (and kills when planned so).
  int Planned(OsCall call) {
    const std::size_t slot = Slot(call);
    if (++calls_[slot] != plan_[slot].At) return 0;
    if (plan_[slot].Kill) ::kill(::getpid(), SIGKILL);
    return -plan_[slot].Errno;
  }

  std::array<int, static_cast<std::size_t>(OsCall::Count)> calls_{};
  std::array<Plan, static_cast<std::size_t>(OsCall::Count)> plan_{};
  qelta::TOsLayer* previous_ = nullptr;
};

/// A step of a save that a test makes fail, for tables of writers.
struct SaveFault {
  const char* Name;
  OsCall Call;
  int Nth;
  int Errno;
};

/// The failures every whole-file writer survives with the old file intact: the first write (full disk,
/// I/O error), the flush of the temporary (I/O error, full disk), its permission bits, the rename.
inline const std::vector<SaveFault>& SaveFaults() {
  static const std::vector<SaveFault> faults = {
      {"full disk at the first write", OsCall::Write, 1, ENOSPC}, {"I/O error at the first write", OsCall::Write, 1, EIO},
      {"I/O error at the flush", OsCall::Fsync, 1, EIO},        {"full disk at the flush", OsCall::Fsync, 1, ENOSPC},
      {"refused permission bits", OsCall::FChMod, 1, EPERM},     {"I/O error at the rename", OsCall::Rename, 1, EIO},
  };
  return faults;
}

/// Names of everything in the directory but "." and "..", sorted.
inline std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.Native().c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

/// Names of the temporaries of saves left in the directory (".<name>. ... .tmp").
inline std::vector<std::string> Temporaries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const std::string& name : Entries(dir))
    if (name.size() > 5 && name[0] == '.' && name.compare(name.size() - 4, 4, ".tmp") == 0) names.push_back(name);
  return names;
}

/// Runs `save` once per fault of SaveFaults with the bytes `old` in the file `name` of dir, and expects
/// the old file to survive byte for byte with no temporary left. `save(fault)` makes the writer save
/// that file and checks the writer's own report of the failure.
template <typename Save>
void ExpectFailedSavesKeepTheOldFile(const TempDir& dir, const std::string& name, const std::string& old, Save save) {
  for (const SaveFault& fault : SaveFaults()) {
    SCOPED_TRACE(fault.Name);
    dir.Put(name, old);
    {
      FaultyOs os;
      os.FailNth(fault.Call, fault.Nth, fault.Errno);
      save(fault);
      EXPECT_GE(os.Calls(fault.Call), fault.Nth) << "the save never reached the failing call";
    }
    EXPECT_EQ(dir.Get(name), old);
    EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
  }
}

/// Runs body in a child process and answers how it ended (the wait status): for saves killed part way.
inline int InChild(const std::function<void()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      body();
    } catch (...) {  // the child never goes on with the parent's tests
      ::_exit(2);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

/// The identifier of a process that has ended (a child that exits at once, waited for).
inline int EndedProcessId() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return static_cast<int>(pid);
}

/// The moment of a kill: the nth call of a kind.
struct KillMoment {
  OsCall Call;
  int Nth;
};

/// `count` moments drawn with a fixed seed among the calls counted by `ran` (a layer that watched one
/// whole run): first a kind of call the run made, then one of its calls, so that a rename comes up as
/// often as one of many writes.
inline std::vector<KillMoment> RandomKillMoments(const FaultyOs& ran, int count, uint32_t seed) {
  std::vector<OsCall> made;
  for (int k = 0; k < static_cast<int>(OsCall::Count); ++k)
    if (ran.Calls(static_cast<OsCall>(k)) > 0) made.push_back(static_cast<OsCall>(k));
  std::mt19937 random(seed);
  std::vector<KillMoment> moments;
  for (int i = 0; i < count && !made.empty(); ++i) {
    const OsCall call = made[random() % made.size()];
    moments.push_back({call, static_cast<int>(random() % static_cast<uint32_t>(ran.Calls(call))) + 1});
  }
  return moments;
}

/// Runs `run` in a child process per moment, with a FaultyOs made ready by `setup` that kills the
/// child at that moment (counted from the end of setup); expects every child killed and calls `check`
/// after each.
inline void KillAtMoments(const std::vector<KillMoment>& moments, const std::function<void(FaultyOs&)>& setup,
                          const std::function<void()>& run, const std::function<void()>& check) {
  for (const KillMoment& m : moments) {
    SCOPED_TRACE("killed at call " + std::to_string(m.Nth) + " of kind " + std::to_string(static_cast<int>(m.Call)));
    const int status = InChild([&] {
      FaultyOs os;
      setup(os);
      os.KillAt(m.Call, m.Nth);
      run();
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    check();
  }
}

}  // namespace qelta::test
