// The colour scale: bar layout, values and colours, setters, pixels of a shown control, mouse moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "Qelta_ColorScale.h"
#include "Testing.h"

using namespace qelta;

namespace {

// The colour index each pixel of a bar ends with (later lines paint over earlier ones).
std::map<int, int> Rendered(const std::vector<TColorBarLine>& lines) {
  std::map<int, int> out;
  for (const TColorBarLine& l : lines) out[l.Pos] = l.Index;
  return out;
}

// A colour scale that shows its off-screen picture.
class TProbeColorScale : public TColorScale {
 public:
  using TColorScale::Picture;
  using TColorScale::TColorScale;
  TColor At(int x, int y) const { return Picture().Canvas()->Pixels(x, y); }
};

// --- bar layout --------------------------------------------------------------------------------

TEST(ColorBarLines, PixelsBetweenTheColourEndsAndTheExtendedRest) {
  struct Case {
    const char* name;
    int start, end, low, high, n;
    bool extend, lowFirst;
    std::map<int, int> pixels;  // position -> index
  };
  // clang-format off
  const Case cases[] = {
      {"ascending", 0, 9, 2, 6, 8, false, true, {{2, 1}, {3, 2}, {4, 4}, {5, 6}, {6, 8}}},
      {"ascending, extended", 0, 9, 2, 6, 8, true, true,
       {{0, 1}, {1, 1}, {2, 1}, {3, 2}, {4, 4}, {5, 6}, {6, 8}, {7, 8}, {8, 8}, {9, 8}}},
      {"descending", 0, 9, 7, 3, 8, false, false, {{3, 8}, {4, 6}, {5, 4}, {6, 2}, {7, 1}}},
      {"descending, extended", 0, 9, 7, 3, 8, true, false,
       {{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 6}, {5, 4}, {6, 2}, {7, 1}, {8, 1}, {9, 1}}},
      {"clamped to the bar", 0, 9, -10, 30, 40, false, true,
       {{0, 10}, {1, 11}, {2, 12}, {3, 13}, {4, 14}, {5, 15}, {6, 16}, {7, 17}, {8, 18}, {9, 19}}},
      {"interval beyond the end: colour 1", 0, 3, 10, 20, 8, true, true, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
      {"interval before the start: colour N", 0, 3, -20, -10, 8, true, true, {{0, 8}, {1, 8}, {2, 8}, {3, 8}}},
      {"one pixel: the middle colour", 0, 3, 1, 1, 9, false, true, {{1, 4}}},
      {"one pixel, ColorLow towards the end", 0, 3, 1, 1, 9, true, false, {{0, 9}, {1, 9}, {2, 1}, {3, 1}}},
      {"empty bar", 5, 4, 0, 9, 8, true, true, {}},
  };
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(Rendered(ColorBarLines(c.start, c.end, c.low, c.high, c.n, c.extend, c.lowFirst)), c.pixels) << c.name;
}

TEST(ColorBarLines, TheDescendingBarIsTheMirrorOfTheAscendingOne) {
  // Regression: a descending axis put ColorLow's pixel after ColorHigh's and the bar loop never ran.
  for (const bool extend : {false, true}) {
    for (const auto& [low, high] : {std::pair{40, 210}, std::pair{-30, 120}, std::pair{100, 400}, std::pair{77, 77}}) {
      const std::map<int, int> up = Rendered(ColorBarLines(16, 283, low, high, 1000, extend, true));
      const std::map<int, int> down = Rendered(ColorBarLines(16, 283, 299 - low, 299 - high, 1000, extend, false));
      std::map<int, int> mirrored;
      for (const auto& [pos, index] : down) mirrored[299 - pos] = index;
      EXPECT_EQ(up, mirrored) << low << ".." << high << (extend ? " extended" : "");
    }
  }
}

// --- values and colours ------------------------------------------------------------------------

TEST(TColorScale, ValueToColorRoundsAndClampsIntoThePalette) {
  TColorScale s(nullptr);
  const TColorArray* p = s.ColorArray();
  ASSERT_EQ(p->Size(), 1000);
  const std::pair<double, int> cases[] = {{-10, 1},   {0, 500},     {10, 1000},   {-50, 1}, {50, 1000},
                                          {-9.99, 1}, {0.004, 500}, {0.037, 502}, {NAN, 1}, {INFINITY, 1000}};
  for (const auto& [v, index] : cases) EXPECT_EQ(s.ValueToColor(v), p->GetColorElem(index)) << v;
  TColorScale unit(nullptr);  // one value per colour: halves go to the even index
  unit.SetColorHigh(1000);
  unit.SetColorLow(0);
  for (const auto& [v, index] : {std::pair{2.5, 2}, std::pair{3.5, 4}, std::pair{999.5, 1000}})
    EXPECT_EQ(unit.ValueToColor(v), p->GetColorElem(index)) << v;
  s.SetColorLow(20);  // above ColorHigh: both become 20, every value the middle colour
  EXPECT_EQ(s.ColorHigh(), 20);
  for (const double v : {-100.0, 20.0, 100.0}) EXPECT_EQ(s.ValueToColor(v), p->GetColorElem(500)) << v;
  s.SetColorHigh(-30);  // below ColorLow: both follow
  EXPECT_EQ(s.ColorLow(), -30);
  EXPECT_EQ(s.ColorHigh(), -30);
}

TEST(TColorScale, ColorToValueGoesThroughTheNearestPaletteColour) {
  TColorScale s(nullptr);
  const TColorArray* p = s.ColorArray();
  EXPECT_DOUBLE_EQ(s.ColorToValue(p->GetColorElem(500)), 0.0);
  EXPECT_DOUBLE_EQ(s.ColorToValue(p->GetColorElem(250)), -5.0);
  TColorArray* palette = s.ColorArray();
  palette->SetColorElem(999, clLime);
  palette->SetColorElem(1000, clLime);
  EXPECT_DOUBLE_EQ(s.ColorToValue(clLime), 9.98) << "ties go to the lowest index";
  // Not an exact inverse: -10 shows colour 1, which reads back as one palette step above -10.
  EXPECT_DOUBLE_EQ(s.ColorToValue(s.ValueToColor(-10)), -10 + 20.0 / 1000);
  s.SetColorLow(0);
  s.SetColorHigh(100);
  EXPECT_DOUBLE_EQ(s.ColorToValue(p->GetColorElem(10)), 1.0);
}

// --- setters -----------------------------------------------------------------------------------

TEST(TColorScale, MarginsAreClampedAgainstTheSizeAndTheOtherMargin) {
  TColorScale s(nullptr);  // 300 x 75, margins 8, 22, 16, 16
  struct Case {
    void (TColorScale::*set)(int);
    int (TColorScale::*get)() const;
    int value, kept;
  };
  const Case cases[] = {{&TColorScale::SetMarginTop, &TColorScale::MarginTop, 1000, 52},
                        {&TColorScale::SetMarginTop, &TColorScale::MarginTop, -5, 0},
                        {&TColorScale::SetMarginBottom, &TColorScale::MarginBottom, 80, 66},
                        {&TColorScale::SetMarginLeft, &TColorScale::MarginLeft, 300, 283},
                        {&TColorScale::SetMarginRight, &TColorScale::MarginRight, 299, 283}};
  for (const Case& c : cases) {
    TColorScale t(nullptr);
    (t.*c.set)(c.value);
    EXPECT_EQ((t.*c.get)(), c.kept) << c.value;
  }
}

TEST(TColorScale, EqualAxisEndsAreMovedApartAsTheAxisShowsThem) {
  TColorScale s(nullptr);
  s.SetScaleRangeLow(10);  // equal to ScaleRangeHigh
  EXPECT_EQ(s.ScaleRangeLow(), 10);
  EXPECT_EQ(s.ScaleRangeHigh(), 11);
  s.SetScaleRangeHigh(10);
  EXPECT_EQ(s.ScaleRangeLow(), 9);
  EXPECT_EQ(s.ScaleRangeHigh(), 10);
}

TEST(TColorScale, AssignCopiesTheFrameAndItsColoursOnly) {
  TColorScale a(nullptr), b(nullptr);
  b.SetFrameStyle(fsRaised);
  b.SetColorScheme(csSystem);
  b.SetColorLow(3);
  a.Assign(&b);
  EXPECT_EQ(a.FrameStyle(), fsRaised);
  EXPECT_EQ(a.ColorScheme(), csSystem);
  EXPECT_EQ(a.ColorLow(), -10);
  TComponent other(nullptr);
  EXPECT_THROW_MSG(a.Assign(&other), EConvertError, "Cannot assign a TComponent to a TColorScale");
}

TEST(TColorScale, RegisterPutsItOnThePalettePageQelta) {
  Qelta_ColorScale::Register();
  const std::vector<TComponentClass> classes = RegisteredComponents(u"Qelta");
  EXPECT_TRUE(std::any_of(classes.begin(), classes.end(),
                          [](const TComponentClass& c) { return c.ClassName == u"TColorScale"; }));
}

// --- pixels ------------------------------------------------------------------------------------

TEST(TColorScale, WithoutAParentItPaintsItsPictureAtOnceAndNeverRaises) {
  TProbeColorScale s(nullptr);
  EXPECT_NO_THROW(s.SetColorLow(-5));
  EXPECT_NO_THROW(s.SetColorHigh(5));
  EXPECT_EQ(s.Picture().Width(), 300);
  const TColor rainbow = s.ColorArray()->GetColorElem(1000);
  EXPECT_EQ(s.At(216, 30), rainbow);           // the pixel of 5, ColorHigh
  s.ColorArray()->SetColorElem(1000, clLime);  // the palette repaints
  EXPECT_EQ(s.At(216, 30), clLime);
  EXPECT_NO_THROW(s.SetBounds(0, 0, 0, 0));
  EXPECT_NO_THROW(s.SetOrientation(csoVertical));
  EXPECT_NO_THROW(s.SetBounds(0, 0, 1 << 20, 1 << 20));  // too large for a bitmap: nothing drawn
  EXPECT_NO_THROW(s.SetCaption(u"too large"));
}

class ColorScalePixels : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  TColorScale* scale = nullptr;
  void SetUp() override {
    form.SetBounds(0, 0, 400, 500);
    scale = new TColorScale(&form);
    scale->SetParent(&form);
    scale->SetColorLow(-5);
    scale->SetColorHigh(5);
  }
  TColor At(int x, int y) { return user.Grab(scale)->Canvas()->Pixels(x, y); }
  TColor Colour(int index) const { return scale->ColorArray()->GetColorElem(index); }
};

TEST_F(ColorScalePixels, TheColourIntervalCoversTheMiddleHalfOfTheBar) {
  // Axis pixels: 16 + 267 (v + 10) / 20, so -5 lies at 83 and 5 at 216; the bar runs over rows 8..52.
  user.Show(&form);
  EXPECT_EQ(At(83, 30), Colour(1));
  EXPECT_EQ(At(150, 30), Colour(504));  // Round(67 / 133 x 1000)
  EXPECT_EQ(At(216, 30), Colour(1000));
  EXPECT_EQ(At(50, 30), clSilver) << "no colour before ColorLow";
  EXPECT_EQ(At(250, 30), clSilver) << "no colour after ColorHigh";
  EXPECT_EQ(At(100, 8), clBlack) << "the rectangle round the bar";
  EXPECT_EQ(At(16, 30), clBlack);
  EXPECT_EQ(At(283, 30), clBlack);
  EXPECT_EQ(At(100, 53), clBlack) << "its lower edge, on the axis line";
}

TEST_F(ColorScalePixels, ExtendColorsFillsTheQuartersWithTheEndColoursUpToTheBarsEnd) {
  scale->SetExtendColors(true);
  scale->SetFramedColorScale(false);
  user.Show(&form);
  EXPECT_EQ(At(16, 30), Colour(1));
  EXPECT_EQ(At(50, 30), Colour(1));
  EXPECT_EQ(At(250, 30), Colour(1000));
  EXPECT_EQ(At(283, 30), Colour(1000));
  // Regression: the fill went one column further, outside the bar's rectangle.
  EXPECT_EQ(At(284, 30), clSilver);
  EXPECT_EQ(At(15, 30), clSilver);
}

TEST_F(ColorScalePixels, ADescendingAxisDrawsTheMirroredBar) {
  // Regression: with ScaleRangeLow above ScaleRangeHigh no bar was drawn at all.
  scale->SetExtendColors(true);
  user.Show(&form);
  std::vector<TColor> up;
  for (int x = 16; x <= 283; ++x) up.push_back(At(x, 30));
  scale->SetScaleRangeLow(10);
  scale->SetScaleRangeHigh(-10);
  std::vector<TColor> down;
  for (int x = 283; x >= 16; --x) down.push_back(At(x, 30));
  EXPECT_EQ(up, down);
}

TEST_F(ColorScalePixels, AVerticalBarHasItsLowColourAtTheBottom) {
  scale->SetBounds(0, 0, 90, 300);
  scale->SetOrientation(csoVertical);
  scale->SetExtendColors(true);
  user.Show(&form);
  // Rows 8..277 (300 - 22 - 1); columns 16..73 (90 - 16 - 1); the rectangle's right edge at 74.
  EXPECT_EQ(At(40, 270), Colour(1));
  EXPECT_EQ(At(40, 15), Colour(1000));
  EXPECT_EQ(At(74, 100), clBlack);
  EXPECT_EQ(At(40, 278), clSilver);
  std::vector<TColor> up;
  for (int y = 9; y <= 276; ++y) up.push_back(At(40, y));
  scale->SetScaleRangeLow(10);
  scale->SetScaleRangeHigh(-10);
  std::vector<TColor> down;
  for (int y = 276; y >= 9; --y) down.push_back(At(40, y));
  EXPECT_EQ(up, down);
}

// --- mouse -------------------------------------------------------------------------------------

TEST_F(ColorScalePixels, MouseMovesReportTheValueWhetherInsideTheBarAndTheKeys) {
  struct TReport {
    bool inScale;
    TShiftState shift;
    double value;
  };
  std::vector<TReport> reports;
  scale->OnMouseMoveInScale = [&](TObject* sender, bool inScale, TShiftState shift, double value) {
    EXPECT_EQ(sender, scale);
    reports.push_back({inScale, shift, value});
  };
  user.Show(&form);
  user.MoveTo(scale, 150, 30);
  user.MoveTo(scale, 5, 30, {ssShift});  // in the left margin
  user.MoveTo(scale, 150, 60);           // below the bar
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_TRUE(reports[0].inScale);
  EXPECT_NEAR(reports[0].value, -10 + (150 - 16) * 20.0 / 267, 1e-9);
  EXPECT_FALSE(reports[1].inScale);
  EXPECT_TRUE(reports[1].shift.Contains(ssShift));
  EXPECT_NEAR(reports[1].value, -10 + (5 - 16) * 20.0 / 267, 1e-9);
  EXPECT_FALSE(reports[2].inScale);
  scale->SetBounds(0, 0, 90, 300);
  scale->SetOrientation(csoVertical);
  reports.clear();
  user.MoveTo(scale, 40, 8);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].inScale);
  EXPECT_NEAR(reports[0].value, 10, 1e-9);  // the top of a vertical bar is ScaleRangeHigh
}

}  // namespace
