#pragma once
// Helpers of the linear-algebra tests: the reference LAPACK routines (Fortran calling
// convention, linked to the test executable only), random and graded matrices, and conversions
// between TMatrix and column-major blocks.

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "Qelta_matrix.h"

extern "C" {
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work, const int* lwork, int* info);
void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a, const int* lda, double* s,
             double* u, const int* ldu, double* vt, const int* ldvt, double* work, const int* lwork, int* info);
void dsyev_(const char* jobz, const char* uplo, const int* n, double* a, const int* lda, double* w, double* work,
            const int* lwork, int* info);
}

namespace qelta::test {

/// Column-major block of m rows and n columns.
struct TBlock {
  int M = 0, N = 0;
  std::vector<double> A;
  double& operator()(int r, int c) { return A[static_cast<std::size_t>(r) + static_cast<std::size_t>(c) * M]; }
  double operator()(int r, int c) const { return A[static_cast<std::size_t>(r) + static_cast<std::size_t>(c) * M]; }
};

inline TBlock Block(int m, int n) { return {m, n, std::vector<double>(static_cast<std::size_t>(m) * n, 0.0)}; }

/// Entries uniform in [-1, 1).
inline TBlock RandomBlock(int m, int n, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  TBlock b = Block(m, n);
  for (double& v : b.A) v = dist(gen);
  return b;
}

/// Random entries with column c scaled by 10^(-span c / (n - 1)) (columns of very different size).
inline TBlock GradedBlock(int m, int n, unsigned seed, double span) {
  TBlock b = RandomBlock(m, n, seed);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < m; ++r) b(r, c) *= std::pow(10.0, -span * c / std::max(n - 1, 1));
  return b;
}

inline void ToMatrix(const TBlock& b, TMatrix& m) {
  m.Resize(b.N, b.M);
  for (int c = 0; c < b.N; ++c)
    for (int r = 0; r < b.M; ++r) m.SetVal(c + 1, r + 1, b(r, c));
}

inline TBlock FromMatrix(const TMatrix& m) {
  TBlock b = Block(m.NrOfRows(), m.NrOfColumns());
  for (int c = 0; c < b.N; ++c)
    for (int r = 0; r < b.M; ++r) b(r, c) = m.GetVal(c + 1, r + 1);
  return b;
}

/// A B (naive, in long double).
inline TBlock Product(const TBlock& a, const TBlock& b) {
  TBlock c = Block(a.M, b.N);
  for (int j = 0; j < b.N; ++j)
    for (int i = 0; i < a.M; ++i) {
      long double s = 0;
      for (int k = 0; k < a.N; ++k) s += static_cast<long double>(a(i, k)) * b(k, j);
      c(i, j) = static_cast<double>(s);
    }
  return c;
}

inline TBlock Transposed(const TBlock& a) {
  TBlock t = Block(a.N, a.M);
  for (int c = 0; c < a.N; ++c)
    for (int r = 0; r < a.M; ++r) t(c, r) = a(r, c);
  return t;
}

/// Largest |a - b| over the cells.
inline double MaxDiff(const TBlock& a, const TBlock& b) {
  double d = 0;
  for (std::size_t i = 0; i < a.A.size(); ++i) d = std::max(d, std::fabs(a.A[i] - b.A[i]));
  return d;
}

/// Singular values by LAPACK (falling).
inline std::vector<double> LapackSingularValues(TBlock a) {
  const int m = a.M, n = a.N, k = std::min(m, n), one = 1;
  std::vector<double> s(static_cast<std::size_t>(k));
  int lwork = -1, info = 0;
  double query = 0;
  dgesvd_("N", "N", &m, &n, a.A.data(), &m, s.data(), nullptr, &one, nullptr, &one, &query, &lwork, &info);
  lwork = static_cast<int>(query);
  std::vector<double> work(static_cast<std::size_t>(lwork));
  dgesvd_("N", "N", &m, &n, a.A.data(), &m, s.data(), nullptr, &one, nullptr, &one, work.data(), &lwork, &info);
  return s;
}

/// Sorted falling, padded with zeros to n values.
inline std::vector<double> Falling(std::vector<double> v, std::size_t n) {
  std::sort(v.begin(), v.end(), [](double a, double b) { return a > b; });
  v.resize(std::max(n, v.size()), 0.0);
  return v;
}

}  // namespace qelta::test
