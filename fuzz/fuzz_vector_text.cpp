// Vector text form (TVector and TIntVector LoadFromFile): any file loads whole or answers false.
#include "FuzzDriver.h"
#include "Qelta_vector.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TVector v(nullptr), fixed(nullptr);
  v.LoadFromFile(file, true);
  fixed.Resize(5);
  fixed.LoadFromFile(file, false);
  qelta::TIntVector i(nullptr);
  i.LoadFromFile(file, true);
  return 0;
}
