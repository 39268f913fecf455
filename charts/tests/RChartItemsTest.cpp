// The chart's item list: stamping of every drawing primitive, growth, texts, access and editing,
// queries, removal, and the store against a std::deque model.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Qelta_univconst.h"
#include "RChartTesting.h"

using namespace qelta;
using qelta::testing::ExpectItem;
using qelta::testing::TTestChart;

namespace {

// A chart with a distinctive drawing state.
void SetDrawingState(TCustomRChart& c) {
  c.SetActiveLayer(2);
  c.SetClassDefault(7);
  c.SetDataColor(clRed);
  c.SetFillColor(clBlue);
  c.SetPenStyle(psDot);
  c.SetDataTag(42);
  c.SetLineWidth(3);
  c.SetTransparentItems(true);
  c.SetTextAlignment(taLeftJustify);
}

TrcChartItem Expected(TrcItem kind, bool fill, bool transp) {
  TrcChartItem e;
  e.ItemKind = kind;
  e.Layer = 2;
  e.ItemClass = 7;
  e.Color = clRed;
  e.PenStyle = psDot;
  e.Tag = 42;
  e.LWid = 3;
  if (fill) e.FillColor = clBlue;
  e.Transp = transp;
  return e;
}

TrcChartItem With(TrcChartItem e, double x, double y, double x2 = 0, double y2 = 0) {
  e.x = x;
  e.y = y;
  e.x2 = x2;
  e.y2 = y2;
  return e;
}

}  // namespace

// --- primitives --------------------------------------------------------------------------------

TEST(RChartItems, EveryPrimitiveStampsTheDrawingState) {
  struct Case {
    const char* name;
    std::function<void(TCustomRChart&)> draw;
    TrcChartItem expected;
  };
  const auto text = [] {
    TrcChartItem e = With(Expected(tkText, false, false), 1, 2);
    e.Text = "abc";
    e.SizeOrAngle = 12;
    e.MarkOrAlign = taLeftJustify;
    return e;
  };
  const auto textOfs = [] {
    TrcChartItem e = With(Expected(tkTextOfs, false, false), 1, 2, 5, -6);
    e.Text = "abc";
    e.SizeOrAngle = 9;
    e.MarkOrAlign = taRightJustify;
    return e;
  };
  const auto mark = [] {
    TrcChartItem e = With(Expected(tkMarkAt, false, false), 1, 2);
    e.MarkOrAlign = 17;
    return e;
  };
  const auto frame = [] {
    TrcChartItem e = With(Expected(tkRectFrame, true, false), 1, 2, 3, 4);
    e.LWid = 1;  // whatever LineWidth says
    e.FrameStyle = fsEmbossed;
    e.ShadowColor = clGray;
    e.HiLightColor = clWhite;
    return e;
  };
  const auto bar = [] {
    TrcChartItem e = With(Expected(tk3DBar, true, false), 1, 2, 3, 4);
    e.Depth = 8;
    e.SizeOrAngle = 45;
    return e;
  };
  const auto arrow = [] {
    TrcChartItem e = With(Expected(tkArrow, true, true), 1, 2, 3, 4);
    e.SizeOrAngle = 6;
    return e;
  };
  const Case cases[] = {
      {"MarkAt", [](TCustomRChart& c) { c.MarkAt(1, 2, 17); }, mark()},
      {"Text", [](TCustomRChart& c) { c.Text(1, 2, 12, u"abc"); }, text()},
      {"Text with offsets", [](TCustomRChart& c) { c.Text(1, 2, 9, u"abc", 5, -6, taRightJustify); }, textOfs()},
      {"MoveTo", [](TCustomRChart& c) { c.MoveTo(1, 2); }, With(Expected(tkMoveTo, false, false), 1, 2)},
      {"MoveToRelPix", [](TCustomRChart& c) { c.MoveToRelPix(-3, 4); },
       With(Expected(tkMoveRelPix, false, false), -3, 4)},
      {"DrawTo", [](TCustomRChart& c) { c.DrawTo(1, 2); }, With(Expected(tkLineto, true, false), 1, 2)},
      {"DrawToRelPix", [](TCustomRChart& c) { c.DrawToRelPix(5, 6); }, With(Expected(tkLineRelPix, true, false), 5, 6)},
      {"Line", [](TCustomRChart& c) { c.Line(1, 2, 3, 4); }, With(Expected(tkLine, true, false), 1, 2, 3, 4)},
      {"Rectangle", [](TCustomRChart& c) { c.Rectangle(1, 2, 3, 4); }, With(Expected(tkRect, true, true), 1, 2, 3, 4)},
      {"RectangleRelPix", [](TCustomRChart& c) { c.RectangleRelPix(1, 2, 7, 8); },
       With(Expected(tkRectRelPix, true, true), 1, 2, 7, 8)},
      {"RectFrame", [](TCustomRChart& c) { c.RectFrame(1, 2, 3, 4, fsEmbossed, clGray, clWhite); }, frame()},
      {"Bar3D", [](TCustomRChart& c) { c.Bar3D(1, 2, 3, 4, 8, 45); }, bar()},
      {"Ellipse", [](TCustomRChart& c) { c.Ellipse(1, 2, 3, 4); }, With(Expected(tkEllipse, true, true), 1, 2, 3, 4)},
      {"Arrow", [](TCustomRChart& c) { c.Arrow(1, 2, 3, 4, 6); }, arrow()},
  };
  for (const Case& k : cases) {
    TTestChart c;
    SetDrawingState(c);
    k.draw(c);
    ASSERT_EQ(c.NumItems(), 1) << k.name;
    ExpectItem(c.GetChartItem(0), k.expected, k.name);
    EXPECT_EQ(c.GetItemCount(k.expected.ItemKind), 1) << k.name;
    EXPECT_EQ(c.TypeOfLastItem(), k.expected.ItemKind) << k.name;
  }
}

TEST(RChartItems, PlainTextTakesTheAlignmentOfTheMomentOfTheCall) {
  TTestChart c;
  c.SetTextAlignment(taLeftJustify);
  c.Text(0, 0, 10, u"a");
  c.SetTextAlignment(taRightJustify);
  EXPECT_EQ(c.GetChartItem(0).MarkOrAlign, taLeftJustify);
  c.Text(0, 0, 10, u"b");
  EXPECT_EQ(c.GetChartItem(1).MarkOrAlign, taRightJustify);
}

TEST(RChartItems, TextsBecomeWindows1252AndAreCutAfterFifteenCharacters) {
  struct Case {
    const char* utf8;
    const char* stored;
  };
  const Case cases[] = {{"12345678901234567890", "123456789012345"},
                        {"exactly 15 char", "exactly 15 char"},
                        {"caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9", "caf\xE9 \x80 ?"},
                        {"", ""}};
  for (const Case& k : cases) {
    TTestChart c;
    c.Text(0, 0, 10, U8(k.utf8));
    c.Text(0, 0, 10, U8(k.utf8), 1, 1, taCenter);
    EXPECT_EQ(c.GetChartItem(0).Text, k.stored) << k.utf8;
    EXPECT_EQ(c.GetChartItem(1).Text, k.stored) << k.utf8;
  }
}

TEST(RChartItems, Bar3DClampsItsAngle) {
  TTestChart c;
  for (const auto& [angle, stored] : {std::pair{-10, 0}, {200, 180}, {180, 180}, {0, 0}, {91, 91}}) {
    c.Bar3D(0, 0, 1, 1, 5, angle);
    EXPECT_EQ(c.GetChartItem(c.NumItems() - 1).SizeOrAngle, stored) << angle;
  }
}

TEST(RChartItems, ClassDefaultRefusesTheWildcardClass) {
  TTestChart c;
  c.SetClassDefault(254);
  EXPECT_EQ(c.ClassDefault(), 254);
  c.SetClassDefault(255);
  EXPECT_EQ(c.ClassDefault(), 254);
  c.MarkAt(0, 0, 1);
  EXPECT_EQ(c.GetChartItem(0).ItemClass, 254);
}

TEST(RChartItems, TheAllocatedCountGrowsInStepsOfAllocSize) {
  struct Case {
    int allocSize, appends, allocated;
  };
  const Case cases[] = {{1000, 1, 1000}, {1000, 1000, 1000}, {1000, 1001, 2000}, {1, 1, 1},
                        {1, 7, 7},       {3, 7, 9},          {1000000, 2, 1000000}};
  for (const Case& k : cases) {
    TTestChart c;
    c.SetAllocSize(k.allocSize);
    for (int i = 0; i < k.appends; ++i) c.DrawTo(i, i);
    EXPECT_EQ(c.NumAllocated(), k.allocated) << k.allocSize << " x " << k.appends;
    EXPECT_EQ(c.NumItems(), k.appends);
  }
  TTestChart c;
  for (int bad : {0, -1, 1000001}) c.SetAllocSize(bad);
  EXPECT_EQ(c.AllocSize(), 1000);
  c.MarkAt(1, 1, 1);
  c.RemoveItem(0);  // the only item: the empty state
  EXPECT_EQ(c.NumAllocated(), 0);
}

TEST(RChartItems, AReusedSlotKeepsNoStaleField) {
  // Regression: a mark appended after a removed text item kept the text's character size.
  TTestChart c;
  c.Text(1, 1, 14, u"long text");
  c.Text(2, 2, 14, u"second");
  c.RemoveLastItem();
  c.MarkAt(3, 3, 60);
  const TrcChartItem m = c.GetChartItem(1);
  EXPECT_EQ(m.ItemKind, tkMarkAt);
  EXPECT_EQ(m.SizeOrAngle, 0);
  EXPECT_EQ(m.Text, "");
}

// --- access and editing ------------------------------------------------------------------------

TEST(RChartItems, OutsideTheListReadsANoItemRecordAndWritesNothing) {
  TTestChart c;
  c.Line(1, 2, 3, 4);
  for (int i : {-1, 1, 100}) {
    EXPECT_EQ(c.GetChartItem(i).ItemKind, tkNone) << i;
    EXPECT_EQ(c.GetItemParams(i).ItemKind, tkNone) << i;
    EXPECT_EQ(c.GetItemParams(i).x, 0) << i;
  }
  TrcChartItem r = c.GetChartItem(0);
  r.x = 99;
  c.SetChartitem(1, r);
  c.SetItemParams(-1, r);
  c.ScaleItem(3, 2, 0, 2, 0);
  EXPECT_EQ(c.NumItems(), 1);
  EXPECT_EQ(c.GetChartItem(0).x, 1);
  EXPECT_EQ(c.GetItemCount(static_cast<TrcItem>(40)), 0);
  EXPECT_EQ(c.GetItemCount(static_cast<TrcItem>(255)), 0);
}

TEST(RChartItems, SetItemParamsMovesTheKindCountAndRefusesTheQueryKinds) {
  TTestChart c;
  c.Line(1, 2, 3, 4);
  c.MarkAt(5, 6, 1);
  TrcChartItem r = c.GetItemParams(0);
  for (TrcItem refused : {tkNone, tkEverything}) {
    r.ItemKind = refused;
    c.SetItemParams(0, r);
    EXPECT_EQ(c.GetChartItem(0).ItemKind, tkLine);
  }
  r.ItemKind = tkArrow;
  r.x = 10;
  c.SetItemParams(0, r);
  EXPECT_EQ(c.GetChartItem(0).ItemKind, tkArrow);
  EXPECT_EQ(c.GetChartItem(0).x, 10);
  EXPECT_EQ(c.GetItemCount(tkLine), 0);
  EXPECT_EQ(c.GetItemCount(tkArrow), 1);
  EXPECT_EQ(c.GetItemCount(tkMarkAt), 1);
}

TEST(RChartItems, SetChartitemKeepsTheKindCountsRight) {
  // Regression: the counts stayed with the old kind, so removing the item later drove the count of
  // the new kind to -1.
  TTestChart c;
  c.Line(1, 2, 3, 4);
  TrcChartItem r = c.GetChartItem(0);
  r.ItemKind = tkEllipse;
  c.SetChartitem(0, r);
  EXPECT_EQ(c.GetItemCount(tkLine), 0);
  EXPECT_EQ(c.GetItemCount(tkEllipse), 1);
  c.MarkAt(0, 0, 0);
  c.RemoveItem(0);
  EXPECT_EQ(c.GetItemCount(tkEllipse), 0);
}

TEST(RChartItems, RecordsOfNoKindOrNoLayerAreRefused) {
  // Regression: such a record indexed the per-kind counts and the per-layer tables out of bounds.
  TTestChart c;
  c.Line(1, 2, 3, 4);
  const TrcChartItem good = c.GetChartItem(0);
  TrcChartItem badKind = good, badLayer = good, noLayer = good;
  badKind.ItemKind = static_cast<TrcItem>(200);
  badLayer.Layer = 3;
  noLayer.Layer = 0;
  for (const TrcChartItem& r : {badKind, badLayer, noLayer}) {
    c.SetChartitem(0, r);
    c.SetItemParams(0, r);
    EXPECT_EQ(c.GetChartItem(0).ItemKind, tkLine);
    EXPECT_EQ(c.GetChartItem(0).Layer, 1);
  }
}

TEST(RChartItems, ScalingMovesStartPointsAndTheSecondPointsOfTwoPointKinds) {
  TTestChart c;
  c.Line(1, 1, 2, 2);
  c.MarkAt(1, 1, 0);
  c.SetClassDefault(5);
  c.Ellipse(1, 1, 2, 2);
  c.Text(1, 1, 10, u"t", 2, 2, taCenter);
  c.ScaleAllItems(2, 1, 3, -1);
  EXPECT_EQ(c.GetChartItem(0).x2, 5);
  EXPECT_EQ(c.GetChartItem(0).y2, 5);
  EXPECT_EQ(c.GetChartItem(1).x, 3);
  EXPECT_EQ(c.GetChartItem(1).y, 2);
  EXPECT_EQ(c.GetChartItem(1).x2, 0);
  EXPECT_EQ(c.GetChartItem(2).x2, 5);  // half axes too, as the other second points
  EXPECT_EQ(c.GetChartItem(3).x2, 2);  // pixel offsets stay
  c.ScaleSelectedItems(10, 0, 10, 0, 5);
  EXPECT_EQ(c.GetChartItem(2).x, 30);
  EXPECT_EQ(c.GetChartItem(0).x, 3);
  c.ScaleItem(0, 0, 7, 0, 8);
  EXPECT_EQ(c.GetChartItem(0).x, 7);
  EXPECT_EQ(c.GetChartItem(0).y2, 8);
}

TEST(RChartItems, NewColorOfClassItemsTakesOneClassOrAll) {
  TTestChart c;
  c.MarkAt(0, 0, 0);
  c.SetClassDefault(3);
  c.MarkAt(0, 0, 0);
  c.NewColorOfClassItems(clRed, 3);
  EXPECT_EQ(c.GetChartItem(0).Color, clBlack);
  EXPECT_EQ(c.GetChartItem(1).Color, clRed);
  c.NewColorOfClassItems(clLime, 255);
  EXPECT_EQ(c.GetChartItem(0).Color, clLime);
  EXPECT_EQ(c.GetChartItem(1).Color, clLime);
}

// --- queries -----------------------------------------------------------------------------------

TEST(RChartItems, MarkAllItemsUsesTheKindWildcards) {
  TTestChart c;
  c.MoveTo(0, 0);
  c.DrawTo(1, 1);
  c.MarkAt(2, 2, 0);
  c.MarkAllItems(tkNotMoveTo, 4);
  EXPECT_EQ(c.GetChartItem(0).ItemClass, 0);
  EXPECT_EQ(c.GetChartItem(1).ItemClass, 4);
  EXPECT_EQ(c.GetChartItem(2).ItemClass, 4);
  c.MarkAllItems(tkMarkAt, 9);
  EXPECT_EQ(c.GetChartItem(2).ItemClass, 9);
  c.MarkAllItems(tkEverything, 255);
  c.MarkAllItems(tkNone, 1);
  EXPECT_EQ(c.GetChartItem(0).ItemClass, 0);
  c.MarkAllItems(tkEverything, 6);
  EXPECT_EQ(c.GetChartItem(0).ItemClass, 6);
}

TEST(RChartItems, MarkItemsInWindowTakesBoundsInAnyOrderAndCountsPointsOnThem) {
  for (bool reversed : {false, true}) {
    TTestChart c;
    c.MarkAt(0, 0, 0);    // on the low corner
    c.MarkAt(10, 5, 0);   // on the high corner
    c.MarkAt(5, 2, 0);    // inside
    c.MarkAt(10.5, 2, 0); // outside
    c.Line(-5, 2, 5, 2);  // start point outside
    c.MoveTo(3, 3);       // inside, but not a mark
    const int n = reversed ? c.MarkItemsInWindow(10, 5, 0, 0, tkMarkAt, 8) : c.MarkItemsInWindow(0, 0, 10, 5, tkMarkAt, 8);
    EXPECT_EQ(n, 3) << reversed;
    EXPECT_EQ(c.GetChartItem(3).ItemClass, 0);
    EXPECT_EQ(c.GetChartItem(1).ItemClass, 8);
    EXPECT_EQ(c.MarkItemsInWindow(0, 0, 10, 5, tkEverything, 255), 0);
    EXPECT_EQ(c.MarkItemsInWindow(0, 0, 10, 5, tkNone, 3), 0);
    EXPECT_EQ(c.MarkItemsInWindow(0, 0, 10, 5, tkNotMoveTo, 2), 3);
  }
}

TEST(RChartItems, FindNearestItemRealTakesTheLowestIndexOnTies) {
  TTestChart c;
  double dist = 0;
  EXPECT_EQ(c.FindNearestItemReal(0, 0, tkEverything, 255, dist), -1);
  EXPECT_EQ(dist, std::sqrt(static_cast<double>(uc_MaxDouble)));
  c.MarkAt(3, 4, 0);
  c.MarkAt(-3, -4, 0);
  c.SetClassDefault(2);
  c.MarkAt(0, 1, 0);
  EXPECT_EQ(c.FindNearestItemReal(0, 0, tkMarkAt, 0, dist), 0);
  EXPECT_EQ(dist, 5);
  EXPECT_EQ(c.FindNearestItemReal(0, 0, tkMarkAt, 255, dist), 2);
  EXPECT_EQ(dist, 1);
  EXPECT_EQ(c.FindNearestItemReal(0, 0, tkLine, 255, dist), -1);
}

TEST(RChartItems, FindNearestItemScreenMeasuresInPixelsOfTheActiveLayer) {
  TTestChart c;
  c.SetRange(1, 0, 0, 210, 140);  // one unit per pixel on layer 1
  c.SetRange(2, 0, 0, 2.1, 1.4);  // a hundred units per pixel on layer 2
  c.MarkAt(10, 10, 0);
  c.SetActiveLayer(2);
  c.MarkAt(13, 14, 0);
  double dist = 0;
  c.SetActiveLayer(1);
  EXPECT_EQ(c.FindNearestItemScreen(10, 10, tkMarkAt, 255, dist), 0);
  EXPECT_EQ(dist, 0);
  EXPECT_EQ(c.FindNearestItemScreen(13, 14.5, tkMarkAt, 255, dist), 1);
  EXPECT_EQ(dist, 0);  // 14.5 and 14 fall on one pixel row (halves to even)
}

TEST(RChartItems, FindUsedLayersListsTheLayersWithItems) {
  TTestChart c;
  EXPECT_TRUE(c.FindUsedLayers().Empty());
  c.SetActiveLayer(2);
  c.MarkAt(0, 0, 0);
  EXPECT_EQ(c.FindUsedLayers(), TLayerSet{2});
  c.SetActiveLayer(1);
  c.MarkAt(0, 0, 0);
  EXPECT_EQ(c.FindUsedLayers(), (TLayerSet{1, 2}));
}

// --- removal -----------------------------------------------------------------------------------

TEST(RChartItems, RemovalKeepsOrderAndCounts) {
  TTestChart c;
  c.MarkAt(0, 0, 0);
  c.Line(1, 1, 2, 2);
  c.MarkAt(2, 2, 0);
  c.Rectangle(3, 3, 4, 4);
  c.RemoveItem(1);
  EXPECT_EQ(c.NumItems(), 3);
  EXPECT_EQ(c.GetItemCount(tkLine), 0);
  EXPECT_EQ(c.GetItemCount(tkMarkAt), 2);
  EXPECT_EQ(c.GetItemCount(tkRect), 1);
  EXPECT_EQ(c.GetChartItem(1).x, 2);
  c.RemoveItem(7);
  EXPECT_EQ(c.NumItems(), 3);
  c.RemoveFirstItem();
  EXPECT_EQ(c.TypeOfFirstItem(), tkMarkAt);
  EXPECT_EQ(c.GetChartItem(0).x, 2);
  c.RemoveLastItem();
  EXPECT_EQ(c.TypeOfLastItem(), tkMarkAt);
  EXPECT_EQ(c.GetItemCount(tkRect), 0);
  EXPECT_EQ(c.GetItemCount(tkNone), 1);
  c.RemoveLastItem();  // the last one: the empty state, every count 0
  EXPECT_EQ(c.NumItems(), 0);
  EXPECT_EQ(c.GetItemCount(tkNone), 0);
  EXPECT_EQ(c.TypeOfFirstItem(), tkNone);
  EXPECT_EQ(c.TypeOfLastItem(), tkNone);
}

TEST(RChartItems, RemoveLastItemOnAnEmptyListDoesNothing) {
  // Regression: the used count went to -1 and the next append wrote before the list.
  TTestChart c;
  c.RemoveLastItem();
  c.RemoveFirstItem();
  EXPECT_EQ(c.NumItems(), 0);
  EXPECT_EQ(c.GetItemCount(tkNone), 1);
  c.MarkAt(1, 1, 1);
  EXPECT_EQ(c.NumItems(), 1);
  EXPECT_EQ(c.GetChartItem(0).x, 1);
}

TEST(RChartItems, RemoveItemsByClassCompactsInOnePass) {
  TTestChart c;
  for (int i = 0; i < 10; ++i) {
    c.SetClassDefault(static_cast<uint8_t>(i % 3));
    if (i % 2 == 0) c.MarkAt(i, 0, 0);
    else c.DrawTo(i, 0);
  }
  EXPECT_EQ(c.RemoveItemsByClass(1), 3);  // items 1, 4, 7
  EXPECT_EQ(c.NumItems(), 7);
  std::vector<double> xs;
  for (int i = 0; i < c.NumItems(); ++i) xs.push_back(c.GetChartItem(i).x);
  EXPECT_EQ(xs, (std::vector<double>{0, 2, 3, 5, 6, 8, 9}));
  EXPECT_EQ(c.GetItemCount(tkMarkAt), 4);
  EXPECT_EQ(c.GetItemCount(tkLineto), 3);
  EXPECT_EQ(c.RemoveItemsByClass(255), 0);
}

TEST(RChartItems, ClearGrafEmptiesTheListAndEveryCount) {
  TTestChart c;
  c.MarkAt(0, 0, 0);
  c.Line(0, 0, 1, 1);
  c.ClearGraf();
  EXPECT_EQ(c.NumItems(), 0);
  EXPECT_EQ(c.NumAllocated(), 0);
  for (int k = 0; k < TrcItemCount; ++k) EXPECT_EQ(c.GetItemCount(static_cast<TrcItem>(k)), 0) << k;
  c.SetAllocSize(4);
  c.MarkAt(0, 0, 0);
  EXPECT_EQ(c.NumAllocated(), 4);
}

TEST(RChartItems, TheStoreMatchesADequeUnderRandomEdits) {
  TrcItemStore store;
  std::deque<double> model;
  std::mt19937 gen(23);
  double next = 0;
  for (int step = 0; step < 20000; ++step) {
    const unsigned op = gen() % 10;
    const int n = store.NumItems();
    if (op < 5 || n == 0) {
      TrcChartItem it;
      it.ItemKind = tkLineto;
      it.x = ++next;
      store.Append(it, 7);
      model.push_back(next);
    } else if (op < 7) {
      store.Remove(0);
      model.pop_front();
    } else if (op < 8) {
      store.Remove(n - 1);
      model.pop_back();
    } else {
      const int i = static_cast<int>(gen() % static_cast<unsigned>(n));
      store.Remove(i);
      model.erase(model.begin() + i);
    }
    ASSERT_EQ(store.NumItems(), static_cast<int>(model.size())) << step;
    if (step % 997 == 0 || model.size() < 3) {
      for (int i = 0; i < store.NumItems(); ++i) ASSERT_EQ(store[i].x, model[static_cast<size_t>(i)]) << step;
    }
  }
  EXPECT_EQ(store.ItemCount(tkLineto), store.NumItems());
  std::vector<double> all;
  for (const TrcChartItem& it : store) all.push_back(it.x);
  EXPECT_EQ(all, std::vector<double>(model.begin(), model.end()));
}
