// Qelta_matrix: TMat4D, the array of four dimensions (columns x rows x layers x time slots): size,
// cells, summaries, rearranging and the exchange with matrices. The binary file is in
// Qelta_matrix_4d_file.cpp, the XML element in Qelta_matrix_nd.cpp.
//
// The cells live in one num_detail::TCellBlock<4> with the column index fastest (Addr4D); summaries run
// along its contiguous column runs, while the random fills, Find and the fingerprint keep the
// visiting order of the system (column outermost, time slot innermost).
// Decisions and mended faults:
//  - Resize zeroes the new block (the classic block held undefined values until written); a size
//    whose product overflows raises "not enough memory on heap" and keeps the array.
//  - MinMax seeds from the first cell of the range: the classic start values +-1.7e308 were wrong
//    for ranges holding larger values.
//  - MeanVar and the layer deviations take centred sums: the one-pass forms lost every digit for
//    offset data and turned negative (NaN deviation) on constant data.
//  - CopyMatrixToLayer visits only the source cells whose destination lies inside the layer, so a
//    huge source range cannot make it run for ages.

#include <algorithm>
#include <cmath>

#include "Qelta_math1_internal.h"
#include "Qelta_matrix.h"
#include "Qelta_stats_internal.h"
#include "Qelta_univconst.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

// [SECTION] construction and size

TMat4D::TMat4D(TComponent* AOwner) : TComponent(AOwner) {
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap",
                                        [&] { FCells.Reshape({1, 1, 1, 1}, false); });
}

bool TMat4D::Resize(int Nc, int Nr, int Nl, int Nt) {
  if (Nc < 1 || Nr < 1 || Nl < 1 || Nt < 1) return true;
  if (TIndex{Nc, Nr, Nl, Nt} == FCells.Dims()) return true;
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap",
                                        [&] { FCells.Reshape({Nc, Nr, Nl, Nt}, false); });
  Changed();
  return true;
}

void TMat4D::SetNCols(int n) { Resize(std::max(n, 1), NrOfRows(), NrOfLayers(), NrOfTimeSlots()); }
void TMat4D::SetNRows(int n) { Resize(NrOfColumns(), std::max(n, 1), NrOfLayers(), NrOfTimeSlots()); }
void TMat4D::SetNLayers(int n) { Resize(NrOfColumns(), NrOfRows(), std::max(n, 1), NrOfTimeSlots()); }
void TMat4D::SetNTSlots(int n) { Resize(NrOfColumns(), NrOfRows(), NrOfLayers(), std::max(n, 1)); }

int64_t TMat4D::Addr4D(int x, int y, int z, int t) const {
  const int64_t nx = NrOfColumns(), ny = NrOfRows(), nz = NrOfLayers();
  return (int64_t{x} - 1) + nx * ((int64_t{y} - 1) + ny * ((int64_t{z} - 1) + nz * (int64_t{t} - 1)));
}

double TMat4D::MemoryConsumed() const {
  return NrOfColumns() / 1048576.0 * NrOfRows() * NrOfLayers() * NrOfTimeSlots() * 8;
}

// [SECTION] cells

void TMat4D::MakeValidColRange(int& Low, int& High) const { num_detail::MakeValidRange(NrOfColumns(), Low, High); }
void TMat4D::MakeValidRowRange(int& Low, int& High) const { num_detail::MakeValidRange(NrOfRows(), Low, High); }
void TMat4D::MakeValidLayerRange(int& Low, int& High) const { num_detail::MakeValidRange(NrOfLayers(), Low, High); }
void TMat4D::MakeValidTSlotRange(int& Low, int& High) const { num_detail::MakeValidRange(NrOfTimeSlots(), Low, High); }

void TMat4D::ValidBox(int lc, int hc, int lr, int hr, int ll, int hl, int lt, int ht, TIndex& lo, TIndex& hi) const {
  MakeValidColRange(lc, hc);
  MakeValidRowRange(lr, hr);
  MakeValidLayerRange(ll, hl);
  MakeValidTSlotRange(lt, ht);
  lo = {lc, lr, ll, lt};
  hi = {hc, hr, hl, ht};
}

void TMat4D::Fill(double value) { FCells.Fill(value); }

void TMat4D::FillLayer(int Layer, double value) {
  if (Layer < 1 || Layer > NrOfLayers()) return;
  FCells.VisitRuns({1, 1, Layer, 1}, {NrOfColumns(), NrOfRows(), Layer, NrOfTimeSlots()},
                   [&](int64_t at, int64_t n) { std::fill_n(FCells.Data() + at, n, value); });
}

void TMat4D::FillRandomUniform(double RangeLow, double RangeHigh) {
  FCells.FillRandomUniform(RangeLow, RangeHigh);
  Changed();
}

void TMat4D::FillRandomGauss(double Mean, double StdDev) {
  FCells.FillRandomGauss(Mean, StdDev);
  Changed();
}

void TMat4D::Find(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
                  int HighTimeSlot, double Value, int& ColIx, int& RowIx, int& LayerIx, int& TimeSlotIx) const {
  TIndex lo, hi, at;
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, lo, hi);
  FCells.Find(lo, hi, Value, at);
  ColIx = at[0];
  RowIx = at[1];
  LayerIx = at[2];
  TimeSlotIx = at[3];
}

String TMat4D::CRCofData() const { return FCells.CRC(); }

void TMat4D::Changed() {
  if (OnChange) OnChange(this);
}

void TMat4D::PercDone(TObject*, int Percent) {
  if (OnPercentDone) OnPercentDone(this, Percent);
}

// [SECTION] summaries

void TMat4D::MinMax(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
                    int HighTimeSlot, double& Minimum, double& Maximum) const {
  TIndex lo, hi;
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, lo, hi);
  num_detail::TExtremes<double> e;
  FCells.VisitRuns(lo, hi, [&](int64_t at, int64_t n) { e.Run(FCells.Data() + at, n); });
  Minimum = static_cast<double>(uc_MaxReal);
  Maximum = -static_cast<double>(uc_MaxReal);
  e.Give(Minimum, Maximum);
}

void TMat4D::MeanVar(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
                     int HighTimeSlot, double& Mean, double& Variance) const {
  TIndex lo, hi;
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, lo, hi);
  const num_detail::TMoments m = num_detail::CentredMoments(
      [&](auto& acc) { FCells.VisitRuns(lo, hi, [&](int64_t at, int64_t n) { acc.Run(FCells.Data() + at, n); }); },
      2);
  num_detail::MeanVarRule(m, Mean, Variance);
}

double TMat4D::Sum(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeSlot,
                   int HighTimeSlot) const {
  TIndex lo, hi;
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, lo, hi);
  double sum = 0;
  FCells.VisitRuns(lo, hi, [&](int64_t at, int64_t n) {
    for (const double* p = FCells.Data() + at; n > 0; --n) sum += *p++;
  });
  return sum;
}

// [SECTION] rearranging

void TMat4D::Cut(int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer, int HighLayer, int LowTimeslot,
                 int HighTimeslot) {
  TIndex lo, hi;
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeslot, HighTimeslot, lo, hi);
  FCells.Cut(lo, hi);
  Changed();
}

void TMat4D::MirrorAlong(int d) {
  FCells.Mirror(d);
  Changed();
}

void TMat4D::MirrorColumns() { MirrorAlong(0); }
void TMat4D::MirrorRows() { MirrorAlong(1); }
void TMat4D::MirrorLayers() { MirrorAlong(2); }
void TMat4D::MirrorTimeSlots() { MirrorAlong(3); }

// [SECTION] layers and matrices

void TMat4D::CheckLayerAndSlot(int Layer, int TimeSlot) const {
  if (Layer < 1 || Layer > NrOfLayers())
    throw EQeltaMatrixError(num_detail::ComponentText(*this, u"specified layer beyond data range"));
  if (TimeSlot < 1 || TimeSlot > NrOfTimeSlots())
    throw EQeltaMatrixError(num_detail::ComponentText(*this, u"specified time slot beyond data range"));
}

void TMat4D::CopyLayerToMatrix(TMatrix* DestMat, int LowCol, int HighCol, int LowRow, int HighRow, int Layer,
                               int TimeSlot) const {
  CheckLayerAndSlot(Layer, TimeSlot);
  if (DestMat == nullptr) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  DestMat->Resize(HighCol - LowCol + 1, HighRow - LowRow + 1);
  for (int c = LowCol; c <= HighCol; ++c)
    for (int r = LowRow; r <= HighRow; ++r)
      DestMat->SetVal(c - LowCol + 1, r - LowRow + 1, FCells.Get({c, r, Layer, TimeSlot}));
}

void TMat4D::CopyMatrixToLayer(const TMatrix* SrcMat, int SrcLowCol, int SrcHighCol, int SrcLowRow, int SrcHighRow,
                               int Layer, int TimeSlot, int LayLowCol, int LayLowRow) {
  CheckLayerAndSlot(Layer, TimeSlot);
  if (SrcMat == nullptr) return;
  // Only the source cells whose destination lies in 1..NrOfColumns x 1..NrOfRows.
  const int64_t c0 = std::max<int64_t>(SrcLowCol, int64_t{SrcLowCol} + 1 - LayLowCol);
  const int64_t c1 = std::min<int64_t>(SrcHighCol, int64_t{SrcLowCol} + NrOfColumns() - LayLowCol);
  const int64_t r0 = std::max<int64_t>(SrcLowRow, int64_t{SrcLowRow} + 1 - LayLowRow);
  const int64_t r1 = std::min<int64_t>(SrcHighRow, int64_t{SrcLowRow} + NrOfRows() - LayLowRow);
  for (int64_t c = c0; c <= c1; ++c)
    for (int64_t r = r0; r <= r1; ++r) {
      const int dc = static_cast<int>(LayLowCol + c - SrcLowCol), dr = static_cast<int>(LayLowRow + r - SrcLowRow);
      FCells.Set({dc, dr, Layer, TimeSlot}, SrcMat->GetVal(static_cast<int>(c), static_cast<int>(r)));
    }
}

void TMat4D::LayersToMatrix(TMatrix* DestMat, const TIndex& lo, const TIndex& hi, bool deviation) const {
  DestMat->Resize(hi[0] - lo[0] + 1, hi[1] - lo[1] + 1);
  DestMat->Fill(0);
  const int64_t m = (int64_t{hi[2]} - lo[2] + 1) * (int64_t{hi[3]} - lo[3] + 1);
  const int64_t step = m / 100 + 1;
  int64_t cell = 0;
  for (int c = lo[0]; c <= hi[0]; ++c)
    for (int r = lo[1]; r <= hi[1]; ++r) {
      const TIndex from{c, r, lo[2], lo[3]}, to{c, r, hi[2], hi[3]};
      const num_detail::TMoments mo = num_detail::CentredMoments(
          [&](auto& acc) {
            FCells.VisitBox(from, to, num_detail::TCellBlock<4>::voMemory,
                            [&](int64_t off, const TIndex&) { acc.Repeat(FCells.Data()[off], 1); });
          },
          2);
      DestMat->SetVal(c - lo[0] + 1, r - lo[1] + 1, deviation ? std::sqrt(num_detail::PopulationVariance(mo)) : mo.Mean);
      if (++cell % step == 0) num_detail::StepProcStat();
    }
}

void TMat4D::MeanOfLayersToMatrix(TMatrix* DestMat, int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer,
                                  int HighLayer, int LowTimeSlot, int HighTimeSlot) const {
  if (DestMat == nullptr) return;
  TIndex lo, hi;
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, lo, hi);
  LayersToMatrix(DestMat, lo, hi, false);
}

void TMat4D::StdDevOfLayersToMatrix(TMatrix* DestMat, int LowCol, int HighCol, int LowRow, int HighRow, int LowLayer,
                                    int HighLayer, int LowTimeSlot, int HighTimeSlot) const {
  if (DestMat == nullptr) return;
  TIndex lo, hi;
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, lo, hi);
  LayersToMatrix(DestMat, lo, hi, true);
}

// [SECTION] XML element

void TMat4D::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const {
  num_detail::TTextFileSink sink(f);
  num_detail::WriteXmlBlock(sink, u"TMat4D", CreateHeader, DataID, FCells);
}

bool TMat4D::SaveAsXMLFile(const String& FName, const String& DataID) const {
  return num_detail::SaveXmlFile(FName, [&](TextFile& f) { WriteToOpenXMLFile(f, true, DataID); });
}

bool TMat4D::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  TTagReader src(f);
  if (!num_detail::ReadXmlBlock(src, DataID, FCells, FDataID)) return false;
  Changed();
  return true;
}

bool TMat4D::LoadFromXMLFile(const String& FName, const String& DataID) {
  return num_detail::LoadXmlFile(FName, [&](TextFile& f) { return ReadFromOpenXMLFile(f, DataID); });
}

}  // namespace qelta
