// The seven-segment display TSevenSeg: the segment pictures and their seeds, captions read into
// positions (points, cuts, letters, signs), colours, margin and spacing limits, the cache following
// the size beside the host's OnResize, and a golden picture.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_onoffbut.h"  // ctl_detail::OnOffButResources: the resource module of qeltactl
#include "Qelta_sevenseg.h"
#include "Resources.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// Counts the cache rebuilds.
class TCountingSevenSeg : public TSevenSeg {
 public:
  using TSevenSeg::TSevenSeg;
  int builds = 0;
  void CreateImageCache() override {
    ++builds;
    TSevenSeg::CreateImageCache();
  }
};

// Centres of the segments 1..7, the point and the three single pictures on the 312 x 432 master.
struct MasterPoint {
  const char* what;
  int x, y;
};
const MasterPoint kSegmentCentres[] = {{"1", 183, 19},  {"2", 71, 120},  {"3", 278, 120}, {"4", 146, 216},
                                       {"5", 34, 317},  {"6", 241, 317}, {"7", 109, 413}, {".", 288, 413}};
const MasterPoint kPlusCentre{"+", 152, 215}, kColonDot{":", 140, 293}, kDegreeStroke{"°", 175, 45};

struct SevenSegFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TCountingSevenSeg* seg = new TCountingSevenSeg(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 300, 120);
    seg->SetParent(form.get());
    user.Show(form.get());
  }

  // The pixel of the display at a master point of position j (0-based).
  TColor At(const TBitmap& p, int j, const MasterPoint& m) {
    const int gw = seg->ImageCache().Width() / 21, ch = seg->ImageCache().Height();
    const int x = j * (gw + seg->InterDigDist()) + seg->Margin() + (2 * m.x + 1) * gw / 624;
    const int y = seg->Margin() + (2 * m.y + 1) * ch / 864;
    return p.Canvas()->Pixels(x, y);
  }

  // The lit segments of each position as "1234567." texts ('-' for an unlit one).
  std::vector<std::string> Shown(int positions) {
    const std::unique_ptr<TBitmap> p = user.Grab(seg);
    std::vector<std::string> out;
    for (int j = 0; j < positions; ++j) {
      std::string s;
      for (const MasterPoint& m : kSegmentCentres) {
        const TColor c = At(*p, j, m);
        EXPECT_TRUE(c == ColorToRGB(seg->ColorText()) || c == ColorToRGB(seg->ColorBackGnd())) << j << m.what;
        s += c == ColorToRGB(seg->ColorText()) ? m.what : "-";
      }
      out.push_back(s);
    }
    return out;
  }
};

using V = std::vector<std::string>;

}  // namespace

TEST(TSevenSegPictures, EverySeedLiesInsideItsShapeOnPureWhite) {
  struct Seed {
    const char16_t* name;
    int x, y;  // negative: from the right or bottom edge
  };
  const Seed seeds[] = {{u"SEGHORZ", 0, 0},  {u"SEGVERT", 0, 0},   {u"SEGDOT", 0, 0},  {u"SEGPLUS", 0, 0},
                        {u"SEGCOLON", 18, -18}, {u"SEGCOLON", -18, 18}, {u"SEGDEG", 25, 0}};
  for (const Seed& s : seeds) {
    TBitmap b;
    b.LoadFromResourceName(ctl_detail::OnOffButResources(), s.name);
    const int x = s.x == 0 ? b.Width() / 2 : s.x > 0 ? s.x : b.Width() + s.x;
    const int y = s.y == 0 ? b.Height() / 2 : s.y > 0 ? s.y : b.Height() + s.y;
    EXPECT_NE(b.Canvas()->Pixels(x, y), 0xFFFFFF) << StringToUtf8(s.name);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), 0xFFFFFF) << StringToUtf8(s.name);
  }
}

TEST_F(SevenSegFixture, CaptionsFillThePositionsFromTheLeft) {
  struct Case {
    const char16_t* caption;
    int digits;
    V shown;
  };
  const Case cases[] = {
      {u"8.8.8.8.", 4, {"1234567.", "1234567.", "1234567.", "1234567."}},
      {u"12.5", 4, {"--3--6--", "1-345-7.", "12-4-67-", "--------"}},
      {u".5", 4, {"-------.", "12-4-67-", "--------", "--------"}},
      {u"1..2", 4, {"--3--6-.", "-------.", "1-345-7-", "--------"}},
      {u"123456", 4, {"--3--6--", "1-345-7-", "1-34-67-", "-234-6--"}},  // cut after the fourth
      {u"abcdef", 6, {"123456--", "-2-4567-", "12--5-7-", "--34567-", "12-45-7-", "12-45---"}},
      {u"-,x0", 3, {"---4---.", "--------", "123-567-"}},  // an unknown character leaves its place empty
  };
  for (const Case& c : cases) {
    seg->SetNumDigits(c.digits);
    seg->SetCaption(c.caption);
    EXPECT_EQ(Shown(c.digits), c.shown) << StringToUtf8(c.caption);
  }
}

TEST_F(SevenSegFixture, SignsColonAndDegreeAreSinglePictures) {
  seg->SetCaption(u"+:\u00B0");
  const std::unique_ptr<TBitmap> p = user.Grab(seg);
  const TColor lit = ColorToRGB(seg->ColorText());
  EXPECT_EQ(At(*p, 0, kPlusCentre), lit);
  EXPECT_EQ(At(*p, 1, kColonDot), lit);
  EXPECT_EQ(At(*p, 1, kPlusCentre), ColorToRGB(seg->ColorBackGnd()));
  EXPECT_EQ(At(*p, 2, kDegreeStroke), lit);
  EXPECT_EQ(At(*p, 2, kSegmentCentres[3]), ColorToRGB(seg->ColorBackGnd()));
}

TEST_F(SevenSegFixture, WhiteTextIsDrawnNearWhiteOnAnyBackground) {
  seg->SetColorText(clWhite);
  seg->SetColorBackGnd(0x004000);
  seg->SetCaption(u"8");
  const std::unique_ptr<TBitmap> p = user.Grab(seg);
  EXPECT_EQ(At(*p, 0, kSegmentCentres[3]), 0xFEFEFE);
  EXPECT_EQ(At(*p, 1, kSegmentCentres[3]), 0x004000);
  seg->SetColorText(0x00FF00);  // and recoloured again from there
  EXPECT_EQ(At(*user.Grab(seg), 0, kSegmentCentres[3]), 0x00FF00);
}

TEST_F(SevenSegFixture, MarginAndSpacingLimits) {
  seg->SetMargin(100);  // 76 pixels high
  EXPECT_EQ(seg->Margin(), 37);
  // Regression: a negative margin was stored and the digits drawn beyond the control.
  seg->SetMargin(-5);
  EXPECT_EQ(seg->Margin(), 0);
  seg->SetInterDigDist(300);
  EXPECT_EQ(seg->InterDigDist(), 255);
  seg->SetNumDigits(33);
  EXPECT_EQ(seg->NumDigits(), 4);
  seg->SetNumDigits(0);
  EXPECT_EQ(seg->NumDigits(), 4);
  // Regression: 32 digits 255 apart asked for glyphs of negative width.
  seg->SetNumDigits(32);
  EXPECT_EQ(seg->ImageCache().Width(), 21);
  seg->SetInterDigDist(2);
  seg->SetMargin(37);
  seg->SetBounds(0, 0, 216, 10);  // the margin now exceeds half the height
  EXPECT_EQ(seg->ImageCache().Height(), 1);
  EXPECT_NO_THROW(user.Grab(seg));
}

// Regression: the display installed its own resize handler as OnResize, so a host's handler
// replaced it and the glyphs stayed built for the old size.
TEST_F(SevenSegFixture, ResizingRebuildsTheCacheOnceBesideTheHostsOnResize) {
  int hostResizes = 0;
  seg->OnResize = [&](TObject*) { ++hostResizes; };
  const int builds = seg->builds;
  seg->SetBounds(0, 0, 308, 100);
  EXPECT_EQ(seg->builds, builds + 1);
  EXPECT_EQ(hostResizes, 1);
  EXPECT_EQ(seg->ImageCache().Width(), 21 * ((308 - 16) / 4 - 2));
  EXPECT_EQ(seg->ImageCache().Height(), 100 - 16);
  seg->SetBounds(10, 10, 308, 100);  // moved, same size
  seg->ProcessResize(seg);
  EXPECT_EQ(seg->builds, builds + 1);
}

TEST_F(SevenSegFixture, AssignCopiesTheLooksAndBuildsItsOwnCache) {
  TSevenSeg other(nullptr);
  other.SetColorText(0x00FFFF);
  other.SetColorBackGnd(0x202020);
  other.SetNumDigits(6);
  other.SetCaption(u"12:30");
  other.SetFrameStyle(fsRaised);
  other.SetColorScheme(csSystem);
  other.SetMargin(4);
  other.SetInterDigDist(5);
  seg->Assign(&other);
  EXPECT_EQ(seg->ColorText(), 0x00FFFF);
  EXPECT_EQ(seg->ColorBackGnd(), 0x202020);
  EXPECT_EQ(seg->NumDigits(), 6);
  EXPECT_EQ(seg->Caption(), u"12:30");
  EXPECT_EQ(seg->FrameStyle(), fsRaised);
  EXPECT_EQ(seg->ColorScheme(), csSystem);
  EXPECT_EQ(seg->Margin(), 4);
  EXPECT_EQ(seg->InterDigDist(), 5);
  EXPECT_EQ(seg->ImageCache().Width(), 21 * ((216 - 8) / 6 - 5));
  EXPECT_NE(&seg->ImageCache(), &other.ImageCache());
}

TEST_F(SevenSegFixture, GoldenPicture) {
  seg->SetBounds(0, 0, 260, 80);
  seg->SetNumDigits(6);
  seg->SetCaption(u"-1.5E:\u00B0");
  EXPECT_GOLDEN(*user.Grab(seg), "sevenseg-caption");
  seg->SetColorText(0x00FF40);
  seg->SetFrameStyle(fsRaised);
  seg->SetCaption(u"12:30");
  EXPECT_GOLDEN(*user.Grab(seg), "sevenseg-green-raised");
}
