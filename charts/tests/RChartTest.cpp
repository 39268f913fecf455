// TCustomRChart as a component: the values after construction, the standard layouts, rims and
// bounds, the settings accessors and the repaint protocol (paints counted through a test chart).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "Assertions.h"
#include "RChartTesting.h"
#include "Screen.h"

using namespace qelta;
using qelta::testing::RangesOf;
using qelta::testing::TRanges;
using qelta::testing::TTestChart;

namespace {

TScale* Helper(TCustomRChart& c, const char16_t* name) { return dynamic_cast<TScale*>(c.FindComponent(name)); }

}  // namespace

// --- construction ------------------------------------------------------------------------------

TEST(RChart, ANewChartReportsTheValuesAfterCreate) {
  TTestChart c;
  EXPECT_TRUE(c.SuppressPaint());
  EXPECT_EQ(c.Width(), 280);
  EXPECT_EQ(c.Height(), 200);
  EXPECT_EQ((std::array{c.LRim(), c.RRim(), c.TRim(), c.BRim(), c.ShadowWidth()}), (std::array{50, 20, 20, 40, 0}));
  EXPECT_EQ(c.Caption(), u"");
  EXPECT_EQ(c.CaptionPosX(), 0);
  EXPECT_EQ(c.CaptionPosY(), -16);
  EXPECT_EQ(c.CaptionAlignment(), taRightJustify);
  EXPECT_EQ(c.CaptionAnchorHoriz(), cahChartRight);
  EXPECT_EQ(c.CaptionAnchorVert(), cavChartTop);
  EXPECT_EQ(c.StandardLayout(), rcl_X1Bottom_Y1Left);
  EXPECT_EQ(c.AllocSize(), 1000);
  EXPECT_TRUE(c.AutoRedraw());
  EXPECT_EQ(c.ActiveLayer(), 1);
  EXPECT_EQ(c.ClassDefault(), 0);
  EXPECT_EQ(c.DataTag(), 0);
  EXPECT_FALSE(c.Isometric());
  EXPECT_FALSE(c.TransparentItems());
  EXPECT_TRUE(c.MouseCursorFixed());
  EXPECT_EQ(c.MouseAction(), maNone);
  EXPECT_EQ(c.ZoomState(), zsNormal);
  EXPECT_EQ(c.GridStyle(), gsNone);
  EXPECT_EQ(c.GridDx(), 0);
  EXPECT_EQ(c.ShadowStyle(), ssFlying);
  EXPECT_EQ((std::array{c.DataColor(), c.FillColor(), c.ChartFrameColor(), c.ChartColor(), c.WindColor(),
                        c.GridColor(), c.ShadowColor(), c.ShadowBakColor(), c.TextBkColor()}),
            (std::array{clBlack, clSilver, clBlack, clWhite, clBtnFace, clBlack, clGrayText, clBtnFace, clWhite}));
  EXPECT_EQ(c.PenStyle(), psSolid);
  EXPECT_EQ(c.LineWidth(), 1);
  EXPECT_EQ(c.TextBkStyle(), tbClear);
  EXPECT_EQ(c.TextAlignment(), taCenter);
  EXPECT_TRUE(c.TextFontStyle().Empty());
  EXPECT_TRUE(c.GetLayerVisib(1) && c.GetLayerVisib(2));
  EXPECT_TRUE(c.GetMAffLayer(1));
  EXPECT_FALSE(c.GetMAffLayer(2));
  for (int cls : {0, 17, 255}) EXPECT_TRUE(c.GetClassVisib(static_cast<uint8_t>(cls)));
  // The item list: empty, one tkNone counted.
  EXPECT_EQ(c.NumItems(), 0);
  EXPECT_EQ(c.NumAllocated(), 0);
  EXPECT_EQ(c.GetItemCount(tkNone), 1);
  for (int k = tkMarkAt; k < TrcItemCount; ++k) EXPECT_EQ(c.GetItemCount(static_cast<TrcItem>(k)), 0) << k;
  // One ring entry: the present ranges.
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Right, 1);
  EXPECT_EQ(c.GetZoomStackEntry(2, 0).Top, 1);
  EXPECT_EQ(c.GetZoomStackEntry(1, -1).Right, 0);
  // Pixel aspect from the bitmap canvas; the data bitmap covers the data area and its far edges.
  EXPECT_EQ(c.AspectX(), 36);
  EXPECT_EQ(c.AspectY(), 36);
  EXPECT_EQ(c.GrafBmp()->Width(), 211);
  EXPECT_EQ(c.GrafBmp()->Height(), 141);
}

TEST(RChart, ANewChartHasFourCrossHairsAndThirtyFreeLabels) {
  TTestChart c;
  const TCrossHair* hairs[] = {c.CrossHair1(), c.CrossHair2(), c.CrossHair3(), c.CrossHair4()};
  const int layers[] = {1, 2, 2, 2};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(hairs[i]->Layer(), layers[i]) << i + 1;
    EXPECT_EQ(hairs[i]->Mode(), chOff);
    EXPECT_EQ(hairs[i]->Color(), clBlack);
    EXPECT_EQ(hairs[i]->LineWid(), 1);
    EXPECT_EQ(hairs[i]->PosX(), 0);
  }
  for (int i = 1; i <= MaxTextLabels; ++i) {
    const TTextLabel* t = c.GetFTextLabel(i);
    EXPECT_EQ(t->Mode(), tlOff) << i;
    EXPECT_FALSE(t->Visible());
    EXPECT_EQ(t->Layer(), 1);
    EXPECT_EQ(t->AttachToData(), tlamBoth);
    EXPECT_EQ(t->VerticalAlignment(), vaBottom);
    EXPECT_EQ(t->ColorBkg(), clWhite);
    EXPECT_EQ(t->ShadowDx(), 3);
    EXPECT_EQ(t->ColorShadow(), clGray);
    EXPECT_EQ(t->PosX(), 0);
    EXPECT_EQ(t->Font()->Name(), c.Font()->Name());
  }
  EXPECT_THROW_MSG(c.GetFTextLabel(31), EQeltaRChartError, "Component \"\": invalid index into TextLabel array");
  c.SetName(u"Chart1");
  EXPECT_THROW_MSG(c.GetFTextLabel(0), EQeltaRChartError, "Component \"Chart1\": invalid index into TextLabel array");
}

TEST(RChart, HelperScalesAreNamedAndTypedPerLayer) {
  TTestChart c;
  struct Case {
    const char16_t* name;
    TScaleType type;
    bool visible;
    TColor color;
  };
  const Case cases[] = {{u"RC_FScale_X_1", sctXT, true, clBlack},
                        {u"RC_FScale_Y_1", sctYR, true, clBlack},
                        {u"RC_FScale_X_2", sctXT, false, clMaroon},
                        {u"RC_FScale_Y_2", sctYR, false, clMaroon}};
  for (const Case& k : cases) {
    TScale* s = Helper(c, k.name);
    ASSERT_NE(s, nullptr) << StringToUtf8(k.name);
    EXPECT_TRUE(s->IsHelper());
    EXPECT_TRUE(s->SuppressPaint());
    EXPECT_TRUE(s->Transparent());
    EXPECT_EQ(s->FrameStyle(), fsNone);
    EXPECT_EQ(s->ScaleType(), k.type) << StringToUtf8(k.name);
    EXPECT_EQ(s->Visible(), k.visible) << StringToUtf8(k.name);
    EXPECT_EQ(s->ColorScale(), k.color) << StringToUtf8(k.name);
    EXPECT_EQ(s->ForeignCanvas(), c.ChartBmp()->Canvas());
    EXPECT_EQ(s->Width(), 280);
  }
  // The x scale runs over the data columns, the y scale over the data rows.
  EXPECT_EQ(c.ScaleX(1)->MarginLeft(), 50);
  EXPECT_EQ(c.ScaleX(1)->MarginRight(), 19);
  EXPECT_EQ(c.ScaleX(1)->MarginTop(), 200 - 40);  // sctXT: the axis line on the bottom of the data area
  EXPECT_EQ(c.ScaleY(1)->MarginTop(), 20);
  EXPECT_EQ(c.ScaleY(1)->MarginBottom(), 39);
  EXPECT_EQ(c.ScaleY(1)->MarginRight(), 280 - 50 - 1);  // sctYR: the axis line on the left
  EXPECT_EQ(c.Scale2X()->ColorScale(), clMaroon);
}

TEST(RChart, CreateFillsTheCursorSlotsOneToFour) {
  TTestChart c;
  const char16_t* names[] = {u"CURHAND", u"CURZOOMW", u"CURZOOMD", u"CURZOOMP"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Screen()->Cursors(static_cast<TCursor>(i + 1))->Name, names[i]);
}

TEST(RChart, ANewChartMapsItsRangeOntoTheDataArea) {
  TTestChart c;
  int x = 0, y = 0;
  c.R2M(1, 0, 0, x, y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 160);
  c.R2M(2, 1, 1, x, y);
  EXPECT_EQ(x, 260);
  EXPECT_EQ(y, 20);
}

// --- standard layouts --------------------------------------------------------------------------

TEST(RChart, StandardLayoutsSetRimsCaptionAndAxes) {
  struct Axis {
    int capX, capY;
    TAlignment align;
    TScaleUnitAnchor anchor;
    int pos;
    bool visible;
    TScaleType type;
  };
  struct Case {
    TrcLayout layout;
    int l, r, t, b, capY;
    TAlignment align;
    TCaptionAnchorHoriz anchor;
    Axis x1, x2, y1, y2;
  };
  const Axis xBottom = {0, 22, taCenter, uaSclCenter, 0, true, sctXT};
  const Axis xHidden = {10, 100, taCenter, uaSclCenter, 0, false, sctXT};
  const Axis yLeft = {0, -23, taRightJustify, uaSclTopLft, 0, true, sctYR};
  const Axis x2Bottom = {-20, 7, taRightJustify, uaSclTopLft, 0, true, sctXT};
  const Case cases[] = {
      {rcl_X1Bottom_Y1Left, 50, 20, 20, 40, -16, taRightJustify, cahChartRight, xBottom, xHidden,
       {0, -16, taLeftJustify, uaSclTopLft, 0, true, sctYR}, {10, 100, taRightJustify, uaSclTopLft, 0, false, sctYR}},
      {rcl_X1Bottom_Y2Left, 100, 20, 24, 40, -16, taRightJustify, cahChartRight, xBottom, xHidden, yLeft,
       {0, -23, taRightJustify, uaSclTopLft, 50, true, sctYR}},
      {rcl_X1Bottom_Y2Both, 50, 50, 24, 40, -20, taCenter, cahChartCenter, xBottom, xHidden, yLeft,
       {0, -23, taLeftJustify, uaSclTopLft, 0, true, sctYL}},
      {rcl_X2Bottom_Y2Left, 100, 20, 24, 70, -16, taRightJustify, cahChartRight, x2Bottom,
       {-20, 7, taRightJustify, uaSclTopLft, 30, true, sctXT}, yLeft, {0, -23, taRightJustify, uaSclTopLft, 50, true, sctYR}},
      {rcl_X2Both_Y2Both, 50, 50, 48, 40, -46, taCenter, cahChartCenter, x2Bottom,
       {-20, -24, taRightJustify, uaSclTopLft, 0, true, sctXB}, {0, -40, taRightJustify, uaSclTopLft, 0, true, sctYR},
       {0, -40, taLeftJustify, uaSclTopLft, 0, true, sctYL}},
  };
  const auto check = [](const TScaleProps* p, const TScale* s, const Axis& a, int layout) {
    EXPECT_EQ(p->CaptionPosX(), a.capX) << layout;
    EXPECT_EQ(p->CaptionPosY(), a.capY) << layout;
    EXPECT_EQ(p->CaptionAlignment(), a.align) << layout;
    EXPECT_EQ(p->CaptionAnchor(), a.anchor) << layout;
    EXPECT_EQ(p->ScalePos(), a.pos) << layout;
    EXPECT_EQ(p->Visible(), a.visible) << layout;
    EXPECT_EQ(p->ScaleType(), a.type) << layout;
    EXPECT_EQ(s->ScaleType(), a.type) << layout;  // the helper follows at once
    EXPECT_EQ(s->Visible(), a.visible) << layout;
  };
  for (const Case& k : cases) {
    TTestChart c;
    c.SetStandardLayout(rcl_X2Both_Y2Both);
    c.SetStandardLayout(k.layout);
    EXPECT_EQ(c.StandardLayout(), k.layout);
    EXPECT_EQ((std::array{c.LRim(), c.RRim(), c.TRim(), c.BRim()}), (std::array{k.l, k.r, k.t, k.b})) << k.layout;
    EXPECT_EQ(c.CaptionPosX(), 0);
    EXPECT_EQ(c.CaptionPosY(), k.capY) << k.layout;
    EXPECT_EQ(c.CaptionAlignment(), k.align) << k.layout;
    EXPECT_EQ(c.CaptionAnchorHoriz(), k.anchor) << k.layout;
    EXPECT_EQ(c.CaptionAnchorVert(), cavChartTop);
    check(c.Scale1X(), c.ScaleX(1), k.x1, k.layout);
    check(c.Scale2X(), c.ScaleX(2), k.x2, k.layout);
    check(c.Scale1Y(), c.ScaleY(1), k.y1, k.layout);
    check(c.Scale2Y(), c.ScaleY(2), k.y2, k.layout);
  }
}

TEST(RChart, TheSecondYAxisOfTheLeftLayoutsStandsFiftyPixelsOut) {
  TTestChart c;
  c.SetStandardLayout(rcl_X1Bottom_Y2Left);
  EXPECT_EQ(c.ScaleY(1)->MarginRight(), 280 - 100 - 1);
  EXPECT_EQ(c.ScaleY(2)->MarginRight(), 50 + 280 - 100 - 1);
  c.SetStandardLayout(rcl_X2Both_Y2Both);
  EXPECT_EQ(c.ScaleX(2)->MarginBottom(), 200 - 48 - 1);  // sctXB on the top edge
  EXPECT_EQ(c.ScaleY(2)->MarginLeft(), 280 - 50);        // sctYL on the right edge
}

// --- rims, shadow and bounds -------------------------------------------------------------------

TEST(RChart, RimsRefitTheDataBitmapHelpersAndTransform) {
  TTestChart c;
  c.SetLRim(30);
  c.SetRRim(10);
  c.SetTRim(5);
  c.SetBRim(15);
  EXPECT_EQ(c.GrafBmp()->Width(), 280 - 30 - 10 + 1);
  EXPECT_EQ(c.GrafBmp()->Height(), 200 - 5 - 15 + 1);
  EXPECT_EQ(c.ScaleX(1)->MarginLeft(), 30);
  EXPECT_EQ(c.ScaleX(1)->MarginRight(), 9);
  EXPECT_EQ(c.ScaleY(1)->MarginTop(), 5);
  EXPECT_EQ(c.ScaleY(1)->MarginBottom(), 14);
  int x = 0, y = 0;
  c.R2M(1, 1, 0, x, y);
  EXPECT_EQ(x, 270);
  EXPECT_EQ(y, 185);
  EXPECT_EQ(c.MarginLeft(), 30);
  c.SetMarginBottom(16);
  EXPECT_EQ(c.BRim(), 16);
}

TEST(RChart, ShadowWidthIsClampedAndNarrowsTheDataArea) {
  TTestChart c;
  for (const auto& [value, stored] : {std::pair{40, 32}, {-5, 0}, {7, 7}}) {
    c.SetShadowWidth(value);
    EXPECT_EQ(c.ShadowWidth(), stored) << value;
  }
  EXPECT_EQ(c.GrafBmp()->Width(), 280 - 50 - 20 - 7 + 1);
  EXPECT_EQ(c.ScaleX(1)->MarginRight(), 20 + 7 - 1);
  EXPECT_EQ(c.ScaleY(1)->MarginBottom(), 40 + 7 - 1);
  int x = 0, y = 0;
  c.R2M(1, 1, 0, x, y);
  EXPECT_EQ(x, 280 - 20 - 7);
  EXPECT_EQ(y, 200 - 40 - 7);
}

TEST(RChart, HelperScalesSpanExactlyTheColumnsAndRowsOfTheData) {
  // Regression: with RRim + ShadowWidth = 0 the helper x scale's MarginRight is -1 (MarginBottom
  // likewise); the scale clamped it to 0, and its ticks drifted up to a pixel from the data (x = 100
  // on column 399 instead of 400).
  struct Case {
    int lRim, rRim, tRim, bRim, shadow;
  };
  const Case cases[] = {{50, 0, 20, 0, 0}, {0, 0, 0, 0, 0},  {50, 20, 20, 40, 0},
                        {50, 0, 20, 0, 3}, {-4, -5, -2, -3, 0}, {50, 1, 20, 1, 0}};
  for (const Case& k : cases) {
    TTestChart c;
    c.SetLRim(k.lRim);
    c.SetRRim(k.rRim);
    c.SetTRim(k.tRim);
    c.SetBRim(k.bRim);
    c.SetShadowWidth(k.shadow);
    c.SetBounds(0, 0, 400, 300);
    c.SetRange(1, 0, 0, 100, 100);
    const std::string what = "rims " + std::to_string(k.lRim) + " " + std::to_string(k.rRim) + " " +
                             std::to_string(k.tRim) + " " + std::to_string(k.bRim) + ", shadow " +
                             std::to_string(k.shadow);
    for (int v = 0; v <= 100; ++v) {
      int x = 0, y = 0;
      c.R2M(1, v, v, x, y);
      ASSERT_EQ(c.ScaleX(1)->R2M(v), x) << what << ", x " << v;
      ASSERT_EQ(c.ScaleY(1)->R2M(v), y) << what << ", y " << v;
    }
  }
}

TEST(RChart, RimsLargerThanTheControlGiveAnEmptyDataBitmap) {
  TTestChart c;
  c.SetLRim(400);
  EXPECT_EQ(c.GrafBmp()->Width(), 0);
  c.SetTRim(300);
  EXPECT_EQ(c.GrafBmp()->Height(), 0);
  int x = 0, y = 0;
  c.R2M(1, 0.5, 0.5, x, y);  // no data area: everything in the middle of the control
  EXPECT_EQ(x, 140);
  EXPECT_EQ(y, 100);
  double rx = 0, ry = 0;
  c.M2R(1, 7, 9, rx, ry);
  EXPECT_EQ(rx, 0.5);
  EXPECT_EQ(ry, 0.5);
}

TEST(RChart, ExtremeRimsNeitherOverflowNorBreakTheTransform) {
  // Regression: rim sums and offsets were taken in 32 bits and overflowed.
  TTestChart c;
  const int big = std::numeric_limits<int>::max();
  c.SetLRim(big);
  c.SetRRim(big);
  c.SetTRim(big);
  c.SetBRim(big);
  c.SetShadowWidth(32);
  c.SetBounds(0, 0, 10, 10);
  EXPECT_EQ(c.Width(), big);
  EXPECT_EQ(c.GrafBmp()->Width(), 0);
  EXPECT_EQ(c.GrafBmp()->Height(), 0);
  EXPECT_EQ(c.Kx(1), 0);
  int x = 0, y = 0;
  c.R2M(1, 0.5, 0.5, x, y);
  EXPECT_EQ(x, big / 2 + 1);  // half the control, rounded half to even
}

TEST(RChart, SetBoundsKeepsAMinimumSizeAroundTheRims) {
  TTestChart c;
  c.SetBounds(0, 0, 10, 10);
  EXPECT_EQ(c.Width(), 50 + 20 + 0 + 80);
  EXPECT_EQ(c.Height(), 20 + 40 + 0 + 20);
  c.SetShadowWidth(5);
  c.SetBounds(3, 4, 400, 300);
  EXPECT_EQ(c.Left(), 3);
  EXPECT_EQ(c.Width(), 400);
  EXPECT_EQ(c.ScaleX(2)->Width(), 400);
  EXPECT_EQ(c.ScaleY(1)->Height(), 300);
  int x = 0, y = 0;
  c.R2M(1, 1, 0, x, y);
  EXPECT_EQ(x, 400 - 20 - 5);
  EXPECT_EQ(y, 300 - 40 - 5);
}

TEST(RChart, SetBoundsKeepsIsometricLayersIsometric) {
  TTestChart c;
  c.SetRange(1, 0, 0, 100, 100);
  c.SetIsometric(true);
  c.SetBounds(0, 0, 420, 200);  // data area 351 x 141 pixels
  const TRanges r = RangesOf(c, 1);
  EXPECT_EQ(r.xHi - r.xLo, 100);
  EXPECT_NEAR(r.yHi - r.yLo, 100.0 * 141 / 351, 1e-9);
  EXPECT_NEAR((r.yHi + r.yLo) / 2, 50, 1e-9);
}

// --- settings accessors ------------------------------------------------------------------------

TEST(RChart, ScaleSettingsOutsideTheLayersReadLayerOneAndWriteNothing) {
  TTestChart c;
  EXPECT_EQ(c.GetScalePropsX(0), c.Scale1X());
  EXPECT_EQ(c.GetScalePropsY(3), c.Scale1Y());
  TScalePropsHoriz other;
  other.SetCaption(u"volts");
  c.SetScalePropsX(3, &other);
  EXPECT_EQ(c.Scale1X()->Caption(), u"");
  EXPECT_EQ(c.Scale2X()->Caption(), u"");
}

TEST(RChart, SettingScaleSettingsCopiesThemAndKeepsTheChartsOwnObjects) {
  // Regression: the copy went through the platform's default Assign, which raised.
  TTestChart c;
  TFont* font = c.Scale2X()->Font();
  TDTLabel* dates = c.Scale2X()->DateFormat();
  TScalePropsHoriz other;
  other.SetCaption(u"seconds");
  other.SetRangeLow(-5);
  other.SetDecPlaces(3);
  other.Font()->SetSize(14);
  other.DateFormat()->SetDateSeparator(u'/');
  other.SetScaleLocation(slTop);
  c.SetScale2X(&other);
  const TScalePropsHoriz* mine = c.Scale2X();
  EXPECT_NE(mine, &other);
  EXPECT_EQ(mine->Caption(), u"seconds");
  EXPECT_EQ(mine->DecPlaces(), 3);
  EXPECT_EQ(mine->ScaleLocation(), slTop);
  EXPECT_EQ(mine->Font(), font);
  EXPECT_EQ(font->Size(), 14);
  EXPECT_EQ(mine->DateFormat(), dates);
  EXPECT_EQ(dates->DateSeparator(), u'/');
  EXPECT_TRUE(static_cast<bool>(mine->OnChange));
  // The chart took the copy in: the helper shows it and the range is the copied one.
  EXPECT_EQ(c.ScaleX(2)->Caption(), u"seconds");
  EXPECT_EQ(c.ScaleX(2)->ScaleType(), sctXB);
  EXPECT_EQ(RangesOf(c, 2).xLo, -5);
  EXPECT_EQ(c.ScaleX(2)->RangeLow(), -5);
}

TEST(RChart, BackGroundImgAndJointLayersAreCopiedIntoTheChartsOwnObjects) {
  // Regression: BackGroundImg went through the platform's default Assign, which raised.
  TTestChart c;
  TBakGndImg img(nullptr);
  img.SetName(u"/pictures/sky.png");
  img.SetAreaMode(bamRect);
  c.SetBackGroundImg(&img);
  EXPECT_NE(c.BackGroundImg(), &img);
  EXPECT_EQ(c.BackGroundImg()->Name(), u"sky.png");
  EXPECT_EQ(c.BackGroundImg()->AreaMode(), bamRect);
  // With painting on, the copy repaints once (that paint cannot read the picture and forgets it).
  c.EnablePainting();
  c.SetBackGroundImg(&img);
  EXPECT_EQ(c.Paints, 1);  // the repaint rule, once
  TJointLayers joins(nullptr);
  joins.SetL02yControlledBy(1);
  c.SetJointLayers(&joins);
  EXPECT_EQ(c.JointLayers()->L02yControlledBy(), 1);
  EXPECT_EQ(c.Paints, 2);
}

// --- repaint protocol --------------------------------------------------------------------------

TEST(RChart, RepaintRuleSettersPaintOnceWithAutoRedrawAndNeverWithout) {
  using Setter = std::function<void(TCustomRChart&)>;
  const std::pair<const char*, Setter> repainting[] = {
      {"ChartFrameColor", [](TCustomRChart& c) { c.SetChartFrameColor(clRed); }},
      {"ChartColor", [](TCustomRChart& c) { c.SetChartColor(clRed); }},
      {"WindColor", [](TCustomRChart& c) { c.SetWindColor(clRed); }},
      {"GridColor", [](TCustomRChart& c) { c.SetGridColor(clRed); }},
      {"ShadowColor", [](TCustomRChart& c) { c.SetShadowColor(clRed); }},
      {"ShadowBakColor", [](TCustomRChart& c) { c.SetShadowBakColor(clRed); }},
      {"ShadowStyle", [](TCustomRChart& c) { c.SetShadowStyle(ssBox); }},
      {"ShadowWidth", [](TCustomRChart& c) { c.SetShadowWidth(3); }},
      {"GridStyle", [](TCustomRChart& c) { c.SetGridStyle(gsLines); }},
      {"GridDx", [](TCustomRChart& c) { c.SetGridDx(-3); }},
      {"Caption", [](TCustomRChart& c) { c.SetCaption(u"T"); }},
      {"CaptionPosX", [](TCustomRChart& c) { c.SetCaptionPosX(3); }},
      {"CaptionAlignment", [](TCustomRChart& c) { c.SetCaptionAlignment(taCenter); }},
      {"CaptionAnchorVert", [](TCustomRChart& c) { c.SetCaptionAnchorVert(cavControlTop); }},
      {"TextBkStyle", [](TCustomRChart& c) { c.SetTextBkStyle(tbSolid); }},
      {"TextAlignment", [](TCustomRChart& c) { c.SetTextAlignment(taLeftJustify); }},
      {"ActiveLayer", [](TCustomRChart& c) { c.SetActiveLayer(2); }},
      {"LRim", [](TCustomRChart& c) { c.SetLRim(40); }},
      {"BRim", [](TCustomRChart& c) { c.SetBRim(30); }},
      {"ClassVisib", [](TCustomRChart& c) { c.SetClassVisib(7, false); }},
      {"LayerVisib", [](TCustomRChart& c) { c.SetLayerVisib(2, false); }},
      {"Isometric", [](TCustomRChart& c) { c.SetIsometric(true); }},
      {"CrossHair setting", [](TCustomRChart& c) { c.CrossHair3()->SetMode(chBoth); }},
      {"TextLabel setting", [](TCustomRChart& c) { c.GetFTextLabel(4)->SetCaption(u"x"); }},
      {"BackGroundImg setting", [](TCustomRChart& c) { c.BackGroundImg()->SetAreaColor(clRed); }},
      {"JointLayers join", [](TCustomRChart& c) { c.JointLayers()->SetL02xControlledBy(1); }},
  };
  for (const auto& [name, set] : repainting) {
    for (bool autoRedraw : {true, false}) {
      TTestChart c;
      c.EnablePainting();
      c.SetAutoRedraw(autoRedraw);
      set(c);
      EXPECT_EQ(c.Paints, autoRedraw ? 1 : 0) << name << (autoRedraw ? " with" : " without") << " AutoRedraw";
    }
  }
}

TEST(RChart, PlainSettersAndUnchangedVisibilityNeverPaint) {
  TTestChart c;
  c.EnablePainting();
  c.SetDataColor(clRed);
  c.SetFillColor(clRed);
  c.SetPenStyle(psDot);
  c.SetLineWidth(3);
  c.SetDataTag(5);
  c.SetMouseAction(maPan);
  c.SetMouseCursorFixed(false);
  c.SetAllocSize(10);
  c.SetClassDefault(4);
  c.SetClassVisib(7, true);
  c.SetLayerVisib(1, true);
  c.SetLayerVisib(3, false);
  c.SetActiveLayer(3);
  c.SetGridDy(-3.5);
  c.SetMAffLayer(2, true);
  c.MarkAt(1, 1, 2);
  c.ConfineZoomRange(0, 0, 1, 1);
  EXPECT_EQ(c.Paints, 0);
  EXPECT_EQ(c.ActiveLayer(), 1);
  EXPECT_EQ(c.GridDy(), 0);
}

TEST(RChart, DesigningPaintsByTheRuleEvenWithoutAutoRedraw) {
  TTestChart c;
  c.EnablePainting();
  c.SetAutoRedraw(false);
  c.Design(true);
  c.SetChartColor(clRed);
  EXPECT_EQ(c.Paints, 1);
  c.SetVisible(false);  // designing draws hidden controls too
  c.SetChartColor(clBlue);
  EXPECT_EQ(c.Paints, 2);
  c.Design(false);
  c.SetAutoRedraw(true);
  c.SetChartColor(clRed);
  EXPECT_EQ(c.Paints, 2);  // hidden at run time: nothing
}

TEST(RChart, RangeChangesPaintOnceEvenWithoutAutoRedraw) {
  using Op = std::function<void(TCustomRChart&)>;
  const std::pair<const char*, Op> ops[] = {
      {"SetRange one layer", [](TCustomRChart& c) { c.SetRange(1, 0, 0, 5, 5); }},
      {"SetRange every layer", [](TCustomRChart& c) { c.SetRange(0, 0, 0, 5, 5); }},
      {"ForceRange", [](TCustomRChart& c) { c.ForceRange(2, 0, 0, 5, 5, true, false); }},
      {"ZoomHistory", [](TCustomRChart& c) { c.ZoomHistory(0); }},
      {"SetEqualRange", [](TCustomRChart& c) { c.SetEqualRange({1, 2}); }},
      {"AutoRange one layer", [](TCustomRChart& c) { c.AutoRange(1, 5); }},
      {"AutoRangeYOnly one layer", [](TCustomRChart& c) { c.AutoRangeYOnly(2, 5); }},
      {"StandardLayout", [](TCustomRChart& c) { c.SetStandardLayout(rcl_X2Both_Y2Both); }},
      {"SetBounds", [](TCustomRChart& c) { c.SetBounds(0, 0, 300, 300); }},
      {"settings change", [](TCustomRChart& c) { c.Scale1X()->SetDecPlaces(3); }},
      {"settings date format", [](TCustomRChart& c) { c.Scale2Y()->DateFormat()->SetDateSeparator(u'.'); }},
      {"settings font", [](TCustomRChart& c) { c.Scale1Y()->Font()->SetSize(20); }},
      {"settings copy", [](TCustomRChart& c) {
         TScalePropsVert v;
         c.SetScale1Y(&v);
       }},
  };
  for (const auto& [name, op] : ops) {
    for (bool autoRedraw : {true, false}) {
      TTestChart c;
      c.MarkAt(1, 2, 0);
      c.EnablePainting();
      c.SetAutoRedraw(autoRedraw);
      op(c);
      EXPECT_EQ(c.Paints, 1) << name << (autoRedraw ? " with" : " without") << " AutoRedraw";
      EXPECT_FALSE(c.SuppressPaint()) << name;
    }
  }
}

TEST(RChart, TheAllLayerAutoRangeFollowsTheRepaintRule) {
  for (bool autoRedraw : {true, false}) {
    TTestChart c;
    c.EnablePainting();
    c.SetAutoRedraw(autoRedraw);
    c.AutoRange(0, 5);
    EXPECT_EQ(c.Paints, autoRedraw ? 1 : 0);
  }
}

TEST(RChart, NothingPaintsWhileSuppressed) {
  TTestChart c;  // suppressed from construction
  c.SetRange(0, 0, 0, 5, 5);
  c.SetChartColor(clRed);
  c.Scale1X()->SetCaption(u"t");
  c.SetStandardLayout(rcl_X1Bottom_Y2Both);
  EXPECT_EQ(c.Paints, 0);
  EXPECT_TRUE(c.SuppressPaint());
  c.SetSuppressPaint(false);
  EXPECT_EQ(c.Paints, 1);
  c.SetSuppressPaint(false);  // unchanged: nothing
  c.SetSuppressPaint(true);
  EXPECT_EQ(c.Paints, 1);
}

TEST(RChart, NothingScalesOrPaintsWhileLoadingAndLoadedDoesBothOnce) {
  TTestChart c;
  c.EnablePainting();
  c.BeginLoading();
  c.SetRange(1, 0, 0, 10, 10);
  c.SetChartColor(clRed);
  c.Scale1X()->SetCaption(u"t");
  c.SetLRim(60);
  c.ZoomStateOnStack();
  EXPECT_EQ(c.Paints, 0);
  EXPECT_EQ(c.Kx(1), 210);  // the transform of 0..1 over 210 columns is still in place
  EXPECT_EQ(c.GetZoomStackEntry(1, 0).Right, 1);  // nothing pushed while loading
  EXPECT_TRUE(c.Scale1X()->NotYetLoaded());
  c.EndLoading();
  EXPECT_EQ(c.Paints, 1);
  EXPECT_FALSE(c.Scale1X()->NotYetLoaded());
  EXPECT_FALSE(c.Scale2Y()->NotYetLoaded());
  EXPECT_EQ(c.Kx(1), 20);  // 200 columns for 0..10
  EXPECT_EQ(c.ScaleX(1)->Caption(), u"t");
}

TEST(RChart, ALogarithmicSwitchIsAcceptedAtRunTimeAndThePaintRaisesUntilTheRangeIsPositive) {
  TTestChart c;  // made at run time: never loaded, so the settings take the switch unchecked
  c.Scale1X()->SetLogarithmic(true);  // the range is 0..1: accepted, no error from the setter
  EXPECT_TRUE(c.Scale1X()->Logarithmic());
  EXPECT_TRUE(c.ScaleX(1)->Logarithmic());
  EXPECT_THROW_MSG(c.SetSuppressPaint(false), EQeltaRChartError, "Logarithmic axis must not be negative.");
  EXPECT_FALSE(c.SuppressPaint());
  EXPECT_THROW_MSG(c.AdjustScaling(), EQeltaRChartError, "Logarithmic axis must not be negative.");
  // A range change paints, so it raises too; the change is kept and painting is not left held.
  EXPECT_THROW(c.SetRange(1, 0, 0, 100, 1), EQeltaRChartError);
  EXPECT_EQ(RangesOf(c, 1).xHi, 100);
  EXPECT_FALSE(c.SuppressPaint());
  c.Paints = 0;
  c.SetAutoRedraw(false);
  c.SetRange(1, 1, 0, 100, 1);  // a positive range: the paint goes through
  EXPECT_EQ(c.Paints, 1);
  int x = 0, y = 0;
  c.R2M(1, 10, 0, x, y);
  EXPECT_EQ(x, 155);  // halfway between columns 50 and 260
}

TEST(RChart, ALoadedChartRefusesALogarithmicAxisOnANonPositiveRange) {
  TTestChart c;
  c.BeginLoading();
  c.EndLoading();
  c.Scale1X()->SetLogarithmic(true);
  EXPECT_FALSE(c.Scale1X()->Logarithmic());
  c.SetRange(1, 1, 0, 1000, 1);
  c.Scale1X()->SetLogarithmic(true);
  EXPECT_TRUE(c.Scale1X()->Logarithmic());
}

// --- ticks and texts ---------------------------------------------------------------------------

TEST(RChart, TickPositionsComeFromTheActiveLayersHelperAndMirrorOnADescendingRange) {
  TTestChart c;
  c.SetRange(1, 0, 0, 10, 10);
  TScale* x = c.ScaleX(1);
  x->ForcePaint();  // the helper records its ticks while it draws
  ASSERT_GT(c.TickNumX(), 2);
  EXPECT_EQ(c.TickNumX(), x->NumTicks());
  EXPECT_EQ(c.GetTickPosX(1), x->GetTickPos(1));
  EXPECT_EQ(c.GetTickPosX(0), 0);
  EXPECT_EQ(c.GetTickPosX(c.TickNumX() + 1), 0);
  c.Scale1X()->SetRangeLow(20);  // now 20..10: counted from the other end
  x->ForcePaint();
  EXPECT_EQ(c.GetTickPosX(1), x->GetTickPos(x->NumTicks()));
  c.SetActiveLayer(2);
  EXPECT_EQ(c.TickNumX(), c.ScaleX(2)->NumTicks());
}

TEST(RChart, UserTextsAndInscriptionsFollowTheAxisScale) {
  struct Case {
    int index;
    const char16_t* part;
  };
  for (const Case& k : {Case{2, u"b"}, Case{4, u"c"}, Case{0, u""}, Case{1, u"a"}})
    EXPECT_EQ(TCustomRChart::ExtractUserText(u"a|b|c", k.index), k.part) << k.index;
  EXPECT_EQ(TCustomRChart::AddScaleInscription(u"5", u"$&k"), u"$5k");
  EXPECT_EQ(TCustomRChart::AddScaleInscription(u"5", u" V"), u" V5");
  EXPECT_EQ(TCustomRChart::AddScaleInscription(u"", u"$&k"), u"");
}

TEST(RChart, RelaysFireTheirEventsWithTheChartAsSender) {
  TTestChart c;
  int ticks = 0;
  TObject* sender = nullptr;
  c.OnScaleTickDrawn = [&](TObject* s, TCanvas*, TScaleType, double, int, int) {
    sender = s;
    ++ticks;
  };
  c.OnBeforeTickLabel = [](TObject*, TScaleType, double, String& text) { text.insert(0, 1, u'#'); };
  c.ScaleX(1)->ForcePaint();
  EXPECT_GT(ticks, 0);
  EXPECT_EQ(sender, &c);
}
