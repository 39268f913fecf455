// Resources: the PNG files of tests/resources are embedded in this test program (qelta_resources in
// CMakeLists.txt) and loaded by name; make_test_pngs.py beside them holds their pixels.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Graphics.h"
#include "Resources.h"

using namespace qelta;

TEST(Resources, ThisProgramsModuleHoldsItsFilesByName) {
  HINSTANCE module = HInstance();
  ASSERT_NE(module, nullptr);
  EXPECT_STREQ(module->Library, "platform_tests");
  EXPECT_EQ(module->Count, 2u);
  EXPECT_FALSE(FindResourceData(module, u"checkedbox").empty());  // A-Z case ignored
  EXPECT_TRUE(FindResourceData(module, u"CHECKEDBOX.png").empty());
  EXPECT_TRUE(FindResourceData(nullptr, u"CHECKEDBOX").empty());
}

TEST(Resources, BitmapsLoadEveryStoredSampleExactly) {
  TBitmap b;
  b.LoadFromResourceName(HInstance(), u"Samples");
  ASSERT_EQ(b.Width(), 8);
  ASSERT_EQ(b.Height(), 2);
  // Rows of make_test_pngs.py ".#rgbyho" and its reverse, as 0xAARRGGBB.
  const uint32_t first[] = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF008000,
                            0xFF0000FF, 0xFFEBBEEB, 0x80123456, 0x00000000};
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(b.ScanLine(0)[x], first[x]) << x;
    EXPECT_EQ(b.ScanLine(1)[7 - x], first[x]) << x;
  }
  b.LoadFromResourceName(HInstance(), u"CHECKEDBOX");
  EXPECT_EQ(b.Width(), 8);
  EXPECT_EQ(b.Canvas()->Pixels(5, 3), clBlack);  // the tick
  EXPECT_EQ(b.Canvas()->Pixels(5, 2), clWhite);
}

TEST(Resources, AMissingNameRaisesAndLeavesTheBitmap) {
  TBitmap b(3, 4);
  EXPECT_THROW_MSG(b.LoadFromResourceName(HInstance(), u"EMPTYBOX"), EResNotFound, "Resource EMPTYBOX not found");
  EXPECT_THROW_MSG(b.LoadFromResourceName(nullptr, u"Samples"), EResNotFound, "Resource Samples not found");
  EXPECT_EQ(b.Width(), 3);
}
