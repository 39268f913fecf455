// Qelta_math2: TCurveFit's ASC files.
//
// The header is the foundation's ASC header (ReadHeaderOfASC, file form). The data part is read as
// the system's text files read numbers: white space and line ends separate the tokens; names go
// through the quoted-name scanner character by character, so quoted names and the bare names the
// exporter writes ("x   y") read alike.
// Deliberate deviations, each a mended fault:
//  - The export replaced only LF in the comment; a CR split header line 1 for our own reader: both
//    become blanks now.
//  - A failed import (250, 251) left the store resized to the file's row count and partly
//    overwritten while n and the sums kept the old points; the points are now read aside and
//    replace the old ones only when all were read, so a failure leaves everything as it was, and a
//    row count the file cannot hold answers 250 without reserving memory for it (the store grows
//    with the rows actually read).
//  - The end of the file before the last number answers 250 (the text-file reader gives 0 there).

#include <vector>

#include "Qelta_filesys.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_stringl.h"
#include "SysUtils.h"
#include "TextFiles.h"

namespace qelta {

namespace {

constexpr int kBadNumber = 250;
constexpr int kBadRowAttribute = 251;
constexpr int kFourthFlag = -7;
constexpr int kInvalidNumeric = 106;  // runtime code of an unreadable number

/// Reads one number token; false at the end of the file or for text that is no number.
bool ReadNumber(TextFile& f, double& value) {
  if (SeekEof(f)) return false;
  try {
    Read(f, value);
  } catch (const EInOutError& e) {
    if (e.ErrorCode != kInvalidNumeric) throw;
    return false;
  }
  return true;
}

/// Reads and drops one name (quoted in '"' or bare), at most to the end of the file.
void SkipName(TextFile& f) {
  String name;
  TQuotedStrState state = vsStart;
  Char c = 0;
  while (state != vsEnd && !Eof(f)) {
    Read(f, c);
    ParseQuotedName(c, u'"', name, state);
  }
}

String OneLine(String text) {
  for (Char& c : text)
    if (c == u'\n' || c == u'\r') c = u' ';
  return text;
}

}  // namespace

void TCurveFit::ExportAsASC(const String& FName, const String& Comment, int Precision) const {
  TextFile f;
  AssignFile(f, FName);
  RewriteReplacing(f);
  WriteLn(f, Comment.empty() ? u"Exported by Qelta TCurveFit component: " + FName : OneLine(Comment));
  WriteLn(f, u"2\t;nr. of columns");
  WriteLn(f, IntToStr(FNumData) + u"\t;nr. of rows");
  WriteLn(f, u"FALSE TRUE FALSE\t;row attributes, column names, row names");
  WriteLn(f, u"x   y");
  for (int i = 1; i <= FNumData; ++i) WriteLn(f, strff(GetDataX(i), 1, Precision) + u"\t" + strff(GetDataY(i), 1, Precision));
  CloseFile(f);
}

int TCurveFit::ImportASC(const String& FName) {
  InvalidateCaches();
  String comment;
  int columns = 0, rows = 0;
  bool rowAttributes = false, columnNames = false, rowNames = false, fourth = false;
  const int code = ReadHeaderOfASC(FName, comment, columns, rows, rowAttributes, columnNames, rowNames, fourth);
  if (code != 0) return code;
  if (fourth) return kFourthFlag;
  if (columns != 2)
    throw EQeltaMath2Error(u"TCurveFit.ImportASC: number of columns must be 2 (is actually " + IntToStr(columns) +
                           u").");
  if (rows < 0) return kBadNumber;
  TextFile f;
  AssignFile(f, FName);
  Reset(f);
  for (int line = 0; line < 4; ++line) ReadLn(f);
  if (columnNames) {
    SkipName(f);
    SkipName(f);
  }
  std::vector<double> xs, ys;  // grows with what the file holds, never by the declared count
  for (int r = 0; r < rows; ++r) {
    double attribute = 0, x = 0, y = 0;
    if (rowAttributes && !ReadNumber(f, attribute)) return kBadRowAttribute;
    if (rowNames) SkipName(f);
    if (!ReadNumber(f, x) || !ReadNumber(f, y)) return kBadNumber;
    xs.push_back(x);
    ys.push_back(y);
  }
  CloseFile(f);
  const int capacity = FData->NrOfRows();
  Init();
  if (rows > capacity) FData->Resize(2, rows);
  for (int i = 0; i < rows; ++i) {
    AdjustSums(xs[static_cast<std::size_t>(i)], ys[static_cast<std::size_t>(i)], +1);
    num_detail::TMatrixAccess::Column(*FData, 1)[i] = xs[static_cast<std::size_t>(i)];
    num_detail::TMatrixAccess::Column(*FData, 2)[i] = ys[static_cast<std::size_t>(i)];
  }
  FNumData = rows;
  return 0;
}

}  // namespace qelta
