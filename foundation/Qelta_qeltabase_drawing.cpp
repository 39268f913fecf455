// Frame and marker drawing of Qelta_qeltabase.
//
// Frames: the bevels are two nested L pairs drawn with MoveTo/LineTo, so each LineTo leaves out its end
// pixel and the next L starts where the previous one stopped; BevelOf gives which of the five colours
// each L takes per style.
//
// Marks: kMarks holds one small drawing routine per shape mark 0..51, all relative to the centre. Shapes
// come in two fills: filled = brush colour set to the pen colour, drawn with the current brush style;
// open = brush style clear, shape, brush style solid. The crosses, the checkerboard and the heavy cross
// are 7x7 bit patterns (kPatterns: one byte per row from the top, the bit of value 64 the left column
// x-3) painted pixel by pixel in the pen colour; on the printer's canvas they are drawn with lines
// instead.
//
// Deliberate deviations from the classic routines:
// - The printer's checkerboard (mark 18) draws each dot as a one-pixel line where the pen is one pixel
//   wide: a line from a point to itself paints nothing with such a pen, and the mark would vanish.
// - CreateMarkAsBitmap sets the font colour as well as the pen colour to the mark colour, so that a
//   character mark comes out in the colour asked for instead of the default font colour.
// - FontIsTrueType counts an installed family that is not scalable as not TrueType even though the font
//   engine would draw it from a scalable fallback face.

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "Encoding.h"
#include "FontEngine.h"
#include "Graphics.h"
#include "Math.h"
#include "Printers.h"
#include "Qelta_qeltabase.h"
#include "Screen.h"

namespace qelta {
namespace {

// v + d kept inside the coordinate range: shapes at its very end are cut, never wrapped around.
int Shift(int v, int d) { return SaturateToInt(int64_t(v) + d); }

// [SECTION] Frames

// Colour numbers (1..5) of the four L shapes: outer upper-left, outer lower-right, inner upper-left,
// inner lower-right.
struct BevelColours {
  int A, B, C, D;
};

BevelColours BevelOf(TFrameStyle style) {
  switch (style) {
    case fsLowered: return {3, 1, 4, 2};
    case fsRaised: return {1, 4, 2, 3};
    case fsEmbossed: return {1, 3, 3, 1};
    case fsEngraved: return {3, 1, 1, 3};
    default: return {0, 0, 0, 0};
  }
}

// Two lines through three points in the given pen colour.
void DrawL(TCanvas* c, TColor color, TPoint a, TPoint b, TPoint e) {
  c->Pen()->SetColor(color);
  c->MoveTo(a.X, a.Y);
  c->LineTo(b.X, b.Y);
  c->LineTo(e.X, e.Y);
}

void DrawBevel(TCanvas* c, const BevelColours& k, const TColor (&colors)[6], int l, int t, int r, int b) {
  DrawL(c, colors[k.A], {l, b}, {l, t}, {Shift(r, 1), t});
  DrawL(c, colors[k.B], {r, Shift(t, 1)}, {r, b}, {Shift(l, -1), b});
  DrawL(c, colors[k.C], {Shift(l, 1), Shift(b, -1)}, {Shift(l, 1), Shift(t, 1)}, {r, Shift(t, 1)});
  DrawL(c, colors[k.D], {Shift(r, -1), Shift(t, 2)}, {Shift(r, -1), Shift(b, -1)}, {l, Shift(b, -1)});
}

// [SECTION] Mark painter

enum Fill { Open, Filled };

// The 7x7 pattern marks, rows from the top.
struct Pattern {
  uint8_t Mark;
  uint8_t Rows[7];
};
constexpr Pattern kPatterns[] = {
    {1, {0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00}}, {2, {0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00}},
    {3, {0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08}}, {4, {0x00, 0x00, 0x14, 0x08, 0x14, 0x00, 0x00}},
    {5, {0x00, 0x22, 0x14, 0x08, 0x14, 0x22, 0x00}}, {6, {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41}},
    {18, {0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55}}, {25, {0x63, 0x77, 0x3E, 0x1C, 0x3E, 0x77, 0x63}},
};

// Draws on one canvas relative to the mark's centre (X, Y).
struct MarkPen {
  TCanvas* C;
  int X, Y;
  bool OnPrinter;

  TPoint At(int dx, int dy) const { return {Shift(X, dx), Shift(Y, dy)}; }
  void MoveTo(TPoint d) const {
    const TPoint p = At(d.X, d.Y);
    C->MoveTo(p.X, p.Y);
  }
  void LineTo(TPoint d) const {
    const TPoint p = At(d.X, d.Y);
    C->LineTo(p.X, p.Y);
  }
  void Dot(int dx, int dy) const {
    const TPoint p = At(dx, dy);
    C->SetPixels(p.X, p.Y, C->Pen()->Color());
  }

  // Separate lines, each from its first to its second point.
  void Lines(std::initializer_list<TPoint> ends) const {
    for (auto p = ends.begin(); p != ends.end() && p + 1 != ends.end(); p += 2) {
      MoveTo(p[0]);
      LineTo(p[1]);
    }
  }

  // One line from point to point, back to the first.
  void Closed(std::initializer_list<TPoint> pts) const {
    MoveTo(*pts.begin());
    for (auto p = pts.begin() + 1; p != pts.end(); ++p) LineTo(*p);
    LineTo(*pts.begin());
  }

  void Begin(Fill fill) const {
    if (fill == Filled) C->Brush()->SetColor(C->Pen()->Color());
    else C->Brush()->SetStyle(bsClear);
  }
  void End(Fill fill) const {
    if (fill == Open) C->Brush()->SetStyle(bsSolid);
  }

  void Rect(Fill fill, int x1, int y1, int x2, int y2) const {
    Begin(fill);
    C->Rectangle(Shift(X, x1), Shift(Y, y1), Shift(X, x2), Shift(Y, y2));
    End(fill);
  }
  void Circle(Fill fill, int x1, int y1, int x2, int y2) const {
    Begin(fill);
    C->Ellipse(Shift(X, x1), Shift(Y, y1), Shift(X, x2), Shift(Y, y2));
    End(fill);
  }
  void Poly(Fill fill, std::initializer_list<TPoint> pts) const {
    assert(pts.size() <= 4 && "mark polygons have three or four corners");
    TPoint at[4];
    int n = 0;
    for (const TPoint& p : pts) at[n++] = At(p.X, p.Y);
    Begin(fill);
    C->Polygon(std::span<const TPoint>(at, n));
    End(fill);
  }
  void SolidBrush() const { C->Brush()->SetStyle(bsSolid); }

  void PatternMark(int mark) const;
};

void PaintPattern(const MarkPen& m, const Pattern& p) {
  for (int i = 1; i <= 7; ++i)
    for (int j = 1; j <= 7; ++j)
      if (p.Rows[i - 1] & (1 << (j - 1))) m.Dot(4 - j, i - 4);
}

// The printer's checkerboard: a dot at each position of the 7x7 block whose offsets have an even sum.
void PrintCheckerboard(const MarkPen& m) {
  const int reach = std::max(1, m.C->Pen()->Width()) > 1 ? 0 : 1;
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      if ((dx + dy) % 2 == 0) {
        m.MoveTo({dx, dy});
        m.LineTo({dx + reach, dy});
      }
}

void PrintPattern(const MarkPen& m, int mark) {
  if (mark <= 3) {
    const int a = mark + 1;
    return m.Lines({{-a, 0}, {a, 0}, {0, -a}, {0, a}});
  }
  if (mark <= 6) {
    const int a = mark - 2;
    return m.Lines({{-a, -a}, {a, a}, {-a, a}, {a, -a}});
  }
  if (mark == 18) return PrintCheckerboard(m);
  m.Lines({{-3, -3}, {3, 3}, {-3, 3}, {3, -3}, {-3, -2}, {2, 3}, {-2, -3}, {3, 2}, {-3, 2}, {2, -3}, {-2, 3}, {3, -2}});
}

void MarkPen::PatternMark(int mark) const {
  if (OnPrinter) return PrintPattern(*this, mark);
  for (const Pattern& p : kPatterns)
    if (p.Mark == mark) return PaintPattern(*this, p);
}

// [SECTION] The shape marks

using MarkRoutine = void (*)(const MarkPen&);

// clang-format off
constexpr MarkRoutine kMarks[52] = {
    /*  0 */ [](const MarkPen& m) { m.Dot(0, 0); },
    /*  1 */ [](const MarkPen& m) { m.PatternMark(1); },
    /*  2 */ [](const MarkPen& m) { m.PatternMark(2); },
    /*  3 */ [](const MarkPen& m) { m.PatternMark(3); },
    /*  4 */ [](const MarkPen& m) { m.PatternMark(4); },
    /*  5 */ [](const MarkPen& m) { m.PatternMark(5); },
    /*  6 */ [](const MarkPen& m) { m.PatternMark(6); },
    /*  7 */ [](const MarkPen& m) { m.Rect(Filled, -1, -1, 2, 2); },
    /*  8 */ [](const MarkPen& m) { m.Rect(Filled, -2, -2, 3, 3); },
    /*  9 */ [](const MarkPen& m) { m.Rect(Filled, -3, -3, 4, 4); },
    /* 10 */ [](const MarkPen& m) { m.Closed({{-1, -1}, {-1, 1}, {1, 1}, {1, -1}}); },
    /* 11 */ [](const MarkPen& m) { m.Closed({{-2, -2}, {-2, 2}, {2, 2}, {2, -2}}); },
    /* 12 */ [](const MarkPen& m) { m.Closed({{-3, -3}, {-3, 3}, {3, 3}, {3, -3}}); },
    /* 13 */ [](const MarkPen& m) { m.Closed({{-3, 0}, {0, 3}, {3, 0}, {0, -3}}); m.Dot(0, 0); },
    /* 14 */ [](const MarkPen& m) { m.Poly(Filled, {{-2, 0}, {0, 2}, {2, 0}, {0, -2}}); },
    /* 15 */ [](const MarkPen& m) { m.Poly(Filled, {{-3, 0}, {0, 3}, {3, 0}, {0, -3}}); },
    /* 16 */ [](const MarkPen& m) { m.Circle(Open, -2, -2, 3, 3); },
    /* 17 */ [](const MarkPen& m) { m.Circle(Open, -3, -3, 4, 4); },
    /* 18 */ [](const MarkPen& m) { m.PatternMark(18); },
    /* 19 */ [](const MarkPen& m) { m.Closed({{-3, 0}, {0, 3}, {3, 0}, {0, -3}}); },
    /* 20 */ [](const MarkPen& m) { m.Lines({{0, 0}, {-3, 3}, {0, 0}, {3, 3}}); },
    /* 21 */ [](const MarkPen& m) { m.Lines({{0, 0}, {-4, 4}, {0, 0}, {4, 4}}); },
    /* 22 */ [](const MarkPen& m) { m.Lines({{0, 0}, {-3, -3}, {0, 0}, {3, -3}}); },
    /* 23 */ [](const MarkPen& m) { m.Lines({{0, 0}, {-4, -4}, {0, 0}, {4, -4}}); },
    /* 24 */ [](const MarkPen& m) { m.Circle(Filled, -3, -3, 4, 4); },
    /* 25 */ [](const MarkPen& m) { m.PatternMark(25); },
    /* 26 */ [](const MarkPen& m) { m.Circle(Filled, -2, -2, 3, 3); },
    /* 27 */ [](const MarkPen& m) { m.Circle(Open, -2, -2, 2, 2); },
    /* 28 */ [](const MarkPen& m) { m.Circle(Filled, -2, -2, 2, 2); },
    /* 29 */ [](const MarkPen& m) { m.Poly(Filled, {{-2, 0}, {0, 2}, {2, 0}}); },
    /* 30 */ [](const MarkPen& m) { m.Poly(Filled, {{-3, 0}, {0, 3}, {3, 0}}); },
    /* 31 */ [](const MarkPen& m) { m.Poly(Open, {{-2, 0}, {0, 2}, {2, 0}}); },
    /* 32 */ [](const MarkPen& m) { m.Poly(Open, {{-3, 0}, {0, 3}, {3, 0}}); },
    /* 33 */ [](const MarkPen& m) { m.Poly(Open, {{-4, -3}, {0, 4}, {4, -3}}); },
    /* 34 */ [](const MarkPen& m) { m.Poly(Filled, {{-4, -3}, {0, 4}, {4, -3}}); },
    /* 35 */ [](const MarkPen& m) { m.Poly(Open, {{-4, 3}, {0, -4}, {4, 3}}); },
    /* 36 */ [](const MarkPen& m) { m.Poly(Filled, {{-4, 3}, {0, -4}, {4, 3}}); },
    /* 37 */ [](const MarkPen& m) { m.Lines({{-3, 0}, {4, 0}, {0, 0}, {0, -8}}); },
    /* 38 */ [](const MarkPen& m) { m.Lines({{-3, -2}, {4, -2}, {-3, 2}, {4, 2}, {0, -2}, {0, 2}}); },
    /* 39 */ [](const MarkPen& m) { m.Circle(Open, -3, -3, 4, 4); m.Lines({{-3, 0}, {4, 0}, {0, -3}, {0, 4}}); },
    /* 40 */ [](const MarkPen& m) { m.Poly(Open, {{3, -2}, {-2, 0}, {3, 2}}); },
    /* 41 */ [](const MarkPen& m) { m.Poly(Filled, {{3, -2}, {-2, 0}, {3, 2}}); },
    /* 42 */ [](const MarkPen& m) { m.Poly(Open, {{4, -3}, {-3, 0}, {4, 3}}); },
    /* 43 */ [](const MarkPen& m) { m.Poly(Filled, {{4, -3}, {-3, 0}, {4, 3}}); },
    /* 44 */ [](const MarkPen& m) { m.Poly(Open, {{-3, -2}, {2, 0}, {-3, 2}}); },
    /* 45 */ [](const MarkPen& m) { m.Poly(Filled, {{-3, -2}, {2, 0}, {-3, 2}}); },
    /* 46 */ [](const MarkPen& m) { m.Poly(Open, {{-4, -3}, {3, 0}, {-4, 3}}); },
    /* 47 */ [](const MarkPen& m) { m.Poly(Filled, {{-4, -3}, {3, 0}, {-4, 3}}); },
    /* 48 */ [](const MarkPen& m) { m.Rect(Open, -3, -3, 4, 4); m.SolidBrush(); m.Lines({{-3, 0}, {4, 0}, {0, -3}, {0, 4}}); },
    /* 49 */ [](const MarkPen& m) { m.Rect(Open, -2, -2, 3, 3); m.SolidBrush(); m.Lines({{-4, 0}, {5, 0}, {0, -4}, {0, 5}}); },
    /* 50 */ [](const MarkPen& m) { m.SolidBrush(); m.Lines({{-4, 0}, {5, 0}, {0, -4}, {0, 5}, {-3, -3}, {4, 4}, {-3, 3}, {4, -4}}); },
    /* 51 */ [](const MarkPen& m) {
      m.SolidBrush();
      m.Lines({{-4, 0}, {5, 0}, {0, -4}, {0, 5}, {-1, -3}, {2, -3}, {-1, 3}, {2, 3}, {-3, -1}, {-3, 2}, {3, -1}, {3, 2}});
    },
};
// clang-format on

// Character of a mark number above 51: 200..209 are the digits, the rest Windows-1252 codes.
String MarkCharacter(uint8_t mark) {
  const char code = static_cast<char>(mark >= 200 && mark <= 209 ? mark - 152 : mark);
  return AnsiToString(std::string_view(&code, 1));
}

void DrawCharacterMark(TCanvas* c, uint8_t mark, int x, int y) {
  const String text = MarkCharacter(mark);
  const int w = c->TextWidth(text), h = c->TextHeight(text);
  c->TextOut(Shift(x, -(w / 2)), Shift(y, -(h / 2)), text);
}

// [SECTION] Fonts

Char FoldAscii(Char c) { return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c; }

bool SameFontName(const String& a, const String& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsScreenFont(const String& name) {
  const std::vector<String>& fonts = Screen()->Fonts();
  return std::any_of(fonts.begin(), fonts.end(), [&](const String& f) { return SameFontName(f, name); });
}

}  // namespace

// [SECTION] Public routines

void DrawRectangle(TCanvas* Canvas, int Left, int Top, int Right, int Bottom) {
  if (Canvas == nullptr) return;
  Canvas->MoveTo(Left, Top);
  Canvas->LineTo(Left, Bottom);
  Canvas->LineTo(Right, Bottom);
  Canvas->LineTo(Right, Top);
  Canvas->LineTo(Left, Top);
}

void DrawFrame(TCanvas* Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom, TColor Color1,
               TColor Color2, TColor Color3, TColor Color4, TColor Color5) {
  if (Canvas == nullptr) return;
  if (Style == fsSimple) {
    Canvas->Pen()->SetColor(Color5);
    return DrawRectangle(Canvas, Left, Top, Right, Bottom);
  }
  const BevelColours bevel = BevelOf(Style);
  if (bevel.A == 0) return;
  const TColor colors[6] = {0, Color1, Color2, Color3, Color4, Color5};
  DrawBevel(Canvas, bevel, colors, Left, Top, Right, Bottom);
}

void DrawMarkOnCanvas(TCanvas* Canvas, uint8_t Mark, int X, int Y) {
  if (Canvas == nullptr) return;
  if (Mark >= std::size(kMarks)) return DrawCharacterMark(Canvas, Mark, X, Y);
  const TColor brushColor = Canvas->Brush()->Color();
  kMarks[Mark](MarkPen{Canvas, X, Y, Canvas == Printer()->Canvas()});
  Canvas->Brush()->SetColor(brushColor);
}

std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t Mark, TColor MarkColor, TColor BackColor, int Size) {
  const int margin = std::clamp(Size, 0, 255);
  const int side = 2 * margin + 7;
  auto bitmap = std::make_unique<TBitmap>(side, side);
  TCanvas* c = bitmap->Canvas();
  c->Pen()->SetColor(BackColor);
  c->Brush()->SetColor(BackColor);
  c->Brush()->SetStyle(bsSolid);
  c->Rectangle(0, 0, side, side);
  c->Pen()->SetColor(MarkColor);
  c->Font()->SetColor(MarkColor);
  DrawMarkOnCanvas(c, Mark, margin + 3, margin + 3);
  return bitmap;
}

void PrintBitmap(const TBitmap* Bitmap, int X, int Y) {
  if (Bitmap == nullptr || Bitmap->Empty()) return;
  TCanvas* printer = Printer()->Canvas();
  const int w = Bitmap->Width(), h = Bitmap->Height();
  // Past the end of the coordinate range the picture is cut, never wrapped around.
  const int right = static_cast<int>(std::min<int64_t>(int64_t(X) + w, INT32_MAX));
  const int bottom = static_cast<int>(std::min<int64_t>(int64_t(Y) + h, INT32_MAX));
  const TCopyMode mode = printer->CopyMode();
  printer->SetCopyMode(cmSrcCopy);
  printer->BlitPixels(Rect(X, Y, right, bottom), Bitmap->Canvas()->Surface(), Rect(0, 0, right - X, bottom - Y));
  printer->SetCopyMode(mode);
}

void SetCanvasFontSizeScaled(TCanvas* Canvas, int Size) {
  if (Canvas == nullptr) return;
  TFont* font = Canvas->Font();
  const int own = font->PixelsPerInch(), screen = Screen()->PixelsPerInch();
  if (own == screen) return font->SetSize(Size);
  font->SetPixelsPerInch(screen);
  font->SetSize(Size);
  font->SetPixelsPerInch(own);
}

bool FontIsTrueType(const String& FontName) {
  const bool outline = platform_detail::IsInstalledTrueTypeFont(FontName);
  if (!outline && !IsScreenFont(FontName))
    throw EQeltaError(u"FontIsTrueType: unknown font \"" + FontName + u"\"");
  TBitmap memory(1, 1);
  memory.Canvas()->Font()->SetName(FontName);
  return outline && (memory.Canvas()->GetTextMetrics().tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}

}  // namespace qelta
