// The progress bar TProgBar: defaults, clamps and the ramp; the bar's share and its clamping (a
// value out of range, Max = Min, NaN); the three mappings in four directions, the grid, the frames,
// the background picture and the value text; and a golden picture.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_ProgBar.h"
#include "Qelta_RotLab.h"
#include "Qelta_qeltacolors.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// Paints on demand.
class TTestProgBar : public TProgBar {
 public:
  using TProgBar::Paint;
  using TProgBar::TProgBar;
};

struct ProgBarFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TTestProgBar* bar = new TTestProgBar(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 320, 200);
    bar->SetParent(form.get());
    bar->SetBounds(0, 0, 108, 58);  // inner area 100 x 50 from (4, 4)
    bar->SetTextVisible(false);
    user.Show(form.get());
  }
  TColor At(int x, int y) { return user.Grab(bar)->Canvas()->Pixels(x, y); }
};

}  // namespace

TEST(TProgBarComponent, DefaultsClampsAndTheRamp) {
  TProgBar b(nullptr);
  EXPECT_EQ(b.Width(), 300);
  EXPECT_EQ(b.Height(), 28);
  EXPECT_EQ(b.Value(), 10);
  EXPECT_EQ(b.Max(), 100);
  EXPECT_EQ(b.Direction(), dirRightward);
  EXPECT_EQ(b.ColorMapMode(), cgmStretch);
  EXPECT_EQ(b.FrameStyleOuter(), fsRaised);
  EXPECT_EQ(b.FrameStyleInner(), fsLowered);
  EXPECT_EQ(b.TextAlignment(), taCenter);
  for (int i : {0, 1, 511, 1022, 1023})
    EXPECT_EQ(b.GetBarColorElem(i), InterpolateColor(0xFF0000, 0x0000FF, i / 1023.0)) << i;
  EXPECT_EQ(b.GetBarColorElem(1), 0xFE0000);  // truncated, not rounded
  b.SetColorMin(0x000000);
  b.SetColorMax(0x00FF00);
  EXPECT_EQ(b.GetBarColorElem(512), InterpolateColor(0, 0x00FF00, 512 / 1023.0));
  b.SetBarColorElem(1024, 0x123456);  // outside: nothing
  b.SetBarColorElem(5, 0x123456);
  EXPECT_EQ(b.GetBarColorElem(5), 0x123456);
  b.SetRange(100, 0);
  EXPECT_EQ(b.Min(), 0);
  EXPECT_EQ(b.Max(), 100);
  const struct {
    int in, dec, angle;
  } clamps[] = {{12, 10, 12}, {-5, -2, 0}, {400, 10, 360}, {-1, -1, 0}};
  for (const auto& c : clamps) {
    b.SetTextDecPlaces(c.in);
    b.SetTextAngle(c.in);
    EXPECT_EQ(b.TextDecPlaces(), c.dec) << c.in;
    EXPECT_EQ(b.TextAngle(), c.angle) << c.in;
  }
  b.SetTextPosX(400);
  b.SetTextPosY(-3);
  EXPECT_EQ(b.TextPosX(), 300);
  EXPECT_EQ(b.TextPosY(), 0);
  b.SetBackGroundImg(u"/nonexistent/picture.bmp");
  EXPECT_EQ(b.BackGroundImg(), u"");
}

// Regression: the share (Value - Min) / (Max - Min) was not limited, so a value out of range or
// Max = Min made bars of negative or infinite length (with a gradient a loop of 2^63 lines).
TEST(TProgBarComponent, TheBarsShareIsClampedAndUndefinedSharesDrawNothing) {
  TProgBar b(nullptr);
  const struct {
    double value, min, max, frac;
  } cases[] = {{0, 0, 100, 0},     {100, 0, 100, 1},   {50, 0, 100, 0.5}, {-50, 0, 100, 0},
               {1e300, 0, 100, 1}, {5, 5, 5, NAN},     {NAN, 0, 100, NAN}, {INFINITY, 0, 100, 1},
               {3, 0, INFINITY, 0}};
  for (const auto& c : cases) {
    b.SetMin(c.min), b.SetMax(c.max), b.SetValue(c.value);
    if (std::isnan(c.frac))
      EXPECT_TRUE(std::isnan(b.BarFraction())) << c.value << " " << c.max;
    else
      EXPECT_EQ(b.BarFraction(), c.frac) << c.value;
  }
}

TEST_F(ProgBarFixture, EmptyFullAndOutOfRangeBars) {
  bar->SetFrameStyleInner(fsNone);
  bar->SetFrameStyleOuter(fsNone);
  bar->SetValue(0);
  EXPECT_EQ(At(4, 20), 0xC0C0C0);  // no bar
  bar->SetValue(100);
  EXPECT_EQ(At(103, 20), 0xFF0000);  // ramp entry 0 over the whole inner area
  EXPECT_EQ(At(104, 20), 0xC0C0C0);  // the margin
  bar->SetValue(250);
  EXPECT_EQ(At(103, 20), 0xFF0000);
  EXPECT_EQ(At(104, 20), 0xC0C0C0);
  bar->SetRange(5, 5);
  bar->SetShowColorGradient(true);
  EXPECT_EQ(At(4, 20), 0xC0C0C0);
}

TEST_F(ProgBarFixture, MappingsPutTheRampAtBaseAndTipInEveryDirection) {
  bar->SetFrameStyleInner(fsNone);
  bar->SetShowColorGradient(true);
  bar->SetValue(50);
  const TColor c0 = bar->GetBarColorElem(0), c1023 = bar->GetBarColorElem(1023);
  struct Case {
    TDirection dir;
    TPoint base, tip, beyond;  // first and last line of the bar, first line after it
  };
  const Case cases[] = {{dirRightward, Point(4, 20), Point(53, 20), Point(54, 20)},
                        {dirLeftward, Point(103, 20), Point(54, 20), Point(53, 20)},
                        {dirUpward, Point(50, 53), Point(50, 29), Point(50, 28)},
                        {dirDownward, Point(50, 4), Point(50, 28), Point(50, 29)}};
  for (const Case& c : cases) {
    bar->SetDirection(c.dir);
    bar->SetColorMapMode(cgmStretch);  // entry 0 at the base, 1023 (len - 1) / len at the tip
    const int len = c.dir == dirUpward || c.dir == dirDownward ? 25 : 50;
    EXPECT_EQ(At(c.base.X, c.base.Y), c0) << c.dir;
    EXPECT_EQ(At(c.tip.X, c.tip.Y), bar->GetBarColorElem(int(std::nearbyint(1023.0 * (len - 1) / len)))) << c.dir;
    EXPECT_EQ(At(c.beyond.X, c.beyond.Y), 0xC0C0C0) << c.dir;
    bar->SetColorMapMode(cgmMove);
    EXPECT_EQ(At(c.tip.X, c.tip.Y), c1023) << c.dir;
    bar->SetColorMapMode(cgmCover);
    EXPECT_EQ(At(c.base.X, c.base.Y), c0) << c.dir;
    EXPECT_NE(At(c.tip.X, c.tip.Y), c1023) << c.dir;  // the ramp spans the whole area
  }
}

// Margins far outside the control make an inner area of billions of lines: only those on the picture
// are drawn, so the paint ends at once.
TEST_F(ProgBarFixture, HugeMarginsDrawOnlyTheLinesOnThePicture) {
  bar->SetShowColorGradient(true);
  bar->SetGridDist(2);
  bar->SetValue(100);
  for (TDirection d : {dirUpward, dirDownward, dirLeftward, dirRightward}) {
    bar->SetDirection(d);
    bar->SetMarginLeft(INT_MIN), bar->SetMarginTop(INT_MIN), bar->SetMarginRight(INT_MIN);
    bar->SetMarginBottom(INT_MIN);
    // From the far end (upward, leftward) the bar covers the picture; from the near end it ends
    // before it (its length is the clamped inner size).
    EXPECT_EQ(At(50, 20) != 0xC0C0C0, d == dirUpward || d == dirLeftward) << d;
    bar->SetMarginLeft(4), bar->SetMarginTop(4), bar->SetMarginRight(4), bar->SetMarginBottom(4);
  }
}

TEST_F(ProgBarFixture, GridLinesFromTheBase) {
  bar->SetFrameStyleInner(fsNone);
  bar->SetValue(50);
  bar->SetGridDist(10);
  bar->SetColorGrid(0x00FF00);
  for (int x : {4, 14, 54}) EXPECT_EQ(At(x, 20), 0x00FF00) << x;  // up to one past the bar's end
  EXPECT_EQ(At(64, 20), 0xC0C0C0);
  EXPECT_EQ(At(5, 20), 0xFF0000);
  bar->SetDirection(dirUpward);
  for (int y : {53, 43, 33}) EXPECT_EQ(At(50, y), 0x00FF00) << y;
  EXPECT_EQ(At(50, 23), 0xC0C0C0);
  bar->SetGridDist(1);  // no grid
  EXPECT_EQ(At(50, 53), 0xFF0000);
}

TEST_F(ProgBarFixture, FramesAndTheirCornerPixels) {
  bar->SetMarginLeft(0), bar->SetMarginTop(0), bar->SetMarginRight(0), bar->SetMarginBottom(0);
  bar->SetFrameStyleInner(fsNone);
  bar->SetValue(0);
  bar->SetFrameStyleOuter(fsLowered);
  EXPECT_EQ(At(1, 10), 0x000000);
  EXPECT_EQ(At(107, 10), 0xFFFFFF);
  EXPECT_EQ(At(106, 10), 0x808080);
  EXPECT_EQ(At(0, 10), 0x808080);
  EXPECT_EQ(At(0, 57), 0xC0C0C0);  // corner in the margin colour
  bar->SetFrameStyleOuter(fsRaised);
  EXPECT_EQ(At(1, 10), 0xFFFFFF);
  bar->SetColorScheme(csSystem);
  EXPECT_EQ(At(0, 10), ColorToRGB(clBtnShadow));
}

TEST_F(ProgBarFixture, TheValueTextIsPlacedAsTheRotatedLabelPlacesItsCaption) {
  bar->SetBounds(0, 0, 200, 120);
  bar->SetFrameStyleInner(fsNone), bar->SetFrameStyleOuter(fsNone);
  bar->SetValue(0);
  bar->SetTextVisible(true);
  bar->SetValue(42.25);
  bar->SetTextDecPlaces(1);
  bar->Font()->SetColor(clBlack);
  bar->Font()->SetQuality(fqNonAntialiased);
  String shown;
  bar->OnShowValue = [&](TObject*, String& t) { shown = t, t += u"%"; };
  auto ink = [&] {
    const auto p = user.Grab(bar);
    TRect r{200, 120, 0, 0};
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 200; ++x)
        if (p->Canvas()->Pixels(x, y) == 0)
          r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
    return r;
  };
  bar->SetTextPosX(100), bar->SetTextPosY(60);
  TRect r = ink();
  EXPECT_EQ(shown, u"42.3");
  EXPECT_NEAR((r.Left + r.Right) / 2.0, 100, 2);  // centred on the point
  EXPECT_NEAR((r.Top + r.Bottom) / 2.0, 60, 4);
  bar->SetTextAngle(90);
  bar->SetTextAlignment(taLeftJustify);
  bar->SetTextPosY(100);
  r = ink();
  EXPECT_GT(r.Height(), 2 * r.Width());  // runs upward
  EXPECT_NEAR(r.Bottom, 100, 2);         // from the point
  EXPECT_NEAR((r.Left + r.Right) / 2.0, 100, 4);
  bar->SetTextAlignment(taRightJustify);
  bar->SetTextPosY(20);
  r = ink();
  EXPECT_NEAR(r.Top, 20, 2);  // the right end on the point
}

TEST_F(ProgBarFixture, AssignCopiesTheSettingsButNotThePicture) {
  TProgBar b(nullptr);
  bar->SetColorMin(0x112233), bar->SetDirection(dirUpward), bar->SetGridDist(7), bar->SetTextAngle(45);
  bar->SetValue(33), bar->SetMarginTop(9), bar->SetColorMapMode(cgmMove);
  b.Assign(bar);
  EXPECT_EQ(b.ColorMin(), 0x112233u);
  EXPECT_EQ(b.GetBarColorElem(500), bar->GetBarColorElem(500));
  EXPECT_EQ(b.Direction(), dirUpward);
  EXPECT_EQ(b.GridDist(), 7);
  EXPECT_EQ(b.TextAngle(), 45);
  EXPECT_EQ(b.Value(), 33);
  EXPECT_EQ(b.MarginTop(), 9);
  EXPECT_EQ(b.ColorMapMode(), cgmMove);
  EXPECT_FALSE(b.TextVisible());
}

TEST(TProgBarPicture, ThreeMappingsInFourDirectionsGridAndTexts) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 640, 420);
  form.SetColor(clWhite);
  const TDirection dirs[] = {dirRightward, dirLeftward, dirUpward, dirDownward};
  const TColorMapping maps[] = {cgmCover, cgmStretch, cgmMove};
  for (int m = 0; m < 3; ++m)
    for (int d = 0; d < 4; ++d) {
      auto* b = new TProgBar(&form);
      b->SetParent(&form);
      const bool vertical = dirs[d] == dirUpward || dirs[d] == dirDownward;
      b->SetBounds(10 + d * 150, 10 + m * 80, vertical ? 40 : 140, vertical ? 70 : 30);
      b->SetTextVisible(false);
      b->SetShowColorGradient(true);
      b->SetColorMapMode(maps[m]);
      b->SetDirection(dirs[d]);
      b->SetValue(30 + 20 * d);
      b->SetGridDist(d == 3 ? 0 : 8);
      b->SetColorGrid(0x404040);
      b->SetFrameStyleOuter(static_cast<TFrameStyle>(1 + (m + d) % 5));
    }
  std::vector<TRect> textBoxes;
  const int angles[] = {0, 90, 180, 270};
  const TAlignment aligns[] = {taLeftJustify, taCenter, taRightJustify};
  for (int a = 0; a < 4; ++a)
    for (int j = 0; j < 3; ++j) {
      auto* b = new TProgBar(&form);
      b->SetParent(&form);
      b->SetBounds(10 + a * 155, 250 + j * 56, 150, 52);
      b->SetValue(62.5);
      b->SetTextDecPlaces(1);
      b->Font()->SetColor(clNavy);
      b->SetTextPosX(75), b->SetTextPosY(26);
      b->SetTextAngle(angles[a]);
      b->SetTextAlignment(aligns[j]);
      textBoxes.push_back(b->BoundsRect());
    }
  user.Show(&form);
  EXPECT_GOLDEN(*user.Grab(&form), "progbar-mappings", textBoxes);
}
