// Qelta_geomap: the map control TGeoMap. The unit's sources by topic:
//   Qelta_geomap.cpp          construction, properties, messages, registration
//   Qelta_geomap_image.cpp    loading, taking, saving, renaming and resampling the map image
//   Qelta_geomap_view.cpp     view transform, panning, the zoom ring, Paint and the picture's output
//   Qelta_geomap_fits.cpp     the calibration fits, their quality, corners and resolution, clearing
//   Qelta_geomap_convert.cpp  pixel <-> geography conversion by model
//   Qelta_geomap_files.cpp    the calibration file: writers, readers, ParseCalibData; what the
//                             readers and writers of the map's files share
//   Qelta_geomap_calpoints.cpp  calibration points with undo, the calibration file's name, the
//                             generated map
//   Qelta_geomap_landmarks.cpp  landmarks and the gmlandmarks block
//   Qelta_geomap_symbols.cpp  the symbol repository TSymbolRepository and its lmsymbols file
//
// Deliberate deviations from the classic control, each a mended fault:
//  - A refused image (over 3,000,000 pixels) is loaded into a temporary, so the previous image stays
//    with its name and extents; ResizeMap refuses such a result before changing anything, and a
//    factor not above 0 or not finite (or a result without pixels) changes nothing.
//  - An image file of another extension than .jpg/.jpeg/.bmp counts as missing (the map becomes
//    empty) instead of keeping the old bitmap under the new name.
//  - RenameMapImg looks at the rename and answers false, keeping MapImgFile, when it fails.
//  - ResizeMap sets the new extents before the refit, so the corners describe the new image.
//  - cmUTM projects every position about the central meridian of the map's own zone and hemisphere
//    (the affine was fitted there); a position across the zone edge or the equator no longer lands
//    hundreds of kilometres off.
//  - The conversions of cmParabolicIp use only lines of 3 or more points (a line being entered had a
//    parabola of zeros or of a former line).
//  - CalibQuality converts cmUTM points from their northing and easting (CalcPixelCoordsUTM); points
//    without a pixel are left out.
//  - The conic search counts a trial whose line fit is impossible as no improvement, and nothing
//    escapes from a fit.

#include "Qelta_geomap.h"

#include <algorithm>
#include <cmath>

#include "Qelta_geomap_internal.h"
#include "Qelta_matrix.h"

namespace qelta {

// [SECTION] construction

TGeoMap::TGeoMap(TComponent* AOwner)
    : TCustomControl(AOwner),
      AuxBmp(std::make_unique<TBitmap>()),
      FImgCache(std::make_unique<TBitmap>()),
      GrafBmp(std::make_unique<TBitmap>()),
      FGratMat(std::make_unique<TMatrix>(nullptr)) {
  SetBounds(Left(), Top(), 500, 400);
  FLMClassVisible.fill(true);
  DropLandMarks();
  FCacheAA = FAntiAlias;
  FGratMat->Resize(5, 1);
  FGratUsable.assign(1, false);
  ClearZoomHistory();
}

TGeoMap::~TGeoMap() = default;

String TGeoMap::ComponentMessage(const String& Text) const { return u"Component \"" + Name() + u"\": " + Text; }

// [SECTION] properties

void TGeoMap::SetAllowPan(bool value) { FMouseAction = value ? maPan : maNone; }

void TGeoMap::SetAntiAlias(bool value) {
  FAntiAlias = value;
  Paint();
}

void TGeoMap::SetCalibModel(TCalibModel value) {
  FCalibModel = value;
  RecalcCalibration();
}

void TGeoMap::SetCacheMagLimit(double value) {
  constexpr double limit = 2.0 / 3.0;
  FCacheMagLimit = value >= 0 ? std::min(value, limit) : 0.0;
  if (FMagnify < limit) Paint();
}

void TGeoMap::SetColorBakGnd(TColor value) {
  FColorBakGnd = value;
  Paint();
}

void TGeoMap::SetColorGratLine(TColor value) {
  FColorGratLine = value;
  Paint();
}

void TGeoMap::SetColorGratPoints(TColor value) {
  FColorGratPoints = value;
  Paint();
}

void TGeoMap::SetColorFrame(TColor value) {
  FFrameColor = value;
  Paint();
}

void TGeoMap::SetConfinePan(bool value) {
  FConfinePan = value;
  if (value) PanMapToFillWindow();
}

void TGeoMap::SetEmptyMsg(const String& value) {
  FEmptyMsg = value;
  Paint();
}

void TGeoMap::SetFrameStyle(TFrameStyle value) {
  if (value == FFrameStyle) return;
  FFrameStyle = value;
  Paint();
}

void TGeoMap::SetGratLineDist(double value) {
  FGratLineDist = value >= 0 ? std::min(value, 60.0) : 0.0;
  Paint();
}

void TGeoMap::SetUTMGridDist(int value) {
  FUTMGridDist = std::clamp(value, 0, 10000000);
  Paint();
}

void TGeoMap::SetUTMZone(int value) {
  if (value >= 1 && value <= 60) FCalibData.UTMZone = value;
}

void TGeoMap::SetUTMHemisphere(THemisphere value) { FCalibData.UTMSouth = value == hemiSouth; }

void TGeoMap::SetShowGrat(TShowGrat value) {
  if (value == FShowGrat) return;
  FShowGrat = value;
  Paint();
}

void TGeoMap::SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent) {
  FHighLMColFG = ColorFG;
  FHighLMColBG = ColorBG;
  FHighLMTrans = Transparent;
  Paint();
}

void TGeoMap::SetRandSampleLimit(int value) {
  if (value <= 1000 || value == FLMRandSampleLimit) return;
  FLMRandSampleLimit = value;
  Paint();
}

void TGeoMap::SetSuppressPaint(bool value) {
  if (value == FSuppressPaint) return;
  FSuppressPaint = value;
  if (!value) Paint();
}

void TGeoMap::DoZoomPanEvent() {
  if (OnZoomPan) OnZoomPan(this);
}

// [SECTION] positions

bool PositionInMap(double Latitude, double Longitude, const TCornerArray& C) {
  const auto s = [&](int i, int j) {
    return (C[i].Latit - C[j].Latit) * (C[j].Longit - Longitude) + (C[i].Longit - C[j].Longit) * (Latitude - C[j].Latit);
  };
  const double s30 = s(3, 0);
  return s(0, 1) * s30 > 0 && s(1, 2) * s30 > 0 && s(2, 3) * s30 > 0;
}

bool TGeoMap::IsPositionWithinMap(double Latitude, double Longitude) const {
  return PositionInMap(Latitude, Longitude, FCalibData.Corners);
}

double TGeoMap::GetLastMClickLatitude() const {
  bool valid = false;
  const double v = CalcLatitude(FLastMClickPosX, FLastMClickPosY, valid);
  return valid ? v : 0.0;
}

double TGeoMap::GetLastMClickLongitude() const {
  bool valid = false;
  const double v = CalcLongitude(FLastMClickPosX, FLastMClickPosY, valid);
  return valid ? v : 0.0;
}

// [SECTION] registration

void Qelta_geomap::Register() {
  RegisterComponents(u"Qelta", {ComponentClassOf<TGeoMap>(), ComponentClassOf<TSymbolRepository>()});
}

}  // namespace qelta
