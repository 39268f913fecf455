#pragma once
// Not part of the public interface: the cell block of the three- and four-dimensional arrays of
// Qelta_matrix (TMat3D, TMat4D) and their XML element.
//
// A block holds the cells of an N-dimensional array in one contiguous vector. Its layout is chosen
// at construction: the first index fastest (TMat4D: each time slot one contiguous run, the order of
// its binary file) or the last index fastest (TMat3D: the layers of one (column, row) together, the
// order in which the Kohonen map reads its weights). Operations whose order is visible (random
// filling, nearest-value search, fingerprint) visit the cells in the canonical order, whatever the
// layout: the first index outermost, the last innermost. Bulk operations visit memory order.

#include <array>
#include <cstdint>
#include <new>
#include <vector>

#include "Qelta_math1.h"
#include "Random.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {
class TTagReader;
}  // namespace qelta

namespace qelta::num_detail {

// Shared with the matrices (Qelta_matrix.h, Qelta_vecmat_internal.h).
int64_t CheckedCells(int64_t cols, int64_t rows, std::size_t elemSize);
class TLineSink;

template <int N>
class TCellBlock {
 public:
  using TIndex = std::array<int, N>;

  /// One cell of value 0 in the given layout.
  explicit TCellBlock(bool firstFastest) : FFirstFastest(firstFastest) {
    FDims.fill(1);
    SetStrides();
  }

  // [SECTION] shape
  const TIndex& Dims() const { return FDims; }
  int Dim(int d) const { return FDims[static_cast<std::size_t>(d)]; }
  int64_t Count() const { return static_cast<int64_t>(FCells.size()); }
  int64_t Stride(int d) const { return FStride[static_cast<std::size_t>(d)]; }
  double* Data() { return FCells.data(); }
  const double* Data() const { return FCells.data(); }
  bool FirstFastest() const { return FFirstFastest; }

  /// Number of cells of a shape, or -1 when any extent is below 1 or the block would not fit the
  /// address space.
  static int64_t CellsOf(const TIndex& dims) {
    int64_t n = 1;
    for (int d : dims) {
      n = d < 1 ? -1 : CheckedCells(n, d, sizeof(double));
      if (n < 0) return -1;
    }
    return n;
  }

  /// Takes the shape dims (every extent >= 1): keep: the overlapping cells are kept and new cells are
  /// 0; otherwise every cell is 0. Raises std::bad_alloc, block unchanged, when it does not fit.
  void Reshape(const TIndex& dims, bool keep) {
    const int64_t n = CellsOf(dims);
    if (n < 0) throw std::bad_alloc();
    TCellBlock next(FFirstFastest);
    next.FCells.assign(static_cast<std::size_t>(n), 0.0);
    next.FDims = dims;
    next.SetStrides();
    if (keep) {
      TIndex top;
      for (int d = 0; d < N; ++d) top[static_cast<std::size_t>(d)] = std::min(Dim(d), next.Dim(d));
      VisitBox(Ones(), top, voMemory, [&](int64_t off, const TIndex& i) { next.FCells[next.Offset(i)] = FCells[off]; });
    }
    std::swap(FCells, next.FCells);
    FDims = dims;
    SetStrides();
  }

  /// Adopts cells of the shape dims in this block's layout (cells.size() == CellsOf(dims)).
  void Adopt(const TIndex& dims, std::vector<double>&& cells) {
    FCells = std::move(cells);
    FDims = dims;
    SetStrides();
  }

  // [SECTION] cells
  bool Inside(const TIndex& i) const {
    for (int d = 0; d < N; ++d)
      if (i[static_cast<std::size_t>(d)] < 1 || i[static_cast<std::size_t>(d)] > Dim(d)) return false;
    return true;
  }
  /// Offset of a cell inside the block (no check).
  std::size_t Offset(const TIndex& i) const {
    int64_t off = 0;
    for (int d = 0; d < N; ++d) off += (int64_t{i[static_cast<std::size_t>(d)]} - 1) * Stride(d);
    return static_cast<std::size_t>(off);
  }
  /// Cell i; 0 outside.
  double Get(const TIndex& i) const { return Inside(i) ? FCells[Offset(i)] : 0.0; }
  /// Stores cell i; nothing outside.
  void Set(const TIndex& i, double v) {
    if (Inside(i)) FCells[Offset(i)] = v;
  }
  void Fill(double v) { std::fill(FCells.begin(), FCells.end(), v); }
  /// The whole extent of every dimension as a box.
  TIndex Ones() const {
    TIndex i;
    i.fill(1);
    return i;
  }

  // [SECTION] visiting (boxes of valid, non-empty ranges)
  /// Orders of visiting: the canonical one (the first index outermost, the last innermost), its
  /// reverse (the last index outermost), and memory order (the slowest index outermost).
  enum TOrder : uint8_t { voCanonical, voLastOutermost, voMemory };
  /// Calls fn(offset, index) for every cell of the box lo..hi in the given order.
  template <typename Fn>
  void VisitBox(const TIndex& lo, const TIndex& hi, TOrder how, Fn&& fn) const {
    const bool reverse = how == voLastOutermost || (how == voMemory && FFirstFastest);
    std::array<int, N> order;  // dimensions from outermost to innermost
    for (int k = 0; k < N; ++k) order[static_cast<std::size_t>(k)] = reverse ? N - 1 - k : k;
    TIndex i = lo;
    for (;;) {
      fn(static_cast<int64_t>(Offset(i)), i);
      int k = N - 1;
      for (; k >= 0; --k) {
        const std::size_t d = static_cast<std::size_t>(order[static_cast<std::size_t>(k)]);
        if (i[d] < hi[d]) {
          ++i[d];
          break;
        }
        i[d] = lo[d];
      }
      if (k < 0) return;
    }
  }
  /// Calls fn(offset, n) for the contiguous runs of the box along the fastest index, in memory order.
  template <typename Fn>
  void VisitRuns(const TIndex& lo, const TIndex& hi, Fn&& fn) const {
    const std::size_t fast = FFirstFastest ? 0 : N - 1;
    TIndex top = hi;
    top[fast] = lo[fast];
    const int64_t len = int64_t{hi[fast]} - lo[fast] + 1;
    VisitBox(lo, top, voMemory, [&](int64_t off, const TIndex&) { fn(off, len); });
  }

  // [SECTION] whole-block operations in canonical order
  /// Every cell := low + r * (high - low), r from the platform's Random, in the canonical order.
  void FillRandomUniform(double low, double high) {
    const double span = high - low;
    FillCanonical([&] { return low + Random() * span; });
  }
  /// Every cell := g * sd + mean, g from GRandom, in the canonical order.
  void FillRandomGauss(double mean, double sd) {
    FillCanonical([&] { return GRandom() * sd + mean; });
  }
  /// Eight CRC-32 lanes over the bytes of the cells in the canonical order: 64 hexadecimal digits.
  String CRC() const;
  /// The cell of the box nearest to value (smallest absolute difference below 1.7e308, the first of
  /// equals in the canonical order) in `at`; `at` all 0 when none is nearer.
  void Find(const TIndex& lo, const TIndex& hi, double value, TIndex& at) const;
  /// Reverses the order along dimension d.
  void Mirror(int d) {
    TIndex top = FDims;
    top[static_cast<std::size_t>(d)] = Dim(d) / 2;
    if (top[static_cast<std::size_t>(d)] < 1) return;
    VisitBox(Ones(), top, voMemory, [&](int64_t off, const TIndex& i) {
      TIndex j = i;
      j[static_cast<std::size_t>(d)] = Dim(d) + 1 - i[static_cast<std::size_t>(d)];
      std::swap(FCells[static_cast<std::size_t>(off)], FCells[Offset(j)]);
    });
  }
  /// Keeps only the box lo..hi: its cells move to the front in the new layout (in place: no cell
  /// moves up), the extents become those of the box, the block shrinks to its new size.
  void Cut(const TIndex& lo, const TIndex& hi) {
    std::size_t w = 0;
    VisitBox(lo, hi, voMemory, [&](int64_t off, const TIndex&) { FCells[w++] = FCells[static_cast<std::size_t>(off)]; });
    TIndex dims;
    for (int d = 0; d < N; ++d) dims[static_cast<std::size_t>(d)] = hi[static_cast<std::size_t>(d)] - lo[static_cast<std::size_t>(d)] + 1;
    FCells.resize(w);
    FCells.shrink_to_fit();
    FDims = dims;
    SetStrides();
  }

 private:
  template <typename Draw>
  void FillCanonical(Draw&& draw) {
    VisitBox(Ones(), FDims, voCanonical,
             [&](int64_t off, const TIndex&) { FCells[static_cast<std::size_t>(off)] = draw(); });
  }
  void SetStrides() {
    int64_t s = 1;
    for (int k = 0; k < N; ++k) {
      const std::size_t d = static_cast<std::size_t>(FFirstFastest ? k : N - 1 - k);
      FStride[d] = s;
      s *= FDims[d];
    }
  }

  bool FFirstFastest;
  TIndex FDims;
  std::array<int64_t, N> FStride{};
  std::vector<double> FCells = std::vector<double>(1);
};

// [SECTION] XML element of the blocks (layout in Qelta_matrix_nd.cpp)

/// Writes the element of a block: the matrix dialect with numlayers (and numtimeslots for four
/// dimensions) and one "cells" line per row of each layer (and time slot).
template <int N>
void WriteXmlBlock(TLineSink& out, const char16_t* className, bool createHeader, const String& id,
                   const TCellBlock<N>& block);
/// Reads the next element whose id matches into `block` and `idOut`; false, both unchanged, when none
/// is found or it is malformed (a count below 1, a cell outside, an unreadable number, no close).
template <int N>
bool ReadXmlBlock(TTagReader& in, const String& id, TCellBlock<N>& block, String& idOut);

extern template void WriteXmlBlock<3>(TLineSink&, const char16_t*, bool, const String&, const TCellBlock<3>&);
extern template void WriteXmlBlock<4>(TLineSink&, const char16_t*, bool, const String&, const TCellBlock<4>&);
extern template bool ReadXmlBlock<3>(TTagReader&, const String&, TCellBlock<3>&, String&);
extern template bool ReadXmlBlock<4>(TTagReader&, const String&, TCellBlock<4>&, String&);

}  // namespace qelta::num_detail

QELTA_PUBLIC_END
