// Qelta_math2: the singular value decomposition on nearly collinear tall designs (polynomials over
// readings far from the origin) and on matrices with subnormal cells. References: exact rational
// fits and a 100-digit singular value (SvdCollinearRefs.py); the plain Golub-Reinsch kernel on the
// whole design is the twin the tall path is held against.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "LinalgTestKit.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "SvdCollinearRefs.h"

using namespace qelta;
using qelta::test::TBlock;

namespace {

using E = long double;

// The points of SvdCollinearRefs.py, bit for bit: x uniform in [1000, 1001), y = 0.5 - 1.25 t + 2 t^2
// with t = 2 (x - 1000.5), plus noise of deviation 0.01; SplitMix64 with seed n.
struct TPoints {
  std::vector<double> X, Y;
};

TPoints CollinearPoints(int n) {
  uint64_t state = static_cast<uint64_t>(n);
  const auto uniform = [&] {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1p-53;
  };
  TPoints p;
  p.X.reserve(static_cast<std::size_t>(n)), p.Y.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = 1000 + uniform(), t = 2 * (x - 1000.5);
    const double u1 = uniform(), u2 = uniform(), u3 = uniform(), u4 = uniform();
    const double noise = (u1 + u2 + u3 + u4 - 2) * 1.7320508075688772;
    p.X.push_back(x);
    p.Y.push_back(0.5 - 1.25 * t + 2 * t * t + 0.01 * noise);
  }
  return p;
}

// CalcPolyFit's design: x, x^2, ..., x^order (powers by repeated products), then 1.
TBlock PolyDesign(const std::vector<double>& x, int order) {
  const int m = static_cast<int>(x.size());
  TBlock a = test::Block(m, order + 1);
  for (int i = 0; i < m; ++i) {
    double power = 1;
    for (int k = 0; k < order; ++k) a(i, k) = power *= x[static_cast<std::size_t>(i)];
    a(i, order) = 1;
  }
  return a;
}

// The plain twin: SvdLeastSquares' rule on Golub-Reinsch over the whole design; P[k] of x^k.
std::vector<double> PlainPolyFit(const TPoints& p, int order) {
  TBlock a = PolyDesign(p.X, order);
  std::vector<double> b = p.Y, c(static_cast<std::size_t>(order) + 1), P(c.size());
  bool singular = false;
  EXPECT_TRUE(num_detail::SvdSolve(a.M, a.N, a.A.data(), b.data(), c.data(), nullptr, singular));
  P[0] = c[static_cast<std::size_t>(order)];
  for (int k = 1; k <= order; ++k) P[static_cast<std::size_t>(k)] = c[static_cast<std::size_t>(k) - 1];
  return P;
}

// Largest |fitted value - exact fit| over the points, relative to max |y|; both evaluated in
// extended, the fit of P on x, the reference on t (exact from x).
double FitError(const TPoints& p, const std::vector<double>& P, const test::TCollinearFit& ref) {
  double err = 0, ymax = 0;
  for (std::size_t i = 0; i < p.X.size(); ++i) {
    const E x = p.X[i], t = 2 * (x - 1000.5L);
    E f = 0, exact = 0;
    for (std::size_t k = P.size(); k-- > 0;) f = f * x + P[k];
    for (int k = ref.Order; k >= 0; --k) exact = exact * t + ref.C[k];
    err = std::max(err, static_cast<double>(std::fabs(f - exact)));
    ymax = std::max(ymax, std::fabs(p.Y[i]));
  }
  return err / ymax;
}

// The SVD through the public routine, with the checks every finite input must pass: true, finite
// factors, U diag(W) V^T = A and orthonormal V and U (its columns of non-zero values).
void ExpectSoundSvd(const TBlock& a, const char* name) {
  TMatrix ma(nullptr), mv(nullptr);
  TVector mw(nullptr);
  test::ToMatrix(a, ma);
  mv.Resize(a.N, a.N);
  mw.Resize(a.N);
  ASSERT_TRUE(SvdDecompose(&ma, &mv, &mw)) << name;
  const TBlock u = test::FromMatrix(ma), v = test::FromMatrix(mv);
  std::vector<double> w(static_cast<std::size_t>(a.N));
  for (int j = 0; j < a.N; ++j) w[static_cast<std::size_t>(j)] = mw.GetVal(j + 1);
  const auto finite = [](const std::vector<double>& cells) {
    return std::all_of(cells.begin(), cells.end(), [](double c) { return std::isfinite(c); });
  };
  ASSERT_TRUE(finite(u.A) && finite(v.A) && finite(w)) << name;
  double amax = 0, rec = 0, orth = 0;
  for (double c : a.A) amax = std::max(amax, std::fabs(c));
  for (int r = 0; r < a.M; ++r)
    for (int c = 0; c < a.N; ++c) {
      E s = 0;
      for (int k = 0; k < a.N; ++k) s += static_cast<E>(u(r, k)) * w[static_cast<std::size_t>(k)] * v(c, k);
      rec = std::max(rec, static_cast<double>(std::fabs(s - a(r, c))));
    }
  for (int p = 0; p < a.N; ++p)
    for (int q = 0; q < a.N; ++q) {
      E uu = 0, vv = 0;
      for (int r = 0; r < a.M; ++r) uu += static_cast<E>(u(r, p)) * u(r, q);
      for (int r = 0; r < a.N; ++r) vv += static_cast<E>(v(r, p)) * v(r, q);
      const bool bothNonZero = w[static_cast<std::size_t>(p)] != 0 && w[static_cast<std::size_t>(q)] != 0;
      orth = std::max({orth, static_cast<double>(std::fabs(vv - (p == q))),
                       bothNonZero ? static_cast<double>(std::fabs(uu - (p == q))) : 0.0});
    }
  EXPECT_LT(rec, 1e-13 * amax) << name;
  EXPECT_LT(orth, 1e-13) << name;
}

}  // namespace

// The tall path reduced a nearly collinear design with Householder norms summed in double over the
// long columns and carried the triangle of the rows so far rounded to double from one block of rows
// to the next: the fitted values of CalcPolyFit on readings at 1000..1001 lost digits as the points
// grew (2e-9 relative at 10^4 points, 5e-8 at 10^6, where Golub-Reinsch on the whole design keeps
// 1e-9). Held against that plain kernel on the same design, orders 1 to 3, 10^3 to 10^6 points.
TEST(SvdCollinear, PolyFitOfUncentredReadingsIsAsAccurateAsThePlainKernel) {
  int loaded = 0;
  TPoints p;
  TCurveFit fitter(nullptr);
  for (const test::TCollinearFit& ref : test::CollinearFits) {
    if (ref.N != loaded) {
      p = CollinearPoints(ref.N);
      fitter.Init();
      for (int i = 0; i < ref.N; ++i) fitter.EnterStatValue(p.X[static_cast<std::size_t>(i)], p.Y[static_cast<std::size_t>(i)]);
      loaded = ref.N;
    }
    ASSERT_TRUE(num_detail::SvdTallEnough(ref.N, ref.Order + 1));
    std::vector<double> P;
    double quality = 0;
    bool singular = false;
    ASSERT_TRUE(fitter.CalcPolyFit(static_cast<uint8_t>(ref.Order), P, quality, singular));
    const double tall = FitError(p, P, ref), plain = FitError(p, PlainPolyFit(p, ref.Order), ref);
    EXPECT_LE(tall, 1.5 * plain + 1e-12) << ref.N << " points, order " << ref.Order << ": plain " << plain;
  }
}

// The smallest singular value of the tall design [x, x^2, 1] over 10^6 readings at 1000..1001 came
// out 1.9e-9 relative off through the QR reduction (Golub-Reinsch on the whole matrix: 1.4e-11).
TEST(SvdCollinear, SmallestSingularValueOfATallCollinearDesignKeepsItsDigits) {
  for (const test::TCollinearSigma& ref : test::CollinearSigmas) {
    const TPoints p = CollinearPoints(ref.N);
    TBlock a = test::Block(ref.N, 3);
    for (int i = 0; i < ref.N; ++i) {
      const double x = p.X[static_cast<std::size_t>(i)];
      a(i, 0) = x, a(i, 1) = x * x, a(i, 2) = 1;
    }
    TBlock plain = a, v = test::Block(3, 3);
    std::vector<double> w(3), wPlain(3);
    ASSERT_TRUE(num_detail::SvdTallEnough(ref.N, 3));
    ASSERT_TRUE(num_detail::SvdKernel(ref.N, 3, a.A.data(), v.A.data(), w.data(), false));
    ASSERT_TRUE(num_detail::SvdKernelGolubReinsch(ref.N, 3, plain.A.data(), v.A.data(), wPlain.data(), false));
    const E exact = ref.SigmaMin;
    const auto miss = [&](const std::vector<double>& s) {
      return static_cast<double>(std::fabs(*std::min_element(s.begin(), s.end()) / exact - 1));
    };
    EXPECT_LT(miss(w), 1e-10) << ref.N << " rows";
    EXPECT_LT(miss(wPlain), 1e-10) << ref.N << " rows (plain kernel)";
  }
}

// A column of subnormal cells broke the decomposition: on the tall path the reciprocal of a
// subnormal Householder denominator overflowed (False with every W and U cell NaN for column 5 of
// 300 x 20, True with 5,600 NaN cells of U for the last column); in Golub-Reinsch a Householder
// vector multiplied back by its subnormal scale underflowed and the accumulation divided by it (the
// 20 x 9 design [x..x^8, 1] with x up to 1e-39 gave NaN cells in U and V).
TEST(SvdSubnormal, FiniteCellsGiveFiniteFactorsAndTheSolversFollow) {
  TBlock col5 = test::RandomBlock(300, 20, 51), last = test::RandomBlock(300, 20, 52);
  for (int r = 0; r < 300; ++r) col5(r, 4) *= 1e-310, last(r, 19) *= 1e-310;
  std::vector<double> x(20);
  for (int r = 0; r < 20; ++r) x[static_cast<std::size_t>(r)] = r * 1e-39 / 19;
  const TBlock tiny = PolyDesign(x, 8);
  const struct {
    const char* name;
    const TBlock& a;
  } cases[] = {{"300 x 20, column 5 subnormal", col5}, {"300 x 20, last column subnormal", last},
               {"20 x 9 powers of x up to 1e-39", tiny}};
  for (const auto& c : cases) {
    ExpectSoundSvd(c.a, c.name);
    TMatrix a(nullptr), pinv(nullptr);
    TVector b(nullptr), sol(nullptr), sd(nullptr);
    test::ToMatrix(c.a, a);
    const double spectral = a.Norm(ntSpectral);
    EXPECT_TRUE(std::isfinite(spectral) && spectral > 0) << c.name;
    ASSERT_TRUE(PseudoInverse(&a, &pinv, 0)) << c.name;
    const TBlock pb = test::FromMatrix(pinv);
    EXPECT_TRUE(std::all_of(pb.A.begin(), pb.A.end(), [](double v) { return std::isfinite(v); })) << c.name;
    b.Resize(c.a.M);
    for (int r = 1; r <= c.a.M; ++r) b.SetVal(r, 1 + r % 3);
    sol.Resize(c.a.N), sd.Resize(c.a.N);
    bool singular = false;
    ASSERT_TRUE(SvdLeastSquares(&a, &b, &sol, singular, &sd)) << c.name;
    EXPECT_TRUE(singular) << c.name;
    for (int j = 1; j <= c.a.N; ++j) EXPECT_TRUE(std::isfinite(sol.GetVal(j)) && std::isfinite(sd.GetVal(j))) << c.name;
  }
}

// CalcPolyFit(8) on abscissae up to 1e-39 answered True with a NaN constant (20 points, the plain
// path); the tall solver (100 points) must stay finite as well. y = 1 + x is 1 in double there.
TEST(SvdSubnormal, PolyFitOfTinyAbscissaeIsFinite) {
  for (int n : {20, 100}) {
    TCurveFit fitter(nullptr);
    for (int i = 0; i < n; ++i) {
      const double x = i * 1e-39 / (n - 1);
      fitter.EnterStatValue(x, 1 + x);
    }
    std::vector<double> P;
    double quality = 0;
    bool singular = false;
    ASSERT_TRUE(fitter.CalcPolyFit(8, P, quality, singular)) << n;
    EXPECT_TRUE(singular) << n;
    EXPECT_NEAR(P[0], 1.0, 1e-14) << n;
    for (double c : P) EXPECT_TRUE(std::isfinite(c)) << n;
  }
}

// The extended dot product of the narrow solver on every level: sums that cancel to small integers
// (exact in extended), products beyond double's range both ways (summed again in extended), and a
// long same-signed sum against the extended loop of level 0; lengths on both sides of the vector
// blocks. Levels 1 and 2 run the same loop and must agree bit for bit.
TEST(LinalgKernels, ExtendedDotProductKeepsItsDigitsOnEveryLevel) {
  const int saved = num_detail::KernelLevel();
  for (int n : {1, 7, 8, 9, 37, 1000}) {
    std::vector<double> x(static_cast<std::size_t>(n)), y(x.size(), 1.0), huge(x.size(), 1e200), tiny(x.size(), 1e-200);
    E exact = 0;
    for (int i = 0; i < n; ++i) {  // 2^53, then small integers, then -2^53
      const double v = i % 3 == 0 ? 0x1p53 : i % 3 == 1 ? (i % 7) + 1 : -0x1p53;
      x[static_cast<std::size_t>(i)] = v;
      if (i % 3 != 1 && i + 2 >= n) x[static_cast<std::size_t>(i)] = 0;  // no unpaired 2^53
      exact += x[static_cast<std::size_t>(i)];
    }
    std::vector<double> readings(x.size()), squares(x.size());
    for (int i = 0; i < n; ++i) {
      readings[static_cast<std::size_t>(i)] = 1000 + i * 1e-3 / n;
      squares[static_cast<std::size_t>(i)] = readings[static_cast<std::size_t>(i)] * readings[static_cast<std::size_t>(i)];
    }
    num_detail::SetKernelLevel(0);
    const E plainLong = num_detail::DotExtended(n, readings.data(), squares.data());
    E vectorLong = 0;
    for (int level = 0; level <= saved; ++level) {
      ASSERT_EQ(num_detail::SetKernelLevel(level), level);
      EXPECT_EQ(num_detail::DotExtended(n, x.data(), y.data()), exact) << level << " " << n;
      EXPECT_NEAR(static_cast<double>(num_detail::DotExtended(n, huge.data(), huge.data()) / (n * 1e400L)), 1, 1e-15) << level;
      EXPECT_NEAR(static_cast<double>(num_detail::DotExtended(n, tiny.data(), tiny.data()) / (n * 1e-400L)), 1, 1e-15) << level;
      const E s = num_detail::DotExtended(n, readings.data(), squares.data());
      EXPECT_NEAR(static_cast<double>(s / plainLong - 1), 0, 1e-17) << level << " " << n;
      if (level == 2) {
        EXPECT_EQ(s, vectorLong) << n;
      }
      vectorLong = s;
    }
  }
  num_detail::SetKernelLevel(saved);
}
