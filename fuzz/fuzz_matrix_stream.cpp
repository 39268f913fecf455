// Matrix binary stream form (TMatrix and TIntMatrix LoadFromStream): any bytes load whole or answer
// false, the matrix unchanged.
#include "FuzzDriver.h"
#include "Qelta_matrix.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  qelta::TMatrix m(nullptr);
  s.SetPosition(0);
  m.LoadFromStream(&s, true);
  qelta::TIntMatrix i(nullptr);
  s.SetPosition(0);
  i.LoadFromStream(&s, true);
  qelta::TMatrix fixed(nullptr);
  fixed.Resize(3, 3);
  s.SetPosition(0);
  fixed.LoadFromStream(&s, false);
  return 0;
}
