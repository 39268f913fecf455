// Small controls of settings panels (qeltactl): on/off buttons in several styles, a strict group and a
// transparent one over a patterned panel; the mark selector; the colour selector; gradient fills.
// Doubles as a usage example of TOnOffBut, TMarkSel, TColSel and TGradFill.
#include "Gallery.h"

#include "Forms.h"
#include "Qelta_Colsel.h"
#include "Qelta_gradfl.h"
#include "Qelta_marksel.h"
#include "Qelta_onoffbut.h"

namespace qelta::gallery {
namespace {

TOnOffBut* Button(TWinControl* parent, int x, int y, TOnOffButStyle style, const char16_t* caption) {
  auto* b = new TOnOffBut(parent);
  b->SetBounds(x, y, 130, 60);
  b->SetParent(parent);
  b->SetButtonStyle(style);
  b->SetRightText(caption);
  return b;
}

void OnOffButtons(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 560, 330);
  const TOnOffButStyle styles[] = {oobsCheckbox, oobsSlideLR, oobsLedRedGreen,  oobsArrowUpDown,
                                   oobsBulb,     oobsButLamp, oobsSmileyYellow, oobsHDLeft};
  const char16_t* names[] = {u"check", u"slide", u"LED", u"arrow", u"bulb", u"lamp", u"smiley", u"HD"};
  for (int i = 0; i < 8; ++i) {
    TOnOffBut* b = Button(&form, 10 + (i % 4) * 135, 10 + (i / 4) * 100, styles[i], names[i]);
    if (i == 4) b->SetBounds(b->Left(), b->Top(), 130, 95);
    b->SetOnOff(i % 2 == 0);
    if (i == 7) b->SetEnabled(false);
  }
  // a strict group of three radio buttons: one stays on
  for (int i = 0; i < 3; ++i) {
    TOnOffBut* b = Button(&form, 10 + i * 135, 210, oobsRadioBut, i == 0 ? u"low" : i == 1 ? u"mid" : u"high");
    b->SetGroupIndex(1);
    b->SetAllowAllOff(false);
  }
  auto* pattern = new TGradFill(&form);
  pattern->SetBounds(415, 205, 135, 115);
  pattern->SetParent(&form);
  pattern->SetFillType(gtVert);
  pattern->SetNrColors(9);
  pattern->SetGridMode(gmBoth);
  TOnOffBut* glass = Button(&form, 420, 230, oobsTrafficLPed, u"walk");
  glass->SetBounds(420, 230, 125, 70);
  glass->SetTransparent(true);
  glass->SetFrameStyle(fsNone);
  glass->SetColorText(clWhite);
  AddShownForm(page, form, "onoff-buttons.png",
               "On/off buttons: styles on and off (the HD lamp disabled), a strict radio group, a transparent "
               "pedestrian light over a gradient");
}

void MarkSelector(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 500, 200);
  auto* all = new TMarkSel(&form);
  all->SetBounds(5, 5, 236, 178);
  all->SetParent(&form);
  all->SetNrOfRows(7);
  all->SetSelected(12);
  auto* few = new TMarkSel(&form);
  few->SetBounds(250, 5, 236, 178);
  few->SetParent(&form);
  few->SetNrOfColumns(4);
  few->SetNrOfRows(3);
  few->HideAllMarks();
  for (int m : {1, 2, 5, 8, 14, 20, 33, 41}) few->SetVis(m, true);
  few->SetSelected(5);
  few->SetEnabled(false);
  AddShownForm(page, form, "marksel.png", "Mark selector: all 52 marks in 8 x 7 cells; 9 marks, disabled");
}

void ColourSelector(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 420, 60);
  for (int i = 0; i < 2; ++i) {
    auto* sel = new TColSel(&form);
    sel->SetBounds(10 + i * 205, 15, 195, 0);
    sel->SetParent(&form);
    if (i == 0)
      sel->LoadExtendedPalette();
    else
      sel->LoadWindowsSystemPalette();
    sel->SetAllColorEditFlags();
    sel->SetSelColor(i == 0 ? clTeal : clHighlight);
  }
  AddShownForm(page, form, "colsel.png", "Colour selectors: the extended and the system palette, entries editable");
}

void Gradients(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 520, 140);
  const TGradType types[] = {gtHoriz, gtVert, gtMidBandHoriz, gtMidBandVert};
  for (int i = 0; i < 4; ++i) {
    auto* g = new TGradFill(&form);
    g->SetBounds(10 + i * 125, 10, 115, 115);
    g->SetParent(&form);
    g->SetFillType(types[i]);
    g->SetNrColors(i < 2 ? 32 : 7);
    g->SetFrameStyle(fsLowered);
  }
  AddShownForm(page, form, "gradfill.png", "Gradient fills: gtHoriz and gtVert in 32 bands, the mid-band types in 7");
}

}  // namespace

void SmallControlsGallery(GalleryPage& page) {
  page.Section("On/off button, mark selector, colour selector, gradient fill (qeltactl)");
  OnOffButtons(page);
  MarkSelector(page);
  ColourSelector(page);
  Gradients(page);
}

}  // namespace qelta::gallery
