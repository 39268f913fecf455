// ReadHeaderOfASC, stream and file form, on the same bytes: a code of 0 or 253..255, never a crash.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_filesys.h"

namespace {

// One scratch file per process, removed at exit.
const std::string& ScratchFile() {
  static const std::string path = [] {
    const char* base = std::getenv("TMPDIR");
    std::string p = std::string(base && *base ? base : "/tmp") + "/qelta-fuzz-asc-XXXXXX";
    const int fd = ::mkstemp(p.data());
    if (fd >= 0) ::close(fd);
    std::atexit([] { ::unlink(ScratchFile().c_str()); });
    return p;
  }();
  return path;
}

void Check(int code) {
  if (code != 0 && (code < 253 || code > 255)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qelta::String comment;
  int columns = 0, rows = 0;
  bool a = false, b = false, c = false, d = false;

  qelta::TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int64_t>(size));
  stream.SetPosition(0);
  Check(qelta::ReadHeaderOfASC(stream, comment, columns, rows, a, b, c, d));
  if (stream.Position() > stream.Size()) std::abort();

  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << bytes;
  try {
    Check(qelta::ReadHeaderOfASC(qelta::Utf8ToString(ScratchFile()), comment, columns, rows, a, b, c, d));
  } catch (const qelta::EInOutError&) {
  }
  return 0;
}
