#include "Qelta_qeltabase.h"

namespace qelta {}  // namespace qelta
