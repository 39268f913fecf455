#pragma once
// Qelta_statis: statistical distributions and the special functions under them.
//
// What: the standard normal distribution, the error function, ln gamma, the regularized incomplete
// gamma and beta functions, binomial coefficients, the t, chi-squared and F distributions (density,
// distribution function, quantile), the exact Mann-Whitney U distribution, the Weibull and
// hypergeometric densities, Fisher's z transform, a confidence interval of the mean and Fisher's
// discriminant ratio.
// How: ln gamma by Lanczos' six-term series; P(a, x) by its power series below x = a + 1 and by
// the continued fraction of the upper function above; I_x(a, b) by its continued fraction (modified
// Lentz) on the side of the mean where it converges. Densities go through ln gamma, distribution
// functions through the two incomplete functions, quantiles by bracketing and bisection. Sums and
// recurrences run in extended precision.
// Limits: the tolerances are those of the methods: ln gamma about 2e-10 absolute, the series and
// continued fractions stop at a relative change of 1e-8 (the beta fraction after at most 100 steps,
// enough for a and b up to about 10^4), quantiles stop within 1e-8 of p (relative) or when their
// bracket no longer shrinks. The U distribution is exact (counting recursion) for n1 n2 up to
// UDistriExactLimit and the normal approximation with continuity correction above.
// Failure channel: invalid arguments answer 0 (or the value each routine states); EQeltaStatisError
// for the refused calls of BinomCoeff, HyperGeoDistriDensity and FisherTransform.
//
// Index
//   [SECTION] error class
//   [SECTION] special functions                                 Qelta_statis_special.cpp
//   [SECTION] normal distribution                               Qelta_statis_distri.cpp
//   [SECTION] t, chi-squared and F distributions                Qelta_statis_distri.cpp
//   [SECTION] Mann-Whitney U distribution                       Qelta_statis_udistri.cpp
//   [SECTION] further densities, transforms and intervals       Qelta_statis_distri.cpp

#include "Qelta_qeltabase.h"

namespace qelta {

// [SECTION] error class

/// Error class of this unit, raised with one ready-made message.
QELTA_DECLARE_EXCEPTION(EQeltaStatisError, EQeltaError)

// [SECTION] special functions

/// ln gamma(x) by Lanczos' series (about 2e-10 absolute); 0 for x <= 0 (and NaN), +Inf for +Inf.
double LnGamma(double x);
/// ln B(a, b) = LnGamma(a) + LnGamma(b) - LnGamma(a + b); 0 when a or b is negative.
double LnBeta(double a, double b);
/// Regularized lower incomplete gamma function P(a, x) (note the order: x first); 0 when x or a is
/// 0 or less (or NaN), 1 for x = +Inf.
double IncompleteGamma(double x, double a);
/// Regularized incomplete beta function I_x(a, b): 0 for x < 0, 1 for x > 1; 0 when a or b is 0
/// or less (or an argument is NaN).
double IncompleteBeta(double x, double a, double b);
/// Error function P(1/2, x^2), odd in x.
double Erf(double x);
/// Error function by the Chebyshev fit of erfc (absolute error below 1.2e-7).
double ErfApprox(double x);
/// Binomial coefficient C(n, k), exact; 0 when n or k is negative or k > n. EQeltaStatisError
/// "BinomCoeff: result too large" when it exceeds the Integer range.
int BinomCoeff(int n, int k);
/// ln C(n, k) through ln gamma; -1 when n or k is negative or k > n.
double LnBinomCoeff(double n, double k);

// [SECTION] normal distribution

/// Standard normal density.
double nDistriDensity(double x);
/// Standard normal distribution function (the lower tail comes from the upper incomplete gamma
/// function directly, so it keeps its relative accuracy far out).
double nDistriIntegral(double x);
/// x with nDistriIntegral(x) = p within 1e-8 of p (relative); 0 for p outside (0, 1) or NaN.
double nDistriQuantile(double p);

// [SECTION] t, chi-squared and F distributions
// Degrees of freedom below 1 are invalid and answer 0; so do NaN arguments. The distribution
// functions are lower tails P(X <= x); the quantiles answer 0 for p outside (0, 1).

/// Density of Student's t with df degrees of freedom.
double tDistriDensity(double t, int df);
/// P(T <= t) for Student's t with df degrees of freedom.
double tDistriIntegral(double t, int df);
/// t with tDistriIntegral(t, df) = p.
double tDistriQuantile(double p, int df);
/// Density of chi-squared with df degrees of freedom (0 for x < 0).
double Chi2DistriDensity(double x, int df);
/// P(X <= x) for chi-squared with df degrees of freedom (0 for x <= 0).
double chi2DistriIntegral(double x, int df);
/// x >= 0 with chi2DistriIntegral(x, df) = p.
double chi2DistriQuantile(double p, int df);
/// Density of F with df1 and df2 degrees of freedom (0 for x < 0).
double FDistriDensity(double x, int df1, int df2);
/// P(X <= x) for F with df1 and df2 degrees of freedom (0 for x <= 0).
double FDistriIntegral(double x, int df1, int df2);
/// x >= 0 with FDistriIntegral(x, df1, df2) = p.
double FDistriQuantile(double p, int df1, int df2);

// [SECTION] Mann-Whitney U distribution
// U counts the pairs (a of sample 1, b of sample 2) with a > b, no ties; 0 <= U <= n1 n2. Sizes
// below 1 are invalid.

/// Largest n1 n2 for which the distribution is counted exactly (by the recursion
/// f(n1, n2, u) = f(n1 - 1, n2, u - n2) + f(n1, n2 - 1, u)); above it the normal approximation
/// (mean n1 n2 / 2, variance n1 n2 (n1 + n2 + 1) / 12) with continuity correction stands in.
inline constexpr int UDistriExactLimit = 2500;
/// P(U = u); 0 for invalid sizes or u outside 0..n1 n2.
double UDistriDensity(int n1, int n2, int u);
/// P(U <= u); 0 for invalid sizes or u < 0, 1 for u >= n1 n2.
double UDistriIntegral(int n1, int n2, int u);
/// The largest u with P(U <= u) <= p (n1 n2 for p >= 1); -1 when there is none or an argument is
/// invalid (NaN p included).
double UDistriQuantile(int n1, int n2, double p);

// [SECTION] further densities, transforms and intervals

/// Weibull density (shape / scale) (x / scale)^(shape - 1) exp(-(x / scale)^shape); 0 when x,
/// scale or shape is 0 or less.
double WeibullDensity(double x, double shape, double scale);
/// Hypergeometric probability of k successes in a sample of nsample from a population of npop
/// holding Round(p npop) successes, through ln gamma. EQeltaStatisError, checked in this order:
/// "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0", "...: npop must be greater
/// than 0", "...: nsample must not be greater than npop", "...: nsample must not be less than 1".
double HyperGeoDistriDensity(double p, int npop, int nsample, int k);
/// Fisher's z = artanh r for -1 < r < 1; EQeltaStatisError "FisherTransform: argument out of
/// range" otherwise.
double FisherTransform(double r);
/// r = tanh z (finite for every z).
double FisherTransformInv(double z);
/// Half width of the (1 - alpha) confidence interval of a mean: nDistriQuantile(1 - alpha / 2)
/// StdDev / sqrt(n); 0 for n < 1.
double ConfidenceInterval(double alpha, double StdDev, int n);
/// Fisher's discriminant ratio (mean2 - mean1)^2 / (sd1^2 + sd2^2), the divisor at least 1e-6.
double CalcFishQ(double mean1, double mean2, double stddev1, double stddev2);

}  // namespace qelta
