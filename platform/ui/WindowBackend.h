#pragma once
// Not part of the public interface: the seam under the message loop between the application and the
// place its forms are shown. Not installed; exported for the tests and the window benchmark.
//
// A backend is where events come from and where painted surfaces go: the loop asks it to move outside
// events into the queue (PumpEvents) at every step, to put what was painted on screen when nothing is
// left to do (Present), and to wait for the next event or timer (WaitEvents). Forms tell it when they
// are shown, hidden, moved, renamed or destroyed. Two backends exist: headless (the default: no events
// from outside, nothing presented, a wait only for the next timer on the real clock) and the SDL
// window backend (SdlBackend.cpp), chosen with Application->UseWindowBackend(). A backend only ever
// posts the input messages the scripted user posts, so behaviour is the same on both.

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

#include "Controls.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {
class TForm;
}

namespace qelta::platform_detail {

class TWindowBackend {
 public:
  virtual ~TWindowBackend() = default;

  /// True for a backend that shows real windows.
  virtual bool Live() const { return false; }
  /// Moves the events that arrived from outside into the application's queue; never waits.
  virtual void PumpEvents() {}
  /// Waits for an outside event or timeoutMs (-1: no timer to wait for); false when nothing can
  /// ever arrive. On the virtual clock it never sleeps (only events already there count).
  virtual bool WaitEvents(int64_t timeoutMs, bool virtualClock) {
    if (virtualClock || timeoutMs < 0) return false;
    if (timeoutMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return true;
  }
  /// Puts what the shown forms painted on screen.
  virtual void Present() {}
  /// The backend's own window of a shown form (an SDL_Window*), nullptr when it has none.
  virtual void* NativeWindow(const TForm* /*form*/) const { return nullptr; }

  // -- what the forms tell
  virtual void FormShown(TForm* /*form*/) {}
  virtual void FormHidden(TForm* /*form*/) {}
  /// Moved or resized (by the program or the user).
  virtual void FormMoved(TForm* /*form*/) {}
  virtual void FormCaptionChanged(TForm* /*form*/) {}
  virtual void FormDestroyed(TForm* /*form*/) {}
};

/// A screen point off every form: where the pointer is while it is outside the program's windows.
inline constexpr TPoint kOffTheForms{-32768, -32768};

/// Queues a click outside every window of the program (on the desktop, on another program's window):
/// the pointer leaves the forms; the open popups close, cancelled, and no control gets the click.
void PostClickOutside(TMouseButton button);
/// Queues the news that another program took the focus (a backend's focus-lost event, the scripted
/// user's SwitchToOtherProgram): when the loop takes it, the open popups close, cancelled, as with Esc.
void PostFocusLost();

/// The backend in use (headless unless Application->UseWindowBackend() chose another).
TWindowBackend& WindowBackend();

/// The SDL window backend; raises EOSError naming the cause when it cannot start (built without
/// SDL, no display, no video driver).
std::unique_ptr<TWindowBackend> MakeSdlBackend();

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
