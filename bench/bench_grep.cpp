// TGrep::MatchString beside PCRE2's pcre2_match (the interpreter, 16-bit code units, no JIT) on the same
// 2^20-character text: lower-case words and blanks, the only digits and the word "endmark" at its very end,
// so every search walks the whole text. Each benchmark reports
//   qelta_ms, pcre2_ms  milliseconds per search,
//   qelta_MBps          million characters searched per second by MatchString,
//   ratio               qelta_ms / pcre2_ms.
// Both sides must find the same start position, or the benchmark stops with an error.

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>

#include "Qelta_stringl.h"

namespace {

using qelta::String;

constexpr std::size_t kTextLength = std::size_t{1} << 20;
constexpr int kRepeats = 20;

const String& Text() {
  static const String text = [] {
    std::mt19937 gen(5807);
    std::uniform_int_distribution<int> letter(0, 25), word(2, 9);
    const String tail = u" begin? no: 2024 endmark";
    String t = u"begin ";
    while (t.size() + tail.size() < kTextLength) {
      for (int i = word(gen); i > 0; --i) t.push_back(static_cast<char16_t>(u'a' + letter(gen)));
      t.push_back(u' ');
    }
    t.resize(kTextLength - tail.size(), u' ');
    return t + tail;
  }();
  return text;
}

template <typename F>
double MsPerSearch(F search) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRepeats; ++i) search();
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kRepeats;
}

void Compare(benchmark::State& state, const char16_t* expression) {
  const String& text = Text();
  qelta::TGrep grep(nullptr);
  grep.SetRegExp(expression);
  int qeltaPos = 0;

  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression), PCRE2_ZERO_TERMINATED, 0, &error, &offset,
                                 nullptr);
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(re, nullptr);
  const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  int pcrePos = -1;

  double q = 0, p = 0;
  for (auto _ : state) {
    q += MsPerSearch([&] { benchmark::DoNotOptimize(grep.MatchString(text, qeltaPos)); });
    p += MsPerSearch([&] {
      const int rc = pcre2_match(re, subject, text.size(), 0, 0, match, nullptr);
      pcrePos = rc > 0 ? static_cast<int>(pcre2_get_ovector_pointer(match)[0]) + 1 : 0;
    });
  }
  pcre2_match_data_free(match);
  pcre2_code_free(re);
  if (qeltaPos != pcrePos) state.SkipWithError("the two engines found different matches");
  const double n = static_cast<double>(state.iterations());
  state.counters["qelta_ms"] = q / n;
  state.counters["pcre2_ms"] = p / n;
  state.counters["qelta_MBps"] = static_cast<double>(text.size()) / 1e6 / (q / n / 1000.0);
  state.counters["ratio"] = q / p;
}

void BM_Literal(benchmark::State& state) { Compare(state, u"endmark"); }
void BM_Set(benchmark::State& state) { Compare(state, u"[0-9]+"); }
void BM_DotStar(benchmark::State& state) { Compare(state, u"begin.*endmark"); }

}  // namespace

BENCHMARK(BM_Literal)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Set)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DotStar)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
