// The map control TGeoMap beside plain libraries doing the same job:
//   BM_LoadJpeg          SetMapImgName of a 2000 x 1500 JPEG (painting suppressed) beside the same file
//                        decoded by libjpeg-turbo alone into a pixel buffer.
//   BM_PanFrame/m        one pan step of a 1000 x 800 control over that image at magnification 0.5
//                        (copied from the cache) and 1.7 (stretched), Paint included, beside a plain
//                        BlitPixels of the same 1000 x 800 pixels 1:1. Goal: under 50 ms a frame.
//   BM_Recalc/model      RecalcCalibration with 200 calibration points (painting suppressed) beside
//                        Eigen's SVD least squares of the same design matrices (polynomial and affine
//                        models), two TCurveFit line fits (Miller) and the apex search refilling a
//                        TCurveFit for every trial (conic). Goal: under 10 ms.
//   BM_PixelCoords/model 10^6 CalcPixelCoords beside the model's formula written out inline (UTM:
//                        GeographicLib's transverse Mercator and the same affine).
// Times are Qelta's; the counters hold the anchor's seconds and the ratio Qelta / anchor.

#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <GeographicLib/TransverseMercator.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Qelta_geobasics.h"
#include "Qelta_geomap.h"
#include "Qelta_math2.h"
#include "SideBySide.h"

using namespace qelta;
using qelta::bench::RunSideBySide;
using qelta::bench::Seconds;

namespace {

constexpr double Pi = std::numbers::pi;

/// The map with its parameters in view.
class TBenchMap : public TGeoMap {
 public:
  TBenchMap() : TGeoMap(nullptr) {}
  using TGeoMap::ConstructInternalMapImg;
  const std::array<double, 12>& Biquad() const { return FCalParsSPPL; }
  const std::array<double, 6>& Affine() const { return FEquRectSPPL; }
  const std::array<double, 4>& Miller() const { return FMillercylPar; }
  const std::array<double, 6>& Conic() const { return FConicPars; }
  TBitmap& Picture() { return *AuxBmp; }
};

/// A 2000 x 1500 picture with gradients and stripes, so the JPEG has something to code.
std::unique_ptr<TBitmap> MapPicture() {
  auto b = std::make_unique<TBitmap>(2000, 1500);
  TCanvas* c = b->Canvas();
  for (int y = 0; y < 1500; y += 10) {
    c->Brush()->SetColor(RGB(y % 256, (y / 6) % 256, 128));
    c->FillRect(Rect(0, y, 2000, y + 10));
  }
  c->Pen()->SetColor(clBlack);
  for (int x = 0; x < 2000; x += 37) {
    c->MoveTo(x, 0);
    c->LineTo(2000 - x, 1500);
  }
  return b;
}

std::string TempName(const char* name) {
  const char* base = std::getenv("TMPDIR");
  return std::string(base && *base ? base : "/tmp") + "/" + name;
}

/// libjpeg-turbo alone: the file into 0xAARRGGBB pixels.
std::vector<uint32_t> DecodeJpeg(const std::string& file) {
  FILE* f = std::fopen(file.c_str(), "rb");
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  std::vector<uint32_t> pixels(size_t(cinfo.output_width) * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&pixels[size_t(cinfo.output_scanline) * cinfo.output_width]);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return pixels;
}

void BM_LoadJpeg(benchmark::State& state) {
  const std::string file = TempName("qelta-bench-geomap.jpg");
  MapPicture()->SaveToFile(Utf8ToString(file));
  TBenchMap map;
  map.SetSuppressPaint(true);
  RunSideBySide(
      state, [&] { map.SetMapImgName(Utf8ToString(file)); },
      [&] { benchmark::DoNotOptimize(DecodeJpeg(file).data()); });
  std::remove(file.c_str());
}
BENCHMARK(BM_LoadJpeg)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_PanFrame(benchmark::State& state) {
  const double mag = state.range(0) / 10.0;
  TBenchMap map;
  map.SetBounds(0, 0, 1000, 800);
  map.SetMapBitMap(MapPicture().get());
  map.SetMagnification(mag);
  TBitmap source(2000, 1500), target(1000, 800);
  int step = 0;
  RunSideBySide(
      state,
      [&] {
        step = (step + 7) % 200;
        map.SetTopLeft(TPoint{step, step / 2});  // stores and paints
      },
      [&] {
        target.Canvas()->BlitPixels(Rect(0, 0, 1000, 800), source.Canvas()->Surface(),
                                    Rect(step, step / 2, step + 1000, step / 2 + 800));
      });
}
BENCHMARK(BM_PanFrame)->Arg(5)->Arg(17)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

/// 200 calibration points of an equirectangular 1000 x 1000 map (50..49 N, 10..11 E), slightly
/// disturbed so that the fits have residuals.
TCalibData Points200(bool utm) {
  TCalibData cal;
  cal.NumCalQuads = MaxCalQuads;
  cal.UTMZone = 32;
  for (int k = 0; k < MaxCalQuads; ++k) {
    const int x = (k * 97) % 1000, y = (k * 61) % 1000;
    double lat = 50 - y / 1000.0 + 1e-4 * std::sin(k), lon = 10 + x / 1000.0 + 1e-4 * std::cos(k);
    if (utm) {
      int zone = 0;
      double e = 0, n = 0;
      LatLongToUTM(lat, lon, gelWGS84, zone, e, n);
      lat = n;
      lon = e;
    }
    cal.CalQuads[k] = {lat, lon, x, y};
  }
  return cal;
}

/// Least squares of the columns' design rows by Eigen's SVD, both directions and coordinates.
void EigenPolynomial(const TCalibData& cal, int cols) {
  Eigen::MatrixXd pix(MaxCalQuads, cols), geo(MaxCalQuads, cols);
  Eigen::VectorXd lat(MaxCalQuads), lon(MaxCalQuads), x(MaxCalQuads), y(MaxCalQuads);
  for (int k = 0; k < MaxCalQuads; ++k) {
    const TCalQuad& q = cal.CalQuads[k];
    const double a[6] = {1, double(q.MapX), double(q.MapY), double(q.MapX) * q.MapX, double(q.MapX) * q.MapY,
                         double(q.MapY) * q.MapY};
    const double b[6] = {1, q.Latitude, q.Longitude, q.Latitude * q.Latitude, q.Latitude * q.Longitude,
                         q.Longitude * q.Longitude};
    for (int c = 0; c < cols; ++c) {
      pix(k, c) = a[c];
      geo(k, c) = b[c];
    }
    lat(k) = q.Latitude;
    lon(k) = q.Longitude;
    x(k) = q.MapX;
    y(k) = q.MapY;
  }
  const auto solve = [](const Eigen::MatrixXd& m, const Eigen::VectorXd& rhs) {
    Eigen::JacobiSVD<Eigen::MatrixXd> svd(m, Eigen::ComputeThinU | Eigen::ComputeThinV);
    benchmark::DoNotOptimize(svd.solve(rhs).eval());
  };
  solve(pix, lat);
  solve(pix, lon);
  solve(geo, x);
  solve(geo, y);
}

/// The conic apex search as a fitter refilled for every trial.
void RefillingConicSearch(const TCalibData& cal) {
  TCurveFit fit(nullptr);
  double cx0 = 500, cy0 = 500, best = 1e10, bx = cx0, by = cy0;
  for (int step = 1000000; step > 0; step /= 2) {
    for (int i = -2; i <= 2; ++i)
      for (int j = -2; j <= 2; ++j) {
        const double cx = cx0 + i * step, cy = cy0 + j * step;
        double k = 0, d = 0, q = 0, k2 = 0, d2 = 0;
        fit.Init();
        for (int p = 0; p < MaxCalQuads; ++p)
          fit.EnterStatValue(std::hypot(cal.CalQuads[p].MapX - cx, cal.CalQuads[p].MapY - cy), cal.CalQuads[p].Latitude);
        fit.CalcLinFit(k, d, q);
        fit.Init();
        for (int p = 0; p < MaxCalQuads; ++p)
          if (cal.CalQuads[p].MapY != cy)
            fit.EnterStatValue(std::atan((cal.CalQuads[p].MapX - cx) / (cal.CalQuads[p].MapY - cy)),
                               cal.CalQuads[p].Longitude);
        fit.CalcLinFit(k2, d2, q);
        double e = 0;
        for (int p = 0; p < MaxCalQuads; ++p) {
          const double r = std::hypot(cal.CalQuads[p].MapX - cx, cal.CalQuads[p].MapY - cy);
          e += std::pow(cal.CalQuads[p].Latitude - k * r - d, 2);
        }
        if (e < best) {
          best = e;
          bx = cx;
          by = cy;
        }
      }
    cx0 = std::nearbyint(bx);
    cy0 = std::nearbyint(by);
  }
  benchmark::DoNotOptimize(cx0 + cy0);
}

void MillerLines(const TCalibData& cal) {
  TCurveFit fx(nullptr), fy(nullptr);
  for (int k = 0; k < MaxCalQuads; ++k) {
    const TCalQuad& q = cal.CalQuads[k];
    fx.EnterStatValue(q.Longitude * Pi / 180, q.MapX);
    fy.EnterStatValue(std::log(std::tan(0.4 * q.Latitude * Pi / 180 + Pi / 4)), q.MapY);
  }
  double k = 0, d = 0, q = 0;
  fx.CalcLinFit(k, d, q);
  fy.CalcLinFit(k, d, q);
  benchmark::DoNotOptimize(k + d);
}

const TCalibModel Models[] = {cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect, cmUTM};
const char* const ModelNames[] = {"biquadratic", "conic", "miller", "equirect", "utm"};

void PrepareMap(TBenchMap& map, TCalibModel model) {
  map.SetSuppressPaint(true);
  map.SetMapBitMap(std::make_unique<TBitmap>(1000, 1000).get());
  map.SetCalibData(Points200(model == cmUTM));
  map.SetCalibModel(model);
}

void BM_Recalc(benchmark::State& state) {
  const TCalibModel model = Models[state.range(0)];
  state.SetLabel(ModelNames[state.range(0)]);
  TBenchMap map;
  PrepareMap(map, model);
  const TCalibData cal = map.CalibData();
  RunSideBySide(
      state, [&] { map.RecalcCalibration(); },
      [&] {
        if (model == cmConicConformal) RefillingConicSearch(cal);
        else if (model == cmMillerCylindrical) MillerLines(cal);
        else EigenPolynomial(cal, model == cmBiquadraticPn ? 6 : 3);
      });
}
BENCHMARK(BM_Recalc)->DenseRange(0, 4)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_PixelCoords(benchmark::State& state) {
  const TCalibModel model = Models[state.range(0)];
  state.SetLabel(ModelNames[state.range(0)]);
  TBenchMap map;
  PrepareMap(map, model);
  const GeographicLib::TransverseMercator& utm = GeographicLib::TransverseMercator::UTM();
  const double cm = 9;  // zone 32
  constexpr int n = 1000000;
  const auto position = [](int i, double& lat, double& lon) {
    lat = 49 + (i % 1000) / 1000.0;
    lon = 10 + (i / 1000) / 1000.0;
  };
  long sum = 0;
  RunSideBySide(
      state,
      [&] {
        for (int i = 0; i < n; ++i) {
          double lat = 0, lon = 0;
          position(i, lat, lon);
          int x = 0, y = 0;
          map.CalcPixelCoords(lat, lon, x, y);
          sum += x + y;
        }
      },
      [&] {
        for (int i = 0; i < n; ++i) {
          double lat = 0, lon = 0, px = 0, py = 0;
          position(i, lat, lon);
          switch (model) {
            case cmBiquadraticPn: {
              const auto& s = map.Biquad();
              px = s[0] + s[1] * lat + s[2] * lon + s[3] * lat * lat + s[4] * lat * lon + s[5] * lon * lon;
              py = s[6] + s[7] * lat + s[8] * lon + s[9] * lat * lat + s[10] * lat * lon + s[11] * lon * lon;
              break;
            }
            case cmConicConformal: {
              const auto& c = map.Conic();
              const double t = std::tan((lon - c[5]) / c[4]), s = std::sqrt(t * t + 1);
              py = std::nearbyint(c[1] + (lat - c[3]) / c[2] / s);
              px = t * (py - c[1]) + c[0];
              break;
            }
            case cmMillerCylindrical: {
              const auto& m = map.Miller();
              px = lon * Pi / 180 * m[2] + m[3];
              py = std::log(std::tan(0.4 * lat * Pi / 180 + Pi / 4)) * m[0] + m[1];
              break;
            }
            case cmEquiRect: {
              const auto& r = map.Affine();
              px = r[0] + r[1] * lat + r[2] * lon;
              py = r[3] + r[4] * lat + r[5] * lon;
              break;
            }
            default: {
              double e = 0, nn = 0;
              utm.Forward(cm, lat, lon, e, nn);
              const auto& r = map.Affine();
              px = r[0] + r[1] * nn + r[2] * (e + 500000);
              py = r[3] + r[4] * nn + r[5] * (e + 500000);
            }
          }
          sum += long(std::nearbyint(px)) + long(std::nearbyint(py));
        }
      });
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_PixelCoords)->DenseRange(0, 4)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
