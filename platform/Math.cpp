#include "Math.h"

namespace qelta {}  // namespace qelta
