// Axis scales (qeltaplot) drawn as helpers into one picture each: the host owns a bitmap, points each
// scale at its canvas with UseForeignCanvas and calls ForcePaint, as the chart does with its axes.
// Doubles as a usage example of TScale.
#include "Gallery.h"

#include "Qelta_Scale.h"

namespace qelta::gallery {
namespace {

// A helper scale of the given size drawing into `host` with its top-left at (x, y).
void Place(TScale& s, TBitmap& host, int x, int y, int w, int h) {
  s.SetIsHelper(true);
  s.SetBounds(0, 0, w, h);
  s.UseForeignCanvas(host.Canvas(), x, y);
}

void Horizontal(GalleryPage& page) {
  TBitmap picture(440, 200);
  TScale pressure(nullptr), frequency(nullptr);
  Place(pressure, picture, 10, 10, 420, 85);  // sctXB, 0..100, lowered frame: the defaults
  pressure.SetCaption(u"pressure / kPa");
  pressure.SetCaptionAnchor(uaSclCenter);
  pressure.ForcePaint();
  Place(frequency, picture, 10, 105, 420, 85);
  frequency.SetScaleType(sctXT);
  frequency.SetRange(1, 1000);
  frequency.SetLogarithmic(true);
  frequency.SetMinTicks(10);  // few decades: 2 and 5 labelled, 3, 4, 6..9 short
  frequency.SetCaption(u"frequency / Hz");
  frequency.SetCaptionAnchor(uaSclBotRgt);
  frequency.SetCaptionAlignment(taRightJustify);
  frequency.SetCaptionPosY(32);
  frequency.ForcePaint();
  page.Add(picture, "scale-horizontal.png", "Horizontal scales: linear 0..100 (sctXB), logarithmic 1 Hz..1 kHz (sctXT)");
}

void Vertical(GalleryPage& page) {
  TBitmap picture(330, 420);
  TScale level(nullptr), gain(nullptr);
  for (TScale* s : {&level, &gain}) {
    Place(*s, picture, s == &level ? 10 : 170, 10, 150, 400);
    s->SetMarginTop(34);
    s->SetCaptionPosX(0);
    s->SetCaptionPosY(-28);
  }
  level.SetScaleType(sctYL);
  level.SetRange(-1, 1);
  level.SetMinTicks(4);  // ticks every 0.2, labels with two decimals
  level.SetCaption(u"level / V");
  level.SetCaptionAlignment(taLeftJustify);
  level.ForcePaint();
  gain.SetScaleType(sctYR);
  gain.SetRange(0.001, 1000);
  gain.SetLogarithmic(true);
  gain.SetDecPlaces(-3);          // decades as exponents ...
  gain.SetScaleInscript(u"10^&");  // ... written 10^-3 .. 10^3
  gain.SetCaption(u"gain");
  gain.SetCaptionAlignment(taRightJustify);
  gain.ForcePaint();
  page.Add(picture, "scale-vertical.png", "Vertical scales: linear -1..1 (sctYL), logarithmic with exponent labels (sctYR)");
}

void Texts(GalleryPage& page) {
  TBitmap picture(440, 200);
  TScale days(nullptr), load(nullptr);
  Place(days, picture, 10, 10, 420, 85);
  days.SetRange(1, 7);
  days.SetMinTicks(6);
  days.SetShortTicks(false);
  days.SetLabelType(ftUserText);
  days.SetUserTickText(u"Mon|Tue|Wed|Thu|Fri|Sat|Sun");
  days.SetCaption(u"weekday");
  days.SetCaptionAnchor(uaSclCenter);
  days.ForcePaint();
  Place(load, picture, 10, 105, 420, 85);
  load.SetScaleType(sctXT);
  load.SetMinTicks(5);
  load.SetScaleInscript(u"&%");  // suffix after '&'
  load.SetColorScale(clNavy);
  load.SetColorBackGnd(clWhite);
  load.SetFrameStyle(fsSimple);
  load.SetCaption(u"load");
  load.SetCaptionAnchor(uaSclCenter);
  load.SetCaptionPosY(32);
  load.ForcePaint();
  page.Add(picture, "scale-texts.png", "User tick texts (weekdays) and an inscription with a suffix (%)");
}

}  // namespace

void ScaleGallery(GalleryPage& page) {
  page.Section("Axis scale (qeltaplot)");
  Horizontal(page);
  Vertical(page);
  Texts(page);
}

}  // namespace qelta::gallery
