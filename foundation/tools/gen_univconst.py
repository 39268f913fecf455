#!/usr/bin/env python3
"""Produces the literals of Qelta_univconst: the mathematical constants to 30 significant digits
(enough for a correctly rounded 80-bit value) and the table ln(n!) for n = 0..1000 as correctly
rounded doubles. Everything is computed in 60-digit decimal arithmetic; ln(n!) is the sum of ln k.

Usage: python3 gen_univconst.py constants | table
"""
import sys
from decimal import Decimal, getcontext

getcontext().prec = 60


def pi():
    # Machin: pi = 16 atan(1/5) - 4 atan(1/239)
    def atan_inv(n):
        x = Decimal(1) / n
        x2 = x * x
        total, term, k = Decimal(0), x, 0
        while term != 0:
            total += term / (2 * k + 1) if k % 2 == 0 else -term / (2 * k + 1)
            term *= x2
            k += 1
        return total
    return 16 * atan_inv(5) - 4 * atan_inv(239)


def constants():
    p = pi()
    e = Decimal(1).exp()
    ln10 = Decimal(10).ln()
    values = [
        ("uc_e", e), ("uc_etom1", 1 / e),
        ("uc_lg2", Decimal(2).ln() / ln10), ("uc_lg5", Decimal(5).ln() / ln10),
        ("uc_lge", 1 / ln10), ("uc_lgPi", p.ln() / ln10),
        ("uc_ln10", ln10), ("uc_ln2", Decimal(2).ln()), ("uc_lnPi", p.ln()),
        ("uc_PiH", p / 2), ("uc_PiSqr", p * p), ("uc_Pitom1", 1 / p),
        ("uc_sqrt2", Decimal(2).sqrt()), ("uc_sqrt2pi", (2 * p).sqrt()),
        ("uc_sqrt2pitom1", 1 / (2 * p).sqrt()), ("uc_GoldenR", (1 + Decimal(5).sqrt()) / 2),
    ]
    for name, v in values:
        print(f"{name} = {v:.29e}L")


def table():
    acc = Decimal(0)
    entries = []
    for n in range(1001):
        if n > 1:
            acc += Decimal(n).ln()
        entries.append(repr(float(acc)))
    for i in range(0, len(entries), 4):
        print("    " + ", ".join(f"{x:>22}" for x in entries[i:i + 4]) + ",")


if __name__ == "__main__":
    {"constants": constants, "table": table}[sys.argv[1] if len(sys.argv) > 1 else "constants"]()
