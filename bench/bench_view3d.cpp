// The 3-D displays beside their anchors, measured in one run; the ratios are printed at the end.
//  - TPlot3D rendering 100 x 100 and 300 x 300 cells at 650 x 500 (cube, cells, axes) beside Cairo
//    (antialiasing off) filling and outlining the same projected quads in the same colours;
//  - filling a 300 x 300 grid by SetVal with painting on, beside the same fill of a bare TMatrix;
//  - one hover test over 300 x 300 cells, beside a plain loop over the same quads;
//  - TRot3D: 10^6 appends beside std::vector::push_back; MakeVisible (hidden, and with its repaint)
//    of 10^5 lines beside Eigen rotating and projecting the same points; the nearest-item queries
//    over 10^6 objects beside plain loops.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <Eigen/Dense>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Messages.h"
#include "Qelta_Rot3D.h"
#include "Qelta_plot3d.h"

namespace {

using namespace qelta;

// --- TPlot3D ---------------------------------------------------------------------------------------

// A suppressed plot of an n x n two-peak grid, rendered once so its maps hold the quads.
struct Surface {
  TPlot3D plot{nullptr};
  TBitmap target{650, 500};
  explicit Surface(int n) {
    TMatrix* g = plot.GridMat();
    g->Resize(n, n);
    for (int c = 1; c <= n; ++c)
      for (int r = 1; r <= n; ++r) {
        const double x = 6.0 * c / n - 3, y = 6.0 * r / n - 3;
        g->SetVal(c, r, 100 * (std::exp(-(x - 1) * (x - 1) - (y - 1) * (y - 1)) + 0.6 * std::exp(-(x + 1) * (x + 1) - y * y)));
      }
    plot.SetSuppressPaint(true);  // DrawOnForeignCanvas then leaves the plot's own picture alone
    plot.DrawOnForeignCanvas(target.Canvas());
  }
  int N() const { return plot.GridMat()->NrOfColumns(); }
};

void PlotRender(benchmark::State& state) {
  Surface s(static_cast<int>(state.range(0)));
  for (auto _ : state) s.plot.DrawOnForeignCanvas(s.target.Canvas());
  state.SetItemsProcessed(int64_t(state.iterations()) * (s.N() - 1) * (s.N() - 1));
}
BENCHMARK(PlotRender)->Name("Plot3D_Render")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(PlotRender)->Name("Plot3D_Render")->Arg(300)->Unit(benchmark::kMillisecond);

// Cairo anchor: the same quads in the plot's painting order and colours, filled and outlined.
void CairoRender(benchmark::State& state) {
  Surface s(static_cast<int>(state.range(0)));
  struct Cell {
    double x[4], y[4];
    double r, g, b;
  };
  std::vector<Cell> cells;
  s.plot.OnBeforeRenderPolygon = [&](TObject*, TCanvas*, bool&, int, int, TQuad q, TColor& color) {
    const TColor c = ColorToRGB(color);
    Cell cell{{}, {}, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0};
    for (int i = 0; i < 4; ++i) cell.x[i] = q[i].X + 0.5, cell.y[i] = q[i].Y + 0.5;
    cells.push_back(cell);
  };
  s.plot.DrawOnForeignCanvas(s.target.Canvas());
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 650, 500);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  for (auto _ : state) {
    for (const Cell& c : cells) {
      cairo_move_to(cr, c.x[0], c.y[0]);
      for (int i = 1; i < 4; ++i) cairo_line_to(cr, c.x[i], c.y[i]);
      cairo_close_path(cr);
      cairo_set_source_rgb(cr, c.r, c.g, c.b);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_stroke(cr);
    }
    cairo_surface_flush(surface);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(cells.size()));
}
BENCHMARK(CairoRender)->Name("Cairo_Quads")->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(CairoRender)->Name("Cairo_Quads")->Arg(300)->Unit(benchmark::kMillisecond);

void PlotFillBySetVal(benchmark::State& state) {
  TPlot3D plot(nullptr);  // painting on
  plot.GridMat()->Resize(300, 300);
  for (auto _ : state)
    for (int c = 1; c <= 300; ++c)
      for (int r = 1; r <= 300; ++r) plot.GridMat()->SetVal(c, r, c * r);
  benchmark::DoNotOptimize(plot.MaxZ());
  state.SetItemsProcessed(int64_t(state.iterations()) * 90000);
}
BENCHMARK(PlotFillBySetVal)->Name("Plot3D_FillSetVal/300")->Unit(benchmark::kMillisecond);

void MatrixFillBySetVal(benchmark::State& state) {
  TMatrix m(nullptr);
  m.Resize(300, 300);
  for (auto _ : state)
    for (int c = 1; c <= 300; ++c)
      for (int r = 1; r <= 300; ++r) m.SetVal(c, r, c * r);
  state.SetItemsProcessed(int64_t(state.iterations()) * 90000);
}
BENCHMARK(MatrixFillBySetVal)->Name("TMatrix_FillSetVal/300")->Unit(benchmark::kMillisecond);

void PlotHover(benchmark::State& state) {
  Surface s(300);
  int cx = 0, cy = 0;
  s.plot.OnMouseMoveOverPlot = [&](TObject*, bool, TShiftState, int x, int y) { cx = x, cy = y; };
  for (auto _ : state) s.plot.Perform(WM_MOUSEMOVE, 0, MakeMouseLParam(300, 260));
  benchmark::DoNotOptimize(cx + cy);
}
BENCHMARK(PlotHover)->Name("Plot3D_Hover/300")->Unit(benchmark::kMicrosecond);

// Anchor: the same containment test over the same corner pixels held in plain arrays.
void PlainHover(benchmark::State& state) {
  Surface s(300);
  const int n = 300;
  std::vector<int64_t> xs(n * n), ys(n * n), zs(n * n);
  for (int c = 1; c <= n; ++c)
    for (int r = 1; r <= n; ++r) {
      xs[(c - 1) * n + r - 1] = s.plot.ProjMapX()->GetVal(c, r);
      ys[(c - 1) * n + r - 1] = s.plot.ProjMapY()->GetVal(c, r);
      zs[(c - 1) * n + r - 1] = s.plot.ProjMapZ()->GetVal(c, r);
    }
  for (auto _ : state) {
    const int64_t px = 300, py = 260;
    int64_t best = -2147483647, found = 0;
    for (int a = 0; a < n - 1; ++a)
      for (int r = 0; r < n - 1; ++r) {
        const int at[4] = {a * n + r, a * n + r + 1, (a + 1) * n + r + 1, (a + 1) * n + r};
        int sides = 0;
        for (int i = 0; i < 4; ++i) {
          const int p = at[i], q = at[(i + 1) % 4];
          sides += (xs[q] - xs[p]) * (py - ys[p]) - (ys[q] - ys[p]) * (px - xs[p]) >= 0 ? 1 : -1;
        }
        if ((sides == 4 || sides == -4) && zs[at[0]] > best) best = zs[at[0]], found = a * n + r;
      }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(PlainHover)->Name("Plain_Hover/300")->Unit(benchmark::kMicrosecond);

// --- TRot3D ----------------------------------------------------------------------------------------

void Rot3DAppend(benchmark::State& state) {
  for (auto _ : state) {
    TRot3D d(nullptr);
    for (int i = 0; i < 1000000; ++i) d.Drawto(i, i, i);
    benchmark::DoNotOptimize(d.NumItems());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(Rot3DAppend)->Name("Rot3D_Append/1e6")->Unit(benchmark::kMillisecond);

void VectorAppend(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<Tr3ChartItem> v;
    for (int i = 0; i < 1000000; ++i)
      v.push_back({.x = double(i), .y = double(i), .z = double(i), .ItemKind = Tr3Item::tkLineto, .marklw = 1});
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(VectorAppend)->Name("Vector_Append/1e6")->Unit(benchmark::kMillisecond);

std::vector<std::array<double, 3>> HelixPoints(int n) {
  std::vector<std::array<double, 3>> p(n);
  for (int i = 0; i < n; ++i) p[i] = {std::cos(i * 0.01), std::sin(i * 0.01), i * 1e-4};
  return p;
}

void Rot3DMakeVisible(benchmark::State& state, bool paint) {
  TRot3D d(nullptr);
  d.SetVisible(paint);  // a hidden display skips its repaint
  d.Moveto(1, 0, 0);
  for (const auto& p : HelixPoints(100000)) d.Drawto(p[0], p[1], p[2]);
  for (auto _ : state) d.MakeVisible();
  state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}
void Rot3DMakeVisibleOnly(benchmark::State& state) { Rot3DMakeVisible(state, false); }
void Rot3DMakeVisiblePaint(benchmark::State& state) { Rot3DMakeVisible(state, true); }
BENCHMARK(Rot3DMakeVisibleOnly)->Name("Rot3D_MakeVisible/1e5")->Unit(benchmark::kMillisecond);
BENCHMARK(Rot3DMakeVisiblePaint)->Name("Rot3D_MakeVisiblePaint/1e5")->Unit(benchmark::kMillisecond);

// Anchor: Eigen centres, scales, rotates and projects the same points in doubles.
void EigenRotate(benchmark::State& state) {
  const auto points = HelixPoints(100000);
  Eigen::Matrix3Xd p(3, points.size());
  for (size_t i = 0; i < points.size(); ++i) p.col(long(i)) << points[i][0], points[i][1], points[i][2];
  const Eigen::Matrix3d rot = (Eigen::AngleAxisd(110 * M_PI / 180, Eigen::Vector3d::UnitX()) *
                               Eigen::AngleAxisd(210 * M_PI / 180, Eigen::Vector3d::UnitZ())).toRotationMatrix();
  for (auto _ : state) {
    const Eigen::Vector3d centre = p.rowwise().mean();
    const Eigen::Vector3d extent = p.rowwise().maxCoeff() - p.rowwise().minCoeff();
    const Eigen::Matrix3Xd model = (1000 * extent.cwiseInverse()).asDiagonal() * (p.colwise() - centre);
    const Eigen::Matrix2Xd pixels = ((rot * model).topRows<2>() / 5.0).colwise() + Eigen::Vector2d(225, 150);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}
BENCHMARK(EigenRotate)->Name("Eigen_Rotate/1e5")->Unit(benchmark::kMillisecond);

struct Cloud {
  TRot3D d{nullptr};
  std::vector<std::array<double, 3>> points;
  Cloud() {
    d.SetVisible(false);
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> u(-1, 1);
    points.resize(1000000);
    for (auto& p : points) {
      p = {u(gen), u(gen), u(gen)};
      d.MarkAt(p[0], p[1], p[2], 1);
    }
    d.MakeVisible();
  }
};

void Rot3DNearestScreen(benchmark::State& state) {
  Cloud c;
  double dist = 0;
  for (auto _ : state) benchmark::DoNotOptimize(c.d.FindNearestItemScreen(200, 140, Tr3Item::tkMarkAt, dist));
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(Rot3DNearestScreen)->Name("Rot3D_NearestScreen/1e6")->Unit(benchmark::kMillisecond);

void Rot3DNearestReal(benchmark::State& state) {
  Cloud c;
  double dist = 0;
  for (auto _ : state) benchmark::DoNotOptimize(c.d.FindNearestItemReal(0.1, 0.2, 0.3, Tr3Item::tkMarkAt, dist));
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(Rot3DNearestReal)->Name("Rot3D_NearestReal/1e6")->Unit(benchmark::kMillisecond);

// Anchor: the same integer projection and nearest pixel over plain arrays of the model points.
void PlainNearestScreen(benchmark::State& state) {
  Cloud c;
  const size_t n = c.points.size();
  std::vector<int32_t> x(n), y(n), z(n);
  for (size_t i = 0; i < n; ++i) {
    x[i] = int32_t(std::lrint(c.points[i][0] * c.d.ScaleFactX()));
    y[i] = int32_t(std::lrint(c.points[i][1] * c.d.ScaleFactY()));
    z[i] = int32_t(std::lrint(c.points[i][2] * c.d.ScaleFactZ()));
  }
  int64_t r[2][3];
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) r[i][j] = std::lrint(c.d.GetRotMat(i + 1, j + 1) * 1000);
  const int64_t divisor = std::lrint(4000 / c.d.Magnification());
  for (auto _ : state) {
    int best = -1;
    double bestD = 0;
    for (size_t i = 0; i < n; ++i) {
      const int64_t px = (x[i] * r[0][0] + y[i] * r[0][1] + z[i] * r[0][2]) / divisor + 225;
      const int64_t py = (x[i] * r[1][0] + y[i] * r[1][1] + z[i] * r[1][2]) / divisor + 150;
      const double dx = double(px - 200), dy = double(py - 140), d = dx * dx + dy * dy;
      if (best < 0 || d < bestD) bestD = d, best = int(i);
    }
    benchmark::DoNotOptimize(best);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(PlainNearestScreen)->Name("Plain_NearestScreen/1e6")->Unit(benchmark::kMillisecond);

// Anchor: the nearest of the same points in space by a plain loop.
void PlainNearest(benchmark::State& state) {
  Cloud c;
  for (auto _ : state) {
    int best = -1;
    double bestD = 1e308;
    for (size_t i = 0; i < c.points.size(); ++i) {
      const auto& p = c.points[i];
      const double d = std::sqrt((p[0] - 0.1) * (p[0] - 0.1) + (p[1] - 0.2) * (p[1] - 0.2) + (p[2] - 0.3) * (p[2] - 0.3));
      if (d < bestD) bestD = d, best = int(i);
    }
    benchmark::DoNotOptimize(best);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(PlainNearest)->Name("Plain_Nearest/1e6")->Unit(benchmark::kMillisecond);

// --- the ratios ------------------------------------------------------------------------------------

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const char* pairs[][2] = {{"Plot3D_Render/100", "Cairo_Quads/100"},
                              {"Plot3D_Render/300", "Cairo_Quads/300"},
                              {"Plot3D_FillSetVal/300", "TMatrix_FillSetVal/300"},
                              {"Plot3D_Hover/300", "Plain_Hover/300"},
                              {"Rot3D_Append/1e6", "Vector_Append/1e6"},
                              {"Rot3D_MakeVisible/1e5", "Eigen_Rotate/1e5"},
                              {"Rot3D_MakeVisiblePaint/1e5", "Eigen_Rotate/1e5"},
                              {"Rot3D_NearestScreen/1e6", "Plain_NearestScreen/1e6"},
                              {"Rot3D_NearestReal/1e6", "Plain_Nearest/1e6"}};
    std::printf("\n%-30s %12s %-24s %12s %8s\n", "ours", "time [ms]", "anchor", "time [ms]", "ratio");
    for (const auto& p : pairs) {
      if (!times_.count(p[0]) || !times_.count(p[1])) continue;
      const double ours = times_[p[0]], anchor = times_[p[1]];
      std::printf("%-30s %12.3f %-24s %12.3f %8.2f\n", p[0], ours * 1e3, p[1], anchor * 1e3, ours / anchor);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
