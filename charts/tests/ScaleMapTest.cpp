// Axis scale transform: values to pixels and back, linear and logarithmic, on both orientations.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Assertions.h"
#include "Qelta_Scale.h"

using namespace qelta;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TScaleMap Fitted(TScaleType type, double low, double high, bool log = false, int width = 400, int height = 400) {
  TScaleFrame f;
  f.ScaleType = type;
  f.Width = width;
  f.Height = height;
  TScaleMap m;
  m.Fit(f, low, high, log);
  return m;
}

TEST(ScaleMap, ValuesToPixels) {
  struct Case {
    const char* name;
    TScaleType type;
    double low, high;
    bool log;
    double value;
    int pixel;
  };
  const Case cases[] = {
      {"horizontal low end", sctXB, 0, 100, false, 0, 20},
      {"horizontal high end", sctXT, 0, 100, false, 100, 379},
      {"vertical high end", sctYL, 0, 100, false, 100, 20},
      {"vertical low end", sctYR, 0, 100, false, 0, 379},
      {"descending", sctXB, 100, 0, false, 100, 20},
      {"log low end", sctXB, 1, 1000, true, 1, 20},
      {"log high end", sctXB, 1, 1000, true, 1000, 379},
      {"log a third of the way", sctXB, 1, 1000, true, 10, 140},  // 20 + 359 / 3
      {"log vertical", sctYL, 1, 1000, true, 1000, 20},
      {"log zero, ascending", sctXB, 1, 1000, true, 0, 0},
      {"log negative, descending", sctXT, 1000, 1, true, -5, 400},
      {"log zero, vertical ascending: below the axis", sctYL, 1, 1000, true, 0, 400},
      {"log zero, vertical descending: above the axis", sctYR, 1000, 1, true, 1e-200, 0},
      {"far beyond the end", sctXB, 0, 100, false, 1e300, 2147483647},
      {"far before the start", sctXB, 0, 100, false, -1e300, -2147483647},
      {"infinity", sctYL, 0, 100, false, -kInf, 2147483647},
      {"not a number", sctXB, 0, 100, false, kNaN, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Fitted(c.type, c.low, c.high, c.log).R2M(c.value), c.pixel) << c.name;
}

TEST(ScaleMap, PixelsRoundHalfToEven) {
  const TScaleMap m = Fitted(sctXB, 0, 200, false, 141);  // k = 0.5 exactly
  EXPECT_EQ(m.R2M(1), 20);                                // 20.5
  EXPECT_EQ(m.R2M(3), 22);                                // 21.5
}

TEST(ScaleMap, PixelsBackToValues) {
  for (TScaleType type : {sctXB, sctYL}) {
    const TScaleMap linear = Fitted(type, -3, 7), log = Fitted(type, 0.1, 1000, true);
    for (double v : {-3.0, 0.0, 2.5, 7.0}) EXPECT_NEAR(linear.M2R(linear.R2M(v)), v, 10.0 / 359);
    for (double v : {0.1, 1.0, 42.0, 1000.0}) EXPECT_NEAR_REL(log.M2R(log.R2M(v)), v, 0.03);
  }
}

TEST(ScaleMap, AnAxisOfNoLengthMapsEverythingToTheMiddleAndBackToTheCentre) {
  // 40 pixels hold the two margins of 20 but no axis: k = 0, d = 20.
  for (bool log : {false, true}) {
    const TScaleMap m = Fitted(sctXB, 1, 101, log, 40);
    EXPECT_EQ(m.K(), 0.0);
    EXPECT_EQ(m.R2M(1), 20);
    EXPECT_EQ(m.R2M(1e300), 20);
    EXPECT_EQ(m.R2M(kInf), 20);
    // Regression-style choice: M2R divided by k = 0; it answers the centre of the range.
    EXPECT_EQ(m.M2R(7), 51.0);
  }
  EXPECT_EQ(Fitted(sctYL, 0, 10, false, 400, 41).D(), 20.5);
}

TEST(ScaleMap, TransformsThatCannotBeComputedKeepThePreviousOne) {
  struct Case {
    const char* name;
    double low, high;
    bool log;
  };
  // Regression: an infinite low end gave d = NaN (every pixel 0), an infinite high end k = 0.
  const Case cases[] = {{"equal ends", 5, 5, false}, {"infinite end", -kInf, 0, false}, {"NaN end", kNaN, 1, false},
                        {"log to infinity", 1, kInf, true}, {"to infinity", 0, kInf, false}};
  for (const Case& c : cases) {
    TScaleMap m = Fitted(sctXB, 0, 100);
    m.Fit(TScaleFrame{}, c.low, c.high, c.log);
    EXPECT_DOUBLE_EQ(m.K(), 3.59) << c.name;
    EXPECT_DOUBLE_EQ(m.D(), 20) << c.name;
  }
}

TEST(ScaleMap, ALogarithmicAxisWithoutAPositiveRangeIsMappedLinearly) {
  // Regression: the map kept its previous k and d and took ln v of the linear ticks such an axis
  // gets, squeezing 0..100 into pixels 20..37.
  for (const auto& [low, high] : {std::pair{0.0, 100.0}, std::pair{-50.0, 50.0}, std::pair{100.0, 0.0}}) {
    const TScaleMap m = Fitted(sctXB, low, high, true);
    EXPECT_FALSE(m.Log());
    EXPECT_EQ(m.R2M(low), 20);
    EXPECT_EQ(m.R2M(high), 379);
  }
}

TEST(ScaleMap, MarginsNearTheIntegerLimitDoNotOverflow) {
  TScaleFrame f;
  f.Width = 2147483647;
  f.MarginLeft = 2147483647;
  f.MarginRight = 2147483647;
  TScaleMap m;
  m.Fit(f, 0, 1, false);
  EXPECT_EQ(m.K(), 0.0);
  EXPECT_EQ(ScaleAxisLength(f), -2147483648LL);
}

TEST(Scale, ANewScaleMapsItsRangeInsideTheMarginsOfFourHundredPixels) {
  TScale scale(nullptr);
  EXPECT_EQ(scale.R2M(0), 20);
  EXPECT_EQ(scale.ConvertToPixelCoords(100), 379);
  EXPECT_DOUBLE_EQ(scale.ConvertPixelToScale(379), 100);
  scale.SetScaleType(sctYL);
  EXPECT_EQ(scale.R2M(100), 20);
  EXPECT_EQ(scale.R2M(0), 379);
}

TEST(Scale, LogarithmicOneToThousandPutsTenAThirdOfTheWay) {
  TScale scale(nullptr);
  scale.BeginLoading();
  scale.EndLoading();  // loaded: the range is checked
  scale.SetRange(1, 1000);
  scale.SetLogarithmic(true);
  ASSERT_TRUE(scale.Logarithmic());
  EXPECT_EQ(scale.R2M(1), scale.MarginLeft());
  EXPECT_EQ(scale.R2M(1000), scale.Width() - scale.MarginRight() - 1);
  EXPECT_EQ(scale.R2M(10), 140);
  EXPECT_EQ(scale.R2M(0), 0);
  scale.SetRange(1000, 1);
  EXPECT_EQ(scale.R2M(-1), scale.Width());
}

}  // namespace
