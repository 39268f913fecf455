// TMiniCal: Easter and the holidays, the month's placement and week numbers, clicks and navigation,
// the setters and the picture.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "DateUtils.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_MiniCal.h"
#include "ScrollBarTesting.h"
#include "Testing.h"

using namespace qelta;

namespace {

class TTestCal : public TMiniCal {
 public:
  using TMiniCal::DayAt;
  using TMiniCal::TMiniCal;
  using TMiniCal::WeekOfRow;
};

/// The calendar (300 x 180 at 10, 10) on a shown form; the clock at 2024-01-01 12:00.
struct CalOnForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TTestCal* cal = new TTestCal(form.get());
  int changes = 0;

  void SetUp() override {
    form->SetBounds(0, 0, 400, 300);
    cal->SetParent(form.get());
    cal->SetLeft(10);
    cal->SetTop(10);
    cal->OnChange = [this](TObject*) { ++changes; };
    user.Show(form.get());
  }
  TPoint Centre(int c, int r) const {
    const TRect rect = cal->CellRect(c, r);
    return Point((rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2);
  }
  void ClickCell(int c, int r) {
    user.Advance(1000);
    user.Click(cal, Centre(c, r).X, Centre(c, r).Y);
  }
  /// The cell showing a day of the shown month.
  TPoint CellOfDay(int d) const {
    for (int r = 2; r <= 7; ++r)
      for (int c = 1; c <= 7; ++c)
        if (cal->DayAt(c, r) == d) return Point(c, r);
    return Point(-1, -1);
  }
  void Select(int y, int m, int d) { cal->SetDate(EncodeDate(y, m, d)); }
  std::string Shown() const {
    return std::to_string(cal->Year()) + "-" + std::to_string(cal->Month()) + "-" + std::to_string(cal->Day());
  }
};

/// Easter Sunday by the anonymous Gregorian algorithm (written here on its own, as a check).
void AnonymousEaster(int y, int& day, int& month) {
  const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4, f = (b + 8) / 25, g = (b - f + 1) / 3;
  const int h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  month = (h + l - 7 * m + 114) / 31;
  day = (h + l - 7 * m + 114) % 31 + 1;
}

}  // namespace

// [SECTION] Easter and holidays

TEST(CalcEasterSunday, AgreesWithTheAnonymousAlgorithmInEveryYear) {
  int mismatches = 0, first = 0;
  for (int y = 1; y <= 9999; ++y) {
    int d1 = 0, m1 = 0, d2 = 0, m2 = 0;
    CalcEasterSunday(y, d1, m1);
    AnonymousEaster(y, d2, m2);
    if (d1 != d2 || m1 != m2) {
      if (mismatches++ == 0) first = y;
    }
  }
  EXPECT_EQ(mismatches, 0) << "first in year " << first;
}

TEST(TMiniCalHolidays, MovableFeastsInFourLanguages) {
  TScriptedUser user;
  TMiniCal cal(nullptr);
  struct Case {
    int y, m, d;
    std::vector<String> captions;  // English, German, French, Spanish
  };
  const Case cases[] = {
      {2012, 4, 8, {u"Easter Day", u"Ostersonntag", u"Le jour de Pâques", u"Domingo de Resurrección"}},
      {2013, 3, 31, {u"Easter Day", u"Ostersonntag", u"Le jour de Pâques", u"Domingo de Resurrección"}},
      {2014, 4, 20, {u"Easter Day", u"Ostersonntag", u"Le jour de Pâques", u"Domingo de Resurrección"}},
      {2016, 3, 27, {u"Easter Day", u"Ostersonntag", u"Le jour de Pâques", u"Domingo de Resurrección"}},
      {2012, 4, 9, {u"Easter Monday", u"Ostermontag", u"Lundi de Pâques", u"Lunes de Pascua"}},
      {2012, 5, 17, {u"Ascension Day", u"Christi Himmelfahrt", u"Ascension du Christ", u"Ascensión de Cristo"}},
      {2012, 5, 27, {u"Pentecost", u"Pfingstsonntag", u"Dimanche de Pentecôte", u"Domingo de Pentecostés"}},
      {2012, 5, 28, {u"Whit Monday", u"Pfingstmontag", u"Lundi de Pentecôte", u"Lunes de Pentecostés"}},
      {2012, 6, 7, {u"Corpus Christi", u"Fronleichnam", u"Corpus Christi", u"Corpus Cristi"}},
  };
  const TLanguage languages[] = {lgEnglish, lgGerman, lgFrench, lgSpanish};
  for (int l = 0; l < 4; ++l) {
    cal.SetLanguage(languages[l]);
    for (const Case& k : cases) {
      String caption = u"stale";
      EXPECT_TRUE(cal.CheckHoliday(k.y, k.m, k.d, caption)) << k.y << "-" << k.m << "-" << k.d;
      EXPECT_EQ(caption, k.captions[static_cast<std::size_t>(l)]);
    }
    String caption = u"stale";
    EXPECT_FALSE(cal.CheckHoliday(2012, 4, 10, caption));
    EXPECT_EQ(caption, u"");
  }
  String caption;
  cal.SetLanguage(lgUnknown);  // English texts
  EXPECT_TRUE(cal.CheckHoliday(2012, 12, 25, caption));
  EXPECT_EQ(caption, u"Christmas Day");
  cal.SetShowMovHDays(false);
  EXPECT_FALSE(cal.CheckHoliday(2012, 4, 8, caption));
  cal.SetShowMovHDays(true);
  cal.AddRepeatHoliday(9, 4, u"Own");  // a list hit wins over a movable feast
  EXPECT_TRUE(cal.CheckHoliday(2012, 4, 9, caption));
  EXPECT_EQ(caption, u"Own");
}

TEST(TMiniCalHolidays, TheListHoldsYearlyAndSingleYearHolidaysUntilTheLanguageChanges) {
  TScriptedUser user;
  TMiniCal cal(nullptr);
  EXPECT_EQ(cal.NumHolidays(), 8);
  cal.AddRepeatHoliday(14, 7, u"Summer");
  cal.AddHoliday(3, 10, 2020, u"Once");
  EXPECT_EQ(cal.NumHolidays(), 10);
  String caption;
  EXPECT_TRUE(cal.CheckHoliday(1999, 7, 14, caption));
  EXPECT_TRUE(cal.CheckHoliday(2031, 7, 14, caption));
  EXPECT_TRUE(cal.CheckHoliday(2020, 10, 3, caption));
  EXPECT_EQ(caption, u"Once");
  EXPECT_FALSE(cal.CheckHoliday(2021, 10, 3, caption));
  int d = -1, m = -1, y = -1;
  bool repeat = false;
  String text = u"untouched";
  EXPECT_FALSE(cal.RetrieveHoliday(0, d, m, y, repeat, text));
  EXPECT_FALSE(cal.RetrieveHoliday(11, d, m, y, repeat, text));
  EXPECT_EQ(d, -1);
  EXPECT_EQ(text, u"untouched");
  EXPECT_TRUE(cal.RetrieveHoliday(10, d, m, y, repeat, text));
  EXPECT_EQ(std::vector<int>({d, m, y}), std::vector<int>({3, 10, 2020}));
  EXPECT_FALSE(repeat);
  EXPECT_TRUE(cal.RetrieveHoliday(9, d, m, y, repeat, text));
  EXPECT_TRUE(repeat);
  EXPECT_EQ(y, -99999);
  EXPECT_TRUE(cal.RetrieveHoliday(1, d, m, y, repeat, text));
  EXPECT_EQ(text, u"Christmas Day");
  cal.SetLanguage(lgGerman);  // the host's holidays go
  EXPECT_EQ(cal.NumHolidays(), 8);
  EXPECT_FALSE(cal.CheckHoliday(1999, 7, 14, caption));
  EXPECT_FALSE(cal.CheckHoliday(2020, 10, 3, caption));
  EXPECT_TRUE(cal.CheckHoliday(2020, 1, 6, caption));
  EXPECT_EQ(caption, u"Hl. Drei Könige");
  cal.ClearHolidayList();
  EXPECT_EQ(cal.NumHolidays(), 0);
  EXPECT_FALSE(cal.CheckHoliday(2020, 12, 25, caption));
}

// [SECTION] placement

TEST_F(CalOnForm, StartsAt300x180OnTodayWithSevenEqualColumnsAndRows) {
  EXPECT_EQ(Shown(), "2024-1-1");
  EXPECT_EQ(cal->Width(), 300);
  EXPECT_EQ(cal->Height(), 180);
  EXPECT_EQ(cal->ColCount(), 8);
  EXPECT_EQ(cal->FixedRows(), 2);
  EXPECT_FALSE(cal->Options().Contains(goRangeSelect));
  EXPECT_TRUE(cal->Options().Contains(goDrawFocusSelected));
  EXPECT_EQ(cal->ColWidths(3), 36);
  EXPECT_EQ(cal->RowHeights(5), 21);
  EXPECT_EQ(cal->ColWidths(0), 40);  // 300 - 7 x 37 - 1
  EXPECT_EQ(cal->RowHeights(0), 25);  // 180 - 7 x 22 - 1
  EXPECT_EQ(cal->CellRect(7, 7).Right + 1, 300);
  EXPECT_EQ(cal->CellRect(7, 7).Bottom + 1, 180);
  cal->SetBounds(10, 10, 20, 10);
  EXPECT_EQ(cal->ColWidths(0), 5);  // 20 - 7 x 2 - 1
  EXPECT_EQ(cal->RowHeights(0), 2);  // 10 - 7 x 1 - 1
  cal->SetBounds(10, 10, 5, 3);  // too small: nothing below 0
  EXPECT_EQ(cal->ColWidths(0), 0);
  EXPECT_EQ(cal->RowHeights(0), 0);
  EXPECT_EQ(cal->ColWidths(1), 0);
}

TEST_F(CalOnForm, ShowsNoScrollBarsEvenWhenItsCellsDoNotFit) {
  cal->SetBounds(10, 10, 5, 3);  // eight columns and rows with their lines need more than 5 x 3
  EXPECT_FALSE(qelta::testing::BarShown(cal, true));
  EXPECT_FALSE(qelta::testing::BarShown(cal, false));
  EXPECT_EQ(cal->ClientWidth(), 5);
  EXPECT_EQ(cal->ClientHeight(), 3);
}

TEST_F(CalOnForm, TheFirstOfAMonthStandsInItsWeekdayColumnForEveryFirstDay) {
  struct Case {
    int y, m;
    TDayOfWeek first;
    int col;
  };
  const Case cases[] = {
      {2024, 9, dwMon, 7},  // a Sunday
      {2024, 4, dwMon, 1},  // a Monday
      {2024, 5, dwMon, 3},  // a Wednesday
      {2024, 9, dwSun, 1}, {2024, 4, dwSun, 2}, {2024, 5, dwWed, 1},
      {2024, 6, dwSat, 1},  // a Saturday
      {2024, 6, dwSun, 7},
  };
  for (const Case& k : cases) {
    cal->Set1stDayWeek(k.first);
    Select(k.y, k.m, 1);
    EXPECT_EQ(CellOfDay(1), Point(k.col, 2)) << k.y << "-" << k.m << " first " << int(k.first);
    EXPECT_EQ(cal->Col(), k.col);  // the selected day's cell is current
    EXPECT_EQ(cal->Row(), 2);
  }
  Select(2024, 2, 29);
  const TPoint last = CellOfDay(29);
  EXPECT_EQ(cal->Col(), last.X);
  EXPECT_EQ(cal->Row(), last.Y);
}

TEST_F(CalOnForm, WeekNumbersFollowIsoAcrossYearEnds) {
  Select(2021, 1, 15);  // 1 January 2021 is a Friday of week 53 of 2020
  EXPECT_EQ(cal->WeekOfRow(2), 53);
  EXPECT_EQ(cal->WeekOfRow(3), 1);
  Select(2024, 12, 5);  // 30 December 2024 begins week 1 of 2025
  EXPECT_EQ(cal->WeekOfRow(6), 52);
  EXPECT_EQ(cal->WeekOfRow(7), 1);
  EXPECT_EQ(cal->DayAt(1, 7), 30);
}

// [SECTION] clicks and navigation

TEST_F(CalOnForm, AClickOnAGreyedDaySwitchesMonthsOnlyWithAutoSwitch) {
  Select(2024, 3, 10);  // 1 March 2024 is a Friday: 26..29 February before it
  changes = 0;
  ClickCell(1, 2);
  EXPECT_EQ(Shown(), "2024-2-26");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(cal->Date(), EncodeDate(2024, 2, 26));  // midnight
  Select(2024, 12, 20);
  ClickCell(7, 7);  // 5 January 2025
  EXPECT_EQ(Shown(), "2025-1-5");
  Select(2025, 1, 10);
  ClickCell(1, 2);  // 30 December 2024
  EXPECT_EQ(Shown(), "2024-12-30");
  cal->SetAutoSwitch(false);
  Select(2024, 3, 10);
  changes = 0;
  ClickCell(1, 2);
  EXPECT_EQ(Shown(), "2024-3-10");
  EXPECT_EQ(changes, 0);
  ClickCell(3, 3);  // a day of the month
  EXPECT_EQ(Shown(), "2024-3-6");
  EXPECT_EQ(GetCaptureControl(), nullptr);
  // Dragging over the days neither selects a range nor moves the current cell.
  user.Advance(1000);
  user.Drag(cal, Centre(2, 4).X, Centre(2, 4).Y, Centre(6, 6).X, Centre(6, 6).Y);
  EXPECT_EQ(Shown(), "2024-3-12");
  EXPECT_EQ(cal->Selection(), (TGridRect{2, 4, 2, 4}));
  user.MoveTo(cal, Centre(5, 5).X, Centre(5, 5).Y, {ssLeft});
  EXPECT_EQ(cal->Col(), 2);
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(CalOnForm, TheNavigationRowMovesByMonthAndYearAndBackToToday) {
  Select(2024, 1, 31);
  ClickCell(6, 0);
  EXPECT_EQ(Shown(), "2024-2-29");
  ClickCell(7, 0);
  EXPECT_EQ(Shown(), "2025-2-28");
  ClickCell(2, 0);
  EXPECT_EQ(Shown(), "2025-1-28");
  ClickCell(2, 0);
  EXPECT_EQ(Shown(), "2024-12-28");
  ClickCell(1, 0);
  EXPECT_EQ(Shown(), "2023-12-28");
  ClickCell(4, 0);  // the caption moves nothing
  EXPECT_EQ(Shown(), "2023-12-28");
  ClickCell(0, 1);  // "#": today
  EXPECT_EQ(Shown(), "2024-1-1");
}

TEST_F(CalOnForm, NextYearFrom29FebruaryAndNextMonthFromTheLastDay) {
  Select(2012, 2, 29);
  changes = 0;
  cal->NextYear();
  EXPECT_EQ(Shown(), "2013-2-28");
  EXPECT_EQ(changes, 2);  // the day, then the year
  Select(2024, 1, 31);
  cal->NextMonth();
  EXPECT_EQ(Shown(), "2024-2-29");
  cal->LastDayOfMonth();
  cal->PrevYear();
  EXPECT_EQ(Shown(), "2023-2-28");
  Select(2024, 3, 31);
  cal->PrevMonth();
  EXPECT_EQ(Shown(), "2024-2-29");
}

TEST_F(CalOnForm, NavigationStopsAtTheYears1And9999) {
  // A click on "<" in January of year 1 raised a date-encoding error out of the click.
  Select(1, 1, 15);
  changes = 0;
  ClickCell(2, 0);
  ClickCell(1, 0);
  EXPECT_EQ(Shown(), "1-1-15");
  Select(9999, 12, 3);
  changes = 0;
  ClickCell(6, 0);
  ClickCell(7, 0);
  EXPECT_EQ(Shown(), "9999-12-3");
  EXPECT_EQ(changes, 0);
  cal->Set1stDayWeek(dwTue);  // 1 January of year 1, a Monday, in the last column
  Select(1, 1, 5);
  ClickCell(1, 2);  // a greyed day of December of year 0
  EXPECT_EQ(Shown(), "1-1-5");
}

TEST_F(CalOnForm, SettersKeepTheDateWhenTheyCannotMakeOne) {
  Select(2024, 2, 29);
  EXPECT_THROW_MSG(cal->SetYear(2023), EConvertError, "Invalid argument to date encode");
  EXPECT_THROW(cal->SetYear(0), EConvertError);
  EXPECT_EQ(Shown(), "2024-2-29");
  cal->SetDate(EncodeDateTime(2024, 1, 31, 15, 30, 0, 0));
  EXPECT_THROW(cal->SetMonth(4), EConvertError);
  cal->SetMonth(13);
  cal->SetDay(32);
  EXPECT_EQ(Shown(), "2024-1-31");
  cal->SetMonth(3);
  EXPECT_EQ(cal->Date(), EncodeDateTime(2024, 3, 31, 15, 30, 0, 0));  // the time of day stays
  // A date the calendar cannot show made every later paint raise; it is ignored.
  changes = 0;
  cal->SetDate(-700000);
  cal->SetDate(std::nan(""));
  EXPECT_EQ(Shown(), "2024-3-31");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(DaysInMonth(2024, 13), 0);
}

// [SECTION] looks

TEST_F(CalOnForm, TheHintShowsTheSelectedDaysHoliday) {
  Select(2024, 12, 25);
  EXPECT_EQ(cal->Hint(), u"Christmas Day");
  Select(2024, 5, 30);
  EXPECT_EQ(cal->Hint(), u"Corpus Christi");
  Select(2024, 5, 29);
  EXPECT_EQ(cal->Hint(), u"");
  cal->SetIndicateHolidays(false);
  Select(2024, 12, 25);
  EXPECT_EQ(cal->Hint(), u"");
  cal->SetIndicateHolidays(true);
  cal->SetFShowHDayHint(false);
  Select(2024, 12, 26);
  EXPECT_EQ(cal->Hint(), u"");
}

TEST_F(CalOnForm, DaysAreColouredByWeekdayHolidayAndSelection) {
  Select(2024, 1, 6);  // Epiphany, a Saturday, selected
  const auto shown = user.Grab(cal);
  auto corner = [&](int d) {
    const TPoint cell = CellOfDay(d);
    const TRect r = cal->CellRect(cell.X, cell.Y);
    return shown->Canvas()->Pixels(r.Left + 1, r.Top + 1) & 0xFFFFFF;
  };
  EXPECT_EQ(corner(6), 0xB5BC98);  // selected holiday: MeanColor($D0A040, $9BD8F1)
  EXPECT_EQ(corner(2), 0xF8F8F8);  // Tuesday
  EXPECT_EQ(corner(13), 0xBBDDEE);  // Saturday
  EXPECT_EQ(corner(14), 0xCCEEFF);  // Sunday
  EXPECT_EQ(corner(1), 0x9BD8F1);  // New Year's Day
  Select(2024, 1, 9);
  EXPECT_EQ(user.Grab(cal)->Canvas()->Pixels(cal->CellRect(2, 3).Left + 1, cal->CellRect(2, 3).Top + 1) & 0xFFFFFF,
            0xD0A040);
}

TEST_F(CalOnForm, ThePictureHasTheNavigationRowTheSpansAndTodaysRing) {
  Select(2024, 1, 17);
  cal->Font()->SetQuality(fqNonAntialiased);
  const auto shown = user.Grab(cal);
  ASSERT_EQ(shown->Width(), 300);
  ASSERT_EQ(shown->Height(), 180);
  // Text by its box: a box around the middle of every cell, the caption across columns 3..5.
  TCanvas* c = shown->Canvas();
  c->Font()->Assign(cal->Font());
  const int th = c->TextHeight(u"0");
  std::vector<TRect> boxes;
  auto around = [&](const TRect& r, int tw) {
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    boxes.push_back(Rect(cx - tw / 2 - 2, cy - th / 2 - 2, cx + tw / 2 + 3, cy + th / 2 + 3));
  };
  for (int row = 0; row < 8; ++row)
    for (int col = 0; col < 8; ++col) {
      if (row == 0 && col != 1 && col != 2 && col != 6 && col != 7) continue;
      if (row == 1 && col == 0) continue;
      around(cal->CellRect(col, row), c->TextWidth(row == 1 ? u"Wed" : u"88"));
    }
  const TRect caption = Rect(cal->CellRect(3, 0).Left, 0, cal->CellRect(5, 0).Right, cal->CellRect(5, 0).Bottom);
  around(caption, c->TextWidth(u"Jan 2024"));
  TRect hash = cal->CellRect(0, 1);
  hash.Top = 0;
  around(hash, c->TextWidth(u"#"));
  EXPECT_GOLDEN(*shown, "minical-january-2024", boxes);
}
