#include "TextFiles.h"

// Text files are buffered in blocks of 4096 bytes; a file of more than 64 KiB is read in blocks of 64 KiB
// (a read of the OS per 4096 bytes took a good part of the time of reading a large file). An input buffer
// is refilled when it runs dry; an output buffer is written when full, by Flush and by CloseFile. Numbers
// are written with the runtime's Str, so their text is the same as everywhere else.
// ReadLn looks for the line end sixteen bytes at a time and widens the line straight from the buffer;
// a line that crosses a refill is gathered first. Byte by byte, its plain twin, stays for the tests,
// which compare the two (the direct paths off).

#include <fcntl.h>
#include <emmintrin.h>
#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
#include <charconv>
#include <cctype>
#include <string>

#include "DirectPaths.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "OsLayer.h"
#include "SysUtils.h"

namespace qelta {

int FileMode = 2;

namespace {

constexpr std::size_t kBufferSize = 4096;
constexpr std::size_t kLargeInputBuffer = 65536;  // for files beyond it: fewer reads of the OS
constexpr int kEnd = -1;

[[noreturn]] void Raise(int code) { throw EInOutError(InOutErrorMessage(code), code); }

// The offset of the first CR or LF in the bytes, their size when there is none; sixteen at a time (SSE2).
std::size_t LineEndIn(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t i = 0;
  for (; i + 16 <= bytes.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(13)), _mm_cmpeq_epi8(v, _mm_set1_epi8(10)));
    if (const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(ends))) return i + static_cast<std::size_t>(__builtin_ctz(m));
  }
  while (i < bytes.size() && p[i] != 13 && p[i] != 10) ++i;
  return i;
}

// s becomes the characters of the bytes, its storage kept.
void SetWidened(String& s, std::string_view bytes) {
  s.resize(bytes.size());
  AnsiToChars(bytes, s.data());
}

// [SECTION] parsing

bool ParseInt(const std::string& token, int& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  int base = 10;
  if (i < token.size() && token[i] == '$') { base = 16; ++i; }
  uint64_t magnitude = 0;
  const char* first = token.data() + i;
  const char* last = token.data() + token.size();
  const auto [end, ec] = std::from_chars(first, last, magnitude, base);
  if (first == last || ec != std::errc() || end != last) return false;
  const uint64_t limit = negative ? 2147483648u : (base == 16 ? 4294967295u : 2147483647u);
  if (magnitude > limit) return false;
  value = negative ? static_cast<int>(-static_cast<int64_t>(magnitude)) : static_cast<int>(static_cast<uint32_t>(magnitude));
  return true;
}

bool ParseDouble(const std::string& token, double& value) {
  std::size_t i = token.size() > 1 && token[0] == '+' && token[1] != '-' ? 1 : 0;
  for (std::size_t k = i; k < token.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(token[k])) && std::string("+-.eE").find(token[k]) == std::string::npos)
      return false;  // no "inf", "nan" or hexadecimal floats
  const char* first = token.data() + i;
  const char* last = token.data() + token.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (first == last || end != last || ec == std::errc::invalid_argument) return false;
  if (ec != std::errc::result_out_of_range) return true;
  // Out of range leaves value untouched: Val tells an underflow (0) from an overflow (refused).
  int code = 0;
  Val(AnsiToString(token), value, code);
  return code == 0;
}

}  // namespace

// [SECTION] file state

// The routines' access to a file variable's state.
struct TextFileAccess {
  static int PeekByte(TextFile& f) {
    if (f.FBufPos < f.FBufLen) return f.FBuffer[f.FBufPos];
    const int64_t n = OsLayer().Read(f.FHandle, f.FBuffer.data(), f.FBuffer.size());
    if (n < 0) Raise(100);
    f.FBufPos = 0;
    f.FBufLen = static_cast<std::size_t>(n);
    return n == 0 ? kEnd : f.FBuffer[0];
  }
  static std::string_view Buffered(TextFile& f) {
    if (PeekByte(f) == kEnd) return {};
    return {reinterpret_cast<const char*>(f.FBuffer.data() + f.FBufPos), f.FBufLen - f.FBufPos};
  }
  static void Consume(TextFile& f, std::size_t n) { f.FBufPos += std::min(n, f.FBufLen - f.FBufPos); }
  // ReadLn in blocks: a line that lies in the buffer with its line end is widened straight from it, one
  // that crosses a refill is gathered first. s is set only when all is read: a failed read leaves it.
  static void ReadLine(TextFile& f, String& s) {
    std::string gathered;
    for (std::string_view bytes = Buffered(f); !bytes.empty(); bytes = Buffered(f)) {
      const std::size_t k = LineEndIn(bytes);
      if (k == bytes.size()) {
        gathered.append(bytes);
        f.FBufPos += k;
        continue;
      }
      const bool cr = bytes[k] == 13;
      if (gathered.empty() && !(cr && k + 1 == bytes.size())) {  // the usual case
        SetWidened(s, bytes.substr(0, k));
        f.FBufPos += k + (cr && bytes[k + 1] == 10 ? 2 : 1);
        return;
      }
      gathered.append(bytes.substr(0, k));
      f.FBufPos += k + 1;
      if (cr && PeekByte(f) == 10) ++f.FBufPos;  // the LF of a CR at the end of the buffer
      break;
    }
    SetWidened(s, gathered);
  }
  static int GetByte(TextFile& f) {
    const int b = PeekByte(f);
    if (b != kEnd) ++f.FBufPos;
    return b;
  }
  static void CheckInput(TextFile& f) {
    if (f.FMode == TextFile::tmClosed) Raise(103);
    if (f.FMode != TextFile::tmInput) Raise(104);
  }
  static void CheckOutput(TextFile& f) {
    if (f.FMode == TextFile::tmClosed) Raise(103);
    if (f.FMode != TextFile::tmOutput) Raise(105);
  }
  static void WriteOut(TextFile& f) {
    std::size_t done = 0;
    while (done < f.FBufPos) {
      const int64_t n = OsLayer().Write(f.FHandle, f.FBuffer.data() + done, f.FBufPos - done);
      if (n <= 0) {
        f.FBufPos = 0;  // what could not be written is dropped so that CloseFile does not raise twice
        if (f.FWriteError == 0) f.FWriteError = n < 0 ? static_cast<int>(-n) : EIO;
        Raise(n < 0 ? InOutErrorCode(static_cast<int>(-n), true) : 101);
      }
      done += static_cast<std::size_t>(n);
    }
    f.FBufPos = 0;
  }
  static void PutBytes(TextFile& f, const std::string& bytes) {
    CheckOutput(f);
    for (char c : bytes) {
      if (f.FBufPos == f.FBuffer.size()) WriteOut(f);
      f.FBuffer[f.FBufPos++] = static_cast<uint8_t>(c);
    }
  }
  static void Opened(TextFile& f, int handle, TextFile::TMode mode, std::size_t bufferSize = kBufferSize) {
    f.FHandle = handle;
    f.FMode = mode;
    f.FBuffer.assign(bufferSize, 0);
    f.FBufPos = f.FBufLen = 0;
    f.FWriteError = 0;
    f.FAppendFrom = -1;
  }
  static void Open(TextFile& f, int flags, TextFile::TMode mode) {
    if (f.FMode != TextFile::tmClosed) qelta::CloseFile(f);
    const int handle = OpenFileVariable(f.FName, flags);
    struct stat st{};
    const bool large = mode == TextFile::tmInput && OsLayer().FStat(handle, st) == 0 &&
                       st.st_size > static_cast<off_t>(kLargeInputBuffer);
    Opened(f, handle, mode, large ? kLargeInputBuffer : kBufferSize);
  }
  static void OpenReplacing(TextFile& f, TSaveGroup* group) {
    if (f.FMode != TextFile::tmClosed) qelta::CloseFile(f);
    if (f.FName.empty()) Raise(102);
    if (const int e = f.FReplacement.Begin(f.FName)) Raise(InOutErrorCode(e, false));
    Opened(f, f.FReplacement.Handle(), TextFile::tmOutput);
    f.FGroup = group;
  }
  static void OpenAppending(TextFile& f) {
    Open(f, O_WRONLY | O_APPEND, TextFile::tmOutput);
    struct stat st{};
    if (OsLayer().FStat(f.FHandle, st) == 0) f.FAppendFrom = static_cast<int64_t>(st.st_size);
  }
  // The replacement's commit (or its hand-over to the group): 0 or the errno of the failure.
  static int Commit(TextFile& f) {
    if (!f.FReplacement.Active()) return 0;
    f.FHandle = -1;  // the replacement's own, closed by it
    if (f.FWriteError != 0) f.FReplacement.Fail(f.FWriteError);
    if (f.FGroup == nullptr) return f.FReplacement.Commit();
    const int e = f.FReplacement.Error();
    f.FGroup->Add(std::move(f.FReplacement));  // a failed file fails the group's Commit too
    return e;
  }
  // Closes without committing: a replacement is discarded (its group told), a failed append cut back
  // to its old length.
  static void Close(TextFile& f) {
    if (f.FWriteError != 0 && f.FAppendFrom >= 0) OsLayer().Truncate(f.FHandle, f.FAppendFrom);
    if (f.FReplacement.Active() && f.FGroup != nullptr) f.FGroup->Abandon(std::move(f.FReplacement), f.FWriteError);
    else if (f.FReplacement.Active()) f.FReplacement.Discard();
    else if (f.FHandle >= 0) OsLayer().Close(f.FHandle);
    f.FHandle = -1;
    f.FMode = TextFile::tmClosed;
    f.FBuffer.clear();
    f.FBufPos = f.FBufLen = 0;
    f.FGroup = nullptr;
  }
  static bool Replacing(const TextFile& f) { return f.FReplacement.Active(); }
  static void OpenInput(TextFile& f, int flags) { Open(f, flags, TextFile::tmInput); }
  static void OpenOutput(TextFile& f, int flags) { Open(f, flags, TextFile::tmOutput); }
  static bool IsOutput(const TextFile& f) { return f.FMode == TextFile::tmOutput; }
  static void SetName(TextFile& f, const String& name) { f.FName = name; }
};

namespace {

using A = TextFileAccess;

// Skips bytes of code 32 or less (all of them, or blanks and tabs only) and answers the next byte.
int SkipWhite(TextFile& f, bool lineEndsToo) {
  for (int b = A::PeekByte(f);; b = A::PeekByte(f)) {
    if (b == kEnd || b > 32 || (!lineEndsToo && (b == 13 || b == 10))) return b;
    A::GetByte(f);
  }
}

// The token of a number read: white space skipped, then everything up to the next byte <= 32.
std::string NumberToken(TextFile& f) {
  A::CheckInput(f);
  std::string token;
  for (int b = SkipWhite(f, true); b != kEnd && b > 32; b = A::PeekByte(f)) token.push_back(static_cast<char>(A::GetByte(f)));
  return token;
}

std::string Pad(std::string text, int width) {
  if (width > 0 && static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

}  // namespace

// [SECTION] errors

String InOutErrorMessage(int code) {
  switch (code) {
    case 2: return u"File not found";
    case 3: return u"Path not found";
    case 4: return u"Too many open files";
    case 5: return u"File access denied";
    case 100: return u"Disk read error";
    case 101: return u"Disk write error";
    case 102: return u"File not assigned";
    case 103: return u"File not open";
    case 104: return u"File not open for input";
    case 105: return u"File not open for output";
    case 106: return u"Invalid numeric format";
    default: return Utf8ToString("I/O error " + std::to_string(code));
  }
}

int OpenFileVariable(const String& fileName, int flags) {
  if (fileName.empty()) Raise(102);
  const int fd = OsLayer().Open(NativePath(fileName), flags, 0666);
  if (fd < 0) Raise(InOutErrorCode(-fd, false));
  struct stat st{};
  if (OsLayer().FStat(fd, st) == 0 && S_ISDIR(st.st_mode)) {
    OsLayer().Close(fd);
    Raise(5);
  }
  return fd;
}

int InOutErrorCode(int errnoValue, bool writing) {
  switch (errnoValue) {
    case ENOENT: return 2;
    case ENOTDIR: case ENAMETOOLONG: case ELOOP: return 3;
    case EMFILE: case ENFILE: return 4;
    case EACCES: case EPERM: case EROFS: case EISDIR: case ETXTBSY: case EEXIST: return 5;
    case ENOSPC: case EDQUOT: case EFBIG: return 101;
    default: return writing ? 101 : errnoValue == EIO ? 100 : 5;
  }
}

// [SECTION] opening and closing

TextFile::~TextFile() {
  if (FMode == tmOutput && !TextFileAccess::Replacing(*this)) {
    try {
      TextFileAccess::WriteOut(*this);
    } catch (const EInOutError&) {  // see the class comment
    }
  }
  TextFileAccess::Close(*this);
}

void AssignFile(TextFile& f, const String& fileName) {
  if (f.IsOpen()) CloseFile(f);
  A::SetName(f, fileName);
}

void Reset(TextFile& f) { A::OpenInput(f, O_RDONLY); }

void Rewrite(TextFile& f) { A::OpenOutput(f, O_WRONLY | O_CREAT | O_TRUNC); }

void RewriteReplacing(TextFile& f, TSaveGroup* group) { A::OpenReplacing(f, group); }

void Append(TextFile& f) { A::OpenAppending(f); }

void CloseFile(TextFile& f) {
  if (!f.IsOpen()) Raise(103);
  try {
    if (A::IsOutput(f)) A::WriteOut(f);
  } catch (...) {
    A::Close(f);
    throw;
  }
  const int e = A::Commit(f);
  A::Close(f);
  if (e != 0) Raise(InOutErrorCode(e, true));
}

void Flush(TextFile& f) {
  A::CheckOutput(f);
  A::WriteOut(f);
}

// [SECTION] reading

namespace {

// The plain twin of TextFileAccess::ReadLine, byte by byte (the direct paths off; the tests compare the two).
void ReadLnByByte(TextFile& f, String& s) {
  std::string bytes;
  for (int b = A::GetByte(f); b != kEnd; b = A::GetByte(f)) {
    if (b == 10) break;
    if (b == 13) {
      if (A::PeekByte(f) == 10) A::GetByte(f);
      break;
    }
    bytes.push_back(static_cast<char>(b));
  }
  s = AnsiToString(bytes);
}

}  // namespace

void ReadLn(TextFile& f, String& s) {
  A::CheckInput(f);
  if (platform_detail::DirectPaths()) A::ReadLine(f, s);
  else ReadLnByByte(f, s);
}

void ReadLn(TextFile& f) {
  String ignored;
  ReadLn(f, ignored);
}

void Read(TextFile& f, Char& c) {
  A::CheckInput(f);
  const int b = A::GetByte(f);
  c = b == kEnd ? Char(26) : AnsiCharToChar(static_cast<unsigned char>(b));
}

void Read(TextFile& f, int& value) {
  const std::string token = NumberToken(f);
  value = 0;
  if (!token.empty() && !ParseInt(token, value)) Raise(106);
}

void Read(TextFile& f, double& value) {
  const std::string token = NumberToken(f);
  value = 0;
  if (!token.empty() && !ParseDouble(token, value)) Raise(106);
}

bool Eof(TextFile& f) {
  if (!f.IsOpen()) Raise(103);
  return A::IsOutput(f) || A::PeekByte(f) == kEnd;
}

bool Eoln(TextFile& f) {
  A::CheckInput(f);
  const int b = A::PeekByte(f);
  return b == kEnd || b == 13 || b == 10;
}

bool SeekEof(TextFile& f) {
  A::CheckInput(f);
  return SkipWhite(f, true) == kEnd;
}

bool SeekEoln(TextFile& f) {
  A::CheckInput(f);
  SkipWhite(f, false);
  return Eoln(f);
}

std::string_view BufferedBytes(TextFile& f) {
  A::CheckInput(f);
  return A::Buffered(f);
}

void ConsumeBytes(TextFile& f, std::size_t n) {
  A::CheckInput(f);
  A::Consume(f, n);
}

// [SECTION] writing

void Write(TextFile& f, const String& s, int width) { A::PutBytes(f, Pad(StringToAnsi(s), width)); }
void Write(TextFile& f, const Char* s, int width) { Write(f, String(s ? s : u""), width); }
void Write(TextFile& f, Char c, int width) { Write(f, String(1, c), width); }
void Write(TextFile& f, int value, int width) { A::PutBytes(f, Pad(std::to_string(value), width)); }
void Write(TextFile& f, int64_t value, int width) { A::PutBytes(f, Pad(std::to_string(value), width)); }

void Write(TextFile& f, double value, int width, int decimals) {
  A::PutBytes(f, StringToAnsi(Str(value, width, std::max(decimals, 0))));
}

void Write(TextFile& f, double value, int width) { A::PutBytes(f, StringToAnsi(Str(value, width <= 0 ? 23 : width))); }

void WriteLn(TextFile& f) { A::PutBytes(f, "\r\n"); }

void WriteLn(TextFile& f, const String& s, int width) {
  Write(f, s, width);
  WriteLn(f);
}

void WriteLn(TextFile& f, const Char* s, int width) {
  Write(f, s, width);
  WriteLn(f);
}

void WriteLn(TextFile& f, int value, int width) {
  Write(f, value, width);
  WriteLn(f);
}

void WriteLn(TextFile& f, int64_t value, int width) {
  Write(f, value, width);
  WriteLn(f);
}

void WriteLn(TextFile& f, double value, int width, int decimals) {
  Write(f, value, width, decimals);
  WriteLn(f);
}

}  // namespace qelta
