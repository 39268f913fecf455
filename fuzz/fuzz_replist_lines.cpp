// Report list line files and replist recognition (TRLData LoadLinesFromFile, CheckIfValidReplist on a file and
// a stream): any bytes read.
#include "FuzzDriver.h"
#include "Qelta_replist.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TRLData d(nullptr);
  d.SetNrCols(2);
  d.SetColCheckMode(2, qelta::cmBox);
  d.LoadLinesFromFile(2, 1, file);
  qelta::CheckIfValidReplist(file, u"data 1");
  qelta::TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  qelta::CheckIfValidReplist(s, u"");
  return 0;
}
