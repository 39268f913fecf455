// Time and date axes (qeltaplot): TScale with LabelType ftTime (values in seconds) and ftDateTime
// (date/time values), one axis per level, drawn as helpers into one picture each. Doubles as a usage
// example of the date format settings (DateFormat) of a scale.
#include "Gallery.h"

#include "DateUtils.h"
#include "Qelta_Scale.h"

namespace qelta::gallery {
namespace {

struct TAxis {
  const char16_t* caption;
  TFigType type;
  double low, high;
  TTimeFormat format;
};

// A helper scale drawing into `host` at (x, y).
void DrawAxis(TBitmap& host, const TAxis& a, TScaleType type, int x, int y, int w, int h) {
  TScale s(nullptr);
  s.SetIsHelper(true);
  s.SetBounds(0, 0, w, h);
  s.UseForeignCanvas(host.Canvas(), x, y);
  s.SetScaleType(type);
  s.SetLabelType(a.type);
  s.SetRange(a.low, a.high);
  s.DateFormat()->SetTimeFormat(a.format);
  s.SetCaption(a.caption);
  if (type == sctXT) {
    s.SetCaptionAnchor(uaSclBotRgt);
    s.SetCaptionAlignment(taRightJustify);
    s.SetCaptionPosY(-18);
  } else {
    s.SetMarginTop(50);
    s.SetCaptionPosY(-44);
    s.SetCaptionPosX(0);
    s.SetCaptionAlignment(taLeftJustify);
  }
  s.ForcePaint();
}

const double kDay = EncodeDate(2024, 3, 1);

void Horizontal(GalleryPage& page) {
  const TAxis axes[] = {
      {u"time of day, 20 min steps", ftTime, 0, 3600, tfHHMMSS},
      {u"time of day with ms", ftTime, 0, 1.5, tfHHMMSS},
      {u"seconds", ftDateTime, kDay + 0.5, kDay + 0.5 + 1.0 / 1440, tfHHMMSS},
      {u"minutes, am/pm", ftDateTime, kDay + 0.45, kDay + 0.55, tfAMPM},
      {u"hours, date once a day", ftDateTime, kDay + 0.25, kDay + 2.25, tfHHMMSS},
      {u"days", ftDateTime, kDay, kDay + 60, tfHHMMSS},
      {u"months", ftDateTime, kDay, kDay + 300, tfHHMMSS},
      {u"years", ftDateTime, kDay, kDay + 36525, tfHHMMSS},
      {u"an invalid range", ftDateTime, kDay, kDay - 1, tfHHMMSS},
  };
  const int n = static_cast<int>(sizeof axes / sizeof axes[0]);
  TBitmap picture(460, 10 + n * 80);
  for (int i = 0; i < n; ++i) DrawAxis(picture, axes[i], sctXT, 10, 10 + i * 80, 440, 75);
  page.Add(picture, "timescale-horizontal.png",
           "Horizontal time and date axes (sctXT) at each level: time of day in seconds, then calendar seconds, "
           "minutes, hours with their dates, days, months, years and the message of an invalid range");
}

void Vertical(GalleryPage& page) {
  const TAxis axes[] = {
      {u"0.01 s", ftDateTime, kDay, kDay + 1.0 / 86400, tfHHMMSS},
      {u"seconds", ftDateTime, kDay, kDay + 1.0 / 1440, tfHHMMSS},
      {u"minutes", ftDateTime, kDay, kDay + 1.0 / 24, tfHHMMSS},
      {u"hours", ftDateTime, kDay, kDay + 1, tfHHMMSS},
      {u"days", ftDateTime, kDay, kDay + 60, tfHHMMSS},
      {u"months", ftDateTime, kDay, kDay + 300, tfHHMMSS},
      {u"years", ftDateTime, kDay, kDay + 36525, tfHHMMSS},
      {u"below 1 s", ftDateTime, kDay, kDay + 1e-7, tfHHMMSS},
  };
  const int n = static_cast<int>(sizeof axes / sizeof axes[0]);
  TBitmap picture(10 + n * 115, 440);
  for (int i = 0; i < n; ++i) DrawAxis(picture, axes[i], sctYL, 10 + i * 115, 10, 110, 420);
  page.Add(picture, "timescale-vertical.png",
           "Vertical date axes (sctYL): hundredths of a second (vertical scales only), seconds, minutes, hours, "
           "days, months, years, and the message of a range below one hundredth of a second per interval");
}

}  // namespace

void TimeScaleGallery(GalleryPage& page) {
  page.Section("Time and date axes (qeltaplot)");
  Horizontal(page);
  Vertical(page);
}

}  // namespace qelta::gallery
