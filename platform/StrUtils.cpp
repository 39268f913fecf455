#include "StrUtils.h"

namespace qelta {}  // namespace qelta
