// Qelta_math2: singular value decomposition and least squares, covariance, Jacobi eigenvectors,
// principal components, pseudo-inverse, image correlation. LAPACK and GSL are the references.

#include <gsl/gsl_statistics_double.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "Assertions.h"
#include "Graphics.h"
#include "LinalgTestKit.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "Qelta_qeltacolors.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::TBlock;

namespace {

using Rows = std::vector<std::vector<double>>;

void Load(TMatrix& m, const Rows& rows) { test::LoadRows(m, rows); }

std::vector<double> Elements(const TVector& v) {
  std::vector<double> e;
  for (int i = 1; i <= v.NrOfElem(); ++i) e.push_back(v.GetVal(i));
  return e;
}

void SetElements(TVector& v, const std::vector<double>& e) {
  v.Resize(static_cast<int>(e.size()));
  for (std::size_t i = 0; i < e.size(); ++i) v.SetVal(static_cast<int>(i + 1), e[i]);
}

// Saves and restores the progress globals around a test.
struct TProgressGuard {
  FeedBackProcType saved = MathFeedBackProc;
  ~TProgressGuard() {
    MathFeedBackProc = saved;
    AbortMathProc = false;
  }
};

// The SVD of a block through the public routine.
struct TOurSvd {
  TBlock u, v;
  std::vector<double> w;
  bool fine = false;
};

TOurSvd OurSvd(const TBlock& a) {
  TMatrix ma(nullptr), mv(nullptr);
  TVector mw(nullptr);
  test::ToMatrix(a, ma);
  mv.Resize(a.N, a.N);
  mw.Resize(std::max(a.N, 1));
  TOurSvd r;
  r.fine = SvdDecompose(&ma, &mv, &mw);
  r.u = test::FromMatrix(ma);
  r.v = test::FromMatrix(mv);
  r.w = Elements(mw);
  r.w.resize(static_cast<std::size_t>(a.N));
  return r;
}

// Largest |U diag(w) V^T - A|.
double ReconstructionError(const TBlock& a, const TOurSvd& s) {
  TBlock us = s.u;
  for (int c = 0; c < a.N; ++c)
    for (int r = 0; r < a.M; ++r) us(r, c) *= s.w[static_cast<std::size_t>(c)];
  return test::MaxDiff(test::Product(us, test::Transposed(s.v)), a);
}

// Largest |V^T V - I|.
double OrthonormalityError(const TBlock& v) {
  const TBlock g = test::Product(test::Transposed(v), v);
  double e = 0;
  for (int c = 0; c < g.N; ++c)
    for (int r = 0; r < g.M; ++r) e = std::max(e, std::fabs(g(r, c) - (r == c ? 1.0 : 0.0)));
  return e;
}

double Largest(const std::vector<double>& v) {
  double m = 0;
  for (double x : v) m = std::max(m, x);
  return m;
}

}  // namespace

// --- singular value decomposition ------------------------------------------------------------------

TEST(SvdDecompose, DiagonalMatrixMovesTheSignIntoV) {
  const TOurSvd s = OurSvd({3, 3, {3, 0, 0, 0, -2, 0, 0, 0, 1}});
  ASSERT_TRUE(s.fine);
  EXPECT_EQ(test::Falling(s.w, 3), (std::vector<double>{3, 2, 1}));
  for (int c = 0; c < 3; ++c)
    if (s.w[static_cast<std::size_t>(c)] == 2) {
      EXPECT_EQ(s.v(1, c) * s.u(1, c), -1.0);
    }
  EXPECT_LT(ReconstructionError({3, 3, {3, 0, 0, 0, -2, 0, 0, 0, 1}}, s), 1e-15);
}

TEST(SvdDecompose, AgreesWithLapackOnAwkwardShapes) {
  struct TCase {
    const char* name;
    TBlock a;
  };
  TBlock rankDeficient = test::Product(test::RandomBlock(30, 4, 5), test::RandomBlock(4, 10, 6));
  TBlock zeroColumn = test::RandomBlock(12, 5, 7);
  for (int r = 0; r < 12; ++r) zeroColumn(r, 2) = 0;
  const TCase cases[] = {
      {"tall", test::RandomBlock(40, 7, 1)},          {"wide", test::RandomBlock(3, 8, 2)},
      {"square", test::RandomBlock(33, 33, 3)},       {"rank 4", rankDeficient},
      {"graded", test::GradedBlock(25, 12, 4, 10)},   {"zero column", zeroColumn},
      {"single row", test::RandomBlock(1, 6, 8)},     {"1 x 1", {1, 1, {-4}}},
      {"zero", test::Block(4, 3)},                    {"large tall", test::RandomBlock(400, 60, 10)},
      {"large wide", test::RandomBlock(20, 90, 11)},
  };
  for (const TCase& c : cases) {
    const TOurSvd s = OurSvd(c.a);
    ASSERT_TRUE(s.fine) << c.name;
    const std::vector<double> ours = test::Falling(s.w, s.w.size());
    const std::vector<double> ref = test::Falling(test::LapackSingularValues(c.a), s.w.size());
    const double wmax = std::max(Largest(ref), 1e-300);
    for (std::size_t i = 0; i < ours.size(); ++i) EXPECT_NEAR(ours[i], ref[i], 1e-13 * wmax) << c.name << " " << i;
    EXPECT_LE(ReconstructionError(c.a, s), 1e-13 * wmax) << c.name;
    EXPECT_LT(OrthonormalityError(s.v), 1e-13) << c.name;
  }
}

// Regression: the cancellation step did not split the bidiagonal at a zero on its diagonal, and
// about 1 % of these matrices came out True with wrong values. (The kernel of SvdDecompose is
// called directly: 262144 decompositions.)
TEST(SvdDecompose, EverySmallMatrixWithEntriesFromMinusOneToTwo) {
  TBlock a = test::Block(3, 3);
  int bad = 0;
  for (int code = 0; code < 262144; ++code) {
    for (int k = 0, c = code; k < 9; ++k, c /= 4) a.A[static_cast<std::size_t>(k)] = c % 4 - 1;
    TOurSvd s{a, test::Block(3, 3), std::vector<double>(3), false};
    s.fine = num_detail::SvdKernel(3, 3, s.u.A.data(), s.v.A.data(), s.w.data(), true);
    const std::vector<double> ref = test::Falling(test::LapackSingularValues(a), 3);
    const std::vector<double> ours = test::Falling(s.w, 3);
    const double tol = 1e-13 * std::max(ref[0], 1.0);
    if (!s.fine || std::fabs(ours[0] - ref[0]) > tol || std::fabs(ours[1] - ref[1]) > tol ||
        std::fabs(ours[2] - ref[2]) > tol || ReconstructionError(a, s) > tol)
      ++bad;
  }
  EXPECT_EQ(bad, 0);
}

// Regression: with a NaN or infinite anorm nothing is negligible, and the split test read w(0)
// before the first value; such matrices now answer False after bounded iterations.
TEST(SvdDecompose, NonFiniteCellsAnswerFalse) {
  for (double bad : {std::nan(""), HUGE_VAL}) {
    TBlock a = test::RandomBlock(4, 3, 2);
    a(1, 1) = bad;
    EXPECT_FALSE(OurSvd(a).fine);
  }
}

TEST(SvdDecompose, CountsOneProcStatStepPerColumnAndPhaseWithoutFeedback) {
  TProgressGuard guard;
  int calls = 0;
  MathFeedBackProc = [&](int) { ++calls; };
  const int before = ProcStat;
  const TOurSvd s = OurSvd(test::RandomBlock(9, 6, 3));
  EXPECT_EQ(ProcStat - before, 4 * 6);
  EXPECT_EQ(calls, 0);
  TMatrix a(nullptr);
  EXPECT_FALSE(SvdDecompose(&a, nullptr, nullptr));
}

// Tall matrices go through a QR reduction of their rows below the n-th; Golub-Reinsch on the whole
// matrix stays as the plain twin. Both give the singular values within 1e-14 relative, U and V
// within rounding and with the same signs, and the same ProcStat steps: one panel of reflectors and
// several (40 columns), the smallest tall shape (64 x 21), a graded matrix.
TEST(SvdDecompose, TallReductionAgreesWithGolubReinschOnTheWholeMatrix) {
  const struct {
    const char* name;
    TBlock a;
  } cases[] = {{"300 x 20", test::RandomBlock(300, 20, 21)},
               {"1000 x 40", test::RandomBlock(1000, 40, 22)},
               {"64 x 21", test::RandomBlock(64, 21, 23)},
               {"graded 200 x 12", test::GradedBlock(200, 12, 24, 4)}};
  for (const auto& c : cases) {
    const int m = c.a.M, n = c.a.N;
    ASSERT_TRUE(num_detail::SvdTallEnough(m, n)) << c.name;
    TOurSvd tall{c.a, test::Block(n, n), std::vector<double>(static_cast<std::size_t>(n)), false};
    TOurSvd plain = tall;
    int before = ProcStat;
    tall.fine = num_detail::SvdKernel(m, n, tall.u.A.data(), tall.v.A.data(), tall.w.data(), true);
    const int tallSteps = ProcStat - before;
    before = ProcStat;
    plain.fine = num_detail::SvdKernelGolubReinsch(m, n, plain.u.A.data(), plain.v.A.data(), plain.w.data(), true);
    EXPECT_EQ(tallSteps, ProcStat - before) << c.name;
    EXPECT_EQ(tallSteps, 4 * n) << c.name;
    ASSERT_TRUE(tall.fine && plain.fine) << c.name;
    for (int j = 0; j < n; ++j) {
      EXPECT_NEAR_REL(tall.w[static_cast<std::size_t>(j)], plain.w[static_cast<std::size_t>(j)], 1e-14) << c.name << " " << j;
      double du = 0, dv = 0;
      for (int r = 0; r < m; ++r) du = std::max(du, std::fabs(tall.u(r, j) - plain.u(r, j)));
      for (int r = 0; r < n; ++r) dv = std::max(dv, std::fabs(tall.v(r, j) - plain.v(r, j)));
      EXPECT_LT(du, 1e-12) << c.name << " column " << j << " of U";  // a sign flip would give about 1
      EXPECT_LT(dv, 1e-12) << c.name << " column " << j << " of V";
    }
  }
}

// The least-squares solver on a tall design, whole and given a block of rows at a time (its rows
// reduced to a triangle as they come), against the plain route: SvdLeastSquares' rule on the
// Golub-Reinsch factors of the whole design.
TEST(SvdDecompose, TallLeastSquaresAgreeWithThePlainRoute) {
  for (const auto& shape : {std::array{500, 6}, {2500, 9}, {70, 23}}) {
    const int m = shape[0], n = shape[1];
    const TBlock a = test::RandomBlock(m, n, 31), bb = test::RandomBlock(m, 1, 32);
    TBlock u = a, v = test::Block(n, n);
    std::vector<double> w(static_cast<std::size_t>(n)), plain(static_cast<std::size_t>(n));
    ASSERT_TRUE(num_detail::SvdKernelGolubReinsch(m, n, u.A.data(), v.A.data(), w.data(), true));
    for (int k = 0; k < n; ++k) {
      double t = 0;
      for (int i = 0; i < m; ++i) t += u(i, k) * bb.A[static_cast<std::size_t>(i)];
      for (int j = 0; j < n; ++j) plain[static_cast<std::size_t>(j)] += v(j, k) * t / w[static_cast<std::size_t>(k)];
    }
    TBlock design = a, rhs = bb;
    std::vector<double> x(static_cast<std::size_t>(n)), byRows(x.size());
    bool singular = true, singularByRows = true;
    ASSERT_TRUE(num_detail::SvdSolve(m, n, design.A.data(), rhs.A.data(), x.data(), nullptr, singular));
    const auto fill = [&](int r0, int r1, double* block, int64_t ld, double* b) {
      for (int i = r0; i < r1; ++i) {
        for (int c = 0; c < n; ++c) block[(i - r0) + c * ld] = a(i, c);
        b[i - r0] = bb.A[static_cast<std::size_t>(i)];
      }
    };
    ASSERT_TRUE(num_detail::SvdSolveByRows(m, n, fill, byRows.data(), nullptr, singularByRows));
    EXPECT_FALSE(singular);
    EXPECT_FALSE(singularByRows);
    for (int j = 0; j < n; ++j) {
      EXPECT_NEAR(x[static_cast<std::size_t>(j)], plain[static_cast<std::size_t>(j)], 1e-13) << m << " x " << n;
      EXPECT_NEAR(byRows[static_cast<std::size_t>(j)], plain[static_cast<std::size_t>(j)], 1e-13) << m << " x " << n;
    }
  }
}

// A NaN below the first n rows whose column is otherwise zero there left no trace in R: the tall
// path answered True where Golub-Reinsch on the whole matrix answers False.
TEST(SvdDecompose, TallMatrixWithANaNAnswersFalse) {
  TBlock a = test::RandomBlock(100, 5, 41);
  for (int r = 5; r < 100; ++r) a(r, 2) = 0;
  a(70, 2) = std::nan("");
  EXPECT_FALSE(OurSvd(a).fine);
}

// --- least squares ---------------------------------------------------------------------------------

TEST(SvdLeastSquares, StraightLineAndDependentColumns) {
  TMatrix a(nullptr);
  TVector b(nullptr), x(nullptr), sd(nullptr);
  SetElements(b, {1, 3, 5});
  x.Resize(2);
  sd.Resize(2);
  bool singular = true;
  Load(a, {{0, 1}, {1, 1}, {2, 1}});
  ASSERT_TRUE(SvdLeastSquares(&a, &b, &x, singular, &sd));
  EXPECT_FALSE(singular);
  EXPECT_NEAR(x.GetVal(1), 2.0, 1e-14);
  EXPECT_NEAR(x.GetVal(2), 1.0, 1e-14);
  EXPECT_NEAR(sd.GetVal(1), std::sqrt(0.5), 1e-14);  // sqrt of the diagonal of (A^T A)^-1
  EXPECT_NEAR(sd.GetVal(2), std::sqrt(5.0 / 6), 1e-14);
  Load(a, {{0, 0}, {1, 1}, {2, 2}});
  ASSERT_TRUE(SvdLeastSquares(&a, &b, &x, singular, nullptr));
  EXPECT_TRUE(singular);
  EXPECT_NEAR(x.GetVal(1), x.GetVal(2), 1e-13);  // the minimum-norm solution splits the slope
}

// Fewer points than unknowns: the decomposition pads the design and answers the minimum-norm fit.
TEST(SvdLeastSquares, WideDesignGivesTheMinimumNormSolution) {
  TMatrix a(nullptr), pinv(nullptr), copy(nullptr);
  Load(a, {{1, 2, 3}, {1, -1, 4}});
  copy.Clone(&a);
  ASSERT_TRUE(PseudoInverse(&copy, &pinv, 0));
  TVector b(nullptr), x(nullptr);
  SetElements(b, {6, 4});
  x.Resize(3);
  bool singular = false;
  ASSERT_TRUE(SvdLeastSquares(&a, &b, &x, singular, nullptr));
  EXPECT_TRUE(singular);  // the padding row adds a zero value
  for (int j = 1; j <= 3; ++j) EXPECT_NEAR(x.GetVal(j), 6 * pinv.GetVal(1, j) + 4 * pinv.GetVal(2, j), 1e-13);
  EXPECT_NEAR(x.GetVal(1) + 2 * x.GetVal(2) + 3 * x.GetVal(3), 6.0, 1e-13);
}

// Regression: with wmax = 0 no value was "below wmax * 1e-14", so an all-zero design reported
// a regular fit.
TEST(SvdLeastSquares, AllZeroDesignIsSingular) {
  TMatrix a(nullptr);
  a.Resize(2, 4);
  TVector b(nullptr), x(nullptr);
  SetElements(b, {1, 2, 3, 4});
  x.Resize(2);
  bool singular = false;
  ASSERT_TRUE(SvdLeastSquares(&a, &b, &x, singular, nullptr));
  EXPECT_TRUE(singular);
  EXPECT_EQ(Elements(x), (std::vector<double>{0, 0}));
  EXPECT_FALSE(SvdLeastSquares(nullptr, &b, &x, singular, nullptr));
}

TEST(SvdBackSubstitute, ZeroValuesContributeNothing) {
  TMatrix u(nullptr), v(nullptr);
  Load(u, {{1, 0}, {0, 1}});
  Load(v, {{1, 0}, {0, 1}});
  TVector w(nullptr), b(nullptr), x(nullptr), sd(nullptr);
  SetElements(w, {2, 0});
  SetElements(b, {4, 9});
  x.Resize(2);
  sd.Resize(2);
  EXPECT_TRUE(SvdBackSubstitute(&u, &v, &w, &sd, &x, &b));
  EXPECT_EQ(Elements(x), (std::vector<double>{2, 0}));
  EXPECT_EQ(Elements(sd), (std::vector<double>{0.5, 0}));
}

// --- covariance ------------------------------------------------------------------------------------

TEST(CalcCovar, PartsEdgeCases) {
  TMatrix data(nullptr), cov(nullptr);
  Load(data, {{1, 3}, {2, 5}, {4, 9}, {7, 15}});  // y = 2x + 1
  cov.Resize(2, 2);
  for (int mode : {2, 3}) {
    ASSERT_TRUE(CalcCovar(&data, &cov, 1, 2, 1, 4, mode));
    for (int c = 1; c <= 2; ++c)
      for (int r = 1; r <= 2; ++r) EXPECT_NEAR(cov.GetVal(c, r), 1.0, 1e-15) << mode;
  }
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 2, 1, 4, 1));
  EXPECT_DOUBLE_EQ(cov.GetVal(1, 1), 7.0);  // sample variance of 1, 2, 4, 7
  EXPECT_DOUBLE_EQ(cov.GetVal(2, 2), 28.0);
  EXPECT_DOUBLE_EQ(cov.GetVal(1, 2), 14.0);
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 2, 1, 4, 0));
  EXPECT_DOUBLE_EQ(cov.GetVal(2, 1), (3 + 10 + 36 + 105) / 3.0);
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 2, 1, 4, 4));
  EXPECT_DOUBLE_EQ(cov.GetVal(2, 1), (4 + 9 + 25 + 64) / 3.0);
  EXPECT_EQ(cov.GetVal(1, 1), 0.0);
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 2, 1, 4, 7));
  EXPECT_EQ(cov.GetVal(2, 1), 0.0);
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 2, 3, 2, 2));  // no objects: zeros, diagonal 1
  EXPECT_EQ(cov.GetVal(2, 1), 0.0);
  EXPECT_EQ(cov.GetVal(2, 2), 1.0);
  cov.Fill(9);
  EXPECT_FALSE(CalcCovar(&data, &cov, 1, 3, 1, 4, 1));  // three variables, 2 x 2 result
  EXPECT_EQ(cov.GetVal(1, 1), 9.0);
}

// Regression: one object row divided by m - 1 = 0.
TEST(CalcCovar, OneObjectAnswersFalseAndWritesNothing) {
  TMatrix data(nullptr), cov(nullptr);
  Load(data, {{1, 2}, {3, 4}});
  cov.Resize(2, 2);
  cov.Fill(9);
  EXPECT_FALSE(CalcCovar(&data, &cov, 1, 2, 2, 2, 1));
  EXPECT_EQ(cov.GetVal(1, 2), 9.0);
}

TEST(CalcCovar, AgreesWithGsl) {
  const TBlock x = test::RandomBlock(50, 5, 21);
  TMatrix data(nullptr), cov(nullptr), cor(nullptr);
  test::ToMatrix(x, data);
  cov.Resize(5, 5);
  cor.Resize(5, 5);
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 5, 1, 50, 1));
  ASSERT_TRUE(CalcCovar(&data, &cor, 1, 5, 1, 50, 2));
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) {
      EXPECT_NEAR(cov.GetVal(i + 1, j + 1), gsl_stats_covariance(&x.A[50 * i], 1, &x.A[50 * j], 1, 50), 1e-15);
      EXPECT_NEAR(cor.GetVal(i + 1, j + 1), gsl_stats_correlation(&x.A[50 * i], 1, &x.A[50 * j], 1, 50), 1e-14);
    }
}

// Regression: the one-pass variance of data with a large common offset lost every digit, which
// made sqrt(var_i var_j) NaN or correlations exceed 1.
TEST(CalcCovar, LargeOffsetsKeepCorrelationsRight) {
  TBlock x = test::RandomBlock(200, 3, 31);
  for (double& v : x.A) v = 1e9 + v;
  for (int r = 0; r < 200; ++r) x(r, 2) = x(r, 0);
  TMatrix data(nullptr), cor(nullptr);
  test::ToMatrix(x, data);
  cor.Resize(3, 3);
  ASSERT_TRUE(CalcCovar(&data, &cor, 1, 3, 1, 200, 2));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double r = cor.GetVal(i + 1, j + 1);
      EXPECT_LE(std::fabs(r), 1.0);
      EXPECT_NEAR(r, gsl_stats_correlation(&x.A[200 * i], 1, &x.A[200 * j], 1, 200), 1e-9);
    }
}

// Rows of the range outside the data matrix are objects whose values are all 0.
TEST(CalcCovar, RowsOutsideTheMatrixCountAsZeroObjects) {
  TMatrix data(nullptr), padded(nullptr), a(nullptr), b(nullptr);
  Load(data, {{1, 2}, {3, 1}, {4, 7}});
  Load(padded, {{0, 0}, {1, 2}, {3, 1}, {4, 7}, {0, 0}, {0, 0}});
  a.Resize(2, 2);
  b.Resize(2, 2);
  for (int mode = 0; mode <= 4; ++mode) {
    ASSERT_TRUE(CalcCovar(&data, &a, 1, 2, 0, 5, mode));
    ASSERT_TRUE(CalcCovar(&padded, &b, 1, 2, 1, 6, mode));
    for (int c = 1; c <= 2; ++c)
      for (int r = 1; r <= 2; ++r) EXPECT_NEAR(a.GetVal(c, r), b.GetVal(c, r), 1e-14) << mode;
  }
}

TEST(CalcCovar, ProgressStepsAndAbort) {
  TProgressGuard guard;
  TMatrix data(nullptr), cov(nullptr);
  test::ToMatrix(test::RandomBlock(10, 4, 3), data);
  cov.Resize(4, 4);
  int calls = 0;
  MathFeedBackProc = [&](int) { ++calls; };
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 4, 1, 10, 1));
  EXPECT_EQ(calls, 10 + 4);
  calls = 0;
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 4, 1, 10, 0));
  EXPECT_EQ(calls, 4);
  cov.Fill(9);
  MathFeedBackProc = [&](int) { AbortMathProc = ++calls >= 2; };
  calls = 0;
  EXPECT_FALSE(CalcCovar(&data, &cov, 1, 4, 1, 10, 0));
  EXPECT_EQ(calls, 2);
  EXPECT_NE(cov.GetVal(2, 2), 9.0);  // rows 1 and 2 written
  EXPECT_EQ(cov.GetVal(3, 3), 9.0);
}

// --- eigenvalues and eigenvectors ------------------------------------------------------------------

TEST(CalcEigVec, DiagonalMatrixConvergesAtOnce) {
  TMatrix m(nullptr);
  Load(m, {{1, 0}, {0, 3}});
  const int before = ProcStat;
  ASSERT_TRUE(CalcEigVec(&m));
  EXPECT_EQ(ProcStat - before, 1);
  EXPECT_EQ(GetEigenSize(), 2);
  EXPECT_EQ(GetEigenResult(1, 0), 1.0);
  EXPECT_EQ(GetEigenResult(2, 0), 3.0);
  EXPECT_EQ(GetEigenResult(1, 1), 1.0);
  EXPECT_EQ(GetEigenResult(1, 2), 0.0);
  EXPECT_EQ(GetEigenResult(2, 2), 1.0);
}

// Component j of eigenvector i: A v_i = lambda_i v_i with v_i read through GetEigenResult(i, j).
TEST(CalcEigVec, StorageLayoutAndBounds) {
  TMatrix m(nullptr);
  const Rows a{{4, 1, 2}, {1, 3, 0}, {2, 0, 5}};
  Load(m, a);
  ASSERT_TRUE(CalcEigVec(&m));
  for (int i = 1; i <= 3; ++i)
    for (int r = 0; r < 3; ++r) {
      double av = 0;
      for (int j = 1; j <= 3; ++j) av += a[r][static_cast<std::size_t>(j - 1)] * GetEigenResult(i, j);
      EXPECT_NEAR(av, GetEigenResult(i, 0) * GetEigenResult(i, r + 1), 1e-13);
    }
  EXPECT_EQ(m.GetVal(1, 2), 1.0);  // below the diagonal: unchanged
  EXPECT_LT(std::fabs(m.GetVal(2, 1)), 1e-12);  // above: destroyed
  for (auto [i, j] : {std::pair{0, 1}, {4, 1}, {1, -1}, {1, 4}}) EXPECT_EQ(GetEigenResult(i, j), 0.0);
  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);
  EXPECT_EQ(GetEigenSize(), 3);
}

TEST(CalcEigVec, AgreesWithLapack) {
  for (int n : {2, 7, 40, 90}) {
    TBlock a = test::RandomBlock(n, n, 60 + n);
    for (int c = 0; c < n; ++c)
      for (int r = 0; r < c; ++r) a(c, r) = a(r, c);
    TMatrix m(nullptr);
    test::ToMatrix(a, m);
    ASSERT_TRUE(CalcEigVec(&m)) << n;
    TBlock z = a;
    std::vector<double> w(static_cast<std::size_t>(n));
    int lwork = 64 * n, info = 0;
    std::vector<double> work(static_cast<std::size_t>(lwork));
    dsyev_("V", "U", &n, z.A.data(), &n, w.data(), work.data(), &lwork, &info);
    ASSERT_EQ(info, 0);
    for (int i = 1; i <= n; ++i) {
      const double lambda = GetEigenResult(i, 0);
      int k = 0;  // LAPACK's nearest value (ascending)
      for (int q = 1; q < n; ++q)
        if (std::fabs(w[static_cast<std::size_t>(q)] - lambda) < std::fabs(w[static_cast<std::size_t>(k)] - lambda)) k = q;
      EXPECT_NEAR(lambda, w[static_cast<std::size_t>(k)], 1e-12 * n) << n;
      double dot = 0;
      for (int j = 1; j <= n; ++j) dot += GetEigenResult(i, j) * z(j - 1, k);
      EXPECT_NEAR(std::fabs(dot), 1.0, 1e-10) << n << " vector " << i;  // the same vector up to sign
    }
  }
}

// Regression: a pass that found sm = 0 did not count as converged when it was the last pass.
TEST(CalcEigVec, ConvergenceOnTheLastPassIsTrue) {
  TMatrix m(nullptr);
  Load(m, {{1, 0}, {0, 3}});
  EXPECT_TRUE(num_detail::CalcEigVecWithin(&m, 1));
  Load(m, {{1, 2}, {2, 3}});
  EXPECT_FALSE(num_detail::CalcEigVecWithin(&m, 1));  // one sweep, no pass left to see sm = 0
  Load(m, {{1, 2}, {2, 3}});
  EXPECT_TRUE(num_detail::CalcEigVecWithin(&m, 2));
}

TEST(CalcEigVec, AbortAndLimits) {
  TProgressGuard guard;
  TMatrix m(nullptr);
  test::ToMatrix(test::RandomBlock(6, 6, 5), m);
  int calls = 0;
  MathFeedBackProc = [&](int) { AbortMathProc = ++calls >= 4; };  // pass 1, then three pairs
  EXPECT_FALSE(CalcEigVec(&m));
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(GetEigenSize(), 6);  // partial values stay
  MathFeedBackProc = nullptr;
  Load(m, {{1, std::nan("")}, {std::nan(""), 2}});
  EXPECT_FALSE(CalcEigVec(&m));  // never converges: 100 passes
  TMatrix big(nullptr);
  big.Resize(10001, 1);
  EXPECT_FALSE(CalcEigVec(&big));
  EXPECT_EQ(GetEigenSize(), 2);  // the storage of the last decomposition stays
  EXPECT_FALSE(CalcEigVec(nullptr));
}

TEST(CalcEigVec, StepsOnePerPassAndPair) {
  TProgressGuard guard;
  TMatrix m(nullptr);
  Load(m, {{2, 1}, {1, 2}});
  const int before = ProcStat;
  ASSERT_TRUE(CalcEigVec(&m));
  EXPECT_EQ(ProcStat - before, 1 + 1 + 1);  // pass 1 with its one pair, pass 2 finds sm = 0
}

// --- principal components --------------------------------------------------------------------------

TEST(CalcPrincComp, PerfectlyCorrelatedColumns) {
  TMatrix data(nullptr);
  Load(data, {{1, 3}, {2, 5}, {4, 9}, {7, 15}});
  ASSERT_TRUE(CalcPrincComp(&data, 1, 2, 1, 4, 2));
  EXPECT_NEAR(GetEigenResult(1, 0), 1.0, 1e-14);
  EXPECT_NEAR(GetEigenResult(2, 0), 0.0, 1e-14);
  EXPECT_NEAR(std::fabs(GetEigenResult(1, 1)), std::sqrt(0.5), 1e-14);
  EXPECT_NEAR(GetEigenResult(1, 1), GetEigenResult(1, 2), 1e-14);
}

TEST(CalcPrincComp, SortsFallingWithTheVectors) {
  const TBlock x = test::RandomBlock(30, 4, 17);
  TMatrix data(nullptr), cov(nullptr);
  test::ToMatrix(x, data);
  ASSERT_TRUE(CalcPrincComp(&data, 1, 4, 1, 30, 1, false));
  cov.Resize(4, 4);
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 4, 1, 30, 1));
  const TBlock c = test::FromMatrix(cov);
  for (int i = 1; i <= 4; ++i) {
    if (i > 1) {
      EXPECT_GE(GetEigenResult(i - 1, 0), GetEigenResult(i, 0));
    }
    for (int r = 0; r < 4; ++r) {
      double cv = 0;
      for (int j = 1; j <= 4; ++j) cv += c(r, j - 1) * GetEigenResult(i, j);
      EXPECT_NEAR(cv, GetEigenResult(i, 0) * GetEigenResult(i, r + 1), 1e-13);
    }
  }
  TMatrix small(nullptr);
  Load(small, {{1, 2}});
  EXPECT_FALSE(CalcPrincComp(&small, 1, 2, 1, 1, 1));  // one object
}

// --- pseudo-inverse --------------------------------------------------------------------------------

TEST(PseudoInverse, ShapeAndTheInverseOfARegularMatrix) {
  TMatrix a(nullptr), p(nullptr);
  Load(a, {{1, 2}, {3, 4}, {5, 7}});
  ASSERT_TRUE(PseudoInverse(&a, &p, 0));
  EXPECT_EQ(p.NrOfColumns(), 3);
  EXPECT_EQ(p.NrOfRows(), 2);
  const TBlock ab = test::FromMatrix(a), pb = test::FromMatrix(p);
  EXPECT_LT(test::MaxDiff(test::Product(test::Product(ab, pb), ab), ab), 1e-13);
  Load(a, {{2, 1}, {1, 3}});
  ASSERT_TRUE(PseudoInverse(&a, &p, 0));
  EXPECT_NEAR(p.GetVal(1, 1), 0.6, 1e-15);
  EXPECT_NEAR(p.GetVal(2, 1), -0.2, 1e-15);
  EXPECT_NEAR(p.GetVal(2, 2), 0.4, 1e-15);
  EXPECT_FALSE(PseudoInverse(nullptr, &p, 0));
}

// The second column twice the first: the tiny value is zeroed, as in a pseudo-inverse built from
// LAPACK's decomposition with the same cutoff.
TEST(PseudoInverse, RankDeficientAgreesWithLapack) {
  TBlock a = test::RandomBlock(5, 3, 44);
  for (int r = 0; r < 5; ++r) a(r, 1) = 2 * a(r, 0);
  int m = 5, n = 3, lwork = 200, info = 0;
  TBlock u = test::Block(5, 3), vt = test::Block(3, 3), copy = a;
  std::vector<double> s(3), work(200);
  dgesvd_("S", "S", &m, &n, copy.A.data(), &m, s.data(), u.A.data(), &m, vt.A.data(), &n, work.data(), &lwork, &info);
  const double cutoff = 5 * s[0] * 1.2e-16;
  TBlock ref = test::Block(3, 5);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 5; ++j)
      for (int k = 0; k < 3; ++k)
        if (s[static_cast<std::size_t>(k)] > cutoff) ref(i, j) += vt(k, i) * u(j, k) / s[static_cast<std::size_t>(k)];
  TMatrix ma(nullptr), p(nullptr), q(nullptr);
  test::ToMatrix(a, ma);
  ASSERT_TRUE(PseudoInverse(&ma, &p, 0));
  EXPECT_LT(test::MaxDiff(test::FromMatrix(p), ref), 1e-12);
  // Regression: a negative threshold let the zero value be divided by; it selects the default.
  ASSERT_TRUE(PseudoInverse(&ma, &q, -1));
  EXPECT_LT(test::MaxDiff(test::FromMatrix(q), ref), 1e-12);
}

TEST(PseudoInverse, WideMatrixSatisfiesThePenroseConditions) {
  const TBlock a = test::RandomBlock(2, 4, 9);
  TMatrix ma(nullptr), p(nullptr);
  test::ToMatrix(a, ma);
  ASSERT_TRUE(PseudoInverse(&ma, &p, 0));
  ASSERT_EQ(p.NrOfRows(), 4);
  const TBlock pb = test::FromMatrix(p), ap = test::Product(a, pb), pa = test::Product(pb, a);
  EXPECT_LT(test::MaxDiff(test::Product(ap, a), a), 1e-13);
  EXPECT_LT(test::MaxDiff(test::Product(pa, pb), pb), 1e-13);
  EXPECT_LT(test::MaxDiff(pa, test::Transposed(pa)), 1e-13);
}

// --- the correlation rule and the image correlation ------------------------------------------------

TEST(CorrelationOfSums, Rule) {
  num_detail::TCorrelationSums s;
  s.Add(1, 2);
  s.Add(2, 4);
  EXPECT_EQ(s.R(), 0.0);  // fewer than 3 pairs
  s.Add(3, 6);
  EXPECT_EQ(s.R(), 1.0);
  num_detail::TCorrelationSums flat;
  for (int i = 0; i < 5; ++i) flat.Add(i, 7);
  EXPECT_EQ(flat.R(), 0.0);  // a centred sum is 0
  num_detail::TCorrelationSums zeros;
  for (int i = 0; i < 5; ++i) zeros.Add(0, i);
  EXPECT_EQ(zeros.R(), 0.0);  // sum of x^2 is 0
}

namespace {

// A bitmap whose pixel (x, y) has the colour f(x, y).
template <typename F>
std::unique_ptr<TBitmap> MakeBitmap(int w, int h, F f) {
  auto b = std::make_unique<TBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->Canvas()->SetPixels(x, y, f(x, y));
  return b;
}

// The quantity of a mode, read independently of the library's pixel path.
double ModeValue(TColor c, TImgCompareMode mode) {
  const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  double h = 0, s = 0, i = 0;
  RGBtoHSI(r, g, b, h, s, i);
  const double values[] = {double(r), double(b), double(g), h, i, s, double(RGBtoGray(r, g, b))};
  return values[mode];
}

// Pearson correlation of the pairs read pixel by pixel through the canvases (-1 outside).
double NaiveCorrelation(const TBitmap& i1, const TBitmap& i2, TRect a1, TRect a2, TImgCompareMode mode) {
  std::vector<double> xs, ys;
  for (int x = a1.Left; x <= a1.Right; ++x)
    for (int y = a1.Top; y <= a1.Bottom; ++y) {
      xs.push_back(ModeValue(i1.Canvas()->Pixels(x, y), mode));
      ys.push_back(ModeValue(i2.Canvas()->Pixels(x + a2.Left - a1.Left, y + a2.Top - a1.Top), mode));
    }
  return gsl_stats_correlation(xs.data(), 1, ys.data(), 1, xs.size());
}

}  // namespace

TEST(CalcImgCorrelation, SelfInvertedAndConstant) {
  const auto img = MakeBitmap(8, 6, [](int x, int y) { return RGB(uint8_t(20 * x + y), 50, uint8_t(7 * y)); });
  const auto inv = MakeBitmap(8, 6, [](int x, int y) { return RGB(uint8_t(255 - 20 * x - y), 50, 0); });
  const TRect area = Rect(1, 1, 6, 4);
  EXPECT_DOUBLE_EQ(CalcImgCorrelation(img.get(), img.get(), area, area, icmRed), 1.0);
  EXPECT_DOUBLE_EQ(CalcImgCorrelation(img.get(), inv.get(), area, area, icmRed), -1.0);
  EXPECT_EQ(CalcImgCorrelation(img.get(), img.get(), area, area, icmGreen), 0.0);  // green is constant
  EXPECT_EQ(CalcImgCorrelation(img.get(), img.get(), Rect(2, 2, 2, 3), Rect(2, 2, 2, 3), icmRed), 0.0);  // two pixels
  EXPECT_EQ(CalcImgCorrelation(nullptr, nullptr, area, area, icmRed), 0.0);
}

TEST(CalcImgCorrelation, EveryModeMatchesPixelByPixelReading) {
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, uint8_t(seed >> 16); };
  const auto a = MakeBitmap(12, 9, [&](int, int) { return RGB(next(), next(), next()); });
  const auto b = MakeBitmap(10, 11, [&](int, int) { return RGB(next(), next(), next()); });
  // areas reaching past the bitmaps, so that outside pixels (-1) take part
  const TRect a1 = Rect(-2, -1, 12, 9), a2 = Rect(-3, 1, 11, 11);
  for (int mode = icmRed; mode <= icmGrayValues; ++mode) {
    const auto m = static_cast<TImgCompareMode>(mode);
    EXPECT_NEAR(CalcImgCorrelation(a.get(), b.get(), a1, a2, m), NaiveCorrelation(*a, *b, a1, a2, m), 1e-12) << mode;
  }
}

// Pairs with both pixels outside enter by their count, so a huge area costs no more than the bitmap.
TEST(CalcImgCorrelation, HugeAreaIsBoundedByTheBitmaps) {
  const auto img = MakeBitmap(4, 4, [](int x, int y) { return RGB(uint8_t(10 * x + y), 0, 0); });
  num_detail::TCorrelationSums expect;
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 4; ++y) expect.Add(10 * x + y, 10 * x + y);
  const long double side = 2000000001.0L;
  expect.Add(255, 255, side * side - 16);
  const TRect area = Rect(-1000000000, -1000000000, 1000000000, 1000000000);
  EXPECT_DOUBLE_EQ(CalcImgCorrelation(img.get(), img.get(), area, area, icmRed), expect.R());
}

// Regression (left open before): areas of different heights are refused like different widths.
TEST(CalcImgCorrelation, AreasOfDifferentSizeRaise) {
  const TBitmap img(4, 4);
  EXPECT_THROW_MSG(CalcImgCorrelation(&img, &img, Rect(0, 0, 2, 2), Rect(0, 0, 3, 2), icmRed), EQeltaMath2Error,
                   "image ranges to compare are not of equal size");
  EXPECT_THROW_MSG(CalcImgCorrelation(&img, &img, Rect(0, 0, 2, 2), Rect(0, 0, 2, 3), icmRed), EQeltaMath2Error,
                   "image ranges to compare are not of equal size");
}
