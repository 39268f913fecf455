// Qelta_complex: complex arithmetic in 80-bit precision.
//
// CpxDiv divides by d = |b|^2. Only where d underflows to 0 or overflows (parts below about
// 1e-2466 or above 1e2466) does it switch to Smith's scaled division (Smith, CACM 5, 1962), which
// gives the finite quotient the plain formula turned into NaN. Division by (0, 0) is checked and
// raised as the platform's EMathError: floating-point traps are off here, and the quotient would
// otherwise be a silent NaN or Inf where the classic system stopped with its floating-point error.

#include "Qelta_complex.h"

#include <cmath>

namespace qelta {
namespace {

TComplex SmithDiv(const TComplex& a, const TComplex& b) {
  if (std::fabs(b.re) >= std::fabs(b.im)) {
    const Extended r = b.im / b.re;
    const Extended den = b.re + b.im * r;
    return {(a.re + a.im * r) / den, (a.im - a.re * r) / den};
  }
  const Extended r = b.re / b.im;
  const Extended den = b.im + b.re * r;
  return {(a.re * r + a.im) / den, (a.im * r - a.re) / den};
}

}  // namespace

const TComplex COMPLEX_0{0, 0};
const TComplex COMPLEX_1{1, 0};
Extended CpxNearZero = 1e-15L;

TComplex Cpx(Extended re, Extended im) { return {re, im}; }

Extended CpxAbs(const TComplex& c) { return std::sqrt(c.re * c.re + c.im * c.im); }
Extended CpxAbsSqr(const TComplex& c) { return c.re * c.re + c.im * c.im; }

TComplex CpxAdd(const TComplex& a, const TComplex& b) { return {a.re + b.re, a.im + b.im}; }
TComplex CpxSub(const TComplex& a, const TComplex& b) { return {a.re - b.re, a.im - b.im}; }

TComplex CpxMult(const TComplex& a, const TComplex& b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

TComplex CpxDiv(const TComplex& a, const TComplex& b) {
  if (b.re == 0 && b.im == 0) throw EMathError("CpxDiv: division by zero");
  const Extended d = b.re * b.re + b.im * b.im;
  if (d == 0 || !std::isfinite(d)) return SmithDiv(a, b);
  return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}

TComplex CpxConj(const TComplex& c) { return {c.re, -c.im}; }
TComplex CpxNeg(const TComplex& c) { return {-c.re, -c.im}; }

bool CpxIsEqual(const TComplex& a, const TComplex& b) { return a.re == b.re && a.im == b.im; }

bool CpxIsNearEqual(const TComplex& a, const TComplex& b) {
  return std::fabs(a.re - b.re) < CpxNearZero && std::fabs(a.im - b.im) < CpxNearZero;
}

bool CpxIsZero(const TComplex& c) {
  return (c.re == 0 || std::fabs(c.re) < CpxNearZero) && (c.im == 0 || std::fabs(c.im) < CpxNearZero);
}

TComplexPolar ConvertRectToPolar(const TComplex& c) { return {CpxAbs(c), std::atan2(c.im, c.re)}; }

TComplex ConvertPolarToRect(const TComplexPolar& p) { return {p.r * std::cos(p.phi), p.r * std::sin(p.phi)}; }

namespace num_detail {

void InitComplex() {
  static bool done = false;
  if (done) return;
  done = true;
  CpxNearZero = 1e-15L;
}

}  // namespace num_detail
}  // namespace qelta
