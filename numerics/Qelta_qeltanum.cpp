#include "Qelta_qeltanum.h"

namespace qelta {
const char* LibraryName_qeltanum() { return "qeltanum"; }
}  // namespace qelta
