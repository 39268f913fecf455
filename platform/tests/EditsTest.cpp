// Edit boxes and memos driven by the scripted user.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Clipbrd.h"
#include "Edits.h"
#include "SampleControls.h"
#include "ScrollBarTesting.h"
#include "Testing.h"

using namespace qelta;
using qelta::testing::BarShown;
using qelta::testing::PartCentre;
using qelta::testing::ScrollBarOf;
using qelta::testing::TScrollPart;

namespace {

/// An edit that records every Change with the text and caret it saw.
class TLoggingEdit : public TEdit {
 public:
  using TEdit::TEdit;
  std::vector<std::string> changes;
  std::function<void(TLoggingEdit*)> onChange;  // a Change that acts, as a validating edit would

 protected:
  void Change() override {
    changes.push_back(sample::Narrow(Text()) + "@" + std::to_string(SelStart()));
    if (onChange) onChange(this);
    TEdit::Change();
  }
};

struct EditFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TLoggingEdit* edit = new TLoggingEdit(form.get());
  TEdit* other = new TEdit(form.get());

  void SetUp() override {
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 21);
    other->SetParent(form.get());
    other->SetBounds(10, 50, 150, 21);
    user.Show(form.get());
    edit->SetFocus();
  }
};

}  // namespace

TEST_F(EditFixture, TypingFiresOneChangePerCharacterAndTheSameTextNone) {
  int events = 0;
  edit->OnChange = [&](TObject*) { ++events; };
  user.TypeText(u"1e5");
  EXPECT_EQ(edit->Text(), u"1e5");
  EXPECT_EQ(edit->changes, (std::vector<std::string>{"1@1", "1e@2", "1e5@3"}));
  EXPECT_EQ(events, 3);
  edit->SetText(u"1e5");
  EXPECT_EQ(events, 3);
  edit->SetText(u"42");
  EXPECT_EQ(events, 4);
  EXPECT_EQ(edit->SelStart(), 2);  // the caret stays, kept inside the shorter text
  EXPECT_TRUE(edit->Modified());
}

TEST_F(EditFixture, OnKeyPressSeesEnterAndEscapeBeforeTheEditActs) {
  std::u16string seen;
  edit->OnKeyPress = [&](TObject*, Char& key) {
    seen += key;
    if (key == u'x') key = 0;  // swallowed
    if (key == u'a') key = u'b';
  };
  user.TypeText(u"xa");
  user.PressKey(VK_RETURN);
  user.PressKey(VK_ESCAPE);
  EXPECT_EQ(seen, u"xa\r\x1b");
  EXPECT_EQ(edit->Text(), u"b");
}

TEST_F(EditFixture, CaretKeysSelectAndTypingReplacesTheSelection) {
  user.TypeText(u"abcdef");
  user.PressKey(VK_HOME);
  user.PressKey(VK_RIGHT);
  user.PressKey(VK_RIGHT, {ssShift});
  user.PressKey(VK_RIGHT, {ssShift});
  EXPECT_EQ(edit->SelStart(), 1);
  EXPECT_EQ(edit->SelLength(), 2);
  EXPECT_EQ(edit->SelText(), u"bc");
  user.TypeText(u"X");
  EXPECT_EQ(edit->Text(), u"aXdef");
  user.PressKey(VK_END);
  user.PressKey(VK_BACK);
  user.PressKey(VK_HOME);
  user.PressKey(VK_DELETE);
  EXPECT_EQ(edit->Text(), u"Xde");
  EXPECT_EQ(edit->changes.size(), 9u);
}

TEST_F(EditFixture, ClipboardKeysCopyCutAndPasteTheFirstLine) {
  user.TypeText(u"hello world");
  edit->SetSelStart(6);
  edit->SetSelLength(5);
  user.PressKey(VK_C, {ssCtrl});
  EXPECT_EQ(user.ClipboardText(), u"world");
  user.PressKey(VK_X, {ssCtrl});
  EXPECT_EQ(edit->Text(), u"hello ");
  Clipboard()->SetAsText(u"there\r\nnext line");
  user.PressKey(VK_V, {ssCtrl});
  EXPECT_EQ(edit->Text(), u"hello there");
}

TEST_F(EditFixture, ReadOnlyKeepsTheTextFromTheUserButNotFromCode) {
  edit->SetText(u"fixed");
  edit->SetReadOnly(true);
  edit->changes.clear();
  edit->SelectAll();
  user.TypeText(u"new");
  user.PressKey(VK_BACK);
  user.PressKey(VK_X, {ssCtrl});
  EXPECT_EQ(edit->Text(), u"fixed");
  EXPECT_EQ(user.ClipboardText(), u"");  // cutting does nothing at all
  user.PressKey(VK_C, {ssCtrl});
  EXPECT_EQ(user.ClipboardText(), u"fixed");  // copying still works
  edit->SetText(u"code");
  EXPECT_EQ(edit->changes, (std::vector<std::string>{"code@0"}));
}

TEST_F(EditFixture, AChangeThatPutsBackTheOldTextMayPlaceTheCaret) {
  // A validating edit refuses every character but digits, moving the caret one place left of where
  // the typed character had put it.
  String accepted;
  edit->onChange = [&](TLoggingEdit* e) {
    const String t = e->Text();
    if (t.find_first_not_of(u"0123456789") == String::npos) {
      accepted = t;
      return;
    }
    const int caret = e->SelStart();
    e->SetSelStart(caret - 1);
    e->SetText(accepted);
  };
  user.TypeText(u"12x3");
  EXPECT_EQ(edit->Text(), u"123");
  EXPECT_EQ(edit->SelStart(), 3);
}

TEST_F(EditFixture, TheMousePlacesTheCaretAndDragsSelect) {
  edit->SetText(u"iiiiiiii");
  user.Click(edit, 3, 10);
  EXPECT_EQ(edit->SelStart(), 0);
  user.Drag(edit, 3, 10, 140, 10);
  EXPECT_EQ(edit->SelStart(), 0);
  EXPECT_EQ(edit->SelLength(), 8);
}

TEST_F(EditFixture, EnteringByTabSelectsAllAndTheFocusShowsTheCaret) {
  other->SetText(u"abc");
  user.PressKey(VK_TAB);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(other->SelLength(), 3);
  auto focused = user.Grab(other);
  other->SetAutoSelect(false);
  edit->SetFocus();
  auto unfocused = user.Grab(other);
  int highlighted = 0;
  for (int y = 0; y < focused->Height(); ++y)
    for (int x = 0; x < focused->Width(); ++x)
      highlighted += focused->Canvas()->Pixels(x, y) == ColorToRGB(clHighlight);
  EXPECT_GT(highlighted, 20);
  for (int y = 0; y < unfocused->Height(); ++y)
    for (int x = 0; x < unfocused->Width(); ++x) EXPECT_NE(unfocused->Canvas()->Pixels(x, y), ColorToRGB(clHighlight));
}

TEST(TMemo, EnterBreaksLinesAndLinesFollowTheText) {
  TScriptedUser user;
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  user.Show(&form);
  memo->SetFocus();
  int changes = 0;
  memo->OnChange = [&](TObject*) { ++changes; };
  user.TypeText(u"one\rtwo");
  EXPECT_EQ(memo->Text(), u"one\r\ntwo");
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(1), u"two");
  EXPECT_EQ(changes, 7);
  user.PressKey(VK_UP);
  user.TypeText(u"!");
  EXPECT_EQ(memo->Text(), u"one!\r\ntwo");
  user.PressKey(VK_DOWN);
  user.PressKey(VK_HOME);
  user.PressKey(VK_BACK);  // joins the lines: CR LF goes as one
  EXPECT_EQ(memo->Text(), u"one!two");
  memo->Lines()->Add(u"three");
  EXPECT_EQ(memo->Text(), u"one!two\r\nthree");
  memo->SetWantReturns(false);
  String seen;
  memo->OnKeyPress = [&](TObject*, Char& k) { seen += k; };
  user.PressKey(VK_RETURN);
  EXPECT_EQ(seen, u"\r");
  EXPECT_EQ(memo->Lines()->Count(), 2);
}

// --- the memo's scroll bars ----------------------------------------------------------------------

namespace {

/// A memo that tells its first line shown and how far its text is scrolled to the left.
class TViewMemo : public TMemo {
 public:
  using TMemo::TMemo;
  using TCustomEdit::ScrollX;
  using TCustomEdit::TopLine;
};

/// A memo of 185 x 89 holding "line 0" .. "line 19" on a shown form.
struct MemoFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TViewMemo* memo = new TViewMemo(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 300, 200);
    memo->SetParent(form.get());
    memo->SetBounds(10, 10, 185, 89);
    for (int i = 0; i < 20; ++i) memo->Lines()->Add(u"line " + IntToStr(i));
    user.Show(form.get());
  }
  void ClickPart(bool vertical, TScrollPart part) {
    const TPoint p = PartCentre(memo, vertical, part);
    user.Click(memo, p.X, p.Y);
  }
  int Rows() const { return ScrollBarOf(memo, true)->Info().Page; }
};

}  // namespace

TEST_F(MemoFixture, TheVerticalBarScrollsTheLinesAndAClickFindsTheLineShown) {
  EXPECT_FALSE(BarShown(memo, true));  // ssNone by default
  memo->SetScrollBars(ssVertical);
  ASSERT_TRUE(BarShown(memo, true));
  EXPECT_FALSE(BarShown(memo, false));
  EXPECT_EQ(memo->ClientWidth(), 185 - 16);
  EXPECT_EQ(ScrollBarOf(memo, true)->BoundsRect(), Rect(185 - 2 - 16, 2, 185 - 2, 89 - 2));  // inside the border
  for (int i = 0; i < 3; ++i) ClickPart(true, TScrollPart::LineForward);
  EXPECT_EQ(memo->TopLine(), 3);
  ClickPart(true, TScrollPart::PageForward);
  EXPECT_EQ(memo->TopLine(), 3 + Rows());
  user.Click(memo, 4, 6);  // before the first line shown: the caret goes there, the view stays
  user.TypeText(u"X");
  EXPECT_EQ(memo->Lines()->Strings(3 + Rows()), u"Xline " + IntToStr(3 + Rows()));
  EXPECT_EQ(memo->TopLine(), 3 + Rows());
  user.PressKey(VK_END, {ssCtrl});  // a key brings the caret into view, and the thumb follows
  EXPECT_EQ(memo->TopLine(), 20 - Rows());
  EXPECT_EQ(ScrollBarOf(memo, true)->Info().Position, ScrollBarOf(memo, true)->Info().Max);
  const TPoint thumb = PartCentre(memo, true, TScrollPart::Thumb);
  user.Drag(memo, thumb.X, thumb.Y, thumb.X, -100);
  EXPECT_EQ(memo->TopLine(), 0);
  EXPECT_EQ(memo->Lines()->Count(), 20);  // no click reached the text through the bar
}

// Regression: the wheel and PgUp/PgDn left a memo's view on its first line; the lines below it could
// be reached only by dragging the bar.
TEST_F(MemoFixture, TheWheelScrollsTheViewAndThePageKeysMoveTheCaretAPage) {
  memo->SetScrollBars(ssVertical);
  memo->SetFocus();
  const int rows = Rows();
  ASSERT_TRUE(rows > 1 && 5 * rows >= 19 && 2 * rows < 17) << rows;  // five pages reach the last line
  auto lineStart = [&](int line) { return static_cast<int>(memo->Text().find(u"line " + IntToStr(line))); };
  user.Wheel(memo, 20, 20, -WHEEL_DELTA);
  EXPECT_EQ(memo->TopLine(), 3);  // three lines a notch; the caret stays
  EXPECT_EQ(memo->SelStart(), 0);
  EXPECT_EQ(ScrollBarOf(memo, true)->Info().Position, 3);
  user.Wheel(memo, 20, 20, -10 * WHEEL_DELTA);
  EXPECT_EQ(memo->TopLine(), 20 - rows);  // not past the last page
  user.Wheel(memo, 20, 20, WHEEL_DELTA);
  EXPECT_EQ(memo->TopLine(), 17 - rows);
  user.PressKey(VK_HOME, {ssCtrl});
  ASSERT_EQ(memo->TopLine(), 0);
  user.PressKey(VK_NEXT);
  EXPECT_EQ(memo->SelStart(), lineStart(rows));
  EXPECT_EQ(memo->TopLine(), rows);
  for (int i = 0; i < 4; ++i) user.PressKey(VK_NEXT);
  EXPECT_EQ(memo->SelStart(), lineStart(19));  // the last line; the view shows the last page
  EXPECT_EQ(memo->TopLine(), 20 - rows);
  user.PressKey(VK_PRIOR, {ssShift});
  EXPECT_EQ(memo->SelStart(), lineStart(19 - rows));
  EXPECT_EQ(memo->SelLength(), lineStart(19) - lineStart(19 - rows));
  EXPECT_EQ(memo->TopLine(), 20 - 2 * rows);
  EXPECT_EQ(memo->Lines()->Count(), 20);
}

TEST_F(MemoFixture, AMemoScrolledDownWhoseTextShrinksShowsItsFirstLine) {
  // Regression: a memo scrolled down whose text got shorter stayed scrolled past its end and showed nothing.
  memo->SetFocus();
  user.PressKey(VK_END, {ssCtrl});
  ASSERT_GT(memo->TopLine(), 0);
  memo->SetText(u"one\r\ntwo");
  EXPECT_EQ(memo->TopLine(), 0);
}

TEST_F(MemoFixture, TheHorizontalBarScrollsLongLinesByADigitOrAPage) {
  memo->SetScrollBars(ssBoth);
  EXPECT_FALSE(BarShown(memo, false));  // short lines
  memo->Lines()->Add(u"a line much longer than the memo is wide, to be scrolled into view");
  ASSERT_TRUE(BarShown(memo, false));
  EXPECT_EQ(memo->ClientHeight(), 89 - 16);
  TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(memo->Font());
  const int digit = measure.Canvas()->TextWidth(u"0");
  ClickPart(false, TScrollPart::LineForward);
  EXPECT_EQ(memo->ScrollX(), digit);
  ClickPart(false, TScrollPart::PageForward);
  EXPECT_EQ(memo->ScrollX(), digit + ScrollBarOf(memo, false)->Info().Page);
  ClickPart(false, TScrollPart::LineBack);
  EXPECT_EQ(memo->ScrollX(), ScrollBarOf(memo, false)->Info().Page);
  memo->SetScrollBars(ssNone);
  EXPECT_FALSE(BarShown(memo, true));
  EXPECT_FALSE(BarShown(memo, false));
  EXPECT_EQ(memo->ClientWidth(), 185);
}
