#pragma once
// Qelta_filesys: helpers around files and folders, the header of ASC data files, and TUnivSaveDialog.
//
// What: copying a file with progress feedback and cancellation; copying and deleting folder trees;
// deleting and trashing files by mask; classifying text files by their byte-order mark; probing for
// write access; path and name helpers; counting and listing files; small text-file utilities; a
// generator of pronounceable passwords; the reader of the four-line header of ASC data files (the
// tab-separated text format in which tables and point sets travel); and a save dialog whose steps
// (choosing a name, checking for it, asking about overwriting) are the platform's or the host's.
// How: everything goes through the platform's file services (FileSys.h, OsLayer.h), so paths take '\'
// and '/' alike, a drive "X:" is the mount point the platform's drive table gives it, masks match
// without regard to the case of A-Z, and tests inject failures through the OS seam. Drive numbers count
// A = 0 .. Z = 25.
// Trees: walks never follow a symbolic link into a folder. A link to a folder is deleted as a link, left
// out of copies, counts and scans; a link to a file is copied by content and listed as a file.
// Limits: one shared cancellation flag for the copy routines; sizes are 64-bit. Moving to the recycle bin
// uses the desktop trash (Trash.h) and only reaches files on the trash folder's file system. There are no
// short (8.3) names on this platform, so DOSToWinPath only repairs the case of a path.

#include <cstdint>
#include <functional>

#include "Dialogs.h"
#include "Qelta_qeltabase.h"
#include "Streams.h"
#include "StringLists.h"
#include "TextFiles.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit.
QELTA_DECLARE_EXCEPTION(EQeltaFileSysError, EQeltaError)

/// Kind of a text file by its first bytes.
enum TTextfileType : uint8_t {
  tftUnicode_le, tftUnicode_be, tftUnicode4_le, tftUnicode4_be, tftRTF, tftUTF8, tftUnknown
};

/// File-copy progress: bytes copied so far and bytes in all.
using TFileCopyFeedback = std::function<void(int64_t Done, int64_t Total)>;
/// Tree-copy progress: the current file's bytes copied and in all, its target name, files begun so far.
using TTreeCopyFeedback = std::function<void(int64_t Done, int64_t Total, const String& TargetFile, int FilesBegun)>;
/// Scan progress: the folder about to be scanned and the number of files found so far.
using TFileScanFeedback = std::function<void(const String& Dir, int FilesSoFar)>;

// --- copying and deleting ---------------------------------------------------------------------

/// Copies Source to Target (into it, under the source's name, when Target is a folder) in blocks of
/// 8192 bytes. FeedBack (when set) gets (0, size) once the source is open, (bytes before the block,
/// size) before each block is written, and (bytes copied, size) at the end. A complete copy takes the
/// source's modification time and, with CopyAttributes, its permissions (always writable by the owner).
/// Answers 0 (also for a copy cancelled by AbortAnyFileCopying, which stops after the current block and
/// leaves the blocks copied, without the source's time or permissions), -1 the source cannot be read,
/// -2 the target cannot be created (also when it is the source itself or a symbolic link), -3 a write
/// failed, -4 a read failed. The copy goes to a temporary file beside the target that replaces it only
/// when complete (FileReplace.h): on -2, -3 and -4 an existing target stays as it was, byte for byte.
int FileCopyFeedBk(const String& Source, const String& Target, bool CopyAttributes, const TFileCopyFeedback& FeedBack);
/// Makes a running FileCopyFeedBk or CopyFileTree stop after its current block.
void AbortAnyFileCopying();
/// Copies every file and subfolder of SourceDir into TargetDir (created with its parents), file by file
/// with FileCopyFeedBk, whose failures are skipped. FeedBack gets every file feedback and, once more,
/// the last one after each file. Nothing happens when the source is no folder or both are the same
/// folder on disk; a target inside the source is never walked into.
void CopyFileTree(const String& SourceDir, const String& TargetDir, bool CopyAttributes,
                  const TTreeCopyFeedback& FeedBack);
/// Deletes a folder with everything in it ("" on success) and stops at the first failure, answering the
/// path that could not be deleted (a folder with its trailing separator). A link is deleted as a link.
/// An empty name or a root folder deletes nothing and is answered as the failure.
String DelDirTree(const String& Dir);
/// Deletes every entry matching Mask that is no folder and whose name does not begin with '.';
/// answers how many were deleted.
int DeleteFiles(const String& Mask);
/// Moves every such entry to the desktop's trash (Trash.h); answers how many were moved.
int MoveToRecycleBin(const String& Mask);

// --- probing and classifying ------------------------------------------------------------------

/// Kind of a text file by its first four bytes (EF BB BF UTF-8, FF FE 00 00 / 00 00 FE FF UTF-32,
/// FF FE / FE FF UTF-16, "{\rt" RTF). Raises EInOutError when the file cannot be read.
TTextfileType CheckTextFileType(const String& FileName);
/// True when no file can be created in Dir (probed by creating and erasing one).
bool DirIsReadOnly(const String& Dir);
/// The same probe in the root of drive Drive (0 = A); any failure, an unmapped drive included, counts as read-only.
bool DiskIsReadOnly(uint8_t Drive);
/// Platform drive type (DRIVE_FIXED, ...) of drive Drive (0 = A); 0 for a number above 25.
int GetDiskDriveType(uint8_t Drive);
/// True for a root such as "C:\", "c:/", "/" or "\" (blanks around are ignored).
bool IsRootDir(const String& Path);
/// True when Dir exists and is a folder (or a link to one); false for "".
bool DirExists(const String& Dir);
/// True when Dir holds no entry (also when it cannot be listed).
bool DirEmpty(const String& Dir);
/// Size in bytes that a folder search reports for the expanded name (0 for a folder or a link), -1 when
/// nothing is found. 64-bit.
int64_t GetFileSize(const String& FileName);
/// Free bytes of drive Drive (0 = A) available to the user, -1 on failure.
int64_t DiskFreeExtended(uint8_t Drive);

// --- names and paths --------------------------------------------------------------------------

/// The path part unchanged, the name part cut before its first '.' ("C:\dir.x\name.tar.gz" -> "C:\dir.x\name").
String StripExtension(const String& FileName);
/// The name without its path.
String StripPath(const String& FileName);
/// Drive number of a path whose second character is ':' (A = 0 .. Z = 25; 0 when the first is no letter);
/// -1 for any other path.
int ExtractDrive(const String& Path);
/// FileName with Ext appended ('.' in between unless Ext begins with one) when Ext is not empty and the
/// name has no extension; else FileName.
String EnsureDefaultFileExt(const String& FileName, const String& Ext);
/// Shortens a path for display: while it is at least MaxLength long, the folder names from the left are
/// replaced by "..", one by one, never the file name.
String AbridgeFilePath(const String& Path, int MaxLength);
/// The expanded path rebuilt from the names the file system reports for each part (so with their real
/// case); Path unchanged when a part does not exist.
String DOSToWinPath(const String& Path);
/// True when every character is a letter, a digit or one of . : \ / @ ! # $ % & ' ( ) - ^ _ { } ~ `
/// and every part between separators and points has at most 8 characters.
bool IsDOS83Path(const String& Path);
/// Renames every entry matching Mask to its name in upper (A-Z) or lower case, and descends into every
/// matching subfolder with the same name mask. An entry whose new name is taken is left as it is.
void SetAllFilenameCase(const String& Mask, bool Upper);

// --- listing and counting ---------------------------------------------------------------------

/// Appends path and name of every file (no folder) matching Mask to List; with Recursive also from every
/// subfolder, with the same name mask. FeedBack gets each folder before it is scanned. Nothing without a list.
void ScanFilesToStrList(const String& Mask, bool Recursive, TStrings* List, const TFileScanFeedback& FeedBack);
/// The same walk, counting.
int CountFiles(const String& Mask, bool Recursive, const TFileScanFeedback& FeedBack);
/// Path and name (as the file system reports it) of the first file matching FileName's name part in its
/// folder or, depth first in folder-search order, below it; only plain subfolders (no hidden, read-only
/// or linked ones) are searched. "" when none.
String FileDetect(const String& FileName);
/// The platform's stand-ins for the system and Windows folders (no trailing separator) and its
/// temporary folder (with one).
String GetSystemDir();
String GetWindowsDir();
String GetTempDir();
/// Value of the environment variable whose name equals Name ignoring the case of A-Z (the last of
/// several); "" when none.
String GetEnviroVar(const String& Name);

// --- text files -------------------------------------------------------------------------------

/// Appends Line and a line end to the file, creating it only when it does not exist; raises EInOutError.
/// A failed append leaves the file as it was (cut back to its old length); a failed creation leaves none.
void AppendToTextFile(const String& FileName, const String& Line);
/// Appends every string of List, each with a line end; as above.
void AppendToTextFile(const String& FileName, const TStrings& List);
/// Reopens the assigned file for reading, counts its lines and reopens it again at its start.
int CountLinesInTextFile(TextFile& F);
/// Number of lines of the file (CR LF, LF or CR end a line; a last line without one counts).
int CountLinesInTextFile(const String& FileName);
/// Skips characters of code 32 or less, then reads the characters above 32 up to the next one of code 32
/// or less (consumed) or the end; "" at the end of the file.
String ReadNextWordInTextFile(TextFile& F);
/// Reads lines while Text is not found and the count of characters passed is below MaxPos: a line without
/// Text adds its length, the first line with it the position of Text in it. Answers the count when Text
/// was found within MaxPos characters, else 0. IgnoreCase folds A-Z. Raises EInOutError.
int DetectStringInFile(const String& FileName, const String& Text, bool IgnoreCase, int MaxPos);
/// The first line containing Text (Line) and the position of Text in it; 0 and "" when none.
/// IgnoreCase uses the Unicode simple case mapping. Raises EInOutError.
int FindFirstMatchInTextFile(const String& FileName, const String& Text, bool IgnoreCase, String& Line);
/// A pronounceable word of n letters (n clamped to 4..14; an odd n begins with a vowel, then
/// consonant-vowel pairs) with a random two-digit number at positions 7 and 8, or appended when there are
/// fewer than 7 letters. Draws from the platform's Random.
String InventPassword(int n);
/// InventPassword(n), then, within the first n characters (n as passed) of the text: with MixedCase each
/// lower-case letter upper-cased with probability 0.5; with WithSpecials each character replaced with
/// probability 0.2 by one of "_!$%#=" and the ten digits.
String InventPassword(int n, bool MixedCase, bool WithSpecials);

// --- ASC data-file header ---------------------------------------------------------------------
//
// Four lines: a comment; the number of columns, then anything (a TAB and ";nr. of columns"); the number
// of rows, likewise; up to four words TRUE or FALSE (row attributes, column names, row names, a fourth
// flag) separated by blanks or TABs, then anything. A count is an optional sign and decimal digits after
// blanks and TABs, within the 32-bit range. Lines end with CR LF, LF (or, in a file, a lone CR).
// Codes: 0 read; 253 one of the first three flag words is neither TRUE nor FALSE; 254 the row count
// is no integer; 255 the column count is no integer. (252, a comment holding a LF, cannot arise: a LF
// ends the comment line.) The outputs start empty, 0 and false and are filled as far as reading went.

/// Reads the header from the start of a file; raises EInOutError when the file cannot be read.
int ReadHeaderOfASC(const String& FileName, String& Comment, int& Columns, int& Rows, bool& RowAttributes,
                    bool& ColumnNames, bool& RowNames, bool& FourthFlag);
/// Reads the header from the stream's position; the stream is left just after the last line read.
int ReadHeaderOfASC(TStream& Stream, String& Comment, int& Columns, int& Rows, bool& RowAttributes,
                    bool& ColumnNames, bool& RowNames, bool& FourthFlag);

// --- TUnivSaveDialog --------------------------------------------------------------------------

/// Chooses a file name: Parameters, the proposed name; UserAction mrOk to take SelectedFileName.
using TOnFileSelectEvent =
    std::function<void(TObject* Sender, const String& Parameters, TModalResult& UserAction, String& SelectedFileName)>;
/// Tells whether FileName exists in the host's store.
using TOnFileCheckEvent = std::function<void(TObject* Sender, const String& FileName, bool& FileDoesExist)>;
/// Asks whether to overwrite: mrYes, mrNo (choose again) or mrCancel.
using TOnOverwriteEvent = std::function<void(TObject* Sender, const String& FileName, TModalResult& OverwriteReply)>;

/// TUnivSaveDialog: the whole interaction of choosing a name to save to, on disk or in any store the host
/// presents as files.
/// How: Execute selects a name (the platform's TSaveDialog with UseStandardDialog, else OnFileSelect),
/// checks whether it exists (on disk with the standard dialog, else through OnFileCheck when assigned)
/// and, when it does, asks OnOverwrite: Yes takes it, Cancel gives up, No selects again with the current
/// name proposed. Settings travel in Parameters, an attribute text (filter="Text|*.txt" ext="csv"
/// caption="Save" initialdir="/data" and names of the host's own) read with ScanForXMLAttrib.
/// Failures raise EQeltaFileSysError 'Component "Name": ...'; nothing but FileName is changed.
class TUnivSaveDialog : public TComponent {
 public:
  explicit TUnivSaveDialog(TComponent* AOwner);

  /// True when a name was chosen that may be written (in FileName). "ext", when set, replaces the
  /// extension of a name chosen with the standard dialog.
  bool Execute();

  /// Value of a parameter, "" when absent.
  String ExtractParamAsString(const String& ParName) const;
  /// Integer at the start of a parameter's value ("12px" gives 12); raises when it is absent or empty.
  int ExtractParamAsInt(const String& ParName) const;
  /// Number at the start of a parameter's value ('.' or ',' as separator, exponent allowed); raises
  /// when it is absent or empty.
  double ExtractParamAsDouble(const String& ParName) const;

  const String& Parameters() const { return FParams; }
  void SetParameters(const String& value) { FParams = value; }
  /// The proposed name before Execute, the chosen one after it.
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& value) { FFileName = value; }
  bool UseStandardDialog() const { return FUseStdDiag; }
  void SetUseStandardDialog(bool value) { FUseStdDiag = value; }

  TOnFileSelectEvent OnFileSelect;
  TOnFileCheckEvent OnFileCheck;
  TOnOverwriteEvent OnOverwrite;

 private:
  String Prefix() const;
  [[noreturn]] void Raise(const String& text) const;
  TModalResult SelectName();
  TModalResult SelectWithStandardDialog();
  bool NameExists();
  String ParamValueOrRaise(const String& ParName) const;

  String FParams;
  String FFileName;
  bool FUseStdDiag = true;
};

}  // namespace qelta

QELTA_PUBLIC_END
