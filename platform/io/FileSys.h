#pragma once
// Files, directories, drives and the environment of the runtime, on a POSIX file system.
// Implements: directory search (FindFirst/FindNext/FindClose) with wildcard names, attributes, file
// dates, existence tests, deleting, renaming, creating and removing directories, the current directory,
// path and name helpers, the temporary, "system" and "Windows" directories, environment strings and a
// drive table that maps drive letters to mount points.
// Conventions:
// - Paths take '/' and '\' as separators; "X:" at the start stands for drive X's mount point (C: is "/").
//   PathDelim is '/'. Names are matched by wildcard ignoring the case of A-Z.
// - Attributes: faDirectory for directories, faSymLink (and never faDirectory) for symbolic links,
//   faSysFile for devices, pipes and sockets, faHidden for names beginning with '.', faReadOnly when no
//   write permission bit is set. faArchive and faVolumeID are never reported.
// - Nothing here follows a symbolic link into a directory while walking, and nothing writes through a
//   link: FileSetAttr and FileSetDate(name) refuse links (code 5).
// - Dates are packed DOS date-times of local time (1980..2107, clamped) or TDateTime of local time.
// - Codes answered by FindFirst, FileSetAttr, FileSetDate: 0 ok, 2 file not found, 3 path not found,
//   5 access denied, 18 no more files.
// Does not implement: volume labels, the archive bit, hidden files by attribute, short (8.3) names.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// [attributes]
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faSymLink = 0x400;
constexpr int faAnyFile = 0x3F;

constexpr Char PathDelim = u'/';

namespace platform_detail {
struct TFindState;  // not part of the public interface
}

/// One entry of a directory search.
struct TSearchRec {
  int32_t Time = 0;          ///< packed DOS date-time of the modification (local)
  int64_t Size = 0;          ///< bytes (0 for directories and links)
  int32_t Attr = 0;
  String Name;               ///< name without the directory
  int32_t ExcludeAttr = 0;   ///< special attributes that this search leaves out
  TDateTime TimeStamp = 0;   ///< modification time (local)
  std::shared_ptr<platform_detail::TFindState> FindHandle;
};

// [directory search]
/// Starts a search for path ("dir/pattern"; the directory part as given, "*" and "?" in the name part,
/// "*.*" matching every name). Normal files always match; directories, hidden and system entries only
/// when attr includes their bit. "." and ".." are reported for directory searches. Entries come in name
/// order (byte order of the names). Answers 0 with the first entry in f, 2 when nothing matches,
/// 3 when the directory does not exist, 5 when it cannot be read.
int FindFirst(const String& path, int attr, TSearchRec& f);
/// Next entry: 0, or 18 when there is none.
int FindNext(TSearchRec& f);
/// Ends a search (also safe on a finished or never started one).
void FindClose(TSearchRec& f);
/// True when name matches the wildcard pattern ('*' any run, '?' one character, A-Z without case;
/// "*.*" matches everything, "x.*" also matches "x", "*." only names without a point).
bool MatchesMask(const String& name, const String& mask);

// [attributes and dates]
/// Attributes of a file or directory (of a link's target when followLink), -1 when it does not exist.
int FileGetAttr(const String& fileName, bool followLink = true);
/// Sets faReadOnly (clears all write permissions) or clears it (gives the owner write permission);
/// other bits are ignored. Answers 0 or the code of the failure.
int FileSetAttr(const String& fileName, int attr);
/// Packed DOS modification date-time, -1 when the file does not exist (links followed).
int32_t FileAge(const String& fileName);
/// Modification time as TDateTime; false when the file does not exist.
bool FileAge(const String& fileName, TDateTime& dateTime);
/// Packed DOS date-time of an open file (a TFileStream's Handle), -1 on failure.
int32_t FileGetDate(int handle);
/// Sets the modification (and access) time of an open file; 0 or the code of the failure.
int FileSetDate(int handle, int32_t age);
/// Sets the modification (and access) time of a file by name; 0 or the code of the failure.
int FileSetDate(const String& fileName, int32_t age);
/// Packed DOS date-time to TDateTime (local), and back (clamped to 1980..2107).
TDateTime FileDateToDateTime(int32_t age);
int32_t DateTimeToFileDate(TDateTime dateTime);

// [files and directories] answer false on any failure
bool FileExists(const String& fileName);       ///< exists and is no directory (links followed)
bool DirectoryExists(const String& dirName);   ///< exists and is a directory (links followed)
bool DeleteFile(const String& fileName);       ///< removes a file or a link itself, never a directory
bool RenameFile(const String& oldName, const String& newName);  ///< never replaces an existing newName
/// Renames a file, replacing an existing file newName in one step (a reader sees the old or the new file,
/// never none); false when either name is a directory or the rename fails (e.g. across file systems).
bool RenameFileReplacing(const String& oldName, const String& newName);
bool CreateDir(const String& dirName);
/// Creates the directory and every missing parent; true when it exists afterwards.
/// Raises EInOutError "Unable to create directory" (code 3) for an empty name.
bool ForceDirectories(const String& dirName);
bool RemoveDir(const String& dirName);         ///< only an empty directory, never a link
String GetCurrentDir();
bool SetCurrentDir(const String& dirName);

// [names] '/' and '\' both separate; a drive "X:" counts as a separator at position 2
/// Absolute path: relative to the current directory, "." and ".." resolved, separators as '/';
/// a mapped drive prefix becomes its mount point. Links are not resolved. "" for "".
String ExpandFileName(const String& fileName);
String ExtractFilePath(const String& fileName);   ///< up to and including the last separator
String ExtractFileDir(const String& fileName);    ///< as ExtractFilePath without the separator, except at a root
String ExtractFileName(const String& fileName);   ///< after the last separator
String ExtractFileExt(const String& fileName);    ///< from the last '.' of the name part, "" when none
String ChangeFileExt(const String& fileName, const String& extension);
String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);

// [special directories] configurable; never created by these calls
/// Temporary directory with a trailing separator: TMPDIR, else "/tmp/", unless set.
String GetTempPath();
void SetTempPath(const String& path);
/// Stand-ins for the system and Windows directories (no trailing separator):
/// $XDG_DATA_HOME/qelta/system and .../windows, else ~/.local/share/qelta/..., else /tmp/qelta/..., unless set.
String GetSystemDirectory();
void SetSystemDirectory(const String& path);
String GetWindowsDirectory();
void SetWindowsDirectory(const String& path);

// [environment]
/// Value of an environment variable (exact name), "" when not set.
String GetEnvironmentVariable(const String& name);
/// All environment strings "NAME=value", in the order of the process environment.
std::vector<String> GetEnvironmentStrings();

// [drives]
constexpr int DRIVE_UNKNOWN = 0;
constexpr int DRIVE_NO_ROOT_DIR = 1;
constexpr int DRIVE_REMOVABLE = 2;
constexpr int DRIVE_FIXED = 3;
constexpr int DRIVE_REMOTE = 4;
constexpr int DRIVE_CDROM = 5;
constexpr int DRIVE_RAMDISK = 6;

/// Maps drive letter 'A'..'Z' (either case) to a mount point with a drive type; an empty mount point unmaps.
/// Other letters are ignored. The table starts with C: = "/" (DRIVE_FIXED).
void SetDrive(Char drive, const String& mountPoint, int driveType = DRIVE_FIXED);
/// Mount point that drive letter stands for; empty when unmapped.
String DriveMountPoint(Char drive);
/// Type of the drive of a root such as "C:\" or "c:"; DRIVE_NO_ROOT_DIR when the letter is unmapped, its mount
/// point is no directory or root is malformed.
int GetDriveType(const String& root);
/// Free bytes available to the user on a drive (0 = the current directory's file system, 1 = A, 3 = C); -1 on failure.
int64_t DiskFree(uint8_t drive);
/// Total bytes of a drive (numbered as in DiskFree); -1 on failure.
int64_t DiskSize(uint8_t drive);
/// Space of the file system of a drive root as clusters: one sector per cluster of the fragment size; false on failure.
bool GetDiskFreeSpace(const String& root, uint64_t& sectorsPerCluster, uint64_t& bytesPerSector, uint64_t& freeClusters,
                      uint64_t& totalClusters);
/// True when the drive's file system is mounted read-only; false also for an unmapped drive.
bool DriveIsReadOnly(Char drive);

}  // namespace qelta

QELTA_PUBLIC_END
