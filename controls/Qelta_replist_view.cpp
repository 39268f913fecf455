// TReportListView: structure, layout, properties, selection, rows, mouse, keys, in-place editing and
// the filter. Painting is in Qelta_replist_draw.cpp, the row editor in Qelta_replist_rowed.cpp.
//
// Index
//   [SECTION] construction        the data on the grid's initial 5 x 5 cells, hooks, Assign
//   [SECTION] notification        suppression, Paint, the hooks on the store
//   [SECTION] size and layout     rows, columns, header heights, widths, scrolling
//   [SECTION] properties          headers, looks, behaviour, the data's column settings
//   [SECTION] selection           attribute bits of rows and columns
//   [SECTION] rows and sorting
//   [SECTION] text exchange
//   [SECTION] mouse and keys      header sorting, check toggles, row selection, fitting, editing
//   [SECTION] filter
//
// Deviations from the classic component, keeping what hosts rely on:
//  - The column-header row gets its height whenever the grid has two rows (the classic applied it
//    only from two data rows on, so both header lines over one data row kept the default height).
//  - A Shift range copies only the selection bit $80 of the anchor row (the classic copied the whole
//    attribute byte, so a Shift-click also enabled or disabled rows).
//  - Selection and enabling change the store's attribute bytes without its change event: they fire
//    OnSelectedChange and repaint, not OnChange once per row.
//  - AutoAdvance moves on after Enter only (the classic also moved on after the character that opened
//    the in-place editor, committing that one character and leaving the row).
//  - Assign keeps the data's store, so later edits still repaint and fire OnChange.
//  - FixedFirstColumn takes effect from two columns on (with one, the fixed count would equal the
//    column count).

#include <algorithm>
#include <new>
#include <utility>

#include "Encoding.h"
#include "Forms.h"
#include "Qelta_replist.h"
#include "Qelta_replist_internal.h"
#include "Qelta_stringl.h"
#include "Screen.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr uint8_t kSelected = 0x80, kDisabled = 0x40;
constexpr int kBorderZone = 4;  // a header click this close to a border sizes or fits instead of sorting

}  // namespace

// [SECTION] construction

TReportListView::TReportListView(TComponent* AOwner) : TCustomDrawGrid(AOwner) {
  FRLData = std::make_unique<TRLData>(nullptr);
  TCustomGrid::SetFixedCols(0);
  TCustomGrid::SetFixedRows(1);
  SetDefaultDrawing(false);
  FRLData->SetNrCols(ColCount());
  FRLData->SetNrRows(RowCount() - 1);
  try {
    ResizeColumnArrays(NrOfColumns());
  } catch (const std::bad_alloc&) {
    throw EQeltaRepListError(u"Component \"" + Name() + u"\": failed to initialize table editor (out of memory)");
  }
  HookData();
  SetFixedColor(FColHdColor);
  SetOptions({goFixedVertLine, goFixedHorzLine, goColSizing, goRowSelect, goThumbTracking});
  SetHeaderHeights();
  TCustomGrid::SetTopRow(1);
  TCustomGrid::SetLeftCol(0);
  SetDoubleBuffered(true);
  FSuppressPaint = false;
}

TReportListView::~TReportListView() {
  FSuppressPaint = true;  // nothing paints while the parts go
  HideEditor();
}

void TReportListView::HookData() {
  TStringArray* store = FRLData->Strings;
  store->OnChange = [this](TObject* Sender) { StringsHasChanged(Sender); };
  store->OnPercentDone = [this](TObject* Sender, int p) { RepListPercDone(Sender, p); };
  FRLData->OnPercentDone = store->OnPercentDone;
  store->OnBeforeSortExchange = [this](TObject* Sender, const String& In, String& Out) {
    BeforeSortExchange(Sender, In, Out);
  };
  FRLData->OnBeforeHTMLExport = [this](TObject* Sender, String& Text, int c, int r) {
    BeforeHTMLExport(Sender, Text, c, r);
  };
}

void TReportListView::RaiseNoMemory() const {
  throw EQeltaRepListError(u"Component \"" + Name() + u"\": not enough memory on heap");
}

void TReportListView::ResizeColumnArrays(int n) {
  FColAlignment.resize(size_t(n), taLeftJustify);
  FColumnEditable.resize(size_t(n), false);
  FColumnIsPwd.resize(size_t(n), false);
}

void TReportListView::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TReportListView*>(Source);
  if (src == nullptr || src == this) {
    if (src == nullptr) TCustomDrawGrid::Assign(Source);
    return;
  }
  const bool suppressed = src->FSuppressPaint;
  FSuppressPaint = true;
  FAutoAdvance = src->FAutoAdvance;
  FLastMousePosX = src->FLastMousePosX;
  FLastMousePosY = src->FLastMousePosY;
  OnChange = src->OnChange, OnChangeSetup = src->OnChangeSetup, OnSelectedChange = src->OnSelectedChange;
  OnCheckedChange = src->OnCheckedChange, OnBeforeCheckedChange = src->OnBeforeCheckedChange;
  OnGetEditText = src->OnGetEditText, OnSetEditText = src->OnSetEditText;
  OnBeforeRenderCell = src->OnBeforeRenderCell, OnBeforeSortExchange = src->OnBeforeSortExchange;
  OnBeforeHTMLExport = src->OnBeforeHTMLExport, OnPercentDone = src->OnPercentDone;
  OnBeforeFilter = src->OnBeforeFilter, OnRequestEditFormat = src->OnRequestEditFormat;
  FSelectAnchor = src->FSelectAnchor, FRowSelectMode = src->FRowSelectMode;
  FSortEnabled = src->FSortEnabled, FCtrlForMultiSel = src->FCtrlForMultiSel, FEnabled = src->FEnabled;
  FComHdColor = src->FComHdColor, FComHdTxtColor = src->FComHdTxtColor;
  FColHdColor = src->FColHdColor, FColHdTxtColor = src->FColHdTxtColor;
  FColorEmptyMsg = src->FColorEmptyMsg, FEmptyMsg = src->FEmptyMsg;
  FDisabledTextColor = src->FDisabledTextColor, FDisabledBkgdColor = src->FDisabledBkgdColor;
  FSelRowColor = src->FSelRowColor, FSelRowTextColor = src->FSelRowTextColor;
  FSelColColor = src->FSelColColor, FSelColTextColor = src->FSelColTextColor;
  FSelBothColor = src->FSelBothColor, FSelBothTextColor = src->FSelBothTextColor;
  FHiLgtColor = src->FHiLgtColor, FHiLgtTextColor = src->FHiLgtTextColor, FHiLgtBold = src->FHiLgtBold;
  FHiLgtRow = src->FHiLgtRow, FHiLgtColumn = src->FHiLgtColumn;
  FColorNormal = src->FColorNormal, FRColorNormal = src->FRColorNormal, FRColorShaded = src->FRColorShaded;
  FRowColPattern = src->FRowColPattern;
  FComHdVis = src->FComHdVis, FComHdHgt = src->FComHdHgt, FColHdVis = src->FColHdVis, FColHdHgt = src->FColHdHgt;
  FHeaderAlignment = src->FHeaderAlignment, FShowEmptyCBx = src->FShowEmptyCBx, FROCheckMarks = src->FROCheckMarks;
  FInterRowIndi = src->FInterRowIndi, FInterRowColor = src->FInterRowColor, FInterRowWidth = src->FInterRowWidth;
  FFixedColOne = src->FFixedColOne;
  SetFixedColor(FColHdColor);
  FRLData->Assign(src->FRLData.get());  // the store stays this view's, with its hooks
  TCustomGrid::SetColCount(NrOfColumns());
  FitFixedCols();
  FitGridRows();
  try {
    FColAlignment = src->FColAlignment;
    FColumnEditable = src->FColumnEditable;
    FColumnIsPwd = src->FColumnIsPwd;
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  FSuppressPaint = suppressed;
  Paint();
}

void TReportListView::AssignTo(TPersistent* Dest) {
  if (auto* view = dynamic_cast<TReportListView*>(Dest)) return view->Assign(this);
  TCustomDrawGrid::AssignTo(Dest);
}

// [SECTION] notification

void TReportListView::Paint() {
  if (FSuppressPaint) return;
  // Outside the window's paint, paint through it: the in-place editor keeps its pixels.
  if (!ControlState().Contains(csPainting)) return Repaint();
  TCustomDrawGrid::Paint();
  PaintExtras();
}

void TReportListView::SetSuppressPaint(bool value) {
  if (value == FSuppressPaint) return;
  FSuppressPaint = value;
  if (!value) Paint();
}

void TReportListView::Suppressed(const std::function<void()>& fn) {
  const bool old = FSuppressPaint;
  FSuppressPaint = true;
  try {
    fn();
  } catch (...) {
    FSuppressPaint = old;
    throw;
  }
  FSuppressPaint = old;
  Paint();
}

void TReportListView::Changed() {
  if (OnChange) OnChange(this);
}

void TReportListView::ChangedSetup() {
  if (OnChangeSetup) OnChangeSetup(this);
}

void TReportListView::ChangedSelection() {
  if (OnSelectedChange) OnSelectedChange(this);
}

void TReportListView::StringsHasChanged(TObject* /*Sender*/) {
  Changed();
  Paint();
}

void TReportListView::RepListPercDone(TObject* /*Sender*/, int Percent) {
  if (OnPercentDone) OnPercentDone(this, Percent);
}

void TReportListView::BeforeSortExchange(TObject* /*Sender*/, const String& InString, String& OutString) {
  if (OnBeforeSortExchange) OnBeforeSortExchange(this, InString, OutString);
}

void TReportListView::BeforeHTMLExport(TObject* /*Sender*/, String& Text, int Col, int Row) {
  if (OnBeforeHTMLExport) OnBeforeHTMLExport(this, Text, Col, Row);
}

// [SECTION] size and layout

void TReportListView::FitGridRows() {
  const int heads = CountHeadRows();
  const int rows = std::max(heads + NrOfRows(), heads + 1);
  if (rows > RowCount()) {
    TCustomGrid::SetRowCount(rows);
    TCustomGrid::SetFixedRows(heads);
  } else {
    TCustomGrid::SetFixedRows(heads);
    TCustomGrid::SetRowCount(rows);
  }
  SetHeaderHeights();
}

void TReportListView::FitFixedCols() { TCustomGrid::SetFixedCols(FFixedColOne && ColCount() >= 2 ? 1 : 0); }

void TReportListView::SetHeaderHeights() {
  const int def = TCustomGrid::DefaultRowHeight();
  const int row0 = FComHdVis ? FComHdHgt : FColHdVis ? FColHdHgt : def;
  const int row1 = FComHdVis && FColHdVis ? FColHdHgt : def;
  SetRowHeights(0, row0);
  if (RowCount() >= 2) SetRowHeights(1, row1);
}

void TReportListView::SetNrRows(int n) {
  FRLData->SetNrRows(n);
  SetSelection(TGridRect{0, 0, 0, 0});
  FitGridRows();
  Paint();
  ChangedSetup();
}

void TReportListView::SetNrCols(int n) {
  const int oldCount = NrOfColumns();
  const int lastWidth = TCustomGrid::ColWidths(ColCount() - 1);
  FRLData->SetNrCols(n);
  TCustomGrid::SetColCount(NrOfColumns());
  for (int g = std::max(oldCount, 1) - 1; g < NrOfColumns(); ++g) TCustomGrid::SetColWidths(g, lastWidth);
  FitFixedCols();
  try {
    ResizeColumnArrays(NrOfColumns());
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  Paint();
  ChangedSetup();
}

int TReportListView::GetColWidths(int c) const { return c < 1 ? 0 : TCustomGrid::ColWidths(c - 1); }

void TReportListView::SetColWidths(int c, int w) {
  if (ValidCol(c)) TCustomGrid::SetColWidths(c - 1, w);
  ChangedSetup();
}

void TReportListView::ExpandColWidth(int ColIx, int RightMargin) {
  if (ValidCol(ColIx)) {
    int64_t others = 0;
    for (int c = 1; c <= NrOfColumns(); ++c)
      if (c != ColIx) others += GetColWidths(c);
    const int64_t w = int64_t(ClientWidth()) - RightMargin - others;
    TCustomGrid::SetColWidths(ColIx - 1, int(std::clamp<int64_t>(w, 16, INT32_MAX)));
  }
  ChangedSetup();
}

int TReportListView::ItalicExtra() const { return Font()->Style().Contains(fsItalic) ? 2 : 0; }

int TReportListView::DetermineMaxColWidth(int ColNr, bool IncludeHeader) {
  if (!ValidCol(ColNr)) return 9;
  TCanvas* cv = Canvas();
  cv->Font()->Assign(Font());
  const bool box = GetColCheckMode(ColNr) == cmBox;
  const int extra = (box ? 16 : 0) + ItalicExtra();
  int widest = 0;
  for (int r = 1; r <= NrOfRows(); ++r) {
    String text = AnsiToString(FRLData->Strings->GetString(ColNr, r));
    if (box && !text.empty()) text.erase(0, 1);
    widest = std::max(widest, cv->TextWidth(text) + extra);
  }
  if (IncludeHeader) {
    const int arrow = LastSortColumn() == ColNr ? 13 : 0;
    widest = std::max(widest, cv->TextWidth(AnsiToString(GetColName(ColNr))) + arrow + ItalicExtra());
  }
  return widest + 9;
}

void TReportListView::AutoColWidth(int ColNr, bool IncludeHeader, int Addon) {
  SetColWidths(ColNr, std::max(DetermineMaxColWidth(ColNr, IncludeHeader) + Addon, 4));
}

void TReportListView::AutoColWidth(int ColNr, bool IncludeHeader, int Addon, int MaxWidth) {
  SetColWidths(ColNr, std::min(std::max(DetermineMaxColWidth(ColNr, IncludeHeader) + Addon, 4), MaxWidth));
}

void TReportListView::SetDefaultColWidth(int w) {
  TCustomGrid::SetDefaultColWidth(w);
  Paint();
  ChangedSetup();
}

void TReportListView::SetDefaultRowHeight(int h) {
  TCustomGrid::SetDefaultRowHeight(h);
  SetHeaderHeights();
  Paint();
  ChangedSetup();
}

void TReportListView::SetTopRow(int r) {
  const int heads = CountHeadRows();
  // Without rows the clamp range is empty: the first row after the headers.
  TCustomGrid::SetTopRow(std::clamp(r + heads - 1, heads, std::max(heads, heads + NrOfRows() - 1)));
}

void TReportListView::SetLeftCol(int c) {
  c = std::max(std::min(c, NrOfColumns()), TCustomGrid::FixedCols() + 1);
  TCustomGrid::SetLeftCol(c - 1);
}

void TReportListView::SetFixedFirstColumn(bool value) {
  FFixedColOne = value;
  FitFixedCols();
  Changed();
  Paint();
}

// [SECTION] properties

void TReportListView::SetCommonHeader(const String& value) {
  if (value == CommonHeader()) return;
  FRLData->SetCommonHeader(value);
  Changed();
  Paint();
}

void TReportListView::SetCommonHeaderAlignment(TAlignment value) {
  if (value == FHeaderAlignment) return;
  FHeaderAlignment = value;
  Changed();
  Paint();
}

void TReportListView::SetCommonHeaderVisible(bool value) {
  if (value == FComHdVis) return;
  FComHdVis = value;
  FitGridRows();
  Changed();
  Paint();
}

void TReportListView::SetColumnHeadersVisible(bool value) {
  if (value == FColHdVis) return;
  FColHdVis = value;
  FitGridRows();
  Changed();
  Paint();
}

void TReportListView::SetCommonHeaderHeight(int value) {
  FComHdHgt = std::clamp(value, 8, 127);
  SetHeaderHeights();
  Changed();
  Paint();
}

void TReportListView::SetColumnHeadersHeight(int value) {
  FColHdHgt = std::clamp(value, 8, 127);
  SetHeaderHeights();
  Changed();
  Paint();
}

template <typename T>
void TReportListView::SetLook(T& field, T value) {
  field = value;
  Paint();
  ChangedSetup();
}

void TReportListView::SetColorCommonHd(TColor c) { SetLook(FComHdColor, c); }
void TReportListView::SetColorCommonHdText(TColor c) { SetLook(FComHdTxtColor, c); }
void TReportListView::SetColorColumnHd(TColor c) {
  SetFixedColor(c);
  SetLook(FColHdColor, c);
}
void TReportListView::SetColorColumnHdText(TColor c) { SetLook(FColHdTxtColor, c); }
void TReportListView::SetColorText(TColor c) { SetLook(FColorNormal, c); }
void TReportListView::SetColorBkgdNormal(TColor c) { SetLook(FRColorNormal, c); }
void TReportListView::SetColorBkgdShaded(TColor c) { SetLook(FRColorShaded, c); }
void TReportListView::SetColorHigh(TColor c) { SetLook(FHiLgtColor, c); }
void TReportListView::SetColorHighText(TColor c) { SetLook(FHiLgtTextColor, c); }
void TReportListView::SetColorSelectedRow(TColor c) { SetLook(FSelRowColor, c); }
void TReportListView::SetColorSelectedRowText(TColor c) { SetLook(FSelRowTextColor, c); }
void TReportListView::SetColorSelectedCol(TColor c) { SetLook(FSelColColor, c); }
void TReportListView::SetColorSelectedColText(TColor c) { SetLook(FSelColTextColor, c); }
void TReportListView::SetColorSelectedBoth(TColor c) { SetLook(FSelBothColor, c); }
void TReportListView::SetColorSelectedBothText(TColor c) { SetLook(FSelBothTextColor, c); }
void TReportListView::SetColorDisabledBkgd(TColor c) { SetLook(FDisabledBkgdColor, c); }
void TReportListView::SetColorDisabledText(TColor c) { SetLook(FDisabledTextColor, c); }
void TReportListView::SetInterRowIndicatorColor(TColor c) { SetLook(FInterRowColor, c); }
void TReportListView::SetInterRowIndicatorWidth(int w) { SetLook(FInterRowWidth, w); }
void TReportListView::SetHighLightRow(int r) { SetLook(FHiLgtRow, r); }
void TReportListView::SetHighLightColumn(int c) { SetLook(FHiLgtColumn, c); }
void TReportListView::SetHighLightBold(bool b) { SetLook(FHiLgtBold, b); }
void TReportListView::SetRowColPattern(int n) { SetLook(FRowColPattern, n); }

void TReportListView::SetColorEmptyMsg(TColor c) {
  if (c != FColorEmptyMsg) SetLook(FColorEmptyMsg, c);
}

void TReportListView::SetEmptyMessage(const String& s) {
  if (s != FEmptyMsg) SetLook(FEmptyMsg, s);
}

void TReportListView::SetShowEmptyCheckBoxes(bool b) {
  if (b == FShowEmptyCBx) return;
  FShowEmptyCBx = b;
  Paint();
}

void TReportListView::SetCheckMarksReadOnly(bool b) {
  if (b == FROCheckMarks) return;
  FROCheckMarks = b;
  Paint();
}

void TReportListView::SetInterRowIndicatorPos(int p) {
  if (p == FInterRowIndi) return;
  FInterRowIndi = p;
  Paint();
}

void TReportListView::SetEnabled(bool value) {
  FEnabled = value;
  TCustomDrawGrid::SetEnabled(value);
  Paint();
}

void TReportListView::SetSecondarySortColumn(int c) {
  if (c < -1 || c > NrOfColumns()) return;
  FRLData->FSortColumnSec = c;
  ChangedSetup();
}

void TReportListView::SetColName(int c, std::string_view s) {
  if (!ValidCol(c)) return;
  FRLData->SetColName(c, s);
  Changed();
  Paint();
}

void TReportListView::SetColumnFormat(int c, std::string_view s) {
  if (!ValidCol(c)) return;
  FRLData->SetColumnFormat(c, s);
  Changed();
  Paint();
}

void TReportListView::SetCheckedCol(int c, bool b) { SetColCheckMode(c, b ? cmBox : cmNone); }

void TReportListView::SetColCheckMode(int c, TCheckMode m) {
  FRLData->SetColCheckMode(c, m);
  Changed();
  Paint();
}

void TReportListView::SetAllCheckmarksOfCol(int c, bool b) {
  if (GetColCheckMode(c) == cmBox) Suppressed([&] { FRLData->SetAllCheckmarksOfCol(c, b); });
}

void TReportListView::InvertAllCheckmarksOfCol(int c) {
  if (GetColCheckMode(c) == cmBox) Suppressed([&] { FRLData->InvertAllCheckmarksOfCol(c); });
}

TAlignment TReportListView::GetColAlignment(int c) const {
  return ValidCol(c) ? FColAlignment[size_t(c - 1)] : taLeftJustify;
}

void TReportListView::SetColAlignment(int c, TAlignment a) {
  if (!ValidCol(c) || FColAlignment[size_t(c - 1)] == a) return;
  FColAlignment[size_t(c - 1)] = a;
  Changed();
  Paint();
}

bool TReportListView::GetColumnEditable(int c) const { return ValidCol(c) && FColumnEditable[size_t(c - 1)]; }

void TReportListView::SetColumnEditable(int c, bool b) {
  if (ValidCol(c)) FColumnEditable[size_t(c - 1)] = b;
}

bool TReportListView::GetColumnIsPwd(int c) const { return ValidCol(c) && FColumnIsPwd[size_t(c - 1)]; }

void TReportListView::SetColumnIsPwd(int c, bool b) {
  if (!ValidCol(c) || FColumnIsPwd[size_t(c - 1)] == b) return;
  FColumnIsPwd[size_t(c - 1)] = b;
  Changed();
  Paint();
}

// [SECTION] selection

void TReportListView::SetRowAttribQuietly(int r, uint8_t b) {
  FRLData->Quietly(false, [&] { FRLData->Strings->SetRowAttrib(r, b); });
}

void TReportListView::SetRowBit(int r, uint8_t bit, bool on) {
  const uint8_t old = FRLData->Strings->GetRowAttrib(r);
  SetRowAttribQuietly(r, on ? uint8_t(old | bit) : uint8_t(old & ~bit));
}

void TReportListView::SetAllRowBits(uint8_t bit, bool on) {
  Suppressed([&] {
    for (int r = 1; r <= NrOfRows(); ++r) SetRowBit(r, bit, on);
  });
}

void TReportListView::SetAllColBits(uint8_t bit, bool on) {
  Suppressed([&] {
    FRLData->Quietly(false, [&] {
      for (int c = 1; c <= NrOfColumns(); ++c) {
        const uint8_t old = FRLData->Strings->GetColAttrib(c);
        FRLData->Strings->SetColAttrib(c, on ? uint8_t(old | bit) : uint8_t(old & ~bit));
      }
    });
  });
  ChangedSelection();
}

bool TReportListView::GetRowSelect(int r) const {
  return ValidRow(r) && (FRLData->Strings->GetRowAttrib(r) & kSelected) != 0;
}

void TReportListView::SetRowSelect(int r, bool b) {
  if (!ValidRow(r)) return;
  SetRowBit(r, kSelected, b);
  ChangedSelection();
  Paint();
}

bool TReportListView::GetRowEnabled(int r) const {
  return ValidRow(r) && (FRLData->Strings->GetRowAttrib(r) & kDisabled) == 0;
}

void TReportListView::SetRowEnabled(int r, bool b) {
  if (!ValidRow(r)) return;
  SetRowBit(r, kDisabled, !b);
  ChangedSelection();
  Paint();
}

bool TReportListView::GetColSelect(int c) const {
  return ValidCol(c) && (FRLData->Strings->GetColAttrib(c) & kSelected) != 0;
}

void TReportListView::SetColSelect(int c, bool b) {
  if (!ValidCol(c)) return;
  const uint8_t old = FRLData->Strings->GetColAttrib(c);
  FRLData->Quietly(
      false, [&] { FRLData->Strings->SetColAttrib(c, b ? uint8_t(old | kSelected) : uint8_t(old & ~kSelected)); });
  ChangedSelection();
  Paint();
}

int TReportListView::FirstSelectedRow() const {
  for (int r = 1; r <= NrOfRows(); ++r)
    if (GetRowSelect(r)) return r;
  return 0;
}

int TReportListView::FirstSelectedColumn() const {
  for (int c = 1; c <= NrOfColumns(); ++c)
    if (GetColSelect(c)) return c;
  return 0;
}

int TReportListView::NumSelectedRows() const {
  int n = 0;
  for (int r = 1; r <= NrOfRows(); ++r) n += GetRowSelect(r);
  return n;
}

int TReportListView::NumSelectedColumns() const {
  int n = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) n += GetColSelect(c);
  return n;
}

int TReportListView::NumEnabledRows() const {
  int n = 0;
  for (int r = 1; r <= NrOfRows(); ++r) n += GetRowEnabled(r);
  return n;
}

void TReportListView::SelectAllRows() {
  SetAllRowBits(kSelected, true);
  ChangedSelection();
}

void TReportListView::DeselectAllRows() {
  SetAllRowBits(kSelected, false);
  ChangedSelection();
}

void TReportListView::EnableAllRows() {
  SetAllRowBits(kDisabled, false);
  ChangedSelection();
}

void TReportListView::DisableAllRows() {
  SetAllRowBits(kDisabled, true);
  ChangedSelection();
}

void TReportListView::SelectAllColumns() { SetAllColBits(kSelected, true); }

void TReportListView::DeselectAllColumns() { SetAllColBits(kSelected, false); }

void TReportListView::CenterScrollAndSelect(int Row) {
  if (!ValidRow(Row)) return;
  Suppressed([&] {
    for (int r = 1; r <= NrOfRows(); ++r) SetRowBit(r, kSelected, r == Row);
    SetTopRow(Row - VisibleRowCount() / 2);
    MoveColRow(std::max(TCustomGrid::Col(), TCustomGrid::FixedCols()), GridRowOf(Row), true, false);
  });
  ChangedSelection();
}

void TReportListView::SetRowSelectMode(int m) {
  FRowSelectMode = std::clamp(m, 0, 2);
  Suppressed([&] {
    if (FRowSelectMode != 2)
      for (int r = 1; r <= NrOfRows(); ++r) SetRowBit(r, kSelected, false);
    if (FRowSelectMode == 0)
      SetSelection(TGridRect{NrOfColumns() + 1, NrOfRows() + 1, NrOfColumns() + 1, NrOfRows() + 1});
  });
  ChangedSelection();
}

TGridCoord TReportListView::MouseCell(int X, int Y) const {
  const TGridCoord g = MouseCoord(X, Y);
  TGridCoord cell{g.X < 0 ? 0 : g.X + 1, 0};
  if (g.Y < 0) return cell;
  if (g.Y == ColHeaderRow())
    cell.Y = -1;
  else if (g.Y == ComHeaderRow())
    cell.Y = -2;
  else if (ValidRow(DataRowOf(g.Y)))
    cell.Y = DataRowOf(g.Y);
  return cell;
}

TPoint TReportListView::GridExtent() const {
  TPoint p{0, 0};
  for (int g = 0; g < ColCount(); ++g) {
    const TRect r = CellRect(g, TCustomGrid::TopRow());
    if (r.Right > r.Left) p.X = std::max(p.X, r.Right + 1);
  }
  for (int g = 0; g < RowCount(); ++g) {
    const TRect r = CellRect(TCustomGrid::LeftCol(), g);
    if (r.Bottom > r.Top) p.Y = std::max(p.Y, r.Bottom + 1);
  }
  return p;
}

// [SECTION] rows and sorting

int TReportListView::InsertRow(int r) {
  HideEditor();
  Suppressed([&] {
    if (ValidRow(r)) {
      const int before = NrOfRows();
      FRLData->Strings->InsertRow(r);  // the store's InsertRow keeps every other row's place
      if (FRLData->Strings->NrOfRows() > before) FRLData->SetNrRows(before + 1);
      FitGridRows();
      ChangedSetup();
    } else if (r > NrOfRows()) {
      FRLData->Strings->CommitSorting();  // growing the store resets its order: keep the one shown
      FRLData->SetNrRows(NrOfRows() + 1);
      r = NrOfRows();
      FitGridRows();
      ChangedSetup();
    }
    FRLData->FSortColumn = -1;
    FRLData->FSortColumnSec = -1;
  });
  return r;
}

int TReportListView::AddRow() {
  HideEditor();
  Suppressed([&] {
    FRLData->Strings->CommitSorting();  // growing the store resets its order: keep the one shown
    FRLData->SetNrRows(NrOfRows() + 1);
    FitGridRows();
  });
  ChangedSetup();
  return NrOfRows();
}

void TReportListView::RemoveRow(int r) {
  if (!ValidRow(r)) return;
  HideEditor();
  Suppressed([&] {
    FRLData->RemoveRow(r);
    FitGridRows();
    ChangedSetup();
  });
}

void TReportListView::RemoveEmptyRows() {
  HideEditor();
  Suppressed([&] {
    FRLData->RemoveEmptyRows();
    FitGridRows();
  });
  ChangedSetup();
}

void TReportListView::Fill(std::string_view s) {
  HideEditor();
  Suppressed([&] { FRLData->Fill(s); });
}

void TReportListView::Clear() {
  HideEditor();
  Suppressed([&] {
    FRLData->Clear();
    std::fill(FColAlignment.begin(), FColAlignment.end(), taLeftJustify);
    std::fill(FColumnEditable.begin(), FColumnEditable.end(), false);
    std::fill(FColumnIsPwd.begin(), FColumnIsPwd.end(), false);
  });
}

void TReportListView::Sort(int Col, int ColSec, bool Ascending) {
  Suppressed([&] { FRLData->Sort(Col, ColSec, Ascending); });
}

void TReportListView::UnSort() {
  Suppressed([&] { FRLData->UnSort(); });
}

void TReportListView::CheckStateHasChanged(bool State, int Col, int Row) {
  if (OnCheckedChange) OnCheckedChange(this, State, Col, Row);
}

void TReportListView::BeforeCheckStateChange(bool& State, int Col, int Row) {
  if (OnBeforeCheckedChange) OnBeforeCheckedChange(this, State, Col, Row);
}

// [SECTION] text exchange

int TReportListView::LoadLinesFromFile(int Column, int FirstRow, const String& FName) {
  return ReadFromData([&] { return FRLData->LoadLinesFromFile(Column, FirstRow, FName); });
}

template <typename Read>
int TReportListView::ReadFromData(Read&& read) {
  HideEditor();
  int n = 0;
  Suppressed([&] {
    n = read();
    TCustomGrid::SetColCount(NrOfColumns());
    FitFixedCols();
    ResizeColumnArrays(NrOfColumns());
    FitGridRows();
  });
  ChangedSetup();
  return n;
}

void TReportListView::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) {
  FRLData->WriteToOpenXMLFile(f, CreateHeader, DataID);
  Paint();
  ChangedSetup();
}

void TReportListView::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) {
  FRLData->WriteToXMLStream(OutStream, CreateHeader, DataID);
  Paint();
  ChangedSetup();
}

void TReportListView::SaveAsXMLFile(const String& FName, const String& DataID) {
  FRLData->SaveAsXMLFile(FName, DataID);
  Paint();
  ChangedSetup();
}

void TReportListView::ExportHTMLTable(const String& FName, int LeftCol, int TopRow, int RightCol, int BottomRow,
                                      std::span<const int> Columns, int Border, int CellPadding, int CellSpacing,
                                      bool ColumnHeaders, const String& Title, const String& TableAttributes,
                                      const String& Caption) {
  FRLData->ExportHTMLTable(FName, LeftCol, TopRow, RightCol, BottomRow, Columns, Border, CellPadding, CellSpacing,
                           ColumnHeaders, Title, TableAttributes, Caption);
  Paint();
  ChangedSetup();
}

int TReportListView::ReadFromXMLString(const String& InString, const String& DataID) {
  return ReadFromData([&] { return FRLData->ReadFromXMLString(InString, DataID); });
}

int TReportListView::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  return ReadFromData([&] { return FRLData->ReadFromXMLStream(InStream, DataID); });
}

int TReportListView::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  return ReadFromData([&] { return FRLData->ReadFromOpenXMLFile(f, DataID); });
}

int TReportListView::LoadFromXMLFile(const String& FName, const String& DataID) {
  return ReadFromData([&] { return FRLData->LoadFromXMLFile(FName, DataID); });
}

// [SECTION] mouse and keys

void TReportListView::HeaderClickSort(int gc) {
  const TCursor cursor = Screen()->Cursor();
  Screen()->SetCursor(crHourGlass);
  const int current = DataRowOf(TCustomGrid::Row());
  const int phys = FRLData->Strings->GetSortOrder(current);
  FRLData->FSortToggle = !FRLData->FSortToggle;  // one toggle for every column
  Sort(gc + 1, SecondarySortColumn(), FRLData->FSortToggle);
  for (int r = 1; r <= NrOfRows() && phys > 0; ++r)
    if (FRLData->Strings->GetSortOrder(r) == phys) {
      MoveColRow(TCustomGrid::Col(), GridRowOf(r), true, true);
      break;
    }
  Screen()->SetCursor(cursor);
}

void TReportListView::ToggleCheck(int c, int r) {
  const TCheckMode mode = GetColCheckMode(c);
  bool state = !GetElemChecked(c, r);
  BeforeCheckStateChange(state, c, r);
  if (mode == cmRadio)
    FRLData->SetElemChecked(c, r, true);  // a radio click always ends checked
  else
    FRLData->SetElemChecked(c, r, state);
  CheckStateHasChanged(!state, c, r);
}

void TReportListView::SelectByMouse(int r, TShiftState Shift) {
  if (FRowSelectMode == 1) {
    for (int k = 1; k <= NrOfRows(); ++k) SetRowBit(k, kSelected, k == r);
  } else if (Shift.Contains(ssShift)) {
    const bool on = GetRowSelect(FSelectAnchor);  // only the selection bit travels
    for (int k = std::min(FSelectAnchor, r); k <= std::max(FSelectAnchor, r); ++k) SetRowBit(k, kSelected, on);
  } else {
    FSelectAnchor = r;
    if (Shift.Contains(ssCtrl) || !FCtrlForMultiSel) {
      SetRowBit(r, kSelected, !GetRowSelect(r));
    } else {
      for (int k = 1; k <= NrOfRows(); ++k) SetRowBit(k, kSelected, k == r);
    }
  }
  ChangedSelection();
}

void TReportListView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomDrawGrid::MouseDown(Button, Shift, X, Y);
  const TPoint extent = GridExtent();
  if (Button != mbLeft || X <= 0 || Y <= 0 || X >= extent.X || Y >= extent.Y) return;
  const TGridCoord g = MouseCoord(X, Y);
  if (g.X < 0 || g.Y < 0) return;
  if (g.Y == ColHeaderRow()) {
    const TRect cell = CellRect(g.X, g.Y);
    if (FSortEnabled && X - cell.Left > kBorderZone && cell.Right - X > kBorderZone) HeaderClickSort(g.X);
    return;
  }
  const bool commonHeader = g.Y == ComHeaderRow();
  const int c = g.X + 1, r = DataRowOf(TCustomGrid::Row());
  Suppressed([&] {
    TGridOptions options = Options();
    if (GetColumnEditable(c) && GetRowEnabled(r))
      options.Include(goEditing);
    else
      options.Exclude(goEditing);
    SetOptions(options);
    const int dataRow = DataRowOf(g.Y);
    const TRect cell = CellRect(g.X, g.Y);
    const bool hasMark = FRLData->Strings->GetString(c, dataRow).size() > 1 || FShowEmptyCBx;
    if (!commonHeader && GetColCheckMode(c) != cmNone && X - cell.Left < 18 && !FROCheckMarks &&
        GetRowEnabled(dataRow) && hasMark)
      ToggleCheck(c, dataRow);
    if (FRowSelectMode != 0 && ValidRow(r)) SelectByMouse(r, Shift);
  });
}

void TReportListView::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomDrawGrid::MouseUp(Button, Shift, X, Y);
  if (FRowSelectMode != 2) return;
  const TPoint extent = GridExtent();
  if (X >= extent.X || (Y >= extent.Y && Button == mbLeft)) {
    SetAllRowBits(kSelected, false);
    ChangedSelection();
  }
}

void TReportListView::MouseMove(TShiftState Shift, int X, int Y) {
  FLastMousePosX = X;
  FLastMousePosY = Y;
  TCustomDrawGrid::MouseMove(Shift, X, Y);
}

void TReportListView::DblClick() {
  const TGridCoord g = MouseCoord(FLastMousePosX, FLastMousePosY);
  if (FLastMousePosY < GridExtent().Y && FColHdVis && g.Y >= 0 && g.Y == ColHeaderRow() && g.X >= 0) {
    const TRect cell = CellRect(g.X, g.Y);
    int col = 0;  // the data column left of the border clicked
    if (FLastMousePosX - cell.Left < kBorderZone + 1)
      col = g.X;
    else if (cell.Right - FLastMousePosX <= kBorderZone)
      col = g.X + 1;
    while (col > 1 && GetColWidths(col) <= 0) --col;
    if (col >= 1) AutoColWidth(col, true, 0);
    return;  // no OnDblClick on the header line
  }
  TCustomDrawGrid::DblClick();
}

void TReportListView::SelectCurrentRowOnly() {
  const int r = DataRowOf(TCustomGrid::Row());
  Suppressed([&] {
    for (int k = 1; k <= NrOfRows(); ++k) SetRowBit(k, kSelected, k == r);
  });
  ChangedSelection();
}

void TReportListView::KeyDown(Word& Key, TShiftState Shift) {
  const Word key = Key;
  TCustomDrawGrid::KeyDown(Key, Shift);
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      SelectCurrentRowOnly();
      break;
    default:
      break;
  }
}

void TReportListView::KeyPress(Char& Key) {
  const Char typed = Key;
  TCustomDrawGrid::KeyPress(Key);
  if (FAutoAdvance && typed == u'\r') {
    Word down = VK_DOWN;
    KeyDown(down, {});
  }
}

bool TReportListView::SelectCell(int ACol, int ARow) {
  TGridOptions options = Options();
  if (ARow != 0 && GetColumnEditable(ACol + 1))
    options.Include(goEditing);
  else
    options.Exclude(goEditing);
  SetOptions(options);
  return TCustomDrawGrid::SelectCell(ACol, ARow);
}

String TReportListView::GetEditText(int ACol, int ARow) {
  const int c = ACol + 1, r = DataRowOf(ARow);
  String value = AnsiToString(FRLData->Strings->GetString(c, r));
  if (GetColCheckMode(c) != cmNone && !value.empty()) value.erase(0, 1);
  if (OnGetEditText) OnGetEditText(this, ACol, r, value);
  return value;
}

void TReportListView::SetEditText(int ACol, int ARow, const String& Value) {
  const int c = ACol + 1, r = DataRowOf(ARow);
  String stored = Value;
  if (GetColCheckMode(c) != cmNone) {
    const AnsiString old = FRLData->Strings->GetString(c, r);
    stored.insert(0, 1, old.empty() || old[0] == ' ' ? u' ' : u'X');
  }
  FRLData->Strings->SetString(c, r, StringToAnsi(stored.substr(0, TStringArray::MaxTextLength)));
  if (OnSetEditText) OnSetEditText(this, ACol, r, Value);
}

// [SECTION] filter

namespace {

/// Does the text hold the search text (fmSimple), every blank-separated word of it (fmBoolean) or a
/// match of the compiled expression (fmGrep)?
bool RowTextMatches(const String& text, const std::vector<String>& words, TGrep* grep) {
  if (grep != nullptr) {
    int pos = 0;
    return grep->MatchString(text, pos);
  }
  for (const String& w : words)
    if (text.find(w) == String::npos) return false;
  return true;
}

String FoldAZ(String s) {
  for (Char& ch : s)
    if (ch >= u'A' && ch <= u'Z') ch = Char(ch + 32);
  return s;
}

bool Combine(bool own, bool internal, TLogicOp op) {
  switch (op) {
    case loAND:
      return own && internal;
    case loOR:
      return own || internal;
    case loXOR:
      return own != internal;
    case loANDNot:
      return own && !internal;
    case loORNot:
      return own || !internal;
    case loXORNot:
      return own == internal;
  }
  return own;
}

}  // namespace

int TReportListView::FilterAndSort(const String& SearchText, std::span<const int> Columns, bool IgnoreCase,
                                   TFilterMode Mode, int SortCol, bool SortAscending) {
  HideEditor();
  std::vector<int> cols;
  for (int c : Columns)
    if (ValidCol(c)) cols.push_back(c);
  if (Columns.empty())
    for (int c = 1; c <= NrOfColumns(); ++c) cols.push_back(c);
  const String needle = IgnoreCase && Mode != fmGrep ? FoldAZ(SearchText) : SearchText;
  std::vector<String> words;
  if (Mode == fmBoolean) {
    size_t at = 0;
    while (at < needle.size()) {
      const size_t end = std::min(needle.find(u' ', at), needle.size());
      if (end > at) words.push_back(needle.substr(at, end - at));
      at = end + 1;
    }
  } else {
    words.push_back(needle);
  }
  std::unique_ptr<TGrep> grep;
  if (Mode == fmGrep) {
    grep = std::make_unique<TGrep>(nullptr);
    grep->SetStopOnError(false);
    grep->SetIgnoreCase(IgnoreCase);
    grep->SetRegExp(SearchText);
  }
  const int n = NrOfRows();
  std::vector<char> found(size_t(n) + 1, 0);
  int matches = 0;
  for (int r = 1; r <= n; ++r) {
    bool hit = false;
    for (int c : cols) {
      const String text = AnsiToString(GetElem(c, r));
      if (RowTextMatches(IgnoreCase && Mode != fmGrep ? FoldAZ(text) : text, words, grep.get())) {
        hit = true;
        break;
      }
    }
    if (OnBeforeFilter) {
      // Untouched (false, loOR) leaves the internal result; (true, loOR) and (false, loAND) set it.
      bool own = false;
      TLogicOp op = loOR;
      OnBeforeFilter(this, r, own, op);
      hit = Combine(own, hit, op);
    }
    found[size_t(r)] = hit;
    matches += hit;
  }
  // Stable move of the matches to the top, each group ordered by SortCol.
  std::vector<int> order(static_cast<size_t>(n));
  for (int r = 1; r <= n; ++r) order[size_t(r - 1)] = r;
  auto key = [&](int r) { return UpperCase(AnsiToString(FRLData->Strings->GetString(SortCol, r))); };
  std::vector<String> keys(size_t(n) + 1);
  if (SortCol >= 1 && SortCol <= NrOfColumns())
    for (int r = 1; r <= n; ++r) keys[size_t(r)] = key(r);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    if (found[size_t(a)] != found[size_t(b)]) return found[size_t(a)] > found[size_t(b)];
    if (SortCol < 1 || SortCol > NrOfColumns()) return false;
    return SortAscending ? keys[size_t(a)] < keys[size_t(b)] : keys[size_t(b)] < keys[size_t(a)];
  });
  Suppressed([&] {
    FRLData->Quietly(false, [&] {
      std::vector<int> phys(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) phys[size_t(i)] = FRLData->Strings->GetSortOrder(order[size_t(i)]);
      for (int i = 0; i < n; ++i) FRLData->Strings->SetSortOrder(i + 1, phys[size_t(i)]);
      for (int r = 1; r <= n; ++r) SetRowBit(r, kSelected, r <= matches);
    });
    FRLData->FSortColumn = SortCol >= 1 && SortCol <= NrOfColumns() ? SortCol : -1;
    FRLData->FSortOrder = SortAscending;
  });
  ChangedSelection();
  return matches;
}

}  // namespace qelta
