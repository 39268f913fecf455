// Qelta_statis: TRandGen, random numbers of a tabulated distribution.
//
// Rejection sampling (von Neumann) under the piecewise-linear density through the bin starts: a bin a
// uniformly among 0..Resolution - 1 and a position r in it; the candidate's height is the linear
// interpolation between the values of bins a + 1 and a + 2 (the last bin falls to 0 at HighBorder);
// it is accepted when a further uniform number lies below that height. The draw order is fixed
// (Random(Resolution), Random(), and the acceptance draw only below a height of 1), so a seeded run
// repeats exactly.
// Deliberate deviation, a mended fault: IndexOfLambda divided 0 by 0 when both borders are equal; it
// answers 1 there (the bin of LowBorder).

#include <algorithm>
#include <cmath>
#include <vector>

#include "Qelta_math1.h"
#include "Qelta_statis.h"
#include "Qelta_vecmat_internal.h"
#include "Random.h"

namespace qelta {

namespace {

constexpr int kMinResolution = 10, kMaxResolution = 4000;
constexpr int kMaxTries = 100001;

}  // namespace

TRandGen::TRandGen(TComponent* AOwner) : TComponent(AOwner) {
  num_detail::GuardAlloc<EQeltaStatisError>(*this, u"not enough memory on heap",
                                        [this] { FDistVec.assign(static_cast<std::size_t>(FResolution), 1.0); });
}

// [SECTION] drawing

double TRandGen::GetRandNum() {
  const std::vector<double>& P = FDistVec;
  int a = 0;
  double r = 0;
  for (int tries = 0; tries < kMaxTries; ++tries) {
    a = Random(FResolution);
    r = Random();
    const double pa = P[static_cast<std::size_t>(a)];
    const double height = a == FResolution - 1 ? pa * (1 - r) : pa + r * (P[static_cast<std::size_t>(a) + 1] - pa);
    if (height >= 1 || height > Random()) break;
  }
  return FLowBorder + (a + r) * (FHighBorder - FLowBorder) / FResolution;
}

int TRandGen::IndexOfLambda(double Lambda) const {
  if (Lambda < FLowBorder) return 0;
  if (Lambda > FHighBorder) return FResolution + 1;
  if (FHighBorder == FLowBorder) return 1;
  return IntNeg((Lambda - FLowBorder) * FResolution / (FHighBorder - FLowBorder)) + 1;
}

// [SECTION] shaping the table

void TRandGen::Normalize() {
  const auto [lo, hi] = std::minmax_element(FDistVec.begin(), FDistVec.end());
  const double minimum = *lo, range = *hi - *lo;
  if (!(range > 0)) return;
  for (double& p : FDistVec) p = (p - minimum) / range;
}

bool TRandGen::Standardize() {
  const double maximum = *std::max_element(FDistVec.begin(), FDistVec.end());
  if (maximum == 0) return false;
  for (double& p : FDistVec) p /= maximum;
  return true;
}

template <typename Shape>
void TRandGen::Fill(Shape&& shape) {
  for (int i = 1; i <= FResolution; ++i) FDistVec[static_cast<std::size_t>(i - 1)] = shape(GetLambda(i));
}

void TRandGen::NormalDistri(double Mean, double StdDev) {
  Fill([&](double x) { return std::exp(-(x - Mean) * (x - Mean) / (2 * StdDev * StdDev)); });
}

void TRandGen::tDistri(int df) {
  Fill([df](double x) { return tDistriDensity(x, df); });
}

void TRandGen::Chi2Distri(int df) {
  Fill([df](double x) { return x < 0 ? 0.0 : Chi2DistriDensity(x, df); });
}

void TRandGen::FDistri(int df1, int df2) {
  Fill([df1, df2](double x) { return x <= 0 ? 0.0 : FDistriDensity(x, df1, df2); });
}

void TRandGen::WeibullDistri(double eta, double beta) {
  Fill([eta, beta](double x) { return WeibullDensity(x, beta, eta); });
}

void TRandGen::UniformDistri() { std::fill(FDistVec.begin(), FDistVec.end(), 1.0); }

// [SECTION] properties

void TRandGen::SetResolution(int n) {
  const int resolution = std::clamp(n, kMinResolution, kMaxResolution);
  num_detail::GuardAlloc<EQeltaStatisError>(*this, u"not enough memory",
                                        [&] { FDistVec.assign(static_cast<std::size_t>(resolution), 1.0); });
  FResolution = resolution;
}

double TRandGen::GetProbability(int bin) const {
  return bin >= 1 && bin <= FResolution ? FDistVec[static_cast<std::size_t>(bin - 1)] : 0.0;
}

void TRandGen::SetProbability(int bin, double value) {
  if (bin < 1 || bin > FResolution) return;
  FDistVec[static_cast<std::size_t>(bin - 1)] = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

double TRandGen::GetLambda(int bin) const {
  if (bin < 1) return FLowBorder;
  if (bin > FResolution) return FHighBorder;
  return FLowBorder + (FHighBorder - FLowBorder) * (bin - 1) / FResolution;
}

}  // namespace qelta
