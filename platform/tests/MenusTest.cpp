// Popup menus: built at run time, opened by Popup or a right click, answered by the scripted user.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Menus.h"
#include "SampleControls.h"
#include "Testing.h"

using namespace qelta;
using qelta::sample::TSample;

namespace {

TMenuItem* AddItem(TMenuItem* parent, const String& caption, std::vector<std::string>* log = nullptr) {
  auto* item = new TMenuItem(nullptr);
  item->SetCaption(caption);
  if (log != nullptr) item->OnClick = [log, caption](TObject*) { log->push_back(sample::Narrow(caption)); };
  parent->Add(item);
  return item;
}

struct MenuFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TSample* target = new TSample(form.get(), form.get(), Rect(20, 20, 120, 80));
  TPopupMenu* menu = new TPopupMenu(form.get());
  std::vector<std::string> log;
  TMenuItem* sub = nullptr;

  void SetUp() override {
    form->SetBounds(100, 100, 300, 200);
    AddItem(menu->Items(), u"Copy", &log);
    AddItem(menu->Items(), u"-");
    sub = AddItem(menu->Items(), u"Mark");
    AddItem(sub, u"Range", &log);
    AddItem(sub, u"Column", &log);
    AddItem(menu->Items(), u"Paste", &log)->SetEnabled(false);
    target->SetPopupMenu(menu);
    user.Show(form.get());
  }
};

}  // namespace

TEST_F(MenuFixture, RightClickOpensThePopupMenuAndASubmenuItemRunsAfterPopupReturned) {
  bool showingWhenClicked = true;
  sub->Items(1)->OnClick = [&](TObject*) {
    showingWhenClicked = menu->Showing();
    log.push_back("Column");
  };
  menu->OnPopup = [&](TObject*) { log.push_back("popup"); };
  user.WhenPopupShows({u"Mark", u"Column"});
  user.Click(target, 30, 40, mbRight);
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "Column"}));
  EXPECT_FALSE(showingWhenClicked);
  EXPECT_EQ(menu->PopupComponent(), target);
  EXPECT_EQ(menu->PopupPoint(), target->ClientToScreen(Point(30, 40)));
  EXPECT_EQ(target->ClientOrigin(), Point(120, 120));
  EXPECT_EQ(user.OpenPopup(), nullptr);
}

TEST_F(MenuFixture, AnItemClickMayOpenTheMenuAgain) {
  int opened = 0;
  menu->OnPopup = [&](TObject*) { ++opened; };
  menu->Items()->Items(0)->OnClick = [&](TObject*) {
    log.push_back("Copy");
    if (opened == 1) {
      user.WhenPopupShows({u"Mark", u"Range"});
      menu->Popup(200, 200);
    }
  };
  user.WhenPopupShows({u"Copy"});
  user.Click(target, 30, 40, mbRight);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"Copy", "Range"}));
}

TEST_F(MenuFixture, CancelledDisabledAndSeparatorChoicesRunNothing) {
  user.WhenPopupShows({});
  user.Click(target, 30, 40, mbRight);
  // A click on a disabled item or a separator leaves the menu open; the Esc that follows ends it.
  user.WhenPopupShows([&](TPopupWindow* popup) {
    TRect r;
    ASSERT_TRUE(popup->EntryRect(u"Paste", r));
    user.Click(popup, r.Left + 5, r.Top + 3);
    ASSERT_TRUE(popup->EntryRect(u"-", r));
    user.Click(popup, r.Left + 5, r.Top + 3);
    user.PressKey(VK_ESCAPE);
  });
  menu->Popup(300, 300);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(user.OpenPopup(), nullptr);
}

TEST_F(MenuFixture, KeysWalkTheMenuAndEnterChooses) {
  user.WhenPopupShows([&](TPopupWindow*) {
    user.PressKey(VK_DOWN);   // Copy
    user.PressKey(VK_DOWN);   // Mark (the separator is skipped)
    user.PressKey(VK_RIGHT);  // opens the submenu at Range
    user.PressKey(VK_DOWN);   // Column
    user.PressKey(VK_LEFT);   // back to the menu
    user.PressKey(VK_RIGHT);
    user.PressKey(VK_RETURN);  // Range
  });
  menu->Popup(300, 300);
  EXPECT_TRUE(log.empty());  // posted: it runs from the loop
  user.Process();
  EXPECT_EQ(log, (std::vector<std::string>{"Range"}));
}

TEST_F(MenuFixture, APressOutsideClosesTheMenuAndGoesNowhere) {
  target->log.clear();
  user.WhenPopupShows([&](TPopupWindow*) { user.Click(target, 50, 50); });
  menu->Popup(10, 10);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(user.OpenPopup(), nullptr);
  for (const std::string& entry : target->log) EXPECT_EQ(entry.find("down"), std::string::npos) << entry;
}

TEST_F(MenuFixture, AMissingEntryInAScriptRaises) {
  user.WhenPopupShows({u"Nothing"});
  EXPECT_THROW_MSG(menu->Popup(10, 10), EInvalidOperation, "The popup has no entry \"Nothing\"");
  EXPECT_EQ(user.OpenPopup(), nullptr);
}

TEST_F(MenuFixture, AnItemFreedBeforeItsPostedClickDoesNotRun) {
  TMenuItem* copy = menu->Items()->Items(0);
  user.WhenPopupShows({u"Copy"});
  menu->Popup(10, 10);
  delete copy;
  user.Process();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(menu->Items()->Count(), 3);
}

TEST_F(MenuFixture, AMenuOpenedFromAPressTakesTheMouseFromTheControlHoldingIt) {
  // The press gave the control the capture; the menu's entries must still get the clicks.
  target->SetPopupMenu(nullptr);
  target->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button == mbRight) menu->Popup(target->ClientOrigin().X + x, target->ClientOrigin().Y + y);
  };
  user.WhenPopupShows({u"Copy"});
  user.Press(target, 30, 40, mbRight);  // the button is still held while the user clicks the entry
  EXPECT_EQ(log, (std::vector<std::string>{"Copy"}));
  EXPECT_EQ(GetCaptureControl(), nullptr);
  user.Release(target, 30, 40, mbRight);
  EXPECT_EQ(user.OpenPopup(), nullptr);
}

TEST(TMenuItem, OwnsItsSubmenuAndMovesItemsBetweenParents) {
  auto root = std::make_unique<TMenuItem>(nullptr);
  TMenuItem* a = AddItem(root.get(), u"A");
  TMenuItem* b = AddItem(root.get(), u"B");
  TMenuItem* inner = AddItem(a, u"Inner");
  EXPECT_EQ(root->Find(u"B"), b);
  EXPECT_EQ(b->MenuIndex(), 1);
  b->Add(inner);
  EXPECT_EQ(a->Count(), 0);
  EXPECT_EQ(inner->Parent(), b);
  EXPECT_THROW(inner->Add(root.get()), EInvalidOperation);
  EXPECT_THROW_MSG(root->Items(2), EListError, "List index out of bounds (2)");
  root->Delete(0);  // taken out, not freed
  EXPECT_EQ(a->Parent(), nullptr);
  delete a;
  EXPECT_EQ(root->Count(), 1);
}
