#include "RecordFiles.h"

// Transfers go straight to the OS: every Read, Write, BlockRead and BlockWrite seeks to its record's
// byte offset and loops until the whole block moved, so a short OS read or write is retried and only
// the end of the file or a refusing medium ends a transfer. The position then counts the whole
// records that did move.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "Exceptions.h"
#include "OsLayer.h"
#include "TextFiles.h"

namespace qelta {
namespace {

[[noreturn]] void Raise(int code) { throw EInOutError(InOutErrorMessage(code), code); }

}  // namespace

// The routines' access to a file variable's state.
struct RecordFileAccess {
  static void CheckOpen(const TRecordFile& f) {
    if (!f.IsOpen()) Raise(103);
  }
  static void Opened(TRecordFile& f, int handle) {
    f.FHandle = handle;
    f.FPos = 0;
    f.FWriteError = 0;
  }
  static void Open(TRecordFile& f, int flags) {
    if (f.IsOpen()) CloseChecked(f);
    Opened(f, OpenFileVariable(f.FName, flags));
  }
  static void OpenReplacing(TRecordFile& f, TSaveGroup* group) {
    if (f.IsOpen()) CloseChecked(f);
    if (f.FName.empty()) Raise(102);
    if (const int e = f.FReplacement.Begin(f.FName)) Raise(InOutErrorCode(e, false));
    Opened(f, f.FReplacement.Handle());
    f.FGroup = group;
  }
  static void Assign(TRecordFile& f, const String& name) {
    Close(f);
    f.FName = name;
  }
  static int64_t& Position(TRecordFile& f) { return f.FPos; }
  // Closes; a replacement is committed (or handed to its group). 0 or the errno of the failure.
  static int CloseOrCommit(TRecordFile& f) {
    const int handle = std::exchange(f.FHandle, -1);
    f.FPos = 0;
    if (!f.FReplacement.Active()) return -std::min(OsLayer().Close(handle), 0);
    if (f.FWriteError != 0) f.FReplacement.Fail(f.FWriteError);
    TSaveGroup* group = std::exchange(f.FGroup, nullptr);
    if (group == nullptr) return f.FReplacement.Commit();
    const int e = f.FReplacement.Error();
    group->Add(std::move(f.FReplacement));  // a failed file fails the group's Commit too
    return e;
  }
  static void CloseChecked(TRecordFile& f) {
    CheckOpen(f);
    if (const int e = CloseOrCommit(f)) Raise(InOutErrorCode(e, true));
  }
  // Closes without committing: a replacement is discarded (its group told).
  static void Close(TRecordFile& f) {
    if (f.FReplacement.Active() && f.FGroup != nullptr) f.FGroup->Abandon(std::move(f.FReplacement), f.FWriteError);
    else if (f.FReplacement.Active()) f.FReplacement.Discard();
    else if (f.FHandle >= 0) OsLayer().Close(f.FHandle);
    f.FHandle = -1;
    f.FPos = 0;
    f.FGroup = nullptr;
  }
  static int64_t SizeInBytes(TRecordFile& f) {
    CheckOpen(f);
    struct stat st{};
    const int rc = OsLayer().FStat(f.FHandle, st);
    if (rc < 0) Raise(InOutErrorCode(-rc, false));
    return static_cast<int64_t>(st.st_size);
  }
  static void TruncateAtPosition(TRecordFile& f) {
    CheckOpen(f);
    const int rc = OsLayer().Truncate(f.FHandle, f.FPos * f.FRecordSize);
    if (rc < 0 && f.FWriteError == 0) f.FWriteError = -rc;
    if (rc < 0) Raise(InOutErrorCode(-rc, true));
  }
  static void SeekBytes(TRecordFile& f, bool writing) {
    const int64_t at = OsLayer().Seek(f.FHandle, f.FPos * f.FRecordSize, SEEK_SET);
    if (at < 0) Raise(InOutErrorCode(static_cast<int>(-at), writing));
  }
  // Moves count whole records from the position; the position counts those that moved, then a short
  // transfer raises.
  static void Transfer(TRecordFile& f, void* buffer, const void* source, int64_t count) {
    CheckOpen(f);
    if (count <= 0) return;
    const bool writing = source != nullptr;
    SeekBytes(f, writing);
    const int64_t total = count * f.FRecordSize;
    int64_t done = 0;
    int failure = 0;
    while (done < total) {
      const std::size_t chunk = static_cast<std::size_t>(std::min<int64_t>(total - done, int64_t{1} << 30));
      const int64_t n = writing ? OsLayer().Write(f.FHandle, static_cast<const uint8_t*>(source) + done, chunk)
                                : OsLayer().Read(f.FHandle, static_cast<uint8_t*>(buffer) + done, chunk);
      if (n <= 0) {
        failure = n < 0 ? InOutErrorCode(static_cast<int>(-n), writing) : (writing ? 101 : 100);
        if (writing && f.FWriteError == 0) f.FWriteError = n < 0 ? static_cast<int>(-n) : EIO;
        break;
      }
      done += n;
    }
    f.FPos += done / f.FRecordSize;
    if (failure != 0) Raise(failure);
  }
};

using A = RecordFileAccess;

TRecordFile::TRecordFile(int recordSize) : FRecordSize(std::max(recordSize, 1)) {}

TRecordFile::~TRecordFile() { A::Close(*this); }

// [SECTION] opening and closing

void AssignFile(TRecordFile& f, const String& fileName) { A::Assign(f, fileName); }

void Reset(TRecordFile& f, int mode) { A::Open(f, mode == 0 ? O_RDONLY : (mode == 1 ? O_WRONLY : O_RDWR)); }

void Reset(TRecordFile& f) { Reset(f, FileMode); }

void Rewrite(TRecordFile& f) { A::Open(f, O_RDWR | O_CREAT | O_TRUNC); }

void RewriteReplacing(TRecordFile& f, TSaveGroup* group) { A::OpenReplacing(f, group); }

void CloseFile(TRecordFile& f) { A::CloseChecked(f); }

// [SECTION] position

void Seek(TRecordFile& f, int64_t record) {
  if (record < 0 || record > FileSize(f)) Raise(100);
  A::Position(f) = record;
}

int64_t FilePos(TRecordFile& f) {
  A::CheckOpen(f);
  return A::Position(f);
}

int64_t FileSize(TRecordFile& f) { return A::SizeInBytes(f) / f.RecordSize(); }

bool Eof(TRecordFile& f) { return FilePos(f) >= FileSize(f); }

void Truncate(TRecordFile& f) { A::TruncateAtPosition(f); }

// [SECTION] transfer

void Read(TRecordFile& f, void* record) { A::Transfer(f, record, nullptr, 1); }

void Write(TRecordFile& f, const void* record) { A::Transfer(f, nullptr, record, 1); }

void BlockRead(TRecordFile& f, void* records, int64_t count) { A::Transfer(f, records, nullptr, count); }

void BlockWrite(TRecordFile& f, const void* records, int64_t count) { A::Transfer(f, nullptr, records, count); }

}  // namespace qelta
