// Colour scales (qeltaplot): TColorScale placed on a form and shown, horizontal and vertical, with
// and without ExtendColors, and on a descending axis. Doubles as a usage example of TColorScale.
#include "Gallery.h"

#include "Forms.h"
#include "Qelta_ColorScale.h"
#include "Testing.h"

namespace qelta::gallery {
namespace {

TColorScale* Place(TForm& form, int x, int y, int w, int h, const char16_t* caption) {
  auto* s = new TColorScale(&form);
  s->SetBounds(x, y, w, h);
  s->SetParent(&form);
  s->SetCaption(caption);
  s->SetCaptionSize(9);
  s->SetCaptionPosY(3);
  s->SetMarginTop(20);
  return s;
}

}  // namespace

void ColorScaleGallery(GalleryPage& page) {
  page.Section("Colour scale (qeltaplot)");
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 560, 420);
  Place(form, 10, 10, 330, 75, u"temperature / K: the palette over the axis");
  TColorScale* part = Place(form, 10, 95, 330, 75, u"colours on -5..5 only");
  part->SetColorLow(-5);
  part->SetColorHigh(5);
  TColorScale* extended = Place(form, 10, 180, 330, 75, u"-5..5, ExtendColors");
  extended->SetColorLow(-5);
  extended->SetColorHigh(5);
  extended->SetExtendColors(true);
  TColorScale* falling = Place(form, 10, 265, 330, 75, u"descending axis, ExtendColors");
  falling->SetScaleRangeLow(10);
  falling->SetScaleRangeHigh(-10);
  falling->SetColorLow(-5);
  falling->SetColorHigh(5);
  falling->SetExtendColors(true);
  falling->SetColorSclBkgd(clWhite);
  falling->SetFrameStyle(fsSimple);
  TColorScale* grey = Place(form, 10, 350, 330, 60, u"");  // a grey palette
  const TColor ends[] = {clBlack, clWhite};
  grey->ColorArray()->FillByInterpolation(8, ends);  // eight flat bands
  grey->SetMarginTop(4);
  for (int i = 0; i < 2; ++i) {
    TColorScale* v = Place(form, 360 + i * 95, 10, 90, 400, i == 0 ? u"plain" : u"extended");
    v->SetOrientation(csoVertical);
    v->SetMarginTop(30);
    v->SetMarginRight(45);
    v->SetMarginLeft(10);
    v->SetColorLow(-5);
    v->SetColorHigh(5);
    v->SetExtendColors(i == 1);
    v->SetCaptionPosX(6);
    v->SetCaptionPosY(8);
  }
  user.Show(&form);
  const auto picture = user.Grab(&form);
  page.Add(*picture, "colorscale.png",
           "Colour scales: the whole palette, a colour interval inside the axis without and with ExtendColors, "
           "a descending axis (the mirror), a grey palette of eight bands; vertical without and with ExtendColors");
}

}  // namespace qelta::gallery
