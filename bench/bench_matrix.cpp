// Matrix and fingerprint speed beside plain anchors doing the same job: cell access through the
// public API against a raw column-major block, CopyFrom and Transpose against std::copy and a
// plain transpose, SortRows (comb sort with exchange events) against std::sort of row indices
// plus the permutation, sparse inserts at two growth steps against std::map, CRCofData against
// zlib's crc32 over the same bytes (and over the same lane bytes, 8 lanes of doubles, 4 of
// integers), the dense integer product against Eigen's int32 product. Each benchmark times both sides
// per iteration; the reported time is Qelta's, the counters give the anchor's time and the ratio
// Qelta / anchor.

#include <Eigen/Dense>
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <vector>

#include "Qelta_matrix.h"
#include "Random.h"
#include "SideBySide.h"

namespace {

using qelta::bench::RunSideBySide;
using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

void BM_CellAccess2000(benchmark::State& state) {
  constexpr int n = 2000;
  qelta::TMatrix m(nullptr);
  m.Resize(n, n);
  std::vector<double> raw(static_cast<size_t>(n) * n);
  TSideBySide t;
  for (auto _ : state) {
    double s1 = 0, s2 = 0;
    const double ours = Seconds([&] {
      for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= n; ++r) m.SetVal(c, r, c + r);
      for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= n; ++r) s1 += m.GetVal(c, r);
    });
    const double anchorTime = Seconds([&] {
      for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) raw[static_cast<size_t>(c) * n + r] = c + r + 2;
      for (double v : raw) s2 += v;
    });
    benchmark::DoNotOptimize(s1 + s2);
    t.Add(state, ours, anchorTime);
  }
  t.Report(state);
}

void BM_CopyFrom2000(benchmark::State& state) {
  constexpr int n = 2000;
  qelta::TMatrix a(nullptr), b(nullptr);
  a.Resize(n, n);
  b.Resize(n, n);
  a.FillRandomUniform(0, 1);
  std::vector<double> src(static_cast<size_t>(n) * n, 1.0), dst(src.size());
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] { b.CopyFrom(&a, 0, 0, n, n, 1, 1); });
    const double anchorTime = Seconds([&] { std::copy(src.begin(), src.end(), dst.begin()); });
    benchmark::DoNotOptimize(dst.data());
    t.Add(state, ours, anchorTime);
  }
  t.Report(state);
}

void BM_Transpose2000(benchmark::State& state) {
  constexpr int n = 2000;
  qelta::TMatrix a(nullptr);
  a.Resize(n, n + 1);
  std::vector<double> src(static_cast<size_t>(n) * (n + 1), 1.0), dst(src.size());
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] { a.Transpose(); });
    const double anchorTime = Seconds([&] {
      std::vector<double> next(src.size());
      for (int c = 0; c < n; ++c)
        for (int r = 0; r <= n; ++r) next[static_cast<size_t>(r) * n + c] = src[static_cast<size_t>(c) * (n + 1) + r];
      dst.swap(next);
    });
    benchmark::DoNotOptimize(dst.data());
    t.Add(state, ours, anchorTime);
  }
  t.Report(state);
}

void BM_SortRows1e6x10(benchmark::State& state) {
  constexpr int rows = 1000000, cols = 10;
  TSideBySide t;
  for (auto _ : state) {
    qelta::TMatrix m(nullptr);
    m.Resize(cols, rows);
    qelta::RandSeed = 1;
    m.FillRandomUniform(0, 1);
    std::vector<std::vector<double>> plain(cols, std::vector<double>(rows));
    for (int c = 0; c < cols; ++c)
      for (int r = 0; r < rows; ++r) plain[c][r] = m.GetVal(c + 1, r + 1);
    long exchanges = 0;
    m.OnSortExchange = [&](qelta::TObject*, uint8_t, int, int, int, int) { ++exchanges; };
    const double ours = Seconds([&] { m.SortRows(1, true, 0, 0, 0, 0); });
    const double anchorTime = Seconds([&] {
      std::vector<int> idx(rows);
      std::iota(idx.begin(), idx.end(), 0);
      std::sort(idx.begin(), idx.end(), [&](int a, int b) { return plain[0][a] < plain[0][b]; });
      std::vector<double> tmp(rows);
      for (auto& col : plain) {
        for (int r = 0; r < rows; ++r) tmp[r] = col[idx[r]];
        col.swap(tmp);
      }
    });
    benchmark::DoNotOptimize(exchanges);
    t.Add(state, ours, anchorTime);
  }
  t.Report(state);
}

void BM_SparseInserts1e5(benchmark::State& state) {
  const int allocBy = static_cast<int>(state.range(0));
  constexpr int count = 100000, span = 10000;
  std::mt19937 gen(7);
  std::vector<std::pair<int, int>> cells(count);
  for (auto& c : cells) c = {static_cast<int>(gen() % span) + 1, static_cast<int>(gen() % span) + 1};
  TSideBySide t;
  for (auto _ : state) {
    qelta::TIntMatrix m(nullptr, {allocBy});
    std::map<std::pair<int, int>, int> anchor;
    const double ours = Seconds([&] {
      for (const auto& [c, r] : cells) m.SetVal(c, r, c ^ r);
    });
    const double anchorTime = Seconds([&] {
      for (const auto& [c, r] : cells) anchor[{c, r}] = c ^ r;
    });
    benchmark::DoNotOptimize(m.SparseNumElem() + static_cast<int>(anchor.size()));
    t.Add(state, ours, anchorTime);
  }
  t.Report(state);
}

void BM_CRCofData1e8Bytes(benchmark::State& state) {
  qelta::TMatrix m(nullptr);
  m.Resize(3125, 4000);  // 12.5 million doubles, 10^8 bytes
  qelta::RandSeed = 3;
  m.FillRandomUniform(-1, 1);
  std::vector<uint8_t> bytes(100000000);
  std::mt19937_64 gen(3);
  for (size_t i = 0; i < bytes.size(); i += 8) {
    const uint64_t v = gen();
    for (int k = 0; k < 8; ++k) bytes[i + k] = static_cast<uint8_t>(v >> (8 * k));
  }
  TSideBySide t;
  for (auto _ : state) {
    qelta::String crc;
    uLong z = 0;
    const double ours = Seconds([&] { crc = m.CRCofData(); });
    const double anchorTime = Seconds([&] { z = crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())); });
    benchmark::DoNotOptimize(crc.size() + z);
    t.Add(state, ours, anchorTime);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 100000000);
  t.Report(state);
}

// The lane bytes of a fingerprint: lane k holds byte k of every element, in storage order.
std::vector<std::vector<uint8_t>> LaneBytes(const uint8_t* data, size_t elements, size_t lanes) {
  std::vector<std::vector<uint8_t>> out(lanes, std::vector<uint8_t>(elements));
  for (size_t i = 0; i < elements; ++i)
    for (size_t k = 0; k < lanes; ++k) out[k][i] = data[i * lanes + k];
  return out;
}

uLong ZlibOverLanes(const std::vector<std::vector<uint8_t>>& lanes) {
  uLong sum = 0;
  for (const auto& lane : lanes) sum += crc32(0L, lane.data(), static_cast<uInt>(lane.size()));
  return sum;
}

// CRCofData of 2000 x 2000 doubles (32 MB) and integers (16 MB) beside zlib over the same lane bytes,
// separated beforehand (the anchor does not pay for gathering the lanes).
void BM_CRCofDataLanes_Double(benchmark::State& state) {
  qelta::TMatrix m(nullptr);
  m.Resize(2000, 2000);
  qelta::RandSeed = 4;
  m.FillRandomUniform(-1, 1);
  std::vector<double> cells;
  for (int c = 1; c <= 2000; ++c)
    for (int r = 1; r <= 2000; ++r) cells.push_back(m.GetVal(c, r));
  const auto lanes = LaneBytes(reinterpret_cast<const uint8_t*>(cells.data()), cells.size(), 8);
  RunSideBySide(state, [&] { benchmark::DoNotOptimize(m.CRCofData()); }, [&] { benchmark::DoNotOptimize(ZlibOverLanes(lanes)); });
}

void BM_CRCofDataLanes_Int(benchmark::State& state) {
  qelta::TIntMatrix m(nullptr);
  m.Resize(2000, 2000);
  std::mt19937 gen(5);
  std::vector<int32_t> cells;
  for (int c = 1; c <= 2000; ++c)
    for (int r = 1; r <= 2000; ++r) {
      m.SetVal(c, r, static_cast<int32_t>(gen()));
      cells.push_back(m.GetVal(c, r));
    }
  const auto lanes = LaneBytes(reinterpret_cast<const uint8_t*>(cells.data()), cells.size(), 4);
  RunSideBySide(state, [&] { benchmark::DoNotOptimize(m.CRCofData()); }, [&] { benchmark::DoNotOptimize(ZlibOverLanes(lanes)); });
}

// TIntMatrix.Multiply of two dense 500 x 500 matrices beside Eigen's int32 product (wrapping alike).
void BM_IntMultiply500(benchmark::State& state) {
  constexpr int n = 500;
  qelta::TIntMatrix a(nullptr), b(nullptr), c(nullptr);
  a.Resize(n, n), b.Resize(n, n), c.Resize(n, n);
  Eigen::MatrixXi ea(n, n), eb(n, n), ec(n, n);
  std::mt19937 gen(6);
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= n; ++i) {
      const int32_t x = static_cast<int32_t>(gen() % 2001) - 1000, y = static_cast<int32_t>(gen() % 2001) - 1000;
      a.SetVal(j, i, x), b.SetVal(j, i, y);
      ea(i - 1, j - 1) = x, eb(i - 1, j - 1) = y;
    }
  RunSideBySide(state, [&] { a.Multiply(&b, &c); }, [&] { ec.noalias() = ea * eb; });
  if (c.GetVal(7, 9) != ec(8, 6)) state.SkipWithError("the products differ");
}

}  // namespace

BENCHMARK(BM_CellAccess2000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFrom2000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Transpose2000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortRows1e6x10)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SparseInserts1e5)->Arg(1)->Arg(1000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CRCofData1e8Bytes)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CRCofDataLanes_Double)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CRCofDataLanes_Int)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IntMultiply500)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
