// Qelta_statis: the Shapiro-Wilk W test by Royston's algorithm AS R94 (P. Royston, "Remark AS R94: A
// remark on algorithm AS 181: The W-test for normality", Appl. Statist. 44 (1995) 547-551; the
// approximations of P. Royston, Statistics and Computing 2 (1992) 117-119).
//
// Coefficients: the normal scores m_i = Phi^-1((i - 3/8) / (n + 1/4)); the two outermost coefficients
// a_1 (and a_2 for n > 5) are polynomials in 1/sqrt(n) corrected by m_i / sqrt(sum m^2), the others
// m_i scaled so that the coefficients have unit length; n = 3 has a_1 = sqrt(1/2). W is the squared
// correlation of the coefficients and the ordered observations (1 - W is formed directly, to keep its
// digits for W near 1). p: for n = 3 exactly 6/pi (asin sqrt W - pi/3); for n = 4..11 the
// transformation -ln(gamma - ln(1 - W)), gamma = -2.273 + 0.459 n, and for n >= 12 ln(1 - W), each
// normal with mean and standard deviation from polynomials in n or ln n; a censored sample shifts
// them by the interpolated normal quantiles of the published 90, 95 and 99 % points.
// The normal quantiles come from nDistriQuantile (the published algorithm uses a 7-digit one).

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "Qelta_math1.h"
#include "Qelta_statis.h"
#include "Qelta_statis_internal.h"
#include "Qelta_vector.h"

namespace qelta {

namespace {

// Polynomial coefficients of AS R94, increasing powers.
constexpr double kC1[6] = {0.0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056};
constexpr double kC2[6] = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
constexpr double kC3[4] = {0.544, -0.39978, 0.025054, -6.714e-4};
constexpr double kC4[4] = {1.3822, -0.77857, 0.062767, -0.0020322};
constexpr double kC5[4] = {-1.5861, -0.31082, -0.083751, 0.0038915};
constexpr double kC6[3] = {-0.4803, -0.082676, 0.0030302};
constexpr double kC7[2] = {0.164, 0.533};
constexpr double kC8[2] = {0.1736, 0.315};
constexpr double kC9[2] = {0.256, -0.00635};
constexpr double kG[2] = {-2.273, 0.459};
// Normal quantiles of the 90, 95 and 99 % points, their mean and sum of squared deviations.
constexpr double kZ90 = 1.2816, kZ95 = 1.6449, kZ99 = 2.3263, kZm = 1.7509, kZss = 0.56268;
constexpr double kBf1 = 0.8378, kXx90 = 0.556, kXx95 = 0.622;
constexpr double kSmall = 1e-19;

/// Whether AS R94 takes a sample of n values with the n1 smallest observed.
bool ValidSizes(int n, int n1) {
  if (n < 3 || n > 5000 || n1 < 3 || n1 > n) return false;
  return n1 == n || (n >= 20 && static_cast<double>(n - n1) / n <= 0.8);
}

/// The coefficients a_1..a_(n/2) (0-based) for n >= 3.
std::vector<double> Coefficients(int n) {
  const int half = n / 2;
  std::vector<double> a(static_cast<std::size_t>(half));
  if (n == 3) {
    a[0] = std::sqrt(0.5);
    return a;
  }
  std::vector<double> m(a.size());
  double summ2 = 0;
  for (int i = 0; i < half; ++i) {
    m[static_cast<std::size_t>(i)] = nDistriQuantile((i + 1 - 0.375) / (n + 0.25));
    summ2 += m[static_cast<std::size_t>(i)] * m[static_cast<std::size_t>(i)];
  }
  summ2 *= 2;
  const double ssumm2 = std::sqrt(summ2), rsn = 1 / std::sqrt(static_cast<double>(n));
  a[0] = Polynomial(kC1, 5, rsn) - m[0] / ssumm2;
  int first = 1;
  double fac;
  if (n > 5) {
    first = 2;
    a[1] = -m[1] / ssumm2 + Polynomial(kC2, 5, rsn);
    fac = std::sqrt((summ2 - 2 * m[0] * m[0] - 2 * m[1] * m[1]) / (1 - 2 * a[0] * a[0] - 2 * a[1] * a[1]));
  } else {
    fac = std::sqrt((summ2 - 2 * m[0] * m[0]) / (1 - 2 * a[0] * a[0]));
  }
  for (int i = first; i < half; ++i) a[static_cast<std::size_t>(i)] = -m[static_cast<std::size_t>(i)] / fac;
  return a;
}

/// The coefficient of the i-th smallest of n values (1-based): -a_i in the lower half, a_(n+1-i) in
/// the upper, 0 in the middle.
double Weight(const std::vector<double>& a, int n, int i) {
  const int j = n + 1 - i;
  if (i < j) return -a[static_cast<std::size_t>(i - 1)];
  if (i > j) return a[static_cast<std::size_t>(j - 1)];
  return 0.0;
}

/// 1 - W for the sorted sample x of n values, n1 observed (x[0..n1-1]), range > 0.
double OneMinusW(const std::vector<double>& x, int n, int n1, double range) {
  const std::vector<double> a = Coefficients(n);
  double sa = 0, sx = 0;
  for (int i = 1; i <= n1; ++i) {
    sa += Weight(a, n, i);
    sx += x[static_cast<std::size_t>(i - 1)] / range;
  }
  sa /= n1;
  sx /= n1;
  double ssa = 0, ssx = 0, sax = 0;
  for (int i = 1; i <= n1; ++i) {
    const double asa = Weight(a, n, i) - sa, xsx = x[static_cast<std::size_t>(i - 1)] / range - sx;
    ssa += asa * asa;
    ssx += xsx * xsx;
    sax += asa * xsx;
  }
  const double ssassx = std::sqrt(ssa * ssx);
  return (ssassx - sax) * (ssassx + sax) / (ssa * ssx);
}

/// Mean m and standard deviation s of the transformed W shifted for a sample censored at n1 of n.
void CensoringShift(int n, int n1, double& m, double& s) {
  const double xx = std::log(static_cast<double>(n)), ld = -std::log(static_cast<double>(n - n1) / n);
  const double bf = 1 + xx * kBf1;
  const double z90f = kZ90 + bf * std::pow(Polynomial(kC7, 1, std::pow(kXx90, xx)), ld);
  const double z95f = kZ95 + bf * std::pow(Polynomial(kC8, 1, std::pow(kXx95, xx)), ld);
  const double z99f = kZ99 + bf * std::pow(Polynomial(kC9, 1, xx), ld);
  const double zfm = (z90f + z95f + z99f) / 3;
  const double zsd = (kZ90 * (z90f - zfm) + kZ95 * (z95f - zfm) + kZ99 * (z99f - zfm)) / kZss;
  const double zbar = zfm - zsd * kZm;
  m += zbar * s;
  s *= zsd;
}

}  // namespace

double ShapiroWilkIntegral(double W, int N, int N1) {
  if (!ValidSizes(N, N1) || !(W > 0 && W <= 1)) return -1.0;
  if (N == 3) {
    const double pw = 6 / std::numbers::pi * (std::asin(std::sqrt(W)) - std::numbers::pi / 3);
    return std::clamp(pw, 0.0, 1.0);
  }
  const double an = N;
  double y = std::log1p(-W), m, s;
  if (N <= 11) {
    const double gamma = Polynomial(kG, 1, an);
    if (y >= gamma) return kSmall;
    y = -std::log(gamma - y);
    m = Polynomial(kC3, 3, an);
    s = std::exp(Polynomial(kC4, 3, an));
  } else {
    const double xx = std::log(an);
    m = Polynomial(kC5, 3, xx);
    s = std::exp(Polynomial(kC6, 2, xx));
  }
  if (N1 < N) CensoringShift(N, N1, m, s);
  return nDistriIntegral((m - y) / s);
}

void ShapiroWilkTest(const TVector* Data, int N1, double& W, double& P) {
  std::vector<double> x = num_detail::SampleOf(Data);
  const int n = static_cast<int>(x.size());
  if (n < 3) throw EQeltaStatisError(u"ShapiroWilkTest: number of data points is too low");
  if (n > 5000) throw EQeltaStatisError(u"ShapiroWilkTest: number of data points is too high");
  if (!ValidSizes(n, N1)) throw EQeltaStatisError(u"ShapiroWilkTest: invalid number of uncensored data points");
  num_detail::SortSample(x);
  const double range = x[static_cast<std::size_t>(N1 - 1)] - x[0];
  if (range < kSmall) throw EQeltaStatisError(u"ShapiroWilkTest: all data points are equal");
  W = 1 - OneMinusW(x, n, N1, range);
  P = ShapiroWilkIntegral(W, n, N1);
}

}  // namespace qelta
