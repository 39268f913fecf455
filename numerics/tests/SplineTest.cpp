// The splines: TCurveFit::CubicSpline against GSL's natural cubic spline (GSL linked to the test
// executable only) and on a cubic with clamped ends; PenalizedCubicSpline at its limits and by the
// conditions that characterise the smoothing spline.
#include <gsl/gsl_spline.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Qelta_math2.h"

using namespace qelta;

namespace {

struct TKnotData {
  std::vector<double> x, y;
};

TKnotData Wiggly(int n, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> step(0.1, 1.0);
  std::normal_distribution<double> noise(0.0, 0.2);
  TKnotData d;
  double x = -2;
  for (int i = 0; i < n; ++i) {
    d.x.push_back(x);
    d.y.push_back(std::sin(x) + noise(gen));
    x += step(gen);
  }
  return d;
}

/// GSL's natural cubic spline at t.
struct TGslNatural {
  gsl_interp_accel* acc = gsl_interp_accel_alloc();
  gsl_spline* spline;
  TGslNatural(const TKnotData& d) : spline(gsl_spline_alloc(gsl_interp_cspline, d.x.size())) {
    gsl_spline_init(spline, d.x.data(), d.y.data(), d.x.size());
  }
  ~TGslNatural() {
    gsl_spline_free(spline);
    gsl_interp_accel_free(acc);
  }
  double operator()(double t) const { return gsl_spline_eval(spline, t, acc); }
};

TEST(Spline, NaturalCubicSplineAgreesWithGsl) {
  const TKnotData d = Wiggly(25, 3);
  TCurveFit f(nullptr);
  for (std::size_t i = d.x.size(); i-- > 0;) f.EnterStatValue(d.x[i], d.y[i]);  // order does not matter
  const TGslNatural gsl(d);
  for (double t = d.x.front(); t <= d.x.back(); t += 0.0173) EXPECT_NEAR(f.CubicSpline(t), gsl(t), 1e-12) << t;
  for (std::size_t i = 0; i < d.x.size(); ++i) EXPECT_NEAR(f.CubicSpline(d.x[i]), d.y[i], 1e-14);
}

TEST(Spline, ClampedEndsReproduceACubic) {
  const auto cubic = [](double x) { return 0.5 * x * x * x - x * x + 2 * x - 3; };
  const auto slope = [](double x) { return 1.5 * x * x - 2 * x + 2; };
  TCurveFit f(nullptr);
  for (double x : {-1.0, -0.3, 0.4, 1.0, 2.2, 3.0}) f.EnterStatValue(x, cubic(x));
  f.SetNatural1(false);
  f.SetNaturalN(false);
  f.SetY1Dash(slope(-1));
  f.SetYNDash(slope(3));
  for (double t = -1; t <= 3; t += 0.05) EXPECT_NEAR(f.CubicSpline(t), cubic(t), 1e-12) << t;
  f.SetYNDash(0);  // a changed setting rebuilds the spline
  EXPECT_GT(std::fabs(f.CubicSpline(2.6) - cubic(2.6)), 1e-3);
}

TEST(Spline, EqualXAreMergedAndFewPointsAreHandled) {
  TCurveFit f(nullptr);
  EXPECT_EQ(f.CubicSpline(1), 0.0);
  f.EnterStatValue(2, 5);
  EXPECT_EQ(f.CubicSpline(-7), 5.0);
  f.EnterStatValue(2, 7);  // the same x: its mean y
  EXPECT_EQ(f.CubicSpline(2), 6.0);
  f.EnterStatValue(4, 10);
  EXPECT_NEAR(f.CubicSpline(3), 8, 1e-15);  // two knots: the straight line
  EXPECT_NEAR(f.CubicSpline(6), 14, 1e-14);  // continued beyond the data
  f.EnterStatValue(std::nan(""), 1);         // not finite: left out
  EXPECT_NEAR(f.CubicSpline(3), 8, 1e-15);
}

// [SECTION] smoothing spline

struct TPieces {
  std::vector<double> a, b, c, d;
};

TPieces Smooth(const TKnotData& k, const std::vector<double>& w, double p) {
  TPieces s;
  EXPECT_TRUE(PenalizedCubicSpline(0, static_cast<int>(k.x.size()) - 1, p, k.x, k.y, w, s.a, s.b, s.c, s.d));
  return s;
}

TEST(Spline, SmoothingSplineLimits) {
  const TKnotData d = Wiggly(15, 5);
  const std::vector<double> w(d.x.size(), 1.0);
  const TPieces interpolating = Smooth(d, w, 1);  // p = 1: the natural interpolating spline
  const TGslNatural gsl(d);
  for (std::size_t i = 0; i + 1 < d.x.size(); ++i)
    for (double t : {0.0, 0.3, 0.77}) {
      const double h = t * (d.x[i + 1] - d.x[i]);
      EXPECT_NEAR(interpolating.a[i] + h * (interpolating.b[i] + h * (interpolating.c[i] + h * interpolating.d[i])),
                  gsl(d.x[i] + h), 1e-12);
    }
  const TPieces line = Smooth(d, w, 0);  // p = 0: the least-squares line
  TCurveFit f(nullptr);
  for (std::size_t i = 0; i < d.x.size(); ++i) f.EnterStatValue(d.x[i], d.y[i]);
  double k = 0, c = 0, q = 0;
  f.CalcLinFit(k, c, q);
  for (std::size_t i = 0; i < d.x.size(); ++i) {
    EXPECT_NEAR(line.a[i], k * d.x[i] + c, 1e-12);
    EXPECT_NEAR(line.b[i], k, 1e-12);
    EXPECT_EQ(line.c[i], 0.0);
  }
}

// The minimiser of p sum w (y - f)^2 + (1 - p) int f''^2 is the natural cubic spline whose third
// derivative jumps at each knot by p / (1 - p) w_i (y_i - f(x_i)) (Reinsch).
TEST(Spline, SmoothingSplineSatisfiesItsDefiningConditions) {
  const TKnotData d = Wiggly(30, 9);
  std::vector<double> w(d.x.size());
  for (std::size_t i = 0; i < w.size(); ++i) w[i] = 1 + (i % 4);
  for (double p : {0.05, 0.5, 0.97}) {
    const TPieces s = Smooth(d, w, p);
    const std::size_t m = d.x.size();
    std::vector<double> third(m + 1, 0.0);  // f''' on the pieces, 0 beyond the ends
    for (std::size_t i = 0; i + 1 < m; ++i) third[i + 1] = 6 * s.d[i];
    EXPECT_EQ(s.c[0], 0.0);  // natural ends
    for (std::size_t i = 0; i < m; ++i) {
      const double jump = third[i + 1] - third[i];
      EXPECT_NEAR(jump, p / (1 - p) * w[i] * (d.y[i] - s.a[i]), 1e-8 * (1 + std::fabs(jump))) << p << " " << i;
      if (i + 1 < m) {  // C2 continuity into the next piece
        const double h = d.x[i + 1] - d.x[i];
        EXPECT_NEAR(s.a[i] + h * (s.b[i] + h * (s.c[i] + h * s.d[i])), s.a[i + 1], 1e-12);
        EXPECT_NEAR(s.b[i] + h * (2 * s.c[i] + 3 * h * s.d[i]), s.b[i + 1], 1e-11);
        EXPECT_NEAR(s.c[i] + 3 * h * s.d[i], i + 2 < m ? s.c[i + 1] : 0.0, 1e-11);
      }
    }
  }
}

TEST(Spline, PenalizedCubicSplineRefusesBadInput) {
  std::vector<double> x{0, 1, 2, 3}, y{1, 2, 0, 1}, w{1, 1, 1, 1}, a, b, c, d;
  EXPECT_FALSE(PenalizedCubicSpline(0, 0, 0.5, x, y, w, a, b, c, d));  // one point
  EXPECT_FALSE(PenalizedCubicSpline(2, 4, 0.5, x, y, w, a, b, c, d));  // beyond the arrays
  EXPECT_FALSE(PenalizedCubicSpline(-1, 2, 0.5, x, y, w, a, b, c, d));
  std::vector<double> unsorted{0, 2, 1, 3}, zeroWeight{1, 0, 1, 1};
  EXPECT_FALSE(PenalizedCubicSpline(0, 3, 0.5, unsorted, y, w, a, b, c, d));
  EXPECT_FALSE(PenalizedCubicSpline(0, 3, 0.5, x, y, zeroWeight, a, b, c, d));
  EXPECT_TRUE(a.empty());
  ASSERT_TRUE(PenalizedCubicSpline(1, 3, 0.5, x, y, w, a, b, c, d));  // a sub-range: outputs grown to hold it
  EXPECT_EQ(a.size(), 4u);
}

TEST(Spline, SmoothedSplineOfTheFitter) {
  TCurveFit f(nullptr);
  double q = 1;
  bool valid = true;
  EXPECT_EQ(f.SmoothedSpline(1, q, valid), 0.0);
  EXPECT_FALSE(valid);
  const TKnotData d = Wiggly(40, 21);
  for (std::size_t i = 0; i < d.x.size(); ++i) f.EnterStatValue(d.x[i], d.y[i]);
  f.SetSplineSmoothing(1);
  EXPECT_NEAR(f.SmoothedSpline(d.x[7], q, valid), d.y[7], 1e-12);
  EXPECT_TRUE(valid);
  EXPECT_NEAR(q, 1, 1e-12);
  f.SetSplineSmoothing(0.01);  // strong smoothing: close to the line, a worse fit
  f.SmoothedSpline(0, q, valid);
  EXPECT_LT(q, 0.99);
  EXPECT_GT(q, 0);
  f.SetSplineSmoothing(7);
  EXPECT_EQ(f.SplineSmoothingFactor(), 1.0);
}

}  // namespace
