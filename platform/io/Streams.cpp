#include "Streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "Encoding.h"
#include "Exceptions.h"
#include "OsLayer.h"

namespace qelta {
namespace {

constexpr int64_t kCopyBlock = 65536;
constexpr std::size_t kReadAhead = 65536;

[[noreturn]] void RaiseBadPosition() { throw EStreamError("Invalid stream position"); }

// Target of a seek, refusing positions before the start and arithmetic overflow.
int64_t SeekTarget(int64_t offset, int64_t base) {
  int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) RaiseBadPosition();
  return target;
}

int OpenFlags(uint16_t mode) {
  if ((mode & 0xFF00) == fmCreate) return O_RDWR | O_CREAT | O_TRUNC;
  switch (mode & 0x0003) {
    case fmOpenRead: return O_RDONLY;
    case fmOpenWrite: return O_WRONLY;
    case fmOpenReadWrite: return O_RDWR;
    default: return -1;
  }
}

// Opens the file and refuses directories, which POSIX lets one open for reading.
int OpenFile(const String& fileName, int flags) {
  if (flags < 0) return -EINVAL;
  TOsLayer& os = OsLayer();
  const int fd = os.Open(NativePath(fileName), flags, 0666);
  if (fd < 0) return fd;
  struct stat st{};
  if (os.FStat(fd, st) == 0 && S_ISDIR(st.st_mode)) {
    os.Close(fd);
    return -EISDIR;
  }
  return fd;
}

}  // namespace

// [SECTION] TStream

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (count <= 0) return 0;
  std::vector<uint8_t> block(static_cast<std::size_t>(std::min(count, kCopyBlock)));
  for (int64_t left = count; left > 0;) {
    const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(block.size()));
    source.ReadBuffer(block.data(), n);
    WriteBuffer(block.data(), n);
    left -= n;
  }
  return count;
}

int64_t TStream::Size() {
  const int64_t position = Seek(0, soFromCurrent);
  const int64_t size = Seek(0, soFromEnd);
  Seek(position, soFromBeginning);
  return size;
}

// [SECTION] TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t size = Size();
  if (count <= 0 || FPosition >= size) return 0;
  const int64_t n = std::min(count, size - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t end = 0;
  if (__builtin_add_overflow(FPosition, count, &end)) return 0;
  if (end > Size()) SetSize(end);
  std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
  FPosition = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == soFromBeginning ? 0 : origin == soFromCurrent ? FPosition : Size();
  FPosition = SeekTarget(offset, base);
  return FPosition;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) RaiseBadPosition();
  try {
    FData.resize(static_cast<std::size_t>(newSize));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EOutOfMemory("Out of memory while expanding memory stream");
  }
  FPosition = std::min(FPosition, newSize);
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const int64_t size = source.Size();
  SetSize(size);
  FPosition = 0;
  source.ReadBuffer(FData.data(), size);
}

void TMemoryStream::SaveToStream(TStream& dest) { dest.WriteBuffer(FData.data(), Size()); }

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const String& fileName) {
  SaveWholeFile(fileName, [this](TStream& file) { SaveToStream(file); });
}

// [SECTION] TFileStream

TFileStream::TFileStream(const String& fileName, uint16_t mode) : FFileName(fileName) {
  const bool create = (mode & 0xFF00) == fmCreate;
  FHandle = OpenFile(fileName, OpenFlags(mode));
  if (FHandle >= 0) return;
  const String text = u"\"" + fileName + u"\". " + OsErrorMessage(-FHandle);
  if (create) throw EFCreateError(u"Cannot create file " + text);
  throw EFOpenError(u"Cannot open file " + text);
}

TFileStream::TFileStream(const String& fileName) : FFileName(fileName), FOwnsHandle(false) {}

TFileStream::~TFileStream() {
  if (FHandle >= 0 && FOwnsHandle) OsLayer().Close(FHandle);
}

int64_t TFileStream::Refill() {
  if (FBuffer.empty()) FBuffer.resize(kReadAhead);
  FBufStart += static_cast<int64_t>(FBufLen);
  FBufPos = FBufLen = 0;
  const int64_t n = OsLayer().Read(FHandle, FBuffer.data(), FBuffer.size());
  if (n > 0) FBufLen = static_cast<std::size_t>(n);
  return n;
}

void TFileStream::DropReadBuffer() {
  if (FBufPos < FBufLen) OsLayer().Seek(FHandle, FBufStart + static_cast<int64_t>(FBufPos), SEEK_SET);
  FBufStart += static_cast<int64_t>(FBufPos);
  FBufPos = FBufLen = 0;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t done = 0;
  auto* bytes = static_cast<uint8_t*>(buffer);
  while (done < count) {
    if (FBufPos == FBufLen && Refill() <= 0) break;  // end of file or an OS failure: the transfer ends short
    const std::size_t n = std::min<std::size_t>(FBufLen - FBufPos, static_cast<std::size_t>(count - done));
    std::memcpy(bytes + done, FBuffer.data() + FBufPos, n);
    FBufPos += n;
    done += static_cast<int64_t>(n);
  }
  return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  DropReadBuffer();
  int64_t done = 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  while (done < count) {
    const int64_t n = OsLayer().Write(FHandle, bytes + done, static_cast<std::size_t>(count - done));
    if (n <= 0) {  // full disk or an OS failure
      if (FWriteError == 0) FWriteError = n < 0 ? static_cast<int>(-n) : EIO;
      break;
    }
    done += n;
  }
  FBufStart += done;
  return done;
}

// The OS position always stands at FBufStart + FBufLen, the end of the read-ahead.
int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == soFromBeginning ? 0
                       : origin == soFromCurrent ? FBufStart + static_cast<int64_t>(FBufPos)
                                                 : Size();
  const int64_t target = SeekTarget(offset, base);
  if (target >= FBufStart && target <= FBufStart + static_cast<int64_t>(FBufLen)) {
    FBufPos = static_cast<std::size_t>(target - FBufStart);  // within the read-ahead: no OS call
    return target;
  }
  if (OsLayer().Seek(FHandle, target, SEEK_SET) < 0) RaiseBadPosition();
  FBufStart = target;
  FBufPos = FBufLen = 0;
  return target;
}

int64_t TFileStream::Size() {
  struct stat st{};
  if (OsLayer().FStat(FHandle, st) < 0) return TStream::Size();
  return static_cast<int64_t>(st.st_size);
}

void TFileStream::SetSize(int64_t newSize) {
  if (newSize < 0) RaiseBadPosition();
  DropReadBuffer();
  const int64_t position = Position();
  if (const int rc = OsLayer().Truncate(FHandle, newSize); rc < 0) {
    if (FWriteError == 0) FWriteError = -rc;
    throw EWriteError("Stream write error");
  }
  if (position > newSize) SetPosition(newSize);
}

// [SECTION] TReplacingFileStream

TReplacingFileStream::TReplacingFileStream(const String& fileName, TSaveGroup* group)
    : TFileStream(fileName), FGroup(group) {
  if (const int e = FFile.Begin(fileName))
    throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + OsErrorMessage(e));
  SetHandle(FFile.Handle());
}

TReplacingFileStream::~TReplacingFileStream() { Discard(); }

void TReplacingFileStream::Commit() {
  if (FCommitted) return;
  SetHandle(-1);
  if (WriteError() != 0) FFile.Fail(WriteError());
  int e = FFile.Error();
  if (FGroup != nullptr) FGroup->Add(std::move(FFile));  // a failed file fails the group's Commit too
  else e = FFile.Commit();
  if (e != 0) throw EWriteError(SaveFailureText(FileName(), e));
  FCommitted = true;
}

void TReplacingFileStream::Discard() {
  SetHandle(-1);
  if (FGroup != nullptr && FFile.Active()) FGroup->Abandon(std::move(FFile), WriteError());
  else FFile.Discard();
}

void SaveWholeFile(const String& fileName, const std::function<void(TStream&)>& write, TSaveGroup* group) {
  TReplacingFileStream file(fileName, group);
  try {
    write(file);
  } catch (const EWriteError&) {
    if (file.WriteError() == 0) throw;
    file.Commit();  // raises the failure with the file's name and the OS's reason
  }
  file.Commit();
}

// [SECTION] TStringStream

TStringStream::TStringStream(const String& s) {
  const AnsiString bytes = StringToAnsi(s);
  WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  SetPosition(0);
}

String TStringStream::DataString() const {
  return AnsiToString(std::string_view(reinterpret_cast<const char*>(Memory()), ByteCount()));
}

}  // namespace qelta
