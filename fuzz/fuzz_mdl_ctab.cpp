// TCTab's MDL connection-table readers on the same bytes from a text file and from a stream: both answer
// without a fault, leave a tidy table and agree with each other.
#include <cstdlib>

#include "ChemFuzz.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TCTab fromFile(nullptr), fromStream(nullptr);
  qelta::TextFile f;
  qelta::AssignFile(f, qelta::fuzz::ScratchFileWith(data, size));
  qelta::Reset(f);
  const bool fileOk = fromFile.ReadFromMDLCTabFile(f);
  qelta::CloseFile(f);
  qelta::TMemoryStream s;
  s.WriteBuffer(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  const bool streamOk = fromStream.ReadFromMDLCTabStream(s);
  qelta::fuzz::CheckTable(fromFile);
  qelta::fuzz::CheckTable(fromStream);
  // The stream drops control bytes that a text file keeps, so only plain text must agree.
  bool plain = true;
  for (size_t i = 0; i < size; ++i) plain &= (data[i] >= 32 && data[i] < 127) || data[i] == '\n';
  if (plain && (fileOk != streamOk || fromFile.CompareWith(fromStream) != 0)) std::abort();
  return 0;
}
