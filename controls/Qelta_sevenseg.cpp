// Qelta_sevenseg: the seven-segment display TSevenSeg.
//
// Master glyph (312 x 432): segments 1 top, 2 upper left, 3 upper right, 4 middle, 5 lower left,
// 6 lower right, 7 bottom; the point, plus, colon and degree pictures at their own places. A glyph
// is composed by ANDing its pictures onto white, then the white surroundings are flood-filled with
// the background from (1, 1). The cache holds 21 glyphs of gw x ch, gw = (Width - 2 Margin) div
// NumDigits - InterDigDist and ch = Height - 2 Margin, each at least 1 (32 digits with a wide
// spacing would otherwise ask for glyphs of no or negative width). A point is copied from the lower
// right sixth of the '.' glyph.
// The cache follows the size through the virtual Resize, not through OnResize, which stays the
// host's: a host handler must not leave the glyphs built for the old size.

#include "Qelta_sevenseg.h"

#include <algorithm>
#include <array>

#include "Qelta_ctlbitmap.h"
#include "Resources.h"
#include "StrUtils.h"

namespace qelta {

namespace {

constexpr int kMasterW = 312, kMasterH = 432;
constexpr TColor kKeyWhite = 0xFFFFFF, kNearWhite = 0xFEFEFE;

// The cache order of the glyphs.
constexpr std::u16string_view kGlyphs = u"0123456789-+:\u00B0ABCDEF.";

// Places of the seven segments on the master image, segment 1 first.
constexpr std::array<TPoint, 7> kSegmentAt = {
    {{94, 0}, {37, 23}, {244, 23}, {57, 197}, {0, 220}, {207, 220}, {20, 394}}};
constexpr TPoint kDotAt{269, 394}, kPlusAt{57, 120}, kColonAt{122, 121}, kDegreeAt{150, 0};

// Lit segments per character as bits (bit 0 segment 1); 0 for none.
uint8_t SegmentsOf(Char c) {
  constexpr std::u16string_view chars = u"0123456789-ABCDEF";
  constexpr uint8_t bits[] = {0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F,
                              0x08, 0x3F, 0x7A, 0x53, 0x7C, 0x5B, 0x1B};
  const size_t i = chars.find(c);
  return i == std::u16string_view::npos ? 0 : bits[i];
}

Char Upper(Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c; }

bool IsPoint(Char c) { return c == u'.' || c == u','; }

std::unique_ptr<TBitmap> Picture(const char16_t* name) {
  auto b = std::make_unique<TBitmap>();
  b->LoadFromResourceName(HInstance(), name);
  return b;
}

void Recolour(TBitmap& picture, TPoint seed, TColor c) {
  TCanvas* k = picture.Canvas();
  k->Brush()->SetStyle(bsSolid);
  k->Brush()->SetColor(c);
  k->FloodFill(seed.X, seed.Y, k->Pixels(seed.X, seed.Y), fsSurface);
}

}  // namespace

TSevenSeg::TSevenSeg(TComponent* AOwner)
    : TGraphicControl(AOwner),
      DigImg(std::make_unique<TBitmap>(kMasterW, kMasterH)),
      SegHorz(Picture(u"SEGHORZ")),
      SegVert(Picture(u"SEGVERT")),
      SegDot(Picture(u"SEGDOT")),
      SegPlus(Picture(u"SEGPLUS")),
      SegColon(Picture(u"SEGCOLON")),
      SegDeg(Picture(u"SEGDEG")),
      ImgCache(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), FWidth, FHeight);
  CreateImageCache();
}

TSevenSeg::~TSevenSeg() = default;

// [SECTION] glyphs and cache

void TSevenSeg::ColorizeSegments(TColor c) {
  c = ColorToRGB(c);
  if (c == kKeyWhite) c = kNearWhite;
  for (TBitmap* p : {SegHorz.get(), SegVert.get(), SegDot.get(), SegPlus.get()})
    Recolour(*p, Point(p->Width() / 2, p->Height() / 2), c);
  Recolour(*SegColon, Point(18, SegColon->Height() - 18), c);
  Recolour(*SegColon, Point(SegColon->Width() - 18, 18), c);
  Recolour(*SegDeg, Point(25, SegDeg->Height() / 2), c);
}

void TSevenSeg::CopySegment(TBitmap& picture, int x, int y) {
  const TRect all = Rect(0, 0, picture.Width(), picture.Height());
  DigImg->Canvas()->CopyRect(Rect(x, y, x + picture.Width(), y + picture.Height()), picture.Canvas(), all);
}

void TSevenSeg::CreateDigit(Char ch, bool point) {
  TCanvas* m = DigImg->Canvas();
  m->SetCopyMode(cmSrcCopy);
  m->Brush()->SetStyle(bsSolid);
  m->Brush()->SetColor(clWhite);
  m->FillRect(Rect(0, 0, kMasterW, kMasterH));
  m->SetCopyMode(cmSrcAnd);
  ch = Upper(ch);
  if (ch == u'+') CopySegment(*SegPlus, kPlusAt.X, kPlusAt.Y);
  if (ch == u':') CopySegment(*SegColon, kColonAt.X, kColonAt.Y);
  if (ch == u'\u00B0') CopySegment(*SegDeg, kDegreeAt.X, kDegreeAt.Y);
  point = point || IsPoint(ch);
  const uint8_t lit = SegmentsOf(ch);
  for (int s = 0; s < 7; ++s)
    if (lit & (1u << s)) CopySegment(s == 0 || s == 3 || s == 6 ? *SegHorz : *SegVert, kSegmentAt[s].X, kSegmentAt[s].Y);
  if (point) CopySegment(*SegDot, kDotAt.X, kDotAt.Y);
  m->SetCopyMode(cmSrcCopy);
  m->Brush()->SetColor(FColorBakG);
  m->FloodFill(1, 1, m->Pixels(1, 1), fsSurface);
}

int TSevenSeg::GlyphWidth() const {
  return std::max(1, (Width() - 2 * FMargin) / FNumDigits - FInterDigDist);
}

int TSevenSeg::GlyphHeight() const { return std::max(1, Height() - 2 * FMargin); }

void TSevenSeg::CreateImageCache() {
  const int gw = GlyphWidth(), ch = GlyphHeight();
  ImgCache->SetSize(21 * gw, ch);
  TCanvas* k = ImgCache->Canvas();
  k->Brush()->SetStyle(bsSolid);
  k->Brush()->SetColor(FColorBakG);
  k->FillRect(Rect(0, 0, 21 * gw, ch));
  ColorizeSegments(FColorTxt);
  k->SetStretchMode(HALFTONE);
  k->SetCopyMode(cmSrcCopy);
  for (int i = 0; i < 21; ++i) {
    CreateDigit(kGlyphs[static_cast<size_t>(i)], false);
    k->CopyRect(Rect(i * gw, 0, (i + 1) * gw, ch), DigImg->Canvas(), Rect(0, 0, kMasterW, kMasterH));
  }
}

void TSevenSeg::Rebuild() {
  CreateImageCache();
  Paint();
}

void TSevenSeg::ProcessResize(TObject*) {
  if (Width() == FWidth && Height() == FHeight) return;
  FWidth = Width(), FHeight = Height();
  Rebuild();
}

void TSevenSeg::Resize() {
  ProcessResize(this);
  TGraphicControl::Resize();
}

// [SECTION] painting

void TSevenSeg::Paint() {
  if (!Visible() && !ComponentState().Contains(csDesigning)) return;
  const int W = Width(), H = Height(), gw = GlyphWidth(), ch = GlyphHeight(), M = FMargin;
  const std::unique_ptr<TBitmap> bmp = ctl_detail::OffscreenBitmap(W, H);
  if (!bmp) return;
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(FColorBakG);
  c->FillRect(Rect(0, 0, W, H));
  TCanvas* cache = ImgCache->Canvas();
  const int n = Length(FCaption);
  for (int i = 0, j = 0; i < n && j < FNumDigits; ++j) {
    const Char ch0 = FCaption[static_cast<size_t>(i++)];
    bool point = IsPoint(ch0);
    if (!point && i < n && IsPoint(FCaption[static_cast<size_t>(i)])) point = true, ++i;
    const int x = j * (gw + FInterDigDist) + M;
    const size_t k = IsPoint(ch0) ? std::u16string_view::npos : kGlyphs.find(Upper(ch0));
    if (k != std::u16string_view::npos)
      c->CopyRect(Rect(x, M, x + gw, H - M), cache, Rect(int(k) * gw, 0, int(k + 1) * gw, ch));
    if (point)
      c->CopyRect(Rect(x + 5 * gw / 6, M + 5 * ch / 6, x + gw, H - M), cache,
                  Rect(5 * gw / 6 + 20 * gw, 5 * ch / 6, 21 * gw, ch));
  }
  DrawFrame(c, FFrameStyle, 0, 0, W - 1, H - 1, FColWhiteLine, 0xC0C0C0, FColGrayLine, FColBlackLine, FColBlackLine);
  Canvas()->SetCopyMode(cmSrcCopy);
  Canvas()->CopyRect(Rect(0, 0, W, H), c, Rect(0, 0, W, H));
}

// [SECTION] component and properties

void TSevenSeg::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TSevenSeg*>(Source);
  if (o == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  FColorBakG = o->FColorBakG, FColorTxt = o->FColorTxt, FNumDigits = o->FNumDigits, FCaption = o->FCaption;
  FFrameStyle = o->FFrameStyle, FColBlackLine = o->FColBlackLine, FColGrayLine = o->FColGrayLine;
  FColWhiteLine = o->FColWhiteLine, FColorScheme = o->FColorScheme, FMargin = o->FMargin;
  FInterDigDist = o->FInterDigDist;
  CreateImageCache();
  Invalidate();
}

void TSevenSeg::AssignTo(TPersistent* Dest) {
  if (auto* o = dynamic_cast<TSevenSeg*>(Dest)) {
    o->Assign(this);
    return;
  }
  TGraphicControl::AssignTo(Dest);
}

void TSevenSeg::SetColorBackGnd(TColor value) {
  if (value == FColorBakG) return;
  FColorBakG = value;
  Rebuild();
}

void TSevenSeg::SetColorText(TColor value) {
  if (value == FColorTxt) return;
  FColorTxt = value;
  Rebuild();
}

void TSevenSeg::SetNumDigits(int value) {
  if (value == FNumDigits || value < 1 || value > 32) return;
  FNumDigits = value;
  Rebuild();
}

void TSevenSeg::SetMargin(int value) {
  // A negative margin would draw the digits outside the control and grow the glyphs past it.
  const int m = std::max(0, std::min(value, Height() / 2 - 1));
  if (m == FMargin) return;
  FMargin = m;
  Rebuild();
}

void TSevenSeg::SetInterDigDist(int value) {
  const int d = std::min(value, 255);
  if (d == FInterDigDist) return;
  FInterDigDist = d;
  Rebuild();
}

void TSevenSeg::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  Paint();
}

void TSevenSeg::SetFrameStyle(TFrameStyle value) {
  if (value == FFrameStyle) return;
  FFrameStyle = value;
  Invalidate();
}

void TSevenSeg::SetColorScheme(TColorScheme value) {
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor(0x808080);
  FColWhiteLine = value == csSystem ? clBtnHighlight : TColor(0xFFFFFF);
  Invalidate();
}

}  // namespace qelta
