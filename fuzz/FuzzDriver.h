#pragma once
// Shared by the fuzz targets: the libFuzzer entry point every target defines, and the allocation limit the
// fixed-seed driver enforces (a reader must never reserve more than its input can justify).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace qelta::fuzz {

/// A file of the input's bytes in the temporary folder (one per target and process), removed at the end.
struct TInputFile {
  std::string Path;
  TInputFile(const char* tag, const uint8_t* data, size_t size) {
    const char* base = std::getenv("TMPDIR");
    Path = std::string(base && *base ? base : "/tmp") + "/qelta-fuzz-" + tag + "-" + std::to_string(getpid());
    if (FILE* f = std::fopen(Path.c_str(), "wb")) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
  }
  ~TInputFile() { std::remove(Path.c_str()); }
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;
};

}  // namespace qelta::fuzz
