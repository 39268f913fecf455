// The dot-matrix label TRasterLab: the built-in font (its fixed examples, extents from the ink), the
// rasterised font against FreeType's monochrome rendering, advances and text length, the clamps,
// the auto adjustments, block modes and frames (golden pictures), the character codes, and scrolling
// on the virtual clock with its restarts, its end without a loop and a refused timer.

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <bit>
#include <climits>
#include <memory>
#include <vector>

#include "Assertions.h"
#include "FontMatch.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_RasterLab.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// Counts its paints.
class TTestRasterLab : public TRasterLab {
 public:
  using TRasterLab::TRasterLab;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    TRasterLab::Paint();
  }
};

struct RasterLabFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TTestRasterLab* lab = new TTestRasterLab(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 500, 200);
    lab->SetParent(form.get());
    lab->SetName(u"Dots");
    user.Show(form.get());
  }
  TColor At(int x, int y) { return user.Grab(lab)->Canvas()->Pixels(x, y); }
};

std::vector<uint32_t> Rows(const TRDCharMatrix& m, int code) {
  return std::vector<uint32_t>(m.BitData[code].begin(), m.BitData[code].begin() + 12);
}

}  // namespace

TEST(TRasterLabFont, TheBuiltInFontHoldsItsExamplesByteForByte) {
  const TRDCharMatrix m = TRasterLab::CreateBitFont(nullptr);
  EXPECT_EQ(m.FontWidth, 7);
  EXPECT_EQ(m.FontHeight, 12);
  const struct {
    int code, left, right;
    std::vector<uint32_t> rows;
  } examples[] = {
      {32, 0, 6, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {48, 1, 5, {0x00, 0x1C, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x1C, 0x00, 0x00}},
      {65, 0, 6, {0x00, 0x08, 0x08, 0x14, 0x14, 0x22, 0x3E, 0x22, 0x22, 0x77, 0x00, 0x00}},
      {105, 1, 5, {0x00, 0x08, 0x00, 0x00, 0x0E, 0x08, 0x08, 0x08, 0x08, 0x3E, 0x00, 0x00}},
  };
  for (const auto& e : examples) {
    EXPECT_EQ(m.LeftMostBit[e.code], e.left) << e.code;
    EXPECT_EQ(m.RightMostBit[e.code], e.right) << e.code;
    EXPECT_EQ(Rows(m, e.code), e.rows) << e.code;
  }
  TRasterLab named(nullptr);
  named.Font()->SetName(u"DEFAULT");  // the name is compared without case
  EXPECT_EQ(Rows(named.CharMatrix(), 65), examples[2].rows);
}

TEST(TRasterLabFont, ExtentsComeFromTheInkAndBlankGlyphsAreAsWideAsTheSpace) {
  const TRDCharMatrix m = TRasterLab::CreateBitFont(nullptr);
  int inked = 0;
  for (int code = 32; code < 256; ++code) {
    uint32_t all = 0;
    for (int r = 0; r < 32; ++r) all |= m.BitData[code][r];
    EXPECT_EQ(all >> 7, 0u) << code;  // 7 columns
    for (int r = 12; r < 32; ++r) EXPECT_EQ(m.BitData[code][r], 0u) << code;
    if (all == 0) {
      EXPECT_EQ(m.LeftMostBit[code], 0) << code;
      EXPECT_EQ(m.RightMostBit[code], 6) << code;
      continue;
    }
    ++inked;
    EXPECT_TRUE(all >> m.LeftMostBit[code] & 1u) << code;
    EXPECT_TRUE(all >> m.RightMostBit[code] & 1u) << code;
    EXPECT_EQ(all >> (m.RightMostBit[code] + 1), 0u) << code;
    EXPECT_EQ(all & ((1u << m.LeftMostBit[code]) - 1), 0u) << code;
  }
  EXPECT_EQ(inked, 224 - 7);  // the space, the no-break space and the five unassigned codes are blank
  // Descenders below the base line.
  EXPECT_NE(m.BitData['g'][11], 0u);
  EXPECT_NE(m.BitData[0xE9][1], 0u);  // e acute: its accent above the x height
}

// A diaeresis is two dots with a blank row between them and the letter: dots that touch the letter's top
// read as part of it (Ö as O, Ü as U).
TEST(TRasterLabFont, DiaeresisDotsStandApartFromTheirLetter) {
  const TRDCharMatrix m = TRasterLab::CreateBitFont(nullptr);
  for (int code : {0xC4, 0xCB, 0xCF, 0xD6, 0xDC, 0xE4, 0xEB, 0xEF, 0xF6, 0xFC, 0xFF}) {
    int top = 0;
    while (top < 12 && m.BitData[code][top] == 0) ++top;
    ASSERT_LT(top + 2, 12) << code;
    EXPECT_EQ(std::popcount(m.BitData[code][top]), 2) << code;
    EXPECT_EQ(m.BitData[code][top + 1], 0u) << code;
    EXPECT_NE(m.BitData[code][top + 2], 0u) << code;
  }
}

TEST(TRasterLabFont, CharacterCodesAreWindows1252WithControlCodesAsTheSpace) {
  const struct {
    Char c;
    uint8_t code;
  } cases[] = {{u'A', 65}, {u'\u20AC', 0x80}, {u'\u0178', 0x9F}, {u'\u00E9', 0xE9},
               {u'\u4E00', '?'}, {u'\t', 32}, {0, 32}, {u'\u00A0', 0xA0}};
  for (const auto& c : cases) EXPECT_EQ(RasterCharCode(c.c), c.code) << int(c.c);
}

// Regression: a rasterised glyph without dots kept the start extent 31..0, an advance of -30 dots,
// so any blank but the space (here the no-break space) moved the text back over itself.
TEST(TRasterLabFont, RasterisedGlyphsWithoutDotsTakeTheSpacesExtent) {
  TFont f;
  f.SetName(u"DejaVu Sans");
  f.SetHeight(-20);
  f.SetColor(clWhite);  // forced to black: a white font would give no dots
  const TRDCharMatrix m = TRasterLab::CreateBitFont(&f);
  EXPECT_GT(m.FontWidth, 8);
  EXPECT_GT(m.FontHeight, 16);
  EXPECT_NE(m.BitData['M'][10], 0u);
  for (int code : {32, 0xA0}) {
    EXPECT_EQ(m.LeftMostBit[code], 0) << code;
    EXPECT_EQ(m.RightMostBit[code], m.FontWidth / 2) << code;
  }
  TRasterLab lab(nullptr);
  lab.SetCharMatrix(m);
  EXPECT_EQ(lab.CalcTextBitLength(u"a\u00A0b"), lab.CalcTextBitLength(u"a b"));
  EXPECT_GT(lab.CalcTextBitLength(u"a\u00A0b"), lab.CalcTextBitLength(u"ab"));
}

TEST(TRasterLabFont, RasterisedDotsEqualFreeTypesMonochromeRendering) {
  const int em = 20;
  TFont f;
  f.SetName(u"DejaVu Sans");
  f.SetHeight(-em);
  const TRDCharMatrix m = TRasterLab::CreateBitFont(&f);
  const platform_detail::FaceChoice choice = platform_detail::MatchFace(u"DejaVu Sans", false, false);
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, choice.File.c_str(), choice.Index, &face), 0);
  ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, em), 0);
  // The cell's top is the ascent above the base line (hhea ascender, rounded up).
  const int ascent = static_cast<int>((int64_t{face->ascender} * em + face->units_per_EM - 1) / face->units_per_EM);
  int compared = 0;
  for (Char ch : String(u"AgWQ@j%8\u00E9")) {
    const int code = RasterCharCode(ch);
    ASSERT_EQ(FT_Load_Char(face, ch, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP), 0);
    ASSERT_EQ(FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO), 0);
    const FT_Bitmap& b = face->glyph->bitmap;
    const int left = face->glyph->bitmap_left, top = ascent - face->glyph->bitmap_top;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const int bx = x - left, by = y - top;
        const bool ft = bx >= 0 && by >= 0 && bx < int(b.width) && by < int(b.rows) &&
                        (b.buffer[by * b.pitch + (bx >> 3)] & (0x80 >> (bx & 7))) != 0;
        const bool dot = (m.BitData[code][y] >> x & 1u) != 0;
        EXPECT_EQ(dot, ft) << char(ch) << " at " << x << ", " << y;
        compared += ft;
      }
  }
  EXPECT_GT(compared, 300);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
}

TEST(TRasterLabComponent, DefaultsClampsAndAdvances) {
  TRasterLab lab(nullptr);
  EXPECT_EQ(lab.Width(), 400);
  EXPECT_EQ(lab.Height(), 68);
  EXPECT_EQ(lab.Text(), u"Text");
  EXPECT_EQ(lab.Font()->Name(), u"default");
  EXPECT_EQ(lab.Font()->Size(), 8);
  EXPECT_EQ(lab.DotSize(), 3);
  EXPECT_EQ(lab.DotSpacing(), 1);
  EXPECT_EQ(lab.CharBlockMode(), rdbmOn);
  EXPECT_EQ(lab.ColorDotOn(), 0x00FF00);
  EXPECT_TRUE(lab.ControlStyle().Contains(csOpaque));
  lab.SetProportional(false);
  EXPECT_EQ(lab.CalcTextBitLength(u"W"), 32);  // 7 x 4 + 4
  EXPECT_EQ(lab.CalcTextBitLength(u"Wi.W"), 4 * 32);
  lab.SetProportional(true);
  EXPECT_EQ(lab.CalcTextBitLength(u"i"), 5 * 4 + 4);
  EXPECT_EQ(lab.CalcTextBitLength(u"i\x01"), 5 * 4 + 4 + 8 * 4);  // a control code is a space
  const struct {
    int in, size, spacing;
  } dots[] = {{40, 32, 3}, {5, 5, 3}, {0, 1, 0}, {-7, 1, 0}, {2, 2, 2}};
  for (const auto& d : dots) {
    lab.SetDotSize(d.in);
    lab.SetDotSpacing(d.in);
    EXPECT_EQ(lab.DotSize(), d.size) << d.in;
    EXPECT_EQ(lab.DotSpacing(), d.spacing) << d.in;
  }
  const struct {
    int in, interval, increment;
  } scroll[] = {{5, 10, 5}, {-3, 10, 3}, {0, 10, 1}, {-300, 300, 300}, {INT_MIN, INT_MAX, INT_MAX}};
  for (const auto& s : scroll) {
    lab.SetScrollInterval(s.in);
    lab.SetScrollIncrement(s.in);
    EXPECT_EQ(lab.ScrollInterval(), s.interval) << s.in;
    EXPECT_EQ(lab.ScrollIncrement(), s.increment) << s.in;
  }
}

TEST(TRasterLabComponent, AutoHeightAndAutoCenter) {
  TRasterLab lab(nullptr);
  lab.SetAutoHeight(true);
  EXPECT_EQ(lab.Height(), 1 + 4 * 12);
  lab.SetFrameStyle(fsEngraved);
  lab.SetDotSize(2);
  EXPECT_EQ(lab.Height(), 2 + 3 * 12);
  lab.SetAutoCenter(true);
  EXPECT_EQ(lab.PosX(), (400 - lab.CalcTextBitLength(u"Text")) / 2 + 2 + 1);
  lab.SetText(u"Longer text");
  EXPECT_EQ(lab.PosX(), (400 - lab.CalcTextBitLength(u"Longer text")) / 2 + 2 + 1);
  lab.SetAutoCenter(false);
  EXPECT_EQ(lab.PosX(), 1);
  TRasterLab other(nullptr);
  other.SetFrameStyle(fsRaised), other.SetColorDotOn(0x0000FF), other.SetText(u"copied");
  other.SetColorScheme(csSystem);
  lab.Assign(&other);
  EXPECT_EQ(lab.FrameStyle(), fsRaised);
  EXPECT_EQ(lab.ColorDotOn(), 0x0000FF);
  EXPECT_EQ(lab.Text(), u"copied");
  EXPECT_EQ(lab.ColorScheme(), csSystem);
}

TEST_F(RasterLabFixture, DotsRasterAndBlockModes) {
  lab->SetFrameStyle(fsNone);
  lab->SetText(u"A");
  lab->SetPosX(4), lab->SetPosY(4);
  // 'A' row 1 has its dot in column 3: a 3 x 3 square at (4 + 3 x 4, 4 + 4).
  EXPECT_EQ(At(16, 8), 0x00FF00);
  EXPECT_EQ(At(18, 10), 0x00FF00);
  EXPECT_EQ(At(19, 8), 0x000000);   // raster line between dots
  EXPECT_EQ(At(12, 8), 0x404040);   // an unlit dot
  EXPECT_EQ(At(100, 40), 0x404040); // the raster goes on beyond the text in rdbmOn...
  EXPECT_EQ(At(35, 40), 0x000000);  // ...but the gap column after the glyph is background
  lab->SetCharBlockMode(rdbmRaster);
  EXPECT_EQ(At(32, 40), 0x404040);
  lab->SetCharBlockMode(rdbmOff);
  EXPECT_EQ(At(12, 8), 0x000000);  // no raster: unlit dots show the background
  EXPECT_EQ(At(19, 8), 0x000000);
  EXPECT_EQ(At(16, 8), 0x00FF00);
  lab->SetDotSize(1);
  lab->SetDotSpacing(0);
  EXPECT_EQ(At(7, 5), 0x00FF00);  // a single pixel
  EXPECT_EQ(At(8, 5), 0x000000);
  EXPECT_EQ(lab->TextBitLength(), 7 + 1 + 1);
}

TEST_F(RasterLabFixture, FontChangesRebuildTheMatrix) {
  lab->Font()->SetName(u"DejaVu Sans");
  EXPECT_GT(lab->CharMatrix().FontHeight, 8);
  EXPECT_NE(lab->CharMatrix().FontHeight, 12);
  lab->SetAutoHeight(true);
  lab->Font()->SetSize(20);
  EXPECT_EQ(lab->Height(), 1 + 4 * lab->CharMatrix().FontHeight);
  lab->Font()->SetName(u"default");
  EXPECT_EQ(lab->CharMatrix().FontHeight, 12);
}

TEST_F(RasterLabFixture, ScrollingRightLoopsWithOneRestartPerLoopAndOnePaintPerTick) {
  lab->SetText(u"Hi");
  lab->SetBounds(0, 0, 100, 60);
  lab->Repaint();
  int ticks = 0, restarts = 0;
  lab->SetOnScrollTimer([&](TObject*) { ++ticks; });
  lab->OnScrollLoopRestart = [&](TObject*) { ++restarts; };
  lab->SetScrollIncrement(10);
  lab->SetScrollMode(rdsmRight);
  const int len = lab->TextBitLength();
  ASSERT_GT(len, 0);
  lab->Paints = 0;
  user.Advance(1000);
  EXPECT_EQ(ticks, 10);
  EXPECT_EQ(lab->Paints, 10);
  EXPECT_EQ(lab->ScrollPosX(), 100);
  user.Advance(100);
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(lab->ScrollPosX(), -len);
  user.Advance(100 * ((100 + len) / 10 + 1));
  EXPECT_EQ(restarts, 2);
  lab->SetScrollMode(rdsmOff);
  EXPECT_EQ(lab->ScrollPosX(), 0);
  user.Advance(1000);
  EXPECT_EQ(restarts, 2);
}

TEST_F(RasterLabFixture, ScrollingLeftDownAndUpComeBackFromTheOtherSide) {
  lab->SetBounds(0, 0, 100, 60);
  lab->Repaint();
  const int len = lab->TextBitLength(), textH = 12 * 4;
  const struct {
    TRDScrollMode mode;
    bool horizontal;
    int back;
  } cases[] = {{rdsmLeft, true, 100}, {rdsmDown, false, -textH}, {rdsmUp, false, 60}};
  for (const auto& c : cases) {
    int restarts = 0;
    lab->OnScrollLoopRestart = [&](TObject*) { ++restarts; };
    lab->SetScrollIncrement(7);
    lab->SetScrollMode(c.mode);
    for (int i = 0; i < 200 && restarts == 0; ++i) user.Advance(100);
    EXPECT_EQ(restarts, 1) << c.mode;
    EXPECT_EQ(c.horizontal ? lab->ScrollPosX() : lab->ScrollPosY(), c.back) << c.mode;
    lab->SetScrollMode(rdsmOff);
  }
  (void)len;
}

// Regression: without ScrollLoop the offset grew on every tick until it overflowed; the highest
// increment overflowed at the second tick.
TEST_F(RasterLabFixture, WithoutALoopTheOffsetStopsOnceTheTextIsOutOfSight) {
  lab->SetScrollLoop(false);
  int ticks = 0;
  lab->SetOnScrollTimer([&](TObject*) { ++ticks; });
  lab->SetScrollIncrement(INT_MIN);  // taken as the highest
  lab->SetScrollMode(rdsmRight);
  user.Advance(1000);
  EXPECT_EQ(ticks, 10);  // ticks go on
  EXPECT_EQ(lab->ScrollPosX(), INT_MAX);
  lab->SetScrollMode(rdsmUp);
  user.Advance(1000);
  EXPECT_EQ(lab->ScrollPosY(), -INT_MAX);
  lab->SetScrollMode(rdsmOff);  // back to the start
  lab->SetScrollIncrement(30);
  lab->SetScrollMode(rdsmLeft);
  user.Advance(100000);
  EXPECT_GE(lab->ScrollPosX(), -lab->TextBitLength() - 30);
  EXPECT_LT(lab->ScrollPosX(), -lab->TextBitLength());
}

TEST_F(RasterLabFixture, ARefusedTimerRaisesAndARaisingTickGoesToTheApplication) {
  user.FailTimers(true);
  EXPECT_THROW_MSG(lab->SetScrollMode(rdsmLeft), EQeltaRasterLabError, "Component \"Dots\": no timer available");
  user.FailTimers(false);
  lab->SetScrollMode(rdsmOff);
  lab->SetOnScrollTimer([](TObject*) { throw EQeltaRasterLabError(u"scroll failed"); });
  lab->SetScrollMode(rdsmLeft);
  user.Advance(100);
  ASSERT_FALSE(user.MessageLog().empty());
  EXPECT_EQ(user.MessageLog().back().Text, u"scroll failed.");
}

TEST(TRasterLabPicture, EveryBuiltInGlyphInThreeBlockModesTwoDotSizesAndSixFrames) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 900, 312);
  form.SetColor(clWhite);
  String all;
  for (int code = 32; code < 256; ++code) all += AnsiCharToChar(static_cast<unsigned char>(code));
  int y = 4;
  for (int row = 0; row < 4; ++row) {  // every glyph, 56 to a line, one pixel per dot
    auto* lab = new TRasterLab(&form);
    lab->SetParent(&form);
    lab->SetBounds(4, y, 890, 14);
    lab->SetDotSize(1);
    lab->SetDotSpacing(0);
    lab->SetFrameStyle(fsNone);
    lab->SetCharBlockMode(rdbmOff);
    lab->SetText(all.substr(row * 56, 56));
    y += 15;
  }
  auto* small = new TRasterLab(&form);  // one pixel per dot on a raster
  small->SetParent(&form);
  small->SetBounds(4, y, 890, 28);
  small->SetDotSize(1);
  small->SetText(u"Raster 1 px: ABC xyz 0123 \u00C5\u00DF\u00FF");
  y += 30;
  const TRDBlockMode modes[] = {rdbmOff, rdbmOn, rdbmRaster};
  const TFrameStyle frames[] = {fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved};
  for (int i = 0; i < 6; ++i) {
    auto* lab = new TRasterLab(&form);
    lab->SetParent(&form);
    lab->SetBounds(4 + (i % 2) * 446, y + (i / 2) * 54, 440, 50);
    lab->SetFrameStyle(frames[i]);
    lab->SetCharBlockMode(modes[i % 3]);
    lab->SetDotSpacing(i % 3);
    lab->SetPosX(3), lab->SetPosY(2);
    lab->SetText(i % 2 ? u"Qg\u00C4\u00E9\u20AC 7%" : u"Dot 0123");
  }
  y += 3 * 54;
  auto* mono = new TRasterLab(&form);
  mono->SetParent(&form);
  mono->SetBounds(4, y, 890, 52);
  mono->SetProportional(false);
  mono->SetText(u"Mono iiWW");
  mono->SetColorDotOn(0x00C0FF);
  user.Show(&form);
  EXPECT_GOLDEN(*user.Grab(&form), "rasterlab-builtin");
}

TEST(TRasterLabPicture, DejaVuSansAsDots) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 600, 90);
  auto* lab = new TRasterLab(&form);
  lab->SetParent(&form);
  lab->Font()->SetName(u"DejaVu Sans");
  lab->Font()->SetHeight(-16);
  lab->SetDotSize(2);
  lab->SetAutoHeight(true);
  lab->SetBounds(0, 0, 600, lab->Height());
  lab->SetText(u"Dots: Qg\u00E9 42%");
  user.Show(&form);
  EXPECT_GOLDEN(*user.Grab(lab), "rasterlab-dejavu");
}
