// Qelta_matrix: the members TMatrix and TIntMatrix share (num_detail::TMatrixT): size, ranges,
// copies to vectors, sorting, events, the dense bodies both classes call, and the XML element,
// text and stream forms around the readers and writers of Qelta_matrix_forms.cpp and
// Qelta_vecmat_shared.cpp.
//
// The members reach the class's own rules through M: GetVal and Resize (public), WriteXml and
// CellText (each class), and the hooks PutCell, TakeXmlCells and RequireDense, whose dense
// defaults stand here and which TIntMatrix hides with versions that serve its sparse form.

#include <algorithm>

#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"
#include "SysUtils.h"

namespace qelta::num_detail {

// [SECTION] construction and size

template <typename M, typename T, typename V>
TMatrixT<M, T, V>::TMatrixT(TComponent* AOwner) : TComponent(AOwner) {
  GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] { Mat.Reshape(1, 1); });
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::Reshape(int Nc, int Nr) {
  GuardAlloc<EQeltaMatrixError>(*this, NoRoomFor(Nc, Nr), [&] { Mat.Reshape(Nc, Nr); });
  if (Nc == 0 || Nr == 0) Mat.Zero();  // the kept column or row lies outside the dimensions
  FNCol = Nc;
  FNRow = Nr;
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SetNCols(int Nc) {
  Self().Resize(std::max(Nc, 0), FNRow);
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SetNRows(int Nr) {
  Self().Resize(FNCol, std::max(Nr, 0));
}

// [SECTION] ranges and copies to vectors

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::MakeValidColRange(int& Low, int& High) const {
  MakeValidRange(FNCol, Low, High);
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::MakeValidRowRange(int& Low, int& High) const {
  MakeValidRange(FNRow, Low, High);
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::ValidRange(int& LoC, int& LoR, int& HiC, int& HiR) const {
  MakeValidColRange(LoC, HiC);
  MakeValidRowRange(LoR, HiR);
  return LoC >= 1 && LoR >= 1 && HiC >= LoC && HiR >= LoR;
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::CopyRowToVec(V* DestVec, int Row, int FirstCol, int LastCol) const {
  if (DestVec == nullptr) return;
  MakeValidColRange(FirstCol, LastCol);
  Row = std::min(std::max(Row, 1), FNRow);
  LastCol = static_cast<int>(std::min<int64_t>(LastCol, int64_t{FirstCol} + DestVec->NrOfElem() - 1));
  DestVec->Fill(0);
  for (int c = FirstCol; c <= LastCol; ++c) DestVec->SetVal(c - FirstCol + 1, Self().GetVal(c, Row));
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::CopyColToVec(V* DestVec, int Col, int FirstRow, int LastRow) const {
  if (DestVec == nullptr) return;
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::min(std::max(Col, 1), FNCol);
  LastRow = static_cast<int>(std::min<int64_t>(LastRow, int64_t{FirstRow} + DestVec->NrOfElem() - 1));
  DestVec->Fill(0);
  for (int r = FirstRow; r <= LastRow; ++r) DestVec->SetVal(r - FirstRow + 1, Self().GetVal(Col, r));
}

// [SECTION] dense bodies

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::FillCells(T value) {
  for (int c = 1; c <= FNCol; ++c) std::fill_n(Mat.Col(c), FNRow, value);
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::CloneCells(const M& src) {
  Self().Resize(src.FNCol, src.FNRow);
  if (OnChange) {  // one event per cell
    for (int c = 1; c <= FNCol; ++c)
      for (int r = 1; r <= FNRow; ++r) Self().SetVal(c, r, src.Mat.At(c, r));
  } else if (&src != this) {
    for (int c = 1; c <= FNCol; ++c) std::copy_n(src.Mat.Col(c), FNRow, Mat.Col(c));
  }
  Changed();
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::TransposeCells() {
  GuardAlloc<EQeltaMatrixError>(*this, NoRoomFor(FNRow, FNCol), [&] { Mat.Transpose(); });
}

// [SECTION] sorting

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SortRows(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  Self().RequireDense(u"SortRows");
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (SortColIx < 1 || SortColIx > FNCol || LowCol < 1 || HighRow - LowRow < 1) return;
  DenseSortRows(Mat, SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow,
                [&](int a, int b) { SortExchange(2, a, b, LowCol, HighCol); });
  Changed();
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SortCols(int SortRowIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  Self().RequireDense(u"SortCols");
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (SortRowIx < 1 || SortRowIx > FNRow || LowRow < 1 || HighCol - LowCol < 1) return;
  DenseSortCols(Mat, SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow,
                [&](int a, int b) { SortExchange(1, a, b, LowRow, HighRow); });
  Changed();
}

// [SECTION] events

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::Changed() {
  if (OnChange) OnChange(&Self());
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::SortExchange(uint8_t ExchgWhat, int index1, int index2, int first, int last) {
  if (OnSortExchange) OnSortExchange(&Self(), ExchgWhat, index1, index2, first, last);
}

// [SECTION] XML element

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::WriteDenseXmlCells(TLineSink& out) const {
  for (int r = 1; r <= FNRow && FNCol > 0; ++r) {
    String values;
    for (int c = 1; c <= FNCol; ++c) {
      if (c > 1) values += u' ';
      values += Self().CellText(Mat.At(c, r));
    }
    out.Line(XmlCellsLine(r, 1, values));
  }
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const {
  TTextFileSink sink(f);
  Self().WriteXml(sink, CreateHeader, DataID);
}

template <typename M, typename T, typename V>
void TMatrixT<M, T, V>::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const {
  TStreamSink sink(OutStream);
  Self().WriteXml(sink, CreateHeader, DataID);
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::SaveAsXMLFile(const String& FName, const String& DataID) const {
  return SaveXmlFile(FName, [&](TextFile& f) { WriteToOpenXMLFile(f, true, DataID); });
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::TakeXmlCells(const TXmlMatrix<T>& x) {
  const int64_t cells = CheckedCells(std::max(x.NCols, 1), std::max(x.NRows, 1), sizeof(T));
  if (!CellsFitInput(cells, sizeof(T), x.Chars)) return false;
  TDenseStore<T> next;
  try {
    next.Reshape(x.NCols, x.NRows);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const auto& run : x.Runs)
    for (std::size_t k = 0; k < run.Values.size(); ++k) next.At(run.Col + static_cast<int>(k), run.Row) = run.Values[k];
  std::swap(Mat, next);
  return true;
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::ReadXml(TTagReader& in, const String& DataID) {
  TXmlMatrix<T> x;
  FLoadError.clear();
  if (!ReadXmlMatrix(in, DataID, x, FLoadError)) return false;
  if (!Self().TakeXmlCells(x))
    return Refuse(FLoadError, u"no room for the " + IntToStr(x.NCols) + u" x " + IntToStr(x.NRows) +
                                  u" cells of the element (it lists " + IntToStr(x.Listed) + u")");
  FNCol = x.NCols;
  FNRow = x.NRows;
  FDataID = x.Id;
  Changed();
  return true;
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  TTagReader src(f);
  return ReadXml(src, DataID);
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  TTagReader src(InStream, 2);
  return ReadXml(src, DataID);
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::LoadFromXMLFile(const String& FName, const String& DataID) {
  const bool ok = LoadXmlFile(FName, [&](TextFile& f) { return ReadFromOpenXMLFile(f, DataID); }, &FLoadError);
  if (!ok) FLoadError = InFile(FName, FLoadError);
  return ok;
}

// [SECTION] text form and binary stream

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::StoreOnFile(int LoC, int LoR, int HiC, int HiR, const String& FileName) const {
  WriterRange(FNCol, LoC, HiC);
  WriterRange(FNRow, LoR, HiR);
  return StoreMatrixText(FileName, LoC, LoR, HiC, HiR,
                         [this](int c, int r) { return Self().CellText(Self().GetVal(c, r)); });
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::SaveToStream(TMemoryStream*& OutStream, int LoC, int LoR, int HiC, int HiR) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  return SaveToStream(*OutStream, LoC, LoR, HiC, HiR);
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::SaveToStream(TStream& OutStream, int LoC, int LoR, int HiC, int HiR) const {
  WriterRange(FNCol, LoC, HiC);
  WriterRange(FNRow, LoR, HiR);
  return SaveMatrixStream<T>(OutStream, LoC, LoR, HiC, HiR, [this](int c, int r) { return Self().GetVal(c, r); });
}

template <typename M, typename T, typename V>
TMatrixPort<T> TMatrixT<M, T, V>::Port() {
  TMatrixPort<T> p;
  p.Cols = [this] { return FNCol; };
  p.Rows = [this] { return FNRow; };
  p.Resize = [this](int nc, int nr) { Self().Resize(nc, nr); };
  p.Put = [this](int c, int r, T v) { Self().PutCell(c, r, v); };
  p.Changed = [this] { Changed(); };
  return p;
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::LoadFromFile(const String& FileName, bool AdjustMatrixSize) {
  FLoadError.clear();
  return LoadMatrixText(FileName, AdjustMatrixSize, Port(), FLoadError);
}

template <typename M, typename T, typename V>
bool TMatrixT<M, T, V>::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  FLoadError.clear();
  return LoadMatrixStream(InStream, AdjustMatrixSize, Port(), FLoadError);
}

template class TMatrixT<TMatrix, double, TVector>;
template class TMatrixT<TIntMatrix, int32_t, TIntVector>;

}  // namespace qelta::num_detail
