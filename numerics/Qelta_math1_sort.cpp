// Qelta_math1: comb sort, sorted insertion and positional insertion on raw arrays.
//
// Comb sort (Dobosiewicz; Lacey and Box): passes of compare-and-swap at a gap that shrinks by the
// factor 1.3 (truncated, at least 1) until a pass at gap 1 swaps nothing. Each pass is one step of
// the shared progress protocol: ProcStat + 1 and a call of MathFeedBackProc. The sort does not stop
// on AbortMathProc: its callers (medians, quantiles, ranked lists) take the array as sorted, and a
// half-sorted array could not be told from a sorted one.
// NaN elements never compare, so they stay where they are and the numbers between them are sorted;
// the sort still ends because every swap removes an inversion among the numbers.
// The typed forms clamp the last index to the span they get; the untyped forms trust the count.
// A pass at a gap of at least the vector width compares and exchanges W neighbours at once: the pairs
// (i, i + gap) of W consecutive i share no element and none was touched by a later pair, so the
// vector step does exactly what W scalar steps do, exchanges and "swapped" flag alike (NaN and signed
// zeros included: a pair is exchanged only when the comparison holds). The vector form is chosen at
// run time (AVX2) beside the plain loop, and the tests hold the two against each other.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "Qelta_linalg_internal.h"
#include "Qelta_math1.h"
#include "Qelta_math1_internal.h"

namespace qelta {

// [SECTION] progress

void num_detail::CountProcStat() {
  ProcStat = static_cast<int>(static_cast<uint32_t>(ProcStat) + 1u);  // wraps instead of overflowing
}

void num_detail::StepProcStat() {
  CountProcStat();
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
}

namespace {
using num_detail::StepProcStat;

// [SECTION] generic algorithms on T[0..n-1]

template <typename T>
bool OutOfOrder(const T& a, const T& b, bool ascending) {
  return ascending ? a > b : a < b;
}

template <typename T>
bool CombPass(T* a, int64_t n, int64_t gap, bool ascending) {
  bool swapped = false;
  for (int64_t i = 0; i + gap < n; ++i) {
    if (OutOfOrder(a[i], a[i + gap], ascending)) {
      std::swap(a[i], a[i + gap]);
      swapped = true;
    }
  }
  return swapped;
}

// [SECTION] the pass W elements at a time

// V: a GCC vector of 32 bytes over T.
template <typename V, typename T, bool Ascending>
__attribute__((always_inline)) inline bool CombPassVector(T* a, int64_t n, int64_t gap) {
  constexpr int64_t W = sizeof(V) / sizeof(T);
  using M = decltype(V{} > V{});
  M any{};
  int64_t i = 0;
  if (gap >= W) {
    for (; i + gap + W <= n; i += W) {
      V x, y;
      std::memcpy(&x, a + i, sizeof x);
      std::memcpy(&y, a + i + gap, sizeof y);
      const M out = Ascending ? x > y : x < y;
      any |= out;
      const V lo = out ? y : x, hi = out ? x : y;
      std::memcpy(a + i, &lo, sizeof lo);
      std::memcpy(a + i + gap, &hi, sizeof hi);
    }
  }
  bool swapped = false;
  for (int64_t k = 0; k < W; ++k) swapped |= any[k] != 0;
  for (; i + gap < n; ++i) {
    if (OutOfOrder(a[i], a[i + gap], Ascending)) {
      std::swap(a[i], a[i + gap]);
      swapped = true;
    }
  }
  return swapped;
}

// 32 bytes of T: one AVX2 register.
template <typename T>
struct TVec32;
template <>
struct TVec32<double> {
  typedef double Type __attribute__((vector_size(32)));
};
template <>
struct TVec32<float> {
  typedef float Type __attribute__((vector_size(32)));
};
template <>
struct TVec32<int32_t> {
  typedef int32_t Type __attribute__((vector_size(32)));
};

template <typename T>
__attribute__((target("avx2"))) bool CombPassAvx2(T* a, int64_t n, int64_t gap, bool ascending) {
  using V = typename TVec32<T>::Type;
  return ascending ? CombPassVector<V, T, true>(a, n, gap) : CombPassVector<V, T, false>(a, n, gap);
}

template <typename T>
void CombSort(T* a, int64_t n, bool ascending) {
  if (a == nullptr || n < 2) return;
  const auto pass = num_detail::KernelLevel() >= 1 ? CombPassAvx2<T> : CombPass<T>;
  int64_t gap = n;
  bool swapped = false;
  do {
    gap = std::max<int64_t>(1, static_cast<int64_t>(static_cast<Extended>(gap) / 1.3L));
    swapped = pass(a, n, gap, ascending);
    StepProcStat();
  } while (gap > 1 || swapped);
}

// Index 0..n-1 where value went, or -1.
template <typename T>
int SortInto(T* a, int n, T value, bool ascending, bool allowDuplicates) {
  if (a == nullptr || n < 1) return -1;
  auto fits = [&](const T& e) { return ascending ? e >= value : e <= value; };
  int i = 0;
  while (i < n - 1 && !fits(a[i])) ++i;
  if (!fits(a[i]) || (!allowDuplicates && a[i] == value)) return -1;
  std::copy_backward(a + i, a + n - 1, a + n);
  a[i] = value;
  return i;
}

template <typename T>
void InsertAt(T* a, int n, T value, int ix) {
  if (a == nullptr || ix < 0 || ix >= n) return;
  std::copy_backward(a + ix, a + n - 1, a + n);
  a[ix] = value;
}

// Number of elements of a typed call: HighIx + 1 within the span.
template <typename T>
int CountOf(std::span<T> data, int highIx) {
  if (highIx < 0) return 0;
  return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(highIx) + 1, data.size()));
}

// [SECTION] dispatch of the untyped forms

enum class TElem { None, Double, Single, Int };

TElem ElemOf(TVarKind kind) {
  switch (kind) {
    case rnum:
    case dnum:
      return TElem::Double;
    case snum:
      return TElem::Single;
    case inum:
    case lnum:
      return TElem::Int;
    default:
      return TElem::None;
  }
}

// Calls f with the block typed by kind; answers fallback, without calling f, for kinds that are
// not handled and for a null block.
template <typename R, typename F>
R Dispatch(void* data, TVarKind kind, R fallback, F&& f) {
  if (data == nullptr) return fallback;
  switch (ElemOf(kind)) {
    case TElem::Double:
      return f(static_cast<double*>(data));
    case TElem::Single:
      return f(static_cast<float*>(data));
    case TElem::Int:
      return f(static_cast<int32_t*>(data));
    default:
      return fallback;
  }
}

}  // namespace

// [SECTION] public routines

void SortArray(std::span<double> Data, int HighIx, bool Ascending) {
  CombSort(Data.data(), CountOf(Data, HighIx), Ascending);
}
void SortArray(std::span<float> Data, int HighIx, bool Ascending) {
  CombSort(Data.data(), CountOf(Data, HighIx), Ascending);
}
void SortArray(std::span<int32_t> Data, int HighIx, bool Ascending) {
  CombSort(Data.data(), CountOf(Data, HighIx), Ascending);
}
void SortArray(void* Data, int Count, TVarKind Kind, bool Ascending) {
  Dispatch(Data, Kind, 0, [&](auto* a) {
    CombSort(a, Count, Ascending);
    return 0;
  });
}

int SortIntoArray(std::span<double> Data, int HighIx, double Value, bool Ascending, bool AllowDuplicates) {
  return SortInto(Data.data(), CountOf(Data, HighIx), Value, Ascending, AllowDuplicates);
}
int SortIntoArray(std::span<float> Data, int HighIx, float Value, bool Ascending, bool AllowDuplicates) {
  return SortInto(Data.data(), CountOf(Data, HighIx), Value, Ascending, AllowDuplicates);
}
int SortIntoArray(std::span<int32_t> Data, int HighIx, int32_t Value, bool Ascending, bool AllowDuplicates) {
  return SortInto(Data.data(), CountOf(Data, HighIx), Value, Ascending, AllowDuplicates);
}
int SortIntoArray(void* Data, int Count, TVarKind Kind, const void* Value, bool Ascending, bool AllowDuplicates) {
  if (Value == nullptr) return 0;
  return 1 + Dispatch(Data, Kind, -1, [&](auto* a) {
           using T = std::remove_pointer_t<decltype(a)>;
           return SortInto(a, Count, *static_cast<const T*>(Value), Ascending, AllowDuplicates);
         });
}

void InsertIntoArray(std::span<double> Data, int HighIx, double Value, int Ix) {
  InsertAt(Data.data(), CountOf(Data, HighIx), Value, Ix);
}
void InsertIntoArray(std::span<float> Data, int HighIx, float Value, int Ix) {
  InsertAt(Data.data(), CountOf(Data, HighIx), Value, Ix);
}
void InsertIntoArray(std::span<int32_t> Data, int HighIx, int32_t Value, int Ix) {
  InsertAt(Data.data(), CountOf(Data, HighIx), Value, Ix);
}
void InsertIntoArray(void* Data, int Count, TVarKind Kind, const void* Value, int Ix) {
  if (Value == nullptr) return;
  Dispatch(Data, Kind, 0, [&](auto* a) {
    using T = std::remove_pointer_t<decltype(a)>;
    InsertAt(a, Count, *static_cast<const T*>(Value), Ix - 1);
    return 0;
  });
}

}  // namespace qelta
