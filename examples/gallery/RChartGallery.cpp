// Charts (qeltaplot): TRChart placed on forms and shown: every item kind (and its black-and-white
// copy), grid styles on linear and logarithmic axes, background pictures and areas, shadows, the
// five standard layouts with two layers, text labels in their looks and attach modes, and the
// cross-hairs. Doubles as a usage example of TRChart.
#include "Gallery.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "Encoding.h"
#include "Forms.h"
#include "Qelta_rchart.h"

namespace qelta::gallery {
namespace {

TRChart* Place(TForm& form, int x, int y, int w, int h, const char16_t* caption) {
  auto* c = new TRChart(&form);
  c->SetParent(&form);
  c->SetBounds(x, y, w, h);
  c->SetCaption(caption);
  return c;
}

void ItemKinds(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 460);
  TRChart* c = Place(form, 0, 0, 620, 460, u"every item kind");
  c->SetRange(1, 0, 0, 12, 10);
  c->SetStandardLayout(rcl_X1Bottom_Y1Left);
  // Marks 0..51 in two rows, characters after them.
  for (int m = 0; m <= 51; ++m) {
    c->SetDataColor(m % 2 == 0 ? clNavy : clMaroon);
    c->MarkAt(0.4 + (m % 26) * 0.44, m < 26 ? 9.5 : 8.9, static_cast<uint8_t>(m));
  }
  c->SetDataColor(clGreen);
  const uint8_t characters[] = {65, 66, 200, 209};  // A, B and the digits 0, 9
  for (int i = 0; i < 4; ++i) c->MarkAt(11.6, 9.5 - i * 0.6, characters[i]);
  // A curve of DrawTo points, a line, a relative-pixel zigzag.
  c->SetDataColor(clBlue);
  c->SetLineWidth(2);
  c->MoveTo(0.3, 6.5);
  for (int i = 1; i <= 200; ++i) c->DrawTo(0.3 + i * 0.025, 6.5 + std::sin(i * 0.08) * 1.2);
  c->SetLineWidth(1);
  c->SetDataColor(clRed);
  c->Line(5.8, 5.2, 7.8, 8.0);
  c->SetDataColor(clPurple);
  c->MoveTo(8.3, 6.0);
  for (int i = 0; i < 6; ++i) c->DrawToRelPix(12, i % 2 == 0 ? -20 : 20);
  c->MoveToRelPix(10, 0);
  c->DrawToRelPix(0, 25);
  // Rectangles: filled, transparent, pixel-sized; a frame in each bevel; 3-D bars.
  c->SetDataColor(clBlack);
  c->SetFillColor(clYellow);
  c->Rectangle(0.4, 3.2, 1.6, 4.6);
  c->SetTransparentItems(true);
  c->Rectangle(1.9, 3.2, 3.1, 4.6);
  c->SetTransparentItems(false);
  c->SetFillColor(clAqua);
  c->RectangleRelPix(3.9, 3.9, 14, 10);
  c->SetFillColor(clSilver);
  const TFrameStyle frames[] = {fsLowered, fsRaised, fsEmbossed, fsEngraved};
  for (int i = 0; i < 4; ++i) c->RectFrame(4.8 + i * 1.1, 3.2, 5.6 + i * 1.1, 4.6, frames[i], clGray, clWhite);
  c->SetFillColor(TColor(0x60A0F0));
  c->Bar3D(9.4, 0.6, 10.2, 4.2, 10, 45);
  c->SetFillColor(TColor(0x70D070));
  c->Bar3D(10.7, 0.6, 11.5, 3.0, 10, 135);
  // Ellipses, filled and transparent.
  c->SetFillColor(TColor(0xF0C0E0));
  c->Ellipse(1.0, 1.5, 0.7, 0.8);
  c->SetTransparentItems(true);
  c->Ellipse(2.8, 1.5, 0.9, 0.6);
  // Arrows: transparent heads, then filled heads.
  c->SetDataColor(clTeal);
  c->Arrow(4.0, 1.5, 5.0, 1.5, 10);
  c->Arrow(4.0, 1.5, 4.0, 2.6, 10);
  c->SetTransparentItems(false);
  c->SetFillColor(clTeal);
  c->Arrow(6.6, 1.5, 5.6, 1.5, 10);
  c->Arrow(6.6, 1.5, 6.6, 0.4, 10);
  c->Arrow(7.0, 0.5, 8.6, 2.5, 12);
  // Texts: the three alignments at one point, a solid background, one with a pixel offset.
  c->SetDataColor(clBlack);
  c->MarkAt(10, 6.2, 3);
  for (TAlignment a : {taLeftJustify, taCenter, taRightJustify}) {
    c->SetTextAlignment(a);
    c->Text(10, a == taLeftJustify ? 6.8 : a == taCenter ? 6.2 : 5.6, 9, a == taLeftJustify ? u"left" : a == taCenter ? u"centre" : u"right");
  }
  c->SetTextBkStyle(tbSolid);
  c->SetTextBkColor(clYellow);
  c->SetTextFontStyle(TFontStyles{fsBold});
  c->Text(1.5, 5.2, 10, u"Text, 10 pt", 0, 0, taCenter);
  c->Text(8.0, 5.0, 8, u"offset +20,+12", 20, 12, taLeftJustify);
  c->MarkAt(8.0, 5.0, 24);
  c->ShowGraf();
  AddShownForm(page, form, "rchart-items.png", "TRChart: every item kind (marks 0..51 and characters, curve, line, "
                                        "relative pixels, rectangles, frames, 3-D bars, ellipses, arrows, texts)");
  TBitmap bw;
  c->CopyToBitmap(&bw, true);
  page.Add(bw, "rchart-items-bw.png", "The same chart copied black and white (CopyToBitmap, BlkWhite)");
}

// A chart with a few data points for the grid, background and layout pictures.
void SomeData(TRChart* c, double xLo, double xHi) {
  c->SetDataColor(clBlue);
  c->MoveTo(xLo, 0.2);
  for (int i = 0; i <= 40; ++i) {
    const double x = xLo + (xHi - xLo) * i / 40.0;
    c->DrawTo(x, 0.5 + 0.4 * std::sin(i * 0.3));
  }
}

void Grids(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 840, 500);
  const GridStyleType styles[] = {gsPoints, gsVertLines, gsHorizLines, gsLines, gsVertDotLines, gsDotLines};
  const char16_t* names[] = {u"gsPoints", u"gsVertLines", u"gsHorizLines", u"gsLines, GridDx 0.5", u"gsVertDotLines",
                             u"gsDotLines"};
  for (int i = 0; i < 6; ++i) {
    TRChart* c = Place(form, (i % 3) * 280, (i / 3) * 250, 280, 250, names[i]);
    c->SetRange(1, 0, 0, 3, 1);
    c->SetGridStyle(styles[i]);
    c->SetGridColor(i % 2 == 0 ? clGray : clGreen);
    if (i == 3) {
      c->SetGridDx(0.5);
      c->SetGridDy(0.1);
    }
    SomeData(c, 0, 3);
  }
  AddShownForm(page, form, "rchart-grids.png", "Grid styles on linear axes (grid on the scale ticks, or every GridDx)");

  TForm logs(nullptr);
  logs.SetBounds(0, 0, 840, 260);
  const double steps[] = {-1, -2, -3};
  const char16_t* logNames[] = {u"GridDx -1: decades", u"GridDx -2: 1, 2, 5", u"GridDx -3: 1..9"};
  for (int i = 0; i < 3; ++i) {
    TRChart* c = Place(logs, i * 280, 0, 280, 260, logNames[i]);
    c->Scale1X()->SetLogarithmic(true);
    c->SetRange(1, 3, 0, 3000, 1);
    c->SetGridStyle(gsLines);
    c->SetGridColor(clSilver);
    c->SetGridDx(steps[i]);
    c->SetGridDy(0.25);
    SomeData(c, 3, 3000);
  }
  AddShownForm(page, logs, "rchart-grids-log.png", "Grids on a logarithmic x axis from 3 to 3000");
}

// A picture for the background: a small gradient with a diagonal, written as PNG for the charts to load.
String BackgroundPicture(const std::filesystem::path& folder, TBitmap& pic) {
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      pic.Canvas()->SetPixels(x, y, RGB(static_cast<uint8_t>(180 + x), static_cast<uint8_t>(200 + y), 255));
  pic.Canvas()->Pen()->SetColor(TColor(0x4080C0));
  pic.Canvas()->MoveTo(0, 39);
  pic.Canvas()->LineTo(59, 0);
  const std::filesystem::path file = folder / "rchart-background-source.png";
  const String name = Utf8ToString(file.string());
  pic.SaveToFile(name);
  return name;
}

void Backgrounds(GalleryPage& page) {
  TBitmap source(60, 40);
  const String picture = BackgroundPicture(page.Folder(), source);
  page.Add(source, "rchart-background-source.png", "The picture the backgrounds below are made of (60 x 40 pixels)");
  TForm form(nullptr);
  form.SetBounds(0, 0, 840, 250);
  const TBkgFill fills[] = {bfSimple, bfStretch, bfTile};
  const char16_t* names[] = {u"bfSimple", u"bfStretch", u"bfTile"};
  for (int i = 0; i < 3; ++i) {
    TRChart* c = Place(form, i * 280, 0, 280, 250, names[i]);
    c->SetRange(1, 0, 0, 3, 1);
    c->BackGroundImg()->SetIncludePath(true);
    c->BackGroundImg()->SetName(picture);
    c->BackGroundImg()->SetFillMode(fills[i]);
    SomeData(c, 0, 3);
  }
  AddShownForm(page, form, "rchart-background-picture.png", "Background picture in its three fill modes");

  TForm areas(nullptr);
  areas.SetBounds(0, 0, 840, 500);
  const TBGAreaMode modes[] = {bamLeft, bamRight, bamTop, bamBottom, bamVStripe, bamHStripe, bamRect, bamNone};
  const char16_t* areaNames[] = {u"bamLeft", u"bamRight", u"bamTop", u"bamBottom", u"bamVStripe", u"bamHStripe",
                                 u"bamRect", u"bamNone"};
  for (int i = 0; i < 8; ++i) {
    TRChart* c = Place(areas, (i % 4) * 210, (i / 4) * 250, 210, 250, areaNames[i]);
    c->SetStandardLayout(rcl_X1Bottom_Y1Left);
    c->SetRRim(12);
    c->SetRange(1, -2, -2, 2, 2);
    c->BackGroundImg()->SetAreaMode(modes[i]);
    c->BackGroundImg()->SetAreaColor(TColor(0xFFE0B0));
    c->BackGroundImg()->SetAreaLeft(-1);
    c->BackGroundImg()->SetAreaRight(0.5);
    c->BackGroundImg()->SetAreaTop(1);
    c->BackGroundImg()->SetAreaBottom(-0.5);
    c->SetDataColor(clRed);
    c->MarkAt(-1, 1, 24);
    c->MarkAt(0.5, -0.5, 24);
  }
  AddShownForm(page, areas, "rchart-background-areas.png",
        "Background areas between (-1, 1) and (0.5, -0.5) (red marks) in every area mode");
}

void Shadows(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 600, 260);
  form.SetColor(clWhite);
  const TShadowStyle styles[] = {ssFlying, ssBox};
  const char16_t* names[] = {u"ssFlying, ShadowWidth 10", u"ssBox, ShadowWidth 16"};
  for (int i = 0; i < 2; ++i) {
    TRChart* c = Place(form, 10 + i * 295, 10, 280, 240, names[i]);
    c->SetShadowStyle(styles[i]);
    c->SetShadowWidth(i == 0 ? 10 : 16);
    c->SetShadowColor(i == 0 ? clGray : clNavy);
    c->SetShadowBakColor(clWhite);
    c->SetRange(1, 0, 0, 3, 1);
    SomeData(c, 0, 3);
  }
  AddShownForm(page, form, "rchart-shadows.png", "Shadows in their two styles");
}

void Layouts(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 900, 780);
  const TrcLayout layouts[] = {rcl_X1Bottom_Y1Left, rcl_X1Bottom_Y2Left, rcl_X1Bottom_Y2Both, rcl_X2Bottom_Y2Left,
                               rcl_X2Both_Y2Both};
  const char16_t* names[] = {u"rcl_X1Bottom_Y1Left", u"rcl_X1Bottom_Y2Left", u"rcl_X1Bottom_Y2Both",
                             u"rcl_X2Bottom_Y2Left", u"rcl_X2Both_Y2Both"};
  for (int i = 0; i < 5; ++i) {
    TRChart* c = Place(form, (i % 2) * 450, (i / 2) * 260, 450, 260, names[i]);
    c->SetStandardLayout(layouts[i]);
    c->Scale1X()->SetCaption(u"s");
    c->Scale1Y()->SetCaption(u"V");
    c->Scale2X()->SetCaption(u"Hz");
    c->Scale2Y()->SetCaption(u"mA");
    c->SetRange(1, 0, -1, 10, 1);
    c->SetRange(2, 0, 0, 500, 40);
    c->SetDataColor(c->Scale1Y()->ColorScale());
    c->MoveTo(0, 0);
    for (int k = 0; k <= 100; ++k) c->DrawTo(k * 0.1, std::sin(k * 0.2));
    c->SetActiveLayer(2);
    c->SetDataColor(c->Scale2Y()->ColorScale());
    for (int k = 0; k <= 10; ++k) c->MarkAt(k * 50, 5 + k * 3, 24);
  }
  AddShownForm(page, form, "rchart-layouts.png", "The five standard layouts, two layers (layer 2 in its own colour)");
}

void Labels(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 400);
  TRChart* c = Place(form, 0, 0, 620, 400, u"text labels");
  c->SetRange(1, 0, 0, 10, 10);
  c->SetGridStyle(gsDotLines);
  c->SetGridColor(clSilver);
  c->SetDataColor(clRed);
  // Label 1, placed first, overlaps the next one and is drawn over it.
  c->SetTextLabel(1, 2.2, 8.2, clRed, u"label 1 on top", 0);
  const TTxtLblMode looks[] = {tlsimple, tlBox, tlUnderline, tlShadow};
  const char16_t* lookNames[] = {u"tlsimple", u"tlBox", u"tlUnderline", u"tlShadow"};
  for (int i = 0; i < 4; ++i) {
    const int n = c->AddTextLabel(1.5 + i * 2.3, 8.5, clNavy, lookNames[i], 0);
    TTextLabel* l = c->GetFTextLabel(n);
    l->SetMode(looks[i]);
    l->SetColorBkg(TColor(0xD0F0FF));
    l->SetShadowDx(4);
    l->SetShadowDy(4);
    c->MarkAt(1.5 + i * 2.3, 8.5, 3);
  }
  // Attach modes: data in both axes, x only (y in pixels), y only (x in pixels), pixels.
  c->AddTextLabel(2, 5.5, clBlack, u"tlamBoth\n(2, 5.5)", 3);
  c->MarkAt(2, 5.5, 3);
  const int xOnly = c->AddTextLabel(5, 200, clBlack, u"tlamXOnly: x 5, row 200", 3);
  c->GetFTextLabel(xOnly)->SetAttachToData(tlamXOnly);
  const int yOnly = c->AddTextLabel(470, 5.5, clBlack, u"tlamYOnly: column 470, y 5.5", 3);
  c->GetFTextLabel(yOnly)->SetAttachToData(tlamYOnly);
  const int pixels = c->AddTextLabel(120, 330, clMaroon, u"tlamNone: pixel (120, 330)", 5);
  c->GetFTextLabel(pixels)->SetAttachToData(tlamNone);
  c->GetFTextLabel(pixels)->SetAlignment(taLeftJustify);
  // Alignments around one point, three lines, vertical alignment vaTop.
  const int block = c->AddTextLabel(7.5, 3.0, clGreen, u"three lines\nright aligned\nvaTop", 3);
  c->GetFTextLabel(block)->SetAlignment(taRightJustify);
  c->GetFTextLabel(block)->SetVerticalAlignment(vaTop);
  c->MarkAt(7.5, 3.0, 3);
  AddShownForm(page, form, "rchart-labels.png", "Text labels: the four looks, the attach modes, a three-line block; "
                                          "label 1 is drawn over the others");
}

void CrossHairs(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 620, 360);
  TRChart* c = Place(form, 0, 0, 620, 360, u"cross-hairs");
  c->SetRange(1, 0, 0, 10, 10);
  SomeData(c, 0, 10);
  // Cross-hairs 2 to 4 start on layer 2; here all four follow layer 1.
  for (TCrossHair* h : {c->CrossHair2(), c->CrossHair3(), c->CrossHair4()}) h->SetLayer(1);
  c->CrossHairSetup(1, clRed, chBoth, psSolid, 1);
  c->CrossHairSetPos(1, 2.5, 7.5);
  c->CrossHairSetup(2, clBlue, chVert, psDash, 1);
  c->CrossHairSetPos(2, 6, 0);
  c->CrossHairSetup(3, clGreen, chHoriz, psSolid, 3);
  c->CrossHairSetPos(3, 0, 2.5);
  c->CrossHairSetup(4, clPurple, chBox, psSolid, 1);
  c->CrossHairSetPos(4, 8, 6);
  AddShownForm(page, form, "rchart-crosshairs.png",
        "Cross-hairs: chBoth (red), chVert dashed (blue), chHoriz 3 pixels wide (green), chBox (purple)");
}

}  // namespace

void RChartGallery(GalleryPage& page) {
  page.Section("Chart (qeltaplot)");
  ItemKinds(page);
  Grids(page);
  Backgrounds(page);
  Shadows(page);
  Layouts(page);
  Labels(page);
  CrossHairs(page);
}

}  // namespace qelta::gallery
