// Input rules: capture, the double-click order, shift state, wheel, enter and leave, cursors,
// focus and Tab, dialog codes, key codes and KeyPress changes, exceptions inside handlers.
#include <gtest/gtest.h>

#include "Assertions.h"
#include "SampleControls.h"

using namespace qelta;
using namespace qelta::sample;

namespace {

using Log = std::vector<std::string>;

/// The entries of a log that start with one of the prefixes.
Log Only(const Log& log, std::initializer_list<const char*> prefixes) {
  Log out;
  for (const std::string& e : log)
    for (const char* p : prefixes)
      if (e.rfind(p, 0) == 0) {
        out.push_back(e);
        break;
      }
  return out;
}

class InputTest : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  TSample a{&form, &form, Rect(10, 10, 60, 40)};
  TSample b{&form, &form, Rect(70, 10, 120, 40)};
  TSample c{&form, &form, Rect(130, 10, 180, 40)};
  void SetUp() override {
    form.SetBounds(100, 50, 200, 120);
    a.SetName(u"a");
    b.SetName(u"b");
    c.SetName(u"c");
    user.Show(&form);
    a.log.clear();
  }
};

// --- mouse ------------------------------------------------------------------------------------

TEST_F(InputTest, TheControlPressedKeepsTheMouseUntilRelease) {
  a.logMoves = true;
  user.Press(&a, 5, 5);
  EXPECT_EQ(GetCaptureControl(), &a);
  user.MoveTo(&b, 10, 10);  // over b, still a's: coordinates in a's client area
  user.Release(&b, 10, 10);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  // Released outside: no click. The pointer left a on the way.
  EXPECT_EQ(a.log, (Log{"enter", "move()@5,5", "down0(Left)@5,5", "leave", "move(Left)@70,10", "up0()@70,10"}));
  EXPECT_EQ(b.log, (Log{"enter"}));  // b saw the pointer come, but no button or move
}

TEST_F(InputTest, WithoutCaptureMouseTheMoveGoesToTheControlUnderThePointer) {
  a.SetControlStyle(a.ControlStyle() - TControlStyle{csCaptureMouse});
  b.logMoves = true;
  user.Press(&a, 5, 5);
  user.MoveTo(&b, 1, 2);
  EXPECT_EQ(b.log, (Log{"enter", "move(Left)@1,2"}));
  user.Release(&b, 1, 2);
}

TEST_F(InputTest, ClickAndDoubleClickFollowThePlatformOrder) {
  user.DoubleClick(&a, 5, 5);
  EXPECT_EQ(Only(a.log, {"down", "up", "click", "dbl"}),
            (Log{"down0(Left)@5,5", "up0()@5,5", "click", "dblclick", "down0(Left+Double)@5,5", "up0()@5,5"}));
}

struct SecondPress {
  const char* what;
  int64_t waitMs;
  int dx;
  TMouseButton button;
  bool doubled;
};

TEST_F(InputTest, ASecondPressIsADoubleClickOnlyWithinTimeAndPlace) {
  const SecondPress cases[] = {
      {"at once", 0, 0, mbLeft, true},        {"500 ms later", 500, 0, mbLeft, true},
      {"501 ms later", 501, 0, mbLeft, false}, {"2 pixels off", 0, 2, mbLeft, true},
      {"3 pixels off", 0, 3, mbLeft, false},  {"other button", 0, 0, mbRight, false},
  };
  for (const SecondPress& k : cases) {
    user.Advance(10000);  // forget earlier presses
    user.Click(&a, 20, 20);
    user.Advance(k.waitMs);
    a.log.clear();
    user.Click(&a, 20 + k.dx, 20, k.button);
    const bool doubled = a.log.size() > 1 && a.log[1].find("Double") != std::string::npos;
    EXPECT_EQ(doubled, k.doubled) << k.what;
  }
  // A third quick press starts over: no triple click.
  user.Advance(10000);
  user.DoubleClick(&a, 5, 5);
  a.log.clear();
  user.Click(&a, 5, 5);
  EXPECT_EQ(a.log, (Log{"down0(Left)@5,5", "up0()@5,5", "click"}));
}

TEST_F(InputTest, WithoutDoubleClicksAQuickSecondPressIsAnotherClick) {
  a.SetControlStyle(a.ControlStyle() - TControlStyle{csDoubleClicks});
  user.DoubleClick(&a, 5, 5);
  EXPECT_EQ(std::count(a.log.begin(), a.log.end(), "click"), 2);
}

TEST_F(InputTest, ShiftStateComesFromKeysAndButtons) {
  user.Press(&a, 1, 1, mbRight, {ssShift, ssCtrl});
  user.Release(&a, 1, 1, mbRight);
  user.KeyDown(VK_MENU);
  user.Click(&a, 2, 2, mbMiddle);
  user.KeyUp(VK_MENU);
  EXPECT_EQ(Only(a.log, {"down", "up"}),
            (Log{"down1(Shift+Ctrl+Right)@1,1", "up1()@1,1", "down2(Alt+Middle)@2,2", "up2(Alt)@2,2"}));
}

TEST_F(InputTest, KeyEventsCarryOnlyTheModifierKeys) {
  user.Press(&a, 5, 5);
  user.PressKey(VK_X, {ssShift});
  user.Release(&a, 5, 5);
  EXPECT_EQ(Only(a.log, {"keydown88"}), (Log{"keydown88(Shift)"}));  // no ssLeft for the held button
}

TEST_F(InputTest, DisablingTheControlHoldingTheMouseReleasesIt) {
  user.Press(&a, 5, 5);
  a.SetEnabled(false);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  user.Release(&a, 5, 5);
  EXPECT_EQ(Only(a.log, {"up"}), Log{});
}

TEST_F(InputTest, DisabledAndHiddenControlsGetNoMouseInput) {
  int formClicks = 0;
  form.OnClick = [&](TObject*) { ++formClicks; };
  a.SetEnabled(false);
  user.Click(&a, 5, 5);
  b.Hide();
  user.Click(&form, 80, 20);  // where b was
  EXPECT_TRUE(a.log.empty());
  EXPECT_TRUE(b.log.empty());
  EXPECT_EQ(formClicks, 2);  // both fell through to the form
}

TEST_F(InputTest, MouseEnterAndLeaveFollowThePointer) {
  int enters = 0, leaves = 0;
  b.OnMouseEnter = [&](TObject*) { ++enters; };
  b.OnMouseLeave = [&](TObject*) { ++leaves; };
  user.MoveTo(&a, 1, 1);
  user.MoveTo(&b, 1, 1);
  user.MoveTo(&b, 2, 2);
  user.MoveTo(&form, 1, 1);
  EXPECT_EQ(a.log, (Log{"enter", "leave"}));
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
}

TEST_F(InputTest, TheWheelGoesToTheFocusedControlThenItsParents) {
  TSample inner(&form, &a, Rect(1, 1, 10, 10));
  Log seen;
  inner.OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    seen.push_back("inner" + std::to_string(delta));
    handled = false;
  };
  a.OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
    seen.push_back("a-down");
    handled = true;
  };
  form.OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { seen.push_back("form"); };
  inner.SetFocus();
  user.Wheel(&c, 5, 5, -WHEEL_DELTA);  // the pointer elsewhere: the focus decides
  EXPECT_EQ(seen, (Log{"inner-120", "a-down"}));
  seen.clear();
  user.Wheel(&c, 5, 5, WHEEL_DELTA);  // nobody handles "up": every parent is asked
  EXPECT_EQ(seen, (Log{"inner120", "form"}));
}

TEST_F(InputTest, TheCursorShownIsTheOverrideOrTheOneOfTheControlUnderThePointer) {
  TSample inner(&form, &a, Rect(1, 1, 10, 10));
  a.SetCursor(crHandPoint);
  user.MoveTo(&inner, 2, 2);
  EXPECT_EQ(user.EffectiveCursor(), crHandPoint);  // inherited from a
  inner.SetCursor(crCross);
  EXPECT_EQ(user.EffectiveCursor(), crCross);
  Screen()->SetCursor(crHourGlass);
  EXPECT_EQ(user.EffectiveCursor(), crHourGlass);
  Screen()->SetCursor(crDefault);
  user.MoveTo(&b, 1, 1);
  EXPECT_EQ(user.EffectiveCursor(), crDefault);
}

TEST_F(InputTest, AnExceptionInAHandlerDoesNotStopTheLoop) {
  int clicks = 0;
  std::vector<std::string> errors;
  Application->OnException = [&](TObject* sender, const Exception& e) {
    EXPECT_EQ(sender, static_cast<TObject*>(Application));
    errors.push_back(e.what());
  };
  a.OnClick = [&](TObject*) {
    ++clicks;
    throw EConvertError("'x' is not a valid number");
  };
  user.Click(&a, 5, 5);
  user.Advance(1000);
  user.Click(&a, 5, 5);
  Application->OnException = nullptr;
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(GetCaptureControl(), nullptr);  // the release was still handled
}

// --- focus and keys ---------------------------------------------------------------------------

TEST_F(InputTest, ShowingAFormFocusesItsFirstTabStop) {
  EXPECT_EQ(form.ActiveControl(), &a);
  EXPECT_TRUE(a.Focused());
  EXPECT_FALSE(b.Focused());
}

TEST_F(InputTest, AnActiveControlChosenBeforeShowingIsEnteredWhenTheFormShows) {
  TForm f(nullptr);
  TSample x(&f, &f), y(&f, &f);
  y.SetName(u"y");
  f.SetActiveControl(&y);  // allowed while hidden; nothing entered yet
  EXPECT_TRUE(y.log.empty());
  user.Show(&f);
  EXPECT_EQ(f.ActiveControl(), &y);
  EXPECT_EQ(Only(y.log, {"enter:"}), (Log{"enter:y"}));
  f.Hide();
  y.Hide();  // no longer focusable: the first tab stop takes over
  user.Show(&f);
  EXPECT_EQ(f.ActiveControl(), &x);
}

TEST_F(InputTest, TabMovesTheFocusInTabOrderSkippingWhatCannotTakeIt) {
  c.SetTabOrder(0);  // c, a, b
  b.SetTabStop(false);
  a.log.clear();
  user.PressKey(VK_TAB);
  EXPECT_EQ(form.ActiveControl(), &c);  // from a: b has no tab stop, so c (first) comes after a wrap
  user.PressKey(VK_TAB);
  EXPECT_EQ(form.ActiveControl(), &a);
  user.PressKey(VK_TAB, {ssShift});
  EXPECT_EQ(form.ActiveControl(), &c);
  c.Hide();
  EXPECT_EQ(form.ActiveControl(), nullptr);  // hiding the focused control takes the focus away
  b.SetTabStop(true);
  a.SetEnabled(false);
  user.PressKey(VK_TAB);
  EXPECT_EQ(form.ActiveControl(), &b);
  EXPECT_TRUE(c.log.empty() || std::find(c.log.begin(), c.log.end(), "keydown9") == c.log.end());
}

TEST_F(InputTest, FocusChangesRunExitThenEnterAlongTheParents) {
  TSample panel(&form, &form, Rect(0, 50, 100, 100));
  panel.SetName(u"panel");
  TSample inner(&form, &panel, Rect(1, 1, 10, 10));
  inner.SetName(u"inner");
  Log order;
  for (TSample* s : {&a, &panel, &inner}) {
    s->OnEnter = [&order, s](TObject*) { order.push_back("enter:" + Narrow(s->Name())); };
    s->OnExit = [&order, s](TObject*) { order.push_back("exit:" + Narrow(s->Name())); };
  }
  inner.SetFocus();
  EXPECT_EQ(order, (Log{"exit:a", "enter:panel", "enter:inner"}));
  order.clear();
  a.SetFocus();
  EXPECT_EQ(order, (Log{"exit:inner", "exit:panel", "enter:a"}));
}

TEST_F(InputTest, AnExceptionInOnExitKeepsTheFocus) {
  a.OnExit = [](TObject*) { throw Exception("value out of range"); };
  EXPECT_THROW(b.SetFocus(), Exception);
  EXPECT_EQ(form.ActiveControl(), &a);
}

TEST_F(InputTest, SetFocusRefusesHiddenDisabledOrFormlessControls) {
  TSample loose(nullptr);
  c.SetEnabled(false);
  b.Hide();
  for (TWinControl* w : std::initializer_list<TWinControl*>{&loose, &b, &c}) {
    EXPECT_FALSE(w->CanFocus());
    EXPECT_THROW_MSG(w->SetFocus(), EInvalidOperation, "Cannot focus a disabled or invisible window");
  }
}

struct DlgCase {
  const char* what;
  LRESULT dlgCode;
  Word key;
  bool reachesControl;
};

TEST_F(InputTest, DialogCodesDecideWhetherTabAndArrowsMoveTheFocusOrReachTheControl) {
  const DlgCase cases[] = {
      {"tab, not wanted", 0, VK_TAB, false},
      {"tab wanted", DLGC_WANTTAB, VK_TAB, true},
      {"tab with arrows wanted", DLGC_WANTARROWS, VK_TAB, false},
      {"arrow, not wanted", 0, VK_RIGHT, false},
      {"arrow wanted", DLGC_WANTARROWS, VK_DOWN, true},
      {"all keys", DLGC_WANTALLKEYS, VK_TAB, true},
      {"return, not wanted", 0, VK_RETURN, true},  // no default button on the form: the control has it
      {"a letter", 0, VK_A, true},
  };
  for (const DlgCase& k : cases) {
    a.SetFocus();
    a.dlgCode = k.dlgCode;
    a.log.clear();
    user.PressKey(k.key);
    const bool reached = std::find(a.log.begin(), a.log.end(), "keydown" + std::to_string(k.key)) != a.log.end();
    EXPECT_EQ(reached, k.reachesControl) << k.what;
    EXPECT_EQ(form.ActiveControl() == &a, k.reachesControl) << k.what;
  }
}

TEST_F(InputTest, TypedTextArrivesAsKeyCodesAndCharacters) {
  user.TypeText(u"a1$.");
  EXPECT_EQ(a.log, (Log{"keydown65", "keydown49", "keydown16(Shift)", "keydown52(Shift)", "keydown190"}));
  EXPECT_EQ(a.typed, u"a1$.");
  a.log.clear();
  user.PressKey(VK_NUMPAD7);
  user.PressKey(VK_C, {ssCtrl});
  EXPECT_EQ(a.log, (Log{"keydown103", "keydown17(Ctrl)", "keydown67(Ctrl)"}));
  EXPECT_EQ(a.typed, U8("a1$.7\x03"));
  user.TypeText(U8("é"));  // outside the layout: a character only
  EXPECT_EQ(a.typed.back(), u'\u00e9');
}

TEST_F(InputTest, OnKeyPressMayChangeOrSwallowTheCharacter) {
  a.OnKeyPress = [](TObject*, Char& key) {
    if (key == u'x') key = 0;
    if (key >= u'a' && key <= u'z') key = static_cast<Char>(key - 32);
  };
  user.TypeText(u"axb");
  EXPECT_EQ(a.typed, u"AB");
}

TEST_F(InputTest, KeyPreviewShowsKeysToTheFormFirst) {
  Log seen;
  form.SetKeyPreview(true);
  form.OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    seen.push_back("form" + std::to_string(key));
    if (key == VK_F1) key = 0;  // the form takes F1
  };
  form.OnKeyPress = [&](TObject*, Char& key) { key = u'z'; };
  user.PressKey(VK_F1);
  user.TypeText(u"q");
  EXPECT_EQ(seen, (Log{"form112", "form81"}));
  EXPECT_EQ(a.log, (Log{"keydown81"}));
  EXPECT_EQ(a.typed, u"z");
}

TEST_F(InputTest, NextDialogControlMessageMovesTheFocus) {
  a.Perform(WM_NEXTDLGCTL, 0, 0);
  EXPECT_EQ(form.ActiveControl(), &b);
  b.Perform(WM_NEXTDLGCTL, 1, 0);
  EXPECT_EQ(form.ActiveControl(), &a);
}

TEST_F(InputTest, KeysGoToTheActiveFormOnly) {
  TForm other(nullptr);
  TSample d(&other, &other);
  user.Show(&other);
  EXPECT_EQ(Application->ActiveForm(), &other);
  user.TypeText(u"k");
  EXPECT_EQ(d.typed, u"k");
  EXPECT_EQ(a.typed, u"");
  other.Hide();
  EXPECT_EQ(Application->ActiveForm(), &form);
  user.TypeText(u"m");
  EXPECT_EQ(a.typed, u"m");
}

}  // namespace
