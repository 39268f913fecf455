// The data table on a 200 x 100,000 table beside anchors doing the same job: Resize beside the bare
// TMatrix.Resize; SortRows by one column (headers moving along) and SortRowNames beside std::sort of a
// row permutation that is then applied to every column (values, states, names, attributes);
// QuartilesOfNumCells per column beside a sorted copy plus the interpolation; CalcCovar mode 2 beside
// a correlation matrix from Eigen's centred product on the same data without missing cells. Each
// benchmark times both sides per iteration; the reported time is Qelta's, the counters give the
// anchor's time and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "Qelta_datatable.h"
#include "SideBySide.h"

namespace {

using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

constexpr int kCols = 200;
constexpr int kRows = 100000;

/// The data as the anchors take it: column-major values, states and the row headers.
struct TRaw {
  std::vector<double> Values;  // kCols x kRows, column-major
  std::vector<uint8_t> States;
  std::vector<std::string> Names;
  std::vector<uint8_t> Attributes;
};

/// A table of Gaussian values with every 20th cell empty (none when complete), random row names
/// and attributes, and the same data raw.
void MakeTable(qelta::TDataTable& t, TRaw& raw, bool complete) {
  std::mt19937_64 rng(5807);
  std::normal_distribution<double> g;
  t.Resize(kCols, kRows);
  raw.Values.resize(static_cast<std::size_t>(kCols) * kRows);
  raw.States.assign(raw.Values.size(), 0);
  for (int c = 1; c <= kCols; ++c)
    for (int r = 1; r <= kRows; ++r) {
      const std::size_t k = static_cast<std::size_t>(c - 1) * kRows + (r - 1);
      raw.Values[k] = g(rng) + 0.5 * raw.Values[static_cast<std::size_t>(r - 1)];
      t.NumericData->SetVal(c, r, raw.Values[k]);
      if (!complete && rng() % 20 == 0) {
        raw.States[k] = qelta::csEmpty;
        t.SetCellState(c, r, qelta::csEmpty);
      }
    }
  for (int r = 1; r <= kRows; ++r) {
    std::string name;
    for (int k = 0; k < 8; ++k) name.push_back(static_cast<char>('a' + rng() % 26));
    raw.Names.push_back(name);
    raw.Attributes.push_back(static_cast<uint8_t>(rng() % 8));
    t.SetRowName(r, name);
    t.SetRowAttrib(r, raw.Attributes.back());
  }
}

/// Applies a row permutation to every column and header, as a sort that carries everything must.
void ApplyRowOrder(TRaw& raw, const std::vector<int>& order) {
  std::vector<double> values(static_cast<std::size_t>(kRows));
  std::vector<uint8_t> states(static_cast<std::size_t>(kRows));
  for (int c = 0; c < kCols; ++c) {
    double* v = raw.Values.data() + static_cast<std::size_t>(c) * kRows;
    uint8_t* s = raw.States.data() + static_cast<std::size_t>(c) * kRows;
    for (int r = 0; r < kRows; ++r) {
      values[static_cast<std::size_t>(r)] = v[order[static_cast<std::size_t>(r)]];
      states[static_cast<std::size_t>(r)] = s[order[static_cast<std::size_t>(r)]];
    }
    std::copy(values.begin(), values.end(), v);
    std::copy(states.begin(), states.end(), s);
  }
  std::vector<std::string> names(raw.Names.size());
  std::vector<uint8_t> attributes(raw.Attributes.size());
  for (int r = 0; r < kRows; ++r) {
    names[static_cast<std::size_t>(r)] = std::move(raw.Names[static_cast<std::size_t>(order[static_cast<std::size_t>(r)])]);
    attributes[static_cast<std::size_t>(r)] = raw.Attributes[static_cast<std::size_t>(order[static_cast<std::size_t>(r)])];
  }
  raw.Names.swap(names);
  raw.Attributes.swap(attributes);
}

/// std::sort of the row indices by less, then the permutation applied to everything.
template <typename Less>
void AnchorSortRows(TRaw& raw, Less less) {
  std::vector<int> order(static_cast<std::size_t>(kRows));
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), less);
  ApplyRowOrder(raw, order);
}

void BM_Resize(benchmark::State& state) {
  qelta::TDataTable t(nullptr);
  qelta::TMatrix m(nullptr);
  TSideBySide side;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      t.Resize(kCols, kRows);
      t.Resize(1, 1);
    });
    const double anchor = Seconds([&] {
      m.Resize(kCols, kRows);
      m.Resize(1, 1);
    });
    side.Add(state, ours, anchor);
  }
  side.Report(state);
}

/// state.range(0) = 1: a handler hears every exchange (as the table editor does) while the sort runs
/// on a permutation and moves the rows once at the end; 0: nobody listens.
void BM_SortRowsByOneColumnWithHeaders(benchmark::State& state) {
  qelta::TDataTable source(nullptr), t(nullptr);
  TRaw raw;
  MakeTable(source, raw, false);
  const TRaw original = raw;
  int exchanges = 0;
  if (state.range(0) == 1) t.OnSortExchange = [&](qelta::TObject*, uint8_t, int, int, int, int) { ++exchanges; };
  TSideBySide side;
  for (auto _ : state) {
    t.CopyContentsFrom(&source);
    raw = original;
    const double ours = Seconds([&] { t.SortRows(7, true, 0, 0, 0, 0, true); });
    const double* key = original.Values.data() + 6 * static_cast<std::size_t>(kRows);
    const double anchor = Seconds([&] { AnchorSortRows(raw, [key](int a, int b) { return key[a] < key[b]; }); });
    side.Add(state, ours, anchor);
    for (int r = 1; r <= kRows; r += 997)
      if (t.GetElem(7, r) != raw.Values[6 * static_cast<std::size_t>(kRows) + (r - 1)]) state.SkipWithError("order differs");
  }
  side.Report(state);
}

void BM_SortRowNames(benchmark::State& state) {
  qelta::TDataTable source(nullptr), t(nullptr);
  TRaw raw;
  MakeTable(source, raw, false);
  const TRaw original = raw;
  TSideBySide side;
  for (auto _ : state) {
    t.CopyContentsFrom(&source);
    raw = original;
    const double ours = Seconds([&] { t.SortRowNames(true, 0, 0, 0, 0); });
    const double anchor = Seconds([&] {
      AnchorSortRows(raw, [&names = original.Names](int a, int b) {
        return names[static_cast<std::size_t>(a)] < names[static_cast<std::size_t>(b)];  // bytes, unsigned
      });
    });
    side.Add(state, ours, anchor);
    if (t.GetRowName(kRows / 2) != raw.Names[kRows / 2 - 1]) state.SkipWithError("names differ");
  }
  side.Report(state);
}

void BM_QuartilesPerColumn(benchmark::State& state) {
  qelta::TDataTable t(nullptr);
  TRaw raw;
  MakeTable(t, raw, false);
  std::vector<double> ours(3 * kCols), anchor(3 * kCols);
  TSideBySide side;
  for (auto _ : state) {
    const double o = Seconds([&] {
      int n = 0;
      for (int c = 1; c <= kCols; ++c) t.QuartilesOfNumCells(c, 0, c, 0, ours[3 * (c - 1)], ours[3 * (c - 1) + 1], ours[3 * (c - 1) + 2], n);
    });
    const double a = Seconds([&] {
      std::vector<double> work;
      for (int c = 0; c < kCols; ++c) {
        work.clear();
        for (int r = 0; r < kRows; ++r) {
          const std::size_t k = static_cast<std::size_t>(c) * kRows + r;
          if (raw.States[k] == 0) work.push_back(raw.Values[k]);
        }
        std::sort(work.begin(), work.end());
        const double n1 = static_cast<double>(work.size() + 1);
        for (int q = 1; q <= 3; ++q) {
          const double pos = n1 * 0.25 * q;
          const std::size_t k = static_cast<std::size_t>(pos);
          anchor[static_cast<std::size_t>(3 * c + q - 1)] = work[k - 1] + (work[k] - work[k - 1]) * (pos - static_cast<double>(k));
        }
      }
    });
    side.Add(state, o, a);
  }
  if (ours != anchor) state.SkipWithError("different quartiles");
  side.Report(state);
}

void BM_CalcCovarCorrelation(benchmark::State& state) {
  qelta::TDataTable t(nullptr);
  TRaw raw;
  MakeTable(t, raw, true);
  qelta::TMatrix cov(nullptr);
  cov.Resize(kCols, kCols);
  Eigen::MatrixXd corr;
  TSideBySide side;
  for (auto _ : state) {
    const double ours = Seconds([&] { t.CalcCovar(&cov, 1, kCols, 1, kRows, 2); });
    const double anchor = Seconds([&] {
      const Eigen::Map<const Eigen::MatrixXd> x(raw.Values.data(), kRows, kCols);
      const Eigen::MatrixXd centred = x.rowwise() - x.colwise().mean();
      corr = centred.transpose() * centred;
      const Eigen::VectorXd scale = corr.diagonal().cwiseSqrt().cwiseInverse();
      corr = scale.asDiagonal() * corr * scale.asDiagonal();
    });
    side.Add(state, ours, anchor);
  }
  double worst = 0;
  for (int i = 0; i < kCols; ++i)
    for (int j = 0; j < kCols; ++j) worst = std::max(worst, std::fabs(cov.GetVal(i + 1, j + 1) - corr(j, i)));
  if (worst > 1e-10) state.SkipWithError("different correlations");
  side.Report(state);
}

}  // namespace

BENCHMARK(BM_Resize)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortRowsByOneColumnWithHeaders)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortRowNames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QuartilesPerColumn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CalcCovarCorrelation)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
