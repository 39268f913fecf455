// Qelta_Rot3D: the TRot3D component: construction, item list, MakeVisible and the finders, the
// rotation matrix, the properties and the output operations. Painting and the mouse are in
// Qelta_Rot3D_paint.cpp.
//
// Item list: the capacity is reported as the list always reported it (grown by AllocSize each time the
// list is full, released when the last item goes), while the storage underneath grows geometrically,
// so appending stays linear whatever AllocSize is.
// MakeVisible: model coordinate = Round((value - centre) * scale), clamped to the 32-bit range; the
// projection multiplies in 64 bits and clamps the pixel to +-30000, so neither a far origin nor a
// host's large scale factor (AutoScale off) can overflow.
//
// Deliberate deviations from the classic component, keeping what callers rely on:
//  - The automatic centre is the mean of all points, both ends of lines included (the classic sum
//    took only the first points but divided by the count of all).
//  - Clear also empties the rotated objects, so a repaint after it no longer shows the old picture;
//    FindNearestItemScreen passes over objects whose item is gone (RemoveItem, RemoveLastItem).
//  - GetItemParams and SetItemParams outside the list read a tkNone record and write nothing.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "Math.h"
#include "Qelta_Rot3D.h"
#include "Qelta_cube3d.h"
#include "Qelta_univconst.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {
namespace {

constexpr std::array<TColor, 16> kStandardColors{clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple,
                                                 clTeal,  clGray,   clSilver, clRed,  clLime,   clYellow,
                                                 clBlue,  clFuchsia, clAqua,  clWhite};

int32_t ModelCoord(double v) { return static_cast<int32_t>(plot_detail::RoundClamped(v, -int64_t{INT32_MAX}, INT32_MAX)); }

bool KindMatches(Tr3Item kind, Tr3Item wanted) {
  return wanted == Tr3Item::tkEverything || (wanted != Tr3Item::tkNone && kind == wanted);
}

double NoDistance() { return std::sqrt(static_cast<double>(uc_MaxDouble)); }

// Real-world point to model coordinates: Round((value - centre) * scale) per axis.
struct TModelMap {
  std::array<double, 3> Centre, Scale;
  std::array<int32_t, 3> operator()(double x, double y, double z) const {
    return {ModelCoord((x - Centre[0]) * Scale[0]), ModelCoord((y - Centre[1]) * Scale[1]),
            ModelCoord((z - Centre[2]) * Scale[2])};
  }
};

// The rotated objects of one MakeVisible, built aside and taken over whole.
struct TObjects {
  std::vector<int32_t> X, Y, Z, BackLink;
  std::vector<uint8_t> Prop, Mark, Width;
  void Reserve(size_t n) {
    for (auto* v : {&X, &Y, &Z, &BackLink}) v->reserve(n);
    for (auto* v : {&Prop, &Mark, &Width}) v->reserve(n);
  }
  void Add(const std::array<int32_t, 3>& p, int link, uint8_t prop, uint8_t mark, uint8_t width) {
    X.push_back(p[0]);
    Y.push_back(p[1]);
    Z.push_back(p[2]);
    BackLink.push_back(link);
    Prop.push_back(prop);
    Mark.push_back(mark);
    Width.push_back(width);
  }
};

// Slot of a colour in the table: searched in 0..last (the last match wins); a new colour takes the
// next slot while there is one, else it shares slot 31.
int ColorIndex(std::array<TColor, 32>& table, TColor color, int& last) {
  int found = -1;
  for (int k = 0; k <= last; ++k)
    if (table[k] == color) found = k;
  if (found >= 0) return found;
  if (last == 31) return 31;
  table[++last] = color;
  return last;
}

// The rotated objects of the items: one per item, two per line (its ends), with kind bits and colour slot.
TObjects BuildObjects(const std::vector<Tr3ChartItem>& items, const TModelMap& map, size_t points,
                      std::array<TColor, 32>& colors) {
  TObjects objects;
  objects.Reserve(points);
  int last = 15;
  for (size_t i = 0; i < items.size(); ++i) {
    const Tr3ChartItem& it = items[i];
    const uint8_t colour = static_cast<uint8_t>(ColorIndex(colors, it.color, last));
    const int link = static_cast<int>(i);
    const auto first = map(it.x, it.y, it.z);
    switch (it.ItemKind) {
      case Tr3Item::tkMarkAt: objects.Add(first, link, 0x60 | colour, it.marklw, 0); break;
      case Tr3Item::tkLineto: objects.Add(first, link, 0x40 | colour, 0, it.marklw); break;
      case Tr3Item::tkMoveto: objects.Add(first, link, 0x20 | colour, 0, 0); break;
      case Tr3Item::tkLine:
        objects.Add(first, link, 0x20 | colour, 0, 0);
        objects.Add(map(it.x2, it.y2, it.z2), link, 0x40 | colour, 0, it.marklw);
        break;
      default: objects.Add(first, link, colour, 0, 0); break;  // a query kind stored by the host: draws nothing
    }
  }
  return objects;
}

}  // namespace

// Count, sum and extent of every point of the list (both ends of lines).
TRot3D::TSurvey TRot3D::Survey(const std::vector<Tr3ChartItem>& items) {
  TSurvey s;
  s.Low.fill(std::numeric_limits<double>::infinity());
  s.High.fill(-std::numeric_limits<double>::infinity());
  const auto take = [&s](double x, double y, double z) {
    const double p[3] = {x, y, z};
    for (int a = 0; a < 3; ++a) {
      s.Sum[a] += p[a];
      if (p[a] < s.Low[a]) s.Low[a] = p[a];
      if (p[a] > s.High[a]) s.High[a] = p[a];
    }
    ++s.Points;
  };
  for (const Tr3ChartItem& item : items) {
    take(item.x, item.y, item.z);
    if (item.ItemKind == Tr3Item::tkLine) take(item.x2, item.y2, item.z2);
  }
  return s;
}

// [SECTION] construction

TRot3D::TRot3D(TComponent* AOwner) : TCustomControl(AOwner), GrafBmp(std::make_unique<TBitmap>()) {
  std::copy(kStandardColors.begin(), kStandardColors.end(), FItemColors.begin());
  SetBounds(Left(), Top(), 450, 300);
  FFontPixPerInch = GrafBmp->Canvas()->Font()->PixelsPerInch();
  SetCubeCorners();
  CalcRotMatrix();
}

TRot3D::~TRot3D() = default;

void TRot3D::Repaint3D() { Paint(); }

void TRot3D::SetCubeCorners() {
  for (int k = 0; k < 8; ++k)
    for (int axis = 0; axis < 3; ++axis) CubeCorners[k][axis] = FBBSize * plot_detail::CornerSign(k, axis);
}

// [SECTION] item list

void TRot3D::Append(Tr3ChartItem item) {
  item.color = FDataCol;
  item.tag = FDataTag;
  if (NumItems() >= FNumAllocated) FNumAllocated += FAllocSize;
  FDataContainer.push_back(item);
}

void TRot3D::MarkAt(double x, double y, double z, uint8_t Mark) {
  Append({.x = x, .y = y, .z = z, .ItemKind = Tr3Item::tkMarkAt, .marklw = Mark});
}

void TRot3D::Moveto(double x, double y, double z) { Append({.x = x, .y = y, .z = z, .ItemKind = Tr3Item::tkMoveto}); }

void TRot3D::Drawto(double x, double y, double z) {
  Append({.x = x, .y = y, .z = z, .ItemKind = Tr3Item::tkLineto, .marklw = static_cast<uint8_t>(FLineWidth)});
}

void TRot3D::Line(double x1, double y1, double z1, double x2, double y2, double z2) {
  Append({.x = x1, .y = y1, .z = z1, .ItemKind = Tr3Item::tkLine, .x2 = x2, .y2 = y2, .z2 = z2,
          .marklw = static_cast<uint8_t>(FLineWidth)});
}

Tr3ChartItem TRot3D::GetChartItem(int i) const {
  return i >= 0 && i < NumItems() ? FDataContainer[size_t(i)] : Tr3ChartItem{};
}

void TRot3D::SetChartitem(int i, const Tr3ChartItem& Item) {
  if (i >= 0 && i < NumItems()) FDataContainer[size_t(i)] = Item;
}

void TRot3D::SetItemParams(int i, const Tr3ChartItem& Item) {
  if (Item.ItemKind == Tr3Item::tkNone || Item.ItemKind == Tr3Item::tkEverything) return;
  SetChartitem(i, Item);
}

Tr3Item TRot3D::GetTypeOfFirstItem() const {
  return FDataContainer.empty() ? Tr3Item::tkNone : FDataContainer.front().ItemKind;
}

Tr3Item TRot3D::GetTypeOfLastItem() const {
  return FDataContainer.empty() ? Tr3Item::tkNone : FDataContainer.back().ItemKind;
}

void TRot3D::ReleaseStorage() {
  FDataContainer.clear();
  FDataContainer.shrink_to_fit();
  FNumAllocated = 0;
}

void TRot3D::RemoveItem(int i) {
  if (i < 0 || i >= NumItems()) return;
  if (NumItems() == 1) return ReleaseStorage();
  FDataContainer.erase(FDataContainer.begin() + i);
}

void TRot3D::RemoveLastItem() { RemoveItem(NumItems() - 1); }

void TRot3D::Clear() {
  ReleaseStorage();
  for (auto* v : {&FRotDataX, &FRotDataY, &FRotDataZ, &FBackLink}) std::vector<int32_t>().swap(*v);
  for (auto* v : {&FRotProp, &FRotMark, &FLineWid}) std::vector<uint8_t>().swap(*v);
  Present([this](TCanvas* c) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FChartCol);
    c->FillRect(Rect(0, 0, Width(), Height()));
  });
}

void TRot3D::SetAllocSize(int value) {
  if (value >= 1 && value <= 1000000) FAllocSize = value;
}

// [SECTION] MakeVisible

void TRot3D::MakeVisible() {
  const TSurvey survey = Survey(FDataContainer);
  if (survey.Points > 0 && FAutoOrigin)
    for (int a = 0; a < 3; ++a) FOrigin[a] = survey.Sum[a] / static_cast<double>(survey.Points);
  const TModelMap map{FOrigin, ScalesFor(survey)};
  FScaleFact = map.Scale;
  for (int a = 0; a < 3; ++a) {
    FMinCoord[a] = survey.Points > 0 ? ModelCoord((survey.Low[a] - map.Centre[a]) * map.Scale[a]) : 0;
    FMaxCoord[a] = survey.Points > 0 ? ModelCoord((survey.High[a] - map.Centre[a]) * map.Scale[a]) : 0;
  }
  TObjects objects;
  num_detail::GuardAlloc<EQeltaRot3DError>(*this, u"insufficient memory", [&] {
    objects = BuildObjects(FDataContainer, map, size_t(survey.Points), FItemColors);
  });
  FRotDataX = std::move(objects.X);
  FRotDataY = std::move(objects.Y);
  FRotDataZ = std::move(objects.Z);
  FBackLink = std::move(objects.BackLink);
  FRotProp = std::move(objects.Prop);
  FRotMark = std::move(objects.Mark);
  FLineWid = std::move(objects.Width);
  Repaint3D();
}

std::array<double, 3> TRot3D::ScalesFor(const TSurvey& survey) const {
  if (!FAutoScale) return FIsoMetric ? std::array<double, 3>{FScaleFact[0], FScaleFact[0], FScaleFact[0]} : FScaleFact;
  std::array<double, 3> scale;
  for (int a = 0; a < 3; ++a) {
    const double extent = survey.High[a] - survey.Low[a];
    scale[a] = extent > 1e-30 ? 1000 / extent : 1.0;
  }
  if (FIsoMetric) scale.fill(*std::min_element(scale.begin(), scale.end()));
  return scale;
}

TColor TRot3D::ItemColors(int Index) const { return Index >= 0 && Index < 32 ? FItemColors[Index] : clBlack; }

int TRot3D::MinCoord(int axis) const { return axis >= 1 && axis <= 3 ? FMinCoord[axis - 1] : 0; }
int TRot3D::MaxCoord(int axis) const { return axis >= 1 && axis <= 3 ? FMaxCoord[axis - 1] : 0; }

// [SECTION] finders

int TRot3D::FindNearestItemReal(double mx, double my, double mz, Tr3Item ItemID, double& Dist) const {
  int best = -1;
  Dist = NoDistance();
  for (size_t i = 0; i < FDataContainer.size(); ++i) {
    const Tr3ChartItem& it = FDataContainer[i];
    if (!KindMatches(it.ItemKind, ItemID)) continue;
    const double d = std::sqrt((it.x - mx) * (it.x - mx) + (it.y - my) * (it.y - my) + (it.z - mz) * (it.z - mz));
    if (best < 0 || d < Dist) {
      best = static_cast<int>(i);
      Dist = d;
    }
  }
  return best;
}

int TRot3D::FindNearestItemScreen(int mx, int my, Tr3Item ItemID, double& Dist) const {
  int best = -1;
  double nearest = 0;  // squared
  for (size_t i = 0; i < FRotDataX.size(); ++i) {
    const int link = FBackLink[i];
    if (link < 0 || link >= NumItems() || !KindMatches(FDataContainer[size_t(link)].ItemKind, ItemID)) continue;
    const TModelPoint p = ProjectRaw(FRotDataX[i], FRotDataY[i], FRotDataZ[i]);
    const double dx = double(p.X) - mx, dy = double(p.Y) - my, d = dx * dx + dy * dy;
    if (best < 0 || d < nearest) {
      best = link;
      nearest = d;
    }
  }
  Dist = best < 0 ? NoDistance() : std::sqrt(nearest);
  return best;
}

// [SECTION] rotation matrix

void TRot3D::CalcRotMatrix() {
  if (FRotMat3D) {
    CalcRotMatrix_3Ax();
  } else {
    CalcRotMatrix_2Ax();
  }
}

// m holds the columns A, B and 3 of each row; A goes to column 1 for left-handed axes, else 2.
void TRot3D::SetMatrix(const std::array<std::array<double, 3>, 3>& m) {
  const int a = FAxDir == adLeftHanded ? 0 : 1, b = 1 - a;
  for (int row = 0; row < 3; ++row) {
    FRotMat[row][a] = static_cast<int>(Round(1000 * m[row][0]));
    FRotMat[row][b] = static_cast<int>(Round(1000 * m[row][1]));
    FRotMat[row][2] = static_cast<int>(Round(1000 * m[row][2]));
  }
}

void TRot3D::CalcRotMatrix_2Ax() {
  const double a = FViewAngle[0] * std::numbers::pi / 180, c = FViewAngle[2] * std::numbers::pi / 180;
  SetMatrix({{{std::cos(c), -std::sin(c), 0.0},
              {std::cos(a) * std::sin(c), std::cos(c) * std::cos(a), -std::sin(a)},
              {std::sin(a) * std::sin(c), std::sin(a) * std::cos(c), std::cos(a)}}});
}

void TRot3D::CalcRotMatrix_3Ax() {
  const double a = FViewAngle[0] * std::numbers::pi / 180, b = FViewAngle[1] * std::numbers::pi / 180,
               c = FViewAngle[2] * std::numbers::pi / 180;
  const double sa = std::sin(a), ca = std::cos(a), sb = std::sin(b), cb = std::cos(b), sc = std::sin(c),
               cc = std::cos(c);
  SetMatrix({{{cb * cc, sa * sb * cc - ca * sc, ca * sb * cc + sa * sc},
              {cb * sc, sa * sb * sc + ca * cc, ca * sb * sc - sa * cc},
              {-sb, sa * cb, ca * cb}}});
}

double TRot3D::GetRotMat(int i, int j) const {
  return i >= 1 && i <= 3 && j >= 1 && j <= 3 ? FRotMat[i - 1][j - 1] / 1000.0 : 0.0;
}

// [SECTION] view

void TRot3D::SetAngle(int Index, double value) {
  if (value == FViewAngle[Index]) return;
  FAngleAnchor[Index] = FViewAngle[Index] = value;
  CalcRotMatrix();
  Repaint3D();
}

void TRot3D::SetViewAngleX(double value) { SetAngle(0, value); }
void TRot3D::SetViewAngleY(double value) { SetAngle(1, value); }
void TRot3D::SetViewAngleZ(double value) { SetAngle(2, value); }

void TRot3D::SetViewAngles(double X, double Y, double Z) {
  if (X == FViewAngle[0] && Y == FViewAngle[1] && Z == FViewAngle[2]) return;
  FAngleAnchor = FViewAngle = {X, Y, Z};
  CalcRotMatrix();
  Repaint3D();
}

void TRot3D::SetMouseRot3Axes(bool value) {
  if (value == FRotMat3D) return;
  FRotMat3D = value;
  CalcRotMatrix();
  Repaint3D();
}

void TRot3D::SetAxDir(TAxDir value) {
  if (value == FAxDir) return;
  FAxDir = value;
  CalcRotMatrix();
  Repaint3D();
}

void TRot3D::SetMagnification(double value) {
  if (std::isnan(value)) return;
  FMagnify = static_cast<int>(Round(4000 / std::clamp(value, 0.1, 5.0)));
  Repaint3D();
}

void TRot3D::SetCentX(int value) {
  value = std::clamp(value, 0, Width());
  if (value == FCentX) return;
  FCentX = value;
  Repaint3D();
}

void TRot3D::SetCentY(int value) {
  value = std::clamp(value, 0, Height());
  if (value == FCentY) return;
  FCentY = value;
  Repaint3D();
}

void TRot3D::SetBoundBoxSize(int value) {
  if (value == 2 * FBBSize) return;
  FBBSize = std::clamp(value, 0, 4000) / 2;
  SetCubeCorners();
  Repaint3D();
}

void TRot3D::SetAxSize(int value) {
  value = std::clamp(value, 0, 4000);
  if (value == FAxSize) return;
  FAxSize = value;
  Repaint3D();
}

void TRot3D::SetStored(double& Field, double value) {
  if (value == Field) return;
  Field = value;
  Repaint3D();
}

void TRot3D::SetOriginX(double value) { SetStored(FOrigin[0], value); }
void TRot3D::SetOriginY(double value) { SetStored(FOrigin[1], value); }
void TRot3D::SetOriginZ(double value) { SetStored(FOrigin[2], value); }

void TRot3D::SetOrigins(double X, double Y, double Z) {
  if (X == FOrigin[0] && Y == FOrigin[1] && Z == FOrigin[2]) return;
  FOrigin = {X, Y, Z};
  Repaint3D();
}

void TRot3D::SetScaleFactX(double value) { SetStored(FScaleFact[0], value); }
void TRot3D::SetScaleFactY(double value) { SetStored(FScaleFact[1], value); }
void TRot3D::SetScaleFactZ(double value) { SetStored(FScaleFact[2], value); }

void TRot3D::SetScaleFactors(double X, double Y, double Z) {
  if (X == FScaleFact[0] && Y == FScaleFact[1] && Z == FScaleFact[2]) return;
  FScaleFact = {X, Y, Z};
  Repaint3D();
}

void TRot3D::SetRemaking(bool& Field, bool value) {
  if (value == Field) return;
  Field = value;
  MakeVisible();
}

void TRot3D::SetIsoMetric(bool value) { SetRemaking(FIsoMetric, value); }
void TRot3D::SetAutoOrigin(bool value) { SetRemaking(FAutoOrigin, value); }
void TRot3D::SetAutoScale(bool value) { SetRemaking(FAutoScale, value); }

// [SECTION] look

void TRot3D::SetRepainting(bool& Field, bool value) {
  if (value == Field) return;
  Field = value;
  Repaint3D();
}

void TRot3D::SetRepainting(TColor& Field, TColor value) {
  Field = value;
  Repaint3D();
}

void TRot3D::SetShowAxes(bool value) { SetRepainting(FShowAxes, value); }

void TRot3D::SetBoundBoxStyle(TBoundingBox value) {
  if (value == FBoundBox) return;
  FBoundBox = value;
  Repaint3D();
}

void TRot3D::SetFrameStyle(TFrameStyle value) {
  if (value == FFrameStyle) return;
  FFrameStyle = value;
  Repaint3D();
}

void TRot3D::SetAxNameX(const String& value) {
  if (value == FAxName[0]) return;
  FAxName[0] = value;
  Repaint3D();
}

void TRot3D::SetAxNameY(const String& value) {
  if (value == FAxName[1]) return;
  FAxName[1] = value;
  Repaint3D();
}

void TRot3D::SetAxNameZ(const String& value) {
  if (value == FAxName[2]) return;
  FAxName[2] = value;
  Repaint3D();
}

void TRot3D::SetColorFrame(TColor value) { SetRepainting(FFrameCol, value); }
void TRot3D::SetColorChart(TColor value) { SetRepainting(FChartCol, value); }
void TRot3D::SetColorCubeFrame(TColor value) { SetRepainting(FColorCubeFrame, value); }
void TRot3D::SetColorCubeHidLin(TColor value) { SetRepainting(FColorCubeHidLin, value); }
void TRot3D::SetColorCubeFaceLow(TColor value) { SetRepainting(FColorCubeFaceLo, value); }
void TRot3D::SetColorCubeFaceHigh(TColor value) { SetRepainting(FColorCubeFaceHi, value); }

void TRot3D::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  FColGrayLine = value == csSystem ? clBtnShadow : TColor{0x808080};
  FColWhiteLine = value == csSystem ? clBtnHighlight : clWhite;
  Repaint3D();
}

void TRot3D::SetTextFontStyle(TFontStyles value) {
  FTextFontStyle = value;
  Repaint3D();
}

void TRot3D::SetTextMarkSize(uint8_t value) {
  FTextMarkSize = value;
  Repaint3D();
}

void TRot3D::SetLineWidth(int value) { FLineWidth = std::clamp(value, 1, 32); }

// [SECTION] output

std::unique_ptr<TBitmap> TRot3D::RenderPicture(bool IncludeFrame, bool BlackAndWhite) {
  auto picture = std::make_unique<TBitmap>(Width(), Height());
  FBlackAndWhite = BlackAndWhite;
  try {
    RenderInto(picture->Canvas(), IncludeFrame);
  } catch (...) {
    FBlackAndWhite = false;
    throw;
  }
  FBlackAndWhite = false;
  return picture;
}

void TRot3D::CopyToBMP(const String& FileName, bool IncludeFrame) {
  plot_detail::SavePictureAsBmp(*RenderPicture(IncludeFrame, false), FileName);
}

void TRot3D::CopyToWMF(const String& /*FileName*/, bool /*IncludeFrame*/) {
  throw EQeltaRot3DError(plot_detail::MetafileRefusal(*this));
}

void TRot3D::CopyToClipboardWMF(bool /*IncludeFrame*/) { throw EQeltaRot3DError(plot_detail::MetafileRefusal(*this)); }

void TRot3D::CopyToClipboard(bool IncludeFrame) { plot_detail::CopyPictureToClipboard(*RenderPicture(IncludeFrame, false)); }

void TRot3D::PrintIt(double Scale, bool BlackAndWhite, bool IncludeFrame) {
  plot_detail::PrintPicture(*RenderPicture(IncludeFrame, BlackAndWhite), Name(), Scale);
}

void TRot3D::CopyToOpenPrinter(int& X, int& Y, double Scale, bool BlackAndWhite, bool IncludeFrame) {
  plot_detail::CopyPictureToOpenPrinter(*RenderPicture(IncludeFrame, BlackAndWhite), X, Y, Scale);
}

}  // namespace qelta
