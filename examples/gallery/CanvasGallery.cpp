// Gallery of the platform canvas (Graphics.h): a test card of lines, fills, shapes, rotated text and
// copy modes, each drawn at its true size.

#include "Gallery.h"
#include "SysUtils.h"

namespace qelta::gallery {
namespace {

// A white bitmap with a DejaVu (Arial-mapped) font for the labels.
std::unique_ptr<TBitmap> Card(int width, int height) {
  auto card = std::make_unique<TBitmap>(width, height);
  card->Canvas()->Font()->SetName(u"Arial");
  card->Canvas()->Font()->SetSize(9);
  return card;
}

// One-pixel pen styles (cosmetic dash patterns) and wider solid pens with round ends and joins.
void PenStylesAndWidths(GalleryPage& page) {
  const struct {
    TPenStyle Style;
    int Width;
    const char16_t* Name;
  } pens[] = {{psSolid, 1, u"psSolid"},   {psDash, 1, u"psDash"},       {psDot, 1, u"psDot"},
              {psDashDot, 1, u"psDashDot"}, {psDashDotDot, 1, u"psDashDotDot"}, {psClear, 1, u"psClear"},
              {psSolid, 2, u"width 2"},   {psSolid, 3, u"width 3"},     {psSolid, 5, u"width 5"},
              {psSolid, 8, u"width 8"}};
  std::unique_ptr<TBitmap> card = Card(520, 300);
  TCanvas* c = card->Canvas();
  int y = 12;
  for (const auto& pen : pens) {
    Label(c, 8, y - 7, pen.Name);
    c->Pen()->SetStyle(pen.Style);
    c->Pen()->SetWidth(pen.Width);
    c->Pen()->SetColor(clNavy);
    c->MoveTo(110, y);
    c->LineTo(330, y);
    c->MoveTo(350, y + 6);
    c->LineTo(510, y - 8);  // slanted: the dash pattern runs along the line
    y += 22;
  }
  c->Pen()->SetWidth(8);
  c->Pen()->SetColor(clMaroon);
  c->Polyline({{110, 280}, {170, 236}, {230, 280}, {290, 236}, {350, 280}});
  Label(c, 8, 250, u"joins, width 8");
  page.Add(*card, "canvas-pens.png",
           "Pens: the one-pixel styles with their dash patterns (dash 18/6, dot 3/3, dash-dot, dash-dot-dot; a "
           "clear pen draws nothing), then solid pens 2 to 8 pixels wide with round ends and joins.");
}

// Brush styles: solid, clear and the six 8x8 hatches, on a light background that a clear brush keeps.
void BrushHatches(GalleryPage& page) {
  const struct {
    TBrushStyle Style;
    const char16_t* Name;
  } brushes[] = {{bsSolid, u"bsSolid"},         {bsClear, u"bsClear"},         {bsHorizontal, u"bsHorizontal"},
                 {bsVertical, u"bsVertical"},   {bsFDiagonal, u"bsFDiagonal"}, {bsBDiagonal, u"bsBDiagonal"},
                 {bsCross, u"bsCross"},         {bsDiagCross, u"bsDiagCross"}};
  std::unique_ptr<TBitmap> card = Card(8 * 96 + 8, 150);
  TCanvas* c = card->Canvas();
  c->Brush()->SetColor(RGB(255, 250, 220));
  c->FillRect(Rect(0, 0, card->Width(), card->Height()));
  for (int i = 0; i < 8; ++i) {
    const int x = 8 + i * 96;
    c->Brush()->SetColor(clTeal);  // the colour first: it turns a clear brush solid
    c->Brush()->SetStyle(brushes[i].Style);
    c->Rectangle(x, 8, x + 88, 64);
    c->Ellipse(x, 72, x + 88, 124);
    Label(c, x, 128, brushes[i].Name);
  }
  page.Add(*card, "canvas-brushes.png",
           "Brushes: Rectangle and Ellipse filled with each brush style in teal. Hatches leave their gaps alone and "
           "start at the canvas origin, so neighbouring shapes line up.");
}

// Arcs run counter-clockwise on screen from the start ray to the end ray; shapes have exclusive edges.
void ArcsAndShapes(GalleryPage& page) {
  const char16_t* names[] = {u"Arc", u"Pie", u"Chord", u"Ellipse", u"RoundRect"};
  std::unique_ptr<TBitmap> card = Card(5 * 110 + 10, 140);
  TCanvas* c = card->Canvas();
  for (int i = 0; i < 5; ++i) Label(c, 10 + i * 110, 116, names[i]);
  c->Brush()->SetColor(RGB(255, 210, 120));
  c->Arc(10, 10, 110, 100, 110, 10, 10, 100);
  c->Pie(120, 10, 220, 100, 220, 10, 120, 100);
  c->Chord(230, 10, 330, 100, 330, 10, 230, 100);
  c->Ellipse(340, 20, 440, 90);
  c->RoundRect(450, 10, 550, 100, 30, 30);
  page.Add(*card, "canvas-shapes.png",
           "Shapes in 100-pixel boxes: Arc, Pie and Chord run counter-clockwise from the ray through the box's "
           "upper-right corner to the ray through its lower-left one. Rays start at the box's centre, so these two "
           "are opposite and Pie and Chord both give the upper half. Ellipse; RoundRect with 30-pixel corners.");
}

// Polygons close themselves; the fill mode decides whether the star's centre is inside.
void PolygonsAndPies(GalleryPage& page) {
  std::unique_ptr<TBitmap> card = Card(3 * 110 + 10, 140);
  TCanvas* c = card->Canvas();
  c->Brush()->SetColor(RGB(255, 210, 120));
  const TPoint star[] = {{50, 5}, {79, 95}, {2, 39}, {98, 39}, {21, 95}};
  for (TFillMode mode : {fmAlternate, fmWinding}) {
    const int x = 10 + mode * 110;
    TPoint moved[5];
    for (int k = 0; k < 5; ++k) moved[k] = {star[k].X + x, star[k].Y + 5};
    c->SetPolyFillMode(mode);
    c->Polygon(moved);
    Label(c, x, 116, mode == fmAlternate ? u"fmAlternate" : u"fmWinding");
  }
  const TColor slices[] = {clRed, clLime, clBlue, clYellow};
  const TPoint rays[] = {{100, 50}, {50, 0}, {0, 30}, {40, 100}, {100, 50}};  // slice borders in the box
  for (int k = 0; k < 4; ++k) {
    c->Brush()->SetColor(slices[k]);
    c->Pie(230, 10, 330, 100, 230 + rays[k].X, 10 + rays[k].Y, 230 + rays[k + 1].X, 10 + rays[k + 1].Y);
  }
  Label(c, 230, 116, u"Pie chart");
  page.Add(*card, "canvas-polygons.png",
           "A five-pointed star as one Polygon under both fill modes, and a pie chart of four Pie slices that "
           "meet without gaps.");
}

// Fonts turned by Orientation (tenths of degrees, counter-clockwise) about the reference point, the
// top-left of the text cell: four quarter turns at one point make a pinwheel, a 30-degree text stands
// beside it.
void RotatedText(GalleryPage& page) {
  std::unique_ptr<TBitmap> card = Card(420, 320);
  TCanvas* c = card->Canvas();
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetSize(14);
  auto cross = [c](int x, int y) {
    c->Pen()->SetColor(clRed);
    c->MoveTo(x - 5, y);
    c->LineTo(x + 6, y);
    c->MoveTo(x, y - 5);
    c->LineTo(x, y + 6);
  };
  const struct {
    int Tenths;
    TColor Color;
  } turns[] = {{0, clBlack}, {900, clGreen}, {1800, clBlue}, {2700, clMaroon}};
  for (const auto& t : turns) {
    c->Font()->SetOrientation(t.Tenths);
    c->Font()->SetColor(t.Color);
    c->TextOut(160, 160, u"Qelta " + IntToStr(t.Tenths / 10) + u"\u00B0");
  }
  cross(160, 160);
  c->Font()->SetOrientation(300);
  c->Font()->SetColor(clRed);
  c->TextOut(300, 270, u"30\u00B0");
  cross(300, 270);
  page.Add(*card, "canvas-rotated-text.png",
           "TextOut with the font turned 0, 90, 180 and 270 degrees at one reference point, and 30 degrees at "
           "another: each text turns about the top-left of its cell (red crosses), grey-scale antialiased.");
}

// CopyRect through the copy modes: the same source on the same striped destination.
void CopyModes(GalleryPage& page) {
  const struct {
    TCopyMode Mode;
    const char16_t* Name;
  } modes[] = {{cmSrcCopy, u"cmSrcCopy"},     {cmSrcAnd, u"cmSrcAnd"},       {cmSrcPaint, u"cmSrcPaint"},
               {cmSrcInvert, u"cmSrcInvert"}, {cmSrcErase, u"cmSrcErase"},   {cmNotSrcCopy, u"cmNotSrcCopy"},
               {cmMergePaint, u"cmMergePaint"}, {cmDstInvert, u"cmDstInvert"}};
  TBitmap source(72, 72);
  source.Canvas()->Brush()->SetColor(clRed);
  source.Canvas()->Ellipse(0, 0, 48, 48);
  source.Canvas()->Brush()->SetColor(clBlue);
  source.Canvas()->Rectangle(24, 24, 72, 72);
  std::unique_ptr<TBitmap> card = Card(8 * 96 + 8, 110);
  TCanvas* c = card->Canvas();
  for (int i = 0; i < 8; ++i) {
    const int x = 8 + i * 96;
    for (int k = 0; k < 4; ++k) {  // destination: four vertical stripes
      c->Brush()->SetColor(k % 2 ? clYellow : clBlack);
      c->FillRect(Rect(x + k * 18, 8, x + k * 18 + 18, 80));
    }
    c->SetCopyMode(modes[i].Mode);
    c->CopyRect(Rect(x, 8, x + 72, 80), source.Canvas(), Rect(0, 0, 72, 72));
    c->SetCopyMode(cmSrcCopy);
    Label(c, x, 86, modes[i].Name);
  }
  page.Add(*card, "canvas-copy-modes.png",
           "CopyRect of one source (red circle, blue square on white) onto black and yellow stripes through eight "
           "copy modes.");
}

}  // namespace

void CanvasGallery(GalleryPage& page) {
  page.Section("Canvas test card (qeltaplatform)");
  PenStylesAndWidths(page);
  BrushHatches(page);
  ArcsAndShapes(page);
  PolygonsAndPies(page);
  RotatedText(page);
  CopyModes(page);
}

}  // namespace qelta::gallery
