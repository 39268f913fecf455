// Qelta_matrix: the sparse form of TIntMatrix and its form changes, and the element-wise sums.
//
// Triples 1..FSparseNumElem of SpMat are sorted by column, then row, and unique; SpMat holds
// FNumAllocated triples, grown by FAllocBy when an insert needs room (the vector's own capacity
// grows geometrically, so small steps cost no quadratic copying) and never shrunk by Resize.
// Deliberate deviations, each a mended fault:
//  - SetVal grows NrOfColumns / NrOfRows to cover the bounding box but never shrinks a size set by
//    Resize (the classic form set them to the box, losing the size the caller chose).
//  - Resize recomputes the bounding box from the triples it keeps, so the box stays exact (the
//    classic clamping left a box naming cells that no triple held, and after dropping every
//    triple a box from 0 that later inserts widened wrongly).
//  - Trace goes by the dimensions (the classic form compared the box's high column and row).
//  - SparseToArray keeps the dimensions (at least the box) instead of shrinking to the box.

#include <algorithm>

#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {
namespace {

bool Less(const TSpMatElemInt& e, int c, int r) { return e.colidx < c || (e.colidx == c && e.rowidx < r); }
bool Before(const TSpMatElemInt& a, const TSpMatElemInt& b) { return Less(a, b.colidx, b.rowidx); }

}  // namespace

// [SECTION] storage

int64_t TIntMatrix::SparseLowerBound(int c, int r) const {
  const auto end = SpMat.begin() + FSparseNumElem;
  return std::lower_bound(SpMat.begin(), end, 0, [c, r](const TSpMatElemInt& e, int) { return Less(e, c, r); }) -
         SpMat.begin();
}

void TIntMatrix::SparseGrowTo(int64_t needed) {
  if (FNumAllocated >= needed) return;
  const int64_t next = std::min<int64_t>(std::max<int64_t>(int64_t{FNumAllocated} + FAllocBy, needed), INT32_MAX);
  if (next < needed) throw EQeltaMatrixError(num_detail::ComponentText(*this, u"not enough memory on heap"));
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap",
                                        [&] { SpMat.resize(static_cast<std::size_t>(next)); });
  FNumAllocated = static_cast<int>(next);
}

void TIntMatrix::SparseReset(int AllocBy) {
  const int step = std::max(AllocBy, 1);
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] {
    std::vector<TSpMatElemInt> fresh(static_cast<std::size_t>(step));
    SpMat.swap(fresh);
  });
  FAllocBy = step;
  FNumAllocated = step;
  FSparseNumElem = 0;
  SparseRecomputeBox();
}

bool TIntMatrix::SparseAdopt(std::vector<TSpMatElemInt>& triples, int allocBy) {
  const int64_t count = static_cast<int64_t>(triples.size());
  const int64_t alloc = std::max<int64_t>(allocBy, (count + allocBy - 1) / allocBy * allocBy);
  if (alloc > INT32_MAX) return false;
  try {
    triples.resize(static_cast<std::size_t>(alloc));
  } catch (const std::bad_alloc&) {
    return false;
  }
  SpMat.swap(triples);
  FNumAllocated = static_cast<int>(alloc);
  FSparseNumElem = static_cast<int>(count);
  SparseRecomputeBox();
  return true;
}

void TIntMatrix::SparseStore(int c, int r, int32_t v) {
  const int64_t i = SparseLowerBound(c, r);
  TSpMatElemInt* at = SpMat.data() + i;
  if (i < FSparseNumElem && at->colidx == c && at->rowidx == r) {
    at->value = v;
  } else {
    SparseGrowTo(int64_t{FSparseNumElem} + 1);
    std::move_backward(SpMat.begin() + i, SpMat.begin() + FSparseNumElem, SpMat.begin() + FSparseNumElem + 1);
    SpMat[static_cast<std::size_t>(i)] = TSpMatElemInt{c, r, v};
    ++FSparseNumElem;
  }
  FSparseLowCol = std::min(FSparseLowCol, c);
  FSparseHighCol = std::max(FSparseHighCol, c);
  FSparseLowRow = std::min(FSparseLowRow, r);
  FSparseHighRow = std::max(FSparseHighRow, r);
  FNCol = std::max(FNCol, FSparseHighCol);
  FNRow = std::max(FNRow, FSparseHighRow);
}

void TIntMatrix::SparseRecomputeBox() {
  FSparseLowCol = FSparseLowRow = 2147483647;
  FSparseHighCol = FSparseHighRow = 1;
  for (int i = 0; i < FSparseNumElem; ++i) {
    const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
    FSparseLowCol = std::min(FSparseLowCol, e.colidx);
    FSparseHighCol = std::max(FSparseHighCol, e.colidx);
    FSparseLowRow = std::min(FSparseLowRow, e.rowidx);
    FSparseHighRow = std::max(FSparseHighRow, e.rowidx);
  }
}

void TIntMatrix::SparseResort() {
  std::sort(SpMat.begin(), SpMat.begin() + FSparseNumElem, Before);  // keys are unique: any sort gives one order
}

void TIntMatrix::SparseRemap(const std::function<void(TSpMatElemInt&)>& remap) {
  for (int i = 0; i < FSparseNumElem; ++i) remap(SpMat[static_cast<std::size_t>(i)]);
  SparseResort();
  SparseRecomputeBox();
}

void TIntMatrix::SparseResize(int Nc, int Nr) {
  FNCol = Nc;
  FNRow = Nr;
  const auto end = std::remove_if(SpMat.begin(), SpMat.begin() + FSparseNumElem,
                                  [Nc, Nr](const TSpMatElemInt& e) { return e.colidx > Nc || e.rowidx > Nr; });
  std::fill(end, SpMat.begin() + FSparseNumElem, TSpMatElemInt{});
  FSparseNumElem = static_cast<int>(end - SpMat.begin());
  SparseRecomputeBox();
}

TSpMatElemInt TIntMatrix::SparseElem(int i) const {
  return FIsSparse && i >= 1 && i <= FSparseNumElem ? SpMat[static_cast<std::size_t>(i - 1)] : TSpMatElemInt{};
}

// [SECTION] form changes

void TIntMatrix::SparseToArray() {
  if (!FIsSparse) return;
  const int nc = std::max(FNCol, FSparseHighCol), nr = std::max(FNRow, FSparseHighRow);
  num_detail::TDenseStore<int32_t> next;
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, num_detail::NoRoomFor(nc, nr), [&] { next.Reshape(nc, nr); });
  for (int i = 0; i < FSparseNumElem; ++i) {
    const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
    next.At(e.colidx, e.rowidx) = e.value;
  }
  std::swap(Mat, next);
  std::vector<TSpMatElemInt>().swap(SpMat);
  FNumAllocated = 0;
  FSparseNumElem = 0;
  SparseRecomputeBox();
  FNCol = nc;
  FNRow = nr;
  FIsSparse = false;
}

void TIntMatrix::ArrayToSparse(int AllocBy) {
  if (FIsSparse) return;
  SparseReset(AllocBy);
  for (int c = 1; c <= FNCol; ++c)
    for (int r = 1; r <= FNRow; ++r) {
      const int32_t v = Mat.At(c, r);
      if (v == 0) continue;
      SparseGrowTo(int64_t{FSparseNumElem} + 1);
      SpMat[static_cast<std::size_t>(FSparseNumElem++)] = TSpMatElemInt{c, r, v};
    }
  SparseRecomputeBox();
  Mat.Release();
  FIsSparse = true;
}

// [SECTION] element-wise sums (this matrix dense)

bool TIntMatrix::AddSub(const TIntMatrix& b, bool subtract) {
  auto combine = [subtract](int32_t x, int32_t y) { return subtract ? num_detail::SubElem(x, y) : num_detail::AddElem(x, y); };
  if (!b.FIsSparse) {
    if (b.FNCol != FNCol || b.FNRow != FNRow) return false;
    for (int c = 1; c <= FNCol; ++c) {
      int32_t* p = Mat.Col(c);
      const int32_t* q = b.Mat.Col(c);
      for (int r = 0; r < FNRow; ++r) p[r] = combine(p[r], q[r]);
    }
  } else {
    if (b.FSparseNumElem > 0 && (b.FSparseHighCol > FNCol || b.FSparseHighRow > FNRow)) return false;
    for (int i = 0; i < b.FSparseNumElem; ++i) {
      const TSpMatElemInt& e = b.SpMat[static_cast<std::size_t>(i)];
      Mat.At(e.colidx, e.rowidx) = combine(Mat.At(e.colidx, e.rowidx), e.value);
    }
  }
  Changed();
  return true;
}

}  // namespace qelta
