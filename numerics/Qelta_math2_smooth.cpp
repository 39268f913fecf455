// Qelta_math2: smoothing and derivatives of a stretch of a vector by symmetric windows.
//
// Filters at centre d (x the source, m = Len div 2):
//   moving average   (x(d-m) + ... + x(d+m)) / Len
//   weighted average sum_{i=-m..m} (m + 1 - |i|) x(d+i) / (m + 1)^2    (= * 4 / (Len + 1)^2)
//   polynomial       (c_0 x(d) + sum_{i=1..m} c_i (x(d+i) + x(d-i))) / nrm,
//                    c_i = 3m^2 + 3m - 1 - 5i^2, nrm = (2m + 3)(2m + 1)(2m - 1) / 3
//   second deriv.    the same form with c_i = 3i^2 - m(m + 1), nrm = sum_{i=1..m} c_i i^2
//   first deriv.     sum_{e=-m..m} e x(d+e) / nrm, nrm = m(m + 1)(2m + 1) / 3
// The Savitzky-Golay rows are the least-squares fits of a quadratic (cubic) polynomial, its first
// and its second derivative at the centre (A. Savitzky, M. J. E. Golay, Anal. Chem. 36 (1964) 1627;
// the closed forms in P. A. Gorry, Anal. Chem. 62 (1990) 570), reduced to lowest terms:
// Len 5: 17, 12, -3 / 35 and -2, -1, 2 / 7; Len 25: 467, 462, ..., -253 / 5175 and -52, ..., 92 / 26910.
// Decision on a fault: the source stretch is copied before anything is written, so a vector passed
// as both SourceVec and DestVec no longer feeds values already smoothed into later windows.

#include <numeric>

#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

namespace num_detail {

std::vector<int64_t> SavitzkyGolayRow(TSavitzkyGolay kind, int Len) {
  if (Len < 3 || Len > 25 || Len % 2 == 0) return {};
  const int64_t m = Len / 2;
  std::vector<int64_t> row(static_cast<std::size_t>(m + 2));
  for (int64_t i = 0; i <= m; ++i) {
    int64_t c = i;  // first derivative
    if (kind == sgPolynomial) c = 3 * m * m + 3 * m - 1 - 5 * i * i;
    if (kind == sgSecondDeriv) c = 3 * i * i - m * (m + 1);
    row[static_cast<std::size_t>(i + 1)] = c;
  }
  if (kind == sgPolynomial) row[0] = (2 * m + 3) * (2 * m + 1) * (2 * m - 1) / 3;
  if (kind == sgFirstDeriv) row[0] = m * (m + 1) * (2 * m + 1) / 3;
  if (kind == sgSecondDeriv)
    for (int64_t i = 1; i <= m; ++i) row[0] += row[static_cast<std::size_t>(i + 1)] * i * i;
  int64_t g = 0;
  for (int64_t c : row) g = std::gcd(g, c);
  for (int64_t& c : row) c /= g;
  return row;
}

}  // namespace num_detail

namespace {

/// What tells the five routines apart: their name, texts, length bounds and weights.
struct TSmoother {
  const char16_t* Name;
  const char16_t* RangeText;  ///< the message of a range shorter than the window
  const char16_t* Window;     ///< "smoothing window" or "polynomial"
  int MinLen, MaxLen;
  /// Weight of x(d + j) for j = -m..m at index j + m, and the normaliser.
  void (*Weights)(int m, std::vector<double>& w, double& nrm);
  /// Symmetric weights: the pairs x(d + i) + x(d - i) are summed first.
  bool Paired;
};

void AverageWeights(int m, std::vector<double>& w, double& nrm) {
  w.assign(static_cast<std::size_t>(2 * m + 1), 1.0);
  nrm = 2.0 * m + 1;
}

void TriangleWeights(int m, std::vector<double>& w, double& nrm) {
  w.resize(static_cast<std::size_t>(2 * m + 1));
  for (int j = -m; j <= m; ++j) w[static_cast<std::size_t>(j + m)] = m + 1 - std::abs(j);
  nrm = (m + 1.0) * (m + 1.0);
}

template <num_detail::TSavitzkyGolay Kind>
void GolayWeights(int m, std::vector<double>& w, double& nrm) {
  const std::vector<int64_t> row = num_detail::SavitzkyGolayRow(Kind, 2 * m + 1);
  w.resize(static_cast<std::size_t>(2 * m + 1));
  for (int j = -m; j <= m; ++j) {
    const auto c = static_cast<double>(row[static_cast<std::size_t>(std::abs(j) + 1)]);
    w[static_cast<std::size_t>(j + m)] = Kind == num_detail::sgFirstDeriv && j < 0 ? -c : c;
  }
  nrm = static_cast<double>(row[0]);
}

#define QELTA_SMOOTH_RANGE u"specified range for smoothing is smaller than the length of the "
// clang-format off
const TSmoother kMovingAverage{u"MovingAverageSmooth", QELTA_SMOOTH_RANGE u"smoothing windows", u"smoothing window",
                               3, 2147483647, AverageWeights, false};
const TSmoother kWeightedAverage{u"WeightedAverageSmooth", QELTA_SMOOTH_RANGE u"smoothing windows", u"smoothing window",
                                 3, 2147483647, TriangleWeights, false};
const TSmoother kPolynomial{u"PolynomialSmooth", QELTA_SMOOTH_RANGE u"polynomial", u"polynomial",
                            5, 25, GolayWeights<num_detail::sgPolynomial>, true};
const TSmoother kFirstDeriv{u"FirstDeriv", u"specified range for calculation is smaller than the length of the polynomial",
                            u"polynomial", 5, 25, GolayWeights<num_detail::sgFirstDeriv>, false};
const TSmoother kSecondDeriv{u"SecondDeriv", QELTA_SMOOTH_RANGE u"polynomial", u"polynomial",
                             5, 25, GolayWeights<num_detail::sgSecondDeriv>, true};
// clang-format on
#undef QELTA_SMOOTH_RANGE

[[noreturn]] void Refuse(const TSmoother& s, const String& text) { throw EQeltaMath2Error(String(s.Name) + u": " + text); }

/// The checks in their order; lo and hi become the valid range.
void Check(const TSmoother& s, const TVector* src, const TVector* dst, int& lo, int& hi, int Len) {
  if (src == nullptr || dst == nullptr) Refuse(s, u"either SourceVec or DestVec is undefined");
  lo = num_detail::ClampInt(lo, 1, src->NrOfElem());
  hi = num_detail::ClampInt(hi, 1, src->NrOfElem());
  if (hi < lo) std::swap(lo, hi);
  if (hi - lo < Len) Refuse(s, s.RangeText);
  if (Len < s.MinLen || Len > s.MaxLen) Refuse(s, u"length of " + String(s.Window) + u" is out of range");
  if (Len % 2 == 0) Refuse(s, u"length of " + String(s.Window) + u" must be odd");
}

/// Filter value at local centre i of x: the symmetric weights pair x(i + j) with x(i - j) first.
double FilterAt(const std::vector<double>& x, int i, int m, const std::vector<double>& w, bool symmetric) {
  double acc = 0;
  if (symmetric) {
    acc = w[static_cast<std::size_t>(m)] * x[static_cast<std::size_t>(i)];
    for (int j = 1; j <= m; ++j)
      acc += w[static_cast<std::size_t>(m + j)] * (x[static_cast<std::size_t>(i + j)] + x[static_cast<std::size_t>(i - j)]);
  } else {
    for (int j = -m; j <= m; ++j) acc += w[static_cast<std::size_t>(j + m)] * x[static_cast<std::size_t>(i + j)];
  }
  return acc;
}

void Smooth(const TSmoother& s, const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len) {
  int lo = FirstIx, hi = LastIx;
  Check(s, SourceVec, DestVec, lo, hi, Len);
  const int m = Len / 2, n = hi - lo + 1;
  std::vector<double> w, x(static_cast<std::size_t>(n));
  double nrm = 1;
  s.Weights(m, w, nrm);
  for (int i = 0; i < n; ++i) x[static_cast<std::size_t>(i)] = SourceVec->GetVal(lo + i);
  num_detail::WriteQuietly(*DestVec, [&] {
    for (int i = m; i < n - m; ++i) DestVec->SetVal(i + 1, FilterAt(x, i, m, w, s.Paired) / nrm);
    const double first = DestVec->GetVal(m + 1), last = DestVec->GetVal(n - m);
    for (int p = 1; p <= m; ++p) DestVec->SetVal(p, first);
    for (int p = n - m + 1; p <= n; ++p) DestVec->SetVal(p, last);
  });
}

}  // namespace

void MovingAverageSmooth(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len) {
  Smooth(kMovingAverage, SourceVec, FirstIx, LastIx, DestVec, Len);
}

void WeightedAverageSmooth(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len) {
  Smooth(kWeightedAverage, SourceVec, FirstIx, LastIx, DestVec, Len);
}

void PolynomialSmooth(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len) {
  Smooth(kPolynomial, SourceVec, FirstIx, LastIx, DestVec, Len);
}

void FirstDeriv(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len) {
  Smooth(kFirstDeriv, SourceVec, FirstIx, LastIx, DestVec, Len);
}

void SecondDeriv(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len) {
  Smooth(kSecondDeriv, SourceVec, FirstIx, LastIx, DestVec, Len);
}

}  // namespace qelta
