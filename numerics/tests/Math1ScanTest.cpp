// Scanners and validators of Qelta_math1.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "Assertions.h"
#include "DateUtils.h"
#include "Forms.h"
#include "Qelta_math1.h"
#include "StrUtils.h"
#include "SysUtils.h"

using namespace qelta;

namespace {

// [SECTION] integer scanners

TEST(ScanOctalBin, ReadDigitsOfTheirBaseAfterBlanks) {
  const struct {
    int (*scan)(const String&, int&);
    const char16_t* text;
    int pos, value, endPos;
  } cases[] = {
      {ScanBin, u"  101", 1, 5, 6},    {ScanBin, u"1102", 1, 6, 4},     {ScanBin, u"  ", 1, 0, 2},
      {ScanBin, u"x1", 1, 0, 1},       {ScanBin, u"01", 3, 0, 3},       {ScanOctal, u"17x", 1, 15, 3},
      {ScanOctal, u"9", 1, 0, 1},      {ScanOctal, u"a 777", 2, 511, 6}, {ScanOctal, u"-7", 1, 0, 1},
      {ScanOctal, u"", 1, 0, 1},       {ScanOctal, u"7", 0, 0, 0},
      {ScanBin, u"111111111111111111111111111111111", 1, -1, 34},  // 33 ones wrap modulo 2^32
  };
  for (const auto& c : cases) {
    int pos = c.pos;
    EXPECT_EQ(c.scan(c.text, pos), c.value) << StringToUtf8(c.text);
    EXPECT_EQ(pos, c.endPos) << StringToUtf8(c.text);
  }
}

TEST(Scanners, TheFoundationsScannersAreOfferedHere) {
  int pos = 1;
  EXPECT_EQ(ScanDecimal(u"  -42x", pos), -42);
  EXPECT_EQ(pos, 6);
  pos = 1;
  EXPECT_EQ(ScanHex(u"$1f", pos), 31);
  pos = 1;
  EXPECT_EQ(ScanFPNum(u"3,5", false, 2, pos), 3.5);
}

// [SECTION] angles

TEST(ScanDegrees, ReadsTheTextsDegreeToStrWrites) {
  const struct {
    const char* text;
    bool comma;
    double angle;
    int error, endPos;
  } cases[] = {
      {"12.5", false, 12.5, 0, 5},
      {"12.50°", false, 12.5, 0, 7},
      {"12°  30'", false, 12.5, 0, 9},
      {"-0° 30.0'", false, -0.5, 0, 10},
      {"12° 30' 30.0\" rest", false, 12.508333333333333, 0, 14},
      {"  +7° x", false, 7, 0, 6},
      {"12,5°", true, 12.5, 0, 6},
      {"12,5°", false, 12, 0, 3},
      {"5° 30", false, 5.5, 0, 6},      // minutes without their mark end the angle
      {"5° 30 15\"", false, 5.5, 0, 6},  // seconds only after a marked minute
      {".5", false, 0.5, 0, 3},
      {"abc", false, 0, -1, 1},
      {"-", false, 0, -1, 1},
      {"10° 61'", false, 0, -2, 8},
      {"10° 1' 60.5\"", false, 0, -2, 13},
  };
  for (const auto& c : cases) {
    const String s = Utf8ToString(c.text);
    int pos = 1, error = 99;
    EXPECT_NEAR(ScanDegrees(s, pos, c.comma, error), c.angle, 1e-12) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(pos, c.endPos) << c.text;
  }
}

// The blank skipper read the character before the text when the position stood below 1.
TEST(ScanDegrees, PositionOutsideTheTextReadsNoNumber) {
  const String s = u"    12.5 degrees";  // long enough to live on the heap, where the sanitizer sees the stray read
  for (int start : {-7, 0, 17, 100}) {
    int pos = start, error = 99;
    EXPECT_EQ(ScanDegrees(s, pos, true, error), 0) << start;
    EXPECT_EQ(error, -1) << start;
    EXPECT_EQ(pos, start);
  }
}

TEST(ScanDegrees, ReadsBackWhatDegreeToStrWrote) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> u(-200, 200);
  for (int i = 0; i < 2000; ++i) {
    const double angle = u(rng);
    for (TDegreeFormat f : {dfDeg, dfDegMin, dfDegMinSec, dfNumeric}) {
      const String text = DegreeToStr(angle, f, 4);
      int pos = 1, error = 99;
      const double back = ScanDegrees(text, pos, false, error);
      ASSERT_EQ(error, 0) << StringToUtf8(text);
      ASSERT_EQ(pos, Length(text) + 1) << StringToUtf8(text);
      const double unit = f == dfDegMinSec ? 1.0 / 3600 : f == dfDegMin ? 1.0 / 60 : 1;
      ASSERT_NEAR(back, angle, 0.6e-4 * unit) << StringToUtf8(text);
    }
  }
}

// [SECTION] date and time

class ScanDateTimeTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClockOverride(EncodeDate(2025, 6, 1)); }
  void TearDown() override {
    SetClockOverride(std::nullopt);
    FormatSettings.TwoDigitYearCenturyWindow = 50;
  }
};

TEST_F(ScanDateTimeTest, ReadsDatesAndTimesByTheFormat) {
  const struct {
    const char* text;
    const char16_t* format;
    TLanguage lang;
    TDateTime expected;
  } cases[] = {
      {"24.12.2023", u"dd.MM.yyyy", lgEnglish, EncodeDate(2023, 12, 24)},
      {"12/31/99 11:05 pm", u"MM/dd/yy hh:mm tt", lgEnglish, EncodeDateTime(1999, 12, 31, 23, 5, 0, 0)},
      {"Mar 3 2020", u"MMM d yyyy", lgEnglish, EncodeDate(2020, 3, 3)},
      {"12:00 AM", u"hh:mm tt", lgEnglish, 0},
      {"12:00 PM", u"hh:mm tt", lgEnglish, 0.5},
      {"01:30 p", u"hh:mm t", lgEnglish, EncodeTime(13, 30, 0, 0)},
      {"7:5:9", u"H:m:s", lgEnglish, EncodeTime(7, 5, 9, 0)},
      {"12", u"h", lgEnglish, 0},  // a 12-hour clock without a marker counts as AM
      {"1. Dezember 2023", u"d. MMMM yyyy", lgGerman, EncodeDate(2023, 12, 1)},
      {"Monday, March 4, 2024", u"dddd, MMMM d, yyyy", lgEnglish, EncodeDate(2024, 3, 4)},
      {"lun 4 mars 2024", u"ddd d MMMM yyyy", lgFrench, EncodeDate(2024, 3, 4)},
      {"at 10h05", u"'at' HH'h'mm", lgEnglish, EncodeTime(10, 5, 0, 0)},
      {"it's 7", u"'it''s' H", lgEnglish, EncodeTime(7, 0, 0, 0)},
      {"2024-2-29", u"yyyy-M-d", lgEnglish, EncodeDate(2024, 2, 29)},
      {"", u"", lgEnglish, 0},
      // The French short name of June has four letters; comparing three characters never found it.
      {"juin 5 2021", u"MMM d yyyy", lgFrench, EncodeDate(2021, 6, 5)},
      // Adding the time to a date before 1899-12-30 moved the value towards zero: the wrong day.
      {"1899-12-29 06:00", u"yyyy-MM-dd HH:mm", lgEnglish, -1.25},
  };
  for (const auto& c : cases) {
    int error = 99;
    EXPECT_DOUBLE_EQ(ScanDateTime(Utf8ToString(c.text), c.format, c.lang, error), c.expected) << c.text;
    EXPECT_EQ(error, 0) << c.text;
  }
}

TEST_F(ScanDateTimeTest, ReportsMismatchesWithErrorCodesAndZero) {
  const struct {
    const char* text;
    const char16_t* format;
    int error;
  } cases[] = {
      {"24.12", u"dd-MM", -1},     {"2020", u"yyy", -2},          {"12:00:00", u"HH:mm:sss", -2},
      {"ab.12.2023", u"dd.MM.yyyy", -3},                          {"Foo 3", u"MMM d", -3},
      {"x", u"M", -3},             {"", u"tt", -3},               {"Mon", u"dddd", -3},
      // A two-digit year that was not a number was taken as 0: a valid date in the wrong century.
      {"ab/12/31", u"yy/MM/dd", -3},
  };
  for (const auto& c : cases) {
    int error = 0;
    EXPECT_EQ(ScanDateTime(Utf8ToString(c.text), c.format, lgEnglish, error), 0) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST_F(ScanDateTimeTest, RaisesTheConversionErrorForImpossibleValues) {
  int error = 0;
  EXPECT_THROW(ScanDateTime(u"Mar 3", u"MMM d", lgEnglish, error), EConvertError);  // year 0
  EXPECT_THROW(ScanDateTime(u"25:00", u"HH:mm", lgEnglish, error), EConvertError);
  EXPECT_THROW(ScanDateTime(u"2023-02-29", u"yyyy-MM-dd", lgEnglish, error), EConvertError);
}

TEST_F(ScanDateTimeTest, PlacesTwoDigitYearsByTheCenturyWindow) {
  const struct {
    const char16_t* text;
    int window, year;
  } cases[] = {{u"24", 50, 2024}, {u"76", 50, 1976}, {u"75", 50, 1975}, {u"74", 50, 2074}, {u"99", 0, 2099},
               {u"05", 0, 2005}};
  for (const auto& c : cases) {
    FormatSettings.TwoDigitYearCenturyWindow = static_cast<uint16_t>(c.window);
    int error = 0;
    const TDateTime dt = ScanDateTime(String(c.text) + u"0101", u"yyMMdd", lgEnglish, error);
    EXPECT_EQ(dt, EncodeDate(c.year, 1, 1)) << StringToUtf8(c.text) << " window " << c.window;
  }
}

// Every token, every error code, the 12-hour and two-digit-year rules in one table; the clock stands at
// 2025-06-01 and the century window at 50, so two-digit years run from 1975 to 2074.
TEST_F(ScanDateTimeTest, ReadsEveryTokenOfThePatternLanguage) {
  const TDateTime xmas = EncodeDate(2023, 12, 24);
  const struct {
    const char* text;
    const char16_t* format;
    TLanguage lang;
    TDateTime value;
    int error;
  } cases[] = {
      // dates: yyyy yy MMMM MMM MM M dddd ddd dd d
      {"2023-12-24", u"yyyy-MM-dd", lgEnglish, xmas, 0},
      {"24/12/23", u"dd/MM/yy", lgEnglish, xmas, 0},
      {"24/12/75", u"dd/MM/yy", lgEnglish, EncodeDate(1975, 12, 24), 0},
      {"24/12/74", u"dd/MM/yy", lgEnglish, EncodeDate(2074, 12, 24), 0},
      {"December 24 2023", u"MMMM d yyyy", lgEnglish, xmas, 0},
      {"dec 24 2023", u"MMM d yyyy", lgEnglish, xmas, 0},
      {"12/24/2023", u"M/d/yyyy", lgEnglish, xmas, 0},
      {"Sunday, 24.12.2023", u"dddd, dd.MM.yyyy", lgEnglish, xmas, 0},
      {"Sun 24.12.2023", u"ddd dd.MM.yyyy", lgEnglish, xmas, 0},
      {"Sonntag, 24. Dezember 2023", u"dddd, d. MMMM yyyy", lgGerman, xmas, 0},
      {"So 24 Dez 2023", u"ddd d MMM yyyy", lgGerman, xmas, 0},
      {"dimanche 24 décembre 2023", u"dddd d MMMM yyyy", lgFrench, xmas, 0},
      {"domingo, 24 de diciembre de 2023", u"dddd, d 'de' MMMM 'de' yyyy", lgSpanish, xmas, 0},
      {"2023 M12 24", u"yyyy MMM d", lgUnknown, xmas, 0},
      // times alone (year, month and day 0): HH H hh h mm m ss s tt t
      {"14:05:09", u"HH:mm:ss", lgEnglish, EncodeTime(14, 5, 9, 0), 0},
      {"7:5:9", u"H:m:s", lgEnglish, EncodeTime(7, 5, 9, 0), 0},
      {"02:05 PM", u"hh:mm tt", lgEnglish, EncodeTime(14, 5, 0, 0), 0},
      {"2:05 p", u"h:mm t", lgEnglish, EncodeTime(14, 5, 0, 0), 0},
      {"12:30 AM", u"hh:mm tt", lgEnglish, EncodeTime(0, 30, 0, 0), 0},
      {"12:30 am", u"h:mm tt", lgEnglish, EncodeTime(0, 30, 0, 0), 0},
      {"12:30 PM", u"hh:mm tt", lgEnglish, EncodeTime(12, 30, 0, 0), 0},
      {"11:30 xm", u"hh:mm tt", lgEnglish, EncodeTime(23, 30, 0, 0), 0},  // any marker but "am" is PM
      {"12", u"hh", lgEnglish, 0, 0},                                      // no marker: AM
      {"2 PM", u"H tt", lgEnglish, EncodeTime(2, 0, 0, 0), 0},             // the 24-hour clock ignores it
      {"00:00", u"HH:mm", lgEnglish, 0, 0},
      // both, and literals: plain, quoted, with a quote inside
      {"12/31/99 11:05 pm", u"MM/dd/yy hh:mm tt", lgEnglish, EncodeDateTime(1999, 12, 31, 23, 5, 0, 0), 0},
      {"at 10h05", u"'at' HH'h'mm", lgEnglish, EncodeTime(10, 5, 0, 0), 0},
      {"it's 7", u"'it''s' H", lgEnglish, EncodeTime(7, 0, 0, 0), 0},
      {"", u"", lgEnglish, 0, 0},
      // -1: a literal that does not match
      {"24.12", u"dd-MM", lgEnglish, 0, -1},
      {"x24", u"'y'dd", lgEnglish, 0, -1},
      // -2: runs of other lengths (tokens are case-sensitive: "YYYY" is a literal)
      {"2020", u"yyy", lgEnglish, 0, -2},          {"2", u"y", lgEnglish, 0, -2},
      {"5", u"MMMMM", lgEnglish, 0, -2},           {"5", u"ddddd", lgEnglish, 0, -2},
      {"5", u"HHH", lgEnglish, 0, -2},             {"5", u"hhh", lgEnglish, 0, -2},
      {"5", u"mmm", lgEnglish, 0, -2},             {"5", u"sss", lgEnglish, 0, -2},
      {"a", u"ttt", lgEnglish, 0, -2},             {"2020", u"YYYY", lgEnglish, 0, -1},
      // -3: a number or name that cannot be read
      {"ab.12.2023", u"dd.MM.yyyy", lgEnglish, 0, -3},  {"ab/12/31", u"yy/MM/dd", lgEnglish, 0, -3},
      {"Foo 3 2020", u"MMM d yyyy", lgEnglish, 0, -3},  {"Mon", u"dddd", lgEnglish, 0, -3},
      {"x", u"M", lgEnglish, 0, -3},                    {"1:x", u"H:m", lgEnglish, 0, -3},
      {"", u"tt", lgEnglish, 0, -3},                    {"Dezember", u"MMMM", lgEnglish, 0, -3},
  };
  for (const auto& c : cases) {
    int error = 99;
    EXPECT_EQ(ScanDateTime(Utf8ToString(c.text), c.format, c.lang, error), c.value) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST_F(ScanDateTimeTest, RefusesImpossibleHoursOnTheTwelveHourClock) {
  int error = 0;
  EXPECT_THROW(ScanDateTime(u"13:00 PM", u"hh:mm tt", lgEnglish, error), EConvertError);
  // An hour near the integer limit with a PM marker overflowed when 12 was added to it.
  EXPECT_THROW(ScanDateTime(u"2147483647 pm", u"h tt", lgEnglish, error), EConvertError);
  EXPECT_EQ(error, 0);
}

TEST(ScanDateTime, TakesTheCurrentYearOfTheApplicationClock) {
  // "76" is 1976 while the clock says 2025 (years 1975..2074) and 2076 once it says 2040 (1990..2089).
  Application->UseVirtualClock(EncodeDate(2025, 6, 1));
  int error = 0;
  EXPECT_EQ(ScanDateTime(u"01.01.76", u"dd.MM.yy", lgEnglish, error), EncodeDate(1976, 1, 1));
  Application->AdvanceClock(int64_t(15 * 366) * 86400000);
  EXPECT_EQ(ScanDateTime(u"01.01.76", u"dd.MM.yy", lgEnglish, error), EncodeDate(2076, 1, 1));
  Application->UseRealClock();
}

// [SECTION] validators

TEST(IsValidDouble, AcceptsTextsThatStartWithANumber) {
  const struct {
    const char16_t* text;
    bool exp;
    TDecPSep sep;
    bool valid;
  } cases[] = {
      {u"1E4201", true, dsBoth, false}, {u"1E4200", true, dsBoth, true},  {u"1E04200", true, dsBoth, true},
      {u"1E5", false, dsBoth, true},    {u"12abc", true, dsDot, true},    {u"+", true, dsDot, false},
      {u"E5", true, dsDot, false},      {u"1.5E", true, dsDot, true},     {u"1.5E-", true, dsDot, true},
      {u"", true, dsBoth, false},       {u"1,5", false, dsDot, true},     {u",5", false, dsDot, false},
      {u",5", false, dsComma, true},    {u"  -3.25e-7", true, dsDot, true}, {u"- 3", true, dsDot, false},
      {u"1.2.3", true, dsBoth, false},  {u".", true, dsDot, true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidDouble(c.text, c.exp, c.sep), c.valid) << StringToUtf8(c.text);
}

TEST(IsValidFPNum, AcceptsNumbersBeingTyped) {
  const struct {
    const char16_t* text;
    TDecPSep sep;
    bool valid;
  } cases[] = {
      {u"+", dsDot, true},     {u"-", dsDot, true},     {u".", dsDot, true},     {u"-.", dsDot, true},
      {u"-12.5", dsDot, true}, {u"1.2.3", dsDot, false}, {u"1e3", dsDot, false}, {u" 1", dsDot, false},
      {u"1,5", dsDot, false},  {u"1,5", dsBoth, true},  {u"1.5", dsComma, false}, {u"", dsBoth, false},
      {u"1-", dsDot, false},   {u"+-1", dsDot, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidFPNum(c.text, c.sep), c.valid) << StringToUtf8(c.text);
}

TEST(IsValidFPNum, FollowsTheSystemSeparatorForDsSystem) {
  FormatSettings.DecimalSeparator = u',';
  EXPECT_TRUE(IsValidFPNum(u"1,5", dsSystem));
  EXPECT_FALSE(IsValidFPNum(u"1.5", dsSystem));
  EXPECT_TRUE(IsValidDouble(u"1,5E3", true, dsSystem));
  FormatSettings.DecimalSeparator = u'.';
  EXPECT_TRUE(IsValidFPNum(u"1.5", dsSystem));
}

TEST(IsValidIntegers, CheckEveryCharacter) {
  const struct {
    bool (*check)(const String&);
    const char16_t* text;
    bool valid;
  } cases[] = {
      {IsValidHex, u"09afAF", true},  {IsValidHex, u"$FF", false},  {IsValidHex, u"", false},
      {IsValidHex, u"0g", false},     {IsValidOct, u"01234567", true}, {IsValidOct, u"8", false},
      {IsValidBin, u"0110", true},    {IsValidBin, u"012", false},  {IsValidBin, u"", false},
      {IsValidDecInt, u"-", false},   {IsValidDecInt, u"1-2", false}, {IsValidDecInt, u"-12", true},
      {IsValidDecInt, u"7", true},    {IsValidDecInt, u"+", false}, {IsValidDecInt, u"", false},
      {IsValidDecInt, u"007", true},  {IsValidDecInt, u"1 ", false},
      {IsValidDecInt, u"123456789012345678901234567890", true},  // no length limit
  };
  for (const auto& c : cases) EXPECT_EQ(c.check(c.text), c.valid) << StringToUtf8(c.text);
}

}  // namespace

TEST(Math1Scan, ScanDateTimeReadsWhatThePlatformsPatternFormatterWrites) {
  // The row editor writes a date/time cell with the picker's formatter and reads it back with the scanner.
  const char16_t* patterns[] = {u"dd.MM.yyyy",         u"M/d/yyyy h:mm tt", u"yyyy-MM-dd HH:mm:ss",
                                u"dddd, MMMM d, yyyy", u"ddd d MMM yyyy",   u"'day' d 'of' M, yyyy, H:m:s",
                                u"hh:mm:ss t"};
  std::mt19937 random(5807);
  std::uniform_real_distribution<double> days(2.0, 2958465.0);  // 1900-01-01 .. 9999-12-31
  for (int i = 0; i < 200; ++i) {
    const TDateTime dt = std::floor(days(random) * 86400.0) / 86400.0;
    for (const char16_t* pattern : patterns) {
      const String text = FormatDateTimePattern(pattern, dt);
      int error = 1;
      const TDateTime back = ScanDateTime(text, pattern, lgEnglish, error);
      ASSERT_EQ(error, 0) << StringToUtf8(text);
      const String expected = FormatDateTimePattern(pattern, dt);
      EXPECT_EQ(FormatDateTimePattern(pattern, back), expected) << StringToUtf8(text);
    }
  }
}
