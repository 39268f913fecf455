// The scripted user driving whole scenarios: a loop nested in a handler, modal forms, a timer on a
// private window, the clipboard, message boxes and pictures of forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "Assertions.h"
#include "Clipbrd.h"
#include "SampleControls.h"

using namespace qelta;
using namespace qelta::sample;

namespace {

/// Asks the user for a rectangle: processes messages until a press and a release have happened
/// (the right button aborts), the way a chart's mouse box does.
class TBoxPicker : public TCustomControl {
 public:
  explicit TBoxPicker(TWinControl* parent) : TCustomControl(nullptr) {
    SetBounds(0, 0, 100, 80);
    SetParent(parent);
  }
  enum State { Normal, FirstCorner, Drawing, Finished } state = Normal;
  TRect box;
  int loops = 0;

  bool PickBox(TRect& r) {
    state = FirstCorner;
    while (state != Finished && state != Normal) {
      Application->ProcessMessages();
      if (++loops > 1000) state = Normal;  // no user: give up rather than hang the test
    }
    const bool done = state == Finished;
    state = Normal;
    r = box;
    return done;
  }

 protected:
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    TCustomControl::MouseDown(b, s, x, y);
    if (state != FirstCorner) return;
    if (b == mbRight) state = Normal;
    else {
      box = Rect(x, y, x, y);
      state = Drawing;
    }
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    TCustomControl::MouseUp(b, s, x, y);
    if (state != Drawing) return;
    if (b == mbRight) state = Normal;
    else {
      box.Right = x;
      box.Bottom = y;
      state = Finished;
    }
  }
};

/// A button that repeats OnRepeat while held: 500 ms to the first repeat, then every 200 ms,
/// on timer 1 of a private window; leaving the button stops it.
class TRepeater : public TCustomControl {
 public:
  explicit TRepeater(TWinControl* parent) : TCustomControl(nullptr) {
    SetBounds(120, 0, 40, 20);
    SetParent(parent);
    FTimerWnd = AllocateHWnd([this](TMessage& m) {
      if (m.Msg != WM_TIMER) return;
      try {
        Tick();
      } catch (...) {
        Application->HandleException(this);
      }
    });
  }
  ~TRepeater() override { DeallocateHWnd(FTimerWnd); }
  std::vector<int64_t> ticks;

 protected:
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    TCustomControl::MouseDown(b, s, x, y);
    if (b == mbLeft) Start(500);
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    TCustomControl::MouseUp(b, s, x, y);
    if (b == mbLeft) KillTimer(FTimerWnd, 1);
  }
  void WndProc(TMessage& m) override {
    TCustomControl::WndProc(m);
    if (m.Msg == CM_MOUSELEAVE) KillTimer(FTimerWnd, 1);
  }

 private:
  void Start(Cardinal ms) {
    if (SetTimer(FTimerWnd, 1, ms) == 0) throw Exception("Component \"\": no timer available");
    FRepeating = ms != 500;
  }
  void Tick() {
    if (!FRepeating) Start(200);
    ticks.push_back(Application->ClockMs());
  }
  HWND FTimerWnd = 0;
  bool FRepeating = false;
};

bool PointIn(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

class TestingTest : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  void SetUp() override { form.SetBounds(0, 0, 200, 100); }
};

TEST_F(TestingTest, ANestedLoopEndsWhenTheReleaseArrives) {
  TBoxPicker picker(&form);
  user.Show(&form);
  user.SetAutoProcess(false);  // queued for the loop inside PickBox
  user.Drag(&picker, 10, 20, 60, 50);
  TRect r;
  EXPECT_TRUE(picker.PickBox(r));
  EXPECT_EQ(r, Rect(10, 20, 60, 50));
  EXPECT_LT(picker.loops, 1000);
  user.Press(&picker, 5, 5, mbRight);  // the right button aborts
  EXPECT_FALSE(picker.PickBox(r));
}

TEST_F(TestingTest, AModalFormIsAnsweredByTheScriptRunWhenItShows) {
  TForm dialog(nullptr);
  TSample ok(&dialog, &dialog);
  ok.OnClick = [&](TObject*) { dialog.SetModalResult(mrOk); };
  user.Show(&form);
  TForm* shown = nullptr;
  user.WhenModalShows([&](TForm* f) {
    shown = f;
    EXPECT_TRUE(f->Visible());
    EXPECT_EQ(Application->ActiveForm(), f);
    user.Click(&ok, 5, 5);
  });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(shown, &dialog);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(Application->ActiveForm(), &form);
}

TEST_F(TestingTest, AModalFormWithNothingToDoAnswersCancelAndBlocksOtherForms) {
  TForm dialog(nullptr);
  TSample behind(&form, &form);
  user.Show(&form);
  int clicks = 0;
  behind.OnClick = [&](TObject*) { ++clicks; };
  user.WhenModalShows([&](TForm*) { user.Click(&behind, 5, 5); });  // the form behind is blocked
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(clicks, 0);
  user.Show(&dialog);
  EXPECT_THROW_MSG(dialog.ShowModal(), EInvalidOperation, "Cannot make a visible window modal");
}

// A modal form opened by a press (a control's MouseDown shows a dialog) used to leave the mouse capture
// with that control on the blocked form behind, so every click meant for the dialog went there and was
// dropped.
TEST_F(TestingTest, AModalFormOpenedByAPressTakesTheMouse) {
  TForm dialog(nullptr);
  TSample ok(&dialog, &dialog);
  ok.OnClick = [&](TObject*) { dialog.SetModalResult(mrOk); };
  TSample opener(&form, &form);
  TModalResult answer = mrNone;
  opener.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { answer = dialog.ShowModal(); };
  user.Show(&form);
  user.WhenModalShows([&](TForm*) { user.Click(&ok, 5, 5); });
  user.Click(&opener, 5, 5);
  EXPECT_EQ(answer, mrOk);
  EXPECT_FALSE(opener.MouseCapture());
}

TEST_F(TestingTest, CloseEndsAModalFormWithCancel) {
  TForm dialog(nullptr);
  user.WhenModalShows([&](TForm* f) { f->Close(); });
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST_F(TestingTest, ClosingTheMainFormEndsRun) {
  auto* main = Application->CreateForm<TForm>();
  EXPECT_EQ(Application->MainForm(), main);
  TTimer closer(nullptr);
  closer.SetInterval(100);
  closer.OnTimer = [&](TObject*) { main->Close(); };
  // Run shows the main form; on the virtual clock nothing happens until time moves, so Run returns.
  Application->Run();
  EXPECT_TRUE(main->Visible());
  user.Advance(100);
  EXPECT_TRUE(Application->Terminated());
  delete main;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(TestingTest, HoldingTheRepeaterFiresAt500ThenEvery200UntilReleasedOrLeft) {
  TRepeater rep(&form);
  user.Show(&form);
  const int64_t t0 = Application->ClockMs();
  user.Press(&rep, 5, 5);
  user.Advance(950);
  user.Release(&rep, 5, 5);
  user.Advance(1000);
  EXPECT_EQ(rep.ticks, (std::vector<int64_t>{t0 + 500, t0 + 700, t0 + 900}));
  rep.ticks.clear();
  user.Press(&rep, 5, 5);
  user.Advance(600);
  user.MoveTo(&form, 5, 5);  // leaving the button stops it
  user.Advance(1000);
  EXPECT_EQ(rep.ticks.size(), 1u);
  user.Release(&form, 5, 5);
}

TEST_F(TestingTest, ARefusedTimerRaisesInsideTheHandlerWithoutStoppingTheLoop) {
  TRepeater rep(&form);
  user.Show(&form);
  user.FailTimers(true);
  user.Click(&rep, 5, 5);
  ASSERT_EQ(user.MessageLog().size(), 1u);
  EXPECT_EQ(user.MessageLog()[0].Text, u"Component \"\": no timer available.");
  user.FailTimers(false);
  user.Press(&rep, 5, 5);
  user.Advance(500);
  EXPECT_EQ(rep.ticks.size(), 1u);
  user.Release(&rep, 5, 5);
}

TEST_F(TestingTest, MessageBoxesAreLoggedAndAnsweredByScript) {
  TSample asker(&form, &form);
  TModalResult answer = mrNone;
  asker.OnClick = [&](TObject*) { answer = MessageDlg(u"Delete row?", mtConfirmation, {mbYes, mbNo}, 0); };
  user.Show(&form);
  user.AnswerNextBox(mrNo);
  user.Click(&asker, 5, 5);
  EXPECT_EQ(answer, mrNo);
  ASSERT_EQ(user.MessageLog().size(), 1u);
  EXPECT_EQ(user.MessageLog()[0].Text, u"Delete row?");
  EXPECT_EQ(user.MessageLog()[0].Caption, u"Confirm");
}

// Regression: Click(nullptr) crashed, a click on a control that was not on a shown form did nothing,
// and AnswerNextBox(12345) made a Yes/No box answer 12345. Each is a mistake of the script.
TEST_F(TestingTest, ScriptMistakesRaiseInsteadOfCrashingOrDoingNothing) {
  TSample loose(nullptr);
  loose.SetName(u"Loose");
  TForm hidden(nullptr);
  TSample onHidden(&hidden, &hidden);
  onHidden.SetName(u"OnHidden");
  user.Show(&form);
  const struct {
    std::function<void()> action;
    const char* message;
  } cases[] = {
      {[&] { user.Click(nullptr, 1, 1); }, "TScriptedUser.Click: no control given"},
      {[&] { user.Drag(nullptr, 1, 1, 2, 2); }, "TScriptedUser.Drag: no control given"},
      {[&] { user.Wheel(nullptr, 1, 1, 120); }, "TScriptedUser.Wheel: no control given"},
      {[&] { user.Grab(nullptr); }, "TScriptedUser.Grab: no control given"},
      {[&] { user.Click(&loose, 1, 1); }, "TScriptedUser.Click: \"Loose\" (TSample) is not showing on a shown form"},
      {[&] { user.MoveTo(&onHidden, 1, 1); },
       "TScriptedUser.MoveTo: \"OnHidden\" (TSample) is not showing on a shown form"},
      {[&] { user.AnswerNextBox(12345); },
       "TScriptedUser.AnswerNextBox: 12345 is not the answer of a button (mrOk..mrYesToAll)"},
      {[&] { user.AnswerNextBox(mrNone); },
       "TScriptedUser.AnswerNextBox: 0 is not the answer of a button (mrOk..mrYesToAll)"},
  };
  for (const auto& c : cases) EXPECT_THROW_MSG(c.action(), EInvalidOperation, c.message);
  EXPECT_EQ(HeadlessDialogs()->PendingAnswers(), 0);
}

// A scripted answer the box does not offer is raised from the action that showed the box (the
// loop hands it on), after the box is logged.
TEST_F(TestingTest, AnAnswerTheBoxDoesNotOfferRaisesFromTheAction) {
  TSample asker(&form, &form);
  asker.OnClick = [&](TObject*) { MessageDlg(u"Save?", mtConfirmation, {mbOK, mbCancel}, 0); };
  user.Show(&form);
  user.AnswerNextBox(mrYes);
  EXPECT_THROW_MSG(user.Click(&asker, 5, 5), EUnscripted, "The scripted answer 6 is not a button of the box \"Save?\"");
  ASSERT_EQ(user.MessageLog().size(), 1u);
  EXPECT_EQ(user.MessageLog()[0].Answer, mrNone);
}

// Strict mode: what the script did not answer fails the test instead of taking the first button.
TEST_F(TestingTest, StrictModeRefusesUnscriptedQuestionsAndModalForms) {
  TSample asker(&form, &form);
  TModalResult answer = -1;
  asker.OnClick = [&](TObject*) { answer = MessageDlg(u"Delete row?", mtConfirmation, {mbYes, mbNo}, 0); };
  user.Show(&form);
  user.SetStrict(true);
  EXPECT_THROW_MSG(user.Click(&asker, 5, 5), EUnscripted, "Unscripted question: \"Delete row?\"");
  EXPECT_EQ(answer, -1);
  ShowMessage(u"Saved.");  // nothing to choose: no answer needed
  user.AnswerNextBox(mrNo);
  user.Advance(1000);  // no double click
  user.Click(&asker, 5, 5);
  EXPECT_EQ(answer, mrNo);
  TForm dialog(nullptr);
  dialog.SetName(u"Options");
  EXPECT_THROW_MSG(dialog.ShowModal(), EUnscripted, "Unscripted modal form \"Options\" (TForm)");
  EXPECT_FALSE(dialog.Visible());
  user.WhenModalShows([](TForm* f) { f->SetModalResult(mrOk); });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  user.SetStrict(false);
  EXPECT_EQ(MessageDlg(u"Again?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);  // the first button
}

TEST_F(TestingTest, TheClipboardHoldsTextOrAPictureNotBoth) {
  Clipboard()->SetAsText(u"1.5\t2.5");
  EXPECT_EQ(user.ClipboardText(), u"1.5\t2.5");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
  TBitmap picture(3, 2);
  picture.Canvas()->SetPixels(1, 1, clRed);
  Clipboard()->Assign(&picture);
  EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(user.ClipboardText(), u"");
  TBitmap back;
  back.Assign(Clipboard());
  EXPECT_EQ(back.Width(), 3);
  EXPECT_EQ(back.Canvas()->Pixels(1, 1), clRed);
  Clipboard()->Clear();
  EXPECT_THROW_MSG(back.Assign(Clipboard()), EConvertError, "The clipboard holds no picture");
}

TEST_F(TestingTest, AFormIsSavedAsAPngPicture) {
  TSample c(&form, &form, Rect(10, 10, 30, 30));
  c.fill = clGreen;
  user.Show(&form);
  const auto file = std::filesystem::temp_directory_path() / "qelta_testing_form.png";
  user.SavePng(&form, Utf8ToString(file.string()));
  TBitmap read;
  read.LoadFromFile(Utf8ToString(file.string()));
  std::filesystem::remove(file);
  EXPECT_EQ(read.Width(), 200);
  EXPECT_EQ(read.Canvas()->Pixels(15, 15), clGreen);
  EXPECT_EQ(read.Canvas()->Pixels(5, 5), ColorToRGB(clBtnFace));
}

TEST_F(TestingTest, GrabbingAControlWithoutAWindowGivesABlankPicture) {
  TSample loose(nullptr);
  auto shot = user.Grab(&loose);
  EXPECT_EQ(shot->Width(), loose.Width());
  EXPECT_EQ(shot->Canvas()->Pixels(1, 1), clWhite);
}

TEST_F(TestingTest, ASessionStartsClean) {
  user.Show(&form);
  user.KeyDown(VK_SHIFT);
  user.AnswerNextBox(mrYes);
  Clipboard()->SetAsText(u"x");
  {
    TScriptedUser next;  // a later test's user
    // Regression: the pointer stayed where the last session left it, so a first action at the
    // same place posted no move and gave no enter.
    EXPECT_FALSE(PointIn(form.BoundsRect(), GetCursorPos()));
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(HeadlessDialogs()->PendingAnswers(), 0);
    EXPECT_EQ(next.ClipboardText(), u"");
    EXPECT_TRUE(Application->VirtualClock());
  }
  EXPECT_FALSE(Application->VirtualClock());
  Application->UseVirtualClock(45292.5);  // back for this test's own user
}

}  // namespace
