// The box plot: construction, the figures as items, columns without numbers, labels, orientation,
// AutoRange, the setters, outside tables, the text dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Forms.h"
#include "Qelta_boxplot.h"
#include "Qelta_stringl.h"
#include "Random.h"
#include "Testing.h"

using namespace qelta;

namespace {

// A box plot that counts its paints; painting is allowed (as on a shown form) by Enable.
class TTestBoxPlot : public TBoxPlot {
 public:
  explicit TTestBoxPlot(TComponent* AOwner = nullptr) : TBoxPlot(AOwner) {}
  int Paints = 0;
  void Enable() {
    SetSuppressPaint(false);
    Paints = 0;
  }

 protected:
  void Paint() override {
    if (PaintAllowed()) ++Paints;
    TBoxPlot::Paint();
  }
};

// The items of one kind, in list order.
std::vector<TrcChartItem> ItemsOf(const TCustomRChart& c, TrcItem kind) {
  std::vector<TrcChartItem> out;
  for (int i = 0; i < c.NumItems(); ++i)
    if (c.GetChartItem(i).ItemKind == kind) out.push_back(c.GetChartItem(i));
  return out;
}

// Fills column c with the values (rows beyond them become empty cells), painting held meanwhile.
void Fill(TBoxPlot& p, int c, const std::vector<double>& values) {
  const bool held = p.SuppressPaint();
  p.SetSuppressPaint(true);
  if (p.Data->NrOfColumns() < c) p.Data->SetNrCols(c);
  if (p.Data->NrOfRows() < static_cast<int>(values.size())) p.Data->SetNrRows(static_cast<int>(values.size()));
  for (int r = 1; r <= p.Data->NrOfRows(); ++r) {
    const bool has = r <= static_cast<int>(values.size());
    p.Data->SetElem(c, r, has ? values[static_cast<size_t>(r - 1)] : 0);
    p.Data->SetCellState(c, r, has ? 0 : csEmpty);
  }
  p.SetSuppressPaint(held);
}

// Quartiles of a column as the table gives them.
struct TQuarts {
  double q1, q2, q3;
};
TQuarts QuartsOf(const TDataTable& t, int c) {
  TQuarts q{};
  int n = 0;
  t.QuartilesOfNumCells(c, 1, c, t.NrOfRows(), q.q1, q.q2, q.q3, n);
  return q;
}

}  // namespace

// --- construction ------------------------------------------------------------------------------

TEST(TBoxPlot, ANewPlotWithoutAWindowStaysSuppressedAndBuildsNoItems) {
  TBoxPlot p(nullptr);
  EXPECT_TRUE(p.SuppressPaint());
  EXPECT_EQ(p.NumItems(), 0);
  ASSERT_NE(p.Data, nullptr);
  EXPECT_EQ(p.Data->NrOfColumns(), 1);
  EXPECT_EQ(p.Data->NrOfRows(), 100);
  EXPECT_EQ(p.Caption(), u"BoxPlot");
  EXPECT_EQ(p.BRim(), 24);
  EXPECT_FALSE(p.Scale1X()->Visible());
  EXPECT_EQ(p.Scale1X()->RangeLow(), 0.0);
  EXPECT_EQ(p.Scale1X()->RangeHigh(), 2.0);
  EXPECT_EQ(p.Scale1Y()->RangeLow(), -1.0);
  EXPECT_EQ(p.Scale1Y()->RangeHigh(), 1.0);
  EXPECT_EQ(p.Orientation(), bpltVertical);
  EXPECT_EQ(p.BoxWidth(), 0.5);
  EXPECT_EQ(p.SymbolMin(), 26);
  EXPECT_EQ(p.SymbolMax(), 26);
  EXPECT_EQ(p.SymbolMean(), 5);
  EXPECT_EQ(p.SymbolMedian(), 0);
  EXPECT_EQ(p.Symbol90Perc(), 0);
  EXPECT_EQ(p.ColorBody(), TColor(0xE9E9E9));
  EXPECT_EQ(p.ColorMean(), clBlue);
  EXPECT_FALSE(p.Show90Perc());
  EXPECT_TRUE(p.ShowMedian() && p.ShowMean() && p.ShowMinMax());
  EXPECT_EQ(p.GridStyle(), bpgsNone);
  const TBoxPlotLabel& t = *p.Labels();
  EXPECT_EQ(t.Position(), 8);
  EXPECT_EQ(t.ColorBkg(), clSilver);
  EXPECT_EQ(t.ColorShadow(), clGray);
  EXPECT_EQ(t.ShadowDx(), 3);
  EXPECT_EQ(t.ShadowDy(), 2);
  const TTextLabel& first = *p.GetFTextLabel(1);
  EXPECT_EQ(first.PosX(), 1.0);
  EXPECT_EQ(first.AttachToData(), tlamXOnly);
  EXPECT_EQ(first.ColorBkg(), clSilver);
  EXPECT_EQ(first.Caption(), u"C-1");
  EXPECT_EQ(p.GetFTextLabel(30)->PosX(), 30.0);
}

TEST(TBoxPlot, ANewPlotOnAShownFormShowsOneVerticalBoxBetweenXZeroAndTwo) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 240);
  auto* p = new TBoxPlot(&form);
  p->SetParent(&form);
  p->SetBounds(10, 10, 280, 200);
  EXPECT_EQ(p->NumItems(), 0);
  user.Show(&form);
  EXPECT_FALSE(p->SuppressPaint());
  const auto rects = ItemsOf(*p, tkRect);
  ASSERT_EQ(rects.size(), 1u);
  const TQuarts q = QuartsOf(*p->Data, 1);
  EXPECT_EQ(rects[0].x, 0.75);
  EXPECT_EQ(rects[0].x2, 1.25);
  EXPECT_EQ(rects[0].y, q.q1);
  EXPECT_EQ(rects[0].y2, q.q3);
  EXPECT_EQ(rects[0].FillColor, TColor(0xE9E9E9));
  EXPECT_EQ(p->GetItemCount(tkLine), 3);    // two whiskers and the median
  EXPECT_EQ(p->GetItemCount(tkMarkAt), 3);  // minimum, maximum, mean
  EXPECT_TRUE(p->GetFTextLabel(1)->Visible());
  EXPECT_EQ(p->GetFTextLabel(1)->Mode(), tlsimple);
  EXPECT_FALSE(p->GetFTextLabel(2)->Visible());
  // The box is drawn in its body colour in the middle of the control.
  const auto shot = user.Grab(p);
  int x = 0, y = 0;
  p->R2M(1, 1.1, (q.q1 + q.q3) / 2, x, y);
  EXPECT_EQ(shot->Canvas()->Pixels(x, y), TColor(0xE9E9E9));
}

// --- figures -----------------------------------------------------------------------------------

TEST(TBoxPlot, AFigureIsDrawnFromTheColumnStatistics) {
  TTestBoxPlot p;
  Fill(p, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  p.SetShow90Perc(true);
  p.Enable();
  const TQuarts q = QuartsOf(*p.Data, 1);
  int n = 0;
  const double p10 = p.Data->PercentileOfNumCells(10, 1, 1, 1, 9, n),
               p90 = p.Data->PercentileOfNumCells(90, 1, 1, 1, 9, n);
  const auto lines = ItemsOf(p, tkLine);
  ASSERT_EQ(lines.size(), 2u + 2u + 1u);  // whiskers, percentile ticks, median
  EXPECT_EQ(lines[0].y, q.q1);
  EXPECT_EQ(lines[0].y2, 1.0);
  EXPECT_EQ(lines[0].Color, clBlack);
  EXPECT_EQ(lines[1].y, q.q3);
  EXPECT_EQ(lines[1].y2, 9.0);
  // Percentile ticks a quarter of the box width to each side, in the percentile colour.
  EXPECT_EQ(lines[2].x, 1 - 0.125);
  EXPECT_EQ(lines[2].x2, 1 + 0.125);
  EXPECT_EQ(lines[2].y, p10);
  EXPECT_EQ(lines[3].y, p90);
  EXPECT_EQ(lines[3].Color, clBlue);
  EXPECT_EQ(lines[4].y, q.q2);  // the median across the whole box
  EXPECT_EQ(lines[4].x, 0.75);
  const auto marks = ItemsOf(p, tkMarkAt);
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[0].y, 1.0);
  EXPECT_EQ(marks[0].MarkOrAlign, 26);
  EXPECT_EQ(marks[1].y, 9.0);
  EXPECT_EQ(marks[2].y, 5.0);  // the mean
  EXPECT_EQ(marks[2].MarkOrAlign, 5);
  EXPECT_EQ(marks[2].Color, clBlue);
}

TEST(TBoxPlot, Symbol90PercZeroDrawsTicksAndFiveDrawsMarks) {
  TTestBoxPlot p;
  p.SetShow90Perc(true);
  p.SetShowMean(false);
  p.SetShowMinMax(false);
  p.Enable();
  EXPECT_EQ(p.GetItemCount(tkMarkAt), 0);
  EXPECT_EQ(p.GetItemCount(tkLine), 2 + 2 + 1);
  p.SetFPerc90Mark(5);
  const auto marks = ItemsOf(p, tkMarkAt);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].MarkOrAlign, 5);
  EXPECT_EQ(marks[1].MarkOrAlign, 5);
  EXPECT_EQ(marks[0].x, 1.0);
  EXPECT_EQ(p.GetItemCount(tkLine), 2 + 1);
  p.SetFPerc90Mark(52);  // above 51: ignored
  EXPECT_EQ(p.Symbol90Perc(), 5);
  p.SetFMedianMark(12);
  EXPECT_EQ(p.GetItemCount(tkLine), 2);
  EXPECT_EQ(p.GetItemCount(tkMarkAt), 3);
}

TEST(TBoxPlot, AColumnWithoutNumericCellsGetsNoFigureButKeepsItsLabel) {
  for (const TBoxPlotOrientation o : {bpltVertical, bpltHorizontal}) {
    TTestBoxPlot p;
    p.SetOrientation(o);
    Fill(p, 1, {1, 2, 3});
    Fill(p, 2, {});  // every cell empty
    Fill(p, 3, {4, 5, 6});
    Fill(p, 4, {7, 8, 9});
    p.Data->SetMScaleType(4, stNominal);  // numbers, but not numeric
    p.Data->SetColName(2, "empty");
    p.Enable();
    const auto rects = ItemsOf(p, tkRect);
    ASSERT_EQ(rects.size(), 2u) << o;
    EXPECT_EQ(o == bpltVertical ? rects[1].x : rects[1].y, 2.75) << o;
    for (int i = 1; i <= 4; ++i) EXPECT_TRUE(p.GetFTextLabel(i)->Visible()) << o << " " << i;
    EXPECT_EQ(p.GetFTextLabel(2)->Caption(), u"empty");
    EXPECT_FALSE(p.GetFTextLabel(5)->Visible());
  }
}

TEST(TBoxPlot, BoxWidthIsKeptBetweenZeroAndOne) {
  TTestBoxPlot p;
  p.Enable();
  const struct { double in, stored; } cases[] = {{2, 1}, {-0.5, 0}, {0.3, 0.3}, {NAN, 0.3}};
  for (const auto& c : cases) {
    p.SetBoxWidth(c.in);
    EXPECT_EQ(p.BoxWidth(), c.stored) << c.in;
    const auto rects = ItemsOf(p, tkRect);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_DOUBLE_EQ(rects[0].x2 - rects[0].x, c.stored) << c.in;
  }
}

TEST(TBoxPlot, FortyColumnsGiveThirtyLabelsAndFortyFigures) {
  TTestBoxPlot p;
  p.SetSuppressPaint(true);
  p.Data->Resize(40, 10);
  p.Data->NumericData->FillRandomUniform(0, 1);
  p.Enable();
  EXPECT_EQ(p.GetItemCount(tkRect), 40);
  for (int i = 1; i <= 30; ++i) {
    const TTextLabel& L = *p.GetFTextLabel(i);
    EXPECT_TRUE(L.Visible()) << i;
    EXPECT_EQ(L.Caption(), u"C-" + IntToStr(i));
    EXPECT_EQ(L.PosX(), i);
  }
  EXPECT_EQ(ItemsOf(p, tkRect).back().x, 40 - 0.25);
}

TEST(TBoxPlot, OnBeforeBoxDrawColoursOneBox) {
  TTestBoxPlot p;
  p.SetSuppressPaint(true);
  p.Data->Resize(3, 10);
  p.Data->NumericData->FillRandomUniform(0, 1);
  std::vector<int> columns;
  p.OnBeforeBoxDraw = [&](TObject*, int Column, TColor&, TColor& Body, TColor&, TColor&, TColor& Mean, TColor&) {
    columns.push_back(Column);
    if (Column == 2) {
      Body = clRed;
      Mean = clLime;
    }
  };
  p.Enable();
  EXPECT_EQ(columns, (std::vector<int>{1, 2, 3}));
  const auto rects = ItemsOf(p, tkRect);
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0].FillColor, TColor(0xE9E9E9));
  EXPECT_EQ(rects[1].FillColor, clRed);
  EXPECT_EQ(rects[2].FillColor, TColor(0xE9E9E9));
  const auto marks = ItemsOf(p, tkMarkAt);
  EXPECT_EQ(marks[5].Color, clLime);  // the mean of column 2
  EXPECT_EQ(marks[8].Color, clBlue);
}

TEST(TBoxPlot, TheGridRunsAcrossTheValueAxis) {
  const struct {
    TBoxPlotOrientation o;
    TBoxPlotGridStyle g;
    GridStyleType chart;
  } cases[] = {{bpltVertical, bpgsNone, gsNone},
               {bpltVertical, bpgsLines, gsHorizLines},
               {bpltVertical, bpgsDotLines, gsHorizDotLines},
               {bpltHorizontal, bpgsLines, gsVertLines},
               {bpltHorizontal, bpgsDotLines, gsVertDotLines}};
  for (const auto& c : cases) {
    TTestBoxPlot p;
    p.Enable();
    p.SetOrientation(c.o);
    p.SetGridStyle(c.g);
    EXPECT_EQ(p.TCustomRChart::GridStyle(), c.chart) << c.o << " " << c.g;
  }
}

// --- labels and orientation --------------------------------------------------------------------

TEST(TBoxPlot, SetOrientationExchangesTheAxesAndPlacesTheLabels) {
  TTestBoxPlot p;
  p.SetBounds(0, 0, 300, 220);
  p.Enable();
  p.SetRange(0, -3, 2, 3);
  p.SetOrientation(bpltHorizontal);
  EXPECT_EQ(p.Scale1X()->RangeLow(), -3.0);
  EXPECT_EQ(p.Scale1X()->RangeHigh(), 3.0);
  EXPECT_EQ(p.Scale1Y()->RangeLow(), 0.0);
  EXPECT_EQ(p.Scale1Y()->RangeHigh(), 2.0);
  EXPECT_TRUE(p.Scale1X()->Visible());
  EXPECT_FALSE(p.Scale1Y()->Visible());
  const TTextLabel& L = *p.GetFTextLabel(1);
  EXPECT_EQ(L.PosX(), 300 - 8 - p.RRim());
  EXPECT_EQ(L.PosY(), 1.0);
  EXPECT_EQ(L.Alignment(), taRightJustify);
  EXPECT_EQ(L.AttachToData(), tlamYOnly);
  EXPECT_EQ(L.VerticalAlignment(), vaCenter);
  EXPECT_EQ(ItemsOf(p, tkRect)[0].y, 0.75);
  p.Labels()->SetFLabelPos(-5);  // measured from the left edge
  EXPECT_EQ(L.PosX(), p.LRim() + 5);
  EXPECT_EQ(L.Alignment(), taLeftJustify);
  p.SetOrientation(bpltVertical);
  EXPECT_EQ(L.PosY(), p.TRim() + 5);
  EXPECT_EQ(L.VerticalAlignment(), vaTop);
  EXPECT_EQ(L.AttachToData(), tlamXOnly);
  EXPECT_EQ(L.Alignment(), taCenter);
  EXPECT_FALSE(p.Scale1X()->Visible());
  EXPECT_TRUE(p.Scale1Y()->Visible());
  p.Labels()->SetFLabelPos(8);
  p.SetBounds(0, 0, 300, 260);  // a new size places the labels again
  EXPECT_EQ(L.PosY(), 260 - 8 - p.BRim());
}

TEST(TBoxPlot, SetFLabelsCopiesTheHostsTemplate) {
  // Regression: the plot stored the host's object in place of its own template (the own one
  // leaked, the host's was freed twice later and its changes no longer reached the plot).
  TTestBoxPlot p;
  p.Enable();
  TBoxPlotLabel* own = p.Labels();
  {
    TBoxPlotLabel host;
    host.SetFLabelPos(20);
    host.SetColorBkg(clYellow);
    host.SetMode(tlBox);
    p.SetFLabels(&host);
    EXPECT_EQ(p.Labels(), own);
    EXPECT_EQ(own->Position(), 20);
    EXPECT_EQ(p.GetFTextLabel(1)->ColorBkg(), clYellow);
    EXPECT_EQ(p.GetFTextLabel(1)->Mode(), tlBox);
    EXPECT_EQ(p.GetFTextLabel(1)->PosY(), p.Height() - 20 - p.BRim());
    host.SetColorBkg(clRed);  // the host's object stays its own
  }
  EXPECT_EQ(p.GetFTextLabel(1)->ColorBkg(), clYellow);
  own->SetColorBkg(clAqua);  // the own template still reaches the plot
  EXPECT_EQ(p.GetFTextLabel(1)->ColorBkg(), clAqua);
}

TEST(TBoxPlot, RestoringPaintRebuildsOnceWithoutRecursion) {
  // Regression: CreateChart gave painting back through the plot's SetSuppressPaint, which ran
  // DataChanged and CreateChart again without end.
  TTestBoxPlot p;
  p.Enable();
  EXPECT_EQ(p.GetItemCount(tkRect), 1);
  p.Paints = 0;
  p.CreateChart();
  EXPECT_EQ(p.Paints, 1);
  p.Paints = 0;
  p.SetColorBody(clRed);
  EXPECT_EQ(p.Paints, 1);
  EXPECT_EQ(ItemsOf(p, tkRect)[0].FillColor, clRed);
}

TEST(TBoxPlot, EverySetElemRebuildsThePlotUnlessPaintingIsHeld) {
  TTestBoxPlot p;
  p.Enable();
  p.Data->SetElem(1, 1, 1000);  // the table's OnChange fires twice (through its matrix)
  EXPECT_EQ(p.Paints, 2);
  EXPECT_EQ(ItemsOf(p, tkMarkAt)[1].y, 1000.0);  // the new maximum
  p.Paints = 0;
  p.SetSuppressPaint(true);
  for (int r = 1; r <= 100; ++r) p.Data->SetElem(1, r, r);
  EXPECT_EQ(p.Paints, 0);
  EXPECT_EQ(ItemsOf(p, tkMarkAt)[1].y, 1000.0);
  p.SetSuppressPaint(false);
  EXPECT_EQ(p.Paints, 1);
  EXPECT_EQ(ItemsOf(p, tkMarkAt)[1].y, 100.0);
}

// --- AutoRange ---------------------------------------------------------------------------------

TEST(TBoxPlot, AutoRangeFitsTheValuesOnTheValueAxis) {
  for (const TBoxPlotOrientation o : {bpltVertical, bpltHorizontal}) {
    TTestBoxPlot p;
    p.SetOrientation(o);
    Fill(p, 1, {10, 12, 14});
    Fill(p, 2, {});  // no numeric cells: its extremes do not count
    Fill(p, 3, {15, 20});
    p.Enable();
    p.AutoRange(10);
    const TScaleProps& values = o == bpltVertical ? static_cast<const TScaleProps&>(*p.Scale1Y()) : *p.Scale1X();
    const TScaleProps& category = o == bpltVertical ? static_cast<const TScaleProps&>(*p.Scale1X()) : *p.Scale1Y();
    // Regression (horizontal): the value range went to y whatever the orientation.
    EXPECT_EQ(values.RangeLow(), 9.0) << o;
    EXPECT_EQ(values.RangeHigh(), 21.0) << o;
    EXPECT_EQ(category.RangeLow(), 0.0) << o;
    EXPECT_EQ(category.RangeHigh(), 4.0) << o;
  }
}

// --- outside tables ----------------------------------------------------------------------------

TEST(TBoxPlot, AnOutsideTableIsUsedHookedAndNeverFreed) {
  auto table = std::make_unique<TDataTable>(nullptr);
  table->Resize(2, 5);
  table->NumericData->FillRandomUniform(0, 1);
  {
    TTestBoxPlot p;
    p.Enable();
    p.AssignAnotherDataTable(table.get());
    EXPECT_EQ(p.Data, table.get());
    EXPECT_EQ(p.GetItemCount(tkRect), 2);
    table->SetElem(1, 1, 50);
    EXPECT_EQ(ItemsOf(p, tkMarkAt)[1].y, 50.0);
    p.AssignAnotherDataTable(nullptr);  // ignored
    EXPECT_EQ(p.Data, table.get());
  }
  EXPECT_FALSE(table->OnChange);  // unhooked by the plot's destruction
  table->SetElem(1, 1, 3);
}

TEST(TBoxPlot, AnOutsideTableMayBeDestroyedFirst) {
  TTestBoxPlot p;
  p.Enable();
  {
    TDataTable table(nullptr);
    table.Resize(3, 4);
    p.AssignAnotherDataTable(&table);
    EXPECT_EQ(p.GetItemCount(tkRect), 3);
  }
  ASSERT_NE(p.Data, nullptr);
  EXPECT_EQ(p.Data->NrOfColumns(), 0);  // an own empty table in its place
  EXPECT_EQ(p.NumItems(), 0);
  EXPECT_FALSE(p.GetFTextLabel(1)->Visible());
  p.Data->Resize(1, 3);
  p.Data->SetElem(1, 1, 2);
  EXPECT_EQ(p.GetItemCount(tkRect), 1);
  // A second outside table replaces the first; the first is unhooked.
  TDataTable a(nullptr), b(nullptr);
  p.AssignAnotherDataTable(&a);
  p.AssignAnotherDataTable(&b);
  EXPECT_FALSE(a.OnChange);
  EXPECT_TRUE(b.OnChange);
}

// --- text dump ---------------------------------------------------------------------------------

TEST(TBoxPlot, SaveDataASCWritesTheTableAndTheBoxParameters) {
  qelta::test::TempDir dir;
  TTestBoxPlot p;
  Fill(p, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  Fill(p, 2, {-4, 8});
  p.Data->SetColName(1, "temperature of the probe");
  p.Data->SetColName(2, "pH");
  p.Enable();
  ASSERT_EQ(p.Data->ExportAsASC(dir / "box.asc", -2), u"");
  const std::string table = dir.Get("box.asc");
  p.SaveDataASC(dir / "box.asc");  // replaces the file
  const std::string box = dir.Get("box.asc");
  ASSERT_EQ(box.compare(0, table.size(), table), 0);  // the table first
  std::vector<std::string> lines;
  std::istringstream rest(box.substr(table.size()));
  for (std::string l; std::getline(rest, l);) {
    ASSERT_FALSE(l.empty());
    ASSERT_EQ(l.back(), '\r');
    lines.push_back(l.substr(0, l.size() - 1));
  }
  ASSERT_EQ(lines.size(), 3u + 9u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], std::string(30, '-') + " Box Parameters " + std::string(30, '-'));
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "      temperatur..      pH      ");  // cut to 12, centred in 12
  const std::string labels[] = {"Mean: ", " Min: ", " P10: ", "  Q1: ", "  Q2: ", "  Q3: ", " P90: ", " Max: "};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(lines[4 + k].size(), 6u + 2 * 13u) << k;
    EXPECT_EQ(lines[4 + k].substr(0, 6), labels[k]);
  }
  EXPECT_EQ(lines[4], "Mean:  5.00000E+00  2.00000E+00 ");
  EXPECT_EQ(lines[5], " Min:  1.00000E+00 -4.00000E+00 ");
  EXPECT_EQ(lines[8], "  Q2:  5.00000E+00 " + StringToUtf8(strff(QuartsOf(*p.Data, 2).q2, 12, -2)) + " ");
  EXPECT_EQ(lines[11], " Max:  9.00000E+00  8.00000E+00 ");
}

TEST(TBoxPlot, SaveDataASCRaisesWhenTheFileCannotBeWritten) {
  qelta::test::TempDir dir;
  TBoxPlot p(nullptr);
  EXPECT_THROW(p.SaveDataASC(dir / "missing/box.asc"), EInOutError);
}

TEST(TBoxPlot, AFormMayDestroyAnOutsideTableBeforeThePlot) {
  TScriptedUser user;
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 320, 240);
  auto* p = new TBoxPlot(form.get());
  p->SetParent(form.get());
  p->SetBounds(10, 10, 280, 200);
  auto* table = new TDataTable(form.get());  // made after the plot: the form frees it first
  table->Resize(2, 3);
  p->AssignAnotherDataTable(table);
  user.Show(form.get());
  EXPECT_EQ(p->GetItemCount(tkRect), 2);
  form.reset();
}
