// What the SDL window backend reads of the X server's own events, and how it hears that the server is gone,
// apart from the rest because Xlib's macros (KeyPress, None, Bool) clash with the platform's names. Built
// only with QELTA_WITH_SDL; the lost connection is watched where Xlib is linked (QELTA_WITH_X11).

#include "SdlBackend.h"

#include <SDL_syswm.h>

#include <atomic>
#include <cstdio>

#if defined(SDL_VIDEO_DRIVER_X11) && __has_include(<X11/extensions/XInput2.h>)
#include <X11/extensions/XInput2.h>
#define QELTA_SDL_XINPUT2 1
#endif
#if defined(SDL_VIDEO_DRIVER_X11) && defined(QELTA_WITH_X11)
#include <X11/Xlib.h>
#define QELTA_SDL_XLIB 1
#endif

namespace qelta::platform_detail {

// [SECTION] a lost connection to the X server

namespace {

std::atomic<bool> gDisplayLost{false};

#ifdef QELTA_SDL_XLIB
XIOErrorHandler gXlibsHandler = nullptr;

// Xlib calls this when the connection breaks (the server ended, a remote session dropped) and ends the
// program when it returns or through the handler before it (exit(1), so the exit handlers run). Each of
// SDL's calls on the dead connection would wait for ever (closing a window waits for the server to say
// it is gone), so the backend makes none from here on.
int OnLostDisplay(Display* display) {
  gDisplayLost = true;
  std::fprintf(stderr, "The connection to the X display was lost; the program ends.\n");
  std::fflush(stderr);
  return gXlibsHandler != nullptr ? gXlibsHandler(display) : 0;
}
#endif

}  // namespace

void WatchForLostDisplay() {
#ifdef QELTA_SDL_XLIB
  static const bool installed = [] {
    gXlibsHandler = XSetIOErrorHandler(OnLostDisplay);
    return true;
  }();
  (void)installed;
#endif
}

bool DisplayLost() { return gDisplayLost; }

bool IsRawButtonPress(const SDL_SysWMmsg& msg) {
#ifdef QELTA_SDL_XINPUT2
  // The only generic events on SDL's connection are XInput2's (it selects the raw ones on the root).
  if (msg.subsystem != SDL_SYSWM_X11 || msg.msg.x11.event.type != GenericEvent) return false;
  const XGenericEventCookie& cookie = msg.msg.x11.event.xcookie;
  if (cookie.evtype != XI_RawButtonPress || cookie.data == nullptr) return false;
  const int button = static_cast<const XIRawEvent*>(cookie.data)->detail;
  return button < 4 || button > 7;  // 4 to 7 are wheel steps
#else
  (void)msg;
  return false;
#endif
}

}  // namespace qelta::platform_detail
