#include "Qelta_qeltactl.h"

namespace qelta {
const char* LibraryName_qeltactl() { return "qeltactl"; }
}  // namespace qelta
