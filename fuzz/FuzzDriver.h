#pragma once
// Shared by the fuzz targets: the libFuzzer entry point every target defines, the allocation limit the
// fixed-seed driver enforces (a reader must never reserve more than its input can justify), and a
// scratch file for the readers that take a file name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "Encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace qelta::fuzz {

/// Writes the input to a scratch file of this process in the working directory, named after the
/// target (kept between inputs and overwritten by the next one), and answers its name.
inline String ScratchFile(const char* target, const uint8_t* data, size_t size) {
  const std::string name = std::string("scratch-") + target + "-" + std::to_string(getpid()) + ".bin";
  if (FILE* f = std::fopen(name.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return Utf8ToString(name);
}

}  // namespace qelta::fuzz
