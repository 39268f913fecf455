// Combo boxes.

#include "ComboBoxes.h"

#include "EditBuffer.h"
#include "WidgetPaint.h"

namespace qelta {

using platform_detail::TEditBuffer;

namespace {

constexpr int kButtonWidth = 17;

}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()), FBuffer(std::make_unique<TEditBuffer>()) {
  SetColor(clWindow);
  SetTabStop(true);
  TControlStyle style = ControlStyle();
  SetControlStyle(style.Exclude(csClickEvents).Include(csOpaque));  // Click means a choice, not a click on the box
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
  SetBounds(0, 0, 145, 0);
}

TCustomComboBox::~TCustomComboBox() {
  FItems->OnChange = nullptr;
  FList.reset();
}

// [SECTION] properties

int TCustomComboBox::FixedHeight() {
  const int text = WindowCanvas()->TextHeight(u"Wg");
  return (OwnerDrawn() ? std::max(ItemHeight(), text) : text) + 8;
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int /*AHeight*/) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, FixedHeight());
}

int TCustomComboBox::ItemHeight() const {
  return FItemHeight > 0 ? FItemHeight : const_cast<TCustomComboBox*>(this)->WindowCanvas()->TextHeight(u"Wg") + 2;
}

void TCustomComboBox::SetItemHeight(int value) {
  value = std::min(value, TPopupListBox::kMaxItemHeight);
  if (value < 1 || value == FItemHeight) return;
  FItemHeight = value;
  SetBounds(Left(), Top(), Width(), 0);
  Invalidate();
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  if (!Editable()) SetTextQuietly(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : String());
  SetBounds(Left(), Top(), Width(), 0);
  Invalidate();
}

void TCustomComboBox::SetTextQuietly(const String& text) {
  FQuiet = true;
  SetText(text);
  FQuiet = false;
  FBuffer->Select(static_cast<int>(text.size()), 0, text);
}

void TCustomComboBox::SetItemIndex(int value) {
  value = std::clamp(value, -1, FItems->Count() - 1);
  FItemIndex = value;
  SetTextQuietly(value >= 0 ? FItems->Strings(value) : String());
  Invalidate();
}

void TCustomComboBox::ItemsChanged() {
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  if (!Editable()) SetTextQuietly(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : String());
  Invalidate();
}

int TCustomComboBox::SelStart() const { return FBuffer->SelStart(); }
void TCustomComboBox::SetSelStart(int value) {
  FBuffer->Select(value, 0, Text());
  Invalidate();
}
int TCustomComboBox::SelLength() const { return FBuffer->SelLength(); }
void TCustomComboBox::SetSelLength(int value) {
  FBuffer->Select(FBuffer->SelStart(), value, Text());
  Invalidate();
}
void TCustomComboBox::SelectAll() {
  FBuffer->Select(0, static_cast<int>(Text().size()), Text());
  Invalidate();
}

// [SECTION] events

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count())
    c->TextRect(Rect, Rect.Left + 2, Rect.Top + (Rect.Height() - c->TextHeight(u"Wg")) / 2, FItems->Strings(Index));
}

bool TCustomComboBox::TakeChoice(int index) {
  if (index < 0 || index >= FItems->Count() || (index == FItemIndex && Text() == FItems->Strings(index))) return false;
  FItemIndex = index;
  SetTextQuietly(FItems->Strings(index));
  if (Editable()) SelectAll();
  Invalidate();
  return true;
}

void TCustomComboBox::UserSelect(int index) {
  if (!TakeChoice(index)) return;
  Click();
  Change();
}

// [SECTION] the list

void TCustomComboBox::SetDroppedDown(bool value) {
  if (value == FDropped) return;
  if (!value) {
    if (FList) FList->CloseUp(false);
    return;
  }
  DropDown();
  if (!FList) {
    FList = std::make_unique<TPopupListBox>(nullptr);
    FList->OnCloseUp = [this](bool accepted, int index) { ListClosed(accepted, index); };
    FList->OnDrawItem = [this](TCanvas* canvas, int index, const TRect& rect, TOwnerDrawState state) {
      FItemCanvas = canvas;
      DrawItem(index, rect, state);
      FItemCanvas = nullptr;
    };
  }
  if (!OwnerDrawn()) FList->OnDrawItem = nullptr;
  FList->Font()->Assign(Font());
  FList->Items()->Assign(FItems.get());
  FList->SetDropDownCount(FDropDownCount);
  if (OwnerDrawn() || FItemHeight > 0) FList->SetItemHeight(ItemHeight());
  FList->SetItemIndex(Editable() ? FItems->IndexOf(Text()) : FItemIndex);
  FList->KeyTarget = Editable() ? this : nullptr;
  FDropped = true;
  Invalidate();
  FList->DropDown(this);
}

void TCustomComboBox::ListClosed(bool accepted, int index) {
  FDropped = false;
  Invalidate();
  const bool chosen = accepted && TakeChoice(index);  // CloseUp sees the new choice
  CloseUp();
  if (!chosen) return;
  Click();
  Change();
}

// [SECTION] input

void TCustomComboBox::KeyDown(Word& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  const bool toggle = Key == VK_F4 || (Shift.Contains(ssAlt) && (Key == VK_DOWN || Key == VK_UP));
  const int last = FItems->Count() - 1;
  if (toggle) {
    SetDroppedDown(!FDropped);
  } else if (Key == VK_DOWN || Key == VK_UP) {
    const int current = Editable() ? FItems->IndexOf(Text()) : FItemIndex;
    UserSelect(current < 0 ? 0 : std::clamp(current + (Key == VK_DOWN ? 1 : -1), 0, last));
  } else if (!Editable() && (Key == VK_HOME || Key == VK_END || Key == VK_PRIOR || Key == VK_NEXT)) {
    const int page = std::max(FDropDownCount - 1, 1);
    UserSelect(Key == VK_HOME    ? 0
               : Key == VK_END   ? last
               : Key == VK_PRIOR ? std::max(FItemIndex - page, 0)
                                 : std::min(std::max(FItemIndex, 0) + page, last));
  } else if (Editable()) {
    String text = Text();
    if (!FBuffer->KeyDown(text, Key, Shift, false, false)) return;
    Typed(text);
  } else {
    return;
  }
  Key = 0;
}

void TCustomComboBox::KeyPress(Char& Key) {
  TWinControl::KeyPress(Key);
  if (Key == 0) return;
  if (!Editable()) {
    if (Key >= u' ') UserSelect(TPopupListBox::NextWithLetter(*FItems, FItemIndex, Key));
    return;
  }
  String text = Text();
  if (FBuffer->KeyPress(text, Key, false, false)) Typed(text);
}

void TCustomComboBox::Typed(const String& text) {
  Invalidate();
  if (text == Text()) return;
  FTyping = true;
  SetText(text);
  FTyping = false;
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    const TRect field = FieldRect();
    if (Editable() && X < field.Right) {
      FBuffer->MoveTo(platform_detail::PositionAtX(WindowCanvas(), Text(), field.Left + 1 - FScrollX, X),
                      Shift.Contains(ssShift), Text());
      Invalidate();
    } else {
      SetDroppedDown(!FDropped);
    }
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomComboBox::DoExit() {
  SetDroppedDown(false);
  TWinControl::DoExit();
}

void TCustomComboBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case CM_TEXTCHANGED:
      TWinControl::WndProc(Message);
      FBuffer->Clamp(Text());
      if (FQuiet) return;
      if (!Editable()) {  // text set in code picks the item with that text
        FItemIndex = FItems->IndexOf(Text());
        if (FItemIndex < 0 && !Text().empty()) SetTextQuietly(String());
        return;
      }
      FItemIndex = FItems->IndexOf(Text());
      if (FTyping) Change();
      return;
    case CM_FONTCHANGED:
      TWinControl::WndProc(Message);
      SetBounds(Left(), Top(), Width(), 0);
      return;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
      SetDroppedDown(false);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

// [SECTION] painting

TRect TCustomComboBox::FieldRect() const {
  return Rect(2, 2, std::max(2, Width() - 2 - kButtonWidth), std::max(2, Height() - 2));
}

void TCustomComboBox::PaintWindow() {
  TCanvas* c = WindowCanvas();
  TRect r = ClientRect();
  platform_detail::SunkenBorder(c, r);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  TRect button = Rect(std::max(r.Left, r.Right - kButtonWidth), r.Top, r.Right, r.Bottom);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(button);
  const TRect arrow = button;
  platform_detail::ButtonBorder(c, button, FDropped);
  platform_detail::DropArrow(
      c, Bounds(arrow.Left + (FDropped ? 1 : 0), arrow.Top + (FDropped ? 1 : 0), arrow.Width(), arrow.Height()),
      Enabled() ? clBtnText : clGrayText);
  const TRect field = FieldRect();
  const bool focused = Focused() && Enabled();
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  const int ty = field.Top + (field.Height() - c->TextHeight(u"Wg")) / 2;
  if (Editable()) {
    platform_detail::PaintTextLine(c, field, field.Left + 1 - FScrollX, ty, Text(), focused ? SelStart() : 0,
                          focused ? SelLength() : 0, focused ? FBuffer->Caret : -1);
    return;
  }
  const TRect item = Rect(field.Left + 1, field.Top + 1, field.Right - 1, field.Bottom - 1);
  c->Brush()->SetColor(focused && !FDropped ? clHighlight : Color());
  if (focused && !FDropped) c->Font()->SetColor(clHighlightText);
  if (OwnerDrawn()) {
    TOwnerDrawState state{odComboBoxEdit};
    if (focused) state.Include(odSelected).Include(odFocused);
    if (!Enabled()) state.Include(odDisabled);
    if (FItemIndex >= 0)
      DrawItem(FItemIndex, item, state);
    else
      c->FillRect(item);
  } else {
    c->FillRect(item);
    c->Brush()->SetStyle(bsClear);
    c->TextRect(item, item.Left + 1, ty, Text());
  }
  if (focused && !FDropped) platform_detail::FocusRect(c, item);
}

}  // namespace qelta
