// Qelta_sline: TSLine's constructions and queries, its refusals with their exact messages, and
// ClipBox on crossing lines, corners, box edges and lines that miss the box.
#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

#include "Assertions.h"
#include "Qelta_qeltabase.h"
#include "Qelta_sline.h"

using namespace qelta;

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(TSLine, NewLineIsTheXAxis) {
  TSLine l(nullptr);
  EXPECT_EQ(l.ParA(), 0.0);
  EXPECT_EQ(l.ParB(), 1.0);
  EXPECT_EQ(l.ParC(), 0.0);
  EXPECT_FALSE(l.SubstituteInf());
  EXPECT_EQ(l.Slope(), 0.0);
  EXPECT_EQ(l.Intercept(), 0.0);
  EXPECT_EQ(l.Direction(), 0.0);
  EXPECT_EQ(l.CalcY(5), 0.0);
  EXPECT_THROW_MSG(l.CalcX(1), EQeltaSLineError, "cannot calculate x");
  l.SetSubstituteInf(true);
  // (-y B - C) / 1e-100 with y = 1, B = 1, C = 0: the formula's -1e100, not 0
  EXPECT_EQ(l.CalcX(1), -1e100);
  EXPECT_EQ(l.CalcX(0), 0.0);
}

TEST(TSLine, SettersRefuseAZeroNormal) {
  TSLine l(nullptr);
  EXPECT_THROW_MSG(l.SetParB(0), EQeltaSLineError, "parameter A and B must not both be zero");
  EXPECT_EQ(l.ParB(), 1.0);
  l.SetParA(2);
  l.SetParB(0);
  EXPECT_EQ(l.ParB(), 0.0);
  EXPECT_THROW_MSG(l.SetParA(0), EQeltaSLineError, "parameter A and B must not both be zero");
  EXPECT_EQ(l.ParA(), 2.0);
  l.SetParC(-7);
  EXPECT_EQ(l.ParC(), -7.0);
  // the error class stands beside the system's own root class
  const bool fromException = std::is_base_of_v<Exception, EQeltaSLineError>;
  const bool fromQelta = std::is_base_of_v<EQeltaError, EQeltaSLineError>;
  EXPECT_TRUE(fromException);
  EXPECT_FALSE(fromQelta);
}

TEST(TSLine, Constructions) {
  TSLine l(nullptr), m(nullptr);
  EXPECT_TRUE(l.LineFrom2Points(0, 0, 1, 1));
  EXPECT_EQ(l.ParA(), -1.0);
  EXPECT_EQ(l.ParB(), 1.0);
  EXPECT_EQ(l.ParC(), 0.0);
  EXPECT_EQ(l.Slope(), 1.0);
  EXPECT_NEAR(l.Direction(), kPi / 4, 1e-15);
  EXPECT_FALSE(l.LineFrom2Points(3, 4, 3, 4));
  EXPECT_EQ(l.ParA(), -1.0);

  l.LineFromSlopeIcpt(2, 3);  // y = 2x + 3
  EXPECT_EQ(l.Slope(), 2.0);
  EXPECT_EQ(l.Intercept(), 3.0);
  EXPECT_EQ(l.CalcY(1), 5.0);
  EXPECT_EQ(l.CalcX(7), 2.0);
  double k = 0, d = 0;
  l.CalcKDForm(k, d);
  EXPECT_EQ(k, 2.0);
  EXPECT_EQ(d, 3.0);

  l.LineThroughPoint(1, 1, kPi / 2);  // the vertical x = 1
  EXPECT_NEAR(l.Distance(4, 9), 3, 1e-15);
  EXPECT_NEAR(l.Direction(), kPi / 2, 1e-15);

  m.LineFromSlopeIcpt(1, 0);  // y = x
  l.NormalLine(2, 0, m);      // y = -x + 2
  EXPECT_NEAR(l.Slope(), -1, 1e-15);
  EXPECT_NEAR(l.CalcY(0), 2, 1e-15);
  l.ParallelLine(0, 5, m);  // y = x + 5
  EXPECT_NEAR(l.Slope(), 1, 1e-15);
  EXPECT_NEAR(l.Intercept(), 5, 1e-15);
}

TEST(TSLine, IntersectionAndAngles) {
  TSLine l(nullptr), m(nullptr);
  l.LineFromSlopeIcpt(1, 0);
  m.LineFromSlopeIcpt(1, 4);
  double x = 99, y = 99;
  EXPECT_FALSE(l.InterSection(m, x, y));
  EXPECT_EQ(x, 99.0);
  EXPECT_EQ(l.AngleBetweenLines(m), 0.0);
  m.LineFromSlopeIcpt(-1, 4);
  EXPECT_TRUE(l.InterSection(m, x, y));
  EXPECT_NEAR(x, 2, 1e-15);
  EXPECT_NEAR(y, 2, 1e-15);
  EXPECT_NEAR(l.AngleBetweenLines(m), kPi / 2, 1e-15);
  m.LineThroughPoint(0, 0, kPi / 3);
  EXPECT_NEAR(l.AngleBetweenLines(m), kPi / 12, 1e-15);
}

TEST(TSLine, VerticalLineRefusals) {
  TSLine l(nullptr);
  ASSERT_TRUE(l.LineFrom2Points(2, 0, 2, 1));  // x = 2
  EXPECT_NEAR(l.Direction(), kPi / 2, 1e-15);
  EXPECT_THROW_MSG(l.Slope(), EQeltaSLineError, "slope is infinite");
  EXPECT_THROW_MSG(l.Intercept(), EQeltaSLineError, "cannot calculate intercept (line is parallel to y axis)");
  EXPECT_THROW_MSG(l.CalcY(1), EQeltaSLineError, "cannot calculate y");
  double k = 0, d = 0;
  EXPECT_THROW_MSG(l.CalcKDForm(k, d), EQeltaSLineError, "cannot convert to k-d-form if ParB is zero");
  EXPECT_EQ(l.CalcX(123), 2.0);
}

// Direction is the angle of (B, -A) in [0, 2 pi) in all four quadrants and on the axes.
TEST(TSLine, DirectionCoversTheFullCircle) {
  TSLine l(nullptr);
  for (int deg = 0; deg < 360; deg += 15) {
    const double a = deg * kPi / 180;
    ASSERT_TRUE(l.LineFrom2Points(0, 0, 10 * std::cos(a), 10 * std::sin(a)));
    EXPECT_NEAR(l.Direction(), a, 1e-12) << deg;
  }
}

struct TClipCase {
  const char* name;
  double p1x, p1y, p2x, p2y;          // the line through these points
  double bllx, blly, burx, bury;      // the box
  bool hit;
  double x1, y1, x2, y2;
};

const TClipCase kClipCases[] = {
    {"horizontal y = 5", 0, 5, 1, 5, 0, 0, 10, 10, true, 0, 5, 10, 5},
    {"vertical x = 2", 2, 0, 2, 1, 0, 0, 10, 10, true, 2, 0, 2, 10},
    {"crossing two sides", 0, 2, 10, 7, 0, 0, 10, 10, true, 0, 2, 10, 7},
    {"crossing bottom and top", 3, 0, 5, 10, 0, 0, 10, 10, true, 3, 0, 5, 10},
    {"diagonal through two corners", 0, 0, 1, 1, 0, 0, 10, 10, true, 0, 0, 10, 10},
    {"touching one corner", 0, 0, 1, -1, 0, 0, 10, 10, true, 0, 0, 0, 0},
    {"outside", 0, 20, 1, 21, 0, 0, 10, 10, false, 0, 0, 0, 0},
    {"reversed corners", 0, 5, 1, 5, 10, 10, 0, 0, true, 0, 5, 10, 5},
    // a line on an edge: the edge's corners, whatever the rounding of the substituted division
    {"on the bottom edge", 0, 0, 1, 0, 0, 0, 10, 10, true, 0, 0, 10, 0},
    {"on the top edge", 0, 10, 5, 10, 0, 0, 10, 10, true, 0, 10, 10, 10},
    {"on the left edge", 0, 0, 0, 1, 0, 0, 10, 10, true, 0, 0, 0, 10},
    {"on the right edge", 10, 0, 10, 1, 0, 0, 10, 10, true, 10, 0, 10, 10},
};

// With SubstituteInf a line on an edge of a box that spans 0 also meets that edge at 0 (the
// division by 1e-100 of an exact 0): a third crossing, where only two result points exist.
const TClipCase kEdgeCasesAcrossZero[] = {
    {"top edge across 0", 0, 5, 1, 5, -5, -5, 5, 5, true, -5, 5, 5, 5},
    {"bottom edge across 0", -3, -5, 2, -5, -5, -5, 5, 5, true, -5, -5, 5, -5},
    {"right edge across 0", 5, 0, 5, 1, -5, -5, 5, 5, true, 5, -5, 5, 5},
    {"left edge across 0", -5, -2, -5, 3, -5, -5, 5, 5, true, -5, -5, -5, 5},
};

void CheckClip(const TClipCase& c) {
  TSLine l(nullptr);
  ASSERT_TRUE(l.LineFrom2Points(c.p1x, c.p1y, c.p2x, c.p2y));
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  EXPECT_EQ(l.ClipBox(c.bllx, c.blly, c.burx, c.bury, x1, y1, x2, y2), c.hit) << c.name;
  EXPECT_FALSE(l.SubstituteInf()) << c.name;
  if (!c.hit) return;
  EXPECT_NEAR(x1, c.x1, 1e-12) << c.name;
  EXPECT_NEAR(y1, c.y1, 1e-12) << c.name;
  EXPECT_NEAR(x2, c.x2, 1e-12) << c.name;
  EXPECT_NEAR(y2, c.y2, 1e-12) << c.name;
}

TEST(TSLine, ClipBoxCases) {
  for (const TClipCase& c : kClipCases) CheckClip(c);
}

TEST(TSLine, ClipBoxOfALineOnAnEdgeGivesTheEdgeCorners) {
  for (const TClipCase& c : kEdgeCasesAcrossZero) CheckClip(c);
}

TEST(TSLine, ClipBoxRestoresSubstituteInfAndLeavesOutputsWhenMissing) {
  TSLine l(nullptr);
  l.SetSubstituteInf(true);
  l.LineFromSlopeIcpt(0, 50);
  double x1 = 7, y1 = 7, x2 = 7, y2 = 7;
  EXPECT_FALSE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_TRUE(l.SubstituteInf());
  EXPECT_EQ(x1 + y1 + x2 + y2, 28.0);
}

}  // namespace
