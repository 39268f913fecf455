// Qelta_statis: the Kolmogorov-Smirnov and Lilliefors normality tests, their critical values and
// p-values.
//
// KSPValue's exact branch is the method of G. Marsaglia, W. W. Tsang and J. Wang, "Evaluating
// Kolmogorov's distribution", J. Stat. Software 8 (2003) 18: P(D_n < d) = n!/n^n times the (k, k)
// entry of H^n, H the m x m matrix of their paper (m = 2k - 1, k = Trunc(n d) + 1), raised to the
// n-th power by repeated squaring (the block product of the linear algebra) while a separate power of
// ten keeps the entries in range. Its
// asymptotic branch is their approximation 2 exp(-(2.000071 + 0.331/sqrt(n) + 1.409/n) n d^2), and
// where the matrix would grow beyond KSExactMaxOrder Kolmogorov's limit
// P(sqrt(n) D_n >= x) -> 2 sum_{k>=1} (-1)^(k-1) exp(-2 k^2 x^2) stands in (for x < 1 through the
// equivalent form 1 - sqrt(2 pi)/x sum_{k>=1} exp(-(2k - 1)^2 pi^2 / (8 x^2)), which converges there).
// Above n = 10^5 the factor n!/n^n comes from Stirling's series instead of n multiplications (there
// the exact branch only sees p-values near 1: n D < 100 keeps n D^2 below 0.1).
// LillieforsPValue is the approximation of G. E. Dallal and L. Wilkinson, Amer. Statist. 40 (1986)
// 294-296; LillieforsQuantile evaluates two fitted polynomials in 1 - alpha.
// Deliberate deviations, each a mended fault:
//  - KSPValue sized its matrix from Trunc(n D) + 1, negative for D below -1/n: D <= 0 answers 1 (and
//    D >= 1 answers 0, the exact value, without a matrix); n <= 0 or a NaN D answers -1. The exact
//    branch is bounded by KSExactMaxOrder (m about 2 sqrt(3.76 n) would need 12 GB per matrix for
//    n = 10^8).
//  - KSQuantile's iteration had no bound: at most 200 steps, and a value that is not finite ends it.

#include <algorithm>
#include <cmath>
#include <vector>

#include "Qelta_linalg_internal.h"
#include "Qelta_math1.h"
#include "Qelta_statis.h"
#include "Qelta_statis_internal.h"
#include "Qelta_univconst.h"
#include "Qelta_vector.h"

namespace qelta {

namespace {

/// c of the critical value c / sqrt(n) above n = 20, Dot20..Dot01.
constexpr double kKSLargeN[5] = {1.073, 1.138, 1.224, 1.358, 1.628};

/// The Lilliefors quantile polynomials in 1 - alpha, increasing powers.
constexpr double kLillieforsA[7] = {6.32208, -17.1399, 38.4281, -45.9324, 7.88698, 29.7932, -18.4809};
constexpr double kLillieforsB[7] = {12.9404, -53.4583, 186.924, -410.582, 517.378, -343.581, 92.1235};

/// D of sorted data against the standard normal distribution function.
double KSStatistic(const TVector& data) {
  const int n = data.NrOfElem();
  double D = 0;
  for (int i = 1; i <= n; ++i) {
    const double F = nDistriIntegral(data.GetVal(i));
    D = std::max({D, std::fabs(static_cast<double>(i) / n - F), std::fabs(static_cast<double>(i - 1) / n - F)});
  }
  return D;
}

// [SECTION] Kolmogorov's distribution

/// A square matrix of order m with a decimal exponent: the value is 10^Exp times the entries.
struct TScaledMatrix {
  int m = 0;
  std::vector<double> a;  ///< column-major
  int Exp = 0;
  double& At(int i, int j) { return a[static_cast<std::size_t>(j) * m + i]; }
  double At(int i, int j) const { return a[static_cast<std::size_t>(j) * m + i]; }
};

/// x y (both of order m), exponents added; the product kernel of the linear algebra.
TScaledMatrix Product(const TScaledMatrix& x, const TScaledMatrix& y) {
  TScaledMatrix r{x.m, std::vector<double>(x.a.size()), x.Exp + y.Exp};
  num_detail::Gemm(false, x.m, x.m, x.m, 1.0, x.a.data(), x.m, y.a.data(), x.m, 0.0, r.a.data(), x.m);
  return r;
}

/// h^n by repeated squaring; the centre entry is kept below 1e140 by moving powers of ten into Exp.
TScaledMatrix Power(const TScaledMatrix& h, int n) {
  if (n == 1) return h;
  const TScaledMatrix half = Power(h, n / 2);
  TScaledMatrix v = Product(half, half);
  if (n % 2 == 1) v = Product(h, v);
  if (v.At(v.m / 2, v.m / 2) > 1e140) {
    for (double& e : v.a) e *= 1e-140;
    v.Exp += 140;
  }
  return v;
}

/// The matrix H of Marsaglia, Tsang and Wang for k, h.
TScaledMatrix KolmogorovMatrix(int k, double h) {
  const int m = 2 * k - 1;
  TScaledMatrix H{m, std::vector<double>(static_cast<std::size_t>(m) * m, 0.0), 0};
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < m; ++j) H.At(i, j) = i - j + 1 >= 0 ? 1.0 : 0.0;
  for (int i = 0; i < m; ++i) {
    H.At(i, 0) -= std::pow(h, i + 1);
    H.At(m - 1, i) -= std::pow(h, m - i);
  }
  if (2 * h - 1 > 0) H.At(m - 1, 0) += std::pow(2 * h - 1, m);
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < m; ++j)
      for (int g = 1; g <= i - j + 1; ++g) H.At(i, j) /= g;
  return H;
}

/// Sample sizes above which n!/n^n comes from Stirling's series instead of n multiplications.
constexpr int kFactorialLoopLimit = 100000;

/// s 10^e n!/n^n for s > 0: the factor by Stirling's series ln(n!/n^n) = -n + ln(2 pi n)/2 +
/// 1/(12n) - 1/(360n^3) (exact to double precision for n > 20), summed in extended precision.
double TimesFactorialRatio(double s, int e, int n) {
  if (!(s > 0)) return 0.0;
  const Extended nn = n, twoPiN = 4 * uc_PiH * nn;
  const Extended lnRatio = -nn + std::log(twoPiN) / 2 + 1 / (12 * nn) - 1 / (360 * nn * nn * nn);
  return static_cast<double>(std::exp(std::log(static_cast<Extended>(s)) + e * uc_ln10 + lnRatio));
}

/// P(D_n < D) exactly, for 0 < D < 1 and k = Trunc(n D) + 1.
double KolmogorovExact(int n, double D, int k) {
  const double h = k - n * D;
  const TScaledMatrix Q = Power(KolmogorovMatrix(k, h), n);
  double s = Q.At(k - 1, k - 1);
  int e = Q.Exp;
  if (n > kFactorialLoopLimit) return TimesFactorialRatio(s, e, n);
  for (int i = 1; i <= n; ++i) {
    s = s * i / n;
    if (s < 1e-140) {
      s *= 1e140;
      e -= 140;
    }
  }
  return s * std::pow(10.0, e);
}

/// Kolmogorov's limit of P(sqrt(n) D_n >= x), clamped to 0..1.
double KolmogorovLimitTail(double x) {
  double tail = 0;
  if (x < 1) {
    const double f = -static_cast<double>(uc_PiSqr) / (8 * x * x);
    double s = 0;
    for (int k = 1; k <= 201; k += 2) {
      const double t = std::exp(f * k * k);
      s += t;
      if (t <= 1e-17 * s) break;
    }
    tail = 1 - static_cast<double>(uc_sqrt2pi) / x * s;
  } else {
    for (int k = 1; k <= 100; ++k) {
      const double t = std::exp(-2.0 * k * k * x * x);
      tail += k % 2 == 1 ? t : -t;
      if (t < 1e-17) break;
    }
    tail *= 2;
  }
  return std::clamp(tail, 0.0, 1.0);
}

}  // namespace

// [SECTION] test statistics

double PerformKSNormalityTest(TVector* Data, bool DataIsSorted) {
  if (Data == nullptr) return -1.0;
  if (!DataIsSorted) Data->SortElems(true, 1, Data->NrOfElem());
  return KSStatistic(*Data);
}

double PerformLillieforsTest(TVector* Data, bool DataIsSorted) {
  if (Data == nullptr) return -1.0;
  double mean = 0, stddev = 0;
  Data->Standardize(mean, stddev);
  return PerformKSNormalityTest(Data, DataIsSorted);
}

// [SECTION] Kolmogorov-Smirnov critical values and p-values

double KolmogSmir1SampleTestStat(int n, TSignifLevel level) {
  if (n <= 0 || level > Dot01) return -1.0;
  if (n <= 20) return num_detail::KSTable[static_cast<std::size_t>(n)][level];
  return kKSLargeN[level] / std::sqrt(static_cast<double>(n));
}

double KSPValue(int n, double D) {
  if (n <= 0 || std::isnan(D)) return -1.0;
  if (D <= 0) return 1.0;
  if (D >= 1) return 0.0;
  const double d = n * D * D;
  if (d <= 7.24 && (d <= 3.76 || n < 100)) {
    const double k = std::trunc(n * D) + 1;
    if (2 * k - 1 <= KSExactMaxOrder) return 1 - KolmogorovExact(n, D, static_cast<int>(k));
    return KolmogorovLimitTail(std::sqrt(static_cast<double>(n)) * D);
  }
  return 2 * std::exp(-(2.000071 + 0.331 / std::sqrt(static_cast<double>(n)) + 1.409 / n) * d);
}

double KSQuantile(int n, TSignifLevel level) {
  if (n <= 0 || level > Dot01) return -1.0;
  const double alpha = num_detail::KSTable[0][level];
  double q = KolmogSmir1SampleTestStat(n, level);
  for (int step = 0; step < 200; ++step) {
    const double v = KSPValue(n, q) - alpha;
    const double next = (v + 1) * q;
    if (!std::isfinite(next)) break;
    q = next;
    if (std::fabs(v) <= 0.0001) break;
  }
  return q;
}

// [SECTION] Lilliefors

double LillieforsPValue(int n, double D) {
  if (n < 6 || std::isnan(D)) return -1.0;
  double nn = n;
  if (n > 100) {
    D *= std::pow(nn / 100, 0.49);
    nn = 100;
  }
  const double a = nn + 2.78019;
  const double e =
      -7.01256 * D * D * a + 2.99587 * D * std::sqrt(a) - 0.122119 + 0.974598 / std::sqrt(nn) + 1.67997 / nn;
  return e > 0 ? 1.0 : std::exp(e);
}

double LillieforsQuantile(int n, double alpha) {
  if (n < 1 || !(alpha > 0 && alpha < 1)) return -1.0;
  const double x = 1 - alpha;
  const double r = n * Polynomial(kLillieforsA, 6, x) + Polynomial(kLillieforsB, 6, x);
  return r > 0 ? 1 / std::sqrt(r) : -1.0;
}

}  // namespace qelta
