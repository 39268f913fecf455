#include "Qelta_streams.h"
#include "Qelta_streams_internal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "Assertions.h"
#include "DirectPaths.h"
#include "FileTestKit.h"
#include "StrUtils.h"
#include "SysUtils.h"

using namespace qelta;
using qelta::test::TempDir;

namespace {

// A memory stream holding the given bytes, positioned at the start.
std::unique_ptr<TMemoryStream> Mem(const std::string& bytes) {
  auto s = std::make_unique<TMemoryStream>();
  s->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s->SetPosition(0);
  return s;
}

std::string Bytes(TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

const std::vector<String> kTags = {u"item", u"pt", u"map", u"/map", u"?xml", u"*"};

}  // namespace

// [lines]

TEST(ReadLnStream, LineEndsByMode) {
  struct Case { const char* bytes; int mode; const char16_t* line; bool end; int64_t position; };
  const Case cases[] = {
      {"ab\rc\nd\r\nz", 4, u"abcd", false, 8},  // lone CR and LF without CR are dropped
      {"ab\ncd", 0, u"ab", false, 3},
      {"ab\rcd", 1, u"ab", false, 3},
      {"ab\rcd", 2, u"ab", false, 3},
      {"a\nb\n\rc", 3, u"ab", false, 5},
      {"a\nb", 7, u"ab", true, 3},             // an unknown mode never ends a line
      {"a\tb\x01" "c", 0, u"a\tbc", true, 5},  // TAB kept, other control bytes dropped
      {"\xe9t\xe9", 0, u"\u00e9t\u00e9", true, 3},
      {"", 0, u"", true, 0},
  };
  for (const Case& c : cases) {
    auto s = Mem(c.bytes);
    bool end = !c.end;
    EXPECT_EQ(ReadLnStream(*s, end, c.mode), c.line) << c.bytes;
    EXPECT_EQ(end, c.end) << c.bytes;
    EXPECT_EQ(s->Position(), c.position) << c.bytes;
  }
}

TEST(ReadLnStream, LastLineWithoutLineEndSetsTheEndFlag) {
  auto s = Mem("one\r\ntwo");
  bool end = true;
  EXPECT_EQ(ReadLnStream(*s, end, 4), u"one");
  EXPECT_FALSE(end);
  EXPECT_EQ(ReadLnStream(*s, end, 4), u"two");
  EXPECT_TRUE(end);
}

TEST(WriteStringStream, WritesTheLowEightBitsOfEachCharacterWithoutTerminator) {
  TMemoryStream s;
  WriteLnStream(s, u"A\u0141\u00e9");
  EXPECT_EQ(Bytes(s), "AA\xe9\r\n");
  TMemoryStream big;
  WriteStringStream(big, String(10000, u'x'));  // more than one 4096-byte buffer
  EXPECT_EQ(big.Size(), 10000);
}

// [raw numbers]

TEST(ExtendedInStream, WritesTheTenByteImageAndReadsItBack) {
  TMemoryStream s;
  WriteExtendedToStream(s, 1.0L);
  EXPECT_EQ(Bytes(s), std::string("\0\0\0\0\0\0\0\x80\xff\x3f", 10));
  const Extended values[] = {-2.5L, 0.0L, -0.0L, std::numeric_limits<Extended>::max(),
                             std::numeric_limits<Extended>::denorm_min(), std::numeric_limits<Extended>::infinity(),
                             3.14159265358979323846264L};
  for (Extended v : values) {
    TMemoryStream m;
    WriteExtendedToStream(m, v);
    m.SetPosition(0);
    bool error = true;
    const Extended back = ReadExtendedFromStream(m, error);
    EXPECT_FALSE(error);
    EXPECT_EQ(back, v);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
  }
  auto nan = std::make_unique<TMemoryStream>();
  WriteExtendedToStream(*nan, std::numeric_limits<Extended>::quiet_NaN());
  nan->SetPosition(0);
  bool error = true;
  EXPECT_TRUE(std::isnan(ReadExtendedFromStream(*nan, error)));
}

TEST(ExtendedInStream, ShortReadSetsTheErrorFlag) {
  auto s = Mem("123456789");
  bool error = false;
  ReadExtendedFromStream(*s, error);
  EXPECT_TRUE(error);
}

TEST(LongintInStream, LittleEndianTwosComplement) {
  TMemoryStream s;
  WriteLongintToStream(s, -2);
  WriteLongintToStream(s, 0x12345678);
  EXPECT_EQ(Bytes(s), "\xfe\xff\xff\xff\x78\x56\x34\x12");
  s.SetPosition(0);
  bool error = true;
  EXPECT_EQ(ReadLongintFromStream(s, error), -2);
  EXPECT_EQ(ReadLongintFromStream(s, error), 0x12345678);
  EXPECT_FALSE(error);
  ReadLongintFromStream(s, error);
  EXPECT_TRUE(error);
}

// [searching]

TEST(FindInStream, StopsJustBehindTheByteOrAtTheEnd) {
  auto s = Mem("abc;def");
  EXPECT_TRUE(FindInStream(*s, ';'));
  EXPECT_EQ(s->Position(), 4);
  EXPECT_FALSE(FindInStream(*s, ';'));
  EXPECT_EQ(s->Position(), 7);
}

TEST(StreamAsString, ReadsTheRestAcrossBlockBoundaries) {
  for (std::size_t n : {0u, 255u, 256u, 257u, 512u}) {
    auto s = Mem("#" + std::string(n, '\xb5'));
    s->SetPosition(1);
    EXPECT_EQ(StreamAsString(*s), String(n, u'\u00b5')) << n;
  }
}

TEST(ReadStreamUntil, FindsTheKeyIgnoringCaseAcrossBlocks) {
  const std::string bytes = "x" + std::string(252, '.') + "EnD-tail";  // the key straddles byte 256
  auto s = Mem(bytes);
  s->SetPosition(1);
  int code = 1;
  const String text = ReadStreamUntil(*s, u"end-", code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(text.size(), 256u);
  EXPECT_EQ(text.substr(252), u"EnD-");
  EXPECT_EQ(s->Position(), 257);
  ReadStreamUntil(*s, u"nothing", code);
  EXPECT_EQ(code, -1);
}

// [number scanners]

TEST(ScanStreamDecimal, SkipsBlanksTakesOneSignAndConsumesTheEndingByte) {
  struct Case { const char* bytes; int32_t value; int64_t position; };
  const Case cases[] = {
      {"  -42x1", -42, 6}, {"+7", 7, 2}, {"4294967297 ", 1, 11},  // wraps without an overflow check
      {"\t5", 0, 1},       {"- 5", 0, 2}, {"", 0, 0},
  };
  for (const Case& c : cases) {
    auto s = Mem(c.bytes);
    EXPECT_EQ(ScanStreamDecimal(*s), c.value) << c.bytes;
    EXPECT_EQ(s->Position(), c.position) << c.bytes;
  }
}

TEST(ScanStreamFPNum, StateMachineCases) {
  struct Case { const char* bytes; bool exponent; int mode; double value; int64_t position; };
  const Case cases[] = {
      {"3,25E2;", true, 2, 325, 6},     {"3,25E2;", false, 2, 3.25, 4},   {"12.", true, 1, 12, 3},
      {"-a", true, 1, 0, 1},            {" \t\r\n-1.5e-1 ", true, 3, -0.15, 11}, {".5x", true, 1, 0.5, 2},
      {"1.2.3", true, 3, 0, 3},         {"1E5000", true, 1, 1.7e308, 6},  {"-1E5000;", true, 1, -1.7e308, 7},
      {"1e-5000;", true, 1, 0, 7},      {"7e+", true, 1, 0, 3},           {"2,5", true, 1, 2, 1},
      {"+4 ", true, 0, 4, 2},           {"1E", true, 1, 0, 2},
  };
  for (const Case& c : cases) {
    auto s = Mem(c.bytes);
    EXPECT_EQ(ScanStreamFPNum(*s, c.exponent, c.mode), c.value) << c.bytes;
    EXPECT_EQ(s->Position(), c.position) << c.bytes;
  }
}

// Regression: a number that ran to the end of the stream stepped back anyway and left the position
// on its last byte, so the next reader read that byte a second time.
TEST(ScanStreamFPNum, DoesNotStepBackWhenTheStreamEndedTheNumber) {
  auto s = Mem("12");
  EXPECT_EQ(ScanStreamFPNum(*s, true, 1), 12);
  EXPECT_EQ(s->Position(), 2);
  bool end = false;
  EXPECT_EQ(ReadLnStream(*s, end, 0), u"");
  EXPECT_TRUE(end);
}

TEST(CountLinesInStream, CountsLineFeedsFromThePosition) {
  auto s = Mem("a\nb\r\nc\rd\n");
  s->SetPosition(2);
  EXPECT_EQ(CountLinesInStream(*s), 2);
}

// [attributes]

TEST(ScanForXMLAttrib, FindsNamesIgnoringCaseAndStopsAtASyntaxFault) {
  struct Case { const char16_t* attributes; const char16_t* name; const char16_t* value; };
  const Case cases[] = {
      {u"A=\"1\" b=2", u"a", u"1"},
      {u"A=\"1\" b=2", u"B", u"2"},
      {u"A=\"1\" b=2", u"c", u""},
      {u"t=\"x = y\" t=\"second\"", u"t", u"x = y"},  // the first of equal names wins
      {u" spaced  =   \"v\"", u"spaced", u"v"},
      {u"bad=1=2 ok=3", u"ok", u""},                 // '=' inside a bare value ends the scan
      {u"\"q\" ok=3", u"ok", u""},                   // a quote in a name ends the scan
      {u"x==1 ok=3", u"ok", u""},
      {u"", u"a", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScanForXMLAttrib(c.attributes, c.name), c.value) << StringToUtf8(c.attributes);
    // The pairs read at once give the same answer: the first pair of the lower-cased name.
    String fromPairs;
    for (const auto& [pairName, value] : ScanXMLAttributes(c.attributes))
      if (pairName == LowerCase(c.name)) {
        fromPairs = value;
        break;
      }
    EXPECT_EQ(fromPairs, c.value) << StringToUtf8(c.attributes);
  }
}

// [tags]

TEST(ReadNextTagInStream, ReadsNameAttributesAndContent) {
  struct Case { const char* bytes; int index; const char16_t* attributes; const char16_t* content; };
  const Case cases[] = {
      {"<Item Name=\"x\">Text</ITEM>", 0, u"Name=\"x\"", u"Text"},
      {"junk <pt x=\"1\" />rest", 1, u"x=\"1\"", u""},
      {"</map>", 3, u"", u""},
      {"<pt/>", 5, u"", u""},  // no blank: the whole tag text is the name
      {"<item>a<item>b</item>c</item>", 0, u"", u"a<item>b"},
      {"<item>Line 1\r\nLINE 2</item>", 0, u"", u"Line 1\r\nLINE 2"},
      {"<item   a=1   >x", 0, u"a=1", u"x"},  // no closing tag: content runs to the end
      {"", 5, u"", u""},
  };
  for (const Case& c : cases) {
    auto s = Mem(c.bytes);
    String attributes = u"old", content = u"old";
    EXPECT_EQ(ReadNextTagInStream(*s, kTags, attributes, content), c.index) << c.bytes;
    EXPECT_EQ(attributes, c.attributes) << c.bytes;
    EXPECT_EQ(content, c.content) << c.bytes;
  }
}

TEST(ReadNextTagInStream, UnlistedTagGivesTheLastIndexAndItsContentIsConsumed) {
  auto s = Mem("<other>a<item>no</item></other><item>yes</item>");
  String attributes, content;
  EXPECT_EQ(ReadNextTagInStream(*s, kTags, attributes, content), 5);
  EXPECT_EQ(ReadNextTagInStream(*s, kTags, attributes, content), 0);
  EXPECT_EQ(content, u"yes");
  EXPECT_EQ(ReadNextTagInStream(*s, {}, attributes, content), -1);
}

// Regression: a declaration "<?xml ...?>" or a comment "<!-- -->" looked for its closing tag
// "</?xml>" and swallowed the rest of the input as its content.
TEST(ReadNextTagInStream, DeclarationsAndCommentsReadNoContent) {
  auto s = Mem("<?xml version=\"1.0\"?>\r\n<!-- <item>hidden</item> -> --><item>shown</item>");
  String attributes, content;
  EXPECT_EQ(ReadNextTagInStream(*s, kTags, attributes, content), 4);
  EXPECT_EQ(attributes, u"version=\"1.0\"?");
  EXPECT_EQ(content, u"");
  EXPECT_EQ(ReadNextTagInStream(*s, kTags, attributes, content), 5);  // the comment, whole
  EXPECT_EQ(content, u"");
  EXPECT_EQ(ReadNextTagInStream(*s, kTags, attributes, content), 0);
  EXPECT_EQ(content, u"shown");
}

// Regression: the end-tag search scanned the whole content after every '>', which made long contents
// with many '>' quadratic; now only the tail is compared. The result must stay the same.
TEST(ReadNextTagInStream, LongContentWithManyTagsEndsAtTheRightClosingTag) {
  std::string body;
  for (int i = 0; i < 20000; ++i) body += "<v>" + std::to_string(i) + "</v>";
  auto s = Mem("<map>" + body + "</MAP><pt/>");
  String attributes, content;
  EXPECT_EQ(ReadNextTagInStream(*s, kTags, attributes, content), 2);
  EXPECT_EQ(content.size(), body.size());
  EXPECT_EQ(s->Position(), static_cast<int64_t>(5 + body.size() + 6));
}

TEST(ReadNextTagInTextFile, ReadsTagsFromAnOpenTextFile) {
  TempDir dir;
  dir.Put("t.xml", "<?xml v=\"1\"?>\r\n<Item id=\"7\">Gr\xfc\xdf" "e\r\n</item>\r\n</map>");
  TextFile f;
  AssignFile(f, dir / "t.xml");
  Reset(f);
  String attributes, content;
  EXPECT_EQ(ReadNextTagInTextFile(f, kTags, attributes, content), 4);
  EXPECT_EQ(ReadNextTagInTextFile(f, kTags, attributes, content), 0);
  EXPECT_EQ(ScanForXMLAttrib(attributes, u"ID"), u"7");
  EXPECT_EQ(content, U8("Grüße\r\n"));
  EXPECT_EQ(ReadNextTagInTextFile(f, kTags, attributes, content), 3);
  EXPECT_EQ(ReadNextTagInTextFile(f, kTags, attributes, content), 5);
  EXPECT_TRUE(Eof(f));
  CloseFile(f);
}

TEST(XmlEscape, WritesReferencesThatXmlUnescapeReadsBack) {
  struct Case { const char16_t* text; const char16_t* escaped; };
  const Case cases[] = {
      {u"a&b<c>\"d'", u"a&amp;b&lt;c&gt;&quot;d'"},
      {u"tab\tline\r\n", u"tab&#9;line&#13;&#10;"},          // no line end survives in a line
      {u"\u00e9\u00a0\u0080\u20ac", u"\u00e9\u00a0&#128;&#8364;"},  // 160..255 as they stand
      {u"\U0001F600", u"&#128512;"},                            // a surrogate pair is one code point
      {u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(XmlEscape(c.text), c.escaped);
    EXPECT_EQ(XmlUnescape(c.escaped), c.text);
  }
  EXPECT_EQ(XmlUnescape(u"&apos;&#x41;&#X42;&amp"), u"'AB&amp");  // an unfinished reference stays
  EXPECT_EQ(XmlUnescape(u"&bogus; &#xZ; &#1114112;"), u"&bogus; &#xZ; &#1114112;");
}

// [block reading beside its plain twin]

namespace {

// Texts for the twins: markup cut anywhere, comments, unclosed tags, every line end, Windows-1252 bytes, and
// one document longer than the readers' blocks, so that tags and closing tags straddle block ends.
std::vector<std::string> TwinTexts() {
  std::vector<std::string> texts = {
      "", "<", ">", "<!-->", "<!--a>b-->c<item>", "<!->x", "<item a=\"1\">x</item", "<item>\x80\x9f\xff</ITEM>",
      "\r\n<pt/>\r<map id=x>\n<item>a<b>c</b></item></map>", "<?xml v=\"1\"?>\r\n<item n = 'q' >\r\n</item\r\n>",
      "<map><item>no end", "text only\r\nno tags\n",
  };
  std::mt19937 gen(4711);
  const std::string pieces[] = {"<item k=\"v\">", "</item>", "<pt x=1 />", "<!-- c -->", "<map>", "</MAP>", "\r\n",
                                "\n", "\r", "text ", "\x80\x8e\x9f\xe9", ">", "<", "<!--", "-->", "</it"};
  std::string doc;
  while (doc.size() < 20000) doc += pieces[gen() % std::size(pieces)];
  texts.push_back(doc);
  return texts;
}

// What a medium gives out, tag after tag (and a line between tags where lines ask for it), with where it
// stands after each.
std::vector<String> TagTrace(const std::string& bytes, int medium, bool direct) {
  const bool saved = platform_detail::SetDirectPaths(direct);
  std::vector<String> trace;
  auto s = Mem(bytes);
  TempDir dir;
  dir.Put("t.xml", bytes);
  TextFile f;
  AssignFile(f, dir / "t.xml");
  Reset(f);
  std::unique_ptr<TTagReader> reader = medium == 0 ? std::make_unique<TTagReader>(*s) : std::make_unique<TTagReader>(f);
  String attributes, content, line;
  for (std::size_t n = 0; n <= bytes.size() && !reader->AtEnd(); ++n) {
    int tag = 0;
    if (medium == 2) {
      tag = ReadNextTagInStream(*s, kTags, attributes, content);
    } else {
      if (n % 3 == 2) reader->ReadLine(line);
      tag = reader->NextTag(kTags, attributes, content);
    }
    trace.push_back(IntToStr(tag) + u"|" + attributes + u"|" + content + u"|" + line + u"|" +
                    IntToStr(reader->CharsRead()) + u"|" + IntToStr(s->Position()) + u"|" + (Eof(f) ? u"end" : u"more"));
  }
  CloseFile(f);
  platform_detail::SetDirectPaths(saved);
  return trace;
}

}  // namespace

// The tag readers take a file's or a stream's bytes in blocks; character by character (the direct paths
// off) they must give out the same tags, lines and positions, on every medium.
TEST(TagReaders, ReadInBlocksAsCharacterByCharacter) {
  for (const std::string& text : TwinTexts())
    for (int medium = 0; medium < 3; ++medium)
      EXPECT_EQ(TagTrace(text, medium, true), TagTrace(text, medium, false)) << medium << " " << text.substr(0, 60);
}

// The attribute scanner finds its pairs by spans; its plain twin steps through the state machine.
TEST(ScanXMLAttributes, SpansAgreeWithTheStateMachine) {
  std::vector<String> texts = {u"", u" ", u"a", u"a=", u"a= ", u"a=\"", u"=", u"==", u"a=b=c", u"a=\"b\"c=d", u" x = y ",
                               u"a=b\"c=d", u"\"", u"a b=1", u"a=  \"q q\"  b=2 "};
  std::mt19937 gen(99);
  const Char alphabet[] = {u'a', u'B', u'=', u'"', u' ', u'x'};
  for (int k = 0; k < 2000; ++k) {
    String t;
    for (unsigned n = gen() % 12; n > 0; --n) t += alphabet[gen() % std::size(alphabet)];
    texts.push_back(t);
  }
  // Longer texts of pairs as writers put them, now and then one character of them changed, so that names,
  // values and faults stand at every place of the blocks the scanner looks at together.
  for (int k = 0; k < 600; ++k) {
    String t;
    for (unsigned pairs = 1 + gen() % 5; pairs > 0; --pairs)
      t += String(1 + gen() % 2, u' ') + String(gen() % 12, u'n') + u"=\"" + String(gen() % 30, u'v') + u"\"";
    for (unsigned changes = gen() % 3; changes > 0 && !t.empty(); --changes) t[gen() % t.size()] = alphabet[gen() % std::size(alphabet)];
    texts.push_back(t);
  }
  for (const String& t : texts) {
    const bool saved = platform_detail::SetDirectPaths(false);
    const auto plain = ScanXMLAttributes(t);
    const String plainB = ScanForXMLAttrib(t, u"B");
    platform_detail::SetDirectPaths(true);
    EXPECT_EQ(ScanXMLAttributes(t), plain) << StringToUtf8(t);
    EXPECT_EQ(ScanForXMLAttrib(t, u"B"), plainB) << StringToUtf8(t);
    platform_detail::SetDirectPaths(saved);
    // The places of the pairs, for readers that look at them in the text, hold the same pairs.
    std::vector<TXMLAttributeSpan> spans(3);
    ScanXMLAttributeSpans(t, spans);
    std::vector<std::pair<String, String>> placed;
    for (const TXMLAttributeSpan& s : spans)
      placed.emplace_back(LowerCase(t.substr(s.NameFrom, s.NameTo - s.NameFrom)), t.substr(s.ValueFrom, s.ValueTo - s.ValueFrom));
    EXPECT_EQ(placed, plain) << StringToUtf8(t);
  }
}

// A reader of many tags checks each tag's pairs against the names of the tag before. Tags of one set of
// names with values of every length (so that quotes fall on every place of the 64-character blocks the check
// looks at together), now and then a blank more, blanks around '=', a name in other case, a pair more or less,
// a bare value, an '=' or a quote in a value, a character changed: the spans must be those of
// ScanXMLAttributeSpans, and the answer true exactly when the names are those of the tag before, in order.
TEST(ScanXMLAttributes, SpansAgainstTheNamesBeforeAreTheSpans) {
  std::mt19937 gen(1105);
  const std::vector<String> names = {u"lat", u"long", u"x", u"colorfg", u"capfgcolor", u"", u"a b", u"id"};
  const Char noise[] = {u'"', u'=', u' ', u'a', u'L'};
  core_detail::TXMLAttributeNames before;
  std::vector<String> namesBefore;
  std::vector<TXMLAttributeSpan> spans, plain;
  for (int k = 0; k < 1500; ++k) {
    String t;
    const std::size_t count = k % 50 < 40 ? 6 : 3 + gen() % 5;  // mostly the same names, in runs
    for (std::size_t p = 0; p < count; ++p) {
      String name = names[(p + (k % 50 < 40 ? 0 : gen() % 3)) % names.size()];
      if (gen() % 40 == 0 && !name.empty()) name = UpperCase(name);
      String value(gen() % 70, u'v');
      if (gen() % 20 == 0 && !value.empty()) value[gen() % value.size()] = u'=';
      const String equals = gen() % 30 ? u"=" : u" = ";
      t += String(p == 0 ? 0 : 1 + (gen() % 30 == 0), u' ') + name + equals + (gen() % 60 ? u"\"" + value + u"\"" : value);
    }
    if (gen() % 15 == 0 && !t.empty()) t[gen() % t.size()] = noise[gen() % std::size(noise)];
    ScanXMLAttributeSpans(t, plain);
    std::vector<String> found;
    for (const TXMLAttributeSpan& s : plain) found.push_back(t.substr(s.NameFrom, s.NameTo - s.NameFrom));
    const bool same = core_detail::ScanXMLAttributeSpansLike(t, before, spans);
    ASSERT_EQ(same, found == namesBefore) << StringToUtf8(t);
    ASSERT_EQ(spans.size(), plain.size()) << StringToUtf8(t);
    for (std::size_t p = 0; p < plain.size(); ++p) {
      ASSERT_EQ(spans[p].NameFrom, plain[p].NameFrom) << StringToUtf8(t);
      ASSERT_EQ(spans[p].NameTo, plain[p].NameTo) << StringToUtf8(t);
      ASSERT_EQ(spans[p].ValueFrom, plain[p].ValueFrom) << StringToUtf8(t);
      ASSERT_EQ(spans[p].ValueTo, plain[p].ValueTo) << StringToUtf8(t);
    }
    namesBefore = found;
  }
}

// [lines and tags of one medium]

// One text read through each medium gives the same lines and tags in turn: tags go on from where the
// last line ended, and a line from where the last tag ended.
TEST(TTagReader, ReadsTheSameLinesAndTagsFromATextFileAStreamAndAText) {
  const std::string bytes = "<?xml?>\r\n<map id=\"x\">\r\n  <item n=\"1\">a</item>\r\n</map>\r\ntail";
  TempDir dir;
  dir.Put("t.xml", bytes);
  TextFile f;
  AssignFile(f, dir / "t.xml");
  Reset(f);
  auto s = Mem(bytes);
  const String text(bytes.begin(), bytes.end());
  TTagReader file(f), stream(*s), string(text);
  for (TTagReader* r : {&file, &stream, &string}) {
    String line, attributes, content;
    EXPECT_TRUE(r->ReadLine(line) && line == u"<?xml?>");
    EXPECT_TRUE(r->ReadLine(line) && line == u"<map id=\"x\">");
    EXPECT_EQ(r->NextTag(kTags, attributes, content), 0);
    EXPECT_EQ(attributes, u"n=\"1\"");
    EXPECT_EQ(content, u"a");
    EXPECT_EQ(r->NextTag(kTags, attributes, content), 3);
    EXPECT_TRUE(r->ReadLine(line) && line.empty());
    EXPECT_FALSE(r->AtEnd());
    EXPECT_TRUE(r->ReadLine(line) && line == u"tail");
    EXPECT_TRUE(r->AtEnd());
    EXPECT_FALSE(r->ReadLine(line));
    EXPECT_EQ(line, u"tail");  // unchanged at the end
  }
  EXPECT_EQ(s->Position(), s->Size());
  CloseFile(f);
}

// The readers bound what they reserve by CharsRead: it must grow with what was read, never pass the
// input's size, and not depend on the medium.
TEST(TTagReader, CharsReadIsOneLowerBoundOfWhatEveryMediumGaveOut) {
  const std::string bytes = "<matrix id=\"x\">\r\n  <cells row=\"1\">1 2 3</cells>\r\n  <cells row=\"2\">4</cells>\r\n";
  TempDir dir;
  dir.Put("t.xml", bytes);
  TextFile f;
  AssignFile(f, dir / "t.xml");
  Reset(f);
  auto s = Mem(bytes);
  const String text(bytes.begin(), bytes.end());
  TTagReader file(f), stream(*s), string(text);
  const std::vector<String> tags{u"cells", u"other"};
  std::vector<int64_t> counts;
  for (TTagReader* r : {&file, &stream, &string}) {
    String line, attributes, content;
    EXPECT_EQ(r->CharsRead(), 0);
    r->ReadLine(line);
    EXPECT_EQ(r->CharsRead(), static_cast<int64_t>(line.size()) + 1);
    for (int64_t before = r->CharsRead(); r->NextTag(tags, attributes, content) == 0; before = r->CharsRead())
      EXPECT_GE(r->CharsRead() - before, static_cast<int64_t>(attributes.size() + content.size()));
    EXPECT_LE(r->CharsRead(), static_cast<int64_t>(bytes.size()));
    counts.push_back(r->CharsRead());
  }
  EXPECT_EQ(counts, std::vector<int64_t>(3, counts[0]));
  CloseFile(f);
}

TEST(TTagReader, StreamLinesEndByTheLineMode) {
  struct Case { const char* bytes; int mode; std::vector<String> lines; };
  const Case cases[] = {
      {"a\rb\r\nc\n", 0, {u"ab", u"c"}},               // CR dropped, a final LF ends the last line
      {"a\rb\nc", 2, {u"a", u"b", u"c"}},                // lone CR and LF both end a line
      {"", 0, {}},
  };
  for (const Case& c : cases) {
    auto s = Mem(c.bytes);
    TTagReader r(*s, c.mode);
    std::vector<String> lines;
    for (String line; r.ReadLine(line);) lines.push_back(line);
    EXPECT_EQ(lines, c.lines) << c.bytes;
  }
}

// The text is read as it stands: only the CR before a LF leaves a line.
TEST(TTagReader, TextLinesKeepTheirControlCharacters) {
  const String text = u"a\tb\x01\r\n\rc";
  TTagReader r(text);
  String line;
  EXPECT_TRUE(r.ReadLine(line) && line == u"a\tb\x01");
  EXPECT_TRUE(r.ReadLine(line) && line == u"\rc");
  EXPECT_FALSE(r.ReadLine(line));
}

// [further helpers]

TEST(ScanStreamForXMLTag, SkipsToTheNamedElement) {
  auto s = Mem("<a>1</a><B k=\"v\">2</b><c/>");
  String attributes, content;
  EXPECT_TRUE(ScanStreamForXMLTag(*s, u"b", attributes, content));
  EXPECT_EQ(attributes, u"k=\"v\"");
  EXPECT_EQ(content, u"2");
  EXPECT_FALSE(ScanStreamForXMLTag(*s, u"b", attributes, content));
  EXPECT_EQ(content, u"");
}

TEST(ReadStreamUntilTagList, StopsBehindTheFirstListedText) {
  auto s = Mem("head <ROW>x<col>");
  int index = -2;
  EXPECT_EQ(ReadStreamUntilTagList(*s, {u"<col>", u"<row>"}, index), u"head <ROW>");
  EXPECT_EQ(index, 1);
  EXPECT_EQ(s->Position(), 10);
  EXPECT_EQ(ReadStreamUntilTagList(*s, {u"<none>"}, index), u"x<col>");
  EXPECT_EQ(index, -1);
}

TEST(ExtractFromStream, CopiesTheLinesHoldingAKey) {
  auto s = Mem("alpha\r\nBeta\ngamma\rdelta beta");
  TStringList keys;
  keys.Add(u"BETA");
  keys.Add(u"gam");
  TMemoryStream target;
  EXPECT_EQ(ExtractFromStream(*s, target, keys), 3);
  EXPECT_EQ(Bytes(target), "Beta\r\ngamma\r\ndelta beta\r\n");
}

TEST(SearchAndReplace, ReplacesWithinTheRangeAndCount) {
  auto src = Mem("aXa xa XA | xa");
  TMemoryStream dst;
  int calls = 0;
  const int n = SearchAndReplace(*src, dst, u"xa", u"[]", true, 1, 2, u"|",
                                 [&](const String& found, String& rep) {
                                   ++calls;
                                   if (found == u"XA") rep = u"<>";
                                 });
  EXPECT_EQ(n, 2);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Bytes(dst), "a[] [] XA | xa");
  auto all = Mem("xa xa");
  EXPECT_EQ(SearchAndReplace(*all, dst, u"xa", u"y", false, 0, 0, u"", nullptr), 2);
  EXPECT_EQ(Bytes(dst), "y y");
  EXPECT_EQ(SearchAndReplace(dst, dst, u"y", u"z", false, 0, 0, u"", nullptr), 0);  // same stream: refused
  EXPECT_EQ(Bytes(dst), "y y");
}
