// Qelta_statis: the Wilcoxon signed-rank quantile, the two-sample t tests, the Mann-Whitney U test and
// the comment of a PLS model file.
//
// WilcoxonSRQuantile interpolates the exact signed-rank table (Qelta_statis_tables.cpp) by a parabola
// in ln level fitted with TCurveFit; above n = 100, T is normal with mean n(n + 1)/4 and variance
// n(n + 1)(2n + 1)/24. The t tests are the textbook forms (paired: the one-sample test of the
// differences; pooled variance; Welch's test with the Welch-Satterthwaite degrees of freedom,
// B. L. Welch, Biometrika 34 (1947) 28-35), their p-values from the t distribution through the
// incomplete beta function, also for Welch's degrees of freedom that are not whole. The U test ranks
// the pooled sample with average ranks for ties (H. B. Mann, D. R. Whitney, Ann. Math. Stat. 18 (1947)
// 50-60); without ties U has the exact distribution UDistriIntegral, with ties it is taken as normal
// with mean n1 n2 / 2 and variance n1 n2 / 12 ((N + 1) - sum (t^3 - t) / (N (N - 1))), t the sizes of
// the tied groups, and a continuity correction of 1/2.
// Deliberate deviation, a mended fault: WilcoxonSRQuantile answers a 64-bit integer: n (n + 1) / 4
// alone leaves the Integer range above n = 92,680, and n may reach 10^6.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "Math.h"
#include "Qelta_math2.h"
#include "Qelta_statis.h"
#include "Qelta_statis_internal.h"
#include "Qelta_stats_internal.h"
#include "Qelta_vector.h"
#include "TextFiles.h"

namespace qelta {

namespace {

// [SECTION] moments of a sample

/// Size, mean and sample variance (centred sums; 0 for fewer than two values).
struct TSampleMoments {
  double n = 0, mean = 0, var = 0;
};

TSampleMoments MomentsOf(const std::vector<double>& x) {
  const num_detail::TMoments m =
      num_detail::CentredMoments([&x](auto& acc) { acc.Run(x.data(), static_cast<int64_t>(x.size())); }, 2);
  return {static_cast<double>(m.N), m.Mean, num_detail::SampleVariance(m)};
}

/// diff / sqrt(se2): 0 when both are 0, +-Inf for a zero standard error alone, NaN from NaN.
double StudentT(double diff, double se2) {
  if (std::isnan(diff) || std::isnan(se2)) return std::numeric_limits<double>::quiet_NaN();
  if (se2 > 0) return diff / std::sqrt(se2);
  if (diff == 0) return 0.0;
  return diff > 0 ? HUGE_VAL : -HUGE_VAL;
}

/// The difference, squared standard error and degrees of freedom of the test form.
void TTestTerms(const std::vector<double>& x, const std::vector<double>& y, TtTestVersion Version, double& diff,
                double& se2, double& df) {
  if (Version == ttPaired) {
    if (x.size() != y.size()) throw EQeltaStatisError(u"Perform2SampleTTest: paired samples differ in size");
    std::vector<double> d(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) d[i] = x[i] - y[i];
    const TSampleMoments m = MomentsOf(d);
    diff = m.mean;
    se2 = m.var / m.n;
    df = m.n - 1;
    return;
  }
  const TSampleMoments a = MomentsOf(x), b = MomentsOf(y);
  diff = a.mean - b.mean;
  if (Version == ttHomoScedastic) {
    df = a.n + b.n - 2;
    se2 = ((a.n - 1) * a.var + (b.n - 1) * b.var) / df * (1 / a.n + 1 / b.n);
    return;
  }
  if (Version != ttHeteroScedastic) throw EQeltaStatisError(u"Perform2SampleTTest: invalid test version");
  const double va = a.var / a.n, vb = b.var / b.n;
  se2 = va + vb;
  const double denominator = va * va / (a.n - 1) + vb * vb / (b.n - 1);
  df = denominator > 0 ? se2 * se2 / denominator : a.n + b.n - 2;
}

// [SECTION] ranks

/// Rank sum of the first sample in the pooled sample (average ranks for ties; NaN ranks last) and
/// the tie term sum (t^3 - t) over the tied groups.
void PooledRanks(const std::vector<double>& x, const std::vector<double>& y, double& RankSum1, double& TieTerm) {
  std::vector<std::pair<double, bool>> pooled;  // value, from the first sample
  pooled.reserve(x.size() + y.size());
  for (double v : x) pooled.emplace_back(v, true);
  for (double v : y) pooled.emplace_back(v, false);
  std::sort(pooled.begin(), pooled.end(), [](const auto& a, const auto& b) {
    return a.first < b.first || (!std::isnan(a.first) && std::isnan(b.first));
  });
  auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
  RankSum1 = TieTerm = 0;
  for (std::size_t i = 0; i < pooled.size();) {
    std::size_t j = i + 1;
    while (j < pooled.size() && same(pooled[j].first, pooled[i].first)) ++j;
    const double rank = (static_cast<double>(i + 1) + static_cast<double>(j)) / 2, t = static_cast<double>(j - i);
    for (std::size_t k = i; k < j; ++k)
      if (pooled[k].second) RankSum1 += rank;
    TieTerm += t * t * t - t;
    i = j;
  }
}

/// Smaller tail of U from the normal approximation with tie and continuity correction.
double UNormalTail(double U, double n1, double n2, double TieTerm) {
  const double N = n1 + n2, mean = n1 * n2 / 2;
  const double var = n1 * n2 / 12 * ((N + 1) - (N > 1 ? TieTerm / (N * (N - 1)) : 0.0));
  if (!(var > 0)) return 0.5;
  const double z = std::max(std::fabs(U - mean) - 0.5, 0.0) / std::sqrt(var);
  return nDistriIntegral(-z);
}

}  // namespace

// [SECTION] Wilcoxon signed-rank quantile

int64_t WilcoxonSRQuantile(int n, double alpha, bool TwoSided) {
  if (n <= 7 || n > 1000000) return -1;
  if (!(alpha >= 0.000499999 && alpha <= 0.20000001)) return -1;
  if (n <= 100) {
    const int levels = n == 8 ? 3 : n <= 10 ? 4 : 5;
    const auto& row = num_detail::WilcoxonTable[static_cast<std::size_t>(n - 7)];
    TCurveFit fit(nullptr);
    for (int j = 0; j < levels; ++j)
      fit.EnterStatValue(std::log(num_detail::WilcoxonLevels[static_cast<std::size_t>(j)]),
                         row[static_cast<std::size_t>(j)]);
    double k0 = 0, k1 = 0, k2 = 0, quality = 0;
    fit.CalcParabolFit(k0, k1, k2, quality);
    const double x = std::log(TwoSided ? alpha : 2 * alpha);
    return std::max<int64_t>(Round(k0 + (k1 + k2 * x) * x), 0);
  }
  const double z = -nDistriQuantile(TwoSided ? alpha / 2 : alpha), nn = n;
  return Round(nn * (nn + 1) / 4 - z * std::sqrt(nn * (nn + 1) * (2 * nn + 1) / 24));
}

// [SECTION] t tests

void Perform2SampleTTest(const TVector* Data1, const TVector* Data2, TtTestVersion Version, bool TwoSided, double& t,
                         double& df, double& p) {
  const std::vector<double> x = num_detail::SampleOf(Data1), y = num_detail::SampleOf(Data2);
  if (x.size() < 2 || y.size() < 2) throw EQeltaStatisError(u"Perform2SampleTTest: number of data points is too low");
  double diff = 0, se2 = 0;
  TTestTerms(x, y, Version, diff, se2, df);
  t = StudentT(diff, se2);
  if (std::isnan(t)) {
    p = t;
    return;
  }
  const double tail = num_detail::StudentIntegral(-std::fabs(t), df);
  p = TwoSided ? 2 * tail : tail;
}

double Perform2SampleTTest(const TVector* Data1, const TVector* Data2, TtTestVersion Version, bool TwoSided) {
  double t = 0, df = 0, p = 0;
  Perform2SampleTTest(Data1, Data2, Version, TwoSided, t, df, p);
  return p;
}

// [SECTION] Mann-Whitney U test

double PerformMannWhitneyUTest(const TVector* Data1, const TVector* Data2, bool TwoSided, double& U) {
  if (Data1 == nullptr || Data2 == nullptr)
    throw EQeltaStatisError(u"PerformMannWhitneyUTest: number of data points is too low");
  const std::vector<double> x = num_detail::SampleOf(Data1), y = num_detail::SampleOf(Data2);
  const double n1 = static_cast<double>(x.size()), n2 = static_cast<double>(y.size());
  double rankSum = 0, tieTerm = 0;
  PooledRanks(x, y, rankSum, tieTerm);
  U = rankSum - n1 * (n1 + 1) / 2;
  double tail;
  if (tieTerm == 0 && n1 * n2 <= INT_MAX) {
    const int u = static_cast<int>(U), n1n2 = static_cast<int>(n1 * n2);
    tail = std::min(UDistriIntegral(static_cast<int>(n1), static_cast<int>(n2), u),
                    UDistriIntegral(static_cast<int>(n1), static_cast<int>(n2), n1n2 - u));
  } else {
    tail = UNormalTail(U, n1, n2, tieTerm);
  }
  return TwoSided ? std::min(2 * tail, 1.0) : tail;
}

// [SECTION] PLS model comment

bool LoadPLSModelComment(const String& FileName, String& Comment) {
  Comment.clear();
  try {
    TextFile f;
    AssignFile(f, FileName);
    Reset(f);
    ReadLn(f, Comment);
    CloseFile(f);
    return true;
  } catch (const EInOutError&) {
    Comment.clear();
    return false;
  }
}

}  // namespace qelta
