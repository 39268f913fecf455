// The transforms beside their anchors: TFastFourier.Transform of 2^20 and 2^23 points against FFTW's
// in-place backward transform (the same kernel exp(+2 pi i jk / N)) planned with FFTW_ESTIMATE and, at
// 2^20, with FFTW_MEASURE (goal: within 2x of MEASURE), and TWavelet1D.Transform of 2^20 points, order 3 (D6), full
// depth, against GSL's gsl_wavelet_transform_forward with its 6-tap Daubechies filter. Both sides run
// in place per iteration; the data are brought back untimed (our inverse transforms, a rescale of
// FFTW's block, GSL's inverse), so every iteration transforms the same values. The reported time is
// Qelta's; the counters hold the anchor's and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <gsl/gsl_wavelet.h>

#include <complex>
#include <map>
#include <random>
#include <vector>

#include "Qelta_fourier.h"
#include "Qelta_wavelet.h"
#include "SideBySide.h"

namespace {

using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

// One FFTW block and its in-place backward plan per size and planner flag, planned once.
struct TFftwBlock {
  fftw_complex* data = nullptr;
  fftw_plan plan = nullptr;
  TFftwBlock(int n, unsigned flags) {
    data = fftw_alloc_complex(static_cast<std::size_t>(n));
    plan = fftw_plan_dft_1d(n, data, data, FFTW_BACKWARD, flags);  // MEASURE overwrites the block
  }
};

TFftwBlock& Fftw(int n, unsigned flags) {
  static std::map<std::pair<int, unsigned>, TFftwBlock*> blocks;
  TFftwBlock*& b = blocks[{n, flags}];
  if (b == nullptr) b = new TFftwBlock(n, flags);
  return *b;
}

// Arguments: log2 N and the planner flag of the anchor.
void BM_FastFourier(benchmark::State& state) {
  const int n = 1 << state.range(0);
  const auto flags = static_cast<unsigned>(state.range(1));
  TFftwBlock& anchor = Fftw(n, flags);
  qelta::TFastFourier ours(nullptr);
  ours.SetNumData(n);
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int i = 0; i < n; ++i) {
    anchor.data[i][0] = u(gen), anchor.data[i][1] = u(gen);
    ours.SetRealVal(i + 1, anchor.data[i][0]);
    ours.SetImagVal(i + 1, anchor.data[i][1]);
  }
  TSideBySide t;
  for (auto _ : state) {
    const double o = Seconds([&] { ours.Transform(); });
    ours.InverseTransform();
    const double a = Seconds([&] { fftw_execute(anchor.plan); });
    for (int i = 0; i < n; ++i) anchor.data[i][0] /= n, anchor.data[i][1] /= n;
    t.Add(state, o, a);
  }
  t.Report(state);
  state.SetLabel(flags == FFTW_MEASURE ? "FFTW_MEASURE" : "FFTW_ESTIMATE");
}
BENCHMARK(BM_FastFourier)
    ->Args({20, FFTW_ESTIMATE})
    ->Args({20, FFTW_MEASURE})
    ->Args({23, FFTW_ESTIMATE})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void BM_Wavelet(benchmark::State& state) {
  const int n = 1 << 20;
  std::vector<double> anchor(static_cast<std::size_t>(n));
  qelta::TWavelet1D ours(nullptr);
  ours.SetNumData(n);
  ours.SetOrder(3);
  std::mt19937_64 gen(9);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int i = 0; i < n; ++i) anchor[static_cast<std::size_t>(i)] = u(gen), ours.SetDataVal(i + 1, anchor[static_cast<std::size_t>(i)]);
  gsl_wavelet* w = gsl_wavelet_alloc(gsl_wavelet_daubechies, 6);
  gsl_wavelet_workspace* work = gsl_wavelet_workspace_alloc(static_cast<std::size_t>(n));
  TSideBySide t;
  for (auto _ : state) {
    const double o = Seconds([&] { ours.Transform(20); });
    ours.InverseTransform(20);
    const double a = Seconds([&] { gsl_wavelet_transform_forward(w, anchor.data(), 1, static_cast<std::size_t>(n), work); });
    gsl_wavelet_transform_inverse(w, anchor.data(), 1, static_cast<std::size_t>(n), work);
    t.Add(state, o, a);
  }
  t.Report(state);
  gsl_wavelet_workspace_free(work);
  gsl_wavelet_free(w);
}
BENCHMARK(BM_Wavelet)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
