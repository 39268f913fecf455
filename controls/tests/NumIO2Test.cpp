// The numeric input control TNumIO2: value and text, keys, caret timer, settings, driven by the
// scripted user.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Clipbrd.h"
#include "Edits.h"
#include "Qelta_NumIO.h"
#include "SampleControls.h"
#include "SysUtils.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// Counts repaints; may be told to fail while painting.
class TCountingNumIO2 : public TNumIO2 {
 public:
  using TNumIO2::TNumIO2;
  int paints = 0;
  bool failPaint = false;

 protected:
  void Paint() override {
    ++paints;
    if (failPaint) throw EQeltaNumIO2Error(u"paint failed");
    TNumIO2::Paint();
  }
};

int Beeps(const TScriptedUser& user) {
  int n = 0;
  for (const auto& e : user.MessageLog()) n += e.Kind == u"MessageBeep" && e.Flags == MB_SIMPLEBEEP ? 1 : 0;
  return n;
}

struct NumIO2Fixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TCountingNumIO2* nio = new TCountingNumIO2(form.get());
  TEdit* other = new TEdit(form.get());
  int changes = 0;

  void SetUp() override {
    nio->SetName(u"Num");
    nio->SetParent(form.get());
    nio->SetBounds(10, 10, 200, 28);
    nio->SetTabStop(true);
    other->SetParent(form.get());
    other->SetBounds(10, 60, 100, 21);
    other->SetTabStop(true);
    nio->OnChange = [this](TObject*) { ++changes; };
    user.Show(form.get());
    nio->SetFocus();
  }
};

struct Key {
  Word key;
  TShiftState shift;
};
const TShiftState Shift{ssShift}, Ctrl{ssCtrl};

struct KeyCase {
  const char* what;
  TInFormat format;
  TDecPSep sep;
  const char16_t* start;  // buffer before, the caret at its end
  std::vector<Key> keys;
  const char16_t* buffer;
  int caret, selBegin, selEnd;
  int changes, beeps;
};

const KeyCase KeyCases[] = {
    {"a sign alone passes while typing", itInt, dsBoth, u"", {{VK_OEM_MINUS, {}}}, u"-", 1, 0, 0, 1, 0},
    {"a signed integer", itInt, dsBoth, u"", {{VK_SUBTRACT, {}}, {VK_1, {}}, {VK_NUMPAD2, {}}}, u"-12", 3, 0, 0, 3, 0},
    {"no exponent in itFloat", itFloat, dsBoth, u"12", {{VK_E, {}}}, u"12", 2, 0, 0, 0, 1},
    {"an exponent after digits in itExp", itExp, dsBoth, u"12", {{VK_E, {}}, {VK_OEM_MINUS, {}}, {VK_5, {}}}, u"12E-5",
     5, 0, 0, 3, 0},
    // Regression: the online check of itExp looked at the leading number only, so "12ABC" passed.
    {"letters after an itExp number are refused", itExp, dsBoth, u"12", {{VK_A, {}}}, u"12", 2, 0, 0, 0, 1},
    {"the numeric pad and the punctuation keys", itFloat, dsBoth, u"",
     {{VK_ADD, {}}, {VK_NUMPAD1, {}}, {VK_DECIMAL, {}}, {VK_NUMPAD5, {}}}, u"+1,5", 4, 0, 0, 4, 0},
    {"the period key", itFloat, dsDot, u"1", {{VK_OEM_PERIOD, {}}, {VK_2, {}}}, u"1.2", 3, 0, 0, 2, 0},
    {"a comma under dsDot is refused", itFloat, dsDot, u"1", {{VK_OEM_COMMA, {}}}, u"1", 1, 0, 0, 0, 1},
    {"hexadecimal letters", itHex, dsBoth, u"", {{VK_F, {}}, {VK_F, {}}, {VK_G, {}}}, u"FF", 2, 0, 0, 2, 1},
    {"binary refuses 2", itBin, dsBoth, u"1", {{VK_2, {}}, {VK_0, {}}}, u"10", 2, 0, 0, 1, 1},
    // A lone prefix must pass, or the prefixed forms could never be typed.
    {"dynamic hexadecimal via Shift+4", itDynamic, dsBoth, u"", {{VK_4, Shift}, {VK_F, {}}, {VK_F, {}}}, u"$FF", 3, 0, 0,
     3, 0},
    {"dynamic binary and octal prefixes", itDynamic, dsBoth, u"", {{VK_5, Shift}, {VK_1, {}}, {VK_2, {}}}, u"%1", 2, 0,
     0, 2, 1},
    {"dynamic octal", itDynamic, dsBoth, u"", {{VK_6, Shift}, {VK_1, {}}, {VK_7, {}}}, u"&17", 3, 0, 0, 3, 0},
    {"arrows, Home and End move the caret", itFloat, dsBoth, u"123",
     {{VK_HOME, {}}, {VK_LEFT, {}}, {VK_RIGHT, {}}, {VK_DOWN, {}}, {VK_UP, {}}}, u"123", 1, 0, 0, 0, 0},
    {"End then insert", itFloat, dsBoth, u"123", {{VK_HOME, {}}, {VK_END, {}}, {VK_4, {}}}, u"1234", 4, 0, 0, 1, 0},
    {"insert inside", itFloat, dsBoth, u"13", {{VK_LEFT, {}}, {VK_2, {}}}, u"123", 2, 0, 0, 1, 0},
    {"Backspace and Delete", itFloat, dsBoth, u"123", {{VK_LEFT, {}}, {VK_BACK, {}}, {VK_DELETE, {}}}, u"1", 1, 0, 0, 2,
     0},
    {"nothing to delete", itFloat, dsBoth, u"1", {{VK_DELETE, {}}, {VK_HOME, {}}, {VK_BACK, {}}}, u"1", 0, 0, 0, 0, 0},
    {"deleting the last character singly leaves the box empty", itFloat, dsBoth, u"5", {{VK_BACK, {}}}, u"", 0, 0, 0, 1,
     0},
    {"an unknown key beeps", itFloat, dsBoth, u"1", {{VK_F1, {}}}, u"1", 1, 0, 0, 0, 1},
    {"an unknown Ctrl key beeps", itFloat, dsBoth, u"1", {{VK_Z, Ctrl}}, u"1", 1, 0, 0, 0, 1},
    // In the decimals of itFixPoint the selection covers the next character: typing overwrites.
    {"typing overwrites decimals", itFixPoint, dsBoth, u"3.14", {{VK_HOME, {}}, {VK_RIGHT, {}}, {VK_RIGHT, {}}, {VK_9, {}}},
     u"3.94", 3, 3, 4, 1, 0},
    {"at the end a digit is one decimal too many", itFixPoint, dsBoth, u"3.14", {{VK_END, {}}, {VK_5, {}}}, u"3.14", 4,
     4, 5, 0, 1},
    {"at the end Backspace removes nothing", itFixPoint, dsBoth, u"3.14", {{VK_END, {}}, {VK_BACK, {}}}, u"3.14", 4, 4,
     5, 0, 0},
    {"before the separator typing inserts", itFixPoint, dsBoth, u"3.14", {{VK_HOME, {}}, {VK_2, {}}}, u"23.14", 1, 4, 4,
     1, 0},
    // Regression: the fixed-point check looked for '.' only, so no comma text was ever valid.
    {"fixed point with a comma", itFixPoint, dsComma, u"3,14", {{VK_HOME, {}}, {VK_RIGHT, {}}, {VK_RIGHT, {}}, {VK_9, {}}},
     u"3,94", 3, 3, 4, 1, 0},
};

}  // namespace

TEST_F(NumIO2Fixture, EditsTheBufferKeyByKeyAndUndoesWhatTheFormatRefuses) {
  for (const auto& c : KeyCases) {
    SCOPED_TRACE(c.what);
    nio->SetInputFormat(c.format);
    nio->SetFixPointDecPlaces(2);
    nio->SetDecPlaceSep(c.sep);
    nio->SetBeep(true);
    nio->SetText(c.start);
    ASSERT_EQ(nio->Text(), c.start);
    nio->SetSelEnd(static_cast<int>(std::u16string(c.start).size()));
    nio->SetSelBegin(nio->SelEnd());
    changes = 0;
    const int beeps = Beeps(user);
    for (const auto& k : c.keys) user.PressKey(k.key, k.shift);
    EXPECT_EQ(sample::Narrow(nio->Text()), sample::Narrow(c.buffer));
    EXPECT_EQ(nio->CaretPos(), c.caret);
    if (c.format == itFixPoint) {
      EXPECT_EQ(nio->SelBegin(), c.selBegin);
      EXPECT_EQ(nio->SelEnd(), c.selEnd);
    }
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(Beeps(user) - beeps, c.beeps);
  }
}

TEST_F(NumIO2Fixture, DeletingASelectionOfTheWholeTextLeavesTheZeroText) {
  struct Case {
    TInFormat format;
    Key key;
    const char16_t* zero;
  };
  const Case cases[] = {{itFloat, {VK_BACK, {}}, u"0.00"}, {itHex, {VK_DELETE, {}}, u"00000000"},
                        {itInt, {VK_X, Ctrl}, u"0"}, {itExp, {VK_BACK, {}}, u" 0.00000E+00"}};
  for (const auto& c : cases) {
    nio->SetInputFormat(c.format);
    nio->SetNioValue(12);
    const String before = nio->Text();
    nio->SetSelBegin(0);
    nio->SetSelEnd(100);
    changes = 0;
    user.PressKey(c.key.key, c.key.shift);
    EXPECT_EQ(sample::Narrow(nio->Text()), sample::Narrow(c.zero));
    EXPECT_EQ(nio->CaretPos(), 0);
    EXPECT_EQ(changes, 1);
    if (c.key.key == VK_X) {
      EXPECT_EQ(user.ClipboardText(), before);
    }
  }
}

TEST_F(NumIO2Fixture, CopiesCutsAndPastesThroughTheClipboard) {
  nio->SetText(u"1234");
  nio->SetSelBegin(1);
  nio->SetSelEnd(3);
  user.PressKey(VK_C, Ctrl);
  EXPECT_EQ(user.ClipboardText(), u"23");
  Clipboard()->SetAsText(u"56");
  nio->SetSelBegin(4);
  user.PressKey(VK_V, Ctrl);
  EXPECT_EQ(nio->Text(), u"123456");
  EXPECT_EQ(nio->CaretPos(), 6);
  EXPECT_EQ(changes, 1);
  Clipboard()->SetAsText(u"x");
  user.PressKey(VK_V, Ctrl);  // refused by the online check
  EXPECT_EQ(nio->Text(), u"123456");
  EXPECT_EQ(changes, 1);
}

TEST_F(NumIO2Fixture, AReadOnlyControlCopiesButIgnoresEveryOtherKey) {
  nio->SetText(u"1234");
  nio->SetSelBegin(0);
  nio->SetSelEnd(2);
  nio->SetReadOnly(true);
  EXPECT_FALSE(nio->CaretVisible());
  user.PressKey(VK_C, Ctrl);
  EXPECT_EQ(user.ClipboardText(), u"12");
  Clipboard()->SetAsText(u"9");
  user.PressKey(VK_V, Ctrl);
  user.PressKey(VK_5);
  user.PressKey(VK_BACK);
  EXPECT_EQ(nio->Text(), u"1234");
  EXPECT_EQ(changes, 0);
  nio->SetReadOnly(false);
  EXPECT_TRUE(nio->CaretVisible());
}

TEST_F(NumIO2Fixture, TabMovesTheFocusAndTheHostSeesKeysAfterTheEdit) {
  String seenInKeyDown;
  std::string keyPresses;
  nio->OnKeyDown = [&](TObject*, Word&, TShiftState) { seenInKeyDown = nio->Text(); };
  nio->OnKeyPress = [&](TObject*, Char& k) { keyPresses += static_cast<char>(k); };
  user.PressKey(VK_7);
  EXPECT_EQ(seenInKeyDown, u"7");
  EXPECT_EQ(keyPresses, "7");
  user.PressKey(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), other);
  EXPECT_EQ(other->Text(), u"");  // Tab typed no character anywhere
}

TEST_F(NumIO2Fixture, TheCaretBlinksEvery500MsOnlyWhileFocusedAndRestartsOnClickAndFocus) {
  EXPECT_TRUE(nio->CaretVisible());
  user.Advance(499);
  EXPECT_TRUE(nio->CaretVisible());
  user.Advance(1);
  EXPECT_FALSE(nio->CaretVisible());
  user.Advance(500);
  EXPECT_TRUE(nio->CaretVisible());
  other->SetFocus();
  user.Advance(500);  // not focused: the timer stops with the caret hidden
  EXPECT_FALSE(nio->CaretVisible());
  user.Advance(1000);
  EXPECT_FALSE(nio->CaretVisible());
  user.Click(nio, 50, 10);
  EXPECT_EQ(form->ActiveControl(), nio);
  EXPECT_TRUE(nio->CaretVisible());
  user.Advance(500);
  EXPECT_FALSE(nio->CaretVisible());
  other->SetFocus();
  nio->SetFocus();
  EXPECT_TRUE(nio->CaretVisible());
  user.Advance(500);
  EXPECT_FALSE(nio->CaretVisible());
}

TEST_F(NumIO2Fixture, AnExceptionOfTheTickGoesToTheApplication) {
  std::vector<String> caught;
  Application->OnException = [&](TObject*, const Exception& e) { caught.push_back(e.Message()); };
  nio->failPaint = true;
  user.Advance(500);
  nio->failPaint = false;
  Application->OnException = nullptr;
  EXPECT_EQ(caught, std::vector<String>{u"paint failed"});
}

TEST_F(NumIO2Fixture, ARefusedTimerRaises) {
  user.FailTimers(true);
  EXPECT_THROW_MSG(nio->SetFocus(), EQeltaNumIO2Error, "Component \"Num\": no timer available");
  EXPECT_THROW_MSG(TNumIO2(nullptr), EQeltaNumIO2Error, "Component \"\": no timer available");
  user.FailTimers(false);
}

TEST_F(NumIO2Fixture, IntegerValueRaisesOnOverflowAndRoundsHalvesToEven) {
  nio->SetNioValue(3e9);
  EXPECT_THROW_MSG(nio->GetNioIntValue(), EQeltaNumIO2Error, "Component \"Num\": integer overflow");
  nio->SetNioValue(-2147483648.0);
  EXPECT_EQ(nio->GetNioIntValue(), INT32_MIN);
  nio->SetNioValue(2.5);
  EXPECT_EQ(nio->GetNioIntValue(), 2);
  nio->SetNioValue(3.5);
  EXPECT_EQ(nio->GetNioIntValue(), 4);
}

TEST_F(NumIO2Fixture, ValueTextsOfTheFormats) {
  struct Case {
    TInFormat format;
    double x;
    const char16_t* text;
  };
  const Case cases[] = {
      {itFixPoint, 3.14159, u"3.14"}, {itFloat, -1.5, u"-1.50"},       {itExp, 1234.5, u" 1.23450E+03"},
      // Regression: a two-digit exponent cannot hold -300, and a text of asterisks refused every key.
      {itExp, -1e-300, u"-1.00000E-0300"}, {itDynamic, 3.7, u"4"},     {itInt, 2.5, u"2"},
      {itInt, 1e30, u"9223372036854775807"}, {itHex, -1, u"FFFFFFFF"}, {itOct, 8, u"00000000010"},
      {itBin, 5, u"00000000000000000000000000000101"}, {itHex, 1e20, u"7FFFFFFF"},
      // NaN and infinities write the zero text: "NAN" would refuse every later keystroke.
      {itFloat, NAN, u"0.00"}, {itExp, INFINITY, u" 0.00000E+00"}, {itInt, -INFINITY, u"0"},
  };
  for (const auto& c : cases) {
    nio->SetInputFormat(c.format);
    nio->SetNioValue(c.x);
    EXPECT_EQ(sample::Narrow(nio->Text()), sample::Narrow(c.text)) << c.x;
  }
}

TEST_F(NumIO2Fixture, TextToValue) {
  struct Case {
    TInFormat format;
    const char16_t* text;
    double value;
  };
  const Case cases[] = {
      {itDynamic, u"$ff", 255}, {itDynamic, u"%101", 5}, {itDynamic, u"&17", 15}, {itDynamic, u"1,5", 1.5},
      {itDynamic, u"", 0},      {itFloat, u"1,25", 1.25},  {itExp, u"1.5E3", 1500}, {itInt, u"", 0},
      // Regression: an overflow of either sign read +2147483647.
      {itInt, u"-99999999999", INT32_MIN}, {itInt, u"99999999999", INT32_MAX},
      {itHex, u"FFFFFFFF", -1}, {itHex, u"123456789", 0x23456789}, {itOct, u"37777777777", -1}, {itBin, u"101", 5},
  };
  for (const auto& c : cases) {
    nio->SetInputFormat(c.format);
    nio->SetText(c.text);
    ASSERT_EQ(nio->Text(), c.text);
    EXPECT_DOUBLE_EQ(nio->GetNioValue(), c.value) << sample::Narrow(c.text);
  }
}

// Regression: SetNioValue wrote '.' under dsComma, after which every keystroke was refused.
TEST_F(NumIO2Fixture, AValueWrittenUnderEachSeparatorCanBeTypedOn) {
  for (TDecPSep sep : {dsSystem, dsDot, dsComma, dsBoth}) {
    nio->SetInputFormat(itFloat);
    nio->SetDecPlaceSep(sep);
    nio->SetNioValue(1.5);
    nio->SetSelEnd(10);
    nio->SetSelBegin(nio->SelEnd());
    user.PressKey(VK_7);
    EXPECT_DOUBLE_EQ(nio->GetNioValue(), 1.507) << sep;
  }
}

TEST_F(NumIO2Fixture, SwitchingTheSeparatorRewritesTheBufferExceptToBoth) {
  nio->SetText(u"1.5");
  nio->SetDecPlaceSep(dsComma);
  EXPECT_EQ(nio->Text(), u"1,5");
  nio->SetDecPlaceSep(dsBoth);
  EXPECT_EQ(nio->Text(), u"1,5");
  nio->SetDecPlaceSep(dsDot);
  EXPECT_EQ(nio->Text(), u"1.5");
  nio->SetDecPlaceSep(dsComma);
  EXPECT_EQ(nio->Text(), u"1,5");
}

TEST(NumIO2RoundTrip, ValueToTextToValueInEveryFormatAndSeparatorMode) {
  TNumIO2 nio(nullptr);
  const int32_t ints[] = {0, 1, -1, 255, INT32_MAX, INT32_MIN, 0x12345678, -0x7654321, 1 << 31 >> 3};
  const double reals[] = {0, 1.25, -2.5, 1234.56, -0.01, 99999.99};
  for (TDecPSep sep : {dsSystem, dsDot, dsComma, dsBoth}) {
    nio.SetDecPlaceSep(sep);
    for (TInFormat f : {itInt, itHex, itOct, itBin, itDynamic}) {
      nio.SetInputFormat(f);
      for (int32_t n : ints) {
        nio.SetNioValue(n);
        EXPECT_EQ(nio.GetNioValue(), n) << f << " " << n;
      }
    }
    for (TInFormat f : {itHex, itOct, itBin}) {  // the whole 32-bit range, by a stride
      nio.SetInputFormat(f);
      for (int64_t n = INT32_MIN; n <= INT32_MAX; n += 16777259) {
        nio.SetNioValue(static_cast<double>(n));
        ASSERT_EQ(nio.GetNioValue(), n) << f;
      }
    }
    for (TInFormat f : {itFloat, itFixPoint, itExp}) {
      nio.SetInputFormat(f);
      for (double x : reals) {
        nio.SetNioValue(x);
        EXPECT_NEAR_REL(nio.GetNioValue(), x, 1e-6);
        EXPECT_TRUE(nio.CheckValidity(nio.Text())) << sample::Narrow(nio.Text());
      }
    }
  }
}

TEST(NumIO2Settings, SettersClampAndRepaint) {
  TCountingNumIO2 nio(nullptr);
  int paints = nio.paints;
  nio.SetLeftText(u"U");
  EXPECT_EQ(nio.paints, ++paints);
  nio.SetColorBoxBG(nio.ColorBoxBG());  // the same colour: no repaint
  EXPECT_EQ(nio.paints, paints);
  nio.SetColorWarnBG(nio.ColorWarnBG());  // always repaints
  EXPECT_EQ(nio.paints, ++paints);
  nio.SetButWidth(2);
  EXPECT_EQ(nio.ButWidth(), 8);
  nio.SetButWidth(80);
  EXPECT_EQ(nio.ButWidth(), 50);
  nio.SetButSpace(-1);
  EXPECT_EQ(nio.ButSpace(), 0);
  nio.SetLeftSpace(-5);
  EXPECT_EQ(nio.LeftSpace(), 35);
  nio.SetLeftSpace(500);
  EXPECT_EQ(nio.LeftSpace(), 160);
  nio.SetButHeight(100);
  EXPECT_EQ(nio.ButHeight(), 28);
  nio.SetHeight(10);
  EXPECT_EQ(nio.Height(), 18);
  EXPECT_EQ(nio.ButHeight(), 18);
  nio.SetGaugeHeight(50);
  EXPECT_EQ(nio.GaugeHeight(), 3);
  nio.SetGaugeWidth(5);
  EXPECT_EQ(nio.GaugeWidth(), 10);
  nio.SetFixPointDecPlaces(0);
  EXPECT_EQ(nio.FixPointDecPlaces(), 2);
  nio.SetFixPointDecPlaces(40);
  EXPECT_EQ(nio.FixPointDecPlaces(), 15);
  nio.SetRangeHigh(-5);
  EXPECT_EQ(nio.RangeLow(), -5);
  nio.SetRangeLow(10);
  EXPECT_EQ(nio.RangeHigh(), 10);
  nio.SetColorScheme(csSystem);
  EXPECT_EQ(nio.ColGrayLine(), clBtnShadow);
  EXPECT_EQ(nio.ColWhiteLine(), clBtnHighlight);
  nio.SetColorScheme(csBWG);
  EXPECT_EQ(nio.ColGrayLine(), 0x808080);
}

TEST(NumIO2Settings, ChangingTheFormatRewritesTheValue) {
  TNumIO2 nio(nullptr);
  nio.SetNioValue(3.7);
  nio.SetInputFormat(itInt);
  EXPECT_EQ(nio.Text(), u"4");
  nio.SetInputFormat(itHex);
  EXPECT_EQ(nio.Text(), u"00000004");
  nio.SetInputFormat(itFixPoint);
  nio.SetFixPointDecPlaces(3);
  EXPECT_EQ(nio.Text(), u"4.000");
  nio.SetText(u"abc");  // refused by CheckValidity
  EXPECT_EQ(nio.Text(), u"4.000");
  EXPECT_TRUE(nio.OutOfRange() == false);
  nio.SetRangeHigh(3);
  EXPECT_TRUE(nio.OutOfRange());
}

TEST(NumIO2Component, AssignCopiesExactlyTheListedFields) {
  TNumIO2 a(nullptr), b(nullptr);
  a.SetLeftSpace(40), a.SetTextBoxWidth(70), a.SetFixPointDecPlaces(4), a.SetSignificantDigits(9);
  a.SetLeftText(u"L"), a.SetRightText(u"R"), a.SetFrameStyle(fsRaised), a.SetAlignment(taLeftJustify);
  a.SetLeftTextAlignment(taCenter), a.SetRightTextAlignment(taRightJustify), a.SetColorBoxBG(1);
  a.SetColorBoxText(2), a.SetColorOutBG(3), a.SetColorOutText(4), a.SetColorScheme(csSystem);
  a.SetInputFormat(itHex), a.SetText(u"ABC"), a.SetSelEnd(2), a.SetColorWarnBG(5), a.SetColorWarnText(6);
  a.SetDecPlaceSep(dsComma), a.SetHideSelection(false), a.SetRangeHigh(77), a.SetRangeLow(-7), a.SetBeep(true);
  a.SetAutoSize(true), a.SetReadOnly(true);
  a.SetButVisible(true), a.SetButWidth(30), a.SetGaugeVisible(true), a.SetButColor(9);
  a.ButtonPivots = {1, 2};
  a.OnChange = [](TObject*) {};
  b.Assign(&a);
  EXPECT_EQ(b.LeftSpace(), 40);
  EXPECT_EQ(b.TextBoxWidth(), 70);
  EXPECT_EQ(b.FixPointDecPlaces(), 4);
  EXPECT_EQ(b.SignificantDigits(), 9);
  EXPECT_EQ(b.LeftText(), u"L");
  EXPECT_EQ(b.RightText(), u"R");
  EXPECT_EQ(b.FrameStyle(), fsRaised);
  EXPECT_EQ(b.Alignment(), taLeftJustify);
  EXPECT_EQ(b.LeftTextAlignment(), taCenter);
  EXPECT_EQ(b.RightTextAlignment(), taRightJustify);
  EXPECT_EQ(b.ColorBoxBG(), 1);
  EXPECT_EQ(b.ColorBoxText(), 2);
  EXPECT_EQ(b.ColorOutBG(), 3);
  EXPECT_EQ(b.ColorOutText(), 4);
  EXPECT_EQ(b.ColorScheme(), csSystem);
  EXPECT_EQ(b.ColGrayLine(), clBtnShadow);
  EXPECT_EQ(b.InputFormat(), itHex);
  EXPECT_EQ(b.Text(), u"ABC");
  EXPECT_EQ(b.CaretPos(), 2);
  EXPECT_EQ(b.SelEnd(), 2);
  EXPECT_EQ(b.CaretVisible(), a.CaretVisible());
  EXPECT_EQ(b.ColorWarnBG(), 5);
  EXPECT_EQ(b.ColorWarnText(), 6);
  EXPECT_EQ(b.DecPlaceSep(), dsComma);
  EXPECT_FALSE(b.HideSelection());
  EXPECT_EQ(b.RangeLow(), -7);
  EXPECT_EQ(b.RangeHigh(), 77);
  EXPECT_TRUE(b.Beep());
  EXPECT_TRUE(b.AutoSize());
  EXPECT_TRUE(b.ReadOnly());
  // not copied: buttons, gauge, pivots, events
  EXPECT_FALSE(b.ButVisible());
  EXPECT_EQ(b.ButWidth(), 18);
  EXPECT_EQ(b.ButColor(), 0xC0C0C0);
  EXPECT_FALSE(b.GaugeVisible());
  EXPECT_TRUE(b.ButtonPivots.empty());
  EXPECT_FALSE(b.OnChange);
}
