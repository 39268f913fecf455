#pragma once
// Not part of the public interface: the pieces of the SDL window backend that translate between SDL
// and the platform, kept apart so that tests can check them without a display. Built only with
// QELTA_WITH_SDL. Not installed; exported for those tests.

#include <SDL.h>

#include <vector>

#include "Controls.h"
#include "Dialogs.h"
#include "Messages.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// Virtual-key code of an SDL key (the platform's numbering; US layout for punctuation); 0 for a key
/// the platform has no code for.
Word VirtualKeyOfSdl(SDL_Keycode key);
/// The character a key gives by itself when no text comes with it (Return, Tab, Backspace, Escape,
/// Ctrl+letter), as the scripted user's keyboard gives it; 0 for none.
Char ControlCharOfKey(Word key, TShiftState shift);
/// Shift, Ctrl and Alt of SDL's modifier state.
TShiftState ShiftOfSdl(Uint16 mod);
/// True for a system event that is the X server's raw press of a mouse button (not a wheel step)
/// anywhere on the display, as SDL passes XInput2's raw events on; only while SDL still holds its details
/// (an event watch sees them as SDL queues the event).
bool IsRawButtonPress(const SDL_SysWMmsg& msg);
/// Watches the X connection SDL opened (once per process, where Xlib is linked): when it breaks,
/// DisplayLost becomes true and one line on stderr says so before Xlib ends the program as it always has.
void WatchForLostDisplay();
/// True once the connection to the X display broke: the backend then makes no call that needs it.
bool DisplayLost();
/// The system cursor standing in for a standard cursor (crArrow...); SDL_SYSTEM_CURSOR_ARROW for
/// slots without a standard shape.
SDL_SystemCursor SystemCursorOf(TCursor cursor);
/// The buttons of a message box offering `offered` (in the order of TMsgDlgBtn), each answering its
/// modal result; Return chooses `defaultAnswer`, Escape the set's cancel answer when it is a button's.
std::vector<SDL_MessageBoxButtonData> BoxButtons(TMsgDlgButtons offered, int defaultAnswer);
/// How a box is put on the desktop, with SDL_ShowMessageBox's contract: 0 and the button's id, or a
/// negative code when the desktop cannot show it (then the box is shown as a form, MessageBoxForm.h).
using TShowMessageBoxCall = int (*)(const SDL_MessageBoxData* data, int* buttonId);
/// Puts another call in SDL_ShowMessageBox's place (a test's desktop without boxes); nullptr puts
/// SDL's back. Answers the call in place before.
TShowMessageBoxCall SetShowMessageBoxCall(TShowMessageBoxCall call);

/// Puts the desktop's clipboard and message boxes in place of the in-process ones.
void InstallSdlServices();

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
