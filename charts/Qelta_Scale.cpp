// Qelta_Scale: the TScale component: construction, properties, loading, helper mode and copying.
//
// Every setter follows one pattern: repair the value, store it, recompute the transform where the
// geometry or range changed, then TriggerPaint. While painting is suppressed (from construction
// until the window exists, always for a helper) the repaint does nothing.
// Deviations from the classic component, keeping what its callers rely on:
//  - SetRangeHigh with the value of RangeLow moves RangeLow to value - 1, so the axis stays
//    ascending (the classic value + 1 turned it round). Where value + 1 equals value (beyond 2^53)
//    the next representable double is taken, so the ends differ there too.
//  - Assign copies the foreign canvas and the paint suppression only onto a helper: copied onto a
//    standalone scale they made it draw into another control's picture and never paint again. It
//    recomputes the transform for its own size instead of taking the source's k and d, which were
//    fitted to the source's size and margins.

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "Qelta_Scale.h"

namespace qelta {
namespace {

constexpr double kLogFloor = 1e-100;

// The next value above v: v + 1, or the next double where adding 1 changes nothing.
double OneAbove(double v) {
  const double w = v + 1;
  return w != v ? w : std::nextafter(v, std::numeric_limits<double>::infinity());
}

double OneBelow(double v) {
  const double w = v - 1;
  return w != v ? w : std::nextafter(v, -std::numeric_limits<double>::infinity());
}

// Restores a flag when the scope ends, also when painting throws.
class TFlagRestorer {
 public:
  TFlagRestorer(bool& flag, bool value) : FFlag(flag), FSaved(flag) { flag = value; }
  ~TFlagRestorer() { FFlag = FSaved; }
  TFlagRestorer(const TFlagRestorer&) = delete;
  TFlagRestorer& operator=(const TFlagRestorer&) = delete;

 private:
  bool& FFlag;
  bool FSaved;
};

}  // namespace

// [SECTION] construction

TScale::TScale(TComponent* AOwner) : TCustomControl(AOwner), FDTFormat(std::make_unique<TDTLabel>()) {
  FDTFormat->OnChange = [this](TObject* Sender) { Changed(Sender); };
  FMap.SetTransform(1.0, 0.0);
  SetBounds(Left(), Top(), 400, 400);
  AdjustScalePars();
}

TScale::~TScale() = default;

void TScale::CreateWnd() {
  TCustomControl::CreateWnd();
  FSuppressPaint = false;
  Invalidate();
}

void TScale::Loaded() {
  TCustomControl::Loaded();
  AdjustScalePars();
  FNotYetLoaded = false;
  TriggerPaint();
}

void TScale::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  AdjustScalePars();
  TriggerPaint();
}

// [SECTION] painting and helper mode

void TScale::TriggerPaint() {
  if (FTransparent && !FIsHelper) {
    Invalidate();
  } else {
    Paint();
  }
}

void TScale::ForcePaint() {
  TFlagRestorer restore(FSuppressPaint, false);
  Paint();
}

void TScale::SetSuppressPaint(bool value) {
  if (value == FSuppressPaint) return;
  FSuppressPaint = value;
  if (!value) TriggerPaint();
}

void TScale::UseForeignCanvas(TCanvas* Canvas, int X, int Y) {
  FForeignCv = Canvas;
  FForCvPosX = X;
  FForCvPosY = Y;
}

void TScale::SetForCvPosX(int value) {
  FForCvPosX = value;
  TriggerPaint();
}

void TScale::SetForCvPosY(int value) {
  FForCvPosY = value;
  TriggerPaint();
}

void TScale::SetIsHelper(bool value) {
  if (value == FIsHelper) return;
  FIsHelper = value;
  TriggerPaint();
}

void TScale::Changed(TObject* /*Sender*/) { TriggerPaint(); }

// [SECTION] values and pixels

void TScale::AdjustScalePars() {
  if (ComponentState().Contains(csLoading)) return;
  FMap.Fit(Frame(), FRangeLow, FRangeHigh, FAxLog);
}

TScaleFrame TScale::Frame() const {
  return TScaleFrame{FScaleType, Width(), Height(), FMarginLeft, FMarginRight, FMarginTop, FMarginBottom};
}

void TScale::SetRange(double Low, double High) {
  FRangeLow = Low;
  FRangeHigh = Low == High ? OneAbove(Low) : High;
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetRangeLow(double value) {
  FRangeLow = value;
  if (FRangeLow == FRangeHigh) FRangeHigh = OneAbove(value);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetRangeHigh(double value) {
  FRangeHigh = value;
  if (FRangeHigh == FRangeLow) FRangeLow = OneBelow(value);
  AdjustScalePars();
  TriggerPaint();
}

double TScale::GetTickPos(int Index) const {
  return Index >= 1 && Index <= FTickCount ? FScaleTickPos[Index - 1] : 0.0;
}

void TScale::RecordTick(double Value) {
  if (FTickCount < MaxScaleTickPos) FScaleTickPos[FTickCount++] = Value;
}

// [SECTION] properties

void TScale::SetCaption(const String& value) {
  FUnitLabel = value;
  TriggerPaint();
}

void TScale::SetCaptionPosX(int value) {
  FLblPosX = value;
  TriggerPaint();
}

void TScale::SetCaptionPosY(int value) {
  FLblPosY = value;
  TriggerPaint();
}

void TScale::SetCaptionAlignment(TAlignment value) {
  FLblAlign = value;
  TriggerPaint();
}

void TScale::SetCaptionAnchor(TScaleUnitAnchor value) {
  FLblAnchor = value;
  TriggerPaint();
}

void TScale::SetColorBackGnd(TColor value) {
  if (value == FColorBG) return;
  FColorBG = value;
  TriggerPaint();
}

void TScale::SetColorScale(TColor value) {
  if (value == FColorFG) return;
  FColorFG = value;
  TriggerPaint();
}

void TScale::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  FColGrayLine = value == csBWG ? clGray : clBtnShadow;
  FColWhiteLine = value == csBWG ? clWhite : clBtnHighlight;
  TriggerPaint();
}

void TScale::SetDateFormat(TDTLabel* value) {
  if (value != nullptr) FDTFormat->Assign(value);  // notifies Changed, which repaints
}

void TScale::SetDecPlaces(int value) {
  FDecPlaces = std::clamp(value, -3, 12);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetFrameStyle(TFrameStyle value) {
  if (value == FFrameStyle) return;
  FFrameStyle = value;
  TriggerPaint();
}

void TScale::SetLabelType(TFigType value) {
  FLabelType = value;
  if (value == ftDateTime) {
    FAxLog = false;
    AdjustScalePars();
  }
  if (value == ftTime) FDecPlaces = 4;
  TriggerPaint();
}

void TScale::SetLogarithmic(bool value) {
  if (!value) {
    FAxLog = false;
  } else if (FNotYetLoaded || (FRangeLow >= kLogFloor && FRangeHigh >= kLogFloor && FLabelType != ftDateTime)) {
    FAxLog = true;
  }
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetMargin(int& Field, int value) {
  Field = std::max(value, 0);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetAxisMargins(int Start, int End) {
  (IsVerticalScale(FScaleType) ? FMarginTop : FMarginLeft) = Start;
  (IsVerticalScale(FScaleType) ? FMarginBottom : FMarginRight) = End;
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetMarginTop(int value) { SetMargin(FMarginTop, value); }
void TScale::SetMarginBottom(int value) { SetMargin(FMarginBottom, value); }
void TScale::SetMarginLeft(int value) { SetMargin(FMarginLeft, value); }
void TScale::SetMarginRight(int value) { SetMargin(FMarginRight, value); }

void TScale::SetMinTicks(int value) {
  FNumTicks = value == 0 ? 0 : std::clamp(value, 2, 10);
  TriggerPaint();
}

void TScale::SetShortTicks(bool value) {
  if (value == FShortTicks) return;
  FShortTicks = value;
  TriggerPaint();
}

void TScale::SetShowBaseLine(bool value) {
  FDrawBaseLine = value;
  TriggerPaint();
}

void TScale::SetScaleInscript(const String& value) {
  FScaleInscript = value;
  TriggerPaint();
}

void TScale::SetScaleType(TScaleType value) {
  if (value == FScaleType) return;
  FScaleType = value;
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetTransparent(bool value) {
  FTransparent = value;
  TriggerPaint();
}

void TScale::SetUserTickText(const String& value) {
  FUserTicktext = value;
  TriggerPaint();
}

// [SECTION] copying

void TScale::Assign(TPersistent* Source) {
  const auto* source = dynamic_cast<const TScale*>(Source);
  if (source == nullptr) return TCustomControl::Assign(Source);
  CopyFrom(*source);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TScale*>(Dest)) return dest->Assign(this);
  TCustomControl::AssignTo(Dest);
}

void TScale::CopyFrom(const TScale& s) {
  FFrameStyle = s.FFrameStyle;
  FColorFG = s.FColorFG;
  FColorBG = s.FColorBG;
  FColBlackLine = s.FColBlackLine;
  FColGrayLine = s.FColGrayLine;
  FColWhiteLine = s.FColWhiteLine;
  FColorScheme = s.FColorScheme;
  OnScaleTickDrawn = s.OnScaleTickDrawn;
  OnBeforeTickLabel = s.OnBeforeTickLabel;
  FAxLog = s.FAxLog;
  FMap = s.FMap;
  FRangeHigh = s.FRangeHigh;
  FRangeLow = s.FRangeLow;
  FShortTicks = s.FShortTicks;
  FTickCount = s.FTickCount;
  FScaleTickPos = s.FScaleTickPos;
  FNumTicks = s.FNumTicks;
  FDecPlaces = s.FDecPlaces;
  FDrawBaseLine = s.FDrawBaseLine;
  FTransparent = s.FTransparent;
  FLabelType = s.FLabelType;
  const TNotifyEvent onChange = std::exchange(FDTFormat->OnChange, nullptr);  // one repaint, at the end
  FDTFormat->Assign(s.FDTFormat.get());
  FDTFormat->OnChange = onChange;
  FMarginTop = s.FMarginTop;
  FMarginBottom = s.FMarginBottom;
  FMarginRight = s.FMarginRight;
  FMarginLeft = s.FMarginLeft;
  FLblPosX = s.FLblPosX;
  FLblPosY = s.FLblPosY;
  FLblAlign = s.FLblAlign;
  FLblAnchor = s.FLblAnchor;
  FUnitLabel = s.FUnitLabel;
  FUserTicktext = s.FUserTicktext;
  FScaleInscript = s.FScaleInscript;
  FScaleType = s.FScaleType;
  if (!FIsHelper) return;
  FForeignCv = s.FForeignCv;
  FForCvPosX = s.FForCvPosX;
  FForCvPosY = s.FForCvPosY;
  FSuppressPaint = s.FSuppressPaint;
}

}  // namespace qelta
