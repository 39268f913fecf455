#include "Qelta_qeltamol.h"

namespace qelta {
const char* LibraryName_qeltamol() { return "qeltamol"; }
}  // namespace qelta
