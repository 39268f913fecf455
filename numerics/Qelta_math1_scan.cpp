// Qelta_math1: scanners of octal, binary, angle and date/time texts, and number validators.
//
// ScanDecimal, ScanHex and ScanFPNum are the foundation's (Qelta_qeltabase); the validators of
// floating-point text walk the foundation's scanner states (FPScanClass, FPScanNext), so a text
// that IsValidDouble accepts is one that ScanFPNum reads.
//
// ScanDateTime consumes the format token by token and the text from its front: a quoted literal
// ('' inside stands for '), a run of one of the letters H M d h m s t y, or a literal run up to
// the next quote or format letter. Deviations from the classic scanner:
//  - A two-digit year that is not a number is refused (error -3) like every other number; it was
//    taken as 0 and gave a valid date in the wrong century.
//  - MMM compares as many characters as the short month name has (the French "juin" has four), so
//    every table entry can be read; three-letter names behave as before.
//  - Date and time are combined by EncodeDateTime, which subtracts the time for dates before
//    1899-12-30; adding it gave the wrong day there.
//  - PM adds 12 only to hours up to 23: an hour read as a number of any length may be near the
//    integer limit, where adding overflowed; such an hour is refused by the time encoding either way.

#include <algorithm>
#include <cmath>

#include "DateUtils.h"
#include "Encoding.h"
#include "Qelta_math1.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {
namespace {

// [SECTION] helpers

bool IsDigitChar(Char c) { return c >= u'0' && c <= u'9'; }

int SepModeOf(TDecPSep d) {
  switch (d) {
    case dsDot:
      return 1;
    case dsComma:
      return 2;
    case dsBoth:
      return 3;
    default:
      return FormatSettings.DecimalSeparator == u'.' ? 1 : 2;
  }
}

bool IsSeparator(Char c, int sepMode) {
  return (c == u'.' && (sepMode == 1 || sepMode == 3)) || (c == u',' && (sepMode == 2 || sepMode == 3));
}

// Digits of base 2^bits after blanks (a blank in the last place is not skipped), modulo 2^32.
int ScanPowerOfTwoBase(const String& s, int& Pos, unsigned base) {
  const int len = Length(s);
  if (Pos < 1 || Pos > len) return 0;
  while (Pos < len && s[Pos - 1] == u' ') ++Pos;
  uint32_t v = 0;
  for (; Pos <= len; ++Pos) {
    const Char c = s[Pos - 1];
    if (c < u'0' || static_cast<unsigned>(c - u'0') >= base) break;
    v = v * base + static_cast<uint32_t>(c - u'0');
  }
  return static_cast<int>(v);
}

bool AllCharsIn(const String& s, bool (*ok)(Char)) { return !s.empty() && std::all_of(s.begin(), s.end(), ok); }

// [SECTION] angle scanner

void SkipBlanks(const String& s, int& p) {
  while (p >= 1 && p <= Length(s) && s[p - 1] == u' ') ++p;
}

bool CharAt(const String& s, int p, Char c) { return p >= 1 && p <= Length(s) && s[p - 1] == c; }

// Reads an unsigned number without exponent at p; false (p unchanged) when none stands there.
bool ReadUnsigned(const String& s, int& p, int sepMode, double& value) {
  const int len = Length(s);
  if (p < 1 || p > len) return false;
  const bool digitFirst = IsDigitChar(s[p - 1]);
  const bool pointFirst = IsSeparator(s[p - 1], sepMode) && p < len && IsDigitChar(s[p]);
  if (!digitFirst && !pointFirst) return false;
  value = ScanFPNum(s, false, sepMode, p);
  return true;
}

// Reads "number [mark]" after blanks; p moves past the mark when there is one, else past the
// number; false (p unchanged) when no number follows. `marked` tells whether the mark was there.
bool ReadPart(const String& s, int& p, int sepMode, Char mark, double& value, bool& marked) {
  int q = p;
  SkipBlanks(s, q);
  if (!ReadUnsigned(s, q, sepMode, value)) return false;
  p = q;
  SkipBlanks(s, q);
  marked = CharAt(s, q, mark);
  if (marked) p = q + 1;
  return true;
}

// [SECTION] date/time scanner

struct TDateScan {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  bool Clock24 = true;
  bool AM = true;
  int Error = 0;
};

// Up to n characters at p read as an unsigned decimal number.
bool ReadFixed(const String& text, int& p, int n, int& value) {
  const String part = Copy(text, p, n);
  if (!AllCharsIn(part, IsDigitChar)) return false;
  value = 0;
  for (Char c : part) value = value * 10 + (c - u'0');
  p += Length(part);
  return true;
}

// A decimal number of any length (the foundation's ScanDecimal: blanks and a sign allowed).
bool ReadFree(const String& text, int& p, int& value) {
  int q = p;
  const int v = ScanDecimal(text, q);
  if (q <= p || !IsDigitChar(text[q - 2])) return false;  // q - 1 is the last character taken
  value = v;
  p = q;
  return true;
}

// The first of names[1..count] that the text at p begins with (A-Z folded); its length is consumed.
template <std::size_t N>
bool ReadName(const String& text, int& p, const std::array<AnsiString, N>& names, int& index) {
  for (std::size_t i = 1; i < N; ++i) {
    const String name = AnsiToString(names[i]);
    if (!name.empty() && SameText(Copy(text, p, Length(name)), name)) {
      index = static_cast<int>(i);
      p += Length(name);
      return true;
    }
  }
  return false;
}

int TwoDigitYear(int value) {
  int y = 0, m = 0, d = 0;
  DecodeDate(Date(), y, m, d);
  const int window = FormatSettings.TwoDigitYearCenturyWindow;
  int year = (y - window) / 100 * 100 + value;
  if (window != 0 && year < y - window) year += 100;
  return year;
}

// The scan state's slot of a numeric field; nullptr for the weekday, which is read and dropped.
int* FieldSlot(TDateTimeTokenField field, TDateScan& st) {
  switch (field) {
    case dtpYear: return &st.Year;
    case dtpMonth: return &st.Month;
    case dtpDay: return &st.Day;
    case dtpHour: case dtpHour12: return &st.Hour;
    case dtpMinute: return &st.Minute;
    case dtpSecond: return &st.Second;
    default: return nullptr;
  }
}

// Reads a month or weekday name of the language.
bool ReadFieldName(const TDateTimeToken& t, const String& text, int& p, TLanguage lang, TDateScan& st) {
  const bool isLong = t.Spelling == dtsLongName;
  if (t.Field == dtpMonth) return ReadName(text, p, (isLong ? MonthLong : MonthShort)[lang], st.Month);
  int weekday = 0;
  return ReadName(text, p, (isLong ? WeekDayLong : WeekDayShort)[lang], weekday);
}

// Reads one letter token; false when the text does not hold what it asks for.
bool ReadLetterToken(const TDateTimeToken& t, const String& text, int& p, TLanguage lang, TDateScan& st) {
  if (t.Field == dtpHour12) st.Clock24 = false;
  int* slot = FieldSlot(t.Field, st);
  switch (t.Spelling) {
    case dtsDigits:
      if (!ReadFixed(text, p, t.Width, *slot)) return false;
      if (t.Field == dtpYear && t.Width == 2) *slot = TwoDigitYear(*slot);
      return true;
    case dtsNumber: return ReadFree(text, p, *slot);
    case dtsShortName: case dtsLongName: return ReadFieldName(t, text, p, lang, st);
    default: break;
  }
  const String marker = Copy(text, p, t.Width);
  if (Length(marker) < t.Width) return false;
  p += t.Width;
  st.AM = SameText(marker, t.Width == 1 ? u"a" : u"am");
  return true;
}

void ScanToken(String& fmt, const String& text, int& p, TLanguage lang, TDateScan& st) {
  bool literal = false;
  const String token = TakeDateTimePatternToken(fmt, literal);
  const TDateTimeToken t = literal ? TDateTimeToken{} : DateTimeTokenOf(token);
  if (literal) {
    if (Copy(text, p, Length(token)) != token) st.Error = -1;
    p += Length(token);
  } else if (t.Field == dtpNone) {
    st.Error = -2;
  } else if (!ReadLetterToken(t, text, p, lang, st)) {
    st.Error = -3;
  }
}

}  // namespace

// [SECTION] integer scanners

int ScanOctal(const String& s, int& Pos) { return ScanPowerOfTwoBase(s, Pos, 8); }
int ScanBin(const String& s, int& Pos) { return ScanPowerOfTwoBase(s, Pos, 2); }

// [SECTION] angles

double ScanDegrees(const String& s, int& Pos, bool CommaAllowed, int& ErrorCode) {
  const int sepMode = CommaAllowed ? 3 : 1;
  ErrorCode = -1;
  int p = Pos;
  SkipBlanks(s, p);
  const bool negative = CharAt(s, p, u'-');
  if (negative || CharAt(s, p, u'+')) ++p;
  double degrees = 0, minutes = 0, seconds = 0;
  bool marked = false;
  if (!ReadPart(s, p, sepMode, u'\u00B0', degrees, marked)) return 0;
  if (marked && ReadPart(s, p, sepMode, u'\'', minutes, marked) && marked) {
    ReadPart(s, p, sepMode, u'"', seconds, marked);
  }
  Pos = p;
  if (minutes > 60 || seconds > 60) {
    ErrorCode = -2;
    return 0;
  }
  ErrorCode = 0;
  const double angle = degrees + minutes / 60 + seconds / 3600;
  return negative ? -angle : angle;
}

// [SECTION] date and time

TDateTime ScanDateTime(const String& Text, const String& Format, TLanguage Language, int& ErrorCode) {
  const TLanguage lang = Language <= lgSpanish ? Language : lgUnknown;
  TDateScan st;
  String fmt = Format;
  int p = 1;
  while (!fmt.empty() && st.Error == 0) ScanToken(fmt, Text, p, lang, st);
  ErrorCode = st.Error;
  if (st.Error != 0) return 0;
  if (!st.Clock24) {
    if (st.AM && st.Hour == 12) st.Hour = 0;
    if (!st.AM && st.Hour != 12 && st.Hour <= 23) st.Hour += 12;  // a larger hour stays refused as it is
  }
  if (st.Year != 0 || st.Month != 0 || st.Day != 0)
    return EncodeDateTime(st.Year, st.Month, st.Day, st.Hour, st.Minute, st.Second, 0);
  return EncodeTime(st.Hour, st.Minute, st.Second, 0);
}

// [SECTION] validators

bool IsValidDouble(const String& s, bool ExpAllowed, TDecPSep DecPSep) {
  if (s.empty()) return false;
  const int sepMode = SepModeOf(DecPSep);
  int state = fpsStart;
  int exponent = 0;
  for (std::size_t i = 0; state >= 1 && state <= 8; ++i) {
    const TFPScanClass cls = i < s.size() ? FPScanClass(s[i], sepMode) : fpcOther;
    const int next = FPScanNext(state, cls, ExpAllowed);
    if (next == 8 && cls == fpcDigit) {
      exponent = (state == 8 ? exponent * 10 : 0) + (s[i] - u'0');
      if (exponent > FPScanMaxExponent) return false;
    }
    state = next;
  }
  return state == fpsAccept;
}

bool IsValidFPNum(const String& s, TDecPSep DecPSep) {
  const int sepMode = SepModeOf(DecPSep);
  int state = 0;  // 0 start, 1 sign, 2 separator, 3 integer digits, 4 fraction digits
  for (Char c : s) {
    const bool digit = IsDigitChar(c);
    const bool sep = IsSeparator(c, sepMode);
    if (state == 0 && (c == u'+' || c == u'-')) {
      state = 1;
    } else if (sep && state <= 3 && state != 2) {
      state = 2;
    } else if (digit) {
      state = state == 2 || state == 4 ? 4 : 3;
    } else {
      return false;
    }
  }
  return !s.empty();
}

bool IsValidHex(const String& s) {
  return AllCharsIn(s, [](Char c) { return IsDigitChar(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); });
}
bool IsValidOct(const String& s) {
  return AllCharsIn(s, [](Char c) { return c >= u'0' && c <= u'7'; });
}
bool IsValidBin(const String& s) {
  return AllCharsIn(s, [](Char c) { return c == u'0' || c == u'1'; });
}

bool IsValidDecInt(const String& s) {
  if (s.empty()) return false;
  if (s.size() == 1) return IsDigitChar(s[0]);
  const bool lead = s[0] == u'+' || s[0] == u'-' || IsDigitChar(s[0]);
  return lead && std::all_of(s.begin() + 1, s.end(), IsDigitChar);
}

}  // namespace qelta
