#pragma once
// Qelta_sline: TSLine, a straight line of the plane in the implicit form A x + B y + C = 0.
//
// What: construction through two points, through a point at an angle, from slope and intercept, as
// the normal or the parallel of another line through a point; intersection, angle between lines,
// distance of a point, x for y and y for x, slope, intercept, direction, and clipping against an
// axis-parallel box (the maps clip their grid lines with it).
// How: plain double arithmetic on the three coefficients. A and B are never both zero through the
// setters (a new line is y = 0). Where A or B is zero, CalcX and CalcY divide by 1e-100 instead when
// SubstituteInf is set (far-away values instead of errors), as ClipBox does for its duration.
// Limits: the coefficients are not normalised; Distance divides by sqrt(A^2 + B^2).
// Failure channel: EQeltaSLineError (derived from the platform's Exception, not from EQeltaError)
// with one ready-made message; InterSection and LineFrom2Points answer degenerate cases with false.

#include "Classes.h"
#include "Exceptions.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of the straight line; it descends directly from Exception.
QELTA_DECLARE_EXCEPTION(EQeltaSLineError, Exception)

/// A straight line A x + B y + C = 0.
class TSLine : public TComponent {
 public:
  /// The line y = 0 (A = 0, B = 1, C = 0), SubstituteInf off.
  explicit TSLine(TComponent* AOwner);

  // --- construction ---
  /// The line through (P1X, P1Y) and (P2X, P2Y): A = P1Y - P2Y, B = P2X - P1X, C = P1X P2Y - P2X P1Y.
  /// False and no change when the points are equal.
  bool LineFrom2Points(double P1X, double P1Y, double P2X, double P2Y);
  /// The line through (px, py) at `angle` (radians, counter-clockwise from the x axis).
  void LineThroughPoint(double px, double py, double angle);
  /// The line y = k x + d (A = k, B = -1, C = d).
  void LineFromSlopeIcpt(double k, double d);
  /// The normal of OtherLine through (px, py).
  void NormalLine(double px, double py, const TSLine& OtherLine);
  /// The parallel of OtherLine through (px, py).
  void ParallelLine(double px, double py, const TSLine& OtherLine);

  // --- queries ---
  /// The crossing point with OtherLine; false (x, y untouched) for parallel lines.
  bool InterSection(const TSLine& OtherLine, double& x, double& y) const;
  /// The acute angle between the lines in radians, 0..pi/2.
  double AngleBetweenLines(const TSLine& OtherLine) const;
  /// Distance of the point (px, py) from the line.
  double Distance(double px, double py) const;
  /// x on the line at y: (-y B - C) / A. A = 0 raises "cannot calculate x" unless SubstituteInf
  /// is set (then 1e-100 stands for A).
  double CalcX(double y) const;
  /// y on the line at x: (-x A - C) / B, with the same rule for B = 0 ("cannot calculate y").
  double CalcY(double x) const;
  /// k = -A / B, d = -C / B; B = 0 raises "cannot convert to k-d-form if ParB is zero".
  void CalcKDForm(double& k, double& d) const;
  /// The end points of the part of the line inside the box from (bllx, blly) to (burx, bury)
  /// (corners in either order), bounds included. The four crossings with the box edges are tested
  /// in the order left, right, bottom, top (with SubstituteInf set for the call); crossings equal to
  /// an earlier one (the line through a corner) are dropped, and of three or more the two farthest
  /// apart are kept, in the order found (a line on an edge meets it in a third place). One crossing
  /// gives (x2, y2) = (x1, y1). False, outputs untouched, when the line misses the box.
  bool ClipBox(double bllx, double blly, double burx, double bury, double& x1, double& y1, double& x2, double& y2);

  // --- properties ---
  double ParA() const { return FParA; }
  /// Stores x unless A and B would both be zero: then EQeltaSLineError "parameter A and B must not
  /// both be zero" and the old value stays.
  void SetParA(double x);
  double ParB() const { return FParB; }
  /// As SetParA.
  void SetParB(double x);
  double ParC() const { return FParC; }
  void SetParC(double x) { FParC = x; }
  bool SubstituteInf() const { return FSubstInf; }
  void SetSubstituteInf(bool value) { FSubstInf = value; }
  /// Direction angle of the vector (B, -A) in radians, in [0, 2 pi).
  double Direction() const { return GetDirect(); }
  /// -A / B; B = 0 raises "slope is infinite".
  double Slope() const { return GetSlope(); }
  /// -C / B; B = 0 raises "cannot calculate intercept (line is parallel to y axis)".
  double Intercept() const { return GetIntercept(); }

  double GetDirect() const;
  double GetSlope() const;
  double GetIntercept() const;

 private:
  /// numerator / divisor, 1e-100 standing for a zero divisor with SubstituteInf; else `refusal`.
  double Divide(double numerator, double divisor, const char16_t* refusal) const;

  double FParA = 0;
  double FParB = 1;
  double FParC = 0;
  bool FSubstInf = false;
};

}  // namespace qelta

QELTA_PUBLIC_END
