// Time and date axes: 5 x 2000 paints of a 400-pixel date/time scale (a transparent helper drawing into a
// bitmap, as the chart uses it) at each calendar level, beside glibc strftime writing the same labels
// and date lines (the label anchor); and the tick lists alone (MakeScaleTicks: steps, walks and
// FormatDateTime) beside the same strftime calls.

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <vector>

#include "DateUtils.h"
#include "Graphics.h"
#include "Qelta_Scale.h"
#include "SideBySide.h"

namespace {

constexpr int kPaints = 2000;  // per iteration
const double kStart = qelta::EncodeDate(2024, 3, 1) + 0.5;

struct TLevel {
  const char* name;
  double days;  // range
  bool vertical;
  const char* timeFormat;  // strftime forms of the labels: time or date, and the date line
  const char* dateFormat;
};

// The scale's labels at each level with its default DateFormat (tfHHMMSS, dd-mmm-yyyy, one date a day).
const TLevel kLevels[] = {
    {"hundredths", 1.0 / 86400, true, "%H:%M:%S.00", "%d-%b-%Y"},
    {"seconds", 1.0 / 1440, false, "%H:%M:%S", "%d-%b-%Y"},
    {"minutes", 1.0 / 24, false, "%H:%M", "%d-%b-%Y"},
    {"hours", 2, false, "%H:%M", "%d-%b-%Y"},
    {"days", 60, false, "%d-%b-%Y", nullptr},
    {"months", 300, false, "%b-%Y", nullptr},
    {"years", 36525, false, "%Y", nullptr},
};

qelta::TScaleTickRequest RequestOf(const TLevel& level) {
  qelta::TScaleTickRequest r;
  r.RangeLow = kStart;
  r.RangeHigh = kStart + level.days;
  r.Vertical = level.vertical;
  r.LabelType = qelta::ftDateTime;
  r.MaxTicks = qelta::ScaleTickLimit(359);
  return r;
}

// The calendar fields of every label and date line of the level, and the strftime form of each.
struct TAnchorLabels {
  std::vector<std::tm> moments;
  std::vector<const char*> formats;
};

std::tm TmOf(double v) {
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
  qelta::DecodeDateTime(v, y, m, d, h, n, s, ms);
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = m - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = n;
  t.tm_sec = s;
  return t;
}

TAnchorLabels AnchorLabels(const TLevel& level) {
  TAnchorLabels a;
  for (const qelta::TScaleTick& t : qelta::MakeScaleTicks(RequestOf(level))) {
    if (!t.Labelled) continue;
    a.moments.push_back(TmOf(t.Value));
    a.formats.push_back(level.timeFormat);
    if (t.DateLine.empty()) continue;
    a.moments.push_back(TmOf(t.Value));
    a.formats.push_back(level.dateFormat);
  }
  return a;
}

// strftime of all labels of one paint.
struct TStrftime {
  TAnchorLabels labels;
  char buffer[64] = {};
  void operator()(int) {
    for (std::size_t i = 0; i < labels.moments.size(); ++i)
      benchmark::DoNotOptimize(std::strftime(buffer, sizeof buffer, labels.formats[i], &labels.moments[i]));
  }
};

void PaintLevel(benchmark::State& state, const TLevel& level) {
  qelta::TBitmap host(level.vertical ? 100 : 400, level.vertical ? 400 : 100);
  qelta::TScale scale(nullptr);
  scale.SetIsHelper(true);
  scale.SetTransparent(true);
  scale.SetBounds(0, 0, host.Width(), host.Height());
  scale.UseForeignCanvas(host.Canvas(), 0, 0);
  scale.SetScaleType(level.vertical ? qelta::sctYL : qelta::sctXT);
  scale.SetLabelType(qelta::ftDateTime);
  scale.SetRange(kStart, kStart + level.days);
  qelta::bench::SideBySide(
      state, kPaints, [&scale](int) { scale.ForcePaint(); }, TStrftime{AnchorLabels(level), {}});
}

void TicksOfLevel(benchmark::State& state, const TLevel& level) {
  const qelta::TScaleTickRequest request = RequestOf(level);
  qelta::bench::SideBySide(
      state, kPaints, [&request](int) { benchmark::DoNotOptimize(qelta::MakeScaleTicks(request)); },
      TStrftime{AnchorLabels(level), {}});
}

const int kRegistered = [] {
  for (const TLevel& level : kLevels) {
    benchmark::RegisterBenchmark((std::string("BM_DateScalePaint_vs_strftime/") + level.name).c_str(),
                                 [&level](benchmark::State& s) { PaintLevel(s, level); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark((std::string("BM_DateTicks_vs_strftime/") + level.name).c_str(),
                                 [&level](benchmark::State& s) { TicksOfLevel(s, level); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
  }
  return 0;
}();

}  // namespace
