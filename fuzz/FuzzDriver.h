#pragma once
// Shared by the fuzz targets: the libFuzzer entry point every target defines, a scratch file for the
// readers that take a file name, and an allowance of heap for what an input declares. (The fixed-seed
// driver, FuzzDriver.cpp, also bounds each input's heap: a reader must never reserve more than its
// input can justify.)
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace qelta::fuzz {

namespace detail {
// Set by the fixed-seed driver to raise the bound of the input being run; unset under libFuzzer.
inline void (*gAllowHeap)(int64_t bytes) = nullptr;

// The scratch file of this process, made once under TMPDIR (or /tmp) and removed at exit. A plain
// array: the exit handler runs after static strings are gone.
inline const char* ScratchPath() {
  static char path[4096] = "";
  if (!path[0]) {
    const char* base = std::getenv("TMPDIR");
    std::snprintf(path, sizeof path, "%s/qelta-fuzz-XXXXXX", base && *base ? base : "/tmp");
    const int fd = ::mkstemp(path);
    if (fd >= 0) ::close(fd);
    std::atexit([] { ::unlink(ScratchPath()); });
  }
  return path;
}
}  // namespace detail

/// Lets the input being run hold `bytes` more heap than its bound: what a reader of this input needs
/// by what the input declares and the reader has checked, such as the decoded pixels of the size an
/// image's header gives. The fixed-seed driver raises the input's bound; under libFuzzer it does nothing.
inline void AllowHeap(int64_t bytes) {
  if (detail::gAllowHeap != nullptr && bytes > 0) detail::gAllowHeap(bytes);
}

/// The scratch file's name.
inline std::string ScratchFile() { return detail::ScratchPath(); }

/// Replaces the scratch file's contents by the bytes.
inline void WriteScratchFile(const uint8_t* data, size_t size) {
  if (FILE* f = std::fopen(detail::ScratchPath(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}

/// Writes the bytes to the scratch file and answers its name as the library takes it.
inline String ScratchFileWith(const uint8_t* data, size_t size) {
  WriteScratchFile(data, size);
  return Utf8ToString(detail::ScratchPath());
}

}  // namespace qelta::fuzz
