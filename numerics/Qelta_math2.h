#pragma once
// Qelta_math2: the numerics' decompositions and multivariate routines on TMatrix and TVector.
//
// What: the singular value decomposition with its least-squares solver and the pseudo-inverse;
// the covariance-type matrices of a data matrix (variables in columns, objects in rows), the
// eigenvalues and eigenvectors of a symmetric matrix and the principal components built from both;
// the correlation of a colour channel between two bitmap areas.
// How: the SVD is Golub-Reinsch (Householder bidiagonalisation, implicit-shift QR on the
// bidiagonal); the eigen decomposition is the cyclic Jacobi method. Scalar recurrences, norms and
// negligibility tests run in extended precision, the bulk reflections and rotations in double with
// vector instructions (Qelta_linalg_internal.h). Every routine works on private copies and writes
// its results through the element writers.
// Limits: the SVD answers False when a value does not converge in 30 iterations; Jacobi stops
// after 100 passes and takes at most 10000 variables; singular values and eigenvalues come out
// unsorted (CalcPrincComp sorts its own). The eigen results are one set for the process.
// Failure channel: False results as each routine states; EQeltaMath2Error for exhausted memory
// and refused image areas. Long routines follow the progress protocol of ProcStat,
// MathFeedBackProc and AbortMathProc.
//
// Index
//   [SECTION] error class and shared types
//   [SECTION] singular value decomposition and least squares   Qelta_math2_svd.cpp
//   [SECTION] covariance, eigenvectors, principal components    Qelta_math2_eigen.cpp
//   [SECTION] pseudo-inverse and image correlation              Qelta_math2_image.cpp
//   [SECTION] smoothing and derivatives                         Qelta_math2_smooth.cpp
//   [SECTION] clustering and nearest neighbours                 Qelta_math2_cluster.cpp

#include <cstdint>
#include <functional>

#include "Graphics.h"
#include "Qelta_matrix.h"
#include "Qelta_qeltabase.h"
#include "Qelta_vector.h"

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
/// ProcStat step per column in each of the four phases, no callback, no abort test. False when a
/// value did not converge in 30 iterations (factors unreliable) or an argument is nil.
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
/// resized. Distances that are not below the largest double (NaN, infinite) never count as near.
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
