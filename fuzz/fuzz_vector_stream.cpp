// Vector binary stream form (TVector and TIntVector LoadFromStream): any bytes load whole or answer false.
#include "FuzzDriver.h"
#include "Qelta_vector.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  qelta::TVector v(nullptr);
  s.SetPosition(0);
  v.LoadFromStream(&s, true);
  qelta::TIntVector i(nullptr);
  s.SetPosition(0);
  i.LoadFromStream(&s, true);
  return 0;
}
