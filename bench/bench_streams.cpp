// Tag reading speed: ReadNextTagInStream over a generated 20 MB tag file, element by element, and over
// one element whose 20 MB content holds many '>' (the case that must stay linear), beside a plain loop
// pulling the same tags out of the same file (fread, std::string::find, the texts widened to UTF-16).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Encoding.h"
#include "Qelta_streams.h"
#include "SideBySide.h"

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

// The same pull of elements by a plain loop: the file read whole with fread, each tag found with
// std::string::find, its attributes and its content (up to the closing tag) widened to UTF-16 as ours
// answers them. Answers the number of tags.
int64_t PlainTags(const std::string& file) {
  std::string text;
  if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
    char block[1 << 16];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) text.append(block, n);
    std::fclose(f);
  }
  int64_t tags = 0;
  std::u16string attributes, content;
  for (std::size_t pos = 0; (pos = text.find('<', pos)) != std::string::npos;) {
    const std::size_t close = text.find('>', pos);
    if (close == std::string::npos) break;
    const std::string_view tag(text.data() + pos + 1, close - pos - 1);
    const std::size_t blank = std::min(tag.find(' '), tag.size());
    const std::string_view name = tag.substr(0, blank);
    attributes.assign(tag.begin() + static_cast<std::ptrdiff_t>(blank), tag.end());
    pos = close + 1;
    ++tags;
    if (name.empty() || name[0] == '?' || name[0] == '!' || name[0] == '/' || tag.back() == '/') continue;
    const std::string end = "</" + std::string(name) + ">";
    const std::size_t stop = text.find(end, pos);
    if (stop == std::string::npos) break;
    content.assign(text.begin() + static_cast<std::ptrdiff_t>(pos), text.begin() + static_cast<std::ptrdiff_t>(stop));
    pos = stop + end.size();
  }
  return tags;
}

void ReadAllTags(benchmark::State& state, const std::string& text) {
  const std::string file = TempFile(text);
  const std::vector<String> tags = {u"item", u"map", u"/map", u"*"};
  int64_t ours = 0, plain = 0;
  qelta::bench::RunSideBySide(
      state,
      [&] {
        TFileStream stream(Utf8ToString(file), fmOpenRead);
        const int64_t size = stream.Size();
        String attributes, content;
        for (ours = 0; stream.Position() < size; ++ours)
          benchmark::DoNotOptimize(ReadNextTagInStream(stream, tags, attributes, content));
      },
      [&] { plain = PlainTags(file); });
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["tags"] = static_cast<double>(ours);
  state.counters["tags_plain"] = static_cast<double>(plain);
  std::remove(file.c_str());
}

void BM_ReadNextTagInStream_ManyElements(benchmark::State& state) { ReadAllTags(state, ManyElements()); }
void BM_ReadNextTagInStream_OneLargeElement(benchmark::State& state) { ReadAllTags(state, OneLargeElement()); }

}  // namespace

BENCHMARK(BM_ReadNextTagInStream_ManyElements)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNextTagInStream_OneLargeElement)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
