// Matrix text form (TMatrix and TIntMatrix LoadFromFile, resizing or into a fixed size): any file
// loads whole or answers false, the matrix unchanged.
#include "FuzzDriver.h"
#include "Qelta_matrix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TMatrix adjusted(nullptr), fixed(nullptr);
  adjusted.LoadFromFile(file, true);
  fixed.Resize(4, 4);
  fixed.LoadFromFile(file, false);
  qelta::TIntMatrix integers(nullptr);
  integers.LoadFromFile(file, true);
  return 0;
}
