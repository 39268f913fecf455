// Qelta_math2: TCurveFit's points, running sums and the statistics taken from them.
//
// The sums are extended floats. A point's terms are computed once from x and y (two divisions, the
// other reciprocals and quotients as products of them; the logarithms in double, summed in extended
// precision), so removing a point subtracts exactly what entering added. Guarded terms: |v| <= 1e-30
// counts as zero, its reciprocal as M = 1.7e38, its square as M^2; see TCurveFit in Qelta_math2.h.
// The store is a 2-column TMatrix written and read through its storage (it has no event handler);
// its capacity doubles when full, at least by 1000 rows, so entering is amortised O(1).
// Left open and decided: the circular mean of an empty column, or of angles whose cosine sum is
// exactly 0, follows the signs of the sums (90 or 270, 0 when both are 0); an analysis of variance
// with 0 degrees of freedom has mean squares 0.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "Qelta_univconst.h"

namespace qelta {

namespace {

using E = Extended;
using num_detail::TMatrixAccess;

constexpr int kStoreStep = 1000;
constexpr double kDegree = 3.14159265358979323846 / 180;

bool IsZero(double v) { return std::fabs(v) <= 1e-30; }

}  // namespace

// [SECTION] lifecycle and points

TCurveFit::TCurveFit(TComponent* AOwner) : TComponent(AOwner), FData(std::make_unique<TMatrix>(nullptr)) {
  FData->Resize(2, kStoreStep);
  Init();
}

void TCurveFit::Init() {
  S = TSums{};
  FNumData = 0;
  FPSplineFQ = 0;
  FData->Fill(0);
  FMinX = FMinY = 1.7e308;
  FMaxX = FMaxY = -1.7e308;
  FErrIndic = {};
  InvalidateCaches();
}

void TCurveFit::InvalidateCaches() { FSplineValid = FPenSplineValid = FKendallValid = false; }

const double* TCurveFit::Column(int c) const {
  return TMatrixAccess::Data(*FData) + static_cast<int64_t>(c - 1) * TMatrixAccess::Stride(*FData);
}

void TCurveFit::EnterStatValue(double x, double y) {
  const int rows = FData->NrOfRows();
  if (FNumData >= rows) {
    if (rows == INT_MAX) throw EQeltaMath2Error(u"EnterStatValue: not enough memory");
    FData->Resize(2, static_cast<int>(std::min<int64_t>(INT_MAX, static_cast<int64_t>(rows) + std::max(rows, kStoreStep))));
  }
  AdjustSums(x, y, +1);
  TMatrixAccess::Column(*FData, 1)[FNumData] = x;
  TMatrixAccess::Column(*FData, 2)[FNumData] = y;
  ++FNumData;
  InvalidateCaches();
}

void TCurveFit::RemoveStatValue(int ix) {
  InvalidateCaches();
  if (ix < 1 || ix > FNumData) return;
  AdjustSums(GetDataX(ix), GetDataY(ix), -1);
  for (int c = 1; c <= 2; ++c) {
    double* col = TMatrixAccess::Column(*FData, c);
    std::memmove(col + ix - 1, col + ix, sizeof(double) * static_cast<std::size_t>(FNumData - ix));
    col[FNumData - 1] = 0;
  }
  --FNumData;
}

double TCurveFit::GetDataX(int ix) const { return ix >= 1 && ix <= FNumData ? Column(1)[ix - 1] : 0.0; }
double TCurveFit::GetDataY(int ix) const { return ix >= 1 && ix <= FNumData ? Column(2)[ix - 1] : 0.0; }

// [SECTION] running sums

void TCurveFit::AdjustSums(double x, double y, int sign) {
  if (sign > 0) {
    if (x < FMinX) FMinX = x;
    if (x > FMaxX) FMaxX = x;
    if (y < FMinY) FMinY = y;
    if (y > FMaxY) FMaxY = y;
    FErrIndic |= AddTerms<+1>(x, y);
  } else {
    AddTerms<-1>(x, y);
  }
}

template <int Sign>
Set<TCurveFitError> TCurveFit::AddTerms(double x, double y) {
  const auto add = [](Extended& sum, Extended term) {
    if constexpr (Sign > 0) sum += term;
    else sum -= term;
  };
  Set<TCurveFitError> marks;
  const E ex = x, ey = y, xx = ex * ex, yy = ey * ey, diff = ex - ey, M = uc_MaxReal;
  add(S.sumx, ex);
  add(S.sumy, ey);
  add(S.sumxq, xx);
  add(S.sumyq, yy);
  add(S.sumDiff, diff);
  add(S.SumDiffq, diff * diff);
  add(S.sumxy, ex * ey);
  add(S.sumx2y, xx * ey);
  add(S.sumxy2, ex * yy);
  add(S.sumx3, xx * ex);
  add(S.sumy3, yy * ey);
  add(S.sumx4, xx * xx);
  add(S.sumy4, yy * yy);
  const bool xZero = IsZero(x), yZero = IsZero(y);
  const E rx = xZero ? 0 : 1 / ex, ry = yZero ? 0 : 1 / ey;
  if (yZero) {
    add(S.sum1byy, M);
    add(S.sum1byyq, M * M);
    add(S.sumxbyy, ex * M);
    add(S.sum1byxy, xZero ? M : M * rx);
    marks.Include(cfeYEQ0);
  } else {
    add(S.sum1byy, ry);
    add(S.sum1byyq, ry * ry);
    add(S.sumxbyy, ex * ry);
    add(S.sum1byxy, xZero ? M * ry : rx * ry);
  }
  if (xZero) {
    add(S.sum1byx, M);
    add(S.sum1byxq, M * M);
    add(S.sumybyx, ey * M);
    marks.Include(cfeXEQ0);
  } else {
    add(S.sum1byx, rx);
    add(S.sum1byxq, rx * rx);
    add(S.sumybyx, ey * rx);
  }
  const E lny = y > 0 ? std::log(y) : 0;
  if (x > 0) {
    const E lnx = std::log(x);
    add(S.sumlnx, lnx);
    add(S.sumlnxq, lnx * lnx);
    add(S.sumylnx, ey * lnx);
    add(S.sumxlnx, ex * lnx);
    if (y != 0) add(S.sumlnxbyy, lnx / ey);
    else marks.Include(cfeYEQ0);
    if (y > 0) add(S.sumlnxlny, lnx * lny);
  } else {
    marks.Include(cfeXLE0);
  }
  if (y > 0) {
    add(S.sumlny, lny);
    add(S.sumlnyq, lny * lny);
    add(S.sumxlny, ex * lny);
    add(S.sumxqlny, xx * lny);
  } else {
    marks.Include(cfeYLE0);
  }
  return marks;
}

// [SECTION] statistics from the sums

double TCurveFit::GetMeanX() const { return FNumData > 0 ? static_cast<double>(S.sumx / FNumData) : 0.0; }
double TCurveFit::GetMeanY() const { return FNumData > 0 ? static_cast<double>(S.sumy / FNumData) : 0.0; }
double TCurveFit::GetMeanDiff() const { return FNumData > 0 ? static_cast<double>(S.sumDiff / FNumData) : 0.0; }

double TCurveFit::StdDevOf(Extended sum, Extended sumq) const {
  if (FNumData < 3) return 0.0;
  const E n = FNumData;
  return static_cast<double>(std::sqrt(std::fabs((sumq - sum * sum / n) / (n - 1))));
}

double TCurveFit::GetStdDevX() const { return StdDevOf(S.sumx, S.sumxq); }
double TCurveFit::GetStdDevY() const { return StdDevOf(S.sumy, S.sumyq); }
double TCurveFit::GetStdDevDiff() const { return StdDevOf(S.sumDiff, S.SumDiffq); }

double TCurveFit::GetRxy() const {
  return num_detail::CorrelationOfSums(FNumData, S.sumx, S.sumy, S.sumxq, S.sumyq, S.sumxy);
}

void TCurveFit::CalcStatistics(int& NumData, double& MeanX, double& MeanY, double& StdevX, double& StdevY,
                               double& MeanDiff, double& StdevDiff, double& rxy) const {
  NumData = FNumData;
  MeanX = GetMeanX();
  MeanY = GetMeanY();
  MeanDiff = GetMeanDiff();
  StdevX = GetStdDevX();
  StdevY = GetStdDevY();
  StdevDiff = GetStdDevDiff();
  rxy = GetRxy();
}

// [SECTION] statistics from the stored points

bool TCurveFit::QuartilesX(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0;
  return FNumData > 0 && FData->Quartiles(1, 1, 1, FNumData, q1, q2, q3);
}

bool TCurveFit::QuartilesY(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0;
  return FNumData > 0 && FData->Quartiles(2, 1, 2, FNumData, q1, q2, q3);
}

namespace {

/// Sample skewness (first) and kurtosis of column c, rows 1..n; 0 and 0 without rows.
std::pair<double, double> SampleMoments(const TMatrix& data, int c, int n) {
  double skew = 0, kurt = 0;
  if (n > 0) data.SkewKurtSample(c, 1, c, n, skew, kurt);
  return {skew, kurt};
}

}  // namespace

double TCurveFit::GetSkewnessX() const { return SampleMoments(*FData, 1, FNumData).first; }
double TCurveFit::GetSkewnessY() const { return SampleMoments(*FData, 2, FNumData).first; }
double TCurveFit::GetKurtosisX() const { return SampleMoments(*FData, 1, FNumData).second; }
double TCurveFit::GetKurtosisY() const { return SampleMoments(*FData, 2, FNumData).second; }

double TCurveFit::MeanDegrees(int c) const {
  E sines = 0, cosines = 0;
  const double* v = Column(c);
  for (int i = 0; i < FNumData; ++i) {
    sines += std::sin(v[i] * kDegree);
    cosines += std::cos(v[i] * kDegree);
  }
  if (cosines == 0) return sines > 0 ? 90.0 : sines < 0 ? 270.0 : 0.0;
  const double e = static_cast<double>(std::atan(sines / cosines)) / kDegree;
  if (cosines < 0) return e + 180;
  return sines < 0 ? e + 360 : e;
}

double TCurveFit::GetMeanXDegrees() const { return MeanDegrees(1); }
double TCurveFit::GetMeanYDegrees() const { return MeanDegrees(2); }

// [SECTION] circle fit and analysis of variance

void TCurveFit::CalcCircleFit(double& r, double& dx, double& dy) const {
  r = dx = dy = 0;
  if (FNumData <= 2) throw EQeltaMath2Error(u"CalcCircleFit: not enough data points");
  const E n = FNumData;
  const E b = S.sumy * S.sumy - n * S.sumyq, c = S.sumx * S.sumx - n * S.sumxq, s = n * S.sumxy - S.sumx * S.sumy;
  const E D = b * c - s * s;
  if (D == 0) throw EQeltaMath2Error(u"CalcCircleFit: radius is infinite");
  const E q = S.sumxq + S.sumyq;
  const E A = q * S.sumy - (S.sumx2y + S.sumy3) * n, B = q * S.sumx - (S.sumxy2 + S.sumx3) * n;
  const E cx = (s * A + b * B) / 2 / D, cy = (s * B + c * A) / 2 / D;
  dx = static_cast<double>(cx);
  dy = static_cast<double>(cy);
  r = static_cast<double>(std::sqrt(((cx * cx + cy * cy) * n + q - 2 * (S.sumx * cx + S.sumy * cy)) / n));
}

void TCurveFit::CalcAnovaReg(int NumVars, bool IncludeConst, int& dfreg, int& dfres, int& dftotal, double& SSE,
                             double& SSR, double& SST, double& MSE, double& MSR, double& F) const {
  const E n = FNumData;
  dfreg = NumVars;
  dftotal = IncludeConst ? FNumData - 1 : FNumData;
  dfres = dftotal - dfreg;
  const E m = IncludeConst && FNumData > 0 ? S.sumx / n : 0;
  SSE = static_cast<double>(S.SumDiffq);
  SSR = static_cast<double>(n * m * m + S.sumyq - 2 * m * S.sumy);
  SST = static_cast<double>(n * m * m + S.sumxq - 2 * m * S.sumx);
  MSE = dfres != 0 ? SSE / dfres : 0.0;
  MSR = dfreg != 0 ? SSR / dfreg : 0.0;
  F = MSR == 0 ? 0.0 : MSE != 0 ? MSR / MSE : 1e10;
}

// [SECTION] settings

void TCurveFit::SetNatural1(bool b) {
  FNatural1 = b;
  FSplineValid = false;
}

void TCurveFit::SetNaturalN(bool b) {
  FNaturalN = b;
  FSplineValid = false;
}

void TCurveFit::SetY1Dash(double v) {
  FY1Dash = v;
  FSplineValid = false;
}

void TCurveFit::SetYNDash(double v) {
  FYNDash = v;
  FSplineValid = false;
}

void TCurveFit::SetSplineSmoothing(double v) {
  FPSplineSmooth = v > 0 ? std::min(v, 1.0) : 0.0;  // NaN counts as 0
  FPenSplineValid = false;
}

}  // namespace qelta
