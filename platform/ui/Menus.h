#pragma once
// Popup menus built at run time: TMenuItem (caption, enabled, checked, bitmap, visible, submenus,
// separators) and TPopupMenu, opened at screen coordinates by Popup or by a right click on a control
// whose PopupMenu it is.
//
// How: Popup fires OnPopup, opens a menu window (a TPopupWindow, Popups.h) and runs a message loop
// until the menu ends: pointing at an item highlights it and opens its submenu beside it; a click or
// Enter on an enabled item without a submenu chooses it; Esc closes the innermost menu, Left a
// submenu, Right opens one; a press outside (also outside the program) or the program's loss of the
// focus closes them all. A chosen item's OnClick is posted, so it runs after Popup has returned (it may
// open the menu again); an item freed before that is not run.
// Opening takes the mouse capture from whichever control held it (a menu opened from a press).
// Headless, a menu that nobody can answer closes at once (see Testing.h, WhenPopupShows).
// A caption "-" makes a separator. Limits: no menu bar, no shortcuts or accelerator keys ('&' is drawn
// as it stands), no radio groups, no owner drawing, no hints.

#include <memory>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TPopupMenu;

/// One entry of a menu; it owns its submenu items (freeing an item frees them).
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // -- the submenu
  int Count() const { return static_cast<int>(FItems.size()); }
  /// Submenu item by 0-based index; raises EListError "List index out of bounds (<index>)" outside.
  TMenuItem* Items(int Index) const;
  /// Appends an item (taken off its former parent).
  void Add(TMenuItem* Item);
  /// Inserts an item before Index (0..Count); raises EListError outside.
  void Insert(int Index, TMenuItem* Item);
  /// Takes the item at Index out of the submenu without freeing it; raises EListError outside.
  void Delete(int Index);
  /// Takes the item out of the submenu without freeing it (nothing when it is not there).
  void Remove(TMenuItem* Item);
  /// Frees every submenu item.
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  /// The first submenu item with this caption, or nullptr.
  TMenuItem* Find(const String& ACaption) const;
  TMenuItem* Parent() const { return FParent; }
  /// Position in the parent's submenu, -1 without parent.
  int MenuIndex() const;

  // -- properties
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value) { FCaption = value; }
  /// A separator line: the caption "-".
  bool IsLine() const { return FCaption == u"-"; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) { FChecked = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  /// The picture shown left of the caption (made on first use; empty: none). Its bottom-left pixel
  /// colour is transparent.
  TBitmap* Bitmap();
  bool HasBitmap() const { return FBitmap && !FBitmap->Empty(); }
  void SetBitmap(TBitmap* value) { Bitmap()->Assign(value); }

  /// Fires OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

  /// Not part of the public interface: the number a chosen item is posted under.
  uint32_t Command() const { return FCommand; }
  /// Not part of the public interface: the living item posted under a number, or nullptr.
  static TMenuItem* FromCommand(uint32_t Command);

 private:
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  String FCaption;
  bool FEnabled = true;
  bool FChecked = false;
  bool FVisible = true;
  std::unique_ptr<TBitmap> FBitmap;
  uint32_t FCommand = 0;
};

enum TPopupAlignment : uint8_t { paLeft, paRight, paCenter };

/// A menu opened over the forms: at a point by Popup, or by a right click on a control.
class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  /// Fires OnPopup, then opens the menu with its left edge (paLeft), right edge (paRight) or centre at X
  /// and its top at Y (screen coordinates) and returns when it closed; a menu without a visible item
  /// does not open. The chosen item's OnClick runs later, from the message loop.
  virtual void Popup(int X, int Y);
  /// The top level of the menu.
  TMenuItem* Items() const { return FItems.get(); }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }
  /// Opens on a right click on a control whose PopupMenu this is (default true).
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }
  /// The control the last right click opened the menu for (nullptr when Popup was called directly).
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* value);
  /// Screen point of the last Popup.
  TPoint PopupPoint() const { return FPopupPoint; }
  /// True while Popup runs.
  bool Showing() const { return FShowing; }

  /// Fired before the menu opens (items may be changed there).
  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void WndProc(TMessage& Message);
  std::unique_ptr<TMenuItem> FItems;
  TPopupAlignment FAlignment = paLeft;
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
  TPoint FPopupPoint;
  bool FShowing = false;
  HWND FWindowHandle = 0;
};

}  // namespace qelta

QELTA_PUBLIC_END
