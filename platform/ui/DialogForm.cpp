// The base of the common dialogs' own forms: keys, placement, and the building helpers.

#include "DialogForm.h"

#include <algorithm>
#include <utility>

#include "Screen.h"

namespace qelta::platform_detail {

TDialogForm::TDialogForm(const String& caption, int width, int height) : TForm(nullptr) {
  SetCaption(caption);
  SetBorderStyle(bsDialog);
  SetColor(clBtnFace);
  SetKeyPreview(true);
  SetBounds(0, 0, width, height);
}

TModalResult TDialogForm::Run() {
  const TForm* over = Application->ActiveForm();
  const TRect area = over != nullptr && over->Visible() ? over->BoundsRect()
                                                        : Rect(0, 0, Screen()->Width(), Screen()->Height());
  SetBounds(std::max(0, area.Left + (area.Width() - Width()) / 2), std::max(0, area.Top + (area.Height() - Height()) / 2),
            Width(), Height());
  return ShowModal();
}

void TDialogForm::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && Shift.Empty()) {
    Key = 0;
    SetModalResult(mrCancel);
  } else if (Key == VK_RETURN && Shift.Empty()) {
    Key = 0;
    DefaultAction();
  }
  if (Key != 0) TForm::KeyDown(Key, Shift);
}

TLabel* TDialogForm::AddLabel(const String& name, const String& caption, int x, int y) {
  auto* label = new TLabel(this);
  label->SetName(name);
  label->SetParent(this);
  label->SetTransparent(true);
  label->SetLeft(x);
  label->SetTop(y);
  label->SetCaption(caption);
  return label;
}

TEdit* TDialogForm::AddEdit(const String& name, int x, int y, int width) {
  auto* edit = new TEdit(this);
  edit->SetName(name);
  edit->SetParent(this);
  edit->SetBounds(x, y, width, edit->Height());  // the height follows the font
  edit->SetText(String());
  return edit;
}

TSpeedButton* TDialogForm::AddButton(const String& name, const String& caption, const TRect& bounds,
                                     std::function<void()> click) {
  return PlaceButton(new TSpeedButton(this), name, caption, bounds, std::move(click));
}

TSpeedButton* TDialogForm::PlaceButton(TSpeedButton* button, const String& name, const String& caption,
                                       const TRect& bounds, std::function<void()> click) {
  button->SetName(name);
  button->SetParent(this);
  button->SetCaption(caption);
  button->SetBoundsRect(bounds);
  button->OnClick = [click = std::move(click)](TObject*) { click(); };
  return button;
}

}  // namespace qelta::platform_detail
