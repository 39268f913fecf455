#include "Version.h"

namespace qelta {
const char* QeltaVersion() { return "0.1.0"; }
}  // namespace qelta
