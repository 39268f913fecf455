// The number scanners and validators as the numeric input unit offers them.

#include <gtest/gtest.h>

#include "Qelta_NumIO.h"
#include "SampleControls.h"

using namespace qelta;

TEST(NumIOScanners, BinaryAndOctalSkipLeadingBlanksAndStopAtTheFirstForeignDigit) {
  struct Case {
    const char16_t* text;
    bool binary;
    int value;
    int pos;
  };
  const Case cases[] = {
      {u"  101", true, 5, 6},  {u"1012", true, 5, 4},    {u"x", true, 0, 1},       {u"  ", true, 0, 2},
      {u"0777", false, 511, 5}, {u"178", false, 15, 3},   {u"-7", false, 0, 1},
      // 33 binary digits: counted modulo 2^32
      {u"100000000000000000000000000000001", true, 1, 34},
  };
  for (const auto& c : cases) {
    int pos = 1;
    const int v = c.binary ? ScanBin(c.text, pos) : ScanOctal(c.text, pos);
    EXPECT_EQ(v, c.value) << sample::Narrow(c.text);
    EXPECT_EQ(pos, c.pos);
  }
}

TEST(NumIOValidators, DoubleExamineOnlyTheLeadingNumber) {
  EXPECT_FALSE(IsValidDouble(u"1E4201", true, dsBoth));
  EXPECT_TRUE(IsValidDouble(u"1E4200", true, dsBoth));
  EXPECT_TRUE(IsValidDouble(u"1E5", false, dsBoth));  // the 'E' ends the number
  EXPECT_TRUE(IsValidDouble(u"12abc", true, dsDot));
  EXPECT_TRUE(IsValidDouble(u"1.5E", true, dsDot));
  EXPECT_TRUE(IsValidDouble(u"1.5E-", true, dsDot));
  EXPECT_FALSE(IsValidDouble(u"+", true, dsDot));
  EXPECT_FALSE(IsValidDouble(u"E5", true, dsDot));
  EXPECT_FALSE(IsValidDouble(u"", true, dsDot));
}

TEST(NumIOValidators, NumbersBeingTypedHexOctalBinaryAndDecimalIntegers) {
  EXPECT_FALSE(IsValidFPNum(u"1,5", dsDot));
  EXPECT_TRUE(IsValidFPNum(u"1,5", dsBoth));
  for (const char16_t* t : {u"+", u"-", u".", u"-."}) EXPECT_TRUE(IsValidFPNum(t, dsDot)) << sample::Narrow(t);
  for (const char16_t* t : {u"1.2.3", u"1e3", u" 1", u""}) EXPECT_FALSE(IsValidFPNum(t, dsBoth));
  EXPECT_TRUE(IsValidHex(u"09afAF"));
  EXPECT_FALSE(IsValidHex(u"$ff"));
  EXPECT_TRUE(IsValidOct(u"017"));
  EXPECT_FALSE(IsValidOct(u"8"));
  EXPECT_TRUE(IsValidBin(u"0101"));
  EXPECT_FALSE(IsValidBin(u"012"));
  EXPECT_FALSE(IsValidBin(u""));
  EXPECT_FALSE(IsValidDecInt(u"-"));
  EXPECT_FALSE(IsValidDecInt(u"1-2"));
  EXPECT_TRUE(IsValidDecInt(u"-12"));
  EXPECT_TRUE(IsValidDecInt(u"7"));
}
