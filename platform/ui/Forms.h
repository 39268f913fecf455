#pragma once
// The application and its forms: one message queue and its loop, private windows, window timers,
// the TTimer component, the application clock, and TForm (a top-level window holding the surface
// its controls paint into).
//
// How: windows are handles in a table, each with its window procedure; PostMessage queues a message
// for a handle, SendMessage calls the procedure at once. ProcessMessages dispatches, in this order,
// queued messages (input included) first in first out, then pending paints, then due timers, until
// nothing is left; loops nest (a handler may run ProcessMessages again). An exception a handler throws
// inside the loop goes to Application->HandleException and the loop goes on. Timers run on the
// application clock: the real monotonic clock, or a virtual clock that moves only when advanced and
// then fires the due timers in order of their due time (ties in the order they were set), with the
// clock standing at each timer's due time, and feeds Now() (DateUtils) the matching date and time.
// Where forms are shown: headless by default (no screen; input comes only from the queue, see
// Testing.h), or, after UseWindowBackend, as desktop windows whose mouse, keyboard and window events
// become the same queued messages; the loop then presents the painted surfaces when it runs out of
// work and waits for the next event or timer. Headless, a loop that has nothing left to wait for
// returns instead of waiting forever: Run ends, a modal form answers mrCancel; with windows, that
// happens once no window is shown and no timer runs.
// Limits: one thread. A timer fires at most once per due time; on the real clock
// a late timer fires once and is rescheduled from now (missed ticks are not made up). Forms have no
// frame: a form's client area is its whole size (a window's client area), placed on a headless
// desktop of 1280 x 1024 pixels or on the display.

#include <cstdint>
#include <functional>
#include <memory>

#include "Classes.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Messages.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Raised when the system refuses a resource such as a timer.
QELTA_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory)

// --- windows and messages ---------------------------------------------------------------------

/// A private window whose messages go to Method; release it with DeallocateHWnd.
HWND AllocateHWnd(TWndMethod Method);
/// Releases the window and kills its timers; messages still queued for it are dropped. 0 is ignored.
void DeallocateHWnd(HWND Wnd);
/// True while the handle names a window.
bool IsWindow(HWND Wnd);
/// Queues a message for the window; false when the handle names no window.
bool PostMessage(HWND Wnd, Cardinal Msg, WPARAM WParam, LPARAM LParam);
/// Calls the window's procedure now and answers its Result; 0 when the handle names no window.
LRESULT SendMessage(HWND Wnd, Cardinal Msg, WPARAM WParam, LPARAM LParam);
/// What a window does with a message it does not handle: nothing; answers 0.
LRESULT DefWindowProc(HWND Wnd, Cardinal Msg, WPARAM WParam, LPARAM LParam);

// --- timers and the clock ---------------------------------------------------------------------

/// Shortest timer interval in milliseconds; shorter ones are raised to it.
constexpr Cardinal USER_TIMER_MINIMUM = 10;
/// Starts (or restarts) timer IDEvent of the window: WM_TIMER with WParam = IDEvent every Elapse ms.
/// Answers IDEvent, or 0 when the window does not exist, IDEvent is 0 or no timer is available.
uintptr_t SetTimer(HWND Wnd, uintptr_t IDEvent, Cardinal Elapse);
/// Stops the timer; false when there was none.
bool KillTimer(HWND Wnd, uintptr_t IDEvent);
/// Milliseconds on the application clock (wraps after 49.7 days).
Cardinal GetTickCount();
/// Milliseconds on the application clock.
uint64_t GetTickCount64();

/// Timer of a component: fires OnTimer every Interval ms while Enabled; it runs on a private window.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  /// Milliseconds between ticks (default 1000); 0 stops the timer.
  Cardinal Interval() const { return FInterval; }
  /// Restarts the timer; raises EOutOfResources "Not enough timers available" when refused.
  void SetInterval(Cardinal value);
  bool Enabled() const { return FEnabled; }
  /// Starts or stops the timer; raises EOutOfResources as SetInterval.
  void SetEnabled(bool value);

  /// Fired on every tick; an exception goes to Application->HandleException.
  TNotifyEvent OnTimer;

 protected:
  /// Runs OnTimer.
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Msg);
  Cardinal FInterval = 1000;
  bool FEnabled = true;
  HWND FWindowHandle = 0;
};

// --- forms -------------------------------------------------------------------------------------

enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition : uint8_t {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
  poOwnerFormCenter
};

/// Size of the headless desktop in pixels (Screen()->Width() and Height() until a window backend
/// reports the display's; what centring a form refers to).
constexpr int DesktopWidth = 1280, DesktopHeight = 1024;

/// A top-level window. While shown it owns a persistent bitmap (Surface) that it and its controls
/// paint into; Show/Hide/Close, ShowModal with its own message loop, the focused control, key preview.
/// The constructor makes an empty form (the classic CreateNew): a host builds its controls at run time.
/// WM_NEXTDLGCTL moves the focus: LParam 0 to the next (WParam 0) or previous control in tab order,
/// LParam 1 to the control whose Handle is WParam.
class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  void WndProc(TMessage& Message) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetFocus() override;

  // -- showing
  /// Shows the form, places it by Position, gives it the focus (first tab stop when no ActiveControl).
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  /// Modal: ModalResult := mrCancel. Otherwise hides; closing the main form terminates the application.
  void Close();
  /// Shows the form and runs a message loop until ModalResult is set, then hides it and answers the
  /// result; raises EInvalidOperation "Cannot make a visible window modal" when already visible.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  /// True while the form is the active one (receiving keys).
  bool Active() const;

  // -- focus and keys
  TWinControl* ActiveControl() const { return FActiveControl; }
  /// Focuses the control (it must lie on this form); nullptr leaves the focus with the form.
  void SetActiveControl(TWinControl* value);
  /// Moves the focus to Control with OnExit/OnEnter along the way; answers false when it cannot.
  bool SetFocusedControl(TWinControl* Control);
  /// Forms with KeyPreview see key events before the focused control.
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool value) { FKeyPreview = value; }

  // -- properties
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value) { FBorderStyle = value; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  /// The bitmap the form and its controls paint into (nullptr before the form was first shown).
  TBitmap* Surface() const { return FSurface.get(); }

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  /// False for windows that open without taking the activation from the form in use (popups).
  virtual bool ActivatesWhenShown() const { return true; }

 private:
  friend class TWinControl;
  void SetActiveControlSilently(TWinControl* value) { FActiveControl = value; }
  void VisibleChanged();
  void PlaceOnDesktop();
  void Activate();
  bool DialogKey(Word key);

  TWinControl* FActiveControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
  bool FKeyPreview = false;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  std::unique_ptr<TBitmap> FSurface;
};

/// The form a control sits on (nullptr when it is on none).
TForm* GetParentForm(const TControl* Control);

// --- the application ---------------------------------------------------------------------------

namespace platform_detail {
struct TAppState;
}

/// The one application object: the message loop, the clock, exception handling and the forms.
class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // -- the loop
  /// Dispatches queued messages, pending paints and due timers until none is left.
  void ProcessMessages();
  /// Dispatches one message, paint or due timer; when there is none, runs OnIdle and, on the real
  /// clock, waits for the next timer.
  void HandleMessage();
  /// Shows the main form, if any, and loops until Terminate (or, headless, until nothing can happen).
  void Run();
  /// One step of a nested loop that waits for the user (a modal form, a rubber-band box): handles
  /// one message, paint or due timer, or else runs OnIdle and waits for the next one; false when
  /// nothing is left that could ever arrive (headless: no input queued and no timer to wait for).
  bool ModalStep();
  /// Ends Run and every modal loop.
  void Terminate();
  bool Terminated() const;
  /// Inside a catch block: hands the exception being handled to OnException, or shows it in a box.
  void HandleException(TObject* Sender);
  /// Shows the exception's message in an error box (a '.' is added when it ends in none).
  void ShowException(const Exception& E);
  /// Message box with the application's title when Caption is empty; answers IDOK..IDNO.
  int MessageBox(const String& Text, const String& Caption = String(), uint32_t Flags = MB_OK);

  // -- the clock
  /// Milliseconds on the application clock.
  int64_t ClockMs() const;
  /// True while the virtual clock runs.
  bool VirtualClock() const;
  /// Switches to a virtual clock standing at the date and time `start`; timers keep their remaining time.
  void UseVirtualClock(TDateTime start);
  /// Back to the real clock (Now() follows the wall clock again); timers keep their remaining time.
  void UseRealClock();
  /// Moves the virtual clock on by ms, firing every timer that falls due on the way, each followed by
  /// the messages it caused; ignored on the real clock or for ms <= 0.
  void AdvanceClock(int64_t ms);
  /// Test seam: while on, SetTimer refuses every timer (answers 0).
  void SetTimerShortage(bool on);

  // -- where the forms are shown
  /// Shows every form as a resizable desktop window (SDL2) fed by the real mouse, keyboard, clipboard
  /// and message boxes; forms already shown get their windows. The environment's QELTA_BACKEND=sdl
  /// chooses it too, when the first form is shown. Raises EOSError naming the cause when the library
  /// was built without SDL or there is no display; the application stays headless then.
  void UseWindowBackend();
  /// Back to headless (the default): the windows close, the forms stay as they are.
  void UseHeadlessBackend();
  /// True while the forms are desktop windows.
  bool WindowBackendActive() const;

  // -- forms
  /// Creates a form owned by the application; the first one becomes the main form.
  template <typename TFormClass>
  TFormClass* CreateForm() {
    auto* form = new TFormClass(this);
    if (MainForm() == nullptr) SetMainForm(form);
    return form;
  }
  /// The form whose closing ends Run.
  TForm* MainForm() const;
  void SetMainForm(TForm* value);
  /// The form receiving keys (the last one shown or focused), nullptr when none.
  TForm* ActiveForm() const;

  // -- properties
  const String& Title() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }

  // -- events
  /// Receives exceptions from handlers run by the loop; when unassigned they are shown in a box.
  std::function<void(TObject* Sender, const Exception& E)> OnException;
  /// Runs when the queue has become empty; Done false asks to be run again before waiting.
  std::function<void(TObject* Sender, bool& Done)> OnIdle;

  /// Not part of the public interface: the queue, windows and timers.
  platform_detail::TAppState& State() { return *FState; }

 private:
  friend class TForm;
  friend class TPopupMenu;
  bool ProcessOne();
  bool ProcessNext();
  bool Idle();
  bool WaitForWork();
  platform_detail::TAppState* FState;  // the process's application state (AppState.h): it outlives this object
  String FTitle = u"Application";
};

/// Stand-in for the global `Application` pointer: `Application->ProcessMessages()`.
struct TApplicationRef {
  TApplication* operator->() const { return Get(); }
  operator TApplication*() const { return Get(); }  // NOLINT: converts like the pointer it stands for
  static TApplication* Get();
};
inline constexpr TApplicationRef Application{};

}  // namespace qelta

QELTA_PUBLIC_END
