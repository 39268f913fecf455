// Qelta_rchart: rims, shadow width, the standard layouts, applying the scale settings to the helper
// scales, and the accessors of the settings objects.
//
// The helper scales cover the whole control; their margins put the axis on the data area: the x
// scales from column LRim to Width - RRim - ShadowWidth, the y scales from row TRim to
// Height - BRim - ShadowWidth, and the margin across the axis by scale type and ScalePos.
// The margins along the axis are set as they are, below 0 too (the public margin setters of the
// scale clamp them to 0): with RRim + ShadowWidth = 0 the x scale's right margin is -1, and the
// clamp moved its ticks up to a pixel off the data.
// Deviations from the classic component, keeping what callers rely on:
//  - The standard layouts write the axis settings without notifications and refresh the helper
//    scales once at the end (the classic setters re-forced every range per setting).
//  - BackGroundImg copies the settings without the own object's notification, so the setter
//    repaints once by its rule instead of twice.
//  - SetScalePropsX/Y repaint through the copy's one notification only (the designing repaint came
//    on top of it).

#include <algorithm>
#include <iterator>
#include <utility>

#include "Qelta_rchart_internal.h"

namespace qelta {

namespace {

// Where an axis goes: left and right for y axes, top and bottom for x axes.
enum TAxisPlace : uint8_t { apLeft, apRight, apTop, apBottom };

struct TAxisLayout {
  int CaptionPosX, CaptionPosY;
  TAlignment Align;
  TScaleUnitAnchor Anchor;
  int ScalePos;
  bool Visible;
  TAxisPlace Place;
};

struct TChartLayout {
  int LRim, RRim, TRim, BRim;
  int CaptionPosX, CaptionPosY;
  TAlignment Align;
  TCaptionAnchorHoriz AnchorHoriz;
  TCaptionAnchorVert AnchorVert;
  TAxisLayout X[2];  // layers 1, 2
  TAxisLayout Y[2];
};

constexpr TAxisLayout kX1Bottom = {0, 22, taCenter, uaSclCenter, 0, true, apBottom};
constexpr TAxisLayout kX2Hidden = {10, 100, taCenter, uaSclCenter, 0, false, apBottom};

// clang-format off
constexpr TChartLayout kLayouts[] = {
  // rcl_X1Bottom_Y1Left
  {50, 20, 20, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
   {kX1Bottom, kX2Hidden},
   {{0, -16, taLeftJustify, uaSclTopLft, 0, true, apLeft}, {10, 100, taRightJustify, uaSclTopLft, 0, false, apLeft}}},
  // rcl_X1Bottom_Y2Left
  {100, 20, 24, 40, 0, -16, taRightJustify, cahChartRight, cavChartTop,
   {kX1Bottom, kX2Hidden},
   {{0, -23, taRightJustify, uaSclTopLft, 0, true, apLeft}, {0, -23, taRightJustify, uaSclTopLft, 50, true, apLeft}}},
  // rcl_X1Bottom_Y2Both
  {50, 50, 24, 40, 0, -20, taCenter, cahChartCenter, cavChartTop,
   {kX1Bottom, kX2Hidden},
   {{0, -23, taRightJustify, uaSclTopLft, 0, true, apLeft}, {0, -23, taLeftJustify, uaSclTopLft, 0, true, apRight}}},
  // rcl_X2Bottom_Y2Left
  {100, 20, 24, 70, 0, -16, taRightJustify, cahChartRight, cavChartTop,
   {{-20, 7, taRightJustify, uaSclTopLft, 0, true, apBottom}, {-20, 7, taRightJustify, uaSclTopLft, 30, true, apBottom}},
   {{0, -23, taRightJustify, uaSclTopLft, 0, true, apLeft}, {0, -23, taRightJustify, uaSclTopLft, 50, true, apLeft}}},
  // rcl_X2Both_Y2Both
  {50, 50, 48, 40, 0, -46, taCenter, cahChartCenter, cavChartTop,
   {{-20, 7, taRightJustify, uaSclTopLft, 0, true, apBottom}, {-20, -24, taRightJustify, uaSclTopLft, 0, true, apTop}},
   {{0, -40, taRightJustify, uaSclTopLft, 0, true, apLeft}, {0, -40, taLeftJustify, uaSclTopLft, 0, true, apRight}}},
};
// clang-format on
static_assert(std::size(kLayouts) == rcl_X2Both_Y2Both + 1, "one row per layout");
static_assert(MaxChartLayers <= 2, "the layout table holds two layers per axis");

void ApplyAxisCommon(TScaleProps& p, const TAxisLayout& a) {
  p.SetCaptionPosX(a.CaptionPosX);
  p.SetCaptionPosY(a.CaptionPosY);
  p.SetCaptionAlignment(a.Align);
  p.SetCaptionAnchor(a.Anchor);
  p.SetScalePos(a.ScalePos);
  p.SetVisible(a.Visible);
}

}  // namespace

// [SECTION] rims and shadow width

void TCustomRChart::FitDataBitmap() {
  FGrafBmp->SetSize(SaturateToInt(std::max<int64_t>(0, int64_t{DataWidth()} + 1)),
                    SaturateToInt(std::max<int64_t>(0, int64_t{DataHeight()} + 1)));
}

void TCustomRChart::SetRim(int& Field, int value) {
  Field = value;
  FitDataBitmap();
  if (FIsometric) KeepIsometric();
  FitHelperScales();
  AdjustScalingQuietly();
  RepaintRule();
}

void TCustomRChart::SetLRim(int value) { SetRim(RcLRim, value); }
void TCustomRChart::SetRRim(int value) { SetRim(RcRRim, value); }
void TCustomRChart::SetTRim(int value) { SetRim(RcTRim, value); }
void TCustomRChart::SetBRim(int value) { SetRim(RcBRim, value); }

void TCustomRChart::SetShadowWidth(int value) {
  F3DRim = std::clamp(value, 0, 32);
  FitDataBitmap();
  FitHelperScales();
  AdjustScalingQuietly();
  RepaintRule();
}

// [SECTION] standard layouts

void TCustomRChart::SetStandardLayout(TrcLayout value) {
  if (value > rcl_X2Both_Y2Both) return;
  FStdLayout = value;
  TPaintHold hold(*this);
  const TChartLayout& r = kLayouts[value];
  SetLRim(r.LRim);
  SetRRim(r.RRim);
  SetTRim(r.TRim);
  SetBRim(r.BRim);
  FCaptPosX = r.CaptionPosX;
  FCaptPosY = r.CaptionPosY;
  FCaptAlignment = r.Align;
  FCaptAnchorX = r.AnchorHoriz;
  FCaptAnchorY = r.AnchorVert;
  for (int l = 1; l <= MaxChartLayers; ++l) {
    TScalePropsHoriz& x = *FScalePropsX[l];
    TScalePropsVert& y = *FScalePropsY[l];
    TScaleProps::TSilence quietX(x), quietY(y);
    const TAxisLayout& ax = r.X[l - 1];
    const TAxisLayout& ay = r.Y[l - 1];
    x.SetScaleLocation(ax.Place == apTop ? slTop : slBottom);
    ApplyAxisCommon(x, ax);
    y.SetScaleLocation(ay.Place == apLeft ? slLeft : slRight);
    ApplyAxisCommon(y, ay);
  }
  FitHelperScales();
  hold.Restore();
}

// [SECTION] helper scales

void TCustomRChart::FitHelperScales() {
  for (int l = 1; l <= MaxChartLayers; ++l) {
    if (TScale* x = FScalesX[l]) {
      SetScaleProps(x, FScalePropsX[l].get());
      x->SetBounds(x->Left(), x->Top(), Width(), Height());
      x->SetAxisMargins(RcLRim, SaturateToInt(int64_t{RcRRim} + F3DRim - 1));
    }
    if (TScale* y = FScalesY[l]) {
      SetScaleProps(y, FScalePropsY[l].get());
      y->SetBounds(y->Left(), y->Top(), Width(), Height());
      y->SetAxisMargins(RcTRim, SaturateToInt(int64_t{RcBRim} + F3DRim - 1));
    }
  }
}

void TCustomRChart::SetScaleProps(TScale* Scale, const TScaleProps* Props) {
  if (Scale == nullptr || Props == nullptr) return;
  const int64_t pos = Props->ScalePos();
  Scale->SetScaleType(Props->ScaleType());
  switch (Props->ScaleType()) {
    case sctXB: Scale->SetMarginBottom(SaturateToInt(pos + Height() - RcTRim - 1)); break;
    case sctXT: Scale->SetMarginTop(SaturateToInt(pos + Height() - RcBRim - F3DRim)); break;
    case sctYL: Scale->SetMarginLeft(SaturateToInt(pos + Width() - RcRRim - F3DRim)); break;
    case sctYR: Scale->SetMarginRight(SaturateToInt(pos + Width() - RcLRim - 1)); break;
  }
  Scale->SetRange(Props->RangeLow(), Props->RangeHigh());
  Scale->SetVisible(Props->Visible());
  Scale->SetCaption(Props->Caption());
  Scale->SetCaptionPosX(Props->CaptionPosX());
  Scale->SetCaptionPosY(Props->CaptionPosY());
  Scale->SetCaptionAlignment(Props->CaptionAlignment());
  Scale->SetCaptionAnchor(Props->CaptionAnchor());
  Scale->SetColorScale(Props->ColorScale());
  Scale->SetDecPlaces(Props->DecPlaces());
  Scale->SetLogarithmic(Props->Logarithmic());
  Scale->SetLabelType(Props->LabelType());
  Scale->SetShortTicks(Props->ShortTicks());
  Scale->SetMinTicks(Props->MinTicks());
  Scale->SetScaleInscript(Props->ScaleInscript());
  Scale->SetUserTickText(Props->UserTickText());
  Scale->SetFont(Props->Font());
  Scale->SetDateFormat(Props->DateFormat());
}

void TCustomRChart::ScalePropsChanged(TObject* /*Sender*/) {
  TPaintHold hold(*this);
  for (int l = 1; l <= MaxChartLayers; ++l) {
    SetScaleProps(FScalesX[l], FScalePropsX[l].get());
    SetScaleProps(FScalesY[l], FScalePropsY[l].get());
  }
  RefreshRanges();
  hold.Restore();
}

// [SECTION] settings accessors

TScalePropsHoriz* TCustomRChart::GetScalePropsX(int Layer) const { return FScalePropsX[ValidLayer(Layer) ? Layer : 1].get(); }

TScalePropsVert* TCustomRChart::GetScalePropsY(int Layer) const { return FScalePropsY[ValidLayer(Layer) ? Layer : 1].get(); }

void TCustomRChart::SetScalePropsX(int Layer, TScalePropsHoriz* Value) {
  if (ValidLayer(Layer) && Value != nullptr) FScalePropsX[Layer]->Assign(Value);
}

void TCustomRChart::SetScalePropsY(int Layer, TScalePropsVert* Value) {
  if (ValidLayer(Layer) && Value != nullptr) FScalePropsY[Layer]->Assign(Value);
}

void TCustomRChart::SetJointLayers(TJointLayers* value) {
  if (value == nullptr) return;
  if (value != FJointLayers.get()) FJointLayers->Assign(value);
  RepaintRule();
}

void TCustomRChart::SetBackGroundImg(TBakGndImg* value) {
  if (value == nullptr) return;
  plot_detail::AssignQuietly(*FBakGndFile, value);
  RepaintRule();
}

}  // namespace qelta
