// The map's picture with everything over the image:
//   BM_FrameVsImage     one frame of a 1000 x 800 control (magnification 0.5, from the image cache)
//                       with the graticule every 0.1 degrees and 30,000 captioned landmarks in view
//                       (threshold 20,000, so about 20,000 drawn) beside the same frame of the image
//                       alone (the map without landmarks and graticule). Goal: under 50 ms a frame.
//   BM_FrameVsSymbols   the same frame beside 20,000 of the same symbols and captions drawn straight
//                       onto a bitmap with DrawLandMarkSymbolOnCanvas and TextOut (no map).
// Times are Qelta's; the counters hold the anchor's seconds and the ratio Qelta / anchor.

#include <benchmark/benchmark.h>

#include <memory>

#include "Encoding.h"
#include "Qelta_geomap.h"
#include "Random.h"
#include "SideBySide.h"

using namespace qelta;
using qelta::bench::RunSideBySide;

namespace {

class TBenchMap : public TGeoMap {
 public:
  TBenchMap() : TGeoMap(nullptr) { SetBounds(0, 0, 1000, 800); }
  using TGeoMap::ConstructInternalMapImg;
};

/// A 2000 x 1500 image covering 50..48 N, 10..12 E (cmEquiRect).
void Calibrate(TBenchMap& map) {
  auto image = std::make_unique<TBitmap>(2000, 1500);
  TCanvas* c = image->Canvas();
  for (int y = 0; y < 1500; y += 10) {
    c->Brush()->SetColor(RGB(y % 256, (y / 6) % 256, 128));
    c->FillRect(Rect(0, y, 2000, y + 10));
  }
  map.SetSuppressPaint(true);
  map.SetMapBitMap(image.get());
  TCalibData cal = map.CalibData();
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {50, 10, 0, 0};
  cal.CalQuads[1] = {50, 12, 2000, 0};
  cal.CalQuads[2] = {48, 10, 0, 1500};
  map.SetCalibData(cal);
  map.SetCalibModel(cmEquiRect);
  map.SetMagnification(0.5);
}

TLandMark Mark(int i) {
  TLandMark lm = DefaultLandMark();
  lm.Latitude = 48.01 + (i % 200) * 0.0099;
  lm.Longitude = 10.01 + (i / 200) * 0.0132;
  lm.SymbolProps.Kind = static_cast<TLandMarkElement>(i % 8);
  lm.Caption.Text = "LM" + std::to_string(i);
  lm.Caption.FontName = u"DejaVu Sans";
  return lm;
}

void FullMap(TBenchMap& map) {
  Calibrate(map);
  for (int i = 0; i < 30000; ++i) {
    map.AddLandMark(0, 0, 0);
    map.SetLandMarkData(i + 1, Mark(i));
  }
  map.SetGratLineDist(0.1);
  map.SetShowGrat(sgLines);
  map.SetSuppressPaint(false);
  map.ConstructInternalMapImg();  // the cache
}

void BM_FrameVsImage(benchmark::State& state) {
  TBenchMap full, plain;
  FullMap(full);
  Calibrate(plain);
  plain.SetSuppressPaint(false);
  plain.ConstructInternalMapImg();
  RandSeed = 5807;
  RunSideBySide(state, [&] { full.ConstructInternalMapImg(); }, [&] { plain.ConstructInternalMapImg(); });
}
BENCHMARK(BM_FrameVsImage)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_FrameVsSymbols(benchmark::State& state) {
  TBenchMap full;
  FullMap(full);
  TBitmap target(1000, 800);
  TCanvas* c = target.Canvas();
  std::vector<TLandMark> marks;
  for (int i = 0; i < 20000; ++i) marks.push_back(Mark(i));
  const auto straight = [&] {
    for (size_t i = 0; i < marks.size(); ++i) {
      const TLandMark& lm = marks[i];
      const int x = int(i % 200) * 5, y = int(i / 200) * 8;
      const TSymbolProperties& s = lm.SymbolProps;
      DrawLandMarkSymbolOnCanvas(c, x, y, s.Kind, s.FGColor, s.BGColor, s.Size, s.Direction, s.Length,
                                 s.Transparent);
      c->Brush()->SetStyle(bsClear);
      c->Font()->SetName(lm.Caption.FontName);
      c->Font()->SetSize(lm.Caption.Size);
      const String text = AnsiToString(lm.Caption.Text);
      c->TextOut(x - c->TextWidth(text) / 2, y + 8, text);
    }
  };
  RandSeed = 5807;
  RunSideBySide(state, [&] { full.ConstructInternalMapImg(); }, straight);
}
BENCHMARK(BM_FrameVsSymbols)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
