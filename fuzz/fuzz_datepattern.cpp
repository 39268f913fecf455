// Date/time patterns and colour names as a host may pass them: the input's first line is a pattern,
// the rest a text. The pattern formats a date (never more than a few characters per pattern character)
// and the text is scanned by it; the text is also read as a colour, and every colour's name reads back.
#include <cstdlib>

#include "DateUtils.h"
#include "Encoding.h"
#include "FuzzDriver.h"
#include "Graphics.h"
#include "Qelta_math1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String input = qelta::AnsiToString(std::string(reinterpret_cast<const char*>(data), size));
  const std::size_t eol = input.find(u'\n');
  const qelta::String pattern = input.substr(0, eol);
  const qelta::String text = eol == qelta::String::npos ? qelta::String() : input.substr(eol + 1);
  const qelta::String shown = qelta::FormatDateTimePattern(pattern, 45285.75);
  if (shown.size() > 9 * pattern.size()) std::abort();
  int error = 0;
  try {
    qelta::ScanDateTime(text, pattern, qelta::lgEnglish, error);
    qelta::ScanDateTime(shown, pattern, qelta::lgEnglish, error);
  } catch (const qelta::EConvertError&) {
    // an impossible date or time: the encoders refuse it
  }
  try {
    const qelta::TColor color = qelta::StringToColor(text);
    if (qelta::StringToColor(qelta::ColorToString(color)) != color) std::abort();
  } catch (const qelta::EConvertError&) {
  }
  return 0;
}
