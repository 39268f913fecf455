// Qelta_math2: TCurveFit's rank statistics: Kendall's tau-b, Goodman and Kruskal's gamma, Spearman's
// rank correlation.
//
// Pair counts in O(n log n) (W. R. Knight, J. Am. Stat. Assoc. 61 (1966) 436-439): the points are
// sorted by x, then y; the pairs tied in x (tx), in x and y (txy) and, after a merge sort of the y
// sequence, in y (ty) come from the runs of equal values; the discordant pairs are the inversions the
// merge sort counts (pairs tied in x are in rising y already, so they never count). Then
// ties in y only T1 = ty - txy, ties in x only T2 = tx - txy, concordant C = n(n - 1)/2 - tx - ty +
// txy - D. Pairs are classified by comparing coordinates, which is the sign of dx and dy also where
// dx dy underflows to 0; points with a NaN coordinate are left out of the pairs.
// Spearman: average ranks from an index sort (NaN ranks last), the tie corrections
// T = sum t (t^2 - 1) / 12 per run of t equal values.
// Left open and decided: tau is 0 with p = 1, gamma 0 and Spearman 0 where their formulas divide by 0
// (fewer than three points, all pairs tied, a constant column).

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

#include "Qelta_math2.h"
#include "Qelta_statis.h"
#include "Qelta_univconst.h"

namespace qelta {

namespace {

using E = Extended;

/// Pairs among runs of equal values in a sorted sequence: sum t (t - 1) / 2.
template <typename It, typename Eq>
int64_t TiedPairs(It first, It last, Eq equal) {
  int64_t pairs = 0, run = 1;
  for (It i = first; i != last; ++i) {
    if (i + 1 != last && equal(*i, *(i + 1))) {
      ++run;
      continue;
    }
    pairs += run * (run - 1) / 2;
    run = 1;
  }
  return pairs;
}

/// Sorts v rising by a bottom-up merge sort and answers the number of inversions (pairs i < j with
/// v[i] > v[j]).
int64_t SortCountingInversions(std::vector<double>& v) {
  const std::size_t n = v.size();
  std::vector<double> buffer(n);
  int64_t inversions = 0;
  for (std::size_t width = 1; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        if (v[j] < v[i]) {
          inversions += static_cast<int64_t>(mid - i);  // v[j] jumps every left value still waiting
          buffer[k++] = v[j++];
        } else {
          buffer[k++] = v[i++];
        }
      }
      while (i < mid) buffer[k++] = v[i++];
      while (j < hi) buffer[k++] = v[j++];
    }
    std::swap(v, buffer);
  }
  return inversions;
}

/// NaN after every number and equal to itself, so that sorting stays well defined.
bool RankLess(double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; }
bool RankEqual(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

/// Average ranks (1..n) of v; answers the tie correction sum t (t^2 - 1) / 12.
E AverageRanks(const double* v, int n, std::vector<E>& rank) {
  std::vector<int> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [v](int a, int b) { return RankLess(v[a], v[b]); });
  rank.assign(static_cast<std::size_t>(n), 0);
  E ties = 0;
  for (int first = 0; first < n;) {
    int last = first;
    while (last + 1 < n && RankEqual(v[order[last + 1]], v[order[first]])) ++last;
    const E t = last - first + 1, mean = (first + last) / 2.0L + 1;
    for (int i = first; i <= last; ++i) rank[static_cast<std::size_t>(order[i])] = mean;
    ties += t * (t * t - 1) / 12;
    first = last + 1;
  }
  return ties;
}

}  // namespace

void TCurveFit::BasicRankCounts() {
  FKendallConcord = FKendallDiscord = FKendallTies1 = FKendallTies2 = 0;
  FKendallValid = true;
  if (FNumData <= 2) return;
  const double *x = Column(1), *y = Column(2);
  std::vector<std::pair<double, double>> pts;
  pts.reserve(static_cast<std::size_t>(FNumData));
  for (int i = 0; i < FNumData; ++i)
    if (!std::isnan(x[i]) && !std::isnan(y[i])) pts.emplace_back(x[i], y[i]);
  std::sort(pts.begin(), pts.end());
  const int64_t m = static_cast<int64_t>(pts.size()), all = m * (m - 1) / 2;
  const int64_t tx = TiedPairs(pts.begin(), pts.end(), [](const auto& a, const auto& b) { return a.first == b.first; });
  const int64_t txy = TiedPairs(pts.begin(), pts.end(), [](const auto& a, const auto& b) { return a == b; });
  std::vector<double> ys(pts.size());
  for (std::size_t i = 0; i < pts.size(); ++i) ys[i] = pts[i].second;
  const int64_t discordant = SortCountingInversions(ys);
  const int64_t ty = TiedPairs(ys.begin(), ys.end(), [](double a, double b) { return a == b; });
  FKendallDiscord = discordant;
  FKendallTies1 = ty - txy;
  FKendallTies2 = tx - txy;
  FKendallConcord = all - tx - ty + txy - discordant;
}

double TCurveFit::KendallsTau(double& p) {
  if (!FKendallValid) BasicRankCounts();
  const E c = FKendallConcord, d = FKendallDiscord;
  const E denominator = std::sqrt((c + d + FKendallTies1) * (c + d + FKendallTies2));
  p = 1;
  if (denominator == 0) return 0.0;
  const E tau = (c - d) / denominator, n = FNumData;
  const E z = std::fabs(tau) / std::sqrt((4 * n + 10) / (9 * n * (n - 1)));
  p = 1 - ErfApprox(static_cast<double>(z / uc_sqrt2));
  return static_cast<double>(tau);
}

double TCurveFit::GetKruskalGamma() {
  if (!FKendallValid) BasicRankCounts();
  const E c = FKendallConcord, d = FKendallDiscord;
  return c + d != 0 ? static_cast<double>((c - d) / (c + d)) : 0.0;
}

double TCurveFit::GetSpearman() const {
  const int n = FNumData;
  if (n < 3) return 0.0;
  std::vector<E> rx, ry;
  const E tx = AverageRanks(Column(1), n, rx), ty = AverageRanks(Column(2), n, ry);
  E d = 0;
  for (int i = 0; i < n; ++i) d += (rx[static_cast<std::size_t>(i)] - ry[static_cast<std::size_t>(i)]) *
                                  (rx[static_cast<std::size_t>(i)] - ry[static_cast<std::size_t>(i)]);
  const E f = static_cast<E>(n) * (static_cast<E>(n) * n - 1);
  if (tx == 0 && ty == 0) return static_cast<double>(1 - 6 * d / f);
  const E denominator = (f - 12 * tx) * (f - 12 * ty);
  if (!(denominator > 0)) return 0.0;
  return static_cast<double>((f - 6 * (d + tx + ty)) / std::sqrt(denominator));
}

}  // namespace qelta
