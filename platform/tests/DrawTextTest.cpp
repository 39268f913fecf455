// DrawText: lines laid out in a rectangle, measured with DT_CALCRECT; pixels checked by the text's box.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Graphics.h"

using namespace qelta;

namespace {

/// The box of the pixels that are not white, as a rectangle (empty when there are none).
TRect InkBox(const TBitmap& b) {
  TRect r{b.Width(), b.Height(), 0, 0};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas()->Pixels(x, y) != clWhite) {
        r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r.Right > r.Left ? r : TRect{};
}

}  // namespace

TEST(DrawText, CalcRectFitsTheLinesAndDrawsNothing) {
  TBitmap b(200, 100);
  TCanvas* c = b.Canvas();
  const int h = c->TextHeight(u"X");
  TRect r = Rect(10, 20, 15, 25);
  EXPECT_EQ(DrawText(c, u"first\r\nsecond line", r, DT_CALCRECT), 2 * h);
  EXPECT_EQ(r, Rect(10, 20, 10 + c->TextWidth(u"second line"), 20 + 2 * h));
  r = Rect(0, 0, 0, 0);
  DrawText(c, u"a\nb", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(r.Height(), h);
  EXPECT_EQ(InkBox(b), TRect{});
}

TEST(DrawText, PlacesLinesLeftCentredOrRightAndClipsThem) {
  struct Case {
    unsigned format;
    int expectedLeft;  // of the text cell, relative to the rectangle
  };
  TBitmap probe(10, 10);
  const int w = probe.Canvas()->TextWidth(u"III");
  const Case cases[] = {{DT_LEFT, 0}, {DT_CENTER, (100 - w) / 2}, {DT_RIGHT, 100 - w}};
  for (const Case& k : cases) {
    TBitmap b(200, 60);
    b.Canvas()->Brush()->SetStyle(bsClear);
    TRect r = Rect(50, 10, 150, 40);
    DrawText(b.Canvas(), u"III", r, k.format | DT_SINGLELINE | DT_VCENTER);
    const TRect ink = InkBox(b);
    EXPECT_GE(ink.Left, 50 + k.expectedLeft) << k.format;
    EXPECT_LE(ink.Right, 50 + k.expectedLeft + w) << k.format;
    EXPECT_GT(ink.Top, 10) << k.format;
  }
  TBitmap b(200, 60);
  TRect r = Rect(10, 10, 30, 30);
  DrawText(b.Canvas(), u"a long line cut off", r, DT_LEFT);
  const TRect ink = InkBox(b);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 30);
}

TEST(DrawText, TabsExpandToStops) {
  TBitmap b(300, 40);
  TRect plain = Rect(0, 0, 0, 0), tabbed = plain;
  DrawText(b.Canvas(), u"a\tb", plain, DT_CALCRECT);
  DrawText(b.Canvas(), u"a\tb", tabbed, DT_CALCRECT | DT_EXPANDTABS);
  EXPECT_GE(tabbed.Width(), 8 * b.Canvas()->GetTextMetrics().tmAveCharWidth);
  EXPECT_GT(tabbed.Width(), plain.Width());
}
