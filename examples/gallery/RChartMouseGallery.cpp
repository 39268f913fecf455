// Charts and the mouse (qeltaplot): a zoom sequence driven by the scripted user (before, the zoom
// window being dragged, after, after a pan) and a rubber band. Doubles as a usage example of
// MouseAction, OnZoomPan and OnRubberBand.
#include "Gallery.h"

#include <cmath>
#include <string>

#include "Forms.h"
#include "Qelta_rchart.h"
#include "SysUtils.h"
#include "Testing.h"

namespace qelta::gallery {
namespace {

// A damped oscillation with marks on every tenth point, on a dotted grid.
TRChart* OscillationChart(TForm& form, const char16_t* caption) {
  form.SetBounds(0, 0, 420, 300);
  auto* c = new TRChart(&form);
  c->SetParent(&form);
  c->SetBounds(0, 0, 420, 300);
  c->SetCaption(caption);
  c->SetGridStyle(gsDotLines);
  c->SetGridColor(clSilver);
  c->SetRange(1, 0, -1.1, 20, 1.1);
  c->SetDataColor(clNavy);
  c->MoveTo(0, 1);
  for (int i = 1; i <= 400; ++i) c->DrawTo(i * 0.05, std::exp(-i * 0.005) * std::cos(i * 0.05 * 2.2));
  c->SetDataColor(clMaroon);
  for (int i = 0; i <= 400; i += 10) c->MarkAt(i * 0.05, std::exp(-i * 0.005) * std::cos(i * 0.05 * 2.2), 24);
  return c;
}

// The range of layer 1 as the caption shows it.
String RangeText(TRChart* c) {
  const auto r = [](double v) { return Str(v, 1, 2); };
  return u"x " + r(c->GetScalePropsX(1)->RangeLow()) + u".." + r(c->GetScalePropsX(1)->RangeHigh()) + u", y " +
         r(c->GetScalePropsY(1)->RangeLow()) + u".." + r(c->GetScalePropsY(1)->RangeHigh());
}

void ZoomSequence(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  TRChart* c = OscillationChart(form, u"before");
  c->SetMouseAction(maZoomWindPos);
  c->OnZoomPan = [c](TObject*) { c->SetCaption(RangeText(c)); };
  user.Show(&form);
  page.Add(*user.Grab(&form), "rchart-mouse-1-before.png",
           "Zoom sequence 1: the chart before (MouseAction maZoomWindPos)");
  user.Press(c, 90, 60);
  for (int i = 1; i <= 5; ++i) user.MoveTo(c, 90 + i * 30, 60 + i * 20);
  page.Add(*user.Grab(&form), "rchart-mouse-2-window.png",
           "Zoom sequence 2: the scripted user drags the zoom window (XOR rectangle, clamped to the data area)");
  user.Release(c, 240, 160);
  page.Add(*user.Grab(&form), "rchart-mouse-3-zoomed.png",
           "Zoom sequence 3: after the release the window is the range");
  c->SetMouseAction(maPan);
  user.Drag(c, 300, 200, 180, 120, mbLeft, 6);
  page.Add(*user.Grab(&form), "rchart-mouse-4-panned.png",
           "Zoom sequence 4: after a pan (maPan): the user dragged the data left and up; ZoomHistory(-1) goes back");
}

void RubberBand(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  TRChart* c = OscillationChart(form, u"rubber band");
  c->SetMouseAction(maRubberBand);
  // The host marks what the band caught: the items inside go into class 1 and turn red.
  c->OnRubberBand = [c](TObject*, int, double xLo, double yLo, double xHi, double yHi) {
    const int n = c->MarkItemsInWindow(xLo, yLo, xHi, yHi, tkMarkAt, 1);
    c->NewColorOfClassItems(clRed, 1);
    c->SetCaption(IntToStr(n) + u" marks in x " + Str(xLo, 1, 2) + u".." + Str(xHi, 1, 2) + u", y " + Str(yLo, 1, 2) +
                  u".." + Str(yHi, 1, 2));
  };
  user.Show(&form);
  user.Press(c, 120, 40);
  user.MoveTo(c, 200, 120);
  user.MoveTo(c, 260, 150);
  page.Add(*user.Grab(&form), "rchart-mouse-band-drawn.png", "A rubber band being drawn (maRubberBand)");
  user.Release(c, 260, 150);
  page.Add(*user.Grab(&form), "rchart-mouse-band-done.png",
           "After the release OnRubberBand reports the window in chart units; the host coloured the marks inside");
}

}  // namespace

void RChartMouseGallery(GalleryPage& page) {
  page.Section("Chart and the mouse (qeltaplot)");
  ZoomSequence(page);
  RubberBand(page);
}

}  // namespace qelta::gallery
