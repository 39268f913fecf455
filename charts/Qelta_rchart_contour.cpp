// Qelta_rchart: the contour plot TContourPlot: construction, pivots, levels and colours, the
// attached colour scale, and the chart operations that change its picture. The rendering is in
// Qelta_rchart_contour_paint.cpp.
//
// Deviations from the classic component, keeping what callers rely on:
//  - The plot's own handlers no longer sit in the public OnZoomPan and OnResize, where a host that
//    assigned its own lost them and kept a stale picture: a resize renders again before the host's
//    OnResize fires, and any change of layer 1's transform (zoom, pan, zoom ring, rims) renders
//    again at the next paint.
//  - IsoDist <= 0 divided by zero and a tiny spacing asked for billions of levels: such a spacing is
//    ignored and at most 10000 levels are drawn. Pivot counts stay at 2 or more (1 divided by zero
//    in the pivot spacing) and at most 5000.
//  - The attached colour scale's palette is given the size of IsoColors before the colours are
//    copied (n colours went into a palette of any size).
//  - SetTextLabel renders again, as AddTextLabel does: the chart fills the label without its
//    notifications, so the picture would have kept the old label.
//  - A change of the background settings renders again (the background is part of the picture).
//  - The zoom ring starts at the plot's ranges.

#include <algorithm>
#include <cmath>
#include <utility>

#include "Qelta_ColorScale.h"
#include "Qelta_matrix.h"
#include "Qelta_plot_internal.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_rchart_internal.h"

namespace qelta {

namespace {

constexpr int kMinPivots = 2;
constexpr int kMaxPivots = 5000;

// A pivot count from a real value: at least 2, at most 5000, 2 for NaN.
int PivotCount(double n) {
  if (!(n >= kMinPivots)) return kMinPivots;
  return n >= kMaxPivots ? kMaxPivots : static_cast<int>(n);
}

}  // namespace

// [SECTION] construction

TContourPlot::TContourPlot(TComponent* AOwner)
    : TCustomRChart(AOwner), FIsoColors(std::make_unique<TColorArray>(nullptr)), FPlotBmp(std::make_unique<TBitmap>()) {
  NewPivotMatrix(PivotCount((int64_t{Width()} - LRim() - RRim()) / 5),
                 PivotCount((int64_t{Height()} - TRim() - BRim()) / 5));
  FIsoColors->OnChange = [this](TObject* Sender) { ChangedIsoColorsEvent(Sender); };
  SetIsometric(false);
  SetDataColor(clBlack);
  TCustomRChart::SetGridStyle(gsPoints);
  SetGridDx(0);
  SetGridDy(0);
  TCustomRChart::SetRange(1, -5.2, -5.2, 5.2, 5.2);
  Scale1X()->SetVisible(true);
  Scale1Y()->SetVisible(true);
  Scale2X()->SetVisible(false);
  Scale2Y()->SetVisible(false);
  ClearZoomHistory();
  for (int i = 1; i <= MaxTextLabels; ++i)
    GetFTextLabel(i)->OnChange = [this](TObject* Sender) { CplotStyleChanged(Sender); };
  BackGroundImg()->OnChange = [this](TObject* Sender) {
    InvalidatePicture();
    StyleChanged(Sender);
  };
}

TContourPlot::~TContourPlot() = default;

void TContourPlot::CreateWnd() {
  TCustomRChart::CreateWnd();
  InvalidatePicture();
  WindowCreated();
}

void TContourPlot::SetSuppressPaint(bool value) {
  if (value == SuppressPaint()) return;
  if (!value) InvalidatePicture();
  TCustomRChart::SetSuppressPaint(value);
}

void TContourPlot::Resize() {
  InvalidatePicture();
  TCustomRChart::Resize();
}

void TContourPlot::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomRChart::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent != nullptr && AComponent == FExtColScale) FExtColScale = nullptr;
}

void TContourPlot::FeedbackProgress(int p) {
  if (OnProgress) OnProgress(this, p);
}

void TContourPlot::DrawPlot() {
  InvalidatePicture();
  Paint();
}

template <typename T>
void TContourPlot::SetRendered(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  InvalidatePicture();
  Paint();
}

void TContourPlot::CplotStyleChanged(TObject* /*Sender*/) {
  InvalidatePicture();
  Paint();
}

// [SECTION] pivots

void TContourPlot::NewPivotMatrix(int nx, int ny) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(nx, ny);
  FPivotMat = std::move(m);
  FNumPivotX = nx;
  FNumPivotY = ny;
  InvalidatePicture();
}

void TContourPlot::SetPivotResX(int a) {
  NewPivotMatrix(PivotCount(a), FNumPivotY);
  Paint();
}

void TContourPlot::SetPivotResY(int a) {
  NewPivotMatrix(FNumPivotX, PivotCount(a));
  Paint();
}

int TContourPlot::GetPivotRes() const { return 5 * std::max(FNumPivotX, FNumPivotY); }

void TContourPlot::SetPivotRes(int a) {
  const double r = std::max(a, 10) / 5.0;
  const double w = int64_t{Width()} - LRim() - RRim(), h = int64_t{Height()} - TRim() - BRim();
  const double along = std::max(a, 10) / 5 + 1;
  if (w < h) {
    NewPivotMatrix(PivotCount(static_cast<double>(plot_detail::RoundDouble(r * w / h)) + 1), PivotCount(along));
  } else {
    NewPivotMatrix(PivotCount(along), PivotCount(static_cast<double>(plot_detail::RoundDouble(r * h / w)) + 1));
  }
  Paint();
}

void TContourPlot::ResizePivotMatrix(int a, int b) {
  NewPivotMatrix(std::clamp(a, 10, 5000) / 5, std::clamp(b, 10, 5000) / 5);
  Paint();
}

// [SECTION] levels and colours

void TContourPlot::SetIsoLow(double value) {
  if (value == FIsoLow || !std::isfinite(value)) return;
  FIsoLow = value;
  if (FIsoHigh <= value) FIsoHigh = value + 1;
  InvalidatePicture();
  IsoColorsChanged();
  Paint();
}

void TContourPlot::SetIsoHigh(double value) {
  if (value == FIsoHigh || !std::isfinite(value)) return;
  FIsoHigh = value;
  if (value <= FIsoLow) FIsoLow = value - 1;
  InvalidatePicture();
  IsoColorsChanged();
  Paint();
}

void TContourPlot::SetIsoDist(double value) {
  if (value > 0 && std::isfinite(value)) SetRendered(FIsoDist, value);
}

void TContourPlot::SetIsoParams(double iLow, double iHigh, double iDist) {
  if (iLow == FIsoLow && iHigh == FIsoHigh && iDist == FIsoDist) return;
  if (std::isfinite(iLow) && std::isfinite(iHigh)) {
    FIsoLow = iHigh <= iLow ? iHigh - 1 : iLow;
    FIsoHigh = iHigh;
  }
  if (iDist > 0 && std::isfinite(iDist)) FIsoDist = iDist;
  InvalidatePicture();
  IsoColorsChanged();
  Paint();
}

void TContourPlot::IsoColorsChanged() {
  if (FExtColScale == nullptr) return;
  TColorArray* palette = FExtColScale->ColorArray();
  const int n = FIsoColors->Size();
  palette->Resize(n);
  palette->CopyFrom(FIsoColors.get(), 1, n, 1);
  // Low first: the scale keeps ColorLow <= ColorHigh by moving the other end.
  FExtColScale->SetColorLow(FIsoLow);
  FExtColScale->SetColorHigh(FIsoHigh);
}

void TContourPlot::ChangedIsoColorsEvent(TObject* /*Sender*/) {
  IsoColorsChanged();
  InvalidatePicture();
  Paint();
}

void TContourPlot::SetPlotMode(TContourPlotMode value) { SetRendered(FPlotMode, value); }

void TContourPlot::SetAttachedColorScale(TColorScale* value) {
  if (value == FExtColScale) return;
  if (FExtColScale != nullptr) RemoveFreeNotification(FExtColScale);
  FExtColScale = value;
  if (value == nullptr) return;
  FreeNotification(value);
  IsoColorsChanged();
}

// [SECTION] chart operations that change the picture

void TContourPlot::SetChartColor(TColor value) {
  if (value == ChartColor()) return;
  InvalidatePicture();
  plot_detail::TChartPaintHold hold(*this);
  TCustomRChart::SetChartColor(value);
  hold.Restore();
}

void TContourPlot::SetChartFrameColor(TColor value) {
  if (value == ChartFrameColor()) return;
  InvalidatePicture();
  plot_detail::TChartPaintHold hold(*this);
  TCustomRChart::SetChartFrameColor(value);
  hold.Restore();
}

void TContourPlot::SetRimRendered(int Current, int value, void (TCustomRChart::*Set)(int)) {
  if (value == Current) return;
  InvalidatePicture();
  (this->*Set)(value);
}

void TContourPlot::SetMarginLeft(int value) { SetRimRendered(LRim(), value, &TCustomRChart::SetMarginLeft); }
void TContourPlot::SetMarginRight(int value) { SetRimRendered(RRim(), value, &TCustomRChart::SetMarginRight); }
void TContourPlot::SetMarginTop(int value) { SetRimRendered(TRim(), value, &TCustomRChart::SetMarginTop); }
void TContourPlot::SetMarginBottom(int value) { SetRimRendered(BRim(), value, &TCustomRChart::SetMarginBottom); }

void TContourPlot::SetShadowWidth(int value) {
  SetRimRendered(ShadowWidth(), std::clamp(value, 0, 32), &TCustomRChart::SetShadowWidth);
}

void TContourPlot::SetRange(Extended xLo, Extended yLo, Extended xHi, Extended yHi) {
  InvalidatePicture();
  TCustomRChart::SetRange(1, xLo, yLo, xHi, yHi);
}

int TContourPlot::AddTextLabel(double PosX, double PosY, TColor TxtColor, const String& Txt, int PropertyTemplate) {
  InvalidatePicture();
  plot_detail::TChartPaintHold hold(*this);
  const int label = TCustomRChart::AddTextLabel(PosX, PosY, TxtColor, Txt, PropertyTemplate);
  hold.Restore();
  return label;
}

void TContourPlot::SetTextLabel(int Idx, double PosX, double PosY, TColor TxtColor, const String& Txt,
                                int PropertyTemplate) {
  InvalidatePicture();
  TCustomRChart::SetTextLabel(Idx, PosX, PosY, TxtColor, Txt, PropertyTemplate);
}

void TContourPlot::HideAllTextLabels() {
  InvalidatePicture();
  TCustomRChart::HideAllTextLabels();
}

void TContourPlot::ClearAllTextLabels() {
  InvalidatePicture();
  TCustomRChart::ClearAllTextLabels();
}

void TContourPlot::CopyToBitmap(TBitmap* ABitmap, bool BlkWhite) {
  InvalidatePicture();
  TCustomRChart::CopyToBitmap(ABitmap, BlkWhite);
}

void TContourPlot::CopyToBMP(const String& FName, bool BlkWhite) {
  InvalidatePicture();
  TCustomRChart::CopyToBMP(FName, BlkWhite);
}

void TContourPlot::CopyToClipboard(bool BlkWhite) {
  InvalidatePicture();
  TCustomRChart::CopyToClipboard(BlkWhite);
}

void TContourPlot::PrintIt(double ScaleF, bool BlkWhite) {
  InvalidatePicture();
  TCustomRChart::PrintIt(ScaleF, BlkWhite);
}

}  // namespace qelta
