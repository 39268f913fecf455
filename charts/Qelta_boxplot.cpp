// Qelta_boxplot: the box plot TBoxPlot and its label template TBoxPlotLabel.
//
// A figure at category position i (x = i in vertical plots, y = i in horizontal ones) with box width
// w: whiskers from Q1 down to the minimum and from Q3 up to the maximum in ColorMinMax, the marks
// SymbolMin and SymbolMax at the ends, the box Q1..Q3 across i - w/2..i + w/2 filled in ColorBody
// and outlined in ColorLines, the percentile ticks across i - w/4..i + w/4 (or marks), the median
// and the mean across the box (or marks), each in its own colour.
// Deviations from the classic component, keeping what callers rely on:
//  - CreateChart and DataChanged give painting back through the chart's own SetSuppressPaint: the
//    plot's override runs DataChanged, which called it again without end.
//  - SetFLabels copies the host's template into the own one (storing the host's object leaked the
//    own template, freed the host's later and left its OnChange unhooked).
//  - AutoRange puts the value range on x in horizontal plots (it was always given to y), and counts
//    only columns with numeric cells (the others kept stale or zero extremes).
//  - An outside table is watched through its free notification: destroyed first, it leaves the
//    plot an own empty table instead of a dangling pointer.
//  - The setters rebuild once and paint once (CreateChart paints when it gives painting back; the
//    classic painted a second time).

#include "Qelta_boxplot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

#include "Encoding.h"
#include "Exceptions.h"
#include "Qelta_math1.h"
#include "Qelta_rchart_internal.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "Streams.h"

namespace qelta {

using plot_detail::TChartPaintHold;

namespace {

constexpr uint8_t kMaxMark = 51;

// The label caption of a column: its name with \#hh escapes resolved.
String ColumnCaption(const TDataTable& t, int Col) { return ProcessHexChars(AnsiToString(t.GetColName(Col))); }

}  // namespace

// [SECTION] TBoxPlotLabel

TBoxPlotLabel::TBoxPlotLabel() {
  SetColorBkg(clSilver);
  SetColorBorder(clBlack);
  SetColorShadow(clGray);
  Font()->SetColor(clBlack);
  SetShadowDx(3);
  SetShadowDy(2);
  SetTransparent(false);
}

void TBoxPlotLabel::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TBoxPlotLabel*>(Source)) FLabelPos = src->FLabelPos;
  TCustomTextLabel::Assign(Source);
}

void TBoxPlotLabel::SetFLabelPos(int value) {
  if (value == FLabelPos) return;
  FLabelPos = value;
  if (OnChange) OnChange(this);
}

// [SECTION] construction

TBoxPlot::TBoxPlot(TComponent* AOwner)
    : TCustomRChart(AOwner),
      FMinis(std::make_unique<TVector>(nullptr)),
      FMaxis(std::make_unique<TVector>(nullptr)),
      FQuarts(std::make_unique<TMatrix>(nullptr)),
      F90Percentils(std::make_unique<TMatrix>(nullptr)),
      FLabels(std::make_unique<TBoxPlotLabel>()),
      FMeans(std::make_unique<TVector>(nullptr)),
      FOwnData(std::make_unique<TDataTable>(nullptr)) {
  Data = FOwnData.get();
  Data->Resize(1, 100);
  Data->NumericData->FillRandomGauss(0, 1);  // GRandom, row by row
  const TBoxPlotLabel& t = *FLabels;
  for (int i = 1; i <= MaxTextLabels; ++i) {
    TTextLabel& L = *GetFTextLabel(i);
    L.SetPosX(i);
    L.SetPosY(Height() - BRim() - t.Position());
    L.SetCaption(ColumnCaption(*Data, i));
    L.SetAttachToData(tlamXOnly);
    L.SetColorBkg(t.ColorBkg());
    L.SetColorBorder(t.ColorBorder());
    L.Font()->SetColor(t.Font()->Color());
    L.SetVisible(t.Visible());
    L.SetTransparent(t.Transparent());
    L.SetAlignment(taCenter);
    L.SetVerticalAlignment(vaBottom);
  }
  FLabels->OnChange = [this](TObject* Sender) { DataChanged(Sender); };
  HookTable();
  Scale1X()->SetVisible(false);
  TCustomRChart::SetRange(1, 0, -1, 2, 1);
  SetBRim(24);
  SetCaption(u"BoxPlot");
  ClearZoomHistory();
}

TBoxPlot::~TBoxPlot() {
  if (FExtMatAssigned) UnhookTable();
}

void TBoxPlot::CreateWnd() {
  TCustomRChart::CreateWnd();
  WindowCreated();
  DataChanged(this);
}

void TBoxPlot::SetSuppressPaint(bool value) {
  if (value == SuppressPaint()) return;
  if (value) return TCustomRChart::SetSuppressPaint(true);
  WindowCreated();  // painting allowed again, without a paint of its own: DataChanged paints
  DataChanged(this);
}

void TBoxPlot::Update() { CreateChart(); }

void TBoxPlot::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FLabels == nullptr) return TCustomRChart::SetBounds(ALeft, ATop, AWidth, AHeight);
  TChartPaintHold hold(*this);
  TCustomRChart::SetBounds(ALeft, ATop, AWidth, AHeight);
  PlaceLabels(MaxTextLabels);
  hold.Restore();
}

// [SECTION] the table

void TBoxPlot::HookTable() {
  Data->OnChange = [this](TObject* Sender) { DataChanged(Sender); };
}

void TBoxPlot::UnhookTable() {
  Data->OnChange = nullptr;
  RemoveFreeNotification(Data);
}

void TBoxPlot::AssignAnotherDataTable(TDataTable* DTab) {
  if (DTab == nullptr || DTab == Data) return;
  if (FExtMatAssigned) UnhookTable();
  Data = DTab;
  FExtMatAssigned = true;
  FOwnData.reset();
  FreeNotification(DTab);
  HookTable();
  DataChanged(this);
}

void TBoxPlot::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomRChart::Notification(AComponent, Operation);
  if (Operation != opRemove || !FExtMatAssigned || AComponent != Data) return;
  // The table is going: nothing of it may be touched any more.
  FExtMatAssigned = false;
  FOwnData = std::make_unique<TDataTable>(nullptr);
  FOwnData->Resize(0, 0);
  Data = FOwnData.get();
  HookTable();
  if (!ComponentState().Contains(csDestroying)) DataChanged(this);
}

void TBoxPlot::DataChanged(TObject* /*Sender*/) {
  if (SuppressPaint()) return;
  CommitChangedData();
  TChartPaintHold hold(*this);
  const int labels = std::min(Data->NrOfColumns(), MaxTextLabels);
  for (int i = 1; i <= labels; ++i) GetFTextLabel(i)->SetCaption(ColumnCaption(*Data, i));
  CreateChart();
  hold.Restore();
}

void TBoxPlot::CommitChangedData() {
  const int nc = Data->NrOfColumns(), nr = Data->NrOfRows();
  // A vector holds at least one element; FNumData says how many columns count.
  for (TVector* v : {FMinis.get(), FMaxis.get(), FMeans.get()}) v->Resize(std::max(nc, 1));
  FQuarts->Resize(nc, 3);
  F90Percentils->Resize(nc, 2);
  FNumData.assign(static_cast<size_t>(nc), 0);
  for (int i = 1; i <= nc; ++i) {
    double lo = 0, hi = 0, q1 = 0, q2 = 0, q3 = 0, p10 = 0, p90 = 0, mean = 0, var = 0;
    int n = 0;
    if (nr > 0) {
      n = Data->MinMaxOfNumCells(i, 1, i, nr, lo, hi);
      int m = 0;
      Data->QuartilesOfNumCells(i, 1, i, nr, q1, q2, q3, m);
      p10 = Data->PercentileOfNumCells(10, i, 1, i, nr, m);
      p90 = Data->PercentileOfNumCells(90, i, 1, i, nr, m);
      Data->MeanVarOfNumCells(i, 1, i, nr, mean, var);
    }
    FNumData[static_cast<size_t>(i - 1)] = n;
    if (n > 0) {
      FMinis->SetVal(i, lo);
      FMaxis->SetVal(i, hi);
    }
    FQuarts->SetVal(i, 1, q1);
    FQuarts->SetVal(i, 2, q2);
    FQuarts->SetVal(i, 3, q3);
    F90Percentils->SetVal(i, 1, p10);
    F90Percentils->SetVal(i, 2, p90);
    FMeans->SetVal(i, mean);
  }
}

// [SECTION] the items

void TBoxPlot::CreateChart() {
  TChartPaintHold hold(*this);
  ClearGraf();
  const bool horizontal = FOrientation == bpltHorizontal;
  constexpr GridStyleType solid[2] = {gsHorizLines, gsVertLines}, dotted[2] = {gsHorizDotLines, gsVertDotLines};
  TCustomRChart::SetGridStyle(FGridStyle == bpgsNone    ? gsNone
                              : FGridStyle == bpgsLines ? solid[horizontal]
                                                        : dotted[horizontal]);
  const int columns = static_cast<int>(FNumData.size());
  for (int i = 1; i <= columns; ++i)
    if (FNumData[static_cast<size_t>(i - 1)] > 0) DrawFigure(i);
  const int labels = std::min(columns, MaxTextLabels);
  PlaceLabels(labels);
  StyleLabels(labels);
  hold.Restore();
}

void TBoxPlot::TriggerBoxPlotColorsEvent(int Column, TColor& ColorLines, TColor& ColorBody, TColor& ColorMinMax,
                                         TColor& Color90Perc, TColor& ColorMean, TColor& ColorMedian) {
  if (OnBeforeBoxDraw)
    OnBeforeBoxDraw(this, Column, ColorLines, ColorBody, ColorMinMax, Color90Perc, ColorMean, ColorMedian);
}

void TBoxPlot::DrawFigure(int i) {
  TColor lines = FColorLines, body = FColorBody, minmax = FColorMinMax, perc = FColor90Perc, mean = FColorMean,
         median = FColorMedian;
  TriggerBoxPlotColorsEvent(i, lines, body, minmax, perc, mean, median);
  const bool horizontal = FOrientation == bpltHorizontal;
  // (value, category position) as a chart point.
  const auto x = [&](double v, double c) { return horizontal ? v : c; };
  const auto y = [&](double v, double c) { return horizontal ? c : v; };
  const auto across = [&](double v, double half) {
    Line(x(v, i - half), y(v, i - half), x(v, i + half), y(v, i + half));
  };
  const auto along = [&](double v1, double v2) { Line(x(v1, i), y(v1, i), x(v2, i), y(v2, i)); };
  const auto mark = [&](double v, uint8_t mk) { MarkAt(x(v, i), y(v, i), mk); };
  const double w = FBPlotWidth, lo = FMinis->GetVal(i), hi = FMaxis->GetVal(i);
  const double q1 = FQuarts->GetVal(i, 1), q2 = FQuarts->GetVal(i, 2), q3 = FQuarts->GetVal(i, 3);
  SetDataColor(minmax);
  along(q1, lo);
  along(q3, hi);
  if (FShowMinMax) {
    mark(lo, FMinMark);
    mark(hi, FMaxMark);
  }
  SetFillColor(body);
  SetDataColor(lines);
  Rectangle(x(q1, i - w / 2), y(q1, i - w / 2), x(q3, i + w / 2), y(q3, i + w / 2));
  if (FShow90Perc) {
    SetDataColor(perc);
    for (const double p : {F90Percentils->GetVal(i, 1), F90Percentils->GetVal(i, 2)})
      FPerc90Mark != 0 ? mark(p, FPerc90Mark) : across(p, w / 4);
  }
  if (FShowMedian) {
    SetDataColor(median);
    FMedianMark != 0 ? mark(q2, FMedianMark) : across(q2, w / 2);
  }
  if (FShowMean) {
    SetDataColor(mean);
    FMeanMark != 0 ? mark(FMeans->GetVal(i), FMeanMark) : across(FMeans->GetVal(i), w / 2);
  }
}

// [SECTION] labels

void TBoxPlot::PlaceLabels(int Count) {
  const int64_t pos = FLabels->Position(), far = std::abs(pos);
  for (int i = 1; i <= Count; ++i) {
    TTextLabel& L = *GetFTextLabel(i);
    if (FOrientation == bpltHorizontal) {
      L.SetPosY(i);
      L.SetPosX(pos < 0 ? static_cast<double>(LRim() + far) : static_cast<double>(Width() - pos - RRim()));
      L.SetAlignment(pos < 0 ? taLeftJustify : taRightJustify);
      L.SetAttachToData(tlamYOnly);
      L.SetVerticalAlignment(vaCenter);
    } else {
      L.SetPosX(i);
      L.SetPosY(pos < 0 ? static_cast<double>(TRim() + far) : static_cast<double>(Height() - pos - BRim()));
      L.SetVerticalAlignment(pos < 0 ? vaTop : vaBottom);
      L.SetAttachToData(tlamXOnly);
      L.SetAlignment(taCenter);
    }
  }
}

void TBoxPlot::StyleLabels(int Count) {
  const TBoxPlotLabel& t = *FLabels;
  for (int i = 1; i <= MaxTextLabels; ++i) {
    TTextLabel& L = *GetFTextLabel(i);
    if (i > Count) {
      L.SetVisible(false);
      continue;
    }
    L.SetVisible(t.Visible());
    L.SetTransparent(t.Transparent());
    L.SetShadowDx(t.ShadowDx());
    L.SetShadowDy(t.ShadowDy());
    L.SetMode(t.Mode());
    L.SetFont(t.Font());
    L.SetColorBkg(t.ColorBkg());
    L.SetColorBorder(t.ColorBorder());
    L.SetColorShadow(t.ColorShadow());
  }
}

// [SECTION] ranges and orientation

void TBoxPlot::SetRange(Extended xLo, Extended yLo, Extended xHi, Extended yHi) {
  TCustomRChart::SetRange(1, xLo, yLo, xHi, yHi);
}

void TBoxPlot::AutoRange(double Margin) {
  CommitChangedData();
  const bool horizontal = FOrientation == bpltHorizontal;
  const TScaleProps& values = horizontal ? static_cast<const TScaleProps&>(*Scale1X()) : *Scale1Y();
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (int i = 1; i <= static_cast<int>(FNumData.size()); ++i) {
    if (FNumData[static_cast<size_t>(i - 1)] == 0) continue;
    lo = std::min(lo, FMinis->GetVal(i));
    hi = std::max(hi, FMaxis->GetVal(i));
  }
  double e = std::fabs(hi - lo) * Margin / 100;
  if (lo > hi) {  // no column with numeric cells: the value range stays
    lo = values.RangeLow();
    hi = values.RangeHigh();
    e = 0;
  }
  const double columns = static_cast<double>(FNumData.size()) + 1;
  if (horizontal) return SetRange(lo - e, 0, hi + e, columns);
  SetRange(0, lo - e, columns, hi + e);
}

void TBoxPlot::SetOrientation(TBoxPlotOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  TChartPaintHold hold(*this);
  const TScaleProps &x = *Scale1X(), &y = *Scale1Y();
  TCustomRChart::SetRange(1, y.RangeLow(), x.RangeLow(), y.RangeHigh(), x.RangeHigh());
  const bool vertical = value == bpltVertical;
  Scale1X()->SetVisible(!vertical);
  Scale1Y()->SetVisible(vertical);
  PlaceLabels(MaxTextLabels);
  CreateChart();
  hold.Restore();
}

// [SECTION] properties

template <typename T>
void TBoxPlot::SetRebuilt(T& Field, const T& value) {
  if (Field == value) return;
  Field = value;
  CreateChart();
}

void TBoxPlot::SetMark(uint8_t& Field, uint8_t value) {
  if (value <= kMaxMark) SetRebuilt(Field, value);
}

void TBoxPlot::SetBoxWidth(double value) {
  if (!std::isnan(value)) SetRebuilt(FBPlotWidth, std::clamp(value, 0.0, 1.0));
}

void TBoxPlot::SetFMinMark(uint8_t value) { SetMark(FMinMark, value); }
void TBoxPlot::SetFMaxMark(uint8_t value) { SetMark(FMaxMark, value); }
void TBoxPlot::SetFMeanMark(uint8_t value) { SetMark(FMeanMark, value); }
void TBoxPlot::SetFMedianMark(uint8_t value) { SetMark(FMedianMark, value); }
void TBoxPlot::SetFPerc90Mark(uint8_t value) { SetMark(FPerc90Mark, value); }
void TBoxPlot::SetShow90Perc(bool value) { SetRebuilt(FShow90Perc, value); }
void TBoxPlot::SetShowMedian(bool value) { SetRebuilt(FShowMedian, value); }
void TBoxPlot::SetShowMean(bool value) { SetRebuilt(FShowMean, value); }
void TBoxPlot::SetShowMinMax(bool value) { SetRebuilt(FShowMinMax, value); }
void TBoxPlot::SetGridStyle(TBoxPlotGridStyle value) { SetRebuilt(FGridStyle, value); }
void TBoxPlot::SetColorBody(TColor value) { SetRebuilt(FColorBody, value); }
void TBoxPlot::SetColorLines(TColor value) { SetRebuilt(FColorLines, value); }
void TBoxPlot::SetColorMedian(TColor value) { SetRebuilt(FColorMedian, value); }
void TBoxPlot::SetColorMean(TColor value) { SetRebuilt(FColorMean, value); }
void TBoxPlot::SetColor90Perc(TColor value) { SetRebuilt(FColor90Perc, value); }
void TBoxPlot::SetColorMinMax(TColor value) { SetRebuilt(FColorMinMax, value); }

void TBoxPlot::SetFLabels(TBoxPlotLabel* value) {
  if (value == nullptr || value == FLabels.get()) return;
  plot_detail::AssignQuietly(*FLabels, value);
  CreateChart();
}

// [SECTION] text dump

namespace {

// The table's ASC export as its export to FName writes it: with no comment of its own the table
// names the file in its first line, which the export to a stream leaves out.
std::string TableAsc(const TDataTable& table, const String& FName) {
  TMemoryStream s;
  const String failed = table.ExportAsASC(s, -2);
  if (!failed.empty()) throw EInOutError(failed, 101);
  std::string bytes(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
  if (table.Comment().empty()) bytes.insert(std::min(bytes.find('\r'), bytes.size()), StringToAnsi(FName));
  return bytes;
}

void PutLine(TStream& s, const String& text = String()) {
  const AnsiString bytes = StringToAnsi(text) + "\r\n";
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

}  // namespace

// The table and the block go to one file saved beside the old one and renamed over it, so that a
// failure in either part keeps the old file (the classic wrote the table, then appended the block).
void TBoxPlot::SaveDataASC(const String& FName) {
  const std::string table = TableAsc(*Data, FName);
  try {
    SaveWholeFile(FName, [&](TStream& f) {
      f.WriteBuffer(table.data(), static_cast<int64_t>(table.size()));
      WriteBoxParameters(f);
    });
  } catch (const EStreamError& e) {
    throw EInOutError(e.Message(), 101);  // names the file and the system's reason
  }
}

void TBoxPlot::WriteBoxParameters(TStream& f) const {
  PutLine(f);
  PutLine(f, StringOfChar(u'-', 30) + u" Box Parameters " + StringOfChar(u'-', 30));
  PutLine(f);
  const int columns = static_cast<int>(FNumData.size());
  String line = u"      ";
  for (int i = 1; i <= columns; ++i)
    line += CenterString(AbbrevString(AnsiToString(Data->GetColName(i)), 12), 12) + u" ";
  PutLine(f, line);
  const auto row = [&](const char16_t* label, const auto& value) {
    String text = label;
    for (int i = 1; i <= columns; ++i) text += strff(value(i), 12, -2) + u" ";
    PutLine(f, text);
  };
  row(u"Mean: ", [&](int i) { return FMeans->GetVal(i); });
  row(u" Min: ", [&](int i) { return FMinis->GetVal(i); });
  row(u" P10: ", [&](int i) { return F90Percentils->GetVal(i, 1); });
  row(u"  Q1: ", [&](int i) { return FQuarts->GetVal(i, 1); });
  row(u"  Q2: ", [&](int i) { return FQuarts->GetVal(i, 2); });
  row(u"  Q3: ", [&](int i) { return FQuarts->GetVal(i, 3); });
  row(u" P90: ", [&](int i) { return F90Percentils->GetVal(i, 2); });
  row(u" Max: ", [&](int i) { return FMaxis->GetVal(i); });
}

}  // namespace qelta
