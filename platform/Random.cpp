#include "Random.h"

namespace qelta {}  // namespace qelta
