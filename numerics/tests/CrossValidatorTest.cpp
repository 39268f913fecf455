// TCrossValidator with a scripted linear model: every row predicted exactly once, PRESS against a
// direct sum, refused sets drawn again, aborts at every stage, one row, a model never built, and the
// checks of Execute with their messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "Assertions.h"
#include "Qelta_matrix.h"
#include "Qelta_statis.h"
#include "Random.h"

using namespace qelta;

namespace {

/// A validator over R rows (x_r = sin r scaled, y1 = 3x + 1 + noise, y2 = -x + noise; column 1 of
/// XMat is the row number) whose host fits y = k x + d per response on the training rows. It
/// records what the events see.
class TScriptedHost {
 public:
  TMatrix X{nullptr}, Y{nullptr};
  TCrossValidator cv{nullptr};
  std::function<bool(int call)> Accept = [](int) { return true; };  ///< create call 1, 2, ...
  int AbortAtPoll = 0;                                              ///< 0: never
  std::vector<TIntArray> Trainings;                                 ///< per create call
  std::vector<std::vector<int>> Folds;                              ///< rows predicted per built model
  std::vector<int> CreatePercents, ApplyPercents, Predicted;
  double DirectPress[2] = {0, 0};
  int Polls = 0;

  explicit TScriptedHost(int R, int testSize) {
    X.Resize(2, R);
    Y.Resize(2, R);
    for (int r = 1; r <= R; ++r) {
      const double x = 5 * std::sin(1.3 * r);
      X.SetVal(1, r, r);
      X.SetVal(2, r, x);
      Y.SetVal(1, r, 3 * x + 1 + 0.3 * std::cos(7.1 * r));
      Y.SetVal(2, r, -x + 0.2 * std::sin(3.7 * r));
    }
    cv.SetXMat(&X);
    cv.SetYMat(&Y);
    cv.SetTestSize(testSize);
    cv.OnModelCreateRequest = [this](TObject* sender, int percent, const TIntArray& rows, bool& success) {
      EXPECT_EQ(sender, &cv);
      EXPECT_FALSE(success);
      Trainings.push_back(rows);
      CreatePercents.push_back(percent);
      success = Accept(static_cast<int>(Trainings.size()));
      if (success) {
        Fit(rows);
        Folds.emplace_back();
      }
    };
    cv.OnModelApplyRequest = [this](TObject*, int percent, const TDoubleArray& predictors, TDoubleArray& response) {
      EXPECT_EQ(predictors.size(), 2u);
      EXPECT_EQ(response, TDoubleArray(2, 0.0));
      const int row = static_cast<int>(predictors[0]);
      ApplyPercents.push_back(percent);
      Predicted.push_back(row);
      Folds.back().push_back(row);
      for (int j = 0; j < 2; ++j) {
        response[static_cast<std::size_t>(j)] = k[j] * predictors[1] + d[j];
        const double e = response[static_cast<std::size_t>(j)] - Y.GetVal(j + 1, row);
        DirectPress[j] += e * e;
      }
    };
    cv.OnCheckAbort = [this](TObject*, bool& abort) { abort = ++Polls == AbortAtPoll; };
  }

  /// Rows 1..R not in the list.
  std::vector<int> Complement(const TIntArray& rows) const {
    std::vector<int> other;
    for (int r = 1; r <= X.NrOfRows(); ++r)
      if (std::find(rows.begin(), rows.end(), r) == rows.end()) other.push_back(r);
    return other;
  }

 private:
  void Fit(const TIntArray& rows) {
    for (int j = 0; j < 2; ++j) {
      double sx = 0, sy = 0, sxx = 0, sxy = 0;
      for (int r : rows) {
        const double x = X.GetVal(2, r), y = Y.GetVal(j + 1, r);
        sx += x, sy += y, sxx += x * x, sxy += x * y;
      }
      const double n = static_cast<double>(rows.size()), det = n * sxx - sx * sx;
      k[j] = det != 0 ? (n * sxy - sx * sy) / det : 0.0;
      d[j] = n > 0 ? (sy - k[j] * sx) / n : 0.0;
    }
  }
  double k[2] = {0, 0}, d[2] = {0, 0};
};

// [SECTION] the run

TEST(TCrossValidator, EveryRowIsPredictedExactlyOnce) {
  const struct {
    int rows, testSize, stored;
    std::vector<int> sizes;
  } cases[] = {{5, 2, 2, {2, 2, 1}},           {6, 10, 3, {3, 3}},
               {7, 3, 3, {3, 3, 1}},           {10, 1, 1, std::vector<int>(10, 1)},
               {23, 4, 4, {4, 4, 4, 4, 4, 3}}, {2, 5, 1, {1, 1}}};
  for (const auto& c : cases) {
    RandSeed = 31;
    TScriptedHost host(c.rows, c.testSize);
    EXPECT_TRUE(host.cv.Execute()) << c.rows;
    EXPECT_EQ(host.cv.SizeTestSet(), c.stored);
    std::vector<int> sizes, all = host.Predicted;
    for (const auto& fold : host.Folds) sizes.push_back(static_cast<int>(fold.size()));
    EXPECT_EQ(sizes, c.sizes) << c.rows;
    std::sort(all.begin(), all.end());
    std::vector<int> expected(static_cast<std::size_t>(c.rows));
    for (int r = 1; r <= c.rows; ++r) expected[static_cast<std::size_t>(r - 1)] = r;
    EXPECT_EQ(all, expected) << c.rows;
    for (std::size_t f = 0; f < host.Folds.size(); ++f) {  // training = every row outside the test set
      EXPECT_TRUE(std::is_sorted(host.Folds[f].begin(), host.Folds[f].end()));
      EXPECT_EQ(host.Complement(host.Trainings[f]), host.Folds[f]);
    }
  }
}

TEST(TCrossValidator, PressIsTheSumOfSquaredPredictionErrors) {
  RandSeed = 5;
  TScriptedHost host(17, 3);
  ASSERT_TRUE(host.cv.Execute());
  for (int j = 1; j <= 2; ++j) {
    const double rmsep = host.cv.GetRMSEP(j);
    EXPECT_NEAR_REL(rmsep * rmsep * 17, host.DirectPress[j - 1], 1e-12);
  }
  EXPECT_EQ(host.cv.GetRMSEP(3), -1.0);
  EXPECT_EQ(host.cv.GetRMSEP(0), -1.0);
}

TEST(TCrossValidator, PercentDoneCountsPredictedRowsRoundedHalfToEven) {
  RandSeed = 8;
  TScriptedHost host(8, 2);
  ASSERT_TRUE(host.cv.Execute());
  EXPECT_EQ(host.ApplyPercents, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
  EXPECT_EQ(host.CreatePercents, (std::vector<int>{0, 25, 50, 75}));
}

// One Random(R) per drawn row, then the next unused row (wrapping from R to 1).
TEST(TCrossValidator, DrawsRowsInThePinnedOrder) {
  RandSeed = 777;
  std::vector<int> expected;
  std::vector<bool> used(11, false);
  for (int k = 0; k < 4; ++k) {
    int r = Random(10) + 1;
    while (used[static_cast<std::size_t>(r)]) r = r % 10 + 1;
    used[static_cast<std::size_t>(r)] = true;
    expected.push_back(r);
  }
  std::sort(expected.begin(), expected.end());
  RandSeed = 777;
  TScriptedHost host(10, 4);
  ASSERT_TRUE(host.cv.Execute());
  EXPECT_EQ(host.Folds.front(), expected);
}

TEST(TCrossValidator, RefusedSetsAreDrawnAgain) {
  RandSeed = 3;
  TScriptedHost host(9, 2);
  host.Accept = [](int call) { return call != 1 && call != 3; };
  ASSERT_TRUE(host.cv.Execute());
  std::vector<int> all = host.Predicted;
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(host.Trainings.size(), host.Folds.size() + 2);
  EXPECT_EQ(host.CreatePercents[1], 0);  // nothing predicted yet after the refusal
  EXPECT_EQ(host.Polls, 9 + 2);          // after each prediction and each refusal
}

// [SECTION] ends of a run

TEST(TCrossValidator, AbortAtEveryStage) {
  for (int stage = 1; stage <= 7; ++stage) {
    RandSeed = 11;
    TScriptedHost host(7, 3);
    host.AbortAtPoll = stage;
    EXPECT_FALSE(host.cv.Execute()) << stage;
    EXPECT_EQ(static_cast<int>(host.Predicted.size()), stage);
    EXPECT_EQ(host.cv.GetRMSEP(1), -1.0);
    EXPECT_EQ(host.cv.GetRMSEP(2), -1.0);
  }
}

// Regression: a create handler that never succeeds drew the same rows for ever.
TEST(TCrossValidator, AModelNeverBuiltEndsTheRun) {
  RandSeed = 1;
  TScriptedHost host(6, 2);
  host.Accept = [](int) { return false; };
  EXPECT_FALSE(host.cv.Execute());
  EXPECT_EQ(static_cast<int>(host.Trainings.size()), TCrossValidator::MaxRefusals);
  EXPECT_EQ(host.cv.GetRMSEP(1), -1.0);
  TScriptedHost aborted(6, 2);  // the abort poll after a refusal ends it earlier
  aborted.Accept = [](int) { return false; };
  aborted.AbortAtPoll = 3;
  EXPECT_FALSE(aborted.cv.Execute());
  EXPECT_EQ(aborted.Trainings.size(), 3u);
}

// Regression: with one row the test size became 0 and Execute never ended.
TEST(TCrossValidator, OneRow) {
  TScriptedHost host(1, 2);
  EXPECT_TRUE(host.cv.Execute());
  EXPECT_EQ(host.cv.SizeTestSet(), 1);
  EXPECT_EQ(host.Predicted, (std::vector<int>{1}));
  ASSERT_EQ(host.Trainings.size(), 1u);
  EXPECT_TRUE(host.Trainings[0].empty());
}

TEST(TCrossValidator, NoRows) {
  TScriptedHost host(0, 2);
  EXPECT_TRUE(host.cv.Execute());
  EXPECT_TRUE(host.Trainings.empty());
  EXPECT_EQ(host.cv.GetRMSEP(1), -1.0);  // no rows to divide by
}

TEST(TCrossValidator, AShrunkResponseCountsTheMissingPredictionsAsZero) {
  TScriptedHost host(4, 2);
  host.cv.OnModelApplyRequest = [](TObject*, int, const TDoubleArray&, TDoubleArray& response) { response.clear(); };
  ASSERT_TRUE(host.cv.Execute());
  double sum = 0;
  for (int r = 1; r <= 4; ++r) sum += host.Y.GetVal(2, r) * host.Y.GetVal(2, r);
  EXPECT_NEAR_REL(host.cv.GetRMSEP(2), std::sqrt(sum / 4), 1e-15);
}

// [SECTION] properties and checks

TEST(TCrossValidator, ChecksOfExecuteInTheirOrder) {
  TCrossValidator cv(nullptr);
  TMatrix x(nullptr), y(nullptr);
  EXPECT_THROW_MSG(cv.Execute(), EQeltaStatisError, "TCrossValidator.Execute: data matrix not assigned");
  cv.SetXMat(&x);
  EXPECT_THROW_MSG(cv.Execute(), EQeltaStatisError, "TCrossValidator.Execute: data matrix not assigned");
  cv.SetYMat(&y);
  x.Resize(2, 5);
  y.Resize(1, 4);
  EXPECT_THROW_MSG(cv.Execute(), EQeltaStatisError,
                   "TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  y.Resize(1, 5);
  EXPECT_THROW_MSG(cv.Execute(), EQeltaStatisError, "TCrossValidator: OnModelApplyRequest event is not assigned");
  cv.OnModelApplyRequest = [](TObject*, int, const TDoubleArray&, TDoubleArray&) {};
  EXPECT_THROW_MSG(cv.Execute(), EQeltaStatisError, "TCrossValidator: OnModelCreateRequest event is not assigned");
}

TEST(TCrossValidator, TestSizeAndRMSEPBeforeARun) {
  TCrossValidator cv(nullptr);
  EXPECT_EQ(cv.SizeTestSet(), 2);
  EXPECT_EQ(cv.GetRMSEP(1), -1.0);  // no XMat
  TMatrix x(nullptr);
  x.Resize(1, 4);
  cv.SetXMat(&x);
  EXPECT_EQ(cv.GetRMSEP(1), -1.0);  // PRESS -1: no run yet
  const struct { int asked, stored; } sizes[] = {{0, 1}, {-5, 1}, {1, 1}, {7, 7}};
  for (const auto& s : sizes) {
    cv.SetTestSize(s.asked);
    EXPECT_EQ(cv.SizeTestSet(), s.stored);
  }
}

TEST(TCrossValidator, SetTestSizeForgetsTheLastRun) {
  TScriptedHost host(6, 2);
  ASSERT_TRUE(host.cv.Execute());
  EXPECT_GE(host.cv.GetRMSEP(1), 0.0);
  host.cv.SetTestSize(2);
  EXPECT_EQ(host.cv.GetRMSEP(1), -1.0);
}

TEST(TCrossValidator, ForgetsADestroyedMatrix) {
  TCrossValidator cv(nullptr);
  auto x = std::make_unique<TMatrix>(nullptr);
  TMatrix y(nullptr);
  cv.SetXMat(x.get());
  cv.SetYMat(x.get());  // the same matrix in both slots
  cv.SetYMat(&y);       // releasing one slot keeps the other's notification
  x.reset();
  EXPECT_EQ(cv.XMat(), nullptr);
  EXPECT_EQ(cv.YMat(), &y);
  EXPECT_THROW_MSG(cv.Execute(), EQeltaStatisError, "TCrossValidator.Execute: data matrix not assigned");
}

TEST(TCrossValidator, AMatrixDestroyedDuringARunEndsIt) {
  TCrossValidator cv(nullptr);
  auto x = std::make_unique<TMatrix>(nullptr);
  TMatrix y(nullptr);
  x->Resize(1, 6);
  y.Resize(1, 6);
  cv.SetXMat(x.get());
  cv.SetYMat(&y);
  cv.OnModelCreateRequest = [](TObject*, int, const TIntArray&, bool& success) { success = true; };
  cv.OnModelApplyRequest = [&x](TObject*, int, const TDoubleArray&, TDoubleArray&) { x.reset(); };
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(cv.XMat(), nullptr);
}

}  // namespace
