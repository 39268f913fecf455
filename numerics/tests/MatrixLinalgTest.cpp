// TMatrix linear algebra: arithmetic, products, LU, determinant, inverse, norms, distance
// matrices; the block kernels on every instruction level; LAPACK as the reference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "Assertions.h"
#include "LinalgTestKit.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::TBlock;
using qelta::test::TEventLog;

namespace {

using Rows = std::vector<std::vector<double>>;

void Load(TMatrix& m, const Rows& rows) { test::LoadRows(m, rows); }

Rows Cells(const TMatrix& m) { return test::RowsOf<double>(m); }

// LU factors and pivots by LAPACK.
struct TLapackLU {
  TBlock lu;
  std::vector<int> ipiv;
  int info = 0;
};

TLapackLU LapackLU(TBlock a) {
  TLapackLU r{a, std::vector<int>(static_cast<std::size_t>(a.N)), 0};
  dgetrf_(&a.M, &a.N, r.lu.A.data(), &a.M, r.ipiv.data(), &r.info);
  return r;
}

double LapackDeterminant(const TBlock& a) {
  const TLapackLU f = LapackLU(a);
  long double det = 1;
  for (int i = 0; i < a.N; ++i) det *= (f.ipiv[static_cast<std::size_t>(i)] != i + 1 ? -1 : 1) * f.lu(i, i);
  return static_cast<double>(det);
}

TBlock LapackInverse(const TBlock& a) {
  TLapackLU f = LapackLU(a);
  int lwork = a.N * 64, info = 0;
  std::vector<double> work(static_cast<std::size_t>(lwork));
  dgetri_(&a.N, f.lu.A.data(), &a.N, f.ipiv.data(), work.data(), &lwork, &info);
  return f.lu;
}

}  // namespace

// --- block kernels ---------------------------------------------------------------------------------

// Every instruction level against a naive product, on sizes that leave edges in every blocking.
TEST(LinalgKernels, BlockProductOnEveryLevelMatchesNaiveProduct) {
  const int saved = num_detail::KernelLevel();
  for (int level = 0; level <= saved; ++level) {
    ASSERT_EQ(num_detail::SetKernelLevel(level), level);
    for (auto [m, n, k] : {std::array{1, 1, 1}, {7, 5, 3}, {37, 29, 300}, {150, 13, 260}, {25, 3100, 9}}) {
      const TBlock a = test::RandomBlock(m, k, 1), b = test::RandomBlock(k, n, 2), at = test::Transposed(a);
      TBlock c = test::RandomBlock(m, n, 3), ct = c;
      const TBlock expect = test::Product(a, b);
      num_detail::Gemm(false, m, n, k, 1.0, a.A.data(), m, b.A.data(), k, 0.0, c.A.data(), m);
      num_detail::Gemm(true, m, n, k, 2.0, at.A.data(), k, b.A.data(), k, 0.0, ct.A.data(), m);
      EXPECT_LT(test::MaxDiff(c, expect), 1e-12 * k) << level << " " << m << "x" << n << "x" << k;
      for (double& v : ct.A) v /= 2;
      EXPECT_LT(test::MaxDiff(ct, expect), 1e-12 * k) << level;
    }
    std::vector<double> x{1, 2, 3, 4, 5, 6, 7}, y{7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(num_detail::Dot(7, x.data(), y.data()), 84.0);
    num_detail::Rotate(7, x.data(), y.data(), 0.0, 1.0);  // (x, y) := (y, -x)
    EXPECT_EQ(x[0], 7.0);
    EXPECT_EQ(y[6], -7.0);
  }
  num_detail::SetKernelLevel(saved);
}

// Regression: on the AVX2 level the scalar remainders (all of a dot product or axpy shorter than the vector
// width) became fused multiply-adds wherever the compiler chose to contract, by rules gcc and clang do not
// share, so one source gave different results per compiler. Only the explicit fused instructions fuse now:
// (1 + 2^-30)(1 - 2^-30) = 1 - 2^-60 rounds to 1 before the sum on every level, as written.
TEST(LinalgKernels, ShortRemaindersRoundEachProductOnEveryLevel) {
  const double e = std::ldexp(1.0, -30);
  const std::vector<double> x{1, 1 + e}, y{-1, 1 - e};
  const int saved = num_detail::KernelLevel();
  for (int level = 0; level <= saved; ++level) {
    ASSERT_EQ(num_detail::SetKernelLevel(level), level);
    EXPECT_EQ(num_detail::Dot(2, x.data(), y.data()), 0.0) << level;
    std::vector<double> z{-1};
    num_detail::Axpy(1, 1 + e, &y[1], z.data());
    EXPECT_EQ(z[0], 0.0) << level;
  }
  num_detail::SetKernelLevel(saved);
}

// RotateSweeps against its plain twin, one Rotate per column pair, bit for bit on every level: row
// counts on both sides of the blocks of 64, 32, 16, 8 and 4 rows and the scalar remainder, sweeps of
// different spans (one of a single pair) and more of them than one wave of the AVX-512 level takes,
// a leading dimension above the rows.
TEST(LinalgKernels, RotationSweepsEqualOneRotationAtATimeOnEveryLevel) {
  std::mt19937_64 gen(31);
  std::uniform_real_distribution<double> u(-1, 1);
  const int saved = num_detail::KernelLevel();
  std::vector<int> lo{0, 2, 5, 1, 0}, hi{9, 7, 6, 9, 4};
  for (int q = 0; q < 70; ++q) {  // more sweeps than one wave takes, wider than its window of columns
    lo.push_back(q % 7);
    hi.push_back(40 - q % 5);
  }
  std::vector<double> c, s;
  for (std::size_t q = 0; q < lo.size(); ++q)
    for (int j = lo[q]; j < hi[q]; ++j) {
      const double t = u(gen) * 3.14159;
      c.push_back(std::cos(t));
      s.push_back(std::sin(t));
    }
  for (int rows : {1, 3, 4, 7, 31, 32, 61, 100, 64, 127, 203}) {
    const int ld = rows + 2, cols = 41;
    std::vector<double> x(static_cast<std::size_t>(ld) * cols);
    for (double& v : x) v = u(gen);
    for (int level = 0; level <= saved; ++level) {
      ASSERT_EQ(num_detail::SetKernelLevel(level), level);
      std::vector<double> plain = x, swept = x;
      std::size_t k = 0;
      for (std::size_t q = 0; q < lo.size(); ++q)
        for (int j = lo[q]; j < hi[q]; ++j, ++k)
          num_detail::Rotate(rows, plain.data() + j * ld, plain.data() + (j + 1) * ld, c[k], s[k]);
      num_detail::RotateSweeps(rows, swept.data(), ld, static_cast<int>(lo.size()), lo.data(), hi.data(), c.data(), s.data());
      EXPECT_EQ(swept, plain) << level << " " << rows;
    }
  }
  num_detail::SetKernelLevel(saved);
}

// DotColumns against one Dot per column, bit for bit on every level, and the AVX-512 dot product and
// axpy against the AVX2 ones they stand in for (the SVD's results must not depend on which runs):
// lengths on both sides of the blocks of 16 and 8 and of the 4-lane and scalar remainders, column
// counts on both sides of the groups of 4, a leading dimension above the length.
TEST(LinalgKernels, WideLoopsEqualTheirTwinsOnEveryLevel) {
  std::mt19937_64 gen(47);
  std::uniform_real_distribution<double> u(-1, 1);
  const int saved = num_detail::KernelLevel();
  for (int n : {1, 3, 4, 7, 8, 15, 16, 17, 23, 37, 64, 100, 501}) {
    const int ld = n + 3, cols = 9;
    std::vector<double> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(ld) * cols);
    for (double& v : x) v = u(gen);
    for (double& v : y) v = u(gen);
    std::vector<double> dotsOf[2], axpyOf[2];  // levels 1 and 2
    for (int level = 0; level <= saved; ++level) {
      ASSERT_EQ(num_detail::SetKernelLevel(level), level);
      for (int count : {1, 3, 4, 5, 9}) {
        std::vector<double> together(static_cast<std::size_t>(count)), single(together.size());
        num_detail::DotColumns(n, x.data(), count, y.data(), ld, together.data());
        for (int c = 0; c < count; ++c)
          single[static_cast<std::size_t>(c)] = num_detail::Dot(n, x.data(), y.data() + c * ld);
        EXPECT_EQ(together, single) << level << " " << n << " " << count;
      }
      if (level == 0) continue;
      std::vector<double>& dots = dotsOf[level - 1];
      for (int c = 0; c < cols; ++c) dots.push_back(num_detail::Dot(n, x.data(), y.data() + c * ld));
      axpyOf[level - 1] = y;
      num_detail::Axpy(n, 0.7, x.data(), axpyOf[level - 1].data() + ld);
    }
    if (saved >= 2) {
      EXPECT_EQ(dotsOf[1], dotsOf[0]) << n;
      EXPECT_EQ(axpyOf[1], axpyOf[0]) << n;
    }
  }
  num_detail::SetKernelLevel(saved);
}

// The integer product on every level against a naive wrapping product: sizes on both sides of the
// 16 x 4 tiles and the 256-term blocks, leading dimensions above the row counts, unaligned starts.
TEST(LinalgKernels, IntegerProductOnEveryLevelMatchesNaiveProduct) {
  const int saved = num_detail::KernelLevel();
  std::mt19937 gen(124);
  for (auto [m, n, k] : {std::array{1, 1, 1}, {16, 4, 1}, {17, 5, 257}, {3, 9, 0}, {47, 13, 600}, {130, 7, 31}}) {
    const int lda = m + static_cast<int>(gen() % 3), ldb = k + static_cast<int>(gen() % 3), off = 1 + static_cast<int>(gen() % 7);
    std::vector<int32_t> a(static_cast<size_t>(lda) * std::max(k, 1) + off), b(static_cast<size_t>(ldb) * n + off);
    for (int32_t& v : a) v = static_cast<int32_t>(gen());
    for (int32_t& v : b) v = static_cast<int32_t>(gen());
    std::vector<int32_t> expect(static_cast<size_t>(m) * n);
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < m; ++i) {
        uint32_t sum = 0;
        for (int p = 0; p < k; ++p) sum += uint32_t(a[off + i + size_t(p) * lda]) * uint32_t(b[off + p + size_t(j) * ldb]);
        expect[i + size_t(j) * m] = static_cast<int32_t>(sum);
      }
    for (int level = 0; level <= saved; ++level) {
      ASSERT_EQ(num_detail::SetKernelLevel(level), level);
      std::vector<int32_t> c(static_cast<size_t>(m) * n + 1, 99);
      num_detail::IntProduct(m, n, k, a.data() + off, lda, b.data() + off, ldb, c.data() + 1, m);
      EXPECT_EQ(std::vector<int32_t>(c.begin() + 1, c.end()), expect) << level << ": " << m << "x" << n << "x" << k;
      EXPECT_EQ(c[0], 99);
    }
  }
  num_detail::SetKernelLevel(saved);
}

// --- arithmetic ------------------------------------------------------------------------------------

TEST(TMatrixLinalg, ScalarAndCellwiseArithmetic) {
  TMatrix a(nullptr), b(nullptr), c(nullptr);
  Load(a, {{1, 2}, {3, 4}});
  Load(b, {{10, 20}, {30, 40}});
  Load(c, {{1, 2, 3}});
  TEventLog log;
  log.Hook(a);
  a.SMult(2);
  a.SAdd(1);
  EXPECT_EQ(Cells(a), (Rows{{3, 5}, {7, 9}}));
  EXPECT_TRUE(a.Add(&b));
  EXPECT_TRUE(a.Subtract(&a));
  EXPECT_EQ(Cells(a), (Rows{{0, 0}, {0, 0}}));
  EXPECT_EQ(log.Changes, 4);
  EXPECT_FALSE(a.Add(&c));
  EXPECT_FALSE(a.Subtract(nullptr));
  EXPECT_EQ(log.Changes, 4);
}

// --- products --------------------------------------------------------------------------------------

TEST(TMatrixLinalg, MultiplyWritesEveryCellThroughSetValAndFiresOnce) {
  TMatrix a(nullptr), b(nullptr), res(nullptr);
  Load(a, {{1, 2, 3}, {4, 5, 6}});
  Load(b, {{1, 0}, {0, 1}, {1, 1}});
  res.Resize(2, 2);
  TEventLog la, lres;
  la.Hook(a);
  lres.Hook(res);
  EXPECT_TRUE(a.Multiply(&b, &res));
  EXPECT_EQ(Cells(res), (Rows{{4, 5}, {10, 11}}));
  EXPECT_EQ(la.Changes, 1);
  EXPECT_EQ(lres.Changes, 4);
  TMatrix t(nullptr);
  t.Resize(3, 3);
  EXPECT_TRUE(a.TransposeAndMultiply(&a, &t));  // a^T a
  EXPECT_EQ(Cells(t), (Rows{{17, 22, 27}, {22, 29, 36}, {27, 36, 45}}));
}

TEST(TMatrixLinalg, ProductsRefuseWrongShapesAndWriteNothing) {
  TMatrix a(nullptr), b(nullptr), res(nullptr);
  Load(a, {{1, 2}, {3, 4}});
  Load(b, {{1, 2}, {3, 4}});
  Load(res, {{9, 9, 9}, {9, 9, 9}});
  TEventLog la, lres;
  la.Hook(a);
  lres.Hook(res);
  EXPECT_FALSE(a.Multiply(&b, &res));
  EXPECT_FALSE(a.TransposeAndMultiply(&b, &res));
  EXPECT_FALSE(a.Multiply(nullptr, &res));
  TVector v3(nullptr), v2(nullptr);
  v3.Resize(3);
  v2.Resize(2);
  EXPECT_FALSE(a.TransposeAndMultiply(&v3, &v2));
  EXPECT_EQ(Cells(res), (Rows{{9, 9, 9}, {9, 9, 9}}));
  EXPECT_EQ(la.Changes + lres.Changes, 0);
}

// Regression: a result matrix that is also an operand used to be overwritten while it was read.
TEST(TMatrixLinalg, ProductIntoItsOwnOperandActsThroughATemporary) {
  const Rows a0{{1, 2}, {3, 4}}, b0{{0, 1}, {1, 1}};
  TMatrix a(nullptr), b(nullptr);
  Load(a, a0);
  Load(b, b0);
  TEventLog la;
  la.Hook(a);
  EXPECT_TRUE(a.Multiply(&b, &a));  // a := a b
  EXPECT_EQ(Cells(a), (Rows{{2, 3}, {4, 7}}));
  EXPECT_EQ(la.Changes, 5);  // four cells, then the product's own event
  Load(a, a0);
  EXPECT_TRUE(a.Multiply(&b, &b));  // b := a b
  EXPECT_EQ(Cells(b), (Rows{{2, 3}, {4, 7}}));
  Load(b, b0);
  EXPECT_TRUE(a.TransposeAndMultiply(&b, &b));  // b := a^T b
  EXPECT_EQ(Cells(b), (Rows{{3, 4}, {4, 6}}));
  TVector v(nullptr);
  v.Resize(2);
  v.SetVal(1, 1);
  v.SetVal(2, 2);
  EXPECT_TRUE(a.TransposeAndMultiply(&v, &v));  // v := a^T v
  EXPECT_EQ(v.GetVal(1), 7.0);
  EXPECT_EQ(v.GetVal(2), 10.0);
}

TEST(TMatrixLinalg, VectorProductWritesEveryPartialSum) {
  TMatrix a(nullptr);
  Load(a, {{1, 2}, {3, 4}, {5, 6}});
  TVector b(nullptr), res(nullptr);
  b.Resize(3);
  for (int i = 1; i <= 3; ++i) b.SetVal(i, i);
  res.Resize(2);
  std::vector<std::vector<double>> trail;
  res.OnChange = [&](TObject*) { trail.push_back({res.GetVal(1), res.GetVal(2)}); };
  EXPECT_TRUE(a.TransposeAndMultiply(&b, &res));
  EXPECT_EQ(trail, (std::vector<std::vector<double>>{{1, 0}, {7, 0}, {22, 0}, {22, 2}, {22, 10}, {22, 28}}));
}

TEST(TMatrixLinalg, ProductsAgreeWithTheNaiveProductOnLargeMatrices) {
  const TBlock a = test::RandomBlock(130, 70, 11), b = test::RandomBlock(70, 90, 12);
  TMatrix ma(nullptr), mb(nullptr), res(nullptr), rt(nullptr);
  test::ToMatrix(a, ma);
  test::ToMatrix(b, mb);
  res.Resize(90, 130);
  ASSERT_TRUE(ma.Multiply(&mb, &res));
  EXPECT_LT(test::MaxDiff(test::FromMatrix(res), test::Product(a, b)), 1e-13);
  test::ToMatrix(test::Transposed(a), ma);
  rt.Resize(90, 130);
  ASSERT_TRUE(ma.TransposeAndMultiply(&mb, &rt));
  EXPECT_LT(test::MaxDiff(test::FromMatrix(rt), test::Product(a, b)), 1e-13);
}

// --- LU decomposition and determinant --------------------------------------------------------------

TEST(TMatrixLinalg, LUFactorsRebuildTheRowPermutedMatrix) {
  for (int n : {1, 5, 64, 65, 150}) {
    const TBlock a = test::RandomBlock(n, n, 100 + n);
    TMatrix m(nullptr), l(nullptr), u(nullptr);
    test::ToMatrix(a, m);
    ASSERT_TRUE(m.LUdecomposition(&l, &u)) << n;
    const TBlock lu = test::Product(test::FromMatrix(l), test::FromMatrix(u));
    // every row of L U is a row of A, each used once
    std::vector<bool> used(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
      int match = -1;
      for (int s = 0; s < n && match < 0; ++s) {
        double d = 0;
        for (int c = 0; c < n; ++c) d = std::max(d, std::fabs(lu(r, c) - a(s, c)));
        if (d < 1e-12 && !used[static_cast<std::size_t>(s)]) match = s;
      }
      ASSERT_GE(match, 0) << "row " << r << " of L U matches no row of A (n = " << n << ")";
      used[static_cast<std::size_t>(match)] = true;
    }
    for (int c = 1; c <= n; ++c) {
      EXPECT_EQ(l.GetVal(c, c), 1.0);
      for (int r = c + 1; r <= n; ++r) EXPECT_EQ(u.GetVal(c, r), 0.0);
    }
  }
}

// Among rows of equal figure of merit the last one is the pivot: here row 2, so the permutation
// sign turns and U's first row is (2, 1.5).
TEST(TMatrixLinalg, LUPivotTieGoesToTheLastRow) {
  TMatrix a(nullptr), l(nullptr), u(nullptr);
  Load(a, {{2, 1}, {2, 1.5}});
  ASSERT_TRUE(a.LUdecomposition(&l, &u));
  EXPECT_EQ(Cells(u), (Rows{{2, 1.5}, {0, -0.5}}));
  EXPECT_EQ(Cells(l), (Rows{{1, 0}, {1, 1}}));
  EXPECT_DOUBLE_EQ(a.Determinant(), 1.0);
}

TEST(TMatrixLinalg, LUFailuresLeaveTheDocumentedFactors) {
  TMatrix a(nullptr), l(nullptr), u(nullptr);
  Load(a, {{1, 2}, {0, 0}});
  EXPECT_FALSE(a.LUdecomposition(&l, &u));  // zero row: the copy and zeros
  EXPECT_EQ(Cells(u), (Rows{{1, 2}, {0, 0}}));
  EXPECT_EQ(Cells(l), (Rows{{0, 0}, {0, 0}}));
  Load(a, {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
  EXPECT_FALSE(a.LUdecomposition(&l, &u));  // third pivot 0: replaced by 1e-100
  EXPECT_EQ(u.GetVal(3, 3), 1e-100);
  EXPECT_EQ(Cells(l), Rows(3, {0, 0, 0}));
  EXPECT_FALSE(a.LUdecomposition(nullptr, &u));
  Load(a, {{1, 2, 3}});
  EXPECT_FALSE(a.LUdecomposition(&l, &u));
}

TEST(TMatrixLinalg, DeterminantEdgeCases) {
  struct TCase {
    Rows cells;
    double det;
  };
  const TCase cases[] = {
      {{{0, 1}, {1, 0}}, -1.0},            // one row exchange
      {{{1, 2}, {0, 0}}, 0.0},             // zero row
      {{{-7.5}}, -7.5},                    // 1 x 1
      {{{2, 0, 0}, {0, 3, 0}, {0, 0, 4}}, 24.0},
      {{{1, 2}, {2, 4}}, 0.0},             // singular: pivot below 1e-100
      {{{1, 2, 3}}, 0.0},                  // not square
  };
  for (const TCase& c : cases) {
    TMatrix m(nullptr);
    Load(m, c.cells);
    EXPECT_EQ(m.Determinant(), c.det);
  }
}

// Regression: a product of the diagonal taken in double overflowed on its way to a result that
// fits (1e200 * 1e200 * 1e-99 = 1e301).
TEST(TMatrixLinalg, DeterminantWhosePartialProductsLeaveTheDoubleRange) {
  TMatrix m(nullptr);
  Load(m, {{1e200, 0, 0}, {0, 1e200, 0}, {0, 0, 1e-99}});
  EXPECT_NEAR_REL(m.Determinant(), 1e301, 1e-15);
}

TEST(TMatrixLinalg, DeterminantAgreesWithLapack) {
  for (int n : {2, 9, 70, 130}) {
    for (const TBlock& a : {test::RandomBlock(n, n, 7 * n), test::GradedBlock(n, n, 3 * n, 12)}) {
      TMatrix m(nullptr);
      test::ToMatrix(a, m);
      EXPECT_NEAR_REL(m.Determinant(), LapackDeterminant(a), 1e-9) << n;
    }
  }
}

// --- inverse ---------------------------------------------------------------------------------------

// Regression: a False Invert used to leave the in-place factors in the matrix.
TEST(TMatrixLinalg, SingularInvertLeavesTheMatrixUnchanged) {
  for (const Rows& rows : {Rows{{1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, Rows{{1, 2}, {0, 0}}}) {
    TMatrix m(nullptr);
    Load(m, rows);
    TEventLog log;
    log.Hook(m);
    EXPECT_FALSE(m.Invert());
    EXPECT_EQ(Cells(m), rows);
    EXPECT_EQ(log.Changes, 1);
  }
  TMatrix wide(nullptr), empty(nullptr);
  Load(wide, {{1, 2, 3}});
  empty.Resize(0, 0);
  TEventLog log;
  log.Hook(wide);
  EXPECT_FALSE(wide.Invert());
  EXPECT_FALSE(empty.Invert());
  EXPECT_EQ(log.Changes, 0);
}

/// Equal cells, NaN equal to NaN (bit for bit).
::testing::AssertionResult SameCells(const Rows& a, const Rows& b) {
  const bool same = a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
                      return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0;
                    });
  return same ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "the cells differ";
}

// Infinities and NaN in a matrix, or factors that overflow, gave True with a NaN or infinite
// determinant and inverse (a 200 x 200 matrix of +Inf: True, determinant NaN), while an all-NaN
// matrix gave False as a zero row. All now fail as a singular matrix does: MatU the copy, MatL
// zeros, Invert's matrix unchanged, Determinant 0.
TEST(TMatrixLinalg, NonFiniteMatricesFailAsSingularOnes) {
  const double inf = HUGE_VAL, nan = std::nan("");
  TMatrix random(nullptr);
  test::ToMatrix(test::RandomBlock(70, 70, 41), random);
  Rows mixed = Cells(random);  // past one 64-column block
  mixed[3][60] = inf, mixed[66][2] = nan, mixed[69][69] = -inf;
  const struct {
    const char* name;
    Rows rows;
  } cases[] = {
      {"+Inf", Rows(200, std::vector<double>(200, inf))},
      {"-Inf", Rows(3, {-inf, -inf, -inf})},
      {"NaN", Rows(3, {nan, nan, nan})},
      {"mixed", mixed},
      {"factors overflow", {{1, -100}, {1e305, 1.7e308}}},  // U's last pivot 1.7e308 + 1e307
  };
  for (const auto& c : cases) {
    const std::size_t n = c.rows.size();
    TMatrix m(nullptr), l(nullptr), u(nullptr);
    Load(m, c.rows);
    EXPECT_FALSE(m.LUdecomposition(&l, &u)) << c.name;
    EXPECT_TRUE(SameCells(Cells(u), c.rows)) << c.name;
    EXPECT_TRUE(SameCells(Cells(l), Rows(n, std::vector<double>(n, 0.0)))) << c.name;
    EXPECT_EQ(m.Determinant(), 0.0) << c.name;
    TEventLog log;
    log.Hook(m);
    EXPECT_FALSE(m.Invert()) << c.name;
    EXPECT_TRUE(SameCells(Cells(m), c.rows)) << c.name;
    EXPECT_EQ(log.Changes, 1) << c.name;
  }
}

// A well-factored matrix whose inverse leaves the double range: 1 on the diagonal, -1e10 above it,
// so the inverse's corner is 1e390. Invert answered True with infinities in the matrix.
TEST(TMatrixLinalg, InvertOfAnInverseBeyondTheDoubleRangeFails) {
  Rows rows(40, std::vector<double>(40, 0.0));
  for (std::size_t i = 0; i < 40; ++i) {
    rows[i][i] = 1;
    if (i + 1 < 40) rows[i][i + 1] = -1e10;
  }
  TMatrix m(nullptr);
  Load(m, rows);
  EXPECT_EQ(m.Determinant(), 1.0);
  EXPECT_FALSE(m.Invert());
  EXPECT_TRUE(SameCells(Cells(m), rows));
}

TEST(TMatrixLinalg, InverseAgreesWithLapack) {
  for (int n : {1, 3, 64, 100, 200}) {
    for (const TBlock& a : {test::RandomBlock(n, n, 5 * n), test::GradedBlock(n, n, 9 * n, 8)}) {
      TMatrix m(nullptr);
      test::ToMatrix(a, m);
      ASSERT_TRUE(m.Invert()) << n;
      const TBlock ours = test::FromMatrix(m), ref = LapackInverse(a);
      double scale = 0;
      for (double v : ref.A) scale = std::max(scale, std::fabs(v));
      EXPECT_LT(test::MaxDiff(ours, ref), 1e-9 * scale) << n;
      const TBlock id = test::Product(a, ours);
      for (int i = 0; i < n; ++i) EXPECT_NEAR(id(i, i), 1.0, 1e-9);
    }
  }
}

// --- norms -----------------------------------------------------------------------------------------

TEST(TMatrixLinalg, Norms) {
  TMatrix m(nullptr);
  Load(m, {{1, -2}, {-3, 4}});
  EXPECT_EQ(m.Norm(ntColwise), 6.0);
  EXPECT_EQ(m.Norm(ntRowwise), 7.0);
  EXPECT_DOUBLE_EQ(m.Norm(ntFrobenius), std::sqrt(30.0));
  EXPECT_NEAR(m.Norm(ntSpectral), std::sqrt(15 + std::sqrt(221.0)), 1e-14);
  EXPECT_EQ(m.Norm(static_cast<TNormType>(9)), 0.0);
  // Regression: the squares of large cells overflowed a double sum.
  Load(m, {{1e200, 1e200}});
  EXPECT_DOUBLE_EQ(m.Norm(ntFrobenius), std::sqrt(2.0) * 1e200);
  m.Resize(0, 0);
  EXPECT_EQ(m.Norm(ntColwise), 0.0);
  EXPECT_EQ(m.Norm(ntSpectral), 0.0);
}

TEST(TMatrixLinalg, SpectralNormOfWideAndTallMatricesAgreesWithLapack) {
  for (auto [m, n] : {std::pair{3, 8}, {40, 7}, {1, 5}}) {
    const TBlock a = test::RandomBlock(m, n, static_cast<unsigned>(m * n));
    TMatrix mat(nullptr);
    test::ToMatrix(a, mat);
    EXPECT_NEAR_REL(mat.Norm(ntSpectral), test::LapackSingularValues(a)[0], 1e-13);
  }
}

// --- distance matrices -----------------------------------------------------------------------------

TEST(TMatrixLinalg, DistMatShapeCodes) {
  TMatrix data(nullptr), d(nullptr);
  data.Resize(2, 4);
  struct TCase {
    int cols, rows, code;
  };
  for (const TCase c : {TCase{3, 3, -2}, {3, 4, -2}, {4, 3, -1}, {4, 4, 0}}) {
    d.Resize(c.cols, c.rows);
    d.Fill(7);
    EXPECT_EQ(data.CalcDistMat(dmEuclid, &d), c.code) << c.cols << "x" << c.rows;
    if (c.code != 0) {
      EXPECT_EQ(d.GetVal(1, 1), 7.0);
    }
  }
  EXPECT_EQ(data.CalcDistMat(dmEuclid, nullptr), -1);
}

TEST(TMatrixLinalg, DistMatValuesByMode) {
  TMatrix data(nullptr), d(nullptr);
  Load(data, {{0, 0}, {3, 4}, {1, 1}, {0, 0}});
  d.Resize(4, 4);
  struct TCase {
    TDistMode mode;
    double d12, d23, d14;
  };
  const TCase cases[] = {
      {dmEuclid, 5, std::sqrt(13.0), 0},
      {dmEuclidSqr, 25, 13, 0},
      {dmManhattan, 7, 5, 0},
      {dmJaccard, 0, 7.0 / (25 + 2 - 7), 1},  // rows 1 and 4 both zero: identical, 1
      {dmDice, 0, 14.0 / 27, 1},
  };
  for (const TCase& c : cases) {
    ASSERT_EQ(data.CalcDistMat(c.mode, &d), 0);
    EXPECT_DOUBLE_EQ(d.GetVal(1, 2), c.d12) << int(c.mode);
    EXPECT_DOUBLE_EQ(d.GetVal(2, 1), c.d12);
    EXPECT_DOUBLE_EQ(d.GetVal(2, 3), c.d23);
    EXPECT_DOUBLE_EQ(d.GetVal(1, 4), c.d14);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(d.GetVal(i, i), 0.0);
  }
  EXPECT_EQ(std::u16string(DistModeId[dmEuclidSqr]), u"squared Euclidean");
}

// With an OnChange handler on DMat the cells come in the documented order, with the same values
// as without one.
TEST(TMatrixLinalg, DistMatEventOrderAndValuesMatchTheFastPath) {
  const TBlock x = test::RandomBlock(9, 4, 77);
  TMatrix data(nullptr), fast(nullptr), slow(nullptr);
  test::ToMatrix(x, data);
  for (TDistMode mode : {dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice}) {
    fast.Resize(9, 9);
    slow.Resize(9, 9);
    std::vector<std::pair<int, int>> order;
    ASSERT_EQ(data.CalcDistMat(mode, &fast), 0);
    slow.OnChange = [&](TObject*) { order.emplace_back(0, 0); };
    ASSERT_EQ(data.CalcDistMat(mode, &slow), 0);
    slow.OnChange = nullptr;
    EXPECT_EQ(Cells(fast), Cells(slow)) << int(mode);
    EXPECT_EQ(order.size(), 9u + 2u * 36u);
  }
}

TEST(TMatrixLinalg, DistMatUserDefinedAsksThePairsInOrder) {
  TMatrix data(nullptr), d(nullptr);
  data.Resize(2, 3);
  d.Resize(3, 3);
  d.Fill(5);
  ASSERT_EQ(data.CalcDistMat(dmUserDef, &d), 0);  // no handler: zeros
  EXPECT_EQ(Cells(d), Rows(3, {0, 0, 0}));
  std::vector<std::pair<int, int>> asked;
  data.OnCalcDistance = [&](TObject* sender, int r1, int r2, double& dist) {
    EXPECT_EQ(sender, &data);
    asked.emplace_back(r1, r2);
    dist = 10 * r1 + r2;
  };
  ASSERT_EQ(data.CalcDistMat(dmUserDef, &d), 0);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {2, 3}}));
  EXPECT_EQ(Cells(d), (Rows{{0, 12, 13}, {12, 0, 23}, {13, 23, 0}}));
}

TEST(TMatrixLinalg, DistMatIntoTheDataMatrixItself) {
  TMatrix m(nullptr);
  Load(m, {{0, 3}, {4, 0}});
  ASSERT_EQ(m.CalcDistMat(dmEuclid, &m), 0);
  EXPECT_EQ(Cells(m), (Rows{{0, 5}, {5, 0}}));
}
