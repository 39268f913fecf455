// TCTab's CTABG reader.
#include "ChemFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::fuzz::ReadScratch(data, size, [](qelta::TCTab& t, qelta::TextFile& f) { t.ReadFromClearTextFileCTABG(f); });
  return 0;
}
