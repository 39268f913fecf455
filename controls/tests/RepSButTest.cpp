// The auto-repeat speed button TRepSpeedButton: the start delay and the repeat interval on the
// virtual clock, releasing, leaving, hiding, disabling and destroying while held, the clamps, a
// refused timer and a tick that raises.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "Qelta_repsbut.h"
#include "Testing.h"

using namespace qelta;

namespace {

struct RepButFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TRepSpeedButton* but = new TRepSpeedButton(form.get());
  std::vector<int64_t> repeats;  // clock times of OnRepeatClick
  int clicks = 0;
  int64_t start = 0;

  void SetUp() override {
    form->SetBounds(0, 0, 200, 100);
    but->SetParent(form.get());
    but->SetBounds(10, 10, 40, 30);
    but->OnRepeatClick = [this](TObject*) { repeats.push_back(static_cast<int64_t>(GetTickCount64()) - start); };
    but->OnClick = [this](TObject*) { ++clicks; };
    user.Show(form.get());
  }
  void Press(TMouseButton b = mbLeft) {
    start = static_cast<int64_t>(GetTickCount64());
    user.Press(but, 5, 5, b);
  }
};

}  // namespace

TEST_F(RepButFixture, HoldingRepeatsAfterTheStartDelayAtTheRepeatInterval) {
  Press();
  user.Advance(1000);
  EXPECT_EQ(repeats, (std::vector<int64_t>{500, 700, 900}));
  user.Release(but, 5, 5);
  EXPECT_FALSE(but->Repeating());
  user.Advance(1000);
  EXPECT_EQ(repeats.size(), 3u);
  EXPECT_EQ(clicks, 1);  // the ordinary click on the release
}

TEST_F(RepButFixture, AShortClickAndARightPressRepeatNothing) {
  Press();
  user.Advance(400);
  user.Release(but, 5, 5);
  user.Advance(1000);
  EXPECT_TRUE(repeats.empty());
  EXPECT_EQ(clicks, 1);
  Press(mbRight);
  EXPECT_FALSE(but->Repeating());
  user.Advance(1000);
  user.Release(but, 5, 5, mbRight);
  EXPECT_TRUE(repeats.empty());
}

// Regression: leaving the button called MouseUp at (0, 0), inside it, so the speed button fired
// OnClick for a click the user never finished.
TEST_F(RepButFixture, LeavingStopsTheRepetitionWithoutAClick) {
  Press();
  user.Advance(600);
  user.MoveTo(form.get(), 150, 80);
  EXPECT_FALSE(but->Repeating());
  user.Advance(1000);
  EXPECT_EQ(repeats, (std::vector<int64_t>{500}));
  EXPECT_EQ(clicks, 0);
  user.Release(form.get(), 150, 80);
  EXPECT_EQ(clicks, 0);
}

TEST_F(RepButFixture, HidingDisablingOrDestroyingWhileHeldEndsTheRepetition) {
  for (int how = 0; how < 2; ++how) {
    repeats.clear();
    Press();
    user.Advance(550);
    if (how == 0) but->Hide(); else but->SetEnabled(false);
    EXPECT_FALSE(but->Repeating()) << how;
    user.Advance(1000);
    EXPECT_EQ(repeats.size(), 1u) << how;
    but->Show();
    but->SetEnabled(true);
    user.Release(form.get(), 150, 80);
  }
  Press();
  delete but;
  user.Advance(1000);  // no tick reaches the freed button
  EXPECT_TRUE(repeats.empty() || repeats.size() == 1u);
}

TEST_F(RepButFixture, IntervalsAreAtLeastTenAndChangesRestartTheTimer) {
  EXPECT_EQ(but->RepeatClickInterval(), 200);
  EXPECT_EQ(but->StartClickInterval(), 500);
  const std::pair<int, int> table[] = {{0, 10}, {5, 10}, {-3, 10}, {10, 10}, {250, 250}};
  for (auto [in, stored] : table) {
    but->SetRepeatClickInterval(in);
    EXPECT_EQ(but->RepeatClickInterval(), stored) << in;
    but->SetStartClickInterval(in);
    EXPECT_EQ(but->StartClickInterval(), stored) << in;
  }
  but->SetStartClickInterval(100);
  but->SetRepeatClickInterval(50);
  Press();
  user.Advance(260);
  EXPECT_EQ(repeats, (std::vector<int64_t>{100, 150, 200, 250}));
  but->SetRepeatClickInterval(100);  // restarts the repeat timer from now
  user.Advance(200);
  EXPECT_EQ(repeats.back(), 460);
  user.Release(but, 5, 5);
}

TEST_F(RepButFixture, ARefusedTimerRaisesAndARaisingTickGoesToTheApplication) {
  but->SetName(u"Rep");
  user.FailTimers(true);
  Press();  // the press raises inside the loop, which shows the message
  ASSERT_EQ(user.MessageLog().size(), 1u);
  EXPECT_EQ(user.MessageLog()[0].Text, u"Component \"Rep\": no timer available.");
  user.Release(but, 5, 5);
  user.FailTimers(false);
  but->OnRepeatClick = [](TObject*) { throw EQeltaRepSpeedButton(u"tick failed"); };
  Press();
  user.Advance(500);
  ASSERT_FALSE(user.MessageLog().empty());
  EXPECT_EQ(user.MessageLog().back().Text, u"tick failed.");
  user.Release(but, 5, 5);
}
