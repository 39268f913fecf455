// Qelta_math2 geometry: great-circle distance, polygon area and inside tests on a table of shapes, and
// Convex2DHull against an independent monotone-chain hull on random and degenerate point sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "Qelta_math2.h"

using namespace qelta;

namespace {

constexpr double kPi = 3.14159265358979323846;

TPDblArray Poly(std::initializer_list<TPointDouble> pts) { return TPDblArray(pts); }

TEST(Geometry, SphereGreatCircleDist) {
  EXPECT_NEAR(SphereGreatCircleDist(6371, 0, 0, 0, 90), 6371 * kPi / 2, 1e-9);
  EXPECT_EQ(SphereGreatCircleDist(6371, 47.07, 15.44, 47.07, 15.44), 0.0);  // the clamp keeps acos defined
  EXPECT_NEAR(SphereGreatCircleDist(1, 90, 0, -90, 0), kPi, 1e-12);
  EXPECT_NEAR(SphereGreatCircleDist(1, 0, 170, 0, -170), 20 * kPi / 180, 1e-12);
  for (double lat = -80; lat <= 80; lat += 7.3)  // rounding above 1 in the cosine never gives NaN
    EXPECT_FALSE(std::isnan(SphereGreatCircleDist(6371, lat, 12.345, lat, 12.345))) << lat;
}

struct TAreaCase {
  const char* name;
  TPDblArray polygon;
  double area;
};

TEST(Geometry, PolygonAreaOfShapes) {
  const TAreaCase cases[] = {
      {"unit square", Poly({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), 1},
      {"unit square clockwise", Poly({{0, 1}, {1, 1}, {1, 0}, {0, 0}}), -1},
      {"triangle", Poly({{0, 0}, {4, 0}, {0, 3}}), 6},
      {"L shape", Poly({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}), 3},
      {"far from the origin", Poly({{1e6, 1e6}, {1e6 + 2, 1e6}, {1e6 + 2, 1e6 + 3}, {1e6, 1e6 + 3}}), 6},
      {"a point", Poly({{3, 4}}), 0},
      {"a segment", Poly({{0, 0}, {5, 5}}), 0},
      {"empty", {}, 0},
  };
  for (const TAreaCase& c : cases) EXPECT_DOUBLE_EQ(PolygonArea(c.polygon), c.area) << c.name;
}

struct TInsideCase {
  double x, y;
  bool inside;
};

TEST(Geometry, PointIsInsidePolygonOnShapes) {
  const TPDblArray square = Poly({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  const TPDblArray ell = Poly({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
  const TPDblArray star = Poly({{0, 3}, {1, 1}, {3, 0}, {1, -1}, {0, -3}, {-1, -1}, {-3, 0}, {-1, 1}});
  for (const TInsideCase& c : {TInsideCase{0.5, 0.5, true}, {1.5, 0.5, false}, {0.5, -0.1, false}, {0.5, 1.1, false}})
    EXPECT_EQ(PointIsInsidePolygon(c.x, c.y, square), c.inside) << c.x << "," << c.y;
  for (const TInsideCase& c : {TInsideCase{0.5, 1.5, true}, {1.5, 0.5, true}, {1.5, 1.5, false}, {2.5, 0.5, false}})
    EXPECT_EQ(PointIsInsidePolygon(c.x, c.y, ell), c.inside) << c.x << "," << c.y;
  for (const TInsideCase& c : {TInsideCase{0.1, 0.2, true}, {2, 0.1, true}, {1.5, 1.5, false}, {-0.5, -2, true}, {2, 2, false}})
    EXPECT_EQ(PointIsInsidePolygon(c.x, c.y, star), c.inside) << c.x << "," << c.y;
  EXPECT_FALSE(PointIsInsidePolygon(0.5, 0.5, {}));
}

/// Winding number by the sum of the angles the edges subtend (away from the boundary).
bool InsideByAngles(double x, double y, const TPDblArray& poly) {
  double sum = 0;
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const TPointDouble &a = poly[i], &b = poly[(i + 1) % poly.size()];
    sum += std::atan2((a.X - x) * (b.Y - y) - (a.Y - y) * (b.X - x), (a.X - x) * (b.X - x) + (a.Y - y) * (b.Y - y));
  }
  return std::fabs(sum) > kPi;
}

bool OnBoundary(double x, double y, const TPDblArray& poly) {
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const TPointDouble &a = poly[i], &b = poly[(i + 1) % poly.size()];
    const double cross = (b.X - a.X) * (y - a.Y) - (b.Y - a.Y) * (x - a.X);
    if (cross == 0 && std::min(a.X, b.X) <= x && x <= std::max(a.X, b.X) && std::min(a.Y, b.Y) <= y &&
        y <= std::max(a.Y, b.Y))
      return true;
  }
  return false;
}

// An edge counted only when it spanned the point's x strictly: a ray through a vertex then missed
// both edges there, so the inner corner column of an L shape (x = 1) was reported outside.
TEST(Geometry, PointIsInsidePolygonAtTheXOfAVertex) {
  const TPDblArray ell = Poly({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
  EXPECT_TRUE(PointIsInsidePolygon(1, 0.5, ell));
  const TPDblArray shapes[] = {
      ell,
      Poly({{0, 3}, {1, 1}, {3, 0}, {1, -1}, {0, -3}, {-1, -1}, {-3, 0}, {-1, 1}}),
      Poly({{0, 0}, {4, 0}, {4, 4}, {3, 1}, {2, 4}, {1, 1}, {0, 4}}),  // a comb: rays through its teeth
      Poly({{0, 0}, {1, 2}, {2, 0}, {3, 2}, {4, 0}, {4, -1}, {0, -1}}),
  };
  for (const TPDblArray& poly : shapes)
    for (int i = -10; i <= 10; ++i)
      for (int j = -10; j <= 10; ++j) {
        const double x = i / 2.0, y = j / 2.0;
        if (OnBoundary(x, y, poly)) continue;
        EXPECT_EQ(PointIsInsidePolygon(x, y, poly), InsideByAngles(x, y, poly)) << x << "," << y;
      }
}

TEST(Geometry, PointIsInsideConvexHull) {
  const TPDblArray ccw = Poly({{0, 0}, {2, 0}, {2, 2}, {0, 2}});
  EXPECT_TRUE(PointIsInsideConvexHull(1, 1, ccw));
  EXPECT_FALSE(PointIsInsideConvexHull(1, 0, ccw));  // on an edge
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, ccw));  // on a vertex
  EXPECT_FALSE(PointIsInsideConvexHull(3, 1, ccw));
  const TPDblArray cw(ccw.rbegin(), ccw.rend());
  for (double x : {-1.0, 0.5, 1.0, 1.5, 3.0})
    for (double y : {-1.0, 0.5, 1.0, 1.5, 3.0}) EXPECT_FALSE(PointIsInsideConvexHull(x, y, cw)) << x << "," << y;
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, {}));
  EXPECT_FALSE(PointIsInsideConvexHull(1, 1, Poly({{1, 1}})));
}

// [SECTION] convex hull

/// Independent reference: Andrew's monotone chain, counter-clockwise, no collinear vertices; turns in
/// long double (exact for integer coordinates below 2^31).
TPDblArray MonotoneChain(TPDblArray p) {
  std::sort(p.begin(), p.end(), [](const TPointDouble& a, const TPointDouble& b) { return a.X < b.X || (a.X == b.X && a.Y < b.Y); });
  p.erase(std::unique(p.begin(), p.end(), [](const TPointDouble& a, const TPointDouble& b) { return a.X == b.X && a.Y == b.Y; }),
          p.end());
  if (p.size() < 3) return p;
  const auto cross = [](const TPointDouble& o, const TPointDouble& a, const TPointDouble& b) {
    return (static_cast<long double>(a.X) - o.X) * (static_cast<long double>(b.Y) - o.Y) -
           (static_cast<long double>(a.Y) - o.Y) * (static_cast<long double>(b.X) - o.X);
  };
  TPDblArray h(2 * p.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  for (std::size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  return h;
}

/// Equal as cyclic sequences.
bool SameCycle(const TPDblArray& a, const TPDblArray& b) {
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  for (std::size_t shift = 0; shift < b.size(); ++shift) {
    bool all = true;
    for (std::size_t i = 0; i < a.size() && all; ++i) {
      const TPointDouble &p = a[i], &q = b[(i + shift) % b.size()];
      all = p.X == q.X && p.Y == q.Y;
    }
    if (all) return true;
  }
  return false;
}

TPDblArray Hull(const TPDblArray& pts) {
  TPDblArray h;
  Convex2DHull(pts, h);
  return h;
}

TEST(Geometry, ConvexHullOfTheSquareAndItsCentreIsTheCorners) {
  const TPDblArray h = Hull(Poly({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, 0.5}}));
  EXPECT_TRUE(SameCycle(h, Poly({{0, 0}, {1, 0}, {1, 1}, {0, 1}})));
  // the order starts just right of straight down from the centroid: the corner (1, 0)
  ASSERT_EQ(h.size(), 4u);
  EXPECT_EQ(h[0].X, 1.0);
  EXPECT_EQ(h[0].Y, 0.0);
}

TEST(Geometry, ConvexHullOfThreePointsOrFewerIsACopy) {
  const TPDblArray three = Poly({{0, 0}, {5, 5}, {1, 1}});  // collinear, kept as given
  const TPDblArray h = Hull(three);
  ASSERT_EQ(h.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(h[i].X == three[i].X && h[i].Y == three[i].Y);
  EXPECT_TRUE(Hull({}).empty());
  TPDblArray same = Poly({{1, 2}, {3, 4}});
  Convex2DHull(same, same);
  EXPECT_EQ(same.size(), 2u);
}

// Four or more collinear points put the centroid on their line; the scan removed every point and
// then searched for a point still present for ever.
TEST(Geometry, ConvexHullOfCollinearOrIdenticalPointsEnds) {
  EXPECT_TRUE(SameCycle(Hull(Poly({{0, 0}, {1, 1}, {2, 2}, {3, 3}})), Poly({{0, 0}, {3, 3}})));
  EXPECT_TRUE(SameCycle(Hull(Poly({{2, 5}, {-1, 5}, {7, 5}, {0, 5}, {7, 5}})), Poly({{-1, 5}, {7, 5}})));
  EXPECT_TRUE(SameCycle(Hull(Poly({{4, -3}, {4, 9}, {4, 0}, {4, 2}, {4, 1}})), Poly({{4, -3}, {4, 9}})));
  EXPECT_TRUE(SameCycle(Hull(Poly({{1.5, 2.5}, {1.5, 2.5}, {1.5, 2.5}, {1.5, 2.5}})), Poly({{1.5, 2.5}})));
  TPDblArray line;  // 1000 points on y = 2x + 1 in shuffled order, with repeats
  for (int i = 0; i < 1000; ++i) line.push_back({static_cast<double>((i * 389) % 500), 2.0 * ((i * 389) % 500) + 1});
  EXPECT_TRUE(SameCycle(Hull(line), Poly({{0, 1}, {499, 999}})));
}

// The 1e-4 rule thinned points whose angles about the centroid differed by less than 1e-4 to the
// farthest one: on a circle of 100000 points (6.3e-5 apart) it dropped true vertices.
TEST(Geometry, ConvexHullKeepsEveryVertexOfADenseCircle) {
  TPDblArray circle;
  const int n = 100000;
  for (int i = 0; i < n; ++i) circle.push_back({std::cos(2 * kPi * i / n), std::sin(2 * kPi * i / n)});
  const TPDblArray h = Hull(circle);
  EXPECT_TRUE(SameCycle(h, MonotoneChain(circle)));
  EXPECT_GT(h.size(), static_cast<std::size_t>(n) * 99 / 100);
}

TPDblArray RandomSet(int kind, int n, std::mt19937_64& gen) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> small(0, 12);
  TPDblArray p;
  for (int i = 0; i < n; ++i) {
    switch (kind) {
      case 0:  // uniform in a square
        p.push_back({unit(gen), unit(gen)});
        break;
      case 1: {  // in a disk
        double x, y;
        do {
          x = unit(gen);
          y = unit(gen);
        } while (x * x + y * y > 1);
        p.push_back({x * 1e3 + 5e5, y * 1e3 - 7e5});
        break;
      }
      case 2:  // a small integer grid: many duplicates and collinear boundary points
        p.push_back({static_cast<double>(small(gen)), static_cast<double>(small(gen))});
        break;
      case 3: {  // the boundary of a rectangle with integer coordinates
        const int t = small(gen) * 3, side = small(gen) % 4;
        p.push_back(side == 0 ? TPointDouble{static_cast<double>(t), 0} : side == 1 ? TPointDouble{36, static_cast<double>(t)}
                    : side == 2 ? TPointDouble{static_cast<double>(t), 20} : TPointDouble{0, static_cast<double>(t)});
        break;
      }
      case 4: {  // integer points on three lines through one point, plus duplicates
        const int t = small(gen) - 6, line = small(gen) % 3;
        p.push_back({static_cast<double>(t * (line == 0 ? 1 : line == 1 ? 2 : -3)), static_cast<double>(t * (line == 2 ? 1 : 3))});
        break;
      }
      default: {  // clusters of identical points
        const int c = small(gen) % 5;
        p.push_back({static_cast<double>(c * c), static_cast<double>((c * 7) % 5)});
        break;
      }
    }
  }
  return p;
}

TEST(Geometry, ConvexHullEqualsAMonotoneChainHullOnRandomAndDegenerateSets) {
  std::mt19937_64 gen(20240611);
  for (int kind = 0; kind <= 5; ++kind)
    for (int n : {4, 5, 7, 12, 50, 333, 5000})
      for (int rep = 0; rep < 6; ++rep) {
        const TPDblArray pts = RandomSet(kind, n, gen);
        const TPDblArray ours = Hull(pts), ref = MonotoneChain(pts);
        ASSERT_TRUE(SameCycle(ours, ref)) << "kind " << kind << " n " << n << " rep " << rep << ": " << ours.size()
                                          << " vertices, reference " << ref.size();
        if (ours.size() >= 3) {
          EXPECT_GT(PolygonArea(ours), 0) << "counter-clockwise";
        }
      }
}

TEST(Geometry, ConvexHullLeavesOutPointsThatAreNotFinite) {
  const double nan = std::nan("");
  const TPDblArray h = Hull(Poly({{0, 0}, {nan, 1}, {4, 0}, {4, 4}, {1e308 * 10, 2}, {0, 4}, {2, 2}}));
  EXPECT_TRUE(SameCycle(h, Poly({{0, 0}, {4, 0}, {4, 4}, {0, 4}})));
  EXPECT_TRUE(Hull(Poly({{nan, 1}, {nan, 2}, {nan, 3}, {nan, 4}})).empty());
}

}  // namespace
