// TCTab's SD reader: record after record until the file ends, each answering without a fault and leaving a
// tidy table; every call reads at least one line, so the loop ends.
#include "ChemFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::fuzz::ReadScratch(data, size, [](qelta::TCTab& t, qelta::TextFile& f) {
    qelta::TProps props;
    for (int record = 0; record < 64 && !qelta::Eof(f); ++record) {
      t.ReadFromMDLSDFile(f, props);
      qelta::fuzz::CheckTable(t);
    }
  });
  return 0;
}
