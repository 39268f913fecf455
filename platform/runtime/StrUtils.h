#pragma once
// 1-based helpers on String (UTF-16 code units), with the classic runtime's clamping of
// out-of-range positions and counts: no routine here raises or reads outside the text.
// Case: UpperCase, LowerCase, CompareText and SameText fold A-Z/a-z only. The Ansi... routines and
// StringReplace with rfIgnoreCase use the Unicode simple case mapping of a fixed C.UTF-8 locale
// object (never the process locale); they map one character to one character, so lengths never
// change. Comparisons are ordinal (code point order), not a linguistic collation.

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// ---- positions and pieces ----

/// Number of UTF-16 code units in s.
int Length(const String& s);
/// Up to count units from 1-based index; index < 1 counts as 1, count < 0 or index past the end give "".
String Copy(const String& s, int index, int count);
/// 1-based position of the first sub in s; 0 when not found or sub is empty.
int Pos(const String& sub, const String& s);
/// Like Pos, searching from 1-based offset; 0 when offset < 1 or offset > Length(s).
int PosEx(const String& sub, const String& s, int offset = 1);
/// Removes up to count units from 1-based index; nothing when index is outside 1..Length or count <= 0.
void Delete(String& s, int index, int count);
/// Inserts sub before 1-based index; index < 1 inserts at the front, past the end appends.
void Insert(const String& sub, String& s, int index);
/// n copies of c; "" for n <= 0.
String StringOfChar(Char c, int n);

// ---- trimming ----

/// s without leading and trailing characters <= ' ' (blanks and control characters).
String Trim(const String& s);
/// s without leading characters <= ' '.
String TrimLeft(const String& s);
/// s without trailing characters <= ' '.
String TrimRight(const String& s);

// ---- case, A-Z only ----

/// s with a-z turned to A-Z; every other character unchanged.
String UpperCase(const String& s);
/// s with A-Z turned to a-z; every other character unchanged.
String LowerCase(const String& s);
/// Ordinal compare of code units: < 0, 0 or > 0.
int CompareStr(const String& a, const String& b);
/// Ordinal compare after lower-casing A-Z only: < 0, 0 or > 0.
int CompareText(const String& a, const String& b);
/// CompareText(a, b) == 0.
bool SameText(const String& a, const String& b);

// ---- case, Unicode simple mapping ----

/// s with every letter mapped to its simple upper case ("äöü" -> "ÄÖÜ").
String AnsiUpperCase(const String& s);
/// s with every letter mapped to its simple lower case.
String AnsiLowerCase(const String& s);
/// Compare in code point order, case-sensitive: < 0, 0 or > 0.
int AnsiCompareStr(const String& a, const String& b);
/// Compare in code point order after simple lower-casing both: < 0, 0 or > 0.
int AnsiCompareText(const String& a, const String& b);
/// AnsiCompareText(a, b) == 0.
bool AnsiSameText(const String& a, const String& b);

// ---- replacing ----

enum TReplaceFlag : uint8_t { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = Set<TReplaceFlag>;

/// s with the first (or, with rfReplaceAll, every non-overlapping) oldPattern replaced by newPattern,
/// scanning left to right; rfIgnoreCase matches by simple case mapping. An empty oldPattern changes nothing.
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags = {});

}  // namespace qelta

QELTA_PUBLIC_END
