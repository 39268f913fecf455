// Popup windows and the drop-down list.

#include "Popups.h"

#include <algorithm>

#include "AppState.h"
#include "WidgetPaint.h"

namespace qelta {

namespace {

platform_detail::TAppState& State() { return platform_detail::AppState(); }

/// Runs the next script the scripted user queued for a popup that opens.
void RunPopupScript(TPopupWindow* popup) {
  auto& scripts = State().PopupScripts;
  if (scripts.empty()) return;
  auto script = std::move(scripts.front());
  scripts.pop_front();
  script(popup);
}

}  // namespace

// [SECTION] TPopupWindow

TPopupWindow::TPopupWindow(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsNone);
  SetColor(clWindow);
}

TPopupWindow::~TPopupWindow() {
  if (FOpen) CloseUp(false);
}

const std::vector<TPopupWindow*>& TPopupWindow::OpenPopups() { return State().Popups; }

void TPopupWindow::CloseAll() {
  auto& popups = State().Popups;
  while (!popups.empty()) popups.front()->CloseUp(false);
}

void TPopupWindow::Open(int X, int Y) {
  if (FOpen) CloseUp(false);
  SetBounds(std::clamp(X, 0, std::max(0, Screen()->Width() - Width())),
            std::clamp(Y, 0, std::max(0, Screen()->Height() - Height())), Width(), Height());
  FOpen = true;
  State().Popups.push_back(this);
  Show();
  RunPopupScript(this);
}

void TPopupWindow::OpenBelow(const TControl* Control) {
  const TPoint below = Control->ClientToScreen(Point(0, Control->Height()));
  const int y = below.Y + Height() <= Screen()->Height() ? below.Y : below.Y - Control->Height() - Height();
  Open(below.X, y);
}

void TPopupWindow::CloseUp(bool Accepted) {
  if (!FOpen) return;
  auto& popups = State().Popups;
  while (!popups.empty() && popups.back() != this) popups.back()->CloseUp(false);  // those opened over it
  std::erase(popups, this);
  FOpen = false;
  Hide();
  Closed(Accepted);
}

void TPopupWindow::Closed(bool /*Accepted*/) {}

bool TPopupWindow::EntryRect(const String& /*Caption*/, TRect& /*Rect*/) { return false; }

void TPopupWindow::WndProc(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;  // no dialog keys
    return;
  }
  TForm::WndProc(Message);
}

// [SECTION] TPopupListBox

TPopupListBox::TPopupListBox(TComponent* AOwner) : TPopupWindow(AOwner), FItems(std::make_unique<TStringList>()) {
  FItems->OnChange = [this](TObject*) {
    SetItemIndex(FItemIndex);
    Invalidate();
  };
}

TPopupListBox::~TPopupListBox() {
  // The owner may be going too: closing (in the base destructor) tells nobody.
  FItems->OnChange = nullptr;
  OnCloseUp = nullptr;
  OnDrawItem = nullptr;
}

int TPopupListBox::ItemHeight() const {
  return FItemHeight > 0 ? FItemHeight : const_cast<TPopupListBox*>(this)->Canvas()->TextHeight(u"Wg") + 2;
}

void TPopupListBox::SetItemHeight(int value) {
  value = std::min(value, kMaxItemHeight);
  if (value < 1 || value == FItemHeight) return;
  FItemHeight = value;
  Invalidate();
}

void TPopupListBox::SetDropDownCount(int value) { FDropDownCount = std::clamp(value, 1, kMaxRows); }

int TPopupListBox::Rows() const { return std::min(FDropDownCount, std::max(1, FItems->Count())); }

void TPopupListBox::DropDown(const TControl* Below, int ListWidth) {
  SetBounds(0, 0, ListWidth > 0 ? ListWidth : Below->Width(), Rows() * ItemHeight() + 2);
  ScrollInView();
  OpenBelow(Below);
}

TRect TPopupListBox::ItemRect(int index) const {
  const int h = ItemHeight();
  return Rect(1, 1 + (index - FTopIndex) * h, Width() - 1, 1 + (index - FTopIndex + 1) * h);
}

int TPopupListBox::ItemAtPos(TPoint p) const {
  if (p.X < 1 || p.X >= Width() - 1 || p.Y < 1) return -1;
  const int row = (p.Y - 1) / ItemHeight();
  const int index = FTopIndex + row;
  return row < Rows() && index < FItems->Count() ? index : -1;
}

void TPopupListBox::SetItemIndex(int value) {
  value = std::clamp(value, -1, FItems->Count() - 1);
  if (value != FItemIndex) {
    FItemIndex = value;
    Invalidate();
  }
  ScrollInView();
}

void TPopupListBox::ScrollInView() {
  const int top = FTopIndex;
  if (FItemIndex >= 0 && FItemIndex < FTopIndex) FTopIndex = FItemIndex;
  if (FItemIndex >= FTopIndex + Rows()) FTopIndex = FItemIndex - Rows() + 1;
  FTopIndex = std::clamp(FTopIndex, 0, std::max(0, FItems->Count() - Rows()));
  if (FTopIndex != top) Invalidate();
}

bool TPopupListBox::EntryRect(const String& Caption, TRect& Rect) {
  const int index = FItems->IndexOf(Caption);
  if (index < 0) return false;
  if (index < FTopIndex || index >= FTopIndex + Rows()) {
    FTopIndex = index;
    ScrollInView();
    Invalidate();
  }
  Rect = ItemRect(index);
  return true;
}

void TPopupListBox::Paint() {
  TCanvas* c = Canvas();
  c->Pen()->SetColor(clWindowFrame);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(0, 0, Width(), Height());
  for (int i = FTopIndex; i < std::min(FItems->Count(), FTopIndex + Rows()); ++i) {
    const TRect r = ItemRect(i);
    const bool selected = i == FItemIndex;
    const TOwnerDrawState state = selected ? TOwnerDrawState{odSelected, odFocused} : TOwnerDrawState{};
    c->Font()->Assign(Font());
    c->Brush()->SetColor(selected ? clHighlight : Color());
    if (selected) c->Font()->SetColor(clHighlightText);
    if (OnDrawItem) {
      OnDrawItem(c, i, r, state);
    } else {
      c->FillRect(r);
      c->TextOut(r.Left + 2, r.Top + 1, FItems->Strings(i));
    }
    if (selected) platform_detail::FocusRect(c, r);
  }
}

void TPopupListBox::MouseMove(TShiftState Shift, int X, int Y) {
  const int index = ItemAtPos(Point(X, Y));
  if (index >= 0) SetItemIndex(index);
  TPopupWindow::MouseMove(Shift, X, Y);
}

void TPopupListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TPopupWindow::MouseUp(Button, Shift, X, Y);
  const int index = ItemAtPos(Point(X, Y));
  if (Button != mbLeft || index < 0) return;
  SetItemIndex(index);
  CloseUp(true);
}

bool TPopupListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TPopupWindow::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  FTopIndex = std::clamp(FTopIndex - WheelDelta / WHEEL_DELTA, 0, std::max(0, FItems->Count() - Rows()));
  Invalidate();
  return true;
}

void TPopupListBox::KeyDown(Word& Key, TShiftState Shift) {
  TPopupWindow::KeyDown(Key, Shift);
  if (!IsOpen() || Key == 0) return;
  const int last = FItems->Count() - 1;
  const int page = std::max(Rows() - 1, 1);
  const bool toggle = Key == VK_F4 || (Shift.Contains(ssAlt) && (Key == VK_UP || Key == VK_DOWN));
  if (toggle || Key == VK_RETURN)
    CloseUp(true);
  else if (Key == VK_ESCAPE || Key == VK_TAB)
    CloseUp(false);
  else if (Key == VK_UP)
    SetItemIndex(std::max(FItemIndex - 1, 0));
  else if (Key == VK_DOWN)
    SetItemIndex(std::min(FItemIndex + 1, last));
  else if (Key == VK_PRIOR)
    SetItemIndex(std::max(FItemIndex - page, 0));
  else if (Key == VK_NEXT)
    SetItemIndex(std::min(std::max(FItemIndex, 0) + page, last));
  else if (Key == VK_HOME)
    SetItemIndex(0);
  else if (Key == VK_END)
    SetItemIndex(last);
  else {
    if (KeyTarget != nullptr) KeyTarget->Perform(WM_KEYDOWN, Key, 0);
    return;
  }
  Key = 0;
}

void TPopupListBox::KeyPress(Char& Key) {
  TPopupWindow::KeyPress(Key);
  if (!IsOpen() || Key < u' ') return;
  if (KeyTarget != nullptr)
    KeyTarget->Perform(WM_CHAR, Key, 0);
  else
    SelectByLetter(Key);
  Key = 0;
}

int TPopupListBox::NextWithLetter(const TStrings& items, int from, Char c) {
  auto upper = [](Char x) { return x >= u'a' && x <= u'z' ? static_cast<Char>(x - 32) : x; };
  const int n = items.Count();
  for (int step = 1; step <= n; ++step) {
    const int i = (std::max(from, -1) + step) % n;
    const String s = items.Strings(i);
    if (!s.empty() && upper(s[0]) == upper(c)) return i;
  }
  return -1;
}

void TPopupListBox::SelectByLetter(Char c) {
  if (const int i = NextWithLetter(*FItems, FItemIndex, c); i >= 0) SetItemIndex(i);
}

void TPopupListBox::Closed(bool Accepted) {
  if (OnCloseUp) OnCloseUp(Accepted, FItemIndex);
}

}  // namespace qelta
