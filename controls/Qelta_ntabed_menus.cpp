// Qelta_ntabed: the table editor's interactive side: the two popup menus with their masks and
// captions, the mouse, the heading editor and the comment memo, marks by menu, clear and empty
// state, and copy, paste and the numbers of any clipboard text.
//
// Index
//   [SECTION] menus              built per editor, masks and captions
//   [SECTION] mouse              presses, the popups, the inverted outline of a heading
//   [SECTION] heading editor and comment memo
//   [SECTION] headings           edit, precision, select, insert, delete, read-only
//   [SECTION] cells              clear, empty state, marks
//   [SECTION] clipboard          copy, paste, extract, the block size of a text
//
// Deviations from the classic component, keeping what hosts rely on:
//  - The clipboard text is read with its line ends made one LF first (CR LF, LF or CR), and the
//    character that ended a number is itself tested for a line end: text with Linux or lone CR line
//    ends keeps its rows (the classic stepped past that character unread, so a row broken by LF
//    landed in the row above, and lone CRs merged all rows). CR LF text reads as before.
//  - A sign or a point without a digit is passed over as text (the classic wrote a 0 for it and took
//    a column).
//  - A field that is exactly "####" (what Copy writes for a cell without a number) takes a column and
//    writes nothing; the classic skipped it, so every later value of its line landed one column left.
//  - "Paste" is enabled exactly when a copy exists, its mask bit is set and the data may be changed,
//    set on each opening and by SetPopupDMask (a mask with bit 7 enabled it before any copy, and it
//    then pasted the empty copy's 0). Paste, insert and delete also refuse when called directly
//    while read-only; Copy takes only the selected cells inside the table.
//  - The bulk handlers give back the table's OnChange and the internal suppression on every exit
//    path and paint once; a heading commit fires OnHeadingChanged once.
//  - The inverted outline of a heading shows while its menu is open and is gone after it closes
//    (the classic left it to the next repaint); OnBeforePopup fires before every opening, also when
//    "Change Precision" opens the menu again.
//  - The menu items and the last presses are kept per editor: a press on one editor must not make
//    another act on its cell.

#include <algorithm>
#include <array>
#include <cmath>

#include "Clipbrd.h"
#include "Encoding.h"
#include "Math.h"
#include "Qelta_ntabed.h"
#include "Qelta_ntabed_internal.h"
#include "Qelta_stringl.h"
#include "Resources.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

using ctl_detail::TFlagHold;

namespace {

using THandler = void (TNTabEd::*)(TObject*);

constexpr int kDataItems = 12, kHeadItems = 5, kSubItems = 4;
constexpr int kHeadFirst = 13;                                    // PopupItems: heading items 13..17
constexpr std::array<int, 4> kSubFirst = {18, 22, 26, 30};        // mark A, mark B, unmark A, unmark B
constexpr int kItemPaste = 8, kItemReadOnly = 9;
constexpr int kMaxCaption = 50;
constexpr int kNameEdOffsetX = 30, kNameEdOffsetY = 5;
constexpr int kMemoHeight = 80, kMemoRightGap = 20;
constexpr int kDataPopupDX = 10, kDataPopupDY = -20, kHeadPopupD = 20;

constexpr std::array<const char16_t*, kDataItems> kDataCaptions = {
    u"Mark as type A", u"Mark as type B", u"Unmark type A", u"Unmark type B", u"Unmark All",
    u"Clear",          u"Copy",           u"Paste",         u"Data Read-Only", u"Extract from Clipboard",
    u"Select All",     u"Toggle Empty State"};
constexpr std::array<const char16_t*, kSubItems> kSubCaptions = {u"Range", u"Column", u"Row", u"All"};
constexpr std::array<const char16_t*, kHeadItems> kHeadCaptions = {u"Edit Heading", u"Change Precision",
                                                                   u"Select..", u"Insert..", u"Delete.."};
constexpr std::array<const char16_t*, 4> kSubPrefixes = {u"M1It", u"M2It", u"U1It", u"U2It"};

constexpr THandler kSubHandlers[4][kSubItems] = {
    {&TNTabEd::PopupMenuClickMarkARange, &TNTabEd::PopupMenuClickMarkAColumn, &TNTabEd::PopupMenuClickMarkARow,
     &TNTabEd::PopupMenuClickMarkAAll},
    {&TNTabEd::PopupMenuClickMarkBRange, &TNTabEd::PopupMenuClickMarkBColumn, &TNTabEd::PopupMenuClickMarkBRow,
     &TNTabEd::PopupMenuClickMarkBAll},
    {&TNTabEd::PopupMenuClickUnMarkARange, &TNTabEd::PopupMenuClickUnMarkAColumn,
     &TNTabEd::PopupMenuClickUnMarkARow, &TNTabEd::PopupMenuClickUnMarkAAll},
    {&TNTabEd::PopupMenuClickUnMarkBRange, &TNTabEd::PopupMenuClickUnMarkBColumn,
     &TNTabEd::PopupMenuClickUnMarkBRow, &TNTabEd::PopupMenuClickUnMarkBAll}};
constexpr std::array<THandler, kDataItems> kDataHandlers = {
    nullptr, nullptr, nullptr, nullptr, &TNTabEd::PopupMenuClickUnMarkAll, &TNTabEd::PopupMenuClickClear,
    &TNTabEd::PopupMenuClickCopy, &TNTabEd::PopupMenuClickPaste, &TNTabEd::PopupMenuClickEdit,
    &TNTabEd::PopupMenuClickExtClip, &TNTabEd::PopupMenuClickSelAll, &TNTabEd::PopupMenuClickEmptyCells};
constexpr std::array<THandler, kHeadItems> kHeadHandlers = {
    &TNTabEd::PopupMenuClickChangeID, &TNTabEd::PopupMenuClickPrecision, &TNTabEd::PopupMenuClickSelectCol,
    &TNTabEd::PopupMenuClickInsertCol, &TNTabEd::PopupMenuClickDeleteCol};

bool Bit(int mask, int item) { return ((static_cast<unsigned>(mask) >> (item - 1)) & 1u) != 0; }

/// Detaches a table's OnChange for a scope and gives it back on every exit path.
class TChangeDetach {
 public:
  explicit TChangeDetach(TDataTable* t) : FTable(t), FOld(std::move(t->OnChange)) { t->OnChange = nullptr; }
  ~TChangeDetach() { FTable->OnChange = std::move(FOld); }
  TChangeDetach(const TChangeDetach&) = delete;
  TChangeDetach& operator=(const TChangeDetach&) = delete;

 private:
  TDataTable* FTable;
  TNotifyEvent FOld;
};

}  // namespace

// [SECTION] menus

TMenuItem* TNTabEd::AddMenuItem(TMenuItem* parent, const String& name, const String& caption, TNotifyEvent click) {
  auto* item = new TMenuItem(nullptr);
  item->SetName(name);
  item->SetCaption(caption);
  item->OnClick = std::move(click);
  parent->Add(item);
  return item;
}

void TNTabEd::BuildMenus() {
  auto bind = [this](THandler h) -> TNotifyEvent {
    if (h == nullptr) return nullptr;
    return [this, h](TObject* Sender) { (this->*h)(Sender); };
  };
  auto menu = [](const char16_t* name) {
    auto m = std::make_unique<TPopupMenu>(nullptr);
    m->SetName(name);
    m->SetAlignment(paLeft);
    m->SetAutoPopup(true);
    return m;
  };
  FPopupD = menu(u"PopupDTAction");
  for (int i = 1; i <= kDataItems; ++i) {
    TMenuItem* item = AddMenuItem(FPopupD->Items(), u"DIt" + IntToStr(i), kDataCaptions[i - 1], bind(kDataHandlers[i - 1]));
    PopupItems[i] = item;
    if (i <= 4) {
      for (int j = 1; j <= kSubItems; ++j)
        PopupItems[kSubFirst[i - 1] + j - 1] = AddMenuItem(item, kSubPrefixes[i - 1] + IntToStr(j),
                                                           kSubCaptions[j - 1], bind(kSubHandlers[i - 1][j - 1]));
    } else {
      item->SetEnabled(Bit(FPopupDMask, i));
    }
  }
  PopupItems[kItemPaste]->SetEnabled(false);
  FPopupD->OnPopup = [this](TObject* Sender) { PopupMenuDLoadPopup(Sender); };
  FPopupH = menu(u"PopupHTAction");
  for (int i = 1; i <= kHeadItems; ++i)
    PopupItems[kHeadFirst + i - 1] =
        AddMenuItem(FPopupH->Items(), u"HIt" + IntToStr(i), kHeadCaptions[i - 1], bind(kHeadHandlers[i - 1]));
}

void TNTabEd::PopupMenuDLoadPopup(TObject* /*Sender*/) {
  PopupItems[kItemPaste]->SetEnabled(FDataCopyAvail && Bit(FPopupDMask, kItemPaste) && !FReadOnly);
}

void TNTabEd::SetPopupDMask(int m) {
  FPopupDMask = m;
  for (int i = 1; i <= kDataItems; ++i) PopupItems[i]->SetEnabled(Bit(m, i));
  PopupMenuDLoadPopup(this);
  ChangedSetup();
}

void TNTabEd::SetPopupHMask(int m) {
  FPopupHMask = m;
  for (int i = 1; i <= kHeadItems; ++i) PopupItems[kHeadFirst + i - 1]->SetEnabled(Bit(m, i));
  ChangedSetup();
}

namespace {
void SetCaptionOf(TMenuItem* item, const String& caption) { item->SetCaption(Copy(caption, 1, kMaxCaption)); }
}  // namespace

void TNTabEd::SetPopupDCaption(int ix, const String& caption) {
  if (ix >= 1 && ix <= kDataItems) SetCaptionOf(PopupItems[ix], caption);
}

String TNTabEd::GetPopupDCaption(int ix) const {
  return ix >= 1 && ix <= kDataItems ? PopupItems[ix]->Caption() : String();
}

void TNTabEd::SetPopupHCaption(int ix, const String& caption) {
  if (ix >= 1 && ix <= kHeadItems) SetCaptionOf(PopupItems[kHeadFirst + ix - 1], caption);
}

String TNTabEd::GetPopupHCaption(int ix) const {
  return ix >= 1 && ix <= kHeadItems ? PopupItems[kHeadFirst + ix - 1]->Caption() : String();
}

void TNTabEd::SetPopupMCaption(int ix, const String& caption) {
  if (ix < 1 || ix > kSubItems) return;
  SetCaptionOf(PopupItems[kSubFirst[0] + ix - 1], caption);
  SetCaptionOf(PopupItems[kSubFirst[1] + ix - 1], caption);
}

String TNTabEd::GetPopupMCaption(int ix) const {
  return ix >= 1 && ix <= kSubItems ? PopupItems[kSubFirst[0] + ix - 1]->Caption() : String();
}

void TNTabEd::SetPopupUCaption(int ix, const String& caption) {
  if (ix < 1 || ix > kSubItems) return;
  SetCaptionOf(PopupItems[kSubFirst[2] + ix - 1], caption);
  SetCaptionOf(PopupItems[kSubFirst[3] + ix - 1], caption);
}

String TNTabEd::GetPopupUCaption(int ix) const {
  return ix >= 1 && ix <= kSubItems ? PopupItems[kSubFirst[2] + ix - 1]->Caption() : String();
}

// [SECTION] mouse

void TNTabEd::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FCommentMMActive) {
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    const TGridCoord cell = MouseCoord(X, Y);
    PopupCol = cell.X;
    PopupRow = cell.Y;
    if (cell.X == 0 && cell.Y == 0) CloseCommentMemo(false);
    return;
  }
  if (FNameEdActive) return;
  const TGridCoord prev = MouseCoord(PrevMouseX, PrevMouseY), cell = MouseCoord(X, Y);
  PrevCellCol = prev.X;
  PrevCellRow = prev.Y;
  PopupCol = cell.X;
  PopupRow = cell.Y;
  if (!(prev == cell)) SetOptions(Options() - TGridOptions{goEditing});  // a first press only selects
  TCustomGrid::MouseDown(Button, Shift, X, Y);
  Invalidate();
  if (X <= 0 || Y <= 0 || X >= Width() || Y >= Height()) return;
  PrevMouseX = X;
  PrevMouseY = Y;
  const bool ownPopup = PopupMenu() == nullptr && !FBlockIntPopup && Button == mbRight;
  if (PopupCol > FColOffset && PopupRow > FRowOffset) {
    if (prev == cell && !FReadOnly) SetOptions(Options() | TGridOptions{goEditing});
    if (ownPopup) OpenDataPopup(X, Y);
    if (Button == mbLeft) RefreshCorner();
    return;
  }
  if (PopupCol == 0 && PopupRow == 0 && Button == mbRight && !FBlockIntPopup && FCommEdAllowed) OpenCommentMemo();
  if ((PopupCol > FColOffset || PopupRow > FRowOffset) && ownPopup) {
    PrepareHeadingPopup();
    OpenHeadingPopup(CellRect(PopupCol, PopupRow));
  }
}

void TNTabEd::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomGrid::MouseUp(Button, Shift, X, Y);
  const TGridOptions editing{goEditing};
  SetOptions(FReadOnly ? Options() - editing : Options() | editing);
}

void TNTabEd::OpenDataPopup(int X, int Y) {
  PopupItems[kItemReadOnly]->Bitmap()->LoadFromResourceName(HInstance(), FReadOnly ? u"CHECKEDBOX" : u"EMPTYBOX");
  if (OnBeforePopup) OnBeforePopup(this, FPopupD.get());
  const TPoint o = ClientOrigin();
  FPopupD->Popup(X + o.X + kDataPopupDX, Y + o.Y + kDataPopupDY);
}

void TNTabEd::PrepareHeadingPopup() {
  const bool column = PressedColumnHeading();
  if (Bit(FPopupHMask, 2)) PopupItems[kHeadFirst + 1]->SetEnabled(column);
  PopupItems[kHeadFirst + 2]->SetEnabled(Bit(FPopupHMask, 3));
  PopupItems[kHeadFirst + 3]->SetEnabled(Bit(FPopupHMask, 4) && !FReadOnly);
  PopupItems[kHeadFirst + 4]->SetEnabled(Bit(FPopupHMask, 5) && !FReadOnly);
  struct TWhat {
    const char16_t* caption;
    THandler handler;
  };
  const std::array<TWhat, 3> what =
      column ? std::array<TWhat, 3>{{{u"Select Column", &TNTabEd::PopupMenuClickSelectCol},
                                     {u"Insert Column", &TNTabEd::PopupMenuClickInsertCol},
                                     {u"Delete Column", &TNTabEd::PopupMenuClickDeleteCol}}}
             : std::array<TWhat, 3>{{{u"Select Row", &TNTabEd::PopupMenuClickSelectRow},
                                     {u"Insert Row", &TNTabEd::PopupMenuClickInsertRow},
                                     {u"Delete Row", &TNTabEd::PopupMenuClickDeleteRow}}};
  for (int i = 0; i < 3; ++i) {
    TMenuItem* item = PopupItems[kHeadFirst + 2 + i];
    item->SetCaption(what[i].caption);
    item->OnClick = [this, h = what[i].handler](TObject* Sender) { (this->*h)(Sender); };
  }
}

void TNTabEd::OpenHeadingPopup(const TRect& cell) {
  Update();  // what is queued paints now, so that nothing paints over the outline while the menu is open
  int paints = FPaints;
  TCanvas* c = Canvas();
  auto outline = [&] {
    c->Pen()->SetMode(pmNot);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(cell.Left, cell.Top, cell.Right + 1, cell.Bottom + 1);
    c->Pen()->SetMode(pmCopy);
    c->Brush()->SetStyle(bsSolid);
  };
  outline();
  if (OnBeforePopup) OnBeforePopup(this, FPopupH.get());
  if (FPaints != paints) {  // the host's handler repainted: outline again
    paints = FPaints;
    outline();
  }
  const TPoint o = ClientOrigin();
  FPopupH->Popup(cell.Left + o.X + kHeadPopupD, cell.Top + o.Y + kHeadPopupD);
  if (FPaints == paints) outline();  // inverted back, unless a paint already took it away
}

// [SECTION] heading editor and comment memo

void TNTabEd::OpenCommentMemo() {
  if (!FCommentMM) return;
  const int left = TCustomGrid::ColWidths(0);
  FCommentMM->SetBounds(left, 0, std::max(Width() - left - kMemoRightGap, 0), kMemoHeight);
  FCommentMM->SetText(Comment());
  FCommentMM->SetColor(ctl_detail::kCommentBack);
  FCommentMM->Font()->SetColor(ctl_detail::kCommentText);
  FCommentMM->SetVisible(true);
  if (FCommentMM->CanFocus()) FCommentMM->SetFocus();
  FCommentMM->SetSelStart(static_cast<int>(FCommentMM->Text().size()));  // typing goes on after the text
  FCommentMMActive = true;
  Invalidate();  // the corner reads "Comment:"
}

void TNTabEd::CloseCommentMemo(bool save) {
  if (!FCommentMMActive) return;
  FCommentMMActive = false;
  if (FCommentMM->Focused() && CanFocus()) SetFocus();
  FCommentMM->SetVisible(false);
  if (save) SetComment(FCommentMM->Text());
  Invalidate();  // the corner shows the current cell again
}

void TNTabEd::CommentMemoKeyPress(TObject* /*Sender*/, Char& Key) {
  if (Key != u'\r' && Key != 27) return;
  const bool save = Key == u'\r';
  Key = 0;  // taken: no line break, no beep
  CloseCommentMemo(save);
}

void TNTabEd::PopupMenuClickChangeID(TObject* /*Sender*/) {
  if (!FNameEd || (PopupCol <= FColOffset && PopupRow <= FRowOffset) || PopupCol < 0 || PopupRow < 0) return;
  const TRect cell = CellRect(PopupCol, PopupRow);
  String text;
  if (PressedColumnHeading()) {
    const int c = PopupCol - FColOffset;
    text = PopupRow != 0 ? IntToStr(GetColAttrib(c)) : GetColName(c);
  } else {
    const int r = PopupRow - FRowOffset;
    text = PopupCol != 0 ? IntToStr(GetRowAttrib(r)) : GetRowName(r);
  }
  FNameEd->SetBounds(cell.Left + kNameEdOffsetX, cell.Bottom + kNameEdOffsetY, FNameEd->Width(), FNameEd->Height());
  FNameEd->SetText(text);
  FNameEd->SetVisible(true);
  if (FNameEd->CanFocus()) FNameEd->SetFocus();
  FNameEdActive = true;
}

void TNTabEd::CloseHeadingEditor(bool commit) {
  FNameEdActive = false;
  if (FNameEd->Focused() && CanFocus()) SetFocus();
  FNameEd->SetVisible(false);
  Invalidate();
  if (!commit) return;
  const String text = FNameEd->Text();
  const bool column = PressedColumnHeading();
  const int ix = column ? PopupCol - FColOffset : PopupRow - FRowOffset;
  if ((column && PopupRow == 0) || (!column && PopupCol == 0)) {  // a name; the setter fires OnHeadingChanged
    if (column)
      SetColName(ix, text);
    else
      SetRowName(ix, text);
    return;
  }
  double x = 0;
  if (!ctl_detail::ReadTypedNumber(text, x)) return;  // not a number: the attribute stays
  const auto b = static_cast<uint8_t>(Round(std::clamp(x, 0.0, 255.0)));
  if (column)
    SetColAttrib(ix, b);
  else
    SetRowAttrib(ix, b);
  ChangedHeading();
}

void TNTabEd::NameEdKeyPress(TObject* /*Sender*/, Char& Key) {
  if (Key != u'\r' && Key != 27) return;
  const bool commit = Key == u'\r';
  Key = 0;
  CloseHeadingEditor(commit);
}

// [SECTION] headings

void TNTabEd::PopupMenuClickPrecision(TObject* /*Sender*/) {
  if (!PressedColumnHeading()) return;
  const int c = PopupCol - FColOffset;
  int d = GetDecPlaces(c) - 1;
  if (d < -1) d = 10;
  SetDecPlaces(c, d);
  OpenHeadingPopup(CellRect(PopupCol, PopupRow));
  ChangedLayout();
}

void TNTabEd::PopupMenuClickSelectCol(TObject* /*Sender*/) {
  SetSelection({PopupCol, FRowOffset + 1, PopupCol, FRowOffset + std::max(NrOfRows(), 1)});
  Paint();
}

void TNTabEd::PopupMenuClickSelectRow(TObject* /*Sender*/) {
  SetSelection({FColOffset + 1, PopupRow, FColOffset + std::max(NrOfColumns(), 1), PopupRow});
  Paint();
}

void TNTabEd::PopupMenuClickSelAll(TObject* /*Sender*/) {
  SetSelection({FColOffset + 1, FRowOffset + 1, FColOffset + std::max(NrOfColumns(), 1),
                FRowOffset + std::max(NrOfRows(), 1)});
  Paint();
}

void TNTabEd::PopupMenuClickInsertCol(TObject* /*Sender*/) {
  const int c = PopupCol - FColOffset;
  if (FReadOnly || c < 1 || c > NrOfColumns() + 1) return;
  {
    TChangeDetach detach(Data);
    InsertColumn(c);
  }
  SetColName(c, u"(...)");
}

void TNTabEd::PopupMenuClickInsertRow(TObject* /*Sender*/) {
  const int r = PopupRow - FRowOffset;
  if (FReadOnly || r < 1 || r > NrOfRows() + 1) return;
  {
    TChangeDetach detach(Data);
    InsertRow(r);
  }
  SetRowName(r, u"(...)");
}

void TNTabEd::PopupMenuClickDeleteCol(TObject* /*Sender*/) {
  if (FReadOnly) return;
  RemoveColumn(PopupCol - FColOffset);
  ChangedSetup();
}

void TNTabEd::PopupMenuClickDeleteRow(TObject* /*Sender*/) {
  if (FReadOnly) return;
  RemoveRow(PopupRow - FRowOffset);
  ChangedSetup();
}

void TNTabEd::PopupMenuClickEdit(TObject* /*Sender*/) {
  SetDataReadOnly(!FReadOnly);
  ChangedSetup();
}

// [SECTION] cells

TGridRect TNTabEd::SelectedData() const {
  const TGridRect sel = Selection();
  return {std::max(sel.Left - FColOffset, 1), std::max(sel.Top - FRowOffset, 1),
          std::min(sel.Right - FColOffset, NrOfColumns()), std::min(sel.Bottom - FRowOffset, NrOfRows())};
}

TGridRect TNTabEd::SelectedColumns() const {
  TGridRect b = SelectedData();
  b.Top = 1;
  b.Bottom = NrOfRows();
  return b;
}

TGridRect TNTabEd::SelectedRows() const {
  TGridRect b = SelectedData();
  b.Left = 1;
  b.Right = NrOfColumns();
  return b;
}

void TNTabEd::BulkChange(const std::function<void()>& change) {
  {
    TFlagHold hold(FInternSuppPaint, true);
    TChangeDetach detach(Data);
    change();
  }
  Paint();
}

void TNTabEd::PopupMenuClickClear(TObject* /*Sender*/) {
  const TGridRect b = SelectedData();
  BulkChange([&] {
    for (int c = b.Left; c <= b.Right; ++c)
      for (int r = b.Top; r <= b.Bottom; ++r) {
        Data->SetElem(c, r, 0);
        Data->SetCellState(c, r, 0);
      }
  });
  ChangedData();
  ChangedCellStates();
}

void TNTabEd::PopupMenuClickEmptyCells(TObject* /*Sender*/) {
  BulkChange([&] { MaskStates(SelectedData(), 0xFF, csEmpty); });
  ChangedCellStates();
}

void TNTabEd::MarkBlock(const TGridRect& block, uint8_t bit, bool on) {
  BulkChange([&] { MaskStates(block, static_cast<uint8_t>(~bit), on ? bit : 0); });
  ChangedCellStates();
}

// Every state s of the block becomes (s AND andMask) XOR xorMask: in one pass over the table's
// columns, or cell by cell while the table reports each state that changes to a handler.
void TNTabEd::MaskStates(const TGridRect& block, uint8_t andMask, uint8_t xorMask) {
  if (!Data->OnChangeCellState) {
    Data->MaskCellStates(block.Left, block.Top, block.Right, block.Bottom, andMask, xorMask);
    return;
  }
  for (int c = block.Left; c <= block.Right; ++c)
    for (int r = block.Top; r <= block.Bottom; ++r)
      Data->SetCellState(c, r, static_cast<uint8_t>((Data->GetCellState(c, r) & andMask) ^ xorMask));
}

namespace {
TGridRect WholeTable(const TNTabEd& e) { return {1, 1, e.NrOfColumns(), e.NrOfRows()}; }
}  // namespace

void TNTabEd::PopupMenuClickMarkARange(TObject*) { MarkBlock(SelectedData(), csMarkA, true); }
void TNTabEd::PopupMenuClickMarkAColumn(TObject*) { MarkBlock(SelectedColumns(), csMarkA, true); }
void TNTabEd::PopupMenuClickMarkARow(TObject*) { MarkBlock(SelectedRows(), csMarkA, true); }
void TNTabEd::PopupMenuClickMarkAAll(TObject*) { MarkBlock(WholeTable(*this), csMarkA, true); }
void TNTabEd::PopupMenuClickMarkBRange(TObject*) { MarkBlock(SelectedData(), csMarkB, true); }
void TNTabEd::PopupMenuClickMarkBColumn(TObject*) { MarkBlock(SelectedColumns(), csMarkB, true); }
void TNTabEd::PopupMenuClickMarkBRow(TObject*) { MarkBlock(SelectedRows(), csMarkB, true); }
void TNTabEd::PopupMenuClickMarkBAll(TObject*) { MarkBlock(WholeTable(*this), csMarkB, true); }
void TNTabEd::PopupMenuClickUnMarkARange(TObject*) { MarkBlock(SelectedData(), csMarkA, false); }
void TNTabEd::PopupMenuClickUnMarkAColumn(TObject*) { MarkBlock(SelectedColumns(), csMarkA, false); }
void TNTabEd::PopupMenuClickUnMarkARow(TObject*) { MarkBlock(SelectedRows(), csMarkA, false); }
void TNTabEd::PopupMenuClickUnMarkAAll(TObject*) { MarkBlock(WholeTable(*this), csMarkA, false); }
void TNTabEd::PopupMenuClickUnMarkBRange(TObject*) { MarkBlock(SelectedData(), csMarkB, false); }
void TNTabEd::PopupMenuClickUnMarkBColumn(TObject*) { MarkBlock(SelectedColumns(), csMarkB, false); }
void TNTabEd::PopupMenuClickUnMarkBRow(TObject*) { MarkBlock(SelectedRows(), csMarkB, false); }
void TNTabEd::PopupMenuClickUnMarkBAll(TObject*) { MarkBlock(WholeTable(*this), csMarkB, false); }

void TNTabEd::PopupMenuClickUnMarkAll(TObject* /*Sender*/) {
  Data->UnmarkAllCells();
  Paint();
  ChangedCellStates();
}

// [SECTION] clipboard

namespace {

constexpr Char kLF = u'\n';

bool StartsNumber(Char c) { return c == u'+' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9'); }

/// Makes the clipboard text ready for the walk, in place: an LF for each line end (CR LF, LF, CR),
/// where the LF of a CR LF becomes a blank that the walk passes over, and blanks for TABs; a blank
/// is appended unless the text ends in one or in a line end (where a number's exponent ends, the
/// end of the text and a blank read differently). The walk finds what it found in the text with
/// each CR LF taken as one LF, at the cost of the clipboard's copy alone.
void PrepareClipText(String& t) {
  Char* d = t.data();
  const std::size_t n = t.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (d[i] > u'\r') continue;  // digits, signs, points, blanks, letters: as they are
    if (d[i] == u'\t') d[i] = u' ';
    if (d[i] != u'\r') continue;
    d[i] = kLF;
    if (i + 1 < n && d[i + 1] == kLF) d[++i] = u' ';
  }
  if (t.empty() || (t.back() != u' ' && t.back() != kLF)) t.push_back(u' ');
}

/// A field "####" at index i: the four characters between blanks or line ends.
bool NoNumberField(const String& t, std::size_t i) {
  if (t[i] != u'#' || i + 4 >= t.size() || t.compare(i, 4, u"####") != 0) return false;
  const auto blank = [](Char c) { return c == u' ' || c == kLF; };
  return (i == 0 || blank(t[i - 1])) && blank(t[i + 4]);
}

/// What a walk over a clipboard text found: the block its fields cover and whether it held a number.
struct TClipBlock {
  int Cols = 1;
  int Rows = 1;
  bool AnyNumber = false;
};

/// Walks the numbers of a clipboard text: put(n, k, x) for the number x in field n of line k (both
/// from 0). Text before the first field is passed over, and so is text between fields that does not
/// begin a number; every line end after the first field starts the next line.
template <class Put>
TClipBlock WalkClipText(String t, Put&& put) {
  PrepareClipText(t);
  const int length = static_cast<int>(t.size());
  TClipBlock block;
  int n = 0, k = 0, lastCol = -1, lastRow = -1;
  bool started = false;
  for (int p = 0; p < length;) {
    const Char c = t[static_cast<std::size_t>(p)];
    if (StartsNumber(c)) {
      int pos = p + 1;  // 1-based for the scanner
      const double x = ScanFPNum(t, true, 3, pos);
      const int end = std::max(pos - 1, p + 1);
      const auto digit = [](Char d) { return d >= u'0' && d <= u'9'; };
      const bool number = digit(c) || std::any_of(t.begin() + p + 1, t.begin() + end, digit);
      p = end;
      if (!number) continue;  // a sign or a point alone is text
      put(n, k, x);
      block.AnyNumber = true;
    } else if (NoNumberField(t, static_cast<std::size_t>(p))) {
      p += 4;
    } else {
      if (c == kLF && started) {
        ++k;
        n = 0;
      }
      ++p;
      continue;
    }
    started = true;
    lastCol = std::max(lastCol, n);
    lastRow = k;
    ++n;
  }
  if (block.AnyNumber) {
    block.Cols = lastCol + 1;
    block.Rows = lastRow + 1;
  }
  return block;
}

}  // namespace

String TNTabEd::CopyCellText(int col, int row) const {
  if (!GetIsNumber(col, row)) return u"####";
  return FClipUseFullPrec ? strff(GetElem(col, row), 22, -1) : strff(GetElem(col, row), 1, GetDecPlaces(col));
}

void TNTabEd::PopupMenuClickCopy(TObject* /*Sender*/) {
  const TGridRect b = SelectedData();
  const int w = std::max(b.Right - b.Left + 1, 0), h = std::max(b.Bottom - b.Top + 1, 0);
  if (w == 0 || h == 0) return;  // the selection lies beyond the table
  FDataCopy->Resize(w, h);
  String text;
  for (int r = b.Top; r <= b.Bottom; ++r) {
    for (int c = b.Left; c <= b.Right; ++c) {
      FDataCopy->SetElem(c - b.Left + 1, r - b.Top + 1, GetElem(c, r));
      FDataCopy->SetCellState(c - b.Left + 1, r - b.Top + 1, GetCellState(c, r));
      text += c == b.Left ? u' ' : u'\t';
      text += CopyCellText(c, r);
    }
    text += u"\r\n";
  }
  Clipboard()->SetAsText(text);
  FDataCopyAvail = true;
}

void TNTabEd::PopupMenuClickPaste(TObject* /*Sender*/) {
  if (!FDataCopyAvail || FReadOnly) return;
  const TGridRect sel = Selection();
  const int c0 = sel.Left - FColOffset, r0 = sel.Top - FRowOffset;
  const int w = FDataCopy->NrOfColumns(), h = FDataCopy->NrOfRows();
  BulkChange([&] {
    for (int i = 1; i <= w; ++i)
      for (int j = 1; j <= h; ++j) {
        Data->SetElem(c0 + i - 1, r0 + j - 1, FDataCopy->GetElem(i, j));
        Data->SetCellState(c0 + i - 1, r0 + j - 1, FDataCopy->GetCellState(i, j));
      }
  });
  ChangedData();
  ChangedCellStates();
  if (OnPaste) OnPaste(this);
  SetSelection({sel.Left, sel.Top, sel.Left + w - 1, sel.Top + h - 1});
}

void TNTabEd::PopupMenuClickExtClip(TObject* /*Sender*/) {
  if (!Clipboard()->HasFormat(CF_TEXT)) return;
  const TGridRect sel = Selection();
  const int c0 = sel.Left - FColOffset, r0 = sel.Top - FRowOffset;
  TClipBlock block;
  BulkChange([&] {
    block = WalkClipText(Clipboard()->AsText(), [&](int n, int k, double x) { Data->SetElem(c0 + n, r0 + k, x); });
  });
  ChangedData();
  if (OnPaste) OnPaste(this);
  if (block.AnyNumber) SetSelection({sel.Left, sel.Top, sel.Left + block.Cols - 1, sel.Top + block.Rows - 1});
}

bool TNTabEd::GetClipMatrixSize(int& NCols, int& NRows) const {
  NCols = 1;
  NRows = 1;
  if (!Clipboard()->HasFormat(CF_TEXT)) return false;
  const TClipBlock block = WalkClipText(Clipboard()->AsText(), [](int, int, double) {});
  NCols = block.Cols;
  NRows = block.Rows;
  return block.AnyNumber;
}

}  // namespace qelta
