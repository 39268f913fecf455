// Report list replist block (TRLData ReadFromXMLString, ReadFromXMLStream, LoadFromXMLFile): any bytes read
// or answer -1 or -2 with the data unchanged.
#include "FuzzDriver.h"
#include "Qelta_replist.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String text = qelta::AnsiToString(std::string_view(reinterpret_cast<const char*>(data), size));
  qelta::TRLData fromString(nullptr);
  fromString.ReadFromXMLString(text, u"");
  qelta::TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  qelta::TRLData fromStream(nullptr);
  fromStream.ReadFromXMLStream(s, u"f");
  qelta::TRLData fromFile(nullptr);
  fromFile.LoadFromXMLFile(qelta::fuzz::ScratchFileWith(data, size), u"");
  return 0;
}
