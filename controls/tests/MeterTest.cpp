// The meter's model: defaults, geometry, the value <-> angle <-> pixel mapping, the setters with
// their clamps, repaints and events, loading, pictures, the needle layouts and the mouse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Forms.h"
#include "HeapPeak.h"
#include "MeterTesting.h"
#include "Qelta_Meter.h"
#include "Testing.h"

using namespace qelta;
using qelta::meter_test::TEventLog;
using qelta::meter_test::TTestMeter;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A meter 0..100 with thresholds 20 and 80 and the value 50, paints counted from here on.
struct TRangeMeter {
  TTestMeter m{nullptr};
  TRangeMeter() {
    m.SetMeterMaxValue(100);
    m.SetThresholdHigh(80);
    m.SetThresholdLow(20);
    m.SetValue(50);
    m.paints = 0;
  }
};

}  // namespace

// --- defaults and geometry ---------------------------------------------------------------------

TEST(TMeter, StartsAsA90DegreeMeterOfZeroToOne) {
  TTestMeter m(nullptr);
  EXPECT_EQ(m.Width(), 297);
  EXPECT_EQ(m.Height(), 209);
  EXPECT_EQ(m.MeterLayout(), mlCirc90);
  EXPECT_EQ(m.MeterMinValue(), 0);
  EXPECT_EQ(m.MeterMaxValue(), 1);
  EXPECT_EQ(m.ThresholdLow(), 0);
  EXPECT_EQ(m.ThresholdHigh(), 1);
  EXPECT_EQ(m.MeterNrTicks(), 3);
  EXPECT_EQ(m.MeterDecPlaces(), 1);
  EXPECT_EQ(m.ColorScale(), clNavy);
  EXPECT_EQ(m.ColorSclBkNorm(), TColor(0x0080FF));
  EXPECT_EQ(m.ColorCover(), clBtnFace);
  EXPECT_EQ(m.FrameStyle(), fsRaised);
  EXPECT_EQ(m.RimTop(), 8);
  EXPECT_EQ(m.RimBottom(), 10);
  EXPECT_EQ(m.RimSide(), 10);
  EXPECT_EQ(m.AnchorSize(), 24);
  EXPECT_EQ(m.BkgndFillMode(), bfSimple);
  EXPECT_TRUE(m.MeterShortTicks() && m.MeterScaleLine() && m.ScaleVisible() && !m.ScaleBkVisible());
  EXPECT_TRUE(m.LimWatchHighOn() && m.LimWatchLowOn() && m.AnchorCovered() && !m.Logarithmic());
  EXPECT_EQ(m.FontCaption()->Name(), m.Font()->Name());
  EXPECT_EQ(m.FontCaption()->Height(), m.Font()->Height());
  for (TNeedleLayout* n : {m.NeedleLayout(), m.NeedleLayoutSec()}) {
    EXPECT_EQ(n->ColorBody(), clSilver);
    EXPECT_EQ(n->ColorOutline(), clBlack);
    EXPECT_EQ(n->HeadSize(), 20);
    EXPECT_EQ(n->Thickness(), 0);
    EXPECT_EQ(n->PercentNeedleLength(), 100);
    EXPECT_EQ(n->HeadAngle(), 30);
    EXPECT_EQ(n->HeadMidLeng(), 20);
    EXPECT_EQ(n->ShadowColor(), clGray);
  }
  EXPECT_TRUE(m.NeedleLayout()->Visible());
  EXPECT_FALSE(m.NeedleLayoutSec()->Visible());
  EXPECT_EQ(m.paints, 0);
}

TEST(TMeter, LayoutGivesSweepRadiusAndPivot) {
  struct Case {
    TMeterLayout layout;
    int angle;
    double radius;
    int cx, cy;
  };
  // 297 x 209 with rims 8 (top), 10 (bottom), 10 (sides): 175 pixels of height for the dial.
  const Case cases[] = {
      {mlCirc90, 90, 175, 148, 191},
      {mlCirc120, 120, (148.5 - 18) * 1.1547, 148, 191},  // the width limits it
      {mlCirc180, 180, 130.5, 148, 191},
      {mlCirc270, 270, 175 / 1.7071, 148, 119},  // Round(16 + 102.51)
      {mlCirc300, 300, 175 / 1.866, 148, 110},   // Round(16 + 93.78)
      {mlCirc360, 360, 87.5, 148, 104},          // Round(103.5), half to even
  };
  for (const Case& c : cases) {
    TTestMeter m(nullptr);
    m.SetMeterLayout(c.layout);
    EXPECT_EQ(m.MeterAngle(), c.angle) << c.layout;
    EXPECT_NEAR(m.MeterRadius(), c.radius, 1e-9) << c.layout;
    EXPECT_EQ(m.MeterCenterX(), c.cx) << c.layout;
    EXPECT_EQ(m.MeterCenterY(), c.cy) << c.layout;
  }
}

TEST(TMeter, ResizingAndRimsComputeTheGeometryAgain) {
  TTestMeter m(nullptr);
  m.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(m.MeterRadius(), 300 - 10 - 8 - 16);
  EXPECT_EQ(m.MeterCenterX(), 200);
  // The rims used to change the picture but not the dial: the radius of the old rims stayed until
  // the next resize and the dial ran under the new rim.
  m.SetRimTop(40);
  EXPECT_EQ(m.MeterRadius(), 300 - 10 - 40 - 16);
  m.SetRimBottom(20);
  EXPECT_EQ(m.MeterCenterY(), 300 - 20 - 8);
  m.SetMeterLayout(mlCirc300);
  m.SetRimSide(100);
  EXPECT_EQ(m.MeterRadius(), 200 - 100 - 8);
}

// --- mapping -----------------------------------------------------------------------------------

TEST(TMeter, NeedleAngleRunsClockwiseOverTheSweepAndClamps) {
  TTestMeter m(nullptr);
  m.SetMeterMaxValue(10);
  const std::pair<double, double> linear[] = {{0, 135}, {5, 180}, {10, 225}, {2.5, 157.5}, {-3, 135}, {99, 225}};
  for (const auto& [v, angle] : linear) EXPECT_NEAR(m.CalcNeedleAngle(v), angle, 1e-12) << v;
  m.SetMeterMinValue(1);
  m.SetMeterMaxValue(100);
  m.SetLogarithmic(true);
  m.SetMeterLayout(mlCirc300);
  EXPECT_NEAR(m.CalcNeedleAngle(10), 180, 1e-12);
  EXPECT_NEAR(m.CalcNeedleAngle(1), 30, 1e-12);
  EXPECT_NEAR(m.CalcNeedleAngle(100), 330, 1e-12);
  EXPECT_NEAR(m.CalcNeedleAngle(0.001), 30, 1e-12);
}

TEST(TMeter, PixelsAndValuesMapBothWays) {
  TTestMeter m(nullptr);  // pivot (148, 191), R 175
  int x = 0, y = 0;
  m.ConvertToPixelCoords(100, 0.5, x, y);
  EXPECT_EQ(x, 148);
  EXPECT_EQ(y, 191 - 175);
  m.ConvertToPixelCoords(100, 0, x, y);  // 45 degrees left of the top
  EXPECT_EQ(x, 148 - 124);               // Round(175 / sqrt 2) = Round(123.74)
  EXPECT_EQ(y, 191 - 124);
  m.ConvertToPixelCoords(50, 7, x, y);  // clamped to the maximum, half the radius
  EXPECT_EQ(x, 148 + 62);
  EXPECT_EQ(y, 191 - 62);

  double v = -1;
  EXPECT_TRUE(m.ConvertPixelToValue(148, 100, v));
  EXPECT_DOUBLE_EQ(v, 0.5);
  EXPECT_FALSE(m.ConvertPixelToValue(50, 191, v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(m.ConvertPixelToValue(148, 250, v));  // below the pivot

  // Round trips over the sweep, linear and logarithmic, within the angle of a pixel.
  for (TMeterLayout layout : {mlCirc90, mlCirc180, mlCirc300, mlCirc360}) {
    for (bool log : {false, true}) {
      TTestMeter r(nullptr);
      r.SetMeterLayout(layout);
      r.SetMeterMaxValue(1000);
      r.SetMeterMinValue(1);
      r.SetLogarithmic(log);
      for (double f = 0.01; f < 1; f += 0.07) {
        const double value = log ? std::pow(1000.0, f) : 1 + 999 * f;
        r.ConvertToPixelCoords(100, value, x, y);
        double back = 0;
        ASSERT_TRUE(r.ConvertPixelToValue(x, y, back)) << layout << " " << value;
        const double perPixel = (log ? std::log(1000.0) * value : 999.0) / (r.MeterAngle() * std::numbers::pi / 180 * r.MeterRadius());
        EXPECT_NEAR(back, value, 1.5 * perPixel) << layout << " " << log << " " << value;
      }
    }
  }
}

TEST(TMeter, CalcMChoosesLabelDecimals) {
  struct Case {
    int decimals;
    double a, b;
    int expected;
  };
  const Case cases[] = {
      {3, 0, 1, 3},        {0, 0, 1e9, 0},       {-2, 0, 1e6, -1},  {-2, 0, 999999, 0}, {-2, 0, 1e-4, -1},
      {-2, 5, 5, -1},      {-2, 0, 100, 0},      {-2, 0, 99, 0},    // 2 - Round(4.595 / 2.5) = 0
      {-2, 0, 10, 1},      {-2, 1, 2, 2},        {-2, 0, 0.01, 4},  // 2 - Round(-1.84) = 4
      {-2, 0, 0.5, 2},     // 2 - Round(-0.277) = 2
  };
  for (const Case& c : cases) EXPECT_EQ(TMeter::CalcM(c.decimals, c.a, c.b), c.expected) << c.decimals << " " << c.b;
}

// --- setters -----------------------------------------------------------------------------------

TEST(TMeter, SettersClamp) {
  TTestMeter m(nullptr);
  const struct {
    const char* what;
    std::function<void()> set;
    std::function<double()> get;
    double expected;
  } cases[] = {
      {"MeterNrTicks 50", [&] { m.SetMeterNrTicks(50); }, [&] { return m.MeterNrTicks(); }, 21},
      {"MeterNrTicks 1", [&] { m.SetMeterNrTicks(1); }, [&] { return m.MeterNrTicks(); }, 2},
      {"MeterDecPlaces -3", [&] { m.SetMeterDecPlaces(-3); }, [&] { return m.MeterDecPlaces(); }, 0},
      {"MeterDecPlaces 9", [&] { m.SetMeterDecPlaces(9); }, [&] { return m.MeterDecPlaces(); }, 4},
      {"PercentNeedleLength 150", [&] { m.NeedleLayout()->SetPercentNeedleLength(150); },
       [&] { return m.NeedleLayout()->PercentNeedleLength(); }, 100},
      {"PercentNeedleLength -5", [&] { m.NeedleLayout()->SetPercentNeedleLength(-5); },
       [&] { return m.NeedleLayout()->PercentNeedleLength(); }, 0},
      {"HeadAngle 200", [&] { m.NeedleLayout()->SetHeadAngle(200); }, [&] { return m.NeedleLayout()->HeadAngle(); },
       180},
      {"HeadAngle -1", [&] { m.NeedleLayout()->SetHeadAngle(-1); }, [&] { return m.NeedleLayout()->HeadAngle(); }, 0},
      {"ScaleBkWidth 150", [&] { m.SetScaleBkWidth(150); }, [&] { return m.ScaleBkWidth(); }, 100},
      {"ScaleBkWidth -1", [&] { m.SetScaleBkWidth(-1); }, [&] { return m.ScaleBkWidth(); }, 0},
      {"ScaleBkWidth NaN", [&] { m.SetScaleBkWidth(kNaN); }, [&] { return m.ScaleBkWidth(); }, 0},
  };
  for (const auto& c : cases) {
    c.set();
    EXPECT_EQ(c.get(), c.expected) << c.what;
  }
}

// Each setter with the value it holds, then with another: paints on a change only, or always.
TEST(TMeter, SettersRepaintOnAChangeOrAlways) {
  TTestMeter m(nullptr);
  TFont font;
  TNeedleLayout layout;
  const struct {
    const char* what;
    std::function<void(bool)> set;  // false: the value it holds
    int paintsSame, paintsOther;
  } cases[] = {
      {"MeterLayout", [&](bool o) { m.SetMeterLayout(o ? mlCirc300 : m.MeterLayout()); }, 0, 1},
      {"MeterNrTicks", [&](bool o) { m.SetMeterNrTicks(o ? 7 : m.MeterNrTicks()); }, 0, 1},
      {"MeterDecPlaces", [&](bool o) { m.SetMeterDecPlaces(o ? 3 : m.MeterDecPlaces()); }, 0, 1},
      {"MeterShortTicks", [&](bool o) { m.SetMeterShortTicks(o != m.MeterShortTicks()); }, 0, 1},
      {"MeterScaleLine", [&](bool o) { m.SetMeterScaleLine(o != m.MeterScaleLine()); }, 0, 1},
      {"ColorScale", [&](bool o) { m.SetColorScale(o ? clRed : m.ColorScale()); }, 0, 1},
      {"ColorSclBkLow", [&](bool o) { m.SetColorSclBkLow(o ? clRed : m.ColorSclBkLow()); }, 0, 1},
      {"ColorSclBkNorm", [&](bool o) { m.SetColorSclBkNorm(o ? clRed : m.ColorSclBkNorm()); }, 0, 1},
      {"ColorSclBkHigh", [&](bool o) { m.SetColorSclBkHigh(o ? clBlue : m.ColorSclBkHigh()); }, 0, 1},
      {"ColorBakG", [&](bool o) { m.SetColorBakG(o ? clYellow : m.ColorBakG()); }, 0, 1},
      {"ColorCover", [&](bool o) { m.SetColorCover(o ? clTeal : m.ColorCover()); }, 0, 1},
      {"RimTop", [&](bool o) { m.SetRimTop(o ? 12 : m.RimTop()); }, 0, 1},
      {"RimBottom", [&](bool o) { m.SetRimBottom(o ? 12 : m.RimBottom()); }, 0, 1},
      {"RimSide", [&](bool o) { m.SetRimSide(o ? 12 : m.RimSide()); }, 0, 1},
      {"AnchorCovered", [&](bool o) { m.SetAnchorCovered(o != m.AnchorCovered()); }, 0, 1},
      {"AnchorSize", [&](bool o) { m.SetAnchorSize(o ? 30 : m.AnchorSize()); }, 0, 1},
      {"FrameStyle", [&](bool o) { m.SetFrameStyle(o ? fsEmbossed : m.FrameStyle()); }, 0, 1},
      {"ColorScheme", [&](bool o) { m.SetColorScheme(o ? csSystem : m.ColorScheme()); }, 0, 1},
      {"LimWatchHighOn", [&](bool o) { m.SetLimWatchHighOn(o != m.LimWatchHighOn()); }, 0, 1},
      {"LimWatchLowOn", [&](bool o) { m.SetLimWatchLowOn(o != m.LimWatchLowOn()); }, 0, 1},
      {"LimWatchActColor", [&](bool o) { m.SetLimWatchActColor(o ? clLime : m.LimWatchActColor()); }, 0, 1},
      {"LimWatchPsvColor", [&](bool o) { m.SetLimWatchPsvColor(o ? clLime : m.LimWatchPsvColor()); }, 0, 1},
      {"Logarithmic", [&](bool o) { m.SetLogarithmic(o ? !m.Logarithmic() : m.Logarithmic()); }, 0, 1},
      {"ScaleVisible", [&](bool o) { m.SetScaleVisible(o != m.ScaleVisible()); }, 1, 1},
      {"ScaleBkVisible", [&](bool o) { m.SetScaleBkVisible(o != m.ScaleBkVisible()); }, 1, 1},
      {"ScaleBkWidth", [&](bool o) { m.SetScaleBkWidth(o ? 33 : m.ScaleBkWidth()); }, 1, 1},
      {"BkgndFillMode", [&](bool o) { m.SetBkgndFillMode(o ? bfTile : m.BkgndFillMode()); }, 1, 1},
      {"Caption", [&](bool o) { m.SetCaption(o ? u"V" : m.Caption()); }, 1, 1},
      {"FontCaption", [&](bool) { m.SetFontCaption(&font); }, 1, 1},
      // Assign fires the layout's OnChange once (a repaint), then the setter repaints.
      {"NeedleLayout", [&](bool) { m.SetNeedleLayout(&layout); }, 2, 2},
      {"NeedleLayoutSec", [&](bool) { m.SetNeedleLayoutSec(&layout); }, 2, 2},
      {"needle HeadSize", [&](bool o) { m.NeedleLayout()->SetHeadSize(o ? 9 : m.NeedleLayout()->HeadSize()); }, 0, 1},
      {"needle Visible", [&](bool o) { m.NeedleLayoutSec()->SetVisible(o != m.NeedleLayoutSec()->Visible()); }, 0, 1},
  };
  m.SetMeterMinValue(1);  // Logarithmic can change
  for (const auto& c : cases) {
    m.paints = 0;
    c.set(false);
    EXPECT_EQ(m.paints, c.paintsSame) << c.what << " set to its value";
    m.paints = 0;
    c.set(true);
    EXPECT_EQ(m.paints, c.paintsOther) << c.what << " changed";
  }
}

TEST(TMeter, ColorSchemeChoosesTheFrameLines) {
  TTestMeter m(nullptr);
  m.SetColorScheme(csSystem);
  const TCanvasTrace t = m.Trace();
  std::vector<int64_t> colours;
  for (const TCanvasTraceRecord& r : t.Records())
    if (r.Op == "Pen.Color") colours.push_back(r.Args[0]);
  // fsRaised: white first, then gray, the last two pens of the paint.
  ASSERT_GE(colours.size(), 2u);
  EXPECT_EQ(colours[colours.size() - 2], clBtnHighlight);
  EXPECT_EQ(colours.back(), clBtnShadow);
}

// --- values and events -------------------------------------------------------------------------

TEST(TMeter, ValueFiresTheEventOfItsZoneAndLightsTheLamps) {
  struct Case {
    double value;
    const char* events;
    bool high, low;
    int paints;
  };
  const Case cases[] = {
      {50, "", false, false, 0},  // its own value: nothing at all
      {80, "over", true, false, 1},      {20, "under", false, true, 1},    {20.0001, "normal", false, false, 1},
      {79.999, "normal", false, false, 1}, {150, "over", true, false, 1},  {kInf, "over", true, false, 1},
      {-kInf, "under", false, true, 1},  {kNaN, "", false, false, 0},
  };
  for (const Case& c : cases) {
    TRangeMeter r;
    TEventLog log(r.m);
    r.m.SetValue(c.value);
    EXPECT_EQ(log.Text(), c.events) << c.value;
    EXPECT_EQ(r.m.HighLampLit(), c.high) << c.value;
    EXPECT_EQ(r.m.LowLampLit(), c.low) << c.value;
    EXPECT_EQ(r.m.paints, c.paints) << c.value;
  }
  TRangeMeter r;
  r.m.SetValue(kInf);
  EXPECT_EQ(r.m.Value(), 100);
  r.m.SetValue(-kInf);
  EXPECT_EQ(r.m.Value(), 0);
}

TEST(TMeter, AnInvisibleFirstNeedleFiresNothingButRepaintsAndDarkensTheLamps) {
  TRangeMeter r;
  r.m.SetValue(90);
  ASSERT_TRUE(r.m.HighLampLit());
  r.m.NeedleLayout()->SetVisible(false);
  TEventLog log(r.m);
  r.m.paints = 0;
  r.m.SetValue(95);
  EXPECT_EQ(log.Text(), "");
  EXPECT_EQ(r.m.paints, 1);
  EXPECT_FALSE(r.m.HighLampLit());
  EXPECT_FALSE(r.m.LowLampLit());
}

TEST(TMeter, ValueSecDecidesTheLampsOnlyWhileItsNeedleShows) {
  TRangeMeter r;
  r.m.SetValue(90);
  ASSERT_TRUE(r.m.HighLampLit());
  r.m.paints = 0;
  TEventLog log(r.m);
  // With the second needle hidden (the default) ValueSec used to clear both lamps without
  // repainting: the screen kept the lit lamp, and the next unrelated repaint put it out while Value
  // was still above its threshold.
  r.m.SetValueSec(10);
  EXPECT_EQ(r.m.ValueSec(), 10);
  EXPECT_TRUE(r.m.HighLampLit());
  EXPECT_EQ(log.Text(), "");
  EXPECT_EQ(r.m.paints, 0);
  r.m.SetValueSec(500);
  EXPECT_EQ(r.m.ValueSec(), 100);  // clamped all the same

  r.m.NeedleLayoutSec()->SetVisible(true);
  r.m.paints = 0;
  r.m.SetValueSec(10);
  EXPECT_EQ(log.Text(), "under");
  EXPECT_FALSE(r.m.HighLampLit());
  EXPECT_TRUE(r.m.LowLampLit());
  EXPECT_EQ(r.m.paints, 1);
  r.m.SetValueSec(10);
  EXPECT_EQ(r.m.paints, 1);  // its own value
}

TEST(TMeter, LimitsKeepTheScaleALength) {
  {
    TTestMeter m(nullptr);
    m.SetMeterMinValue(5);  // the maximum was 1
    EXPECT_EQ(m.MeterMaxValue(), 6);
    EXPECT_EQ(m.Value(), 5);
    EXPECT_EQ(m.ThresholdLow(), 5);
    EXPECT_EQ(m.ThresholdHigh(), 5);
    EXPECT_EQ(m.ValueSec(), 5);
  }
  {
    TTestMeter m(nullptr);
    m.SetMeterMaxValue(10);
    m.SetMeterMinValue(1);
    m.SetLogarithmic(true);
    ASSERT_TRUE(m.Logarithmic());
    m.SetMeterMaxValue(0.5);  // 0.5 - 1 is not above 0: 0.5 / 10
    EXPECT_EQ(m.MeterMinValue(), 0.05);
    EXPECT_EQ(m.Value(), 0.5);
    m.SetMeterMinValue(1e-101);  // ignored on a logarithmic scale
    EXPECT_EQ(m.MeterMinValue(), 0.05);
    m.SetMeterMaxValue(0);
    EXPECT_EQ(m.MeterMaxValue(), 0.5);
  }
  {
    TTestMeter m(nullptr);
    m.SetMeterMaxValue(-3);  // linear: the minimum moves to -4
    EXPECT_EQ(m.MeterMinValue(), -4);
    EXPECT_EQ(m.Value(), -3);
    m.SetLogarithmic(true);
    EXPECT_FALSE(m.Logarithmic());
  }
  {
    TTestMeter m(nullptr);
    m.SetLogarithmic(true);  // the minimum is 0: stays linear
    EXPECT_FALSE(m.Logarithmic());
  }
  {
    // Beyond 2^53 one is lost in rounding: the next double keeps the maximum above the minimum.
    TTestMeter m(nullptr);
    m.SetMeterMinValue(1e300);
    EXPECT_GT(m.MeterMaxValue(), m.MeterMinValue());
    m.SetMeterMaxValue(-1e300);
    EXPECT_LT(m.MeterMinValue(), m.MeterMaxValue());
    m.SetMeterMinValue(std::numeric_limits<double>::max());
    EXPECT_LT(m.MeterMinValue(), m.MeterMaxValue());
  }
  {
    // NaN and the infinities change nothing, fire nothing and do not paint.
    TRangeMeter r;
    TEventLog log(r.m);
    for (double v : {kNaN, kInf, -kInf}) {
      r.m.SetMeterMinValue(v);
      r.m.SetMeterMaxValue(v);
    }
    r.m.SetThresholdLow(kNaN);
    r.m.SetThresholdHigh(kNaN);
    r.m.SetValueSec(kNaN);
    EXPECT_EQ(r.m.MeterMinValue(), 0);
    EXPECT_EQ(r.m.MeterMaxValue(), 100);
    EXPECT_EQ(r.m.ThresholdLow(), 20);
    EXPECT_EQ(r.m.ThresholdHigh(), 80);
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(r.m.paints, 0);
  }
}

TEST(TMeter, ThresholdsPushEachOtherAndJudgeValue) {
  TRangeMeter r;
  TEventLog log(r.m);
  r.m.SetThresholdLow(90);  // above the high threshold: it follows
  EXPECT_EQ(r.m.ThresholdHigh(), 90);
  EXPECT_EQ(log.Text(), "under");
  EXPECT_TRUE(r.m.LowLampLit());
  r.m.SetThresholdHigh(10);  // below the low one: it follows; Value 50 is above
  EXPECT_EQ(r.m.ThresholdLow(), 10);
  EXPECT_EQ(log.Text(), "under over");
  EXPECT_TRUE(r.m.HighLampLit());
  r.m.SetThresholdLow(500);  // clamped to the maximum
  EXPECT_EQ(r.m.ThresholdLow(), 100);
  r.m.SetThresholdHigh(-kInf);
  EXPECT_EQ(r.m.ThresholdHigh(), 0);
  EXPECT_EQ(r.m.ThresholdLow(), 0);
  EXPECT_EQ(r.m.paints, 4);
  // The threshold setters look at Value whatever the needles show.
  r.m.NeedleLayout()->SetVisible(false);
  log.events.clear();
  r.m.SetThresholdHigh(40);
  EXPECT_EQ(log.Text(), "over");
}

// --- loading -----------------------------------------------------------------------------------

TEST(TMeter, WhileLoadingValuesLimitsAndThresholdsOnlyStore) {
  TTestMeter m(nullptr);
  TEventLog log(m);
  m.BeginLoading();
  m.SetMeterMinValue(5);
  m.SetValue(-7);
  m.SetThresholdHigh(3);
  m.SetThresholdLow(9);
  m.SetValueSec(kInf);
  m.SetMeterMaxValue(5);
  m.SetLogarithmic(true);
  EXPECT_EQ(m.MeterMinValue(), 5);
  EXPECT_EQ(m.MeterMaxValue(), 5);
  EXPECT_EQ(m.Value(), -7);
  EXPECT_EQ(m.paints, 0);
  EXPECT_EQ(log.Text(), "");
  m.EndLoading();
  // What was stored is put in order: the maximum above the minimum, thresholds and values within
  // the range, low <= high. A maximum equal to the minimum used to divide by zero.
  EXPECT_EQ(m.MeterMaxValue(), 6);
  EXPECT_TRUE(m.Logarithmic());
  EXPECT_EQ(m.ThresholdLow(), 6);
  EXPECT_EQ(m.ThresholdHigh(), 6);
  EXPECT_EQ(m.Value(), 5);
  EXPECT_EQ(m.ValueSec(), 6);
  EXPECT_EQ(m.paints, 1);
  EXPECT_EQ(log.Text(), "");
  EXPECT_FALSE(m.HighLampLit() || m.LowLampLit());  // Loaded leaves the lamps alone
}

TEST(TMeter, ALogarithmicScaleLoadedWithAMinimumOfZeroPaintsAndReturns) {
  // The decade loop started at floor(log10(0)) and never ended.
  TTestMeter m(nullptr);
  m.BeginLoading();
  m.SetLogarithmic(true);
  m.SetMeterMaxValue(1000);
  m.SetColorBakG(clYellow);  // a repaint in the middle of loading, with the scale unchecked
  m.EndLoading();
  EXPECT_FALSE(m.Logarithmic());
  EXPECT_EQ(m.paints, 2);
  EXPECT_GT(m.Trace().Count("TextOut"), 0);
}

// --- pictures ----------------------------------------------------------------------------------

TEST(TMeter, PictureNamesFollowTheirFiles) {
  test::TempDir dir;
  TBitmap(20, 10).SaveToFile(dir / "bg.bmp");
  dir.Put("bad.bmp", "BM not a picture");
  TTestMeter m(nullptr);
  m.SetBackGroundImg(dir / "bg.bmp");
  EXPECT_EQ(m.BackGroundImg(), dir / "bg.bmp");
  m.SetBackGroundImg(dir / "missing.bmp");
  EXPECT_EQ(m.BackGroundImg(), u"");
  // A picture that does not load reaches the caller, with its name stored and no repaint.
  m.paints = 0;
  EXPECT_THROW(m.SetBackGroundImg(dir / "bad.bmp"), EInvalidGraphic);
  EXPECT_EQ(m.BackGroundImg(), dir / "bad.bmp");
  EXPECT_EQ(m.paints, 0);
  m.SetAnchorImage(dir / "bg.bmp");
  EXPECT_EQ(m.AnchorImage(), dir / "bg.bmp");
  m.SetAnchorImage(dir / "bad.bmp");  // fails to load: the name is cleared
  EXPECT_EQ(m.AnchorImage(), u"");
  m.SetAnchorImage(dir / "bg.bmp");
  m.paints = 0;
  m.SetAnchorImage(dir / "missing.bmp");
  EXPECT_EQ(m.AnchorImage(), u"");
  EXPECT_EQ(m.paints, 1);
}

TEST(TMeter, APictureFromAFileIsHeldOnce) {
  // A grey picture of 1024 x 1024 pixels: a few kilobytes as PNG, 4 MiB decoded.
  constexpr int kSide = 1024;
  constexpr int64_t kOneCopy = int64_t{4} * kSide * kSide;
  test::TempDir dir;
  {
    TBitmap grey(kSide, kSide);
    grey.Canvas()->Brush()->SetColor(clGray);
    grey.Canvas()->FillRect(Rect(0, 0, kSide, kSide));
    grey.SaveToFile(dir / "grey.png");
  }
  // The anchor picture was decoded and kept twice, the second copy to make its mask of: the meter
  // held twice the memory the picture needs.
  for (const bool anchor : {true, false}) {
    TTestMeter m(nullptr);
    const int64_t peak = test::HeapPeakOf([&] {
      if (anchor) m.SetAnchorImage(dir / "grey.png");
      else m.SetBackGroundImg(dir / "grey.png");
    });
    EXPECT_LT(peak, kOneCopy + kOneCopy / 4) << (anchor ? "anchor" : "background");
    EXPECT_EQ(anchor ? m.AnchorImage() : m.BackGroundImg(), dir / "grey.png");
  }
}

TEST(TMeter, LoadedLoadsThePicturesAndClearsNamesThatFail) {
  test::TempDir dir;
  TBitmap(20, 10).SaveToFile(dir / "a.bmp");
  TTestMeter m(nullptr);
  m.SetBackGroundImg(dir / "a.bmp");
  m.SetAnchorImage(dir / "a.bmp");
  m.BeginLoading();
  std::remove(dir.NativeOf("a.bmp").c_str());
  m.EndLoading();
  EXPECT_EQ(m.BackGroundImg(), u"");
  EXPECT_EQ(m.AnchorImage(), u"");
}

// --- needle layouts ----------------------------------------------------------------------------

TEST(TNeedleLayout, StartsZeroAndNotifiesOnlyOnAChange) {
  TNeedleLayout n;
  EXPECT_EQ(n.HeadSize(), 0);
  EXPECT_EQ(n.PercentNeedleLength(), 0);
  EXPECT_FALSE(n.Visible());
  int changes = 0;
  n.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &n);
    ++changes;
  };
  n.SetHeadSize(0);
  n.SetPercentNeedleLength(-4);  // clamps to the 0 it holds
  EXPECT_EQ(changes, 0);
  n.SetHeadSize(5);
  n.SetShadowDx(-2);
  n.SetVisible(true);
  EXPECT_EQ(changes, 3);
}

TEST(TNeedleLayout, AssignCopiesEverySettingButOnChangeAndNotifiesOnce) {
  TNeedleLayout source;
  source.SetColorBody(clRed);
  source.SetColorOutline(clBlue);
  source.SetHeadSize(11);
  source.SetThickness(4);
  source.SetPercentNeedleLength(70);
  source.SetHeadAngle(45);
  source.SetHeadMidLeng(9);
  source.SetShadowDx(3);
  source.SetShadowDy(-2);
  source.SetShadowColor(clTeal);
  source.SetVisible(true);
  int sourceChanges = 0;
  source.OnChange = [&](TObject*) { ++sourceChanges; };

  TTestMeter m(nullptr);
  TNeedleLayout* n = m.NeedleLayoutSec();
  m.paints = 0;
  // The generic Assign raised "Cannot assign", so setting a layout always failed.
  m.SetNeedleLayoutSec(&source);
  EXPECT_EQ(n->ColorBody(), clRed);
  EXPECT_EQ(n->ColorOutline(), clBlue);
  EXPECT_EQ(n->HeadSize(), 11);
  EXPECT_EQ(n->Thickness(), 4);
  EXPECT_EQ(n->PercentNeedleLength(), 70);
  EXPECT_EQ(n->HeadAngle(), 45);
  EXPECT_EQ(n->HeadMidLeng(), 9);
  EXPECT_EQ(n->ShadowDx(), 3);
  EXPECT_EQ(n->ShadowDy(), -2);
  EXPECT_EQ(n->ShadowColor(), clTeal);
  EXPECT_TRUE(n->Visible());
  EXPECT_EQ(m.paints, 2);  // the layout's OnChange, then the setter
  EXPECT_EQ(sourceChanges, 0);
  n->SetHeadSize(12);  // still hooked to the meter, not to the source's handler
  EXPECT_EQ(m.paints, 3);
  EXPECT_EQ(sourceChanges, 0);

  TFont notALayout;
  EXPECT_THROW_MSG(n->Assign(&notALayout), EConvertError, "Cannot assign a TFont to a TNeedleLayout");
}

// --- mouse -------------------------------------------------------------------------------------

TEST(TMeter, MouseMovesReportTheValueUnderThePointer) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 340, 240);
  auto* m = new TMeter(&form);
  m->SetParent(&form);
  m->SetBounds(10, 10, 297, 209);  // pivot (148, 191) in the meter
  m->SetMeterMinValue(-4);
  m->SetMeterMaxValue(8);
  std::vector<std::string> order;
  struct Report {
    bool within;
    TShiftState shift;
    double value;
  };
  std::vector<Report> reports;
  m->OnMouseMove = [&](TObject*, TShiftState, int, int) { order.push_back("move"); };
  m->OnMouseMoveInMeter = [&](TObject* s, bool within, TShiftState shift, double v) {
    EXPECT_EQ(s, m);
    order.push_back("meter");
    reports.push_back({within, shift, v});
  };
  user.Show(&form);
  user.MoveTo(m, 148, 60);
  user.MoveTo(m, 20, 191, {ssShift});
  user.MoveTo(m, 148 + 30, 191 - 100, {ssCtrl});
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(order, (std::vector<std::string>{"move", "meter", "move", "meter", "move", "meter"}));
  EXPECT_TRUE(reports[0].within);
  EXPECT_DOUBLE_EQ(reports[0].value, 2);  // (min + max) / 2
  EXPECT_FALSE(reports[1].within);
  EXPECT_EQ(reports[1].value, 0);
  EXPECT_TRUE(reports[1].shift.Contains(ssShift));
  EXPECT_TRUE(reports[2].within);
  const double right = std::atan2(30.0, 100.0) * 180 / std::numbers::pi;  // degrees right of the top
  EXPECT_NEAR(reports[2].value, -4 + (45 + right) / 90 * 12, 1e-9);
  EXPECT_TRUE(reports[2].shift.Contains(ssCtrl));
  EXPECT_FALSE(reports[2].shift.Contains(ssShift));
}
