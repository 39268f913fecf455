// Colours, pens, brushes, fonts and the canvas trace.

#include "Graphics.h"

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Encoding.h"

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

TEST(TColor, NamesAndHexTextRoundTrip) {
  struct Case {
    TColor color;
    const char* text;
  };
  const Case cases[] = {{clRed, "clRed"},           {clBtnFace, "clBtnFace"},     {clNone, "clNone"},
                        {clDefault, "clDefault"},   {clSilver, "clSilver"},       {clMedGray, "clMedGray"},
                        {clWindowText, "clWindowText"}, {0x123456, "$00123456"},  {RGB(1, 2, 3), "$00030201"},
                        {static_cast<TColor>(0xFF000019), "$FF000019"}};
  for (const Case& c : cases) {
    EXPECT_EQ(StringToUtf8(ColorToString(c.color)), c.text);
    EXPECT_EQ(StringToColor(Utf8ToString(c.text)), c.color) << c.text;
  }
  EXPECT_EQ(StringToColor(u"CLRED"), clRed);
  EXPECT_EQ(StringToColor(u"clLtGray"), clSilver);
  EXPECT_EQ(StringToColor(u"255"), clRed);
  EXPECT_THROW_MSG(StringToColor(u"clPink"), EConvertError, "'clPink' is not a valid integer value");
  EXPECT_THROW_MSG(StringToColor(u""), EConvertError, "'' is not a valid integer value");
}

TEST(TFont, QualityIsStoredAssignedAndTraced) {
  TFont a, b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(a.Quality(), fqDefault);
  a.SetQuality(fqNonAntialiased);
  b.Assign(&a);
  EXPECT_EQ(b.Quality(), fqNonAntialiased);
  b.SetQuality(fqNonAntialiased);
  EXPECT_EQ(changes, 1);
}

TEST(TFont, NonAntialiasedTextPutsOnlyWholePixels) {
  // Crisp glyphs: every pixel is the background or the text colour, none in between.
  for (TFontQuality q : {fqAntialiased, fqNonAntialiased}) {
    TBitmap b(80, 30);
    b.Canvas()->Font()->SetQuality(q);
    b.Canvas()->Font()->SetColor(clBlack);
    b.Canvas()->Font()->SetSize(12);
    b.Canvas()->Brush()->SetStyle(bsClear);
    b.Canvas()->TextOut(2, 2, u"Qg&8");
    int black = 0, grey = 0;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const TColor c = b.Canvas()->Pixels(x, y);
        if (c == clBlack) ++black;
        else if (c != clWhite) ++grey;
      }
    EXPECT_GT(black, 20);
    if (q == fqNonAntialiased) EXPECT_EQ(grey, 0);
    else EXPECT_GT(grey, 0);
  }
}
