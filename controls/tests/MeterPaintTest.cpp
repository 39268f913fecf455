// The meter's painting: the calls of one paint (zones, ticks, labels, needles, the hosts' events),
// pixels of lamps and the anchor picture, and golden pictures of its looks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Forms.h"
#include "MeterTesting.h"
#include "Qelta_Meter.h"
#include "Testing.h"

using namespace qelta;
using namespace qelta::meter_test;

namespace {

std::string Narrow(const String& s) { return StringToUtf8(s); }

std::vector<std::string> Texts(const TCanvasTrace& t) {
  std::vector<std::string> out;
  for (const TCanvasTraceRecord& r : t.Find("TextOut")) out.push_back(Narrow(r.Text));
  return out;
}

// Index of the first record with this Op at or after `from`; -1 when none.
int IndexOf(const TCanvasTrace& t, const std::string& op, int from = 0) {
  const auto& r = t.Records();
  for (int i = from; i < int(r.size()); ++i)
    if (r[i].Op == op) return i;
  return -1;
}

// The first point of every tick drawn between the scale's arc and the first needle.
std::vector<TPoint> TickStarts(const TCanvasTrace& t) {
  std::vector<TPoint> out;
  const auto& r = t.Records();
  const int end = IndexOf(t, "Polygon");
  for (int i = IndexOf(t, "Arc"); i >= 0 && i < end; ++i)
    if (r[i].Op == "MoveTo") out.push_back(Point(int(r[i].Args[0]), int(r[i].Args[1])));
  return out;
}

// A 300-degree logarithmic scale from 1 to 1000 with labels without decimals.
void MakeDecades300(TTestMeter& m) {
  m.SetMeterLayout(mlCirc300);
  m.SetMeterMaxValue(1000);
  m.SetMeterMinValue(1);
  m.SetLogarithmic(true);
  m.SetMeterDecPlaces(0);
}

// A 12 x 12 picture of 8 bits: a ring of colour 2 around a disc of colour 1, black (entry 0) in the
// corners, one white pixel.
std::string AnchorFixture() {
  std::vector<uint8_t> idx(144);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const double d = std::hypot(x - 5.5, y - 5.5);
      idx[y * 12 + x] = d < 3.5 ? 1 : d < 6 ? 2 : 0;
    }
  idx[3 * 12 + 4] = 3;
  return Bmp8(12, 12, {0x000000, 0x3050A0, 0xC08020, 0xFFFFFF}, idx);
}

}  // namespace

// --- the calls of one paint --------------------------------------------------------------------

TEST(TMeterPaint, ATooSmallDialDrawsNothing) {
  TTestMeter m(nullptr);
  m.SetBounds(0, 0, 60, 30);  // R = 30 - 10 - 8 - 16 < 0
  EXPECT_LE(m.MeterRadius(), 0);
  EXPECT_TRUE(m.Trace().Records().empty());
}

TEST(TMeterPaint, ExtremeRimsAnchorsAndNeedlesPaintWithoutFailing) {
  // Every sum of rims, radius, pivot and needle sizes stays within the integers (the sanitizers
  // watch); the dial may lie far outside the picture.
  const int extremes[] = {INT32_MIN, -100000, -1, 0, 100000, INT32_MAX};
  for (TMeterLayout layout : {mlCirc90, mlCirc300})
    for (int v : extremes) {
      TTestMeter m(nullptr);
      m.SetMeterLayout(layout);
      m.SetScaleBkVisible(true);
      m.SetCaption(u"x");
      m.SetRimTop(v);
      m.SetRimBottom(v == INT32_MIN ? 0 : v);
      m.SetRimSide(v);
      m.SetAnchorSize(v);
      for (TNeedleLayout* n : {m.NeedleLayout(), m.NeedleLayoutSec()}) {
        n->SetVisible(true);
        n->SetHeadSize(v);
        n->SetThickness(v);
        n->SetHeadMidLeng(v);
        n->SetShadowDx(v);
        n->SetShadowDy(v);
      }
      m.SetValue(0.7);
      EXPECT_TRUE(std::isfinite(m.MeterRadius())) << v;
      m.Render();
      int x = 0, y = 0;
      m.ConvertToPixelCoords(100, 0.5, x, y);
      double value = 0;
      m.ConvertPixelToValue(x, y, value);
    }
}

TEST(TMeterPaint, ZonesDrawOnlyWhereTheyHaveAnAngle) {
  TTestMeter m(nullptr);
  m.SetScaleBkVisible(true);
  m.SetScaleBkWidth(20);
  const auto zonePies = [&] {  // the pies on the zones' box (CX - Round(R + 4), ...)
    std::vector<TCanvasTraceRecord> out;
    for (const TCanvasTraceRecord& r : m.Trace().Find("Pie"))
      if (r.Args[0] == 148 - 179 && r.Args[2] == 148 + 179 + 1 && r.Args[3] == 191 + 179) out.push_back(r);
    return out;
  };
  EXPECT_EQ(zonePies().size(), 1u);  // thresholds at the ends: the normal zone alone
  m.SetThresholdHigh(0.75);
  EXPECT_EQ(zonePies().size(), 2u);
  m.SetThresholdLow(0.25);
  const std::vector<TCanvasTraceRecord> pies = zonePies();
  ASSERT_EQ(pies.size(), 3u);
  // Each runs counter-clockwise from its upper end to its lower end, on the arc's points.
  int x = 0, y = 0;
  m.ConvertToPixelCoords(100, 0.25, x, y);
  EXPECT_EQ(pies[0].Args[4], x);  // the low zone starts at ThresholdLow
  EXPECT_EQ(pies[1].Args[6], x);  // the normal zone ends there
  const TCanvasTrace t = m.Trace();
  const int ring = IndexOf(t, "Ellipse");
  ASSERT_GE(ring, 0);
  EXPECT_EQ(t.Records()[ring].Args, (std::vector<int64_t>{148 - 140, 191 - 140, 148 + 140 + 1, 191 + 140}));
}

TEST(TMeterPaint, LinearTicksAndLabelsFollowTheTickRule) {
  TTestMeter m(nullptr);
  m.SetMeterShortTicks(false);
  const TCanvasTrace t = m.Trace();
  EXPECT_EQ(Texts(t), (std::vector<std::string>{"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
  const std::vector<TPoint> ticks = TickStarts(t);
  ASSERT_EQ(ticks.size(), 6u);
  int x = 0, y = 0;
  m.ConvertToPixelCoords(100, 0.6, x, y);
  EXPECT_EQ(ticks[3], Point(x, y));
  m.SetMeterShortTicks(true);  // 0.2 in 4 steps: 0.05, 0.1, 0.15, 0.25, ... 0.95 between the main ticks
  EXPECT_EQ(TickStarts(m.Trace()).size(), 6u + 15u);
}

TEST(TMeterPaint, LogarithmicDecadesTickAtEachDigitAndLabelOneTwoFive) {
  TTestMeter m(nullptr);
  MakeDecades300(m);
  m.SetMeterShortTicks(false);
  const TCanvasTrace t = m.Trace();
  EXPECT_EQ(Texts(t), (std::vector<std::string>{"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"}));
  const std::vector<TPoint> ticks = TickStarts(t);
  ASSERT_EQ(ticks.size(), 28u);  // 1..9, 10..90, 100..900 and 1000: the tolerance admits both ends
  int x = 0, y = 0;
  m.ConvertToPixelCoords(100, 30, x, y);
  EXPECT_EQ(ticks[11], Point(x, y));
  m.ConvertToPixelCoords(100, 1000, x, y);
  EXPECT_EQ(ticks.back(), Point(x, y));

  // Within one decade the tick rule's steps are placed logarithmically.
  m.SetMeterMinValue(2);
  m.SetMeterMaxValue(8);
  const TCanvasTrace d = m.Trace();
  const std::vector<std::string> labels = Texts(d);
  const std::vector<TPoint> starts = TickStarts(d);
  ASSERT_EQ(labels.size(), starts.size());
  ASSERT_GE(labels.size(), 3u);
  for (size_t i = 0; i < labels.size(); ++i) {
    m.ConvertToPixelCoords(100, std::stod(labels[i]), x, y);
    EXPECT_EQ(starts[i], Point(x, y)) << labels[i];
  }
}

TEST(TMeterPaint, LabelHandlerMaySuppressOrRewriteALabel) {
  TTestMeter m(nullptr);
  const TCanvasTrace plain = m.Trace();
  const std::vector<TCanvasTraceRecord> before = plain.Find("TextOut");
  ASSERT_EQ(before.size(), 6u);
  std::vector<TPoint> corners;
  m.OnBeforeDrawScaleLabel = [&](TObject* s, TCanvas* c, String& text, int x, int y) {
    EXPECT_EQ(s, &m);
    EXPECT_NE(c, nullptr);
    corners.push_back(Point(x, y));
    if (text == u"0.4") text.clear();
    if (text == u"0.6") text = u"sixty per cent";
  };
  const TCanvasTrace t = m.Trace();
  EXPECT_EQ(Texts(t), (std::vector<std::string>{"0.0", "0.2", "sixty per cent", "0.8", "1.0"}));
  for (size_t i = 0; i < before.size(); ++i)  // ChartX, ChartY: where the label would be written
    EXPECT_EQ(corners[i], Point(int(before[i].Args[0]), int(before[i].Args[1])));
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(m.Font());
  const TCanvasTraceRecord& old = before[3];
  const std::vector<TCanvasTraceRecord> written = t.Find("TextOut");
  const TCanvasTraceRecord& now = written[2];
  EXPECT_EQ(now.Args[0] + scratch.Canvas()->TextWidth(now.Text) / 2, old.Args[0] + scratch.Canvas()->TextWidth(old.Text) / 2);
  EXPECT_EQ(now.Args[1], old.Args[1]);
}

TEST(TMeterPaint, NeedleHasItsShadowOnlyWithAnOffset) {
  TTestMeter m(nullptr);
  m.SetValue(0.3);
  const std::vector<TCanvasTraceRecord> plain = m.Trace().Find("Polygon");
  ASSERT_EQ(plain.size(), 1u);
  ASSERT_EQ(plain[0].Args.size(), 14u);
  m.NeedleLayout()->SetShadowDx(4);
  m.NeedleLayout()->SetShadowDy(-3);
  m.NeedleLayout()->SetShadowColor(clTeal);
  const TCanvasTrace t = m.Trace();
  const std::vector<TCanvasTraceRecord> both = t.Find("Polygon");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[1].Args, plain[0].Args);  // the needle stays; its shadow lies at (-dx, -dy)
  for (size_t i = 0; i < 14; i += 2) {
    EXPECT_EQ(both[0].Args[i], plain[0].Args[i] - 4);
    EXPECT_EQ(both[0].Args[i + 1], plain[0].Args[i + 1] + 3);
  }
  const auto& r = t.Records();
  const int shadow = IndexOf(t, "Polygon");
  EXPECT_EQ(r[shadow - 1].Op, "Brush.Color");
  EXPECT_EQ(r[shadow - 1].Args[0], clTeal);
}

TEST(TMeterPaint, NeedlePointsFollowTheLayout) {
  TTestMeter m(nullptr);  // value 0: the needle points 45 degrees up-left
  m.NeedleLayout()->SetThickness(0);
  m.NeedleLayout()->SetPercentNeedleLength(100);
  const std::vector<int64_t> p = m.Trace().Find("Polygon")[0].Args;
  // Tip at R - 4 = 171 from the pivot (148, 191): 120.92 left and up.
  EXPECT_EQ(p[2], 148 - 121);
  EXPECT_EQ(p[3], 191 - 121);
  // Shaft without thickness: P4 = P5 = the pivot; P3 = P6 lie HeadMidLeng back from the tip.
  EXPECT_EQ(p[8], 148);
  EXPECT_EQ(p[9], 191);
  EXPECT_EQ(p[10], 148);
  EXPECT_EQ(p[11], 191);
  EXPECT_EQ(p[6], 27 + 14);  // 20 x cos 45 = 14.14
  EXPECT_EQ(p[7], 70 + 14);
  EXPECT_EQ(p[12], p[6]);
}

TEST(TMeterPaint, SecondNeedleLiesUnderTheFirst) {
  TTestMeter m(nullptr);
  m.SetValue(0.8);
  m.NeedleLayoutSec()->SetVisible(true);
  m.NeedleLayoutSec()->SetColorBody(clRed);
  m.SetValueSec(0.2);
  std::vector<TColor> bodies;
  m.OnBeforeDrawNeedle = [&](TObject*, TCanvas* c, bool&) { bodies.push_back(c->Brush()->Color()); };
  const TCanvasTrace t = m.Trace();
  const std::vector<TCanvasTraceRecord> needles = t.Find("Polygon");
  ASSERT_EQ(needles.size(), 2u);
  EXPECT_EQ(bodies, (std::vector<TColor>{clRed}));  // the host's turn comes after the second needle
  EXPECT_LT(needles[0].Args[2], 148);               // the second needle's tip, left of the top
  EXPECT_GT(needles[1].Args[2], 148);               // the first one's, right of it, drawn last
}

TEST(TMeterPaint, ANeedleDrawnByTheHostLiesUnderCoverLampsAndFrame) {
  TTestMeter m(nullptr);
  m.OnBeforeDrawNeedle = [&](TObject* s, TCanvas* c, bool& drawn) {
    EXPECT_EQ(s, &m);
    EXPECT_FALSE(drawn);
    c->Pen()->SetColor(clFuchsia);
    c->Pen()->SetWidth(9);
    c->MoveTo(0, 0);
    c->LineTo(297, 209);
    c->Pen()->SetWidth(1);
    drawn = true;
  };
  int rendered = 0;
  m.OnMeterRendered = [&](TObject*, TCanvas*) { ++rendered; };
  TCanvasTrace t;
  const std::unique_ptr<TBitmap> p = m.Render(&t);
  EXPECT_EQ(t.Count("Polygon"), 0);
  EXPECT_EQ(rendered, 1);
  const int stroke = IndexOf(t, "LineTo", IndexOf(t, "Pen.Width"));
  EXPECT_LT(stroke, IndexOf(t, "Rectangle", stroke + 1));  // the rims come after it
  // Its stroke runs across the top-left rim and the lamps: they cover it; the frame does too.
  EXPECT_EQ(p->Canvas()->Pixels(4, 3), ColorToRGB(clBtnFace));
  EXPECT_EQ(p->Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(p->Canvas()->Pixels(296, 208), clGray);
}

TEST(TMeterPaint, LampsShowTheirFlags) {
  TTestMeter m(nullptr);  // high lamp at x 269..279, low lamp at x 18..28, y 16..26
  m.SetMeterMaxValue(10);
  m.SetThresholdHigh(8);
  m.SetThresholdLow(2);
  m.SetLimWatchActColor(clLime);
  const auto lamps = [&] {
    const std::unique_ptr<TBitmap> p = m.Render();
    return std::make_pair(p->Canvas()->Pixels(273, 20), p->Canvas()->Pixels(22, 20));
  };
  EXPECT_EQ(lamps(), std::make_pair(clGray, clLime));  // Value 0 at ThresholdLow 2 lit the low lamp
  m.SetValue(9);
  EXPECT_EQ(lamps(), std::make_pair(clLime, clGray));
  m.SetValue(5);
  EXPECT_EQ(lamps(), std::make_pair(clGray, clGray));
  m.SetLimWatchHighOn(false);
  m.SetValue(9);
  EXPECT_EQ(lamps().first, clWhite);  // no lamp: the dial below the top rim
}

TEST(TMeterPaint, AnchorPictureMasksItsBlackPixelsPerPixel) {
  test::TempDir dir;
  dir.Put("anchor.bmp", AnchorFixture());
  TTestMeter m(nullptr);
  m.SetColorBakG(clYellow);
  m.SetAnchorImage(dir / "anchor.bmp");
  ASSERT_EQ(m.AnchorImage(), dir / "anchor.bmp");
  m.OnBeforeDrawNeedle = [](TObject*, TCanvas*, bool& drawn) { drawn = true; };  // the dial alone under it
  const std::unique_ptr<TBitmap> p = m.Render();
  TBitmap picture;
  picture.LoadFromFile(dir / "anchor.bmp");
  // The mask used to be made of the first Width bytes of each scan line: a quarter of a line of
  // 32-bit pixels, taken by channel. Each pixel now shows the picture, or the dial where it is black.
  const int left = 148 - 6, top = 191 - 6;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const TColor c = picture.Canvas()->Pixels(x, y);
      EXPECT_EQ(p->Canvas()->Pixels(left + x, top + y), c == clBlack ? clYellow : c) << x << ", " << y;
    }
}

TEST(TMeterPaint, AnAnchorPictureLargerThanTheControlIsMaskedToItsEdges) {
  // 8 x 8 squares, black and red, of a picture that overhangs the control on every side.
  test::TempDir dir;
  {
    TBitmap checks(401, 501);
    for (int y = 0; y < checks.Height(); ++y)
      for (int x = 0; x < checks.Width(); ++x)
        checks.ScanLine(y)[x] = ((x / 8 + y / 8) % 2) ? 0xFFFF0000u : 0xFF000000u;
    checks.SaveToFile(dir / "checks.bmp");
  }
  TTestMeter m(nullptr);
  m.OnBeforeDrawNeedle = [](TObject*, TCanvas*, bool& drawn) { drawn = true; };
  m.SetAnchorCovered(false);  // the window bevel alone: what the picture's black squares show
  const std::unique_ptr<TBitmap> dial = m.Render();
  m.SetAnchorCovered(true);
  m.SetAnchorImage(dir / "checks.bmp");
  const std::unique_ptr<TBitmap> p = m.Render();
  const int left = m.MeterCenterX() - 200, top = m.MeterCenterY() - 250;
  ASSERT_LT(left, 0);
  ASSERT_LT(top, 0);
  for (int y = 30; y < m.Height() - 12; ++y)  // below the lamps, inside the outer frame
    for (int x = 12; x < m.Width() - 12; ++x) {
      const bool red = ((x - left) / 8 + (y - top) / 8) % 2;
      ASSERT_EQ(p->Canvas()->Pixels(x, y), red ? clRed : dial->Canvas()->Pixels(x, y)) << x << ", " << y;
    }
}

TEST(TMeterPaint, ABackgroundPictureWithASideOfZeroCountsAsNone) {
  test::TempDir dir;
  TBitmap(0, 5).SaveToFile(dir / "empty.bmp");
  TTestMeter m(nullptr);
  m.SetBkgndFillMode(bfTile);  // divided by the picture's width
  m.SetColorBakG(clYellow);
  m.SetBackGroundImg(dir / "empty.bmp");
  const TCanvasTrace t = m.Trace();
  EXPECT_EQ(t.Count("StretchDraw"), 0);
  EXPECT_EQ(t.Find("Rectangle")[0].Args, (std::vector<int64_t>{0, 0, 297, 209}));
  EXPECT_EQ(m.Render()->Canvas()->Pixels(100, 100), clYellow);
}

TEST(TMeterPaint, PaintShowsThePictureOnAShownForm) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 240);
  auto* m = new TTestMeter(&form);
  m->SetParent(&form);
  m->SetBounds(5, 7, 297, 209);
  user.Show(&form);
  m->SetValue(0.7);
  const std::unique_ptr<TBitmap> shown = user.Grab(m), rendered = m->Render();
  for (int y = 0; y < 209; y += 3)
    for (int x = 0; x < 297; x += 3) ASSERT_EQ(shown->Canvas()->Pixels(x, y), rendered->Canvas()->Pixels(x, y));
}

// --- golden pictures ---------------------------------------------------------------------------

namespace {

using golden::MatchesGolden;

::testing::AssertionResult MatchesGolden(TTestMeter& m, const std::string& name) {
  TCanvasTrace trace;
  const std::unique_ptr<TBitmap> p = m.Render(&trace);
  return golden::MatchesGolden(*p, name, TextBoxes(trace, m));
}

}  // namespace

TEST(TMeterGolden, Linear90WithZonesAndLamps) {
  TTestMeter m(nullptr);
  m.SetMeterMaxValue(10);
  m.SetThresholdHigh(7.5);
  m.SetThresholdLow(2.5);
  m.SetScaleBkVisible(true);
  m.SetScaleBkWidth(12);
  m.SetCaption(u"bar");
  m.SetValue(8.6);  // the high lamp lit, the low one dark
  EXPECT_TRUE(MatchesGolden(m, "meter-linear-90"));
}

TEST(TMeterGolden, Logarithmic300) {
  TTestMeter m(nullptr);
  MakeDecades300(m);
  m.SetCaption(u"Hz");
  m.SetValue(30);
  EXPECT_TRUE(MatchesGolden(m, "meter-log-300"));
}

TEST(TMeterGolden, Zones120WithTwoNeedles) {
  TTestMeter m(nullptr);
  m.SetMeterLayout(mlCirc120);
  m.SetMeterMinValue(-50);
  m.SetMeterMaxValue(50);
  m.SetThresholdLow(-30);
  m.SetThresholdHigh(20);
  m.SetScaleBkVisible(true);
  m.SetScaleBkWidth(30);
  m.SetColorBakG(0xE8F8F8);
  m.SetMeterNrTicks(5);
  m.SetMeterDecPlaces(0);
  m.NeedleLayout()->SetThickness(5);
  m.NeedleLayout()->SetShadowDx(-3);
  m.NeedleLayout()->SetShadowDy(-3);
  m.NeedleLayoutSec()->SetVisible(true);
  m.NeedleLayoutSec()->SetColorBody(clRed);
  m.NeedleLayoutSec()->SetPercentNeedleLength(80);
  m.SetValueSec(-40);
  m.SetValue(12);
  m.SetCaption(u"°C");
  EXPECT_TRUE(MatchesGolden(m, "meter-zones-120"));
}

TEST(TMeterGolden, Knob270) {
  TTestMeter m(nullptr);
  m.SetMeterLayout(mlCirc270);
  m.SetMeterMaxValue(240);
  m.SetMeterNrTicks(8);
  m.SetMeterDecPlaces(0);
  m.SetColorCover(0x505050);
  m.SetColorBakG(0x202020);
  m.SetColorScale(clWhite);
  m.Font()->SetColor(clWhite);
  m.FontCaption()->SetColor(clYellow);
  m.SetAnchorSize(14);
  m.SetCaption(u"km/h");
  m.NeedleLayout()->SetColorBody(0x00A0FF);
  m.SetValue(135);
  EXPECT_TRUE(MatchesGolden(m, "meter-knob-270"));
}

TEST(TMeterGolden, AnchorPicture) {
  test::TempDir dir;
  dir.Put("anchor.bmp", AnchorFixture());
  TTestMeter m(nullptr);
  m.SetMeterLayout(mlCirc180);
  m.SetAnchorImage(dir / "anchor.bmp");
  m.SetValue(0.35);
  EXPECT_TRUE(MatchesGolden(m, "meter-anchor-picture"));
}

TEST(TMeterGolden, BackgroundInThreeFillModes) {
  test::TempDir dir;
  TBitmap bg(40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) bg.Canvas()->SetPixels(x, y, RGB(uint8_t(150 + 2 * x), uint8_t(180 + 2 * y), 230));
  bg.Canvas()->Pen()->SetColor(clNavy);
  bg.Canvas()->MoveTo(0, 0);
  bg.Canvas()->LineTo(40, 30);
  bg.SaveToFile(dir / "bg.bmp");
  TComposite page(3 * 200, 150);
  const TBkgFill modes[] = {bfSimple, bfStretch, bfTile};
  for (int i = 0; i < 3; ++i) {
    TTestMeter m(nullptr);
    m.SetBounds(0, 0, 200, 150);
    m.SetBackGroundImg(dir / "bg.bmp");
    m.SetBkgndFillMode(modes[i]);
    m.SetValue(0.4);
    page.Place(m, 200 * i, 0);
  }
  EXPECT_TRUE(MatchesGolden(page.picture, "meter-background", page.texts));
}

TEST(TMeterGolden, FramesInBothSchemes) {
  TComposite page(6 * 130, 2 * 100, clBlack);
  const TFrameStyle styles[] = {fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved};
  for (int scheme = 0; scheme < 2; ++scheme)
    for (int i = 0; i < 6; ++i) {
      TTestMeter m(nullptr);
      m.SetBounds(0, 0, 120, 90);
      m.SetColorScheme(scheme == 0 ? csBWG : csSystem);
      m.SetColorBakG(clCream);
      m.SetFrameStyle(styles[i]);
      m.SetScaleVisible(false);
      m.SetValue(0.5);
      page.Place(m, 5 + 130 * i, 5 + 100 * scheme);
    }
  EXPECT_TRUE(MatchesGolden(page.picture, "meter-frames", page.texts));
}

TEST(TMeterGolden, TinyMeterLeavesItsParentUntouched) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 100, 80);
  form.SetColor(clAqua);
  auto* m = new TTestMeter(&form);
  m->SetParent(&form);
  m->SetBounds(10, 10, 70, 33);  // R = 33 - 10 - 8 - 16 = -1
  user.Show(&form);
  m->SetValue(0.5);
  EXPECT_GT(m->paints, 0);
  const std::unique_ptr<TBitmap> shown = user.Grab(m);
  for (int y = 0; y < shown->Height(); ++y)
    for (int x = 0; x < shown->Width(); ++x) ASSERT_EQ(shown->Canvas()->Pixels(x, y), clAqua) << x << ", " << y;
  EXPECT_TRUE(MatchesGolden(*shown, "meter-tiny", {}));
}
