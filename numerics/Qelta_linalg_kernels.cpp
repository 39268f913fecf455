// Qelta_linalg_kernels.cpp: the dense kernels of Qelta_linalg_internal.h.
//
// Block product: the usual three-level blocking of a packed product. op(A) is packed in slivers of
// MR rows (kc columns each, zero-padded), B in slivers of NR columns; a register-blocked micro-kernel
// multiplies one MR x kc sliver by one kc x NR sliver into an MR x NR tile of C. Blocks: kc = 256
// (a B sliver stays in L1), mc = 144 (the packed A block stays in L2), nc = 3072.
// Micro-kernels: 24 x 8 with AVX-512 (24 accumulators of 8 doubles), 8 x 6 with AVX2 and FMA (12 of
// 4), and a 4 x 4 portable kernel that the compiler maps onto SSE2. The processor is asked once per
// process (__builtin_cpu_supports, which also checks that the system saves the wide registers).
// Level-1 loops on the AVX-512 level: the AVX2 loops eight lanes wide, with the same operations per
// element and the same partial sums, so their results do not change with the level above 1.
// Extended dot product: Dot2 (T. Ogita, S. M. Rump, S. Oishi, Accurate sum and dot product, SIAM J.
// Sci. Comput. 26 (2005) 1955-1988) on two chains of 4 lanes, each product split by FMA into its
// double and its error and each sum into its double and its error, the errors summed apart; the
// lanes are added in extended. The same loop on the AVX-512 level; without FMA, sums in extended.
// Triangular solves: blocks of 64 rows solved column by column, the rest updated by the product.
// Integer product (wrapping modulo 2^32, so any order of the sums gives the same cells): tiles of 16
// rows x 4 columns of C held in registers over blocks of 256 terms, A and B read in place; one body
// in GCC's vector extension, compiled for SSE2 and, chosen at run time, for AVX2.

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "Qelta_linalg_internal.h"

namespace qelta::num_detail {
namespace {

// [SECTION] portable loops

double DotPlain(int n, const double* x, const double* y) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += x[i] * y[i];
    s1 += x[i + 1] * y[i + 1];
    s2 += x[i + 2] * y[i + 2];
    s3 += x[i + 3] * y[i + 3];
  }
  for (; i < n; ++i) s0 += x[i] * y[i];
  return (s0 + s1) + (s2 + s3);
}

Extended DotExtendedPlain(int n, const double* x, const double* y) {
  Extended s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += static_cast<Extended>(x[i]) * y[i];
    s1 += static_cast<Extended>(x[i + 1]) * y[i + 1];
    s2 += static_cast<Extended>(x[i + 2]) * y[i + 2];
    s3 += static_cast<Extended>(x[i + 3]) * y[i + 3];
  }
  for (; i < n; ++i) s0 += static_cast<Extended>(x[i]) * y[i];
  return (s0 + s1) + (s2 + s3);
}

void AxpyPlain(int n, double a, const double* x, double* y) {
  for (int i = 0; i < n; ++i) y[i] += a * x[i];
}

void RotatePlain(int n, double* x, double* y, double c, double s) {
  for (int i = 0; i < n; ++i) {
    const double xi = x[i], yi = y[i];
    x[i] = xi * c + yi * s;
    y[i] = yi * c - xi * s;
  }
}

/// The rows r0..r1-1 of RotateSweeps, as RotatePlain.
void RotateSweepsPlain(int r0, int r1, double* X, int64_t ld, int sweeps, const int* lo, const int* hi,
                       const double* c, const double* s) {
  int k = 0;
  for (int q = 0; q < sweeps; ++q)
    for (int j = lo[q]; j < hi[q]; ++j, ++k) RotatePlain(r1 - r0, X + r0 + j * ld, X + r0 + (j + 1) * ld, c[k], s[k]);
}

/// RotateSweeps in blocks of 8 rows.
void RotateSweepsPlainAll(int rows, double* X, int64_t ld, int sweeps, const int* lo, const int* hi, const double* c,
                          const double* s) {
  for (int r = 0; r < rows; r += 8) RotateSweepsPlain(r, std::min(r + 8, rows), X, ld, sweeps, lo, hi, c, s);
}

void JacobiRotatePlain(int n, double* x, double* y, double s, double tau) {
  for (int i = 0; i < n; ++i) {
    const double g = x[i], h = y[i];
    x[i] = g - s * (h + g * tau);
    y[i] = h + s * (g - h * tau);
  }
}

// [SECTION] AVX2 loops

__attribute__((target("avx2,fma"))) double HorizontalSum(__m256d v) {
  __m128d lo = _mm_add_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
  return _mm_cvtsd_f64(_mm_add_sd(lo, _mm_unpackhi_pd(lo, lo)));
}

__attribute__((target("avx2,fma"))) double DotAvx2(int n, const double* x, const double* y) {
  __m256d s0 = _mm256_setzero_pd(), s1 = _mm256_setzero_pd(), s2 = _mm256_setzero_pd(), s3 = _mm256_setzero_pd();
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    s0 = _mm256_fmadd_pd(_mm256_loadu_pd(x + i), _mm256_loadu_pd(y + i), s0);
    s1 = _mm256_fmadd_pd(_mm256_loadu_pd(x + i + 4), _mm256_loadu_pd(y + i + 4), s1);
    s2 = _mm256_fmadd_pd(_mm256_loadu_pd(x + i + 8), _mm256_loadu_pd(y + i + 8), s2);
    s3 = _mm256_fmadd_pd(_mm256_loadu_pd(x + i + 12), _mm256_loadu_pd(y + i + 12), s3);
  }
  for (; i + 4 <= n; i += 4) s0 = _mm256_fmadd_pd(_mm256_loadu_pd(x + i), _mm256_loadu_pd(y + i), s0);
  double s = HorizontalSum(_mm256_add_pd(_mm256_add_pd(s0, s1), _mm256_add_pd(s2, s3)));
  for (; i < n; ++i) s += x[i] * y[i];
  return s;
}

/// One step of the compensated dot product (Ogita, Rump and Oishi's Dot2) on 4 lanes: p + x y
/// split into the sum p and its error, which goes to c with the product's own error (by FMA).
__attribute__((target("avx2,fma"))) inline void Dot2Step(const double* x, const double* y, __m256d& p, __m256d& c) {
  const __m256d a = _mm256_loadu_pd(x), b = _mm256_loadu_pd(y), h = _mm256_mul_pd(a, b);
  const __m256d t = _mm256_add_pd(p, h), z = _mm256_sub_pd(t, p);
  const __m256d e = _mm256_add_pd(_mm256_sub_pd(p, _mm256_sub_pd(t, z)), _mm256_sub_pd(h, z));
  c = _mm256_add_pd(c, _mm256_add_pd(e, _mm256_fmsub_pd(a, b, h)));
  p = t;
}

__attribute__((target("avx2,fma"))) Extended DotExtendedAvx2(int n, const double* x, const double* y) {
  __m256d p0 = _mm256_setzero_pd(), p1 = p0, c0 = p0, c1 = p0;
  int i = 0;
  for (; i + 8 <= n; i += 8) Dot2Step(x + i, y + i, p0, c0), Dot2Step(x + i + 4, y + i + 4, p1, c1);
  alignas(32) double lanes[16];
  _mm256_store_pd(lanes, p0), _mm256_store_pd(lanes + 4, p1), _mm256_store_pd(lanes + 8, c0), _mm256_store_pd(lanes + 12, c1);
  Extended s = 0;
  for (double v : lanes) s += v;
  return s + DotExtendedPlain(n - i, x + i, y + i);
}

__attribute__((target("avx2,fma"))) void AxpyAvx2(int n, double a, const double* x, double* y) {
  const __m256d va = _mm256_set1_pd(a);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    _mm256_storeu_pd(y + i, _mm256_fmadd_pd(va, _mm256_loadu_pd(x + i), _mm256_loadu_pd(y + i)));
    _mm256_storeu_pd(y + i + 4, _mm256_fmadd_pd(va, _mm256_loadu_pd(x + i + 4), _mm256_loadu_pd(y + i + 4)));
  }
  for (; i < n; ++i) y[i] += a * x[i];
}

__attribute__((target("avx2,fma"))) void RotateAvx2(int n, double* x, double* y, double c, double s) {
  const __m256d vc = _mm256_set1_pd(c), vs = _mm256_set1_pd(s);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d xi = _mm256_loadu_pd(x + i), yi = _mm256_loadu_pd(y + i);
    _mm256_storeu_pd(x + i, _mm256_fmadd_pd(xi, vc, _mm256_mul_pd(yi, vs)));
    _mm256_storeu_pd(y + i, _mm256_fmsub_pd(yi, vc, _mm256_mul_pd(xi, vs)));
  }
  RotatePlain(n - i, x + i, y + i, c, s);
}

/// Rows r0..r0+4B-1 of RotateSweeps, all in RotateAvx2's vector part: B vectors of 4 rows per column.
template <int B>
__attribute__((target("avx2,fma"))) void RotateSweepsBlockAvx2(int r0, double* X, int64_t ld, int sweeps, const int* lo,
                                                               const int* hi, const double* c, const double* s) {
  int k = 0;
  for (int q = 0; q < sweeps; ++q) {
    double* x = X + r0 + lo[q] * ld;
    __m256d xv[B];
    for (int b = 0; b < B; ++b) xv[b] = _mm256_loadu_pd(x + 4 * b);
    for (int j = lo[q]; j < hi[q]; ++j, ++k) {  // column j + 1 carried in registers to the next pair
      double* y = x + ld;
      const __m256d vc = _mm256_set1_pd(c[k]), vs = _mm256_set1_pd(s[k]);
      for (int b = 0; b < B; ++b) {
        const __m256d yv = _mm256_loadu_pd(y + 4 * b);
        _mm256_storeu_pd(x + 4 * b, _mm256_fmadd_pd(xv[b], vc, _mm256_mul_pd(yv, vs)));
        xv[b] = _mm256_fmsub_pd(yv, vc, _mm256_mul_pd(xv[b], vs));
      }
      x = y;
    }
    for (int b = 0; b < B; ++b) _mm256_storeu_pd(x + 4 * b, xv[b]);
  }
}

/// RotateSweeps as RotateAvx2: rows below the last multiple of 4 in blocks of 32 (enough chains of
/// rotations side by side to hide their latency), then of 16, 8 and 4; the rest as RotatePlain.
__attribute__((target("avx2,fma"))) void RotateSweepsAvx2(int rows, double* X, int64_t ld, int sweeps, const int* lo,
                                                          const int* hi, const double* c, const double* s) {
  const int vectorRows = rows - rows % 4;
  int r = 0;
  for (; r + 32 <= vectorRows; r += 32) RotateSweepsBlockAvx2<8>(r, X, ld, sweeps, lo, hi, c, s);
  if (r + 16 <= vectorRows) RotateSweepsBlockAvx2<4>(r, X, ld, sweeps, lo, hi, c, s), r += 16;
  if (r + 8 <= vectorRows) RotateSweepsBlockAvx2<2>(r, X, ld, sweeps, lo, hi, c, s), r += 8;
  if (r + 4 <= vectorRows) RotateSweepsBlockAvx2<1>(r, X, ld, sweeps, lo, hi, c, s), r += 4;
  RotateSweepsPlain(vectorRows, rows, X, ld, sweeps, lo, hi, c, s);
}

// [SECTION] AVX-512 loops: the same operations per element as the AVX2 ones, eight lanes wide

constexpr int kWaveSweeps = 64;  ///< sweeps of RotateSweeps in one wave

/// Half H of v (the masked form: the plain one reads an undefined source, which gcc 12 warns about).
template <int H>
__attribute__((target("avx512f"))) __m256d HalfOf(__m512d v) {
  return _mm512_mask_extractf64x4_pd(_mm256_setzero_pd(), 0xF, v, H);
}

/// The dot products of x with C columns of Y at once, each with DotAvx2's sums: its four accumulators
/// of 4 lanes are the halves of two of 8, the tail as there. x is read once for all, and the 2C chains
/// of sums hide the latency of the additions.
template <int C>
__attribute__((target("avx2,fma,avx512f"))) void DotColumnsAvx512(int n, const double* x, const double* Y, int64_t ldy,
                                                                  double* out) {
  __m512d s01[C], s23[C];
  for (int c = 0; c < C; ++c) s01[c] = s23[c] = _mm512_setzero_pd();
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m512d x0 = _mm512_loadu_pd(x + i), x1 = _mm512_loadu_pd(x + i + 8);
    for (int c = 0; c < C; ++c) {
      s01[c] = _mm512_fmadd_pd(x0, _mm512_loadu_pd(Y + c * ldy + i), s01[c]);
      s23[c] = _mm512_fmadd_pd(x1, _mm512_loadu_pd(Y + c * ldy + i + 8), s23[c]);
    }
  }
  for (int c = 0; c < C; ++c) {
    const double* y = Y + c * ldy;
    __m256d s0 = HalfOf<0>(s01[c]);
    int k = i;
    for (; k + 4 <= n; k += 4) s0 = _mm256_fmadd_pd(_mm256_loadu_pd(x + k), _mm256_loadu_pd(y + k), s0);
    const __m256d s1 = HalfOf<1>(s01[c]), s2 = HalfOf<0>(s23[c]), s3 = HalfOf<1>(s23[c]);
    double s = HorizontalSum(_mm256_add_pd(_mm256_add_pd(s0, s1), _mm256_add_pd(s2, s3)));
    for (; k < n; ++k) s += x[k] * y[k];
    out[c] = s;
  }
}

__attribute__((target("avx2,fma,avx512f"))) double DotAvx512(int n, const double* x, const double* y) {
  double s = 0;
  DotColumnsAvx512<1>(n, x, y, 0, &s);
  return s;
}

__attribute__((target("avx2,fma,avx512f"))) void DotColumnsAvx512(int n, const double* x, int count, const double* Y,
                                                                  int64_t ldy, double* out) {
  int c = 0;
  for (; c + 4 <= count; c += 4) DotColumnsAvx512<4>(n, x, Y + c * ldy, ldy, out + c);
  for (; c < count; ++c) DotColumnsAvx512<1>(n, x, Y + c * ldy, ldy, out + c);
}

/// AxpyAvx2 eight lanes at a time.
__attribute__((target("avx512f"))) void AxpyAvx512(int n, double a, const double* x, double* y) {
  const __m512d va = _mm512_set1_pd(a);
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    _mm512_storeu_pd(y + i, _mm512_fmadd_pd(va, _mm512_loadu_pd(x + i), _mm512_loadu_pd(y + i)));
    _mm512_storeu_pd(y + i + 8, _mm512_fmadd_pd(va, _mm512_loadu_pd(x + i + 8), _mm512_loadu_pd(y + i + 8)));
  }
  if (i + 8 <= n) _mm512_storeu_pd(y + i, _mm512_fmadd_pd(va, _mm512_loadu_pd(x + i), _mm512_loadu_pd(y + i))), i += 8;
  for (; i < n; ++i) y[i] += a * x[i];
}

/// Pairs j0..j1-1 of one sweep on 8B rows (x: their start in column j0), with rotations c[0..],
/// s[0..]: RotateAvx2's operations eight lanes wide, column j + 1 carried in registers to the next pair.
template <int B>
__attribute__((target("avx512f"))) void SweepPartAvx512(double* x, int64_t ld, int j0, int j1, const double* c,
                                                        const double* s) {
  __m512d xv[B];
  for (int b = 0; b < B; ++b) xv[b] = _mm512_loadu_pd(x + 8 * b);
  for (int j = j0; j < j1; ++j, ++c, ++s) {
    double* y = x + ld;
    const __m512d vc = _mm512_set1_pd(*c), vs = _mm512_set1_pd(*s);
    for (int b = 0; b < B; ++b) {
      const __m512d yv = _mm512_loadu_pd(y + 8 * b);
      _mm512_storeu_pd(x + 8 * b, _mm512_fmadd_pd(xv[b], vc, _mm512_mul_pd(yv, vs)));
      xv[b] = _mm512_fmsub_pd(yv, vc, _mm512_mul_pd(xv[b], vs));
    }
    x = y;
  }
  for (int b = 0; b < B; ++b) _mm512_storeu_pd(x + 8 * b, xv[b]);
}

/// Rows r0..r0+8B-1 of RotateSweeps, up to kWaveSweeps sweeps, as a wave over the columns: in each
/// step sweep q takes the pairs of a window of kWave starting q pairs behind that of sweep 0, so
/// the columns in work stay in the first-level cache through all sweeps. A cell still meets sweep
/// q - 1 before sweep q (sweep q - 1 has passed pair j + 1 before sweep q takes pair j) and the
/// pairs of one sweep in order, so its results are those of one sweep after the other.
template <int B>
__attribute__((target("avx512f"))) void RotateSweepsBlockAvx512(int r0, double* X, int64_t ld, int sweeps,
                                                                const int* lo, const int* hi, const double* c,
                                                                const double* s) {
  constexpr int kWave = 32;
  int first[kWaveSweeps];  // index of the rotation of pair lo[q]
  int bottom = lo[0], top = hi[0];
  for (int q = 0, k = 0; q < sweeps; k += hi[q] - lo[q], ++q) {
    first[q] = k;
    bottom = std::min(bottom, lo[q]), top = std::max(top, hi[q]);
  }
  for (int start = bottom; start - (sweeps - 1) < top; start += kWave)
    for (int q = 0; q < sweeps; ++q) {
      const int j0 = std::max(lo[q], start - q), j1 = std::min(hi[q], start - q + kWave);
      if (j0 >= j1) continue;
      const int k = first[q] + j0 - lo[q];
      SweepPartAvx512<B>(X + r0 + j0 * ld, ld, j0, j1, c + k, s + k);
    }
}

/// RotateSweepsAvx2 with the rows in blocks of 64, 32, 16 and 8 (the remainder below 8 as there).
__attribute__((target("avx2,fma,avx512f"))) void RotateSweepsAvx512(int rows, double* X, int64_t ld, int sweeps,
                                                                    const int* lo, const int* hi, const double* c,
                                                                    const double* s) {
  for (int q = 0, k = 0; q < sweeps; q += kWaveSweeps) {  // a wave at a time (the order per cell stays)
    const int n = std::min(kWaveSweeps, sweeps - q);
    int r = 0;
    for (; r + 64 <= rows; r += 64) RotateSweepsBlockAvx512<8>(r, X, ld, n, lo + q, hi + q, c + k, s + k);
    if (r + 32 <= rows) RotateSweepsBlockAvx512<4>(r, X, ld, n, lo + q, hi + q, c + k, s + k), r += 32;
    if (r + 16 <= rows) RotateSweepsBlockAvx512<2>(r, X, ld, n, lo + q, hi + q, c + k, s + k), r += 16;
    if (r + 8 <= rows) RotateSweepsBlockAvx512<1>(r, X, ld, n, lo + q, hi + q, c + k, s + k), r += 8;
    RotateSweepsAvx2(rows - r, X + r, ld, n, lo + q, hi + q, c + k, s + k);
    for (int p = q; p < q + n; ++p) k += hi[p] - lo[p];
  }
}

__attribute__((target("avx2,fma"))) void JacobiRotateAvx2(int n, double* x, double* y, double s, double tau) {
  const __m256d vs = _mm256_set1_pd(s), vt = _mm256_set1_pd(tau);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d g = _mm256_loadu_pd(x + i), h = _mm256_loadu_pd(y + i);
    _mm256_storeu_pd(x + i, _mm256_fnmadd_pd(vs, _mm256_fmadd_pd(g, vt, h), g));
    _mm256_storeu_pd(y + i, _mm256_fmadd_pd(vs, _mm256_fnmadd_pd(h, vt, g), h));
  }
  JacobiRotatePlain(n - i, x + i, y + i, s, tau);
}

// [SECTION] micro-kernels: tile (MR x NR) of C += alpha * sliver(A) * sliver(B); mr x nr valid

using TMicroKernel = void (*)(int kc, const double* a, const double* b, double* c, int64_t ldc, double alpha, int mr,
                              int nr);

/// Adds alpha * tile (column-major, MR rows) to the valid mr x nr corner of C.
template <int MR>
void AddTile(const double* tile, double* c, int64_t ldc, double alpha, int mr, int nr) {
  for (int j = 0; j < nr; ++j)
    for (int i = 0; i < mr; ++i) c[i + j * ldc] += alpha * tile[i + j * MR];
}

void KernelPlain(int kc, const double* a, const double* b, double* c, int64_t ldc, double alpha, int mr, int nr) {
  constexpr int MR = 4, NR = 4;
  double acc[NR][MR] = {};
  for (int p = 0; p < kc; ++p, a += MR, b += NR)
    for (int j = 0; j < NR; ++j)
      for (int i = 0; i < MR; ++i) acc[j][i] += a[i] * b[j];
  AddTile<MR>(&acc[0][0], c, ldc, alpha, mr, nr);
}

__attribute__((target("avx2,fma"))) void KernelAvx2(int kc, const double* a, const double* b, double* c,
                                                    int64_t ldc, double alpha, int mr, int nr) {
  constexpr int MR = 8, NR = 6;
  __m256d acc[NR][2];
#pragma GCC unroll 6
  for (int j = 0; j < NR; ++j) acc[j][0] = acc[j][1] = _mm256_setzero_pd();
  for (int p = 0; p < kc; ++p, a += MR, b += NR) {
    const __m256d a0 = _mm256_loadu_pd(a), a1 = _mm256_loadu_pd(a + 4);
#pragma GCC unroll 6
    for (int j = 0; j < NR; ++j) {
      const __m256d bj = _mm256_broadcast_sd(b + j);
      acc[j][0] = _mm256_fmadd_pd(a0, bj, acc[j][0]);
      acc[j][1] = _mm256_fmadd_pd(a1, bj, acc[j][1]);
    }
  }
  const __m256d va = _mm256_set1_pd(alpha);
  if (mr == MR && nr == NR) {
#pragma GCC unroll 6
    for (int j = 0; j < NR; ++j) {
      double* cj = c + j * ldc;
      _mm256_storeu_pd(cj, _mm256_fmadd_pd(va, acc[j][0], _mm256_loadu_pd(cj)));
      _mm256_storeu_pd(cj + 4, _mm256_fmadd_pd(va, acc[j][1], _mm256_loadu_pd(cj + 4)));
    }
    return;
  }
  double tile[MR * NR];
  for (int j = 0; j < NR; ++j) {
    _mm256_storeu_pd(tile + j * MR, acc[j][0]);
    _mm256_storeu_pd(tile + j * MR + 4, acc[j][1]);
  }
  AddTile<MR>(tile, c, ldc, alpha, mr, nr);
}

__attribute__((target("avx512f"))) void KernelAvx512(int kc, const double* a, const double* b, double* c,
                                                     int64_t ldc, double alpha, int mr, int nr) {
  constexpr int MR = 24, NR = 8;
  __m512d acc[NR][3];
#pragma GCC unroll 8
  for (int j = 0; j < NR; ++j) acc[j][0] = acc[j][1] = acc[j][2] = _mm512_setzero_pd();
  for (int p = 0; p < kc; ++p, a += MR, b += NR) {
    const __m512d a0 = _mm512_loadu_pd(a), a1 = _mm512_loadu_pd(a + 8), a2 = _mm512_loadu_pd(a + 16);
#pragma GCC unroll 8
    for (int j = 0; j < NR; ++j) {
      const __m512d bj = _mm512_set1_pd(b[j]);
      acc[j][0] = _mm512_fmadd_pd(a0, bj, acc[j][0]);
      acc[j][1] = _mm512_fmadd_pd(a1, bj, acc[j][1]);
      acc[j][2] = _mm512_fmadd_pd(a2, bj, acc[j][2]);
    }
  }
  const __m512d va = _mm512_set1_pd(alpha);
  if (mr == MR && nr == NR) {
#pragma GCC unroll 8
    for (int j = 0; j < NR; ++j) {
      double* cj = c + j * ldc;
      _mm512_storeu_pd(cj, _mm512_fmadd_pd(va, acc[j][0], _mm512_loadu_pd(cj)));
      _mm512_storeu_pd(cj + 8, _mm512_fmadd_pd(va, acc[j][1], _mm512_loadu_pd(cj + 8)));
      _mm512_storeu_pd(cj + 16, _mm512_fmadd_pd(va, acc[j][2], _mm512_loadu_pd(cj + 16)));
    }
    return;
  }
  double tile[MR * NR];
  for (int j = 0; j < NR; ++j)
    for (int q = 0; q < 3; ++q) _mm512_storeu_pd(tile + j * MR + 8 * q, acc[j][q]);
  AddTile<MR>(tile, c, ldc, alpha, mr, nr);
}

// [SECTION] packing and the blocked product

constexpr int kKC = 256;
constexpr int kMC = 144;   // a multiple of every MR
constexpr int kNC = 3072;  // a multiple of every NR

/// Rows i0..i0+mc-1, columns p0..p0+kc-1 of op(A) as slivers of MR rows, zero-padded.
template <int MR>
void PackA(bool transA, const double* A, int64_t lda, int i0, int mc, int p0, int kc, double* dst) {
  for (int is = 0; is < mc; is += MR, dst += static_cast<int64_t>(MR) * kc) {
    const int mr = std::min(MR, mc - is);
    if (!transA) {
      for (int p = 0; p < kc; ++p) {
        const double* src = A + (i0 + is) + static_cast<int64_t>(p0 + p) * lda;
        double* d = dst + static_cast<int64_t>(p) * MR;
        for (int r = 0; r < mr; ++r) d[r] = src[r];
        for (int r = mr; r < MR; ++r) d[r] = 0.0;
      }
    } else {
      for (int r = 0; r < MR; ++r) {
        const double* src = A + p0 + static_cast<int64_t>(i0 + is + r) * lda;
        for (int p = 0; p < kc; ++p) dst[static_cast<int64_t>(p) * MR + r] = r < mr ? src[p] : 0.0;
      }
    }
  }
}

/// Rows p0..p0+kc-1, columns j0..j0+nc-1 of B as slivers of NR columns, zero-padded.
template <int NR>
void PackB(const double* B, int64_t ldb, int p0, int kc, int j0, int nc, double* dst) {
  for (int js = 0; js < nc; js += NR, dst += static_cast<int64_t>(NR) * kc) {
    const int nr = std::min(NR, nc - js);
    for (int c = 0; c < NR; ++c) {
      const double* src = B + p0 + static_cast<int64_t>(j0 + js + c) * ldb;
      for (int p = 0; p < kc; ++p) dst[static_cast<int64_t>(p) * NR + c] = c < nr ? src[p] : 0.0;
    }
  }
}

/// C += alpha op(A) B, blocked.
template <int MR, int NR, TMicroKernel Kernel>
void GemmBlocked(bool transA, int m, int n, int k, double alpha, const double* A, int64_t lda, const double* B,
                 int64_t ldb, double* C, int64_t ldc) {
  thread_local std::vector<double> packA, packB;
  const int ncMax = std::min(kNC, (n + NR - 1) / NR * NR), kcMax = std::min(kKC, k);
  packA.resize(static_cast<std::size_t>(kMC) * kcMax);
  packB.resize(static_cast<std::size_t>(ncMax) * kcMax);
  for (int jc = 0; jc < n; jc += kNC) {
    const int nc = std::min(kNC, n - jc);
    for (int pc = 0; pc < k; pc += kKC) {
      const int kc = std::min(kKC, k - pc);
      PackB<NR>(B, ldb, pc, kc, jc, nc, packB.data());
      for (int ic = 0; ic < m; ic += kMC) {
        const int mc = std::min(kMC, m - ic);
        PackA<MR>(transA, A, lda, ic, mc, pc, kc, packA.data());
        for (int jr = 0; jr < nc; jr += NR) {
          const double* b = packB.data() + static_cast<int64_t>(jr) * kc;
          for (int ir = 0; ir < mc; ir += MR) {
            double* c = C + (ic + ir) + static_cast<int64_t>(jc + jr) * ldc;
            Kernel(kc, packA.data() + static_cast<int64_t>(ir) * kc, b, c, ldc, alpha, std::min(MR, mc - ir),
                   std::min(NR, nc - jr));
          }
        }
      }
    }
  }
}

// [SECTION] integer block product

using TU32x8 = uint32_t __attribute__((vector_size(32)));  // eight lanes: one AVX2 register or two SSE2 ones

constexpr int kIntKC = 256;

// C tile (16 rows x 4 columns) += A (16 rows x kc terms) * B (kc terms x 4 columns), modulo 2^32.
__attribute__((always_inline)) inline void IntTile(int kc, const int32_t* a, int64_t lda, const int32_t* b,
                                                   int64_t ldb, int32_t* c, int64_t ldc) {
  TU32x8 acc[4][2] = {};
  for (int p = 0; p < kc; ++p, a += lda) {
    TU32x8 a0, a1;
    std::memcpy(&a0, a, sizeof a0);
    std::memcpy(&a1, a + 8, sizeof a1);
    for (int j = 0; j < 4; ++j) {
      const uint32_t bj = static_cast<uint32_t>(b[p + j * ldb]);
      acc[j][0] += a0 * bj;
      acc[j][1] += a1 * bj;
    }
  }
  for (int j = 0; j < 4; ++j) {
    int32_t* cj = c + j * ldc;
    for (int h = 0; h < 2; ++h) {
      TU32x8 v;
      std::memcpy(&v, cj + 8 * h, sizeof v);
      v += acc[j][h];
      std::memcpy(cj + 8 * h, &v, sizeof v);
    }
  }
}

// The same for the mr x nr corner at the edges.
__attribute__((always_inline)) inline void IntEdge(int mr, int nr, int kc, const int32_t* a, int64_t lda,
                                                   const int32_t* b, int64_t ldb, int32_t* c, int64_t ldc) {
  for (int j = 0; j < nr; ++j)
    for (int p = 0; p < kc; ++p) {
      const uint32_t bj = static_cast<uint32_t>(b[p + j * ldb]);
      const int32_t* ap = a + p * lda;
      int32_t* cj = c + j * ldc;
      for (int i = 0; i < mr; ++i) cj[i] = static_cast<int32_t>(static_cast<uint32_t>(cj[i]) + static_cast<uint32_t>(ap[i]) * bj);
    }
}

__attribute__((always_inline)) inline void IntProductBody(int m, int n, int k, const int32_t* A, int64_t lda,
                                                          const int32_t* B, int64_t ldb, int32_t* C, int64_t ldc) {
  for (int j = 0; j < n; ++j) std::fill_n(C + j * ldc, m, 0);
  for (int pc = 0; pc < k; pc += kIntKC) {
    const int kc = std::min(kIntKC, k - pc);
    for (int j = 0; j < n; j += 4) {
      for (int i = 0; i < m; i += 16) {
        const int32_t* a = A + i + pc * lda;
        const int32_t* b = B + pc + j * ldb;
        int32_t* c = C + i + j * ldc;
        if (m - i >= 16 && n - j >= 4) IntTile(kc, a, lda, b, ldb, c, ldc);
        else IntEdge(std::min(16, m - i), std::min(4, n - j), kc, a, lda, b, ldb, c, ldc);
      }
    }
  }
}

void IntProductPlain(int m, int n, int k, const int32_t* A, int64_t lda, const int32_t* B, int64_t ldb, int32_t* C,
                     int64_t ldc) {
  IntProductBody(m, n, k, A, lda, B, ldb, C, ldc);
}

__attribute__((target("avx2"))) void IntProductAvx2(int m, int n, int k, const int32_t* A, int64_t lda,
                                                     const int32_t* B, int64_t ldb, int32_t* C, int64_t ldc) {
  IntProductBody(m, n, k, A, lda, B, ldb, C, ldc);
}

// [SECTION] dispatch

/// DotColumns as one dot product per column.
template <double (*DotFn)(int, const double*, const double*)>
void DotColumnsOneByOne(int n, const double* x, int count, const double* Y, int64_t ldy, double* out) {
  for (int c = 0; c < count; ++c) out[c] = DotFn(n, x, Y + c * ldy);
}

using TIntProductFn = void (*)(int, int, int, const int32_t*, int64_t, const int32_t*, int64_t, int32_t*, int64_t);

using TGemmFn = void (*)(bool, int, int, int, double, const double*, int64_t, const double*, int64_t, double*,
                         int64_t);

struct TKernels {
  double (*dot)(int, const double*, const double*);
  Extended (*dotExtended)(int, const double*, const double*);
  void (*axpy)(int, double, const double*, double*);
  void (*dotColumns)(int, const double*, int, const double*, int64_t, double*);
  void (*rotate)(int, double*, double*, double, double);
  void (*rotateSweeps)(int, double*, int64_t, int, const int*, const int*, const double*, const double*);
  void (*jacobi)(int, double*, double*, double, double);
  TGemmFn gemm;
  TIntProductFn intProduct;
};

int SupportedLevel() {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) return 0;
  return __builtin_cpu_supports("avx512f") ? 2 : 1;
}

TKernels KernelsOf(int level) {
  if (level <= 0)
    return {DotPlain,
            DotExtendedPlain,
            AxpyPlain,
            DotColumnsOneByOne<DotPlain>,
            RotatePlain,
            RotateSweepsPlainAll,
            JacobiRotatePlain,
            GemmBlocked<4, 4, KernelPlain>,
            IntProductPlain};
  TKernels k{DotAvx2,          DotExtendedAvx2,  AxpyAvx2,
             DotColumnsOneByOne<DotAvx2>,   RotateAvx2, RotateSweepsAvx2,
             JacobiRotateAvx2, GemmBlocked<8, 6, KernelAvx2>, IntProductAvx2};
  if (level >= 2) {  // the level-1 loops eight lanes wide (the same results) and the wider block product
    k.dot = DotAvx512, k.axpy = AxpyAvx512, k.dotColumns = DotColumnsAvx512, k.rotateSweeps = RotateSweepsAvx512;
    k.gemm = GemmBlocked<24, 8, KernelAvx512>;
  }
  return k;
}

int& Level() {
  static int level = SupportedLevel();
  return level;
}

TKernels& Active() {
  static TKernels k = KernelsOf(Level());
  return k;
}

}  // namespace

int KernelLevel() { return Level(); }

int SetKernelLevel(int level) {
  Level() = std::clamp(level, 0, SupportedLevel());
  Active() = KernelsOf(Level());
  return Level();
}

// [SECTION] level 1

double Dot(int n, const double* x, const double* y) { return n > 0 ? Active().dot(n, x, y) : 0.0; }

Extended DotExtended(int n, const double* x, const double* y) {
  if (n <= 0) return 0;
  const Extended s = Active().dotExtended(n, x, y);
  if (Active().dotExtended == DotExtendedPlain || (std::fabs(s) >= 0x1p-900L && std::fabs(s) <= 0x1p900L)) return s;
  return DotExtendedPlain(n, x, y);  // products or sums beyond the range of double (or a zero)
}

void DotColumns(int n, const double* x, int count, const double* Y, int64_t ldy, double* out) {
  if (n > 0 && count > 0)
    Active().dotColumns(n, x, count, Y, ldy, out);
  else
    std::fill(out, out + std::max(count, 0), 0.0);
}

void Axpy(int n, double a, const double* x, double* y) {
  if (n > 0) Active().axpy(n, a, x, y);
}

void Rotate(int n, double* x, double* y, double c, double s) {
  if (n > 0) Active().rotate(n, x, y, c, s);
}

void RotateSweeps(int rows, double* X, int64_t ld, int sweeps, const int* lo, const int* hi, const double* c,
                  const double* s) {
  if (rows > 0 && sweeps > 0) Active().rotateSweeps(rows, X, ld, sweeps, lo, hi, c, s);
}

void JacobiRotate(int n, double* x, double* y, double s, double tau) {
  if (n > 0) Active().jacobi(n, x, y, s, tau);
}

// [SECTION] level 3

void Gemm(bool transA, int m, int n, int k, double alpha, const double* A, int64_t lda, const double* B, int64_t ldb,
          double beta, double* C, int64_t ldc) {
  if (m <= 0 || n <= 0) return;
  if (beta != 1.0)
    for (int j = 0; j < n; ++j) {
      double* cj = C + static_cast<int64_t>(j) * ldc;
      if (beta == 0.0)
        std::fill(cj, cj + m, 0.0);
      else
        for (int i = 0; i < m; ++i) cj[i] *= beta;
    }
  if (k > 0 && alpha != 0.0) Active().gemm(transA, m, n, k, alpha, A, lda, B, ldb, C, ldc);
}

void IntProduct(int m, int n, int k, const int32_t* A, int64_t lda, const int32_t* B, int64_t ldb, int32_t* C,
                int64_t ldc) {
  if (m > 0 && n > 0) Active().intProduct(m, n, std::max(k, 0), A, lda, B, ldb, C, ldc);
}

namespace {
constexpr int kTrsmBlock = 64;
}

void TrsmLowerUnit(int n, int nrhs, const double* L, int64_t ldl, double* B, int64_t ldb) {
  for (int i0 = 0; i0 < n; i0 += kTrsmBlock) {
    const int ib = std::min(kTrsmBlock, n - i0);
    for (int c = 0; c < nrhs; ++c) {
      double* b = B + static_cast<int64_t>(c) * ldb;
      for (int k = i0; k < i0 + ib - 1; ++k)
        if (b[k] != 0.0) Axpy(i0 + ib - k - 1, -b[k], L + (k + 1) + k * ldl, b + k + 1);
    }
    const int rest = n - i0 - ib;
    if (rest > 0) Gemm(false, rest, nrhs, ib, -1.0, L + (i0 + ib) + i0 * ldl, ldl, B + i0, ldb, 1.0, B + i0 + ib, ldb);
  }
}

void TrsmUpper(int n, int nrhs, const double* U, int64_t ldu, double* B, int64_t ldb) {
  for (int i1 = n; i1 > 0; i1 -= kTrsmBlock) {
    const int i0 = std::max(0, i1 - kTrsmBlock);
    for (int c = 0; c < nrhs; ++c) {
      double* b = B + static_cast<int64_t>(c) * ldb;
      for (int k = i1 - 1; k >= i0; --k) {
        b[k] /= U[k + k * ldu];
        if (b[k] != 0.0) Axpy(k - i0, -b[k], U + i0 + k * ldu, b + i0);
      }
    }
    if (i0 > 0) Gemm(false, i0, nrhs, i1 - i0, -1.0, U + i0 * ldu, ldu, B + i0, ldb, 1.0, B, ldb);
  }
}

}  // namespace qelta::num_detail
