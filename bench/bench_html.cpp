// THtmlProducer::Convert of a 10^7-character template holding 10^5 placeholders "<#field n=i>", each replaced
// by a 6-character value through OnHTMLTag, beside a plain substitution loop on std::u16string that finds
// "<#" and '>' and appends the same value (no name, no parameters, no event); both sides in every
// iteration (bench/SideBySide.h), and both must give the same text.

#include <benchmark/benchmark.h>

#include <string>

#include "Encoding.h"
#include "Qelta_htmlsupport.h"
#include "SideBySide.h"

namespace {

using qelta::String;

constexpr int kPlaceholders = 100000;
constexpr std::size_t kChunk = 100;

const String& Template() {
  static const String text = [] {
    String t;
    t.reserve(kPlaceholders * kChunk);
    const String filler = u"<td class=\"cell\">Measured value of the sample, second run, channel A: </td>";
    for (int i = 0; i < kPlaceholders; ++i) {
      String chunk = u"<#field n=" + qelta::Utf8ToString(std::to_string(i % 1000)) + u">";
      chunk += filler.substr(0, kChunk - chunk.size());
      t += chunk;
    }
    return t;
  }();
  return text;
}

String PlainSubstitution(const String& in) {
  String out;
  out.reserve(in.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t at = in.find(u"<#", pos);
    if (at == String::npos) break;
    out.append(in, pos, at - pos);
    const std::size_t close = in.find(u'>', at);
    if (close == String::npos) {
      pos = in.size();
      break;
    }
    out += u"12.345";
    pos = close + 1;
  }
  out.append(in, pos, String::npos);
  return out;
}

void BM_Convert10MB(benchmark::State& state) {
  qelta::THtmlProducer producer(nullptr);
  producer.SetTemplate(Template());
  producer.OnHTMLTag = [](qelta::TObject*, const String&, const String&, String& r) { r = u"12.345"; };
  String plain;
  qelta::bench::RunSideBySide(
      state, [&] { benchmark::DoNotOptimize(producer.Convert()); }, [&] { plain = PlainSubstitution(Template()); });
  if (plain != producer.ConvertedHTML()) state.SkipWithError("the two conversions differ");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Template().size() * sizeof(char16_t)));
}

}  // namespace

BENCHMARK(BM_Convert10MB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
