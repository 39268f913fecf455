// URLDecode on any text, and URLDecode(URLEncode(text)) == text.
#include <cstdlib>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_htmlsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String text = qelta::AnsiToString(std::string(reinterpret_cast<const char*>(data), size));
  if (qelta::URLDecode(text).size() > text.size()) std::abort();
  if (qelta::URLDecode(qelta::URLEncode(text)) != text) std::abort();
  return 0;
}
