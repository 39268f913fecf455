// A full chart paint beside Cairo (antialiasing off) drawing the same shapes on an image surface.
// The chart is 1000 x 700 with a DrawTo walk of 10^6 points, 10^5 marks (filled circles, mark 24)
// and 10^5 filled rectangles; Paint draws frame, scales, background, the items and the frame of the
// data area, and copies the pictures. Cairo draws the same polyline (in pixels), the same circles
// and the same rectangles (filled and outlined) on a 1000 x 700 RGB24 surface. Both sides are timed
// per iteration; the reported time is Qelta's, the counters give Cairo's time, the ratio Qelta /
// Cairo and the canvas calls of one paint (every drawing call and property setter, from the trace).

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "Qelta_rchart.h"
#include "SideBySide.h"

namespace {

using namespace qelta;
using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

constexpr int kWalk = 1000000, kMarks = 100000, kRects = 100000;

class TBenchChart : public TCustomRChart {
 public:
  TBenchChart() : TCustomRChart(nullptr) {
    SetBounds(0, 0, 1000, 700);
    SetSuppressPaint(false);
  }
  void PaintNow() { Paint(); }
  using TCustomRChart::GrafBmp;
};

// The shapes in chart units and in pixels of the data picture.
struct TScene {
  std::vector<double> wx, wy;               // the walk
  std::vector<double> mx, my;               // marks
  std::vector<double> rx1, ry1, rx2, ry2;   // rectangles
};

TScene MakeScene() {
  std::mt19937 gen(5807);
  std::normal_distribution<double> step(0, 1);
  std::uniform_real_distribution<double> u(0, 1);
  TScene s;
  double y = 0;
  for (int i = 0; i < kWalk; ++i) {
    y += step(gen);
    s.wx.push_back(i / double(kWalk));
    s.wy.push_back(y);
  }
  double lo = s.wy[0], hi = s.wy[0];
  for (double v : s.wy) lo = std::min(lo, v), hi = std::max(hi, v);
  for (double& v : s.wy) v = (v - lo) / (hi - lo);
  for (int i = 0; i < kMarks; ++i) s.mx.push_back(u(gen)), s.my.push_back(u(gen));
  for (int i = 0; i < kRects; ++i) {
    const double x = u(gen), yy = u(gen);
    s.rx1.push_back(x), s.ry1.push_back(yy), s.rx2.push_back(x + 0.01 * u(gen)), s.ry2.push_back(yy + 0.01 * u(gen));
  }
  return s;
}

void Fill(TBenchChart& c, const TScene& s) {
  c.SetAllocSize(1000000);
  c.SetDataColor(clNavy);
  c.MoveTo(s.wx[0], s.wy[0]);
  for (int i = 1; i < kWalk; ++i) c.DrawTo(s.wx[i], s.wy[i]);
  c.SetDataColor(clRed);
  for (int i = 0; i < kMarks; ++i) c.MarkAt(s.mx[i], s.my[i], 24);
  c.SetDataColor(clBlack);
  c.SetFillColor(clYellow);
  for (int i = 0; i < kRects; ++i) c.Rectangle(s.rx1[i], s.ry1[i], s.rx2[i], s.ry2[i]);
}

// The same shapes in Cairo: pixels from the chart's own transform, so both draw the same picture.
struct TCairoScene {
  std::vector<double> wx, wy, mx, my, rx, ry, rw, rh;
};

TCairoScene CairoScene(const TBenchChart& c, const TScene& s) {
  TCairoScene k;
  const auto pixel = [&](double x, double y, double& px, double& py) {
    int ix = 0, iy = 0;
    c.R2M(1, x, y, ix, iy);
    px = ix + 0.5;
    py = iy + 0.5;
  };
  for (int i = 0; i < kWalk; ++i) {
    double x, y;
    pixel(s.wx[i], s.wy[i], x, y);
    k.wx.push_back(x), k.wy.push_back(y);
  }
  for (int i = 0; i < kMarks; ++i) {
    double x, y;
    pixel(s.mx[i], s.my[i], x, y);
    k.mx.push_back(x), k.my.push_back(y);
  }
  for (int i = 0; i < kRects; ++i) {
    double x1, y1, x2, y2;
    pixel(s.rx1[i], s.ry1[i], x1, y1);
    pixel(s.rx2[i], s.ry2[i], x2, y2);
    k.rx.push_back(std::min(x1, x2)), k.ry.push_back(std::min(y1, y2));
    k.rw.push_back(std::abs(x2 - x1) + 1), k.rh.push_back(std::abs(y2 - y1) + 1);
  }
  return k;
}

void CairoDraw(cairo_t* cr, const TCairoScene& k) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0, 0, 0.5);
  cairo_move_to(cr, k.wx[0], k.wy[0]);
  for (size_t i = 1; i < k.wx.size(); ++i) cairo_line_to(cr, k.wx[i], k.wy[i]);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 1, 0, 0);
  for (size_t i = 0; i < k.mx.size(); ++i) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, k.mx[i], k.my[i], 3.5, 0, 6.283185307179586);
    cairo_fill(cr);
  }
  for (size_t i = 0; i < k.rx.size(); ++i) {
    cairo_rectangle(cr, k.rx[i], k.ry[i], k.rw[i], k.rh[i]);
    cairo_set_source_rgb(cr, 1, 1, 0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_stroke(cr);
  }
}

void ChartPaint(benchmark::State& state) {
  const TScene scene = MakeScene();
  TBenchChart chart;
  Fill(chart, scene);
  const TCairoScene cairoScene = CairoScene(chart, scene);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000, 700);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] { chart.PaintNow(); });
    const double anchor = Seconds([&] {
      CairoDraw(cr, cairoScene);
      cairo_surface_flush(surface);
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
  // Canvas calls of one paint on the data picture, counted once outside the timing.
  TCanvasTrace trace;
  chart.GrafBmp()->Canvas()->SetTrace(&trace);
  chart.PaintNow();
  chart.GrafBmp()->Canvas()->SetTrace(nullptr);
  state.counters["canvas_calls"] = static_cast<double>(trace.Records().size());
  state.counters["polylines"] = trace.Count("Polyline");
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(ChartPaint)->Name("RChart_Paint/1000x700/walk1e6_marks1e5_rects1e5")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
