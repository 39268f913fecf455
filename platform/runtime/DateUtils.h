#pragma once
// Calendar dates and times of day as TDateTime values, the application clock and date/time text.
// How: a TDateTime counts days since 1899-12-30 in the proleptic Gregorian calendar; the fraction is
// the time of day. For a negative value the date is the part truncated toward zero and the time is
// the absolute fraction (-1.25 is 1899-12-29 06:00). Every decoder first rounds the value to the
// nearest millisecond and carries into seconds, minutes, hours and the day, so a sum of fractions
// that lands a hair below 08:00 decodes as 08:00:00.000 and 23:59:59.9996 as the next day 00:00.
// Limits: encoders accept the years 1..9999; decoders answer the date 0/0/0 (and day of week 0)
// for values before 0001-01-01, beyond a billion days, NaN or infinite. There is no time zone or
// daylight-saving arithmetic: Now() is the local wall clock as the C library reports it.
// Text: FormatDateTime with the classic token language, names and separators from FormatSettings.

#include <optional>

#include "SysUtils.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- encoding and decoding ---

/// True for Gregorian leap years (divisible by 4, centuries only when divisible by 400).
bool IsLeapYear(int year);
/// Days of month 1..12 of the year; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

/// Date value of y-m-d (years 1..9999); false and `result` untouched when impossible.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
/// Time fraction of h:n:s.ms (h 0..23, n and s 0..59, ms 0..999); false when impossible.
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
/// As TryEncodeDate; throws EConvertError "Invalid argument to date encode" when impossible.
TDateTime EncodeDate(int year, int month, int day);
/// As TryEncodeTime; throws EConvertError "Invalid argument to time encode" when impossible.
TDateTime EncodeTime(int hour, int min, int sec, int msec);
/// Date and time in one value (the time is subtracted for dates before 1899-12-30); throws as above.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

/// Calendar date of dt, after rounding to the millisecond; 0/0/0 outside the decodable range.
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
/// Time of day of dt rounded to the millisecond; all 0 for NaN or infinite dt.
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
/// DecodeDate and DecodeTime in one step, with the same rounding and carry.
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec, int& msec);
/// Day of the week of dt: 1 = Sunday .. 7 = Saturday; 0 outside the decodable range.
int DayOfWeek(TDateTime dt);
/// ISO 8601 day of the week of dt: 1 = Monday .. 7 = Sunday; 0 outside the decodable range.
int DayOfTheWeek(TDateTime dt);
/// ISO 8601 week number of dt, 1..53: week 1 holds the year's first Thursday, so the first days of
/// January may belong to the last week of the year before and the last days of December to week 1;
/// `year` receives the year the week belongs to. 0 (year 0) outside the decodable range.
int WeekOfTheYear(TDateTime dt, int& year);
int WeekOfTheYear(TDateTime dt);

// --- the application clock ---

/// Current local date and time: the wall clock, or the override when one is set.
TDateTime Now();
/// Date part of Now() (time 00:00).
TDateTime Date();
/// Time part of Now() (date 1899-12-30).
TDateTime Time();
/// Fixes the clock at `value` (tests, the message loop's virtual clock); std::nullopt restores the wall clock.
void SetClockOverride(std::optional<TDateTime> value);

// --- text ---

/// dt as text by `format`: tokens c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss
/// z zz(z) t tt am/pm a/p ampm, '/' and ':' as the FormatSettings separators, quoted text literal,
/// other characters copied; tokens ignore case. An empty format means "c".
String FormatDateTime(const String& format, TDateTime dt);
/// Date as FormatSettings.ShortDateFormat.
String DateToStr(TDateTime dt);
/// Time as FormatSettings.LongTimeFormat.
String TimeToStr(TDateTime dt);
/// Date and, unless it is midnight, time ("c").
String DateTimeToStr(TDateTime dt);

// --- date/time patterns ---
// A pattern spells a date and time in case-sensitive tokens, the language of date/time pickers and of
// the scanners that read their text back: yyyy yy (year), MMMM MMM MM M (month name, short name, two
// digits, number), dddd ddd (weekday name, short name), dd d (day), HH H (hour 0..23), hh h (hour
// 1..12), mm m (minute), ss s (second), tt t ("AM"/"PM", "A"/"P"); 'quoted text' ('' inside is one
// quote); any other character is literal text.

/// The date or time field a token stands for; dtpNone for a run of a pattern letter that is no token
/// ("yyy", "MMMMM", "sss", "hhh").
enum TDateTimeTokenField : uint8_t {
  dtpNone, dtpYear, dtpMonth, dtpWeekday, dtpDay, dtpHour, dtpHour12, dtpMinute, dtpSecond, dtpAmPm
};
/// How a token spells its field: Width digits, a number of any length, a short or a long name, or a
/// marker of Width characters.
enum TDateTimeTokenSpelling : uint8_t { dtsDigits, dtsNumber, dtsShortName, dtsLongName, dtsMarker };
/// One token of the pattern language (the table behind the formatter, the pickers and the scanners).
struct TDateTimeToken {
  TDateTimeTokenField Field = dtpNone;
  TDateTimeTokenSpelling Spelling = dtsNumber;
  int Width = 0;  ///< digits (dtsDigits) or characters (dtsMarker); 0 otherwise
};
/// What a run of one pattern letter stands for (as TakeDateTimePatternToken cuts it off): yyyy yy year
/// in 4 and 2 digits; MMMM MMM MM M month name, short name, 2 digits, number; dddd ddd weekday name and
/// short name; dd d day; HH H, hh h hour on the 24- and 12-hour clock; mm m minute; ss s second; tt t
/// marker "AM"/"PM", "A"/"P". Any other run answers Field dtpNone.
TDateTimeToken DateTimeTokenOf(const String& run);

/// Takes the next token off the front of a pattern: a quoted literal (without its quotes), a run of
/// one of the letters H M d h m s t y, or a literal run up to the next quote or one of those letters.
/// `Literal` tells which; an empty pattern gives an empty literal.
String TakeDateTimePatternToken(String& Pattern, bool& Literal);
/// dt as text by the pattern, names from FormatSettings; a run of a pattern letter that is no token
/// ("yyy", "MMMMM") is copied as it stands. Outside the decodable range the date fields are 0.
String FormatDateTimePattern(const String& Pattern, TDateTime dt);

}  // namespace qelta

QELTA_PUBLIC_END
