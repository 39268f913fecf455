#include "DateUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "Exceptions.h"

using namespace qelta;

namespace {

// Compares 16-bit texts as UTF-8 so that failures print readably.
#define EXPECT_TEXT(actual, expected) EXPECT_EQ(StringToUtf8(String(actual)), StringToUtf8(String(expected)))


struct Ymd {
  int y, m, d;
};
struct Hnsz {
  int h, n, s, z;
};

// Serial numbers: 1899-12-30 is day 0; the others counted by hand from it and from 2000-01-01 (36526).
struct DateCase {
  Ymd date;
  double serial;
};
const DateCase kDates[] = {
    {{1899, 12, 30}, 0},   {{1899, 12, 31}, 1},   {{1899, 12, 29}, -1},      {{1900, 1, 1}, 2},
    {{1900, 3, 1}, 61},    {{1970, 1, 1}, 25569}, {{2000, 1, 1}, 36526},     {{2000, 2, 29}, 36585},
    {{2000, 3, 1}, 36586}, {{1, 1, 1}, -693593},  {{9999, 12, 31}, 2958465},
};

TEST(DateUtils, EncodesAndDecodesKnownDates) {
  for (const auto& c : kDates) {
    EXPECT_EQ(EncodeDate(c.date.y, c.date.m, c.date.d), c.serial) << c.date.y << "-" << c.date.m << "-" << c.date.d;
    int y = 0, m = 0, d = 0;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.date.y * 10000 + c.date.m * 100 + c.date.d);
  }
}

TEST(DateUtils, ConsecutiveSerialsWalkTheCalendarDayByDay) {
  int py = 0, pm = 0, pd = 0;
  DecodeDate(EncodeDate(1599, 12, 31), py, pm, pd);
  for (double serial = EncodeDate(1600, 1, 1); serial <= EncodeDate(2401, 1, 1); ++serial) {
    int y = 0, m = 0, d = 0;
    DecodeDate(serial, y, m, d);
    const bool nextDay = y == py && m == pm && d == pd + 1;
    const bool nextMonth = y == py && m == pm + 1 && d == 1 && pd == DaysInMonth(py, pm);
    const bool nextYear = y == py + 1 && m == 1 && d == 1 && pm == 12 && pd == 31;
    ASSERT_TRUE(nextDay || nextMonth || nextYear) << y << "-" << m << "-" << d;
    ASSERT_EQ(EncodeDate(y, m, d), serial);
    py = y, pm = m, pd = d;
  }
}

TEST(DateUtils, SampledSerialsRoundTripOverTheWholeRange) {
  for (double serial = -693593; serial <= 2958465; serial += 997) {
    int y = 0, m = 0, d = 0;
    DecodeDate(serial, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), serial);
  }
}

TEST(DateUtils, LeapYearsAndMonthLengths) {
  const struct {
    int year;
    bool leap;
  } leaps[] = {{1900, false}, {2000, true}, {2004, true}, {2100, false}, {2023, false}, {1600, true}, {4, true}};
  for (const auto& c : leaps) EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;

  const struct {
    int year, month, days;
  } months[] = {{1900, 2, 28}, {2000, 2, 29}, {2023, 4, 30}, {2023, 12, 31}, {2023, 0, 0}, {2023, 13, 0}};
  for (const auto& c : months) EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
}

TEST(DateUtils, RefusesImpossibleDatesWithTheEncodeMessage) {
  const Ymd bad[] = {{0, 1, 1},    {10000, 1, 1}, {-5, 1, 1},    {2023, 0, 1},  {2023, 13, 1},
                     {2023, 1, 0}, {2023, 1, 32}, {1900, 2, 29}, {2023, 4, 31}, {2023, 2, -1}};
  for (const auto& c : bad) {
    EXPECT_THROW_MSG(EncodeDate(c.y, c.m, c.d), EConvertError, "Invalid argument to date encode");
    TDateTime untouched = 42;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, untouched));
    EXPECT_EQ(untouched, 42);
  }
}

TEST(DateUtils, RefusesImpossibleTimesWithTheEncodeMessage) {
  const Hnsz bad[] = {{24, 0, 0, 0}, {-1, 0, 0, 0},   {0, 60, 0, 0}, {0, -1, 0, 0},
                      {0, 0, 60, 0}, {0, 0, 0, 1000}, {0, 0, 0, -1}};
  for (const auto& c : bad) {
    EXPECT_THROW_MSG(EncodeTime(c.h, c.n, c.s, c.z), EConvertError, "Invalid argument to time encode");
    TDateTime untouched = 42;
    EXPECT_FALSE(TryEncodeTime(c.h, c.n, c.s, c.z, untouched));
    EXPECT_EQ(untouched, 42);
  }
  EXPECT_THROW_MSG(EncodeDateTime(2023, 2, 30, 0, 0, 0, 0), EConvertError, "Invalid argument to date encode");
  EXPECT_THROW_MSG(EncodeDateTime(2023, 2, 3, 0, 0, 0, 1000), EConvertError, "Invalid argument to time encode");
}

TEST(DateUtils, TimesRoundTripToTheMillisecond) {
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  for (int ms = 0; ms < 86400000; ms += 7919) {
    const Hnsz t{ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
    int h = 0, n = 0, s = 0, z = 0;
    DecodeTime(37000 + EncodeTime(t.h, t.n, t.s, t.z), h, n, s, z);
    ASSERT_EQ(((h * 60 + n) * 60 + s) * 1000 + z, ms);
  }
}

// For a date before 1899-12-30 the date is the truncated part and the time the absolute fraction;
// -0.5 and 0.5 are both noon of day 0, which encodes as 0.5.
TEST(DateUtils, NegativeValuesCountTheTimeForward) {
  const struct {
    double value;
    Ymd date;
    Hnsz time;
    double encoded;
  } cases[] = {
      {-1.25, {1899, 12, 29}, {6, 0, 0, 0}, -1.25},
      {-0.5, {1899, 12, 30}, {12, 0, 0, 0}, 0.5},
      {-2.75, {1899, 12, 28}, {18, 0, 0, 0}, -2.75},
      {-693593.5, {1, 1, 1}, {12, 0, 0, 0}, -693593.5},
  };
  for (const auto& c : cases) {
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, z = 0;
    DecodeDateTime(c.value, y, m, d, h, n, s, z);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.date.y * 10000 + c.date.m * 100 + c.date.d) << c.value;
    EXPECT_EQ(h * 100 + n, c.time.h * 100 + c.time.n) << c.value;
    EXPECT_EQ(EncodeDateTime(y, m, d, h, n, s, z), c.encoded);
  }
}

// Regression: hours, minutes and seconds taken apart from the raw fraction truncated a value a hair
// below 08:00 to 07:59:59.999 and showed it as 07:59.
TEST(DateUtils, ValuesJustBelowAFullHourDecodeAsThatHour) {
  double summed = EncodeTime(7, 0, 0, 0);
  for (int i = 0; i < 60; ++i) summed += 1.0 / 1440;
  const double below[] = {std::nextafter(EncodeTime(8, 0, 0, 0), 0.0), summed,
                          EncodeTime(7, 59, 59, 0) + 0.9999 / 86400};
  for (double t : below) {
    int h = 0, n = 0, s = 0, z = 0;
    DecodeTime(40000 + t, h, n, s, z);
    EXPECT_EQ(((h * 60 + n) * 60 + s) * 1000 + z, 8 * 3600000) << t;
    EXPECT_TEXT(FormatDateTime(u"hh:nn", t), u"08:00");
  }
}

TEST(DateUtils, RoundingToTheMillisecondCarriesIntoTheNextDay) {
  const struct {
    double value;
    const char16_t* text;
  } cases[] = {
      {EncodeDate(2023, 12, 31) + 86399.9996 / 86400, u"2024-01-01 00:00:00.000"},
      {EncodeDate(2023, 12, 31) + 86399.9994 / 86400, u"2023-12-31 23:59:59.999"},
      {EncodeDate(2024, 2, 28) + 86399.9996 / 86400, u"2024-02-29 00:00:00.000"},
      {EncodeDate(9999, 12, 31) + 86399.9996 / 86400, u"10000-01-01 00:00:00.000"},
      {-1.9999999999, u"1899-12-30 00:00:00.000"},
      {-0.9999999999, u"1899-12-31 00:00:00.000"},
  };
  for (const auto& c : cases) {
    EXPECT_TEXT(FormatDateTime(u"yyyy-mm-dd hh:nn:ss.zzz", c.value), c.text) << c.value;
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, z = 0;
    DecodeDateTime(c.value, y, m, d, h, n, s, z);
    int dy = 0, dm = 0, dd = 0;
    DecodeDate(c.value, dy, dm, dd);
    EXPECT_EQ(dy * 10000 + dm * 100 + dd, y * 10000 + m * 100 + d) << "DecodeDate agrees with DecodeDateTime";
  }
}

TEST(DateUtils, DayOfWeekCountsFromSunday) {
  const struct {
    double value;
    int dow;
  } cases[] = {{0, 7},
               {1, 1},
               {-1, 6},
               {-1.5, 6},
               {EncodeDate(2000, 1, 1), 7},
               {EncodeDate(2023, 6, 15) + 0.75, 5},
               {EncodeDate(1, 1, 1), 2},
               {std::nan(""), 0}};
  for (const auto& c : cases) EXPECT_EQ(DayOfWeek(c.value), c.dow) << c.value;
}

TEST(DateUtils, UndecodableValuesGiveZerosWithoutFailing) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {std::nan(""), inf, -inf, -693594, 1e300, -1e300};
  for (double v : values) {
    int y = 1, m = 1, d = 1, h = 1, n = 1, s = 1, z = 1;
    DecodeDateTime(v, y, m, d, h, n, s, z);
    EXPECT_EQ(y + m + d, 0) << v;
    EXPECT_TEXT(FormatDateTime(u"dddd mmmm", v), u" ") << v;
  }
  int h = 0, n = 0, s = 0, z = 0;
  DecodeTime(-693594.25, h, n, s, z);
  EXPECT_EQ(h, 6);
}

// 2009-03-07 was a Saturday.
class FormatDateTimeTest : public ::testing::Test {
 protected:
  void TearDown() override { FormatSettings = saved_; }
  const TDateTime afternoon_ = EncodeDateTime(2009, 3, 7, 14, 5, 9, 45);
  TFormatSettings saved_ = FormatSettings;
};

TEST_F(FormatDateTimeTest, WritesEveryToken) {
  const struct {
    const char16_t* format;
    const char16_t* text;
  } cases[] = {
      {u"d", u"7"},
      {u"dd", u"07"},
      {u"ddd", u"Sat"},
      {u"dddd", u"Saturday"},
      {u"ddddd", u"3/7/2009"},
      {u"dddddd", u"Saturday, March 7, 2009"},
      {u"m", u"3"},
      {u"mm", u"03"},
      {u"mmm", u"Mar"},
      {u"mmmm", u"March"},
      {u"y", u"09"},
      {u"yy", u"09"},
      {u"yyyy", u"2009"},
      {u"h", u"14"},
      {u"hh", u"14"},
      {u"n", u"5"},
      {u"nn", u"05"},
      {u"s", u"9"},
      {u"ss", u"09"},
      {u"z", u"45"},
      {u"zzz", u"045"},
      {u"t", u"2:05 PM"},
      {u"tt", u"2:05:09 PM"},
      {u"c", u"3/7/2009 2:05:09 PM"},
      {u"", u"3/7/2009 2:05:09 PM"},
      {u"YYYY-MM-DD HH:NN:SS", u"2009-03-07 14:05:09"},
      {u"dd.mm.yy", u"07.03.09"},
  };
  for (const auto& c : cases) EXPECT_TEXT(FormatDateTime(c.format, afternoon_), c.text) << StringToUtf8(c.format);
}

TEST_F(FormatDateTimeTest, MAfterAnHourMeansMinutes) {
  const struct {
    const char16_t* format;
    const char16_t* text;
  } cases[] = {{u"h:mm", u"14:05"},
               {u"hh mm", u"14 05"},
               {u"hhmm", u"1405"},
               {u"mm h", u"03 14"},
               {u"h:mm:ss mm", u"14:05:09 03"},
               {u"h d mm", u"14 7 03"}};
  for (const auto& c : cases) EXPECT_TEXT(FormatDateTime(c.format, afternoon_), c.text) << StringToUtf8(c.format);
}

TEST_F(FormatDateTimeTest, AmPmFormsFollowTheFormatsCase) {
  const struct {
    Hnsz time;
    const char16_t* format;
    const char16_t* text;
  } cases[] = {
      {{14, 5, 0, 0}, u"h am/pm", u"2 pm"},
      {{14, 5, 0, 0}, u"h AM/PM", u"2 PM"},
      {{14, 5, 0, 0}, u"h Am/Pm", u"2 Pm"},
      {{14, 5, 0, 0}, u"h a/p", u"2 p"},
      {{14, 5, 0, 0}, u"h A/P", u"2 P"},
      {{14, 5, 0, 0}, u"hh ampm", u"02 PM"},
      {{0, 30, 0, 0}, u"h:nn am/pm", u"12:30 am"},
      {{12, 0, 0, 0}, u"h:nn am/pm", u"12:00 pm"},
      {{11, 59, 0, 0}, u"h:nnam/pm", u"11:59am"},
      {{0, 30, 0, 0}, u"hh AMPM", u"12 AM"},
      {{14, 5, 0, 0}, u"h \"am/pm\"", u"14 am/pm"},
      {{14, 5, 0, 0}, u"h a", u"14 a"},
  };
  for (const auto& c : cases) {
    const TDateTime dt = EncodeTime(c.time.h, c.time.n, c.time.s, c.time.z);
    EXPECT_TEXT(FormatDateTime(c.format, dt), c.text) << StringToUtf8(c.format);
  }
  FormatSettings.TimePMString = U8("nachm.");
  EXPECT_TEXT(FormatDateTime(u"h ampm", afternoon_), U8("2 nachm."));
}

TEST_F(FormatDateTimeTest, CopiesQuotedAndOtherTextLiterally) {
  const struct {
    const char16_t* format;
    const char16_t* text;
  } cases[] = {{u"\"Day\" d", u"Day 7"},         {u"'h' h", u"h 14"},      {u"\"it's\" d", u"it's 7"},
               {u"'say \"hi\"'", u"say \"hi\""}, {u"\"open d", u"open d"}, {u"x#-[]", u"x#-[]"},
               {u"\"/:\"/:", u"/:/:"},           {u"d\"\"d", u"77"}};
  for (const auto& c : cases) EXPECT_TEXT(FormatDateTime(c.format, afternoon_), c.text) << StringToUtf8(c.format);
}

TEST_F(FormatDateTimeTest, UsesSeparatorsNamesAndFormatsFromTheSettings) {
  FormatSettings.DateSeparator = u'-';
  FormatSettings.TimeSeparator = u'.';
  FormatSettings.ShortDateFormat = u"dd/mm/yyyy";
  FormatSettings.LongTimeFormat = u"hh:nn:ss";
  FormatSettings.LongMonthNames[2] = U8("März");
  FormatSettings.ShortDayNames[6] = u"Sa";
  EXPECT_TEXT(FormatDateTime(u"dd/mm/yyyy hh:nn", afternoon_), u"07-03-2009 14.05");
  EXPECT_TEXT(DateToStr(afternoon_), u"07-03-2009");
  EXPECT_TEXT(TimeToStr(afternoon_), u"14.05.09");
  EXPECT_TEXT(DateTimeToStr(afternoon_), u"07-03-2009 14.05.09");
  EXPECT_TEXT(FormatDateTime(u"ddd d mmmm", afternoon_), U8("Sa 7 März"));
  FormatSettings.DateSeparator = 0;
  EXPECT_TEXT(FormatDateTime(u"dd/mm", afternoon_), u"0703");
}

TEST_F(FormatDateTimeTest, DateTimeTextLeavesOutMidnight) {
  EXPECT_TEXT(DateTimeToStr(EncodeDate(2009, 3, 7)), u"3/7/2009");
  EXPECT_TEXT(DateTimeToStr(EncodeDateTime(2009, 3, 7, 0, 0, 0, 1)), u"3/7/2009 12:00:00 AM");
  EXPECT_TEXT(DateTimeToStr(-1.25), u"12/29/1899 6:00:00 AM");
}

// Regression: "zz" was written without leading zeros, so 50 ms after a second read as ".50".
TEST_F(FormatDateTimeTest, TwoZsWriteThreeDigits) {
  EXPECT_TEXT(FormatDateTime(u"hh:nn:ss.zz", EncodeTime(12, 0, 1, 50)), u"12:00:01.050");
  EXPECT_TEXT(FormatDateTime(u"ss.z", EncodeTime(12, 0, 1, 5)), u"01.5");
}

// Regression: a settings format that refers to itself recursed without end.
TEST_F(FormatDateTimeTest, SelfReferringSettingsFormatsStop) {
  FormatSettings.ShortDateFormat = u"dd ddddd";
  EXPECT_TEXT(DateToStr(afternoon_), u"07 ");
  FormatSettings.ShortTimeFormat = u"hh t";
  EXPECT_TEXT(FormatDateTime(u"t", afternoon_), u"14 ");
}

class ClockTest : public ::testing::Test {
 protected:
  void TearDown() override { SetClockOverride(std::nullopt); }
};

TEST_F(ClockTest, OverrideFixesNowDateAndTime) {
  const struct {
    double now, date, time;
  } cases[] = {{EncodeDateTime(2020, 2, 29, 13, 14, 15, 16), EncodeDate(2020, 2, 29), EncodeTime(13, 14, 15, 16)},
               {-1.25, -1, 0.25},
               {EncodeDate(2023, 12, 31) + 86399.9996 / 86400, EncodeDate(2024, 1, 1), 0}};
  for (const auto& c : cases) {
    SetClockOverride(c.now);
    EXPECT_EQ(Now(), c.now);
    EXPECT_EQ(Date(), c.date);
    EXPECT_EQ(Time(), c.time);
  }
}

TEST_F(ClockTest, WithoutOverrideReadsTheWallClock) {
  SetClockOverride(1.5);
  SetClockOverride(std::nullopt);
  int y = 0, m = 0, d = 0;
  DecodeDate(Now(), y, m, d);
  EXPECT_GE(y, 2024);
  EXPECT_GE(Time(), 0.0);
  EXPECT_LT(Time(), 1.0);
  EXPECT_EQ(Date(), std::trunc(Date()));
}

}  // namespace

TEST(DateUtils, IsoWeekdaysAndWeekNumbers) {
  struct Case {
    int y, m, d, weekday, week, weekYear;
  };
  // Reference values: Python's date.isocalendar().
  const Case cases[] = {{2021, 1, 1, 5, 53, 2020},  {2020, 12, 31, 4, 53, 2020}, {2024, 12, 30, 1, 1, 2025},
                        {2023, 1, 1, 7, 52, 2022},  {2026, 6, 15, 1, 25, 2026},  {2015, 12, 31, 4, 53, 2015},
                        {2016, 1, 3, 7, 53, 2015},  {2008, 12, 29, 1, 1, 2009},  {2010, 1, 3, 7, 53, 2009},
                        {1900, 1, 1, 1, 1, 1900}};
  for (const Case& c : cases) {
    const TDateTime dt = EncodeDate(c.y, c.m, c.d) + 0.75;
    int year = 0;
    EXPECT_EQ(DayOfTheWeek(dt), c.weekday) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(WeekOfTheYear(dt, year), c.week) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(year, c.weekYear) << c.y << "-" << c.m << "-" << c.d;
  }
  int year = 5;
  EXPECT_EQ(WeekOfTheYear(std::numeric_limits<double>::quiet_NaN(), year), 0);
  EXPECT_EQ(year, 0);
  EXPECT_EQ(DayOfTheWeek(-1e12), 0);
}

TEST(DateUtils, PatternsWriteEveryTokenCaseSensitively) {
  const TDateTime dt = EncodeDateTime(2023, 3, 5, 14, 7, 9, 0);  // a Sunday
  struct Case {
    const char16_t* pattern;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"dd.MM.yyyy", u"05.03.2023"},
      {u"d/M/yy", u"5/3/23"},
      {u"dddd, MMMM d", u"Sunday, March 5"},
      {u"ddd MMM", u"Sun Mar"},
      {u"HH:mm:ss", u"14:07:09"},
      {u"H:m:s", u"14:7:9"},
      {u"hh:mm tt", u"02:07 PM"},
      {u"h t", u"2 P"},
      {u"'at' HH 'o''clock'", u"at 14 o'clock"},
      {u"yyy MMMMM", u"yyy MMMMM"},  // runs that are no token stand as they are
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTimePattern(c.pattern, dt), String(c.text)) << StringToUtf8(c.pattern);
  EXPECT_EQ(FormatDateTimePattern(u"hh tt", EncodeTime(0, 30, 0, 0)), u"12 AM");
  EXPECT_EQ(FormatDateTimePattern(u"hh tt", EncodeTime(12, 30, 0, 0)), u"12 PM");
}

TEST(DateUtils, PatternTokenTableNamesEveryRunOfALetter) {
  struct Case {
    const char16_t* run;
    TDateTimeTokenField field;
    TDateTimeTokenSpelling spelling;
    int width;
  };
  const Case tokens[] = {
      {u"yyyy", dtpYear, dtsDigits, 4},         {u"yy", dtpYear, dtsDigits, 2},
      {u"MMMM", dtpMonth, dtsLongName, 0},      {u"MMM", dtpMonth, dtsShortName, 0},
      {u"MM", dtpMonth, dtsDigits, 2},          {u"M", dtpMonth, dtsNumber, 0},
      {u"dddd", dtpWeekday, dtsLongName, 0},    {u"ddd", dtpWeekday, dtsShortName, 0},
      {u"dd", dtpDay, dtsDigits, 2},            {u"d", dtpDay, dtsNumber, 0},
      {u"HH", dtpHour, dtsDigits, 2},           {u"H", dtpHour, dtsNumber, 0},
      {u"hh", dtpHour12, dtsDigits, 2},         {u"h", dtpHour12, dtsNumber, 0},
      {u"mm", dtpMinute, dtsDigits, 2},         {u"m", dtpMinute, dtsNumber, 0},
      {u"ss", dtpSecond, dtsDigits, 2},         {u"s", dtpSecond, dtsNumber, 0},
      {u"tt", dtpAmPm, dtsMarker, 2},           {u"t", dtpAmPm, dtsMarker, 1},
  };
  for (const Case& c : tokens) {
    const TDateTimeToken t = DateTimeTokenOf(c.run);
    EXPECT_EQ(t.Field, c.field) << StringToUtf8(c.run);
    EXPECT_EQ(t.Spelling, c.spelling) << StringToUtf8(c.run);
    EXPECT_EQ(t.Width, c.width) << StringToUtf8(c.run);
  }
  // Other runs of the letters, other letters (tokens are case-sensitive) and mixed runs are no tokens.
  for (const char16_t* run : {u"y", u"yyy", u"yyyyy", u"MMMMM", u"ddddd", u"HHH", u"hhh", u"mmm", u"sss", u"ttt",
                              u"Y", u"D", u"S", u"T", u"", u"yM"})
    EXPECT_EQ(DateTimeTokenOf(run).Field, dtpNone) << StringToUtf8(run);
}

TEST(DateUtils, PatternTokensComeOffTheFrontOneByOne) {
  String pattern = u"dd'.'MM 'it''s'x";
  std::vector<std::pair<String, bool>> tokens;
  while (!pattern.empty()) {
    bool literal = false;
    const String token = TakeDateTimePatternToken(pattern, literal);
    tokens.emplace_back(token, literal);
  }
  const std::vector<std::pair<String, bool>> expected = {
      {u"dd", false}, {u".", true}, {u"MM", false}, {u" ", true}, {u"it's", true}, {u"x", true}};
  EXPECT_EQ(tokens, expected);
  bool literal = false;
  String empty;
  EXPECT_EQ(TakeDateTimePatternToken(empty, literal), u"");
  EXPECT_TRUE(literal);
}
