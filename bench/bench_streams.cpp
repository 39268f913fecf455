// Tag reading speed: ReadNextTagInStream over a generated 20 MB tag file, element by element, and over
// one element whose 20 MB content holds many '>' (the case that must stay linear).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Encoding.h"
#include "Qelta_streams.h"

using namespace qelta;

namespace {

constexpr std::size_t kSize = 20u << 20;

std::string ManyElements() {
  std::string text = "<?xml version=\"1.0\"?>\r\n<!-- generated -->\r\n";
  for (int i = 0; text.size() < kSize; ++i)
    text += "<item name=\"p" + std::to_string(i) + "\" x=\"1.5\">text " + std::to_string(i) + "</item>\r\n";
  return text;
}

std::string OneLargeElement() {
  std::string text = "<map>";
  for (int i = 0; text.size() < kSize; ++i) text += "<v>" + std::to_string(i) + "</v>";
  return text + "</map>";
}

// Writes the text to a temporary file and answers its name; the file is removed by the caller.
std::string TempFile(const std::string& text) {
  const char* base = std::getenv("TMPDIR");
  std::string name = std::string(base && *base ? base : "/tmp") + "/qelta-bench-XXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd >= 0) {
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) name.clear();
    ::close(fd);
  }
  return name;
}

void ReadAllTags(benchmark::State& state, const std::string& text) {
  const std::string file = TempFile(text);
  const std::vector<String> tags = {u"item", u"map", u"/map", u"*"};
  int64_t elements = 0;
  for (auto _ : state) {
    TFileStream stream(Utf8ToString(file), fmOpenRead);
    const int64_t size = stream.Size();
    String attributes, content;
    while (stream.Position() < size) {
      benchmark::DoNotOptimize(ReadNextTagInStream(stream, tags, attributes, content));
      ++elements;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["tags"] = benchmark::Counter(static_cast<double>(elements), benchmark::Counter::kAvgIterations);
  std::remove(file.c_str());
}

void BM_ReadNextTagInStream_ManyElements(benchmark::State& state) { ReadAllTags(state, ManyElements()); }
void BM_ReadNextTagInStream_OneLargeElement(benchmark::State& state) { ReadAllTags(state, OneLargeElement()); }

}  // namespace

BENCHMARK(BM_ReadNextTagInStream_ManyElements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNextTagInStream_OneLargeElement)->Unit(benchmark::kMillisecond);
