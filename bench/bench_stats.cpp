// Statistics and the 4D file beside anchors doing the same job: Quartiles and Percentile of 2 x 10^6
// doubles against a copy sorted by std::sort plus the interpolation; MeanVar of a 2 x 10^7-cell matrix
// against GSL's gsl_stats_variance over the same values; TMat4D SaveBinary / LoadBinary of 64 MB
// against plain fwrite / fread of the same bytes. Each benchmark times both sides per iteration; the
// reported time is Qelta's, the counters give the anchor's time and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>
#include <gsl/gsl_statistics_double.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Qelta_matrix.h"
#include "Random.h"
#include "SideBySide.h"

namespace {

using qelta::bench::RunSideBySide;

// The anchor: a sorted copy and the interpolation at position pos of the sorted values.
double SortedAt(const std::vector<double>& sorted, double pos) {
  const int64_t n = static_cast<int64_t>(sorted.size());
  const int64_t k = static_cast<int64_t>(pos);
  if (k < 1) return sorted.front();
  if (k >= n) return sorted.back();
  const double f = pos - static_cast<double>(k);
  return sorted[static_cast<std::size_t>(k - 1)] + (sorted[static_cast<std::size_t>(k)] - sorted[static_cast<std::size_t>(k - 1)]) * f;
}

constexpr int kOrderN = 2000000;

void FillRandom(qelta::TVector& v, std::vector<double>& raw, int n) {
  v.Resize(n);
  raw.resize(static_cast<std::size_t>(n));
  qelta::RandSeed = 11;
  for (int i = 1; i <= n; ++i) {
    const double x = qelta::Random() * 1000 - 300;
    v.SetVal(i, x);
    raw[static_cast<std::size_t>(i - 1)] = x;
  }
}

// A sorted copy of the sample, as the anchor takes it.
std::vector<double> SortedCopy(const std::vector<double>& raw) {
  std::vector<double> work(raw);
  std::sort(work.begin(), work.end());
  return work;
}

void BM_Quartiles2e6(benchmark::State& state) {
  qelta::TVector v(nullptr);
  std::vector<double> raw;
  FillRandom(v, raw, kOrderN);
  double q[3] = {0, 0, 0}, a[3] = {0, 0, 0};
  RunSideBySide(
      state, [&] { v.Quartiles(1, kOrderN, q[0], q[1], q[2]); },
      [&] {
        const std::vector<double> sorted = SortedCopy(raw);
        for (int k = 0; k < 3; ++k) a[k] = SortedAt(sorted, (kOrderN + 1.0) * 0.25 * (k + 1));
      });
  if (q[0] != a[0] || q[1] != a[1] || q[2] != a[2]) state.SkipWithError("different quartiles");
}

void BM_Percentile2e6(benchmark::State& state) {
  qelta::TVector v(nullptr);
  std::vector<double> raw;
  FillRandom(v, raw, kOrderN);
  double p = 0, a = 0;
  RunSideBySide(
      state, [&] { p = v.Percentile(90, 1, kOrderN); },
      [&] { a = SortedAt(SortedCopy(raw), 90 * (kOrderN + 1.0) / 100); });
  if (p != a) state.SkipWithError("different percentile");
}

void BM_MeanVar2e7(benchmark::State& state) {
  constexpr int cols = 5000, rows = 4000;
  qelta::TMatrix m(nullptr);
  m.Resize(cols, rows);
  qelta::RandSeed = 5;
  m.FillRandomGauss(1e6, 3);
  std::vector<double> raw(static_cast<std::size_t>(cols) * rows);
  for (int c = 1; c <= cols; ++c)
    for (int r = 1; r <= rows; ++r) raw[static_cast<std::size_t>(c - 1) * rows + (r - 1)] = m.GetVal(c, r);
  double mean = 0, var = 0, gvar = 0;
  RunSideBySide(
      state, [&] { m.MeanVar(0, 0, 0, 0, mean, var); },
      [&] { gvar = gsl_stats_variance(raw.data(), 1, raw.size()); });
  benchmark::DoNotOptimize(var + gvar);
}

// 64 MB of cells: 512 x 512 x 1 x 32.
struct TFileCase {
  std::string Path;
  qelta::TMat4D M{nullptr};
  std::vector<double> Raw;
  TFileCase() {
    const char* base = std::getenv("TMPDIR");
    Path = std::string(base && *base ? base : "/tmp") + "/qelta-bench-m4d-" + std::to_string(getpid());
    M.Resize(512, 512, 1, 32);
    qelta::RandSeed = 9;
    M.FillRandomUniform(0, 1);
    Raw.assign(static_cast<std::size_t>(512) * 512 * 32, 0.5);
  }
  ~TFileCase() {
    std::remove(Path.c_str());
    std::remove((Path + ".raw").c_str());
  }
  qelta::String Name() const { return qelta::Utf8ToString(Path); }
};

void BM_Mat4DSave64MB(benchmark::State& state) {
  TFileCase fc;
  RunSideBySide(
      state, [&] { fc.M.SaveBinary(fc.Name(), 0, 0); },
      [&] {
        FILE* f = std::fopen((fc.Path + ".raw").c_str(), "wb");
        std::fwrite(fc.Raw.data(), sizeof(double), fc.Raw.size(), f);
        std::fclose(f);
      });
  state.SetBytesProcessed(int64_t(state.iterations()) * 64 * 1048576);
}

void BM_Mat4DLoad64MB(benchmark::State& state) {
  TFileCase fc;
  fc.M.SaveBinary(fc.Name(), 0, 0);
  FILE* out = std::fopen((fc.Path + ".raw").c_str(), "wb");
  std::fwrite(fc.Raw.data(), sizeof(double), fc.Raw.size(), out);
  std::fclose(out);
  RunSideBySide(
      state, [&] { fc.M.LoadBinary(fc.Name(), 0, 0); },
      [&] {
        FILE* f = std::fopen((fc.Path + ".raw").c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(fc.Raw.data(), sizeof(double), fc.Raw.size(), f));
        std::fclose(f);
      });
  state.SetBytesProcessed(int64_t(state.iterations()) * 64 * 1048576);
}

}  // namespace

BENCHMARK(BM_Quartiles2e6)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Percentile2e6)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeanVar2e7)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mat4DSave64MB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mat4DLoad64MB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
