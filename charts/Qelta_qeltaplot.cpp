#include "Qelta_qeltaplot.h"

namespace qelta {
const char* LibraryName_qeltaplot() { return "qeltaplot"; }
}  // namespace qelta
