// Qelta_plot3d: the TPlot3D component: construction, grid bookkeeping, properties, the model and
// the output operations. Painting is in Qelta_plot3d_paint.cpp, the mouse in Qelta_plot3d_mouse.cpp.
//
// Every setter follows one pattern: repair the value, store it, then repaint (Paint at once, which
// does nothing while painting is suppressed and only renders the bitmap while there is no window).
// Which setters compare first is the property's own rule, written at its declaration.
//
// The grid's change handler runs on every cell write. Taking the smallest and largest value and the
// map sizes at once would rescan the whole grid per write; it only marks the data as changed, and
// RefreshGridData takes them before the three readers (painting, AutoScale, the hover test). A change
// made while painting is suppressed is not marked, as the handler ignores it then.
//
// Deliberate deviations from the classic component, keeping what callers rely on:
//  - Resize is overridden to recentre (after the usual OnResize); the classic plot hooked its own
//    public OnResize, so a host that assigned OnResize lost AutoCenter.
//  - DrawOnForeignCanvas restores the host's paint suppression instead of always releasing it.
//  - Equal range ends too large to move by 1 are moved to the next double, so they never stay equal.
//  - Non-finite view angles and magnifications are ignored; the colour coding resolves system colours.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Math.h"
#include "Qelta_cube3d.h"
#include "Qelta_plot3d.h"

namespace qelta {
namespace {

// Angle of a setter: above 360 Frac(v/360)*360, below 0 that plus 360.
double WrapAngle(double v) {
  if (v > 360) return static_cast<double>(Frac(v / 360) * 360);
  if (v < 0) return static_cast<double>(Frac(v / 360) * 360 + 360);
  return v;
}

// One channel of a colour between two colours at t (0..1), rounded half to even.
int Channel(int low, int high, double t) { return plot_detail::ClampToInt(std::nearbyint(t * (high - low) + low), 0, 255); }

TColor Interpolate(TColor low, TColor high, double t) {
  const TColor a = ColorToRGB(low), b = ColorToRGB(high);
  return RGB(static_cast<uint8_t>(Channel(GetRValue(a), GetRValue(b), t)),
             static_cast<uint8_t>(Channel(GetGValue(a), GetGValue(b), t)),
             static_cast<uint8_t>(Channel(GetBValue(a), GetBValue(b), t)));
}

}  // namespace

// [SECTION] construction

TPlot3D::TPlot3D(TComponent* AOwner)
    : TCustomControl(AOwner),
      FGrafBmp(std::make_unique<TBitmap>()),
      FProjMapX(std::make_unique<TIntMatrix>(nullptr)),
      FProjMapY(std::make_unique<TIntMatrix>(nullptr)),
      FProjMapZ(std::make_unique<TIntMatrix>(nullptr)),
      FGridMat(std::make_unique<TMatrix>(nullptr)) {
  TControlStyle style = ControlStyle();
  SetControlStyle(style.Include(csOpaque));
  SetBounds(Left(), Top(), 650, 500);
  Recentre();
  FGridMat->OnChange = [this](TObject* Sender) { GridMatChanged(Sender); };
  SetCubeCorners();
  CalcRotMatrix();
  SetSuppressPaint(false);
}

TPlot3D::~TPlot3D() = default;

// [SECTION] grid bookkeeping

void TPlot3D::GridMatChanged(TObject* /*Sender*/) {
  if (!FSuppressPaint) FGridDirty = true;
}

void TPlot3D::RefreshGridData() {
  if (!FGridDirty) return;
  FGridDirty = false;
  SetCubeCorners();
  const int nc = FGridMat->NrOfColumns(), nr = FGridMat->NrOfRows();
  double lo = 0, hi = 0;
  if (nc > 0 && nr > 0) FGridMat->MinMax(1, 1, nc, nr, lo, hi);
  if (!(lo <= hi)) lo = hi = 0;  // nothing but NaN
  FMinZ = lo;
  FMaxZ = hi;
  for (TIntMatrix* map : {FProjMapX.get(), FProjMapY.get(), FProjMapZ.get()}) map->Resize(nc, nr);
}

double TPlot3D::MinZ() {
  RefreshGridData();
  return FMinZ;
}

double TPlot3D::MaxZ() {
  RefreshGridData();
  return FMaxZ;
}

void TPlot3D::Clear() {
  FGridMat->Fill(0);
  Repaint3D();
}

void TPlot3D::SetSuppressPaint(bool Value) {
  if (Value == FSuppressPaint) return;
  FSuppressPaint = Value;
  if (Value) return;
  GridMatChanged(this);
  RefreshGridData();
  Repaint3D();
}

void TPlot3D::Repaint3D() { Paint(); }

// [SECTION] model

void TPlot3D::SetCubeCorners() {
  for (int k = 0; k < 8; ++k)
    for (int axis = 0; axis < 3; ++axis) FCubeCorners[k][axis] = 150.0 * plot_detail::CornerSign(k, axis);
}

double TPlot3D::CubeCorner(int k, int axis) const {
  return k >= 0 && k < 8 && axis >= 1 && axis <= 3 ? FCubeCorners[k][axis - 1] : 0.0;
}

void TPlot3D::CalcRotMatrix() {
  const double a = FViewAngle[0] * std::numbers::pi / 180, b = FViewAngle[2] * std::numbers::pi / 180;
  FRotMat = {{{std::cos(b), -std::sin(b), 0.0},
              {std::cos(a) * std::sin(b), std::cos(b) * std::cos(a), -std::sin(a)},
              {std::sin(a) * std::sin(b), std::sin(a) * std::cos(b), std::cos(a)}}};
  for (auto& row : FRotMat)
    for (double& e : row)
      if (std::fabs(e) < 1e-6) e = 0.0;
}

double TPlot3D::GetRotMat(int i, int j) const {
  return i >= 1 && i <= 3 && j >= 1 && j <= 3 ? FRotMat[i - 1][j - 1] : 0.0;
}

void TPlot3D::AdjustScaling() {
  FCalibZk = 300 / (FRangeHighZ - FRangeLowZ);
  FCalibZd = -150 - FRangeLowZ * FCalibZk;
}

TColor TPlot3D::CalcColorCoding(double Value) const {
  const double low = FColorScaleLow, high = FColorScaleHigh;
  const double v = Value < low ? low : (Value > high ? high : Value);
  const double t = (v - low) / (high - low);
  if (FColorCodingMode == ccmTwoColors) return Interpolate(FColorFillLow, FColorFillHigh, t);
  return t >= 0.5 ? Interpolate(FColorFillMid, FColorFillHigh, 2 * (t - 0.5))
                  : Interpolate(FColorFillLow, FColorFillMid, 2 * t);
}

// [SECTION] view

void TPlot3D::SetViewAngles(double X, double Z) {
  if (X == FViewAngle[0] && Z == FViewAngle[2]) return;
  if (std::isfinite(X)) FViewAngle[0] = WrapAngle(X);
  if (std::isfinite(Z)) FViewAngle[2] = WrapAngle(Z);
  CalcRotMatrix();
  Repaint3D();
}

void TPlot3D::SetAngle(int Index, double value) {
  if (value == FViewAngle[Index] || !std::isfinite(value)) return;
  FViewAngle[Index] = WrapAngle(value);
  CalcRotMatrix();
  Repaint3D();
}

void TPlot3D::SetViewAngleX(double value) { SetAngle(0, value); }
void TPlot3D::SetViewAngleZ(double value) { SetAngle(2, value); }

void TPlot3D::SetMagnification(double value) {
  if (std::isnan(value)) return;
  FMagnify = std::clamp(value, 0.1, 5.0);
  Repaint3D();
}

void TPlot3D::Reset() {
  Recentre();
  FSclXIntern = FSclYIntern = FSclZIntern = 1.0;
  FViewAngle[0] = 66;
  FViewAngle[2] = 135;
  FMagnify = 1.0;
  CalcRotMatrix();
  Repaint3D();
}

void TPlot3D::AutoScale() {
  RefreshGridData();
  const int nc = std::max(FGridMat->NrOfColumns(), 1), nr = std::max(FGridMat->NrOfRows(), 1);
  const double most = std::max(nc, nr);
  FSclXIntern = most / nc;
  FSclYIntern = most / nr;
  FSclZIntern = FMaxZ == FMinZ ? 1.0 : (FRangeHighZ - FRangeLowZ) / (FMaxZ - FMinZ);
  Repaint3D();
}

void TPlot3D::Recentre() {
  FCentX = Width() / 2;
  FCentY = Height() / 2;
}

void TPlot3D::ProcessResize(TObject* /*Sender*/) {
  if (FAutoCenter) Recentre();
}

void TPlot3D::Resize() {
  TCustomControl::Resize();
  ProcessResize(this);
}

// [SECTION] ranges

void TPlot3D::SetRangeEnd(double& End, double Other, double Away, double value) {
  End = value == Other ? plot_detail::StepAway(value, Away) : value;
  AdjustScaling();
  Repaint3D();
}

void TPlot3D::SetRangeXLow(double value) { SetRangeEnd(FRangeLowX, FRangeHighX, -1, value); }
void TPlot3D::SetRangeXHigh(double value) { SetRangeEnd(FRangeHighX, FRangeLowX, 1, value); }
void TPlot3D::SetRangeYLow(double value) { SetRangeEnd(FRangeLowY, FRangeHighY, -1, value); }
void TPlot3D::SetRangeYHigh(double value) { SetRangeEnd(FRangeHighY, FRangeLowY, 1, value); }
void TPlot3D::SetRangeZLow(double value) { SetRangeEnd(FRangeLowZ, FRangeHighZ, -1, value); }
void TPlot3D::SetRangeZHigh(double value) { SetRangeEnd(FRangeHighZ, FRangeLowZ, 1, value); }

void TPlot3D::SetRange(double XLow, double XHigh, double YLow, double YHigh, double ZLow, double ZHigh) {
  const auto pair = [](double& low, double& high, double l, double h) {
    low = l == h ? l - 0.5 : l;
    high = l == h ? h + 0.5 : h;
    if (low == high) {  // beyond 2^53 a half changes nothing
      low = plot_detail::StepAway(l, -1);
      high = plot_detail::StepAway(h, 1);
    }
  };
  pair(FRangeLowX, FRangeHighX, XLow, XHigh);
  pair(FRangeLowY, FRangeHighY, YLow, YHigh);
  pair(FRangeLowZ, FRangeHighZ, ZLow, ZHigh);
  AdjustScaling();
  Repaint3D();
}

// [SECTION] properties

void TPlot3D::SetRepainting(bool& Field, bool value) {
  if (value == Field) return;
  Field = value;
  Repaint3D();
}

void TPlot3D::SetRepainting(TColor& Field, TColor value) {
  Field = value;
  Repaint3D();
}

void TPlot3D::SetInt(int& Field, int value) {
  if (value == Field) return;
  Field = value;
  Repaint3D();
}

void TPlot3D::SetScaleFactX(double value) {
  FSclXIntern = value;
  Repaint3D();
}

void TPlot3D::SetScaleFactY(double value) {
  FSclYIntern = value;
  Repaint3D();
}

void TPlot3D::SetScaleFactZ(double value) {
  FSclZIntern = value;
  Repaint3D();
}

void TPlot3D::SetMinTickX(int value) { SetInt(FNTicks[0], std::clamp(value, 2, 20)); }
void TPlot3D::SetMinTickY(int value) { SetInt(FNTicks[1], std::clamp(value, 2, 20)); }
void TPlot3D::SetMinTickZ(int value) { SetInt(FNTicks[2], std::clamp(value, 2, 20)); }

void TPlot3D::SetDecPlaceX(int value) {
  FDecPlace[0] = std::clamp(value, -2, 12);
  Repaint3D();
}

void TPlot3D::SetDecPlaceY(int value) {
  FDecPlace[1] = std::clamp(value, -2, 12);
  Repaint3D();
}

void TPlot3D::SetDecPlaceZ(int value) {
  FDecPlace[2] = std::clamp(value, -2, 12);
  Repaint3D();
}

void TPlot3D::SetLabDistX(int value) { SetInt(FLabDist[0], value); }
void TPlot3D::SetLabDistY(int value) { SetInt(FLabDist[1], value); }
void TPlot3D::SetLabDistZ(int value) { SetInt(FLabDist[2], value); }

void TPlot3D::SetCaptionX(const String& value) {
  if (value == FCapt[0]) return;
  FCapt[0] = value;
  Repaint3D();
}

void TPlot3D::SetCaptionY(const String& value) {
  if (value == FCapt[1]) return;
  FCapt[1] = value;
  Repaint3D();
}

void TPlot3D::SetCaptionZ(const String& value) {
  if (value == FCapt[2]) return;
  FCapt[2] = value;
  Repaint3D();
}

void TPlot3D::SetCentX(int value) {
  if (FAutoCenter) return Recentre();
  SetInt(FCentX, plot_detail::ClampToInt(value, -Width(), plot_detail::ClampToInt(2.0 * Width(), 0, INT32_MAX)));
}

void TPlot3D::SetCentY(int value) {
  if (FAutoCenter) return Recentre();
  SetInt(FCentY, plot_detail::ClampToInt(value, -Height(), plot_detail::ClampToInt(2.0 * Height(), 0, INT32_MAX)));
}

void TPlot3D::SetAutoCenter(bool value) {
  FAutoCenter = value;
  if (value) Recentre();
}

void TPlot3D::SetColorScaleLow(double value) {
  if (!(value < FColorScaleHigh)) return;
  FColorScaleLow = value;
  Repaint3D();
}

void TPlot3D::SetColorScaleHigh(double value) {
  if (!(FColorScaleLow < value)) return;
  FColorScaleHigh = value;
  Repaint3D();
}

void TPlot3D::SetColorCodingMode(TColorCodingMode value) {
  if (value == FColorCodingMode) return;
  FColorCodingMode = value;
  Repaint3D();
}

void TPlot3D::SetColorHigh(TColor value) { SetRepainting(FColorFillHigh, value); }
void TPlot3D::SetColorMid(TColor value) { SetRepainting(FColorFillMid, value); }
void TPlot3D::SetColorLow(TColor value) { SetRepainting(FColorFillLow, value); }
void TPlot3D::SetColorCodeAvg(bool value) { SetRepainting(FColorCodeAvg, value); }
void TPlot3D::SetMeshVisible(bool value) { SetRepainting(FMeshVisible, value); }

void TPlot3D::SetMeshKind(TMeshKind value) {
  if (value == FMeshKind) return;
  FMeshKind = value;
  Repaint3D();
}

void TPlot3D::SetColorMesh(TColor value) { SetRepainting(FColorMesh, value); }
void TPlot3D::SetColorBakGnd(TColor value) { SetRepainting(FColorBakGnd, value); }
void TPlot3D::SetColorFrame(TColor value) { SetRepainting(FFrameCol, value); }

void TPlot3D::SetFrameStyle(TFrameStyle value) {
  if (value == FFrameStyle) return;
  FFrameStyle = value;
  Repaint3D();
}

void TPlot3D::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor{0x808080};
  FColWhiteLine = value == csSystem ? clBtnHighlight : TColor{0xFFFFFF};
  Repaint3D();
}

void TPlot3D::SetBoundBoxStyle(TBoundingBox value) {
  if (value == FBoundBox) return;
  FBoundBox = value;
  Repaint3D();
}

void TPlot3D::SetColorCubeFrame(TColor value) { SetRepainting(FColorCubeFrame, value); }
void TPlot3D::SetColorCubeHidLin(TColor value) { SetRepainting(FColorCubeHidLin, value); }
void TPlot3D::SetColorCubeFaceLow(TColor value) { SetRepainting(FColorCubeFaceLo, value); }
void TPlot3D::SetColorCubeFaceHigh(TColor value) { SetRepainting(FColorCubeFaceHi, value); }
void TPlot3D::SetColorXCoords(TColor value) { SetRepainting(FColorAx[0], value); }
void TPlot3D::SetColorYCoords(TColor value) { SetRepainting(FColorAx[1], value); }
void TPlot3D::SetColorZCoords(TColor value) { SetRepainting(FColorAx[2], value); }

void TPlot3D::SetVisibleXCoords(bool value) {
  FVisibleAx[0] = value;
  Repaint3D();
}

void TPlot3D::SetVisibleYCoords(bool value) {
  FVisibleAx[1] = value;
  Repaint3D();
}

void TPlot3D::SetVisibleZCoords(bool value) {
  FVisibleAx[2] = value;
  Repaint3D();
}

// [SECTION] output

std::unique_ptr<TBitmap> TPlot3D::RenderPicture(bool IncludeFrame, bool BlackAndWhite) {
  auto picture = std::make_unique<TBitmap>(Width(), Height());
  RefreshGridData();
  TCanvas* c = picture->Canvas();
  InitGraf(c);
  if (!ComponentState().Contains(csDesigning)) ConstructDataBmp(c);
  if (IncludeFrame) DrawFrame(c, FFrameStyle, 0, 0, Width() - 1, Height() - 1, clWhite, clSilver, clGray, clBlack, FFrameCol);
  if (BlackAndWhite) plot_detail::ToGrayLevels(*picture);
  return picture;
}

void TPlot3D::PrintIt(double Scale, bool BlackAndWhite, bool IncludeFrame) {
  plot_detail::PrintPicture(*RenderPicture(IncludeFrame, BlackAndWhite), Name(), Scale);
}

void TPlot3D::CopyToOpenPrinter(int& X, int& Y, double Scale, bool BlackAndWhite, bool IncludeFrame) {
  plot_detail::CopyPictureToOpenPrinter(*RenderPicture(IncludeFrame, BlackAndWhite), X, Y, Scale);
}

void TPlot3D::CopyToClipboard(bool IncludeFrame) { plot_detail::CopyPictureToClipboard(*RenderPicture(IncludeFrame, false)); }

void TPlot3D::CopyToBMP(const String& FileName, bool IncludeFrame) {
  plot_detail::SavePictureAsBmp(*RenderPicture(IncludeFrame, false), FileName);
}

void TPlot3D::CopyToWMF(const String& /*FileName*/, bool /*IncludeFrame*/) {
  throw EQeltaPlot3DError(plot_detail::MetafileRefusal(*this));
}

void TPlot3D::CopyToClipboardWMF(bool /*IncludeFrame*/) { throw EQeltaPlot3DError(plot_detail::MetafileRefusal(*this)); }

}  // namespace qelta
