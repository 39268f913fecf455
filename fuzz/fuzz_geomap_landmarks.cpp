// The landmark block `gmlandmarks` (TGeoMap::LoadLandMarks): any bytes load some landmarks or none,
// never more than the file has landmark tags, with alignments inside their enumerations.
#include <cstdlib>

#include "FuzzDriver.h"
#include "Qelta_geomap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TGeoMap map(nullptr);
  map.SetSuppressPaint(true);
  map.LoadLandMarks(qelta::fuzz::ScratchFileWith(data, size), u"");
  if (static_cast<size_t>(map.NumLandMarks()) > size / 9) std::abort();  // "<landmark" per landmark
  for (int k = 1; k <= map.NumLandMarks(); ++k) {
    const qelta::TLandMark lm = map.GetLandMarkData(k);
    if (lm.Caption.HAlignment > qelta::taCenter || lm.Caption.VAlignment > qelta::vaBottom) std::abort();
    if (lm.Caption.Text.size() > 80 || lm.Identifier.size() > 15) std::abort();
  }
  return 0;
}
