// Qelta_math2: the interpolating cubic spline of TCurveFit and the cubic smoothing spline
// (PenalizedCubicSpline, TCurveFit::SmoothedSpline).
//
// Interpolating spline: the second derivatives at the knots from the tridiagonal system of
// continuity of the first derivative, with a natural end (second derivative 0) or a given slope at
// each end (C. de Boor, A Practical Guide to Splines, 1978, chapter IV); evaluated piecewise, the end
// pieces continued beyond the data.
// Smoothing spline (C. H. Reinsch, Numer. Math. 10 (1967) 177-183, in the weighting of de Boor's
// smoothing parameter): minimise p sum w_i (y_i - f(x_i))^2 + (1 - p) integral f''^2. The minimiser is
// a natural cubic spline; with h_i = x_{i+1} - x_i, Q the (n x n-2) matrix of second divided
// differences and R the tridiagonal matrix with (h_{i-1} + h_i) / 3 and h_i / 6, its second derivatives
// g at the interior knots solve the pentadiagonal, positive definite system
//   (p R + (1 - p) Q^T W^-1 Q) g = p Q^T y
// (banded Cholesky here), and its knot values are a = y - ((1 - p) / p) W^-1 Q g. p = 0 is the limit,
// the weighted least-squares line. All in extended precision.
// Equal x: the interpolating spline takes the mean y of equal x; the smoothing spline takes the mean
// with the count as weight (the same minimiser).

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"

namespace qelta {

namespace {

using E = Extended;

/// Finite points sorted by x with equal x merged: x, mean y, count.
struct TKnots {
  std::vector<double> x, y, w;
};

TKnots MergedKnots(const double* xs, const double* ys, int n) {
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    if (std::isfinite(xs[i]) && std::isfinite(ys[i])) order.push_back(i);
  std::sort(order.begin(), order.end(), [xs](int a, int b) { return xs[a] < xs[b]; });
  TKnots k;
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    E sum = 0;
    while (j < order.size() && xs[order[j]] == xs[order[i]]) sum += ys[order[j++]];
    k.x.push_back(xs[order[i]]);
    k.y.push_back(static_cast<double>(sum / static_cast<E>(j - i)));
    k.w.push_back(static_cast<double>(j - i));
    i = j;
  }
  return k;
}

/// Index of the piece for x: the last knot at or below x, within 0..last.
std::size_t PieceOf(const std::vector<double>& knots, double x, std::size_t last) {
  const auto it = std::upper_bound(knots.begin(), knots.end(), x);
  const std::size_t i = it == knots.begin() ? 0 : static_cast<std::size_t>(it - knots.begin()) - 1;
  return std::min(i, last);
}

/// Solves the symmetric positive definite pentadiagonal system (diagonal a0, first and second
/// super-diagonals a1, a2) for rhs in place, by banded Cholesky. False when it is not positive
/// definite.
bool SolvePentadiagonal(std::vector<E> a0, std::vector<E> a1, std::vector<E> a2, std::vector<E>& rhs) {
  const std::size_t n = a0.size();
  std::vector<E> l0(n), l1(n, 0), l2(n, 0);  // L(j, j), L(j + 1, j), L(j + 2, j)
  for (std::size_t j = 0; j < n; ++j) {
    E dj = a0[j];
    if (j >= 1) dj -= l1[j - 1] * l1[j - 1];
    if (j >= 2) dj -= l2[j - 2] * l2[j - 2];
    if (!(dj > 0)) return false;
    l0[j] = std::sqrt(dj);
    if (j + 1 < n) l1[j] = (a1[j] - (j >= 1 ? l2[j - 1] * l1[j - 1] : 0)) / l0[j];
    if (j + 2 < n) l2[j] = a2[j] / l0[j];
  }
  for (std::size_t j = 0; j < n; ++j) {  // L z = rhs
    if (j >= 1) rhs[j] -= l1[j - 1] * rhs[j - 1];
    if (j >= 2) rhs[j] -= l2[j - 2] * rhs[j - 2];
    rhs[j] /= l0[j];
  }
  for (std::size_t j = n; j-- > 0;) {  // L^T g = z
    if (j + 1 < n) rhs[j] -= l1[j] * rhs[j + 1];
    if (j + 2 < n) rhs[j] -= l2[j] * rhs[j + 2];
    rhs[j] /= l0[j];
  }
  return true;
}

/// The smoothing spline's knot values and second derivatives (g with zero ends) for 0 < p <= 1.
bool SmoothingKnots(const std::vector<E>& x, const std::vector<E>& y, const std::vector<E>& w, E p,
                    std::vector<E>& a, std::vector<E>& g) {
  const std::size_t m = x.size(), n = m - 2;
  std::vector<E> h(m - 1);
  for (std::size_t i = 0; i + 1 < m; ++i) h[i] = x[i + 1] - x[i];
  // column j of Q (interior knot j + 1) has 1/h_j, -1/h_j - 1/h_{j+1}, 1/h_{j+1} in rows j .. j + 2
  const auto q = [&h](std::size_t row, std::size_t col) -> E {
    if (row == col) return 1 / h[col];
    if (row == col + 1) return -1 / h[col] - 1 / h[col + 1];
    if (row == col + 2) return 1 / h[col + 1];
    return 0;
  };
  std::vector<E> a0(n), a1(n, 0), a2(n, 0), rhs(n);
  for (std::size_t j = 0; j < n; ++j) {
    E m0 = 0, m1 = 0, m2 = 0;  // (Q^T W^-1 Q)(j, j), (j, j + 1), (j, j + 2)
    for (std::size_t r = j; r <= j + 2; ++r) {
      m0 += q(r, j) * q(r, j) / w[r];
      if (j + 1 < n && r >= j + 1) m1 += q(r, j) * q(r, j + 1) / w[r];
    }
    if (j + 2 < n) m2 = q(j + 2, j) * q(j + 2, j + 2) / w[j + 2];
    a0[j] = p * (h[j] + h[j + 1]) / 3 + (1 - p) * m0;
    if (j + 1 < n) a1[j] = p * h[j + 1] / 6 + (1 - p) * m1;
    a2[j] = (1 - p) * m2;
    rhs[j] = p * ((y[j + 2] - y[j + 1]) / h[j + 1] - (y[j + 1] - y[j]) / h[j]);
  }
  if (!SolvePentadiagonal(a0, a1, a2, rhs)) return false;
  g.assign(m, 0);
  std::copy(rhs.begin(), rhs.end(), g.begin() + 1);
  a = y;
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t r = j; r <= j + 2; ++r) a[r] -= (1 - p) / p * q(r, j) * rhs[j] / w[r];
  return true;
}

/// The weighted least-squares line as knot values (g all 0).
void LineKnots(const std::vector<E>& x, const std::vector<E>& y, const std::vector<E>& w, std::vector<E>& a,
               std::vector<E>& g) {
  E sw = 0, sx = 0, sy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sw += w[i];
    sx += w[i] * x[i];
    sy += w[i] * y[i];
  }
  const E mx = sx / sw, my = sy / sw;
  E sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxx += w[i] * (x[i] - mx) * (x[i] - mx);
    sxy += w[i] * (x[i] - mx) * (y[i] - my);
  }
  const E k = sxx != 0 ? sxy / sxx : 0;
  a.resize(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) a[i] = my + k * (x[i] - mx);
  g.assign(x.size(), 0);
}

/// f(x) of the pieces a, b, c, d over the knots; linear beyond the ends.
double EvaluatePieces(const std::vector<double>& knots, const std::vector<double>& a, const std::vector<double>& b,
                      const std::vector<double>& c, const std::vector<double>& d, double x) {
  const std::size_t last = knots.size() - 1;
  if (x <= knots.front()) return a.front() + b.front() * (x - knots.front());
  if (x >= knots.back()) return a[last] + b[last] * (x - knots.back());
  const std::size_t i = PieceOf(knots, x, last);
  const double t = x - knots[i];
  return a[i] + t * (b[i] + t * (c[i] + t * d[i]));
}

}  // namespace

// [SECTION] smoothing spline

bool PenalizedCubicSpline(int LowIx, int HighIx, double Smoothing, const std::vector<double>& x,
                          const std::vector<double>& y, const std::vector<double>& w, std::vector<double>& a,
                          std::vector<double>& b, std::vector<double>& c, std::vector<double>& d) {
  const std::size_t size = std::min({x.size(), y.size(), w.size()});
  if (LowIx < 0 || HighIx <= LowIx || static_cast<std::size_t>(HighIx) >= size) return false;
  const std::size_t lo = static_cast<std::size_t>(LowIx), m = static_cast<std::size_t>(HighIx - LowIx) + 1;
  std::vector<E> ex(m), ey(m), ew(m);
  for (std::size_t i = 0; i < m; ++i) {
    ex[i] = x[lo + i];
    ey[i] = y[lo + i];
    ew[i] = w[lo + i];
    if (!std::isfinite(x[lo + i]) || !std::isfinite(y[lo + i]) || !(w[lo + i] > 0) || !std::isfinite(w[lo + i]))
      return false;
    if (i > 0 && !(ex[i] > ex[i - 1])) return false;
  }
  const E p = Smoothing > 0 ? std::min(Smoothing, 1.0) : 0.0;
  std::vector<E> knotValues, g;
  if (p == 0) LineKnots(ex, ey, ew, knotValues, g);
  else if (!num_detail::GuardMemory(u"PenalizedCubicSpline", [&] { return SmoothingKnots(ex, ey, ew, p, knotValues, g); }))
    return false;
  const std::size_t need = static_cast<std::size_t>(HighIx) + 1;
  for (std::vector<double>* v : {&a, &b, &c, &d})
    if (v->size() < need) v->resize(need, 0.0);
  for (std::size_t i = 0; i + 1 < m; ++i) {
    const E h = ex[i + 1] - ex[i];
    a[lo + i] = static_cast<double>(knotValues[i]);
    b[lo + i] = static_cast<double>((knotValues[i + 1] - knotValues[i]) / h - h * (2 * g[i] + g[i + 1]) / 6);
    c[lo + i] = static_cast<double>(g[i] / 2);
    d[lo + i] = static_cast<double>((g[i + 1] - g[i]) / (6 * h));
  }
  const std::size_t last = lo + m - 1;  // the end slope continues the spline linearly
  const E h = ex[m - 1] - ex[m - 2];
  a[last] = static_cast<double>(knotValues[m - 1]);
  b[last] = static_cast<double>((knotValues[m - 1] - knotValues[m - 2]) / h + h * (g[m - 2] + 2 * g[m - 1]) / 6);
  c[last] = d[last] = 0;
  return true;
}

void TCurveFit::BuildSmoothedSpline() {
  FPenSplineValid = true;
  FPenSplineOk = false;
  FPSplineFQ = 0;
  TKnots k = MergedKnots(Column(1), Column(2), FNumData);
  if (k.x.size() < 2) return;
  const int last = static_cast<int>(k.x.size()) - 1;
  FPenA.clear();
  FPenB.clear();
  FPenC.clear();
  FPenD.clear();
  if (!PenalizedCubicSpline(0, last, FPSplineSmooth, k.x, k.y, k.w, FPenA, FPenB, FPenC, FPenD)) return;
  FPenX = std::move(k.x);
  FPenSplineOk = true;
  num_detail::TCorrelationSums sums;
  const double *x = Column(1), *y = Column(2);
  for (int i = 0; i < FNumData; ++i)
    if (std::isfinite(x[i]) && std::isfinite(y[i]))
      sums.Add(EvaluatePieces(FPenX, FPenA, FPenB, FPenC, FPenD, x[i]), y[i]);
  const double r = sums.R();
  FPSplineFQ = r * r;
}

double TCurveFit::SmoothedSpline(double x, double& FitQual, bool& Valid) {
  if (!FPenSplineValid) BuildSmoothedSpline();
  Valid = FPenSplineOk;
  FitQual = FPSplineFQ;
  return Valid ? EvaluatePieces(FPenX, FPenA, FPenB, FPenC, FPenD, x) : 0.0;
}

// [SECTION] interpolating spline

void TCurveFit::BuildSpline() {
  FSplineValid = true;
  TKnots k = MergedKnots(Column(1), Column(2), FNumData);
  SplSortedX = std::move(k.x);
  SplSortedY = std::move(k.y);
  const std::size_t m = SplSortedX.size();
  Spl2Deriv.assign(m, 0.0);
  if (m < 2) return;
  const std::vector<double>&x = SplSortedX, &y = SplSortedY;
  std::vector<E> g(m, 0), u(m, 0);
  if (!FNatural1) {
    g[0] = -0.5L;
    u[0] = 3 / (static_cast<E>(x[1]) - x[0]) * ((static_cast<E>(y[1]) - y[0]) / (static_cast<E>(x[1]) - x[0]) - FY1Dash);
  }
  for (std::size_t i = 1; i + 1 < m; ++i) {
    const E sig = (static_cast<E>(x[i]) - x[i - 1]) / (static_cast<E>(x[i + 1]) - x[i - 1]);
    const E p = sig * g[i - 1] + 2;
    g[i] = (sig - 1) / p;
    const E slopes = (static_cast<E>(y[i + 1]) - y[i]) / (static_cast<E>(x[i + 1]) - x[i]) -
                     (static_cast<E>(y[i]) - y[i - 1]) / (static_cast<E>(x[i]) - x[i - 1]);
    u[i] = (6 * slopes / (static_cast<E>(x[i + 1]) - x[i - 1]) - sig * u[i - 1]) / p;
  }
  E qn = 0, un = 0;
  if (!FNaturalN) {
    const E h = static_cast<E>(x[m - 1]) - x[m - 2];
    qn = 0.5L;
    un = 3 / h * (FYNDash - (static_cast<E>(y[m - 1]) - y[m - 2]) / h);
  }
  g[m - 1] = (un - qn * u[m - 2]) / (qn * g[m - 2] + 1);
  for (std::size_t k2 = m - 1; k2-- > 0;) g[k2] = g[k2] * g[k2 + 1] + u[k2];
  for (std::size_t i = 0; i < m; ++i) Spl2Deriv[i] = static_cast<double>(g[i]);
}

double TCurveFit::CubicSpline(double x) {
  if (!FSplineValid) BuildSpline();
  const std::size_t m = SplSortedX.size();
  if (m == 0) return 0.0;
  if (m == 1) return SplSortedY[0];
  const std::size_t lo = PieceOf(SplSortedX, x, m - 2), hi = lo + 1;
  const E h = static_cast<E>(SplSortedX[hi]) - SplSortedX[lo];
  const E a = (SplSortedX[hi] - static_cast<E>(x)) / h, b = (static_cast<E>(x) - SplSortedX[lo]) / h;
  return static_cast<double>(a * SplSortedY[lo] + b * SplSortedY[hi] +
                             ((a * a * a - a) * Spl2Deriv[lo] + (b * b * b - b) * Spl2Deriv[hi]) * h * h / 6);
}

}  // namespace qelta
