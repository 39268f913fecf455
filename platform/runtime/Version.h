#pragma once
// Version of the library set, as a host can query it at run time.

namespace qelta {
/// "major.minor.patch" of the qelta libraries.
const char* QeltaVersion();
}  // namespace qelta
