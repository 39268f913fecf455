// Qelta_rchart: the chart component, split by topic.
//
// Index
//   Qelta_rchart.cpp            construction, destruction, loading, bounds, the paint guard and the
//                               repaint rule, plain and repainting properties, event relays
//   Qelta_rchart_settings.cpp   TScaleProps, TScalePropsHoriz/Vert, TJointLayers, TBakGndImg
//   Qelta_rchart_items.cpp      TrcItemStore, the drawing primitives, item access, queries, removal
//   Qelta_rchart_transform.cpp  AdjustScaling, R2M, M2R, the extents of the items
//   Qelta_rchart_ranges.cpp     ForceRngIntern, ForceRange, SetRange, zoom ring, isometric rule,
//                               equal ranges, auto-range
//   Qelta_rchart_layout.cpp     rims, shadow width, standard layouts, applying the scale settings
//                               to the helper scales, settings accessors
//   Qelta_rchart_paint.cpp      the paint road (Paint, ConstructChartBmp, InitGraf, DrawFinish),
//                               ShowGraf, ShowGrafNewOnly, cross-hairs, output operations, TRChart
//   Qelta_rchart_draw.cpp       ConstructDataBmp: the items by kind, the polyline buffer, the grid
//   Qelta_rchart_labels.cpp     the text labels: filling, hiding, clearing, drawing
//   Qelta_rchart_share.cpp      charts that show one item list (UseDataOf)
//   Qelta_rchart_mouse.cpp      the mouse: pan, zoom window, rubber band, zoom drag, dragging
//                               cross-hairs and labels, cursor, MouseBox
//   Qelta_rchart_files.cpp      the item file (SaveData, LoadData) and the text dump (SaveDataASC)
//   Qelta_rchart_smith.cpp      TSmithChart: the impedance grid and the conversions
//   Qelta_rchart_contour.cpp    TContourPlot: construction, pivots, levels and colours, the
//                               attached colour scale, the chart operations that change its picture
//   Qelta_rchart_contour_paint.cpp  TContourPlot: Paint, the kept picture, sampling and the cells
//
// Construction follows the classic order: painting suppressed, drawing state and look, cross-hairs
// and labels, background and joint settings, cursors, bitmaps, helper scales and scale settings per
// layer, size 280 x 200, the standard layout, the helper scales fitted, the zoom ring cleared. The
// chart's own SetBounds is the one that runs inside the constructor (it is this class's override).
// Deviations from the classic component, keeping what callers rely on:
//  - Operations that change ranges paint once: they hold painting and give it back once at the end,
//    instead of painting per layer and again by the repaint rule.
//  - Chart-internal writes into the scale settings fire no OnChange, so a change of the settings
//    runs ScalePropsChanged once and never recurses through ForceRange.
//  - The transforms are rebuilt quietly by setters and range changes; a logarithmic axis whose
//    range reaches 0 or below raises only where the chart paints (and from AdjustScaling itself).

#include "Qelta_rchart.h"

#include <algorithm>
#include <utility>

#include "Qelta_qeltacolors.h"
#include "Qelta_rchart_internal.h"
#include "Screen.h"
#include "SysUtils.h"

namespace qelta {

// [SECTION] construction and destruction

TCustomRChart::TCustomRChart(TComponent* AOwner)
    : TCustomControl(AOwner), FItems(std::make_shared<TrcItemStore>()) {
  TControlStyle style = ControlStyle();
  SetControlStyle(style.Include(csOpaque));  // the chart covers its whole area
  FLayerVisib.fill(true);
  FMouseAffLayer[1] = true;
  FItClassVisib.fill(true);
  CreateCrossHairsAndLabels();
  FBakGndFile = std::make_unique<TBakGndImg>(this);
  FBakGndFile->OnChange = [this](TObject* Sender) { StyleChanged(Sender); };
  FJointLayers = std::make_unique<TJointLayers>(this);
  FJointLayers->OnChange = [this](TObject* Sender) { StyleChanged(Sender); };
  const char16_t* cursors[] = {u"CURHAND", u"CURZOOMW", u"CURZOOMD", u"CURZOOMP"};
  for (int i = 0; i < 4; ++i) Screen()->SetCursors(static_cast<TCursor>(i + 1), LoadCursorFromResource(cursors[i]));
  FGrafBmp = std::make_unique<TBitmap>();
  FitDataBitmap();
  FChartBmp = std::make_unique<TBitmap>(Width(), Height());
  FAuxBmp = std::make_unique<TBitmap>(10, 10);
  FFinishBmp = std::make_unique<TBitmap>();
  Fxasp = GetDeviceCaps(FAuxBmp->Canvas(), ASPECTX);
  Fyasp = GetDeviceCaps(FAuxBmp->Canvas(), ASPECTY);
  CreateHelperScales();
  CreateSettings();
  SetHeight(200);
  SetWidth(280);
  SetStandardLayout(rcl_X1Bottom_Y1Left);
  for (int l = 1; l <= MaxChartLayers; ++l) {
    for (TScale* s : {FScalesX[l], FScalesY[l]}) {
      s->SetTransparent(true);
      s->SetColorBackGnd(RcWindCol);
      s->SetFrameStyle(fsNone);
    }
  }
  FitHelperScales();
  ClearZoomHistory();
}

TCustomRChart::~TCustomRChart() {
  *FAlive = false;
  for (auto& c : FCrossHair) c.reset();
  for (auto& t : FTextLabels) t.reset();
  for (int l = 1; l <= MaxChartLayers; ++l) {
    FScalePropsX[l].reset();
    delete std::exchange(FScalesX[l], nullptr);
    FScalePropsY[l].reset();
    delete std::exchange(FScalesY[l], nullptr);
  }
  FJointLayers.reset();
  FAuxBmp.reset();
  FGrafBmp.reset();
  FChartBmp.reset();
  FFinishBmp.reset();
  FBakGndFile.reset();
}

void TCustomRChart::CreateCrossHairsAndLabels() {
  for (int i = 1; i <= MaxCrossHairs; ++i) {
    auto c = std::make_unique<TCrossHair>();
    c->SetLayer(i);  // clamped by the cross-hair to the chart's layers
    c->OnChange = [this](TObject* Sender) { StyleChanged(Sender); };
    FCrossHair[i] = std::move(c);
  }
  for (int i = 1; i <= MaxTextLabels; ++i) {
    auto t = std::make_unique<TTextLabel>();
    t->SetPosX(0);
    t->SetPosY(0);
    t->SetLayer(1);
    t->SetAttachToData(tlamBoth);
    t->SetAlignment(taCenter);
    t->SetVerticalAlignment(vaBottom);
    t->SetColorBkg(clWhite);
    t->SetColorBorder(clBlack);
    t->SetShadowDx(3);
    t->SetShadowDy(3);
    t->SetColorShadow(clGray);
    t->SetTransparent(false);
    t->SetCaption(String());
    t->SetFont(Font());
    t->SetVisible(false);
    t->SetMode(tlOff);
    t->OnChange = [this](TObject* Sender) { StyleChanged(Sender); };
    FTextLabels[i] = std::move(t);
  }
}

void TCustomRChart::CreateHelperScales() {
  for (int l = 1; l <= MaxChartLayers; ++l) {
    for (bool horizontal : {true, false}) {
      auto* s = new TScale(this);  // owned by the chart as a component, freed in the destructor
      s->SetName((horizontal ? u"RC_FScale_X_" : u"RC_FScale_Y_") + IntToStr(l));
      s->SetIsHelper(true);
      s->UseForeignCanvas(FChartBmp->Canvas(), 0, 0);
      s->OnScaleTickDrawn = [this](TObject*, TCanvas* c, TScaleType t, double v, int x, int y) {
        DoOnScaleTickDrawn(c, t, v, x, y);
      };
      s->OnBeforeTickLabel = [this](TObject*, TScaleType t, double v, String& text) {
        DoOnBeforeTickLabel(t, v, text);
      };
      (horizontal ? FScalesX : FScalesY)[l] = s;
    }
  }
}

void TCustomRChart::CreateSettings() {
  const auto changed = [this](TObject* Sender) { ScalePropsChanged(Sender); };
  for (int l = 1; l <= MaxChartLayers; ++l) {
    FScalePropsX[l] = std::make_unique<TScalePropsHoriz>();
    FScalePropsY[l] = std::make_unique<TScalePropsVert>();
    for (TScaleProps* p : {static_cast<TScaleProps*>(FScalePropsX[l].get()), static_cast<TScaleProps*>(FScalePropsY[l].get())}) {
      p->FColorScale = PredefinedColors[l];
      p->DateFormat()->OnChange = changed;
      p->OnChange = changed;
    }
    FScalePropsX[l]->FScaleType = l == 1 ? sctXT : sctXB;
    FScalePropsY[l]->FScaleType = l == 1 ? sctYR : sctYL;
  }
}

// [SECTION] loading, bounds and painting

void TCustomRChart::Loaded() {
  TCustomControl::Loaded();
  for (int l = 1; l <= MaxChartLayers; ++l) {
    SetScaleProps(FScalesX[l], FScalePropsX[l].get());
    SetScaleProps(FScalesY[l], FScalePropsY[l].get());
    FScalePropsX[l]->FNotYetLoaded = false;
    FScalePropsY[l]->FNotYetLoaded = false;
  }
  AdjustScaling();
  Paint();
}

void TCustomRChart::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TPaintHold hold(*this);
  AHeight = std::max(AHeight, SaturateToInt(int64_t{RcTRim} + RcBRim + F3DRim + 20));
  AWidth = std::max(AWidth, SaturateToInt(int64_t{RcLRim} + RcRRim + F3DRim + 80));
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FIsometric) KeepIsometric();
  FitHelperScales();
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  AdjustScalingQuietly();
  hold.Restore();
}

int TCustomRChart::DataWidth() const { return SaturateToInt(int64_t{Width()} - RcLRim - RcRRim - F3DRim); }

int TCustomRChart::DataHeight() const { return SaturateToInt(int64_t{Height()} - RcTRim - RcBRim - F3DRim); }

int TCustomRChart::ClampLayer(int Layer) { return std::clamp(Layer, 1, MaxChartLayers); }

bool TCustomRChart::PaintAllowed() const {
  if (FSuppressPaint) return false;
  const TComponentState& state = ComponentState();
  if (state.Contains(csLoading)) return false;
  return Visible() || state.Contains(csDesigning);
}

void TCustomRChart::SetSharedItemStore(std::shared_ptr<TrcItemStore> Store) {
  if (Store != nullptr) FItems = std::move(Store);
}

void TCustomRChart::SetSuppressPaint(bool value) {
  if (value == FSuppressPaint) return;
  FSuppressPaint = value;
  if (!value) Paint();
}

void TCustomRChart::RepaintRule() {
  if (FAutoRedraw || ComponentState().Contains(csDesigning)) Paint();
}

void TCustomRChart::StyleChanged(TObject* /*Sender*/) { RepaintRule(); }

// [SECTION] properties

template <typename T>
void TCustomRChart::SetRepainted(T& Field, const T& value) {
  Field = value;
  RepaintRule();
}

void TCustomRChart::SetAllocSize(int value) {
  if (value >= 1 && value <= 1000000) FAllocSize = value;
}

void TCustomRChart::SetActiveLayer(int value) {
  if (!ValidLayer(value)) return;
  SetRepainted(FActiveLayer, value);
}

void TCustomRChart::SetClassDefault(uint8_t value) {
  if (value != 255) RcClassDefault = value;
}

void TCustomRChart::SetChartFrameColor(TColor value) { SetRepainted(FChartFrameCol, value); }
void TCustomRChart::SetChartColor(TColor value) { SetRepainted(RcChartCol, value); }
void TCustomRChart::SetWindColor(TColor value) { SetRepainted(RcWindCol, value); }
void TCustomRChart::SetGridColor(TColor value) { SetRepainted(RcGridCol, value); }
void TCustomRChart::SetShadowColor(TColor value) { SetRepainted(FShadowColor, value); }
void TCustomRChart::SetShadowBakColor(TColor value) { SetRepainted(RcShadowBakCol, value); }
void TCustomRChart::SetShadowStyle(TShadowStyle value) { SetRepainted(RcShadowStyle, value); }
void TCustomRChart::SetGridStyle(GridStyleType value) { SetRepainted(RcGridStyle, value); }
void TCustomRChart::SetCaption(const String& value) { SetRepainted(FChartCaption, value); }
void TCustomRChart::SetCaptionPosX(int value) { SetRepainted(FCaptPosX, value); }
void TCustomRChart::SetCaptionPosY(int value) { SetRepainted(FCaptPosY, value); }
void TCustomRChart::SetCaptionAlignment(TAlignment value) { SetRepainted(FCaptAlignment, value); }
void TCustomRChart::SetCaptionAnchorHoriz(TCaptionAnchorHoriz value) { SetRepainted(FCaptAnchorX, value); }
void TCustomRChart::SetCaptionAnchorVert(TCaptionAnchorVert value) { SetRepainted(FCaptAnchorY, value); }
void TCustomRChart::SetTextFontStyle(TFontStyles value) { SetRepainted(FTextFontStyle, value); }
void TCustomRChart::SetTextBkStyle(TTextBkg value) { SetRepainted(FTextBkStyle, value); }
void TCustomRChart::SetTextBkColor(TColor value) { SetRepainted(FTextBkColor, value); }
void TCustomRChart::SetTextAlignment(TAlignment value) { SetRepainted(FTextAlignment, value); }

void TCustomRChart::SetGridDx(double value) {
  if (value >= -3) SetRepainted(RcGridDx, value);
}

void TCustomRChart::SetGridDy(double value) {
  if (value >= -3) SetRepainted(RcGridDy, value);
}

void TCustomRChart::SetClassVisib(uint8_t Class, bool Visible) {
  if (FItClassVisib[Class] == Visible) return;
  SetRepainted(FItClassVisib[Class], Visible);
}

bool TCustomRChart::GetLayerVisib(int Layer) const { return ValidLayer(Layer) && FLayerVisib[Layer]; }

void TCustomRChart::SetLayerVisib(int Layer, bool Visible) {
  if (!ValidLayer(Layer) || FLayerVisib[Layer] == Visible) return;
  SetRepainted(FLayerVisib[Layer], Visible);
}

bool TCustomRChart::GetMAffLayer(int Layer) const { return ValidLayer(Layer) && FMouseAffLayer[Layer]; }

void TCustomRChart::SetMAffLayer(int Layer, bool Value) {
  if (ValidLayer(Layer)) FMouseAffLayer[Layer] = Value;
}

double TCustomRChart::GetCHPosX(int Index) const {
  return Index >= 1 && Index <= MaxCrossHairs ? FCrossHair[Index]->PosX() : 0.0;
}

double TCustomRChart::GetCHPosY(int Index) const {
  return Index >= 1 && Index <= MaxCrossHairs ? FCrossHair[Index]->PosY() : 0.0;
}

// [SECTION] ticks of the helper scales

namespace {

// Tick Index (1-based) of a helper scale, counted from the low end of the range.
double TickFromLow(const TScale* s, const TScaleProps* p, int Index) {
  const int n = s->NumTicks();
  if (Index < 1 || Index > n) return 0.0;
  return s->GetTickPos(p->RangeLow() > p->RangeHigh() ? n - Index + 1 : Index);
}

}  // namespace

double TCustomRChart::GetTickPosX(int Index) const {
  return TickFromLow(FScalesX[FActiveLayer], FScalePropsX[FActiveLayer].get(), Index);
}

double TCustomRChart::GetTickPosY(int Index) const {
  return TickFromLow(FScalesY[FActiveLayer], FScalePropsY[FActiveLayer].get(), Index);
}

int TCustomRChart::TickNumX() const { return FScalesX[FActiveLayer]->NumTicks(); }

int TCustomRChart::TickNumY() const { return FScalesY[FActiveLayer]->NumTicks(); }

// [SECTION] event relays

void TCustomRChart::DoOnScaleTickDrawn(TCanvas* Canvas, TScaleType ScaleType, double CurrentTickPos, int ChartX,
                                       int ChartY) {
  if (OnScaleTickDrawn) OnScaleTickDrawn(this, Canvas, ScaleType, CurrentTickPos, ChartX, ChartY);
}

void TCustomRChart::DoOnBeforeTickLabel(TScaleType ScaleType, double CurrentTickPos, String& TickLabel) {
  if (OnBeforeTickLabel) OnBeforeTickLabel(this, ScaleType, CurrentTickPos, TickLabel);
}

void TCustomRChart::DoZoomPanEvent() {
  if (OnZoomPan) OnZoomPan(this);
}

void TCustomRChart::DoRubberbandEvent(int Layer, double LoX, double LoY, double HiX, double HiY) {
  if (OnRubberBand) OnRubberBand(this, Layer, LoX, LoY, HiX, HiY);
}

void TCustomRChart::DoCrossHMoveEvent(TCrossHair* CrossHair) {
  if (OnCrossHairMove) OnCrossHairMove(this, CrossHair);
}

void TCustomRChart::DoTxtLblMoveEvent(TTextLabel* TextLabel) {
  if (OnTextLabelMove) OnTextLabelMove(this, TextLabel);
}

void TCustomRChart::MouseMoveInChart(bool InChart, TShiftState Shift, double x, double y) {
  if (OnMouseMoveInChart) OnMouseMoveInChart(this, InChart, Shift, x, y);
}

}  // namespace qelta
