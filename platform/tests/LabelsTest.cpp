// Labels: painting through DoDrawText, automatic size, transparency; panels.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Labels.h"
#include "Panels.h"
#include "SampleControls.h"
#include "Testing.h"

using namespace qelta;
using sample::PixelOf;

namespace {

/// A label that records its DoDrawText calls and draws nothing itself when asked to.
class TRecordingLabel : public TLabel {
 public:
  using TLabel::TLabel;
  std::vector<unsigned> flags;
  bool draw = true;

 protected:
  void DoDrawText(TRect& Rect, unsigned Flags) override {
    flags.push_back(Flags);
    if (draw) TLabel::DoDrawText(Rect, Flags);
  }
};

struct LabelFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TRecordingLabel* label = new TRecordingLabel(form.get());
  void SetUp() override {
    form->SetColor(clWhite);
    label->SetParent(form.get());
    label->SetBounds(100, 10, 30, 30);
  }
};

}  // namespace

TEST_F(LabelFixture, AutoSizeMeasuresWithCalcRectAndPaintDrawsThroughDoDrawText) {
  label->SetCaption(u"Two\nlines");
  ASSERT_FALSE(label->flags.empty());
  EXPECT_EQ(label->flags.back(), DT_EXPANDTABS | DT_LEFT | DT_CALCRECT);
  TBitmap probe(1, 1);
  EXPECT_EQ(label->Height(), 2 * probe.Canvas()->TextHeight(u"X"));
  EXPECT_EQ(label->Width(), probe.Canvas()->TextWidth(u"lines"));
  label->flags.clear();
  user.Show(form.get());
  EXPECT_EQ(label->flags, std::vector<unsigned>{DT_EXPANDTABS | DT_LEFT});
}

TEST_F(LabelFixture, AutoSizeKeepsTheRightEdgeOfARightJustifiedLabel) {
  label->SetAutoSize(false);
  label->SetAlignment(taRightJustify);
  label->SetCaption(u"Width");
  label->SetAutoSize(true);
  EXPECT_EQ(label->Left() + label->Width(), 130);
  label->draw = false;  // a descendant that measures nothing keeps the size
  label->SetCaption(u"Much wider caption");
  EXPECT_EQ(label->Left() + label->Width(), 130);
}

TEST_F(LabelFixture, PaintFillsInColorUnlessTransparent) {
  label->SetAutoSize(false);
  label->SetCaption(u"");
  label->SetColor(clYellow);
  user.Show(form.get());
  EXPECT_EQ(PixelOf(user.Grab(label).get(), 5, 5), clYellow);
  label->SetTransparent(true);
  EXPECT_EQ(PixelOf(user.Grab(label).get(), 5, 5), clWhite);
}

TEST_F(LabelFixture, ADisabledLabelWritesItsCaptionEngraved) {
  label->Font()->SetQuality(fqNonAntialiased);  // whole pixels: the two colours show exactly
  label->Font()->SetSize(14);
  label->SetCaption(u"Off");
  label->SetEnabled(false);
  user.Show(form.get());
  auto picture = user.Grab(label);
  int shadow = 0, highlight = 0;
  for (int y = 0; y < picture->Height(); ++y)
    for (int x = 0; x < picture->Width(); ++x) {
      shadow += PixelOf(picture.get(), x, y) == ColorToRGB(clBtnShadow);
      highlight += PixelOf(picture.get(), x, y) == ColorToRGB(clBtnHighlight);
    }
  EXPECT_GT(shadow, 5);
  EXPECT_GT(highlight, 0);
}

TEST(TPanel, HoldsControlsAndDrawsItsBevelsAndCaption) {
  TScriptedUser user;
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 120, 40);
  auto* inner = new TLabel(&form);
  inner->SetParent(panel);
  inner->SetBounds(30, 10, 20, 15);
  EXPECT_EQ(inner->Parent(), panel);
  EXPECT_TRUE(panel->ControlStyle().Contains(csAcceptsControls));
  user.Show(&form);
  auto picture = user.Grab(panel);
  EXPECT_EQ(PixelOf(picture.get(), 0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(PixelOf(picture.get(), 119, 39), ColorToRGB(clBtnShadow));
  panel->SetBevelOuter(bvLowered);
  picture = user.Grab(panel);
  EXPECT_EQ(PixelOf(picture.get(), 0, 0), ColorToRGB(clBtnShadow));
  panel->SetBevelWidth(0);
  EXPECT_EQ(panel->BevelWidth(), 1);
}
