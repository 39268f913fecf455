// Numbers read from a text file (Read of an integer and of a double): each read answers a number
// or raises EInOutError 106; reading goes on to the end of the file.
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "TextFiles.h"

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
  return 0;
}
