// Controls on timers and pictures (qeltactl): TRasterLab in the built-in font and in DejaVu Sans,
// TProgBar in its three colour mappings, and a TThumbnails grid fed by the host. Doubles as a usage
// example of the controls (TRepSpeedButton only repeats while held, so it has no picture here).
#include "Gallery.h"

#include "Forms.h"
#include "Qelta_ProgBar.h"
#include "Qelta_RasterLab.h"
#include "Qelta_Thumbnails.h"

namespace qelta::gallery {
namespace {

void DotMatrixLabels(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 3 * 60 + 10);
  const TRDBlockMode modes[] = {rdbmOn, rdbmRaster, rdbmOff};
  for (int i = 0; i < 3; ++i) {
    auto* lab = new TRasterLab(&form);
    lab->SetParent(&form);
    lab->SetBounds(5, 5 + i * 60, 610, 55);
    lab->SetCharBlockMode(modes[i]);
    lab->SetDotSize(2);
    lab->SetPosX(4), lab->SetPosY(3);
    if (i == 1) {
      lab->Font()->SetName(u"DejaVu Sans");
      lab->Font()->SetHeight(-14);
      lab->SetColorDotOn(0x00C0FF);
    }
    lab->SetText(i == 1 ? u"DejaVu Sans: 12.5 °C" : u"Built-in font: 0123 ÄÖÜ €");
  }
  AddShownForm(page, form, "rasterlab-modes.png",
               "TRasterLab: built-in font in rdbmOn, DejaVu Sans rasterised in rdbmRaster, rdbmOff");
}

// The value text stands on the bar's darker half: white and bold there (the default black hardly reads
// on a dark bar).
void ProgressBars(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 330, 3 * 36 + 10);
  const TColorMapping maps[] = {cgmCover, cgmStretch, cgmMove};
  for (int i = 0; i < 3; ++i) {
    auto* bar = new TProgBar(&form);
    bar->SetParent(&form);
    bar->SetBounds(5, 5 + i * 36, 320, 30);
    bar->SetColorMapMode(maps[i]);
    bar->SetShowColorGradient(true);
    bar->SetColorMin(0x00C000);
    bar->SetColorMax(0x0000FF);
    bar->SetGridDist(20);
    bar->SetValue(65);
    bar->SetTextPosX(155);  // the text's centre, half-way between two grid lines
    bar->Font()->SetColor(clWhite);
    bar->Font()->SetStyle({fsBold});
  }
  AddShownForm(page, form, "progbar-mappings.png", "TProgBar at 65 %: cgmCover, cgmStretch, cgmMove");
}

void ThumbnailGrid(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 426, 300);
  auto* th = new TThumbnails(&form);
  th->SetParent(&form);
  th->SetBounds(0, 0, 426, 300);
  TBitmap picture(160, 120);
  picture.Canvas()->Brush()->SetColor(0xC08030);
  picture.Canvas()->FillRect(Rect(0, 0, 160, 120));
  picture.Canvas()->Brush()->SetColor(0x40C0F0);
  picture.Canvas()->Ellipse(30, 20, 130, 100);
  th->OnImageRequest = [&](TObject*, int id, TImageRequestProcessing& how, int& mark, TBitmap& buffer) {
    how = id % 3 == 0 ? irpShowEmpty : irpShowSlide;  // the host's picture, or the slide number
    if (how == irpShowSlide) buffer.Assign(&picture);
    if (id == 2) mark = 5;
  };
  th->SetSelectedSlide(4, true);
  AddShownForm(page, form, "thumbnails-grid.png", "TThumbnails: host pictures, empty slides, a mark, slide 4 selected");
}

}  // namespace

void TimerControlsGallery(GalleryPage& page) {
  page.Section("Dot-matrix label, progress bar and thumbnail grid (qeltactl)");
  DotMatrixLabels(page);
  ProgressBars(page);
  ThumbnailGrid(page);
}

}  // namespace qelta::gallery
