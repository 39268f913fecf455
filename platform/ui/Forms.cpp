// The application object, its queue, windows, timers and clock.
//
// Order of work in one step of the loop (ProcessOne): the oldest queued message; else the pending
// paints; else the earliest due timer. Input messages are routed by Controls.cpp (RouteInput) at the
// moment they are dispatched, so focus and capture changes made by earlier messages count.
// Timers: on the virtual clock the next due time is due + interval exactly; on the real clock a
// timer that is late is rescheduled from now, so a slow handler does not cause a burst.

#include "Forms.h"

#include <algorithm>

#include "AppState.h"
#include "DateUtils.h"

namespace qelta {

namespace {

platform_detail::TAppState& State() { return platform_detail::AppState(); }

int64_t RealMs(const platform_detail::TAppState& s) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - s.RealStart)
      .count();
}

int64_t NowMs(const platform_detail::TAppState& s) { return s.Virtual ? s.VirtualMs : RealMs(s); }

constexpr double kMsPerDay = 86400000.0;

void FeedDateClock(const platform_detail::TAppState& s) {
  SetClockOverride(s.VirtualStart + static_cast<double>(s.VirtualMs) / kMsPerDay);
}

/// Index of the timer due first (earliest due time, then the earliest set); -1 when none.
int FirstTimer(const platform_detail::TAppState& s) {
  int best = -1;
  for (int i = 0; i < static_cast<int>(s.Timers.size()); ++i) {
    const auto& t = s.Timers[static_cast<std::size_t>(i)];
    const auto& b = s.Timers[static_cast<std::size_t>(std::max(best, 0))];
    if (best < 0 || t.Due < b.Due || (t.Due == b.Due && t.Seq < b.Seq)) best = i;
  }
  return best;
}

/// Calls the window procedure of Wnd (a copy: the procedure may release its own window).
bool CallWindow(HWND wnd, TMessage& msg) {
  auto& windows = State().Windows;
  auto it = windows.find(wnd);
  if (it == windows.end()) return false;
  TWndMethod method = it->second;
  method(msg);
  return true;
}

/// Sends WM_TIMER for the timer at index i and schedules its next tick.
void FireTimer(platform_detail::TAppState& s, std::size_t i, int64_t now) {
  platform_detail::TTimerRecord& t = s.Timers[i];
  const HWND wnd = t.Wnd;
  const uintptr_t id = t.Id;
  t.Due = s.Virtual ? t.Due + t.Interval : std::max(t.Due + t.Interval, now + 1);
  t.Seq = s.NextTimerSeq++;
  TMessage msg{WM_TIMER, id, 0, 0};
  CallWindow(wnd, msg);
}

void Rebase(platform_detail::TAppState& s, int64_t from, int64_t to) {
  for (auto& t : s.Timers) t.Due = to + std::max<int64_t>(t.Due - from, 0);
}

}  // namespace

// [SECTION] windows and messages

HWND AllocateHWnd(TWndMethod Method) {
  auto& s = State();
  const HWND h = s.NextHandle++;
  s.Windows[h] = std::move(Method);
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  if (Wnd == 0) return;
  auto& s = State();
  s.Windows.erase(Wnd);
  std::erase_if(s.Timers, [Wnd](const platform_detail::TTimerRecord& t) { return t.Wnd == Wnd; });
}

bool IsWindow(HWND Wnd) { return State().Windows.count(Wnd) != 0; }

bool PostMessage(HWND Wnd, Cardinal Msg, WPARAM WParam, LPARAM LParam) {
  auto& s = State();
  if (!IsWindow(Wnd)) return false;
  s.Queue.push_back({Wnd, TMessage{Msg, WParam, LParam, 0}, NowMs(s), false, 0});
  return true;
}

LRESULT SendMessage(HWND Wnd, Cardinal Msg, WPARAM WParam, LPARAM LParam) {
  TMessage msg{Msg, WParam, LParam, 0};
  return CallWindow(Wnd, msg) ? msg.Result : 0;
}

LRESULT DefWindowProc(HWND, Cardinal, WPARAM, LPARAM) { return 0; }

void platform_detail::PostInput(Cardinal Msg, WPARAM WParam, LPARAM LParam, Char TypedChar) {
  auto& s = State();
  s.Queue.push_back({0, TMessage{Msg, WParam, LParam, 0}, NowMs(s), true, TypedChar});
}

void platform_detail::PostPointerMove(TPoint at) {
  const auto& s = State();
  // Compare with where the queued moves leave the pointer, not where it is now.
  TPoint last = s.CursorPos;
  for (const auto& m : s.Queue)
    if (m.Input && m.Msg.Msg >= WM_MOUSEFIRST && m.Msg.Msg <= WM_MOUSELAST)
      last = Point(MouseLParamX(m.Msg.LParam), MouseLParamY(m.Msg.LParam));
  if (last != at) PostInput(WM_MOUSEMOVE, 0, MakeMouseLParam(at.X, at.Y));
}

// [SECTION] timers

uintptr_t SetTimer(HWND Wnd, uintptr_t IDEvent, Cardinal Elapse) {
  auto& s = State();
  if (s.TimerShortage || IDEvent == 0 || !IsWindow(Wnd)) return 0;
  const int64_t interval = std::max<int64_t>(Elapse, USER_TIMER_MINIMUM);
  KillTimer(Wnd, IDEvent);
  s.Timers.push_back({Wnd, IDEvent, interval, NowMs(s) + interval, s.NextTimerSeq++});
  return IDEvent;
}

bool KillTimer(HWND Wnd, uintptr_t IDEvent) {
  return std::erase_if(State().Timers, [&](const platform_detail::TTimerRecord& t) {
           return t.Wnd == Wnd && t.Id == IDEvent;
         }) != 0;
}

Cardinal GetTickCount() { return static_cast<Cardinal>(GetTickCount64()); }

uint64_t GetTickCount64() { return static_cast<uint64_t>(NowMs(State())); }

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  UpdateTimer();
}

TTimer::~TTimer() {
  FEnabled = false;
  DeallocateHWnd(FWindowHandle);
}

void TTimer::SetInterval(Cardinal value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::UpdateTimer() {
  KillTimer(FWindowHandle, 1);
  if (FInterval != 0 && FEnabled && SetTimer(FWindowHandle, 1, FInterval) == 0)
    throw EOutOfResources("Not enough timers available");
}

void TTimer::WndProc(TMessage& Msg) {
  if (Msg.Msg != WM_TIMER) {
    Msg.Result = DefWindowProc(FWindowHandle, Msg.Msg, Msg.WParam, Msg.LParam);
    return;
  }
  try {
    Timer();
  } catch (...) {
    Application->HandleException(this);
  }
}

// [SECTION] the application

platform_detail::TAppState& platform_detail::AppState() {
  // Never destroyed: the application object goes with the other statics at exit, in whatever order
  // they were built, and what it releases (and anything released after it) still unregisters here.
  static auto* state = new TAppState();
  return *state;
}

TApplication* TApplicationRef::Get() {
  static TApplication app;
  return &app;
}

TApplication::TApplication() : TComponent(nullptr), FState(&platform_detail::AppState()) {}

TApplication::~TApplication() {
  // The forms it owns go at exit; everything they unregister from is never destroyed (the state above,
  // the menu commands, the screen, clipboard, dialogs, fonts). Then the desktop windows close.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  UseHeadlessBackend();
}

bool TApplication::ProcessOne() {
  auto& s = *FState;
  try {
    s.Backend->PumpEvents();  // a window moved or sized runs the form's handlers
  } catch (...) {
    HandleException(this);
  }
  if (ProcessNext()) {
    s.Unpresented = true;
    return true;
  }
  if (s.Unpresented) {  // everything that was painted goes on screen once, when the loop is idle
    s.Unpresented = false;
    s.Backend->Present();
  }
  return false;
}

bool TApplication::ProcessNext() {
  auto& s = *FState;
  if (!s.Queue.empty()) {
    platform_detail::TQueuedMessage m = s.Queue.front();
    s.Queue.pop_front();
    try {
      if (m.Input) platform_detail::RouteInput(m);
      else CallWindow(m.Wnd, m.Msg);
    } catch (...) {
      HandleException(this);
    }
    return true;
  }
  bool painted = false;
  try {
    painted = platform_detail::PaintPendingControls();
  } catch (...) {
    HandleException(this);
    painted = true;
  }
  if (painted) return true;
  const int i = FirstTimer(s);
  const int64_t now = NowMs(s);
  if (i < 0 || s.Timers[static_cast<std::size_t>(i)].Due > now) return false;
  try {
    FireTimer(s, static_cast<std::size_t>(i), now);
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages() {
  // A host that calls this wants the screen brought up to date, also with what it painted directly.
  FState->Unpresented = true;
  while (ProcessOne()) {
  }
}

bool TApplication::Idle() {
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  return done;
}

bool TApplication::WaitForWork() {
  auto& s = *FState;
  if (!s.Queue.empty()) return true;
  const int i = FirstTimer(s);
  const int64_t wait = i < 0 ? -1 : std::max<int64_t>(s.Timers[static_cast<std::size_t>(i)].Due - RealMs(s), 0);
  return s.Backend->WaitEvents(wait, s.Virtual);  // headless: false when nothing will ever come
}

void TApplication::HandleMessage() {
  if (ProcessOne()) return;
  if (Idle()) WaitForWork();
}

void TApplication::Run() {
  platform_detail::ChooseBackendFromEnvironment();
  if (FState->MainForm != nullptr && !FState->MainForm->Visible()) FState->MainForm->Show();
  while (!FState->Terminated) {
    if (ProcessOne()) continue;
    if (Idle() && !WaitForWork()) break;
  }
}

void TApplication::Terminate() { FState->Terminated = true; }

bool TApplication::Terminated() const { return FState->Terminated; }

void TApplication::HandleException(TObject* Sender) {
  const std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    try {
      std::rethrow_exception(current);
    } catch (const EUnscripted& e) {
      State().Unscripted.push_back(e.Message());  // the scripted user raises it from the action
    } catch (const Exception& e) {
      if (OnException) OnException(Sender, e);
      else ShowException(e);
    } catch (const std::exception& e) {
      const Exception wrapped(e.what());
      if (OnException) OnException(Sender, wrapped);
      else ShowException(wrapped);
    } catch (...) {
      const Exception wrapped("Unknown exception");
      if (OnException) OnException(Sender, wrapped);
      else ShowException(wrapped);
    }
  } catch (const Exception& e) {
    // The handler itself failed: show that instead of letting it end the loop.
    ShowException(e);
  } catch (...) {
    ShowException(Exception("Exception in the exception handler"));
  }
}

void TApplication::ShowException(const Exception& E) {
  String msg = E.Message();
  if (!msg.empty() && msg.back() > u'.') msg += u'.';
  try {
    MessageBox(msg, FTitle, MB_OK | MB_ICONSTOP);
  } catch (...) {
    // A failing box must not end the loop either.
  }
}

int TApplication::MessageBox(const String& Text, const String& Caption, uint32_t Flags) {
  return DialogService().MessageBox(Text, Caption.empty() ? FTitle : Caption, Flags);
}

// [SECTION] forms

namespace {

void InvalidateWindows(TWinControl* w) {
  w->Invalidate();
  for (int i = 0; i < w->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(w->Controls(i))) InvalidateWindows(child);
}

void RaiseForm(TForm* form) {
  auto& forms = State().Forms;
  std::erase(forms, form);
  forms.push_back(form);
}

/// The windowed control inside w whose window is `handle`, or nullptr.
TWinControl* ControlOfHandle(TWinControl* w, HWND handle) {
  if (handle == 0) return nullptr;
  for (int i = 0; i < w->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(w->Controls(i))) {
      if (child->Handle() == handle) return child;
      if (TWinControl* inner = ControlOfHandle(child, handle)) return inner;
    }
  return nullptr;
}

/// The topmost shown form other than `except`, or nullptr.
TForm* TopVisibleForm(const TForm* except) {
  const auto& forms = State().Forms;
  for (auto it = forms.rbegin(); it != forms.rend(); ++it)
    if (*it != except && (*it)->Visible()) return *it;
  return nullptr;
}

}  // namespace

TForm* GetParentForm(const TControl* Control) {
  if (Control == nullptr) return nullptr;
  while (Control->Parent() != nullptr) Control = Control->Parent();
  return const_cast<TForm*>(dynamic_cast<const TForm*>(Control));
}

TForm::TForm(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  FColor = clBtnFace;
  FParentColor = false;
  FParentFont = false;
  FWidth = 320;
  FHeight = 240;
  State().Forms.insert(State().Forms.begin(), this);
}

TForm::~TForm() {
  auto& s = State();
  s.Backend->FormDestroyed(this);
  // Children lose their windows while they are still whole objects.
  DestroyHandle();
  FActiveControl = nullptr;
  std::erase(s.Forms, this);
  std::erase(s.ModalStack, this);
  if (s.ActiveForm == this) s.ActiveForm = TopVisibleForm(this);
  if (s.MainForm == this) s.MainForm = nullptr;
}

void TForm::CreateWnd() {
  TCustomControl::CreateWnd();
  if (!FSurface) FSurface = std::make_unique<TBitmap>(Width(), Height());
}

void TForm::DestroyWnd() {
  TCustomControl::DestroyWnd();
  FSurface.reset();
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FSurface && (FSurface->Width() != Width() || FSurface->Height() != Height())) {
    FSurface->SetSize(Width(), Height());
    InvalidateWindows(this);
  }
  if (Visible()) State().Backend->FormMoved(this);
}

void TForm::PlaceOnDesktop() {
  const TControl* around = nullptr;
  if (FPosition == poMainFormCenter) around = Application->MainForm();
  if (FPosition == poOwnerFormCenter) around = dynamic_cast<TForm*>(Owner());
  if (around == this) around = nullptr;
  const bool centre = FPosition == poScreenCenter || FPosition == poDesktopCenter ||
                      FPosition == poMainFormCenter || FPosition == poOwnerFormCenter;
  if (!centre) return;
  const TRect area = around != nullptr ? around->BoundsRect() : Rect(0, 0, Screen()->Width(), Screen()->Height());
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TForm::Activate() {
  auto& s = State();
  RaiseForm(this);
  s.ActiveForm = this;
}

void TForm::VisibleChanged() {
  auto& s = State();
  if (Visible()) {
    platform_detail::ChooseBackendFromEnvironment();
    PlaceOnDesktop();
    HandleNeeded();
    InvalidateWindows(this);
    s.Backend->FormShown(this);
    if (!ActivatesWhenShown()) {
      RaiseForm(this);
      return;
    }
    Activate();
    TWinControl* focus = FActiveControl;
    FActiveControl = nullptr;
    if (focus == nullptr || !focus->CanFocus()) focus = FindNextControl(nullptr, true, true);
    if (focus != nullptr) SetFocusedControl(focus);  // showing the form enters its active control
    return;
  }
  s.Backend->FormHidden(this);
  if (s.Capture != nullptr && ContainsControl(s.Capture)) s.Capture = nullptr;
  if (s.Hover != nullptr && ContainsControl(s.Hover)) s.Hover = nullptr;
  if (s.ActiveForm == this) s.ActiveForm = TopVisibleForm(this);
}

bool TForm::Active() const { return State().ActiveForm == this; }

void TForm::SetFocus() {
  if (!Visible() || !Enabled()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  Activate();
}

void TForm::SetActiveControl(TWinControl* value) {
  if (value != nullptr && (value == this || GetParentForm(value) != this || (Visible() && !value->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  SetFocusedControl(value);
}

bool TForm::SetFocusedControl(TWinControl* Control) {
  if (Control == this) Control = nullptr;
  if (Control != nullptr && GetParentForm(Control) != this) return false;
  if (!Visible()) {  // remembered; entered when the form is shown
    FActiveControl = Control;
    return true;
  }
  if (Control == FActiveControl) {
    Activate();
    return true;
  }
  TWinControl* old = FActiveControl;
  TWinControl* common = old;
  while (common != nullptr && Control != nullptr && !common->ContainsControl(Control)) common = common->Parent();
  for (TWinControl* x = old; x != nullptr && x != common && x != this; x = x->Parent()) x->Perform(CM_EXIT, 0, 0);
  FActiveControl = Control;
  Activate();
  if (old != nullptr) old->Perform(WM_KILLFOCUS, 0, 0);
  if (Control != nullptr) Control->Perform(WM_SETFOCUS, 0, 0);
  std::vector<TWinControl*> entered;
  for (TWinControl* x = Control; x != nullptr && x != common && x != this; x = x->Parent()) entered.push_back(x);
  for (auto it = entered.rbegin(); it != entered.rend(); ++it) (*it)->Perform(CM_ENTER, 0, 0);
  return true;
}

bool TForm::DialogKey(Word key) {
  if (key == VK_TAB) {
    SelectNext(FActiveControl, !GetShiftState().Contains(ssShift), true);
    return true;
  }
  if (key >= VK_LEFT && key <= VK_DOWN && FActiveControl != nullptr) {
    SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN, false);
    return true;
  }
  return false;
}

void TForm::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGKEY:
      Message.Result = DialogKey(static_cast<Word>(Message.WParam)) ? 1 : 0;
      break;
    case WM_NEXTDLGCTL:
      // LParam 0: WParam 0 is the next control, otherwise the previous one; else WParam is the handle.
      if (Message.LParam == 0) SelectNext(FActiveControl, Message.WParam == 0, true);
      else if (TWinControl* target = ControlOfHandle(this, static_cast<HWND>(Message.WParam)); target && target->CanFocus())
        SetFocusedControl(target);
      break;
    case CM_VISIBLECHANGED:
      VisibleChanged();
      break;
    case WM_CLOSE:  // the user closed the window
      Close();
      break;
    case CM_TEXTCHANGED:
      TCustomControl::WndProc(Message);
      if (Visible()) State().Backend->FormCaptionChanged(this);
      break;
    default:
      TCustomControl::WndProc(Message);
      break;
  }
}

void TForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  Hide();
  if (State().MainForm == this) Application->Terminate();
}

TModalResult TForm::ShowModal() {
  if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  auto& s = State();
  if (s.StrictScripts && s.ModalScripts.empty())
    throw EUnscripted(u"Unscripted modal form \"" + Name() + u"\" (" + ClassName() + u")");
  FModalResult = mrNone;
  FModal = true;
  s.ModalStack.push_back(this);
  struct Leave {
    TForm* form;
    ~Leave() {
      std::erase(State().ModalStack, form);
      form->FModal = false;
      form->Hide();
    }
  } leave{this};
  // The forms below stop taking the mouse: a capture left there by the press that opened this form
  // would take every click meant for it and drop it.
  if (s.Capture != nullptr && GetParentForm(s.Capture) != this) SetCaptureControl(nullptr);
  Show();
  if (!s.ModalScripts.empty()) {
    auto script = std::move(s.ModalScripts.front());
    s.ModalScripts.pop_front();
    try {
      script(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  while (FModalResult == mrNone) {
    if (Application->Terminated() || !Application->ModalStep()) FModalResult = mrCancel;
  }
  return FModalResult;
}

TForm* TApplication::MainForm() const { return FState->MainForm; }

void TApplication::SetMainForm(TForm* value) { FState->MainForm = value; }

TForm* TApplication::ActiveForm() const { return FState->ActiveForm; }

bool TApplication::ModalStep() {
  if (ProcessOne()) return true;
  return !Idle() || WaitForWork();
}

// [SECTION] the clock

int64_t TApplication::ClockMs() const { return NowMs(*FState); }

bool TApplication::VirtualClock() const { return FState->Virtual; }

void TApplication::UseVirtualClock(TDateTime start) {
  auto& s = *FState;
  Rebase(s, NowMs(s), 0);
  s.Virtual = true;
  s.VirtualMs = 0;
  s.VirtualStart = start;
  FeedDateClock(s);
}

void TApplication::UseRealClock() {
  auto& s = *FState;
  if (!s.Virtual) return;
  Rebase(s, s.VirtualMs, RealMs(s));
  s.Virtual = false;
  SetClockOverride(std::nullopt);
}

void TApplication::AdvanceClock(int64_t ms) {
  auto& s = *FState;
  if (!s.Virtual || ms <= 0) return;
  if (s.Advancing) {  // called from a timer handler: the running advance goes further
    s.AdvanceTarget += ms;
    return;
  }
  s.Advancing = true;
  s.AdvanceTarget = s.VirtualMs + ms;
  ProcessMessages();
  for (int i = FirstTimer(s); i >= 0 && s.Timers[static_cast<std::size_t>(i)].Due <= s.AdvanceTarget;
       i = FirstTimer(s)) {
    s.VirtualMs = std::max(s.VirtualMs, s.Timers[static_cast<std::size_t>(i)].Due);
    FeedDateClock(s);
    ProcessMessages();  // fires the due timer, then what it caused
  }
  s.VirtualMs = s.AdvanceTarget;
  FeedDateClock(s);
  s.Advancing = false;
  ProcessMessages();
}

void TApplication::SetTimerShortage(bool on) { FState->TimerShortage = on; }

}  // namespace qelta
