// Qelta_math2: plane and sphere geometry.
//
// SphereGreatCircleDist is the spherical law of cosines with its argument clamped to -1..1; the cosine
// is summed in extended precision and rounded to double before the arc cosine, so a point and itself
// are 0 apart (in double the sum fell short of 1 by an ulp and gave some centimetres on the Earth).
// PointIsInsidePolygon counts the edges crossed by the ray from the point towards larger y;
// PolygonArea is the shoelace formula, summed in extended precision; PointIsInsideConvexHull demands
// a strict left turn at every edge.
//
// Convex2DHull is Graham's scan about the centroid (R. L. Graham, Inf. Proc. Lett. 1 (1972) 132-133):
// the points are sorted by their angle about the centroid (AngleToXAxis + pi/2, so the order starts
// just right of straight down and runs counter-clockwise), the nearer points on one ray from the
// centroid are removed, and a scan with the indices previous / middle / next removes every middle
// point that does not make a strict left turn, stepping back after each removal. The scan starts at
// the point farthest from the centroid, which is a hull vertex for certain, and ends when it comes
// round to it: every point is taken once and removed at most once, so the scan is linear and the
// sort dominates (n log n). The turns are decided on the given coordinates in extended precision
// (exact for coordinates of up to 26 significant bits), the angles on coordinates relative to the
// centroid; points that only rounding puts out of angular order lie almost on one ray, and the
// farther of them decides its own turn correctly.
// Deliberate deviations, each a mended fault:
//  - PointIsInsidePolygon counted only edges spanning the point's x strictly, so a ray through a
//    vertex missed both edges there and points inside were reported outside (the inner corner of an
//    L shape, at the corner's x). An edge now spans [min x, max x): of two edges meeting at a vertex
//    exactly one counts when they continue to both sides, none or both when they turn back.
//  - Four or more collinear (or identical) points hung the scan: the centroid lies on their line,
//    every point was removed and the search for the next point still present never ended. Such a set
//    now gets its two extreme points as hull (identical points: the one point), and no search can
//    run past the points present.
//  - Points whose angles differed by less than 1e-4 were thinned to the farthest, which dropped true
//    vertices (points on a circle); only points exactly on one ray from the centroid are thinned now.
//  - The hull holds the points as given instead of their centred copies moved back (which rounded).
//  - Points with a NaN or infinite coordinate are left out (of more than three points).

#include <algorithm>
#include <cmath>
#include <vector>

#include "Qelta_math1.h"
#include "Qelta_math2.h"

namespace qelta {

namespace {

using E = Extended;

constexpr double kPi = 3.14159265358979323846;

bool Finite(const TPointDouble& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

/// Twice the signed area of the triangle a, b, c: positive for a left turn at b on the way a, b, c.
E Turn(const TPointDouble& a, const TPointDouble& b, const TPointDouble& c) {
  return (static_cast<E>(b.X) - a.X) * (static_cast<E>(c.Y) - b.Y) - (static_cast<E>(b.Y) - a.Y) * (static_cast<E>(c.X) - b.X);
}

/// A point relative to the centroid with its sort key.
struct TPolar {
  double angle = 0, dist2 = 0, dx = 0, dy = 0;
  int index = 0;
};

/// The hull of a set of collinear points as indices into pts: its two extreme points, or the one
/// point when all are equal. False when the points are not collinear.
bool CollinearHull(const TPDblArray& pts, const std::vector<int>& use, std::vector<int>& hull) {
  const TPointDouble& a = pts[static_cast<std::size_t>(use.front())];
  int far = use.front();
  E best = 0;
  for (int i : use) {
    const TPointDouble& p = pts[static_cast<std::size_t>(i)];
    const E d = (static_cast<E>(p.X) - a.X) * (p.X - a.X) + (static_cast<E>(p.Y) - a.Y) * (p.Y - a.Y);
    if (d > best) {
      best = d;
      far = i;
    }
  }
  if (best == 0) {
    hull = {use.front()};
    return true;
  }
  const TPointDouble& b = pts[static_cast<std::size_t>(far)];
  for (int i : use)
    if (Turn(a, b, pts[static_cast<std::size_t>(i)]) != 0) return false;
  int lo = use.front(), hi = use.front();
  E loProj = 0, hiProj = 0;
  for (int i : use) {
    const TPointDouble& p = pts[static_cast<std::size_t>(i)];
    const E proj = (static_cast<E>(p.X) - a.X) * (static_cast<E>(b.X) - a.X) + (static_cast<E>(p.Y) - a.Y) * (static_cast<E>(b.Y) - a.Y);
    if (proj < loProj) {
      loProj = proj;
      lo = i;
    }
    if (proj > hiProj) {
      hiProj = proj;
      hi = i;
    }
  }
  hull = {lo, hi};
  return true;
}

/// The points sorted by angle about the centroid (farther first on equal angles), without the
/// centroid itself and without the nearer points on one ray from it.
std::vector<TPolar> SortedAboutCentroid(const TPDblArray& pts, const std::vector<int>& use) {
  E sx = 0, sy = 0;
  for (int i : use) {
    sx += pts[static_cast<std::size_t>(i)].X;
    sy += pts[static_cast<std::size_t>(i)].Y;
  }
  const double cx = static_cast<double>(sx / use.size()), cy = static_cast<double>(sy / use.size());
  std::vector<TPolar> polar;
  polar.reserve(use.size());
  for (int i : use) {
    TPolar p;
    p.index = i;
    p.dx = pts[static_cast<std::size_t>(i)].X - cx;
    p.dy = pts[static_cast<std::size_t>(i)].Y - cy;
    if (p.dx == 0 && p.dy == 0) continue;  // the centroid is inside the hull of a set that is not collinear
    p.angle = AngleToXAxis(p.dx, p.dy) + kPi / 2;
    if (p.angle > 2 * kPi) p.angle -= 2 * kPi;
    p.dist2 = p.dx * p.dx + p.dy * p.dy;
    polar.push_back(p);
  }
  std::sort(polar.begin(), polar.end(), [](const TPolar& a, const TPolar& b) {
    return a.angle < b.angle || (a.angle == b.angle && (a.dist2 > b.dist2 || (a.dist2 == b.dist2 && a.index < b.index)));
  });
  std::vector<TPolar> kept;
  kept.reserve(polar.size());
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < polar.size(); ++i) {
    if (i == 0 || polar[i].angle != polar[runStart].angle) runStart = i;
    const TPolar& far = polar[runStart];
    const bool onItsRay = i != runStart && static_cast<E>(far.dx) * polar[i].dy - static_cast<E>(far.dy) * polar[i].dx == 0;
    if (!onItsRay) kept.push_back(polar[i]);
  }
  return kept;
}

/// Graham's scan over the cyclic sequence `ring` from its farthest point; answers the positions in
/// ring of the hull vertices, rising.
std::vector<std::size_t> Scan(const TPDblArray& pts, const std::vector<TPolar>& ring) {
  const std::size_t m = ring.size();
  std::size_t start = 0;
  for (std::size_t i = 1; i < m; ++i)
    if (ring[i].dist2 > ring[start].dist2) start = i;
  const auto at = [&](std::size_t k) -> const TPointDouble& {
    return pts[static_cast<std::size_t>(ring[(start + k) % m].index)];
  };
  std::vector<std::size_t> stack{0, 1};  // steps from start; the start itself is never removed
  for (std::size_t k = 2; k <= m; ++k) {
    while (stack.size() >= 2 && Turn(at(stack[stack.size() - 2]), at(stack.back()), at(k)) <= 0) stack.pop_back();
    stack.push_back(k);
  }
  stack.pop_back();  // k = m is the start again
  std::vector<std::size_t> positions;
  positions.reserve(stack.size());
  for (std::size_t k : stack) positions.push_back((start + k) % m);
  std::sort(positions.begin(), positions.end());
  return positions;
}

}  // namespace

// [SECTION] sphere

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) {
  const E f = 3.14159265358979323846264338327950288L / 180;
  const E c = std::cos(Lat1 * f) * std::cos(Lat2 * f) * std::cos((Long1 - Long2) * f) + std::sin(Lat1 * f) * std::sin(Lat2 * f);
  return Radius * std::acos(std::clamp(static_cast<double>(c), -1.0, 1.0));
}

// [SECTION] polygons

bool PointIsInsidePolygon(double x, double y, const TPDblArray& Polygon) {
  const std::size_t n = Polygon.size();
  bool inside = false;
  for (std::size_t i = 0; i < n; ++i) {
    const TPointDouble& a = Polygon[i == 0 ? n - 1 : i - 1];  // the closing edge first
    const TPointDouble& b = Polygon[i];
    if ((a.X <= x) != (b.X <= x))  // x in [min, max): a vertex at x belongs to one of its two edges
      if (y < a.Y + (x - a.X) * (b.Y - a.Y) / (b.X - a.X)) inside = !inside;
  }
  return inside;
}

double PolygonArea(const TPDblArray& Polygon) {
  if (Polygon.empty()) return 0.0;
  const TPointDouble& first = Polygon.front();
  const TPointDouble& last = Polygon.back();
  E twice = (static_cast<E>(last.X) - first.X) * (static_cast<E>(last.Y) + first.Y);
  for (std::size_t i = 0; i + 1 < Polygon.size(); ++i)
    twice += (static_cast<E>(Polygon[i].X) - Polygon[i + 1].X) * (static_cast<E>(Polygon[i].Y) + Polygon[i + 1].Y);
  return static_cast<double>(twice / 2);
}

bool PointIsInsideConvexHull(double x, double y, const TPDblArray& Hull) {
  const std::size_t n = Hull.size();
  if (n == 0) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const TPointDouble& a = Hull[i == 0 ? n - 1 : i - 1];
    const TPointDouble& b = Hull[i];
    if (!((b.X - a.X) * (y - a.Y) - (b.Y - a.Y) * (x - a.X) > 0)) return false;
  }
  return true;
}

// [SECTION] convex hull

void Convex2DHull(const TPDblArray& Points, TPDblArray& Hull) {
  if (Points.size() <= 3) {
    Hull = Points;
    return;
  }
  std::vector<int> use;
  use.reserve(Points.size());
  for (std::size_t i = 0; i < Points.size(); ++i)
    if (Finite(Points[i])) use.push_back(static_cast<int>(i));
  TPDblArray result;
  std::vector<int> line;
  if (use.empty()) {
  } else if (CollinearHull(Points, use, line)) {
    for (int i : line) result.push_back(Points[static_cast<std::size_t>(i)]);
  } else {
    const std::vector<TPolar> ring = SortedAboutCentroid(Points, use);
    for (std::size_t k : Scan(Points, ring)) result.push_back(Points[static_cast<std::size_t>(ring[k].index)]);
  }
  Hull = std::move(result);
}

}  // namespace qelta
