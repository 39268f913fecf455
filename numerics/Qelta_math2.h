#pragma once
// Qelta_math2: the numerics' decompositions, fits and multivariate routines on TMatrix and TVector.
//
// What: the singular value decomposition with its least-squares solver and the pseudo-inverse;
// the curve fitter TCurveFit (running sums over entered points, means, deviations, correlation,
// line, parabola, polynomial, circle and transformed fits, splines, rank statistics, ASC files) and
// the regressions on data matrices (multiple linear, ridge, SIMPLS); plane and sphere geometry
// (great-circle distance, polygons, convex hull); the covariance-type matrices of a data matrix
// (variables in columns, objects in rows), the eigenvalues and eigenvectors of a symmetric matrix and
// the principal components built from both; the correlation of a colour channel between two bitmap
// areas.
// How: the SVD is Golub-Reinsch (Householder bidiagonalisation, implicit-shift QR on the
// bidiagonal); the eigen decomposition is the cyclic Jacobi method. Scalar recurrences, norms and
// negligibility tests run in extended precision, the bulk reflections and rotations in double with
// vector instructions (Qelta_linalg_internal.h). Every routine works on private copies and writes
// its results through the element writers.
// Limits: the SVD answers False when a value does not converge in 30 iterations; Jacobi stops
// after 100 passes and takes at most 10000 variables; singular values and eigenvalues come out
// unsorted (CalcPrincComp sorts its own). The eigen results are one set for the process.
// Failure channel: False results as each routine states; EQeltaMath2Error for exhausted memory,
// refused image areas and the curve fitter's refused fits. Long routines follow the progress
// protocol of ProcStat, MathFeedBackProc and AbortMathProc.
//
// Index
//   [SECTION] error class and shared types
//   [SECTION] singular value decomposition and least squares   Qelta_math2_svd.cpp
//   [SECTION] curve fitter (TCurveFit)                          Qelta_math2_curvefit*.cpp, Qelta_math2_spline.cpp
//   [SECTION] regressions on data matrices and splines          Qelta_math2_regression.cpp, Qelta_math2_spline.cpp
//   [SECTION] plane and sphere geometry                         Qelta_math2_geometry.cpp
//   [SECTION] covariance, eigenvectors, principal components    Qelta_math2_eigen.cpp
//   [SECTION] pseudo-inverse and image correlation              Qelta_math2_image.cpp
//   [SECTION] smoothing and derivatives                         Qelta_math2_smooth.cpp
//   [SECTION] clustering and nearest neighbours                 Qelta_math2_cluster.cpp

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "Graphics.h"
#include "Qelta_matrix.h"
#include "Qelta_qeltabase.h"
#include "Qelta_vector.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// [SECTION] error class and shared types

/// Error class of this unit, raised with one ready-made message.
QELTA_DECLARE_EXCEPTION(EQeltaMath2Error, EQeltaError)

/// What CalcImgCorrelation compares: a channel, a hexcone quantity (RGBtoHSI; lightness is its
/// intensity) or the grey level (RGBtoGray).
enum TImgCompareMode : uint8_t { icmRed, icmBlue, icmGreen, icmHue, icmLightness, icmSaturation, icmGrayValues };

// [SECTION] singular value decomposition and least squares
// The workers of the numerics: TMatrix.Norm, the curve fitter and the pseudo-inverse rest on them.

/// A (m x n) = U diag(W) V^T: U replaces A, V (n x n) and W (n elements) are written through their
/// element writers and not resized. Values non-negative and unsorted. A with fewer rows than
/// columns is padded with zero rows internally (the first m rows of U are written back). One
/// ProcStat step per column in each of the four phases, no callback, no abort test. Finite cells,
/// subnormal ones too, give finite factors. False when a value did not converge in 30 iterations
/// (factors unreliable) or an argument is nil.
bool SvdDecompose(TMatrix* A, TMatrix* V, TVector* W);
/// Solves A x = B from the factors (U m x n, V, W n; B m elements): X(j) := sum_k v(j, k) t(k) with
/// t(k) := (column k of U . B) / w(k), 0 for w(k) = 0. SD, when not nil, receives the standard
/// deviations sqrt(sum_k v(l, k)^2 / w(k)^2). True; false only for a nil U, V, W, X or B.
bool SvdBackSubstitute(const TMatrix* U, const TMatrix* V, const TVector* W, TVector* SD, TVector* X,
                       const TVector* B);
/// Least-squares solution X (n) of A x = B (A m x n, destroyed: it holds U afterwards). Singular
/// values at most 1e-14 times the largest are set to 0 and make Singular true (an all-zero A
/// too). False (X, SD untouched) when the decomposition failed or an argument is nil.
bool SvdLeastSquares(TMatrix* A, const TVector* B, TVector* X, bool& Singular, TVector* SD);

// [SECTION] curve fitter (TCurveFit)

/// What an entered point made incomplete (TCurveFit::ErrIndic); set while entering, never cleared by
/// removal: cfeXLE0 an x <= 0 (the logarithmic sums of x), cfeYLE0 a y <= 0, cfeXEQ0 an x of
/// magnitude at most 1e-30, cfeYEQ0 a y of magnitude at most 1e-30.
enum TCurveFitError : uint8_t { cfeXLE0, cfeYLE0, cfeXEQ0, cfeYEQ0 };

/// TCurveFit: statistics and regression over (x, y) points entered one at a time.
/// How: thirty running sums (x, y, their squares, cubes and fourth powers, x y, x^2 y, x y^2, x - y
/// and its square, the reciprocals, quotients and logarithms the transformed fits need) are kept in
/// extended precision and updated in constant time by every point entered or removed; the means,
/// deviations, correlation, circle fit, analysis of variance and the transformed fits come from them.
/// Guards: a value of magnitude at most 1e-30 counts as zero and its reciprocal as M = 1.7e38 (its
/// square as M^2); logarithms are summed only for positive values; ErrIndic records each such
/// point. The points are also stored (2 columns, growing by doubling, at least 1000 rows at a time)
/// for the fits of the line, parabola and polynomials (centred, two passes), the splines, the rank
/// statistics, the quartiles and the moments.
/// Transformed fits (least-squares lines in a transformed space, FitQual = r^2 there):
///   CalcReciLinFit      1/y = k x + d            CalcHyperbolFit      y = k / x + d
///   CalcReciHyperbolFit 1/y = k / x + d          CalcLogFit           y = k ln x + d
///   CalcReciLogFit      1/y = k ln x + d         CalcPowerFit         y = d x^k     (ln y on ln x)
///   CalcExponentialFit  y = d e^(k x)  (ln y on x)
///   CalcGaussFit        y = Amplitude exp(-(x - Centre)^2 / (2 Width^2))  (ln y quadratic in x)
///   CalcHoerlFit        y = a b^x x^c  (ln y on x and ln x)
/// Limits: the sum-based results lose digits for data far from the origin (as any moment sums do);
/// the stored-point fits do not. Rank statistics count pairs in O(n log n).
/// Failure channel: EQeltaMath2Error with "<routine>: not enough data points" and "<routine>: data
/// not suitable for this fit" (ErrIndic marks a needed sum incomplete); ImportASC answers codes.
class TCurveFit : public TComponent {
 public:
  /// Empty, store of 1000 rows, natural spline ends with slopes 0, smoothing factor 0.5.
  explicit TCurveFit(TComponent* AOwner);

  // --- points ---
  /// Drops all points: sums 0, extremes 1.7e308 / -1.7e308, ErrIndic empty; the store keeps its size.
  void Init();
  /// Adds a point: updates the extremes, the sums and ErrIndic, stores it; caches become invalid.
  void EnterStatValue(double x, double y);
  /// Removes point ix (1..NumData) from the sums and the store (later points move up); extremes and
  /// ErrIndic stay. Outside 1..NumData nothing but the invalidation of the caches happens.
  void RemoveStatValue(int ix);
  /// Stored x (y) of point ix; 0 outside 1..NumData.
  double GetDataX(int ix) const;
  double GetDataY(int ix) const;

  // --- statistics from the running sums ---
  /// Means of x, y and x - y; 0 without points.
  double GetMeanX() const;
  double GetMeanY() const;
  double GetMeanDiff() const;
  /// sqrt |(sum v^2 - (sum v)^2 / n) / (n - 1)|; 0 below 3 points.
  double GetStdDevX() const;
  double GetStdDevY() const;
  double GetStdDevDiff() const;
  /// Correlation coefficient (the shared rule of running sums); 0 below 3 points.
  double GetRxy() const;
  /// All outputs 0, then the means (n >= 1), the deviations and rxy (n >= 3); NumData := n.
  void CalcStatistics(int& NumData, double& MeanX, double& MeanY, double& StdevX, double& StdevY, double& MeanDiff,
                      double& StdevDiff, double& rxy) const;

  // --- statistics from the stored points ---
  /// Quartiles of the x (y) values by TMatrix::Quartiles; false with zeros without points.
  bool QuartilesX(double& q1, double& q2, double& q3) const;
  bool QuartilesY(double& q1, double& q2, double& q3) const;
  /// Bias-corrected sample skewness and excess kurtosis (TMatrix::SkewKurtSample); 0 below 4 points.
  double GetSkewnessX() const;
  double GetSkewnessY() const;
  double GetKurtosisX() const;
  double GetKurtosisY() const;
  /// Circular mean in degrees (0..360) of the x (y) values taken as angles in degrees, from the sums
  /// S of the sines and C of the cosines: arctan(S / C) moved into the quadrant of (C, S); 90 or 270
  /// when C is 0, 0 when both are.
  double GetMeanXDegrees() const;
  double GetMeanYDegrees() const;

  // --- fits ---
  /// y = k x + d by least squares on the centred points; FitQual = r^2 (1 when y is constant).
  /// Fewer than 2 points raise "CalcLinFit: not enough data points"; all x equal: outputs 0.
  void CalcLinFit(double& k, double& d, double& FitQual) const;
  /// y = k0 + k1 x + k2 x^2 on the centred points; fewer than 3 points raise "CalcParabolFit: not
  /// enough data points".
  void CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const;
  /// Polynomial of degree Order by SvdLeastSquares: Params[k] the coefficient of x^k (Params resized to
  /// Order + 1); FitQual the squared correlation of fitted and observed y; Singular when the design
  /// is rank deficient (fewer distinct x than Order + 1), or numerically so: powers of x far from 0
  /// (x in 1000..1001 at order 3) are nearly parallel, the smallest singular values fall under the
  /// cutoff and the fit is the truncated one. CalcCenteredPolyFit keeps those digits. False when the
  /// decomposition failed.
  bool CalcPolyFit(uint8_t Order, std::vector<double>& Params, double& FitQual, bool& Singular) const;
  /// The same into a caller's fixed array: fewer than Order + 1 elements raise "CalcPolyFit:
  /// parameter array too small".
  bool CalcPolyFit(uint8_t Order, std::span<double> Params, double& FitQual, bool& Singular) const;
  /// y = Params[0] + sum Params[k] (x - Mean)^k, fitted on (x - Mean) / s (s the standard deviation
  /// of x, 1 when 0) and the centred y. A Mean of 0 selects the mean of x and returns it.
  bool CalcCenteredPolyFit(uint8_t Order, std::vector<double>& Params, double& FitQual, double& Mean,
                           bool& Singular) const;
  /// The same into a caller's fixed array ("CalcCenteredPolyFit: parameter array too small").
  bool CalcCenteredPolyFit(uint8_t Order, std::span<double> Params, double& FitQual, double& Mean,
                           bool& Singular) const;
  /// Algebraic least-squares circle: centre (dx, dy), radius r, from the sums. Outputs 0 first;
  /// "CalcCircleFit: not enough data points" for n <= 2, "CalcCircleFit: radius is infinite" for
  /// collinear points.
  void CalcCircleFit(double& r, double& dx, double& dy) const;
  /// Analysis of variance of (observed x, estimated y) pairs of a regression with NumVars variables:
  /// degrees of freedom, sums of squares, mean squares (0 where their degrees of freedom are 0) and
  /// F (0 when MSR is 0, 1e10 when MSE is 0).
  void CalcAnovaReg(int NumVars, bool IncludeConst, int& dfreg, int& dfres, int& dftotal, double& SSE, double& SSR,
                    double& SST, double& MSE, double& MSR, double& F) const;
  /// The transformed fits (see the class comment); outputs 0 when the transformed x are all equal.
  void CalcReciLinFit(double& k, double& d, double& FitQual) const;
  void CalcHyperbolFit(double& k, double& d, double& FitQual) const;
  void CalcReciHyperbolFit(double& k, double& d, double& FitQual) const;
  void CalcLogFit(double& k, double& d, double& FitQual) const;
  void CalcReciLogFit(double& k, double& d, double& FitQual) const;
  void CalcPowerFit(double& k, double& d, double& FitQual) const;
  void CalcExponentialFit(double& k, double& d, double& FitQual) const;
  /// Outputs 0 unless ln y is a downward parabola in x.
  void CalcGaussFit(double& Amplitude, double& Centre, double& Width, double& FitQual) const;
  void CalcHoerlFit(double& a, double& b, double& c, double& FitQual) const;

  // --- splines ---
  /// The interpolating cubic spline through the points (sorted by x; equal x merged to their mean y)
  /// at x, with the end conditions SplineNatural1 / SplineNaturalN (second derivative 0) or the
  /// slopes SplineDerivY1 / SplineDerivYN; the end pieces extend beyond the data. One point gives its
  /// y, none 0. Built once per change of points or settings.
  double CubicSpline(double x);
  /// The cubic smoothing spline (PenalizedCubicSpline with SplineSmoothingFactor, equal x merged with
  /// their count as weight) at x; FitQual the squared correlation of its values at the points with y.
  /// Valid false (result 0) below 2 distinct x or for data that are not finite.
  double SmoothedSpline(double x, double& FitQual, bool& Valid);

  // --- rank statistics ---
  /// Counts the pairs: concordant and discordant by the signs of dx and dy, ties in y only
  /// (KendallTies1) and in x only (KendallTies2); pairs with a NaN coordinate count nowhere. All 0
  /// below 3 points. O(n log n).
  void BasicRankCounts();
  /// Kendall's tau-b and in p its two-sided probability (normal approximation); tau 0, p 1 when a
  /// denominator is 0.
  double KendallsTau(double& p);
  /// (C - D) / (C + D); 0 when C + D is 0.
  double GetKruskalGamma();
  /// Spearman's rank correlation with average ranks for ties; 0 below 3 points or when x or y is
  /// constant.
  double GetSpearman() const;

  // --- ASC files ---
  /// Writes the points as an ASC file (comment, counts, flags "FALSE TRUE FALSE", names "x   y",
  /// then x TAB y by strff(v, 1, Precision)); CR and LF in Comment become blanks, an empty Comment
  /// is "Exported by Qelta TCurveFit component: " + FName. EInOutError when the file cannot be
  /// written (the old file kept).
  void ExportAsASC(const String& FName, const String& Comment, int Precision) const;
  /// Replaces the points by those of an ASC file: 0 done; the header's code (252..255); -7 when its
  /// fourth flag is set; 250 a number (or the file) ended early or was unreadable; 251 a row
  /// attribute was unreadable. On a code the points stay as they were. Column names and row names
  /// may be quoted or bare. EQeltaMath2Error "TCurveFit.ImportASC: number of columns must be 2 (is
  /// actually <count>)." for another column count; EInOutError when the file cannot be read.
  int ImportASC(const String& FName);

  // --- properties ---
  int NumData() const { return FNumData; }
  double MeanX() const { return GetMeanX(); }
  double MeanY() const { return GetMeanY(); }
  double MeanDiff() const { return GetMeanDiff(); }
  double StdDevX() const { return GetStdDevX(); }
  double StdDevY() const { return GetStdDevY(); }
  double StdDevDiff() const { return GetStdDevDiff(); }
  double CorrCoeff() const { return GetRxy(); }
  double MinX() const { return FMinX; }
  double MaxX() const { return FMaxX; }
  double MinY() const { return FMinY; }
  double MaxY() const { return FMaxY; }
  double MeanAngleX() const { return GetMeanXDegrees(); }
  double MeanAngleY() const { return GetMeanYDegrees(); }
  double SkewnessX() const { return GetSkewnessX(); }
  double SkewnessY() const { return GetSkewnessY(); }
  double KurtosisX() const { return GetKurtosisX(); }
  double KurtosisY() const { return GetKurtosisY(); }
  double KruskalGamma() { return GetKruskalGamma(); }
  double SpearmanRankCorr() const { return GetSpearman(); }
  /// What entered points made incomplete.
  Set<TCurveFitError> ErrIndic() const { return FErrIndic; }
  /// The cached pair counts of BasicRankCounts.
  int64_t KendallConcord() const { return FKendallConcord; }
  int64_t KendallDiscord() const { return FKendallDiscord; }
  int64_t KendallTies1() const { return FKendallTies1; }
  int64_t KendallTies2() const { return FKendallTies2; }
  bool SplineNatural1() const { return FNatural1; }
  /// Writers of the spline settings: store and invalidate the spline (the smoothing factor: the
  /// smoothed spline; clamped to 0..1).
  void SetNatural1(bool b);
  bool SplineNaturalN() const { return FNaturalN; }
  void SetNaturalN(bool b);
  double SplineDerivY1() const { return FY1Dash; }
  void SetY1Dash(double v);
  double SplineDerivYN() const { return FYNDash; }
  void SetYNDash(double v);
  double SplineSmoothingFactor() const { return FPSplineSmooth; }
  void SetSplineSmoothing(double v);

 private:
  /// The running sums, in extended precision.
  struct TSums {
    Extended sumx = 0, sumy = 0, sumxq = 0, sumyq = 0, sumDiff = 0, SumDiffq = 0, sumxy = 0, sumx2y = 0, sumxy2 = 0,
             sumx3 = 0, sumy3 = 0, sumx4 = 0, sumy4 = 0, sum1byy = 0, sum1byxy = 0, sum1byyq = 0, sumxbyy = 0,
             sumybyx = 0, sum1byx = 0, sum1byxq = 0, sumlnx = 0, sumlnxlny = 0, sumlnxq = 0, sumylnx = 0,
             sumxlnx = 0, sumlnxbyy = 0, sumlny = 0, sumlnyq = 0, sumxlny = 0, sumxqlny = 0;
  };
  /// Adds (sign +1) or removes (sign -1) the point's terms, with the guards; entering also updates
  /// the extremes and ErrIndic.
  void AdjustSums(double x, double y, int sign);
  /// Adds (Sign +1) or subtracts (Sign -1) the terms of one point; answers the guards it met.
  template <int Sign>
  Set<TCurveFitError> AddTerms(double x, double y);
  void InvalidateCaches();
  /// Rows 1..n of column 1 (x) or 2 (y) of the store.
  const double* Column(int c) const;
  double StdDevOf(Extended sum, Extended sumq) const;
  double MeanDegrees(int c) const;
  /// The fits from the sums share this: the routine's refusals, then v = k u + d; false (outputs 0)
  /// when the u are all equal.
  bool TransformedLine(const char16_t* routine, Set<TCurveFitError> needs, Extended su, Extended sv, Extended suu,
                       Extended svv, Extended suv, double& k, double& d, double& FitQual) const;
  void RequirePoints(const char16_t* routine, int least, Set<TCurveFitError> needs) const;
  bool PolyFit(const char16_t* routine, uint8_t Order, std::span<double> Params, double& FitQual, double* Mean,
               bool& Singular) const;
  void BuildSpline();
  void BuildSmoothedSpline();

  TSums S;
  int FNumData = 0;
  double FMinX = 1.7e308, FMaxX = -1.7e308, FMinY = 1.7e308, FMaxY = -1.7e308;
  bool FNatural1 = true, FNaturalN = true;
  double FY1Dash = 0, FYNDash = 0;
  Set<TCurveFitError> FErrIndic;
  std::unique_ptr<TMatrix> FData;  ///< x in column 1, y in column 2, rows 1..n
  // spline caches
  bool FSplineValid = false, FPenSplineValid = false, FKendallValid = false;
  std::vector<double> SplSortedX, SplSortedY, Spl2Deriv;
  std::vector<double> FPenX, FPenA, FPenB, FPenC, FPenD;  ///< smoothed spline pieces
  bool FPenSplineOk = false;
  double FPSplineSmooth = 0.5;
  double FPSplineFQ = 0;
  int64_t FKendallConcord = 0, FKendallDiscord = 0, FKendallTies1 = 0, FKendallTies2 = 0;
};

// [SECTION] regressions on data matrices and splines
// Data matrices hold the variables in columns and the objects in rows; nil arguments answer false.

/// SvdDecompose with V and W resized to the column count of A first (A becomes U).
bool SingValDecomp(TMatrix* A, TMatrix* V, TVector* W);
/// SvdBackSubstitute with X resized to the column count of U first: X solves A x = B in the least-
/// squares sense from the factors of SingValDecomp.
bool SingValEquSolve(const TMatrix* U, const TMatrix* V, const TVector* W, const TVector* B, TVector* X);
/// Least squares y = sum b_i X_i + b0 over the rows of X (y needs as many elements): Coeffs receives
/// b_1..b_k and then b0 (k + 1 elements), StdErrors their standard errors (residual variance over
/// n - k - 1 degrees of freedom; 0 without any). Singular as SvdLeastSquares reports it.
bool MultiLinReg(const TMatrix* X, const TVector* y, TVector* Coeffs, TVector* StdErrors, bool& Singular);
/// Ridge regression on the raw columns: minimises |y - b0 - X b|^2 + Lambda |b|^2 (the intercept is
/// not penalised); Coeffs as MultiLinReg, Fitted the fitted values. False for Lambda < 0.
bool RidgeReg(const TMatrix* X, const TVector* y, double Lambda, TVector* Coeffs, TVector* Fitted, bool& Singular);
/// Ridge regression on the standardised columns (mean 0, standard deviation 1; a constant column
/// stays centred): StdCoeffs the coefficients there, Coeffs the same model on the raw columns with
/// the intercept last, Means and StdDevs of the columns.
bool RidgeRegStd(const TMatrix* X, const TVector* y, double Lambda, TVector* Coeffs, TVector* StdCoeffs,
                 TVector* Means, TVector* StdDevs, bool& Singular);
/// Partial least squares by SIMPLS (S. de Jong, Chemometr. Intell. Lab. Syst. 18 (1993) 251-263) of the
/// responses Y (n x q) on X (n x p) with NumComp components, on centred (with Scale: standardised)
/// columns. Weights R (p x a), XScores T (n x a), XLoadings P (p x a), YLoadings Q (q x a), YScores
/// U (n x a), Coeffs B (p x q, for the raw columns) and Intercepts (q), so that Y ~ X B + Intercepts.
/// False when the row counts differ, NumComp < 1, or an argument is nil; components beyond the rank
/// of X stop the extraction (fewer columns result).
bool SimPLS(const TMatrix* X, const TMatrix* Y, int NumComp, bool Scale, TMatrix* Weights, TMatrix* XScores,
            TMatrix* XLoadings, TMatrix* YLoadings, TMatrix* YScores, TMatrix* Coeffs, TVector* Intercepts);
/// The cubic smoothing spline of the points LowIx..HighIx of x (strictly rising), y and the weights
/// w (> 0): minimises p sum w (y - f)^2 + (1 - p) integral f''^2 with p = Smoothing clamped to 0..1
/// (0 the weighted least-squares line, 1 the interpolating natural spline; the balance depends on
/// the scale of x) (C. H. Reinsch, Numer. Math. 10 (1967) 177-183). Piece i covers x[i]..x[i + 1]:
/// f = a[i] + b[i] t + c[i] t^2 + d[i] t^3 with t = x - x[i]; the last piece continues the end
/// linearly. Outputs are grown to hold HighIx. False (outputs untouched) for fewer than 2 points,
/// indices outside the inputs, x not rising, or weights not positive.
bool PenalizedCubicSpline(int LowIx, int HighIx, double Smoothing, const std::vector<double>& x,
                          const std::vector<double>& y, const std::vector<double>& w, std::vector<double>& a,
                          std::vector<double>& b, std::vector<double>& c, std::vector<double>& d);

// [SECTION] plane and sphere geometry
// Polygons list their vertices in order; the closing edge runs from the last back to the first.

/// Great-circle distance on a sphere of Radius between two points given in degrees.
double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2);
/// True when (x, y) lies inside the polygon by the crossing count towards larger y (vertical edges
/// never count; a point on an edge may fall either way).
bool PointIsInsidePolygon(double x, double y, const TPDblArray& Polygon);
/// Signed area: positive for counter-clockwise vertices (y up), negative for clockwise ones.
double PolygonArea(const TPDblArray& Polygon);
/// True when (x, y) lies strictly left of every edge of a counter-clockwise hull (points on an edge
/// and every point of a clockwise or empty hull are outside).
bool PointIsInsideConvexHull(double x, double y, const TPDblArray& Hull);
/// Convex hull of Points, counter-clockwise without collinear vertices, starting from the vertex
/// whose direction from the centroid is next after straight down; three points or fewer are copied
/// as they are; collinear points give their two extreme points (identical points the one point).
/// Points with a NaN or infinite coordinate are left out. O(n log n); Hull may be Points.
void Convex2DHull(const TPDblArray& Points, TPDblArray& Hull);

// [SECTION] covariance, eigenvectors, principal components

/// Covariance-type matrix of the variables in columns LoC..HiC (nv = HiC - LoC + 1) over the
/// objects in rows LoR..HiR (m of them; cells outside DataMat count as 0) into cells 1..nv of
/// CovMat (not resized). Mode 0: cross products / (m - 1); 1: covariance; 2: correlation (diagonal
/// 1, within -1..1; a zero root of var_i var_j is taken as 1e-38); 3: squared correlation; 4: mean
/// squared difference sum (x_i - x_j)^2 / (m - 1); other: 0. No objects (HiR < LoR): zeros.
/// Variances in two passes. Clears AbortMathProc; a ProcStat step per object row (modes > 0) and
/// per variable. False when CovMat is too small, m = 1 (nothing written), an argument is nil or
/// AbortMathProc was set (rows written up to then).
bool CalcCovar(const TMatrix* DataMat, TMatrix* CovMat, int LoC, int HiC, int LoR, int HiR, int Mode);
/// Eigenvalues and eigenvectors of the symmetric matrix Mat (order n = NrOfColumns, at most 10000;
/// only its diagonal and the cells above it are read, and those above it are destroyed) by cyclic
/// Jacobi into the eigen storage, unsorted (diagonal order). At most 100 passes, each a ProcStat
/// step, and a step per rotation pair. False for more than 10000 columns (storage kept), for
/// a nil Mat, when 100 passes did not converge, or on AbortMathProc (partial values stored).
/// EQeltaMath2Error "CalcEigVec: not enough memory".
bool CalcEigVec(TMatrix* Mat);
/// j = 0: eigenvalue i; j = 1..GetEigenSize: component j of eigenvector i; 0 when nothing is
/// stored or an index is outside.
double GetEigenResult(int i, int j);
/// Order of the last decomposition (kept after RemoveEigenMatrix).
int GetEigenSize();
/// Releases the stored eigenvalues and eigenvectors.
void RemoveEigenMatrix();
/// Principal components of columns LoC..HiC over rows LoR..HiR: CalcCovar in Mode, then
/// CalcEigVec; with ScaleEV the eigenvalues are divided by the sum of their absolute values (when
/// not 0); then sorted falling with their eigenvectors (only values above 0 move forward). False
/// when either step fails. Results through GetEigenResult.
bool CalcPrincComp(const TMatrix* DataMat, int LoC, int HiC, int LoR, int HiR, int Mode, bool ScaleEV = true);

// [SECTION] pseudo-inverse and image correlation

/// PInv := the pseudo-inverse of Mat (m x n), resized to m columns and n rows; Mat unchanged.
/// Singular values up to Threshold count as 0; Threshold <= 0 selects max(m, n) * wmax * 1.2e-16.
/// False when the decomposition failed (PInv's cells then undefined) or an argument is nil.
bool PseudoInverse(const TMatrix* Mat, TMatrix* PInv, double Threshold);
/// Correlation coefficient (the curve fitter's rule) of CompMode between the pixels of Area1 in
/// Img1 and the pixels at the same offsets from Area2's corner in Img2; both areas inclusive of
/// their right and bottom edges, columns outermost. Pixels outside a bitmap (or of a nil one) read
/// as colour -1. Areas of different width or height raise EQeltaMath2Error "image ranges to compare
/// are not of equal size". Fewer than 3 pixels, or a constant area: 0.
double CalcImgCorrelation(const TBitmap* Img1, const TBitmap* Img2, const TRect& Area1, const TRect& Area2,
                          TImgCompareMode CompMode);

// [SECTION] smoothing and derivatives
// Symmetric windows of odd length Len over the elements FirstIx..LastIx of SourceVec (each clamped to
// 1..NrOfElem, then put in order: lo..hi). The centres d = lo + Len div 2 .. hi - Len div 2 are
// written to DestVec[d - lo + 1] (elements beyond DestVec's size are dropped; it is not resized);
// the Len div 2 elements before the first centre take its value, those after the last centre the
// last one's. The source range is read from a copy, so SourceVec may be DestVec. DestVec fires
// OnChange once at the end. Checks in this order, each raising EQeltaMath2Error "<routine>: text":
// a nil vector ("either SourceVec or DestVec is undefined"), hi - lo < Len (the range message),
// Len out of range, Len even. The Savitzky-Golay rows (polynomial, derivatives) are reduced to
// lowest terms.

/// Mean of the Len values about each centre; Len odd, at least 3.
void MovingAverageSmooth(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len);
/// Triangular weights m + 1 - |i| (i = -m..m, m = Len div 2) over their sum (m + 1)^2; Len odd, >= 3.
void WeightedAverageSmooth(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len);
/// Savitzky-Golay smoothing by quadratic/cubic polynomials: c_i = 3m^2 + 3m - 1 - 5i^2 over
/// (2m + 3)(2m + 1)(2m - 1) / 3; passes cubics unchanged. Len odd, 5..25.
void PolynomialSmooth(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len);
/// Savitzky-Golay first derivative per sample step (linear/quadratic): sum e x(d + e) over
/// m(m + 1)(2m + 1) / 3; exact on quadratics. Len odd, 5..25.
void FirstDeriv(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len);
/// Savitzky-Golay second derivative per squared sample step (quadratic): c_i = 3i^2 - m(m + 1) over
/// sum c_i i^2; exact on quadratics. Len odd, 5..25.
void SecondDeriv(const TVector* SourceVec, int FirstIx, int LastIx, TVector* DestVec, int Len);

// [SECTION] clustering and nearest neighbours
// The rows of a data matrix are the objects, its columns the features; distances are Euclidean
// over the columns unless stated otherwise. Ties go by the strict comparisons of each routine (the
// earlier row, centre or pair in the scan order stays first). Long loops step ProcStat and call
// MathFeedBackProc; AgglomClustering also stops on AbortMathProc. Nil arguments do nothing.

/// How EstimateByKNN weighs the values of the neighbours.
enum TKnnWMode : uint8_t { kwmGauss, kwmAverage, kwmMedian, kwmLinear };
/// The linkage of AgglomClustering (the Lance-Williams updates in Qelta_math2_cluster.cpp).
enum TClusterMethod : uint8_t { cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmFlexLink, cmUpgma };
/// Distance of data row Row to the target of a neighbour search.
using TCalcDistFunc = std::function<double(int Row)>;

/// MeanDist[i] := the mean distance of row i to its k nearest rows of FirstRow..LastRow, itself
/// included (so k = 1 gives 0), for every row i of that range. Both rows are clamped to 1..row count,
/// then put in order; k to 1..50 and to the rows of the range. MeanDist is addressed by row number and not
/// resized. Distances that are not below the largest double (NaN, infinite) never count as near; a
/// row with fewer than k finite distances counts each missing one as the largest double, so a row
/// holding a NaN gets the largest double.
void MeanDistanceKNN(const TMatrix* Data, int k, int FirstRow, int LastRow, TVector* MeanDist);
/// The k nearest rows of FirstRow..LastRow (clamped to the matrix) to Target, by CalcDist(row) when
/// given, else by the distance over columns 1..Target's length: KNNList(1, i) := row, KNNList(2, i)
/// := distance for i = 1..k, nearest first, the earlier row first among equal distances (the
/// caller sizes KNNList). k is limited to 100 and to the row count; places that no row fills get
/// row 0 and the largest double.
void FindNearestNeighbors(int k, const TMatrix* Data, int FirstRow, int LastRow, const TVector* Target,
                          TMatrix* KNNList, const TCalcDistFunc& CalcDist = nullptr);
/// Estimate from the values Values[row] of the k nearest rows (all rows, k clamped to 1..row count)
/// to Query. MeanDist := the mean of their distances (the weights take 0.001 for a mean of 0).
/// kwmGauss: weights exp(-(Param d / mean)^2); kwmAverage: the plain mean; kwmMedian: the median
/// (the quartile rule of TVector); kwmLinear: weights 1 - d / mean / Param, those <= 0 left out
/// (no weight left: 0).
void EstimateByKNN(const TMatrix* Data, const TVector* Values, int k, TKnnWMode WMode, double Param,
                   const TVector* Query, double& Estimate, double& MeanDist);
/// exp(-s), s = sum over i = 1..length(V2) of (V1[i] - V2[i])^2 / Width^2 capped at 20; 0 for nil.
double CalcGaussKernel(const TVector* V1, const TVector* V2, double Width);
/// The same with columns 1..M's column count of row Row of M in place of V2 (V in place of V1).
double CalcGaussKernelMat(const TVector* V, const TMatrix* M, int Row, double Width);
/// Cluster centres by merging the closest pair (squared distance; the first pair in the scan order
/// of equal ones) of the rows FirstRow..LastRow (clamped, ordered) into their weighted centroid
/// until NumCenters rows remain (NumCenters below 1 counts as 1, above the row count as that):
/// Centers(c, i) := centre i for c = 1..Centers' column count (the caller sizes it). MeanDist := the
/// mean over the centres of the distance to the nearest other centre (one centre: 0). Works on a
/// copy: Data is untouched and no file is written. A ProcStat step per merge.
/// EQeltaMath2Error "FindCenters: not enough memory".
void FindCenters(const TMatrix* Data, int FirstRow, int LastRow, int NumCenters, TMatrix* Centers,
                 double& MeanDist);
/// k-means over all rows (FirstRow and LastRow are not read). Centers is resized to Data's column and
/// row counts when different, Assignment to the row count; the first NumClusters rows (below 1
/// counts as 1) are the starting centres (rows 1..NumClusters of Centers). Each pass (a ProcStat step)
/// assigns every row to its nearest centre (squared distance, the lowest centre among equals; a
/// changed element is written through SetVal); after a pass with changes every centre becomes the
/// mean of its rows (0 without rows). A pass without changes ends: the centres are then the means of
/// their rows and every row is nearest to its own centre. EQeltaMath2Error "kMeansClustering: number
/// of clusters is greater than number of objects" and, after pass 1000 still with changes,
/// "kMeansClustering: max. number of iterations exceeded".
void kMeansClustering(const TMatrix* Data, int FirstRow, int LastRow, int NumClusters, TMatrix* Centers,
                      TIntVector* Assignment);
/// Hierarchical clustering of the N rows. D := Data's CalcDistMat in DistMode with OnCalcDist as its
/// OnCalcDistance meanwhile (the previous handler is restored on every way out); then N - 1 merges of
/// the active pair (c, b), c < b, of least distance (the first in the scan order; when every
/// remaining distance is NaN or infinite, the first active pair), the new distances by Method's
/// Lance-Williams update (FlexParam clamped to 0.5..1.0). Dendrogram (3 x N - 1) row j := (id of c, id
/// of b, N + j), objects being 1..N; MergeDist[j] := D(c, b); XPos (2N - 1): the position of each
/// object in the leaf order (the last merge's pair in order, every cluster expanded second part
/// first) and of each merge the mean of its parts'. Feedback(Sender, ProcStat, 0) first, then a
/// ProcStat step and Feedback(Sender, ProcStat, 100 j / N) per merge j. Clears AbortMathProc and
/// stops when it is set: XPos and MergeDist cleared, Dendrogram zeros, -1. Fewer than 2 rows merge
/// nothing. Result 0; -1 also for a nil argument (nothing done).
/// EQeltaMath2Error "AgglomClustering: not enough memory".
int AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode, TClusterMethod Method, double FlexParam,
                     TIntMatrix* Dendrogram, TVector* MergeDist, TVector* XPos, const TFeedbackProc& Feedback = nullptr,
                     const TOnCalcDistanceEvent& OnCalcDist = nullptr);

}  // namespace qelta

QELTA_PUBLIC_END
