// Calendar arithmetic, the application clock and FormatDateTime.
//
// Day numbers: serial 0 is 1899-12-30; serial -693593 is 0001-01-01. A date becomes a serial through
// the day count of the proleptic Gregorian calendar from 0001-01-01 (365 days a year plus the leap
// days of the complete years before it); the reverse splits the count into 400-, 100-, 4- and 1-year
// cycles of 146097, 36524, 1461 and 365 days, the last cycle of each kind being one day longer.
//
// Rounding: every decoder works from one stamp (serial day, millisecond of the day) made by rounding
// |frac(dt)| * 86400000 to the nearest integer (llround, half away from zero) and carrying a full day
// into the serial. Decoding hours, minutes and seconds separately from the fraction would truncate
// 07:59:59.9999 to 07:59 and show a value meant as 08:00 one minute early.
//
// FormatDateTime: nested formats (c, ddddd, dddddd, t, tt) expand one level deep, as in the classic
// runtime, so a settings format that refers to itself cannot recurse without end. "zz" writes three
// digits like "zzz": the classic runtime wrote it without leading zeros, so 12:00:01.05 came out as
// "12:00:01.50".

#include "DateUtils.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <string_view>

#include "Exceptions.h"

namespace qelta {

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kFirstSerial = -693593;       // 0001-01-01
constexpr int64_t kLastSerial = 1'000'000'000;  // far beyond 9999, still safe for int arithmetic
constexpr int kDaysPer400Years = 146097;
constexpr int kDaysPer100Years = 36524;
constexpr int kDaysPer4Years = 1461;

std::optional<TDateTime> gClockOverride;

// [SECTION] calendar

// A TDateTime rounded to the millisecond and split into serial day and millisecond of that day.
struct Stamp {
  bool timeValid = false;  // dt was finite
  bool dateValid = false;  // the serial day lies in the decodable range
  int64_t day = 0;
  int64_t ms = 0;
};

Stamp ToStamp(TDateTime dt) {
  Stamp st;
  if (!std::isfinite(dt)) return st;
  const double whole = std::trunc(dt);
  st.timeValid = true;
  st.ms = std::llround(std::fabs(dt - whole) * static_cast<double>(kMsPerDay));
  const bool carry = st.ms >= kMsPerDay;
  if (carry) st.ms -= kMsPerDay;
  if (whole < static_cast<double>(kFirstSerial) || whole > static_cast<double>(kLastSerial)) return st;
  st.day = static_cast<int64_t>(whole) + (carry ? 1 : 0);
  st.dateValid = st.day <= kLastSerial;
  return st;
}

int64_t SerialFromDate(int year, int month, int day) {
  const int64_t y = year - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1 + kFirstSerial;
}

// Splits n days (0-based since 0001-01-01) off into whole years; n keeps the day of the year.
int YearOfDayCount(int64_t& n) {
  const int64_t y400 = n / kDaysPer400Years;
  n %= kDaysPer400Years;
  const int64_t y100 = std::min<int64_t>(n / kDaysPer100Years, 3);
  n -= y100 * kDaysPer100Years;
  const int64_t y4 = n / kDaysPer4Years;
  n %= kDaysPer4Years;
  const int64_t y1 = std::min<int64_t>(n / 365, 3);
  n -= y1 * 365;
  return static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
}

void DateFromSerial(int64_t serial, int& year, int& month, int& day) {
  int64_t n = serial - kFirstSerial;
  year = YearOfDayCount(n);
  month = 1;
  while (n >= DaysInMonth(year, month)) n -= DaysInMonth(year, month++);
  day = static_cast<int>(n) + 1;
}

void DateOfStamp(const Stamp& st, int& year, int& month, int& day) {
  year = month = day = 0;
  if (st.dateValid) DateFromSerial(st.day, year, month, day);
}

void TimeOfStamp(const Stamp& st, int& hour, int& min, int& sec, int& msec) {
  const int64_t ms = st.ms;  // 0 when dt was not finite
  hour = static_cast<int>(ms / 3600000);
  min = static_cast<int>(ms / 60000 % 60);
  sec = static_cast<int>(ms / 1000 % 60);
  msec = static_cast<int>(ms % 1000);
}

// [SECTION] clock

TDateTime WallClock() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  if (localtime_r(&ts.tv_sec, &local) == nullptr) return 0;
  // tm_sec may be 60 during a leap second.
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        std::min(local.tm_sec, 59), static_cast<int>(ts.tv_nsec / 1000000));
}

// [SECTION] text

constexpr int kMaxFormatLevel = 2;

Char UpperAscii(Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c; }
bool IsAsciiLetter(Char c) { return UpperAscii(c) >= u'A' && UpperAscii(c) <= u'Z'; }

// True when `f` holds `word` at position i, ignoring ASCII case.
bool MatchesAt(const String& f, size_t i, std::u16string_view word) {
  if (f.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k)
    if (UpperAscii(f[i + k]) != word[k]) return false;
  return true;
}

bool IsAmPmAt(const String& f, size_t i) {
  return MatchesAt(f, i, u"AM/PM") || MatchesAt(f, i, u"A/P") || MatchesAt(f, i, u"AMPM");
}

// True when an unquoted am/pm form makes the hours of `f` count on a 12-hour clock.
bool HasAmPm(const String& f) {
  Char quote = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    if (quote != 0) {
      if (f[i] == quote) quote = 0;
    } else if (f[i] == u'"' || f[i] == u'\'') {
      quote = f[i];
    } else if (IsAmPmAt(f, i)) {
      return true;
    }
  }
  return false;
}

size_t RunLength(const String& f, size_t i) {
  size_t n = 1;
  while (i + n < f.size() && UpperAscii(f[i + n]) == UpperAscii(f[i])) ++n;
  return n;
}

const String& NameOrEmpty(const String* names, int count, int index) {
  static const String empty;
  return index >= 0 && index < count ? names[index] : empty;
}

// Writes one decoded value through a format, token by token.
class Formatter {
 public:
  explicit Formatter(TDateTime dt) : stamp_(ToStamp(dt)) {
    DateOfStamp(stamp_, year_, month_, day_);
    TimeOfStamp(stamp_, hour_, min_, sec_, msec_);
  }
  void Append(const String& f, int level);
  String Result() && { return std::move(out_); }

 private:
  size_t Token(const String& f, size_t i, Char token, bool twelveHour, int level);
  void Field(Char token, size_t count, bool twelveHour, int level);
  void Month(size_t count);
  void Day(size_t count, int level);
  void DateAndTime(int level);
  size_t AmPm(const String& f, size_t i);
  size_t Quoted(const String& f, size_t i);
  void Number(int64_t value, size_t digits);
  void Separator(Char c) {
    if (c != 0) out_ += c;
  }

  Stamp stamp_;
  int year_ = 0, month_ = 0, day_ = 0, hour_ = 0, min_ = 0, sec_ = 0, msec_ = 0;
  String out_;
};

void Formatter::Append(const String& f, int level) {
  if (level > kMaxFormatLevel) return;
  const bool twelveHour = HasAmPm(f);
  Char last = u' ';
  size_t i = 0;
  while (i < f.size()) {
    Char token = UpperAscii(f[i]);
    if (IsAsciiLetter(token)) {
      if (token == u'M' && last == u'H') token = u'N';  // "h:mm" means minutes
      last = token;
    }
    i = Token(f, i, token, twelveHour, level);
  }
}

// Handles the token starting at f[i]; answers the position after it.
size_t Formatter::Token(const String& f, size_t i, Char token, bool twelveHour, int level) {
  switch (token) {
    case u'Y':
    case u'M':
    case u'D':
    case u'H':
    case u'N':
    case u'S':
    case u'Z':
    case u'T':
    case u'C': {
      const size_t count = RunLength(f, i);
      Field(token, count, twelveHour, level);
      return i + count;
    }
    case u'A':
      return AmPm(f, i);
    case u'/':
      Separator(FormatSettings.DateSeparator);
      return i + 1;
    case u':':
      Separator(FormatSettings.TimeSeparator);
      return i + 1;
    case u'"':
    case u'\'':
      return Quoted(f, i);
    default:
      out_ += f[i];
      return i + 1;
  }
}

void Formatter::Field(Char token, size_t count, bool twelveHour, int level) {
  const size_t upTo2 = std::min<size_t>(count, 2);
  switch (token) {
    case u'Y':
      count <= 2 ? Number(year_ % 100, 2) : Number(year_, 4);
      break;
    case u'M':
      Month(count);
      break;
    case u'D':
      Day(count, level);
      break;
    case u'H':
      Number(twelveHour ? (hour_ + 11) % 12 + 1 : hour_, upTo2);
      break;
    case u'N':
      Number(min_, upTo2);
      break;
    case u'S':
      Number(sec_, upTo2);
      break;
    case u'Z':
      Number(msec_, count == 1 ? 1 : 3);
      break;
    case u'T':
      Append(count == 1 ? FormatSettings.ShortTimeFormat : FormatSettings.LongTimeFormat, level + 1);
      break;
    default:
      DateAndTime(level);
      break;  // 'C'
  }
}

void Formatter::Month(size_t count) {
  if (count <= 2) return Number(month_, count);
  const auto& names = count == 3 ? FormatSettings.ShortMonthNames : FormatSettings.LongMonthNames;
  out_ += NameOrEmpty(names.data(), 12, month_ - 1);
}

void Formatter::Day(size_t count, int level) {
  if (count <= 2) return Number(day_, count);
  if (count >= 5) return Append(count == 5 ? FormatSettings.ShortDateFormat : FormatSettings.LongDateFormat, level + 1);
  const int dow = stamp_.dateValid ? DayOfWeek(static_cast<TDateTime>(stamp_.day)) : 0;
  const auto& names = count == 3 ? FormatSettings.ShortDayNames : FormatSettings.LongDayNames;
  out_ += NameOrEmpty(names.data(), 7, dow - 1);
}

// "c": the short date, then the long time unless the value is exactly midnight.
void Formatter::DateAndTime(int level) {
  Append(FormatSettings.ShortDateFormat, level + 1);
  if (stamp_.ms == 0) return;
  out_ += u' ';
  Append(FormatSettings.LongTimeFormat, level + 1);
}

// am/pm and a/p copy the format's own letters (so their case); ampm writes the settings' strings.
size_t Formatter::AmPm(const String& f, size_t i) {
  const bool pm = hour_ >= 12;
  if (MatchesAt(f, i, u"AM/PM")) {
    out_ += f.substr(pm ? i + 3 : i, 2);
    return i + 5;
  }
  if (MatchesAt(f, i, u"A/P")) {
    out_ += f[pm ? i + 2 : i];
    return i + 3;
  }
  if (MatchesAt(f, i, u"AMPM")) {
    out_ += pm ? FormatSettings.TimePMString : FormatSettings.TimeAMString;
    return i + 4;
  }
  out_ += f[i];
  return i + 1;
}

// Copies the text between f[i] and the matching quote (or the end of the format).
size_t Formatter::Quoted(const String& f, size_t i) {
  const size_t close = f.find(f[i], i + 1);
  const size_t end = close == String::npos ? f.size() : close;
  out_.append(f, i + 1, end - i - 1);
  return close == String::npos ? end : close + 1;
}

void Formatter::Number(int64_t value, size_t digits) {
  String text;
  for (int64_t v = value < 0 ? -value : value; v > 0 || text.empty(); v /= 10)
    text.insert(text.begin(), static_cast<Char>(u'0' + v % 10));
  if (text.size() < digits) text.insert(0, digits - text.size(), u'0');
  if (value < 0) text.insert(text.begin(), u'-');
  out_ += text;
}

}  // namespace

// [SECTION] public routines

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) return false;
  result = static_cast<TDateTime>(SerialFromDate(year, month, day));
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
  const int64_t ms = ((hour * 60LL + min) * 60 + sec) * 1000 + msec;
  result = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result = 0;
  if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
  return result;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime result = 0;
  if (!TryEncodeTime(hour, min, sec, msec, result)) throw EConvertError("Invalid argument to time encode");
  return result;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec) {
  const TDateTime date = EncodeDate(year, month, day);
  const TDateTime time = EncodeTime(hour, min, sec, msec);
  return date < 0 ? date - time : date + time;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) { DateOfStamp(ToStamp(dt), year, month, day); }

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
  TimeOfStamp(ToStamp(dt), hour, min, sec, msec);
}

void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec, int& msec) {
  const Stamp st = ToStamp(dt);
  DateOfStamp(st, year, month, day);
  TimeOfStamp(st, hour, min, sec, msec);
}

int DayOfWeek(TDateTime dt) {
  const Stamp st = ToStamp(dt);
  if (!st.dateValid) return 0;
  return static_cast<int>(((st.day % 7 + 7) % 7 + 6) % 7) + 1;  // serial 0 was a Saturday
}

int DayOfTheWeek(TDateTime dt) {
  const int d = DayOfWeek(dt);
  return d == 0 ? 0 : (d + 5) % 7 + 1;
}

int WeekOfTheYear(TDateTime dt, int& year) {
  year = 0;
  const Stamp st = ToStamp(dt);
  if (!st.dateValid) return 0;
  // The week belongs to the year of its Thursday.
  const int64_t thursday = st.day - DayOfTheWeek(dt) + 4;
  int month = 0, day = 0;
  DateFromSerial(thursday, year, month, day);
  return static_cast<int>((thursday - SerialFromDate(year, 1, 1)) / 7 + 1);
}

int WeekOfTheYear(TDateTime dt) {
  int year = 0;
  return WeekOfTheYear(dt, year);
}

TDateTime Now() { return gClockOverride ? *gClockOverride : WallClock(); }

TDateTime Date() {
  const TDateTime now = Now();
  const Stamp st = ToStamp(now);
  return st.dateValid ? static_cast<TDateTime>(st.day) : std::trunc(now);
}

TDateTime Time() { return static_cast<double>(ToStamp(Now()).ms) / static_cast<double>(kMsPerDay); }

void SetClockOverride(std::optional<TDateTime> value) { gClockOverride = value; }

String FormatDateTime(const String& format, TDateTime dt) {
  Formatter formatter(dt);
  formatter.Append(format.empty() ? String(u"c") : format, 1);
  return std::move(formatter).Result();
}

String DateToStr(TDateTime dt) { return FormatDateTime(u"ddddd", dt); }
String TimeToStr(TDateTime dt) { return FormatDateTime(u"tt", dt); }
String DateTimeToStr(TDateTime dt) { return FormatDateTime(u"c", dt); }

// [SECTION] date/time patterns

namespace {

String Padded(int value, std::size_t digits) {
  String text = IntToStr(value);
  if (text.size() < digits) text.insert(0, digits - text.size(), u'0');
  return text;
}

// The tokens of the pattern language: letter, run length, what the run stands for.
struct TTokenRow {
  Char Letter;
  std::size_t Run;
  TDateTimeToken Token;
};
constexpr TTokenRow kTokens[] = {
    {u'y', 4, {dtpYear, dtsDigits, 4}},         {u'y', 2, {dtpYear, dtsDigits, 2}},
    {u'M', 4, {dtpMonth, dtsLongName, 0}},      {u'M', 3, {dtpMonth, dtsShortName, 0}},
    {u'M', 2, {dtpMonth, dtsDigits, 2}},        {u'M', 1, {dtpMonth, dtsNumber, 0}},
    {u'd', 4, {dtpWeekday, dtsLongName, 0}},    {u'd', 3, {dtpWeekday, dtsShortName, 0}},
    {u'd', 2, {dtpDay, dtsDigits, 2}},          {u'd', 1, {dtpDay, dtsNumber, 0}},
    {u'H', 2, {dtpHour, dtsDigits, 2}},         {u'H', 1, {dtpHour, dtsNumber, 0}},
    {u'h', 2, {dtpHour12, dtsDigits, 2}},       {u'h', 1, {dtpHour12, dtsNumber, 0}},
    {u'm', 2, {dtpMinute, dtsDigits, 2}},       {u'm', 1, {dtpMinute, dtsNumber, 0}},
    {u's', 2, {dtpSecond, dtsDigits, 2}},       {u's', 1, {dtpSecond, dtsNumber, 0}},
    {u't', 2, {dtpAmPm, dtsMarker, 2}},         {u't', 1, {dtpAmPm, dtsMarker, 1}},
};

// The value of a numeric field of dt's parts.
int FieldValue(TDateTimeTokenField field, int year, int month, int day, int hour, int min, int sec) {
  switch (field) {
    case dtpYear: return year;
    case dtpMonth: return month;
    case dtpDay: return day;
    case dtpHour: return hour;
    case dtpHour12: return hour % 12 == 0 ? 12 : hour % 12;
    case dtpMinute: return min;
    default: return sec;
  }
}

// The text of one letter token, or the run itself when it is no token.
String PatternField(const String& run, TDateTime dt) {
  const TDateTimeToken t = DateTimeTokenOf(run);
  if (t.Field == dtpNone) return run;
  int year = 0, month = 0, day = 0, hour = 0, min = 0, sec = 0, msec = 0;
  DecodeDateTime(dt, year, month, day, hour, min, sec, msec);
  const auto& fs = FormatSettings;
  if (t.Spelling == dtsMarker) return String(hour < 12 ? u"AM" : u"PM").substr(0, std::size_t(t.Width));
  if (t.Spelling == dtsShortName || t.Spelling == dtsLongName) {
    const bool isLong = t.Spelling == dtsLongName;
    if (t.Field == dtpMonth) return month < 1 ? String() : (isLong ? fs.LongMonthNames : fs.ShortMonthNames)[month - 1];
    const int weekday = DayOfWeek(dt);
    return weekday < 1 ? String() : (isLong ? fs.LongDayNames : fs.ShortDayNames)[weekday - 1];
  }
  const int value = FieldValue(t.Field, year, month, day, hour, min, sec);
  if (t.Spelling == dtsNumber) return IntToStr(value);
  return Padded(t.Field == dtpYear && t.Width == 2 ? value % 100 : value, std::size_t(t.Width));
}

bool IsPatternLetter(Char c) {
  return std::any_of(std::begin(kTokens), std::end(kTokens), [c](const TTokenRow& row) { return row.Letter == c; });
}

}  // namespace

TDateTimeToken DateTimeTokenOf(const String& run) {
  for (const TTokenRow& row : kTokens)
    if (!run.empty() && run[0] == row.Letter && run.size() == row.Run &&
        run.find_first_not_of(row.Letter) == String::npos)
      return row.Token;
  return {};
}

String TakeDateTimePatternToken(String& Pattern, bool& Literal) {
  Literal = true;
  if (Pattern.empty()) return String();
  std::size_t i = 1;
  String token;
  Literal = Pattern[0] == u'\'' || !IsPatternLetter(Pattern[0]);
  if (Pattern[0] == u'\'') {
    for (; i < Pattern.size(); ++i) {
      if (Pattern[i] != u'\'') {
        token += Pattern[i];
      } else if (i + 1 < Pattern.size() && Pattern[i + 1] == u'\'') {
        token += u'\'';
        ++i;
      } else {
        ++i;
        break;
      }
    }
  } else {
    while (i < Pattern.size() &&
           (Literal ? Pattern[i] != u'\'' && !IsPatternLetter(Pattern[i]) : Pattern[i] == Pattern[0]))
      ++i;
    token = Pattern.substr(0, i);
  }
  Pattern.erase(0, i);
  return token;
}

String FormatDateTimePattern(const String& Pattern, TDateTime dt) {
  String rest = Pattern, out;
  while (!rest.empty()) {
    bool literal = false;
    const String token = TakeDateTimePatternToken(rest, literal);
    out += literal ? token : PatternField(token, dt);
  }
  return out;
}

}  // namespace qelta
