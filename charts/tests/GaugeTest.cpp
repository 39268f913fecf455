// The gauge: background and index layout, setters, dials, pixels of a shown gauge, mouse moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "DirectPaths.h"
#include "Encoding.h"
#include "Forms.h"
#include "Qelta_Gauge.h"
#include "Qelta_qeltacolors.h"
#include "Testing.h"

using namespace qelta;

namespace {

// A gauge that shows its off-screen picture.
class TProbeGauge : public TScaleGauge {
 public:
  using TScaleGauge::Picture;
  using TScaleGauge::TScaleGauge;
  TColor At(int x, int y) const { return Picture().Canvas()->Pixels(x, y); }
  void PaintNow() { Paint(); }
  // Pixels of row y between x0 and x1 (excluded) in the colour.
  int CountInRow(int y, int x0, int x1, TColor color) const {
    int n = 0;
    for (int x = x0; x < x1; ++x) n += At(x, y) == color;
    return n;
  }
};

// The value under the pointer at (x, y) and whether it lies in the gauge, through the mouse message.
struct TMouseReport {
  bool inGauge = false;
  TShiftState shift;
  double value = 0;
};

TMouseReport MoveTo(TScaleGauge& g, int x, int y, WPARAM keys = 0) {
  TMouseReport r;
  g.OnMouseMoveInGauge = [&r](TObject*, bool in, TShiftState shift, double value) { r = {in, shift, value}; };
  g.Perform(WM_MOUSEMOVE, keys, MakeMouseLParam(x, y));
  g.OnMouseMoveInGauge = nullptr;
  return r;
}

TGaugeFrame HorizontalFrame() { return TGaugeFrame{}; }  // 300 x 75, window 20..289 x 10..54

// --- layout ------------------------------------------------------------------------------------

TEST(GaugeLayout, GradientsBlendAcrossTheWindowAndMidBandsTowardsItsMiddle) {
  const TGaugeFrame f = HorizontalFrame();
  const TGaugeStrokes vert = GaugeBackground(f, gbVertGrad, clBlack, clWhite);
  ASSERT_EQ(vert.size(), 271u);  // x = 20 .. 290
  EXPECT_EQ(vert.front(), (TGaugeStroke{20, 0, 20, 75, clBlack}));
  EXPECT_EQ(vert.back(), (TGaugeStroke{290, 0, 290, 75, clWhite}));
  EXPECT_EQ(vert[135].Color, InterpolateColor(clBlack, clWhite, 0.5));
  const TGaugeStrokes horiz = GaugeBackground(f, gbHorizGrad, clBlack, clWhite);
  ASSERT_EQ(horiz.size(), 46u);  // y = 10 .. 55
  EXPECT_EQ(horiz.back(), (TGaugeStroke{0, 55, 300, 55, clWhite}));
  const TGaugeStrokes band = GaugeBackground(f, gbHorizMidBand, clBlack, clWhite);
  ASSERT_EQ(band.size(), 46u);  // a = 0 .. 22, two lines each
  EXPECT_EQ(band[0], (TGaugeStroke{0, 10, 300, 10, clBlack}));
  EXPECT_EQ(band[1], (TGaugeStroke{0, 55, 300, 55, clBlack}));
  EXPECT_EQ(band[44].Color, InterpolateColor(clBlack, clWhite, 44.0 / 45));
  EXPECT_TRUE(GaugeBackground(f, gbPlain, clBlack, clWhite).empty());
}

TEST(GaugeLayout, AWindowOfNoWidthUsesTheFirstColour) {
  // Left open by the classic control, which divided by the width of 0.
  TGaugeFrame f = HorizontalFrame();
  f.MarginLeft = 150;
  f.MarginRight = 150;
  for (const TGaugeBackground bg : {gbVertGrad, gbVertMidBand}) {
    const TGaugeStrokes s = GaugeBackground(f, bg, clBlack, clWhite);
    ASSERT_FALSE(s.empty());
    for (const TGaugeStroke& line : s) EXPECT_EQ(line.Color, clBlack);
  }
  f.MarginLeft = 200;  // no window at all
  EXPECT_TRUE(GaugeBackground(f, gbVertGrad, clBlack, clWhite).empty());
  f.MarginLeft = 150;
  const TGaugeStrokes band = GaugeIndex(f, gimBand, 150, 0, true, clBlack, clWhite);
  ASSERT_EQ(band.size(), 1u);
  EXPECT_EQ(band[0].Color, clBlack);
}

TEST(GaugeLayout, IndexShapes) {
  const TGaugeFrame f = HorizontalFrame();  // scale margins: bottom 30, top 10 -> below = 45
  struct Case {
    const char* name;
    TGaugeIndexMode mode;
    std::size_t count;
    std::vector<std::pair<std::size_t, TGaugeStroke>> strokes;  // index in the list, stroke
  };
  // clang-format off
  const Case cases[] = {
      {"thread", gimThread, 1, {{0, {100, 0, 100, 75, clBlack}}}},
      {"triangle: apex on the scale, opening down", gimTriangle, 10,
       {{0, {100, 45, 101, 45, clBlack}}, {9, {95, 54, 106, 54, clBlack}}}},
      {"thread and triangle one row lower", gimThreadTriangle, 11,
       {{0, {100, 0, 100, 75, clBlack}}, {1, {100, 46, 101, 46, clRed}}, {10, {95, 55, 106, 55, clRed}}}},
      {"thread and two triangles", gimThreadTwoTriangles, 21,
       {{1, {100, 19, 101, 19, clRed}}, {10, {95, 10, 106, 10, clRed}}, {11, {100, 45, 101, 45, clRed}}}},
      {"bar", gimBar, 3,
       {{0, {99, 47, 99, 55, clBlack}}, {1, {100, 48, 100, 55, clBlack}}, {2, {101, 47, 101, 55, clBlack}}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const TGaugeStrokes s = GaugeIndex(f, c.mode, 100, 0, true, clBlack, clRed);
    ASSERT_EQ(s.size(), c.count) << c.name;
    for (const auto& [i, stroke] : c.strokes) EXPECT_EQ(s[i], stroke) << c.name << " " << i;
  }
}

TEST(GaugeLayout, BandsRunFromTheWindowsStartOrFromZeroAndNeverBackwards) {
  const TGaugeFrame f = HorizontalFrame();
  const TGaugeStrokes band = GaugeIndex(f, gimBand, 100, 0, true, clBlack, clWhite);
  ASSERT_EQ(band.size(), 81u);  // x = 20 .. 100
  EXPECT_EQ(band.front(), (TGaugeStroke{20, 45, 20, 52, clBlack}));
  EXPECT_EQ(band.back().Color, InterpolateColor(clBlack, clWhite, 80.0 / 270));
  EXPECT_TRUE(GaugeIndex(f, gimBand, 19, 0, true, clBlack, clWhite).empty());
  EXPECT_EQ(GaugeIndex(f, gimDualColorBand, 160, 150, true, clBlack, clRed).size(), 11u);
  EXPECT_EQ(GaugeIndex(f, gimDualColorBand, 140, 150, false, clBlack, clRed).front().Color, clRed);
  EXPECT_TRUE(GaugeIndex(f, gimDualColorBand, 140, 150, true, clBlack, clRed).empty());
  TGaugeFrame v = f;  // a vertical gauge grows upwards from the window's bottom
  v.Vertical = true;
  v.ScaleRight = 20;
  v.ScaleBottom = 20;
  const TGaugeStrokes up = GaugeIndex(v, gimBand, 40, 0, true, clBlack, clWhite);
  ASSERT_EQ(up.size(), 16u);  // y = 55 down to 40
  EXPECT_EQ(up.front(), (TGaugeStroke{280, 55, 287, 55, clBlack}));
  EXPECT_EQ(GaugeIndex(v, gimDualColorBand, 30, 50, true, clBlack, clRed).size(), 21u);
}

// --- setters -----------------------------------------------------------------------------------

TEST(TScaleGauge, ValueIsClampedIntoTheRange) {
  TScaleGauge g(nullptr);
  g.SetValue(15);
  EXPECT_EQ(g.Value(), 10);
  g.SetValue(-15);
  EXPECT_EQ(g.Value(), -10);
  g.SetValue(NAN);
  EXPECT_EQ(g.Value(), -10);
  g.SetMin(5);
  g.SetMax(-5);  // a descending range clamps the same way
  g.SetValue(7);
  EXPECT_EQ(g.Value(), 5);
}

TEST(TScaleGauge, ALogarithmicDialRefusesEndsAtOrBelowZero) {
  TScaleGauge g(nullptr);
  g.SetLogarithmic(true);  // Min is -10
  EXPECT_FALSE(g.Logarithmic());
  g.SetMin(1);
  g.SetMax(100);
  g.SetLogarithmic(true);
  EXPECT_TRUE(g.Logarithmic());
  g.SetMin(0);
  EXPECT_EQ(g.Min(), 1);
  g.SetMax(-3);
  EXPECT_EQ(g.Max(), 100);
  g.SetLogarithmic(false);
  g.SetMin(0);
  EXPECT_EQ(g.Min(), 0);
}

TEST(TScaleGauge, MarginsKeepTwentyPixelsOfWindow) {
  struct Case {
    void (TScaleGauge::*set)(int);
    int (TScaleGauge::*get)() const;
    int value, kept;
  };
  const Case cases[] = {{&TScaleGauge::SetMarginLeft, &TScaleGauge::MarginLeft, 500, 270},
                        {&TScaleGauge::SetMarginRight, &TScaleGauge::MarginRight, 500, 260},
                        {&TScaleGauge::SetMarginTop, &TScaleGauge::MarginTop, 500, 35},
                        {&TScaleGauge::SetMarginBottom, &TScaleGauge::MarginBottom, 500, 45},
                        {&TScaleGauge::SetMarginLeft, &TScaleGauge::MarginLeft, -4, 0}};
  for (const Case& c : cases) {
    TScaleGauge g(nullptr);
    (g.*c.set)(c.value);
    EXPECT_EQ((g.*c.get)(), c.kept) << c.value;
  }
}

TEST(TScaleGauge, AssignCopiesFramesValueAndColours) {
  TScaleGauge a(nullptr), b(nullptr);
  b.SetFrameStyleOuter(fsEmbossed);
  b.SetValue(4);
  b.SetColorBg1(clNavy);
  b.SetColorScheme(csSystem);
  b.SetCaption(u"not copied");
  a.Assign(&b);
  EXPECT_EQ(a.FrameStyleOuter(), fsEmbossed);
  EXPECT_EQ(a.Value(), 4);
  EXPECT_EQ(a.ColorBg1(), clNavy);
  EXPECT_EQ(a.ColorScheme(), csSystem);
  EXPECT_EQ(a.Caption(), u"");
  TComponent other(nullptr);
  EXPECT_THROW_MSG(a.Assign(&other), EConvertError, "Cannot assign a TComponent to a TScaleGauge");
}

TEST(TScaleGauge, RegisterPutsItOnThePalettePageQelta) {
  Qelta_Gauge::Register();
  const std::vector<TComponentClass> classes = RegisteredComponents(u"Qelta");
  EXPECT_TRUE(std::any_of(classes.begin(), classes.end(),
                          [](const TComponentClass& c) { return c.ClassName == u"TScaleGauge"; }));
}

// --- dials -------------------------------------------------------------------------------------

TEST(TScaleGauge, AMovingLinearDialCentresTheValue) {
  TScaleGauge g(nullptr);  // scale pixels 20 .. 289
  g.SetValue(3);
  g.SetFixedDial(false);
  EXPECT_NEAR(MoveTo(g, 20, 30).value, -7, 1e-9);
  EXPECT_NEAR(MoveTo(g, 289, 30).value, 13, 1e-9);
  EXPECT_NEAR(MoveTo(g, 155, 30).value, 3.0 + 0.5 * 20 / 269, 1e-9);  // the middle, (300 - 30) div 2 + 20
  g.SetFixedDial(true);                                               // back to Min..Max
  EXPECT_NEAR(MoveTo(g, 20, 30).value, -10, 1e-9);
}

TEST(TScaleGauge, AMovingLogarithmicDialSpansTheRatioOfItsEnds) {
  TScaleGauge g(nullptr);
  g.SetMin(1);
  g.SetMax(100);
  g.SetLogarithmic(true);
  g.SetValue(10);
  g.SetFixedDial(false);
  EXPECT_NEAR(MoveTo(g, 20, 30).value, 1, 1e-9);
  EXPECT_NEAR(MoveTo(g, 289, 30).value, 100, 1e-9);
}

TEST(TScaleGauge, PaintShowsTheValueClampedIntoTheRangeOfTheMoment) {
  // Regression: Value is clamped only when it is set, so a moving logarithmic dial whose range was
  // changed after Value 0 asked the scale for the range 0..0.
  TScaleGauge g(nullptr);
  g.SetMin(1);
  g.SetMax(100);
  g.SetLogarithmic(true);
  g.SetFixedDial(false);
  EXPECT_EQ(g.Value(), 0);                          // stored as it was
  EXPECT_NEAR(MoveTo(g, 20, 30).value, 0.1, 1e-9);  // 1 / 10 .. 1 x 10
  EXPECT_NEAR(MoveTo(g, 289, 30).value, 10, 1e-9);
}

// --- pixels ------------------------------------------------------------------------------------

TEST(TScaleGauge, WithoutAParentItPaintsItsPictureAtOnceAndNeverRaises) {
  TProbeGauge g(nullptr);
  EXPECT_NO_THROW(g.SetColorCover(clNavy));
  EXPECT_EQ(g.Picture().Width(), 300);
  EXPECT_EQ(g.At(5, 40), clNavy);
  // Value 0 lies at pixel 154.5, rounded to 154; the triangle's rows 53 and 54 lie under the
  // window's frame, row 52 is 9 pixels wide.
  EXPECT_EQ(g.At(150, 52), clBlack);
  EXPECT_EQ(g.At(158, 52), clBlack);
  EXPECT_NE(g.At(149, 52), clBlack);
  EXPECT_EQ(g.At(154, 45), clBlack);
  EXPECT_EQ(g.At(155, 12), InterpolateColor(clGray, clWhite, 135.0 / 270));  // the default gradient
  for (int mode = gimThread; mode <= gimBar; ++mode)
    EXPECT_NO_THROW(g.SetIndexMode(static_cast<TGaugeIndexMode>(mode)));
  for (int bg = gbPlain; bg <= gbHorizMidBand; ++bg)
    EXPECT_NO_THROW(g.SetBackground(static_cast<TGaugeBackground>(bg)));
  EXPECT_NO_THROW(g.SetBounds(0, 0, 0, 0));
  EXPECT_NO_THROW(g.SetOrientation(goVertical));
  EXPECT_NO_THROW(g.SetBounds(0, 0, 1 << 20, 1 << 20));
  EXPECT_NO_THROW(g.SetValue(1));
}

TEST(TScaleGauge, TheKeptBackgroundEqualsTheLinesDrawnAtEveryPaint) {
  // The background lines are drawn once and copied by later paints until the size, the window or
  // a colour changes; the platform's general paths draw them at every paint. Both give the same
  // pictures through a run of changes.
  TProbeGauge g(nullptr);
  const auto picture = [&](bool direct) {
    const bool saved = platform_detail::SetDirectPaths(direct);
    g.PaintNow();
    platform_detail::SetDirectPaths(saved);
    std::vector<uint32_t> out;
    for (int y = 0; y < g.Picture().Height(); ++y)
      out.insert(out.end(), g.Picture().ScanLine(y), g.Picture().ScanLine(y) + g.Picture().Width());
    return out;
  };
  const std::vector<std::function<void()>> changes = {
      [] {},
      [&] { g.SetValue(4); },
      [&] { g.SetBackground(gbVertMidBand); },
      [&] { g.SetColorBg1(clNavy); },
      [&] { g.SetBackground(gbHorizGrad); },
      [&] { g.SetColorBg2(clYellow); },
      [&] { g.SetMarginTop(25); },
      [&] { g.SetBackground(gbHorizMidBand); },
      [&] { g.SetOrientation(goVertical); },
      [&] { g.SetBounds(0, 0, 120, 260); },
      [&] { g.SetBackground(gbPlain); },
      [&] { g.SetBackground(gbVertGrad); },
      [&] { g.SetMarginLeft(0); },
      [&] { g.SetBounds(0, 0, 25, 40); },  // margins wider than the gauge: no window
      [&] { g.SetBounds(0, 0, 300, 75); },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    changes[i]();
    const std::vector<uint32_t> kept = picture(true);
    EXPECT_EQ(kept, picture(false)) << "change " << i;
    EXPECT_EQ(picture(true), kept) << "change " << i << ", painted again";
  }
}

TEST(TScaleGauge, ShortTicksAndMinTicksTakeEffectEvenWhenSetToTheirStoredDefaults) {
  // Regression: the gauge starts with false and 0 while its scale draws short ticks and 3
  // intervals; setting the stored value changed nothing on screen.
  TProbeGauge g(nullptr);
  g.SetBackground(gbPlain);
  g.SetColorBg1(clWhite);
  // The scale's base line is row 44 (75 - 30 - 1); short ticks reach row 41, long ones row 38.
  // Columns 22..287 lie inside the window's frame: the ticks at -10 and 10 are under it.
  const int shortRow = g.CountInRow(41, 22, 288, clBlack), longRow = g.CountInRow(38, 22, 288, clBlack);
  EXPECT_EQ(shortRow, 19);
  EXPECT_EQ(longRow, 3);
  g.SetShortTicks(false);
  EXPECT_FALSE(g.ShortTicks());
  EXPECT_EQ(g.CountInRow(41, 22, 288, clBlack), longRow);
  g.SetMinTicks(0);
  EXPECT_EQ(g.MinTicks(), 0);
  EXPECT_EQ(g.CountInRow(38, 22, 288, clBlack), 19);  // one long tick per unit
  g.SetMinTicks(1);
  EXPECT_EQ(g.MinTicks(), 2) << "kept as the scale keeps it";
}

// What a paint writes into the picture: each text with the box of its figures in the gauge's font,
// from the cell's top plus the internal leading down to the baseline (the caption aside, which is
// written in its own size).
struct TWritten {
  std::string text;
  TRect box;
};

std::vector<TWritten> LabelsOf(TProbeGauge& g) {
  TCanvasTrace trace;
  g.Picture().Canvas()->SetTrace(&trace);
  g.PaintNow();
  g.Picture().Canvas()->SetTrace(nullptr);
  TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(g.Font());
  std::vector<TWritten> out;
  for (const TCanvasTraceRecord& r : trace.Find("TextOut")) {
    if (r.Text == g.Caption()) continue;
    const int x = static_cast<int>(r.Args[0]), y = static_cast<int>(r.Args[1]);
    const TTextMetric m = measure.Canvas()->GetTextMetrics();
    out.push_back({StringToUtf8(r.Text),
                   Rect(x, y + m.tmInternalLeading, x + measure.Canvas()->TextWidth(r.Text), y + m.tmAscent)});
  }
  return out;
}

TEST(TScaleGauge, EveryNumberItWritesShowsWholeInTheWindow) {
  // Regression: the cover plate and the window's frame cut the end labels: -10.0 read ".0" and
  // 10.0 "10" on the default gauge, a logarithmic 1000 read "100", and the vertical gauge lost the
  // tops and bottoms of its end labels. A label that cannot show whole is left out.
  struct Case {
    const char* name;
    std::function<void(TScaleGauge&)> setUp;
    std::vector<std::string> someShown;  // labels that fit and must stay
  };
  const auto logarithmic = [](TScaleGauge& g, double max) {
    g.SetMin(1);
    g.SetMax(max);
    g.SetLogarithmic(true);
  };
  const Case cases[] = {
      {"defaults", [](TScaleGauge&) {}, {"-5.0", "0.0", "5.0"}},
      {"vertical", [](TScaleGauge& g) { g.SetBounds(0, 0, 110, 245), g.SetOrientation(goVertical); },
       {"-5.0", "0.0", "5.0"}},
      {"vertical, narrow and short",
       [](TScaleGauge& g) { g.SetBounds(0, 0, 60, 120), g.SetOrientation(goVertical); }, {}},
      {"logarithmic 1..1000", [&](TScaleGauge& g) { logarithmic(g, 1000); }, {"10", "100"}},
      {"logarithmic 1..1000, MinTicks 10",
       [&](TScaleGauge& g) { logarithmic(g, 1000), g.SetMinTicks(10); }, {"2", "20", "200"}},
      {"moving logarithmic dial",
       [&](TScaleGauge& g) { logarithmic(g, 100), g.SetValue(10), g.SetFixedDial(false); }, {"2", "10", "50"}},
      {"moving linear dial, short ticks",
       [](TScaleGauge& g) { g.SetValue(3), g.SetFixedDial(false), g.SetShortTicks(true); }, {"-5.0", "10.0"}},
      {"wide margins",
       [](TScaleGauge& g) { g.SetMarginLeft(60), g.SetMarginRight(60), g.SetFrameStyleInner(fsSimple); },
       {"0.0"}},
  };
  for (const Case& c : cases) {
    TProbeGauge g(nullptr);
    c.setUp(g);
    const int w = g.Width(), h = g.Height();
    const int inset = g.FrameStyleInner() == fsSimple ? 1 : 2;
    const TRect window = Rect(g.MarginLeft() + inset, g.MarginTop() + inset, w - g.MarginRight() - inset,
                              h - g.MarginBottom() - inset);
    const std::vector<TWritten> labels = LabelsOf(g);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const TRect& b = labels[i].box;
      EXPECT_TRUE(b.Left >= window.Left && b.Top >= window.Top && b.Right <= window.Right &&
                  b.Bottom <= window.Bottom)
          << c.name << ": \"" << labels[i].text << "\" at " << b.Left << ", " << b.Top;
      for (std::size_t j = 0; j < i; ++j) {
        const TRect& a = labels[j].box;
        EXPECT_FALSE(a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom)
            << c.name << ": \"" << labels[j].text << "\" and \"" << labels[i].text << "\" overlap";
      }
    }
    for (const std::string& text : c.someShown)
      EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&text](const TWritten& l) { return l.text == text; }))
          << c.name << ": " << text;
  }
}

// A gauge on a form the scripted user shows.
class GaugeOnAForm : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  TScaleGauge* g = nullptr;
  void SetUp() override {
    form.SetBounds(0, 0, 400, 400);
    g = new TScaleGauge(&form);
    g->SetParent(&form);
  }
};

TEST_F(GaugeOnAForm, CoverPlateFramesAndIndex) {
  g->SetIndexMode(gimThread);
  g->SetColorIndex1(clRed);
  g->SetValue(5);
  user.Show(&form);
  const auto shot = user.Grab(g);
  const auto at = [&shot](int x, int y) { return shot->Canvas()->Pixels(x, y); };
  EXPECT_EQ(at(222, 30), clRed);    // 20 + 269 x 15 / 20 = 221.75
  EXPECT_EQ(at(222, 5), clSilver);  // the cover plate over the thread
  EXPECT_EQ(at(0, 30), clWhite);    // raised outer frame: highlight outside
  EXPECT_EQ(at(299, 30), clBlack);
  EXPECT_EQ(at(20, 30), clGray);  // lowered inner frame round the window
  EXPECT_EQ(at(289, 30), clWhite);
}

// --- mouse -------------------------------------------------------------------------------------

TEST_F(GaugeOnAForm, ScriptedMouseMovesReportValueInGaugeAndKeys) {
  std::vector<TMouseReport> reports;
  g->OnMouseMoveInGauge = [&](TObject* sender, bool in, TShiftState shift, double value) {
    EXPECT_EQ(sender, g);
    reports.push_back({in, shift, value});
  };
  user.Show(&form);
  user.MoveTo(g, 154, 30);
  user.MoveTo(g, 10, 30, {ssCtrl});  // on the cover plate
  user.MoveTo(g, 154, 50);           // below the scale's base line
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_TRUE(reports[0].inGauge);
  EXPECT_NEAR(reports[0].value, -10 + 134 * 20.0 / 269, 1e-9);
  EXPECT_FALSE(reports[1].inGauge);
  EXPECT_TRUE(reports[1].shift.Contains(ssCtrl));
  EXPECT_NEAR(reports[1].value, -10 - 10 * 20.0 / 269, 1e-9);
  EXPECT_FALSE(reports[2].inGauge);
  g->SetBounds(0, 0, 100, 300);
  g->SetOrientation(goVertical);  // scale pixels from 10 (Max) down to 279 (Min)
  reports.clear();
  user.MoveTo(g, 40, 10);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].inGauge);
  EXPECT_NEAR(reports[0].value, 10, 1e-9);
}

}  // namespace
