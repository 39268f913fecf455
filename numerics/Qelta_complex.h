#pragma once
// Qelta_complex: complex numbers in 80-bit precision as plain records and free functions.
//
// What: TComplex (re, im) and TComplexPolar (r, phi), the arithmetic, conjugate, negation,
// exact and tolerant comparison, and conversion between the rectangular and polar forms.
// How: every operation takes its operands by constant reference and returns a new record; all
// arithmetic is done in Extended. CpxAbs is the plain sqrt(re^2 + im^2) (overflows above about
// 1e2466; use the polar form of a scaled value beyond that).
// Limits: CpxDiv by (0, 0) raises the platform's EMathError; the other operations give Inf or NaN
// where the arithmetic does. The "near" comparisons use the process-wide tolerance CpxNearZero.
// Layout: each field sits in a 16-byte slot (re at 0, im at 16; 32 bytes per record), as records
// exchanged in memory with other code of the system expect.

#include <cstddef>

#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit; none of the routines below raises it.
QELTA_DECLARE_EXCEPTION(EQeltaComplexError, EQeltaError)

/// Complex number in rectangular form.
struct TComplex {
  Extended re = 0;
  Extended im = 0;
};

/// Complex number in polar form: modulus r and argument phi in radians.
struct TComplexPolar {
  Extended r = 0;
  Extended phi = 0;
};

static_assert(sizeof(TComplex) == 32 && offsetof(TComplex, im) == 16, "TComplex: 16-byte slots");
static_assert(sizeof(TComplexPolar) == 32 && offsetof(TComplexPolar, phi) == 16, "TComplexPolar: 16-byte slots");

/// (0, 0).
extern const TComplex COMPLEX_0;
/// (1, 0).
extern const TComplex COMPLEX_1;
/// Tolerance of CpxIsNearEqual and CpxIsZero; 1e-15 at start-up, hosts may change it.
extern Extended CpxNearZero;

/// The complex number re + i im.
TComplex Cpx(Extended re, Extended im);
/// Modulus sqrt(re^2 + im^2), computed directly.
Extended CpxAbs(const TComplex& c);
/// re^2 + im^2.
Extended CpxAbsSqr(const TComplex& c);
/// a + b.
TComplex CpxAdd(const TComplex& a, const TComplex& b);
/// a - b.
TComplex CpxSub(const TComplex& a, const TComplex& b);
/// a * b.
TComplex CpxMult(const TComplex& a, const TComplex& b);
/// a / b; b = (0, 0) raises EMathError "CpxDiv: division by zero".
TComplex CpxDiv(const TComplex& a, const TComplex& b);
/// (re, -im).
TComplex CpxConj(const TComplex& c);
/// (-re, -im).
TComplex CpxNeg(const TComplex& c);
/// True when both parts are exactly equal.
bool CpxIsEqual(const TComplex& a, const TComplex& b);
/// True when both parts differ by less than CpxNearZero (strictly).
bool CpxIsNearEqual(const TComplex& a, const TComplex& b);
/// True when both parts are 0 or of magnitude below CpxNearZero.
bool CpxIsZero(const TComplex& c);
/// Polar form: r = CpxAbs(c), phi = atan2(im, re) in -pi..pi.
TComplexPolar ConvertRectToPolar(const TComplex& c);
/// Rectangular form (r cos phi, r sin phi).
TComplex ConvertPolarToRect(const TComplexPolar& p);

// --- start-up (not part of the public interface) -------------------------------------------------

namespace num_detail {
/// Sets CpxNearZero to 1e-15; called once by qeltanum's start-up, later calls do nothing.
void InitComplex();
}  // namespace num_detail

}  // namespace qelta

QELTA_PUBLIC_END
