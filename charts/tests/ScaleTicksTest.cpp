// Axis scale tick lists and label texts: the generators as plain values, no canvas involved.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "Qelta_Scale.h"
#include "Qelta_rcnumtext.h"

using namespace qelta;

namespace {

struct TCounts {
  int shortTicks = 0, longTicks = 0, recorded = 0;
};

TCounts Count(const TScaleTickList& ticks) {
  TCounts c;
  for (const TScaleTick& t : ticks) {
    (t.Long ? c.longTicks : c.shortTicks)++;
    c.recorded += t.Recorded;
  }
  return c;
}

// Texts of the labelled ticks, in order, as UTF-8.
std::vector<std::string> Labels(const TScaleTickList& ticks) {
  std::vector<std::string> out;
  for (const TScaleTick& t : ticks)
    if (t.Labelled) out.push_back(StringToUtf8(t.Label));
  return out;
}

TScaleTickRequest Request(double low, double high, int minTicks) {
  TScaleTickRequest s;
  s.RangeLow = low;
  s.RangeHigh = high;
  s.MinTicks = minTicks;
  return s;
}

using Strings = std::vector<std::string>;

// --- linear ticks ------------------------------------------------------------------------------

TEST(ScaleTicks, ZeroToHundredHasTwentyOneShortAndSixLongTicksLabelledWithoutDecimals) {
  struct Case {
    bool vertical;
    int recorded;  // a horizontal scale with short ticks records only those (they also fall on the long ones)
  };
  for (const Case c : {Case{true, 27}, Case{false, 21}}) {
    TScaleTickRequest s = Request(0, 100, 3);
    s.Vertical = c.vertical;
    const TScaleTickList ticks = MakeScaleTicks(s);
    const TCounts n = Count(ticks);
    EXPECT_EQ(n.shortTicks, 21);
    EXPECT_EQ(n.longTicks, 6);
    EXPECT_EQ(n.recorded, c.recorded) << "vertical " << c.vertical;
    EXPECT_EQ(Labels(ticks), (Strings{"0", "20", "40", "60", "80", "100"}));
    EXPECT_DOUBLE_EQ(ticks[1].Value, 5.0);  // short ticks come first, every 5
  }
}

TEST(ScaleTicks, WithoutShortTicksTheLongOnesAreRecordedOnEveryOrientation) {
  TScaleTickRequest s = Request(0, 100, 3);
  s.ShortTicks = false;
  const TCounts n = Count(MakeScaleTicks(s));
  EXPECT_EQ(n.shortTicks, 0);
  EXPECT_EQ(n.recorded, 6);
}

TEST(ScaleTicks, LabelRulesOfLinearScales) {
  struct Case {
    const char* name;
    double low, high;
    int minTicks, decPlaces;
    TFigType type;
    const char *user, *inscript;
    Strings labels;
  };
  const Case cases[] = {
      // -1 + 5 x 0.2 is not exactly 0; the zero rule still writes it with the axis' 2 decimals
      {"zero tick", -1, 1, 4, -2, ftNum, "", "", {"-1.00", "-0.80", "-0.60", "-0.40", "-0.20", "0.00", "0.20", "0.40", "0.60", "0.80", "1.00"}},
      {"integer axis", 0, 3, 10, 0, ftNum, "", "", {"0", "", "", "", "", "1", "", "", "", "", "2", "", "", "", "", "3"}},
      {"descending", 10, 0, 2, -2, ftNum, "", "", {"10.0", "8.0", "6.0", "4.0", "2.0", "0.0"}},
      {"cut to 14", 0, 2e6, 2, 12, ftNum, "", "", {"0.0", "1000000.000000", "2000000.000000"}},
      {"wide zero", 0, 2e5, 2, -2, ftNum, "", "", {"0", "100000", "200000"}},
      {"exponent form", 0, 2e6, 2, -2, ftNum, "", "", {"0.0", " 1.0E+06", " 2.0E+06"}},
      {"user texts", 0, 100, 3, -2, ftUserText, "a|b|c", "", {"a", "b", "c", "c", "c", "c"}},
      {"empty last field", 0, 100, 3, -2, ftUserText, "a|b|", "", {"a", "b", "", "", "", ""}},
      {"suffix", 0, 150, 2, -2, ftNum, "", "&%", {"0%", "50%", "100%", "150%"}},
      {"prefix", 0, 150, 2, -2, ftNum, "", "$", {"$0", "$50", "$100", "$150"}},
      {"no figures", 0, 100, 3, -2, ftNoFigs, "", "$", {}},
  };
  for (const Case& c : cases) {
    TScaleTickRequest s = Request(c.low, c.high, c.minTicks);
    s.DecPlaces = c.decPlaces;
    s.LabelType = c.type;
    s.UserTickText = Utf8ToString(c.user);
    s.ScaleInscript = Utf8ToString(c.inscript);
    EXPECT_EQ(Labels(MakeScaleTicks(s)), c.labels) << c.name;
  }
}

TEST(ScaleTicks, ALabelOfMoreThanFourteenCharactersIsCut) {
  TScaleTickRequest s = Request(0, 100, 2);  // "20.000000000000" has 15 characters
  s.DecPlaces = 12;
  s.ScaleInscript = u"&";
  for (const TScaleTick& t : MakeScaleTicks(s)) {
    if (t.Labelled) {
      EXPECT_EQ(t.Label.size(), 14u) << StringToUtf8(t.Label);
    }
  }
}

TEST(ScaleTicks, MoreThanTwoHundredFiftyTicksAreAllGenerated) {
  TScaleTickRequest s = Request(0, 1000, 0);  // one-unit steps: 1001 long ticks, short ticks on each
  s.MaxTicks = ScaleTickLimit(359);
  const TCounts n = Count(MakeScaleTicks(s));
  EXPECT_EQ(n.longTicks, 1001);
  EXPECT_EQ(n.shortTicks, 1001);
}

TEST(ScaleTicks, HugeTickCountsStopAtTheLimitOfEachPass) {
  // Regression: MinTicks 0 on 0..1e9 stepped one unit at a time through 10^9 ticks, and a range a
  // few ulps wide far from zero never reached its end at all.
  const double far = 1e300;
  for (const TScaleTickRequest& base : {Request(0, 1e9, 0), Request(far, std::nextafter(far, 2 * far), 0), Request(-1e18, 1e18, 0)}) {
    TScaleTickRequest s = base;
    s.MaxTicks = ScaleTickLimit(359);
    const TCounts n = Count(MakeScaleTicks(s));
    EXPECT_LE(n.shortTicks, s.MaxTicks);
    EXPECT_LE(n.longTicks, s.MaxTicks);
    EXPECT_GT(n.longTicks, 0);
  }
}

TEST(ScaleTicks, TickLimitIsFourTimesTheAxisLengthAndAtLeast250) {
  const std::pair<int64_t, int> cases[] = {{-5, 250}, {0, 250}, {62, 250}, {63, 252}, {359, 1436}, {int64_t{1} << 40, 1 << 20}};
  for (const auto& [length, limit] : cases) EXPECT_EQ(ScaleTickLimit(length), limit) << length;
}

TEST(ScaleTicks, RangesWithoutATickDistanceHaveNoTicks) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  for (const TScaleTickRequest& s : {Request(5, 5, 3), Request(0, inf, 3), Request(nan, 1, 3), Request(-inf, inf, 0)})
    EXPECT_TRUE(MakeLinearTicks(s).empty()) << s.RangeLow << ".." << s.RangeHigh;
}

TEST(ScaleTicks, AutomaticDecimalsFollowTheRangeWidth) {
  const std::pair<double, int> cases[] = {{1, 2}, {10, 1}, {0.1, 3}, {50, 0}, {100, 0}, {99.9, 0},
                                          {1e6, -1}, {999999, 0}, {1e-4, -1}, {2e-4, 5}};
  for (const auto& [w, d] : cases) EXPECT_EQ(AutoDecimals(w), d) << w;
}

// --- logarithmic ticks -------------------------------------------------------------------------

TEST(ScaleTicks, LogarithmicDecadesWithTheirTwoAndFiveTicks) {
  struct Case {
    const char* name;
    double low, high;
    int minTicks, decPlaces;
    const char* inscript;
    bool vertical;
    Strings labels;
    int shortTicks;
  };
  const Case cases[] = {
      {"exponents", 1, 1000, 5, -3, "10^&", false,
       {"10^0", "", "", "10^1", "", "", "10^2", "", "", "10^3"}, 18},
      {"decades only", 1, 1000, 3, -2, "", false, {"1", "10", "100", "1000"}, 0},
      {"fractions", 0.01, 10, 10, -2, "", false,
       {"0.01", "0.02", "0.05", "0.1", "0.2", "0.5", "1", "2", "5", "10"}, 18},
      {"vertical: all long", 1, 1000, 5, -2, "", true, {"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"}, 0},
      {"descending", 1000, 1, 3, -2, "", false, {"1", "10", "100", "1000"}, 0},
      {"fixed decimals", 1, 100, 2, 1, "", false, {"1.0", "10.0", "100.0"}, 0},
  };
  for (const Case& c : cases) {
    TScaleTickRequest s = Request(c.low, c.high, c.minTicks);
    s.Logarithmic = true;
    s.DecPlaces = c.decPlaces;
    s.ScaleInscript = Utf8ToString(c.inscript);
    s.Vertical = c.vertical;
    const TScaleTickList ticks = MakeScaleTicks(s);
    EXPECT_EQ(Labels(ticks), c.labels) << c.name;
    EXPECT_EQ(Count(ticks).shortTicks, c.shortTicks) << c.name;
    EXPECT_EQ(Count(ticks).recorded, static_cast<int>(ticks.size())) << c.name;
  }
}

TEST(ScaleTicks, UserTextsAreNumberedPerLabelledLogarithmicTick) {
  TScaleTickRequest s = Request(1, 100, 5);
  s.Logarithmic = true;
  s.LabelType = ftUserText;
  s.UserTickText = u"a|b|c|d";
  EXPECT_EQ(Labels(MakeScaleTicks(s)), (Strings{"a", "b", "c", "d", "d", "d", "d"}));
}

TEST(ScaleTicks, LessThanOneDecadeIsDrawnLinearly) {
  TScaleTickRequest s = Request(1, 5, 3);
  s.Logarithmic = true;
  TScaleTickRequest linear = s;
  linear.Logarithmic = false;
  EXPECT_EQ(MakeScaleTicks(s), MakeScaleTicks(linear));
}

TEST(ScaleTicks, LogarithmicAxisWithoutAPositiveFiniteRangeFallsBackToLinearTicks) {
  // Regression: a logarithmic scale from 0 (Logarithmic accepted on a scale made at run time with
  // its default range 0..100) stepped its decades from 10^-inf and never finished.
  const double inf = std::numeric_limits<double>::infinity();
  for (const TScaleTickRequest& base : {Request(0, 100, 3), Request(-5, 100, 3), Request(100, -1, 3), Request(1, inf, 3)}) {
    TScaleTickRequest s = base;
    s.Logarithmic = true;
    TScaleTickRequest linear = base;
    EXPECT_EQ(MakeScaleTicks(s), MakeLinearTicks(linear)) << base.RangeLow << ".." << base.RangeHigh;
  }
}

TEST(ScaleTicks, LogarithmicAxisOverTheWholeDoubleRangeFinishes) {
  TScaleTickRequest s = Request(std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(), 3);
  s.Logarithmic = true;
  s.MaxTicks = ScaleTickLimit(359);
  const TScaleTickList ticks = MakeScaleTicks(s);
  EXPECT_GT(ticks.size(), 600u);
  EXPECT_LE(ticks.size(), 700u);
}

// --- label helpers -----------------------------------------------------------------------------

TEST(ScaleLabels, ExtractUserTextSplitsAtVerticalBars) {
  struct Case {
    const char* text;
    int index;
    const char* field;
  };
  const Case cases[] = {{"a|b|c", 1, "a"}, {"a|b|c", 3, "c"}, {"a|b|c", 4, "c"}, {"a|b|c", 0, ""},
                        {"a|b|c", -1, ""}, {"a|b|", 3, ""},   {"a||c", 2, ""},   {"", 1, ""},
                        {"abc", 2, "abc"}, {"|x", 1, ""}};
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(TScale::ExtractUserText(Utf8ToString(c.text), c.index)), c.field) << c.text << " " << c.index;
}

TEST(ScaleLabels, AddScaleInscriptionPutsPrefixAndSuffixAround) {
  struct Case {
    const char *label, *inscription, *result;
  };
  const Case cases[] = {{"50", "&%", "50%"}, {"50", "$", "$50"},   {"", "$", ""},
                        {"5", "<&>&", "<5>&"}, {"5", "", "5"},     {"5", "&", "5"}};
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(TScale::AddScaleInscription(Utf8ToString(c.label), Utf8ToString(c.inscription))), c.result);
}

TEST(ScaleLabels, RCSpecStrfWritesFixedAndExponentForms) {
  struct Case {
    double x;
    int width, decimals;
    const char* text;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {1.5, 1, 2, "1.50"},       {3, 5, 0, "    3"},         {-2.25, 1, 1, "-2.3"},   {0.125, 1, 2, "0.13"},
      {1e6, 1, -1, " 1.0E+06"},  {-1.5e-7, 1, -1, "-1.5E-07"}, {0, 1, -1, " 0.0E+00"}, {1e100, 1, -1, "*"},
      {-1e-100, 3, -1, "***"},   {1234.5, 1, -3, " 1.2E+03"}, {nan, 1, 2, "NAN"},     {12345, 9, -1, " 1.23E+04"},
  };
  for (const Case& c : cases) EXPECT_EQ(StringToUtf8(RCSpecStrf(c.x, c.width, c.decimals)), c.text) << c.x;
}

}  // namespace
