// Differential tests of the moment rules against GSL (linked to the test executable only): mean,
// sample variance, skewness and kurtosis over the sample standard deviation, and the correlation,
// on seeded random samples, plain and with a large common offset.
#include <gsl/gsl_statistics_double.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Assertions.h"
#include "Qelta_matrix.h"
#include "Random.h"

using namespace qelta;

namespace {

struct TSampleCase {
  int Cols, Rows;
  double Offset, Scale;
  uint32_t Seed;
};

const TSampleCase kCases[] = {
    {1, 4, 0, 1, 1},       {1, 57, 0, 1, 2},      {7, 13, 0, 1, 3},      {40, 25, -3, 0.01, 4},
    {9, 111, 1e6, 1, 5},   {1, 500, 1e9, 1, 6},   {20, 50, -1e12, 3, 7}, {3, 3, 1e15, 16, 8},
};

// Values offset + scale * (u + u^3), u uniform in [0, 1) from the platform's seeded generator: skewed.
std::vector<double> Sample(const TSampleCase& c) {
  RandSeed = c.Seed;
  std::vector<double> v(static_cast<std::size_t>(c.Cols) * c.Rows);
  for (double& x : v) {
    const double u = Random();
    x = c.Offset + c.Scale * (u + u * u * u);
  }
  return v;
}

// The cells column by column, as the matrix visits them.
void Load(TMatrix& m, const TSampleCase& c, const std::vector<double>& v) {
  m.Resize(c.Cols, c.Rows);
  for (int col = 1; col <= c.Cols; ++col)
    for (int r = 1; r <= c.Rows; ++r) m.SetVal(col, r, v[static_cast<std::size_t>(col - 1) * c.Rows + (r - 1)]);
}

// One sample in both containers: the values, a matrix of the case's shape and a vector.
struct TLoaded {
  std::vector<double> Values;
  TMatrix M{nullptr};
  TVector V{nullptr};
  explicit TLoaded(const TSampleCase& c) : Values(Sample(c)) {
    Load(M, c, Values);
    V.Resize(static_cast<int>(Values.size()));
    for (std::size_t i = 0; i < Values.size(); ++i) V.SetVal(static_cast<int>(i + 1), Values[i]);
  }
  int N() const { return static_cast<int>(Values.size()); }
};

// Tolerance of a moment whose deviations d = x - mean carry an absolute error of about ulp(offset).
double MomentTolerance(const TSampleCase& c) {
  return 1e-12 + 64 * std::fabs(c.Offset) * 2.2e-16 / c.Scale;
}

// Relative tolerance of the variance: GSL's running mean may be a few ulp(offset) off, which adds
// its square to GSL's variance (our centred sums remove it: the 1e15 case matches the exact value).
double VarianceTolerance(const TSampleCase& c) {
  const double e = 2 * std::fabs(c.Offset) * 2.2e-16 / c.Scale;
  return 1e-12 + e * e;
}

}  // namespace

TEST(StatsAgainstGsl, MeanAndVarianceOfVectorsAndMatrices) {
  for (const TSampleCase& c : kCases) {
    const TLoaded s(c);
    const double mean = gsl_stats_mean(s.Values.data(), 1, s.Values.size());
    const double var = gsl_stats_variance(s.Values.data(), 1, s.Values.size());
    double mm = 0, mv = 0, vm = 0, vv = 0;
    s.M.MeanVar(0, 0, 0, 0, mm, mv);
    s.V.MeanVar(1, s.N(), vm, vv);
    EXPECT_NEAR_REL(mm, mean, 1e-15) << c.Seed;
    EXPECT_NEAR_REL(vm, mean, 1e-15) << c.Seed;
    EXPECT_NEAR_REL(mv, var, VarianceTolerance(c)) << c.Seed;
    EXPECT_NEAR_REL(vv, var, VarianceTolerance(c)) << c.Seed;
  }
}

TEST(StatsAgainstGsl, SkewnessAndKurtosisOverTheSampleDeviation) {
  for (const TSampleCase& c : kCases) {
    const TLoaded s(c);
    const double skew = gsl_stats_skew(s.Values.data(), 1, s.Values.size());
    const double kurt = gsl_stats_kurtosis(s.Values.data(), 1, s.Values.size());
    double ms = 0, mk = 0, vs = 0, vk = 0;
    s.M.SkewKurt(0, 0, 0, 0, ms, mk);
    s.V.SkewKurt(1, s.N(), vs, vk);
    const double tol = MomentTolerance(c);
    EXPECT_NEAR(ms, skew, tol) << c.Seed;
    EXPECT_NEAR(mk, kurt, tol) << c.Seed;
    EXPECT_NEAR(vs, skew, tol) << c.Seed;
    EXPECT_NEAR(vk, kurt, tol) << c.Seed;
  }
}

TEST(StatsAgainstGsl, CorrelationOfTwoMatrices) {
  for (const TSampleCase& c : kCases) {
    const std::vector<double> x = Sample(c);
    std::vector<double> y = x;
    RandSeed = c.Seed * 7919u;
    for (double& e : y) e = -0.5 * e + c.Scale * Random();  // correlated, with noise
    TMatrix mx(nullptr), my(nullptr);
    Load(mx, c, x);
    Load(my, c, y);
    const double r = gsl_stats_correlation(x.data(), 1, y.data(), 1, x.size());
    EXPECT_NEAR(mx.Correlate(&my), r, MomentTolerance(c)) << c.Seed;
  }
}
