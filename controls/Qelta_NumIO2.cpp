// Qelta_NumIO: the numeric input control TNumIO2 - value and text, caret timer, settings.
//
// The value is written with the separator the validators accept for DecPlaceSep ('.' or ','; a
// third system separator counts as ','), so that a written value can always be edited further: a
// separator the online check refuses would make every later keystroke fail. NaN and infinities are
// written as 0 for the same reason. Integer formats take the value through the platform's Round,
// which clamps to 64 bits; hexadecimal, octal and binary keep 32 bits and read them back signed.
// Keys are in Qelta_NumIO2_keys.cpp, drawing and mouse in Qelta_NumIO2_paint.cpp.

#include <algorithm>
#include <cmath>

#include "Forms.h"
#include "Math.h"
#include "Qelta_NumIO_internal.h"
#include "Qelta_ctltimer.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr Cardinal CaretInterval = 500;
constexpr int MinHeight = 18;

// ScanFPNum over the whole buffer with the exponent and both separators; trailing text ignored.
double ScanFloat(const String& s) {
  int pos = 1;
  return ScanFPNum(s, true, 3, pos);
}

// A decimal integer text as a 32-bit value, saturated by its sign; 0 when it is not one.
double DecimalIntValue(const String& s) {
  if (s.empty() || !IsValidDecInt(s)) return 0;
  int32_t v = 0;
  if (TryStrToInt(s, v)) return v;
  return s[0] == u'-' ? INT32_MIN : INT32_MAX;
}

double RadixValue(const String& digits, TInFormat format) {
  int32_t v = 0;
  ctl_detail::ReadRadixDigits(digits, 1, format, v);
  return v;
}

}  // namespace

TNumIO2::TNumIO2(TComponent* AOwner)
    : TCustomControl(AOwner), FCaretTimer(std::make_unique<ctl_detail::TControlTimer>(this, [this] { CaretTimerEvent(); })) {
  SetBounds(Left(), Top(), 160, 28);
  UpdateTimer();
}

TNumIO2::~TNumIO2() = default;

// [SECTION] value and text

Char TNumIO2::SeparatorChar(TDecPSep sep) { return ctl_detail::SeparatorOfMode(ctl_detail::ValidatorSepMode(sep)); }

String TNumIO2::ValueText(double x) const {
  if (!std::isfinite(x)) x = 0;
  const Char sep = SeparatorChar(FDecPSep);
  switch (FInputFormat) {
    case itExp: return ReplaceCharInString(ctl_detail::ExpText(x, FSigDig + 6), u'.', sep);
    case itFloat:
    case itFixPoint: return ReplaceCharInString(strff(x, 1, FDecP), u'.', sep);
    case itInt:
    case itDynamic: return IntToStr(Round(x));
    case itHex: return ctl_detail::RadixText(ctl_detail::RoundTo32(x), itHex, 8);
    case itOct: return ctl_detail::RadixText(ctl_detail::RoundTo32(x), itOct, 11);
    default: return ctl_detail::RadixText(ctl_detail::RoundTo32(x), itBin, 32);
  }
}

void TNumIO2::WriteValue(double x) {
  FInBuffer = ValueText(x);
  FCaretPos = std::min(FCaretPos, Length(FInBuffer));
}

void TNumIO2::RewriteValue() { WriteValue(GetNioValue()); }

void TNumIO2::SetNioValue(double x) {
  WriteValue(x);
  Paint();
}

double TNumIO2::GetNioValue() const {
  switch (FInputFormat) {
    case itInt: return DecimalIntValue(FInBuffer);
    case itHex:
    case itOct:
    case itBin: return RadixValue(FInBuffer, FInputFormat);
    case itDynamic: {
      if (FInBuffer.empty()) return 0;
      const TInFormat f = ctl_detail::DynamicFormat(FInBuffer[0]);
      return f == itExp ? ScanFloat(FInBuffer) : RadixValue(FInBuffer.substr(1), f);
    }
    default: return ScanFloat(FInBuffer);
  }
}

int TNumIO2::GetNioIntValue() const {
  const double v = GetNioValue();
  if (v > 2147483647.0 || v < -2147483648.0) throw EQeltaNumIO2Error(ComponentMessage(u"integer overflow"));
  return static_cast<int>(Round(v));
}

bool TNumIO2::OutOfRange() const {
  const double v = GetNioValue();
  return v < FMinimum || v > FMaximum;
}

bool TNumIO2::CheckValidity(const String& text) const {
  double v = 0;
  switch (FInputFormat) {
    case itExp:
      return IsValidDouble(text, true, FDecPSep) &&
             ctl_detail::ConvertNumText(text, itExp, ctl_detail::ValidatorSepMode(FDecPSep), v);
    case itFloat: return IsValidFPNum(text, FDecPSep);
    case itFixPoint:
      return IsValidFPNum(text, FDecPSep) &&
             ctl_detail::SeparatorPos(text, ctl_detail::ValidatorSepMode(FDecPSep)) == Length(text) - FDecP;
    case itInt: return IsValidDecInt(text);
    case itHex: return IsValidHex(text);
    case itOct: return IsValidOct(text);
    case itBin: return IsValidBin(text);
    default: return DynamicValid(text);
  }
}

bool TNumIO2::DynamicValid(const String& text) const {
  if (text.empty()) return false;
  const String rest = text.substr(1);
  switch (ctl_detail::DynamicFormat(text[0])) {
    case itHex: return IsValidHex(rest);
    case itBin: return IsValidBin(rest);
    case itOct: return IsValidOct(rest);
    default: return IsValidFPNum(text, FDecPSep);
  }
}

bool TNumIO2::PassesOnlineCheck(const String& text) const {
  if (text.empty() || text == u"-" || text == u"+") return true;
  // A prefix alone must pass too, or the prefixed forms could never be typed.
  if (FInputFormat == itDynamic && text.size() == 1 && ctl_detail::DynamicFormat(text[0]) != itExp) return true;
  return CheckValidity(text);
}

void TNumIO2::SetText(const String& value) {
  if (!value.empty() && !CheckValidity(value)) return;
  FInBuffer = value;
  FCaretPos = FSelBegin = FSelEnd = 0;
  Paint();
}

// [SECTION] caret and selection

void TNumIO2::SetSelBegin(int value) {
  const int n = std::clamp(value, 0, Length(FInBuffer));
  FSelBegin = FCaretPos = n;
  FSelEnd = std::max(FSelEnd, n);
  Paint();
}

void TNumIO2::SetSelEnd(int value) {
  const int n = std::clamp(value, 0, Length(FInBuffer));
  FSelEnd = FCaretPos = n;
  FSelBegin = std::min(FSelBegin, n);
  Paint();
}

void TNumIO2::UpdateTimer() {
  FCaretTimer->Stop();
  FCaretVisib = true;
  if (!FCaretTimer->Start(CaretInterval))
    throw EQeltaNumIO2Error(ComponentMessage(u"no timer available"));
  Paint();
}

void TNumIO2::CaretTimerEvent() {
  if (Focused()) {
    FCaretVisib = !FCaretVisib;
  } else {
    FCaretTimer->Stop();
    FCaretVisib = false;
  }
  Paint();
}

String TNumIO2::ComponentMessage(const String& text) const { return u"Component \"" + Name() + u"\": " + text; }

// [SECTION] component

void TNumIO2::Changed() {
  if (OnChange) OnChange(this);
}

void TNumIO2::CreateWnd() {
  TCustomControl::CreateWnd();
  FSuppressPaint = false;
}

void TNumIO2::Click() {
  SetFocus();
  TCustomControl::Click();
}

void TNumIO2::SetFocus() {
  TCustomControl::SetFocus();
  if (!FReadOnly) UpdateTimer();
}

void TNumIO2::SetEnabled(bool value) {
  FEnabled = value;
  TCustomControl::SetEnabled(value);
  Refresh();
}

void TNumIO2::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int h = std::max(AHeight, MinHeight);
  FButHeight = std::min(FButHeight, h);
  TCustomControl::SetBounds(ALeft, ATop, AWidth, h);
}

void TNumIO2::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_KEYDOWN: CNKeyDown(Message); return;
    case CN_KEYUP: CNKeyUp(Message); return;
    case WM_SETFOCUS:
      TCustomControl::WndProc(Message);
      if (!FReadOnly) UpdateTimer();
      return;
    default: TCustomControl::WndProc(Message);
  }
}

void TNumIO2::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TNumIO2*>(Source);
  if (o == nullptr) {
    TCustomControl::Assign(Source);
    return;
  }
  FLeftSpace = o->FLeftSpace, FTextBoxWidth = o->FTextBoxWidth, FDecP = o->FDecP, FSigDig = o->FSigDig;
  FLeftText = o->FLeftText, FRightText = o->FRightText, FFrameStyle = o->FFrameStyle;
  FAlignment = o->FAlignment, FLTAlignment = o->FLTAlignment, FRTAlignment = o->FRTAlignment;
  FColorBoxBG = o->FColorBoxBG, FColorBoxText = o->FColorBoxText, FColorOutBG = o->FColorOutBG;
  FColorOutText = o->FColorOutText, FColBlackLine = o->FColBlackLine, FColGrayLine = o->FColGrayLine;
  FColWhiteLine = o->FColWhiteLine, FColorScheme = o->FColorScheme, FInputFormat = o->FInputFormat;
  FInBuffer = o->FInBuffer, FCaretPos = o->FCaretPos, FCaretVisib = o->FCaretVisib;
  FColorWarnBG = o->FColorWarnBG, FColorWarnTxt = o->FColorWarnTxt, FSelBegin = o->FSelBegin;
  FSelEnd = o->FSelEnd, FDecPSep = o->FDecPSep, FHideSel = o->FHideSel, FMaximum = o->FMaximum;
  FMinimum = o->FMinimum, FOnlineCheck = o->FOnlineCheck, FBeep = o->FBeep, FReadOnly = o->FReadOnly;
  FAutoSize = o->FAutoSize;
  Paint();
}

void TNumIO2::AssignTo(TPersistent* Dest) {
  if (auto* o = dynamic_cast<TNumIO2*>(Dest)) {
    o->Assign(this);
    return;
  }
  TCustomControl::AssignTo(Dest);
}

// [SECTION] settings of the number

void TNumIO2::SetInputFormat(TInFormat value) {
  if (value == FInputFormat) return;
  const double v = GetNioValue();
  FInputFormat = value;
  WriteValue(v);
  Paint();
}

void TNumIO2::SetFixPointDecPlaces(int value) {
  if (value < 1 || std::min(value, 15) == FDecP) return;
  FDecP = std::min(value, 15);
  RewriteValue();
  Paint();
}

void TNumIO2::SetSignificantDigits(int value) {
  if (value < 1 || std::min(value, 15) == FSigDig) return;
  FSigDig = std::min(value, 15);
  RewriteValue();
  Paint();
}

void TNumIO2::SetDecPlaceSep(TDecPSep value) {
  if (value == FDecPSep) return;
  if (value != dsBoth) {
    const Char to = SeparatorChar(value);
    if (FDecPSep == dsBoth) {
      FInBuffer = ReplaceCharInString(ReplaceCharInString(FInBuffer, u'.', to), u',', to);
    } else if (const Char from = SeparatorChar(FDecPSep); from != to) {
      FInBuffer = ReplaceCharInString(FInBuffer, from, to);
    }
  }
  FDecPSep = value;
  Paint();
}

void TNumIO2::SetRangeLow(double value) {
  FMinimum = value;
  FMaximum = std::max(FMaximum, value);
  Paint();
}

void TNumIO2::SetRangeHigh(double value) {
  FMaximum = value;
  FMinimum = std::min(FMinimum, value);
  Paint();
}

void TNumIO2::SetReadOnly(bool value) {
  if (value == FReadOnly) return;
  FReadOnly = value;
  if (FReadOnly) {
    FCaretTimer->Stop();
    FCaretVisib = false;
  } else {
    UpdateTimer();
  }
  Paint();
}

// [SECTION] settings of the looks

template <class T>
void TNumIO2::StoreAndPaint(T& field, T value) {
  field = value;
  Paint();
}

void TNumIO2::StoreColor(TColor& field, TColor value, bool always) {
  if (field == value && !always) return;
  field = value;
  Paint();
}

void TNumIO2::SetLeftSpace(int value) {
  if (value >= 0) StoreAndPaint(FLeftSpace, std::min(value, Width()));
}
void TNumIO2::SetTextBoxWidth(int value) { StoreAndPaint(FTextBoxWidth, value); }
void TNumIO2::SetLeftText(const String& value) { StoreAndPaint(FLeftText, value); }
void TNumIO2::SetRightText(const String& value) { StoreAndPaint(FRightText, value); }
void TNumIO2::SetFrameStyle(TFrameStyle value) { StoreAndPaint(FFrameStyle, value); }
void TNumIO2::SetAlignment(TAlignment value) { StoreAndPaint(FAlignment, value); }
void TNumIO2::SetLeftTextAlignment(TAlignment value) { StoreAndPaint(FLTAlignment, value); }
void TNumIO2::SetRightTextAlignment(TAlignment value) { StoreAndPaint(FRTAlignment, value); }
void TNumIO2::SetHideSelection(bool value) { StoreAndPaint(FHideSel, value); }
void TNumIO2::SetAutoSize(bool value) { StoreAndPaint(FAutoSize, value); }
void TNumIO2::SetButWidth(int value) { StoreAndPaint(FButWidth, std::clamp(value, 8, 50)); }
void TNumIO2::SetButSpace(int value) { StoreAndPaint(FButSpace, std::clamp(value, 0, 50)); }
void TNumIO2::SetButIncrem(double value) { StoreAndPaint(FButIncrem, value); }
void TNumIO2::SetButVisible(bool value) { StoreAndPaint(FButVisible, value); }
void TNumIO2::SetBut3D(bool value) { StoreAndPaint(FBut3D, value); }
void TNumIO2::SetButHeight(int value) { StoreAndPaint(FButHeight, std::max(MinHeight, std::min(value, Height()))); }
void TNumIO2::SetButColor(TColor value) { StoreColor(FButColor, value); }
void TNumIO2::SetGaugeVisible(bool value) { StoreAndPaint(FGaugeVisib, value); }
void TNumIO2::SetGaugeHeight(int value) {
  StoreAndPaint(FGaugeHeight, std::max(3, std::min(value, Height() - FGaugeTopMarg - MinHeight)));
}
void TNumIO2::SetGaugeWidth(int value) {
  StoreAndPaint(FGaugeWidth, std::min(std::max(value, 10), Width() - FGaugeLeftMarg));
}
void TNumIO2::SetGaugeLeftMargin(int value) {
  StoreAndPaint(FGaugeLeftMarg, std::max(0, std::min(value, Width() - FGaugeWidth)));
}
void TNumIO2::SetGaugeTopMargin(int value) {
  StoreAndPaint(FGaugeTopMarg, std::max(0, std::min(value, Height() - FGaugeHeight - MinHeight)));
}
void TNumIO2::SetGaugeColor(TColor value) { StoreColor(FGaugeColor, value); }
void TNumIO2::SetGaugeColorBg(TColor value) { StoreColor(FGaugeColorBg, value); }
void TNumIO2::SetGaugeColorFrame(TColor value) { StoreColor(FGaugeColorFrm, value); }
void TNumIO2::SetGaugeFrameStyle(TFrameStyle value) { StoreAndPaint(FGaugeFrameSt, value); }
void TNumIO2::SetColorBoxBG(TColor value) { StoreColor(FColorBoxBG, value); }
void TNumIO2::SetColorBoxText(TColor value) { StoreColor(FColorBoxText, value); }
void TNumIO2::SetColorOutBG(TColor value) { StoreColor(FColorOutBG, value); }
void TNumIO2::SetColorOutText(TColor value) { StoreColor(FColorOutText, value); }
void TNumIO2::SetColorWarnBG(TColor value) { StoreColor(FColorWarnBG, value, true); }
void TNumIO2::SetColorWarnText(TColor value) { StoreColor(FColorWarnTxt, value, true); }

void TNumIO2::SetColorScheme(TColorScheme value) {
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor(0x808080);
  FColWhiteLine = value == csSystem ? clBtnHighlight : TColor(0xFFFFFF);
  Paint();
}

}  // namespace qelta
