#pragma once
// Popup windows: what opens over the forms for a moment (a popup menu and its submenus, the list of a
// combo box, the pick list of a grid's editor), and the drop-down list they share.
//
// How: a TPopupWindow is a form without a frame that never becomes the active form: the control that
// opened it keeps the focus. While popups are open they lie above every form (also a modal one) and
// take the keyboard, the innermost first; a mouse press outside all of them (in a form, on the desktop or
// on another program's window) closes them all and goes nowhere else, while a control holding the mouse
// capture keeps getting the mouse; the program's loss of the focus closes them too. Opening a popup runs
// the next script queued by the scripted user (Testing.h, WhenPopupShows). TPopupListBox is the
// drop-down list: items, a highlighted one, DropDownCount rows at a time; it ends on a click or Enter
// (accepted) or on Esc, Tab, a press outside or the loss of the focus (cancelled) and tells its owner
// through OnCloseUp.
// Limits: no scroll bars (the list scrolls by keys, wheel and highlighting), no animation, no shadow.

#include <functional>
#include <memory>

#include "Forms.h"
#include "StringLists.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// How an owner-drawn item is to look.
enum TOwnerDrawStateFlag : uint8_t {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit
};
using TOwnerDrawState = Set<TOwnerDrawStateFlag>;

/// A window that opens over the forms for a moment (see the top of this file).
class TPopupWindow : public TForm {
 public:
  explicit TPopupWindow(TComponent* AOwner);
  ~TPopupWindow() override;

  /// Opens the popup with its top-left at the screen point, moved back onto the desktop where it
  /// would leave it, above every open popup; then runs the next WhenPopupShows script.
  void Open(int X, int Y);
  /// Opens the popup under the control, or above it when there is no room below.
  void OpenBelow(const TControl* Control);
  /// Closes the popup and every popup opened after it; Closed runs for each.
  void CloseUp(bool Accepted = false);
  bool IsOpen() const { return FOpen; }
  /// The client rectangle of the entry captioned `Caption` (for scripts that click it); false when none.
  virtual bool EntryRect(const String& Caption, TRect& Rect);

  /// Whether the form is a popup window.
  static bool IsPopup(const TForm* Form) { return dynamic_cast<const TPopupWindow*>(Form) != nullptr; }
  /// The popups open now, the first opened first.
  static const std::vector<TPopupWindow*>& OpenPopups();
  /// Closes every open popup (cancelled).
  static void CloseAll();

 protected:
  void WndProc(TMessage& Message) override;
  bool ActivatesWhenShown() const override { return false; }
  /// Runs after the popup closed; Accepted tells whether it ended with a choice.
  virtual void Closed(bool Accepted);

 private:
  bool FOpen = false;
};

/// The drop-down list of combo boxes and pick lists (see the top of this file).
class TPopupListBox : public TPopupWindow {
 public:
  explicit TPopupListBox(TComponent* AOwner);
  ~TPopupListBox() override;

  /// Opens the list under the control, `ListWidth` pixels wide (the control's width when 0), showing
  /// min(DropDownCount, item count) rows with ItemIndex highlighted and in view.
  void DropDown(const TControl* Below, int ListWidth = 0);
  bool EntryRect(const String& Caption, TRect& Rect) override;

  TStrings* Items() const { return FItems.get(); }
  /// The highlighted item, -1 for none; set: clamped to the items, scrolled into view.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  int TopIndex() const { return FTopIndex; }
  /// Height of a row in pixels (default: the font's text height + 2); values below 1 are ignored, values
  /// above kMaxItemHeight taken as it.
  int ItemHeight() const;
  void SetItemHeight(int value);
  static constexpr int kMaxItemHeight = 4096, kMaxRows = 4096;
  /// Rows shown at once (default 8, clamped to 1..kMaxRows).
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int value);
  /// The item under a client point, -1 for none.
  int ItemAtPos(TPoint p) const;
  /// The first item after `from` (going round) that begins with the letter (A-Z case ignored), -1 for none.
  static int NextWithLetter(const TStrings& items, int from, Char c);

  /// Draws an item instead of the plain text (owner-drawn combo boxes); the canvas is the list's.
  std::function<void(TCanvas* Canvas, int Index, const TRect& Rect, TOwnerDrawState State)> OnDrawItem;
  /// The list closed: Accepted with ItemIndex chosen (a click, Enter) or not (Esc, Tab, a press outside,
  /// the program's loss of the focus).
  std::function<void(bool Accepted, int Index)> OnCloseUp;
  /// Gets the characters and editing keys the list does not take itself (an editable owner); without
  /// one, a character highlights the next item that begins with it.
  TWinControl* KeyTarget = nullptr;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void Closed(bool Accepted) override;

 private:
  int Rows() const;
  TRect ItemRect(int index) const;
  void ScrollInView();
  void SelectByLetter(Char c);
  std::unique_ptr<TStringList> FItems;
  int FItemIndex = -1;
  int FTopIndex = 0;
  int FItemHeight = 0;  // 0: from the font
  int FDropDownCount = 8;
};

}  // namespace qelta

QELTA_PUBLIC_END
