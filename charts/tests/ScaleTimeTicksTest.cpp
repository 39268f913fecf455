// Time-of-day and calendar ticks of the axis scale: the golden table collected through the scale's
// events, the generators as plain values, the time text and the placement of date lines and messages.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "Assertions.h"
#include "DateUtils.h"
#include "Encoding.h"
#include "Qelta_Scale.h"
#include "SysUtils.h"

using namespace qelta;

namespace {

using Strings = std::vector<std::string>;
using TFormatStep = std::function<void(TDTLabel&)>;

// 1 March 2024 (a Friday), plus hours.
double March1(double hours = 0) { return EncodeDate(2024, 3, 1) + hours / 24; }

// What a painted scale reports: every tick mark drawn and every label (date lines included).
struct TReported {
  std::vector<double> ticks;
  Strings labels;
};

TReported PaintAndCollect(TFigType type, double low, double high, int minTicks, bool vertical, bool shortTicks,
                          const TFormatStep& format) {
  TBitmap host(400, 400);
  TScale scale(nullptr);
  scale.SetIsHelper(true);
  scale.UseForeignCanvas(host.Canvas(), 0, 0);
  scale.SetScaleType(vertical ? sctYL : sctXB);
  scale.SetLabelType(type);
  scale.SetRange(low, high);
  scale.SetMinTicks(minTicks);
  scale.SetShortTicks(shortTicks);
  if (format) format(*scale.DateFormat());
  TReported out;
  scale.OnScaleTickDrawn = [&out](TObject*, TCanvas*, TScaleType, double v, int, int) { out.ticks.push_back(v); };
  scale.OnBeforeTickLabel = [&out](TObject*, TScaleType, double, String& text) {
    out.labels.push_back(StringToUtf8(text));
  };
  scale.ForcePaint();
  return out;
}

TScaleTickRequest DateRequest(double low, double high, int minTicks, bool vertical = false) {
  TScaleTickRequest r;
  r.RangeLow = low;
  r.RangeHigh = high;
  r.MinTicks = minTicks;
  r.Vertical = vertical;
  r.LabelType = ftDateTime;
  r.MaxTicks = ScaleTickLimit(359);
  return r;
}

// Values of the short (or long) ticks of a list.
std::vector<double> TicksOfKind(const TScaleTickList& ticks, bool isLong) {
  std::vector<double> out;
  for (const TScaleTick& t : ticks)
    if (t.Long == isLong) out.push_back(t.Value);
  return out;
}

// --- the golden table --------------------------------------------------------------------------

struct TGolden {
  const char* name;
  TFigType type;
  double low, high;
  int minTicks;
  bool shortTicks;
  TFormatStep format;
  int ticks;         // tick marks drawn
  double firstTick;  // the first one
  Strings labels;    // labels and date lines in drawing order
};

TEST(ScaleTimeTicks, GoldenTableThroughTheEventsInBothOrientations) {
  const auto ampm = [](TDTLabel& f) { f.SetTimeFormat(tfAMPM); };
  const double d = March1();
  // clang-format off
  const TGolden cases[] = {
      // time of day (seconds): 1200 s steps with short ticks every 200 s
      {"time 0..3600", ftTime, 0, 3600, 3, true, nullptr, 23, 0, {" 00:00:00", " 00:20:00", " 00:40:00", " 01:00:00"}},
      {"time below 1 ms: numbers", ftTime, 0, 0.002, 3, true, nullptr, 26, 0,
       {"0.0000", "0.0005", "0.0010", "0.0015", "0.0020"}},
      {"time of a day or more: numbers", ftTime, 0, 300000, 3, true, nullptr, 20, 0,
       {"0.0", "100000.0000", "200000.0000", "300000.0000"}},
      {"time with milliseconds", ftTime, 0, 1.5, 3, false, nullptr, 4, 0,
       {" 00:00:00.000", " 00:00:00.500", " 00:00:01.000", " 00:00:01.500"}},
      {"time across zero", ftTime, -30, 30, 3, true, nullptr, 16, -30, {"-00:00:20", " 00:00:00", " 00:00:20"}},
      // Regression: the first tick was truncated toward zero, so a descending axis had no ticks
      // between 3500 and 2400.
      {"time descending", ftTime, 3500, -100, 3, true, nullptr, 21, 3400, {" 00:40:00", " 00:20:00", " 00:00:00"}},
      {"time MinTicks 0 counts as 1", ftTime, 0, 60, 0, false, nullptr, 2, 0, {" 00:00:00", " 00:01:00"}},
      // calendar: one day in 8-hour steps, short ticks every 2 hours, the date at each midnight
      {"one day", ftDateTime, d, d + 1, 3, true, nullptr, 13, d,
       {"00:00", "01-Mar-2024", "08:00", "16:00", "00:00", "02-Mar-2024"}},
      {"midnight to 23:00", ftDateTime, d, March1(23), 3, true, nullptr, 12, d,
       {"00:00", "01-Mar-2024", "06:00", "12:00", "18:00"}},
      {"one day, am/pm, date once per chart", ftDateTime, d, d + 1, 3, false,
       [](TDTLabel& f) { f.SetTimeFormat(tfAMPM), f.SetDateForTime(dtOnePerChart); }, 4, d,
       {"12am", "01-Mar-2024", "8am", "4pm", "12am"}},
      {"two days, 'h' hours, year-first without year", ftDateTime, d, d + 2, 3, false,
       [](TDTLabel& f) {
         f.SetTimeFormat(tfHHhMM), f.SetDateOrder(doYYMMDD), f.SetMonthName(false), f.SetYearLength(ylNone);
       },
       5, d, {"0h", "03-01", "12h", "0h", "03-02", "12h", "0h", "03-03"}},
      {"minutes, am/pm, date at every tick", ftDateTime, March1(12), March1(13), 3, false,
       [](TDTLabel& f) { f.SetTimeFormat(tfAMPM), f.SetDateForTime(dtAllTicks); }, 7, March1(12),
       {"12:00pm", "01-Mar-2024", "12:10pm", "01-Mar-2024", "12:20pm", "01-Mar-2024", "12:30pm", "01-Mar-2024",
        "12:40pm", "01-Mar-2024", "12:50pm", "01-Mar-2024", "1:00pm", "01-Mar-2024"}},
      {"seconds, 'h' hours, no date", ftDateTime, March1(12), March1(12) + 1.0 / 1440, 3, false,
       [](TDTLabel& f) { f.SetTimeFormat(tfHHhMM), f.SetDateForTime(dtNone); }, 4, March1(12),
       {"12h00:00", "12h00:20", "12h00:40", "12h01:00"}},
      {"90 days: 28-day steps from January 1, short every 7", ftDateTime, d, d + 90, 3, true, nullptr, 13, d + 3,
       {"25-Mar-2024", "22-Apr-2024", "20-May-2024"}},
      {"days, month first, two-digit year, a quote as separator", ftDateTime, d, d + 6, 3, false,
       [](TDTLabel& f) { f.SetDateOrder(doMMDDYY), f.SetYearLength(ylYY), f.SetDateSeparator(u'"'); }, 4, d,
       {"Mar\"01\"24", "Mar\"03\"24", "Mar\"05\"24", "Mar\"07\"24"}},
      {"days keep the separator of an empty year", ftDateTime, d, d + 6, 3, false,
       [](TDTLabel& f) { f.SetYearLength(ylNone); }, 4, d, {"01-Mar-", "03-Mar-", "05-Mar-", "07-Mar-"}},
      {"months: quarters, short every month", ftDateTime, d, d + 300, 3, true, nullptr, 10, d,
       {"Apr-2024", "Jul-2024", "Oct-2024"}},
      // Without short ticks the month walk advances at least once, past March to April.
      {"months without short ticks", ftDateTime, d, d + 300, 3, false, nullptr, 3, EncodeDate(2024, 4, 1),
       {"Apr-2024", "Jul-2024", "Oct-2024"}},
      {"months year first without year", ftDateTime, d, d + 300, 3, false,
       [](TDTLabel& f) { f.SetDateOrder(doYYMMDD), f.SetYearLength(ylNone), f.SetDateSeparator(u'/'); }, 3,
       EncodeDate(2024, 4, 1), {"/Apr", "/Jul", "/Oct"}},
      {"ten years: steps of 2, short every year", ftDateTime, d, d + 3652.5, 3, true, nullptr, 10,
       EncodeDate(2025, 1, 1), {"2026", "2028", "2030", "2032", "2034"}},
      {"a century in two-digit years", ftDateTime, d, d + 36525, 3, false, [](TDTLabel& f) { f.SetYearLength(ylYY); },
       5, EncodeDate(2040, 1, 1), {"40", "60", "80", "00", "20"}},
      {"years without year labels", ftDateTime, d, d + 36525, 3, true, [](TDTLabel& f) { f.SetYearLength(ylNone); },
       10, EncodeDate(2030, 1, 1), {"", "", "", "", ""}},
      {"years from 0001-01-01", ftDateTime, -693593, -693593 + 3652.5, 3, true, nullptr, 11, -693593,
       {"2", "4", "6", "8", "10"}},
      // Regression: the tick at -1 was computed as -1.0000000000000002, and floor(v) - (v - floor(v))
      // made it -3 (27 December) before the time was rounded.
      {"before day zero", ftDateTime, -1.5, -0.25, 3, false, nullptr, 4, -1.5 + 1.0 / 6,
       {"16:00", "28-Dec-1899", "00:00", "29-Dec-1899", "08:00", "16:00"}},
      {"date MinTicks 0 counts as 1", ftDateTime, d, d + 1, 0, false, nullptr, 3, d,
       {"00:00", "01-Mar-2024", "12:00", "00:00", "02-Mar-2024"}},
      // Walks near the end of the calendar finish on 9999-12-31.
      {"years land on 31 December 9999", ftDateTime, 2900000, 3000000, 3, false, nullptr, 4, EncodeDate(9850, 1, 1),
       {"9850", "9900", "9950", "9999"}},
      {"months stop after December 9999", ftDateTime, 2958300, 2958600, 3, false, nullptr, 1,
       EncodeDate(9999, 10, 1), {"Oct-9999"}},
      {"hours stop at the last millisecond of 9999", ftDateTime, 2958465.5, 2958466.5, 3, true, nullptr, 6,
       2958465.5, {"16:00", "31-Dec-9999"}},
      {"days stop at the last day of 9999", ftDateTime, 2958460, 2958470, 3, true, ampm, 6, 2958460,
       {"27-Dec-9999", "30-Dec-9999"}},
  };
  // clang-format on
  for (const TGolden& c : cases) {
    for (const bool vertical : {false, true}) {
      const TReported r = PaintAndCollect(c.type, c.low, c.high, c.minTicks, vertical, c.shortTicks, c.format);
      const std::string what = std::string(c.name) + (vertical ? " (vertical)" : " (horizontal)");
      EXPECT_EQ(r.labels, c.labels) << what;
      EXPECT_EQ(static_cast<int>(r.ticks.size()), c.ticks) << what;
      if (!r.ticks.empty()) {
        EXPECT_NEAR(r.ticks.front(), c.firstTick, 1e-9) << what;
      }
    }
  }
}

TEST(ScaleTimeTicks, HundredthsOfASecondOnVerticalScalesOnly) {
  // Two digits of hundredths of the value rounded to 0.01 s (the platform's "zz" writes milliseconds).
  const double d = March1();
  const TReported v = PaintAndCollect(ftDateTime, d, d + 1.0 / 86400, 3, true, false, nullptr);
  EXPECT_EQ(v.labels, (Strings{"00:00:00.00", "01-Mar-2024", "00:00:00.20", "00:00:00.40", "00:00:00.60", "00:00:00.80",
                               "00:00:01.00"}));
  const TReported ampm = PaintAndCollect(ftDateTime, d + 0.7 / 86400, d + 1.7 / 86400, 3, true, false,
                                         [](TDTLabel& f) { f.SetTimeFormat(tfAMPM), f.SetDateForTime(dtNone); });
  EXPECT_EQ(ampm.labels,
            (Strings{"12:00.00.80am", "12:00.01.00am", "12:00.01.20am", "12:00.01.40am", "12:00.01.60am"}));
  const TReported h = PaintAndCollect(ftDateTime, d, d + 1.0 / 86400, 3, false, false, nullptr);
  EXPECT_TRUE(h.ticks.empty());  // the message instead
  EXPECT_TRUE(h.labels.empty());
}

TEST(ScaleTimeTicks, MonthNamesComeFromTheFormatSettings) {
  struct TRestore {
    std::array<String, 12> names = FormatSettings.ShortMonthNames;
    ~TRestore() { FormatSettings.ShortMonthNames = names; }
  } restore;
  FormatSettings.ShortMonthNames[2] = u"Mrz";
  const TReported r = PaintAndCollect(ftDateTime, March1(), March1() + 6, 3, false, false, nullptr);
  EXPECT_EQ(r.labels, (Strings{"01-Mrz-2024", "03-Mrz-2024", "05-Mrz-2024", "07-Mrz-2024"}));
}

// --- levels and messages -----------------------------------------------------------------------

TEST(ScaleTimeTicks, LevelThresholdsDifferByOrientation) {
  struct Case {
    double w;  // days per interval
    TDateTimeLevel horizontal, vertical;
  };
  const Case cases[] = {
      {1.1574074074074074e-07, dlBelowSecond, dlBelowSecond},
      {1.2e-07, dlBelowSecond, dlHundredths},
      {1.1574e-05, dlBelowSecond, dlHundredths},
      {1.15741e-05, dlSeconds, dlSeconds},
      {0.00069444, dlSeconds, dlSeconds},
      {0.000694442, dlMinutes, dlSeconds},  // between the two thresholds
      {0.00069445, dlMinutes, dlMinutes},
      {0.041667, dlMinutes, dlMinutes},
      {0.0417, dlHours, dlHours},
      {1, dlHours, dlHours},
      {1.01, dlDays, dlDays},
      {30, dlDays, dlDays},
      {30.5, dlMonths, dlMonths},
      {366, dlMonths, dlMonths},
      {366.5, dlYears, dlYears},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(int{DateTimeLevel(DateRequest(0, 2 * c.w, 2))}, int{c.horizontal}) << c.w;
    EXPECT_EQ(int{DateTimeLevel(DateRequest(0, 2 * c.w, 2, true))}, int{c.vertical}) << c.w;
  }
}

TEST(ScaleTimeTicks, InvalidRangesAndRangesBelowASecondWriteAMessage) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double low, high;
    bool vertical;
    Strings lines;
  };
  const Case cases[] = {
      {10, 5, false, {"invalid DateTime scale"}},
      {10, 5, true, {"invalid", "DateTime", "scale"}},
      {-693594, 0, false, {"invalid DateTime scale"}},
      {0, 3000000.5, true, {"invalid", "DateTime", "scale"}},
      {nan, 1, false, {"invalid DateTime scale"}},
      {100, 100.0000003, true, {"DateTime", "range is", "below 1", "second"}},  // 0.009 s per interval
      {100, 100.00001, false, {"DateTime range is below 1 second"}},            // 0.29 s per interval
      {100, 100.00001, true, {}},
      {100, 100.0001, false, {}},
      {-693593, 3000000, false, {}},
  };
  for (const Case& c : cases) {
    const TScaleTickRequest r = DateRequest(c.low, c.high, 3, c.vertical);
    Strings lines;
    for (const String& s : ScaleMessage(r)) lines.push_back(StringToUtf8(s));
    EXPECT_EQ(lines, c.lines) << c.low << ".." << c.high;
    if (!c.lines.empty()) {
      EXPECT_TRUE(MakeDateTimeTicks(r).empty());
    }
  }
  TScaleTickRequest numeric = DateRequest(10, 5, 3);
  numeric.LabelType = ftNum;
  EXPECT_TRUE(ScaleMessage(numeric).empty());
}

// --- the generators as plain values ------------------------------------------------------------

TEST(ScaleTimeTicks, ShortTickSpacingOfTheEdgeCases) {
  struct Case {
    const char* name;
    double low, high;
    double longStep, shortStep;  // days between long ticks, between any two ticks
  };
  const double d = March1();
  const Case cases[] = {
      {"one day: 8 hours, short 2", d, d + 1, 8.0 / 24, 2.0 / 24},
      {"to 23:00: 6 hours, short 2", d, March1(23), 6.0 / 24, 2.0 / 24},
      {"90 days: 28 days, short 7", d, d + 90, 28, 7},
      {"ten years: 2 years, short 1", EncodeDate(2020, 1, 1), EncodeDate(2030, 1, 1), 731, 366},
  };
  for (const Case& c : cases) {
    const TScaleTickList ticks = MakeDateTimeTicks(DateRequest(c.low, c.high, 3));
    const std::vector<double> longs = TicksOfKind(ticks, true);
    ASSERT_GE(longs.size(), 2u) << c.name;
    EXPECT_NEAR(longs[1] - longs[0], c.longStep, 1e-9) << c.name;
    EXPECT_NEAR(ticks[1].Value - ticks[0].Value, c.shortStep, 1e-9) << c.name;
  }
  TScaleTickRequest time = DateRequest(0, 3600, 3);
  time.LabelType = ftTime;
  TScaleTickList ticks;
  ASSERT_TRUE(MakeTimeTicks(time, ticks));
  EXPECT_DOUBLE_EQ(TicksOfKind(ticks, false)[1], 200.0);
}

TEST(ScaleTimeTicks, TheTimeGeneratorDeclinesBelowOneMillisecondAndFromOneDay) {
  struct Case {
    double low, high;
    int minTicks;
    bool draws;
  };
  const Case cases[] = {{0, 0.0029, 3, false}, {0, 0.003, 3, true},     {0, 259199, 3, true},
                        {0, 259200, 3, false}, {0, 86399, 0, true},     {0, 86400, 0, false},
                        {5, 5, 3, false},      {0, INFINITY, 3, false}, {NAN, 1, 3, false}};
  for (const Case& c : cases) {
    TScaleTickRequest r = DateRequest(c.low, c.high, c.minTicks);
    r.LabelType = ftTime;
    TScaleTickList ticks{TScaleTick{}};
    EXPECT_EQ(MakeTimeTicks(r, ticks), c.draws) << c.low << ".." << c.high;
    EXPECT_EQ(ticks.size() == 1, !c.draws) << "a declining generator leaves the list alone";
  }
}

TEST(ScaleTimeTicks, ClockTicksStartOnMultiplesOfTheStepAfterMidnight) {
  // 20 hours with MinTicks 3: 6-hour steps, short ticks every 2 hours. Answers the hour of the
  // first tick drawn and whether it is long.
  const auto first = [](double startHour, bool shortTicks) {
    TScaleTickRequest r = DateRequest(March1(startHour), March1(startHour + 20), 3);
    r.ShortTicks = shortTicks;
    const TScaleTick t = MakeDateTimeTicks(r).front();
    return std::pair<double, bool>((t.Value - March1()) * 24, t.Long);
  };
  EXPECT_NEAR(first(9.5, false).first, 12, 1e-6);
  // With short ticks the first tick moves back by 2 hours while it lies above the start: 12, 10,
  // 8, and 8:00 lies below the start.
  EXPECT_NEAR(first(9.5, true).first, 10, 1e-6);
  EXPECT_FALSE(first(9.5, true).second);
  EXPECT_NEAR(first(10, true).first, 10, 1e-6);  // on the start itself
  // 12:20 rounds to the unit 12: the tick at 12:00 lies below the start and is not drawn.
  EXPECT_NEAR(first(12 + 1.0 / 3, false).first, 18, 1e-6);
}

TEST(ScaleTimeTicks, ARangeStartingOnAFullHourShowsItsFirstTick) {
  // Regression: the first tick was tested in units, n >= 24 x (RangeLow - floor(RangeLow)); the
  // product came out just above 14, so the tick at 14:00 itself was dropped and the axis began at 14:30.
  TScale s(nullptr);
  s.SetScaleType(sctXB);
  s.SetBounds(0, 0, 900, 120);
  s.SetLabelType(ftDateTime);
  s.SetMinTicks(5);
  s.SetShortTicks(false);
  const double lo = EncodeDate(2024, 3, 5) + 14 / 24.0;
  s.SetRange(lo, lo + 0.1544);
  std::string first;
  s.OnBeforeTickLabel = [&first](TObject*, TScaleType, double, String& label) {
    if (first.empty()) first = StringToUtf8(label);
  };
  s.ForcePaint();
  EXPECT_EQ(first, "14:00");
  // Every full hour of the first 200 days of 2024 (a third of them were lost).
  int lost = 0;
  for (int day = 0; day < 200; ++day)
    for (int hour = 0; hour < 24; ++hour) {
      const double start = EncodeDate(2024, 1, 1) + day + hour / 24.0;
      TScaleTickRequest r = DateRequest(start, start + 0.15, 5);
      r.ShortTicks = false;
      const TScaleTickList ticks = MakeDateTimeTicks(r);
      lost += ticks.empty() || ticks.front().Value != start;
    }
  EXPECT_EQ(lost, 0);
}

TEST(ScaleTimeTicks, EveryLevelDrawsTicksOnBothEndsOfARangeThatStartsAndEndsOnTicks) {
  // Ends built as a host builds them (EncodeDateTime); each lies on a long tick of its level.
  struct Case {
    const char* name;
    double low, high;
    int minTicks;
    bool vertical;
    TDateTimeLevel level;
  };
  const auto at = [](int month, int day, int hour, int min, int sec, int msec) {
    return EncodeDateTime(2024, month, day, hour, min, sec, msec);
  };
  const Case cases[] = {
      {"hundredths: 0.2 s", at(3, 5, 14, 0, 1, 0), at(3, 5, 14, 0, 2, 0), 4, true, dlHundredths},
      {"hundredths: 0.1 s", at(3, 5, 23, 59, 58, 300), at(3, 5, 23, 59, 58, 900), 5, true, dlHundredths},
      {"seconds: 20 s", at(3, 5, 14, 7, 0, 0), at(3, 5, 14, 8, 20, 0), 3, false, dlSeconds},
      {"seconds: 5 s", at(3, 5, 9, 59, 35, 0), at(3, 5, 10, 0, 5, 0), 5, true, dlSeconds},
      {"minutes: 20 min", at(3, 5, 14, 0, 0, 0), at(3, 5, 15, 20, 0, 0), 3, false, dlMinutes},
      {"minutes: 5 min", at(3, 5, 7, 35, 0, 0), at(3, 5, 8, 5, 0, 0), 5, false, dlMinutes},
      {"hours: 2 h", at(3, 5, 14, 0, 0, 0), at(3, 5, 22, 0, 0, 0), 3, false, dlHours},
      {"hours: 3 h across midnight", at(3, 5, 21, 0, 0, 0), at(3, 6, 9, 0, 0, 0), 3, true, dlHours},
      {"days: 2 days", EncodeDate(2024, 3, 5), EncodeDate(2024, 3, 11), 3, false, dlDays},
      {"days: 7 days", EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 29), 3, false, dlDays},
      {"months: every month", EncodeDate(2024, 5, 1), EncodeDate(2024, 8, 1), 3, false, dlMonths},
      // Regression: without short ticks the month walk moved on at least once, so a range starting
      // on the first month of a step lost that tick.
      {"months: quarters", EncodeDate(2024, 4, 1), EncodeDate(2025, 1, 1), 3, false, dlMonths},
      {"months: thirds of a year", EncodeDate(2024, 1, 1), EncodeDate(2025, 1, 1), 3, true, dlMonths},
      {"years: 2 years", EncodeDate(2020, 1, 1), EncodeDate(2030, 1, 1), 4, false, dlYears},
      {"years: 50 years", EncodeDate(1900, 1, 1), EncodeDate(2100, 1, 1), 3, false, dlYears},
  };
  for (const Case& c : cases) {
    for (const bool shortTicks : {false, true}) {
      TScaleTickRequest r = DateRequest(c.low, c.high, c.minTicks, c.vertical);
      r.ShortTicks = shortTicks;
      const std::string what = std::string(c.name) + (shortTicks ? " with short ticks" : "");
      ASSERT_EQ(int{DateTimeLevel(r)}, int{c.level}) << what;
      const TScaleTickList ticks = MakeDateTimeTicks(r);
      ASSERT_GE(ticks.size(), 2u) << what;
      EXPECT_EQ(ticks.front().Value, c.low) << what;
      EXPECT_TRUE(ticks.front().Long) << what;
      EXPECT_EQ(ticks.back().Value, c.high) << what;
      EXPECT_TRUE(ticks.back().Long) << what;
    }
  }
}

TEST(ScaleTimeTicks, DayTicksStayAlignedAcrossDayZero) {
  // Regression: the remainder of negative day numbers took the sign of the day, so long ticks
  // were lost (or doubled) on the other side of 30 December 1899.
  TScaleTickRequest r = DateRequest(-40, 40, 3);  // 26.7 days per interval: 14-day steps
  r.ShortTicks = true;
  const std::vector<double> longs = TicksOfKind(MakeDateTimeTicks(r), true);
  ASSERT_GE(longs.size(), 5u);
  for (std::size_t i = 1; i < longs.size(); ++i) EXPECT_DOUBLE_EQ(longs[i] - longs[i - 1], 14.0) << i;
}

TEST(ScaleTimeTicks, EveryWalkFinishesAndNoTickPassesTheEndOfTheCalendar) {
  // Ranges up to 3000000 days are valid although the calendar ends with 9999.
  std::mt19937_64 gen(26);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int i = 0; i < 3000; ++i) {
    const double low = 2958465 - 400 * unit(gen) * std::pow(10.0, -6 * unit(gen));
    const double high = low + std::pow(10.0, 12 * unit(gen) - 7);
    for (const bool shortTicks : {false, true}) {
      TScaleTickRequest r = DateRequest(low, std::min(high, 3000000.0), static_cast<int>(gen() % 11), gen() % 2 == 1);
      r.ShortTicks = shortTicks;
      const TScaleTickList ticks = MakeDateTimeTicks(r);
      EXPECT_LE(static_cast<int>(ticks.size()), r.MaxTicks);
      for (const TScaleTick& t : ticks) {
        ASSERT_LE(t.Value, MaxScaleDateTime + 1e-8) << low << ".." << high;
        ASSERT_GE(t.Value, low) << low << ".." << high;
      }
    }
  }
  // A range after the last day has nothing to show; building its first date raised.
  for (const int minTicks : {0, 3, 10}) {
    EXPECT_TRUE(MakeDateTimeTicks(DateRequest(2960000, 2960010, minTicks)).empty());
    EXPECT_TRUE(PaintAndCollect(ftDateTime, 2960000, 2999999, minTicks, false, true, nullptr).ticks.empty());
  }
  const TScaleTickList whole = MakeDateTimeTicks(DateRequest(-693593, 3000000, 0));
  ASSERT_FALSE(whole.empty());
  EXPECT_EQ(whole.back().Value, 2958465.0);  // 31 December 9999
}

TEST(ScaleTimeTicks, NoTimeLabelHasAFourDigitMillisecondField) {
  // Regression: the milliseconds were Round(Frac(|v|) x 1000), which printed ".1000" for a tick a
  // hair below a whole second.
  const std::regex shape(R"([ -]\d\d+:\d\d:\d\d(\.\d\d\d)?)");
  std::mt19937_64 gen(1000);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int i = 0; i < 2000; ++i) {
    TScaleTickRequest r = DateRequest(0, 0, 2 + static_cast<int>(gen() % 9));
    r.LabelType = ftTime;
    const double scale = std::pow(10.0, 5 * std::fabs(unit(gen)) - 2);
    r.RangeLow = unit(gen) * scale * 10;
    r.RangeHigh = r.RangeLow + unit(gen) * scale;
    TScaleTickList ticks;
    if (!MakeTimeTicks(r, ticks)) continue;
    for (const TScaleTick& t : ticks)
      if (t.Labelled) {
        ASSERT_TRUE(std::regex_match(StringToUtf8(t.Label), shape)) << StringToUtf8(t.Label);
      }
  }
}

TEST(ScaleTimeTicks, TimeTextRoundsToTheShownResolutionBeforeSplitting) {
  struct Case {
    double seconds;
    bool ms;
    const char* text;
  };
  const Case cases[] = {
      {0, false, " 00:00:00"},
      {3723, false, " 01:02:03"},
      {90000, false, " 25:00:00"},  // hours are not wrapped
      {-3661.5, true, "-01:01:01.500"},
      {0.9999999999, true, " 00:00:01.000"},  // printed ".1000"
      {59.9999999, false, " 00:01:00"},       // printed 00:00:59
      {0.0005, true, " 00:00:00.000"},        // half to even
      {0.0015, true, " 00:00:00.002"},
      {-0.0004, true, " 00:00:00.000"},       // no minus sign on a zero
      {1e20, false, " 2777777777777:46:40"},  // 1e16 s at most
      {NAN, true, " 00:00:00.000"},
  };
  for (const Case& c : cases) EXPECT_EQ(StringToUtf8(ScaleTimeText(c.seconds, c.ms)), c.text) << c.seconds;
}

// --- placement ---------------------------------------------------------------------------------

TEST(ScaleTimeTicks, DateLinesAndMessagesArePlacedByOrientation) {
  TScaleFrame f;  // 400 x 400, margins 20
  struct Case {
    TScaleType type;
    TPoint label, dateLine, message0, message2;
  };
  // A text 40 x 15 at pixel 200 of a line at 100.
  const Case cases[] = {
      {sctXT, Point(180, 107), Point(180, 122), Point(180, 107), Point(180, 107)},
      {sctXB, Point(180, 78), Point(180, 63), Point(180, 78), Point(180, 78)},
      {sctYL, Point(108, 193), Point(108, 179), Point(102, 185), Point(102, 215)},
      {sctYR, Point(52, 193), Point(52, 179), Point(58, 185), Point(58, 215)},
  };
  for (const Case& c : cases) {
    f.ScaleType = c.type;
    EXPECT_EQ(ScaleLabelPos(f, 100, 200, 40, 15), c.label) << c.type;
    EXPECT_EQ(ScaleDateLinePos(f, 100, 200, 40, 15), c.dateLine) << c.type;
    EXPECT_EQ(ScaleMessagePos(f, 100, 200, 0, 40, 15), c.message0) << c.type;
    EXPECT_EQ(ScaleMessagePos(f, 100, 200, 2, 40, 15), c.message2) << c.type;
  }
}

TEST(ScaleTimeTicks, APaintedScaleWritesItsDateLinesAndItsMessage) {
  TBitmap host(400, 400);
  TScale scale(nullptr);
  scale.SetIsHelper(true);
  scale.UseForeignCanvas(host.Canvas(), 0, 0);
  scale.SetScaleType(sctXT);
  scale.SetLabelType(ftDateTime);
  scale.SetRange(March1(), March1(24));
  const auto ink = [&host](TRect r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += GetRValue(host.Canvas()->Pixels(x, y)) < 128;
    return n;
  };
  host.Canvas()->SetFont(scale.Font());
  const int h = host.Canvas()->TextHeight(u"T");
  scale.ForcePaint();
  // The date under the midnight label at pixel 20: one text height below the label row (27..).
  EXPECT_GT(ink(Bounds(2, 27 + h, 70, h)), 0);
  EXPECT_EQ(ink(Bounds(120, 27 + h, 100, h)), 0) << "no date under 08:00";
  host.Canvas()->Brush()->SetColor(clWhite);
  host.Canvas()->FillRect(Rect(0, 0, 400, 400));
  scale.SetRange(March1(), March1() - 1);  // descending: invalid
  scale.ForcePaint();
  const int w = host.Canvas()->TextWidth(u"invalid DateTime scale");
  EXPECT_GT(ink(Bounds(200 - w / 2, 27, w, h)), 0);
  EXPECT_EQ(ink(Bounds(200 - w / 2, 27 + h, w, 20)), 0);
}

}  // namespace
