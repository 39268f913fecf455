// The application loop: queue order, nesting, exceptions inside handlers, timers on the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Assertions.h"
#include "DateUtils.h"
#include "Dialogs.h"
#include "Forms.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// Fresh virtual clock, empty queue and dialog log for each test.
class FormsTest : public ::testing::Test {
 protected:
  TScriptedUser user{EncodeDateTime(2024, 3, 1, 12, 0, 0, 0)};
  void TearDown() override { Application->OnException = nullptr; }
};

/// A private window that records what it receives.
struct Recorder {
  std::vector<std::string> log;
  HWND wnd = AllocateHWnd([this](TMessage& m) { Handle(m); });
  std::function<void(TMessage&)> extra;
  ~Recorder() { DeallocateHWnd(wnd); }
  void Handle(TMessage& m) {
    if (m.Msg == WM_TIMER) log.push_back("t" + std::to_string(m.WParam) + "@" + std::to_string(Application->ClockMs()));
    else log.push_back("m" + std::to_string(m.Msg - WM_USER));
    if (extra) extra(m);
  }
};

TEST_F(FormsTest, PostedMessagesArriveInOrderAndSendAnswersAtOnce) {
  Recorder r;
  r.extra = [](TMessage& m) { m.Result = static_cast<LRESULT>(m.WParam) * 2; };
  EXPECT_TRUE(PostMessage(r.wnd, WM_USER + 1, 0, 0));
  EXPECT_TRUE(PostMessage(r.wnd, WM_USER + 2, 0, 0));
  EXPECT_EQ(SendMessage(r.wnd, WM_USER + 3, 21, 0), 42);
  Application->ProcessMessages();
  EXPECT_EQ(r.log, (std::vector<std::string>{"m3", "m1", "m2"}));
}

TEST_F(FormsTest, MessagesForAReleasedWindowAreDropped) {
  auto* r = new Recorder;
  const HWND wnd = r->wnd;
  PostMessage(wnd, WM_USER + 1, 0, 0);
  delete r;
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_FALSE(PostMessage(wnd, WM_USER + 1, 0, 0));
  EXPECT_EQ(SendMessage(wnd, WM_USER + 1, 0, 0), 0);
  Application->ProcessMessages();  // must not call into the freed recorder
}

TEST_F(FormsTest, LoopsNest) {
  Recorder r;
  r.extra = [&](TMessage& m) {
    if (m.Msg == WM_USER + 1) {
      PostMessage(r.wnd, WM_USER + 3, 0, 0);
      Application->ProcessMessages();  // the inner loop takes 2 and 3 before 1 returns
      r.log.push_back("end1");
    }
  };
  PostMessage(r.wnd, WM_USER + 1, 0, 0);
  PostMessage(r.wnd, WM_USER + 2, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(r.log, (std::vector<std::string>{"m1", "m2", "m3", "end1"}));
}

TEST_F(FormsTest, AnExceptionInAHandlerGoesToOnExceptionAndTheLoopGoesOn) {
  Recorder r;
  r.extra = [](TMessage& m) {
    if (m.Msg == WM_USER + 1) throw EConvertError("bad number");
    if (m.Msg == WM_USER + 2) throw std::runtime_error("plain");
  };
  std::vector<std::string> caught;
  Application->OnException = [&](TObject*, const Exception& e) { caught.push_back(e.what()); };
  PostMessage(r.wnd, WM_USER + 1, 0, 0);
  PostMessage(r.wnd, WM_USER + 2, 0, 0);
  PostMessage(r.wnd, WM_USER + 4, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(caught, (std::vector<std::string>{"bad number", "plain"}));
  EXPECT_EQ(r.log.back(), "m4");
}

TEST_F(FormsTest, WithoutOnExceptionTheMessageIsShownInAnErrorBox) {
  Recorder r;
  r.extra = [](TMessage&) { throw Exception("Disk full"); };
  PostMessage(r.wnd, WM_USER, 0, 0);
  Application->ProcessMessages();
  const auto& log = HeadlessDialogs()->Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Text, u"Disk full.");
  EXPECT_EQ(log[0].Flags, MB_OK | MB_ICONSTOP);
}

TEST_F(FormsTest, AFailingExceptionHandlerDoesNotEndTheLoop) {
  // Regression: an exception thrown by OnException itself used to escape the loop.
  Recorder r;
  r.extra = [](TMessage&) { throw Exception("first"); };
  Application->OnException = [](TObject*, const Exception&) { throw Exception("second"); };
  PostMessage(r.wnd, WM_USER, 0, 0);
  EXPECT_NO_THROW(Application->ProcessMessages());
  ASSERT_EQ(HeadlessDialogs()->Log().size(), 1u);
  EXPECT_EQ(HeadlessDialogs()->Log()[0].Text, u"second.");
}

TEST_F(FormsTest, TimersFireInOrderOfDueTimeOnTheVirtualClock) {
  Recorder r;
  ASSERT_EQ(SetTimer(r.wnd, 1, 300), 1u);
  ASSERT_EQ(SetTimer(r.wnd, 2, 200), 2u);
  Application->AdvanceClock(100);
  EXPECT_TRUE(r.log.empty());
  Application->AdvanceClock(550);
  EXPECT_EQ(r.log, (std::vector<std::string>{"t2@200", "t1@300", "t2@400", "t1@600", "t2@600"}));
  EXPECT_EQ(Application->ClockMs(), 650);
}

TEST_F(FormsTest, NowFollowsTheVirtualClock) {
  const TDateTime start = Now();
  Application->AdvanceClock(90 * 1000);
  EXPECT_NEAR(Now() - start, 90.0 / 86400.0, 1e-9);
  EXPECT_EQ(FormatDateTime(u"hh:nn:ss", Now()), u"12:01:30");
}

TEST_F(FormsTest, SetTimerRestartsKillTimerStopsAndShortIntervalsAreRaised) {
  Recorder r;
  SetTimer(r.wnd, 7, 100);
  Application->AdvanceClock(60);
  SetTimer(r.wnd, 7, 100);  // restarts: next tick at 160
  Application->AdvanceClock(60);
  EXPECT_TRUE(r.log.empty());
  Application->AdvanceClock(40);
  EXPECT_EQ(r.log, (std::vector<std::string>{"t7@160"}));
  EXPECT_TRUE(KillTimer(r.wnd, 7));
  EXPECT_FALSE(KillTimer(r.wnd, 7));
  r.log.clear();
  SetTimer(r.wnd, 3, 0);
  Application->AdvanceClock(25);
  EXPECT_EQ(r.log, (std::vector<std::string>{"t3@170", "t3@180"}));
}

TEST_F(FormsTest, SetTimerAnswersZeroWhenRefused) {
  Recorder r;
  EXPECT_EQ(SetTimer(0, 1, 100), 0u);
  EXPECT_EQ(SetTimer(r.wnd, 0, 100), 0u);
  Application->SetTimerShortage(true);
  EXPECT_EQ(SetTimer(r.wnd, 1, 100), 0u);
}

TEST_F(FormsTest, TimerHandlerMayKillItsOwnTimerAndAdvanceFurther) {
  Recorder r;
  int ticks = 0;
  r.extra = [&](TMessage& m) {
    if (m.Msg != WM_TIMER) return;
    if (++ticks == 2) KillTimer(r.wnd, 1);
    if (ticks == 1) Application->AdvanceClock(5);  // nested advance moves the target on
  };
  SetTimer(r.wnd, 1, 50);
  Application->AdvanceClock(1000);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(Application->ClockMs(), 1005);
}

TEST_F(FormsTest, TTimerFiresWhileEnabledAndRefusalRaises) {
  TTimer timer(nullptr);
  timer.SetInterval(250);
  int ticks = 0;
  timer.OnTimer = [&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ++ticks;
  };
  Application->AdvanceClock(1000);
  EXPECT_EQ(ticks, 4);
  timer.SetEnabled(false);
  Application->AdvanceClock(1000);
  EXPECT_EQ(ticks, 4);
  Application->SetTimerShortage(true);
  EXPECT_THROW_MSG(timer.SetEnabled(true), EOutOfResources, "Not enough timers available");
}

TEST_F(FormsTest, AnExceptionInOnTimerDoesNotStopTheTimer) {
  TTimer timer(nullptr);
  timer.SetInterval(100);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    throw Exception("tick failed");
  };
  Application->AdvanceClock(300);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(HeadlessDialogs()->Log().size(), 3u);
}

TEST_F(FormsTest, RunEndsWhenTerminatedOrWhenNothingCanHappen) {
  Recorder r;
  r.extra = [](TMessage& m) {
    if (m.Msg == WM_USER + 1) Application->Terminate();
  };
  int idles = 0;
  Application->OnIdle = [&](TObject*, bool&) { ++idles; };
  Application->Run();  // nothing queued, virtual clock: idles once and returns
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(idles, 1);
  PostMessage(r.wnd, WM_USER + 1, 0, 0);
  PostMessage(r.wnd, WM_USER + 2, 0, 0);
  Application->Run();
  Application->OnIdle = nullptr;
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(r.log, (std::vector<std::string>{"m1"}));  // Run stops right after the terminating message
  EXPECT_EQ(idles, 1);
}

TEST_F(FormsTest, ModalStepHandlesOneThingAtATimeAndTellsWhenNothingCanCome) {
  Recorder r;
  PostMessage(r.wnd, WM_USER + 1, 0, 0);
  PostMessage(r.wnd, WM_USER + 2, 0, 0);
  EXPECT_TRUE(Application->ModalStep());
  EXPECT_EQ(r.log, (std::vector<std::string>{"m1"}));
  EXPECT_TRUE(Application->ModalStep());
  EXPECT_EQ(r.log, (std::vector<std::string>{"m1", "m2"}));
  EXPECT_FALSE(Application->ModalStep());  // virtual clock, nothing queued, no timer
  SetTimer(r.wnd, 7, 100);
  EXPECT_FALSE(Application->ModalStep());  // the virtual clock moves only when advanced
  KillTimer(r.wnd, 7);
}

TEST(FormsRealClock, LoopsWithNothingLeftToWaitForReturnInsteadOfHanging) {
  ASSERT_FALSE(Application->VirtualClock());
  Application->Run();  // headless, no timers, nothing queued
  TForm dialog(nullptr);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_FALSE(dialog.Visible());
}

// --- message boxes ---

struct BoxCase {
  uint32_t flags;
  int expected;
};

TEST(Dialogs, UnscriptedBoxesAnswerOkOrTheirFirstButton) {
  HeadlessDialogs()->Clear();
  const BoxCase cases[] = {{MB_OK, IDOK},
                           {MB_OKCANCEL | MB_DEFBUTTON2, IDOK},  // OK whenever offered
                           {MB_YESNO, IDYES},
                           {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO},
                           {MB_RETRYCANCEL, IDRETRY},
                           {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE}};
  for (const BoxCase& c : cases) EXPECT_EQ(Application->MessageBox(u"q", u"c", c.flags), c.expected) << c.flags;
  EXPECT_EQ(MessageDlg(u"Save?", mtConfirmation, {mbYes, mbNo, mbCancel}, 0), mrYes);
}

TEST(Dialogs, ScriptedAnswersAreUsedInOrderAndSkipOkOnlyBoxes) {
  HeadlessDialogs()->Clear();
  HeadlessDialogs()->ScriptAnswer(mrNo);
  HeadlessDialogs()->ScriptAnswer(IDCANCEL);
  ShowMessage(u"Done");
  EXPECT_EQ(MessageDlg(u"Overwrite?", mtWarning, {mbYes, mbNo}, 0), mrNo);
  EXPECT_EQ(Application->MessageBox(u"Retry?", String(), MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(HeadlessDialogs()->PendingAnswers(), 0);
  const auto& log = HeadlessDialogs()->Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].Kind, u"ShowMessage");
  EXPECT_EQ(log[1].Caption, u"Warning");
  EXPECT_EQ(log[2].Caption, Application->Title());
  MessageBeep(MB_SIMPLEBEEP);
  EXPECT_EQ(HeadlessDialogs()->Log().back().Kind, u"MessageBeep");
}

TEST(Dialogs, AReplacedServiceReceivesTheCalls) {
  struct Counting : THeadlessDialogs {
    int boxes = 0;
    int MessageBox(const String&, const String&, uint32_t) override { return ++boxes, IDNO; }
  };
  auto previous = SetDialogService(std::make_unique<Counting>());
  EXPECT_EQ(HeadlessDialogs() != nullptr, true);  // still a headless kind
  EXPECT_EQ(Application->MessageBox(u"x"), IDNO);
  SetDialogService(std::move(previous));
}

}  // namespace
