// Qelta_onoffbut: the on/off button TOnOffBut.
//
// Picture, in drawing order: the background (black when transparent, so that ORing it changes
// nothing), the captions (on the bitmap in ColorText and on the mask in black; disabled, engraved:
// white one pixel right and down, then grey, both over a clear brush), the picture
// FButImg[2 x OnOff + Enabled] with its $EBBEEB pixels turned into the background (black in the mask
// wherever it shows), and the frame (black in the mask). The caption height is that of the sample
// "(8g]}ÜÄ§" in the control's font.
// Deviations from the classic control, each mending a fault:
//  - CM_BUTTONPRESSED is acted on only when another on/off button sends it: speed buttons send it with
//    the same group numbers, and their AllowAllUp was taken as AllowAllOff. Likewise the button tells
//    only the on/off buttons of its parent, so a speed button sharing the number is never switched.
//  - Centring on resize runs in the virtual Resize, which then fires OnResize: the classic control
//    hooked its own OnResize, so a host handler ended the centring.
//  - In oobmSpeedBut mode the left release that ends a press switches the button off wherever it
//    happens (a press on the picture released beside it left the button on for good); OnClick still
//    needs the release to count.
//  - oobsUser takes the glyph size of the user pictures (it kept the previous style's size, so the
//    20 x 20 pictures were cut, centred wrongly and hit-tested over the wrong area).
//  - A transparent button repaints by invalidating wherever it repaints (state, colours, frame), so
//    the parent is drawn underneath first: painting at once ORed the new picture over the old one.
//  - Disabled captions are written over a clear brush on the mask too, so the grey writing does not
//    blank the white one's pixels in the mask.
//  - Paint draws nothing when the bitmap cannot be had (a control over 2^28 pixels).

#include "Qelta_onoffbut.h"

#include <algorithm>
#include <vector>

#include "Qelta_ctlbitmap.h"
#include "Qelta_onoffbut_sheets.h"
#include "Resources.h"

namespace qelta {
namespace {

constexpr uint32_t kRgb = 0xFFFFFF;
constexpr uint32_t kOpaque = 0xFF000000u;

// The text the caption height is measured with (high and low reaching characters).
const String kHeightSample = u"(8g]}\u00DC\u00C4\u00A7";

// A colour as a pixel of a bitmap (0xAARRGGBB, opaque).
uint32_t PixelOf(TColor color) {
  const TColor c = ColorToRGB(color);
  return kOpaque | uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
}

void Fill(TCanvas* c, TColor color, int W, int H) {
  c->Pen()->SetColor(color);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  c->Rectangle(0, 0, W, H);
}

// The four quarters of a 2 x 2 sheet into pictures [3] (left top), [1] (right top), [2] (left
// bottom), [0] (right bottom).
void SplitSheet(const TBitmap& sheet, std::array<std::unique_ptr<TBitmap>, 4>& into) {
  const int w = sheet.Width() / 2, h = sheet.Height() / 2;
  const int order[4][2] = {{1, 1}, {1, 0}, {0, 1}, {0, 0}};  // column, row of pictures 0..3
  for (int i = 0; i < 4; ++i) {
    into[i]->SetSize(w, h);
    into[i]->Canvas()->SetCopyMode(cmSrcCopy);
    into[i]->Canvas()->CopyRect(Rect(0, 0, w, h), sheet.Canvas(), Bounds(order[i][0] * w, order[i][1] * h, w, h));
  }
}

}  // namespace

String OnOffButSheetName(TOnOffButStyle Style) {
  const int i = int(Style) - 1;
  return i >= 0 && i < int(std::size(ctl_detail::kOnOffSheets)) ? String(ctl_detail::kOnOffSheets[i].Name) : String();
}

namespace ctl_detail {
HINSTANCE OnOffButResources() { return HInstance(); }
}  // namespace ctl_detail

// [SECTION] layout

TPoint OnOffCaptionPos(const TOnOffLayout& L, TOnOffCaption Side, TAlignment Alignment, int tw) {
  const int GW = L.GlyphWidth, GH = L.GlyphHeight, LS = L.LeftSpace, TS = L.TopSpace;
  switch (Side) {
    case ocLeft: {
      const int y = TS + (GH - L.TextHeight) / 2;
      if (Alignment == taLeftJustify) return Point(4, y);
      if (Alignment == taRightJustify) return Point(LS - tw - 3, y);
      return Point((LS - tw) / 2, y);
    }
    case ocRight: {
      const int y = TS + (GH - L.TextHeight) / 2;
      if (Alignment == taLeftJustify) return Point(LS + GW + 4, y);
      if (Alignment == taRightJustify) return Point(L.W - tw - 4, y);
      return Point((L.W - tw - (LS + GW)) / 2 + LS + GW + 1, y);
    }
    case ocTop:
    case ocBottom: {
      const int y = Side == ocTop ? TS - L.TextHeight - 4 : TS + GH + 4;
      if (Alignment == taLeftJustify) return Point(4, y);
      if (Alignment == taRightJustify) return Point(L.W - tw - 4, y);
      return Point(LS + (GW - tw) / 2, y);
    }
  }
  return Point(0, 0);
}

TRect OnOffGlyphRect(const TOnOffLayout& L) {
  return Bounds(L.LeftSpace + 1, L.TopSpace + 1, L.GlyphWidth, L.GlyphHeight);
}

bool OnOffHit(const TOnOffLayout& L, TOOButMouseAction Action, int X, int Y) {
  if (Action == oomaNone) return false;
  if (Action == oomaPlain) return true;
  return L.LeftSpace < X && X < L.LeftSpace + L.GlyphWidth && L.TopSpace < Y && Y < L.TopSpace + L.GlyphHeight;
}

// [SECTION] construction

TOnOffBut::TOnOffBut(TComponent* AOwner) : TGraphicControl(AOwner), FMask(std::make_unique<TBitmap>()) {
  for (auto* pictures : {&FButImg, &FUserImg})
    for (auto& p : *pictures) p = std::make_unique<TBitmap>(20, 20);
  TCanvas* cross = FUserImg[1]->Canvas();
  cross->MoveTo(0, 0);
  cross->LineTo(20, 20);
  cross->MoveTo(0, 20);
  cross->LineTo(20, 0);
  FUserImg[3]->Canvas()->Ellipse(5, 5, 15, 15);
  LoadGlyphs();
  SetBounds(0, 0, 100, 50);
}

TOnOffBut::~TOnOffBut() = default;

// [SECTION] pictures

void TOnOffBut::LoadGlyphs() {
  if (FButStyle == oobsUser) {
    for (int i = 3; i >= 0; --i) FButImg[i]->Assign(FUserImg[i].get());
    FGlyphWidth = FUserImg[3]->Width();
    FGlyphHeight = FUserImg[3]->Height();
    return;
  }
  TBitmap sheet;
  sheet.LoadFromResourceName(HInstance(), OnOffButSheetName(FButStyle));
  ExtractGlyphs(sheet);
}

void TOnOffBut::ExtractGlyphs(const TBitmap& Bitmap) {
  FGlyphWidth = Bitmap.Width() / 2;
  FGlyphHeight = Bitmap.Height() / 2;
  SplitSheet(Bitmap, FButImg);
}

void TOnOffBut::SetUserGlyph(const TBitmap* Img) {
  if (Img == nullptr || Img->Width() < 2 || Img->Height() < 2) return;
  SplitSheet(*Img, FUserImg);
  if (FButStyle != oobsUser) return;
  LoadGlyphs();
  if (FAutoCenter) AdjustAutoCenter();
  Invalidate();
}

void TOnOffBut::LoadUserGlyph(const String& FName) {
  TBitmap sheet;
  sheet.LoadFromFile(FName);
  SetUserGlyph(&sheet);
}

void TOnOffBut::AdjustAutoCenter() {
  FLeftSpace = (Width() - FGlyphWidth) / 2;
  FTopSpace = (Height() - FGlyphHeight) / 2;
}

void TOnOffBut::ProcessResize(TObject* /*Sender*/) {
  if (Parent() == nullptr || !FAutoCenter) return;
  AdjustAutoCenter();
  Redraw();
}

void TOnOffBut::Resize() {
  ProcessResize(this);
  TGraphicControl::Resize();
}

// [SECTION] painting

void TOnOffBut::Redraw() {
  if (FTransParent)
    Invalidate();
  else
    Paint();
}

TOnOffLayout TOnOffBut::Layout(int TextHeight) const {
  return TOnOffLayout{Width(), Height(), FGlyphWidth, FGlyphHeight, FLeftSpace, FTopSpace, TextHeight};
}

void TOnOffBut::WriteCaption(TBitmap& Bmp, TPoint At, const String& Text) {
  TCanvas* b = Bmp.Canvas();
  TCanvas* m = FMask->Canvas();
  if (FEnabled) {
    b->Font()->SetColor(FColorTxt);
    b->TextOut(At.X, At.Y, Text);
    m->TextOut(At.X, At.Y, Text);
    return;
  }
  b->Brush()->SetStyle(bsClear);
  m->Brush()->SetStyle(bsClear);
  b->Font()->SetColor(clWhite);
  b->TextOut(At.X + 1, At.Y + 1, Text);
  m->TextOut(At.X + 1, At.Y + 1, Text);
  b->Font()->SetColor(clGray);
  b->TextOut(At.X, At.Y, Text);
  m->TextOut(At.X, At.Y, Text);
}

void TOnOffBut::DrawCaptions(TBitmap& Bmp, int TextHeight) {
  const TOnOffLayout layout = Layout(TextHeight);
  const struct {
    const String& text;
    TOnOffCaption side;
    TAlignment alignment;
  } captions[] = {{FLeftText, ocLeft, FLTAlignment},
                  {FRightText, ocRight, FRTAlignment},
                  {FTopText, ocTop, FTTAlignment},
                  {FBottomText, ocBottom, FBTAlignment}};
  for (const auto& c : captions) {
    if (c.text.empty()) continue;
    WriteCaption(Bmp, OnOffCaptionPos(layout, c.side, c.alignment, Bmp.Canvas()->TextWidth(c.text)), c.text);
  }
}

void TOnOffBut::DrawGlyph(TBitmap& Bmp) {
  const TRect dest = OnOffGlyphRect(Layout());
  FMask->Canvas()->Brush()->SetStyle(bsSolid);
  FMask->Canvas()->Brush()->SetColor(clWhite);
  FMask->Canvas()->FillRect(dest);
  TBitmap* picture = FButImg[2 * int(FOnOff) + int(FEnabled)].get();
  Bmp.Canvas()->SetCopyMode(cmSrcCopy);
  Bmp.Canvas()->CopyRect(dest, picture->Canvas(), Rect(0, 0, dest.Width(), dest.Height()));
  const uint32_t back = PixelOf(FTransParent ? clBlack : FColorBakG);
  const int x0 = std::max(dest.Left, 0), x1 = std::min(dest.Right, Bmp.Width());
  for (int y = std::max(dest.Top, 0); y < std::min(dest.Bottom, Bmp.Height()); ++y) {
    uint32_t* row = Bmp.ScanLine(y);
    uint32_t* mask = FMask->ScanLine(y);
    for (int x = x0; x < x1; ++x) {
      if ((row[x] & kRgb) == uint32_t(ctl_detail::kOnOffTransparent))
        row[x] = back;
      else
        mask[x] = kOpaque;
    }
  }
}

void TOnOffBut::DrawPicture(TBitmap& Bmp) {
  const int W = Bmp.Width(), H = Bmp.Height();
  TCanvas* b = Bmp.Canvas();
  TCanvas* m = FMask->Canvas();
  FMask->SetSize(W, H);
  m->Font()->Assign(Font());
  Fill(m, clWhite, W, H);
  m->Font()->SetColor(clBlack);
  b->Font()->Assign(Font());
  Fill(b, FTransParent ? clBlack : FColorBakG, W, H);
  DrawCaptions(Bmp, b->TextHeight(kHeightSample));
  DrawGlyph(Bmp);
  DrawFrame(b, FFrameStyle, 0, 0, W - 1, H - 1, clWhite, clSilver, clGray, clBlack, clBlack);
  DrawFrame(m, FFrameStyle, 0, 0, W - 1, H - 1, clBlack, clBlack, clBlack, clBlack, clBlack);
}

void TOnOffBut::Paint() {
  if (!Visible() && !ComponentState().Contains(csDesigning)) return;
  const std::unique_ptr<TBitmap> bmp = ctl_detail::OffscreenBitmap(Width(), Height());
  if (bmp == nullptr) return;
  DrawPicture(*bmp);
  TCanvas* c = Canvas();
  if (FTransParent) {
    c->SetCopyMode(cmSrcAnd);
    c->Draw(0, 0, FMask.get());
    c->SetCopyMode(cmSrcPaint);
    c->Draw(0, 0, bmp.get());
    c->SetCopyMode(cmSrcCopy);
  } else {
    c->SetCopyMode(cmSrcCopy);
    c->Draw(0, 0, bmp.get());
  }
}

// [SECTION] group

void TOnOffBut::SetOnOff(bool value) {
  if (value == FOnOff || (!value && FGroupIndex != 0 && !FAllowAllOff)) return;
  FOnOff = value;
  Redraw();
  if (FOnOff) UpdateExclusive();
}

void TOnOffBut::UpdateExclusive() {
  if (FGroupIndex == 0 || Parent() == nullptr) return;
  std::vector<TOnOffBut*> others;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* b = dynamic_cast<TOnOffBut*>(Parent()->Controls(i)); b != nullptr && b != this) others.push_back(b);
  for (TOnOffBut* b : others)
    b->Perform(CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex),
               reinterpret_cast<LPARAM>(static_cast<TControl*>(this)));
}

void TOnOffBut::CMButtonPressed(const TMessage& Message) {
  auto* sender = dynamic_cast<TOnOffBut*>(reinterpret_cast<TControl*>(Message.LParam));
  if (Message.WParam != static_cast<WPARAM>(FGroupIndex) || sender == nullptr || sender == this) return;
  if (sender->FOnOff && FOnOff) {
    FOnOff = false;
    Redraw();
  }
  FAllowAllOff = sender->FAllowAllOff;
}

void TOnOffBut::WndProc(TMessage& Message) {
  if (Message.Msg == CM_BUTTONPRESSED) {
    CMButtonPressed(Message);
    return;
  }
  TGraphicControl::WndProc(Message);
}

void TOnOffBut::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  UpdateExclusive();
}

void TOnOffBut::SetAllowAllOff(bool value) {
  if (value == FAllowAllOff) return;
  FAllowAllOff = value;
  UpdateExclusive();
}

// [SECTION] mouse

void TOnOffBut::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !OnOffHit(Layout(), FMouseAction, X, Y)) return;
  if (FGroupIndex != 0 && !FAllowAllOff && FOnOff) return;
  FOnOff = !FOnOff;
  FSpeedPressed = FMode == oobmSpeedBut;
  Redraw();
  if (FOnOff) UpdateExclusive();
}

void TOnOffBut::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const bool counts = OnOffHit(Layout(), FMouseAction, X, Y);
  const bool endsPress = FSpeedPressed;
  FSpeedPressed = false;
  if (FMode == oobmSpeedBut && (counts || endsPress)) {
    FOnOff = false;
    Redraw();
  }
  if (counts) TGraphicControl::Click();
}

// [SECTION] properties

template <class T>
void TOnOffBut::StoreAndRedraw(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  Redraw();
}

void TOnOffBut::SetButtonStyle(TOnOffButStyle value) {
  if (value == FButStyle) return;
  FButStyle = value;
  LoadGlyphs();
  if (FAutoCenter) AdjustAutoCenter();
  Invalidate();
}

void TOnOffBut::SetAutoCenter(bool value) {
  if (value == FAutoCenter) return;
  FAutoCenter = value;
  if (value) AdjustAutoCenter();
  Redraw();
}

void TOnOffBut::SetLeftSpace(int value) {
  if (value == FLeftSpace || value < 0) return;
  if (FAutoCenter)
    AdjustAutoCenter();
  else
    FLeftSpace = std::min(value, Width());
  Invalidate();
}

void TOnOffBut::SetTopSpace(int value) {
  if (value == FTopSpace || value < 0) return;
  if (FAutoCenter)
    AdjustAutoCenter();
  else
    FTopSpace = std::min(value, Height());
  Invalidate();
}

void TOnOffBut::SetMode(TOOButMode value) {
  FMode = value;
  if (value == oobmSpeedBut) FOnOff = false;
  Invalidate();
}

void TOnOffBut::SetEnabled(bool value) {
  FEnabled = value;
  TGraphicControl::SetEnabled(value);
  Invalidate();
}

void TOnOffBut::SetTransparent(bool value) {
  FTransParent = value;
  Redraw();
}

void TOnOffBut::SetColorText(TColor value) { StoreAndRedraw(FColorTxt, value); }
void TOnOffBut::SetColorBackgnd(TColor value) { StoreAndRedraw(FColorBakG, value); }
void TOnOffBut::SetFrameStyle(TFrameStyle value) { StoreAndRedraw(FFrameStyle, value); }

void TOnOffBut::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  Invalidate();
}

void TOnOffBut::SetCaption(String& Field, const String& value) {
  if (Field == value) return;
  Field = value;
  Invalidate();
}

void TOnOffBut::SetAlignment(TAlignment& Field, TAlignment value) {
  if (Field == value) return;
  Field = value;
  Invalidate();
}

void TOnOffBut::SetLeftText(const String& value) { SetCaption(FLeftText, value); }
void TOnOffBut::SetTopText(const String& value) { SetCaption(FTopText, value); }
void TOnOffBut::SetBottomText(const String& value) { SetCaption(FBottomText, value); }
void TOnOffBut::SetRightText(const String& value) { SetCaption(FRightText, value); }
void TOnOffBut::SetLeftTextAlignment(TAlignment value) { SetAlignment(FLTAlignment, value); }
void TOnOffBut::SetTopTextAlignment(TAlignment value) { SetAlignment(FTTAlignment, value); }
void TOnOffBut::SetBottomTextAlignment(TAlignment value) { SetAlignment(FBTAlignment, value); }
void TOnOffBut::SetRightTextAlignment(TAlignment value) { SetAlignment(FRTAlignment, value); }

// [SECTION] copying

void TOnOffBut::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TOnOffBut*>(Source);
  if (src == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  FLeftSpace = src->FLeftSpace;
  FTopSpace = src->FTopSpace;
  FAutoCenter = src->FAutoCenter;
  FLeftText = src->FLeftText;
  FTopText = src->FTopText;
  FBottomText = src->FBottomText;
  FRightText = src->FRightText;
  FLTAlignment = src->FLTAlignment;
  FTTAlignment = src->FTTAlignment;
  FBTAlignment = src->FBTAlignment;
  FRTAlignment = src->FRTAlignment;
  FFrameStyle = src->FFrameStyle;
  FColorBakG = src->FColorBakG;
  FColorScheme = src->FColorScheme;
  FOnOff = src->FOnOff;
  for (int i = 0; i < 4; ++i) {
    FButImg[i]->Assign(src->FButImg[i].get());
    FUserImg[i]->Assign(src->FUserImg[i].get());
  }
  FButStyle = src->FButStyle;
  FMouseAction = src->FMouseAction;
  FColorTxt = src->FColorTxt;
  FGlyphWidth = src->FGlyphWidth;
  FGlyphHeight = src->FGlyphHeight;
  FTransParent = src->FTransParent;
  FEnabled = src->FEnabled;
  TGraphicControl::SetEnabled(FEnabled);
  Invalidate();
}

void TOnOffBut::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TOnOffBut*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TGraphicControl::AssignTo(Dest);
}

}  // namespace qelta
