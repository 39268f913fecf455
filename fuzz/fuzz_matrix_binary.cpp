// TMatrix binary file (LoadBinary, ReadBinaryHeader): any file loads or answers false, unchanged.
#include "FuzzDriver.h"
#include "Qelta_matrix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TMatrix m(nullptr);
  int cols = 0, rows = 0;
  qelta::String id;
  m.ReadBinaryHeader(file, cols, rows, id);
  m.LoadBinary(file);
  return 0;
}
