// The map's files beside the least a line reader does over the same file:
//   BM_ParseCalibration  ParseCalibData of a full calibration (25 lines of 10 points, 200
//                        calibration points) 10^4 times, beside a ReadLn pass over it as often.
//   BM_ReadLandMarks     LoadLandMarks of 10^4 and 10^5 landmarks, and
//   BM_ReadSymbols       TSymbolRepository::LoadFromFile of 10^4 and 10^5 symbols, each beside
//                        std::getline with every line widened into a std::u16string (bench/LineAnchor.h).
// Times are Qelta's; the counters hold the anchor's seconds and the ratio Qelta / anchor.
// Goal: the landmark and symbol rows within 2.5.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "Encoding.h"
#include "LineAnchor.h"
#include "Qelta_geomap.h"
#include "SideBySide.h"
#include "SysUtils.h"
#include "TextFiles.h"

using namespace qelta;
using qelta::bench::RunSideBySide;

namespace {

String TempName(const char* name) {
  const char* base = std::getenv("TMPDIR");
  return Utf8ToString(std::string(base && *base ? base : "/tmp") + "/" + name);
}

/// Every line of the file read and dropped.
void ReadLnPass(const String& FileName) {
  TextFile f;
  AssignFile(f, FileName);
  Reset(f);
  String line;
  while (!Eof(f)) ReadLn(f, line);
  CloseFile(f);
}

String FullCalibrationFile() {
  TCalibData cal;
  cal.Caption = u"Benchmark";
  cal.NumCalLines = MaxCalLines;
  for (int k = 0; k < MaxCalLines; ++k) {
    TCalibLine& line = cal.CalLines[k];
    line = TCalibLine{k % 2 ? gtlParallel : gtlMeridian, 47 + k * 0.125, MaxCalLinePoints, {}};
    for (int j = 0; j < MaxCalLinePoints; ++j) line.CalPoints[j] = TPoint{100 * j + k, 37 * k + j};
  }
  cal.NumCalQuads = MaxCalQuads;
  for (int k = 0; k < MaxCalQuads; ++k) cal.CalQuads[k] = TCalQuad{47 + k * 0.01, 9 + k * 0.02, 10 * k, 2000 - 7 * k};
  const String name = TempName("qelta-bench-calibration.xml");
  TextFile f;
  AssignFile(f, name);
  Rewrite(f);
  WriteRawCalDataToOpenXMLFile(f, true, u"bench", cal, cmBiquadraticPn);
  CloseFile(f);
  return name;
}

void BM_ParseCalibration(benchmark::State& state) {
  static const String file = FullCalibrationFile();
  TCalibData cal;
  TCalibModel model = cmUndefined;
  RunSideBySide(
      state,
      [&] {
        for (int i = 0; i < 10000; ++i) ParseCalibData(file, u"", cal, model);
      },
      [&] {
        for (int i = 0; i < 10000; ++i) ReadLnPass(file);
      });
  if (cal.NumCalQuads != MaxCalQuads || cal.NumCalLines != MaxCalLines) state.SkipWithError("calibration not read");
}
BENCHMARK(BM_ParseCalibration)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

String LandMarkFile(int n) {
  TGeoMap map(nullptr);
  map.SetSuppressPaint(true);
  for (int k = 0; k < n; ++k)
    map.AddLandMark(47 + k * 1e-5, 9 + k * 2e-5, k % 3000, "P" + std::to_string(k), 45000 + k * 0.001,
                    u"Peak " + IntToStr(k), 8, clBlack);
  const String name = TempName(("qelta-bench-landmarks-" + std::to_string(n) + ".xml").c_str());
  map.SaveLandmarks(name, u"bench");
  return name;
}

void BM_ReadLandMarks(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  static std::map<int, String> files;  // written once per size
  if (!files.count(n)) files[n] = LandMarkFile(n);
  const String& file = files[n];
  const std::string path = StringToUtf8(file);
  TGeoMap map(nullptr);
  map.SetSuppressPaint(true);
  RunSideBySide(
      state, [&] { map.LoadLandMarks(file, u""); }, [&] { bench::GetlineWidenPass(path); });
  if (map.NumLandMarks() != n) state.SkipWithError("landmarks not read");
}
BENCHMARK(BM_ReadLandMarks)->Arg(10000)->Arg(100000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

String SymbolFile(int n) {
  TSymbolRepository rep(nullptr);
  rep.SetNEntries(n);
  for (int k = 1; k <= n; ++k) {
    TSymbol s;
    s.Properties.Kind = static_cast<TLandMarkElement>(k % (lmUserDef + 1));
    s.Properties.Size = k % 20;
    s.Name = "Symbol " + std::to_string(k);
    s.Category = k % 7;
    rep.SetValues(k, s);
  }
  const String name = TempName(("qelta-bench-symbols-" + std::to_string(n) + ".xml").c_str());
  rep.StoreOnFile(name, u"bench");
  return name;
}

void BM_ReadSymbols(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  static std::map<int, String> files;  // written once per size
  if (!files.count(n)) files[n] = SymbolFile(n);
  const String& file = files[n];
  const std::string path = StringToUtf8(file);
  TSymbolRepository rep(nullptr);
  RunSideBySide(
      state, [&] { rep.LoadFromFile(file, u""); }, [&] { bench::GetlineWidenPass(path); });
  if (rep.NumEntries() != n) state.SkipWithError("symbols not read");
}
BENCHMARK(BM_ReadSymbols)->Arg(10000)->Arg(100000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
