// The numeric edit box TNumIO: the change check, conversion and value text, driven by the scripted user.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "Assertions.h"
#include "Qelta_NumIO.h"
#include "Qelta_univconst.h"
#include "SampleControls.h"
#include "SysUtils.h"
#include "Testing.h"

using namespace qelta;

namespace {

constexpr double NoValue = -999;  // no preset value

int Beeps(const TScriptedUser& user) {
  int n = 0;
  for (const auto& e : user.MessageLog()) n += e.Kind == u"MessageBeep" && e.Flags == 0 ? 1 : 0;
  return n;
}

/// Restores the system's decimal separator after a test changed it.
struct SystemSeparator {
  Char saved = FormatSettings.DecimalSeparator;
  explicit SystemSeparator(Char c) { FormatSettings.DecimalSeparator = c; }
  ~SystemSeparator() { FormatSettings.DecimalSeparator = saved; }
};

struct NumIOFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TNumIO* edit = new TNumIO(form.get());
  int changes = 0;

  void SetUp() override {
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 21);
    edit->SetBeep(true);
    edit->OnChange = [this](TObject*) { ++changes; };
    user.Show(form.get());
    edit->SetFocus();
  }
  void UseFormat(TInFormat format, double lo, double hi, TDecPSep sep) {
    edit->SetInputFormat(format);
    edit->SetDecPlaceSep(sep);
    edit->SetRangeHigh(hi);
    edit->SetRangeLow(lo);
  }
  // A value written by the host, the caret after it.
  void Preset(double x) {
    edit->SetLabValue(x);
    edit->SetSelStart(static_cast<int>(edit->Text().size()));
  }
};

struct EditCase {
  const char* what;
  TInFormat format;
  double lo, hi;
  TDecPSep sep;
  double preset;          // NoValue: an empty box
  const char16_t* typed;  // typed by the user (nullptr: none)
  const char16_t* set;    // then set through Text (nullptr: none)
  const char16_t* shown;
  double value;
  int changes;
  int beeps;
};

const EditCase EditCases[] = {
    {"the run-time range [0, 0] refuses 5", itDynamic, 0, 0, dsDot, NoValue, u"5", nullptr, u"", 0, 0, 1},
    {"0 is accepted whatever the range", itDynamic, 0, 0, dsDot, NoValue, u"0", nullptr, u"0", 0, 1, 0},
    {"an exponent being typed", itExp, -100, 100, dsDot, NoValue, u"1.5e", nullptr, u"1.5e", 1.5, 4, 0},
    {"an exponent sign being typed", itExp, -100, 100, dsDot, NoValue, u"1.5e+", nullptr, u"1.5e+", 1.5, 5, 0},
    {"a blank inside is refused", itExp, -100, 100, dsDot, NoValue, u"1 5", nullptr, u"15", 15, 2, 1},
    {"out of range is refused", itExp, -100, 100, dsDot, NoValue, u"123", nullptr, u"12", 12, 2, 1},
    {"dynamic hexadecimal", itDynamic, 0, 1000, dsDot, NoValue, u"$ff", nullptr, u"$ff", 255, 3, 0},
    {"dynamic binary", itDynamic, 0, 1000, dsDot, NoValue, u"%101", nullptr, u"%101", 5, 4, 0},
    {"dynamic octal", itDynamic, 0, 1000, dsDot, NoValue, u"&17", nullptr, u"&17", 15, 3, 0},
    {"dynamic decimal", itDynamic, 0, 1000, dsDot, NoValue, u"12.5", nullptr, u"12.5", 12.5, 4, 0},
    {"dynamic exponent", itDynamic, 0, 1000, dsDot, NoValue, u"1e3", nullptr, u"1e3", 1000, 3, 0},
    {"hexadecimal digits beyond f are refused", itHex, 0, 1000, dsDot, NoValue, u"1g", nullptr, u"1", 1, 1, 1},
    {"a comma under dsDot is refused", itFloat, 0, 100, dsDot, NoValue, u"1,5", nullptr, u"15", 15, 2, 1},
    {"a third decimal is cut back", itFixPoint, 0, 100, dsDot, 12.34, u"1", nullptr, u"12.34", 12.34, 1, 0},
    {"a second separator restores the text", itFixPoint, 0, 100, dsDot, 12.34, u".", nullptr, u"12.34", 12.34, 0,
     1},
    {"an accepted value gets exactly the decimals", itFixPoint, 0, 100, dsDot, NoValue, nullptr, u"7", u"7.00", 7, 1,
     0},
    {"an invalid Text brings back the last accepted one", itFloat, 0, 100, dsDot, 2.5, nullptr, u"x", u"2.50000000",
     2.5, 0, 1},
    {"a valid Text is checked and accepted", itFloat, 0, 100, dsDot, 2.5, nullptr, u"42", u"42", 42, 1, 0},
    {"itInt takes a sign and digits", itInt, -100, 100, dsDot, NoValue, u"-12", nullptr, u"-12", -12, 3, 0},
    // Regression: ScanDecimal wraps, so 4294967297 was accepted as 1.
    {"itInt refuses texts beyond 32 bits", itInt, -1e10, 1e10, dsDot, 7, nullptr, u"4294967297", u"7", 7, 0, 1},
    // Regression: GetLabValue turned ',' into '.' and converted in mode 2, so every fraction read 0.
    {"a comma value reads back under dsComma", itFloat, 0, 10, dsComma, NoValue, u"1,5", nullptr, u"1,5", 1.5, 3, 0},
    // Regression: SetLabValue wrote '.' under dsComma, so the next keystroke was refused.
    {"a written value can be typed on under dsComma", itFloat, 0, 10, dsComma, 2.5, u"1", nullptr, u"2,500000001",
     2.500000001, 1, 0},
    {"fixed point under dsComma keeps its comma", itFixPoint, 0, 10, dsComma, 2.5, u"1", nullptr, u"2,50", 2.5, 1, 0},
};

}  // namespace

TEST_F(NumIOFixture, ChecksEveryChangeByFormatRangeAndSeparator) {
  for (const auto& c : EditCases) {
    SCOPED_TRACE(c.what);
    edit->SetEditText(String());
    UseFormat(c.format, c.lo, c.hi, c.sep);  // checks the empty text: the last accepted text is empty
    if (c.preset != NoValue) Preset(c.preset);
    changes = 0;
    const int beeps = Beeps(user);
    if (c.typed != nullptr) user.TypeText(c.typed);
    if (c.set != nullptr) edit->SetText(c.set);
    EXPECT_EQ(sample::Narrow(edit->Text()), sample::Narrow(c.shown));
    EXPECT_DOUBLE_EQ(edit->GetLabValue(), c.value);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(Beeps(user) - beeps, c.beeps);
  }
}

TEST_F(NumIOFixture, ARefusedKeyPutsTheCaretOnePlaceLeftStoppingAtZero) {
  UseFormat(itFloat, 0, 100, dsDot);
  Preset(12);  // "12.00000000"
  edit->SetSelStart(2);
  user.TypeText(u"x");
  EXPECT_EQ(edit->Text(), u"12.00000000");
  EXPECT_EQ(edit->SelStart(), 2);  // after the refused character, one left
  edit->SetSelStart(0);
  user.TypeText(u"-");  // out of range
  EXPECT_EQ(edit->SelStart(), 0);
}

TEST_F(NumIOFixture, AFixPointTextThatLostItsSeparatorGetsItBackWithTheCaretAtTheOldSeparator) {
  UseFormat(itFixPoint, 0, 10000, dsDot);
  Preset(12.34);
  edit->SetSelStart(3);
  user.PressKey(VK_BACK);  // "1234"
  EXPECT_EQ(edit->Text(), u"1234.00");
  EXPECT_EQ(edit->SelStart(), 3);
}

// Regression: a refused keystroke after SetLabValue brought back the text accepted before it.
TEST_F(NumIOFixture, ARefusedKeyAfterSetLabValueKeepsTheWrittenValue) {
  UseFormat(itFloat, 0, 100, dsDot);
  user.TypeText(u"3");
  edit->SetLabValue(4);
  edit->SetSelStart(static_cast<int>(edit->Text().size()));
  user.TypeText(u"x");
  EXPECT_EQ(edit->Text(), u"4.00000000");
  EXPECT_DOUBLE_EQ(edit->GetLabValue(), 4);
}

// Regression: setting the same text set the internal flag, no change came to clear it, and the
// user's next (invalid) change went through unchecked.
TEST_F(NumIOFixture, SettingTheSameTextLeavesTheNextChangeChecked) {
  UseFormat(itInt, 0, 100, dsDot);
  user.TypeText(u"5");
  edit->SetEditText(u"5");
  user.TypeText(u"x");
  EXPECT_EQ(edit->Text(), u"5");
}

TEST_F(NumIOFixture, RangeSettersKeepTheRangeOrderedAndForgetTheLastText) {
  edit->SetRangeHigh(3);
  edit->SetRangeLow(5);
  EXPECT_EQ(edit->RangeLow(), 3);
  EXPECT_EQ(edit->RangeHigh(), 5);
  edit->SetRangeHigh(1);
  EXPECT_EQ(edit->RangeLow(), 1);
  EXPECT_EQ(edit->RangeHigh(), 3);
  UseFormat(itFloat, 0, 10, dsDot);
  user.TypeText(u"5");
  edit->SetRangeHigh(3);  // forgets "5", then refuses it: the box empties
  EXPECT_EQ(edit->Text(), u"");
  user.TypeText(u"2");
  edit->SetRangeHigh(4);  // "2" passes again
  EXPECT_EQ(edit->Text(), u"2");
}

TEST_F(NumIOFixture, FixPointDecimalsAreClampedAndChangeNothingElse) {
  edit->SetFixPointDecPlaces(0);
  EXPECT_EQ(edit->FixPointDecPlaces(), 1);
  edit->SetFixPointDecPlaces(12);
  EXPECT_EQ(edit->FixPointDecPlaces(), 8);
}

TEST(NumIODesign, ADesignedEditHasTheWidestRangeAndChecksNothing) {
  struct TDesignedOwner : TComponent {
    TDesignedOwner() : TComponent(nullptr) { SetDesigning(true); }
  } owner;
  auto* edit = new TNumIO(&owner);
  EXPECT_EQ(edit->RangeLow(), -uc_MaxDouble);
  EXPECT_EQ(edit->RangeHigh(), uc_MaxDouble);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetText(u"abc");
  EXPECT_EQ(edit->Text(), u"abc");
  EXPECT_EQ(changes, 0);
}

TEST(NumIOConvert, ConvertsByFormatAndSeparator) {
  TNumIO edit(nullptr);
  struct Case {
    TInFormat format;
    TDecPSep sep;
    const char16_t* text;
    bool valid;
    double value;
  };
  const Case cases[] = {
      {itExp, dsDot, u"  1.5E", true, 1.5},  {itExp, dsDot, u"1.5e-", true, 1.5},  {itExp, dsDot, u"", false, 0},
      {itExp, dsDot, u"   ", true, 0},       {itExp, dsComma, u"1.5", false, 0},   {itExp, dsBoth, u"1,5e2", true, 150},
      {itFloat, dsDot, u"1e2", false, 1},    {itInt, dsDot, u"-2147483648", true, -2147483648.0},
      {itInt, dsDot, u"2147483648", false, 0}, {itHex, dsDot, u"FFFFFFFF", true, -1},
      {itHex, dsDot, u"1FFFFFFFF", false, -1}, {itOct, dsDot, u"37777777777", true, -1},
      {itOct, dsDot, u"40000000000", false, 0}, {itBin, dsDot, u"%101", true, 5}, {itDynamic, dsDot, u"$", true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sample::Narrow(c.text));
    edit.SetInputFormat(c.format);
    edit.SetDecPlaceSep(c.sep);
    double v = 99;
    EXPECT_EQ(edit.ConvertNumString(c.text, v), c.valid);
    if (c.valid) {
      EXPECT_DOUBLE_EQ(v, c.value);
    }
  }
}

TEST(NumIOConvert, SystemSeparatorMapsByConversionRuleAndAThirdCharacterMeansDot) {
  SystemSeparator semicolon(u';');
  TNumIO edit(nullptr);
  edit.SetInputFormat(itFloat);
  edit.SetDecPlaceSep(dsSystem);
  double v = 0;
  EXPECT_TRUE(edit.ConvertNumString(u"1.5", v));
  EXPECT_FALSE(edit.ConvertNumString(u"1,5", v));
  SystemSeparator comma(u',');
  EXPECT_TRUE(edit.ConvertNumString(u"1,5", v));
  EXPECT_DOUBLE_EQ(v, 1.5);
}

TEST(NumIOValueText, WritesEachFormat) {
  TNumIO edit(nullptr);
  struct Case {
    TInFormat format;
    double x;
    const char16_t* text;
  };
  const Case cases[] = {
      {itExp, 1.5, u" 1.50000E+00"}, {itDynamic, -2.5e-7, u"-2.50000E-07"},
      // Regression: a two-digit exponent cannot hold 300, and the text of asterisks read back as 0.
      {itExp, 1e300, u" 1.00000E+0300"},
      {itFloat, 1.5, u"1.50000000"},  {itFixPoint, 3.14159, u"3.14"},       {itInt, 2.5, u"3"},
      {itInt, 1e20, u"2147483647"},   {itHex, -1, u"FFFFFFFF"},             {itHex, 255, u"000000FF"},
      // Regression: octal and binary kept 8 digits, so 300 showed as 44.
      {itBin, 300, u"100101100"},     {itBin, 3, u"00000011"},              {itOct, -1, u"37777777777"},
      {itBin, -1, u"11111111111111111111111111111111"}, {itFloat, NAN, u"0.00000000"},
      {itHex, INFINITY, u"00000000"},
  };
  for (const auto& c : cases) {
    edit.SetInputFormat(c.format);
    edit.SetLabValue(c.x);
    EXPECT_EQ(sample::Narrow(edit.Text()), sample::Narrow(c.text)) << c.x;
  }
}

TEST(NumIOValueText, ValueToTextToValueInEveryFormatAndSeparatorMode) {
  SystemSeparator comma(u',');
  TNumIO edit(nullptr);
  const double reals[] = {0, 1.5, -2.25, 1234.5678, -0.001, 1e-5};
  const int32_t ints[] = {0, 1, -1, 300, INT32_MAX, INT32_MIN, 0x12345678, -0x7654321};
  for (TDecPSep sep : {dsSystem, dsDot, dsComma, dsBoth}) {
    edit.SetDecPlaceSep(sep);
    edit.SetInputFormat(itFloat);
    for (double x : reals) {
      edit.SetLabValue(x);
      EXPECT_NEAR(edit.GetLabValue(), x, 1e-8) << sep;
    }
    edit.SetInputFormat(itExp);
    for (double x : reals) {
      edit.SetLabValue(x);
      EXPECT_NEAR_REL(edit.GetLabValue(), x, 1e-5);
    }
    for (TInFormat f : {itInt, itHex, itOct, itBin}) {
      edit.SetInputFormat(f);
      for (int32_t n : ints) {
        edit.SetLabValue(n);
        EXPECT_EQ(edit.GetLabValue(), n) << f << " " << n;
      }
      for (int64_t n = INT32_MIN; n <= INT32_MAX; n += 16777259) {  // the whole 32-bit range, by a stride
        edit.SetLabValue(static_cast<double>(n));
        ASSERT_EQ(edit.GetLabValue(), n) << f;
      }
    }
  }
}

TEST(NumIOComponent, AssignCopiesFormatBeepRangeAndSeparatorButNotTheDecimals) {
  TNumIO a(nullptr), b(nullptr);
  a.SetInputFormat(itHex);
  a.SetBeep(true);
  a.SetRangeHigh(50);
  a.SetRangeLow(-5);
  a.SetDecPlaceSep(dsComma);
  a.SetFixPointDecPlaces(5);
  b.Assign(&a);
  EXPECT_EQ(b.InputFormat(), itHex);
  EXPECT_TRUE(b.Beep());
  EXPECT_EQ(b.RangeLow(), -5);
  EXPECT_EQ(b.RangeHigh(), 50);
  EXPECT_EQ(b.DecPlaceSep(), dsComma);
  EXPECT_EQ(b.FixPointDecPlaces(), 2);
}
