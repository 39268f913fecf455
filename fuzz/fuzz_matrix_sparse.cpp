// Sparse TIntMatrix file (LoadSparseMat): any file loads or answers false, the matrix unchanged.
#include "FuzzDriver.h"
#include "Qelta_matrix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TIntMatrix m(nullptr);
  if (m.LoadSparseMat(file)) m.SparseToArray();
  return 0;
}
