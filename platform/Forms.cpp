// The application object, its queue, windows, timers and clock.
//
// Order of work in one step of the loop (ProcessOne): the oldest queued message; else the pending
// paints; else the earliest due timer. Input messages are routed by the controls layer (RouteInput)
// at the moment they are dispatched, so focus and capture changes made by earlier messages count.
// Timers: on the virtual clock the next due time is due + interval exactly; on the real clock a
// timer that is late is rescheduled from now, so a slow handler does not cause a burst.

#include "Forms.h"

#include <algorithm>
#include <thread>

#include "AppState.h"
#include "DateUtils.h"

namespace qelta {

namespace {

detail::TAppState& State() { return Application->State(); }

int64_t RealMs(const detail::TAppState& s) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - s.RealStart)
      .count();
}

int64_t NowMs(const detail::TAppState& s) { return s.Virtual ? s.VirtualMs : RealMs(s); }

constexpr double kMsPerDay = 86400000.0;

void FeedDateClock(const detail::TAppState& s) {
  SetClockOverride(s.VirtualStart + static_cast<double>(s.VirtualMs) / kMsPerDay);
}

/// Index of the timer due first (earliest due time, then the earliest set); -1 when none.
int FirstTimer(const detail::TAppState& s) {
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
void FireTimer(detail::TAppState& s, std::size_t i, int64_t now) {
  detail::TTimerRecord& t = s.Timers[i];
  const HWND wnd = t.Wnd;
  const uintptr_t id = t.Id;
  t.Due = s.Virtual ? t.Due + t.Interval : std::max(t.Due + t.Interval, now + 1);
  t.Seq = s.NextTimerSeq++;
  TMessage msg{WM_TIMER, id, 0, 0};
  CallWindow(wnd, msg);
}

void Rebase(detail::TAppState& s, int64_t from, int64_t to) {
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
  std::erase_if(s.Timers, [Wnd](const detail::TTimerRecord& t) { return t.Wnd == Wnd; });
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

void detail::PostInput(Cardinal Msg, WPARAM WParam, LPARAM LParam, Char TypedChar) {
  auto& s = State();
  s.Queue.push_back({0, TMessage{Msg, WParam, LParam, 0}, NowMs(s), true, TypedChar});
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
  return std::erase_if(State().Timers, [&](const detail::TTimerRecord& t) {
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

TApplication* TApplicationRef::Get() {
  static TApplication app;
  return &app;
}

TApplication::TApplication() : TComponent(nullptr), FState(std::make_unique<detail::TAppState>()) {}

TApplication::~TApplication() {
  // The forms it owns go first, while the queue and windows they unregister from still exist.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

bool TApplication::ProcessOne() {
  auto& s = *FState;
  if (!s.Queue.empty()) {
    detail::TQueuedMessage m = s.Queue.front();
    s.Queue.pop_front();
    try {
      if (!m.Input) CallWindow(m.Wnd, m.Msg);
      else if (s.RouteInput != nullptr) s.RouteInput(m);
    } catch (...) {
      HandleException(this);
    }
    return true;
  }
  bool painted = false;
  try {
    painted = s.PaintPending != nullptr && s.PaintPending();
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
  if (s.Virtual || i < 0) return false;  // nothing will ever come
  const int64_t wait = s.Timers[static_cast<std::size_t>(i)].Due - RealMs(s);
  if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  return true;
}

void TApplication::HandleMessage() {
  if (ProcessOne()) return;
  if (Idle()) WaitForWork();
}

void TApplication::Run() {
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
