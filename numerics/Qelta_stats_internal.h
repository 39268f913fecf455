#pragma once
// Not part of the public interface: the rules of the descriptive statistics that every container of
// the numerics applies alike (vectors, matrices, the four-dimensional array, the data table, the curve
// fitter): centred moments with the variance rule, skewness and kurtosis, order statistics with the
// quartile and percentile interpolation, the mode, and the histogram bins.
//
// A sample reaches these rules through a visitor: a callable taking an accumulator `acc` and feeding
// it the values in a fixed order with acc.Run(p, n) (n contiguous values of any arithmetic type) and
// acc.Repeat(x, times) (one value occurring `times` times, e.g. the unstored zeros of a sparse matrix).
// Moment rules call the visitor twice.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Qelta_vecmat_internal.h"
#include "Qelta_vector.h"

namespace qelta::num_detail {

// [SECTION] moments

/// Centred sums of a sample. The centre is the first value plus the mean of the differences from it,
/// so a constant sample has its value as centre and every centred sum exactly 0, and a large common
/// offset costs no digits; Mean adds the mean of the remaining deviations (D1 / N) to the centre.
struct TMoments {
  int64_t N = 0;
  double Mean = 0;
  double D1 = 0, D2 = 0, D3 = 0, D4 = 0;  ///< sums of (x - centre)^k; D3, D4 only when asked for
};

/// First pass: the count, the shift (the first value) and the sum of the differences from it.
struct TShiftedSum {
  int64_t N = 0;
  double Shift = 0;
  double Sum = 0;

  template <typename T>
  void Run(const T* p, int64_t n) {
    if (n <= 0) return;
    if (N == 0) Shift = static_cast<double>(p[0]);
    double s[4] = {0, 0, 0, 0};  // four lanes keep the adder busy
    int64_t i = 0;
    for (; i + 4 <= n; i += 4)
      for (int k = 0; k < 4; ++k) s[k] += static_cast<double>(p[i + k]) - Shift;
    for (; i < n; ++i) s[0] += static_cast<double>(p[i]) - Shift;
    Sum += (s[0] + s[1]) + (s[2] + s[3]);
    N += n;
  }
  void Repeat(double x, int64_t times) {
    if (times <= 0) return;
    if (N == 0) Shift = x;
    Sum += static_cast<double>(times) * (x - Shift);
    N += times;
  }
  double Mean() const { return N > 0 ? Shift + Sum / static_cast<double>(N) : 0.0; }
};

/// Second pass: sums of the powers 1..Powers (2 or 4) of the differences from a mean.
struct TCentredSums {
  double Mean = 0;
  int Powers = 2;
  double D[4] = {0, 0, 0, 0};

  template <typename T>
  void Run(const T* p, int64_t n) {
    if (Powers <= 2) {
      double s1[2] = {0, 0}, s2[2] = {0, 0};
      int64_t i = 0;
      for (; i + 2 <= n; i += 2)
        for (int k = 0; k < 2; ++k) {
          const double d = static_cast<double>(p[i + k]) - Mean;
          s1[k] += d;
          s2[k] += d * d;
        }
      for (; i < n; ++i) {
        const double d = static_cast<double>(p[i]) - Mean;
        s1[0] += d;
        s2[0] += d * d;
      }
      D[0] += s1[0] + s1[1];
      D[1] += s2[0] + s2[1];
      return;
    }
    for (int64_t i = 0; i < n; ++i) Repeat(static_cast<double>(p[i]), 1);
  }
  void Repeat(double x, int64_t times) {
    if (times <= 0) return;
    const double d = x - Mean, t = static_cast<double>(times);
    D[0] += t * d;
    D[1] += t * d * d;
    if (Powers > 2) {
      D[2] += t * d * d * d;
      D[3] += t * d * d * d * d;
    }
  }
};

/// The centred sums of the sample that `visit` feeds (powers 2: D1, D2; 4: also D3, D4).
template <typename Visit>
TMoments CentredMoments(Visit&& visit, int powers) {
  TShiftedSum first;
  visit(first);
  TCentredSums second;
  second.Mean = first.Mean();
  second.Powers = powers;
  if (first.N == 0) return TMoments{};
  visit(second);
  const double mean = second.Mean + second.D[0] / static_cast<double>(first.N);
  return TMoments{first.N, mean, second.D[0], second.D[1], second.D[2], second.D[3]};
}

/// Sums of a paired sample (x, y): first pass the shifted sums, second the centred ones. The visitor
/// of a paired sample calls acc.Pair(x, y) for every pair, in a fixed order; it is called twice.
struct TPairSums {
  int64_t N = 0;
  double ShiftX = 0, ShiftY = 0;
  double X = 0, Y = 0, XX = 0, YY = 0, XY = 0;
  bool Centred = false;
  void Pair(double x, double y) {
    if (!Centred && N == 0) {
      ShiftX = x;
      ShiftY = y;
    }
    const double dx = x - ShiftX, dy = y - ShiftY;
    X += dx;
    Y += dy;
    if (Centred) {
      XX += dx * dx;
      YY += dy * dy;
      XY += dx * dy;
    }
    ++N;
  }
};

/// The correlation rule (Pearson): 0 unless n > 2 and both centred sums of squares are above 0;
/// otherwise sxy / (sqrt(sxx) sqrt(syy)) with sxx = sum dx^2 - (sum dx)^2 / n, syy and
/// sxy = sum dx dy - sum dx sum dy / n about the means.
template <typename Visit>
double CorrelationRule(Visit&& visit) {
  TPairSums first;
  visit(first);
  if (first.N < 3) return 0.0;
  const double n = static_cast<double>(first.N);
  TPairSums second;
  second.Centred = true;
  second.ShiftX = first.ShiftX + first.X / n;
  second.ShiftY = first.ShiftY + first.Y / n;
  visit(second);
  const double sxx = second.XX - second.X * second.X / n;
  const double syy = second.YY - second.Y * second.Y / n;
  if (!(sxx > 0) || !(syy > 0)) return 0.0;
  return (second.XY - second.X * second.Y / n) / (std::sqrt(sxx) * std::sqrt(syy));
}

/// Sample variance (D2 - D1^2 / N) / (N - 1), never below 0; 0 for fewer than two values.
double SampleVariance(const TMoments& m);
/// Population variance (D2 - D1^2 / N) / N, never below 0; 0 for an empty sample.
double PopulationVariance(const TMoments& m);
/// The MeanVar rule: Mean; Variance the sample variance for three values or more, else 1.0 (an
/// empty sample: mean 0, variance 1.0).
void MeanVarRule(const TMoments& m, double& Mean, double& Variance);
/// Moments over the sample standard deviation s (moments with D3, D4): when N >= 2 and s is not 0,
/// Skewness := D3 / N / s^3, Kurtosis := D4 / N / s^4 - 3 and true; otherwise false, outputs untouched.
bool StandardMoments(const TMoments& m, double& Skewness, double& Kurtosis);
/// The bias correction of SkewKurtSample applied to the population values g and k of n values
/// (n >= 4): Kurtosis := (k + 3) n^2 (n + 1) / ((n - 1)(n - 2)(n - 3)) - 3 (n - 1)^2 / ((n - 2)(n - 3)),
/// Skewness := n^2 g / ((n - 1)(n - 2)).
void SampleCorrection(int64_t n, double& Skewness, double& Kurtosis);

/// Accumulator base that takes runs value by value; D supplies Repeat(x, times).
template <typename D>
struct TValueByValue {
  template <typename T>
  void Run(const T* p, int64_t n) {
    for (int64_t i = 0; i < n; ++i) static_cast<D*>(this)->Repeat(static_cast<double>(p[i]), 1);
  }
};

/// Collects a sample as doubles in visiting order.
struct TCollect : TValueByValue<TCollect> {
  std::vector<double> Out;
  void Repeat(double x, int64_t times) { Out.insert(Out.end(), static_cast<std::size_t>(times), x); }
};

/// The sample as doubles in visiting order (the work array of the order statistics). Raises
/// std::bad_alloc when it does not fit.
template <typename Visit>
std::vector<double> CollectSample(Visit&& visit, int64_t expected) {
  TCollect c;
  c.Out.reserve(static_cast<std::size_t>(std::max<int64_t>(expected, 0)));
  visit(c);
  return std::move(c.Out);
}

/// CollectSample of n values for a container: E "Component "<owner>": not enough memory on heap" when
/// the work array does not fit.
template <typename E, typename Visit>
std::vector<double> WorkArray(const TComponent& owner, Visit&& visit, int64_t n) {
  std::vector<double> work;
  GuardAlloc<E>(owner, u"not enough memory on heap", [&] { work = CollectSample(visit, n); });
  return work;
}

// [SECTION] means of positive samples

/// Sum of logarithms of a sample, noting zero and negative values.
struct TLogSum : TValueByValue<TLogSum> {
  int64_t N = 0;
  int64_t Positive = 0;  ///< values above 0
  double Sum = 0;
  bool Zero = false, Negative = false;
  void Repeat(double x, int64_t times) {
    if (times <= 0) return;
    if (x < 0) Negative = true;
    if (x == 0) Zero = true;
    if (x > 0) Positive += times;
    if (x > 0 || x != x) Sum += static_cast<double>(times) * std::log(x);
    N += times;
  }
};

/// Sum of reciprocals of a sample, noting values <= 0.
struct TReciprocalSum : TValueByValue<TReciprocalSum> {
  int64_t N = 0;
  double Sum = 0;
  bool Refused = false;
  void Repeat(double x, int64_t times) {
    if (times <= 0) return;
    if (x <= 0) Refused = true;
    Sum += static_cast<double>(times) / x;
    N += times;
  }
};

/// The GeometricMean rule: a negative value raises E "Component "<owner>": negative argument passed to
/// GeometricMean" (every value is looked at); a zero value makes the result 0; otherwise
/// exp(sum of ln x / n). An empty sample answers 0. Positive (when given) receives the number of
/// values above 0.
template <typename E, typename Visit>
double GeometricMeanRule(const TComponent& owner, Visit&& visit, int64_t* Positive = nullptr) {
  TLogSum logs;
  visit(logs);
  if (Positive != nullptr) *Positive = logs.Positive;
  if (logs.Negative) throw E(ComponentText(owner, u"negative argument passed to GeometricMean"));
  if (logs.Zero || logs.N == 0) return 0.0;
  return std::exp(logs.Sum / static_cast<double>(logs.N));
}

/// The HarmonicMean rule: a value <= 0 raises E "Component "<owner>": negative or zero argument passed
/// to HarmonicMean"; otherwise n / (sum of 1/x). An empty sample answers 0. Count (when given)
/// receives n.
template <typename E, typename Visit>
double HarmonicMeanRule(const TComponent& owner, Visit&& visit, int64_t* Count = nullptr) {
  TReciprocalSum r;
  visit(r);
  if (Count != nullptr) *Count = r.N;
  if (r.Refused) throw E(ComponentText(owner, u"negative or zero argument passed to HarmonicMean"));
  return r.N == 0 ? 0.0 : static_cast<double>(r.N) / r.Sum;
}

// [SECTION] order statistics

/// Order statistics of a work array, found by selection instead of a full sort (the answer is that of
/// the sorted array): NaN values are moved behind the numbers and rank above them.
class TOrderStats {
 public:
  /// Takes the work array (reordered in place; it must outlive this object).
  explicit TOrderStats(std::vector<double>& values);
  int64_t Count() const { return static_cast<int64_t>(FValues.size()); }
  /// v(i), the i-th smallest value (1 <= i <= Count); cheapest when calls come in non-decreasing i.
  double At(int64_t i);
  /// The interpolation of the quartiles and percentiles at position pos = (n + 1) p: k := Trunc(pos),
  /// f := Frac(pos); k = 0 answers v(1); k >= n answers v(n); otherwise v(k) + (v(k + 1) - v(k)) f.
  double Interpolated(double pos);

 private:
  std::vector<double>& FValues;
  int64_t FNumbers = 0;  ///< values before the NaN block
  int64_t FFrom = 0;     ///< positions below are placed
  int64_t FLast = -1;    ///< position placed last
};

/// The Quartiles rule on a work array: false with Q1 = Q2 = Q3 = 0 when it is empty; one value gives
/// it thrice; otherwise positions (n + 1) * 0.25, 0.5, 0.75 by TOrderStats::Interpolated.
bool QuartilesRule(std::vector<double>& work, double& Q1, double& Q2, double& Q3);
/// The Percentile rule (prob in percent, clamped to 0..100; NaN answers NaN): 0.0 for an empty array,
/// the value for one, the largest for prob 100, else the interpolation at prob (n + 1) / 100.
double PercentileRule(std::vector<double>& work, double prob);
/// The Mode rule on a work array (sorted in place, NaN last): the value of the first longest run of
/// equal values, that is the smallest of equally frequent values; the smallest value when no two are
/// equal. The array must not be empty.
template <typename T>
T ModeRule(std::vector<T>& work) {
  auto numbers = std::partition(work.begin(), work.end(), [](T v) { return v == v; });
  std::sort(work.begin(), numbers);
  std::size_t best = 0, bestRun = 0, run = 0;
  for (std::size_t i = 1; i < work.size(); ++i) {
    run = work[i] == work[i - 1] ? run + 1 : 0;
    if (run > bestRun) {
      bestRun = run;
      best = i;
    }
  }
  return work[best];
}

// [SECTION] histogram

/// The bins of a histogram: Count bins of Width from First; values at or above First + Count * Width
/// are overflow, like those at or above Last + Width.
struct THistogramBins {
  double First = 0;
  double Last = 0;
  double Width = 1;
  int Count = 0;

  /// Count := |LastBin - FirstBin| / BinWidth rounded (halves to even). False for a width <= 0, a
  /// bound or width that is not finite, or more than 500 bins.
  bool Setup(double FirstBin, double LastBin, double BinWidth);
  /// 0 underflow, 1..Count the bin, Count + 1 overflow, -1 for NaN (counted nowhere).
  int BinOf(double v) const;
};

/// Counts values into the bins of a histogram vector (counters wrap like 32-bit registers).
struct THistogramCounter : TValueByValue<THistogramCounter> {
  const THistogramBins& Bins;
  TIntVector& Histo;
  uint32_t Under = 0, Over = 0, Most = 0;
  THistogramCounter(const THistogramBins& bins, TIntVector& histo) : Bins(bins), Histo(histo) {}
  void Repeat(double v, int64_t times);
};

/// Counts the values that `visit` feeds into Histo by the histogram rules: Histo resized to the bin
/// count when it differs (a count of 0 keeps its size) and cleared; each value in a bin increments that
/// element through SetVal; Underflow, Overflow, MaxCnt as described. False (nothing changed) when the
/// bins are refused or Histo is nil.
template <typename Visit>
bool CountHistogram(Visit&& visit, double FirstBin, double LastBin, double BinWidth, TIntVector* Histo,
                    int& Underflow, int& Overflow, int& MaxCnt) {
  THistogramBins bins;
  if (Histo == nullptr || !bins.Setup(FirstBin, LastBin, BinWidth)) return false;
  if (Histo->NrOfElem() != bins.Count) Histo->Resize(bins.Count);
  Histo->Clear();
  THistogramCounter counter(bins, *Histo);
  visit(counter);
  Underflow = static_cast<int>(counter.Under);
  Overflow = static_cast<int>(counter.Over);
  MaxCnt = static_cast<int>(counter.Most);
  return true;
}

}  // namespace qelta::num_detail
