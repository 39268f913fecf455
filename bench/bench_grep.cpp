// TGrep::MatchString beside PCRE2's pcre2_match (the interpreter, 16-bit code units, no JIT) on the same
// 2^20-character text: lower-case words and blanks, the only digits and the word "endmark" at its very end,
// so every search walks the whole text. Every iteration runs four searches with each (bench/SideBySide.h).
// Both sides must find the same start position, or the benchmark stops with an error.

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "Qelta_stringl.h"
#include "SideBySide.h"

namespace {

using qelta::String;

constexpr std::size_t kTextLength = std::size_t{1} << 20;
constexpr int kRepeats = 4;  // searches per side and iteration

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

  qelta::bench::SideBySide(
      state, kRepeats, [&](int) { benchmark::DoNotOptimize(grep.MatchString(text, qeltaPos)); },
      [&](int) {
        const int rc = pcre2_match(re, subject, text.size(), 0, 0, match, nullptr);
        pcrePos = rc > 0 ? static_cast<int>(pcre2_get_ovector_pointer(match)[0]) + 1 : 0;
      });
  pcre2_match_data_free(match);
  pcre2_code_free(re);
  if (qeltaPos != pcrePos) state.SkipWithError("the two engines found different matches");
  state.SetBytesProcessed(int64_t(state.iterations()) * kRepeats * int64_t(text.size() * sizeof(char16_t)));
}

void BM_Literal(benchmark::State& state) { Compare(state, u"endmark"); }
void BM_Set(benchmark::State& state) { Compare(state, u"[0-9]+"); }
void BM_DotStar(benchmark::State& state) { Compare(state, u"begin.*endmark"); }

}  // namespace

BENCHMARK(BM_Literal)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Set)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DotStar)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
