// Numeric controls and displays (qeltactl): TNumIO2 in every input format with spin buttons and
// gauge, TNumLab in its fifteen display types, TSevenSeg captions in two colours, and TRotLab
// captions every 30 degrees. Doubles as a usage example of the four controls.
#include "Gallery.h"

#include "Forms.h"
#include "Qelta_NumIO.h"
#include "Qelta_NumLab.h"
#include "Qelta_RotLab.h"
#include "Qelta_sevenseg.h"
#include "SysUtils.h"

namespace qelta::gallery {
namespace {

void NumericInputs(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 2 * 230 + 10, 8 * 44 + 10);
  const TInFormat formats[] = {itExp, itFloat, itFixPoint, itInt, itHex, itOct, itBin, itDynamic};
  const char16_t* names[] = {u"Exp", u"Float", u"Fix", u"Int", u"Hex", u"Oct", u"Bin", u"Dyn"};
  for (int i = 0; i < 16; ++i) {
    auto* n = new TNumIO2(&form);
    n->SetParent(&form);
    n->SetBounds(10 + (i / 8) * 230, 10 + (i % 8) * 44, 220, 40);
    n->SetTextBoxWidth(110);
    n->SetLeftText(names[i % 8]);
    n->SetRightText(u"V");
    n->SetButVisible(true);
    n->SetButHeight(26);
    n->SetGaugeVisible(true);
    n->SetGaugeWidth(110);
    n->SetInputFormat(formats[i % 8]);
    n->SetNioValue(250);
    n->SetReadOnly(true);  // no caret in the picture
    n->SetEnabled(i < 8);
  }
  AddShownForm(page, form, "numio2-formats.png",
               "TNumIO2 in the eight input formats (value 250 of 0..1000), enabled and disabled");
}

void NumericLabels(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 3 * 230 + 10, 5 * 34 + 10);
  struct Row {
    TDisplay type;
    const char16_t* name;
    double value;
    int precision;
  };
  const Row rows[] = {{dtFloat, u"Float", 1234567, 3}, {dtFixP, u"FixP", 3.14159, 2},   {dtExp, u"Exp", 0.00123, 3},
                      {dtHex, u"Hex", 255, 4},         {dtZeroInt, u"0Int", 42, 5},     {dtInt, u"Int", -7.5, 0},
                      {dtDateTime, u"Date", 45292.5, 0}, {dtState, u"State", 0, 0},     {dtBin, u"Bin", 5, 8},
                      {dtOct, u"Oct", 8, 4},           {dtDeg, u"Deg", 47.2625, 2},     {dtDegMin, u"DM", 47.2625, 1},
                      {dtDegMinSec, u"DMS", 47.2625, 0}, {dtEEng, u"Eng", 4700, 2},     {dtEEngNoDP, u"EngNoDP", 4700, 2}};
  for (int i = 0; i < 15; ++i) {
    auto* lab = new TNumLab(&form);
    lab->SetParent(&form);
    lab->SetBounds(10 + (i % 3) * 230, 10 + (i / 3) * 34, 220, 28);
    lab->SetLeftSpace(60);
    lab->SetLabelWidth(110);
    lab->SetLeftText(rows[i].name);
    lab->SetColorLabBakG(clWhite);
    lab->SetDisplayType(rows[i].type);
    lab->SetPrecision(rows[i].precision);
    lab->SetValue(rows[i].value);
  }
  AddShownForm(page, form, "numlab-types.png", "TNumLab in its fifteen display types");
}

void SevenSegments(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 2 * 226 + 10, 5 * 86 + 10);
  const char16_t* captions[] = {u"8.8.8.8.", u"12.5", u".5", u"-1.5E", u"12:30"};
  for (int i = 0; i < 10; ++i) {
    auto* seg = new TSevenSeg(&form);
    seg->SetParent(&form);
    seg->SetBounds(10 + (i / 5) * 226, 10 + (i % 5) * 86, 216, 76);
    seg->SetNumDigits(5);
    if (i >= 5) {
      seg->SetColorText(0x40FF40);
      seg->SetColorBackGnd(0x102010);
    }
    seg->SetCaption(captions[i % 5]);
  }
  AddShownForm(page, form, "sevenseg-captions.png", "TSevenSeg captions in red and in green");
}

// Captions every 45 degrees (at 30 the numbers near the common point touch). Turned about their left or
// right ends they fan out around one point; turned about their centres they would all cover that point,
// so each of those, shorter, has a cell of its own with its reference point in the cell's centre
// (AutoCenter).
void RotatedLabels(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 3 * 230 + 10, 2 * 230 + 10);
  form.SetColor(clWhite);
  const TAlignment alignments[] = {taLeftJustify, taCenter, taRightJustify};
  for (int k = 0; k < 6; ++k) {
    const int left = 10 + (k % 3) * 230, top = 10 + (k / 3) * 230;
    auto* panel = new TRotLab(&form);  // the panel's frame, without a caption
    panel->SetParent(&form);
    panel->SetBounds(left, top, 220, 220);
    panel->SetCaption(u"");
    panel->SetFrameStyle(fsLowered);
    for (int angle = 0; angle < 360; angle += 45) {
      auto* lab = new TRotLab(&form);
      lab->SetParent(&form);
      const bool centred = alignments[k % 3] == taCenter;
      if (centred) {
        const int cell = angle / 45;  // 4 x 2 cells of 55 x 110 pixels
        lab->SetBounds(left + (cell % 4) * 55, top + (cell / 4) * 110, 55, 110);
        lab->SetAutoCenter(true);
      } else {
        lab->SetBounds(left, top, 220, 220);
      }
      lab->SetFrameStyle(fsNone);
      lab->SetAlignment(alignments[k % 3]);
      lab->SetAntiAlias(k < 3);
      lab->SetTextAngle(angle);
      lab->SetCaption(centred ? IntToStr(angle) + u"°" : u"— " + IntToStr(angle) + u"° —");
    }
  }
  AddShownForm(page, form, "rotlab-angles.png",
               "TRotLab every 45 degrees: about the left end, about the centre (each in its own cell), about the "
               "right end; smoothed (top) and not");
}

}  // namespace

void NumericDisplaysGallery(GalleryPage& page) {
  page.Section("Numeric controls and displays (qeltactl)");
  NumericInputs(page);
  NumericLabels(page);
  SevenSegments(page);
  RotatedLabels(page);
}

}  // namespace qelta::gallery
