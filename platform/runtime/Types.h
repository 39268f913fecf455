#pragma once
// Basic types of the platform layer: the text types, Extended, TDateTime and Set<E>.
// Implements: the type mapping every unit uses. Does not implement: variants (Variants.h) or
// any container beyond std::vector.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

using Char = char16_t;            ///< one UTF-16 code unit
using String = std::u16string;    ///< 16-bit text, positions 1-based through the StrUtils helpers
using AnsiString = std::string;   ///< 8-bit text holding Windows-1252 bytes
using Extended = long double;     ///< 80-bit x87 value on x86-64
using TDateTime = double;         ///< days since 1899-12-30, time as the fraction
using Byte = uint8_t;
using Word = uint16_t;
using Cardinal = uint32_t;

static_assert(sizeof(Extended) >= 10 && std::numeric_limits<Extended>::digits == 64,
              "Extended must be the 80-bit x87 format");

/// Set of enumeration values (the classic "set of E"): ordinals 0..N-1.
template <typename E, std::size_t N = 64>
class Set {
  static_assert(std::is_enum_v<E>, "Set holds enumeration values");

 public:
  constexpr Set() = default;
  Set(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }

  bool Contains(E v) const { return Index(v) < N && bits_.test(Index(v)); }
  Set& Include(E v) {
    if (Index(v) < N) bits_.set(Index(v));
    return *this;
  }
  Set& Exclude(E v) {
    if (Index(v) < N) bits_.reset(Index(v));
    return *this;
  }
  bool Empty() const { return bits_.none(); }
  std::size_t Count() const { return bits_.count(); }

  friend Set operator|(Set a, const Set& b) { a.bits_ |= b.bits_; return a; }
  friend Set operator&(Set a, const Set& b) { a.bits_ &= b.bits_; return a; }
  friend Set operator-(Set a, const Set& b) { a.bits_ &= ~b.bits_; return a; }
  friend bool operator==(const Set& a, const Set& b) { return a.bits_ == b.bits_; }
  Set& operator|=(const Set& b) { bits_ |= b.bits_; return *this; }
  Set& operator&=(const Set& b) { bits_ &= b.bits_; return *this; }
  Set& operator-=(const Set& b) { bits_ &= ~b.bits_; return *this; }

 private:
  static std::size_t Index(E v) { return static_cast<std::size_t>(v); }
  std::bitset<N> bits_;
};

}  // namespace qelta

QELTA_PUBLIC_END
