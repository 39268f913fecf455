// Number text both ways. Reference digits of exact binary values were checked with an
// arbitrary-precision decimal library (the exact expansion of each double), not with this code.

#include "SysUtils.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "DirectPaths.h"

using namespace qelta;

namespace {

// Texts are compared as UTF-8: readable in failure messages.
std::string Utf8(const String& s) { return StringToUtf8(s); }

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Restores the process's FormatSettings after a test changed them.
class SettingsGuard : public ::testing::Test {
 protected:
  void TearDown() override { FormatSettings = saved_; }
  TFormatSettings saved_ = FormatSettings;
};

// [SECTION] Str

struct StrCase {
  Extended x;
  int width, decimals;
  const char* text;
};

TEST(Str, FixedFormRoundsTheExactValueWithTiesAwayFromZero) {
  const StrCase cases[] = {
      {0.125, 0, 2, "0.13"},  // exact tie
      {2.5, 0, 0, "3"},       // exact tie
      {-2.5, 0, 0, "-3"},     // tie away from zero, not up
      {0.5, 0, 0, "1"},
      {1.005, 0, 2, "1.00"},         // binary value 1.00499999...
      {0.045, 0, 2, "0.04"},         // binary value 0.04499999...
      {9.995, 0, 2, "9.99"},         // binary value 9.99499999...
      {999.9996, 0, 3, "1000.000"},  // carry into a new digit
      {-999.995, 0, 2, "-1000.00"},  // binary value -999.99500000000000454...
      {1e23, 0, 0, "99999999999999991611392"},
      {0.1L, 0, 19, "0.1000000000000000000"},  // Extended 0.1, not the double's ...0056
      {3.14159, 8, 2, "    3.14"},
      {-3.5, 6, 1, "  -3.5"},
      {123456.7, 3, 1, "123456.7"},  // wider than the field: never cut
      {1.0, 0, 0, "1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(Str(c.x, c.width, c.decimals)), c.text) << c.text;
}

TEST(Str, TiesRoundAwayFromZeroAtEveryMagnitude) {
  const char* quarters[] = {".13", ".38", ".63", ".88"};  // n + 1/8, 3/8, 5/8, 7/8 at two decimals
  for (int n = 0; n < 2000; n += 37) {
    EXPECT_EQ(Utf8(Str(n + 0.5, 0, 0)), std::to_string(n + 1));
    EXPECT_EQ(Utf8(Str(-(n + 0.5), 0, 0)), "-" + std::to_string(n + 1));
    for (int q = 0; q < 4; ++q) EXPECT_EQ(Utf8(Str(n + (2 * q + 1) / 8.0, 0, 2)), std::to_string(n) + quarters[q]);
  }
  // An Extended-only tie: 1 + 2^-63 has 63 decimals ending in ...142578125.
  const String s = Str(1.0L + std::ldexp(1.0L, -63), 0, 62);
  EXPECT_EQ(Utf8(s.substr(s.size() - 8)), "14257813");
}

TEST(Str, AgreesWithCorrectRoundingWhereNoTieCanOccur) {
  uint64_t seed = 12345;
  char buf[64];
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    const double x = (1.0 + static_cast<double>(seed >> 11) * 0x1p-53) * std::pow(10.0, i % 12) * (i % 2 ? -1 : 1);
    const int k = i % 7;
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, k);
    ASSERT_EQ(Utf8(Str(x, 0, k)), std::string(buf, r.ptr)) << k;
  }
}

TEST(Str, FixedFormPrintsEveryIntegerDigitOfHugeValues) {
  const String s = Str(1e300, 0, 2);
  EXPECT_EQ(s.size(), 301u + 3u);
  EXPECT_EQ(Utf8(s.substr(0, 40)), "1000000000000000052504760255204420248704");
  EXPECT_EQ(Utf8(s.substr(s.size() - 6)), "160.00");
}

// Str took any width or decimal count at its word: Str(x, INT_MAX) asked for a text of 2^31 characters
// and the process died of it. Widths and decimals now count up to 2^20, as Format's do.
TEST(Str, HugeWidthsAndDecimalsStopAtTwoToTheTwenty) {
  constexpr int kBig = std::numeric_limits<int>::max();
  constexpr size_t kCap = size_t(1) << 20;
  EXPECT_EQ(Str(1.5, kBig, 2).size(), kCap);
  EXPECT_EQ(Str(1.5, kBig).size(), kCap);
  EXPECT_EQ(Str(kNaN, kBig, 0).size(), kCap);
  EXPECT_EQ(Str(1.5, 0, kBig).size(), kCap + 2);  // "1." and the decimals
  EXPECT_EQ(IntToHex(5, kBig).size(), kCap);
  EXPECT_EQ(Utf8(Str(-1.5, 6, 2)), " -1.50");  // ordinary fields unchanged
}

// The exponent form computed width - 8 before clamping, which overflowed for the smallest int.
TEST(Str, SmallestWidthGivesTheShortestExponentForm) {
  EXPECT_EQ(Utf8(Str(-1.5, std::numeric_limits<int>::min())), "-1.5E+0000");
  EXPECT_EQ(Utf8(Str(-1.5, std::numeric_limits<int>::min(), std::numeric_limits<int>::min())), "-1.5E+0000");
}

TEST(Str, ZeroAndSpecialsInBothForms) {
  const StrCase cases[] = {
      {-0.0, 0, 2, "0.00"},  // a zero text never carries a minus
      {-0.001, 0, 2, "0.00"}, {kNaN, 6, 2, "   NAN"}, {kInf, 6, 2, "   INF"},       {-kInf, 6, 2, "  -INF"},
      {kNaN, 0, -1, "NAN"},   {-kInf, 0, -1, "-INF"}, {-0.0, 10, -1, " 0.0E+0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(Str(c.x, c.width, c.decimals)), c.text) << c.text;
}

TEST(Str, ExponentFormHasSignCharAndFourExponentDigits) {
  const StrCase cases[] = {
      {23456.789, 12, -2, " 2.346E+0004"},
      {1e150, 12, -2, " 1.000E+0150"},
      {4321, 12, -2, " 4.321E+0003"},
      {0, 0, -2, " 0.0E+0000"},  // two digits at least
      {-1.5, 0, -1, "-1.5E+0000"},
      {9.96, 10, -1, " 1.0E+0001"},  // carry moves the exponent
      {0.125, 11, -1, " 1.25E-0001"},
      {0.125, 10, -1, " 1.3E-0001"},  // tie away from zero
      {1e-320, 14, -1, " 9.99989E-0321"},
      {1.18e4932L, 26, -1, " 1.18000000000000000E+4932"},
      {1.0L / 3, 30, -1, "     3.33333333333333333E-0001"},  // 18 digits at most, Extended's own
      {1.0 / 3, 26, -1, " 3.33333333333333315E-0001"},       // the double's exact digits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8(Str(c.x, c.width, c.decimals)), c.text) << c.text;
    EXPECT_EQ(Utf8(Str(c.x, c.width)), c.text) << c.text;
  }
}

TEST(Str, ExponentFormFillsWidthsTenToTwentySix) {
  for (int w = 10; w <= 26; ++w) {
    EXPECT_EQ(Str(-2.0 / 3, w).size(), static_cast<size_t>(w)) << w;
    EXPECT_EQ(Str(2.0 / 3, w).size(), static_cast<size_t>(w)) << w;
  }
}

TEST(Str, AlwaysWritesAPointWhateverTheSettings) {
  TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = u',';
  EXPECT_EQ(Utf8(Str(1.5, 0, 1)), "1.5");
  EXPECT_EQ(Utf8(Str(1.5, 10)), " 1.5E+0000");
  FormatSettings = saved;
}

// [SECTION] FloatToStr, FloatToStrF

struct FloatCase {
  Extended x;
  const char* text;
};

TEST(FloatToStr, GeneralFormWithFifteenDigits) {
  const FloatCase cases[] = {
      {0.1, "0.1"},
      {1e20, "1E20"},
      {1.5e-7, "1.5E-7"},
      {-0.0, "0"},
      {0, "0"},
      {1e15, "1E15"},
      {123456789012345.0, "123456789012345"},
      {0.00001, "0.00001"},
      {0.000001, "1E-6"},
      {2.0 / 3, "0.666666666666667"},
      {-1234.5, "-1234.5"},
      {kNaN, "NAN"},
      {kInf, "INF"},
      {-kInf, "-INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(FloatToStr(c.x)), c.text) << c.text;
}

struct FormatFCase {
  Extended x;
  TFloatFormat format;
  int precision, digits;
  const char* text;
};

TEST(FloatToStrF, EachForm) {
  const FormatFCase cases[] = {
      {0.125, ffFixed, 15, 2, "0.13"},
      {1.005, ffFixed, 15, 2, "1.00"},
      {1.23456789, ffFixed, 3, 5, "1.23000"},  // one rounding, at three digits
      {-0.001, ffFixed, 15, 2, "0.00"},
      {1e20, ffFixed, 15, 2, "1E20"},  // more integer digits than precision
      {1234.5, ffExponent, 4, 2, "1.235E+03"},
      {-0.000123, ffExponent, 3, 0, "-1.23E-4"},
      {0, ffExponent, 3, 2, "0.00E+00"},
      {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
      {-999.5, ffNumber, 15, 0, "-1,000"},
      {1234.5, ffGeneral, 15, 0, "1234.5"},
      {1e20, ffGeneral, 15, 3, "1E020"},
      {0.125, ffGeneral, 2, 0, "0.13"},
      {1234.5, ffCurrency, 15, 2, "$1,234.50"},
      {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
      {kNaN, ffFixed, 15, 2, "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(FloatToStrF(c.x, c.format, c.precision, c.digits)), c.text) << c.text;
}

TEST_F(SettingsGuard, CurrencyLayoutsFollowTheSettings) {
  const char* negative[16] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",  "1-$",   "1$-",
                              "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
  for (uint8_t f = 0; f < 16; ++f) {
    FormatSettings.NegCurrFormat = f;
    EXPECT_EQ(Utf8(FloatToStrF(-1, ffCurrency, 15, 0)), negative[f]) << int(f);
  }
  const char* positive[4] = {"$1", "1$", "$ 1", "1 $"};
  for (uint8_t f = 0; f < 4; ++f) {
    FormatSettings.CurrencyFormat = f;
    EXPECT_EQ(Utf8(FloatToStrF(1, ffCurrency, 15, 0)), positive[f]) << int(f);
  }
}

// [SECTION] FormatFloat

struct PictureCase {
  const char* format;
  Extended x;
  const char* text;
};

TEST(FormatFloat, Pictures) {
  const PictureCase cases[] = {
      {"0.00", 0.125, "0.13"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0", -1234567, "-1,234,567"},
      {"000.0", 3.14159, "003.1"},
      {"#.##", 0.5, ".5"},
      {"#.##", 1, "1"},
      {"0.0#", 1, "1.0"},
      {"0.0#", 1.25, "1.25"},
      {".00", 12.5, "12.50"},
      {"0", 1e20, "100000000000000000000"},
      {"0.00E+00", 12345, "1.23E+04"},
      {"0.###e-0", 0.000123, "1.23e-4"},
      {"0E+0", 1, "1E+0"},
      {"'x=' 0.00 \"m\"", 2, "x= 2.00 m"},
      {"0.0;(0.0);\"zero\"", -2.25, "(2.3)"},
      {"0.0;(0.0);\"zero\"", 0.01, "zero"},  // shows as zero after rounding
      {"0.0;(0.0)", -0.01, "0.0"},           // no zero section: the positive one, no sign
      {"0.0;;\"zero\"", -1.25, "-1.3"},      // empty negative section: positive one with '-'
      {"\"a;b\" 0", 1, "a;b 1"},             // ';' inside quotes
      {"", 0.1, "0.1"},
      {"0.00", kInf, "INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(FormatFloat(U8(c.format), c.x)), c.text) << c.format;
}

// [SECTION] Format

struct FormatCase {
  const char* format;
  std::initializer_list<TVarRec> args;
  const char* text;
};

TEST(Format, IntegerAndTextSpecifiers) {
  const FormatCase cases[] = {
      {"%d|%5d|%-5d|%.3d", {42, 42, 42, -7}, "42|   42|42   |-007"},
      {"%u %u", {-1, int64_t(-1)}, "4294967295 18446744073709551615"},
      {"%x %.4x %x", {255, 255, int64_t(-1)}, "FF 00FF FFFFFFFFFFFFFFFF"},
      {"%d", {std::numeric_limits<int64_t>::min()}, "-9223372036854775808"},
      {"%s|%.2s|%6s|%-4s|", {u"abc", String(u"abcdef"), "\xC3\xBC", u'c'}, "abc|ab|     \xC3\xBC|c   |"},
      {"%1:s %0:s %s", {u"a", u"b"}, "b a b"},  // index, then on from it
      {"%*d|%-*d|%.*d", {4, 7, 3, 7, 3, 7}, "   7|7  |007"},
      {"100%%", {}, "100%"},
      {"%p", {reinterpret_cast<const void*>(0x1234)}, "0000000000001234"},
      {"%D %S", {5, u"x"}, "5 x"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(Format(U8(c.format), c.args)), c.text) << c.format;
}

TEST(Format, FloatSpecifiers) {
  const FormatCase cases[] = {
      {"%f|%.3f|%.0f", {0.125, 1.0005, 2.5}, "0.13|1.000|3"},
      {"%e", {1234.5}, "1.23450000000000E+003"},
      {"%.3e", {-0.000123}, "-1.23E-004"},
      {"%g|%g|%.3g", {1e20, 0.1, 2.0 / 3}, "1E20|0.1|0.667"},
      {"%n", {1234567.125}, "1,234,567.13"},
      {"%m", {3.5}, "$3.50"},
      {"%8.2f|%-8.2f|", {-3.14159, 2.5L}, "   -3.14|2.50    |"},
      {"%*.*f", {8, 1, 2.25}, "     2.3"},
      {"%.2f", {1.0f / 3}, "0.33"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(Format(U8(c.format), c.args)), c.text) << c.format;
}

TEST(Format, RefusesMismatchedOrMalformedDirectives) {
  const FormatCase cases[] = {
      {"%d", {1.5}, "Format '%d' invalid or incompatible with argument"},
      {"%s", {1}, "Format '%s' invalid or incompatible with argument"},
      {"%f", {1}, "Format '%f' invalid or incompatible with argument"},
      {"%q", {1}, "Format '%q' invalid or incompatible with argument"},
      {"abc %", {1}, "Format 'abc %' invalid or incompatible with argument"},
      {"%*d", {u"x", 1}, "Format '%*d' invalid or incompatible with argument"},
      {"%99999999d", {1}, "Format '%99999999d' invalid or incompatible with argument"},
      {"%d %d", {1}, "No argument for format '%d %d'"},
      {"%5:d", {1}, "No argument for format '%5:d'"},
  };
  for (const auto& c : cases) EXPECT_THROW_MSG(Format(U8(c.format), c.args), EConvertError, c.text);
}

// [SECTION] integers

TEST(IntToStr, WholeRange) {
  EXPECT_EQ(Utf8(IntToStr(0)), "0");
  EXPECT_EQ(Utf8(IntToStr(-42)), "-42");
  EXPECT_EQ(Utf8(IntToStr(std::numeric_limits<int64_t>::min())), "-9223372036854775808");
  EXPECT_EQ(Utf8(IntToStr(std::numeric_limits<int32_t>::max())), "2147483647");
}

TEST(IntToHex, UpperCaseWithMinimumDigitsInTheTypesWidth) {
  EXPECT_EQ(Utf8(IntToHex(255, 4)), "00FF");
  EXPECT_EQ(Utf8(IntToHex(0, 0)), "0");
  EXPECT_EQ(Utf8(IntToHex(0xABC, 1)), "ABC");  // never cut
  EXPECT_EQ(Utf8(IntToHex(-1, 2)), "FFFFFFFF");
  EXPECT_EQ(Utf8(IntToHex(int64_t(-1), 2)), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Utf8(IntToHex(0xFFFFFFFFu, 0)), "FFFFFFFF");
}

struct IntCase {
  const char* text;
  int64_t value;
};

TEST(StrToInt, DecimalAndHexTexts) {
  const IntCase cases[] = {
      {"123", 123},
      {"  -42", -42},
      {"+7", 7},
      {"$FF", 255},
      {"0x1f", 31},
      {"0X1F", 31},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"-2147483648", INT32_MIN},
      {"2147483647", INT32_MAX},
      {"007", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToInt(U8(c.text)), c.value) << c.text;
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt(U8(c.text), v));
    EXPECT_EQ(v, c.value);
  }
}

TEST(StrToInt, RefusesWithTheRuntimesMessage) {
  const char* bad[] = {"abc", "",  " ",  "12 ",        "2147483648", "-2147483649",
                       "1.5", "$", "0x", "$100000000", "- 1",        "1e3"};
  for (const char* text : bad) {
    EXPECT_THROW_MSG(StrToInt(U8(text)), EConvertError, std::string("'") + text + "' is not a valid integer value");
    int32_t v = 99;
    EXPECT_FALSE(TryStrToInt(U8(text), v)) << text;
    EXPECT_EQ(v, 99) << "untouched on failure";
    EXPECT_EQ(StrToIntDef(U8(text), -5), -5) << text;
  }
}

TEST(StrToInt64, FullRange) {
  EXPECT_EQ(StrToInt64(u"-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(StrToInt64(u"9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"4294967296"), 4294967296LL);
  EXPECT_THROW_MSG(StrToInt64(u"9223372036854775808"), EConvertError,
                   "'9223372036854775808' is not a valid integer value");
}

struct ValCase {
  const char* text;
  int code;
};

TEST(Val, IntegerCodeIsThePositionOfTheFirstBadCharacter) {
  const ValCase cases[] = {{"12", 0}, {" 12", 0}, {"12a", 3},          {"", 1},
                           {"-", 2},  {"12 ", 3}, {"99999999999", 10}, {"$G", 2}};
  for (const auto& c : cases) {
    int32_t v = 7;
    int code = -1;
    Val(U8(c.text), v, code);
    EXPECT_EQ(code, c.code) << c.text;
    if (c.code != 0) {
      EXPECT_EQ(v, 0) << c.text;
    }
  }
  int64_t big = 0;
  int code = -1;
  Val(u"99999999999", big, code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(big, 99999999999LL);
}

// [SECTION] floats from text

struct ParseCase {
  const char* text;
  double value;
};

TEST(StrToFloat, AcceptsBlanksSignPointAndExponent) {
  const ParseCase cases[] = {
      {"1.5", 1.5},
      {" -2.5e3 ", -2500},
      {".5", 0.5},
      {"5.", 5},
      {"+1E-2", 0.01},
      {"0.1", 0.1},
      {"1e-400", 0},
      {"0.00001e-320", 0},  // below the smallest double: zero
      {"1.7976931348623157e308", 1.7976931348623157e308},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToFloat(U8(c.text)), c.value) << c.text;
    double v = -1;
    EXPECT_TRUE(TryStrToFloat(U8(c.text), v));
    EXPECT_EQ(v, c.value);
  }
}

TEST(StrToFloat, RefusesWithTheRuntimesMessage) {
  const char* bad[] = {"abc", "", "1,5", "1e", "1e400", "--1", ".", "1.5x", "INF", "1 5"};
  for (const char* text : bad) {
    EXPECT_THROW_MSG(StrToFloat(U8(text)), EConvertError,
                     std::string("'") + text + "' is not a valid floating point value");
    double v = 42;
    EXPECT_FALSE(TryStrToFloat(U8(text), v)) << text;
    EXPECT_EQ(v, 42) << "untouched on failure";
  }
}

TEST(Val, FloatCodeIsThePositionOfTheFirstBadCharacter) {
  const ValCase cases[] = {{"1.5", 0}, {" 1.5", 0}, {" 1.5x", 5}, {"1.5 ", 4},  {"1e", 3},
                           {"", 1},    {"1,5", 2},  {"-", 2},     {"1e400", 6}, {"1e+x", 4}};
  for (const auto& c : cases) {
    double v = 7;
    int code = -1;
    Val(U8(c.text), v, code);
    EXPECT_EQ(code, c.code) << c.text;
    EXPECT_EQ(v, c.code == 0 ? 1.5 : 0.0) << c.text;
  }
}

// [SECTION] decimal separator

TEST_F(SettingsGuard, CommaSeparatorReachesTextRoutinesButNotStrOrVal) {
  FormatSettings.DecimalSeparator = u',';
  FormatSettings.ThousandSeparator = u'.';
  EXPECT_EQ(Utf8(FloatToStr(1.5)), "1,5");
  EXPECT_EQ(Utf8(FloatToStrF(1234.5, ffNumber, 15, 2)), "1.234,50");
  EXPECT_EQ(Utf8(FormatFloat(u"#,##0.00", 1234.5)), "1.234,50");
  EXPECT_EQ(Utf8(Format(u"%.1f", {2.25})), "2,3");
  EXPECT_EQ(StrToFloat(u"1,5"), 1.5);
  EXPECT_THROW_MSG(StrToFloat(u"1.5"), EConvertError, "'1.5' is not a valid floating point value");
  EXPECT_EQ(Utf8(Str(1.5, 0, 1)), "1.5");
  double v = 0;
  int code = -1;
  Val(u"1.5", v, code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(v, 1.5);
}

// [SECTION] round trip

TEST(FloatToStrF, SeventeenDigitsReadBackExactly) {
  const double values[] = {0.1, 1.0 / 3, 2.0 / 3, 1e-300, 123456.789e200, 5e-324, 1.7976931348623157e308};
  for (double x : values) {
    EXPECT_EQ(StrToFloat(FloatToStrF(x, ffExponent, 17, 0)), x) << x;
    EXPECT_EQ(StrToFloat(FloatToStrF(-x, ffGeneral, 17, 0)), -x) << x;
  }
}

}  // namespace

TEST(Str, DirectTextEqualsTheExactPathOnRandomValues) {
  // Str writes doubles straight from to_chars unless rounding may meet a tie; the exact path must
  // give the same text for every value, width and decimals, ties (few binary decimals) included.
  std::mt19937_64 gen(1106);
  for (int t = 0; t < 40000; ++t) {
    double x;
    switch (t % 4) {
      case 0: {
        const uint64_t bits = gen();
        std::memcpy(&x, &bits, 8);
        break;
      }
      case 1: x = std::ldexp(static_cast<double>(static_cast<int64_t>(gen() % 2000001) - 1000000), -static_cast<int>(gen() % 12)); break;
      case 2: x = (static_cast<double>(gen() % 1000000) - 500000) / std::pow(10.0, static_cast<int>(gen() % 10)); break;
      default: x = std::ldexp(static_cast<double>(gen() >> 11), static_cast<int>(gen() % 200) - 100); break;
    }
    const int width = static_cast<int>(gen() % 34) - 3, decimals = static_cast<int>(gen() % 45);
    const String fixed = Str(x, width, decimals), exponent = Str(x, width);
    const bool saved = platform_detail::SetDirectPaths(false);
    const String fixedExact = Str(x, width, decimals), exponentExact = Str(x, width);
    platform_detail::SetDirectPaths(saved);
    ASSERT_EQ(fixed, fixedExact) << x << " width " << width << " decimals " << decimals;
    ASSERT_EQ(exponent, exponentExact) << x << " width " << width;
  }
}

TEST(Str, DirectExponentEqualsTheExactPathOnShortDecimalsNearHalvesAndTiedIntegers) {
  // The exponent form takes its digits from the shortest text that reads back when that rules a tie out,
  // and tells ties of wide integers by their factors of 5 and 2: values of few decimal digits over the whole
  // range, shortest texts whose digits beyond the 15th stand near a half, and integers that tie exactly.
  std::mt19937_64 gen(2207);
  std::vector<double> values;
  for (int t = 0; t < 20000; ++t) {
    const std::string digits = std::to_string(gen() % 1000000000000000ull);
    const std::string text = digits.substr(0, 1 + gen() % digits.size()) + "e" + std::to_string(static_cast<int>(gen() % 617) - 308);
    double x = 0;
    std::from_chars(text.data(), text.data() + text.size(), x);
    values.push_back(x);
    values.push_back(std::nextafter(x, 0.0));
    values.push_back(std::nextafter(x, 1e308));
  }
  for (int d = 1; d <= 22; ++d)
    for (uint64_t odd = 1; odd < 4000; odd += 2) {
      uint64_t five = 1;
      for (int k = 0; k < d; ++k) five *= 5;
      if (odd * five >= (uint64_t{1} << 53)) break;
      values.push_back(std::ldexp(static_cast<double>(odd * five), d - 1));  // a tie when d digits are dropped
    }
  for (double x : values) {
    const int width = 10 + static_cast<int>(gen() % 14);  // 2..15 significant digits
    const String direct = Str(x, width);
    const bool saved = platform_detail::SetDirectPaths(false);
    const String exact = Str(x, width);
    platform_detail::SetDirectPaths(saved);
    ASSERT_EQ(direct, exact) << x << " width " << width;
  }
}

TEST(Str, DirectExponentEqualsTheExactPathOnWideIntegers) {
  // From 10^n on the exponent form divides the binary value by a power of ten (up to 2^128): carries into a
  // new exponent, exact ties odd x 5^d x 2^(d-1) (at 13, 4 and 2 digits, rounded away from zero), and the
  // ends of that range with their neighbours, at every digit count.
  std::vector<double> values = {9.9999999999999995e19, 9.99999999999999e19, 1e15, 1e20, 0x1p64, 0x1p74,
                                0x1p127, 0x1.fffffffffffffp127, 0x1p128, 1e38, 3.4e38, 6172839450617500.0,
                                4097 * 1220703125.0 * 0x1p12, 91 * 95367431640625.0 * 0x1p19};
  for (const double v : std::vector<double>(values))
    values.insert(values.end(), {std::nextafter(v, 0.0), std::nextafter(v, 1e300)});
  for (const double v : values)
    for (const double x : {v, -v})
      for (int width = 10; width <= 26; ++width) {
        const String direct = Str(x, width);
        const bool saved = platform_detail::SetDirectPaths(false);
        const String exact = Str(x, width);
        platform_detail::SetDirectPaths(saved);
        ASSERT_EQ(direct, exact) << x << " width " << width;
      }
  EXPECT_EQ(Str(6172839450617500.0, 21), u" 6.172839450618E+0015");
  EXPECT_EQ(Str(-4.55e21, 10), u"-4.6E+0021");
}
