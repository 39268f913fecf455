#pragma once
// Qelta_CData: the element table of the chemistry components, CAS registry numbers, and a compression of
// chemical names by a dictionary of name fragments.
//
// What: elements 1..103 with symbol, name, nominal, exact and average mass, van der Waals radius, outer
// electrons, electron configuration and place in the periodic table; the check digit, text form and parsing
// of CAS numbers; name compression. Every chemistry unit looks elements up here.
// How: constant tables compiled in (generated from chemistry/data by chemistry/tools/gen_cdata.py). Symbols,
// names and compressed names are AnsiString: one byte per character, where the bytes 128..255 of a
// compressed name are fragment codes (code i + 127 stands for fragment i of the dictionary), never UTF-8.
// Limits: the table keeps its own historical values and spellings ("litium", "flourine", "vanadin",
// "prometium", "actinum"); radii exist for Z = 1..53 only. CAS numbers are 32-bit: text whose number does
// not fit is refused. Case: AtomicNumber compares exactly; the name compression folds A-Z only.
// Failure channel: none raises; an atomic number outside 1..103 gives the empty result (0, "", 0.0).

#include <cstdint>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Highest atomic number of the table.
inline constexpr int MaxAtomicNumber = 103;

// --- elements ----------------------------------------------------------------------------------

/// Element symbol of Z in mixed case ("Cl"); "" outside 1..103.
AnsiString CElemSymb(int Z);
/// English name of Z as stored; "" outside 1..103.
AnsiString CElemName(int Z);
/// Atomic number whose symbol equals Symbol exactly (case-sensitive: "Cl" is 17, "CL" 0); 0 when none does.
int AtomicNumber(const AnsiString& Symbol);
/// Mass number of the most abundant isotope; 0 outside 1..103.
int IntAtWeight(int Z);
/// Exact mass of that isotope in u; 0 outside 1..103.
Extended ExactAtWeight(int Z);
/// Average atomic weight in u (0 for elements without one); 0 outside 1..103.
Extended ChemAtWeight(int Z);
/// Van der Waals radius in angstrom (1.8 for carbon); 0 where none is stored and outside 1..53.
double VDWRadius(int Z);
/// Number of outer electrons; 0 outside 1..103.
int NumOuterElectrons(int Z);
/// Electron configuration with a noble-gas core in brackets ("[Ne] 3s1"); "" outside 1..103.
AnsiString ShortElectronConfig(int Z);
/// Electron configuration with the core written out ("1s2 2s2 2p6 3s1"); "" outside 1..103.
AnsiString FullElectronConfig(int Z);
/// Column X (0..17) and row Y (0..8) of Z in the periodic layout (lanthanides Ce..Lu in row 7, actinides
/// Th..Lr in row 8, both from column 4); X = Y = 0 outside 1..103.
void PerSysCoord(int Z, int& X, int& Y);

// --- CAS registry numbers ----------------------------------------------------------------------

/// True when the last digit of Nr is the check digit of the others (weighted 1, 2, 3, ... from the right,
/// sum mod 10); numbers below 10 pass only when 0; negative numbers never pass.
bool CheckCASNr(int32_t Nr);
/// Nr as "7732-18-5": the digits padded with "0" to at least 4, dashes before the last three and before
/// the last one ("0-00-5" for 5); a negative number gets a leading "-".
String FormatCASNr(int32_t Nr);
/// Parses a CAS number: blanks removed at both ends, then exactly two "-", the second three places after the
/// first and followed by one character; the rest must be decimal digits that fit 32 bits. True, and Nr set,
/// when that holds and the check digit passes; otherwise false and Nr unchanged.
bool ConvertStrToCASNr(const String& Instring, int32_t& Nr);

// --- name compression --------------------------------------------------------------------------

/// Name lower-cased (A-Z only), then every occurrence of each dictionary fragment, in dictionary order,
/// replaced by its one-byte code (so "benzoyl" is taken before "benz" and "oyl").
AnsiString CompressChemName(const AnsiString& Name);
/// Every byte 128..255 replaced by its fragment; other bytes kept.
AnsiString DeCompressChemName(const AnsiString& Name);

}  // namespace qelta

QELTA_PUBLIC_END
