// TDataTable: the ASC and CSV files: byte images, round trips through files, streams and the
// clipboard, foreign files, and hostile files that answer codes and leave the table unchanged.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "Assertions.h"
#include "Clipbrd.h"
#include "DataTableTestKit.h"
#include "HeapPeak.h"
#include "Qelta_datatable.h"
#include "Streams.h"

namespace qelta {
namespace {

using test::Fill;
using test::TScratchDir;
using test::TTableLog;

std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string StreamBytes(TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

/// Everything a table holds as text, values as stored.
std::string Dump(const TDataTable& t) {
  std::ostringstream o;
  o.precision(17);
  o << t.NrOfColumns() << "x" << t.NrOfRows() << " [" << StringToUtf8(t.Comment()) << "] "
    << StringToUtf8(t.CRCofNamesAndAttributes()) << " " << StringToUtf8(t.CRCofCellStates()) << "\n";
  for (int c = 1; c <= t.NrOfColumns(); ++c) {
    o << t.GetColName(c) << "|" << int(t.GetColAttrib(c)) << "|" << int(t.GetMScaleType(c));
    for (int r = 1; r <= t.NrOfRows(); ++r) o << " " << t.NumericData->GetVal(c, r) << "/" << int(t.GetCellState(c, r));
    o << "\n";
  }
  for (int r = 1; r <= t.NrOfRows(); ++r) o << t.GetRowName(r) << "|" << int(t.GetRowAttrib(r)) << "\n";
  return o.str();
}

/// The small table of the byte images.
void SmallTable(TDataTable& t) {
  Fill(t, {{1.5, -2}, {0.25, 10}});
  t.SetColName(1, "x");
  t.SetColName(2, "say \"hi\"");
  t.SetRowName(2, "r2");
  t.SetRowAttrib(1, 3);
  t.SetColAttrib(1, 7);
  t.SetMScaleType(2, stNominal);
  t.SetNominalID(2, 1, "a");
  t.SetNominalID(2, 3, "c");
  t.SetCellState(2, 1, csEmpty);
  t.SetCellState(1, 2, csMarkA);
  t.SetFComment(u"Test");
}

/// A random table whose values read back exactly at 3 decimals.
void RandomTable(TDataTable& t, std::mt19937& rng) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  t.Resize(1 + pick(5), 1 + pick(7));
  static const char* kNames[] = {"alpha", "with \"quotes\"", "tab\there", "semi;colon", "#hash", "", "\xC4\xE9\x80", "a,b"};
  for (int c = 1; c <= t.NrOfColumns(); ++c) {
    t.SetColName(c, kNames[pick(8)]);
    t.SetColAttrib(c, static_cast<uint8_t>(pick(256)));
    t.SetMScaleType(c, static_cast<TMScaleType>(pick(5)));
    t.SetNominalID(c, 1 + pick(25), "lab" + std::to_string(pick(100)));
    t.SetNominalID(c, 2, "\"q\"");
    for (int r = 1; r <= t.NrOfRows(); ++r) {
      t.NumericData->SetVal(c, r, (static_cast<int>(rng() % 2000001) - 1000000) / 1000.0);
      t.SetCellState(c, r, pick(3) == 0 ? static_cast<uint8_t>(pick(256)) : 0);
    }
  }
  for (int r = 1; r <= t.NrOfRows(); ++r) {
    t.SetRowName(r, kNames[pick(8)]);
    t.SetRowAttrib(r, static_cast<uint8_t>(pick(256)));
  }
  t.SetFComment(U8("comment \xE2\x82\xAC"));
}

// [SECTION] ASC

TEST(TDataTableAsc, TheExportIsPinnedByItsBytes) {
  TDataTable t(nullptr);
  SmallTable(t);
  TMemoryStream s;
  EXPECT_EQ(t.ExportAsASC(s, 2), u"");
  EXPECT_EQ(StreamBytes(s),
            "Test\r\n"
            "2\t;nr. of columns\r\n"
            "2\t;nr. of rows\r\n"
            "TRUE TRUE TRUE TRUE\t;row attributes, column names, row names, table setup\r\n"
            "\"x\"\t\"say \"\"hi\"\"\"\r\n"
            "3\t\"R-1\"\t1.50\t-2.00\r\n"
            "0\t\"r2\"\t0.25\t10.00\r\n"
            ";table setup: per column scale, attribute, number of labels, labels\r\n"
            "3\t7\t0\r\n"
            "1\t0\t3\t\"a\"\t\"\"\t\"c\"\r\n"
            "2\t;cell states: column, row, state\r\n"
            "1\t2\t64\r\n"
            "2\t1\t2\r\n");
}

TEST(TDataTableAsc, AnEmptyCommentNamesTheFileAndControlCharactersBecomeBlanks) {
  TScratchDir dir;
  TDataTable t(nullptr);
  EXPECT_EQ(t.ExportAsASC(dir.File("a.asc"), 0), u"");
  const std::string bytes = ReadBytes(dir.Utf8("a.asc"));
  EXPECT_EQ(bytes.substr(0, bytes.find('\r')), "Exported by Qelta TDataTable component: " + dir.Utf8("a.asc"));
  TMemoryStream s;
  t.ExportAsASC(s, 0);
  EXPECT_EQ(StreamBytes(s).substr(0, 42), "Exported by Qelta TDataTable component: \r\n");
}

// strff's two-digit exponent form writes '*' for an exponent beyond +-99: such a value would come
// back unreadable, so it is written in the four-digit form instead.
TEST(TDataTableAsc, ValuesBeyondTwoExponentDigitsAreNotLost) {
  TDataTable t(nullptr);
  Fill(t, {{1.5e200, 2.5e-300, 1234.5}});
  TMemoryStream s;
  t.ExportAsASC(s, -2);
  const std::string bytes = StreamBytes(s);
  EXPECT_NE(bytes.find("\t1.5E+0200\t"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\t2.5E-0300\t"), std::string::npos);
  EXPECT_NE(bytes.find("\t1.2E+03\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find('*'), std::string::npos);
  TDataTable u(nullptr);
  s.SetPosition(0);
  EXPECT_EQ(u.ImportASC(s), 0);
  EXPECT_EQ(u.GetElem(1, 1), 1.5e200);
  EXPECT_EQ(u.GetElem(2, 1), 2.5e-300);
}

TEST(TDataTableAsc, RoundTripsThroughFileStreamAndClipboardRestoreEverything) {
  TScratchDir dir;
  std::mt19937 rng(17);
  for (int trial = 0; trial < 40; ++trial) {
    TDataTable t(nullptr);
    RandomTable(t, rng);
    const std::string want = Dump(t);
    ASSERT_EQ(t.ExportAsASC(dir.File("t.asc"), 3), u"");
    TDataTable fromFile(nullptr), fromStream(nullptr), fromClip(nullptr);
    ASSERT_EQ(fromFile.ImportASC(dir.File("t.asc")), 0);
    EXPECT_EQ(Dump(fromFile), want);
    TMemoryStream s;
    ASSERT_EQ(t.ExportAsASC(s, 3), u"");
    s.SetPosition(0);
    ASSERT_EQ(fromStream.ImportASC(s), 0);
    EXPECT_EQ(Dump(fromStream), want);
    Clipboard()->SetAsText(AnsiToString(StreamBytes(s)));
    ASSERT_EQ(fromClip.ImportASC(Clipboard()), 0);
    EXPECT_EQ(Dump(fromClip), want);
  }
  Clipboard()->Clear();
}

TEST(TDataTableAsc, TheStreamIsLeftBehindTheLastItemRead) {
  TDataTable t(nullptr);
  SmallTable(t);
  TMemoryStream s;
  t.ExportAsASC(s, 2);
  s.WriteBuffer("TRAILER", 7);
  s.SetPosition(0);
  TDataTable u(nullptr);
  ASSERT_EQ(u.ImportASC(s), 0);
  EXPECT_EQ(StreamBytes(s).substr(static_cast<std::size_t>(s.Position())), "\r\nTRAILER");
}

TEST(TDataTableAsc, ImportFiresOnResizeThenTheFiveChangeEvents) {
  TDataTable t(nullptr);
  SmallTable(t);
  TMemoryStream s;
  t.ExportAsASC(s, 2);
  TDataTable u(nullptr);
  TTableLog log;
  log.Hook(u);
  s.SetPosition(0);
  ASSERT_EQ(u.ImportASC(s), 0);
  EXPECT_EQ(log.Take(), "Resize 1 1 2 2, Change, States, Setup, Names, Attrib");
  EXPECT_EQ(u.GetNominalID(2, 3), "c");
  EXPECT_EQ(u.Comment(), u"Test");
}

TEST(TDataTableAsc, TheCurveFittersFilesReadToo) {
  TDataTable t(nullptr);
  TStringStream s(u"Exported by Qelta TCurveFit component: pts.asc\r\n2\t;nr. of columns\r\n3\t;nr. of rows\r\n"
                  u"FALSE TRUE FALSE\t;row attributes, column names, row names\r\nx   y\r\n"
                  u"1.00\t2.00\r\n2.00\t4.50\r\n3.00\t-1.25\r\n");
  ASSERT_EQ(t.ImportASC(s), 0);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.GetColName(1), "x");
  EXPECT_EQ(t.GetColName(2), "y");
  EXPECT_EQ(t.GetRowName(3), "R-3");
  EXPECT_EQ(t.GetElem(2, 3), -1.25);
  EXPECT_EQ(t.GetMScaleType(2), stInterval);
}

TEST(TDataTableAsc, LineFeedsASetupBlockAndSpecialValuesRead) {
  TStringStream s(u"lf only\n3\n1\nTRUE FALSE TRUE TRUE\n7 \"row\" 1.5E+0200 NAN -INF\n"
                  u"4 0 2 \"a\" \"b\"\n1 9 0\n3 0 0\n1 ;one state\n2 1 3\n");
  TDataTable t(nullptr);
  ASSERT_EQ(t.ImportASC(s), 0);
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.GetRowAttrib(1), 7);
  EXPECT_EQ(t.GetRowName(1), "row");
  EXPECT_EQ(t.GetColName(2), "C-2");
  EXPECT_EQ(t.GetElem(1, 1), 1.5e200);
  EXPECT_TRUE(std::isnan(t.NumericData->GetVal(2, 1)));
  EXPECT_EQ(t.GetElem(3, 1), -HUGE_VAL);
  EXPECT_EQ(t.GetMScaleType(1), stRatio);
  EXPECT_EQ(t.GetMScaleType(2), stNominal);
  EXPECT_EQ(t.GetColAttrib(2), 9);
  EXPECT_EQ(t.GetCellState(2, 1), 3);
  t.SetMScaleType(1, stOrdinal);  // labels kept in a numeric column come back with the scale
  EXPECT_EQ(t.GetNominalID(1, 2), "b");
}

TEST(TDataTableAsc, BadFilesAnswerCodesAndLeaveTheTableAsItWas) {
  const std::string head = "c\r\n2\r\n2\r\nTRUE TRUE TRUE\r\n\"a\" \"b\"\r\n";
  struct TCase {
    std::string bytes;
    int code;
  };
  const TCase cases[] = {
      {"c\r\nx\r\n2\r\nTRUE TRUE TRUE\r\n", 255},
      {"c\r\n2\r\n\r\nTRUE TRUE TRUE\r\n", 254},
      {"c\r\n-2\r\n2\r\nTRUE TRUE TRUE\r\n", 255},
      {"c\r\n2\r\n-1\r\nTRUE TRUE TRUE\r\n", 254},
      {"c\r\n2\r\n2\r\nYES TRUE TRUE\r\n", 253},
      {head + "1 \"r\" 1 2\r\n2.5 \"s\" 3 4\r\n", 251},
      {head + "1 \"r\" 1 2\r\n256 \"s\" 3 4\r\n", 251},
      {head + "1 \"r\" 1 two\r\n2 \"s\" 3 4\r\n", 250},
      {head + "1 \"r\" 1 2\r\n2 \"s\" 3\r\n", 250},            // ends early
      {head + "1 \"r\" 1 2\r\n2 \"unterminated 3 4\r\n", 250},  // open quote
      {head + "1 \"r\" 1 " + std::string(5000, '1') + "\r\n2 \"s\" 3 4\r\n", 250},  // no number is that long
      {"c\r\n30000\r\n30000\r\nFALSE FALSE FALSE\r\n1 2 3\r\n", 250},  // more cells than bytes
      {"c\r\n2\r\n1\r\nFALSE FALSE FALSE TRUE\r\n1 2\r\n5 0 0\r\n3 0 0 0\r\n", 250},  // scale 5
      {"c\r\n2\r\n1\r\nFALSE FALSE FALSE TRUE\r\n1 2\r\n3 0 0\r\n3 0 0\r\n1 3 1 1\r\n", 250},  // state outside
  };
  TDataTable t(nullptr);
  SmallTable(t);
  const std::string before = Dump(t);
  for (const TCase& c : cases) {
    TStringStream s(AnsiToString(c.bytes));
    EXPECT_EQ(t.ImportASC(s), c.code) << c.bytes;
    TStringStream again(AnsiToString(c.bytes));
    EXPECT_EQ(t.ReadFromASC(again, 2, 2, true), c.code);
    EXPECT_EQ(Dump(t), before);
  }
  EXPECT_EQ(t.ImportASC(static_cast<const TClipboard*>(nullptr)), 255);
  TScratchDir dir;
  EXPECT_THROW(t.ImportASC(dir.File("missing.asc")), EFOpenError);
  EXPECT_NE(t.ExportAsASC(dir.File("no/such/dir/x.asc"), 2), u"");
}

TEST(TDataTableAsc, ReadFromASCPlacesTheBlockAndGrowsTheTable) {
  TDataTable src(nullptr);
  SmallTable(src);
  TMemoryStream s;
  src.ExportAsASC(s, 2);
  for (bool replace : {false, true}) {
    TDataTable t(nullptr);
    Fill(t, {{9, 9}, {9, 9}});
    t.SetFComment(u"mine");
    TTableLog log;
    log.Hook(t);
    s.SetPosition(0);
    ASSERT_EQ(t.ReadFromASC(s, 2, 0, replace), 0);  // PosY below 1 counts as 1
    EXPECT_EQ(log.Take(), replace ? "Resize 2 2 3 2, Change, States, Setup, Names, Attrib" : "Resize 2 2 3 2, Change, States");
    EXPECT_EQ(t.NrOfColumns(), 3);
    EXPECT_EQ(t.GetElem(1, 1), 9.0);
    EXPECT_EQ(t.GetElem(2, 1), 1.5);
    EXPECT_EQ(t.GetElem(3, 2), 10.0);
    EXPECT_EQ(t.GetCellState(3, 1), csEmpty);
    EXPECT_EQ(t.Comment(), u"mine");
    EXPECT_EQ(t.GetColName(2), replace ? "x" : "C-2");
    EXPECT_EQ(t.GetRowName(2), replace ? "r2" : "R-2");
    EXPECT_EQ(t.GetRowAttrib(1), replace ? 3 : 0);
    EXPECT_EQ(t.GetMScaleType(3), replace ? stNominal : stInterval);
    EXPECT_EQ(t.GetColAttrib(2), replace ? 7 : 0);
  }
  TDataTable t(nullptr);
  Clipboard()->SetAsText(AnsiToString(StreamBytes(s)));
  ASSERT_EQ(t.ReadFromASC(Clipboard(), 1, 3, false), 0);
  EXPECT_EQ(t.NrOfRows(), 4);
  EXPECT_EQ(t.GetElem(1, 4), 0.25);
  Clipboard()->Clear();
}

// [SECTION] CSV

TEST(TDataTableCsv, TheExportIsPinnedByItsBytes) {
  TScratchDir dir;
  TDataTable t(nullptr);
  SmallTable(t);
  t.SetCellState(1, 2, csNotANumber);
  ASSERT_EQ(t.ExportAsCSV(dir.File("t.csv"), 1, csvSemicolon, true, true, true, true), u"");
  EXPECT_EQ(ReadBytes(dir.Utf8("t.csv")),
            "# Test\r\n"
            ";(attribute);x;\"say \"\"hi\"\"\"\r\n"
            "R-1;3;1.5;\r\n"
            "r2;0;NaN;10.0\r\n");
  ASSERT_EQ(t.ExportAsCSV(dir.File("u.csv"), 0, csvTab, false, false), u"");
  EXPECT_EQ(ReadBytes(dir.Utf8("u.csv")), "2\t\r\nNaN\t10\r\n");
  TDataTable one(nullptr);
  one.SetIsEmpty(1, 1, true);
  ASSERT_EQ(one.ExportAsCSV(dir.File("v.csv"), 0, csvComma, false, false), u"");
  EXPECT_EQ(ReadBytes(dir.Utf8("v.csv")), "\"\"\r\n");  // never an empty line
}

TEST(TDataTableCsv, RoundTripsWithEveryDelimiter) {
  TScratchDir dir;
  std::mt19937 rng(23);
  for (int trial = 0; trial < 50; ++trial) {
    TDataTable t(nullptr);
    RandomTable(t, rng);
    for (int c = 1; c <= t.NrOfColumns(); ++c)  // CSV keeps only empty and not-a-number
      for (int r = 1; r <= t.NrOfRows(); ++r) t.SetCellState(c, r, static_cast<uint8_t>(t.GetCellState(c, r) % 3));
    const TCSVDelimiters d = static_cast<TCSVDelimiters>(trial % 5);
    ASSERT_EQ(t.ExportAsCSV(dir.File("t.csv"), 3, d, true, true, true, true), u"");
    TDataTable u(nullptr);
    ASSERT_EQ(u.ImportFromCSV(dir.File("t.csv"), trial % 2 ? d : csvUnknown, true, true), 0) << trial;
    ASSERT_EQ(u.NrOfColumns(), t.NrOfColumns());
    ASSERT_EQ(u.NrOfRows(), t.NrOfRows());
    EXPECT_EQ(u.Comment(), t.Comment());
    for (int c = 1; c <= t.NrOfColumns(); ++c) {
      EXPECT_EQ(u.GetColName(c), t.GetColName(c));
      for (int r = 1; r <= t.NrOfRows(); ++r) {
        const uint8_t s = t.GetCellState(c, r);
        EXPECT_EQ(u.GetCellState(c, r), s);
        if (s == 0) {
          EXPECT_EQ(u.NumericData->GetVal(c, r), t.NumericData->GetVal(c, r));
        }
      }
    }
    for (int r = 1; r <= t.NrOfRows(); ++r) {
      EXPECT_EQ(u.GetRowName(r), t.GetRowName(r));
      EXPECT_EQ(u.GetRowAttrib(r), t.GetRowAttrib(r));
    }
  }
}

TEST(TDataTableCsv, ForeignFilesReadLeniently) {
  TScratchDir dir;
  TDataTable t(nullptr);
  WriteBytes(dir.Utf8("a.csv"), "a;b;c\n1;2\n\n4; 5 ;6;7\r3,5;NAN;inf");
  ASSERT_EQ(t.ImportFromCSV(dir.File("a.csv"), csvUnknown, true, false), 250);  // "3,5" is no number
  WriteBytes(dir.Utf8("a.csv"), "a;b;c\n1;2\n\n4; 5 ;6;7\r3;nan;inf");
  ASSERT_EQ(t.ImportFromCSV(dir.File("a.csv"), csvUnknown, true, false), 0);
  EXPECT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.GetColName(3), "c");
  EXPECT_EQ(t.GetColName(4), "C-4");
  EXPECT_EQ(t.GetCellState(3, 1), csEmpty);  // a short record is padded with empty cells
  EXPECT_EQ(t.GetElem(2, 2), 5.0);
  EXPECT_EQ(t.GetCellState(2, 3), csNotANumber);
  EXPECT_EQ(t.GetElem(3, 3), HUGE_VAL);
  EXPECT_TRUE(t.Comment().empty());
  WriteBytes(dir.Utf8("b.csv"), "\"r\",\"(attribute)\",x\n\"one\",300,1\n");
  EXPECT_EQ(t.ImportFromCSV(dir.File("b.csv"), csvComma, true, true), 251);
  EXPECT_EQ(t.NrOfColumns(), 4);  // unchanged
  WriteBytes(dir.Utf8("c.csv"), "");
  EXPECT_EQ(t.ImportFromCSV(dir.File("c.csv"), csvComma, true, true), 0);
  EXPECT_EQ(t.NrOfColumns(), 0);
  EXPECT_EQ(t.NrOfRows(), 0);
  // A first record of 2^13 fields over 2^12 one-field records asks for 2^25 cells it does not list.
  std::string ragged(1 << 13, ',');
  for (int i = 0; i < (1 << 12); ++i) ragged += "\n1";
  WriteBytes(dir.Utf8("d.csv"), ragged);
  EXPECT_EQ(t.ImportFromCSV(dir.File("d.csv"), csvComma, false, false), 250);
  EXPECT_THROW(t.ImportFromCSV(dir.File("missing.csv"), csvComma, false, false), EFOpenError);
}

// Regression: a CSV table is as wide as its longest record, and the reader allowed 2^23 cells beyond
// those listed, so 12 KB holding one record of 4000 fields over 2000 one-field records made a table of
// 8 million cells (64 MB). Now the table may need no more than the file can fill plus a small allowance.
TEST(TDataTableCsv, ATableOfShortRecordsIsAsLargeAsTheFileCanFill) {
  TScratchDir dir;
  std::string csv;
  for (int c = 0; c < 4000; ++c) csv += c ? ",1" : "1";
  csv += "\n";
  for (int r = 0; r < 2000; ++r) csv += "2\n";
  std::ofstream(dir.Utf8("wide.csv"), std::ios::binary) << csv;
  TDataTable t(nullptr);
  int code = 0;
  const int64_t peak = test::HeapPeakOf([&] { code = t.ImportFromCSV(dir.File("wide.csv"), csvComma, false, false); });
  EXPECT_NE(code, 0);
  EXPECT_LE(peak, test::ReaderPeakBound(csv.size()));
}

// Regression: a CSV record of a million empty fields made a million columns, read aside into an image
// and copied into the table, with a state array of their own: some 170 bytes a column, so a 1 MB line
// held 172 MB of heap and a 2 MB one 344 MB. The table now takes the image over and keeps the states
// of all columns in one block.
TEST(TDataTableCsv, ALineOfEmptyFieldsTakesNoMoreHeapThanTheReaderBound) {
  const struct {
    char Name, Delimiter;
    int Fields;
    TCSVDelimiters Setting;
  } cases[] = {{'x', ',', 1000000, csvComma}, {'r', ';', 2000000, csvSemicolon}};
  TScratchDir dir;
  for (const auto& c : cases) {
    const std::string line = c.Name + std::string(static_cast<std::size_t>(c.Fields), c.Delimiter);
    WriteBytes(dir.Utf8("line.csv"), line);
    TDataTable t(nullptr);
    int code = -1;
    const int64_t peak =
        test::HeapPeakOf([&] { code = t.ImportFromCSV(dir.File("line.csv"), c.Setting, false, true); });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(t.NrOfColumns(), c.Fields);
    EXPECT_EQ(t.GetRowName(1), std::string(1, c.Name));
    EXPECT_LE(peak, test::ReaderPeakBound(line.size())) << c.Delimiter;
  }
}

}  // namespace
}  // namespace qelta
