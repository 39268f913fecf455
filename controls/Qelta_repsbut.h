#pragma once
// Qelta_repsbut: the auto-repeat speed button TRepSpeedButton.
//
// What: a speed button that, while the left mouse button is held on it, fires OnRepeatClick first
// after StartClickInterval and then every RepeatClickInterval milliseconds (with the defaults at 500,
// 700, 900 ... ms after the press). The ordinary click is the speed button's own.
// How: timer 1 of a private window; the press starts the start delay, the first tick switches to the
// repeat interval. Releasing the button, leaving it with the pointer, hiding or disabling it (the
// capture ends without a release) and destroying it stop the repetition; leaving does not release
// the button, so the speed button still decides about its click on the real release.
// Limits: only the left button repeats; intervals below 10 ms are raised to 10.

#include <memory>

#include "Buttons.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::ctl_detail {
class TControlTimer;  // the private timer window (Qelta_ctltimer.h, internal)
}  // namespace qelta::ctl_detail

namespace qelta {

/// Raised with 'Component "Name": no timer available' when the system refuses the timer.
QELTA_DECLARE_EXCEPTION(EQeltaRepSpeedButton, EQeltaError)

class TRepSpeedButton : public TSpeedButton {
 public:
  explicit TRepSpeedButton(TComponent* AOwner);
  ~TRepSpeedButton() override;

  void WndProc(TMessage& Message) override;

  // -- properties
  /// Milliseconds between repeated clicks (at least 10); a change restarts the repeat timer.
  int RepeatClickInterval() const { return FRepClickIv; }
  void SetRepeatClickInterval(int value);
  /// Milliseconds from the press to the first repeated click (at least 10); a change restarts the delay.
  int StartClickInterval() const { return FStartIv; }
  void SetStartClickInterval(int value);
  /// Assigns OnRepeatClick and restarts the repeat timer.
  void SetOnRepeatClick(TNotifyEvent value);
  /// True while the left button is held (the timer runs).
  bool Repeating() const { return FRClickTimerEnabled; }

  // -- events
  /// Fired on every tick while the button is held.
  TNotifyEvent OnRepeatClick;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// One tick: after the start delay switches to the repeat interval, then RepeatClickEvent and
  /// OnRepeatClick.
  virtual void DoTimer();
  /// Hook for descendants, run on every repeated click before OnRepeatClick.
  virtual void RepeatClickEvent() {}

 private:
  /// Start delay: timer 1 with StartClickInterval while held.
  void InitTimer();
  /// Repeat interval: timer 1 with RepeatClickInterval while held (else only kills it).
  void UpdateTimer();
  void Arm(int interval);
  /// Ends the repetition without a release (leave, hide, disable, lost capture).
  void StopRepeating();
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  std::unique_ptr<ctl_detail::TControlTimer> FTimer;
  bool FRClickTimerEnabled = false;
  int FRepClickIv = 200;
  int FStartIv = 500;
  bool FIsStart = true;
};

}  // namespace qelta

QELTA_PUBLIC_END
