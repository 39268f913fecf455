#pragma once
// Qelta_math1: the numerics' free routines: axis ticks, 1-2-5 rounding, scalar functions, bit
// helpers, number text and scanners, random numbers and the sorting of raw arrays.
//
// What: CalcScalePars is the one tick rule of every linear axis (first tick, a 1-2-5 x 10^k tick
// distance, short-tick count); Round125 and its directed variants put a value on the 1-2-5 series;
// the rest are stateless helpers that other units call (AngleToXAxis, Polynomial, Hex, BRandom, ...).
// How: decade positions come from a base-10 logarithm that is exact at powers of ten, and values
// are scaled by exactly computed powers of ten, so every 1-2-5 x 10^k value maps to itself and
// 1000 has three integer digits. LongRand combines three linear congruential generators (period
// 3.5e17, the lcm of the multipliers' orders); GRandom is the polar method on the platform's
// Random. SortArray is a comb sort that reports one ProcStat step per pass.
// Limits: the tick rule works on the 80-bit range but ranges narrower than a few ulps of their ends
// give ticks that the caller cannot tell apart; SortArray is not stable; LongRand and GRandom are
// for test data and simulations of modest size, not for cryptography.
// Failure channel: EQeltaMath1Error for refused arguments, EMathError for the logarithms and the
// tangents, EQeltaError for bad hexadecimal images, error codes for the date/time and degree
// scanners; everything else answers a value (Inf or NaN where the mathematics has none).

#include <cstdint>
#include <span>
#include <utility>

#include "Graphics.h"
#include "Math.h"
#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit, raised with one ready-made message.
QELTA_DECLARE_EXCEPTION(EQeltaMath1Error, EQeltaError)

// --- axis ticks and 1-2-5 rounding ---------------------------------------------------------------

/// Tick rule of a linear axis from Low (start) to High (end), either order. Distance is
/// +-1, 2 or 5 x 10^k, the largest such step below (High - Low) / NTicks (or the raw step itself
/// when it is a power of ten), signed by the direction; NrSubTicks is 5, 4 or 5 for 1, 2, 5.
/// FirstTick is the first multiple of Distance not before Low by more than 0.1 % of Distance.
/// NTicks <= 0 gives Distance +-1 and NrSubTicks 1 for a range above 10, else 5. Equal or
/// non-finite ends give Distance 0, NrSubTicks 1 and FirstTick the finite end (0 when none is).
/// Raises nothing; always terminates.
void CalcScalePars(int NTicks, Extended Low, Extended High, Extended& FirstTick, Extended& Distance,
                   uint16_t& NrSubTicks);
/// |x| rounded onto 1, 2, 5, 10 x 10^k at the mantissa thresholds 1.5, 3 and 8, sign kept; 0 -> 0.
double Round125(double x);
/// Smallest value of the signed 1-2-5 series not below x; 0 -> 0.
double RoundPos125(double x);
/// Largest value of the signed 1-2-5 series not above x; 0 -> 0.
double RoundNeg125(double x);
/// Smallest integer not below x (ceiling), clamped to the 32-bit range; NaN -> 0.
int IntPos(double x);
/// Largest integer not above x (floor), clamped to the 32-bit range; NaN -> 0.
int IntNeg(double x);
/// Rounds the angle degrees/minutes/seconds up or down to a step of 1, 2, 3, 5, 10, 15, 20, 30,
/// 60, 90, 180 or 360 of its leading unit; any negative part sets all three to 0.
void RoundDegrees(int& Degrees, int& Minutes, int& Seconds, bool RoundUp);

// --- arithmetic and elementary functions ---------------------------------------------------------
// Min and Max of two doubles are the platform's (Math.h).

/// +1 for x >= 0 (zero included), else -1 (also for NaN).
int Signum(double x);
/// True when x lies between b1 and b2 (inclusive, either order).
bool WithinBounds(double x, double b1, double b2);
/// Length of the segment (x1, y1)-(x2, y2).
double EuclideanDistance(double x1, double y1, double x2, double y2);
/// Sum of c[i] x^i for i = 0..Order; Order < 0 or beyond the last coefficient raises
/// EQeltaMath1Error "Polynomial: invalid order of polynomial".
double Polynomial(std::span<const double> Coeff, int Order, double x);
/// Bilinear interpolation in a cell with corners z1 (s=0,t=0), z2 (0,1), z3 (1,0), z4 (1,1).
double InterpolZofXYRect(double z1, double z2, double z3, double z4, double s, double t);
/// n! (1 for n < 2); raises EQeltaMath1Error for n < 0 ("Factorial: negative argument") and
/// n > 1000 ("Factorial: argument too big").
Extended Factorial(int n);
/// True when |n| is a prime number (2, 3, 5, ...); false for 0, 1 and -1.
bool IsPrime(int n);
/// Divides numerator and denominator by their greatest common divisor; signs stay where they are;
/// an operand 0 leaves both unchanged.
void CancelFraction(int& Numerator, int& Denominator);
/// Decimal logarithm, exact at powers of ten; x <= 0 raises EMathError "logarithm: invalid argument".
double lg(double x);
/// Binary logarithm; x <= 0 raises EMathError "logarithm: invalid argument".
double ld(double x);
/// Hyperbolic sine.
double sinh(double x);
/// Hyperbolic cosine.
double cosh(double x);
/// Hyperbolic tangent.
double tgh(double x);
/// Tangent; cos x = 0 raises EMathError "tangens overflow".
double tg(double x);
/// Cotangent; sin x = 0 raises EMathError "cotangens overflow".
double cot(double x);
/// x in degrees folded into -180..180 (whole turns removed beyond +-360).
double CanonicalAngleDegrees(double x);
/// x in radians folded into -pi..pi (whole turns removed beyond +-2 pi).
double CanonicalAngleRadians(double x);
/// Angle of the vector (dx, dy) to the x axis in radians, 0..2 pi; 3 pi/2 for the zero vector.
double AngleToXAxis(double dx, double dy);
/// Pixel distance from P to the rectangle R (edges in either order): 0 on or inside it, the
/// distance to the nearer edge within its bands, else to the nearest corner (rounded).
int DistFromRect(const TPoint& P, const TRect& R);
/// The platform's integer conversion of s; Default for an empty text or any conversion failure.
int StrToIntDefault(const String& s, int Default);

// --- bits and bytes ------------------------------------------------------------------------------

/// n and (n - 1) = 0, so 0 counts as a power of two.
bool CheckPowerOfTwo(uint32_t n);
/// b with its eight bits in reverse order.
uint8_t BitReversal(uint8_t b);
/// 1 shl i for 0 <= i <= 7, else 0.
uint8_t DecodeBit(int i);
/// 1 shl i for 0 <= i <= 31, else 0.
uint32_t DecodeLong(int i);
/// Number of trailing zero bits of v, at most 31 (0 gives 31).
int EncodeLong(uint32_t v);
/// Number of set bits of b.
int CountBits(uint8_t b);
/// w xor (w shr 1).
uint16_t GrayCode(uint16_t w);
/// The value with its bytes in reverse order.
double ConvertEndian(double x);
float ConvertEndian(float x);
uint16_t ConvertEndian(uint16_t x);
int32_t ConvertEndian(int32_t x);

/// Swaps two memory areas of Size bytes (areas must not overlap).
void ExChange(void* a, void* b, uint16_t Size);
// Swap two variables of the same type.
inline void ExChange(int32_t& a, int32_t& b) noexcept { std::swap(a, b); }
inline void ExChange(uint8_t& a, uint8_t& b) noexcept { std::swap(a, b); }
inline void ExChange(float& a, float& b) noexcept { std::swap(a, b); }
inline void ExChange(double& a, double& b) noexcept { std::swap(a, b); }
inline void ExChange(Extended& a, Extended& b) noexcept { std::swap(a, b); }
inline void ExChange(String& a, String& b) noexcept { a.swap(b); }
inline void ExChange(bool& a, bool& b) noexcept { std::swap(a, b); }
inline void ExChange(Char& a, Char& b) noexcept { std::swap(a, b); }
inline void ExChange(uint16_t& a, uint16_t& b) noexcept { std::swap(a, b); }
inline void ExChange(int8_t& a, int8_t& b) noexcept { std::swap(a, b); }
inline void ExChange(uint32_t& a, uint32_t& b) noexcept { std::swap(a, b); }
inline void ExChange(int64_t& a, int64_t& b) noexcept { std::swap(a, b); }

// --- number text ---------------------------------------------------------------------------------

/// The foundation's strff for a double: fixed point with Width and Decimals; Decimals -2 gives the
/// exponent form with a two-digit exponent (asterisks when it needs more).
String strf(double x, int Width, int Decimals);
/// Engineering notation with an SI prefix (a f p n u m k M G T): |Digits| (clamped to 1..9)
/// significant digits; a negative Digits below -1 puts the prefix in place of the point (4k7).
String EEngStr(double x, int Digits);
/// E format with a mantissa in [0.1, 1): sign or blank, "0.", Digits (2..15) digits, "E", sign and
/// at least two exponent digits; blanks in front up to Width (8..40) characters.
String MakeEFormat(double x, int Width, int Digits);
/// The lowest Digits (clamped to 1..2^20) decimal digits of |n| with leading zeros, "-" in front when
/// n < 0.
String Decimal(int n, int Digits);
/// The lowest Digits (clamped to 1..8) hexadecimal digits of n read as unsigned, upper case.
String Hex(int n, int Digits);
/// The lowest Digits (clamped to 1..11) octal digits of n read as unsigned.
String Octal(int n, int Digits);
/// The lowest Digits (clamped to 1..32) binary digits of n read as unsigned.
String Bin(int n, int Digits);
/// Roman numeral of 1..29999 (4000 is MMMM); empty text outside that range.
String Roman(int n);
/// The 16 (double), 20 (Extended, the 10-byte image) or 8 (float) upper-case hexadecimal digits
/// of the value's bytes, most significant byte first.
String FPNumToHex(double x);
String FPNumToHex(Extended x);
String FPNumToHex(float x);
/// Inverse of FPNumToHex: exactly 16 / 20 / 8 hexadecimal digits of either case, else raises
/// EQeltaError "HexTo...: invalid hex string" followed by a blank and the text in double quotes.
double HexToDouble(const String& s);
Extended HexToExtended(const String& s);
float HexToSingle(const String& s);
/// Angle text: "12.50°", "-12° 30.0'", "-12°  5' 30.0\"" or the plain number; Decimals (0..8)
/// apply to the last part, whose field is Decimals + 3 wide. Angles between -1 and 0 keep their
/// sign ("-0° 30.0'" for -0.5 with one decimal).
String DegreeToStr(double Angle, TDegreeFormat Format, int Decimals);
/// Converts an angle between degrees, degrees+minutes and degrees+minutes+seconds; the sign of
/// the angle is the sign of Degrees (-0.0 for angles between -1 and 0). Minutes or seconds outside
/// 0..60 raise EQeltaMath1Error "ConvertDegrees: invalid range of minutes" / "... of seconds".
void ConvertDegrees(double& Degrees, double& Minutes, double& Seconds, TDegreeFormat Target,
                    TDegreeFormat Source);

// --- scanners and validators ---------------------------------------------------------------------
// A scanner starts at Pos (1-based) and leaves Pos on the first character it did not take.
// ScanDecimal, ScanHex and ScanFPNum are the system's one implementation in Qelta_qeltabase,
// which this header includes: the numerics offer them under the same names.
/// Octal digits after blanks, modulo 2^32, no sign; 0 with Pos after the blanks when none.
int ScanOctal(const String& s, int& Pos);
/// Binary digits after blanks, modulo 2^32, no sign; 0 with Pos after the blanks when none.
int ScanBin(const String& s, int& Pos);
/// Reads an angle as DegreeToStr writes it: [sign] degrees ["°" [minutes ["'"] [seconds ['"']]]],
/// with '.' (or also ',' when CommaAllowed) as decimal separator. ErrorCode 0 on success, -1 when
/// no number stands at Pos (Pos unchanged), -2 when minutes or seconds lie above 60 (Pos after
/// the text read); the result is 0 on error.
double ScanDegrees(const String& s, int& Pos, bool CommaAllowed, int& ErrorCode);
/// Reads a date and time from Text by the tokens of Format (yyyy yy MMMM MMM MM M dddd ddd dd d
/// HH H hh h mm m ss s t tt, quoted or plain literals) with month and weekday names of Language.
/// ErrorCode 0 on success, -1 literal mismatch, -2 unknown token, -3 unreadable number or name
/// (result 0 on error). Impossible dates or times raise the platform's EConvertError.
TDateTime ScanDateTime(const String& Text, const String& Format, TLanguage Language, int& ErrorCode);
/// True when s starts with a well-formed floating-point number (separator as DecPSep says).
bool IsValidDouble(const String& s, bool ExpAllowed, TDecPSep DecPSep);
/// True for a number being typed: [sign] digits [separator digits], no exponent, no blanks.
bool IsValidFPNum(const String& s, TDecPSep DecPSep);
/// True when s is not empty and all characters are hexadecimal digits.
bool IsValidHex(const String& s);
/// True when s is not empty and all characters are octal digits.
bool IsValidOct(const String& s);
/// True when s is not empty and all characters are '0' or '1'.
bool IsValidBin(const String& s);
/// True when s is a digit, or a sign or digit followed by digits only.
bool IsValidDecInt(const String& s);

// --- random numbers ------------------------------------------------------------------------------

/// True with probability p: always when p >= 1 (no draw), else when Random < p (one draw).
bool BRandom(double p);
/// Cauchy variate with scale a and location b (one draw).
double CRandom(double a, double b);
/// Standard normal variate (polar method; two calls share one pair of draws).
double GRandom();
/// Combined generator in [0, 1); a Seed other than 0 reseeds it first, 0 continues the sequence.
double LongRand(int Seed);

// --- sorting of raw arrays -----------------------------------------------------------------------
// Typed forms work on Data[0..HighIx], HighIx clamped to the span; untyped forms on positions
// 1..Count of a block whose element type Kind gives (rnum/dnum double, snum float, inum/lnum
// int32; Bool and strg are left alone).

/// Comb sort of Data[0..HighIx]; one ProcStat step (and MathFeedBackProc call) per pass.
void SortArray(std::span<double> Data, int HighIx, bool Ascending);
void SortArray(std::span<float> Data, int HighIx, bool Ascending);
void SortArray(std::span<int32_t> Data, int HighIx, bool Ascending);
void SortArray(void* Data, int Count, TVarKind Kind, bool Ascending);
/// Inserts Value at its place in the sorted Data[0..HighIx] (the last element drops out);
/// returns the index, or -1 when it belongs after the end or is a refused duplicate.
int SortIntoArray(std::span<double> Data, int HighIx, double Value, bool Ascending, bool AllowDuplicates);
int SortIntoArray(std::span<float> Data, int HighIx, float Value, bool Ascending, bool AllowDuplicates);
int SortIntoArray(std::span<int32_t> Data, int HighIx, int32_t Value, bool Ascending, bool AllowDuplicates);
/// As above on positions 1..Count; Value points to an element of the type; returns the 1-based
/// position, or 0 when not inserted.
int SortIntoArray(void* Data, int Count, TVarKind Kind, const void* Value, bool Ascending, bool AllowDuplicates);
/// Writes Value at Ix after moving Data[Ix..HighIx-1] up by one; nothing when Ix is outside 0..HighIx.
void InsertIntoArray(std::span<double> Data, int HighIx, double Value, int Ix);
void InsertIntoArray(std::span<float> Data, int HighIx, float Value, int Ix);
void InsertIntoArray(std::span<int32_t> Data, int HighIx, int32_t Value, int Ix);
/// As above on positions 1..Count; nothing when Ix is outside 1..Count.
void InsertIntoArray(void* Data, int Count, TVarKind Kind, const void* Value, int Ix);

// --- start-up (not part of the public interface) -------------------------------------------------

namespace num_detail {
/// Seeds LongRand from the platform's Random, forgets the spare normal value, clears
/// MathFeedBackProc and AbortMathProc; called once by qeltanum's start-up, later calls do nothing.
void InitMath1();
}  // namespace num_detail

}  // namespace qelta

QELTA_PUBLIC_END
