// The SDL window backend: every shown form is a desktop window.
//
// Index: [SECTION] windows (one SDL window per shown form, kept in step with the form's bounds and
// caption), [SECTION] events (SDL events become the scripted user's input messages), [SECTION]
// presenting and waiting, [SECTION] cursors, [SECTION] the backend's start.
//
// Input: a button press first moves the pointer to where it happened (as the scripted user does), so
// enter, leave and capture follow the same rules; SDL's own click counting is ignored and the
// platform's double-click rule (time and distance) applies. A key press carries the character that
// SDL's text event right behind it produced (the layout's character); keys that produce no text event
// (Return, Tab, Backspace, Escape, Ctrl+letter) carry the character the platform's keyboard gives.
// Window events: moving or sizing a window moves or sizes its form (which realigns its children and
// repaints); closing it posts WM_CLOSE to the form, so the form's close path runs inside the loop.
// Popups: while one is open the backend counts the presses anywhere on the X display (XInput2's raw
// events, which SDL selects on the root window and passes on as system events); a press that no window
// of the program reported was outside it, on the desktop or another program's window, and posts the
// scripted user's click outside, which closes the popups and reaches no control (the other program gets
// its press as usual). The focus alone would miss it: neither the X server nor most window managers move
// the focus for a press on the bare desktop. A pointer grab is no way out either: SDL ends the program's
// grab at every pointer crossing into one of its windows. A window of the program losing the focus
// without another one gaining it in the same batch of events (Alt+Tab, another program raising itself)
// posts the loss of the focus, which closes the popups too; on other desktops (Wayland) that is all.
// Without a window manager SDL gives each new window the focus; a popup that closes with it hands it
// back to the popup below it or the active form, else the keys would go nowhere.
// Presenting copies a form's surface into the window surface (rows as they are when the formats
// agree, one conversion otherwise) and shows it.

#include "SdlBackend.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "AppState.h"
#include "Encoding.h"
#include "Popups.h"
#include "Screen.h"
#include "WindowBackend.h"

namespace qelta::platform_detail {

namespace {

std::string SdlError() { return SDL_GetError(); }

class TSdlBackend final : public TWindowBackend {
 public:
  TSdlBackend();
  ~TSdlBackend() override;
  TSdlBackend(const TSdlBackend&) = delete;
  TSdlBackend& operator=(const TSdlBackend&) = delete;

  bool Live() const override { return true; }
  void PumpEvents() override;
  bool WaitEvents(int64_t timeoutMs, bool virtualClock) override;
  void Present() override;
  void* NativeWindow(const TForm* form) const override { return WindowOf(form); }
  void FormShown(TForm* form) override;
  void FormHidden(TForm* form) override { CloseWindow(form); }
  void FormMoved(TForm* form) override;
  void FormCaptionChanged(TForm* form) override;
  void FormDestroyed(TForm* form) override { CloseWindow(form); }

 private:
  void CloseWindow(TForm* form);
  void WatchPressesForPopups();
  static int CountPressAnywhere(void* self, SDL_Event* e);
  bool PointerOverPopup() const;
  void ReturnFocusFromPopup();
  TForm* FormOfWindow(Uint32 windowId) const;
  SDL_Window* WindowOf(const TForm* form) const;
  void Translate(const SDL_Event& e);
  void WindowEvent(const SDL_WindowEvent& e);
  void MouseButton(const SDL_MouseButtonEvent& e);
  void Key(const SDL_KeyboardEvent& e);
  void Text(const char* utf8);
  void UpdateCursor();
  SDL_Cursor* CursorFor(TCursor cursor);

  std::map<TForm*, SDL_Window*> FWindows;
  bool FApplying = false;  // a window event is moving its form: do not move the window back
  bool FFocusLeaving = false;  // a window lost the focus and none of ours has gained it since
  int FPressesAnywhere = 0;    // presses on the display since the last pump (while popups are open)
  int FPressesOurs = 0;        // presses our windows reported since the last pump
  TCursor FShownCursor = crDefault;
  HCURSOR FShownImage;
  std::map<const TCursorImage*, std::pair<HCURSOR, SDL_Cursor*>> FColorCursors;
  std::map<int, SDL_Cursor*> FSystemCursors;
};

// [SECTION] windows

TSdlBackend::TSdlBackend() {
  // A click into a window that is not focused reaches its form, as on the classic desktop.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Signals keep their usual effect (Ctrl+C ends the program); SDL's handlers would turn them into an
  // event that a wait without a timeout never sees.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The window surface is the display's own buffer (shared memory on X11): one copy per present, and no
  // OpenGL stack loaded behind a streaming texture.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // An X display reopened right after it was closed now and then refuses SDL once: try again before giving up.
  int failed = 0;
  while (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    if (++failed == 3) throw EOSError("Cannot show windows: no display (" + SdlError() + ")");
  // SDL falls back on a driver without a screen when it finds no display; that one only when asked for.
  const std::string driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if ((driver == "offscreen" || driver == "dummy") && (asked == nullptr || SDL_strcasecmp(asked, driver.c_str()) != 0)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
    throw EOSError("Cannot show windows: no display (set DISPLAY or WAYLAND_DISPLAY, or SDL_VIDEODRIVER)");
  }
  if (driver == "x11") WatchForLostDisplay();
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) Screen()->SetSize(mode.w, mode.h);
  SDL_StartTextInput();
  SDL_AddEventWatch(CountPressAnywhere, this);
  InstallSdlServices();
}

TSdlBackend::~TSdlBackend() {
  SDL_DelEventWatch(CountPressAnywhere, this);
  if (DisplayLost()) return;  // ending after the X server went: every call below would wait on it
  for (auto& [form, window] : FWindows) SDL_DestroyWindow(window);
  for (auto& [image, cursor] : FColorCursors) SDL_FreeCursor(cursor.second);
  for (auto& [shape, cursor] : FSystemCursors) SDL_FreeCursor(cursor);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

Uint32 WindowFlags(const TForm* form) {
  if (TPopupWindow::IsPopup(form))
    return SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
  switch (form->BorderStyle()) {
    case bsNone: return SDL_WINDOW_BORDERLESS;
    case bsSizeable: return SDL_WINDOW_RESIZABLE;
    case bsToolWindow: return SDL_WINDOW_UTILITY;
    case bsSizeToolWin: return SDL_WINDOW_RESIZABLE | SDL_WINDOW_UTILITY;
    default: return 0;
  }
}

void TSdlBackend::FormShown(TForm* form) {
  if (FWindows.count(form) != 0) return;
  SDL_Window* window = SDL_CreateWindow(StringToUtf8(form->Caption()).c_str(), form->Left(), form->Top(),
                                        std::max(form->Width(), 1), std::max(form->Height(), 1),
                                        WindowFlags(form) | SDL_WINDOW_SHOWN);
  if (window == nullptr)
    throw EOSError(u"Cannot create the window of the form \"" + form->Name() + u"\": " + Utf8ToString(SdlError()));
  FWindows[form] = window;
  WatchPressesForPopups();
  // A modal form stays over the form that was active when it opened (or its owner).
  const auto& modal = AppState().ModalStack;
  if (std::find(modal.begin(), modal.end(), form) != modal.end()) {
    TForm* over = dynamic_cast<TForm*>(form->Owner());
    if (WindowOf(over) == nullptr) over = Application->ActiveForm();
    if (SDL_Window* parent = WindowOf(over); parent != nullptr && parent != window) SDL_SetWindowModalFor(window, parent);
  }
  AppState().Unpresented = true;
}

void TSdlBackend::CloseWindow(TForm* form) {
  auto it = FWindows.find(form);
  if (it == FWindows.end()) return;
  SDL_Window* window = it->second;
  FWindows.erase(it);
  if (DisplayLost()) return;
  const bool focused = SDL_GetKeyboardFocus() == window;
  SDL_DestroyWindow(window);
  WatchPressesForPopups();
  if (focused && TPopupWindow::IsPopup(form)) ReturnFocusFromPopup();
}

void TSdlBackend::WatchPressesForPopups() {
  const bool popupShown =
      std::any_of(FWindows.begin(), FWindows.end(), [](const auto& w) { return TPopupWindow::IsPopup(w.first); });
  SDL_EventState(SDL_SYSWMEVENT, popupShown ? SDL_ENABLE : SDL_IGNORE);  // ignoring drops the queued ones
}

int TSdlBackend::CountPressAnywhere(void* self, SDL_Event* e) {
  // Called as SDL queues each event: the raw event's details live only that long.
  if (e->type == SDL_SYSWMEVENT && IsRawButtonPress(*e->syswm.msg)) ++static_cast<TSdlBackend*>(self)->FPressesAnywhere;
  return 0;
}

bool TSdlBackend::PointerOverPopup() const {
  TPoint at;
  SDL_GetGlobalMouseState(&at.X, &at.Y);
  return std::any_of(FWindows.begin(), FWindows.end(), [at](const auto& w) {
    const TRect r = w.first->BoundsRect();
    return TPopupWindow::IsPopup(w.first) && at.X >= r.Left && at.X < r.Right && at.Y >= r.Top && at.Y < r.Bottom;
  });
}

void TSdlBackend::ReturnFocusFromPopup() {
  const auto& popups = TPopupWindow::OpenPopups();  // the closing one has left the list
  SDL_Window* next = popups.empty() ? WindowOf(Application->ActiveForm()) : WindowOf(popups.back());
  if (next != nullptr) SDL_SetWindowInputFocus(next);
}

void TSdlBackend::FormMoved(TForm* form) {
  SDL_Window* window = WindowOf(form);
  if (window == nullptr || FApplying) return;
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &w, &h);
  if (x != form->Left() || y != form->Top()) SDL_SetWindowPosition(window, form->Left(), form->Top());
  if (w != form->Width() || h != form->Height())
    SDL_SetWindowSize(window, std::max(form->Width(), 1), std::max(form->Height(), 1));
  AppState().Unpresented = true;
}

void TSdlBackend::FormCaptionChanged(TForm* form) {
  if (SDL_Window* window = WindowOf(form)) SDL_SetWindowTitle(window, StringToUtf8(form->Caption()).c_str());
}

TForm* TSdlBackend::FormOfWindow(Uint32 windowId) const {
  for (const auto& [form, window] : FWindows)
    if (SDL_GetWindowID(window) == windowId) return form;
  return nullptr;
}

SDL_Window* TSdlBackend::WindowOf(const TForm* form) const {
  auto it = FWindows.find(const_cast<TForm*>(form));
  return it != FWindows.end() ? it->second : nullptr;
}

// [SECTION] events

void TSdlBackend::PumpEvents() {
  SDL_Event e;
  bool any = false;
  SDL_PumpEvents();  // once: each SDL_PollEvent would ask the display again
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
    Translate(e);
    any = true;
  }
  if (std::exchange(FFocusLeaving, false)) PostFocusLost();
  // A press that none of our windows reported was outside the program; the popups lie over everything,
  // so one over a popup was ours still on its way.
  const int outside = std::exchange(FPressesAnywhere, 0) - std::exchange(FPressesOurs, 0);
  if (outside > 0 && !PointerOverPopup()) PostClickOutside(mbLeft);
  if (any) UpdateCursor();
}

TPoint ScreenPoint(const TForm* form, int x, int y) { return form->ClientToScreen(Point(x, y)); }

void TSdlBackend::Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: WindowEvent(e.window); break;
    case SDL_MOUSEMOTION:
      if (const TForm* form = FormOfWindow(e.motion.windowID)) PostPointerMove(ScreenPoint(form, e.motion.x, e.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: MouseButton(e.button); break;
    case SDL_MOUSEWHEEL: {
      const TForm* form = FormOfWindow(e.wheel.windowID);
      if (form == nullptr) break;
      const int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      const int delta = std::clamp(notches * WHEEL_DELTA, -32768, 32767);
      const TPoint at = ScreenPoint(form, e.wheel.mouseX, e.wheel.mouseY);
      PostPointerMove(at);
      PostInput(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16,
                MakeMouseLParam(at.X, at.Y));
      break;
    }
    case SDL_KEYDOWN: case SDL_KEYUP: Key(e.key); break;
    case SDL_TEXTINPUT: Text(e.text.text); break;
    case SDL_QUIT: Application->Terminate(); break;
    default: break;
  }
}

void TSdlBackend::WindowEvent(const SDL_WindowEvent& e) {
  TForm* form = FormOfWindow(e.windowID);
  if (form == nullptr) return;
  struct Applying {
    bool& flag;
    explicit Applying(bool& f) : flag(f) { flag = true; }
    ~Applying() { flag = false; }
  };
  switch (e.event) {
    case SDL_WINDOWEVENT_MOVED: {
      Applying applying(FApplying);
      form->SetBounds(e.data1, e.data2, form->Width(), form->Height());
      break;
    }
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      Applying applying(FApplying);
      form->SetBounds(form->Left(), form->Top(), e.data1, e.data2);
      break;
    }
    case SDL_WINDOWEVENT_CLOSE: PostMessage(form->Handle(), WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_EXPOSED: AppState().Unpresented = true; break;
    case SDL_WINDOWEVENT_FOCUS_LOST: FFocusLeaving = true; break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: {
      FFocusLeaving = false;  // the focus moved between our windows
      // The desktop raised the window: the form becomes the active one, unless a modal form holds the
      // input or it is a popup (popups never take the activation).
      const auto& modal = AppState().ModalStack;
      const bool blocked = (!modal.empty() && modal.back() != form) || TPopupWindow::IsPopup(form);
      if (!blocked && form->Visible() && form->Enabled() && Application->ActiveForm() != form) form->SetFocus();
      break;
    }
    case SDL_WINDOWEVENT_LEAVE:
      // The pointer left for the desktop: off every form, as the scripted user's session starts (a held
      // button keeps the capture, and SDL goes on reporting the moves outside).
      if (GetCaptureControl() == nullptr) PostPointerMove(kOffTheForms);
      break;
    default: break;
  }
}

void TSdlBackend::MouseButton(const SDL_MouseButtonEvent& e) {
  if (e.state == SDL_PRESSED) ++FPressesOurs;  // SDL reports only what came to one of our windows
  const TForm* form = FormOfWindow(e.windowID);
  int button = -1;
  if (e.button == SDL_BUTTON_LEFT) button = mbLeft;
  if (e.button == SDL_BUTTON_RIGHT) button = mbRight;
  if (e.button == SDL_BUTTON_MIDDLE) button = mbMiddle;
  if (form == nullptr || button < 0) return;
  const TPoint at = ScreenPoint(form, e.x, e.y);
  PostPointerMove(at);
  const Cardinal first = e.state == SDL_PRESSED ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  PostInput(first + 3 * static_cast<Cardinal>(button), 0, MakeMouseLParam(at.X, at.Y));
}

void TSdlBackend::Key(const SDL_KeyboardEvent& e) {
  const Word key = VirtualKeyOfSdl(e.keysym.sym);
  if (key == 0) return;
  if (e.state == SDL_RELEASED) {
    PostInput(WM_KEYUP, key, 0);
    return;
  }
  const TShiftState shift = ShiftOfSdl(e.keysym.mod);
  // The text event that SDL puts right behind a key press is that key's character.
  String text;
  SDL_Event next;
  if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 && next.type == SDL_TEXTINPUT) {
    SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
    // With Ctrl or Alt held a key gives the platform's character (or none), whatever the layout typed.
    if (!shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) text = Utf8ToString(next.text.text);
  }
  const Char typed = text.empty() ? ControlCharOfKey(key, shift) : text.front();
  PostInput(WM_KEYDOWN, key, 0, typed);
  for (std::size_t i = 1; i < text.size(); ++i) PostInput(WM_CHAR, text[i], 0);
}

void TSdlBackend::Text(const char* utf8) {
  for (Char ch : Utf8ToString(utf8)) PostInput(WM_CHAR, ch, 0);
}

// [SECTION] presenting and waiting

void CopySurface(const TBitmap& from, SDL_Surface* to) {
  const int w = std::min(from.Width(), to->w), h = std::min(from.Height(), to->h);
  if (w <= 0 || h <= 0) return;
  if (SDL_MUSTLOCK(to) && SDL_LockSurface(to) != 0) return;
  const bool same = to->format->format == SDL_PIXELFORMAT_ARGB8888 || to->format->format == SDL_PIXELFORMAT_RGB888;
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(to->pixels) + static_cast<std::ptrdiff_t>(y) * to->pitch;
    if (same) std::memcpy(row, from.ScanLine(y), static_cast<std::size_t>(w) * 4);
    else SDL_ConvertPixels(w, 1, SDL_PIXELFORMAT_ARGB8888, from.ScanLine(y), w * 4, to->format->format, row, to->pitch);
  }
  if (SDL_MUSTLOCK(to)) SDL_UnlockSurface(to);
}

void TSdlBackend::Present() {
  for (const auto& [form, window] : FWindows) {
    if (form->Surface() == nullptr) continue;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) continue;
    CopySurface(*form->Surface(), surface);
    SDL_UpdateWindowSurface(window);
  }
  UpdateCursor();
}

bool TSdlBackend::WaitEvents(int64_t timeoutMs, bool virtualClock) {
  if (virtualClock) {  // only what has arrived counts: the virtual clock moves when it is advanced
    SDL_PumpEvents();
    return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE;
  }
  if (timeoutMs < 0 && FWindows.empty()) return false;  // no window and no timer: nothing can come
  SDL_WaitEventTimeout(nullptr, timeoutMs < 0 ? -1 : static_cast<int>(std::min<int64_t>(timeoutMs, INT_MAX)));
  return true;
}

// [SECTION] cursors

SDL_Cursor* TSdlBackend::CursorFor(TCursor cursor) {
  const HCURSOR image = Screen()->Cursors(cursor);
  if (image && image->Width > 0 && image->Height > 0 &&
      image->Pixels.size() >= static_cast<std::size_t>(image->Width) * static_cast<std::size_t>(image->Height)) {
    auto& cached = FColorCursors[image.get()];
    if (cached.second == nullptr) {
      SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image->Pixels.data()), image->Width,
                                                          image->Height, 32, image->Width * 4, SDL_PIXELFORMAT_ARGB8888);
      if (s == nullptr) return nullptr;
      cached = {image, SDL_CreateColorCursor(s, image->HotX, image->HotY)};
      SDL_FreeSurface(s);
    }
    return cached.second;
  }
  const SDL_SystemCursor shape = SystemCursorOf(cursor);
  auto& system = FSystemCursors[shape];
  if (system == nullptr) system = SDL_CreateSystemCursor(shape);
  return system;
}

void TSdlBackend::UpdateCursor() {
  const TCursor cursor = CurrentCursor();
  const HCURSOR image = Screen()->Cursors(cursor);
  if (cursor == FShownCursor && image == FShownImage) return;
  FShownCursor = cursor;
  FShownImage = image;
  SDL_ShowCursor(cursor == crNone ? SDL_DISABLE : SDL_ENABLE);
  if (cursor == crNone) return;
  if (SDL_Cursor* c = CursorFor(cursor)) SDL_SetCursor(c);
}

}  // namespace

// [SECTION] the backend's start

std::unique_ptr<TWindowBackend> MakeSdlBackend() { return std::make_unique<TSdlBackend>(); }

}  // namespace qelta::platform_detail
