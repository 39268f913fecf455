#pragma once
// The plain line reader that the text-file readers are measured against: std::ifstream and std::getline,
// the CR of a CR LF cut, each line widened into a std::u16string through a 256-entry Windows-1252 table
// (the 0x80-0x9F block included, so the anchor converts the bytes as the text file does). The line's
// storage is kept from line to line, as a reader of many lines keeps its String.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>

#include "Encoding.h"

namespace qelta::bench {

/// The characters of the 256 Windows-1252 bytes.
inline const std::array<char16_t, 256>& Windows1252Table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[static_cast<std::size_t>(b)] = qelta::AnsiCharToChar(static_cast<unsigned char>(b));
    return t;
  }();
  return table;
}

/// Every line of the file read by getline and widened; answers the number of lines.
inline int64_t GetlineWidenPass(const std::string& path) {
  const std::array<char16_t, 256>& table = Windows1252Table();
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::u16string wide;
  int64_t lines = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    wide.resize(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) wide[i] = table[static_cast<unsigned char>(line[i])];
    benchmark::DoNotOptimize(wide.data());
    ++lines;
  }
  return lines;
}

}  // namespace qelta::bench
