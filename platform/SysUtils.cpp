#include "SysUtils.h"

namespace qelta {

TFormatSettings FormatSettings;

}  // namespace qelta
