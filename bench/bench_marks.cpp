// Mark drawing speed: marks of each shape family at scattered positions on a 2000x2000 bitmap, reported
// as marks/s, beside a plain loop writing the same pixels of each mark into the bitmap's rows.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "SideBySide.h"

using namespace qelta;

namespace {

constexpr int kMarksPerRun = 100000;

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

// The pixels of one mark, relative to its centre, as CreateMarkAsBitmap draws it.
struct Stamp {
  struct Pixel {
    int Dx, Dy;
    uint32_t Value;
  };
  std::vector<Pixel> Pixels;
};

Stamp StampOf(uint8_t mark) {
  constexpr int kMargin = 8;
  const auto bitmap = CreateMarkAsBitmap(mark, clNavy, clWhite, kMargin);
  const uint32_t back = bitmap->ScanLine(0)[0];
  Stamp s;
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->Width(); ++x)
      if (const uint32_t v = bitmap->ScanLine(y)[x]; v != back) s.Pixels.push_back({x - kMargin - 3, y - kMargin - 3, v});
  return s;
}

// 10^5 marks of the family per iteration, beside a plain loop writing each mark's pixels (taken once
// from CreateMarkAsBitmap) straight into the rows of another bitmap at the same centres: the cost of
// the same pixels without shapes, pens and brushes.
void BM_Marks(benchmark::State& state, const Family& family) {
  TBitmap b(2000, 2000), plain(2000, 2000);
  TCanvas* c = b.Canvas();
  c->Pen()->SetColor(clNavy);
  const size_t n = family.Marks.size();
  std::vector<Stamp> stamps;
  for (uint8_t mark : family.Marks) stamps.push_back(StampOf(mark));
  std::vector<uint32_t*> rows;
  for (int y = 0; y < plain.Height(); ++y) rows.push_back(plain.ScanLine(y));
  qelta::bench::RunSideBySide(
      state,
      [&] {
        Scatter at;
        for (int i = 0; i < kMarksPerRun; ++i) {
          const TPoint p = at.Next();
          DrawMarkOnCanvas(c, family.Marks[size_t(i) % n], p.X, p.Y);
        }
        benchmark::DoNotOptimize(b.ScanLine(0));
      },
      [&] {
        Scatter at;
        for (int i = 0; i < kMarksPerRun; ++i) {
          const TPoint p = at.Next();
          for (const Stamp::Pixel& px : stamps[size_t(i) % n].Pixels) rows[size_t(p.Y + px.Dy)][p.X + px.Dx] = px.Value;
        }
        benchmark::ClobberMemory();
      });
  state.counters["marks/s"] = benchmark::Counter(double(state.iterations()) * kMarksPerRun, benchmark::Counter::kIsRate);
}

// One benchmark per family, registered from the table.
const bool kRegistered = [] {
  for (const Family& f : kFamilies)
    benchmark::RegisterBenchmark((std::string("BM_Marks/") + f.Name).c_str(), BM_Marks, f)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
  return true;
}();

}  // namespace
