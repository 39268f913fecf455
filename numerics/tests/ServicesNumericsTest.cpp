// Conformance of the numerics' services that the controls, the maps and the chemistry bind: one table
// per family (number text and scanners, arrays, geometry, linear algebra, data table) with each
// name's behaviour as those callers rely on it, and the places where two descriptions of one routine
// read apart settled by a row. The great-circle distance is compared with GeographicLib's geodesic on
// a sphere (linked by the tests only).

#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "DataTableTestKit.h"
#include "DateUtils.h"
#include "Qelta_datatable.h"
#include "Qelta_math1.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "Qelta_sline.h"
#include "Qelta_vector.h"
#include "Random.h"
#include "SysUtils.h"

using namespace qelta;
using test::TTableLog;

namespace {

constexpr double kPi = std::numbers::pi;

// [SECTION] number text

TEST(ServiceNumberText, DigitCountsAreIntegersClampedFromOne) {
  const struct {
    String got;
    const char16_t* want;
  } cases[] = {
      {Hex(255, 4), u"00FF"},
      {Hex(-1, 8), u"FFFFFFFF"},
      {Hex(-1, 9), u"FFFFFFFF"},  // at most 8
      {Hex(0x1A, 0), u"A"},       // 0 and negative counts give 1
      {Hex(0x1A, -1), u"A"},
      {Hex(0x1A, INT32_MIN), u"A"},
      {Octal(-1, 11), u"37777777777"},
      {Octal(-1, 12), u"37777777777"},
      {Octal(8, -1), u"0"},
      {Bin(5, 0), u"1"},
      {Bin(5, 4), u"0101"},
      {Bin(-1, 40), u"11111111111111111111111111111111"},
      {Bin(6, -1), u"0"},
      {Decimal(-42, 4), u"-0042"},
      {Decimal(98765, 3), u"765"},
      {Decimal(7, 0), u"7"},
      {Decimal(-75, -1), u"-5"},
      {Decimal(INT32_MIN, 12), u"-002147483648"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, String(c.want));
  EXPECT_EQ(Decimal(7, 300), String(299, u'0') + u"7");  // an integer count, not a byte (300 would be 44)
}

TEST(ServiceNumberText, DegreeTextsAndRounding) {
  EXPECT_EQ(DegreeToStr(12.5, dfDeg, 2), U8("12.50°"));
  EXPECT_EQ(DegreeToStr(-12.5, dfDegMin, 1), U8("-12° 30.0'"));
  EXPECT_EQ(DegreeToStr(12.5, dfNumeric, 3), u"12.500");
  const struct {
    double x, want;
  } rounded[] = {{0, 0},  {1.49, 1}, {1.5, 2},     {2.99, 2},    {3, 5},      {7.99, 5},
                 {8, 10}, {-0.04, -0.05}, {1000, 1000}, {-2.5e-7, -2e-7}, {0.15, 0.2}};
  for (const auto& c : rounded) EXPECT_EQ(Round125(c.x), c.want) << c.x;
}

TEST(ServiceNumberText, IntegerValidatorHasNoLengthLimit) {
  const struct {
    const char16_t* text;
    bool valid;
  } cases[] = {{u"", false},   {u"5", true},    {u"-", false},   {u"+", false},
               {u"1-2", false}, {u"-12", true},  {u"+0012", true}, {u" 1", false},
               {u"12345678901234567890123", true}};
  for (const auto& c : cases) EXPECT_EQ(IsValidDecInt(c.text), c.valid) << StringToUtf8(c.text);
}

TEST(ServiceNumberText, ValidatorsAndScannersOfTheNumericControls) {
  const struct {
    const char16_t* text;
    bool exp;
    TDecPSep sep;
    bool valid;
  } doubles[] = {{u"1E4200", true, dsBoth, true}, {u"1E4201", true, dsBoth, false}, {u"1E5", false, dsDot, true},
                 {u"12abc", true, dsDot, true},   {u"+", true, dsDot, false},       {u"E5", true, dsDot, false},
                 {u"1.5E", true, dsDot, true},    {u"1.5E-", true, dsDot, true},    {u"", true, dsBoth, false},
                 {u"1,5", true, dsDot, true},     {u",5", true, dsDot, false},      {u",5", true, dsComma, true}};
  for (const auto& c : doubles) EXPECT_EQ(IsValidDouble(c.text, c.exp, c.sep), c.valid) << StringToUtf8(c.text);
  const struct {
    const char16_t* text;
    TDecPSep sep;
    bool valid;
  } typed[] = {{u"1,5", dsDot, false}, {u"1,5", dsBoth, true}, {u"+", dsDot, true},   {u"-", dsDot, true},
               {u".", dsDot, true},    {u"-.", dsDot, true},   {u"1.2.3", dsDot, false}, {u"1e3", dsDot, false},
               {u" 1", dsDot, false},  {u"", dsDot, false},    {u"-1.", dsDot, true},  {u"1+", dsDot, false}};
  for (const auto& c : typed) EXPECT_EQ(IsValidFPNum(c.text, c.sep), c.valid) << StringToUtf8(c.text);
  EXPECT_TRUE(IsValidHex(u"09afAF"));
  EXPECT_FALSE(IsValidHex(u"$1F"));
  EXPECT_TRUE(IsValidOct(u"0717"));
  EXPECT_FALSE(IsValidOct(u"8"));
  EXPECT_TRUE(IsValidBin(u"0110"));
  EXPECT_FALSE(IsValidBin(u"012"));
  EXPECT_FALSE(IsValidBin(u""));
  int pos = 1;
  EXPECT_EQ(ScanBin(u"  101", pos), 5);
  EXPECT_EQ(pos, 6);
  pos = 1;
  EXPECT_EQ(ScanOctal(u"17x", pos), 15);
  EXPECT_EQ(pos, 3);
}

// Fixes today's date for the two-digit year rule while it lives.
struct TFixedToday {
  explicit TFixedToday(int year) { SetClockOverride(EncodeDate(year, 6, 1)); }
  ~TFixedToday() { SetClockOverride(std::nullopt); }
};

TEST(ServiceNumberText, ScanDateTimeReadsByFormatTokens) {
  TFixedToday today(2024);
  const struct {
    const char16_t *text, *format;
    int error;
    TDateTime value;
  } cases[] = {
      {u"24.12.2023", u"dd.MM.yyyy", 0, EncodeDate(2023, 12, 24)},
      {u"12/31/99 11:05 pm", u"MM/dd/yy hh:mm tt", 0, EncodeDateTime(1999, 12, 31, 23, 5, 0, 0)},
      {u"Mar 3 2020", u"MMM d yyyy", 0, EncodeDate(2020, 3, 3)},
      {u"12:30 AM", u"hh:mm tt", 0, EncodeTime(0, 30, 0, 0)},
      {u"12:30 PM", u"hh:mm tt", 0, EncodeTime(12, 30, 0, 0)},
      {u"7h05", u"H'h'mm", 0, EncodeTime(7, 5, 0, 0)},
      {u"24.12", u"dd-MM", -1, 0},  // a literal that does not match
      {u"2023", u"yyy", -2, 0},     // a run that is no token
      {u"ab.12", u"yy.MM", -3, 0},  // a two-digit year that is not a number
      {u"xx", u"dd", -3, 0},
  };
  for (const auto& c : cases) {
    int error = 99;
    EXPECT_EQ(ScanDateTime(c.text, c.format, lgEnglish, error), c.value) << StringToUtf8(c.text);
    EXPECT_EQ(error, c.error) << StringToUtf8(c.text);
  }
  int error = 0;
  EXPECT_THROW(ScanDateTime(u"Mar 3", u"MMM d", lgEnglish, error), EConvertError);  // year 0
}

// [SECTION] ticks, angles, random numbers

TEST(ServiceNumberText, CalcScalePars) {
  const struct {
    int n;
    Extended low, high, first, distance;
    uint16_t sub;
  } cases[] = {
      {5, 0, 10, 0, 1, 5},  // the distance is the largest 1-2-5 step below (High - Low) / NTicks
      {5, 10, 0, 10, -1, 5},
      {3, 0, 100, 0, 20, 4},
      {3, -7.3L, 12.9L, -5, 5, 5},
      {10, 0, 1, 0, 0.1L, 5},
      {0, 0.5L, 20, 1, 1, 1},  // no wanted count: one unit, one sub-interval above a range of 10
      {0, 0, 10, 0, 1, 5},
      {0, 10, 0, 10, -1, 5},
      {5, 3, 3, 3, 0, 1},  // equal ends
      {0, -2, -2, -2, 0, 1},
  };
  for (const auto& c : cases) {
    Extended first = -99, distance = -99;
    uint16_t sub = 99;
    CalcScalePars(c.n, c.low, c.high, first, distance, sub);
    EXPECT_NEAR(static_cast<double>(first), static_cast<double>(c.first), 1e-12) << c.n << " " << double(c.low);
    EXPECT_NEAR(static_cast<double>(distance), static_cast<double>(c.distance), 1e-15)
        << c.n << " " << double(c.low);
    EXPECT_EQ(sub, c.sub) << c.n << " " << double(c.low);
  }
}

TEST(ServiceNumberText, AngleToXAxisOnTheFourAxesAndBRandom) {
  const struct {
    double x, y, angle;
  } cases[] = {{1, 0, 0},           {0, 1, kPi / 2},           {-1, 0, kPi},
               {0, -1, 3 * kPi / 2}, {0, 0, 3 * kPi / 2}, {1, -1, 7 * kPi / 4}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(AngleToXAxis(c.x, c.y), c.angle) << c.x << " " << c.y;

  RandSeed = 12345;
  EXPECT_TRUE(BRandom(1));
  EXPECT_TRUE(BRandom(2));
  EXPECT_EQ(RandSeed, 12345u);  // p >= 1 draws nothing
  EXPECT_FALSE(BRandom(0));
  EXPECT_NE(RandSeed, 12345u);

  int a = 1, b = 2;
  ExChange(a, b);
  double x = 1.5, y = -2.5;
  ExChange(x, y);
  EXPECT_EQ(a * 10 + b, 21);
  EXPECT_EQ(x, -2.5);
  EXPECT_EQ(y, 1.5);
}

// [SECTION] arrays

// Counts MathFeedBackProc calls while it lives.
struct TFeedbackCount {
  int Calls = 0;
  TFeedbackCount() {
    MathFeedBackProc = [this](int) { ++Calls; };
  }
  ~TFeedbackCount() { MathFeedBackProc = nullptr; }
};

TEST(ServiceArrays, SortArrayReportsEachPass) {
  std::array<int32_t, 10> data = {5, -3, 9, 0, 7, 7, -8, 2, 1, 4};
  TFeedbackCount feedback;
  ProcStat = 0;
  SortArray(data, 9, true);
  EXPECT_EQ(data, (std::array<int32_t, 10>{-8, -3, 0, 1, 2, 4, 5, 7, 7, 9}));
  EXPECT_GE(ProcStat, 5);  // gaps 7, 5, 3, 2, 1 at least
  EXPECT_EQ(feedback.Calls, ProcStat);
  SortArray(data, 9, false);
  EXPECT_EQ(data, (std::array<int32_t, 10>{9, 7, 7, 5, 4, 2, 1, 0, -3, -8}));
  ProcStat = 0;
  SortArray(data, 0, true);  // one element: no pass
  EXPECT_EQ(ProcStat, 0);
}

TEST(ServiceArrays, SortIntoArrayFindsTheFirstFittingPlace) {
  const struct {
    std::vector<double> before;
    double value;
    bool ascending, duplicates;
    int index;
    std::vector<double> after;
  } cases[] = {
      {{1, 2, 3, 4}, 2.5, true, false, 2, {1, 2, 2.5, 3}},
      {{1, 2, 3, 4}, 5, true, true, -1, {1, 2, 3, 4}},
      {{1, 2, 3, 4}, 3, true, false, -1, {1, 2, 3, 4}},
      {{1, 2, 3, 4}, 3, true, true, 2, {1, 2, 3, 3}},
      {{9, 7, 5, 3}, 6, false, false, 2, {9, 7, 6, 5}},
      {{9, 7, 5, 3}, 1, false, false, -1, {9, 7, 5, 3}},
      {{1, 2, 3, 4}, 4, true, true, 3, {1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    std::vector<double> data = c.before;
    EXPECT_EQ(SortIntoArray(data, 3, c.value, c.ascending, c.duplicates), c.index) << c.value;
    EXPECT_EQ(data, c.after) << c.value;
  }
}

TEST(ServiceArrays, InsertionsOutsideTheArrayWriteNothingOutsideIt) {
  // The four middle elements are the array; the guards around it must survive every call.
  const struct {
    int highIx, ix;
    std::array<int32_t, 8> after;
  } inserts[] = {
      {3, 1, {-7, -7, 10, 99, 11, 12, -7, -7}},
      {3, 3, {-7, -7, 10, 11, 12, 99, -7, -7}},   // at the last index only overwrites it
      {3, 4, {-7, -7, 10, 11, 12, 13, -7, -7}},   // beyond the last index: nothing
      {3, -1, {-7, -7, 10, 11, 12, 13, -7, -7}},  // a negative index: nothing
      {9, 3, {-7, -7, 10, 11, 12, 99, -7, -7}},   // a last index beyond the array counts as its end
      {9, 6, {-7, -7, 10, 11, 12, 13, -7, -7}},
      {INT32_MAX, INT32_MAX, {-7, -7, 10, 11, 12, 13, -7, -7}},
      {-5, 0, {-7, -7, 10, 11, 12, 13, -7, -7}},
  };
  for (const auto& c : inserts) {
    std::array<int32_t, 8> buffer = {-7, -7, 10, 11, 12, 13, -7, -7};
    InsertIntoArray(std::span<int32_t>(buffer).subspan(2, 4), c.highIx, 99, c.ix);
    EXPECT_EQ(buffer, c.after) << c.highIx << " " << c.ix;
  }
  for (int highIx : {-1, 3, 7, 1000, INT32_MAX}) {
    std::array<double, 8> buffer = {-7, -7, 1, 2, 3, 4, -7, -7};
    const int ix = SortIntoArray(std::span<double>(buffer).subspan(2, 4), highIx, 0.5, true, true);
    EXPECT_EQ(buffer[0] + buffer[1] + buffer[6] + buffer[7], -28) << highIx;
    EXPECT_EQ(ix, highIx < 0 ? -1 : 0) << highIx;
  }
}

// [SECTION] geometry

TEST(ServiceGeometry, GreatCircleDistanceAgreesWithGeographicLibOnASphere) {
  const double radius = 6371000.0;
  const GeographicLib::Geodesic sphere(radius, 0.0);
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180), tiny(-1e-6, 1e-6);
  std::vector<std::array<double, 4>> pairs = {
      {0, 0, 0, 0},        {45.123, 7.5, 45.123, 7.5}, {0, 0, 0, 180},  {30, 20, -30, -160}, {90, 0, -90, 0},
      {12.3, 45.6, 12.3, 45.6000001}, {-33.9, 151.2, 51.5, -0.1}, {89.9, 10, 89.9, -170}};
  for (int i = 0; i < 2000; ++i) {
    const double a = lat(rng), b = lon(rng);
    pairs.push_back({a, b, lat(rng), lon(rng)});
    pairs.push_back({a, b, a, b});                               // equal points
    pairs.push_back({a, b, -a, b > 0 ? b - 180 : b + 180});      // antipodes
    pairs.push_back({a, b, std::clamp(a + tiny(rng), -90.0, 90.0), b + tiny(rng)});  // close points
  }
  for (const auto& p : pairs) {
    double s12 = 0;
    sphere.Inverse(p[0], p[1], p[2], p[3], s12);
    const double ours = SphereGreatCircleDist(radius, p[0], p[1], p[2], p[3]);
    ASSERT_FALSE(std::isnan(ours)) << p[0] << " " << p[1] << " " << p[2] << " " << p[3];
    EXPECT_NEAR(ours, s12, radius * 1e-7) << p[0] << " " << p[1] << " " << p[2] << " " << p[3];
  }
  EXPECT_EQ(SphereGreatCircleDist(radius, 45.123, 7.5, 45.123, 7.5), 0.0);  // the cosine is clamped
  EXPECT_DOUBLE_EQ(SphereGreatCircleDist(6371, 0, 0, 0, 90), 6371 * kPi / 2);
}

TEST(ServiceGeometry, StraightLineThroughTwoPointsAndItsClipping) {
  TSLine line(nullptr);
  ASSERT_TRUE(line.LineFrom2Points(0, 0, 1, 1));
  EXPECT_FALSE(line.LineFrom2Points(3, 4, 3, 4));  // equal points leave the line
  EXPECT_EQ(line.ParA(), -1);
  EXPECT_EQ(line.ParB(), 1);
  EXPECT_EQ(line.ParC(), 0);

  const struct {
    double p1x, p1y, p2x, p2y;  // the line
    double bllx, blly, burx, bury;
    bool hit;
    double x1, y1, x2, y2;
  } clips[] = {
      {0, 5, 1, 5, 0, 0, 10, 10, true, 0, 5, 10, 5},      // horizontal: left and right edges
      {2, 0, 2, 1, 0, 0, 10, 10, true, 2, 0, 2, 10},      // vertical: bottom and top edges
      {0, 0, 1, 1, 0, 0, 10, 10, true, 0, 0, 10, 10},     // through two corners
      {0, 0, 1, 1, 10, 10, 0, 0, true, 0, 0, 10, 10},     // corners in either order
      {0, 20, 1, 20, 0, 0, 10, 10, false, -1, -1, -1, -1},  // misses: outputs untouched
      {0, 10, 1, 11, 0, 0, 10, 10, true, 0, 10, 0, 10},   // touches one corner: one point
  };
  for (const auto& c : clips) {
    ASSERT_TRUE(line.LineFrom2Points(c.p1x, c.p1y, c.p2x, c.p2y));
    double x1 = -1, y1 = -1, x2 = -1, y2 = -1;
    EXPECT_EQ(line.ClipBox(c.bllx, c.blly, c.burx, c.bury, x1, y1, x2, y2), c.hit) << c.p1y;
    EXPECT_NEAR(x1, c.x1, 1e-12) << c.p1y;
    EXPECT_NEAR(y1, c.y1, 1e-12) << c.p1y;
    EXPECT_NEAR(x2, c.x2, 1e-12) << c.p1y;
    EXPECT_NEAR(y2, c.y2, 1e-12) << c.p1y;
    EXPECT_FALSE(line.SubstituteInf());  // restored after the call
  }
}

// [SECTION] linear algebra

TEST(ServiceLinearAlgebra, MatricesAndVectorsKeepTheirCellsAndReadZeroOutside) {
  TMatrix m(nullptr);
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  int changes = 0;
  m.OnChange = [&changes](TObject*) { ++changes; };
  m.SetVal(1, 1, 4.5);
  m.Resize(3, 2);
  EXPECT_EQ(m.GetVal(1, 1), 4.5);
  EXPECT_EQ(m.GetVal(3, 2), 0.0);
  m.SetVal(4, 1, 9);  // outside: ignored
  EXPECT_EQ(m.GetVal(4, 1), 0.0);
  changes = 0;
  m.Fill(2.0);
  EXPECT_EQ(changes, 1);
  TMatrix copy(nullptr);
  copy.Clone(&m);
  EXPECT_EQ(copy.NrOfColumns(), 3);
  EXPECT_EQ(copy.NrOfRows(), 2);
  EXPECT_EQ(copy.GetVal(3, 2), 2.0);

  TIntMatrix holidays(nullptr);
  EXPECT_EQ(holidays.NrOfColumns(), 1);
  EXPECT_EQ(holidays.NrOfRows(), 1);
  EXPECT_FALSE(holidays.IsSparse());
  holidays.Resize(12, 31);
  holidays.SetVal(12, 31, 7);
  holidays.SetVal(13, 1, 7);
  EXPECT_EQ(holidays.GetVal(12, 31), 7);
  EXPECT_EQ(holidays.GetVal(13, 1), 0);
  holidays.SetNRows(-1);  // = Resize(NrOfColumns, 0)
  EXPECT_EQ(holidays.NrOfRows(), 0);
  EXPECT_EQ(holidays.NrOfColumns(), 12);
  EXPECT_EQ(holidays.GetVal(12, 31), 0);

  TVector v(nullptr);
  v.SetVecSize(3);
  v.SetVal(3, 1.25);
  v.SetVal(4, 9);
  EXPECT_EQ(v.GetVal(3), 1.25);
  EXPECT_EQ(v.GetVal(4), 0.0);
  EXPECT_EQ(v.GetVal(0), 0.0);
}

TEST(ServiceLinearAlgebra, SvdLeastSquaresSolvesAndReportsReducedRank) {
  // y = 1 + 2 x at x = 0, 1, 2: columns (1, x).
  const struct {
    std::array<double, 6> design;  // column 1 then column 2
    bool reduced;
    double s1, s2;
  } cases[] = {{{1, 1, 1, 0, 1, 2}, false, 1, 2},
               {{1, 1, 1, 1, 1, 1}, true, 1.5, 1.5},  // equal columns: the minimum-norm solution
               {{0, 0, 0, 0, 0, 0}, true, 0, 0}};
  for (const auto& c : cases) {
    TMatrix design(nullptr);
    design.Resize(2, 3);
    for (int k = 0; k < 6; ++k) design.SetVal(k / 3 + 1, k % 3 + 1, c.design[static_cast<std::size_t>(k)]);
    TVector rhs(nullptr), solution(nullptr), errors(nullptr);
    rhs.SetVecSize(3);
    for (int i = 1; i <= 3; ++i) rhs.SetVal(i, 1 + 2.0 * (i - 1));
    solution.SetVecSize(2);
    errors.SetVecSize(2);
    bool reduced = !c.reduced;
    ASSERT_TRUE(SvdLeastSquares(&design, &rhs, &solution, reduced, &errors));
    EXPECT_EQ(reduced, c.reduced);
    EXPECT_NEAR(solution.GetVal(1), c.s1, 1e-12);
    EXPECT_NEAR(solution.GetVal(2), c.s2, 1e-12);
  }
}

TEST(ServiceLinearAlgebra, PrincipalComponentsScaleSortAndFollowTheProgressProtocol) {
  TMatrix data(nullptr);
  data.Resize(2, 4);
  for (int r = 1; r <= 4; ++r) {
    data.SetVal(1, r, r * 1.5);
    data.SetVal(2, r, r * 3.0 + 1);  // perfectly correlated
  }
  TFeedbackCount feedback;
  ProcStat = 0;
  ASSERT_TRUE(CalcPrincComp(&data, 1, 2, 1, 4, 2));  // ScaleEV by default
  EXPECT_GT(ProcStat, 0);
  EXPECT_EQ(feedback.Calls, ProcStat);
  EXPECT_NEAR(GetEigenResult(1, 0), 1.0, 1e-12);
  EXPECT_NEAR(GetEigenResult(2, 0), 0.0, 1e-12);
  EXPECT_NEAR(std::fabs(GetEigenResult(1, 1)), std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(GetEigenResult(1, 1), GetEigenResult(1, 2), 1e-12);
  ASSERT_TRUE(CalcPrincComp(&data, 1, 2, 1, 4, 2, false));
  EXPECT_NEAR(GetEigenResult(1, 0), 2.0, 1e-12);  // the correlation matrix's eigenvalues 2 and 0
  EXPECT_EQ(GetEigenResult(0, 0), 0.0);
  EXPECT_EQ(GetEigenResult(1, 3), 0.0);
  EXPECT_EQ(GetEigenResult(3, 0), 0.0);

  MathFeedBackProc = [](int) { AbortMathProc = true; };
  EXPECT_FALSE(CalcPrincComp(&data, 1, 2, 1, 4, 2));
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);  // no result held
}

TEST(ServiceLinearAlgebra, CurveFitLineParabolaAndStatistics) {
  TCurveFit fit(nullptr);
  fit.EnterStatValue(1, 3);
  double k = 0, d = 0, q = 0, k2 = 0;
  EXPECT_THROW_MSG(fit.CalcLinFit(k, d, q), EQeltaMath2Error, "CalcLinFit: not enough data points");
  fit.EnterStatValue(2, 5);
  EXPECT_THROW_MSG(fit.CalcParabolFit(k, d, k2, q), EQeltaMath2Error, "CalcParabolFit: not enough data points");
  int n = 0;
  double mx = 0, my = 0, sx = -1, sy = -1, md = 0, sd = -1, r = -1;
  fit.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(mx, 1.5);
  EXPECT_EQ(sx, 0.0);  // deviations need three points
  fit.EnterStatValue(3, 7);
  fit.CalcLinFit(k, d, q);
  EXPECT_NEAR(k, 2, 1e-12);
  EXPECT_NEAR(d, 1, 1e-12);
  EXPECT_NEAR(q, 1, 1e-12);
  fit.CalcParabolFit(d, k, k2, q);
  EXPECT_NEAR(d, 1, 1e-12);
  EXPECT_NEAR(k, 2, 1e-12);
  EXPECT_NEAR(k2, 0, 1e-12);
  fit.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 3);
  EXPECT_NEAR(sx, 1, 1e-12);
  EXPECT_NEAR(r, 1, 1e-12);
  fit.Init();
  EXPECT_EQ(fit.NumData(), 0);
}

// [SECTION] data table

TEST(ServiceDataTable, CreationNamesAndScales) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.GetColName(1), "C-1");
  EXPECT_EQ(t.GetRowName(1), "R-1");
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  EXPECT_EQ(t.GetMScaleType(2), stUnknown);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 1);
  const char16_t* names[] = {u"Unknown", u"Nominal", u"Ordinal", u"Interval", u"Ratio"};
  for (int s = stUnknown; s <= stRatio; ++s) EXPECT_EQ(String(MScaleTypeNames[s]), String(names[s]));

  t.SetColName(1, std::string(60, 'n'));
  EXPECT_EQ(t.GetColName(1).size(), 50u);
  EXPECT_EQ(t.GetColName(2), "");
  t.SetFComment(u"a\tb\r\nc");
  EXPECT_EQ(t.Comment(), u"abc");
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 1, "low");
  t.SetNominalID(1, 2, "High");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "HIGH", true), 2);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "HIGH", false), 0);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "", true), 0);
  EXPECT_EQ(t.GetNominalID(1, 2), "High");
  t.SetElem(1, 1, 1.5);
  EXPECT_EQ(t.GetElem(1, 1), 2.0);  // nominal values read rounded
  EXPECT_EQ(t.GetElem(2, 1), 0.0);
  t.SetMScaleType(1, stInterval);
  EXPECT_EQ(t.GetNominalID(1, 2), "");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "High", true), 0);
}

TEST(ServiceDataTable, EventsTheTableEditorCounts) {
  TDataTable t(nullptr);
  TTableLog log;
  log.Hook(t);
  const struct {
    std::function<void()> action;
    const char* events;
  } steps[] = {
      {[&] { t.Resize(2, 2); }, "Resize 1 1 2 2"},
      {[&] { t.Resize(2, 2); }, ""},
      {[&] { t.SetElem(1, 1, 5); }, "Change, Change"},  // the matrix hook, then the table itself
      {[&] { t.SetElem(3, 1, 5); }, ""},                // outside: ignored silently
      {[&] { t.SetCellState(1, 1, csMarkA); }, "States"},
      {[&] { t.SetCellState(1, 1, csMarkA); }, ""},  // only when it changed
      {[&] { t.SetCellState(0, 1, csMarkA); }, ""},
      {[&] { t.SetColAttrib(1, 3); }, "Attrib"},
      {[&] { t.SetRowName(2, "two"); }, "Names"},
      {[&] { t.SetFComment(u"x"); }, "Setup"},
      // Insertion resizes first, then moves row by row through the setters (hook attached: two
      // changes per value), removal moves with the hook detached, then resizes; both end with Setup.
      {[&] { t.InsertRow(1); },
       "Resize 2 2 2 3, "
       "Attrib, Names, Change, Change, Change, Change, "                  // row 3 <- row 2
       "Attrib, Names, Change, Change, States, Change, Change, "          // row 2 <- row 1
       "Attrib, Names, Change, Change, States, Change, Change, Setup"},   // row 1 emptied
      {[&] { t.InsertRow(5); }, ""},
      {[&] { t.RemoveRow(1); },
       "Attrib, Names, Change, States, Change, Attrib, Names, Change, States, Change, Resize 2 3 2 2, Setup"},
      {[&] { t.FillMarkedCells(7, csMarkA); }, "Change, Change"},  // the cell through the hook, then once
      {[&] { t.FillMarkedCells(7, csMarkB); }, ""},
      {[&] { t.InvertCellStates(csMarkB); }, "States"},
      {[&] { t.ExchangeMarkings(); }, "States"},
      {[&] { t.UnmarkAllCells(); }, "States"},
      {[&] { t.Clear(); }, "Change, Names, Attrib, States, Setup"},
  };
  for (const auto& s : steps) {
    s.action();
    EXPECT_EQ(log.Take(), s.events);
  }
}

TEST(ServiceDataTable, ResizeAndClearGiveDefaultNamesAndColumnSortsReportColumnExchanges) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  EXPECT_EQ(t.GetColName(3), "C-3");
  EXPECT_EQ(t.GetRowName(2), "R-2");
  EXPECT_EQ(t.GetMScaleType(3), stInterval);
  for (int c = 1; c <= 3; ++c) t.SetElem(c, 1, 4.0 - c);
  t.SetColName(1, "x");
  t.SetCellState(2, 2, csEmpty);
  t.SetFComment(u"note");
  std::vector<int> what;
  t.OnSortExchange = [&what](TObject*, uint8_t w, int, int, int, int) { what.push_back(w); };
  t.SortCols(1, true, 1, 1, 3, 2, true);
  ASSERT_FALSE(what.empty());
  for (int w : what) EXPECT_EQ(w, 1);  // 1: two columns were exchanged
  EXPECT_EQ(t.GetColName(3), "x");
  t.Clear();
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.GetColName(3), "C-3");
  EXPECT_EQ(t.GetElem(1, 1), 0.0);
  EXPECT_EQ(t.GetCellState(1, 2), 0);
  EXPECT_EQ(t.Comment(), u"");
}

TEST(ServiceDataTable, CellStatesMarksAndRemoval) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetCellState(1, 1, csMarkA);
  t.SetCellState(2, 2, csEmpty | csMarkB);
  EXPECT_EQ(t.FillMarkedCells(3.5, csMarkA | csMarkB), 2);
  EXPECT_EQ(t.GetElem(1, 1), 3.5);
  EXPECT_EQ(t.GetElem(2, 2), 3.5);
  EXPECT_TRUE(t.GetIsNumber(1, 1));
  EXPECT_FALSE(t.GetIsNumber(2, 2));
  EXPECT_FALSE(t.GetIsNumber(3, 3));
  EXPECT_EQ(t.GetCellState(3, 3), 0);
  t.ExchangeMarkings();
  EXPECT_EQ(t.GetCellState(1, 1), csMarkB);
  EXPECT_EQ(t.GetCellState(2, 2), csEmpty | csMarkA);
  t.InvertCellStates(csNotANumber);
  EXPECT_EQ(t.GetCellState(2, 1), csNotANumber);
  t.UnmarkAllCells();
  EXPECT_EQ(t.GetCellState(1, 1), csNotANumber);
  EXPECT_EQ(t.GetCellState(2, 2), csEmpty | csNotANumber);

  t.SetColName(1, "a");
  t.SetColName(2, "b");
  t.MirrorColumns();
  EXPECT_EQ(t.GetColName(1), "b");
  EXPECT_EQ(t.GetCellState(1, 2), csEmpty | csNotANumber);
  t.RemoveColumn(1);
  t.RemoveColumn(1);  // never the last column
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.GetColName(1), "a");
  t.InsertColumn(1);
  EXPECT_EQ(t.GetColName(1), "");
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  EXPECT_EQ(t.GetColName(2), "a");
}

}  // namespace
