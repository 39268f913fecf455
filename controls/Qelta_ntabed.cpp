// Qelta_ntabed: the table editor's core: construction, the hooks on the table, notification and
// painting, size and structure, cells, headings, layout, bands, sorting and other tables.
//
// Index
//   [SECTION] construction       the 3 x 4 start on the grid's 5 x 5 cells, destruction
//   [SECTION] hooks              the four table events, the free notification, the font
//   [SECTION] notification       the two suppression flags, Paint
//   [SECTION] size and structure
//   [SECTION] cells and marks
//   [SECTION] headings and comment
//   [SECTION] layout and bands
//   [SECTION] sorting and other tables
//
// Deviations from the classic component, keeping what hosts rely on:
//  - The decimals are kept per data column 1..n; a column without an entry (there is none before
//    the first) shows 3. The classic array was sized to the column count and read one past its end
//    for the last column and at every resize.
//  - The destructor and AssignAnotherDataMatrix clear every hook the editor put on an assigned table
//    (OnResize and OnSortExchange too, which a later resize or sort of the table called on a freed
//    editor), where they still lead to this editor, and drop its free notification.
//  - Showing a band grows the grid before the fixed count does, hiding lowers the fixed count first
//    (with one data column the grid refused a fixed count that was not below the column count).
//  - SetNrCols and SetNrRows fire OnChangeSetup (the classic called it while its own suppression
//    was still set, so it never fired for a size change).
//  - FillMarkedCells restores the host's SuppressPaint instead of clearing it, and fires OnChange
//    when it wrote a cell (the values changed without any notification).
//  - The structure operations and sorts commit and hide an open in-place editor first, so its text
//    lands in the cell it was typed for.

#include "Qelta_ntabed.h"

#include <algorithm>
#include <new>
#include <utility>

#include "Encoding.h"
#include "Qelta_ntabed_internal.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"

namespace qelta {

using ctl_detail::TFlagHold;

namespace {

constexpr int kNameColWidth = 80;  // the row-name column after construction and SetDefColWidth
constexpr int kMinDecimals = -1, kMaxDecimals = 10, kDefaultDecimals = 3;
constexpr int kMaxNameLength = 50;

bool DesignMode(const TComponent* owner) {
  return owner != nullptr && owner->ComponentState().Contains(csDesigning);
}

}  // namespace

// The hooks the editor puts on a table: callables that name their editor, so that the editor can
// tell its own hooks from what the host installed later.
struct TNTabEd::TChangeHook {
  TNTabEd* Editor;
  void operator()(TObject* Sender) const { Editor->DataHasChanged(Sender); }
};
struct TNTabEd::TSetupHook {
  TNTabEd* Editor;
  void operator()(TObject* Sender) const { Editor->SetupHasChanged(Sender); }
};
struct TNTabEd::TResizeHook {
  TNTabEd* Editor;
  void operator()(TObject* Sender, int oc, int orows, int nc, int nr) const {
    Editor->DataHasBeenResized(Sender, oc, orows, nc, nr);
  }
};
struct TNTabEd::TSortHook {
  TNTabEd* Editor;
  void operator()(TObject* Sender, uint8_t What, int i1, int i2, int First, int Last) const {
    Editor->ExchangeDuringSort(Sender, What, i1, i2, First, Last);
  }
};

// [SECTION] construction

TNTabEd::TNTabEd(TComponent* AOwner) : TCustomGrid(AOwner), FColPickList(std::make_unique<TStringList>()) {
  SetFixedCols(FColOffset + 1);
  if (!DesignMode(AOwner)) {
    FNameEd = std::make_unique<TEdit>(nullptr);
    FCommentMM = std::make_unique<TMemo>(nullptr);
    for (TWinControl* c : {static_cast<TWinControl*>(FNameEd.get()), static_cast<TWinControl*>(FCommentMM.get())}) {
      c->SetVisible(false);
      c->SetParent(this);
    }
    FNameEd->OnKeyPress = [this](TObject* Sender, Char& Key) { NameEdKeyPress(Sender, Key); };
    FCommentMM->OnKeyPress = [this](TObject* Sender, Char& Key) { CommentMemoKeyPress(Sender, Key); };
    FCommentMM->SetScrollBars(ssBoth);  // a comment longer than the memo is scrolled by its bar too
  }
  TCustomGrid::SetColWidths(1, FClassColWidth);
  TCustomGrid::SetColWidths(0, kNameColWidth);
  FDataCopy = std::make_unique<TDataTable>(nullptr);
  FOwnData = std::make_unique<TDataTable>(nullptr);
  Data = FOwnData.get();
  Data->Resize(ColCount() - 2, RowCount() - 1);
  Data->OnSortExchange = TSortHook{this};
  try {
    Data->NumericData->Fill(0);
    FDecP.assign(static_cast<std::size_t>(NrOfColumns()), kDefaultDecimals);
  } catch (const std::bad_alloc&) {
    throw EQeltaNTabedError(u"Component \"" + Name() + u"\": failed to initialize table editor (out of memory)");
  }
  HookTable(Data);
  FShownCols = NrOfColumns();
  FShownRows = NrOfRows();
  BuildMenus();
  SetFixedColor(FColorFixed);
  SetColor(FColorBkgnd);
  FInternSuppPaint = false;
}

TNTabEd::~TNTabEd() {
  FInternSuppPaint = true;  // nothing paints or notifies while the parts go
  if (FExtMatAssigned) {
    UnhookTable(Data);
    RemoveFreeNotification(Data);
  }
  FPopupD.reset();
  FPopupH.reset();
  FColPickList.reset();
  FNameEd.reset();
  FCommentMM.reset();
  FDataCopy.reset();
  FOwnData.reset();
  Data = nullptr;
}

// [SECTION] hooks

void TNTabEd::HookTable(TDataTable* t) {
  t->OnChange = TChangeHook{this};
  t->OnChangeSetup = TSetupHook{this};
  t->OnResize = TResizeHook{this};
  t->OnSortExchange = TSortHook{this};
}

void TNTabEd::UnhookTable(TDataTable* t) {
  auto clear = [this]<class Hook>(auto& event, Hook*) {
    const Hook* hook = event.template target<Hook>();
    if (hook != nullptr && hook->Editor == this) event = nullptr;
  };
  clear(t->OnChange, static_cast<TChangeHook*>(nullptr));
  clear(t->OnChangeSetup, static_cast<TSetupHook*>(nullptr));
  clear(t->OnResize, static_cast<TResizeHook*>(nullptr));
  clear(t->OnSortExchange, static_cast<TSortHook*>(nullptr));
}

void TNTabEd::DataHasChanged(TObject* /*Sender*/) {
  ChangedData();
  Paint();
}

void TNTabEd::SetupHasChanged(TObject* /*Sender*/) {
  ChangedSetup();
  Paint();
}

void TNTabEd::DataHasBeenResized(TObject* /*Sender*/, int OldColumns, int OldRows, int NewColumns, int NewRows) {
  FitGrid(OldColumns, OldRows, NewColumns, NewRows);
  Paint();
}

void TNTabEd::FitGrid(int OldColumns, int /*OldRows*/, int NewColumns, int NewRows) {
  // The grid keeps one blank data column (row) for a table without any.
  const int oldCols = ColCount() - FColOffset - 1, oldRows = RowCount() - FRowOffset - 1;
  const int newCols = std::max(NewColumns, 1), newRows = std::max(NewRows, 1);
  const int w = TCustomGrid::ColWidths(ColCount() - 1), h = RowHeights(RowCount() - 1);
  SetColCount(newCols + FColOffset + 1);
  for (int c = oldCols; c <= newCols; ++c) TCustomGrid::SetColWidths(c + FColOffset, w);
  SetRowCount(newRows + FRowOffset + 1);
  for (int r = oldRows; r <= newRows; ++r) SetRowHeights(r + FRowOffset, h);
  FitDecimals(OldColumns, NewColumns);
  FShownCols = std::max(NewColumns, 0);
  FShownRows = std::max(NewRows, 0);
}

void TNTabEd::FitDecimals(int OldColumns, int NewColumns) {
  // New columns take the decimals of the previous last one; without one, the default.
  const bool known = OldColumns >= 1 && OldColumns <= static_cast<int>(FDecP.size());
  const int8_t p = known ? FDecP[static_cast<std::size_t>(OldColumns - 1)] : static_cast<int8_t>(kDefaultDecimals);
  try {
    FDecP.resize(static_cast<std::size_t>(std::max(NewColumns, 0)), p);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
}

void TNTabEd::RaiseNoMemory() const {
  throw EQeltaNTabedError(u"Component \"" + Name() + u"\": not enough memory on heap");
}

void TNTabEd::ExchangeDuringSort(TObject* /*Sender*/, uint8_t ExchgWhat, int index1, int index2, int /*first*/,
                                 int /*last*/) {
  const int n = static_cast<int>(FDecP.size());
  if (ExchgWhat != 1 || !FSortIncludeHd || index1 < 1 || index2 < 1 || index1 > n || index2 > n) return;
  std::swap(FDecP[static_cast<std::size_t>(index1 - 1)], FDecP[static_cast<std::size_t>(index2 - 1)]);
}

void TNTabEd::FontHasChanged(TObject* /*Sender*/) {
  Canvas()->Font()->Assign(Font());
  Paint();
}

void TNTabEd::WndProc(TMessage& Message) {
  TCustomGrid::WndProc(Message);
  if (Message.Msg == WM_GETDLGCODE) Message.Result |= DLGC_WANTTAB;  // Tab reaches the grid
  if (Message.Msg == CM_FONTCHANGED) FontHasChanged(this);
}

void TNTabEd::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomGrid::Notification(AComponent, Operation);
  if (Operation != opRemove || !FExtMatAssigned || AComponent != Data) return;
  // The table is going and nothing of it may be touched any more: the grid still knows its size.
  FExtMatAssigned = false;
  FOwnData = std::make_unique<TDataTable>(nullptr);
  Data = FOwnData.get();
  Data->Resize(FShownCols, FShownRows);
  HookTable(Data);
  if (!ComponentState().Contains(csDestroying)) Paint();
}

// [SECTION] notification

void TNTabEd::Notify(const TNotifyEvent& event) {
  if (!PaintSuppressed() && event) event(this);
}

void TNTabEd::ChangedData() { Notify(OnChange); }
void TNTabEd::ChangedHeading() { Notify(OnHeadingChanged); }
void TNTabEd::ChangedAttrib() { Notify(OnAttributeChanged); }
void TNTabEd::ChangedLayout() { Notify(OnLayoutChanged); }
void TNTabEd::ChangedCellStates() { Notify(OnCellStateChanged); }
void TNTabEd::ChangedSetup() { Notify(OnChangeSetup); }

void TNTabEd::SetSuppressPaint(bool value) {
  if (value == FSuppressPaint) return;
  FSuppressPaint = value;
  if (!value) Paint();
}

void TNTabEd::Suppressed(const std::function<void()>& operation) {
  HideEditor();  // its text belongs to the cell it was typed for
  {
    TFlagHold hold(FSuppressPaint, true);
    operation();
  }
  Paint();  // as clearing SuppressPaint does, unless the host holds it
}

// [SECTION] size and structure

void TNTabEd::SetNrCols(int n) { Redimension(n, NrOfRows()); }

void TNTabEd::SetNrRows(int n) { Redimension(NrOfColumns(), n); }

void TNTabEd::Redimension(int NrCols, int NrRows) {
  {
    TFlagHold hold(FInternSuppPaint, true);
    Data->Resize(NrCols, NrRows);  // the grid follows through OnResize
  }
  ChangedSetup();
  Paint();
}

void TNTabEd::InsertRow(int ix) {
  if (ix >= 1 && ix <= NrOfRows() + 1) Suppressed([&] { Data->InsertRow(ix); });
}

void TNTabEd::InsertColumn(int ix) {
  if (ix >= 1 && ix <= NrOfColumns() + 1) Suppressed([&] { Data->InsertColumn(ix); });
}

void TNTabEd::RemoveRow(int ix) {
  if (ix >= 1 && ix <= NrOfRows() && NrOfRows() >= 2) Suppressed([&] { Data->RemoveRow(ix); });
}

void TNTabEd::RemoveColumn(int ix) {
  if (ix >= 1 && ix <= NrOfColumns() && NrOfColumns() >= 2) Suppressed([&] { Data->RemoveColumn(ix); });
}

void TNTabEd::MirrorColumns() {
  Suppressed([&] { Data->MirrorColumns(); });
}

void TNTabEd::MirrorRows() {
  Suppressed([&] { Data->MirrorRows(); });
}

void TNTabEd::Clear() {
  Suppressed([&] {
    Data->Clear();  // default names "C-n" and "R-n"
    std::fill(FDecP.begin(), FDecP.end(), static_cast<int8_t>(kDefaultDecimals));
  });
}

void TNTabEd::Fill(double value) { Data->NumericData->Fill(value); }

int TNTabEd::FillMarkedCells(double value, uint8_t Statemask) {
  int count = 0;
  Suppressed([&] { count = Data->FillMarkedCells(value, Statemask); });
  if (count > 0) ChangedData();
  return count;
}

// [SECTION] cells and marks

bool TNTabEd::InsideTable(int col, int row) const {
  return col >= 1 && row >= 1 && col <= NrOfColumns() && row <= NrOfRows();
}

bool TNTabEd::Categorial(int col) const {
  const TMScaleType t = Data->GetMScaleType(col);
  return t == stNominal || t == stOrdinal;
}

void TNTabEd::SetCellState(int col, int row, uint8_t state) {
  Data->SetCellState(col, row, state);
  Paint();
  ChangedCellStates();
}

void TNTabEd::ChangeStateBit(int col, int row, uint8_t bit, bool value) {
  const uint8_t s = Data->GetCellState(col, row);
  Data->SetCellState(col, row, value ? s | bit : s & ~bit);
  Paint();
  ChangedCellStates();
}

void TNTabEd::SetIsEmpty(int col, int row, bool value) { ChangeStateBit(col, row, csEmpty, value); }
void TNTabEd::SetElemMarkedA(int col, int row, bool value) { ChangeStateBit(col, row, csMarkA, value); }
void TNTabEd::SetElemMarkedB(int col, int row, bool value) { ChangeStateBit(col, row, csMarkB, value); }

bool TNTabEd::IfRowMarked(int row) const { return Data->IfRowHasCellState(row, csMarkA | csMarkB); }

bool TNTabEd::IfColumnMarked(int col) const { return Data->IfColHasCellState(col, csMarkA | csMarkB); }

bool TNTabEd::IfAnyMarked() const {
  for (int r = 1; r <= NrOfRows(); ++r)
    if (IfRowMarked(r)) return true;
  return false;
}

int TNTabEd::NrOfMarkedDataA() const {
  int n = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) n += Data->CountMarkedCellsInColumn(c, csMarkA);
  return n;
}

int TNTabEd::NrOfMarkedDataB() const {
  int n = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) n += Data->CountMarkedCellsInColumn(c, csMarkB);
  return n;
}

void TNTabEd::ChangeAllStates(const std::function<uint8_t(uint8_t)>& change) {
  {
    TFlagHold hold(FInternSuppPaint, true);
    for (int c = 1; c <= NrOfColumns(); ++c)
      for (int r = 1; r <= NrOfRows(); ++r) Data->SetCellState(c, r, change(Data->GetCellState(c, r)));
  }
  Paint();
  ChangedCellStates();
}

void TNTabEd::UnMarkAllElems() {
  ChangeAllStates([](uint8_t s) { return static_cast<uint8_t>(s & ~(csMarkA | csMarkB)); });
}

void TNTabEd::MarkAllElemsA() {
  ChangeAllStates([](uint8_t s) { return static_cast<uint8_t>(s | csMarkA); });
}

void TNTabEd::MarkAllElemsB() {
  ChangeAllStates([](uint8_t s) { return static_cast<uint8_t>(s | csMarkB); });
}

void TNTabEd::InvertCellStates(uint8_t StateMask) {
  Data->InvertCellStates(StateMask);
  Paint();
  ChangedCellStates();
}

void TNTabEd::ExchangeMarkings() {
  Data->ExchangeMarkings();
  Paint();
  ChangedCellStates();
}

// [SECTION] headings and comment

String TNTabEd::GetColName(int ix) const { return AnsiToString(Data->GetColName(ix)); }

String TNTabEd::GetRowName(int ix) const { return AnsiToString(Data->GetRowName(ix)); }

void TNTabEd::SetColName(int ix, const String& name) {
  if (ix < 1 || ix > NrOfColumns()) return;
  Data->SetColName(ix, StringToAnsi(Copy(name, 1, kMaxNameLength)));
  ChangedHeading();
  Paint();
}

void TNTabEd::SetRowName(int ix, const String& name) {
  if (ix < 1 || ix > NrOfRows()) return;
  Data->SetRowName(ix, StringToAnsi(Copy(name, 1, kMaxNameLength)));
  ChangedHeading();
  Paint();
}

void TNTabEd::SetColAttrib(int ix, uint8_t b) {
  if (ix < 1 || ix > NrOfColumns()) return;
  Data->SetColAttrib(ix, b);
  Paint();
  ChangedAttrib();
}

void TNTabEd::SetRowAttrib(int ix, uint8_t b) {
  if (ix < 1 || ix > NrOfRows()) return;
  Data->SetRowAttrib(ix, b);
  Paint();
  ChangedAttrib();
}

void TNTabEd::SetComment(const String& text) {
  Data->SetFComment(RemoveControlChars(text));
  ChangedData();
}

// [SECTION] layout and bands

int TNTabEd::GetDecPlaces(int col) const {
  if (col < 1 || col > NrOfColumns()) return 0;
  return col <= static_cast<int>(FDecP.size()) ? FDecP[static_cast<std::size_t>(col - 1)] : kDefaultDecimals;
}

void TNTabEd::SetDecPlaces(int col, int d) {
  if (col < 1 || col > NrOfColumns()) return;
  if (col > static_cast<int>(FDecP.size())) FitDecimals(static_cast<int>(FDecP.size()), NrOfColumns());
  FDecP[static_cast<std::size_t>(col - 1)] = static_cast<int8_t>(std::clamp(d, kMinDecimals, kMaxDecimals));
  Paint();
  ChangedLayout();
}

int TNTabEd::ColWidths(int ix) const {
  if (ix > 0) return TCustomGrid::ColWidths(ix + FColOffset);
  if (ix == 0) return TCustomGrid::ColWidths(0);
  if (ix == -1) return AttribRowVisible() ? TCustomGrid::ColWidths(1) : 0;
  return 0;
}

void TNTabEd::SetColWidths(int ix, int w) {
  if (ix > 0) {
    TCustomGrid::SetColWidths(ix + FColOffset, w);
  } else if (ix == 0) {
    TCustomGrid::SetColWidths(0, w);
  } else if (ix == -1 && AttribRowVisible()) {
    TCustomGrid::SetColWidths(1, w);
    FClassColWidth = w;
  }
  ChangedLayout();
}

void TNTabEd::SetRowHeight(int ix, int h) {
  if (ix > 0 && ix <= RowCount() - FRowOffset - 1)
    SetRowHeights(ix + FRowOffset, h);
  else if (ix == 0)
    SetRowHeights(0, h);
  else if (ix < 0 && AttribColVisible())
    SetRowHeights(1, h);
}

int TNTabEd::AutoRowHeight(int RowNr, int Addon) {
  Canvas()->Font()->Assign(Font());
  const int h = std::max(Canvas()->TextHeight(u"9GMg\u00DC$\u00A7[{|") + Addon + 2, 8);
  SetRowHeight(RowNr, h);
  return h;
}

void TNTabEd::FitRowHeights() {
  const int h = AutoRowHeight(-1, 3);  // the sample is measured once; unchanged heights repaint nothing
  for (int r = 0; r <= NrOfRows(); ++r) SetRowHeight(r, h);
}

int TNTabEd::TextWidthOf(const String& text) { return Canvas()->TextWidth(text); }

int TNTabEd::AutoColWidth(int ColNr, bool IncludeHeader, int Addon) {
  Canvas()->Font()->Assign(Font());
  int a = 0;
  if (ColNr == -1) {
    a = TextWidthOf(IncludeHeader ? u"Attrib" : u"255");
  } else if (ColNr == 0) {
    a = TextWidthOf(u"999:9999");
    for (int r = 1; r <= NrOfRows(); ++r) a = std::max(a, TextWidthOf(GetRowName(r)));
  } else if (ColNr >= 1 && ColNr <= NrOfColumns()) {
    a = IncludeHeader ? TextWidthOf(GetColName(ColNr)) : 0;
    a = std::max(a, TextWidthOf(strff(GetColAttrib(ColNr), 1, 0)));
    for (int r = 1; r <= NrOfRows(); ++r) a = std::max(a, TextWidthOf(CellText(ColNr, r)));
  }
  const int width = std::max(4, a + Addon + 8);
  SetColWidths(ColNr, width);
  return width;
}

void TNTabEd::SetDefColWidth(int w) {
  SetDefaultColWidth(w);
  TCustomGrid::SetColWidths(0, kNameColWidth);
  if (AttribRowVisible()) TCustomGrid::SetColWidths(1, FClassColWidth);
  ChangedLayout();
}

void TNTabEd::SetNumWidth(int w) {
  if (w >= 1 && w <= 20) {
    FNumWidth = w;
    Paint();
  }
  ChangedLayout();
}

void TNTabEd::SetOptRowHeight(bool b) {
  if (b == FOptRowHeight) return;
  FOptRowHeight = b;
  Paint();
}

void TNTabEd::SetLeftCol(int c) {
  TCustomGrid::SetLeftCol(std::clamp(c + FColOffset, FColOffset + 1, FColOffset + std::max(NrOfColumns(), 1)));
}

void TNTabEd::SetTopRow(int r) {
  TCustomGrid::SetTopRow(std::clamp(r + FRowOffset, FRowOffset + 1, FRowOffset + std::max(NrOfRows(), 1)));
}

void TNTabEd::SetRowAttVis(bool show) {
  if (show == AttribRowVisible()) return;
  HideEditor();
  const int n = std::max(NrOfColumns(), 1) + 2;  // grid columns while the band shows
  if (show) {
    FColOffset = 1;
    SetColCount(n);  // first the count, so that the fixed count stays below it
    for (int i = n - 1; i >= 2; --i) TCustomGrid::SetColWidths(i, TCustomGrid::ColWidths(i - 1));
    TCustomGrid::SetColWidths(1, FClassColWidth);
    SetFixedCols(2);
  } else {
    SetFixedCols(1);  // first the fixed count, so that it stays below the count
    FColOffset = 0;
    for (int i = 1; i <= n - 2; ++i) TCustomGrid::SetColWidths(i, TCustomGrid::ColWidths(i + 1));
    SetColCount(n - 1);
  }
  ChangedLayout();
}

void TNTabEd::SetColAttVis(bool show) {
  if (show == AttribColVisible()) return;
  HideEditor();
  const int n = std::max(NrOfRows(), 1) + 2;  // grid rows while the band shows
  if (show) {
    FRowOffset = 1;
    SetRowCount(n);
    for (int i = n - 1; i >= 2; --i) SetRowHeights(i, RowHeights(i - 1));
    SetRowHeights(1, RowHeights(0));
    SetFixedRows(2);
  } else {
    SetFixedRows(1);
    FRowOffset = 0;
    for (int i = 1; i <= n - 2; ++i) SetRowHeights(i, RowHeights(i + 1));
    SetRowCount(n - 1);
  }
  ChangedLayout();
}

void TNTabEd::SetColorBackground(TColor c) {
  FColorBkgnd = c;
  SetColor(c);
}

void TNTabEd::SetColorFixed(TColor c) {
  FColorFixed = c;
  SetFixedColor(c);
}

namespace {
template <class T>
void StoreLook(TNTabEd& editor, T& field, T value) {
  field = value;
  editor.Paint();
  editor.ChangedLayout();
}
}  // namespace

void TNTabEd::SetColorNormal(TColor c) { StoreLook(*this, FColorNormal, c); }
void TNTabEd::SetColorSelected(TColor c) { StoreLook(*this, FColorSelected, c); }
void TNTabEd::SetColorMarkedA(TColor c) { StoreLook(*this, FColorMarked1, c); }
void TNTabEd::SetColorMarkedB(TColor c) { StoreLook(*this, FColorMarked2, c); }
void TNTabEd::SetColorMarkedBoth(TColor c) { StoreLook(*this, FColorMarkedBoth, c); }
void TNTabEd::SetFColorRngSelFG(TColor c) { StoreLook(*this, FColorRngSelFG, c); }
void TNTabEd::SetFColorRngSelBG(TColor c) { StoreLook(*this, FColorRngSelBG, c); }

void TNTabEd::SetBoldMarks(bool b) {
  if (b != FBoldMarks) StoreLook(*this, FBoldMarks, b);
}

void TNTabEd::SetBoldSelHeads(bool b) {
  if (b != FBoldSelHeads) StoreLook(*this, FBoldSelHeads, b);
}

void TNTabEd::SetDataReadOnly(bool b) {
  if (b == FReadOnly) return;
  FReadOnly = b;
  TGridOptions options = Options();
  if (b) {
    HideEditor();
    options.Exclude(goEditing);
  } else {
    options.Include(goEditing);
  }
  SetOptions(options);
}

void TNTabEd::SetDropdownCount(int n) {
  FDropdownCount = n;
  if (auto* editor = dynamic_cast<TInplaceEditList*>(InplaceEditor())) editor->SetDropDownRows(n);
}

// [SECTION] sorting and other tables

void TNTabEd::SortCarrying(bool IncludeHeaders, const std::function<void()>& sort) {
  {
    TFlagHold headers(FSortIncludeHd, IncludeHeaders);
    Suppressed(sort);
  }
  ChangedData();
  if (IncludeHeaders) ChangedHeading();
}

void TNTabEd::SortCols(int SortRowIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow,
                       bool IncludeHeaders) {
  SortCarrying(IncludeHeaders,
               [&] { Data->SortCols(SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow, IncludeHeaders); });
}

void TNTabEd::SortRows(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow,
                       bool IncludeHeaders) {
  SortCarrying(IncludeHeaders,
               [&] { Data->SortRows(SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow, IncludeHeaders); });
}

void TNTabEd::SortRowAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  SortCarrying(true, [&] { Data->SortRowAttributes(Ascending, LowCol, LowRow, HighCol, HighRow); });
}

void TNTabEd::SortColAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  SortCarrying(true, [&] { Data->SortColAttributes(Ascending, LowCol, LowRow, HighCol, HighRow); });
}

void TNTabEd::SortColNames(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  SortColNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TNTabEd::SortColNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow) {
  SortCarrying(true, [&] { Data->SortColNames(Ascending, IgnoreCase, LowCol, LowRow, HighCol, HighRow); });
}

void TNTabEd::SortRowNames(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  SortRowNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TNTabEd::SortRowNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow) {
  SortCarrying(true, [&] { Data->SortRowNames(Ascending, IgnoreCase, LowCol, LowRow, HighCol, HighRow); });
}

int TNTabEd::FindColIndex(const String& ColID) const { return Data->FindColIndex(StringToAnsi(ColID)); }

int TNTabEd::FindRowIndex(const String& RowID) const { return Data->FindRowIndex(StringToAnsi(RowID)); }

void TNTabEd::AssignAnotherDataMatrix(TDataTable* NewDTab) {
  if (NewDTab == nullptr || NewDTab == Data) return;
  HideEditor();  // the text typed so far belongs to the table in use
  UnhookTable(Data);
  if (FExtMatAssigned) RemoveFreeNotification(Data);
  Data = NewDTab;
  FOwnData.reset();
  FExtMatAssigned = true;
  FreeNotification(NewDTab);
  HookTable(NewDTab);
  {
    TFlagHold hold(FInternSuppPaint, true);
    FitGrid(FShownCols, FShownRows, NrOfColumns(), NrOfRows());
  }
  ChangedSetup();
  Paint();
}

void TNTabEd::CopyContentsFrom(const TDataTable* ExtTab) {
  Suppressed([&] { Data->CopyContentsFrom(ExtTab); });
  ChangedData();
}

bool TNTabEd::CopyCellStatesFrom(const TDataTable* ExtTab) {
  if (ExtTab == nullptr || !Data->CopyCellStatesFrom(ExtTab)) return false;
  Paint();
  ChangedCellStates();
  return true;
}

}  // namespace qelta
