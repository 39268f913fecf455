#include <algorithm>

#include "Encoding.h"
#include "QeltaTagRules.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"

// Qelta_stringl: extraction, tokenizing, line reading, quoted names, parameters, uuencoding, line
// coordinates and tags in a text.
//
// Tags follow the stream tag reader of Qelta_streams step by step; only the input differs. Its
// content rule (after each '>' look for "</name>" in the lower-cased content) stops at the first
// occurrence of the closing tag ignoring A-Z case, which is what is searched for here directly.
// As there, a comment "<!-- ... -->" is one tag that ends at "-->", and a tag whose name begins
// with '?' or '!' reads no content: looking for "</!-->" or "</?xml>" swallowed the whole text.
// uuencoding: the classic one-line layout, a length character (32 + byte count, at most 45 bytes
// per line) followed by four characters per three bytes, each 32 + a 6-bit value with '`' for 0;
// a decoder takes (code - 32) mod 64 of any character, so both ' ' and '`' read as 0.

namespace qelta {
namespace {

constexpr Char CR = 13;
constexpr Char LF = 10;
constexpr std::size_t kMaxShortString = 255;
constexpr int kMaxTokens = 100;
constexpr std::size_t kUULineBytes = 45;

Char LowerAZ(Char c) { return (c >= u'A' && c <= u'Z') ? static_cast<Char>(c + 32) : c; }
bool IsWordSep(Char c) { return c < 256 && WordSeps[c]; }

// 0-based position of needle in s from `from`, A-Z folded; npos when absent or needle is empty.
std::size_t FindIgnoreCase(const String& s, const String& needle, std::size_t from) {
  if (needle.empty() || from > s.size()) return String::npos;
  const auto it = std::search(s.begin() + static_cast<std::ptrdiff_t>(from), s.end(), needle.begin(), needle.end(),
                              [](Char a, Char b) { return LowerAZ(a) == LowerAZ(b); });
  return it == s.end() ? String::npos : static_cast<std::size_t>(it - s.begin());
}

// 0-based starts of the non-overlapping occurrences of sep in s, at most limit.
std::vector<std::size_t> Cuts(const String& s, const String& sep, bool ignoreCase, std::size_t limit) {
  std::vector<std::size_t> cuts;
  std::size_t p = ignoreCase ? FindIgnoreCase(s, sep, 0) : s.find(sep);
  for (; p != String::npos && cuts.size() < limit;
       p = ignoreCase ? FindIgnoreCase(s, sep, p + sep.size()) : s.find(sep, p + sep.size()))
    cuts.push_back(p);
  return cuts;
}

bool EndsLine(Char c, Char previous, int mode) {
  switch (mode) {
    case 0:
      return c == LF;
    case 1:
      return c == CR;
    case 2:
      return c == CR || c == LF;
    case 3:
      return c == CR && previous == LF;
    case 4:
      return c == LF && previous == CR;
    default:
      return false;
  }
}

// [SECTION] uuencoding helpers

Char UUChar(unsigned v) { return v == 0 ? u'`' : static_cast<Char>(32 + v); }
unsigned UUValue(Char c) { return (static_cast<unsigned>(c) - 32u) & 63u; }

String UUEncodeLine(const AnsiString& bytes, std::size_t first, std::size_t count) {
  auto byte = [&](std::size_t i) { return i < count ? static_cast<unsigned char>(bytes[first + i]) : 0u; };
  String line(1, UUChar(static_cast<unsigned>(count)));
  for (std::size_t g = 0; g < count; g += 3) {
    const unsigned b0 = byte(g), b1 = byte(g + 1), b2 = byte(g + 2);
    line += UUChar(b0 >> 2);
    line += UUChar(((b0 & 3u) << 4) | (b1 >> 4));
    line += UUChar(((b1 & 15u) << 2) | (b2 >> 6));
    line += UUChar(b2 & 63u);
  }
  return line;
}

void UUDecodeLine(const String& line, AnsiString& out) {
  if (line.empty()) return;
  const std::size_t count = UUValue(line[0]);
  auto value = [&](std::size_t i) { return i < line.size() ? UUValue(line[i]) : 0u; };
  for (std::size_t done = 0, i = 1; done < count; i += 4) {
    const unsigned v0 = value(i), v1 = value(i + 1), v2 = value(i + 2), v3 = value(i + 3);
    const unsigned char group[3] = {static_cast<unsigned char>((v0 << 2) | (v1 >> 4)),
                                    static_cast<unsigned char>(((v1 & 15u) << 4) | (v2 >> 2)),
                                    static_cast<unsigned char>(((v2 & 3u) << 6) | v3)};
    for (int k = 0; k < 3 && done < count; ++k, ++done) out += static_cast<char>(group[k]);
  }
}

// [SECTION] tag helpers

struct TTagText {
  String text;    // from after '<' up to and including '>' (no '>' when the text ran out)
  int start = 0;  // position of '<', 0 when there is none
};

TTagText ReadTagText(const String& s, int& Pos) {
  TTagText tag;
  const std::size_t open = s.find(u'<', static_cast<std::size_t>(std::max(Pos, 1) - 1));
  if (open == String::npos) {
    Pos = Length(s) + 1;
    return tag;
  }
  tag.start = static_cast<int>(open) + 1;
  const bool comment = s.compare(open + 1, 3, u"!--") == 0;
  std::size_t close = comment ? s.find(u"-->", open + 2) : s.find(u'>', open + 1);
  if (comment && close != String::npos) close += 2;
  tag.text = close == String::npos ? s.substr(open + 1) : s.substr(open + 1, close - open);
  Pos = close == String::npos ? Length(s) + 1 : static_cast<int>(close) + 2;
  return tag;
}

// Content from Pos up to the closing tag of name; Pos ends behind that tag (or after the text).
String ReadContent(const String& s, int& Pos, const String& name) {
  const String closing = u"</" + name + u">";
  const std::size_t from = static_cast<std::size_t>(Pos - 1);
  const std::size_t at = FindIgnoreCase(s, closing, from);
  if (at == String::npos) {
    Pos = Length(s) + 1;
    return from < s.size() ? s.substr(from) : String();
  }
  Pos = static_cast<int>(at + closing.size()) + 1;
  return s.substr(from, at - from);
}

}  // namespace

// [SECTION] words, fields, tokens, lines

String ExtractWordFromString(const String& s, int Pos) {
  int first = 0;
  int last = 0;
  return ExtractWordFromString(s, Pos, first, last);
}

String ExtractWordFromString(const String& s, int Pos, int& WordStart, int& WordEnd) {
  WordStart = WordEnd = 0;
  if (Pos < 1 || Pos > Length(s)) return String();
  WordStart = WordEnd = Pos;
  if (IsWordSep(s[Pos - 1])) return String(1, s[Pos - 1]);
  while (WordStart > 1 && !IsWordSep(s[WordStart - 2])) --WordStart;
  while (WordEnd < Length(s) && !IsWordSep(s[WordEnd])) ++WordEnd;
  return Copy(s, WordStart, WordEnd - WordStart + 1);
}

String ExtractSubString(const String& s, int ItemNum, const String& Delimiter) {
  if (ItemNum < 0) return String();
  if (Delimiter.empty()) return ItemNum == 0 ? s : String();
  const auto cuts = Cuts(s, Delimiter, true, static_cast<std::size_t>(ItemNum) + 1);
  if (static_cast<std::size_t>(ItemNum) > cuts.size()) return String();
  const std::size_t first = ItemNum == 0 ? 0 : cuts[ItemNum - 1] + Delimiter.size();
  const std::size_t end = static_cast<std::size_t>(ItemNum) < cuts.size() ? cuts[ItemNum] : s.size();
  return s.substr(first, end - first);
}

int Tokenize(const String& s, const String& Separator, TOpenStringArray& Parts) {
  Parts.clear();
  const auto cuts = Separator.empty() ? std::vector<std::size_t>() : Cuts(s, Separator, false, kMaxTokens - 1);
  std::size_t first = 0;
  for (std::size_t cut : cuts) {
    Parts.push_back(s.substr(first, std::min(cut - first, kMaxShortString)));
    first = cut + Separator.size();
  }
  Parts.push_back(s.substr(first, kMaxShortString));
  return static_cast<int>(Parts.size());
}

int Tokenize(const String& s, Char Separator, TOpenStringArray& Parts) {
  return Tokenize(s, String(1, Separator), Parts);
}

String ReadLnString(const String& s, int& Pos, bool& EndOfText, int EOLMode) {
  Pos = std::max(Pos, 1);
  EndOfText = Pos > Length(s);
  String line;
  for (Char previous = 0; Pos <= Length(s); previous = s[Pos - 2]) {
    const Char c = s[Pos++ - 1];
    if (EndsLine(c, previous, EOLMode)) break;
    if (c >= 32) line += c;
  }
  return line;
}

// [SECTION] quoted names and parameters

void ParseQuotedName(Char c, Char QuoteChar, String& Name, TQuotedStrState& State) {
  const bool white = c <= 32;
  switch (State) {
    case vsStart:
      if (white) return;
      if (c == QuoteChar) {
        State = vs1stQuote;
      } else {
        Name += c;
        State = vsNormal;
      }
      return;
    case vs1stQuote:
      if (c == QuoteChar)
        State = vsQuote;
      else
        Name += c;
      return;
    case vsQuote:
      if (c == QuoteChar) {
        Name += c;
        State = vs1stQuote;
      } else {
        State = vsEnd;
      }
      return;
    case vsNormal:
      if (white)
        State = vsEnd;
      else
        Name += c;
      return;
    case vsEnd:
      return;
  }
}

String ExtractParam(const String& s, int ParamNum, Char Delimiter, Char QuoteChar) {
  if (ParamNum < 1) return String();
  int number = 1;
  String param;
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    if (quoted && c == QuoteChar && i + 1 < s.size() && s[i + 1] == QuoteChar) {
      param += c;
      ++i;
    } else if (c == QuoteChar && (quoted || c != Delimiter)) {
      quoted = !quoted;
    } else if (!quoted && c == Delimiter) {
      if (number++ == ParamNum) return param;
      param.clear();
    } else {
      param += c;
    }
  }
  return number == ParamNum ? param : String();
}

// [SECTION] uuencoding and line coordinates

String UUEncodeStr(const String& s) {
  const AnsiString bytes = StringToAnsi(s);
  String out;
  for (std::size_t first = 0; first < bytes.size(); first += kUULineBytes) {
    if (first > 0) out += u"\r\n";
    out += UUEncodeLine(bytes, first, std::min(kUULineBytes, bytes.size() - first));
  }
  return out;
}

String UUDecodeStr(const String& s) {
  AnsiString bytes;
  std::size_t first = 0;
  while (first < s.size()) {
    std::size_t end = s.find_first_of(u"\r\n", first);
    if (end == String::npos) end = s.size();
    UUDecodeLine(s.substr(first, end - first), bytes);
    first = end + 1;
  }
  return AnsiToString(bytes);
}

void TextLineCoords(const String& s, int Pos, int& Line, int& Column) {
  Line = Column = 0;
  if (Pos < 1 || Pos > Length(s) + 1) return;
  Line = 1;
  int lineStart = 1;
  for (int i = 1; i < Pos; ++i) {
    const Char c = s[i - 1];
    const bool crBeforeLf = c == CR && i < Length(s) && s[i] == LF;
    if (c == LF || (c == CR && !crBeforeLf)) {
      ++Line;
      lineStart = i + 1;
    }
  }
  Column = Pos - lineStart + 1;
}

// [SECTION] tags

int ReadNextTagInString(const String& s, int& Pos, const std::vector<String>& TagList, String& Attributes,
                        String& Content) {
  Content.clear();
  const core_detail::TTagParts tag = core_detail::SplitTag(ReadTagText(s, Pos).text);
  Attributes = tag.attributes;
  if (core_detail::TagHasContent(tag)) Content = ReadContent(s, Pos, tag.name);
  return core_detail::TagIndex(TagList, tag.name);
}

int DetectNextTagInString(const String& s, int& Pos, const std::vector<String>& TagList, String& Attributes,
                          int& TagStart) {
  const TTagText text = ReadTagText(s, Pos);
  const core_detail::TTagParts tag = core_detail::SplitTag(text.text);
  Attributes = tag.attributes;
  TagStart = text.start;
  return core_detail::TagIndex(TagList, tag.name);
}

}  // namespace qelta
