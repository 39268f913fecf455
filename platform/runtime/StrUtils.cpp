#include "StrUtils.h"

// Case mapping goes through glibc's towupper_l/towlower_l on a locale object made once from
// "C.UTF-8", so the process locale never changes a result. A surrogate pair is mapped as one code
// point; a mapping that would change the number of code units is not applied, which keeps every
// position valid across a case change. Should the C.UTF-8 locale be missing, the "C" locale is used
// and only A-Z/a-z change.
//
// Ordinal comparisons in code point order: UTF-16 units sort by code point once the surrogates
// (D800-DFFF) are moved above E000-FFFF, which CodePointKey does.

#include <wctype.h>

#include <algorithm>
#include <locale.h>

namespace qelta {
namespace {

using CaseMap = wint_t (*)(wint_t, locale_t);

locale_t Utf8Locale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return l != locale_t{} ? l : newlocale(LC_CTYPE_MASK, "C", locale_t{});
  }();
  return loc;
}

bool IsHigh(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Maps the code point at s[i] in place; answers how many units it spans.
std::size_t MapCodePoint(String& s, std::size_t i, CaseMap map, locale_t loc) {
  if (IsHigh(s[i]) && i + 1 < s.size() && IsLow(s[i + 1])) {
    const char32_t cp = 0x10000 + ((char32_t(s[i]) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
    const char32_t m = map(cp, loc);
    if (m >= 0x10000 && m <= 0x10FFFF) {
      s[i] = static_cast<Char>(0xD800 + ((m - 0x10000) >> 10));
      s[i + 1] = static_cast<Char>(0xDC00 + ((m - 0x10000) & 0x3FF));
    }
    return 2;
  }
  if (!IsSurrogate(s[i])) {
    const char32_t m = map(s[i], loc);
    if (m < 0x10000 && !IsSurrogate(m)) s[i] = static_cast<Char>(m);
  }
  return 1;
}

String MapCase(const String& s, CaseMap map) {
  String out(s);
  const locale_t loc = Utf8Locale();
  if (loc == locale_t{}) return out;
  for (std::size_t i = 0; i < out.size();) i += MapCodePoint(out, i, map, loc);
  return out;
}

Char AsciiLower(Char c) { return (c >= u'A' && c <= u'Z') ? static_cast<Char>(c + 32) : c; }
Char AsciiUpper(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }
int Unit(Char c) { return c; }
int CodePointKey(Char c) { return c < 0xD800 ? c : (c < 0xE000 ? c + 0x2000 : c - 0x800); }

// Compares unit by unit through key; the shorter text sorts first when one is a prefix of the other.
template <typename Key>
int CompareBy(const String& a, const String& b, Key key) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = key(a[i]) - key(b[i]);
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool IsBlank(Char c) { return c <= u' '; }

}  // namespace

int Length(const String& s) { return static_cast<int>(s.size()); }

String Copy(const String& s, int index, int count) {
  const int len = Length(s);
  if (index < 1) index = 1;
  if (count <= 0 || index > len) return {};
  return s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(std::min(count, len - index + 1)));
}

int Pos(const String& sub, const String& s) { return PosEx(sub, s, 1); }

int PosEx(const String& sub, const String& s, int offset) {
  if (sub.empty() || offset < 1 || offset > Length(s)) return 0;
  const std::size_t at = s.find(sub, static_cast<std::size_t>(offset - 1));
  return at == String::npos ? 0 : static_cast<int>(at) + 1;
}

void Delete(String& s, int index, int count) {
  const int len = Length(s);
  if (index < 1 || index > len || count <= 0) return;
  s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(std::min(count, len - index + 1)));
}

void Insert(const String& sub, String& s, int index) {
  const int at = std::clamp(index, 1, Length(s) + 1);
  s.insert(static_cast<std::size_t>(at - 1), sub);
}

String StringOfChar(Char c, int n) { return n > 0 ? String(static_cast<std::size_t>(n), c) : String(); }

String Trim(const String& s) { return TrimLeft(TrimRight(s)); }

String TrimLeft(const String& s) {
  const auto first = std::find_if_not(s.begin(), s.end(), IsBlank);
  return String(first, s.end());
}

String TrimRight(const String& s) {
  const auto last = std::find_if_not(s.rbegin(), s.rend(), IsBlank);
  return String(s.begin(), last.base());
}

String UpperCase(const String& s) {
  String out(s);
  std::transform(out.begin(), out.end(), out.begin(), AsciiUpper);
  return out;
}

String LowerCase(const String& s) {
  String out(s);
  std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
  return out;
}

int CompareStr(const String& a, const String& b) { return CompareBy(a, b, Unit); }

int CompareText(const String& a, const String& b) {
  return CompareBy(a, b, [](Char c) { return static_cast<int>(AsciiLower(c)); });
}

bool SameText(const String& a, const String& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

String AnsiUpperCase(const String& s) { return MapCase(s, towupper_l); }

String AnsiLowerCase(const String& s) { return MapCase(s, towlower_l); }

int AnsiCompareStr(const String& a, const String& b) { return CompareBy(a, b, CodePointKey); }

int AnsiCompareText(const String& a, const String& b) {
  return CompareBy(AnsiLowerCase(a), AnsiLowerCase(b), CodePointKey);
}

bool AnsiSameText(const String& a, const String& b) { return a.size() == b.size() && AnsiCompareText(a, b) == 0; }

String StringReplace(const String& s, const String& oldPattern, const String& newPattern, TReplaceFlags flags) {
  const bool fold = flags.Contains(rfIgnoreCase);
  const String hay = fold ? AnsiLowerCase(s) : s;
  const String pattern = fold ? AnsiLowerCase(oldPattern) : oldPattern;
  if (pattern.empty()) return s;
  String out;
  std::size_t from = 0;
  for (std::size_t at; (at = hay.find(pattern, from)) != String::npos;) {
    out.append(s, from, at - from).append(newPattern);
    from = at + pattern.size();
    if (!flags.Contains(rfReplaceAll)) break;
  }
  return out.append(s, from, String::npos);
}

}  // namespace qelta
