// The descriptive-statistics rules shared by the containers of the numerics (Qelta_stats_internal.h).
//
// Variance. The classic one-pass form (sum of squares - sum^2 / n) / (n - 1) loses every digit when
// the values share a large offset ([1e10 + 1, 1e10 + 2, 1e10 + 3] gives -32768) and turns negative on
// constant data ([0.1, 0.1, 0.1]), whose square root is then NaN. The rules here take the mean about a
// shift (the first value), then the corrected two-pass sums (Chan, Golub and LeVeque, "Algorithms for
// computing the sample variance", Am. Stat. 37, 1983): (sum d^2 - (sum d)^2 / n) / (n - 1) with
// d = x - mean, clamped at 0. A constant sample gives exactly 0. Skewness and kurtosis use the same
// centred sums.
//
// Order statistics. Quartiles and percentiles need at most two neighbouring order statistics per
// position, so the work array is not sorted whole: std::nth_element places v(k) and v(k + 1) in
// expected linear time, and successive positions continue on the part above the previous one. NaN
// values would break the ordering that the selection relies on; they are moved behind the numbers
// first and rank above every number. The guard for positions at or beyond n answers v(n): the
// largest value, as the matching guard at the lower end answers the smallest (the older guard
// answered v(n - 1), putting the upper quartile of two values below their median).

#include <cmath>
#include <limits>

#include "Math.h"
#include "Qelta_stats_internal.h"

namespace qelta::num_detail {

// [SECTION] moments

namespace {

// (D2 - D1^2 / N), never below 0.
double CentredSquares(const TMoments& m) {
  const double n = static_cast<double>(m.N);
  const double q = m.D2 - m.D1 * m.D1 / n;
  return q > 0 ? q : (q == q ? 0.0 : q);  // keeps a NaN
}

}  // namespace

double SampleVariance(const TMoments& m) {
  return m.N < 2 ? 0.0 : CentredSquares(m) / static_cast<double>(m.N - 1);
}

double PopulationVariance(const TMoments& m) {
  return m.N < 1 ? 0.0 : CentredSquares(m) / static_cast<double>(m.N);
}

void MeanVarRule(const TMoments& m, double& Mean, double& Variance) {
  Mean = m.N > 0 ? m.Mean : 0.0;
  Variance = m.N < 3 ? 1.0 : SampleVariance(m);
}

bool StandardMoments(const TMoments& m, double& Skewness, double& Kurtosis) {
  const double s = std::sqrt(SampleVariance(m));
  if (m.N < 2 || s == 0) return false;
  const double n = static_cast<double>(m.N);
  Skewness = m.D3 / n / (s * s * s);
  Kurtosis = m.D4 / n / (s * s * s * s) - 3;
  return true;
}

void SampleCorrection(int64_t count, double& Skewness, double& Kurtosis) {
  const double n = static_cast<double>(count);
  Kurtosis = (Kurtosis + 3) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
  Skewness = n * n * Skewness / ((n - 1) * (n - 2));
}

// [SECTION] order statistics

TOrderStats::TOrderStats(std::vector<double>& values) : FValues(values) {
  const auto numbers = std::partition(FValues.begin(), FValues.end(), [](double v) { return v == v; });
  FNumbers = numbers - FValues.begin();
}

double TOrderStats::At(int64_t i) {
  const int64_t at = i - 1;
  if (at >= FNumbers || at == FLast) return FValues[static_cast<std::size_t>(at)];
  // Positions below FFrom hold the FFrom smallest values, those above it the rest.
  const auto begin = FValues.begin();
  if (at < FFrom)
    std::nth_element(begin, begin + at, begin + FFrom);
  else
    std::nth_element(begin + FFrom, begin + at, begin + FNumbers);
  FFrom = at + 1;
  FLast = at;
  return FValues[static_cast<std::size_t>(at)];
}

double TOrderStats::Interpolated(double pos) {
  const int64_t n = Count();
  const double k = std::trunc(pos);
  if (!(k >= 1)) return At(1);  // also a NaN position
  if (k >= static_cast<double>(n)) return At(n);
  const int64_t ki = static_cast<int64_t>(k);
  const double f = pos - k;
  const double lo = At(ki);
  if (f == 0) return lo;  // v(k + 1) plays no part (an infinite one would make it NaN)
  return lo + (At(ki + 1) - lo) * f;
}

bool QuartilesRule(std::vector<double>& work, double& Q1, double& Q2, double& Q3) {
  Q1 = Q2 = Q3 = 0;
  if (work.empty()) return false;
  TOrderStats v(work);
  const double n1 = static_cast<double>(v.Count() + 1);
  Q1 = v.Interpolated(n1 * 0.25);
  Q2 = v.Interpolated(n1 * 0.5);
  Q3 = v.Interpolated(n1 * 0.75);
  return true;
}

double PercentileRule(std::vector<double>& work, double prob) {
  if (work.empty()) return 0.0;
  if (std::isnan(prob)) return prob;
  prob = std::clamp(prob, 0.0, 100.0);
  TOrderStats v(work);
  const int64_t n = v.Count();
  if (n == 1 || prob == 100) return v.At(n);
  return v.Interpolated(prob * static_cast<double>(n + 1) / 100);
}

// [SECTION] histogram

bool THistogramBins::Setup(double FirstBin, double LastBin, double BinWidth) {
  if (!std::isfinite(FirstBin) || !std::isfinite(LastBin) || !std::isfinite(BinWidth) || !(BinWidth > 0))
    return false;
  const double bins = std::fabs(LastBin - FirstBin) / BinWidth;
  if (!(bins <= 501)) return false;  // also an overflowing difference
  const int64_t ne = Round(bins);
  if (ne > 500) return false;
  First = FirstBin;
  Last = LastBin;
  Width = BinWidth;
  Count = static_cast<int>(ne);
  return true;
}

int THistogramBins::BinOf(double v) const {
  if (v != v) return -1;
  if (v < First) return 0;
  if (v >= Last + Width) return Count + 1;
  const double q = (v - First) / Width;
  if (!(q < static_cast<double>(Count))) return Count + 1;
  return static_cast<int>(q) + 1;
}

void THistogramCounter::Repeat(double v, int64_t times) {
  const int b = Bins.BinOf(v);
  for (int64_t i = 0; i < times; ++i) {
    if (b == 0) {
      ++Under;
    } else if (b > Bins.Count) {
      ++Over;
    } else if (b > 0) {
      const uint32_t n = static_cast<uint32_t>(Histo.GetVal(b)) + 1u;
      Histo.SetVal(b, static_cast<int32_t>(n));
      Most = std::max(Most, n);
    }
  }
}

}  // namespace qelta::num_detail
