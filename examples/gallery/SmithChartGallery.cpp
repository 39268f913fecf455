// The Smith chart (qeltaplot): TSmithChart at detail level 1 (a small diagram labels only the main
// values) and level 5 (a unit circle over 900 pixels wide labels them all), with a few loads and
// the impedance of a series resonant circuit over frequency. Doubles as a usage example of
// TSmithChart and its conversions.
#include "Gallery.h"

#include <cmath>

#include "Forms.h"
#include "Qelta_rchart.h"

namespace qelta::gallery {
namespace {

// Marks at a few normalised loads r + jx, labelled on the side away from the real axis (where the
// resistance labels stand), and the curve of z = 1.3 + j(w - 1/w) (a series resonant circuit) for w from
// 0.2 to 5: it crosses the real axis at 0.13, between the labels 1 and 1.2 (a curve of r = 1 would
// cover the label 1 at the centre).
void Impedances(TSmithChart* s) {
  struct TLoad {
    double r, x;
    const char16_t* name;
  };
  const TLoad loads[] = {{0.5, 0.5, u"0.5+j0.5"}, {2, -1, u"2-j1"}, {0.2, -0.5, u"0.2-j0.5"}, {1, 2, u"1+j2"}};
  s->SetDataColor(clRed);
  for (const TLoad& l : loads) {
    const double gr = TSmithChart::CalcReflectionReal(l.r, l.x), gi = TSmithChart::CalcReflectionImag(l.r, l.x);
    s->MarkAt(gr, gi, 24);
    const bool above = l.x > 0;
    const int n = s->AddTextLabel(gr, gi + (above ? 0.08 : -0.08), clMaroon, l.name, 0);
    s->GetFTextLabel(n)->SetVerticalAlignment(above ? vaBottom : vaTop);  // the point is the label's edge
  }
  s->SetDataColor(clBlue);
  s->SetLineWidth(2);
  for (int i = 0; i <= 200; ++i) {
    const double w = 0.2 * std::pow(25.0, i / 200.0), x = w - 1 / w;
    const double gr = TSmithChart::CalcReflectionReal(1.3, x), gi = TSmithChart::CalcReflectionImag(1.3, x);
    if (i == 0) {
      s->MoveTo(gr, gi);
    } else {
      s->DrawTo(gr, gi);
    }
  }
}

TSmithChart* PlaceSmith(TForm& form, int size, const char16_t* caption) {
  form.SetBounds(0, 0, size, size);
  auto* s = new TSmithChart(&form);
  s->SetParent(&form);
  s->SetBounds(0, 0, size, size);
  s->SetCaption(caption);
  Impedances(s);
  return s;
}

// The unit circle as wide as level 1 allows (300 pixels): the labels 5 and 10 near the rim, 0.15 apart,
// crowd on a smaller one.
void SmallSmith(GalleryPage& page) {
  TForm form(nullptr);
  TSmithChart* s = PlaceSmith(form, 400, u"detail level 1");
  s->SetRangeXLow(-1.15);
  s->SetRangeXHigh(1.15);
  AddShownForm(page, form, "smith-level1.png",
               "TSmithChart, unit circle under 300 pixels: only 0, 0.2, 0.5, 1, 2, 5 and 10 are labelled");
}

void LargeSmith(GalleryPage& page) {
  TForm form(nullptr);
  TSmithChart* s = PlaceSmith(form, 1140, u"detail level 5");
  s->SetRangeXLow(-1.1);
  s->SetRangeXHigh(1.1);
  AddShownForm(page, form, "smith-level5.png", "TSmithChart, unit circle over 900 pixels wide: every value labelled");
}

}  // namespace

void SmithChartGallery(GalleryPage& page) {
  page.Section("Smith chart (qeltaplot)");
  SmallSmith(page);
  LargeSmith(page);
}

}  // namespace qelta::gallery
