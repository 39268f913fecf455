// Colour-list file of TColorArray (LoadFromFile, resizing or into the present size): never raises.
#include "FuzzDriver.h"
#include "Qelta_qeltacolors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TColorArray adjusted(nullptr), fixed(nullptr);
  adjusted.LoadFromFile(file, true);
  fixed.LoadFromFile(file, false);
  return 0;
}
