// The screen: density, fonts, cursor table.

#include <gtest/gtest.h>

#include <algorithm>

#include "Screen.h"
#include "StrUtils.h"

using namespace qelta;

TEST(TScreen, HasNinetySixPixelsPerInchAndSortedFonts) {
  EXPECT_EQ(Screen()->PixelsPerInch(), 96);
  const auto& fonts = Screen()->Fonts();
  ASSERT_FALSE(fonts.empty());
  // Ordered ignoring the case of A-Z (a machine may have families such as "cmr10" beside "DejaVu Sans").
  EXPECT_TRUE(std::is_sorted(fonts.begin(), fonts.end(), [](const String& a, const String& b) {
    const int folded = CompareText(a, b);
    return folded < 0 || (folded == 0 && a < b);
  }));
  EXPECT_NE(std::find(fonts.begin(), fonts.end(), u"DejaVu Sans"), fonts.end());
  EXPECT_EQ(Screen(), Screen());
}

TEST(TScreen, CursorSlotsFallBackToTheDefaultCursor) {
  TScreen s;
  EXPECT_EQ(s.Cursors(crCross)->Name, u"crCross");
  EXPECT_EQ(s.Cursors(crHourGlass)->Name, u"crHourGlass");
  EXPECT_EQ(s.Cursors(1), s.Cursors(crDefault));
  auto hand = std::make_shared<TCursorImage>(TCursorImage{u"CURHAND", 2, 2, 1, 1, {0, 0xFF000000u, 0, 0}});
  s.SetCursors(1, hand);
  EXPECT_EQ(s.Cursors(1), hand);
  s.SetCursors(1, nullptr);
  EXPECT_EQ(s.Cursors(1)->Name, u"crDefault");
  s.SetCursors(crDefault, nullptr);
  ASSERT_NE(s.Cursors(5), nullptr) << "never nullptr, even without a default slot";
  s.SetCursor(crHourGlass);
  EXPECT_EQ(s.Cursor(), crHourGlass);
}
