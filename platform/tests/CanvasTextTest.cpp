// TCanvas text through the font engine: placement, alignment, background, rotation, metrics.

#include <gtest/gtest.h>

#include "Graphics.h"

using namespace qelta;

namespace qelta {
inline void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}
}  // namespace qelta

namespace {

struct Sheet {
  Sheet() : Bitmap(200, 120) { C = Bitmap.Canvas(); }
  // Bounding box of the pixels that are not white (Right/Bottom exclusive); empty when none.
  TRect Inked() const {
    TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = 0; y < Bitmap.Height(); ++y)
      for (int x = 0; x < Bitmap.Width(); ++x) {
        if ((Bitmap.ScanLine(y)[x] & 0xFFFFFF) == 0xFFFFFF) continue;
        r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
      }
    return r.Left == INT32_MAX ? TRect{} : r;
  }
  TBitmap Bitmap;
  TCanvas* C;
};

}  // namespace

TEST(TCanvasText, HeightIsTheCellHeightWhateverTheText) {
  Sheet s;
  const int h = s.C->TextHeight(u"x");
  EXPECT_GT(h, 8);
  EXPECT_EQ(s.C->TextHeight(u"ÁgÿQ|"), h);
  EXPECT_EQ(s.C->TextHeight(u""), h);
  EXPECT_EQ(s.C->TextWidth(u""), 0);
  EXPECT_LT(s.C->TextWidth(u"ab"), s.C->TextWidth(u"abab"));
  EXPECT_EQ(s.C->TextExtent(u"Hello"), Point(s.C->TextWidth(u"Hello"), h));
  const TTextMetric tm = s.C->GetTextMetrics();
  EXPECT_EQ(tm.tmHeight, h);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
  s.C->Font()->SetSize(20);
  EXPECT_GT(s.C->TextHeight(u"x"), 2 * h);
}

// Regression: a positive Font.Height (a cell height) gave a cell one pixel short for 12 of the
// heights 6..60 (20 gave 19). The cell, measured and filled, is now exactly Height pixels tall.
TEST(TCanvasText, APositiveFontHeightIsTheCellHeight) {
  for (int h = 1; h <= 60; ++h) {
    Sheet s;
    s.C->Font()->SetHeight(h);
    s.C->Brush()->SetColor(clYellow);
    EXPECT_EQ(s.C->TextHeight(u"Ag"), h);
    const TTextMetric tm = s.C->GetTextMetrics();
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, h);
    if (h < 6) continue;  // glyphs of 1 to 5 pixels may stick out of their cell
    s.C->TextOut(10, 10, u"Ag");
    EXPECT_EQ(s.Inked().Bottom - s.Inked().Top, h) << h;
  }
}

TEST(TCanvasText, SolidBrushFillsExactlyTheCellAtTheReferencePoint) {
  struct Case {
    unsigned align;
    int dx, dy;  // cell top-left = reference - (dx * width, dy)
  } cases[] = {{TA_LEFT | TA_TOP, 0, 0}, {TA_RIGHT | TA_TOP, 2, 0}, {TA_CENTER | TA_TOP, 1, 0},
               {TA_LEFT | TA_BOTTOM, 0, -1}, {TA_LEFT | TA_BASELINE, 0, -2}};
  for (const Case& c : cases) {
    Sheet s;
    s.C->Brush()->SetColor(clYellow);
    s.C->SetTextAlign(c.align);
    const String text = u"Qelta 42";
    const int w = s.C->TextWidth(text), h = s.C->TextHeight(text), asc = s.C->GetTextMetrics().tmAscent;
    s.C->TextOut(100, 60, text);
    const int left = 100 - (c.dx == 2 ? w : c.dx == 1 ? w / 2 : 0);
    const int top = 60 - (c.dy == -1 ? h : c.dy == -2 ? asc : 0);
    EXPECT_EQ(s.Inked(), Rect(left, top, left + w, top + h)) << c.align;
    EXPECT_EQ(s.C->PenPos(), Point(100 + w, 60));
  }
}

TEST(TCanvasText, ClearBrushLeavesTheBackgroundAndDrawsInTheFontColour) {
  Sheet s;
  s.C->Brush()->SetStyle(bsClear);
  s.C->Font()->SetColor(clBlue);
  s.C->Font()->SetSize(14);
  s.C->TextOut(10, 10, u"HH");
  const TRect ink = s.Inked();
  EXPECT_GE(ink.Left, 10);
  EXPECT_GT(ink.Top, 10) << "the cell's top rows are empty above capitals";
  EXPECT_LE(ink.Right, 10 + s.C->TextWidth(u"HH"));
  bool blue = false;
  for (int y = ink.Top; y < ink.Bottom; ++y)
    for (int x = ink.Left; x < ink.Right; ++x) blue = blue || s.C->Pixels(x, y) == clBlue;
  EXPECT_TRUE(blue);
}

TEST(TCanvasText, RotatedTextTurnsAboutTheReferencePoint) {
  Sheet s;
  s.C->Brush()->SetColor(clYellow);
  s.C->Font()->SetOrientation(900);  // upwards
  const int w = s.C->TextWidth(u"Up"), h = s.C->TextHeight(u"Up");
  s.C->TextOut(50, 100, u"Up");
  const TRect ink = s.Inked();
  EXPECT_NEAR(ink.Left, 50, 1);
  EXPECT_NEAR(ink.Right, 50 + h, 1);
  EXPECT_NEAR(ink.Bottom, 100, 1);
  EXPECT_NEAR(ink.Top, 100 - w, 1);
}

TEST(TCanvasText, TextRectFillsTheRectangleAndClipsTheText) {
  Sheet s;
  s.C->Brush()->SetColor(clYellow);
  s.C->TextRect(Rect(20, 20, 40, 30), 25, 22, u"A long text that does not fit");
  EXPECT_EQ(s.Inked(), Rect(20, 20, 40, 30));
  EXPECT_EQ(s.C->Pixels(40, 22), clWhite);
}

TEST(TCanvasText, TextFollowsTheOriginAndClip) {
  Sheet s;
  s.C->SetOrigin(Point(30, 40));
  s.C->SetClipRect(Rect(0, 0, 10, 200));
  s.C->Brush()->SetColor(clYellow);
  s.C->TextOut(0, 0, u"Wide text");
  EXPECT_EQ(s.Inked(), Rect(30, 40, 40, 40 + s.C->TextHeight(u"W")));
}
