// Landmark symbols of every kind, probed pixel by pixel, and the placement of their captions.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "Graphics.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"

using namespace qelta;

namespace {

constexpr TColor FG = clBlue, BG = clYellow, Paper = clWhite;

/// A white sheet to draw one symbol on.
struct Sheet {
  TBitmap bmp{60, 60};
  Sheet() {
    bmp.Canvas()->Brush()->SetColor(Paper);
    bmp.Canvas()->FillRect(Rect(0, 0, 60, 60));
  }
  TCanvas* C() { return bmp.Canvas(); }
  TColor At(int x, int y) { return bmp.Canvas()->Pixels(x, y); }
  void Draw(TLandMarkElement kind, int size, int dir, int len, bool transparent, int x = 30, int y = 30) {
    DrawLandMarkSymbolOnCanvas(C(), x, y, kind, FG, BG, size, dir, len, transparent);
  }
  int Count(TColor colour) {
    int n = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x) n += At(x, y) == colour;
    return n;
  }
};

TEST(LandMarkSymbols, CrossWithHaloCoversItsBandAndNothingMore) {
  Sheet s;
  s.Draw(lmCross, 7, 0, 0, false, 20, 20);
  for (int y = 12; y <= 28; ++y) {
    EXPECT_NE(s.At(19, y), Paper) << y;
    EXPECT_NE(s.At(21, y), Paper) << y;
  }
  for (int y = 13; y <= 27; ++y) EXPECT_EQ(s.At(20, y), FG) << y;
  for (int x = 13; x <= 27; ++x) EXPECT_EQ(s.At(x, 20), FG) << x;
  EXPECT_EQ(s.At(19, 12), BG);
  EXPECT_EQ(s.At(20, 12), BG);  // the halo reaches one pixel beyond the arm
  EXPECT_EQ(s.At(20, 11), Paper);
  EXPECT_EQ(s.At(18, 18), Paper);
  EXPECT_EQ(s.At(20, 29), Paper);

  Sheet t;
  t.Draw(lmCross, 7, 0, 0, true, 20, 20);
  EXPECT_EQ(t.Count(BG), 0);
  EXPECT_EQ(t.Count(FG), 15 + 14);  // two arms of 15 pixels sharing the centre
}

TEST(LandMarkSymbols, SquaresAndCrossBoxesFillInsideTheirOutline) {
  Sheet s;
  s.Draw(lmSquare, 5, 0, 0, false);
  EXPECT_EQ(s.At(25, 25), BG);  // outline in the background colour
  EXPECT_EQ(s.At(35, 35), BG);
  EXPECT_EQ(s.At(26, 26), FG);  // the inset rectangle's pen
  EXPECT_EQ(s.At(30, 30), BG);  // its brush
  EXPECT_EQ(s.At(24, 30), Paper);

  Sheet t;
  t.Draw(lmSquare, 5, 0, 0, true);
  EXPECT_EQ(t.At(25, 25), FG);
  EXPECT_EQ(t.At(35, 30), FG);
  EXPECT_EQ(t.At(30, 30), Paper);

  Sheet b;
  b.Draw(lmCrossBox, 5, 0, 0, true);
  EXPECT_EQ(b.At(30, 30), FG);  // the diagonals cross in the middle
  EXPECT_EQ(b.At(27, 27), FG);
  EXPECT_EQ(b.At(33, 27), FG);
  Sheet f;
  f.Draw(lmCrossBox, 5, 0, 0, false);
  EXPECT_EQ(f.At(25, 25), BG);
  EXPECT_EQ(f.At(30, 30), FG);
  EXPECT_EQ(f.At(32, 30), BG);
}

TEST(LandMarkSymbols, TrianglesAndArrowsFollowTheirDirection) {
  Sheet up, down;
  up.Draw(lmTriangle, 10, 0, 0, false);
  down.Draw(lmTriangle, 10, 180, 0, false);
  EXPECT_NE(up.At(30, 21), Paper);  // apex above
  EXPECT_EQ(up.At(30, 38), Paper);
  EXPECT_NE(down.At(30, 38), Paper);  // apex below
  EXPECT_EQ(down.At(30, 21), Paper);
  EXPECT_EQ(up.At(30, 30), BG);

  Sheet from, to;
  from.Draw(lmArrowFrom, 6, 90, 20, true);
  to.Draw(lmArrowTo, 6, 90, 20, true);
  for (int x = 31; x < 50; ++x) EXPECT_EQ(from.At(x, 30), FG) << x;  // shaft to the right
  EXPECT_EQ(from.At(30, 25), Paper);
  EXPECT_NE(from.At(45, 28), Paper);  // barbs behind the tip at x = 50
  EXPECT_NE(from.At(45, 32), Paper);
  EXPECT_NE(to.At(35, 28), Paper);  // barbs behind the point, on the tail's side
  EXPECT_NE(to.At(35, 32), Paper);
  EXPECT_EQ(to.At(25, 28), Paper);

  Sheet filled;
  filled.Draw(lmArrowFrom, 6, 90, 20, false);
  EXPECT_EQ(filled.At(40, 30), FG);  // the shaft
  EXPECT_EQ(filled.At(47, 30), BG);  // inside the head
}

TEST(LandMarkSymbols, CirclesSpadesUserDefAndUnknownKinds) {
  Sheet s;
  s.Draw(lmCircle, 8, 0, 0, true);
  EXPECT_EQ(s.C()->Brush()->Style(), bsClear);  // left for whatever is drawn next
  EXPECT_EQ(s.At(30, 30), Paper);
  EXPECT_EQ(s.At(22, 30), FG);
  Sheet f;
  f.Draw(lmCircle, 8, 0, 0, false);
  EXPECT_EQ(f.At(30, 30), BG);
  EXPECT_EQ(f.C()->Brush()->Style(), bsSolid);

  Sheet d;
  d.Draw(lmSpade, 6, 0, 0, false);
  EXPECT_EQ(d.At(30, 30), BG);
  EXPECT_EQ(d.At(30, 24), FG);
  EXPECT_EQ(d.At(25, 25), Paper);

  Sheet u;
  const TColor pen = u.C()->Pen()->Color();
  u.Draw(lmUserDef, 8, 0, 0, false);
  EXPECT_EQ(u.Count(Paper), 3600);
  EXPECT_EQ(u.C()->Pen()->Color(), FG);

  Sheet k;
  k.Draw(static_cast<TLandMarkElement>(lmUserDef + 3), 8, 0, 0, false);
  EXPECT_EQ(k.Count(FG), 9 + 8);  // the small cross from -4 to +4
  EXPECT_EQ(k.At(34, 30), FG);
  EXPECT_EQ(k.At(35, 30), Paper);
  (void)pen;
}

// A symbol file may hold any size or length: the geometry is computed in 64 bits, so Y + S + 1 and
// the arrow's points no longer overflow.
TEST(LandMarkSymbols, HugeSizesAndLengthsDoNotOverflow) {
  for (TLandMarkElement kind : {lmCross, lmSquare, lmTriangle, lmCircle, lmArrowFrom, lmArrowTo, lmCrossBox, lmSpade}) {
    for (bool transparent : {false, true}) {
      Sheet s;
      s.Draw(kind, INT_MAX, 45, INT_MAX, transparent, INT_MAX - 1, INT_MIN + 1);
      s.Draw(kind, INT_MIN, 45, INT_MIN, transparent);
    }
  }
  DrawLandMarkSymbolOnCanvas(nullptr, 0, 0, lmCross, FG, BG, 5, 0, 0, false);
}

TEST(LandMarkCaptions, CornerByAlignmentAndRotation) {
  TLMTextProperties c;
  c.dx = 3;
  c.dy = 8;
  struct Case {
    TAlignment h;
    TVerticalAlignment v;
    int dir;
    TPoint want;
  };
  // Half extents 20 x 6 at (100, 100).
  const Case cases[] = {
      {taLeftJustify, vaTop, 0, {103, 108}},   {taCenter, vaTop, 0, {83, 108}},
      {taRightJustify, vaTop, 0, {63, 108}},   {taLeftJustify, vaCenter, 0, {103, 102}},
      {taLeftJustify, vaBottom, 0, {103, 96}}, {taRightJustify, vaBottom, 0, {63, 96}},
      {taLeftJustify, vaTop, 90, {103, 108}},  {taCenter, vaTop, 90, {103, 128}},
      {taRightJustify, vaTop, 90, {103, 148}}, {taLeftJustify, vaCenter, 90, {97, 108}},
      {taLeftJustify, vaBottom, 90, {91, 108}}, {taCenter, vaCenter, 90, {97, 128}},
  };
  for (const Case& k : cases) {
    c.HAlignment = k.h;
    c.VAlignment = k.v;
    c.Direction = k.dir;
    const TPoint p = map_detail::CaptionCorner(100, 100, c, 20, 6);
    EXPECT_EQ(p.X, k.want.X) << int(k.h) << " " << int(k.v) << " " << k.dir;
    EXPECT_EQ(p.Y, k.want.Y) << int(k.h) << " " << int(k.v) << " " << k.dir;
  }
}

TEST(LandMarkCaptions, DefaultCaptionIsCentredBelowTheSymbol) {
  TBitmap b(200, 100);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(Paper);
  c->FillRect(Rect(0, 0, 200, 100));
  TLMTextProperties cap = DefaultLandMark().Caption;
  cap.Text = "Summit";
  cap.FontName = u"DejaVu Sans";
  map_detail::DrawLandMarkCaption(c, 100, 30, cap);
  int left = 200, right = -1, top = 100;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      if (c->Pixels(x, y) != Paper) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
      }
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right) / 2.0, 100, 3);
  EXPECT_GE(top, 38);  // the text cell starts 8 pixels below
  EXPECT_EQ(c->Brush()->Style(), bsClear);
  EXPECT_EQ(c->Font()->Orientation(), 0);

  // Rotated by 90 degrees the text runs upwards, left of nothing: its ink stays in a column.
  TBitmap r(100, 200);
  TCanvas* rc = r.Canvas();
  rc->Brush()->SetColor(Paper);
  rc->FillRect(Rect(0, 0, 100, 200));
  cap.Direction = 90;
  cap.VAlignment = vaTop;
  cap.dy = 0;
  map_detail::DrawLandMarkCaption(rc, 50, 100, cap);
  EXPECT_EQ(rc->Font()->Orientation(), 900);
  EXPECT_EQ(rc->Font()->Quality(), fqAntialiased);
  int l2 = 100, r2 = -1, t2 = 200, b2 = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 100; ++x)
      if (rc->Pixels(x, y) != Paper) {
        l2 = std::min(l2, x);
        r2 = std::max(r2, x);
        t2 = std::min(t2, y);
        b2 = std::max(b2, y);
      }
  ASSERT_GE(r2, l2);
  EXPECT_GT(b2 - t2, r2 - l2);  // taller than wide
  EXPECT_NEAR((t2 + b2) / 2.0, 100, 4);  // centred along the text's run
}

}  // namespace
