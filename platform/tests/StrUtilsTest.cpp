#include <gtest/gtest.h>

#include <clocale>

#include "Assertions.h"
#include "StrUtils.h"

using namespace qelta;

TEST(StrUtils, CopyClampsIndexAndCount) {
  const struct { int index, count; const char16_t* expected; } table[] = {
      {1, 3, u"abc"}, {2, 2, u"bc"},  {4, 10, u"def"}, {6, 1, u"f"},   {7, 1, u""},
      {0, 2, u"ab"},  {-5, 1, u"a"},  {3, 0, u""},     {3, -1, u""},  {1, 2147483647, u"abcdef"},
      {2147483647, 1, u""}, {-2147483647 - 1, 2, u"ab"},
  };
  for (const auto& t : table) EXPECT_EQ(Copy(u"abcdef", t.index, t.count), String(t.expected)) << t.index << "," << t.count;
  EXPECT_EQ(Copy(u"", 1, 1), u"");
}

TEST(StrUtils, PosAndPosExAreOneBased) {
  const struct { const char16_t* sub; const char16_t* s; int offset; int expected; } table[] = {
      {u"b", u"abcabc", 1, 2}, {u"b", u"abcabc", 3, 5}, {u"abc", u"abcabc", 2, 4}, {u"c", u"abcabc", 6, 6},
      {u"x", u"abcabc", 1, 0}, {u"", u"abc", 1, 0},     {u"b", u"abc", 0, 0},      {u"b", u"abc", 4, 0},
      {u"abcd", u"abc", 1, 0}, {u"b", u"", 1, 0},
  };
  for (const auto& t : table) EXPECT_EQ(PosEx(t.sub, t.s, t.offset), t.expected);
  EXPECT_EQ(Pos(u"ca", u"abcabc"), 3);
  EXPECT_EQ(Pos(u"", u""), 0);
}

TEST(StrUtils, DeleteClampsAndIgnoresOutOfRange) {
  const struct { int index, count; const char16_t* expected; } table[] = {
      {2, 2, u"adef"}, {5, 10, u"abcd"}, {6, 1, u"abcde"}, {7, 1, u"abcdef"}, {0, 2, u"abcdef"},
      {-1, 3, u"abcdef"}, {3, 0, u"abcdef"}, {3, -2, u"abcdef"}, {1, 2147483647, u""},
  };
  for (const auto& t : table) {
    String s = u"abcdef";
    Delete(s, t.index, t.count);
    EXPECT_EQ(s, String(t.expected)) << t.index << "," << t.count;
  }
}

TEST(StrUtils, InsertClampsIndexToTheText) {
  const struct { int index; const char16_t* expected; } table[] = {
      {1, u"XYabc"}, {2, u"aXYbc"}, {4, u"abcXY"}, {5, u"abcXY"}, {0, u"XYabc"}, {-7, u"XYabc"}, {99, u"abcXY"},
  };
  for (const auto& t : table) {
    String s = u"abc";
    Insert(u"XY", s, t.index);
    EXPECT_EQ(s, String(t.expected)) << t.index;
  }
}

TEST(StrUtils, StringOfCharAndLength) {
  EXPECT_EQ(StringOfChar(u'-', 3), u"---");
  EXPECT_EQ(StringOfChar(u'-', 0), u"");
  EXPECT_EQ(StringOfChar(u'-', -4), u"");
  EXPECT_EQ(Length(u"a\U0001F600"), 3);  // code units, not characters
}

TEST(StrUtils, TrimRemovesBlanksAndControlCharacters) {
  const String s = u"\t\r\n \x01x y\x1F \u00A0 ";
  EXPECT_EQ(TrimLeft(s), u"x y\x1F \u00A0 ");
  EXPECT_EQ(TrimRight(s), u"\t\r\n \x01x y\x1F \u00A0");  // U+00A0 is above ' ' and stays
  EXPECT_EQ(Trim(s), u"x y\x1F \u00A0");
  EXPECT_EQ(Trim(u" \t "), u"");
  EXPECT_EQ(Trim(u""), u"");
}

TEST(StrUtils, PlainCaseRoutinesFoldAsciiOnly) {
  EXPECT_EQ(UpperCase(U8("abz äöü ß")), U8("ABZ äöü ß"));
  EXPECT_EQ(LowerCase(U8("ABZ ÄÖÜ")), U8("abz ÄÖÜ"));
  EXPECT_TRUE(SameText(u"Hello", u"hELLO"));
  EXPECT_FALSE(SameText(U8("ä"), U8("Ä")));
  EXPECT_FALSE(SameText(u"abc", u"ab"));
}

TEST(StrUtils, CompareTextLowerCasesBeforeComparing) {
  // '_' (0x5F) lies between 'Z' and 'a': lower-case folding puts "a" after "_".
  const struct { const char16_t* a; const char16_t* b; int sign; } table[] = {
      {u"abc", u"ABC", 0}, {u"a", u"_", 1},  {u"A", u"_", 1},  {u"ab", u"abc", -1},
      {u"b", u"A", 1},     {u"", u"", 0},    {u"", u"a", -1},
  };
  for (const auto& t : table) {
    const int r = CompareText(t.a, t.b);
    EXPECT_EQ((r > 0) - (r < 0), t.sign);
  }
  EXPECT_LT(CompareStr(u"B", u"a"), 0);
  EXPECT_GT(CompareStr(u"abc", u"ab"), 0);
  EXPECT_EQ(CompareStr(u"abc", u"abc"), 0);
}

TEST(StrUtils, AnsiCaseRoutinesUseUnicodeSimpleMapping) {
  const struct { const char* lower; const char* upper; } table[] = {
      {"äöü", "ÄÖÜ"}, {"éàç", "ÉÀÇ"}, {"αβγ", "ΑΒΓ"}, {"жук", "ЖУК"}, {"ÿ", "Ÿ"}, {"\xF0\x90\x90\xA8", "\xF0\x90\x90\x80"},
  };
  for (const auto& t : table) {
    EXPECT_EQ(AnsiUpperCase(U8(t.lower)), U8(t.upper));
    EXPECT_EQ(AnsiLowerCase(U8(t.upper)), U8(t.lower));
    EXPECT_TRUE(AnsiSameText(U8(t.lower), U8(t.upper)));
  }
  EXPECT_EQ(AnsiUpperCase(U8("straße")), U8("STRAßE"));  // no one-character upper case: length kept
  EXPECT_EQ(AnsiUpperCase(u"a\xD800z"), u"A\xD800Z");    // lone surrogate passes unchanged
}

TEST(StrUtils, AnsiCaseIgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(AnsiUpperCase(U8("äöü")), U8("ÄÖÜ"));
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(StrUtils, AnsiComparisonsFollowCodePointOrder) {
  EXPECT_LT(AnsiCompareStr(u"a", u"b"), 0);
  EXPECT_LT(AnsiCompareStr(u"B", u"a"), 0);
  EXPECT_EQ(AnsiCompareStr(u"x", u"x"), 0);
  EXPECT_LT(AnsiCompareStr(u"\uFFFD", u"\U0001F600"), 0);  // supplementary characters sort last
  EXPECT_EQ(AnsiCompareText(U8("ÄBC"), U8("äbc")), 0);
  EXPECT_GT(AnsiCompareText(U8("ÄBD"), U8("äbc")), 0);
  EXPECT_FALSE(AnsiSameText(U8("ä"), U8("a")));
}

TEST(StrUtils, StringReplaceHonoursItsFlags) {
  const struct { const char* s; const char* from; const char* to; TReplaceFlags flags; const char* expected; } table[] = {
      {"a-b-c", "-", "+", {}, "a+b-c"},
      {"a-b-c", "-", "+", {rfReplaceAll}, "a+b+c"},
      {"aXbxc", "x", "", {rfReplaceAll}, "aXbc"},
      {"aXbxc", "x", "__", {rfReplaceAll, rfIgnoreCase}, "a__b__c"},
      {"ÄaäA", "ä", "o", {rfReplaceAll, rfIgnoreCase}, "oaoA"},
      {"aaaa", "aa", "a", {rfReplaceAll}, "aa"},     // non-overlapping, no rescan of replaced text
      {"abc", "abc", "abcabc", {rfReplaceAll}, "abcabc"},
      {"abc", "", "x", {rfReplaceAll}, "abc"},       // an empty pattern changes nothing
      {"abc", "z", "x", {rfReplaceAll}, "abc"},
      {"", "a", "x", {rfReplaceAll}, ""},
  };
  for (const auto& t : table)
    EXPECT_EQ(StringReplace(U8(t.s), U8(t.from), U8(t.to), t.flags), U8(t.expected)) << t.s << " / " << t.from;
}
