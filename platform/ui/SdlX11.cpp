// What the SDL window backend reads of the X server's own events, apart from the rest because Xlib's
// macros (KeyPress, None, Bool) clash with the platform's names. Built only with QELTA_WITH_SDL.

#include "SdlBackend.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11) && __has_include(<X11/extensions/XInput2.h>)
#include <X11/extensions/XInput2.h>
#define QELTA_SDL_XINPUT2 1
#endif

namespace qelta::platform_detail {

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
