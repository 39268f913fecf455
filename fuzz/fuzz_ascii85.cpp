// ASCII85 decoding (DecodeASCII85 between streams): any text decodes, bad groups reported by code.
#include "FuzzDriver.h"
#include "Qelta_dstruct.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream source, target;
  source.Write(data, static_cast<int64_t>(size));
  source.SetPosition(0);
  qelta::DecodeASCII85(source, target);
  return 0;
}
