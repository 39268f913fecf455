#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "HeapPeak.h"
#include "Qelta_qeltacolors.h"
#include "Random.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::TempDir;

namespace {

int R(TColor c) { return c & 0xFF; }
int G(TColor c) { return (c >> 8) & 0xFF; }
int B(TColor c) { return (c >> 16) & 0xFF; }

/// Counts OnChange calls of a palette.
struct ChangeCounter {
  int count = 0;
  void Hook(TColorArray& a) {
    a.OnChange = [this](TObject*) { ++count; };
  }
};

// [SECTION] tables

TEST(PredefinedColors, HoldsTheFortySevenNamedColoursFromOne) {
  struct Case {
    int index;
    TColor color;
  };
  const Case cases[] = {{1, clBlack},    {16, clWhite},   {17, clMoneyGreen}, {20, clMedGray},   {21, clActiveBorder},
                        {25, clBtnFace}, {30, clDefault}, {41, clNone},       {42, clScrollBar}, {47, clWindowText}};
  for (const Case& c : cases) EXPECT_EQ(PredefinedColors[c.index], c.color) << c.index;
  EXPECT_EQ(PredefinedColors[0], 0);
  EXPECT_EQ(PredefinedColors[48], 0);
  EXPECT_EQ(std::distance(PredefinedColors.begin(), PredefinedColors.end()), 47);
  EXPECT_EQ(static_cast<uint32_t>(PredefinedColors[25]), 0xFF00000Fu);
}

// [SECTION] mixing

TEST(InterpolateColor, ClampsTheFractionAndMixesRawBytes) {
  struct Case {
    TColor c1, c2;
    double frac;
    TColor expected;
    const char* what;
  };
  const Case cases[] = {
      {0x000000, 0xFFFFFF, 1.7, 0xFFFFFF, "above 1 gives colour 2"},
      {0x102030, 0xFFFFFF, -1, 0x102030, "below 0 gives colour 1"},
      {0x102030, 0xFFFFFF, NAN, 0x102030, "NaN counts as 0"},
      {static_cast<TColor>(0xFF00000F), 0x000000, 0.0, 0x00000F, "system colour: its bytes, no high byte"},
      {0x0000FF, 0x000000, 0.5, 0x00007F, "255 - 127.5 truncates toward zero"},
      {0x000000, 0x00000A, 0.7, 0x000006, "80-bit: 10 x 0.7 stays below 7"},
      {0x000000, 0x00C800, 0.25, 0x003200, "green 0 to 200 at a quarter"},
  };
  for (const Case& c : cases) EXPECT_EQ(InterpolateColor(c.c1, c.c2, c.frac), c.expected) << c.what;
}

TEST(InterpolateColor, ThreeColoursMeetInTheMiddleAndMeanIsTheHalf) {
  const TColor a = 0x000000, b = 0x0000C8, c = 0xC80000;
  EXPECT_EQ(Interpolate3Colors(a, b, c, 0.25), 0x000064);
  EXPECT_EQ(Interpolate3Colors(a, b, c, 0.5), b);
  EXPECT_EQ(Interpolate3Colors(a, b, c, 0.75), 0x640064);
  EXPECT_EQ(Interpolate3Colors(a, b, c, 9.0), c);
  EXPECT_EQ(MeanColor(0x000001, 0x000000), 0x000000);
  EXPECT_EQ(MeanColor(0x000000, 0x000001), 0x000000);
  EXPECT_EQ(MeanColor(0x00FF00, 0x0000FF), 0x007F7F);
}

TEST(ColorBytes, ReverseAndInvertKeepOnlyTheThreeBytes) {
  EXPECT_EQ(ReverseRGBColor(0x123456), 0x563412);
  EXPECT_EQ(ReverseRGBColor(static_cast<TColor>(0xFF00000F)), 0x0F0000);
  EXPECT_EQ(InvertColor(0x00FF10), 0xFF00EF);
  EXPECT_EQ(InvertColor(clNone), 0x000000);
}

// [SECTION] grey levels and distance

TEST(RGBtoGray, WeightsAndRoundsHalfToEven) {
  struct Case {
    int r, g, b, expected;
  };
  const Case cases[] = {
      {255, 255, 255, 255}, {0, 0, 0, 0},    {100, 0, 0, 30},
      {0, 100, 0, 59},      {0, 0, 100, 11}, {5, 0, 0, 2},  // 1.5 exactly: to even
      {0, 5, 5, 3},                                         // 3.5 in exact arithmetic, 3.4999... in 80 bits
      {0, 50, 0, 29},                                       // 29.5 in exact arithmetic, below it in 80 bits
  };
  for (const Case& c : cases) EXPECT_EQ(RGBtoGray(c.r, c.g, c.b), c.expected) << c.r << "," << c.g << "," << c.b;
}

TEST(RGBtoGray, AgreesWithIntegerRoundingAwayFromExactTies) {
  for (uint32_t c = 0; c < (1u << 24); c += 97) {
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = c >> 16;
    const int n = 30 * r + 59 * g + 11 * b;  // 100 x the grey level, exactly
    if (n % 100 == 50) continue;             // exact ties are decided by the 80-bit sum
    ASSERT_EQ(RGBtoGray(r, g, b), (n + 50) / 100) << r << "," << g << "," << b;
  }
}

TEST(RGBtoGrayColor, IsThatLevelInAllThreeBytesAndStaysInRange) {
  EXPECT_EQ(RGBtoGrayColor(100, 100, 100), 0x646464);
  EXPECT_EQ(ColorToGrayColor(0x0000FF), 0x4C4C4C);  // 0.3 x 255 = 76.5 -> 76
  // Regression: a level above 255 spilled into the neighbouring bytes.
  EXPECT_EQ(RGBtoGrayColor(1000, 1000, 1000), 0xFFFFFF);
  EXPECT_EQ(RGBtoGrayColor(-10, 0, 0), 0x000000);
}

TEST(RGBColorDistance, BlackToWhiteIsOneAndBytesAreRaw) {
  EXPECT_EQ(RGBColorDistance(clBlack, clWhite), 1.0);
  EXPECT_EQ(RGBColorDistance(0x123456, 0x123456), 0.0);
  EXPECT_DOUBLE_EQ(RGBColorDistance(0x0000FF, 0x000000), std::sqrt(1.0 / 3.0));
  EXPECT_EQ(RGBColorDistance(static_cast<TColor>(0xFF00000F), 0x00000F), 0.0);
}

// [SECTION] colour models

/// Textbook HSV -> RGB (the "f(n)" form), unrounded, as an independent reference.
double HsvChannel(int n, double h, double s, double v) {
  const double k = std::fmod(n + h / 60.0, 6.0);
  return 255.0 * (v - v * s * std::max(0.0, std::min({k, 4.0 - k, 1.0})));
}

TEST(RGBtoHSI, EdgeColours) {
  struct Case {
    int r, g, b;
    double h, s, i;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0, 0},      {128, 128, 128, -1, 0, 128 / 255.0},
      {255, 0, 0, 0, 1, 1},    {0, 255, 0, 120, 1, 1},
      {0, 0, 255, 240, 1, 1},  {255, 0, 255, 300, 1, 1},
      {255, 255, 0, 60, 1, 1}, {0, 128, 128, 180, 1, 128 / 255.0},
  };
  for (const Case& c : cases) {
    double h = 9, s = 9, i = 9;
    RGBtoHSI(c.r, c.g, c.b, h, s, i);
    EXPECT_DOUBLE_EQ(h, c.h) << c.r << "," << c.g << "," << c.b;
    EXPECT_DOUBLE_EQ(s, c.s);
    EXPECT_DOUBLE_EQ(i, c.i);
  }
}

TEST(RGBtoHSI, ExtremeIntegersDoNotOverflow) {
  // Regression: the hue differences were taken in 32-bit integers and overflowed for far
  // out-of-range components.
  double h = 0, s = 0, i = 0;
  RGBtoHSI(INT_MIN, INT_MAX, 0, h, s, i);
  EXPECT_NEAR(h, 60 * (0.0 - INT_MIN) / (double(INT_MAX) - INT_MIN) + 120, 1e-9);
  EXPECT_EQ(RGBtoGrayColor(INT_MAX, INT_MAX, INT_MAX), 0xFFFFFF);
}

TEST(RGBtoHSI, AgreesWithTheStandardHexcone) {
  RandSeed = 20240601;
  for (int n = 0; n < 20000; ++n) {
    const int r = Random(256), g = Random(256), b = Random(256);
    double h = 0, s = 0, v = 0;
    RGBtoHSI(r, g, b, h, s, v);
    if (h < 0) h = 0;  // greys: any hue
    EXPECT_NEAR(HsvChannel(5, h, s, v), r, 1e-9);
    EXPECT_NEAR(HsvChannel(3, h, s, v), g, 1e-9);
    EXPECT_NEAR(HsvChannel(1, h, s, v), b, 1e-9);
  }
}

TEST(HSItoRGB, AgreesWithTheStandardHexconeWithinRounding) {
  RandSeed = 7;
  for (int n = 0; n < 20000; ++n) {
    const double h = Random() * 360, s = Random(), v = Random();
    int r = 0, g = 0, b = 0;
    HSItoRGB(h, s, v, r, g, b);
    EXPECT_LE(std::fabs(r - HsvChannel(5, h, s, v)), 0.5 + 1e-9);
    EXPECT_LE(std::fabs(g - HsvChannel(3, h, s, v)), 0.5 + 1e-9);
    EXPECT_LE(std::fabs(b - HsvChannel(1, h, s, v)), 0.5 + 1e-9);
  }
}

TEST(HSItoRGB, OutOfRangeInputs) {
  struct Case {
    double h, s, i;
    int r, g, b;
    const char* what;
  };
  const Case cases[] = {
      {360, 1, 1, 255, 0, 0, "hue 360 is hue 0"},
      {-1, 0, 0.5, 128, 128, 128, "a grey's hue -1 with saturation 0"},
      {-30, 1, 1, 255, 0, 0, "negative hue is hue 0"},
      {120, 5, 2, 0, 255, 0, "saturation and intensity above 1"},
      {240, -1, -1, 0, 0, 0, "below 0"},
      {NAN, 1, 1, 255, 0, 0, "NaN hue is hue 0"},
      {60, NAN, 1, 255, 255, 255, "NaN saturation is 0"},
  };
  for (const Case& c : cases) {
    int r = -9, g = -9, b = -9;
    HSItoRGB(c.h, c.s, c.i, r, g, b);
    EXPECT_EQ(r, c.r) << c.what;
    EXPECT_EQ(g, c.g) << c.what;
    EXPECT_EQ(b, c.b) << c.what;
  }
}

TEST(HSItoRGB, ReturnsEveryColourThroughRGBtoHSI) {
  // A dense sample of the 24-bit cube plus its faces, edges and greys.
  std::vector<uint32_t> colours;
  for (uint32_t c = 0; c < (1u << 24); c += 61) colours.push_back(c);
  const int levels[] = {0, 1, 2, 127, 128, 129, 253, 254, 255};
  for (int r : levels)
    for (int g : levels)
      for (int b : levels) colours.push_back(r | (g << 8) | (b << 16));
  for (uint32_t c : colours) {
    double h = 0, s = 0, i = 0;
    RGBtoHSI(R(c), G(c), B(c), h, s, i);
    int r = 0, g = 0, b = 0;
    HSItoRGB(h, s, i, r, g, b);
    ASSERT_EQ(r | (g << 8) | (b << 16), static_cast<int>(c)) << std::hex << c;
  }
}

TEST(CMY, RoundTripsEveryLevelAndClamps) {
  for (int v = 0; v < 256; ++v) {
    double c = 0, m = 0, y = 0;
    RGBtoCMY(static_cast<uint8_t>(v), 0, 255, c, m, y);
    uint8_t r = 0, g = 0, b = 0;
    CMYtoRGB(c, m, y, r, g, b);
    ASSERT_EQ(r, v);
    ASSERT_EQ(g, 0);
    ASSERT_EQ(b, 255);
  }
  uint8_t r = 0, g = 0, b = 0;
  CMYtoRGB(-0.5, 1.5, 0.5, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 128);  // 127.5 to even
}

TEST(CMYK, BlackIsTheCommonShareAndAddsBackClamped) {
  double c = 0.9, m = 0.4, y = 1.3, k = 0;
  CMYtoCMYK(c, m, y, k);
  EXPECT_DOUBLE_EQ(k, 0.4);
  EXPECT_DOUBLE_EQ(c, 0.5);
  EXPECT_DOUBLE_EQ(m, 0.0);
  EXPECT_DOUBLE_EQ(y, 0.6);
  CMYKtoCMY(c, m, y, k);
  EXPECT_DOUBLE_EQ(c, 0.9);
  EXPECT_DOUBLE_EQ(m, 0.4);
  EXPECT_DOUBLE_EQ(y, 1.0);
  CMYKtoCMY(c, m, y, 0.5);
  EXPECT_DOUBLE_EQ(c, 1.0);
}

// [SECTION] random colours and light

TEST(RandomColor, DrawsBlueFirstFromThePlatformGenerator) {
  RandSeed = 4711;
  const int b = Random(256), g = Random(256), r = Random(256);
  RandSeed = 4711;
  EXPECT_EQ(RandomColor(), r | (g << 8) | (b << 16));
  RandSeed = 4711;
  EXPECT_EQ(RandomColor(0, 255, 0, 255, 0, 255), r | (g << 8) | (b << 16));
}

TEST(RandomColor, StaysWithinItsBounds) {
  RandSeed = 99;
  for (int n = 0; n < 2000; ++n) {
    const TColor c = RandomColor(10, 20, 200, 255, 7, 7);
    ASSERT_TRUE(R(c) >= 10 && R(c) <= 20);
    ASSERT_TRUE(G(c) >= 200 && G(c) <= 255);
    ASSERT_EQ(B(c), 7);
  }
  EXPECT_EQ(B(RandomColor(0, 0, 0, 0, 50, 40)), 50);  // high below low: the low value
}

TEST(WavelengthToColor, SpectrumPoints) {
  struct Case {
    int nm;
    double gamma;
    TColor expected;
    const char* what;
  };
  const Case cases[] = {
      {380, 1, 0x4C004C, "dark violet: 255 x 0.3 = 76.5 in 80 bits, to even"},
      {400, 1, 0xA6006E, "red 110: 255 x 2/3 x 0.65 = 110.5 in exact arithmetic"},
      {426, 1, 0xFF003C, "59.5 to even"},
      {430, 1, 0xFF002A, "42.5 to even"},
      {440, 1, 0xFF0000, "blue"},
      {465, 1, 0xFF8000, "127.5 to even"},
      {510, 1, 0x00FF00, "green"},
      {580, 1, 0x00FFFF, "yellow"},
      {645, 1, 0x0000FF, "red"},
      {750, 1, 0x00008F, "fading red"},
      {779, 1, 0x00004F, "last visible"},
      {780, 1, 0x000000, "black beyond"},
      {379, 1, 0x000000, "black below"},
      {380, 0.8, 0x610061, "gamma 0.8"},
      {380, 0, 0xFF00FF, "gamma 0: full components"},
  };
  for (const Case& c : cases) EXPECT_EQ(WavelengthToColor(c.nm, c.gamma), c.expected) << c.what;
}

TEST(WavelengthToColor, ComponentsStayBytesForAnyGamma) {
  // Regression: a negative gamma made 255 x 0.3^-1 = 850, which spilled into the next byte.
  EXPECT_EQ(WavelengthToColor(380, -1), 0xFF00FF);
  EXPECT_EQ(WavelengthToColor(380, NAN), 0x000000);
}

// [SECTION] palette: construction, entries and size

TEST(TColorArray, NewPaletteIsTheRainbowInAThousandColours) {
  TColorArray a(nullptr);
  EXPECT_EQ(a.Size(), 1000);
  EXPECT_EQ(a.GetColorElem(1000), 0x000040);
  EXPECT_EQ(a.GetColorElem(1), 0x400020);
  EXPECT_EQ(a.GetColorElem(100), 0x800060);
  // Entries whose truncated bytes depend on the 80-bit evaluation of the fractions.
  EXPECT_EQ(a.GetColorElem(330), 0xF79600);
  EXPECT_EQ(a.GetColorElem(360), 0xFABE00);
  EXPECT_EQ(a.GetColorElem(370), 0xFBCB00);
  EXPECT_EQ(a.GetColorElem(480), 0x32FC13);
  uint32_t hash = 2166136261u;  // FNV-1a over the bytes of all entries
  for (int i = 1; i <= 1000; ++i)
    for (int k = 0; k < 4; ++k)
      hash = (hash ^ ((static_cast<uint32_t>(a.GetColorElem(i)) >> (8 * k)) & 0xFF)) * 16777619u;
  EXPECT_EQ(hash, 0x83AE62FFu);
}

TEST(TColorArray, ElementAccessClampsReadsAndIgnoresWritesOutside) {
  TColorArray a(nullptr);
  ChangeCounter n;
  n.Hook(a);
  EXPECT_EQ(a.GetColorElem(0), a.GetColorElem(1));
  EXPECT_EQ(a.GetColorElem(-5), a.GetColorElem(1));
  EXPECT_EQ(a.GetColorElem(1001), a.GetColorElem(1000));
  a.SetColorElem(0, clRed);
  a.SetColorElem(1001, clRed);
  EXPECT_EQ(n.count, 0);
  a.SetColorElem(5, clRed);
  a.SetColorElem(5, clRed);
  EXPECT_EQ(a.GetColorElem(5), clRed);
  EXPECT_EQ(n.count, 2);  // notifies on every store
}

TEST(TColorArray, SizeSettersTable) {
  struct Case {
    bool viaResize;
    int n;
    bool result;
    int size;
    int notified;
  };
  const Case cases[] = {
      {false, 0, true, 1000, 0},  {false, -7, true, 1000, 0},  {false, 1000, true, 1000, 0},
      {false, 12, true, 12, 1},   {true, 1000, true, 1000, 0}, {true, 0, false, 1000, 0},
      {true, -1, false, 1000, 0}, {true, 1, true, 1, 1},       {true, 1500, true, 1500, 1},
  };
  for (const Case& c : cases) {
    TColorArray a(nullptr);
    ChangeCounter n;
    n.Hook(a);
    const bool result = c.viaResize ? a.Resize(c.n) : (a.SetSize(c.n), true);
    EXPECT_EQ(result, c.result) << c.n;
    EXPECT_EQ(a.Size(), c.size) << c.n;
    EXPECT_EQ(n.count, c.notified) << c.n;
  }
}

TEST(TColorArray, ResizeKeepsEntriesAndZeroesNewOnes) {
  TColorArray a(nullptr);
  const TColor kept = a.GetColorElem(3);
  a.Resize(3);
  a.Resize(6);
  EXPECT_EQ(a.GetColorElem(3), kept);
  EXPECT_EQ(a.GetColorElem(4), 0);
  EXPECT_EQ(a.GetColorElem(6), 0);
}

TEST(TColorArray, AssignCopiesQuietlyAndIsEqualComparesAll) {
  TColorArray a(nullptr), b(nullptr);
  b.Resize(3);
  ChangeCounter n;
  n.Hook(b);
  EXPECT_FALSE(a.IsEqual(&b));
  b.Assign(&a);
  EXPECT_EQ(n.count, 0);
  EXPECT_TRUE(b.IsEqual(&a));
  b.SetColorElem(1000, clWhite);
  EXPECT_FALSE(b.IsEqual(&a));
  EXPECT_FALSE(a.IsEqual(nullptr));
  TColorArray c(nullptr);
  c.Resize(2);
  c.Assign(&b);  // AssignTo a palette goes through Assign as well
  EXPECT_TRUE(c.IsEqual(&b));
  TPersistent other;
  EXPECT_THROW(a.Assign(&other), EConvertError);
}

// [SECTION] palette: filling, searching, copying

TEST(TColorArray, FillWithStepsMakesFlatBands) {
  TColorArray a(nullptr);
  a.Resize(10);
  ChangeCounter n;
  n.Hook(a);
  a.FillByInterpolation(2, ColorArray_Rainbow);
  EXPECT_EQ(n.count, 1);
  const std::vector<TColor> expected = {0x400020, 0x400020, 0x00FF18, 0x00FF18, 0x00FF18,
                                        0x00FF18, 0x00FF18, 0x000040, 0x000040, 0x000040};
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(a.GetColorElem(i), expected[i - 1]) << i;
}

TEST(TColorArray, FillBetweenTwoColoursIsALinearRamp) {
  TColorArray a(nullptr);
  a.Resize(256);
  const TColor ends[] = {0x000000, 0x0000FF};
  a.FillByInterpolation(0, ends);
  for (int c = 1; c <= 256; ++c) ASSERT_EQ(a.GetColorElem(c), 255 * c / 256) << c;
}

TEST(TColorArray, FillStaysInsideTheColourList) {
  // Regression: with flat bands the first entry falls on position 0 (Size 5, 2 steps), and the list
  // index became -2, reading before the list.
  TColorArray a(nullptr);
  a.Resize(5);
  a.FillByInterpolation(2, ColorArray_Rainbow);
  const std::vector<TColor> expected = {0x400020, 0xF56E00, 0xF56E00, 0x00008D, 0x00008D};
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(a.GetColorElem(i), expected[i - 1]) << i;
}

TEST(TColorArray, FillWithOneColourOrNoneStaysInsideTheList) {
  // Regression: a one-colour list read one entry past its end, an empty list read from nothing.
  for (int steps : {0, 3, 1000}) {
    TColorArray a(nullptr);
    a.Resize(7);
    const TColor one[] = {0x123456};
    a.FillByInterpolation(steps, one);
    for (int i = 1; i <= 7; ++i) ASSERT_EQ(a.GetColorElem(i), 0x123456) << steps;
  }
  TColorArray a(nullptr), before(nullptr);
  ChangeCounter n;
  n.Hook(a);
  a.FillByInterpolation(4, std::span<const TColor>());
  EXPECT_TRUE(a.IsEqual(&before));
  EXPECT_EQ(n.count, 1);
}

TEST(TColorArray, ColorToIndexFindsTheNearestLowestEntry) {
  TColorArray a(nullptr);
  a.Resize(4);
  for (int i = 1; i <= 4; ++i) a.SetColorElem(i, clWhite);
  double d = -1;
  EXPECT_EQ(a.ColorToIndex(clBlack, d), 1);
  EXPECT_EQ(d, 1.0);
  a.SetColorElem(3, 0x101010);
  a.SetColorElem(4, 0x101010);
  EXPECT_EQ(a.ColorToIndex(0x101010, d), 3);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(a.ColorToIndex(static_cast<TColor>(0xFF101010), d), 3);  // raw bytes
  EXPECT_EQ(a.ColorToIndex(0x202020, d), 3);
  EXPECT_DOUBLE_EQ(d, RGBColorDistance(0x202020, 0x101010));
}

TEST(TColorArray, ColorToIndexMatchesTheDistanceScan) {
  TColorArray a(nullptr);
  a.Resize(300);
  RandSeed = 31;
  for (int i = 1; i <= 300; ++i) a.SetColorElem(i, RandomColor());
  for (int n = 0; n < 300; ++n) {
    const TColor cl = RandomColor();
    double best = 1.0;
    int index = 1;
    for (int i = 1; i <= 300; ++i) {
      const double dist = RGBColorDistance(a.GetColorElem(i), cl);
      if (dist < best) best = dist, index = i;
    }
    double d = -1;
    ASSERT_EQ(a.ColorToIndex(cl, d), index);
    ASSERT_EQ(d, best);
  }
}

TEST(TColorArray, CopyFromClampsAndOrdersTheSourceRange) {
  TColorArray src(nullptr), dst(nullptr);
  src.Resize(5);
  for (int i = 1; i <= 5; ++i) src.SetColorElem(i, i);
  dst.Resize(10);
  for (int i = 1; i <= 10; ++i) dst.SetColorElem(i, 0);
  ChangeCounter n;
  n.Hook(dst);
  dst.CopyFrom(nullptr, 1, 5, 1);
  EXPECT_EQ(n.count, 0);
  dst.CopyFrom(&src, 9, 3, 2);  // 3..5 after ordering and clamping
  EXPECT_EQ(n.count, 1);
  const std::vector<TColor> expected = {0, 3, 4, 5, 0, 0, 0, 0, 0, 0};
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(dst.GetColorElem(i), expected[i - 1]) << i;
}

TEST(TColorArray, CopyFromSkipsPositionsOutsideAndCopiesOverlapsOfItself) {
  // Regression: destination positions beyond Size were written past the array, and copying a
  // range of the palette onto itself smeared the first entries over the rest.
  TColorArray a(nullptr);
  a.Resize(6);
  for (int i = 1; i <= 6; ++i) a.SetColorElem(i, i);
  a.CopyFrom(&a, 1, 4, 3);
  const std::vector<TColor> shifted = {1, 2, 1, 2, 3, 4};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(a.GetColorElem(i), shifted[i - 1]) << i;
  a.CopyFrom(&a, 1, 6, -2);  // entries 4..6 land on 1..3
  const std::vector<TColor> expected = {2, 3, 4, 2, 3, 4};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(a.GetColorElem(i), expected[i - 1]) << i;
}

// [SECTION] palette: the colour-list file

TEST(TColorArrayFile, StoreWritesBoundsAndEightDigitColours) {
  TempDir dir;
  TColorArray a(nullptr);
  a.Resize(6);
  const TColor colours[] = {0x000000, 0x0000FF, static_cast<TColor>(0xFF00000F), 0x1FFFFFFF, 0xABCDEF, 0x10};
  for (int i = 1; i <= 6; ++i) a.SetColorElem(i, colours[i - 1]);
  ASSERT_TRUE(a.StoreOnFile(5, 2, dir / "c.txt"));
  EXPECT_EQ(dir.Get("c.txt"), "2 5\r\n000000FF\r\nFF00000F\r\n1FFFFFFF\r\n00ABCDEF\r\n");
  ASSERT_TRUE(a.StoreOnFile(-3, 900, dir / "all.txt"));
  EXPECT_EQ(dir.Get("all.txt").substr(0, 5), "1 6\r\n");
}

TEST(TColorArrayFile, RoundTripsByteForByte) {
  TempDir dir;
  TColorArray a(nullptr), b(nullptr);
  a.SetColorElem(7, clBtnFace);
  ASSERT_TRUE(a.StoreOnFile(1, 1000, dir / "p.txt"));
  b.Resize(3);
  ChangeCounter n;
  n.Hook(b);
  ASSERT_TRUE(b.LoadFromFile(dir / "p.txt", true));
  EXPECT_TRUE(b.IsEqual(&a));
  EXPECT_GE(n.count, 1);
  ASSERT_TRUE(b.StoreOnFile(1, 1000, dir / "q.txt"));
  EXPECT_EQ(dir.Get("p.txt"), dir.Get("q.txt"));
}

TEST(TColorArrayFile, LoadReadsLinesLeniently) {
  TempDir dir;
  // LF line ends, a '$', lower case, text after the digits, and a line without a number.
  dir.Put("l.txt", "2 6\n$0000ff\nabcdef01 red\nnone\n  12\n");
  TColorArray a(nullptr);
  a.Resize(8);
  for (int i = 1; i <= 8; ++i) a.SetColorElem(i, 0x777777);
  ASSERT_TRUE(a.LoadFromFile(dir / "l.txt", false));
  const std::vector<TColor> expected = {0x777777, 0x0000FF, static_cast<TColor>(0xABCDEF01), 0x777777, 0x12, 0x777777,
                                        0x777777, 0x777777};
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(a.GetColorElem(i), expected[i - 1]) << i;
  EXPECT_EQ(a.Size(), 8);
}

TEST(TColorArrayFile, AdjustSizeTakesTheLastIndexAsSize) {
  TempDir dir;
  dir.Put("r.txt", "3 4\r\n00000001\r\n00000002\r\n");
  TColorArray a(nullptr);
  ASSERT_TRUE(a.LoadFromFile(dir / "r.txt", true));
  EXPECT_EQ(a.Size(), 4);
  EXPECT_EQ(a.GetColorElem(3), 1);
  EXPECT_EQ(a.GetColorElem(4), 2);
}

TEST(TColorArrayFile, LoadRefusesMissingFilesAndTooSmallPalettes) {
  TempDir dir;
  TColorArray a(nullptr), before(nullptr);
  ChangeCounter n;
  n.Hook(a);
  EXPECT_FALSE(a.LoadFromFile(dir / "missing.txt", true));
  EXPECT_EQ(n.count, 0);
  dir.Put("big.txt", "1 2000\r\n00000001\r\n");
  EXPECT_FALSE(a.LoadFromFile(dir / "big.txt", false));
  EXPECT_TRUE(a.IsEqual(&before));
  EXPECT_EQ(n.count, 1);  // the file was open
  dir.Put("bad.txt", "one two\r\n00000001\r\n");
  EXPECT_FALSE(a.LoadFromFile(dir / "bad.txt", true));
  EXPECT_TRUE(a.IsEqual(&before));
}

// Regression: AdjustSize resized to the last index before reading a line, so the 12 bytes "1 16777216"
// took 64 MiB. The lines are read first, and the palette grows only as far as the file can fill it plus
// a small allowance; a range stored from the middle of a large palette within it still loads.
TEST(TColorArrayFile, AdjustSizeGrowsOnlyAsFarAsTheFileCanFill) {
  TempDir dir;
  for (const std::string head : {"1 16777216", "1 2000000", "2000000 2000000"}) {
    const std::string text = head + "\r\n00000001\r\n";
    dir.Put("s.txt", text);
    TColorArray a(nullptr), before(nullptr);
    bool loaded = true;
    const int64_t peak = test::HeapPeakOf([&] { loaded = a.LoadFromFile(dir / "s.txt", true); });
    EXPECT_FALSE(loaded) << head;
    EXPECT_TRUE(a.IsEqual(&before)) << head;
    EXPECT_LE(peak, test::ReaderPeakBound(text.size())) << head;
  }
  dir.Put("m.txt", "500001 500001\r\n00000008\r\n");  // 2 MB of entries for one line: within the allowance
  TColorArray m(nullptr);
  ASSERT_TRUE(m.LoadFromFile(dir / "m.txt", true));
  EXPECT_EQ(std::pair(m.Size(), m.GetColorElem(500001)), std::pair(500001, TColor{8}));
}

TEST(TColorArrayFile, AbsurdOrNegativeSizesAreRefused) {
  // Regression: the size line was trusted, so AdjustSize tried to allocate whatever it said.
  TempDir dir;
  const char* lines[] = {"1 -5", "1 0", "1 16777217", "1 2147483647", "-2147483648 2147483647"};
  for (const char* line : lines) {
    dir.Put("s.txt", std::string(line) + "\r\n00000001\r\n");
    TColorArray a(nullptr), before(nullptr);
    EXPECT_FALSE(a.LoadFromFile(dir / "s.txt", true)) << line;
    EXPECT_TRUE(a.IsEqual(&before)) << line;
  }
}

TEST(TColorArrayFile, AHostileRangeEndsWithTheFile) {
  // Regression: the loop ran from the first to the last index of the size line whatever the file
  // held; it now stops at the end of the file.
  TempDir dir;
  dir.Put("h.txt", "-2147483647 3\r\n00000001\r\n00000002\r\n");
  TColorArray a(nullptr), before(nullptr);
  EXPECT_TRUE(a.LoadFromFile(dir / "h.txt", false));
  EXPECT_TRUE(a.IsEqual(&before));
}

TEST(TColorArrayFile, StoreReportsAFullDiskAndAnUncreatableFile) {
  // Regression: the result was true once the file had been created, even when nothing could be
  // written to it.
  TempDir dir;
  TColorArray a(nullptr);
  {
    FaultyOs os;
    os.WriteBudget = 100;
    EXPECT_FALSE(a.StoreOnFile(1, 1000, dir / "full.txt"));
  }
  EXPECT_FALSE(a.StoreOnFile(1, 10, dir / "no/such/dir.txt"));
  EXPECT_TRUE(a.StoreOnFile(1, 10, dir / "fine.txt"));
}

}  // namespace
