// TCurveFit's ASC files: the exporter's bytes, round trips (fixed and four-digit exponent text), the
// importer's codes, and the mended faults (CR in the comment, failed imports keeping the points,
// row counts the file cannot hold).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_math2.h"
#include "Qelta_stringl.h"

using namespace qelta;
using qelta::test::TempDir;

namespace {

const std::string kHeaderTail = "FALSE TRUE FALSE\t;row attributes, column names, row names\r\nx   y\r\n";

TEST(CurveFitAsc, ExportWritesTheAscLayout) {
  TempDir dir;
  TCurveFit f(nullptr);
  f.EnterStatValue(1.5, -2);
  f.EnterStatValue(3, 4.25);
  f.ExportAsASC(dir / "p.asc", u"two\npoints", 2);
  EXPECT_EQ(dir.Get("p.asc"), "two points\r\n2\t;nr. of columns\r\n2\t;nr. of rows\r\n" + kHeaderTail +
                                  "1.50\t-2.00\r\n3.00\t4.25\r\n");
  f.Init();
  f.ExportAsASC(dir / "e.asc", u"", 3);
  EXPECT_EQ(dir.Get("e.asc"), "Exported by Qelta TCurveFit component: " + dir.NativeOf("e.asc") +
                                  "\r\n2\t;nr. of columns\r\n0\t;nr. of rows\r\n" + kHeaderTail);
  EXPECT_THROW(f.ExportAsASC(dir / "missing/dir/x.asc", u"", 3), EInOutError);
}

// A CR in the comment ended header line 1 for our own reader (it takes a lone CR as a line end), so
// the exported file could not be imported: the exporter now blanks CR as it blanks LF.
TEST(CurveFitAsc, CarriageReturnsInTheCommentDoNotSplitTheHeader) {
  TempDir dir;
  TCurveFit f(nullptr);
  f.EnterStatValue(1, 2);
  f.ExportAsASC(dir / "cr.asc", u"line one\rline two\r\n", 4);
  EXPECT_EQ(dir.Get("cr.asc").substr(0, 22), "line one line two  \r\n2");
  TCurveFit g(nullptr);
  EXPECT_EQ(g.ImportASC(dir / "cr.asc"), 0);
  EXPECT_EQ(g.NumData(), 1);
}

TEST(CurveFitAsc, RoundTripReplacesThePointsAndTheirSums) {
  TempDir dir;
  std::mt19937_64 gen(4);
  std::uniform_real_distribution<double> u(-100.0, 100.0);
  TCurveFit f(nullptr), g(nullptr);
  for (int i = 0; i < 1500; ++i) f.EnterStatValue(u(gen), std::fabs(u(gen)) + 1);
  f.ExportAsASC(dir / "r.asc", u"round trip", 8);
  g.EnterStatValue(0, -1);  // old points and marks go
  ASSERT_EQ(g.ImportASC(dir / "r.asc"), 0);
  ASSERT_EQ(g.NumData(), 1500);
  for (int i = 1; i <= 1500; ++i) {
    ASSERT_NEAR(g.GetDataX(i), f.GetDataX(i), 5.1e-9);
    ASSERT_NEAR(g.GetDataY(i), f.GetDataY(i), 5.1e-9);
  }
  EXPECT_NEAR(g.MeanX(), f.MeanX(), 1e-9);
  EXPECT_NEAR(g.CorrCoeff(), f.CorrCoeff(), 1e-9);
  EXPECT_NEAR(g.MinY(), f.MinY(), 5.1e-9);
  EXPECT_FALSE(g.ErrIndic().Contains(cfeYLE0));
  EXPECT_TRUE(g.ErrIndic().Contains(cfeXLE0));  // negative x among the imported points
  g.EnterStatValue(5, 5);                        // the store grows on from the imported rows
  EXPECT_EQ(g.NumData(), 1501);
  EXPECT_EQ(g.GetDataX(1501), 5.0);
}

TEST(CurveFitAsc, FourDigitExponentsReadBack) {
  TempDir dir;
  TCurveFit f(nullptr), g(nullptr);
  f.EnterStatValue(1.25e100, -3.5e-200);
  f.EnterStatValue(-7, 0.001);
  f.ExportAsASC(dir / "x.asc", u"exponents", -1);
  const std::string text = dir.Get("x.asc");
  EXPECT_NE(text.find("E+0100"), std::string::npos) << text;
  EXPECT_NE(text.find("E-0200"), std::string::npos) << text;
  ASSERT_EQ(g.ImportASC(dir / "x.asc"), 0);
  for (int i = 1; i <= 2; ++i) {  // the exponent form carries the digits strff gives it
    EXPECT_EQ(g.GetDataX(i), std::stod(StringToUtf8(strff(f.GetDataX(i), 1, -1))));
    EXPECT_EQ(g.GetDataY(i), std::stod(StringToUtf8(strff(f.GetDataY(i), 1, -1))));
  }
  // two exponent digits cannot hold 100: the exporter writes stars, which the importer refuses
  f.ExportAsASC(dir / "s.asc", u"stars", -2);
  EXPECT_NE(dir.Get("s.asc").find("*\t"), std::string::npos);
  EXPECT_EQ(g.ImportASC(dir / "s.asc"), 250);
  EXPECT_EQ(g.NumData(), 2);
}

struct TImportCase {
  const char* name;
  std::string bytes;
  int code;
};

TEST(CurveFitAsc, ImportCodes) {
  const TImportCase cases[] = {
      {"exponent too wide for two digits", "c\r\n2\r\n1\r\n" + kHeaderTail + "*\t1.0E+00\r\n", 250},
      {"fourth flag", "c\r\n2\r\n1\r\nFALSE TRUE FALSE TRUE\r\nx y\r\n1 2\r\n", -7},
      {"column count", "c\r\nX\r\n1\r\n" + kHeaderTail, 255},
      {"row count", "c\r\n2\r\nmany\r\n" + kHeaderTail, 254},
      {"flag word", "c\r\n2\r\n1\r\nYES TRUE FALSE\r\n", 253},
      {"fewer rows than declared", "c\r\n2\r\n3\r\n" + kHeaderTail + "1 2\r\n3 4\r\n", 250},
      {"a row cut short", "c\r\n2\r\n2\r\n" + kHeaderTail + "1 2\r\n3", 250},
      {"a word for a number", "c\r\n2\r\n1\r\n" + kHeaderTail + "1 two\r\n", 250},
      {"negative row count", "c\r\n2\r\n-4\r\n" + kHeaderTail, 250},
      {"bad row attribute", "c\r\n2\r\n1\r\nTRUE TRUE FALSE\r\nx y\r\nA1 1 2\r\n", 251},
      {"a row count the file cannot hold", "c\r\n2\r\n2000000000\r\nFALSE FALSE FALSE\r\n1 2\r\n", 250},
  };
  TempDir dir;
  for (const TImportCase& c : cases) {
    dir.Put("case.asc", c.bytes);
    TCurveFit f(nullptr);
    f.EnterStatValue(8, 9);
    EXPECT_EQ(f.ImportASC(dir / "case.asc"), c.code) << c.name;
    // a refused import leaves the points, sums and extremes as they were
    ASSERT_EQ(f.NumData(), 1) << c.name;
    EXPECT_EQ(f.GetDataX(1), 8.0) << c.name;
    EXPECT_EQ(f.MeanY(), 9.0) << c.name;
    EXPECT_EQ(f.MaxX(), 8.0) << c.name;
  }
  dir.Put("three.asc", "c\r\n3\r\n1\r\n" + kHeaderTail + "1 2 3\r\n");
  TCurveFit f(nullptr);
  EXPECT_THROW_MSG(f.ImportASC(dir / "three.asc"), EQeltaMath2Error,
                   "TCurveFit.ImportASC: number of columns must be 2 (is actually 3).");
  EXPECT_THROW(f.ImportASC(dir / "absent.asc"), EInOutError);
}

TEST(CurveFitAsc, ImportReadsQuotedAndBareNamesAttributesAndAnyLineEnd) {
  const TImportCase cases[] = {
      {"quoted names, attributes, row names", "c\r\n2\r\n2\r\nTRUE TRUE TRUE\r\n\"x \"\"val\"\"\" \"y\"\r\n"
                                              "1 \"first\" 1.5 2.5\r\n2 \"second row\" 3.5 4.5\r\n", 0},
      {"bare names, LF", "c\n2\n2\nFALSE TRUE FALSE\nx   y\n1.5\t2.5\n3.5\t4.5\n", 0},
      {"lone CR, no names", "c\r2\r2\rFALSE FALSE FALSE\r1.5 2.5\r3.5 4.5", 0},
      {"bare row names", "c\r\n2\r\n2\r\nFALSE FALSE TRUE\r\nr1 1.5 2.5\r\nr2 3.5 4.5\r\n", 0},
  };
  TempDir dir;
  for (const TImportCase& c : cases) {
    dir.Put("n.asc", c.bytes);
    TCurveFit f(nullptr);
    ASSERT_EQ(f.ImportASC(dir / "n.asc"), c.code) << c.name;
    ASSERT_EQ(f.NumData(), 2) << c.name;
    EXPECT_EQ(f.GetDataX(1), 1.5) << c.name;
    EXPECT_EQ(f.GetDataY(2), 4.5) << c.name;
  }
}

}  // namespace
