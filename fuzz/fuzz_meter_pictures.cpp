// The meter's pictures: any file named as background or anchor picture either loads or is refused
// (the background setter raises EInvalidGraphic, the anchor setter and Loaded clear the name), and the
// meter then paints in every fill mode without failing, whatever size the picture has.
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Graphics.h"
#include "Qelta_Meter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String name = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TMeter meter(nullptr);
  meter.SetBounds(0, 0, 120, 90);
  meter.SetAnchorImage(name);
  try {
    meter.SetBackGroundImg(name);
  } catch (const qelta::Exception&) {
  }
  for (qelta::TBkgFill mode : {qelta::bfSimple, qelta::bfStretch, qelta::bfTile}) meter.SetBkgndFillMode(mode);
  meter.BeginLoading();
  meter.EndLoading();
  return 0;
}
