// Colours, pens, brushes, fonts and the canvas trace.

#include "Graphics.h"

#include <gtest/gtest.h>

#include "Assertions.h"

using namespace qelta;

TEST(TColor, SystemColoursResolveThroughTheFixedTable) {
  struct Case {
    TColor color;
    TColor rgb;
  } cases[] = {
      {clBtnFace, 0xC0C0C0},   {clWindow, 0xFFFFFF},     {clWindowText, 0x000000},
      {clHighlight, 0x800000}, {clBtnShadow, 0x808080},  {clBtnHighlight, 0xFFFFFF},
      {cl3DDkShadow, 0x000000}, {clInfoBk, 0xE1FFFF},    {clGrayText, 0x808080},
      {clRed, clRed},          {clNone, clNone},         {clDefault, clDefault},
      {SystemColor(200), 0},   {static_cast<TColor>(0x80000005), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.color), c.rgb) << std::hex << c.color;
}

TEST(TColor, RgbPacksRedInTheLowByte) {
  constexpr TColor c = RGB(0x12, 0x34, 0x56);
  static_assert(c == 0x563412);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
  EXPECT_EQ(RGB(255, 0, 0), clRed);
}

TEST(TPen, FiresOnChangeOnlyOnRealChanges) {
  TPen pen;
  int changes = 0;
  pen.OnChange = [&](TObject*) { ++changes; };
  pen.SetColor(clBlack);  // default: no change
  pen.SetColor(clRed);
  pen.SetWidth(-3);  // ignored
  pen.SetWidth(3);
  pen.SetStyle(psDot);
  pen.SetMode(pmXor);
  pen.SetMode(pmXor);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(pen.Width(), 3);
}

TEST(TPen, AssignCopiesAllAndFiresOnce) {
  TPen a, b;
  a.SetColor(clBlue);
  a.SetWidth(4);
  a.SetMode(pmNotXor);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Assign(&a);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Color(), clBlue);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Mode(), pmNotXor);
  TBrush brush;
  EXPECT_THROW_MSG(b.Assign(&brush), EConvertError, "Cannot assign a TBrush to a TPen");
}

TEST(TBrush, ColourMakesAClearBrushSolidAndClearResetsTheColour) {
  TBrush b;
  b.SetColor(clRed);
  b.SetStyle(bsClear);
  EXPECT_EQ(b.Color(), clWhite);
  b.SetColor(clLime);
  EXPECT_EQ(b.Style(), bsSolid);
  EXPECT_EQ(b.Color(), clLime);
}

TEST(TFont, SizeAndHeightFollowThePixelDensity) {
  TFont f;
  EXPECT_EQ(f.Name(), u"Tahoma");
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Height(), -11);
  struct Case {
    int ppi, size, height;
  } cases[] = {{96, 10, -13}, {96, 12, -16}, {600, 10, -83}, {72, 9, -9}, {120, 8, -13}};
  for (const Case& c : cases) {
    f.SetPixelsPerInch(c.ppi);
    f.SetSize(c.size);
    EXPECT_EQ(f.Height(), c.height) << c.ppi << " " << c.size;
    EXPECT_EQ(f.Size(), c.size);
  }
  f.SetPixelsPerInch(96);
  f.SetHeight(20);  // positive: cell height, Size reads negative
  EXPECT_EQ(f.Size(), -15);
}

TEST(TFont, ChangingPixelsPerInchKeepsTheHeight) {
  TFont f;
  f.SetSize(10);
  f.SetPixelsPerInch(600);
  EXPECT_EQ(f.Height(), -13);
  EXPECT_EQ(f.Size(), 2);
}

TEST(TFont, AssignAcrossDensitiesKeepsThePointSize) {
  TFont screen, printer;
  screen.SetSize(10);
  screen.SetStyle({fsBold, fsUnderline});
  screen.SetColor(clRed);
  screen.SetName(u"Arial");
  printer.SetPixelsPerInch(600);
  int changes = 0;
  printer.OnChange = [&](TObject*) { ++changes; };
  printer.Assign(&screen);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(printer.Size(), 10);
  EXPECT_EQ(printer.Height(), -83);
  EXPECT_EQ(printer.PixelsPerInch(), 600);
  EXPECT_TRUE(printer.Style().Contains(fsUnderline));
  EXPECT_EQ(printer.Name(), u"Arial");
  EXPECT_EQ(printer.Color(), clRed);
}

TEST(TCanvasTrace, RecordsEverySetterCallAndEveryDrawingCall) {
  TCanvas c;
  c.Brush()->SetColor(clRed);
  TCanvasTrace trace;
  c.SetTrace(&trace);
  c.Pen()->SetColor(clRed);
  c.Pen()->SetColor(clRed);  // same value: still a call
  c.Brush()->SetStyle(bsClear);
  c.MoveTo(1, 2);
  c.LineTo(3, 4);
  c.Polyline({{0, 0}, {5, 5}, {9, 0}});
  c.Font()->SetName(u"Courier New");
  c.Font()->SetSize(10);
  TPen other;
  c.SetPen(&other);
  c.SetCopyMode(cmSrcAnd);
  EXPECT_EQ(trace.Count("Pen.Color"), 2);
  EXPECT_EQ(trace.Count("Brush.Style"), 1);
  EXPECT_EQ(trace.Count("Brush.Color"), 0) << "the colour reset by bsClear is no call";
  EXPECT_EQ(trace.Count("Pen.Assign"), 1);
  EXPECT_EQ(trace.Count("Font.Size"), 1);
  EXPECT_EQ(trace.Count("Font.Height"), 0);
  EXPECT_EQ(trace.Count("CopyMode"), 1);
  EXPECT_EQ(trace.Find("Polyline").at(0).Args, (std::vector<int64_t>{0, 0, 5, 5, 9, 0}));
  EXPECT_EQ(trace.Find("Font.Name").at(0).Text, u"Courier New");
  EXPECT_NE(trace.Text().find("LineTo 3,4\n"), std::string::npos);
  c.SetTrace(nullptr);
  c.Pen()->SetColor(clBlue);
  EXPECT_EQ(trace.Count("Pen.Color"), 2);
}
