// The XML readers of TMat3D (from a stream) and TMat4D (from a text file): any text either reads or
// answers false with the array unchanged; the platform's input/output errors may pass.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Encoding.h"
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_matrix.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream s;
  s.WriteBuffer(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  qelta::TMat3D a(nullptr);
  try {
    a.ReadFromXMLStream(s, u"");
  } catch (const qelta::Exception&) {
  }
  const char* base = std::getenv("TMPDIR");
  const std::string path = std::string(base && *base ? base : "/tmp") + "/qelta-fuzz-xml-" + std::to_string(getpid());
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  qelta::TMat4D b(nullptr);
  b.LoadFromXMLFile(qelta::Utf8ToString(path), u"");
  std::remove(path.c_str());
  return 0;
}
