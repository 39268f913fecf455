// Linear algebra beside single-threaded OpenBLAS (its BLAS and LAPACK): Multiply against
// cblas_dgemm (on each instruction level of the kernels), LUdecomposition against dgetrf, Invert against dgetrf + dgetri, SvdDecompose against
// dgesvd('S', 'S') on a square and a tall matrix and against dgesdd('S') on the square one, CalcEigVec against dsyev('V'), and CalcDistMat
// (pairs per second) against a plain loop over the pairs. Each benchmark times both sides per
// iteration on the same data; the reported time is Qelta's (through the public API, results
// written into TMatrix objects), the counters give the anchor's time and the ratio Qelta / anchor.
// Copies of the inputs that both sides need (in-place routines) are made outside the timing.

#include <benchmark/benchmark.h>
#include <cblas.h>

#include <cmath>
#include <random>
#include <vector>

#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "SideBySide.h"

extern "C" {
void openblas_set_num_threads(int);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work, const int* lwork, int* info);
void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a, const int* lda, double* s,
             double* u, const int* ldu, double* vt, const int* ldvt, double* work, const int* lwork, int* info);
void dgesdd_(const char* jobz, const int* m, const int* n, double* a, const int* lda, double* s, double* u,
             const int* ldu, double* vt, const int* ldvt, double* work, const int* lwork, int* iwork, int* info);
void dsyev_(const char* jobz, const char* uplo, const int* n, double* a, const int* lda, double* w, double* work,
            const int* lwork, int* info);
}

namespace {

// The anchors' figures depend on the kernel OpenBLAS picks for the processor (OPENBLAS_CORETYPE overrides
// it): printed in the context of the run and kept in its JSON output.
const bool kKernelInContext = (benchmark::AddCustomContext("openblas_kernel", openblas_get_corename()), true);

using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

// The loop of every benchmark here: prepare (untimed), ours (timed, the iteration time), anchor
// (timed); then the counters. Answers the totals.
template <typename Prepare, typename Ours, typename Anchor>
TSideBySide RunSideBySide(benchmark::State& state, Prepare&& prepare, Ours&& ours, Anchor&& anchor) {
  TSideBySide t;
  for (auto _ : state) {
    prepare();
    const double o = Seconds(ours);
    t.Add(state, o, Seconds(anchor));
  }
  t.Report(state);
  return t;
}

// Column-major m x n block, entries uniform in [-1, 1); symmetric when asked.
std::vector<double> RandomBlock(int m, int n, unsigned seed, bool symmetric = false) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> a(static_cast<size_t>(m) * n);
  for (double& v : a) v = dist(gen);
  if (symmetric)
    for (int c = 0; c < n; ++c)
      for (int r = 0; r < c; ++r) a[c + static_cast<size_t>(r) * m] = a[r + static_cast<size_t>(c) * m];
  return a;
}

void Fill(qelta::TMatrix& m, const std::vector<double>& a, int rows, int cols) {
  m.Resize(cols, rows);
  for (int c = 1; c <= cols; ++c)
    for (int r = 1; r <= rows; ++r) m.SetVal(c, r, a[static_cast<size_t>(r - 1) + static_cast<size_t>(c - 1) * rows]);
}

void SingleThreaded() {
  static const bool once = (openblas_set_num_threads(1), true);
  (void)once;
}

// Argument: the highest instruction level the kernels may use (2 AVX-512, 1 AVX2, 0 the SSE2 path).
void BM_Multiply1000(benchmark::State& state) {
  SingleThreaded();
  const int saved = qelta::num_detail::KernelLevel();
  state.counters["level"] = qelta::num_detail::SetKernelLevel(static_cast<int>(state.range(0)));
  constexpr int n = 1000;
  const std::vector<double> a = RandomBlock(n, n, 1), b = RandomBlock(n, n, 2);
  std::vector<double> c(a.size());
  qelta::TMatrix ma(nullptr), mb(nullptr), res(nullptr);
  Fill(ma, a, n, n);
  Fill(mb, b, n, n);
  res.Resize(n, n);
  RunSideBySide(
      state, [] {}, [&] { ma.Multiply(&mb, &res); },
      [&] {
        cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, a.data(), n, b.data(), n, 0.0, c.data(),
                    n);
      });
  qelta::num_detail::SetKernelLevel(saved);
}

void BM_LUdecomposition500(benchmark::State& state) {
  SingleThreaded();
  constexpr int n = 500;
  const std::vector<double> a = RandomBlock(n, n, 3);
  std::vector<double> lu;
  std::vector<int> ipiv(n);
  int info = 0;
  qelta::TMatrix ma(nullptr), l(nullptr), u(nullptr);
  Fill(ma, a, n, n);
  RunSideBySide(
      state, [&] { lu = a; }, [&] { ma.LUdecomposition(&l, &u); },
      [&] { dgetrf_(&n, &n, lu.data(), &n, ipiv.data(), &info); });
}

void BM_Invert500(benchmark::State& state) {
  SingleThreaded();
  constexpr int n = 500, lwork = 64 * n;
  const std::vector<double> a = RandomBlock(n, n, 4);
  std::vector<double> inv, work(lwork);
  std::vector<int> ipiv(n);
  int info = 0;
  qelta::TMatrix src(nullptr), m(nullptr);
  Fill(src, a, n, n);
  RunSideBySide(
      state,
      [&] {
        m.Clone(&src);
        inv = a;
      },
      [&] { m.Invert(); },
      [&] {
        dgetrf_(&n, &n, inv.data(), &n, ipiv.data(), &info);
        dgetri_(&n, inv.data(), &n, ipiv.data(), work.data(), &lwork, &info);
      });
}

// state.range(2): the anchor, 0 dgesvd('S', 'S'), 1 the divide-and-conquer driver dgesdd('S').
void BM_SvdDecompose(benchmark::State& state) {
  SingleThreaded();
  const int m = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const bool divideAndConquer = state.range(2) == 1;
  const std::vector<double> a = RandomBlock(m, n, 5);
  std::vector<double> copy, s(n), u(static_cast<size_t>(m) * n), vt(static_cast<size_t>(n) * n);
  std::vector<int> iwork(8 * static_cast<size_t>(n));
  int lwork = -1, info = 0;
  double query = 0;
  const auto anchor = [&](double* work) {
    if (divideAndConquer)
      dgesdd_("S", &m, &n, copy.data(), &m, s.data(), u.data(), &m, vt.data(), &n, work, &lwork, iwork.data(), &info);
    else
      dgesvd_("S", "S", &m, &n, copy.data(), &m, s.data(), u.data(), &m, vt.data(), &n, work, &lwork, &info);
  };
  anchor(&query);
  lwork = static_cast<int>(query);
  std::vector<double> work(lwork);
  qelta::TMatrix src(nullptr), ma(nullptr), v(nullptr);
  qelta::TVector w(nullptr);
  Fill(src, a, m, n);
  v.Resize(n, n);
  w.Resize(n);
  RunSideBySide(
      state,
      [&] {
        ma.Clone(&src);
        copy = a;
      },
      [&] { qelta::SvdDecompose(&ma, &v, &w); }, [&] { anchor(work.data()); });
}

void BM_CalcEigVec300(benchmark::State& state) {
  SingleThreaded();
  constexpr int n = 300, lwork = 64 * n;
  const std::vector<double> a = RandomBlock(n, n, 6, true);
  std::vector<double> z, w(n), work(lwork);
  int info = 0;
  qelta::TMatrix src(nullptr), m(nullptr);
  Fill(src, a, n, n);
  RunSideBySide(
      state,
      [&] {
        m.Clone(&src);
        z = a;
      },
      [&] { qelta::CalcEigVec(&m); },
      [&] { dsyev_("V", "U", &n, z.data(), &n, w.data(), work.data(), &lwork, &info); });
}

void BM_CalcDistMat5000x20(benchmark::State& state) {
  constexpr int n = 5000, f = 20;
  const std::vector<double> x = RandomBlock(n, f, 7);
  qelta::TMatrix data(nullptr), d(nullptr);
  Fill(data, x, n, f);
  d.Resize(n, n);
  std::vector<double> plain(static_cast<size_t>(n) * n);
  const auto t = RunSideBySide(
      state, [] {}, [&] { data.CalcDistMat(qelta::dmEuclid, &d); },
      [&] {
        for (int i = 0; i < n; ++i) {
          plain[i + static_cast<size_t>(i) * n] = 0;
          for (int j = i + 1; j < n; ++j) {
            double s = 0;
            for (int k = 0; k < f; ++k) {
              const double dd = x[i + static_cast<size_t>(k) * n] - x[j + static_cast<size_t>(k) * n];
              s += dd * dd;
            }
            plain[i + static_cast<size_t>(j) * n] = plain[j + static_cast<size_t>(i) * n] = std::sqrt(s);
          }
        }
        benchmark::DoNotOptimize(plain.data());
      });
  state.counters["pairs_per_s"] = benchmark::Counter(double(n) * (n - 1) / 2 * state.iterations() / t.ours);
}

}  // namespace

BENCHMARK(BM_Multiply1000)->Arg(2)->Arg(1)->Arg(0)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LUdecomposition500)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Invert500)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SvdDecompose)->Args({500, 500, 0})->Args({2000, 200, 0})->Args({500, 500, 1})->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcEigVec300)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcDistMat5000x20)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
