// Qelta_filesys: text-file utilities, passwords and the ASC header.
//
// ASC header: both forms read whole lines and hand them to one parser, so a file and a stream read the
// same header alike whether its lines end with CR LF or LF, and TABs count as blanks in every line. The
// parser asks for a line only when it needs one, so a failed header leaves a stream just after the line
// that failed.

#include <algorithm>
#include <climits>
#include <functional>

#include "Qelta_filesys.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "Random.h"
#include "StrUtils.h"

namespace qelta {

namespace {

// [SECTION] text files

/// An assigned text file that closes itself (errors on that path are of no interest: reading only).
struct TReadFile {
  explicit TReadFile(const String& name) {
    AssignFile(F, name);
    Reset(F);
  }
  TextFile F;
};

void WriteLines(const String& fileName, const std::function<void(TextFile&)>& write) {
  TextFile f;
  AssignFile(f, fileName);
  try {
    Append(f);  // a failed append is cut back to the old length
  } catch (const EInOutError& e) {
    if (e.ErrorCode != 2) throw;
    RewriteReplacing(f);  // a new file appears only complete
  }
  write(f);
  CloseFile(f);
}

int CountLines(TextFile& f) {
  int lines = 0;
  while (!Eof(f)) {
    ReadLn(f);
    ++lines;
  }
  return lines;
}

// [SECTION] ASC header

constexpr int kAscBadFlag = 253;
constexpr int kAscBadRows = 254;
constexpr int kAscBadColumns = 255;

/// A count: blanks and TABs, an optional sign, at least one digit, within the 32-bit range; the rest of
/// the line is not looked at.
bool ParseCount(const String& line, int& value) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
  const bool negative = i < line.size() && line[i] == u'-';
  if (i < line.size() && (line[i] == u'-' || line[i] == u'+')) ++i;
  int64_t v = 0;
  const std::size_t first = i;
  for (; i < line.size() && line[i] >= u'0' && line[i] <= u'9'; ++i) {
    v = v * 10 + (line[i] - u'0');
    if (v > int64_t{INT_MAX} + 1) return false;
  }
  if (i == first || (!negative && v > INT_MAX)) return false;
  value = static_cast<int>(negative ? -v : v);
  return true;
}

/// Takes the word TRUE or FALSE off the front of s; false when neither is there.
bool TakeFlag(String& s, bool& flag) {
  if (s.compare(0, 4, u"TRUE") == 0) {
    flag = true;
    s.erase(0, 4);
  } else if (s.compare(0, 5, u"FALSE") == 0) {
    s.erase(0, 5);
  } else {
    return false;
  }
  s = StripLTBlanks(s);
  return true;
}

struct TAscHeader {
  String& Comment;
  int& Columns;
  int& Rows;
  bool* Flags[4];
};

int ParseAscHeader(const std::function<String()>& nextLine, TAscHeader h) {
  h.Comment.clear();
  h.Columns = h.Rows = 0;
  for (bool* flag : h.Flags) *flag = false;
  h.Comment = nextLine();
  if (!ParseCount(nextLine(), h.Columns)) return kAscBadColumns;
  if (!ParseCount(nextLine(), h.Rows)) return kAscBadRows;
  String words = StripLTBlanks(UpperCase(ReplaceCharInString(nextLine(), u'\t', u' ')));
  for (int i = 0; i < 3; ++i)
    if (!TakeFlag(words, *h.Flags[i])) return kAscBadFlag;
  *h.Flags[3] = words.compare(0, 4, u"TRUE") == 0;
  return 0;
}

}  // namespace

// [SECTION] text files

void AppendToTextFile(const String& FileName, const String& Line) {
  WriteLines(FileName, [&](TextFile& f) { WriteLn(f, Line); });
}

void AppendToTextFile(const String& FileName, const TStrings& List) {
  WriteLines(FileName, [&](TextFile& f) {
    for (int i = 0; i < List.Count(); ++i) WriteLn(f, List.Strings(i));
  });
}

int CountLinesInTextFile(TextFile& F) {
  Reset(F);
  const int lines = CountLines(F);
  Reset(F);
  return lines;
}

int CountLinesInTextFile(const String& FileName) {
  TReadFile file(FileName);
  return CountLines(file.F);
}

String ReadNextWordInTextFile(TextFile& F) {
  String word;
  Char c = 0;
  while (!Eof(F)) {
    Read(F, c);
    if (c > 32) {
      word.push_back(c);
      break;
    }
  }
  while (!word.empty() && !Eof(F)) {
    Read(F, c);
    if (c <= 32) break;
    word.push_back(c);
  }
  return word;
}

int DetectStringInFile(const String& FileName, const String& Text, bool IgnoreCase, int MaxPos) {
  const String wanted = IgnoreCase ? LowerCase(Text) : Text;
  TReadFile file(FileName);
  int64_t count = 0;
  String line;
  while (count < MaxPos && !Eof(file.F)) {
    ReadLn(file.F, line);
    const int at = Pos(wanted, IgnoreCase ? LowerCase(line) : line);
    if (at > 0) return count + at <= MaxPos ? static_cast<int>(count + at) : 0;
    count += Length(line);
  }
  return 0;
}

int FindFirstMatchInTextFile(const String& FileName, const String& Text, bool IgnoreCase, String& Line) {
  const String wanted = IgnoreCase ? AnsiLowerCase(Text) : Text;
  TReadFile file(FileName);
  String line;
  while (!Eof(file.F)) {
    ReadLn(file.F, line);
    const int at = Pos(wanted, IgnoreCase ? AnsiLowerCase(line) : line);
    if (at > 0) {
      Line = line;
      return at;
    }
  }
  Line.clear();
  return 0;
}

// [SECTION] passwords

String InventPassword(int n) {
  static constexpr char16_t vowels[] = u"aeiouy";
  static constexpr char16_t consonants[] = u"bcdfghjklmnpqrstvwxz";
  n = std::clamp(n, 4, 14);
  String s;
  if (n % 2 == 1) s.push_back(vowels[Random(6)]);
  for (int i = 0; i < n / 2; ++i) {
    s.push_back(consonants[Random(20)]);
    s.push_back(vowels[Random(6)]);
  }
  const int number = Random(100);
  const String digits{static_cast<Char>(u'0' + number / 10), static_cast<Char>(u'0' + number % 10)};
  if (s.size() >= 7) Insert(digits, s, 7);
  else s += digits;
  return s;
}

String InventPassword(int n, bool MixedCase, bool WithSpecials) {
  static constexpr char16_t specials[] = u"_!$%#=0123456789";
  String s = InventPassword(n);
  const std::size_t first = static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(s.size())));
  for (std::size_t i = 0; MixedCase && i < first; ++i)
    if (s[i] >= u'a' && s[i] <= u'z' && Random(2) == 0) s[i] = static_cast<Char>(s[i] - 32);
  for (std::size_t i = 0; WithSpecials && i < first; ++i)
    if (Random(5) == 0) s[i] = specials[Random(16)];
  return s;
}

// [SECTION] ASC header

int ReadHeaderOfASC(const String& FileName, String& Comment, int& Columns, int& Rows, bool& RowAttributes,
                    bool& ColumnNames, bool& RowNames, bool& FourthFlag) {
  TReadFile file(FileName);
  const auto nextLine = [&] {
    String line;
    ReadLn(file.F, line);
    return line;
  };
  return ParseAscHeader(nextLine, {Comment, Columns, Rows, {&RowAttributes, &ColumnNames, &RowNames, &FourthFlag}});
}

int ReadHeaderOfASC(TStream& Stream, String& Comment, int& Columns, int& Rows, bool& RowAttributes,
                    bool& ColumnNames, bool& RowNames, bool& FourthFlag) {
  const auto nextLine = [&] {
    bool end = false;
    return ReadLnStream(Stream, end, 0);
  };
  return ParseAscHeader(nextLine, {Comment, Columns, Rows, {&RowAttributes, &ColumnNames, &RowNames, &FourthFlag}});
}

}  // namespace qelta
