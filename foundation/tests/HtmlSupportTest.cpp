// Qelta_htmlsupport: placeholders, word counts, addresses, URL coding and entities.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_htmlsupport.h"

using namespace qelta;

namespace {

struct TCall {
  String name, params, replacement;
  bool operator==(const TCall&) const = default;
};

class HtmlProducerTest : public ::testing::Test {
 protected:
  /// Records every call; the replacement becomes "[name|params]".
  void Record() {
    producer.OnHTMLTag = [this](TObject* sender, const String& name, const String& params, String& replacement) {
      EXPECT_EQ(sender, &producer);
      calls.push_back({name, params, replacement});
      replacement = u"[" + name + u"|" + params + u"]";
    };
  }
  THtmlProducer producer{nullptr};
  std::vector<TCall> calls;
};

TEST_F(HtmlProducerTest, PlaceholdersReachTheHandler) {
  Record();
  const struct {
    const char16_t* tmpl;
    const char16_t* converted;
    std::vector<TCall> calls;
  } cases[] = {
      {u"Today: <#date> and more", u"Today: [date|] and more", {{u"date", u"", u"<#date>"}}},
      {u"<#Table  Rows=3 Style=Bold >", u"[table|Rows=3 Style=Bold]", {{u"table", u"Rows=3 Style=Bold", u"<#Table  Rows=3 Style=Bold >"}}},
      {u"<b>bold</b> a < b <", u"<b>bold</b> a < b <", {}},
      {u"<#a <#b> c>", u"[a|<#b] c>", {{u"a", u"<#b", u"<#a <#b>"}}},  // not nested
      {u"end <#open x", u"end [open|x]", {{u"open", u"x", u"<#open x"}}},  // runs to the end
      {u"<#>", u"[|]", {{u"", u"", u"<#>"}}},
      {u"", u"", {}},
  };
  for (const auto& c : cases) {
    calls.clear();
    producer.SetTemplate(c.tmpl);
    EXPECT_EQ(producer.Convert(), c.converted) << StringToUtf8(c.tmpl);
    EXPECT_EQ(producer.ConvertedHTML(), c.converted);
    EXPECT_EQ(calls, c.calls) << StringToUtf8(c.tmpl);
  }
}

TEST_F(HtmlProducerTest, WithoutAHandlerTheTemplateStays) {
  producer.SetTemplate(u"<html><#title x=1>\r\n<#body></html>");
  EXPECT_EQ(producer.Convert(), producer.Template());
}

TEST_F(HtmlProducerTest, ManyPlaceholdersConvertInOnePass) {
  String tmpl;
  for (int i = 0; i < 20000; ++i) tmpl += u"text <#n> ";
  tmpl += String(50000, u'<');  // many '<' without '#', then a placeholder with a long parameter text
  tmpl += u"<#long " + String(100000, u'x');
  producer.SetTemplate(tmpl);
  int n = 0;
  producer.OnHTMLTag = [&](TObject*, const String& name, const String&, String& r) {
    if (name == u"n") r = Utf8ToString(std::to_string(++n));
  };
  const String out = producer.Convert();
  EXPECT_EQ(n, 20000);
  EXPECT_EQ(out.substr(0, 14), u"text 1 text 2 ");
  const std::size_t digits = 9 * 1 + 90 * 2 + 900 * 3 + 9000 * 4 + 10001 * 5;  // of the numbers 1..20000
  EXPECT_EQ(out.size(), tmpl.size() - 20000 * 4 + digits);
}

TEST_F(HtmlProducerTest, TemplatesFromFilesAndStreamsAndResultsOut) {
  test::TempDir dir;
  dir.Put("t.html", "<p><#a></p>\nline 2");
  producer.ReadTemplateFromFile(dir / "t.html");
  EXPECT_EQ(producer.Template(), u"<p><#a></p>\r\nline 2\r\n");
  TStringStream in(u"x<#y>z");
  in.SetPosition(3);
  producer.ReadTemplateFromStream(in);  // from position 0 whatever the position
  EXPECT_EQ(producer.Template(), u"x<#y>z");
  producer.OnHTMLTag = [](TObject*, const String&, const String&, String& r) { r = U8("é\r\n"); };
  producer.Convert();
  producer.WriteConvertedHTMLToFile(dir / "out.html");
  EXPECT_EQ(dir.Get("out.html"), "x\xE9\r\nz");
  TStringStream* s = producer.ConvertedHTMLAsStream();
  EXPECT_EQ(s->Position(), 0);
  EXPECT_EQ(s->DataString(), U8("xé\r\nz"));
  EXPECT_NE(producer.ConvertedHTMLAsStream(), nullptr);  // the earlier stream is freed by the producer
}

TEST(CountWordsHTML, CountsWordsOutsideTags) {
  const struct {
    const char16_t* text;
    bool skipNumbers;
    int words;
  } cases[] = {
      {u"two words ", false, 2},
      {u"a b c ", false, 0},  // one-letter words do not count
      {u"<p class=\"x y z\">Hello world</p> ", false, 2},
      {u"last word", false, 1},  // a word no separator follows is not counted
      {u"12 apples and 7 pears ", true, 3},
      {u"12 apples ", false, 2},
      {u"x<b>yy</b>zz<i>", false, 2},
  };
  for (const auto& c : cases) {
    bool inTag = false;
    EXPECT_EQ(CountWordsHTML(c.text, c.skipNumbers, inTag), c.words) << StringToUtf8(c.text);
    EXPECT_FALSE(inTag);
  }
  bool inTag = false;
  EXPECT_EQ(CountWordsHTML(u"one <a href=", false, inTag), 1);
  EXPECT_TRUE(inTag);
  EXPECT_EQ(CountWordsHTML(u"\"two three\">four five ", false, inTag), 2);  // the tag went on
  EXPECT_FALSE(inTag);
}

TEST(ExtractHTTPPath, CutsSchemeAndFileName) {
  const struct {
    const char16_t* url;
    const char16_t* path;
  } cases[] = {
      {u"http://host/a/b.html", u"host/a/"},
      {u"HTTP://Host/Index.htm", u"Host/"},
      {u"see http://h/x", u"h/"},
      {u"ftp://h/a/b", u"ftp://h/a/"},
      {u"host", u""},  // left open: no '/' left gives ""
      {u"http://host", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractHTTPPath(c.url), c.path) << StringToUtf8(c.url);
}

TEST(URLCoding, EncodesReservedCharactersAndDecodesOnce) {
  const struct {
    const char16_t* plain;
    const char16_t* encoded;
  } cases[] = {
      {u" ", u"%20"}, {u"'", u"%27"}, {u"a", u"a"},
      {u"!*'();:@&=+$,/?%#[]", u"%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"},
      {u"a-b_c.d~\u00e9\u20ac", u"a-b_c.d~\u00e9\u20ac"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(URLEncode(c.plain), c.encoded) << StringToUtf8(c.plain);
    EXPECT_EQ(URLDecode(c.encoded), c.plain) << StringToUtf8(c.encoded);
  }
  const struct {
    const char16_t* in;
    const char16_t* out;
  } decodes[] = {
      {u"%4", u"%4"}, {u"%", u"%"}, {u"%41", u"A"}, {u"%2f%2F", u"//"}, {u"%zz%4g", u"%zz%4g"}, {u"100%", u"100%"},
      {u"%2541", u"%41"},  // regression: a second pass decoded this to "A"
      {u"%%41", u"%A"},
  };
  for (const auto& d : decodes) EXPECT_EQ(URLDecode(d.in), d.out) << StringToUtf8(d.in);
}

TEST(URLCoding, EncodingThenDecodingRestoresEveryText) {
  String all;
  for (int c = 0; c < 300; ++c) all.push_back(static_cast<Char>(c));
  for (const String& s : {all, String(u"%2541"), String(u"%%%"), String(u"a%20b")})
    EXPECT_EQ(URLDecode(URLEncode(s)), s);
}

TEST(HTMLEntities, CharactersAndEntitiesBothWays) {
  EXPECT_EQ(AnsiToHTMLEntity(u'<'), u"&lt;");
  EXPECT_EQ(AnsiToHTMLEntity(u'"'), u"&quot;");
  EXPECT_EQ(AnsiToHTMLEntity(u'a'), u"a");
  EXPECT_EQ(AnsiToHTMLEntity(0xA0), u"&nbsp;");
  EXPECT_EQ(AnsiToHTMLEntity(0xE9), u"&eacute;");
  EXPECT_EQ(AnsiToHTMLEntity(0x20AC), u"&#8364;");
  EXPECT_EQ(MakeStringHTMLCompatible(U8("a<b & \"é\" 😀")), u"a&lt;b &amp; &quot;&eacute;&quot; &#128512;");

  EXPECT_EQ(HTMLEntityToAnsi(u"&Auml;"), U8("Ä"));
  EXPECT_EQ(HTMLEntityToAnsi(u"&auml;"), U8("ä"));
  EXPECT_EQ(HTMLEntityToAnsi(u"&#233;"), U8("é"));
  EXPECT_EQ(HTMLEntityToAnsi(u"&#xE9;"), U8("é"));
  EXPECT_EQ(HTMLEntityToAnsi(u"&#x1F600;"), U8("😀"));
  for (const char16_t* unknown : {u"&foo;", u"&AMP;", u"&#0;", u"&#xD800;", u"&#x110000;", u"&#;", u"&#x;", u"&#12a;",
                                  u"&amp"})
    EXPECT_EQ(HTMLEntityToAnsi(unknown), unknown) << StringToUtf8(unknown);

  EXPECT_EQ(ResolveHTMLEntities(u"a &lt;b&gt; &amp;amp; &copy;&#169;&#xa9; &bogus; & x;"),
            U8("a <b> &amp; ©©© &bogus; & x;"));
  String text;
  for (int c = 1; c < 400; ++c) text.push_back(static_cast<Char>(c));
  text += U8("😀");
  EXPECT_EQ(ResolveHTMLEntities(MakeStringHTMLCompatible(text)), text);
}

TEST(HTMLPage, HeadAndFootFrameAPage) {
  EXPECT_EQ(DefaultHTMLHead(u"R&D", u"", u"x, y", u"", true),
            u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\r\n<html>\r\n<head>\r\n"
            u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
            u"<title>R&amp;D</title>\r\n<meta name=\"keywords\" content=\"x, y\">\r\n</head>\r\n<body>\r\n");
  EXPECT_EQ(DefaultHTMLFoot(true), u"</body>\r\n</html>\r\n");
  EXPECT_EQ(DefaultHTMLFoot(false), u"</html>\r\n");
}

}  // namespace
