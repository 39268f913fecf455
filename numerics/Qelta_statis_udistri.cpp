// Qelta_statis: the Mann-Whitney U distribution.
//
// Exact: the number of orderings of n1 + n2 distinct values with U = u follows Mann and Whitney's
// recursion f(i, j, u) = f(i - 1, j, u - j) + f(i, j - 1, u) (the largest value belongs to sample 1,
// adding j pairs, or to sample 2), f(i, 0, 0) = f(0, j, 0) = 1 (H. B. Mann, D. R. Whitney, Ann.
// Math. Stat. 18 (1947) 50-60). The counts are kept in doubles (sums of positive terms only, so
// counts beyond 2^53 keep a relative accuracy of a few ulps) column by column over j, with the
// smaller size as i; the work is about (n1 n2)^2 / 4 additions, hence the exact limit. The
// probabilities are the counts over their sum C(n1 + n2, n1); the distribution is the same with the
// sizes exchanged.
// Approximate (n1 n2 above UDistriExactLimit): U is normal with mean n1 n2 / 2 and variance
// n1 n2 (n1 + n2 + 1) / 12; P(U <= u) is taken at u + 1/2.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "Qelta_statis.h"

namespace qelta {

namespace {

/// The distribution of U for valid sizes: exact cumulative probabilities or the normal stand-in.
class TUDistribution {
 public:
  TUDistribution(int n1, int n2) : FN1(std::min(n1, n2)), FN2(std::max(n1, n2)), FMax(static_cast<int64_t>(n1) * n2) {
    if (FMax <= UDistriExactLimit) Count(std::min(n1, n2), std::max(n1, n2));
    FMean = FMax / 2.0;
    FSigma = std::sqrt(FMax * (static_cast<double>(n1) + n2 + 1) / 12.0);
  }
  bool Describes(int n1, int n2) const { return FN1 == std::min(n1, n2) && FN2 == std::max(n1, n2); }
  /// P(U = u).
  double Pdf(int64_t u) const {
    if (u < 0 || u > FMax) return 0.0;
    if (!FProb.empty()) return FProb[static_cast<std::size_t>(u)];
    return Cdf(u) - Cdf(u - 1);
  }
  /// P(U <= u).
  double Cdf(int64_t u) const {
    if (u < 0) return 0.0;
    if (u >= FMax) return 1.0;
    if (!FCum.empty()) return FCum[static_cast<std::size_t>(u)];
    return nDistriIntegral((static_cast<double>(u) + 0.5 - FMean) / FSigma);
  }
  /// The largest u with Cdf(u) <= p (-1 when none).
  int64_t Quantile(double p) const {
    if (p >= 1) return FMax;
    int64_t u;
    if (!FCum.empty()) {
      u = std::upper_bound(FCum.begin(), FCum.end(), p) - FCum.begin() - 1;
    } else {  // start from the normal quantile, then step to the exact answer
      const double guess = std::floor(FMean + FSigma * nDistriQuantile(p) - 0.5);
      u = static_cast<int64_t>(std::clamp(guess, -1.0, static_cast<double>(FMax)));
      while (u < FMax && Cdf(u + 1) <= p) ++u;
      while (u >= 0 && Cdf(u) > p) --u;
    }
    return u;
  }

 private:
  /// Counts by the recursion for the sizes m <= n, then the cumulative probabilities.
  void Count(int m, int n) {
    std::vector<std::vector<double>> prev(static_cast<std::size_t>(m) + 1, std::vector<double>(1, 1.0)), cur = prev;
    for (int j = 1; j <= n; ++j) {
      for (int i = 1; i <= m; ++i) {
        std::vector<double>& f = cur[static_cast<std::size_t>(i)];
        const std::vector<double>& left = cur[static_cast<std::size_t>(i - 1)];  // f(i - 1, j)
        const std::vector<double>& below = prev[static_cast<std::size_t>(i)];    // f(i, j - 1)
        f.assign(static_cast<std::size_t>(i) * j + 1, 0.0);
        for (std::size_t u = 0; u < below.size(); ++u) f[u] = below[u];
        for (std::size_t u = 0; u < left.size(); ++u) f[u + static_cast<std::size_t>(j)] += left[u];
      }
      std::swap(prev, cur);
    }
    FProb = std::move(prev[static_cast<std::size_t>(m)]);
    double total = 0;
    for (double c : FProb) total += c;
    FCum.resize(FProb.size());
    double sum = 0;
    for (std::size_t u = 0; u < FProb.size(); ++u) {
      FProb[u] /= total;
      FCum[u] = sum += FProb[u];
    }
  }

  int FN1, FN2;
  int64_t FMax;
  double FMean = 0, FSigma = 1;
  std::vector<double> FProb, FCum;
};

bool ValidSizes(int n1, int n2) { return n1 >= 1 && n2 >= 1; }

/// The distribution for valid sizes; the last one is kept, since callers tend to ask the same sizes
/// for many u (a table of the distribution costs up to a few milliseconds).
const TUDistribution& Distribution(int n1, int n2) {
  thread_local std::unique_ptr<TUDistribution> last;
  if (!last || !last->Describes(n1, n2)) last = std::make_unique<TUDistribution>(n1, n2);
  return *last;
}

}  // namespace

double UDistriDensity(int n1, int n2, int u) {
  if (!ValidSizes(n1, n2) || u < 0 || u > static_cast<int64_t>(n1) * n2) return 0.0;
  return Distribution(n1, n2).Pdf(u);
}

double UDistriIntegral(int n1, int n2, int u) {
  if (!ValidSizes(n1, n2) || u < 0) return 0.0;
  return Distribution(n1, n2).Cdf(u);
}

double UDistriQuantile(int n1, int n2, double p) {
  if (!ValidSizes(n1, n2) || std::isnan(p)) return -1.0;
  return static_cast<double>(Distribution(n1, n2).Quantile(p));
}

}  // namespace qelta
