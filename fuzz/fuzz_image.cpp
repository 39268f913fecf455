// Image decoders (BMP, PNG, JPEG, picked by content): any bytes either load or raise EInvalidGraphic.
#include "FuzzDriver.h"
#include "Exceptions.h"
#include "Graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TBitmap bmp;
  try {
    bmp.LoadFromBytes({data, size});
  } catch (const qelta::Exception&) {
  }
  return 0;
}
