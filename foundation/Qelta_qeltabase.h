#pragma once
// (being written)

#include "Types.h"

namespace qelta {}  // namespace qelta
