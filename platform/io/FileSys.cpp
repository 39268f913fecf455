#include "FileSys.h"

// Directory search lists the directory once (FindFirst), sorts the names and filters them as FindNext
// walks on; an entry that vanished in between is skipped. Attributes come from lstat, so a symbolic link
// is reported as a link and never as a directory. Every OS call goes through the seam of OsLayer.h.

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cmath>
#include <ctime>

#include "Encoding.h"
#include "Exceptions.h"
#include "OsLayer.h"

extern char** environ;

namespace qelta {

namespace platform_detail {
struct TFindState {
  std::string Dir;                 // native directory, "" for the current one
  String Mask;
  std::vector<std::string> Names;  // "." and ".." first when asked for
  std::size_t Next = 0;
  int Attr = 0;
};
}  // namespace platform_detail

namespace {

// [SECTION] drive table and special directories

struct TDriveEntry {
  String MountPoint;
  int Type = DRIVE_NO_ROOT_DIR;
};

// The drive table and the folder settings are never destroyed: a component released at exit (a
// database writing its indexes as Application's forms go) still maps its paths.
std::array<TDriveEntry, 26>& Drives() {
  static auto* drives = new std::array<TDriveEntry, 26>([] {
    std::array<TDriveEntry, 26> d{};
    d[2].MountPoint.push_back(u'/');
    d[2].Type = DRIVE_FIXED;
    return d;
  }());
  return *drives;
}

int DriveIndex(Char drive) {
  if (drive >= u'a' && drive <= u'z') return drive - u'a';
  if (drive >= u'A' && drive <= u'Z') return drive - u'A';
  return -1;
}

String EnvOr(const char* name, const String& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? Utf8ToString(v) : fallback;
}

String DataDir(const char* leaf) {
  const String tail = Utf8ToString(std::string("/qelta/") + leaf);
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return Utf8ToString(x) + tail;
  if (const char* h = std::getenv("HOME"); h && *h) return Utf8ToString(h) + u"/.local/share" + tail;
  return u"/tmp" + tail;
}

String& TempPathSetting() {
  static auto* path = new String(IncludeTrailingPathDelimiter(EnvOr("TMPDIR", u"/tmp/")));
  return *path;
}

String& SystemDirSetting() {
  static auto* path = new String(DataDir("system"));
  return *path;
}

String& WindowsDirSetting() {
  static auto* path = new String(DataDir("windows"));
  return *path;
}

// [SECTION] helpers

bool IsSep(Char c) { return c == u'/' || c == u'\\'; }

bool HasDrive(const String& s) { return s.size() >= 2 && s[1] == u':' && DriveIndex(s[0]) >= 0; }

// Index of the last separator (or of a drive colon), npos when none.
std::size_t LastDelimiter(const String& s) {
  for (std::size_t i = s.size(); i-- > 0;)
    if (IsSep(s[i]) || (i == 1 && HasDrive(s))) return i;
  return String::npos;
}

int ErrnoCode(int err) {
  switch (err) {
    case ENOENT: return 2;
    case ENOTDIR: case ENAMETOOLONG: case ELOOP: return 3;
    default: return 5;
  }
}

Char LowerA(Char c) { return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c; }

bool Glob(const String& name, std::size_t n, const String& mask, std::size_t m) {
  std::size_t starN = String::npos, starM = String::npos;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == u'?' || LowerA(mask[m]) == LowerA(name[n]))) { ++n; ++m; }
    else if (m < mask.size() && mask[m] == u'*') { starM = m++; starN = n; }
    else if (starM != String::npos) { m = starM + 1; n = ++starN; }
    else return false;
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

// Local time of a Unix time as TDateTime.
TDateTime UnixToDateTime(int64_t seconds, int64_t nanoseconds) {
  const time_t t = static_cast<time_t>(seconds);
  tm local{};
  localtime_r(&t, &local);
  const double s = static_cast<double>(seconds + local.tm_gmtoff) + static_cast<double>(nanoseconds) / 1e9;
  return s / 86400.0 + 25569.0;
}

constexpr int32_t kFirstFileDate = ((1 << 5) | 1) << 16;  // 1980-01-01 00:00:00

// Packs a local date and time; years outside 1980..2107 are clamped to the first or last DOS moment.
int32_t PackFileDate(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) return kFirstFileDate;
  if (year > 2107) return PackFileDate(2107, 12, 31, 23, 59, 58);
  const uint32_t date = (static_cast<uint32_t>(year - 1980) << 9) | (static_cast<uint32_t>(month) << 5) |
                        static_cast<uint32_t>(day);
  const uint32_t time = (static_cast<uint32_t>(hour) << 11) | (static_cast<uint32_t>(minute) << 5) |
                        static_cast<uint32_t>(second / 2);
  return static_cast<int32_t>((date << 16) | time);
}

int32_t UnixToFileDate(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  tm l{};
  localtime_r(&t, &l);
  return PackFileDate(l.tm_year + 1900, l.tm_mon + 1, l.tm_mday, l.tm_hour, l.tm_min, l.tm_sec);
}

// Days since 1899-12-30 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t days, int& y, int& m, int& d) {
  const int64_t z = days - 25569 + 719468;  // 1970-01-01 is day 25569
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int64_t FileDateToUnix(int32_t age) {
  const auto u = static_cast<uint32_t>(age);
  tm l{};
  l.tm_year = static_cast<int>((u >> 25) & 0x7F) + 80;
  l.tm_mon = static_cast<int>((u >> 21) & 0x0F) - 1;
  l.tm_mday = static_cast<int>((u >> 16) & 0x1F);
  l.tm_hour = static_cast<int>((u >> 11) & 0x1F);
  l.tm_min = static_cast<int>((u >> 5) & 0x3F);
  l.tm_sec = static_cast<int>(u & 0x1F) * 2;
  l.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&l));
}

int AttrOf(const struct stat& st, const std::string& name) {
  int attr = 0;
  if (S_ISLNK(st.st_mode)) attr |= faSymLink;
  else if (S_ISDIR(st.st_mode)) attr |= faDirectory;
  else if (!S_ISREG(st.st_mode)) attr |= faSysFile;
  if ((st.st_mode & 0222) == 0 && !S_ISLNK(st.st_mode)) attr |= faReadOnly;
  if (name.size() > 1 && name[0] == '.' && name != "..") attr |= faHidden;
  return attr;
}

std::string LastComponent(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  const std::size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// Fills f from directory entry `name` of the search; false when it vanished or is filtered out.
bool Describe(platform_detail::TFindState& s, const std::string& name, TSearchRec& f) {
  const std::string path = (s.Dir.empty() ? std::string(".") : s.Dir) + "/" + name;
  struct stat st{};
  if (OsLayer().Stat(path, st, false) < 0) return false;
  const int attr = (name == "." || name == "..") ? faDirectory : AttrOf(st, name);
  if ((attr & f.ExcludeAttr) != 0) return false;
  f.Name = Utf8ToString(name);
  f.Attr = attr;
  f.Size = S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : 0;
  f.Time = UnixToFileDate(st.st_mtim.tv_sec);
  f.TimeStamp = UnixToDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  return true;
}

int64_t DriveSpace(uint8_t drive, bool freeOnly) {
  std::string path;
  if (drive == 0) {
    if (OsLayer().GetCwd(path) < 0) return -1;
  } else {
    if (drive > 26) return -1;
    const String root = DriveMountPoint(static_cast<Char>(u'A' + drive - 1));
    if (root.empty()) return -1;
    path = NativePath(root);
  }
  struct statvfs st{};
  if (OsLayer().StatVfs(path, st) < 0) return -1;
  return static_cast<int64_t>(st.f_frsize) * static_cast<int64_t>(freeOnly ? st.f_bavail : st.f_blocks);
}

bool StatName(const String& name, struct stat& st, bool follow) {
  return !name.empty() && OsLayer().Stat(NativePath(name), st, follow) == 0;
}

}  // namespace

// [SECTION] directory search

bool MatchesMask(const String& name, const String& mask) {
  if (mask == u"*.*" || mask == u"*") return true;
  if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, u".*") == 0 && name.find(u'.') == String::npos &&
      Glob(name, 0, mask.substr(0, mask.size() - 2), 0))
    return true;  // "x.*" also matches "x"
  if (!mask.empty() && mask.back() == u'.' && mask.find_first_not_of(u"*?") == mask.size() - 1)
    return name.find(u'.') == String::npos;  // "*." matches names without a point
  return Glob(name, 0, mask, 0);
}

int FindFirst(const String& path, int attr, TSearchRec& f) {
  FindClose(f);
  const std::size_t delim = LastDelimiter(path);
  auto s = std::make_shared<platform_detail::TFindState>();
  const String dirPart = delim == String::npos ? String() : path.substr(0, delim + 1);
  s->Dir = dirPart.empty() ? std::string() : NativePath(dirPart);
  s->Mask = path.substr(delim == String::npos ? 0 : delim + 1);
  s->Attr = attr;
  const int rc = OsLayer().ListDir(s->Dir.empty() ? "." : s->Dir, s->Names);
  if (rc < 0) return rc == -ENOENT || rc == -ENOTDIR ? 3 : 5;
  std::sort(s->Names.begin(), s->Names.end());
  if (attr & faDirectory) s->Names.insert(s->Names.begin(), {".", ".."});
  f.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  f.FindHandle = s;
  if (FindNext(f) == 0) return 0;
  FindClose(f);
  return 2;
}

int FindNext(TSearchRec& f) {
  platform_detail::TFindState* s = f.FindHandle.get();
  if (!s) return 18;
  while (s->Next < s->Names.size()) {
    const std::string& name = s->Names[s->Next++];
    if (MatchesMask(Utf8ToString(name), s->Mask) && Describe(*s, name, f)) return 0;
  }
  return 18;
}

void FindClose(TSearchRec& f) { f.FindHandle.reset(); }

// [SECTION] attributes and dates

int FileGetAttr(const String& fileName, bool followLink) {
  struct stat st{};
  if (!StatName(fileName, st, followLink) && !(followLink && StatName(fileName, st, false))) return -1;
  return AttrOf(st, LastComponent(NativePath(fileName)));
}

int FileSetAttr(const String& fileName, int attr) {
  struct stat st{};
  if (fileName.empty()) return 2;
  const std::string path = NativePath(fileName);
  if (const int rc = OsLayer().Stat(path, st, false); rc < 0) return ErrnoCode(-rc);
  if (S_ISLNK(st.st_mode)) return 5;
  const mode_t mode = (attr & faReadOnly) ? (st.st_mode & ~0222) : ((st.st_mode & 0222) ? st.st_mode : st.st_mode | S_IWUSR);
  if (mode == st.st_mode) return 0;
  const int rc = OsLayer().ChMod(path, static_cast<int>(mode & 07777));
  return rc < 0 ? ErrnoCode(-rc) : 0;
}

int32_t FileAge(const String& fileName) {
  struct stat st{};
  if (!StatName(fileName, st, true) || S_ISDIR(st.st_mode)) return -1;
  return UnixToFileDate(st.st_mtim.tv_sec);
}

bool FileAge(const String& fileName, TDateTime& dateTime) {
  struct stat st{};
  if (!StatName(fileName, st, true) || S_ISDIR(st.st_mode)) return false;
  dateTime = UnixToDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  return true;
}

int32_t FileGetDate(int handle) {
  struct stat st{};
  if (handle < 0 || OsLayer().FStat(handle, st) < 0) return -1;
  return UnixToFileDate(st.st_mtim.tv_sec);
}

int FileSetDate(int handle, int32_t age) {
  if (handle < 0) return 6;
  const int rc = OsLayer().FSetTime(handle, FileDateToUnix(age));
  return rc < 0 ? ErrnoCode(-rc) : 0;
}

int FileSetDate(const String& fileName, int32_t age) {
  struct stat st{};
  if (fileName.empty()) return 2;
  const std::string path = NativePath(fileName);
  if (const int rc = OsLayer().Stat(path, st, false); rc < 0) return ErrnoCode(-rc);
  if (S_ISLNK(st.st_mode)) return 5;
  const int rc = OsLayer().SetTime(path, FileDateToUnix(age));
  return rc < 0 ? ErrnoCode(-rc) : 0;
}

TDateTime FileDateToDateTime(int32_t age) {
  const auto u = static_cast<uint32_t>(age);
  const int year = static_cast<int>((u >> 25) & 0x7F) + 1980, month = static_cast<int>((u >> 21) & 0x0F);
  const int day = static_cast<int>((u >> 16) & 0x1F);
  // Days from civil (proleptic Gregorian), then from 1899-12-30.
  const int y = year - (month <= 2);
  const int era = y / 400, yoe = y - era * 400;
  const int mp = (month + 9) % 12, doy = (153 * mp + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const double days = era * 146097.0 + doe - 719468.0 + 25569.0;
  const double secs = ((u >> 11) & 0x1F) * 3600.0 + ((u >> 5) & 0x3F) * 60.0 + (u & 0x1F) * 2.0;
  return days + secs / 86400.0;
}

int32_t DateTimeToFileDate(TDateTime dateTime) {
  if (!(dateTime >= 29221.0)) return kFirstFileDate;  // before 1980 (or NaN): 1980-01-01 00:00:00
  if (dateTime >= 75970.0) return PackFileDate(2107, 12, 31, 23, 59, 58);
  auto day = static_cast<int64_t>(std::floor(dateTime));
  auto secs = static_cast<int64_t>(std::floor((dateTime - static_cast<double>(day)) * 86400.0 + 0.5));
  if (secs >= 86400) { ++day; secs -= 86400; }
  int y = 0, m = 0, d = 0;
  CivilFromDays(day, y, m, d);
  return PackFileDate(y, m, d, static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
}

// [SECTION] files and directories

bool FileExists(const String& fileName) {
  struct stat st{};
  return StatName(fileName, st, true) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const String& dirName) {
  struct stat st{};
  return StatName(dirName, st, true) && S_ISDIR(st.st_mode);
}

bool DeleteFile(const String& fileName) {
  struct stat st{};
  if (!StatName(fileName, st, false) || S_ISDIR(st.st_mode)) return false;
  return OsLayer().Unlink(NativePath(fileName)) == 0;
}

bool RenameFile(const String& oldName, const String& newName) {
  if (oldName.empty() || newName.empty()) return false;
  return OsLayer().Rename(NativePath(oldName), NativePath(newName)) == 0;
}

bool RenameFileReplacing(const String& oldName, const String& newName) {
  struct stat st{};
  if (!StatName(oldName, st, false) || S_ISDIR(st.st_mode)) return false;
  if (StatName(newName, st, false) && S_ISDIR(st.st_mode)) return false;
  return OsLayer().RenameReplacing(NativePath(oldName), NativePath(newName)) == 0;
}

bool CreateDir(const String& dirName) { return !dirName.empty() && OsLayer().MkDir(NativePath(dirName), 0777) == 0; }

bool ForceDirectories(const String& dirName) {
  if (dirName.empty()) throw EInOutError("Unable to create directory", 3);
  const String dir = ExcludeTrailingPathDelimiter(dirName);
  if (dir.empty() || DirectoryExists(dir)) return true;
  const String parent = ExtractFileDir(dir);
  if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
  return CreateDir(dir) || DirectoryExists(dir);
}

bool RemoveDir(const String& dirName) {
  struct stat st{};
  if (!StatName(dirName, st, false) || !S_ISDIR(st.st_mode)) return false;
  return OsLayer().RmDir(NativePath(dirName)) == 0;
}

String GetCurrentDir() {
  std::string path;
  return OsLayer().GetCwd(path) < 0 ? String() : Utf8ToString(path);
}

bool SetCurrentDir(const String& dirName) { return !dirName.empty() && OsLayer().ChDir(NativePath(dirName)) == 0; }

// [SECTION] names

String ExpandFileName(const String& fileName) {
  if (fileName.empty()) return String();
  String p = Utf8ToString(NativePath(fileName));
  const bool trailing = IsSep(fileName.back());
  if (p.empty() || p[0] != u'/') p = GetCurrentDir() + u"/" + p;
  std::vector<String> parts;
  for (std::size_t i = 0; i <= p.size();) {
    std::size_t j = p.find(u'/', i);
    if (j == String::npos) j = p.size();
    const String part = p.substr(i, j - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  String out;
  for (const String& part : parts) out += u"/" + part;
  if (out.empty() || trailing) out.push_back(u'/');
  return out;
}

String ExtractFilePath(const String& fileName) {
  const std::size_t i = LastDelimiter(fileName);
  return i == String::npos ? String() : fileName.substr(0, i + 1);
}

String ExtractFileDir(const String& fileName) {
  std::size_t i = LastDelimiter(fileName);
  if (i == String::npos) return String();
  const bool atRoot = i == 0 || IsSep(fileName[i - 1]) || (i == 2 && HasDrive(fileName));
  if (IsSep(fileName[i]) && !atRoot) return fileName.substr(0, i);
  return fileName.substr(0, i + 1);
}

String ExtractFileName(const String& fileName) {
  const std::size_t i = LastDelimiter(fileName);
  return i == String::npos ? fileName : fileName.substr(i + 1);
}

String ExtractFileExt(const String& fileName) {
  const std::size_t dot = fileName.rfind(u'.');
  const std::size_t delim = LastDelimiter(fileName);
  if (dot == String::npos || (delim != String::npos && dot < delim)) return String();
  return fileName.substr(dot);
}

String ChangeFileExt(const String& fileName, const String& extension) {
  const String ext = ExtractFileExt(fileName);
  return fileName.substr(0, fileName.size() - ext.size()) + extension;
}

String IncludeTrailingPathDelimiter(const String& path) {
  if (!path.empty() && IsSep(path.back())) return path;
  return path + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& path) {
  if (!path.empty() && IsSep(path.back())) return path.substr(0, path.size() - 1);
  return path;
}

// [SECTION] special directories and environment

String GetTempPath() { return TempPathSetting(); }
void SetTempPath(const String& path) { TempPathSetting() = IncludeTrailingPathDelimiter(path); }
String GetSystemDirectory() { return SystemDirSetting(); }
void SetSystemDirectory(const String& path) { SystemDirSetting() = ExcludeTrailingPathDelimiter(path); }
String GetWindowsDirectory() { return WindowsDirSetting(); }
void SetWindowsDirectory(const String& path) { WindowsDirSetting() = ExcludeTrailingPathDelimiter(path); }

String GetEnvironmentVariable(const String& name) {
  if (name.empty() || name.find(u'=') != String::npos) return String();
  const char* v = std::getenv(StringToUtf8(name).c_str());
  return v ? Utf8ToString(v) : String();
}

std::vector<String> GetEnvironmentStrings() {
  std::vector<String> out;
  for (char** e = environ; e && *e; ++e) out.push_back(Utf8ToString(*e));
  return out;
}

// [SECTION] drives

void SetDrive(Char drive, const String& mountPoint, int driveType) {
  const int i = DriveIndex(drive);
  if (i < 0) return;
  TDriveEntry& e = Drives()[static_cast<std::size_t>(i)];
  e.MountPoint = mountPoint;
  e.Type = mountPoint.empty() ? DRIVE_NO_ROOT_DIR : driveType;
}

String DriveMountPoint(Char drive) {
  const int i = DriveIndex(drive);
  return i < 0 ? String() : Drives()[static_cast<std::size_t>(i)].MountPoint;
}

int GetDriveType(const String& root) {
  if (!HasDrive(root) || root.size() > 3 || (root.size() == 3 && !IsSep(root[2]))) return DRIVE_NO_ROOT_DIR;
  const TDriveEntry& e = Drives()[static_cast<std::size_t>(DriveIndex(root[0]))];
  if (e.MountPoint.empty() || !DirectoryExists(e.MountPoint)) return DRIVE_NO_ROOT_DIR;
  return e.Type;
}

int64_t DiskFree(uint8_t drive) { return DriveSpace(drive, true); }
int64_t DiskSize(uint8_t drive) { return DriveSpace(drive, false); }

bool GetDiskFreeSpace(const String& root, uint64_t& sectorsPerCluster, uint64_t& bytesPerSector,
                      uint64_t& freeClusters, uint64_t& totalClusters) {
  if (root.empty()) return false;
  if (HasDrive(root) && GetDriveType(root.substr(0, std::min<std::size_t>(root.size(), 3))) == DRIVE_NO_ROOT_DIR)
    return false;
  struct statvfs st{};
  if (OsLayer().StatVfs(NativePath(root), st) < 0) return false;
  sectorsPerCluster = 1;
  bytesPerSector = st.f_frsize;
  freeClusters = st.f_bavail;
  totalClusters = st.f_blocks;
  return true;
}

bool DriveIsReadOnly(Char drive) {
  const String root = DriveMountPoint(drive);
  struct statvfs st{};
  if (root.empty() || OsLayer().StatVfs(NativePath(root), st) < 0) return false;
  return (st.f_flag & ST_RDONLY) != 0;
}

}  // namespace qelta
