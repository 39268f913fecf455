// Qelta_vector: statistics over a range of elements of TVector and TIntVector, and the histogram,
// standardisation and mean-centring of TVector. The rules (moments, order statistics, histogram
// bins) are those of every container (Qelta_stats_internal.h); this file applies them to a range.
//
// Deliberate deviations from the classic behaviour, each a mended fault:
//  - MeanVar, the skewness worker and Standardize take centred sums about the mean (found about the
//    first value) instead of sum of squares - sum^2 / n: the one-pass form gave -32768 as variance
//    of [1e10 + 1, 1e10 + 2, 1e10 + 3] and a negative one for [0.1, 0.1, 0.1].
//  - Quartiles and Percentile answer the largest element where the position reaches n (the classic
//    guard answered v(n - 1): the upper quartile of two values lay below their median).
//  - MinMax seeds from the first element of the range: the classic start values 1.7e308 (and
//    +-2147483647) were wrong for ranges holding larger values or -2147483648.
//  - Histogram clamps its range to the existing elements (no phantom zeros for indices outside the
//    vector) and counts the values beyond the last bin as overflow instead of nowhere; a bin width
//    that is not positive or a bound that is not finite answers false.

#include "Qelta_stats_internal.h"
#include "Qelta_vecmat_internal.h"
#include "Qelta_vector.h"

namespace qelta::num_detail {
namespace {

// The classic start values of MinMax: now only the answer of a range of NaN.
template <typename T>
constexpr T NoMinimum() {
  if constexpr (std::is_same_v<T, double>)
    return 1.7e308;
  else
    return 2147483647;
}

}  // namespace

// [SECTION] the range and its visitor

template <typename T>
template <typename Fn>
void TVectorT<T>::VisitRange(int lo, int hi, Fn&& fn) const {
  ClampSourceRange(FNElem, lo, hi);
  const T* first = FVec.data() + (lo - 1);
  const int64_t n = int64_t{hi} - lo + 1;
  fn([first, n](auto& acc) { acc.Run(first, n); }, n);
}

// [SECTION] extremes, sum, mode

template <typename T>
void TVectorT<T>::MinMax(int LowElem, int HighElem, T& Minimum, T& Maximum) const {
  Minimum = NoMinimum<T>();
  Maximum = -NoMinimum<T>();
  VisitRange(LowElem, HighElem, [&](auto visit, int64_t) {
    TExtremes<T> e;
    visit(e);
    e.Give(Minimum, Maximum);
  });
}

template <typename T>
T TVectorT<T>::Sum(int LowElem, int HighElem) const {
  ClampSourceRange(FNElem, LowElem, HighElem);
  T sum{};
  for (int i = LowElem; i <= HighElem; ++i) sum = AddElem(sum, FVec[static_cast<std::size_t>(i - 1)]);
  return sum;
}

template <typename T>
T TVectorT<T>::Mode(int LowElem, int HighElem) const {
  ClampSourceRange(FNElem, LowElem, HighElem);
  std::vector<T> work;
  GuardAlloc<EQeltaVectorError>(*this, u"not enough memory on heap",
                                [&] { work.assign(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem); });
  return ModeRule(work);
}

// [SECTION] order statistics

template <typename T>
std::vector<double> TVectorT<T>::SortWork(int lo, int hi) const {
  std::vector<double> work;
  VisitRange(lo, hi, [&](auto visit, int64_t n) { work = WorkArray<EQeltaVectorError>(*this, visit, n); });
  return work;
}

template <typename T>
bool TVectorT<T>::Quartiles(int LowElem, int HighElem, double& Q1, double& Q2, double& Q3) const {
  std::vector<double> work = SortWork(LowElem, HighElem);
  return QuartilesRule(work, Q1, Q2, Q3);
}

template <typename T>
double TVectorT<T>::Percentile(double prob, int LowElem, int HighElem) const {
  std::vector<double> work = SortWork(LowElem, HighElem);
  return PercentileRule(work, prob);
}

// [SECTION] means and moments

template <typename T>
void TVectorT<T>::MeanVar(int LowElem, int HighElem, double& Mean, double& Variance) const {
  VisitRange(LowElem, HighElem, [&](auto visit, int64_t) { MeanVarRule(CentredMoments(visit, 2), Mean, Variance); });
}

template <typename T>
double TVectorT<T>::GeometricMean(int LowElem, int HighElem) const {
  double g = 0;
  VisitRange(LowElem, HighElem, [&](auto visit, int64_t) { g = GeometricMeanRule<EQeltaVectorError>(*this, visit); });
  return g;
}

template <typename T>
double TVectorT<T>::HarmonicMean(int LowElem, int HighElem) const {
  double h = 0;
  VisitRange(LowElem, HighElem, [&](auto visit, int64_t) { h = HarmonicMeanRule<EQeltaVectorError>(*this, visit); });
  return h;
}

template <typename T>
void TVectorT<T>::SkewKurtIntern(int LowElem, int HighElem, int& n, double& Skewness, double& Kurtosis) const {
  Skewness = 0;
  Kurtosis = 0;
  VisitRange(LowElem, HighElem, [&](auto visit, int64_t count) {
    n = static_cast<int>(count);
    if (count >= 4) StandardMoments(CentredMoments(visit, 4), Skewness, Kurtosis);
  });
}

template <typename T>
void TVectorT<T>::SkewKurt(int LowElem, int HighElem, double& Skewness, double& Kurtosis) const {
  int n = 0;
  SkewKurtIntern(LowElem, HighElem, n, Skewness, Kurtosis);
}

template <typename T>
void TVectorT<T>::SkewKurtSample(int LowElem, int HighElem, double& Skewness, double& Kurtosis) const {
  int n = 0;
  SkewKurtIntern(LowElem, HighElem, n, Skewness, Kurtosis);
  if (n < 4) return;
  SampleCorrection(n, Skewness, Kurtosis);
}

#define QELTA_VECTOR_STATS(T)                                                                 \
  template void TVectorT<T>::MinMax(int, int, T&, T&) const;                                  \
  template T TVectorT<T>::Sum(int, int) const;                                                \
  template T TVectorT<T>::Mode(int, int) const;                                               \
  template bool TVectorT<T>::Quartiles(int, int, double&, double&, double&) const;            \
  template double TVectorT<T>::Percentile(double, int, int) const;                            \
  template void TVectorT<T>::MeanVar(int, int, double&, double&) const;                       \
  template double TVectorT<T>::GeometricMean(int, int) const;                                 \
  template double TVectorT<T>::HarmonicMean(int, int) const;                                  \
  template void TVectorT<T>::SkewKurt(int, int, double&, double&) const;                      \
  template void TVectorT<T>::SkewKurtSample(int, int, double&, double&) const;                \
  template void TVectorT<T>::SkewKurtIntern(int, int, int&, double&, double&) const;      \
  template std::vector<double> TVectorT<T>::SortWork(int, int) const;
QELTA_VECTOR_STATS(double)
QELTA_VECTOR_STATS(int32_t)
#undef QELTA_VECTOR_STATS

}  // namespace qelta::num_detail

namespace qelta {

// [SECTION] TVector only

bool TVector::Histogram(int FirstElem, int LastElem, double FirstBin, double LastBin, double BinWidth,
                        TIntVector* Histo, int& Underflow, int& Overflow, int& MaxCnt) const {
  // Each bound clamped to the elements, never exchanged: a reversed range counts nothing.
  const int lo = num_detail::ClampInt(FirstElem, 1, NrOfElem());
  const int hi = num_detail::ClampInt(LastElem, 1, NrOfElem());
  const double* first = Elements().data() + (lo - 1);
  const int64_t n = hi >= lo ? int64_t{hi} - lo + 1 : 0;
  return num_detail::CountHistogram([first, n](auto& acc) { acc.Run(first, n); }, FirstBin, LastBin, BinWidth, Histo,
                                Underflow, Overflow, MaxCnt);
}

void TVector::Standardize(double& mean, double& stddev) {
  double variance = 0;
  MeanVar(1, NrOfElem(), mean, variance);
  stddev = std::sqrt(variance);
  if (!(stddev > 0)) return;
  for (double& v : ElementsInPlace()) v = (v - mean) / stddev;
}

double TVector::MeanCenter() {
  double mean = 0, variance = 0;
  MeanVar(1, NrOfElem(), mean, variance);
  for (double& v : ElementsInPlace()) v -= mean;
  return mean;
}

}  // namespace qelta
