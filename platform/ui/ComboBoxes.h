#pragma once
// Combo boxes: TCustomComboBox / TComboBox, a field with a list that drops down under it.
//
// How: csDropDown has an edit field (typed changes fire OnChange per change) and a list; csDropDownList
// shows the chosen item only; csOwnerDrawFixed is a drop-down list whose items, and the field
// (odComboBoxEdit), the virtual DrawItem draws on Canvas (the list's while it paints an item). A user's
// choice of another item (a click in the list, Enter on it, Up/Down or a letter on the closed box)
// sets ItemIndex and Text and fires Click, then Change (OnClick, then OnChange); ItemIndex and Text
// set in code fire nothing. The list opens by a click (on the button of an editable box), F4 or
// Alt+Down, after the virtual DropDown (OnDropDown); it closes by a choice, Esc, a press outside or the
// loss of the focus, then CloseUp runs (OnCloseUp). A choice in the list is taken first, so the order
// is: ItemIndex and Text set, CloseUp, Click, Change. While it is open it takes the keys (Popups.h).
// csSimple works as csDropDown and csOwnerDrawVariable as csOwnerDrawFixed. The height follows the
// font (and ItemHeight when owner-drawn). Limits: no auto-complete, no maximum length, no undo.

#include <algorithm>
#include <memory>

#include "Controls.h"
#include "Popups.h"
#include "StringLists.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

namespace platform_detail {
class TEditBuffer;
}

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  void WndProc(TMessage& Message) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* value) { FItems->Assign(value); }
  /// The chosen item, -1 for none. Set in code (clamped to -1..Count-1): Text becomes the item's (or
  /// empty), nothing fires.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle value);
  /// Rows the list shows at once (default 8, clamped as the list's).
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int value) { FDropDownCount = std::clamp(value, 1, TPopupListBox::kMaxRows); }
  /// Height of a list row of an owner-drawn box (default: the font's text height + 2; at most the list's
  /// largest).
  int ItemHeight() const;
  void SetItemHeight(int value);
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool value) { FItems->SetSorted(value); }
  bool DroppedDown() const { return FDropped; }
  /// Opens (after DropDown) or closes the list.
  void SetDroppedDown(bool value);
  /// Where DrawItem draws: the list while it paints an item, else this control.
  TCanvas* Canvas() { return FItemCanvas != nullptr ? FItemCanvas : WindowCanvas(); }
  // -- the edit field of csDropDown (0-based positions)
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);
  void SelectAll();

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;

 protected:
  /// A user changed the choice or the typed text; fires OnChange.
  virtual void Change();
  /// The list is about to open; fires OnDropDown.
  virtual void DropDown();
  /// The list closed; fires OnCloseUp.
  virtual void CloseUp();
  /// Draws item Index (odComboBoxEdit: in the field) on Canvas, whose brush and font are set for the
  /// state; OnDrawItem when assigned, else the item's text on the brush.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;
  void PaintWindow() override;
  bool Editable() const { return FStyle == csDropDown || FStyle == csSimple; }
  bool OwnerDrawn() const { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
  /// The field without border and button.
  TRect FieldRect() const;

 private:
  void ItemsChanged();
  /// Takes the item as the choice (ItemIndex, Text); false when it is no item or already the choice.
  bool TakeChoice(int index);
  void UserSelect(int index);
  void ListClosed(bool accepted, int index);
  void SetTextQuietly(const String& text);
  void Typed(const String& text);
  int FixedHeight();
  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TPopupListBox> FList;
  std::unique_ptr<platform_detail::TEditBuffer> FBuffer;
  TCanvas* FItemCanvas = nullptr;
  TComboBoxStyle FStyle = csDropDown;
  int FItemIndex = -1;
  int FDropDownCount = 8;
  int FItemHeight = 0;
  bool FDropped = false;
  bool FQuiet = false;   // the text is being set by the box itself
  bool FTyping = false;  // the text is being changed by the user
  int FScrollX = 0;
};

class TComboBox : public TCustomComboBox {
 public:
  using TCustomComboBox::TCustomComboBox;
};

}  // namespace qelta

QELTA_PUBLIC_END
