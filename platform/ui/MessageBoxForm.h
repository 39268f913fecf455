#pragma once
// Not part of the public interface: a message box as a modal form of the platform's widgets, shown in a
// desktop window when the desktop cannot show a box of its own (no zenity and no X core fonts). Not
// installed; exported for the tests.
//
// The form (TDialogForm) carries the box's caption, its text ("TextLabel"; lines end at line feeds, and
// a long line widens the box up to the screen's width, for there is no word wrap) and one button per
// answer offered, in the order of TMsgDlgBtn, centred under the text ("YesButton", "NoButton",
// "OKButton", "CancelButton", "AbortButton", "RetryButton", "IgnoreButton", "AllButton",
// "NoToAllButton", "YesToAllButton"). The default button has the focus, framed and with a dotted focus
// rectangle; Tab and Shift+Tab, and the arrows, move the focus along the buttons, Enter and Space press
// the focused one, a click presses any. Esc and closing the window answer the set's cancel answer
// (CancelAnswerOf), and so does a loop that ends without an answer. It opens centred over the active form.

#include <vector>

#include "Dialogs.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// A button of a box: what it answers, what it says and the name of its control on the form.
struct TBoxButton {
  TModalResult Answer = mrOk;
  const char* Caption = "OK";
  const char16_t* Name = u"OKButton";
};

/// The buttons of a box offering `offered`, in the order of TMsgDlgBtn (help left out); OK alone for none.
std::vector<TBoxButton> BoxButtonsOf(TMsgDlgButtons offered);
/// What a box answers when nobody chose a button (Dialogs.h states the rule): Cancel, else No, else
/// No to All, else Abort, else the one button of a box with one, else mrCancel.
TModalResult CancelAnswerOf(TMsgDlgButtons offered);
/// Shows the box modally over the active form; answers the button pressed, or CancelAnswerOf for Esc,
/// the window closed and a loop that ended. Raises what showing a form raises (EOSError without a window).
TModalResult RunMessageBoxForm(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer);

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
