// The landmark symbol file `lmsymbols` (TSymbolRepository::LoadFromFile): any bytes load some symbols
// or none, never more than the file has symbol tags, with names of at most 40 characters.
#include <cstdlib>

#include "FuzzDriver.h"
#include "Qelta_geomap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TSymbolRepository rep(nullptr);
  rep.LoadFromFile(qelta::fuzz::ScratchFileWith(data, size), u"");
  if (static_cast<size_t>(rep.NumEntries()) > size / 7) std::abort();  // "<symbol" per entry
  for (int k = 1; k <= rep.NumEntries(); ++k)
    if (rep.GetValues(k).Name.size() > 40 || rep.GetValues(k).Properties.Kind > qelta::lmUserDef) std::abort();
  return 0;
}
