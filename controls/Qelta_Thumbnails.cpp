// Qelta_Thumbnails: the thumbnail slide grid TThumbnails.
//
// Slide ids and places use floor division and remainder throughout, so a slide above the top row
// lies above the grid (a truncating division put it in the top row, left of the grid, and removing
// its highlight painted into the border); the integer part of FirstThumbIdx is its floor.
// When the column count changes, FirstThumbIdx is set again to the slide position it stood for,
// row start + fraction x the old count (setting it "to its own value" read the stored row fraction
// as a position and moved the grid). The selection holds the slides Min..Max only: reads and writes
// check the range (the bit field has one bit more than that and started with 1001 bits), and Min
// above Max is an empty grid. A request's image buffer is the control's for the whole paint, so the
// control never frees a bitmap of the host's: a host that points the buffer at its own picture
// lends it (TThumbBuffer::Lend), which also spares the copy an assignment makes of a large picture
// for every paint. FIsWorking is cleared however Paint ends.

#include "Qelta_Thumbnails.h"

#include <algorithm>
#include <cmath>

#include "Math.h"
#include "Qelta_ctlbitmap.h"
#include "SysUtils.h"

namespace qelta {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }


int64_t RowStart(double first) { return static_cast<int64_t>(std::floor(first)); }

void Frame(TCanvas* c, TFrameStyle style, int l, int t, int r, int b) {
  DrawFrame(c, style, l, t, r, b, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x000000);
}

/// Clears the flag when the paint ends, however it ends.
struct TWorking {
  bool& Flag;
  explicit TWorking(bool& flag) : Flag(flag) { Flag = true; }
  ~TWorking() { Flag = false; }
};

}  // namespace

TThumbnails::TThumbnails(TComponent* AOwner)
    : TGraphicControl(AOwner), FSelectedSlide(std::make_unique<TBitFld>(nullptr)) {
  SetBounds(Left(), Top(), 260, 400);
  FitSelection();
}

TThumbnails::~TThumbnails() = default;

// [SECTION] layout

int TThumbnails::RowOffset() const {
  return static_cast<int>(Round((FFirstThumbIx - std::floor(FFirstThumbIx)) * Pitch()));
}

int TThumbnails::CalcSlideIndex(int XPos, int YPos) const {
  const int P = Pitch(), span = FThumbBaseSize + 2 * FSlideMargin;
  if (XPos < 10 || XPos > Width() - 10 || YPos < 10 || YPos > Height() - 10) return 0;
  const int64_t c = FloorDiv(XPos - 10, P);
  if (XPos > c * P + 10 + span || c + 1 > FNumSldX) return 0;
  const int o = RowOffset();
  const int64_t r = FloorDiv(int64_t{YPos} + o - FSlideDist - 10, P), top = r * P + FSlideDist - o + 10;
  if (YPos < top || YPos > top + span || r < 0) return 0;
  const int64_t id = RowStart(FFirstThumbIx) + r * FNumSldX + c;
  return id >= FMin && id <= FMax ? static_cast<int>(id) : 0;
}

void TThumbnails::CalcSlidePos(int SldNum, int& XPos, int& YPos) const {
  const int64_t d = SldNum - RowStart(FFirstThumbIx), P = Pitch();
  const int64_t row = FloorDiv(d, FNumSldX);
  XPos = SaturateToInt(P * (d - row * FNumSldX) + 10);
  YPos = SaturateToInt(P * row + FSlideDist - RowOffset() + 10);
}

void TThumbnails::SetFirstThumbIdx(double value) {
  double v = FMin;
  if (FMin <= FMax) {
    const double x = std::isnan(value) ? FMin : std::clamp(value, double(FMin), double(FMax));
    const double c = double(FNumSldX) * FloorDiv(static_cast<int64_t>(std::floor(x - 1)), FNumSldX) + 1;
    v = c + (x - c) / FNumSldX;
  }
  if (v == FFirstThumbIx) return;
  FFirstThumbIx = v;
  Paint();
}

void TThumbnails::Realign(int OldColumns) {
  const double start = std::floor(FFirstThumbIx);
  SetFirstThumbIdx(start + (FFirstThumbIx - start) * OldColumns);
}

// [SECTION] painting

void TThumbnails::Paint() {
  if (FIsWorking || (!Visible() && !ComponentState().Contains(csDesigning))) return;
  TWorking working(FIsWorking);
  const int W = Width(), H = Height(), P = Pitch();
  auto bmp = ctl_detail::OffscreenBitmap(W, H);
  if (!bmp) return;
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(FColorBG);
  c->FillRect(Rect(0, 0, W, H));
  const int columns = std::max(1, (W + FSlideDist - 20) / P);
  if (columns != FNumSldX) {
    const int old = FNumSldX;
    FNumSldX = columns;
    Realign(old);
  }
  FNumSldY = H / P + 1;
  if (OnFirstImageRequest) OnFirstImageRequest(this);
  TThumbBuffer buffer;
  const int o = RowOffset();
  for (int i = 1; i <= FNumSldX; ++i)
    for (int j = 1; j <= FNumSldY; ++j) {
      const int64_t id = RowStart(FFirstThumbIx) + int64_t{j - 1} * FNumSldX + i - 1;
      if (id < FMin || id > FMax) continue;
      PaintSlide(c, buffer, static_cast<int>(id), (i - 1) * P + 10, (j - 1) * P + FSlideDist - o + 10);
    }
  if (OnLastImageRequest) OnLastImageRequest(this);
  c->Brush()->SetColor(FColorBG);
  c->FillRect(Rect(0, 0, W, 10));
  c->FillRect(Rect(0, H - 10, W, H));
  Frame(c, FFrameStyle, 0, 0, W - 2, H - 2);
  Canvas()->Draw(0, 0, bmp.get());
}

void TThumbnails::PaintSlide(TCanvas* c, TThumbBuffer& buffer, int id, int x, int y) {
  const int m = FSlideMargin, S = FThumbBaseSize, x2 = x + S + 2 * m, y2 = y + S + 2 * m;
  TImageRequestProcessing how = irpShowEmpty;
  int mark = -1;
  buffer.Lend(nullptr);
  if (OnImageRequest) OnImageRequest(this, id, how, mark, buffer);
  TGraphic* image = buffer.Lent() != nullptr ? buffer.Lent() : &buffer;
  if (how != irpShowNothing) {
    c->Brush()->SetColor(GetSelectedSlide(id) ? FColorSelected : FColorCover);
    c->FillRect(Rect(x, y, x2 + 1, y2 + 1));
    Frame(c, FOuterFrameStyle, x, y, x2, y2);
  }
  if (how == irpShowEmpty) {
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clWhite);
    c->Rectangle(x + m, y + m + 20, x2 - m, y2 - m - 20);
    const String number = IntToStr(id);
    c->Font()->Assign(Font());
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->TextOut((x + x2) / 2 - c->TextWidth(number) / 2, (y + y2) / 2 - c->TextHeight(number) / 2, number);
  } else if (how == irpShowSlide && image->Width() > 0 && image->Height() > 0) {
    const int bw = image->Width(), bh = image->Height();
    TRect d;
    if (bw < bh) {
      const int w = static_cast<int>(Round(double(bw) * S / bh));
      d = Rect(x + m + (S - w) / 2, y + m, x + m + (S - w) / 2 + w, y2 - m);
    } else {
      const int h = static_cast<int>(Round(double(bh) * S / bw));
      d = Rect(x + m, y + m + (S - h) / 2, x2 - m, y + m + (S - h) / 2 + h);
    }
    c->SetStretchMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
    c->StretchDraw(d, image);
    Frame(c, FInnerFrameStyle, d.Left, d.Top, d.Right, d.Bottom);
  }
  if (mark >= 0 && mark <= 255) {
    c->Pen()->SetColor(FMarkColor);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(mark), x + 10, y + 12);
  }
  if (OnSlideRendered) OnSlideRendered(this, c, x, y, id);
}

// [SECTION] focus and mouse

void TThumbnails::DrawFocus(int SlideNum, TColor Color) {
  if (SlideNum < FMin || SlideNum > FMax || FHiliteThickness <= 0) return;
  int X = 0, Y = 0;
  CalcSlidePos(SlideNum, X, Y);
  TCanvas* c = Canvas();
  const int W = Width(), H = Height(), span = 2 * FSlideMargin + FThumbBaseSize;
  const int left = X + 2, top = std::max(2, Y + 2), bottom = std::min(H - 3, Y + span - 2);
  c->Pen()->SetColor(Color);
  c->Pen()->SetWidth(1);
  for (int k = 1; k <= FHiliteThickness; ++k) {
    const int l = left + k - 1, t = top + k - 1, r = X + span - k - 1, b = bottom - k + 1;
    c->Polyline({Point(l, t), Point(r, t), Point(r, b), Point(l, b), Point(l, t)});
  }
  c->Brush()->SetColor(FColorBG);
  c->FillRect(Rect(2, 2, W - 2, 10));
  c->FillRect(Rect(2, H - 10, W - 2, H - 2));
}

void TThumbnails::HiLite(int SlideNum) { DrawFocus(SlideNum, FColorHilite); }

void TThumbnails::ResetLastHiLite() {
  DrawFocus(FLastHiLite, GetSelectedSlide(FLastHiLite) ? FColorSelected : FColorCover);
}

void TThumbnails::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FHiliteThickness == 0) return;
  const int id = CalcSlideIndex(X, Y);
  if (id == FLastHiLite) return;
  ResetLastHiLite();
  if (id != 0) HiLite(id);
  FLastHiLite = id;
  if (OnFocusChange) OnFocusChange(this);
}

void TThumbnails::LeftButtonUp(int X, int Y) {
  if (X == -1 && Y == -1) return;
  const int id = CalcSlideIndex(X, Y);
  if (FSelectMode == ssmSingle) {
    FSelectedSlide->Clear();
    if (id != 0) FSelectedSlide->SetBit(id - FMin, true);
  } else if (FSelectMode == ssmMultiple && id != 0) {
    FSelectedSlide->ToggleBit(id - FMin);
  }
  if (FSelectMode != ssmDisabled) {
    FLastClickedSlide = id;
    Paint();
  }
  if (OnImageClick) OnImageClick(this, X, Y, id);
}

void TThumbnails::WndProc(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  const int x = MouseLParamX(Message.LParam), y = MouseLParamY(Message.LParam);
  if (Message.Msg == WM_LBUTTONUP) LeftButtonUp(x, y);
  if (Message.Msg == WM_LBUTTONDBLCLK && OnImageDblClick) OnImageDblClick(this, x, y, CalcSlideIndex(x, y));
}

// [SECTION] selection

void TThumbnails::FitSelection() {
  if (FMin > FMax) {
    FSelectedSlide->Clear();
    return;
  }
  const int64_t top = int64_t{FMax} - FMin;
  FSelectedSlide->SetSize(static_cast<int>(std::clamp<int64_t>(top, 1, TBitFld::MaxSize)));
  for (int64_t i = top + 1; i <= FSelectedSlide->Size(); ++i) FSelectedSlide->SetBit(static_cast<int>(i), false);
}

bool TThumbnails::GetSelectedSlide(int SlideNum) const {
  return SlideNum >= FMin && SlideNum <= FMax && FSelectedSlide->GetBit(static_cast<int>(int64_t{SlideNum} - FMin));
}

void TThumbnails::SetSelectedSlide(int SlideNum, bool Selected) {
  if (SlideNum < FMin || SlideNum > FMax) return;
  FSelectedSlide->SetBit(static_cast<int>(int64_t{SlideNum} - FMin), Selected);
  Paint();
}

void TThumbnails::ResetAllSelections() {
  FSelectedSlide->Clear();
  Paint();
}

int TThumbnails::FirstSelectedSlide() const {
  const int first = FSelectedSlide->FirstTrueBit();
  return SaturateToInt(first < 0 ? int64_t{FMin} - 1 : int64_t{first} + FMin);
}

int TThumbnails::NumSlidesSelected() const { return FSelectedSlide->CountTrueBits(); }

// [SECTION] component and properties

void TThumbnails::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TThumbnails*>(Source);
  if (o == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  FFrameStyle = o->FFrameStyle, FOuterFrameStyle = o->FOuterFrameStyle, FInnerFrameStyle = o->FInnerFrameStyle;
  FColorBG = o->FColorBG, FColBlackLine = o->FColBlackLine, FColGrayLine = o->FColGrayLine;
  FColWhiteLine = o->FColWhiteLine, FColorScheme = o->FColorScheme, FFirstThumbIx = o->FFirstThumbIx;
  FMin = o->FMin, FMax = o->FMax, FNumSldX = o->FNumSldX, FNumSldY = o->FNumSldY;
  FThumbBaseSize = o->FThumbBaseSize, FSlideDist = o->FSlideDist, FSlideMargin = o->FSlideMargin;
  OnImageRequest = o->OnImageRequest, OnImageClick = o->OnImageClick, OnImageDblClick = o->OnImageDblClick;
  OnFocusChange = o->OnFocusChange, OnFirstImageRequest = o->OnFirstImageRequest;
  OnLastImageRequest = o->OnLastImageRequest, FAntiAlias = o->FAntiAlias, FColorCover = o->FColorCover;
  FColorSelected = o->FColorSelected, FColorHilite = o->FColorHilite, FLastHiLite = o->FLastHiLite;
  FHiliteThickness = o->FHiliteThickness;
  FitSelection();
  Paint();
}

void TThumbnails::AssignTo(TPersistent* Dest) {
  if (auto* o = dynamic_cast<TThumbnails*>(Dest)) {
    o->Assign(this);
    return;
  }
  TGraphicControl::AssignTo(Dest);
}

template <class T>
void TThumbnails::StoreAndRepaint(T& field, T value) {
  if (field == value) return;
  field = value;
  Paint();
}

void TThumbnails::SetMin(int value) {
  FMin = value;
  FitSelection();
  if (FMin > FMax) FFirstThumbIx = FMin;
  Paint();
}

void TThumbnails::SetMax(int value) {
  FMax = std::max(value, 1);
  FitSelection();
  if (FMin > FMax) FFirstThumbIx = FMin;
  Paint();
}

void TThumbnails::SetSlideSelectMode(TSlideSelectMode value) {
  if (value == FSelectMode) return;
  FSelectMode = value;
  FSelectedSlide->Clear();
  Paint();
}

void TThumbnails::SetColorScheme(TColorScheme value) {
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor(0x808080);
  FColWhiteLine = value == csSystem ? clBtnHighlight : TColor(0xFFFFFF);
  Paint();
}

void TThumbnails::SetAntiAlias(bool value) {
  FAntiAlias = value;
  Paint();
}

void TThumbnails::SetSlideSize(int value) { StoreAndRepaint(FThumbBaseSize, std::min(std::max(value, 50), Width())); }

void TThumbnails::SetSlideDistance(int value) { StoreAndRepaint(FSlideDist, std::clamp(value, 0, 100)); }
void TThumbnails::SetSlideMargin(int value) { StoreAndRepaint(FSlideMargin, std::clamp(value, 0, 100)); }
void TThumbnails::SetFocusLinewidth(int value) { StoreAndRepaint(FHiliteThickness, std::clamp(value, 0, 10)); }
void TThumbnails::SetColorBackGnd(TColor value) { StoreAndRepaint(FColorBG, value); }
void TThumbnails::SetColorCover(TColor value) { StoreAndRepaint(FColorCover, value); }
void TThumbnails::SetColorSelected(TColor value) { StoreAndRepaint(FColorSelected, value); }
void TThumbnails::SetColorFocus(TColor value) { StoreAndRepaint(FColorHilite, value); }
void TThumbnails::SetColorMark(TColor value) { StoreAndRepaint(FMarkColor, value); }
void TThumbnails::SetFrameStyle(TFrameStyle value) { StoreAndRepaint(FFrameStyle, value); }
void TThumbnails::SetOuterFrameStyle(TFrameStyle value) { StoreAndRepaint(FOuterFrameStyle, value); }
void TThumbnails::SetInnerFrameStyle(TFrameStyle value) { StoreAndRepaint(FInnerFrameStyle, value); }

}  // namespace qelta
