// Font engine: face selection, metrics, measuring and drawing into pixel buffers.

#include "FontEngine.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "Encoding.h"
#include "FontMatch.h"

namespace qelta::platform_detail {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0x00000000u;

FontKey Key(const char16_t* name, int height, bool bold = false, bool italic = false) {
  FontKey key;
  key.Name = name;
  key.Height = height;
  key.Bold = bold;
  key.Italic = italic;
  return key;
}

// A white pixel buffer with a clip rectangle, by default the whole buffer.
struct Buffer {
  int W, H;
  std::vector<uint32_t> Pixels;
  PixelTarget Target;

  Buffer(int w, int h, uint32_t fill = kWhite) : W(w), H(h), Pixels(static_cast<std::size_t>(w) * h, fill) {
    Target.Pixels = Pixels.data();
    Target.Width = Target.Stride = Target.ClipRight = w;
    Target.Height = Target.ClipBottom = h;
  }
  uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * W + x]; }
};

// Bounding box of the pixels that differ from `background`; Right/Bottom exclusive, empty when Count == 0.
struct Box {
  int Left = INT_MAX, Top = INT_MAX, Right = INT_MIN, Bottom = INT_MIN, Count = 0;
};

Box Changed(const Buffer& b, uint32_t background = kWhite) {
  Box box;
  for (int y = 0; y < b.H; ++y)
    for (int x = 0; x < b.W; ++x)
      if (b.At(x, y) != background) {
        box.Left = std::min(box.Left, x), box.Right = std::max(box.Right, x + 1);
        box.Top = std::min(box.Top, y), box.Bottom = std::max(box.Bottom, y + 1);
        ++box.Count;
      }
  return box;
}

TEST(FontEngine, MetricsArePositiveAndTheCellIsAscentPlusDescent) {
  const FontKey keys[] = {Key(u"Tahoma", -11),
                          Key(u"Arial", -20),
                          Key(u"Courier New", -13),
                          Key(u"Times New Roman", -16),
                          Key(u"Arial", -16, true),
                          Key(u"Arial", -16, false, true),
                          Key(u"Courier New", -9, true, true),
                          Key(u"DejaVu Serif", -1),
                          Key(u"Verdana", 0)};
  for (const FontKey& key : keys) {
    SCOPED_TRACE(StringToUtf8(key.Name) + " " + std::to_string(key.Height));
    const FontMetrics m = GetFontMetrics(key);
    EXPECT_GT(m.Ascent, 0);
    EXPECT_GT(m.Descent, 0);
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    const int em = key.Height == 0 ? 11 : -key.Height;
    EXPECT_EQ(m.InternalLeading, m.Height - em);
    EXPECT_GE(m.ExternalLeading, 0);
    EXPECT_GT(m.AveCharWidth, 0);
    EXPECT_GE(m.MaxCharWidth, m.AveCharWidth);
    EXPECT_TRUE(m.TrueType);
  }
}

TEST(FontEngine, LargerSizesGiveLargerMetrics) {
  FontMetrics previous = GetFontMetrics(Key(u"Arial", -6));
  for (int em = 7; em <= 60; ++em) {
    const FontMetrics m = GetFontMetrics(Key(u"Arial", -em));
    EXPECT_GE(m.Ascent, previous.Ascent) << em;
    EXPECT_GE(m.Descent, previous.Descent) << em;
    EXPECT_GE(m.AveCharWidth, previous.AveCharWidth) << em;
    EXPECT_GE(m.Height, previous.Height) << em;
    previous = m;
  }
  EXPECT_GT(GetFontMetrics(Key(u"Arial", -30)).Height, GetFontMetrics(Key(u"Arial", -15)).Height);
  EXPECT_GT(TextAdvance(Key(u"Arial", -30), u"Sample"), TextAdvance(Key(u"Arial", -15), u"Sample"));
}

TEST(FontEngine, PositiveHeightIsTheCellHeight) {
  for (int cell : {2, 10, 13, 14, 20, 37, 100}) {
    const FontMetrics m = GetFontMetrics(Key(u"Arial", cell));
    EXPECT_LE(m.Height, cell) << cell;
    EXPECT_GE(m.Height, cell - 1) << cell;
  }
}

TEST(FontEngine, ZeroHeightIsTheDefaultSize) {
  const FontMetrics zero = GetFontMetrics(Key(u"Arial", 0)), eleven = GetFontMetrics(Key(u"Arial", -11));
  EXPECT_EQ(zero.Height, eleven.Height);
  EXPECT_EQ(zero.AveCharWidth, eleven.AveCharWidth);
}

TEST(FontEngine, ExtremeHeightsAreClampedNotCrashing) {
  for (int height : {INT_MIN, -100000, INT_MAX}) {
    const FontMetrics m = GetFontMetrics(Key(u"Arial", height));
    EXPECT_GT(m.Height, 0);
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
  }
}

TEST(FontEngine, WindowsNamesResolveToDejaVuFamilies) {
  const struct {
    const char16_t* Name;
    const char16_t* Family;
  } cases[] = {
      {u"Arial", u"DejaVu Sans"},
      {u"Tahoma", u"DejaVu Sans"},
      {u"MS Sans Serif", u"DejaVu Sans"},
      {u"SEGOE UI", u"DejaVu Sans"},
      {u"Symbol", u"DejaVu Sans"},
      {u"Times New Roman", u"DejaVu Serif"},
      {u"georgia", u"DejaVu Serif"},
      {u"Courier New", u"DejaVu Sans Mono"},
      {u"consolas", u"DejaVu Sans Mono"},
      {u"Terminal", u"DejaVu Sans Mono"},
      {u"dejavu serif", u"DejaVu Serif"},
      {u"No Such Font 42", u"DejaVu Sans"},
      {u"", u"DejaVu Sans"},
      {u"default", u"DejaVu Sans"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StringToUtf8(ResolveFontFamily(c.Name)), StringToUtf8(c.Family)) << StringToUtf8(c.Name);
}

TEST(FontEngine, TrueTypeNamesAreInstalledScalableFamiliesOrMappedNames) {
  const struct {
    const char16_t* Name;
    bool Installed;
  } cases[] = {{u"DejaVu Sans", true}, {u"dejavu sans mono", true}, {u"Arial", true},
               {u"Courier", true},     {u"No Such Font 42", false}, {u"", false},
               {u"DejaVu", false}};
  for (const auto& c : cases) EXPECT_EQ(IsInstalledTrueTypeFont(c.Name), c.Installed) << StringToUtf8(c.Name);
}

TEST(FontEngine, InstalledFamiliesAreSortedUniqueAndHoldDejaVu) {
  const std::vector<String> families = InstalledFontFamilies();
  for (const char16_t* name : {u"DejaVu Sans", u"DejaVu Serif", u"DejaVu Sans Mono"})
    EXPECT_TRUE(std::find(families.begin(), families.end(), String(name)) != families.end()) << StringToUtf8(name);
  auto folded = [](String s) {
    for (Char& c : s) c = c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c;
    return s;
  };
  for (std::size_t i = 1; i < families.size(); ++i) {
    EXPECT_TRUE(families[i - 1] != families[i]) << StringToUtf8(families[i]);
    EXPECT_TRUE(folded(families[i - 1]) <= folded(families[i])) << StringToUtf8(families[i]);
  }
}

TEST(FontEngine, UnknownNameFallsBackToDejaVuSans) {
  const FontMetrics unknown = GetFontMetrics(Key(u"No Such Font 42", -14));
  const FontMetrics sans = GetFontMetrics(Key(u"DejaVu Sans", -14));
  EXPECT_EQ(unknown.Height, sans.Height);
  EXPECT_EQ(unknown.AveCharWidth, sans.AveCharWidth);
  EXPECT_EQ(TextAdvance(Key(u"No Such Font 42", -14), u"Fallback"), TextAdvance(Key(u"DejaVu Sans", -14), u"Fallback"));
}

TEST(FontEngine, MonospaceAdvanceIsCountTimesOneAdvance) {
  for (int em : {8, 11, 13, 24}) {
    const FontKey key = Key(u"Courier New", -em);
    const int one = TextAdvance(key, u"i");
    EXPECT_GT(one, 0);
    EXPECT_EQ(TextAdvance(key, u"iiiiiiii"), 8 * one) << em;
    EXPECT_EQ(TextAdvance(key, u"WAVE.Ti "), 8 * one) << em;
    EXPECT_EQ(GetFontMetrics(key).AveCharWidth, one) << em;
    EXPECT_EQ(GetFontMetrics(key).MaxCharWidth, one) << em;
  }
}

TEST(FontEngine, EmptyTextHasNoAdvance) {
  EXPECT_EQ(TextAdvance(Key(u"Arial", -11), u""), 0);
  EXPECT_EQ(TextAdvance(Key(u"Arial", -11), u"a"), TextAdvance(Key(u"Arial", -11), u"a"));
  EXPECT_GT(TextAdvance(Key(u"Arial", -11), u" "), 0);
}

TEST(FontEngine, BoldIsWiderAndLooksDifferent) {
  const String text = u"Bold text";
  EXPECT_GT(TextAdvance(Key(u"Arial", -16, true), text), TextAdvance(Key(u"Arial", -16), text));
  Buffer regular(120, 30), bold(120, 30);
  DrawText(regular.Target, Key(u"Arial", -16), text, 2, 2, 0, kBlack, false, false);
  DrawText(bold.Target, Key(u"Arial", -16, true), text, 2, 2, 0, kBlack, false, false);
  EXPECT_NE(regular.Pixels, bold.Pixels);
}

// DejaVu Math TeX Gyre has a regular face only: bold and italic are made from it. (Fontconfig's
// best match reports the style its own synthesis rules promise, so the installed style is read
// from the sorted font list instead; taking the match left such fonts plain.)
TEST(FontEngine, MissingStyleFilesAreSynthesised) {
  const char16_t* math = u"DejaVu Math TeX Gyre";
  const String text = u"abc";
  EXPECT_EQ(TextAdvance(Key(math, -16, true), text), TextAdvance(Key(math, -16), text) + 3);  // a pixel each
  EXPECT_EQ(TextAdvance(Key(math, -16, false, true), text), TextAdvance(Key(math, -16), text));
  Buffer regular(80, 30), bold(80, 30), italic(80, 30);
  DrawText(regular.Target, Key(math, -16), text, 2, 2, 0, kBlack, false, false);
  DrawText(bold.Target, Key(math, -16, true), text, 2, 2, 0, kBlack, false, false);
  DrawText(italic.Target, Key(math, -16, false, true), text, 2, 2, 0, kBlack, false, false);
  EXPECT_GT(Changed(bold).Count, Changed(regular).Count);
  EXPECT_NE(regular.Pixels, italic.Pixels);
}

// Mean column of the dark pixels in rows [top, bottom).
double MeanColumn(const Buffer& b, int top, int bottom) {
  double sum = 0, count = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < b.W; ++x)
      if (b.At(x, y) != kWhite) sum += x, ++count;
  return count > 0 ? sum / count : 0;
}

TEST(FontEngine, ItalicsLeanRight) {
  for (const char16_t* name : {u"Arial", u"DejaVu Math TeX Gyre"}) {
    const FontKey key = Key(name, -30, false, true);
    const FontMetrics m = GetFontMetrics(key);
    Buffer b(60, 60);
    DrawText(b.Target, key, u"l", 20, 5, 0, kBlack, false, false);
    const int baseline = 5 + m.Ascent;
    EXPECT_GT(MeanColumn(b, baseline - 20, baseline - 15), MeanColumn(b, baseline - 5, baseline) + 2)
        << StringToUtf8(name);
  }
}

// Dropping cached sizes and bitmaps must neither leave dangling glyphs nor change what is drawn.
TEST(FontEngine, CacheEvictionKeepsTheSamePixels) {
  const FontKey key = Key(u"Arial", -12);
  Buffer before(120, 30), after(120, 30);
  DrawText(before.Target, key, u"Cached label", 3, 3, 0, kBlack, false, false);
  Buffer scratch(40, 40);
  for (int em = 1; em <= 80; ++em) DrawText(scratch.Target, Key(u"Arial", -em), u"Aa", 0, 0, 0, kBlack, false, false);
  const String letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (Char c : letters)
    for (int angle : {0, 10})
      DrawText(scratch.Target, Key(u"Arial", -800), String(1, c), 0, 0, angle, kBlack, false, false);
  DrawText(after.Target, key, u"Cached label", 3, 3, 0, kBlack, false, false);
  EXPECT_EQ(before.Pixels, after.Pixels);
  EXPECT_EQ(TextAdvance(key, u"Cached label"), TextAdvance(Key(u"arial", -12), u"Cached label"));
}

TEST(FontEngine, SurrogatePairsCountAsOneCharacter) {
  const FontKey key = Key(u"Arial", -12);
  // U+10FFFD (private use, plane 16) and U+0378 (unassigned) both draw the missing-glyph box.
  EXPECT_EQ(TextAdvance(key, u"\U0010FFFD"), TextAdvance(key, u"\u0378"));
  const String lone = {Char(0xD800), u'a', Char(0xDC00)};
  EXPECT_EQ(TextAdvance(key, lone), 2 * TextAdvance(key, u"\uFFFD") + TextAdvance(key, u"a"));
  const String pairThenLone = {Char(0xD83D), Char(0xDE00), Char(0xD83D)};
  Buffer b(80, 30);
  DrawText(b.Target, key, pairThenLone, 2, 2, 0, kBlack, true, true);
  DrawText(b.Target, key, pairThenLone, 40, 25, 300, kBlack, true, true);
  EXPECT_GT(Changed(b).Count, 0);
}

// Every changed pixel lies in the text cell rotated about the reference point, for each right angle.
TEST(FontEngine, TextStaysInItsRotatedCell) {
  const FontKey key = Key(u"Arial", -14);
  const String text = u"Hello World";
  const int advance = TextAdvance(key, text), height = GetFontMetrics(key).Height;
  const int X = 100, Y = 100;
  const struct {
    int Angle;
    int Left, Top, Right, Bottom;
  } cases[] = {
      {0, X, Y, X + advance, Y + height},
      {900, X, Y - advance, X + height, Y},
      {1800, X - advance, Y - height, X, Y},
      {2700, X - height, Y, X, Y + advance},
  };
  for (const auto& c : cases) {
    Buffer b(200, 200);
    DrawText(b.Target, key, text, X, Y, c.Angle, kBlack, false, false);
    const Box box = Changed(b);
    SCOPED_TRACE(c.Angle);
    EXPECT_GT(box.Count, 50);
    EXPECT_GE(box.Left, c.Left);
    EXPECT_GE(box.Top, c.Top);
    EXPECT_LE(box.Right, c.Right);
    EXPECT_LE(box.Bottom, c.Bottom);
  }
}

TEST(FontEngine, NinetyDegreesRunsUpFromTheReferencePoint) {
  const FontKey key = Key(u"Arial", -14);
  Buffer b(100, 200);
  DrawText(b.Target, key, u"Vertical label", 30, 180, 900, kBlack, false, false);
  const Box box = Changed(b);
  EXPECT_GT(box.Bottom - box.Top, 3 * (box.Right - box.Left));
  EXPECT_LE(box.Bottom, 180);
  EXPECT_GE(box.Left, 30);
  EXPECT_GT(box.Bottom, 180 - 10);  // starts near the reference point
}

TEST(FontEngine, DrawingIsDeterministic) {
  for (int angle : {0, 450, 900, 1234}) {
    Buffer first(160, 160), second(160, 160);
    for (Buffer* b : {&first, &second})
      DrawText(b->Target, Key(u"Times New Roman", -15, true, true), u"Same pixels", 60, 80, angle, 0x00336699, true,
               true);
    EXPECT_EQ(first.Pixels, second.Pixels) << angle;
  }
}

TEST(FontEngine, NothingIsWrittenOutsideTheClipRectangle) {
  const double positions[][2] = {
      {22, 12}, {-5, -5}, {-1e9, 15}, {1e12, 1e12}, {55, 28}, {-30, 20}, {2147483647.0, -2147483648.0}};
  for (int angle : {0, 450, 900, 1800, -900}) {
    for (const auto& p : positions) {
      Buffer b(100, 40);
      b.Target.ClipLeft = 20, b.Target.ClipTop = 10, b.Target.ClipRight = 60, b.Target.ClipBottom = 30;
      DrawText(b.Target, Key(u"Arial", -16, true), u"Clipped text WWW", p[0], p[1], angle, kBlack, true, true);
      const Box box = Changed(b);
      SCOPED_TRACE(std::to_string(angle) + " at " + std::to_string(p[0]) + "," + std::to_string(p[1]));
      if (box.Count == 0) continue;
      EXPECT_GE(box.Left, 20);
      EXPECT_GE(box.Top, 10);
      EXPECT_LE(box.Right, 60);
      EXPECT_LE(box.Bottom, 30);
    }
  }
}

TEST(FontEngine, ClipRectangleLargerThanTheBufferIsCutToIt) {
  Buffer b(30, 20);
  b.Target.ClipLeft = -1000, b.Target.ClipTop = -1000, b.Target.ClipRight = 1000, b.Target.ClipBottom = 1000;
  DrawText(b.Target, Key(u"Arial", -40), u"Overflowing", -10, -10, 300, kBlack, true, true);
  EXPECT_GT(Changed(b).Count, 0);  // the sanitizer build catches any write past the vector
}

TEST(FontEngine, BarsUseTheTextColourAndKeepTheAlphaByte) {
  const FontKey key = Key(u"Arial", -20);
  const int advance = TextAdvance(key, u"    ");
  Buffer b(100, 40, 0x00FFFFFFu);
  DrawText(b.Target, key, u"    ", 10, 5, 0, 0x000000FFu, true, false);  // red underline under blanks
  const Box box = Changed(b, 0x00FFFFFFu);
  EXPECT_EQ(box.Left, 10);
  EXPECT_EQ(box.Right, 10 + advance);
  const FontMetrics m = GetFontMetrics(key);
  EXPECT_GE(box.Top, 5 + m.Ascent);
  EXPECT_LE(box.Bottom, 5 + m.Height);
  EXPECT_EQ(box.Count, (box.Right - box.Left) * (box.Bottom - box.Top));
  EXPECT_EQ(b.At(10, box.Top), 0x00FF0000u);
}

TEST(FontEngine, StrikeOutLiesAboveTheBaselineAndRotatesWithTheText) {
  const FontKey key = Key(u"Arial", -20);
  const FontMetrics m = GetFontMetrics(key);
  const int advance = TextAdvance(key, u"   ");
  Buffer flat(100, 100), up(100, 100);
  DrawText(flat.Target, key, u"   ", 10, 10, 0, kBlack, false, true);
  DrawText(up.Target, key, u"   ", 10, 90, 900, kBlack, false, true);
  const Box a = Changed(flat), b = Changed(up);
  EXPECT_GT(a.Top, 10);
  EXPECT_LT(a.Bottom, 10 + m.Ascent);
  EXPECT_EQ(a.Right - a.Left, advance);
  // Turned a quarter left: the bar runs up from y = 90, left of the baseline at x = 10 + Ascent.
  EXPECT_EQ(b.Bottom - b.Top, advance);
  EXPECT_EQ(b.Bottom, 90);
  EXPECT_EQ(b.Right - b.Left, a.Bottom - a.Top);
  EXPECT_GT(b.Left, 10);
  EXPECT_LT(b.Right, 10 + m.Ascent);
}

TEST(FontEngine, EmptyTargetsAndTextsDrawNothing) {
  Buffer b(20, 20);
  PixelTarget none;
  DrawText(none, Key(u"Arial", -11), u"x", 0, 0, 0, kBlack, true, true);
  DrawText(b.Target, Key(u"Arial", -11), u"", 0, 0, 0, kBlack, true, true);
  PixelTarget reversed = b.Target;
  reversed.ClipLeft = 15, reversed.ClipRight = 5;
  DrawText(reversed, Key(u"Arial", -11), u"xxxx", 0, 0, 0, kBlack, true, true);
  DrawText(b.Target, Key(u"Arial", -11), u"xxxx", std::nan(""), 0, 0, kBlack, true, true);
  EXPECT_EQ(Changed(b).Count, 0);
}

// Aliased text is FreeType's monochrome rendering of the same hinted outline (a threshold on the grey
// levels gave other pixels), so 1-bit consumers such as a dot-matrix font can rely on it.
TEST(FontEngine, AliasedGlyphsAreFreeTypesMonochromeRendering) {
  const int em = 17;
  const std::string file = MatchFace(u"DejaVu Sans", false, false).File;
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, file.c_str(), 0, &face), 0);
  ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, em), 0);
  const int ascent = GetFontMetrics(Key(u"DejaVu Sans", -em)).Ascent;
  for (char16_t ch : {u'a', u'W', u'@', u'g'}) {
    Buffer b(40, 40);
    b.Target.Aliased = true;
    DrawText(b.Target, Key(u"DejaVu Sans", -em), String(1, ch), 5, 5, 0, kBlack, false, false);
    ASSERT_EQ(FT_Load_Char(face, ch, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP), 0);
    ASSERT_EQ(FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO), 0);
    const FT_Bitmap& g = face->glyph->bitmap;
    const int left = 5 + face->glyph->bitmap_left, top = 5 + ascent - face->glyph->bitmap_top;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const int gx = x - left, gy = y - top;
        const bool ink = gx >= 0 && gy >= 0 && gx < int(g.width) && gy < int(g.rows) &&
                         (g.buffer[gy * g.pitch + (gx >> 3)] & (0x80 >> (gx & 7))) != 0;
        EXPECT_EQ(b.At(x, y) != kWhite, ink) << char(ch) << " at " << x << ", " << y;
      }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
}

}  // namespace
}  // namespace qelta::platform_detail
