// The paint road of a chart: TRChart on a shown form, Paint and its pictures, the caption, shadow
// and background, ShowGraf and ShowGrafNewOnly, the cross-hairs, and the output operations
// (bitmap, BMP file, clipboard, printer, the refused metafiles).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Clipbrd.h"
#include "FileTestKit.h"
#include "Forms.h"
#include "Printers.h"
#include "RChartTesting.h"
#include "Screen.h"
#include "Testing.h"

using namespace qelta;
using qelta::testing::SamePixels;
using qelta::testing::TChartOnForm;
using qelta::testing::TraceOf;
using qelta::testing::TTestChart;

namespace {

// Some of everything: items, a grid, a label, a cross-hair.
void Decorate(TCustomRChart& c) {
  c.SetCaption(u"decorated");
  c.SetGridStyle(gsDotLines);
  c.SetDataColor(clRed);
  c.MoveTo(0, 0);
  for (int i = 1; i <= 20; ++i) c.DrawTo(i * 10, (i * 37) % 140);
  c.SetFillColor(clYellow);
  c.Rectangle(20, 20, 60, 50);
  c.MarkAt(150, 100, 24);
  c.AddTextLabel(100, 120, clNavy, u"label", 0);
  c.CrossHairSetup(1, clGreen, chBoth, psSolid, 1);
  c.CrossHairSetPos(1, 70, 70);
}

}  // namespace

// --- TRChart on a form --------------------------------------------------------------------------

TEST(RChartPaint, ATRChartOnAFormPaintsOnceItsWindowExistsAndNotBefore) {
  TScriptedUser user;
  TChartOnForm f;
  int paints = 0;
  f.chart->OnScalesRendered = [&](TObject*, TCanvas*, int, int) { ++paints; };
  f.chart->SetChartColor(clYellow);
  f.chart->SetCaption(u"not yet");
  f.chart->SetStandardLayout(rcl_X1Bottom_Y2Both);
  EXPECT_TRUE(f.chart->SuppressPaint());
  EXPECT_EQ(paints, 0);
  user.Show(&f.form);
  EXPECT_FALSE(f.chart->SuppressPaint());
  EXPECT_EQ(paints, 1);
  auto shot = user.Grab(f.chart);
  EXPECT_EQ(shot->Canvas()->Pixels(100, 100), clYellow);
  EXPECT_EQ(shot->Canvas()->Pixels(3, 3), ColorToRGB(clBtnFace));
}

TEST(RChartPaint, TRChartIsOnThePalettePageQelta) {
  Qelta_rchart::Register();
  bool found = false;
  for (const TComponentClass& c : RegisteredComponents(u"Qelta")) found = found || c.ClassName == u"TRChart";
  EXPECT_TRUE(found);
}

// --- Paint and ConstructChartBmp ------------------------------------------------------------------

TEST(RChartPaint, PaintPutsTheDataPictureIntoTheChartPicture) {
  TTestChart c;
  c.SetChartColor(clYellow);
  c.SetWindColor(clTeal);
  c.EnablePainting();
  c.CallPaint();
  TCanvas* chart = c.ChartBmp()->Canvas();
  EXPECT_EQ(c.ChartBmp()->Width(), 280);
  EXPECT_EQ(c.GrafBmp()->Width(), 211);
  EXPECT_EQ(c.GrafBmp()->Height(), 141);
  EXPECT_EQ(chart->Pixels(100, 100), clYellow);
  EXPECT_EQ(chart->Pixels(2, 2), clTeal);
  EXPECT_EQ(chart->Pixels(50, 20), clBlack);    // the data area's frame
  EXPECT_EQ(chart->Pixels(260, 160), clBlack);
}

namespace {

struct TShadowCase {
  TShadowStyle style;
  TColor rightEdge;  // column Width - 1, half way down
};

}  // namespace

TEST(RChartPaint, TheShadowFillsTwoStripsAndLeavesTwoCornersInItsBackground) {
  for (const TShadowCase& s : {TShadowCase{ssFlying, clNavy}, TShadowCase{ssBox, clBlack}}) {
    TTestChart c;
    c.SetShadowWidth(10);
    c.SetShadowStyle(s.style);
    c.SetShadowColor(clNavy);
    c.SetShadowBakColor(clYellow);
    c.EnablePainting();
    c.CallPaint();
    TCanvas* p = c.ChartBmp()->Canvas();
    EXPECT_EQ(p->Pixels(275, 3), clYellow);   // top right corner
    EXPECT_EQ(p->Pixels(3, 195), clYellow);   // bottom left corner
    EXPECT_EQ(p->Pixels(275, 100), clNavy);   // the right strip
    EXPECT_EQ(p->Pixels(100, 195), clNavy);   // the bottom strip
    EXPECT_EQ(p->Pixels(279, 100), s.rightEdge);
    EXPECT_EQ(p->Pixels(270, 100), clBlack);  // the outline of the control's face
    EXPECT_EQ(p->Pixels(100, 190), clBlack);
  }
}

namespace {

struct TCaptionCase {
  TCaptionAnchorHoriz horiz;
  TCaptionAnchorVert vert;
  TAlignment align;
  int anchorX, anchorY;  // for a 280 x 200 chart with shadow 5: rims 50, 20, 20, 40, DW 205, DH 135
};

const TCaptionCase kCaptions[] = {
    {cahControlLeft, cavControlTop, taLeftJustify, 0, 0},
    {cahChartLeft, cavChartTop, taRightJustify, 50, 20},
    {cahChartCenter, cavChartCenter, taCenter, 50 + 205 / 2, 20 + 135 / 2},
    {cahChartRight, cavChartBottom, taLeftJustify, 280 - 20 - 5, 200 - 40},
    {cahControlRight, cavControlBottom, taRightJustify, 280, 200},
};

}  // namespace

TEST(RChartPaint, TheCaptionStandsAtItsAnchorsByItsAlignment) {
  for (const TCaptionCase& k : kCaptions) {
    TTestChart c;
    c.SetShadowWidth(5);
    c.SetCaption(u"Caption");
    c.SetCaptionPosX(3);
    c.SetCaptionPosY(-7);
    c.SetCaptionAnchorHoriz(k.horiz);
    c.SetCaptionAnchorVert(k.vert);
    c.SetCaptionAlignment(k.align);
    TCanvas* canvas = c.ChartBmp()->Canvas();
    const TCanvasTrace t = TraceOf(canvas, [&] { c.ConstructChartBmp(canvas); });
    TBitmap probe(10, 10);
    probe.Canvas()->SetFont(c.Font());
    const int w = probe.Canvas()->TextWidth(u"Caption");
    const int shift = k.align == taRightJustify ? w : k.align == taCenter ? w / 2 : 0;
    ASSERT_GE(t.Count("TextOut"), 1);
    const TCanvasTraceRecord caption = t.Find("TextOut")[0];
    EXPECT_EQ(caption.Text, u"Caption");
    EXPECT_EQ(caption.Args, (std::vector<int64_t>{k.anchorX + 3 - shift, k.anchorY - 7})) << int(k.horiz);
  }
}

// --- background ----------------------------------------------------------------------------------

namespace {

struct TAreaCase {
  TBGAreaMode mode;
  std::vector<int64_t> rect;  // empty: no area
};

// Range -3.5..3.5 on both axes: the area's corners (-1, 1) and (1, -1) fall on data-picture pixels
// (75, 50) and (135, 90); the data picture is 211 x 141.
const TAreaCase kAreas[] = {
    {bamNone, {}},
    {bamLeft, {0, 0, 75, 141}},
    {bamRight, {135, 0, 211, 141}},
    {bamTop, {0, 0, 211, 50}},
    {bamBottom, {0, 90, 211, 141}},
    {bamVStripe, {75, 0, 135, 141}},
    {bamHStripe, {0, 50, 211, 90}},
    {bamRect, {75, 50, 135, 90}},
};

}  // namespace

TEST(RChartPaint, TheBackgroundAreaCoversItsPartOfTheDataArea) {
  for (const TAreaCase& k : kAreas) {
    TTestChart c;
    c.SetRange(1, -3.5, -3.5, 3.5, 3.5);
    c.BackGroundImg()->SetAreaMode(k.mode);
    c.BackGroundImg()->SetAreaColor(clAqua);
    TCanvas* g = c.GrafBmp()->Canvas();
    const std::vector<TCanvasTraceRecord> rects = TraceOf(g, [&] { c.InitGraf(g, 0, 0); }).Find("Rectangle");
    ASSERT_EQ(rects.size(), k.rect.empty() ? 1u : 2u) << int(k.mode);
    EXPECT_EQ(rects[0].Args, (std::vector<int64_t>{0, 0, 211, 141}));
    if (k.rect.empty()) continue;
    EXPECT_EQ(rects[1].Args, k.rect) << int(k.mode);
    EXPECT_EQ(g->Pixels(int(k.rect[0]) + 1, int(k.rect[1]) + 1), clAqua);
  }
}

TEST(RChartPaint, BackgroundPicturesFillTheDataAreaAtItsPlaceInTheirModes) {
  test::TempDir dir;
  TBitmap picture(20, 10);
  picture.Canvas()->Brush()->SetColor(clLime);
  picture.Canvas()->FillRect(Rect(0, 0, 20, 10));
  picture.SaveToFile(dir / "tile.png");
  TTestChart c;
  c.BackGroundImg()->SetIncludePath(true);
  c.BackGroundImg()->SetName(dir / "tile.png");
  TBitmap page(300, 200);
  TCanvas* p = page.Canvas();
  // The picture modes honour (Left, Top) as the plain rectangle does (regression: they drew at 0, 0).
  c.BackGroundImg()->SetFillMode(bfSimple);
  TCanvasTrace t = TraceOf(p, [&] { c.InitGraf(p, 7, 9); });
  EXPECT_EQ(t.Find("Rectangle")[0].Args, (std::vector<int64_t>{7, 9, 7 + 211, 9 + 141}));
  EXPECT_EQ(t.Find("StretchDraw")[0].Args, (std::vector<int64_t>{7, 9, 27, 19}));
  c.BackGroundImg()->SetFillMode(bfStretch);
  t = TraceOf(p, [&] { c.InitGraf(p, 7, 9); });
  EXPECT_EQ(t.Count("Rectangle"), 0);
  EXPECT_EQ(t.Find("StretchDraw")[0].Args, (std::vector<int64_t>{7, 9, 218, 150}));
  c.BackGroundImg()->SetFillMode(bfTile);
  t = TraceOf(p, [&] { c.InitGraf(p, 7, 9); });
  const std::vector<TCanvasTraceRecord> tiles = t.Find("Draw");
  ASSERT_EQ(tiles.size(), 11u * 15u);  // (211 - 1) div 20 + 1 columns, (141 - 1) div 10 + 1 rows
  EXPECT_EQ(tiles[0].Args, (std::vector<int64_t>{7, 9}));
  EXPECT_EQ(tiles[1].Args, (std::vector<int64_t>{7, 19}));  // column by column, top to bottom
  EXPECT_EQ(tiles[15].Args, (std::vector<int64_t>{27, 9}));
  EXPECT_EQ(p->Pixels(200, 100), clLime);
}

TEST(RChartPaint, APictureThatCannotBeReadIsForgottenQuietlyAndTheAreaStaysEmpty) {
  // Regression: clearing the name notified the chart, whose repaint ran inside the paint.
  test::TempDir dir;
  TTestChart c;
  c.BackGroundImg()->SetIncludePath(true);
  c.BackGroundImg()->SetAreaMode(bamRect);
  c.SetChartColor(clYellow);
  c.EnablePainting();
  c.BackGroundImg()->SetName(dir / "missing.png");  // the repaint rule paints once
  EXPECT_EQ(c.Paints, 1);
  EXPECT_EQ(c.BackGroundImg()->Name(), u"");
  EXPECT_EQ(c.GrafBmp()->Canvas()->Pixels(105, 70), clYellow);
  c.CallPaint();  // now without a picture: the area is drawn
  EXPECT_EQ(c.GrafBmp()->Canvas()->Pixels(105, 70), c.BackGroundImg()->AreaColor());
}

// --- ShowGraf, ShowGrafNewOnly --------------------------------------------------------------------

TEST(RChartPaint, ShowGrafRedrawsOnlyTheDataAreaWithAutoRedrawAndPaintsWithoutIt) {
  TScriptedUser user;
  TChartOnForm f;
  user.Show(&f.form);
  f.chart->SetDataColor(clRed);
  f.chart->MarkAt(100, 70, 9);
  int scales = 0;
  f.chart->OnScalesRendered = [&](TObject*, TCanvas*, int, int) { ++scales; };
  f.chart->ShowGraf();
  EXPECT_EQ(scales, 0);
  EXPECT_EQ(user.Grab(f.chart)->Canvas()->Pixels(150, 90), clRed);
  f.chart->SetAutoRedraw(false);
  f.chart->MarkAt(50, 70, 9);
  f.chart->ShowGraf();
  EXPECT_EQ(scales, 1);
  EXPECT_EQ(user.Grab(f.chart)->Canvas()->Pixels(100, 90), clRed);
}

TEST(RChartPaint, ShowGrafOfAnInvisibleChartDrawsNothing) {
  TTestChart c;
  c.EnablePainting();
  c.SetVisible(false);
  c.MarkAt(0.5, 0.5, 9);
  const TCanvasTrace t = TraceOf(c.GrafBmp()->Canvas(), [&] { c.ShowGraf(); });
  EXPECT_TRUE(t.Records().empty());
  EXPECT_EQ(c.Paints, 0);
}

TEST(RChartPaint, ShowGrafNewOnlyDrawsTheItemsFromTheFirstOverThePictureWithoutGrid) {
  TTestChart c;
  c.SetRange(1, 0, 0, 210, 140);
  c.SetGridStyle(gsLines);
  c.MoveTo(10, 10);
  c.DrawTo(20, 20);
  c.ShowGraf();
  c.DrawTo(30, 10);
  const TCanvasTrace t = TraceOf(c.GrafBmp()->Canvas(), [&] { c.ShowGrafNewOnly(); });
  EXPECT_EQ(t.Count("Rectangle"), 0);  // no background
  EXPECT_EQ(t.Count("MoveTo"), 4);  // pen start, the item, the end of the polyline, the frame: no grid
  const std::vector<TCanvasTraceRecord> lines = t.Find("Polyline");
  ASSERT_EQ(lines.size(), 1u);
  // From the item's MoveTo, not from the corner where the pass starts.
  EXPECT_EQ(lines[0].Args, (std::vector<int64_t>{10, 130, 20, 120, 30, 130}));
}

// --- cross-hairs --------------------------------------------------------------------------------

namespace {

struct TCrossCase {
  const char* name;
  TCrossHMode mode;
  double x, y;
  int width;
  std::vector<std::vector<int64_t>> strokes;  // MoveTo, LineTo, ... and a Rectangle, in order
};

// Chart (x, y) lies on control pixel (50 + x, 160 - y); the data area is columns 50..260, rows
// 20..160.
const TCrossCase kCross[] = {
    {"horizontal", chHoriz, 100, 70, 1, {{51, 90}, {260, 90}}},
    {"horizontal in the top rim", chHoriz, 100, 141, 1, {}},
    {"horizontal on the top edge", chHoriz, 100, 140, 1, {}},
    {"horizontal of width 3 one row below the top", chHoriz, 100, 139, 3, {}},
    {"horizontal of width 3 two rows below the top", chHoriz, 100, 138, 3, {{52, 22}, {259, 22}}},
    {"vertical", chVert, 100, 70, 1, {{150, 21}, {150, 160}}},
    {"vertical in the right rim", chVert, 215, 70, 1, {}},
    {"both", chBoth, 100, 70, 1, {{51, 90}, {260, 90}, {150, 21}, {150, 160}}},
    {"box outside the data area", chBox, -30, 150, 1,
     {{10, 10}, {30, 10}, {20, 0}, {20, 20}, {18, 8, 23, 13}}},
    {"box far away, kept to 30000", chBox, 1e300, 70, 1,
     {{30000, 90}, {30000, 90}, {30000, 80}, {30000, 100}, {30000, 88, 30000, 93}}},
};

}  // namespace

TEST(RChartCrossHairs, EachModeDrawsItsLinesInsideTheRimsAndTheBoxAnywhere) {
  for (const TCrossCase& k : kCross) {
    TTestChart c;
    c.SetRange(1, 0, 0, 210, 140);
    TCrossHair* h = c.CrossHair2();
    h->SetLayer(1);
    h->SetMode(k.mode);
    h->SetLineWid(k.width);
    h->SetPosX(k.x);
    h->SetPosY(k.y);
    TBitmap page(300, 220);
    const TCanvasTrace t = TraceOf(page.Canvas(), [&] { c.DrawCrossHairs(page.Canvas(), 0, 0); });
    std::vector<std::vector<int64_t>> strokes;
    for (const auto& r : t.Records())
      if (r.Op == "MoveTo" || r.Op == "LineTo" || r.Op == "Rectangle") strokes.push_back(r.Args);
    EXPECT_EQ(strokes, k.strokes) << k.name;
  }
}

TEST(RChartCrossHairs, CrossHairsAreDrawnOnTheCopyOnlySoAMovedOneLeavesNoGhost) {
  // Regression: ShowGraf drew the cross-hairs into the data picture and a later CrossHairSetPos
  // copied that picture, old cross-hair included.
  TScriptedUser user;
  TChartOnForm f;
  user.Show(&f.form);
  f.chart->SetAutoRedraw(false);
  f.chart->CrossHair1()->SetLayer(1);
  f.chart->CrossHairSetup(1, clRed, chVert, psSolid, 1);
  f.chart->CrossHairSetPos(1, 50, 0);
  EXPECT_EQ(user.Grab(f.chart)->Canvas()->Pixels(100, 80), clRed);
  f.chart->SetAutoRedraw(true);
  f.chart->ShowGraf();
  f.chart->SetAutoRedraw(false);
  f.chart->CrossHairSetPos(1, 120, 0);
  auto shot = user.Grab(f.chart);
  EXPECT_EQ(shot->Canvas()->Pixels(170, 80), clRed);
  EXPECT_EQ(shot->Canvas()->Pixels(100, 80), clWhite);
  f.chart->ShowGrafNewOnly();
  EXPECT_EQ(user.Grab(f.chart)->Canvas()->Pixels(100, 80), clWhite);
}

TEST(RChartCrossHairs, SettersMoveOneCrossHairAndIgnoreOtherNumbers) {
  TTestChart c;
  c.EnablePainting();
  c.CrossHairSetPos(3, 1.5, 2.5);
  EXPECT_EQ(c.GetCHPosX(3), 1.5);
  EXPECT_EQ(c.GetCHPosY(3), 2.5);
  EXPECT_EQ(c.Paints, 2);  // each coordinate notifies
  c.SetCHPosX(3, 4);
  c.SetCHPosY(3, 5);
  EXPECT_EQ(c.GetCHPosX(3), 4);
  EXPECT_EQ(c.GetCHPosY(3), 5);
  c.CrossHairSetPos(0, 9, 9);
  c.CrossHairSetPos(5, 9, 9);
  c.SetCHPosX(5, 9);
  c.CrossHairSetup(0, clRed, chBox, psDot, 2);
  c.CrossHairSetup(4, clRed, chBox, psDot, 2);
  const TCrossHair& h = *c.CrossHair4();
  EXPECT_EQ(h.Color(), clRed);
  EXPECT_EQ(h.Mode(), chBox);
  EXPECT_EQ(h.LineType(), psDot);
  EXPECT_EQ(h.LineWid(), 2);
}

TEST(RChartCrossHairs, SetCrossHairCopiesIntoTheChartsOwnObjectWithOneRepaint) {
  TTestChart c;
  c.EnablePainting();
  TCrossHair model;
  model.SetColor(clBlue);
  model.SetMode(chBoth);
  model.SetPosX(3);
  c.SetCrossHair2(&model);
  EXPECT_NE(c.CrossHair2(), &model);
  EXPECT_EQ(c.CrossHair2()->Color(), clBlue);
  EXPECT_EQ(c.CrossHair2()->PosX(), 3);
  EXPECT_TRUE(static_cast<bool>(c.CrossHair2()->OnChange));
  EXPECT_EQ(c.Paints, 1);
}

// --- output ---------------------------------------------------------------------------------------

TEST(RChartOutput, CopyToBitmapEqualsTheScreen) {
  TScriptedUser user;
  TChartOnForm f;
  Decorate(*f.chart);
  f.chart->SetShadowWidth(6);
  user.Show(&f.form);
  auto shot = user.Grab(f.chart);
  TBitmap copy;
  f.chart->CopyToBitmap(&copy, false);
  EXPECT_TRUE(SamePixels(*shot, copy));
  TBitmap blackWhite;
  f.chart->CopyToBitmap(&blackWhite, true);
  EXPECT_EQ(blackWhite.Canvas()->Pixels(50 + 40, 160 - 35), clSilver);  // inside the rectangle
  EXPECT_EQ(copy.Canvas()->Pixels(50 + 40, 160 - 35), clYellow);
  f.chart->CopyToBitmap(nullptr, false);
}

TEST(RChartOutput, CopyToBMPRoundTripsAndTheClipboardHoldsThePicture) {
  test::TempDir dir;
  TTestChart c;
  c.SetRange(1, 0, 0, 210, 140);
  Decorate(c);
  TBitmap copy;
  c.CopyToBitmap(&copy, false);
  c.CopyToBMP(dir / "chart.bmp", false);
  TBitmap file;
  file.LoadFromFile(dir / "chart.bmp");
  EXPECT_TRUE(SamePixels(copy, file));
  c.CopyToClipboard(false);
  TBitmap clip;
  ASSERT_TRUE(Clipboard()->GetBitmap(&clip));
  EXPECT_TRUE(SamePixels(copy, clip));
}

TEST(RChartOutput, MetafilesAreRefused) {
  TTestChart c;
  c.SetName(u"Chart7");
  const char* refusal = "Component \"Chart7\": metafile output (WMF/EMF) is not available on this platform";
  EXPECT_THROW_MSG(c.CopyToWMF(u"chart.wmf", false), EQeltaRChartError, refusal);
  EXPECT_THROW_MSG(c.CopyToClipboardWMF(true), EQeltaRChartError, refusal);
}

TEST(RChartOutput, ThePrinterDrawsThroughItsBranchesInControlPixels) {
  TTestChart c;
  c.SetRange(1, 0, 0, 210, 140);
  c.SetCaption(u"printed");
  c.Font()->SetSize(10);
  c.MarkAt(100, 70, 72);
  TrcChartItem mark = c.GetChartItem(0);
  mark.SizeOrAngle = 20;  // the character size on the printer
  c.SetChartitem(0, mark);
  c.AddTextLabel(50, 50, clBlack, u"label", 0);
  c.GetFTextLabel(1)->Font()->SetSize(12);
  TCanvas* printer = Printer()->Canvas();
  Printer()->BeginDoc();
  int x = 100, y = 200;
  const TCanvasTrace t = TraceOf(printer, [&] { c.CopyToOpenPrinter(x, y, 1.0, false); });
  const TColor inside = printer->Pixels(100 + 150 * 600 / 96, 200 + 40 * 600 / 96);
  Printer()->Abort();
  EXPECT_EQ(x, 100 + 1750);  // 280 x 600 / 96
  EXPECT_EQ(y, 200 + 1250);
  EXPECT_EQ(inside, clWhite);
  // The caption's font: the screen's density while the size is given, then the printer's.
  std::vector<int64_t> density;
  for (const auto& r : t.Find("Font.PixelsPerInch")) density.push_back(r.Args[0]);
  ASSERT_GE(density.size(), 2u);
  EXPECT_EQ((std::vector<int64_t>{density[0], density[1]}), (std::vector<int64_t>{96, 600}));
  // The data area is DW x DH at (LRim, TRim).
  bool area = false;
  for (const auto& r : t.Find("Rectangle")) area = area || r.Args == std::vector<int64_t>{50, 20, 260, 160};
  EXPECT_TRUE(area);
  // The character mark and the label get their sizes at the height they have on the screen.
  std::vector<int64_t> sizes;
  for (const auto& r : t.Find("Font.Size")) sizes.push_back(r.Args[0]);
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), 20), sizes.end());
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), 12), sizes.end());
  EXPECT_EQ(printer->Font()->Height(), -16);  // the label's 12 points at 96 pixels per inch
  // The screen's data picture is left as it was.
  EXPECT_EQ(c.GrafBmp()->Width(), 211);
}

TEST(RChartOutput, PrintItWritesOnePage) {
  test::TempDir dir;
  Printer()->SetOutputFolder(Utf8ToString(dir.Native()));
  Printer()->SetPaperSize(60, 50);  // a small page keeps the file quick to write
  TTestChart c;
  c.SetName(u"Chart3");
  c.SetChartColor(clYellow);
  c.PrintIt(1.0, true);
  Printer()->SetPaperSize(210, 297);
  ASSERT_EQ(Printer()->PageFiles().size(), 1u);
  TBitmap page;
  page.LoadFromFile(Printer()->PageFiles()[0]);
  EXPECT_EQ(page.Canvas()->Pixels(150 * 600 / 96, 90 * 600 / 96), clYellow);
}
