#pragma once
// Byte streams of the runtime: TStream and its memory, file and string descendants.
// Implements: Read answering the count transferred; ReadBuffer/WriteBuffer raising EReadError
// "Stream read error" / EWriteError "Stream write error" on a short transfer; Position, Size and
// Seek from the beginning, the current position or the end; CopyFrom. Seeking past the end is
// allowed (a read there answers 0, a write there fills the gap with zero bytes); a position before
// the start raises EStreamError "Invalid stream position" and changes nothing.
// TFileStream goes through the OS seam (OsLayer.h); an OS failure during a transfer ends it short.
// TReplacingFileStream and SaveWholeFile save a whole file so that a failure keeps the old one (FileReplace.h).
// Does not implement: share modes (accepted and ignored), handle streams, resource streams.

#include <cstdint>
#include <functional>
#include <vector>

#include "Classes.h"
#include "FileReplace.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

enum TSeekOrigin : uint8_t { soFromBeginning, soFromCurrent, soFromEnd };

// File open modes of TFileStream: one access mode, optionally or-ed with a share mode.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;
/// Creates the file (truncating an existing one) and opens it for reading and writing.
constexpr uint16_t fmCreate = 0xFF00;

/// Abstract byte stream with a position. Descendants implement Read, Write and Seek.
class TStream : public TObject {
 public:
  // [transfer]
  /// Reads up to count bytes at the position; answers the number read (0 at or past the end, or for count <= 0).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  /// Writes up to count bytes at the position; answers the number written (short when the medium refuses).
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  /// Reads exactly count bytes or raises EReadError "Stream read error".
  void ReadBuffer(void* buffer, int64_t count);
  /// Writes exactly count bytes or raises EWriteError "Stream write error".
  void WriteBuffer(const void* buffer, int64_t count);
  /// Copies count bytes from source's position (count 0: all of source from its start); answers the count.
  /// Raises EReadError/EWriteError when either side falls short; a negative count copies nothing.
  int64_t CopyFrom(TStream& source, int64_t count);

  // [position and size]
  /// Moves the position relative to origin and answers the new position (bytes from the start).
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  int64_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(int64_t position) { Seek(position, soFromBeginning); }
  /// Size in bytes.
  virtual int64_t Size();
  /// Grows (zero bytes) or cuts the stream; a position beyond the new end moves to it.
  virtual void SetSize(int64_t newSize) = 0;
};

/// Stream held in memory; Memory() points at Size() bytes (valid until the next size change).
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void SetSize(int64_t newSize) override;

  uint8_t* Memory() { return FData.data(); }
  const uint8_t* Memory() const { return FData.data(); }
  /// Empties the stream (size and position 0).
  void Clear();
  /// Replaces the contents with all of source (from its start); position 0 afterwards.
  void LoadFromStream(TStream& source);
  /// Writes the whole contents to dest at dest's position.
  void SaveToStream(TStream& dest);
  /// Replaces the contents with the file's bytes; raises EFOpenError / EReadError.
  void LoadFromFile(const String& fileName);
  /// Writes the contents as the file (SaveWholeFile: a failure keeps the old file); raises EFCreateError /
  /// EWriteError naming the file and the OS's reason.
  void SaveToFile(const String& fileName);

 protected:
  std::size_t ByteCount() const { return FData.size(); }

 private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

/// Stream over an operating-system file; owns and closes its handle. Reads go through a 64 KiB read-ahead
/// buffer (so byte-by-byte readers stay fast); writes go straight to the OS. The handle's own OS position
/// may therefore run ahead of Position().
class TFileStream : public TStream {
 public:
  /// Opens or creates the file by mode. A failed open raises EFOpenError
  /// "Cannot open file \"name\". <OS message>", a failed create EFCreateError "Cannot create file \"name\". <OS message>".
  TFileStream(const String& fileName, uint16_t mode);
  ~TFileStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t newSize) override;

  const String& FileName() const { return FFileName; }
  /// The OS handle (a file descriptor), for FileGetDate and the like.
  int Handle() const { return FHandle; }
  /// errno of the first write or size change that the OS refused (EIO for a write of nothing); 0 when none.
  int WriteError() const { return FWriteError; }

 protected:
  /// A stream over a handle that a descendant opens and owns (SetHandle), -1 until then.
  explicit TFileStream(const String& fileName);
  void SetHandle(int handle) { FHandle = handle; }

 private:
  /// Gives unread buffered bytes back to the OS position.
  void DropReadBuffer();
  int64_t Refill();

  String FFileName;
  int FHandle = -1;
  bool FOwnsHandle = true;
  int FWriteError = 0;
  std::vector<uint8_t> FBuffer;   ///< read-ahead bytes
  std::size_t FBufPos = 0;        ///< next unread byte of FBuffer
  std::size_t FBufLen = 0;        ///< valid bytes in FBuffer
  int64_t FBufStart = 0;          ///< file offset of FBuffer[0]
};

/// The stream of a save that never destroys the file that is there (FileReplace.h): it writes a
/// temporary file beside fileName, which Commit puts in the file's place. Destruction without Commit, or
/// any write or size change that failed before it, keeps the old file byte for byte. Reading, seeking and
/// SetSize work on what was written so far. Use: `TReplacingFileStream f(name); ...write...; f.Commit();`
/// in place of `TFileStream f(name, fmCreate)`.
class TReplacingFileStream : public TFileStream {
 public:
  /// Creates the temporary; raises EFCreateError "Cannot create file \"name\". <OS message>" (as fmCreate).
  /// With a group, Commit hands the file to the group, whose Commit publishes it with the others.
  explicit TReplacingFileStream(const String& fileName, TSaveGroup* group = nullptr);
  ~TReplacingFileStream() override;

  /// Puts the written bytes in the file's place; raises EWriteError "Cannot write file \"name\". <OS
  /// message>" for a failure now or in an earlier write (the old file kept). The stream is closed after;
  /// a second Commit after a successful one does nothing.
  void Commit();
  /// Drops what was written; the old file stays (and the group, if any, publishes nothing). The stream
  /// is closed after. Destruction without Commit does the same.
  void Discard();

 private:
  TFileReplacement FFile;
  TSaveGroup* FGroup = nullptr;
  bool FCommitted = false;
};

/// Saves a whole file in one call: write(stream) writes the contents into a TReplacingFileStream, which is
/// then committed (or handed to group). Raises EFCreateError "Cannot create file \"name\". <OS message>",
/// or EWriteError "Cannot write file \"name\". <OS message>" for a write, flush or rename the OS refused;
/// any failure, also an exception of write, keeps the old file. Use: `SaveWholeFile(name, [&](TStream& s)
/// { SaveToStream(s); });` in place of a TFileStream opened with fmCreate.
void SaveWholeFile(const String& fileName, const std::function<void(TStream&)>& write, TSaveGroup* group = nullptr);

/// Memory stream of one byte per character (Windows-1252).
class TStringStream : public TMemoryStream {
 public:
  /// Starts with the characters of s as Windows-1252 bytes (a character the code page lacks becomes '?'), position 0.
  explicit TStringStream(const String& s = String());
  /// The whole contents as text.
  String DataString() const;
};

}  // namespace qelta

QELTA_PUBLIC_END
