// Qelta_math2: nearest neighbours, Gaussian kernels, cluster centres, k-means and hierarchical
// clustering. References: full sorts for the neighbour lists, a plain re-implementation of the merging
// for FindCenters, and for AgglomClustering a search over member sets (single, complete, average and
// weighted linkage from the pair distances, Ward from the centroids).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "Assertions.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "VecMatTestKit.h"

using namespace qelta;

namespace {

using Rows = std::vector<std::vector<double>>;

Rows RandomRows(int n, int f, unsigned seed, double scale = 1.0) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> u(-scale, scale);
  Rows rows(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(f)));
  for (auto& r : rows)
    for (auto& v : r) v = u(gen);
  return rows;
}

void Load(TMatrix& m, const Rows& rows) { test::LoadRows(m, rows); }

// The sum of squared differences in column order, as the routines compute it.
double Sq(const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0;
  for (std::size_t c = 0; c < a.size(); ++c) s += (a[c] - b[c]) * (a[c] - b[c]);
  return s;
}

// Saves and restores the progress globals around a test.
struct TProgressGuard {
  FeedBackProcType saved = MathFeedBackProc;
  int savedStat = ProcStat;
  ~TProgressGuard() {
    MathFeedBackProc = saved;
    AbortMathProc = false;
  }
};

}  // namespace

// [SECTION] nearest neighbours

TEST(Clustering, MeanDistanceKnnEqualsTheMeanOfASortedRow) {
  // Regression for k above the rows of the range (40 and 60 for 30 rows): the list kept its start
  // values, the largest double, and the mean was infinite. k is limited to the rows of the range.
  const Rows rows = RandomRows(40, 3, 11);
  TMatrix data(nullptr);
  Load(data, rows);
  for (int k : {1, 2, 7, 40, 60}) {
    TVector mean(nullptr);
    mean.Resize(45);
    mean.Fill(-1);
    MeanDistanceKNN(&data, k, 35, 6, &mean);  // ordered: rows 6..35
    const int kk = std::min(k, 30);
    for (int i = 1; i <= 45; ++i) {
      if (i < 6 || i > 35) {
        EXPECT_EQ(mean.GetVal(i), -1.0);  // outside the range: untouched
        continue;
      }
      std::vector<double> d;
      for (int j = 6; j <= 35; ++j) d.push_back(std::sqrt(Sq(rows[static_cast<std::size_t>(i - 1)], rows[static_cast<std::size_t>(j - 1)])));
      std::sort(d.begin(), d.end());
      double s = 0;
      for (int j = 0; j < std::min(kk, 50); ++j) s += d[static_cast<std::size_t>(j)];
      EXPECT_DOUBLE_EQ(mean.GetVal(i), s / std::min(kk, 50)) << k << " " << i;
    }
    EXPECT_EQ(mean.NrOfElem(), 45);
  }
  TVector one(nullptr);
  one.Resize(40);
  MeanDistanceKNN(&data, 0, 0, 0, &one);  // k below 1 counts as 1: each row is its own nearest
  EXPECT_EQ(one.GetVal(1), 0.0);
}

TEST(Clustering, MeanDistanceKnnClampsKTo50) {
  const Rows rows = RandomRows(70, 2, 5);
  TMatrix data(nullptr);
  Load(data, rows);
  TVector a(nullptr), b(nullptr);
  a.Resize(70), b.Resize(70);
  MeanDistanceKNN(&data, 50, 1, 70, &a);
  MeanDistanceKNN(&data, 64, 1, 70, &b);
  for (int i = 1; i <= 70; ++i) EXPECT_EQ(a.GetVal(i), b.GetVal(i));
}

// A row with a NaN cell finds no finite distance, not even to itself: its k places keep their start
// value, the largest double, and their sum overflowed, so the mean was +Inf for k >= 2. A row that
// finds fewer than k finite distances counts each missing one as the largest double in its mean.
TEST(Clustering, MeanDistanceKnnOfARowWithNaNIsTheLargestDouble) {
  constexpr double kMax = std::numeric_limits<double>::max();
  const Rows rows = {{0, 0}, {std::nan(""), 1}, {3, 4}, {1, std::nan("")}};
  TMatrix data(nullptr);
  Load(data, rows);
  for (int k : {1, 2, 4}) {
    TVector mean(nullptr);
    mean.Resize(4);
    MeanDistanceKNN(&data, k, 1, 4, &mean);
    EXPECT_EQ(mean.GetVal(2), kMax) << k;
    EXPECT_EQ(mean.GetVal(4), kMax) << k;
    const double missing = k > 2 ? (k - 2) * (kMax / k) : 0.0;  // rows 1 and 3 find each other only
    EXPECT_EQ(mean.GetVal(1), (k > 1 ? 5.0 / k : 0.0) + missing) << k;
    EXPECT_EQ(mean.GetVal(3), mean.GetVal(1)) << k;
  }
}

// The k-d tree against its plain twin, all pairs, bit for bit: clustered rows with repeats (ties at
// every distance, zero ones included), coarse values on a grid, rows with NaN or infinite values
// (never a finite distance), values whose squared differences overflow, one column and many.
TEST(Clustering, MeanDistanceKnnTreeEqualsAllPairs) {
  std::mt19937_64 gen(77);
  std::normal_distribution<double> g(0, 1);
  struct TCase {
    int n, f;
    const char* kind;
  };
  const TCase cases[] = {{40, 3, "few"},          {3000, 1, "grid"},  {2500, 2, "blobs"}, {2000, 10, "blobs"},
                         {1500, 4, "nonfinite"}, {1200, 3, "huge"},  {1000, 25, "blobs"}, {700, 5, "equal"}};
  for (const TCase& c : cases) {
    std::vector<double> x(static_cast<std::size_t>(c.n) * c.f);
    for (int i = 0; i < c.n; ++i)
      for (int j = 0; j < c.f; ++j) {
        double& v = x[static_cast<std::size_t>(i) * c.f + j];
        const std::string kind = c.kind;
        if (kind == "grid") v = std::round(3 * g(gen));
        else if (kind == "equal") v = 1.5;
        else if (kind == "huge") v = (i % 3 == 0 ? 1e154 : 1) * g(gen);
        else v = (i % 7) * 4 + g(gen);  // blobs around 7 centres
        if (i % 5 == 1 && i >= 10) v = x[static_cast<std::size_t>(i - 10) * c.f + j];  // repeated rows
      }
    if (std::string(c.kind) == "nonfinite")
      for (int i = 3; i < c.n; i += 37) x[static_cast<std::size_t>(i) * c.f + i % c.f] = i % 2 ? std::nan("") : -HUGE_VAL;
    for (int k : {1, 2, 10, 50}) {
      if (k > c.n) continue;
      std::vector<double> tree(static_cast<std::size_t>(c.n)), plain(static_cast<std::size_t>(c.n));
      num_detail::MeanKnnDistances(x.data(), c.n, c.f, k, tree.data());
      num_detail::MeanKnnDistancesAllPairs(x.data(), c.n, c.f, k, plain.data());
      for (int i = 0; i < c.n; ++i)
        ASSERT_EQ(tree[static_cast<std::size_t>(i)], plain[static_cast<std::size_t>(i)]) << c.kind << " f=" << c.f << " k=" << k << " row " << i;
    }
  }
}

TEST(Clustering, NearestNeighboursEqualAStableFullSort) {
  // Rows repeat, so distances tie: the earlier row stays first.
  Rows rows = RandomRows(12, 2, 3);
  for (int i = 0; i < 12; ++i) rows.push_back(rows[static_cast<std::size_t>(i)]);
  TMatrix data(nullptr);
  Load(data, rows);
  TVector target(nullptr);
  test::FillVector(target, {0.1, -0.2});
  for (int k : {1, 5, 24}) {
    TMatrix list(nullptr);
    list.Resize(2, k);
    FindNearestNeighbors(k, &data, 3, 22, &target, &list);
    std::vector<std::pair<double, int>> ref;
    for (int r = 3; r <= 22; ++r) ref.emplace_back(std::sqrt(Sq(rows[static_cast<std::size_t>(r - 1)], {0.1, -0.2})), r);
    std::stable_sort(ref.begin(), ref.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (int i = 1; i <= std::min(k, 20); ++i) {
      EXPECT_EQ(list.GetVal(1, i), ref[static_cast<std::size_t>(i - 1)].second) << k << " " << i;
      EXPECT_DOUBLE_EQ(list.GetVal(2, i), ref[static_cast<std::size_t>(i - 1)].first) << k << " " << i;
    }
    // Places no row of the range fills: row 0 at the largest double.
    for (int i = 21; i <= k; ++i) {
      EXPECT_EQ(list.GetVal(1, i), 0.0);
      EXPECT_EQ(list.GetVal(2, i), std::numeric_limits<double>::max());
    }
  }
}

TEST(Clustering, NearestNeighboursByAGivenDistance) {
  TMatrix data(nullptr);
  data.Resize(1, 150);
  TVector target(nullptr);
  TMatrix list(nullptr);
  list.Resize(2, 120);
  list.Fill(-5);
  // |row - 7|: rows 6 and 8 tie, then 5 and 9, ...; k is limited to 100.
  FindNearestNeighbors(
      120, &data, 1, 150, &target, &list, [](int row) { return std::fabs(row - 7.0); });
  const int expected[] = {7, 6, 8, 5, 9, 4, 10};
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(list.GetVal(1, i), expected[i - 1]) << i;
  EXPECT_EQ(list.GetVal(2, 3), 1.0);
  EXPECT_EQ(list.GetVal(1, 100), 100.0);
  EXPECT_EQ(list.GetVal(1, 101), -5.0);  // the 101st place is not written
}

TEST(Clustering, EstimateByKnnWeighsItsNeighbours) {
  // Rows at 0, 1, 2, 3, 10 on a line; values 10, 20, 30, 40, 1000; query at 0.4.
  TMatrix data(nullptr);
  test::FillMatrix(data, {{0.0}, {1.0}, {2.0}, {3.0}, {10.0}});
  TVector values(nullptr), query(nullptr);
  test::FillVector(values, {10, 20, 30, 40, 1000});
  test::FillVector(query, {0.4});
  double est = 0, mean = 0;
  EstimateByKNN(&data, &values, 3, kwmAverage, 1.0, &query, est, mean);  // neighbours 0.4, 0.6, 1.6
  EXPECT_DOUBLE_EQ(est, 20.0);
  EXPECT_DOUBLE_EQ(mean, (0.4 + 0.6 + 1.6) / 3);
  EstimateByKNN(&data, &values, 4, kwmMedian, 1.0, &query, est, mean);  // 10, 20, 30, 40 -> 25
  EXPECT_DOUBLE_EQ(est, 25.0);
  EstimateByKNN(&data, &values, 3, kwmGauss, 2.0, &query, est, mean);
  const double m = (0.4 + 0.6 + 1.6) / 3;
  const double w[] = {std::exp(-std::pow(2 * 0.4 / m, 2)), std::exp(-std::pow(2 * 0.6 / m, 2)),
                      std::exp(-std::pow(2 * 1.6 / m, 2))};
  EXPECT_NEAR(est, (10 * w[0] + 20 * w[1] + 30 * w[2]) / (w[0] + w[1] + w[2]), 1e-12);
  EstimateByKNN(&data, &values, 3, kwmLinear, 1.0, &query, est, mean);  // 1.6 / m > 1: left out
  const double l0 = 1 - 0.4 / m, l1 = 1 - 0.6 / m;
  EXPECT_NEAR(est, (10 * l0 + 20 * l1) / (l0 + l1), 1e-12);
  EstimateByKNN(&data, &values, 3, kwmLinear, 0.1, &query, est, mean);  // every weight <= 0
  EXPECT_EQ(est, 0.0);
  EstimateByKNN(&data, &values, 99, kwmAverage, 1.0, &query, est, mean);  // k limited to the rows
  EXPECT_DOUBLE_EQ(est, (10 + 20 + 30 + 40 + 1000) / 5.0);
}

TEST(Clustering, EstimateByKnnWithNeighboursAtDistanceZero) {
  TMatrix data(nullptr);
  test::FillMatrix(data, {{1.0, 2.0}, {1.0, 2.0}, {1.0, 2.0}});
  TVector values(nullptr), query(nullptr);
  test::FillVector(values, {3, 6, 12});
  test::FillVector(query, {1.0, 2.0});
  double est = 0, mean = -1;
  EstimateByKNN(&data, &values, 3, kwmGauss, 5.0, &query, est, mean);
  EXPECT_EQ(mean, 0.0);
  EXPECT_DOUBLE_EQ(est, 7.0);  // every Gaussian weight exp(0) = 1
}

TEST(Clustering, GaussKernels) {
  TVector a(nullptr), b(nullptr);
  test::FillVector(a, {0, 0, 0});
  test::FillVector(b, {100, 0, 0});
  EXPECT_DOUBLE_EQ(CalcGaussKernel(&a, &b, 1.0), std::exp(-20.0));  // capped
  test::FillVector(b, {1, 2});  // the length of V2 counts
  EXPECT_DOUBLE_EQ(CalcGaussKernel(&a, &b, 2.0), std::exp(-(0.25 + 1.0)));
  TMatrix m(nullptr);
  test::FillMatrix(m, {{9.0, 9.0}, {1.0, 2.0}});
  EXPECT_DOUBLE_EQ(CalcGaussKernelMat(&a, &m, 2, 2.0), std::exp(-(0.25 + 1.0)));
  EXPECT_EQ(CalcGaussKernel(nullptr, &b, 1.0), 0.0);
}

// [SECTION] cluster centres

namespace {

// The merging as written: rows and weights, closest pair p < q by a fresh scan (start +inf), weighted
// centroid into p, the last row into q.
Rows ReferenceCenters(Rows rows, int num, double& meanDist) {
  std::vector<double> w(rows.size(), 1.0);
  while (static_cast<int>(rows.size()) > num) {
    double best = std::numeric_limits<double>::infinity();
    std::size_t p = 0, q = 1;
    for (std::size_t a = 0; a < rows.size(); ++a)
      for (std::size_t b = a + 1; b < rows.size(); ++b)
        if (Sq(rows[a], rows[b]) < best) best = Sq(rows[a], rows[b]), p = a, q = b;
    for (std::size_t c = 0; c < rows[p].size(); ++c) rows[p][c] = (w[p] * rows[p][c] + w[q] * rows[q][c]) / (w[p] + w[q]);
    w[p] += w[q];
    rows[q] = rows.back(), w[q] = w.back();
    rows.pop_back(), w.pop_back();
  }
  double s = 0;
  for (std::size_t i = 0; i < rows.size() && rows.size() > 1; ++i) {
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t j = 0; j < rows.size(); ++j)
      if (j != i) nearest = std::min(nearest, Sq(rows[i], rows[j]));
    s += std::sqrt(nearest);
  }
  meanDist = s / static_cast<double>(rows.size());
  return rows;
}

}  // namespace

TEST(Clustering, FindCentersMergesTheClosestPairsLikeThePlainScan) {
  const Rows rows = RandomRows(30, 3, 21);
  TMatrix data(nullptr);
  Load(data, rows);
  const String crc = data.CRCofData();
  for (int num : {1, 2, 5, 17, 20}) {
    TMatrix centers(nullptr);
    centers.Resize(4, num);
    double meanDist = -1, refMean = 0;
    FindCenters(&data, 5, 24, num, &centers, meanDist);
    const Rows ref = ReferenceCenters(Rows(rows.begin() + 4, rows.begin() + 24), num, refMean);
    for (int i = 1; i <= num; ++i) {
      for (int c = 1; c <= 3; ++c) EXPECT_EQ(centers.GetVal(c, i), ref[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(c - 1)]) << num;
      EXPECT_EQ(centers.GetVal(4, i), 0.0);  // columns beyond the data
    }
    EXPECT_DOUBLE_EQ(meanDist, refMean) << num;
  }
  EXPECT_EQ(data.CRCofData(), crc);  // Data untouched
}

TEST(Clustering, FindCentersWritesNoFileAndReachesFarPairs) {
  // Regression: the routine saved Data to "MAT.$$$" in the current directory and reloaded it; its
  // searches started at 1e10 (squared), so pairs more than 1e5 apart never merged and MeanDist was
  // capped at 1e5.
  const std::filesystem::path scratch = std::filesystem::current_path() / "MAT.$$$";
  const bool existed = std::filesystem::exists(scratch);
  TMatrix data(nullptr);
  test::FillMatrix(data, {{0.0, 0.0}, {1.0, 0.0}, {1e6, 0.0}});
  TMatrix centers(nullptr);
  centers.Resize(2, 2);
  double meanDist = 0;
  FindCenters(&data, 1, 3, 2, &centers, meanDist);
  EXPECT_EQ(centers.GetVal(1, 1), 0.5);
  EXPECT_EQ(centers.GetVal(1, 2), 1e6);
  EXPECT_DOUBLE_EQ(meanDist, 1e6 - 0.5);
  FindCenters(&data, 1, 3, 1, &centers, meanDist);
  EXPECT_DOUBLE_EQ(centers.GetVal(1, 1), (0.5 * 2 + 1e6) / 3);
  EXPECT_EQ(meanDist, 0.0);  // one centre
  FindCenters(&data, 1, 3, 0, &centers, meanDist);  // below 1 counts as 1
  EXPECT_DOUBLE_EQ(centers.GetVal(1, 1), (0.5 * 2 + 1e6) / 3);
  centers.Resize(2, 5);
  centers.Fill(-1);
  FindCenters(&data, 3, 1, 9, &centers, meanDist);  // more centres than rows: every row one
  EXPECT_EQ(centers.GetVal(1, 3), 1e6);
  EXPECT_EQ(centers.GetVal(1, 4), -1.0);
  EXPECT_EQ(std::filesystem::exists(scratch), existed);
}

TEST(Clustering, FindCentersStepsProcStatPerMerge) {
  TProgressGuard guard;
  int calls = 0;
  MathFeedBackProc = [&](int) { ++calls; };
  TMatrix data(nullptr), centers(nullptr);
  Load(data, RandomRows(10, 2, 2));
  centers.Resize(2, 3);
  double meanDist = 0;
  const int before = ProcStat;
  FindCenters(&data, 1, 10, 3, &centers, meanDist);
  EXPECT_EQ(ProcStat - before, 7);
  EXPECT_EQ(calls, 7);
}

// [SECTION] k-means

TEST(Clustering, KMeansWithOneClusterPerRowEndsAfterTheSecondPass) {
  TProgressGuard guard;
  const Rows rows = RandomRows(6, 2, 8);
  TMatrix data(nullptr), centers(nullptr);
  Load(data, rows);
  TIntVector assignment(nullptr);
  assignment.Resize(6);
  const int before = ProcStat;
  kMeansClustering(&data, 0, 0, 6, &centers, &assignment);
  EXPECT_EQ(ProcStat - before, 2);
  EXPECT_EQ(centers.NrOfColumns(), 2);
  EXPECT_EQ(centers.NrOfRows(), 6);
  for (int r = 1; r <= 6; ++r) {
    EXPECT_EQ(assignment.GetVal(r), r);
    for (int c = 1; c <= 2; ++c) EXPECT_EQ(centers.GetVal(c, r), rows[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
  }
}

TEST(Clustering, KMeansEndsInAFixedPoint) {
  const Rows rows = RandomRows(300, 3, 17);
  TMatrix data(nullptr), centers(nullptr);
  Load(data, rows);
  TIntVector assignment(nullptr);
  kMeansClustering(&data, 100, 5, 7, &centers, &assignment);  // the two rows are not read
  ASSERT_EQ(assignment.NrOfElem(), 300);
  std::vector<std::vector<double>> sums(7, std::vector<double>(3, 0.0));
  std::vector<int> counts(7, 0);
  for (int r = 1; r <= 300; ++r) {
    const std::vector<double>& x = rows[static_cast<std::size_t>(r - 1)];
    int best = 0;
    double bestD = 1.7e308;
    for (int j = 1; j <= 7; ++j) {
      const double d = Sq(x, {centers.GetVal(1, j), centers.GetVal(2, j), centers.GetVal(3, j)});
      if (d < bestD) bestD = d, best = j;
    }
    EXPECT_EQ(assignment.GetVal(r), best) << r;
    ++counts[static_cast<std::size_t>(best - 1)];
    for (int c = 0; c < 3; ++c) sums[static_cast<std::size_t>(best - 1)][static_cast<std::size_t>(c)] += x[static_cast<std::size_t>(c)];
  }
  for (int j = 1; j <= 7; ++j)
    for (int c = 1; c <= 3; ++c)
      EXPECT_NEAR(centers.GetVal(c, j), counts[static_cast<std::size_t>(j - 1)] ? sums[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(c - 1)] / counts[static_cast<std::size_t>(j - 1)] : 0.0, 1e-15);
}

TEST(Clustering, KMeansRefusesMoreClustersThanObjects) {
  TMatrix data(nullptr), centers(nullptr);
  Load(data, RandomRows(4, 2, 1));
  TIntVector assignment(nullptr);
  EXPECT_THROW_MSG(kMeansClustering(&data, 0, 0, 5, &centers, &assignment), EQeltaMath2Error,
                   "kMeansClustering: number of clusters is greater than number of objects");
  EXPECT_EQ(assignment.NrOfElem(), 1);  // nothing resized
}

// [SECTION] hierarchical clustering

namespace {

struct TRefResult {
  std::vector<std::array<int, 3>> rows;
  std::vector<double> dist;
};

// Merges by member sets: every step compares the cluster distance of all active slot pairs c < b and
// merges the least into slot b. Average is the weighted pair-group mean over the merge tree.
TRefResult ReferenceAgglom(const Rows& x, TClusterMethod method) {
  const int n = static_cast<int>(x.size());
  auto d0 = [&](int i, int j) {
    const double s = Sq(x[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(j)]);
    return method == cmWard ? s : std::sqrt(s);
  };
  std::vector<std::vector<int>> members(static_cast<std::size_t>(n));
  std::vector<int> id(static_cast<std::size_t>(n));
  std::vector<bool> active(static_cast<std::size_t>(n), true);
  std::map<int, std::pair<int, int>> parts;      // cluster id -> its two parts
  std::map<int, std::vector<int>> idMembers;     // cluster id -> objects (0-based)
  for (int i = 0; i < n; ++i) members[static_cast<std::size_t>(i)] = {i}, id[static_cast<std::size_t>(i)] = i + 1, idMembers[i + 1] = {i};
  std::function<double(int, int)> weighted = [&](int a, int b) -> double {
    if (a <= n && b <= n) return d0(a - 1, b - 1);
    if (a < b) std::swap(a, b);  // split the later cluster
    return (weighted(parts[a].first, b) + weighted(parts[a].second, b)) / 2;
  };
  auto clusterDist = [&](int c, int b) {
    const std::vector<int>&A = members[static_cast<std::size_t>(c)], &B = members[static_cast<std::size_t>(b)];
    if (method == cmAvgLink) return weighted(id[static_cast<std::size_t>(c)], id[static_cast<std::size_t>(b)]);
    if (method == cmWard) {
      std::vector<double> ca(x[0].size(), 0.0), cb(x[0].size(), 0.0);
      for (int i : A)
        for (std::size_t k = 0; k < ca.size(); ++k) ca[k] += x[static_cast<std::size_t>(i)][k] / A.size();
      for (int i : B)
        for (std::size_t k = 0; k < cb.size(); ++k) cb[k] += x[static_cast<std::size_t>(i)][k] / B.size();
      const double na = static_cast<double>(A.size()), nb = static_cast<double>(B.size());
      return 2 * na * nb / (na + nb) * Sq(ca, cb);  // twice the rise of the within-cluster sum of squares
    }
    double lo = std::numeric_limits<double>::infinity(), hi = 0, sum = 0;
    for (int i : A)
      for (int j : B) lo = std::min(lo, d0(i, j)), hi = std::max(hi, d0(i, j)), sum += d0(i, j);
    if (method == cmSingleLink) return lo;
    if (method == cmCompleteLink) return hi;
    return sum / static_cast<double>(A.size() * B.size());  // cmUpgma
  };
  TRefResult r;
  for (int j = 1; j < n; ++j) {
    double best = std::numeric_limits<double>::infinity();
    int c = -1, b = -1;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n && active[static_cast<std::size_t>(p)]; ++q)
        if (active[static_cast<std::size_t>(q)] && clusterDist(p, q) < best) best = clusterDist(p, q), c = p, b = q;
    r.rows.push_back({id[static_cast<std::size_t>(c)], id[static_cast<std::size_t>(b)], n + j});
    r.dist.push_back(best);
    parts[n + j] = {id[static_cast<std::size_t>(c)], id[static_cast<std::size_t>(b)]};
    members[static_cast<std::size_t>(b)].insert(members[static_cast<std::size_t>(b)].end(), members[static_cast<std::size_t>(c)].begin(),
                                                 members[static_cast<std::size_t>(c)].end());
    active[static_cast<std::size_t>(c)] = false;
    id[static_cast<std::size_t>(b)] = n + j;
  }
  return r;
}

// Leaf positions from a dendrogram by recursive expansion (second part first below the root).
std::vector<double> ReferenceXPos(const std::vector<std::array<int, 3>>& rows, int n) {
  std::vector<double> pos(static_cast<std::size_t>(2 * n), 0.0);
  int next = 1;
  std::function<void(int)> expand = [&](int id) {
    if (id <= n) {
      pos[static_cast<std::size_t>(id)] = next++;
      return;
    }
    expand(rows[static_cast<std::size_t>(id - n - 1)][1]);
    expand(rows[static_cast<std::size_t>(id - n - 1)][0]);
  };
  expand(rows.back()[0]);
  expand(rows.back()[1]);
  for (int j = 1; j < n; ++j)
    pos[static_cast<std::size_t>(n + j)] =
        (pos[static_cast<std::size_t>(rows[static_cast<std::size_t>(j - 1)][0])] + pos[static_cast<std::size_t>(rows[static_cast<std::size_t>(j - 1)][1])]) / 2;
  return pos;
}

struct TAgglomRun {
  TIntMatrix dendrogram{nullptr};
  TVector mergeDist{nullptr}, xpos{nullptr};
  int result = 0;
  TAgglomRun(TMatrix& data, TDistMode mode, TClusterMethod method, double flex = 0.5, const TFeedbackProc& fb = nullptr,
             const TOnCalcDistanceEvent& dist = nullptr) {
    result = AgglomClustering(nullptr, &data, mode, method, flex, &dendrogram, &mergeDist, &xpos, fb, dist);
  }
};

}  // namespace

TEST(Clustering, AgglomerationEqualsTheMemberSetReference) {
  // Also the regression of the Ward and flexible updates: D(c, b) was updated in place, so the update
  // for k = c overwrote it before the later k read it, and Ward merged the wrong pairs.
  const struct {
    TClusterMethod method;
    TDistMode mode;
  } cases[] = {{cmSingleLink, dmEuclid}, {cmCompleteLink, dmEuclid}, {cmUpgma, dmEuclid},
               {cmAvgLink, dmEuclid},    {cmWard, dmEuclidSqr}};
  for (const auto& c : cases)
    for (unsigned seed : {1u, 2u, 3u}) {
      const Rows rows = RandomRows(14, 3, seed);
      TMatrix data(nullptr);
      Load(data, rows);
      TAgglomRun run(data, c.mode, c.method);
      const TRefResult ref = ReferenceAgglom(rows, c.method);
      ASSERT_EQ(run.result, 0);
      ASSERT_EQ(run.dendrogram.NrOfColumns(), 3);
      ASSERT_EQ(run.dendrogram.NrOfRows(), 13);
      for (int j = 1; j <= 13; ++j) {
        for (int k = 1; k <= 3; ++k)
          EXPECT_EQ(run.dendrogram.GetVal(k, j), ref.rows[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(k - 1)])
              << int(c.method) << " seed " << seed << " merge " << j;
        EXPECT_NEAR_REL(run.mergeDist.GetVal(j), ref.dist[static_cast<std::size_t>(j - 1)], 1e-12);
      }
      const std::vector<double> pos = ReferenceXPos(ref.rows, 14);
      ASSERT_EQ(run.xpos.NrOfElem(), 27);
      for (int i = 1; i <= 27; ++i) EXPECT_EQ(run.xpos.GetVal(i), pos[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(Clustering, AgglomerationOfTwoRowsAndFewer) {
  TMatrix data(nullptr);
  test::FillMatrix(data, {{0.0}, {3.0}});
  TAgglomRun two(data, dmEuclid, cmSingleLink);
  EXPECT_EQ(two.result, 0);
  EXPECT_EQ(test::RowsOf<int32_t>(two.dendrogram), (test::TRowsOf<int32_t>{{1, 2, 3}}));
  EXPECT_EQ(two.mergeDist.GetVal(1), 3.0);
  EXPECT_EQ(test::ElementsOf(two.xpos), (std::vector<double>{1, 2, 1.5}));
  test::FillMatrix(data, {{5.0}});
  TAgglomRun one(data, dmEuclid, cmWard);
  EXPECT_EQ(one.result, 0);
  EXPECT_EQ(one.dendrogram.NrOfRows(), 0);
  EXPECT_EQ(one.xpos.GetVal(1), 1.0);
}

TEST(Clustering, FlexibleLinkageOnAHandExample) {
  // Points 0, 1, 5 on a line: merge (1, 2) at 1; then D(new, 3) = (5 + 4) F + 1 (1 - 2F).
  TMatrix data(nullptr);
  test::FillMatrix(data, {{0.0}, {1.0}, {5.0}});
  for (double f : {0.25, 0.5, 0.8, 2.0}) {
    TAgglomRun run(data, dmEuclid, cmFlexLink, f);
    const double F = std::clamp(f, 0.5, 1.0);
    EXPECT_EQ(run.mergeDist.GetVal(1), 1.0);
    EXPECT_DOUBLE_EQ(run.mergeDist.GetVal(2), 9 * F + (1 - 2 * F));
    EXPECT_EQ(test::RowsOf<int32_t>(run.dendrogram), (test::TRowsOf<int32_t>{{1, 2, 4}, {4, 3, 5}}));
  }
}

TEST(Clustering, AgglomerationReportsProgressAndStopsOnAbort) {
  TProgressGuard guard;
  TMatrix data(nullptr);
  Load(data, RandomRows(10, 2, 4));
  std::vector<double> percents;
  int stats = 0;
  MathFeedBackProc = [&](int) { ++stats; };
  TAgglomRun run(data, dmEuclid, cmCompleteLink, 0.5, [&](TObject*, int, double p) { percents.push_back(p); });
  EXPECT_EQ(stats, 9);
  ASSERT_EQ(percents.size(), 10u);
  EXPECT_EQ(percents[0], 0.0);
  EXPECT_DOUBLE_EQ(percents[9], 90.0);
  // An abort during the fourth merge ends the run before the fifth.
  int steps = 0;
  MathFeedBackProc = [&](int) {
    if (++steps == 4) AbortMathProc = true;
  };
  AbortMathProc = true;  // cleared at the start
  TAgglomRun aborted(data, dmEuclid, cmCompleteLink);
  EXPECT_EQ(aborted.result, -1);
  EXPECT_EQ(steps, 4);
  EXPECT_TRUE(aborted.xpos.IsEmpty());
  EXPECT_TRUE(aborted.mergeDist.IsEmpty());
  for (int j = 1; j <= 9; ++j) EXPECT_EQ(aborted.dendrogram.GetVal(1, j), 0);
}

TEST(Clustering, AgglomerationRestoresTheDistanceEvent) {
  TMatrix data(nullptr);
  Load(data, RandomRows(5, 1, 6));
  int mine = 0, theirs = 0;
  data.OnCalcDistance = [&](TObject*, int, int, double& d) { ++theirs, d = 1; };
  TAgglomRun run(data, dmUserDef, cmSingleLink, 0.5, nullptr,
                 [&](TObject*, int r1, int r2, double& d) { ++mine, d = std::abs(r1 - r2); });
  EXPECT_EQ(mine, 10);
  EXPECT_EQ(theirs, 0);
  EXPECT_EQ(run.mergeDist.GetVal(1), 1.0);
  double d = 0;
  data.OnCalcDistance(nullptr, 1, 2, d);
  EXPECT_EQ(theirs, 1);  // the previous handler is back
  // Also when the handler raises.
  EXPECT_THROW(TAgglomRun(data, dmUserDef, cmSingleLink, 0.5, nullptr,
                          [](TObject*, int, int, double&) { throw EQeltaMath2Error(u"stop"); }),
               EQeltaMath2Error);
  data.OnCalcDistance(nullptr, 1, 2, d);
  EXPECT_EQ(theirs, 2);
}

TEST(Clustering, AgglomerationOfInfiniteDistancesMergesTheFirstPair) {
  TMatrix data(nullptr);
  test::FillMatrix(data, {{0.0}, {1.0}, {2.0}});
  TAgglomRun run(data, dmUserDef, cmSingleLink, 0.5, nullptr,
                 [](TObject*, int, int, double& d) { d = std::numeric_limits<double>::infinity(); });
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(test::RowsOf<int32_t>(run.dendrogram), (test::TRowsOf<int32_t>{{1, 2, 4}, {4, 3, 5}}));
}
