// Qelta_CData: element lookups, CAS numbers and name compression over the tables of Qelta_CData_tables.cpp.
//
// CAS check digit: the registry's rule; digits left of the check digit are weighted 1, 2, 3, ... from the
// right and the sum mod 10 must equal the check digit (7732-18-5: 8 + 2 + 3x2 + 4x7 + 5x7 = 85 -> 5).
// Name compression: a replaced fragment becomes a byte >= 128, which no fragment contains, so a replacement
// never creates a new occurrence; one left-to-right pass per fragment therefore equals searching again from
// the start after each replacement.

#include "Qelta_CData.h"

#include <array>
#include <cstring>
#include <string_view>

#include "Qelta_CData_internal.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

using mol_detail::ElementTable;

const mol_detail::TElementRow* Row(int Z) { return Z >= 1 && Z <= MaxAtomicNumber ? &ElementTable[Z - 1] : nullptr; }

// Noble-gas cores of the short configurations and their full texts.
struct TCore {
  const char* Short;
  const char* Full;
};
constexpr std::array<TCore, 6> kCores = {{
    {"[He]", "1s2"},
    {"[Ne]", "1s2 2s2 2p6"},
    {"[Ar]", "1s2 2s2 2p6 3s2 3p6"},
    {"[Kr]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6"},
    {"[Xe]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6"},
    {"[Rn]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6"},
}};

// Symbols of up to three bytes packed into one key, the first byte lowest; a table of (key, Z) sorted by key
// answers AtomicNumber by binary search.
constexpr uint32_t SymbolKey(std::string_view s) {
  uint32_t key = 0;
  for (std::size_t i = 0; i < s.size(); ++i) key |= static_cast<uint32_t>(static_cast<unsigned char>(s[i])) << (8 * i);
  return key;
}

struct TSymbolIndex {
  std::array<uint32_t, MaxAtomicNumber> Keys{};
  std::array<uint8_t, MaxAtomicNumber> Z{};
  TSymbolIndex() {
    for (int i = 0; i < MaxAtomicNumber; ++i) {
      const uint32_t key = SymbolKey(ElementTable[i].Symbol);
      int at = i;  // insertion sort: 103 entries, built once
      for (; at > 0 && Keys[at - 1] > key; --at) {
        Keys[at] = Keys[at - 1];
        Z[at] = Z[at - 1];
      }
      Keys[at] = key;
      Z[at] = static_cast<uint8_t>(i + 1);
    }
  }
};

const TSymbolIndex& SymbolIndex() {
  static const TSymbolIndex index;
  return index;
}

// Digits only, at most 10 of them and not above 2^31 - 1.
bool DigitsToInt32(const String& digits, int32_t& value) {
  if (digits.empty() || digits.size() > 10) return false;
  int64_t v = 0;
  for (Char c : digits) {
    if (c < u'0' || c > u'9') return false;
    v = v * 10 + (c - u'0');
  }
  if (v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}

void ReplaceAll(AnsiString& text, std::string_view fragment, char code) {
  std::size_t at = text.find(fragment);
  if (at == AnsiString::npos) return;
  AnsiString out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (; at != AnsiString::npos; at = text.find(fragment, from)) {
    out.append(text, from, at - from);
    out.push_back(code);
    from = at + fragment.size();
  }
  out.append(text, from, AnsiString::npos);
  text.swap(out);
}

}  // namespace

// [SECTION] elements

AnsiString CElemSymb(int Z) { return Row(Z) ? Row(Z)->Symbol : ""; }
AnsiString CElemName(int Z) { return Row(Z) ? Row(Z)->Name : ""; }

int AtomicNumber(const AnsiString& Symbol) {
  if (Symbol.empty() || Symbol.size() > 3 || Symbol.find('\0') != AnsiString::npos) return 0;
  const TSymbolIndex& index = SymbolIndex();
  const uint32_t key = SymbolKey(Symbol);
  int lo = 0, hi = MaxAtomicNumber;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (index.Keys[mid] < key) lo = mid + 1; else hi = mid;
  }
  return lo < MaxAtomicNumber && index.Keys[lo] == key ? index.Z[lo] : 0;
}

int IntAtWeight(int Z) { return Row(Z) ? Row(Z)->Nominal : 0; }
Extended ExactAtWeight(int Z) { return Row(Z) ? Row(Z)->Exact : 0; }
Extended ChemAtWeight(int Z) { return Row(Z) ? Row(Z)->Average : 0; }
double VDWRadius(int Z) { return Row(Z) ? Row(Z)->VdWpm / 100.0 : 0; }
int NumOuterElectrons(int Z) { return Row(Z) ? Row(Z)->Outer : 0; }
AnsiString ShortElectronConfig(int Z) { return Row(Z) ? Row(Z)->Config : ""; }

AnsiString FullElectronConfig(int Z) {
  AnsiString config = ShortElectronConfig(Z);
  for (const TCore& core : kCores)
    if (config.compare(0, 4, core.Short) == 0) return core.Full + config.substr(4);
  return config;
}

void PerSysCoord(int Z, int& X, int& Y) {
  X = Y = 0;
  if (!Row(Z)) return;
  for (int cell = 0; cell < mol_detail::PeriodicCells; ++cell)
    if (mol_detail::PeriodicLayout[cell] == Z) {
      X = cell % mol_detail::PeriodicColumns;
      Y = cell / mol_detail::PeriodicColumns;
      return;
    }
}

// [SECTION] CAS registry numbers

bool CheckCASNr(int32_t Nr) {
  if (Nr < 0) return false;
  const int check = Nr % 10;
  int sum = 0;
  int weight = 1;
  for (int32_t rest = Nr / 10; rest > 0; rest /= 10) sum += weight++ * (rest % 10);
  return sum % 10 == check;
}

String FormatCASNr(int32_t Nr) {
  const int64_t magnitude = Nr < 0 ? -static_cast<int64_t>(Nr) : Nr;
  String digits = IntToStr(magnitude);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), u'0');
  digits.insert(digits.size() - 3, 1, u'-');
  digits.insert(digits.size() - 1, 1, u'-');
  return Nr < 0 ? u"-" + digits : digits;
}

bool ConvertStrToCASNr(const String& Instring, int32_t& Nr) {
  const String s = StripLTBlanks(Instring);
  const std::size_t first = s.find(u'-');
  if (first == String::npos) return false;
  const std::size_t second = s.find(u'-', first + 1);
  if (second != first + 3 || s.find(u'-', second + 1) != String::npos || s.size() != second + 2) return false;
  String digits = s;
  digits.erase(second, 1);
  digits.erase(first, 1);
  int32_t value = 0;
  if (!DigitsToInt32(digits, value) || !CheckCASNr(value)) return false;
  Nr = value;
  return true;
}

// [SECTION] name compression

AnsiString CompressChemName(const AnsiString& Name) {
  AnsiString text = Name;
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (int i = 0; i < mol_detail::NameFragmentCount; ++i)
    ReplaceAll(text, mol_detail::NameFragments[i], static_cast<char>(128 + i));
  return text;
}

AnsiString DeCompressChemName(const AnsiString& Name) {
  AnsiString out;
  out.reserve(Name.size() * 2);
  for (const char c : Name) {
    const unsigned code = static_cast<unsigned char>(c);
    if (code >= 128) out += mol_detail::NameFragments[code - 128]; else out.push_back(c);
  }
  return out;
}

}  // namespace qelta
