// TCTab's MDL mol-file readers from a text file and from a stream; a read table written as a mol file must
// read back with the same atoms and bonds.
#include <algorithm>
#include <cstdlib>

#include "ChemFuzz.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::fuzz::ReadScratch(data, size, [](qelta::TCTab& t, qelta::TextFile& f) { t.ReadFromMDLMolFile(f); });
  qelta::TMemoryStream s;
  s.WriteBuffer(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  qelta::TCTab t(nullptr);
  t.ReadFromMDLMolStream(s);
  qelta::fuzz::CheckTable(t);
  qelta::TMemoryStream out;
  t.WriteToMDLMolStream(out, u"FZ", u"fuzz", 1, u"");
  out.SetPosition(0);
  qelta::TCTab back(nullptr);
  if (!back.ReadFromMDLMolStream(out) && t.NAtoms() > 0) std::abort();
  if (t.NAtoms() == 0) return 0;
  if (back.NAtoms() != t.NAtoms()) std::abort();
  for (int i = 1; i <= t.NAtoms(); ++i) {
    if (back.GetAtNum(i) != t.GetAtNum(i)) std::abort();
    for (int j = 1; j <= t.NAtoms(); ++j) {  // a truncated read may hold bonds one way only
      const int type = t.CheckConnect(std::min(i, j), std::max(i, j));
      if (back.CheckConnect(i, j) != (type ? type : t.CheckConnect(std::max(i, j), std::min(i, j)))) std::abort();
    }
  }
  return 0;
}
