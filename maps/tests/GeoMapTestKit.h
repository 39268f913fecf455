#pragma once
// What the map control's tests share: a map that counts its repaints and shows its pictures and
// derived parameters, and small images of known colours.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "Graphics.h"
#include "Qelta_geomap.h"

namespace qelta::test {

class TProbeMap : public TGeoMap {
 public:
  explicit TProbeMap(TComponent* owner = nullptr) : TGeoMap(owner) { SetName(u"Map"); }
  int paints = 0;
  void Paint() override {
    ++paints;
    TGeoMap::Paint();
  }
  TColor At(int x, int y) const { return AuxBmp->Canvas()->Pixels(x, y); }
  const TBitmap& Picture() const { return *AuxBmp; }
  const TBitmap& Cache() const { return *FImgCache; }
  double CacheMag() const { return FCacheMag; }
  TMatrix& GratMat() const { return *FGratMat; }
  const std::array<double, 6>& EquRectSPPL() const { return FEquRectSPPL; }
  const std::array<double, 6>& EquRectPLSP() const { return FEquRectPLSP; }
  const std::array<double, 12>& CalParsPLSP() const { return FCalParsPLSP; }
  const std::array<double, 12>& CalParsSPPL() const { return FCalParsSPPL; }
  std::array<double, 4>& MillerPars() { return FMillercylPar; }
  std::array<double, 6>& ConicPars() { return FConicPars; }
  void SetLastClick(int x, int y) {
    FLastMClickPosX = x;
    FLastMClickPosY = y;
  }
  size_t LandMarkSlots() const { return FLandMarks.size(); }
  using TGeoMap::ConstructInternalMapImg;
};

/// Compares text with the golden file QELTA_GOLDEN_DIR/<name> byte for byte; writes the file instead
/// when QELTA_UPDATE_GOLDEN is set (`make golden`).
inline ::testing::AssertionResult MatchesGoldenText(const std::string& text, const std::string& name) {
  const std::string file = std::string(QELTA_GOLDEN_DIR) + "/" + name;
  const char* update = std::getenv("QELTA_UPDATE_GOLDEN");
  if (update != nullptr && *update != '\0') {
    std::ofstream(file, std::ios::binary) << text;
    return ::testing::AssertionSuccess();
  }
  std::ifstream in(file, std::ios::binary);
  const std::string golden((std::istreambuf_iterator<char>(in)), {});
  if (golden == text) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << name << " differs from its golden file:\n" << text;
}

/// An equirectangular calibration: (50, 10) at (0, 0), one degree per Size pixels to the east and south.
inline void CalibrateEquiRect(TGeoMap& map, int Size = 1000) {
  TCalibData cal = map.CalibData();
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {50, 10, 0, 0};
  cal.CalQuads[1] = {50, 11, Size, 0};
  cal.CalQuads[2] = {49, 10, 0, Size};
  map.SetCalibData(cal);
  map.SetCalibModel(cmEquiRect);
}

/// A bitmap of w x h in four quadrants: red top left, lime top right, blue bottom left, yellow
/// bottom right.
inline std::unique_ptr<TBitmap> Quadrants(int w, int h) {
  auto b = std::make_unique<TBitmap>(w, h);
  TCanvas* c = b->Canvas();
  const struct {
    TColor color;
    TRect r;
  } parts[] = {{clRed, Rect(0, 0, w / 2, h / 2)},
               {clLime, Rect(w / 2, 0, w, h / 2)},
               {clBlue, Rect(0, h / 2, w / 2, h)},
               {clYellow, Rect(w / 2, h / 2, w, h)}};
  for (const auto& p : parts) {
    c->Brush()->SetColor(p.color);
    c->FillRect(p.r);
  }
  return b;
}

}  // namespace qelta::test
