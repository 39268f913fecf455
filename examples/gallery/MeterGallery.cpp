// Meter (qeltactl): TMeter placed on forms and shown: the six layouts, then linear and logarithmic
// scales with zones, two needles and an anchor picture. Doubles as a usage example of TMeter.
#include "Gallery.h"

#include <filesystem>

#include "Encoding.h"
#include "Forms.h"
#include "Qelta_Meter.h"

namespace qelta::gallery {
namespace {

TMeter* Place(TForm& form, int x, int y) {
  auto* m = new TMeter(&form);
  m->SetBounds(x, y, 297, 209);
  m->SetParent(&form);
  return m;
}

// The needles stand half-way between labelled ticks, whose labels their heads would cover, and clear of
// the caption above the pivot of the round dials. A full
// circle's ends meet: a scale whose maximum is a labelled tick writes it over the minimum, so the
// mlCirc360 dial spans 0..360 degrees with labels every 100 (every 50 would put 350 beside 0).
void Layouts(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 3 * 307 + 10, 2 * 219 + 10);
  const TMeterLayout layouts[] = {mlCirc90, mlCirc120, mlCirc180, mlCirc270, mlCirc300, mlCirc360};
  const char16_t* names[] = {u"mlCirc90", u"mlCirc120", u"mlCirc180", u"mlCirc270", u"mlCirc300", u"mlCirc360"};
  const double values[] = {15, 25, 35, 65, 85, 330};
  for (int i = 0; i < 6; ++i) {
    TMeter* m = Place(form, 10 + (i % 3) * 307, 10 + (i / 3) * 219);
    const double full = layouts[i] == mlCirc360 ? 360 : 100;
    m->SetMeterLayout(layouts[i]);
    m->SetMeterMaxValue(full);
    m->SetThresholdHigh(0.8 * full);
    m->SetThresholdLow(0.2 * full);
    m->SetMeterNrTicks(full == 360 ? 3 : 5);
    m->SetMeterDecPlaces(0);
    m->SetScaleBkVisible(true);
    m->SetScaleBkWidth(8);
    m->SetCaption(names[i]);
    m->SetValue(values[i]);
  }
  AddShownForm(page, form, "meter-layouts.png",
               "Meter layouts, 0..100 with zones at 20 and 80 (values 15 to 85); mlCirc360 over 0..360 degrees, "
               "zones at 72 and 288, value 330");
}

// An anchor cap of our own: a ringed disc on black, which the meter leaves see-through.
String AnchorPicture(const std::filesystem::path& folder) {
  TBitmap cap(36, 36);
  TCanvas* c = cap.Canvas();
  c->Brush()->SetColor(clBlack);
  c->FillRect(Rect(0, 0, 36, 36));
  c->Pen()->SetColor(0x404040);
  c->Brush()->SetColor(0x3050A0);
  c->Ellipse(2, 2, 34, 34);
  c->Brush()->SetColor(0xC0C8D0);
  c->Ellipse(10, 10, 26, 26);
  const String name = Utf8ToString((folder / "meter-anchor.bmp").string());
  cap.SaveToFile(name);
  return name;
}

void Scales(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 3 * 307 + 10, 219 + 10);
  TMeter* linear = Place(form, 10, 10);  // two needles over coloured zones
  linear->SetMeterMinValue(-50);
  linear->SetMeterMaxValue(50);
  linear->SetThresholdLow(-30);
  linear->SetThresholdHigh(30);
  linear->SetScaleBkVisible(true);
  linear->SetScaleBkWidth(25);
  linear->SetMeterDecPlaces(0);
  linear->SetCaption(u"°C");
  linear->NeedleLayout()->SetThickness(4);
  linear->NeedleLayout()->SetShadowDx(-3);
  linear->NeedleLayout()->SetShadowDy(-3);
  linear->NeedleLayoutSec()->SetVisible(true);
  linear->NeedleLayoutSec()->SetColorBody(clRed);
  linear->NeedleLayoutSec()->SetPercentNeedleLength(75);
  linear->SetValueSec(-38);
  linear->SetValue(12);

  TMeter* log = Place(form, 317, 10);  // decades 1..1000, labels at 1, 2 and 5
  log->SetMeterLayout(mlCirc300);
  log->SetMeterMaxValue(1000);
  log->SetMeterMinValue(1);
  log->SetLogarithmic(true);
  log->SetThresholdHigh(500);
  log->SetMeterDecPlaces(0);
  log->SetMeterShortTicks(false);
  log->SetCaption(u"Hz");
  log->SetValue(150);  // clear of the labels and the caption

  TMeter* anchored = Place(form, 624, 10);  // the pivot under a picture
  anchored->SetMeterLayout(mlCirc180);
  anchored->SetColorBakG(0xE0F0F0);
  anchored->SetAnchorImage(AnchorPicture(page.Folder()));
  anchored->SetCaption(u"anchor picture");
  anchored->SetValue(0.7);
  AddShownForm(page, form, "meter-scales.png",
               "Meters: two needles over zones, a logarithmic scale 1..1000, an anchor picture");
}

}  // namespace

void MeterGallery(GalleryPage& page) {
  page.Section("Meter (qeltactl)");
  Layouts(page);
  Scales(page);
}

}  // namespace qelta::gallery
