#!/usr/bin/env python3
"""Writes numerics/tests/StatQuantileRefs.h, reference quantiles of the normal, t, chi-squared and F
distributions for the tests of Qelta_statis, computed with mpmath (Debian's python3-mpmath) at 50
significant digits.

A case is a family, its degrees of freedom and a probability p, a double. The tail to hit is the
smaller one: p itself below 1/2, else the exact complement 1 - p of the double (exact in binary for
p >= 1/2). Each tail is the integral of its own side, never 1 minus the other: normal erfc; t
I_z(v/2, 1/2) / 2 with z = v / (v + t^2) (1/2 - I_(1-z)(1/2, v/2) / 2 for |t| < 1), mirrored above the
median; chi-squared the lower and upper regularized incomplete gamma functions of (k/2, x/2); F
I_z(d1/2, d2/2) with z = d1 x / (d1 x + d2), and I_(1-z)(d2/2, d1/2) above. The quantile x is the root
of ln tail(x) = ln target in u = ln |x|, found by bracketing, bisection and Newton's method, and checked
to 1e-40 relative. Beside x the generator writes Rate = density(x) / tail(x), |d ln tail / dx| at x: a
result y then misses the tail by |y - x| Rate relative, to first order. Closed forms check the method
where there are some (t with 1 and 2 degrees of freedom, chi-squared with 2).

Usage: python3 gen_quantile_refs.py            rewrite the generated file
       python3 gen_quantile_refs.py --check    exit 1 when the committed file differs from the output
"""
import sys
from pathlib import Path

import mpmath as mp

sys.dont_write_bytecode = True  # no __pycache__ beside the shared helper
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from generated_source import emit  # noqa: E402

OUTPUT = Path(__file__).resolve().parent.parent / "tests" / "StatQuantileRefs.h"
mp.mp.dps = 50

# The grid: p from 1e-15 to 1 - 1e-15 (doubles, as a caller writes them), degrees of freedom 1..1000.
P_GRID = [1e-15, 1e-12, 1e-9, 1e-6, 1e-3, 0.05, 0.3, 0.5 - 1e-7, 0.5, 0.5 + 1e-7, 0.7, 0.95, 1 - 1e-3, 1 - 1e-6,
          1 - 1e-9, 1 - 1e-12, 1 - 1e-15]
DF_GRID = [1, 2, 3, 5, 10, 30, 100, 300, 1000]
F_PAIRS = [(1, 1), (1, 10), (10, 1), (2, 2), (5, 10), (30, 30), (3, 1000), (1000, 3), (1, 1000), (1000, 1),
           (100, 1000), (1000, 1000)]
# Single calls: nDistriQuantile(0.975), upper tails that a stop relative to p missed, and the t quantile of
# GrubbsCriticalValues(1000, 1e-6, true), 1 - 1e-6 / (2 * 1000) with 998 degrees of freedom.
EXTRA = [("n", 0, 0, 0.975), ("t", 5, 0, 1 - 1e-8), ("c", 3, 0, 1 - 1e-10),
         ("F", 5, 10, 1 - 1e-8), ("t", 998, 0, 1 - 1e-6 / (2.0 * 1000))]

HALF = mp.mpf(1) / 2


def fail(message):
    sys.exit(f"gen_quantile_refs: {message}")


# [SECTION] tails and densities of each family; x is an mpf, tails are those of their side

def normal_lower(x, _a, _b):
    return mp.erfc(-x / mp.sqrt(2)) / 2


def normal_density(x, _a, _b):
    return mp.exp(-x * x / 2) / mp.sqrt(2 * mp.pi)


def t_lower(x, v, _b):
    if abs(x) < 1:  # I_z(v/2, 1/2) with z next to 1 loses digits: 1/2 - I_(1-z)(1/2, v/2) / 2
        return HALF - mp.betainc(HALF, mp.mpf(v) / 2, 0, x * x / (v + x * x), regularized=True) / 2
    return mp.betainc(mp.mpf(v) / 2, HALF, 0, v / (v + x * x), regularized=True) / 2


def t_density(x, v, _b):
    v = mp.mpf(v)
    return mp.exp(mp.loggamma((v + 1) / 2) - mp.loggamma(v / 2)) / mp.sqrt(v * mp.pi) * (1 + x * x / v) ** (-(v + 1) / 2)


def chi2_lower(x, k, _b):
    return mp.gammainc(mp.mpf(k) / 2, 0, x / 2, regularized=True)


def chi2_upper(x, k, _b):
    return mp.gammainc(mp.mpf(k) / 2, x / 2, mp.inf, regularized=True)


def chi2_density(x, k, _b):
    h = mp.mpf(k) / 2
    return mp.exp((h - 1) * mp.log(x) - x / 2 - h * mp.log(2) - mp.loggamma(h))


def f_lower(x, d1, d2):
    return mp.betainc(mp.mpf(d1) / 2, mp.mpf(d2) / 2, 0, d1 * x / (d1 * x + d2), regularized=True)


def f_upper(x, d1, d2):
    return mp.betainc(mp.mpf(d2) / 2, mp.mpf(d1) / 2, 0, d2 / (d2 + d1 * x), regularized=True)


def f_density(x, d1, d2):
    a, b = mp.mpf(d1) / 2, mp.mpf(d2) / 2
    return mp.exp(a * mp.log(d1) + b * mp.log(d2) + (a - 1) * mp.log(x) - (a + b) * mp.log(d2 + d1 * x) -
                  mp.log(mp.beta(a, b)))


# family: (symmetric about 0, lower tail, upper tail, density); a symmetric family's upper tail at x is
# its lower tail at -x.
FAMILIES = {
    "n": (True, normal_lower, None, normal_density),
    "t": (True, t_lower, None, t_density),
    "c": (False, chi2_lower, chi2_upper, chi2_density),
    "F": (False, f_lower, f_upper, f_density),
}

# [SECTION] the root


def bracket(g):
    """u0 < u1 with g(u0) and g(u1) of opposite signs, g monotonic."""
    lo, hi, step = mp.mpf(-1), mp.mpf(1), mp.mpf(2)
    for _ in range(200):
        if mp.sign(g(lo)) != mp.sign(g(hi)):
            return lo, hi
        lo, hi, step = lo - step, hi + step, 2 * step
    fail("no bracket")


def root(g, slope):
    """The root of a monotonic g: bisection down to a bracket of 1e-3, then Newton steps with the
    derivative slope(u), each kept inside the bracket, until a step is below 1e-40."""
    lo, hi = bracket(g)
    rising = g(hi) > 0
    while hi - lo > mp.mpf("1e-3"):
        mid = (lo + hi) / 2
        if (g(mid) > 0) == rising:
            hi = mid
        else:
            lo = mid
    u = (lo + hi) / 2
    for _ in range(100):
        step = g(u) / slope(u)
        u = min(max(u - step, lo), hi)
        if abs(step) < mp.mpf("1e-40"):
            return u
    fail("Newton's method does not settle")


def quantile(family, a, b, p):
    """(x, Rate) of the case."""
    symmetric, lower, upper, density = FAMILIES[family]
    below = p < 0.5
    tail = mp.mpf(p) if below else 1 - mp.mpf(p)  # exact: mpf holds the double as it is
    if symmetric and p == 0.5:
        return mp.mpf(0), density(mp.mpf(0), a, b) / tail
    if symmetric:  # the lower tail at -|x|; the upper quantile is the mirror image
        side, point = lower, (lambda u: -mp.exp(u))
    else:
        side, point = (lower if below else upper), mp.exp
    rises = side is lower and not symmetric  # the lower tail in x > 0 rises with u = ln x; the others fall
    g = lambda u: mp.log(side(point(u), a, b)) - mp.log(tail)  # noqa: E731
    slope = lambda u: (1 if rises else -1) * mp.exp(u) * density(point(u), a, b) / side(point(u), a, b)  # noqa: E731
    u = root(g, slope)
    x = point(u)
    if abs(side(x, a, b) / tail - 1) > mp.mpf(10) ** -40:
        fail(f"{family} {a} {b} {p!r}: the root misses its tail")
    if symmetric and not below:
        x = -x
    return x, density(x, a, b) / tail


def check_closed_forms(cases):
    """The method against the closed forms: t(1) = tan(pi (p - 1/2)), t(2) = (2p - 1) / sqrt(2 p (1 - p)),
    chi-squared(2) = -2 ln(1 - p)."""
    forms = {
        ("t", 1): lambda p: mp.tan(mp.pi * (p - HALF)),
        ("t", 2): lambda p: (2 * p - 1) / mp.sqrt(2 * p * (1 - p)),
        ("c", 2): lambda p: -2 * mp.log1p(-p),
    }
    for (family, a, _b, p), (x, _rate) in cases:
        form = forms.get((family, a))
        if form and abs(x - form(mp.mpf(p))) > mp.mpf(10) ** -35 * max(1, abs(x)):
            fail(f"{family} {a} {p!r}: {x} is not the closed form's {form(mp.mpf(p))}")


# [SECTION] the file

PREAMBLE = """\
// Generated by numerics/tools/gen_quantile_refs.py (mpmath, 50 significant digits); run the generator
// instead of editing this file.
//
// Reference quantiles of Qelta_statis' distributions. Family 'n' normal, 't' Student's t with Df1
// degrees of freedom, 'c' chi-squared with Df1, 'F' Fisher-Snedecor with (Df1, Df2). X is the exact
// quantile of the double P for the smaller tail: P below 1/2, else 1 - P exactly. Rate is
// density(X) / tail(X): a result y misses that tail by |y - X| Rate relative (to first order).
#pragma once

namespace qelta::test {

struct TQuantileRef {
  char Family;
  int Df1, Df2;
  double P, X, Rate;
};

// clang-format off
inline constexpr TQuantileRef QuantileRefs[] = {
"""


def cases():
    grid = [("n", 0, 0, p) for p in P_GRID]
    grid += [(f, df, 0, p) for f in ("t", "c") for df in DF_GRID for p in P_GRID]
    grid += [("F", d1, d2, p) for d1, d2 in F_PAIRS for p in P_GRID]
    return grid + EXTRA


def generate():
    solved = [(case, quantile(*case)) for case in cases()]
    check_closed_forms(solved)
    out = [PREAMBLE]
    for (family, a, b, p), (x, rate) in solved:
        out.append(f"    {{'{family}', {a}, {b}, {p!r}, {mp.nstr(x, 21, strip_zeros=False)}, "
                   f"{mp.nstr(rate, 6, strip_zeros=False)}}},\n")
    out.append("};\n// clang-format on\n\n}  // namespace qelta::test\n")
    return "".join(out)


def main():
    emit("numerics/tools/gen_quantile_refs.py", OUTPUT, generate())


if __name__ == "__main__":
    main()
