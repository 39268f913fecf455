// Qelta_rchart: the settings objects of the chart: TScaleProps with its horizontal and vertical
// descendants, TJointLayers and TBakGndImg.
//
// Every setter stores and then notifies through OnChange, except where its comment in the header
// says otherwise. Deviations from the classic objects, keeping what callers rely on:
//  - Assign copies field by field between objects of a class (the platform's default raised): the
//    target keeps its own font and date format objects (their settings are copied in), its OnChange
//    and its loading state, and notifies once.
//  - The range setters ignore values that are not finite, and MinRange ignores non-finite values as
//    it ignores values <= 1e-100: a NaN bound made every later span test fail.
//  - A TJointLayers index outside the layers is ignored (the classic tables were indexed blindly).

#include <cmath>
#include <utility>

#include "FileSys.h"
#include "Qelta_rchart_internal.h"
#include "SysUtils.h"

namespace qelta {

using plot_detail::kLogFloor;

// [SECTION] TLayerSet

TLayerSet::TLayerSet(std::initializer_list<int> layers) {
  for (int l : layers) Include(l);
}

bool TLayerSet::Contains(int layer) const {
  return layer >= 1 && layer <= MaxChartLayers && (FBits >> layer & 1u) != 0;
}

TLayerSet& TLayerSet::Include(int layer) {
  if (layer >= 1 && layer <= MaxChartLayers) FBits |= 1u << layer;
  return *this;
}

// [SECTION] TScaleProps

TScaleProps::TScaleProps() : FDTFormat(std::make_unique<TDTLabel>()), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { Changed(); };
}

TScaleProps::~TScaleProps() = default;

void TScaleProps::Changed() {
  if (!FSilent && OnChange) OnChange(this);
}

template <typename T>
void TScaleProps::Store(T& field, const T& value) {
  field = value;
  Changed();
}

void TScaleProps::Assign(TPersistent* Source) {
  const auto* source = dynamic_cast<const TScaleProps*>(Source);
  if (source == nullptr) return TPersistent::Assign(Source);
  if (source != this) CopyFrom(*source);
  Changed();
}

void TScaleProps::CopyFrom(const TScaleProps& s) {
  TSilence quiet(*this);
  FCaption = s.FCaption;
  FCaptionPosX = s.FCaptionPosX;
  FCaptionPosY = s.FCaptionPosY;
  FCaptAlign = s.FCaptAlign;
  FCaptAnchor = s.FCaptAnchor;
  FColorScale = s.FColorScale;
  FDecPlaces = s.FDecPlaces;
  FLogAx = s.FLogAx;
  FLabelType = s.FLabelType;
  FFont->Assign(s.FFont.get());
  FMinTicks = s.FMinTicks;
  FRangeLow = s.FRangeLow;
  FRangeHigh = s.FRangeHigh;
  FShortTicks = s.FShortTicks;
  FScaleInscript = s.FScaleInscript;
  FScaleType = s.FScaleType;
  FScalePosX = s.FScalePosX;
  FScalePosY = s.FScalePosY;
  FMinRngDiff = s.FMinRngDiff;
  FUserTickText = s.FUserTickText;
  FVisible = s.FVisible;
  plot_detail::AssignQuietly(*FDTFormat, s.FDTFormat.get());  // one notification, at the end
}

void TScaleProps::SetCaption(const String& value) { Store(FCaption, value); }
void TScaleProps::SetCaptionPosX(int value) { Store(FCaptionPosX, value); }
void TScaleProps::SetCaptionPosY(int value) { Store(FCaptionPosY, value); }
void TScaleProps::SetCaptionAlignment(TAlignment value) { Store(FCaptAlign, value); }
void TScaleProps::SetCaptionAnchor(TScaleUnitAnchor value) { Store(FCaptAnchor, value); }
void TScaleProps::SetColorScale(TColor value) { Store(FColorScale, value); }
void TScaleProps::SetMinTicks(int value) { Store(FMinTicks, value); }
void TScaleProps::SetShortTicks(bool value) { Store(FShortTicks, value); }
void TScaleProps::SetScaleInscript(const String& value) { Store(FScaleInscript, value); }
void TScaleProps::SetScaleType(TScaleType value) { Store(FScaleType, value); }
void TScaleProps::SetUserTickText(const String& value) { Store(FUserTickText, value); }
void TScaleProps::SetVisible(bool value) { Store(FVisible, value); }
void TScaleProps::SetDecPlaces(int value) { Store(FDecPlaces, std::clamp(value, -3, 12)); }

void TScaleProps::SetFont(TFont* value) {
  if (value == nullptr) return;
  {
    TSilence quiet(*this);
    FFont->Assign(value);
  }
  Changed();
}

void TScaleProps::SetDateFormat(TDTLabel* value) {
  if (value == nullptr) return;
  plot_detail::AssignQuietly(*FDTFormat, value);
  Changed();
}

void TScaleProps::SetLogarithmic(bool value) {
  const bool refused =
      value && !FNotYetLoaded && (FRangeLow < kLogFloor || FRangeHigh < kLogFloor || FLabelType == ftDateTime);
  if (!refused) FLogAx = value;
  Changed();
}

void TScaleProps::SetLabelType(TFigType value) {
  FLabelType = value;
  if (value == ftDateTime) FLogAx = false;
  if (value == ftTime) FDecPlaces = 4;
  Changed();
}

void TScaleProps::SetRangeLow(double value) {
  if (!std::isfinite(value)) return;
  if (std::fabs(FRangeHigh - value) < FMinRngDiff) {
    FRangeLow = value;
    FRangeHigh = value + FMinRngDiff;
  } else if (!FLogAx || value >= kLogFloor) {
    FRangeLow = value;
  }
  Changed();
}

void TScaleProps::SetRangeHigh(double value) {
  if (!std::isfinite(value)) return;
  if (std::fabs(FRangeLow - value) < FMinRngDiff) {
    FRangeHigh = value;
    FRangeLow = value - FMinRngDiff;
  } else if (!FLogAx || value >= kLogFloor) {
    FRangeHigh = value;
  }
  Changed();
}

void TScaleProps::SetMinRange(double value) {
  if (!(value > kLogFloor) || !std::isfinite(value)) return;
  FMinRngDiff = value;
  if (std::fabs(FRangeHigh - FRangeLow) >= value) return;
  const double c = (FRangeHigh + FRangeLow) / 2;
  FRangeLow = c - value / 2;
  FRangeHigh = c + value / 2;
  Changed();
}

int TScaleProps::ScalePos() const { return IsVerticalScale(FScaleType) ? FScalePosX : FScalePosY; }

void TScaleProps::SetScalePos(int value) { Store(IsVerticalScale(FScaleType) ? FScalePosX : FScalePosY, value); }

// [SECTION] TScalePropsHoriz, TScalePropsVert

void TScalePropsHoriz::Assign(TPersistent* Source) {
  if (const auto* source = dynamic_cast<const TScalePropsHoriz*>(Source)) FScaleLoc = source->FScaleLoc;
  TScaleProps::Assign(Source);
}

void TScalePropsHoriz::SetScaleLocation(TScaleLocationHoriz value) {
  FScaleLoc = value;
  SetScaleType(value == slTop ? sctXB : sctXT);
}

void TScalePropsVert::Assign(TPersistent* Source) {
  if (const auto* source = dynamic_cast<const TScalePropsVert*>(Source)) FScaleLoc = source->FScaleLoc;
  TScaleProps::Assign(Source);
}

void TScalePropsVert::SetScaleLocation(TScaleLocationVert value) {
  FScaleLoc = value;
  SetScaleType(value == slLeft ? sctYR : sctYL);
}

// [SECTION] TJointLayers

TJointLayers::TJointLayers(TCustomRChart* AOwner) : FOwner(AOwner) { Reset(); }

void TJointLayers::Changed() {
  if (OnChange) OnChange(this);
}

void TJointLayers::Reset() {
  for (int l = 0; l <= MaxChartLayers; ++l) FMasterLayerX[l] = FMasterLayerY[l] = l;
}

void TJointLayers::AssignTo(TPersistent* Dest) {
  auto* dest = dynamic_cast<TJointLayers*>(Dest);
  if (dest == nullptr) return TPersistent::AssignTo(Dest);
  dest->FMasterLayerX = FMasterLayerX;
  dest->FMasterLayerY = FMasterLayerY;
  Changed();
}

int TJointLayers::GetControlledLayerX(int Index) const {
  return TCustomRChart::ValidLayer(Index) ? FMasterLayerX[Index] : 0;
}

int TJointLayers::GetControlledLayerY(int Index) const {
  return TCustomRChart::ValidLayer(Index) ? FMasterLayerY[Index] : 0;
}

void TJointLayers::SetControlledLayerX(int Index, int Value) { SetControlled(FMasterLayerX, true, Index, Value); }

void TJointLayers::SetControlledLayerY(int Index, int Value) { SetControlled(FMasterLayerY, false, Index, Value); }

void TJointLayers::SetControlled(TLayerArray<int>& masters, bool xAxis, int Index, int Value) {
  if (!TCustomRChart::ValidLayer(Index)) return;
  if (!TCustomRChart::ValidLayer(Value))
    throw EQeltaRChartError(u"Destination layer " + IntToStr(Value) + u" is out of range");
  if (Value == Index) {
    masters[Index] = Index;
    return;
  }
  if (masters[Value] != Value)
    throw EQeltaRChartError(u"Destination layer " + IntToStr(Value) + u" is already joined");
  String followers;
  for (int l = 1; l <= MaxChartLayers; ++l) {
    if (l == Index || masters[l] != Index) continue;
    if (!followers.empty()) followers += u", ";
    followers += IntToStr(l);
  }
  if (!followers.empty())
    throw EQeltaRChartError(u"Layer " + IntToStr(Index) + u" is joined by other layers (" + followers + u")");
  masters[Index] = Value;
  if (FOwner != nullptr) {
    const TScaleProps* x = FOwner->GetScalePropsX(xAxis ? Value : Index);
    const TScaleProps* y = FOwner->GetScalePropsY(xAxis ? Index : Value);
    FOwner->ForceRngIntern(Index, x->RangeLow(), y->RangeLow(), x->RangeHigh(), y->RangeHigh(), false, false);
  }
  Changed();
}

// [SECTION] TBakGndImg

TBakGndImg::TBakGndImg(TComponent* /*AOwner*/) {}

void TBakGndImg::Changed() {
  if (OnChange) OnChange(this);
}

template <typename T>
void TBakGndImg::Store(T& field, const T& value) {
  field = value;
  Changed();
}

void TBakGndImg::Assign(TPersistent* Source) {
  const auto* s = dynamic_cast<const TBakGndImg*>(Source);
  if (s == nullptr) return TPersistent::Assign(Source);
  FName = s->FName;
  FIncldPath = s->FIncldPath;
  FFillMode = s->FFillMode;
  FBGAreaMode = s->FBGAreaMode;
  FBGAreaColor = s->FBGAreaColor;
  FBGAreaLeft = s->FBGAreaLeft;
  FBGAreaRight = s->FBGAreaRight;
  FBGAreaTop = s->FBGAreaTop;
  FBGAreaBottom = s->FBGAreaBottom;
  Changed();
}

void TBakGndImg::SetName(const String& value) { Store(FName, FIncldPath ? value : ExtractFileName(value)); }

void TBakGndImg::SetIncludePath(bool value) {
  FIncldPath = value;
  if (!value) FName = ExtractFileName(FName);
  Changed();
}

void TBakGndImg::SetFillMode(TBkgFill value) { Store(FFillMode, value); }
void TBakGndImg::SetAreaMode(TBGAreaMode value) { Store(FBGAreaMode, value); }
void TBakGndImg::SetAreaColor(TColor value) { Store(FBGAreaColor, value); }
void TBakGndImg::SetAreaLeft(double value) { Store(FBGAreaLeft, value); }
void TBakGndImg::SetAreaRight(double value) { Store(FBGAreaRight, value); }
void TBakGndImg::SetAreaTop(double value) { Store(FBGAreaTop, value); }
void TBakGndImg::SetAreaBottom(double value) { Store(FBGAreaBottom, value); }

}  // namespace qelta
