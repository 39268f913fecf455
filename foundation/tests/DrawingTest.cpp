// Frame and marker drawing of Qelta_qeltabase, pixel for pixel.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Graphics.h"
#include "Printers.h"
#include "Qelta_qeltabase.h"

using namespace qelta;

namespace {

constexpr TColor kC1 = RGB(250, 0, 0), kC2 = RGB(0, 250, 0), kC3 = RGB(0, 0, 250), kC4 = RGB(250, 250, 0),
                 kC5 = RGB(0, 250, 250);

// Rows of the rectangle [x0, x1) x [y0, y1): each pixel as its character in `legend`, '.' for white and
// '?' for any other colour.
std::string Art(const TBitmap& b, int x0, int y0, int x1, int y1, const std::map<TColor, char>& legend) {
  std::string s;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const TColor c = b.Canvas()->Pixels(x, y);
      const auto it = legend.find(c);
      s += c == clWhite ? '.' : (it != legend.end() ? it->second : '?');
    }
    s += '\n';
  }
  return s;
}

std::string Rows(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) s += std::string(r) + "\n";
  return s;
}

const std::map<TColor, char> kFrameLegend = {{kC1, '1'}, {kC2, '2'}, {kC3, '3'}, {kC4, '4'}, {kC5, '5'}};
const std::map<TColor, char> kInk = {{clRed, '#'}};

// Bounding box of the non-white pixels relative to (cx, cy); Count = 0 when there is none.
struct InkBox {
  int MinX = 1 << 20, MinY = 1 << 20, MaxX = -(1 << 20), MaxY = -(1 << 20), Count = 0;
};
InkBox InkAround(const TBitmap& b, int cx, int cy) {
  InkBox box;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas()->Pixels(x, y) != clWhite) {
        box = {std::min(box.MinX, x - cx), std::min(box.MinY, y - cy), std::max(box.MaxX, x - cx),
               std::max(box.MaxY, y - cy), box.Count + 1};
      }
  return box;
}

// A 21x21 white bitmap with a red pen and a white solid brush, one mark drawn at its centre.
std::unique_ptr<TBitmap> OneMark(uint8_t mark) {
  auto b = std::make_unique<TBitmap>(21, 21);
  b->Canvas()->Pen()->SetColor(clRed);
  DrawMarkOnCanvas(b->Canvas(), mark, 10, 10);
  return b;
}

// The printer's canvas with a trace attached for the lifetime of the object; the pen is put back after.
struct PrinterTrace {
  PrinterTrace() { Printer()->Canvas()->SetTrace(&Trace); }
  ~PrinterTrace() {
    Printer()->Canvas()->SetTrace(nullptr);
    Printer()->Canvas()->Pen()->SetWidth(1);
    if (Printer()->Printing()) Printer()->Abort();
  }
  // Segments drawn as MoveTo/LineTo pairs: x0, y0, x1, y1 each.
  std::vector<std::vector<int64_t>> Segments() const {
    std::vector<std::vector<int64_t>> out;
    const auto& r = Trace.Records();
    for (size_t i = 0; i + 1 < r.size(); ++i)
      if (r[i].Op == "MoveTo" && r[i + 1].Op == "LineTo")
        out.push_back({r[i].Args[0], r[i].Args[1], r[i + 1].Args[0], r[i + 1].Args[1]});
    return out;
  }
  TCanvasTrace Trace;
};

}  // namespace

// --- frames ------------------------------------------------------------------------------------

TEST(DrawFrame, EmbossedCornersTakeHighlightTopLeftAndShadowBottomRight) {
  TBitmap b(30, 30);
  DrawFrame(b.Canvas(), fsEmbossed, 10, 10, 20, 20, kC1, kC2, kC3, kC4, kC5);
  EXPECT_EQ(b.Canvas()->Pixels(10, 10), kC1);
  EXPECT_EQ(b.Canvas()->Pixels(20, 20), kC3);
  EXPECT_EQ(b.Canvas()->Pixels(21, 21), clWhite);
}

TEST(DrawFrame, EveryStylePaintsItsPixels) {
  const struct {
    TFrameStyle Style;
    std::string Art;
  } cases[] = {
      {fsNone, Rows({"........", "........", "........", "........", "........", "........", "........"})},
      {fsSimple, Rows({"........", ".555555.", ".5....5.", ".5....5.", ".5....5.", ".555555.", "........"})},
      {fsLowered, Rows({"........", ".333333.", ".344441.", ".34..21.", ".322221.", ".111111.", "........"})},
      {fsRaised, Rows({"........", ".111111.", ".122224.", ".12..34.", ".133334.", ".444444.", "........"})},
      {fsEmbossed, Rows({"........", ".111111.", ".133333.", ".13..13.", ".111113.", ".333333.", "........"})},
      {fsEngraved, Rows({"........", ".333333.", ".311111.", ".31..31.", ".333331.", ".111111.", "........"})},
      {static_cast<TFrameStyle>(17), Rows({"........", "........", "........", "........", "........", "........",
                                           "........"})},
  };
  for (const auto& c : cases) {
    TBitmap b(8, 7);
    DrawFrame(b.Canvas(), c.Style, 1, 1, 6, 5, kC1, kC2, kC3, kC4, kC5);
    EXPECT_EQ(Art(b, 0, 0, 8, 7, kFrameLegend), c.Art) << "style " << int(c.Style);
  }
}

TEST(DrawFrame, LeavesThePenAtTheLastColourAndNoneTouchesNothing) {
  TCanvasTrace trace;
  TBitmap b(20, 20);
  b.Canvas()->SetTrace(&trace);
  DrawFrame(b.Canvas(), fsNone, 1, 1, 10, 10, kC1, kC2, kC3, kC4, kC5);
  EXPECT_TRUE(trace.Records().empty());
  DrawFrame(b.Canvas(), fsRaised, 1, 1, 10, 10, kC1, kC2, kC3, kC4, kC5);
  EXPECT_EQ(b.Canvas()->Pen()->Color(), kC3);
  trace.Clear();
  DrawFrame(b.Canvas(), fsSimple, 1, 1, 10, 10, kC1, kC2, kC3, kC4, kC5);
  ASSERT_EQ(trace.Count("Pen.Color"), 1);
  EXPECT_EQ(trace.Find("Pen.Color")[0].Args[0], kC5);
}

TEST(DrawRectangle, OutlinesBothCornersInclusiveWithTheCurrentPen) {
  TBitmap b(6, 5);
  TCanvasTrace trace;
  b.Canvas()->SetTrace(&trace);
  b.Canvas()->Pen()->SetColor(clRed);
  trace.Clear();
  DrawRectangle(b.Canvas(), 4, 3, 1, 1);  // reversed corners: the lines still meet
  EXPECT_EQ(Art(b, 0, 0, 6, 5, kInk), Rows({"......", ".####.", ".#..#.", ".####.", "......"}));
  EXPECT_EQ(trace.Count("Pen.Color"), 0);
}

// --- marks -------------------------------------------------------------------------------------

TEST(DrawMarkOnCanvas, PatternMarksPaintTheirBitsInThePenColour) {
  const struct {
    uint8_t Mark;
    std::string Art;
  } cases[] = {
      {1, Rows({".......", ".......", "...#...", "..###..", "...#...", ".......", "......."})},
      {2, Rows({".......", "...#...", "...#...", ".#####.", "...#...", "...#...", "......."})},
      {3, Rows({"...#...", "...#...", "...#...", "#######", "...#...", "...#...", "...#..."})},
      {4, Rows({".......", ".......", "..#.#..", "...#...", "..#.#..", ".......", "......."})},
      {5, Rows({".......", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "......."})},
      {6, Rows({"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"})},
      {18, Rows({"#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#"})},
      {25, Rows({"##...##", "###.###", ".#####.", "..###..", ".#####.", "###.###", "##...##"})},
  };
  for (const auto& c : cases) {
    // A pen mode must not matter: the pattern sets pixels.
    TBitmap b(21, 21);
    b.Canvas()->Pen()->SetColor(clRed);
    b.Canvas()->Pen()->SetMode(pmXor);
    DrawMarkOnCanvas(b.Canvas(), c.Mark, 10, 10);
    EXPECT_EQ(Art(b, 7, 7, 14, 14, kInk), c.Art) << "mark " << int(c.Mark);
    EXPECT_EQ(InkAround(b, 10, 10).Count, int(std::count(c.Art.begin(), c.Art.end(), '#'))) << int(c.Mark);
  }
}

TEST(DrawMarkOnCanvas, EveryShapeMarkCoversItsBox) {
  // Ink extent relative to the centre: min dx, min dy, max dx, max dy. Lines leave out their end pixel.
  const int boxes[52][4] = {
      {0, 0, 0, 0},    {-1, -1, 1, 1},  {-2, -2, 2, 2},  {-3, -3, 3, 3},  {-1, -1, 1, 1},  {-2, -2, 2, 2},
      {-3, -3, 3, 3},  {-1, -1, 1, 1},  {-2, -2, 2, 2},  {-3, -3, 3, 3},  {-1, -1, 1, 1},  {-2, -2, 2, 2},
      {-3, -3, 3, 3},  {-3, -3, 3, 3},  {-2, -2, 2, 2},  {-3, -3, 3, 3},  {-2, -2, 2, 2},  {-3, -3, 3, 3},
      {-3, -3, 3, 3},  {-3, -3, 3, 3},  {-2, 0, 2, 2},   {-3, 0, 3, 3},   {-2, -2, 2, 0},  {-3, -3, 3, 0},
      {-3, -3, 3, 3},  {-3, -3, 3, 3},  {-2, -2, 2, 2},  {-2, -2, 1, 1},  {-2, -2, 1, 1},  {-2, 0, 2, 2},
      {-3, 0, 3, 3},   {-2, 0, 2, 2},   {-3, 0, 3, 3},   {-4, -3, 4, 4},  {-4, -3, 4, 4},  {-4, -4, 4, 3},
      {-4, -4, 4, 3},  {-3, -7, 3, 0},  {-3, -2, 3, 2},  {-3, -3, 3, 3},  {-2, -2, 3, 2},  {-2, -2, 3, 2},
      {-3, -3, 4, 3},  {-3, -3, 4, 3},  {-3, -2, 2, 2},  {-3, -2, 2, 2},  {-4, -3, 3, 3},  {-4, -3, 3, 3},
      {-3, -3, 3, 3},  {-4, -4, 4, 4},  {-4, -4, 4, 4},  {-4, -4, 4, 4},
  };
  for (int mark = 0; mark < 52; ++mark) {
    const InkBox box = InkAround(*OneMark(uint8_t(mark)), 10, 10);
    EXPECT_EQ((std::vector<int>{box.MinX, box.MinY, box.MaxX, box.MaxY}),
              (std::vector<int>{boxes[mark][0], boxes[mark][1], boxes[mark][2], boxes[mark][3]}))
        << "mark " << mark;
  }
}

TEST(DrawMarkOnCanvas, ShapesOfNoteArePixelExact) {
  const struct {
    uint8_t Mark;
    std::string Art;  // 9x9 around the centre
  } cases[] = {
      {13, Rows({".........", "....#....", "...#.#...", "..#...#..", ".#..#..#.", "..#...#..", "...#.#...", "....#....",
                 "........."})},
      {19, Rows({".........", "....#....", "...#.#...", "..#...#..", ".#.....#.", "..#...#..", "...#.#...", "....#....",
                 "........."})},
      {10, Rows({".........", ".........", ".........", "...###...", "...#.#...", "...###...", ".........", ".........",
                 "........."})},
      {20, Rows({".........", ".........", ".........", ".........", "....#....", "...#.#...", "..#...#..", ".........",
                 "........."})},
      {9, Rows({".........", ".#######.", ".#######.", ".#######.", ".#######.", ".#######.", ".#######.", ".#######.",
                "........."})},
      {38, Rows({".........", ".........", ".#######.", "....#....", "....#....", "....#....", ".#######.", ".........",
                 "........."})},
  };
  for (const auto& c : cases) EXPECT_EQ(Art(*OneMark(c.Mark), 6, 6, 15, 15, kInk), c.Art) << "mark " << int(c.Mark);
}

TEST(DrawMarkOnCanvas, RestoresTheBrushColourOfEveryShapeMark) {
  for (int mark = 0; mark < 52; ++mark) {
    TBitmap b(21, 21);
    b.Canvas()->Pen()->SetColor(clBlue);
    b.Canvas()->Brush()->SetColor(clYellow);
    DrawMarkOnCanvas(b.Canvas(), uint8_t(mark), 10, 10);
    EXPECT_EQ(b.Canvas()->Brush()->Color(), clYellow) << "mark " << mark;
    EXPECT_EQ(b.Canvas()->Brush()->Style(), bsSolid) << "mark " << mark;
  }
}

TEST(DrawMarkOnCanvas, FilledShapesTakeThePenColourOpenShapesAClearBrush) {
  const struct {
    uint8_t Mark;
    const char* Shape;
    std::vector<std::string> BrushCalls;  // brush setter calls in order, the shape calls in between
    int64_t FirstValue;                   // value of the first brush call
  } cases[] = {
      {24, "Ellipse", {"Brush.Color", "Ellipse", "Brush.Color"}, clBlue},
      {9, "Rectangle", {"Brush.Color", "Rectangle", "Brush.Color"}, clBlue},
      {36, "Polygon", {"Brush.Color", "Polygon", "Brush.Color"}, clBlue},
      {17, "Ellipse", {"Brush.Style", "Ellipse", "Brush.Style", "Brush.Color"}, bsClear},
      {35, "Polygon", {"Brush.Style", "Polygon", "Brush.Style", "Brush.Color"}, bsClear},
      {48, "Rectangle", {"Brush.Style", "Rectangle", "Brush.Style", "Brush.Style", "Brush.Color"}, bsClear},
      {50, "LineTo", {"Brush.Style", "LineTo", "LineTo", "LineTo", "LineTo", "Brush.Color"}, bsSolid},
      {3, "Pixel", {"Pixel", "Pixel", "Pixel", "Pixel", "Pixel", "Pixel", "Pixel", "Pixel", "Pixel", "Pixel", "Pixel",
                    "Pixel", "Pixel", "Brush.Color"}, clYellow},
  };
  for (const auto& c : cases) {
    TBitmap b(21, 21);
    TCanvasTrace trace;
    b.Canvas()->Pen()->SetColor(clBlue);
    b.Canvas()->Brush()->SetColor(clYellow);
    b.Canvas()->SetTrace(&trace);
    DrawMarkOnCanvas(b.Canvas(), c.Mark, 10, 10);
    std::vector<std::string> calls;
    std::vector<int64_t> values;
    for (const auto& r : trace.Records())
      if (r.Op.rfind("Brush.", 0) == 0 || r.Op == c.Shape) {
        calls.push_back(r.Op);
        if (r.Op.rfind("Brush.", 0) == 0) values.push_back(r.Args[0]);
      }
    EXPECT_EQ(calls, c.BrushCalls) << "mark " << int(c.Mark);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.front(), c.FirstValue) << "mark " << int(c.Mark);
    EXPECT_EQ(values.back(), clYellow) << "mark " << int(c.Mark);
  }
}

TEST(DrawMarkOnCanvas, OpenShapesKeepTheBackgroundAndLeaveTheBrushSolid) {
  TBitmap b(21, 21);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(0, 0, 21, 21));
  c->Pen()->SetColor(clBlue);
  c->Brush()->SetColor(clLime);
  c->Brush()->SetStyle(bsBDiagonal);
  DrawMarkOnCanvas(c, 17, 10, 10);
  EXPECT_EQ(c->Pixels(10, 10), clRed);   // inside the open circle
  EXPECT_EQ(c->Pixels(7, 10), clBlue);   // on the outline
  EXPECT_EQ(c->Brush()->Style(), bsSolid);
  EXPECT_EQ(c->Brush()->Color(), clLime);
}

TEST(DrawMarkOnCanvas, CharacterMarksWriteTheirCharacterCentred) {
  const struct {
    uint8_t Mark;
    const char* Text;
  } cases[] = {{205, "5"}, {200, "0"}, {209, "9"}, {52, "4"}, {65, "A"}, {128, "\u20AC"}, {210, "\u00D2"},
               {255, "\u00FF"}};
  for (const auto& c : cases) {
    TBitmap b(40, 40);
    TCanvasTrace trace;
    b.Canvas()->SetTrace(&trace);
    DrawMarkOnCanvas(b.Canvas(), c.Mark, 20, 21);
    const auto out = trace.Find("TextOut");
    ASSERT_EQ(out.size(), 1u) << int(c.Mark);
    EXPECT_EQ(StringToUtf8(out[0].Text), c.Text) << int(c.Mark);
    const String text = U8(c.Text);
    EXPECT_EQ(out[0].Args, (std::vector<int64_t>{20 - b.Canvas()->TextWidth(text) / 2,
                                                 21 - b.Canvas()->TextHeight(text) / 2}))
        << int(c.Mark);
    EXPECT_EQ(trace.Count("Brush.Color"), 0) << int(c.Mark);
  }
}

TEST(DrawMarkOnCanvas, TheDigitCodesDrawLikeTheDigits) {
  auto pixels = [](uint8_t mark) {
    TBitmap b(30, 30);
    DrawMarkOnCanvas(b.Canvas(), mark, 15, 15);
    return b.SaveToBytes();
  };
  EXPECT_EQ(pixels(205), pixels(uint8_t('5')));
  EXPECT_EQ(pixels(204), pixels(52));
  EXPECT_NE(pixels(205), pixels(204));
}

// --- the printer path ----------------------------------------------------------------------------

TEST(DrawMarkOnCanvas, OnThePrinterPatternMarksAreLines) {
  const struct {
    uint8_t Mark;
    std::vector<std::vector<int64_t>> Segments;  // relative to the centre (100, 200)
  } cases[] = {
      {1, {{-2, 0, 2, 0}, {0, -2, 0, 2}}},
      {2, {{-3, 0, 3, 0}, {0, -3, 0, 3}}},
      {3, {{-4, 0, 4, 0}, {0, -4, 0, 4}}},
      {4, {{-2, -2, 2, 2}, {-2, 2, 2, -2}}},
      {5, {{-3, -3, 3, 3}, {-3, 3, 3, -3}}},
      {6, {{-4, -4, 4, 4}, {-4, 4, 4, -4}}},
      {25,
       {{-3, -3, 3, 3}, {-3, 3, 3, -3}, {-3, -2, 2, 3}, {-2, -3, 3, 2}, {-3, 2, 2, -3}, {-2, 3, 3, -2}}},
  };
  for (const auto& c : cases) {
    PrinterTrace p;
    DrawMarkOnCanvas(Printer()->Canvas(), c.Mark, 100, 200);
    auto expected = c.Segments;
    for (auto& s : expected) s = {s[0] + 100, s[1] + 200, s[2] + 100, s[3] + 200};
    EXPECT_EQ(p.Segments(), expected) << "mark " << int(c.Mark);
    EXPECT_EQ(p.Trace.Count("Pixel"), 0) << "mark " << int(c.Mark);
  }
}

TEST(DrawMarkOnCanvas, OnThePrinterTheCheckerboardIsDotsAsLines) {
  PrinterTrace p;
  Printer()->Canvas()->Pen()->SetWidth(4);
  DrawMarkOnCanvas(Printer()->Canvas(), 18, 100, 200);
  const auto segments = p.Segments();
  ASSERT_EQ(segments.size(), 25u);
  for (const auto& s : segments) {
    EXPECT_EQ(s[0], s[2]);  // a wide pen paints a round dot for a line to the same point
    EXPECT_EQ(s[1], s[3]);
    EXPECT_EQ((s[0] - 100 + s[1] - 200) % 2, 0);
  }
  EXPECT_EQ(p.Trace.Count("Pixel"), 0);
}

// Regression: with a one-pixel pen the printer's checkerboard drew lines from each point to itself,
// which paint nothing, so the mark vanished from printed pages.
TEST(DrawMarkOnCanvas, OnThePrinterTheCheckerboardShowsWithAThinPen) {
  PrinterTrace p;
  Printer()->BeginDoc();
  TCanvas* c = Printer()->Canvas();
  c->Pen()->SetColor(clRed);
  DrawMarkOnCanvas(c, 18, 100, 200);
  int dots = 0;
  for (int dy = -4; dy <= 4; ++dy)
    for (int dx = -4; dx <= 4; ++dx) {
      const bool on = c->Pixels(100 + dx, 200 + dy) == clRed;
      EXPECT_EQ(on, std::abs(dx) <= 3 && std::abs(dy) <= 3 && (dx + dy) % 2 == 0) << dx << "," << dy;
      dots += on;
    }
  EXPECT_EQ(dots, 25);
  c->Pen()->SetColor(clBlack);
}

TEST(DrawMarkOnCanvas, OnThePrinterShapeMarksDrawAsOnScreen) {
  PrinterTrace p;
  DrawMarkOnCanvas(Printer()->Canvas(), 24, 100, 200);
  EXPECT_EQ(p.Trace.Find("Ellipse").at(0).Args, (std::vector<int64_t>{97, 197, 104, 204}));
}

// --- marks as bitmaps ----------------------------------------------------------------------------

TEST(CreateMarkAsBitmap, SizeOnlyWidensTheMargin) {
  const struct {
    int Size, Side;
  } cases[] = {{-5, 7}, {0, 7}, {1, 9}, {10, 27}, {255, 517}, {256, 517}, {300, 517}, {INT32_MIN, 7}};
  for (const auto& c : cases) {
    const std::unique_ptr<TBitmap> b = CreateMarkAsBitmap(0, clRed, clYellow, c.Size);
    ASSERT_EQ(b->Width(), c.Side) << c.Size;
    ASSERT_EQ(b->Height(), c.Side) << c.Size;
    const int centre = (c.Side - 1) / 2;
    int red = 0, yellow = 0;
    for (int y = 0; y < c.Side; ++y)
      for (int x = 0; x < c.Side; ++x) {
        red += b->Canvas()->Pixels(x, y) == clRed;
        yellow += b->Canvas()->Pixels(x, y) == clYellow;
      }
    EXPECT_EQ(red, 1) << c.Size;
    EXPECT_EQ(yellow, c.Side * c.Side - 1) << c.Size;
    EXPECT_EQ(b->Canvas()->Pixels(centre, centre), clRed) << c.Size;
  }
}

TEST(CreateMarkAsBitmap, AFullMarkFillsTheSmallestBitmap) {
  const std::unique_ptr<TBitmap> b = CreateMarkAsBitmap(6, clRed, clWhite, -1);
  EXPECT_EQ(Art(*b, 0, 0, 7, 7, kInk), Rows({"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"}));
}

// Regression: character marks came out in the default font colour (black) whatever the mark colour.
TEST(CreateMarkAsBitmap, CharacterMarksTakeTheMarkColour) {
  const std::unique_ptr<TBitmap> b = CreateMarkAsBitmap('A', clRed, clWhite, 10);
  int inked = 0;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x) {
      const TColor c = b->Canvas()->Pixels(x, y);
      if (c == clWhite) continue;
      ++inked;
      EXPECT_EQ(GetRValue(c), 255) << x << "," << y;  // red blended over white keeps full red
    }
  EXPECT_GT(inked, 5);
}

// --- printing and fonts ----------------------------------------------------------------------------

TEST(PrintBitmap, CopiesUnscaledAsAPlainCopy) {
  TBitmap picture(3, 2);
  picture.Canvas()->SetPixels(0, 0, clRed);
  picture.Canvas()->SetPixels(2, 1, clBlue);
  PrinterTrace p;
  Printer()->BeginDoc();
  TCanvas* c = Printer()->Canvas();
  c->SetCopyMode(cmSrcAnd);
  c->Brush()->SetColor(clLime);
  c->FillRect(Rect(10, 20, 13, 22));
  PrintBitmap(&picture, 10, 20);
  EXPECT_EQ(c->Pixels(10, 20), clRed);
  EXPECT_EQ(c->Pixels(11, 20), clWhite);  // a plain copy, not an AND with the lime below
  EXPECT_EQ(c->Pixels(12, 21), clBlue);
  EXPECT_EQ(c->Pixels(13, 21), clWhite);  // nothing beyond the bitmap's own size
  EXPECT_EQ(c->Pixels(12, 22), clWhite);
  EXPECT_EQ(c->CopyMode(), cmSrcAnd);
  c->SetCopyMode(cmSrcCopy);
  c->Brush()->SetColor(clWhite);
}

TEST(PrintBitmap, NothingHappensWithoutABitmapOrADocument) {
  TBitmap picture(3, 2);
  PrintBitmap(nullptr, 0, 0);
  PrintBitmap(&picture, 0, 0);  // no document: no page to draw on
  PrinterTrace p;
  Printer()->BeginDoc();
  PrintBitmap(&picture, INT32_MAX - 1, INT32_MAX);  // far off the page, no overflow
  EXPECT_EQ(Printer()->Canvas()->CopyMode(), cmSrcCopy);
}

TEST(SetCanvasFontSizeScaled, GivesThePixelHeightOfTheScreen) {
  const struct {
    int Density, Size, Height;
  } cases[] = {{96, 8, -11}, {600, 8, -11}, {150, 12, -16}, {72, 10, -13}};
  for (const auto& c : cases) {
    TBitmap b(1, 1);
    b.Canvas()->Font()->SetPixelsPerInch(c.Density);
    SetCanvasFontSizeScaled(b.Canvas(), c.Size);
    EXPECT_EQ(b.Canvas()->Font()->Height(), c.Height) << c.Density;
    EXPECT_EQ(b.Canvas()->Font()->PixelsPerInch(), c.Density);
  }
}

TEST(FontIsTrueType, AnswersForInstalledAndMappedNames) {
  for (const char16_t* name : {u"DejaVu Sans", u"dejavu sans mono", u"Arial", u"Times New Roman", u"Courier New"})
    EXPECT_TRUE(FontIsTrueType(name)) << StringToUtf8(name);
}

TEST(FontIsTrueType, RaisesForAnUnknownName) {
  EXPECT_THROW_MSG(FontIsTrueType(u"No Such Font 42"), EQeltaError, "FontIsTrueType: unknown font \"No Such Font 42\"");
  EXPECT_THROW_MSG(FontIsTrueType(u""), EQeltaError, "FontIsTrueType: unknown font \"\"");
}

TEST(Drawing, NullCanvasDrawsNothing) {
  DrawFrame(nullptr, fsRaised, 0, 0, 5, 5, kC1, kC2, kC3, kC4, kC5);
  DrawRectangle(nullptr, 0, 0, 5, 5);
  for (int mark : {0, 3, 24, 65, 205}) DrawMarkOnCanvas(nullptr, uint8_t(mark), 0, 0);
  SetCanvasFontSizeScaled(nullptr, 8);
  SUCCEED();
}

TEST(DrawMarkOnCanvas, ExtremeCoordinatesAreClippedNotWrapped) {
  TBitmap b(10, 10);
  for (int mark : {3, 9, 17, 25, 37, 50, 65})
    for (int at : {INT32_MIN, INT32_MAX}) DrawMarkOnCanvas(b.Canvas(), uint8_t(mark), at, at);
  EXPECT_EQ(InkAround(b, 0, 0).Count, 0);
}
