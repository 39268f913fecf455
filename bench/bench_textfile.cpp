// The text file's ReadLn beside std::ifstream + std::getline with each line widened into a std::u16string
// (bench/LineAnchor.h: a 256-entry Windows-1252 table), over the same 44 MB file of 500,000 lines in the
// temporary folder: Windows-1252 text (about one byte in 40 from 0x80-0xFF) with CR LF line ends, lines of
// 0 to 171 characters. One pass of each per iteration (bench/SideBySide.h), the page cache warm.
// Goal: a ratio within 1.3.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Encoding.h"
#include "LineAnchor.h"
#include "SideBySide.h"
#include "TextFiles.h"

using namespace qelta;

namespace {

constexpr int kLines = 500000;

/// Line k of the file: its length and its bytes follow from k alone, so every run reads the same file.
std::string LineOf(int k, uint32_t& seed) {
  std::string line(static_cast<std::size_t>(k * 37 % 172), ' ');
  for (char& c : line) {
    seed = seed * 134775813u + 1;
    const uint32_t r = seed >> 24;
    c = r < 6 ? static_cast<char>(0x80 + (seed >> 8) % 128) : r < 40 ? ' ' : static_cast<char>('a' + r % 26);
  }
  return line;
}

std::string TextFileOnDisk() {
  const char* base = std::getenv("TMPDIR");
  const std::string path = std::string(base && *base ? base : "/tmp") + "/qelta-bench-readln.txt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return std::string();
  uint32_t seed = 1;
  for (int k = 0; k < kLines; ++k) {
    const std::string line = LineOf(k, seed) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), f);
  }
  std::fclose(f);
  return path;
}

int64_t ReadLnPass(const String& name) {
  TextFile f;
  AssignFile(f, name);
  Reset(f);
  String line;
  int64_t lines = 0;
  for (; !Eof(f); ++lines) {
    ReadLn(f, line);
    benchmark::DoNotOptimize(line.data());
  }
  CloseFile(f);
  return lines;
}

void BM_ReadLn(benchmark::State& state) {
  static const std::string path = TextFileOnDisk();
  const String name = Utf8ToString(path);
  int64_t ours = 0, plain = 0;
  bench::RunSideBySide(
      state, [&] { ours = ReadLnPass(name); }, [&] { plain = bench::GetlineWidenPass(path); });
  if (ours != kLines || plain != kLines) state.SkipWithError("lines not read");
}
BENCHMARK(BM_ReadLn)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
