// Combo boxes: user choices and code, the list, editing, owner drawing.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "ComboBoxes.h"
#include "SampleControls.h"
#include "SysUtils.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// A combo box that logs its virtual events.
class TLoggingCombo : public TComboBox {
 public:
  using TComboBox::TComboBox;
  std::vector<std::string> log;
  using TComboBox::FieldRect;

 protected:
  void Click() override {
    log.push_back("click:" + std::to_string(ItemIndex()));
    TComboBox::Click();
  }
  void Change() override {
    log.push_back("change:" + sample::Narrow(Text()));
    TComboBox::Change();
  }
  void DropDown() override {
    log.push_back("dropdown");
    TComboBox::DropDown();
  }
  void CloseUp() override {
    log.push_back("closeup");
    TComboBox::CloseUp();
  }
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override {
    log.push_back("draw:" + std::to_string(Index) + (State.Contains(odComboBoxEdit) ? ":edit" : "") +
                  (State.Contains(odSelected) ? ":selected" : ""));
    TComboBox::DrawItem(Index, Rect, State);
  }
};

struct ComboFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TLoggingCombo* combo = new TLoggingCombo(form.get());

  void SetUp() override {
    form->SetBounds(100, 100, 300, 300);
    combo->SetParent(form.get());
    combo->SetBounds(10, 10, 150, 0);
    combo->SetStyle(csDropDownList);
    for (const char16_t* s : {u"low", u"mid", u"high", u"max"}) combo->Items()->Add(s);
    user.Show(form.get());
  }
  void Open() { user.Click(combo, combo->Width() - 5, 5); }
};

}  // namespace

TEST_F(ComboFixture, AUsersChoiceFiresClickThenChangeAndCodeFiresNothing) {
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), u"mid");
  combo->SetText(u"high");
  EXPECT_EQ(combo->ItemIndex(), 2);
  combo->SetText(u"none");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), u"");
  EXPECT_TRUE(combo->log.empty());
  Open();
  ASSERT_NE(user.OpenPopup(), nullptr);
  user.ClickPopupEntry(u"max");
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_EQ(combo->Text(), u"max");
  EXPECT_EQ(combo->log, (std::vector<std::string>{"dropdown", "closeup", "click:3", "change:max"}));
  EXPECT_FALSE(combo->DroppedDown());
}

// Regression: OnCloseUp ran before the choice was taken, so its handler saw the old ItemIndex and Text.
TEST(ComboBoxCloseUp, SeesTheChoiceMadeInTheList) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(100, 100, 300, 300);
  for (TComboBoxStyle style : {csDropDownList, csDropDown}) {
    TComboBox combo(&form);
    combo.SetParent(&form);
    combo.SetStyle(style);
    for (int i = 0; i < 8; ++i) combo.Items()->Add(u"choice " + IntToStr(i));
    combo.SetItemIndex(0);
    std::vector<std::string> seen;
    combo.OnCloseUp = [&](TObject*) { seen.push_back("closeup " + sample::Narrow(combo.Text())); };
    combo.OnChange = [&](TObject*) { seen.push_back("change " + std::to_string(combo.ItemIndex())); };
    user.Show(&form);
    user.Click(&combo, combo.Width() - 5, 5);
    user.ClickPopupEntry(u"choice 6");
    EXPECT_EQ(seen, (std::vector<std::string>{"closeup choice 6", "change 6"})) << style;
  }
}

TEST_F(ComboFixture, KeysChooseOnTheClosedBoxAndWalkTheOpenList) {
  combo->SetFocus();
  user.PressKey(VK_DOWN);  // none chosen: the first item
  user.PressKey(VK_DOWN);
  user.TypeText(u"h");  // the next item beginning with h
  EXPECT_EQ(combo->ItemIndex(), 2);
  user.PressKey(VK_DOWN, {ssAlt});
  EXPECT_TRUE(combo->DroppedDown());
  user.PressKey(VK_UP);
  user.PressKey(VK_UP);
  user.PressKey(VK_RETURN);  // chooses in the list; the Enter goes no further
  EXPECT_EQ(combo->ItemIndex(), 0);
  user.PressKey(VK_F4);
  user.PressKey(VK_DOWN);
  user.PressKey(VK_ESCAPE);  // closes without a choice
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->log,
            (std::vector<std::string>{"click:0", "change:low", "click:1", "change:mid", "click:2", "change:high",
                                      "dropdown", "closeup", "click:0", "change:low", "dropdown", "closeup"}));
}

TEST_F(ComboFixture, APressOutsideOrTheLossOfTheFocusClosesTheList) {
  auto* other = new TComboBox(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 200, 100, 0);
  Open();
  user.Click(form.get(), 250, 250);
  EXPECT_FALSE(combo->DroppedDown());
  Open();
  other->SetFocus();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(user.OpenPopup(), nullptr);
}

TEST_F(ComboFixture, AnEditableBoxChangesPerTypedCharacter) {
  combo->SetStyle(csDropDown);
  combo->SetFocus();
  user.TypeText(u"mi");
  EXPECT_EQ(combo->Text(), u"mi");
  EXPECT_EQ(combo->ItemIndex(), -1);
  user.TypeText(u"d");
  EXPECT_EQ(combo->ItemIndex(), 1);
  user.PressKey(VK_BACK);
  EXPECT_EQ(combo->log, (std::vector<std::string>{"change:m", "change:mi", "change:mid", "change:mi"}));
  combo->SetText(u"code");
  EXPECT_EQ(combo->log.size(), 4u);
  user.Click(combo, 100, 5);  // the field, right of the text: the caret to the end, no list
  EXPECT_FALSE(combo->DroppedDown());
  Open();
  EXPECT_TRUE(combo->DroppedDown());
  user.TypeText(u"!");  // typed while open: goes to the field
  EXPECT_EQ(combo->Text(), u"code!");
}

TEST_F(ComboFixture, OwnerDrawnItemsAndTheFieldAreDrawnByDrawItem) {
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetItemHeight(20);
  combo->SetItemIndex(2);
  combo->SetFocus();
  user.Process();
  ASSERT_FALSE(combo->log.empty());
  EXPECT_EQ(combo->log.back(), "draw:2:edit:selected");
  combo->log.clear();
  Open();
  ASSERT_NE(user.OpenPopup(), nullptr);
  user.Grab(user.OpenPopup());
  EXPECT_NE(std::find(combo->log.begin(), combo->log.end(), "draw:0"), combo->log.end());
  EXPECT_NE(std::find(combo->log.begin(), combo->log.end(), "draw:2:selected"), combo->log.end());
  EXPECT_EQ(user.OpenPopup()->Height(), 4 * 20 + 2);
}

TEST_F(ComboFixture, DropDownMayChangeTheItemsBeforeTheListOpens) {
  combo->OnDropDown = [&](TObject*) {
    combo->Items()->Clear();
    combo->Items()->Add(u"fresh");
  };
  Open();
  user.ClickPopupEntry(u"fresh");
  EXPECT_EQ(combo->Text(), u"fresh");
}
