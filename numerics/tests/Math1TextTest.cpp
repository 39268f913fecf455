// Number text, hexadecimal images, angle texts and angle conversion of Qelta_math1.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "Assertions.h"
#include "Qelta_math1.h"

using namespace qelta;

namespace {

std::string Utf8(const String& s) { return StringToUtf8(s); }

// [SECTION] engineering and E format

TEST(EEngStr, WritesSIPrefixesWithTheAskedDigits) {
  const struct {
    double x;
    int digits;
    const char* text;
  } cases[] = {
      {4700, 2, "4.7k"},       {4700, -2, "4k7"},       {0.00047, 3, "470u"},   {1e15, 1, "1000T"},
      {1e-21, 1, "0.001a"},    {0, 3, "0.00"},          {-4700, 2, "-4.7k"},    {0.001, 3, "1.00m"},
      {47, -3, "47.0"},        {4.7e6, -2, "4M7"},      {4000, -2, "4k0"},      {1.5, 20, "1.50000000"},
      {1000, 1, "1k"},         {1000, 3, "1.00k"},      {1e-6, 1, "1u"},        {100e3, 1, "100k"},
      {2.2e-12, -2, "2p2"},    {1e12, 2, "1.0T"},       {999, 3, "999"},        {-0.5, 1, "-500m"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(EEngStr(c.x, c.digits)), c.text) << c.x << " " << c.digits;
}

// Regression: the mantissa was cut after a floating-point division, which decided exact decimal
// ties by the rounding of the quotient: EEngStr(5725, 3) gave "5.72k" but EEngStr(1250, 2) "1.3k".
// It is cut from the exact value now, a tie away from zero, as every other number text.
TEST(EEngStr, CutsTheMantissaFromTheExactValue) {
  const struct {
    double x;
    int digits;
    const char* text;
  } cases[] = {
      {5725, 3, "5.73k"},     {1250, 2, "1.3k"},      {-5725, 3, "-5.73k"},  {1249.5, 2, "1.2k"},
      {0.0015, 1, "2m"},      {0.0045, 1, "4m"},      {999.5, 3, "1000"},    {99950, 3, "100.0k"},
      {4.5e12, 1, "5T"},      {1.25e15, 2, "1250T"},  {125, -2, "125"},      {12.5, -2, "13"},
      {3.5e-19, 1, "0.4a"},   {2.5e-21, 2, "0.0025a"}, {7.25e6, -3, "7M25"}, {1.25e-6, 2, "1.3u"},
  };  // 0.0015 lies above its tie, 0.0045 below it (their exact binary values)
  for (const auto& c : cases) EXPECT_EQ(Utf8(EEngStr(c.x, c.digits)), c.text) << c.x << " " << c.digits;
}

// floor(lg 1000) came out as 2 from a logarithm a hair below 3, which gave 1000 one decimal too many.
TEST(EEngStr, CountsDecadesExactlyAtPowersOfTen) {
  const char* mantissa[] = {"1", "10", "100"};
  const char* prefix[] = {"a", "f", "p", "n", "u", "m", "", "k", "M", "G", "T"};
  for (int k = -18; k <= 14; ++k) {
    const double x = std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
    const int group = k >= 0 ? k / 3 : -((-k + 2) / 3);
    const std::string expected = std::string(mantissa[k - 3 * group]) + prefix[group + 6];
    EXPECT_EQ(Utf8(EEngStr(x, 1)), expected) << x;
  }
}

TEST(MakeEFormat, WritesAMantissaBelowOneAndTwoExponentDigits) {
  const struct {
    double x;
    int width, digits;
    const char* text;
  } cases[] = {
      {4321, 12, 4, "  0.4321E+04"},
      {-4321, 12, 4, " -0.4321E+04"},
      {0, 8, 2, " 0.00E+00"},
      {1e-5, 11, 3, "  0.100E-04"},
      {0.5, 4, 1, " 0.50E+00"},  // width at least 8, digits at least 2
      {2.0 / 3, 8, 30, " 0.666666666666667E+00"},              // 15 digits at most
      // Three-digit exponents lost their first digit: 0.17E+09 read as a different number.
      {1.7e308, 12, 2, "   0.17E+309"},
      {1e-100, 12, 2, "    0.10E-99"},
      {1e-101, 12, 2, "   0.10E-100"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(MakeEFormat(c.x, c.width, c.digits)), c.text) << c.x;
  EXPECT_EQ(Utf8(MakeEFormat(1, 100, 2)), std::string(31, ' ') + " 0.10E+01");  // width at most 40
}

TEST(strf, IsTheFoundationsFixedWidthText) {
  EXPECT_EQ(Utf8(strf(3.14159, 8, 2)), "    3.14");
  EXPECT_EQ(Utf8(strf(3.14159, -8, 2)), "00003.14");
  EXPECT_EQ(Utf8(strf(23456.789, 10, -2)), " 2.346E+04");
  EXPECT_EQ(Utf8(strf(1e150, 10, -2)).find_first_not_of('*'), std::string::npos);
}

// [SECTION] integer bases and Roman numerals

TEST(IntegerText, WritesTheLowestDigitsWithLeadingZeros) {
  const struct {
    String got;
    const char* text;
  } cases[] = {
      {Decimal(-42, 4), "-0042"},        {Decimal(98765, 3), "765"},        {Decimal(5, 0), "5"},
      {Decimal(0, 0), "0"},              {Decimal(INT_MIN, 10), "-2147483648"},  // |INT_MIN| overflowed
      {Decimal(INT_MAX, 12), "002147483647"},
      {Hex(255, 4), "00FF"},             {Hex(-1, 8), "FFFFFFFF"},          {Hex(-1, 20), "FFFFFFFF"},
      {Hex(0x1234, 0), "4"},             {Hex(INT_MIN, 8), "80000000"},
      {Octal(8, 3), "010"},              {Octal(-1, 11), "37777777777"},    {Octal(-1, 12), "37777777777"},
      {Bin(5, 0), "1"},                  {Bin(5, 4), "0101"},               {Bin(-1, 40), "11111111111111111111111111111111"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(c.got), c.text);
  // The digit count is an integer, not a byte: 300 digits were cut to 255 (a byte would even give 44).
  EXPECT_EQ(Decimal(7, 300).size(), 300u);
  EXPECT_EQ(Decimal(-7, INT_MAX).size(), (1u << 20) + 1);
}

TEST(Roman, BuildsNumeralsGreedilyWithinOneTo29999) {
  const struct {
    int n;
    const char* text;
  } cases[] = {{1, "I"},     {4, "IV"},  {9, "IX"},         {14, "XIV"},  {40, "XL"},   {90, "XC"},
               {400, "CD"},  {1994, "MCMXCIV"},             {3999, "MMMCMXCIX"},        {4000, "MMMM"},
               {0, ""},      {30000, ""}, {-5, ""}};
  for (const auto& c : cases) EXPECT_EQ(Utf8(Roman(c.n)), c.text) << c.n;
  EXPECT_EQ(Utf8(Roman(29999)), std::string(29, 'M') + "CMXCIX");
}

// [SECTION] hexadecimal images

TEST(FPNumToHex, WritesTheBytesMostSignificantFirst) {
  EXPECT_EQ(Utf8(FPNumToHex(1.0)), "3FF0000000000000");
  EXPECT_EQ(Utf8(FPNumToHex(-2.0f)), "C0000000");
  EXPECT_EQ(Utf8(FPNumToHex(1.0L)), "3FFF8000000000000000");
  EXPECT_EQ(Utf8(FPNumToHex(-0.0)), "8000000000000000");
  EXPECT_EQ(HexToDouble(u"3ff0000000000000"), 1.0);  // either case
  EXPECT_EQ(HexToExtended(u"C000C000000000000000"), -3.0L);
  EXPECT_EQ(HexToSingle(u"3F800000"), 1.0f);
}

TEST(FPNumToHex, ImagesRoundTripBitForBit) {
  std::mt19937_64 rng(8);
  const Extended specials[] = {0.0L, -0.0L, 1e-4940L, std::numeric_limits<Extended>::denorm_min(),
                               std::numeric_limits<Extended>::max(), std::numeric_limits<Extended>::infinity(),
                               -std::numeric_limits<Extended>::infinity(), 1.0L / 3};
  for (Extended x : specials) {
    EXPECT_EQ(FPNumToHex(HexToExtended(FPNumToHex(x))), FPNumToHex(x));
    EXPECT_EQ(HexToExtended(FPNumToHex(x)), x);
    EXPECT_EQ(std::signbit(HexToExtended(FPNumToHex(x))), std::signbit(x));
  }
  for (int i = 0; i < 2000; ++i) {
    const uint64_t bits = rng();
    double d = 0;
    float f = 0;
    std::memcpy(&d, &bits, 8);
    std::memcpy(&f, &bits, 4);
    const Extended e = std::ldexp(static_cast<Extended>(bits | 1), static_cast<int>(rng() % 32000) - 16000 - 64);
    const double back = HexToDouble(FPNumToHex(d));
    ASSERT_EQ(std::memcmp(&d, &back, 8), 0);
    if (!std::isnan(f)) {
      ASSERT_EQ(HexToSingle(FPNumToHex(f)), f);
    }
    ASSERT_EQ(HexToExtended(FPNumToHex(e)), e);
  }
  EXPECT_TRUE(std::isnan(HexToExtended(FPNumToHex(std::numeric_limits<Extended>::quiet_NaN()))));
}

TEST(FPNumToHex, RefusesTextsOfTheWrongLengthOrWithOtherCharacters) {
  EXPECT_THROW_MSG(HexToDouble(u"3FF000000000000"), EQeltaError, "HexToDouble: invalid hex string \"3FF000000000000\"");
  EXPECT_THROW_MSG(HexToDouble(u"3FF000000000000G"), EQeltaError,
                   "HexToDouble: invalid hex string \"3FF000000000000G\"");
  EXPECT_THROW_MSG(HexToExtended(u""), EQeltaError, "HexToExtended: invalid hex string \"\"");
  EXPECT_THROW_MSG(HexToSingle(u"3F80000 "), EQeltaError, "HexToSingle: invalid hex string \"3F80000 \"");
  EXPECT_THROW_MSG(HexToSingle(u"$3F800000"), EQeltaError, "HexToSingle: invalid hex string \"$3F800000\"");
}

// [SECTION] angle texts

TEST(DegreeToStr, WritesEachFormat) {
  const struct {
    double angle;
    TDegreeFormat format;
    int decimals;
    const char* text;
  } cases[] = {
      {12.5, dfDeg, 2, "12.50°"},
      {12.5, dfDegMin, 0, "12°  30'"},
      {12.5, dfDegMin, 1, "12° 30.0'"},
      {-1.5, dfDegMin, 1, "-1° 30.0'"},
      {12.5083333333333, dfDegMinSec, 1, "12° 30' 30.0\""},
      {10.999999, dfDegMin, 0, "11°   0'"},  // the minutes round up into the degrees
      {10.9999999, dfDegMinSec, 0, "11°  0'   0\""},
      {45, dfNumeric, 3, "45.000"},
      {1, dfDeg, 12, "1.00000000°"},  // decimals at most 8
      {-7.25, dfDeg, -3, "-7°"},       // and at least 0
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(DegreeToStr(c.angle, c.format, c.decimals)), c.text) << c.text;
}

// The degrees of an angle between -1 and 0 were written as "0" and the angle read as positive.
TEST(DegreeToStr, KeepsTheSignOfAnglesBetweenMinusOneAndZero) {
  EXPECT_EQ(Utf8(DegreeToStr(-0.5, dfDegMin, 0)), "-0°  30'");
  EXPECT_EQ(Utf8(DegreeToStr(-0.5, dfDegMin, 1)), "-0° 30.0'");
  EXPECT_EQ(Utf8(DegreeToStr(-0.25, dfDegMinSec, 0)), "-0° 15'   0\"");
  EXPECT_EQ(Utf8(DegreeToStr(-0.0001, dfDegMinSec, 1)), "-0°  0'  0.4\"");
  EXPECT_EQ(Utf8(DegreeToStr(-0.0, dfDegMin, 0)), "0°   0'");
}

// [SECTION] angle conversion

TEST(ConvertDegrees, ConvertsBetweenTheThreeForms) {
  const struct {
    double d, m, s;
    TDegreeFormat target, source;
    double ed, em, es;
  } cases[] = {
      {10, 30.5, 0, dfDegMinSec, dfDegMin, 10, 30, 30},
      {12.5, 0, 0, dfDegMin, dfDeg, 12, 30, 0},
      {12.5125, 9, 9, dfDegMinSec, dfDeg, 12, 30, 45},
      {12, 30, 45, dfDeg, dfDegMinSec, 12.5125, 0, 0},
      {12, 30.5, 7, dfDeg, dfDegMin, 12.508333333333333, 0, 0},
      {12, 30, 30, dfDegMin, dfDegMinSec, 12, 30.5, 0},
      {10, 5, 5, dfDeg, dfDeg, 10, 0, 0},
      {10, 5, 5, dfDegMin, dfDegMin, 10, 5, 0},
      {10, 5, 5, dfDegMinSec, dfDegMinSec, 10, 5, 5},
      {10.7, 5, 5, dfNumeric, dfDeg, 10.7, 5, 5},
      {10.7, 5, 5, dfDegMin, dfNumeric, 10.7, 5, 5},
      // Int(degrees) + minutes / 60 turned -1° 30' into -0.5°.
      {-1.5, 0, 0, dfDegMin, dfDeg, -1, 30, 0},
      {-1, 30, 0, dfDeg, dfDegMin, -1.5, 0, 0},
      {-1, 30, 36, dfDeg, dfDegMinSec, -1.51, 0, 0},
  };
  for (const auto& c : cases) {
    double d = c.d, m = c.m, s = c.s;
    ConvertDegrees(d, m, s, c.target, c.source);
    EXPECT_NEAR(d, c.ed, 1e-12) << c.d << " " << c.m << " " << c.s;
    EXPECT_NEAR(m, c.em, 1e-9) << c.d << " " << c.m << " " << c.s;
    EXPECT_NEAR(s, c.es, 1e-7) << c.d << " " << c.m << " " << c.s;
  }
}

// The sign of angles between -1 and 0 was lost: Int(-0.5) is 0. It now rides on Degrees as -0.0.
TEST(ConvertDegrees, CarriesTheSignOfSmallNegativeAnglesOnMinusZero) {
  double d = -0.5, m = 0, s = 0;
  ConvertDegrees(d, m, s, dfDegMin, dfDeg);
  EXPECT_EQ(d, 0);
  EXPECT_TRUE(std::signbit(d));
  EXPECT_EQ(m, 30);
  ConvertDegrees(d, m, s, dfDeg, dfDegMin);
  EXPECT_EQ(d, -0.5);
}

TEST(ConvertDegrees, RoundTripsThroughMinutesAndSeconds) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> u(-400, 400);
  for (int i = 0; i < 2000; ++i) {
    const double angle = u(rng);
    double d = angle, m = 0, s = 0;
    ConvertDegrees(d, m, s, dfDegMinSec, dfDeg);
    ASSERT_TRUE(m >= 0 && m < 60 && s >= 0 && s < 60);
    ConvertDegrees(d, m, s, dfDeg, dfDegMinSec);
    ASSERT_NEAR(d, angle, 1e-12);
  }
}

TEST(ConvertDegrees, RefusesMinutesOrSecondsOutsideZeroToSixty) {
  double d = 1, m = 61, s = 0;
  EXPECT_THROW_MSG(ConvertDegrees(d, m, s, dfDeg, dfDegMin), EQeltaMath1Error,
                   "ConvertDegrees: invalid range of minutes");
  m = -1;
  EXPECT_THROW_MSG(ConvertDegrees(d, m, s, dfDeg, dfDegMin), EQeltaMath1Error,
                   "ConvertDegrees: invalid range of minutes");
  m = 60;
  s = 60.5;
  EXPECT_THROW_MSG(ConvertDegrees(d, m, s, dfDeg, dfDegMinSec), EQeltaMath1Error,
                   "ConvertDegrees: invalid range of seconds");
  s = std::nan("");
  EXPECT_THROW_MSG(ConvertDegrees(d, m, s, dfNumeric, dfDeg), EQeltaMath1Error,
                   "ConvertDegrees: invalid range of seconds");
}

// [SECTION] integer conversion

TEST(StrToIntDefault, FallsBackOnEmptyOrBadText) {
  EXPECT_EQ(StrToIntDefault(u"42", 7), 42);
  EXPECT_EQ(StrToIntDefault(u"-8", 7), -8);
  EXPECT_EQ(StrToIntDefault(u"$FF", 7), 255);
  EXPECT_EQ(StrToIntDefault(u"", 7), 7);
  EXPECT_EQ(StrToIntDefault(u"x", 7), 7);
  EXPECT_EQ(StrToIntDefault(u"99999999999", 7), 7);
}

}  // namespace
