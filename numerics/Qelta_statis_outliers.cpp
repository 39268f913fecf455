// Qelta_statis: the outlier tests (Dean-Dixon, Grubbs) and the sample helpers the tests share.
//
// Dean-Dixon: Dixon's ratios r10 = (x2 - x1) / (xn - x1), r11 = (x2 - x1) / (x(n-1) - x1),
// r21 = (x3 - x1) / (x(n-1) - x1), r22 = (x3 - x1) / (x(n-2) - x1) and their mirror images on the high
// side (W. J. Dixon, Ann. Math. Statist. 22 (1951) 68-78; R. B. Dean and W. J. Dixon, Anal. Chem. 23
// (1951) 636-638), compared with the published critical values. Grubbs: the maximum normed residual
// against (n - 1) / sqrt(n) sqrt(t^2 / (n - 2 + t^2)) with t the upper alpha / (2n) quantile of t with
// n - 2 degrees of freedom (F. E. Grubbs, Technometrics 11 (1969) 1-21).
// Deliberate deviation: DeanDixonTest refuses an unknown level (its critical value -1 would make
// every sample an outlier).

#include <algorithm>
#include <cmath>
#include <vector>

#include "Qelta_statis.h"
#include "Qelta_statis_internal.h"
#include "Qelta_vector.h"

namespace qelta {

// [SECTION] samples

std::vector<double> num_detail::SampleOf(const TVector* v) {
  std::vector<double> x;
  if (v == nullptr) return x;
  x.resize(static_cast<std::size_t>(v->NrOfElem()));
  for (int i = 1; i <= v->NrOfElem(); ++i) x[static_cast<std::size_t>(i - 1)] = v->GetVal(i);
  return x;
}

void num_detail::SortSample(std::vector<double>& x) {
  std::sort(x.begin(), x.end(), [](double a, double b) { return a < b || (!std::isnan(a) && std::isnan(b)); });
}

namespace {

/// a / b, 0 for b = 0 (a ratio over a zero span).
double Ratio(double a, double b) { return b == 0 ? 0.0 : a / b; }

/// Dixon's low and high ratios of the sorted sample x (0-based, n = 3..100) by n's form.
void DixonRatios(const std::vector<double>& s, double& low, double& high) {
  const int n = static_cast<int>(s.size());
  auto x = [&s](int i) { return s[static_cast<std::size_t>(i - 1)]; };  // x(1) .. x(n)
  if (n <= 7) {
    low = Ratio(x(2) - x(1), x(n) - x(1));
    high = Ratio(x(n) - x(n - 1), x(n) - x(1));
  } else if (n <= 10) {
    low = Ratio(x(2) - x(1), x(n - 1) - x(1));
    high = Ratio(x(n) - x(n - 1), x(n) - x(2));
  } else if (n <= 13) {
    low = Ratio(x(3) - x(1), x(n - 1) - x(1));
    high = Ratio(x(n) - x(n - 2), x(n) - x(2));
  } else {
    low = Ratio(x(3) - x(1), x(n - 2) - x(1));
    high = Ratio(x(n) - x(n - 2), x(n) - x(3));
  }
}

/// Index (1-based) of the first element of data equal to v; 0 when none.
int FirstIndexOf(const std::vector<double>& data, double v) {
  for (std::size_t i = 0; i < data.size(); ++i)
    if (data[i] == v) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace

// [SECTION] Dean-Dixon

double DeanDixonCriticalValues(int n, TSignifLevelEx level) {
  if (n < 3 || n > 100 || level > Dot500) return -1.0;
  return num_detail::DeanDixonTable[static_cast<std::size_t>(n - 3)][level];
}

int DeanDixonTest(const TVector* Data, TSignifLevelEx level, double& TestValue) {
  const std::vector<double> data = num_detail::SampleOf(Data);
  const int n = static_cast<int>(data.size());
  if (n < 3) throw EQeltaStatisError(u"DeanDixonTest: number of data points is too low");
  if (n > 100) throw EQeltaStatisError(u"DeanDixonTest: number of data points is too high");
  if (level > Dot500) throw EQeltaStatisError(u"DeanDixonTest: invalid level of significance");
  std::vector<double> sorted = data;
  num_detail::SortSample(sorted);
  double low = 0, high = 0;
  DixonRatios(sorted, low, high);
  const bool lowSide = !(high > low);
  TestValue = lowSide ? low : high;
  if (!(TestValue > DeanDixonCriticalValues(n, level))) return 0;
  return FirstIndexOf(data, lowSide ? sorted.front() : sorted.back());
}

// [SECTION] Grubbs

double GrubbsCriticalValues(int n, double alpha, bool TwoSided) {
  if (!(alpha > 0 && alpha < 1) || n <= 2) return -1.0;
  const double tail = TwoSided ? alpha / (2.0 * n) : alpha / n;
  const double t = tDistriQuantile(1 - tail, n - 2), t2 = t * t;
  return (n - 1) / std::sqrt(static_cast<double>(n)) * std::sqrt(t2 / (n - 2 + t2));
}

int GrubbsTest(const TVector* Data, double alpha, double& TestValue) {
  if (!(alpha > 0 && alpha < 1)) throw EQeltaStatisError(u"GrubbsTest: invalid level of significance");
  const int n = Data == nullptr ? 0 : Data->NrOfElem();
  if (n <= 3) throw EQeltaStatisError(u"GrubbsTest: number of data points is too low");
  double mean = 0, variance = 0;
  Data->MeanVar(1, n, mean, variance);
  const double s = std::sqrt(variance);
  TestValue = 0;
  if (!(s > 0)) return 0;
  int index = 0;
  for (int i = 1; i <= n; ++i) {
    const double g = std::fabs(Data->GetVal(i) - mean) / s;
    if (g > TestValue) {
      TestValue = g;
      index = i;
    }
  }
  return TestValue > GrubbsCriticalValues(n, alpha, true) ? index : 0;
}

}  // namespace qelta
