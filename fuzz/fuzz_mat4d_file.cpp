// The binary file of TMat4D (ReadBinaryHeader, LoadBinary by time-slot ranges, AppendToBinaryFile)
// through a temporary file: any bytes either load or raise EInOutError / EQeltaMatrixError, and a
// header never makes the reader reserve more than the records in the file.
#include "Encoding.h"
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_matrix.h"

namespace {

template <typename Fn>
void Try(Fn&& fn) {
  try {
    fn();
  } catch (const qelta::Exception&) {
  }
}

// At most 4096 cells in a layer stack of the header's shape. Each count is bounded before the product: three
// counts near 2^31 overflow even a 64-bit product.
bool SmallShape(int nx, int ny, int nz) {
  const auto fits = [](int n) { return n >= 1 && n <= 4096; };
  return fits(nx) && fits(ny) && fits(nz) && int64_t{nx} * ny * nz <= 4096;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String name = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TMat4D m(nullptr);
  int nx = 0, ny = 0, nz = 0, nt = 0;
  qelta::String id;
  bool small = false;
  Try([&] { small = m.ReadBinaryHeader(name, nx, ny, nz, nt, id) && SmallShape(nx, ny, nz); });
  Try([&] { m.LoadBinary(name, 2, 3); });
  Try([&] { m.LoadBinary(name, 0, 0); });
  if (small) {  // an array of the file's shape appends to it
    Try([&] { m.Resize(nx, ny, nz, 2); });
    Try([&] { m.AppendToBinaryFile(name, 1, 2); });
    Try([&] { m.LoadBinary(name, 0, 0); });
  }
  return 0;
}
