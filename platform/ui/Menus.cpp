// Popup menus: items, the menu windows (one per open level) and the menu's loop.
//
// A menu window keeps the command numbers of its entries rather than pointers: a handler that runs
// while the menu is open (a timer) may free items, and a number whose item is gone reads nullptr.

#include "Menus.h"

#include <algorithm>
#include <map>

#include "Popups.h"
#include "WidgetPaint.h"

namespace qelta {

namespace {

// Never destroyed (like every static a component touches when it goes): items owned by forms that
// Application releases at exit unregister here after the other statics are gone.
std::map<uint32_t, TMenuItem*>& Commands() {
  static auto* commands = new std::map<uint32_t, TMenuItem*>();
  return *commands;
}

uint32_t gNextCommand = 1;

bool HasVisibleItems(const TMenuItem* item) {
  for (int i = 0; i < item->Count(); ++i)
    if (item->Items(i)->Visible()) return true;
  return false;
}

[[noreturn]] void ListIndexError(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

constexpr int kBorder = 2;   // raised frame around the menu
constexpr int kGutter = 22;  // column of check marks and bitmaps
constexpr int kArrow = 20;   // column of the submenu arrow
constexpr int kSeparatorHeight = 9;

}  // namespace

// [SECTION] TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(gNextCommand++) { Commands()[FCommand] = this; }

TMenuItem::~TMenuItem() {
  Commands().erase(FCommand);
  if (FParent != nullptr) FParent->Remove(this);
  Clear();
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[static_cast<std::size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  if (Item == nullptr || Item == this) return;
  for (const TMenuItem* p = this; p != nullptr; p = p->FParent)
    if (p == Item) throw EInvalidOperation("A menu item cannot hold itself or a menu above it");
  if (Item->FParent != nullptr) {
    if (Item->FParent == this && IndexOf(Item) < Index) --Index;
    Item->FParent->Remove(Item);
  }
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
}

void TMenuItem::Delete(int Index) { Remove(Items(Index)); }

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) delete FItems.back();  // each leaves the list in its destructor
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const String& ACaption) const {
  for (TMenuItem* item : FItems)
    if (item->Caption() == ACaption) return item;
  return nullptr;
}

int TMenuItem::MenuIndex() const { return FParent != nullptr ? FParent->IndexOf(this) : -1; }

TBitmap* TMenuItem::Bitmap() {
  if (!FBitmap) FBitmap = std::make_unique<TBitmap>();
  return FBitmap.get();
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FromCommand(uint32_t Command) {
  auto it = Commands().find(Command);
  return it == Commands().end() ? nullptr : it->second;
}

// [SECTION] the menu window

namespace platform_detail {

/// One open level of a menu: the visible items of a TMenuItem as rows.
class TMenuWindow : public TPopupWindow {
 public:
  TMenuWindow(TMenuItem* items, HWND poster, TMenuWindow* parentWindow)
      : TPopupWindow(nullptr), FPoster(poster), FParentWindow(parentWindow) {
    SetColor(clMenu);
    for (int i = 0; i < items->Count(); ++i)
      if (items->Items(i)->Visible()) FEntries.push_back(items->Items(i)->Command());
    Layout();
  }

  bool EntryRect(const String& Caption, TRect& Rect) override {
    for (int i = 0; i < static_cast<int>(FEntries.size()); ++i) {
      const TMenuItem* item = Entry(i);
      if (item != nullptr && (item->Caption() == Caption || item->Name() == Caption)) {
        Rect = RowRect(i);
        return true;
      }
    }
    return false;
  }

  void ChildClosed() {
    // The child is not freed here: its own handler may be running.
    FChildOpen = false;
  }

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Closed(bool Accepted) override {
    if (FChild) FChild->CloseUp(false);
    if (FParentWindow != nullptr) FParentWindow->ChildClosed();
    TPopupWindow::Closed(Accepted);
  }

 private:
  TMenuItem* Entry(int i) const {
    return i >= 0 && i < static_cast<int>(FEntries.size())
               ? TMenuItem::FromCommand(FEntries[static_cast<std::size_t>(i)])
               : nullptr;
  }
  int RowHeight(int i) const {
    const TMenuItem* item = Entry(i);
    return item != nullptr && item->IsLine() ? kSeparatorHeight : FItemHeight;
  }
  TRect RowRect(int i) const {
    int y = kBorder;
    for (int k = 0; k < i; ++k) y += RowHeight(k);
    return Rect(kBorder, y, Width() - kBorder, y + RowHeight(i));
  }
  int RowAt(int y) const {
    for (int i = 0; i < static_cast<int>(FEntries.size()); ++i) {
      const TRect r = RowRect(i);
      if (y >= r.Top && y < r.Bottom) return i;
    }
    return -1;
  }
  bool Selectable(int i) const {
    const TMenuItem* item = Entry(i);
    return item != nullptr && !item->IsLine();
  }
  bool OpensSubmenu(int i) const {
    const TMenuItem* item = Entry(i);
    return item != nullptr && item->Enabled() && HasVisibleItems(item);
  }
  void Layout();
  void Highlight(int i);
  void OpenChild(int i, bool selectFirst);
  void CloseChild() {
    if (FChild && FChildOpen) FChild->CloseUp(false);
  }
  void Choose(int i);
  void Step(int direction);

  std::vector<uint32_t> FEntries;
  HWND FPoster = 0;
  TMenuWindow* FParentWindow = nullptr;
  std::unique_ptr<TMenuWindow> FChild;
  bool FChildOpen = false;
  int FChildRow = -1;
  int FHighlight = -1;
  int FItemHeight = 20;
};

void TMenuWindow::Layout() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  FItemHeight = std::max(c->TextHeight(u"Wg") + 6, 20);
  int textWidth = 0, height = 2 * kBorder;
  for (int i = 0; i < static_cast<int>(FEntries.size()); ++i) {
    if (const TMenuItem* item = Entry(i); item != nullptr && !item->IsLine())
      textWidth = std::max(textWidth, c->TextWidth(item->Caption()));
    height += RowHeight(i);
  }
  SetBounds(Left(), Top(), 2 * kBorder + kGutter + 4 + textWidth + kArrow, height);
}

void TMenuWindow::Paint() {
  TCanvas* c = Canvas();
  TRect frame = ClientRect();
  Frame3D(c, frame, cl3DLight, cl3DDkShadow, 1);
  Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
  for (int i = 0; i < static_cast<int>(FEntries.size()); ++i) {
    TMenuItem* item = Entry(i);
    if (item == nullptr) continue;
    const TRect r = RowRect(i);
    c->Font()->Assign(Font());
    if (item->IsLine()) {
      const int mid = (r.Top + r.Bottom) / 2;
      c->Pen()->SetColor(clBtnShadow);
      c->MoveTo(r.Left + 2, mid - 1);
      c->LineTo(r.Right - 2, mid - 1);
      c->Pen()->SetColor(clBtnHighlight);
      c->MoveTo(r.Left + 2, mid);
      c->LineTo(r.Right - 2, mid);
      continue;
    }
    const bool lit = i == FHighlight;
    c->Brush()->SetColor(lit ? clHighlight : clMenu);
    c->FillRect(r);
    const TColor ink = lit ? (item->Enabled() ? clHighlightText : clGrayText) : clMenuText;
    const TRect gutter = Rect(r.Left, r.Top, r.Left + kGutter, r.Bottom);
    if (item->HasBitmap()) {
      TBitmap* b = item->Bitmap();
      const TRect dest = Bounds(gutter.Left + (kGutter - b->Width()) / 2, r.Top + (r.Height() - b->Height()) / 2,
                                b->Width(), b->Height());
      if (item->Checked()) {
        TRect box = Rect(dest.Left - 2, dest.Top - 2, dest.Right + 2, dest.Bottom + 2);
        Frame3D(c, box, clBtnShadow, clBtnHighlight, 1);
      }
      DrawTransparent(c, Point(dest.Left, dest.Top), b, Rect(0, 0, b->Width(), b->Height()));
    } else if (item->Checked()) {
      CheckMark(c, gutter, item->Enabled() || lit ? ink : clBtnShadow);
    }
    const int ty = r.Top + (r.Height() - c->TextHeight(item->Caption())) / 2;
    if (item->Enabled() || lit) {
      c->Brush()->SetStyle(bsClear);
      c->Font()->SetColor(ink);
      c->TextOut(r.Left + kGutter + 4, ty, item->Caption());
    } else {
      EngravedText(c, r.Left + kGutter + 4, ty, item->Caption());
    }
    if (HasVisibleItems(item))
      DropArrow(c, Rect(r.Right - kArrow, r.Top, r.Right, r.Bottom), item->Enabled() ? ink : clBtnShadow, true);
  }
}

void TMenuWindow::Highlight(int i) {
  if (i == FHighlight) return;
  FHighlight = i;
  Invalidate();
}

void TMenuWindow::OpenChild(int i, bool selectFirst) {
  if (FChild && FChildOpen && FChildRow == i) return;
  CloseChild();
  FChild = std::make_unique<TMenuWindow>(Entry(i), FPoster, this);
  FChild->Font()->Assign(Font());
  FChildRow = i;
  FChildOpen = true;
  const TRect row = RowRect(i);
  const TPoint at = ClientToScreen(Point(Width() - kBorder - 1, row.Top - kBorder));
  const int x = at.X + FChild->Width() <= Screen()->Width() ? at.X : Left() - FChild->Width() + kBorder + 1;
  if (selectFirst) FChild->Step(1);
  FChild->Open(x, at.Y);
}

void TMenuWindow::Choose(int i) {
  TMenuItem* item = Entry(i);
  if (item == nullptr || item->IsLine() || !item->Enabled()) return;
  if (HasVisibleItems(item)) {
    OpenChild(i, true);
    return;
  }
  const uint32_t command = item->Command();
  TPopupWindow::CloseAll();
  PostMessage(FPoster, WM_COMMAND, command, 0);  // runs after the menu's loop returned
}

void TMenuWindow::Step(int direction) {
  const int n = static_cast<int>(FEntries.size());
  if (n == 0) return;
  int i = FHighlight < 0 ? (direction > 0 ? -1 : n) : FHighlight;
  for (int k = 0; k < n; ++k) {
    i = ((i + direction) % n + n) % n;
    if (Selectable(i)) {
      Highlight(i);
      return;
    }
  }
}

void TMenuWindow::MouseMove(TShiftState Shift, int X, int Y) {
  TPopupWindow::MouseMove(Shift, X, Y);
  const int i = RowAt(Y);
  if (i < 0 || !Selectable(i)) return;
  Highlight(i);
  if (OpensSubmenu(i))
    OpenChild(i, false);
  else
    CloseChild();
}

void TMenuWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TPopupWindow::MouseUp(Button, Shift, X, Y);
  if (Button == mbMiddle) return;
  const int i = RowAt(Y);
  if (i >= 0 && X >= 0 && X < Width()) Choose(i);
}

void TMenuWindow::KeyDown(Word& Key, TShiftState Shift) {
  TPopupWindow::KeyDown(Key, Shift);
  switch (Key) {
    case VK_UP:
      Step(-1);
      break;
    case VK_DOWN:
      Step(1);
      break;
    case VK_RIGHT:
      if (OpensSubmenu(FHighlight)) OpenChild(FHighlight, true);
      break;
    case VK_LEFT:
      if (FParentWindow != nullptr) CloseUp(false);
      break;
    case VK_RETURN:
    case VK_SPACE:
      Choose(FHighlight);
      break;
    case VK_ESCAPE:
      CloseUp(false);
      break;  // a submenu goes back to its parent; the top ends the menu
    default:
      return;
  }
  Key = 0;
}

}  // namespace platform_detail

// [SECTION] TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FWindowHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

TPopupMenu::~TPopupMenu() {
  DeallocateHWnd(FWindowHandle);
  SetPopupComponent(nullptr);
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (value == FPopupComponent) return;
  if (FPopupComponent != nullptr) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  FPopupPoint = Point(X, Y);
  if (OnPopup) OnPopup(this);
  if (!HasVisibleItems(FItems.get()) || FShowing) return;
  auto window = std::make_unique<platform_detail::TMenuWindow>(FItems.get(), FWindowHandle, nullptr);
  const int x = FAlignment == paRight ? X - window->Width() : FAlignment == paCenter ? X - window->Width() / 2 : X;
  SetCaptureControl(nullptr);  // the menu takes the mouse, also from a control whose press opened it
  FShowing = true;
  struct Done {
    bool& showing;
    ~Done() { showing = false; }
  } done{FShowing};
  window->Open(x, Y);
  while (window->IsOpen())
    if (Application->Terminated() || !Application->ModalStep()) window->CloseUp(false);
}

void TPopupMenu::WndProc(TMessage& Message) {
  if (Message.Msg != WM_COMMAND) {
    Message.Result = DefWindowProc(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (TMenuItem* item = TMenuItem::FromCommand(static_cast<uint32_t>(Message.WParam))) item->Click();
}

}  // namespace qelta
