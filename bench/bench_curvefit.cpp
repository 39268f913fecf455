// The curve fitter and the convex hull beside anchors doing the same job:
//  - EnterStatValue of 10^7 points: a plain loop storing the points in two std::vectors and keeping
//    the same thirty sums in double, without the guards (the cost of extended precision and guards);
//  - KendallsTau at n = 50,000: the textbook count of all pairs (the same counts, O(n^2));
//  - CalcPolyFit of order 5 on 10^6 points: LAPACK's dgelsd on the same design (built in the timing);
//  - Convex2DHull of 10^6 points uniform in a disk: qhull (libqhull_r, "qhull" in two dimensions).
// Each benchmark times both sides per iteration; the reported time is Qelta's, the counters give the
// anchor's time and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

#include <cmath>
#include <random>
#include <vector>

#include "Qelta_math2.h"
#include "SideBySide.h"

extern "C" void dgelsd_(const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
                        const int* ldb, double* s, const double* rcond, int* rank, double* work, const int* lwork,
                        int* iwork, int* info);

namespace {

using qelta::bench::RunSideBySide;

struct TPoints {
  std::vector<double> x, y;
};

TPoints Noisy(int n, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> u(0.5, 3.0);
  std::normal_distribution<double> noise(0.0, 0.3);
  TPoints p;
  p.x.resize(static_cast<std::size_t>(n));
  p.y.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    p.x[static_cast<std::size_t>(i)] = u(gen);
    p.y[static_cast<std::size_t>(i)] = 1 + 2 * p.x[static_cast<std::size_t>(i)] + noise(gen);
  }
  return p;
}

// The anchor of EnterStatValue: the same thirty sums in double, no guards.
struct TPlainSums {
  double s[30] = {};
  std::vector<double> xs, ys;
  void Enter(double x, double y) {
    xs.push_back(x);
    ys.push_back(y);
    const double xx = x * x, yy = y * y, d = x - y, rx = 1 / x, ry = 1 / y, lx = std::log(x), ly = std::log(y);
    const double t[30] = {x,       y,       xx,      yy,      d,       d * d,   x * y,   xx * y,      x * yy,      xx * x,
                          yy * y,  xx * xx, yy * yy, ry,      rx * ry, ry * ry, x * ry,  y * rx,      rx,          rx * rx,
                          lx,      lx * ly, lx * lx, y * lx,  x * lx,  lx * ry, ly,      ly * ly,     x * ly,      xx * ly};
    for (int k = 0; k < 30; ++k) s[k] += t[k];
  }
};

void BM_EnterStatValue1e7(benchmark::State& state) {
  constexpr int n = 10000000;
  const TPoints p = Noisy(n, 1);
  double check = 0;
  RunSideBySide(
      state,
      [&] {
        qelta::TCurveFit f(nullptr);
        for (int i = 0; i < n; ++i) f.EnterStatValue(p.x[static_cast<std::size_t>(i)], p.y[static_cast<std::size_t>(i)]);
        check += f.MeanY();
      },
      [&] {
        TPlainSums s;
        for (int i = 0; i < n; ++i) s.Enter(p.x[static_cast<std::size_t>(i)], p.y[static_cast<std::size_t>(i)]);
        check += s.s[1];
      });
  benchmark::DoNotOptimize(check);
}

void BM_KendallsTau50000(benchmark::State& state) {
  constexpr int n = 50000;
  const TPoints p = Noisy(n, 2);
  qelta::TCurveFit f(nullptr);
  for (int i = 0; i < n; ++i) f.EnterStatValue(p.x[static_cast<std::size_t>(i)], p.y[static_cast<std::size_t>(i)]);
  double tau = 0, prob = 0;
  int64_t c = 0, d = 0;
  RunSideBySide(
      state,
      [&] {
        f.EnterStatValue(0, 0);  // invalidates the cached counts
        f.RemoveStatValue(n + 1);
        tau = f.KendallsTau(prob);
      },
      [&] {
        c = d = 0;
        for (int i = 0; i < n; ++i)
          for (int j = i + 1; j < n; ++j) {
            const double dx = p.x[static_cast<std::size_t>(i)] - p.x[static_cast<std::size_t>(j)];
            const double dy = p.y[static_cast<std::size_t>(i)] - p.y[static_cast<std::size_t>(j)];
            c += (dx > 0 && dy > 0) || (dx < 0 && dy < 0);
            d += (dx > 0 && dy < 0) || (dx < 0 && dy > 0);
          }
      });
  if (f.KendallConcord() != c || f.KendallDiscord() != d) state.SkipWithError("different pair counts");
  benchmark::DoNotOptimize(tau);
}

void BM_CalcPolyFitOrder5(benchmark::State& state) {
  constexpr int n = 1000000, order = 5;
  const TPoints p = Noisy(n, 3);
  qelta::TCurveFit f(nullptr);
  for (int i = 0; i < n; ++i) f.EnterStatValue(p.x[static_cast<std::size_t>(i)], p.y[static_cast<std::size_t>(i)]);
  std::vector<double> params, ref;
  double q = 0;
  bool singular = false;
  RunSideBySide(
      state, [&] { f.CalcPolyFit(order, params, q, singular); },
      [&] {
        const int m = n, cols = order + 1, nrhs = 1;
        std::vector<double> a(static_cast<std::size_t>(m) * cols), b(p.y), s(static_cast<std::size_t>(cols));
        for (int i = 0; i < m; ++i) {
          double pw = 1;
          for (int k = 0; k < order; ++k) a[static_cast<std::size_t>(i) + static_cast<std::size_t>(k) * m] = pw *= p.x[static_cast<std::size_t>(i)];
          a[static_cast<std::size_t>(i) + static_cast<std::size_t>(order) * m] = 1;
        }
        const double rcond = 1e-14;
        int rank = 0, info = 0, lwork = -1, iq = 0;
        double wq = 0;
        dgelsd_(&m, &cols, &nrhs, a.data(), &m, b.data(), &m, s.data(), &rcond, &rank, &wq, &lwork, &iq, &info);
        lwork = static_cast<int>(wq);
        std::vector<double> work(static_cast<std::size_t>(lwork));
        std::vector<int> iwork(static_cast<std::size_t>(std::max(iq, 1)));
        dgelsd_(&m, &cols, &nrhs, a.data(), &m, b.data(), &m, s.data(), &rcond, &rank, work.data(), &lwork, iwork.data(), &info);
        ref.assign(b.begin(), b.begin() + cols);
      });
  if (std::fabs(params[0] - ref[order]) > 1e-6 * (1 + std::fabs(ref[order]))) state.SkipWithError("different fits");
}

void BM_Convex2DHull1e6(benchmark::State& state) {
  constexpr int n = 1000000;
  std::mt19937_64 gen(4);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  qelta::TPDblArray pts;
  std::vector<coordT> coords;
  while (static_cast<int>(pts.size()) < n) {
    const double x = u(gen), y = u(gen);
    if (x * x + y * y > 1) continue;
    pts.push_back({x, y});
    coords.push_back(x);
    coords.push_back(y);
  }
  qelta::TPDblArray hull;
  int qhullVertices = 0;
  RunSideBySide(
      state, [&] { qelta::Convex2DHull(pts, hull); },
      [&] {
        qhT qh_qh;
        qhT* qh = &qh_qh;
        QHULL_LIB_CHECK
        qh_zero(qh, stderr);
        char options[] = "qhull";
        std::vector<coordT> work(coords);  // qhull may scale its input
        if (qh_new_qhull(qh, 2, n, work.data(), False, options, nullptr, stderr) == 0) qhullVertices = qh->num_vertices;
        int curlong = 0, totlong = 0;
        qh_freeqhull(qh, !qh_ALL);
        qh_memfreeshort(qh, &curlong, &totlong);
      });
  if (static_cast<int>(hull.size()) != qhullVertices) state.SkipWithError("different hull sizes");
  state.counters["vertices"] = static_cast<double>(hull.size());
}

}  // namespace

BENCHMARK(BM_EnterStatValue1e7)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KendallsTau50000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcPolyFitOrder5)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convex2DHull1e6)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
