// Draws the 23 picture sheets of the on/off button styles (the project's own artwork) and writes them
// as PNG files: make_onoff_sheets <folder>. The build runs it and embeds the files into qeltactl.
//
// Each sheet is 2 x 2 pictures of (width div 2) x (height div 2): on left, off right, enabled top,
// disabled bottom, on the transparent colour $EBBEEB, which no shape uses. The pictures are drawn
// with the platform's canvas (aliased shapes, no text, so a font update never changes them); the
// disabled row is made from the enabled one by one rule: each pixel's grey (299 R + 587 G + 114 B)
// div 1000 moved halfway to $C0 ((grey + $C0) div 2 in all three channels), $EBBEEB kept.
// "On" is lit, ticked or active in every style: a tick, a dot, the knob up or right on a green track,
// a green LED or lamp, the arrow pointing up or left (top and right for ARROWTR), a smile, a lit bulb
// or button lamp, a lit end lamp (HDLEFT, HDRIGHT), and the free designs USER1..USER5: power, star,
// heart, padlock closed, speaker sounding.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Graphics.h"
#include "Qelta_onoffbut_sheets.h"

namespace {

using namespace qelta;

// --- colours -----------------------------------------------------------------------------------

constexpr TColor kInk = RGB(32, 32, 32), kDarkGrey = RGB(72, 72, 72), kMidGrey = RGB(128, 128, 128),
                 kLightGrey = RGB(200, 200, 200), kFace = RGB(214, 214, 214), kWhite = RGB(255, 255, 255),
                 kGreen = RGB(40, 210, 60), kDarkGreen = RGB(20, 80, 30), kRed = RGB(230, 40, 30),
                 kDarkRed = RGB(100, 20, 20), kYellow = RGB(255, 220, 40), kAmber = RGB(255, 170, 20),
                 kDarkAmber = RGB(110, 70, 10), kGold = RGB(240, 190, 30), kPale = RGB(236, 236, 236);

// --- drawing helpers (local coordinates of one picture) ------------------------------------------

struct TPic {
  TCanvas* c;
  int w, h;
  bool on;
};

void Pen(TCanvas* c, TColor color) {
  c->Pen()->SetColor(color);
  c->Pen()->SetStyle(psSolid);
}

void Brush(TCanvas* c, TColor color) {
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
}

void Box(TCanvas* c, int l, int t, int r, int b, TColor outline, TColor fill) {
  Pen(c, outline);
  Brush(c, fill);
  c->Rectangle(l, t, r, b);
}

void Disc(TCanvas* c, int l, int t, int r, int b, TColor outline, TColor fill) {
  Pen(c, outline);
  Brush(c, fill);
  c->Ellipse(l, t, r, b);
}

void Line(TCanvas* c, int x1, int y1, int x2, int y2, TColor color) {
  Pen(c, color);
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

void Shape(TCanvas* c, std::initializer_list<TPoint> points, TColor outline, TColor fill) {
  Pen(c, outline);
  Brush(c, fill);
  c->Polygon(points);
}

// A lamp: a disc with a small white gleam when lit.
void Lamp(TCanvas* c, int l, int t, int r, int b, TColor lit, TColor dark, bool on) {
  Disc(c, l, t, r, b, kInk, on ? lit : dark);
  if (on) Disc(c, l + (r - l) / 4, t + (b - t) / 4, l + (r - l) / 4 + 3, t + (b - t) / 4 + 3, kWhite, kWhite);
}

// --- the styles -----------------------------------------------------------------------------------

void CheckBox(const TPic& p) {  // 16 x 16
  Box(p.c, 1, 1, 15, 15, kInk, kWhite);
  if (!p.on) return;
  for (int d = 0; d < 2; ++d) {
    Pen(p.c, kInk);
    p.c->MoveTo(4, 7 + d);
    p.c->LineTo(6, 9 + d);
    p.c->LineTo(12, 3 + d);
  }
}

void RadioBut(const TPic& p) {  // 14 x 14
  Disc(p.c, 0, 0, 14, 14, kDarkGrey, kWhite);
  if (p.on) Disc(p.c, 4, 4, 10, 10, kInk, kInk);
}

// A slide switch along its long side; the knob sits at the far end (top or right) when on.
void Slide(const TPic& p, bool vertical, bool coloured) {
  const int len = vertical ? p.h : p.w, across = vertical ? p.w : p.h;
  auto rect = [&](int a0, int b0, int a1, int b1) {  // along a, across b
    return vertical ? TRect{b0, len - a1, b1, len - a0} : TRect{a0, b0, a1, b1};
  };
  const TColor track = coloured ? (p.on ? kGreen : kRed) : kMidGrey;
  const TRect body = rect(1, 1, len - 1, across - 1);
  Pen(p.c, kInk);
  Brush(p.c, coloured ? track : kFace);
  p.c->RoundRect(body.Left, body.Top, body.Right, body.Bottom, 6, 6);
  if (!coloured) {
    const TRect slot = rect(4, across / 2 - 2, len - 4, across / 2 + 2);
    Box(p.c, slot.Left, slot.Top, slot.Right, slot.Bottom, kDarkGrey, track);
  }
  const int knobLen = len / 2 - 3;
  const int a0 = p.on ? len - 3 - knobLen : 3;
  const TRect knob = rect(a0, 3, a0 + knobLen, across - 3);
  Box(p.c, knob.Left, knob.Top, knob.Right, knob.Bottom, kInk, kLightGrey);
  for (int k = -2; k <= 2; k += 2) {  // grip lines across the knob
    const TRect g = rect(a0 + knobLen / 2 + k, 5, a0 + knobLen / 2 + k + 1, across - 5);
    Box(p.c, g.Left, g.Top, g.Right, g.Bottom, kDarkGrey, kDarkGrey);
  }
}

void LedRedGreen(const TPic& p) { Lamp(p.c, 1, 1, 13, 13, p.on ? kGreen : kRed, kRed, true); }  // 14 x 14

// An arrow of the picture's size pointing at `dir` (0 up, 1 right, 2 down, 3 left): green when on.
void Arrow(const TPic& p, int dir) {
  const int n = p.w;             // square
  auto at = [&](int x, int y) {  // (x, y) of an arrow pointing up, turned
    switch (dir) {
      case 1:
        return Point(n - 1 - y, x);
      case 2:
        return Point(n - 1 - x, n - 1 - y);
      case 3:
        return Point(y, n - 1 - x);
      default:
        return Point(x, y);
    }
  };
  const int m = n / 2, q = n / 5;
  Shape(p.c, {at(m, 1), at(n - 3, m), at(m + q, m), at(m + q, n - 2), at(m - q, n - 2), at(m - q, m), at(2, m)}, kInk,
        p.on ? kGreen : kMidGrey);
}

void ArrowTopRgt(const TPic& p) { Arrow(p, p.on ? 0 : 1); }
void ArrowUpDown(const TPic& p) { Arrow(p, p.on ? 0 : 2); }
void ArrowLeftRight(const TPic& p) { Arrow(p, p.on ? 3 : 1); }

// A pedestrian light (31 x 31): red standing figure above, green walking figure below.
void TrafficLPed(const TPic& p) {
  TCanvas* c = p.c;
  Pen(c, kInk);
  Brush(c, kDarkGrey);
  c->RoundRect(7, 0, 24, 31, 6, 6);
  Lamp(c, 10, 2, 21, 13, kRed, kDarkRed, !p.on);
  Lamp(c, 10, 17, 21, 28, kGreen, kDarkGreen, p.on);
  Line(c, 15, 5, 15, 11, kInk);  // standing
  Line(c, 13, 7, 18, 7, kInk);
  Line(c, 15, 20, 15, 24, kInk);  // walking
  Line(c, 15, 24, 13, 27, kInk);
  Line(c, 15, 24, 18, 27, kInk);
  Line(c, 13, 22, 18, 21, kInk);
}

void BeveledLed(const TPic& p) {  // 17 x 17
  Disc(p.c, 0, 0, 17, 17, kDarkGrey, kLightGrey);
  Disc(p.c, 1, 1, 15, 15, kWhite, kWhite);
  Disc(p.c, 2, 2, 16, 16, kMidGrey, kMidGrey);
  Lamp(p.c, 3, 3, 14, 14, kGreen, kDarkGreen, p.on);
}

void Smiley(const TPic& p, TColor face) {  // 18 x 18
  Disc(p.c, 0, 0, 18, 18, kInk, face);
  Box(p.c, 5, 5, 7, 8, kInk, kInk);
  Box(p.c, 11, 5, 13, 8, kInk, kInk);
  Pen(p.c, kInk);
  if (p.on)
    p.c->Arc(4, 4, 14, 14, 4, 10, 14, 10);  // the lower half: a smile
  else
    p.c->Arc(4, 11, 14, 21, 14, 14, 4, 14);  // the upper half lower down: a frown
}

void SmileyYellow(const TPic& p) { Smiley(p, kYellow); }
void SmileyRedGrn(const TPic& p) { Smiley(p, p.on ? kGreen : kRed); }

void Bulb(const TPic& p) {  // 39 x 49
  TCanvas* c = p.c;
  if (p.on) {
    for (int k = 0; k < 8; ++k) {  // rays
      const double a = k * 3.14159265358979 / 4;
      Line(c, 19 + int(std::lround(15 * std::cos(a))), 17 - int(std::lround(15 * std::sin(a))),
           19 + int(std::lround(19 * std::cos(a))), 17 - int(std::lround(19 * std::sin(a))), kAmber);
    }
  }
  Shape(c, {Point(14, 25), Point(24, 25), Point(23, 33), Point(15, 33)}, kInk, p.on ? kYellow : kPale);
  Disc(c, 8, 6, 31, 29, kInk, p.on ? kYellow : kPale);
  Pen(c, p.on ? kAmber : kMidGrey);
  c->Polyline({Point(16, 24), Point(16, 17), Point(19, 20), Point(22, 17), Point(22, 24)});  // filament
  Box(c, 14, 33, 25, 42, kInk, kMidGrey);
  for (int y = 35; y < 42; y += 2) Line(c, 14, y, 25, y, kDarkGrey);
  Box(c, 17, 42, 22, 46, kInk, kDarkGrey);
}

void ButLamp(const TPic& p) {  // 49 x 24
  Pen(p.c, kInk);
  Brush(p.c, kDarkGrey);
  p.c->RoundRect(0, 0, 49, 24, 6, 6);
  Box(p.c, 5, 4, 44, 20, kInk, p.on ? kAmber : kDarkAmber);
  if (p.on) Box(p.c, 9, 7, 40, 17, kYellow, kYellow);
}

// A pill with a lamp at one end and chevrons pointing to it (48 x 16).
void HDLamp(const TPic& p, bool left) {
  TCanvas* c = p.c;
  auto x = [&](int v) { return left ? v : p.w - 1 - v; };
  Pen(c, kInk);
  Brush(c, kDarkGrey);
  c->RoundRect(0, 1, 48, 15, 8, 8);
  const int l = x(3), r = x(14);
  Lamp(c, std::min(l, r), 3, std::max(l, r) + 1, 13, kGreen, kDarkGreen, p.on);
  for (int k = 0; k < 3; ++k) {
    const int tip = x(20 + 8 * k), back = x(25 + 8 * k);
    Pen(c, p.on ? kWhite : kMidGrey);
    c->Polyline({Point(back, 4), Point(tip, 8), Point(back, 12)});
  }
}

void HDLeft(const TPic& p) { HDLamp(p, true); }
void HDRight(const TPic& p) { HDLamp(p, false); }

void Power(const TPic& p) {  // 24 x 24
  const TColor ink = p.on ? kGreen : kMidGrey;
  Disc(p.c, 0, 0, 24, 24, kInk, kDarkGrey);
  Pen(p.c, ink);
  for (int d = 0; d < 2; ++d) p.c->Arc(5 + d, 5 + d, 19 - d, 19 - d, 15, 5, 9, 5);
  Box(p.c, 11, 3, 13, 12, ink, ink);
}

void Star(const TPic& p) {
  std::vector<TPoint> pts;
  for (int k = 0; k < 10; ++k) {
    const double a = 3.14159265358979 / 2 + k * 3.14159265358979 / 5, r = k % 2 == 0 ? 11.5 : 5;
    pts.push_back(Point(12 + int(std::lround(r * std::cos(a))), 12 - int(std::lround(r * std::sin(a)))));
  }
  Pen(p.c, p.on ? kDarkAmber : kMidGrey);
  Brush(p.c, p.on ? kGold : kPale);
  p.c->Polygon(pts);
}

void Heart(const TPic& p) {
  const TColor fill = p.on ? kRed : kPale, edge = p.on ? kDarkRed : kMidGrey;
  Disc(p.c, 1, 3, 13, 15, edge, fill);
  Disc(p.c, 11, 3, 23, 15, edge, fill);
  Shape(p.c, {Point(2, 11), Point(22, 11), Point(12, 22)}, edge, fill);
  Box(p.c, 3, 9, 22, 12, fill, fill);  // close the seams inside
}

void Padlock(const TPic& p) {  // on: closed
  Pen(p.c, kDarkGrey);
  for (int d = 0; d < 2; ++d)
    if (p.on)
      p.c->Arc(6 + d, 2 + d, 18 - d, 16 - d, 18, 9, 6, 9);
    else
      p.c->Arc(11 + d, 0 + d, 23 - d, 14 - d, 23, 7, 11, 7);
  Box(p.c, 4, 10, 20, 23, kInk, p.on ? kGold : kLightGrey);
  Box(p.c, 11, 14, 13, 19, kInk, kInk);
}

void Speaker(const TPic& p) {  // on: sounding, off: crossed out
  Shape(p.c, {Point(2, 8), Point(7, 8), Point(13, 3), Point(13, 20), Point(7, 15), Point(2, 15)}, kInk,
        p.on ? kDarkGrey : kMidGrey);
  if (p.on) {
    Pen(p.c, kGreen);
    p.c->Arc(8, 7, 18, 17, 18, 17, 18, 7);
    p.c->Arc(8, 3, 22, 21, 22, 21, 22, 3);
  } else {
    Line(p.c, 16, 8, 22, 15, kRed);
    Line(p.c, 22, 8, 16, 15, kRed);
  }
}

// The drawing of each sheet, in the order of the sheet table.
const std::function<void(const TPic&)> kStyles[] = {
    CheckBox,
    RadioBut,
    [](const TPic& p) { Slide(p, true, false); },
    [](const TPic& p) { Slide(p, false, false); },
    [](const TPic& p) { Slide(p, true, true); },
    [](const TPic& p) { Slide(p, false, true); },
    LedRedGreen,
    ArrowTopRgt,
    ArrowUpDown,
    ArrowLeftRight,
    TrafficLPed,
    BeveledLed,
    SmileyYellow,
    SmileyRedGrn,
    Bulb,
    ButLamp,
    HDLeft,
    HDRight,
    Power,
    Star,
    Heart,
    Padlock,
    Speaker,
};
static_assert(std::size(kStyles) == std::size(ctl_detail::kOnOffSheets));

// --- the sheet --------------------------------------------------------------------------------------

constexpr uint32_t kBackground = 0xFF000000u | uint32_t(ctl_detail::kOnOffTransparent);

// The disabled look of one pixel.
uint32_t Disabled(uint32_t p) {
  if ((p & 0xFFFFFFu) == (kBackground & 0xFFFFFFu)) return p;
  const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  const uint32_t v = ((299 * r + 587 * g + 114 * b) / 1000 + 0xC0) / 2;
  return 0xFF000000u | v << 16 | v << 8 | v;
}

void DrawSheet(TBitmap& sheet, const std::function<void(const TPic&)>& draw) {
  const int gw = sheet.Width() / 2, gh = sheet.Height() / 2;
  for (int y = 0; y < sheet.Height(); ++y)
    for (int x = 0; x < sheet.Width(); ++x) sheet.ScanLine(y)[x] = kBackground;
  TCanvas* c = sheet.Canvas();
  for (bool on : {true, false}) {
    c->SetOrigin(Point(on ? 0 : gw, 0));
    c->SetClipRect(Rect(0, 0, gw, gh));
    draw(TPic{c, gw, gh, on});
  }
  for (int y = 0; y < gh; ++y)
    for (int x = 0; x < sheet.Width(); ++x) sheet.ScanLine(y + gh)[x] = Disabled(sheet.ScanLine(y)[x]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_onoff_sheets <folder>\n");
    return 2;
  }
  try {
    for (std::size_t i = 0; i < std::size(kStyles); ++i) {
      const ctl_detail::TOnOffSheet& s = ctl_detail::kOnOffSheets[i];
      TBitmap sheet(s.Width, s.Height);
      DrawSheet(sheet, kStyles[i]);
      sheet.SaveToFile(Utf8ToString(argv[1]) + u"/" + s.Name + u".png");
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_onoff_sheets: %s\n", e.what());
    return 1;
  }
  return 0;
}
