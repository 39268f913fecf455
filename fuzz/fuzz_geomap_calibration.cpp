// The calibration file `geomap`: the map's stream reader and ParseCalibData over a file. Any bytes are
// read or refused with EQeltaGeoMapError, and the record never counts more lines, points or
// calibration points than it holds.
#include <cstdlib>

#include "FuzzDriver.h"
#include "Qelta_geomap.h"
#include "Streams.h"

namespace {

void CheckCounts(const qelta::TCalibData& c) {
  if (c.NumCalLines < 0 || c.NumCalLines > qelta::MaxCalLines) std::abort();
  if (c.NumCalQuads < 0 || c.NumCalQuads > qelta::MaxCalQuads) std::abort();
  for (const qelta::TCalibLine& line : c.CalLines)
    if (line.NumPoints < 0 || line.NumPoints > qelta::MaxCalLinePoints) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TGeoMap map(nullptr);
  map.SetSuppressPaint(true);
  map.OnMapImageRequest = [](qelta::TObject*, qelta::String& name) { name.clear(); };  // touch no other file
  qelta::TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int64_t>(size));
  stream.SetPosition(0);
  try {
    map.LoadCalDataFromXML(&stream, u"");
  } catch (const qelta::EQeltaGeoMapError&) {
  }
  CheckCounts(map.CalibData());
  qelta::TCalibData record;
  qelta::TCalibModel model = qelta::cmUndefined;
  try {
    qelta::ParseCalibData(qelta::fuzz::ScratchFileWith(data, size), u"", record, model);
  } catch (const qelta::EQeltaGeoMapError&) {
  }
  CheckCounts(record);
  return 0;
}
