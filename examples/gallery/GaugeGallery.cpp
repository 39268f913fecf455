// Gauges (qeltaplot): TScaleGauge placed on forms and shown: the five window backgrounds, the seven
// index modes, and moving dials (linear and logarithmic) beside a vertical gauge. Doubles as a usage
// example of TScaleGauge.
#include "Gallery.h"

#include <memory>

#include "Forms.h"
#include "Qelta_Gauge.h"

namespace qelta::gallery {
namespace {

TScaleGauge* Place(TForm& form, int x, int y, const char16_t* caption) {
  auto* g = new TScaleGauge(&form);
  g->SetBounds(x, y, 300, 75);
  g->SetParent(&form);
  g->SetCaption(caption);
  g->SetCaptionSize(8);
  g->SetMarginTop(18);  // a top plate that holds the caption clear of the window's frame
  g->SetCaptionPosX(22);
  g->SetCaptionPosY(3);
  g->SetValue(3.5);
  return g;
}

void Backgrounds(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 630, 265);
  const TGaugeBackground backgrounds[] = {gbPlain, gbVertGrad, gbHorizGrad, gbVertMidBand, gbHorizMidBand};
  const char16_t* names[] = {u"gbPlain", u"gbVertGrad", u"gbHorizGrad", u"gbVertMidBand", u"gbHorizMidBand"};
  for (int i = 0; i < 5; ++i) {
    TScaleGauge* g = Place(form, 10 + (i % 2) * 310, 10 + (i / 2) * 85, names[i]);
    g->SetBackground(backgrounds[i]);
    g->SetColorBg1(i == 0 ? TColor(0xE0FFFF) : clTeal);
    g->SetColorBg2(TColor(0xE0FFFF));
  }
  AddShownForm(page, form, "gauge-backgrounds.png", "Gauge window backgrounds (value 3.5, index gimTriangle)");
}

void IndexModes(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 630, 350);
  const TGaugeIndexMode modes[] = {gimThread,        gimTriangle, gimThreadTriangle, gimThreadTwoTriangles, gimBand,
                                   gimDualColorBand, gimBar};
  const char16_t* names[] = {u"gimThread",
                             u"gimTriangle",
                             u"gimThreadTriangle",
                             u"gimThreadTwoTriangles",
                             u"gimBand",
                             u"gimDualColorBand (value -4, zero 0)",
                             u"gimBar"};
  for (int i = 0; i < 7; ++i) {
    TScaleGauge* g = Place(form, 10 + (i % 2) * 310, 10 + (i / 2) * 85, names[i]);
    g->SetIndexMode(modes[i]);
    g->SetColorIndex2(i == 4 ? clLime : clRed);
    if (i == 5) g->SetValue(-4);
  }
  AddShownForm(page, form, "gauge-indexmodes.png", "Gauge index modes on the default vertical gradient");
}

void Dials(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 440, 265);
  TScaleGauge* linear = Place(form, 10, 10, u"moving dial, linear, value 3");
  linear->SetFixedDial(false);
  linear->SetValue(3);
  linear->SetIndexMode(gimThread);
  linear->SetColorIndex1(clRed);
  linear->SetShortTicks(true);
  TScaleGauge* log = Place(form, 10, 95, u"moving dial, logarithmic 1..100, value 10");
  log->SetMin(1);
  log->SetMax(100);
  log->SetLogarithmic(true);
  log->SetValue(10);
  log->SetFixedDial(false);
  log->SetIndexMode(gimThreadTwoTriangles);
  TScaleGauge* fixedLog = Place(form, 10, 180, u"fixed dial, logarithmic, value 20");
  fixedLog->SetMin(1);
  fixedLog->SetMax(1000);
  fixedLog->SetLogarithmic(true);
  fixedLog->SetValue(20);
  fixedLog->SetIndexMode(gimBand);
  fixedLog->SetMinTicks(10);
  auto* vertical = new TScaleGauge(&form);
  vertical->SetBounds(320, 10, 110, 245);
  vertical->SetParent(&form);
  vertical->SetOrientation(goVertical);
  vertical->SetMarginRight(30);
  vertical->SetMarginTop(25);
  vertical->SetBackground(gbHorizGrad);
  vertical->SetIndexMode(gimBand);
  vertical->SetValue(6);
  vertical->SetCaption(u"vertical");
  vertical->SetCaptionSize(8);
  vertical->SetCaptionPosY(6);
  AddShownForm(page, form, "gauge-dials.png",
        "Moving dials (linear, logarithmic), a fixed logarithmic dial, a vertical gauge");
}

}  // namespace

void GaugeGallery(GalleryPage& page) {
  page.Section("Gauge (qeltaplot)");
  Backgrounds(page);
  IndexModes(page);
  Dials(page);
}

}  // namespace qelta::gallery
