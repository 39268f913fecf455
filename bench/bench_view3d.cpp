// The 3-D displays beside their anchors, both sides timed in every iteration of one run:
//  - TPlot3D rendering 100 x 100 and 300 x 300 cells at 650 x 500 (cube, cells, axes) beside Cairo
//    (antialiasing off) filling and outlining the same projected quads in the same colours;
//  - filling a 300 x 300 grid by SetVal with painting on, beside the same fill of a bare TMatrix;
//  - hover tests over 300 x 300 cells, beside a plain loop over the same quads;
//  - TRot3D: 2 x 10^5 appends beside std::vector::push_back; MakeVisible (hidden, and with its repaint)
//    of 10^5 lines beside Eigen rotating and projecting the same points; the nearest-item queries
//    over 10^6 objects beside plain loops.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <Eigen/Dense>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Messages.h"
#include "Qelta_Rot3D.h"
#include "Qelta_plot3d.h"
#include "SideBySide.h"

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

// Rendering the plot beside Cairo filling and outlining the same quads in the plot's painting order and
// colours (taken from OnBeforeRenderPolygon in a render before the timing).
void BM_Plot3DRender_vs_CairoQuads(benchmark::State& state) {
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
  s.plot.OnBeforeRenderPolygon = nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 650, 500);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  qelta::bench::RunSideBySide(
      state, [&] { s.plot.DrawOnForeignCanvas(s.target.Canvas()); },
      [&] {
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
      });
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  state.SetItemsProcessed(int64_t(state.iterations()) * (s.N() - 1) * (s.N() - 1));
}
BENCHMARK(BM_Plot3DRender_vs_CairoQuads)->Arg(100)->Arg(300)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Filling a 300 x 300 grid by SetVal with painting on, beside the same fill of a bare TMatrix.
void BM_Plot3DFillSetVal_vs_TMatrix(benchmark::State& state) {
  TPlot3D plot(nullptr);  // painting on
  plot.GridMat()->Resize(300, 300);
  TMatrix m(nullptr);
  m.Resize(300, 300);
  const auto fill = [](TMatrix* g) {
    for (int c = 1; c <= 300; ++c)
      for (int r = 1; r <= 300; ++r) g->SetVal(c, r, c * r);
  };
  qelta::bench::RunSideBySide(state, [&] { fill(plot.GridMat()); }, [&] { fill(&m); });
  benchmark::DoNotOptimize(plot.MaxZ());
  state.SetItemsProcessed(int64_t(state.iterations()) * 90000);
}
BENCHMARK(BM_Plot3DFillSetVal_vs_TMatrix)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// 100 hover tests over 300 x 300 cells per iteration, beside the same containment test over the same
// corner pixels held in plain arrays.
void BM_Plot3DHover_vs_PlainLoop(benchmark::State& state) {
  Surface s(300);
  int cx = 0, cy = 0;
  s.plot.OnMouseMoveOverPlot = [&](TObject*, bool, TShiftState, int x, int y) { cx = x, cy = y; };
  const int n = 300;
  std::vector<int64_t> xs(n * n), ys(n * n), zs(n * n);
  for (int c = 1; c <= n; ++c)
    for (int r = 1; r <= n; ++r) {
      xs[(c - 1) * n + r - 1] = s.plot.ProjMapX()->GetVal(c, r);
      ys[(c - 1) * n + r - 1] = s.plot.ProjMapY()->GetVal(c, r);
      zs[(c - 1) * n + r - 1] = s.plot.ProjMapZ()->GetVal(c, r);
    }
  qelta::bench::SideBySide(
      state, 100, [&](int) { s.plot.Perform(WM_MOUSEMOVE, 0, MakeMouseLParam(300, 260)); },
      [&](int) {
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
      });
  benchmark::DoNotOptimize(cx + cy);
}
BENCHMARK(BM_Plot3DHover_vs_PlainLoop)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// --- TRot3D ----------------------------------------------------------------------------------------

// 2 x 10^5 appends beside std::vector::push_back of the same items.
void BM_Rot3DAppend_vs_Vector(benchmark::State& state) {
  constexpr int kItems = 200000;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        TRot3D d(nullptr);
        for (int i = 0; i < kItems; ++i) d.Drawto(i, i, i);
        benchmark::DoNotOptimize(d.NumItems());
      },
      [&] {
        std::vector<Tr3ChartItem> v;
        for (int i = 0; i < kItems; ++i)
          v.push_back({.x = double(i), .y = double(i), .z = double(i), .ItemKind = Tr3Item::tkLineto, .marklw = 1});
        benchmark::DoNotOptimize(v.data());
      });
  state.SetItemsProcessed(int64_t(state.iterations()) * kItems);
}
BENCHMARK(BM_Rot3DAppend_vs_Vector)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

std::vector<std::array<double, 3>> HelixPoints(int n) {
  std::vector<std::array<double, 3>> p(n);
  for (int i = 0; i < n; ++i) p[i] = {std::cos(i * 0.01), std::sin(i * 0.01), i * 1e-4};
  return p;
}

// MakeVisible of 10^5 lines (hidden, and with its repaint) beside Eigen centring, scaling, rotating and
// projecting the same points in doubles.
void Rot3DMakeVisible(benchmark::State& state, bool paint) {
  TRot3D d(nullptr);
  d.SetVisible(paint);  // a hidden display skips its repaint
  d.Moveto(1, 0, 0);
  const auto points = HelixPoints(100000);
  for (const auto& p : points) d.Drawto(p[0], p[1], p[2]);
  Eigen::Matrix3Xd p(3, points.size());
  for (size_t i = 0; i < points.size(); ++i) p.col(long(i)) << points[i][0], points[i][1], points[i][2];
  const Eigen::Matrix3d rot = (Eigen::AngleAxisd(110 * M_PI / 180, Eigen::Vector3d::UnitX()) *
                               Eigen::AngleAxisd(210 * M_PI / 180, Eigen::Vector3d::UnitZ())).toRotationMatrix();
  qelta::bench::RunSideBySide(
      state, [&] { d.MakeVisible(); },
      [&] {
        const Eigen::Vector3d centre = p.rowwise().mean();
        const Eigen::Vector3d extent = p.rowwise().maxCoeff() - p.rowwise().minCoeff();
        const Eigen::Matrix3Xd model = (1000 * extent.cwiseInverse()).asDiagonal() * (p.colwise() - centre);
        const Eigen::Matrix2Xd pixels = ((rot * model).topRows<2>() / 5.0).colwise() + Eigen::Vector2d(225, 150);
        benchmark::DoNotOptimize(pixels.data());
      });
  state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}
void BM_Rot3DMakeVisible_vs_Eigen(benchmark::State& state) { Rot3DMakeVisible(state, false); }
void BM_Rot3DMakeVisiblePaint_vs_Eigen(benchmark::State& state) { Rot3DMakeVisible(state, true); }
BENCHMARK(BM_Rot3DMakeVisible_vs_Eigen)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rot3DMakeVisiblePaint_vs_Eigen)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

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

// The nearest item on screen beside the same integer projection and nearest pixel over plain arrays of
// the model points.
void BM_Rot3DNearestScreen_vs_PlainLoop(benchmark::State& state) {
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
  double dist = 0;
  qelta::bench::RunSideBySide(
      state, [&] { benchmark::DoNotOptimize(c.d.FindNearestItemScreen(200, 140, Tr3Item::tkMarkAt, dist)); },
      [&] {
        int best = -1;
        double bestD = 0;
        for (size_t i = 0; i < n; ++i) {
          const int64_t px = (x[i] * r[0][0] + y[i] * r[0][1] + z[i] * r[0][2]) / divisor + 225;
          const int64_t py = (x[i] * r[1][0] + y[i] * r[1][1] + z[i] * r[1][2]) / divisor + 150;
          const double dx = double(px - 200), dy = double(py - 140), d = dx * dx + dy * dy;
          if (best < 0 || d < bestD) bestD = d, best = int(i);
        }
        benchmark::DoNotOptimize(best);
      });
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(BM_Rot3DNearestScreen_vs_PlainLoop)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// The nearest item in space beside the nearest of the same points by a plain loop.
void BM_Rot3DNearestReal_vs_PlainLoop(benchmark::State& state) {
  Cloud c;
  double dist = 0;
  qelta::bench::RunSideBySide(
      state, [&] { benchmark::DoNotOptimize(c.d.FindNearestItemReal(0.1, 0.2, 0.3, Tr3Item::tkMarkAt, dist)); },
      [&] {
        int best = -1;
        double bestD = 1e308;
        for (size_t i = 0; i < c.points.size(); ++i) {
          const auto& p = c.points[i];
          const double d = std::sqrt((p[0] - 0.1) * (p[0] - 0.1) + (p[1] - 0.2) * (p[1] - 0.2) + (p[2] - 0.3) * (p[2] - 0.3));
          if (d < bestD) bestD = d, best = int(i);
        }
        benchmark::DoNotOptimize(best);
      });
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000000);
}
BENCHMARK(BM_Rot3DNearestReal_vs_PlainLoop)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
