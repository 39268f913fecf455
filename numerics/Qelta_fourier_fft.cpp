// Qelta_fourier_fft.cpp: the complex transform of Qelta_fourier_internal.h.
//
// Method: radix-4 decimation in frequency in the radix-2^2 form (two radix-2 stages fused: the
// results lie in bit-reversed order, as after radix-2 stages), on the real and the imaginary parts
// kept in two arrays, then one bit-reversal permutation; an odd exponent ends with a radix-8 step
// (a radix-4 and a radix-2 stage on blocks of 8).
// Stages on blocks larger than 2^kCacheLg values run over the whole array, two at a time (each chunk
// of positions passes through both while it sits in the cache), with their twiddle factors made per
// chunk and used for every block; below that size each block is finished while it stays in the cache. The bit reversal exchanges tiles of 32 x 32 values (the
// tile method of Carter and Gatlin, "Towards an optimal bit-reversal permutation program", 1998),
// so every cache line it touches is used whole.
//
// Twiddle factors come from a table of exp(2 pi i k / 2^16) made once per process from
// extended-precision cosines and sines of the first octant and the exact symmetries of the circle;
// each level's factors are copies of table values. Above 2^16 a factor is the product of a table
// value and one of exp(2 pi i l / 2^23), l < 128 (one rounding more). No recurrence is used, so the
// error does not grow with the length.
//
// Instructions: the butterflies use AVX2 with FMA where the processor has them (the instruction
// level of the linear-algebra kernels, KernelLevel), else portable code; the results then differ in
// the last bits.

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Qelta_fourier_internal.h"
#include "Qelta_linalg_internal.h"

namespace qelta::num_detail {
namespace {

constexpr int kCircleLg = 16;                    // the exact table: 2^16 points of the circle
constexpr int kFineLg = kFftMaxLg - kCircleLg;   // the fine steps below one table step
constexpr int kCacheLg = 14;                     // blocks up to 2^14 values are finished in cache,
constexpr int kL1Lg = 10;                        // stage by stage from 2^10 values down
constexpr int64_t kChunk = 512;                  // positions per batch of made factors
constexpr int64_t kPairChunk = 64;               // positions per batch of two fused stages (16 runs each)
constexpr int kTileLg = 5;                       // tiles of the bit reversal: 32 x 32

// [SECTION] twiddle tables

/// exp(2 pi i k / 2^lg), k < 2^lg (lg >= 3), from the first octant and the symmetries.
void Circle(int lg, std::vector<double>& re, std::vector<double>& im) {
  const int64_t n = int64_t{1} << lg, quarter = n / 4, eighth = n / 8;
  const long double step = 6.283185307179586476925286766559005768L / static_cast<long double>(n);
  re.assign(static_cast<std::size_t>(n), 0.0);
  im.assign(static_cast<std::size_t>(n), 0.0);
  for (int64_t k = 0; k <= quarter; ++k) {
    const int64_t kk = k <= eighth ? k : quarter - k;
    const auto c = static_cast<double>(std::cos(step * static_cast<long double>(kk)));
    const auto s = static_cast<double>(std::sin(step * static_cast<long double>(kk)));
    re[static_cast<std::size_t>(k)] = k <= eighth ? c : s;
    im[static_cast<std::size_t>(k)] = k <= eighth ? s : c;
  }
  for (int64_t k = quarter + 1; k < n; ++k) {  // a quarter turn: i z
    re[static_cast<std::size_t>(k)] = -im[static_cast<std::size_t>(k - quarter)];
    im[static_cast<std::size_t>(k)] = re[static_cast<std::size_t>(k - quarter)];
  }
}

struct TTables {
  std::vector<double> circleRe, circleIm;  ///< exp(2 pi i k / 2^16)
  std::vector<double> fineRe, fineIm;      ///< exp(2 pi i l / 2^23), l < 2^7
  /// Level s (block of 2^s values, 2 <= s <= 16), Q = 2^(s - 2): the factors w^i, w^2i, w^3i of
  /// w = exp(2 pi i / 2^s), i < Q, as six runs of Q doubles (w1 re, w1 im, w2 re, ...) from offset[s].
  std::vector<double> levels;
  std::array<std::size_t, kCircleLg + 1> offset{};

  TTables() {
    Circle(kCircleLg, circleRe, circleIm);
    fineRe.resize(std::size_t{1} << kFineLg);
    fineIm.resize(std::size_t{1} << kFineLg);
    const long double step = 6.283185307179586476925286766559005768L / static_cast<long double>(int64_t{1} << kFftMaxLg);
    for (std::size_t l = 0; l < fineRe.size(); ++l) {
      fineRe[l] = static_cast<double>(std::cos(step * static_cast<long double>(l)));
      fineIm[l] = static_cast<double>(std::sin(step * static_cast<long double>(l)));
    }
    std::size_t size = 0;
    for (int s = 2; s <= kCircleLg; ++s) offset[static_cast<std::size_t>(s)] = size, size += 6 * (std::size_t{1} << (s - 2));
    levels.resize(size);
    for (int s = 2; s <= kCircleLg; ++s) {
      const std::size_t q = std::size_t{1} << (s - 2), stride = std::size_t{1} << (kCircleLg - s);
      double* w = levels.data() + offset[static_cast<std::size_t>(s)];
      for (std::size_t i = 0; i < q; ++i)
        for (std::size_t p = 1; p <= 3; ++p) {
          w[(2 * p - 2) * q + i] = circleRe[p * i * stride];
          w[(2 * p - 1) * q + i] = circleIm[p * i * stride];
        }
    }
  }
};

const TTables& Tables() {
  static const TTables tables;
  return tables;
}

/// exp(2 pi i m / 2^23), m < 2^23: a value of the circle table times a fine step.
inline void FineFactor(const TTables& t, std::size_t m, double& c, double& s) {
  const std::size_t hi = m >> kFineLg, lo = m & ((std::size_t{1} << kFineLg) - 1);
  const double a = t.circleRe[hi], b = t.circleIm[hi], f = t.fineRe[lo], g = t.fineIm[lo];
  c = a * f - b * g;
  s = a * g + b * f;
}

// [SECTION] butterflies

/// The factors of a run of positions: w^i, w^2i, w^3i, real and imaginary parts, from the first
/// position of the run on.
struct TFactors {
  const double *w1r, *w1i, *w2r, *w2i, *w3r, *w3i;
};

/// The factors of level s (s <= 16) from position i0 on.
TFactors LevelFactors(int s, int64_t i0) {
  const TTables& t = Tables();
  const int64_t q = int64_t{1} << (s - 2);
  const double* w = t.levels.data() + t.offset[static_cast<std::size_t>(s)] + i0;
  return {w, w + q, w + 2 * q, w + 3 * q, w + 4 * q, w + 5 * q};
}

/// One radix-4 stage on positions 0..n-1 of the quarters (re, im), (re + q, im + q), ...: the
/// quarters become the sum of the four, and the twiddled sums (a0 + a2) - (a1 + a3), (a0 - a2) +
/// i (a1 - a3), (a0 - a2) - i (a1 - a3) with the factors w^2i, w^i, w^3i.
void Radix4Plain(double* re, double* im, int64_t q, int64_t n, const TFactors& w) {
  for (int64_t i = 0; i < n; ++i) {
    double *r1 = re + q, *r2 = re + 2 * q, *r3 = re + 3 * q;
    double *i1 = im + q, *i2 = im + 2 * q, *i3 = im + 3 * q;
    const double s0r = re[i] + r2[i], s0i = im[i] + i2[i], d0r = re[i] - r2[i], d0i = im[i] - i2[i];
    const double s1r = r1[i] + r3[i], s1i = i1[i] + i3[i], d1r = r1[i] - r3[i], d1i = i1[i] - i3[i];
    re[i] = s0r + s1r;
    im[i] = s0i + s1i;
    const double tr = s0r - s1r, ti = s0i - s1i;
    r1[i] = tr * w.w2r[i] - ti * w.w2i[i];
    i1[i] = tr * w.w2i[i] + ti * w.w2r[i];
    const double ur = d0r - d1i, ui = d0i + d1r;
    r2[i] = ur * w.w1r[i] - ui * w.w1i[i];
    i2[i] = ur * w.w1i[i] + ui * w.w1r[i];
    const double vr = d0r + d1i, vi = d0i - d1r;
    r3[i] = vr * w.w3r[i] - vi * w.w3i[i];
    i3[i] = vr * w.w3i[i] + vi * w.w3r[i];
  }
}

/// Radix4Plain with AVX2 and FMA; n is a multiple of 4.
__attribute__((target("avx2,fma"))) void Radix4Avx2(double* re, double* im, int64_t q, int64_t n,
                                                    const TFactors& w) {
  double *r1 = re + q, *r2 = re + 2 * q, *r3 = re + 3 * q;
  double *i1 = im + q, *i2 = im + 2 * q, *i3 = im + 3 * q;
  for (int64_t i = 0; i < n; i += 4) {
    const __m256d a0r = _mm256_loadu_pd(re + i), a0i = _mm256_loadu_pd(im + i);
    const __m256d a1r = _mm256_loadu_pd(r1 + i), a1i = _mm256_loadu_pd(i1 + i);
    const __m256d a2r = _mm256_loadu_pd(r2 + i), a2i = _mm256_loadu_pd(i2 + i);
    const __m256d a3r = _mm256_loadu_pd(r3 + i), a3i = _mm256_loadu_pd(i3 + i);
    const __m256d s0r = _mm256_add_pd(a0r, a2r), s0i = _mm256_add_pd(a0i, a2i);
    const __m256d d0r = _mm256_sub_pd(a0r, a2r), d0i = _mm256_sub_pd(a0i, a2i);
    const __m256d s1r = _mm256_add_pd(a1r, a3r), s1i = _mm256_add_pd(a1i, a3i);
    const __m256d d1r = _mm256_sub_pd(a1r, a3r), d1i = _mm256_sub_pd(a1i, a3i);
    _mm256_storeu_pd(re + i, _mm256_add_pd(s0r, s1r));
    _mm256_storeu_pd(im + i, _mm256_add_pd(s0i, s1i));
    const __m256d tr = _mm256_sub_pd(s0r, s1r), ti = _mm256_sub_pd(s0i, s1i);
    const __m256d w2r = _mm256_loadu_pd(w.w2r + i), w2i = _mm256_loadu_pd(w.w2i + i);
    _mm256_storeu_pd(r1 + i, _mm256_fmsub_pd(tr, w2r, _mm256_mul_pd(ti, w2i)));
    _mm256_storeu_pd(i1 + i, _mm256_fmadd_pd(tr, w2i, _mm256_mul_pd(ti, w2r)));
    const __m256d ur = _mm256_sub_pd(d0r, d1i), ui = _mm256_add_pd(d0i, d1r);
    const __m256d w1r = _mm256_loadu_pd(w.w1r + i), w1i = _mm256_loadu_pd(w.w1i + i);
    _mm256_storeu_pd(r2 + i, _mm256_fmsub_pd(ur, w1r, _mm256_mul_pd(ui, w1i)));
    _mm256_storeu_pd(i2 + i, _mm256_fmadd_pd(ur, w1i, _mm256_mul_pd(ui, w1r)));
    const __m256d vr = _mm256_add_pd(d0r, d1i), vi = _mm256_sub_pd(d0i, d1r);
    const __m256d w3r = _mm256_loadu_pd(w.w3r + i), w3i = _mm256_loadu_pd(w.w3i + i);
    _mm256_storeu_pd(r3 + i, _mm256_fmsub_pd(vr, w3r, _mm256_mul_pd(vi, w3i)));
    _mm256_storeu_pd(i3 + i, _mm256_fmadd_pd(vr, w3i, _mm256_mul_pd(vi, w3r)));
  }
}

/// One radix-4 stage on a run of n positions of a block with quarters of q values.
void Radix4(double* re, double* im, int64_t q, int64_t n, const TFactors& w) {
  if (n % 4 == 0 && KernelLevel() >= 1)
    Radix4Avx2(re, im, q, n, w);
  else
    Radix4Plain(re, im, q, n, w);
}

/// The last radix-4 stage (blocks of 4, every factor 1) over the n values.
void Radix4Unit(double* re, double* im, int64_t n) {
  for (int64_t b = 0; b < n; b += 4) {
    double *r = re + b, *m = im + b;
    const double s0r = r[0] + r[2], s0i = m[0] + m[2], d0r = r[0] - r[2], d0i = m[0] - m[2];
    const double s1r = r[1] + r[3], s1i = m[1] + m[3], d1r = r[1] - r[3], d1i = m[1] - m[3];
    r[0] = s0r + s1r, m[0] = s0i + s1i;
    r[1] = s0r - s1r, m[1] = s0i - s1i;
    r[2] = d0r - d1i, m[2] = d0i + d1r;
    r[3] = d0r + d1i, m[3] = d0i - d1r;
  }
}

/// The closing radix-2 stage of an odd exponent (blocks of 2) over the n values.
void Radix2Unit(double* re, double* im, int64_t n) {
  for (int64_t b = 0; b < n; b += 2) {
    const double r0 = re[b], i0 = im[b];
    re[b] = r0 + re[b + 1], im[b] = i0 + im[b + 1];
    re[b + 1] = r0 - re[b + 1], im[b + 1] = i0 - im[b + 1];
  }
}

/// The last two stages of an odd exponent on blocks of 8 over the n values: radix-4 on quarters of 2
/// (factors 1 at position 0; i, w, w^3 with w = exp(i pi / 4) at position 1), then radix-2 on the pairs.
void Radix8Unit(double* re, double* im, int64_t n) {
  constexpr double h = 0.70710678118654752440;  // cos(pi / 4) = sin(pi / 4)
  for (int64_t b = 0; b < n; b += 8) {
    double *r = re + b, *m = im + b;
    const double s0r = r[0] + r[4], s0i = m[0] + m[4], d0r = r[0] - r[4], d0i = m[0] - m[4];
    const double s1r = r[2] + r[6], s1i = m[2] + m[6], d1r = r[2] - r[6], d1i = m[2] - m[6];
    const double t0r = r[1] + r[5], t0i = m[1] + m[5], e0r = r[1] - r[5], e0i = m[1] - m[5];
    const double t1r = r[3] + r[7], t1i = m[3] + m[7], e1r = r[3] - r[7], e1i = m[3] - m[7];
    // After the radix-4 stage: positions 0, 2, 4, 6 and 1, 3, 5, 7.
    const double p0r = s0r + s1r, p0i = s0i + s1i, p2r = s0r - s1r, p2i = s0i - s1i;
    const double p4r = d0r - d1i, p4i = d0i + d1r, p6r = d0r + d1i, p6i = d0i - d1r;
    const double p1r = t0r + t1r, p1i = t0i + t1i;
    const double p3r = -(t0i - t1i), p3i = t0r - t1r;                // times i
    const double ur = e0r - e1i, ui = e0i + e1r, vr = e0r + e1i, vi = e0i - e1r;
    const double p5r = (ur - ui) * h, p5i = (ur + ui) * h;           // times w
    const double p7r = -(vr + vi) * h, p7i = (vr - vi) * h;          // times w^3
    r[0] = p0r + p1r, m[0] = p0i + p1i, r[1] = p0r - p1r, m[1] = p0i - p1i;
    r[2] = p2r + p3r, m[2] = p2i + p3i, r[3] = p2r - p3r, m[3] = p2i - p3i;
    r[4] = p4r + p5r, m[4] = p4i + p5i, r[5] = p4r - p5r, m[5] = p4i - p5i;
    r[6] = p6r + p7r, m[6] = p6i + p7i, r[7] = p6r - p7r, m[7] = p6i - p7i;
  }
}

// [SECTION] stages

/// Finishes a block of 2^s values (s <= 16) whose larger stages are done: depth first down to blocks
/// of 2^kL1Lg values, then stage by stage.
void FinishBlock(double* re, double* im, int s) {
  const int64_t n = int64_t{1} << s;
  if (s > kL1Lg) {  // one stage, then each quarter while it sits in the first-level cache
    const int64_t q = n / 4;
    Radix4(re, im, q, q, LevelFactors(s, 0));
    for (int64_t b = 0; b < n; b += q) FinishBlock(re + b, im + b, s - 2);
    return;
  }
  for (; s >= 4; s -= 2) {
    const int64_t q = int64_t{1} << (s - 2);
    const TFactors w = LevelFactors(s, 0);
    for (int64_t b = 0; b < n; b += 4 * q) Radix4(re + b, im + b, q, q, w);
  }
  if (s == 3) Radix8Unit(re, im, n);
  if (s == 2) Radix4Unit(re, im, n);
  if (s == 1) Radix2Unit(re, im, n);
}

/// The factors of level s for the positions i0..i0+len-1 (len <= kChunk): the table's own for s <= 16,
/// else made into `made` (6 kChunk doubles).
TFactors ChunkFactors(int s, int64_t i0, int64_t len, std::vector<double>& made) {
  if (s <= kCircleLg) return LevelFactors(s, i0);
  const TTables& t = Tables();
  double* f = made.data();
  for (int p = 1; p <= 3; ++p) {
    const std::size_t step = static_cast<std::size_t>(p) << (kFftMaxLg - s);
    std::size_t m = static_cast<std::size_t>(i0) * step;
    for (int64_t i = 0; i < len; ++i, m += step) FineFactor(t, m, f[(2 * p - 2) * kChunk + i], f[(2 * p - 1) * kChunk + i]);
  }
  return {f, f + kChunk, f + 2 * kChunk, f + 3 * kChunk, f + 4 * kChunk, f + 5 * kChunk};
}

/// The stage of blocks of 2^s values (s > kCacheLg) over all n values, its factors made per chunk of
/// positions and used for every block.
void WideStage(double* re, double* im, int64_t n, int s) {
  const int64_t size = int64_t{1} << s, q = size / 4;
  std::vector<double> made(static_cast<std::size_t>(6 * kChunk));
  for (int64_t i0 = 0; i0 < q; i0 += kChunk) {
    const int64_t len = std::min(kChunk, q - i0);
    const TFactors w = ChunkFactors(s, i0, len, made);
    for (int64_t b = 0; b < n; b += size) Radix4(re + b + i0, im + b + i0, q, len, w);
  }
}

/// The stages of blocks of 2^s and 2^(s-2) values together, chunk by chunk, so that each value passes
/// through the memory once for both: a chunk of positions i of the second stage takes the sixteen runs
/// i + j q / 4 (j = 0..15) of a block, which the first stage's positions i + k q / 4 (k = 0..3) fill.
void WidePair(double* re, double* im, int64_t n, int s) {
  const int64_t size = int64_t{1} << s, q = size / 4, q4 = q / 4;
  const int64_t chunk = std::min<int64_t>(kPairChunk, q4);
  std::vector<std::vector<double>> made(5, std::vector<double>(static_cast<std::size_t>(6 * kChunk)));
  TFactors first[4];
  for (int64_t i0 = 0; i0 < q4; i0 += chunk) {
    for (int k = 0; k < 4; ++k) first[k] = ChunkFactors(s, i0 + k * q4, chunk, made[static_cast<std::size_t>(k)]);
    const TFactors second = ChunkFactors(s - 2, i0, chunk, made[4]);
    for (int64_t b = 0; b < n; b += size) {
      double *r = re + b + i0, *m = im + b + i0;
      for (int k = 0; k < 4; ++k) Radix4(r + k * q4, m + k * q4, q, chunk, first[k]);
      for (int k = 0; k < 4; ++k) Radix4(r + k * q, m + k * q, q4, chunk, second);
    }
  }
}

// [SECTION] bit reversal

int64_t Reversed(int64_t v, int bits) {
  int64_t r = 0;
  for (int k = 0; k < bits; ++k, v >>= 1) r = (r << 1) | (v & 1);
  return r;
}

void BitReverseSimple(double* x, int lg) {
  const int64_t n = int64_t{1} << lg;
  for (int64_t i = 0, j = 0; i < n; ++i) {
    if (i < j) std::swap(x[i], x[j]);
    int64_t m = n >> 1;  // j := the reversed successor of j
    while (m > 0 && (j & m)) j ^= m, m >>= 1;
    j |= m;
  }
}

/// Tiles of 32 x 32 values: position (a, b, c) with a and c of kTileLg bits and b of mid bits goes to
/// (rev c, rev b, rev a); tiles b and rev b are exchanged through two buffers.
void BitReverseTiled(double* x, int lg) {
  constexpr int64_t t = int64_t{1} << kTileLg;
  const int mid = lg - 2 * kTileLg;
  std::array<int64_t, t> rev{};
  for (int64_t a = 0; a < t; ++a) rev[static_cast<std::size_t>(a)] = Reversed(a, kTileLg);
  std::vector<double> one(static_cast<std::size_t>(t * t)), two(static_cast<std::size_t>(t * t));
  auto at = [&](int64_t a, int64_t b, int64_t c) { return x + ((a << (mid + kTileLg)) | (b << kTileLg) | c); };
  auto load = [&](int64_t b, std::vector<double>& buf) {
    for (int64_t a = 0; a < t; ++a) std::copy_n(at(a, b, 0), t, buf.data() + a * t);
  };
  auto store = [&](int64_t b, const std::vector<double>& buf) {
    for (int64_t a = 0; a < t; ++a) {
      double* row = at(a, b, 0);
      for (int64_t c = 0; c < t; ++c) row[c] = buf[static_cast<std::size_t>(rev[static_cast<std::size_t>(c)] * t + rev[static_cast<std::size_t>(a)])];
    }
  };
  for (int64_t b = 0; b < (int64_t{1} << mid); ++b) {
    const int64_t rb = Reversed(b, mid);
    if (rb < b) continue;
    load(b, one);
    if (rb != b) load(rb, two), store(b, two);
    store(rb, one);
  }
}

void BitReverse(double* x, int lg) {
  if (lg >= 2 * kTileLg + 2)
    BitReverseTiled(x, lg);
  else
    BitReverseSimple(x, lg);
}

}  // namespace

void FftTwiddle(int lg, int k, double& c, double& s) {
  const TTables& t = Tables();
  if (lg <= kCircleLg) {
    const auto at = static_cast<std::size_t>(k) << (kCircleLg - lg);
    c = t.circleRe[at];
    s = t.circleIm[at];
    return;
  }
  FineFactor(t, static_cast<std::size_t>(k) << (kFftMaxLg - lg), c, s);
}

void FftForward(double* re, double* im, int lg) {
  if (lg <= 0) return;
  const int64_t n = int64_t{1} << lg;
  int s = lg;
  for (; s - 2 > kCacheLg; s -= 4) WidePair(re, im, n, s);
  for (; s > kCacheLg; s -= 2) WideStage(re, im, n, s);
  for (int64_t b = 0; b < n; b += int64_t{1} << s) FinishBlock(re + b, im + b, s);
  BitReverse(re, lg);
  BitReverse(im, lg);
}

}  // namespace qelta::num_detail
