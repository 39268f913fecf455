#include "DateUtils.h"

namespace qelta {}  // namespace qelta
