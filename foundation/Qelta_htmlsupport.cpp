// Qelta_htmlsupport: template conversion, word counting, URL coding, entities.
//
// Convert looks for "<#", then for the '>' that ends the placeholder and for the blank that ends its name
// only between the two, so the walk stays linear however the template is made. URLDecode makes a single
// pass: decoding twice would turn "%2541" into "A", corrupting data and letting a text past a filter that
// checked the once-decoded form. ResolveHTMLEntities looks at most 10 characters ahead for the ';' of an
// entity (the longest known one, "&#1114111;", has 10), which keeps it linear too.

#include "Qelta_htmlsupport.h"

#include <algorithm>
#include <map>

#include "Encoding.h"
#include "Qelta_qeltabase.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "TextFiles.h"

namespace qelta {

namespace {

constexpr std::size_t kMaxEntityLength = 10;
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
constexpr std::u16string_view kUrlReserved = u"!*'();:@&=+$,/?%#[] ";

bool IsWordSeparator(Char c) { return c < 256 && WordSeps[c]; }

/// Entity names of HTML 4 that the unit knows, with their characters.
const std::map<String, Char>& EntityTable() {
  static const std::map<String, Char> table = [] {
    std::map<String, Char> t{{u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}};
    for (int c = 160; c < 256; ++c) t.emplace(AnsiToString(HTMLLat1Entities[static_cast<std::size_t>(c)]), static_cast<Char>(c));
    return t;
  }();
  return table;
}

String NumericReference(uint32_t codePoint) { return u"&#" + Utf8ToString(std::to_string(codePoint)) + u";"; }

/// The code point of "&#n;" or "&#xh;"; false for anything else, 0, surrogates and values beyond Unicode.
bool ParseNumericReference(const String& e, uint32_t& cp) {
  if (e.size() < 4 || e[0] != u'&' || e[1] != u'#' || e.back() != u';') return false;
  const bool hex = e[2] == u'x' || e[2] == u'X';
  const std::size_t first = hex ? 3 : 2;
  if (first >= e.size() - 1) return false;
  uint32_t v = 0;
  for (std::size_t i = first; i + 1 < e.size(); ++i) {
    const int d = hex ? HexDigitValue(e[i]) : (e[i] >= u'0' && e[i] <= u'9' ? e[i] - u'0' : -1);
    if (d < 0) return false;
    v = v * (hex ? 16 : 10) + static_cast<uint32_t>(d);
    if (v > 0x10FFFF) return false;
  }
  if (v == 0 || (v >= 0xD800 && v <= 0xDFFF)) return false;
  cp = v;
  return true;
}

}  // namespace

// [SECTION] THtmlProducer

THtmlProducer::THtmlProducer(TComponent* AOwner) : TComponent(AOwner) {}

THtmlProducer::~THtmlProducer() = default;

void THtmlProducer::ConvertPlaceholder(std::size_t at) {
  const std::size_t close = FTemplate.find(u'>', at + 2);
  const std::size_t innerEnd = close == String::npos ? FTemplate.size() : close;
  const auto blank = std::find(FTemplate.begin() + static_cast<std::ptrdiff_t>(at + 2),
                               FTemplate.begin() + static_cast<std::ptrdiff_t>(innerEnd), u' ');
  const std::size_t nameEnd = static_cast<std::size_t>(blank - FTemplate.begin());
  const String name = LowerCase(FTemplate.substr(at + 2, nameEnd - at - 2));
  const String params = nameEnd < innerEnd ? StripLTBlanks(FTemplate.substr(nameEnd + 1, innerEnd - nameEnd - 1)) : String();
  FSPos = close == String::npos ? FTemplate.size() : close + 1;
  String replacement = FTemplate.substr(at, FSPos - at);
  if (OnHTMLTag) OnHTMLTag(this, name, params, replacement);
  FConvertedHTML += replacement;
}

String THtmlProducer::Convert() {
  FConvertedHTML.clear();
  FConvertedHTML.reserve(FTemplate.size());
  FSPos = 0;
  while (FSPos < FTemplate.size()) {
    const std::size_t at = FTemplate.find(u"<#", FSPos);
    FConvertedHTML.append(FTemplate, FSPos, at == String::npos ? String::npos : at - FSPos);
    if (at == String::npos) break;
    ConvertPlaceholder(at);
  }
  FSPos = 0;
  return FConvertedHTML;
}

void THtmlProducer::ReadTemplateFromFile(const String& FileName) {
  TextFile f;
  AssignFile(f, FileName);
  Reset(f);
  String text, line;
  while (!Eof(f)) {
    ReadLn(f, line);
    text += line + u"\r\n";
  }
  CloseFile(f);
  FTemplate = std::move(text);
}

void THtmlProducer::ReadTemplateFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  FTemplate = StreamAsString(Stream);
}

void THtmlProducer::WriteConvertedHTMLToFile(const String& FileName) const {
  TextFile f;
  AssignFile(f, FileName);
  RewriteReplacing(f);
  Write(f, FConvertedHTML);
  CloseFile(f);
}

TStringStream* THtmlProducer::ConvertedHTMLAsStream() {
  FStrStream = std::make_unique<TStringStream>(FConvertedHTML);
  return FStrStream.get();
}

// [SECTION] words and addresses

int CountWordsHTML(const String& Text, bool SkipNumbers, bool& InTag) {
  int words = 0;
  std::size_t run = 0;
  Char first = 0;
  for (const Char c : Text) {
    if (InTag) {
      if (c == u'>') InTag = false;
      continue;
    }
    if (!IsWordSeparator(c)) {
      if (run++ == 0) first = c;
      continue;
    }
    if (run >= 2 && !(SkipNumbers && IsDigit(first))) ++words;
    run = 0;
    if (c == u'<') InTag = true;
  }
  return words;
}

String ExtractHTTPPath(const String& URL) {
  String s = URL;
  const std::size_t scheme = LowerCase(s).find(u"http://");
  if (scheme != String::npos) s.erase(0, scheme + 7);
  const std::size_t slash = s.rfind(u'/');
  return slash == String::npos ? String() : s.substr(0, slash + 1);
}

String URLEncode(const String& Text) {
  String out;
  out.reserve(Text.size());
  for (const Char c : Text) {
    if (kUrlReserved.find(c) == std::u16string_view::npos) {
      out.push_back(c);
    } else {
      out.push_back(u'%');
      out.push_back(kHexDigits[c >> 4]);
      out.push_back(kHexDigits[c & 15]);
    }
  }
  return out;
}

String URLDecode(const String& Text) {
  String out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const int hi = Text[i] == u'%' && i + 2 < Text.size() ? HexDigitValue(Text[i + 1]) : -1;
    const int lo = hi >= 0 ? HexDigitValue(Text[i + 2]) : -1;
    if (lo < 0) {
      out.push_back(Text[i]);
      continue;
    }
    out.push_back(static_cast<Char>(hi * 16 + lo));
    i += 2;
  }
  return out;
}

// [SECTION] entities

String AnsiToHTMLEntity(Char C) {
  switch (C) {
    case u'&': return u"&amp;";
    case u'<': return u"&lt;";
    case u'>': return u"&gt;";
    case u'"': return u"&quot;";
    default: break;
  }
  if (C >= 160 && C <= 255) return AnsiToString(HTMLLat1Entities[C]);
  if (C > 255) return NumericReference(C);
  return String(1, C);
}

String MakeStringHTMLCompatible(const String& Text) {
  String out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const Char c = Text[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 && Text[i + 1] <= 0xDFFF;
    if (pair) {
      out += NumericReference(0x10000 + ((static_cast<uint32_t>(c) - 0xD800) << 10) + (Text[i + 1] - 0xDC00u));
      ++i;
    } else {
      out += AnsiToHTMLEntity(c);
    }
  }
  return out;
}

String HTMLEntityToAnsi(const String& Entity) {
  uint32_t cp = 0;
  if (ParseNumericReference(Entity, cp)) return CodePointToString(cp);
  const auto& table = EntityTable();
  const auto found = table.find(Entity);
  return found == table.end() ? Entity : String(1, found->second);
}

String ResolveHTMLEntities(const String& Text) {
  String out;
  out.reserve(Text.size());
  std::size_t i = 0;
  while (i < Text.size()) {
    const std::size_t limit = std::min(Text.size(), i + kMaxEntityLength);
    const std::size_t semicolon =
        Text[i] == u'&' ? static_cast<std::size_t>(std::find(Text.begin() + static_cast<std::ptrdiff_t>(i),
                                                             Text.begin() + static_cast<std::ptrdiff_t>(limit), u';') -
                                                   Text.begin())
                        : limit;
    if (semicolon < limit) {
      const String entity = Text.substr(i, semicolon - i + 1);
      const String resolved = HTMLEntityToAnsi(entity);
      if (resolved != entity) {
        out += resolved;
        i = semicolon + 1;
        continue;
      }
    }
    out.push_back(Text[i++]);
  }
  return out;
}

// [SECTION] page frame

String DefaultHTMLHead(const String& Title, const String& Author, const String& Keywords, const String& Description,
                       bool OpenBody) {
  String s = u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\r\n<html>\r\n<head>\r\n"
             u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
             u"<title>" + MakeStringHTMLCompatible(Title) + u"</title>\r\n";
  const std::pair<const char16_t*, const String*> metas[] = {
      {u"author", &Author}, {u"keywords", &Keywords}, {u"description", &Description}};
  for (const auto& [name, value] : metas)
    if (!value->empty())
      s += u"<meta name=\"" + String(name) + u"\" content=\"" + MakeStringHTMLCompatible(*value) + u"\">\r\n";
  s += u"</head>\r\n";
  if (OpenBody) s += u"<body>\r\n";
  return s;
}

String DefaultHTMLFoot(bool CloseBody) { return (CloseBody ? String(u"</body>\r\n") : String()) + u"</html>\r\n"; }

}  // namespace qelta
