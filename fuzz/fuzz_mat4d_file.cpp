// The binary file of TMat4D (ReadBinaryHeader, LoadBinary by time-slot ranges, AppendToBinaryFile)
// through a temporary file: any bytes either load or raise EInOutError / EQeltaMatrixError, and a
// header never makes the reader reserve more than the records in the file.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Encoding.h"
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_matrix.h"

namespace {

// A file of the input's bytes in the temporary folder, removed at the end.
struct TInputFile {
  std::string Path;
  TInputFile(const uint8_t* data, size_t size) {
    const char* base = std::getenv("TMPDIR");
    Path = std::string(base && *base ? base : "/tmp") + "/qelta-fuzz-m4d-" + std::to_string(getpid());
    if (FILE* f = std::fopen(Path.c_str(), "wb")) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
  }
  ~TInputFile() { std::remove(Path.c_str()); }
  qelta::String Name() const { return qelta::Utf8ToString(Path); }
};

template <typename Fn>
void Try(Fn&& fn) {
  try {
    fn();
  } catch (const qelta::Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TInputFile file(data, size);
  qelta::TMat4D m(nullptr);
  int nx = 0, ny = 0, nz = 0, nt = 0;
  qelta::String id;
  bool small = false;
  Try([&] { small = m.ReadBinaryHeader(file.Name(), nx, ny, nz, nt, id) && int64_t{nx} * ny * nz <= 4096; });
  Try([&] { m.LoadBinary(file.Name(), 2, 3); });
  Try([&] { m.LoadBinary(file.Name(), 0, 0); });
  if (small) {  // an array of the file's shape appends to it
    Try([&] { m.Resize(nx, ny, nz, 2); });
    Try([&] { m.AppendToBinaryFile(file.Name(), 1, 2); });
    Try([&] { m.LoadBinary(file.Name(), 0, 0); });
  }
  return 0;
}
