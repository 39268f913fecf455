// String array XML element (TStringArray LoadFromXMLFile): any file reads or answers false, unchanged.
#include "FuzzDriver.h"
#include "Qelta_dstruct.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TStringArray a(nullptr);
  a.LoadFromXMLFile(file, u"");
  return 0;
}
