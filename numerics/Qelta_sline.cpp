// Qelta_sline: the straight line.
//
// ClipBox keeps at most two of the four edge crossings. Two cases make more of them pass the tests:
// a line through a corner meets two edges there (the same point twice), and a line lying on an edge
// meets the perpendicular edges at the corners and, through the division by 1e-100 that stands for
// its zero coefficient, the edge itself at 0 when the box spans 0. Equal points are therefore
// dropped and the two farthest apart kept (the first such pair in the order found), so a line on
// an edge gives that edge's corners.

#include "Qelta_sline.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qelta {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct TPoint2 {
  double x, y;
  bool operator==(const TPoint2& o) const { return x == o.x && y == o.y; }
};

double Dist2(const TPoint2& a, const TPoint2& b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

}  // namespace

TSLine::TSLine(TComponent* AOwner) : TComponent(AOwner) {}

// [SECTION] construction

bool TSLine::LineFrom2Points(double P1X, double P1Y, double P2X, double P2Y) {
  if (P1X == P2X && P1Y == P2Y) return false;
  FParA = P1Y - P2Y;
  FParB = P2X - P1X;
  FParC = P1X * P2Y - P2X * P1Y;
  return true;
}

void TSLine::LineThroughPoint(double px, double py, double angle) {
  FParA = -std::sin(angle);
  FParB = std::cos(angle);
  FParC = -FParA * px - FParB * py;
}

void TSLine::LineFromSlopeIcpt(double k, double d) {
  FParA = k;
  FParB = -1;
  FParC = d;
}

void TSLine::NormalLine(double px, double py, const TSLine& OtherLine) {
  const double a = -OtherLine.FParB, b = OtherLine.FParA;
  FParA = a;
  FParB = b;
  FParC = -a * px - b * py;
}

void TSLine::ParallelLine(double px, double py, const TSLine& OtherLine) {
  const double a = OtherLine.FParA, b = OtherLine.FParB;
  FParA = a;
  FParB = b;
  FParC = -a * px - b * py;
}

// [SECTION] queries

bool TSLine::InterSection(const TSLine& OtherLine, double& x, double& y) const {
  const double a2 = OtherLine.FParA, b2 = OtherLine.FParB, c2 = OtherLine.FParC;
  const double d = FParA * b2 - a2 * FParB;
  if (d == 0) return false;
  x = (FParB * c2 - b2 * FParC) / d;
  y = (FParC * a2 - c2 * FParA) / d;
  return true;
}

double TSLine::AngleBetweenLines(const TSLine& OtherLine) const {
  const double s = FParA * OtherLine.FParA + FParB * OtherLine.FParB;
  if (s == 0) return kPi / 2;
  return std::fabs(std::atan((FParA * OtherLine.FParB - OtherLine.FParA * FParB) / s));
}

double TSLine::Distance(double px, double py) const {
  return std::fabs(FParA * px + FParB * py + FParC) / std::sqrt(FParA * FParA + FParB * FParB);
}

double TSLine::Divide(double numerator, double divisor, const char16_t* refusal) const {
  if (divisor == 0) {
    if (!FSubstInf) throw EQeltaSLineError(refusal);
    divisor = 1e-100;
  }
  return numerator / divisor;
}

double TSLine::CalcX(double y) const { return Divide(-y * FParB - FParC, FParA, u"cannot calculate x"); }

double TSLine::CalcY(double x) const { return Divide(-x * FParA - FParC, FParB, u"cannot calculate y"); }

void TSLine::CalcKDForm(double& k, double& d) const {
  if (FParB == 0) throw EQeltaSLineError(u"cannot convert to k-d-form if ParB is zero");
  k = -FParA / FParB;
  d = -FParC / FParB;
}

double TSLine::GetSlope() const {
  if (FParB == 0) throw EQeltaSLineError(u"slope is infinite");
  return -FParA / FParB;
}

double TSLine::GetIntercept() const {
  if (FParB == 0) throw EQeltaSLineError(u"cannot calculate intercept (line is parallel to y axis)");
  return -FParC / FParB;
}

double TSLine::GetDirect() const {
  double angle = FParB != 0 ? std::atan(-FParA / FParB) : (FParA > 0 ? kPi / 2 : -kPi / 2);
  if (FParB <= 0) angle += kPi;
  else if (FParA > 0) angle += 2 * kPi;
  return angle;
}

// [SECTION] clipping

bool TSLine::ClipBox(double bllx, double blly, double burx, double bury, double& x1, double& y1, double& x2,
                     double& y2) {
  if (bllx > burx) std::swap(bllx, burx);
  if (blly > bury) std::swap(blly, bury);
  struct TRestore {
    bool& flag;
    bool saved;
    ~TRestore() { flag = saved; }
  } restore{FSubstInf, FSubstInf};
  FSubstInf = true;

  std::vector<TPoint2> found;
  const auto accept = [&found](TPoint2 p) {
    if (std::find(found.begin(), found.end(), p) == found.end()) found.push_back(p);
  };
  for (double x : {bllx, burx}) {
    const double y = CalcY(x);
    if (y >= blly && y <= bury) accept({x, y});
  }
  for (double y : {blly, bury}) {
    const double x = CalcX(y);
    if (x >= bllx && x <= burx) accept({x, y});
  }
  if (found.empty()) return false;
  std::size_t first = 0, second = 0;
  double best = -1;
  for (std::size_t i = 0; i < found.size(); ++i)
    for (std::size_t j = i + 1; j < found.size(); ++j)
      if (Dist2(found[i], found[j]) > best) {
        best = Dist2(found[i], found[j]);
        first = i;
        second = j;
      }
  x1 = found[first].x;
  y1 = found[first].y;
  x2 = found[second].x;
  y2 = found[second].y;
  return true;
}

// [SECTION] properties

void TSLine::SetParA(double x) {
  if (x == 0 && FParB == 0) throw EQeltaSLineError(u"parameter A and B must not both be zero");
  FParA = x;
}

void TSLine::SetParB(double x) {
  if (x == 0 && FParA == 0) throw EQeltaSLineError(u"parameter A and B must not both be zero");
  FParB = x;
}

}  // namespace qelta
