// Meter: SetValue repaints of a shown 297 x 209 meter (0..100 with zones, six labels, a caption,
// short ticks, the half cap and both lamps), each one a full Paint: the picture rendered into a new
// off-screen bitmap and copied onto the form. Beside it, the same primitive calls (recorded from one
// paint with a canvas trace: pies, arcs, lines, rectangles, the polygon and the texts, with their pen,
// brush and font settings) replayed on a bare bitmap of that size. The ratio is what the meter adds
// to the drawing itself: its geometry, the bitmap and the copy.

#include <benchmark/benchmark.h>

#include <vector>

#include "Forms.h"
#include "Qelta_Meter.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

// A meter whose rendering the benchmark can trace.
class TBenchMeter : public TMeter {
 public:
  using TMeter::RenderMeter;
  using TMeter::TMeter;
};

TBenchMeter* ShownMeter(TForm& form) {
  form.SetBounds(0, 0, 320, 240);
  auto* m = new TBenchMeter(&form);
  m->SetParent(&form);
  m->SetBounds(10, 10, 297, 209);
  m->SetMeterMaxValue(100);
  m->SetThresholdHigh(80);
  m->SetThresholdLow(20);
  m->SetScaleBkVisible(true);
  m->SetScaleBkWidth(10);
  m->SetCaption(u"kPa");
  return m;
}

// The calls of one render of the meter, recorded on a bitmap of its size.
TCanvasTrace TraceOfOnePaint(TBenchMeter& m) {
  TCanvasTrace trace;
  TBitmap picture(m.Width(), m.Height());
  picture.Canvas()->SetTrace(&trace);
  m.RenderMeter(picture.Canvas());
  picture.Canvas()->SetTrace(nullptr);
  return trace;
}

// The recorded calls again, on the canvas.
void Replay(const TCanvasTrace& trace, TCanvas* c, TFont* font) {
  for (const TCanvasTraceRecord& r : trace.Records()) {
    const std::vector<int64_t>& a = r.Args;
    const auto i = [&](size_t k) { return int(a[k]); };
    if (r.Op == "Pen.Color") c->Pen()->SetColor(TColor(a[0]));
    else if (r.Op == "Brush.Color") c->Brush()->SetColor(TColor(a[0]));
    else if (r.Op == "Brush.Style") c->Brush()->SetStyle(TBrushStyle(a[0]));
    else if (r.Op == "Font.Assign") c->Font()->Assign(font);
    else if (r.Op == "MoveTo") c->MoveTo(i(0), i(1));
    else if (r.Op == "LineTo") c->LineTo(i(0), i(1));
    else if (r.Op == "Rectangle") c->Rectangle(i(0), i(1), i(2), i(3));
    else if (r.Op == "Ellipse") c->Ellipse(i(0), i(1), i(2), i(3));
    else if (r.Op == "Arc") c->Arc(i(0), i(1), i(2), i(3), i(4), i(5), i(6), i(7));
    else if (r.Op == "Pie") c->Pie(i(0), i(1), i(2), i(3), i(4), i(5), i(6), i(7));
    else if (r.Op == "TextOut") c->TextOut(i(0), i(1), r.Text);
    else if (r.Op == "Polygon") {
      std::vector<TPoint> p;
      for (size_t k = 0; k + 1 < a.size(); k += 2) p.push_back(Point(i(k), i(k + 1)));
      c->Polygon(p);
    }
  }
}

void BM_MeterSetValue_vs_Replay(benchmark::State& state) {
  constexpr int kRepaints = 200;
  TScriptedUser user;
  TForm form(nullptr);
  TBenchMeter* meter = ShownMeter(form);
  user.Show(&form);
  const TCanvasTrace trace = TraceOfOnePaint(*meter);
  TBitmap bare(297, 209);
  qelta::bench::SideBySide(
      state, kRepaints, [&](int k) { meter->SetValue(k % 2 == 0 ? 30 : 70); },
      [&](int) { Replay(trace, bare.Canvas(), meter->Font()); });
  state.counters["canvas_calls"] = double(trace.Records().size());
  state.counters["repaints_per_s"] =
      benchmark::Counter(double(kRepaints), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MeterSetValue_vs_Replay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
