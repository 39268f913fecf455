// Contour plots (qeltaplot): TContourPlot placed on a form with a colour scale: a function with a
// peak and a pit in the four plot modes, the colour scale attached to every plot. Doubles as a usage
// example of TContourPlot.
#include "Gallery.h"

#include <cmath>

#include "Forms.h"
#include "Qelta_ColorScale.h"
#include "Qelta_rchart.h"

namespace qelta::gallery {
namespace {

// A peak at (1.5, 1) and a pit at (-1.8, -1.2).
void PeakAndPit(TObject*, double x, double y, double& z) {
  z = std::exp(-((x - 1.5) * (x - 1.5) + (y - 1) * (y - 1)) / 2) -
      0.8 * std::exp(-((x + 1.8) * (x + 1.8) + (y + 1.2) * (y + 1.2)) / 1.5);
}

}  // namespace

void ContourPlotGallery(GalleryPage& page) {
  page.Section("Contour plot (qeltaplot)");
  TForm form(nullptr);
  form.SetBounds(0, 0, 720, 520);
  auto* scale = new TColorScale(&form);
  scale->SetParent(&form);
  scale->SetBounds(630, 10, 80, 500);
  scale->SetOrientation(csoVertical);
  scale->SetScaleRangeLow(-1);
  scale->SetScaleRangeHigh(1);
  scale->SetMarginTop(30);
  scale->SetMarginRight(45);
  scale->SetMarginLeft(10);
  scale->SetCaption(u"z");
  const struct {
    TContourPlotMode mode;
    const char16_t* caption;
  } plots[] = {{cpmColorSurface, u"cpmColorSurface"},
               {cpmColorSurfNoIp, u"cpmColorSurfNoIp"},
               {cpmDots, u"cpmDots"},
               {cpmMonoDots, u"cpmMonoDots"}};
  for (int i = 0; i < 4; ++i) {
    auto* c = new TContourPlot(&form);
    c->SetParent(&form);
    c->SetBounds(10 + (i % 2) * 310, 10 + (i / 2) * 250, 300, 240);
    c->SetCaption(plots[i].caption);
    c->SetPlotMode(plots[i].mode);
    c->SetIsoParams(-1, 1, 0.1);
    c->OnEstimateZVal = PeakAndPit;
    c->SetAttachedColorScale(scale);
    if (i == 1) c->SetPivotRes(60);  // coarse pivots show the flat rectangles
    if (i == 3) c->IsoColors()->SetColorElem(1, clNavy);
    c->AddTextLabel(1.5, 1, clBlack, u"peak", 0);
    c->AddTextLabel(-1.8, -1.2, i < 2 ? clWhite : clBlack, u"pit", 0);
    c->GetFTextLabel(2)->SetTransparent(true);
  }
  AddShownForm(page, form, "contourplot-modes.png",
               "TContourPlot: a peak and a pit (levels -1..1 by 0.1) as colour surface, flat pivot rectangles "
               "(PivotResolution 60), iso-level dots in the level colours and in one colour; the colour scale "
               "on the right is attached to all four and shows their colours over IsoLow..IsoHigh");
}

}  // namespace qelta::gallery
