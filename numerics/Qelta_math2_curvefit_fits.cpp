// Qelta_math2: TCurveFit's fits of the line, the parabola and polynomials on the stored points, and
// the transformed fits from the running sums.
//
// Line and parabola: normal equations on the points centred at their means (TMatrix::MeanVar), sums
// in extended precision, Cramer's rule; FitQual = (explained sum of squares) / (total sum of squares)
// of y, 1 when y is constant. Polynomials: the design matrix (x^1..x^Order, then 1) solved by
// SvdLeastSquares; FitQual the squared correlation of fitted and observed y by the shared rule of
// running sums. The transformed fits solve the same normal equations from the running sums in the
// transformed space (u, v), e.g. u = ln x, v = 1/y: v = k u + d, FitQual = r^2 there; the Gauss fit
// takes ln y as a parabola in x (peak where its leading coefficient is negative), the Hoerl fit
// ln y = ln a + x ln b + c ln x with two regressors, centred inside the normal equations.
// Deliberate deviation, a mended fault: the polynomial fits wrote Order + 1 coefficients into the
// caller's array unchecked; the vector forms size it, the fixed-array forms refuse a short one.

#include <cmath>

#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "Qelta_stats_internal.h"

namespace qelta {

namespace {

using E = Extended;

/// v = k u + d from the sums of a line fit.
struct TLine {
  bool Solvable = false;
  E k = 0, d = 0;
};

TLine SolveLine(E n, E su, E sv, E suu, E suv) {
  const E D = n * suu - su * su;
  if (D == 0) return {};
  return {true, (n * suv - su * sv) / D, (suu * sv - su * suv) / D};
}

/// v = a0 + a1 u + a2 u^2 from the sums of a parabola fit.
struct TParabola {
  E a0 = 0, a1 = 0, a2 = 0;
};

TParabola SolveParabola(E n, E su, E suu, E suuu, E suuuu, E sv, E suv, E suuv) {
  const E c = n * suu - su * su, e = n * suuu - suu * su, f = n * suv - su * sv, g = n * suuuu - suu * suu,
          h = n * suuv - suu * sv;
  TParabola p;
  p.a2 = c * g != e * e ? (c * h - e * f) / (c * g - e * e) : 0;
  p.a1 = c != 0 ? (f - e * p.a2) / c : 0;
  p.a0 = (sv - p.a1 * su - p.a2 * suu) / n;
  return p;
}

/// (explained - sv^2 / n) / (svv - sv^2 / n): the share of the sum of squares of v that the fit
/// explains (explained = sum of the coefficients times their sums with v); 1 when v is constant.
double FitQuality(E n, E sv, E svv, E explained) {
  const E total = svv - sv * sv / n;
  return total != 0 ? static_cast<double>((explained - sv * sv / n) / total) : 1.0;
}

/// Sums of the stored points centred at the means of their columns.
struct TFitSums {
  E n = 0, u = 0, v = 0, uu = 0, vv = 0, uv = 0, uuv = 0, uuu = 0, uuuu = 0;
  double mx = 0, my = 0;
};

/// The mean of x[0..n-1] as TMatrix::MeanVar takes it over a column.
double ColumnMean(const double* x, int n) {
  double mean = 0, var = 0;
  num_detail::MeanVarRule(num_detail::CentredMoments([x, n](auto& acc) { acc.Run(x, n); }, 2), mean, var);
  return mean;
}

TFitSums CentredSums(const double* x, const double* y, int n) {
  TFitSums s;
  s.mx = ColumnMean(x, n);
  s.my = ColumnMean(y, n);
  s.n = n;
  for (int i = 0; i < n; ++i) {
    const E u = static_cast<E>(x[i]) - s.mx, v = static_cast<E>(y[i]) - s.my, uu = u * u;
    s.u += u;
    s.v += v;
    s.uu += uu;
    s.vv += v * v;
    s.uv += u * v;
    s.uuv += uu * v;
    s.uuu += uu * u;
    s.uuuu += uu * uu;
  }
  return s;
}

String Text(const char16_t* routine, const char16_t* what) { return String(routine) + what; }

}  // namespace

void num_detail::LinFitOfPairs(const double* x, const double* y, int n, double& k, double& d, double& FitQual) {
  k = d = FitQual = 0;
  if (n < 2) return;
  const TFitSums s = CentredSums(x, y, n);
  const TLine line = SolveLine(s.n, s.u, s.v, s.uu, s.uv);
  if (!line.Solvable) return;
  const E dd = line.d - line.k * s.mx + s.my;
  k = static_cast<double>(line.k);
  d = static_cast<double>(dd);
  FitQual = FitQuality(s.n, s.v, s.vv, s.v * dd + line.k * s.uv);
}

// [SECTION] refusals

void TCurveFit::RequirePoints(const char16_t* routine, int least, Set<TCurveFitError> needs) const {
  if (FNumData < least) throw EQeltaMath2Error(Text(routine, u": not enough data points"));
  if (!(FErrIndic & needs).Empty()) throw EQeltaMath2Error(Text(routine, u": data not suitable for this fit"));
}

// [SECTION] line and parabola

void TCurveFit::CalcLinFit(double& k, double& d, double& FitQual) const {
  k = d = FitQual = 0;
  RequirePoints(u"CalcLinFit", 2, {});
  num_detail::LinFitOfPairs(Column(1), Column(2), FNumData, k, d, FitQual);
}

void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const {
  k0 = k1 = k2 = FitQual = 0;
  RequirePoints(u"CalcParabolFit", 3, {});
  const TFitSums s = CentredSums(Column(1), Column(2), FNumData);
  const TParabola p = SolveParabola(s.n, s.u, s.uu, s.uuu, s.uuuu, s.v, s.uv, s.uuv);
  const E mx = s.mx;
  k2 = static_cast<double>(p.a2);
  k1 = static_cast<double>(p.a1 - 2 * p.a2 * mx);
  k0 = static_cast<double>(mx * mx * p.a2 + p.a0 - mx * p.a1 + s.my);
  FitQual = FitQuality(s.n, s.v, s.vv, s.v * p.a0 + p.a1 * s.uv + p.a2 * s.uuv);
}

// [SECTION] polynomials

bool TCurveFit::PolyFit(const char16_t* routine, uint8_t Order, std::span<double> Params, double& FitQual,
                        double* Mean, bool& Singular) const {
  return num_detail::GuardMemory(routine, [&] {
    const int n = FNumData, rows = std::max(n, 1), cols = Order + 1;
    const double *x = Column(1), *y = Column(2);
    double centre = 0, scale = 1, ymean = 0, var = 0;
    if (Mean != nullptr) {
      FData->MeanVar(1, 1, 1, std::max(n, 1), centre, var);
      if (*Mean == 0) *Mean = n > 0 ? centre : 0.0;
      centre = *Mean;
      scale = std::sqrt(var) > 0 ? std::sqrt(var) : 1.0;
      if (n > 0) FData->MeanVar(2, 1, 2, n, ymean, var);
    }
    // The design, column k (from 0) the power k + 1 and the last column 1 (a row of zeros when there
    // is no point), solved as SvdLeastSquares would, a block of rows at a time.
    const auto fill = [&](int r0, int r1, double* block, int64_t ld, double* rhs) {
      for (int i = r0; i < r1; ++i) {
        double* row = block + (i - r0);
        if (i >= n) {
          for (int k = 0; k < cols; ++k) row[k * ld] = 0;
          rhs[i - r0] = 0;
          continue;
        }
        const double t = (x[i] - centre) / scale;
        double power = 1;
        for (int k = 0; k < Order; ++k) row[k * ld] = power *= t;
        row[Order * ld] = 1;
        rhs[i - r0] = y[i] - ymean;
      }
    };
    std::fill(Params.begin(), Params.begin() + cols, 0.0);
    FitQual = 0;
    std::vector<double> c(static_cast<std::size_t>(cols));
    if (!num_detail::SvdSolveByRows(rows, cols, fill, c.data(), nullptr, Singular)) return false;
    num_detail::TCorrelationSums sums;
    for (int i = 0; i < n; ++i) {  // fitted values by Horner's rule in the design's variable
      const double t = (x[i] - centre) / scale;
      E f = 0;
      for (int k = Order; k >= 1; --k) f = (f + c[static_cast<std::size_t>(k - 1)]) * t;
      sums.Add(f + c[static_cast<std::size_t>(Order)], y[i] - ymean);
    }
    const double r = sums.R();
    FitQual = r * r;
    double sk = 1;
    for (int k = 1; k <= Order; ++k) Params[static_cast<std::size_t>(k)] = c[static_cast<std::size_t>(k - 1)] / (sk *= scale);
    Params[0] = c[static_cast<std::size_t>(Order)] + ymean;
    return true;
  });
}

bool TCurveFit::CalcPolyFit(uint8_t Order, std::vector<double>& Params, double& FitQual, bool& Singular) const {
  Params.assign(static_cast<std::size_t>(Order) + 1, 0.0);
  return PolyFit(u"CalcPolyFit", Order, Params, FitQual, nullptr, Singular);
}

bool TCurveFit::CalcPolyFit(uint8_t Order, std::span<double> Params, double& FitQual, bool& Singular) const {
  if (Params.size() < static_cast<std::size_t>(Order) + 1)
    throw EQeltaMath2Error(u"CalcPolyFit: parameter array too small");
  return PolyFit(u"CalcPolyFit", Order, Params, FitQual, nullptr, Singular);
}

bool TCurveFit::CalcCenteredPolyFit(uint8_t Order, std::vector<double>& Params, double& FitQual, double& Mean,
                                    bool& Singular) const {
  Params.assign(static_cast<std::size_t>(Order) + 1, 0.0);
  return PolyFit(u"CalcCenteredPolyFit", Order, Params, FitQual, &Mean, Singular);
}

bool TCurveFit::CalcCenteredPolyFit(uint8_t Order, std::span<double> Params, double& FitQual, double& Mean,
                                    bool& Singular) const {
  if (Params.size() < static_cast<std::size_t>(Order) + 1)
    throw EQeltaMath2Error(u"CalcCenteredPolyFit: parameter array too small");
  return PolyFit(u"CalcCenteredPolyFit", Order, Params, FitQual, &Mean, Singular);
}

// [SECTION] transformed fits from the sums

bool TCurveFit::TransformedLine(const char16_t* routine, Set<TCurveFitError> needs, Extended su, Extended sv,
                                Extended suu, Extended svv, Extended suv, double& k, double& d,
                                double& FitQual) const {
  k = d = FitQual = 0;
  RequirePoints(routine, 2, needs);
  const E n = FNumData;
  const TLine line = SolveLine(n, su, sv, suu, suv);
  if (!line.Solvable) return false;
  k = static_cast<double>(line.k);
  d = static_cast<double>(line.d);
  FitQual = FitQuality(n, sv, svv, sv * line.d + line.k * suv);
  return true;
}

void TCurveFit::CalcReciLinFit(double& k, double& d, double& FitQual) const {
  TransformedLine(u"CalcReciLinFit", {cfeYEQ0}, S.sumx, S.sum1byy, S.sumxq, S.sum1byyq, S.sumxbyy, k, d, FitQual);
}

void TCurveFit::CalcHyperbolFit(double& k, double& d, double& FitQual) const {
  TransformedLine(u"CalcHyperbolFit", {cfeXEQ0}, S.sum1byx, S.sumy, S.sum1byxq, S.sumyq, S.sumybyx, k, d, FitQual);
}

void TCurveFit::CalcReciHyperbolFit(double& k, double& d, double& FitQual) const {
  TransformedLine(u"CalcReciHyperbolFit", {cfeXEQ0, cfeYEQ0}, S.sum1byx, S.sum1byy, S.sum1byxq, S.sum1byyq,
                  S.sum1byxy, k, d, FitQual);
}

void TCurveFit::CalcLogFit(double& k, double& d, double& FitQual) const {
  TransformedLine(u"CalcLogFit", {cfeXLE0}, S.sumlnx, S.sumy, S.sumlnxq, S.sumyq, S.sumylnx, k, d, FitQual);
}

void TCurveFit::CalcReciLogFit(double& k, double& d, double& FitQual) const {
  TransformedLine(u"CalcReciLogFit", {cfeXLE0, cfeYEQ0}, S.sumlnx, S.sum1byy, S.sumlnxq, S.sum1byyq, S.sumlnxbyy, k,
                  d, FitQual);
}

void TCurveFit::CalcPowerFit(double& k, double& d, double& FitQual) const {
  if (TransformedLine(u"CalcPowerFit", {cfeXLE0, cfeYLE0}, S.sumlnx, S.sumlny, S.sumlnxq, S.sumlnyq, S.sumlnxlny, k,
                      d, FitQual))
    d = std::exp(d);
}

void TCurveFit::CalcExponentialFit(double& k, double& d, double& FitQual) const {
  if (TransformedLine(u"CalcExponentialFit", {cfeYLE0}, S.sumx, S.sumlny, S.sumxq, S.sumlnyq, S.sumxlny, k, d,
                      FitQual))
    d = std::exp(d);
}

void TCurveFit::CalcGaussFit(double& Amplitude, double& Centre, double& Width, double& FitQual) const {
  Amplitude = Centre = Width = FitQual = 0;
  RequirePoints(u"CalcGaussFit", 3, {cfeYLE0});
  const E n = FNumData;
  const TParabola p = SolveParabola(n, S.sumx, S.sumxq, S.sumx3, S.sumx4, S.sumlny, S.sumxlny, S.sumxqlny);
  if (!(p.a2 < 0)) return;
  Centre = static_cast<double>(-p.a1 / (2 * p.a2));
  Width = static_cast<double>(std::sqrt(-1 / (2 * p.a2)));
  Amplitude = static_cast<double>(std::exp(p.a0 - p.a1 * p.a1 / (4 * p.a2)));
  FitQual = FitQuality(n, S.sumlny, S.sumlnyq, S.sumlny * p.a0 + p.a1 * S.sumxlny + p.a2 * S.sumxqlny);
}

void TCurveFit::CalcHoerlFit(double& a, double& b, double& c, double& FitQual) const {
  a = b = c = FitQual = 0;
  RequirePoints(u"CalcHoerlFit", 3, {cfeXLE0, cfeYLE0});
  const E n = FNumData;
  // ln y = c0 + c1 x + c2 ln x: the normal equations centred at the means of x, ln x and ln y
  const E cxx = S.sumxq - S.sumx * S.sumx / n, cxl = S.sumxlnx - S.sumx * S.sumlnx / n,
          cll = S.sumlnxq - S.sumlnx * S.sumlnx / n, cxv = S.sumxlny - S.sumx * S.sumlny / n,
          clv = S.sumlnxlny - S.sumlnx * S.sumlny / n;
  const E det = cxx * cll - cxl * cxl;
  if (det == 0) return;
  const E c1 = (cxv * cll - clv * cxl) / det, c2 = (cxx * clv - cxl * cxv) / det;
  const E c0 = (S.sumlny - c1 * S.sumx - c2 * S.sumlnx) / n;
  a = static_cast<double>(std::exp(c0));
  b = static_cast<double>(std::exp(c1));
  c = static_cast<double>(c2);
  FitQual = FitQuality(n, S.sumlny, S.sumlnyq, c0 * S.sumlny + c1 * S.sumxlny + c2 * S.sumlnxlny);
}

}  // namespace qelta
