// Clustering, nearest neighbours and the self-organising map beside their anchors:
//  - MeanDistanceKNN of 10^4 x 10 and 10^5 x 10 (k = 10) against nanoflann's k-d tree (build and one
//    k-nearest query per row, the mean of the roots of its squared distances);
//  - AgglomClustering of 2000 x 10 (Euclidean, average linkage) against the plain algorithm: the same
//    distance matrix and Lance-Williams updates with a scan of all active pairs per merge;
//  - kMeansClustering of 10^5 x 20 with k = 50 (50 blobs) against the same passes as a plain loop over
//    arrays (no matrix or vector objects);
//  - TKohonen training of a 20 x 20 map, 10 inputs, 10^4 objects, 20 steps against the same rules as a
//    plain loop over arrays.
// The reported time is Qelta's; the counters hold the anchor's and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>
#include <nanoflann.hpp>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "Qelta_kohonen.h"
#include "Qelta_math2.h"
#include "Random.h"
#include "SideBySide.h"

namespace {

using qelta::bench::RunSideBySide;

// Row-major n x f data, uniform; with centres > 0, Gaussian blobs around that many random centres,
// each row from a blob drawn at random.
std::vector<double> Data(int n, int f, unsigned seed, int centres = 0) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> u(-10, 10);
  std::normal_distribution<double> g(0, 0.5);
  std::vector<double> c(static_cast<std::size_t>(std::max(centres, 1) * f));
  for (double& v : c) v = u(gen);
  std::uniform_int_distribution<int> pick(0, std::max(centres, 1) - 1);
  std::vector<double> x(static_cast<std::size_t>(n) * f);
  for (int r = 0; r < n; ++r) {
    const int blob = pick(gen);  // the first rows, the starting centres of k-means, miss some blobs
    for (int k = 0; k < f; ++k)
      x[static_cast<std::size_t>(r) * f + k] = centres > 0 ? c[static_cast<std::size_t>(blob) * f + k] + g(gen) : u(gen);
  }
  return x;
}

void Fill(qelta::TMatrix& m, const std::vector<double>& x, int n, int f) {
  m.Resize(f, n);
  for (int r = 1; r <= n; ++r)
    for (int c = 1; c <= f; ++c) m.SetVal(c, r, x[static_cast<std::size_t>(r - 1) * f + (c - 1)]);
}

double Sq(const double* a, const double* b, int f) {
  double s = 0;
  for (int k = 0; k < f; ++k) s += (a[k] - b[k]) * (a[k] - b[k]);
  return s;
}

// [SECTION] nearest neighbours

struct TCloud {
  const std::vector<double>* x;
  int f;
  std::size_t kdtree_get_point_count() const { return x->size() / static_cast<std::size_t>(f); }
  double kdtree_get_pt(std::size_t i, std::size_t d) const { return (*x)[i * static_cast<std::size_t>(f) + d]; }
  template <class B>
  bool kdtree_get_bbox(B&) const {
    return false;
  }
};

void BM_MeanDistanceKNN(benchmark::State& state) {
  constexpr int f = 10, k = 10;
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> x = Data(n, f, 1);
  qelta::TMatrix data(nullptr);
  Fill(data, x, n, f);
  qelta::TVector mean(nullptr);
  mean.Resize(n);
  std::vector<double> anchorMean(n);
  using TTree = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, TCloud>, TCloud, f>;
  RunSideBySide(
      state, [&] { qelta::MeanDistanceKNN(&data, k, 1, n, &mean); },
      [&] {
        TCloud cloud{&x, f};
        TTree tree(f, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
        tree.buildIndex();
        std::array<uint32_t, k> idx{};
        std::array<double, k> d2{};
        for (int r = 0; r < n; ++r) {
          tree.knnSearch(x.data() + static_cast<std::size_t>(r) * f, k, idx.data(), d2.data());
          double s = 0;
          for (double v : d2) s += std::sqrt(v);
          anchorMean[static_cast<std::size_t>(r)] = s / k;
        }
      });
  for (int r = 0; r < n; ++r)
    if (std::fabs(mean.GetVal(r + 1) - anchorMean[static_cast<std::size_t>(r)]) > 1e-12 * anchorMean[static_cast<std::size_t>(r)])
      state.SkipWithError("different mean distances");
}
BENCHMARK(BM_MeanDistanceKNN)->Arg(10000)->Arg(100000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// [SECTION] hierarchical clustering

// Average linkage by a scan of all active pairs per merge over the full distance matrix.
std::vector<double> PlainAgglomeration(const std::vector<double>& x, int n, int f) {
  std::vector<double> d(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) d[static_cast<std::size_t>(i) * n + j] = std::sqrt(Sq(&x[static_cast<std::size_t>(i) * f], &x[static_cast<std::size_t>(j) * f], f));
  std::vector<bool> active(static_cast<std::size_t>(n), true);
  std::vector<double> merged;
  for (int step = 1; step < n; ++step) {
    double best = std::numeric_limits<double>::max();
    int c = 0, b = 1;
    for (int i = 0; i < n; ++i) {
      if (!active[static_cast<std::size_t>(i)]) continue;
      const double* row = &d[static_cast<std::size_t>(i) * n];
      for (int j = i + 1; j < n; ++j)
        if (active[static_cast<std::size_t>(j)] && row[j] < best) best = row[j], c = i, b = j;
    }
    for (int k = 0; k < n; ++k)
      if (active[static_cast<std::size_t>(k)] && k != b && k != c)
        d[static_cast<std::size_t>(k) * n + b] = d[static_cast<std::size_t>(b) * n + k] =
            (d[static_cast<std::size_t>(c) * n + k] + d[static_cast<std::size_t>(b) * n + k]) / 2;
    active[static_cast<std::size_t>(c)] = false;
    merged.push_back(best);
  }
  return merged;
}

void BM_AgglomClustering(benchmark::State& state) {
  constexpr int n = 2000, f = 10;
  const std::vector<double> x = Data(n, f, 2);
  qelta::TMatrix data(nullptr);
  Fill(data, x, n, f);
  qelta::TIntMatrix dendrogram(nullptr);
  qelta::TVector mergeDist(nullptr), xpos(nullptr);
  std::vector<double> anchor;
  RunSideBySide(
      state,
      [&] {
        qelta::AgglomClustering(nullptr, &data, qelta::dmEuclid, qelta::cmAvgLink, 0.5, &dendrogram, &mergeDist, &xpos);
      },
      [&] { anchor = PlainAgglomeration(x, n, f); });
}
BENCHMARK(BM_AgglomClustering)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// [SECTION] k-means

// The same passes on arrays: nearest centre (lowest of equals), then the means, until nothing changes.
int PlainKMeans(const std::vector<double>& x, int n, int f, int k, std::vector<int>& assigned) {
  std::vector<double> centres(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(k) * f);
  std::fill(assigned.begin(), assigned.end(), 0);
  for (int pass = 0;; ++pass) {
    bool changed = false;
    for (int r = 0; r < n; ++r) {
      double best = 1.7e308;
      int at = 0;
      for (int j = 0; j < k; ++j) {
        const double d = Sq(&x[static_cast<std::size_t>(r) * f], &centres[static_cast<std::size_t>(j) * f], f);
        if (d < best) best = d, at = j + 1;
      }
      if (at != assigned[static_cast<std::size_t>(r)]) assigned[static_cast<std::size_t>(r)] = at, changed = true;
    }
    if (!changed) return pass;
    std::vector<double> count(static_cast<std::size_t>(k), 0.0);
    std::fill(centres.begin(), centres.end(), 0.0);
    for (int r = 0; r < n; ++r) {
      const int j = assigned[static_cast<std::size_t>(r)] - 1;
      count[static_cast<std::size_t>(j)] += 1;
      for (int c = 0; c < f; ++c) centres[static_cast<std::size_t>(j) * f + c] += x[static_cast<std::size_t>(r) * f + c];
    }
    for (int j = 0; j < k; ++j)
      for (int c = 0; c < f && count[static_cast<std::size_t>(j)] > 0; ++c) centres[static_cast<std::size_t>(j) * f + c] /= count[static_cast<std::size_t>(j)];
  }
}

void BM_kMeansClustering(benchmark::State& state) {
  constexpr int n = 100000, f = 20, k = 50;
  const std::vector<double> x = Data(n, f, 3, k);
  qelta::TMatrix data(nullptr), centers(nullptr);
  Fill(data, x, n, f);
  qelta::TIntVector assignment(nullptr);
  std::vector<int> anchor(static_cast<std::size_t>(n));
  int passes = 0;
  RunSideBySide(
      state,
      [&] {
        assignment.Resize(1);
        assignment.Resize(n);  // all 0 again
        qelta::kMeansClustering(&data, 0, 0, k, &centers, &assignment);
      },
      [&] { passes = PlainKMeans(x, n, f, k, anchor); });
  state.counters["passes"] = passes + 1;
}
BENCHMARK(BM_kMeansClustering)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// [SECTION] self-organising map

// The training rules on arrays: weights node-major ((x sy + y) f), data row-major.
void PlainKohonen(std::vector<double>& w, const std::vector<double>& x, int n, int f, int sx, int sy, int steps) {
  for (int step = 1; step < steps; ++step) {
    const double r = static_cast<double>(steps - step) / steps;
    const int radius = static_cast<int>(std::nearbyint(r * r * (2 - 1) + 1));
    const double alpha = r * r;
    for (int i = 0; i < n; ++i) {
      const double* o = &x[static_cast<std::size_t>(i) * f];
      int wx = 0, wy = 0;
      double dmin = Sq(&w[0], o, f);
      for (int a = 0; a < sx; ++a)
        for (int b = 0; b < sy; ++b)
          if (const double d = Sq(&w[(static_cast<std::size_t>(a) * sy + b) * f], o, f); d < dmin) dmin = d, wx = a, wy = b;
      for (int a = std::max(wx - radius, 0); a <= std::min(wx + radius, sx - 1); ++a)
        for (int b = std::max(wy - radius, 0); b <= std::min(wy + radius, sy - 1); ++b) {
          double* node = &w[(static_cast<std::size_t>(a) * sy + b) * f];
          const double factor = alpha / (std::sqrt(Sq(node, o, f) - dmin) + 1);
          for (int c = 0; c < f; ++c) node[c] += (o[c] - node[c]) * factor;
        }
    }
  }
}

void BM_Kohonen(benchmark::State& state) {
  constexpr int n = 10000, f = 10, size = 20, steps = 20;
  const std::vector<double> x = Data(n, f, 4, 30);
  qelta::TMatrix data(nullptr);
  Fill(data, x, n, f);
  qelta::TKohonen ours(nullptr);
  ours.SetDataMat(&data);
  ours.SetSizeX(size);
  ours.SetSizeY(size);
  ours.SetNrOfTrnSteps(steps);
  std::vector<double> anchor(static_cast<std::size_t>(size) * size * f);
  RunSideBySide(
      state,
      [&] {
        qelta::RandSeed = 1;
        ours.Trainit();
      },
      [&] {
        qelta::RandSeed = 1;
        for (double& v : anchor) v = (qelta::Random() - 0.5) * 0.2;
        PlainKohonen(anchor, x, n, f, size, size, steps);
      });
}
BENCHMARK(BM_Kohonen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
