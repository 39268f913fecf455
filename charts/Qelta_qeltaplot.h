#pragma once
// Library marker of qeltaplot (subsystem 3). Its units arrive with their issues; until then the
// library links and reports its name so hosts and the gallery can see it is present.

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {
/// Name of this shared library, as a host would link it.
const char* LibraryName_qeltaplot();
}  // namespace qelta

QELTA_PUBLIC_END
