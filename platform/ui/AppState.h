#pragma once
// Not part of the public interface: the state behind Application (windows, queue, timers, clock,
// input state) shared by Forms.cpp, Controls.cpp and Testing.cpp. Not installed.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Forms.h"
#include "Messages.h"
#include "WindowBackend.h"

namespace qelta {
class TPopupWindow;
}

namespace qelta::platform_detail {

/// A queued message. Input messages carry no window: mouse input has its screen position in LParam
/// and goes to the control under it (or the capture); key input goes to the focused control.
struct TQueuedMessage {
  HWND Wnd = 0;
  TMessage Msg;
  int64_t Time = 0;   // application clock when posted
  bool Input = false;
  Char TypedChar = 0;  // the character a key press produces (0: none)
};

struct TTimerRecord {
  HWND Wnd = 0;
  uintptr_t Id = 0;
  int64_t Interval = 0;
  int64_t Due = 0;
  uint64_t Seq = 0;  // orders timers falling due at the same moment
};

struct TAppState {
  std::map<HWND, TWndMethod> Windows;
  HWND NextHandle = 1;  // handles are never reused, so a stale one names no window
  std::deque<TQueuedMessage> Queue;
  std::vector<TTimerRecord> Timers;
  uint64_t NextTimerSeq = 0;
  bool TimerShortage = false;
  bool Terminated = false;
  bool Virtual = false;
  int64_t VirtualMs = 0;
  TDateTime VirtualStart = 0;
  bool Advancing = false;  // AdvanceClock is running (a nested call only moves the target)
  int64_t AdvanceTarget = 0;
  std::chrono::steady_clock::time_point RealStart = std::chrono::steady_clock::now();

  // -- the controls layer (all pointers are forgotten when their object goes)
  std::vector<TForm*> Forms;        // z-order, top last
  std::vector<TForm*> ModalStack;   // forms in ShowModal, innermost last
  TForm* ActiveForm = nullptr;
  TForm* MainForm = nullptr;
  std::vector<TPopupWindow*> Popups;  // open popups, the innermost last
  std::deque<std::function<void(TPopupWindow*)>> PopupScripts;  // run, in order, as popups open
  std::vector<TWinControl*> PaintQueue;
  TControl* Capture = nullptr;
  TControl* Hover = nullptr;        // the control under the pointer
  TPoint CursorPos;                 // screen position of the pointer
  bool KeyDown[256] = {};
  bool ButtonDown[3] = {};          // by TMouseButton
  struct {
    TControl* Control = nullptr;
    int Button = -1;
    int64_t Time = 0;
    TPoint Pos;
    bool WasDouble = false;
  } LastPress;                      // for telling a double click
  std::deque<std::function<void(TForm*)>> ModalScripts;  // run, in order, by the next ShowModal calls
  bool StrictScripts = false;       // a ShowModal without a script raises EUnscripted
  std::vector<String> Unscripted;   // EUnscripted the loop caught, for the scripted user to raise again

  // -- where the forms are shown (WindowBackend.h)
  std::unique_ptr<TWindowBackend> Backend = std::make_unique<TWindowBackend>();
  bool Unpresented = false;         // something ran since the backend last presented
  bool BackendChosen = false;       // QELTA_BACKEND was looked at
};

/// The application state of the process: built on first use and never destroyed, so a component
/// released at any point of the exit (after Application, too) still finds its windows and timers.
TAppState& AppState();

/// Paints every queued window; false when none was queued.
bool PaintPendingControls();
/// Delivers an input message by the input rules (capture, hit test, focus).
void RouteInput(const TQueuedMessage& m);

/// Appends an input message (mouse: screen position in LParam; key: TypedChar) stamped with the clock.
void PostInput(Cardinal Msg, WPARAM WParam, LPARAM LParam, Char TypedChar = 0);
/// Posts a WM_MOUSEMOVE to the screen point unless the queued moves already leave the pointer there.
void PostPointerMove(TPoint at);
/// Picks the backend QELTA_BACKEND names ("sdl"), once per process; raises EOSError as UseWindowBackend.
void ChooseBackendFromEnvironment();

}  // namespace qelta::platform_detail
