// Geodesy: UTM forward and inverse on 10^6 WGS 84 points beside GeographicLib's UTMUPS, geocentric
// coordinates both ways beside GeographicLib's Geocentric, and the Helmert datum shift beside a PROJ
// pipeline run by proj_trans_generic, all on the same points. Each benchmark times both sides per
// iteration; the reported time is Qelta's, the counters give the anchor's time, the ratio
// Qelta / anchor and (where the anchor computes the same quantity) the largest difference in mm.

#include <benchmark/benchmark.h>
#include <proj.h>

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/UTMUPS.hpp>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "ProjHelmertPipeline.h"
#include "Qelta_geobasics.h"
#include "SideBySide.h"

namespace {

using qelta::bench::Seconds;
constexpr size_t PointCount = 1000000;

// The side-by-side counters plus the largest difference between the two results in mm.
struct TSideBySide : qelta::bench::TSideBySide {
  double worstMm = 0;
  void Report(benchmark::State& state) {
    qelta::bench::TSideBySide::Report(state);
    state.counters["max_diff_mm"] = worstMm;
  }
};

struct TPoints {
  std::vector<double> lat, lon, h;
};

// Uniform over the UTM grid (80 S to 84 N), heights -100..3000 m.
const TPoints& Points() {
  static const TPoints points = [] {
    TPoints p;
    std::mt19937_64 gen(35);
    std::uniform_real_distribution<double> lat(-80, 84), lon(-180, 180), h(-100, 3000);
    for (size_t i = 0; i < PointCount; ++i) {
      p.lat.push_back(lat(gen));
      p.lon.push_back(lon(gen));
      p.h.push_back(h(gen));
    }
    return p;
  }();
  return points;
}

double GroundMm(double lat, double dLat, double dLon) {
  return 1000 * 111320 * std::hypot(dLat, std::remainder(dLon, 360.0) * std::cos(lat * std::numbers::pi / 180));
}

void BM_LatLongToUTM(benchmark::State& state) {
  const TPoints& p = Points();
  std::vector<int> zone(PointCount), rzone(PointCount);
  std::vector<double> e(PointCount), n(PointCount), re(PointCount), rn(PointCount);
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i)
        qelta::LatLongToUTM(p.lat[i], p.lon[i], qelta::gelWGS84, zone[i], e[i], n[i]);
    });
    const double anchorTime = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i) {
        bool north = false;
        GeographicLib::UTMUPS::Forward(p.lat[i], p.lon[i], rzone[i], north, re[i], rn[i]);
      }
    });
    benchmark::DoNotOptimize(e.data());
    benchmark::DoNotOptimize(re.data());
    t.Add(state, ours, anchorTime);
  }
  for (size_t i = 0; i < PointCount; ++i) {
    if (zone[i] == rzone[i]) t.worstMm = std::max(t.worstMm, 1000 * std::hypot(e[i] - re[i], n[i] - rn[i]));
  }
  t.Report(state);
}
BENCHMARK(BM_LatLongToUTM)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_UTMToLatLong(benchmark::State& state) {
  const TPoints& p = Points();
  std::vector<int> zone(PointCount);
  std::vector<double> e(PointCount), n(PointCount);
  for (size_t i = 0; i < PointCount; ++i) qelta::LatLongToUTM(p.lat[i], p.lon[i], qelta::gelWGS84, zone[i], e[i], n[i]);
  std::vector<double> lat(PointCount), lon(PointCount), rlat(PointCount), rlon(PointCount);
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i) {
        qelta::UTMToLatLong(e[i], n[i], zone[i], p.lat[i] < 0, qelta::gelWGS84, lat[i], lon[i]);
      }
    });
    const double anchorTime = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i) {
        GeographicLib::UTMUPS::Reverse(zone[i], p.lat[i] >= 0, e[i], n[i], rlat[i], rlon[i]);
      }
    });
    benchmark::DoNotOptimize(lat.data());
    benchmark::DoNotOptimize(rlat.data());
    t.Add(state, ours, anchorTime);
  }
  for (size_t i = 0; i < PointCount; ++i)
    t.worstMm = std::max(t.worstMm, GroundMm(rlat[i], lat[i] - rlat[i], lon[i] - rlon[i]));
  t.Report(state);
}
BENCHMARK(BM_UTMToLatLong)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_GeoToCartesian(benchmark::State& state) {
  const TPoints& p = Points();
  const GeographicLib::Geocentric& ref = GeographicLib::Geocentric::WGS84();
  std::vector<double> x(PointCount), y(PointCount), z(PointCount), rx(PointCount), ry(PointCount), rz(PointCount);
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i)
        qelta::GeoToCartesian(p.lat[i], p.lon[i], p.h[i], qelta::gelWGS84, x[i], y[i], z[i]);
    });
    const double anchorTime = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i) ref.Forward(p.lat[i], p.lon[i], p.h[i], rx[i], ry[i], rz[i]);
    });
    benchmark::DoNotOptimize(x.data());
    benchmark::DoNotOptimize(rx.data());
    t.Add(state, ours, anchorTime);
  }
  for (size_t i = 0; i < PointCount; ++i)
    t.worstMm = std::max(t.worstMm, 1000 * std::hypot(x[i] - rx[i], y[i] - ry[i], z[i] - rz[i]));
  t.Report(state);
}
BENCHMARK(BM_GeoToCartesian)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_CartesianToGeo(benchmark::State& state) {
  const TPoints& p = Points();
  const GeographicLib::Geocentric& ref = GeographicLib::Geocentric::WGS84();
  std::vector<double> x(PointCount), y(PointCount), z(PointCount);
  for (size_t i = 0; i < PointCount; ++i) ref.Forward(p.lat[i], p.lon[i], p.h[i], x[i], y[i], z[i]);
  std::vector<double> lat(PointCount), lon(PointCount), h(PointCount), rlat(PointCount), rlon(PointCount),
      rh(PointCount);
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i)
        qelta::CartesianToGeo(x[i], y[i], z[i], qelta::gelWGS84, lat[i], lon[i], h[i]);
    });
    const double anchorTime = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i) ref.Reverse(x[i], y[i], z[i], rlat[i], rlon[i], rh[i]);
    });
    benchmark::DoNotOptimize(lat.data());
    benchmark::DoNotOptimize(rlat.data());
    t.Add(state, ours, anchorTime);
  }
  for (size_t i = 0; i < PointCount; ++i) {
    t.worstMm =
        std::max({t.worstMm, GroundMm(rlat[i], lat[i] - rlat[i], lon[i] - rlon[i]), 1000 * std::fabs(h[i] - rh[i])});
  }
  t.Report(state);
}
BENCHMARK(BM_CartesianToGeo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// ORDNANCE GB 1936 -> DHDN (RAUENBERG),: two seven-parameter rows.
void BM_HelmertTransform(benchmark::State& state) {
  constexpr int source = 183, target = 217;
  const TPoints& p = Points();
  PJ_CONTEXT* ctx = proj_context_create();
  PJ* pj = proj_create(ctx, ProjHelmertPipeline(source, target).c_str());
  std::vector<double> lat(PointCount), lon(PointCount), h(PointCount);
  std::vector<double> plat, plon, ph;
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      for (size_t i = 0; i < PointCount; ++i) {
        qelta::HelmertTransform(source, p.lat[i], p.lon[i], p.h[i], target, lat[i], lon[i], h[i]);
      }
    });
    state.PauseTiming();
    plat = p.lat;
    plon = p.lon;
    ph = p.h;
    state.ResumeTiming();
    const double anchorTime = Seconds([&] {
      proj_trans_generic(pj, PJ_FWD, plon.data(), sizeof(double), PointCount, plat.data(), sizeof(double), PointCount,
                         ph.data(), sizeof(double), PointCount, nullptr, 0, 0);
    });
    benchmark::DoNotOptimize(lat.data());
    t.Add(state, ours, anchorTime);
  }
  for (size_t i = 0; i < PointCount; ++i) {
    t.worstMm =
        std::max({t.worstMm, GroundMm(plat[i], lat[i] - plat[i], lon[i] - plon[i]), 1000 * std::fabs(h[i] - ph[i])});
  }
  t.Report(state);
  proj_destroy(pj);
  proj_context_destroy(ctx);
}
BENCHMARK(BM_HelmertTransform)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
