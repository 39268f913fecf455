#include "Qelta_univconst.h"

namespace qelta {}  // namespace qelta
