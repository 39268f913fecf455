// The XML readers of TKohonen (from a stream and from a text file): any text either reads or answers false
// with the map unchanged; the platform's input/output errors may pass. A map that was read is used once
// (one training step, a best match, written back) so that hostile values it holds are exercised too.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Encoding.h"
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_kohonen.h"
#include "Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream s;
  s.WriteBuffer(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  qelta::TKohonen k(nullptr);
  try {
    if (k.ReadFromXMLStream(s, u"")) {
      k.SetNrOfTrnSteps(1);  // one step, whatever the file's step counts
      k.ContinueTraining();
      qelta::TVector in(nullptr);
      in.Resize(k.NrOfInSens());
      int x = 0, y = 0;
      double d = 0;
      k.ApplyIt(&in, x, y, d);
      qelta::TMemoryStream out;
      k.WriteToXMLStream(out, true, u"");
    }
  } catch (const qelta::Exception&) {
  }
  const char* base = std::getenv("TMPDIR");
  const std::string path = std::string(base && *base ? base : "/tmp") + "/qelta-fuzz-koh-" + std::to_string(getpid());
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  qelta::TKohonen b(nullptr);
  b.LoadFromXMLFile(qelta::Utf8ToString(path), u"");
  std::remove(path.c_str());
  return 0;
}
