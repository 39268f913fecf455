#pragma once
// Qelta_boxplot: the box plot TBoxPlot and its label template TBoxPlotLabel.
//
// What: a chart that shows one box-and-whisker figure per column of a data table: the box from the
// first to the third quartile, whiskers to the minimum and the maximum, optional 10th and 90th
// percentile ticks, the median and the mean, each as a line or a mark, and the column names as text
// labels along the category axis. Vertical plots stand the figures at x = 1, 2, ... with the values
// up the y axis; horizontal ones lay them at y = 1, 2, ... with the values along x.
// How: the statistics come from the table (TDataTable's statistics over the numeric cells of each
// column: number cells of interval and ratio columns); the figures are items of the chart, which
// CreateChart clears and draws again with the chart's primitives whenever the data or a setting
// change. The table is the plot's own (1 column of 100 standard normal numbers when new) or one
// the host assigns, which the host keeps owning.
// Limits: every change of the table rebuilds the plot, and SetElem changes it (twice, through the
// table and its matrix): a host that fills a table suppresses painting meanwhile
// (SetSuppressPaint(true), fill, SetSuppressPaint(false) rebuilds once). Only the first 30 columns
// get labels; columns without numeric cells get no figure. Painting is suppressed until the plot's
// window exists (or the host clears SuppressPaint); until then no items are built. The column labels
// stand inside the plot, Position pixels from its bottom (left) edge, where AutoRange puts the least
// minimum: they cover the lowest whiskers and marks unless the host widens the value range that way,
// and names wider than their columns run into each other.
// Use TRChart for figures of one's own, the data table's statistics for the numbers alone.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Qelta_datatable.h"
#include "Qelta_rchart.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

enum TBoxPlotOrientation : uint8_t { bpltHorizontal, bpltVertical };
/// Grid lines across the value axis: none, solid or dotted.
enum TBoxPlotGridStyle : uint8_t { bpgsNone, bpgsLines, bpgsDotLines };
/// Before the figure of a column is drawn: its six colours, which the handler may change for it.
using TOnBeforeBoxDrawEvent =
    std::function<void(TObject* Sender, int Column, TColor& ColorLines, TColor& ColorBody, TColor& ColorMinMax,
                       TColor& Color90Perc, TColor& ColorMean, TColor& ColorMedian)>;

// --- TBoxPlotLabel -----------------------------------------------------------------------------

/// The look of a box plot's column labels, and how far they stand from the plot's edge. A new
/// template: Position 8, background clSilver, border clBlack, shadow clGray offset (3, 2), black
/// text, opaque, tlsimple, visible.
class TBoxPlotLabel : public TCustomTextLabel {
 public:
  TBoxPlotLabel();
  /// From another TBoxPlotLabel also the Position; one notification.
  void Assign(TPersistent* Source) override;
  /// Distance of the labels from the plot's bottom edge (vertical plots) or right edge (horizontal),
  /// in pixels; a negative value measures |Position| from the top or left edge.
  int Position() const { return FLabelPos; }
  /// Stores a changed value and notifies.
  void SetFLabelPos(int value);

 private:
  int FLabelPos = 8;
};

// --- TBoxPlot ----------------------------------------------------------------------------------

/// The box plot (see the unit comment). Values repair themselves: BoxWidth is kept to 0..1, mark
/// numbers above 51 are ignored.
class TBoxPlot : public TCustomRChart {
 public:
  /// Own table of 1 column x 100 rows of GRandom numbers, x range 0..2 (x scale hidden), y range
  /// -1..1, BRim 24, caption "BoxPlot", vertical, painting suppressed until the window exists.
  explicit TBoxPlot(TComponent* AOwner);
  /// Frees the own table; an outside one is unhooked (its OnChange cleared) and stays.
  ~TBoxPlot() override;

  /// The data (public field): the own table or the one given to AssignAnotherDataTable.
  TDataTable* Data = nullptr;

  // -- the main job
  /// Recomputes minimum, maximum, quartiles, 10th and 90th percentile and mean of every column
  /// (a column without numeric cells keeps its minimum and maximum).
  void CommitChangedData();
  /// The table changed: nothing while painting is suppressed; else the statistics, the label
  /// captions of the first 30 columns (column names with \#hh escapes resolved), CreateChart.
  void DataChanged(TObject* Sender);
  /// Clears the items and draws every figure again from the statistics of the last
  /// CommitChangedData, then places and styles the labels; paints once when painting is enabled.
  void CreateChart();
  /// CreateChart.
  void Update() override;
  /// Stores a changed value; clearing it runs DataChanged.
  void SetSuppressPaint(bool value) override;
  /// Uses DTab (the host keeps owning it) in place of the present table: the own one is freed,
  /// an earlier outside one unhooked. Hooks DTab's OnChange and runs DataChanged. nullptr or the
  /// table in use changes nothing. A table destroyed while in use leaves the plot an own empty one.
  void AssignAnotherDataTable(TDataTable* DTab);
  /// Ranges to fit the data: the category axis 0..columns + 1, the value axis from the least
  /// minimum to the greatest maximum of the columns with numeric cells, widened by Margin percent
  /// of that span (horizontal plots put the values along x).
  void AutoRange(double Margin);
  using TCustomRChart::SetRange;
  /// Layer 1's ranges.
  void SetRange(Extended xLo, Extended yLo, Extended xHi, Extended yHi);
  /// The chart's SetBounds, then the labels placed again for the new size.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  /// Writes the table as an ASC file (its ASC export with 2 significant decimals in the exponent
  /// form) and appends the "Box Parameters" block: the column names and, in rows "Mean: ",
  /// " Min: ", " P10: ", "  Q1: ", "  Q2: ", "  Q3: ", " P90: ", " Max: ", each value as
  /// strff(v, 12, -2) and a blank (the statistics of the last CommitChangedData). Raises
  /// EInOutError (code 101, the message naming the file and the system's reason) when the file
  /// cannot be written; the file that was there then stays as it was.
  void SaveDataASC(const String& FName);

  // -- properties (each setter rebuilds the items when the value changes)
  TBoxPlotOrientation Orientation() const { return FOrientation; }
  /// Exchanges the axes of layer 1 (ranges and scale visibility), places the labels, rebuilds.
  void SetOrientation(TBoxPlotOrientation value);
  /// Width of a box in units of the category axis, 0..1.
  double BoxWidth() const { return FBPlotWidth; }
  void SetBoxWidth(double value);
  /// Marks (0..51, DrawMarkOnCanvas numbers) at the minimum and the maximum.
  uint8_t SymbolMin() const { return FMinMark; }
  void SetFMinMark(uint8_t value);
  uint8_t SymbolMax() const { return FMaxMark; }
  void SetFMaxMark(uint8_t value);
  /// Marks of the mean, the median and the percentiles; 0 draws a line across the box instead.
  uint8_t SymbolMean() const { return FMeanMark; }
  void SetFMeanMark(uint8_t value);
  uint8_t SymbolMedian() const { return FMedianMark; }
  void SetFMedianMark(uint8_t value);
  uint8_t Symbol90Perc() const { return FPerc90Mark; }
  void SetFPerc90Mark(uint8_t value);
  bool Show90Perc() const { return FShow90Perc; }
  void SetShow90Perc(bool value);
  bool ShowMedian() const { return FShowMedian; }
  void SetShowMedian(bool value);
  bool ShowMean() const { return FShowMean; }
  void SetShowMean(bool value);
  bool ShowMinMax() const { return FShowMinMax; }
  void SetShowMinMax(bool value);
  TBoxPlotGridStyle GridStyle() const { return FGridStyle; }
  void SetGridStyle(TBoxPlotGridStyle value);
  TColor ColorBody() const { return FColorBody; }
  void SetColorBody(TColor value);
  TColor ColorLines() const { return FColorLines; }
  void SetColorLines(TColor value);
  TColor ColorMedian() const { return FColorMedian; }
  void SetColorMedian(TColor value);
  TColor ColorMean() const { return FColorMean; }
  void SetColorMean(TColor value);
  TColor Color90Perc() const { return FColor90Perc; }
  void SetColor90Perc(TColor value);
  TColor ColorMinMax() const { return FColorMinMax; }
  void SetColorMinMax(TColor value);
  /// The label template (owned; its changes run DataChanged).
  TBoxPlotLabel* Labels() const { return FLabels.get(); }
  /// Copies the settings into the own template (nullptr copies nothing), then rebuilds.
  void SetFLabels(TBoxPlotLabel* value);

  // -- events
  TOnBeforeBoxDrawEvent OnBeforeBoxDraw;

 protected:
  /// The window exists: painting is no longer suppressed, DataChanged.
  void CreateWnd() override;
  /// Forgets an outside table that is destroyed (an own empty table takes its place).
  void Notification(TComponent* AComponent, TOperation Operation) override;
  /// OnBeforeBoxDraw when assigned.
  void TriggerBoxPlotColorsEvent(int Column, TColor& ColorLines, TColor& ColorBody, TColor& ColorMinMax,
                                 TColor& Color90Perc, TColor& ColorMean, TColor& ColorMedian);

 private:
  void HookTable();
  void UnhookTable();
  void DrawFigure(int Column);
  void PlaceLabels(int Count);
  void StyleLabels(int Count);
  template <typename T>
  void SetRebuilt(T& Field, const T& value);
  void SetMark(uint8_t& Field, uint8_t value);
  void WriteBoxParameters(TStream& f) const;

  TBoxPlotOrientation FOrientation = bpltVertical;
  double FBPlotWidth = 0.5;
  std::unique_ptr<TVector> FMinis;
  std::unique_ptr<TVector> FMaxis;
  uint8_t FMinMark = 26;
  uint8_t FMaxMark = 26;
  uint8_t FMeanMark = 5;
  uint8_t FMedianMark = 0;
  uint8_t FPerc90Mark = 0;
  std::unique_ptr<TMatrix> FQuarts;        // columns x 3: Q1, median, Q3
  std::unique_ptr<TMatrix> F90Percentils;  // columns x 2: P10, P90
  std::unique_ptr<TBoxPlotLabel> FLabels;
  std::unique_ptr<TVector> FMeans;
  std::vector<int> FNumData;  // numeric cells per column at the last CommitChangedData
  TColor FColorBody = 0xE9E9E9;
  TColor FColorLines = clBlack;
  TColor FColorMedian = clBlack;
  TColor FColorMean = clBlue;
  TColor FColor90Perc = clBlue;
  TColor FColorMinMax = clBlack;
  bool FShow90Perc = false;
  bool FShowMedian = true;
  bool FShowMean = true;
  bool FShowMinMax = true;
  TBoxPlotGridStyle FGridStyle = bpgsNone;
  bool FExtMatAssigned = false;  // Data is an outside table (borrowed, free notification registered)
  std::unique_ptr<TDataTable> FOwnData;
};

}  // namespace qelta

QELTA_PUBLIC_END
