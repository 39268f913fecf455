// Numbers and lines read from a text file (Read of an integer and of a double, ReadLn): each number read
// answers a number or raises EInOutError 106, and reading goes on to the end of the file; the lines read
// in blocks are those read byte by byte (CR LF, LF or a lone CR ending each).
#include <cstdlib>
#include <vector>

#include "DirectPaths.h"
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "TextFiles.h"

namespace {

std::vector<qelta::String> AllLines(const qelta::String& file, bool direct) {
  const bool saved = qelta::platform_detail::SetDirectPaths(direct);
  qelta::TextFile f;
  qelta::AssignFile(f, file);
  qelta::Reset(f);
  std::vector<qelta::String> lines;
  for (qelta::String s; !qelta::Eof(f);) {
    qelta::ReadLn(f, s);
    lines.push_back(s);
  }
  qelta::CloseFile(f);
  qelta::platform_detail::SetDirectPaths(saved);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  for (int kind = 0; kind < 2; ++kind) {
    qelta::TextFile f;
    qelta::AssignFile(f, file);
    qelta::Reset(f);
    for (size_t n = 0; !qelta::Eof(f) && n <= size + 1; ++n) {
      try {
        int i = 0;
        double d = 0;
        if (kind == 0) qelta::Read(f, i);
        else qelta::Read(f, d);
      } catch (const qelta::EInOutError&) {
        qelta::ReadLn(f);  // skip the line that held no number
      }
    }
    qelta::CloseFile(f);
  }
  if (AllLines(file, true) != AllLines(file, false)) std::abort();
  return 0;
}
