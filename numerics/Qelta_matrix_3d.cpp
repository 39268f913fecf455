// Qelta_matrix: TMat3D, the array of three dimensions (columns x rows x layers).
//
// The cells live in one num_detail::TCellBlock<3> with the layer index fastest, so the layers of one
// (column, row), which the Kohonen map reads together, are contiguous. Resize keeps the overlapping
// cells. The XML element is written and read by Qelta_matrix_nd.cpp.

#include <algorithm>

#include "Qelta_matrix.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

// [SECTION] construction and size

TMat3D::TMat3D(TComponent* AOwner) : TComponent(AOwner) {
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] { FCells.Reshape({1, 1, 1}, false); });
}

bool TMat3D::Resize(int Nc, int Nr, int Nl) {
  if (Nc < 1 || Nr < 1 || Nl < 1) return true;
  if (Nc == NrOfColumns() && Nr == NrOfRows() && Nl == NrOfLayers()) return true;
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] { FCells.Reshape({Nc, Nr, Nl}, true); });
  Changed();
  return true;
}

void TMat3D::SetNCols(int n) { Resize(std::max(n, 1), NrOfRows(), NrOfLayers()); }
void TMat3D::SetNRows(int n) { Resize(NrOfColumns(), std::max(n, 1), NrOfLayers()); }
void TMat3D::SetNLayers(int n) { Resize(NrOfColumns(), NrOfRows(), std::max(n, 1)); }

// [SECTION] cells

void TMat3D::MakeValidColRange(int& Low, int& High) const { num_detail::MakeValidRange(NrOfColumns(), Low, High); }
void TMat3D::MakeValidRowRange(int& Low, int& High) const { num_detail::MakeValidRange(NrOfRows(), Low, High); }
void TMat3D::MakeValidLayerRange(int& Low, int& High) const { num_detail::MakeValidRange(NrOfLayers(), Low, High); }

void TMat3D::Fill(double value) { FCells.Fill(value); }

void TMat3D::FillRandomUniform(double RangeLow, double RangeHigh) {
  FCells.FillRandomUniform(RangeLow, RangeHigh);
  Changed();
}

void TMat3D::FillRandomGauss(double Mean, double StdDev) {
  FCells.FillRandomGauss(Mean, StdDev);
  Changed();
}

void TMat3D::Find(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, double Value,
                  int& ColIx, int& RowIx, int& LayerIx) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  num_detail::TCellBlock<3>::TIndex at;
  FCells.Find({LowCol, LowRow, LowLayer}, {HighCol, HighRow, HighLayer}, Value, at);
  ColIx = at[0];
  RowIx = at[1];
  LayerIx = at[2];
}

String TMat3D::CRCofData() const { return FCells.CRC(); }

void TMat3D::Changed() {
  if (OnChange) OnChange(this);
}

// [SECTION] XML element

void TMat3D::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const {
  num_detail::TTextFileSink sink(f);
  num_detail::WriteXmlBlock(sink, u"TMat3D", CreateHeader, DataID, FCells);
}

void TMat3D::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const {
  num_detail::TStreamSink sink(OutStream);
  num_detail::WriteXmlBlock(sink, u"TMat3D", CreateHeader, DataID, FCells);
}

bool TMat3D::SaveAsXMLFile(const String& FName, const String& DataID) const {
  return num_detail::SaveXmlFile(FName, [&](TextFile& f) { WriteToOpenXMLFile(f, true, DataID); });
}

bool TMat3D::ReadXml(TTagReader& in, const String& DataID) {
  if (!num_detail::ReadXmlBlock(in, DataID, FCells, FDataID)) return false;
  Changed();
  return true;
}

bool TMat3D::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  TTagReader src(f);
  return ReadXml(src, DataID);
}

bool TMat3D::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  TTagReader src(InStream, 2);
  return ReadXml(src, DataID);
}

bool TMat3D::LoadFromXMLFile(const String& FName, const String& DataID) {
  return num_detail::LoadXmlFile(FName, [&](TextFile& f) { return ReadFromOpenXMLFile(f, DataID); });
}

}  // namespace qelta
