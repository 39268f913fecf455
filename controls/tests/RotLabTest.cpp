// The rotated label TRotLab: start points by angle and alignment, the turned font and its quality,
// the engraved disabled caption, the reference point under AutoCenter and resizing beside the host's
// OnResize, the frame, and a golden picture.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_RotLab.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// Paints on demand.
class TTestRotLab : public TRotLab {
 public:
  using TRotLab::TRotLab;
  using TRotLab::Paint;
};

struct RotLabFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TTestRotLab* lab = new TTestRotLab(form.get());
  int hw = 0, hh = 0;

  void SetUp() override {
    form->SetBounds(0, 0, 260, 240);
    form->SetColor(clWhite);
    lab->SetParent(form.get());
    lab->SetBounds(0, 0, 200, 200);
    lab->SetCaption(u"Rotated");
    lab->Font()->SetColor(clBlack);
    user.Show(form.get());
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(lab->Font());
    hw = probe.Canvas()->TextWidth(u"Rotated") / 2;
    hh = probe.Canvas()->TextHeight(u"Rotated") / 2;
  }

  // The TextOut calls of one paint.
  std::vector<TCanvasTraceRecord> TextOuts() {
    TCanvasTrace trace;
    lab->Canvas()->SetTrace(&trace);
    lab->Paint();
    lab->Canvas()->SetTrace(nullptr);
    return trace.Find("TextOut");
  }
};

}  // namespace

TEST_F(RotLabFixture, TheReferencePointIsTheLeftEndRightEndOrCentreAtEveryAngle) {
  // Placed on its parent at the default size, the label centres its point (it kept (10, 10) until a
  // resize, although AutoCenter was on).
  ASSERT_EQ(lab->PosX(), 100);
  struct Case {
    int angle;
    TAlignment a;
    int x, y;
  };
  const Case cases[] = {
      {0, taCenter, 100 - hw, 100 - hh},      {90, taCenter, 100 - hh, 100 + hw},
      {0, taLeftJustify, 100, 100 - hh},      {90, taLeftJustify, 100 - hh, 100},
      {0, taRightJustify, 100 - 2 * hw, 100 - hh}, {180, taRightJustify, 100 + 2 * hw, 100 + hh},
      {270, taCenter, 100 + hh, 100 - hw},
  };
  for (const Case& c : cases) {
    lab->SetTextAngle(c.angle);
    lab->SetAlignment(c.a);
    const auto outs = TextOuts();
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs[0].Args, (std::vector<int64_t>{c.x, c.y})) << c.angle << " " << c.a;
  }
  // 30 degrees, centred: the offsets rounded as a whole.
  lab->SetTextAngle(30);
  lab->SetAlignment(taCenter);
  const double s = 0.5, co = std::sqrt(3.0) / 2;
  EXPECT_EQ(TextOuts()[0].Args, (std::vector<int64_t>{100 + int64_t(std::nearbyint(-hw * co - hh * s)),
                                                       100 + int64_t(std::nearbyint(hw * s - hh * co))}));
}

TEST_F(RotLabFixture, ACaptionAt90DegreesRunsUpwardAroundThePoint) {
  lab->SetFrameStyle(fsNone);
  lab->SetTextAngle(90);
  const std::unique_ptr<TBitmap> p = user.Grab(lab);
  int l = 200, t = 200, r = 0, b = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (p->Canvas()->Pixels(x, y) != 0xFFFFFF) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
  EXPECT_GT(b - t, 2 * (r - l));  // taller than wide
  EXPECT_NEAR((t + b) / 2.0, 100, 3);
  EXPECT_NEAR((l + r) / 2.0, 100, 4);
}

TEST_F(RotLabFixture, SmoothingOnAndOffAndTheEngravedDisabledCaption) {
  lab->SetFrameStyle(fsNone);
  lab->SetTextAngle(30);
  auto colours = [&] {
    std::set<TColor> seen;
    const std::unique_ptr<TBitmap> p = user.Grab(lab);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) seen.insert(p->Canvas()->Pixels(x, y));
    return seen;
  };
  EXPECT_GT(colours().size(), 2u);  // antialiased: shades between black and white
  lab->SetAntiAlias(false);
  EXPECT_EQ(colours(), (std::set<TColor>{0, 0xFFFFFF}));
  const auto outs = TextOuts();
  lab->SetEnabled(false);
  const auto engraved = TextOuts();
  ASSERT_EQ(engraved.size(), 2u);
  EXPECT_EQ(engraved[0].Args, (std::vector<int64_t>{outs[0].Args[0] + 1, outs[0].Args[1] + 1}));
  EXPECT_EQ(engraved[1].Args, outs[0].Args);
  EXPECT_EQ(colours(), (std::set<TColor>{ColorToRGB(clBtnHighlight), ColorToRGB(clBtnShadow), 0xFFFFFF}));
}

TEST_F(RotLabFixture, TheTurnedFontTakesTheAngleInTenths) {
  TCanvasTrace trace;
  lab->SetTextAngle(45);
  lab->Canvas()->SetTrace(&trace);
  lab->Paint();
  lab->Canvas()->SetTrace(nullptr);
  const auto orientations = trace.Find("Font.Orientation");
  ASSERT_FALSE(orientations.empty());
  EXPECT_EQ(orientations.back().Args, std::vector<int64_t>{450});
  EXPECT_EQ(lab->Canvas()->Font()->Quality(), fqAntialiased);
}

// Regression: the label installed its own resize handler as OnResize, so a host's handler replaced
// it and the reference point stayed at the old centre.
TEST_F(RotLabFixture, AutoCenterFollowsTheSizeBesideTheHostsOnResize) {
  int hostResizes = 0;
  lab->OnResize = [&](TObject*) { ++hostResizes; };
  lab->SetPosX(5);  // ignored while AutoCenter is on
  EXPECT_EQ(lab->PosX(), 100);
  lab->SetBounds(0, 0, 240, 120);
  EXPECT_EQ(lab->PosX(), 120);
  EXPECT_EQ(lab->PosY(), 60);
  EXPECT_EQ(hostResizes, 1);
  lab->SetAutoCenter(false);
  lab->SetPosX(5);
  lab->SetPosY(7);
  lab->SetBounds(0, 0, 200, 200);
  EXPECT_EQ(lab->PosX(), 5);
  EXPECT_EQ(lab->PosY(), 7);
  lab->SetAutoCenter(true);
  EXPECT_EQ(lab->PosX(), 100);
  EXPECT_EQ(lab->PosY(), 100);
}

TEST_F(RotLabFixture, MeasuringDoesNothingSoTheSizeStays) {
  lab->SetCaption(u"a much longer caption than before");
  lab->AdjustBounds();
  EXPECT_EQ(lab->Width(), 200);
  EXPECT_EQ(lab->Height(), 200);
}

TEST_F(RotLabFixture, FrameAndGoldenPicture) {
  lab->SetAntiAlias(false);
  lab->SetTextAngle(30);
  lab->SetTransparent(false);
  lab->SetColor(0xF0F0F0);
  const std::unique_ptr<TBitmap> p = user.Grab(lab);
  EXPECT_EQ(p->Canvas()->Pixels(0, 100), 0x808080);  // lowered: grey outer upper-left
  EXPECT_EQ(p->Canvas()->Pixels(199, 100), 0xFFFFFF);
  EXPECT_EQ(p->Canvas()->Pixels(1, 100), 0);
  EXPECT_GOLDEN(*p, "rotlab-30", std::vector<TRect>{Rect(3, 3, 197, 197)});
}

TEST(TRotLabComponent, DefaultsAndAssign) {
  TRotLab a(nullptr), b(nullptr);
  EXPECT_EQ(a.Width(), 200);
  EXPECT_EQ(a.Height(), 200);
  EXPECT_EQ(a.Font()->Name(), u"Arial");
  EXPECT_EQ(a.Font()->Size(), 11);
  EXPECT_EQ(a.PosX(), 10);
  EXPECT_TRUE(a.AntiAlias());
  EXPECT_TRUE(a.AutoCenter());
  EXPECT_TRUE(a.Transparent());
  EXPECT_EQ(a.Alignment(), taCenter);
  EXPECT_EQ(a.FrameStyle(), fsLowered);
  a.SetAutoCenter(false), a.SetFrameStyle(fsRaised), a.SetTextAngle(77), a.SetPosX(3), a.SetPosY(4);
  a.SetAntiAlias(false), a.SetAlignment(taLeftJustify);
  b.Assign(&a);
  EXPECT_FALSE(b.AutoCenter());
  EXPECT_EQ(b.FrameStyle(), fsRaised);
  EXPECT_EQ(b.TextAngle(), 77);
  EXPECT_EQ(b.PosX(), 3);
  EXPECT_EQ(b.PosY(), 4);
  EXPECT_FALSE(b.AntiAlias());
  EXPECT_EQ(b.Alignment(), taCenter);  // not copied
}
