#pragma once
// Not part of the public interface: the private window whose timer 1 drives a control of qeltactl
// (caret blinking, scrolling, auto-repeat). A tick runs the control's handler; an exception it raises goes to
// Application->HandleException and the loop goes on. Other messages go to the default procedure.

#include <functional>
#include <utility>

#include "Forms.h"

namespace qelta::ctl_detail {

class TControlTimer {
 public:
  TControlTimer(TObject* Owner, std::function<void()> OnTick) : FOwner(Owner), FOnTick(std::move(OnTick)) {
    FWnd = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  }
  ~TControlTimer() { DeallocateHWnd(FWnd); }
  TControlTimer(const TControlTimer&) = delete;
  TControlTimer& operator=(const TControlTimer&) = delete;

  /// Kills timer 1.
  void Stop() { KillTimer(FWnd, 1); }
  /// (Re)starts timer 1 with Interval ms; false when the system refuses the timer.
  bool Start(Cardinal Interval) { return SetTimer(FWnd, 1, Interval) != 0; }
  HWND Handle() const { return FWnd; }

 private:
  void WndProc(TMessage& m) {
    if (m.Msg != WM_TIMER) {
      m.Result = DefWindowProc(FWnd, m.Msg, m.WParam, m.LParam);
      return;
    }
    try {
      FOnTick();
    } catch (...) {
      Application->HandleException(FOwner);
    }
  }

  TObject* FOwner;
  std::function<void()> FOnTick;
  HWND FWnd = 0;
};

}  // namespace qelta::ctl_detail
