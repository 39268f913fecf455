// The contour plot at 1000 x 800 with PivotResolution 800 (161 x 127 pivots over a data area of
// 930 x 740 pixels; the colour surface also at a tenth of the pixels, 294 x 234 with 51 x 41
// pivots) and a cheap function z = sin x cos y. One DrawPlot renders the picture again:
// the sampling (progress 0..30) is timed beside a plain loop that samples the same function into a
// vector; the drawing in each mode (progress 30..100) beside a direct bilinear fill of the data
// area's pixels into a pixel buffer (each pixel interpolated from its cell's four pivots and looked
// up in the 1000-colour palette, as cpmColorSurface would colour it at one sub-cell per pixel).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Qelta_qeltacolors.h"
#include "Qelta_rchart.h"
#include "SideBySide.h"

namespace {

using namespace qelta;
using qelta::bench::Seconds;
using qelta::bench::TSideBySide;
using TClock = std::chrono::steady_clock;

class TBenchContour : public TContourPlot {
 public:
  // dataWidth: the data area's width (930 at 1000 x 800); its height and the pivots keep the
  // proportions of the 1000 x 800 plot, so each cell has the same size in pixels.
  explicit TBenchContour(int dataWidth = 930) : TContourPlot(nullptr) {
    SetBounds(0, 0, dataWidth + 70, dataWidth * 740 / 930 + 60);
    SetPivotRes(dataWidth * 800 / 930);
    OnEstimateZVal = [](TObject*, double x, double y, double& z) { z = std::sin(x) * std::cos(y); };
    SetSuppressPaint(false);
  }
  using TCustomRChart::DataHeight;
  using TCustomRChart::DataWidth;
};

// Seconds of the sampling (first sample to the drawing's first progress event) and of the drawing
// (to OnDataRendered, the kept picture copied) of one DrawPlot.
struct TPhases {
  double sampling = 0, drawing = 0;
};

TPhases TimeDrawPlot(TBenchContour& c) {
  TClock::time_point start{}, sampled{}, drawn{};
  bool sampling = false;
  int events = 0;  // the sampling reports once per pivot column, the drawing follows
  c.OnEstimateZVal = [&](TObject*, double x, double y, double& z) {
    if (!sampling) start = TClock::now(), sampling = true;
    z = std::sin(x) * std::cos(y);
  };
  c.OnProgress = [&](TObject*, int) {
    if (++events == c.NumPivotsX() + 1) sampled = TClock::now();
  };
  c.OnDataRendered = [&](TObject*, TCanvas*, int, int) { drawn = TClock::now(); };
  c.DrawPlot();
  return {std::chrono::duration<double>(sampled - start).count(),
          std::chrono::duration<double>(drawn - sampled).count()};
}

// The anchor of the sampling: the function on the same grid into a plain vector.
double SampleDirect(int nx, int ny, std::vector<double>& z) {
  z.resize(static_cast<size_t>(nx) * ny);
  double sum = 0;
  for (int i = 0; i < nx; ++i) {
    const double x = -5.2 + 10.4 * i / (nx - 1);
    for (int j = 0; j < ny; ++j) {
      const double v = std::sin(x) * std::cos(-5.2 + 10.4 * j / (ny - 1));
      z[static_cast<size_t>(i) * ny + j] = v;
      sum += v;
    }
  }
  return sum;
}

// The anchor of the drawing: every pixel of a w x h area bilinearly interpolated from the pivots and
// coloured through the palette over -1..1.
void FillDirect(const std::vector<double>& z, int nx, int ny, int w, int h, const std::vector<uint32_t>& palette,
                std::vector<uint32_t>& pixels) {
  pixels.resize(static_cast<size_t>(w) * h);
  const int n = static_cast<int>(palette.size());
  for (int py = 0; py < h; ++py) {
    const double fy = (h - 1 - py) * double(ny - 1) / (h - 1);
    const int j = std::min(static_cast<int>(fy), ny - 2);
    const double t = fy - j;
    for (int px = 0; px < w; ++px) {
      const double fx = px * double(nx - 1) / (w - 1);
      const int i = std::min(static_cast<int>(fx), nx - 2);
      const double s = fx - i;
      const double* c0 = &z[static_cast<size_t>(i) * ny + j];
      const double* c1 = c0 + ny;
      const double a = c0[0] + (c1[0] - c0[0]) * s, b = c0[1] + (c1[1] - c0[1]) * s;
      const double v = a + (b - a) * t;
      const int k = std::clamp(static_cast<int>(std::nearbyint((v + 1) / 2 * n)), 1, n);
      pixels[static_cast<size_t>(py) * w + px] = palette[static_cast<size_t>(k - 1)];
    }
  }
}

void BM_ContourSampling_vs_PlainLoop(benchmark::State& state) {
  TBenchContour c;
  std::vector<double> z;
  double sum = 0;
  TSideBySide t;
  for (auto _ : state) {
    const TPhases ours = TimeDrawPlot(c);
    t.Add(state, ours.sampling, Seconds([&] { sum += SampleDirect(c.NumPivotsX(), c.NumPivotsY(), z); }));
  }
  t.Report(state);
  state.counters["pivots"] = c.NumPivotsX() * c.NumPivotsY();
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ContourSampling_vs_PlainLoop)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ContourDrawing_vs_BilinearFill(benchmark::State& state) {
  const auto mode = static_cast<TContourPlotMode>(state.range(0));
  TBenchContour c(static_cast<int>(state.range(1)));
  c.SetPlotMode(mode);
  std::vector<double> z;
  SampleDirect(c.NumPivotsX(), c.NumPivotsY(), z);
  std::vector<uint32_t> palette(1000), pixels;
  for (int i = 0; i < 1000; ++i)
    palette[static_cast<size_t>(i)] = static_cast<uint32_t>(c.IsoColors()->GetColorElem(i + 1));
  const int w = c.DataWidth() + 1, h = c.DataHeight() + 1;
  TSideBySide t;
  for (auto _ : state) {
    const TPhases ours = TimeDrawPlot(c);
    t.Add(state, ours.drawing, Seconds([&] { FillDirect(z, c.NumPivotsX(), c.NumPivotsY(), w, h, palette, pixels); }));
  }
  t.Report(state);
  benchmark::DoNotOptimize(pixels.data());
}
BENCHMARK(BM_ContourDrawing_vs_BilinearFill)
    ->ArgNames({"mode", "datawidth"})
    ->Args({cpmDots, 930})
    ->Args({cpmMonoDots, 930})
    ->Args({cpmColorSurface, 930})
    ->Args({cpmColorSurface, 294})  // a tenth of the pixels
    ->Args({cpmColorSurfNoIp, 930})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
