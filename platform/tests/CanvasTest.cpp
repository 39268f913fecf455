// TCanvas raster rules, pixel for pixel.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "ColorRects.h"
#include "DirectPaths.h"
#include "Graphics.h"

using namespace qelta;

namespace {

// A white W x H surface with a canvas on it.
struct Paper {
  explicit Paper(int w = 40, int h = 40) : W(w), H(h), Pixels(size_t(w) * h, 0xFFFFFFFFu) {
    Canvas.SetSurface({Pixels.data(), w, h, w});
  }
  bool Ink(int x, int y) const { return (Pixels[size_t(y) * W + x] & 0xFFFFFF) != 0xFFFFFF; }
  int Count() const {
    int n = 0;
    for (uint32_t p : Pixels) n += (p & 0xFFFFFF) != 0xFFFFFF;
    return n;
  }
  // Rows of the rectangle as '#' (not white) and '.' (white).
  std::string Art(int x0, int y0, int x1, int y1) const {
    std::string s;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) s += Ink(x, y) ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  int W, H;
  std::vector<uint32_t> Pixels;
  TCanvas Canvas;
};

// A picture with some structure, for reversibility checks.
void Scribble(Paper& p) {
  for (int y = 0; y < p.H; ++y)
    for (int x = 0; x < p.W; ++x) p.Pixels[size_t(y) * p.W + x] = 0xFF000000u | uint32_t((x * 37 + y * 101) * 2654435761u >> 8);
}

}  // namespace

TEST(TCanvasLines, LineToNeverPaintsTheEndPoint) {
  struct Case {
    int x0, y0, x1, y1;
  } cases[] = {{2, 5, 12, 5}, {12, 5, 2, 5}, {5, 2, 5, 20}, {3, 3, 13, 13}, {20, 3, 4, 9}, {4, 30, 9, 2}, {7, 7, 7, 7}};
  for (const Case& c : cases) {
    Paper p;
    p.Canvas.MoveTo(c.x0, c.y0);
    p.Canvas.LineTo(c.x1, c.y1);
    const int steps = std::max(std::abs(c.x1 - c.x0), std::abs(c.y1 - c.y0));
    EXPECT_EQ(p.Count(), steps) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    EXPECT_FALSE(p.Ink(c.x1, c.y1));
    if (steps > 0) {
      EXPECT_TRUE(p.Ink(c.x0, c.y0));
    }
    EXPECT_EQ(p.Canvas.PenPos(), Point(c.x1, c.y1));
  }
}

TEST(TCanvasLines, BresenhamPixelsOfAShallowLine) {
  Paper p;
  p.Canvas.MoveTo(0, 0);
  p.Canvas.LineTo(8, 3);
  EXPECT_EQ(p.Art(0, 0, 9, 4),
            "##.......\n"
            "..##.....\n"
            "....###..\n"
            ".......#.\n");
}

TEST(TCanvasLines, PolylineJoinsWithoutGapsAndKeepsPenPos) {
  Paper p;
  p.Canvas.MoveTo(30, 30);
  p.Canvas.Polyline({{1, 1}, {6, 1}, {6, 4}, {1, 4}});
  EXPECT_EQ(p.Art(0, 0, 8, 6),
            "........\n"
            ".######.\n"
            "......#.\n"
            "......#.\n"
            "..#####.\n"
            "........\n");
  EXPECT_EQ(p.Canvas.PenPos(), Point(30, 30));
}

TEST(TCanvasLines, CosmeticDashPatterns) {
  struct Case {
    TPenStyle style;
    std::string row;
  } cases[] = {
      {psDash, std::string(18, '#') + std::string(6, '.') + std::string(18, '#') + std::string(6, '.')},
      {psDot, "###...###...###...###...###...###...###...###..."},
      {psDashDot, std::string(9, '#') + "......###......" + std::string(9, '#') + "......###......"},
      {psDashDotDot, std::string(9, '#') + "...###...###..." + std::string(9, '#') + "...###...###..."},
      {psAlternate, "#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#."},
  };
  for (const Case& c : cases) {
    Paper p(60, 3);
    p.Canvas.Brush()->SetStyle(bsClear);
    p.Canvas.Pen()->SetStyle(c.style);
    p.Canvas.MoveTo(0, 1);
    p.Canvas.LineTo(48, 1);
    EXPECT_EQ(p.Art(0, 1, 48, 2), c.row + "\n") << int(c.style);
  }
}

TEST(TCanvasLines, DashGapsTakeTheBrushColourWhenTheBrushIsSolid) {
  Paper p(30, 3);
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.Pen()->SetStyle(psDot);
  p.Canvas.MoveTo(0, 1);
  p.Canvas.LineTo(12, 1);
  EXPECT_EQ(p.Canvas.Pixels(0, 1), clBlack);
  EXPECT_EQ(p.Canvas.Pixels(3, 1), clRed);
  EXPECT_EQ(p.Canvas.Pixels(12, 1), clWhite);
}

TEST(TCanvasLines, DashPatternContinuesAcrossLineToCalls) {
  Paper p(60, 3);
  p.Canvas.Brush()->SetStyle(bsClear);
  p.Canvas.Pen()->SetStyle(psDot);
  p.Canvas.MoveTo(0, 1);
  p.Canvas.LineTo(4, 1);
  p.Canvas.LineTo(12, 1);
  EXPECT_EQ(p.Art(0, 1, 12, 2), "###...###...\n");
}

TEST(TCanvasLines, WidePensAreExactlyAsWideAsTheirWidth) {
  for (int w : {2, 3, 4, 5, 8}) {
    Paper p;
    p.Canvas.Pen()->SetWidth(w);
    p.Canvas.MoveTo(10, 20);
    p.Canvas.LineTo(30, 20);
    int rows = 0;
    for (int y = 0; y < p.H; ++y) rows += p.Ink(20, y);
    EXPECT_EQ(rows, w) << w;
    EXPECT_TRUE(p.Ink(30, 20)) << "round cap covers the end point";
  }
}

TEST(TCanvasLines, HugeCoordinatesAreClippedAndFinish) {
  Paper p;
  p.Canvas.MoveTo(INT_MIN, INT_MIN);
  p.Canvas.LineTo(INT_MAX, INT_MAX);
  for (int i = 0; i < 40; ++i) EXPECT_TRUE(p.Ink(i, i)) << i;
  EXPECT_EQ(p.Count(), 40);
  Paper q;
  q.Canvas.MoveTo(INT_MIN, 5);
  q.Canvas.LineTo(INT_MAX, 5);
  q.Canvas.MoveTo(7, INT_MAX);
  q.Canvas.LineTo(7, INT_MIN);
  q.Canvas.Brush()->SetStyle(bsClear);
  q.Canvas.Pen()->SetWidth(3);
  q.Canvas.Polyline({{INT_MIN, INT_MIN}, {INT_MAX, 30}, {INT_MIN, INT_MAX}});
  q.Canvas.Polygon({{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}});
  q.Canvas.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  q.Canvas.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  q.Canvas.Arc(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, 0, 0, INT_MIN);
  q.Canvas.SetOrigin(Point(INT_MAX, INT_MIN));
  q.Canvas.LineTo(INT_MIN, INT_MAX);
  EXPECT_TRUE(q.Ink(20, 5));
}

TEST(TCanvasShapes, RectangleCoversTheLeftTopCornerToOneBeforeTheRightBottom) {
  struct Case {
    int x1, y1, x2, y2;
  } cases[] = {{10, 10, 20, 20}, {20, 20, 10, 10}, {20, 10, 10, 20}, {10, 20, 20, 10}};
  for (const Case& c : cases) {
    Paper p;
    p.Canvas.Brush()->SetColor(clRed);
    p.Canvas.Rectangle(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(p.Count(), 100);
    EXPECT_EQ(p.Canvas.Pixels(10, 10), clBlack);
    EXPECT_EQ(p.Canvas.Pixels(19, 19), clBlack);
    EXPECT_EQ(p.Canvas.Pixels(15, 15), clRed);
    EXPECT_EQ(p.Canvas.Pixels(20, 20), clWhite);
  }
}

TEST(TCanvasShapes, RectangleWithAClearPenFillsOnePixelShort) {
  Paper p;
  p.Canvas.Pen()->SetStyle(psClear);
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.Rectangle(10, 10, 20, 20);
  EXPECT_EQ(p.Count(), 81);
  EXPECT_EQ(p.Canvas.Pixels(18, 18), clRed);
  EXPECT_EQ(p.Canvas.Pixels(19, 19), clWhite);
}

TEST(TCanvasShapes, FillRectCopiesTheBrushWhateverThePenMode) {
  Paper p;
  p.Canvas.Brush()->SetColor(clBlue);
  p.Canvas.Pen()->SetMode(pmXor);
  p.Canvas.FillRect(Rect(5, 5, 2, 2));
  EXPECT_EQ(p.Count(), 9);
  EXPECT_EQ(p.Canvas.Pixels(4, 4), clBlue);
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.FrameRect(Rect(10, 10, 14, 13));
  EXPECT_EQ(p.Art(10, 10, 15, 14),
            "####.\n"
            "#..#.\n"
            "####.\n"
            ".....\n");
}

TEST(TCanvasShapes, SmallEllipseShape) {
  Paper p;
  p.Canvas.Brush()->SetStyle(bsClear);
  p.Canvas.Ellipse(0, 0, 7, 7);
  EXPECT_EQ(p.Art(0, 0, 8, 8),
            "..###...\n"
            ".#...#..\n"
            "#.....#.\n"
            "#.....#.\n"
            "#.....#.\n"
            ".#...#..\n"
            "..###...\n"
            "........\n");
}

// Regression: thin ellipses did not reach their box: Ellipse(5, 5, 7, 13) painted rows 6..11, not
// 5..12 (84 of the 1,600 sizes up to 40 x 40 missed a row or a column).
TEST(TCanvasShapes, EveryRowAndColumnOfAnEllipsesBoxHoldsOutline) {
  for (int w = 1; w <= 40; ++w)
    for (int h = 1; h <= 40; ++h) {
      Paper p(50, 50);
      p.Canvas.Brush()->SetStyle(bsClear);
      p.Canvas.Ellipse(5, 5, 5 + w, 5 + h);
      std::vector<bool> row(h), col(w);
      for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
          if (!p.Ink(x, y)) continue;
          ASSERT_TRUE(x >= 5 && x < 5 + w && y >= 5 && y < 5 + h) << w << " x " << h << ": (" << x << ", " << y << ")";
          row[y - 5] = col[x - 5] = true;
        }
      for (int y = 0; y < h; ++y) EXPECT_TRUE(row[y]) << w << " x " << h << ": row " << 5 + y;
      for (int x = 0; x < w; ++x) EXPECT_TRUE(col[x]) << w << " x " << h << ": column " << 5 + x;
    }
  Paper thin;
  thin.Canvas.Brush()->SetStyle(bsClear);
  thin.Canvas.Ellipse(5, 5, 7, 13);
  EXPECT_EQ(thin.Art(5, 5, 7, 13), "##\n##\n##\n##\n##\n##\n##\n##\n");
  Paper flat;
  flat.Canvas.Brush()->SetStyle(bsClear);
  flat.Canvas.Ellipse(2, 2, 22, 4);
  EXPECT_EQ(flat.Art(2, 2, 22, 4), "####################\n####################\n");
}

// Regression: the pie's outline met in a rounded centre while its fill went by the exact one, so a
// fill pixel could lie outside the outline. No fill pixel ever touches the background now.
TEST(TCanvasShapes, APiesFillStaysInsideItsOutline) {
  const int sizes[][2] = {{7, 7}, {8, 8}, {9, 14}, {20, 13}, {33, 24}, {40, 40}};
  int pies = 0;
  for (const auto& sz : sizes)
    for (int a = 0; a < 16; ++a)
      for (int b = 0; b < 16; ++b) {
        if (a == b) continue;
        const double pa = a * 2 * M_PI / 16 + 0.1, pb = b * 2 * M_PI / 16 + 0.1;
        Paper p(60, 60);
        p.Canvas.Brush()->SetColor(clRed);
        const int cx = 5 + sz[0] / 2, cy = 5 + sz[1] / 2;
        p.Canvas.Pie(5, 5, 5 + sz[0], 5 + sz[1], cx + int(40 * std::cos(pa)), cy - int(40 * std::sin(pa)),
                     cx + int(40 * std::cos(pb)), cy - int(40 * std::sin(pb)));
        ++pies;
        for (int y = 1; y < 59; ++y)
          for (int x = 1; x < 59; ++x) {
            if (p.Canvas.Pixels(x, y) != clRed) continue;
            for (const auto& d : {std::pair(1, 0), std::pair(-1, 0), std::pair(0, 1), std::pair(0, -1)})
              ASSERT_NE(p.Canvas.Pixels(x + d.first, y + d.second), clWhite)
                  << sz[0] << " x " << sz[1] << ", rays " << a << " " << b << ": fill (" << x << ", " << y << ")";
          }
      }
  EXPECT_EQ(pies, 6 * 16 * 15);
}

// Rays through opposite corners of the box run through its centre: the pie between them is half the
// ellipse, the same pixels as the chord. (The rays used to start half a pixel off the centre, so the
// pie had a kink and differed from the chord.)
TEST(TCanvasShapes, APieBetweenOppositeCornersIsTheChordsHalf) {
  for (TPenStyle pen : {psSolid, psClear}) {
    Paper pie(120, 110), chord(120, 110), other(120, 110);
    for (Paper* p : {&pie, &chord, &other}) {
      p->Canvas.Pen()->SetStyle(pen);
      p->Canvas.Brush()->SetColor(clRed);
    }
    pie.Canvas.Pie(10, 10, 110, 100, 110, 10, 10, 100);
    chord.Canvas.Chord(10, 10, 110, 100, 110, 10, 10, 100);
    other.Canvas.Pie(10, 10, 110, 100, 10, 100, 110, 10);
    EXPECT_EQ(pie.Pixels, chord.Pixels) << pen;
    int upper = 0, lower = 0;
    for (size_t i = 0; i < pie.Pixels.size(); ++i) {
      upper += pie.Pixels[i] == 0xFFFF0000u;
      lower += other.Pixels[i] == 0xFFFF0000u;
    }
    // The two halves of one ellipse (a clear pen fills one pixel short on the right and bottom).
    if (pen == psSolid) {
      EXPECT_NEAR(upper, lower, 3);
    }
  }
}

TEST(TCanvasShapes, FilledEllipseFillsInsideItsOutline) {
  Paper p;
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.Ellipse(5, 5, 25, 15);
  EXPECT_EQ(p.Canvas.Pixels(15, 10), clRed);
  EXPECT_EQ(p.Canvas.Pixels(5, 10), clBlack);
  EXPECT_EQ(p.Canvas.Pixels(24, 10), clBlack);
  EXPECT_EQ(p.Canvas.Pixels(25, 10), clWhite);
  EXPECT_EQ(p.Canvas.Pixels(15, 5), clBlack);
  EXPECT_EQ(p.Canvas.Pixels(15, 14), clBlack);
  EXPECT_EQ(p.Canvas.Pixels(5, 5), clWhite);
}

TEST(TCanvasShapes, RoundRectCutsTheCorners) {
  Paper p;
  p.Canvas.Brush()->SetStyle(bsClear);
  p.Canvas.RoundRect(0, 0, 10, 6, 4, 4);
  EXPECT_EQ(p.Art(0, 0, 11, 7),
            ".########..\n"
            "#........#.\n"
            "#........#.\n"
            "#........#.\n"
            "#........#.\n"
            ".########..\n"
            "...........\n");
}

TEST(TCanvasShapes, ArcsRunCounterClockwiseFromStartToEndRay) {
  // Start ray to the right (a hair below), end ray upwards (a hair left): the upper-right quarter
  // only. Rays run from the box's centre, the lattice point (10.5, 10.5).
  Paper p;
  p.Canvas.Arc(0, 0, 21, 21, 30, 11, 10, -5);
  EXPECT_TRUE(p.Ink(20, 10));
  EXPECT_TRUE(p.Ink(10, 0));
  EXPECT_TRUE(p.Ink(17, 3));
  EXPECT_FALSE(p.Ink(3, 3));
  EXPECT_FALSE(p.Ink(17, 17));
  EXPECT_FALSE(p.Ink(3, 17));
  // Swapped rays: the other three quarters.
  Paper q;
  q.Canvas.Arc(0, 0, 21, 21, 10, -5, 30, 11);
  EXPECT_FALSE(q.Ink(17, 3));
  EXPECT_TRUE(q.Ink(3, 3));
  EXPECT_TRUE(q.Ink(17, 17));
  EXPECT_TRUE(q.Ink(3, 17));
}

TEST(TCanvasShapes, EqualRaysDrawTheWholeEllipse) {
  Paper a, b;
  a.Canvas.Arc(2, 3, 30, 25, 40, 15, 88, 17);  // both on one ray from the box's centre (16, 14)
  b.Canvas.Brush()->SetStyle(bsClear);
  b.Canvas.Ellipse(2, 3, 30, 25);
  EXPECT_EQ(a.Pixels, b.Pixels);
}

TEST(TCanvasShapes, PieFillsTheSectorAndChordTheSegment) {
  Paper pie, chord;
  pie.Canvas.Brush()->SetColor(clRed);
  pie.Canvas.Pie(0, 0, 21, 21, 30, 11, 10, -5);  // upper-right quarter
  EXPECT_EQ(pie.Canvas.Pixels(14, 6), clRed);
  EXPECT_EQ(pie.Canvas.Pixels(6, 14), clWhite);
  EXPECT_EQ(pie.Canvas.Pixels(6, 6), clWhite);
  EXPECT_EQ(pie.Canvas.Pixels(15, 10), clBlack) << "radius to the start";
  chord.Canvas.Brush()->SetColor(clRed);
  chord.Canvas.Chord(0, 0, 21, 21, 30, 11, 10, -5);
  EXPECT_EQ(chord.Canvas.Pixels(17, 4), clRed);
  EXPECT_EQ(chord.Canvas.Pixels(12, 8), clWhite) << "centre side of the chord";
  EXPECT_EQ(chord.Canvas.Pixels(15, 5), clBlack) << "on the chord";
}

TEST(TCanvasShapes, PolygonAlternateLeavesTheStarCentreEmptyWindingFillsIt) {
  const std::vector<TPoint> star{{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
  Paper alt, wind;
  for (Paper* p : {&alt, &wind}) {
    p->Canvas.Pen()->SetStyle(psClear);
    p->Canvas.Brush()->SetColor(clRed);
  }
  wind.Canvas.SetPolyFillMode(fmWinding);
  alt.Canvas.Polygon(star);
  wind.Canvas.Polygon(star);
  EXPECT_EQ(alt.Canvas.Pixels(20, 20), clWhite);
  EXPECT_EQ(wind.Canvas.Pixels(20, 20), clRed);
  EXPECT_EQ(alt.Canvas.Pixels(20, 6), clRed);
}

TEST(TCanvasShapes, PolygonFillFollowsTheTopLeftRule) {
  Paper p;
  p.Canvas.Pen()->SetStyle(psClear);
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.Polygon({{2, 2}, {6, 2}, {6, 5}, {2, 5}});
  EXPECT_EQ(p.Art(0, 0, 8, 7),
            "........\n"
            "........\n"
            "..####..\n"
            "..####..\n"
            "..####..\n"
            "........\n"
            "........\n");
  p.Canvas.Pen()->SetStyle(psSolid);
  p.Canvas.Polygon({{2, 2}, {6, 2}, {6, 5}, {2, 5}});
  EXPECT_TRUE(p.Ink(6, 5)) << "the outline closes through every vertex";
}

TEST(TCanvasShapes, HatchBrushesPaintAnEightByEightPattern) {
  Paper p(16, 16);
  p.Canvas.Pen()->SetStyle(psClear);
  p.Canvas.Brush()->SetStyle(bsCross);
  p.Canvas.Brush()->SetColor(clBlack);
  p.Canvas.FillRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(p.Art(0, 0, 9, 2), "#########\n#.......#\n");
  EXPECT_EQ(p.Count(), 2 * 16 + 2 * 16 - 4);
  Paper q(16, 16);  // the pattern starts at the canvas origin, so an offset canvas looks the same
  q.Canvas.SetOrigin(Point(3, 5));
  q.Canvas.Brush()->SetStyle(bsCross);
  q.Canvas.Brush()->SetColor(clBlack);
  q.Canvas.FillRect(Rect(0, 0, 9, 2));
  EXPECT_EQ(q.Art(3, 5, 12, 7), "#########\n#.......#\n");
}

TEST(TCanvasModes, PenMixesOnRgbBits) {
  const uint32_t d = 0x00F0CC, pen = 0x0FAAAA;  // TColor values
  struct Case {
    TPenMode mode;
    uint32_t result;
  } cases[] = {
      {pmBlack, 0},           {pmWhite, 0xFFFFFF},           {pmNop, d},
      {pmNot, ~d},            {pmCopy, pen},                 {pmNotCopy, ~pen},
      {pmMergePenNot, pen | ~d}, {pmMaskPenNot, pen & ~d},   {pmMergeNotPen, ~pen | d},
      {pmMaskNotPen, ~pen & d}, {pmMerge, pen | d},          {pmNotMerge, ~(pen | d)},
      {pmMask, pen & d},      {pmNotMask, ~(pen & d)},       {pmXor, pen ^ d},
      {pmNotXor, ~(pen ^ d)},
  };
  for (const Case& c : cases) {
    Paper p(4, 4);
    p.Canvas.SetPixels(1, 1, TColor(d));
    p.Canvas.Pen()->SetColor(TColor(pen));
    p.Canvas.Pen()->SetMode(c.mode);
    p.Canvas.MoveTo(1, 1);
    p.Canvas.LineTo(2, 1);
    EXPECT_EQ(uint32_t(p.Canvas.Pixels(1, 1)), c.result & 0xFFFFFF) << int(c.mode);
  }
}

TEST(TCanvasModes, XorDrawnTwiceRestoresThePictureBitForBit) {
  Paper p, original;
  Scribble(p);
  original.Pixels = p.Pixels;
  auto draw = [](TCanvas& c) {
    c.Pen()->SetMode(pmXor);
    c.Pen()->SetColor(clWhite);
    c.Brush()->SetStyle(bsClear);
    c.Rectangle(3, 4, 30, 25);
    c.MoveTo(0, 0);
    c.LineTo(39, 17);
    c.Ellipse(5, 5, 35, 30);
    c.Pen()->SetWidth(5);
    c.Polyline({{2, 30}, {20, 10}, {38, 30}, {20, 38}});
    c.Pen()->SetWidth(1);
    c.Brush()->SetColor(clAqua);
    c.Polygon({{10, 10}, {30, 12}, {12, 33}});
    c.Brush()->SetStyle(bsClear);
  };
  draw(p.Canvas);
  EXPECT_NE(p.Pixels, original.Pixels);
  draw(p.Canvas);
  EXPECT_EQ(p.Pixels, original.Pixels);
}

TEST(TCanvasPixels, OutsideTheClipReadsMinusOneAndWritesNothing) {
  Paper p(10, 10);
  EXPECT_EQ(p.Canvas.Pixels(-1, 0), -1);
  EXPECT_EQ(p.Canvas.Pixels(10, 3), -1);
  p.Canvas.SetPixels(10, 3, clRed);
  p.Canvas.SetPixels(INT_MIN, INT_MAX, clRed);
  EXPECT_EQ(p.Count(), 0);
  p.Canvas.SetPixels(9, 9, clRed);
  EXPECT_EQ(p.Canvas.Pixels(9, 9), clRed);
}

TEST(TCanvasPixels, FloodFillStopsAtTheBorderAndStaysFourConnected) {
  Paper p(20, 20);
  p.Canvas.Brush()->SetStyle(bsClear);
  p.Canvas.Rectangle(2, 2, 12, 12);
  p.Canvas.MoveTo(12, 20);  // a diagonal line cuts off the corner: 4-connected fill does not pass it
  p.Canvas.LineTo(20, 12);
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.FloodFill(5, 5, clBlack, fsBorder);
  EXPECT_EQ(p.Canvas.Pixels(3, 3), clRed);
  EXPECT_EQ(p.Canvas.Pixels(10, 10), clRed);
  EXPECT_EQ(p.Canvas.Pixels(2, 2), clBlack);
  EXPECT_EQ(p.Canvas.Pixels(0, 0), clWhite);
  p.Canvas.Brush()->SetColor(clBlue);
  p.Canvas.FloodFill(0, 0, clWhite, fsSurface);
  EXPECT_EQ(p.Canvas.Pixels(13, 0), clBlue);
  EXPECT_EQ(p.Canvas.Pixels(19, 19), clWhite) << "behind the diagonal";
  EXPECT_EQ(p.Canvas.Pixels(5, 5), clRed);
  p.Canvas.FloodFill(5, 5, clBlack, fsSurface);  // start pixel does not match: nothing
  EXPECT_EQ(p.Canvas.Pixels(5, 5), clRed);
}

TEST(TCanvasPixels, FloodFillWithTheSurfaceColourTerminates) {
  Paper p(30, 30);
  p.Canvas.Brush()->SetColor(clWhite);
  p.Canvas.FloodFill(3, 3, clWhite, fsSurface);
  EXPECT_EQ(p.Count(), 0);
}

TEST(TCanvasClip, OriginAndClipMakeAnOffsetCanvas) {
  Paper p(30, 30);
  p.Canvas.SetOrigin(Point(10, 5));
  p.Canvas.SetClipRect(Rect(0, 0, 8, 8));
  EXPECT_EQ(p.Canvas.ClipRect(), Rect(0, 0, 8, 8));
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.Rectangle(-5, -5, 100, 100);
  EXPECT_EQ(p.Count(), 64);
  EXPECT_EQ(p.Canvas.Pixels(0, 0), clRed);
  EXPECT_EQ(p.Canvas.Pixels(-1, 0), -1);
  EXPECT_TRUE(p.Ink(10, 5));
  EXPECT_TRUE(p.Ink(17, 12));
  EXPECT_FALSE(p.Ink(18, 12));
  p.Canvas.SetClipRect(Rect(-100, -100, 1000, 1000));
  EXPECT_EQ(p.Canvas.ClipRect(), Rect(-10, -5, 20, 25));
}

TEST(TCanvasClip, TheClipLimitBoundsEveryClipRectangle) {
  Paper p(30, 30);
  p.Canvas.SetClipLimit(Rect(5, 5, 15, 15));  // the part of the surface that belongs to a control
  p.Canvas.SetOrigin(Point(5, 5));
  p.Canvas.SetClipRect(Rect(-100, -100, 100, 100));
  EXPECT_EQ(p.Canvas.ClipRect(), Rect(0, 0, 10, 10));
  p.Canvas.Brush()->SetColor(clRed);
  p.Canvas.FillRect(Rect(-50, -50, 50, 50));
  EXPECT_EQ(p.Count(), 100);
  p.Canvas.SetClipRect(Rect(2, 2, 4, 4));
  EXPECT_EQ(p.Canvas.ClipRect(), Rect(2, 2, 4, 4));
  p.Canvas.ResetClipRect();
  EXPECT_EQ(p.Canvas.ClipRect(), Rect(0, 0, 10, 10));
  p.Canvas.SetClipLimit(Rect(-10, 20, 100, 100));
  EXPECT_EQ(p.Canvas.ClipLimit(), Rect(0, 20, 30, 30));
}

TEST(TCanvasCopy, CopyModesFollowTheirTruthTables) {
  const uint32_t s = 0x33CC0F, d = 0x55AAF0, pat = 0x0F0F3C;
  struct Case {
    TCopyMode mode;
    uint32_t result;
  } cases[] = {
      {cmSrcCopy, s},          {cmSrcAnd, s & d},            {cmSrcPaint, s | d},
      {cmSrcInvert, s ^ d},    {cmDstInvert, ~d},            {cmBlackness, 0},
      {cmWhiteness, 0xFFFFFF}, {cmMergeCopy, pat & s},       {cmMergePaint, ~s | d},
      {cmNotSrcCopy, ~s},      {cmNotSrcErase, ~(s | d)},    {cmPatCopy, pat},
      {cmPatInvert, pat ^ d},  {cmPatPaint, pat | ~s | d},   {cmSrcErase, s & ~d},
  };
  for (const Case& c : cases) {
    Paper src(2, 2), dst(2, 2);
    src.Canvas.SetPixels(0, 0, TColor(s));
    dst.Canvas.SetPixels(0, 0, TColor(d));
    dst.Canvas.Brush()->SetColor(TColor(pat));
    dst.Canvas.SetCopyMode(c.mode);
    dst.Canvas.CopyRect(Rect(0, 0, 1, 1), &src.Canvas, Rect(0, 0, 1, 1));
    EXPECT_EQ(uint32_t(dst.Canvas.Pixels(0, 0)), c.result & 0xFFFFFF) << std::hex << c.mode;
  }
}

TEST(TCanvasCopy, StretchNearestDoublesEachPixel) {
  Paper src(2, 2), dst(6, 6);
  src.Canvas.SetPixels(0, 0, clRed);
  src.Canvas.SetPixels(1, 1, clBlue);
  dst.Canvas.CopyRect(Rect(1, 1, 5, 5), &src.Canvas, Rect(0, 0, 2, 2));
  EXPECT_EQ(dst.Canvas.Pixels(1, 1), clRed);
  EXPECT_EQ(dst.Canvas.Pixels(2, 2), clRed);
  EXPECT_EQ(dst.Canvas.Pixels(3, 2), clWhite);
  EXPECT_EQ(dst.Canvas.Pixels(4, 4), clBlue);
  EXPECT_EQ(dst.Canvas.Pixels(5, 5), clWhite);
}

TEST(TCanvasCopy, ReversedDestinationMirrors) {
  Paper src(3, 1), dst(3, 1);
  src.Canvas.SetPixels(0, 0, clRed);
  dst.Canvas.CopyRect(Rect(3, 0, 0, 1), &src.Canvas, Rect(0, 0, 3, 1));
  EXPECT_EQ(dst.Canvas.Pixels(2, 0), clRed);
  EXPECT_EQ(dst.Canvas.Pixels(0, 0), clWhite);
}

TEST(TCanvasCopy, HalftoneAveragesTheCoveredArea) {
  Paper src(4, 2), dst(2, 1);
  src.Canvas.Brush()->SetColor(clBlack);
  src.Canvas.FillRect(Rect(0, 0, 1, 2));  // left column of the first 2x2 block black
  dst.Canvas.SetStretchMode(HALFTONE);
  dst.Canvas.CopyRect(Rect(0, 0, 2, 1), &src.Canvas, Rect(0, 0, 4, 2));
  EXPECT_EQ(dst.Canvas.Pixels(0, 0), RGB(128, 128, 128));
  EXPECT_EQ(dst.Canvas.Pixels(1, 0), clWhite);
}

TEST(TCanvasCopy, OverlappingCopyOnOneCanvasReadsTheOldPixels) {
  Paper p(6, 1);
  for (int x = 0; x < 6; ++x) p.Canvas.SetPixels(x, 0, RGB(uint8_t(x), 0, 0));
  p.Canvas.CopyRect(Rect(1, 0, 6, 1), &p.Canvas, Rect(0, 0, 5, 1));
  for (int x = 1; x < 6; ++x) EXPECT_EQ(p.Canvas.Pixels(x, 0), RGB(uint8_t(x - 1), 0, 0));
}

TEST(TCanvasCopy, WithoutASurfaceNothingIsDrawnAndNothingFails) {
  TCanvas c;
  c.Rectangle(0, 0, 10, 10);
  c.LineTo(5, 5);
  c.FloodFill(1, 1, clBlack, fsBorder);
  EXPECT_EQ(c.Pixels(0, 0), -1);
  Paper p(3, 3);
  p.Canvas.CopyRect(Rect(0, 0, 3, 3), &c, Rect(0, 0, 3, 3));
  EXPECT_EQ(p.Count(), 0);
}

TEST(TCanvas, DeviceCapsOfTheScreen) {
  Paper p(30, 20);
  EXPECT_EQ(GetDeviceCaps(&p.Canvas, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(&p.Canvas, ASPECTX), 36);
  EXPECT_EQ(GetDeviceCaps(&p.Canvas, ASPECTY), 36);
  EXPECT_EQ(GetDeviceCaps(&p.Canvas, HORZRES), 30);
  EXPECT_EQ(GetDeviceCaps(&p.Canvas, VERTRES), 20);
  EXPECT_EQ(GetDeviceCaps(&p.Canvas, 12345), 0);
}

// [SECTION] direct paths

namespace {

// One random scene: shapes, lines and copies with random pens, brushes, modes, clips and origins,
// drawn onto a scribbled paper (and copies from a second paper and from the paper itself).
void DrawRandomScene(Paper& p, const Paper& other, uint32_t seed) {
  std::mt19937 gen(seed);
  auto coord = [&](int size) { return static_cast<int>(gen() % (size + 24)) - 12; };
  const TPenStyle styles[] = {psSolid, psSolid, psClear, psInsideFrame, psDash, psDot};
  const TPenMode modes[] = {pmCopy, pmCopy, pmXor, pmNot, pmMerge, pmMaskPenNot};
  const TBrushStyle brushes[] = {bsSolid, bsSolid, bsClear, bsCross, bsBDiagonal};
  const TCopyMode copies[] = {cmSrcCopy, cmSrcCopy, cmSrcInvert, cmSrcAnd, cmPatCopy, cmDstInvert};
  TCanvas& c = p.Canvas;
  for (int k = 0; k < 12; ++k) {
    c.Pen()->SetStyle(styles[gen() % std::size(styles)]);
    c.Pen()->SetMode(modes[gen() % std::size(modes)]);
    c.Pen()->SetWidth(gen() % 5 == 0 ? 3 : 1);
    c.Pen()->SetColor(static_cast<TColor>(gen() & 0xFFFFFF));
    c.Brush()->SetColor(static_cast<TColor>(gen() & 0xFFFFFF));
    c.Brush()->SetStyle(brushes[gen() % std::size(brushes)]);
    c.SetCopyMode(copies[gen() % std::size(copies)]);
    c.SetOrigin(Point(static_cast<int>(gen() % 7) - 3, static_cast<int>(gen() % 7) - 3));
    c.SetClipRect(gen() % 2 ? Rect(coord(p.W), coord(p.H), coord(p.W), coord(p.H)) : Rect(-50, -50, 500, 500));
    const int x1 = coord(p.W), y1 = coord(p.H), x2 = coord(p.W), y2 = coord(p.H);
    switch (gen() % 9) {
      case 0: c.Rectangle(x1, y1, x2, y2); break;
      case 1: c.Ellipse(x1, y1, x2, y2); break;
      case 2: c.RoundRect(x1, y1, x2, y2, static_cast<int>(gen() % 12), static_cast<int>(gen() % 12)); break;
      case 3:
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
        c.LineTo(gen() % 2 ? coord(p.W) : x2, gen() % 2 ? coord(p.H) : y2);  // rows and columns too
        break;
      case 4: c.CopyRect(Rect(x1, y1, x1 + x2 / 2, y1 + y2 / 2), const_cast<TCanvas*>(&other.Canvas), Rect(x2, y2, x2 + x2 / 2, y2 + y2 / 2)); break;
      case 5: c.CopyRect(Rect(x1, y1, x1 + 20, y1 + 15), &c, Rect(x2, y2, x2 + 20, y2 + 15)); break;
      case 6: c.Pie(x1, y1, x2, y2, coord(p.W), coord(p.H), coord(p.W), coord(p.H)); break;
      case 7: c.Chord(x1, y1, x2, y2, coord(p.W), coord(p.H), coord(p.W), coord(p.H)); break;
      default: c.FillRect(Rect(x1, y1, x2, y2)); break;
    }
  }
}

}  // namespace

TEST(TCanvasDirectPaths, EqualTheGeneralPathsOnRandomScenes) {
  // Rectangles as blocks, round shapes in one walk, solid lines by address steps, unscaled copies by
  // rows and the rows of pie and chord fills as runs, against the general paths, pixel for pixel.
  Paper other(37, 29);
  Scribble(other);
  for (uint32_t seed = 0; seed < 3000; ++seed) {
    Paper direct(41, 33), general(41, 33);
    Scribble(direct);
    Scribble(general);
    DrawRandomScene(direct, other, seed);
    const bool saved = platform_detail::SetDirectPaths(false);
    DrawRandomScene(general, other, seed);
    platform_detail::SetDirectPaths(saved);
    ASSERT_EQ(direct.Pixels, general.Pixels) << "scene " << seed;
  }
}

TEST(TCanvasDirectPaths, ColourRectanglesFillAsFillRectWithEachColour) {
  // Boxes in any corner order, off the surface, one pixel or empty, under random clips and origins,
  // in system colours too: the batch equals the plain brush-and-FillRect calls pixel for pixel.
  for (uint32_t seed = 0; seed < 500; ++seed) {
    std::mt19937 gen(seed);
    auto coord = [&](int size) { return static_cast<int>(gen() % (size + 24)) - 12; };
    std::vector<TColorRect> rects(gen() % 40);
    const TColor colours[] = {clRed, clBtnFace, 0x123456, clBlack, clWindow};
    for (TColorRect& r : rects) {
      const int x = coord(41), y = coord(33);
      r.Rect = gen() % 4 ? Rect(x, y, x + static_cast<int>(gen() % 5) - 1, y + static_cast<int>(gen() % 5) - 1)
                         : Rect(x, y, coord(41), coord(33));
      r.Color = gen() % 3 ? static_cast<TColor>(gen() & 0xFFFFFF) : colours[gen() % std::size(colours)];
    }
    if (!rects.empty() && gen() % 2) rects.back().Rect = Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    Paper direct(41, 33), plain(41, 33);
    Scribble(direct);
    Scribble(plain);
    const TPoint origin = Point(static_cast<int>(gen() % 7) - 3, static_cast<int>(gen() % 7) - 3);
    const TRect clip = Rect(coord(41), coord(33), coord(41), coord(33));
    for (Paper* p : {&direct, &plain}) {
      p->Canvas.SetOrigin(origin);
      p->Canvas.SetClipRect(clip);
      p->Canvas.Brush()->SetColor(clAqua);
      p->Canvas.Brush()->SetStyle(bsCross);
    }
    FillColorRects(direct.Canvas, rects);
    for (const TColorRect& r : rects) {
      plain.Canvas.Brush()->SetColor(r.Color);
      plain.Canvas.Brush()->SetStyle(bsSolid);
      plain.Canvas.FillRect(r.Rect);
    }
    ASSERT_EQ(direct.Pixels, plain.Pixels) << "seed " << seed;
    EXPECT_EQ(direct.Canvas.Brush()->Color(), clAqua);
    EXPECT_EQ(direct.Canvas.Brush()->Style(), bsCross);
  }
}

TEST(TCanvasDirectPaths, ColourRectanglesOnATracedCanvasAreTheirFillRects) {
  Paper traced, general;
  TCanvasTrace trace;
  traced.Canvas.SetTrace(&trace);
  const std::vector<TColorRect> rects = {{Rect(1, 1, 5, 5), clRed}, {Rect(9, 2, 3, 7), clBlue}, {Rect(4, 4, 5, 5), clRed}};
  FillColorRects(traced.Canvas, rects);
  EXPECT_EQ(trace.Count("FillRect"), 3);
  EXPECT_EQ(trace.Find("FillRect")[1].Args, (std::vector<int64_t>{9, 2, 3, 7}));
  const bool saved = platform_detail::SetDirectPaths(false);
  FillColorRects(general.Canvas, rects);
  platform_detail::SetDirectPaths(saved);
  Paper direct;
  FillColorRects(direct.Canvas, rects);
  EXPECT_EQ(traced.Pixels, direct.Pixels);
  EXPECT_EQ(general.Pixels, direct.Pixels);
  EXPECT_EQ(direct.Count(), 4 * 4 + 6 * 5 - 2 * 3);  // the first two boxes share columns 3..4 of rows 2..4
  EXPECT_EQ(direct.Canvas.Pixels(4, 4), clRed);
  EXPECT_EQ(direct.Canvas.Pixels(3, 2), clBlue);
}

TEST(TCanvasDirectPaths, APixelRowEqualsSetPixelsOneByOne) {
  // Rows starting left of, inside and beyond the surface, under random clips and origins, with runs
  // of one colour and system colours: the row equals SetPixels pixel by pixel; a traced canvas
  // records those calls.
  for (uint32_t seed = 0; seed < 300; ++seed) {
    std::mt19937 gen(seed);
    auto coord = [&](int size) { return static_cast<int>(gen() % (size + 24)) - 12; };
    std::vector<TColor> row(gen() % 60);
    for (TColor& c : row) c = gen() % 3 == 0 ? clBtnFace : static_cast<TColor>(gen() % 4 * 0x102030);
    Paper direct(41, 33), plain(41, 33);
    Scribble(direct);
    Scribble(plain);
    const TPoint origin = Point(static_cast<int>(gen() % 7) - 3, static_cast<int>(gen() % 7) - 3);
    const TRect clip = Rect(coord(41), coord(33), coord(41), coord(33));
    const int x = coord(41) - 20, y = coord(33);
    for (Paper* p : {&direct, &plain}) {
      p->Canvas.SetOrigin(origin);
      p->Canvas.SetClipRect(clip);
    }
    SetPixelRow(direct.Canvas, x, y, row);
    for (std::size_t i = 0; i < row.size(); ++i) plain.Canvas.SetPixels(x + static_cast<int>(i), y, row[i]);
    ASSERT_EQ(direct.Pixels, plain.Pixels) << "seed " << seed;
  }
  Paper traced;
  TCanvasTrace trace;
  traced.Canvas.SetTrace(&trace);
  const std::vector<TColor> row = {clRed, clRed, clBlue};
  SetPixelRow(traced.Canvas, 3, 4, row);
  EXPECT_EQ(trace.Count("Pixel"), 3);
  EXPECT_EQ(traced.Canvas.Pixels(5, 4), clBlue);
}
