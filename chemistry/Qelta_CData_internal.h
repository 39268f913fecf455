#pragma once
// Internal to qeltamol, not part of the public interface: the compiled-in tables of Qelta_CData, generated
// into Qelta_CData_tables.cpp by chemistry/tools/gen_cdata.py.

#include <array>
#include <cstdint>

#include "Types.h"

namespace qelta::mol_detail {

inline constexpr int ElementCount = 103;
inline constexpr int PeriodicColumns = 18;
inline constexpr int PeriodicCells = 9 * PeriodicColumns;
inline constexpr int NameFragmentCount = 128;

/// One row of the element table; texts are plain ASCII.
struct TElementRow {
  const char* Symbol;
  const char* Name;
  int32_t Nominal;
  Extended Exact;
  Extended Average;
  int32_t VdWpm;
  uint8_t Outer;
  const char* Config;
};

/// Element Z at index Z - 1.
extern const std::array<TElementRow, ElementCount> ElementTable;
/// Cell row x 18 + column holds the atomic number there, 0 for an empty cell.
extern const std::array<uint8_t, PeriodicCells> PeriodicLayout;
/// Fragment of code 128 + i at index i.
extern const std::array<const char*, NameFragmentCount> NameFragments;

}  // namespace qelta::mol_detail
