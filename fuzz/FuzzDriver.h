#pragma once
// Shared by the fuzz targets: the libFuzzer entry point every target defines, and the allocation limit the
// fixed-seed driver enforces (a reader must never reserve more than its input can justify); a scratch file
// for the readers that take a file name.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace qelta::fuzz {

/// One scratch file per process under TMPDIR (or /tmp), removed at exit.
inline const std::string& ScratchFile() {
  static const std::string path = [] {
    const char* base = std::getenv("TMPDIR");
    std::string p = std::string(base && *base ? base : "/tmp") + "/qelta-fuzz-XXXXXX";
    const int fd = ::mkstemp(p.data());
    if (fd >= 0) ::close(fd);
    std::atexit([] { ::unlink(ScratchFile().c_str()); });
    return p;
  }();
  return path;
}

/// Replaces the scratch file's contents by the bytes.
inline void WriteScratchFile(const uint8_t* data, size_t size) {
  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace qelta::fuzz
