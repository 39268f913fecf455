// The chart's item file: SaveData and LoadData of 10^6 items (104 MB) beside fwrite and fread of the
// same bytes. Both sides go to the same temporary folder; the reported time is Qelta's, the
// counters give the anchor's time and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Qelta_rchart.h"
#include "SideBySide.h"

namespace {

using namespace qelta;
using qelta::bench::Seconds;
using qelta::bench::TSideBySide;

constexpr int kItems = 1000000;

std::string TempName(const char* what) {
  const char* base = std::getenv("TMPDIR");
  return std::string(base && *base ? base : "/tmp") + "/qelta-bench-" + what + "-" + std::to_string(getpid());
}

// A chart with a DrawTo walk, marks and texts mixed.
void Fill(TCustomRChart& c) {
  c.SetAllocSize(1000000);
  c.MoveTo(0, 0);
  for (int i = 1; i < kItems; ++i) {
    if (i % 100 == 0) {
      c.Text(i, i % 7, 10, u"label");
    } else if (i % 10 == 0) {
      c.MarkAt(i, i % 13, 24);
    } else {
      c.DrawTo(i, i % 11);
    }
  }
}

void ItemFile(benchmark::State& state) {
  TRChart chart(nullptr), loaded(nullptr);
  Fill(chart);
  const std::string ours = TempName("items"), anchor = TempName("fwrite");
  chart.SaveData(Utf8ToString(ours));
  std::vector<char> bytes(static_cast<size_t>(kItems) * 104);
  if (FILE* f = std::fopen(ours.c_str(), "rb")) {
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) state.SkipWithError("short item file");
    std::fclose(f);
  }
  if (FILE* f = std::fopen(anchor.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  const bool save = state.range(0) == 0;
  TSideBySide t;
  for (auto _ : state) {
    const double q = Seconds([&] {
      if (save) {
        chart.SaveData(Utf8ToString(ours));
      } else {
        loaded.LoadData(Utf8ToString(ours), false);
      }
    });
    const double a = Seconds([&] {
      FILE* f = std::fopen(anchor.c_str(), save ? "wb" : "rb");
      if (f == nullptr) return;
      if (save) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
      } else {
        std::vector<char> in(bytes.size());
        benchmark::DoNotOptimize(std::fread(in.data(), 1, in.size(), f));
      }
      std::fclose(f);
    });
    t.Add(state, q, a);
  }
  t.Report(state);
  if (!save && loaded.NumItems() != kItems) state.SkipWithError("load lost items");
  std::remove(ours.c_str());
  std::remove(anchor.c_str());
}
BENCHMARK(ItemFile)
    ->Name("RChart_SaveData/1e6_items")
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(ItemFile)
    ->Name("RChart_LoadData/1e6_items")
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
