// TCTab's CONTAB reader; whatever it reads writes back as CONTAB and reads again to the same table.
#include <cstdlib>

#include "ChemFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::fuzz::ReadScratch(data, size, [](qelta::TCTab& t, qelta::TextFile& f) {
    t.ReadFromClearTextFile(f);
    qelta::CloseFile(f);
    qelta::AssignFile(f, qelta::Utf8ToString(qelta::fuzz::ScratchFile()));
    qelta::Rewrite(f);
    t.WriteToClearTextFile(f);
    qelta::CloseFile(f);
    qelta::Reset(f);
    qelta::TCTab back(nullptr);
    if (!back.ReadFromClearTextFile(f)) std::abort();
    if ((back.CompareWith(t) & ~0x0002) != 0) std::abort();  // names lose their control characters
  });
  return 0;
}
