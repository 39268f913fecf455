// Conformance of the foundation's services that the controls, the maps and the chemistry bind: one
// table per family (scanners, strings, streams and tags, drawing, colours, containers) with each
// name's behaviour as those callers rely on it, the places where two descriptions of one routine read
// apart settled by a row, and the binding of every name through its exact signature.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "FileTestKit.h"
#include "Graphics.h"
#include "Qelta_dstruct.h"
#include "Qelta_filesys.h"
#include "Qelta_qeltabase.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "Qelta_univconst.h"
#include "Random.h"
#include "ServiceBindings.h"
#include "StrUtils.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TextFiles.h"

using namespace qelta;

namespace {

// [SECTION] binding

TEST(ServiceBindings, EveryNameTheControlsMapsAndChemistryBindRunsOnce) {
  test::TempDir dir;
  EXPECT_GT(bindings::BindFoundationServices(dir.Native()), 60);
  EXPECT_GT(bindings::BindNumericsServices(), 70);
}

// [SECTION] scanners

TEST(ServiceScanners, DecimalAndHexStopOnTheFirstCharacterNotTaken) {
  const struct {
    bool hex;
    const char16_t* text;
    int pos, value, endPos;
  } cases[] = {
      {false, u"", 1, 0, 1},           {false, u"  -42x", 1, -42, 6},  {false, u"+7", 1, 7, 3},
      {false, u"12", 3, 0, 3},          // a position past the end reads 0 and stays
      {false, u"12", 9, 0, 9},          {false, u"4294967297", 1, 1, 11},  // modulo 2^32
      {false, u"- 5", 1, 0, 2},         {true, u"$1f", 1, 31, 4},
      {true, u" $1f", 1, 0, 2},         // '$' is passed over only at position 1 of the text
      {true, u"x$1f", 2, 0, 2},         {true, u"ff", 1, 255, 3},        {true, u"FFFFFFFF", 1, -1, 9},
      {true, u"-1", 1, 0, 1},           {true, u"", 1, 0, 1},            {true, u"1", 5, 0, 5},
  };
  for (const auto& c : cases) {
    int pos = c.pos;
    const int value = c.hex ? ScanHex(c.text, pos) : ScanDecimal(c.text, pos);
    EXPECT_EQ(value, c.value) << StringToUtf8(c.text) << " from " << c.pos;
    EXPECT_EQ(pos, c.endPos) << StringToUtf8(c.text) << " from " << c.pos;
  }
}

TEST(ServiceScanners, FloatingPointNumbersAsTheNumericControlsReadThem) {
  const struct {
    const char16_t* text;
    bool exp;
    int mode;
    double value;
    int endPos;
  } cases[] = {
      {u"12.5", true, 3, 12.5, 5},
      {u"3,", false, 2, 3.0, 3},
      {u".5", false, 1, 0.5, 3},
      {u"1E5000", true, 3, 1.7e308, 7},
      {u"-x", true, 3, 0.0, 2},
      {u"12abc", true, 3, 12.0, 3},
      {u"1.5E", true, 1, 1.5, 5},        // a text ending in E gives the mantissa
      {u"1.5E-", true, 1, 1.5, 6},
      {u"1.75e308", true, 1, 1.7e308, 9},  // clamped to uc_MaxDouble
      {u"-1.75e308", true, 1, -1.7e308, 10},
      {u"1.2.3", false, 3, 0.0, 4},
      {u"- 5", false, 1, 0.0, 2},
      {u"1E5", false, 1, 1.0, 2},        // without exponent the E ends the number
      {u"3.5", false, 0, 3.0, 2},        // mode 0 accepts no separator
      {u"3.5", false, 2, 3.0, 2},
      {u"  7", false, 1, 7.0, 4},
      {u"1e4201", true, 1, 1.7e308, 7},  // exponent digits beyond 4200 are left out: 1e420
  };
  for (const auto& c : cases) {
    int pos = 1;
    EXPECT_EQ(ScanFPNum(c.text, c.exp, c.mode, pos), c.value) << StringToUtf8(c.text);
    EXPECT_EQ(pos, c.endPos) << StringToUtf8(c.text);
  }
  EXPECT_EQ(uc_MaxDouble, 1.7e308);
  EXPECT_EQ(static_cast<double>(uc_MinDouble), 5.0e-324);
}

// [SECTION] strings

TEST(ServiceStrings, BoolToStrModes) {
  const struct {
    int mode;
    const char16_t *yes, *no;
  } cases[] = {{0, u"TRUE", u"FALSE"}, {1, u"T", u"F"}, {2, u".T.", u".F."}, {3, u"1", u"0"},
               {4, u"-1", u"0"},       {5, u"FF", u"00"}, {6, u"TRUE", u"FALSE"}, {-1, u"TRUE", u"FALSE"}};
  for (const auto& c : cases) {
    EXPECT_EQ(BoolToStr(true, c.mode), String(c.yes)) << c.mode;
    EXPECT_EQ(BoolToStr(false, c.mode), String(c.no)) << c.mode;
  }
}

TEST(ServiceStrings, EditsSearchesAndPaths) {
  const struct {
    String got, want;
  } cases[] = {
      {EnsureTrailingChar(u'\\', u""), u""},
      {EnsureTrailingChar(u'\\', u"a"), u"a\\"},
      {EnsureTrailingChar(u'\\', u"a\\"), u"a\\"},
      {LeftString(u"ab", 4), u"ab  "},
      {LeftString(u"abcdef", 3), u"abc"},
      {LeftString(u"ab", 0), u""},
      {LeftString(u"ab", -5), u""},  // a negative count never reaches memory
      {LeftString(u"ab", INT32_MIN), u""},
      {ReduceStringToFN83CompliantChars(U8("a b\tc€ü!#$%&'()-.^_`{}~@é")), U8("a_b_c__!#$%&'()-.^_`{}~@_")},
      {RemoveControlChars(u"a\tb\r\n\x1f c"), u"ab c"},
      {ReplaceCharInString(u"1,5,0", u',', u'.'), u"1.5.0"},
      {StripLTBlanks(u"   "), u""},
      {StripLTBlanks(u"  a b \t "), u"a b \t"},  // the blank only
      {StripExtension(u"dir.x/name.tar.gz"), u"dir.x/name"},
      {StripExtension(u"dir.x/name"), u"dir.x/name"},
      {StripPath(u"dir.x/name.tar.gz"), u"name.tar.gz"},
  };
  for (const auto& c : cases) EXPECT_EQ(StringToUtf8(c.got), StringToUtf8(c.want));

  EXPECT_EQ(StringIx(u"b", {u"a", u"b", u"b"}), 2);
  EXPECT_EQ(StringIx(u"B", {u"a", u"b"}), 0);  // case-sensitive
  EXPECT_EQ(StringIx(u"", {}), 0);
  EXPECT_EQ(NumberedPos(u"ab", u"xabyab", 1, 2, false), 5);
  EXPECT_EQ(NumberedPos(u"ab", u"xabyab", 1, 3, false), 0);
  EXPECT_EQ(NumberedPos(u"AB", u"xabyab", 3, 1, true), 5);
  EXPECT_EQ(NumberedPos(u"aa", u"aaaa", 1, 2, false), 3);  // occurrences do not overlap
  EXPECT_EQ(NumberedPos(u"ab", u"xabyab", 7, 1, false), 0);  // a start past the end reads 0
  EXPECT_EQ(NumberedPos(u"ab", u"xabyab", -3, 1, false), 2);
}

TEST(ServiceStrings, NameTablesStartOnMondayAndKeepTheirLengths) {
  EXPECT_EQ(MonthLong[lgEnglish][1], "January");
  EXPECT_EQ(MonthShort[lgGerman][12], "Dez");
  EXPECT_EQ(WeekDayLong[lgEnglish][1], "Monday");
  EXPECT_EQ(WeekDayShort[lgEnglish][7], "Sun");
  for (int lang = lgUnknown; lang <= lgSpanish; ++lang) {
    for (int m = 1; m <= 12; ++m) {
      EXPECT_LE(MonthLong[lang][m].size(), 10u) << lang << " " << m;
      EXPECT_LE(MonthShort[lang][m].size(), 4u) << lang << " " << m;
      EXPECT_FALSE(MonthShort[lang][m].empty()) << lang << " " << m;
    }
    for (int d = 1; d <= 7; ++d) {
      EXPECT_LE(WeekDayLong[lang][d].size(), 10u) << lang << " " << d;
      EXPECT_LE(WeekDayShort[lang][d].size(), 3u) << lang << " " << d;
      EXPECT_FALSE(WeekDayShort[lang][d].empty()) << lang << " " << d;
    }
  }
}

TEST(ServiceStrings, TokenizeKeepsTheRestInPartOneHundred) {
  TOpenStringArray parts;
  EXPECT_EQ(Tokenize(u"a;;b", u';', parts), 3);
  EXPECT_EQ(parts, (TOpenStringArray{u"a", u"", u"b"}));
  EXPECT_EQ(Tokenize(u"", u';', parts), 1);
  EXPECT_EQ(parts, TOpenStringArray{u""});

  String many;
  for (int i = 1; i <= 150; ++i) many += IntToStr(i) + u";";
  EXPECT_EQ(Tokenize(many, u';', parts), 100);  // never a part beyond 100
  ASSERT_EQ(parts.size(), 100u);
  EXPECT_EQ(parts[98], u"99");
  EXPECT_EQ(Copy(parts[99], 1, 8), u"100;101;");
  EXPECT_EQ(Length(parts[99]), Length(many) - Pos(u"100;", many) + 1);

  EXPECT_EQ(Tokenize(String(300, u'x') + u";y", u';', parts), 2);
  EXPECT_EQ(Length(parts[0]), 255);  // parts are short strings
}

TEST(ServiceStrings, StrffExponentFormsHaveTheWidthTheNumericControlsCount) {
  // Width 12 holds six significant digits; width s + 6 holds s digits (two at least, as the runtime's
  // exponent form keeps one decimal); an exponent that needs three digits fills the field with '*'.
  EXPECT_EQ(strff(23456.789L, 12, -2), u" 2.34568E+04");
  EXPECT_EQ(strff(-23456.789L, 12, -2), u"-2.34568E+04");
  EXPECT_EQ(strff(1.5e-7L, 12, -2), u" 1.50000E-07");
  for (int s = 2; s <= 12; ++s) {
    const String text = strff(0.0123456789012345L, s + 6, -2);
    EXPECT_EQ(Length(text), s + 6) << s;
    EXPECT_EQ(Pos(u"E", text) - 3, s) << StringToUtf8(text);  // digits: the sign blank and the point excluded
  }
  EXPECT_EQ(strff(0.0123456789012345L, 7, -2), u" 1.2E-02");  // s = 1: two digits, eight characters
  EXPECT_EQ(strff(1e150L, 10, -2), u"**********");
  EXPECT_EQ(strff(-1e-100L, 12, -2), u"************");
  EXPECT_EQ(strff(23456.789L, 12, -1), u" 2.346E+0004");  // -1: the runtime's form, four exponent digits
  EXPECT_EQ(strff(3.14159L, 8, 2), u"    3.14");
  EXPECT_EQ(strff(3.14159L, -8, 2), u"00003.14");
  EXPECT_EQ(strff(-3.5L, -6, 1), u"-003.5");
}

TEST(ServiceStrings, InventPasswordHasTwoDigitsInAClampedWord) {
  RandSeed = 4711;
  for (int n : {-3, 0, 4, 6, 7, 9, 14, 20}) {
    const String word = InventPassword(n);
    EXPECT_EQ(Length(word), std::clamp(n, 4, 14) + 2) << n;
    EXPECT_EQ(std::count_if(word.begin(), word.end(), [](Char c) { return c >= u'0' && c <= u'9'; }), 2) << n;
  }
}

// [SECTION] streams and tags

std::string Bytes(TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

void Load(TMemoryStream& s, const std::string& bytes) {
  s.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);
}

TEST(ServiceStreams, WriteLnStreamWritesLowBytesAndCrLf) {
  TMemoryStream s;
  WriteLnStream(s, u"ab");
  WriteLnStream(s, u"");
  WriteLnStream(s, U8("é€"));  // low bytes: E9 and AC
  EXPECT_EQ(Bytes(s), "ab\r\n\r\n\xE9\xAC\r\n");
}

TEST(ServiceStreams, ReadLnStreamEndsLinesByModeAndReportsTheEndOnTheNextCall) {
  const struct {
    std::string bytes;
    int mode;
    std::vector<std::string> lines;  // each call's text, "|" and 1 when it set the end flag
  } cases[] = {
      {"abc\n", 0, {"abc|0", "|1"}},  // an LF at the very end leaves the flag false
      {"abc", 0, {"abc|1"}},
      {"a\tb\x01\n", 0, {"a\tb|0", "|1"}},
      {"a\rb\nc", 1, {"a|0", "bc|1"}},  // mode 1 drops the LF
      {"a\rb\nc", 2, {"a|0", "b|0", "c|1"}},
      {"a\rb\n\rc", 3, {"ab|0", "c|1"}},
      {"ab\rc\nd\r\n", 4, {"abcd|0", "|1"}},
      {"a\nb\rc", 5, {"abc|1"}},  // modes other than 0..4 never end a line
      {"a\nb\rc", -1, {"abc|1"}},
      {"", 0, {"|1"}},
  };
  for (const auto& c : cases) {
    TMemoryStream s;
    Load(s, c.bytes);
    for (const std::string& want : c.lines) {
      bool end = false;
      const String line = ReadLnStream(s, end, c.mode);
      EXPECT_EQ(StringToAnsi(line) + "|" + (end ? "1" : "0"), want) << "mode " << c.mode;
    }
  }
}

struct TTagCase {
  std::string input;
  int index;
  std::string attributes, content;
};

const std::vector<String> kTags = {u"item", u"pt", u"/map", u"?"};

const TTagCase kTagCases[] = {
    {"<Item Name=\"x\">Text</ITEM>", 0, "Name=\"x\"", "Text"},
    {"junk <pt x=\"1\" />rest", 1, "x=\"1\"", ""},  // a tag containing "/>" has no content
    {"</map>", 2, "", ""},
    {"<other a=1>in<b>side</other>", 3, "a=1", "in<b>side"},  // not listed: last index, content consumed
    {"<pt/>", 3, "", ""},                                       // no blank: the whole text is the name
    {"<item>a<item>b</item>c</item>", 0, "", "a<item>b"},       // the first closing tag ends the content
    {"no tag at all", 3, "", ""},
    {"<item>x\r\ny\nz\r</item>", 0, "", "x\r\ny\nz\r"},  // line ends stay in the content
    {"<pt\r\nx=\"1\" />", 3, "", ""},                   // only a blank separates the name
};

TEST(ServiceTags, StreamReaderFollowsTheTagRules) {
  for (const TTagCase& c : kTagCases) {
    TMemoryStream s;
    Load(s, c.input);
    String attributes = u"old", content = u"old";
    EXPECT_EQ(ReadNextTagInStream(s, kTags, attributes, content), c.index) << c.input;
    EXPECT_EQ(StringToUtf8(attributes), c.attributes) << c.input;
    EXPECT_EQ(StringToUtf8(content), c.content) << c.input;
  }
}

TEST(ServiceTags, TextFileReaderFollowsTheSameRules) {
  test::TempDir dir;
  for (const TTagCase& c : kTagCases) {
    dir.Put("tag.txt", c.input);
    TextFile f;
    AssignFile(f, dir / "tag.txt");
    Reset(f);
    String attributes, content;
    EXPECT_EQ(ReadNextTagInTextFile(f, kTags, attributes, content), c.index) << c.input;
    EXPECT_EQ(StringToUtf8(attributes), c.attributes) << c.input;
    EXPECT_EQ(StringToUtf8(content), c.content) << c.input;
    CloseFile(f);
  }
}

TEST(ServiceTags, ScanForXMLAttribTakesQuotedAndBareValuesByTrimmedNames) {
  const struct {
    const char16_t *attributes, *name, *value;
  } cases[] = {
      {u"A=\"1\" b=2", u"a", u"1"},        {u"A=\"1\" b=2", u"B", u"2"},   {u"A=\"1\" b=2", u"c", u""},
      {u" x = \"5\"", u"x", u"5"},         {u"t=\"a = b\"", u"t", u"a = b"}, {u"a=\"1\" a=\"2\"", u"a", u"1"},
      {u"c==1 d=\"2\"", u"d", u""},        // a fault ends the scan
      {u"id=\"7\"", u"ID", u"7"},          {u"", u"a", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScanForXMLAttrib(c.attributes, c.name), String(c.value)) << StringToUtf8(c.attributes);
}

TEST(ServiceFiles, AppendToTextFileCreatesAppendsAndRaisesOnIoFailure) {
  test::TempDir dir;
  AppendToTextFile(dir / "log.txt", u"one");
  AppendToTextFile(dir / "log.txt", U8("twö"));
  EXPECT_EQ(dir.Get("log.txt"), "one\r\ntw\xF6\r\n");
  EXPECT_THROW(AppendToTextFile(dir / "missing/log.txt", u"x"), EInOutError);
}

// [SECTION] drawing

// Colours of the pixels of a bitmap that are not white, each once.
std::vector<TColor> InkColours(const TBitmap& b) {
  std::vector<TColor> seen;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = b.Canvas()->Pixels(x, y);
      if (c != clWhite && std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
  std::sort(seen.begin(), seen.end());
  return seen;
}

TEST(ServiceDrawing, FramesTakeTheirColoursFromTheFiveArguments) {
  // The controls pass white, silver, grey, black and a line colour of their own.
  constexpr TColor c1 = 0xFFFFFE, c2 = 0xC0C0C0, c3 = 0x808080, c4 = 0x000000, c5 = 0x0000FF;
  const struct {
    TFrameStyle style;
    std::vector<TColor> colours;
  } cases[] = {{fsNone, {}},
               {fsSimple, {c5}},
               {fsLowered, {c4, c3, c2, c1}},
               {fsRaised, {c4, c3, c2, c1}},
               {fsEmbossed, {c3, c1}},
               {fsEngraved, {c3, c1}}};
  for (const auto& c : cases) {
    TBitmap b(12, 10);
    DrawFrame(b.Canvas(), c.style, 1, 1, 10, 8, c1, c2, c3, c4, c5);
    std::vector<TColor> want = c.colours;
    std::sort(want.begin(), want.end());
    const std::vector<TColor> got = InkColours(b);
    EXPECT_TRUE(std::includes(want.begin(), want.end(), got.begin(), got.end())) << int(c.style);
    EXPECT_EQ(got.empty(), want.empty()) << int(c.style);
    if (c.style == fsSimple) {  // both corners inclusive
      EXPECT_EQ(b.Canvas()->Pixels(1, 1), c5);
      EXPECT_EQ(b.Canvas()->Pixels(10, 8), c5);
      EXPECT_EQ(b.Canvas()->Pixels(11, 9), clWhite);
    }
  }
}

TEST(ServiceDrawing, EveryMarkIsDrawnAroundItsCentreInThePenColour) {
  for (int mark = 0; mark <= 51; ++mark) {
    TBitmap b(41, 41);
    b.Canvas()->Pen()->SetColor(clRed);
    DrawMarkOnCanvas(b.Canvas(), static_cast<uint8_t>(mark), 20, 20);
    int minX = 41, minY = 41, maxX = -1, maxY = -1;
    for (int y = 0; y < 41; ++y)
      for (int x = 0; x < 41; ++x)
        if (b.Canvas()->Pixels(x, y) != clWhite) {
          EXPECT_EQ(b.Canvas()->Pixels(x, y), clRed) << "mark " << mark;
          minX = std::min(minX, x), minY = std::min(minY, y), maxX = std::max(maxX, x), maxY = std::max(maxY, y);
        }
    ASSERT_LE(minX, maxX) << "mark " << mark << " drew nothing";
    EXPECT_TRUE(minX <= 20 && maxX >= 20 && minY <= 20 && maxY >= 20) << "mark " << mark;
    EXPECT_LE(std::max({20 - minX, maxX - 20, 20 - minY, maxY - 20}), 10) << "mark " << mark;
  }
}

// [SECTION] colours

TEST(ServiceColours, InterpolationTruncatesEachChannel) {
  const struct {
    TColor c1, c2;
    double frac;
    TColor want;
  } cases[] = {
      {0x00000A, 0x000000, 0.55, 0x000004},  // Trunc(10 + (0 - 10) x 0.55) = Trunc(4.5)
      {0x000000, 0x00000A, 0.55, 0x000005},
      {0x0000FF, 0x000000, 0.5, 0x00007F},
      {0x102030, 0xF0E0D0, 1.7, 0xF0E0D0},  // the fraction is clamped to 0..1
      {0x102030, 0xF0E0D0, -1.0, 0x102030},
      {static_cast<TColor>(0xFF00000F), 0x000000, 0.0, 0x00000F},  // a system colour mixes as its low bytes
  };
  for (const auto& c : cases) EXPECT_EQ(InterpolateColor(c.c1, c.c2, c.frac), c.want) << c.frac;
  EXPECT_EQ(MeanColor(0x0000FF, 0x000000), 0x00007F);  // 127, not 128
  EXPECT_EQ(MeanColor(0x000000, 0x0000FF), 0x00007F);
  EXPECT_EQ(MeanColor(0xFF00FF, 0x00FF00), 0x7F7F7F);
}

TEST(ServiceColours, PredefinedColorsListsTheFortySevenInOrder) {
  const std::array<TColor, 47> order = {
      clBlack,          clMaroon,          clGreen,        clOlive,           clNavy,          clPurple,
      clTeal,           clGray,            clSilver,       clRed,             clLime,          clYellow,
      clBlue,           clFuchsia,         clAqua,         clWhite,           clMoneyGreen,    clSkyBlue,
      clCream,          clMedGray,         clActiveBorder, clActiveCaption,   clAppWorkSpace,  clBackground,
      clBtnFace,        clBtnHighlight,    clBtnShadow,    clBtnText,         clCaptionText,   clDefault,
      clGrayText,       clHighlight,       clHighlightText, clInactiveBorder, clInactiveCaption,
      clInactiveCaptionText, clInfoBk,     clInfoText,     clMenu,            clMenuText,      clNone,
      clScrollBar,      cl3DDkShadow,      cl3DLight,      clWindow,          clWindowFrame,   clWindowText};
  for (int i = 1; i <= 47; ++i) EXPECT_EQ(PredefinedColors[i], order[static_cast<std::size_t>(i - 1)]) << i;
  EXPECT_EQ(PredefinedColors[0], 0);
  EXPECT_EQ(PredefinedColors[48], 0);
}

// [SECTION] containers

TEST(ServiceContainers, BitFieldHoldsBitsZeroToSize) {
  TBitFld bits(nullptr);
  EXPECT_EQ(bits.Size(), 1000);
  EXPECT_EQ(bits.FirstTrueBit(), -1);
  bits.SetBit(1000, true);  // a new field has 1001 bits
  EXPECT_TRUE(bits.GetBit(1000));
  EXPECT_EQ(bits.FirstTrueBit(), 1000);
  bits.SetBit(1001, true);
  bits.SetBit(-1, true);
  EXPECT_FALSE(bits.GetBit(1001));
  EXPECT_FALSE(bits.GetBit(-1));
  EXPECT_EQ(bits.CountTrueBits(), 1);
  for (int n : {0, -1, -1000, INT32_MIN}) {  // sizes below 1 change nothing
    bits.SetSize(n);
    EXPECT_EQ(bits.Size(), 1000) << n;
  }
  EXPECT_TRUE(bits.GetBit(1000));
  bits.SetSize(10);
  EXPECT_FALSE(bits.GetBit(11));
  bits.SetBit(10, true);
  bits.SetBit(3, true);
  EXPECT_EQ(bits.CountTrueBits(), 2);
  EXPECT_EQ(bits.FirstTrueBit(), 3);
  bits.Clear();
  EXPECT_EQ(bits.CountTrueBits(), 0);
  EXPECT_EQ(bits.FirstTrueBit(), -1);
}

struct TArrayLog {
  int Changes = 0;
  std::vector<int> Percents;
  void Hook(TStringArray& a) {
    a.OnChange = [this](TObject*) { ++Changes; };
    a.OnPercentDone = [this](TObject*, int p) { Percents.push_back(p); };
  }
};

TEST(ServiceContainers, StringArrayReadsNumbersWithCommasAsPoints) {
  TStringArray a(nullptr);
  a.Resize(1, 1);
  const struct {
    const char* text;
    double value;
  } numbers[] = {{" 3,5 ", 3.5}, {"", 0.0}, {"   ", 0.0}, {"-1.25", -1.25}, {"1e3", 1000.0}, {"1,5E-1", 0.15}};
  for (const auto& c : numbers) {
    a.SetString(1, 1, c.text);
    EXPECT_EQ(a.GetAsNumber(1, 1), c.value) << c.text;
  }
  for (const char* bad : {"1 000", "1,000.5", "\t3", "x"}) {
    a.SetString(1, 1, bad);
    EXPECT_THROW_MSG(a.GetAsNumber(1, 1), EQeltaDStructError,
                     std::string("Class TStringArray: invalid numeric string: [1,1]: ") + bad);
  }
}

TEST(ServiceContainers, StringArraySortsByCodeFoldingAToZOnly) {
  TStringArray a(nullptr);
  const std::vector<std::string> texts = {"\xE9", "\xC9", "Zeta", "alpha", "yak"};  // é É Zeta alpha yak
  a.Resize(1, static_cast<int>(texts.size()));
  for (std::size_t i = 0; i < texts.size(); ++i) a.SetString(1, static_cast<int>(i) + 1, texts[i]);
  TArrayLog log;
  log.Hook(a);
  a.Sort(1, 0, true);
  std::vector<std::string> order;
  for (int r = 1; r <= a.NrOfRows(); ++r) order.push_back(a.GetString(1, r));
  EXPECT_EQ(order, (std::vector<std::string>{"alpha", "yak", "Zeta", "\xC9", "\xE9"}));
  ASSERT_FALSE(log.Percents.empty());
  EXPECT_EQ(log.Percents.front(), 0);
  EXPECT_EQ(log.Percents.back(), 100);
  EXPECT_EQ(log.Changes, 1);

  a.OnBeforeSortExchange = [](TObject*, const String& in, String& out) { out = ReverseString(in); };
  a.Sort(1, 0, true);  // keys ahpla, atez, kay, É, é
  EXPECT_EQ(a.GetString(1, 1), "alpha");
  EXPECT_EQ(a.GetString(1, 2), "Zeta");
  EXPECT_EQ(a.GetString(1, 3), "yak");
}

TEST(ServiceContainers, StringArrayCellsHoldWindows1252) {
  TStringArray a(nullptr);
  a.SetString(1, 1, StringToAnsi(U8("€ü中")));
  EXPECT_EQ(a.GetString(1, 1), "\x80\xFC?");
  a.SetString(0, 1, std::string(300, 'x'));
  EXPECT_EQ(a.GetString(0, 1).size(), 255u);
  EXPECT_EQ(a.GetString(2, 1), "");
  EXPECT_EQ(a.GetString(1, 0), "");
}

TEST(ServiceContainers, StringArraySizeAndEvents) {
  TStringArray a(nullptr);
  EXPECT_EQ(a.NrOfColumns(), 1);
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.AllocRowsBy(), 10);
  TArrayLog log;
  log.Hook(a);
  EXPECT_TRUE(a.Resize(1, 1));  // the same size changes nothing
  EXPECT_EQ(log.Changes, 0);
  EXPECT_FALSE(a.Resize(0, 5));
  EXPECT_FALSE(a.Resize(2, -1));
  EXPECT_EQ(log.Changes, 0);
  EXPECT_TRUE(a.Resize(2, 3));
  EXPECT_EQ(log.Changes, 1);
  a.SetString(1, 1, "b");
  a.SetString(1, 2, "c");
  a.SetString(1, 3, "a");
  a.SetRowAttrib(3, 9);
  a.SetColAttrib(2, 4);
  EXPECT_EQ(a.GetColAttrib(2), 4);
  EXPECT_EQ(a.GetColAttrib(3), 0);
  a.Sort(1, 0, true);
  EXPECT_EQ(a.GetSortOrder(1), 3);
  EXPECT_EQ(a.GetRowAttrib(1), 9);  // attributes follow the sort index
  EXPECT_EQ(a.GetSortOrder(0), -1);
  EXPECT_EQ(a.GetSortOrder(4), -1);
  a.InsertRow(2);  // before display row 2, the view order of the others kept
  EXPECT_EQ(a.GetString(1, 1), "a");
  EXPECT_EQ(a.GetString(1, 2), "");
  EXPECT_EQ(a.GetString(1, 3), "b");
  a.RemoveRow(1);
  EXPECT_EQ(a.GetString(1, 2), "b");
  a.CommitSorting();
  EXPECT_EQ(a.GetSortOrder(2), 2);
  EXPECT_EQ(a.GetString(1, 3), "c");
  log.Changes = 0;
  a.Clear();  // fires no event, keeps the size
  EXPECT_EQ(log.Changes, 0);
  EXPECT_EQ(a.NrOfRows(), 3);
  EXPECT_EQ(a.GetString(1, 3), "");
  EXPECT_EQ(a.GetColAttrib(2), 0);
  a.Resize(1, 1);
  a.SetString(1, 1, "x");
  a.RemoveRow(1);  // a single row is only emptied
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.GetString(1, 1), "");
  a.SetAllocRowsBy(25);
  EXPECT_EQ(a.AllocRowsBy(), 25);
  String key;
  a.OnBeforeSortExchange = nullptr;
  a.BeforeSortExchange(u"k", key);
  EXPECT_EQ(key, u"k");
}

}  // namespace
