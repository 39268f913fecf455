#pragma once
// Files of fixed-size records of the runtime (the classic "file of T"): a file variable with a record
// size, opened with Reset or Rewrite, positioned in whole records with Seek, read and written one record
// or a block of whole records at a time. The caller packs and unpacks the record bytes.
// Implements: unbuffered transfers through the OS seam (OsLayer.h), so a test can inject failed opens,
// short reads and full disks; FileSize and FilePos in whole records (a trailing partial record is not
// counted and cannot be read); Reset opens by FileMode (TextFiles.h) unless a mode is given.
// Every failure raises EInOutError with the runtime's codes and the texts of InOutErrorMessage:
//   2 file not found, 3 path not found, 5 access denied (also a directory), 100 "Disk read error" (a
//   record that reaches past the end of the file, a failed read, a position outside 0..FileSize),
//   101 "Disk write error" (full disk, failed write), 102 no name assigned, 103 file not open.
// Saving: RewriteReplacing writes a temporary file beside the target that CloseFile puts in its place
// (FileReplace.h): a failed write, a failed close or destruction without CloseFile keeps the old file.
// Does not implement: Erase, typed element conversion, share modes.

#include <cstdint>

#include "FileReplace.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// A record-file variable; owns its OS handle and closes it on destruction (a file opened by
/// RewriteReplacing is discarded then).
class TRecordFile {
 public:
  /// A file variable for records of recordSize bytes (at least 1).
  explicit TRecordFile(int recordSize);
  ~TRecordFile();
  TRecordFile(const TRecordFile&) = delete;
  TRecordFile& operator=(const TRecordFile&) = delete;

  int RecordSize() const { return FRecordSize; }
  const String& FileName() const { return FName; }
  bool IsOpen() const { return FHandle >= 0; }

 private:
  friend struct RecordFileAccess;  // the file routines, in RecordFiles.cpp
  String FName;
  int FRecordSize = 1;
  int FHandle = -1;
  int64_t FPos = 0;  ///< record position
  int FWriteError = 0;            ///< errno of the first failed write since opening
  TFileReplacement FReplacement;  ///< the temporary of RewriteReplacing
  TSaveGroup* FGroup = nullptr;   ///< where CloseFile hands a replacement, when set
};

// [opening and closing]
/// Gives the file variable its name (closing it first when open).
void AssignFile(TRecordFile& f, const String& fileName);
/// Opens an existing file at record 0 with access mode 0 (read only), 1 (write only) or 2 (read and
/// write); raises 2, 3, 5, 102. An open file is closed first.
void Reset(TRecordFile& f, int mode);
/// Reset with the runtime's FileMode.
void Reset(TRecordFile& f);
/// Creates or truncates the file and opens it for reading and writing at record 0; raises 3, 5, 102.
void Rewrite(TRecordFile& f);
/// As Rewrite, as a save that never destroys the file there: the records go to a temporary file (read and
/// write, positioned and truncated as usual) that CloseFile puts in the file's place. Raises as Rewrite
/// (101 for a full disk), the old file untouched. With a group, CloseFile hands the file to the group.
void RewriteReplacing(TRecordFile& f, TSaveGroup* group = nullptr);
/// Closes the file; raises 103 when it is not open. A file of RewriteReplacing is committed: raises 101
/// (or the code of the OS's refusal) for a failure now or in an earlier write, the old file kept.
void CloseFile(TRecordFile& f);

// [position]
/// Moves to record `record` (0..FileSize; FileSize is the place to append); raises 100 outside, 103.
void Seek(TRecordFile& f, int64_t record);
/// Current record position; raises 103.
int64_t FilePos(TRecordFile& f);
/// Number of whole records in the file; raises 103.
int64_t FileSize(TRecordFile& f);
/// True when the position is at or past the last whole record; raises 103.
bool Eof(TRecordFile& f);
/// Cuts the file at the position: the records from there on (and a trailing partial record) are removed;
/// raises 103, or the runtime code of the OS's refusal (101 for a file opened read only).
void Truncate(TRecordFile& f);

// [transfer] each advances the position by the records transferred
/// Reads one whole record into `record`; raises 100 when the file ends before it is complete.
void Read(TRecordFile& f, void* record);
/// Writes one record from `record`; raises 101 (or the OS's code) when the medium refuses bytes.
void Write(TRecordFile& f, const void* record);
/// Reads `count` whole records (count >= 0); raises as Read. The records read before a failure stay
/// in `records`.
void BlockRead(TRecordFile& f, void* records, int64_t count);
/// Writes `count` whole records; raises as Write.
void BlockWrite(TRecordFile& f, const void* records, int64_t count);

}  // namespace qelta

QELTA_PUBLIC_END
