// Qelta_Meter: the meter's model: construction, geometry, the mapping between values, angles and
// pixels, the setters with their events, loading, pictures and the mouse. Painting is in
// Qelta_Meter_paint.cpp.
//
// Faults mended here, each with its regression test:
//  - ValueSec on a hidden second needle cleared both lamps without repainting, so the screen kept a
//    lit lamp that the next repaint put out while Value was still beyond its threshold; it now only
//    stores the clamped value.
//  - Loaded took what was stored while loading unchecked: a logarithmic scale with a minimum of 0
//    sent the decade loop round forever, a maximum equal to the minimum divided by zero. Loaded now
//    applies the setters' rules first.
//  - NaN changes nothing in the value, limit and threshold setters; the limits ignore infinities
//    (the values clamp them). A limit pushed by the other one moves by 1, or to the next double
//    where 1 is lost in rounding, so the scale keeps a length.
//  - The rims changed the picture but not the geometry (the dial kept the radius of the old rims
//    until the next resize); their setters compute the geometry again.
//  - The anchor mask took "the first Width bytes of each scan line", a quarter of a 32-bit line
//    taken by channel bytes; it is made per pixel: white where the picture is black, else black.
//  - The anchor mask was a second decoded copy of the picture, kept beside it: the meter held a large
//    picture twice. The mask is now made while painting, for the part of the picture the control
//    shows, which is never larger than the control.

#include "Qelta_Meter.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>

#include "FileSys.h"
#include "Math.h"
#include "Qelta_math1.h"

namespace qelta {
namespace {

constexpr double kLogFloor = 1e-100;  // a logarithmic scale needs both ends above this
constexpr double kFar = 1 << 26;      // bound of the radius and the pivot's height, in pixels

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

// The limit above v that keeps the scale a length: v + 1, or the next double where 1 is lost.
double Above(double v) {
  const double a = v + 1;
  return a > v ? a : std::nextafter(v, std::numeric_limits<double>::infinity());
}

double Below(double v) {
  const double b = v - 1;
  return b < v ? b : std::nextafter(v, -std::numeric_limits<double>::infinity());
}

void InitNeedle(TNeedleLayout& n, bool visible) {
  n.SetColorBody(clSilver);
  n.SetColorOutline(clBlack);
  n.SetHeadSize(20);
  n.SetThickness(0);
  n.SetPercentNeedleLength(100);
  n.SetHeadAngle(30);
  n.SetHeadMidLeng(20);
  n.SetShadowDx(0);
  n.SetShadowDy(0);
  n.SetShadowColor(clGray);
  n.SetVisible(visible);
}

}  // namespace

// [SECTION] TNeedleLayout

template <class T>
void TNeedleLayout::Store(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  Changed();
}

void TNeedleLayout::Changed() {
  if (OnChange) OnChange(this);
}

void TNeedleLayout::Assign(TPersistent* Source) {
  const auto* s = dynamic_cast<const TNeedleLayout*>(Source);
  if (s == nullptr) return TPersistent::Assign(Source);
  FColorFill = s->FColorFill;
  FColorLine = s->FColorLine;
  FSize1 = s->FSize1;
  FThickness = s->FThickness;
  FPctNeedleLeng = s->FPctNeedleLeng;
  FAngle1 = s->FAngle1;
  FBackShift1 = s->FBackShift1;
  FShadowDx = s->FShadowDx;
  FShadowDy = s->FShadowDy;
  FShadowColor = s->FShadowColor;
  FVisible = s->FVisible;
  Changed();
}

void TNeedleLayout::SetColorBody(TColor value) { Store(FColorFill, value); }
void TNeedleLayout::SetColorOutline(TColor value) { Store(FColorLine, value); }
void TNeedleLayout::SetHeadSize(int value) { Store(FSize1, value); }
void TNeedleLayout::SetThickness(int value) { Store(FThickness, value); }
void TNeedleLayout::SetPercentNeedleLength(int value) { Store(FPctNeedleLeng, std::clamp(value, 0, 100)); }
void TNeedleLayout::SetHeadAngle(int value) { Store(FAngle1, std::clamp(value, 0, 180)); }
void TNeedleLayout::SetHeadMidLeng(int value) { Store(FBackShift1, value); }
void TNeedleLayout::SetShadowDx(int value) { Store(FShadowDx, value); }
void TNeedleLayout::SetShadowDy(int value) { Store(FShadowDy, value); }
void TNeedleLayout::SetShadowColor(TColor value) { Store(FShadowColor, value); }
void TNeedleLayout::SetVisible(bool value) { Store(FVisible, value); }

// [SECTION] construction

TMeter::TMeter(TComponent* AOwner)
    : TGraphicControl(AOwner),
      FFontCaption(std::make_unique<TFont>()),
      FNeedleLayout(std::make_unique<TNeedleLayout>()),
      FNeedle2Layout(std::make_unique<TNeedleLayout>()),
      AuxBGBmp(std::make_unique<TBitmap>(10, 10)),
      AuxACBmp(std::make_unique<TBitmap>(10, 10)) {
  FFontCaption->Assign(Font());
  InitNeedle(*FNeedleLayout, true);
  InitNeedle(*FNeedle2Layout, false);
  FNeedleLayout->OnChange = [this](TObject* Sender) { StyleChanged(Sender); };
  FNeedle2Layout->OnChange = [this](TObject* Sender) { StyleChanged(Sender); };
  SetBounds(Left(), Top(), 297, 209);
}

TMeter::~TMeter() = default;

void TMeter::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  CalcMeterLayoutParams();
}

// [SECTION] geometry and mapping

int TMeter::RoundPx(double x) {
  if (std::isnan(x)) return 0;
  const double r = std::nearbyint(x);
  if (r >= double(INT32_MAX)) return INT32_MAX;
  if (r <= double(INT32_MIN)) return INT32_MIN;
  return static_cast<int>(r);
}

void TMeter::CalcMeterLayoutParams() {
  // In doubles: rims may take any integer.
  const double w = Width(), h = Height(), wHalf = Width() / 2;
  const double rimsV = h - double(FBRim) - FTRim - 16;  // the height the dial may take
  const double side = wHalf - FSRim - 8;                 // half the width it may take
  const auto hang = [&](int angle, double divisor) {    // dials hanging from the top rim
    FMeterAngle = angle;
    FMeterRadius = std::min(side, rimsV / divisor);
    FMeterCenterY = RoundPx(double(FTRim) + 8 + FMeterRadius);
  };
  FMeterAngle = 90;
  FMeterRadius = rimsV;
  FMeterCenterX = Width() / 2;
  FMeterCenterY = RoundPx(h - FBRim - 8);
  switch (FMeterLayout) {
    case mlCirc120:
      FMeterAngle = 120;
      FMeterRadius = std::min(rimsV, (w / 2 - FSRim - 8) * 1.1547);
      break;
    case mlCirc180:
      FMeterAngle = 180;
      FMeterRadius = std::min(rimsV, w / 2 - FSRim - 8);
      break;
    case mlCirc270:
      hang(270, 1.7071);
      break;
    case mlCirc300:
      hang(300, 1.866);
      break;
    case mlCirc360:
      hang(360, 2);
      break;
    case mlCirc90:
      break;
  }
  // Rims of any size: a dial this far out lies outside every picture, and sums of these stay ints.
  FMeterRadius = std::clamp(FMeterRadius, -kFar, kFar);
  FMeterCenterY = std::clamp(FMeterCenterY, -int(kFar), int(kFar));
}

bool TMeter::LogScale() const { return FLogarithmic && FMinValue > 0 && FMaxValue > 0 && FMaxValue != FMinValue; }

double TMeter::Clamped(double v) const {
  if (v > FMaxValue) return FMaxValue;
  if (v < FMinValue) return FMinValue;
  return v;
}

double TMeter::Fraction(double v) const {
  if (LogScale() && v > 0) return (std::log(v) - std::log(FMinValue)) / (std::log(FMaxValue) - std::log(FMinValue));
  const double span = FMaxValue - FMinValue;
  return span != 0 ? (v - FMinValue) / span : 0.0;
}

double TMeter::Direction(double v) const { return Radians(90 + FMeterAngle / 2.0 - FMeterAngle * Fraction(v)); }

TPoint TMeter::PolarPoint(double theta, double rho) const {
  return Point(RoundPx(std::cos(theta) * rho + FMeterCenterX), RoundPx(FMeterCenterY - std::sin(theta) * rho));
}

double TMeter::CalcNeedleAngle(double Value) const {
  return 180 - (FMeterAngle / 2.0 - FMeterAngle * Fraction(Clamped(Value)));
}

void TMeter::ConvertToPixelCoords(double PctRadius, double Value, int& X, int& Y) const {
  const TPoint p = PolarPoint(Radians(-90 - CalcNeedleAngle(Value)), PctRadius * 0.01 * FMeterRadius);
  X = p.X;
  Y = p.Y;
}

bool TMeter::ConvertPixelToValue(int XPos, int YPos, double& MeterValue) const {
  double phi = AngleToXAxis(double(XPos) - FMeterCenterX, double(YPos) - FMeterCenterY) * 180 / std::numbers::pi - 90;
  if (phi < 0) phi += 360;
  const double a = FMeterAngle, b = 180 - a / 2;
  MeterValue = 0;
  if (phi < b || phi > 180 + a / 2) return false;
  if (LogScale()) {
    const double lo = std::log(FMinValue), hi = std::log(FMaxValue);
    MeterValue = std::exp((hi - lo) * (phi - b) / a + lo);
  } else {
    MeterValue = FMinValue + (phi - b) / a * (FMaxValue - FMinValue);
  }
  return true;
}

int TMeter::CalcM(int Decimals, double A, double B) {
  if (Decimals != -2) return Decimals;
  const double d = std::fabs(A - B);
  if (d >= 1000000 || d <= 1e-4) return -1;
  if (d >= 100) return 0;
  return 2 - RoundPx(std::log(d) / 2.5);
}

// [SECTION] values, limits, thresholds

// Lights the lamp the value calls for and fires its event.
void TMeter::Judge(double v) {
  FOFL = false;
  FUFL = false;
  if (v >= FHighThreshold) {
    FOFL = true;
    DoOverFlowEvent();
  } else if (v > FLowThreshold) {
    DoNormalRangeEvent();
  } else {
    FUFL = true;
    DoUnderFlowEvent();
  }
}

void TMeter::SetValue(double value) {
  if (std::isnan(value)) return;
  if (Loading()) {
    FValue = value;
    return;
  }
  if (value == FValue) return;
  FValue = Clamped(value);
  FOFL = false;
  FUFL = false;
  if (FNeedleLayout->Visible()) Judge(FValue);
  Paint();
}

void TMeter::SetValueSec(double value) {
  if (std::isnan(value)) return;
  if (Loading()) {
    FValue2 = value;
    return;
  }
  if (value == FValue2) return;
  FValue2 = Clamped(value);
  if (!FNeedle2Layout->Visible()) return;
  Judge(FValue2);
  Paint();
}

// Values and thresholds below v rise to it.
void TMeter::RaiseFloor(double v) {
  for (double* f : {&FValue, &FValue2, &FLowThreshold, &FHighThreshold}) *f = std::max(*f, v);
}

// Values and thresholds above v fall to it.
void TMeter::LowerCeiling(double v) {
  for (double* f : {&FValue, &FValue2, &FLowThreshold, &FHighThreshold}) *f = std::min(*f, v);
}

void TMeter::SetMeterMinValue(double value) {
  if (!std::isfinite(value) || (FLogarithmic && value < kLogFloor)) return;
  if (Loading()) {
    FMinValue = value;
    return;
  }
  if (value == FMinValue) return;
  if (!(FMaxValue > value)) {
    const double max = Above(value);
    if (!std::isfinite(max)) return;
    FMaxValue = max;
  }
  FMinValue = value;
  RaiseFloor(value);
  Paint();
}

void TMeter::SetMeterMaxValue(double value) {
  if (!std::isfinite(value) || (FLogarithmic && value < kLogFloor)) return;
  if (Loading()) {
    FMaxValue = value;
    return;
  }
  if (value == FMaxValue) return;
  if (value <= FMinValue) {
    double min = Below(value);
    if (FLogarithmic && !(min > 0)) min = value / 10;
    if (!std::isfinite(min)) return;
    FMinValue = min;
  }
  FMaxValue = value;
  LowerCeiling(value);
  Paint();
}

void TMeter::SetThresholdLow(double value) {
  if (std::isnan(value) || (FLogarithmic && value < kLogFloor)) return;
  if (Loading()) {
    FLowThreshold = value;
    return;
  }
  if (value == FLowThreshold) return;
  FLowThreshold = Clamped(value);
  FHighThreshold = std::max(FHighThreshold, FLowThreshold);
  FUFL = !(FValue > FLowThreshold);
  if (FUFL) DoUnderFlowEvent();
  Paint();
}

void TMeter::SetThresholdHigh(double value) {
  if (std::isnan(value) || (FLogarithmic && value < kLogFloor)) return;
  if (Loading()) {
    FHighThreshold = value;
    return;
  }
  if (value == FHighThreshold) return;
  FHighThreshold = Clamped(value);
  FLowThreshold = std::min(FLowThreshold, FHighThreshold);
  FOFL = FValue >= FHighThreshold;
  if (FOFL) DoOverFlowEvent();
  Paint();
}

void TMeter::SetLogarithmic(bool value) {
  if (Loading()) {
    FLogarithmic = value;
    return;
  }
  if (value == FLogarithmic) return;
  FLogarithmic = value && FMinValue > kLogFloor && FMaxValue > kLogFloor;
  Paint();
}

void TMeter::DoOverFlowEvent() {
  if (OnOverFlow) OnOverFlow(this);
}

void TMeter::DoNormalRangeEvent() {
  if (OnNormalRange) OnNormalRange(this);
}

void TMeter::DoUnderFlowEvent() {
  if (OnUnderFlow) OnUnderFlow(this);
}

// [SECTION] loading and pictures

// What was stored while loading, under the setters' rules; the lamps stay as they were.
void TMeter::PutInOrder() {
  if (!(FMaxValue > FMinValue)) FMaxValue = Above(FMinValue);
  if (FLogarithmic && !(FMinValue > kLogFloor && FMaxValue > kLogFloor)) FLogarithmic = false;
  FLowThreshold = Clamped(FLowThreshold);
  FHighThreshold = std::max(Clamped(FHighThreshold), FLowThreshold);
  FValue = Clamped(FValue);
  FValue2 = Clamped(FValue2);
}

void TMeter::Loaded() {
  TGraphicControl::Loaded();
  PutInOrder();
  if (!FBakGndFName.empty()) LoadBackground();
  if (!FACoverFName.empty()) LoadAnchor();
  Paint();
}

void TMeter::LoadBackground() {
  try {
    AuxBGBmp->LoadFromFile(FBakGndFName);
  } catch (const std::exception&) {
    FBakGndFName.clear();
  }
}

void TMeter::LoadAnchor() {
  try {
    AuxACBmp->LoadFromFile(FACoverFName);
  } catch (const std::exception&) {
    FACoverFName.clear();
  }
}

// The mask of the anchor picture over `part` (picture pixels, within the picture): white where the
// picture is black (the dial shows through under SRCAND), black elsewhere.
std::unique_ptr<TBitmap> TMeter::AnchorMask(const TRect& part) const {
  auto mask = std::make_unique<TBitmap>(part.Width(), part.Height());
  for (int y = 0; y < mask->Height(); ++y) {
    const uint32_t* from = AuxACBmp->ScanLine(part.Top + y) + part.Left;
    uint32_t* row = mask->ScanLine(y);
    for (int x = 0; x < mask->Width(); ++x) row[x] = (from[x] & 0xFFFFFFu) == 0 ? 0xFFFFFFFFu : 0xFF000000u;
  }
  return mask;
}

void TMeter::SetBackGroundImg(const String& value) {
  if (FileExists(value)) {
    FBakGndFName = value;
    AuxBGBmp->LoadFromFile(value);
  } else {
    FBakGndFName.clear();
  }
  Paint();
}

void TMeter::SetAnchorImage(const String& value) {
  if (FileExists(value)) {
    FACoverFName = value;
    LoadAnchor();
  } else {
    FACoverFName.clear();
  }
  Paint();
}

// [SECTION] mouse

void TMeter::WndProc(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  if (Message.Msg == WM_MOUSEMOVE) WMMouseMoveInMeter(Message);
}

void TMeter::WMMouseMoveInMeter(const TMessage& Message) {
  double value = 0;
  const bool within = ConvertPixelToValue(MouseLParamX(Message.LParam), MouseLParamY(Message.LParam), value);
  MouseMoveInMeter(within, KeysToShiftState(Message.WParam), value);
}

void TMeter::MouseMoveInMeter(bool WithinRange, TShiftState Shift, double MeterValue) {
  if (OnMouseMoveInMeter) OnMouseMoveInMeter(this, WithinRange, Shift, MeterValue);
}

// [SECTION] other properties

template <class T>
void TMeter::Store(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  Paint();
}

template <class T>
void TMeter::StoreAlways(T& Field, const T& value) {
  Field = value;
  Paint();
}

void TMeter::StoreRim(int& Field, int value) {
  if (Field == value) return;
  Field = value;
  CalcMeterLayoutParams();
  Paint();
}

void TMeter::StyleChanged(TObject*) { Paint(); }

void TMeter::SetMeterLayout(TMeterLayout value) {
  if (value == FMeterLayout) return;
  FMeterLayout = value;
  CalcMeterLayoutParams();
  Paint();
}

void TMeter::SetMeterNrTicks(int value) { Store(FNrTicks, std::clamp(value, 2, 21)); }
void TMeter::SetMeterDecPlaces(int value) { Store(FDecPlaces, std::clamp(value, 0, 4)); }

void TMeter::SetScaleBkWidth(double value) {
  if (std::isnan(value)) return;
  StoreAlways(FScaleBakWidth, std::clamp(value, 0.0, 100.0));
}

void TMeter::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : clGray;
  FColWhiteLine = value == csSystem ? clBtnHighlight : clWhite;
  Paint();
}

void TMeter::SetFontCaption(TFont* value) {
  FFontCaption->Assign(value);
  Paint();
}

void TMeter::SetNeedleLayout(TNeedleLayout* value) {
  FNeedleLayout->Assign(value);
  Paint();
}

void TMeter::SetNeedleLayoutSec(TNeedleLayout* value) {
  FNeedle2Layout->Assign(value);
  Paint();
}

void TMeter::SetRimTop(int value) { StoreRim(FTRim, value); }
void TMeter::SetRimBottom(int value) { StoreRim(FBRim, value); }
void TMeter::SetRimSide(int value) { StoreRim(FSRim, value); }
void TMeter::SetMeterShortTicks(bool value) { Store(FShortTicks, value); }
void TMeter::SetMeterScaleLine(bool value) { Store(FScaleLine, value); }
void TMeter::SetScaleVisible(bool value) { StoreAlways(FScaleVis, value); }
void TMeter::SetColorScale(TColor value) { Store(FColorScale, value); }
void TMeter::SetScaleBkVisible(bool value) { StoreAlways(FScaleBkVis, value); }
void TMeter::SetColorSclBkLow(TColor value) { Store(FColorBakGLow, value); }
void TMeter::SetColorSclBkNorm(TColor value) { Store(FColorBakGNorm, value); }
void TMeter::SetColorSclBkHigh(TColor value) { Store(FColorBakGHigh, value); }
void TMeter::SetColorBakG(TColor value) { Store(FColorBakG, value); }
void TMeter::SetBkgndFillMode(TBkgFill value) { StoreAlways(FBGFillMode, value); }
void TMeter::SetCaption(const String& value) { StoreAlways(FCaption, value); }
void TMeter::SetColorCover(TColor value) { Store(FColorCover, value); }
void TMeter::SetAnchorCovered(bool value) { Store(FAnchorCovrd, value); }
void TMeter::SetAnchorSize(int value) { Store(FSizeAnchor, value); }
void TMeter::SetFrameStyle(TFrameStyle value) { Store(FFrameStyle, value); }
void TMeter::SetLimWatchHighOn(bool value) { Store(FLimWatHighOn, value); }
void TMeter::SetLimWatchLowOn(bool value) { Store(FLimWatLowOn, value); }
void TMeter::SetLimWatchActColor(TColor value) { Store(FLimWatActCol, value); }
void TMeter::SetLimWatchPsvColor(TColor value) { Store(FLimWatPsvCol, value); }

}  // namespace qelta
