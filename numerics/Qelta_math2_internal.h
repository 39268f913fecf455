#pragma once
// Not part of the public interface: what the sources of Qelta_math2 share.

#include "Qelta_matrix.h"
#include "Types.h"

namespace qelta::detail {

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

// [SECTION] eigenvectors

/// CalcEigVec with another pass limit than 100 (tests reach the last pass with it).
bool CalcEigVecWithin(TMatrix* Mat, int MaxPasses);

}  // namespace qelta::detail
