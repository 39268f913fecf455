#pragma once
// Window messages of the platform layer: handles, the message record, message numbers, key codes,
// mouse flags and dialog codes, with the numeric values components rely on (WM_TIMER is 275,
// WM_NEXTDLGCTL 40, CM_BUTTONPRESSED $B018, VK_TAB 9, ...).
//
// Implements: the vocabulary shared by Forms.h (queue, windows, timers) and Controls.h (controls'
// WndProc). Does not implement: any message not listed here; a component defines its own from
// WM_USER or WM_APP upwards. Mouse positions travel in LParam as two 32-bit halves (x low, y high),
// so coordinates are never cut to 16 bits.

#include <cstdint>
#include <functional>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

using HWND = uintptr_t;  ///< window handle; 0 is no window
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

/// One message as a window procedure receives it; Result is the answer of a sent message.
struct TMessage {
  Cardinal Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

/// A window procedure: the method a window hands its messages to.
using TWndMethod = std::function<void(TMessage& Message)>;

// --- message numbers --------------------------------------------------------------------------

constexpr Cardinal WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
                   WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
                   WM_ENABLE = 0x000A, WM_SETTEXT = 0x000C, WM_PAINT = 0x000F, WM_CLOSE = 0x0010,
                   WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014, WM_SHOWWINDOW = 0x0018,
                   WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020, WM_NEXTDLGCTL = 0x0028,
                   WM_CONTEXTMENU = 0x007B, WM_COMMAND = 0x0111,
                   WM_GETDLGCODE = 0x0087, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
                   WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_TIMER = 0x0113,
                   WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
                   WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205,
                   WM_RBUTTONDBLCLK = 0x0206, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208,
                   WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A, WM_CAPTURECHANGED = 0x0215,
                   WM_USER = 0x0400, WM_APP = 0x8000;
constexpr Cardinal WM_KEYFIRST = WM_KEYDOWN, WM_KEYLAST = 0x0108;
constexpr Cardinal WM_MOUSEFIRST = WM_MOUSEMOVE, WM_MOUSELAST = WM_MOUSEWHEEL;

/// Control notifications between the components of the platform (CM_) and messages the platform
/// reflects back to the control that caused them (CN_). CM_BUTTONPRESSED is broadcast to a parent's
/// controls when a grouped button goes down: WParam the group index, LParam the TControl* pressed.
constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_DIALOGKEY = CM_BASE + 5,
                   CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
                   CM_VISIBLECHANGED = CM_BASE + 11, CM_ENABLEDCHANGED = CM_BASE + 12,
                   CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14,
                   CM_CURSORCHANGED = CM_BASE + 15, CM_TEXTCHANGED = CM_BASE + 18,
                   CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20, CM_BUTTONPRESSED = CM_BASE + 24,
                   CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26, CM_EXIT = CM_BASE + 27,
                   CM_WANTSPECIALKEY = CM_BASE + 30, CM_RELEASE = CM_BASE + 33;
constexpr Cardinal CN_BASE = 0xBC00;
constexpr Cardinal CN_KEYDOWN = CN_BASE + WM_KEYDOWN, CN_KEYUP = CN_BASE + WM_KEYUP, CN_CHAR = CN_BASE + WM_CHAR;

// --- mouse ------------------------------------------------------------------------------------

/// Key and button flags in WParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10;

/// LParam of a mouse message from a position (x in the low, y in the high 32 bits).
constexpr LPARAM MakeMouseLParam(int x, int y) {
  return static_cast<LPARAM>((static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32) | static_cast<uint32_t>(x));
}
constexpr int MouseLParamX(LPARAM lParam) { return static_cast<int32_t>(static_cast<uint64_t>(lParam) & 0xFFFFFFFFu); }
constexpr int MouseLParamY(LPARAM lParam) { return static_cast<int32_t>(static_cast<uint64_t>(lParam) >> 32); }

/// One notch of a mouse wheel (WParam of WM_MOUSEWHEEL holds the delta, signed, in its high 16 bits).
constexpr int WHEEL_DELTA = 120;

// --- keys -------------------------------------------------------------------------------------

/// Virtual-key codes (the platform's numbering). VK_0..VK_9 are '0'..'9', VK_A..VK_Z 'A'..'Z'.
constexpr Word VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
               VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
               VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
               VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
               VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B,
               VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F;
constexpr Word VK_0 = '0', VK_1 = '1', VK_2 = '2', VK_3 = '3', VK_4 = '4', VK_5 = '5', VK_6 = '6', VK_7 = '7',
               VK_8 = '8', VK_9 = '9';
constexpr Word VK_A = 'A', VK_B = 'B', VK_C = 'C', VK_D = 'D', VK_E = 'E', VK_F = 'F', VK_G = 'G', VK_H = 'H',
               VK_I = 'I', VK_J = 'J', VK_K = 'K', VK_L = 'L', VK_M = 'M', VK_N = 'N', VK_O = 'O', VK_P = 'P',
               VK_Q = 'Q', VK_R = 'R', VK_S = 'S', VK_T = 'T', VK_U = 'U', VK_V = 'V', VK_W = 'W', VK_X = 'X',
               VK_Y = 'Y', VK_Z = 'Z';
constexpr Word VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_NUMPAD1 = 0x61,
               VK_NUMPAD2 = 0x62, VK_NUMPAD3 = 0x63, VK_NUMPAD4 = 0x64, VK_NUMPAD5 = 0x65, VK_NUMPAD6 = 0x66,
               VK_NUMPAD7 = 0x67, VK_NUMPAD8 = 0x68, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
               VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F;
constexpr Word VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76,
               VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_F13 = 0x7C,
               VK_F14 = 0x7D, VK_F15 = 0x7E, VK_F16 = 0x7F, VK_F17 = 0x80, VK_F18 = 0x81, VK_F19 = 0x82,
               VK_F20 = 0x83, VK_F21 = 0x84, VK_F22 = 0x85, VK_F23 = 0x86, VK_F24 = 0x87;
constexpr Word VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
/// Punctuation keys of the US layout: ';' '=' ',' '-' '.' '/' '`' '[' '\' ']' '\''.
constexpr Word VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
               VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
               VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// --- dialog codes (answer of WM_GETDLGCODE) ---------------------------------------------------

/// What keys a control wants for itself instead of letting them move the focus.
constexpr LRESULT DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
                  DLGC_WANTMESSAGE = 0x0004, DLGC_HASSETSEL = 0x0008, DLGC_DEFPUSHBUTTON = 0x0010,
                  DLGC_UNDEFPUSHBUTTON = 0x0020, DLGC_RADIOBUTTON = 0x0040, DLGC_WANTCHARS = 0x0080,
                  DLGC_STATIC = 0x0100, DLGC_BUTTON = 0x2000;

}  // namespace qelta

QELTA_PUBLIC_END
