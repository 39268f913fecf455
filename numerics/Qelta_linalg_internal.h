#pragma once
// Not part of the public interface: the dense kernels under the linear algebra of Qelta_matrix and
// Qelta_math2. They work on private column-major blocks of doubles (column c of an m-row block
// starts at c * ld); the public routines copy their operands in, call these and write the results
// back through the element writers.
//
// The hot loops (block products, dot products, axpys, plane rotations) pick their instructions once
// per process from what the processor offers (AVX-512, AVX2 with FMA, or the portable SSE2 path), so
// the library stays one portable build. Results therefore differ in the last bits between machines.
// Exported for the tests and the benchmarks.

#include <cstdint>
#include <functional>
#include <vector>

#include "Qelta_matrix.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::num_detail {

// [SECTION] cells of a TMatrix as a private block

/// The way in and out of a TMatrix for the linear algebra.
struct TMatrixAccess {
  /// Cells (1..NrOfColumns) x (1..NrOfRows), column-major with leading dimension NrOfRows.
  static std::vector<double> Cells(const TMatrix& m);
  /// Cells (1..nc) x (1..nr) from block (leading dimension ld) into m: through SetVal when m has
  /// an OnChange handler (column by column), else stored directly; cells outside m are dropped.
  static void Store(TMatrix& m, const double* block, int nc, int nr, int64_t ld);
  /// One cell by the same rule.
  static void Put(TMatrix& m, int c, int r, double v) { m.PutVal(c, r, v); }
  /// The storage of column c (1..NrOfColumns): NrOfRows cells, written without event.
  static double* Column(TMatrix& m, int c) { return m.Mat.Col(c); }
  /// The whole storage, read only: column c starts at (c - 1) * Stride(m).
  static const double* Data(const TMatrix& m) { return m.Mat.Data(); }
  static int64_t Stride(const TMatrix& m) { return m.Mat.Rows(); }
};

// [SECTION] instruction level

/// Instructions in use: 0 portable (SSE2), 1 AVX2 with FMA (also the integer product and the comb
/// sort's passes), 2 AVX-512 block products.
int KernelLevel();
/// Uses at most `level` (clamped to what the processor offers; tests compare the paths); answers
/// the level now in use.
int SetKernelLevel(int level);

// [SECTION] level 1: vectors of n doubles

/// Sum of x[i] * y[i].
double Dot(int n, const double* x, const double* y);
/// Sum of x[i] * y[i] in extended: to about twice double's precision where the processor has FMA
/// (the products and sums with their errors; the same on levels 1 and 2), else summed in extended.
/// For any doubles: a vector result outside 2^-900..2^900 in size (products or sums beyond the range
/// of double, or 0) is summed again in extended.
Extended DotExtended(int n, const double* x, const double* y);
/// out[c] = Dot(n, x, column c of Y) for c < count (leading dimension ldy), bit for bit; faster
/// than one Dot per column where x is read once for several.
void DotColumns(int n, const double* x, int count, const double* Y, int64_t ldy, double* out);
/// y[i] += a * x[i].
void Axpy(int n, double a, const double* x, double* y);
/// Plane rotation of two vectors: (x, y) := (c x + s y, c y - s x).
void Rotate(int n, double* x, double* y, double c, double s);
/// Sweeps of plane rotations of adjacent columns of X (rows x ..., leading dimension ld), in order:
/// sweep q rotates the columns (j, j + 1) for j = lo[q]..hi[q] - 1 as Rotate does, with the next
/// entries of c and s. Every cell goes through the same operations in the same order as with one
/// Rotate call per pair, so the results are the same; the work runs in blocks of rows that stay in
/// the cache through all the sweeps.
void RotateSweeps(int rows, double* X, int64_t ld, int sweeps, const int* lo, const int* hi, const double* c,
                  const double* s);
/// The Jacobi form of a rotation: (x, y) := (x - s (y + x tau), y + s (x - y tau)).
void JacobiRotate(int n, double* x, double* y, double s, double tau);

// [SECTION] level 3: blocks

/// C := beta C + alpha op(A) B with op(A) m x k (A itself when !transA, else A is k x m and op(A)
/// its transpose), B k x n, C m x n; beta 0 ignores what C held (NaN included). Cache-blocked.
void Gemm(bool transA, int m, int n, int k, double alpha, const double* A, int64_t lda, const double* B, int64_t ldb,
          double beta, double* C, int64_t ldc);
/// C := A B for integers modulo 2^32 (the wrap of the integer matrix), A m x k, B k x n, C m x n
/// (all column-major); C must not overlap A or B.
void IntProduct(int m, int n, int k, const int32_t* A, int64_t lda, const int32_t* B, int64_t ldb, int32_t* C,
                int64_t ldc);
/// Solves L X = B in place of B (n x nrhs), L unit lower triangular n x n (its upper part unread).
void TrsmLowerUnit(int n, int nrhs, const double* L, int64_t ldl, double* B, int64_t ldb);
/// Solves U X = B in place of B (n x nrhs), U upper triangular n x n (its lower part unread);
/// divides by the diagonal.
void TrsmUpper(int n, int nrhs, const double* U, int64_t ldu, double* B, int64_t ldb);

// [SECTION] singular value decomposition (Qelta_math2_svd.cpp)

/// Golub-Reinsch on a (m x n, m >= n, leading dimension m), replaced by U when wantU; V (n x n,
/// leading dimension n) when v is not null; n singular values into w, unsorted and non-negative.
/// One ProcStat step per column and phase (4n). False when a value did not converge in 30
/// iterations (the factors are then unreliable).
/// Tall matrices (m >= 3n, at least 64 rows) first go through a QR reduction of their rows below
/// the n-th (see SvdTallEnough): the same singular values, V and signs up to rounding.
bool SvdKernel(int m, int n, double* a, double* v, double* w, bool wantU);
/// True when SvdKernel takes the QR reduction for an m x n matrix.
bool SvdTallEnough(int m, int n);
/// SvdKernel without the QR reduction: Golub-Reinsch on the whole matrix, the plain twin that the
/// tests hold the reduction against.
bool SvdKernelGolubReinsch(int m, int n, double* a, double* v, double* w, bool wantU);
/// SvdLeastSquares on a private design a (m x n, leading dimension m; fewer rows than columns are
/// padded with zero rows) and right-hand side b (m elements), both destroyed: x (n elements) and,
/// when sd is not null, the standard deviations; singular as there. False (x untouched) when the
/// decomposition did not converge.
bool SvdSolve(int m, int n, double* a, double* b, double* x, double* sd, bool& singular);
/// fill(r0, r1, block, ld, rhs): rows r0..r1-1 of a design into block (column-major, leading
/// dimension ld) and their right-hand sides into rhs.
using TRowFill = std::function<void(int, int, double*, int64_t, double*)>;
/// SvdSolve on a design of m rows (m >= 1) that fill produces: a tall one a block of rows at a time
/// (its rows reduced to a triangle as they come), so it is never held whole. Up to 16 columns the
/// triangle is kept in extended cells and decomposed by one-sided Jacobi in extended: the same rule
/// and ProcStat steps, without the digits Golub-Reinsch loses on nearly collinear columns of very
/// different size (polynomials of readings far from 0).
bool SvdSolveByRows(int m, int n, const TRowFill& fill, double* x, double* sd, bool& singular);

}  // namespace qelta::num_detail

QELTA_PUBLIC_END
