// Qelta_statis: the adaptive Gaussian kernel density estimate.
//
// Each value gets a kernel whose width follows the local spacing of the data (an adaptive, or
// variable-bandwidth, estimate; B. W. Silverman, Density Estimation for Statistics and Data Analysis,
// 1986, ch. 5): h_i is the mean gap between neighbouring sorted values that both lie closer to x_i
// than the radius. With the data sorted those values form one run x_lo..x_hi, so the mean gap is
// (x_hi - x_lo) / (hi - lo), found by two binary searches.
// A Gaussian kernel is exactly 0 in double beyond 38.6 widths (its density underflows), so each kernel
// only touches the evaluation points within kKernelReach widths: the points are swept in order with
// the set of kernels that reach them, and the sum is the full one.
// Deliberate deviations, each a mended fault or a choice left open:
//  - The gap set (left open): the walks as once written counted the gaps next to x_i twice and read
//    positions 0 and n + 1 of the vector (zeros) at the ends of the data; every gap now counts once
//    and only gaps between stored values count.
//  - The percentage of the feedback is count / (n + NumPoints + 1): the classic divisor n + NumPoints
//    ended above 100.
//  - A width factor times h_i that is not above 0 (a radius of 0 or less, NaN) gives the width factor
//    alone, not only a product of exactly 0: a negative width made negative densities.

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <numeric>
#include <utility>
#include <vector>

#include "Qelta_statis.h"
#include "Qelta_statis_internal.h"
#include "Qelta_vector.h"

namespace qelta {

namespace {

/// |u| beyond which the kernel underflows to 0 (38.6), with a margin.
constexpr double kKernelReach = 38.7;

/// The standard normal density in double precision (the kernel is summed in double anyway).
inline double Kernel(double u) { return std::exp(-0.5 * u * u) * (std::numbers::inv_sqrtpi / std::numbers::sqrt2); }

/// Kernel width of each value of the sorted sample x; step() after each.
std::vector<double> KernelWidths(const std::vector<double>& x, double Radius, double WidthFactor,
                                 const std::function<void()>& step) {
  std::vector<double> w(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const auto lo = std::upper_bound(x.begin(), x.end(), x[i] - Radius);  // first x_j > x_i - Radius
    const auto hi = std::lower_bound(x.begin(), x.end(), x[i] + Radius);  // first x_j >= x_i + Radius
    const std::ptrdiff_t gaps = hi - lo - 1;
    double h = Radius;
    if (gaps > 0) {
      const double sum = *(hi - 1) - *lo;
      h = (sum > 0 ? sum : Radius) / static_cast<double>(gaps);
    }
    const double width = WidthFactor * h;
    w[i] = width > 0 ? width : WidthFactor;
    step();
  }
  return w;
}

/// Grid indices first..last (first > last: none) of the points x_f = Low + (High - Low) f / points
/// that a kernel at xi reaching `reach` may touch; the whole grid when that cannot be told.
std::pair<int, int> Support(double xi, double reach, double Low, double High, int points) {
  const double span = High - Low;
  if (!std::isfinite(xi) || !std::isfinite(reach) || !std::isfinite(Low) || !std::isfinite(span)) return {0, points};
  if (span == 0) return std::fabs(Low - xi) < reach ? std::pair{0, points} : std::pair{1, 0};
  double t1 = (xi - reach - Low) / span * points, t2 = (xi + reach - Low) / span * points;
  if (t1 > t2) std::swap(t1, t2);
  if (t2 < -1 || t1 > points + 1) return {1, 0};
  return {static_cast<int>(std::max(0.0, std::floor(t1))), static_cast<int>(std::min<double>(points, std::ceil(t2)))};
}

/// The densities at the points 0..points from the kernels (x_i, w_i); step() after each point.
std::vector<double> SweepDensities(const std::vector<double>& x, const std::vector<double>& w, double Low, double High,
                                   int points, const std::function<void()>& step) {
  const std::size_t n = x.size();
  std::vector<std::pair<int, int>> reach(n);
  for (std::size_t i = 0; i < n; ++i) reach[i] = Support(x[i], kKernelReach * w[i], Low, High, points);
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return reach[a].first < reach[b].first; });
  std::vector<double> density(static_cast<std::size_t>(points) + 1);
  std::vector<std::size_t> active;
  std::size_t next = 0;
  for (int f = 0; f <= points; ++f) {
    for (; next < n && reach[order[next]].first <= f; ++next)
      if (reach[order[next]].first <= reach[order[next]].second) active.push_back(order[next]);
    const double xf = Low + (High - Low) * f / points;
    double sum = 0;
    for (std::size_t k = 0; k < active.size();) {
      const std::size_t i = active[k];
      if (reach[i].second < f) {
        active[k] = active.back();
        active.pop_back();
        continue;
      }
      sum += Kernel((xf - x[i]) / w[i]) / w[i];
      ++k;
    }
    density[static_cast<std::size_t>(f)] = sum / static_cast<double>(n);
    step();
  }
  return density;
}

}  // namespace

void EstimateProbDensity(TVector* Data, TVector* Density, double LowX, double HighX, double WidthFactor, double Radius,
                         int NumPoints, int& IxMin, int& IxMax, const TFeedbackProc& Feedback) {
  IxMin = IxMax = 0;
  if (Data == nullptr || Density == nullptr) return;
  const int points = std::clamp(NumPoints, 10, 10000);
  if (!(WidthFactor > 0)) WidthFactor = 1;
  Data->SortElems(true, 1, Data->NrOfElem());
  const std::vector<double> x = num_detail::SampleOf(Data);
  const double total = static_cast<double>(x.size()) + points + 1;
  int count = 0;
  const std::function<void()> step = [&] {
    ++count;
    if (Feedback) Feedback(nullptr, count, count / total * 100);
  };
  const std::vector<double> w = KernelWidths(x, Radius, WidthFactor, step);
  const std::vector<double> density = SweepDensities(x, w, LowX, HighX, points, step);
  Density->Resize(points + 1);
  IxMin = IxMax = 1;
  for (int f = 1; f <= points + 1; ++f) {
    const double d = density[static_cast<std::size_t>(f - 1)];
    Density->SetVal(f, d);
    if (d < density[static_cast<std::size_t>(IxMin - 1)]) IxMin = f;
    if (d > density[static_cast<std::size_t>(IxMax - 1)]) IxMax = f;
  }
}

}  // namespace qelta
