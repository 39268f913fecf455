#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "Assertions.h"
#include "DirectPaths.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"

using namespace qelta;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct TextCase {
  const char* in;
  const char* out;
};

// [SECTION] number text

struct StrffCase {
  double x;
  int width, decimals;
  const char* text;
};

TEST(strff, FixedFormRightAlignedOrZeroPadded) {
  const StrffCase cases[] = {
      {3.14159, 8, 2, "    3.14"},
      {3.14159, -8, 2, "00003.14"},
      {-3.5, -6, 1, "-003.5"},
      {-3.5, 6, 1, "  -3.5"},
      {2.5, 1, 0, "3"},
      {0.125, 1, 2, "0.13"},  // ties away from zero
      {-0.001, 1, 2, "0.00"},
      {12345.678, 3, 1, "12345.7"},
      {-12.5, -3, 1, "-12.5"},
      {0, -4, 0, "0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(strff(c.x, c.width, c.decimals), U8(c.text)) << c.x << " " << c.width;
}

TEST(strff, ExponentFormWithTwoExponentDigitsOrStars) {
  const StrffCase cases[] = {
      {23456.789, 10, -2, " 2.346E+04"},
      {-23456.789, 10, -2, "-2.346E+04"},
      {1e150, 10, -2, "**********"},
      {1e-150, 10, -2, "**********"},
      {1e99, 10, -2, " 1.000E+99"},
      {1e100, 10, -2, "**********"},
      {0, 10, -2, " 0.000E+00"},
      {23456.789, 12, -1, " 2.346E+0004"},
      {23456.789, -12, -2, "02.34568E+04"},
      {-1.5, -8, -2, "-1.5E+00"},
      {5, 3, -2, " 5.0E+00"},
  };
  for (const auto& c : cases) EXPECT_EQ(strff(c.x, c.width, c.decimals), U8(c.text)) << c.x << " " << c.width;
}

TEST(strff, StarsWithoutDigitsAgreeWithStrsText) {
  // Far from 1 the two-digit form is all stars, known without working out the digits (the direct paths);
  // Str's own text, cut, must say the same at and around the bounds.
  std::vector<Extended> values = {1e100, 1.01e100, 9.99999999999999e99, 9.9999999999999999e99L, 1e-99, 9e-100,
                                  9.9999999999999e-100, 9.99999999999999999e-100L, 1e-100, 5e-324, 1e300, 1e4000L,
                                  1e-4000L, std::numeric_limits<double>::max()};
  std::mt19937_64 gen(31);
  for (int k = 0; k < 3000; ++k) values.push_back(std::pow(10.0L, static_cast<int>(gen() % 700) - 350) * (1 + gen() % 9));
  for (const Extended v : values)
    for (const Extended x : {v, -v})
      for (const int width : {-30, -12, 3, 10, 21, 40}) {
        const String fast = strff(x, width, -2);
        const bool saved = platform_detail::SetDirectPaths(false);
        const String plain = strff(x, width, -2);
        platform_detail::SetDirectPaths(saved);
        ASSERT_EQ(fast, plain) << static_cast<double>(x) << " " << width;
      }
}

TEST(strff, TextsWithoutTheExponentPartPassUnchangedAndAreNotZeroPadded) {
  EXPECT_EQ(strff(kInf, 10, -2), u"         INF");
  EXPECT_EQ(strff(kNaN, -6, 2), u"   NAN");
  EXPECT_EQ(strff(-kInf, -6, 0), u"  -INF");
}

TEST(strff, ExtremeWidthsDoNotOverflow) {
  const String t = strff(1, INT_MIN, 0);
  EXPECT_EQ(Length(t), 4096);
  EXPECT_EQ(t.back(), u'1');
  EXPECT_EQ(Length(strff(1, INT_MAX, -2)), 4096);
}

TEST(strffForcePlus, PutsAPlusBeforeNumbersOfZeroOrMore) {
  const StrffCase cases[] = {
      {3.14159, 8, 2, "   +3.14"},
      {3.14159, 1, 2, "+3.14"},
      {3.14159, -8, 2, "+0003.14"},
      {0.5, 1, 2, "+0.50"},
      {0.5, -6, 2, "+00.50"},
      {-3.5, 8, 1, "    -3.5"},
      {1e150, 10, -2, "+**********"},
      {23456.789, 10, -2, "+2.346E+04"},
      {0, 3, 1, "+0.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(strffForcePlus(c.x, c.width, c.decimals), U8(c.text)) << c.x;
}

TEST(strffForcePlus, KeepsALoneZeroDigit) {
  // A leading '0' that no digit follows was replaced by the '+', so zero came out as "+".
  EXPECT_EQ(strffForcePlus(0, 1, 0), u"+0");
  EXPECT_EQ(strffForcePlus(0.4, -1, 0), u"+0");
}

TEST(FormatData, FixedInsideTheModesRangeElseExponent) {
  const StrffCase cases[] = {
      {12.5, 8, 2, "   12.50"},
      {0, 8, 3, "   0.000"},
      {-0.01, 8, 2, "   -0.01"},
      {0.001, 8, 2, " 1.0000000E-03"},
      {999999999, 10, 0, " 999999999"},
      {1e9, 4, 0, " 1.000E+09"},
      {0.99999999, 12, 8, "  0.99999999"},
      {1, 12, 8, " 1.00000000000E+00"},
      {9999999.9, 1, 1, "9999999.9"},
      {12.5, 4, 9, " 1.250E+01"},
      {12.5, 4, -1, " 1.250E+01"},
      {kNaN, 4, 2, "         NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatData(c.x, c.width, c.decimals), U8(c.text)) << c.x << " " << c.decimals;
}

TEST(SigDigStr, FixedWhereTheDigitsFitElseExponent) {
  const StrffCase cases[] = {
      {0, 8, 3, "    0.00"},          {123.456, 10, 5, "    123.46"}, {0.00012345, 10, 3, "  0.000123"},
      {123456, 10, 3, "    123456"},  {1.5e12, 10, 3, " 1.500E+12"},  {1e-8, 10, 3, " 1.000E-08"},
      {123.456, 10, 0, "       123"}, {-2.5, 6, 2, "  -2.5"},         {1.5e12, 4, 3, " 1.50E+12"},
  };
  for (const auto& c : cases) EXPECT_EQ(SigDigStr(c.x, c.width, c.decimals), U8(c.text)) << c.x;
  EXPECT_EQ(SigDigStr(123.456, 10, 5, true), u"123.46");
  EXPECT_EQ(SigDigStr(123.456, 10, 5, false), u"    123.46");
}

TEST(strff, ScanFPNumReadsItsTextBackWithinHalfAUnitOfTheLastDecimal) {
  std::mt19937_64 gen(5807);
  std::uniform_int_distribution<int64_t> mantissa(-999999999999999, 999999999999999);  // up to 15 digits
  std::uniform_int_distribution<int> scale(0, 15);
  for (int i = 0; i < 20000; ++i) {
    const int d = scale(gen);
    const double x = static_cast<double>(mantissa(gen)) / std::pow(10.0, scale(gen));
    const String fixed = strff(x, 1, d);
    int pos = 1;
    const double back = ScanFPNum(fixed, true, 1, pos);
    ASSERT_EQ(pos, Length(fixed) + 1) << StringToUtf8(fixed);
    ASSERT_LE(std::fabs(back - x), 0.5 * std::pow(10.0, -d) * (1 + 1e-9) + std::fabs(x) * 1e-15)
        << x << " -> " << StringToUtf8(fixed);
    // Two-digit exponent form with 15 significant digits.
    if (x == 0 || std::fabs(std::log10(std::fabs(x))) >= 99) continue;
    const String sci = strff(x, 21, -2);
    pos = 1;
    EXPECT_NEAR_REL(ScanFPNum(sci, true, 1, pos), x, 0.5e-14) << StringToUtf8(sci);
  }
}

// [SECTION] texts of values

TEST(BoolToStr, EveryModeAndTheDefault) {
  const struct {
    int mode;
    const char16_t *yes, *no;
  } cases[] = {{0, u"TRUE", u"FALSE"}, {1, u"T", u"F"},   {2, u".T.", u".F."},    {3, u"1", u"0"},
               {4, u"-1", u"0"},       {5, u"FF", u"00"}, {9, u"TRUE", u"FALSE"}, {-1, u"TRUE", u"FALSE"}};
  for (const auto& c : cases) {
    EXPECT_EQ(BoolToStr(true, c.mode), c.yes) << c.mode;
    EXPECT_EQ(BoolToStr(false, c.mode), c.no) << c.mode;
  }
}

TEST(MultiChar, CountClampedToOneThrough255) {
  EXPECT_EQ(MultiChar(u'x', 3), u"xxx");
  EXPECT_EQ(MultiChar(u'x', 0), u"x");
  EXPECT_EQ(MultiChar(u'x', -7), u"x");
  EXPECT_EQ(Length(MultiChar(u'x', 300)), 255);
  EXPECT_EQ(BinString(true, u"on", u"off"), u"on");
  EXPECT_EQ(BinString(false, u"on", u"off"), u"off");
}

TEST(TimeString, EveryFormat) {
  const struct {
    double seconds;
    int format;
    const char* text;
  } cases[] = {
      {3725.5, 0, "01:02:05.50"}, {3725.5, 1, "01:02:05"},
      {18420, 2, " 5h07"},        {18429, 3, " 5h07'09\""},
      {3725.5, 4, "01:02"},       {46800, 5, " 1:00p"},
      {0, 5, "12:00a"},           {43200, 5, "12:00p"},
      {43140, 5, "11:59a"},       {3725.5, 6, ""},
      {-5, 0, "00:00:00.00"},     {kNaN, 1, "00:00:00"},
      {360000, 2, "100h00"},      {59.999, 0, "00:00:59.99"},
  };
  for (const auto& c : cases) EXPECT_EQ(TimeString(c.seconds, c.format), U8(c.text)) << c.seconds << " " << c.format;
}

TEST(TimeString, HundredthsComeFromAWholeCountOfCentiseconds) {
  // The hundredths were the truncated fraction times 100: 0.29 s showed ".28".
  EXPECT_EQ(TimeString(0.29, 0), u"00:00:00.29");
  EXPECT_EQ(TimeString(3600.57, 0), u"01:00:00.57");
  EXPECT_EQ(TimeString(1.1, 0), u"00:00:01.10");
}

TEST(TimeString, HoursAreNotA16BitCount) {
  // Hours were held in 16 bits: 70000 hours printed as 4464.
  EXPECT_EQ(TimeString(70000.0 * 3600, 1), u"70000:00:00");
  EXPECT_EQ(TimeString(kInf, 4), u"25000000000:00");  // clamped to 9e13 seconds
}

// [SECTION] searching and counting

TEST(StringIx, OneBasedIndexOfTheFirstExactEntry) {
  const std::vector<String> list = {u"a", u"b", u"c", u"b"};
  EXPECT_EQ(StringIx(u"b", list), 2);
  EXPECT_EQ(StringIx(u"B", list), 0);
  EXPECT_EQ(StringIx(u"x", list), 0);
  EXPECT_EQ(StringIx(u"a", {}), 0);
}

TEST(NumberedPos, NthNonOverlappingOccurrence) {
  const struct {
    const char16_t *sub, *s;
    int start, n;
    bool ignoreCase;
    int pos;
  } cases[] = {
      {u"ab", u"xabyab", 1, 2, false, 5}, {u"ab", u"xabyab", 1, 3, false, 0}, {u"ab", u"xabyab", 1, 1, false, 2},
      {u"ab", u"xabyab", 3, 1, false, 5}, {u"ab", u"xabyab", 0, 1, false, 2}, {u"ab", u"xabyab", -5, 2, false, 5},
      {u"AB", u"xabyAb", 1, 2, true, 5},  {u"AB", u"xabyab", 1, 1, false, 0}, {u"ab", u"xabyab", 1, 0, false, 0},
      {u"aa", u"aaaa", 1, 2, false, 3},   {u"ab", u"xabyab", 7, 1, false, 0}, {u"ab", u"", 1, 1, false, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NumberedPos(c.sub, c.s, c.start, c.n, c.ignoreCase), c.pos) << StringToUtf8(c.s) << " " << c.start;
}

TEST(Search, EmptySearchTextHasNoOccurrences) {
  // An empty search text was found at every position again and again: the loops never ended.
  EXPECT_EQ(NumberedPos(u"", u"abc", 1, 1, false), 0);
  EXPECT_EQ(CountStringInString(u"", u"abc", true), 0);
  EXPECT_EQ(PosLast(u"", u"abc"), 0);
  EXPECT_EQ(ReplaceStringInString(u"abc", u"", u"x", false), u"abc");
}

TEST(PosLast, LastOfTheOccurrencesFoundFromTheLeft) {
  EXPECT_EQ(PosLast(u"ab", u"xabyab"), 5);
  EXPECT_EQ(PosLast(u"aa", u"aaa"), 1);
  EXPECT_EQ(PosLast(u"x", u"abc"), 0);
}

TEST(Counting, StringsAndCharacters) {
  EXPECT_EQ(CountStringInString(u"ab", u"xabyAB", true), 1);
  EXPECT_EQ(CountStringInString(u"ab", u"xabyAB", false), 2);
  EXPECT_EQ(CountStringInString(u"aa", u"aaaaa", true), 2);
  EXPECT_EQ(CountCharInString(u'a', u"aAbA", true), 1);
  EXPECT_EQ(CountCharInString(u'a', u"aAbA", false), 3);
  EXPECT_EQ(CountCharInString(U8("ä")[0], U8("äÄ"), false), 1);  // only A-Z fold
}

TEST(CountWords, RunsOfTwoOrMoreFollowedByASeparator) {
  const struct {
    const char* s;
    int words;
  } cases[] = {{"hello world.", 2}, {"hello world", 1}, {"a b c ", 0},      {"ab,cd;", 2}, {"", 0},
               {"über alles ", 2},  {"x\tyz ", 1},      {"(ab)[cd]{ef}", 3}};
  for (const auto& c : cases) EXPECT_EQ(CountWords(U8(c.s)), c.words) << c.s;
}

TEST(Search, FirstNonBlankAndAllCharacters) {
  EXPECT_EQ(FindFirstNonBlank(u"  ab"), 3);
  EXPECT_EQ(FindFirstNonBlank(u""), 0);
  EXPECT_EQ(FindFirstNonBlank(u"   "), 0);
  EXPECT_EQ(FindFirstNonBlank(u"\tx"), 1);
  EXPECT_TRUE(TestAllChar(u"aaa", u'a'));
  EXPECT_FALSE(TestAllChar(u"", u'a'));
  EXPECT_FALSE(TestAllChar(u"aab", u'a'));
}

TEST(StringContains, SetsWithMacros) {
  const struct {
    const char *s, *set;
    bool contains, other;
  } cases[] = {
      {"abc", "//dig", false, true},    {"123", "//dig", true, false},    {"a1", "//dig", true, true},
      {"ABC", "//uc", true, false},     {"abc", "//lc//uc", true, false}, {"\x01\x1f", "//31dwn", true, false},
      {"é", "//128up", true, false},    {"€", "//128up", false, true},    {"/", "///dig", true, false},
      {"/", "//dig", false, true},      {"x", "xyz", true, false},        {"", "//dig", false, false},
      {"9a", "//dig//lc", true, false}, {"a-b", "ab", true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StringContains(U8(c.s), U8(c.set)), c.contains) << c.s << " in " << c.set;
    EXPECT_EQ(StringContainsOtherThan(U8(c.s), U8(c.set)), c.other) << c.s << " in " << c.set;
  }
}

TEST(IsAbbreviation, LongestCapitalRunAgainstLowerCaseAndDigits) {
  const struct {
    const char* s;
    bool abbrev;
  } cases[] = {{"NATO", true},  {"Nato", false}, {"ABc", true}, {"ABcd", false},
               {"AB12", false}, {"ÄÖÜ", false},  {"", false},   {"x-RAY", true}};
  for (const auto& c : cases) EXPECT_EQ(IsAbbreviation(U8(c.s)), c.abbrev) << c.s;
}

TEST(EqualAnsiStrings, IgnoresCaseByTheLocale) {
  EXPECT_TRUE(EqualAnsiStrings(U8("Äpfel"), U8("äPFEL")));
  EXPECT_FALSE(EqualAnsiStrings(u"a", u"b"));
}

// [SECTION] character classes

TEST(CharacterClasses, AsciiRangesAndUmlauts) {
  const struct {
    const char* c;
    bool digit, letter, hex, umlaut;
  } cases[] = {
      {"0", true, false, true, false},   {"9", true, false, true, false},   {"a", false, true, true, false},
      {"F", false, true, true, false},   {"g", false, true, false, false},  {"Z", false, true, false, false},
      {"ä", false, false, false, true},  {"ß", false, false, false, true},  {"Ü", false, false, false, true},
      {"é", false, false, false, false}, {"_", false, false, false, false}, {"²", false, false, false, false},
  };
  for (const auto& c : cases) {
    const Char ch = U8(c.c)[0];
    EXPECT_EQ(IsDigit(ch), c.digit) << c.c;
    EXPECT_EQ(IsLetter(ch), c.letter) << c.c;
    EXPECT_EQ(IsDigitLetter(ch), c.digit || c.letter) << c.c;
    EXPECT_EQ(IsHexChar(ch), c.hex) << c.c;
    EXPECT_EQ(IsUmlaut(ch), c.umlaut) << c.c;
  }
}

TEST(WordSeps, TheListedCodesOnly) {
  const String seps = U8("\"#%'()*+,-./:;<=>[\\]{} ");
  int count = 0;
  for (int c = 0; c < 256; ++c) count += WordSeps[c];
  EXPECT_EQ(count, Length(seps) + 3);  // plus 0, 10 and 13
  for (Char c : seps) EXPECT_TRUE(WordSeps[c]) << char(c);
  EXPECT_TRUE(WordSeps[0] && WordSeps[10] && WordSeps[13]);
  EXPECT_FALSE(WordSeps['!'] || WordSeps['_'] || WordSeps['\t'] || WordSeps['&']);
}

// [SECTION] editing

TEST(ReplaceStringInString, ReplacementsAreNeverSearchedAgain) {
  const struct {
    const char16_t *s, *sub, *replacement;
    bool ignoreCase;
    const char16_t* out;
  } cases[] = {
      {u"xabyab", u"ab", u"c", false, u"xcyc"},  {u"xAByab", u"ab", u"[ab]", true, u"x[ab]y[ab]"},
      {u"aaa", u"a", u"aa", false, u"aaaaaa"},   {u"aaaa", u"aa", u"a", false, u"aa"},
      {u"xAByab", u"ab", u"-", false, u"xABy-"}, {u"abc", u"abc", u"", false, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceStringInString(c.s, c.sub, c.replacement, c.ignoreCase), c.out) << StringToUtf8(c.s);
}

TEST(Editing, CharactersReplacedAndRemoved) {
  EXPECT_EQ(ReplaceCharInString(u"a.b.c", u'.', u','), u"a,b,c");
  EXPECT_EQ(RemoveCharInString(u"a.b.c", u'.'), u"abc");
  EXPECT_EQ(RemoveControlChars(u"a\tb\r\nc\x1f "), u"abc ");
  EXPECT_EQ(ReverseString(U8("abcä")), U8("äcba"));
}

TEST(Editing, StripRules) {
  const struct {
    const char16_t* in;
    const char16_t *lt, *leading, *trailing;
  } cases[] = {
      {u"  ab  ", u"ab", u"ab  ", u"  ab"},   {u"   ", u"", u" ", u" "}, {u"", u"", u"", u""},
      {u"\tab ", u"\tab", u"\tab ", u"\tab"}, {u"a", u"a", u"a", u"a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StripLTBlanks(c.in), c.lt) << StringToUtf8(c.in);
    EXPECT_EQ(StripLeadingBlanks(c.in), c.leading) << StringToUtf8(c.in);
    EXPECT_EQ(StripTrailingBlanks(c.in), c.trailing) << StringToUtf8(c.in);
  }
  EXPECT_EQ(StripTrailingChars(u'x', u"axx"), u"a");
  EXPECT_EQ(StripTrailingChars(u'x', u"xxx"), u"x");
  EXPECT_EQ(StripLeadingChars(u' ', u"   "), u"");
  EXPECT_EQ(StripLeadingChars(u'0', u"007"), u"7");
}

TEST(Editing, EnsureCharacters) {
  EXPECT_EQ(EnsureTrailingChar(u'/', u"a"), u"a/");
  EXPECT_EQ(EnsureTrailingChar(u'/', u"a/"), u"a/");
  EXPECT_EQ(EnsureTrailingChar(u'/', u""), u"");
  EXPECT_EQ(EnsureLeadingChar(u'$', u"ff"), u"$ff");
  EXPECT_EQ(EnsureLeadingChar(u'$', u"$ff"), u"$ff");
  EXPECT_EQ(EnsureLeadingChar(u'$', u""), u"");
  EXPECT_EQ(EnsureTrailingBkSlash(u"c:\\dir"), u"c:\\dir\\");
}

TEST(Editing, PaddingAndCutting) {
  const struct {
    const char16_t* s;
    int n;
    const char16_t *center, *left, *right, *abbrev;
  } cases[] = {
      {u"ab", 5, u" ab  ", u"ab   ", u"   ab", u"ab"},
      {u"abcdef", 3, u"abc", u"abc", u"abc", u"a.."},
      {u"ab", 2, u"ab", u"ab", u"ab", u"ab"},
      {u"abcdef", 5, u"abcde", u"abcde", u"abcde", u"abc.."},
      {u"abc", -1, u"", u"", u"", u".."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CenterString(c.s, c.n), c.center) << c.n;
    EXPECT_EQ(LeftString(c.s, c.n), c.left) << c.n;
    EXPECT_EQ(RightString(c.s, c.n), c.right) << c.n;
    EXPECT_EQ(AbbrevString(c.s, c.n), c.abbrev) << c.n;
  }
  // The cut length n - 2 overflowed for the smallest n.
  EXPECT_EQ(AbbrevString(u"abc", INT_MIN), u"..");
  EXPECT_EQ(CenterString(u"abc", INT_MIN), u"");
}

TEST(Editing, LocaleCaseRoutines) {
  const TextCase change[] = {{"aBc Äö€1", "AbC äÖ€1"}, {"ß", "ß"}, {"", ""}};
  for (const auto& c : change) EXPECT_EQ(ChangeCase(U8(c.in)), U8(c.out)) << c.in;
  // Every code above 127 counts as a letter: code 8364 (the euro sign) neither starts a word after
  // it nor is a word break, so the letter after it stays as it is.
  const TextCase capital[] = {
      {"hello world", "Hello World"}, {"über straße", "Über Straße"},
      {"1st place", "1st Place"},     {"o'neil-smith", "O'Neil-Smith"},
      {"€uro zone", "€uro Zone"},     {"a€b c", "A€b C"},
      {"élan x.y", "Élan X.Y"},       {"", ""},
  };
  for (const auto& c : capital) EXPECT_EQ(CapitalizeString(U8(c.in)), U8(c.out)) << c.in;
}

TEST(Editing, ExpandDiphthongs) {
  const TextCase cases[] = {
      {"Äpfel", "Aepfel"}, {"ÄRGER", "AERGER"}, {"Öl", "Oel"}, {"Ü", "UE"},       {"Maß", "Mass"},
      {"µm", "um"},        {"grün", "gruen"},   {"Ä1", "AE1"}, {"Übel", "Uebel"}, {"Öfen ÖL", "Oefen OEL"}};
  for (const auto& c : cases) EXPECT_EQ(ExpandDiphthongs(U8(c.in)), U8(c.out)) << c.in;
}

TEST(Editing, ReduceToSafeCharacters) {
  EXPECT_EQ(ReduceStringToAZ09(U8("a-b c9é")), u"a_b_c9_");
  EXPECT_EQ(ReduceStringToFN83CompliantChars(U8("a b*c~{}`é@!#$%&'()^_-.txt\x7f")), u"a_b_c~{}`_@!#$%&'()^_-.txt_");
}

TEST(ProcessHexChars, EscapesOfExactlyTwoHexDigits) {
  const TextCase cases[] = {
      {"\\#41", "A"}, {"x\\#4142", "xA42"}, {"\\\\#41", "\\#41"}, {"\\#6a", "j"},
      {"\\x", "\\x"}, {"a\\\\", "a\\"},     {"\\\\\\#41", "\\A"}, {"\\#41\\#42", "AB"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProcessHexChars(U8(c.in)), U8(c.out)) << c.in;
  EXPECT_EQ(ProcessHexChars(u"\\#00"), String(1, u'\0'));
}

TEST(ProcessHexChars, ShortOrNonHexEscapesStayLiteral) {
  // The digits were read with ScanHex up to the first non-hex character, past the end of a short
  // escape, and "\#4G" became the character 4.
  const TextCase cases[] = {{"\\#4", "\\#4"}, {"\\#", "\\#"}, {"\\", "\\"}, {"\\#4G", "\\#4G"}, {"\\#G1", "\\#G1"}};
  for (const auto& c : cases) EXPECT_EQ(ProcessHexChars(U8(c.in)), U8(c.out)) << c.in;
}

// [SECTION] extraction

TEST(ExtractWordFromString, WordAroundThePosition) {
  const struct {
    const char* s;
    int pos;
    const char* word;
    int first, last;
  } cases[] = {
      {"hello world", 3, "hello", 1, 5}, {"hello world", 6, " ", 6, 6}, {"hello world", 11, "world", 7, 11},
      {"hello world", 0, "", 0, 0},      {"hello world", 12, "", 0, 0}, {"a,b", 2, ",", 2, 2},
      {"über-all", 2, "über", 1, 4},     {"x", 1, "x", 1, 1},
  };
  for (const auto& c : cases) {
    int first = -1;
    int last = -1;
    EXPECT_EQ(ExtractWordFromString(U8(c.s), c.pos, first, last), U8(c.word)) << c.s << " " << c.pos;
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(last, c.last);
    EXPECT_EQ(ExtractWordFromString(U8(c.s), c.pos), U8(c.word));
  }
}

TEST(ExtractSubString, ZeroBasedFieldsWithCaseInsensitiveDelimiter) {
  const struct {
    const char16_t* s;
    int item;
    const char16_t *delimiter, *field;
  } cases[] = {
      {u"a;b;c", 0, u";", u"a"}, {u"a;b;c", 1, u";", u"b"}, {u"a;b;c", 2, u";", u"c"}, {u"a;b;c", 3, u";", u""},
      {u"a;b;c", -1, u";", u""}, {u";b", 0, u";", u""},     {u"aXbxc", 1, u"x", u"b"}, {u"aXbxc", 2, u"X", u"c"},
      {u"a::b", 1, u"::", u"b"}, {u"", 0, u";", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExtractSubString(c.s, c.item, c.delimiter), c.field) << StringToUtf8(c.s) << " " << c.item;
}

TEST(ExtractSubString, EmptyDelimiterGivesTheWholeTextAsFieldZero) {
  // An empty delimiter was found at every position and the field search never advanced.
  EXPECT_EQ(ExtractSubString(u"abc", 0, u""), u"abc");
  EXPECT_EQ(ExtractSubString(u"abc", 1, u""), u"");
}

TEST(Tokenize, PartsBetweenSeparators) {
  const struct {
    const char16_t *s, *sep;
    std::vector<String> parts;
  } cases[] = {
      {u"a;;b", u";", {u"a", u"", u"b"}},      {u"", u";", {u""}},       {u"abc", u";", {u"abc"}},
      {u"a--b--c", u"--", {u"a", u"b", u"c"}}, {u";", u";", {u"", u""}},
  };
  for (const auto& c : cases) {
    TOpenStringArray parts = {u"stale"};
    EXPECT_EQ(Tokenize(c.s, c.sep, parts), static_cast<int>(c.parts.size())) << StringToUtf8(c.s);
    EXPECT_EQ(parts, c.parts) << StringToUtf8(c.s);
  }
  TOpenStringArray parts;
  EXPECT_EQ(Tokenize(u"x,y", u',', parts), 2);
}

TEST(Tokenize, AtMostOneHundredPartsOf255Characters) {
  String s;
  for (int i = 0; i < 150; ++i) s += u"p;";
  TOpenStringArray parts;
  EXPECT_EQ(Tokenize(s, u';', parts), 100);
  EXPECT_EQ(parts[98], u"p");
  EXPECT_EQ(Length(parts[99]), 2 * 51);  // the rest, separators included
  EXPECT_EQ(Tokenize(String(300, u'x') + u";y", u';', parts), 2);
  EXPECT_EQ(Length(parts[0]), 255);
}

TEST(Tokenize, EmptySeparatorGivesOnePart) {
  // An empty separator matched at every position without advancing.
  TOpenStringArray parts;
  EXPECT_EQ(Tokenize(u"a;b", u"", parts), 1);
  EXPECT_EQ(parts, TOpenStringArray{u"a;b"});
}

// Every line ReadLnString gives from position 1, and whether the end flag came only with the final "".
std::vector<String> ReadAllLines(const String& s, int mode) {
  std::vector<String> lines;
  int pos = 1;
  for (bool end = false;;) {
    const String line = ReadLnString(s, pos, end, mode);
    if (end) {
      EXPECT_EQ(line, u"");
      return lines;
    }
    lines.push_back(line);
    if (lines.size() > 100) return lines;
  }
}

TEST(ReadLnString, LineEndsByMode) {
  const String text = u"ab\r\ncd\ne\rf";
  const struct {
    int mode;
    std::vector<String> lines;
  } cases[] = {
      {0, {u"ab", u"cd", u"ef"}}, {1, {u"ab", u"cde", u"f"}}, {2, {u"ab", u"", u"cd", u"e", u"f"}},
      {3, {u"abcdef"}},           {4, {u"ab", u"cdef"}},      {9, {u"abcdef"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadAllLines(text, c.mode), c.lines) << "mode " << c.mode;
  EXPECT_EQ(ReadAllLines(u"ab\rc\nd\r\n", 4), std::vector<String>{u"abcd"});
  EXPECT_EQ(ReadAllLines(u"x\n\rb", 3), (std::vector<String>{u"x", u"b"}));
  EXPECT_EQ(ReadAllLines(u"a\tb", 0), std::vector<String>{u"ab"});
}

TEST(ReadLnString, EndFlagOnlyWhenNoTextIsLeft) {
  // The flag came with the last line itself, so a reader that stops on the flag lost that line.
  int pos = 1;
  bool end = true;
  EXPECT_EQ(ReadLnString(u"abc", pos, end, 0), u"abc");
  EXPECT_FALSE(end);
  EXPECT_EQ(ReadLnString(u"abc", pos, end, 0), u"");
  EXPECT_TRUE(end);
  EXPECT_EQ(ReadAllLines(u"abc\n", 0), std::vector<String>{u"abc"});
  EXPECT_EQ(ReadAllLines(u"", 0), std::vector<String>{});
}

// [SECTION] quoted names and parameters

struct ParsedName {
  String name;
  TQuotedStrState state;
  int used;  // characters fed until the name was complete (all when it never was)
};

ParsedName FeedName(const String& s) {
  ParsedName r{String(), vsStart, 0};
  for (Char c : s) {
    if (r.state == vsEnd) break;
    ParseQuotedName(c, u'"', r.name, r.state);
    ++r.used;
  }
  return r;
}

TEST(ParseQuotedName, BareOrQuotedNamesWithDoubledQuotes) {
  const struct {
    const char* s;
    const char* name;
    TQuotedStrState state;
    int used;
  } cases[] = {
      {"  abc def", "abc", vsEnd, 6},
      {"\"a b\" x", "a b", vsEnd, 6},
      {"\"say \"\"hi\"\"\"", "say \"hi\"", vsQuote, 12},
      {"\"\"", "", vsQuote, 2},
      {"\"abc", "abc", vs1stQuote, 4},
      {"\t\r\nx", "x", vsNormal, 4},
      {"ab\"c ", "ab\"c", vsEnd, 5},
      {"", "", vsStart, 0},
  };
  for (const auto& c : cases) {
    const ParsedName r = FeedName(U8(c.s));
    EXPECT_EQ(r.name, U8(c.name)) << c.s;
    EXPECT_EQ(r.state, c.state) << c.s;
    EXPECT_EQ(r.used, c.used) << c.s;
  }
  String name = u"kept";
  TQuotedStrState state = vsEnd;
  ParseQuotedName(u'x', u'"', name, state);
  EXPECT_EQ(name, u"kept");
}

TEST(ExtractParam, QuotedParametersKeepTheirDelimiters) {
  const struct {
    const char* s;
    int n;
    Char delimiter;
    const char* param;
  } cases[] = {
      {"a b \"c d\" e", 3, u' ', "c d"},
      {"a b \"c d\" e", 1, u' ', "a"},
      {"a b \"c d\" e", 4, u' ', "e"},
      {"a b \"c d\" e", 5, u' ', ""},
      {"a b", 0, u' ', ""},
      {"x,\"y,\"\"z\"\"\",w", 2, u',', "y,\"z\""},
      {"", 1, u',', ""},
      {"a,,b", 2, u',', ""},
      {"a,,b", 3, u',', "b"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExtractParam(U8(c.s), c.n, c.delimiter, u'"'), U8(c.param)) << c.s << " " << c.n;
}

// [SECTION] uuencoding and line coordinates

TEST(UUEncodeStr, ClassicLineLayout) {
  EXPECT_EQ(UUEncodeStr(u"Cat"), u"#0V%T");
  EXPECT_EQ(UUEncodeStr(u""), u"");
  EXPECT_EQ(UUEncodeStr(String(3, u'\0')), u"#````");
  EXPECT_EQ(UUEncodeStr(u"ab"), u"\"86(`");
  const String long100 = String(100, u'x');
  const String encoded = UUEncodeStr(long100);
  EXPECT_EQ(CountStringInString(u"\r\n", encoded, true), 2);
  EXPECT_EQ(encoded[0], u'M');  // 45 bytes
  EXPECT_EQ(UUDecodeStr(encoded), long100);
}

TEST(UUDecodeStr, RoundTripOfEveryWindows1252CharacterAndShortLines) {
  String all;
  for (int b = 0; b < 256; ++b) all += AnsiToString(std::string(1, static_cast<char>(b)));
  EXPECT_EQ(UUDecodeStr(UUEncodeStr(all)), all);
  EXPECT_EQ(UUDecodeStr(u"#    "), String(3, u'\0'));  // blanks read as 0 too
  EXPECT_EQ(UUDecodeStr(u"`"), u"");
  EXPECT_EQ(UUDecodeStr(u""), u"");
  const String shortLine = UUDecodeStr(u"#0V");  // missing characters count as 0
  EXPECT_EQ(Length(shortLine), 3);
  EXPECT_EQ(shortLine[0], u'C');
  EXPECT_EQ(UUDecodeStr(u"#0V%T\n#0V%T"), u"CatCat");
}

TEST(TextLineCoords, LineAndColumnOverEveryLineEnd) {
  const String text = u"ab\r\ncd\ne\rf";
  const struct {
    int pos, line, column;
  } cases[] = {{1, 1, 1}, {2, 1, 2}, {3, 1, 3},  {4, 1, 4},  {5, 2, 1}, {7, 2, 3},
               {8, 3, 1}, {9, 3, 2}, {10, 4, 1}, {11, 4, 2}, {0, 0, 0}, {12, 0, 0}};
  for (const auto& c : cases) {
    int line = -1;
    int column = -1;
    TextLineCoords(text, c.pos, line, column);
    EXPECT_EQ(line, c.line) << c.pos;
    EXPECT_EQ(column, c.column) << c.pos;
  }
}

// [SECTION] tags

const std::vector<String> kTags = {u"item", u"pt", u"/map", u"a", u"other"};

struct TagCase {
  const char* text;
  int index;
  const char *attributes, *content;
  int endPos;
};

TEST(ReadNextTagInString, FollowsTheStreamTagRules) {
  const TagCase cases[] = {
      {"<Item Name=\"x\">Text</ITEM>", 0, "Name=\"x\"", "Text", 27},
      {"<pt x=\"1\" />", 1, "x=\"1\"", "", 13},
      {"</map>rest", 2, "", "", 7},
      {"<foo>bar</foo><pt/>", 4, "", "bar", 15},
      {"<pt/>", 4, "", "", 6},
      {"no tag", 4, "", "", 7},
      {"<a><a>x</a>y</a>", 3, "", "<a>x", 12},
      {"<item>\r\nL1\r\n</item>", 0, "", "\r\nL1\r\n", 20},
      {"<item  k=v >open", 0, "k=v", "open", 17},
      {"<item k", 0, "k", "", 8},
      {"<?xml version=\"1.0\"?><item>x</item>", 4, "version=\"1.0\"?", "", 22},
      {"<!-- a <b> -->x", 4, "a <b> --", "", 15},
  };
  for (const auto& c : cases) {
    int pos = 1;
    String attributes = u"stale";
    String content = u"stale";
    EXPECT_EQ(ReadNextTagInString(U8(c.text), pos, kTags, attributes, content), c.index) << c.text;
    EXPECT_EQ(attributes, U8(c.attributes)) << c.text;
    EXPECT_EQ(content, U8(c.content)) << c.text;
    EXPECT_EQ(pos, c.endPos) << c.text;
  }
}

TEST(ReadNextTagInString, CommentsAndDeclarationsReadNoContent) {
  // A comment or a declaration was taken for an element with content: the reader looked for
  // "</!-->" or "</?xml>" and swallowed the whole rest of the text.
  const String doc = u"<!-- by T -->\r\n<?xml version=\"1.0\"?>\r\n<item id=\"1\">one</item>";
  int pos = 1;
  String attributes;
  String content;
  EXPECT_EQ(ReadNextTagInString(doc, pos, kTags, attributes, content), 4);
  EXPECT_EQ(ReadNextTagInString(doc, pos, kTags, attributes, content), 4);
  EXPECT_EQ(ReadNextTagInString(doc, pos, kTags, attributes, content), 0);
  EXPECT_EQ(content, u"one");
}

TEST(ReadNextTagInString, ReadsADocumentTagByTag) {
  const String doc = u"<!-- by T -->\r\n<item id=\"1\">one</item>\r\n<pt x=\"2\"/>\r\n</map>";
  int pos = 1;
  String attributes;
  String content;
  std::vector<int> found;
  while (pos <= Length(doc)) found.push_back(ReadNextTagInString(doc, pos, kTags, attributes, content));
  EXPECT_EQ(found, (std::vector<int>{4, 0, 1, 2}));
  EXPECT_EQ(ReadNextTagInString(doc, pos, kTags, attributes, content), 4);  // nothing left
  EXPECT_EQ(ReadNextTagInString(doc, pos, {}, attributes, content), -1);
}

TEST(DetectNextTagInString, FindsTheTagWithoutReadingContent) {
  const String doc = u"xx<Item Name=\"x\">Text</ITEM>";
  int pos = 1;
  int start = -1;
  String attributes;
  EXPECT_EQ(DetectNextTagInString(doc, pos, kTags, attributes, start), 0);
  EXPECT_EQ(start, 3);
  EXPECT_EQ(pos, 18);
  EXPECT_EQ(attributes, u"Name=\"x\"");
  EXPECT_EQ(DetectNextTagInString(doc, pos, kTags, attributes, start), 4);  // "/item" is not listed
  EXPECT_EQ(start, 22);
  EXPECT_EQ(DetectNextTagInString(doc, pos, kTags, attributes, start), 4);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(pos, Length(doc) + 1);
}

}  // namespace
