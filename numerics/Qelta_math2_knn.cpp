// Qelta_math2: the mean distance of every row to its k nearest rows (MeanDistanceKNN), by a k-d tree
// and by comparing all pairs.
//
// The result is defined by the all-pairs rule: for row i the squared distances s = sum over the
// columns, in order, of (x_j - x_i)^2 to every row j (i itself included) are taken in double; the k
// smallest finite ones, as distances sqrt(s), are added in ascending order and divided by k; places
// without a finite distance count as the largest double, each adding largest / k to that mean (so a
// row that finds none gets the largest double, not an overflowed sum). A distance that is not finite (NaN
// or infinite values, or squares that overflow) never enters the list.
// The tree (J. H. Friedman, J. L. Bentley and R. A. Finkel, An algorithm for finding best matches in
// logarithmic expected time, ACM TOMS 3 (1977) 209-226) splits at the median of the column with the
// widest spread and keeps the bounding box of every node. It gives the same numbers: a box is left
// out only when its lower bound is not below the k-th smallest distance found, and the bound is
// summed over the same columns in the same order as the distances, from gaps that are never larger
// than a point's own differences; rounding is monotone, so the bound never exceeds the rounded
// distance of any point in the box, and a left-out point could at best tie with a value already in
// the list. Rows with a value that is not finite are kept out of the tree: their distance to any row
// is not finite.

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "Qelta_math2_internal.h"

namespace qelta::num_detail {
namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kLeafSize = 128;  ///< most points per leaf: distances are cheaper in bulk than nodes
constexpr int kBlock = 32;       ///< points whose distances a leaf scan computes together

/// The k smallest squared distances offered, ascending; only those below the k-th are taken.
class TSmallest {
 public:
  explicit TSmallest(int k) : FS(static_cast<std::size_t>(std::max(k, 1))) {}
  void Clear() {
    FFound = 0;
    FBar = kInfinity;
  }
  /// The bar an offer must pass: the k-th smallest so far, infinity until k are found.
  double Bar() const { return FBar; }
  void Offer(double s) {
    if (!(s < FBar)) return;
    std::size_t at = std::min(FFound, FS.size() - 1);
    for (; at > 0 && FS[at - 1] > s; --at) FS[at] = FS[at - 1];
    FS[at] = s;
    FFound = std::min(FFound + 1, FS.size());
    if (FFound == FS.size()) FBar = FS.back();
  }
  /// The mean of the list's distances, missing places at the largest double. Each missing place
  /// adds its share largest / k to the mean of the others: summed first, two of them overflow.
  double MeanDistance() const {
    const double k = static_cast<double>(FS.size());
    const std::size_t missing = FS.size() - FFound;
    if (missing == FS.size()) return kLargest;
    double sum = 0;
    for (std::size_t i = 0; i < FFound; ++i) sum += std::sqrt(FS[i]);
    if (missing == 0) return sum / k;
    return sum / k + kLargest / k * static_cast<double>(missing);
  }

 private:
  std::vector<double> FS;
  std::size_t FFound = 0;
  double FBar = kInfinity;
};

bool FiniteRow(const double* p, int f) {
  for (int c = 0; c < f; ++c)
    if (!std::isfinite(p[c])) return false;
  return true;
}

class TKdTree {
 public:
  /// The rows of x (n x f, row-major) whose values are all finite.
  TKdTree(const double* x, int n, int f) : FF(f), FGap(static_cast<std::size_t>(f)) {
    std::vector<int> rows;
    for (int i = 0; i < n; ++i)
      if (FiniteRow(x + static_cast<std::size_t>(i) * f, f)) rows.push_back(i);
    FN = static_cast<int>(rows.size());
    if (rows.empty()) return;
    FNodes.reserve(2 * rows.size() / kLeafSize + 2);
    Build(x, rows, 0, FN);
    FOrder = rows;
    FStride = static_cast<std::size_t>(FN) + kBlock;  // a leaf's last block may read past the last point
    FCols.assign(FStride * static_cast<std::size_t>(f), 0.0);
    for (int c = 0; c < f; ++c)
      for (int i = 0; i < FN; ++i) FCols[static_cast<std::size_t>(c) * FStride + i] = x[static_cast<std::size_t>(rows[static_cast<std::size_t>(i)]) * f + c];
  }

  /// The rows of the tree in its order (neighbours in it lie close together).
  const std::vector<int>& Order() const { return FOrder; }

  void Nearest(const double* q, TSmallest& best) const {
    if (!FNodes.empty()) Search(0, q, best);
  }

 private:
  struct TNode {
    int Lo = 0, Hi = 0;  ///< points Lo..Hi-1 of the tree order
    int Left = -1, Right = -1;
    int Dim = 0;        ///< the split: Left holds values of column Dim up to Split, Right from it
    double Split = 0;
  };

  const double* Low(int node) const { return FBox.data() + static_cast<std::size_t>(node) * 2 * FF; }

  /// Node over rows[lo..hi); answers its index.
  int Build(const double* x, std::vector<int>& rows, int lo, int hi) {
    const int node = static_cast<int>(FNodes.size());
    FNodes.push_back({lo, hi, -1, -1, 0, 0.0});
    FBox.resize(FBox.size() + 2 * static_cast<std::size_t>(FF));
    double* low = FBox.data() + static_cast<std::size_t>(node) * 2 * FF;
    double* high = low + FF;
    std::copy_n(x + static_cast<std::size_t>(rows[static_cast<std::size_t>(lo)]) * FF, FF, low);
    std::copy_n(low, FF, high);
    for (int i = lo + 1; i < hi; ++i) {
      const double* p = x + static_cast<std::size_t>(rows[static_cast<std::size_t>(i)]) * FF;
      for (int c = 0; c < FF; ++c) low[c] = std::min(low[c], p[c]), high[c] = std::max(high[c], p[c]);
    }
    if (hi - lo <= kLeafSize) return node;
    int dim = 0;
    for (int c = 1; c < FF; ++c)
      if (high[c] - low[c] > high[dim] - low[dim]) dim = c;
    if (!(high[dim] > low[dim])) return node;  // all points equal
    const int mid = lo + (hi - lo) / 2;
    std::nth_element(rows.begin() + lo, rows.begin() + mid, rows.begin() + hi, [x, dim, f = FF](int a, int b) {
      return x[static_cast<std::size_t>(a) * f + dim] < x[static_cast<std::size_t>(b) * f + dim];
    });
    const double split = x[static_cast<std::size_t>(rows[static_cast<std::size_t>(mid)]) * FF + dim];
    const int left = Build(x, rows, lo, mid);
    const int right = Build(x, rows, mid, hi);
    TNode& n = FNodes[static_cast<std::size_t>(node)];
    n.Left = left;
    n.Right = right;
    n.Dim = dim;
    n.Split = split;
    return node;
  }

  /// A lower bound of the rounded squared distance from q to every point of the node's box (see
  /// the top of the file): the gaps outside the box, 0 inside (a difference keeps its sign when
  /// rounded), squared and summed in column order.
  double LowerBound(int node, const double* q) const {
    const double* low = Low(node);
    const double* high = low + FF;
    double* g2 = FGap.data();
    for (int c = 0; c < FF; ++c) {  // apart from the sum, which keeps the column order
      const double g = std::max(std::max(low[c] - q[c], q[c] - high[c]), 0.0);
      g2[c] = g * g;
    }
    double s = 0;
    for (int c = 0; c < FF; ++c) s += g2[c];
    return s;
  }

  /// Offers the squared distances from q to the points lo..hi-1, each summed in column order, in
  /// blocks of kBlock (the last block reads past the leaf into the next one or the padding).
  void ScanLeaf(int lo, int hi, const double* q, TSmallest& best) const {
    for (; lo < hi; lo += kBlock) {
      std::array<double, kBlock> s{};
      const int m = std::min(hi - lo, kBlock);
      for (int c = 0; c < FF; ++c) {
        const double* col = FCols.data() + static_cast<std::size_t>(c) * FStride + lo;
        const double qc = q[c];
        for (std::size_t j = 0; j < kBlock; ++j) s[j] += (col[j] - qc) * (col[j] - qc);
      }
      for (int j = 0; j < m; ++j) best.Offer(s[static_cast<std::size_t>(j)]);
    }
  }

  /// Searches the node, whose bound is already below the bar: first the child on q's side of the
  /// split, then the other one unless its box lies too far.
  void Search(int node, const double* q, TSmallest& best) const {
    const TNode& n = FNodes[static_cast<std::size_t>(node)];
    if (n.Left < 0) return ScanLeaf(n.Lo, n.Hi, q, best);
    const bool leftFirst = q[n.Dim] < n.Split;
    Search(leftFirst ? n.Left : n.Right, q, best);
    const int far = leftFirst ? n.Right : n.Left;
    if (LowerBound(far, q) < best.Bar()) Search(far, q, best);
  }

  int FF, FN = 0;
  std::size_t FStride = 0;
  std::vector<TNode> FNodes;
  std::vector<double> FBox;   ///< per node f lows, then f highs
  mutable std::vector<double> FGap;  ///< the squared gaps of LowerBound
  std::vector<int> FOrder;
  std::vector<double> FCols;  ///< the rows of the tree in node order, column-major (FStride per column)
};

}  // namespace

void MeanKnnDistancesAllPairs(const double* x, int n, int f, int k, double* mean) {
  // Column-major copy: the distances of one row to all rows accumulate column by column.
  std::vector<double> cols(static_cast<std::size_t>(n) * f), s(static_cast<std::size_t>(n));
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < f; ++c) cols[static_cast<std::size_t>(c) * n + r] = x[static_cast<std::size_t>(r) * f + c];
  TSmallest best(k);
  for (int i = 0; i < n; ++i) {
    std::fill(s.begin(), s.end(), 0.0);
    for (int c = 0; c < f; ++c) {
      const double* col = cols.data() + static_cast<std::size_t>(c) * n;
      const double xi = col[i];
      for (int j = 0; j < n; ++j) s[static_cast<std::size_t>(j)] += (col[j] - xi) * (col[j] - xi);
    }
    best.Clear();
    for (double v : s) best.Offer(v);
    mean[i] = best.MeanDistance();
  }
}

void MeanKnnDistances(const double* x, int n, int f, int k, double* mean) {
  if (n <= 4 * kLeafSize || f < 1) return MeanKnnDistancesAllPairs(x, n, f, k, mean);
  const TKdTree tree(x, n, f);
  TSmallest best(k);
  std::fill_n(mean, n, best.MeanDistance());  // rows outside the tree find no finite distance
  for (int i : tree.Order()) {  // in tree order, so that the search of a row finds much in cache
    best.Clear();
    tree.Nearest(x + static_cast<std::size_t>(i) * f, best);
    mean[i] = best.MeanDistance();
  }
}

}  // namespace qelta::num_detail
