// ReadHeaderOfASC: the same header cases through the file and the stream form, with CR LF and LF line ends.

#include <gtest/gtest.h>

#include <string>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_filesys.h"
#include "Qelta_streams.h"

using namespace qelta;

namespace {

struct AscCase {
  const char* name;
  std::string lines[4];  // the header; an empty fourth element of a truncated header is left out
  int lineCount;
  int code;
  int columns, rows;
  bool flags[4];
};

const AscCase kCases[] = {
    {"exporter layout", {"Exported by TCurveFit", "2\t;nr. of columns", "3\t;nr. of rows",
                         "FALSE TRUE FALSE\t;row attributes, column names, row names"}, 4, 0, 2, 3,
     {false, true, false, false}},
    {"blanks", {"c", "4 ;c", " 5 ;r", "  TRUE  FALSE TRUE ;x"}, 4, 0, 4, 5, {true, false, true, false}},
    {"lower case, fourth flag", {"c", "1", "1", "true false false true"}, 4, 0, 1, 1, {true, false, false, true}},
    {"TABs between the words", {"c", "\t7", "+8", "TRUE\tTRUE\tTRUE\tTRUE\t;x"}, 4, 0, 7, 8, {true, true, true, true}},
    {"no fourth word", {"c", "2", "2", "TRUE FALSE FALSE"}, 4, 0, 2, 2, {true, false, false, false}},
    {"YES", {"c", "2", "3", "YES FALSE FALSE"}, 4, 253, 2, 3, {false, false, false, false}},
    {"third word missing", {"c", "2", "3", "TRUE TRUE"}, 4, 253, 2, 3, {true, true, false, false}},
    {"columns no number", {"c", "abc", "3", "TRUE TRUE TRUE"}, 4, 255, 0, 0, {false, false, false, false}},
    {"columns overflow", {"c", "4294967298", "3", "TRUE TRUE TRUE"}, 4, 255, 0, 0, {false, false, false, false}},
    {"rows no number", {"c", "2", ";3", "TRUE TRUE TRUE"}, 4, 254, 2, 0, {false, false, false, false}},
    {"truncated", {"c", "2", "", ""}, 2, 254, 2, 0, {false, false, false, false}},
    {"negative", {"c", "-2147483648", "-0", "FALSE FALSE FALSE"}, 4, 0, -2147483647 - 1, 0, {false, false, false, false}},
};

std::string Header(const AscCase& c, const std::string& eol) {
  std::string s;
  for (int i = 0; i < c.lineCount; ++i) s += c.lines[i] + eol;
  return s;
}

struct TRead {
  int code = -1;
  String comment;
  int columns = -9, rows = -9;
  bool flags[4] = {true, true, true, true};
};

void Expect(const TRead& r, const AscCase& c, const std::string& form) {
  const std::string what = std::string(c.name) + " (" + form + ")";
  EXPECT_EQ(r.code, c.code) << what;
  EXPECT_EQ(r.comment, Utf8ToString(c.lines[0])) << what;
  EXPECT_EQ(r.columns, c.columns) << what;
  EXPECT_EQ(r.rows, c.rows) << what;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r.flags[i], c.flags[i]) << what << " flag " << i;
}

TEST(ReadHeaderOfASC, BothFormsReadTheSameHeadersWithEitherLineEnd) {
  test::TempDir dir;
  for (const AscCase& c : kCases) {
    for (const std::string eol : {"\r\n", "\n"}) {
      const std::string form = eol.size() == 2 ? "CR LF" : "LF";
      const std::string bytes = Header(c, eol) + (c.lineCount == 4 ? "1.5\t2.5" + eol : "");
      dir.Put("h.asc", bytes);
      TRead f;
      f.code = ReadHeaderOfASC(dir / "h.asc", f.comment, f.columns, f.rows, f.flags[0], f.flags[1], f.flags[2],
                               f.flags[3]);
      Expect(f, c, "file, " + form);

      TStringStream stream(AnsiToString(bytes));
      TRead s;
      s.code = ReadHeaderOfASC(stream, s.comment, s.columns, s.rows, s.flags[0], s.flags[1], s.flags[2], s.flags[3]);
      Expect(s, c, "stream, " + form);
      if (c.code == 0) {
        bool end = false;
        EXPECT_EQ(ReadLnStream(stream, end, 0), u"1.5\t2.5") << c.name << ": the stream stands after the header";
      }
    }
  }
}

TEST(ReadHeaderOfASC, LfOnlyCountLinesNoLongerSwallowTheNextLine) {
  // Regression: the stream form skipped the rest of a count line after the number even when the LF that
  // ended the number had been consumed, so "2" LF "3" LF lost the row count.
  TStringStream stream(u"comment\n2\n3\nTRUE FALSE FALSE\ndata\n");
  String comment;
  int columns = 0, rows = 0;
  bool a = false, b = false, c = false, d = false;
  EXPECT_EQ(ReadHeaderOfASC(stream, comment, columns, rows, a, b, c, d), 0);
  EXPECT_EQ(columns, 2);
  EXPECT_EQ(rows, 3);
  EXPECT_TRUE(a);
}

TEST(ReadHeaderOfASC, AMissingFileRaises) {
  test::TempDir dir;
  String comment;
  int columns = 0, rows = 0;
  bool a = false, b = false, c = false, d = false;
  EXPECT_THROW_MSG(ReadHeaderOfASC(dir / "none.asc", comment, columns, rows, a, b, c, d), EInOutError,
                   "File not found");
}

}  // namespace
