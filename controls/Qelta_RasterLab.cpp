// Qelta_RasterLab: the dot-matrix label TRasterLab.
//
// Pitch p = DotSize + DotSpacing. A glyph from column left to right advances (right - left + 1) p,
// and one blank dot column p follows every glyph, so the text is sum (right - left + 2) p long
// (monospaced: FontWidth p + p per glyph). The raster of unlit dots is ColorDotOff crossed by
// DotSpacing lines of ColorLabBakG per pitch, aligned with the text's position.
//
// Mended here:
// - a rasterised glyph without dots kept the start extent 31..0, an advance of -30 dots, so any
//   blank but the space moved the text back over itself; such glyphs get the space's extent.
// - without ScrollLoop the offset grew until it overflowed: it now stops once the text is out of
//   sight (the ticks still repaint and fire OnScrollTimer). The lowest integer has no size as an
//   interval or increment: it is taken as the highest.
// Scrolling left mirrors scrolling right (restart at Width once below -text length); down and up do
// the same on Y with Height and the text's dot height.

#include "Qelta_RasterLab.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <memory>

#include "Encoding.h"
#include "Math.h"
#include "Qelta_ctlbitmap.h"
#include "Qelta_ctltimer.h"
#include "StrUtils.h"

namespace qelta {

namespace {

// Per code 32..255: LeftMostBit, RightMostBit, rows 0..11.
constexpr uint8_t kBuiltInFont[224][14] = {
#include "Qelta_RasterLab_font.inc"
};

int Magnitude(int v) { return v == INT_MIN ? INT_MAX : std::abs(v); }


TRDCharMatrix BuiltInMatrix() {
  TRDCharMatrix m;
  m.FontWidth = 7;
  m.FontHeight = 12;
  for (int code = 32; code < 256; ++code) {
    const uint8_t* g = kBuiltInFont[code - 32];
    m.LeftMostBit[code] = g[0];
    m.RightMostBit[code] = g[1];
    for (int r = 0; r < 12; ++r) m.BitData[code][r] = g[2 + r];
  }
  return m;
}

// Scans the 32 x 32 top-left pixels of the work bitmap into the glyph; answers whether it has dots.
bool ScanGlyph(const TBitmap& work, TRDCharMatrix& m, int code) {
  int left = 31, right = 0;
  bool any = false;
  for (int y = 0; y < 32; ++y) {
    const uint32_t* row = work.ScanLine(y);
    uint32_t bits = 0;
    for (int x = 0; x < 32; ++x)
      if ((row[x] & 0xFFFFFFu) != 0xFFFFFFu) bits |= 1u << x;
    m.BitData[code][y] = bits;
    if (bits == 0) continue;
    any = true;
    m.FontHeight = std::max(m.FontHeight, y + 1);
    left = std::min(left, std::countr_zero(bits));
    right = std::max(right, 31 - std::countl_zero(bits));
  }
  if (any) {
    m.LeftMostBit[code] = static_cast<uint8_t>(left);
    m.RightMostBit[code] = static_cast<uint8_t>(right);
    m.FontWidth = std::max(m.FontWidth, right - left + 1);
  }
  return any;
}

TRDCharMatrix RasterisedMatrix(const TFont* font) {
  TRDCharMatrix m;
  TBitmap work(65, 65);
  TCanvas* c = work.Canvas();
  c->Font()->Assign(const_cast<TFont*>(font));
  c->Font()->SetQuality(fqNonAntialiased);  // grey fringes would count as dots
  c->Font()->SetColor(clBlack);             // a white font would give none
  c->Font()->SetOrientation(0);
  bool inked[256] = {};
  for (int code = 32; code < 256; ++code) {
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 65, 65));
    c->TextOut(0, 0, String(1, AnsiCharToChar(static_cast<unsigned char>(code))));
    inked[code] = ScanGlyph(work, m, code);
  }
  for (int code = 32; code < 256; ++code)
    if (!inked[code] || code == 32) {
      m.LeftMostBit[code] = 0;
      m.RightMostBit[code] = static_cast<uint8_t>(std::clamp(m.FontWidth / 2, 0, 31));
    }
  return m;
}

}  // namespace

// [SECTION] glyphs and text

uint8_t RasterCharCode(Char c) { return c < 32 ? 32 : CharToAnsiChar(c); }

TRDCharMatrix TRasterLab::CreateBitFont(const TFont* Font) {
  if (Font == nullptr || SameText(Font->Name(), u"default")) return BuiltInMatrix();
  return RasterisedMatrix(Font);
}

int PaintChar(TCanvas* c, const TRDCharMatrix& m, int X, int Y, uint8_t code, int ds, int sp, TColor on,
              bool monospaced) {
  int left = m.LeftMostBit[code], right = m.RightMostBit[code];
  if (monospaced) left = 0, right = m.FontWidth - 1;
  left = std::clamp(left, 0, 31), right = std::min(right, 31);
  const int p = ds + sp, rows = std::clamp(m.FontHeight, 0, 32);
  c->Brush()->SetColor(on);
  for (int r = 0; r < rows; ++r) {
    const uint32_t bits = m.BitData[code][r];
    if (bits == 0) continue;
    const int64_t y = Y + int64_t{r} * p;
    for (int col = left; col <= right; ++col) {
      if (!(bits >> col & 1u)) continue;
      const int x = SaturateToInt(X + int64_t{col - left} * p);
      if (ds == 1)
        c->SetPixels(x, SaturateToInt(y), on);
      else
        c->FillRect(Rect(x, SaturateToInt(y), SaturateToInt(int64_t{x} + ds), SaturateToInt(y + ds)));
    }
  }
  return (right - left + 1) * p;
}

int PaintString(TCanvas* c, const TRDCharMatrix& m, int X, int Y, const String& text, int ds, int sp, TColor on,
                TColor back, TRDBlockMode mode, bool proportional) {
  const int p = ds + sp;
  const TRect clip = c->ClipRect();
  auto gap = [&](int64_t x) {
    if (mode != rdbmOn || x < clip.Left || x - p > clip.Right) return;
    c->Brush()->SetColor(back);
    c->FillRect(Rect(SaturateToInt(x - p), clip.Top, SaturateToInt(x), clip.Bottom));
  };
  int64_t x = X;
  gap(x);
  for (Char ch : text) {
    const uint8_t code = RasterCharCode(ch);
    const int right = proportional ? m.RightMostBit[code] : m.FontWidth - 1;
    const int left = proportional ? m.LeftMostBit[code] : 0;
    int64_t w = int64_t{right - left + 1} * p;
    if (x + w >= clip.Left && x <= clip.Right)  // only glyphs that can be seen are drawn
      w = PaintChar(c, m, SaturateToInt(x), Y, code, ds, sp, on, !proportional);
    x += w + p;
    gap(x);
  }
  return SaturateToInt(x - X + 1);
}

int TRasterLab::CalcTextBitLength(const String& Text) const {
  const int p = Pitch();
  int64_t len = 0;
  for (Char ch : Text) {
    const uint8_t code = RasterCharCode(ch);
    len += FProportional ? int64_t{FCMat.RightMostBit[code] - FCMat.LeftMostBit[code] + 2} * p
                         : int64_t{FCMat.FontWidth} * p + p;
  }
  return SaturateToInt(len);
}

// [SECTION] component

TRasterLab::TRasterLab(TComponent* AOwner)
    : TGraphicControl(AOwner), FScrTimer(std::make_unique<ctl_detail::TControlTimer>(this, [this] { DoTimer(); })) {
  SetBounds(Left(), Top(), 400, 68);
  TControlStyle style = ControlStyle();
  style.Include(csOpaque);
  SetControlStyle(style);
  SetText(u"Text");
  Font()->SetName(u"default");
  Font()->SetSize(8);
  FCMat = CreateBitFont(Font());
}

TRasterLab::~TRasterLab() = default;

void TRasterLab::WndProc(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  if (Message.Msg == CM_FONTCHANGED) FontChanged();
  if (Message.Msg == CM_TEXTCHANGED) {
    if (FAutoCenter) AdjustAutoCenter();
    Paint();
  }
}

void TRasterLab::FontChanged() {
  FCMat = CreateBitFont(Font());
  Adjust();
  Paint();
}

void TRasterLab::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TRasterLab*>(Source);
  if (o == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  FFrameStyle = o->FFrameStyle, FColorLabBakG = o->FColorLabBakG, FColorDotOn = o->FColorDotOn;
  FColBlackLine = o->FColBlackLine, FColGrayLine = o->FColGrayLine, FColWhiteLine = o->FColWhiteLine;
  FColorScheme = o->FColorScheme;
  SetText(o->Text());
  Paint();
}

void TRasterLab::AssignTo(TPersistent* Dest) {
  if (auto* o = dynamic_cast<TRasterLab*>(Dest)) {
    o->Assign(this);
    return;
  }
  TGraphicControl::AssignTo(Dest);
}

// [SECTION] painting

int TRasterLab::FrameWidth() const {
  switch (FFrameStyle) {
    case fsNone:
      return 0;
    case fsEmbossed:
    case fsEngraved:
      return 2;
    default:
      return 1;
  }
}

void TRasterLab::PaintRaster(TCanvas* c, int W, int H) const {
  const int p = Pitch();
  c->Pen()->SetColor(FColorLabBakG);
  c->Pen()->SetWidth(1);
  const int oy = static_cast<int>((int64_t{FYPos} + FScrollPosY) % p);
  const int ox = static_cast<int>((int64_t{FXPos} + FScrollPosX) % p);
  for (int b = 0; b <= H / p + 1; ++b)
    for (int i = 1; i <= FDotSpacing; ++i) {
      const int y = oy + b * p + i - FDotSpacing - 1;
      c->MoveTo(0, y);
      c->LineTo(W, y);
    }
  for (int b = 0; b <= W / p + 1; ++b)
    for (int i = 1; i <= FDotSpacing; ++i) {
      const int x = ox + b * p + i - FDotSpacing - 1;
      c->MoveTo(x, 0);
      c->LineTo(x, H);
    }
}

void TRasterLab::PaintFrame(TCanvas* c, int W, int H) const {
  auto line = [c](TColor colour, std::initializer_list<TPoint> pts) {
    c->Pen()->SetColor(colour);
    c->Polyline(pts);
  };
  auto outline = [&](TColor colour, int l, int t, int r, int b) {
    line(colour, {Point(l, t), Point(r, t), Point(r, b), Point(l, b), Point(l, t)});
  };
  switch (FFrameStyle) {
    case fsSimple:
      outline(FColGrayLine, 0, 0, W - 1, H - 1);
      break;
    case fsLowered:
    case fsRaised: {
      const bool lowered = FFrameStyle == fsLowered;
      line(lowered ? FColBlackLine : FColWhiteLine, {Point(1, H - 3), Point(1, 1), Point(W - 2, 1)});
      if (lowered)
        line(FColWhiteLine, {Point(2, H - 1), Point(W - 1, H - 1), Point(W - 1, 0)});
      else
        line(FColBlackLine, {Point(0, H - 1), Point(W - 1, H - 1), Point(W - 1, 0)});
      outline(FColGrayLine, 0, 0, W - 2, H - 2);
      break;
    }
    case fsEmbossed:
    case fsEngraved: {
      const bool embossed = FFrameStyle == fsEmbossed;
      outline(embossed ? FColGrayLine : FColWhiteLine, 1, 1, W - 1, H - 1);
      outline(embossed ? FColWhiteLine : FColGrayLine, 0, 0, W - 2, H - 2);
      break;
    }
    default:
      break;
  }
}

void TRasterLab::Paint() {
  if (!Visible() && !ComponentState().Contains(csDesigning)) return;
  const int W = Width(), H = Height();
  auto bmp = ctl_detail::OffscreenBitmap(W, H);
  if (!bmp) return;
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(FCharBlockMode != rdbmOff ? FColorDotOff : FColorLabBakG);
  c->FillRect(FFrameStyle != fsNone ? Rect(1, 1, W - 1, H - 1) : Rect(0, 0, W, H));
  if (FCharBlockMode != rdbmOff) PaintRaster(c, W, H);
  FTextBitLength =
      PaintString(c, FCMat, SaturateToInt(int64_t{FXPos} + FScrollPosX), SaturateToInt(int64_t{FYPos} + FScrollPosY), Text(),
                  FDotSize, FDotSpacing, FColorDotOn, FColorLabBakG, FCharBlockMode, FProportional);
  PaintFrame(c, W, H);
  Canvas()->Draw(0, 0, bmp.get());
}

// [SECTION] scrolling

void TRasterLab::UpdateTimer() {
  FScrTimer->Stop();
  if (FScrollIv <= 0 || FScrollMode == rdsmOff || !FScrTimerEnabled) return;
  if (!FScrTimer->Start(static_cast<Cardinal>(FScrollIv)))
    throw EQeltaRasterLabError(u"Component \"" + Name() + u"\": no timer available");
}

void TRasterLab::ScrollTimerEvent() {
  const int64_t inc = FScrollInc, textH = int64_t{FCMat.FontHeight} * Pitch();
  // One axis: moves on while the text can be seen; past `out` it restarts at `back` when looping.
  auto step = [&](int& pos, int64_t dir, int64_t out, int64_t back) {
    const bool gone = dir > 0 ? pos > out : pos < out;
    if (gone && !FScrollLoop) return;
    int64_t next = pos + dir * inc;
    const bool left = dir > 0 ? next > out : next < out;
    if (left && FScrollLoop) {
      next = back;
      pos = SaturateToInt(next);
      DoScrLoopRestart();
      return;
    }
    pos = SaturateToInt(next);
  };
  switch (FScrollMode) {
    case rdsmOff:
      FScrTimerEnabled = false;
      FScrollPosX = FScrollPosY = 0;
      break;
    case rdsmRight:
      step(FScrollPosX, 1, Width(), -int64_t{FTextBitLength});
      break;
    case rdsmLeft:
      step(FScrollPosX, -1, -int64_t{FTextBitLength}, Width());
      break;
    case rdsmDown:
      step(FScrollPosY, 1, Height(), -textH);
      break;
    case rdsmUp:
      step(FScrollPosY, -1, -textH, Height());
      break;
  }
}

void TRasterLab::DoTimer() {
  ScrollTimerEvent();
  Paint();
  if (OnScrollTimer) OnScrollTimer(this);
}

void TRasterLab::DoScrLoopRestart() {
  if (OnScrollLoopRestart) OnScrollLoopRestart(this);
}

// [SECTION] adjustments and properties

void TRasterLab::AdjustAutoHeight() { SetHeight(FrameWidth() + Pitch() * FCMat.FontHeight); }

void TRasterLab::AdjustAutoCenter() { FXPos = (Width() - CalcTextBitLength(Text())) / 2 + FrameWidth() + 1; }

void TRasterLab::Adjust() {
  if (FAutoHeight) AdjustAutoHeight();
  if (FAutoCenter) AdjustAutoCenter();
}

template <class T>
void TRasterLab::StoreAndRepaint(T& field, T value) {
  if (field == value) return;
  field = value;
  Paint();
}

void TRasterLab::SetCharMatrix(const TRDCharMatrix& value) {
  FCMat = value;
  Paint();
}

void TRasterLab::SetDotSize(int value) {
  value = std::clamp(value, 1, 32);
  if (value == FDotSize) return;
  FDotSize = value;
  Adjust();
  Paint();
}

void TRasterLab::SetDotSpacing(int value) {
  value = std::clamp(value, 0, 3);
  if (value == FDotSpacing) return;
  FDotSpacing = value;
  Adjust();
  Paint();
}

void TRasterLab::SetAutoHeight(bool value) {
  if (value == FAutoHeight) return;
  FAutoHeight = value;
  if (value) AdjustAutoHeight();
  Paint();
}

void TRasterLab::SetAutoCenter(bool value) {
  if (value == FAutoCenter) return;
  FAutoCenter = value;
  if (value)
    AdjustAutoCenter();
  else
    FXPos = 1;
  Paint();
}

void TRasterLab::SetColorScheme(TColorScheme value) {
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor(0x808080);
  FColWhiteLine = value == csSystem ? clBtnHighlight : TColor(0xFFFFFF);
  Paint();
}

void TRasterLab::SetScrollMode(TRDScrollMode value) {
  FScrollMode = value;
  if (ComponentState().Contains(csDesigning)) return;
  FScrTimerEnabled = value != rdsmOff;
  UpdateTimer();
  if (value != rdsmOff) return;
  FScrollPosX = FScrollPosY = 0;
  Paint();
}

void TRasterLab::SetScrollInterval(int value) {
  FScrollIv = std::max(Magnitude(value), 10);
  UpdateTimer();
}

void TRasterLab::SetScrollIncrement(int value) {
  FScrollInc = std::max(Magnitude(value), 1);
  UpdateTimer();
}

void TRasterLab::SetOnScrollTimer(TNotifyEvent value) {
  OnScrollTimer = std::move(value);
  UpdateTimer();
}

void TRasterLab::SetScrollLoop(bool value) {
  FScrollLoop = value;
  Paint();
}

void TRasterLab::SetPosX(int value) { StoreAndRepaint(FXPos, value); }
void TRasterLab::SetPosY(int value) { StoreAndRepaint(FYPos, value); }
void TRasterLab::SetProportional(bool value) { StoreAndRepaint(FProportional, value); }
void TRasterLab::SetCharBlockMode(TRDBlockMode value) { StoreAndRepaint(FCharBlockMode, value); }
void TRasterLab::SetColorDotOn(TColor value) { StoreAndRepaint(FColorDotOn, value); }
void TRasterLab::SetColorDotOff(TColor value) { StoreAndRepaint(FColorDotOff, value); }
void TRasterLab::SetColorLabBakG(TColor value) { StoreAndRepaint(FColorLabBakG, value); }
void TRasterLab::SetFrameStyle(TFrameStyle value) { StoreAndRepaint(FFrameStyle, value); }

}  // namespace qelta
