#pragma once
// Number text and format settings of the runtime: IntToStr, Format, Str, FloatToStrF, ... and the
// process-wide FormatSettings. Decimal text comes from the exact binary value with decimal ties
// rounded away from zero; parsing is locale-independent.
// (The number routines are being written; the settings record below is the shared contract.)

#include <array>

#include "Types.h"

namespace qelta {

/// Separators, names and formats used by number and date text. Never read from the process locale.
struct TFormatSettings {
  Char DecimalSeparator = u'.';
  Char ThousandSeparator = u',';
  Char DateSeparator = u'/';
  Char TimeSeparator = u':';
  Char ListSeparator = u',';
  String ShortDateFormat = u"m/d/yyyy";
  String LongDateFormat = u"dddd, mmmm d, yyyy";
  String ShortTimeFormat = u"h:nn AMPM";
  String LongTimeFormat = u"h:nn:ss AMPM";
  String TimeAMString = u"AM";
  String TimePMString = u"PM";
  String CurrencyString = u"$";
  uint8_t CurrencyFormat = 0;
  uint8_t NegCurrFormat = 0;
  uint8_t CurrencyDecimals = 2;
  std::array<String, 12> ShortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::array<String, 12> LongMonthNames{u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                        u"July",    u"August",   u"September", u"October", u"November", u"December"};
  /// Index 0 is Sunday, as the runtime's DayOfWeek counts.
  std::array<String, 7> ShortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  std::array<String, 7> LongDayNames{u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
  uint16_t TwoDigitYearCenturyWindow = 50;
};

/// The process's settings (defaults above); hosts and tests may change fields.
extern TFormatSettings FormatSettings;

}  // namespace qelta
