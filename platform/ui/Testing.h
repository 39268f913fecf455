#pragma once
// The scripted user: drives forms and controls headless, as a person at the screen would.
//
// How: a TScriptedUser starts a clean session (virtual clock, empty queue, no keys or buttons held,
// the pointer off every form, empty message-box log, script and clipboard) and ends it when
// destroyed (real clock again). Its actions post input messages to the application's queue exactly
// as a mouse and a keyboard would:
// a mouse action at a control first moves the pointer there (one WM_MOUSEMOVE, so enter and leave
// happen), a key press is key down (with the character the US keyboard layout gives it) and key up,
// modifiers are pressed around it. With AutoProcess on (the default) every action then runs
// Application->ProcessMessages(), so its effects are visible when the call returns; with it off the
// input stays queued, for a loop inside the code under test to take (a rubber band, a modal form).
// Time moves only through Advance, which fires due timers in order. Two presses at the same place
// without advancing the clock make a double click, as they would for a fast user.
// Mistakes in a script raise EInvalidOperation instead of doing nothing or something else: a mouse
// action or Grab without a control, a mouse action at a control that is not showing on a shown form,
// an answer that is no button's. In strict mode (SetStrict) a question box or a modal form that the
// script did not answer raises EUnscripted (an EInvalidOperation) from the action that led to it,
// instead of taking the box's default button or cancelling the form.
// Open popups (a menu and its submenus, a combo box's list, a grid's pick list) are windows like forms:
// the user clicks into them (client coordinates of the popup), types keys to them and grabs them. A
// menu's Popup runs its own loop, so what the user does there is scripted before it opens, with
// WhenPopupShows (the script runs as the popup opens; input it gives is queued for the popup's loop).
// Other programs exist for the user only as a place to click (ClickOutside) and as what takes the focus
// (SwitchToOtherProgram); both close the open popups, cancelled, and reach no control.
// Limits: one user; coordinates are client coordinates of the control named; characters outside the
// US layout are typed as WM_CHAR alone (no key down or up).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "DateUtils.h"
#include "Dialogs.h"
#include "Forms.h"
#include "Graphics.h"
#include "Popups.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TScriptedUser {
 public:
  /// Starts a clean session with the virtual clock at `start` (default 2024-01-01 12:00:00).
  explicit TScriptedUser(TDateTime start = 45292.5);
  ~TScriptedUser();
  TScriptedUser(const TScriptedUser&) = delete;
  TScriptedUser& operator=(const TScriptedUser&) = delete;

  // -- forms
  /// Shows the form and lets it paint.
  void Show(TForm* form);
  /// Runs `script` with the form when the next ShowModal shows it (scripts are used in order).
  void WhenModalShows(std::function<void(TForm* form)> script);
  /// Strict mode: a question box without an AnswerNextBox answer, or a ShowModal without a
  /// WhenModalShows script, raises EUnscripted. Off when the session starts.
  void SetStrict(bool value);

  // -- mouse, at client coordinates of a control that shows on a shown form (else EInvalidOperation);
  // `shift` keys are held around the action
  void MoveTo(TControl* control, int x, int y, TShiftState shift = {});
  void Press(TControl* control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
  void Release(TControl* control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
  /// Press and release at one place.
  void Click(TControl* control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
  /// Two clicks at one place without time passing.
  void DoubleClick(TControl* control, int x, int y, TShiftState shift = {});
  /// Press at (x1, y1), `steps` moves along the line, release at (x2, y2).
  void Drag(TControl* control, int x1, int y1, int x2, int y2, TMouseButton button = mbLeft, int steps = 4,
            TShiftState shift = {});
  /// Turns the wheel by `delta` (WHEEL_DELTA per notch, negative towards the user) with the pointer
  /// at the point; the focused control gets it first.
  void Wheel(TControl* control, int x, int y, int delta, TShiftState shift = {});
  /// Clicks outside every window of the program (the desktop, another program's window): the pointer
  /// leaves the forms; open popups close (cancelled) and no control gets the click.
  void ClickOutside(TMouseButton button = mbLeft);
  /// Another program takes the focus (the user switches to it): open popups close, cancelled.
  void SwitchToOtherProgram();

  // -- keyboard
  /// Holds a key down (its character, if any, is typed once).
  void KeyDown(Word key, Char typed = 0);
  void KeyUp(Word key);
  /// Presses and releases a key with modifiers; the character follows the US layout (Ctrl+letter
  /// gives the control character, Alt gives none).
  void PressKey(Word key, TShiftState shift = {});
  /// Types the text key by key (Shift where the US layout needs it).
  void TypeText(const String& text);

  // -- time, boxes, clipboard
  /// Moves the virtual clock on, firing the timers that fall due.
  void Advance(int64_t ms);
  /// Answer (mrOk..mrYesToAll, IDOK..IDNO) of the next message box that offers a choice; any other
  /// value raises EInvalidOperation, and a box that does not offer the answer raises EUnscripted.
  void AnswerNextBox(int answer);
  /// Every message box and beep since the session began.
  const std::vector<TDialogLogEntry>& MessageLog() const;
  String ClipboardText() const;
  /// While on, every SetTimer fails (answers 0).
  void FailTimers(bool on);

  // -- common dialogs: answers used in order, one queue per dialog kind; an unanswered dialog cancels
  /// The next common dialog of the kind (u"TSaveDialog", ...) ends as `answer` says (confirm, cancel, fail).
  void AnswerNextDialog(const String& kind, const TCommonDialogAnswer& answer);
  /// The next TSaveDialog confirms fileName.
  void AnswerNextSaveDialog(const String& fileName);
  /// On: a common dialog without a scripted answer shows its own modal form, as it does in a desktop
  /// window, for a WhenModalShows script to fill in (the forms' controls are found by name); off
  /// (when the session starts): headless, it cancels.
  void UseDialogForms(bool on = true);

  // -- popups
  /// Runs `script` with the next popup that opens (scripts are used in order, one per popup); while
  /// it runs, AutoProcess is off, so its actions queue input for the popup's loop.
  void WhenPopupShows(std::function<void(TPopupWindow* popup)> script);
  /// Chooses a path in the next popup: a click on the entry with the first caption, then on the entry
  /// with the next caption in the popup that opens from it (a submenu), and so on; {} cancels the popup
  /// (Esc). A caption the popup lacks raises EInvalidOperation from the call that opened it.
  void WhenPopupShows(std::initializer_list<String> path);
  /// The innermost open popup, nullptr when none is open.
  TPopupWindow* OpenPopup() const;
  /// Clicks the entry with the caption in the innermost open popup; raises EInvalidOperation when no
  /// popup is open or it has no such entry.
  void ClickPopupEntry(const String& caption);

  /// The next TColorDialog confirms the colour.
  void AnswerNextColorDialog(TColor color);

  // -- looking
  /// The pixels of the control's area of its form (after pending paints); white where it has none.
  /// No control raises EInvalidOperation.
  std::unique_ptr<TBitmap> Grab(TControl* control);
  /// Writes what the form shows to a PNG file.
  void SavePng(TForm* form, const String& fileName);
  /// What the desktop shows in the area (screen coordinates): the shown forms and open popups in their
  /// order, over the desktop colour (after pending paints; no input is processed).
  std::unique_ptr<TBitmap> GrabDesktop(const TRect& area);
  /// The cursor shown now (CurrentCursor()).
  TCursor EffectiveCursor() const;

  // -- the queue
  bool AutoProcess() const { return FAutoProcess; }
  void SetAutoProcess(bool value) { FAutoProcess = value; }
  /// Runs Application->ProcessMessages(); raises the EUnscripted the loop caught meanwhile.
  void Process();

 private:
  void Reset();
  void Done();
  /// Raises EUnscripted for the first one the loop caught (and forgets the others).
  void RaiseUnscripted();
  /// Raises EInvalidOperation naming `action` unless the control shows on a shown form.
  static void RequireShowing(const TControl* control, const char16_t* action);
  void Pointer(TControl* control, int x, int y);
  void Mouse(Cardinal msg, TControl* control, int x, int y, TShiftState shift);
  void Modifiers(TShiftState shift, bool down);
  void QueuePopupPath(std::vector<String> path, bool first);
  void PostClick(TControl* control, int x, int y);
  bool FAutoProcess = true;
};

}  // namespace qelta

QELTA_PUBLIC_END
