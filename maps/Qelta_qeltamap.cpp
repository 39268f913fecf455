#include "Qelta_qeltamap.h"

namespace qelta {
const char* LibraryName_qeltamap() { return "qeltamap"; }
}  // namespace qelta
