#include "Version.h"

namespace qelta {
const char* QeltaVersion() { return QELTA_VERSION_STRING; }
}  // namespace qelta
