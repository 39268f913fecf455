// The chart's item file (TCustomRChart LoadData, replacing and appending): any file loads whole
// records or leaves the list as it was, never raises, and whatever it loads can be drawn.
#include "FuzzDriver.h"
#include "Graphics.h"
#include "Qelta_rchart.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TRChart chart(nullptr);
  chart.MarkAt(1, 1, 3);
  chart.LoadData(file, true);
  chart.LoadData(file, false);
  chart.AutoRange(0, 5);
  qelta::TBitmap picture;
  chart.CopyToBitmap(&picture, false);
  return 0;
}
