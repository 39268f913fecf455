// Speed buttons: clicks on release, groups, CM_BUTTONPRESSED from other classes, glyphs.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Buttons.h"
#include "SampleControls.h"
#include "Testing.h"

using namespace qelta;
using sample::PixelOf;

namespace {

struct ButtonFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TSpeedButton* a = Make(10);
  TSpeedButton* b = Make(40);
  TSpeedButton* c = Make(70);
  std::vector<std::string> log;

  TSpeedButton* Make(int left) {
    auto* button = new TSpeedButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(left, 10, 25, 25);
    button->OnClick = [this, left](TObject*) { log.push_back("click" + std::to_string(left)); };
    return button;
  }
  void SetUp() override { user.Show(form.get()); }
};

/// A two-state control of another class that announces going on the way an on/off button does.
class TLamp : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  void TurnOn(int group) {
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(group), reinterpret_cast<LPARAM>(static_cast<TControl*>(this)), 0};
    Parent()->Broadcast(m);
  }
};

}  // namespace

TEST_F(ButtonFixture, ClicksOnReleaseInsideOnly) {
  user.Press(a, 5, 5);
  EXPECT_EQ(a->State(), bsDown);
  EXPECT_TRUE(log.empty());
  user.MoveTo(a, 40, 5);  // off the button: it looks up again
  EXPECT_EQ(a->State(), bsUp);
  user.Release(a, 40, 5);
  EXPECT_TRUE(log.empty());
  user.Advance(1000);
  user.Click(a, 5, 5);
  EXPECT_EQ(log, std::vector<std::string>{"click10"});
  EXPECT_FALSE(a->Down());  // no group: never stays down
}

TEST_F(ButtonFixture, OneButtonOfAGroupStaysDown) {
  for (TSpeedButton* button : {a, b, c}) button->SetGroupIndex(7);
  user.Click(a, 5, 5);
  user.Advance(1000);
  user.Click(b, 5, 5);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->State(), bsExclusive);
  user.Advance(1000);
  user.Click(b, 5, 5);  // the last one down stays down
  EXPECT_TRUE(b->Down());
  b->SetDown(false);
  EXPECT_TRUE(b->Down());
  c->SetAllowAllUp(true);  // passed on to the group with the message
  EXPECT_TRUE(a->AllowAllUp());
  EXPECT_TRUE(b->AllowAllUp());
  user.Advance(1000);
  user.Click(b, 5, 5);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(log, (std::vector<std::string>{"click10", "click40", "click40", "click40"}));
  c->SetDown(true);
  EXPECT_TRUE(c->Down());
  a->SetGroupIndex(8);
  a->SetDown(true);
  EXPECT_TRUE(c->Down());  // another group
}

TEST_F(ButtonFixture, AButtonOfAnotherClassGoingOnReleasesTheGroup) {
  // Regression: speed buttons ignored CM_BUTTONPRESSED unless a speed button sent it, so a two-state
  // button and speed buttons in one group could be down together.
  auto* lamp = new TLamp(form.get());
  lamp->SetParent(form.get());
  a->SetGroupIndex(3);
  b->SetGroupIndex(4);
  a->SetDown(true);
  b->SetDown(true);
  lamp->TurnOn(3);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
}

TEST_F(ButtonFixture, GlyphsShowByStateAndTheirCornerColourIsTransparent) {
  TBitmap glyph(20, 10);  // two pictures: up (red square) and disabled (blue square) on a lime ground
  glyph.Canvas()->Brush()->SetColor(clLime);
  glyph.Canvas()->FillRect(Rect(0, 0, 20, 10));
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(Rect(2, 2, 8, 8));
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect(Rect(12, 2, 18, 8));
  a->SetGlyph(&glyph);
  a->SetNumGlyphs(2);
  a->SetFlat(true);
  auto up = user.Grab(a);
  const int gx = (25 - 10) / 2, gy = (25 - 10) / 2;
  EXPECT_EQ(PixelOf(up.get(), gx + 4, gy + 4), clRed);
  EXPECT_EQ(PixelOf(up.get(), gx, gy), ColorToRGB(clBtnFace));  // lime left out
  EXPECT_EQ(PixelOf(up.get(), 0, 0), ColorToRGB(clBtnFace));    // flat: no border while the pointer is away
  a->SetEnabled(false);
  EXPECT_EQ(PixelOf(user.Grab(a).get(), gx + 4, gy + 4), clBlue);
  a->SetEnabled(true);
  user.Press(a, 5, 5);
  EXPECT_EQ(PixelOf(user.Grab(a).get(), gx + 5, gy + 5), clRed);  // down: one pixel right and down
  EXPECT_EQ(PixelOf(user.Grab(a).get(), 0, 0), ColorToRGB(clBtnShadow));
  user.Release(a, 5, 5);
  a->SetNumGlyphs(1);  // a single picture: the disabled look is made from it
  a->SetEnabled(false);
  EXPECT_EQ(PixelOf(user.Grab(a).get(), gx + 12, gy + 4), ColorToRGB(clBtnShadow));
}
