// The on/off button: layout, groups, mouse, setters, transparency and its look.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Buttons.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Panels.h"
#include "Qelta_onoffbut.h"
#include "SampleControls.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// A button that shows its off-screen picture and mask.
class TOpenOnOffBut : public TOnOffBut {
 public:
  using TOnOffBut::DrawPicture;
  using TOnOffBut::Mask;
  using TOnOffBut::TOnOffBut;
};

/// The bands round a button's picture where its captions stand (inside the frame), offset to (dx, dy),
/// for the text compare of the golden pictures.
std::vector<TRect> CaptionBands(const TOnOffBut& b, int dx, int dy) {
  const TRect glyph = Bounds(dx + b.LeftSpace(), dy + b.TopSpace(), b.GlyphWidth() + 2, b.GlyphHeight() + 2);
  const int l = dx + 2, t = dy + 2, r = dx + b.Width() - 2, bottom = dy + b.Height() - 2;
  return {Rect(l, glyph.Top, glyph.Left, glyph.Bottom), Rect(glyph.Right, glyph.Top, r, glyph.Bottom),
          Rect(l, t, r, glyph.Top), Rect(l, glyph.Bottom, r, bottom)};
}

TOnOffLayout PlainLayout() { return TOnOffLayout{100, 50, 30, 18, 35, 16, 14}; }

struct OnOffPanel : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TPanel* panel = new TPanel(form.get());

  void SetUp() override {
    form->SetBounds(50, 50, 500, 300);
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 480, 260);
  }
  TOnOffBut* Button(int left, int top) {
    auto* b = new TOnOffBut(form.get());
    b->SetParent(panel);
    b->SetLeft(left);
    b->SetTop(top);
    return b;
  }
  // The middle of a button's picture.
  static TPoint Middle(const TOnOffBut* b) {
    return Point(b->LeftSpace() + b->GlyphWidth() / 2, b->TopSpace() + b->GlyphHeight() / 2);
  }
  void ClickPicture(TOnOffBut* b) { user.Click(b, Middle(b).X, Middle(b).Y); }
};

}  // namespace

// [SECTION] layout

TEST(TOnOffLayout, FocusedClicksCountOnlyStrictlyInsideThePicture) {
  const TOnOffLayout l = PlainLayout();  // picture 35..65 x 16..34
  const struct {
    TOOButMouseAction action;
    int x, y;
    bool counts;
  } cases[] = {
      {oomaFocused, 35, 25, false}, {oomaFocused, 36, 25, true},  {oomaFocused, 64, 25, true},
      {oomaFocused, 65, 25, false}, {oomaFocused, 50, 16, false}, {oomaFocused, 50, 17, true},
      {oomaFocused, 50, 33, true},  {oomaFocused, 50, 34, false}, {oomaFocused, 10, 25, false},
      {oomaPlain, 0, 0, true},      {oomaPlain, 99, 49, true},    {oomaNone, 50, 25, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OnOffHit(l, c.action, c.x, c.y), c.counts) << int(c.action) << " at " << c.x << ", " << c.y;
}

TEST(TOnOffLayout, CaptionsStandRoundThePictureByAlignment) {
  const TOnOffLayout l = PlainLayout();
  const int tw = 20;
  const struct {
    TOnOffCaption side;
    TAlignment alignment;
    int x, y;
  } cases[] = {
      {ocLeft, taLeftJustify, 4, 18},   {ocLeft, taRightJustify, 12, 18},   {ocLeft, taCenter, 7, 18},
      {ocRight, taLeftJustify, 69, 18}, {ocRight, taRightJustify, 76, 18},  {ocRight, taCenter, 73, 18},
      {ocTop, taLeftJustify, 4, -2},    {ocTop, taRightJustify, 76, -2},    {ocTop, taCenter, 40, -2},
      {ocBottom, taCenter, 40, 38},     {ocBottom, taRightJustify, 76, 38},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OnOffCaptionPos(l, c.side, c.alignment, tw), Point(c.x, c.y)) << int(c.side) << "/" << int(c.alignment);
  EXPECT_EQ(OnOffGlyphRect(l), Rect(36, 17, 66, 35));
}

// [SECTION] pictures

TEST(TOnOffBut, StartsAsTheSlideSwitchCentredOnTheControl) {
  TOnOffBut b(nullptr);
  EXPECT_EQ(b.Width(), 100);
  EXPECT_EQ(b.Height(), 50);
  EXPECT_TRUE(b.OnOff());
  EXPECT_EQ(b.ButtonStyle(), oobsColSlideLR);
  EXPECT_EQ(b.GlyphWidth(), 30);
  EXPECT_EQ(b.GlyphHeight(), 18);
  EXPECT_EQ(b.LeftSpace(), 35);  // no parent yet: the initial places stay
  EXPECT_EQ(b.TopSpace(), 18);
  EXPECT_EQ(b.MouseAction(), oomaFocused);
  EXPECT_EQ(b.FrameStyle(), fsLowered);
  EXPECT_EQ(b.ColorBackgnd(), clBtnFace);
}

TEST(TOnOffBut, EverySheetStyleHasHalfItsSheetAsGlyph) {
  const struct {
    TOnOffButStyle style;
    const char16_t* name;
    int w, h;
  } sheets[] = {
      {oobsCheckbox, u"CHECKBOX", 32, 32},
      {oobsRadioBut, u"RADIOBUT", 28, 28},
      {oobsSlideTB, u"SLIDETOPBOT", 36, 60},
      {oobsSlideLR, u"SLIDELFTRGT", 60, 36},
      {oobsColSlideTB, u"COLSLIDETB", 36, 60},
      {oobsColSlideLR, u"COLSLIDELR", 60, 36},
      {oobsLedRedGreen, u"LEDREDGREEN", 28, 28},
      {oobsArrowTopRgt, u"ARROWTR", 50, 50},
      {oobsArrowUpDown, u"ARROWUD", 50, 50},
      {oobsArrowLeftRight, u"ARROWLR", 50, 50},
      {oobsTrafficLPed, u"TRAFFICLGT", 62, 62},
      {oobsBeveledLed, u"BEVELEDLED", 34, 34},
      {oobsSmileyYellow, u"SMILEYS", 36, 36},
      {oobsSmileyRedGrn, u"SMILEYRG", 36, 36},
      {oobsBulb, u"BULB", 78, 98},
      {oobsButLamp, u"BUTLAMP", 98, 48},
      {oobsHDLeft, u"HDLEFT", 96, 32},
      {oobsHDRight, u"HDRIGHT", 96, 32},
      {oobsUser1, u"USER1", 48, 48},
      {oobsUser2, u"USER2", 48, 48},
      {oobsUser3, u"USER3", 48, 48},
      {oobsUser4, u"USER4", 48, 48},
      {oobsUser5, u"USER5", 48, 48},
  };
  TOnOffBut b(nullptr);
  for (const auto& s : sheets) {
    b.SetButtonStyle(s.style);
    EXPECT_EQ(OnOffButSheetName(s.style), s.name);
    EXPECT_EQ(b.GlyphWidth(), s.w / 2) << sample::Narrow(s.name);
    EXPECT_EQ(b.GlyphHeight(), s.h / 2) << sample::Narrow(s.name);
    EXPECT_EQ(b.LeftSpace(), (100 - s.w / 2) / 2);
    EXPECT_EQ(b.TopSpace(), (50 - s.h / 2) / 2);
  }
  EXPECT_EQ(OnOffButSheetName(oobsUser), u"");
}

// Regression: oobsUser kept the previous style's glyph size (30 x 18 after the initial style) while
// its pictures are 20 x 20, so they were cut, centred wrongly and hit-tested over the wrong area.
TEST(TOnOffBut, TheUserStyleTakesTheSizeOfTheUserPictures) {
  TOnOffBut b(nullptr);
  b.SetButtonStyle(oobsUser);
  EXPECT_EQ(b.GlyphWidth(), 20);
  EXPECT_EQ(b.GlyphHeight(), 20);
  EXPECT_EQ(b.LeftSpace(), 40);
  EXPECT_EQ(b.TopSpace(), 15);
}

TEST(TOnOffBut, UserGlyphsComeFromATwoByTwoSheetAndShowAtOnceInTheUserStyle) {
  TOpenOnOffBut b(nullptr);
  TBitmap sheet(24, 16);  // quarters: on/enabled red, off/enabled green, on/disabled blue, off/disabled grey
  const TColor quarters[2][2] = {{clRed, clLime}, {clBlue, clGray}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) {
      sheet.Canvas()->Brush()->SetColor(quarters[r][c]);
      sheet.Canvas()->FillRect(Bounds(c * 12, r * 8, 12, 8));
    }
  b.SetUserGlyph(&sheet);
  EXPECT_EQ(b.GlyphWidth(), 30);  // not the user style yet
  b.SetButtonStyle(oobsUser);
  EXPECT_EQ(b.GlyphWidth(), 12);
  EXPECT_EQ(b.GlyphHeight(), 8);
  b.SetAutoCenter(false);
  b.SetLeftSpace(10);
  b.SetTopSpace(10);
  const struct {
    bool on, enabled;
    TColor colour;
  } states[] = {{true, true, clRed}, {false, true, clLime}, {true, false, clBlue}, {false, false, clGray}};
  for (const auto& s : states) {
    b.SetEnabled(s.enabled);
    b.SetOnOff(s.on);
    TBitmap bmp(b.Width(), b.Height());
    b.DrawPicture(bmp);
    EXPECT_EQ(bmp.Canvas()->Pixels(11 + 6, 11 + 4), ColorToRGB(s.colour)) << s.on << s.enabled;
  }
  b.SetUserGlyph(nullptr);  // ignored
  TBitmap tiny(1, 1);
  b.SetUserGlyph(&tiny);
  EXPECT_EQ(b.GlyphWidth(), 12);
}

TEST(TOnOffBut, LoadUserGlyphReadsAPictureFileAndKeepsThePicturesOnFailure) {
  TOnOffBut b(nullptr);
  b.SetButtonStyle(oobsUser);
  const std::string dir = ::testing::TempDir();
  const String file = Utf8ToString(dir + "/onoff_user_sheet.png");
  TBitmap sheet(40, 30);
  sheet.SaveToFile(file);
  b.LoadUserGlyph(file);
  EXPECT_EQ(b.GlyphWidth(), 20);
  EXPECT_EQ(b.GlyphHeight(), 15);
  EXPECT_ANY_THROW(b.LoadUserGlyph(Utf8ToString(dir + "/no_such_onoff_sheet.png")));
  EXPECT_EQ(b.GlyphHeight(), 15);
}

// [SECTION] setters

TEST(TOnOffBut, SpacesAreLimitedToTheControlOrOnlyRecentredWithAutoCenter) {
  TOnOffBut b(nullptr);
  b.SetLeftSpace(5);  // AutoCenter: only re-centres
  EXPECT_EQ(b.LeftSpace(), 35);
  b.SetAutoCenter(false);
  b.SetTopSpace(1000);
  EXPECT_EQ(b.TopSpace(), 50);
  b.SetLeftSpace(1000);
  EXPECT_EQ(b.LeftSpace(), 100);
  b.SetLeftSpace(-3);
  EXPECT_EQ(b.LeftSpace(), 100);
  b.SetLeftSpace(7);
  EXPECT_EQ(b.LeftSpace(), 7);
  b.SetAutoCenter(true);
  EXPECT_EQ(b.LeftSpace(), 35);
  EXPECT_EQ(b.TopSpace(), 16);
}

TEST(TOnOffBut, SpeedModeSwitchesOffAndAssignCopiesTheLook) {
  TOnOffBut a(nullptr), b(nullptr);
  a.SetButtonStyle(oobsBulb);
  a.SetLeftText(u"lamp");
  a.SetRightTextAlignment(taCenter);
  a.SetColorBackgnd(clYellow);
  a.SetTransparent(true);
  a.SetEnabled(false);
  a.SetOnOff(false);
  b.Assign(&a);
  EXPECT_EQ(b.ButtonStyle(), oobsBulb);
  EXPECT_EQ(b.GlyphWidth(), 39);
  EXPECT_EQ(b.LeftText(), u"lamp");
  EXPECT_EQ(b.RightTextAlignment(), taCenter);
  EXPECT_EQ(b.ColorBackgnd(), clYellow);
  EXPECT_TRUE(b.Transparent());
  EXPECT_FALSE(b.Enabled());
  EXPECT_FALSE(b.OnOff());
  TOnOffBut c(nullptr);
  c.SetMode(oobmSpeedBut);
  EXPECT_FALSE(c.OnOff());
}

// [SECTION] groups

TEST_F(OnOffPanel, AStrictGroupKeepsOneButtonOnAndIgnoresSpeedButtons) {
  TOnOffBut* b[3] = {Button(0, 0), Button(110, 0), Button(220, 0)};
  auto* speed = new TSpeedButton(form.get());
  speed->SetParent(panel);
  speed->SetBounds(340, 0, 40, 30);
  speed->SetGroupIndex(1);
  speed->SetAllowAllUp(true);
  for (TOnOffBut* x : b) {
    x->SetGroupIndex(1);
    x->SetAllowAllOff(false);
  }
  user.Show(form.get());
  // only the last one announced itself while on
  EXPECT_FALSE(b[0]->OnOff());
  EXPECT_FALSE(b[1]->OnOff());
  EXPECT_TRUE(b[2]->OnOff());
  speed->SetDown(true);
  ClickPicture(b[2]);  // the one on stays on
  EXPECT_TRUE(b[2]->OnOff());
  b[2]->SetOnOff(false);  // refused by program too
  EXPECT_TRUE(b[2]->OnOff());
  ClickPicture(b[0]);
  EXPECT_TRUE(b[0]->OnOff());
  EXPECT_FALSE(b[2]->OnOff());
  EXPECT_TRUE(speed->Down());  // never switched by an on/off button
  user.Click(speed, 20, 15);   // up (AllowAllUp), then down again
  user.Click(speed, 20, 15);
  EXPECT_TRUE(speed->Down());
  EXPECT_TRUE(b[0]->OnOff());  // nor the other way round
  for (TOnOffBut* x : b) EXPECT_FALSE(x->AllowAllOff());
}

// Regression: CM_BUTTONPRESSED was taken from any sender, so a speed button of the same group number
// switched the on/off buttons off and passed its AllowAllUp on as AllowAllOff.
TEST_F(OnOffPanel, ButtonPressedFromAnotherClassIsIgnored) {
  TOnOffBut* b = Button(0, 0);
  b->SetGroupIndex(3);
  auto* speed = new TSpeedButton(form.get());
  speed->SetParent(panel);
  speed->SetGroupIndex(3);
  speed->SetAllowAllUp(false);
  b->Perform(CM_BUTTONPRESSED, 3, reinterpret_cast<LPARAM>(static_cast<TControl*>(speed)));
  EXPECT_TRUE(b->OnOff());
  EXPECT_TRUE(b->AllowAllOff());
  TOnOffBut* other = Button(110, 0);
  other->SetAllowAllOff(false);
  other->SetGroupIndex(3);  // announces itself while on
  EXPECT_FALSE(b->OnOff());
  EXPECT_FALSE(b->AllowAllOff());
}

// [SECTION] mouse

TEST_F(OnOffPanel, ClicksToggleWhereTheMouseActionSaysAndFireOnClickOnRelease) {
  TOnOffBut* b = Button(10, 10);
  b->SetRightText(u"power");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  user.Show(form.get());
  const TPoint m = Middle(b);
  user.Click(b, m.X, m.Y);
  EXPECT_FALSE(b->OnOff());
  EXPECT_EQ(clicks, 1);
  user.Click(b, 90, m.Y);  // on the caption
  user.Click(b, b->LeftSpace(), m.Y);
  user.Click(b, b->LeftSpace() + b->GlyphWidth(), m.Y);
  EXPECT_FALSE(b->OnOff());
  EXPECT_EQ(clicks, 1);
  b->SetMouseAction(oomaPlain);
  user.Click(b, 90, m.Y);
  EXPECT_TRUE(b->OnOff());
  EXPECT_EQ(clicks, 2);
  b->SetMouseAction(oomaNone);
  user.Click(b, m.X, m.Y);
  EXPECT_TRUE(b->OnOff());
  EXPECT_EQ(clicks, 2);
  b->SetMouseAction(oomaPlain);
  user.Click(b, m.X, m.Y, mbRight);
  EXPECT_TRUE(b->OnOff());
  b->SetEnabled(false);  // no mouse input at all
  user.Click(b, m.X, m.Y);
  EXPECT_TRUE(b->OnOff());
  EXPECT_EQ(clicks, 2);
}

// Regression (the release beside the picture): in speed mode the release ran the position test
// before switching off, so a press on the picture released beside it left the button on for good.
TEST_F(OnOffPanel, ASpeedButtonIsOnOnlyWhilePressedWhereverItIsReleased) {
  TOnOffBut* b = Button(10, 10);
  b->SetMode(oobmSpeedBut);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  user.Show(form.get());
  const TPoint m = Middle(b);
  const struct {
    TPoint release;
    int clicks;
  } cases[] = {{m, 1}, {Point(5, 5), 1}, {Point(m.X + 1, m.Y), 2}};
  for (const auto& c : cases) {
    user.Advance(1000);  // no double click
    user.Press(b, m.X, m.Y);
    EXPECT_TRUE(b->OnOff());
    user.Release(b, c.release.X, c.release.Y);
    EXPECT_FALSE(b->OnOff()) << c.release.X;
    EXPECT_EQ(clicks, c.clicks) << c.release.X;
  }
}

// Regression: the centring hung on the published OnResize, so a host's handler ended it.
TEST_F(OnOffPanel, ResizingRecentresAndStillFiresTheHostsOnResize) {
  TOnOffBut* b = Button(10, 10);
  int resizes = 0;
  b->OnResize = [&](TObject*) { ++resizes; };
  b->SetBounds(10, 10, 200, 100);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(b->LeftSpace(), (200 - 30) / 2);
  EXPECT_EQ(b->TopSpace(), (100 - 18) / 2);
}

// [SECTION] painting

TEST_F(OnOffPanel, ATransparentButtonAndsItsMaskAndOrsItsBitmapOverTheParent) {
  auto* parent = new sample::TCheckered(form.get());
  parent->SetParent(panel);
  parent->SetBounds(0, 0, 200, 120);
  auto* b = new TOpenOnOffBut(form.get());
  b->SetParent(parent);
  b->SetBounds(20, 20, 140, 70);
  b->SetButtonStyle(oobsTrafficLPed);
  b->Font()->SetQuality(fqNonAntialiased);
  b->SetLeftText(u"walk");
  b->SetTopText(u"crossing");
  b->SetRightText(u"wait");
  b->SetVisible(false);
  user.Show(form.get());
  const std::unique_ptr<TBitmap> under = user.Grab(b);
  b->SetTransparent(true);
  b->SetVisible(true);
  // what the button should show: the parent ANDed with the mask, ORed with the bitmap
  auto differing = [&] {
    const std::unique_ptr<TBitmap> shown = user.Grab(b);
    TBitmap picture(b->Width(), b->Height());
    b->DrawPicture(picture);
    int n = 0;
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x) {
        const uint32_t expect = (under->ScanLine(y)[x] & b->Mask().ScanLine(y)[x]) | picture.ScanLine(y)[x];
        n += (shown->ScanLine(y)[x] & 0xFFFFFF) != (expect & 0xFFFFFF);
      }
    return n;
  };
  EXPECT_EQ(differing(), 0);
  const std::unique_ptr<TBitmap> shown = user.Grab(b);
  EXPECT_NE(shown->Canvas()->Pixels(0, 30), under->Canvas()->Pixels(0, 30));  // frame
  EXPECT_EQ(shown->Canvas()->Pixels(b->Width() / 2 - 20, 8), under->Canvas()->Pixels(b->Width() / 2 - 20, 8));
  EXPECT_GOLDEN(*user.Grab(parent), "onoff-transparent", CaptionBands(*b, 20, 20));
  // Regression: a transparent button repainted at once on a change, ORing the new picture over the
  // old one (the up arrow stayed under the down arrow); it invalidates, so the parent is drawn
  // underneath first.
  b->SetButtonStyle(oobsArrowUpDown);
  EXPECT_EQ(differing(), 0);
  b->SetOnOff(false);
  EXPECT_EQ(differing(), 0);
  ClickPicture(b);
  EXPECT_TRUE(b->OnOff());
  EXPECT_EQ(differing(), 0);
  b->SetEnabled(false);
  b->SetFrameStyle(fsNone);
  EXPECT_EQ(differing(), 0);
}

TEST(TOnOffBut, DrawsEveryStyleInItsFourStatesWithCaptions) {
  constexpr int kW = 110, kH = 64;
  const int styles = int(oobsUser5) + 1;
  TBitmap all(4 * kW, styles * kH);
  std::vector<TRect> textBoxes;
  TOpenOnOffBut b(nullptr);
  b.SetBounds(0, 0, kW, kH);
  b.Font()->SetQuality(fqNonAntialiased);
  b.Font()->SetSize(7);
  for (int s = 0; s < styles; ++s) {
    b.SetButtonStyle(TOnOffButStyle(s));
    b.SetAutoCenter(false);
    b.SetAutoCenter(true);
    b.SetLeftText(s % 2 == 0 ? u"L" : u"");
    b.SetRightText(u"R");
    b.SetTopText(s % 3 == 0 ? u"top" : u"");
    b.SetBottomText(s % 3 == 1 ? u"bottom" : u"");
    for (int state = 0; state < 4; ++state) {
      b.SetEnabled(state < 2);
      b.SetOnOff(state % 2 == 0);
      TBitmap one(kW, kH);
      b.DrawPicture(one);
      all.Canvas()->Draw(state * kW, s * kH, &one);
      for (const TRect& r : CaptionBands(b, state * kW, s * kH)) textBoxes.push_back(r);
    }
  }
  EXPECT_GOLDEN(all, "onoff-styles", textBoxes);
}
