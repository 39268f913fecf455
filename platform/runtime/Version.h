#pragma once
// Version of the library set: compile-time macros for a host's #if, and the same text at run time
// (which tells a host the version of the libraries it actually loaded).
// The build takes the project version from the three numbers below.

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

#define QELTA_VERSION_MAJOR 0
#define QELTA_VERSION_MINOR 1
#define QELTA_VERSION_PATCH 0
/// major * 10000 + minor * 100 + patch, for comparisons such as #if QELTA_VERSION >= 100.
#define QELTA_VERSION (QELTA_VERSION_MAJOR * 10000 + QELTA_VERSION_MINOR * 100 + QELTA_VERSION_PATCH)
#define QELTA_VERSION_STRINGIFY_(x) #x
#define QELTA_VERSION_STRINGIFY(x) QELTA_VERSION_STRINGIFY_(x)
/// "major.minor.patch".
#define QELTA_VERSION_STRING                                                                   \
  QELTA_VERSION_STRINGIFY(QELTA_VERSION_MAJOR)                                                 \
  "." QELTA_VERSION_STRINGIFY(QELTA_VERSION_MINOR) "." QELTA_VERSION_STRINGIFY(QELTA_VERSION_PATCH)

namespace qelta {
/// "major.minor.patch" of the qelta libraries loaded at run time.
const char* QeltaVersion();
}  // namespace qelta

QELTA_PUBLIC_END
