#pragma once
// Not part of the public interface: the number scanners on a view of characters, and the floating-point
// scanner's state machine on its own. The String forms of Qelta_qeltabase are these scanners on the String's
// characters (the same value and position for every text), so readers that hold a value in place, inside a
// larger text, scan it there without copying it out. ScanFPNum reads plain numbers in one pass and hands
// every other text to the machine; the tests compare the two (hence exported).

#include <string_view>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::core_detail {

/// ScanDecimal, ScanHex and ScanFPNum of the characters of s.
int32_t ScanDecimalView(std::u16string_view s, int& Pos);
int32_t ScanHexView(std::u16string_view s, int& Pos);
double ScanFPNumView(std::u16string_view s, bool ExpAllowed, int SepMode, int& Pos);

/// ScanFPNum read character by character through the state table, for every text.
double ScanFPNumByMachine(std::u16string_view s, bool ExpAllowed, int SepMode, int& Pos);

}  // namespace qelta::core_detail

QELTA_PUBLIC_END
