// Fixed-seed mutation driver for the fuzz targets (the libFuzzer build replaces it).
//
//   fuzz_<name> <corpus dir> [iterations] [seed]
//
// Runs every seed file once as it is, then `iterations` mutants: each picks a seed (or splices two) and applies
// one to eight edits (bit flips, random and boundary bytes, inserted numbers and line ends, deleted, repeated or
// truncated ranges). A heavy seed, one whose allowance (a large image it declares) is more than its usual bound,
// is picked 256 times less often than the others, since each of its mutants decodes that image again. A large
// seed (over 64 KiB: a file that shows a reader's heap on a big input) is run once as it is and is neither
// mutated nor spliced, as its mutants would be as slow as itself. The run is the same on every machine for a
// given seed, so a failure in CI repeats locally.
// A failing input is written to crash-<pid>.bin in the working directory and printed in hex.
//
// Besides the sanitizers, the driver watches two things a reader must never do with a hostile file:
// - hold more heap than its input can justify: at most QELTA_FUZZ_PEAK_PER_BYTE bytes per input byte plus
//   QELTA_FUZZ_PEAK_BASE_MB MiB at once, counted over every block (HeapPeak.h) from the input's start, plus
//   what the target allows for the input (AllowHeap: the pixels of the size an image's checked header
//   declares); the allocation that would pass the bound ends the run;
// - take longer than 20 seconds on one input (an alarm).
// At the end it prints the highest share of the bound an input took and the highest ratio of peak heap to
// input size.
#include "FuzzDriver.h"

#include <execinfo.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "HeapPeak.h"

#ifndef QELTA_FUZZ_PEAK_PER_BYTE
#define QELTA_FUZZ_PEAK_PER_BYTE 100
#endif
#ifndef QELTA_FUZZ_PEAK_BASE_MB
#define QELTA_FUZZ_PEAK_BASE_MB 8
#endif

extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

constexpr int64_t kPeakPerByte = QELTA_FUZZ_PEAK_PER_BYTE;
constexpr int64_t kPeakBase = int64_t{QELTA_FUZZ_PEAK_BASE_MB} << 20;
constexpr unsigned kSecondsPerInput = 20;

const uint8_t* gInput = nullptr;
std::size_t gInputSize = 0;

// Called from signal handlers and the sanitizer's death callback: the process is ending anyway.
void DumpInput() {
  if (!gInput) return;
  char name[64];
  std::snprintf(name, sizeof name, "crash-%d.bin", int(getpid()));
  if (FILE* f = std::fopen(name, "wb")) {
    std::fwrite(gInput, 1, gInputSize, f);
    std::fclose(f);
  }
  std::fprintf(stderr, "\nfuzz: failing input (%zu bytes) written to %s:\n", gInputSize, name);
  for (std::size_t i = 0; i < gInputSize && i < 4096; ++i) std::fprintf(stderr, "%02x%s", gInput[i], (i % 32 == 31) ? "\n" : "");
  std::fprintf(stderr, "\n");
}

void OnSignal(int sig) {
  std::fprintf(stderr, "\nfuzz: %s\n", sig == SIGALRM ? "one input took too long (hang)" : strsignal(sig));
  DumpInput();
  std::signal(sig, SIG_DFL);
  std::raise(sig == SIGALRM ? SIGABRT : sig);
}

// Small deterministic generator (splitmix64), independent of the library's own Random.
struct Rng {
  uint64_t s;
  uint64_t Next() {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return n ? std::size_t(Next() % n) : 0; }
};

const char* const kTokens[] = {"0",  "-1", "4294967296", "2147483647", "-2147483648", "99999999999999999999",
                               "1e308", "1e-400", "NaN", "\r\n", "\n", "\r", "\t", " ", "<", ">", "/>", "\"",
                               "&", ";", ",", ".", "$", "%", "\\", "/"};
const uint8_t kBytes[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFE, 0x20, 0x0A, 0x0D};

void Mutate(std::vector<uint8_t>& d, const std::vector<std::vector<uint8_t>>& seeds, Rng& r) {
  switch (r.Below(10)) {
    case 0:
      if (!d.empty()) d[r.Below(d.size())] ^= uint8_t(1u << r.Below(8));
      break;
    case 1:
      if (!d.empty()) d[r.Below(d.size())] = uint8_t(r.Next());
      break;
    case 2:
      if (!d.empty()) d[r.Below(d.size())] = kBytes[r.Below(sizeof kBytes)];
      break;
    case 3: {  // a little-endian boundary value of 2 or 4 bytes
      static const uint32_t kWords[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0x10000000};
      uint32_t w = kWords[r.Below(sizeof kWords / sizeof kWords[0])];
      std::size_t n = r.Below(2) ? 2 : 4;
      if (d.size() < n) break;
      std::size_t at = r.Below(d.size() - n + 1);
      for (std::size_t i = 0; i < n; ++i) d[at + i] = uint8_t(w >> (8 * i));
      break;
    }
    case 4: {
      const char* t = kTokens[r.Below(sizeof kTokens / sizeof kTokens[0])];
      d.insert(d.begin() + std::ptrdiff_t(r.Below(d.size() + 1)), t, t + std::strlen(t));
      break;
    }
    case 5:
      if (!d.empty()) {
        std::size_t at = r.Below(d.size()), n = 1 + r.Below(std::min<std::size_t>(16, d.size() - at));
        d.erase(d.begin() + std::ptrdiff_t(at), d.begin() + std::ptrdiff_t(at + n));
      }
      break;
    case 6:
      if (!d.empty()) {  // repeat a range
        std::size_t at = r.Below(d.size()), n = 1 + r.Below(std::min<std::size_t>(64, d.size() - at));
        std::vector<uint8_t> piece(d.begin() + std::ptrdiff_t(at), d.begin() + std::ptrdiff_t(at + n));
        d.insert(d.begin() + std::ptrdiff_t(r.Below(d.size() + 1)), piece.begin(), piece.end());
      }
      break;
    case 7:
      d.resize(r.Below(d.size() + 1));
      break;
    case 8: {  // splice another seed
      const auto& o = seeds[r.Below(seeds.size())];
      if (o.empty()) break;
      std::size_t from = r.Below(o.size());
      d.resize(r.Below(d.size() + 1));
      d.insert(d.end(), o.begin() + std::ptrdiff_t(from), o.end());
      break;
    }
    default:
      d.insert(d.begin() + std::ptrdiff_t(r.Below(d.size() + 1)), uint8_t(r.Next()));
      break;
  }
}

int64_t gHeapBase = 0;
int64_t gAllowance = 0;  // what the target allowed for the input being run (AllowHeap)

// The heap an input may hold at once.
int64_t PeakBound(std::size_t size) { return kPeakPerByte * static_cast<int64_t>(size) + kPeakBase + gAllowance; }

// Called by the heap counter when an allocation would pass the input's bound; SIGABRT dumps the input.
void OnHeapBound(std::size_t request) {
  std::fprintf(stderr,
               "\nfuzz: an input of %zu bytes asks for %zu bytes more while holding %lld: above its bound of "
               "%lld bytes (%lld per byte + %d MiB + %lld allowed for what it declares)\n",
               gInputSize, request, static_cast<long long>(qelta::test::HeapLive() - gHeapBase),
               static_cast<long long>(PeakBound(gInputSize)), static_cast<long long>(kPeakPerByte),
               int(QELTA_FUZZ_PEAK_BASE_MB), static_cast<long long>(gAllowance));
  void* frames[48];
  std::fprintf(stderr, "fuzz: the allocation was made at:\n");
  backtrace_symbols_fd(frames, backtrace(frames, 48), 2);
  std::abort();
}

// The worst input seen by one measure: the measure, its peak and its size.
struct TWorst {
  double Value = 0;
  int64_t Peak = 0;
  std::size_t Size = 0;
  void Note(double value, int64_t peak, std::size_t size) {
    if (value > Value) std::tie(Value, Peak, Size) = std::tuple(value, peak, size);
  }
};

// The worst inputs seen: by share of the bound, by peak per input byte, and by peak per byte among the
// inputs of 1 KiB or more (where the fixed costs of a run no longer dominate).
struct TPeakRecord {
  TWorst Share, Ratio, LargeRatio;

  void Note(std::size_t size, int64_t peak) {
    const double ratio = static_cast<double>(peak) / static_cast<double>(size ? size : 1);
    Share.Note(static_cast<double>(peak) / static_cast<double>(PeakBound(size)), peak, size);
    Ratio.Note(ratio, peak, size);
    if (size >= 1024) LargeRatio.Note(ratio, peak, size);
  }
  void Print() const {
    std::printf("fuzz: heap peak at most %.1f%% of the bound (%lld bytes for an input of %zu); worst peak / size %.1f "
                "(%lld bytes for %zu), from 1 KiB on %.1f (%lld bytes for %zu)\n",
                100 * Share.Value, static_cast<long long>(Share.Peak), Share.Size, Ratio.Value,
                static_cast<long long>(Ratio.Peak), Ratio.Size, LargeRatio.Value, static_cast<long long>(LargeRatio.Peak),
                LargeRatio.Size);
  }
};

TPeakRecord gPeaks;

// The limit of the input being run, from what it holds now to its bound.
void SetHeapLimit() {
  qelta::test::HeapLimit(PeakBound(gInputSize) - (qelta::test::HeapLive() - gHeapBase), OnHeapBound);
}

void AllowHeap(int64_t bytes) {
  gAllowance += bytes;
  SetHeapLimit();
}

// Runs the input; answers whether it is heavy: allowed more heap for what it declares than its usual bound.
bool RunOne(const std::vector<uint8_t>& d) {
  gInput = d.data();
  gInputSize = d.size();
  gAllowance = 0;
  gHeapBase = qelta::test::HeapLive();
  qelta::test::HeapPeakReset();
  SetHeapLimit();
  alarm(kSecondsPerInput);
  LLVMFuzzerTestOneInput(d.data(), d.size());
  alarm(0);
  qelta::test::HeapLimit(-1, nullptr);
  gPeaks.Note(d.size(), qelta::test::HeapPeakBytes() - gHeapBase);
  gInput = nullptr;
  const int64_t allowance = gAllowance;
  gAllowance = 0;
  return allowance > PeakBound(d.size());
}

// The seeds mutants start from: each seed once in the table, or 256 times when some seed is heavy and this one
// is not. Without heavy seeds the picks are those of a plain uniform choice.
std::vector<std::size_t> SeedTable(const std::vector<bool>& heavy) {
  constexpr std::size_t kLightShare = 256;
  const bool any = std::find(heavy.begin(), heavy.end(), true) != heavy.end();
  std::vector<std::size_t> table;
  for (std::size_t i = 0; i < heavy.size(); ++i) table.insert(table.end(), any && !heavy[i] ? kLightShare : 1, i);
  return table;
}

std::vector<std::vector<uint8_t>> LoadSeeds(const char* dir) {
  std::vector<std::filesystem::path> paths;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    if (e.is_regular_file()) paths.push_back(e.path());
  std::sort(paths.begin(), paths.end());
  std::vector<std::vector<uint8_t>> seeds;
  for (const auto& p : paths) {
    std::ifstream in(p, std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (seeds.empty()) seeds.emplace_back();
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <corpus dir> [iterations] [seed]\n", argv[0]);
    return 2;
  }
  long iterations = argc > 2 ? std::atol(argv[2]) : 20000;
  Rng rng{argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 5807};
  for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL, SIGALRM}) std::signal(sig, OnSignal);
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(DumpInput);
  qelta::fuzz::detail::gAllowHeap = AllowHeap;

  constexpr std::size_t kLargeSeed = 64 << 10;
  std::vector<std::vector<uint8_t>> parents;  // the seeds mutants start from and splice in
  std::vector<bool> heavy;
  const auto seeds = LoadSeeds(argv[1]);
  for (const auto& s : seeds) {
    const bool isHeavy = RunOne(s);
    if (s.size() > kLargeSeed) continue;
    parents.push_back(s);
    heavy.push_back(isHeavy);
  }
  const std::vector<std::size_t> table = SeedTable(heavy);
  for (long i = 0; i < iterations && !parents.empty(); ++i) {
    std::vector<uint8_t> d = parents[table[rng.Below(table.size())]];
    for (std::size_t k = 1 + rng.Below(8); k > 0; --k) Mutate(d, parents, rng);
    if (d.size() > (1u << 20)) d.resize(1u << 20);
    RunOne(d);
  }
  std::printf("fuzz: %zu seeds, %zu of them mutated, and %ld mutants, no failure\n", seeds.size(), parents.size(),
              parents.empty() ? 0 : iterations);
  gPeaks.Print();
  return 0;
}
