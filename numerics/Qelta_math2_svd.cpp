// Qelta_math2: singular value decomposition (Golub-Reinsch) and the least-squares solver on it.
//
// Method: G. H. Golub and C. Reinsch, Singular value decomposition and least squares solutions,
// Numer. Math. 14 (1970) 403-420, in its usual four phases: Householder reduction to upper
// bidiagonal form, accumulation of the right-hand and of the left-hand transformations, and
// implicit-shift QR on the bidiagonal with splitting and cancellation.
// Precision: the bidiagonal (w, rv1), anorm, the Householder norms (scale and the sums of squares),
// every scalar of the QR phase and the negligibility test anorm + |x| = anorm are extended; the
// working matrices U and V are doubles, and the bulk work on them (the dot products and updates
// of the reflections, the plane rotations) runs in double with vector instructions.
// Layout: column-major private blocks; every reflection touches whole columns (their dot products
// with the reflector taken four columns at a time, each as on its own), rows of the matrix are
// gathered into a contiguous vector where a phase reads one. The rotations of the QR phase are
// collected over up to 32 sweeps and then applied to U and V in blocks of rows (RotateSweeps), each
// cell through the same operations in the same order as one rotation at a time.
// Deliberate deviations, each a mended fault:
//  - Cancellation starts with c = 0, s = 1; each step takes f = s rv1(i), sets rv1(i) = c rv1(i)
//    and stops at a negligible f. Without that the bidiagonal was not split at a zero on its
//    diagonal and the routine answered True with wrong values (about 1 % of the 3 x 3 matrices with
//    entries in {-1, 0, 1, 2}).
//  - A matrix with fewer rows than columns is padded with zero rows.
//  - SvdLeastSquares zeroes values up to (not only below) 1e-14 wmax, so an all-zero design
//    reports Singular.
//  - The split test stops at the first column even when anorm is not finite (no read before w).
//  - A Householder vector whose scale is below DBL_MIN / DBL_EPSILON stays normalised (phases 2
//    and 3 divide by its g alone): multiplied back by a subnormal scale it lost its cells to
//    underflow, and the accumulation divided by them (NaN cells in U and V on subnormal columns).
// Deliberate deviation for speed: a tall matrix (m >= 3n and at least 64 rows) is not reduced as a
// whole. Its rows below the n-th go through a blocked Householder QR first, A2 = Q2 R2, and
// Golub-Reinsch runs on the 2n x n matrix [A1; R2] (A1 the first n rows); U = diag(I, Q2) U'.
// Each Householder step of the reduction meets the same pivot (a row of A1 or of what became of
// it), the same norm and the same rows as on the whole matrix, so the singular values, V and the
// signs of the columns are those of the whole-matrix reduction up to rounding (the tests hold them
// within 1e-14 relative), and ProcStat counts the same 4n steps. The norms of the reduction are
// summed in extended: in double, over long columns of nearly parallel values, they cost the small
// singular values digits that grew with the rows (about 1e-9 relative at 10^6 rows of [x, x^2, 1]
// with x in 1000..1001, where the whole-matrix reduction keeps some 1e-11).
// The least-squares solver of the curve fitter goes further: it reduces the design a block of rows
// at a time, so neither the design nor U is ever held whole. A wide design (more than 16 columns)
// goes as above, the triangle R2 grown block by block and U^T b taken from the reduced factors. A
// narrow one, every polynomial fit of ordinary order, keeps its triangle R (all rows) and Q^T b in
// extended cells, with the rows of a block in double (TNarrowQR), and decomposes R by one-sided
// Jacobi in extended (Hestenes; J. Demmel and K. Veselic, Jacobi's method is more accurate than QR,
// SIAM J. Matrix Anal. Appl. 13 (1992) 1204-1245), whose errors stay relative to each column's size.
// Why: rounded to double between blocks (and in [A1; R2]), the triangle of a nearly collinear design
// lost the digits of the large cancelling products behind its fit, and Golub-Reinsch's row
// reflections spread the rounding of the large columns over the small ones; CalcPolyFit on readings
// at 1000..1001 missed the exact fitted values by up to 1e-7 relative at 10^6 points. Now it stays
// near the rounding of its double coefficients (about 1e-10), below the whole-design Golub-Reinsch.

#include <cmath>
#include <limits>

#include "Qelta_linalg_internal.h"
#include "Qelta_math1_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"

namespace qelta {
namespace num_detail {
namespace {

using E = Extended;

/// |a| with the sign of b (+ for b >= 0).
E SignOf(E a, E b) { return b >= 0 ? std::fabs(a) : -std::fabs(a); }

/// A Householder vector whose scale is below this stays normalised: multiplied back by its scale,
/// its cells would lose their bits to underflow (DBL_MIN / DBL_EPSILON).
constexpr E kTinyScale = 0x1p-970L;

/// The rotations of the QR sweeps that wait for one matrix (rows x ..., leading dimension rows),
/// and the columns to negate after them: applied together, the matrix passes through the cache
/// once per batch instead of once per sweep, with the same results.
class TPendingSweeps {
 public:
  void Start(int lo, int hi) {
    FLo.push_back(lo);
    FHi.push_back(hi);
  }
  void Add(Extended c, Extended s) {
    FC.push_back(static_cast<double>(c));
    FS.push_back(static_cast<double>(s));
  }
  /// Column k is negated after the rotations waiting now (no later rotation touches it).
  void Negate(int k) { FNegate.push_back(k); }
  bool Full() const { return FLo.size() >= 32; }
  /// Applies everything to x (nothing when x is null) and starts afresh.
  void Apply(int rows, double* x) {
    if (x != nullptr) {
      RotateSweeps(rows, x, rows, static_cast<int>(FLo.size()), FLo.data(), FHi.data(), FC.data(), FS.data());
      for (int k : FNegate)
        for (int j = 0; j < rows; ++j) x[j + static_cast<int64_t>(k) * rows] = -x[j + static_cast<int64_t>(k) * rows];
    }
    FLo.clear(), FHi.clear(), FC.clear(), FS.clear(), FNegate.clear();
  }

 private:
  std::vector<int> FLo, FHi, FNegate;
  std::vector<double> FC, FS;
};

/// Columns j0..j1-1 of Y (leading dimension ld), a few at a time: prepare(j) for each, then their
/// dot products with x (n elements from row r) together, then update(j, dot) for each. A column's
/// dot product and updates are those of one column at a time; x is read once per group.
template <class P, class U>
void ColumnDots(int j0, int j1, const double* Y, int64_t ld, int r, int n, const double* x, P prepare, U update) {
  constexpr int kGroup = 4;
  double d[kGroup];
  for (int j = j0; j < j1; j += kGroup) {
    const int count = std::min(kGroup, j1 - j);
    for (int c = 0; c < count; ++c) prepare(j + c);
    DotColumns(n, x, count, Y + r + j * ld, ld, d);
    for (int c = 0; c < count; ++c) update(j + c, d[c]);
  }
}

class TGolubReinsch {
 public:
  TGolubReinsch(int m, int n, double* a, double* v, bool wantU)
      : FM(m), FN(n), FA(a), FV(v), FWantU(wantU), FW(n), FRv1(n), FColKept(n, 1), FRowKept(n, 1), FRow(n), FT(m) {}

  bool Run(double* w) {
    Bidiagonalise();
    AccumulateRight();
    AccumulateLeft();
    bool fine = true;
    for (int k = FN - 1; k >= 0; --k) fine = Diagonalise(k) && fine;
    FlushV();
    FlushU();
    for (int i = 0; i < FN; ++i) w[i] = static_cast<double>(FW[i]);
    return fine;
  }

 private:
  double& A(int r, int c) { return FA[r + static_cast<int64_t>(c) * FM]; }
  double* ColA(int c) { return FA + static_cast<int64_t>(c) * FM; }
  double* ColV(int c) { return FV + static_cast<int64_t>(c) * FN; }
  bool Negligible(E x) const { return FAnorm + std::fabs(x) == FAnorm; }
  void FlushV() { FPendingV.Apply(FN, FV); }
  void FlushU() { FPendingU.Apply(FM, FWantU ? FA : nullptr); }

  // [SECTION] phase 1: Householder reduction to bidiagonal form

  /// The update of column j (rows i..m-1) that the row reflection of row i - 1 left waiting.
  void RowUpdate(int i, int j) {
    if (FRowUpdateWaits) Axpy(FM - i, FRow[j], FT.data(), ColA(j) + i);
  }

  /// Reflection of column i (rows i..m-1) applied to the columns right of it; answers scale * g.
  /// Each column first receives the waiting update of the previous row reflection, so the trailing
  /// columns pass through the cache once for both.
  E ColumnReflection(int i) {
    double* ci = ColA(i);
    RowUpdate(i, i);
    E scale = 0;
    for (int k = i; k < FM; ++k) scale += std::fabs(static_cast<E>(ci[k]));
    if (scale == 0) {
      for (int j = i + 1; j < FN; ++j) RowUpdate(i, j);
      FRowUpdateWaits = false;
      return 0;
    }
    E s = 0;
    for (int k = i; k < FM; ++k) {
      ci[k] = static_cast<double>(ci[k] / scale);
      s += static_cast<E>(ci[k]) * ci[k];
    }
    const E f = ci[i], g = -SignOf(std::sqrt(s), f), h = f * g - s;
    ci[i] = static_cast<double>(f - g);
    ColumnDots(
        i + 1, FN, FA, FM, i, FM - i, ci + i, [&](int j) { RowUpdate(i, j); },
        [&](int j, double d) { Axpy(FM - i, static_cast<double>(d / h), ci + i, ColA(j) + i); });
    FRowUpdateWaits = false;
    if (scale < kTinyScale)
      FColKept[i] = scale;
    else
      for (int k = i; k < FM; ++k) ci[k] = static_cast<double>(ci[k] * scale);
    return scale * g;
  }

  /// Reflection of row i (columns i+1..n-1) applied to the rows below it; answers scale * g and
  /// leaves rv1(k) = a(i, k) / h for k > i.
  E RowReflection(int i) {
    const int l = i + 1;
    E scale = 0;
    for (int k = l; k < FN; ++k) scale += std::fabs(static_cast<E>(A(i, k)));
    if (scale == 0) return 0;
    E s = 0;
    for (int k = l; k < FN; ++k) {
      A(i, k) = static_cast<double>(A(i, k) / scale);
      s += static_cast<E>(A(i, k)) * A(i, k);
    }
    const E f = A(i, l), g = -SignOf(std::sqrt(s), f), h = f * g - s;
    A(i, l) = static_cast<double>(f - g);
    double* t = FT.data();
    std::fill(t, t + (FM - l), 0.0);
    for (int k = l; k < FN; ++k) {
      FRv1[k] = A(i, k) / h;
      FRow[k] = static_cast<double>(FRv1[k]);
    }
    for (int k = l; k < FN; ++k) Axpy(FM - l, A(i, k), ColA(k) + l, t);  // t(j) = row j . row i
    FRowUpdateWaits = true;  // columns l.. += rv1(k) t, done by the next column reflection
    if (scale < kTinyScale)
      FRowKept[i] = scale;
    else
      for (int k = l; k < FN; ++k) A(i, k) = static_cast<double>(A(i, k) * scale);
    return scale * g;
  }

  void Bidiagonalise() {
    E g = 0;
    for (int i = 0; i < FN; ++i) {
      FRv1[i] = g;  // scale * g of the previous row reflection
      g = ColumnReflection(i);
      FW[i] = g;
      g = i + 1 < FN ? RowReflection(i) : 0;
      FAnorm = std::max(FAnorm, std::fabs(FW[i]) + std::fabs(FRv1[i]));
      CountProcStat();
    }
    FLastG = g;
  }

  // [SECTION] phases 2 and 3: accumulation of the transformations

  void AccumulateRight() {
    E g = FLastG;
    for (int i = FN - 1; i >= 0; --i) {
      const int l = i + 1;
      if (FV != nullptr) {
        if (i < FN - 1) {
          if (g != 0) {
            double* vi = ColV(i);
            const E gi = g / FRowKept[i];  // the reflector's own g when it stayed normalised
            for (int j = l; j < FN; ++j) vi[j] = static_cast<double>((static_cast<E>(A(i, j)) / A(i, l)) / gi);
            for (int k = l; k < FN; ++k) FRow[k] = A(i, k);
            ColumnDots(
                l, FN, FV, FN, l, FN - l, FRow.data() + l, [](int) {},
                [&](int j, double d) { Axpy(FN - l, d, vi + l, ColV(j) + l); });
          }
          for (int j = l; j < FN; ++j) ColV(i)[j] = ColV(j)[i] = 0.0;
        }
        ColV(i)[i] = 1.0;
      }
      g = FRv1[i];
      CountProcStat();
    }
  }

  void AccumulateLeft() {
    for (int i = FN - 1; i >= 0; --i) {
      if (FWantU) LeftColumn(i);
      CountProcStat();
    }
  }

  void LeftColumn(int i) {
    const int l = i + 1;
    E g = FW[i];
    for (int j = l; j < FN; ++j) A(i, j) = 0.0;
    double* ci = ColA(i);
    if (g != 0) {
      g = FColKept[i] / g;  // 1 / g, or 1 / (g / scale) for a reflector that stayed normalised
      ColumnDots(
          l, FN, FA, FM, l, FM - l, ci + l, [](int) {},
          [&](int j, double d) {
            const E f = (static_cast<E>(d) / ci[i]) * g;
            Axpy(FM - i, static_cast<double>(f), ci + i, ColA(j) + i);
          });
      for (int j = i; j < FM; ++j) ci[j] = static_cast<double>(ci[j] * g);
    } else {
      for (int j = i; j < FM; ++j) ci[j] = 0.0;
    }
    ci[i] += 1.0;
  }

  // [SECTION] phase 4: diagonalisation of the bidiagonal form

  /// Index l where the bidiagonal splits above k; cancel is true when w(l - 1) is negligible.
  int Split(int k, bool& cancel) {
    for (int l = k; l >= 0; --l) {
      cancel = false;
      if (l == 0 || Negligible(FRv1[l])) return l;
      cancel = true;
      if (Negligible(FW[l - 1])) return l;
    }
    return 0;
  }

  /// Zeroes rv1(l) when w(l - 1) is negligible, by rotations of columns l - 1 and l..k of U.
  void Cancel(int l, int k) {
    FlushU();  // these rotations pair column l - 1 with each of l..k, after the sweeps so far
    const int nm = l - 1;
    E c = 0, s = 1;
    for (int i = l; i <= k; ++i) {
      const E f = s * FRv1[i];
      FRv1[i] = c * FRv1[i];
      if (Negligible(f)) break;
      const E g = FW[i];
      E h = std::sqrt(f * f + g * g);
      FW[i] = h;
      h = 1 / h;
      c = g * h;
      s = -f * h;
      if (FWantU) Rotate(FM, ColA(nm), ColA(i), static_cast<double>(c), static_cast<double>(s));
    }
  }

  /// One implicit-shift QR sweep over l..k.
  void Sweep(int l, int k) {
    const int nm = k - 1;
    E x = FW[l], y = FW[nm], z = FW[k], g = FRv1[nm], h = FRv1[k];
    E f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2 * h * y);
    g = std::sqrt(f * f + 1);
    f = ((x - z) * (x + z) + h * ((y / (f + SignOf(g, f))) - h)) / x;
    E c = 1, s = 1;
    FPendingV.Start(l, k);
    FPendingU.Start(l, k);
    for (int j = l; j <= nm; ++j) {
      const int i = j + 1;
      g = FRv1[i];
      y = FW[i];
      h = s * g;
      g = c * g;
      z = std::sqrt(f * f + h * h);
      FRv1[j] = z;
      c = f / z;
      s = h / z;
      f = x * c + g * s;
      g = g * c - x * s;
      h = y * s;
      y *= c;
      FPendingV.Add(c, s);
      z = std::sqrt(f * f + h * h);
      FW[j] = z;
      if (z != 0) {
        z = 1 / z;
        c = f * z;
        s = h * z;
      }
      f = c * g + s * y;
      x = c * y - s * g;
      FPendingU.Add(c, s);
    }
    FRv1[l] = 0;
    FRv1[k] = f;
    FW[k] = x;
    if (FPendingV.Full()) FlushV();
    if (FPendingU.Full()) FlushU();
  }

  /// Iterates on value k until it splits off (at most 30 iterations); false without convergence.
  bool Diagonalise(int k) {
    CountProcStat();
    for (int its = 1; its <= 30; ++its) {
      bool cancel = false;
      const int l = Split(k, cancel);
      if (cancel) Cancel(l, k);
      if (l == k) {
        if (FW[k] < 0) {
          FW[k] = -FW[k];
          FPendingV.Negate(k);
        }
        return true;
      }
      Sweep(l, k);
    }
    return false;
  }

  const int FM, FN;
  double* FA;
  double* FV;
  const bool FWantU;
  std::vector<E> FW, FRv1;
  std::vector<E> FColKept, FRowKept;  ///< scale of a Householder vector left normalised, else 1
  std::vector<double> FRow;  ///< a gathered row of A; rv1 in double during a row reflection
  std::vector<double> FT;    ///< the products of a row reflection
  bool FRowUpdateWaits = false;  ///< the update of a row reflection waits for the next column one
  TPendingSweeps FPendingV, FPendingU;  ///< rotations of the QR phase not yet applied to V and U
  E FAnorm = 0;
  E FLastG = 0;
};

// [SECTION] QR reduction of tall matrices

constexpr int kPanel = 32;  ///< columns per block of reflectors

/// Householder reflector of x (len elements) in place, as LAPACK's dlarfg: x[0] becomes beta, x[1..]
/// the vector v (v[0] = 1 implied), and the answer is tau, so that (I - tau v v^T) x = beta e1. The
/// norm is summed in extended (no overflow or underflow of the squares of any double, and no loss
/// over long columns of same-signed values); tau = 0 leaves x as it is.
double MakeReflector(int len, double* x) {
  double big = 0;
  bool nan = false;
  for (int i = 1; i < len; ++i) big = std::max(big, std::fabs(x[i])), nan = nan || std::isnan(x[i]);
  if (nan) x[0] = std::numeric_limits<double>::quiet_NaN();  // R carries it on to the decomposition
  if (!(big > 0)) return 0.0;                                  // nothing below the diagonal
  Extended s = 0;
  for (int i = 0; i < len; ++i) s += static_cast<Extended>(x[i]) * x[i];
  const double alpha = x[0], beta = -std::copysign(static_cast<double>(std::sqrt(s)), alpha), d = alpha - beta;
  const double scale = 1 / d;
  if (std::isfinite(scale))
    for (int i = 1; i < len; ++i) x[i] *= scale;
  else  // d subnormal: its reciprocal overflows
    for (int i = 1; i < len; ++i) x[i] /= d;
  x[0] = beta;
  return (beta - alpha) / beta;
}

/// y := (I - tau v v^T) y for the reflector v (len elements, v[0] = 1 implied).
void ApplyReflector(int len, const double* v, double tau, double* y) {
  if (tau == 0) return;
  const double f = tau * (y[0] + Dot(len - 1, v + 1, y + 1));
  y[0] -= f;
  Axpy(len - 1, -f, v + 1, y + 1);
}

/// Householder QR of a tall block, m x n (m >= n), in place (leading dimension ld): R in the upper
/// triangle, the reflectors below it, blocked by kPanel columns into the compact WY form of
/// Schreiber and Van Loan, so that the trailing columns and Q itself are updated by block products.
class THouseholderQR {
 public:
  THouseholderQR(int m, int n, double* c, int64_t ld) : FM(m), FN(n), FC(c), FLd(ld), FTau(static_cast<std::size_t>(n)) {
    for (int j0 = 0; j0 < n; j0 += kPanel) {
      const int nb = std::min(kPanel, n - j0);
      FactorPanel(j0, nb);
      if (j0 + nb == n) break;  // the last block is formed only for ApplyQ
      FBlocks.push_back(BlockOf(j0, nb));
      Update(FBlocks.back(), true, n - j0 - nb, FC + j0 + static_cast<int64_t>(j0 + nb) * ld, ld);
    }
  }
  /// x := Q x for x (m x cols, leading dimension ldx).
  void ApplyQ(int cols, double* x, int64_t ldx) {
    const int last = (FN - 1) / kPanel * kPanel;
    if (FN > 0 && (FBlocks.empty() || FBlocks.back().J0 != last)) FBlocks.push_back(BlockOf(last, FN - last));
    for (auto b = FBlocks.rbegin(); b != FBlocks.rend(); ++b) Update(*b, false, cols, x + b->J0, ldx);
  }
  /// y := Q^T y for one vector of m elements.
  void ApplyQT(double* y) const {
    for (int j = 0; j < FN; ++j)
      ApplyReflector(FM - j, FC + j + static_cast<int64_t>(j) * FLd, FTau[static_cast<std::size_t>(j)], y + j);
  }
  /// R (n x n, upper triangular) into r (leading dimension ldr), zeros below.
  void CopyR(double* r, int64_t ldr) const {
    for (int j = 0; j < FN; ++j)
      for (int i = 0; i < FN; ++i) r[i + j * ldr] = i <= j ? FC[i + j * FLd] : 0.0;
  }

 private:
  /// The reflectors of columns J0..J0+Nb-1: I - V T V^T with T upper triangular (Nb x Nb), V the
  /// reflectors in place below the diagonal (unit diagonal, zeros above).
  struct TBlock {
    int J0 = 0, Nb = 0;
    std::vector<double> T;
  };

  double* Panel(int j0) const { return FC + j0 + static_cast<int64_t>(j0) * FLd; }

  void FactorPanel(int j0, int nb) {
    for (int j = j0; j < j0 + nb; ++j) {
      double* cj = FC + j + static_cast<int64_t>(j) * FLd;
      const double tau = FTau[static_cast<std::size_t>(j)] = MakeReflector(FM - j, cj);
      for (int k = j + 1; k < j0 + nb; ++k) ApplyReflector(FM - j, cj, tau, FC + j + static_cast<int64_t>(k) * FLd);
    }
  }

  TBlock BlockOf(int j0, int nb) const {
    TBlock b{j0, nb, std::vector<double>(static_cast<std::size_t>(nb) * nb, 0.0)};
    const double* v = Panel(j0);
    const int rows = FM - j0;
    std::vector<double> z(static_cast<std::size_t>(nb));
    for (int k = 0; k < nb; ++k) {  // T(0:k, k) = -tau_k T(0:k, 0:k) V(:, 0:k)^T v_k
      const double tau = FTau[static_cast<std::size_t>(j0 + k)];
      const double* vk = v + static_cast<int64_t>(k) * FLd;
      for (int i = 0; i < k; ++i) {  // v_i^T v_k over rows k.. (v_k is 0 above row k and 1 at it)
        const double* vi = v + static_cast<int64_t>(i) * FLd;
        z[static_cast<std::size_t>(i)] = vi[k] + Dot(rows - k - 1, vi + k + 1, vk + k + 1);
      }
      double* tk = b.T.data() + static_cast<int64_t>(k) * nb;
      for (int i = 0; i < k; ++i) {
        double t = 0;
        for (int p = i; p < k; ++p) t += b.T[static_cast<std::size_t>(i + p * nb)] * z[static_cast<std::size_t>(p)];
        tk[i] = -tau * t;
      }
      tk[k] = tau;
    }
    return b;
  }

  /// x := (I - V T V^T)^T x when transposed, else (I - V T V^T) x; x has m - b.J0 rows and cols
  /// columns. The block products read V in place, its top Nb x Nb part set to the unit triangle
  /// for the time (R is kept aside and put back).
  void Update(const TBlock& b, bool transposed, int cols, double* x, int64_t ldx) {
    const int nb = b.Nb, rows = FM - b.J0;
    double* v = Panel(b.J0);
    std::vector<double> top(static_cast<std::size_t>(nb) * nb);
    for (int j = 0; j < nb; ++j)
      for (int i = 0; i < nb; ++i) {
        double& cell = v[i + j * FLd];
        top[static_cast<std::size_t>(i + j * nb)] = cell;
        if (i <= j) cell = i == j ? 1.0 : 0.0;
      }
    std::vector<double> w(static_cast<std::size_t>(nb) * cols), tw(w.size());
    Gemm(true, nb, cols, rows, 1.0, v, FLd, x, ldx, 0.0, w.data(), nb);  // V^T x
    for (int c = 0; c < cols; ++c) {  // T^T w or T w
      const double* wc = w.data() + static_cast<int64_t>(c) * nb;
      for (int i = 0; i < nb; ++i) {
        double t = 0;
        if (transposed)
          for (int p = 0; p <= i; ++p) t += b.T[static_cast<std::size_t>(p + i * nb)] * wc[p];
        else
          for (int p = i; p < nb; ++p) t += b.T[static_cast<std::size_t>(i + p * nb)] * wc[p];
        tw[static_cast<std::size_t>(i + c * nb)] = t;
      }
    }
    Gemm(false, rows, cols, nb, -1.0, v, FLd, tw.data(), nb, 1.0, x, ldx);
    for (int j = 0; j < nb; ++j)
      for (int i = 0; i <= j; ++i) v[i + j * FLd] = top[static_cast<std::size_t>(i + j * nb)];
  }

  const int FM, FN;
  double* FC;
  const int64_t FLd;
  std::vector<double> FTau;
  std::vector<TBlock> FBlocks;
};

/// Rows r0..r1-1 of a (n columns, leading dimension lda) as a block of their own.
std::vector<double> RowsOf(const double* a, int64_t lda, int n, int r0, int r1) {
  std::vector<double> x;
  x.reserve(static_cast<std::size_t>(r1 - r0) * n);  // filled by the copies alone
  for (int c = 0; c < n; ++c) x.insert(x.end(), a + r0 + c * lda, a + r1 + c * lda);
  return x;
}

/// The tall path: with A = [A1; A2] (A1 the first n rows) and A2 = Q2 R2, A = diag(I, Q2) [A1; R2].
/// Golub-Reinsch on the 2n x n matrix [A1; R2] meets the same pivots, norms and rows as on A (the
/// transformation leaves rows 1..n alone and keeps every norm below them), so it gives the same
/// singular values, V and signs up to rounding, and U = diag(I, Q2) U'.
struct TTallReduction {
  int M, N;
  std::vector<double> Bottom;  ///< rows n..m-1 of A (U is written over A later), then their QR factors
  THouseholderQR QR;
  std::vector<double> B;  ///< [A1; R2], 2n x n; U' after the decomposition

  /// A: m x n with leading dimension lda.
  TTallReduction(int m, int n, const double* a, int64_t lda)
      : M(m), N(n), Bottom(RowsOf(a, lda, n, n, m)), QR(m - n, n, Bottom.data(), m - n),
        B(static_cast<std::size_t>(2 * n) * n) {
    for (int c = 0; c < n; ++c) std::copy_n(a + c * lda, n, B.data() + static_cast<int64_t>(c) * 2 * n);
    QR.CopyR(B.data() + n, 2 * n);
  }
  /// U = diag(I, Q2) U' into a (m x n, leading dimension lda), which must not hold the factors.
  void StoreU(double* a, int64_t lda) {
    for (int c = 0; c < N; ++c) {
      double* ac = a + c * lda;
      std::copy_n(B.data() + static_cast<int64_t>(c) * 2 * N, 2 * N, ac);
      std::fill(ac + 2 * N, ac + M, 0.0);
    }
    QR.ApplyQ(N, a + N, lda);
  }
};

// [SECTION] narrow tall least squares

constexpr int kRowBlock = 1024;      ///< rows of a design the least-squares solver holds at a time
constexpr int kNarrowColumns = 16;  ///< widest design whose triangle it keeps in extended cells

/// Householder QR of a design with few columns that arrives a block of rows at a time: the
/// triangle R (n x n) and z, the first n elements of Q^T b, in extended cells; the rows of a block in
/// double. The reflector of column j pairs row j of R with column j of the block (R is zero below
/// row j there); its norm and dot products are summed in extended, and only the block's cells are
/// rounded to double. R itself is never rounded: rounded between blocks, the large cancelling
/// products of nearly collinear columns took digits of every later row's fit with them.
class TNarrowQR {
 public:
  explicit TNarrowQR(int n) : FN(n), FRz(static_cast<std::size_t>(n) * (n + 1), 0) {}
  /// Folds in a block of rows: n + 1 columns (the design's, then b) with leading dimension ld,
  /// destroyed.
  void Add(int rows, double* block, int64_t ld) {
    for (int j = 0; j < FN; ++j) Reflect(j, rows, block, ld);
  }
  /// Cell (i, j) of [R z], z its column n.
  E At(int i, int j) const { return FRz[static_cast<std::size_t>(i + j * FN)]; }

 private:
  E& Cell(int i, int j) { return FRz[static_cast<std::size_t>(i + j * FN)]; }

  void Reflect(int j, int rows, double* block, int64_t ld) {
    double* cj = block + j * ld;
    const E s = DotExtended(rows, cj, cj);
    if (s == 0) return;  // column j of the block is zero already
    const E alpha = Cell(j, j), beta = -SignOf(std::sqrt(alpha * alpha + s), alpha), u0 = alpha - beta;
    const int e = ScaleUp(rows, cj, s);
    for (int k = j + 1; k <= FN; ++k) {  // y := (I - u u^T / (beta (beta - alpha))) y, u = [u0; cj]
      double* ck = block + k * ld;
      const E q = (u0 * Cell(j, k) + std::ldexp(DotExtended(rows, cj, ck), -e)) / (beta * u0);
      Cell(j, k) += q * u0;
      Axpy(rows, static_cast<double>(std::ldexp(q, -e)), cj, ck);
    }
    Cell(j, j) = beta;
  }

  /// Column c (rows cells, sum of squares s) times 2^e, answering e: 0 for a column of ordinary
  /// size, else the power of two that brings it near 1 (exact for subnormal cells), so that the
  /// multipliers of its updates stay doubles (for a column of subnormal cells they overflowed).
  static int ScaleUp(int rows, double* c, E s) {
    const int e = -std::ilogb(s) / 2;
    if (std::abs(e) < 500) return 0;
    for (int i = 0; i < rows; ++i) c[i] = std::ldexp(c[i], e);
    return e;
  }

  const int FN;
  std::vector<E> FRz;
};

/// x, y := c x - s y, s x + c y.
void Turn(int n, E* x, E* y, E c, E s) {
  for (int i = 0; i < n; ++i) {
    const E xi = x[i], yi = y[i];
    x[i] = c * xi - s * yi;
    y[i] = s * xi + c * yi;
  }
}

/// The rotation of columns p and q of a (m rows; v n rows alike) that makes them orthogonal; false
/// when they are orthogonal within tol already.
bool JacobiRotation(int m, int n, E* a, E* v, int p, int q, E tol) {
  E* ap = a + static_cast<int64_t>(p) * m;
  E* aq = a + static_cast<int64_t>(q) * m;
  E alpha = 0, beta = 0, gamma = 0;
  for (int i = 0; i < m; ++i) {
    alpha += ap[i] * ap[i];
    beta += aq[i] * aq[i];
    gamma += ap[i] * aq[i];
  }
  if (!(std::fabs(gamma) > tol * std::sqrt(alpha * beta))) return false;
  const E zeta = (beta - alpha) / (2 * gamma), t = SignOf(1, zeta) / (std::fabs(zeta) + std::sqrt(1 + zeta * zeta));
  const E c = 1 / std::sqrt(1 + t * t);
  Turn(m, ap, aq, c, c * t);
  Turn(n, v + static_cast<int64_t>(p) * n, v + static_cast<int64_t>(q) * n, c, c * t);
  return true;
}

/// One-sided Jacobi (Hestenes) on the columns of a (m x n, leading dimension m): plane rotations
/// from the right until every pair of columns is orthogonal to extended precision; a becomes
/// U diag(w) and v (n x n, the identity on entry) the product of the rotations. Its rounding errors
/// stay relative to each column's size, which the row reflections of Golub-Reinsch do not keep on
/// columns of very different size. False when 60 sweeps did not get there.
bool JacobiSvd(int m, int n, E* a, E* v) {
  const E tol = std::numeric_limits<E>::epsilon() * m;
  for (int sweep = 0; sweep < 60; ++sweep) {
    bool rotated = false;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) rotated = JacobiRotation(m, n, a, v, p, q, tol) || rotated;
    if (!rotated) return true;
  }
  return false;
}

}  // namespace

bool SvdTallEnough(int m, int n) { return n >= 1 && m >= 64 && m >= 3 * static_cast<int64_t>(n); }

bool SvdKernelGolubReinsch(int m, int n, double* a, double* v, double* w, bool wantU) {
  if (n <= 0) return true;
  return TGolubReinsch(m, n, a, v, wantU).Run(w);
}

/// SvdKernel's tall path on a (leading dimension lda).
bool TallSvd(int m, int n, double* a, int64_t lda, double* v, double* w, bool wantU) {
  TTallReduction t(m, n, a, lda);
  const bool fine = SvdKernelGolubReinsch(2 * n, n, t.B.data(), v, w, wantU);
  if (wantU) t.StoreU(a, lda);
  return fine;
}

bool SvdKernel(int m, int n, double* a, double* v, double* w, bool wantU) {
  if (!SvdTallEnough(m, n)) return SvdKernelGolubReinsch(m, n, a, v, w, wantU);
  return TallSvd(m, n, a, m, v, w, wantU);
}

}  // namespace num_detail

namespace {

using num_detail::TMatrixAccess;

/// The decomposition of A's cells, padded to max(m, n) rows: U (rows x n), V (n x n), W (n).
struct TSvdFactors {
  int M = 0, N = 0, Rows = 0;
  std::vector<double> U, V, W;
  bool Fine = false;

  explicit TSvdFactors(const TMatrix& A)
      : M(A.NrOfRows()), N(A.NrOfColumns()), Rows(std::max(M, N)), V(static_cast<std::size_t>(N) * N),
        W(static_cast<std::size_t>(N)) {
    const double* cells = TMatrixAccess::Data(A);
    const int64_t stride = TMatrixAccess::Stride(A);
    if (M == Rows && stride == M) {  // the storage as it stands (no padding)
      U.assign(cells, cells + static_cast<int64_t>(Rows) * N);
    } else {
      U.assign(static_cast<std::size_t>(Rows) * N, 0.0);
      for (int c = 0; c < N; ++c) std::copy_n(cells + c * stride, M, U.data() + static_cast<int64_t>(c) * Rows);
    }
    Fine = num_detail::SvdKernel(Rows, N, U.data(), V.data(), W.data(), true);
  }
  /// The first M rows of U into A.
  void StoreU(TMatrix& A) const { TMatrixAccess::Store(A, U.data(), N, M, Rows); }
};

/// The solver of SvdBackSubstitute on private factors (u: m x n with leading dimension ldu; v: n x n):
/// x (n elements) and, when sd is not null, the standard deviations (n elements).
template <class T>
void BackSubstitute(int m, int n, const T* u, int64_t ldu, const T* v, const double* w, const T* b, double* x,
                    double* sd) {
  std::vector<Extended> t(static_cast<std::size_t>(n), 0);
  for (int j = 0; j < n; ++j) {
    if (w[j] == 0.0) continue;
    Extended s = 0;
    for (int i = 0; i < m; ++i) s += static_cast<Extended>(u[i + j * ldu]) * b[i];
    t[static_cast<std::size_t>(j)] = s / w[j];
  }
  for (int j = 0; j < n; ++j) {
    Extended s = 0;
    for (int k = 0; k < n; ++k) s += static_cast<Extended>(v[j + static_cast<int64_t>(k) * n]) * t[static_cast<std::size_t>(k)];
    x[j] = static_cast<double>(s);
  }
  if (sd == nullptr) return;
  for (int k = 0; k < n; ++k)
    t[static_cast<std::size_t>(k)] = w[k] != 0.0 ? 1 / (static_cast<Extended>(w[k]) * w[k]) : 0;
  for (int l = 0; l < n; ++l) {
    Extended s = 0;
    for (int k = 0; k < n; ++k) {
      const Extended vlk = v[l + static_cast<int64_t>(k) * n];
      s += vlk * vlk * t[static_cast<std::size_t>(k)];
    }
    sd[l] = static_cast<double>(std::sqrt(s));
  }
}

/// The least-squares rule of zero singular values: those up to 1e-14 times the largest become 0;
/// true when there was one.
bool ZeroNegligible(std::vector<double>& w) {
  double wmax = 0.0;
  for (double x : w) wmax = std::max(wmax, x);
  bool singular = false;
  for (double& x : w)
    if (x <= wmax * 1e-14) {
      x = 0.0;
      singular = true;
    }
  return singular;
}

/// SvdSolve's rule and solver on the triangle of qr (n columns), its singular value decomposition
/// by JacobiSvd in extended; the same ProcStat steps as Golub-Reinsch (4n). False for a non-finite
/// cell or without convergence.
bool SolveNarrow(int n, const num_detail::TNarrowQR& qr, double* x, double* sd, bool& singular) {
  std::vector<Extended> u(static_cast<std::size_t>(n) * n, 0), v(u.size(), 0), z(static_cast<std::size_t>(n));
  bool finite = true;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= std::min(j, n - 1); ++i) {
      const Extended c = qr.At(i, j);
      (j < n ? u[static_cast<std::size_t>(i + j * n)] : z[static_cast<std::size_t>(i)]) = c;
      finite = finite && std::isfinite(c);
    }
  for (int j = 0; j < n; ++j) v[static_cast<std::size_t>(j + j * n)] = 1;
  for (int k = 0; k < 4 * n; ++k) num_detail::CountProcStat();
  if (!finite || !num_detail::JacobiSvd(n, n, u.data(), v.data())) return false;
  std::vector<double> w(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) {  // a column of U diag(w): w its length, U the direction
    Extended* uj = u.data() + static_cast<int64_t>(j) * n;
    Extended ss = 0;
    for (int i = 0; i < n; ++i) ss += uj[i] * uj[i];
    const Extended len = std::sqrt(ss);
    if (len != 0)
      for (int i = 0; i < n; ++i) uj[i] /= len;
    w[static_cast<std::size_t>(j)] = static_cast<double>(len);
  }
  singular = ZeroNegligible(w);
  BackSubstitute(n, n, u.data(), n, v.data(), w.data(), z.data(), x, sd);
  return true;
}

/// SvdSolveByRows on a narrow tall design: TNarrowQR a block of rows at a time, then SolveNarrow.
bool SolveNarrowByRows(int m, int n, const num_detail::TRowFill& fill, double* x, double* sd, bool& singular) {
  constexpr int kRows = num_detail::kRowBlock;
  num_detail::TNarrowQR qr(n);
  std::vector<double> block(static_cast<std::size_t>(kRows) * (n + 1));
  for (int r0 = 0; r0 < m; r0 += kRows) {
    const int c = std::min(kRows, m - r0);
    fill(r0, r0 + c, block.data(), kRows, block.data() + static_cast<int64_t>(n) * kRows);
    qr.Add(c, block.data(), kRows);
  }
  return SolveNarrow(n, qr, x, sd, singular);
}

/// SvdBackSubstitute's results into X and SD (when given).
void StoreSolution(const std::vector<double>& x, const std::vector<double>& sd, TVector* X, TVector* SD) {
  for (std::size_t i = 0; i < x.size(); ++i) X->SetVal(static_cast<int>(i) + 1, x[i]);
  if (SD != nullptr)
    for (std::size_t i = 0; i < sd.size(); ++i) SD->SetVal(static_cast<int>(i) + 1, sd[i]);
}

std::vector<double> Elements(const TVector& vec, int count) {
  std::vector<double> e(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 1; i <= count; ++i) e[static_cast<std::size_t>(i - 1)] = vec.GetVal(i);
  return e;
}

}  // namespace

bool num_detail::SvdSolve(int m, int n, double* a, double* b, double* x, double* sd, bool& singular) {
  singular = false;
  if (n <= 0) return true;
  std::vector<double> v(static_cast<std::size_t>(n) * n), w(static_cast<std::size_t>(n)), padded;
  const int rows = std::max(m, n);
  double* u = a;
  if (m < n) {  // padded with zero rows
    padded.assign(static_cast<std::size_t>(rows) * n, 0.0);
    for (int c = 0; c < n; ++c) std::copy_n(a + static_cast<int64_t>(c) * m, m, padded.data() + static_cast<int64_t>(c) * rows);
    u = padded.data();
  }
  if (!SvdKernelGolubReinsch(rows, n, u, v.data(), w.data(), true)) return false;
  singular = ZeroNegligible(w);
  BackSubstitute(m, n, u, rows, v.data(), w.data(), b, x, sd);
  return true;
}

bool num_detail::SvdSolveByRows(int m, int n, const TRowFill& fill, double* x, double* sd, bool& singular) {
  singular = false;
  if (n <= 0) return true;
  if (!SvdTallEnough(m, n)) {
    std::vector<double> a(static_cast<std::size_t>(m) * n), b(static_cast<std::size_t>(m));
    fill(0, m, a.data(), m, b.data());
    return SvdSolve(m, n, a.data(), b.data(), x, sd, singular);
  }
  if (n <= kNarrowColumns) return SolveNarrowByRows(m, n, fill, x, sd, singular);
  // [A1; R2] and [b1; the first n of Q2^T b2], R2 grown a block of rows at a time: [R; rows] = Q R'.
  constexpr int kChunk = kRowBlock;
  const int64_t ld = n + kChunk;
  std::vector<double> b(static_cast<std::size_t>(2 * n) * n), y(static_cast<std::size_t>(2 * n));
  std::vector<double> top(static_cast<std::size_t>(n) * n), s(static_cast<std::size_t>(ld) * n, 0.0), sb(static_cast<std::size_t>(ld), 0.0);
  fill(0, n, top.data(), n, y.data());
  for (int r0 = n; r0 < m; r0 += kChunk) {
    const int c = std::min(kChunk, m - r0);
    for (int j = 0; j < n; ++j)  // R stays in the upper triangle; the reflectors below it go
      std::fill(s.data() + j + 1 + j * ld, s.data() + n + j * ld, 0.0);
    fill(r0, r0 + c, s.data() + n, ld, sb.data() + n);
    const THouseholderQR qr(n + c, n, s.data(), ld);
    qr.ApplyQT(sb.data());
  }
  for (int j = 0; j < n; ++j) {
    std::copy_n(top.data() + static_cast<int64_t>(j) * n, n, b.data() + static_cast<int64_t>(j) * 2 * n);
    for (int i = 0; i < n; ++i) b[static_cast<std::size_t>(n + i + j * 2 * n)] = i <= j ? s[static_cast<std::size_t>(i + j * ld)] : 0.0;
  }
  std::copy_n(sb.data(), n, y.data() + n);
  std::vector<double> v(static_cast<std::size_t>(n) * n), w(static_cast<std::size_t>(n));
  if (!SvdKernelGolubReinsch(2 * n, n, b.data(), v.data(), w.data(), true)) return false;
  singular = ZeroNegligible(w);
  BackSubstitute(2 * n, n, b.data(), 2 * n, v.data(), w.data(), y.data(), x, sd);
  return true;
}

bool SvdDecompose(TMatrix* A, TMatrix* V, TVector* W) {
  if (A == nullptr || V == nullptr || W == nullptr) return false;
  return num_detail::GuardMemory(u"SvdDecompose", [&] {
    const int m = A->NrOfRows(), n = A->NrOfColumns();
    if (!A->OnChange && num_detail::SvdTallEnough(m, n)) {  // U straight into A's storage (no event either way)
      std::vector<double> v(static_cast<std::size_t>(n) * n), w(static_cast<std::size_t>(n));
      const bool fine = num_detail::TallSvd(m, n, TMatrixAccess::Column(*A, 1), TMatrixAccess::Stride(*A), v.data(), w.data(), true);
      TMatrixAccess::Store(*V, v.data(), n, n, n);
      for (int i = 1; i <= n; ++i) W->SetVal(i, w[static_cast<std::size_t>(i - 1)]);
      return fine;
    }
    const TSvdFactors f(*A);
    f.StoreU(*A);
    TMatrixAccess::Store(*V, f.V.data(), f.N, f.N, f.N);
    for (int i = 1; i <= f.N; ++i) W->SetVal(i, f.W[static_cast<std::size_t>(i - 1)]);
    return f.Fine;
  });
}

bool SvdBackSubstitute(const TMatrix* U, const TMatrix* V, const TVector* W, TVector* SD, TVector* X,
                       const TVector* B) {
  if (U == nullptr || V == nullptr || W == nullptr || X == nullptr || B == nullptr) return false;
  return num_detail::GuardMemory(u"SvdBackSubstitute", [&] {
    const int m = U->NrOfRows(), n = U->NrOfColumns();
    const std::vector<double> u = TMatrixAccess::Cells(*U), w = Elements(*W, n), b = Elements(*B, m);
    std::vector<double> v(static_cast<std::size_t>(n) * n);
    for (int c = 1; c <= n; ++c)
      for (int r = 1; r <= n; ++r) v[static_cast<std::size_t>(r - 1) + static_cast<std::size_t>(c - 1) * n] = V->GetVal(c, r);
    std::vector<double> x(static_cast<std::size_t>(n)), sd(SD != nullptr ? x.size() : 0);
    BackSubstitute(m, n, u.data(), m, v.data(), w.data(), b.data(), x.data(), SD != nullptr ? sd.data() : nullptr);
    StoreSolution(x, sd, X, SD);
    return true;
  });
}

bool SvdLeastSquares(TMatrix* A, const TVector* B, TVector* X, bool& Singular, TVector* SD) {
  Singular = false;
  if (A == nullptr || B == nullptr || X == nullptr) return false;
  return num_detail::GuardMemory(u"SvdLeastSquares", [&] {
    TSvdFactors f(*A);
    f.StoreU(*A);
    if (!f.Fine) return false;
    Singular = ZeroNegligible(f.W);
    std::vector<double> x(static_cast<std::size_t>(f.N)), sd(SD != nullptr ? x.size() : 0);
    BackSubstitute(f.M, f.N, f.U.data(), f.Rows, f.V.data(), f.W.data(), Elements(*B, f.M).data(), x.data(),
                   SD != nullptr ? sd.data() : nullptr);
    StoreSolution(x, sd, X, SD);
    return true;
  });
}

}  // namespace qelta
