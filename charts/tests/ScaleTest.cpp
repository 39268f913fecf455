// TScale as a component: property repairs, loading, copying, helper mode, events and the tick
// record. Drawing is observed through a canvas trace; the pixels are ScalePaintTest's.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Printers.h"
#include "Qelta_Scale.h"

using namespace qelta;

namespace {

// A helper scale drawing onto a traced bitmap, as the chart's helpers do.
struct TracedHelper {
  TBitmap host{500, 500};
  TCanvasTrace trace;
  TScale scale{nullptr};
  TracedHelper() {
    scale.SetIsHelper(true);
    scale.UseForeignCanvas(host.Canvas(), 0, 0);
    host.Canvas()->SetTrace(&trace);
  }
  ~TracedHelper() { host.Canvas()->SetTrace(nullptr); }
  int Lines() const { return trace.Count("LineTo"); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const TCanvasTraceRecord& r : trace.Find("TextOut")) out.push_back(StringToUtf8(r.Text));
    return out;
  }
};

void Load(TScale& s) {
  s.BeginLoading();
  s.EndLoading();
}

// --- properties --------------------------------------------------------------------------------

TEST(Scale, ConstructionSetsTheDocumentedValues) {
  TScale s(nullptr);
  EXPECT_EQ(s.Width(), 400);
  EXPECT_EQ(s.Height(), 400);
  EXPECT_EQ(s.RangeLow(), 0);
  EXPECT_EQ(s.RangeHigh(), 100);
  EXPECT_EQ(s.MinTicks(), 3);
  EXPECT_EQ(s.DecPlaces(), -2);
  EXPECT_EQ(s.FrameStyle(), fsLowered);
  EXPECT_EQ(s.ColorBackGnd(), clBtnFace);
  EXPECT_EQ(s.CaptionPosX(), 4);
  EXPECT_EQ(s.CaptionAlignment(), taCenter);
  EXPECT_EQ(s.ScaleType(), sctXB);
  EXPECT_TRUE(s.SuppressPaint());
  EXPECT_EQ(s.DateFormat()->DateSeparator(), u'-');
  EXPECT_EQ(s.DateFormat()->DateForTime(), dtOnePerDay);
}

TEST(Scale, SettersRepairInvalidValues) {
  struct Case {
    const char* name;
    void (TScale::*set)(int);
    int (TScale::*get)() const;
    int value, stored;
  };
  const Case cases[] = {
      {"MinTicks 1", &TScale::SetMinTicks, &TScale::MinTicks, 1, 2},
      {"MinTicks 25", &TScale::SetMinTicks, &TScale::MinTicks, 25, 10},
      {"MinTicks 0", &TScale::SetMinTicks, &TScale::MinTicks, 0, 0},
      {"MinTicks -4", &TScale::SetMinTicks, &TScale::MinTicks, -4, 2},
      {"DecPlaces -7", &TScale::SetDecPlaces, &TScale::DecPlaces, -7, -3},
      {"DecPlaces 20", &TScale::SetDecPlaces, &TScale::DecPlaces, 20, 12},
      {"MarginTop -5", &TScale::SetMarginTop, &TScale::MarginTop, -5, 0},
      {"MarginBottom -1", &TScale::SetMarginBottom, &TScale::MarginBottom, -1, 0},
      {"MarginLeft 7", &TScale::SetMarginLeft, &TScale::MarginLeft, 7, 7},
      {"MarginRight -9", &TScale::SetMarginRight, &TScale::MarginRight, -9, 0},
  };
  for (const Case& c : cases) {
    TScale s(nullptr);
    (s.*c.set)(c.value);
    EXPECT_EQ((s.*c.get)(), c.stored) << c.name;
  }
}

TEST(Scale, EqualRangeEndsAreMovedApartByOneUnit) {
  struct Case {
    const char* name;
    void (*set)(TScale&);
    double low, high;
  };
  const Case cases[] = {
      {"RangeLow onto RangeHigh", [](TScale& s) { s.SetRangeLow(100); }, 100, 101},
      {"SetRange(5, 5)", [](TScale& s) { s.SetRange(5, 5); }, 5, 6},
      // Choice: the classic value + 1 for RangeLow turned the axis round; it stays ascending.
      {"RangeHigh onto RangeLow", [](TScale& s) { s.SetRangeHigh(0); }, -1, 0},
  };
  for (const Case& c : cases) {
    TScale s(nullptr);
    c.set(s);
    EXPECT_EQ(s.RangeLow(), c.low) << c.name;
    EXPECT_EQ(s.RangeHigh(), c.high) << c.name;
  }
}

TEST(Scale, EqualEndsBeyondTwoToTheFiftyThirdAreMovedApartToo) {
  // Regression: 1e300 + 1 is 1e300, so the repaired ends stayed equal and the axis had no transform.
  TScale s(nullptr);
  s.SetRange(1e300, 1e300);
  EXPECT_GT(s.RangeHigh(), s.RangeLow());
  s.SetRangeLow(5e300);
  s.SetRangeHigh(5e300);
  EXPECT_LT(s.RangeLow(), s.RangeHigh());
}

TEST(Scale, LogarithmicIsRefusedOnALoadedScaleWithoutAPositiveRangeOrWithDates) {
  struct Case {
    const char* name;
    double low, high;
    TFigType labels;
    bool accepted;
  };
  const Case cases[] = {{"0..100", 0, 100, ftNum, false},      {"1..1000", 1, 1000, ftNum, true},
                        {"1e-101..1", 1e-101, 1, ftNum, false}, {"1e-100..1", 1e-100, 1, ftNum, true},
                        {"dates", 1, 1000, ftDateTime, false},  {"descending", 1000, 1, ftTime, true}};
  for (const Case& c : cases) {
    TScale s(nullptr);
    Load(s);
    s.SetRange(c.low, c.high);
    s.SetLabelType(c.labels);
    s.SetLogarithmic(true);
    EXPECT_EQ(s.Logarithmic(), c.accepted) << c.name;
    s.SetLogarithmic(false);
    EXPECT_FALSE(s.Logarithmic()) << c.name;
  }
}

TEST(Scale, ANotYetLoadedScaleTakesLogarithmicUnchecked) {
  TScale s(nullptr);  // made at run time: never loaded
  s.SetLogarithmic(true);
  EXPECT_TRUE(s.Logarithmic());
  EXPECT_EQ(s.R2M(100), 379);  // drawn and mapped linearly while the range holds 0
  s.SetRangeLow(1);
  EXPECT_EQ(s.R2M(10), 200);  // halfway, 199.5, rounded to even
}

TEST(Scale, LabelTypeSwitchesLogarithmicOffForDatesAndSetsFourDecimalsForTimes) {
  TScale s(nullptr);
  s.SetRange(1, 1000);
  s.SetLogarithmic(true);
  s.SetLabelType(ftDateTime);
  EXPECT_FALSE(s.Logarithmic());
  EXPECT_EQ(s.R2M(1000), 379);
  s.SetLabelType(ftTime);
  EXPECT_EQ(s.DecPlaces(), 4);
}

TEST(Scale, ColorSchemeChoosesTheFrameColours) {
  struct Case {
    TColorScheme scheme;
    TColor gray, white;
  };
  for (const Case c : {Case{csBWG, clGray, clWhite}, Case{csSystem, clBtnShadow, clBtnHighlight}}) {
    TracedHelper h;
    TCanvasTrace frame;
    h.scale.SetColorScheme(csSystem);
    h.scale.SetColorScheme(c.scheme);
    h.scale.OnAfterScaleRendered = [&](TObject*, TCanvas* picture) { picture->SetTrace(&frame); };
    h.scale.ForcePaint();
    std::vector<int64_t> pens;
    for (const TCanvasTraceRecord& r : frame.Find("Pen.Color")) pens.push_back(r.Args[0]);
    // The lowered frame: outer shadow, outer highlight, inner dark shadow, inner light face.
    EXPECT_EQ(pens, (std::vector<int64_t>{c.gray, c.white, clBlack, clSilver})) << c.scheme;
  }
}

TEST(Scale, DateFormatIsCopiedIntoTheOwnedObject) {
  TScale s(nullptr);
  TDTLabel other;
  other.SetDateSeparator(u'/');
  s.SetDateFormat(&other);
  s.SetDateFormat(nullptr);
  EXPECT_EQ(s.DateFormat()->DateSeparator(), u'/');
  EXPECT_NE(s.DateFormat(), &other);
}

// --- loading and copying -----------------------------------------------------------------------

TEST(Scale, TheTransformWaitsForTheEndOfLoading) {
  TScale s(nullptr);
  s.BeginLoading();
  s.SetRange(0, 10);
  EXPECT_EQ(s.R2M(10), 56);  // still 0..100: 20 + 3.59 x 10
  s.EndLoading();
  EXPECT_EQ(s.R2M(10), 379);
}

TEST(Scale, AssignCopiesTheSettingsButNotHelperFlagFontOrRenderingEvents) {
  TScale source(nullptr), target(nullptr);
  source.SetRange(-5, 5);
  source.SetScaleType(sctYR);
  source.SetCaption(u"volts");
  source.SetUserTickText(u"a|b");
  source.SetMarginLeft(3);
  source.SetDecPlaces(1);
  source.SetIsHelper(true);
  source.Font()->SetSize(20);
  source.DateFormat()->SetYearLength(ylYY);
  int ticks = 0;
  source.OnScaleTickDrawn = [&](TObject*, TCanvas*, TScaleType, double, int, int) { ++ticks; };
  source.OnAfterScaleRendered = [](TObject*, TCanvas*) {};
  target.Assign(&source);
  EXPECT_EQ(target.RangeLow(), -5);
  EXPECT_EQ(target.ScaleType(), sctYR);
  EXPECT_EQ(StringToUtf8(target.Caption()), "volts");
  EXPECT_EQ(StringToUtf8(target.UserTickText()), "a|b");
  EXPECT_EQ(target.MarginLeft(), 3);
  EXPECT_EQ(target.DecPlaces(), 1);
  EXPECT_EQ(target.DateFormat()->YearLength(), ylYY);
  EXPECT_TRUE(target.OnScaleTickDrawn != nullptr);
  EXPECT_FALSE(target.IsHelper());
  EXPECT_NE(target.Font()->Size(), 20);
  EXPECT_TRUE(target.OnAfterScaleRendered == nullptr);
}

TEST(Scale, AssignFitsTheTransformToTheTargetsOwnSize) {
  // Regression: the source's k and d were copied as they stood, fitted to the source's size.
  TScale source(nullptr), target(nullptr);
  source.SetBounds(0, 0, 100, 100);
  target.Assign(&source);
  EXPECT_EQ(target.R2M(100), 379);
}

TEST(Scale, AssignHandsOverTheForeignCanvasAndSuppressionOnlyToAHelper) {
  // Regression: a standalone scale copied from a helper drew into the helper owner's picture and,
  // its window long created, never lifted the copied paint suppression.
  TBitmap ownersPicture(50, 50);
  TScale helper(nullptr);
  helper.SetIsHelper(true);
  helper.UseForeignCanvas(ownersPicture.Canvas(), 3, 4);
  TScale standalone(nullptr), otherHelper(nullptr);
  standalone.SetSuppressPaint(false);
  standalone.Assign(&helper);
  EXPECT_EQ(standalone.ForeignCanvas(), nullptr);
  EXPECT_FALSE(standalone.SuppressPaint());
  otherHelper.SetIsHelper(true);
  otherHelper.Assign(&helper);
  EXPECT_EQ(otherHelper.ForeignCanvas(), ownersPicture.Canvas());
  EXPECT_EQ(otherHelper.ForCvPosY(), 4);
  EXPECT_TRUE(otherHelper.SuppressPaint());
}

TEST(Scale, CopyingToAndFromOtherClassesFollowsThePlatform) {
  TScale s(nullptr);
  TDTLabel label;
  EXPECT_THROW_MSG(label.Assign(&s), EConvertError, "Cannot assign a TScale to a TDTLabel");
  EXPECT_THROW_MSG(s.Assign(&label), EConvertError, "Cannot assign a TDTLabel to a TScale");
}

// --- helper mode and painting ------------------------------------------------------------------

TEST(Scale, AHelperDrawsOnlyWhenForced) {
  TracedHelper h;
  h.scale.SetRange(0, 10);
  h.scale.SetCaption(u"x");
  h.scale.SetSuppressPaint(true);
  EXPECT_EQ(h.trace.Records().size(), 0u);
  h.scale.ForcePaint();
  EXPECT_EQ(h.trace.Count("Draw"), 1);  // the finished picture, copied once
  EXPECT_TRUE(h.scale.SuppressPaint());
}

TEST(Scale, NothingIsDrawnByAnInvisibleHelperOrWhileLoading) {
  TracedHelper h;
  h.scale.SetTransparent(true);
  h.scale.Hide();
  h.scale.ForcePaint();
  h.scale.Show();
  h.scale.BeginLoading();
  h.scale.ForcePaint();
  EXPECT_EQ(h.trace.Records().size(), 0u);
  h.scale.EndLoading();
  h.scale.ForcePaint();
  EXPECT_GT(h.Lines(), 0);
}

TEST(Scale, AStandaloneScaleWithoutAWindowPaintsNothingAndDoesNotFail) {
  TScale s(nullptr);
  s.SetSuppressPaint(false);  // repaints into a canvas that has no surface
  s.SetTransparent(true);
  EXPECT_NO_THROW(s.SetCaption(u"x"));
  s.SetTransparent(false);
  EXPECT_NO_THROW(s.SetCaption(u"y"));
}

TEST(Scale, TransparentHelperDrawsTicksLabelsCaptionAndBaseLineStraightOntoTheCanvas) {
  TracedHelper h;
  h.scale.SetTransparent(true);
  h.scale.SetScaleType(sctYL);
  h.scale.SetCaption(u"unit");
  h.scale.ForcePaint();
  EXPECT_EQ(h.trace.Count("Draw"), 0);
  EXPECT_EQ(h.Lines(), 21 + 6 + 1);
  EXPECT_EQ(h.Texts(), (std::vector<std::string>{"0", "20", "40", "60", "80", "100", "unit"}));
}

// --- tick record and events --------------------------------------------------------------------

TEST(Scale, TheTickRecordFollowsTheLastDrawing) {
  struct Case {
    TScaleType type;
    int recorded;
    double first, last;
  };
  for (const Case c : {Case{sctYL, 27, 0, 100}, Case{sctXB, 21, 0, 100}}) {
    TracedHelper h;
    h.scale.SetScaleType(c.type);
    h.scale.ForcePaint();
    EXPECT_EQ(h.scale.NumTicks(), c.recorded);
    EXPECT_EQ(h.scale.GetTickPos(1), c.first);
    EXPECT_EQ(h.scale.GetTickPos(21), c.last);
    EXPECT_EQ(h.scale.GetTickPos(0), 0);
    EXPECT_EQ(h.scale.GetTickPos(c.recorded + 1), 0);
  }
}

TEST(Scale, MoreThanTwoHundredFiftyTicksAreDrawnButOnlyTwoHundredFiftyRecorded) {
  TracedHelper h;
  h.scale.SetTransparent(true);
  h.scale.SetShowBaseLine(false);
  h.scale.SetLabelType(ftNoFigs);
  h.scale.SetRange(0, 1000);
  h.scale.SetMinTicks(0);
  h.scale.ForcePaint();
  EXPECT_EQ(h.Lines(), 2002);
  EXPECT_EQ(h.scale.NumTicks(), 250);
}

TEST(Scale, MinTicksZeroOnAHugeRangeDrawsABoundedNumberOfTicks) {
  // Regression: 0..1e9 in steps of one unit drew 2 x 10^9 tick marks.
  TracedHelper h;
  h.scale.SetTransparent(true);
  h.scale.SetRange(0, 1e9);
  h.scale.SetMinTicks(0);
  h.scale.ForcePaint();
  EXPECT_LE(h.Lines(), 2 * ScaleTickLimit(359) + 1);
  EXPECT_EQ(h.scale.NumTicks(), 250);
}

TEST(Scale, ALogarithmicAxisFromZeroIsDrawnWithLinearTicks) {
  // Regression: Logarithmic on a scale made at run time keeps the range 0..100, and drawing it hung.
  TracedHelper h;
  h.scale.SetTransparent(true);
  h.scale.SetLogarithmic(true);
  h.scale.ForcePaint();
  EXPECT_EQ(h.scale.NumTicks(), 21);
}

TEST(Scale, EventsSeeEveryTickAndMayRewriteLabels) {
  TracedHelper h;
  h.scale.SetTransparent(true);
  h.scale.SetScaleType(sctXT);
  std::vector<std::pair<int, int>> pixels;
  h.scale.OnScaleTickDrawn = [&](TObject* sender, TCanvas* canvas, TScaleType type, double value, int x, int y) {
    EXPECT_EQ(sender, &h.scale);
    EXPECT_EQ(canvas, h.host.Canvas());
    EXPECT_EQ(type, sctXT);
    EXPECT_EQ(x, h.scale.R2M(value));
    pixels.emplace_back(x, y);
  };
  h.scale.OnBeforeTickLabel = [](TObject*, TScaleType, double value, String& label) {
    if (value == 40) label = u"forty";
  };
  TCanvas *before = nullptr, *after = nullptr;
  h.scale.OnBeforeScaleRendered = [&](TObject*, TCanvas* c) { before = c; };
  h.scale.OnAfterScaleRendered = [&](TObject*, TCanvas* c) { after = c; };
  h.scale.ForcePaint();
  ASSERT_EQ(pixels.size(), 27u);
  EXPECT_EQ(pixels.front(), std::make_pair(20, 20));
  EXPECT_EQ(pixels.back(), std::make_pair(379, 20));
  EXPECT_EQ(h.Texts()[2], "forty");
  EXPECT_EQ(before, h.host.Canvas());
  EXPECT_EQ(after, h.host.Canvas());  // the canvas drawn on, also in transparent mode
}

TEST(Scale, OnAfterScaleRenderedSeesThePictureBeforeTheFrameIsDrawn) {
  TracedHelper h;
  TCanvas* after = nullptr;
  h.scale.OnAfterScaleRendered = [&](TObject*, TCanvas* c) { after = c; };
  h.scale.ForcePaint();
  EXPECT_NE(after, nullptr);
  EXPECT_NE(after, h.host.Canvas());
}

TEST(Scale, OnThePrinterLabelsKeepTheScreensPointSize) {
  TScale s(nullptr);
  s.SetIsHelper(true);
  s.SetTransparent(true);
  s.Font()->SetSize(10);
  TCanvas* printer = Printer()->Canvas();
  TCanvasTrace trace;
  printer->SetTrace(&trace);
  s.UseForeignCanvas(printer, 0, 0);
  s.ForcePaint();
  printer->SetTrace(nullptr);
  std::vector<int64_t> density;
  for (const TCanvasTraceRecord& r : trace.Find("Font.PixelsPerInch")) density.push_back(r.Args[0]);
  EXPECT_EQ(density, (std::vector<int64_t>{96, 600}));
  EXPECT_EQ(printer->Font()->Height(), -13);  // 10 points at 96 pixels per inch
  EXPECT_EQ(printer->Font()->PixelsPerInch(), 600);
}

}  // namespace
