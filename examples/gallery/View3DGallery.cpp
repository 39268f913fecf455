// The 3-D displays (qeltaplot) on shown forms: the surface plot TPlot3D with a two-peak surface in its
// colour codings, mesh kinds and box styles, a rotation driven by the scripted user, and the rotatable
// display TRot3D with a helix of lines and marks. Doubles as a usage example of both controls.
#include <cmath>
#include <string>

#include "Forms.h"
#include "Gallery.h"
#include "Qelta_Rot3D.h"
#include "Qelta_plot3d.h"
#include "Testing.h"

namespace qelta::gallery {
namespace {

// Two Gaussian peaks of heights 1 and 0.6 over a 30 x 30 grid, its columns and rows at 0..29: the far
// ends carry no tick label, so the corner the x and y axes share never holds two of them (one would be
// left out).
void FillTwoPeaks(TPlot3D& plot) {
  TMatrix* grid = plot.GridMat();
  plot.SetSuppressPaint(true);  // one scan of the grid, one repaint
  grid->Resize(30, 30);
  for (int c = 1; c <= 30; ++c)
    for (int r = 1; r <= 30; ++r) {
      const double x = (c - 15.5) / 5, y = (r - 15.5) / 5;
      grid->SetVal(c, r, std::exp(-((x - 1) * (x - 1) + (y - 1) * (y - 1))) + 0.6 * std::exp(-((x + 1.2) * (x + 1.2) + (y + 0.8) * (y + 0.8)) * 1.5));
    }
  plot.SetRange(0, 29, 0, 29, 0, 1);
  plot.SetColorScaleLow(0);
  plot.SetColorScaleHigh(1);
  plot.SetSuppressPaint(false);
}

// A plot small enough in its 320 x 250 window that every tick label shows whole in every view the
// rotation below reaches (a label that would be cut is left out).
TPlot3D* NewPlot(TForm& form, int x, int y) {
  auto* plot = new TPlot3D(&form);
  plot->SetBounds(x, y, 320, 250);
  plot->SetParent(&form);
  plot->SetMagnification(0.4);
  plot->SetViewAngles(60, 25);
  plot->SetMinTickX(2);  // ticks 0, 10, 20 without decimals
  plot->SetMinTickY(2);
  plot->SetDecPlaceX(0);
  plot->SetDecPlaceY(0);
  plot->SetDecPlaceZ(1);  // 0.2, not 0.20
  plot->SetLabDistX(28);
  plot->SetLabDistY(28);
  plot->SetLabDistZ(45);  // right of the tick labels
  FillTwoPeaks(*plot);
  return plot;
}

void Codings(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 960, 500);
  struct Look {
    TColorCodingMode coding;
    TMeshKind mesh;
    TBoundingBox box;
  };
  const Look looks[6] = {{ccmTwoColors, mkMesh, bbFaces},           {ccmThreeColors, mkMesh, bbFrame},
                         {ccmThreeColors, mkWaterfallHorz, bbFaces}, {ccmTwoColors, mkWaterfallVert, bbNone},
                         {ccmThreeColors, mkWaterfallDiag, bbFaces}, {ccmThreeColors, mkGrid, bbFrame}};
  for (int i = 0; i < 6; ++i) {
    TPlot3D* plot = NewPlot(form, 320 * (i % 3), 250 * (i / 3));
    plot->SetColorCodingMode(looks[i].coding);
    plot->SetColorLow(clNavy);
    plot->SetColorMid(looks[i].coding == ccmThreeColors ? clLime : clBlue);
    plot->SetColorHigh(clRed);
    plot->SetMeshKind(looks[i].mesh);
    plot->SetBoundBoxStyle(looks[i].box);
  }
  user.Show(&form);
  page.Add(*user.Grab(&form), "plot3d-codings.png",
           "TPlot3D, two peaks on a 30 x 30 grid: two colours with mesh and shaded faces; three colours with mesh and "
           "frame; waterfall across rows; two colours, waterfall down columns, no box; diagonal waterfall; corner "
           "pixels (mkGrid) with frame");
}

void Rotation(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 250);
  TPlot3D* plot = NewPlot(form, 0, 0);
  plot->SetColorCodingMode(ccmThreeColors);
  plot->SetColorMid(clLime);
  user.Show(&form);
  TBitmap strip(4 * 320, 250);
  strip.Canvas()->Draw(0, 0, user.Grab(plot).get());
  user.MoveTo(plot, 160, 125);  // hovering sets the drag anchors
  user.Press(plot, 160, 125);
  for (int step = 1; step <= 3; ++step) {
    user.MoveTo(plot, 160 - 20 * step, 125 + 3 * step);  // turn about z, tilt a little: seen from above,
                                                         // the z axis shrinks and its labels crowd
    strip.Canvas()->Draw(320 * step, 0, user.Grab(plot).get());
  }
  user.Release(plot, 100, 134);
  page.Add(strip, "plot3d-rotation.png",
           "A drag by the scripted user (maRotate): pressed at the centre, moved 20 px left and 3 px down per picture; "
           "each step turns the view by 360 x dx / Width and tilts it by 360 x dy / Height");
}

void Helix(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 450, 300);
  auto* display = new TRot3D(&form);
  display->SetParent(&form);
  display->SetDataCol(clNavy);
  display->SetLineWidth(2);
  display->Moveto(1, 0, 0);
  for (int i = 1; i <= 120; ++i) {
    const double t = i * 0.1;
    display->Drawto(std::cos(t), std::sin(t), t / 6);
  }
  for (int i = 0; i <= 12; ++i) {
    const double t = i * 1.0;
    display->SetDataCol(i % 2 == 0 ? clRed : clGreen);
    display->MarkAt(std::cos(t), std::sin(t), t / 6, static_cast<uint8_t>(i % 2 == 0 ? 24 : 200 + i % 10));
  }
  display->SetDataCol(clGray);
  display->SetLineWidth(1);
  display->Line(0, 0, 0, 0, 0, 2);  // the helix axis
  display->SetAxNameX(u"x");
  display->SetAxNameY(u"y");
  display->SetAxNameZ(u"height");
  display->SetBoundBoxSize(1100);  // the data fill +-500 model units per axis
  display->SetMagnification(0.7);
  display->MakeVisible();
  user.Show(&form);
  page.Add(*user.Grab(&form), "rot3d-helix.png",
           "TRot3D: a helix of 120 lines (width 2) with marks at whole turns of the parameter (filled circles and "
           "digits), its axis as a single line, the box with shaded faces, axes and axis names");
}

}  // namespace

void View3DGallery(GalleryPage& page) {
  page.Section("3-D displays");
  Codings(page);
  Rotation(page);
  Helix(page);
}

}  // namespace qelta::gallery
