// The 30 text labels of a chart: filling them from a template or the defaults, the first free one,
// hiding and clearing, the index error, and how a label is drawn (position by attach mode, lines,
// alignment, the four looks, label 1 on top).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Assertions.h"
#include "RChartTesting.h"

using namespace qelta;
using qelta::testing::TraceOf;
using qelta::testing::TTestChart;

// --- filling --------------------------------------------------------------------------------

TEST(RChartLabels, AddTextLabelFillsTheFirstFreeLabelAndAHiddenOneIsNotFree) {
  TTestChart c;
  EXPECT_EQ(c.AddTextLabel(1, 2, clRed, u"one", 0), 1);
  c.GetFTextLabel(1)->SetVisible(false);
  EXPECT_EQ(c.AddTextLabel(1, 2, clRed, u"two", 0), 2);
  c.GetFTextLabel(1)->SetMode(tlOff);
  EXPECT_EQ(c.AddTextLabel(1, 2, clRed, u"again", 0), 1);
  EXPECT_EQ(c.GetFTextLabel(1)->Caption(), u"again");
}

TEST(RChartLabels, WithAllThirtyInUseAddTextLabelAnswersZeroAndChangesNothing) {
  TTestChart c;
  for (int i = 1; i <= 30; ++i) ASSERT_EQ(c.AddTextLabel(i, i, clRed, u"x", 0), i);
  c.EnablePainting();
  EXPECT_EQ(c.AddTextLabel(99, 99, clBlue, u"none", 0), 0);
  for (int i = 1; i <= 30; ++i) {
    EXPECT_EQ(c.GetFTextLabel(i)->Caption(), u"x");
    EXPECT_EQ(c.GetFTextLabel(i)->PosX(), i);
  }
  EXPECT_EQ(c.Paints, 0);
}

TEST(RChartLabels, WithoutATemplateALabelTakesTheDefaultsAndKeepsItsVerticalAlignmentAndFont) {
  TTestChart c;
  c.SetChartColor(clYellow);
  c.SetChartFrameColor(clNavy);
  c.SetActiveLayer(2);
  TTextLabel* l = c.GetFTextLabel(4);
  l->SetVerticalAlignment(vaTop);
  l->Font()->SetSize(15);
  l->SetAttachToData(tlamNone);
  for (int t : {0, 31, -1}) {
    c.SetTextLabel(4, 1.5, 2.5, clRed, u"four", t);
    EXPECT_EQ(l->PosX(), 1.5);
    EXPECT_EQ(l->PosY(), 2.5);
    EXPECT_EQ(l->Layer(), 2);
    EXPECT_EQ(l->AttachToData(), tlamBoth);
    EXPECT_EQ(l->Alignment(), taCenter);
    EXPECT_EQ((std::vector<int>{l->ShadowDx(), l->ShadowDy()}), (std::vector<int>{0, 0}));
    EXPECT_EQ((std::vector<TColor>{l->ColorShadow(), l->ColorBkg(), l->ColorBorder(), l->Font()->Color()}),
              (std::vector<TColor>{clGray, clYellow, clNavy, clRed}));
    EXPECT_FALSE(l->Transparent());
    EXPECT_EQ(l->Mode(), tlsimple);
    EXPECT_TRUE(l->Visible());
    EXPECT_EQ(l->Caption(), u"four");
    EXPECT_EQ(l->VerticalAlignment(), vaTop);
    EXPECT_EQ(l->Font()->Size(), 15);
  }
}

TEST(RChartLabels, ATemplateGivesItsStyleButNotItsCaptionPositionOrFont) {
  TTestChart c;
  TTextLabel* t = c.GetFTextLabel(5);
  t->SetAttachToData(tlamXOnly);
  t->SetAlignment(taRightJustify);
  t->SetShadowDx(6);
  t->SetShadowDy(-2);
  t->SetColorShadow(clMaroon);
  t->SetColorBkg(clAqua);
  t->SetColorBorder(clGreen);
  t->SetTransparent(true);
  t->SetMode(tlShadow);
  t->SetCaption(u"five");
  t->SetPosX(55);
  t->Font()->SetSize(20);
  c.SetTextLabel(7, 1, 2, clBlue, u"seven", 5);
  const TTextLabel* l = c.GetFTextLabel(7);
  EXPECT_EQ(l->AttachToData(), tlamXOnly);
  EXPECT_EQ(l->Alignment(), taRightJustify);
  EXPECT_EQ((std::vector<int>{l->ShadowDx(), l->ShadowDy()}), (std::vector<int>{6, -2}));
  EXPECT_EQ((std::vector<TColor>{l->ColorShadow(), l->ColorBkg(), l->ColorBorder()}),
            (std::vector<TColor>{clMaroon, clAqua, clGreen}));
  EXPECT_TRUE(l->Transparent());
  EXPECT_EQ(l->Mode(), tlShadow);
  EXPECT_EQ(l->Caption(), u"seven");
  EXPECT_EQ(l->PosX(), 1);
  EXPECT_NE(l->Font()->Size(), 20);
  EXPECT_EQ(l->Font()->Color(), clBlue);
  // A free template gives its style with the look tlsimple; a label can be its own template.
  t->SetMode(tlOff);
  c.SetTextLabel(8, 1, 2, clBlue, u"eight", 5);
  EXPECT_EQ(c.GetFTextLabel(8)->Mode(), tlsimple);
  EXPECT_EQ(c.GetFTextLabel(8)->ColorBkg(), clAqua);
  c.SetTextLabel(7, 3, 4, clBlue, u"seven again", 7);
  EXPECT_EQ(l->Mode(), tlShadow);
  EXPECT_EQ(l->ColorBkg(), clAqua);
}

TEST(RChartLabels, FillingALabelAppliesTheRepaintRuleOnce) {
  TTestChart c;
  c.EnablePainting();
  c.AddTextLabel(1, 2, clRed, u"one", 3);
  EXPECT_EQ(c.Paints, 1);
  c.SetTextLabel(9, 1, 2, clRed, u"nine", 0);
  EXPECT_EQ(c.Paints, 2);
  c.SetTextLabel(0, 1, 2, clRed, u"none", 0);
  c.SetTextLabel(31, 1, 2, clRed, u"none", 0);
  EXPECT_EQ(c.Paints, 2);
  c.SetAutoRedraw(false);
  c.AddTextLabel(1, 2, clRed, u"quiet", 0);
  EXPECT_EQ(c.Paints, 2);
  // The label still notifies for single changes afterwards.
  c.SetAutoRedraw(true);
  c.GetFTextLabel(1)->SetPosX(5);
  EXPECT_EQ(c.Paints, 3);
}

TEST(RChartLabels, HidingOrClearingAllLabelsPaintsOnceWhenPaintingIsOn) {
  TTestChart c;
  for (int i = 0; i < 5; ++i) c.AddTextLabel(i, i, clRed, u"x", 0);
  c.HideAllTextLabels();
  EXPECT_EQ(c.Paints, 0);
  c.EnablePainting();
  c.SetAutoRedraw(false);
  c.HideAllTextLabels();
  EXPECT_EQ(c.Paints, 1);
  for (int i = 1; i <= 30; ++i) EXPECT_FALSE(c.GetFTextLabel(i)->Visible());
  EXPECT_EQ(c.GetFTextLabel(3)->Mode(), tlsimple);
  c.ClearAllTextLabels();
  EXPECT_EQ(c.Paints, 2);
  for (int i = 1; i <= 30; ++i) EXPECT_EQ(c.GetFTextLabel(i)->Mode(), tlOff);
}

TEST(RChartLabels, AnIndexOutsideOneToThirtyRaisesWithTheChartsName) {
  TTestChart c;
  c.SetName(u"Chart5");
  const char* message = "Component \"Chart5\": invalid index into TextLabel array";
  EXPECT_THROW_MSG(c.GetFTextLabel(0), EQeltaRChartError, message);
  EXPECT_THROW_MSG(c.GetFTextLabel(31), EQeltaRChartError, message);
  TTextLabel model;
  EXPECT_THROW_MSG(c.SetFTextLabel(-1, &model), EQeltaRChartError, message);
}

TEST(RChartLabels, SetFTextLabelCopiesWithOneRepaint) {
  TTestChart c;
  c.EnablePainting();
  TTextLabel model;
  model.SetCaption(u"copied");
  model.SetMode(tlBox);
  model.Font()->SetSize(17);
  c.SetFTextLabel(12, &model);
  const TTextLabel* l = c.GetFTextLabel(12);
  EXPECT_EQ(l->Caption(), u"copied");
  EXPECT_EQ(l->Mode(), tlBox);
  EXPECT_EQ(l->Font()->Size(), 17);
  EXPECT_TRUE(static_cast<bool>(l->OnChange));
  EXPECT_EQ(c.Paints, 1);
}

// --- drawing --------------------------------------------------------------------------------

namespace {

// Layer 1 maps one unit to one pixel: chart (x, y) lies on control pixel (50 + x, 160 - y), data
// picture pixel (x, 140 - y).
class RChartLabelDraw : public ::testing::Test {
 protected:
  RChartLabelDraw() { c.SetRange(1, 0, 0, 210, 140); }
  TTextLabel* Put(int index, double x, double y, const String& text, TTxtLblAttachMode attach = tlamNone) {
    c.SetTextLabel(index, x, y, clBlack, text, 0);
    TTextLabel* l = c.GetFTextLabel(index);
    l->SetAttachToData(attach);
    return l;
  }
  TCanvasTrace Draw() {
    TCanvas* g = c.GrafBmp()->Canvas();
    return TraceOf(g, [&] { c.DrawTextLabels(g, 0, 0); });
  }
  int Width(const TTextLabel& l, const String& text) {
    TBitmap probe(10, 10);
    probe.Canvas()->SetFont(l.Font());
    return probe.Canvas()->TextWidth(text);
  }
  int Height(const TTextLabel& l) {
    TBitmap probe(10, 10);
    probe.Canvas()->SetFont(l.Font());
    return probe.Canvas()->TextHeight(u"X");
  }

  TTestChart c;
};

struct TAttachCase {
  TTxtLblAttachMode attach;
  int px, py;  // control pixel of the label's point at (100.5, 70)
};

}  // namespace

TEST_F(RChartLabelDraw, TheAttachModeChoosesPixelsOrChartUnitsPerAxis) {
  const TAttachCase cases[] = {
      {tlamNone, 100, 70}, {tlamXOnly, 150, 70}, {tlamYOnly, 100, 90}, {tlamBoth, 150, 90}};
  for (const TAttachCase& k : cases) {
    TTextLabel* l = Put(1, 100.5, 70, u"p", k.attach);
    l->SetAlignment(taLeftJustify);
    const std::vector<TCanvasTraceRecord> text = Draw().Find("TextOut");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Args, (std::vector<int64_t>{k.px - 50, k.py - Height(*l) - 20})) << int(k.attach);
  }
}

TEST_F(RChartLabelDraw, AThreeLineCaptionWithVaBottomEndsAtTheLabelsPoint) {
  TTextLabel* l = Put(1, 120, 100, u"first\nsecond line\nend");
  l->SetAlignment(taRightJustify);
  const std::vector<TCanvasTraceRecord> text = Draw().Find("TextOut");
  ASSERT_EQ(text.size(), 3u);
  const int v = Height(*l);
  EXPECT_EQ(text[2].Text, u"end");
  EXPECT_EQ(text[2].Args[1] + v, 100 - 20);  // the last line's bottom on the point's row
  EXPECT_EQ(text[1].Args[1] + v, text[2].Args[1]);
  EXPECT_EQ(text[0].Args[1] + v, text[1].Args[1]);
  for (int k = 0; k < 3; ++k)  // right aligned: every line ends at the point's column
    EXPECT_EQ(text[k].Args[0] + Width(*l, text[k].Text), 120 - 50) << k;
}

TEST_F(RChartLabelDraw, VerticalAndHorizontalAlignmentMoveTheBlock) {
  TTextLabel* l = Put(1, 120, 100, u"ab\nc");
  const int v = Height(*l), u = Width(*l, u"ab");
  l->SetVerticalAlignment(vaTop);
  EXPECT_EQ(Draw().Find("TextOut")[0].Args, (std::vector<int64_t>{120 - u / 2 - 50, 100 - 20}));
  l->SetVerticalAlignment(vaCenter);
  l->SetAlignment(taLeftJustify);
  EXPECT_EQ(Draw().Find("TextOut")[0].Args, (std::vector<int64_t>{120 - 50, 100 + v - 2 * v - 20}));
  l->SetAlignment(taCenter);
  EXPECT_EQ(Draw().Find("TextOut")[1].Args[0], 120 - u / 2 - 50 + (u - Width(*l, u"c")) / 2);
}

namespace {

struct TLookCase {
  TTxtLblMode mode;
  bool transparent;
  int boxes;
  bool underline;
};

}  // namespace

TEST_F(RChartLabelDraw, TheFourLooksDrawTheirBoxesLinesAndShadows) {
  const TLookCase looks[] = {{tlsimple, false, 1, false}, {tlsimple, true, 0, false}, {tlBox, false, 1, false},
                             {tlBox, true, 1, false},     {tlUnderline, false, 1, true}, {tlUnderline, true, 0, true},
                             {tlShadow, false, 2, false}};
  for (const TLookCase& k : looks) {
    TTextLabel* l = Put(1, 100, 100, u"look");
    l->SetAlignment(taLeftJustify);
    l->SetMode(k.mode);
    l->SetTransparent(k.transparent);
    l->SetShadowDx(5);
    l->SetShadowDy(3);
    const TCanvasTrace t = Draw();
    const int v = Height(*l), u = Width(*l, u"look");
    const std::vector<int64_t> box = {100 - 50 - 4, 100 - v - 20 - 2, 100 + u - 50 + 4, 100 - 20 + 2};
    const std::vector<TCanvasTraceRecord> rects = t.Find("Rectangle");
    ASSERT_EQ(static_cast<int>(rects.size()), k.boxes) << int(k.mode) << " " << k.transparent;
    if (k.boxes > 0) {
      EXPECT_EQ(rects.back().Args, box);
    }
    if (k.boxes == 2) {
      EXPECT_EQ(rects[0].Args, (std::vector<int64_t>{box[0] + 5, box[1] + 3, box[2] + 5, box[3] + 3}));
    }
    EXPECT_EQ(t.Count("LineTo"), k.underline ? 1 : 0);
    if (k.underline) {
      EXPECT_EQ(t.Find("LineTo")[0].Args, (std::vector<int64_t>{100 + u - 50, 80}));
    }
  }
}

TEST_F(RChartLabelDraw, LabelsAreDrawnThirtyDownToOneSoLabelOneIsOnTop) {
  Put(1, 100, 100, u"one");
  Put(2, 102, 101, u"two");
  Put(30, 104, 102, u"thirty");
  const std::vector<TCanvasTraceRecord> text = Draw().Find("TextOut");
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ((std::vector<String>{text[0].Text, text[1].Text, text[2].Text}),
            (std::vector<String>{u"thirty", u"two", u"one"}));
}

TEST_F(RChartLabelDraw, FreeHiddenAndOffLayerLabelsAreNotDrawn) {
  Put(1, 100, 100, u"drawn");
  Put(2, 100, 100, u"hidden")->SetVisible(false);
  Put(3, 100, 100, u"free")->SetMode(tlOff);
  Put(4, 100, 100, u"layer 2")->SetLayer(2);
  Put(5, 100, 100, u"layer 9")->SetLayer(9);
  c.SetLayerVisib(2, false);
  const std::vector<TCanvasTraceRecord> text = Draw().Find("TextOut");
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].Text, u"drawn");
}

TEST_F(RChartLabelDraw, AFarAwayPointIsKeptTo30000BeforeOffsetsAreAdded) {
  // Regression: offsets were added to pixels up to 2147483647 in 32 bits.
  TTextLabel* l = Put(1, 2e9, -1e300, u"far");
  l->SetAlignment(taLeftJustify);
  l->SetVerticalAlignment(vaTop);
  TCanvas* g = c.GrafBmp()->Canvas();
  const TCanvasTrace t = TraceOf(g, [&] { c.DrawTextLabels(g, 2147483000, -2147483000); });
  ASSERT_EQ(t.Count("TextOut"), 1);
  EXPECT_EQ(t.Find("TextOut")[0].Args, (std::vector<int64_t>{30000 - 50, -30000 + Height(*l) - Height(*l) - 20}));
  Put(1, std::nan(""), 1e300, u"nowhere", tlamBoth);
  EXPECT_EQ(Draw().Count("TextOut"), 1);
}
