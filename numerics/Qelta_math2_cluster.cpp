// Qelta_math2: nearest neighbours, Gaussian kernels, cluster centres, k-means and hierarchical
// clustering of the rows of a data matrix.
//
// The routines copy the rows they use into private blocks first (the data stays untouched) and write
// their results through the element writers. Distances are computed as the sum of the squared
// differences over the columns in column order (and its root where Euclidean), so stored and
// recomputed distances agree bit for bit.
// Nearest-neighbour lists keep the k smallest distances in ascending order; a new distance enters only
// when strictly below the last kept one and goes behind equal ones, which gives the earlier row first
// (the same list as a stable full sort). The list starts full of the largest double, so NaN and
// infinite distances never enter.
// AgglomClustering: the Lance-Williams scheme (G. N. Lance, W. T. Williams, Computer J. 9 (1967) 373):
//   single     min(D(i,k), D(j,k))
//   complete   max(D(i,k), D(j,k))
//   Ward       (D(i,k)(n_i + n_k) + D(j,k)(n_j + n_k) - D(i,j) n_k) / (n_i + n_j + n_k)
//   average    (D(i,k) + D(j,k)) / 2                      (weighted pair-group, WPGMA)
//   flexible   (D(i,k) + D(j,k)) F + D(i,j)(1 - 2F)
//   UPGMA      (n_i D(i,k) + n_j D(j,k)) / (n_i + n_j)
// for the merged pair (i, j) = (c, b) and every other active cluster k. The pair search keeps, for every
// active row c, the least D(c, b) over the active b > c (the first of equals) and takes the first row
// of least value: the same pair as a scan of all pairs by c, then b, in O(N) per merge instead of
// O(N^2); a row is scanned again only when its least entry moved or grew.
// Decisions on faults:
//  - AgglomClustering keeps D(c, b) before the updates: updated in place, the cell was overwritten
//    at k = c before the Ward and flexible updates of the later k read it, which gave wrong merges.
//  - FindCenters works on a copy (it saved Data to "MAT.$$$" in the current directory, silently did
//    nothing where that was read-only, overwrote a user's file of that name and left Data changed
//    when the reload failed); its searches start at +infinity (from 1e10, pairs farther apart than
//    1e5 were never found and MeanDist was capped at 1e5); one centre gives MeanDist 0; NumCenters
//    below 1 counts as 1 and above the rows of the range as their count (centres beyond the range
//    were rows after LastRow).
//  - MeanDistanceKNN limits k to the rows of its range: beyond them the list held its start values
//    (the largest double), and the mean was infinite.
//  - MeanDistanceKNN searches a k-d tree (Qelta_math2_knn.cpp) instead of comparing every pair of
//    rows, with the same numbers: n log n instead of n^2 for data of a few columns.

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "Qelta_linalg_internal.h"
#include "Qelta_math1_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "Qelta_stats_internal.h"

namespace qelta {
namespace {

using num_detail::StepProcStat;

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// [SECTION] blocks and distances

/// Rows lo..hi (1-based) of the data, columns 1..f, row-major: row r starts at (r - lo) f.
std::vector<double> RowBlock(const TMatrix& data, int lo, int hi, int f) {
  std::vector<double> x(static_cast<std::size_t>(hi - lo + 1) * static_cast<std::size_t>(f));
  for (int r = lo; r <= hi; ++r)
    for (int c = 1; c <= f; ++c) x[static_cast<std::size_t>(r - lo) * f + static_cast<std::size_t>(c - 1)] = data.GetVal(c, r);
  return x;
}

/// Sum of the squared differences of two rows of f values.
double SquaredDistance(const double* a, const double* b, int f) {
  double s = 0;
  for (int c = 0; c < f; ++c) s += (a[c] - b[c]) * (a[c] - b[c]);
  return s;
}

/// The k smallest distances with their rows, ascending; equal distances keep their order of entry.
class TNearest {
 public:
  explicit TNearest(int k) : FDist(static_cast<std::size_t>(k), kLargest), FRow(static_cast<std::size_t>(k), 0) {}
  void Offer(double d, int row) {
    if (!(d < FDist.back())) return;
    const auto at = std::upper_bound(FDist.begin(), FDist.end() - 1, d) - FDist.begin();
    std::copy_backward(FDist.begin() + at, FDist.end() - 1, FDist.end());
    std::copy_backward(FRow.begin() + at, FRow.end() - 1, FRow.end());
    FDist[static_cast<std::size_t>(at)] = d;
    FRow[static_cast<std::size_t>(at)] = row;
  }
  int Count() const { return static_cast<int>(FDist.size()); }
  double Dist(int i) const { return FDist[static_cast<std::size_t>(i)]; }
  int Row(int i) const { return FRow[static_cast<std::size_t>(i)]; }
  double Mean() const {
    double s = 0;
    for (double d : FDist) s += d;
    return s / Count();
  }

 private:
  std::vector<double> FDist;
  std::vector<int> FRow;
};

/// The k nearest rows of lo..hi to the target: by dist(row) when given, else Euclidean over the
/// target's elements (cells beyond the data read 0).
TNearest NearestRows(const TMatrix& data, int lo, int hi, int k, const TVector& target, const TCalcDistFunc& dist) {
  TNearest list(k);
  for (int r = lo; r <= hi; ++r) {
    double d = 0;
    if (dist) {
      d = dist(r);
    } else {
      for (int c = 1; c <= target.NrOfElem(); ++c) d += (data.GetVal(c, r) - target.GetVal(c)) * (data.GetVal(c, r) - target.GetVal(c));
      d = std::sqrt(d);
    }
    list.Offer(d, r);
  }
  return list;
}

/// The range rule of MeanDistanceKNN and FindCenters: each bound clamped to 1..rows, then ordered.
void ClampRows(int rows, int& lo, int& hi) {
  lo = num_detail::ClampInt(lo, 1, rows);
  hi = num_detail::ClampInt(hi, 1, rows);
  if (hi < lo) std::swap(lo, hi);
}

}  // namespace

// [SECTION] nearest neighbours

void MeanDistanceKNN(const TMatrix* Data, int k, int FirstRow, int LastRow, TVector* MeanDist) {
  if (Data == nullptr || MeanDist == nullptr || Data->NrOfRows() < 1) return;
  ClampRows(Data->NrOfRows(), FirstRow, LastRow);
  const int n = LastRow - FirstRow + 1, f = Data->NrOfColumns();
  k = std::min(num_detail::ClampInt(k, 1, 50), n);
  std::vector<double> mean;
  num_detail::GuardMemory(u"MeanDistanceKNN", [&] {
    const std::vector<double> x = RowBlock(*Data, FirstRow, LastRow, f);
    mean.resize(static_cast<std::size_t>(n));
    num_detail::MeanKnnDistances(x.data(), n, f, k, mean.data());
  });
  for (int i = 0; i < n; ++i) MeanDist->SetVal(FirstRow + i, mean[static_cast<std::size_t>(i)]);
}

void FindNearestNeighbors(int k, const TMatrix* Data, int FirstRow, int LastRow, const TVector* Target,
                          TMatrix* KNNList, const TCalcDistFunc& CalcDist) {
  if (Data == nullptr || Target == nullptr || KNNList == nullptr) return;
  k = std::min({k, 100, Data->NrOfRows()});
  if (k < 1) return;
  const TNearest list =
      NearestRows(*Data, std::max(FirstRow, 1), std::min(LastRow, Data->NrOfRows()), k, *Target, CalcDist);
  for (int i = 0; i < k; ++i) {
    KNNList->SetVal(1, i + 1, list.Row(i));
    KNNList->SetVal(2, i + 1, list.Dist(i));
  }
}

void EstimateByKNN(const TMatrix* Data, const TVector* Values, int k, TKnnWMode WMode, double Param,
                   const TVector* Query, double& Estimate, double& MeanDist) {
  if (Data == nullptr || Values == nullptr || Query == nullptr || Data->NrOfRows() < 1) return;
  k = num_detail::ClampInt(k, 1, Data->NrOfRows());
  const TNearest list = NearestRows(*Data, 1, Data->NrOfRows(), k, *Query, nullptr);
  MeanDist = list.Mean();
  const double mean = MeanDist == 0 ? 0.001 : MeanDist;
  std::vector<double> v(static_cast<std::size_t>(k));
  for (int j = 0; j < k; ++j) v[static_cast<std::size_t>(j)] = Values->GetVal(list.Row(j));
  double sum = 0, weights = 0;
  switch (WMode) {
    case kwmAverage:
      for (double x : v) sum += x;
      Estimate = sum / k;
      return;
    case kwmMedian: {
      double q1 = 0, q3 = 0;
      num_detail::QuartilesRule(v, q1, Estimate, q3);
      return;
    }
    case kwmGauss:
      for (int j = 0; j < k; ++j) {
        const double w = std::exp(-(Param * list.Dist(j) / mean) * (Param * list.Dist(j) / mean));
        sum += w * v[static_cast<std::size_t>(j)], weights += w;
      }
      Estimate = sum / weights;
      return;
    case kwmLinear:
      for (int j = 0; j < k; ++j) {
        const double w = 1 - list.Dist(j) / mean / Param;
        if (w <= 0) continue;
        sum += w * v[static_cast<std::size_t>(j)], weights += w;
      }
      Estimate = weights > 0 ? sum / weights : 0.0;
      return;
  }
}

// [SECTION] Gaussian kernels

namespace {

/// exp(-s) of the sum s of the squared differences over Width^2, s capped at 20.
template <typename Other>
double GaussKernel(const TVector& v, int n, Other&& other, double Width) {
  double s = 0;
  for (int i = 1; i <= n; ++i) s += (v.GetVal(i) - other(i)) * (v.GetVal(i) - other(i)) / (Width * Width);
  return std::exp(-(s > 20 ? 20 : s));
}

}  // namespace

double CalcGaussKernel(const TVector* V1, const TVector* V2, double Width) {
  if (V1 == nullptr || V2 == nullptr) return 0.0;
  return GaussKernel(*V1, V2->NrOfElem(), [&](int i) { return V2->GetVal(i); }, Width);
}

double CalcGaussKernelMat(const TVector* V, const TMatrix* M, int Row, double Width) {
  if (V == nullptr || M == nullptr) return 0.0;
  return GaussKernel(*V, M->NrOfColumns(), [&](int c) { return M->GetVal(c, Row); }, Width);
}

// [SECTION] cluster centres

namespace {

/// The pairwise merging of FindCenters on a private copy: rows (f values each) and their weights,
/// the squared distances of all pairs of live rows (n x n, row-major).
struct TMerger {
  int F = 0, Live = 0;
  std::vector<double> X, W, D;

  double* Row(int r) { return X.data() + static_cast<std::size_t>(r) * F; }
  double& Dist(int a, int b) { return D[static_cast<std::size_t>(a) * W.size() + static_cast<std::size_t>(b)]; }
  void Measure(int r) {
    for (int s = 0; s < Live; ++s) Dist(r, s) = Dist(s, r) = s == r ? 0.0 : SquaredDistance(Row(r), Row(s), F);
  }
  /// The first pair p < q of least distance in the scan order (p, then q); the first pair when no
  /// distance is below infinity.
  void Closest(int& p, int& q) {
    double best = kInfinity;
    p = 0, q = 1;
    for (int a = 0; a < Live; ++a)
      for (int b = a + 1; b < Live; ++b)
        if (Dist(a, b) < best) best = Dist(a, b), p = a, q = b;
  }
  /// Row p becomes the weighted centroid of p and q; the last live row takes slot q.
  void Merge(int p, int q) {
    const double wp = W[static_cast<std::size_t>(p)], wq = W[static_cast<std::size_t>(q)];
    for (int c = 0; c < F; ++c) Row(p)[c] = (wp * Row(p)[c] + wq * Row(q)[c]) / (wp + wq);
    W[static_cast<std::size_t>(p)] = wp + wq;
    const int last = --Live;
    if (q != last) {
      std::copy_n(Row(last), F, Row(q));
      W[static_cast<std::size_t>(q)] = W[static_cast<std::size_t>(last)];
      for (int s = 0; s < Live; ++s) Dist(q, s) = Dist(s, q) = Dist(last, s);
      Dist(q, q) = 0;
    }
    Measure(p);
  }
};

}  // namespace

void FindCenters(const TMatrix* Data, int FirstRow, int LastRow, int NumCenters, TMatrix* Centers, double& MeanDist) {
  if (Data == nullptr || Centers == nullptr || Data->NrOfRows() < 1) return;
  ClampRows(Data->NrOfRows(), FirstRow, LastRow);
  const int n = LastRow - FirstRow + 1, num = num_detail::ClampInt(NumCenters, 1, n);
  TMerger m;
  num_detail::GuardMemory(u"FindCenters", [&] {
    m.F = Data->NrOfColumns();
    m.X = RowBlock(*Data, FirstRow, LastRow, m.F);
    m.W.assign(static_cast<std::size_t>(n), 1.0);
    m.D.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  });
  m.Live = n;
  for (int r = 0; r < n; ++r) m.Measure(r);
  while (m.Live > num) {
    StepProcStat();
    int p = 0, q = 1;
    m.Closest(p, q);
    m.Merge(p, q);
  }
  for (int i = 1; i <= num; ++i)
    for (int c = 1; c <= Centers->NrOfColumns(); ++c) Centers->SetVal(c, i, c <= m.F ? m.Row(i - 1)[c - 1] : 0.0);
  double sum = 0;
  for (int i = 0; i < num && num > 1; ++i) {
    double nearest = kInfinity;
    for (int j = 0; j < num; ++j)
      if (j != i && m.Dist(i, j) < nearest) nearest = m.Dist(i, j);
    sum += std::sqrt(nearest);
  }
  MeanDist = sum / num;
}

// [SECTION] k-means

namespace {

/// Assigns every row (n of f values) to its nearest of the k centres (squared distance, start 1.7e308,
/// the lowest centre of equals; 0 when none is nearer); answers whether any assignment changed.
bool AssignRows(const std::vector<double>& x, const std::vector<double>& centres, int n, int f, int k,
                std::vector<int>& assigned, TIntVector& Assignment) {
  bool changed = false;
  for (int r = 0; r < n; ++r) {
    const double* row = x.data() + static_cast<std::size_t>(r) * f;
    double best = 1.7e308;
    int at = 0;
    for (int j = 0; j < k; ++j) {
      const double d = SquaredDistance(row, centres.data() + static_cast<std::size_t>(j) * f, f);
      if (d < best) best = d, at = j + 1;
    }
    if (at != assigned[static_cast<std::size_t>(r)]) {
      assigned[static_cast<std::size_t>(r)] = at;
      Assignment.SetVal(r + 1, at);
      changed = true;
    }
  }
  return changed;
}

/// Every centre := the mean of its rows (0 without rows).
void CentreMeans(const std::vector<double>& x, int n, int f, int k, const std::vector<int>& assigned,
                 std::vector<double>& centres) {
  std::vector<double> count(static_cast<std::size_t>(k), 0.0);
  std::fill(centres.begin(), centres.end(), 0.0);
  for (int r = 0; r < n; ++r) {
    const int j = assigned[static_cast<std::size_t>(r)] - 1;
    if (j < 0) continue;
    count[static_cast<std::size_t>(j)] += 1;
    for (int c = 0; c < f; ++c) centres[static_cast<std::size_t>(j) * f + c] += x[static_cast<std::size_t>(r) * f + c];
  }
  for (int j = 0; j < k; ++j)
    if (count[static_cast<std::size_t>(j)] > 0)
      for (int c = 0; c < f; ++c) centres[static_cast<std::size_t>(j) * f + c] /= count[static_cast<std::size_t>(j)];
}

}  // namespace

void kMeansClustering(const TMatrix* Data, int /*FirstRow*/, int /*LastRow*/, int NumClusters, TMatrix* Centers,
                      TIntVector* Assignment) {
  if (Data == nullptr || Centers == nullptr || Assignment == nullptr) return;
  const int n = Data->NrOfRows(), f = Data->NrOfColumns(), k = std::max(NumClusters, 1);
  if (k > n) throw EQeltaMath2Error(u"kMeansClustering: number of clusters is greater than number of objects");
  if (Centers->NrOfColumns() != f || Centers->NrOfRows() != n) Centers->Resize(f, n);
  if (Assignment->NrOfElem() != n) Assignment->Resize(n);
  std::vector<double> x, centres;
  std::vector<int> assigned(static_cast<std::size_t>(n));
  num_detail::GuardMemory(u"kMeansClustering", [&] {
    x = RowBlock(*Data, 1, n, f);
    centres.assign(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(k) * f);
  });
  for (int r = 0; r < n; ++r) assigned[static_cast<std::size_t>(r)] = Assignment->GetVal(r + 1);
  // Centre j is row j of Centers; the rows below the centres hold zeros.
  auto store = [&](int rows) {
    std::vector<double> block(static_cast<std::size_t>(f) * static_cast<std::size_t>(rows), 0.0);
    for (int j = 0; j < k; ++j)
      for (int c = 0; c < f; ++c) block[static_cast<std::size_t>(c) * rows + static_cast<std::size_t>(j)] = centres[static_cast<std::size_t>(j) * f + c];
    num_detail::TMatrixAccess::Store(*Centers, block.data(), f, rows, rows);
  };
  store(n);
  for (int pass = 0; pass <= 1000; ++pass) {
    StepProcStat();
    if (!AssignRows(x, centres, n, f, k, assigned, *Assignment)) return;
    CentreMeans(x, n, f, k, assigned, centres);
    store(k);
  }
  throw EQeltaMath2Error(u"kMeansClustering: max. number of iterations exceeded");
}

// [SECTION] hierarchical clustering

namespace {

double LanceWilliams(TClusterMethod method, double dik, double djk, double dij, double ni, double nj, double nk,
                     double F) {
  switch (method) {
    case cmSingleLink: return dik < djk ? dik : djk;
    case cmCompleteLink: return dik > djk ? dik : djk;
    case cmWard: return (dik * (ni + nk) + djk * (nj + nk) - dij * nk) / (ni + nj + nk);
    case cmAvgLink: return (dik + djk) / 2;
    case cmFlexLink: return (dik + djk) * F + dij * (1 - 2 * F);
    case cmUpgma: return (ni * dik + nj * djk) / (ni + nj);
  }
  return dik;
}

/// The merging state: the distances of all slots (column-major storage of a TMatrix, symmetric),
/// which slots are active, their identifiers and sizes, and per active row c the least distance to
/// an active b > c with the first such b.
class TAgglomerator {
 public:
  TAgglomerator(TMatrix& d, int n) : FD(d), FN(n), FActive(static_cast<std::size_t>(n), true),
        FId(static_cast<std::size_t>(n)), FSize(static_cast<std::size_t>(n), 1.0),
        FMin(static_cast<std::size_t>(n), kLargest), FArg(static_cast<std::size_t>(n), -1) {
    for (int i = 0; i < n; ++i) FId[static_cast<std::size_t>(i)] = i + 1, Rescan(i);
  }
  /// The pair to merge next (c < b, 0-based).
  void NextPair(int& c, int& b) const {
    double best = kLargest;
    c = b = -1;
    for (int r = 0; r < FN; ++r)
      if (FActive[static_cast<std::size_t>(r)] && FArg[static_cast<std::size_t>(r)] >= 0 && FMin[static_cast<std::size_t>(r)] < best)
        best = FMin[static_cast<std::size_t>(r)], c = r, b = FArg[static_cast<std::size_t>(r)];
    if (c >= 0) return;
    for (c = 0; !FActive[static_cast<std::size_t>(c)]; ++c) {
    }
    for (b = c + 1; !FActive[static_cast<std::size_t>(b)]; ++b) {
    }
  }
  /// Merges c into b as cluster `id`; answers D(c, b).
  double Merge(int c, int b, TClusterMethod method, double F, int id) {
    const double dcb = D(c, b), nc = FSize[static_cast<std::size_t>(c)], nb = FSize[static_cast<std::size_t>(b)];
    for (int k = 0; k < FN; ++k) {
      if (!FActive[static_cast<std::size_t>(k)] || k == b || k == c) continue;
      const double v = LanceWilliams(method, D(c, k), D(b, k), dcb, nc, nb, FSize[static_cast<std::size_t>(k)], F);
      D(k, b) = D(b, k) = v;
    }
    FActive[static_cast<std::size_t>(c)] = false;
    FId[static_cast<std::size_t>(b)] = id;
    FSize[static_cast<std::size_t>(b)] = nb + nc;
    Rescan(b);
    for (int k = 0; k < b; ++k)
      if (FActive[static_cast<std::size_t>(k)]) Renew(k, b, c);
    return dcb;
  }
  int Id(int slot) const { return FId[static_cast<std::size_t>(slot)]; }

 private:
  double& D(int r, int c) { return num_detail::TMatrixAccess::Column(FD, c + 1)[r]; }
  double D(int r, int c) const { return num_detail::TMatrixAccess::Data(FD)[static_cast<int64_t>(c) * num_detail::TMatrixAccess::Stride(FD) + r]; }
  /// The least entry of row c over the active b > c.
  void Rescan(int c) {
    double best = kLargest;
    int at = -1;
    for (int b = c + 1; b < FN; ++b)
      if (FActive[static_cast<std::size_t>(b)] && D(c, b) < best) best = D(c, b), at = b;
    FMin[static_cast<std::size_t>(c)] = best;
    FArg[static_cast<std::size_t>(c)] = at;
  }
  /// Row k (< b) after D(k, b) changed and slot c left.
  void Renew(int k, int b, int c) {
    const auto kk = static_cast<std::size_t>(k);
    const double v = D(k, b);
    if (FArg[kk] == b) {
      if (v <= FMin[kk])
        FMin[kk] = v;  // still the least and the first of equals
      else
        Rescan(k);
    } else if (FArg[kk] == c) {
      Rescan(k);
    } else if (v < FMin[kk] || (v == FMin[kk] && b < FArg[kk])) {
      FMin[kk] = v;
      FArg[kk] = b;
    }
  }

  TMatrix& FD;
  int FN;
  std::vector<bool> FActive;
  std::vector<int> FId;
  std::vector<double> FSize;
  std::vector<double> FMin;
  std::vector<int> FArg;
};

/// Restores a data matrix's distance event when the call ends.
struct TDistanceEventGuard {
  TMatrix& Data;
  TOnCalcDistanceEvent Saved;
  ~TDistanceEventGuard() { Data.OnCalcDistance = std::move(Saved); }
};

/// XPos of the objects (leaf order: the last merge's pair in order, every cluster expanded second part
/// first) and of the merges (the mean of their parts').
void LeafPositions(const std::vector<std::array<int, 2>>& parts, int n, TVector& XPos) {
  std::vector<double> pos(static_cast<std::size_t>(2 * n), 0.0);
  if (n == 1) pos[1] = 1;
  if (n >= 2) {
    std::vector<int> stack = {parts.back()[1], parts.back()[0]};  // popped: first, then second
    int next = 1;
    while (!stack.empty()) {
      const int id = stack.back();
      stack.pop_back();
      if (id <= n) {
        pos[static_cast<std::size_t>(id)] = next++;
        continue;
      }
      const std::array<int, 2>& p = parts[static_cast<std::size_t>(id - n - 1)];
      stack.push_back(p[0]);  // expanded second part first: popped before the first part
      stack.push_back(p[1]);
    }
    for (int j = 1; j < n; ++j) {
      const std::array<int, 2>& p = parts[static_cast<std::size_t>(j - 1)];
      pos[static_cast<std::size_t>(n + j)] = (pos[static_cast<std::size_t>(p[0])] + pos[static_cast<std::size_t>(p[1])]) / 2;
    }
  }
  for (int i = 1; i < 2 * n; ++i) XPos.SetVal(i, pos[static_cast<std::size_t>(i)]);
}

}  // namespace

int AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode, TClusterMethod Method, double FlexParam,
                     TIntMatrix* Dendrogram, TVector* MergeDist, TVector* XPos, const TFeedbackProc& Feedback,
                     const TOnCalcDistanceEvent& OnCalcDist) {
  if (Data == nullptr || Dendrogram == nullptr || MergeDist == nullptr || XPos == nullptr) return -1;
  if (Feedback) Feedback(Sender, ProcStat, 0);
  const double F = FlexParam < 0.5 ? 0.5 : (FlexParam > 1.0 ? 1.0 : FlexParam);
  const int n = Data->NrOfRows();
  TMatrix d(nullptr);
  {
    TDistanceEventGuard guard{*Data, Data->OnCalcDistance};
    Data->OnCalcDistance = OnCalcDist;
    try {
      d.Resize(n, n);
    } catch (const EQeltaMatrixError&) {
      throw EQeltaMath2Error(u"AgglomClustering: not enough memory");
    }
    Data->CalcDistMat(DistMode, &d);
  }
  if (n >= 2) MergeDist->Resize(n - 1);
  if (n >= 1) XPos->Resize(2 * n - 1);
  Dendrogram->Resize(3, std::max(n - 1, 0));
  AbortMathProc = false;
  TAgglomerator state = num_detail::GuardMemory(u"AgglomClustering", [&] { return TAgglomerator(d, n); });
  std::vector<std::array<int, 2>> parts;
  for (int j = 1; j < n; ++j) {
    if (AbortMathProc) {
      XPos->Clear();
      MergeDist->Clear();
      Dendrogram->Fill(0);
      return -1;
    }
    StepProcStat();
    if (Feedback) Feedback(Sender, ProcStat, 100.0 * j / n);
    int c = 0, b = 0;
    state.NextPair(c, b);
    parts.push_back({state.Id(c), state.Id(b)});
    Dendrogram->SetVal(1, j, state.Id(c));
    Dendrogram->SetVal(2, j, state.Id(b));
    Dendrogram->SetVal(3, j, j + n);
    MergeDist->SetVal(j, state.Merge(c, b, Method, F, j + n));
  }
  if (n >= 1) LeafPositions(parts, n, *XPos);
  return 0;
}

}  // namespace qelta
