// LoadPLSModelComment on arbitrary bytes: the comment is the first line, never longer than the file
// and never holding a line end; the call answers true for any readable file.
#include <cstdlib>

#include "FuzzDriver.h"
#include "Qelta_statis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::String comment = u"before";
  if (!qelta::LoadPLSModelComment(file, comment)) std::abort();
  if (comment.size() > size) std::abort();
  for (char16_t c : comment)
    if (c == u'\r' || c == u'\n') std::abort();
  return 0;
}
