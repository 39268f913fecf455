// ReadHeaderOfASC, stream and file form, on the same bytes: a code of 0 or 253..255, never a crash.
#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_filesys.h"

namespace {

void Check(int code) {
  if (code != 0 && (code < 253 || code > 255)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::String comment;
  int columns = 0, rows = 0;
  bool a = false, b = false, c = false, d = false;

  qelta::TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int64_t>(size));
  stream.SetPosition(0);
  Check(qelta::ReadHeaderOfASC(stream, comment, columns, rows, a, b, c, d));
  if (stream.Position() > stream.Size()) std::abort();

  qelta::fuzz::WriteScratchFile(data, size);
  try {
    Check(qelta::ReadHeaderOfASC(qelta::Utf8ToString(qelta::fuzz::ScratchFile()), comment, columns, rows, a, b, c, d));
  } catch (const qelta::EInOutError&) {
  }
  return 0;
}
