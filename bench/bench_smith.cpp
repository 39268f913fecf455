// The Smith chart's grid at detail level 5 (a unit circle 1000 pixels wide): InitGraf draws the
// background, the unit circle, 20 resistance circles, 38 reactance arcs and 58 labels. The anchor
// is Cairo (antialiasing off) drawing the same circles and arcs and the same label texts with its
// toy text interface on an image surface of the same size.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <string>

#include "Encoding.h"
#include "Qelta_rchart.h"
#include "Qelta_rcnumtext.h"
#include "SideBySide.h"

namespace {

using namespace qelta;
using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

constexpr int kDiagram = 1000;

class TBenchSmith : public TSmithChart {
 public:
  TBenchSmith() : TSmithChart(nullptr) {
    SetBounds(0, 0, kDiagram + 70, kDiagram + 60);
    SetRange(-1, -1, 1, 1);
  }
  void Grid() { InitGraf(GrafBmp()->Canvas(), 0, 0); }
};

constexpr double kValues[20] = {0,   0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8,  0.9,
                                1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 7.0, 10.0, 5.0};

// The same grid in Cairo: g on pixel (500 (gr + 1), 500 (1 - gi)).
void CairoGrid(cairo_t* cr) {
  const double s = kDiagram / 2.0;
  const auto px = [&](double gr) { return s * (gr + 1); };
  const auto py = [&](double gi) { return s * (1 - gi); };
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.91, 0.91, 0.97);
  cairo_arc(cr, px(0), py(0), s, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.65, 0.65, 0.65);
  for (double v : kValues) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, px(v / (v + 1)), py(0), s / (v + 1), 0, 2 * M_PI);
  }
  for (int k = 1; k < 20; ++k) {
    const double u = 1 / kValues[k];
    cairo_new_sub_path(cr);
    cairo_arc(cr, px(1), py(u), s * u, M_PI / 2, M_PI + std::atan(u));
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, px(1), py(-u), s * u, -M_PI / 2, -M_PI - std::atan(u));
  }
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_font_size(cr, 11);
  for (int k = 0; k < 20; ++k)
    for (int sign : {1, -1, 0}) {
      if (sign != 0 && k == 0) continue;
      const double v = sign == 0 ? kValues[k] : sign * kValues[k];
      const std::string text = StringToUtf8(RCSpecStrf(v, 1, std::fabs(v - std::trunc(v)) <= 0.01 ? 0 : 1));
      cairo_move_to(cr, px(0.5 * k / 20.0), py(0.1 * sign));
      cairo_show_text(cr, text.c_str());
    }
}

void SmithGrid(benchmark::State& state) {
  TBenchSmith smith;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kDiagram + 1, kDiagram + 1);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] { smith.Grid(); });
    const double anchor = Seconds([&] {
      CairoGrid(cr);
      cairo_surface_flush(surface);
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(SmithGrid)
    ->Name("Smith_InitGraf/level5/1000px")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

}  // namespace
