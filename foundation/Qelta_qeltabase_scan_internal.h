#pragma once
// Not part of the public interface: the number scanner's state machine on its own. ScanFPNum reads
// plain numbers in one pass and hands every other text to this machine; the tests compare the two
// (hence exported).

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::core_detail {

/// ScanFPNum read character by character through the state table, for every text.
double ScanFPNumByMachine(const String& s, bool ExpAllowed, int SepMode, int& Pos);

}  // namespace qelta::core_detail

QELTA_PUBLIC_END
