// Comb sort, sorted insertion and positional insertion of Qelta_math1.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <span>
#include <vector>

#include "Assertions.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_math1.h"

using namespace qelta;

namespace {

// Counts the feedback calls of one operation and checks they carry ProcStat in steps of one.
class ProgressFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ProcStat = 0;
    MathFeedBackProc = [this](int state) {
      EXPECT_EQ(state, ProcStat);
      EXPECT_EQ(state, calls_ + 1);
      ++calls_;
    };
  }
  void TearDown() override {
    MathFeedBackProc = nullptr;
    ProcStat = 0;
  }
  int calls_ = 0;
};

// [SECTION] SortArray

using SortArrayTest = ProgressFixture;

TEST_F(SortArrayTest, SortsThreeElementsInThreePasses) {
  std::vector<double> a = {3, 1, 2};
  SortArray(a, 2, true);  // gaps 2, 1 (swaps), 1 (none)
  EXPECT_EQ(a, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(ProcStat, 3);
  EXPECT_EQ(calls_, 3);
  SortArray(a, 2, false);
  EXPECT_EQ(a, (std::vector<double>{3, 2, 1}));
}

TEST_F(SortArrayTest, CountsOnePassPerGapOnSortedData) {
  std::vector<int32_t> a = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  SortArray(a, 9, true);  // gaps 7, 5, 3, 2, 1 and no swap
  EXPECT_EQ(ProcStat, 5);
  EXPECT_TRUE(std::is_sorted(a.begin(), a.end()));
}

TEST_F(SortArrayTest, LeavesOneElementAndEmptyRangesAlone) {
  std::vector<double> one = {5};
  SortArray(one, 0, true);
  std::vector<float> two = {2, 1};
  SortArray(two, -1, true);
  int32_t block[] = {4, 3};
  SortArray(block, 1, inum, true);
  SortArray(block, 0, inum, true);
  EXPECT_EQ(ProcStat, 0);
  EXPECT_EQ(two[0], 2);
  EXPECT_EQ(block[0], 4);
}

TEST_F(SortArrayTest, SortsOnlyUpToTheLastIndexAndClampsItToTheArray) {
  std::vector<double> a = {5, 4, 3, 2, 1};
  SortArray(a, 2, true);
  EXPECT_EQ(a, (std::vector<double>{3, 4, 5, 2, 1}));
  SortArray(a, 1000, true);  // beyond the storage: the whole array, nothing outside it
  EXPECT_EQ(a, (std::vector<double>{1, 2, 3, 4, 5}));
}

TEST_F(SortArrayTest, AgreesWithTheStandardSortOnRandomData) {
  std::mt19937 rng(1);
  for (int n : {2, 3, 13, 50, 1000}) {
    std::vector<double> d(n);
    std::vector<float> f(n);
    std::vector<int32_t> i(n);
    for (int k = 0; k < n; ++k) {
      d[k] = std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
      f[k] = static_cast<float>(d[k]);
      i[k] = static_cast<int32_t>(rng() % 100);  // many duplicates
    }
    auto ds = d;
    auto fs = f;
    auto is = i;
    std::sort(ds.begin(), ds.end());
    std::sort(fs.begin(), fs.end());
    std::sort(is.begin(), is.end(), std::greater<>());
    SortArray(d, n - 1, true);
    SortArray(f.data(), n, snum, true);
    SortArray(i, n - 1, false);
    EXPECT_EQ(d, ds) << n;
    EXPECT_EQ(f, fs) << n;
    EXPECT_EQ(i, is) << n;
  }
}

TEST_F(SortArrayTest, UntypedFormsSortByKindAndLeaveOtherKindsUntouched) {
  double d[] = {2, 3, 1};
  SortArray(d, 3, dnum, true);
  EXPECT_EQ(d[0], 1);
  EXPECT_EQ(d[2], 3);
  double r[] = {2, 3, 1};
  SortArray(r, 3, rnum, false);
  EXPECT_EQ(r[0], 3);
  int32_t l[] = {2, 3, 1};
  SortArray(l, 3, lnum, true);
  EXPECT_EQ(l[0], 1);
  char text[] = "cba";
  SortArray(text, 3, strg, true);
  SortArray(text, 3, Bool, true);
  EXPECT_STREQ(text, "cba");
  SortArray(nullptr, 3, dnum, true);
}

TEST_F(SortArrayTest, EndsWithNaNsInTheArray) {
  const double nan = std::nan("");
  std::vector<double> a = {3, nan, 2, 1, nan, 0};
  SortArray(a, 5, true);
  EXPECT_TRUE(std::isnan(a[1]));
  EXPECT_TRUE(std::isnan(a[4]));
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(a[2], 1);
  EXPECT_EQ(a[3], 2);
  EXPECT_EQ(a[5], 3);
}

// ProcStat + 1 overflowed a signed int after long runs of sorting (undefined behaviour).
TEST_F(SortArrayTest, WrapsTheProgressCounterInsteadOfOverflowing) {
  MathFeedBackProc = nullptr;
  ProcStat = INT_MAX;
  std::vector<double> a = {2, 1};
  SortArray(a, 1, true);
  EXPECT_EQ(ProcStat, INT_MIN + 1);  // two passes
}

// [SECTION] SortIntoArray

TEST(SortIntoArray, InsertsAtTheSortedPlaceOrRefuses) {
  const struct {
    double value;
    bool ascending, duplicates;
    int index;
    std::vector<double> after;
  } cases[] = {
      {2.5, true, false, 2, {1, 2, 2.5, 3}},
      {5, true, true, -1, {1, 2, 3, 4}},
      {3, true, false, -1, {1, 2, 3, 4}},
      {3, true, true, 2, {1, 2, 3, 3}},
      {0, true, false, 0, {0, 1, 2, 3}},
      {4, true, true, 3, {1, 2, 3, 4}},  // equal to the last: written over it
  };
  for (const auto& c : cases) {
    std::vector<double> a = {1, 2, 3, 4};
    EXPECT_EQ(SortIntoArray(a, 3, c.value, c.ascending, c.duplicates), c.index) << c.value;
    EXPECT_EQ(a, c.after) << c.value;
  }
  std::vector<int32_t> down = {9, 7, 5};
  EXPECT_EQ(SortIntoArray(down, 2, 8, false, false), 1);
  EXPECT_EQ(down, (std::vector<int32_t>{9, 8, 7}));
  EXPECT_EQ(SortIntoArray(down, 2, 1, false, false), -1);
  std::vector<float> empty;
  EXPECT_EQ(SortIntoArray(empty, 5, 1.0f, true, true), -1);
}

TEST(SortIntoArray, UntypedFormCountsFromOne) {
  double a[] = {1, 2, 3, 4};
  const double v = 2.5;
  EXPECT_EQ(SortIntoArray(a, 4, dnum, &v, true, false), 3);
  EXPECT_EQ(a[2], 2.5);
  EXPECT_EQ(a[3], 3);
  const double big = 9;
  EXPECT_EQ(SortIntoArray(a, 4, dnum, &big, true, false), 0);
  float f[] = {3, 2, 1};
  const float fv = 2;
  EXPECT_EQ(SortIntoArray(f, 3, snum, &fv, false, false), 0);  // duplicate refused
  EXPECT_EQ(SortIntoArray(f, 3, snum, &fv, false, true), 2);
  const bool flag = true;
  EXPECT_EQ(SortIntoArray(a, 4, Bool, &flag, true, true), 0);
}

// [SECTION] InsertIntoArray

TEST(InsertIntoArray, ShiftsUpDroppingTheLastAndIgnoresBadIndices) {
  const struct {
    int ix;
    std::vector<int32_t> after;
  } cases[] = {{0, {9, 1, 2, 3}}, {2, {1, 2, 9, 3}}, {3, {1, 2, 3, 9}}, {4, {1, 2, 3, 4}}, {-1, {1, 2, 3, 4}}};
  for (const auto& c : cases) {
    std::vector<int32_t> a = {1, 2, 3, 4};
    InsertIntoArray(a, 3, 9, c.ix);
    EXPECT_EQ(a, c.after) << c.ix;
  }
  double d[] = {1, 2, 3};
  const double v = 7;
  InsertIntoArray(d, 3, dnum, &v, 1);
  EXPECT_EQ(d[0], 7);
  EXPECT_EQ(d[2], 2);
  InsertIntoArray(d, 3, dnum, &v, 4);  // beyond the count
  InsertIntoArray(d, 3, dnum, &v, 0);  // positions start at 1
  EXPECT_EQ(d[1], 1);
  char text[] = "abc";
  const char x = 'x';
  InsertIntoArray(text, 3, strg, &x, 1);
  EXPECT_STREQ(text, "abc");
}

}  // namespace

// The vector pass (W neighbours at once) against the plain pass: the same order bit for bit (NaN,
// signed zeros and duplicates stay where the plain pass leaves them) and the same number of passes,
// for every length 0..4096 from unaligned starts, both directions and all three element types.
template <typename T>
void CompareCombPasses(std::mt19937_64& gen, T (*draw)(std::mt19937_64&)) {
  const int saved = num_detail::KernelLevel();
  std::vector<T> pool(4096 + 8);
  for (int n = 0; n <= 4096; n += (n < 80 ? 1 : 1 + static_cast<int>(gen() % 97))) {
    for (T& v : pool) v = draw(gen);
    const size_t start = gen() % 8;
    const bool ascending = gen() % 2;
    std::vector<T> result[2];
    int passes[2];
    for (int level = 0; level <= 1; ++level) {
      num_detail::SetKernelLevel(level);
      std::vector<T> work = pool;
      ProcStat = 0;
      SortArray(std::span<T>(work.data() + start, static_cast<size_t>(n)), n - 1, ascending);
      passes[level] = ProcStat;
      result[level] = work;
    }
    ASSERT_EQ(std::memcmp(result[0].data(), result[1].data(), pool.size() * sizeof(T)), 0) << "length " << n;
    ASSERT_EQ(passes[0], passes[1]) << "length " << n;
  }
  num_detail::SetKernelLevel(saved);
  ProcStat = 0;
}

TEST(SortArrayPasses, VectorPassesEqualThePlainPasses) {
  std::mt19937_64 gen(2104);
  CompareCombPasses<double>(gen, [](std::mt19937_64& g) {
    const double special[] = {std::nan(""), -0.0, 0.0, 1.0, -1.0, HUGE_VAL};
    return g() % 8 == 0 ? special[g() % 6] : static_cast<double>(static_cast<int64_t>(g() % 2001) - 1000) / 8;
  });
  CompareCombPasses<float>(gen, [](std::mt19937_64& g) {
    return g() % 8 == 0 ? (g() % 2 ? -0.0f : std::nanf("")) : static_cast<float>(static_cast<int>(g() % 301) - 150);
  });
  CompareCombPasses<int32_t>(gen, [](std::mt19937_64& g) { return static_cast<int32_t>(g() % 3 ? g() % 50 : g()); });
}
