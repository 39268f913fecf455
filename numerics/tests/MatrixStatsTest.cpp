// Statistics over sub-ranges of TMatrix and TIntMatrix, and the TMatrix-only histogram, correlation,
// standardisation and mean-centring.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Assertions.h"
#include "Qelta_matrix.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::ElementsOf;
using qelta::test::FillMatrix;
using qelta::test::FillVector;
using qelta::test::TEventLog;

namespace {

struct TSummary {
  double Mean = 0, Variance = 0, Q1 = 0, Q2 = 0, Q3 = 0, P40 = 0;
  bool Quartiles = false;
};

// The range family over the whole matrix (0, 0, 0, 0).
template <typename M>
TSummary Summarize(const M& m) {
  TSummary s;
  m.MeanVar(0, 0, 0, 0, s.Mean, s.Variance);
  s.Quartiles = m.Quartiles(0, 0, 0, 0, s.Q1, s.Q2, s.Q3);
  s.P40 = m.Percentile(40, 0, 0, 0, 0);
  return s;
}

}  // namespace

// --- range rule and the range family --------------------------------------------------------------

// Matrices read (0, 0) as the whole dimension; the vector statistics read it as 1..1.
TEST(TMatrixStats, ZeroZeroMeansTheWholeMatrixUnlikeVectors) {
  TMatrix m(nullptr);
  FillMatrix(m, {{4, 8}, {15, 16}, {23, 42}});
  double mean = 0, var = 0;
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 18);
  TVector v(nullptr);
  FillVector(v, {4.0, 8, 15, 16, 23, 42});
  v.MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 4);
  EXPECT_EQ(var, 1.0);
  m.MeanVar(2, 3, 2, 1, mean, var);  // rows ordered: column 2, rows 1..3
  EXPECT_EQ(mean, 22);
  EXPECT_DOUBLE_EQ(var, (14.0 * 14 + 6 * 6 + 20 * 20) / 2);
}

TEST(TMatrixStats, RangeFamilyOnThePartsCases) {
  struct Case {
    std::initializer_list<std::initializer_list<double>> Rows;
    double Mean, Variance, Q1, Q2, Q3;
  };
  const Case cases[] = {
      {{{1, 3}}, 2, 1.0, 1, 2, 3},
      {{{1}, {2}, {3}}, 2, 1.0, 1, 2, 3},
      {{{1, 3}, {2, 4}}, 2.5, 5.0 / 3, 1.25, 2.5, 3.75},
      // Regression: Q3 of two values was the smaller one (the guard answered v(n - 1)).
      {{{5, 9}}, 7, 1.0, 5, 7, 9},
  };
  for (const Case& c : cases) {
    TMatrix m(nullptr);
    FillMatrix(m, c.Rows);
    const TSummary s = Summarize(m);
    EXPECT_EQ(s.Mean, c.Mean);
    EXPECT_DOUBLE_EQ(s.Variance, c.Variance);
    EXPECT_TRUE(s.Quartiles);
    EXPECT_EQ(s.Q1, c.Q1);
    EXPECT_EQ(s.Q2, c.Q2);
    EXPECT_EQ(s.Q3, c.Q3);
  }
  TMatrix m(nullptr);
  FillMatrix(m, {{1, 2, 3, 4}});
  EXPECT_EQ(m.Percentile(150, 0, 0, 0, 0), 4);
  EXPECT_EQ(m.Percentile(-5, 0, 0, 0, 0), 1);
  EXPECT_DOUBLE_EQ(m.Percentile(30, 0, 0, 0, 0), 1.5);
  double s = 9, k = 9;
  FillMatrix(m, {{1, 2, 3}});
  m.SkewKurtSample(0, 0, 0, 0, s, k);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(k, 0);
}

// Regression: the one-pass variance gave -32768 for values near 1e10 and a negative value (NaN
// deviation) for constant data; the correlation's centred sums had the same fault.
TEST(TMatrixStats, VarianceIsExactForConstantAndOffsetData) {
  TMatrix m(nullptr);
  FillMatrix(m, {{1e10 + 1}, {1e10 + 2}, {1e10 + 3}});
  double mean = 0, var = 0;
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 1e10 + 2);
  EXPECT_EQ(var, 1.0);
  FillMatrix(m, {{0.1, 0.1}, {0.1, 0.1}});
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 0.0);
  TMatrix y(nullptr);
  FillMatrix(m, {{1e9 + 1, 1e9 + 2}, {1e9 + 3, 1e9 + 5}});
  FillMatrix(y, {{-2, -4}, {-6, -10}});
  EXPECT_DOUBLE_EQ(m.Correlate(&y), -1);
  TIntMatrix im(nullptr);
  FillMatrix(im, {{2147483647, 2147483647}, {2147483647, 2147483647}});
  im.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 2147483647.0);
  EXPECT_EQ(var, 0.0);
}

TEST(TMatrixStats, EmptyRangeTouchesNoStorage) {
  TMatrix m(nullptr);
  m.Resize(0, 5);
  const TSummary s = Summarize(m);
  EXPECT_EQ(s.Mean, 0);
  EXPECT_EQ(s.Variance, 1.0);
  EXPECT_FALSE(s.Quartiles);
  EXPECT_EQ(s.Q1 + s.Q2 + s.Q3, 0);
  EXPECT_EQ(s.P40, 0);
  double sk = 9, ku = 9;
  int64_t count = 9;
  m.SkewKurtIntern(0, 0, 0, 0, sk, ku, count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(sk + ku, 0);
  EXPECT_EQ(m.GeometricMean(1, 1, 3, 3), 0);
  EXPECT_EQ(m.HarmonicMean(0, 0, 0, 0), 0);
}

// The two skewness workers differ on purpose: vectors answer 0 below four values, matrices keep
// the raw sums below two cells and compute from two cells on.
TEST(TMatrixStats, SkewnessWorkerComputesFromTwoCellsAndKeepsRawSumsBelow) {
  TMatrix m(nullptr);
  FillMatrix(m, {{1, 2, 10}});
  double s = 0, k = 0;
  int64_t count = 0;
  m.SkewKurtIntern(0, 0, 0, 0, s, k, count);
  EXPECT_EQ(count, 3);
  const double sd = std::sqrt(73.0 / 3);  // deviations -10/3, -7/3, 17/3
  EXPECT_NEAR(s, (std::pow(-10.0 / 3, 3) + std::pow(-7.0 / 3, 3) + std::pow(17.0 / 3, 3)) / 3 / std::pow(sd, 3),
              1e-14);
  TVector v(nullptr);
  FillVector(v, {1.0, 2, 10});
  v.SkewKurt(1, 3, s, k);
  EXPECT_EQ(s, 0);
  m.Resize(1, 1);
  m.SkewKurtIntern(0, 0, 0, 0, s, k, count);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(s, 0) << "raw sums of one cell";
  EXPECT_EQ(k, 0);
}

TEST(TMatrixStats, GeometricAndHarmonicMeansAndTheirRefusals) {
  TMatrix m(nullptr);
  m.SetName(u"M");
  FillMatrix(m, {{0, 4}});
  EXPECT_EQ(m.GeometricMean(0, 0, 0, 0), 0.0);
  EXPECT_THROW_MSG(m.HarmonicMean(0, 0, 0, 0), EQeltaMatrixError,
                   "Component \"M\": negative or zero argument passed to HarmonicMean");
  FillMatrix(m, {{0, -1, 4}});
  EXPECT_THROW_MSG(m.GeometricMean(0, 0, 0, 0), EQeltaMatrixError,
                   "Component \"M\": negative argument passed to GeometricMean");
  FillMatrix(m, {{1, 2}, {4, 8}});
  EXPECT_DOUBLE_EQ(m.GeometricMean(0, 0, 0, 0), std::sqrt(8));
  EXPECT_DOUBLE_EQ(m.HarmonicMean(0, 0, 0, 0), 4 / 1.875);
}

// --- sparse differences ---------------------------------------------------------------------------

TEST(TIntMatrixStats, SparseCountsUnstoredZerosInMomentsAndRefusesOrderStatistics) {
  TIntMatrix sp(nullptr, TIntMatrix::TSparseForm{4});
  sp.SetVal(3, 1, 6);
  TIntMatrix dense(nullptr);
  FillMatrix(dense, {{0, 0, 6}});
  for (TIntMatrix* m : {&sp, &dense}) {
    double mean = 0, var = 0;
    m->MeanVar(0, 0, 0, 0, mean, var);
    EXPECT_EQ(mean, 2);
    EXPECT_EQ(var, 12);
    double s = 0, k = 0;
    m->SkewKurt(0, 0, 0, 0, s, k);
    EXPECT_NEAR(s, (64.0 - 8 - 8) / 3 / std::pow(12.0, 1.5), 1e-15);
  }
  const TSummary s = Summarize(sp);
  EXPECT_FALSE(s.Quartiles);
  EXPECT_EQ(s.Q3, 0);
  EXPECT_EQ(s.P40, 0);
  EXPECT_EQ(sp.GeometricMean(0, 0, 0, 0), 0);
  EXPECT_EQ(sp.HarmonicMean(0, 0, 0, 0), 0) << "the dense form would raise for the zeros";
  const TSummary d = Summarize(dense);
  EXPECT_TRUE(d.Quartiles);
  EXPECT_EQ(d.Q3, 6);
  EXPECT_DOUBLE_EQ(d.P40, 0);
}

TEST(TIntMatrixStats, SparseMomentsOfAHugeRangeCostOnlyTheStoredCells) {
  TIntMatrix sp(nullptr, TIntMatrix::TSparseForm{8});
  sp.SetVal(100000, 100000, 5);
  sp.SetVal(1, 1, 5);
  double mean = 0, var = 0;
  sp.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_NEAR_REL(mean, 1e-9, 1e-15);
  EXPECT_NEAR_REL(var, (2 * 25 - 1e10 * 1e-18) / (1e10 - 1), 1e-12);
  sp.MeanVar(2, 2, 99999, 99999, mean, var);
  EXPECT_EQ(mean, 0);
  EXPECT_EQ(var, 0);
}

// --- histogram ------------------------------------------------------------------------------------

TEST(TMatrixStats, HistogramCountsTheClampedRangeOnly) {
  TMatrix m(nullptr);
  FillMatrix(m, {{0.5, 9.9, 11}, {-0.1, 10.5, 9.9}});
  TIntVector h(nullptr);
  int under = 0, over = 0, most = 0;
  ASSERT_TRUE(m.Histogram(1, 1, 3, 2, 0, 10, 1, &h, under, over, most));
  EXPECT_EQ(ElementsOf(h), (std::vector<int32_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 2) << "10.5 is an overflow";
  EXPECT_EQ(most, 2);
  // Regression: cells outside the matrix were read as phantom zeros.
  ASSERT_TRUE(m.Histogram(0, 0, 9, 9, 0, 10, 1, &h, under, over, most));
  EXPECT_EQ(h.GetVal(1), 1);
  ASSERT_TRUE(m.Histogram(3, 1, 1, 2, 0, 10, 1, &h, under, over, most));
  EXPECT_EQ(most + under + over, 0) << "a reversed range stays empty";
  EXPECT_FALSE(m.Histogram(1, 1, 3, 2, 0, 501, 1, &h, under, over, most));
  EXPECT_FALSE(m.Histogram(1, 1, 3, 2, 0, 10, 0, &h, under, over, most));
}

// --- correlation ----------------------------------------------------------------------------------

TEST(TMatrixStats, CorrelateFollowsTheCellsOfBothMatrices) {
  TMatrix a(nullptr), b(nullptr);
  a.SetName(u"A");
  FillMatrix(a, {{1, 2}, {3, 4}});
  FillMatrix(b, {{2, 4}, {6, 8}});
  EXPECT_DOUBLE_EQ(a.Correlate(&b), 1);
  FillMatrix(b, {{1, 1}, {1, 1}});
  EXPECT_EQ(a.Correlate(&b), 0) << "a constant matrix";
  FillMatrix(a, {{1, 2}});
  FillMatrix(b, {{2, 1}});
  EXPECT_EQ(a.Correlate(&b), 0) << "two cells";
  FillMatrix(b, {{2, 1, 0}});
  EXPECT_THROW_MSG(a.Correlate(&b), EQeltaMatrixError, "Component \"A\": matrices do not match");
  EXPECT_EQ(a.Correlate(nullptr), 0);
}

// --- standardisation and mean-centring ------------------------------------------------------------

TEST(TMatrixStats, StandardizeColumnsReportsMeansAndDeviationsAndFiresOnce) {
  TMatrix m(nullptr);
  FillMatrix(m, {{1, 5, 7}, {2, 5, 9}, {3, 5, 11}});
  TEventLog log;
  log.Hook(m);
  TVector means(nullptr), sds(nullptr);
  means.Resize(2);  // too short: the third column's values are dropped
  sds.Resize(3);
  m.StandardizeColumns(&means, &sds);
  EXPECT_EQ(log.Changes, 1);
  EXPECT_EQ(ElementsOf(means), (std::vector<double>{2, 5}));
  EXPECT_EQ(ElementsOf(sds), (std::vector<double>{1, 0, 2}));
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(m.GetVal(1, r), r - 2.0);
    EXPECT_EQ(m.GetVal(2, r), 5) << "a constant column stays";
    EXPECT_EQ(m.GetVal(3, r), r - 2.0);
  }
  m.StandardizeColumns(nullptr, nullptr);
  EXPECT_EQ(m.GetVal(3, 3), 1);
}

TEST(TMatrixStats, RowFormsAndMeanCentringWorkAlongTheOtherDimension) {
  TMatrix m(nullptr);
  FillMatrix(m, {{1, 2, 3}, {10, 20, 30}});
  TVector means(nullptr), sds(nullptr);
  means.Resize(2);
  sds.Resize(2);
  m.StandardizeRows(&means, &sds);
  EXPECT_EQ(ElementsOf(means), (std::vector<double>{2, 20}));
  EXPECT_EQ(ElementsOf(sds), (std::vector<double>{1, 10}));
  EXPECT_EQ(m.GetVal(3, 2), 1);
  FillMatrix(m, {{1, 2, 3}, {10, 20, 33}});
  TEventLog log;
  log.Hook(m);
  m.MeanCenterColumns(nullptr);  // columns: -4.5 4.5, -9 9, -15 15
  m.MeanCenterRows(&means);      // rows: means -9.5 and 9.5
  EXPECT_EQ(log.Changes, 2);
  EXPECT_EQ(ElementsOf(means), (std::vector<double>{-9.5, 9.5}));
  EXPECT_EQ(m.GetVal(1, 1), 5);
  EXPECT_EQ(m.GetVal(3, 2), 5.5);
}
