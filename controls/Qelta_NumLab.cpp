// Qelta_NumLab: the numeric label TNumLab.
//
// Geometry: LS = LeftSpace, LW = LabelWidth, W x H the label, th the text height of the sample
// "(8g]}ÜÄ§", ty = (H - th) div 2 the top of every text, q = H - 4. The box is that of TNumIO2 over
// the whole height (Qelta_NumIO_internal.h); the number is clipped to LS + 3, 2, LS + LW - 1, q + 1.
// Texts of the display types: dtFloat, dtFixP, dtExp by Format "%*.*g", "%*.*f", "%*.*e" (width 0,
// precision Precision); dtInt "%*.*d" of the value rounded (halves to even) as a 64-bit integer with
// precision 0, dtZeroInt the same with Precision as the minimum digits; dtHex, dtOct, dtBin the
// rounded value in the base, upper case, at least Precision digits and never fewer than it needs
// (negatives as 32-bit two's complement); dtDateTime FormatDateTime(DTFormat, Value); dtState
// StateText; dtDeg, dtDegMin, dtDegMinSec DegreeToStr with Precision decimals; dtEEng
// EEngStr(Value, Precision), dtEEngNoDP EEngStr(Value, -Precision) (4k7).
// A value that an integer type cannot hold (beyond 64 bits, or 32 bits for the bases), NaN, an
// infinity, or a date beyond the years 1..9999 shows the overflow indicator: a clamped number would
// show a wrong value as if it were right.

#include "Qelta_NumLab.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "DateUtils.h"
#include "Math.h"
#include "Qelta_NumIO_internal.h"
#include "Qelta_ctlbitmap.h"
#include "Qelta_math1.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr TColor kGrey = 0x808080;
// The serial dates of 0001-01-01 and of the day after 9999-12-31.
constexpr double kFirstDate = -693593.0, kDateEnd = 2958466.0;

bool FitsInt64(double v) { return v >= -9223372036854775808.0 && v < 9223372036854775808.0; }

// The rounded value as the 32 bits of its base text; false beyond -2^31..2^32 - 1.
bool Bits32(double v, int32_t& bits) {
  if (!(v > -2147483648.5 && v < 4294967295.5)) return false;
  const int64_t n = Round(v);
  if (n < INT32_MIN || n > int64_t{UINT32_MAX}) return false;
  bits = static_cast<int32_t>(static_cast<uint32_t>(n));
  return true;
}

String RadixDigits(int32_t bits, TInFormat format, int precision) {
  const String digits = ctl_detail::RadixText(bits, format, 1);
  return StringOfChar(u'0', std::max(0, precision - Length(digits))) + digits;
}

}  // namespace

TNumLab::TNumLab(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(Left(), Top(), 160, 28); }

TNumLab::~TNumLab() = default;

// [SECTION] text

bool TNumLab::RawText(String& text) const {
  const double v = FLabValue;
  int32_t bits = 0;
  switch (FDisplayType) {
    case dtFloat: text = Format(u"%*.*g", {0, FDecP, v}); return std::isfinite(v);
    case dtFixP: text = Format(u"%*.*f", {0, FDecP, v}); return std::isfinite(v);
    case dtExp: text = Format(u"%*.*e", {0, FDecP, v}); return std::isfinite(v);
    case dtInt:
    case dtZeroInt:
      if (!FitsInt64(v)) return false;
      text = Format(u"%*.*d", {0, FDisplayType == dtInt ? 0 : FDecP, Round(v)});
      return true;
    case dtHex: return Bits32(v, bits) && (text = RadixDigits(bits, itHex, FDecP), true);
    case dtOct: return Bits32(v, bits) && (text = RadixDigits(bits, itOct, FDecP), true);
    case dtBin: return Bits32(v, bits) && (text = RadixDigits(bits, itBin, FDecP), true);
    case dtDateTime:
      if (!(v >= kFirstDate && v < kDateEnd)) return false;
      text = FormatDateTime(FDtFormat, v);
      return true;
    case dtState: text = FStateText; return true;
    case dtDeg: text = DegreeToStr(v, dfDeg, FDecP); return std::isfinite(v);
    case dtDegMin: text = DegreeToStr(v, dfDegMin, FDecP); return std::isfinite(v);
    case dtDegMinSec: text = DegreeToStr(v, dfDegMinSec, FDecP); return std::isfinite(v);
    case dtEEng: text = EEngStr(v, FDecP); return std::isfinite(v);
    case dtEEngNoDP: text = EEngStr(v, -FDecP); return std::isfinite(v);
  }
  return false;
}

String TNumLab::DisplayText() const {
  String text;
  if (!RawText(text)) return FOverFlowIndi;
  if (FDisplayType == dtHex || FDisplayType == dtDateTime || FDisplayType == dtState || FDisplayType == dtBin)
    return text;
  text = FComma ? ReplaceCharInString(text, u'.', u',') : ReplaceCharInString(text, u',', u'.');
  return FPlusSign && FLabValue > 0 ? u"+" + text : text;
}

// [SECTION] painting

void TNumLab::Paint() {
  if (!Visible() && !ComponentState().Contains(csDesigning)) return;
  const int W = Width(), H = Height(), LS = FLeftSpace, LW = FLabWidth;
  const std::unique_ptr<TBitmap> bmp = ctl_detail::OffscreenBitmap(W, H);
  if (!bmp) return;
  TCanvas* c = bmp->Canvas();
  c->Font()->Assign(Font());
  const int ty = (H - c->TextHeight(ctl_detail::kTextSample)) / 2;
  const TColor back = FTransParent ? clWhite : FColorOutBakG;
  c->Pen()->SetColor(back);
  c->Brush()->SetColor(back);
  c->Rectangle(0, 0, W, H);
  const int lw = c->TextWidth(FLeftText), rw = c->TextWidth(FRightText), end = LS + LW;
  const int lx = ctl_detail::SideTextX(FLTAlignment, 7, LS - lw - 5, (LS - lw) / 2);
  ctl_detail::DrawSideText(c, FLeftText, lx, lx + 1, ty, FEnabled, back, FColorOutText);
  const int rx = ctl_detail::SideTextX(FRTAlignment, end + 7, W - rw - 6, (W - (end + rw)) / 2 + end + 1);
  ctl_detail::DrawSideText(c, FRightText, rx, FRTAlignment == taRightJustify ? rx - 1 : rx + 1, ty, FEnabled, back,
                       FColorOutText);
  c->Pen()->SetColor(FFrameStyle == fsNone       ? FColorLabBakG
                     : FFrameStyle == fsEmbossed ? FColWhiteLine
                                                 : FColGrayLine);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColorLabBakG);
  ctl_detail::DrawNumberBox(c, FFrameStyle, LS, LW, H, FColBlackLine, FColGrayLine, FColWhiteLine);
  if (!FEmpty) DrawNumber(c, ty);
  CopyToCanvas(bmp.get());
}

void TNumLab::DrawNumber(TCanvas* c, int ty) const {
  String text = DisplayText();
  if (OnBeforeDisplay) OnBeforeDisplay(const_cast<TNumLab*>(this), text);
  const int tw = c->TextWidth(text);
  if (tw > FLabWidth - 6 && FDisplayType != dtState) text = FOverFlowIndi;
  c->Font()->SetColor(FEnabled ? FColorLabText : kGrey);
  const int LS = FLeftSpace;
  c->TextRect(Rect(LS + 3, 2, LS + FLabWidth - 1, Height() - 3), ctl_detail::BoxTextX(FAlignment, LS, FLabWidth, tw),
              ty, text);
}

void TNumLab::CopyToCanvas(TBitmap* bmp) {
  TCanvas* canvas = Canvas();
  const TRect all = Rect(0, 0, bmp->Width(), bmp->Height());
  if (!FTransParent) {
    canvas->SetCopyMode(cmSrcCopy);
    canvas->CopyRect(all, bmp->Canvas(), all);
    return;
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(FColorLabText != 0 ? clWhite : FColorLabBakG);
  canvas->FillRect(Rect(FLeftSpace + 2, 2, FLeftSpace + FLabWidth, Height() - 2));
  canvas->SetCopyMode(cmSrcAnd);
  canvas->CopyRect(all, bmp->Canvas(), all);
  canvas->SetCopyMode(cmSrcCopy);
}

void TNumLab::MouseMove(TShiftState Shift, int X, int Y) {
  FMouseAreaCode = X > FLeftSpace + FLabWidth ? 2 : X > FLeftSpace ? 1 : 0;
  TGraphicControl::MouseMove(Shift, X, Y);
}

// [SECTION] component

void TNumLab::Redraw() {
  // The AND of a transparent label needs the parent's own pixels under it, not the last picture.
  if (FTransParent)
    Invalidate();
  else
    Paint();
}

template <class T>
void TNumLab::StoreAndRepaint(T& field, const T& value) {
  if (field == value) return;
  field = value;
  Redraw();
}

void TNumLab::SetEnabled(bool value) {
  FEnabled = value;
  TGraphicControl::SetEnabled(value);
  Refresh();
}

void TNumLab::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TNumLab*>(Source);
  if (o == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  FLeftSpace = o->FLeftSpace, FEmpty = o->FEmpty, FLabWidth = o->FLabWidth, FDecP = o->FDecP;
  FLeftText = o->FLeftText, FRightText = o->FRightText, FFrameStyle = o->FFrameStyle;
  FAlignment = o->FAlignment, FLTAlignment = o->FLTAlignment, FRTAlignment = o->FRTAlignment;
  FOverFlowIndi = o->FOverFlowIndi, FLabValue = o->FLabValue, FStateText = o->FStateText;
  FTransParent = o->FTransParent, FColorLabBakG = o->FColorLabBakG, FColorLabText = o->FColorLabText;
  FColorOutBakG = o->FColorOutBakG, FColorOutText = o->FColorOutText, FColBlackLine = o->FColBlackLine;
  FColGrayLine = o->FColGrayLine, FColWhiteLine = o->FColWhiteLine, FColorScheme = o->FColorScheme;
  FDisplayType = o->FDisplayType;
  Redraw();
}

void TNumLab::AssignTo(TPersistent* Dest) {
  if (auto* o = dynamic_cast<TNumLab*>(Dest)) {
    o->Assign(this);
    return;
  }
  TGraphicControl::AssignTo(Dest);
}

// [SECTION] properties

void TNumLab::SetLeftSpace(int value) {
  if (value >= 0) StoreAndRepaint(FLeftSpace, std::min(value, Width()));
}
void TNumLab::SetEmpty(bool value) { StoreAndRepaint(FEmpty, value); }
void TNumLab::SetLabelWidth(int value) { StoreAndRepaint(FLabWidth, value); }
void TNumLab::SetPrecision(int value) {
  if (value >= 0) StoreAndRepaint(FDecP, std::min(value, 15));
}
void TNumLab::SetComma(bool value) { StoreAndRepaint(FComma, value); }
void TNumLab::SetForcePlusSign(bool value) { StoreAndRepaint(FPlusSign, value); }
void TNumLab::SetTransparent(bool value) {
  if (value == FTransParent) return;
  FTransParent = value;
  if (value)
    Invalidate();
  else
    Paint();
}
void TNumLab::SetLeftText(const String& value) { StoreAndRepaint(FLeftText, value); }
void TNumLab::SetRightText(const String& value) { StoreAndRepaint(FRightText, value); }
void TNumLab::SetFrameStyle(TFrameStyle value) { StoreAndRepaint(FFrameStyle, value); }
void TNumLab::SetStateText(const String& value) { StoreAndRepaint(FStateText, value); }
void TNumLab::SetAlignment(TAlignment value) { StoreAndRepaint(FAlignment, value); }
void TNumLab::SetLeftTextAlignment(TAlignment value) { StoreAndRepaint(FLTAlignment, value); }
void TNumLab::SetRightTextAlignment(TAlignment value) { StoreAndRepaint(FRTAlignment, value); }
void TNumLab::SetOverflowIndicator(const String& value) { StoreAndRepaint(FOverFlowIndi, value); }
void TNumLab::SetValue(double value) {
  // NaN differs from itself: a second NaN is the same value and paints nothing.
  if (value == FLabValue || (std::isnan(value) && std::isnan(FLabValue))) return;
  FLabValue = value;
  Redraw();
}
void TNumLab::SetColorLabBakG(TColor value) { StoreAndRepaint(FColorLabBakG, value); }
void TNumLab::SetColorLabText(TColor value) { StoreAndRepaint(FColorLabText, value); }
void TNumLab::SetColorOutBakG(TColor value) { StoreAndRepaint(FColorOutBakG, value); }
void TNumLab::SetColorOutText(TColor value) { StoreAndRepaint(FColorOutText, value); }
void TNumLab::SetColorScheme(TColorScheme value) {
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor(0x808080);
  FColWhiteLine = value == csSystem ? clBtnHighlight : TColor(0xFFFFFF);
  Redraw();
}
void TNumLab::SetDisplayType(TDisplay value) { StoreAndRepaint(FDisplayType, value); }
void TNumLab::SetDTFormat(const String& value) { StoreAndRepaint(FDtFormat, value); }

}  // namespace qelta
