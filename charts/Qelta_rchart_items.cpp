// Qelta_rchart: the item list (TrcItemStore), the drawing primitives that append to it, and the
// operations that read, edit, search or remove items.
//
// The store keeps its items in a deque: appending never moves the stored items, so it is O(1)
// however small AllocSize is, while the allocated count the host reads still grows in steps of
// AllocSize. Removing the first or last item is O(1); one in the middle moves the shorter side.
// Deviations from the classic list, keeping what callers rely on:
//  - Every appended record starts from zero, so a slot used before keeps no stale field (a mark
//    kept the character size of an earlier text item).
//  - SetChartitem keeps the kind counts right (the classic write left them alone, so counts went
//    negative when the item was removed later), and both writers refuse a record whose kind is no
//    item kind or whose layer is no chart layer: such a record indexed the per-kind and per-layer
//    tables out of bounds.
//  - RemoveLastItem on an empty list does nothing (the classic count went to -1).

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "Encoding.h"
#include "Qelta_rchart_internal.h"
#include "Qelta_univconst.h"

namespace qelta {

using plot_detail::ClassMatches;
using plot_detail::HasSecondPoint;
using plot_detail::KindMatches;

// [SECTION] TrcItemStore

TrcItemStore::TrcItemStore() { FItemCount[tkNone] = 1; }

int TrcItemStore::ItemCount(TrcItem Kind) const { return Kind < TrcItemCount ? FItemCount[Kind] : 0; }

void TrcItemStore::Append(TrcChartItem&& Item, int AllocSize) {
  const TrcItem kind = Item.ItemKind;
  try {
    FItems.push_back(std::move(Item));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  }
  if (NumItems() > FNumAllocated)
    FNumAllocated = static_cast<int>(
        std::min<int64_t>(int64_t{FNumAllocated} + std::max(AllocSize, 1), std::numeric_limits<int>::max()));
  ++FItemCount[kind];
}

void TrcItemStore::Replace(int i, const TrcChartItem& Item) {
  Uncount((*this)[i]);
  (*this)[i] = Item;
  ++FItemCount[Item.ItemKind];
}

void TrcItemStore::Remove(int i) {
  if (NumItems() == 1) return Clear();
  Uncount((*this)[i]);
  FItems.erase(FItems.begin() + i);
}

int TrcItemStore::RemoveIf(const std::function<bool(const TrcChartItem&)>& Pred) {
  const auto kept = std::remove_if(FItems.begin(), FItems.end(), [&](const TrcChartItem& it) {
    if (!Pred(it)) return false;
    Uncount(it);
    return true;
  });
  const int removed = static_cast<int>(FItems.end() - kept);
  FItems.erase(kept, FItems.end());
  return removed;
}

void TrcItemStore::Clear() {
  TItems().swap(FItems);
  FNumAllocated = 0;
  FItemCount.fill(0);
}

void TrcItemStore::TakeLoaded(TItems&& Items, bool Append, int Allocated) {
  std::array<int, TrcItemCount> counts{};
  if (Append) counts = FItemCount;
  for (const TrcChartItem& it : Items) ++counts[it.ItemKind];
  if (!Append) {
    FItems.swap(Items);
  } else {
    const size_t before = FItems.size();
    try {
      for (TrcChartItem& it : Items) FItems.push_back(std::move(it));
    } catch (const std::bad_alloc&) {
      FItems.resize(before);
      throw EOutOfMemory("Out of memory");
    }
  }
  FItemCount = counts;
  FNumAllocated = std::max(Allocated, NumItems());
}

void TrcItemStore::Uncount(const TrcChartItem& Item) { --FItemCount[Item.ItemKind]; }

// [SECTION] drawing primitives

namespace {

// The text as Windows-1252, cut after MaxItemText characters.
AnsiString ItemText(const String& txt) {
  AnsiString a = StringToAnsi(txt);
  if (a.size() > MaxItemText) a.resize(MaxItemText);
  return a;
}

}  // namespace

TrcChartItem TCustomRChart::Stamp(TrcItem Kind, bool WithFill, bool WithTransp, double x, double y, double x2,
                                  double y2) const {
  TrcChartItem it;
  it.ItemKind = Kind;
  it.Layer = FActiveLayer;
  it.ItemClass = RcClassDefault;
  it.Color = RcDataCol;
  it.PenStyle = RcPenStyle;
  it.Tag = FDataTag;
  it.LWid = RcLineWid;
  if (WithFill) it.FillColor = RcFillCol;
  if (WithTransp) it.Transp = FTranspItems;
  it.x = x;
  it.y = y;
  it.x2 = x2;
  it.y2 = y2;
  return it;
}

void TCustomRChart::AppendItem(TrcChartItem&& Item) {
  FItems->Append(std::move(Item), FAllocSize);
  AdjustCanInfoOfSharedCharts();
}

void TCustomRChart::MarkAt(double x, double y, uint8_t mk) {
  TrcChartItem it = Stamp(tkMarkAt, false, false, x, y);
  it.MarkOrAlign = mk;
  AppendItem(std::move(it));
}

void TCustomRChart::Text(double x, double y, int size, const String& txt) {
  TrcChartItem it = Stamp(tkText, false, false, x, y);
  it.Text = ItemText(txt);
  it.SizeOrAngle = size;
  it.MarkOrAlign = FTextAlignment;
  AppendItem(std::move(it));
}

void TCustomRChart::Text(double x, double y, int size, const String& txt, int dx, int dy, TAlignment Alignment) {
  TrcChartItem it = Stamp(tkTextOfs, false, false, x, y, dx, dy);
  it.Text = ItemText(txt);
  it.SizeOrAngle = size;
  it.MarkOrAlign = Alignment;
  AppendItem(std::move(it));
}

void TCustomRChart::MoveTo(double x, double y) { AppendItem(Stamp(tkMoveTo, false, false, x, y)); }

void TCustomRChart::MoveToRelPix(int dx, int dy) { AppendItem(Stamp(tkMoveRelPix, false, false, dx, dy)); }

void TCustomRChart::DrawTo(double x, double y) { AppendItem(Stamp(tkLineto, true, false, x, y)); }

void TCustomRChart::DrawToRelPix(int dx, int dy) { AppendItem(Stamp(tkLineRelPix, true, false, dx, dy)); }

void TCustomRChart::Line(double x1, double y1, double x2, double y2) {
  AppendItem(Stamp(tkLine, true, false, x1, y1, x2, y2));
}

void TCustomRChart::Rectangle(double x1, double y1, double x2, double y2) {
  AppendItem(Stamp(tkRect, true, true, x1, y1, x2, y2));
}

void TCustomRChart::RectangleRelPix(double centx, double centy, int dx, int dy) {
  AppendItem(Stamp(tkRectRelPix, true, true, centx, centy, dx, dy));
}

void TCustomRChart::RectFrame(double x1, double y1, double x2, double y2, TFrameStyle FrameStyle, TColor ShadowColor,
                              TColor HiLightColor) {
  TrcChartItem it = Stamp(tkRectFrame, true, false, x1, y1, x2, y2);
  it.LWid = 1;
  it.FrameStyle = FrameStyle;
  it.ShadowColor = ShadowColor;
  it.HiLightColor = HiLightColor;
  AppendItem(std::move(it));
}

void TCustomRChart::Bar3D(double llx, double lly, double urx, double ury, int Depth, int Angle) {
  TrcChartItem it = Stamp(tk3DBar, true, false, llx, lly, urx, ury);
  it.Depth = Depth;
  it.SizeOrAngle = std::clamp(Angle, 0, 180);
  AppendItem(std::move(it));
}

void TCustomRChart::Ellipse(double cx, double cy, double HorizAxLeng, double VertAxLeng) {
  AppendItem(Stamp(tkEllipse, true, true, cx, cy, HorizAxLeng, VertAxLeng));
}

void TCustomRChart::Arrow(double x1, double y1, double x2, double y2, int HeadSize) {
  TrcChartItem it = Stamp(tkArrow, true, true, x1, y1, x2, y2);
  it.SizeOrAngle = HeadSize;
  AppendItem(std::move(it));
}

// [SECTION] item access and editing

namespace {

bool IsItemRecord(const TrcChartItem& it) {
  return it.ItemKind < TrcItemCount && it.Layer >= 1 && it.Layer <= MaxChartLayers;
}

void ScaleOne(TrcChartItem& it, double kx, double dx, double ky, double dy) {
  it.x = kx * it.x + dx;
  it.y = ky * it.y + dy;
  if (!HasSecondPoint(it.ItemKind) && it.ItemKind != tkEllipse) return;
  it.x2 = kx * it.x2 + dx;
  it.y2 = ky * it.y2 + dy;
}

}  // namespace

TrcChartItem TCustomRChart::GetChartItem(int Index) const {
  return Index >= 0 && Index < NumItems() ? (*FItems)[Index] : TrcChartItem{};
}

void TCustomRChart::SetChartitem(int Index, const TrcChartItem& Item) {
  if (Index >= 0 && Index < NumItems() && IsItemRecord(Item)) FItems->Replace(Index, Item);
}

void TCustomRChart::SetItemParams(int Item, const TrcChartItem& ItParams) {
  if (ItParams.ItemKind == tkNone || ItParams.ItemKind == tkEverything) return;
  if (Item < 0 || Item >= NumItems() || !IsItemRecord(ItParams)) return;
  FItems->Replace(Item, ItParams);
  AdjustCanInfoOfSharedCharts();
}

TrcItem TCustomRChart::TypeOfFirstItem() const { return NumItems() > 0 ? (*FItems)[0].ItemKind : tkNone; }

TrcItem TCustomRChart::TypeOfLastItem() const {
  return NumItems() > 0 ? (*FItems)[NumItems() - 1].ItemKind : tkNone;
}

void TCustomRChart::ScaleItem(int Item, double kx, double dx, double ky, double dy) {
  if (Item >= 0 && Item < NumItems()) ScaleOne((*FItems)[Item], kx, dx, ky, dy);
}

void TCustomRChart::ScaleAllItems(double kx, double dx, double ky, double dy) {
  for (TrcChartItem& it : *FItems) ScaleOne(it, kx, dx, ky, dy);
}

void TCustomRChart::ScaleSelectedItems(double kx, double dx, double ky, double dy, uint8_t ClassNumber) {
  for (TrcChartItem& it : *FItems)
    if (it.ItemClass == ClassNumber) ScaleOne(it, kx, dx, ky, dy);
}

void TCustomRChart::NewColorOfClassItems(TColor Newcol, uint8_t ClassNumber) {
  for (TrcChartItem& it : *FItems)
    if (ClassMatches(ClassNumber, it.ItemClass)) it.Color = Newcol;
}

// [SECTION] queries

void TCustomRChart::MarkAllItems(TrcItem ItemID, uint8_t ClassNumber) {
  if (ClassNumber == 255 || ItemID == tkNone) return;
  for (TrcChartItem& it : *FItems)
    if (KindMatches(ItemID, it.ItemKind)) it.ItemClass = ClassNumber;
}

int TCustomRChart::MarkItemsInWindow(double xLo, double YLo, double XHi, double YHi, TrcItem ItemID,
                                     uint8_t ClassNumber) {
  if (ClassNumber == 255 || ItemID == tkNone) return 0;
  if (xLo > XHi) std::swap(xLo, XHi);
  if (YLo > YHi) std::swap(YLo, YHi);
  int marked = 0;
  for (TrcChartItem& it : *FItems) {
    if (!KindMatches(ItemID, it.ItemKind)) continue;
    if (it.x < xLo || it.x > XHi || it.y < YLo || it.y > YHi) continue;
    it.ItemClass = ClassNumber;
    ++marked;
  }
  return marked;
}

int TCustomRChart::FindNearestItemReal(double mx, double my, TrcItem ItemID, uint8_t ClassNumber,
                                       double& Dist) const {
  double best = uc_MaxDouble;
  int found = -1;
  int i = -1;
  for (const TrcChartItem& it : *FItems) {
    ++i;
    if (!KindMatches(ItemID, it.ItemKind) || !ClassMatches(ClassNumber, it.ItemClass)) continue;
    const double d = (it.x - mx) * (it.x - mx) + (it.y - my) * (it.y - my);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  Dist = std::sqrt(best);
  return found;
}

int TCustomRChart::FindNearestItemScreen(double mx, double my, TrcItem ItemID, uint8_t ClassNumber,
                                         double& Dist) const {
  const plot_detail::TAxisToPixel mapX = PixelMap(FActiveLayer, true), mapY = PixelMap(FActiveLayer, false);
  const double px = mapX(mx), py = mapY(my);
  double best = uc_MaxDouble;
  int found = -1;
  int i = -1;
  for (const TrcChartItem& it : *FItems) {
    ++i;
    if (!KindMatches(ItemID, it.ItemKind) || !ClassMatches(ClassNumber, it.ItemClass)) continue;
    const double dx = mapX(it.x) - px, dy = mapY(it.y) - py;
    if (dx * dx + dy * dy < best) {
      best = dx * dx + dy * dy;
      found = i;
    }
  }
  Dist = std::sqrt(best);
  return found;
}

TLayerSet TCustomRChart::FindUsedLayers() const {
  TLayerSet used;
  for (const TrcChartItem& it : *FItems) used.Include(it.Layer);
  return used;
}

// [SECTION] removal

void TCustomRChart::RemoveItem(int Index) {
  if (Index >= 0 && Index < NumItems()) FItems->Remove(Index);
  AdjustCanInfoOfSharedCharts();
}

void TCustomRChart::RemoveLastItem() {
  if (NumItems() == 0) return;
  FItems->Remove(NumItems() - 1);
  AdjustCanInfoOfSharedCharts();
}

int TCustomRChart::RemoveItemsByClass(uint8_t ClassNumber) {
  const int removed = FItems->RemoveIf([ClassNumber](const TrcChartItem& it) { return it.ItemClass == ClassNumber; });
  AdjustCanInfoOfSharedCharts();
  return removed;
}

void TCustomRChart::ClearGraf() {
  InitGraf(FGrafBmp->Canvas(), 0, 0);
  FItems->Clear();
  FLastElemOnShow = 0;
  AdjustCanInfoOfSharedCharts();
}

}  // namespace qelta
