// Qelta_math2: moving and weighted averages, Savitzky-Golay smoothing and derivatives. The coefficient
// rows against their printed values; polynomials that the filters must reproduce; the checks and their
// messages in order; the edges, the event, and a vector that is both source and destination.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "Assertions.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "VecMatTestKit.h"

using namespace qelta;

namespace {

using TSmoothFn = void (*)(const TVector*, int, int, TVector*, int);

struct TRoutine {
  const char* name;
  TSmoothFn fn;
};

const TRoutine kRoutines[] = {{"MovingAverageSmooth", MovingAverageSmooth},
                              {"WeightedAverageSmooth", WeightedAverageSmooth},
                              {"PolynomialSmooth", PolynomialSmooth},
                              {"FirstDeriv", FirstDeriv},
                              {"SecondDeriv", SecondDeriv}};

// A vector of n elements f(1), ..., f(n).
void Sample(TVector& v, int n, const std::function<double(double)>& f) {
  v.Resize(n);
  for (int i = 1; i <= n; ++i) v.SetVal(i, f(i));
}

}  // namespace

// [SECTION] coefficient rows

TEST(Smoothing, SavitzkyGolayRowsAreThePrintedOnes) {
  using num_detail::SavitzkyGolayRow;
  using Row = std::vector<int64_t>;
  EXPECT_EQ(SavitzkyGolayRow(num_detail::sgPolynomial, 5), (Row{35, 17, 12, -3}));
  EXPECT_EQ(SavitzkyGolayRow(num_detail::sgPolynomial, 7), (Row{21, 7, 6, 3, -2}));
  EXPECT_EQ(SavitzkyGolayRow(num_detail::sgPolynomial, 13), (Row{143, 25, 24, 21, 16, 9, 0, -11}));
  EXPECT_EQ(SavitzkyGolayRow(num_detail::sgPolynomial, 25),
            (Row{5175, 467, 462, 447, 422, 387, 342, 287, 222, 147, 62, -33, -138, -253}));
  EXPECT_EQ(SavitzkyGolayRow(num_detail::sgSecondDeriv, 5), (Row{7, -2, -1, 2}));
  EXPECT_EQ(SavitzkyGolayRow(num_detail::sgSecondDeriv, 7), (Row{42, -4, -3, 0, 5}));
  EXPECT_EQ(SavitzkyGolayRow(num_detail::sgSecondDeriv, 25),
            (Row{26910, -52, -51, -48, -43, -36, -27, -16, -3, 12, 29, 48, 69, 92}));
  const int64_t firstNorms[] = {10, 28, 60, 110, 182, 280, 408, 570, 770, 1012, 1300};
  for (int len = 5; len <= 25; len += 2) {
    const Row row = SavitzkyGolayRow(num_detail::sgFirstDeriv, len);
    ASSERT_EQ(row.size(), static_cast<std::size_t>(len / 2 + 2));
    EXPECT_EQ(row[0], firstNorms[(len - 5) / 2]) << len;
    for (int e = 0; e <= len / 2; ++e) EXPECT_EQ(row[static_cast<std::size_t>(e + 1)], e);
  }
  EXPECT_TRUE(SavitzkyGolayRow(num_detail::sgPolynomial, 27).empty());
  EXPECT_TRUE(SavitzkyGolayRow(num_detail::sgPolynomial, 6).empty());
}

// [SECTION] checks and messages

TEST(Smoothing, ChecksRunInOrderWithTheirMessages) {
  TVector src(nullptr), dst(nullptr);
  Sample(src, 30, [](double x) { return x; });
  const struct {
    const char* routine;
    int first, last, len;
    const char* message;  // after "<routine>: "
  } cases[] = {
      // vectors first: a nil vector beats a short range and a bad length
      {"MovingAverageSmooth", 1, 2, 4, nullptr},
      // range before length: hi - lo < Len
      {"MovingAverageSmooth", 1, 3, 3, "specified range for smoothing is smaller than the length of the smoothing windows"},
      {"WeightedAverageSmooth", 1, 3, 4, "specified range for smoothing is smaller than the length of the smoothing windows"},
      {"PolynomialSmooth", 1, 27, 27, "specified range for smoothing is smaller than the length of the polynomial"},
      {"SecondDeriv", 5, 1, 5, "specified range for smoothing is smaller than the length of the polynomial"},
      {"FirstDeriv", 10, 10, 5, "specified range for calculation is smaller than the length of the polynomial"},
      // length out of range before oddness
      {"MovingAverageSmooth", 1, 30, 2, "length of smoothing window is out of range"},
      {"WeightedAverageSmooth", 1, 30, -1, "length of smoothing window is out of range"},
      {"PolynomialSmooth", 1, 30, 27, "length of polynomial is out of range"},
      {"PolynomialSmooth", 1, 30, 4, "length of polynomial is out of range"},
      {"FirstDeriv", 1, 30, 3, "length of polynomial is out of range"},
      {"SecondDeriv", 1, 30, 26, "length of polynomial is out of range"},
      {"MovingAverageSmooth", 1, 30, 4, "length of smoothing window must be odd"},
      {"WeightedAverageSmooth", 1, 30, 28, "length of smoothing window must be odd"},
      {"PolynomialSmooth", 1, 30, 6, "length of polynomial must be odd"},
      {"FirstDeriv", 1, 30, 24, "length of polynomial must be odd"},
      {"SecondDeriv", 1, 30, 10, "length of polynomial must be odd"},
  };
  for (const auto& c : cases)
    for (const TRoutine& r : kRoutines) {
      if (std::string(r.name) != c.routine) continue;
      SCOPED_TRACE(std::string(c.routine) + " " + std::to_string(c.len));
      if (c.message == nullptr) {
        const std::string text = std::string(r.name) + ": either SourceVec or DestVec is undefined";
        EXPECT_THROW_MSG(r.fn(nullptr, c.first, c.last, &dst, c.len), EQeltaMath2Error, text);
        EXPECT_THROW_MSG(r.fn(&src, c.first, c.last, nullptr, c.len), EQeltaMath2Error, text);
      } else {
        EXPECT_THROW_MSG(r.fn(&src, c.first, c.last, &dst, c.len), EQeltaMath2Error,
                         std::string(r.name) + ": " + c.message);
      }
    }
  // Every routine names itself in the nil-vector message.
  for (const TRoutine& r : kRoutines)
    EXPECT_THROW_MSG(r.fn(&src, 1, 30, nullptr, 5), EQeltaMath2Error,
                     std::string(r.name) + ": either SourceVec or DestVec is undefined");
}

TEST(Smoothing, LongWindowsOfTheAveragesNeedOnlyALongRange) {
  TVector src(nullptr), dst(nullptr);
  Sample(src, 40, [](double) { return 1.5; });
  MovingAverageSmooth(&src, 1, 40, &dst, 27);  // accepted: no upper bound but the range
  dst.Resize(40);
  WeightedAverageSmooth(&src, 1, 40, &dst, 39);
  EXPECT_DOUBLE_EQ(dst.GetVal(20), 1.5);
}

// [SECTION] results

TEST(Smoothing, ConstantSignalIsKeptAndHasZeroDerivatives) {
  TVector src(nullptr), dst(nullptr);
  Sample(src, 40, [](double) { return -3.25; });
  for (const TRoutine& r : kRoutines) {
    dst.Resize(40);
    dst.Fill(99);
    r.fn(&src, 1, 40, &dst, 9);
    const bool derivative = std::string(r.name).find("Deriv") != std::string::npos;
    for (int i = 1; i <= 40; ++i) EXPECT_NEAR(dst.GetVal(i), derivative ? 0.0 : -3.25, 1e-13) << r.name << " " << i;
  }
}

TEST(Smoothing, CubicsPassThePolynomialSmootherAndDerivativesAreExactOnQuadratics) {
  TVector src(nullptr), dst(nullptr);
  auto cubic = [](double x) { return 0.01 * x * x * x - 0.5 * x * x + 2 * x - 7; };
  auto quadratic = [](double x) { return 0.75 * x * x - 3 * x + 1; };
  for (int len = 5; len <= 25; len += 2) {
    const int m = len / 2;
    Sample(src, 60, cubic);
    dst.Resize(60);
    PolynomialSmooth(&src, 1, 60, &dst, len);
    for (int i = m + 1; i <= 60 - m; ++i) EXPECT_NEAR(dst.GetVal(i), cubic(i), 1e-11) << len << " " << i;
    Sample(src, 60, quadratic);
    FirstDeriv(&src, 1, 60, &dst, len);
    for (int i = m + 1; i <= 60 - m; ++i) EXPECT_NEAR(dst.GetVal(i), 1.5 * i - 3, 1e-11) << len << " " << i;
    SecondDeriv(&src, 1, 60, &dst, len);
    for (int i = m + 1; i <= 60 - m; ++i) EXPECT_NEAR(dst.GetVal(i), 1.5, 1e-11) << len << " " << i;
  }
}

TEST(Smoothing, EdgesRepeatTheFirstAndLastCentre) {
  // x = i^2 with Len 5: second derivative 2 everywhere inside, and the edges repeat it.
  TVector src(nullptr), dst(nullptr);
  Sample(src, 12, [](double x) { return x * x; });
  dst.Resize(12);
  SecondDeriv(&src, 1, 12, &dst, 5);
  for (int i = 1; i <= 12; ++i) EXPECT_NEAR(dst.GetVal(i), 2.0, 1e-14) << i;
  // x = 3i: first derivative 3.
  Sample(src, 12, [](double x) { return 3 * x; });
  FirstDeriv(&src, 1, 12, &dst, 7);
  for (int i = 1; i <= 12; ++i) EXPECT_NEAR(dst.GetVal(i), 3.0, 1e-14) << i;
  // A ramp through the moving average: the centres are the ramp, the edges its first and last centre.
  Sample(src, 10, [](double x) { return 10 * x; });
  dst.Resize(10);
  MovingAverageSmooth(&src, 1, 10, &dst, 5);
  const std::vector<double> expected = {30, 30, 30, 40, 50, 60, 70, 80, 80, 80};
  for (int i = 1; i <= 10; ++i) EXPECT_NEAR(dst.GetVal(i), expected[static_cast<std::size_t>(i - 1)], 1e-12) << i;
}

TEST(Smoothing, RangeIsClampedOrderedAndWrittenFromTheFirstElement) {
  TVector src(nullptr), dst(nullptr);
  Sample(src, 10, [](double x) { return x; });
  dst.Resize(12);
  dst.Fill(-1);
  WeightedAverageSmooth(&src, 9, 0, &dst, 3);  // 0 counts as 1, then ordered: 1..9
  // Triangle weights 1, 2, 1 over 4: a ramp stays a ramp.
  for (int i = 2; i <= 8; ++i) EXPECT_DOUBLE_EQ(dst.GetVal(i), i);
  EXPECT_DOUBLE_EQ(dst.GetVal(1), 2.0);
  EXPECT_DOUBLE_EQ(dst.GetVal(9), 8.0);
  EXPECT_EQ(dst.GetVal(10), -1.0);  // beyond the range: untouched
  // hi - lo = Len gives exactly two centres.
  dst.Fill(-1);
  MovingAverageSmooth(&src, 3, 8, &dst, 5);  // lo 3, hi 8: centres 5 and 6
  const std::vector<double> two = {5, 5, 5, 6, 6, 6};
  for (int i = 1; i <= 6; ++i) EXPECT_DOUBLE_EQ(dst.GetVal(i), two[static_cast<std::size_t>(i - 1)]) << i;
  EXPECT_EQ(dst.GetVal(7), -1.0);
  EXPECT_THROW_MSG(MovingAverageSmooth(&src, 3, 7, &dst, 5), EQeltaMath2Error,
                   "MovingAverageSmooth: specified range for smoothing is smaller than the length of the smoothing "
                   "windows");  // hi - lo = Len - 1
}

TEST(Smoothing, ShortDestinationIsNotResized) {
  TVector src(nullptr), dst(nullptr);
  Sample(src, 20, [](double x) { return x; });
  dst.Resize(4);
  MovingAverageSmooth(&src, 1, 20, &dst, 3);
  EXPECT_EQ(dst.NrOfElem(), 4);
  for (int i = 2; i <= 4; ++i) EXPECT_DOUBLE_EQ(dst.GetVal(i), i);
  EXPECT_DOUBLE_EQ(dst.GetVal(1), 2.0);
}

TEST(Smoothing, DestinationFiresOneEvent) {
  TVector src(nullptr), dst(nullptr);
  Sample(src, 30, [](double x) { return std::sin(x); });
  dst.Resize(30);
  for (const TRoutine& r : kRoutines) {
    int changes = 0;
    dst.OnChange = [&](TObject* sender) {
      EXPECT_EQ(sender, &dst);
      ++changes;
    };
    r.fn(&src, 1, 30, &dst, 7);
    EXPECT_EQ(changes, 1) << r.name;
    EXPECT_TRUE(static_cast<bool>(dst.OnChange));  // the handler is back in place
  }
}

TEST(Smoothing, OneVectorAsSourceAndDestination) {
  // Regression: smoothing in place read values it had already written, so later windows mixed
  // smoothed and raw samples. The source is read from a copy.
  for (const TRoutine& r : kRoutines) {
    TVector a(nullptr), b(nullptr), out(nullptr);
    Sample(a, 25, [](double x) { return std::cos(0.7 * x) * x; });
    b.Clone(&a);
    out.Resize(25);
    r.fn(&a, 1, 25, &out, 5);
    r.fn(&b, 1, 25, &b, 5);
    for (int i = 1; i <= 25; ++i) EXPECT_EQ(b.GetVal(i), out.GetVal(i)) << r.name << " " << i;
  }
}
