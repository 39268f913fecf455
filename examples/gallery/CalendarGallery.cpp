// Gallery topic: the month calendar with ISO weeks, holidays and Easter's feasts, in two languages.
#include "DateUtils.h"
#include "Forms.h"
#include "Gallery.h"
#include "Qelta_MiniCal.h"
#include "Testing.h"

namespace qelta::gallery {

/// May 2024 with today on 8 May: Ascension (9), Whit Monday (20) and Corpus Christi (30) coloured,
/// Labour Day (1) a built-in holiday, a host's holiday on 24 May, the 20th selected; shown in English,
/// then the same calendar switched to German.
void CalendarGallery(GalleryPage& page) {
  page.Section("Controls: month calendar");
  TScriptedUser user(EncodeDate(2024, 5, 8) + 0.5);
  TForm form(nullptr);
  form.SetBounds(40, 40, 316, 196);
  auto* cal = new TMiniCal(&form);
  cal->SetParent(&form);
  cal->SetLeft(8);
  cal->SetTop(8);
  cal->SetLanguage(lgEnglish);
  cal->AddHoliday(24, 5, 2024, u"Open day");
  cal->SetMonthShort(false);
  cal->SetDate(EncodeDate(2024, 5, 20));
  user.Show(&form);
  page.Add(*user.GrabDesktop(Rect(40, 40, 356, 236)), "minical_english.png",
           "Month calendar in English: ISO week numbers, weekends shaded, holidays (Labor Day, Ascension, "
           "Whit Monday, Corpus Christi, a host's open day) coloured, the selected Whit Monday in the mean of "
           "the selection and holiday colours, today ringed");
  cal->SetLanguage(lgGerman);  // names and built-in holidays in German; the host's own holidays go with them
  cal->AddHoliday(24, 5, 2024, u"Tag der offenen T\u00FCr");
  page.Add(*user.GrabDesktop(Rect(40, 40, 356, 236)), "minical_german.png",
           "The same month in German: month and weekday names, and the hint of the selected day reads "
           "\"Pfingstmontag\"");
}

}  // namespace qelta::gallery
