#include "Trash.h"

// The record is written before the move: a crash in between leaves a record without a file, which the
// trash layout tolerates, and never a file that nobody can restore.

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "DateUtils.h"
#include "Encoding.h"
#include "FileSys.h"
#include "OsLayer.h"

namespace qelta {

namespace {

constexpr int kMaxNameTries = 10000;

String DefaultTrashFolder() {
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return Utf8ToString(x) + u"/Trash";
  if (const char* h = std::getenv("HOME"); h && *h) return Utf8ToString(h) + u"/.local/share/Trash";
  return GetTempPath() + u"Trash";
}

// Never destroyed, like the platform's other settings (FileSys.cpp).
String& TrashSetting() {
  static auto* folder = new String(DefaultTrashFolder());
  return *folder;
}

// Creates a private folder unless a directory is there already.
bool EnsureFolder(const std::string& path) {
  const int rc = OsLayer().MkDir(path, 0700);
  struct stat st{};
  return rc == 0 || (rc == -EEXIST && OsLayer().Stat(path, st, true) == 0 && S_ISDIR(st.st_mode));
}

// Percent-encodes every byte of a native path except the unreserved characters and '/'.
std::string EncodePath(const std::string& path) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const int64_t n = OsLayer().Write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Creates the record info/<name>.trashinfo exclusively: 1 written, 0 the name is taken, -1 failure.
int WriteRecord(const std::string& record, const std::string& text) {
  const int fd = OsLayer().Open(record, O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd == -EEXIST) return 0;
  if (fd < 0) return -1;
  const bool written = WriteAll(fd, text);
  if (OsLayer().Close(fd) == 0 && written) return 1;
  OsLayer().Unlink(record);
  return -1;
}

std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

String TrashFolder() { return TrashSetting(); }

void SetTrashFolder(const String& path) { TrashSetting() = path.empty() ? DefaultTrashFolder() : path; }

bool MoveToTrash(const String& fileName) {
  if (fileName.empty()) return false;
  std::string source = NativePath(ExpandFileName(fileName));
  while (source.size() > 1 && source.back() == '/') source.pop_back();
  const std::string base = BaseName(source);
  struct stat st{};
  if (base.empty() || base == "/" || OsLayer().Stat(source, st, false) < 0) return false;

  const String folder = ExcludeTrailingPathDelimiter(TrashFolder());
  const std::string trash = NativePath(folder);
  const String parent = ExtractFileDir(folder);
  if (!parent.empty() && !ForceDirectories(parent)) return false;
  if (!EnsureFolder(trash) || !EnsureFolder(trash + "/files") || !EnsureFolder(trash + "/info")) return false;

  const std::string text = "[Trash Info]\nPath=" + EncodePath(source) + "\nDeletionDate=" +
                           StringToUtf8(FormatDateTime(u"yyyy-mm-dd\"T\"hh:nn:ss", Now())) + "\n";
  for (int n = 1; n <= kMaxNameTries; ++n) {
    const std::string name = n == 1 ? base : base + "." + std::to_string(n);
    const std::string record = trash + "/info/" + name + ".trashinfo";
    const int made = WriteRecord(record, text);
    if (made < 0) return false;
    if (made == 0) continue;
    const int rc = OsLayer().Rename(source, trash + "/files/" + name);
    if (rc == 0) return true;
    OsLayer().Unlink(record);
    if (rc != -EEXIST) return false;  // a file without a record holds the name: try the next one
  }
  return false;
}

}  // namespace qelta
