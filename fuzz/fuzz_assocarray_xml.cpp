// Associative array XML element (TAssocArray ReadFromXMLStream) and attribute lists
// (AddXMLAttributes): any bytes read or answer false.
#include "FuzzDriver.h"
#include "Qelta_dstruct.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  qelta::TAssocArray a(nullptr);
  a.ReadFromXMLStream(s, u"");
  a.AddXMLAttributes(qelta::AnsiToString(std::string_view(reinterpret_cast<const char*>(data), size)));
  return 0;
}
