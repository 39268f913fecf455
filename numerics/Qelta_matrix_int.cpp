// Qelta_matrix: TIntMatrix, the operations of both forms (the sparse internals are in
// Qelta_matrix_sparse.cpp, the files in Qelta_matrix_int_io.cpp).
//
// The dense form shares storage and algorithms with TMatrix (num_detail::TDenseStore, and the members
// of num_detail::TMatrixT in Qelta_matrix_common.cpp). Each public operation picks its form's path;
// operations that only the dense storage defines either work on the sparse form too (mirroring,
// exchanging, products, searches, the fingerprint) or raise EQeltaMatrixError naming the
// operation (SortRows, SortCols, SAdd, which would have to give every unstored cell a value or
// move unstored cells).
// Deliberate deviations, each a mended fault: the dense MinMax seeds from the first cell of the
// range; ExchangeColumns/ExchangeRows/FindInSortedColumn and the sort key check their indices;
// products compute into a temporary first, so a result matrix that is also an operand gets the
// right cells; self-copies read their source first.

#include <algorithm>

#include "Qelta_linalg_internal.h"
#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

using num_detail::GuardAlloc;

// [SECTION] construction and size

TIntMatrix::TIntMatrix(TComponent* AOwner, TSparseForm Form) : TMatrixT(AOwner) {
  FIsSparse = true;
  FNCol = 0;
  FNRow = 0;
  SparseReset(Form.AllocBy);
}

bool TIntMatrix::Resize(int Nc, int Nr) {
  Nc = std::max(Nc, 0);
  Nr = std::max(Nr, 0);
  if (FIsSparse) {
    SparseResize(Nc, Nr);
    return true;
  }
  Reshape(Nc, Nr);
  Changed();
  return true;
}

void TIntMatrix::RequireDense(const char16_t* operation) const {
  if (FIsSparse) throw EQeltaMatrixError(num_detail::ComponentText(*this, String(operation) + u" needs a dense matrix"));
}

// [SECTION] elements

int32_t TIntMatrix::GetVal(int Col, int Row) const {
  if (!FIsSparse) return Col >= 1 && Col <= FNCol && Row >= 1 && Row <= FNRow ? Mat.At(Col, Row) : 0;
  if (Col < FSparseLowCol || Col > FSparseHighCol || Row < FSparseLowRow || Row > FSparseHighRow) return 0;
  const int64_t i = SparseLowerBound(Col, Row);
  if (i >= FSparseNumElem) return 0;
  const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
  return e.colidx == Col && e.rowidx == Row ? e.value : 0;
}

void TIntMatrix::SetVal(int Col, int Row, int32_t Value) {
  if (FIsSparse) {
    if (Col < 1 || Row < 1) return;
    SparseStore(Col, Row, Value);
  } else {
    if (Col < 1 || Col > FNCol || Row < 1 || Row > FNRow) return;
    Mat.At(Col, Row) = Value;
  }
  Changed();
}

void TIntMatrix::PutCell(int c, int r, int32_t v) {
  if (!FIsSparse)
    Mat.At(c, r) = v;
  else if (v != 0 || GetVal(c, r) != 0)
    SparseStore(c, r, v);
}

void TIntMatrix::PutVal(int Col, int Row, int32_t v) {
  if (OnChange)
    SetVal(Col, Row, v);
  else if (FIsSparse ? Col >= 1 && Row >= 1 : Col >= 1 && Col <= FNCol && Row >= 1 && Row <= FNRow)
    FIsSparse ? SparseStore(Col, Row, v) : void(Mat.At(Col, Row) = v);
}

// [SECTION] filling and copying

void TIntMatrix::Fill(int32_t value) {
  if (!FIsSparse) {
    FillCells(value);
  } else if (value != 0) {
    for (int i = 0; i < FSparseNumElem; ++i) SpMat[static_cast<std::size_t>(i)].value = value;
  } else {
    SparseReset(FAllocBy);
  }
  Changed();
}

void TIntMatrix::Clone(const TIntMatrix* MatSource) {
  if (MatSource == nullptr || MatSource->FIsSparse != FIsSparse) return;
  if (FIsSparse) {
    if (MatSource != this) {
      GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] { SpMat = MatSource->SpMat; });
      FNumAllocated = MatSource->FNumAllocated;
      FAllocBy = MatSource->FAllocBy;
      FSparseNumElem = MatSource->FSparseNumElem;
      FSparseLowCol = MatSource->FSparseLowCol;
      FSparseHighCol = MatSource->FSparseHighCol;
      FSparseLowRow = MatSource->FSparseLowRow;
      FSparseHighRow = MatSource->FSparseHighRow;
      FNCol = MatSource->FNCol;
      FNRow = MatSource->FNRow;
    }
    Changed();
    return;
  }
  CloneCells(*MatSource);
}

void TIntMatrix::CopyFrom(const TIntMatrix* MatSource, int SourceColLo, int SourceRowLo, int SourceColHi,
                          int SourceRowHi, int DestCol, int DestRow) {
  if (MatSource == nullptr) return;
  int cl = SourceColLo, ch = SourceColHi, rl = SourceRowLo, rh = SourceRowHi;
  num_detail::ClampSourceRange(MatSource->FNCol, cl, ch);
  num_detail::ClampSourceRange(MatSource->FNRow, rl, rh);
  if (cl >= 1 && rl >= 1) {
    std::vector<int32_t> cells;  // read first: the source may be this matrix
    cells.reserve(static_cast<std::size_t>(ch - cl + 1) * static_cast<std::size_t>(rh - rl + 1));
    for (int c = cl; c <= ch; ++c)
      for (int r = rl; r <= rh; ++r) cells.push_back(MatSource->GetVal(c, r));
    std::size_t k = 0;
    for (int c = cl; c <= ch; ++c)
      for (int r = rl; r <= rh; ++r, ++k) {
        const int64_t dc = num_detail::Shifted(DestCol, c, cl), dr = num_detail::Shifted(DestRow, r, rl);
        if (dc >= 1 && dr >= 1 && dc <= INT32_MAX && dr <= INT32_MAX)
          PutVal(static_cast<int>(dc), static_cast<int>(dr), cells[k]);
      }
  }
  Changed();
}

// [SECTION] rearranging

bool TIntMatrix::Transpose() {
  if (FIsSparse) {
    SparseRemap([](TSpMatElemInt& e) { std::swap(e.colidx, e.rowidx); });
  } else {
    TransposeCells();
  }
  std::swap(FNCol, FNRow);
  Changed();
  return true;
}

void TIntMatrix::MirrorColumns() {
  const int nc = FNCol;
  if (FIsSparse)
    SparseRemap([nc](TSpMatElemInt& e) { e.colidx = nc + 1 - e.colidx; });
  else
    num_detail::DenseMirrorColumns(Mat, FNCol, FNRow);
  Changed();
}

void TIntMatrix::MirrorRows() {
  const int nr = FNRow;
  if (FIsSparse)
    SparseRemap([nr](TSpMatElemInt& e) { e.rowidx = nr + 1 - e.rowidx; });
  else
    num_detail::DenseMirrorRows(Mat, FNCol, FNRow);
  Changed();
}

void TIntMatrix::ExchangeColumns(int c1, int c2) {
  if (c1 < 1 || c1 > FNCol || c2 < 1 || c2 > FNCol) return;
  if (FIsSparse)
    SparseRemap([c1, c2](TSpMatElemInt& e) { e.colidx = e.colidx == c1 ? c2 : (e.colidx == c2 ? c1 : e.colidx); });
  else
    num_detail::DenseExchangeColumns(Mat, c1, c2, FNRow);
  Changed();
}

void TIntMatrix::ExchangeRows(int r1, int r2) {
  if (r1 < 1 || r1 > FNRow || r2 < 1 || r2 > FNRow) return;
  if (FIsSparse)
    SparseRemap([r1, r2](TSpMatElemInt& e) { e.rowidx = e.rowidx == r1 ? r2 : (e.rowidx == r2 ? r1 : e.rowidx); });
  else if (r1 != r2)
    num_detail::DenseExchangeRows(Mat, 1, FNCol, r1, r2);
  Changed();
}

// [SECTION] search and summaries

void TIntMatrix::MinMax(int LowCol, int LowRow, int HighCol, int HighRow, int32_t& Minimum, int32_t& Maximum) const {
  Minimum = 2147483647;
  Maximum = -2147483647;
  if (!ValidRange(LowCol, LowRow, HighCol, HighRow)) return;
  if (!FIsSparse) {
    num_detail::DenseMinMax(Mat, LowCol, LowRow, HighCol, HighRow, Minimum, Maximum);
    return;
  }
  bool seeded = false;
  for (int i = 0; i < FSparseNumElem; ++i) {
    const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
    if (e.colidx < LowCol || e.colidx > HighCol || e.rowidx < LowRow || e.rowidx > HighRow) continue;
    Minimum = seeded ? std::min(Minimum, e.value) : e.value;
    Maximum = seeded ? std::max(Maximum, e.value) : e.value;
    seeded = true;
  }
}

int32_t TIntMatrix::Sum(int LoC, int LoR, int HiC, int HiR) const {
  if (!ValidRange(LoC, LoR, HiC, HiR)) return 0;
  if (!FIsSparse) return num_detail::DenseSum(Mat, LoC, LoR, HiC, HiR);
  int32_t sum = 0;
  for (int i = 0; i < FSparseNumElem; ++i) {
    const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
    if (e.colidx >= LoC && e.colidx <= HiC && e.rowidx >= LoR && e.rowidx <= HiR) sum = num_detail::AddElem(sum, e.value);
  }
  return sum;
}

int32_t TIntMatrix::Trace() const {
  if (FNCol != FNRow || FNCol < 1) return 0;
  if (!FIsSparse) return num_detail::DenseTrace(Mat, FNCol);
  int32_t sum = 0;
  for (int i = 0; i < FSparseNumElem; ++i) {
    const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
    if (e.colidx == e.rowidx) sum = num_detail::AddElem(sum, e.value);
  }
  return sum;
}

void TIntMatrix::Find(int LowCol, int HighCol, int LowRow, int HighRow, int32_t Value, int& ColIx, int& RowIx) const {
  ColIx = 0;
  RowIx = 0;
  if (!ValidRange(LowCol, LowRow, HighCol, HighRow)) return;
  if (!FIsSparse) {
    num_detail::DenseFind(Mat, LowCol, HighCol, LowRow, HighRow, Value, ColIx, RowIx);
    return;
  }
  int64_t best = num_detail::FarDistance<int32_t>();
  for (int i = 0; i < FSparseNumElem; ++i) {
    const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(i)];
    if (e.colidx < LowCol || e.colidx > HighCol || e.rowidx < LowRow || e.rowidx > HighRow) continue;
    const int64_t d = num_detail::DistElem(e.value, Value);
    if (d < best) {
      best = d;
      ColIx = e.colidx;
      RowIx = e.rowidx;
    }
  }
}

int TIntMatrix::FindInSortedColumn(int Col, bool ColIsAscending, int32_t Value) const {
  if (Col < 1 || Col > FNCol || FNRow < 1) return 0;
  if (!FIsSparse) return num_detail::DenseFindInSortedColumn(Mat.Col(Col), FNRow, ColIsAscending, Value);
  return num_detail::SortedSearch(FNRow, ColIsAscending, Value, [this, Col](int r) { return GetVal(Col, r); });
}

// [SECTION] arithmetic

bool TIntMatrix::Add(const TIntMatrix* MatB) { return MatB != nullptr && !FIsSparse && AddSub(*MatB, false); }

bool TIntMatrix::Subtract(const TIntMatrix* MatB) { return MatB != nullptr && !FIsSparse && AddSub(*MatB, true); }

void TIntMatrix::SMult(int32_t Scalar) {
  if (FIsSparse) {
    for (int i = 0; i < FSparseNumElem; ++i) {
      int32_t& v = SpMat[static_cast<std::size_t>(i)].value;
      v = num_detail::MulElem(v, Scalar);
    }
  } else {
    for (int c = 1; c <= FNCol; ++c)
      for (int32_t* p = Mat.Col(c); p != Mat.Col(c) + FNRow; ++p) *p = num_detail::MulElem(*p, Scalar);
  }
  Changed();
}

void TIntMatrix::SAdd(int32_t Scalar) {
  RequireDense(u"SAdd");
  for (int c = 1; c <= FNCol; ++c)
    for (int32_t* p = Mat.Col(c); p != Mat.Col(c) + FNRow; ++p) *p = num_detail::AddElem(*p, Scalar);
  Changed();
}

void TIntMatrix::StoreProduct(int nc, int nr, const std::vector<int32_t>& cells) {
  if (!FIsSparse && !OnChange) {
    for (int j = 1; j <= nc; ++j) std::copy_n(cells.data() + static_cast<std::size_t>(j - 1) * nr, nr, Mat.Col(j));
    return;
  }
  std::size_t k = 0;
  for (int j = 1; j <= nc; ++j)
    for (int i = 1; i <= nr; ++i) SetVal(j, i, cells[k++]);
}

bool TIntMatrix::Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr) return false;
  if (FNCol != MatB->FNRow || MatRes->FNCol != MatB->FNCol || MatRes->FNRow != FNRow) return false;
  std::vector<int32_t> cells(static_cast<std::size_t>(MatB->FNCol) * static_cast<std::size_t>(FNRow), 0);
  if (!FIsSparse && !MatB->FIsSparse) {
    // Both dense: the block product on the stores (the cells vector keeps a result that overwrites an
    // operand from being read half-written).
    num_detail::IntProduct(FNRow, MatB->FNCol, FNCol, Mat.Data(), Mat.Rows(), MatB->Mat.Data(), MatB->Mat.Rows(), cells.data(),
                       FNRow);
  } else {
    for (int j = 1; j <= MatB->FNCol; ++j) {
      int32_t* out = cells.data() + static_cast<std::size_t>(j - 1) * FNRow;
      for (int k = 1; k <= FNCol; ++k) {
        const int32_t b = MatB->GetVal(j, k);
        if (b == 0) continue;
        for (int i = 1; i <= FNRow; ++i) out[i - 1] = num_detail::AddElem(out[i - 1], num_detail::MulElem(GetVal(k, i), b));
      }
    }
  }
  MatRes->StoreProduct(MatB->FNCol, FNRow, cells);
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr) return false;
  if (FNRow != MatB->FNRow || MatRes->FNCol != MatB->FNCol || MatRes->FNRow != FNCol) return false;
  std::vector<int32_t> cells(static_cast<std::size_t>(MatB->FNCol) * static_cast<std::size_t>(FNCol), 0);
  const bool dense = !FIsSparse && !MatB->FIsSparse;
  std::size_t at = 0;
  for (int j = 1; j <= MatB->FNCol; ++j)
    for (int i = 1; i <= FNCol; ++i, ++at) {
      if (dense) {  // two contiguous columns
        const int32_t *a = Mat.Col(i), *b = MatB->Mat.Col(j);
        uint32_t sum = 0;
        for (int k = 0; k < FNRow; ++k) sum += static_cast<uint32_t>(a[k]) * static_cast<uint32_t>(b[k]);
        cells[at] = static_cast<int32_t>(sum);
        continue;
      }
      int32_t sum = 0;
      for (int k = 1; k <= FNRow; ++k) sum = num_detail::AddElem(sum, num_detail::MulElem(GetVal(i, k), MatB->GetVal(j, k)));
      cells[at] = sum;
    }
  MatRes->StoreProduct(MatB->FNCol, FNCol, cells);
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes) {
  if (!num_detail::TransposeTimesVector<int32_t>(FNCol, FNRow, [this](int i, int j) { return GetVal(i, j); }, VecB, VecRes))
    return false;
  Changed();
  return true;
}

// [SECTION] fingerprint

String TIntMatrix::CRCofData() const {
  if (!FIsSparse) return num_detail::DenseCRC(Mat, FNCol, FNRow);
  num_detail::TCrcOf<int32_t> lanes;
  int i = 0;  // next triple in storage order, which is the order of the walk
  for (int c = 1; c <= FNCol; ++c)
    for (int r = 1; r <= FNRow; ++r) {
      int32_t v = 0;
      if (i < FSparseNumElem && SpMat[static_cast<std::size_t>(i)].colidx == c &&
          SpMat[static_cast<std::size_t>(i)].rowidx == r)
        v = SpMat[static_cast<std::size_t>(i++)].value;
      lanes.Feed(num_detail::BitsOf(v));
    }
  return lanes.Text();
}

}  // namespace qelta
