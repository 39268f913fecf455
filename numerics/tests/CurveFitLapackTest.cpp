// The least-squares fits of TCurveFit and the regressions on data matrices against LAPACK's dgelsd
// (linked to the test executable only) and against closed forms solved independently here.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Assertions.h"
#include "LinalgTestKit.h"
#include "Qelta_math2.h"

extern "C" void dgelsd_(const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
                        const int* ldb, double* s, const double* rcond, int* rank, double* work, const int* lwork,
                        int* iwork, int* info);

using namespace qelta;
using qelta::test::TBlock;

namespace {

/// Minimum-norm least-squares solution of A x = b by dgelsd.
std::vector<double> Dgelsd(TBlock a, std::vector<double> b) {
  const int m = a.M, n = a.N, nrhs = 1, ldb = std::max(m, n);
  b.resize(static_cast<std::size_t>(ldb), 0.0);
  std::vector<double> s(static_cast<std::size_t>(std::min(m, n)));
  const double rcond = 1e-14;
  int rank = 0, info = 0, lwork = -1;
  double query = 0;
  int iquery = 0;
  dgelsd_(&m, &n, &nrhs, a.A.data(), &m, b.data(), &ldb, s.data(), &rcond, &rank, &query, &lwork, &iquery, &info);
  lwork = static_cast<int>(query);
  std::vector<double> work(static_cast<std::size_t>(lwork));
  std::vector<int> iwork(static_cast<std::size_t>(std::max(iquery, 1)));
  dgelsd_(&m, &n, &nrhs, a.A.data(), &m, b.data(), &ldb, s.data(), &rcond, &rank, work.data(), &lwork, iwork.data(),
          &info);
  EXPECT_EQ(info, 0);
  b.resize(static_cast<std::size_t>(n));
  return b;
}

/// Solves the small dense system M x = r (n x n, row-major) by Gauss-Jordan with pivoting.
std::vector<double> Solve(std::vector<long double> m, std::vector<long double> r) {
  const std::size_t n = r.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t piv = c;
    for (std::size_t i = c + 1; i < n; ++i)
      if (std::fabs(m[i * n + c]) > std::fabs(m[piv * n + c])) piv = i;
    for (std::size_t j = 0; j < n; ++j) std::swap(m[c * n + j], m[piv * n + j]);
    std::swap(r[c], r[piv]);
    for (std::size_t i = 0; i < n; ++i) {
      if (i == c) continue;
      const long double f = m[i * n + c] / m[c * n + c];
      for (std::size_t j = 0; j < n; ++j) m[i * n + j] -= f * m[c * n + j];
      r[i] -= f * r[c];
    }
  }
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<double>(r[i] / m[i * n + i]);
  return x;
}

struct TData {
  std::vector<double> x, y;
};

TData NoisyPolynomial(int n, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> u(-2.0, 3.0);
  std::normal_distribution<double> noise(0.0, 0.3);
  TData d;
  for (int i = 0; i < n; ++i) {
    const double x = u(gen);
    d.x.push_back(x);
    d.y.push_back(1 - 2 * x + 0.5 * x * x * x + noise(gen));
  }
  return d;
}

/// The design of CalcPolyFit: x^1 .. x^order, then 1.
TBlock PolyDesign(const std::vector<double>& x, int order) {
  TBlock a = test::Block(static_cast<int>(x.size()), order + 1);
  for (std::size_t i = 0; i < x.size(); ++i) {
    double p = 1;
    for (int k = 1; k <= order; ++k) a(static_cast<int>(i), k - 1) = p *= x[i];
    a(static_cast<int>(i), order) = 1;
  }
  return a;
}

double Poly(const std::vector<double>& params, double x) {
  double v = 0;
  for (std::size_t k = params.size(); k-- > 0;) v = v * x + params[k];
  return v;
}

// [SECTION] polynomial fits

TEST(CurveFitLapack, LineParabolaAndPolynomialsAgreeWithDgelsd) {
  for (auto [n, seed] : {std::pair{20, 1u}, {200, 2u}, {2000, 3u}}) {
    const TData d = NoisyPolynomial(n, seed);
    TCurveFit f(nullptr);
    for (int i = 0; i < n; ++i) f.EnterStatValue(d.x[static_cast<std::size_t>(i)], d.y[static_cast<std::size_t>(i)]);
    for (int order = 0; order <= 6; ++order) {
      const std::vector<double> ref = Dgelsd(PolyDesign(d.x, order), d.y);
      std::vector<double> params;
      double q = 0;
      bool singular = true;
      ASSERT_TRUE(f.CalcPolyFit(static_cast<uint8_t>(order), params, q, singular));
      EXPECT_FALSE(singular);
      ASSERT_EQ(params.size(), static_cast<std::size_t>(order) + 1);
      EXPECT_NEAR(params[0], ref[static_cast<std::size_t>(order)], 1e-9) << n << " order " << order;
      for (int k = 1; k <= order; ++k) EXPECT_NEAR(params[static_cast<std::size_t>(k)], ref[static_cast<std::size_t>(k - 1)], 1e-9);
      // FitQual = 1 - RSS / TSS of the reference fit
      long double rss = 0, tss = 0, my = 0;
      for (double y : d.y) my += y;
      my /= n;
      for (int i = 0; i < n; ++i) {
        const double fit = Poly(params, d.x[static_cast<std::size_t>(i)]);
        rss += (d.y[static_cast<std::size_t>(i)] - fit) * (d.y[static_cast<std::size_t>(i)] - fit);
        tss += (d.y[static_cast<std::size_t>(i)] - my) * (d.y[static_cast<std::size_t>(i)] - my);
      }
      if (order > 0) {
        EXPECT_NEAR(q, static_cast<double>(1 - rss / tss), 1e-12) << order;
      }

      double mean = 0;
      std::vector<double> centred;
      ASSERT_TRUE(f.CalcCenteredPolyFit(static_cast<uint8_t>(order), centred, q, mean, singular));
      EXPECT_NEAR(mean, f.MeanX(), 1e-13);
      for (double x : {-2.0, 0.0, 1.7, 3.0}) EXPECT_NEAR(Poly(centred, x - mean), Poly(params, x), 1e-9) << order;
    }
    const std::vector<double> line = Dgelsd(PolyDesign(d.x, 1), d.y), parabola = Dgelsd(PolyDesign(d.x, 2), d.y);
    double k = 0, c = 0, q = 0, k0 = 0, k1 = 0, k2 = 0;
    f.CalcLinFit(k, c, q);
    EXPECT_NEAR(k, line[0], 1e-11);
    EXPECT_NEAR(c, line[1], 1e-11);
    f.CalcParabolFit(k0, k1, k2, q);
    EXPECT_NEAR(k2, parabola[1], 1e-11);
    EXPECT_NEAR(k1, parabola[0], 1e-11);
    EXPECT_NEAR(k0, parabola[2], 1e-11);
  }
}

TEST(CurveFitLapack, PolyFitWithFewerDistinctXThanCoefficientsIsSingular) {
  TCurveFit f(nullptr);
  for (auto [x, y] : {std::pair{1.0, 2.0}, {2.0, 1.0}, {4.0, 5.0}, {4.0, 5.0}}) f.EnterStatValue(x, y);
  std::vector<double> params;
  double q = 0;
  bool singular = false;
  ASSERT_TRUE(f.CalcPolyFit(4, params, q, singular));
  EXPECT_TRUE(singular);
  for (double x : {1.0, 2.0, 4.0}) EXPECT_NEAR(Poly(params, x), x == 1 ? 2 : x == 2 ? 1 : 5, 1e-9);  // still through them
  EXPECT_NEAR(q, 1, 1e-12);
  const std::vector<double> ref = Dgelsd(PolyDesign({1, 2, 4, 4}, 4), {2, 1, 5, 5});  // both are minimum norm
  for (int k = 1; k <= 4; ++k) EXPECT_NEAR(params[static_cast<std::size_t>(k)], ref[static_cast<std::size_t>(k - 1)], 1e-9);

  TCurveFit empty(nullptr);
  ASSERT_TRUE(empty.CalcPolyFit(2, params, q, singular));
  EXPECT_TRUE(singular);
  EXPECT_EQ(params, std::vector<double>(3, 0.0));
  EXPECT_EQ(q, 0.0);
}

// CalcPolyFit and CalcCenteredPolyFit wrote Order + 1 coefficients into the caller's array without
// looking at its size.
TEST(CurveFitLapack, PolyFitSizesItsOutputAndRefusesAShortArray) {
  TCurveFit f(nullptr);
  for (int i = 0; i < 10; ++i) f.EnterStatValue(i, i * i);
  std::vector<double> params(1, 7.0);
  double q = 0, mean = 0;
  bool singular = false;
  ASSERT_TRUE(f.CalcPolyFit(3, params, q, singular));
  EXPECT_EQ(params.size(), 4u);
  double fixed[3] = {9, 9, 9};
  EXPECT_THROW_MSG(f.CalcPolyFit(3, std::span<double>(fixed), q, singular), EQeltaMath2Error,
                   "CalcPolyFit: parameter array too small");
  EXPECT_THROW_MSG(f.CalcCenteredPolyFit(3, std::span<double>(fixed), q, mean, singular), EQeltaMath2Error,
                   "CalcCenteredPolyFit: parameter array too small");
  EXPECT_EQ(fixed[0] + fixed[1] + fixed[2], 27.0);
  double roomy[5] = {9, 9, 9, 9, -1};
  ASSERT_TRUE(f.CalcPolyFit(2, std::span<double>(roomy), q, singular));
  EXPECT_NEAR(roomy[2], 1, 1e-12);
  EXPECT_EQ(roomy[3], 9.0);  // beyond Order + 1 untouched
  mean = 4.5;                // a given centre is used as it is
  ASSERT_TRUE(f.CalcCenteredPolyFit(2, std::span<double>(roomy), q, mean, singular));
  EXPECT_EQ(mean, 4.5);
  EXPECT_NEAR(roomy[0], 4.5 * 4.5, 1e-10);
  EXPECT_NEAR(roomy[1], 9, 1e-10);
}

// [SECTION] circle

TEST(CurveFitLapack, CircleFitIsTheAlgebraicLeastSquaresCircle) {
  std::mt19937_64 gen(99);
  std::normal_distribution<double> noise(0.0, 0.05);
  std::uniform_real_distribution<double> angle(0.0, 2.0);  // an arc, not the full circle
  TCurveFit f(nullptr);
  std::vector<long double> m(9, 0), r(3, 0);
  for (int i = 0; i < 300; ++i) {
    const double a = angle(gen), x = -4 + 2.5 * std::cos(a) + noise(gen), y = 7 + 2.5 * std::sin(a) + noise(gen);
    f.EnterStatValue(x, y);
    // x^2 + y^2 = A x + B y + C in the least-squares sense: normal equations of (x, y, 1)
    const long double row[3] = {x, y, 1}, rhs = static_cast<long double>(x) * x + static_cast<long double>(y) * y;
    for (int p = 0; p < 3; ++p) {
      for (int q = 0; q < 3; ++q) m[static_cast<std::size_t>(p * 3 + q)] += row[p] * row[q];
      r[static_cast<std::size_t>(p)] += row[p] * rhs;
    }
  }
  const std::vector<double> abc = Solve(m, r);
  const double cx = abc[0] / 2, cy = abc[1] / 2, radius = std::sqrt(abc[2] + cx * cx + cy * cy);
  double rr = 0, dx = 0, dy = 0;
  f.CalcCircleFit(rr, dx, dy);
  EXPECT_NEAR(dx, cx, 1e-9);
  EXPECT_NEAR(dy, cy, 1e-9);
  EXPECT_NEAR(rr, radius, 1e-9);
}

// [SECTION] regressions on data matrices

struct TRegressionData {
  TMatrix X{nullptr};
  TVector y{nullptr};
  TBlock block;
  std::vector<double> yv;
};

void MakeRegression(TRegressionData& d, int n, int k, unsigned seed) {
  d.block = test::RandomBlock(n, k, seed);
  for (int c = 0; c < k; ++c)
    for (int i = 0; i < n; ++i) d.block(i, c) = d.block(i, c) * (c + 1) + c;  // different scales and offsets
  test::ToMatrix(d.block, d.X);
  std::mt19937_64 gen(seed + 100);
  std::normal_distribution<double> noise(0.0, 0.1);
  d.y.Resize(n);
  d.yv.assign(static_cast<std::size_t>(n), 0.0);
  for (int i = 0; i < n; ++i) {
    double v = 3;
    for (int c = 0; c < k; ++c) v += (c % 2 ? -1.5 : 0.7) * d.block(i, c);
    d.yv[static_cast<std::size_t>(i)] = v + noise(gen);
    d.y.SetVal(i + 1, d.yv[static_cast<std::size_t>(i)]);
  }
}

TEST(CurveFitLapack, MultiLinRegAgreesWithDgelsdAndTheCovarianceOfItsCoefficients) {
  TRegressionData d;
  const int n = 60, k = 4;
  MakeRegression(d, n, k, 5);
  TBlock a = test::Block(n, k + 1);
  for (int i = 0; i < n; ++i) {
    for (int c = 0; c < k; ++c) a(i, c) = d.block(i, c);
    a(i, k) = 1;
  }
  const std::vector<double> ref = Dgelsd(a, d.yv);
  TVector coeffs(nullptr), errors(nullptr);
  bool singular = true;
  ASSERT_TRUE(MultiLinReg(&d.X, &d.y, &coeffs, &errors, singular));
  EXPECT_FALSE(singular);
  ASSERT_EQ(coeffs.NrOfElem(), k + 1);
  for (int c = 0; c <= k; ++c) EXPECT_NEAR(coeffs.GetVal(c + 1), ref[static_cast<std::size_t>(c)], 1e-11);
  // standard errors: sigma^2 (A^T A)^-1, the diagonal solved column by column
  long double rss = 0;
  for (int i = 0; i < n; ++i) {
    long double fit = 0;
    for (int c = 0; c <= k; ++c) fit += a(i, c) * ref[static_cast<std::size_t>(c)];
    rss += (d.yv[static_cast<std::size_t>(i)] - fit) * (d.yv[static_cast<std::size_t>(i)] - fit);
  }
  const long double s2 = rss / (n - k - 1);
  std::vector<long double> ata(static_cast<std::size_t>((k + 1) * (k + 1)), 0);
  for (int p = 0; p <= k; ++p)
    for (int q = 0; q <= k; ++q)
      for (int i = 0; i < n; ++i) ata[static_cast<std::size_t>(p * (k + 1) + q)] += a(i, p) * a(i, q);
  for (int c = 0; c <= k; ++c) {
    std::vector<long double> e(static_cast<std::size_t>(k) + 1, 0);
    e[static_cast<std::size_t>(c)] = 1;
    const double inv = Solve(ata, e)[static_cast<std::size_t>(c)];
    EXPECT_NEAR_REL(errors.GetVal(c + 1), static_cast<double>(std::sqrt(s2 * inv)), 1e-9);
  }
  TVector shortY(nullptr);
  shortY.Resize(n - 1);
  EXPECT_FALSE(MultiLinReg(&d.X, &shortY, &coeffs, &errors, singular));
  EXPECT_FALSE(MultiLinReg(&d.X, &d.y, nullptr, &errors, singular));
}

/// The ridge solution (Xc^T Xc + lambda I)^-1 Xc^T yc of columns centred and divided by scale.
std::vector<double> RidgeClosedForm(const TRegressionData& d, int n, int k, double lambda, bool standardise) {
  std::vector<long double> mean(static_cast<std::size_t>(k), 0), sd(static_cast<std::size_t>(k), 1);
  long double my = 0;
  for (int i = 0; i < n; ++i) my += d.yv[static_cast<std::size_t>(i)];
  my /= n;
  for (int c = 0; c < k; ++c) {
    for (int i = 0; i < n; ++i) mean[static_cast<std::size_t>(c)] += d.block(i, c);
    mean[static_cast<std::size_t>(c)] /= n;
    if (standardise) {
      long double q = 0;
      for (int i = 0; i < n; ++i) q += (d.block(i, c) - mean[static_cast<std::size_t>(c)]) * (d.block(i, c) - mean[static_cast<std::size_t>(c)]);
      sd[static_cast<std::size_t>(c)] = std::sqrt(q / (n - 1));
    }
  }
  const auto z = [&](int i, int c) { return (d.block(i, c) - mean[static_cast<std::size_t>(c)]) / sd[static_cast<std::size_t>(c)]; };
  std::vector<long double> m(static_cast<std::size_t>(k * k), 0), r(static_cast<std::size_t>(k), 0);
  for (int p = 0; p < k; ++p) {
    for (int q = 0; q < k; ++q)
      for (int i = 0; i < n; ++i) m[static_cast<std::size_t>(p * k + q)] += z(i, p) * z(i, q);
    m[static_cast<std::size_t>(p * k + p)] += lambda;
    for (int i = 0; i < n; ++i) r[static_cast<std::size_t>(p)] += z(i, p) * (d.yv[static_cast<std::size_t>(i)] - my);
  }
  return Solve(m, r);
}

TEST(CurveFitLapack, RidgeRegressionsEqualTheirClosedForms) {
  TRegressionData d;
  const int n = 40, k = 3;
  MakeRegression(d, n, k, 8);
  for (double lambda : {0.0, 0.5, 25.0}) {
    TVector coeffs(nullptr), fitted(nullptr), stdCoeffs(nullptr), means(nullptr), sds(nullptr);
    bool singular = true;
    ASSERT_TRUE(RidgeReg(&d.X, &d.y, lambda, &coeffs, &fitted, singular));
    const std::vector<double> raw = RidgeClosedForm(d, n, k, lambda, false);
    for (int c = 0; c < k; ++c) EXPECT_NEAR(coeffs.GetVal(c + 1), raw[static_cast<std::size_t>(c)], 1e-10) << lambda;
    for (int i = 0; i < n; ++i) {
      double fit = coeffs.GetVal(k + 1);
      for (int c = 0; c < k; ++c) fit += coeffs.GetVal(c + 1) * d.block(i, c);
      EXPECT_NEAR(fitted.GetVal(i + 1), fit, 1e-10);
    }
    ASSERT_TRUE(RidgeRegStd(&d.X, &d.y, lambda, &coeffs, &stdCoeffs, &means, &sds, singular));
    const std::vector<double> standard = RidgeClosedForm(d, n, k, lambda, true);
    for (int c = 0; c < k; ++c) {
      EXPECT_NEAR(stdCoeffs.GetVal(c + 1), standard[static_cast<std::size_t>(c)], 1e-10) << lambda;
      EXPECT_NEAR(coeffs.GetVal(c + 1), standard[static_cast<std::size_t>(c)] / sds.GetVal(c + 1), 1e-10);
    }
  }
  TVector coeffs(nullptr), fitted(nullptr);
  bool singular = false;
  EXPECT_FALSE(RidgeReg(&d.X, &d.y, -1, &coeffs, &fitted, singular));
}

TEST(CurveFitLapack, SimPLSWithAllComponentsIsLeastSquares) {
  TRegressionData d;
  const int n = 50, p = 4;
  MakeRegression(d, n, p, 12);
  TMatrix Y(nullptr), R(nullptr), T(nullptr), P(nullptr), Q(nullptr), U(nullptr), B(nullptr);
  TVector b0(nullptr);
  Y.Resize(2, n);
  for (int i = 1; i <= n; ++i) {
    Y.SetVal(1, i, d.y.GetVal(i));
    Y.SetVal(2, i, 2 * d.X.GetVal(1, i) - d.X.GetVal(3, i) + 0.01 * i);
  }
  for (bool scale : {false, true}) {
    ASSERT_TRUE(SimPLS(&d.X, &Y, p, scale, &R, &T, &P, &Q, &U, &B, &b0));
    ASSERT_EQ(T.NrOfColumns(), p);
    ASSERT_EQ(B.NrOfColumns(), 2);
    ASSERT_EQ(B.NrOfRows(), p);
    for (int j = 1; j <= 2; ++j) {
      TBlock a = test::Block(n, p + 1);
      std::vector<double> yj(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) {
        for (int c = 0; c < p; ++c) a(i, c) = d.block(i, c);
        a(i, p) = 1;
        yj[static_cast<std::size_t>(i)] = Y.GetVal(j, i + 1);
      }
      const std::vector<double> ref = Dgelsd(a, yj);
      for (int c = 0; c < p; ++c) EXPECT_NEAR(B.GetVal(j, c + 1), ref[static_cast<std::size_t>(c)], 1e-9) << scale;
      EXPECT_NEAR(b0.GetVal(j), ref[static_cast<std::size_t>(p)], 1e-9);
    }
    for (int a1 = 1; a1 <= p; ++a1)  // the scores are orthonormal
      for (int a2 = 1; a2 <= p; ++a2) {
        double s = 0;
        for (int i = 1; i <= n; ++i) s += T.GetVal(a1, i) * T.GetVal(a2, i);
        EXPECT_NEAR(s, a1 == a2 ? 1 : 0, 1e-12);
      }
  }
  ASSERT_TRUE(SimPLS(&d.X, &Y, 2, false, &R, &T, &P, &Q, &U, &B, &b0));
  EXPECT_EQ(R.NrOfColumns(), 2);
  EXPECT_FALSE(SimPLS(&d.X, &Y, 0, false, &R, &T, &P, &Q, &U, &B, &b0));
}

TEST(CurveFitLapack, SingValDecompAndEquSolveGiveTheLeastSquaresSolution) {
  const TBlock a = test::RandomBlock(30, 5, 77);
  std::vector<double> b(30);
  for (int i = 0; i < 30; ++i) b[static_cast<std::size_t>(i)] = std::sin(i * 0.37);
  TMatrix A(nullptr), V(nullptr);
  TVector W(nullptr), B(nullptr), X(nullptr);
  test::ToMatrix(a, A);
  B.Resize(30);
  for (int i = 0; i < 30; ++i) B.SetVal(i + 1, b[static_cast<std::size_t>(i)]);
  ASSERT_TRUE(SingValDecomp(&A, &V, &W));
  EXPECT_EQ(V.NrOfColumns(), 5);
  EXPECT_EQ(W.NrOfElem(), 5);
  ASSERT_TRUE(SingValEquSolve(&A, &V, &W, &B, &X));
  ASSERT_EQ(X.NrOfElem(), 5);
  const std::vector<double> ref = Dgelsd(a, b);
  for (int c = 0; c < 5; ++c) EXPECT_NEAR(X.GetVal(c + 1), ref[static_cast<std::size_t>(c)], 1e-12);
  EXPECT_FALSE(SingValDecomp(nullptr, &V, &W));
}

}  // namespace
