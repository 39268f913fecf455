#include "SysUtils.h"

namespace qelta {}  // namespace qelta
