// Matrix XML element (TMatrix, dense and sparse TIntMatrix ReadFromXMLStream): any bytes read as an
// element or answer false, the matrix unchanged.
#include "FuzzDriver.h"
#include "Qelta_matrix.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  qelta::TMatrix m(nullptr);
  s.SetPosition(0);
  m.ReadFromXMLStream(s, u"");
  qelta::TIntMatrix dense(nullptr), sparse(nullptr, qelta::TIntMatrix::TSparseForm{4});
  s.SetPosition(0);
  dense.ReadFromXMLStream(s, u"");
  s.SetPosition(0);
  sparse.ReadFromXMLStream(s, u"m1");
  return 0;
}
