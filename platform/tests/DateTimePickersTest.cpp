// Date/time pickers: the pattern shown, fields chosen by click or Left/Right, stepped, typed.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "DateTimePickers.h"
#include "SampleControls.h"
#include "Testing.h"

using namespace qelta;

namespace {

struct PickerFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TDateTimePicker* picker = new TDateTimePicker(form.get());
  int changes = 0;

  void SetUp() override {
    picker->SetParent(form.get());
    picker->SetBounds(10, 10, 200, 21);
    picker->SetDateTime(EncodeDateTime(2023, 12, 24, 18, 5, 0, 0));
    picker->OnChange = [this](TObject*) { ++changes; };
    user.Show(form.get());
    picker->SetFocus();
  }
  String Shown(const char16_t* format) {
    picker->SetFormat(format);
    return picker->DisplayText();
  }
};

}  // namespace

TEST_F(PickerFixture, ShowsTheValueInTheTokensOfThePattern) {
  EXPECT_EQ(Shown(u""), u"12/24/2023");
  EXPECT_EQ(Shown(u"dd.MM.yyyy"), u"24.12.2023");
  EXPECT_EQ(Shown(u"ddd, d MMM yy"), u"Sun, 24 Dec 23");
  EXPECT_EQ(Shown(u"hh:mm tt"), u"06:05 PM");
  EXPECT_EQ(Shown(u"'week of' MMMM"), u"week of December");
  EXPECT_EQ(picker->FieldCount(), 1);
  EXPECT_EQ(Shown(u"dd.MM.yyyy HH:mm:ss"), u"24.12.2023 18:05:00");
  EXPECT_EQ(picker->FieldCount(), 6);
  EXPECT_EQ(FormatDateTimePattern(picker->Format(), picker->DateTime()), picker->DisplayText());
}

TEST_F(PickerFixture, UpAndDownStepTheChosenFieldWithinItsRange) {
  picker->SetFormat(u"dd.MM.yyyy HH:mm");
  struct Case {
    Word key;
    const char16_t* shown;
  };
  const Case cases[] = {
      {VK_UP, u"25.12.2023 18:05"},    {VK_RIGHT, u"25.12.2023 18:05"}, {VK_UP, u"25.01.2023 18:05"},
      {VK_LEFT, u"25.01.2023 18:05"},  {VK_DOWN, u"24.01.2023 18:05"},  {VK_RIGHT, u"24.01.2023 18:05"},
      {VK_RIGHT, u"24.01.2023 18:05"}, {VK_RIGHT, u"24.01.2023 18:05"}, {VK_UP, u"24.01.2023 19:05"},
      {VK_RIGHT, u"24.01.2023 19:05"}, {VK_DOWN, u"24.01.2023 19:04"},  {VK_RIGHT, u"24.01.2023 19:04"},
      {VK_UP, u"24.01.2023 19:05"}};
  for (const Case& k : cases) {
    user.PressKey(k.key);
    EXPECT_EQ(picker->DisplayText(), String(k.shown)) << k.key;
  }
  EXPECT_EQ(picker->Field(), 4);  // Right stops at the last field
  EXPECT_EQ(changes, 6);
  picker->SetDateTime(EncodeDate(2024, 1, 31));
  picker->SetField(1);
  user.PressKey(VK_UP);  // 31 January -> February keeps a day of February
  EXPECT_EQ(picker->DisplayText(), u"29.02.2024 00:00");
}

TEST_F(PickerFixture, DigitsAreTypedInAndMoveOnWhenTheFieldIsFull) {
  picker->SetFormat(u"dd.MM.yyyy hh:mm tt");
  user.TypeText(u"0703");
  EXPECT_EQ(picker->DisplayText(), u"07.03.2023 06:05 PM");
  EXPECT_EQ(picker->Field(), 2);
  user.TypeText(u"1999");
  EXPECT_EQ(picker->DisplayText(), u"07.03.1999 06:05 PM");
  user.TypeText(u"9");  // 9 is the hour's full value: no 90 is possible
  EXPECT_EQ(picker->DisplayText(), u"07.03.1999 09:05 PM");
  EXPECT_EQ(picker->Field(), 4);
  user.TypeText(u"3");
  user.TypeText(u"7");
  user.TypeText(u"a");
  EXPECT_EQ(picker->DisplayText(), u"07.03.1999 09:37 AM");
  EXPECT_EQ(picker->DateTime(), EncodeDateTime(1999, 3, 7, 9, 37, 0, 0));
}

TEST_F(PickerFixture, AClickChoosesTheFieldUnderThePointer) {
  picker->SetFormat(u"yyyy-MM-dd");
  TBitmap probe(1, 1);
  const int x = 4 + probe.Canvas()->TextWidth(u"2023-1");
  user.Click(picker, x, 8);
  EXPECT_EQ(picker->Field(), 1);
  user.PressKey(VK_DOWN);
  EXPECT_EQ(picker->DisplayText(), u"2023-11-24");
  user.Advance(1000);
  user.Click(picker, 190, 8);
  EXPECT_EQ(picker->Field(), 2);
}

TEST_F(PickerFixture, CodeFiresChangeOnlyForAnotherValue) {
  picker->SetDateTime(picker->DateTime());
  EXPECT_EQ(changes, 0);
  picker->SetDateTime(0);
  EXPECT_EQ(changes, 1);
  picker->SetDateTime(-1e9);  // no year 1..9999: ignored
  EXPECT_EQ(picker->DateTime(), 0);
  EXPECT_EQ(changes, 1);
}
