#include "FileReplace.h"

// A save is: Begin (resolve links, check the old file may be written, remove what killed saves of the
// file left, create the temporary), writes by the caller, Prepare (name the temporary, permission bits,
// fsync, close), rename over the target, fsync of the folder. The old file is never opened for
// truncation, so nothing before the rename can harm it.
// The temporary is made without a name (O_TMPFILE) where the file system allows it, so a kill while it
// is written leaves nothing; it is named only for the rename, by a link through /proc/self/fd (a copy
// into a named temporary where that link is refused). Elsewhere it is created by name with O_EXCL. A
// named temporary is ".<name>.<host>.<pid>.<random>.tmp": a save removes those of its target whose
// process has ended on this host (kill(pid, 0) answers ESRCH), never a live process's nor another
// host's, as the folder may be shared. Names without host and process (from earlier versions) cannot be
// told apart from someone else's files and are left alone.
// A group keeps the old contents of every target but the last under a second name (a hard link, or the
// old file renamed aside where the file system has no links) until all renames have succeeded; a failed
// rename puts the earlier targets back from those names.

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string_view>
#include <utility>

#include "OsLayer.h"

namespace qelta {
namespace {

constexpr int kMaxLinks = 40;       // as the kernel's own limit of links followed in one path
constexpr int kMaxNameTries = 100;  // temporaries whose random name is taken before giving up
constexpr std::size_t kMaxName = 255;
constexpr std::size_t kMaxHost = 64;  // as the kernel's own limit of a host name
constexpr std::size_t kRandomDigits = 12;
// ".", ".", the host, ".", the pid (10 digits at most), ".", the random part, ".tmp"
constexpr std::size_t kNameOverhead = 1 + 1 + kMaxHost + 1 + 10 + 1 + kRandomDigits + 4;
constexpr char kUnknownHost[] = "_";  // no sanitised host name holds a '_': nothing is ever swept for it
constexpr std::size_t kCopyBlock = 1 << 16;
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::string_view kHostChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-";

// [SECTION] names

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string RandomPart() {
  static uint64_t counter = 0;
  uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits))
    bits = (static_cast<uint64_t>(::getpid()) << 32) ^ static_cast<uint64_t>(::time(nullptr));
  bits ^= ++counter * 0x9E3779B97F4A7C15ull;  // two names of one process never repeat
  std::string text;
  for (std::size_t i = 0; i < kRandomDigits; ++i, bits >>= 4) text.push_back(kHexDigits[bits & 15]);
  return text;
}

// This host's name as a file name may hold it: letters, digits and '-', anything else a '-'; bounded.
std::string HostPart() {
  std::string host;
  if (OsLayer().HostName(host) < 0 || host.empty()) return kUnknownHost;
  if (host.size() > kMaxHost) host.resize(kMaxHost);
  for (char& c : host)
    if (kHostChars.find(c) == std::string_view::npos) c = '-';
  return host;
}

// ".<name>." of every temporary of the file name; a long name is cut (at a UTF-8 character) to fit.
std::string TempPrefix(std::string name) {
  if (name.size() > kMaxName - kNameOverhead) {
    std::size_t cut = kMaxName - kNameOverhead;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return "." + name + ".";
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// ".<name>.<host>.<pid>.<random>.tmp" in the target's folder.
std::string TempNameFor(const std::string& target) {
  const std::string folder = target.substr(0, target.size() - BaseName(target).size());
  return folder + TempPrefix(BaseName(target)) + HostPart() + "." + std::to_string(::getpid()) + "." + RandomPart() +
         ".tmp";
}

bool OnlyOf(std::string_view text, std::string_view chars) {
  return !text.empty() && text.find_first_not_of(chars) == std::string_view::npos;
}

// The process that made entry, when entry is a temporary of prefix's file made on host; 0 otherwise.
int TempOwner(std::string_view entry, const std::string& prefix, const std::string& host) {
  const std::string_view tail = ".tmp";
  if (entry.size() <= prefix.size() + tail.size() || entry.substr(0, prefix.size()) != prefix ||
      entry.substr(entry.size() - tail.size()) != tail)
    return 0;
  std::string_view rest = entry.substr(prefix.size(), entry.size() - prefix.size() - tail.size());
  const std::size_t random = rest.rfind('.');
  if (random == std::string_view::npos || rest.size() - random - 1 != kRandomDigits ||
      !OnlyOf(rest.substr(random + 1), kHexDigits))
    return 0;
  rest = rest.substr(0, random);
  const std::size_t pid = rest.rfind('.');
  if (pid == std::string_view::npos || rest.substr(0, pid) != host) return 0;
  const std::string_view digits = rest.substr(pid + 1);
  if (digits.size() > 9 || !OnlyOf(digits, kDigits) || digits[0] == '0') return 0;
  return std::stoi(std::string(digits));
}

// Removes the temporaries of target that processes of this host left when they ended part way.
void RemoveStaleTemps(const std::string& target) {
  const std::string host = HostPart();
  std::vector<std::string> names;
  if (host == kUnknownHost || OsLayer().ListDir(FolderOf(target), names) < 0) return;
  const std::string prefix = TempPrefix(BaseName(target));
  for (const std::string& entry : names) {
    const int pid = TempOwner(entry, prefix, host);
    if (pid > 0 && OsLayer().Kill(pid, 0) == -ESRCH) OsLayer().Unlink(FolderOf(target) + "/" + entry);
  }
}

// Follows symbolic links to the file they name; a path that does not exist (yet) is the answer itself.
int ResolveLinks(std::string path, std::string& resolved) {
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat st{};
    if (OsLayer().Stat(path, st, false) < 0 || !S_ISLNK(st.st_mode)) {
      resolved = path;
      return 0;
    }
    std::string link;
    if (const int rc = OsLayer().ReadLink(path, link); rc < 0) return -rc;
    path = !link.empty() && link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  return ELOOP;
}

// [SECTION] OS steps (each answers 0 or an errno)

// The old file must be writable, as an in-place save would need; opening it changes nothing.
int CheckWritable(const std::string& target) {
  const int fd = OsLayer().Open(target, O_WRONLY, 0);
  if (fd < 0) return -fd;
  OsLayer().Close(fd);
  return 0;
}

// Creates a new temporary beside target under a name of its own; answers its handle or -errno.
int CreateNamedTemp(const std::string& target, int mode, std::string& temp) {
  for (int tries = 0; tries < kMaxNameTries; ++tries) {
    const std::string name = TempNameFor(target);
    const int fd = OsLayer().Open(name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
    if (fd == -EEXIST) continue;
    if (fd >= 0) temp = name;
    return fd;
  }
  return -EEXIST;
}

// Creates a new temporary beside target, without a name where the file system allows it (unnamed set
// then, temp "" until it is named); answers its handle or -errno.
int CreateTemp(const std::string& target, int mode, std::string& temp, bool& unnamed) {
  const int fd = OsLayer().Open(FolderOf(target), O_RDWR | O_TMPFILE, mode);
  unnamed = fd >= 0;
  // Not offered by this file system (EOPNOTSUPP), or a kernel that takes the flag for O_DIRECTORY.
  if (fd == -EOPNOTSUPP || fd == -EISDIR || fd == -EINVAL) return CreateNamedTemp(target, mode, temp);
  return fd;
}

// Names the unnamed file fd as a temporary of target by a link through /proc; answers 0 or -errno.
int LinkTemp(int fd, const std::string& target, std::string& temp) {
  for (int tries = 0; tries < kMaxNameTries; ++tries) {
    const std::string name = TempNameFor(target);
    const int rc = OsLayer().LinkHandle(fd, name);
    if (rc == -EEXIST) continue;
    if (rc == 0) temp = name;
    return rc;
  }
  return -EEXIST;
}

// Writes all count bytes to fd; answers 0 or -errno.
int WriteAll(int fd, const uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const int64_t n = OsLayer().Write(fd, bytes, count);
    if (n <= 0) return n < 0 ? static_cast<int>(n) : -EIO;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Copies the whole of from (an open file read from its start) to to; answers 0 or -errno.
int CopyAll(int from, int to) {
  if (const int64_t rc = OsLayer().Seek(from, 0, SEEK_SET); rc < 0) return static_cast<int>(rc);
  std::vector<uint8_t> block(kCopyBlock);
  for (;;) {
    const int64_t n = OsLayer().Read(from, block.data(), block.size());
    if (n <= 0) return static_cast<int>(n);
    if (const int rc = WriteAll(to, block.data(), static_cast<std::size_t>(n))) return rc;
  }
}

// Makes a rename in folder durable. A folder that cannot be opened for reading, or a file system that
// cannot flush folders (EINVAL), is passed over.
int FlushFolder(const std::string& folder) {
  const int fd = OsLayer().Open(folder, O_RDONLY | O_DIRECTORY, 0);
  if (fd < 0) return 0;
  const int rc = OsLayer().Fsync(fd);
  OsLayer().Close(fd);
  return rc < 0 && rc != -EINVAL && rc != -ENOTSUP ? -rc : 0;
}

// Keeps the old target under a second name (a hard link; renamed aside where links are refused);
// backup stays "" when there is no old file.
int KeepOld(const std::string& target, std::string& backup) {
  struct stat st{};
  if (OsLayer().Stat(target, st, false) < 0) return 0;
  for (const bool link : {true, false}) {
    for (int tries = 0; tries < kMaxNameTries; ++tries) {
      const std::string name = TempNameFor(target);
      const int rc = link ? OsLayer().Link(target, name) : OsLayer().Rename(target, name);
      if (rc == -EEXIST) continue;
      if (rc == 0) backup = name;
      if (rc == 0 || !link) return -rc;
      break;
    }
  }
  return EEXIST;
}

}  // namespace

// [SECTION] TFileReplacement

TFileReplacement::~TFileReplacement() { Discard(); }

TFileReplacement::TFileReplacement(TFileReplacement&& other) noexcept { *this = std::move(other); }

TFileReplacement& TFileReplacement::operator=(TFileReplacement&& other) noexcept {
  if (this == &other) return *this;
  Discard();
  FFileName = std::move(other.FFileName);
  FTarget = std::move(other.FTarget);
  FTemp = std::exchange(other.FTemp, std::string());
  FHandle = std::exchange(other.FHandle, -1);
  FMode = other.FMode;
  FError = other.FError;
  FActive = std::exchange(other.FActive, false);
  FPrepared = std::exchange(other.FPrepared, false);
  FUnnamed = std::exchange(other.FUnnamed, false);
  return *this;
}

int TFileReplacement::Begin(const String& fileName) {
  Discard();
  FFileName = fileName;
  FError = 0;
  FMode = -1;
  if (fileName.empty()) return ENOENT;
  std::string target;
  if (const int e = ResolveLinks(NativePath(fileName), target)) return e;
  if (target.back() == '/') return EISDIR;
  struct stat st{};
  const bool exists = OsLayer().Stat(target, st, true) == 0;
  if (exists && S_ISDIR(st.st_mode)) return EISDIR;
  if (exists && !S_ISREG(st.st_mode)) {
    FHandle = OsLayer().Open(target, O_WRONLY | O_TRUNC, 0);  // a device or a pipe: nothing to keep
  } else {
    if (const int e = exists ? CheckWritable(target) : 0) return e;
    if (exists) FMode = static_cast<int>(st.st_mode & 07777);
    RemoveStaleTemps(target);
    FHandle = CreateTemp(target, exists ? 0600 : 0666, FTemp, FUnnamed);  // private until it has the old bits
  }
  if (FHandle < 0) return -std::exchange(FHandle, -1);
  FTarget = target;
  FActive = true;
  return 0;
}

void TFileReplacement::Fail(int errnoValue) {
  if (FError == 0) FError = errnoValue != 0 ? errnoValue : EIO;
}

int TFileReplacement::Prepare() {
  if (!FActive) return FError != 0 ? FError : EBADF;
  if (FPrepared) return 0;
  int rc = -FError;
  if (rc == 0 && FUnnamed) rc = GiveName();
  if (rc == 0 && FMode >= 0) rc = OsLayer().FChMod(FHandle, FMode);  // before the flush, which then keeps it
  if (rc == 0 && !FTemp.empty()) rc = OsLayer().Fsync(FHandle);
  const int closed = OsLayer().Close(std::exchange(FHandle, -1));
  if (rc == 0) rc = closed;
  if (rc < 0) {
    Discard();
    return -rc;
  }
  FPrepared = true;
  return 0;
}

// Names the unnamed temporary for the rename: a link through /proc, else a copy into a named temporary.
int TFileReplacement::GiveName() {
  FUnnamed = false;
  if (LinkTemp(FHandle, FTarget, FTemp) == 0) return 0;
  const int named = CreateNamedTemp(FTarget, FMode >= 0 ? 0600 : 0666, FTemp);
  if (named < 0) return named;
  const int unnamed = std::exchange(FHandle, named);
  const int rc = CopyAll(unnamed, named);
  OsLayer().Close(unnamed);
  return rc;
}

int TFileReplacement::Commit() {
  if (const int e = Prepare()) return e;
  if (FTemp.empty()) {
    FActive = false;  // written in place
    return 0;
  }
  if (const int e = Rename()) return e;
  return FlushFolder(FolderOf(FTarget));
}

int TFileReplacement::Rename() {
  if (const int rc = OsLayer().RenameReplacing(FTemp, FTarget); rc < 0) {
    Discard();
    return -rc;
  }
  FTemp.clear();
  FActive = false;
  return 0;
}

void TFileReplacement::Discard() {
  if (FHandle >= 0) OsLayer().Close(std::exchange(FHandle, -1));
  if (FActive && !FTemp.empty()) OsLayer().Unlink(FTemp);
  FTemp.clear();
  FActive = false;
  FPrepared = false;
  FUnnamed = false;
}

// [SECTION] TSaveGroup

TSaveGroup::~TSaveGroup() { Discard(); }

void TSaveGroup::Add(TFileReplacement&& file) { FFiles.push_back(std::move(file)); }

void TSaveGroup::Abandon(TFileReplacement&& file, int errnoValue) {
  file.Fail(errnoValue != 0 ? errnoValue : ECANCELED);
  FFiles.push_back(std::move(file));
}

int TSaveGroup::Commit() {
  FFailedFile.clear();
  for (std::size_t i = 0; i < FFiles.size(); ++i)
    if (const int e = FFiles[i].Prepare()) return Fail(i, e);
  return Publish();
}

void TSaveGroup::Discard() {
  for (TFileReplacement& file : FFiles) file.Discard();
  FFiles.clear();
}

int TSaveGroup::Fail(std::size_t index, int errnoValue) {
  FFailedFile = FFiles[index].FileName();
  Discard();
  return errnoValue;
}

int TSaveGroup::Publish() {
  std::vector<std::string> backups(FFiles.size());
  for (std::size_t i = 0; i < FFiles.size(); ++i) {
    TFileReplacement& file = FFiles[i];
    if (file.FTemp.empty()) continue;  // written in place
    const bool last = i + 1 == FFiles.size();
    const int kept = last ? 0 : KeepOld(file.FTarget, backups[i]);
    const int renamed = kept != 0 ? -kept : OsLayer().RenameReplacing(file.FTemp, file.FTarget);
    if (renamed < 0) {
      PutBack(i, backups);
      return Fail(i, -renamed);
    }
    file.FTemp.clear();
    file.FActive = false;
  }
  int flushed = 0;
  for (std::size_t i = 0; i < FFiles.size(); ++i) {
    if (!backups[i].empty()) OsLayer().Unlink(backups[i]);
    const std::string folder = FolderOf(FFiles[i].FTarget);
    if (i > 0 && folder == FolderOf(FFiles[i - 1].FTarget)) continue;  // flushed already
    const int rc = FlushFolder(folder);
    if (flushed == 0 && rc != 0) FFailedFile = FFiles[i].FileName();
    if (flushed == 0) flushed = rc;
  }
  FFiles.clear();
  return flushed;
}

// Undoes the renames of files 0..failed-1 and the setting aside of file `failed`.
void TSaveGroup::PutBack(std::size_t failed, const std::vector<std::string>& backups) {
  for (std::size_t k = 0; k <= failed; ++k) {
    const std::string& target = FFiles[k].FTarget;
    if (!backups[k].empty()) {
      OsLayer().RenameReplacing(backups[k], target);  // two names of one file: the backup stays, see below
      OsLayer().Unlink(backups[k]);
    } else if (k < failed) {
      OsLayer().Unlink(target);  // there was no old file
    }
  }
}

void RemoveStaleTemporaries(const String& fileName) {
  std::string target;
  if (!fileName.empty() && ResolveLinks(NativePath(fileName), target) == 0) RemoveStaleTemps(target);
}

String SaveFailureText(const String& fileName, int errnoValue) {
  return u"Cannot write file \"" + fileName + u"\". " + OsErrorMessage(errnoValue);
}

}  // namespace qelta
