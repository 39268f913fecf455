#pragma once
// Qelta_MiniCal: TMiniCal, a small month calendar with ISO week numbers and holidays.
//
// What: an 8 x 8 draw grid: a navigation row ("<<" year back, "<" month back, the month and year,
// ">" month on, ">>" year on, "#" today), a row of weekday names, six week rows of day numbers with
// the neighbouring months' days greyed, and a column of ISO week numbers. One selected date is
// highlighted, today is ringed, holidays are coloured: a list of fixed holidays (yearly or of one
// year; eight built-in yearly ones in the calendar's language) and the movable feasts from Easter
// Sunday (Easter Sunday and Monday, Ascension, Pentecost, Whit Monday, Corpus Christi). The
// selected day's holiday is the control's hint. Texts in English, German, French and Spanish
// (lgUnknown: the foundation's neutral month and weekday names, English holidays).
// How: UpdateCal places the selected month (FMonOfs: the day at (col, row) is col + FMonOfs + 7 row
// - 15) and makes the selected day's cell current; DrawCell draws each cell from that, the
// navigation caption across columns 3..5 and "#" across both fixed rows. A click on a day selects
// it (switching to the neighbouring month with AutoSwitch), a click on the navigation row moves.
// Limits: years 1..9999 (the platform's dates); navigation stops at their ends. Holidays are
// looked up by a walk through the list.
// Failure channel: SetYear and SetMonth raise the platform's EConvertError ("Invalid argument to
// date encode") for a date that does not exist and leave the date as it was.

#include <array>
#include <memory>

#include "DateUtils.h"
#include "Grids.h"
#include "Qelta_matrix.h"
#include "Qelta_qeltabase.h"
#include "StringLists.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Weekdays, Monday first.
enum TDayOfWeek : uint8_t { dwMon, dwTue, dwWed, dwThu, dwFri, dwSat, dwSun };
/// A colour per weekday.
using TDayColors = std::array<TColor, 7>;

/// Easter Sunday of a Gregorian year (Gauss's rule in Lichtenberg's form): Month 3 or 4 and Day.
void CalcEasterSunday(int Year, int& Day, int& Month);
/// The first day of Date's month (midnight); EConvertError for a date outside the years 1..9999.
TDateTime FirstOfMonth(TDateTime Date);
// DaysInMonth(Year, Month) is the platform's (DateUtils.h): 0 outside the months 1..12.

class TMiniCal : public TCustomDrawGrid {
 public:
  /// 300 x 180, today selected, Monday first, English with the eight built-in holidays.
  explicit TMiniCal(TComponent* AOwner);
  ~TMiniCal() override;

  // -- the selected date
  TDateTime Date() const { return FDate; }
  /// Selects the date (a value the platform cannot decode is ignored); OnChange.
  void SetDate(TDateTime d);
  int Year() const;
  int Month() const;
  int Day() const;
  /// Replaces the year (y >= 0; a negative one is ignored); EConvertError when the date does not
  /// exist then (year 0, 29 February). OnChange.
  void SetYear(int y);
  /// Replaces the month (1..12, others ignored); EConvertError when the day does not exist in it. OnChange.
  void SetMonth(int m);
  /// Replaces the day (1..days of the month, others ignored). OnChange.
  void SetDay(int d);
  /// One month on / back, the day kept where the month has it, else its last day.
  void NextMonth();
  void PrevMonth();
  /// One year on / back (29 February first becomes 28 February: OnChange twice).
  void NextYear();
  void PrevYear();
  /// The last day of the month.
  void LastDayOfMonth();

  // -- holidays
  /// The first list entry for the day (yearly or of that year), else a movable feast (when shown):
  /// true and its caption; false and "" otherwise.
  bool CheckHoliday(int Year, int Month, int Day, String& Caption) const;
  /// Empties the holiday list (the built-in ones too).
  void ClearHolidayList();
  /// A holiday of one year / of every year.
  void AddHoliday(int day, int mon, int year, const String& Caption);
  void AddRepeatHoliday(int day, int mon, const String& Caption);
  int NumHolidays() const { return FHDayList->NrOfRows(); }
  /// Entry HDIndex (1..NumHolidays): true and its fields; false (outputs untouched) outside.
  bool RetrieveHoliday(int HDIndex, int& Day, int& Month, int& Year, bool& IsRepeatHDay, String& Description) const;

  // -- looks and behaviour
  bool AutoSwitch() const { return FAutoSwitch; }
  void SetAutoSwitch(bool b) { FAutoSwitch = b; }
  TDayOfWeek FirstDayOfWeek() const { return F1stDayWeek; }
  void Set1stDayWeek(TDayOfWeek w);
  TLanguage Language() const { return FLanguage; }
  /// Texts in the language; the holiday list becomes the eight built-in ones in it (the host's go).
  void SetLanguage(TLanguage l);
  bool IndicateHolidays() const { return FIndicateHolid; }
  void SetIndicateHolidays(bool b);
  bool ShowMovableHolidays() const { return FShowMovHdays; }
  void SetShowMovHDays(bool b);
  bool ShowHolidayHint() const { return FShowHDayHint; }
  void SetFShowHDayHint(bool b);
  bool MarkToday() const { return FMarkToday; }
  void SetMarkToday(bool b);
  bool ShowMonthShort() const { return FMonthShort; }
  void SetMonthShort(bool b);
  TColor GetDayColors(TDayOfWeek w) const { return FDayColors[w]; }
  void SetDayColors(TDayOfWeek w, TColor c);
  // Colours: each setter stores and repaints.
  TColor ColorActiveMonth() const { return FColorActMon; }
  void SetColorActMon(TColor c);
  TColor ColorInactiveMonth() const { return FColorInactMon; }
  void SetColorInactMon(TColor c);
  TColor ColorWeekNoBg() const { return FColorWknBg; }
  void SetColorWknBg(TColor c);
  TColor ColorWeekNoFg() const { return FColorWknFg; }
  void SetColorWknFg(TColor c);
  TColor ColorDayIdBg() const { return FColorDayIdBg; }
  void SetColorDayIdBg(TColor c);
  TColor ColorDayIdFg() const { return FColorDayIdFg; }
  void SetColorDayIdFg(TColor c);
  TColor ColorSelectedBg() const { return FColorSelBg; }
  void SetColorSelBg(TColor c);
  TColor ColorSelectedFg() const { return FColorSelFg; }
  void SetColorSelFg(TColor c);
  TColor ColorHolidayBg() const { return FColorHdayBg; }
  void SetColorHDayBg(TColor c);
  TColor ColorHolidayFg() const { return FColorHdayFg; }
  void SetColorHDayFg(TColor c);
  TColor ColorToday() const { return FColorToday; }
  void SetColorToday(TColor c);

  /// The selected date changed.
  TNotifyEvent OnChange;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  /// A day selects it; the navigation row moves by year or month or back to today.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// Nothing: the grid's release handling is not wanted (nothing is captured or selected by then).
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Resize() override;
  /// Seven equal columns and rows; column 0 and row 0 take what the client leaves.
  void WMSize(int W, int H);
  /// Places the month, makes the selected day's cell current, sets the hint, invalidates.
  void UpdateCal();
  /// Fires OnChange.
  void Changed();
  /// The raised frame of a navigation cell (only with Ctl3D).
  void DrawBtnFrame(TCanvas* Canvas, const TRect& Rect);
  /// One month on (n > 0) or back.
  void MonthStep(int n);
  /// The day number shown at a day cell (below 1 or above the month's length: a neighbouring month).
  int DayAt(int ACol, int ARow) const { return ACol + FMonOfs + 7 * ARow - 15; }
  /// The ISO week number shown in week row ARow (2..7).
  int WeekOfRow(int ARow) const { return WeekOfTheYear(FirstOfMonth(FDate) + 7 * (ARow - 2)); }

 private:
  void LoadBuiltInHolidays();
  void AppendHoliday(int day, int mon, int year, const String& Caption);
  /// The selected date with another year, month and day, its time of day kept.
  void ReplaceDate(int y, int m, int d);
  void DrawNavigation(int ACol, TRect r);
  void DrawDay(int ACol, int ARow, const TRect& r);
  void CentredText(const TRect& r, const String& text);
  void Fill(const TRect& r, TColor back, TColor text);
  void StoreColor(TColor& field, TColor c);

  bool FAutoSwitch = true;
  TColor FColorActMon = 0x000000;
  TColor FColorInactMon = 0xC0C0C0;
  TColor FColorWknBg = 0xC0C0C0, FColorWknFg = 0x000000;
  TColor FColorDayIdBg = 0xC0C0C0, FColorDayIdFg = 0x000000;
  TColor FColorSelBg = 0xD0A040, FColorSelFg = 0xFFFFFF;
  TColor FColorHdayBg = 0x9BD8F1, FColorHdayFg = 0x0000C0;
  TColor FColorToday = 0x0000FF;
  bool FShowHDayHint = true;
  bool FIndicateHolid = true;
  bool FShowMovHdays = true;
  std::unique_ptr<TIntMatrix> FHDayList;  ///< 3 columns: day, month, year (kEveryYear: yearly)
  std::unique_ptr<TStringList> FHDayCaptions;
  TDateTime FDate = 0;
  TDayColors FDayColors{0xF8F8F8, 0xF8F8F8, 0xF8F8F8, 0xF8F8F8, 0xF8F8F8, 0xBBDDEE, 0xCCEEFF};
  TLanguage FLanguage = lgEnglish;
  bool FMarkToday = true;
  int FMonOfs = 0;
  bool FMonthShort = true;
  bool FUpdating = false;
  TDayOfWeek F1stDayWeek = dwMon;
};

}  // namespace qelta

QELTA_PUBLIC_END
