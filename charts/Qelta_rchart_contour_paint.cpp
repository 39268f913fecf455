// Qelta_rchart: the contour plot's picture: Paint, the kept picture, sampling and the cells.
//
// A cell is the quadrilateral between pivots (i, j), (i + 1, j), (i, j + 1), (i + 1, j + 1); inside
// it a value is the bilinear interpolation of the four corner values z00, z10, z01, z11. IsoQuad
// walks 5 vertical lines (s = 0..4, the right edge belongs to the next cell) and 6 horizontal ones
// (t = 0..5, the top edge included) and puts a dot where a level lies strictly between the values
// at the line's two ends, by linear interpolation along the line. IsoColQuad fills the cell in one
// rectangle when its four corners have one colour, else in sub-cells (at most 5 x 5, at most one
// per pixel) coloured by the value at their lower-left corner. Every world point becomes a pixel
// through layer 1's transform (R2M, rounded half to even, kept to +-30000); a rectangle whose two
// corners fall on one pixel is that pixel, otherwise it covers both corner pixels.
// The levels of a line are found from the spacing (at most 10000 levels) instead of testing each
// level: the dots are the same, the work no longer grows with the level count.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "ColorRects.h"
#include "DirectPaths.h"
#include "Qelta_matrix.h"
#include "Qelta_plot_internal.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_rchart_internal.h"
#include "Qelta_univconst.h"

namespace qelta {

using plot_detail::RoundDouble;

namespace {

constexpr int kMaxLevels = 10000;
constexpr int kSubdivisions = 5;

// Position of pivot i (1..n) between lo and hi, bounds included.
double PivotPos(double lo, double hi, int i, int n) { return lo + (hi - lo) * (i - 1) / (n - 1); }

// The colour rules over a palette of n colours for the levels Low, Low + Dist, ... below High.
class TLevelColors {
 public:
  TLevelColors(const TColorArray& Palette, double Low, double High, double Dist)
      : FPalette(Palette), FN(Palette.Size()), FLow(Low), FHigh(High), FDist(Dist) {
    const double k = RoundDouble((High - Low) / Dist);
    FK = static_cast<int>(std::clamp<double>(k, 0, kMaxLevels));
    FLevelColors.reserve(static_cast<size_t>(FK));
    for (int i = 1; i <= FK; ++i) FLevelColors.push_back(LevelColor(Level(i)));
    FColors.reserve(static_cast<size_t>(std::max(FN, 0)));
    for (int i = 1; i <= FN; ++i) FColors.push_back(Palette.GetColorElem(i));
  }

  // Colour 1 up to Low, else colour round((v - Low) / (High - Low) x n) kept to 1..n.
  TColor OfValue(double v) const {
    if (!(v > FLow)) return Color(1);
    const double t = (v - FLow) / (FHigh - FLow) * FN;
    if (!(t < FN)) return Color(FN);
    return Color(static_cast<int>(std::max<int64_t>(1, RoundDouble(t))));
  }

  // Calls f(L, colour) for every level L strictly between a and b.
  template <typename F>
  void Between(double a, double b, F&& f) const {
    const double lo = std::min(a, b), hi = std::max(a, b);
    if (!(lo < hi) || FK == 0) return;
    // One level below the first candidate, so that rounding of the quotient cannot skip a level.
    const double q = std::floor((lo - FLow) / FDist);
    int k = q < 1 ? 1 : q > FK ? FK : static_cast<int>(q);
    for (; k <= FK; ++k) {
      const double L = Level(k);
      if (L >= hi) break;
      if (L > lo) f(L, FLevelColors[static_cast<size_t>(k - 1)]);
    }
  }

 private:
  double Level(int k) const { return FLow + (k - 1) * FDist; }
  // Palette colour i (1..n) from the copy taken at the start; an empty palette answers itself.
  TColor Color(int i) const { return FN > 0 ? FColors[static_cast<size_t>(i - 1)] : FPalette.GetColorElem(i); }
  // Level colour: round((L - Low) x n / (High - Low)), 0 taken as 1, above n as n.
  TColor LevelColor(double L) const {
    const int64_t i = RoundDouble((L - FLow) * FN / (FHigh - FLow));  // NaN gives 0
    return FPalette.GetColorElem(static_cast<int>(std::clamp<int64_t>(i, 1, FN)));
  }

  const TColorArray& FPalette;
  int FN;
  double FLow, FHigh, FDist;
  int FK = 0;
  std::vector<TColor> FLevelColors;
  std::vector<TColor> FColors;  // the palette's colours 1..n
};

// Pixel edges along one axis of a column (or row) of cells: the cell's two corners and the edges
// of its sub-cells, at most one per pixel. The axes map on their own, so each column and each row
// is mapped once for all the cells in it.
struct TCellEdges {
  int Lo = 0, Hi = 0;  // the corners x0 and x0 + d
  int N = 1;           // sub-cells across, 1..5
  std::array<int, kSubdivisions + 1> At{};

  template <typename Map1>
  TCellEdges(double x0, double d, const Map1& map) : Lo(map(x0)), Hi(map(x0 + d)) {
    N = static_cast<int>(std::clamp<int64_t>(std::abs(int64_t{Hi} - Lo), 1, kSubdivisions));
    for (int s = 0; s <= N; ++s) At[static_cast<size_t>(s)] = map(x0 + d * s / N);
  }
};

// For each pixel of [From, From + size) along one axis: the last cell (0-based; -1 none) and its
// sub-cell whose box covers the pixel, boxes taken in drawing order. Built only when each cell's
// sub-cell edges stay within its corners and end on them: a cell then covers the same pixels
// whether it is drawn in one box or in sub-cells.
class TAxisCover {
 public:
  bool Build(const std::vector<TCellEdges>& cells, int from, int to) {
    From = from;
    Cell.assign(static_cast<size_t>(std::max(to - from, 0)), -1);
    Sub.assign(Cell.size(), 0);
    for (size_t k = 0; k < cells.size(); ++k) {
      const TCellEdges& e = cells[k];
      const auto n = static_cast<size_t>(e.N);
      if (e.At[0] != e.Lo || e.At[n] != e.Hi) return false;
      for (size_t s = 0; s < n; ++s) {
        const int a = std::min(e.At[s], e.At[s + 1]), b = std::max(e.At[s], e.At[s + 1]);
        if (a < std::min(e.Lo, e.Hi) || b > std::max(e.Lo, e.Hi)) return false;
        for (int p = std::max(a, from); p <= std::min(b, to - 1); ++p) {
          Cell[static_cast<size_t>(p - from)] = static_cast<int>(k);
          Sub[static_cast<size_t>(p - from)] = static_cast<int>(s);
        }
      }
    }
    return true;
  }

  int From = 0;
  std::vector<int> Cell, Sub;
};

// The colour surface pixel by pixel, with the pixels of the cell-by-cell drawing: a pixel takes
// the colour of the last box drawn over it. Boxes go column of cells by column, row by row within
// it, and sub-cell column by column, row by row within a cell; so that box is the one of the last
// cell column and the last cell row covering the pixel, and within that cell (when split) of its
// last sub-cell column and row covering it. Each pixel's value is then computed as the drawing
// computes its sub-cell's.
class TSurfacePixels {
 public:
  TSurfacePixels(const TMatrix& Z, const TLevelColors& Colors, const std::vector<TCellEdges>& Columns,
                 const std::vector<TCellEdges>& Rows)
      : FZ(Z), FColors(Colors), FColumns(Columns), FRows(Rows) {}

  // False, drawing nothing, when a cell's sub-cells leave its corners (draw the boxes then).
  // progress(k) is called for k = 1..columns in order while the rows are drawn.
  template <typename Progress>
  bool Paint(TCanvas& c, Progress&& progress) {
    const TRect clip = c.ClipRect();
    if (!FX.Build(FColumns, clip.Left, clip.Right) || !FY.Build(FRows, clip.Top, clip.Bottom)) return false;
    FindRuns();
    const auto columns = static_cast<int64_t>(FColumns.size()), rows = static_cast<int64_t>(FY.Cell.size());
    int64_t next = 1;                  // the next progress step
    int laidRow = -1, coloured = -1;   // the cell row the values are laid out for, and FRow's sub-cell row
    for (int64_t r = 0; r < rows; ++r) {
      for (; next <= columns && (next - 1) * rows <= r * columns; ++next) progress(static_cast<int>(next));
      const int j = FY.Cell[static_cast<size_t>(r)], t = FY.Sub[static_cast<size_t>(r)];
      if (j < 0) continue;
      if (j != laidRow) {
        LayOutCellRow(laidRow = j);
        coloured = -1;
      }
      if (t != coloured) ColourRow(coloured = t, FRows[static_cast<size_t>(j)].N);  // else as the row above
      for (const auto& [from, to] : FRuns)
        SetPixelRow(c, FX.From + static_cast<int>(from), static_cast<int>(FY.From + r),
                    std::span<const TColor>(FRow.data() + from, to - from));
    }
    for (; next <= columns; ++next) progress(static_cast<int>(next));
    return true;
  }

 private:
  // The runs of pixel columns that some cell covers.
  void FindRuns() {
    FRuns.clear();
    for (size_t x = 0; x < FX.Cell.size(); ++x) {
      if (FX.Cell[x] < 0) continue;
      if (FRuns.empty() || FRuns.back().second != x) FRuns.emplace_back(x, x);
      ++FRuns.back().second;
    }
  }

  // For every pixel column under cell row j: the cell's one colour, or the values a and b at the
  // bottom and top of the pixel's sub-cell column.
  void LayOutCellRow(int j) {
    const size_t n = FX.Cell.size();
    FOne.assign(n, 0);
    FColor.assign(n, clNone);
    FA.assign(n, 0);
    FB.assign(n, 0);
    FRow.assign(n, clNone);
    int laid = -1;  // the cell column whose corners are read
    double z00 = 0, z10 = 0, z01 = 0, z11 = 0;
    bool one = false;
    TColor color = clNone;
    for (size_t x = 0; x < n; ++x) {
      const int i = FX.Cell[x];
      if (i < 0) continue;
      if (i != laid) {
        laid = i;
        z00 = FZ.GetVal(i + 1, j + 1), z10 = FZ.GetVal(i + 2, j + 1);
        z01 = FZ.GetVal(i + 1, j + 2), z11 = FZ.GetVal(i + 2, j + 2);
        color = FColors.OfValue(z00);
        one = color == FColors.OfValue(z10) && color == FColors.OfValue(z01) && color == FColors.OfValue(z11);
      }
      FOne[x] = one;
      FColor[x] = color;
      const int s = FX.Sub[x], nx = FColumns[static_cast<size_t>(i)].N;
      FA[x] = z00 + (z10 - z00) * s / nx;
      FB[x] = z01 + (z11 - z01) * s / nx;
    }
  }

  // The colours of sub-cell row t of ny across the covered pixel columns.
  void ColourRow(int t, int ny) {
    for (const auto& [from, to] : FRuns)
      for (size_t x = from; x < to; ++x) {
        const double a = FA[x], b = FB[x];
        FRow[x] = FOne[x] != 0 ? FColor[x] : FColors.OfValue(a + (b - a) * t / ny);
      }
  }

  const TMatrix& FZ;
  const TLevelColors& FColors;
  const std::vector<TCellEdges>& FColumns;
  const std::vector<TCellEdges>& FRows;
  TAxisCover FX, FY;
  std::vector<std::pair<size_t, size_t>> FRuns;  // [from, to) in pixel columns from FX.From
  std::vector<uint8_t> FOne;
  std::vector<TColor> FColor, FRow;
  std::vector<double> FA, FB;
};

// Draws the cells on a canvas; Map turns a world point into a canvas pixel.
template <typename Map>
class TCellPainter {
 public:
  TCellPainter(TCanvas* Canvas, const Map& ToPixel, const TLevelColors& Colors, TColor Mono, bool UseMono)
      : FCanvas(Canvas), FToPixel(ToPixel), FColors(Colors), FMono(Mono), FUseMono(UseMono) {
    Canvas->Brush()->SetStyle(bsSolid);
    FBoxes.reserve(kBoxBatch);
  }
  ~TCellPainter() { Flush(); }
  TCellPainter(const TCellPainter&) = delete;
  TCellPainter& operator=(const TCellPainter&) = delete;

  void IsoQuad(double x0, double y0, double dx, double dy, double z00, double z10, double z01, double z11) {
    constexpr int nx = kSubdivisions, ny = kSubdivisions;
    for (int s = 0; s < nx; ++s) {
      const double x = x0 + dx * s / nx;
      const double a = z00 + (z10 - z00) * s / nx, b = z01 + (z11 - z01) * s / nx;
      FColors.Between(a, b, [&](double L, TColor c) { Dot(x, y0 + dy * (L - a) / (b - a), c); });
    }
    for (int t = 0; t <= ny; ++t) {
      const double y = y0 + dy * t / ny;
      const double a = z00 + (z01 - z00) * t / ny, b = z10 + (z11 - z10) * t / ny;
      FColors.Between(a, b, [&](double L, TColor c) { Dot(x0 + dx * (L - a) / (b - a), y, c); });
    }
  }

  // The cell between the column's and the row's edges (x and y of TCellEdges).
  void IsoColQuad(const TCellEdges& ex, const TCellEdges& ey, double z00, double z10, double z01, double z11) {
    const TColor c = FColors.OfValue(z00);
    if (c == FColors.OfValue(z10) && c == FColors.OfValue(z01) && c == FColors.OfValue(z11))
      return Box(Point(ex.Lo, ey.Lo), Point(ex.Hi, ey.Hi), c);
    const int nx = ex.N, ny = ey.N;
    for (int s = 0; s < nx; ++s) {
      const double a = z00 + (z10 - z00) * s / nx, b = z01 + (z11 - z01) * s / nx;
      const auto i = static_cast<size_t>(s);
      for (int t = 0; t < ny; ++t) {
        const auto j = static_cast<size_t>(t);
        Box(Point(ex.At[i], ey.At[j]), Point(ex.At[i + 1], ey.At[j + 1]), FColors.OfValue(a + (b - a) * t / ny));
      }
    }
  }

  // Fills the boxes not yet filled.
  void Flush() {
    FillColorRects(*FCanvas, FBoxes);
    FBoxes.clear();
  }

  // cpmColorSurfNoIp: the pivot's rectangle, half a spacing to each side.
  void Flat(double x0, double y0, double dx, double dy, double z) {
    WorldBox(x0 - dx / 2, y0 - dy / 2, x0 + dx / 2, y0 + dy / 2, FColors.OfValue(z));
  }

 private:
  void Dot(double x, double y, TColor c) {
    const TPoint p = FToPixel(x, y);
    FCanvas->SetPixels(p.X, p.Y, FUseMono ? FMono : c);
  }

  void WorldBox(double x1, double y1, double x2, double y2, TColor c) { Box(FToPixel(x1, y1), FToPixel(x2, y2), c); }

  // The box covering both corner pixels (the pixel itself when they coincide), filled in the
  // colour alone: the same pixels as a rectangle with pen and brush in one colour. Boxes are
  // filled in batches, in order.
  void Box(TPoint a, TPoint b, TColor c) {
    if (FBoxes.size() == kBoxBatch) Flush();
    FBoxes.push_back({Rect(std::min(a.X, b.X), std::min(a.Y, b.Y), SaturateToInt(int64_t{std::max(a.X, b.X)} + 1),
                           SaturateToInt(int64_t{std::max(a.Y, b.Y)} + 1)),
                      c});
  }

  static constexpr size_t kBoxBatch = 4096;
  TCanvas* FCanvas;
  const Map& FToPixel;
  const TLevelColors& FColors;
  TColor FMono;
  bool FUseMono;
  std::vector<TColorRect> FBoxes;  // boxes not yet filled
};

}  // namespace

// [SECTION] paint road

void TContourPlot::Paint() {
  if (!PaintAllowed()) return;
  ConstructChartBmp(ChartBmp()->Canvas());
  ConstructDataBmp(GrafBmp()->Canvas(), 0, 0, false, 0);
  ChartBmp()->Canvas()->Draw(LRim(), TRim(), GrafBmp());
  DrawFinish(0, 0, ChartBmp(), Canvas());
}

TContourPlot::TRenderedFor TContourPlot::CurrentView() const {
  return {Cpkx[1], Cpdx[1], Cpky[1], Cpdy[1], DataWidth(), DataHeight()};
}

void TContourPlot::ConstructDataBmp(TCanvas* Canvas, int OffsetX, int OffsetY, bool /*BlkWhite*/, int /*FirstItem*/) {
  if (FPivotMat == nullptr) return;
  if (FInvalidDataBmp || !(CurrentView() == FRenderedFor)) RenderPicture();
  Canvas->Draw(OffsetX, OffsetY, FPlotBmp.get());
  if (OnDataRendered)
    OnDataRendered(this, Canvas, SaturateToInt(int64_t{TRim()} - OffsetY), SaturateToInt(int64_t{LRim()} - OffsetX));
  DrawDataFrame(Canvas, OffsetX, OffsetY);
}

// The background, the contour and the labels in the data picture, which is then kept.
void TContourPlot::RenderPicture() {
  TCanvas* canvas = GrafBmp()->Canvas();
  InitGraf(canvas, 0, 0);
  RenderContourplot();
  RenderFromPivotPoints(canvas, 0, 0);
  RenderLabels(canvas, 0, 0);
  FPlotBmp->Assign(GrafBmp());
  FInvalidDataBmp = false;
  FRenderedFor = CurrentView();
}

// [SECTION] sampling and cells

void TContourPlot::RenderContourplot() {
  FMinimum = uc_MaxDouble;
  FMaximum = -uc_MaxDouble;
  const double xlo = Scale1X()->RangeLow(), xhi = Scale1X()->RangeHigh();
  const double ylo = Scale1Y()->RangeLow(), yhi = Scale1Y()->RangeHigh();
  for (int i = 1; i <= FNumPivotX; ++i) {
    FeedbackProgress(static_cast<int>(RoundDouble(30.0 * i / FNumPivotX)));
    const double x = PivotPos(xlo, xhi, i, FNumPivotX);
    for (int j = 1; j <= FNumPivotY; ++j) {
      double z = 0;
      if (OnEstimateZVal) OnEstimateZVal(this, x, PivotPos(ylo, yhi, j, FNumPivotY), z);
      FPivotMat->SetVal(i, j, z);
      FMaximum = std::max(FMaximum, z);
      FMinimum = std::min(FMinimum, z);
    }
  }
}

void TContourPlot::RenderFromPivotPoints(TCanvas* Canvas, int dx, int dy) {
  const double xlo = Scale1X()->RangeLow(), xhi = Scale1X()->RangeHigh();
  const double ylo = Scale1Y()->RangeLow(), yhi = Scale1Y()->RangeHigh();
  const double stepX = (xhi - xlo) / (FNumPivotX - 1), stepY = (yhi - ylo) / (FNumPivotY - 1);
  const auto toPixel = [this, dx, dy](double x, double y) { return ChartPoint(1, x, y, dx, dy); };
  const auto toPixelX = [&](double x) { return toPixel(x, ylo).X; };
  const auto toPixelY = [&](double y) { return toPixel(xlo, y).Y; };
  const TLevelColors colors(*FIsoColors, FIsoLow, FIsoHigh, FIsoDist);
  TCellPainter painter(Canvas, toPixel, colors, FIsoColors->GetColorElem(1), FPlotMode == cpmMonoDots);
  const int m = FPlotMode == cpmColorSurfNoIp ? 0 : 1;
  const TMatrix& z = *FPivotMat;
  std::vector<TCellEdges> rows;  // the rows of cells, mapped once
  for (int j = 1; j < FNumPivotY; ++j) rows.emplace_back(PivotPos(ylo, yhi, j, FNumPivotY), stepY, toPixelY);
  if (FPlotMode == cpmColorSurface && Canvas->Trace() == nullptr && platform_detail::DirectPaths()) {
    std::vector<TCellEdges> columns;
    for (int i = 1; i < FNumPivotX; ++i) columns.emplace_back(PivotPos(xlo, xhi, i, FNumPivotX), stepX, toPixelX);
    TSurfacePixels surface(z, colors, columns, rows);
    if (surface.Paint(*Canvas, [&](int i) { FeedbackProgress(30 + static_cast<int>(RoundDouble(70.0 * i / FNumPivotX))); }))
      return;
  }
  for (int i = 1; i <= FNumPivotX - m; ++i) {
    painter.Flush();  // the host's progress handler sees the columns before
    FeedbackProgress(30 + static_cast<int>(RoundDouble(70.0 * i / FNumPivotX)));
    const double x0 = PivotPos(xlo, xhi, i, FNumPivotX);
    const TCellEdges column(x0, stepX, toPixelX);
    for (int j = 1; j <= FNumPivotY - m; ++j) {
      const double y0 = PivotPos(ylo, yhi, j, FNumPivotY);
      if (m == 0) {
        painter.Flat(x0, y0, stepX, stepY, z.GetVal(i, j));
        continue;
      }
      const double z00 = z.GetVal(i, j), z10 = z.GetVal(i + 1, j), z01 = z.GetVal(i, j + 1),
                   z11 = z.GetVal(i + 1, j + 1);
      if (FPlotMode == cpmColorSurface) {
        painter.IsoColQuad(column, rows[static_cast<size_t>(j - 1)], z00, z10, z01, z11);
      } else {
        painter.IsoQuad(x0, y0, stepX, stepY, z00, z10, z01, z11);
      }
    }
  }
}

void TContourPlot::RenderLabels(TCanvas* Canvas, int dx, int dy) {
  Canvas->Pen()->SetWidth(1);
  DrawTextLabels(Canvas, dx, dy);
}

}  // namespace qelta
