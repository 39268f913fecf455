// Qelta_Scale: the time-of-day ticks (ftTime, values in seconds) and the calendar ticks (ftDateTime,
// values in days since 1899-12-30), as plain tick lists.
//
// Time of day: the largest step of a 29-row table (1 ms .. 1 day) not above |range| / MinTicks;
// short ticks divide it into 4, 5 or 6. Candidates run from a multiple of the step below the low end;
// a candidate within 0.01 of a multiple of the step is long and labelled [-]hh:nn:ss[.zzz]. The
// generator declines below 1 ms and at a day or more, and the numeric generators draw instead.
// Calendar: w = days per wanted interval chooses the level (hundredths of a second, seconds,
// minutes, hours, days, months, years). Clock levels put ticks on multiples of t units after
// midnight; days count from January 1 of the first year, months from January, years follow 1-2-5.
// Labels come from FormatDateTime with formats built from the scale's TDTLabel; the clock levels add
// a date line by DateForTime. Ranges it cannot show get a message instead of ticks.
// Every tick is computed as start + k x step (never by repeated addition) and each walk stops after
// Request.MaxTicks ticks.
// Deviations from the classic generators, keeping every result on ordinary scales:
//  - Time text rounds |v| to the shown resolution (1 ms or 1 s) before splitting it: Round of the
//    fraction printed ".1000" for 0.9999999999 s and 59.9999999 s printed 00:00:59; the sign is that
//    of the rounded value, so float noise around 0 does not print "-00:00:00".
//  - The first time tick is a multiple of the step at or before the start of the axis (floor, and
//    the candidates reach the far end): truncation toward zero left the stretch before the first
//    multiple without ticks on descending axes and on axes starting below 0. The visible window
//    widens the lower and upper end of the range whatever the direction: on a descending axis it
//    narrowed, and the tick at its start was lost.
//  - Every calendar walk and date line stops at 9999-12-31 23:59:59.999 (the range may reach
//    3000000 days); the year walk lands its last tick on 31 December 9999, and a range that starts
//    after that has no ticks (building its first date raised).
//  - A moment before day zero is rounded to the millisecond before it is turned into the platform's
//    value: floor(v) - (v - floor(v)) of a hair below a whole negative day came out two days early.
//  - The year walk moves on from a start year that is a multiple of the step unless RangeLow is
//    January 1, 00:00, so no tick lies before the axis.
//  - The day test uses the floor modulus, so long day ticks stay every t days across day 0.
//  - Without short ticks the month walk moves on only until the month starts a step (it moved on at
//    least once, which dropped the tick of a range starting on the first day of such a month).
//  - MinTicks 0 counts as 1; the hundredths level writes two digits of hundredths of the value
//    rounded to 0.01 s (carried into the seconds), where the platform's "zz" writes milliseconds.
//  - A separator that is a double quote is quoted with single quotes, so the format stays whole.

#include <algorithm>
#include <array>
#include <cmath>

#include "DateUtils.h"
#include "Qelta_Scale.h"
#include "Qelta_plot_internal.h"
#include "SysUtils.h"

namespace qelta {
namespace {

constexpr double kNearlyOne = 0.999999999;
constexpr double kWalkSlack = 1e-8;         // a walk goes on while v - end < this (days)
constexpr double kFirstDateTime = -693593;  // 0001-01-01
constexpr double kLastDateTimeRange = 3000000;
constexpr double kLastDay = 2958465;      // 9999-12-31
constexpr double kMaxTimeSeconds = 1e16;  // time texts of larger values show this many seconds

int WantedIntervals(int MinTicks) { return std::max(MinTicks, 1); }

// [SECTION] time of day

struct TTimeStep {
  double Step;
  int Intervals;
};

constexpr std::array<TTimeStep, 29> kTimeSteps{
    {{0, 1},   {0.001, 5}, {0.002, 4}, {0.005, 5}, {0.01, 5}, {0.02, 4},  {0.05, 5},  {0.1, 5},   {0.2, 4},  {0.5, 5},
     {1, 5},   {2, 4},     {5, 5},     {10, 5},    {20, 4},   {30, 6},    {60, 6},    {120, 6},   {180, 6},  {300, 5},
     {600, 5}, {1200, 6},  {1800, 6},  {3600, 6},  {7200, 4}, {14400, 4}, {21600, 6}, {43200, 6}, {86400, 6}}};

// Largest index whose step is <= w; 0 when none (and for NaN).
int TimeStepIndex(double w) {
  int i = 0;
  for (int k = 1; k < static_cast<int>(kTimeSteps.size()); ++k)
    if (kTimeSteps[k].Step <= w) i = k;
  return i;
}

String Padded(uint64_t value, std::size_t digits) {
  String t = IntToStr(static_cast<int64_t>(value));
  if (t.size() < digits) t.insert(0, digits - t.size(), u'0');
  return t;
}

// [SECTION] calendar formats

// Text between quotes in a format: double quotes, or single ones around a double quote.
String Quoted(const String& text) {
  const Char q = text.find(u'"') == String::npos ? u'"' : u'\'';
  return q + text + q;
}

String Quoted(Char c) { return Quoted(String(1, c)); }

// Clock formats by level and TTimeFormat; \1 stands for the quoted time separator, \2 for the quoted
// hundredths.
constexpr std::array<std::array<const char16_t*, 3>, 4> kClockFormats{{
    {u"hh\1nn", u"h\"h\"", u"ham/pm"},                                // hours
    {u"hh\1nn", u"h\"h\"nn", u"h\1nnam/pm"},                          // minutes
    {u"hh\1nn\1ss", u"h\"h\"nn\1ss", u"h\1nn\".\"ssam/pm"},           // seconds
    {u"hh\1nn\1ss.\2", u"h\"h\"nn\1ss.\2", u"h\1nn\".\"ss.\2am/pm"},  // hundredths
}};

String ClockFormat(int row, TTimeFormat format, Char separator, const String& hundredths) {
  String out;
  for (const char16_t* p = kClockFormats[row][format <= tfAMPM ? format : tfHHMMSS]; *p != 0; ++p) {
    if (*p == u'\1')
      out += Quoted(separator);
    else if (*p == u'\2')
      out += Quoted(hundredths);
    else
      out += *p;
  }
  return out;
}

String YearFormat(TYearLength length) {
  if (length == ylYY) return u"yy";
  return length == ylYYYY ? u"yyyy" : u"";
}

String MonthFormat(const TDTLabel& f) { return f.MonthName() ? u"mmm" : u"mm"; }

// Day, month and year by DateOrder; without a year unless forced or the year length asks for one
// (an empty year then leaves its separator standing).
String DateFormatOf(const TDTLabel& f, bool forceYear) {
  const String mf = MonthFormat(f), yf = YearFormat(f.YearLength()), ds = Quoted(f.DateSeparator());
  const bool year = forceYear || !yf.empty();
  switch (f.DateOrder()) {
    case doMMDDYY:
      return year ? mf + ds + u"dd" + ds + yf : mf + ds + u"dd";
    case doYYMMDD:
      return year ? yf + ds + mf + ds + u"dd" : mf + ds + u"dd";
    default:
      return year ? u"dd" + ds + mf + ds + yf : u"dd" + ds + mf;
  }
}

String MonthLabelFormat(const TDTLabel& f) {
  const String mf = MonthFormat(f), yf = YearFormat(f.YearLength()), ds = Quoted(f.DateSeparator());
  return f.DateOrder() == doYYMMDD ? yf + ds + mf : mf + ds + yf;
}

const TDTLabel& LabelSettings(const TScaleTickRequest& r) {
  static const TDTLabel defaults;
  return r.DateFormat != nullptr ? *r.DateFormat : defaults;
}

// The platform's value of the moment v of a continuous axis, rounded to the millisecond: before day
// zero the date is the day truncated toward zero and the time the positive fraction. The rounding
// comes first: floor(v) - (v - floor(v)) itself loses the time next to a whole negative day.
double CalendarValue(double v) {
  if (std::fabs(v) < kWalkSlack) return 0;
  constexpr int64_t kMsPerDay = 86400000;
  const int64_t ms = plot_detail::RoundDouble(v * static_cast<double>(kMsPerDay));
  const int64_t day = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
  const double time = static_cast<double>(ms - day * kMsPerDay) / static_cast<double>(kMsPerDay);
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

String FormatAt(const String& format, double v) { return FormatDateTime(format, CalendarValue(v)); }

// Year, month and day of the day that holds v.
void DayOf(double v, int& year, int& month, int& day) { DecodeDate(std::floor(v), year, month, day); }

int64_t FloorMod(int64_t a, int64_t m) { return ((a % m) + m) % m; }

// [SECTION] calendar walks

struct TCalendarWalk {
  const TScaleTickRequest& Request;
  const TDTLabel& Format;
  double End;  // the range's end, at most the last millisecond of 9999
  TScaleTickList Ticks;

  bool Full() const { return static_cast<int>(Ticks.size()) >= Request.MaxTicks; }
  bool Ends(double v) const { return v - End >= kWalkSlack || Full(); }
  void Add(double v, bool isLong, String label, String dateLine = String()) {
    Ticks.push_back({v, isLong, isLong, true, isLong ? std::move(label) : String(), std::move(dateLine)});
  }
};

// Clock levels: hours (row 0), minutes (1), seconds (2), hundredths (3).
struct TClockRow {
  double PerDay;
  std::array<int, 6> Steps, Shorts;
};

constexpr std::array<TClockRow, 4> kClockRows{{{24, {1, 2, 3, 6, 8, 12}, {1, 1, 1, 2, 2, 3}},
                                               {1440, {1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}},
                                               {86400, {1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}},
                                               {8640000, {1, 2, 5, 10, 20, 50}, {1, 1, 1, 5, 10, 10}}}};

// Index of the largest entry <= x, at least the first.
template <std::size_t N>
std::size_t LargestEntry(const std::array<int, N>& row, double x) {
  std::size_t j = 0;
  for (std::size_t k = 1; k < N; ++k)
    if (row[k] <= x) j = k;
  return j;
}

class TClockTicks {
 public:
  TClockTicks(TCalendarWalk& walk, int row)
      : FWalk(walk),
        FRow(row),
        FUnits(kClockRows[row].PerDay),
        FTimeFormat(ClockFormat(row, walk.Format.TimeFormat(), walk.Format.TimeSeparator(), String())),
        FDateFormat(DateFormatOf(walk.Format, false)) {}
  void Run(double w);

 private:
  void Tick(double v, bool isLong);
  String TimeLabel(double v) const;
  String DateLine(double v);

  TCalendarWalk& FWalk;
  int FRow;
  double FUnits;
  String FTimeFormat;  // of the levels above hundredths
  String FDateFormat;
  int FLastDay = 0;  // day of the month of the last date line
  bool FDated = false;
};

// Ticks fall on whole units after midnight of the first day: n units is the moment day0 + n / u.
// The tick is compared with RangeLow as that moment: u x (RangeLow - day0) rounds a hair above n
// when RangeLow lies on the tick itself.
void TClockTicks::Run(double w) {
  const TClockRow& row = kClockRows[FRow];
  const std::size_t j = LargestEntry(row.Steps, w * FUnits);
  const int64_t t = row.Steps[j], shortUnits = row.Shorts[j];
  const double lo = FWalk.Request.RangeLow, day0 = std::floor(lo);
  const auto moment = [this, day0](int64_t n) { return day0 + static_cast<double>(n) / FUnits; };
  int64_t first = (plot_detail::RoundDouble(FUnits * (lo - day0)) + t - 1) / t * t;
  const bool shortTicks = FWalk.Request.ShortTicks;
  while (shortTicks && moment(first) > lo) first -= shortUnits;
  const int64_t step = shortTicks ? shortUnits : t;
  for (int64_t n = first;; n += step) {
    const double v = moment(n);
    if (FWalk.Ends(v)) break;
    if (v >= lo) Tick(v, !shortTicks || FloorMod(n, t) == 0);
  }
}

void TClockTicks::Tick(double v, bool isLong) {
  if (!isLong) return FWalk.Add(v, false, String());
  String label = TimeLabel(v);
  FWalk.Add(v, true, std::move(label), DateLine(v));
}

String TClockTicks::TimeLabel(double v) const {
  if (FRow != 3) return FormatAt(FTimeFormat, v);
  const TDTLabel& f = FWalk.Format;
  const double rounded = static_cast<double>(plot_detail::RoundDouble(v * FUnits)) / FUnits;  // carries into seconds
  int hour = 0, min = 0, sec = 0, msec = 0;
  DecodeTime(CalendarValue(rounded), hour, min, sec, msec);
  return FormatAt(ClockFormat(FRow, f.TimeFormat(), f.TimeSeparator(), Padded(msec / 10, 2)), rounded);
}

String TClockTicks::DateLine(double v) {
  int year = 0, month = 0, day = 0, hour = 0, min = 0, sec = 0, msec = 0;
  DecodeDateTime(CalendarValue(v), year, month, day, hour, min, sec, msec);
  bool show = false;
  switch (FWalk.Format.DateForTime()) {
    case dtOnePerChart:
      show = !FDated;
      break;
    case dtOnePerDay:
      show = !FDated || day != FLastDay;
      break;
    case dtAllTicks:
      show = true;
      break;
    default:
      break;
  }
  if (!show) return String();
  FDated = true;
  FLastDay = day;
  return FormatAt(FDateFormat, v);
}

void DayTicks(TCalendarWalk& walk, double w) {
  static constexpr std::array<int, 6> kDays{1, 2, 3, 7, 14, 28};
  const int t = kDays[LargestEntry(kDays, w)];
  const double lo = walk.Request.RangeLow;
  int year = 0, month = 0, day = 0;
  DayOf(lo, year, month, day);
  const double jan1 = EncodeDate(year, 1, 1);
  const double first = jan1 + t * (static_cast<int64_t>(lo - jan1) / t);
  const int64_t r = FloorMod(plot_detail::RoundDouble(first), t);
  const bool shortTicks = walk.Request.ShortTicks;
  const int step = !shortTicks ? t : t <= 7 ? 1 : 7;
  const String format = DateFormatOf(walk.Format, true);
  for (int64_t k = 0;; ++k) {
    const double v = first + static_cast<double>(k * step);
    if (walk.Ends(v)) break;
    if (v < lo) continue;
    const bool isLong = !shortTicks || FloorMod(plot_detail::RoundDouble(v), t) == r;
    walk.Add(v, isLong, isLong ? FormatAt(format, v) : String());
  }
}

void MonthTicks(TCalendarWalk& walk, double w) {
  static constexpr std::array<int, 5> kMonths{1, 2, 3, 4, 6};
  const int t = kMonths[LargestEntry(kMonths, w / 30.4375)];
  int year = 0, month = 0, day = 0;
  DayOf(walk.Request.RangeLow, year, month, day);
  const bool shortTicks = walk.Request.ShortTicks;
  const auto advance = [&year, &month](int months) {
    month += months;
    year += (month - 1) / 12;
    month = (month - 1) % 12 + 1;
  };
  while (!shortTicks && t > 1 && month % t != 1) advance(1);
  const String format = MonthLabelFormat(walk.Format);
  while (year <= 9999) {
    const double v = EncodeDate(year, month, 1);
    if (walk.Ends(v)) break;
    const bool isLong = !shortTicks || t == 1 || month % t == 1;
    if (v >= walk.Request.RangeLow) walk.Add(v, isLong, isLong ? FormatAt(format, v) : String());
    advance(shortTicks ? 1 : t);
  }
}

String YearLabel(TYearLength length, int year, double v) {
  if (length == ylYY) return FormatAt(u"yy", v);
  return length == ylYYYY ? IntToStr(year) : String();
}

void YearTicks(TCalendarWalk& walk) {
  const TScaleTickRequest& r = walk.Request;
  const double a = std::max((r.RangeHigh - r.RangeLow) / 365.25 / WantedIntervals(r.MinTicks), 1.0);
  const double e = std::trunc(std::log10(a)), mantissa = std::pow(10.0, std::log10(a) - e);
  const int f = mantissa < 2 ? 1 : mantissa < 5 ? 2 : 5;
  const int64_t g = plot_detail::RoundDouble(std::trunc(std::pow(10.0, e)) * f);
  const int64_t p = !r.ShortTicks || g <= 1 ? g : plot_detail::RoundDouble(static_cast<double>(g) / (f == 5 ? 5 : 2));
  int year0 = 0, month = 0, day = 0;
  DayOf(r.RangeLow, year0, month, day);
  int64_t year = (year0 + p - 1) / p * p;
  if (year == year0 && r.RangeLow > EncodeDate(year0, 1, 1)) year += p;
  for (;; year += p) {
    const bool beyond = year > 9999;  // lands on 31 December 9999, the last tick
    const double v = beyond ? kLastDay : EncodeDate(static_cast<int>(year), 1, 1);
    if (walk.Ends(v)) break;
    const int shown = beyond ? 9999 : static_cast<int>(year);
    const bool isLong = !r.ShortTicks || shown % g == 0;
    if (v >= r.RangeLow) walk.Add(v, isLong, YearLabel(walk.Format.YearLength(), shown, v));
    if (beyond) break;
  }
}

}  // namespace

// [SECTION] generators

String ScaleTimeText(double Seconds, bool WithMs) {
  const double magnitude = std::isnan(Seconds) ? 0.0 : std::min(std::fabs(Seconds), kMaxTimeSeconds);
  const uint64_t units = static_cast<uint64_t>(plot_detail::RoundDouble(magnitude * (WithMs ? 1000.0 : 1.0)));
  const uint64_t seconds = WithMs ? units / 1000 : units;
  String t(1, units > 0 && Seconds < 0 ? u'-' : u' ');
  t += Padded(seconds / 3600, 2) + u':' + Padded(seconds / 60 % 60, 2) + u':' + Padded(seconds % 60, 2);
  if (WithMs) t += u'.' + Padded(units % 1000, 3);
  return t;
}

bool MakeTimeTicks(const TScaleTickRequest& Request, TScaleTickList& Ticks) {
  const double lo = Request.RangeLow, hi = Request.RangeHigh, span = hi - lo;
  const int i = TimeStepIndex(std::fabs(span) / WantedIntervals(Request.MinTicks));
  if (i == 0 || i == static_cast<int>(kTimeSteps.size()) - 1) return false;
  const double T = (hi > lo ? 1 : -1) * kTimeSteps[i].Step, S = T / kTimeSteps[i].Intervals;
  const double first = std::floor(lo / T / kNearlyOne) * T;
  const int64_t count =
      std::min<int64_t>(static_cast<int64_t>(span / S), Request.MaxTicks) + kTimeSteps[i].Intervals + 5;
  const double a = std::min(lo, hi), b = std::max(lo, hi);
  const double from = a >= 0 ? a * kNearlyOne : a / kNearlyOne, to = b > 0 ? b / kNearlyOne : b * kNearlyOne;
  Ticks.clear();
  for (int pass = Request.ShortTicks ? 0 : 1; pass < 2; ++pass) {
    int added = 0;
    for (int64_t k = 0; k <= count && added < Request.MaxTicks; ++k) {
      const double v = first + static_cast<double>(k) * S, q = v / T;
      if (v < from || v > to || (pass == 1 && std::fabs(q - std::round(q)) > 0.01)) continue;
      const String label = pass == 1 ? ScaleTimeText(v, i <= 9) : String();
      Ticks.push_back({v, pass == 1, pass == 1, true, label, String()});
      ++added;
    }
  }
  return true;
}

TDateTimeLevel DateTimeLevel(const TScaleTickRequest& Request) {
  const double lo = Request.RangeLow, hi = Request.RangeHigh;
  if (!(hi >= lo && lo >= kFirstDateTime && hi <= kLastDateTimeRange)) return dlInvalid;
  const bool v = Request.Vertical;
  const double w = (hi - lo) / WantedIntervals(Request.MinTicks);
  if (w <= 1.1574074074074074e-07) return dlBelowSecond;
  if (w <= (v ? 1.1574074074074073e-05 : 1.1574e-05)) return v ? dlHundredths : dlBelowSecond;
  if (w <= (v ? 0.0006944444444444445 : 0.00069444)) return dlSeconds;
  if (w <= 0.041667) return dlMinutes;
  if (w <= 1) return dlHours;
  if (w <= 30) return dlDays;
  return w > 366 ? dlYears : dlMonths;
}

std::vector<String> ScaleMessage(const TScaleTickRequest& Request) {
  if (Request.LabelType != ftDateTime) return {};
  const TDateTimeLevel level = DateTimeLevel(Request);
  if (level == dlInvalid)
    return Request.Vertical ? std::vector<String>{u"invalid", u"DateTime", u"scale"}
                            : std::vector<String>{u"invalid DateTime scale"};
  if (level == dlBelowSecond)
    return Request.Vertical ? std::vector<String>{u"DateTime", u"range is", u"below 1", u"second"}
                            : std::vector<String>{u"DateTime range is below 1 second"};
  return {};
}

TScaleTickList MakeDateTimeTicks(const TScaleTickRequest& Request) {
  const TDateTimeLevel level = DateTimeLevel(Request);
  if (level == dlInvalid || level == dlBelowSecond || Request.RangeLow > MaxScaleDateTime) return {};
  TCalendarWalk walk{Request, LabelSettings(Request), std::min(Request.RangeHigh, MaxScaleDateTime), {}};
  const double w = (Request.RangeHigh - Request.RangeLow) / WantedIntervals(Request.MinTicks);
  switch (level) {
    case dlHundredths:
      TClockTicks(walk, 3).Run(w);
      break;
    case dlSeconds:
      TClockTicks(walk, 2).Run(w);
      break;
    case dlMinutes:
      TClockTicks(walk, 1).Run(w);
      break;
    case dlHours:
      TClockTicks(walk, 0).Run(w);
      break;
    case dlDays:
      DayTicks(walk, w);
      break;
    case dlMonths:
      MonthTicks(walk, w);
      break;
    default:
      YearTicks(walk);
      break;
  }
  return std::move(walk.Ticks);
}

}  // namespace qelta
