// Mark drawing speed: 10^6 marks of each shape family at scattered positions on a 2000x2000 bitmap,
// reported as marks/s. Anchor: the same filled 7x7 squares drawn with Rectangle directly, which shows
// what the mark dispatch and the brush bookkeeping cost on top of the canvas.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Graphics.h"
#include "Qelta_qeltabase.h"

using namespace qelta;

namespace {

constexpr int kMarksPerRun = 1000000;

struct Family {
  const char* Name;
  std::vector<uint8_t> Marks;
};

const Family kFamilies[] = {
    {"pixel", {0}},
    {"pattern", {1, 2, 3, 4, 5, 6, 18, 25}},
    {"filled_square", {7, 8, 9}},
    {"line_outline", {10, 11, 12, 13, 19}},
    {"polygon", {14, 15, 29, 30, 31, 32, 33, 34, 35, 36, 40, 41, 42, 43, 44, 45, 46, 47}},
    {"circle", {16, 17, 24, 26, 27, 28}},
    {"lines", {20, 21, 22, 23, 37, 38, 50, 51}},
    {"combined", {39, 48, 49}},
    {"character", {65, 205}},
};

// Scattered centres inside the bitmap: the classic linear congruential generator.
struct Scatter {
  uint32_t Seed = 1;
  TPoint Next() {
    Seed = Seed * 134775813u + 1u;
    return {int(Seed >> 8) % 1980 + 10, int(Seed >> 17) % 1980 + 10};
  }
};

void BM_Marks(benchmark::State& state, const Family& family) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clNavy);
  const size_t n = family.Marks.size();
  for (auto _ : state) {
    Scatter at;
    for (int i = 0; i < kMarksPerRun; ++i) {
      const TPoint p = at.Next();
      DrawMarkOnCanvas(c, family.Marks[size_t(i) % n], p.X, p.Y);
    }
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
  state.counters["marks/s"] = benchmark::Counter(double(state.iterations()) * kMarksPerRun, benchmark::Counter::kIsRate);
}

void BM_Anchor_DirectSquares(benchmark::State& state) {
  TBitmap b(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clNavy);
  c->Brush()->SetColor(clNavy);
  for (auto _ : state) {
    Scatter at;
    for (int i = 0; i < kMarksPerRun; ++i) {
      const TPoint p = at.Next();
      c->Rectangle(p.X - 3, p.Y - 3, p.X + 4, p.Y + 4);
    }
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
  state.counters["marks/s"] = benchmark::Counter(double(state.iterations()) * kMarksPerRun, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Anchor_DirectSquares)->Unit(benchmark::kMillisecond)->Iterations(1);

// One benchmark per family, registered from the table; one run of 10^6 marks keeps `make bench` short.
const bool kRegistered = [] {
  for (const Family& f : kFamilies)
    benchmark::RegisterBenchmark((std::string("BM_Marks/") + f.Name).c_str(), BM_Marks, f)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  return true;
}();

}  // namespace
