#pragma once
// Not part of the public interface: the base of the common dialogs' own forms (SaveDialogForm.h,
// ColorDialogForm.h) and of the message box's (MessageBoxForm.h). Not installed; exported for the tests.
//
// A dialog form is a fixed-size form in the button-face colour, built from the platform's widgets at
// run time. Esc cancels it, Enter runs its default action (the form previews every key), closing the
// window cancels it (TForm::Close). Run centres it over the active form (or the screen) and shows it
// modally. The controls carry names (FindComponent) so that the scripted user can find them.

#include <functional>

#include "Buttons.h"
#include "Edits.h"
#include "Forms.h"
#include "Labels.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

class TDialogForm : public TForm {
 public:
  /// An empty dialog form with the caption and client size.
  TDialogForm(const String& caption, int width, int height);

  /// Centres the form over the active form (or the screen) and shows it modally; answers its result.
  TModalResult Run();

 protected:
  /// Esc cancels, Enter runs DefaultAction; other keys go on to the focused control.
  void KeyDown(Word& Key, TShiftState Shift) override;
  /// What Enter does (the OK or Save button's action).
  virtual void DefaultAction() = 0;

  // -- building: each control is owned by the form, sits on it and carries the name
  TLabel* AddLabel(const String& name, const String& caption, int x, int y);
  TEdit* AddEdit(const String& name, int x, int y, int width);
  /// A push button that runs `click`.
  TSpeedButton* AddButton(const String& name, const String& caption, const TRect& bounds, std::function<void()> click);
  /// Puts a button made by the caller (owned by the form) on the form as AddButton does; answers it.
  TSpeedButton* PlaceButton(TSpeedButton* button, const String& name, const String& caption, const TRect& bounds,
                            std::function<void()> click);
};

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
