// TGrep: the first byte holds options (bit 0 IgnoreCase, bits 1-2 SearchStartPos 0..3), then the expression up
// to the first LF, then the text. Any expression compiles to a code 0..10; any match ends.
#include <cstdlib>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_stringl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t lf = bytes.find('\n');
  const qelta::String expression = qelta::AnsiToString(bytes.substr(0, lf));
  const qelta::String text = lf == std::string::npos ? qelta::String() : qelta::AnsiToString(bytes.substr(lf + 1));
  qelta::TGrep grep(nullptr);
  grep.SetStopOnError(false);
  grep.SetIgnoreCase((data[0] & 1) != 0);
  grep.SetSearchStartPos((data[0] >> 1) & 3);
  const int code = grep.CompileRegExp(expression);
  if (code < 0 || code > 10 || grep.LengRegExp() > qelta::GrepMaxTokens) std::abort();
  int pos = 0;
  if (grep.MatchString(text, pos) &&
      (pos < 1 || pos > static_cast<int>(text.size()) + 1 || grep.MatchEndPos() > static_cast<int>(text.size())))
    std::abort();
  grep.GetRegExpToken(pos);
  return 0;
}
