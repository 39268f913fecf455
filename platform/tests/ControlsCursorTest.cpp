// Cursor resources: built-in pictures by name, registering new ones, and slots a control points to.
#include <gtest/gtest.h>

#include "Assertions.h"
#include "SampleControls.h"
#include "Screen.h"

using namespace qelta;
using namespace qelta::sample;

namespace {

TEST(CursorResources, TheEmbeddedCursorsLoadByNameIgnoringCase) {
  for (const char16_t* name : {u"CURHAND", u"CURZOOMW", u"CURZOOMD", u"CURZOOMP", u"CURGEOHAND", u"curgeozoom"}) {
    HCURSOR c = LoadCursorFromResource(name);
    ASSERT_NE(c, nullptr) << Narrow(name);
    EXPECT_EQ(c->Width, 16);
    EXPECT_EQ(c->Height, 16);
    EXPECT_LT(c->HotX, c->Width);
    const auto opaque = std::count_if(c->Pixels.begin(), c->Pixels.end(), [](uint32_t p) { return p >> 24; });
    EXPECT_GT(opaque, 30) << Narrow(name);  // a picture, not a blank
  }
  EXPECT_EQ(LoadCursorFromResource(u"CURNONE"), nullptr);
}

TEST(CursorResources, ARegisteredPictureIsReadRowByRow) {
  static constexpr const char* rows[] = {"#o.", "o#", "..#o"};  // ragged rows: missing pixels stay clear
  RegisterCursorResource(u"TESTCUR", rows, Point(9, -1));
  HCURSOR c = LoadCursorFromResource(u"testcur");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Width, 4);
  EXPECT_EQ(c->Height, 3);
  EXPECT_EQ(c->HotX, 3);  // clamped into the picture
  EXPECT_EQ(c->HotY, 0);
  EXPECT_EQ(c->Pixels[0], 0xFF000000u);
  EXPECT_EQ(c->Pixels[1], 0xFFFFFFFFu);
  EXPECT_EQ(c->Pixels[2], 0u);
  EXPECT_EQ(c->Pixels[7], 0u);  // beyond the short second row
  EXPECT_EQ(c->Pixels[10], 0xFF000000u);
}

TEST(CursorResources, AControlShowsTheCursorInItsSlotWhileThePointerIsOverIt) {
  TScriptedUser user;
  TForm form(nullptr);
  TSample chart(&form, &form);
  Screen()->SetCursors(1, LoadCursorFromResource(u"CURHAND"));
  chart.SetCursor(1);
  user.Show(&form);
  user.MoveTo(&chart, 3, 3);
  EXPECT_EQ(user.EffectiveCursor(), 1);
  EXPECT_EQ(Narrow(Screen()->Cursors(user.EffectiveCursor())->Name), "CURHAND");
  user.MoveTo(&form, 1, 1);
  EXPECT_EQ(user.EffectiveCursor(), crDefault);
  Screen()->SetCursors(1, nullptr);
}

}  // namespace
