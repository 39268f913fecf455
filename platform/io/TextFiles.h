#pragma once
// Text files of the runtime: a file variable with AssignFile, Reset, Rewrite, Append, CloseFile and
// the Read/ReadLn/Write/WriteLn family, one byte per character in Windows-1252.
// Implements: buffered reading and writing through the OS seam (OsLayer.h); writers end lines with
// CR LF; readers take CR LF, LF and a lone CR as one line end (ReadLn takes a line from the buffer in
// blocks, as fast as a plain getline that widens its lines); Read of one character answers the raw
// byte (CR and LF included; Ctrl-Z at the end); Read of a number skips white space and line ends.
// Every failure raises EInOutError with the runtime's code and the text of InOutErrorMessage:
//   2 "File not found", 3 "Path not found", 4 "Too many open files", 5 "File access denied",
//   100 "Disk read error", 101 "Disk write error", 102 "File not assigned", 103 "File not open",
//   104 "File not open for input", 105 "File not open for output", 106 "Invalid numeric format",
//   any other code "I/O error <code>".
// Reading at the end is no error: ReadLn answers an empty line, a number read answers 0.
// Saving: RewriteReplacing writes a temporary file beside the target that CloseFile puts in its place
// (FileReplace.h): a failed write, a failed close or destruction without CloseFile keeps the old file.
// Append cuts the file back to its old length when a write of the append fails.
// Text-file Reset always opens for reading only (FileMode is for record files, as in the classic runtime).
// Does not implement: standard input/output as an unassigned file, Ctrl-Z as an end mark, IOResult.

#include <cstdint>
#include <string_view>
#include <vector>

#include "FileReplace.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Access mode with which Reset opens record files: 0 read only, 1 write only, 2 read and write (default).
extern int FileMode;

/// The message text of a runtime I/O error code (see the table above).
String InOutErrorMessage(int code);
/// Runtime I/O error code of a failed OS call (an errno value) while opening, reading or writing.
int InOutErrorCode(int errnoValue, bool writing);
/// Opens the file of a file variable (text and record files) with the OS flags; raises 102 for an empty
/// name, the runtime code of a failed open, and 5 for a directory. Answers the OS handle.
int OpenFileVariable(const String& fileName, int flags);

/// A text-file variable; owns its OS handle and closes it on destruction (write errors then go unreported:
/// call CloseFile to learn about them). A file opened by RewriteReplacing is discarded on destruction.
class TextFile {
 public:
  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  const String& FileName() const { return FName; }
  bool IsOpen() const { return FMode != tmClosed; }

 private:
  friend struct TextFileAccess;  // the file routines, in TextFiles.cpp
  enum TMode : uint8_t { tmClosed, tmInput, tmOutput };
  String FName;
  int FHandle = -1;
  TMode FMode = tmClosed;
  std::vector<uint8_t> FBuffer;
  std::size_t FBufPos = 0;  ///< next unread byte (input) or fill level (output)
  std::size_t FBufLen = 0;  ///< valid bytes in the buffer (input)
  int FWriteError = 0;      ///< errno of the first failed write since opening
  int64_t FAppendFrom = -1; ///< length before an Append, -1 for other modes
  TFileReplacement FReplacement;   ///< the temporary of RewriteReplacing
  TSaveGroup* FGroup = nullptr;    ///< where CloseFile hands a replacement, when set
};

// [opening and closing]
/// Gives the file variable its name (closing it first when open).
void AssignFile(TextFile& f, const String& fileName);
/// Opens an existing file for reading (an open file is closed first); raises 2, 3, 5, 102.
void Reset(TextFile& f);
/// Creates or truncates the file and opens it for writing; raises 3, 5, 102.
void Rewrite(TextFile& f);
/// Opens the file for writing as a save that never destroys the file there: the text goes to a temporary
/// file that CloseFile puts in the file's place. Raises 2, 3, 5, 102 and 101 (a full disk) as Rewrite,
/// the old file untouched. With a group, CloseFile hands the file to the group, whose Commit publishes it.
void RewriteReplacing(TextFile& f, TSaveGroup* group = nullptr);
/// Opens an existing file for writing at its end; raises 2, 3, 5, 102. When a write fails, the file is
/// cut back to its length before the Append (at the failure's CloseFile or destruction).
void Append(TextFile& f);
/// Writes what is buffered and closes; raises 103 when not open, 101 when the buffer cannot be written.
/// A file of RewriteReplacing is committed: raises 101 (or the code of the OS's refusal) for a failure
/// now or in an earlier write, and the old file stays as it was.
void CloseFile(TextFile& f);
/// Writes what is buffered; raises 103, 105, 101.
void Flush(TextFile& f);

// [reading]
/// Reads up to the next line end and consumes it; at the end of the file s is empty. Raises 103, 104, 100.
void ReadLn(TextFile& f, String& s);
/// Skips the rest of the current line and its line end.
void ReadLn(TextFile& f);
/// Reads one character as it stands (CR and LF included); Ctrl-Z (26) at the end of the file.
void Read(TextFile& f, Char& c);
/// Skips white space and line ends, reads an integer (sign, digits or $hex) up to the next white space;
/// 0 at the end of the file; raises 106 for anything that is not a 32-bit integer.
void Read(TextFile& f, int& value);
/// As Read of an integer, for a decimal number with optional fraction and exponent ('.' as separator).
void Read(TextFile& f, double& value);
/// True when no character is left (input), always true for a file open for output; raises 103.
bool Eof(TextFile& f);
/// True at a line end or at the end of the file; raises 103, 104.
bool Eoln(TextFile& f);
/// Skips white space and line ends, then Eof.
bool SeekEof(TextFile& f);
/// Skips blanks and tabs, then Eoln.
bool SeekEoln(TextFile& f);

// [block reading] for scanners that look at many characters at once and consume only what they use
/// The bytes read ahead and not yet consumed (Windows-1252, as Read would answer them one by one), refilled
/// from the file when none are left; empty at the end of the file. Valid until the next call on f.
/// Raises 103, 104, 100.
std::string_view BufferedBytes(TextFile& f);
/// Consumes the first n bytes of BufferedBytes (no more than it holds); raises 103, 104.
void ConsumeBytes(TextFile& f, std::size_t n);

// [writing] width right-aligns in a field of that many characters (never cuts)
void Write(TextFile& f, const String& s, int width = 0);
void Write(TextFile& f, const Char* s, int width = 0);
void Write(TextFile& f, Char c, int width = 0);
void Write(TextFile& f, int value, int width = 0);
void Write(TextFile& f, int64_t value, int width = 0);
/// Fixed notation with `decimals` digits after the point, as Str(value, width, decimals).
void Write(TextFile& f, double value, int width, int decimals);
/// Exponent notation "[blank or -]d.dddE+dddd" as Str(value, width), width 23 when width <= 0.
void Write(TextFile& f, double value, int width = 0);
/// Writes CR LF.
void WriteLn(TextFile& f);
void WriteLn(TextFile& f, const String& s, int width = 0);
void WriteLn(TextFile& f, const Char* s, int width = 0);
void WriteLn(TextFile& f, int value, int width = 0);
void WriteLn(TextFile& f, int64_t value, int width = 0);
void WriteLn(TextFile& f, double value, int width, int decimals);

}  // namespace qelta

QELTA_PUBLIC_END
