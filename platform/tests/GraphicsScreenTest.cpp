// The screen: density, fonts, cursor table.

#include <gtest/gtest.h>

#include <algorithm>

#include "Screen.h"

using namespace qelta;

// The font list is ordered without regard to A-Z case, the order the lookups search. The test used to check
// code order and failed on machines with lower-case family names installed (TeX fonts).
TEST(TScreen, HasNinetySixPixelsPerInchAndFontsSortedIgnoringCase) {
  EXPECT_EQ(Screen()->PixelsPerInch(), 96);
  const auto& fonts = Screen()->Fonts();
  ASSERT_FALSE(fonts.empty());
  auto folded = [](String s) {
    for (Char& c : s)
      if (c >= u'A' && c <= u'Z') c = static_cast<Char>(c + 32);
    return s;
  };
  for (std::size_t i = 1; i < fonts.size(); ++i) {
    const String a = folded(fonts[i - 1]), b = folded(fonts[i]);
    EXPECT_TRUE(a < b || (a == b && fonts[i - 1] < fonts[i])) << i;
  }
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
