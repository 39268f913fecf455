// The map control's image loading (SetMapImgName, by the extension): any bytes as a ".jpg" or ".bmp"
// file (the first byte chooses) either load or raise, and the map never describes an image it does not
// hold.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_geomap.h"

namespace {

/// The scratch file's name with the extension; the two files are removed at exit.
const std::string& Named(const char* ext) {
  static const std::string jpg = qelta::fuzz::ScratchFile() + ".jpg", bmp = qelta::fuzz::ScratchFile() + ".bmp";
  static const bool once = [] {
    std::atexit([] {
      std::remove(jpg.c_str());
      std::remove(bmp.c_str());
    });
    return true;
  }();
  (void)once;
  return ext[1] == 'j' ? jpg : bmp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string& file = Named(data[0] & 1 ? ".jpg" : ".bmp");
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
  }
  qelta::TGeoMap map(nullptr);
  map.SetSuppressPaint(true);
  try {
    map.SetMapImgName(qelta::Utf8ToString(file));
  } catch (const qelta::Exception&) {
  }
  if (map.MapImgWidth() != map.MapBitmap()->Width() || map.MapImgHeight() != map.MapBitmap()->Height()) std::abort();
  return 0;
}
