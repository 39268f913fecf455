// The numeric label TNumLab: the texts of the fifteen display types, the overflow indicator,
// OnBeforeDisplay, the box and side texts pixel by pixel, transparency over a patterned parent,
// golden pictures, settings and Assign.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_NumLab.h"
#include "SysUtils.h"
#include "Testing.h"

using namespace qelta;

namespace {

constexpr TColor kGrey = 0x808080, kWhite = 0xFFFFFF, kBlack = 0;

/// Paints on demand and counts its paints.
class TTestNumLab : public TNumLab {
 public:
  using TNumLab::TNumLab;
  using TNumLab::Paint;
};

/// The text the label shows for the settings (seen by OnBeforeDisplay).
std::string Shown(TTestNumLab& lab) {
  String seen = u"(none)";
  lab.OnBeforeDisplay = [&](TObject*, String& t) { seen = t; };
  lab.Paint();
  lab.OnBeforeDisplay = nullptr;
  return StringToUtf8(seen);
}

struct TextCase {
  TDisplay type;
  double value;
  int precision;
  bool comma, plus;
  const char* text;
};

const TextCase TextCases[] = {
    {dtFloat, 3.14159, 3, false, false, "3.14"},
    {dtFloat, 1234567, 3, false, false, "1.23E6"},
    {dtFloat, -0.5, 3, true, false, "-0,5"},
    {dtFloat, 2.5, 4, false, true, "+2.5"},
    {dtFixP, 3.14159, 2, false, false, "3.14"},
    {dtFixP, 3.14159, 2, true, false, "3,14"},
    {dtFixP, 3.14159, 2, false, true, "+3.14"},
    {dtFixP, 0, 2, false, true, "0.00"},  // zero gets no '+'
    {dtFixP, -2.5, 0, false, true, "-3"},
    {dtExp, 3.14159, 2, false, false, "3.1E+000"},
    {dtExp, -0.00123, 3, true, false, "-1,23E-003"},
    {dtExp, 12345, 4, false, true, "+1.235E+004"},
    {dtHex, 255, 4, true, true, "00FF"},  // no comma or plus for the bases
    {dtHex, 4096, 0, false, false, "1000"},
    {dtHex, -1, 2, false, false, "FFFFFFFF"},
    {dtHex, 0x123, 12, false, false, "000000000123"},
    {dtZeroInt, 42, 5, false, false, "00042"},
    {dtZeroInt, -42, 4, false, false, "-0042"},
    {dtZeroInt, 42, 3, false, true, "+042"},
    {dtInt, 2.5, 2, false, false, "2"},
    {dtInt, 3.5, 2, false, false, "4"},
    {dtInt, -7.5, 2, false, false, "-8"},
    {dtInt, 7, 2, false, true, "+7"},
    {dtInt, 1e15, 2, false, false, "1000000000000000"},
    {dtDateTime, 45292.5, 2, true, true, "Jan-01, 2024"},
    {dtState, 5, 2, false, true, "undefined"},
    {dtBin, 5, 0, false, false, "101"},
    {dtBin, 5, 8, false, false, "00000101"},
    {dtBin, -2, 0, false, false, "11111111111111111111111111111110"},
    {dtOct, 8, 0, false, false, "10"},
    {dtOct, 8, 4, true, true, "+0010"},
    {dtDeg, 12.5, 1, false, false, "12.5\u00B0"},
    {dtDeg, 12.5, 1, true, true, "+12,5\u00B0"},
    {dtDegMin, 12.5, 1, false, false, "12\u00B0 30.0'"},
    {dtDegMinSec, 12.5125, 0, false, false, "12\u00B0 30'  45\""},
    {dtEEng, 4700, 2, false, false, "4.7k"},
    {dtEEng, 0.00047, 3, true, false, "470u"},
    {dtEEngNoDP, 4700, 2, false, false, "4k7"},
};

}  // namespace

// --- texts ---------------------------------------------------------------------------------------

TEST(TNumLabText, EveryDisplayTypeWithPrecisionCommaAndPlusSign) {
  TTestNumLab lab(nullptr);
  lab.SetLabelWidth(400);
  for (const TextCase& c : TextCases) {
    lab.SetDisplayType(c.type);
    lab.SetValue(c.value);
    lab.SetPrecision(c.precision);
    lab.SetComma(c.comma);
    lab.SetForcePlusSign(c.plus);
    EXPECT_EQ(Shown(lab), c.text) << int(c.type) << " " << c.value;
  }
}

// The classic Format conversions the label stands on: %e with precision significant digits and a
// signed exponent of at least three digits, %g without trailing zeros in the shorter form, %d with
// precision minimum digits, all with width 0.
TEST(TNumLabText, TheFormatConversionsItUses) {
  struct Case {
    const char16_t* format;
    TVarRec value;
    int precision;
    const char* text;
  };
  const Case cases[] = {
      {u"%*.*e", 3.14159, 2, "3.1E+000"},  {u"%*.*e", 1e-300, 3, "1.00E-300"}, {u"%*.*e", 0.0, 3, "0.00E+000"},
      {u"%*.*g", 3.14159, 3, "3.14"},      {u"%*.*g", 1e20, 15, "1E20"},       {u"%*.*g", 0.00012, 3, "0.00012"},
      {u"%*.*g", 100.0, 2, "1E2"},         {u"%*.*g", 2.50, 6, "2.5"},         {u"%*.*f", 2.0 / 3, 3, "0.667"},
      {u"%*.*d", int64_t{-5}, 3, "-005"},  {u"%*.*d", int64_t{0}, 0, "0"},     {u"%*.*d", int64_t{123}, 1, "123"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(Format(c.format, {0, c.precision, c.value})), c.text) << StringToUtf8(c.format);
}

// Regression: the value was rounded to a 64-bit integer however large, so 1e19 showed the clamped
// 9223372036854775807 and NaN some number, as if they were right.
TEST(TNumLabText, ValuesAnIntegerTypeCannotHoldShowTheOverflowIndicator) {
  TTestNumLab lab(nullptr);
  lab.SetLabelWidth(400);
  struct Case {
    TDisplay type;
    double value;
  };
  const Case cases[] = {{dtInt, 1e19},      {dtInt, -1e19},     {dtInt, NAN},          {dtZeroInt, INFINITY},
                        {dtHex, 5e9},       {dtOct, -3e9},      {dtBin, NAN},          {dtDateTime, NAN},
                        {dtDateTime, 1e9},  {dtFixP, INFINITY}, {dtEEng, NAN},         {dtDegMin, -INFINITY}};
  lab.SetOverflowIndicator(u"#");
  for (const Case& c : cases) {
    lab.SetDisplayType(c.type);
    lab.SetValue(c.value);
    EXPECT_EQ(Shown(lab), "#") << int(c.type) << " " << c.value;
  }
  lab.SetDisplayType(dtHex);
  lab.SetValue(4294967295.0);  // the 32 bits of the bases reach 2^32 - 1
  EXPECT_EQ(Shown(lab), "FFFFFFFF");
  lab.SetDisplayType(dtInt);
  lab.SetValue(-9223372036854775808.0);
  EXPECT_EQ(Shown(lab), "-9223372036854775808");
}

TEST(TNumLabText, ExtremeValuesInEveryTypeGiveSomeTextWithoutFailing) {
  TTestNumLab lab(nullptr);
  const double values[] = {1e308, -1e308, 5e-324, -0.0, 1.7976931348623157e308, -2147483648.5, 4294967295.5};
  for (int t = dtFloat; t <= dtEEngNoDP; ++t)
    for (double v : values)
      for (int p : {0, 15}) {
        lab.SetDisplayType(TDisplay(t));
        lab.SetValue(v);
        lab.SetPrecision(p);
        EXPECT_FALSE(Shown(lab).empty()) << t << " " << v << " " << p;
      }
}

TEST(TNumLabText, PrecisionIsClampedAndEmptyDrawsNoNumber) {
  TTestNumLab lab(nullptr);
  lab.SetPrecision(0);
  EXPECT_EQ(lab.Precision(), 0);
  lab.SetPrecision(-1);
  EXPECT_EQ(lab.Precision(), 0);
  lab.SetPrecision(20);
  EXPECT_EQ(lab.Precision(), 15);
  lab.SetEmpty(true);
  EXPECT_EQ(Shown(lab), "(none)");
  lab.SetEmpty(false);
  lab.SetDisplayType(dtState);
  lab.SetStateText(u"a state text far wider than the label box, drawn anyway");
  EXPECT_EQ(Shown(lab), "a state text far wider than the label box, drawn anyway");
}

// --- pixels --------------------------------------------------------------------------------------

namespace {

struct NumLabFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TTestNumLab* lab = new TTestNumLab(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 240, 80);
    lab->SetParent(form.get());
    lab->SetBounds(0, 0, 160, 28);
    user.Show(form.get());
  }
  TColor At(int x, int y) { return user.Grab(lab)->Canvas()->Pixels(x, y); }
};

/// Rows of two pixels in two colours: $00C0FF from y = 0, $FF8000 from y = 2, and so on.
class TStripes : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    for (int y = 0; y < Height(); y += 2) {
      c->Brush()->SetColor(y % 4 == 0 ? TColor(0x00C0FF) : TColor(0xFF8000));
      c->FillRect(Rect(0, y, Width(), y + 2));
    }
  }
};

}  // namespace

// The box from LS = 35 to 117 over H = 28, q = 24, as the numeric input control's.
TEST_F(NumLabFixture, TheBoxInEachFrameStyle) {
  const TColor face = ColorToRGB(clBtnFace);
  struct Case {
    TFrameStyle style;
    TColor outline, topLeft, bottomRight, bottomEdge;
  };
  const Case cases[] = {{fsLowered, kGrey, kBlack, kWhite, kWhite},   {fsRaised, kGrey, kWhite, kBlack, kBlack},
                        {fsEmbossed, kWhite, kGrey, kGrey, kGrey},    {fsEngraved, kGrey, kWhite, kWhite, kWhite},
                        {fsSimple, kGrey, face, face, kGrey},         {fsNone, face, face, face, face}};
  lab->SetEmpty(true);
  for (const Case& c : cases) {
    lab->SetFrameStyle(c.style);
    EXPECT_EQ(At(35, 10), c.outline) << int(c.style);
    EXPECT_EQ(At(36, 10), c.topLeft) << int(c.style);
    EXPECT_EQ(At(117, 10), c.bottomRight) << int(c.style);
    EXPECT_EQ(At(60, 27), c.bottomEdge) << int(c.style);
  }
}

TEST_F(NumLabFixture, ANumberTooWideShowsTheIndicatorPlacedByTheNumbersWidth) {
  // The same indicator as a state text (never replaced) in a second label below.
  auto* ref = new TTestNumLab(form.get());
  ref->SetParent(form.get());
  ref->SetBounds(0, 40, 160, 28);
  ref->SetDisplayType(dtState);
  ref->SetStateText(u"*********");
  for (TNumLab* l : {static_cast<TNumLab*>(lab), static_cast<TNumLab*>(ref)}) {
    l->SetLabelWidth(60);
    l->SetFrameStyle(fsNone);
  }
  lab->SetValue(123456789);
  EXPECT_EQ(Shown(*lab), "123456789.00");  // OnBeforeDisplay sees the number, then it is replaced
  // Ink columns of the box.
  auto ink = [&](TNumLab* l) {
    const std::unique_ptr<TBitmap> p = user.Grab(l);
    std::vector<int> columns;
    for (int x = 38; x < 94; ++x)
      for (int y = 2; y < 25; ++y)
        if (p->Canvas()->Pixels(x, y) != ColorToRGB(clBtnFace)) {
          columns.push_back(x);
          break;
        }
    return columns;
  };
  for (TAlignment a : {taLeftJustify, taRightJustify}) {
    lab->SetAlignment(a);
    ref->SetAlignment(a);
    const std::vector<int> shown = ink(lab), indicator = ink(ref);
    ASSERT_FALSE(shown.empty());
    if (a == taLeftJustify) {
      EXPECT_EQ(shown, indicator);  // the indicator, at the same place
    } else {
      EXPECT_LT(shown.front(), indicator.front());  // placed by the wider number
    }
  }
}

TEST_F(NumLabFixture, ADisabledLabelEngravesItsTextsAndGreysItsNumber) {
  lab->Font()->SetSize(14);
  lab->Font()->SetStyle(TFontStyles{fsBold});
  lab->SetLeftText(u"HI");
  lab->SetRightText(u"HI");
  lab->SetRightTextAlignment(taRightJustify);
  lab->SetValue(11);
  lab->SetEnabled(false);
  const std::unique_ptr<TBitmap> p = user.Grab(lab);
  auto colours = [&](int l, int r, int t, int b) {
    std::vector<TColor> seen;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) seen.push_back(p->Canvas()->Pixels(x, y));
    return seen;
  };
  auto has = [](const std::vector<TColor>& v, TColor c) { return std::find(v.begin(), v.end(), c) != v.end(); };
  for (auto [l, r] : {std::pair{0, 35}, std::pair{118, 160}}) {
    const std::vector<TColor> seen = colours(l, r, 0, 28);
    EXPECT_TRUE(has(seen, kWhite)) << l;
    EXPECT_TRUE(has(seen, kGrey)) << l;
    EXPECT_FALSE(has(seen, kBlack)) << l;
  }
  const std::vector<TColor> box = colours(38, 114, 3, 24);
  EXPECT_TRUE(has(box, kGrey));
  EXPECT_FALSE(has(box, kBlack));
}

// Over a parent painted in stripes, a transparent label shows the stripes around its box and its
// texts in black over them; the box keeps its own colour.
TEST_F(NumLabFixture, TransparentOverAPatternedParent) {
  auto* stripes = new TStripes(form.get());
  stripes->SetParent(form.get());
  stripes->SetBounds(0, 0, 240, 80);
  lab->BringToFront();
  lab->SetColorLabBakG(0xFFFFC0);
  lab->SetLeftText(u"U");
  lab->SetTransparent(true);
  const std::unique_ptr<TBitmap> p = user.Grab(lab);
  TCanvas* k = p->Canvas();
  EXPECT_EQ(k->Pixels(2, 0), 0x00C0FF);  // the parent beside the box
  EXPECT_EQ(k->Pixels(2, 2), 0xFF8000);
  EXPECT_EQ(k->Pixels(150, 4), 0x00C0FF);  // right of the box
  EXPECT_EQ(k->Pixels(60, 5), 0xFFFFC0);  // the box over white
  EXPECT_EQ(k->Pixels(35, 10), kGrey & 0xFF8000);  // the outline ANDed onto the stripe
  EXPECT_GOLDEN(*p, "numlab-transparent", std::vector<TRect>{Rect(0, 0, 35, 28), Rect(38, 2, 114, 25)});
  // Changing the value repaints the area: the old number does not stay under the new one.
  lab->SetValue(888);
  lab->SetValue(1);
  const std::unique_ptr<TBitmap> again = user.Grab(lab);
  form->SetBounds(0, 0, 240, 80);
  TTestNumLab fresh(form.get());
  fresh.SetParent(form.get());
  fresh.SetBounds(0, 40, 160, 28);
  fresh.SetColorLabBakG(0xFFFFC0);
  fresh.SetLeftText(u"U");
  fresh.SetValue(1);
  fresh.SetTransparent(true);
  const std::unique_ptr<TBitmap> other = user.Grab(&fresh);
  int differing = 0;
  for (int y = 0; y < 28; ++y)
    for (int x = 38; x < 114; ++x) differing += again->Canvas()->Pixels(x, y) != other->Canvas()->Pixels(x, y);
  EXPECT_EQ(differing, 0);
}

TEST_F(NumLabFixture, GoldenPicturesOfTheLooks) {
  lab->SetBounds(0, 0, 200, 28);
  lab->SetLeftSpace(50);
  lab->SetLeftText(u"Temp");
  lab->SetRightText(u"\u00B0C");
  lab->SetValue(21.456);
  lab->SetColorLabBakG(0xFFFFFF);
  const std::vector<TRect> texts{Rect(0, 0, 50, 28), Rect(53, 2, 129, 25), Rect(132, 0, 200, 28)};
  EXPECT_GOLDEN(*user.Grab(lab), "numlab-lowered", texts);
  lab->SetFrameStyle(fsRaised);
  lab->SetColorScheme(csSystem);
  lab->SetEnabled(false);
  EXPECT_GOLDEN(*user.Grab(lab), "numlab-raised-disabled", texts);
}

// --- component -----------------------------------------------------------------------------------

TEST(TNumLabComponent, AssignCopiesExactlyTheListedFields) {
  TNumLab a(nullptr), b(nullptr);
  a.SetLeftSpace(40), a.SetEmpty(true), a.SetLabelWidth(70), a.SetPrecision(4), a.SetLeftText(u"L");
  a.SetRightText(u"R"), a.SetFrameStyle(fsRaised), a.SetAlignment(taLeftJustify), a.SetLeftTextAlignment(taCenter);
  a.SetRightTextAlignment(taRightJustify), a.SetOverflowIndicator(u"!"), a.SetValue(7), a.SetStateText(u"on");
  a.SetTransparent(true), a.SetColorLabBakG(1), a.SetColorLabText(2), a.SetColorOutBakG(3), a.SetColorOutText(4);
  a.SetColorScheme(csSystem), a.SetDisplayType(dtHex), a.SetComma(true), a.SetForcePlusSign(true);
  a.SetDTFormat(u"yyyy"), a.SetEnabled(false);
  b.Assign(&a);
  EXPECT_EQ(b.LeftSpace(), 40);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.LabelWidth(), 70);
  EXPECT_EQ(b.Precision(), 4);
  EXPECT_EQ(b.LeftText(), u"L");
  EXPECT_EQ(b.RightText(), u"R");
  EXPECT_EQ(b.FrameStyle(), fsRaised);
  EXPECT_EQ(b.Alignment(), taLeftJustify);
  EXPECT_EQ(b.LeftTextAlignment(), taCenter);
  EXPECT_EQ(b.RightTextAlignment(), taRightJustify);
  EXPECT_EQ(b.OverflowIndicator(), u"!");
  EXPECT_EQ(b.Value(), 7);
  EXPECT_EQ(b.StateText(), u"on");
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.ColorLabBakG(), 1);
  EXPECT_EQ(b.ColorLabText(), 2);
  EXPECT_EQ(b.ColorOutBakG(), 3);
  EXPECT_EQ(b.ColorOutText(), 4);
  EXPECT_EQ(b.ColorScheme(), csSystem);
  EXPECT_EQ(b.DisplayType(), dtHex);
  // not copied
  EXPECT_FALSE(b.Comma());
  EXPECT_FALSE(b.ForcePlusSign());
  EXPECT_EQ(b.DTFormat(), u"mmm-dd, yyyy");
  EXPECT_TRUE(b.Enabled());
}

TEST(TNumLabComponent, DefaultsOfTheConstructor) {
  TNumLab lab(nullptr);
  EXPECT_EQ(lab.Width(), 160);
  EXPECT_EQ(lab.Height(), 28);
  EXPECT_EQ(lab.DisplayType(), dtFixP);
  EXPECT_EQ(lab.OverflowIndicator(), u"*********");
  EXPECT_EQ(lab.StateText(), u"undefined");
  EXPECT_EQ(lab.DTFormat(), u"mmm-dd, yyyy");
  EXPECT_EQ(lab.Alignment(), taCenter);
  EXPECT_EQ(lab.LeftTextAlignment(), taRightJustify);
  EXPECT_EQ(lab.FrameStyle(), fsLowered);
  lab.SetLeftSpace(-3);
  EXPECT_EQ(lab.LeftSpace(), 35);
  lab.SetLeftSpace(900);
  EXPECT_EQ(lab.LeftSpace(), 160);
}
