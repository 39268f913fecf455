// Qelta_matrix: the container of TMatrix (size, cells, filling, copying, rearranging, searching,
// summaries, fingerprint). What it shares with TIntMatrix (size, ranges, copies to vectors,
// sorting, events, files) is in Qelta_matrix_common.cpp.
//
// Storage: one column-major block of max(NrOfColumns, 1) x max(NrOfRows, 1) doubles
// (num_detail::TDenseStore). Every operation touches only the cells the dimensions cover; cells the
// block holds beyond a dimension of 0 are kept at 0.
// Events: the copy operations write through SetVal, so each written cell fires OnChange before the
// final one; without a handler the cells are stored directly, which no observer can tell apart.
// Deliberate deviations from the classic behaviour, each a mended fault:
//  - Resize to a dimension of 0 clears the block it keeps, so old values do not reappear when the
//    dimension grows again ("cells that come into existence are 0").
//  - CopyFrom with this matrix as its own source reads the source range before writing.
//  - MinMax seeds from the first cell of the range instead of +-1.7e38, so cells beyond 1.7e38
//    report their real extremes; +-1.7e38 remains the answer of an empty range.
//  - ExchangeColumns, ExchangeRows, SortRows/SortCols (key index) and FindInSortedColumn check
//    their indices: invalid ones do nothing or answer 0 instead of touching foreign memory.

#include <algorithm>

#include "Qelta_math1.h"
#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"
#include "Qelta_univconst.h"
#include "Random.h"

namespace qelta {

// [SECTION] construction and size

bool TMatrix::Resize(int Nc, int Nr) {
  Reshape(std::max(Nc, 0), std::max(Nr, 0));
  Changed();
  return true;
}

void TMatrix::SetFPrecis(int Index, int Value) {
  FPrecis[Index > 1 ? 1 : 0] = num_detail::ClampInt(Value, -1, 25);
  FPrecisSet = true;
}

// [SECTION] elements

void TMatrix::SetVal(int Col, int Row, double Value) {
  if (Col < 1 || Col > FNCol || Row < 1 || Row > FNRow) return;
  Mat.At(Col, Row) = Value;
  Changed();
}

void TMatrix::PutVal(int Col, int Row, double v) {
  if (OnChange)
    SetVal(Col, Row, v);
  else if (Col >= 1 && Col <= FNCol && Row >= 1 && Row <= FNRow)
    Mat.At(Col, Row) = v;
}

// [SECTION] filling and copying

void TMatrix::Fill(double value) {
  FillCells(value);
  Changed();
}

void TMatrix::FillRandomUniform(double RangeLow, double RangeHigh) {
  const double span = RangeHigh - RangeLow;
  for (int c = 1; c <= FNCol; ++c) {
    double* col = Mat.Col(c);
    for (int r = 0; r < FNRow; ++r) col[r] = RangeLow + Random() * span;
  }
  Changed();
}

void TMatrix::FillRandomGauss(double Mean, double StdDev) {
  for (int c = 1; c <= FNCol; ++c) {
    double* col = Mat.Col(c);
    for (int r = 0; r < FNRow; ++r) col[r] = GRandom() * StdDev + Mean;
  }
  Changed();
}

void TMatrix::Clone(const TMatrix* MatSource) {
  if (MatSource != nullptr) CloneCells(*MatSource);
}

void TMatrix::CopyCells(int srcCols, int srcRows, int colLo, int rowLo, int colHi, int rowHi, int destCol,
                        int destRow, const std::function<double(int, int)>& read, bool self) {
  num_detail::ClampSourceRange(srcCols, colLo, colHi);
  num_detail::ClampSourceRange(srcRows, rowLo, rowHi);
  if (colLo >= 1 && rowLo >= 1) {  // a source dimension of 0 names no cell
    const int nc = colHi - colLo + 1, nr = rowHi - rowLo + 1;
    std::vector<double> snapshot;  // a copy within this matrix reads its whole source first
    if (self) {
      snapshot.reserve(static_cast<std::size_t>(nc) * nr);
      for (int c = colLo; c <= colHi; ++c)
        for (int r = rowLo; r <= rowHi; ++r) snapshot.push_back(read(c, r));
    }
    for (int c = colLo; c <= colHi; ++c) {
      const int64_t dc = num_detail::Shifted(destCol, c, colLo);
      if (dc < 1 || dc > FNCol) continue;
      for (int r = rowLo; r <= rowHi; ++r) {
        const int64_t dr = num_detail::Shifted(destRow, r, rowLo);
        if (dr < 1 || dr > FNRow) continue;
        const double v =
            self ? snapshot[static_cast<std::size_t>(c - colLo) * nr + static_cast<std::size_t>(r - rowLo)] : read(c, r);
        PutVal(static_cast<int>(dc), static_cast<int>(dr), v);
      }
    }
  }
  Changed();
}

void TMatrix::CopyBlock(const TMatrix& src, int cl, int rl, int ch, int rh, int destCol, int destRow) {
  num_detail::ClampSourceRange(src.FNCol, cl, ch);
  num_detail::ClampSourceRange(src.FNRow, rl, rh);
  if (cl >= 1 && rl >= 1) {
    const int nr = rh - rl + 1;
    std::vector<double> snapshot;  // a copy within this matrix reads its whole source first
    if (&src == this) {
      snapshot.reserve(static_cast<std::size_t>(ch - cl + 1) * static_cast<std::size_t>(nr));
      for (int c = cl; c <= ch; ++c) snapshot.insert(snapshot.end(), src.Mat.Col(c) + (rl - 1), src.Mat.Col(c) + rh);
    }
    // Source rows whose destination lies inside: dr = destRow + r - rl in 1..FNRow.
    const int64_t from = std::max<int64_t>(rl, int64_t{rl} + 1 - destRow);
    const int64_t to = std::min<int64_t>(rh, int64_t{rl} + FNRow - destRow);
    for (int c = cl; c <= ch && from <= to; ++c) {
      const int64_t dc = num_detail::Shifted(destCol, c, cl);
      if (dc < 1 || dc > FNCol) continue;
      const double* col = snapshot.empty() ? src.Mat.Col(c) + (rl - 1)
                                           : snapshot.data() + static_cast<std::size_t>(c - cl) * nr;
      std::copy_n(col + (from - rl), to - from + 1, Mat.Col(static_cast<int>(dc)) + (destRow + from - rl - 1));
    }
  }
  Changed();
}

void TMatrix::CopyFrom(const TMatrix* MatSource, int SourceColLo, int SourceRowLo, int SourceColHi, int SourceRowHi,
                       int DestCol, int DestRow) {
  if (MatSource == nullptr) return;
  if (!OnChange) return CopyBlock(*MatSource, SourceColLo, SourceRowLo, SourceColHi, SourceRowHi, DestCol, DestRow);
  CopyCells(MatSource->FNCol, MatSource->FNRow, SourceColLo, SourceRowLo, SourceColHi, SourceRowHi, DestCol, DestRow,
            [MatSource](int c, int r) { return MatSource->Mat.At(c, r); }, MatSource == this);
}

void TMatrix::CopyFrom(const TIntMatrix* MatSource, int SourceColLo, int SourceRowLo, int SourceColHi,
                       int SourceRowHi, int DestCol, int DestRow) {
  if (MatSource == nullptr) return;
  CopyCells(MatSource->NrOfColumns(), MatSource->NrOfRows(), SourceColLo, SourceRowLo, SourceColHi, SourceRowHi,
            DestCol, DestRow, [MatSource](int c, int r) { return static_cast<double>(MatSource->GetVal(c, r)); },
            false);
}

void TMatrix::CopyFromVec(const TVector* VecSource, int Source1stElem, int SourceLastElem, int DestCol, int DestRow) {
  if (VecSource == nullptr) return;
  num_detail::ClampSourceRange(VecSource->NrOfElem(), Source1stElem, SourceLastElem);
  for (int e = Source1stElem; e <= SourceLastElem; ++e) {
    const int64_t dr = num_detail::Shifted(DestRow, e, Source1stElem);
    if (dr >= 1 && dr <= FNRow) PutVal(DestCol, static_cast<int>(dr), VecSource->GetVal(e));
  }
  Changed();
}

// [SECTION] rearranging

bool TMatrix::Transpose() {
  TransposeCells();
  std::swap(FNCol, FNRow);
  Changed();
  return true;
}

void TMatrix::MirrorColumns() {
  num_detail::DenseMirrorColumns(Mat, FNCol, FNRow);
  Changed();
}

void TMatrix::MirrorRows() {
  num_detail::DenseMirrorRows(Mat, FNCol, FNRow);
  Changed();
}

void TMatrix::ExchangeColumns(int c1, int c2) {
  if (c1 < 1 || c1 > FNCol || c2 < 1 || c2 > FNCol) return;
  num_detail::DenseExchangeColumns(Mat, c1, c2, FNRow);
  Changed();
}

void TMatrix::ExchangeRows(int r1, int r2) {
  if (r1 < 1 || r1 > FNRow || r2 < 1 || r2 > FNRow) return;
  if (r1 != r2) num_detail::DenseExchangeRows(Mat, 1, FNCol, r1, r2);
  Changed();
}

// [SECTION] search and summaries

void TMatrix::MinMax(int LowCol, int LowRow, int HighCol, int HighRow, double& Minimum, double& Maximum) const {
  Minimum = static_cast<double>(uc_MaxReal);
  Maximum = -static_cast<double>(uc_MaxReal);
  if (!ValidRange(LowCol, LowRow, HighCol, HighRow)) return;
  num_detail::DenseMinMax(Mat, LowCol, LowRow, HighCol, HighRow, Minimum, Maximum);
}

void TMatrix::Find(int LowCol, int HighCol, int LowRow, int HighRow, double Value, int& ColIx, int& RowIx) const {
  ColIx = 0;
  RowIx = 0;
  if (!ValidRange(LowCol, LowRow, HighCol, HighRow)) return;
  num_detail::DenseFind(Mat, LowCol, HighCol, LowRow, HighRow, Value, ColIx, RowIx);
}

int TMatrix::FindInSortedColumn(int Col, bool ColIsAscending, double Value) const {
  if (Col < 1 || Col > FNCol || FNRow < 1) return 0;
  return num_detail::DenseFindInSortedColumn(Mat.Col(Col), FNRow, ColIsAscending, Value);
}

double TMatrix::Sum(int LoC, int LoR, int HiC, int HiR) const {
  return ValidRange(LoC, LoR, HiC, HiR) ? num_detail::DenseSum(Mat, LoC, LoR, HiC, HiR) : 0.0;
}

double TMatrix::Trace() const {
  return FNCol == FNRow && FNCol >= 1 ? num_detail::DenseTrace(Mat, FNCol) : 0.0;
}

// [SECTION] fingerprint

String TMatrix::CRCofData() const { return num_detail::DenseCRC(Mat, FNCol, FNRow); }

}  // namespace qelta
