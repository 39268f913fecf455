// The chart's settings objects on their own: TScaleProps (repairs, the logarithmic refusal, copies),
// the location rule of the horizontal and vertical settings, TJointLayers and TBakGndImg.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Assertions.h"
#include "RChartTesting.h"

using namespace qelta;
using qelta::testing::RangesOf;
using qelta::testing::TRanges;
using qelta::testing::TTestChart;

namespace {

struct TCounted {
  TScalePropsHoriz props;
  int changes = 0;
  TCounted() {
    props.OnChange = [this](TObject*) { ++changes; };
  }
};

}  // namespace

// --- TScaleProps -------------------------------------------------------------------------------

TEST(ScaleProps, ANewObjectHoldsTheDefaults) {
  TScalePropsVert p;
  EXPECT_EQ(p.RangeLow(), 0);
  EXPECT_EQ(p.RangeHigh(), 1);
  EXPECT_EQ(p.MinRange(), 1e-10);
  EXPECT_EQ(p.DecPlaces(), -2);
  EXPECT_EQ(p.MinTicks(), 3);
  EXPECT_EQ(p.CaptionAlignment(), taCenter);
  EXPECT_EQ(p.CaptionAnchor(), uaSclTopLft);
  EXPECT_EQ(p.LabelType(), ftNum);
  EXPECT_EQ(p.ScaleType(), sctXT);
  EXPECT_EQ(p.ScaleLocation(), slLeft);
  EXPECT_TRUE(p.ShortTicks());
  EXPECT_FALSE(p.Visible());
  EXPECT_FALSE(p.Logarithmic());
  EXPECT_TRUE(p.NotYetLoaded());
  EXPECT_EQ(p.DateFormat()->DateSeparator(), u'-');
  EXPECT_EQ(p.DateFormat()->DateOrder(), doDDMMYY);
  EXPECT_EQ(p.DateFormat()->DateForTime(), dtOnePerDay);
  EXPECT_EQ(TScalePropsHoriz().ScaleLocation(), slBottom);
}

TEST(ScaleProps, RangeSettersRepairNarrowRangesAndNotify) {
  struct Case {
    const char* name;
    double minRange;
    void (*set)(TScaleProps&);
    double low, high;
  };
  const Case cases[] = {
      {"RangeLow 5 on 0..1 mirrors", 1e-10, [](TScaleProps& p) { p.SetRangeLow(5); }, 5, 1},
      {"RangeHigh 0.3 within MinRange 1", 1, [](TScaleProps& p) { p.SetRangeHigh(0.3); }, -0.7, 0.3},
      {"RangeLow 0.5 within MinRange 1", 1, [](TScaleProps& p) { p.SetRangeLow(0.5); }, 0.5, 1.5},
      {"RangeHigh 7", 1e-10, [](TScaleProps& p) { p.SetRangeHigh(7); }, 0, 7},
      {"MinRange 4 on 2..3 re-centres", 1e-10,
       [](TScaleProps& p) {
         p.SetRangeLow(2);
         p.SetRangeHigh(3);
         p.SetMinRange(4);
       },
       0.5, 4.5},
  };
  for (const Case& c : cases) {
    TCounted k;
    k.props.SetMinRange(c.minRange);
    c.set(k.props);
    EXPECT_DOUBLE_EQ(k.props.RangeLow(), c.low) << c.name;
    EXPECT_DOUBLE_EQ(k.props.RangeHigh(), c.high) << c.name;
    EXPECT_GE(k.changes, 1) << c.name;
  }
}

TEST(ScaleProps, MinRangeNotifiesOnlyWhenItMovesTheRange) {
  TCounted k;
  k.props.SetMinRange(0.5);  // 0..1 is wide enough: stored, no notification
  EXPECT_EQ(k.props.MinRange(), 0.5);
  EXPECT_EQ(k.changes, 0);
  k.props.SetMinRange(1e-100);  // at most 1e-100: ignored
  k.props.SetMinRange(-1);
  EXPECT_EQ(k.props.MinRange(), 0.5);
  k.props.SetMinRange(2);
  EXPECT_EQ(k.changes, 1);
  EXPECT_EQ(k.props.RangeLow(), -0.5);
}

TEST(ScaleProps, ValuesThatAreNotFiniteAreIgnored) {
  // Regression: a NaN bound or MinRange was stored, and every later span test failed on it.
  TCounted k;
  const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (double v : bad) {
    k.props.SetRangeLow(v);
    k.props.SetRangeHigh(v);
    k.props.SetMinRange(v);
  }
  EXPECT_EQ(k.props.RangeLow(), 0);
  EXPECT_EQ(k.props.RangeHigh(), 1);
  EXPECT_EQ(k.props.MinRange(), 1e-10);
  EXPECT_EQ(k.changes, 0);
}

TEST(ScaleProps, LogarithmicRangeSettersKeepBoundsAboveTheFloor) {
  TScalePropsHoriz p;
  p.SetRangeLow(1);
  p.SetRangeHigh(100);
  p.SetLogarithmic(true);
  p.SetRangeLow(-3);
  EXPECT_EQ(p.RangeLow(), 1);
  p.SetRangeLow(1e-100);
  EXPECT_EQ(p.RangeLow(), 1e-100);
}

TEST(ScaleProps, DecPlacesAreClamped) {
  for (const auto& [value, stored] : {std::pair{20, 12}, {-5, -3}, {4, 4}}) {
    TScalePropsHoriz p;
    p.SetDecPlaces(value);
    EXPECT_EQ(p.DecPlaces(), stored) << value;
  }
}

TEST(ScaleProps, LogarithmicIsRefusedOnlyOnceLoaded) {
  struct Case {
    const char* name;
    bool loaded;
    double low, high;
    TFigType labels;
    bool accepted;
  };
  const Case cases[] = {{"not loaded, 0..10", false, 0, 10, ftNum, true},
                        {"loaded, 0..10", true, 0, 10, ftNum, false},
                        {"loaded, 1..10", true, 1, 10, ftNum, true},
                        {"loaded, 1e-101..10", true, 1e-101, 10, ftNum, false},
                        {"loaded, dates", true, 1, 10, ftDateTime, false},
                        {"not loaded, dates", false, 1, 10, ftDateTime, true}};
  for (const Case& c : cases) {
    TTestChart chart;
    if (c.loaded) {
      chart.BeginLoading();
      chart.EndLoading();
    }
    TScaleProps* p = chart.Scale2Y();
    int changes = 0;
    p->OnChange = [&](TObject*) { ++changes; };
    p->SetRangeHigh(c.high);
    p->SetRangeLow(c.low);
    p->SetLabelType(c.labels);
    changes = 0;
    p->SetLogarithmic(true);
    EXPECT_EQ(p->Logarithmic(), c.accepted) << c.name;
    EXPECT_EQ(changes, 1) << c.name;  // a refused switch notifies all the same
    p->SetLogarithmic(false);
    EXPECT_FALSE(p->Logarithmic()) << c.name;
  }
}

TEST(ScaleProps, LabelTypeSwitchesLogarithmicOffForDatesAndSetsFourDecimalsForTimes) {
  TScalePropsHoriz p;
  p.SetLogarithmic(true);
  p.SetLabelType(ftDateTime);
  EXPECT_FALSE(p.Logarithmic());
  p.SetLabelType(ftTime);
  EXPECT_EQ(p.DecPlaces(), 4);
}

TEST(ScaleProps, ScalePosIsTheOffsetAcrossTheAxis) {
  TScalePropsHoriz p;
  p.SetScalePos(30);  // an x scale: the y offset
  p.SetScaleType(sctYL);
  EXPECT_EQ(p.ScalePos(), 0);  // a y scale reads the x offset
  p.SetScalePos(12);
  p.SetScaleType(sctXB);
  EXPECT_EQ(p.ScalePos(), 30);
}

TEST(ScaleProps, LocationChoosesTheScaleType) {
  TScalePropsHoriz x;
  x.SetScaleLocation(slTop);
  EXPECT_EQ(x.ScaleType(), sctXB);
  x.SetScaleLocation(slBottom);
  EXPECT_EQ(x.ScaleType(), sctXT);
  TScalePropsVert y;
  y.SetScaleLocation(slRight);
  EXPECT_EQ(y.ScaleType(), sctYL);
  y.SetScaleLocation(slLeft);
  EXPECT_EQ(y.ScaleType(), sctYR);
}

TEST(ScaleProps, FontAndDateFormatAreCopiedIntoTheOwnObjectsWithOneNotification) {
  TCounted k;
  TFont font;
  font.SetName(u"Courier New");
  font.SetStyle({fsBold});
  k.props.SetFont(&font);
  EXPECT_EQ(k.changes, 1);
  EXPECT_NE(k.props.Font(), &font);
  EXPECT_EQ(k.props.Font()->Name(), u"Courier New");
  k.props.Font()->SetSize(20);  // changes made to the font directly notify too
  EXPECT_EQ(k.changes, 2);
  TDTLabel dates;
  dates.SetYearLength(ylYY);
  int dateChanges = 0;
  k.props.DateFormat()->OnChange = [&](TObject*) { ++dateChanges; };
  k.props.SetDateFormat(&dates);
  EXPECT_EQ(k.props.DateFormat()->YearLength(), ylYY);
  EXPECT_EQ(dateChanges, 0);  // the copy reports through the settings, once
  EXPECT_EQ(k.changes, 3);
  k.props.SetFont(nullptr);
  k.props.SetDateFormat(nullptr);
  EXPECT_EQ(k.changes, 3);
}

TEST(ScaleProps, AssignCopiesEverySettingButKeepsTheTargetsObjectsAndLoadingState) {
  // Regression: Assign fell through to the platform, which raised "Cannot assign".
  TScalePropsHoriz source;
  source.SetCaption(u"t");
  source.SetCaptionPosX(3);
  source.SetCaptionPosY(-4);
  source.SetCaptionAlignment(taLeftJustify);
  source.SetCaptionAnchor(uaSclBotRgt);
  source.SetColorScale(clRed);
  source.SetDecPlaces(5);
  source.SetMinTicks(7);
  source.SetShortTicks(false);
  source.SetScaleInscript(u"&s");
  source.SetUserTickText(u"a|b");
  source.SetVisible(true);
  source.SetMinRange(0.25);
  source.SetRangeLow(2);
  source.SetRangeHigh(20);
  source.SetLogarithmic(true);
  source.SetScaleLocation(slTop);
  source.SetScalePos(9);
  source.Font()->SetName(u"Courier New");
  source.DateFormat()->SetTimeSeparator(u'.');
  TCounted k;
  TFont* font = k.props.Font();
  int dateChanges = 0;
  k.props.DateFormat()->OnChange = [&](TObject*) { ++dateChanges; };
  k.props.Assign(&source);
  const TScalePropsHoriz& p = k.props;
  EXPECT_EQ(k.changes, 1);
  EXPECT_EQ(dateChanges, 0);
  EXPECT_EQ(p.Caption(), u"t");
  EXPECT_EQ(p.CaptionPosX(), 3);
  EXPECT_EQ(p.CaptionPosY(), -4);
  EXPECT_EQ(p.CaptionAlignment(), taLeftJustify);
  EXPECT_EQ(p.CaptionAnchor(), uaSclBotRgt);
  EXPECT_EQ(p.ColorScale(), clRed);
  EXPECT_EQ(p.DecPlaces(), 5);
  EXPECT_EQ(p.MinTicks(), 7);
  EXPECT_FALSE(p.ShortTicks());
  EXPECT_EQ(p.ScaleInscript(), u"&s");
  EXPECT_EQ(p.UserTickText(), u"a|b");
  EXPECT_TRUE(p.Visible());
  EXPECT_EQ(p.MinRange(), 0.25);
  EXPECT_EQ(p.RangeLow(), 2);
  EXPECT_EQ(p.RangeHigh(), 20);
  EXPECT_TRUE(p.Logarithmic());
  EXPECT_EQ(p.ScaleLocation(), slTop);
  EXPECT_EQ(p.ScaleType(), sctXB);
  EXPECT_EQ(p.ScalePos(), 9);
  EXPECT_EQ(p.Font(), font);
  EXPECT_EQ(font->Name(), u"Courier New");
  EXPECT_EQ(p.DateFormat()->TimeSeparator(), u'.');
  // A vertical source copies the common settings but no location.
  TScalePropsVert vertical;
  vertical.SetCaption(u"v");
  k.props.Assign(&vertical);
  EXPECT_EQ(p.Caption(), u"v");
  EXPECT_EQ(p.ScaleLocation(), slTop);
  // Anything else is the platform's refusal.
  TBakGndImg other(nullptr);
  EXPECT_THROW(k.props.Assign(&other), EConvertError);
}

// --- TJointLayers ------------------------------------------------------------------------------

TEST(JointLayers, JoiningMovesTheLayersRangeToItsMasterAndNotifies) {
  TTestChart c;
  c.SetRange(1, 10, 20, 30, 40);
  c.SetRange(2, -1, -2, 1, 2);
  int changes = 0;
  c.JointLayers()->OnChange = [&](TObject*) { ++changes; };
  c.JointLayers()->SetL02xControlledBy(1);
  EXPECT_EQ(c.JointLayers()->GetControlledLayerX(2), 1);
  EXPECT_EQ(RangesOf(c, 2), (TRanges{10, -2, 30, 2}));
  EXPECT_EQ(changes, 1);
  c.JointLayers()->SetL02yControlledBy(1);
  EXPECT_EQ(RangesOf(c, 2), (TRanges{10, 20, 30, 40}));
  EXPECT_EQ(changes, 2);
  // Freeing a layer changes no range and notifies nothing.
  c.JointLayers()->SetL02xControlledBy(2);
  EXPECT_EQ(c.JointLayers()->L02xControlledBy(), 2);
  EXPECT_EQ(RangesOf(c, 2), (TRanges{10, 20, 30, 40}));
  EXPECT_EQ(changes, 2);
}

TEST(JointLayers, RefusalsRaiseTheirTextsAndChangeNothing) {
  TTestChart c;
  TJointLayers* j = c.JointLayers();
  j->SetL02xControlledBy(1);
  EXPECT_THROW_MSG(j->SetL01xControlledBy(2), EQeltaRChartError, "Destination layer 2 is already joined");
  EXPECT_THROW_MSG(j->SetControlledLayerY(1, 3), EQeltaRChartError, "Destination layer 3 is out of range");
  EXPECT_THROW_MSG(j->SetControlledLayerX(2, 0), EQeltaRChartError, "Destination layer 0 is out of range");
  EXPECT_EQ(j->L01xControlledBy(), 1);
  EXPECT_EQ(j->L02xControlledBy(), 1);
  EXPECT_EQ(j->L01yControlledBy(), 1);
  // Layers outside the chart are no index: nothing is read or written.
  EXPECT_EQ(j->GetControlledLayerX(5), 0);
  j->SetControlledLayerX(5, 1);
  j->SetControlledLayerY(0, 1);
  EXPECT_EQ(j->L02yControlledBy(), 2);
}

TEST(JointLayers, ACopyTakesBothTablesAndReportsAsAChangeOfItsSource) {
  TJointLayers source(nullptr), target(nullptr);
  source.SetL02xControlledBy(1);
  int sourceChanges = 0, targetChanges = 0;
  source.OnChange = [&](TObject*) { ++sourceChanges; };
  target.OnChange = [&](TObject*) { ++targetChanges; };
  target.Assign(&source);
  EXPECT_EQ(target.L02xControlledBy(), 1);
  EXPECT_EQ(target.L02yControlledBy(), 2);
  EXPECT_EQ(sourceChanges, 1);
  EXPECT_EQ(targetChanges, 0);
  target.Reset();
  EXPECT_EQ(target.L02xControlledBy(), 2);
  EXPECT_EQ(targetChanges, 0);
  TBakGndImg other(nullptr);
  EXPECT_THROW(target.Assign(&other), EConvertError);
}

// --- TBakGndImg --------------------------------------------------------------------------------

TEST(BakGndImg, NamesKeepTheirPathOnlyWithIncludePath) {
  struct Case {
    const char16_t* name;
    bool includePath;
    const char16_t* stored;
  };
  const Case cases[] = {{u"C:\\pictures\\sky.bmp", false, u"sky.bmp"},
                        {u"/home/lab/sky.png", false, u"sky.png"},
                        {u"D:sky.jpg", false, u"sky.jpg"},
                        {u"sky.bmp", false, u"sky.bmp"},
                        {u"/home/lab/sky.png", true, u"/home/lab/sky.png"}};
  for (const Case& c : cases) {
    TBakGndImg img(nullptr);
    img.SetIncludePath(c.includePath);
    img.SetName(c.name);
    EXPECT_EQ(img.Name(), c.stored) << StringToUtf8(c.name);
  }
  TBakGndImg img(nullptr);
  img.SetIncludePath(true);
  img.SetName(u"/home/lab/sky.png");
  img.SetIncludePath(false);  // switching off strips the stored name too
  EXPECT_EQ(img.Name(), u"sky.png");
}

TEST(BakGndImg, DefaultsSettersAndCopies) {
  TBakGndImg img(nullptr);
  EXPECT_EQ(img.FillMode(), bfStretch);
  EXPECT_EQ(img.AreaMode(), bamNone);
  EXPECT_EQ(img.AreaColor(), 14540253);
  EXPECT_EQ((std::array{img.AreaLeft(), img.AreaRight(), img.AreaTop(), img.AreaBottom()}),
            (std::array{-1.0, 1.0, 1.0, -1.0}));
  int changes = 0;
  img.OnChange = [&](TObject*) { ++changes; };
  img.SetFillMode(bfTile);
  img.SetAreaMode(bamVStripe);
  img.SetAreaColor(clRed);
  img.SetAreaLeft(-5);
  img.SetAreaRight(5);
  img.SetAreaTop(6);
  img.SetAreaBottom(-6);
  EXPECT_EQ(changes, 7);
  TBakGndImg copy(nullptr);
  int copyChanges = 0;
  copy.OnChange = [&](TObject*) { ++copyChanges; };
  copy.Assign(&img);
  EXPECT_EQ(copyChanges, 1);
  EXPECT_EQ(copy.FillMode(), bfTile);
  EXPECT_EQ(copy.AreaMode(), bamVStripe);
  EXPECT_EQ(copy.AreaColor(), clRed);
  EXPECT_EQ(copy.AreaBottom(), -6);
}
