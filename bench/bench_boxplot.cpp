// The box plot: 50 columns x 10^5 rows of normal numbers, CommitChangedData + CreateChart (the
// table's statistics per column, then the items) beside the same statistics of each column taken
// with std::nth_element on a copy (minimum, maximum, mean, the three quartiles, the 10th and 90th
// percentiles at the table's positions); and filling 10^3 cells of a 10 x 100 table through
// SetElem with painting enabled (every SetElem rebuilds and paints, twice) beside the same fill with
// painting suppressed and one rebuild at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Qelta_boxplot.h"
#include "Random.h"
#include "SideBySide.h"

namespace {

using namespace qelta;

// The value at position (n + 1) p of the sorted values (1-based, the largest where it reaches n),
// with linear interpolation between neighbours, found by nth_element.
double Position(std::vector<double>& v, double p) {
  const double pos = (static_cast<double>(v.size()) + 1) * p;
  if (pos >= static_cast<double>(v.size())) return *std::max_element(v.begin(), v.end());
  if (pos < 1) return *std::min_element(v.begin(), v.end());
  const auto k = static_cast<size_t>(pos) - 1;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
  const double lo = v[k];
  const double hi = *std::min_element(v.begin() + static_cast<std::ptrdiff_t>(k) + 1, v.end());
  return lo + (hi - lo) * (pos - std::floor(pos));
}

// The statistics of one column by nth_element.
double ColumnStatistics(const double* column, int n, std::vector<double>& work) {
  work.assign(column, column + n);
  const auto [lo, hi] = std::minmax_element(work.begin(), work.end());
  double sum = *lo + *hi, mean = 0;
  for (double v : work) mean += v;
  sum += mean / n;
  for (double p : {0.25, 0.5, 0.75, 0.1, 0.9}) sum += Position(work, p);
  return sum;
}

class TBenchBoxPlot : public TBoxPlot {
 public:
  TBenchBoxPlot(int columns, int rows) : TBoxPlot(nullptr) {
    Data->Resize(columns, rows);
    RandSeed = 125;
    Data->NumericData->FillRandomGauss(0, 1);
    SetSuppressPaint(false);
  }
};

void BM_BoxPlotStatistics_vs_NthElement(benchmark::State& state) {
  constexpr int kColumns = 50, kRows = 100000;
  TBenchBoxPlot plot(kColumns, kRows);
  std::vector<double> values(static_cast<size_t>(kColumns) * kRows), work;
  for (int c = 1; c <= kColumns; ++c)
    for (int r = 1; r <= kRows; ++r) values[static_cast<size_t>(c - 1) * kRows + (r - 1)] = plot.Data->GetElem(c, r);
  double sum = 0;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        plot.CommitChangedData();
        plot.CreateChart();
      },
      [&] {
        for (int c = 0; c < kColumns; ++c)
          sum += ColumnStatistics(&values[static_cast<size_t>(c) * kRows], kRows, work);
      });
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_BoxPlotStatistics_vs_NthElement)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FillPainting_vs_FillSuppressed(benchmark::State& state) {
  constexpr int kColumns = 10, kRows = 100;
  TBenchBoxPlot plot(kColumns, kRows);
  const auto fill = [&](double offset) {
    for (int c = 1; c <= kColumns; ++c)
      for (int r = 1; r <= kRows; ++r) plot.Data->SetElem(c, r, offset + c + r * 1e-3);
  };
  qelta::bench::RunSideBySide(
      state, [&] { fill(1); },
      [&] {
        plot.SetSuppressPaint(true);
        fill(2);
        plot.SetSuppressPaint(false);
      });
}
BENCHMARK(BM_FillPainting_vs_FillSuppressed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
