#include "Qelta_stringl.h"

#include <algorithm>

#include "StrUtils.h"

// Qelta_stringl: texts of values, searching and counting, character classes and sets, editing.
// Extraction, line reading and tags are in Qelta_stringl_extract.cpp, number text in
// Qelta_stringl_numtext.cpp, the scrambler in Qelta_stringl_scramble.cpp.
//
// Searches ignoring case fold A-Z on both texts first; the folding keeps every length, so a
// position found in the folded text is a position in the original. An empty search text has no
// occurrences anywhere: counting gives 0, replacing changes nothing, and no loop can stall on it.
// Character sets are 256 flags; the set text is expanded macro by macro until none is left, which
// ends because every expansion removes two '/' and adds none.

namespace qelta {
namespace {

Char UpperAZ(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }
bool IsUpperAZ(Char c) { return c >= u'A' && c <= u'Z'; }
bool IsLowerAZ(Char c) { return c >= u'a' && c <= u'z'; }
bool IsWordSep(Char c) { return c < 256 && WordSeps[c]; }

// 0-based starts of the non-overlapping occurrences of sub in s from 0-based `from`, at most `limit`.
std::vector<std::size_t> Occurrences(const String& sub, const String& s, std::size_t from, bool ignoreCase,
                                     std::size_t limit = SIZE_MAX) {
  std::vector<std::size_t> found;
  if (sub.empty()) return found;
  const String hay = ignoreCase ? LowerCase(s) : String();
  const String needle = ignoreCase ? LowerCase(sub) : String();
  const String& h = ignoreCase ? hay : s;
  const String& n = ignoreCase ? needle : sub;
  for (std::size_t p = h.find(n, from); p != String::npos && found.size() < limit; p = h.find(n, p + n.size()))
    found.push_back(p);
  return found;
}

using TCharSet = std::array<bool, 256>;

// The set text with every macro replaced by its characters, until none is left.
String ExpandSetMacros(String set) {
  static const struct {
    const char16_t* name;
    int first, last;
  } kMacros[] = {
      {u"//dig", '0', '9'}, {u"//lc", 'a', 'z'}, {u"//uc", 'A', 'Z'}, {u"//31dwn", 0, 31}, {u"//128up", 128, 255}};
  for (bool changed = true; changed;) {
    changed = false;
    for (const auto& m : kMacros)
      for (std::size_t p; (p = set.find(m.name)) != String::npos; changed = true) {
        String chars;
        for (int c = m.first; c <= m.last; ++c) chars.push_back(static_cast<Char>(c));
        set.replace(p, std::char_traits<char16_t>::length(m.name), chars);
      }
  }
  return set;
}

TCharSet MakeCharSet(const String& setText) {
  TCharSet set{};
  for (Char c : ExpandSetMacros(setText))
    if (c < 256) set[c] = true;
  return set;
}

bool InSet(const TCharSet& set, Char c) { return c < 256 && set[c]; }

// Per character: keep, or replace by `with` when `keep` says no.
template <typename Keep>
String ReplaceUnless(const String& s, Keep keep, Char with) {
  String out(s);
  for (Char& c : out)
    if (!keep(c)) c = with;
  return out;
}

String OneChar(Char c) { return String(1, c); }

}  // namespace

// [SECTION] texts of values

String BoolToStr(bool Value, int Mode) {
  static const char16_t* const kTexts[6][2] = {{u"FALSE", u"TRUE"}, {u"F", u"T"},  {u".F.", u".T."},
                                               {u"0", u"1"},        {u"0", u"-1"}, {u"00", u"FF"}};
  const int m = (Mode >= 0 && Mode <= 5) ? Mode : 0;
  return kTexts[m][Value ? 1 : 0];
}

String BinString(bool Value, const String& TextTrue, const String& TextFalse) { return Value ? TextTrue : TextFalse; }

String MultiChar(Char c, int n) { return String(static_cast<std::size_t>(std::clamp(n, 1, 255)), c); }

// [SECTION] searching and counting

int StringIx(const String& s, const std::vector<String>& List) {
  const auto it = std::find(List.begin(), List.end(), s);
  return it == List.end() ? 0 : static_cast<int>(it - List.begin()) + 1;
}

int NumberedPos(const String& Sub, const String& s, int Start, int n, bool IgnoreCase) {
  if (n < 1 || Start > Length(s)) return 0;
  const std::size_t from = Start < 1 ? 0 : static_cast<std::size_t>(Start - 1);
  const auto found = Occurrences(Sub, s, from, IgnoreCase, static_cast<std::size_t>(n));
  return found.size() == static_cast<std::size_t>(n) ? static_cast<int>(found.back()) + 1 : 0;
}

int PosLast(const String& Sub, const String& s) {
  const auto found = Occurrences(Sub, s, 0, false);
  return found.empty() ? 0 : static_cast<int>(found.back()) + 1;
}

int CountStringInString(const String& Sub, const String& s, bool CaseSensitive) {
  return static_cast<int>(Occurrences(Sub, s, 0, !CaseSensitive).size());
}

int CountCharInString(Char c, const String& s, bool CaseSensitive) {
  if (CaseSensitive) return static_cast<int>(std::count(s.begin(), s.end(), c));
  const Char u = UpperAZ(c);
  return static_cast<int>(std::count_if(s.begin(), s.end(), [u](Char x) { return UpperAZ(x) == u; }));
}

int CountWords(const String& s) {
  int words = 0;
  int run = 0;
  for (Char c : s) {
    if (!IsWordSep(c)) {
      ++run;
      continue;
    }
    if (run >= 2) ++words;
    run = 0;
  }
  return words;
}

int FindFirstNonBlank(const String& s) {
  const auto p = s.find_first_not_of(u' ');
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

bool TestAllChar(const String& s, Char c) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [c](Char x) { return x == c; });
}

bool StringContains(const String& s, const String& CharSet) {
  const TCharSet set = MakeCharSet(CharSet);
  return std::any_of(s.begin(), s.end(), [&set](Char c) { return InSet(set, c); });
}

bool StringContainsOtherThan(const String& s, const String& CharSet) {
  const TCharSet set = MakeCharSet(CharSet);
  return std::any_of(s.begin(), s.end(), [&set](Char c) { return !InSet(set, c); });
}

bool IsAbbreviation(const String& s) {
  int longest = 0;
  int run = 0;
  int others = 0;
  for (Char c : s) {
    run = IsUpperAZ(c) ? run + 1 : 0;
    longest = std::max(longest, run);
    if (IsLowerAZ(c) || IsDigit(c)) ++others;
  }
  return longest > 1 && others < longest;
}

bool EqualAnsiStrings(const String& s1, const String& s2) { return AnsiSameText(s1, s2); }

// [SECTION] character classes

bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(Char c) { return IsUpperAZ(c) || IsLowerAZ(c); }
bool IsDigitLetter(Char c) { return IsDigit(c) || IsLetter(c); }
bool IsHexChar(Char c) { return IsDigit(c) || (UpperAZ(c) >= u'A' && UpperAZ(c) <= u'F'); }
bool IsUmlaut(Char c) { return String(u"\u00E4\u00F6\u00FC\u00C4\u00D6\u00DC\u00DF").find(c) != String::npos; }

// [SECTION] editing

String ReplaceCharInString(const String& s, Char OldChar, Char NewChar) {
  String out(s);
  std::replace(out.begin(), out.end(), OldChar, NewChar);
  return out;
}

String ReplaceStringInString(const String& s, const String& Sub, const String& Replacement, bool IgnoreCase) {
  String out;
  std::size_t copied = 0;
  for (std::size_t p : Occurrences(Sub, s, 0, IgnoreCase)) {
    out.append(s, copied, p - copied).append(Replacement);
    copied = p + Sub.size();
  }
  return out.append(s, copied, String::npos);
}

String RemoveCharInString(const String& s, Char c) {
  String out(s);
  out.erase(std::remove(out.begin(), out.end(), c), out.end());
  return out;
}

String RemoveControlChars(const String& s) {
  String out(s);
  out.erase(std::remove_if(out.begin(), out.end(), [](Char c) { return c < 32; }), out.end());
  return out;
}

String StripLTBlanks(const String& s) {
  const auto first = s.find_first_not_of(u' ');
  if (first == String::npos) return String();
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

String StripLeadingBlanks(const String& s) {
  std::size_t i = 0;
  while (i + 1 < s.size() && s[i] == u' ') ++i;
  return s.substr(i);
}

String StripTrailingBlanks(const String& s) { return StripTrailingChars(u' ', s); }

String StripTrailingChars(Char c, const String& s) {
  std::size_t n = s.size();
  while (n > 1 && s[n - 1] == c) --n;
  return s.substr(0, n);
}

String StripLeadingChars(Char c, const String& s) {
  const auto first = s.find_first_not_of(c);
  return first == String::npos ? String() : s.substr(first);
}

String EnsureTrailingChar(Char c, const String& s) { return (s.empty() || s.back() == c) ? s : s + c; }

String EnsureLeadingChar(Char c, const String& s) { return (s.empty() || s.front() == c) ? s : c + s; }

String EnsureTrailingBkSlash(const String& s) { return EnsureTrailingChar(u'\\', s); }

String CenterString(const String& s, int n) {
  if (Length(s) >= n) return Copy(s, 1, n);
  const int front = (n - Length(s)) / 2;
  return StringOfChar(u' ', front) + s + StringOfChar(u' ', n - Length(s) - front);
}

String LeftString(const String& s, int n) {
  return Length(s) >= n ? Copy(s, 1, n) : s + StringOfChar(u' ', n - Length(s));
}

String RightString(const String& s, int n) {
  return Length(s) >= n ? Copy(s, 1, n) : StringOfChar(u' ', n - Length(s)) + s;
}

String AbbrevString(const String& s, int n) { return Length(s) > n ? Copy(s, 1, n > 2 ? n - 2 : 0) + u".." : s; }

String ReverseString(const String& s) { return String(s.rbegin(), s.rend()); }

String ChangeCase(const String& s) {
  // Both mappings keep the length, so they line up character by character.
  const String upper = AnsiUpperCase(s);
  const String lower = AnsiLowerCase(s);
  String out(s);
  for (std::size_t i = 0; i < s.size(); ++i) out[i] = upper[i] == s[i] ? lower[i] : upper[i];
  return out;
}

String CapitalizeString(const String& s) {
  String out(s);
  bool wordStart = true;
  for (Char& c : out) {
    if (IsLetter(c) || c > 127) {
      if (wordStart) c = AnsiUpperCase(OneChar(c))[0];
      wordStart = false;
    } else if (IsDigit(c)) {
      wordStart = false;
    } else {
      wordStart = c < 8364;
    }
  }
  return out;
}

String ExpandDiphthongs(const String& s) {
  String out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    const bool lowerNext = i + 1 < s.size() && IsLowerAZ(s[i + 1]);
    switch (c) {
      case u'\u00E4':
        out += u"ae";
        break;
      case u'\u00F6':
        out += u"oe";
        break;
      case u'\u00FC':
        out += u"ue";
        break;
      case u'\u00DF':
        out += u"ss";
        break;
      case u'\u00B5':
        out += u'u';
        break;
      case u'\u00C4':
        out += lowerNext ? u"Ae" : u"AE";
        break;
      case u'\u00D6':
        out += lowerNext ? u"Oe" : u"OE";
        break;
      case u'\u00DC':
        out += lowerNext ? u"Ue" : u"UE";
        break;
      default:
        out += c;
    }
  }
  return out;
}

String ReduceStringToAZ09(const String& s) { return ReplaceUnless(s, IsDigitLetter, u'_'); }

String ReduceStringToFN83CompliantChars(const String& s) {
  static const String kAllowedOthers = u"!#$%&'()-.@^_`{}~";
  return ReplaceUnless(
      s, [](Char c) { return IsDigitLetter(c) || kAllowedOthers.find(c) != String::npos; }, u'_');
}

String ProcessHexChars(const String& s) {
  String out;
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n;) {
    if (s[i] == u'\\' && i + 1 < n && s[i + 1] == u'\\') {
      out += u'\\';
      i += 2;
    } else if (s[i] == u'\\' && i + 3 < n && s[i + 1] == u'#' && IsHexChar(s[i + 2]) && IsHexChar(s[i + 3])) {
      int pos = 1;
      out += static_cast<Char>(ScanHex(s.substr(i + 2, 2), pos));
      i += 4;
    } else {
      out += s[i++];
    }
  }
  return out;
}

}  // namespace qelta
