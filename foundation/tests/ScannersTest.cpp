#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string_view>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "Qelta_qeltabase.h"
#include "Qelta_qeltabase_scan_internal.h"
#include "Qelta_univconst.h"
#include "StrUtils.h"

using namespace qelta;

namespace {

const double kMax = static_cast<double>(uc_MaxDouble);

struct IntCase {
  const char* text;
  int start;
  int32_t value;
  int end;
};

// [SECTION] ScanDecimal

TEST(ScanDecimal, ReadsSignedDigitsAndStopsOnTheFirstOtherCharacter) {
  const IntCase cases[] = {
      {"  -42x", 1, -42, 6}, {"+17", 1, 17, 4}, {"12 34", 4, 34, 6},   {"abc", 1, 0, 1},
      {"-", 1, 0, 2},        {"- 5", 1, 0, 2},  {"  ", 1, 0, 2},       {" ", 1, 0, 1},
      {"7", 1, 7, 2},        {"x12", 2, 12, 4}, {"12", 3, 0, 3},       {"12", 9, 0, 9},
      {"0042", 1, 42, 5},    {"--3", 1, 0, 2},  {"\xC2\xB2", 1, 0, 1},  // a superscript two is no digit
  };
  for (const auto& c : cases) {
    int pos = c.start;
    EXPECT_EQ(ScanDecimal(U8(c.text), pos), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

TEST(ScanDecimal, EmptyTextLeavesThePositionAlone) {
  int pos = 3;
  EXPECT_EQ(ScanDecimal(u"", pos), 0);
  EXPECT_EQ(pos, 3);
}

TEST(ScanDecimal, WrapsAroundModulo2To32) {
  const IntCase cases[] = {
      {"2147483647", 1, 2147483647, 11},
      {"2147483648", 1, std::numeric_limits<int32_t>::min(), 11},
      {"-2147483648", 1, std::numeric_limits<int32_t>::min(), 12},
      {"4294967296", 1, 0, 11},
      {"4294967297", 1, 1, 11},
      {"99999999999999999999", 1, static_cast<int32_t>(1661992959u), 21},  // 10^20 - 1 mod 2^32
  };
  for (const auto& c : cases) {
    int pos = c.start;
    EXPECT_EQ(ScanDecimal(U8(c.text), pos), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

TEST(ScanDecimal, PositionBeforeTheTextReadsNothing) {
  // Position 0 or below used to be read as a character index before the text.
  int pos = 0;
  EXPECT_EQ(ScanDecimal(u"12", pos), 0);
  EXPECT_EQ(pos, 0);
  pos = -4;
  EXPECT_EQ(ScanHex(u"12", pos), 0);
  EXPECT_EQ(pos, -4);
}

// ScanFPNum stepped its position past INT_MAX (signed overflow) when it was given the largest int.
TEST(ScanFPNum, PositionOutsideTheTextReadsNothing) {
  for (int start : {INT_MIN, -1, 0, 4, INT_MAX}) {
    int pos = start;
    EXPECT_EQ(ScanFPNum(u"1.5", true, 3, pos), 0.0) << start;
    EXPECT_EQ(pos, start);
  }
}

TEST(ScanDecimal, ReadsSeveralNumbersOutOfOneLine) {
  const String line = u"10;-20, 30";
  int pos = 1;
  int32_t sum = 0;
  while (pos <= Length(line)) {
    sum += ScanDecimal(line, pos);
    ++pos;  // the separator
  }
  EXPECT_EQ(sum, 20);
}

// [SECTION] ScanHex

TEST(ScanHex, ReadsDigitsOfEitherCaseAndSkipsADollarOnlyAtPositionOne) {
  const IntCase cases[] = {
      {"$1f", 1, 31, 4},      {" $1f", 1, 0, 2},      {"  ff", 1, 255, 5},     {"1F", 1, 31, 3},
      {"aBcD", 1, 0xABCD, 5}, {"x1g", 2, 1, 3},       {"-1", 1, 0, 1},         {"$$1", 1, 0, 2},
      {"1$2", 2, 0, 2},       {"FFFFFFFF", 1, -1, 9}, {"100000001", 1, 1, 10},  // wraps modulo 2^32
      {"", 1, 0, 1},          {"ab", 5, 0, 5},        {"$", 1, 0, 2},
  };
  for (const auto& c : cases) {
    int pos = c.start;
    EXPECT_EQ(ScanHex(U8(c.text), pos), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

// Runs of eight digits are read at once; one digit at a time by the rule is the plain twin. Runs of every
// length with characters next to the digits' ranges ('/' ':' '@' 'G' '`' 'g', and the letters a page up)
// anywhere in them.
TEST(ScanHex, EightDigitsAtOnceReadAsOneAtATime) {
  const auto plain = [](const String& s, int& pos) {
    if (pos < 1) return int32_t{0};
    while (pos < static_cast<int>(s.size()) && s[pos - 1] == u' ') ++pos;
    if (pos == 1 && !s.empty() && s[0] == u'$') ++pos;
    uint32_t value = 0;
    for (; pos <= static_cast<int>(s.size()) && HexDigitValue(s[pos - 1]) >= 0; ++pos)
      value = value * 16u + static_cast<uint32_t>(HexDigitValue(s[pos - 1]));
    return static_cast<int32_t>(value);
  };
  const String digits = u"0123456789abcdefABCDEF";
  const Char nearMiss[] = {u'/', u':', u'@', u'G', u'`', u'g', u' ', u'$', 0x0141, 0x0161, 0x0130, 0xFF21};
  std::mt19937 gen(1106);
  for (int t = 0; t < 3000; ++t) {
    String s(gen() % 26, u'0');
    for (Char& c : s) c = digits[gen() % digits.size()];
    if (!s.empty() && gen() % 3) s[gen() % s.size()] = nearMiss[gen() % std::size(nearMiss)];
    for (int start = 0; start <= static_cast<int>(s.size()) + 1; ++start) {
      int a = start, b = start;
      ASSERT_EQ(ScanHex(s, a), plain(s, b)) << StringToUtf8(s) << " from " << start;
      ASSERT_EQ(a, b) << StringToUtf8(s) << " from " << start;
    }
  }
}

// [SECTION] ScanFPNum

struct FPCase {
  const char* text;
  bool exp;
  int mode;
  int start;
  double value;
  int end;
};

TEST(ScanFPNum, FollowsTheStateTable) {
  const FPCase cases[] = {
      {"3.5,", true, 1, 1, 3.5, 4},    {"3,5", true, 2, 1, 3.5, 4},
      {"1.2.3", true, 3, 1, 0, 4},     {"12.", true, 1, 1, 12, 4},
      {".5", true, 1, 1, 0.5, 3},      {"1E5", false, 1, 1, 1, 2},
      {"- 5", true, 1, 1, 0, 2},       {"12.5", true, 3, 1, 12.5, 5},
      {"3,", true, 2, 1, 3, 3},        {"-x", true, 1, 1, 0, 2},
      {"12abc", true, 1, 1, 12, 3},    {"  -7.25e2;", true, 1, 1, -725, 10},
      {"3,25E2;", true, 2, 1, 325, 7}, {"3,25E2;", false, 2, 1, 3.25, 5},
      {"+.5", true, 1, 1, 0.5, 4},     {"1.5", true, 0, 1, 1, 2},
      {"1.5", true, 9, 1, 1, 2},       {"1,5", true, 1, 1, 1, 2},
      {"x 2.5", true, 1, 2, 2.5, 6},   {"", true, 1, 1, 0, 1},
      {"7", true, 1, 4, 0, 4},         {"1e-3", true, 1, 1, 0.001, 5},
      {"2E+2x", true, 1, 1, 200, 5},   {"5 6", true, 1, 1, 5, 2},
      {"1E5 ", true, 1, 1, 1e5, 4},    {"1E5.", true, 1, 1, 1e5, 4},
      {"1E--5", true, 1, 1, 0, 4},     {"E5", true, 1, 1, 0, 1},
      {"-.", true, 1, 1, 0, 3},        {"9.E1", true, 1, 1, 90, 5},
      {"1.5x", true, 1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    int pos = c.start;
    EXPECT_DOUBLE_EQ(ScanFPNum(U8(c.text), c.exp, c.mode, pos), c.value) << c.text << " mode " << c.mode;
    EXPECT_EQ(pos, c.end) << c.text << " mode " << c.mode;
  }
}

TEST(ScanFPNum, OnePassReadingEqualsTheStateMachineOnRandomTexts) {
  // Plain numbers are read in one pass, everything else by the machine: value bits and position
  // must agree on every text, every separator mode, with and without exponent, from any start.
  const Char pool[] = {u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u'0', u'9', u'5',
                       u'.', u',', u'+', u'-', u'e', u'E', u' ', u'x', 0xE9, 0x0660, u'/'};
  std::mt19937 gen(1102);
  for (int t = 0; t < 60000; ++t) {
    String s;
    const size_t length = gen() % 48;
    for (size_t k = 0; k < length; ++k) s += pool[gen() % (t % 3 == 0 ? 13 : std::size(pool))];
    const bool exp = gen() % 4 != 0;
    const int mode = static_cast<int>(gen() % 4);
    const int start = static_cast<int>(gen() % (length + 2));
    int posFast = start, posMachine = start;
    const double fast = ScanFPNum(s, exp, mode, posFast);
    const double machine = core_detail::ScanFPNumByMachine(s, exp, mode, posMachine);
    uint64_t a, b;
    std::memcpy(&a, &fast, 8);
    std::memcpy(&b, &machine, 8);
    ASSERT_EQ(a, b) << StringToUtf8(s) << " mode " << mode << " from " << start;
    ASSERT_EQ(posFast, posMachine) << StringToUtf8(s) << " mode " << mode << " from " << start;
  }
}

TEST(ScanFPNum, OnePassReadingEqualsTheStateMachineOnRandomNumbers) {
  // Digit counts and exponents on both sides of the exact shortcut (19 digits, 2^53, 10^+-22).
  std::mt19937_64 gen(1103);
  for (int t = 0; t < 60000; ++t) {
    std::string s = gen() % 2 ? "-" : "";
    for (int k = 0, n = 1 + static_cast<int>(gen() % 22); k < n; ++k) s += static_cast<char>('0' + gen() % 10);
    if (gen() % 2) {
      s += '.';
      for (int k = 0, n = static_cast<int>(gen() % 22); k < n; ++k) s += static_cast<char>('0' + gen() % 10);
    }
    if (gen() % 2) s += "E" + std::to_string(static_cast<int>(gen() % 80) - 40);
    const String text = Utf8ToString(s + ";");
    int posFast = 1, posMachine = 1;
    const double fast = ScanFPNum(text, true, 1, posFast);
    const double machine = core_detail::ScanFPNumByMachine(text, true, 1, posMachine);
    ASSERT_EQ(std::memcmp(&fast, &machine, 8), 0) << s;
    ASSERT_EQ(posFast, posMachine) << s;
  }
}

TEST(ScanFPNum, ReadsTheNumberWithAPointWhateverTheSeparator) {
  int pos = 1;
  EXPECT_EQ(ScanFPNum(u"0,1", false, 2, pos), 0.1);
  pos = 1;
  EXPECT_EQ(ScanFPNum(u"-123456,789012", false, 3, pos), -123456.789012);
}

TEST(ScanFPNum, TextEndingInTheExponentLetterGivesTheMantissa) {
  // The conversion would refuse "1.5E" and "1.5E-"; the scanner answers what the text shows.
  const FPCase cases[] = {
      {"1.5E", true, 1, 1, 1.5, 5}, {"1.5E-", true, 1, 1, 1.5, 6}, {"-2e+", true, 1, 1, -2, 5},
      {"3Ex", true, 1, 1, 3, 3},    {"3E-x", true, 1, 1, 3, 4},    {"4.E", true, 1, 1, 4, 4},
  };
  for (const auto& c : cases) {
    int pos = c.start;
    EXPECT_DOUBLE_EQ(ScanFPNum(U8(c.text), c.exp, c.mode, pos), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

TEST(ScanFPNum, ExponentIsCutAt4200AndTheValueClamped) {
  const FPCase cases[] = {
      {"1E5000", true, 1, 1, kMax, 7},
      {"-1E5000", true, 1, 1, -kMax, 8},
      {"1E-5000", true, 1, 1, 0, 8},
      {"1E4200", true, 1, 1, kMax, 7},
      {"1.8E308", true, 1, 1, kMax, 8},
      {"1.6E308", true, 1, 1, 1.6e308, 8},
      {"1E00000000000000000001", true, 1, 1, 10, 23},
      {"0.00001E4205", true, 1, 1, kMax, 13},  // the 5 is left out: 0.00001E420 is 1e415, clamped
      {"1E99999999999999999999", true, 1, 1, kMax, 23},
      {"4.9E-324", true, 1, 1, 4.9e-324, 9},
  };
  for (const auto& c : cases) {
    int pos = c.start;
    EXPECT_EQ(ScanFPNum(U8(c.text), c.exp, c.mode, pos), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

TEST(ScanFPNum, RoundsLongMantissasCorrectly) {
  int pos = 1;
  EXPECT_EQ(ScanFPNum(u"0.1000000000000000055511151231257827021181583404541015625", true, 1, pos), 0.1);
  pos = 1;
  EXPECT_EQ(ScanFPNum(u"9007199254740993", true, 1, pos), 9007199254740992.0);  // tie to even
}

TEST(ScanFPNum, LowerCaseExponentAndNonAsciiLetters) {
  int pos = 1;
  EXPECT_EQ(ScanFPNum(U8("2e1"), true, 1, pos), 20.0);
  pos = 1;
  EXPECT_EQ(ScanFPNum(U8("2\xC3\xA9"
                         "1"),
                      true, 1, pos),
            2.0);  // an e with accent is no exponent
  EXPECT_EQ(pos, 2);
}

// [SECTION] the scanners on a view

// The view forms read a value where it stands inside a larger text: each must give the String form's value
// and position for the characters of the view alone, never looking at what follows or precedes it (digits,
// hex letters, a separator and an exponent stand there to catch a scan that runs on).
TEST(ScannerViews, ReadTheirCharactersAsTheStringFormsReadACopy) {
  std::vector<String> texts = {u"", u" ", u"  ", u"-", u"+", u"$", u"--3", u"+-1", u"  -42x", u"12 ", u" 12", u"1 2",
                               u"2147483647", u"2147483648", u"-2147483648", u"4294967297", u"99999999999999999999",
                               u"0042", u"$1f", u" $1f", u"$$1", u"0x1A", u"1.5E", u"1.5E-", u"-2e+", u".5", u"5.", u"-.",
                               u"3,25E2;", u"1e308", u"1.7976931348623157E308", u"1.7976931348623159E308", u"-1e400",
                               u"1E-5000", u"1e4200", u"1E4201", u"4.9e-324", u"2.2250738585072011e-308",
                               u"0.1000000000000000055511151231257827021181583404541015625", u"9007199254740993",
                               u"\u0660", u"\uFF11", u"1\u00e9", u"\u0130"};
  const String hexDigits = u"aBcDeF0123456789fEdCbA";
  for (std::size_t n = 1; n <= hexDigits.size(); ++n) texts.push_back(hexDigits.substr(0, n));  // hex of every length
  texts.push_back(String(300, u'7'));
  texts.push_back(u"-" + String(40, u'9') + u"." + String(40, u'1') + u"E-40");
  std::mt19937 gen(1104);
  const Char pool[] = {u'0', u'1', u'9', u'5', u'.', u',', u'+', u'-', u'e', u'E', u' ', u'$', u'f', u'A', u'x', 0x0660};
  for (int t = 0; t < 400; ++t) {
    String s;
    for (std::size_t k = gen() % 30; k > 0; --k) s += pool[gen() % std::size(pool)];
    texts.push_back(s);
  }
  const String before = u"9.9E9f", after = u"9F.5E9";
  for (const String& text : texts) {
    const String whole = before + text + after;
    const std::u16string_view view = std::u16string_view(whole).substr(before.size(), text.size());
    for (int start = -1; start <= static_cast<int>(text.size()) + 2; ++start) {
      int a = start, b = start;
      ASSERT_EQ(core_detail::ScanDecimalView(view, a), ScanDecimal(text, b)) << StringToUtf8(text) << " from " << start;
      ASSERT_EQ(a, b) << StringToUtf8(text) << " from " << start;
      a = b = start;
      ASSERT_EQ(core_detail::ScanHexView(view, a), ScanHex(text, b)) << StringToUtf8(text) << " from " << start;
      ASSERT_EQ(a, b) << StringToUtf8(text) << " from " << start;
      for (int mode = 0; mode < 4; ++mode)
        for (const bool exp : {false, true}) {
          a = b = start;
          const double v = core_detail::ScanFPNumView(view, exp, mode, a), w = ScanFPNum(text, exp, mode, b);
          ASSERT_EQ(std::memcmp(&v, &w, sizeof v), 0) << StringToUtf8(text) << " from " << start << " mode " << mode;
          ASSERT_EQ(a, b) << StringToUtf8(text) << " from " << start << " mode " << mode;
        }
    }
  }
}

TEST(HexDigitValue, DigitsAndTheLettersAToFOfEitherCaseOnly) {
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const int expected = c >= u'0' && c <= u'9' ? static_cast<int>(c - u'0')
                         : c >= u'A' && c <= u'F' ? static_cast<int>(c - u'A' + 10)
                         : c >= u'a' && c <= u'f' ? static_cast<int>(c - u'a' + 10)
                                                  : -1;
    ASSERT_EQ(HexDigitValue(static_cast<Char>(c)), expected) << c;
  }
}

// [SECTION] state table shared with the validators

TEST(FPScanNext, TableRowsAsGivenAndOtherStatesStay) {
  const int expected[8][6] = {
      {4, 1, 2, 3, -1, -1}, {4, -1, -1, 3, -1, -1}, {4, 9, 9, 3, 6, 9},     {-1, 9, 9, 5, 6, 9},
      {-1, 9, 9, 5, 6, 9},  {-1, -1, 7, 8, -1, 9},  {-1, -1, -1, 8, -1, 9}, {9, 9, 9, 8, 9, 9},
  };
  for (int s = 1; s <= 8; ++s)
    for (int c = fpcSeparator; c <= fpcOther; ++c) {
      EXPECT_EQ(FPScanNext(s, TFPScanClass(c), true), expected[s - 1][c]) << s << "," << c;
      const int noExp = expected[s - 1][c] == 6 ? 9 : expected[s - 1][c];
      EXPECT_EQ(FPScanNext(s, TFPScanClass(c), false), noExp) << s << "," << c;
    }
  EXPECT_EQ(FPScanNext(fpsAccept, fpcDigit, true), fpsAccept);
  EXPECT_EQ(FPScanNext(fpsError, fpcDigit, true), fpsError);
}

TEST(FPScanClass, SeparatorByModeThenBlankSignDigitExponentOther) {
  EXPECT_EQ(FPScanClass(u'.', 1), fpcSeparator);
  EXPECT_EQ(FPScanClass(u'.', 2), fpcOther);
  EXPECT_EQ(FPScanClass(u',', 2), fpcSeparator);
  EXPECT_EQ(FPScanClass(u',', 3), fpcSeparator);
  EXPECT_EQ(FPScanClass(u'.', 0), fpcOther);
  EXPECT_EQ(FPScanClass(u' ', 1), fpcBlank);
  EXPECT_EQ(FPScanClass(u'\t', 1), fpcOther);
  EXPECT_EQ(FPScanClass(u'-', 1), fpcSign);
  EXPECT_EQ(FPScanClass(u'7', 1), fpcDigit);
  EXPECT_EQ(FPScanClass(u'e', 1), fpcExponent);
  EXPECT_EQ(FPScanClass(u'Z', 1), fpcOther);
}

}  // namespace
