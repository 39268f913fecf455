#!/usr/bin/env python3
"""Writes numerics/tests/StatLargeDfRefs.h, reference values for the tests of Qelta_statis at many degrees
of freedom and next to the median, computed with mpmath (Debian's python3-mpmath) at 40 significant digits
or more.

Chi2TailRefs: both tails of chi-squared, P(X <= x) and P(X > x), with 1000 to 10^7 degrees of freedom, at
points in the body and at points where the smaller tail is near 1e-2, 1e-6, 1e-20, 1e-100 and 1e-300 (found
from the leading term of the tail, so only roughly there). Each tail comes from the series
P(a, z) = z^a e^-z / Gamma(a + 1) sum_n z^n / ((a + 1) ... (a + n)) with a = df / 2, z = x / 2, summed until
the rest is below the working precision; the upper tail is 1 - P worked with enough digits beyond those
that cancel. mpmath's own gammainc gives up for a this large.

FTailRefs: both tails of F with both degrees of freedom large (a b / (a + b) from 5000 to 2.5 10^6, a and b
their halves), at the same kind of points on the scale of z = df1 x / (df1 x + df2), each on its own side of
the mean: in the tails by the beta series below, next to the mean (where the series would take minutes) by
the integral of the beta density with break points around the mode, in which two quadrature rules agree.

MedianQuantileRefs: quantiles next to p = 1/2 of t (1 to 10^6 degrees of freedom), chi-squared (1 to 10^7)
and F (up to 10^4 each), and single calls. Same layout as StatQuantileRefs.h: X the exact quantile of the
double P for the smaller tail (P below 1/2, else 1 - P exactly), Rate = density(X) / tail(X). The incomplete
beta function is I_x(a, b) = x^a (1 - x)^b / (a B(a, b)) 2F1(a + b, 1; a + 1; x), a series of positive terms;
the root of ln tail(x) = ln target in u = ln |x| is found by Newton's method from a rough start (halving
any step that does not bring g closer to 0) and checked to 1e-35 relative.

Not run by ctest (it takes some two minutes).
Usage: python3 gen_large_df_refs.py            rewrite the generated file
       python3 gen_large_df_refs.py --check    exit 1 when the committed file differs from the output
"""
import math
import statistics
import sys
from pathlib import Path

import mpmath as mp

sys.dont_write_bytecode = True  # no __pycache__ beside the shared helper
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from generated_source import emit  # noqa: E402

OUTPUT = Path(__file__).resolve().parent.parent / "tests" / "StatLargeDfRefs.h"
DPS = 40
mp.mp.dps = DPS
HALF = mp.mpf(1) / 2

CHI2_DF = [1000, 10**4, 10**5, 10**6, 10**7]
CHI2_BODY = [-1, -0.1, 0, 0.1, 1]  # x = df + k sqrt(2 df)
CHI2_TAILS = [1e-2, 1e-6, 1e-20, 1e-100, 1e-300]
CHI2_SINGLE = [(10**5, 100001.99), (10**5, 100002.0)]  # P jumped there: 0.502369885, then 0.500128812

F_PAIRS = [(20000, 20000), (10**5, 10**5), (10**6, 10**6), (10**7, 10**7), (20000, 10**6), (10**6, 20000),
           (10**5, 10**7), (10**7, 10**5)]
F_BODY = [-3, -1, -0.1, 0, 0.1, 1, 3]  # z = mean + k sd (x = 1 when df1 = df2: P(F <= 1) was 0.483 at 10^6)
F_TAILS = CHI2_TAILS[1:]  # the leading term alone does not find 1e-2
F_SINGLE = [(10**6, 10**6, 1.001)]

MEDIAN_P = [0.45, 0.499, 0.5 - 1e-7, 0.5, 0.5 + 1e-7, 0.501, 0.55]
MEDIAN_T = [1, 2, 5, 30, 500, 10**4, 10**6]
MEDIAN_CHI2 = [1, 10, 1000, 10**5, 10**7]
MEDIAN_F = [(1, 1), (5, 10), (30, 30), (1000, 1000), (10**4, 10**4)]
SINGLE = [("c", 10**5, 0, 0.51), ("c", 10**6, 0, 0.5), ("t", 500, 0, 0.499)]


def fail(message):
    sys.exit(f"gen_large_df_refs: {message}")


# [SECTION] tails


def gamma_lower(a, z, dps=DPS):
    """P(a, z) by its series at dps digits."""
    with mp.workdps(dps + 5):
        a, z = mp.mpf(a), mp.mpf(z)
        s = t = mp.mpf(1)
        n, eps = 0, mp.mpf(10) ** (-dps - 5)
        while True:
            n += 1
            t = t * z / (a + n)
            s += t
            if a + n > z and t * (a + n + 1) < eps * s * (a + n + 1 - z):  # the rest is below eps s
                return mp.exp(a * mp.log(z) - z - mp.loggamma(a + 1)) * s


def gamma_log_factor(a, z):
    """ln(z^a e^-z / Gamma(a + 1)), about ln of the smaller tail."""
    a, z = mp.mpf(a), mp.mpf(z)
    return a * mp.log(z) - z - mp.loggamma(a + 1)


def gamma_upper(a, z):
    """Q(a, z) = 1 - P(a, z), with as many more digits as cancel."""
    lost = max(0, int(-gamma_log_factor(a, z) / mp.log(10))) + 10
    with mp.workdps(DPS + lost):
        return +(1 - gamma_lower(a, z, DPS + lost))


def chi2_tails(df, x):
    """(P(X <= x), P(X > x)), each worked on the side of the median where it is the smaller one."""
    a, z = mp.mpf(df) / 2, mp.mpf(x) / 2
    if z < a:
        p = gamma_lower(a, z)
        return p, 1 - p
    q = gamma_upper(a, z)
    return 1 - q, q


def beta_inc(a, b, x):
    """I_x(a, b) as a series of positive terms, x^a (1 - x)^b / (a B(a, b)) sum (a + b)_n / (a + 1)_n x^n,
    summed until the rest (below term r / (1 - r), r the ratio of the terms, which falls towards x) is
    below the working precision; the factor with as many more digits as its logarithm has before the point."""
    with mp.workdps(DPS + 25):
        a, b, x = mp.mpf(a), mp.mpf(b), mp.mpf(x)
        factor = mp.exp(a * mp.log(x) + b * mp.log1p(-x) - mp.log(a) - mp.loggamma(a) - mp.loggamma(b) + mp.loggamma(a + b))
    with mp.workdps(DPS + 5):
        s = term = mp.mpf(1)
        n, eps = 0, mp.mpf(10) ** (-DPS - 5)
        while True:
            ratio = (a + b + n) * x / (a + 1 + n)
            term *= ratio
            s += term
            n += 1
            if ratio < 1 and term * ratio < eps * s * (1 - ratio):
                return factor * s


def t_lower(x, v, _b):
    if abs(x) < 1:  # I_z(v/2, 1/2) with z next to 1 loses digits: 1/2 - I_(1-z)(1/2, v/2) / 2
        return HALF - beta_inc(HALF, mp.mpf(v) / 2, x * x / (v + x * x)) / 2
    return beta_inc(mp.mpf(v) / 2, HALF, v / (v + x * x)) / 2


def t_density(x, v, _b):
    v = mp.mpf(v)
    return mp.exp(mp.loggamma((v + 1) / 2) - mp.loggamma(v / 2)) / mp.sqrt(v * mp.pi) * (1 + x * x / v) ** (-(v + 1) / 2)


def chi2_lower(x, k, _b):
    return chi2_tails(k, x)[0]


def chi2_upper(x, k, _b):
    return chi2_tails(k, x)[1]


def chi2_density(x, k, _b):
    h = mp.mpf(k) / 2
    return mp.exp((h - 1) * mp.log(x) - x / 2 - h * mp.log(2) - mp.loggamma(h))


def f_lower(x, d1, d2):
    return beta_inc(mp.mpf(d1) / 2, mp.mpf(d2) / 2, d1 * x / (d1 * x + d2))


def f_upper(x, d1, d2):
    return beta_inc(mp.mpf(d2) / 2, mp.mpf(d1) / 2, d2 / (d2 + d1 * x))


def f_density(x, d1, d2):
    a, b = mp.mpf(d1) / 2, mp.mpf(d2) / 2
    return mp.exp(a * mp.log(d1) + b * mp.log(d2) + (a - 1) * mp.log(x) - (a + b) * mp.log(d2 + d1 * x) -
                  mp.log(mp.beta(a, b)))


# family: (symmetric about 0, lower tail, upper tail, density)
FAMILIES = {
    "t": (True, t_lower, None, t_density),
    "c": (False, chi2_lower, chi2_upper, chi2_density),
    "F": (False, f_lower, f_upper, f_density),
}

# [SECTION] rough starts and the root


def start(family, a, b, p):
    """A rough quantile (of the lower half for t): Cornish-Fisher for t, Wilson-Hilferty for chi-squared
    and, through Paulson's form, for F."""
    z = statistics.NormalDist().inv_cdf(p)
    if family == "t":
        return z * (1 + (z * z + 1) / (4 * a))
    if family == "c":
        return a * (1 - 2 / (9 * a) + z * math.sqrt(2 / (9 * a))) ** 3
    u, w = 2 / (9 * a), 2 / (9 * b)  # Paulson: ((1 - w) F^(1/3) - (1 - u)) / sqrt(w F^(2/3) + u) = z
    lo, hi = 1e-6, 1e6
    for _ in range(200):
        mid = math.sqrt(lo * hi)
        c = mid ** (1 / 3)
        lo, hi = (mid, hi) if ((1 - w) * c - (1 - u)) / math.sqrt(w * c * c + u) < z else (lo, mid)
    return lo


def newton(h, u):
    """The root of g from u, h(u) = (g(u), g'(u))."""
    g, slope = h(u)
    for _ in range(100):
        step = g / slope
        while True:
            g_next, slope_next = h(u - step)
            if abs(g_next) <= abs(g):
                break
            step /= 2
        u, g, slope = u - step, g_next, slope_next
        if abs(step) < mp.mpf(10) ** -36:
            return u
    fail("Newton's method does not settle")


def quantile(family, a, b, p):
    """(x, Rate) of the case."""
    symmetric, lower, upper, density = FAMILIES[family]
    below = p < 0.5
    tail = mp.mpf(p) if below else 1 - mp.mpf(p)
    if symmetric and p == 0.5:
        return mp.mpf(0), density(mp.mpf(0), a, b) / tail
    if symmetric:
        side, point, guess = lower, (lambda u: -mp.exp(u)), -start(family, a, b, min(p, 1 - p))
    else:
        side, point, guess = (lower if below else upper), mp.exp, start(family, a, b, p)
    sign = 1 if side is lower and not symmetric else -1  # the lower tail in x > 0 rises with u = ln x

    def h(u):
        s = side(point(u), a, b)
        return mp.log(s) - mp.log(tail), sign * mp.exp(u) * density(point(u), a, b) / s

    x = point(newton(h, mp.log(guess)))
    if abs(side(x, a, b) / tail - 1) > mp.mpf(10) ** -35:
        fail(f"{family} {a} {b} {p!r}: the root misses its tail")
    if symmetric and not below:
        x = -x
    return x, density(x, a, b) / tail


# [SECTION] the chi-squared points


def tail_point(df, target, upper):
    """x where the leading term of the smaller tail, a (ln l - l + 1) with l = x / df, is ln target."""
    a, goal = df / 2, math.log(target)
    lo, hi = (1.0, 60.0) if upper else (1e-12, 1.0)
    for _ in range(200):
        mid = (lo + hi) / 2
        value = a * (math.log(mid) - mid + 1)  # falls away from 1 on either side
        lo, hi = (mid, hi) if (value > goal) == upper else (lo, mid)
    return round(df * (lo + hi) / 2, 6)


def chi2_points():
    """(df, x) of every chi-squared case."""
    for df in CHI2_DF:
        points = [df + k * math.sqrt(2 * df) for k in CHI2_BODY]
        points += [tail_point(df, t, upper) for t in CHI2_TAILS for upper in (False, True)]
        yield from ((df, x) for x in sorted(points))
    yield from CHI2_SINGLE


# [SECTION] the F points


def beta_log_density(a, b):
    """ln of the beta density of (a, b) at t, and its derivative."""
    ln_beta = mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b)
    return (lambda t: (a - 1) * mp.log(t) + (b - 1) * mp.log1p(-t) - ln_beta,
            lambda t: (a - 1) / t - (b - 1) / (1 - t))


def series_terms(a, b, z):
    """About how many terms beta_inc(a, b, z) takes: its ratio tends to (a + b) z / (a + 1) from above."""
    ratio = (a + b) * z / (a + 1)
    return math.inf if ratio >= 1 else (DPS + 5) * math.log(10) / -math.log(ratio)


def beta_quad(a, b, z, lower):
    """The beta density's integral over [0, z] (lower) or [z, 1], with break points every sd around the
    mode and every 1 / |d ln density / dz| next to z; Gauss-Legendre and tanh-sinh must agree."""
    log_density, slope = beta_log_density(a, b)
    mode, sd = (a - 1) / (a + b - 2), mp.sqrt(a * b / ((a + b) ** 2 * (a + b + 1)))
    rise = abs(slope(z))
    step = sd if rise * sd < 1 else 1 / rise  # next to the mode the density is flat on the scale sd
    points = {mode + k * sd for k in range(-40, 41)} | {z + j * step for j in range(-60, 61)}
    inside = sorted(t for t in points if (0 < t < z if lower else z < t < 1))
    edges = [mp.mpf(0)] + inside + [z] if lower else [z] + inside + [mp.mpf(1)]
    with mp.workdps(DPS + 10):
        values = [mp.quad(lambda t: mp.exp(log_density(t)), edges, method=m) for m in ("gauss-legendre", "tanh-sinh")]
    if abs(values[1] / values[0] - 1) > mp.mpf(10) ** -30:
        fail(f"the quadratures of I_{z}({a}, {b}) disagree: {values}")
    return values[0]


def f_tails(d1, d2, x):
    """(P(F <= x), P(F > x)), each on the side of the mean where it is the smaller one: the beta series
    where it takes at most 2 10^5 terms (the tails), else the quadrature (the body)."""
    a, b, x = mp.mpf(d1) / 2, mp.mpf(d2) / 2, mp.mpf(x)
    z, w = d1 * x / (d1 * x + d2), d2 / (d1 * x + d2)
    lower = z < a / (a + b)
    pa, pb, pz = (a, b, z) if lower else (b, a, w)
    tail = beta_inc(pa, pb, pz) if series_terms(pa, pb, pz) <= 2e5 else beta_quad(a, b, z, lower)
    return (tail, 1 - tail) if lower else (1 - tail, tail)


def f_tail_point(d1, d2, target, upper):
    """x where ln(z^a w^b / (a B(a, b))), about ln of the smaller tail, is ln target, rounded to 10 digits."""
    a, b = d1 / 2, d2 / 2
    ln_beta = math.lgamma(a) + math.lgamma(b) - math.lgamma(a + b)
    goal, mean = math.log(target), a / (a + b)
    lo, hi = (mean, 1.0) if upper else (0.0, mean)
    for _ in range(200):
        mid = (lo + hi) / 2
        value = a * math.log(mid) + b * math.log1p(-mid) - ln_beta - math.log(a)
        lo, hi = (mid, hi) if (value > goal) == upper else (lo, mid)
    z = (lo + hi) / 2
    return float(f"{z * d2 / ((1 - z) * d1):.10g}")


def f_points():
    """(df1, df2, x) of every F case."""
    for d1, d2 in F_PAIRS:
        a, b = d1 / 2, d2 / 2
        mean, sd = a / (a + b), math.sqrt(a * b / ((a + b) ** 2 * (a + b + 1)))
        points = {float(f"{(mean + k * sd) * d2 / ((1 - mean - k * sd) * d1):.10g}") for k in F_BODY}
        points |= {f_tail_point(d1, d2, t, upper) for t in F_TAILS for upper in (False, True)}
        yield from ((d1, d2, x) for x in sorted(points))
    yield from F_SINGLE


# [SECTION] the file

PREAMBLE = """\
// Generated by numerics/tools/gen_large_df_refs.py (mpmath, 40 significant digits or more); run the
// generator instead of editing this file.
//
// Chi2TailRefs: both tails of chi-squared with Df degrees of freedom at X, each of its own side.
// FTailRefs: both tails of F with Df1 and Df2 degrees of freedom at X, each of its own side.
// MedianQuantileRefs: quantiles next to the median and single calls, laid out as QuantileRefs.
#pragma once

#include "StatQuantileRefs.h"

namespace qelta::test {

struct TChi2TailRef {
  int Df;
  double X, P, Q;  ///< P(X <= x), P(X > x)
};

struct TFTailRef {
  int Df1, Df2;
  double X, P, Q;  ///< P(F <= x), P(F > x)
};

// clang-format off
inline constexpr TChi2TailRef Chi2TailRefs[] = {
"""


def generate():
    out = [PREAMBLE]
    for df, x in chi2_points():
        p, q = chi2_tails(df, x)
        out.append(f"    {{{df}, {x!r}, {mp.nstr(p, 21, strip_zeros=False)}, {mp.nstr(q, 21, strip_zeros=False)}}},\n")
    out.append("};\n\ninline constexpr TFTailRef FTailRefs[] = {\n")
    for d1, d2, x in f_points():
        p, q = f_tails(d1, d2, x)
        out.append(f"    {{{d1}, {d2}, {x!r}, {mp.nstr(p, 21, strip_zeros=False)}, {mp.nstr(q, 21, strip_zeros=False)}}},\n")
    out.append("};\n\ninline constexpr TQuantileRef MedianQuantileRefs[] = {\n")
    cases = [("t", v, 0, p) for v in MEDIAN_T for p in MEDIAN_P]
    cases += [("c", k, 0, p) for k in MEDIAN_CHI2 for p in MEDIAN_P]
    cases += [("F", d1, d2, p) for d1, d2 in MEDIAN_F for p in MEDIAN_P]
    for family, a, b, p in cases + SINGLE:
        x, rate = quantile(family, a, b, p)
        out.append(f"    {{'{family}', {a}, {b}, {p!r}, {mp.nstr(x, 21, strip_zeros=False)}, "
                   f"{mp.nstr(rate, 6, strip_zeros=False)}}},\n")
    out.append("};\n// clang-format on\n\n}  // namespace qelta::test\n")
    return "".join(out)


def main():
    emit("numerics/tools/gen_large_df_refs.py", OUTPUT, generate())


if __name__ == "__main__":
    main()
