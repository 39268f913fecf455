// Associative array: keys, values, growth, numbers, attribute lists and the XML element.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "Assertions.h"
#include "DirectPaths.h"
#include "Encoding.h"
#include "Qelta_dstruct.h"
#include "StrUtils.h"
#include "Streams.h"
#include "SysUtils.h"

namespace qelta {
// Looks at the allocated places, which the interface does not show.
struct TAssocArrayProbe {
  static size_t Places(const TAssocArray& a) { return a.FKeyArray.size(); }
  static size_t ValuePlaces(const TAssocArray& a) { return a.FDataArray.size(); }
};
}  // namespace qelta

using namespace qelta;

namespace {

String Text(TMemoryStream& s) {
  return AnsiToString(std::string_view(reinterpret_cast<const char*>(s.Memory()), size_t(s.Size())));
}

void Load(TMemoryStream& s, const std::string& bytes) {
  s.Clear();
  s.Write(bytes.data(), int64_t(bytes.size()));
  s.SetPosition(0);
}

// [SECTION] keys and values

TEST(TAssocArray, IgnoreCaseStoresKeysLowerCased) {
  TAssocArray a(nullptr);
  EXPECT_TRUE(a.IgnoreCase());
  a.Add(u"Color", Variant(u"red"));
  EXPECT_EQ(a.ResolveAsString(u"COLOR"), u"red");
  EXPECT_EQ(a.GetKeys(1), u"color");
  a.Add(u"cOLOR", Variant(int32_t(5)));
  EXPECT_EQ(a.NumEntries(), 1);
  EXPECT_EQ(a.Resolve(u"color"), Variant(int32_t(5)));
}

TEST(TAssocArray, ExactKeysWithoutIgnoreCase) {
  TAssocArray a(nullptr);
  a.SetIgnoreCase(false);
  a.Add(u"Color", Variant(int32_t(1)));
  a.Add(u"color", Variant(int32_t(2)));
  EXPECT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.GetKeys(1), u"Color");
  EXPECT_EQ(a.Resolve(u"Color"), Variant(int32_t(1)));
  EXPECT_TRUE(VarIsNull(a.Resolve(u"COLOR")));
}

TEST(TAssocArray, SetKeysStoresAsGivenAndStillMatchesIgnoringCase) {
  TAssocArray a(nullptr);
  a.Add(u"a", Variant(int32_t(1)));
  a.SetKeys(1, u"MiXed");
  EXPECT_EQ(a.GetKeys(1), u"MiXed");
  EXPECT_EQ(a.Resolve(u"mixed"), Variant(int32_t(1)));
  a.SetValues(1, Variant(u"v"));
  EXPECT_EQ(a.GetValues(1), Variant(u"v"));
}

TEST(TAssocArray, IndicesOutsideReadEmptyTextAndWriteNothing) {
  TAssocArray a(nullptr);
  a.Add(u"k", Variant(int32_t(1)));
  for (int i : {0, 2, -1}) {
    a.SetKeys(i, u"x");
    a.SetValues(i, Variant(int32_t(9)));
    EXPECT_EQ(a.GetKeys(i), u"");
    EXPECT_EQ(a.GetValues(i).VarType(), varUString);
    EXPECT_EQ(VarToStr(a.GetValues(i)), u"");
  }
  EXPECT_EQ(a.GetKeys(1), u"k");
}

TEST(TAssocArray, RemoveMovesTheLastEntryIntoThePlace) {
  TAssocArray a(nullptr);
  a.Add(u"one", Variant(int32_t(1)));
  a.Add(u"two", Variant(int32_t(2)));
  a.Add(u"three", Variant(int32_t(3)));
  EXPECT_FALSE(a.Remove(u"four"));
  EXPECT_TRUE(a.Remove(u"ONE"));
  EXPECT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.GetKeys(1), u"three");
  EXPECT_EQ(a.GetKeys(2), u"two");
  EXPECT_TRUE(a.Remove(u"two"));
  EXPECT_TRUE(a.Remove(u"three"));
  EXPECT_EQ(a.NumEntries(), 0);
}

// The keys are indexed (reading 10^6 entries searched each one linearly, in quadratic time), but
// every search still answers what a search from the front would: random Add, Remove, SetKeys and
// IgnoreCase switches, compared with such a search over the keys as GetKeys shows them.
TEST(TAssocArray, IndexedSearchesAnswerTheFirstMatchFromTheFront) {
  TAssocArray a(nullptr);
  uint32_t seed = 99;
  auto next = [&] { return seed = seed * 134775813u + 1u; };
  const String names[] = {u"a", u"A", u"b", u"Key", u"KEY", u"key", u"x1", u"X1", u"", u"\u00C4"};
  auto linear = [&](const String& key) {
    for (int i = 1; i <= a.NumEntries(); ++i) {
      const String stored = a.GetKeys(i);
      if (a.IgnoreCase() ? LowerCase(stored) == LowerCase(key) : stored == key) return i;
    }
    return 0;
  };
  for (int step = 0; step < 4000; ++step) {
    const String& key = names[(next() >> 8) % 10];
    switch ((next() >> 8) % 6) {
      case 0: case 1: a.Add(key, Variant(step)); break;
      case 2: a.Remove(key); break;
      case 3: a.SetKeys(int((next() >> 8) % 12), key); break;  // may make two entries share a key
      case 4: if ((next() >> 8) % 8 == 0) a.SetIgnoreCase(!a.IgnoreCase()); break;
      default: break;
    }
    for (const String& probe : names) {
      const int i = linear(probe);
      ASSERT_EQ(a.Resolve(probe), i == 0 ? Null() : a.GetValues(i)) << "step " << step;
    }
  }
}

// The index is a hash table whose runs close up when an entry leaves; the plain twin searches from the
// front (the direct paths off). Many keys, removed and set again, make long runs and regrow the table.
TEST(TAssocArray, IndexAgreesWithTheSearchFromTheFrontOverManyKeys) {
  TAssocArray a(nullptr);
  a.SetGranularity(7);
  uint32_t seed = 7;
  auto next = [&] { return (seed = seed * 134775813u + 1u) >> 8; };
  auto key = [&](uint32_t n) { return (n % 3 ? u"key" : u"KEY") + IntToStr(int(n % 900)); };
  for (int step = 0; step < 6000; ++step) {
    switch (next() % 8) {
      case 0: case 1: case 2: a.Add(key(next()), Variant(step)); break;
      case 3: case 4: a.Remove(key(next())); break;
      case 5: a.SetKeys(int(next() % 1000), key(next())); break;
      case 6: if (next() % 50 == 0) a.SetIgnoreCase(!a.IgnoreCase()); break;
      default: if (next() % 400 == 0) a.Clear(); break;
    }
    if (step % 10 != 0) continue;
    for (int k = 0; k < 20; ++k) {
      const String probe = key(next());
      const Variant indexed = a.Resolve(probe);
      const bool saved = platform_detail::SetDirectPaths(false);
      const Variant plain = a.Resolve(probe);
      platform_detail::SetDirectPaths(saved);
      ASSERT_EQ(indexed, plain) << "step " << step << " " << StringToUtf8(probe);
    }
  }
}

TEST(TAssocArray, GrowsByGranularityBeyondTheNewCount) {
  TAssocArray a(nullptr);
  EXPECT_EQ(TAssocArrayProbe::Places(a), 1024u);
  for (int i = 1; i <= 1025; ++i) a.Add(u"k" + IntToStr(i), Variant(int32_t(i)));
  EXPECT_EQ(TAssocArrayProbe::Places(a), 2049u);
  EXPECT_EQ(TAssocArrayProbe::ValuePlaces(a), 2049u);
  EXPECT_EQ(a.Resolve(u"k1025"), Variant(int32_t(1025)));
  a.SetGranularity(10);
  a.Clear();
  EXPECT_EQ(a.NumEntries(), 0);
  EXPECT_EQ(TAssocArrayProbe::Places(a), 10u);
  EXPECT_TRUE(VarIsNull(a.Resolve(u"k1")));
}

// A granularity of 0 or less was stored as given: the arrays could not grow.
TEST(TAssocArray, GranularityBelowOneIsStoredAsOne) {
  for (int g : {0, -5}) {
    TAssocArray a(nullptr);
    a.SetGranularity(g);
    EXPECT_EQ(a.Granularity(), 1);
    a.Clear();
    for (int i = 0; i < 5; ++i) a.Add(IntToStr(i), Variant(int32_t(i)));
    EXPECT_EQ(a.NumEntries(), 5);
    EXPECT_EQ(a.Resolve(u"4"), Variant(int32_t(4)));
  }
}

TEST(TAssocArray, ResolveAsStringAndAsNumber) {
  TAssocArray a(nullptr);
  a.Add(u"ansi", Variant(AnsiString("2,5")));
  a.Add(u"wide", Variant(u" 3.5e1x"));
  a.Add(u"bool", Variant(true));
  a.Add(u"int", Variant(int32_t(-7)));
  a.Add(u"cur", Variant::FromCurrency(12345));
  a.Add(u"dbl", Variant(0.25));
  a.Add(u"null", Null());
  a.Add(u"word", Variant(u"abc"));
  struct Case {
    const char16_t* key;
    Extended number;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"ansi", 2.5L, u"2,5"}, {u"wide", 35.0L, u" 3.5e1x"}, {u"bool", 0.0L, u"True"}, {u"int", -7.0L, u"-7"},
      {u"cur", 1.2345L, nullptr}, {u"dbl", 0.25L, u"0.25"}, {u"null", 0.0L, u""}, {u"word", 0.0L, u"abc"},
      {u"absent", 0.0L, u""},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(double(a.ResolveAsNumber(c.key)), double(c.number), 1e-15) << StringToUtf8(c.key);
    if (c.text) {
      EXPECT_EQ(a.ResolveAsString(c.key), c.text) << StringToUtf8(c.key);
    }
  }
}

TEST(TAssocArray, AddXMLAttributesTakesEveryPairUpToAFault) {
  TAssocArray a(nullptr);
  a.AddXMLAttributes(u"Name=\"x y\" size=12  flag=\"&amp;&#65;\" bad==1 late=2");
  EXPECT_EQ(a.NumEntries(), 3);
  EXPECT_EQ(a.Resolve(u"name"), Variant(u"x y"));
  EXPECT_EQ(a.ResolveAsNumber(u"SIZE"), 12.0L);
  EXPECT_EQ(a.ResolveAsString(u"flag"), u"&A");
  EXPECT_TRUE(VarIsNull(a.Resolve(u"late")));
  a.AddXMLAttributes(u"   ");
  a.AddXMLAttributes(u"");
  EXPECT_EQ(a.NumEntries(), 3);
}

// [SECTION] XML element

TEST(TAssocArray, WritesTheDocumentedElement) {
  TAssocArray a(nullptr);
  a.Add(u"Title", Variant(u"a<b> & \"c\"\x20AC"));
  a.Add(u"n", Variant(int32_t(-3)));
  a.Add(u"x", Variant(2.5));
  a.Add(u"ok", Variant(true));
  a.Add(u"cash", Variant::FromCurrency(-1234500));
  a.Add(u"none", Null());
  TMemoryStream s;
  a.WriteToXMLStream(s, true, u"Cfg \"1\"");
  EXPECT_EQ(Text(s),
            u"<?xml version=\"1.0\"?>\r\n"
            u"\r\n"
            u"<!-- TAssocArray / Qeltakit -->\r\n"
            u"<assocarray sig=\"Qeltakit\" vers=\"1.0\" id=\"Cfg &quot;1&quot;\">\r\n"
            u"  <entry key=\"title\" type=\"ustring\">a&lt;b&gt; &amp; &quot;c&quot;&#8364;</entry>\r\n"
            u"  <entry key=\"n\" type=\"integer\">-3</entry>\r\n"
            u"  <entry key=\"x\" type=\"double\">2.5E+0000</entry>\r\n"
            u"  <entry key=\"ok\" type=\"boolean\">1</entry>\r\n"
            u"  <entry key=\"cash\" type=\"currency\">-123.4500</entry>\r\n"
            u"  <entry key=\"none\" type=\"null\"></entry>\r\n"
            u"</assocarray>\r\n");
}

TEST(TAssocArray, RoundTripsEveryValueType) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Variant values[] = {
      Unassigned(), Null(), Variant(true), Variant(false), Variant(int8_t(-128)), Variant(uint8_t(255)),
      Variant(int16_t(-32768)), Variant(uint16_t(65535)), Variant(int32_t(INT32_MIN)), Variant(uint32_t(UINT32_MAX)),
      Variant(int64_t(INT64_MIN)), Variant(int64_t(INT64_MAX)), Variant(0.1f), Variant(1.0 / 3.0), Variant(-0.0),
      Variant(5e-324), Variant(1.7976931348623157e308), Variant(std::numeric_limits<double>::infinity()),
      Variant(nan), Variant::FromDate(45000.75), Variant::FromCurrency(INT64_MIN + 1), Variant::FromCurrency(7),
      Variant(AnsiString("\x80\x81 <tab>\t\r\n\"&amp;")), Variant(U8("ü€ \U0001F600 line\r\nend")),
      Variant::FromOleStr(u"ole"), Variant(u""), Variant(u"  blanks  ")};
  TAssocArray a(nullptr);
  a.SetIgnoreCase(false);
  for (size_t i = 0; i < std::size(values); ++i) a.Add(u"K" + IntToStr(int64_t(i)) + u" <&>\"", values[i]);
  TMemoryStream s;
  a.WriteToXMLStream(s, false, u"");
  s.SetPosition(0);
  TAssocArray b(nullptr);
  b.SetIgnoreCase(false);
  ASSERT_TRUE(b.ReadFromXMLStream(s, u""));
  ASSERT_EQ(b.NumEntries(), a.NumEntries());
  for (int i = 1; i <= a.NumEntries(); ++i) {
    const Variant &x = a.GetValues(i), &y = b.GetValues(i);
    EXPECT_EQ(b.GetKeys(i), a.GetKeys(i));
    ASSERT_EQ(y.VarType(), x.VarType()) << i;
    if (x.VarType() == varDouble && std::isnan(x.AsDouble())) {
      EXPECT_TRUE(std::isnan(y.AsDouble()));
    } else if (x.VarType() == varDouble || x.VarType() == varSingle) {
      EXPECT_EQ(std::signbit(y.AsDouble()), std::signbit(x.AsDouble())) << i;
      EXPECT_EQ(y.AsDouble(), x.AsDouble()) << i;
    } else if (x.VarType() == varCurrency) {
      EXPECT_EQ(y.AsCurrency(), x.AsCurrency()) << i;
    } else if (x.VarType() == varString) {
      EXPECT_EQ(StringToAnsi(y.AsString()), StringToAnsi(x.AsString()));
    } else if (x.VarType() != varNull) {
      EXPECT_TRUE(y == x) << i << " " << StringToUtf8(VarToStr(x));
    }
  }
}

TEST(TAssocArray, ReadPicksTheElementByIdAndTakesItsId) {
  TMemoryStream s;
  TAssocArray w(nullptr);
  w.Add(u"k", Variant(u"first"));
  w.WriteToXMLStream(s, true, u"One");
  w.Add(u"k", Variant(u"second"));
  w.WriteToXMLStream(s, false, u"  Two ");
  struct Case {
    const char16_t* dataID;
    bool found;
    const char16_t* value;
  };
  const Case cases[] = {{u"", true, u"first"}, {u"two", true, u"second"}, {u" TWO", true, u"second"},
                        {u"three", false, u"old"}};
  for (const Case& c : cases) {
    TAssocArray r(nullptr);
    r.Add(u"k", Variant(u"old"));
    r.SetDataID(u"mine");
    s.SetPosition(0);
    EXPECT_EQ(r.ReadFromXMLStream(s, c.dataID), c.found) << StringToUtf8(c.dataID);
    EXPECT_EQ(r.ResolveAsString(u"k"), c.value);
    EXPECT_EQ(r.DataID(), c.found ? (c.value == String(u"first") ? u"One" : u"  Two ") : u"mine");
  }
}

TEST(TAssocArray, MalformedElementsLeaveTheArrayUnchanged) {
  const std::string head = "<assocarray sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\r\n";
  const std::string cases[] = {
      "",
      "<assocarray sig=\"other\" id=\"\">\r\n</assocarray>\r\n",
      head + "  <entry key=\"a\" type=\"ustring\">x</entry>\r\n",  // no closing tag
      head + "  <entry key=\"a\" type=\"integer\">12x</entry>\r\n</assocarray>\r\n",
      head + "  <entry key=\"a\" type=\"byte\">256</entry>\r\n</assocarray>\r\n",
      head + "  <entry key=\"a\" type=\"double\">1.5.5</entry>\r\n</assocarray>\r\n",
      head + "  <entry key=\"a\" type=\"currency\">1.23456</entry>\r\n</assocarray>\r\n",
      head + "  <entry key=\"a\" type=\"blob\">1</entry>\r\n</assocarray>\r\n",
      head + "  <entry key=\"a\" type=\"ustring\">x",
  };
  for (const std::string& bytes : cases) {
    TMemoryStream s;
    Load(s, bytes);
    TAssocArray a(nullptr);
    a.Add(u"keep", Variant(int32_t(1)));
    EXPECT_FALSE(a.ReadFromXMLStream(s, u"")) << bytes;
    EXPECT_EQ(a.NumEntries(), 1);
    EXPECT_EQ(a.Resolve(u"keep"), Variant(int32_t(1)));
  }
}

TEST(TAssocArray, ReadKeepsTheFirstPlaceOfARepeatedKeyWithTheLastValue) {
  // Each entry goes through Add, in file order, also when the next one is read before it is added: a key met
  // again (in another case, spelt with references, attributes in another order) replaces the value in place.
  TMemoryStream s;
  Load(s,
       "<assocarray sig=\"Qeltakit\">\r\n<entry key=\"A&amp;b\" type=\"INTEGER\">1</entry>\r\n"
       "<entry key=\"c\" type=\"Ustring\">x</entry><entry type=\"integer\" key=\"a&#38;B\">2</entry>\r\n"
       "<entry key=\"c\" type=\"ustring\">y</entry></assocarray>");
  for (const bool direct : {true, false}) {
    const bool saved = platform_detail::SetDirectPaths(direct);
    s.SetPosition(0);
    TAssocArray a(nullptr);
    const bool read = a.ReadFromXMLStream(s, u"");
    platform_detail::SetDirectPaths(saved);
    ASSERT_TRUE(read);
    ASSERT_EQ(a.NumEntries(), 2);
    EXPECT_EQ(a.GetKeys(1), u"a&b");
    EXPECT_EQ(a.GetValues(1), Variant(int32_t(2)));
    EXPECT_EQ(a.GetKeys(2), u"c");
    EXPECT_EQ(a.ResolveAsString(u"C"), u"y");
  }
}

TEST(TAssocArray, ReaderSkipsUnknownTagsAndAcceptsLoneLineFeeds) {
  TMemoryStream s;
  Load(s,
       "junk\n<assocarray id=\"x\" sig=\"QELTAKIT\">\n<note>hello</note>\n"
       "<entry key=\"A\" type=\"ustring\">1 &#x41;&bogus;</entry></assocarray>");
  TAssocArray a(nullptr);
  ASSERT_TRUE(a.ReadFromXMLStream(s, u"X"));
  EXPECT_EQ(a.NumEntries(), 1);
  EXPECT_EQ(a.ResolveAsString(u"a"), u"1 A&bogus;");
}

}  // namespace
