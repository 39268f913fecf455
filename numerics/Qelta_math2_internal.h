#pragma once
// Not part of the public interface: what the sources of Qelta_math2 share; exported for the maps'
// calibration fits (the fitter's own line rule) and the tests.

#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::num_detail {

// [SECTION] line fit

/// The least-squares line y = k x + d of the n pairs (x[i], y[i]) exactly as TCurveFit::CalcLinFit
/// takes it (normal equations on the pairs centred at their means, extended sums, Cramer's rule);
/// k = d = FitQual = 0 below 2 pairs or when all x are equal. For callers that fit many lines over
/// the same points without refilling a fitter.
void LinFitOfPairs(const double* x, const double* y, int n, double& k, double& d, double& FitQual);

// [SECTION] mean distance to the k nearest rows (Qelta_math2_knn.cpp)

/// MeanDistanceKNN on the n rows of x (f values each, row-major), 1 <= k <= n: mean[i] = the mean
/// of the k smallest Euclidean distances from row i to every row, itself included; distances that
/// are not finite never count, and places that no finite distance fills count as the largest
/// double. By a k-d tree (all pairs for few rows), with the numbers of the all-pairs rule.
void MeanKnnDistances(const double* x, int n, int f, int k, double* mean);
/// The same by comparing all pairs: the plain twin of the tree, which the tests hold it against.
void MeanKnnDistancesAllPairs(const double* x, int n, int f, int k, double* mean);

// [SECTION] memory

/// fn(); an exhausted heap raises EQeltaMath2Error "<routine>: not enough memory".
template <typename Fn>
auto GuardMemory(const char16_t* routine, Fn&& fn) -> decltype(fn()) {
  try {
    return fn();
  } catch (const std::bad_alloc&) {
    throw EQeltaMath2Error(String(routine) + u": not enough memory");
  } catch (const std::length_error&) {
    throw EQeltaMath2Error(String(routine) + u": not enough memory");
  }
}

// [SECTION] quiet writes

/// Runs write() with v's OnChange detached, so its element writes fire no event, then fires
/// OnChange once (also restored when write() raises).
template <typename V, typename Fn>
void WriteQuietly(V& v, Fn&& write) {
  {
    struct TRestore {
      V& v;
      TNotifyEvent saved;
      ~TRestore() { v.OnChange = std::move(saved); }
    } restore{v, std::move(v.OnChange)};
    v.OnChange = nullptr;
    write();
  }
  v.Changed();
}

// [SECTION] the correlation rule of running sums

/// Correlation coefficient from running sums over n pairs: 0 for n < 3; otherwise, when sumxq > 0
/// and sumyq > 0, Sxx := sumxq - sumx^2 / n and Syy := sumyq - sumy^2 / n (each rounded to double)
/// and, when neither is 0, r = (sumxy - sumx sumy / n) / sqrt(|Sxx Syy|); else 0. The curve
/// fitter's CalcStatistics and CalcImgCorrelation answer by this rule.
double CorrelationOfSums(Extended n, Extended sumx, Extended sumy, Extended sumxq, Extended sumyq, Extended sumxy);

/// The five running sums of the rule, kept in extended precision.
struct TCorrelationSums {
  Extended n = 0, sumx = 0, sumy = 0, sumxq = 0, sumyq = 0, sumxy = 0;
  /// Enters the pair (x, y) `count` times.
  void Add(Extended x, Extended y, Extended count = 1) {
    n += count;
    sumx += count * x;
    sumy += count * y;
    sumxq += count * x * x;
    sumyq += count * y * y;
    sumxy += count * x * y;
  }
  double R() const { return CorrelationOfSums(n, sumx, sumy, sumxq, sumyq, sumxy); }
};

// [SECTION] smoothing and derivatives

/// The Savitzky-Golay filters of the smoothing routines.
enum TSavitzkyGolay : uint8_t { sgPolynomial, sgFirstDeriv, sgSecondDeriv };

/// The coefficient row of a filter for window length Len (odd, 3..25; else empty): the normaliser,
/// the centre coefficient and the side coefficients c_1..c_m (m = Len div 2; the first derivative
/// weighs x(d + e) by e and x(d - e) by -e), reduced to lowest terms.
std::vector<int64_t> SavitzkyGolayRow(TSavitzkyGolay kind, int Len);

// [SECTION] eigenvectors

/// CalcEigVec with another pass limit than 100 (tests reach the last pass with it).
bool CalcEigVecWithin(TMatrix* Mat, int MaxPasses);

}  // namespace qelta::num_detail

QELTA_PUBLIC_END
